#include "elementkinds.h"

#include <array>

namespace {

constexpr TCatalogueEntry Bricks[] = {
    {1, "Brick 1, 1 Hit", "editor/images/brick001.bmp", '1'},
    {2, "Brick 2, 1 Hit", "editor/images/brick002.bmp", '2'},
    {3, "Brick 3, 1 Hit", "editor/images/brick003.bmp", '3'},
    {4, "Brick 1, 2 Hits", "editor/images/brick004.bmp", '4'},
    {5, "Brick 2, 2 Hits", "editor/images/brick005.bmp", '5'},
    {6, "Brick 3, 2 Hits", "editor/images/brick006.bmp", '6'},
    {7, "Brick 1, 3 Hits", "editor/images/brick007.bmp", '7'},
    {8, "Brick 2, 3 Hits", "editor/images/brick008.bmp", '8'},
    {9, "Brick 3, 3 Hits", "editor/images/brick009.bmp", '9'},
    {10, "Brick Fixed", "editor/images/brick_fixed.bmp", '#'},
};

constexpr TCatalogueEntry PowerUps[] = {
    {1, "PowerUp - Single Shot", "editor/images/pu_blue.bmp", 'S'},
    {2, "PowerUp - Extra Ball", "editor/images/pu_vio.bmp", 'E'},
    {3, "PowerUp - Lower Speed", "editor/images/pu_yellow.bmp", 'L'},
    {4, "PowerUp - Faster Speed", "editor/images/pu_grey.bmp", 'F'},
    {5, "PowerUp - Iron Ball", "editor/images/pu_green.bmp", 'I'},
    {6, "PowerUp - Wall", "editor/images/pu_braun.bmp", 'W'},
};

// Character to code, by byte; 0xFF marks a character that is no kind's and not the empty one. Readers look
// up every byte of a level, so this is a table rather than a search.
using TCharTable = std::array<std::uint8_t, 256>;
constexpr std::uint8_t NotAKind = 0xFF;

constexpr TCharTable CharTable(std::span<const TCatalogueEntry> Kinds)
{
    TCharTable Table{};
    Table.fill(NotAKind);
    Table[static_cast<unsigned char>(EmptyFileChar)] = 0;
    for (const TCatalogueEntry& Kind : Kinds)
        Table[static_cast<unsigned char>(Kind.FileChar)] = Kind.Id;
    return Table;
}

constexpr TCharTable BrickCodes = CharTable(Bricks);
constexpr TCharTable PowerUpCodes = CharTable(PowerUps);

const TCatalogueEntry* KindOf(std::span<const TCatalogueEntry> Kinds, std::uint8_t Code)
{
    for (const TCatalogueEntry& Kind : Kinds)
        if (Kind.Id == Code)
            return &Kind;
    return nullptr;
}

std::uint8_t CodeOf(const TCharTable& Table, char Ch)
{
    const std::uint8_t Code = Table[static_cast<unsigned char>(Ch)];
    return Code == NotAKind ? 0 : Code;
}

char CharOf(std::span<const TCatalogueEntry> Kinds, std::uint8_t Code)
{
    if (Code == 0)
        return EmptyFileChar;
    const TCatalogueEntry* Kind = KindOf(Kinds, Code);
    return Kind ? Kind->FileChar : '\0';
}

} // namespace

std::span<const TCatalogueEntry> BrickKinds()
{
    return Bricks;
}

std::span<const TCatalogueEntry> PowerUpKinds()
{
    return PowerUps;
}

const TCatalogueEntry* BrickKindOf(std::uint8_t Code)
{
    return KindOf(Bricks, Code);
}

const TCatalogueEntry* PowerUpKindOf(std::uint8_t Code)
{
    return KindOf(PowerUps, Code);
}

std::uint8_t BrickCodeOfChar(char Ch)
{
    return CodeOf(BrickCodes, Ch);
}

std::uint8_t PowerUpCodeOfChar(char Ch)
{
    return CodeOf(PowerUpCodes, Ch);
}

bool IsBrickFileChar(char Ch)
{
    return BrickCodes[static_cast<unsigned char>(Ch)] != NotAKind;
}

bool IsPowerUpFileChar(char Ch)
{
    return PowerUpCodes[static_cast<unsigned char>(Ch)] != NotAKind;
}

char BrickCharOf(std::uint8_t Code)
{
    return CharOf(Bricks, Code);
}

char PowerUpCharOf(std::uint8_t Code)
{
    return CharOf(PowerUps, Code);
}
