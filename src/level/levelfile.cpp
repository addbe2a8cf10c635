#include "levelfile.h"

#include "elementkinds.h"
#include "leveldata.h"
#include "levelreader.h"
#include "safefile.h"

// The loader keeps no notes, so the places of lone CRs are never wanted.
void ParseLevelText(std::string_view Text, TLevelData& Level)
{
    TLineReader Reader(Text, 0);
    ReadLevelLines(Reader, Level, nullptr);
}

void AppendCellChars(std::string& Text, const TLevelCell& Cell)
{
    if (const char Ch = BrickCharOf(Cell.Brick))
        Text += Ch;
    if (const char Ch = PowerUpCharOf(Cell.PowerUp))
        Text += Ch;
}

std::string FormatLevel(const TLevelData& Level)
{
    std::string Text;
    Text.reserve(LevelRows * (2 * LevelColumns + 2) + 5 + Level.TrailerText.size());
    for (int Row = 0; Row < LevelRows; ++Row) {
        for (int Column = 0; Column < LevelColumns; ++Column)
            AppendCellChars(Text, Level.Cells[Column][Row]);
        Text += "\r\n";
    }
    if (!Level.TrailerText.empty()) {
        Text += ":\r\n";
        Text += Level.TrailerText;
        Text += "\r\n";
    }
    return Text;
}

void ClearLevel(TLevelData& Level)
{
    Level.Loaded = 1;
    Level.Changed = 0;
    Level.FileName.clear();
    Level.TrailerText.clear();
    Level.Cells = TLevelCells{};
}

void LoadLevel(const std::string& FileName, TLevelData& Level)
{
    // FileName may be Level.FileName itself, which the reset below empties.
    std::string Path = FileName;
    Level = TLevelData{};
    TFileReader File(Path);
    TLineReader Reader(File, 0);
    ReadLevelLines(Reader, Level, nullptr);
    File.Close();
    Level.FileName = std::move(Path);
    Level.Loaded = 1;
    Level.Changed = 0;
}

bool SaveLevel(const std::string& FileName, TLevelData& Level)
{
    ReplaceFileContents(FileName, FormatLevel(Level));
    Level.FileName = FileName;
    return true;
}

bool SaveNewLevel(const std::string& FileName, TLevelData& Level)
{
    if (!CreateFileExclusively(FileName, FormatLevel(Level)))
        return false;
    Level.FileName = FileName;
    return true;
}
