// The campaign's file operations on every platform: two levels exchanged with and without the system's
// one-step call, a crash after each step of the journalled exchange and the recovery after it, renames
// that never replace, duplicates racing another writer, the names a level may take and the campaign order.

#include "folderentries.h"
#include "inouterror.h"
#include "levelset.h"
#include "portabletools.h"
#include "safefile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <utility>

using namespace PortableTools;

namespace {

#ifdef _WIN32
constexpr bool OnWindows = true;
#else
constexpr bool OnWindows = false;
#endif

using TFiles = std::vector<std::pair<std::string, std::string>>;
using TEntries = std::vector<std::string>;

const TFiles Campaign = {{"level1.txt", "one\r\n"}, {"level2.txt", "two\r\n"}, {"notes.txt", "notes"}};
const TEntries OldOrder = {"level1.txt: one\r\n", "level2.txt: two\r\n", "notes.txt: notes"};
const TEntries NewOrder = {"level1.txt: two\r\n", "level2.txt: one\r\n", "notes.txt: notes"};
const std::string Journal = ".zolvane-exchange: exchange|level1.txt|level2.txt|.level1.txt.exchange";
const std::string Aside = ".level1.txt.exchange: one\r\n";

const std::vector<TExchangeStep> AllSteps = {TExchangeStep::JournalWritten, TExchangeStep::FirstMovedAside,
                                             TExchangeStep::SecondMoved,    TExchangeStep::FirstMovedIn,
                                             TExchangeStep::FolderSynced,   TExchangeStep::JournalRemoved};

struct TCrash {};

} // namespace

// Shown by GoogleTest in failure messages.
void PrintTo(TExchangeStep Step, std::ostream* Out)
{
    static const char* const Names[] = {"JournalWritten", "FirstMovedAside", "SecondMoved",
                                        "FirstMovedIn",   "FolderSynced",    "JournalRemoved"};
    *Out << Names[static_cast<int>(Step)];
}

void PrintTo(TLevelSetRecovery Recovery, std::ostream* Out)
{
    static const char* const Names[] = {"NothingToRecover", "Settled", "RolledBack", "Completed", "Rescued"};
    *Out << Names[static_cast<int>(Recovery)];
}

