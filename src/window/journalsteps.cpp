#include "journalsteps.h"

#include "cellcommands.h"
#include "trailercommand.h"

#include <stdexcept>

void EncodeRecordedStep(std::string& Out, const QUndoCommand& Command)
{
    const std::string Name = Command.text().toStdString();
    if (const auto* Edit = dynamic_cast<const TCellEditCommand*>(&Command))
        EncodeJournalRecorded(Out, Name, Edit->Diff());
    else if (const auto* Text = dynamic_cast<const TTrailerCommand*>(&Command))
        EncodeJournalRecorded(Out, Name, TCellDiff(), TTrailerChange{Text->Before(), Text->After()});
    else
        throw std::logic_error("the history holds a step the recovery journal cannot keep");
}

void TakeBackStep(const QUndoCommand& Command, TLevelCells& Cells, std::string& TrailerText)
{
    if (const auto* Edit = dynamic_cast<const TCellEditCommand*>(&Command))
        Edit->Diff().ApplyBefore(Cells);
    else if (const auto* Text = dynamic_cast<const TTrailerCommand*>(&Command))
        TrailerText = Text->Before();
    else
        throw std::logic_error("the history holds a step the recovery journal cannot keep");
}

void TakeBackStep(const TJournalStep& Step, TLevelCells& Cells, std::string& TrailerText)
{
    Step.Diff.ApplyBefore(Cells);
    if (Step.Trailer)
        TrailerText = Step.Trailer->Before;
}

// This editor records the text apart from the cells, so a step has one or the other.
QUndoCommand* CommandOfStep(const TJournalStep& Step, TLevelDocument& Document)
{
    const QString Name = QString::fromStdString(Step.Name);
    if (Step.Trailer)
        return new TTrailerCommand(Name, Document, Step.Trailer->Before, Step.Trailer->After);
    return new TCellEditCommand(Name, Document, Step.Diff);
}
