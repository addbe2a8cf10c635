#include "inouterror.h"

#ifndef _WIN32
#include <cerrno>
#include <sys/stat.h>
#endif

EInOutError::EInOutError(int ErrorCode, const std::string& Message) : std::runtime_error(Message), FErrorCode(ErrorCode)
{
}

EInOutError::EInOutError(int ErrorCode) : EInOutError(ErrorCode, InOutErrorMessage(ErrorCode))
{
}

std::string InOutErrorMessage(int ErrorCode)
{
    switch (ErrorCode) {
    case InOutFileNotFound:
        return "File not found";
    case InOutInvalidFileName:
        return "Invalid filename";
    case InOutTooManyOpenFiles:
        return "Too many open files";
    case InOutAccessDenied:
        return "File access denied";
    default:
        return "I/O error " + std::to_string(ErrorCode);
    }
}

#ifndef _WIN32
namespace {

// The folder Path names its file in: everything before the last "/", ignoring trailing slashes.
std::string ParentFolder(const std::string& Path)
{
    std::string::size_type End = Path.find_last_not_of('/');
    if (End == std::string::npos)
        return "/";
    std::string::size_type Slash = Path.rfind('/', End);
    if (Slash == std::string::npos)
        return ".";
    std::string::size_type Last = Path.find_last_not_of('/', Slash);
    return Last == std::string::npos ? "/" : Path.substr(0, Last + 1);
}

bool IsFolder(const std::string& Path)
{
    struct stat Info {};
    return stat(Path.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

} // namespace

int InOutCodeFromErrno(int Errno, const std::string& Path)
{
    switch (Errno) {
    case ENOENT:
        // POSIX says ENOENT both for a missing file and for a missing folder on its path; the library
        // tells them apart, so look at the folder.
        if (Path.empty() || !IsFolder(ParentFolder(Path)))
            return InOutInvalidFileName;
        return InOutFileNotFound;
    case ENOTDIR:
        return InOutInvalidFileName;
    case EMFILE:
    case ENFILE:
        return InOutTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return InOutAccessDenied;
    default:
        return Errno;
    }
}

EInOutError InOutErrorFromErrno(int Errno, const std::string& Path)
{
    int Code = InOutCodeFromErrno(Errno, Path);
    bool Kept = Errno != ENOENT && Code == Errno;
    if (Kept && Code >= InOutFileNotFound && Code <= InOutAccessDenied)
        return EInOutError(Code, "I/O error " + std::to_string(Code));
    return EInOutError(Code);
}
#endif
