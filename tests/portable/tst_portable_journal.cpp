// The recovery journal on every platform: sessions written and read back whole, cut and bit-flipped
// journals giving back every whole step before the damage, replay against a history of whole levels, the
// writer's failures and removal, and (POSIX) a writer killed at random moments.

#include "inouterror.h"
#include "journal.h"
#include "portabletools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace PortableTools;

void PrintTo(const TJournalStep& Step, std::ostream* Out)
{
    *Out << "'" << Step.Name << "'";
    for (const TCellChange& C : Step.Diff.Changes())
        *Out << " " << int(C.Col) << "," << int(C.Row) << ":" << int(C.Before.Brick) << "/" << int(C.Before.PowerUp)
             << ">" << int(C.After.Brick) << "/" << int(C.After.PowerUp);
    if (Step.Trailer)
        *Out << " trailer '" << Step.Trailer->Before << "'>'" << Step.Trailer->After << "'";
}

// The level as rows, then one line for each record or step.
void PrintTo(const TJournalContents& Contents, std::ostream* Out)
{
    const TJournalHeader& H = Contents.Header;
    TLevelData Start = RecordFromRows({}, H.TrailerText, H.LevelPath);
    Start.Cells = H.Cells;
    *Out << "Damaged=" << Contents.Damaged << " WholeBytes=" << Contents.WholeBytes << " Created=" << H.CreatedMs
         << " Identity=" << H.Identity.Exists << "," << H.Identity.Device << "," << H.Identity.Inode << ","
         << H.Identity.Size << "," << H.Identity.ModifiedNs << " ";
    PrintTo(Start, Out);
    for (const TJournalRecord& Record : Contents.Records) {
        *Out << "\n  "
             << "RUD"[int(Record.Event)] << " ";
        PrintTo(Record.Step, Out);
    }
}

void PrintTo(const TJournalReplay& Replay, std::ostream* Out)
{
    TLevelData Now = RecordFromRows({}, Replay.TrailerText, "");
    Now.Cells = Replay.Cells;
    *Out << "Current=" << Replay.Current << " ";
    PrintTo(Now, Out);
    for (const TJournalStep& Step : Replay.Steps)
        PrintTo(Step, &(*Out << "\n  "));
}

namespace {

TJournalHeader SampleHeader(const std::string& LevelPath)
{
    return {LevelPath, {true, 2049, 1234567, 431, 1700000000123456789}, FilledLevel("").Cells, "Trail", 1700000000123};
}

// A session as the editor makes it, from a script: P a stroke, T a level-text step, U an undo, R a redo.
// Beside the records it keeps the reference: every level of the history whole, as a stack of levels.
struct TSession {
    TJournalHeader Header;
    std::vector<TJournalRecord> Records;
    std::vector<TLevelData> Levels; // the level at the bottom of the history, then after each step done
    std::vector<TJournalStep> Steps;
    std::size_t Current = 0;

    void Add(char Op, std::mt19937& Random)
    {
        if (Op == 'U' || Op == 'R') {
            Current += Op == 'R' ? 1 : -1;
            Records.push_back({Op == 'R' ? TJournalEvent::Redone : TJournalEvent::Undone, {}});
            return;
        }
        TLevelData Next = Levels[Current];
        TJournalStep Step{Op == 'T' ? "Level text" : "Paint", {}, {}};
        for (int Cells = 1 + int(Random() % (Op == 'T' ? 200 : 12)); Cells > 0; --Cells) {
            const int Col = int(Random() % LevelColumns), Row = int(Random() % LevelRows);
            const TLevelCell Before = Next.Cells[Col][Row];
            Next.Cells[Col][Row] = {std::uint8_t(Random() % 11), std::uint8_t(Random() % 7)};
            Step.Diff.Record(Col, Row, Before, Next.Cells[Col][Row]);
        }
        Step.Diff.Compact();
        if (Op == 'T') {
            Next.TrailerText = "Text " + std::to_string(Random() % 1000);
            Step.Trailer = TTrailerChange{Levels[Current].TrailerText, Next.TrailerText};
        }
        Levels.resize(++Current);
        Levels.push_back(Next);
        Steps.resize(Current - 1);
        Steps.push_back(Step);
        Records.push_back({TJournalEvent::Recorded, Step});
    }

