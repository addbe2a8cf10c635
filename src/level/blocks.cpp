#include "blocks.h"

#include "elementkinds.h"
#include "levelfile.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::size_t MaxLineChars = 2 * LevelColumns;

// The edit as a diff, cell by cell in the field's order, and the edited cells taken over. The edits work on
// a copy, so that cells they read are never ones they have written already.
TCellDiff Commit(TLevelCells& Cells, const TLevelCells& After)
{
    TCellDiff Diff;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row)
            if (!(Cells[Column][Row] == After[Column][Row]))
                Diff.Record(Column, Row, Cells[Column][Row], After[Column][Row]);
    Cells = After;
    return Diff;
}

// Every cell of Rect (on the field) takes the value Source names for it, read from the cells before the edit.
template <typename TSource> TCellDiff Remap(TLevelCells& Cells, TCellRect Rect, TSource Source)
{
    TLevelCells After = Cells;
    for (int Column = Rect.Left; Column < Rect.Left + Rect.Width; ++Column)
        for (int Row = Rect.Top; Row < Rect.Top + Rect.Height; ++Row) {
            const TCellPos From = Source(Column, Row);
            After[Column][Row] = Cells[From.Column][From.Row];
        }
    return Commit(Cells, After);
}

// Rect must be on the field.
void EmptyCells(TLevelCells& Cells, TCellRect Rect, bool Mirror)
{
    for (int Column = Rect.Left; Column < Rect.Left + Rect.Width; ++Column)
        for (int Row = Rect.Top; Row < Rect.Top + Rect.Height; ++Row) {
            Cells[Column][Row] = {};
            if (Mirror)
                Cells[MirrorColumn(Column)][Row] = {};
        }
}

// The mirror images go where the block itself did not land, as WithMirror lists them.
void WriteBlock(TLevelCells& Cells, const TBlock& Block, TCellPos At, bool Mirror)
{
    TCellPositions Written;
    for (int Row = 0; Row < Block.Height(); ++Row)
        for (int Column = 0; Column < Block.Width(); ++Column) {
            const TCellPos To{At.Column + Column, At.Row + Row};
            if (!IsOnField(To))
                continue;
            Cells[To.Column][To.Row] = Block.At(Column, Row);
            Written.push_back(To);
        }
    if (!Mirror)
        return;
    const TCellPositions WithImages = WithMirror(Written);
    for (std::size_t I = Written.size(); I < WithImages.size(); ++I) {
        const TCellPos Image = WithImages[I];
        Cells[Image.Column][Image.Row] = Cells[MirrorColumn(Image.Column)][Image.Row];
    }
}

// Positions count from 0 inside the range; the result is in [0, Size).
int Wrap(int Position, int Size)
{
    return ((Position % Size) + Size) % Size;
}

TBlockParse NoBlock(std::string Reason)
{
    return {std::nullopt, std::move(Reason)};
}

std::string CharName(char Ch)
{
    if (Ch == ' ')
        return "a space";
    if (Ch > ' ' && Ch < '\x7F')
        return std::string("'") + Ch + "'";
    return "character " + std::to_string(static_cast<unsigned char>(Ch));
}

} // namespace

TCellRect RectBetween(TCellPos A, TCellPos B)
{
    // std::minmax hands back references, so the clamped corners must outlive the call.
    const TCellPos From{std::clamp(A.Column, 0, LevelColumns - 1), std::clamp(A.Row, 0, LevelRows - 1)};
    const TCellPos To{std::clamp(B.Column, 0, LevelColumns - 1), std::clamp(B.Row, 0, LevelRows - 1)};
    const auto [Left, Right] = std::minmax(From.Column, To.Column);
    const auto [Top, Bottom] = std::minmax(From.Row, To.Row);
    return {Left, Top, Right - Left + 1, Bottom - Top + 1};
}

TCellRect ClipToField(TCellRect Rect)
{
    const int Left = std::max(Rect.Left, 0);
    const int Top = std::max(Rect.Top, 0);
    const int Right = std::min(Rect.Left + Rect.Width, LevelColumns);
    const int Bottom = std::min(Rect.Top + Rect.Height, LevelRows);
    if (Right <= Left || Bottom <= Top)
        return {};
    return {Left, Top, Right - Left, Bottom - Top};
}

TCellRect MovedRect(TCellRect Rect, int DCol, int DRow)
{
    return ClipToField({Rect.Left + DCol, Rect.Top + DRow, Rect.Width, Rect.Height});
}

TBlock::TBlock(int Width, int Height) : FWidth(Width), FHeight(Height)
{
    if (Width < 1 || Width > LevelColumns || Height < 1 || Height > LevelRows)
        throw std::invalid_argument("no block is " + std::to_string(Width) + " by " + std::to_string(Height));
}

