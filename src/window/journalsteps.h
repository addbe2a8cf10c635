#pragma once

// The history's steps as the recovery journal keeps them, and back: a step of cells (painting, the block
// commands) or a step of the level's text.

#include "journal.h"

#include <string>

class QUndoCommand;
class TLevelDocument;

// Adds the record of Command, a step just recorded, to Out. Throws std::logic_error for a step the
// journal cannot keep, so that no kind of step is ever left out of it without a word.
void EncodeRecordedStep(std::string& Out, const QUndoCommand& Command);

// Takes Command, a done step, back from Cells and TrailerText, as its undo would.
void TakeBackStep(const QUndoCommand& Command, TLevelCells& Cells, std::string& TrailerText);
// The same for a step read from a journal.
void TakeBackStep(const TJournalStep& Step, TLevelCells& Cells, std::string& TrailerText);

// A step read from a journal as the command its editor had recorded, for Document's history. The
// command's push makes a text step; a step of cells must already be in the level.
QUndoCommand* CommandOfStep(const TJournalStep& Step, TLevelDocument& Document);
