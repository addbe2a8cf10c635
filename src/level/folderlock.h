#pragma once

// One advisory lock per level folder, taken by every program that writes a level there (the editor's
// saves and test run, zolvane-level fmt), so that no writer's check-then-write can interleave with
// another's. The lock lives on a hidden file in the folder, kept there between uses; the operating system
// drops it with the process that held it, so a killed writer never blocks the next.

#include <string>

// The lock file's name in each level folder.
inline const char* const FolderLockFileName = ".zolvane.lock";

// How long a writer waits for another to finish before it gives up, unless told otherwise.
constexpr int DefaultFolderLockTimeoutMs = 5000;

// The wait every writer allows (level folder writers take no timeout of their own): the default, or what
// was set last. For tests, and for a program that prefers to fail sooner.
int FolderLockTimeoutMs();
void SetFolderLockTimeoutMs(int TimeoutMs);

// Holds the folder's lock from construction to destruction. Locks are per object: two objects, even in
// one process, exclude each other.
class TFolderLock {
public:
    // Waits, polling, until Folder's lock is free or TimeoutMs have passed; then throws EInOutError saying
    // that another program is writing there. Also throws EInOutError, with the system's reason, when the
    // lock file cannot be opened or created (a missing or read-only folder).
    explicit TFolderLock(const std::string& Folder) : TFolderLock(Folder, FolderLockTimeoutMs()) {}
    TFolderLock(const std::string& Folder, int TimeoutMs);
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;
    ~TFolderLock();

    const std::string& Folder() const { return FFolder; }

private:
    void Open();
    bool TryLock();
    void Close() noexcept;

    std::string FFolder;
#ifdef _WIN32
    void* FHandle;
#else
    int FFd;
#endif
};
