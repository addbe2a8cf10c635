#include "levelsetcommands.h"

#include "leveldocument.h"
#include "levellist.h"
#include "statusline.h"

#include "application.h"
#include "dialogs.h"
#include "levellistview.h"
#include "trash.h"

#include "folderentries.h"
#include "levelfolder.h"
#include "levelset.h"

#include <QAction>
#include <QFile>
#include <QShortcut>

#include <algorithm>
#include <stdexcept>

namespace {

// Every change this file makes to a level folder goes through here, so that the folder's lock, which
// keeps two editors from changing one folder at once, is taken in one place.
template <class F> auto UnderFolderLock([[maybe_unused]] const std::string& Folder, F Body)
{
    return Body();
}

// File names are kept as bytes and decoded only to be shown.
QString ForDisplay(const std::string& Name)
{
    return QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
}

std::string FolderOf(const std::string& Path)
{
    return Path.substr(0, NameStartOf(Path));
}

std::string NameOf(const std::string& Path)
{
    return Path.substr(NameStartOf(Path));
}

// A refusal the user reads in the error box; nothing has changed.
[[noreturn]] void Refuse(const QString& Text)
{
    throw std::runtime_error(Text.toStdString());
}

QString RecoveryNote(TLevelSetRecovery Done)
{
    switch (Done) {
    case TLevelSetRecovery::RolledBack:
        return QStringLiteral("A move of levels cut short has been undone.");
    case TLevelSetRecovery::Completed:
        return QStringLiteral("A move of levels cut short has been completed.");
    case TLevelSetRecovery::Rescued:
        return QStringLiteral("A level whose move was cut short has been given a new number.");
    default:
        return {};
    }
}

} // namespace

std::string NeighbourLevel(std::vector<std::string> Names, int Number, int Direction)
{
    std::sort(Names.begin(), Names.end(), CampaignOrderLess);
    if (Direction < 0)
        std::reverse(Names.begin(), Names.end());
    for (const std::string& Name : Names) {
        const int Other = LevelNumberOf(Name);
        if (Other > 0 && (Direction < 0 ? Other < Number : Other > Number))
            return Name;
    }
    return {};
}

