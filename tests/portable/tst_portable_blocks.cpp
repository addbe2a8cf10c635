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

TBlock MotifBlock()
{
    return CopyBlock(RecordFromRows(Motif, "", "").Cells, MotifRect);
}

TCellDiff PasteMotif(TLevelCells& Cells, TCellPos Where, bool Mirror = false)
{
    return PasteBlock(Cells, MotifBlock(), Where, Mirror);
}

const TRows Twins{"", Put(At(2, "1S2.3E"), 15, "3E2.1S"), Put(At(2, "4.5L6."), 15, "6.5L4.")};

INSTANTIATE_TEST_SUITE_P(
    Blocks, Edits,
    testing::Values(
        TEditCase{"PasteElsewhere",
                  Motif,
                  [](auto& C) {
                      return PasteMotif(C, {10, 5});
                  },
                  {"", Motif[1], Motif[2], "", "", At(10, "1S2.3E"), At(10, "4.5L6.")}},
        TEditCase{"PasteClippedAtTheLeftEdge",
                  {},
                  [](auto& C) {
                      return PasteMotif(C, {-1, 4});
                  },
                  {"", "", "", "", "2.3E", "5L6."}},
        TEditCase{"PasteClippedAtTheRightEdge",
                  {},
                  [](auto& C) {
                      return PasteMotif(C, {18, 4});
                  },
                  {"", "", "", "", At(18, "1S2."), At(18, "4.5L")}},
        TEditCase{"PasteClippedAtTheTopEdge",
                  {},
                  [](auto& C) {
                      return PasteMotif(C, {7, -1});
                  },
                  {At(7, "4.5L6.")}},
        TEditCase{"PasteClippedAtTheBottomEdge",
                  {},
                  [](auto& C) {
                      return PasteMotif(C, {7, 9});
                  },
                  {"", "", "", "", "", "", "", "", "", At(7, "1S2.3E")}},
        TEditCase{"PasteOffTheFieldChangesNothing", Motif,
                  [](auto& C) {
                      return PasteMotif(C, {20, 0});
                  },
                  Motif},
        TEditCase{"PasteWritesEmptyCellsToo",
                  Motif,
                  [](auto& C) {
                      return PasteBlock(C, TBlock(2, 2), {3, 1}, false);
                  },
                  {"", At(2, "1S"), At(2, "4.")}},
        TEditCase{"PasteMirrored",
                  {},
                  [](auto& C) {
                      return PasteMotif(C, {0, 5}, true);
                  },
                  {"", "", "", "", "", Put("1S2.3E", 17, "3E2.1S"), Put("4.5L6.", 17, "6.5L4.")}},
        TEditCase{"PasteMirroredAcrossTheMiddleKeepsTheBlockWhereItLands",
                  {},
                  [](auto& C) {
                      return PasteMotif(C, {9, 5}, true);
                  },
                  {"", "", "", "", "", At(8, "3E1S2.3E"), At(8, "6.4.5L6.")}},
        TEditCase{"Clear",
                  Motif,
                  [](auto& C) {
                      return ClearCells(C, RectBetween({3, 0}, {9, 1}));
                  },
                  {"", At(2, "1S"), Motif[2]}},
        TEditCase{"MoveDown",
                  Motif,
                  [](auto& C) { return MoveCells(C, MotifRect, 0, 2, false); },
                  {"", "", "", Motif[1], Motif[2]}},
        TEditCase{"MoveOntoItself",
                  Motif,
                  [](auto& C) { return MoveCells(C, MotifRect, 1, 0, false); },
                  {"", At(3, "1S2.3E"), At(3, "4.5L6.")}},
        TEditCase{"MoveOverTheEdgeLosesCells",
                  Motif,
                  [](auto& C) { return MoveCells(C, MotifRect, -3, 0, false); },
                  {"", "2.3E", "5L6."}},
        TEditCase{"MoveMirroredTakesTheTwinAlong",
                  Twins,
                  [](auto& C) { return MoveCells(C, MotifRect, 0, 3, true); },
                  {"", "", "", "", Twins[1], Twins[2]}},
        TEditCase{"FlipHorizontally",
                  Motif,
                  [](auto& C) { return FlipHorizontally(C, MotifRect); },
                  {"", At(2, "3E2.1S"), At(2, "6.5L4.")}},
        TEditCase{"FlipHorizontallyAroundAWiderMiddle",
                  Motif,
                  [](auto& C) {
                      return FlipHorizontally(C, RectBetween({0, 1}, {5, 2}));
                  },
                  {"", At(1, "3E2.1S"), At(1, "6.5L4.")}},
        TEditCase{
            "FlipVertically", Motif, [](auto& C) { return FlipVertically(C, MotifRect); }, {"", Motif[2], Motif[1]}},
        TEditCase{"FlipTheWholeFieldHorizontally",
                  Motif,
                  [](auto& C) { return FlipHorizontally(C, FieldRect); },
                  {"", At(15, "3E2.1S"), At(15, "6.5L4.")}},
        TEditCase{"FlipTheWholeFieldVertically",
                  Motif,
                  [](auto& C) { return FlipVertically(C, FieldRect); },
                  {"", "", "", "", "", "", "", Motif[2], Motif[1]}},
        TEditCase{"ShiftLeftWraps",
                  Motif,
                  [](auto& C) { return ShiftCells(C, MotifRect, -1, 0); },
                  {"", At(2, "2.3E1S"), At(2, "5L6.4.")}},
        TEditCase{"ShiftRightWraps",
                  Motif,
                  [](auto& C) { return ShiftCells(C, MotifRect, 1, 0); },
                  {"", At(2, "3E1S2."), At(2, "6.4.5L")}},
        TEditCase{"ShiftUpWraps",
                  Motif,
                  [](auto& C) { return ShiftCells(C, RectBetween({2, 0}, {4, 2}), 0, -1); },
                  {Motif[1], Motif[2], ""}},
        TEditCase{
            "ShiftDownWraps",
            Motif,
            [](auto& C) {
                return ShiftCells(C, RectBetween({2, 0}, {4, 2}), 0, 1);
            },
            {Motif[2], "", Motif[1]}},
        TEditCase{"ShiftTheWholeFieldRight",
                  {"", Put(Motif[1], 19, "#.")},
                  [](auto& C) { return ShiftCells(C, FieldRect, 1, 0); },
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
    testing::Values(TTextCase{"OneCell", "1S", "1 x 1\n1S\r\n"}, TTextCase{"AnEmptyCell", "..\r\n", "1 x 1\n..\r\n"},
                    TTextCase{"LineFeedsOnly", "1S2.\n#W..\n", "2 x 2\n1S2.\r\n#W..\r\n"},
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
                Expected += File.substr(static_cast<std::size_t>(Row * 42 + 2 * (LevelColumns - Width)),
                                        static_cast<std::size_t>(2 * Width)) +
                    "\r\n";
            ASSERT_EQ(Text, Expected) << Width << " x " << Height;
            std::string Bare = Text;
            std::erase(Bare, '\r');
            Bare.pop_back();
            for (const std::string& Form : {Text, Bare})
                ASSERT_EQ(Parsed(Form), Parsed(Text)) << Width << " x " << Height << " from:\n" << Form;
            ASSERT_EQ(ParseBlockText(Text).Block, Block) << Width << " x " << Height;
        }
}

TEST(BlockText, OfTheWholeFieldIsTheSavedLevelsRows)
{
    TLevelData Level = FilledLevel("");
    Level.TrailerText.clear();
    EXPECT_EQ(BlockText(CopyBlock(Level.Cells, FieldRect)), FormatLevel(Level));
}

TEST(Blocks, SizesNoFieldHoldsAreRefused)
{
    for (const auto& [Width, Height] : {std::pair{0, 1}, {21, 1}, {1, 0}, {1, 11}})
        EXPECT_THROW(TBlock(Width, Height), std::invalid_argument) << Width << " x " << Height;
    EXPECT_THROW(CopyBlock({}, {20, 0, 3, 3}), std::invalid_argument);
}

} // namespace
