#include "filenotes.h"

#include "levelfile.h"
#include "levelreader.h"

#include <algorithm>
#include <numeric>

namespace {

TLevelFileReading ReadLevelLinesOf(TLineReader& Reader, TLevelLikeness& Likeness, std::size_t ListedLimit)
{
    TLevelFileReading Reading;
    TNoteCollector Notes(Reading.Notes, ListedLimit);
    ReadLevelLines(Reader, Reading.Level, &Notes);
    Reader.FinishLikeness();
    Reading.LooksLikeLevel = Likeness.LooksLikeLevel();
    Reading.Level.Loaded = 1;
    return Reading;
}

} // namespace

std::uint64_t TFileNotes::Total() const
{
    return std::accumulate(Counts.begin(), Counts.end(), std::uint64_t{0});
}

bool TFileNotes::ChangesFile() const
{
    for (std::size_t Kind = 0; Kind < FileNoteKindCount; ++Kind)
        if (Counts[Kind] > 0 && NoteChangesFile(static_cast<TFileNoteKind>(Kind)))
            return true;
    return false;
}

TLevelFileReading ReadLevelFile(const std::string& Path, std::size_t ListedLimit)
{
    TFileReader File(Path);
    TLevelLikeness Likeness;
    // Lone CRs beyond the listed notes could never be listed.
    TLineReader Reader(File, ListedLimit, &Likeness);
    TLevelFileReading Reading = ReadLevelLinesOf(Reader, Likeness, ListedLimit);
    File.Close();
    Reading.Level.FileName = Path;
    return Reading;
}

TLevelFileReading ReadLevelFromBytes(std::string_view Bytes, std::size_t ListedLimit)
{
    TLevelLikeness Likeness;
    TLineReader Reader(Bytes, ListedLimit, &Likeness);
    return ReadLevelLinesOf(Reader, Likeness, ListedLimit);
}

std::vector<TFileNote> LevelFileNotes(std::string_view Bytes, TLevelData* Level)
{
    TFileNotes Notes;
    TNoteCollector Collector(Notes, std::numeric_limits<std::size_t>::max());
    TLevelData Scratch;
    TLineReader Reader(Bytes, std::numeric_limits<std::size_t>::max());
    ReadLevelLines(Reader, Level ? *Level : Scratch, &Collector);
    return std::move(Notes.Listed);
}

bool NoteChangesFile(TFileNoteKind Kind)
{
    return Kind != TFileNoteKind::PowerUpOnEmptyCell;
}

bool IsCanonicalLevelText(std::string_view Bytes)
{
    TLevelData Level;
    ParseLevelText(Bytes, Level);
    return FormatLevel(Level) == Bytes;
}

namespace {

std::string Counted(std::uint64_t Count, const char* One, const char* Many)
{
    return std::to_string(Count) + " " + (Count == 1 ? One : Many);
}

// Row is the grid's number of the row of the kind's first note.
std::string PhraseOf(TFileNoteKind Kind, std::uint64_t Count, const std::string& Line)
{
    switch (Kind) {
    case TFileNoteKind::UnknownCharacter:
        return Counted(Count, "unknown character read as empty", "unknown characters read as empty");
    case TFileNoteKind::PowerUpOnEmptyCell:
        return Counted(Count, "power-up on an empty cell", "power-ups on empty cells");
    case TFileNoteKind::ShortRow:
        return Count == 1 ? "line " + Line + " is short" : Counted(Count, "", "lines are short");
    case TFileNoteKind::LongRow:
        return Count == 1 ? "line " + Line + " is too long" : Counted(Count, "", "lines are too long");
    case TFileNoteKind::MissingRows:
        return "fewer than 10 rows";
    case TFileNoteKind::LfLineEnd:
        return Counted(Count, "line end without CR", "line ends without CR");
    case TFileNoteKind::LoneCr:
        return Counted(Count, "lone CR dropped", "lone CRs dropped");
    case TFileNoteKind::MissingLineEnd:
        return "no line end at the end";
    case TFileNoteKind::CtrlZCutsLine:
        return Counted(Count, "line cut by Ctrl-Z", "lines cut by Ctrl-Z");
    case TFileNoteKind::CtrlZEndsFile:
        return "Ctrl-Z ends the file";
    case TFileNoteKind::IgnoredLine:
        return Counted(Count, "line after the rows ignored", "lines after the rows ignored");
    case TFileNoteKind::EmptyTrailer:
        return "empty trailer dropped";
    case TFileNoteKind::IgnoredAfterTrailer:
        return Counted(Count, "line after the trailer ignored", "lines after the trailer ignored");
    }
    return {};
}

} // namespace

std::string SummariseFileNotes(const std::string& DisplayName, const std::vector<TFileNote>& Notes)
{
    TFileNotes Counted;
    for (const TFileNote& Note : Notes) {
        const auto Kind = static_cast<std::size_t>(Note.Kind);
        if (Counted.Counts[Kind]++ == 0 || Note.Line < Counted.FirstLines[Kind])
            Counted.FirstLines[Kind] = Note.Line;
    }
    return SummariseFileNotes(DisplayName, Counted);
}

std::string SummariseFileNotes(const std::string& DisplayName, const TFileNotes& Notes)
{
    if (Notes.Total() == 0)
        return {};
    std::string Summary = DisplayName + ":";
    const char* Separator = " ";
    for (std::size_t Kind = 0; Kind < FileNoteKindCount; ++Kind) {
        if (Notes.Counts[Kind] == 0)
            continue;
        // The file's line, as check names it: the grid's row 0 is line 1.
        const std::string Line = std::to_string(Notes.FirstLines[Kind]);
        Summary += Separator + PhraseOf(static_cast<TFileNoteKind>(Kind), Notes.Counts[Kind], Line);
        Separator = ", ";
    }
    return Summary;
}