void TLevelSetCommands::Attach(TLevelListView* ListView, const TActions& Actions)
{
    const QList<QAction*> NeedFile = {Actions.MoveUp, Actions.MoveDown, Actions.Duplicate, Actions.Rename,
                                      Actions.Delete};
    ListView->addActions(NeedFile);
    ListView->addAction(Actions.LevelText);
    ListView->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The grid has a Del key of its own: this one works only while the list has the focus.
    auto* Del = new QShortcut(QKeySequence(Qt::Key_Delete), ListView, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(Del, &QShortcut::activated, Actions.Delete, [Delete = Actions.Delete] {
        if (Delete->isEnabled())
            Delete->trigger();
    });
    const auto ShowAvailable = [NeedFile](const std::string& FileName) {
        for (QAction* Action : NeedFile)
            Action->setEnabled(!FileName.empty());
    };
    QObject::connect(&F.Document, &TLevelDocument::FileNameChanged, Actions.LevelText, ShowAvailable);
    ShowAvailable(F.Document.Level().FileName);
}

// Moving

void TLevelSetCommands::MoveUp()
{
    Move(-1);
}

void TLevelSetCommands::MoveDown()
{
    Move(1);
}

// The level's file swaps names with its neighbour's; the bytes of both stay as they are, and so do the
// editor's unsaved edits, which now belong to the new name.
void TLevelSetCommands::Move(int Direction)
{
    const std::string Path = F.Document.Level().FileName;
    if (Path.empty())
        return;
    const std::string Folder = FolderOf(Path);
    const std::string Name = NameOf(Path);
    Recover(Folder);
    const int Number = LevelNumberOf(Name);
    if (Number <= 0) {
        F.Status.ShowNote(ForDisplay(Name) + QStringLiteral(" has no number: only numbered levels move."));
        return;
    }
    const std::string Other = NeighbourLevel(ListLevelFolder(Folder.empty() ? "." : Folder), Number, Direction);
    if (Other.empty()) {
        F.Status.ShowNote(
            ForDisplay(Name) +
            (Direction < 0 ? QStringLiteral(" is the first level.") : QStringLiteral(" is the last level.")));
        return;
    }
    UnderFolderLock(Folder, [&] { ExchangeLevelFiles(Path, Folder + Other); });
    F.Document.FollowFile(Folder + Other);
    F.List.Refresh();
    F.Status.ShowNote(ForDisplay(Name) + QStringLiteral(" is now ") + ForDisplay(Other));
}

// Duplicating, renaming, deleting

void TLevelSetCommands::Duplicate()
{
    if (F.Document.Level().FileName.empty())
        return;
    F.QuerySaveChanges();
    const std::string Path = F.Document.Level().FileName;
    const std::string Folder = FolderOf(Path);
    Recover(Folder);
    const std::string Copy = UnderFolderLock(Folder, [&] { return DuplicateLevelFile(Path, Folder); });
    F.List.Refresh();
    OpenLevel(Copy);
    F.Status.ShowNote(ForDisplay(NameOf(Copy)) + QStringLiteral(" is a copy of ") + ForDisplay(NameOf(Path)));
}

void TLevelSetCommands::Rename()
{
    const std::string Path = F.Document.Level().FileName;
    if (Path.empty())
        return;
    const std::string Folder = FolderOf(Path);
    const QString Shown = ForDisplay(NameOf(Path));
    const int Stem = static_cast<int>(Shown.size()) - (IsLevelFileName(NameOf(Path)) ? 4 : 0);
    const std::optional<QString> Typed = AskText(
        {QStringLiteral("Rename Level"), QStringLiteral("New name of ") + Shown + QLatin1Char(':'), Shown, 0, Stem});
    if (!Typed)
        return;
    const TLevelNameCheck Check = CheckLevelName(Typed->toStdString());
    if (!Check.Refusal.empty())
        Refuse(QString::fromStdString(Check.Refusal));
    if (Check.Name == NameOf(Path))
        return;
    Recover(Folder);
    const std::string NewPath = Folder + Check.Name;
    if (!UnderFolderLock(Folder, [&] { return RenameLevelFile(Path, NewPath); }))
        Refuse(QStringLiteral("There is a file named ") + ForDisplay(Check.Name) + QStringLiteral(" already; ") +
               Shown + QStringLiteral(" keeps its name."));
    F.Document.FollowFile(NewPath);
    F.List.Refresh();
    F.Status.ShowNote(Shown + QStringLiteral(" is now ") + ForDisplay(Check.Name));
}

// Never a plain delete: a level the trash cannot take stays where it is.
void TLevelSetCommands::Delete()
{
    const std::string Path = F.Document.Level().FileName;
    if (Path.empty())
        return;
    const std::string Folder = FolderOf(Path);
    const QString Shown = ForDisplay(NameOf(Path));
    if (AskYesNo(QStringLiteral("Delete ") + Shown + QStringLiteral("? It will be moved to the trash.")) !=
        TModalResult::Yes)
        return;
    Recover(Folder);
    const QString Why =
        UnderFolderLock(Folder, [&] { return MoveToTrash(QFile::decodeName(QByteArray::fromStdString(Path))); });
    if (!Why.isEmpty())
        Refuse(Shown + QStringLiteral(" cannot be moved to the trash: ") + Why +
               QStringLiteral(". It stays where it is."));
    F.Document.New();
    F.List.Refresh();
    F.Status.ShowNote(Shown + QStringLiteral(" is in the trash"));
}

// The level's text

// The text is one line of the file: line breaks pasted into it become blanks.
void TLevelSetCommands::EditLevelText()
{
    const std::string& Trailer = F.Document.Level().TrailerText;
    const QString Shown = ForDisplay(Trailer);
    std::optional<QString> Typed =
        AskText({QStringLiteral("Level Text"), QStringLiteral("The level's text (empty for none):"), Shown});
    if (!Typed)
        return;
    Typed->replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // Unchanged text keeps its bytes, even those that are not UTF-8.
    if (*Typed == Shown)
        return;
    F.Document.SetTrailerText(Typed->toStdString(), QStringLiteral("Level Text"));
}

// The folder

void TLevelSetCommands::Recover(const std::string& Folder)
{
    const TLevelSetRecovery Done = UnderFolderLock(Folder, [&] { return RecoverLevelSet(Folder); });
    if (Done == TLevelSetRecovery::NothingToRecover)
        return;
    F.List.Refresh();
    if (const QString Note = RecoveryNote(Done); !Note.isEmpty())
        F.Status.ShowNote(Note);
}

void TLevelSetCommands::RecoverAtStart(const std::vector<std::string>& Folders)
{
    for (const std::string& Folder : Folders)
        RunHandler([&] { Recover(Folder); });
}

void TLevelSetCommands::OpenLevel(const std::string& Path)
{
    F.Document.Open(Path);
    F.Status.ShowFileNotes(F.Document.OpenedFileNotes(NameOf(Path)));
}

// A file another program is still writing may fail to read; its next change reads it again.
void TLevelSetCommands::ReadAgainIfChanged()
{
    const std::string Path = F.Document.Level().FileName;
    if (Path.empty() || F.Document.IsChanged())
        return;
    try {
        const TFileIdentity OnDisk = FileIdentityOf(Path);
        if (!OnDisk.Exists || OnDisk == F.Document.FileIdentity())
            return;
        OpenLevel(Path);
        F.Status.ShowNote(ForDisplay(NameOf(Path)) + QStringLiteral(" was changed on disk and has been read again"));
    } catch (const std::exception& E) {
        F.Status.ShowNote(ForDisplay(NameOf(Path)) + QStringLiteral(" was changed on disk and cannot be read: ") +
                          QString::fromLocal8Bit(E.what()));
    }
}
