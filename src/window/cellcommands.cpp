#include "cellcommands.h"

#include "drawgrid.h"

TCellEditCommand::TCellEditCommand(const QString& Text, TLevelData& Level, TDrawGrid* Grid, TCellDiff Diff)
    : QUndoCommand(Text), FLevel(Level), FGrid(Grid), FDiff(std::move(Diff))
{
}

void TCellEditCommand::undo()
{
    FDiff.ApplyBefore(FLevel.Cells);
    FLevel.Changed = 1;
    FDone = false;
    Repaint();
}

void TCellEditCommand::redo()
{
    // QUndoStack::push calls redo at once, for an edit that is already in the level.
    if (FDone)
        return;
    FDiff.ApplyAfter(FLevel.Cells);
    FLevel.Changed = 1;
    FDone = true;
    Repaint();
}

void TCellEditCommand::Repaint() const
{
    if (!FGrid)
        return;
    QList<QPoint> Cells;
    Cells.reserve(static_cast<qsizetype>(FDiff.Changes().size()));
    for (const TCellChange& C : FDiff.Changes())
        Cells.append(QPoint(C.Col, C.Row));
    FGrid->InvalidateCells(Cells);
}
