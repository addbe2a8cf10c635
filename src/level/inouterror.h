#pragma once

#include <stdexcept>
#include <string>

// The run-time library's I/O error: an operating-system error code and the library's English text for it.
class EInOutError : public std::runtime_error {
public:
    EInOutError(int ErrorCode, const std::string& Message);
    explicit EInOutError(int ErrorCode);

    int ErrorCode() const noexcept { return FErrorCode; }

private:
    int FErrorCode;
};

// The run-time library's own codes; any other code is the operating system's.
constexpr int InOutFileNotFound = 2; // "File not found"
constexpr int InOutInvalidFileName = 3; // "Invalid filename", also for a folder on the path that is missing
constexpr int InOutTooManyOpenFiles = 4; // "Too many open files"
constexpr int InOutAccessDenied = 5; // "File access denied"

// The library's text for a code: the four above, anything else "I/O error N".
std::string InOutErrorMessage(int ErrorCode);

#ifndef _WIN32
// Maps a failed POSIX call on Path to the library's codes: a missing file is 2, a missing or non-folder
// directory on the path is 3, too many open files 4, permission denied, a read-only file system and a
// folder opened as a file 5; anything else keeps errno.
int InOutCodeFromErrno(int Errno, const std::string& Path);

// The error to raise for a failed POSIX call on Path. An errno that is kept but happens to equal one of
// the library's codes (EIO is 5 on Linux) gets the plain "I/O error N" text rather than a wrong reason.
EInOutError InOutErrorFromErrno(int Errno, const std::string& Path);
#endif
