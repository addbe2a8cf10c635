#include "linereader.h"

#include <algorithm>
#include <cstring>

namespace {

// A chunk, and room for the one byte carried over to see whether a CR at its end has its LF.
constexpr std::size_t StoreSize = ReadChunkSize + 1;

constexpr char Specials[3] = {'\n', '\r', TLineReader::CtrlZ};

} // namespace

TLineReader::TLineReader(std::string_view Text, std::size_t LoneCrsKept, TLevelLikeness* Likeness) :
    FLikeness(Likeness),
    FLoneCrsKept(LoneCrsKept),
    FData(Text.data()),
    FEnd(Text.size())
{
    if (FLikeness)
        FLikeness->Feed(Text.data(), Text.size());
}

TLineReader::TLineReader(TFileReader& File, std::size_t LoneCrsKept, TLevelLikeness* Likeness) :
    FFile(&File),
    FLikeness(Likeness),
    FLoneCrsKept(LoneCrsKept),
    FStore(std::make_unique_for_overwrite<char[]>(StoreSize)),
    FData(FStore.get())
{
}

bool TLineReader::Has(std::size_t Count)
{
    if (FEnd - FPos >= Count)
        return true;
    if (!FFile || FAtEnd)
        return false;
    const std::size_t Left = FEnd - FPos;
    std::memmove(FStore.get(), FStore.get() + FPos, Left);
    FBase += FPos;
    FPos = 0;
    FEnd = Left;
    std::fill(std::begin(FNext), std::end(FNext), Unknown);
    while (FEnd < Count && !FAtEnd) {
        const std::size_t Got = FFile->Read(FStore.get() + FEnd, std::min(ReadChunkSize, StoreSize - FEnd));
        if (FLikeness)
            FLikeness->Feed(FStore.get() + FEnd, Got);
        FEnd += Got;
        FAtEnd = Got == 0;
    }
    return FEnd - FPos >= Count;
}

// Each byte is searched for once per kind, with memchr, so that even a line of gigabytes goes by at the
// speed of memory.
std::size_t TLineReader::NextSpecial()
{
    std::size_t Nearest = FEnd;
    for (int Kind = 0; Kind < 3; ++Kind) {
        std::size_t& At = FNext[Kind];
        if (At == Unknown || At < FPos) {
            const void* Found = std::memchr(FData + FPos, Specials[Kind], FEnd - FPos);
            At = Found ? static_cast<std::size_t>(static_cast<const char*>(Found) - FData) : FEnd;
        }
        Nearest = std::min(Nearest, At);
    }
    return Nearest;
}

void TLineReader::ReadLine(TReadLine& Line, std::size_t Keep)
{
    Line.Line = FLine;
    Line.LineStart = FLineStart;
    Line.Start = Offset();
    Line.Text.clear();
    Line.At.clear();
    Line.Length = 0;
    Line.LoneCrs.clear();
    Line.MoreLoneCrs = 0;
    while (Has(1)) {
        const std::size_t RunEnd = NextSpecial();
        if (RunEnd > FPos) {
            TakeRun(Line, Keep, RunEnd);
            continue;
        }
        const char Ch = FData[FPos];
        if (Ch == '\n')
            return EndLine(Line, TLineEnd::Lf, 1);
        if (Ch == '\r') {
            if (Has(2) && FData[FPos + 1] == '\n')
                return EndLine(Line, TLineEnd::CrLf, 2);
            if (Line.LoneCrs.size() < FLoneCrsKept)
                Line.LoneCrs.push_back(Offset());
            else
                ++Line.MoreLoneCrs;
            ++FPos;
            continue;
        }
        // Ctrl-Z: at a line's start it is the end of the file and stays put.
        Line.EndAt = Offset();
        Line.End = Line.Length == 0 ? TLineEnd::CtrlZAtStart : TLineEnd::CtrlZCut;
        if (Line.End == TLineEnd::CtrlZCut)
            SkipPastLf();
        return;
    }
    Line.End = TLineEnd::EndOfText;
    Line.EndAt = Offset();
}

void TLineReader::TakeRun(TReadLine& Line, std::size_t Keep, std::size_t RunEnd)
{
    const std::size_t Count = RunEnd - FPos;
    const std::size_t Taken = std::min(Count, Keep - Line.Text.size());
    Line.Text.append(FData + FPos, Taken);
    const std::size_t Placed = std::min(Taken, LinePlacesKept - std::min(LinePlacesKept, Line.At.size()));
    for (std::size_t I = 0; I < Placed; ++I)
        Line.At.push_back(Offset() + I);
    Line.Length += Count;
    FPos = RunEnd;
}

void TLineReader::EndLine(TReadLine& Line, TLineEnd End, std::size_t Width)
{
    Line.End = End;
    Line.EndAt = Offset();
    FPos += Width;
    ++FLine;
    FLineStart = Offset();
}

void TLineReader::SkipPastLf()
{
    while (Has(1)) {
        if (const void* Lf = std::memchr(FData + FPos, '\n', FEnd - FPos)) {
            FPos = static_cast<std::size_t>(static_cast<const char*>(Lf) - FData) + 1;
            ++FLine;
            FLineStart = Offset();
            return;
        }
        FPos = FEnd;
    }
}

void TLineReader::FinishLikeness()
{
    while (FLikeness && !FLikeness->Done() && FFile) {
        FPos = FEnd;
        if (!Has(1))
            return;
    }
}
