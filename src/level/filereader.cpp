// The reading side of the safe file layer: a file read in chunks, and the identity of a file on disk.

#include "safefile.h"

#include "inouterror.h"

#include <algorithm>
#include <utility>

#include "windowsapi.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

} // namespace

TFileReader::TFileReader(const std::string& Path) : FPath(Path)
{
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder fails to open with access denied, as it should.
    HANDLE File = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        ThrowLastError();
    if (GetFileType(File) != FILE_TYPE_DISK) {
        CloseHandle(File);
        throw EInOutError(InOutAccessDenied);
    }
    FHandle = File;
}

TFileReader::~TFileReader()
{
    if (FHandle != INVALID_HANDLE_VALUE)
        CloseHandle(FHandle);
}

std::size_t TFileReader::Read(char* Buffer, std::size_t Size)
{
    DWORD Got = 0;
    DWORD Ask = static_cast<DWORD>(std::min<std::size_t>(Size, 1u << 30));
    if (!ReadFile(FHandle, Buffer, Ask, &Got, nullptr))
        ThrowLastError();
    return Got;
}

void TFileReader::Close()
{
    HANDLE File = std::exchange(FHandle, INVALID_HANDLE_VALUE);
    if (!CloseHandle(File))
        ThrowLastError();
}

TFileIdentity FileIdentityOf(const std::string& Path)
{
    TFileIdentity Identity;
    // No access rights asked, only attributes, so a file open elsewhere or read-only still answers; opening
    // follows links like a save, and the backup flag lets a folder answer too.
    HANDLE File =
        CreateFileA(Path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (File == INVALID_HANDLE_VALUE) {
        DWORD Error = GetLastError();
        if (Error == ERROR_FILE_NOT_FOUND || Error == ERROR_PATH_NOT_FOUND)
            return Identity;
        ThrowError(Error);
    }
    BY_HANDLE_FILE_INFORMATION Info{};
    BOOL Ok = GetFileInformationByHandle(File, &Info);
    DWORD Error = GetLastError();
    CloseHandle(File);
    if (!Ok)
        ThrowError(Error);
    // FILETIME counts 100 ns steps since 1601; the identity counts nanoseconds since 1970, as on POSIX.
    constexpr std::int64_t EpochDifference = 116444736000000000;
    const std::int64_t Ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(Info.ftLastWriteTime.dwHighDateTime) << 32) | Info.ftLastWriteTime.dwLowDateTime);
    Identity.Exists = true;
    Identity.Device = Info.dwVolumeSerialNumber;
    Identity.Inode = (static_cast<std::uint64_t>(Info.nFileIndexHigh) << 32) | Info.nFileIndexLow;
    Identity.Size = (static_cast<std::uint64_t>(Info.nFileSizeHigh) << 32) | Info.nFileSizeLow;
    Identity.ModifiedNs = (Ticks - EpochDifference) * 100;
    return Identity;
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

int OpenRetrying(const char* Path, int Flags)
{
    int Fd;
    do
        Fd = ::open(Path, Flags);
    while (Fd < 0 && errno == EINTR);
    return Fd;
}

} // namespace

TFileReader::TFileReader(const std::string& Path) : FPath(Path)
{
    // O_NONBLOCK: opening a pipe named like a level must not wait for a writer.
    FFd = OpenRetrying(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (FFd < 0)
        ThrowErrno(errno, Path);
    struct stat Info {};
    int Error = fstat(FFd, &Info) != 0 ? errno : S_ISREG(Info.st_mode) ? 0 : EISDIR;
    if (Error != 0) {
        ::close(FFd);
        ThrowErrno(Error, Path);
    }
}

TFileReader::~TFileReader()
{
    if (FFd >= 0)
        ::close(FFd);
}

std::size_t TFileReader::Read(char* Buffer, std::size_t Size)
{
    for (;;) {
        ssize_t Got = ::read(FFd, Buffer, Size);
        if (Got >= 0)
            return static_cast<std::size_t>(Got);
        if (errno != EINTR)
            ThrowErrno(errno, FPath);
    }
}

void TFileReader::Close()
{
    // Close's own failure can be the first sign of a lost read on a network file system.
    if (int Error = CloseReporting(std::exchange(FFd, -1)))
        ThrowErrno(Error, FPath);
}

TFileIdentity FileIdentityOf(const std::string& Path)
{
    TFileIdentity Identity;
    struct stat Info {};
    if (stat(Path.c_str(), &Info) != 0) {
        if (errno == ENOENT)
            return Identity;
        ThrowErrno(errno, Path);
    }
    Identity.Exists = true;
    Identity.Device = static_cast<std::uint64_t>(Info.st_dev);
    Identity.Inode = static_cast<std::uint64_t>(Info.st_ino);
    Identity.Size = static_cast<std::uint64_t>(Info.st_size);
    Identity.ModifiedNs = static_cast<std::int64_t>(Info.st_mtim.tv_sec) * 1000000000 + Info.st_mtim.tv_nsec;
    return Identity;
}

#endif
