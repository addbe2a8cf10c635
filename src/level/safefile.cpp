#include "safefile.h"

#include "folderentries.h"
#include "inouterror.h"
#include "tempfiles.h"

#include <algorithm>
#include <utility>

#include "windowsapi.h"

#ifndef _WIN32
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

// As many symbolic links as the system itself follows in one path before it gives up with ELOOP.
constexpr int LinkHopLimit = 40;

// Temporary names are unique per process and call; a clash means someone else's file, and this many in a
// row means something is wrong with the folder rather than unlucky.
constexpr unsigned TempNameAttempts = 100;

TBeforeCreateHook BeforeCreate;
TWriterStepHook WriterStepHook;

} // namespace

void SetBeforeCreateHook(TBeforeCreateHook Hook)
{
    BeforeCreate = std::move(Hook);
}

void SetWriterStepHook(TWriterStepHook Hook)
{
    WriterStepHook = std::move(Hook);
}

void WriterStep(const char* Step, const std::string& Path)
{
    if (WriterStepHook)
        WriterStepHook(Step, Path);
}

#ifdef _WIN32

namespace {

[[noreturn]] void ThrowError(DWORD Error)
{
    throw EInOutError(static_cast<int>(Error));
}

[[noreturn]] void ThrowLastError()
{
    ThrowError(GetLastError());
}

// The temporary file beside the target, written in full and flushed, and deleted again unless Keep is called.
class TTempFile {
public:
    TTempFile(const std::string& Target, const std::string& Text)
    {
        HANDLE File = INVALID_HANDLE_VALUE;
        for (unsigned Attempt = 0; File == INVALID_HANDLE_VALUE; ++Attempt) {
            FPath = TempNameFor(Target, Attempt, GetCurrentProcessId());
            // CREATE_NEW: the name is ours alone, never someone else's file opened by chance.
            File = CreateFileA(FPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD Error = GetLastError();
            if (File == INVALID_HANDLE_VALUE &&
                ((Error != ERROR_FILE_EXISTS && Error != ERROR_ALREADY_EXISTS) || Attempt + 1 >= TempNameAttempts))
                ThrowError(Error);
        }
        FArmed = true;
        DWORD Error = ERROR_SUCCESS;
        const char* Data = Text.data();
        std::size_t Left = Text.size();
        while (Left > 0 && Error == ERROR_SUCCESS) {
            DWORD Put = 0;
            DWORD Ask = static_cast<DWORD>(std::min<std::size_t>(Left, 1u << 30));
            if (!WriteFile(File, Data, Ask, &Put, nullptr))
                Error = GetLastError();
            else if (Put == 0)
                Error = ERROR_WRITE_FAULT;
            Data += Put;
            Left -= Put;
        }
        if (Error == ERROR_SUCCESS && !FlushFileBuffers(File))
            Error = GetLastError();
        if (!CloseHandle(File) && Error == ERROR_SUCCESS)
            Error = GetLastError();
        if (Error != ERROR_SUCCESS) {
            Discard();
            ThrowError(Error);
        }
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile() { Discard(); }

    const std::string& Path() const { return FPath; }
    void Keep() { FArmed = false; }

private:
    void Discard()
    {
        if (FArmed)
            DeleteFileA(FPath.c_str());
        FArmed = false;
    }

    std::string FPath;
    bool FArmed = false;
};

} // namespace

// Windows needs no folder sync: MOVEFILE_WRITE_THROUGH returns only once the move is on disk. The folder
// sync hook is never called.
//
// The new file is renamed over the old one with MoveFileExA rather than swapped in with ReplaceFileA:
// ReplaceFileA refuses "/" in a path (the editor's levels are "data/levels/..."), and when it fails it can
// leave its own backup file in the folder, or the old level under that backup name, where no one looks.
//
// No save here follows a link: the attributes read and the entry renamed over are the link's own.
void ReplaceFileContents(const std::string& Path, const std::string& Text)
{
    if (Path.empty())
        ThrowError(ERROR_PATH_NOT_FOUND);
    const DWORD Old = GetFileAttributesA(Path.c_str());
    if (Old == INVALID_FILE_ATTRIBUTES && GetLastError() != ERROR_FILE_NOT_FOUND)
        ThrowLastError();
    // A rename would replace a folder's entry or a read-only level as if it were any file.
    if (Old != INVALID_FILE_ATTRIBUTES && (Old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        ThrowError(ERROR_ACCESS_DENIED);
    TTempFile Temp(Path, Text);
    WriterStep("written", Path);
    // The old level's hidden, system and archive marks go over to the new one; its other attributes belong
    // to the file system.
    constexpr DWORD Kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (Old != INVALID_FILE_ATTRIBUTES && (Old & Kept) && !SetFileAttributesA(Temp.Path().c_str(), Old & Kept))
        ThrowLastError();
    // A reader that holds the level open without sharing its deletion makes the rename fail; the old
    // level then stays, and the temporary file goes.
    if (!MoveFileExA(Temp.Path().c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowLastError();
    Temp.Keep();
    WriterStep("renamed", Path);
}

void ReplaceFileNoFollow(const std::string& Path, const std::string& Text)
{
    ReplaceFileContents(Path, Text);
}

std::string WrittenPathOf(const std::string& Path)
{
    return Path;
}

bool CreateFileExclusively(const std::string& Path, const std::string& Text)
{
    if (Path.empty())
        ThrowError(ERROR_PATH_NOT_FOUND);
    TTempFile Temp(Path, Text);
    WriterStep("written", Path);
    if (BeforeCreate)
        BeforeCreate(Path);
    if (!RenameExclusively(Temp.Path(), Path))
        return false;
    Temp.Keep();
    WriterStep("renamed", Path);
    return true;
}

#else

namespace {

[[noreturn]] void ThrowErrno(int Errno, const std::string& Path)
{
    throw InOutErrorFromErrno(Errno, Path);
}

int CloseReporting(int Fd)
{
    // Even when close fails the descriptor is gone, so it is never retried.
    return ::close(Fd) == 0 ? 0 : errno;
}

int OpenRetrying(const char* Path, int Flags, mode_t Mode = 0)
{
    int Fd;
    do
        Fd = ::open(Path, Flags, Mode);
    while (Fd < 0 && errno == EINTR);
    return Fd;
}

// Follows symbolic links at the end of Path, so that a save replaces the file a link points to and
// leaves the link itself in place. A dangling link resolves to the file it would create.
std::string ResolveLinks(const std::string& Path)
{
    std::string Current = Path;
    for (int Hop = 0; Hop < LinkHopLimit; ++Hop) {
        struct stat Info {};
        if (lstat(Current.c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode))
            return Current;
        std::vector<char> Target(static_cast<std::size_t>(std::max<off_t>(Info.st_size, PATH_MAX)) + 1);
        ssize_t Length = readlink(Current.c_str(), Target.data(), Target.size());
        if (Length < 0 || static_cast<std::size_t>(Length) >= Target.size())
            return Current;
        std::string Link(Target.data(), static_cast<std::size_t>(Length));
        if (Link.empty())
            return Current;
        Current = Link.front() == '/' ? Link : Current.substr(0, NameStartOf(Current)) + Link;
    }
    throw EInOutError(ELOOP);
}

// The temporary file beside the target, written in full and synced, and unlinked again unless Keep is
// called. Like is the existing file whose owner and permission bits the new one takes, if any.
class TTempFile {
public:
    TTempFile(const std::string& Target, const std::string& Text, const struct stat* Like)
    {
        int Fd = -1;
        for (unsigned Attempt = 0; Fd < 0; ++Attempt) {
            FPath = TempNameFor(Target, Attempt, static_cast<unsigned long>(getpid()));
            // 0666 lets the umask and any default ACL of the folder decide a new file's permissions.
            Fd = OpenRetrying(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Fd < 0 && (errno != EEXIST || Attempt + 1 >= TempNameAttempts))
                ThrowErrno(errno, Target);
        }
        FArmed = true;
        int Error = Fill(Fd, Text, Like);
        if (int CloseError = CloseReporting(Fd); Error == 0)
            Error = CloseError;
        if (Error != 0) {
            Discard();
            ThrowErrno(Error, Target);
        }
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile() { Discard(); }

    const std::string& Path() const { return FPath; }
    void Keep() { FArmed = false; }

private:
    static int Fill(int Fd, const std::string& Text, const struct stat* Like)
    {
        if (Like) {
            // Owner first: changing it may clear set-id bits that the mode then restores. Only root can
            // give the file away, and a save by anyone else still succeeds.
            if (Like->st_uid != geteuid() || Like->st_gid != getegid())
                (void)!fchown(Fd, Like->st_uid, Like->st_gid);
            if (fchmod(Fd, Like->st_mode & 07777) != 0)
                return errno;
        }
        const char* Data = Text.data();
        std::size_t Left = Text.size();
        while (Left > 0) {
            ssize_t Put = ::write(Fd, Data, Left);
            if (Put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            Data += Put;
            Left -= static_cast<std::size_t>(Put);
        }
        return fsync(Fd) == 0 ? 0 : errno;
    }

    void Discard()
    {
        if (FArmed)
            ::unlink(FPath.c_str());
        FArmed = false;
    }

    std::string FPath;
    bool FArmed = false;
};

// The new file is written beside the old one and renamed over it, so a failure at any point leaves the
// old file as it was. Without FollowLinks a link at Path is a name like any other: the rename replaces
// the link itself, and the new file takes no owner or permissions from whatever it pointed to.
void ReplaceFile(const std::string& Path, const std::string& Text, bool FollowLinks)
{
    if (Path.empty())
        ThrowErrno(ENOENT, Path);
    std::string Target = FollowLinks ? ResolveLinks(Path) : Path;
    struct stat Old {};
    bool Exists = (FollowLinks ? stat(Target.c_str(), &Old) : lstat(Target.c_str(), &Old)) == 0;
    if (!Exists && errno != ENOENT)
        ThrowErrno(errno, Target);
    const bool Link = Exists && S_ISLNK(Old.st_mode);
    // Renaming over a folder, a device or a pipe would replace the node itself, not write to it.
    if (Exists && !Link && !S_ISREG(Old.st_mode))
        throw EInOutError(InOutAccessDenied);
    // The rename needs only the folder's permission; a read-only level must still refuse the save.
    if (Exists && !Link && faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) != 0)
        ThrowErrno(errno, Target);

    TTempFile Temp(Target, Text, Exists && !Link ? &Old : nullptr);
    WriterStep("written", Target);
    if (::rename(Temp.Path().c_str(), Target.c_str()) != 0)
        ThrowErrno(errno, Target);
    Temp.Keep();
    WriterStep("renamed", Target);
    SyncFolderOf(Target);
}

} // namespace

void ReplaceFileContents(const std::string& Path, const std::string& Text)
{
    ReplaceFile(Path, Text, true);
}

void ReplaceFileNoFollow(const std::string& Path, const std::string& Text)
{
    ReplaceFile(Path, Text, false);
}

std::string WrittenPathOf(const std::string& Path)
{
    return ResolveLinks(Path);
}

// Written in full under a temporary name first, then claimed in one step, so no one ever sees the new
// name half-written and a name someone took in the meantime is never replaced.
bool CreateFileExclusively(const std::string& Path, const std::string& Text)
{
    if (Path.empty())
        ThrowErrno(ENOENT, Path);
    TTempFile Temp(Path, Text, nullptr);
    WriterStep("written", Path);
    if (BeforeCreate)
        BeforeCreate(Path);
    if (!RenameExclusively(Temp.Path(), Path))
        return false;
    Temp.Keep();
    WriterStep("renamed", Path);
    SyncFolderOf(Path);
    return true;
}

#endif
