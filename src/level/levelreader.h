#pragma once

// The one reading of a level file's lines, shared by the level loader and the file notes, so that the
// notes always describe the level the editor reads.

#include "filenotes.h"
#include "linereader.h"

#include <algorithm>
#include <climits>
#include <utility>

// Gathers notes into a TFileNotes: every note is counted, and the first Limit in the order of their places
// are listed with their texts. Notes arrive nearly in order (only within one line can a later note name an
// earlier place), so keeping the listed ones sorted costs little.
class TNoteCollector {
public:
    TNoteCollector(TFileNotes& Notes, std::size_t Limit) : FNotes(Notes), FLimit(Limit) {}

    // Text() makes the note's text; it is called only for a note that is listed.
    template <typename TText> void Note(std::uint64_t Line, std::uint64_t Column, TFileNoteKind Kind, TText&& Text)
    {
        const std::pair<int, int> Place{Clamped(Line), Clamped(Column)};
        Count(Kind, 1, Place.first);
        std::vector<TFileNote>& Listed = FNotes.Listed;
        const auto Before = [](const std::pair<int, int>& Key, const TFileNote& Other) {
            return Key < std::pair<int, int>(Other.Line, Other.Column);
        };
        if (Listed.size() >= FLimit && (Listed.empty() || !Before(Place, Listed.back())))
            return;
        // After every note of the same place, so that those keep the order they came in.
        const auto At = std::upper_bound(Listed.begin(), Listed.end(), Place, Before);
        Listed.insert(At, TFileNote{Place.first, Place.second, Kind, Text()});
        if (Listed.size() > FLimit)
            Listed.pop_back();
    }

    // Counts notes that are never listed: more of a kind on Line than can be.
    void Count(TFileNoteKind Kind, std::uint64_t Count, int Line)
    {
        const auto Index = static_cast<std::size_t>(Kind);
        if (FNotes.Counts[Index] == 0 || Line < FNotes.FirstLines[Index])
            FNotes.FirstLines[Index] = Line;
        FNotes.Counts[Index] += Count;
    }

    static int Clamped(std::uint64_t Number) { return static_cast<int>(std::min<std::uint64_t>(Number, INT_MAX)); }

private:
    TFileNotes& FNotes;
    std::size_t FLimit;
};

// Reads Reader's lines into Level's cells and trailer, as LoadLevel does, and into Notes what they did not
// say; without Notes, stops as soon as the level is read. Level's cells should be empty.
void ReadLevelLines(TLineReader& Reader, TLevelData& Level, TNoteCollector* Notes);