namespace {

// Removes every test seam when a test ends, however it ends.
struct THookGuard {
    THookGuard() = default;
    THookGuard(const THookGuard&) = delete;
    THookGuard& operator=(const THookGuard&) = delete;
    ~THookGuard()
    {
        SetExchangeStepHook({});
        SetSystemRenameHook({});
        SetBeforeCreateHook({});
        SetFolderSyncHook({});
    }
};

void Fill(const TScratchFolder& Folder, const TFiles& Files)
{
    for (const auto& [Name, Bytes] : Files)
        ASSERT_TRUE(WriteBytes(Folder.File(Name), Bytes)) << Name;
}

// Where Call is the system's exchange, it answers Errno instead; the rename that never replaces runs.
void AnswerExchange(int Errno)
{
    SetSystemRenameHook([Errno](TSystemRename Call) { return Call == TSystemRename::Exchange ? Errno : 0; });
}

struct TExchangeCase {
    const char* Name;
    int ExchangeErrno; // what the system's exchange answers; 0: the system itself answers
    const char* Second;
    const char* Failure;
    bool ThroughJournal; // where the system has the exchange (never on Windows, which always goes through it)
};

std::ostream& operator<<(std::ostream& Out, const TExchangeCase& Case)
{
    return Out << Case.Name;
}

class Exchange : public testing::TestWithParam<TExchangeCase> {};

TEST_P(Exchange, SwapsTheBytesUnderTheTwoNamesAndSyncsTheFolder)
{
    const TExchangeCase& Case = GetParam();
    if (OnWindows && Case.ExchangeErrno != 0 && Case.ExchangeErrno != EINVAL)
        GTEST_SKIP() << "Windows has no exchange call to fail";
    THookGuard Hooks;
    TScratchFolder Folder;
    Fill(Folder, Campaign);
    std::vector<TExchangeStep> Steps;
    std::string LastSyncSaw;
    SetExchangeStepHook([&](TExchangeStep Step) { Steps.push_back(Step); });
    SetFolderSyncHook([&](const std::string&) {
        LastSyncSaw = ReadBytes(Folder.File("level1.txt"));
        return 0;
    });
    if (Case.ExchangeErrno != 0)
        AnswerExchange(Case.ExchangeErrno);

    const bool Swaps = std::string(Case.Failure) == "no error";
    EXPECT_EQ(FailureOf([&] { ExchangeLevelFiles(Folder.File("level1.txt"), Folder.File(Case.Second)); }),
              Case.Failure);
    EXPECT_EQ(Snapshot(Folder.Path()), Swaps ? NewOrder : OldOrder);
    EXPECT_EQ(Steps, (Swaps && (OnWindows || Case.ThroughJournal)) ? AllSteps : std::vector<TExchangeStep>{});
    EXPECT_EQ(LastSyncSaw, Swaps && !OnWindows ? "two\r\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    LevelSet, Exchange,
    testing::Values(TExchangeCase{"InOneStepWhereTheSystemCan", 0, "level2.txt", "no error", false},
                    TExchangeCase{"ThroughTheJournalOnAFileSystemWithoutIt", EINVAL, "level2.txt", "no error", true},
                    TExchangeCase{"ThroughTheJournalOnAKernelWithoutIt", ENOSYS, "level2.txt", "no error", true},
                    TExchangeCase{"NotWhenTheCallIsRefused", EACCES, "level2.txt", "5 File access denied", false},
                    TExchangeCase{"NotWithAMissingLevel", 0, "level9.txt", "2 File not found", false}),
    [](const testing::TestParamInfo<TExchangeCase>& Info) { return std::string(Info.param.Name); });

struct TCrashCase {
    TExchangeStep After;
    TEntries AtCrash;
    TLevelSetRecovery Recovery;
    TEntries Recovered;
    TEntries AfterFailure; // when the step fails instead, reported to the caller
};

std::ostream& operator<<(std::ostream& Out, const TCrashCase& Case)
{
    PrintTo(Case.After, &Out);
    return Out;
}

class CrashDuringExchange : public testing::TestWithParam<TCrashCase> {};

// Each step's state is the previous one's with one more change, so a step out of order shows.
TEST_P(CrashDuringExchange, IsSettledByRecoveryAndAFailedStepIsUndoneAtOnce)
{
    const TCrashCase& Case = GetParam();
    THookGuard Hooks;
    AnswerExchange(EINVAL);
    TScratchFolder Folder;
    Fill(Folder, Campaign);
    SetExchangeStepHook([&](TExchangeStep Step) {
        if (Step == Case.After)
            throw TCrash{};
    });
    EXPECT_THROW(ExchangeLevelFiles(Folder.File("level1.txt"), Folder.File("level2.txt")), TCrash);
    EXPECT_EQ(Snapshot(Folder.Path()), Case.AtCrash);
    SetExchangeStepHook({});
    TLevelSetRecovery Recovery = TLevelSetRecovery::NothingToRecover;
    EXPECT_EQ(FailureOf([&] { Recovery = RecoverLevelSet(Folder.Path().string()); }), "no error");
    EXPECT_EQ(Recovery, Case.Recovery);
    EXPECT_EQ(Snapshot(Folder.Path()), Case.Recovered);

    TScratchFolder Failing;
    Fill(Failing, Campaign);
    SetExchangeStepHook([&](TExchangeStep Step) {
        if (Step == Case.After)
            throw EInOutError(InOutAccessDenied);
    });
    const std::string Failure =
        FailureOf([&] { ExchangeLevelFiles(Failing.File("level1.txt"), Failing.File("level2.txt")); });
    EXPECT_EQ(Failure, Case.AfterFailure == OldOrder ? "5 File access denied" : "no error");
    EXPECT_EQ(Snapshot(Failing.Path()), Case.AfterFailure);
}

INSTANTIATE_TEST_SUITE_P(LevelSet, CrashDuringExchange,
                         testing::Values(TCrashCase{TExchangeStep::JournalWritten,
                                                    {Journal, OldOrder[0], OldOrder[1], OldOrder[2]},
                                                    TLevelSetRecovery::Settled,
                                                    OldOrder,
                                                    OldOrder},
                                         TCrashCase{TExchangeStep::FirstMovedAside,
                                                    {Aside, Journal, OldOrder[1], OldOrder[2]},
                                                    TLevelSetRecovery::RolledBack,
                                                    OldOrder,
                                                    OldOrder},
                                         TCrashCase{TExchangeStep::SecondMoved,
                                                    {Aside, Journal, NewOrder[0], NewOrder[2]},
                                                    TLevelSetRecovery::Completed,
                                                    NewOrder,
                                                    OldOrder},
                                         TCrashCase{TExchangeStep::FirstMovedIn,
                                                    {Journal, NewOrder[0], NewOrder[1], NewOrder[2]},
                                                    TLevelSetRecovery::Settled,
                                                    NewOrder,
                                                    OldOrder},
                                         TCrashCase{TExchangeStep::FolderSynced,
                                                    {Journal, NewOrder[0], NewOrder[1], NewOrder[2]},
                                                    TLevelSetRecovery::Settled,
                                                    NewOrder,
                                                    OldOrder},
                                         TCrashCase{TExchangeStep::JournalRemoved, NewOrder,
                                                    TLevelSetRecovery::NothingToRecover, NewOrder, NewOrder}));

struct TAfterCrashCase {
    const char* Name;
    std::function<std::string(const TScratchFolder&)> Operation; // what it did, by name
    const char* Result;
    TEntries After;
};

std::ostream& operator<<(std::ostream& Out, const TAfterCrashCase& Case)
{
    return Out << Case.Name;
}

class AfterACrash : public testing::TestWithParam<TAfterCrashCase> {};

// The crash leaves level2 (the first named) hidden: what comes next must not take its name or miss it.
TEST_P(AfterACrash, TheInterruptedExchangeIsSettledFirst)
{
    const TAfterCrashCase& Case = GetParam();
    THookGuard Hooks;
    TScratchFolder Folder;
    Fill(Folder, Campaign);
    AnswerExchange(EINVAL);
    SetExchangeStepHook([](TExchangeStep Step) {
        if (Step == TExchangeStep::FirstMovedAside)
            throw TCrash{};
    });
    EXPECT_THROW(ExchangeLevelFiles(Folder.File("level2.txt"), Folder.File("level1.txt")), TCrash);
    SetExchangeStepHook({});
    SetSystemRenameHook({});
    std::string Result;
    const std::string Failure = FailureOf([&] { Result = Case.Operation(Folder); });
    EXPECT_EQ(Failure == "no error" ? Result : Failure, Case.Result);
    EXPECT_EQ(Snapshot(Folder.Path()), Case.After);
}

INSTANTIATE_TEST_SUITE_P(
    LevelSet, AfterACrash,
    testing::Values(TAfterCrashCase{"DuplicateTakesTheNextNumber",
                                    [](const TScratchFolder& Folder) {
                                        return fs::path(DuplicateLevelFile(Folder.File("level1.txt"),
                                                                           Folder.Path().string()))
                                            .filename()
                                            .string();
                                    },
                                    "level3.txt",
                                    {OldOrder[0], OldOrder[1], "level3.txt: one\r\n", OldOrder[2]}},
                    TAfterCrashCase{"ExchangeFindsBothLevels",
                                    [](const TScratchFolder& Folder) {
                                        ExchangeLevelFiles(Folder.File("level1.txt"), Folder.File("level2.txt"));
                                        return "exchanged";
                                    },
                                    "exchanged", NewOrder},
                    TAfterCrashCase{"RenameFindsTheNameTaken",
                                    [](const TScratchFolder& Folder) {
                                        return RenameLevelFile(Folder.File("level1.txt"), Folder.File("level2.txt"))
                                            ? "renamed"
                                            : "taken";
                                    },
                                    "taken", OldOrder},
                    TAfterCrashCase{"RecoveryNeverReplacesAStranger",
                                    [](const TScratchFolder& Folder) {
                                        WriteBytes(Folder.File("level2.txt"), "stranger");
                                        return testing::PrintToString(RecoverLevelSet(Folder.Path().string()));
                                    },
                                    "Rescued",
                                    {OldOrder[0], "level2.txt: stranger", "level3.txt: two\r\n", OldOrder[2]}}),
    [](const testing::TestParamInfo<TAfterCrashCase>& Info) { return std::string(Info.param.Name); });

TEST(InterruptedExchange, WithAJournalItCannotReadIsLeftAsItIs)
{
    TScratchFolder Folder;
    Fill(Folder, {{"level1.txt", "one"}, {".zolvane-exchange", "exchange|level1.txt"}});
    EXPECT_EQ(FailureOf([&] { RecoverLevelSet(Folder.Path().string()); }),
              "3 The level folder holds an exchange journal it cannot read: " + Folder.File(".zolvane-exchange"));
    EXPECT_EQ(Snapshot(Folder.Path()), (TEntries{".zolvane-exchange: exchange|level1.txt", "level1.txt: one"}));
}

struct TRenameCase {
    const char* Name;
    int NoReplaceErrno; // what the system's rename that never replaces answers; 0: the system itself
    const char* From;
    const char* Occupant; // what is at level7.txt first: "" nothing, "file", "folder" or "link"
    const char* Result;
    TEntries After;
};

std::ostream& operator<<(std::ostream& Out, const TRenameCase& Case)
{
    return Out << Case.Name;
}

class Rename : public testing::TestWithParam<TRenameCase> {};

TEST_P(Rename, TakesOnlyAFreeName)
{
    const TRenameCase& Case = GetParam();
    const std::string Occupant = Case.Occupant;
    if (OnWindows && (Case.NoReplaceErrno != 0 || Occupant == "link"))
        GTEST_SKIP() << "Windows has neither the rename call nor links made without privilege";
    THookGuard Hooks;
    TScratchFolder Folder;
    Fill(Folder, {{"level1.txt", "one"}});
    if (Occupant == "file")
        Fill(Folder, {{"level7.txt", "seven"}});
    if (Occupant == "folder")
        fs::create_directory(Folder.Path() / "level7.txt");
    if (Occupant == "link")
        fs::create_symlink("nowhere.txt", Folder.Path() / "level7.txt");
    SetSystemRenameHook([&](TSystemRename) { return Case.NoReplaceErrno; });
    std::string Result;
    const std::string Failure = FailureOf(
        [&] { Result = RenameLevelFile(Folder.File(Case.From), Folder.File("level7.txt")) ? "renamed" : "taken"; });
    EXPECT_EQ(Failure == "no error" ? Result : Failure, Case.Result);
    EXPECT_EQ(Snapshot(Folder.Path()), Case.After);
}

INSTANTIATE_TEST_SUITE_P(
    LevelSet, Rename,
    testing::Values(
        TRenameCase{"ToAFreeName", 0, "level1.txt", "", "renamed", {"level7.txt: one"}},
        TRenameCase{"NotOntoAFile", 0, "level1.txt", "file", "taken", {"level1.txt: one", "level7.txt: seven"}},
        TRenameCase{"NotOntoAFolder", 0, "level1.txt", "folder", "taken", {"level1.txt: one", "level7.txt/"}},
        TRenameCase{
            "NotOntoADanglingLink", 0, "level1.txt", "link", "taken", {"level1.txt: one", "level7.txt -> nowhere.txt"}},
        TRenameCase{"NotAMissingLevel", 0, "level2.txt", "", "2 File not found", {"level1.txt: one"}},
        TRenameCase{"ByLinkToAFreeName", EINVAL, "level1.txt", "", "renamed", {"level7.txt: one"}},
        TRenameCase{
            "ByLinkNotOntoAFile", ENOSYS, "level1.txt", "file", "taken", {"level1.txt: one", "level7.txt: seven"}},
        TRenameCase{
            "ByLinkNotOntoAFolder", EINVAL, "level1.txt", "folder", "taken", {"level1.txt: one", "level7.txt/"}},
        TRenameCase{"ByLinkNotOntoADanglingLink",
                    EINVAL,
                    "level1.txt",
                    "link",
                    "taken",
                    {"level1.txt: one", "level7.txt -> nowhere.txt"}}),
    [](const testing::TestParamInfo<TRenameCase>& Info) { return std::string(Info.param.Name); });

struct TDuplicateCase {
    const char* Name;
    const char* Source;
    int Races; // how many names another writer takes just before the copy claims them
    const char* Result; // the copy's name, or the failure
    TEntries After;
};

std::ostream& operator<<(std::ostream& Out, const TDuplicateCase& Case)
{
    return Out << Case.Name;
}

class Duplicate : public testing::TestWithParam<TDuplicateCase> {};

TEST_P(Duplicate, CopiesByteForByteToTheNextFreeName)
{
    const TDuplicateCase& Case = GetParam();
    THookGuard Hooks;
    TScratchFolder Folder;
    Fill(Folder, {{"level1.txt", std::string("a\r\n\xe9\0z", 6)}, {"level3.txt", "three"}, {"notes.txt", "notes"}});
    int Races = Case.Races;
    SetBeforeCreateHook([&](const std::string& Path) {
        if (Races-- > 0) {
            ASSERT_TRUE(WriteBytes(Path, "racer"));
        }
    });
    std::string Copy;
    const std::string Failure =
        FailureOf([&] { Copy = DuplicateLevelFile(Folder.File(Case.Source), Folder.Path().string()); });
    EXPECT_EQ(Failure == "no error" ? fs::path(Copy).filename().string() : Failure, Case.Result);
    EXPECT_EQ(Failure == "no error" ? Copy : "", Failure == "no error" ? Folder.File(Case.Result) : "");
    EXPECT_EQ(Snapshot(Folder.Path()), Case.After);
}

const std::string Level1 = "level1.txt: a\r\n\xe9|z";

INSTANTIATE_TEST_SUITE_P(
    LevelSet, Duplicate,
    testing::Values(TDuplicateCase{"AboveTheLargestNumber",
                                   "level1.txt",
                                   0,
                                   "level4.txt",
                                   {Level1, "level3.txt: three", "level4.txt: a\r\n\xe9|z", "notes.txt: notes"}},
                    TDuplicateCase{"OfALevelWithoutNumber",
                                   "notes.txt",
                                   0,
                                   "level4.txt",
                                   {Level1, "level3.txt: three", "level4.txt: notes", "notes.txt: notes"}},
                    TDuplicateCase{
                        "PastANameAnotherWriterTakes",
                        "level3.txt",
                        1,
                        "level5.txt",
                        {Level1, "level3.txt: three", "level4.txt: racer", "level5.txt: three", "notes.txt: notes"}},
                    TDuplicateCase{"PastTwoRacesInARow",
                                   "level3.txt",
                                   2,
                                   "level6.txt",
                                   {Level1, "level3.txt: three", "level4.txt: racer", "level5.txt: racer",
                                    "level6.txt: three", "notes.txt: notes"}},
                    TDuplicateCase{"NotOfAMissingLevel",
                                   "level2.txt",
                                   0,
                                   "2 File not found",
                                   {Level1, "level3.txt: three", "notes.txt: notes"}}),
    [](const testing::TestParamInfo<TDuplicateCase>& Info) { return std::string(Info.param.Name); });

TEST(LevelName, IsMadeWholeOrRefusedWithAReason)
{
    const std::string Empty = "A level needs a name.";
    const std::string Separator = "A level's name cannot hold \"/\" or \"\\\".";
    const std::string TestLevel = "test.lvl is the level the game tries out; choose another name.";
    const std::vector<std::pair<std::string, TLevelNameCheck>> Table = {
        {"level5", {"level5.txt", ""}},
        {"level5.txt", {"level5.txt", ""}},
        {"Level5.TXT", {"Level5.TXT", ""}},
        {"  my level  ", {"my level.txt", ""}},
        {"level5.txt.bak", {"level5.txt.bak.txt", ""}},
        {"test.lvl.txt", {"test.lvl.txt", ""}},
        {".hidden", {".hidden.txt", ""}},
        {"", {"", Empty}},
        {"   ", {"", Empty}},
        {".", {"", Empty}},
        {"..", {"", Empty}},
        {".TXT", {"", Empty}},
        {"a/b", {"", Separator}},
        {"..\\level1.txt", {"", Separator}},
        {"tab\there", {"", "A level's name cannot hold control characters."}},
        {"test.lvl", {"", TestLevel}},
        {"TEST.LVL", {"", TestLevel}},
    };
    for (const auto& [Typed, Expected] : Table) {
        const TLevelNameCheck Check = CheckLevelName(Typed);
        EXPECT_EQ(Check.Name + " | " + Check.Refusal, Expected.Name + " | " + Expected.Refusal) << "typed: " << Typed;
    }
}

TEST(CampaignOrder, IsByNumberThenByNameWithoutCase)
{
    const std::vector<std::pair<const char*, TEntries>> Table = {
        {"numbers, not text", {"level1.txt", "level2.txt", "level10.txt"}},
        {"no number first", {"Intro.txt", "readme.txt", "level1.txt"}},
        {"negative before none", {"level-1.txt", "a.txt", "level1.txt"}},
        {"same number by name", {"LEVEL3.txt", "level3a.txt", "Level3b.txt"}},
        {"case only by bytes", {"LEVEL1.txt", "Level1.txt", "level1.txt"}},
        {"as the number reads", {"level08.txt", "level9.txt", "level$10.txt", "level0x11.txt"}},
    };
    for (const auto& [Row, Expected] : Table) {
        TEntries Rotated = Expected;
        std::rotate(Rotated.begin(), Rotated.begin() + 1, Rotated.end());
        for (TEntries Names : {TEntries(Expected.rbegin(), Expected.rend()), Rotated}) {
            std::sort(Names.begin(), Names.end(), CampaignOrderLess);
            EXPECT_EQ(Names, Expected) << Row;
        }
    }
}

} // namespace
