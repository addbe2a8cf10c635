#pragma once

// The safe file layer: whole-file writes that never leave a half-written level behind, reading a file in
// bounded chunks, and the identity of a file on disk, so that the editor can tell when someone else
// replaced a level it has open.

#include "folderentries.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// What identifies one version of a file: where it lives and when and how large it was last written.
// A file that does not exist has Exists false and every other field 0.
struct TFileIdentity {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0;

    friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

// The identity of the file Path names, following symbolic links as a save does. Throws EInOutError when
// the file's state cannot be read for another reason than its absence.
TFileIdentity FileIdentityOf(const std::string& Path);

// Replaces Path's contents with Text atomically: afterwards the file holds either all of Text or exactly
// what it held before. A symbolic link is followed and stays. Throws EInOutError on failure.
void ReplaceFileContents(const std::string& Path, const std::string& Text);

// As ReplaceFileContents, but a symbolic link at Path is never followed: the link itself is replaced by a
// regular file holding Text, and a dangling link never creates a file where it points.
void ReplaceFileNoFollow(const std::string& Path, const std::string& Text);

// The file ReplaceFileContents(Path, ...) writes: Path with the links at its end followed (on Windows,
// where no save follows a link, Path itself). Its folder is the one a save changes.
std::string WrittenPathOf(const std::string& Path);

// Creates Path holding Text, only when no file of that name exists; returns false, writing nothing, when
// the name is taken (by a file, a folder, a link, dangling or not, or anything else). Throws EInOutError
// on any other failure.
bool CreateFileExclusively(const std::string& Path, const std::string& Text);

// The most a reader asks of the file at once, and so all the memory reading a file of any size needs.
constexpr std::size_t ReadChunkSize = 64 * 1024;

// A regular file read front to back. Anything else named like a level (a folder, a pipe, a device) is
// refused with the library's access error, since it could block or never end.
class TFileReader {
public:
    explicit TFileReader(const std::string& Path);
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;
    ~TFileReader();

    // Reads up to Size bytes into Buffer; 0 only at the end of the file. Throws EInOutError.
    std::size_t Read(char* Buffer, std::size_t Size);

    // Closes the file now and throws EInOutError when the close fails.
    void Close();

private:
    std::string FPath;
#ifdef _WIN32
    void* FHandle;
#else
    int FFd;
#endif
};

// Test seams. Pass an empty function to remove a hook.
// Called with the path just before CreateFileExclusively claims it, so a test can make the name taken at
// the last moment.
using TBeforeCreateHook = std::function<void(const std::string& Path)>;
void SetBeforeCreateHook(TBeforeCreateHook Hook);

// Called by every writer at each step it takes, with the step's name and the path it works on, so that a
// test can hold one writer between two steps while another runs. The steps, in order: "waiting" (the
// folder's lock is held by someone else; called once), "locked", then the writer's own ("checked",
// "read"), "written" (the temporary file is complete and synced), "renamed", "replaced" (the folder is
// synced), "identified" (the new identity is read). Called from any thread that writes.
using TWriterStepHook = std::function<void(const std::string& Step, const std::string& Path)>;
void SetWriterStepHook(TWriterStepHook Hook);

// Reports a writer's step to the hook above, if one is set.
void WriterStep(const char* Step, const std::string& Path);
