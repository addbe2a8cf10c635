#include "levelreader.h"

#include "elementkinds.h"

#include <cstdio>

namespace {

constexpr std::size_t RowChars = 2 * LevelColumns;

// A row line matters only up to its 42nd character: 40 for the cells, then whether the rest is exactly ":".
constexpr std::size_t RowLineKeep = RowChars + 2;

// Between the rows and the trailer a line matters only as far as telling ":" from anything else.
constexpr std::size_t MarkerLineKeep = 2;

std::string Shown(char Ch)
{
    const auto Byte = static_cast<unsigned char>(Ch);
    if (Byte >= 0x20 && Byte < 0x7F)
        return std::string("'") + Ch + "'";
    char Text[16];
    std::snprintf(Text, sizeof Text, "byte 0x%02X", Byte);
    return Text;
}

// Where the trailer marker ":" stands, for the note that it has no text after it.
struct TMarkerPlace {
    std::uint64_t Line = 0;
    std::uint64_t LineStart = 0;
    std::uint64_t At = 0;
};

class TLevelLines {
public:
    TLevelLines(TLineReader& Reader, TLevelData& Level, TNoteCollector* Notes) :
        FReader(Reader),
        FLevel(Level),
        FNotes(Notes)
    {
    }

    void Read();

private:
    template <typename TText>
    void Note(std::uint64_t Line, std::uint64_t LineStart, std::uint64_t Offset, TFileNoteKind Kind, TText&& Text)
    {
        if (FNotes)
            FNotes->Note(Line, Offset - LineStart + 1, Kind, std::forward<TText>(Text));
    }

    template <typename TText> void Note(const TReadLine& Line, std::uint64_t Offset, TFileNoteKind Kind, TText&& Text)
    {
        Note(Line.Line, Line.LineStart, Offset, Kind, std::forward<TText>(Text));
    }

    // Where reading stands now: the end of the bytes or a Ctrl-Z that ends the file.
    template <typename TText> void NoteHere(TFileNoteKind Kind, TText&& Text)
    {
        Note(FReader.LineNumber(), FReader.LineStart(), FReader.Offset(), Kind, std::forward<TText>(Text));
    }

    bool Eof()
    {
        return FReader.Eof([this](std::uint64_t Line, std::uint64_t LineStart, std::uint64_t Offset) {
            Note(Line, LineStart, Offset, TFileNoteKind::LoneCr, [] { return "CR without LF dropped"; });
        });
    }

    void NoteLineEnd(const TReadLine& Line);
    void ReadRow(const TReadLine& Line, int Row);
    void ReadTrailer(const TMarkerPlace& Marker);

