#include "folderlock.h"

#include "inouterror.h"
#include "safefile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "windowsapi.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// Short enough that a waiter follows close behind the writer it waited for, long enough to cost nothing.
constexpr std::chrono::milliseconds PollInterval{10};

std::atomic<int> TimeoutMs{DefaultFolderLockTimeoutMs};

std::string LockPathIn(const std::string& Folder)
{
    return Folder + "/" + FolderLockFileName;
}

#ifdef _WIN32
constexpr int BusyCode = ERROR_LOCK_VIOLATION;
#else
constexpr int BusyCode = EWOULDBLOCK;
#endif

} // namespace

int FolderLockTimeoutMs()
{
    return TimeoutMs;
}

void SetFolderLockTimeoutMs(int Ms)
{
    TimeoutMs = Ms;
}

TFolderLock::TFolderLock(const std::string& Folder, int TimeoutMs) : FFolder(Folder)
{
    Open();
    try {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
        for (bool Told = false; !TryLock(); Told = true) {
            if (!Told)
                WriterStep("waiting", FFolder);
            const auto Now = std::chrono::steady_clock::now();
            // Thrown before the caller has begun, so nothing is written.
            if (Now >= Deadline)
                throw EInOutError(BusyCode,
                                  "Another program is writing in the level folder \"" + FFolder +
                                      "\" and still held its lock (" + FolderLockFileName + ") after " +
                                      std::to_string(TimeoutMs) + " ms; nothing was written");
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(PollInterval, Deadline - Now));
        }
    } catch (...) {
        Close();
        throw;
    }
    WriterStep("locked", FFolder);
}

TFolderLock::~TFolderLock()
{
    Close();
}

#ifdef _WIN32

void TFolderLock::Open()
{
    // Every kind of sharing, so that other writers can open it to wait on the lock.
    FHandle =
        CreateFileA(LockPathIn(FFolder).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE)
        throw EInOutError(static_cast<int>(GetLastError()));
}

bool TFolderLock::TryLock()
{
    OVERLAPPED Start{};
    if (LockFileEx(FHandle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &Start))
        return true;
    const DWORD Error = GetLastError();
    if (Error == ERROR_LOCK_VIOLATION || Error == ERROR_IO_PENDING)
        return false;
    throw EInOutError(static_cast<int>(Error));
}

void TFolderLock::Close() noexcept
{
    // Closing alone unlocks too, but only when the system gets round to it. Unlocking a lock never taken
    // fails harmlessly.
    OVERLAPPED Start{};
    UnlockFileEx(FHandle, 0, 1, 0, &Start);
    CloseHandle(FHandle);
}

#else

void TFolderLock::Open()
{
    const std::string Path = LockPathIn(FFolder);
    // Read-only is enough for flock, and opens a lock file that another user created without giving write
    // permission.
    do
        FFd = ::open(Path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    while (FFd < 0 && errno == EINTR);
    if (FFd < 0)
        throw InOutErrorFromErrno(errno, Path);
}

bool TFolderLock::TryLock()
{
    for (;;) {
        if (flock(FFd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EWOULDBLOCK)
            return false;
        // A file system without locks (ENOLCK) must not let a writer go on as if it held one.
        if (errno != EINTR)
            throw InOutErrorFromErrno(errno, LockPathIn(FFolder));
    }
}

void TFolderLock::Close() noexcept
{
    // The lock goes with the descriptor. The file stays for the next writer: removing it could let a
    // waiter lock a file that no one else can find any more.
    ::close(FFd);
}

#endif
