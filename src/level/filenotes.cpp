#include "filenotes.h"

#include "elementkinds.h"
#include "levelfile.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr char CtrlZ = '\x1A';
constexpr std::size_t RowChars = 2 * LevelColumns;

enum class TLineEnd { CrLf, Lf, EndOfText, CtrlZCut, CtrlZAtStart };

// One line as the reader takes it, with where each part of it lies in the bytes.
struct TScannedLine {
    int Line = 1;
    std::size_t LineStart = 0; // offset of the physical line's first byte, for columns
    std::size_t Start = 0; // offset where reading the line began
    std::string Text; // the line's text, cut to the length asked for
    std::vector<std::size_t> At; // offset of each character of Text
    std::size_t Length = 0; // the text's whole length
    std::vector<std::size_t> LoneCrs;
    TLineEnd End = TLineEnd::EndOfText;
    std::size_t EndAt = 0; // offset of the LF, the CR of CR LF, the Ctrl-Z, or the end
};

std::string Shown(char Ch)
{
    const auto Byte = static_cast<unsigned char>(Ch);
    if (Byte >= 0x20 && Byte < 0x7F)
        return std::string("'") + Ch + "'";
    char Text[16];
    std::snprintf(Text, sizeof Text, "byte 0x%02X", Byte);
    return Text;
}

// Reads lines by the level reader's rules (lines end at LF or CR LF, a lone CR is dropped, a Ctrl-Z where a
// line would begin ends the file and inside a line ends its text up to the next LF) and keeps the
// positions that the notes name.
class TNoteScanner {
public:
    TNoteScanner(std::string_view Bytes, std::vector<TFileNote>& Notes) : FBytes(Bytes), FNotes(Notes) {}

    // Drops lone CRs ahead, as the reader does before it decides whether the file goes on.
    bool Eof()
    {
        while (FPos < FBytes.size() && FBytes[FPos] == '\r'
               && !(FPos + 1 < FBytes.size() && FBytes[FPos + 1] == '\n')) {
            Note(FLine, FLineStart, FPos, TFileNoteKind::LoneCr, "CR without LF dropped");
            ++FPos;
        }
        return FPos >= FBytes.size() || FBytes[FPos] == CtrlZ;
    }

    TScannedLine ReadLine(std::size_t Keep)
    {
        TScannedLine Line;
        Line.Line = FLine;
        Line.LineStart = FLineStart;
        Line.Start = FPos;
        while (FPos < FBytes.size()) {
            const char Ch = FBytes[FPos];
            if (Ch == '\n') {
                Line.End = TLineEnd::Lf;
                Line.EndAt = FPos;
                NextLine(FPos + 1);
                return Line;
            }
            if (Ch == '\r') {
                if (FPos + 1 < FBytes.size() && FBytes[FPos + 1] == '\n') {
                    Line.End = TLineEnd::CrLf;
                    Line.EndAt = FPos;
                    NextLine(FPos + 2);
                    return Line;
                }
                Line.LoneCrs.push_back(FPos++);
                continue;
            }
            if (Ch == CtrlZ) {
                Line.EndAt = FPos;
                if (Line.Length == 0) {
                    Line.End = TLineEnd::CtrlZAtStart;
                    return Line;
                }
                Line.End = TLineEnd::CtrlZCut;
                const std::size_t Lf = FBytes.find('\n', FPos);
                if (Lf == std::string_view::npos)
                    FPos = FBytes.size();
                else
                    NextLine(Lf + 1);
                return Line;
            }
            if (Line.Text.size() < Keep) {
                Line.Text += Ch;
                Line.At.push_back(FPos);
            }
            ++Line.Length;
            ++FPos;
        }
        Line.End = TLineEnd::EndOfText;
        Line.EndAt = FPos;
        return Line;
    }

    void Note(const TScannedLine& Line, std::size_t Offset, TFileNoteKind Kind, std::string Text)
    {
        Note(Line.Line, Line.LineStart, Offset, Kind, std::move(Text));
    }

    // Lone CRs and how the line ended, for a line whose text the reader uses.
    void NoteLineEnd(const TScannedLine& Line)
    {
        for (std::size_t At : Line.LoneCrs)
            Note(Line, At, TFileNoteKind::LoneCr, "CR without LF dropped");
        switch (Line.End) {
        case TLineEnd::Lf:
            Note(Line, Line.EndAt, TFileNoteKind::LfLineEnd, "line ends with LF alone, not CR LF");
            break;
        case TLineEnd::EndOfText:
            if (Line.Length > 0)
                Note(Line, Line.EndAt, TFileNoteKind::MissingLineEnd, "last line has no line end");
            break;
        case TLineEnd::CtrlZCut:
            Note(Line, Line.EndAt, TFileNoteKind::CtrlZCutsLine,
                 "Ctrl-Z ends the line's text; the rest of the line is skipped");
            break;
        case TLineEnd::CrLf:
        case TLineEnd::CtrlZAtStart:
            break;
        }
    }

