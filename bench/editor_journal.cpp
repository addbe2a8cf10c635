// Figures for the recovery journal in the editor window, offscreen, each beside its floor in the same run:
//  - a stroke over all 200 cells by the mouse (one step), and the 200 cells painted one key at a time
//    (200 steps), in an editor keeping its journal beside one whose journal hears nothing;
//  - the steps a second the window makes by keys while the journal keeps up, with its one write and sync
//    a second, beside the same without a journal, and when every step is synced on its own before the
//    next (as Test Level syncs before the game starts);
//  - the wait for that one flush.
// Run from anywhere; it works in the build's game directory, its journals in a folder of its own.
// Not a test: it only prints.
#include "benchsupport.h"
#include "journal.h"
#include "palettebar.h"

#include <QApplication>
#include <QElapsedTimer>

#include <time.h>

namespace {

// An editor whose journal is cut off from its document, as if it kept none.
void Unjournal(TMainForm& Form)
{
    QObject::disconnect(&Form.Document().History(), nullptr, &Form.Recovery(), nullptr);
    QObject::disconnect(&Form.Document(), nullptr, &Form.Recovery(), nullptr);
}

// A press, a serpentine drag through every cell, the release, each event's repaint done: one step.
void MouseStroke(TDrawGrid* Grid)
{
    QTest::mousePress(Grid, Qt::LeftButton, {}, Grid->CellRect(0, 0).center());
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Step = 0; Step < LevelColumns; ++Step) {
            const int Col = Row % 2 == 0 ? Step : LevelColumns - 1 - Step;
            QTest::mouseMove(Grid, Grid->CellRect(Col, Row).center());
            QCoreApplication::processEvents();
        }
    QTest::mouseRelease(Grid, Qt::LeftButton, {}, Grid->CellRect(0, LevelRows - 1).center());
    QCoreApplication::processEvents();
}

// The same serpentine by the arrow keys from the top left corner: every key paints its cell as a step.
void KeyStroke(TDrawGrid* Grid)
{
    QTest::mouseClick(Grid, Qt::LeftButton, {}, Grid->CellRect(0, 0).center());
    QCoreApplication::processEvents();
    for (int Row = 0; Row < LevelRows; ++Row) {
        for (int Step = 0; Step + 1 < LevelColumns; ++Step) {
            Key(Grid, Row % 2 == 0 ? Qt::Key_Right : Qt::Key_Left);
            QCoreApplication::processEvents();
        }
        if (Row + 1 < LevelRows) {
            Key(Grid, Qt::Key_Down);
            QCoreApplication::processEvents();
        }
    }
}

// By the palette, since the keys of only one of the two windows work at a time.
void ChooseBrick(TDrawGrid* Grid, int Index)
{
    TPaletteToolBar* Bricks = Grid->window()->findChild<TPaletteToolBar*>("tbBricks");
    QTest::mouseClick(Bricks->Buttons().at(Index % Bricks->Buttons().size()), Qt::LeftButton);
}

// Milliseconds of processor time: the window's thread alone (the painting path), or the whole process (the
// journal's thread too). Unlike the wall clock, neither counts the time other processes take the processor,
// which on a loaded machine is most of it.
double CpuMs(clockid_t Clock)
{
    timespec Now{};
    clock_gettime(Clock, &Now);
    return Now.tv_sec * 1e3 + Now.tv_nsec / 1e6;
}

struct TCost {
    std::vector<double> Window, Process;
};
struct TPair {
    TCost Journaled, Bare;
};

// Strokes in turn in both editors, a new brick each time so that every stroke changes every cell.
TPair Alternate(TDrawGrid* Journaled, TDrawGrid* Bare, void (*Stroke)(TDrawGrid*), int Passes)
{
    TPair Spent;
    for (int Pass = 0; Pass < Passes; ++Pass) {
        // Each goes first in turn, so that neither gains from the other's warm caches.
        for (const bool JournaledNow : {Pass % 2 == 0, Pass % 2 != 0}) {
            TDrawGrid* Grid = JournaledNow ? Journaled : Bare;
            // The window painted is the active one, as it is for the user.
            Grid->window()->activateWindow();
            QCoreApplication::processEvents();
            ChooseBrick(Grid, Pass);
            TCost& Cost = JournaledNow ? Spent.Journaled : Spent.Bare;
            const double Window = CpuMs(CLOCK_THREAD_CPUTIME_ID), Process = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
            Stroke(Grid);
            Cost.Window.push_back(CpuMs(CLOCK_THREAD_CPUTIME_ID) - Window);
            Cost.Process.push_back(CpuMs(CLOCK_PROCESS_CPUTIME_ID) - Process);
        }
    }
    return Spent;
}

