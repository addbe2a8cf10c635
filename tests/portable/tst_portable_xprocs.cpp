// The system's own text for an error code, on every platform: Windows's message table keeps its line
// break at the end, POSIX's strerror texts have none; 0 stands for the last failed call's code.

#include "xProcs.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // the C++ library may have defined it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The system's text for Code asked for another way than SystemErrorText does, so that a wrong flag, a
// cut-off buffer or a wrong code shows.
std::string SystemsOwnText(int Code)
{
#ifdef _WIN32
    char* Text = nullptr;
    const DWORD Length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(Code), 0, reinterpret_cast<char*>(&Text), 0,
                                        nullptr);
    std::string Result = Length ? std::string(Text, Length) : std::string();
    LocalFree(Text);
    return Result;
#else
    return std::strerror(Code);
#endif
}

#ifdef _WIN32
constexpr int FileNotFound = ERROR_FILE_NOT_FOUND;
constexpr int PathNotFound = ERROR_PATH_NOT_FOUND;
constexpr int AlreadyExists = ERROR_ALREADY_EXISTS;
#else
constexpr int FileNotFound = ENOENT;
constexpr int PathNotFound = ENOTDIR;
constexpr int AlreadyExists = EEXIST;
#endif

TEST(SystemErrorText, OfFileNotFoundIsTheSystemsOwnText)
{
    const std::string Text = SystemErrorText(2);
    ASSERT_FALSE(Text.empty());
    EXPECT_EQ(Text, SystemsOwnText(FileNotFound));
    EXPECT_NE(Text, SystemErrorText(5));
#ifdef _WIN32
    ASSERT_GE(Text.size(), 2u);
    EXPECT_EQ(Text.substr(Text.size() - 2), "\r\n") << "the message table's line break stays";
#else
    EXPECT_NE(Text.back(), '\n');
#endif
}

struct TFailedCall {
    const char* Name;
    bool (*Fail)(); // true when the call failed as meant
    int Code;       // the last error it leaves
};

std::ostream& operator<<(std::ostream& Out, const TFailedCall& Call)
{
    return Out << Call.Name;
}

#ifdef _WIN32
bool OpenFails(const char* Path)
{
    HANDLE File = CreateFileA(Path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(File);
    return false;
}
bool OpenMissingFile() { return OpenFails("zolvane-absent-level.txt"); }
bool OpenInMissingFolder() { return OpenFails("zolvane-absent-folder\\level.txt"); }
bool CreateExistingFolder()
{
    const std::string Temp = std::filesystem::temp_directory_path().string();
    return !CreateDirectoryA(Temp.c_str(), nullptr);
}
#else
bool OpenFails(const char* Path)
{
    const int Fd = open(Path, O_RDONLY);
    if (Fd < 0)
        return true;
    close(Fd);
    return false;
}
bool OpenMissingFile() { return OpenFails("zolvane-absent-level.txt"); }
bool OpenInMissingFolder() { return OpenFails("/dev/null/level.txt"); }
bool CreateExistingFolder()
{
    const std::string Temp = std::filesystem::temp_directory_path().string();
    return mkdir(Temp.c_str(), 0777) != 0;
}
#endif

class AfterAFailedCall : public testing::TestWithParam<TFailedCall> {};

TEST_P(AfterAFailedCall, ZeroGivesThatCallsText)
{
    const TFailedCall& Call = GetParam();
    ASSERT_TRUE(Call.Fail());
    const std::string Text = SystemErrorText(0);
    EXPECT_FALSE(Text.empty());
    EXPECT_EQ(Text, SystemsOwnText(Call.Code));
}

INSTANTIATE_TEST_SUITE_P(
    SystemErrorText, AfterAFailedCall,
    testing::Values(TFailedCall{"OpeningAMissingFile", OpenMissingFile, FileNotFound},
                    TFailedCall{"OpeningInAMissingFolder", OpenInMissingFolder, PathNotFound},
                    TFailedCall{"CreatingAnExistingFolder", CreateExistingFolder, AlreadyExists}),
    [](const testing::TestParamInfo<TFailedCall>& Info) { return std::string(Info.param.Name); });

TEST(SystemErrorText, IsEmptyForACodeTheSystemHasNoTextFor)
{
    EXPECT_EQ(SystemErrorText(INT_MAX), "");
    EXPECT_EQ(SystemErrorText(-1), "");
}

} // namespace
