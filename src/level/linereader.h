#pragma once

// A level file's lines as the level reader takes them, from bytes in memory or chunk by chunk from a file,
// with the places of what the file notes name. Memory stays bounded by a constant whatever the file holds,
// except for the text a caller asks to keep.
//
// Lines end at LF or CR LF; a lone CR is dropped; a Ctrl-Z where a line would begin ends the file, and
// inside a line ends its text up to the next LF.

#include "levellikeness.h"
#include "safefile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TLineEnd { CrLf, Lf, EndOfText, CtrlZCut, CtrlZAtStart };

// Of a line's characters only this many have their places kept: a row's 40, its 41st (the trailer marker
// after the last row) and one more to tell a marker from a longer text.
constexpr std::size_t LinePlacesKept = 42;

// One line as the reader took it. Offsets count bytes from the start of the file.
struct TReadLine {
    std::uint64_t Line = 1; // 1-based
    std::uint64_t LineStart = 0; // offset of the physical line's first byte, for columns
    std::uint64_t Start = 0; // offset where reading the line began
    std::string Text; // the line's text, cut to the length asked for
    std::vector<std::uint64_t> At; // offset of each of Text's first LinePlacesKept characters
    std::uint64_t Length = 0; // the text's whole length
    std::vector<std::uint64_t> LoneCrs; // offsets of the line's first lone CRs, as many as the reader keeps
    std::uint64_t MoreLoneCrs = 0; // how many lone CRs followed those
    TLineEnd End = TLineEnd::EndOfText;
    std::uint64_t EndAt = 0; // offset of the LF, the CR of CR LF, the Ctrl-Z, or the end
};

class TLineReader {
public:
    // Over Text, which must outlive the reader. LoneCrsKept bounds TReadLine::LoneCrs. Likeness, if given,
    // is fed every byte as it is first seen.
    TLineReader(std::string_view Text, std::size_t LoneCrsKept, TLevelLikeness* Likeness = nullptr);
    // Over File, one chunk at a time.
    TLineReader(TFileReader& File, std::size_t LoneCrsKept, TLevelLikeness* Likeness = nullptr);

    // Drops the lone CRs ahead, as the reader does before it decides whether the file goes on, calling
    // OnLoneCr(Line, LineStart, Offset) for each. True at the end of the bytes or at a Ctrl-Z.
    template <typename TOnLoneCr> bool Eof(TOnLoneCr&& OnLoneCr)
    {
        while (Has(1) && FData[FPos] == '\r' && !(Has(2) && FData[FPos + 1] == '\n')) {
            OnLoneCr(FLine, FLineStart, Offset());
            ++FPos;
        }
        return !Has(1) || FData[FPos] == CtrlZ;
    }
    bool Eof()
    {
        return Eof([](std::uint64_t, std::uint64_t, std::uint64_t) {});
    }

    // Reads the next line into Line, its text cut to its first Keep characters; past the end, an empty
    // line. Line's buffers are reused.
    void ReadLine(TReadLine& Line, std::size_t Keep);

    std::uint64_t LineNumber() const { return FLine; }
    std::uint64_t LineStart() const { return FLineStart; }
    std::uint64_t Offset() const { return FBase + FPos; }
    bool AtCtrlZ() { return Has(1) && FData[FPos] == CtrlZ; }

    // Reads on, dropping the bytes, until the likeness has seen its ten lines or the file ends. Nothing
    // more can be read after it.
    void FinishLikeness();

    static constexpr char CtrlZ = '\x1A';

private:
    // Whether Count (1 or 2) bytes lie ahead in the window, reading the next chunk in when they do not.
    bool Has(std::size_t Count);
    // Where in the window the next LF, CR or Ctrl-Z lies, FEnd when none does.
    std::size_t NextSpecial();
    void TakeRun(TReadLine& Line, std::size_t Keep, std::size_t RunEnd);
    void EndLine(TReadLine& Line, TLineEnd End, std::size_t Width);
    void SkipPastLf();

    TFileReader* FFile = nullptr;
    TLevelLikeness* FLikeness;
    std::size_t FLoneCrsKept;
    std::unique_ptr<char[]> FStore;
    const char* FData;
    std::size_t FEnd = 0;
    std::size_t FPos = 0;
    std::uint64_t FBase = 0; // offset of FData[0]
    // Where each of LF, CR and Ctrl-Z was last found in the window; Unknown until searched for in it.
    static constexpr std::size_t Unknown = static_cast<std::size_t>(-1);
    std::size_t FNext[3] = {Unknown, Unknown, Unknown};
    bool FAtEnd = false;
    std::uint64_t FLine = 1;
    std::uint64_t FLineStart = 0;
};
