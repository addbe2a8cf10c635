#include "trailercommand.h"

#include "leveldocument.h"

TTrailerCommand::TTrailerCommand(const QString& Text, TLevelDocument& Document, std::string Before, std::string After) :
    QUndoCommand(Text),
    FDocument(Document),
    FBefore(std::move(Before)),
    FAfter(std::move(After))
{
}

void TTrailerCommand::undo()
{
    FDocument.RestoreTrailer(FBefore);
}

void TTrailerCommand::redo()
{
    FDocument.RestoreTrailer(FAfter);
}
