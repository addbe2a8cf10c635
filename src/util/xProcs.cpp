#include "xProcs.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // the C++ library may have defined it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#endif

#ifdef _WIN32

std::string SystemErrorText(int Code)
{
    DWORD Error = Code == 0 ? GetLastError() : static_cast<DWORD>(Code);
    char Buffer[1024];
    DWORD Length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, Error, 0, Buffer,
                                  static_cast<DWORD>(sizeof Buffer), nullptr);
    return std::string(Buffer, Length);
}

#else

namespace {

// strerror_r comes in two shapes: XSI returns an int and fills the buffer, GNU returns the text.
[[maybe_unused]] const char* StrErrorResult(int Result, const char* Buffer)
{
    return Result == 0 ? Buffer : nullptr;
}
[[maybe_unused]] const char* StrErrorResult(const char* Result, const char*)
{
    return Result;
}

} // namespace

std::string SystemErrorText(int Code)
{
    if (Code == 0)
        Code = errno;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
    // Thread-safe and null for a code glibc has no text for, unlike strerror's made-up "Unknown error N".
    const char* Text = strerrordesc_np(Code);
    return Text ? std::string(Text) : std::string();
#else
    char Buffer[1024] = {};
    const char* Text = StrErrorResult(strerror_r(Code, Buffer, sizeof Buffer), Buffer);
    if (!Text || std::strncmp(Text, "Unknown error", 13) == 0)
        return {};
    return Text;
#endif
}

#endif
