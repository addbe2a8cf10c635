#include "autoplay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "gamerandom.h"
#include "gamerules.h"

using namespace GameRules;

namespace {

// How far from the paddle's centre the ball may be and still touch it.
constexpr double Reach = PaddleWidth / 2 + BallRadius;
// Where the ball's centre is when it first touches the paddle.
constexpr double ContactY = PaddleTop - BallRadius;
// Short of the paddle's full angle, so that the ball never comes off its very end.
constexpr double MaxAimDegrees = 55;
// One bounce in this many goes off at random rather than at a brick: a straight line to a brick behind fixed
// bricks only meets the fixed bricks, while bounces off the walls find a way round them.
constexpr std::uint64_t RandomAimOneIn = 4;
// After this long without a brick broken, each bounce is chosen by trying headings on copies of the game.
constexpr std::uint64_t StuckSteps = 5 * StepsPerSecond;
constexpr int TrialHeadings = 12;
constexpr int TrialSteps = 4 * StepsPerSecond;
// Trying never takes more than this many steps of trial per step of play, so a level that keeps the paddle
// trying still plays its ten minutes in well under a second.
constexpr std::uint64_t TrialStepsPerStep = 4;

// Where a ball moving along x from X would be, bouncing off the side walls.
double ReflectedX(double X)
{
    const double Low = BallRadius;
    const double Span = FieldWidth - 2 * BallRadius;
    double Folded = std::fmod(X - Low, 2 * Span);
    if (Folded < 0)
        Folded += 2 * Span;
    return Low + (Folded <= Span ? Folded : 2 * Span - Folded);
}

} // namespace

double TAutoplayResult::Seconds() const
{
    return static_cast<double>(Steps) / StepsPerSecond;
}

TAutoplay::TAutoplay(const TLevelData& Level, std::uint64_t Seed) :
    FGame(Level, Seed),
    FReachable(ReachableCells(Level.Cells)),
    FAimRandom(Seed ^ 0x5DEECE66DULL)
{
}

TAutoplayMove TAutoplay::Step()
{
    const TGameState& State = FGame.State();
    TAutoplayMove Move{State.PaddleX, {}};
    if (State.Phase == TGamePhase::Ready) {
        Move.Input.Launch = true;
    } else if (State.Phase == TGamePhase::Playing) {
        Move.PaddleX = PaddleTarget();
        Move.Input.Launch = State.ShotsLoaded > 0 && ShotWouldBreakABrick(Move.PaddleX);
        FCapsulesMissed += CapsulesFallingOut();
    }
    const int Lives = State.Lives;
    const int BricksLeft = State.BreakableLeft;
    FGame.PlacePaddle(Move.PaddleX);
    FGame.Step(Move.Input);
    FLivesLost += Lives - FGame.State().Lives;
    if (FGame.State().BreakableLeft != BricksLeft)
        FLastBreakStep = FGame.State().Steps;
    return Move;
}

bool TAutoplay::Over() const
{
    return FGame.State().Phase == TGamePhase::Won || FGame.State().Phase == TGamePhase::Lost;
}

TAutoplayResult TAutoplay::Result() const
{
    const TGameState& State = FGame.State();
    return {State.Phase == TGamePhase::Won, State.Steps, State.BreakableLeft, FLivesLost, FCapsulesMissed};
}

// Under the ball that reaches the paddle within this step, aimed; otherwise under the capsule that would
// leave the paddle's height first; otherwise where the next ball will come down.
double TAutoplay::PaddleTarget()
{
    const TGameState& State = FGame.State();
    const TBall* Next = nullptr;
    double NextTime = 0;
    for (const TBall& Ball : State.Balls) {
        // A ball below the paddle's middle is lost whatever the paddle does.
        if (Ball.VY <= 0 || Ball.Y > PaddleTop + PaddleHeight / 2)
            continue;
        const double Time = (ContactY - Ball.Y) / Ball.VY;
        if (!Next || Time < NextTime) {
            Next = &Ball;
            NextTime = Time;
        }
    }
    if (Next && NextTime <= StepSeconds)
        return AimedPaddleX(*Next, NextTime);
    const TCapsule* Lowest = nullptr;
    for (const TCapsule& Capsule : State.Capsules) {
        const double Top = Capsule.Y + CapsuleSpeed * StepSeconds - CapsuleHeight / 2;
        if (Top + CapsuleHeight > PaddleTop && Top < PaddleTop + PaddleHeight && (!Lowest || Capsule.Y > Lowest->Y))
            Lowest = &Capsule;
    }
    if (Lowest)
        return Lowest->X;
    return Next ? ReflectedX(Next->X + Next->VX * NextTime) : State.PaddleX;
}

