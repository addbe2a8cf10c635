// Figures for telling whether a level can be played, each beside its floor measured in the same run:
//  - LevelProblems on a full field, with no problem and with the most there can be, beside one plain pass
//    over the field's cells;
//  - a play of 600 s of game time with the perfect paddle: the wall time and steps per second, beside the
//    same steps replayed on a bare game, which is one bare game step each.
// Run from a Release build. Not a test: it only prints.
#include "autoplay.h"
#include "benchsupport.h"
#include "elementkinds.h"
#include "gamerules.h"
#include "levelproblems.h"

#include <string>

namespace {

TLevelData FilledField(std::uint8_t Brick, std::uint8_t PowerUp)
{
    TLevelData Level;
    Level.Loaded = 1;
    for (TLevelColumn& Column : Level.Cells)
        for (TLevelCell& Cell : Column)
            Cell = {Brick, PowerUp};
    return Level;
}

// Every brick walled off from below, each with a power-up: a problem on every cell.
TLevelData SealedField()
{
    TLevelData Level = FilledField(5, 2);
    for (TLevelColumn& Column : Level.Cells)
        Column[LevelRows - 1].Brick = FixedBrickCode;
    return Level;
}

// Three-hit bricks everywhere around a vault of two: never cleared, so the play lasts the whole 600 s.
TLevelData DenseFieldAroundAVault()
{
    TLevelData Level = FilledField(9, 0);
    for (int Column = 8; Column <= 11; ++Column)
        for (int Row = 2; Row <= 4; ++Row)
            Level.Cells[Column][Row].Brick = Row == 3 && Column > 8 && Column < 11 ? 1 : FixedBrickCode;
    Level.Cells[3][5].PowerUp = 2;
    Level.Cells[15][6].PowerUp = 2;
    return Level;
}

// One brick at the end of a winding corridor between fixed bricks: a ball can reach it, but hardly ever
// does, so the paddle keeps trying headings on copies of the game for the whole play.
TLevelData BrickAtTheEndOfAMaze()
{
    TLevelData Level = FilledField(FixedBrickCode, 0);
    for (int Row = LevelRows - 1; Row >= 1; --Row)
        Level.Cells[Row % 4 < 2 ? 3 : 16][Row] = {};
    for (int Row = 1; Row < LevelRows; Row += 2)
        for (int Column = 3; Column <= 16; ++Column)
            Level.Cells[Column][Row] = {};
    Level.Cells[10][0] = {1, 0};
    return Level;
}

double MicrosPerCall(int Calls, const std::function<std::size_t()>& Call)
{
    std::size_t Sink = 0;
    const double Best = BestMilliseconds(7, [&] {
        for (int Count = 0; Count < Calls; ++Count)
            Sink += Call();
    });
    if (Sink == 1)
        std::printf(" ");
    return Best * 1000 / Calls;
}

void ReportProblems(const char* Title, const TLevelData& Level)
{
    const std::size_t Problems = LevelProblems(Level).size();
    const double Problem = MicrosPerCall(20000, [&] { return LevelProblems(Level).size(); });
    const double Floor = MicrosPerCall(20000, [&] {
        std::size_t Breakable = 0;
        for (const TLevelColumn& Column : Level.Cells)
            for (const TLevelCell& Cell : Column)
                Breakable += IsBreakableBrick(Cell.Brick) + (Cell.PowerUp != 0);
        return Breakable;
    });
    std::printf(
        "LevelProblems, %-38s %7.2f us (%zu problems)   floor, one pass over the cells %6.3f us   goal < 20 us\n",
        Title, Problem, Problems, Floor);
}

void ReportPlay(const char* Title, const TLevelData& Level)
{
    constexpr std::uint64_t Bound = 600 * GameRules::StepsPerSecond;
    std::vector<TAutoplayMove> Moves;
    Moves.reserve(Bound);
    TAutoplayResult Result;
    const double Play = BestMilliseconds(3, [&] {
        Moves.clear();
        TAutoplay Autoplay(Level, 1);
        while (!Autoplay.Over() && Autoplay.Game().State().Steps < Bound)
            Moves.push_back(Autoplay.Step());
        Result = Autoplay.Result();
    });
    const double Bare = BestMilliseconds(3, [&] {
        TGame Game(Level, 1);
        for (const TAutoplayMove& Move : Moves) {
            Game.PlacePaddle(Move.PaddleX);
            Game.Step(Move.Input);
        }
    });
    const double Steps = static_cast<double>(Result.Steps);
    std::printf("play, %-40s %7.1f ms for %.0f s of play, %9.0f steps/s, %6.3f us a step   floor, one bare game "
                "step %6.3f us   goal < 1000 ms (%s after %.0f s)\n",
                Title, Play, Result.Seconds(), Steps / Play * 1000, Play * 1000 / Steps, Bare * 1000 / Steps,
                Result.Cleared ? "cleared" : "not cleared", Result.Seconds());
}

} // namespace

int main()
{
    ReportProblems("full field of bricks, none", FilledField(5, 0));
    ReportProblems("full field sealed, every cell a problem", SealedField());
    ReportPlay("dense field around a vault", DenseFieldAroundAVault());
    ReportPlay("a brick at the end of a maze", BrickAtTheEndOfAMaze());
    return 0;
}
