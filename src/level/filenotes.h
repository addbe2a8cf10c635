#pragma once

// What a level file did not say: everything the reader ignores or repairs while it reads a file's bytes,
// with the place where it happens. The editor's status line and the command-line checker show these.

#include "leveldata.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

enum class TFileNoteKind {
    UnknownCharacter, // read as no brick or no power-up
    PowerUpOnEmptyCell, // kept as it is; the editor would never paint it
    ShortRow, // the rest of the row is read as empty
    LongRow, // what follows column 40 is not part of the row
    MissingRows, // fewer than ten rows: the others are empty
    LfLineEnd, // LF without CR
    LoneCr, // a CR not followed by LF is dropped
    MissingLineEnd, // the file's last line ends without a line break
    CtrlZCutsLine, // a Ctrl-Z inside a line ends its text; the rest of that line is skipped
    CtrlZEndsFile, // a Ctrl-Z where a line would begin: nothing after it is read
    IgnoredLine, // a line after the rows that is not the trailer marker ":"
    EmptyTrailer, // a ":" marker with nothing after it: saving drops both
    IgnoredAfterTrailer, // a line after the trailer text
};

struct TFileNote {
    int Line = 0; // 1-based; lines end at LF
    int Column = 0; // 1-based byte column in that line
    TFileNoteKind Kind = TFileNoteKind::UnknownCharacter;
    std::string Text;

    friend bool operator==(const TFileNote&, const TFileNote&) = default;
};

constexpr std::size_t FileNoteKindCount = static_cast<std::size_t>(TFileNoteKind::IgnoredAfterTrailer) + 1;

// How many notes a file's reading keeps with their places and texts; the rest are only counted, so that
// the notes of any file fit in a bounded memory.
constexpr std::size_t ListedNotesLimit = 1000;

// The notes of one file: the first ones in full, and how many there were of each kind.
struct TFileNotes {
    std::vector<TFileNote> Listed; // the first notes in the order of their places
    std::array<std::uint64_t, FileNoteKindCount> Counts{}; // every note, listed or not, by kind
    std::array<int, FileNoteKindCount> FirstLines{}; // the line of each kind's first note

    std::uint64_t Total() const;
    // Whether saving the level they were read with would write back different bytes.
    bool ChangesFile() const;
};

// What one reading of a level file gives: the level, exactly as LoadLevel reads it, the notes, and
// whether the file looks like a level at all (see levellikeness.h).
struct TLevelFileReading {
    TLevelData Level;
    TFileNotes Notes;
    bool LooksLikeLevel = true;
};

// Reads the level file at Path once, chunk by chunk, in memory bounded by a constant and the length of its
// trailer text; at most ListedLimit notes are listed. Level is as LoadLevel leaves it (file name set,
// loaded, unchanged). Throws EInOutError as LoadLevel does.
TLevelFileReading ReadLevelFile(const std::string& Path, std::size_t ListedLimit = ListedNotesLimit);

// The same for bytes in memory; the level's file name stays empty.
TLevelFileReading ReadLevelFromBytes(std::string_view Bytes, std::size_t ListedLimit = ListedNotesLimit);

// Every note for a level file's bytes, in the order of their places. Reads the bytes exactly as LoadLevel
// does. When Level is given, it receives the cells and trailer the bytes read as (flags and file name
// untouched; its cells should be empty).
std::vector<TFileNote> LevelFileNotes(std::string_view Bytes, TLevelData* Level = nullptr);

// Whether saving the level these bytes read as would write back different bytes. Only a power-up on an
// empty cell is read and written back unchanged.
bool NoteChangesFile(TFileNoteKind Kind);

// Whether saving the level these bytes read as gives back exactly these bytes.
bool IsCanonicalLevelText(std::string_view Bytes);

// One line for the status bar: the display name, then each kind of note once with its count, e.g.
// "level3.txt: 4 unknown characters read as empty, line 3 is short". Empty when there are no notes. Lines
// are counted from 1, as the checker names them: line 3 holds the grid's row 2.
std::string SummariseFileNotes(const std::string& DisplayName, const std::vector<TFileNote>& Notes);
std::string SummariseFileNotes(const std::string& DisplayName, const TFileNotes& Notes);
