// What the level folder's writers leave there: Test Level's copy replaces a link named like it instead of
// writing through it, and a save removes the temporary files that killed saves left, and nothing else.

#include "leveldata.h"
#include "levelfile.h"
#include "levelwriters.h"
#include "portabletools.h"
#include "tempfiles.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace PortableTools;

namespace {

// Every entry under Folder, sub-folders' entries after theirs: "name -> target" for a link, "name/" for a
// folder, "name: bytes" for a file, with the test level's bytes shown as "<copy>".
std::vector<std::string> Snapshot(const fs::path& Folder, const std::string& Copy)
{
    std::vector<std::string> Entries;
    for (const std::string& Name : Listing(Folder)) {
        const fs::path Path = Folder / Name;
        if (fs::is_symlink(Path)) {
            Entries.push_back(Name + " -> " + fs::read_symlink(Path).generic_string());
        } else if (fs::is_directory(Path)) {
            Entries.push_back(Name + "/");
            for (const std::string& Inner : Snapshot(Path, Copy))
                Entries.push_back(Name + "/" + Inner);
        } else {
            const std::string Bytes = ReadBytes(Path.string());
            Entries.push_back(Name + ": " + (Bytes == Copy ? "<copy>" : Bytes));
        }
    }
    return Entries;
}

struct TCopyCase {
    const char* Name;
    const char* LinkTarget; // what test.lvl links to, relative to the level folder; empty: no link
    std::vector<std::string> After;
};

std::ostream& operator<<(std::ostream& Out, const TCopyCase& Case)
{
    return Out << Case.Name;
}

class TestLevelCopy : public testing::TestWithParam<TCopyCase> {};

// The game folder holds the level folder "levels" (with level3.txt and the folder "sub") and "outside".
TEST_P(TestLevelCopy, ReplacesWhatIsNamedTestLvlItself)
{
    const TCopyCase& Case = GetParam();
    TScratchFolder Game;
    const fs::path Levels = Game.Path() / "levels";
    fs::create_directories(Levels / "sub");
    fs::create_directories(Game.Path() / "outside");
    ASSERT_TRUE(WriteBytes((Levels / "level3.txt").string(), "level three\r\n"));
    if (*Case.LinkTarget) {
        std::error_code Error;
        fs::create_symlink(Case.LinkTarget, Levels / "test.lvl", Error);
        if (Error) {
            GTEST_SKIP() << "no symbolic links here: " << Error.message();
        }
    }
    const TLevelData Level = FilledLevel("level3.txt");
    ASSERT_EQ(FailureOf([&] { SaveLevelCopy((Levels / "test.lvl").string(), Level); }), "no error");
    EXPECT_EQ(Snapshot(Game.Path(), FormatLevel(Level)), Case.After);
    EXPECT_EQ(Level, FilledLevel("level3.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    LevelWriters, TestLevelCopy,
    testing::Values(TCopyCase{"NothingThere",
                              "",
                              {"levels/", "levels/.zolvane.lock: ", "levels/level3.txt: level three\r\n", "levels/sub/",
                               "levels/test.lvl: <copy>", "outside/"}},
                    TCopyCase{"LinkToALevelBesideIt",
                              "level3.txt",
                              {"levels/", "levels/.zolvane.lock: ", "levels/level3.txt: level three\r\n", "levels/sub/",
                               "levels/test.lvl: <copy>", "outside/"}},
                    TCopyCase{"DanglingLinkOutOfTheFolder",
                              "../outside/made.txt",
                              {"levels/", "levels/.zolvane.lock: ", "levels/level3.txt: level three\r\n", "levels/sub/",
                               "levels/test.lvl: <copy>", "outside/"}},
                    TCopyCase{"LinkToAFolder",
                              "sub",
                              {"levels/", "levels/.zolvane.lock: ", "levels/level3.txt: level three\r\n", "levels/sub/",
                               "levels/test.lvl: <copy>", "outside/"}}),
    [](const testing::TestParamInfo<TCopyCase>& Info) { return std::string(Info.param.Name); });

struct TLeftOver {
    const char* Name;
    bool Folder;
    int AgeMinutes;
    bool Removed;
};

// Only this program's own temporary files, and only old ones: a younger one may belong to a writer that
// holds no lock, and anything else belongs to someone else.
TEST(LevelWriters, RemoveOnlyTheirOwnStaleTemporaryFiles)
{
    const std::string LongName(80, 'n');
    const std::string LongTemp = fs::path(TempNameFor(LongName + ".txt", 0, 12)).filename().string();
    const std::vector<TLeftOver> LeftOvers = {
        {".level1.txt.123-4-5.tmp", false, 61, true},
        {".level2.txt.9-0-77.tmp", false, 120, true},
        {LongTemp.c_str(), false, 24 * 60, true},
        {".level1.txt.123-4-6.tmp", false, 59, false},
        {".level1.txt.12a-4-5.tmp", false, 120, false},
        {".level1.txt.123-4.tmp", false, 120, false},
        {".notes.tmp", false, 120, false},
        {"level1.txt.123-4-5.tmp", false, 120, false},
        {".level1.txt.123-4-5.tmp.bak", false, 120, false},
        {".level1.txt.1-2-3.tmp", true, 120, false},
    };
    TScratchFolder Folder;
    std::vector<std::string> Kept = {".zolvane.lock", "level1.txt"};
    const auto Now = fs::file_time_type::clock::now();
    for (const TLeftOver& Entry : LeftOvers) {
        const fs::path Path = Folder.Path() / Entry.Name;
        std::error_code Error;
        if (Entry.Folder)
            fs::create_directory(Path);
        else
            ASSERT_TRUE(WriteBytes(Path.string(), "left over"));
        // Windows's C library cannot date a folder back; a young folder has to stay all the same.
        fs::last_write_time(Path, Now - std::chrono::minutes(Entry.AgeMinutes), Error);
        ASSERT_TRUE(!Error || Entry.Folder) << Error.message();
        if (!Entry.Removed)
            Kept.push_back(Entry.Name);
    }
    std::sort(Kept.begin(), Kept.end());
    TLevelData Level = FilledLevel("");
    ASSERT_EQ(FailureOf([&] { SaveLevelChecked(Folder.File("level1.txt"), Level, {}, [] { return true; }); }),
              "no error");
    EXPECT_EQ(Listing(Folder.Path()), Kept);
}

} // namespace
