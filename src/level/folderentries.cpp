#include "folderentries.h"

#include "inouterror.h"

#include <utility>

#include "windowsapi.h"

#ifndef _WIN32
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

TFolderSyncHook FolderSync;
TSystemRenameHook SystemRename;

} // namespace

std::string::size_type NameStartOf(const std::string& Path)
{
    std::string::size_type Slash = Path.find_last_of(
#ifdef _WIN32
        "/\\:"
#else
        "/"
#endif
    );
    return Slash == std::string::npos ? 0 : Slash + 1;
}

void SetFolderSyncHook(TFolderSyncHook Hook)
{
    FolderSync = std::move(Hook);
}

void SetSystemRenameHook(TSystemRenameHook Hook)
{
    SystemRename = std::move(Hook);
}

#ifdef _WIN32

namespace {

[[noreturn]] void ThrowLastError()
{
    throw EInOutError(static_cast<int>(GetLastError()));
}

} // namespace

bool RenameExclusively(const std::string& From, const std::string& To)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails on any existing name, a folder's too.
    if (MoveFileExA(From.c_str(), To.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD Error = GetLastError();
    if (Error == ERROR_ALREADY_EXISTS || Error == ERROR_FILE_EXISTS)
        return false;
    throw EInOutError(static_cast<int>(Error));
}

void ThrowNameTaken(const std::string&)
{
    throw EInOutError(ERROR_ALREADY_EXISTS);
}

bool ExchangeNamesAtomically(const std::string&, const std::string&)
{
    return false;
}

void SyncFolderOf(const std::string&)
{
}

bool EntryExists(const std::string& Path)
{
    // The attributes of a link itself, not of what it points to, so a dangling link exists too.
    if (GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD Error = GetLastError();
    if (Error == ERROR_FILE_NOT_FOUND || Error == ERROR_PATH_NOT_FOUND)
        return false;
    throw EInOutError(static_cast<int>(Error));
}

void RemoveEntry(const std::string& Path)
{
    if (!DeleteFileA(Path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        ThrowLastError();
}

void HideEntry(const std::string& Path)
{
    const DWORD Attributes = GetFileAttributesA(Path.c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES || !SetFileAttributesA(Path.c_str(), Attributes | FILE_ATTRIBUTE_HIDDEN))
        ThrowLastError();
}

#else

namespace {

[[noreturn]] void ThrowErrno(int Errno, const std::string& Path)
{
    throw InOutErrorFromErrno(Errno, Path);
}

// The errno of the system's one-step rename, 0 when it succeeded, or what the test seam answers instead.
// Without the call (a C library that lacks it) the answer is ENOSYS, as from a kernel without it.
int SystemRenameError(TSystemRename Call, const std::string& From, const std::string& To)
{
    if (int Error = SystemRename ? SystemRename(Call) : 0)
        return Error;
#ifdef RENAME_EXCHANGE
    const unsigned Flags = Call == TSystemRename::Exchange ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    return renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), Flags) == 0 ? 0 : errno;
#else
    (void)From;
    (void)To;
    return ENOSYS;
#endif
}

} // namespace

bool RenameExclusively(const std::string& From, const std::string& To)
{
    const int Error = SystemRenameError(TSystemRename::NoReplace, From, To);
    if (Error == 0 || Error == EEXIST)
        return Error == 0;
    // Older kernels and some file systems do not know the flag; a hard link claims the name as surely.
    if (Error != EINVAL && Error != ENOSYS)
        ThrowErrno(Error, From);
    // link never follows or replaces what is at the new name, even a dangling link.
    if (::link(From.c_str(), To.c_str()) != 0) {
        if (errno == EEXIST)
            return false;
        ThrowErrno(errno, From);
    }
    if (::unlink(From.c_str()) != 0) {
        // One file under both names would be a rename half done; the new name goes again.
        const int UnlinkError = errno;
        (void)::unlink(To.c_str());
        ThrowErrno(UnlinkError, From);
    }
    return true;
}

void ThrowNameTaken(const std::string& Path)
{
    ThrowErrno(EEXIST, Path);
}

bool ExchangeNamesAtomically(const std::string& A, const std::string& B)
{
    const int Error = SystemRenameError(TSystemRename::Exchange, A, B);
    if (Error == EINVAL || Error == ENOSYS)
        return false;
    if (Error != 0)
        ThrowErrno(Error, A);
    return true;
}

// A rename or a new link changes the folder, not the file: fsync on the file makes its bytes durable but
// not the entry that names them, so after a power cut the folder could still hold the old entry, or none.
void SyncFolderOf(const std::string& Path)
{
    const std::string::size_type End = NameStartOf(Path);
    const std::string Folder = End == 0 ? "." : Path.substr(0, End == 1 ? 1 : End - 1);
    int Error = FolderSync ? FolderSync(Folder) : 0;
    if (Error == 0) {
        int Fd;
        do
            Fd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (Fd < 0 && errno == EINTR);
        if (Fd < 0) {
            // A folder one may write but not read cannot be opened to sync; the new entry is in place and as
            // durable as the file system makes it by itself, and a save there must not fail for it.
            if (errno == EACCES || errno == EPERM)
                return;
            ThrowErrno(errno, Path);
        }
        // A file system that cannot sync a folder says EINVAL; there is nothing more to make durable there.
        if (fsync(Fd) != 0 && errno != EINVAL)
            Error = errno;
        // Even when close fails the descriptor is gone, so it is never retried.
        if (::close(Fd) != 0 && Error == 0)
            Error = errno;
    }
    if (Error != 0)
        ThrowErrno(Error, Path);
}

bool EntryExists(const std::string& Path)
{
    struct stat Info {};
    if (lstat(Path.c_str(), &Info) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    ThrowErrno(errno, Path);
}

void RemoveEntry(const std::string& Path)
{
    if (::unlink(Path.c_str()) != 0 && errno != ENOENT)
        ThrowErrno(errno, Path);
}

void HideEntry(const std::string&)
{
}

#endif
