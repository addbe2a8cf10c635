// The level file on every platform: the golden files byte for byte, the library's codes for a missing
// file and a missing folder, and the safe save's promise when a save fails (old bytes kept, no temporary
// file left), including the Windows cases of a read-only attribute and a file another handle has open.

#include "inouterror.h"
#include "leveldata.h"
#include "portabletools.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // the C++ library may have defined it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace PortableTools;

namespace {

std::string GoldenFile(const std::string& Name)
{
    // CTest names the data folder; run by hand, the test finds it in the source tree.
    const char* Data = std::getenv("ZOLVANE_TEST_DATA");
    return (fs::path(Data && *Data ? Data : ZOLVANE_SOURCE_TEST_DATA) / "level" / Name).string();
}

struct TGoldenCase {
    const char* Name;
    std::function<TLevelData()> Level;
    const char* Golden;
    bool ReadsBack; // false where the record holds codes the file cannot carry
};

std::ostream& operator<<(std::ostream& Out, const TGoldenCase& Case)
{
    return Out << Case.Name;
}

TLevelData AllCodes()
{
    TLevelData Level = RecordFromRows({}, "Castle", "");
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column)
            Level.Cells[Column][Row] = {static_cast<std::uint8_t>((Column + Row) % 11),
                                        static_cast<std::uint8_t>((Column * 3 + Row) % 7)};
    return Level;
}

TLevelData OutOfRange()
{
    TLevelData Level = RecordFromRows({}, "", "");
    Level.Cells[0][0] = {11, 1};
    Level.Cells[1][0] = {2, 7};
    Level.Cells[2][0] = {200, 200};
    for (TLevelColumn& Column : Level.Cells) {
        Column[5] = {255, 0};
        Column[9] = {9, 255};
    }
    return Level;
}

class GoldenFiles : public testing::TestWithParam<TGoldenCase> {};

