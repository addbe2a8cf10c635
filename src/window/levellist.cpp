#include "levellist.h"

#include "leveltooltip.h"

#include "levelfolder.h"
#include "levellistview.h"
#include "levelset.h"

#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>
#include <filesystem>

namespace {

std::string NameOf(const std::string& Path)
{
    return std::filesystem::path(Path).filename().string();
}

QString PathForQt(const std::string& Path)
{
    return QFile::decodeName(QByteArray::fromStdString(Path));
}

} // namespace

TLevelList::TLevelList(TLevelListView* View, const TFieldPictures* Pictures) : FView(View), FPictures(Pictures)
{
    FSettle.setSingleShot(true);
    FSettle.setInterval(SettleMs);
    connect(&FSettle, &QTimer::timeout, this, &TLevelList::Settled);
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, &FSettle, qOverload<>(&QTimer::start));
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, &FSettle, qOverload<>(&QTimer::start));
    FView->viewport()->installEventFilter(this);
}

void TLevelList::Fill(const std::string& Folder)
{
    // Held whole: the list keeps following the folder it was filled from whatever the current folder becomes.
    const QString Absolute = QDir(PathForQt(Folder)).absolutePath();
    FFolder = QFile::encodeName(Absolute).toStdString() + '/';
    if (!FWatcher.directories().isEmpty())
        FWatcher.removePaths(FWatcher.directories());
    if (QFileInfo(Absolute).isDir())
        FWatcher.addPath(Absolute);
    Refresh();
}

void TLevelList::Refresh()
{
    std::vector<std::string> Wanted = FFolder.empty() ? std::vector<std::string>{} : ListLevelFolder(FFolder);
    if (!FEditedName.empty() && std::find(Wanted.begin(), Wanted.end(), FEditedName) == Wanted.end())
        Wanted.push_back(FEditedName);
    Show(std::move(Wanted));
}

// The entries become Wanted, in the campaign's order, each kept entry keeping its item.
void TLevelList::Show(std::vector<std::string> Wanted)
{
    std::sort(Wanted.begin(), Wanted.end(), CampaignOrderLess);
    for (int Row = FView->count() - 1; Row >= 0; --Row)
        if (std::find(Wanted.begin(), Wanted.end(), TLevelListView::NameOf(FView->item(Row)).toStdString()) ==
            Wanted.end())
            delete FView->takeItem(Row);
    for (int Row = 0; Row < static_cast<int>(Wanted.size()); ++Row) {
        const QByteArray Name = QByteArray::fromStdString(Wanted[static_cast<std::size_t>(Row)]);
        if (TLevelListView::NameOf(FView->item(Row)) == Name)
            continue;
        if (QListWidgetItem* Later = FView->FindName(Name))
            FView->insertItem(Row, FView->takeItem(FView->row(Later)));
        else
            FView->InsertName(Row, Name);
    }
    SelectEdited();
}

void TLevelList::ShowEdited(const std::string& Path)
{
    FEditedPath = Path;
    FEditedName = Path.empty() ? std::string() : NameOf(Path);
    if (!FEditedName.empty() && !FView->FindName(QByteArray::fromStdString(FEditedName))) {
        std::vector<std::string> Wanted = Names();
        Wanted.push_back(FEditedName);
        Show(std::move(Wanted));
    }
    SelectEdited();
    WatchEditedFile();
}

void TLevelList::SelectEdited()
{
    QListWidgetItem* Edited = FEditedName.empty() ? nullptr : FView->FindName(QByteArray::fromStdString(FEditedName));
    if (FView->Selected() != Edited)
        FView->SelectQuietly(Edited);
}

// A file written in place is reported only by a watch on the file itself; one replaced or moved drops
// out of the watcher, so the watch is renewed whenever the list follows the folder.
void TLevelList::WatchEditedFile()
{
    if (!FWatcher.files().isEmpty())
        FWatcher.removePaths(FWatcher.files());
    if (!FEditedPath.empty() && QFileInfo::exists(PathForQt(FEditedPath)))
        FWatcher.addPath(PathForQt(FEditedPath));
}

void TLevelList::Settled()
{
    Refresh();
    WatchEditedFile();
    emit FilesChanged();
}

std::vector<std::string> TLevelList::Names() const
{
    std::vector<std::string> Names;
    for (const QByteArray& Name : FView->Names())
        Names.push_back(Name.toStdString());
    return Names;
}

QString TLevelList::ToolTipOf(const std::string& Name) const
{
    return LevelToolTip(FFolder + Name, *FPictures);
}

bool TLevelList::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() != QEvent::ToolTip || Watched != FView->viewport())
        return QObject::eventFilter(Watched, Event);
    const auto* Help = static_cast<QHelpEvent*>(Event);
    QListWidgetItem* Item = FView->itemAt(Help->pos());
    if (!Item) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(Help->globalPos(), ToolTipOf(TLevelListView::NameOf(Item).toStdString()), FView->viewport(),
                       FView->visualItemRect(Item));
    return true;
}
