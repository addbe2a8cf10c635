#pragma once

// The level list's side of the window: which names it shows, and which one stands for the level being
// edited.

#include <string>
#include <vector>

class TLevelListView;

class TLevelList {
public:
    explicit TLevelList(TLevelListView* View) : FView(View) {}

    // Every level file of Folder, in the folder's order.
    void Fill(const std::string& Folder);
    // Adds the file name of Path (a name or a path), once.
    void Add(const std::string& Path);
    // Selects the entry of the level file Path, or none, without asking or opening anything.
    void ShowEdited(const std::string& Path);
    std::vector<std::string> Names() const;

private:
    TLevelListView* FView;
};