TEST_P(GoldenFiles, AreWrittenByteForByteAndReadBack)
{
    const TGoldenCase& Case = GetParam();
    TScratchFolder Folder;
    const std::string Target = Folder.File(Case.Golden);
    TLevelData Level = Case.Level();
    // The flags belong to the editor, not to the file: saving leaves them as they are.
    Level.Changed = 1;
    TLevelData Expected = Level;
    Expected.FileName = Target;
    ASSERT_EQ(FailureOf([&] { SaveLevel(Target, Level); }), "no error");
    EXPECT_EQ(ReadBytes(Target), ReadBytes(GoldenFile(Case.Golden)));
    EXPECT_EQ(Level, Expected);
    EXPECT_EQ(Listing(Folder.Path()), std::vector<std::string>{Case.Golden});

    if (!Case.ReadsBack)
        return;
    Expected.FileName = GoldenFile(Case.Golden);
    Expected.Changed = 0;
    ASSERT_EQ(FailureOf([&] { LoadLevel(GoldenFile(Case.Golden), Level); }), "no error");
    EXPECT_EQ(Level, Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Level, GoldenFiles,
    testing::Values(TGoldenCase{"ClearedLevelIsTenRowsOfDots", [] { return RecordFromRows({}, "", ""); },
                                "cleared.txt", true},
                    TGoldenCase{"FixedBrickThenBrick4WithPowerUp2", [] { return RecordFromRows({"#.4E"}, "", ""); },
                                "examplerow.txt", true},
                    TGoldenCase{"EveryCodeAndAOneWordTrailer", AllCodes, "allcodes.txt", true},
                    TGoldenCase{"CodesOutsideTheRangesWriteNothing", OutOfRange, "outofrange.txt", false}),
    [](const testing::TestParamInfo<TGoldenCase>& Info) { return std::string(Info.param.Name); });

struct TLoadFailure {
    const char* Name;
    const char* Path; // in the scratch folder, which also holds the folder "folder.txt"
    const char* Failure;
};

std::ostream& operator<<(std::ostream& Out, const TLoadFailure& Case)
{
    return Out << Case.Name << " " << Case.Path;
}

class LoadFailures : public testing::TestWithParam<TLoadFailure> {};

TEST_P(LoadFailures, GiveTheLibrarysCodeAndLeaveNoLevel)
{
    const TLoadFailure& Case = GetParam();
    TScratchFolder Folder;
    fs::create_directory(Folder.Path() / "folder.txt");
    TLevelData Level = FilledLevel("before.txt");
    EXPECT_EQ(FailureOf([&] { LoadLevel(Folder.File(Case.Path), Level); }), Case.Failure);
    EXPECT_EQ(Level, TLevelData{});
}

INSTANTIATE_TEST_SUITE_P(Level, LoadFailures,
                         testing::Values(TLoadFailure{"MissingFile", "absent.txt", "2 File not found"},
                                         TLoadFailure{"MissingFolder", "nowhere/level1.txt", "3 Invalid filename"},
                                         TLoadFailure{"FolderOpenedAsALevel", "folder.txt", "5 File access denied"}),
                         [](const testing::TestParamInfo<TLoadFailure>& Info) { return std::string(Info.param.Name); });

// Where a failed save must leave things: the file that was there, byte for byte, and nothing else.
enum class TObstacle {
    MissingFolder,
    FolderInTheWay,
    ReadOnlyLevel,
#ifdef _WIN32
    OpenWithoutSharing,
#endif
};

struct TSaveFailure {
    const char* Name;
    TObstacle Obstacle;
    const char* Failure;
};

std::ostream& operator<<(std::ostream& Out, const TSaveFailure& Case)
{
    return Out << Case.Name;
}

class SaveFailures : public testing::TestWithParam<TSaveFailure> {};

TEST_P(SaveFailures, KeepTheOldFileAndLeaveNoTemporaryFile)
{
    const TSaveFailure& Case = GetParam();
    TScratchFolder Folder;
    const std::string OldBytes = "old level\r\n";
    std::string Target = Folder.File("level1.txt");
    ASSERT_TRUE(WriteBytes(Target, OldBytes));
#ifdef _WIN32
    HANDLE Holder = INVALID_HANDLE_VALUE;
#endif
    switch (Case.Obstacle) {
    case TObstacle::MissingFolder:
        Target = Folder.File("nowhere/level1.txt");
        break;
    case TObstacle::FolderInTheWay:
        Target = Folder.File("folder.txt");
        fs::create_directory(Target);
        break;
    case TObstacle::ReadOnlyLevel:
#ifdef _WIN32
        ASSERT_TRUE(SetFileAttributesA(Target.c_str(), FILE_ATTRIBUTE_READONLY));
#else
        if (geteuid() == 0) {
            GTEST_SKIP() << "root may write any file; the Qt tests cover a read-only level as another user";
        }
        fs::permissions(Target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
#endif
        break;
#ifdef _WIN32
    case TObstacle::OpenWithoutSharing:
        Holder = CreateFileA(Target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(Holder, INVALID_HANDLE_VALUE);
        break;
#endif
    }
    const std::vector<std::string> Before = Listing(Folder.Path());
    TLevelData Level = FilledLevel("before.txt");
    const TLevelData Unchanged = Level;

    EXPECT_EQ(FailureOf([&] { SaveLevel(Target, Level); }), Case.Failure);
#ifdef _WIN32
    if (Holder != INVALID_HANDLE_VALUE)
        CloseHandle(Holder);
#endif
    EXPECT_EQ(Level, Unchanged);
    EXPECT_EQ(ReadBytes(Folder.File("level1.txt")), OldBytes);
    EXPECT_EQ(Listing(Folder.Path()), Before);
#ifdef _WIN32
    if (Case.Obstacle == TObstacle::ReadOnlyLevel) {
        EXPECT_EQ(GetFileAttributesA(Target.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
    }
#endif
}

const TSaveFailure SaveFailureCases[] = {
    {"MissingFolder", TObstacle::MissingFolder, "3 Invalid filename"},
    {"FolderInTheWay", TObstacle::FolderInTheWay, "5 File access denied"},
    {"ReadOnlyLevel", TObstacle::ReadOnlyLevel, "5 File access denied"},
#ifdef _WIN32
    {"OpenWithoutSharing", TObstacle::OpenWithoutSharing, "5 File access denied"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Level, SaveFailures, testing::ValuesIn(SaveFailureCases),
                         [](const testing::TestParamInfo<TSaveFailure>& Info) { return std::string(Info.param.Name); });

// The editor names its levels relative to its directory, with "/" between the folders.
TEST(Save, ReplacesALevelNamedRelativelyWithSlashes)
{
    TScratchFolder Folder;
    fs::create_directories(Folder.Path() / "data" / "levels");
    const fs::path OldDir = fs::current_path();
    fs::current_path(Folder.Path());
    struct TRestore {
        const fs::path& Dir;
        ~TRestore() { fs::current_path(Dir); }
    } Restore{OldDir};

    const std::string Target = "data/levels/level1.txt";
    ASSERT_TRUE(WriteBytes(Target, "old level\r\n"));
    for (const char* Trailer : {"First", "Second"}) {
        TLevelData Level = FilledLevel("");
        Level.TrailerText = Trailer;
        ASSERT_EQ(FailureOf([&] { SaveLevel(Target, Level); }), "no error") << Trailer;
        TLevelData Back;
        ASSERT_EQ(FailureOf([&] { LoadLevel(Target, Back); }), "no error") << Trailer;
        Level.FileName = Target;
        EXPECT_EQ(Back, Level);
        EXPECT_EQ(Listing("data/levels"), std::vector<std::string>{"level1.txt"});
    }
    TLevelData Level = FilledLevel("");
    bool Saved = true;
    EXPECT_EQ(FailureOf([&] { Saved = SaveNewLevel(Target, Level); }), "no error");
    EXPECT_FALSE(Saved);
    EXPECT_EQ(FailureOf([&] { Saved = SaveNewLevel("data/levels/level2.txt", Level); }), "no error");
    EXPECT_TRUE(Saved);
    EXPECT_EQ(Listing("data/levels"), (std::vector<std::string>{"level1.txt", "level2.txt"}));
}

TEST(Save, ReplacesAnExistingLevelLeavingOnlyIt)
{
    TScratchFolder Folder;
    const std::string Target = Folder.File("level1.txt");
    ASSERT_TRUE(WriteBytes(Target, "old level\r\n"));
    TLevelData Level = FilledLevel("");
    ASSERT_EQ(FailureOf([&] { SaveLevel(Target, Level); }), "no error");
    TLevelData Back;
    ASSERT_EQ(FailureOf([&] { LoadLevel(Target, Back); }), "no error");
    EXPECT_EQ(Back, FilledLevel(Target));
    EXPECT_EQ(Listing(Folder.Path()), std::vector<std::string>{"level1.txt"});
}

// A reader that holds the level open as the C and C++ libraries open files, as the game does while it reads
// its level. POSIX renames over an open file; Windows refuses to while the reader does not share deletion,
// and the save fails as cleanly as any other.
TEST(Save, WhileAReaderHasTheLevelOpen)
{
#ifdef _WIN32
    const std::string Expected = "5 File access denied";
#else
    const std::string Expected = "no error";
#endif
    TScratchFolder Folder;
    const std::string Target = Folder.File("level1.txt");
    const std::string OldBytes = "old level\r\n";
    ASSERT_TRUE(WriteBytes(Target, OldBytes));
    TLevelData Level = FilledLevel("");
    {
        std::ifstream Reader(Target, std::ios::binary);
        ASSERT_TRUE(Reader.is_open());
        EXPECT_EQ(FailureOf([&] { SaveLevel(Target, Level); }), Expected);
        std::ostringstream Read;
        Read << Reader.rdbuf();
        EXPECT_EQ(Read.str(), OldBytes) << "the reader reads the file it opened";
    }
    EXPECT_EQ(Listing(Folder.Path()), std::vector<std::string>{"level1.txt"});
    TLevelData Back;
    LoadLevel(Target, Back);
    if (Expected == "no error") {
        EXPECT_EQ(Level, FilledLevel(Target));
        EXPECT_EQ(Back.Cells, Level.Cells);
    } else {
        EXPECT_EQ(ReadBytes(Target), OldBytes);
        EXPECT_EQ(Level, FilledLevel(""));
    }
}

TEST(SaveNew, RefusesATakenNameAndCreatesAFreeOne)
{
    TScratchFolder Folder;
    const std::string Taken = Folder.File("level1.txt");
    ASSERT_TRUE(WriteBytes(Taken, "old level\r\n"));
    TLevelData Level = FilledLevel("");
    bool Saved = true;
    EXPECT_EQ(FailureOf([&] { Saved = SaveNewLevel(Taken, Level); }), "no error");
    EXPECT_FALSE(Saved);
    EXPECT_EQ(ReadBytes(Taken), "old level\r\n");
    EXPECT_EQ(Level, FilledLevel(""));

    const std::string Free = Folder.File("level2.txt");
    EXPECT_EQ(FailureOf([&] { Saved = SaveNewLevel(Free, Level); }), "no error");
    EXPECT_TRUE(Saved);
    EXPECT_EQ(Level, FilledLevel(Free));
    EXPECT_EQ(Listing(Folder.Path()), (std::vector<std::string>{"level1.txt", "level2.txt"}));
}

} // namespace
