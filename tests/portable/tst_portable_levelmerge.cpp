// Levels compared and merged cell by cell from their files' bytes: changes on one side, alike and
// different changes on both, LF and damaged files read as the editor reads them, a base with missing rows
// or none at all, and the trailer as one value.

#include "levelfile.h"
#include "levelmerge.h"
#include "portabletools.h"

#include <gtest/gtest.h>

#include <utility>

using namespace PortableTools;

namespace {

// A 40-character row with the given cells painted in the file's characters, e.g. Row({{2, "1S"}}).
std::string Row(std::initializer_list<std::pair<int, const char*>> Cells)
{
    std::string Text(2 * LevelColumns, '.');
    for (const auto& [Column, Chars] : Cells)
        Text.replace(static_cast<std::size_t>(2 * Column), 2, Chars);
    return Text;
}

// Level file bytes: Rows from the top, any rows not given empty, then the trailer when there is one.
std::string File(std::vector<std::string> Rows, const std::string& Trailer = "", const std::string& End = "\r\n")
{
    Rows.resize(LevelRows, Row({}));
    std::string Text;
    for (const std::string& Line : Rows)
        Text += Line + End;
    return Trailer.empty() ? Text : Text + ":" + End + Trailer + End;
}

TLevelData Read(const std::string& Bytes)
{
    TLevelData Level;
    ParseLevelText(Bytes, Level);
    return Level;
}

std::string Shown(int Column, int Row)
{
    return std::to_string(Column) + "," + std::to_string(Row) + ": ";
}

struct TMergeCase {
    const char* Name;
    std::string Base;
    std::string Ours;
    std::string Theirs;
    std::string Merged; // the result as file bytes
    std::vector<std::string> Conflicts = {}; // "column,row: base B | ours O | theirs T"
    std::string TrailerConflict = {}; // "base B | ours O | theirs T"
};

std::ostream& operator<<(std::ostream& Out, const TMergeCase& Case)
{
    return Out << Case.Name;
}

class Merge : public testing::TestWithParam<TMergeCase> {};

TEST_P(Merge, TakesEachSidesChangesAndNamesTheCellsBothChanged)
{
    const TMergeCase& Case = GetParam();
    const TLevelMerge Result = MergeLevels(Read(Case.Base), Read(Case.Ours), Read(Case.Theirs));
    TLevelData Expected;
    ClearLevel(Expected);
    ParseLevelText(Case.Merged, Expected);
    EXPECT_EQ(Result.Level, Expected);

    std::vector<std::string> Conflicts;
    for (const TCellConflict& Conflict : Result.Conflicts)
        Conflicts.push_back(Shown(Conflict.Column, Conflict.Row) + "base " + CellText(Conflict.Base) + " | ours " +
                            CellText(Conflict.Ours) + " | theirs " + CellText(Conflict.Theirs));
    EXPECT_EQ(Conflicts, Case.Conflicts);
    const std::optional<TTrailerConflict>& Trailer = Result.TrailerConflict;
    EXPECT_EQ(Trailer ? "base " + Trailer->Base + " | ours " + Trailer->Ours + " | theirs " + Trailer->Theirs : "",
              Case.TrailerConflict);
    EXPECT_EQ(Result.Clean(), Case.Conflicts.empty() && Case.TrailerConflict.empty());
}

const std::string Castle = File({Row({{3, "2W"}})}, "Castle");

const TMergeCase MergeCases[] = {
    {"OursAloneChangesACell", Castle, File({Row({{3, "2W"}, {4, "1."}})}, "Castle"), Castle,
     File({Row({{3, "2W"}, {4, "1."}})}, "Castle")},
    {"TheirsAloneErasesACell", Castle, Castle, File({}, "Castle"), File({}, "Castle")},
    {"BothPaintDifferentCellsOfOneRow", File({}), File({Row({{2, "1S"}})}), File({Row({{17, "#."}})}),
     File({Row({{2, "1S"}, {17, "#."}})})},
    {"BothMakeTheSameChange", Castle, File({Row({{3, "5E"}})}, "Keep"), File({Row({{3, "5E"}})}, "Keep"),
     File({Row({{3, "5E"}})}, "Keep")},
    {"BothPaintCellsDifferentlyKeepsOursRowByRow",
     File({}),
     File({Row({{19, "1."}}), Row({{5, "4."}, {6, "1."}})}),
     File({Row({{19, "2."}}), Row({{5, "9."}}), Row({{5, "3."}})}),
     File({Row({{19, "1."}}), Row({{5, "4."}, {6, "1."}}), Row({{5, "3."}})}),
     {"19,0: base empty | ours Brick 1, 1 Hit | theirs Brick 2, 1 Hit",
      "5,1: base empty | ours Brick 1, 2 Hits | theirs Brick 3, 3 Hits"}},
    {"ErasedOnOneSideRepaintedOnTheOther",
     Castle,
     File({}, "Castle"),
     File({Row({{3, "2L"}})}, "Castle"),
     File({}, "Castle"),
     {"3,0: base Brick 2, 1 Hit, PowerUp - Wall | ours empty | theirs Brick 2, 1 Hit, PowerUp - Lower Speed"}},
    {"BrickAndPowerUpOfACellAreOneValue",
     Castle,
     File({Row({{3, "7W"}})}, "Castle"),
     File({Row({{3, "2."}})}, "Castle"),
     File({Row({{3, "7W"}})}, "Castle"),
     {"3,0: base Brick 2, 1 Hit, PowerUp - Wall | ours Brick 1, 3 Hits, PowerUp - Wall | theirs Brick 2, 1 Hit"}},
    {"LfLineEndsAreNoChange", Castle, File({Row({{3, "2W"}})}, "Castle", "\n"),
     File({Row({{3, "2W"}, {11, "6."}})}, "Castle"), File({Row({{3, "2W"}, {11, "6."}})}, "Castle")},
    {"LfSidesMergeLikeCrLfOnes", File({}), File({Row({{2, "1S"}})}, "", "\n"), File({Row({{17, "#."}})}, "Keep", "\n"),
     File({Row({{2, "1S"}, {17, "#."}})}, "Keep")},
    // An unknown character reads as nothing, a short row as empty cells, a long row up to its 40th
    // character, and lines between the rows and the trailer marker not at all.
    {"DamagedSidesReadAsTheEditorReadsThem", File({Row({{4, "3."}})}),
     File({Row({{4, "3."}, {6, "x."}}) + "9S9S", "1."}, "", "\n"),
     "3.......2.\r\n1.\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\njunk\r\n:\r\nCastle",
     File({Row({{0, "3."}, {4, "2."}}), Row({{0, "1."}})}, "Castle")},
    {"MissingBaseRowsAreEmptyCells",
     "1.\r\n\r\n",
     File({Row({{0, "1."}}), "", "", "", "", Row({{7, "8."}})}),
     File({Row({{0, "1."}}), "", "", "", "", Row({{7, "#."}})}),
     File({Row({{0, "1."}}), "", "", "", "", Row({{7, "8."}})}),
     {"7,5: base empty | ours Brick 2, 3 Hits | theirs Brick Fixed"}},
    {"NoBaseAtAllAsForAddedOnBothSides",
     "",
     File({Row({{0, "1."}, {1, "2."}})}, "Mine"),
     File({Row({{0, "1."}, {2, "3."}})}, "Yours"),
     File({Row({{0, "1."}, {1, "2."}, {2, "3."}})}, "Mine"),
     {},
     "base  | ours Mine | theirs Yours"},
    {"TrailerRemovedOnOneSide", Castle, File({Row({{3, "2W"}})}), Castle, File({Row({{3, "2W"}})})},
    {"TrailerChangedDifferentlyKeepsOurs",
     File({}, "Old"),
     File({}, "Mine"),
     File({Row({{1, "1."}})}, "Yours"),
     File({Row({{1, "1."}})}, "Mine"),
     {},
     "base Old | ours Mine | theirs Yours"},
};

INSTANTIATE_TEST_SUITE_P(Level, Merge, testing::ValuesIn(MergeCases),
                         [](const testing::TestParamInfo<TMergeCase>& Info) { return std::string(Info.param.Name); });

struct TDiffCase {
    const char* Name;
    std::string Old;
    std::string New;
    std::vector<std::string> Cells; // "column,row: OLD -> NEW"
    bool TrailerChanged = false;
};

std::ostream& operator<<(std::ostream& Out, const TDiffCase& Case)
{
    return Out << Case.Name;
}

class Diff : public testing::TestWithParam<TDiffCase> {};

TEST_P(Diff, ListsTheCellsThatReadDifferently)
{
    const TDiffCase& Case = GetParam();
    const TLevelDiff Result = DiffLevels(Read(Case.Old), Read(Case.New));
    std::vector<std::string> Cells;
    for (const TCellChange& Change : Result.Cells)
        Cells.push_back(Shown(Change.Column, Change.Row) + CellText(Change.Old) + " -> " + CellText(Change.New));
    EXPECT_EQ(Cells, Case.Cells);
    EXPECT_EQ(Result.TrailerChanged, Case.TrailerChanged);
    EXPECT_EQ(Result.Empty(), Case.Cells.empty() && !Case.TrailerChanged);
}

const TDiffCase DiffCases[] = {
    {"SameFile", Castle, Castle, {}},
    {"LfTwinOfACrLfFile", Castle, File({Row({{3, "2W"}})}, "Castle", "\n"), {}},
    {"UnknownCharactersReadAsEmpty", File({Row({{4, "3."}})}), File({Row({{4, "3?"}, {5, "x."}})}, "", "\n"), {}},
    {"CellsComeRowByRow",
     File({}),
     File({Row({{17, "#."}, {2, "1S"}}), "", "", Row({{0, ".W"}})}),
     {"2,0: empty -> Brick 1, 1 Hit, PowerUp - Single Shot", "17,0: empty -> Brick Fixed",
      "0,3: empty -> no brick, PowerUp - Wall"}},
    {"BrickOrPowerUpAloneChanges",
     File({Row({{3, "2W"}, {10, "#."}})}),
     File({Row({{3, "2."}, {10, "#L"}})}),
     {"3,0: Brick 2, 1 Hit, PowerUp - Wall -> Brick 2, 1 Hit",
      "10,0: Brick Fixed -> Brick Fixed, PowerUp - Lower Speed"}},
    {"TrailerAlone", File({}, "Castle"), File({}, "Castle "), {}, true},
    {"TrailerDropped", Castle, File({Row({{3, "2W"}})}), {}, true},
};

INSTANTIATE_TEST_SUITE_P(Level, Diff, testing::ValuesIn(DiffCases),
                         [](const testing::TestParamInfo<TDiffCase>& Info) { return std::string(Info.param.Name); });

// Codes that no file gives, but a record can hold.
TEST(CellText, NamesCodesNoKindHasByNumber)
{
    const std::vector<std::pair<TLevelCell, std::string>> Cases = {
        {{11, 0}, "brick 11"}, {{1, 7}, "Brick 1, 1 Hit, power-up 7"}, {{0, 200}, "no brick, power-up 200"}};
    for (const auto& [Cell, Text] : Cases)
        EXPECT_EQ(CellText(Cell), Text) << int(Cell.Brick) << "/" << int(Cell.PowerUp);
}

} // namespace