    // Where reading stands now: the end of the bytes or a Ctrl-Z that ends the file.
    void NoteHere(TFileNoteKind Kind, std::string Text) { Note(FLine, FLineStart, FPos, Kind, std::move(Text)); }

    bool AtCtrlZ() const { return FPos < FBytes.size() && FBytes[FPos] == CtrlZ; }

private:
    void NextLine(std::size_t Pos)
    {
        FPos = Pos;
        ++FLine;
        FLineStart = Pos;
    }

    void Note(int Line, std::size_t LineStart, std::size_t Offset, TFileNoteKind Kind, std::string Text)
    {
        FNotes.push_back({Line, static_cast<int>(Offset - LineStart + 1), Kind, std::move(Text)});
    }

    std::string_view FBytes;
    std::vector<TFileNote>& FNotes;
    std::size_t FPos = 0;
    int FLine = 1;
    std::size_t FLineStart = 0;
};

void ReadRow(TNoteScanner& Scanner, const TScannedLine& Line, int Row, TLevelData& Level)
{
    const std::size_t Used = std::min(Line.Text.size(), RowChars);
    for (std::size_t I = 0; I < Used; I += 2) {
        TLevelCell& Cell = Level.Cells[I / 2][static_cast<std::size_t>(Row)];
        const char Brick = Line.Text[I];
        Cell.Brick = BrickCodeOfChar(Brick);
        if (!IsBrickFileChar(Brick))
            Scanner.Note(Line, Line.At[I], TFileNoteKind::UnknownCharacter,
                         "unknown brick character " + Shown(Brick) + " read as no brick");
        Cell.PowerUp = 0;
        if (I + 1 >= Used)
            continue;
        const char PowerUp = Line.Text[I + 1];
        Cell.PowerUp = PowerUpCodeOfChar(PowerUp);
        if (!IsPowerUpFileChar(PowerUp))
            Scanner.Note(Line, Line.At[I + 1], TFileNoteKind::UnknownCharacter,
                         "unknown power-up character " + Shown(PowerUp) + " read as no power-up");
        else if (Cell.PowerUp != 0 && Cell.Brick == 0)
            Scanner.Note(Line, Line.At[I + 1], TFileNoteKind::PowerUpOnEmptyCell,
                         "power-up " + Shown(PowerUp) + " on a cell without a brick");
    }
    if (Line.Length < RowChars)
        Scanner.Note(Line, Used > 0 ? Line.At[Used - 1] + 1 : Line.Start, TFileNoteKind::ShortRow,
                     "short row: " + std::to_string(Line.Length) + " of 40 characters, the rest read as empty");
    else if (Line.Length > RowChars)
        Scanner.Note(Line, Line.At[RowChars], TFileNoteKind::LongRow, "text after column 40 is not part of the row");
    Scanner.NoteLineEnd(Line);
}

} // namespace

