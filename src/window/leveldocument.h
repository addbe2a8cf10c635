#pragma once

// The level being edited, apart from any window: the record, its history, the file it came from and what
// that file was when this editor last read or wrote it. Every change to the cells goes through here, so
// the history, the changed flag and whoever shows the level all hear of it.

#include "celldiff.h"
#include "cellselection.h"
#include "filenotes.h"
#include "journal.h"
#include "leveldata.h"
#include "safefile.h"
#include "shapes.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QUndoStack>

#include <functional>
#include <string>
#include <vector>

class TLevelDocument : public QObject {
    Q_OBJECT
public:
    explicit TLevelDocument(QObject* Parent = nullptr);

    const TLevelData& Level() const { return FLevel; }
    const TLevelCell& Cell(int ACol, int ARow) const;
    // Set by any edit, even one that changed no value; cleared by Open, New, Save, and by Undo or Redo
    // arriving back at the level as last opened or saved.
    bool IsChanged() const { return FLevel.Changed != 0; }
    const QUndoStack& History() const { return FHistory; }
    QUndoStack& History() { return FHistory; }
    const TFileIdentity& FileIdentity() const { return FFileIdentity; }
    // The cells the block commands work on; opening a level or starting a new one drops it.
    TCellSelection& Selection() { return FSelection; }
    const TCellSelection& Selection() const { return FSelection; }

    // Reads Path into the document; the level, the file name and the history stay as they were when the
    // file cannot be read. Throws EInOutError.
    void Open(const std::string& Path);
    // What the file last opened did not say, as one status line naming it DisplayName ("" when nothing).
    std::string OpenedFileNotes(const std::string& DisplayName) const;
    // An empty new level without a file name.
    void New();
    // The level and history an editor had when it ended without a word: Level as it stood, Identity its
    // file as that editor knew it, and the history's steps, the ones below Current done. Undo steps back
    // to the level as it was opened, the level changed all the way until it is saved.
    void Recover(const TLevelData& Level, const TFileIdentity& Identity, const std::vector<TJournalStep>& Steps,
                 std::size_t Current);

    // Where a new level goes: the game's directory (ending with a separator), and the names already taken
    // besides the files of its level folder (the level list, which may come from another folder).
    struct TNewLevelPlace {
        std::string GameDir;
        std::vector<std::string> TakenNames;
    };
    // Saves to the level's file, asking before it replaces a file someone else has changed since (the
    // silent abort when the answer is No), or for a new level under the next free name. Returns the
    // path written. Throws EInOutError.
    std::string Save(const TNewLevelPlace& Place);

    // The level's file has been given the name Path, by this editor or another: the level follows it, its
    // unsaved edits and its history kept.
    void FollowFile(const std::string& Path);
    // The level's text (the trailer line), set as one step of the history; "" removes it.
    void SetTrailerText(const std::string& Text, const QString& Name);

    // Paints Cells with Rule into the step being recorded (a step of its own when none is open). Name
    // names the step when this is its first change. Returns whether any cell's value changed.
    bool Paint(const TCellPositions& Cells, const TCellRule& Rule, const QString& Name);
    // A finished change made elsewhere (its befores are the cells now), as one step of the history.
    void Apply(const TCellDiff& Diff, const QString& Name);
    // A stroke's paints become one step when it ends; closing an empty step records nothing.
    void BeginStep();
    void EndStep();
    bool StepOpen() const { return FStepOpen; }
    // While a stroke is open, Undo and Redo close it first, so they have something to do even when the
    // history is empty.
    bool CanUndo() const { return FStepOpen || FHistory.canUndo(); }
    bool CanRedo() const { return FStepOpen || FHistory.canRedo(); }

    // Undo and Redo first close the open step, so that a drag's paints so far are taken back (or kept)
    // and the drag goes on from there.
    void Undo();
    void Redo();

signals:
    // Cells whose values changed, as (column, row).
    void CellsChanged(const QList<QPoint>& Cells);
    // The whole level was replaced: opened, new.
    void LevelReplaced();
    void FileNameChanged(const std::string& FileName);
    void ChangedFlagChanged(bool Changed);
    // CanUndo or CanRedo may have changed.
    void UndoRedoChanged();
    // A step went into the history: notes about the file as it was read no longer describe the level.
    void StepRecorded();

private:
    friend class TCellEditCommand;
    friend class TTrailerCommand;
    void SetChanged(bool Changed);
    void SetStepOpen(bool Open);
    // Writes the befores or the afters of a step back, as undo and redo do.
    void Restore(const TCellDiff& Diff, bool After);
    void CommitStep();
    void RestoreTrailer(const std::string& Text);
    void ReplaceLevel(const TLevelData& Level, const TFileIdentity& Identity);
    void SaveOverFile();
    void SaveUnderNewName(const TNewLevelPlace& Place);

    TLevelData FLevel;
    TFileNotes FOpenedFileNotes;
    // The level file as this editor last read or wrote it; a Save finding another asks before overwriting.
    TFileIdentity FFileIdentity;
    QUndoStack FHistory;
    TCellSelection FSelection;
    // The step being recorded: the cells the open stroke has changed so far.
    TCellDiff FStep;
    QString FStepName;
    bool FStepOpen = false;
};
