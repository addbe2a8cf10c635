#pragma once

// The element kinds a cell can hold: codes, display names, picture files and the characters that stand for
// them in a level text file. One table, read by the catalogues, the level file, the game, the tools and the
// tests.

#include <cstdint>
#include <span>

// Image files are relative to the game's directory.
struct TCatalogueEntry {
    std::uint8_t Id;
    const char* Name;
    const char* ImageFile;
    char FileChar; // the character that stands for this kind in a level text file
};

constexpr std::uint8_t FixedBrickCode = 10;
constexpr char EmptyFileChar = '.'; // no brick, or no power-up

std::span<const TCatalogueEntry> BrickKinds(); // codes 1 to 10, in catalogue order
std::span<const TCatalogueEntry> PowerUpKinds(); // codes 1 to 6, in catalogue order

// The kind with this code, or nullptr (also for 0).
const TCatalogueEntry* BrickKindOf(std::uint8_t Code);
const TCatalogueEntry* PowerUpKindOf(std::uint8_t Code);

// The code a file character stands for; 0 for EmptyFileChar and for any character that is no kind's.
std::uint8_t BrickCodeOfChar(char Ch);
std::uint8_t PowerUpCodeOfChar(char Ch);

// Whether the character is EmptyFileChar or a kind's, i.e. whether it reads as what it says.
bool IsBrickFileChar(char Ch);
bool IsPowerUpFileChar(char Ch);

// The file character for a code: EmptyFileChar for 0, '\0' for a code no kind has.
char BrickCharOf(std::uint8_t Code);
char PowerUpCharOf(std::uint8_t Code);

// The ordinary bricks break; the fixed one does not.
constexpr bool IsBreakableBrick(std::uint8_t Code)
{
    return Code >= 1 && Code < FixedBrickCode;
}

// Hits an ordinary brick takes before it breaks: the names' "1 Hit" to "3 Hits", three colours each. 0 for
// the fixed brick and for codes no brick has.
constexpr int BrickHits(std::uint8_t Code)
{
    return IsBreakableBrick(Code) ? (Code - 1) / 3 + 1 : 0;
}
