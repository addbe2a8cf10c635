#include "jsontext.h"

#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at Text[At], or 0 when the byte there begins none. The
// ranges of the second byte rule out overlong forms, surrogates and code points above U+10FFFF.
int SequenceAt(std::string_view Text, std::size_t At)
{
    const auto Lead = static_cast<unsigned char>(Text[At]);
    if (Lead < 0x80)
        return 1;
    int Length = 0;
    unsigned char Low = 0x80;
    unsigned char High = 0xBF;
    if (Lead >= 0xC2 && Lead <= 0xDF) {
        Length = 2;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
        Length = 3;
        Low = Lead == 0xE0 ? 0xA0 : Low;
        High = Lead == 0xED ? 0x9F : High;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
        Length = 4;
        Low = Lead == 0xF0 ? 0x90 : Low;
        High = Lead == 0xF4 ? 0x8F : High;
    } else {
        return 0;
    }
    for (int K = 1; K < Length; ++K) {
        if (At + K >= Text.size())
            return 0;
        const auto Byte = static_cast<unsigned char>(Text[At + K]);
        if (Byte < (K == 1 ? Low : 0x80) || Byte > (K == 1 ? High : 0xBF))
            return 0;
    }
    return Length;
}

std::string Quoted(std::string_view Text, const char* Replacement)
{
    std::string Result = "\"";
    for (std::size_t At = 0; At < Text.size();) {
        const int Length = SequenceAt(Text, At);
        const auto Byte = static_cast<unsigned char>(Text[At]);
        if (Length == 0) {
            Result += Replacement;
        } else if (Byte == '"' || Byte == '\\') {
            Result += '\\';
            Result += static_cast<char>(Byte);
        } else if (Byte < 0x20 || Byte == 0x7F) {
            char Escape[8];
            std::snprintf(Escape, sizeof Escape, "\\u%04x", Byte);
            Result += Escape;
        } else {
            Result.append(Text, At, static_cast<std::size_t>(Length));
        }
        At += static_cast<std::size_t>(Length == 0 ? 1 : Length);
    }
    return Result + "\"";
}

} // namespace

std::string JsonString(std::string_view Text)
{
    return Quoted(Text, "\\ufffd");
}

std::string ShownString(std::string_view Text)
{
    return Quoted(Text, "\xEF\xBF\xBD");
}