std::string BlockText(const TBlock& Block)
{
    std::string Text;
    Text.reserve(static_cast<std::size_t>(Block.Height() * (2 * Block.Width() + 2)));
    for (int Row = 0; Row < Block.Height(); ++Row) {
        for (int Column = 0; Column < Block.Width(); ++Column)
            AppendCellChars(Text, Block.At(Column, Row));
        Text += "\r\n";
    }
    return Text;
}

TBlockParse ParseBlockText(std::string_view Text)
{
    std::array<std::string_view, LevelRows> Lines;
    int Count = 0;
    for (std::size_t Pos = 0; Pos < Text.size();) {
        if (Count == LevelRows)
            return NoBlock("more than 10 lines");
        const std::size_t End = std::min(Text.find('\n', Pos), Text.size());
        std::string_view Line = Text.substr(Pos, End - Pos);
        if (End < Text.size() && Line.ends_with('\r'))
            Line.remove_suffix(1);
        Lines[static_cast<std::size_t>(Count++)] = Line;
        Pos = End + 1;
    }
    const std::size_t Width = Lines[0].size();
    if (std::any_of(Lines.begin(), Lines.begin() + Count, [&](std::string_view L) { return L.size() != Width; }))
        return NoBlock("lines of different lengths");
    if (Width == 0)
        return NoBlock("the text is empty");
    if (Width > MaxLineChars)
        return NoBlock("lines longer than 40 characters");
    if (Width % 2 != 0)
        return NoBlock("an odd number of characters in a line");
    TBlock Block(static_cast<int>(Width / 2), Count);
    for (int Row = 0; Row < Count; ++Row)
        for (std::size_t At = 0; At < Width; ++At) {
            const char Ch = Lines[static_cast<std::size_t>(Row)][At];
            const bool IsBrick = At % 2 == 0;
            if (!(IsBrick ? IsBrickFileChar(Ch) : IsPowerUpFileChar(Ch)))
                return NoBlock(CharName(Ch) + " at line " + std::to_string(Row + 1) + ", column " +
                               std::to_string(At + 1) + (IsBrick ? " is no brick" : " is no power-up"));
            TLevelCell& Cell = Block.At(static_cast<int>(At / 2), Row);
            if (IsBrick)
                Cell.Brick = BrickCodeOfChar(Ch);
            else
                Cell.PowerUp = PowerUpCodeOfChar(Ch);
        }
    return {std::move(Block), {}};
}

TBlock CopyBlock(const TLevelCells& Cells, TCellRect Rect)
{
    Rect = ClipToField(Rect);
    if (Rect.Empty())
        throw std::invalid_argument("the rectangle to copy lies off the field");
    TBlock Block(Rect.Width, Rect.Height);
    for (int Row = 0; Row < Rect.Height; ++Row)
        for (int Column = 0; Column < Rect.Width; ++Column)
            Block.At(Column, Row) = Cells[Rect.Left + Column][Rect.Top + Row];
    return Block;
}

TCellDiff PasteBlock(TLevelCells& Cells, const TBlock& Block, TCellPos At, bool Mirror)
{
    TLevelCells After = Cells;
    WriteBlock(After, Block, At, Mirror);
    return Commit(Cells, After);
}

TCellDiff ClearCells(TLevelCells& Cells, TCellRect Rect)
{
    TLevelCells After = Cells;
    EmptyCells(After, ClipToField(Rect), false);
    return Commit(Cells, After);
}

TCellDiff MoveCells(TLevelCells& Cells, TCellRect Rect, int DCol, int DRow, bool Mirror)
{
    Rect = ClipToField(Rect);
    if (Rect.Empty())
        return {};
    const TBlock Block = CopyBlock(Cells, Rect);
    TLevelCells After = Cells;
    EmptyCells(After, Rect, Mirror);
    WriteBlock(After, Block, {Rect.Left + DCol, Rect.Top + DRow}, Mirror);
    return Commit(Cells, After);
}

TCellDiff FlipHorizontally(TLevelCells& Cells, TCellRect Rect)
{
    Rect = ClipToField(Rect);
    const int Sum = 2 * Rect.Left + Rect.Width - 1;
    return Remap(Cells, Rect, [&](int Column, int Row) { return TCellPos{Sum - Column, Row}; });
}

TCellDiff FlipVertically(TLevelCells& Cells, TCellRect Rect)
{
    Rect = ClipToField(Rect);
    const int Sum = 2 * Rect.Top + Rect.Height - 1;
    return Remap(Cells, Rect, [&](int Column, int Row) { return TCellPos{Column, Sum - Row}; });
}

TCellDiff ShiftCells(TLevelCells& Cells, TCellRect Rect, int DCol, int DRow)
{
    Rect = ClipToField(Rect);
    return Remap(Cells, Rect, [&](int Column, int Row) {
        return TCellPos{Rect.Left + Wrap(Column - Rect.Left - DCol, Rect.Width),
                        Rect.Top + Wrap(Row - Rect.Top - DRow, Rect.Height)};
    });
}
