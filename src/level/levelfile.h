#pragma once

// The level text format on its own, for the file's readers and checkers: bytes to cells and cells to bytes.

#include "leveldata.h"

#include <string>
#include <string_view>

// Fills Level's cells and trailer from a level file's bytes exactly as LoadLevel does; flags and file name
// are left alone. Level's cells should be empty when it is called.
void ParseLevelText(std::string_view Text, TLevelData& Level);

// The bytes SaveLevel writes for Level.
std::string FormatLevel(const TLevelData& Level);

// Appends the two characters a level file holds for Cell, brick then power-up. A code no kind has writes
// nothing, so a row comes out short rather than wrong.
void AppendCellChars(std::string& Text, const TLevelCell& Cell);
