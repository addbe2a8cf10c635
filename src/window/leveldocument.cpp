#include "leveldocument.h"

#include "cellcommands.h"
#include "dialogs.h"
#include "exceptions.h"
#include "inouterror.h"
#include "journalsteps.h"
#include "levelfile.h"
#include "levelfolder.h"
#include "levelwriters.h"
#include "trailercommand.h"

#include <cerrno>
#include <filesystem>
#include <utility>

namespace {

const char* const NewLevelFolder = "data/levels/";

std::string FileNameOf(const std::string& Path)
{
    return std::filesystem::path(Path).filename().string();
}

QList<QPoint> PointsOf(const TCellDiff& Diff)
{
    QList<QPoint> Cells;
    Cells.reserve(static_cast<qsizetype>(Diff.Changes().size()));
    for (const TCellChange& C : Diff.Changes())
        Cells.append(QPoint(C.Col, C.Row));
    return Cells;
}

} // namespace

TLevelDocument::TLevelDocument(QObject* Parent) : QObject(Parent)
{
    ClearLevel(FLevel);
    connect(&FHistory, &QUndoStack::canUndoChanged, this, &TLevelDocument::UndoRedoChanged);
    connect(&FHistory, &QUndoStack::canRedoChanged, this, &TLevelDocument::UndoRedoChanged);
    // Undo or Redo back to the level as opened or saved: its file holds it, nothing is left to ask about.
    connect(&FHistory, &QUndoStack::cleanChanged, this, [this](bool Clean) {
        if (Clean)
            SetChanged(false);
    });
}

void TLevelDocument::SetStepOpen(bool Open)
{
    if (std::exchange(FStepOpen, Open) != Open)
        emit UndoRedoChanged();
}

const TLevelCell& TLevelDocument::Cell(int ACol, int ARow) const
{
    return FLevel.Cells.at(static_cast<std::size_t>(ACol)).at(static_cast<std::size_t>(ARow));
}

void TLevelDocument::Open(const std::string& Path)
{
    // Taken before reading: a change made while the file is read then shows at the next Save.
    const TFileIdentity Identity = FileIdentityOf(Path);
    // One reading gives the level and its notes, so both describe the same bytes.
    TLevelFileReading Reading = ReadLevelFile(Path);
    ReplaceLevel(Reading.Level, Identity);
    FOpenedFileNotes = std::move(Reading.Notes);
}

std::string TLevelDocument::OpenedFileNotes(const std::string& DisplayName) const
{
    return SummariseFileNotes(DisplayName, FOpenedFileNotes);
}

void TLevelDocument::New()
{
    FOpenedFileNotes = {};
    TLevelData Empty;
    ClearLevel(Empty);
    ReplaceLevel(Empty, TFileIdentity{});
}

// The history is built again from its bottom, one push for each step, so that whoever follows the
// history sees it grow as it did. No state of it is the file's: the file may hold any of them, or
// another level by now, and the recovered work must not end unasked by an Undo and a close. Only a Save
// makes a state of it clean again.
void TLevelDocument::Recover(const TLevelData& Level, const TFileIdentity& Identity,
                             const std::vector<TJournalStep>& Steps, std::size_t Current)
{
    TLevelData Bottom = Level;
    for (std::size_t Step = Current; Step-- > 0;)
        TakeBackStep(Steps[Step], Bottom.Cells, Bottom.TrailerText);
    Bottom.Changed = 1;
    FOpenedFileNotes = {};
    ReplaceLevel(Bottom, Identity);
    FHistory.resetClean();
    for (const TJournalStep& Step : Steps) {
        Step.Diff.ApplyAfter(FLevel.Cells);
        FHistory.push(CommandOfStep(Step, *this));
    }
    FHistory.setIndex(static_cast<int>(Current));
    emit LevelReplaced();
}

void TLevelDocument::ReplaceLevel(const TLevelData& Level, const TFileIdentity& Identity)
{
    FLevel = Level;
    FFileIdentity = Identity;
    FStep.Clear();
    SetStepOpen(false);
    FHistory.clear();
    FHistory.setClean();
    FSelection.Clear();
    emit LevelReplaced();
    emit FileNameChanged(FLevel.FileName);
    emit ChangedFlagChanged(IsChanged());
}

void TLevelDocument::SetChanged(bool Changed)
{
    const std::uint8_t Flag = Changed ? 1 : 0;
    if (FLevel.Changed == Flag)
        return;
    FLevel.Changed = Flag;
    emit ChangedFlagChanged(Changed);
}

void TLevelDocument::FollowFile(const std::string& Path)
{
    FLevel.FileName = Path;
    emit FileNameChanged(FLevel.FileName);
}

