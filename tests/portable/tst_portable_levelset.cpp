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

// Shown by GoogleTest in failure messages.
void PrintTo(TLevelSetRecovery Recovery, std::ostream* Out)
{
    static const char* const Names[] = {"NothingToRecover", "Settled", "RolledBack", "Completed", "Rescued"};
    *Out << Names[static_cast<int>(Recovery)];
}

namespace {

#ifdef _WIN32
constexpr bool OnWindows = true;
#else
constexpr bool OnWindows = false;
#endif

using TFiles = std::vector<std::pair<std::string, std::string>>;
using TEntries = std::vector<std::string>;
using enum TExchangeStep;
using enum TLevelSetRecovery;

const TFiles Campaign = {{"level1.txt", "one\r\n"}, {"level2.txt", "two\r\n"}, {"notes.txt", "notes"}};
const TEntries OldOrder = {"level1.txt: one\r\n", "level2.txt: two\r\n", "notes.txt: notes"};
const TEntries NewOrder = {"level1.txt: two\r\n", "level2.txt: one\r\n", "notes.txt: notes"};
const std::vector<TExchangeStep> AllSteps = {JournalWritten, FirstMovedAside, SecondMoved,
                                             FirstMovedIn,   FolderSynced,    JournalRemoved};

struct TCrash {};

void Fill(const TScratchFolder& Folder, const TFiles& Files)
{
    for (const auto& [Name, Bytes] : Files)
        ASSERT_TRUE(WriteBytes(Folder.File(Name), Bytes)) << Name;
}

// The system's exchange answers Errno instead of running (0: it runs); the rename that never replaces runs.
void AnswerExchange(int Errno)
{
    SetSystemRenameHook([Errno](TSystemRename Call) { return Call == TSystemRename::Exchange ? Errno : 0; });
}

void ThrowAt(TExchangeStep At)
{
    SetExchangeStepHook([At](TExchangeStep Step) {
        if (Step == At)
            throw TCrash{};
    });
}

TEST(LevelSet, ExchangeSwapsTheBytesUnderTheTwoNamesAndSyncsTheFolder)
{
    struct {
        const char* Row;
        int ExchangeErrno;
        const char* Second;
        const char* Failure;
        bool ThroughJournal; // where the system has the exchange: Windows always goes through the journal
    } const Table[] = {
        {"in one step where the system can", 0, "level2.txt", "no error", false},
        {"file system without it", EINVAL, "level2.txt", "no error", true},
        {"kernel without it", ENOSYS, "level2.txt", "no error", true},
        {"the call refused", EACCES, "level2.txt", "5 File access denied", false},
        {"a missing level", 0, "level9.txt", "2 File not found", false},
    };
    for (const auto& Case : Table) {
        if (OnWindows && Case.ExchangeErrno == EACCES)
            continue; // no exchange call to refuse
        SCOPED_TRACE(Case.Row);
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
        AnswerExchange(Case.ExchangeErrno);
        const bool Swaps = std::string(Case.Failure) == "no error";
        EXPECT_EQ(FailureOf([&] { ExchangeLevelFiles(Folder.File("level1.txt"), Folder.File(Case.Second)); }),
                  Case.Failure);
        EXPECT_EQ(Snapshot(Folder.Path()), Swaps ? NewOrder : OldOrder);
        EXPECT_EQ(Steps, Swaps && (OnWindows || Case.ThroughJournal) ? AllSteps : std::vector<TExchangeStep>{});
        EXPECT_EQ(LastSyncSaw, Swaps && !OnWindows ? "two\r\n" : "");
    }
}

// Each step's folder is the previous one's with one more change, so a step out of order shows.
TEST(LevelSet, ACrashAtEachStepIsSettledByRecoveryAndAFailedStepIsUndoneAtOnce)
{
    const std::string Journal = ".zolvane-exchange: exchange|level1.txt|level2.txt|.level1.txt.exchange";
    const std::string Aside = ".level1.txt.exchange: one\r\n";
    const TEntries &Old = OldOrder, &New = NewOrder;
    struct {
        TExchangeStep After;
        TEntries AtCrash;
        TLevelSetRecovery Recovery;
        TEntries Recovered;
        TEntries AfterFailure; // when the step fails instead, with the error reported
    } const Table[] = {
        {JournalWritten, {Journal, Old[0], Old[1], Old[2]}, Settled, Old, Old},
        {FirstMovedAside, {Aside, Journal, Old[1], Old[2]}, RolledBack, Old, Old},
        {SecondMoved, {Aside, Journal, New[0], New[2]}, Completed, New, Old},
        {FirstMovedIn, {Journal, New[0], New[1], New[2]}, Settled, New, Old},
        {FolderSynced, {Journal, New[0], New[1], New[2]}, Settled, New, Old},
        {JournalRemoved, New, NothingToRecover, New, New},
    };
    for (const auto& Case : Table) {
        SCOPED_TRACE("after step " + std::to_string(static_cast<int>(Case.After)));
        THookGuard Hooks;
        AnswerExchange(EINVAL);
        TScratchFolder Folder;
        Fill(Folder, Campaign);
        ThrowAt(Case.After);
        EXPECT_THROW(ExchangeLevelFiles(Folder.File("level1.txt"), Folder.File("level2.txt")), TCrash);
        EXPECT_EQ(Snapshot(Folder.Path()), Case.AtCrash);
        SetExchangeStepHook({});
        EXPECT_EQ(RecoverLevelSet(Folder.Path().string()), Case.Recovery);
        EXPECT_EQ(Snapshot(Folder.Path()), Case.Recovered);

        TScratchFolder Failing;
        Fill(Failing, Campaign);
        SetExchangeStepHook([&](TExchangeStep Step) {
            if (Step == Case.After)
                throw EInOutError(InOutAccessDenied);
        });
        EXPECT_EQ(FailureOf([&] { ExchangeLevelFiles(Failing.File("level1.txt"), Failing.File("level2.txt")); }),
                  Case.AfterFailure == Old ? "5 File access denied" : "no error");
        EXPECT_EQ(Snapshot(Failing.Path()), Case.AfterFailure);
    }
}

// The crash hides level2 (the first named): what comes next must neither take its name nor miss it.
TEST(LevelSet, AnInterruptedExchangeIsSettledBeforeTheNextOperation)
{
    using TFolder = const TScratchFolder&;
    struct {
        const char* Row;
        std::function<std::string(TFolder)> Operation; // says what it did
        const char* Result;
        TEntries After;
    } const Table[] = {
        {"duplicate",
         [](TFolder F) {
             return DuplicateLevelFile(F.File("level1.txt"), F.Path().string()).substr(F.File("").size());
         },
         "level3.txt",
         {OldOrder[0], OldOrder[1], "level3.txt: one\r\n", OldOrder[2]}},
        {"exchange",
         [](TFolder F) {
             ExchangeLevelFiles(F.File("level1.txt"), F.File("level2.txt"));
             return "done";
         },
         "done", NewOrder},
        {"rename",
         [](TFolder F) { return RenameLevelFile(F.File("level1.txt"), F.File("level2.txt")) ? "done" : "taken"; },
         "taken", OldOrder},
        {"recovery after a stranger took the name",
         [](TFolder F) {
             WriteBytes(F.File("level2.txt"), "stranger");
             return testing::PrintToString(RecoverLevelSet(F.Path().string()));
         },
         "Rescued",
         {OldOrder[0], "level2.txt: stranger", "level3.txt: two\r\n", OldOrder[2]}},
    };
    for (const auto& Case : Table) {
        SCOPED_TRACE(Case.Row);
        THookGuard Hooks;
        TScratchFolder Folder;
        Fill(Folder, Campaign);
        AnswerExchange(EINVAL);
        ThrowAt(FirstMovedAside);
        EXPECT_THROW(ExchangeLevelFiles(Folder.File("level2.txt"), Folder.File("level1.txt")), TCrash);
        SetExchangeStepHook({});
        SetSystemRenameHook({});
        std::string Result;
        const std::string Failure = FailureOf([&] { Result = Case.Operation(Folder); });
        EXPECT_EQ(Failure == "no error" ? Result : Failure, Case.Result);
        EXPECT_EQ(Snapshot(Folder.Path()), Case.After);
    }
}

TEST(LevelSet, AJournalRecoveryCannotReadIsLeftAsItIs)
{
    TScratchFolder Folder;
    Fill(Folder, {{"level1.txt", "one"}, {".zolvane-exchange", "exchange|level1.txt"}});
    EXPECT_EQ(FailureOf([&] { RecoverLevelSet(Folder.Path().string()); }),
              "3 The level folder holds an exchange journal it cannot read: " + Folder.File(".zolvane-exchange"));
    EXPECT_EQ(Snapshot(Folder.Path()), (TEntries{".zolvane-exchange: exchange|level1.txt", "level1.txt: one"}));
}

TEST(LevelSet, RenameTakesOnlyAFreeName)
{
    const TEntries Kept = {"level1.txt: one"};
    struct {
        const char* Row;
        int NoReplaceErrno; // what the system's rename that never replaces answers; 0: it runs
        const char* From;
        const char* Occupant; // of level7.txt: "", "file", "folder" or "link"
        const char* Result;
        TEntries After;
    } const Table[] = {
        {"to a free name", 0, "level1.txt", "", "renamed", {"level7.txt: one"}},
        {"onto a file", 0, "level1.txt", "file", "taken", {Kept[0], "level7.txt: seven"}},
        {"onto a folder", 0, "level1.txt", "folder", "taken", {Kept[0], "level7.txt/"}},
        {"onto a dangling link", 0, "level1.txt", "link", "taken", {Kept[0], "level7.txt -> nowhere.txt"}},
        {"a missing level", 0, "level2.txt", "", "2 File not found", Kept},
        {"by link to a free name", EINVAL, "level1.txt", "", "renamed", {"level7.txt: one"}},
        {"by link onto a file", ENOSYS, "level1.txt", "file", "taken", {Kept[0], "level7.txt: seven"}},
        {"by link onto a dangling link", EINVAL, "level1.txt", "link", "taken", {Kept[0], "level7.txt -> nowhere.txt"}},
    };
    for (const auto& Case : Table) {
        const std::string Occupant = Case.Occupant;
        if (OnWindows && (Case.NoReplaceErrno != 0 || Occupant == "link"))
            continue; // neither the rename call nor links made without privilege
        SCOPED_TRACE(Case.Row);
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
}

TEST(LevelSet, DuplicateCopiesByteForByteToTheNextFreeName)
{
    const std::string Source = "level1.txt: a\r\n\xe9|z";
    struct {
        const char* Source;
        int Races; // names another writer takes just before the copy claims them
        const char* Result;
        TEntries After;
    } const Table[] = {
        {"level1.txt", 0, "level4.txt", {Source, "level3.txt: three", "level4.txt: a\r\n\xe9|z", "notes.txt: notes"}},
        {"notes.txt", 0, "level4.txt", {Source, "level3.txt: three", "level4.txt: notes", "notes.txt: notes"}},
        {"level3.txt",
         1,
         "level5.txt",
         {Source, "level3.txt: three", "level4.txt: racer", "level5.txt: three", "notes.txt: notes"}},
        {"level3.txt",
         2,
         "level6.txt",
         {Source, "level3.txt: three", "level4.txt: racer", "level5.txt: racer", "level6.txt: three",
          "notes.txt: notes"}},
        {"level2.txt", 0, "2 File not found", {Source, "level3.txt: three", "notes.txt: notes"}},
    };
    for (const auto& Case : Table) {
        SCOPED_TRACE(std::string(Case.Source) + " with " + std::to_string(Case.Races) + " races");
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
        EXPECT_EQ(Failure == "no error" ? Copy : Failure,
                  Failure == "no error" ? Folder.File(Case.Result) : Case.Result);
        EXPECT_EQ(Snapshot(Folder.Path()), Case.After);
    }
}

TEST(LevelSet, ANewNameIsMadeWholeOrRefusedWithAReason)
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

// Each row sorted from two other orders, so that neither the order given nor a stable sort hides a fault.
TEST(LevelSet, CampaignOrderIsByNumberThenByNameWithoutCase)
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
