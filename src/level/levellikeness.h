#pragma once

// Whether a file looks like a level at all, so that a careless glob never makes a level of a README or
// of a UTF-16 file: its first ten lines hold fewer than 40 characters, or at least 60 % of them are a
// level's own (".", "1" to "9", "#", "S", "E", "L", "F", "I", "W"). Line ends are not characters; any
// other byte is one.

#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr int LikenessLines = 10;
constexpr std::uint64_t LikenessMinCharacters = 40;
constexpr std::uint64_t LikenessMinLevelPercent = 60;

// Fed a file's bytes in order, in pieces of any size; everything after the tenth line is ignored.
class TLevelLikeness {
public:
    void Feed(const char* Data, std::size_t Size);
    bool Done() const { return FLines >= LikenessLines; }
    bool LooksLikeLevel() const;

private:
    int FLines = 0;
    std::uint64_t FCharacters = 0;
    std::uint64_t FLevelCharacters = 0;
};

bool LooksLikeLevelText(std::string_view Bytes);
