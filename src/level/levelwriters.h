#pragma once

// Every writer of a level folder, each holding the folder's lock (folderlock.h) from its check of the file
// to its reading of the file it wrote, so that no two writers interleave: whoever comes second waits,
// then sees what the first one wrote. Each also removes the stale temporary files of killed saves there
// (tempfiles.h). When the lock stays taken longer than FolderLockTimeoutMs(), they throw EInOutError
// before writing anything.
//
// The editor's Save of a level with a file, in one call:
//
//     const std::optional<TFileIdentity> Saved = SaveLevelChecked(
//         FLevel.FileName, FLevel, FFileIdentity, [&] { return AskYesNo("...Overwrite it?") == Yes; });
//     if (!Saved)
//         throw EAbort();           // the user kept the other version
//     FFileIdentity = *Saved;       // what the next Save compares with
//
// The question is asked while the lock is held, so that nothing can change between the answer and the
// write; other writers wait meanwhile and give up after the timeout.

#include "leveldata.h"
#include "safefile.h"

#include <functional>
#include <optional>
#include <string>

// Asked under the lock when the file on disk is no longer the one the caller last read or wrote. True:
// write over it all the same; false: write nothing. It may throw instead, which also writes nothing.
using TOverwriteQuestion = std::function<bool()>;

// Under the lock: compares FileName's identity with Expected and, when the file exists and differs, asks
// Overwrite; writes Level there as SaveLevel does (temporary file, sync, rename, folder sync) and reads the
// new file's identity. Returns that identity, for the next save's Expected: an empty one (taken as changed,
// so the next save asks) when it cannot be read although the save succeeded. Returns nothing when
// Overwrite said no. Sets Level.FileName as SaveLevel does; throws EInOutError as SaveLevel does.
std::optional<TFileIdentity> SaveLevelChecked(const std::string& FileName, TLevelData& Level,
                                              const TFileIdentity& Expected, const TOverwriteQuestion& Overwrite);

// Under the lock: SaveNewLevel, then the new file's identity as above. Returns nothing, writing nothing
// and leaving Level as it was, when the name is taken.
std::optional<TFileIdentity> SaveNewLevelChecked(const std::string& FileName, TLevelData& Level);

// Test Level's copy: under the lock, writes Level to Path, replacing whatever is named Path itself; a
// symbolic link there is replaced by the file, never followed. Level (its file name too) stays as it is.
void SaveLevelCopy(const std::string& Path, const TLevelData& Level);

// zolvane-level fmt for one file.
enum class TFormatOutcome {
    Canonical, // left as it is
    Rewritten,
    WouldRewrite, // with CheckOnly
    NotALevel, // refused, untouched: it does not look like a level file (levellikeness.h)
};

struct TFormatOptions {
    bool CheckOnly = false; // read only, without the lock
    bool Force = false; // rewrite what does not look like a level as well
};

// Under the lock, reads Path anew and rewrites it in the form SaveLevel writes, unless it is in that form
// by then. Stage names what was being done when it throws EInOutError: "read" or "write".
TFormatOutcome FormatLevelFile(const std::string& Path, const TFormatOptions& Options, const char*& Stage);
