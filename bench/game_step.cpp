// How long the game's rules take per 60 Hz frame on the densest level: every cell a 3-hit brick, several
// balls in play, the paddle following them. Run from a Release build.
#include <chrono>
#include <cstdio>

#include "game.h"
#include "gamerules.h"

namespace {

constexpr int BallsInPlay = 6;

TLevelData DensestLevel()
{
    TLevelData Level;
    Level.Loaded = 1;
    for (auto& Column : Level.Cells)
        for (TLevelCell& Cell : Column)
            Cell = TLevelCell{9, 0};
    return Level;
}

struct TFigures {
    long long Steps = 0;
    long long Restarts = 0;
    double Seconds = 0;
    double BallsOnAverage = 0;
};

TFigures Measure(int SpeedUps, long long Steps)
{
    const TLevelData Level = DensestLevel();
    TGame Game(Level, 1);
    TFigures Figures;
    double BallSum = 0;
    const auto Start = std::chrono::steady_clock::now();
    for (long long Count = 0; Count < Steps; ++Count) {
        const TGameState& State = Game.State();
        if (State.Phase == TGamePhase::Won || State.Phase == TGamePhase::Lost) {
            Game = TGame(Level, static_cast<std::uint64_t>(Count));
            ++Figures.Restarts;
        }
        TGameInput Input;
        Input.Launch = Game.State().Phase == TGamePhase::Ready;
        if (Game.State().Phase == TGamePhase::Playing && static_cast<int>(Game.State().Balls.size()) < BallsInPlay) {
            Game.ApplyPowerUp(PowerUpExtraBall);
            for (int Faster = 0; Faster < SpeedUps; ++Faster)
                Game.ApplyPowerUp(PowerUpFasterSpeed);
        }
        const TBall* Lowest = nullptr;
        for (const TBall& Ball : Game.State().Balls)
            if (Ball.VY > 0 && (!Lowest || Ball.Y > Lowest->Y))
                Lowest = &Ball;
        if (Lowest)
            Input.PaddleTarget = Lowest->X + (Count / 700 % 3 - 1) * 20.0;
        Game.Step(Input);
        BallSum += static_cast<double>(Game.State().Balls.size());
    }
    Figures.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    Figures.Steps = Steps;
    Figures.BallsOnAverage = BallSum / static_cast<double>(Steps);
    return Figures;
}

void Report(const char* Title, const TFigures& Figures)
{
    const double StepsPerFrame = GameRules::StepsPerSecond / 60.0;
    const double MicrosPerFrame = Figures.Seconds / static_cast<double>(Figures.Steps) * StepsPerFrame * 1e6;
    std::printf("%-28s %10.0f steps/s  %7.2f us per 60 Hz frame  %6.3f%% of 16.7 ms  (%.1f balls on average, "
                "%lld restarts)\n",
                Title, static_cast<double>(Figures.Steps) / Figures.Seconds, MicrosPerFrame,
                MicrosPerFrame / (1e6 / 60.0) * 100, Figures.BallsOnAverage, Figures.Restarts);
}

} // namespace

int main()
{
    constexpr long long Steps = 600LL * GameRules::StepsPerSecond; // ten minutes of play
    Report("base speed", Measure(0, Steps));
    Report("fastest balls", Measure(3, Steps));
    std::printf("goal: under 1%% of a 16.7 ms frame (about 170 us)\n");
    return 0;
}