// The paddle's place that sends the ball off at the aimed heading: the game turns the ball by the offset
// between them.
double TAutoplay::AimedPaddleX(const TBall& Ball, double TimeToPaddle)
{
    const double ContactX = ReflectedX(Ball.X + Ball.VX * std::max(0.0, TimeToPaddle));
    return ContactX - AimHeadingDegrees(ContactX) / PaddleMaxAngleDegrees * Reach;
}

// The heading, of a fan of them, whose copy of the game breaks a brick soonest with the paddle left where
// it is; a random one when none does.
double TAutoplay::TriedHeadingDegrees(double ContactX)
{
    TGameRandom Random(FAimRandom);
    const double Shift = Random.Between(0, 1);
    double Best = Random.Between(-MaxAimDegrees, MaxAimDegrees);
    int BestSteps = TrialSteps;
    for (int Index = 0; Index < TrialHeadings; ++Index) {
        const double Heading = -MaxAimDegrees + (Index + Shift) * 2 * MaxAimDegrees / TrialHeadings;
        TGame Trial = FGame;
        Trial.PlacePaddle(ContactX - Heading / PaddleMaxAngleDegrees * Reach);
        const int Left = Trial.State().BreakableLeft;
        for (int Steps = 0; Steps < BestSteps; ++Steps) {
            Trial.Step({});
            ++FTrialSteps;
            if (Trial.State().BreakableLeft != Left) {
                Best = Heading;
                BestSteps = Steps;
            }
            if (Trial.State().BreakableLeft != Left || Trial.State().Phase != TGamePhase::Playing)
                break;
        }
    }
    return Best;
}

// Degrees from straight up: towards a brick a ball can reach, picked at random, or at random; once no brick
// has broken for a while, the heading found by trying.
double TAutoplay::AimHeadingDegrees(double FromX)
{
    TGameRandom Random(FAimRandom);
    const TBrickField& Bricks = FGame.State().Bricks;
    std::array<TCellPos, LevelColumns * LevelRows> Targets;
    std::size_t Count = 0;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row)
            if (Bricks[Column][Row].Breakable() && FReachable[Column][Row])
                Targets[Count++] = {Column, Row};
    const std::uint64_t Steps = FGame.State().Steps;
    if (Count > 0 && Steps - FLastBreakStep > StuckSteps && FTrialSteps <= TrialStepsPerStep * Steps)
        return TriedHeadingDegrees(FromX);
    if (Count == 0 || Random.Next() % RandomAimOneIn == 0)
        return Random.Between(-MaxAimDegrees, MaxAimDegrees);
    const TCellPos Target = Targets[Random.Next() % Count];
    const TGameRect Rect = TGame::BrickRect(Target.Column, Target.Row);
    const double Across = Rect.Left + Rect.Width / 2 - FromX;
    const double Up = ContactY - (Rect.Top + Rect.Height / 2);
    return std::clamp(std::atan2(Across, Up) * 180 / std::numbers::pi, -MaxAimDegrees, MaxAimDegrees);
}

// Whether the lowest brick above the paddle's centre breaks; a shot at a fixed brick is wasted.
bool TAutoplay::ShotWouldBreakABrick(double PaddleX) const
{
    const int Column = static_cast<int>(std::floor((PaddleX - BricksLeft) / CellPitchX));
    if (Column < 0 || Column >= LevelColumns)
        return false;
    for (int Row = LevelRows - 1; Row >= 0; --Row) {
        const TBrick& Brick = FGame.State().Bricks[Column][Row];
        if (Brick.Present())
            return Brick.Breakable();
    }
    return false;
}

// Capsules that leave the field in the coming step: far below the paddle, so nothing can catch them.
int TAutoplay::CapsulesFallingOut() const
{
    const std::vector<TCapsule>& Capsules = FGame.State().Capsules;
    return static_cast<int>(std::count_if(Capsules.begin(), Capsules.end(), [](const TCapsule& Capsule) {
        return Capsule.Y + CapsuleSpeed * StepSeconds - CapsuleHeight / 2 > FieldHeight;
    }));
}

TAutoplayResult Autoplay(const TLevelData& Level, double Seconds, std::uint64_t Seed)
{
    TAutoplay Play(Level, Seed);
    const auto Bound = static_cast<std::uint64_t>(std::llround(std::max(0.0, Seconds) * StepsPerSecond));
    while (!Play.Over() && Play.Game().State().Steps < Bound)
        Play.Step();
    return Play.Result();
}