void TLevelDocument::SetTrailerText(const std::string& Text, const QString& Name)
{
    CommitStep();
    if (Text == FLevel.TrailerText)
        return;
    FHistory.push(new TTrailerCommand(Name, *this, FLevel.TrailerText, Text));
    emit StepRecorded();
}

void TLevelDocument::RestoreTrailer(const std::string& Text)
{
    FLevel.TrailerText = Text;
    SetChanged(true);
}

// Painting

bool TLevelDocument::Paint(const TCellPositions& Cells, const TCellRule& Rule, const QString& Name)
{
    const TShapePaint Painted = PaintCells(FLevel.Cells, Cells, Rule);
    if (FStep.Empty())
        FStepName = Name;
    QList<QPoint> Repaint;
    for (const TCellChange& Change : Painted.Changes) {
        FStep.Record(Change.Col, Change.Row, Change.Before, Change.After);
        Repaint.append(QPoint(Change.Col, Change.Row));
    }
    // Any cell the rule touched marks the level changed, even when its value stayed.
    if (Painted.Touched)
        SetChanged(true);
    if (!FStepOpen)
        CommitStep();
    if (!Repaint.isEmpty())
        emit CellsChanged(Repaint);
    return !Repaint.isEmpty();
}

void TLevelDocument::Apply(const TCellDiff& Diff, const QString& Name)
{
    CommitStep();
    TCellDiff Step = Diff;
    Step.Compact();
    Diff.ApplyAfter(FLevel.Cells);
    SetChanged(true);
    if (!Step.Empty()) {
        FHistory.push(new TCellEditCommand(Name, *this, std::move(Step)));
        emit StepRecorded();
    }
    emit CellsChanged(PointsOf(Diff));
}

void TLevelDocument::BeginStep()
{
    CommitStep();
    SetStepOpen(true);
}

void TLevelDocument::EndStep()
{
    SetStepOpen(false);
    CommitStep();
}

// The step so far goes into the history, unless it changed no cell's value.
void TLevelDocument::CommitStep()
{
    FStep.Compact();
    if (!FStep.Empty()) {
        FHistory.push(new TCellEditCommand(FStepName, *this, std::move(FStep)));
        emit StepRecorded();
    }
    FStep.Clear();
}

void TLevelDocument::Undo()
{
    CommitStep();
    FHistory.undo();
}

void TLevelDocument::Redo()
{
    CommitStep();
    FHistory.redo();
}

void TLevelDocument::Restore(const TCellDiff& Diff, bool After)
{
    if (After)
        Diff.ApplyAfter(FLevel.Cells);
    else
        Diff.ApplyBefore(FLevel.Cells);
    SetChanged(true);
    emit CellsChanged(PointsOf(Diff));
}

// Saving

std::string TLevelDocument::Save(const TNewLevelPlace& Place)
{
    CommitStep();
    if (!FLevel.FileName.empty())
        SaveOverFile();
    else
        SaveUnderNewName(Place);
    // The level is on disk now: the prompt must not ask about it again.
    FHistory.setClean();
    SetChanged(false);
    emit FileNameChanged(FLevel.FileName);
    return FLevel.FileName;
}

// Another editor, fmt or the user may have written the level since this editor read it: that work is not
// replaced without a word. The question is asked under the folder's lock, so no other writer can slip in
// between the answer and the write. A file that has vanished loses nothing by being written again.
void TLevelDocument::SaveOverFile()
{
    const std::optional<TFileIdentity> Saved = SaveLevelChecked(FLevel.FileName, FLevel, FFileIdentity, [] {
        return AskYesNo(QStringLiteral("The level file has changed on disk since it was opened. Overwrite it?")) ==
            TModalResult::Yes;
    });
    if (!Saved)
        throw EAbort();
    FFileIdentity = *Saved;
}

// The number is counted at the moment of saving, over the names the caller knows and over the folder
// new levels go to, where others may have added levels since start-up. The file is created only where no
// file of that name exists, so a name taken in between costs only a retry with the next number.
void TLevelDocument::SaveUnderNewName(const TNewLevelPlace& Place)
{
    std::vector<std::string> Taken = Place.TakenNames;
    for (std::string& Name : ListLevelFolder(Place.GameDir + NewLevelFolder))
        Taken.push_back(std::move(Name));
    for (int Attempt = 0; Attempt < NewLevelNameAttempts; ++Attempt) {
        const std::string Path = NextLevelFileName(Taken, Place.GameDir);
        if (const std::optional<TFileIdentity> Saved = SaveNewLevelChecked(Path, FLevel)) {
            FFileIdentity = *Saved;
            return;
        }
        Taken.push_back(FileNameOf(Path));
    }
    throw EInOutError(EEXIST);
}
