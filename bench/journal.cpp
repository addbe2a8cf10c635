// Figures for the recovery journal, each beside its floor measured in the same run:
//  - appending a step of 20 cells and of all 200 to the writer's memory, beside building that step's diff,
//    which painting does with or without a journal;
//  - steps per second when every step is flushed and synced on its own, beside a bare write and fdatasync
//    of the same bytes, and when a burst of 100 steps shares one flush, as the window's timer makes it;
//  - reading back and replaying a journal of 1000 full-field steps, beside reading its bytes.
// Usage: level_journal [folder]   (default: a new folder under $TMPDIR or /tmp)

#include "benchsupport.h"
#include "journal.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

TJournalHeader TypicalHeader()
{
    TJournalHeader Header;
    Header.LevelPath = "data/levels/level1.txt";
    Header.Identity = {true, 2049, 1234567, 431, 1700000000123456789};
    Header.TrailerText = "Castle of the seven walls";
    return Header;
}

// A stroke over the first Cells cells, row by row, each painted with a brick and a power-up.
TCellDiff StrokeOf(int Cells)
{
    TCellDiff Diff;
    for (int At = 0; At < Cells; ++At)
        Diff.Record(At % LevelColumns, At / LevelColumns, {}, {std::uint8_t(1 + At % 10), std::uint8_t(At % 7)});
    Diff.Compact();
    return Diff;
}

void PrintAppends(int Cells)
{
    constexpr int Steps = 50;
    const TJournalStep Step{"Paint", StrokeOf(Cells), {}};
    // A fresh writer per round, never flushed: only the appends are measured, and nothing reaches the disk.
    // A round is a burst of steps, as many as a second's flush may find pending.
    const double Append = BestMilliseconds(99, [&] {
        TJournalWriter Writer("/nonexistent/bench.journal", TypicalHeader());
        for (int I = 0; I < Steps; ++I)
            Writer.AppendRecorded(Step);
    });
    const double Build = BestMilliseconds(99, [&] {
        for (int I = 0; I < Steps; ++I)
            if (StrokeOf(Cells).Empty())
                Fail("empty stroke");
    });
    std::printf("append a %3d-cell step  %8.3f us   floor building its diff %8.3f us   ratio %.2f\n", Cells,
                Append * 1000 / Steps, Build * 1000 / Steps, Append / Build);
}

double FlushedStepsPerSecond(const std::string& Path, int Steps, int PerFlush)
{
    const TJournalStep Step{"Paint", StrokeOf(20), {}};
    TJournalWriter Writer(Path, TypicalHeader());
    Writer.Flush();
    const double Spent = Milliseconds([&] {
        for (int I = 1; I <= Steps; ++I) {
            Writer.AppendRecorded(Step);
            if (I % PerFlush == 0)
                Writer.Flush();
        }
    });
    Writer.Remove();
    return Steps * 1000.0 / Spent;
}

double BareSyncsPerSecond(const std::string& Path, int Writes, std::size_t Bytes)
{
    const std::string Data(Bytes, 'x');
    const int Fd = open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Fd < 0)
        Fail("open");
    const double Spent = Milliseconds([&] {
        for (int I = 0; I < Writes; ++I)
            if (write(Fd, Data.data(), Data.size()) != static_cast<ssize_t>(Data.size()) || fdatasync(Fd) != 0)
                Fail("write");
    });
    close(Fd);
    unlink(Path.c_str());
    return Writes * 1000.0 / Spent;
}

void PrintRecovery(const std::string& Path)
{
    constexpr int Steps = 1000;
    {
        TJournalWriter Writer(Path, TypicalHeader());
        for (int I = 0; I < Steps; ++I)
            Writer.AppendRecorded({"Fill", StrokeOf(200), {}});
        Writer.Flush();
    }
    std::size_t Replayed = 0;
    const double Recover = BestMilliseconds(5, [&] { Replayed = ReplayJournal(ReadJournalFile(Path)).Steps.size(); });
    const double Bytes = BestMilliseconds(5, [&] {
        TFileReader Reader(Path);
        std::string Chunk(ReadChunkSize, '\0');
        while (Reader.Read(Chunk.data(), Chunk.size()) > 0) {}
    });
    if (Replayed != Steps)
        Fail("replay");
    std::printf("read+replay %d steps  %8.2f ms   floor reading its bytes  %8.2f ms   ratio %.1f\n", Steps, Recover,
                Bytes, Recover / Bytes);
    unlink(Path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string Folder = BenchFolder(argc, argv);
    std::printf("level_journal: in %s\n", Folder.c_str());
    PrintAppends(20);
    PrintAppends(200);

    const std::string Path = Folder + "/bench.journal";
    const std::size_t StepBytes = 8 + 1 + 4 + 5 + 1 + 4 + 20 * 6;
    const double Each = FlushedStepsPerSecond(Path, 200, 1);
    const double Bare = BareSyncsPerSecond(Folder + "/bare.bin", 200, StepBytes);
    std::printf("flush+sync each step    %8.0f steps/s   floor write+fdatasync    %8.0f /s      ratio %.2f\n", Each,
                Bare, Bare / Each);
    const double Burst = FlushedStepsPerSecond(Path, 2000, 100);
    std::printf("100 steps per flush     %8.0f steps/s\n", Burst);
    PrintRecovery(Path);
    if (argc <= 1)
        rmdir(Folder.c_str());
    return 0;
}
