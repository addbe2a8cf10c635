#pragma once

// The status line: the cell under the pointer (or the current cell), the level's counts, and messages
// that come and go: the notes on a file just opened, "Saved ...".

#include "leveldata.h"

#include <QObject>
#include <QString>

#include <string>

class QLabel;
class QStatusBar;

class TStatusLine : public QObject {
    Q_OBJECT
public:
    // How long "Saved ..." stays, unless the caller hands in another time.
    static constexpr int DefaultSavedMessageMs = 4000;

    explicit TStatusLine(QStatusBar* Bar, int SavedMessageMs = DefaultSavedMessageMs);

    void ShowCell(int ACol, int ARow, const TLevelCell& Cell);
    void ShowCounts(const TLevelData& Level);
    // What the file did not say stays until the next edit; an empty summary clears the line.
    void ShowFileNotes(const std::string& Summary);
    void ClearFileNotes();
    void ShowSaved(const std::string& FileName);
    // What a command did to the level's file ("level3.txt is now level2.txt"), shown as long as "Saved ...".
    void ShowNote(const QString& Text);
    // Whatever the line said was about the level before.
    void Clear();

private:
    QStatusBar* FBar;
    QLabel* labCell;
    QLabel* labCounts;
    int FSavedMessageMs;
    bool FShowingFileNotes = false;
};

// "Column 4, Row 2: Brick 1, 3 Hits + Lower Speed".
QString CellStatusText(int ACol, int ARow, const TLevelCell& Cell);
// "37 bricks, 31 breakable, 6 power-ups".
QString CountsText(const TLevelData& Level);
