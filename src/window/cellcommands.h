#pragma once

#include "celldiff.h"

#include <QUndoCommand>

class TLevelDocument;

// One step of the editor's history: the cells an edit changed. Undo and redo write the cells back into the
// document, which marks the level changed and tells who shows it. Text names the step in the Edit menu.
class TCellEditCommand : public QUndoCommand {
public:
    // The edit has already been made in the document; the push onto the history does not make it again.
    // The document owns the history, so it outlives the command.
    TCellEditCommand(const QString& Text, TLevelDocument& Document, TCellDiff Diff);

    void undo() override;
    void redo() override;

    const TCellDiff& Diff() const { return FDiff; }

private:
    TLevelDocument& FDocument;
    TCellDiff FDiff;
    bool FDone = true;
};
