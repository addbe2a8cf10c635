#pragma once

// The campaign's file operations: levels swap places, take new names and are copied without a level ever
// going missing or a byte of one changing, and the campaign's order of names.
//
// Each operation first settles an exchange that a crash interrupted in its folder (RecoverLevelSet), so
// the editor needs to call that itself only at start.

#include <functional>
#include <string>

// The two level files A and B, in one folder, swap names: afterwards A holds what B held and B what A
// held. Where the system swaps two names in one step that is all; elsewhere the swap goes through a
// hidden temporary name, recorded first in a journal in the folder, so that RecoverLevelSet can finish or
// undo it after a crash. The folder is synced before it returns. Throws EInOutError, with every level
// back under its own name, when a step fails or A or B is missing.
void ExchangeLevelFiles(const std::string& A, const std::string& B);

// What RecoverLevelSet found and did.
enum class TLevelSetRecovery {
    NothingToRecover, // no interrupted exchange
    Settled, // both names held a level: the journal only went
    RolledBack, // the first level went back to its own name
    Completed, // the first level took the second's name
    Rescued // both names were taken by then: the first level took the next free "levelN.txt"
};

// Settles an exchange in Folder that a crash interrupted: every level it moved is back under a visible
// name, in the old or the new arrangement, and the journal is gone. Throws EInOutError, leaving the
// journal, when a step fails or the journal cannot be read.
TLevelSetRecovery RecoverLevelSet(const std::string& Folder);

// Whether Folder holds the journal of an interrupted exchange for RecoverLevelSet to settle.
bool LevelSetNeedsRecovery(const std::string& Folder);

// Renames the level file From to To only when To names nothing: false, changing nothing, when To is
// taken by anything (a file, a folder, a link). The folder is synced. Throws EInOutError.
bool RenameLevelFile(const std::string& From, const std::string& To);

// A name the user typed for a level, made whole: Name is the file name to use, with ".txt" added when it
// lacks one; Refusal is empty, or says in a sentence why the name cannot be used.
struct TLevelNameCheck {
    std::string Name;
    std::string Refusal;

    friend bool operator==(const TLevelNameCheck&, const TLevelNameCheck&) = default;
};
TLevelNameCheck CheckLevelName(const std::string& Typed);

// Copies the level file Path byte for byte into Folder under the next free "levelN.txt", claimed only
// while free (another writer that takes the name first moves the copy on to the next), and returns the
// new file's path. Throws EInOutError.
std::string DuplicateLevelFile(const std::string& Path, const std::string& Folder);

// The campaign's order: by the number in the name (LevelNumberOf), then by name without regard to case.
bool CampaignOrderLess(const std::string& A, const std::string& B);

// Test seam: called after each step of the exchange through the journal. Anything thrown from it but an
// EInOutError leaves the folder as a crash at that point would; an EInOutError stands for a failed step.
// Pass an empty function to remove the hook.
enum class TExchangeStep { JournalWritten, FirstMovedAside, SecondMoved, FirstMovedIn, FolderSynced, JournalRemoved };
using TExchangeStepHook = std::function<void(TExchangeStep Step)>;
void SetExchangeStepHook(TExchangeStepHook Hook);
