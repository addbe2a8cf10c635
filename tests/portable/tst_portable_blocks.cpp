// Blocks: their clipboard text both ways, and the edits on a level's cells, each compared as whole field
// maps and checked to be one step that undo and redo replay exactly.

#include "blocks.h"
#include "levelfile.h"
#include "portabletools.h"

#include <gtest/gtest.h>

#include <functional>

using namespace PortableTools;

namespace {

using TRows = std::vector<std::string>;

// A row of the level file with Chars placed from Column on; the rest of the row stays as it was, or empty.
std::string Put(std::string Row, int Column, const std::string& Chars)
{
    Row.resize(2 * LevelColumns, '.');
    return Row.replace(static_cast<std::size_t>(2 * Column), Chars.size(), Chars);
}

std::string At(int Column, const std::string& Chars)
{
    return Put("", Column, Chars);
}

// The field as its ten rows in file characters, one per line, so that a failure shows both fields.
std::string MapOf(const TLevelCells& Cells)
{
    std::string Map;
    for (int Row = 0; Row < LevelRows; ++Row) {
        Map += "\n";
        for (const TLevelColumn& Column : Cells)
            Map += std::string{BrickChars.at(Column[Row].Brick), PowerUpChars.at(Column[Row].PowerUp)};
    }
    return Map;
}

std::string MapOf(const TRows& Rows)
{
    return MapOf(RecordFromRows(Rows, "", "").Cells);
}

// Rows, the first of them at Row.
TRows From(int Row, TRows Rows)
{
    Rows.insert(Rows.begin(), static_cast<std::size_t>(Row), "");
    return Rows;
}

// Three columns by two rows at (2, 1).
const TRows Motif{"", At(2, "1S2.3E"), At(2, "4.5L6.")};
const TCellRect MotifRect = RectBetween({4, 2}, {2, 1});

struct TEditCase {
    const char* Name;
    TRows Before;
    std::function<TCellDiff(TLevelCells&)> Edit;
    TRows After;
};

std::ostream& operator<<(std::ostream& Out, const TEditCase& Case)
{
    return Out << Case.Name;
}

class Edits : public testing::TestWithParam<TEditCase> {};

TEST_P(Edits, LeaveTheFieldExpectedAsOneStepThatUndoesAndRedoes)
{
    const TEditCase& Case = GetParam();
    const TLevelCells Before = RecordFromRows(Case.Before, "", "").Cells;
    TLevelCells Cells = Before;
    const TCellDiff Diff = Case.Edit(Cells);
    EXPECT_EQ(MapOf(Cells), MapOf(Case.After));
    TLevelCells Replayed = Cells;
    Diff.ApplyBefore(Replayed);
    EXPECT_EQ(MapOf(Replayed), MapOf(Before)) << "undone";
    Diff.ApplyAfter(Replayed);
    EXPECT_EQ(MapOf(Replayed), MapOf(Cells)) << "redone";
    for (const TCellChange& Change : Diff.Changes())
        EXPECT_NE(Change.Before, Change.After)
            << "unchanged cell listed: " << int(Change.Col) << "," << int(Change.Row);
}

using TEdit = std::function<TCellDiff(TLevelCells&)>;

TEdit Paste(int Column, int Row, bool Mirror = false)
{
    return [=](TLevelCells& Cells) {
        const TBlock Block = CopyBlock(RecordFromRows(Motif, "", "").Cells, MotifRect);
        return PasteBlock(Cells, Block, {Column, Row}, Mirror);
    };
}

TEdit Move(int DCol, int DRow, bool Mirror = false)
{
    return [=](TLevelCells& Cells) { return MoveCells(Cells, MotifRect, DCol, DRow, Mirror); };
}

TEdit Shift(TCellRect Rect, int DCol, int DRow)
{
    return [=](TLevelCells& Cells) { return ShiftCells(Cells, Rect, DCol, DRow); };
}

template <TCellDiff (*Edit)(TLevelCells&, TCellRect)> TEdit On(TCellRect Rect)
{
    return [=](TLevelCells& Cells) { return Edit(Cells, Rect); };
}

TCellDiff PasteEmpty(TLevelCells& Cells)
{
    return PasteBlock(Cells, TBlock(2, 2), {3, 1}, false);
}

const TRows Twins{"", Put(At(2, "1S2.3E"), 15, "3E2.1S"), Put(At(2, "4.5L6."), 15, "6.5L4.")};
const TCellRect ThreeRows = RectBetween({2, 0}, {4, 2});

INSTANTIATE_TEST_SUITE_P(
    Blocks, Edits,
    testing::Values(
        TEditCase{"PasteElsewhere", Motif, Paste(10, 5),
                  From(1, {Motif[1], Motif[2], "", "", At(10, "1S2.3E"), At(10, "4.5L6.")})},
        TEditCase{"PasteClippedAtTheLeftEdge", {}, Paste(-1, 4), From(4, {"2.3E", "5L6."})},
        TEditCase{"PasteClippedAtTheRightEdge", {}, Paste(18, 4), From(4, {At(18, "1S2."), At(18, "4.5L")})},
        TEditCase{"PasteClippedAtTheTopEdge", {}, Paste(7, -1), {At(7, "4.5L6.")}},
        TEditCase{"PasteClippedAtTheBottomEdge", {}, Paste(7, 9), From(9, {At(7, "1S2.3E")})},
        TEditCase{"PasteOffTheFieldChangesNothing", Motif, Paste(20, 0), Motif},
        TEditCase{"PasteWritesEmptyCellsToo", Motif, PasteEmpty, {"", At(2, "1S"), At(2, "4.")}},
        TEditCase{"PasteMirrored",
                  {},
                  Paste(0, 5, true),
                  From(5, {Put("1S2.3E", 17, "3E2.1S"), Put("4.5L6.", 17, "6.5L4.")})},
        TEditCase{"PasteMirroredAcrossTheMiddleKeepsTheBlockWhereItLands",
                  {},
                  Paste(9, 5, true),
                  From(5, {At(8, "3E1S2.3E"), At(8, "6.4.5L6.")})},
        TEditCase{"Clear", Motif, On<ClearCells>(RectBetween({3, 0}, {9, 1})), {"", At(2, "1S"), Motif[2]}},
        TEditCase{"MoveDown", Motif, Move(0, 2), From(3, {Motif[1], Motif[2]})},
        TEditCase{"MoveOntoItself", Motif, Move(1, 0), {"", At(3, "1S2.3E"), At(3, "4.5L6.")}},
        TEditCase{"MoveOverTheEdgeLosesCells", Motif, Move(-3, 0), {"", "2.3E", "5L6."}},
        TEditCase{"MoveMirroredTakesTheTwinAlong", Twins, Move(0, 3, true), From(4, {Twins[1], Twins[2]})},
        TEditCase{"FlipHorizontally", Motif, On<FlipHorizontally>(MotifRect), {"", At(2, "3E2.1S"), At(2, "6.5L4.")}},
        TEditCase{"FlipHorizontallyAroundAWiderMiddle",
                  Motif,
                  On<FlipHorizontally>(RectBetween({0, 1}, {5, 2})),
                  {"", At(1, "3E2.1S"), At(1, "6.5L4.")}},
        TEditCase{"FlipVertically", Motif, On<FlipVertically>(MotifRect), {"", Motif[2], Motif[1]}},
        TEditCase{"FlipTheWholeFieldHorizontally",
                  Motif,
                  On<FlipHorizontally>(FieldRect),
                  {"", At(15, "3E2.1S"), At(15, "6.5L4.")}},
        TEditCase{"FlipTheWholeFieldVertically", Motif, On<FlipVertically>(FieldRect), From(7, {Motif[2], Motif[1]})},
        TEditCase{"ShiftLeftWraps", Motif, Shift(MotifRect, -1, 0), {"", At(2, "2.3E1S"), At(2, "5L6.4.")}},
        TEditCase{"ShiftRightWraps", Motif, Shift(MotifRect, 1, 0), {"", At(2, "3E1S2."), At(2, "6.4.5L")}},
        TEditCase{"ShiftUpWraps", Motif, Shift(ThreeRows, 0, -1), {Motif[1], Motif[2], ""}},
        TEditCase{"ShiftDownWraps", Motif, Shift(ThreeRows, 0, 1), {Motif[2], "", Motif[1]}},
        TEditCase{"ShiftTheWholeFieldRight",
                  {"", Put(Motif[1], 19, "#.")},
                  Shift(FieldRect, 1, 0),
                  {"", Put(At(3, "1S2.3E"), 0, "#.")}}),
    [](const testing::TestParamInfo<TEditCase>& Info) { return std::string(Info.param.Name); });

// "W x H" and the block's text, or "no block: " and the reason.
std::string Parsed(std::string_view Text)
{
    const TBlockParse Parse = ParseBlockText(Text);
    if (!Parse.Block)
        return "no block: " + Parse.Reason;
    return std::to_string(Parse.Block->Width()) + " x " + std::to_string(Parse.Block->Height()) + "\n" +
        BlockText(*Parse.Block);
}

struct TTextCase {
    const char* Name;
    std::string Text;
    std::string Parsed;
};

std::ostream& operator<<(std::ostream& Out, const TTextCase& Case)
{
    return Out << Case.Name;
}

std::string ElevenLines()
{
    std::string Text;
    for (int Line = 0; Line < 11; ++Line)
        Text += "..\n";
    return Text;
}

class Texts : public testing::TestWithParam<TTextCase> {};

TEST_P(Texts, ReadAsTheBlockOrTheReasonWhyNot)
{
    EXPECT_EQ(Parsed(GetParam().Text), GetParam().Parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Texts,
    testing::Values(TTextCase{"OneCell", "1S", "1 x 1\n1S\r\n"},
                    TTextCase{"MixedLineEndsAndNoFinalOne", "1S2.\r\n#W..\n9I.F", "2 x 3\n1S2.\r\n#W..\r\n9I.F\r\n"},
                    TTextCase{"Empty", "", "no block: the text is empty"},
                    TTextCase{"OnlyALineEnd", "\r\n", "no block: the text is empty"},
                    TTextCase{"ElevenLines", ElevenLines(), "no block: more than 10 lines"},
                    TTextCase{"RaggedLines", "1.2.\r\n1.\r\n", "no block: lines of different lengths"},
                    TTextCase{"TwoFinalLineEnds", "1.\n\n", "no block: lines of different lengths"},
                    TTextCase{"TooLong", std::string(42, '.'), "no block: lines longer than 40 characters"},
                    TTextCase{"OddLength", "1.2", "no block: an odd number of characters in a line"},
                    TTextCase{"ALoneFinalCarriageReturn", "1.\r", "no block: an odd number of characters in a line"},
                    TTextCase{"UnknownPowerUp", "1.1x", "no block: 'x' at line 1, column 4 is no power-up"},
                    TTextCase{"PowerUpWhereABrickGoes", "1.\nS.", "no block: 'S' at line 2, column 1 is no brick"},
                    TTextCase{"Space", "1 ", "no block: a space at line 1, column 2 is no power-up"},
                    TTextCase{"Tab", "\t.", "no block: character 9 at line 1, column 1 is no brick"}),
    [](const testing::TestParamInfo<TTextCase>& Info) { return std::string(Info.param.Name); });

TEST(BlockText, EverySizeIsWrittenAsItsRowsAndReadBackWithAnyLineEnds)
{
    const TLevelData Level = FilledLevel("");
    const std::string File = FormatLevel(Level);
    for (int Width = 1; Width <= LevelColumns; ++Width)
        for (int Height = 1; Height <= LevelRows; ++Height) {
            const TBlock Block = CopyBlock(Level.Cells, {LevelColumns - Width, LevelRows - Height, Width, Height});
            const std::string Text = BlockText(Block);
            std::string Expected;
            for (int Row = LevelRows - Height; Row < LevelRows; ++Row)
                Expected +=
                    File.substr(static_cast<std::size_t>(Row * (2 * LevelColumns + 2) + 2 * (LevelColumns - Width)),
                                static_cast<std::size_t>(2 * Width)) +
                    "\r\n";
            ASSERT_EQ(Text, Expected) << Width << " x " << Height;
            ASSERT_EQ(ParseBlockText(Text).Block, Block) << Width << " x " << Height;
            std::string Bare = Text;
            std::erase(Bare, '\r');
            Bare.pop_back();
            ASSERT_EQ(Parsed(Bare), Parsed(Text)) << Width << " x " << Height << ", line feeds only, no final one";
        }
}

TEST(BlockText, OfTheWholeFieldIsTheSavedLevelsRows)
{
    TLevelData Level = FilledLevel("");
    Level.TrailerText.clear();
    EXPECT_EQ(BlockText(CopyBlock(Level.Cells, FieldRect)), FormatLevel(Level));
}

std::string Describe(TCellRect Rect)
{
    return std::to_string(Rect.Left) + "," + std::to_string(Rect.Top) + " " + std::to_string(Rect.Width) + "x" +
        std::to_string(Rect.Height);
}

TEST(Blocks, RectanglesStayOnTheField)
{
    const std::pair<TCellRect, const char*> Cases[] = {
        {RectBetween({5, 3}, {2, 1}), "2,1 4x3"}, {RectBetween({-4, 12}, {25, -1}), "0,0 20x10"},
        {ClipToField({18, 8, 5, 5}), "18,8 2x2"}, {ClipToField({20, 0, 3, 3}), "0,0 0x0"},
        {MovedRect(MotifRect, -3, 0), "0,1 2x2"}, {MovedRect(FieldRect, 0, 1), "0,1 20x9"},
    };
    for (const auto& [Rect, Expected] : Cases)
        EXPECT_EQ(Describe(Rect), Expected);
}

TEST(Blocks, SizesNoFieldHoldsAreRefused)
{
    for (const auto& [Width, Height] : {std::pair{0, 1}, {21, 1}, {1, 0}, {1, 11}})
        EXPECT_THROW(TBlock(Width, Height), std::invalid_argument) << Width << " x " << Height;
    EXPECT_THROW(CopyBlock({}, {20, 0, 3, 3}), std::invalid_argument);
}

} // namespace