    TLineReader& FReader;
    TLevelData& FLevel;
    TNoteCollector* FNotes;
    TReadLine FLine;
};

// Lone CRs and how the line ended, for a line whose text the reader uses.
void TLevelLines::NoteLineEnd(const TReadLine& Line)
{
    if (!FNotes)
        return;
    for (std::uint64_t At : Line.LoneCrs)
        Note(Line, At, TFileNoteKind::LoneCr, [] { return "CR without LF dropped"; });
    if (Line.MoreLoneCrs > 0)
        FNotes->Count(TFileNoteKind::LoneCr, Line.MoreLoneCrs, TNoteCollector::Clamped(Line.Line));
    switch (Line.End) {
    case TLineEnd::Lf:
        Note(Line, Line.EndAt, TFileNoteKind::LfLineEnd, [] { return "line ends with LF alone, not CR LF"; });
        break;
    case TLineEnd::EndOfText:
        if (Line.Length > 0)
            Note(Line, Line.EndAt, TFileNoteKind::MissingLineEnd, [] { return "last line has no line end"; });
        break;
    case TLineEnd::CtrlZCut:
        Note(Line, Line.EndAt, TFileNoteKind::CtrlZCutsLine,
             [] { return "Ctrl-Z ends the line's text; the rest of the line is skipped"; });
        break;
    case TLineEnd::CrLf:
    case TLineEnd::CtrlZAtStart:
        break;
    }
}

void TLevelLines::ReadRow(const TReadLine& Line, int Row)
{
    const std::size_t Used = std::min(Line.Text.size(), RowChars);
    for (std::size_t I = 0; I < Used; I += 2) {
        TLevelCell& Cell = FLevel.Cells[I / 2][static_cast<std::size_t>(Row)];
        const char Brick = Line.Text[I];
        Cell.Brick = BrickCodeOfChar(Brick);
        if (!IsBrickFileChar(Brick))
            Note(Line, Line.At[I], TFileNoteKind::UnknownCharacter,
                 [&] { return "unknown brick character " + Shown(Brick) + " read as no brick"; });
        Cell.PowerUp = 0;
        if (I + 1 >= Used)
            continue;
        const char PowerUp = Line.Text[I + 1];
        Cell.PowerUp = PowerUpCodeOfChar(PowerUp);
        if (!IsPowerUpFileChar(PowerUp))
            Note(Line, Line.At[I + 1], TFileNoteKind::UnknownCharacter,
                 [&] { return "unknown power-up character " + Shown(PowerUp) + " read as no power-up"; });
        else if (Cell.PowerUp != 0 && Cell.Brick == 0)
            Note(Line, Line.At[I + 1], TFileNoteKind::PowerUpOnEmptyCell,
                 [&] { return "power-up " + Shown(PowerUp) + " on a cell without a brick"; });
    }
    if (Line.Length < RowChars)
        Note(Line, Used > 0 ? Line.At[Used - 1] + 1 : Line.Start, TFileNoteKind::ShortRow,
             [&] { return "short row: " + std::to_string(Line.Length) + " of 40 characters, the rest read as empty"; });
    else if (Line.Length > RowChars)
        Note(Line, Line.At[RowChars], TFileNoteKind::LongRow,
             [] { return "text after column 40 is not part of the row"; });
    NoteLineEnd(Line);
}

void TLevelLines::Read()
{
    // What is left of the last row after its 40 characters may be the trailer marker.
    bool Marker = false;
    TMarkerPlace Place;
    int Rows = 0;
    for (; Rows < LevelRows && !Eof(); ++Rows) {
        FReader.ReadLine(FLine, RowLineKeep);
        ReadRow(FLine, Rows);
        Marker = FLine.Text.size() > RowChars && FLine.Text.substr(RowChars) == ":";
        if (Marker)
            Place = {FLine.Line, FLine.LineStart, FLine.At[RowChars]};
    }
    if (Rows < LevelRows)
        NoteHere(TFileNoteKind::MissingRows,
                 [&] { return "only " + std::to_string(Rows) + " of 10 rows, the rest read as empty"; });

    while (!Marker && !Eof()) {
        FReader.ReadLine(FLine, MarkerLineKeep);
        Marker = FLine.Text == ":";
        if (Marker) {
            NoteLineEnd(FLine);
            Place = {FLine.Line, FLine.LineStart, FLine.At[0]};
        } else {
            Note(FLine, FLine.Start, TFileNoteKind::IgnoredLine,
                 [] { return "line after the rows ignored: not the trailer marker \":\""; });
        }
    }
    if (Marker)
        ReadTrailer(Place);
    if (FNotes && FReader.AtCtrlZ())
        NoteHere(TFileNoteKind::CtrlZEndsFile, [] { return "Ctrl-Z ends the file; nothing after it is read"; });
}

// The trailer is the one line kept whole, however long.
void TLevelLines::ReadTrailer(const TMarkerPlace& Marker)
{
    FReader.ReadLine(FLine, std::string::npos);
    FLevel.TrailerText = std::move(FLine.Text);
    if (FLevel.TrailerText.empty())
        Note(Marker.Line, Marker.LineStart, Marker.At, TFileNoteKind::EmptyTrailer,
             [] { return "trailer marker \":\" with no text after it; saving drops it"; });
    else
        NoteLineEnd(FLine);
    if (!FNotes)
        return;
    while (!Eof()) {
        FReader.ReadLine(FLine, 0);
        Note(FLine, FLine.Start, TFileNoteKind::IgnoredAfterTrailer, [] { return "line after the trailer ignored"; });
    }
}

} // namespace

void ReadLevelLines(TLineReader& Reader, TLevelData& Level, TNoteCollector* Notes)
{
    TLevelLines(Reader, Level, Notes).Read();
}
