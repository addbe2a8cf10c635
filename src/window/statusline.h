#pragma once

// The status line, in parts side by side that never cover each other: the cell the user last pointed at or
// moved to, the notes on a file just opened (cut short to fit, whole in their tool tip), whether the level
// has unsaved edits, and the level's counts. "Saved ..." comes and goes over the cell and the notes.

#include "leveldata.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

class QLabel;
class QStatusBar;
class TElidedLabel;

class TStatusLine : public QObject {
    Q_OBJECT
public:
    // How long "Saved ..." stays, unless the caller hands in another time.
    static constexpr int DefaultSavedMessageMs = 4000;

    explicit TStatusLine(QStatusBar* Bar, int SavedMessageMs = DefaultSavedMessageMs);
    // For the next "Saved ..." on: tests hand in a short time rather than wait out the real one.
    void SetSavedMessageMs(int Ms) { FSavedMessageMs = Ms; }

    void ShowCell(int ACol, int ARow, const TLevelCell& Cell);
    void ShowCounts(const TLevelData& Level);
    // What the file did not say stays until the next edit; an empty summary clears the line.
    void ShowFileNotes(const std::string& Summary);
    void ClearFileNotes();
    // Why a command did nothing; it stays until the next edit, as the file notes do.
    void ShowNotice(const QString& Text);
    void ShowSaved(const std::string& FileName);
    // Whether the level has edits that its file does not hold.
    void ShowModified(bool Modified);
    // What a command did to the level's file ("level3.txt is now level2.txt"), shown as long as "Saved ...".
    void ShowNote(const QString& Text);
    // Whatever the line said was about the level before.
    void Clear();

private:
    QStatusBar* FBar;
    bool FShowingNotice = false;
    QLabel* labCell;
    TElidedLabel* labNotes;
    QLabel* labModified;
    QLabel* labCounts;
    int FSavedMessageMs;
};

// "Column 4, Row 2: Brick 1, 3 Hits + Lower Speed".
QString CellStatusText(int ACol, int ARow, const TLevelCell& Cell);
// The names the window shows for a kind: the catalogue's, the power-up's without "PowerUp - " before it.
// A code no kind has is named by its number.
QString BrickName(std::uint8_t Code);
QString PowerUpName(std::uint8_t Code);
// "37 bricks, 31 breakable, 6 power-ups".
QString CountsText(const TLevelData& Level);