void PrintPair(const char* What, const TPair& Spent)
{
    const double Window = Median(Spent.Journaled.Window), BareWindow = Median(Spent.Bare.Window);
    const double Process = Median(Spent.Journaled.Process), BareProcess = Median(Spent.Bare.Process);
    std::printf("%s, processor time (median of %zu): window's thread journaled %.2f ms, without %.2f ms, ratio %.3f "
                "(goal <= 1.05); whole process %.2f ms, %.2f ms, ratio %.3f\n",
                What, Spent.Bare.Window.size(), Window, BareWindow, Window / BareWindow, Process, BareProcess,
                Process / BareProcess);
}

// Key paints along row 0 and back for Ms milliseconds, the events run after each; two bricks in turn so
// that every key changes its cell. Each is synced on its own before the next when Sync.
double StepsPerSecond(TMainForm& Form, TDrawGrid* Grid, int Ms, bool Sync)
{
    QElapsedTimer Clock;
    Clock.start();
    int Steps = 0;
    QTest::mouseClick(Grid, Qt::LeftButton, {}, Grid->CellRect(0, 0).center());
    while (Clock.elapsed() < Ms) {
        ChooseBrick(Grid, Steps / 2 % 2);
        Key(Grid, Grid->Col() == 0 ? Qt::Key_Right : Qt::Key_Left);
        ++Steps;
        if (Sync)
            Form.Recovery().FlushNow();
        QCoreApplication::processEvents();
    }
    return Steps * 1000.0 / Clock.elapsed();
}

} // namespace

int main(int argc, char* argv[])
{
    StartOffscreenInGameDir();
    QApplication Application(argc, argv);
    TMainForm JournaledForm, BareForm;
    Unjournal(BareForm);
    TPaintSpy JournaledSpy, BareSpy;
    TDrawGrid* Journaled = ShowAndWatchGrid(JournaledForm, JournaledSpy);
    TDrawGrid* Bare = ShowAndWatchGrid(BareForm, BareSpy);

    PrintPair("200-cell stroke by the mouse, one step", Alternate(Journaled, Bare, MouseStroke, 61));
    PrintPair("200 cells by keys, 200 steps", Alternate(Journaled, Bare, KeyStroke, 61));

    const double Timed = StepsPerSecond(JournaledForm, Journaled, 3000, false);
    const double Free = StepsPerSecond(BareForm, Bare, 3000, false);
    const double EachSynced = StepsPerSecond(JournaledForm, Journaled, 3000, true);
    std::printf("steps a second by keys: journaled, one sync a second %.0f; without a journal %.0f; each step synced "
                "before the next %.0f\n",
                Timed, Free, EachSynced);

    std::vector<double> Flush;
    for (int Pass = 0; Flush.size() < 51; ++Pass) {
        const int Steps = JournaledForm.History().count();
        ChooseBrick(Journaled, Pass / 2 % 2);
        Key(Journaled, Journaled->Col() == 0 ? Qt::Key_Right : Qt::Key_Left);
        QElapsedTimer Clock;
        Clock.start();
        JournaledForm.Recovery().FlushNow();
        if (JournaledForm.History().count() > Steps)
            Flush.push_back(Clock.nsecsElapsed() / 1e6);
    }
    std::printf("one flush of a pending step, write and sync, as Test Level waits for it (median of 51): %.2f ms\n",
                Median(Flush));

    // What the journal holds must be the history, or the figures above measured nothing.
    const std::string Path = JournaledForm.Recovery().JournalPath().toStdString();
    const TJournalReplay Replay = ReplayJournal(ReadJournalFile(Path));
    if (Replay.Steps.size() != static_cast<std::size_t>(JournaledForm.History().count()) ||
        Replay.Cells != JournaledForm.Level().Cells) {
        std::fprintf(stderr, "the journal does not hold the history: %zu steps, %d in the history\n",
                     Replay.Steps.size(), JournaledForm.History().count());
        return 1;
    }
    std::printf("journal %s holds all %zu steps\n", Path.c_str(), Replay.Steps.size());
    // The editors end as after a Save: nothing is left for the next start to offer.
    JournaledForm.Recovery().End();
    return 0;
}