std::vector<TFileNote> LevelFileNotes(std::string_view Bytes, TLevelData* Level)
{
    std::vector<TFileNote> Notes;
    TLevelData Scratch;
    TLevelData& Read = Level ? *Level : Scratch;
    TNoteScanner Scanner(Bytes, Notes);

    // What is left of the last row after its 40 characters may be the trailer marker.
    std::string Rest;
    TScannedLine MarkerLine;
    std::size_t MarkerAt = 0;
    int Rows = 0;
    for (; Rows < LevelRows && !Scanner.Eof(); ++Rows) {
        TScannedLine Line = Scanner.ReadLine(RowChars + 2);
        ReadRow(Scanner, Line, Rows, Read);
        if (Line.Text.size() > RowChars) {
            Rest = Line.Text.substr(RowChars);
            MarkerLine = Line;
            MarkerAt = Line.At[RowChars];
        } else {
            Rest.clear();
        }
    }
    if (Rows < LevelRows)
        Scanner.NoteHere(TFileNoteKind::MissingRows,
                         "only " + std::to_string(Rows) + " of 10 rows, the rest read as empty");

    bool Marker = Rest == ":";
    while (!Marker && !Scanner.Eof()) {
        TScannedLine Line = Scanner.ReadLine(2);
        if (Line.Text == ":") {
            Marker = true;
            Scanner.NoteLineEnd(Line);
            MarkerLine = Line;
            MarkerAt = Line.At[0];
        } else {
            Scanner.Note(Line, Line.Start, TFileNoteKind::IgnoredLine,
                         "line after the rows ignored: not the trailer marker \":\"");
        }
    }
    if (Marker) {
        TScannedLine Trailer = Scanner.ReadLine(std::string::npos);
        Read.TrailerText = Trailer.Text;
        if (Trailer.Text.empty())
            Scanner.Note(MarkerLine, MarkerAt, TFileNoteKind::EmptyTrailer,
                         "trailer marker \":\" with no text after it; saving drops it");
        else
            Scanner.NoteLineEnd(Trailer);
        while (!Scanner.Eof()) {
            TScannedLine Line = Scanner.ReadLine(0);
            Scanner.Note(Line, Line.Start, TFileNoteKind::IgnoredAfterTrailer, "line after the trailer ignored");
        }
    }
    if (Scanner.AtCtrlZ())
        Scanner.NoteHere(TFileNoteKind::CtrlZEndsFile, "Ctrl-Z ends the file; nothing after it is read");

    std::stable_sort(Notes.begin(), Notes.end(), [](const TFileNote& A, const TFileNote& B) {
        return A.Line != B.Line ? A.Line < B.Line : A.Column < B.Column;
    });
    return Notes;
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

std::string Counted(std::size_t Count, const char* One, const char* Many)
{
    return std::to_string(Count) + " " + (Count == 1 ? One : Many);
}

} // namespace

std::string SummariseFileNotes(const std::string& DisplayName, const std::vector<TFileNote>& Notes)
{
    if (Notes.empty())
        return {};
    constexpr std::size_t KindCount = static_cast<std::size_t>(TFileNoteKind::IgnoredAfterTrailer) + 1;
    std::array<std::size_t, KindCount> Counts{};
    std::array<int, KindCount> FirstLine{};
    for (const TFileNote& Note : Notes) {
        const auto Kind = static_cast<std::size_t>(Note.Kind);
        if (Counts[Kind]++ == 0)
            FirstLine[Kind] = Note.Line;
    }
    std::string Summary = DisplayName + ":";
    const char* Separator = " ";
    for (std::size_t Kind = 0; Kind < KindCount; ++Kind) {
        const std::size_t Count = Counts[Kind];
        if (Count == 0)
            continue;
        // The file's line, as check names it: the grid's row 0 is line 1.
        const std::string Line = std::to_string(FirstLine[Kind]);
        std::string Phrase;
        switch (static_cast<TFileNoteKind>(Kind)) {
        case TFileNoteKind::UnknownCharacter:
            Phrase = Counted(Count, "unknown character read as empty", "unknown characters read as empty");
            break;
        case TFileNoteKind::PowerUpOnEmptyCell:
            Phrase = Counted(Count, "power-up on an empty cell", "power-ups on empty cells");
            break;
        case TFileNoteKind::ShortRow:
            Phrase = Count == 1 ? "line " + Line + " is short" : Counted(Count, "", "lines are short");
            break;
        case TFileNoteKind::LongRow:
            Phrase = Count == 1 ? "line " + Line + " is too long" : Counted(Count, "", "lines are too long");
            break;
        case TFileNoteKind::MissingRows:
            Phrase = "fewer than 10 rows";
            break;
        case TFileNoteKind::LfLineEnd:
            Phrase = Counted(Count, "line end without CR", "line ends without CR");
            break;
        case TFileNoteKind::LoneCr:
            Phrase = Counted(Count, "lone CR dropped", "lone CRs dropped");
            break;
        case TFileNoteKind::MissingLineEnd:
            Phrase = "no line end at the end";
            break;
        case TFileNoteKind::CtrlZCutsLine:
            Phrase = Counted(Count, "line cut by Ctrl-Z", "lines cut by Ctrl-Z");
            break;
        case TFileNoteKind::CtrlZEndsFile:
            Phrase = "Ctrl-Z ends the file";
            break;
        case TFileNoteKind::IgnoredLine:
            Phrase = Counted(Count, "line after the rows ignored", "lines after the rows ignored");
            break;
        case TFileNoteKind::EmptyTrailer:
            Phrase = "empty trailer dropped";
            break;
        case TFileNoteKind::IgnoredAfterTrailer:
            Phrase = Counted(Count, "line after the trailer ignored", "lines after the trailer ignored");
            break;
        }
        Summary += Separator + Phrase;
        Separator = ", ";
    }
    return Summary;
}