    TJournalReplay Expected() const { return {Levels[Current].Cells, Levels[Current].TrailerText, Steps, Current}; }
};

TSession MakeSession(const std::string& Script, unsigned Seed, const std::string& LevelPath = "data/levels/l1.txt")
{
    TSession Session{SampleHeader(LevelPath), {}, {RecordFromRows({}, "Trail", "")}, {}, 0};
    Session.Levels[0].Cells = Session.Header.Cells;
    std::mt19937 Random(Seed);
    for (char Op : Script)
        Session.Add(Op, Random);
    return Session;
}

// A session of random strokes, level-text steps, undos and redos.
TSession RandomSession(unsigned Seed, int Ops)
{
    std::mt19937 Random(Seed);
    TSession Session = MakeSession("", Seed);
    for (int Op = 0; Op < Ops; ++Op) {
        const unsigned Pick = Random() % 8;
        const bool CanUndo = Session.Current > 0, CanRedo = Session.Current < Session.Steps.size();
        Session.Add(Pick < 3 && CanUndo ? 'U' : Pick < 5 && CanRedo ? 'R' : Pick == 5 ? 'T' : 'P', Random);
    }
    return Session;
}

void Append(TJournalWriter& Writer, const TJournalRecord& Record)
{
    if (Record.Event == TJournalEvent::Recorded)
        Writer.AppendRecorded(Record.Step);
    else if (Record.Event == TJournalEvent::Undone)
        Writer.AppendUndone();
    else
        Writer.AppendRedone();
}

// Writes the session with a flush after each record; the file's length after each flush comes back.
std::vector<std::size_t> WriteSession(const std::string& Path, const TSession& Session)
{
    TJournalWriter Writer(Path, Session.Header);
    Writer.Flush();
    std::vector<std::size_t> Ends{std::size_t(fs::file_size(Path))};
    for (const TJournalRecord& Record : Session.Records) {
        Append(Writer, Record);
        Writer.Flush();
        Ends.push_back(std::size_t(fs::file_size(Path)));
    }
    return Ends;
}

TJournalContents Whole(const TSession& Session, std::size_t Records, std::size_t Bytes, bool Damaged)
{
    return {Session.Header, {Session.Records.begin(), Session.Records.begin() + long(Records)}, Damaged, Bytes};
}

struct TScriptCase {
    const char* Name;
    const char* Script;
    const char* LevelPath = "data/levels/l1.txt";
};

std::ostream& operator<<(std::ostream& Out, const TScriptCase& Case)
{
    return Out << Case.Name;
}

class Sessions : public testing::TestWithParam<TScriptCase> {};

TEST_P(Sessions, ReadBackWholeAndReplayAsTheHistoryOfLevels)
{
    const TSession Session = MakeSession(GetParam().Script, 7, GetParam().LevelPath);
    TScratchFolder Folder;
    const std::string Path = Folder.File("session.journal");
    TJournalWriter Writer(Path, Session.Header);
    Writer.Flush(); // creates the file, which later flushes hold open
    for (const TJournalRecord& Record : Session.Records)
        Append(Writer, Record);
    Writer.Flush();
    // Read while the writer still holds the file, as a second editor may.
    const TJournalContents Contents = ReadJournalFile(Path);
    EXPECT_EQ(Contents, Whole(Session, Session.Records.size(), fs::file_size(Path), false));
    const TJournalReplay Replay = ReplayJournal(Contents);
    EXPECT_EQ(Replay, Session.Expected());

    // Encoded apart and handed over as bytes, the records make the same file.
    std::string Encoded;
    for (const TJournalRecord& Record : Session.Records) {
        if (Record.Event == TJournalEvent::Recorded)
            EncodeJournalRecorded(Encoded, Record.Step.Name, Record.Step.Diff, Record.Step.Trailer);
        else if (Record.Event == TJournalEvent::Undone)
            EncodeJournalUndone(Encoded);
        else
            EncodeJournalRedone(Encoded);
    }
    TJournalWriter Handed(Folder.File("handed.journal"), Session.Header);
    Handed.AppendEncoded(Encoded);
    Handed.Flush();
    EXPECT_EQ(ReadBytes(Handed.Path()), ReadBytes(Path));

    // Recovered, the history is journalled afresh in a new file, and replays the same.
    TJournalWriter Rewriter(Folder.File("again.journal"), Session.Header);
    Rewriter.AppendHistory(Replay.Steps, Replay.Current);
    Rewriter.Flush();
    EXPECT_EQ(ReplayJournal(ReadJournalFile(Rewriter.Path())), Session.Expected());
}

INSTANTIATE_TEST_SUITE_P(Journal, Sessions,
                         testing::Values(TScriptCase{"NewLevelWithNoSteps", "", ""},
                                         TScriptCase{"PathAsBytesNotText", "P", "levels/\xe9t\xff"},
                                         TScriptCase{"StrokesOnly", "PPP"}, TScriptCase{"UndoneToTheStart", "PPPUUU"},
                                         TScriptCase{"RedoneAfterUndo", "PPUURR"},
                                         TScriptCase{"StepAfterUndoDropsTheUndone", "PPPUUP"},
                                         TScriptCase{"StepAfterUndoingAll", "PPUUPU"},
                                         TScriptCase{"RedoOfAStepAfterADrop", "PPUPUR"},
                                         TScriptCase{"LevelTextStepsUndoTheTrailer", "PTTUUR"},
                                         TScriptCase{"LevelTextStepDroppedByAStroke", "TUP"}),
                         [](const testing::TestParamInfo<TScriptCase>& Info) { return std::string(Info.param.Name); });

// A journal left by an earlier build must stay readable: the format is pinned byte for byte.
TEST(Journal, IsWrittenByteForByteAsTheGoldenFileAndReadsBack)
{
    const char* Data = std::getenv("ZOLVANE_TEST_DATA");
    const std::string Golden =
        (fs::path(Data && *Data ? Data : ZOLVANE_SOURCE_TEST_DATA) / "journal" / "session.journal").string();
    const TSession Session = MakeSession("PTURU", 17);
    TScratchFolder Folder;
    WriteSession(Folder.File("session.journal"), Session);
    EXPECT_EQ(ReadBytes(Folder.File("session.journal")), ReadBytes(Golden));
    EXPECT_EQ(ReadJournalFile(Golden), Whole(Session, Session.Records.size(), fs::file_size(Golden), false));
}

TEST(Replay, MatchesTheHistoryOfLevelsForRandomSessions)
{
    for (unsigned Seed = 1; Seed <= 300; ++Seed) {
        const TSession Session = RandomSession(Seed, 40);
        const TJournalReplay Replay = ReplayJournal(Whole(Session, Session.Records.size(), 0, false));
        ASSERT_EQ(Replay, Session.Expected()) << "seed " << Seed;
    }
}

// Every kind of record, a long step and one carrying a trailer change, written one flush at a time.
struct TDamageFixture : testing::Test {
    TScratchFolder Folder;
    const TSession Session = MakeSession("PTURPUURP", 3);
    std::vector<std::size_t> Ends;
    std::string Bytes;

