#include "pointedcell.h"

#include "drawgrid.h"

#include <QEvent>

TPointedCell::TPointedCell(TDrawGrid* Grid) : QObject(Grid), FGrid(Grid)
{
    connect(Grid, &TDrawGrid::HoverCellChanged, this, &TPointedCell::HoverMoved);
    connect(Grid, &TDrawGrid::CurrentCellChanged, this, &TPointedCell::CurrentMoved);
    // The grid tells only of a new cell under the pointer; a move within the same cell after a key move
    // must bring the pointer's cell back too.
    Grid->installEventFilter(this);
}

TCellPos TPointedCell::Cell() const
{
    if (FFollowsPointer && FHover.Column >= 0 && FHover.Row >= 0)
        return FHover;
    return {FGrid->Col(), FGrid->Row()};
}

bool TPointedCell::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FGrid && Event->type() == QEvent::MouseMove && !FFollowsPointer) {
        FFollowsPointer = true;
        emit Changed();
    }
    return QObject::eventFilter(Watched, Event);
}

void TPointedCell::HoverMoved(int ACol, int ARow)
{
    FHover = {ACol, ARow};
    emit Changed();
}

// A press moves the current cell to the one under the pointer, so the two agree whichever is shown.
void TPointedCell::CurrentMoved()
{
    FFollowsPointer = false;
    emit Changed();
}
