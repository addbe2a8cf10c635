#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int LevelColumns = 20;
constexpr int LevelRows = 10;

struct TLevelCell {
    std::uint8_t Brick = 0; // 0 none, 1..9 ordinary, 10 fixed
    std::uint8_t PowerUp = 0; // 0 none, 1..6

    friend bool operator==(const TLevelCell&, const TLevelCell&) = default;
};

// Column-major: Cells[column][row], so one column's ten cells are contiguous.
using TLevelColumn = std::array<TLevelCell, LevelRows>;
using TLevelCells = std::array<TLevelColumn, LevelColumns>;

struct TLevelData {
    std::uint8_t Loaded = 0;
    std::uint8_t Changed = 0;
    std::string FileName;
    TLevelCells Cells{};
    std::string TrailerText;

    friend bool operator==(const TLevelData&, const TLevelData&) = default;
};

// Makes Level an empty, loaded, unchanged level with no file name and no trailer.
void ClearLevel(TLevelData& Level);

// Reads the level text file into Level. Level is zeroed first, so on failure (EInOutError) it holds no
// level: callers load into a temporary record.
void LoadLevel(const std::string& FileName, TLevelData& Level);

// SaveLevel and SaveNewLevel write without the level folder's lock; the editor and the tools use the locked
// writers in levelwriters.h, so that no two writers of one folder interleave.

// Writes Level to FileName and sets Level.FileName; returns true. Throws EInOutError on failure, in which
// case the file on disk and Level are as they were before the call.
bool SaveLevel(const std::string& FileName, TLevelData& Level);

// Writes Level to FileName only when no file of that name exists, and then sets Level.FileName; returns
// false, writing nothing and leaving Level as it was, when the name is taken (by a file, a folder or
// anything else). Throws EInOutError on any other failure.
bool SaveNewLevel(const std::string& FileName, TLevelData& Level);
