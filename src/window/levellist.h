#pragma once

// The level list's side of the window: which names it shows, in the campaign's order, following the level
// folder as other programs change it, and which one stands for the level being edited.

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <string>
#include <vector>

class TLevelListView;
struct TFieldPictures;

class TLevelList : public QObject {
    Q_OBJECT
public:
    // How long the folder must stay quiet before the list reads it again: one save by another program
    // is several changes.
    static constexpr int SettleMs = 150;

    // Pictures draws the entries' tool tips; it must outlive the list.
    TLevelList(TLevelListView* View, const TFieldPictures* Pictures);

    // Every level file of Folder, in the campaign's order; from now on the list follows Folder.
    void Fill(const std::string& Folder);
    // Reads the folder again: entries come and go, the editor's level keeps its entry and its selection.
    void Refresh();
    // Selects the entry of the level file Path, adding it when missing, or none for "" (a new level),
    // without asking or opening anything. The file is watched from now on.
    void ShowEdited(const std::string& Path);
    std::vector<std::string> Names() const;
    // The tool tip of the entry Name: its field as a picture, its text under it.
    QString ToolTipOf(const std::string& Name) const;

signals:
    // The folder or the edited level's file changed, and the list has followed.
    void FilesChanged();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Show(std::vector<std::string> Wanted);
    void SelectEdited();
    void WatchEditedFile();
    void Settled();

    TLevelListView* FView;
    const TFieldPictures* FPictures;
    std::string FFolder; // ending with a separator
    // The editor's level: its path as the editor names it, and its name without folder.
    std::string FEditedPath;
    std::string FEditedName;
    QFileSystemWatcher FWatcher;
    QTimer FSettle;
};
