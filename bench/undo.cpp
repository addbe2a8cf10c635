// Figures for the editor's history, offscreen, each beside its floor measured in the same run:
//  - Undo plus Redo of one stroke over all 200 cells, by their keys, each until the grid has repainted,
//    beside a repaint of the whole grid that any Undo of 200 cells must cause;
//  - the heap that 10,000 one-cell steps keep in the history, beside the same 10,000 key moves when they
//    change nothing and so record nothing, and the bare diff bytes of those steps.
// Run from anywhere; it works in the build's game directory. Not a test: it only prints. The heap
// figures come from glibc's allocator statistics and mean nothing under a sanitizer.
#include "benchsupport.h"
#include "cellcommands.h"
#include "dialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

#include <malloc.h>

namespace {

std::size_t HeapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

} // namespace

int main(int argc, char* argv[])
{
    StartOffscreenInGameDir();
    QApplication Application(argc, argv);
    // New asks about the painted level: drop it, as a user who only tries things would.
    SetMessageHook([](const TMessageRequest&) { return TModalResult::No; });

    TMainForm Form;
    TPaintSpy Spy;
    TDrawGrid* Grid = ShowAndWatchGrid(Form, Spy);

    // One stroke over the whole field: a press, a serpentine drag through every cell, the release.
    Key(Grid, Qt::Key_1);
    QTest::mousePress(Grid, Qt::LeftButton, {}, Grid->CellRect(0, 0).center());
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Step = 0; Step < LevelColumns; ++Step) {
            const int Col = Row % 2 == 0 ? Step : LevelColumns - 1 - Step;
            QTest::mouseMove(Grid, Grid->CellRect(Col, Row).center());
        }
    QTest::mouseRelease(Grid, Qt::LeftButton, {}, Grid->CellRect(0, LevelRows - 1).center());
    const auto* Stroke = dynamic_cast<const TCellEditCommand*>(Form.History().command(0));
    if (Form.History().count() != 1 || !Stroke || Stroke->Diff().Changes().size() != 200) {
        std::fprintf(stderr, "the stroke did not become one step of 200 cells\n");
        return 1;
    }
    UntilPainted(Spy);

    std::vector<double> UndoRedo, Repaint;
    for (int Pass = 0; Pass < 51; ++Pass) {
        QElapsedTimer Clock;
        Clock.start();
        Key(Grid, Qt::Key_Z, Qt::ControlModifier);
        UntilPainted(Spy);
        Key(Grid, Qt::Key_Y, Qt::ControlModifier);
        UntilPainted(Spy);
        UndoRedo.push_back(Clock.nsecsElapsed() / 1e6);

        Clock.start();
        Grid->Invalidate();
        UntilPainted(Spy);
        Grid->Invalidate();
        UntilPainted(Spy);
        Repaint.push_back(Clock.nsecsElapsed() / 1e6);
    }
    std::printf("Undo plus Redo of a 200-cell stroke, keys to repainted grid (median of 51): %.3f ms; floor, two "
                "whole-grid repaints: %.3f ms (goal < 1 ms)\n",
                Median(UndoRedo), Median(Repaint));

    // 10,000 key moves along row 0 and back. Choosing brick 2 then 1 in turn makes every move change its
    // cell; with no brick chosen the same moves change nothing and leave no step.
    const auto Moves = [&](bool Change) {
        for (int Move = 0; Move < 10000; ++Move) {
            if (Change && Move % 2 == 0)
                Key(Grid, Move % 4 == 0 ? Qt::Key_2 : Qt::Key_1);
            Key(Grid, Move % 2 == 0 ? Qt::Key_Right : Qt::Key_Left);
        }
        QCoreApplication::processEvents();
    };
    Key(Grid, Qt::Key_N, Qt::ControlModifier); // a new level, an empty history
    Key(Grid, Qt::Key_1);                      // un-choose brick 1
    QCoreApplication::processEvents();
    const std::size_t Start = HeapInUse();
    Moves(false);
    const std::size_t AfterIdle = HeapInUse();
    Moves(true);
    const std::size_t AfterSteps = HeapInUse();
    if (Form.History().count() != 10000) {
        std::fprintf(stderr, "expected 10000 steps, the history holds %d\n", Form.History().count());
        return 1;
    }
    Key(Grid, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::processEvents();
    const std::size_t AfterNew = HeapInUse();
    const auto MiB = [](double Bytes) { return Bytes / (1024.0 * 1024.0); };
    const double Kept = double(AfterSteps) - double(AfterIdle);
    std::printf("10,000 one-cell steps in the history: heap %.2f MiB (%.0f bytes a step; goal < 10 MiB); floor, the "
                "same moves recording nothing: %.2f MiB, the bare diffs: %.2f MiB; freed by New: %.2f MiB\n",
                MiB(Kept), Kept / 10000, MiB(double(AfterIdle) - double(Start)), MiB(10000.0 * sizeof(TCellChange)),
                MiB(double(AfterSteps) - double(AfterNew)));
    return 0;
}
