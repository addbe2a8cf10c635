// Starting the game on every platform: a missing game gives the code whose system text says the file was
// not found, and a game that is there starts with the one argument in the given working directory.

#include "gamelaunch.h"
#include "portabletools.h"
#include "xProcs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // the C++ library may have defined it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

using namespace PortableTools;

namespace {

#ifdef _WIN32
constexpr int FileNotFound = ERROR_FILE_NOT_FOUND;
#else
constexpr int FileNotFound = 2; // ENOENT
#endif

// The probe program is built beside this test.
fs::path ProbeProgram()
{
#ifdef _WIN32
    char Self[MAX_PATH];
    const DWORD Length = GetModuleFileNameA(nullptr, Self, MAX_PATH);
    return fs::path(std::string(Self, Length)).parent_path() / "tst_portable_launchprobe.exe";
#else
    return fs::read_symlink("/proc/self/exe").parent_path() / "tst_portable_launchprobe";
#endif
}

TEST(StartProgram, OfAMissingGameGivesTheSystemsFileNotFoundText)
{
    TScratchFolder Game;
    const int Error = StartProgram(Game.File("zolvane.exe"), "--level=test.lvl", Game.Path().string());
    EXPECT_EQ(Error, FileNotFound);
    EXPECT_EQ(SystemErrorText(Error), SystemErrorText(FileNotFound));
    EXPECT_FALSE(SystemErrorText(Error).empty());
}

TEST(StartProgram, StartsTheGameWithItsArgumentInTheGivenFolder)
{
    TScratchFolder Game;
    ASSERT_TRUE(fs::exists(ProbeProgram())) << ProbeProgram();
    ASSERT_EQ(StartProgram(ProbeProgram().string(), "--level=test.lvl", Game.Path().string()), 0);

    // The editor does not wait for the game; the test waits for what the game leaves behind.
    const std::string Said = Game.File("started.txt");
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(Said) && std::chrono::steady_clock::now() < Deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(Said)) << "the probe did not start within a minute";
    const std::string Text = ReadBytes(Said);
    const std::size_t Break = Text.find('\n');
    ASSERT_NE(Break, std::string::npos) << Text;
    EXPECT_EQ(Text.substr(0, Break), "1 --level=test.lvl");
    EXPECT_TRUE(fs::equivalent(fs::path(Text.substr(Break + 1)), Game.Path())) << Text;
}

} // namespace
