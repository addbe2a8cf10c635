#pragma once

#include "celldiff.h"

#include <QUndoCommand>

class TDrawGrid;

// One step of the editor's history: the cells an edit changed. Undo and redo write the cells back into the
// level, mark it changed and repaint just those cells. Text names the step in the Edit menu.
class TCellEditCommand : public QUndoCommand {
public:
    // The edit has already been made in Level; the push onto the history does not make it again. Grid
    // shows Level and outlives the command.
    TCellEditCommand(const QString& Text, TLevelData& Level, TDrawGrid* Grid, TCellDiff Diff);

    void undo() override;
    void redo() override;

    const TCellDiff& Diff() const { return FDiff; }

private:
    void Repaint() const;

    TLevelData& FLevel;
    TDrawGrid* FGrid;
    TCellDiff FDiff;
    bool FDone = true;
};
