// Figures for the shapes, offscreen, each beside its floor measured in the same run:
//  - a fill of the whole empty field, from the press until the grid has repainted, beside a repaint of
//    the whole grid that painting 200 cells must cause;
//  - a rectangle dragged from the top left corner through every cell of the field, per pointer move until
//    the grid has repainted with the preview, beside the same moves of a Cell stroke that paints nothing,
//    which repaints only the cell left and the cell entered.
// Run from anywhere; it works in the build's game directory. Not a test: it only prints.
#include "benchsupport.h"
#include "dialogs.h"

#include <QApplication>
#include <QElapsedTimer>

namespace {

// A drag from (0, 0) through every cell, row by row in a serpentine; the time per move, each until painted.
double DragThroughTheField(TDrawGrid* Grid, TPaintSpy& Spy)
{
    QTest::mousePress(Grid, Qt::LeftButton, {}, Grid->CellRect(0, 0).center());
    UntilPainted(Spy);
    QElapsedTimer Clock;
    Clock.start();
    int Moves = 0;
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Step = 0; Step < LevelColumns; ++Step) {
            const int Col = Row % 2 == 0 ? Step : LevelColumns - 1 - Step;
            if (Col == 0 && Row == 0)
                continue;
            QTest::mouseMove(Grid, Grid->CellRect(Col, Row).center());
            UntilPainted(Spy);
            ++Moves;
        }
    const double PerMove = Clock.nsecsElapsed() / 1e6 / Moves;
    QTest::keyClick(Grid, Qt::Key_Escape);
    QTest::mouseRelease(Grid, Qt::LeftButton, {}, Grid->CellRect(0, LevelRows - 1).center());
    QCoreApplication::processEvents();
    return PerMove;
}

} // namespace

int main(int argc, char* argv[])
{
    StartOffscreenInGameDir();
    QApplication Application(argc, argv);
    SetMessageHook([](const TMessageRequest&) { return TModalResult::No; });

    TMainForm Form;
    TPaintSpy Spy;
    TDrawGrid* Grid = ShowAndWatchGrid(Form, Spy);

    // The fill: brick 1 over the empty field, taken back by Undo (untimed) before the next pass.
    Key(Grid, Qt::Key_1);
    Key(Grid, Qt::Key_F);
    std::vector<double> Fill, Repaint;
    for (int Pass = 0; Pass < 51; ++Pass) {
        QElapsedTimer Clock;
        Clock.start();
        QTest::mousePress(Grid, Qt::LeftButton, {}, Grid->CellRect(7, 4).center());
        UntilPainted(Spy);
        Fill.push_back(Clock.nsecsElapsed() / 1e6);
        QTest::mouseRelease(Grid, Qt::LeftButton, {}, Grid->CellRect(7, 4).center());
        if (Form.Level().Cells[0][0].Brick != 1 || Form.Level().Cells[19][9].Brick != 1) {
            std::fprintf(stderr, "the fill did not reach the whole field\n");
            return 1;
        }
        Key(Grid, Qt::Key_Z, Qt::ControlModifier);
        UntilPainted(Spy);

        Clock.start();
        Grid->Invalidate();
        UntilPainted(Spy);
        Repaint.push_back(Clock.nsecsElapsed() / 1e6);
    }
    std::printf("fill of the whole empty field, press to repainted grid (median of 51): %.3f ms; floor, one "
                "whole-grid repaint: %.3f ms (goal < 1 ms)\n",
                Median(Fill), Median(Repaint));

    // Brick 1 stays chosen for the rectangle, whose preview is all a move repaints; for the floor nothing is
    // chosen, so the Cell stroke changes no cell.
    std::vector<double> Rectangle, Floor;
    for (int Pass = 0; Pass < 11; ++Pass) {
        Key(Grid, Qt::Key_R);
        Rectangle.push_back(DragThroughTheField(Grid, Spy));
        Key(Grid, Qt::Key_P);
        Key(Grid, Qt::Key_1);
        Floor.push_back(DragThroughTheField(Grid, Spy));
        Key(Grid, Qt::Key_1);
    }
    if (Form.History().index() != 0) {
        std::fprintf(stderr, "a cancelled rectangle or an empty stroke left a step\n");
        return 1;
    }
    std::printf("rectangle dragged across the field, per pointer move with its preview repainted (median of 11 "
                "drags of 199 moves): %.3f ms; floor, a Cell stroke's move that paints nothing: %.3f ms (goal < "
                "0.2 ms)\n",
                Median(Rectangle), Median(Floor));
    return 0;
}