    TDamageFixture()
    {
        Ends = WriteSession(Folder.File("damage.journal"), Session);
        Bytes = ReadBytes(Folder.File("damage.journal"));
    }

    // What a journal whose bytes from At on are damaged must give: every record that ends before At.
    TJournalContents ExpectedBefore(std::size_t At) const
    {
        std::size_t Records = 0;
        while (Records + 1 < Ends.size() && Ends[Records + 1] <= At)
            ++Records;
        return Whole(Session, Records, Ends[Records], true);
    }
};

TEST_F(TDamageFixture, CutAnywhereKeepsEveryWholeStepBeforeTheCut)
{
    for (std::size_t Cut = 0; Cut <= Bytes.size(); ++Cut) {
        const std::string Cutoff = Bytes.substr(0, Cut);
        if (Cut < Ends[0]) {
            EXPECT_THROW(ReadJournal(Cutoff), EJournalUnreadable) << "cut in the header at " << Cut;
            continue;
        }
        TJournalContents Expected = ExpectedBefore(Cut);
        Expected.Damaged = Cut != Expected.WholeBytes;
        const TJournalContents Contents = ReadJournal(Cutoff);
        ASSERT_EQ(Contents, Expected) << "cut at " << Cut;
        ASSERT_NO_THROW(ReplayJournal(Contents)) << "cut at " << Cut;
    }
}

TEST_F(TDamageFixture, BitFlipAnywhereKeepsEveryWholeStepBeforeIt)
{
    for (std::size_t At = 0; At < Bytes.size(); ++At)
        for (int Bit = 0; Bit < 8; ++Bit) {
            std::string Flipped = Bytes;
            Flipped[At] = char(Flipped[At] ^ (1 << Bit));
            if (At < Ends[0]) {
                EXPECT_THROW(ReadJournal(Flipped), EJournalUnreadable) << "header byte " << At << " bit " << Bit;
                continue;
            }
            ASSERT_EQ(ReadJournal(Flipped), ExpectedBefore(At)) << "byte " << At << " bit " << Bit;
        }
}

// The frame at At in Bytes: its length field, its CRC and its payload.
std::string Frame(const std::string& Bytes, std::size_t At)
{
    const std::size_t Length = std::uint8_t(Bytes[At]) | std::size_t(std::uint8_t(Bytes[At + 1])) << 8;
    return Bytes.substr(At, 8 + Length);
}

// Damage that is not a cut or a flip: what a file system leaves after a power cut, and well-formed records
// in an order no writer makes, each after the session's first stroke and followed by another.
TEST_F(TDamageFixture, ForeignTailsKeepTheRecordsBeforeThem)
{
    const auto RecordBytes = [&](std::size_t I) { return Bytes.substr(Ends[I], Ends[I + 1] - Ends[I]); };
    const std::string Stroke = RecordBytes(0), Undo = RecordBytes(2), Redo = RecordBytes(3);
    const std::string TextStep = Frame(Bytes, Ends[1]), Trailer = RecordBytes(1).substr(TextStep.size());
    struct TCase {
        const char* Name;
        std::string Tail;
        std::size_t UndosKept;
    };
    const TCase Cases[] = {
        {"ZerosOfAnExtendedFile", std::string(4096, '\0'), 0},
        {"OnesAfterTheLastRecord", std::string(11, '\xff'), 0},
        {"HeaderWhereAStepBelongs", Bytes.substr(8, Ends[0] - 8) + Stroke, 0},
        {"TrailerWithoutItsStep", Trailer + Stroke, 0},
        {"StepWhoseTrailerNeverCame", TextStep + Stroke, 0},
        {"UndoWithNothingDone", Undo + Undo + Stroke, 1},
        {"RedoWithNothingUndone", Redo + Stroke, 0},
    };
    for (const TCase& Case : Cases) {
        TJournalContents Expected = Whole(Session, 1, Ends[1] + Case.UndosKept * Undo.size(), true);
        Expected.Records.resize(1 + Case.UndosKept, {TJournalEvent::Undone, {}});
        EXPECT_EQ(ReadJournal(Bytes.substr(0, Ends[1]) + Case.Tail), Expected) << Case.Name;
    }
}

struct TLifeCase {
    const char* Name;
    const char* Then; // after three records: F flush, X remove, U append an undo, J junk at the file's end,
                      // P append the fourth record
    std::size_t RecordsLeft; // in the journal once the writer is gone; 0 expects no file at all
};

std::ostream& operator<<(std::ostream& Out, const TLifeCase& Case)
{
    return Out << Case.Name;
}

class WriterLife : public testing::TestWithParam<TLifeCase> {};

TEST_P(WriterLife, LeavesTheJournalOnlyUntilRemoved)
{
    TScratchFolder Folder;
    const std::string Path = Folder.File("life.journal");
    const TSession Session = MakeSession("PTUP", 11);
    {
        TJournalWriter Writer(Path, Session.Header);
        for (std::size_t I = 0; I < 3; ++I)
            Append(Writer, Session.Records[I]);
        for (const char* Op = GetParam().Then; *Op; ++Op)
            switch (*Op) {
            case 'F':
                Writer.Flush();
                break;
            case 'X':
                Writer.Remove();
                break;
            case 'U':
                Writer.AppendUndone();
                break;
            case 'P':
                Append(Writer, Session.Records[3]);
                break;
            default: // a record's start that a failed write left
                std::ofstream(Path, std::ios::binary | std::ios::app) << "\x40\x00\x00";
            }
    }
    const std::size_t Left = GetParam().RecordsLeft;
    EXPECT_EQ(Listing(Folder.Path()), Left ? std::vector<std::string>{"life.journal"} : std::vector<std::string>{});
    if (Left) {
        EXPECT_EQ(ReadJournalFile(Path), Whole(Session, Left, fs::file_size(Path), false));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Journal, WriterLife,
    testing::Values(TLifeCase{"NothingOnDiskBeforeAFlush", "", 0}, TLifeCase{"ClosedAfterAFlushKeepsIt", "F", 3},
                    TLifeCase{"UnflushedAppendsAreNotWritten", "FU", 3}, TLifeCase{"RemovedAfterAFlush", "FX", 0},
                    TLifeCase{"RemovedBeforeAnyFlush", "X", 0}, TLifeCase{"PartWrittenBytesAreWrittenOver", "FJPF", 4}),
    [](const testing::TestParamInfo<TLifeCase>& Info) { return std::string(Info.param.Name); });

TEST(WriterFailure, ATakenNameIsLeftAlone)
{
    TScratchFolder Folder;
    const std::string Path = Folder.File("taken.journal");
    ASSERT_TRUE(WriteBytes(Path, "someone's"));
    TJournalWriter Writer(Path, SampleHeader(""));
#ifdef _WIN32
    EXPECT_EQ(FailureOf([&] { Writer.Flush(); }), "80 I/O error 80");
#else
    EXPECT_EQ(FailureOf([&] { Writer.Flush(); }), "17 I/O error 17");
#endif
    EXPECT_EQ(ReadBytes(Path), "someone's");
    EXPECT_EQ(Listing(Folder.Path()), std::vector<std::string>{"taken.journal"});
}

TEST(WriterFailure, KeepsWhatFailedForTheNextFlush)
{
    TScratchFolder Folder;
    const std::string Path = Folder.File("later/j.journal");
    const TSession Session = MakeSession("PPU", 13);
    TJournalWriter Writer(Path, Session.Header);
    for (const TJournalRecord& Record : Session.Records)
        Append(Writer, Record);
    EXPECT_EQ(FailureOf([&] { Writer.Flush(); }), "3 Invalid filename");
    fs::create_directory(Folder.Path() / "later");
    EXPECT_EQ(FailureOf([&] { Writer.Flush(); }), "no error");
    EXPECT_EQ(ReadJournalFile(Path), Whole(Session, 3, fs::file_size(Path), false));
}

#ifndef _WIN32
// Appends a session's records, flushing after every one to three, and tells the parent after each flush
// how many records are now durable; then waits to be killed.
[[noreturn]] void WriteUntilKilled(const std::string& Path, const TSession& Session, int Pipe, unsigned Seed)
{
    try {
        std::mt19937 Random(Seed);
        TJournalWriter Writer(Path, Session.Header);
        std::uint32_t Appended = 0;
        while (Appended < Session.Records.size()) {
            for (unsigned Batch = 1 + Random() % 3; Batch > 0 && Appended < Session.Records.size(); --Batch)
                Append(Writer, Session.Records[Appended++]);
            Writer.Flush();
            if (write(Pipe, &Appended, sizeof Appended) != sizeof Appended)
                _exit(2);
        }
        for (;;)
            pause();
    } catch (...) {
        _exit(3);
    }
}

TEST(KilledWriter, LeavesEveryStepFlushedBeforeTheKill)
{
    using namespace std::chrono;
    TScratchFolder Folder;
    const auto Deadline = steady_clock::now() + seconds(20);
    int Runs = 0, Damaged = 0;
    for (; Runs < 300 && steady_clock::now() < Deadline; ++Runs) {
        const unsigned Seed = 1000 + unsigned(Runs);
        std::mt19937 Random(Seed);
        const TSession Session = RandomSession(Seed, 40);
        const std::string Path = Folder.File(std::to_string(Runs) + ".journal");
        int Pipe[2];
        ASSERT_EQ(pipe(Pipe), 0);
        const pid_t Child = fork();
        ASSERT_GE(Child, 0);
        if (Child == 0) {
            close(Pipe[0]);
            WriteUntilKilled(Path, Session, Pipe[1], Seed);
        }
        close(Pipe[1]);
        std::uint32_t Flushed = 0, Got = 0;
        for (unsigned Acks = Random() % 8; Acks > 0 && read(Pipe[0], &Got, sizeof Got) == sizeof Got; --Acks)
            Flushed = Got;
        // Then a random moment more, so that the kill lands anywhere in an append, a write or a sync.
        for (const auto Moment = steady_clock::now() + microseconds(Random() % 2000); steady_clock::now() < Moment;) {}
        kill(Child, SIGKILL);
        int Status = 0;
        waitpid(Child, &Status, 0);
        while (read(Pipe[0], &Got, sizeof Got) == sizeof Got)
            Flushed = Got;
        close(Pipe[0]);
        ASSERT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL) << "run " << Runs << " status " << Status;
        if (!fs::exists(Path)) {
            ASSERT_EQ(Flushed, 0u) << "run " << Runs;
            continue;
        }
        const TJournalContents Contents = ReadJournalFile(Path);
        ASSERT_GE(Contents.Records.size(), Flushed) << "run " << Runs;
        ASSERT_EQ(Contents, Whole(Session, Contents.Records.size(), Contents.WholeBytes, Contents.Damaged))
            << "run " << Runs;
        Damaged += Contents.Damaged;
    }
    EXPECT_GE(Runs, 50) << "too few runs in the time";
    std::printf("%d runs, %d with a damaged tail\n", Runs, Damaged);
}
#endif

} // namespace
