#include "levelwriters.h"

#include "filenotes.h"
#include "folderlock.h"
#include "inouterror.h"
#include "levelfile.h"
#include "tempfiles.h"

namespace {

// The folder's lock, and the tidying that only a holder of it may do.
class TLockedFolder {
public:
    explicit TLockedFolder(const std::string& WrittenPath) : FLock(FolderOf(WrittenPath))
    {
        RemoveStaleTempFiles(FLock.Folder());
    }

private:
    TFolderLock FLock;
};

// The level is saved whatever happens here; a file whose state cannot be read is simply taken as changed by
// someone else at the next save, which then asks.
TFileIdentity IdentityAfterSave(const std::string& Path)
{
    TFileIdentity Identity;
    try {
        Identity = FileIdentityOf(Path);
    } catch (const EInOutError&) {
    }
    WriterStep("identified", Path);
    return Identity;
}

} // namespace

std::optional<TFileIdentity> SaveLevelChecked(const std::string& FileName, TLevelData& Level,
                                              const TFileIdentity& Expected, const TOverwriteQuestion& Overwrite)
{
    TLockedFolder Lock(WrittenPathOf(FileName));
    const TFileIdentity OnDisk = FileIdentityOf(FileName);
    // A file that has vanished loses nothing by being written again.
    if (OnDisk.Exists && OnDisk != Expected && !Overwrite())
        return std::nullopt;
    WriterStep("checked", FileName);
    SaveLevel(FileName, Level);
    WriterStep("replaced", FileName);
    return IdentityAfterSave(FileName);
}

std::optional<TFileIdentity> SaveNewLevelChecked(const std::string& FileName, TLevelData& Level)
{
    TLockedFolder Lock(FileName);
    if (!SaveNewLevel(FileName, Level))
        return std::nullopt;
    WriterStep("replaced", FileName);
    return IdentityAfterSave(FileName);
}

void SaveLevelCopy(const std::string& Path, const TLevelData& Level)
{
    TLockedFolder Lock(Path);
    ReplaceFileNoFollow(Path, FormatLevel(Level));
    WriterStep("replaced", Path);
}

TFormatOutcome FormatLevelFile(const std::string& Path, const TFormatOptions& Options, const char*& Stage)
{
    Stage = "write";
    std::optional<TLockedFolder> Lock;
    if (!Options.CheckOnly)
        Lock.emplace(WrittenPathOf(Path));
    Stage = "read";
    // Read under the lock, so that a save that came first is what is judged and kept.
    const TLevelFileReading Reading = ReadLevelFile(Path, 0);
    WriterStep("read", Path);
    if (!Reading.LooksLikeLevel && !Options.Force)
        return TFormatOutcome::NotALevel;
    if (!Reading.Notes.ChangesFile())
        return TFormatOutcome::Canonical;
    if (Options.CheckOnly)
        return TFormatOutcome::WouldRewrite;
    Stage = "write";
    ReplaceFileContents(Path, FormatLevel(Reading.Level));
    WriterStep("replaced", Path);
    return TFormatOutcome::Rewritten;
}
