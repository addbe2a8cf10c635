#pragma once

#include "celldiff.h"

#include <QUndoCommand>

class TDrawGrid;

// One step of the editor's history: the cells an edit changed. Undo and redo write the cells back into the
// level, mark it changed and repaint just those cells. Each kind of edit is its own class, so that the
// Edit menu names the step.
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

// Everything one stroke of the draw tool changed.
class TPaintCommand : public TCellEditCommand {
public:
    TPaintCommand(TLevelData& Level, TDrawGrid* Grid, TCellDiff Diff);
};

// Everything one stroke of the erase tool changed.
class TEraseCommand : public TCellEditCommand {
public:
    TEraseCommand(TLevelData& Level, TDrawGrid* Grid, TCellDiff Diff);
};

// A rectangle of the draw or erase tool, mirrored or not.
class TRectangleCommand : public TCellEditCommand {
public:
    TRectangleCommand(TLevelData& Level, TDrawGrid* Grid, TCellDiff Diff);
};

// A fill of the draw or erase tool, mirrored or not.
class TFillCommand : public TCellEditCommand {
public:
    TFillCommand(TLevelData& Level, TDrawGrid* Grid, TCellDiff Diff);
};
