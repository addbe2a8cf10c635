#include "levellikeness.h"

#include <array>

namespace {

constexpr std::array<bool, 256> LevelCharacterTable()
{
    std::array<bool, 256> Table{};
    for (unsigned char Ch : std::string_view(".123456789#SELFIW"))
        Table[Ch] = true;
    return Table;
}

constexpr std::array<bool, 256> IsLevelCharacter = LevelCharacterTable();

} // namespace

void TLevelLikeness::Feed(const char* Data, std::size_t Size)
{
    for (std::size_t I = 0; I < Size && !Done(); ++I) {
        const auto Byte = static_cast<unsigned char>(Data[I]);
        if (Byte == '\n')
            ++FLines;
        else if (Byte != '\r') {
            ++FCharacters;
            FLevelCharacters += IsLevelCharacter[Byte] ? 1 : 0;
        }
    }
}

bool TLevelLikeness::LooksLikeLevel() const
{
    return FCharacters < LikenessMinCharacters || FLevelCharacters * 100 >= FCharacters * LikenessMinLevelPercent;
}

bool LooksLikeLevelText(std::string_view Bytes)
{
    TLevelLikeness Likeness;
    Likeness.Feed(Bytes.data(), Bytes.size());
    return Likeness.LooksLikeLevel();
}
