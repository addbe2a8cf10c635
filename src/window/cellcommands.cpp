#include "cellcommands.h"

#include "leveldocument.h"

TCellEditCommand::TCellEditCommand(const QString& Text, TLevelDocument& Document, TCellDiff Diff) :
    QUndoCommand(Text),
    FDocument(Document),
    FDiff(std::move(Diff))
{
}

void TCellEditCommand::undo()
{
    FDocument.Restore(FDiff, false);
    FDone = false;
}

void TCellEditCommand::redo()
{
    // QUndoStack::push calls redo at once, for an edit that is already in the level.
    if (FDone)
        return;
    FDocument.Restore(FDiff, true);
    FDone = true;
}
