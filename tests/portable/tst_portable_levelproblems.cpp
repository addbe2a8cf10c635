// Which bricks a ball can reach and which power-ups can be released, over field maps: vaults, walls across
// the field with and without gaps, corner-to-corner walls, the space above row 0, full and empty fields.

#include "elementkinds.h"
#include "levelproblems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// One row of a case: the field's 20 cells, a space, then the problem marks of the same 20 cells.
//   field: '.' empty, '#' fixed, '1'-'9' breakable, '*' a brick 1 with a power-up, '+' a fixed brick with a
//          power-up, '~' an empty cell with a power-up
//   marks: '.' none, 'u' brick can't be reached, 'p' nor can its power-up, 'f' power-up on a fixed brick,
//          'e' power-up on an empty cell
// An empty string, or a row not given, is an empty row without marks.
struct TProblemCase {
    const char* Name;
    std::vector<std::string> Rows;
    std::vector<std::string> Texts;
};

std::ostream& operator<<(std::ostream& Out, const TProblemCase& Case)
{
    return Out << Case.Name;
}

TLevelData FieldOf(const std::vector<std::string>& Rows)
{
    TLevelData Level;
    Level.Loaded = 1;
    for (std::size_t Row = 0; Row < Rows.size(); ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const char Ch = Rows[Row][static_cast<std::size_t>(Column)];
            TLevelCell& Cell = Level.Cells[Column][Row];
            Cell.Brick = Ch == '#' || Ch == '+' ? FixedBrickCode
                : Ch == '*'                     ? 1
                : Ch >= '1' && Ch <= '9'        ? Ch - '0'
                                                : 0;
            Cell.PowerUp = Ch == '*' || Ch == '+' || Ch == '~' ? 2 : 0;
        }
    return Level;
}

// The marks and texts the problems give, with a line for any problem whose cells are out of reading order.
std::pair<std::vector<std::string>, std::vector<std::string>> Seen(const std::vector<TLevelProblem>& Problems)
{
    std::vector<std::string> Marks(LevelRows, std::string(LevelColumns, '.'));
    std::vector<std::string> Texts;
    for (const TLevelProblem& Problem : Problems) {
        Texts.push_back(Problem.Text);
        const auto ReadingOrder = [](TCellPos A, TCellPos B) {
            return std::pair(A.Row, A.Column) < std::pair(B.Row, B.Column);
        };
        if (!std::is_sorted(Problem.Cells.begin(), Problem.Cells.end(), ReadingOrder))
            Texts.push_back("cells out of reading order");
        for (const TCellPos Cell : Problem.Cells) {
            char& Mark = Marks[static_cast<std::size_t>(Cell.Row)][static_cast<std::size_t>(Cell.Column)];
            const char Own = "u?fep"[static_cast<int>(Problem.Kind)];
            Mark = Mark == '.' ? Own : Mark == 'u' && Own == 'p' ? 'p' : '!';
        }
    }
    return {Marks, Texts};
}

class Reachability : public testing::TestWithParam<TProblemCase> {};

TEST_P(Reachability, FindsTheCellsNoBallCanReach)
{
    const TProblemCase& Case = GetParam();
    std::vector<std::string> Field;
    std::vector<std::string> Marks(LevelRows, std::string(LevelColumns, '.'));
    for (std::size_t Row = 0; Row < Case.Rows.size(); ++Row) {
        if (Case.Rows[Row].empty()) {
            Field.push_back(std::string(LevelColumns, '.'));
            continue;
        }
        ASSERT_EQ(Case.Rows[Row].size(), 2 * LevelColumns + 1) << "row " << Row;
        Field.push_back(Case.Rows[Row].substr(0, LevelColumns));
        Marks[Row] = Case.Rows[Row].substr(LevelColumns + 1);
    }
    EXPECT_EQ(Seen(LevelProblems(FieldOf(Field))), std::pair(Marks, Case.Texts));
}

const char* const NothingToBreak = "nothing to break: the level has no breakable brick";

std::vector<std::string> Filled(char Ch)
{
    return std::vector<std::string>(LevelRows, std::string(LevelColumns, Ch) + " " + std::string(LevelColumns, '.'));
}

INSTANTIATE_TEST_SUITE_P(
    Level, Reachability,
    testing::Values(
        TProblemCase{"Empty", {}, {NothingToBreak}}, TProblemCase{"FullOfBreakableBricks", Filled('9'), {}},
        TProblemCase{"FullOfFixedBricks", Filled('#'), {NothingToBreak}},
        TProblemCase{"VaultInTheMiddle",
                     {"..........1......... ....................", "........####........ ....................",
                      "........#1*#........ .........up.........", "........####........ ....................",
                      "1.................1. ...................."},
                     {"2 bricks can't be reached", "1 power-up in a brick that can't be reached is never released"}},
        TProblemCase{"WallAcrossTheField",
                     {"1.........2.......3. u.........u.......u.", "#########+########## .........f..........",
                      "..........4......... ...................."},
                     {"3 bricks can't be reached", "1 power-up on a fixed brick is never released"}},
        TProblemCase{"WallWithAGapAtTheLeftEdge",
                     {"1.........2.......3. ....................", ".################### ....................",
                      "..........4......... ...................."},
                     {}},
        TProblemCase{"WallWithAGapAtTheRightEdge",
                     {"1.........2.......3. ....................", "###################. ....................",
                      "..........4......... ...................."},
                     {}},
        TProblemCase{"WallWithAGapInTheMiddle",
                     {"1.........2.......3. ....................", "#########.########## ....................",
                      "..........4......... ...................."},
                     {}},
        TProblemCase{"BottomRowSealed",
                     {"1.~................. u.e.................", "", "", "", "", "", "", "", "",
                      "#################### ...................."},
                     {"1 brick can't be reached", "1 power-up on an empty cell is never released"}},
        TProblemCase{"CornerToCornerWall",
                     {"1.................3* u.................up", "", ".#.#.#.#.#.#.#.#.#.# ....................",
                      "#.#.#.#.#.#.#.#.#.#. ....................", "..........2......... ...................."},
                     {"3 bricks can't be reached", "1 power-up in a brick that can't be reached is never released"}},
        TProblemCase{"CornerToCornerStairsOpenAtRowZero",
                     {"11#................. ....................", "1#.................. ....................",
                      "#................... ...................."},
                     {}},
        TProblemCase{"CornerToCornerStairsSealedAtRowZero",
                     {"11################## uu..................", "1#.................. u...................",
                      "#................... ...................."},
                     {"3 bricks can't be reached"}},
        TProblemCase{"CupOpenOnlyToTheSpaceAbove",
                     {"..#...#............. ....................", "..#123#............. ....................",
                      "..#####............. ...................."},
                     {}},
        TProblemCase{"CupBehindASealedTopRow",
                     {"###...############## ....................", "..#123#............. ...uuu..............",
                      "..#####............. ...................."},
                     {"3 bricks can't be reached"}},
        TProblemCase{
            "PowerUpsNeverReleased",
            {"+...........~....... f...........e.......", "..........*......... ....................",
             "..................+~ ..................fe"},
            {"2 power-ups on fixed bricks are never released", "2 power-ups on empty cells are never released"}}),
    [](const testing::TestParamInfo<TProblemCase>& Info) { return std::string(Info.param.Name); });

} // namespace
