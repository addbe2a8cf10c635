#pragma once

// The campaign's commands, each on the level open in the editor: move it up or down the campaign,
// duplicate, rename or delete it, edit its text; and the editor's side of its folder changing.

#include <QList>

#include <functional>
#include <string>
#include <vector>

class QAction;
class TLevelDocument;
class TLevelList;
class TLevelListView;
class TStatusLine;

class TLevelSetCommands {
public:
    // What the commands use of the window.
    struct TWindow {
        TLevelDocument& Document;
        TLevelList& List;
        TStatusLine& Status;
        // The unsaved-changes prompt: Yes saves, Cancel throws the silent abort.
        std::function<void()> QuerySaveChanges;
    };
    // The commands' actions, as the window's command table made them.
    struct TActions {
        QAction* MoveUp;
        QAction* MoveDown;
        QAction* Duplicate;
        QAction* Rename;
        QAction* Delete;
        QAction* LevelText;
    };

    explicit TLevelSetCommands(TWindow Window) : F(std::move(Window)) {}

    // Offers the actions in the list's context menu, gives Delete the Del key while the list has the
    // focus, and enables the commands that need a file only while the level has one.
    void Attach(TLevelListView* ListView, const TActions& Actions);

    void MoveUp();
    void MoveDown();
    void Duplicate();
    void Rename();
    void Delete();
    void EditLevelText();

    // Settles what an exchange cut short left in each folder, saying so on the status line. Errors are
    // reported and the rest carries on.
    void RecoverAtStart(const std::vector<std::string>& Folders);
    // The open level's file was changed by another program: it is read again unless the editor holds
    // unsaved edits of it, which are left alone (their Save asks before overwriting).
    void ReadAgainIfChanged();

private:
    void Move(int Direction);
    void Recover(const std::string& Folder);
    void OpenLevel(const std::string& Path);

    TWindow F;
};

// The level file beside Number in the campaign (Direction -1: before it, 1: after it): of the nearest
// number above 0 on that side, the name standing next to it in the campaign's order; "" when none.
std::string NeighbourLevel(std::vector<std::string> Names, int Number, int Direction);
