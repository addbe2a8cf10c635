#include "game.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "elementkinds.h"
#include "gamerandom.h"
#include "gamerules.h"

using namespace GameRules;

namespace {

constexpr double Radians(double Degrees)
{
    return Degrees * std::numbers::pi / 180;
}

double SignOf(double Value)
{
    return Value < 0 ? -1 : 1;
}

int CellIndex(double Position, double Origin, double Pitch)
{
    return static_cast<int>(std::floor((Position - Origin) / Pitch));
}

} // namespace

TGame::TGame(const TLevelData& Level, std::uint64_t Seed)
{
    FState.RandomState = Seed;
    FState.Lives = StartLives;
    for (int Column = 0; Column < LevelColumns; ++Column) {
        for (int Row = 0; Row < LevelRows; ++Row) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            TBrick& Brick = FState.Bricks[Column][Row];
            // A record filled by hand may hold codes the file reader never produces; they count as empty.
            if (Cell.Brick < 1 || Cell.Brick > BrickFixed)
                continue;
            Brick.Code = Cell.Brick;
            Brick.HitsLeft = static_cast<std::uint8_t>(HitsForBrick(Cell.Brick));
            if (Cell.PowerUp >= PowerUpSingleShot && Cell.PowerUp <= PowerUpWall)
                Brick.PowerUp = Cell.PowerUp;
            if (Brick.Breakable())
                ++FState.BreakableLeft;
        }
    }
    FState.PaddleX = FieldWidth / 2;
    ResetForNewBall();
    if (FState.BreakableLeft == 0)
        FState.Phase = TGamePhase::Won;
}

int TGame::HitsForBrick(int Code)
{
    return Code >= 0 && Code <= 255 ? BrickHits(static_cast<std::uint8_t>(Code)) : 0;
}

TGameRect TGame::BrickRect(int Column, int Row)
{
    return {BricksLeft + Column * CellPitchX, BricksTop + Row * CellPitchY, BrickWidth, BrickHeight};
}

TGameRect TGame::PaddleRect(double PaddleX)
{
    return {PaddleX - PaddleWidth / 2, PaddleTop, PaddleWidth, PaddleHeight};
}

TGameRect TGame::BallRect(const TBall& Ball)
{
    return {Ball.X - BallRadius, Ball.Y - BallRadius, 2 * BallRadius, 2 * BallRadius};
}

TGameRect TGame::CapsuleRect(const TCapsule& Capsule)
{
    return {Capsule.X - CapsuleWidth / 2, Capsule.Y - CapsuleHeight / 2, CapsuleWidth, CapsuleHeight};
}

TGameRect TGame::ShotRect(const TShot& Shot)
{
    return {Shot.X - ShotWidth / 2, Shot.Y, ShotWidth, ShotHeight};
}

void TGame::Step(const TGameInput& Input)
{
    if (FState.Phase == TGamePhase::Won || FState.Phase == TGamePhase::Lost)
        return;
    if (Input.TogglePause)
        FState.Paused = !FState.Paused;
    if (FState.Paused)
        return;
    ++FState.Steps;
    MovePaddle(Input);
    if (FState.Phase == TGamePhase::Ready) {
        FState.Balls.front().X = FState.PaddleX;
        if (Input.Launch)
            Launch();
        return;
    }
    if (Input.Launch)
        FireShot();
    if (FState.IronStepsLeft > 0)
        --FState.IronStepsLeft;
    MoveBalls();
    if (FState.Phase == TGamePhase::Playing)
        MoveShots();
    if (FState.Phase == TGamePhase::Playing)
        MoveCapsules();
}

void TGame::PlaceBall(double X, double Y, double VX, double VY)
{
    FState.Balls = {TBall{X, Y, VX, VY, 0}};
    if (FState.Phase == TGamePhase::Ready)
        FState.Phase = TGamePhase::Playing;
}

void TGame::PlacePaddle(double X)
{
    FState.PaddleX = std::clamp(X, PaddleWidth / 2, FieldWidth - PaddleWidth / 2);
    if (FState.Phase == TGamePhase::Ready)
        FState.Balls.front().X = FState.PaddleX;
}

void TGame::ApplyPowerUp(int PowerUp)
{
    if (FState.Phase != TGamePhase::Playing)
        return;
    switch (PowerUp) {
    case PowerUpSingleShot:
        ++FState.ShotsLoaded;
        break;
    case PowerUpExtraBall:
        if (static_cast<int>(FState.Balls.size()) < MaxBalls)
            FState.Balls.push_back(LaunchedBall(FState.PaddleX));
        break;
    case PowerUpLowerSpeed:
        SetAllBallSpeeds(std::max(BallMinSpeed, FState.BallSpeed * LowerSpeedFactor));
        break;
    case PowerUpFasterSpeed:
        SetAllBallSpeeds(std::min(BallMaxSpeed, FState.BallSpeed * FasterSpeedFactor));
        break;
    case PowerUpIronBall:
        FState.IronStepsLeft = IronBallSteps;
        break;
    case PowerUpWall:
        FState.WallActive = true;
        break;
    default:
        break;
    }
}

void TGame::MovePaddle(const TGameInput& Input)
{
    double Delta = 0;
    if (Input.PaddleTarget) {
        const double Reach = PaddlePointerSpeed * StepSeconds;
        Delta = std::clamp(*Input.PaddleTarget - FState.PaddleX, -Reach, Reach);
    } else {
        Delta = std::clamp(Input.PaddleDirection, -1, 1) * PaddleKeySpeed * StepSeconds;
    }
    FState.PaddleX = std::clamp(FState.PaddleX + Delta, PaddleWidth / 2, FieldWidth - PaddleWidth / 2);
}

TBall TGame::LaunchedBall(double X)
{
    TGameRandom Random(FState.RandomState);
    const double Side = Random.Coin() ? -1 : 1;
    const double Angle = Radians(Random.Between(15, 35)) * Side;
    return TBall{X, PaddleTop - BallRadius, FState.BallSpeed * std::sin(Angle), -FState.BallSpeed * std::cos(Angle), 0};
}

void TGame::Launch()
{
    FState.Balls = {LaunchedBall(FState.PaddleX)};
    FState.Phase = TGamePhase::Playing;
}

void TGame::FireShot()
{
    if (FState.ShotsLoaded == 0)
        return;
    --FState.ShotsLoaded;
    FState.Shots.push_back(TShot{FState.PaddleX, PaddleTop - ShotHeight});
}

void TGame::MoveBalls()
{
    std::vector<TBall>& Balls = FState.Balls;
    std::vector<bool> Fell(Balls.size(), false);
    for (std::size_t Index = 0; Index < Balls.size() && FState.Phase == TGamePhase::Playing; ++Index) {
        TBall& Ball = Balls[Index];
        const double Distance = std::hypot(Ball.VX, Ball.VY) * StepSeconds;
        const int SubSteps = std::max(1, static_cast<int>(std::ceil(Distance / MaxSubStepDistance)));
        for (int Sub = 0; Sub < SubSteps && FState.Phase == TGamePhase::Playing; ++Sub) {
            const double Fraction = StepSeconds / SubSteps;
            if (!MoveBallBy(Ball, Ball.VX * Fraction, Ball.VY * Fraction)) {
                Fell[Index] = true;
                break;
            }
        }
    }
    if (FState.Phase != TGamePhase::Playing)
        return;
    std::size_t Kept = 0;
    for (std::size_t Index = 0; Index < Balls.size(); ++Index) {
        if (!Fell[Index])
            Balls[Kept++] = Balls[Index];
    }
    Balls.resize(Kept);
    if (Balls.empty())
        LoseBall();
}

bool TGame::MoveBallBy(TBall& Ball, double DX, double DY)
{
    const double PreviousX = Ball.X;
    const double PreviousY = Ball.Y;
    Ball.X += DX;
    Ball.Y += DY;
    BounceOffBricks(Ball, PreviousX, PreviousY);
    BounceOffWalls(Ball);
    BounceOffPaddle(Ball);
    if (FState.WallActive && Ball.VY > 0 && Ball.Y + BallRadius > WallTop) {
        Ball.Y = WallTop - BallRadius;
        Ball.VY = -Ball.VY;
        FState.WallActive = false;
    }
    return Ball.Y - BallRadius <= FieldHeight;
}

void TGame::BounceOffWalls(TBall& Ball)
{
    bool Bounced = false;
    if (Ball.X - BallRadius < 0) {
        Ball.X = BallRadius;
        Ball.VX = std::abs(Ball.VX);
        Bounced = true;
    } else if (Ball.X + BallRadius > FieldWidth) {
        Ball.X = FieldWidth - BallRadius;
        Ball.VX = -std::abs(Ball.VX);
        Bounced = true;
    }
    if (Ball.Y - BallRadius < 0) {
        Ball.Y = BallRadius;
        Ball.VY = std::abs(Ball.VY);
        Bounced = true;
    }
    if (Bounced) {
        KeepAngleSane(Ball);
        CountBounce(Ball);
    }
}

void TGame::BounceOffBricks(TBall& Ball, double PreviousX, double PreviousY)
{
    const TGameRect Box = BallRect(Ball);
    if (Box.Bottom() <= BricksTop || Box.Top >= BricksTop + LevelRows * CellPitchY)
        return;
    const TGameRect Before{PreviousX - BallRadius, PreviousY - BallRadius, Box.Width, Box.Height};
    const int FirstColumn = std::max(0, CellIndex(Box.Left, BricksLeft, CellPitchX));
    const int LastColumn = std::min(LevelColumns - 1, CellIndex(Box.Right(), BricksLeft, CellPitchX));
    const int FirstRow = std::max(0, CellIndex(Box.Top, BricksTop, CellPitchY));
    const int LastRow = std::min(LevelRows - 1, CellIndex(Box.Bottom(), BricksTop, CellPitchY));
    const bool Iron = FState.IronStepsLeft > 0;

    double PushX = 0;
    double PushY = 0;
    bool Progress = false;
    bool HitFixed = false;
    for (int Column = FirstColumn; Column <= LastColumn; ++Column) {
        for (int Row = FirstRow; Row <= LastRow; ++Row) {
            const TBrick& Brick = FState.Bricks[Column][Row];
            const TGameRect Rect = BrickRect(Column, Row);
            if (!Brick.Present() || !Box.Overlaps(Rect))
                continue;
            if (Iron && Brick.Breakable()) {
                DamageBrick(Column, Row, true);
                Progress = true;
                continue;
            }
            PushAwayFrom(Ball, Box, Before, Column, Row, PushX, PushY);
            if (Brick.Breakable()) {
                DamageBrick(Column, Row, false);
                Progress = true;
            } else {
                HitFixed = true;
            }
        }
    }
    if (PushY != 0) {
        Ball.Y += PushY;
        Ball.VY = SignOf(PushY) * std::abs(Ball.VY);
    }
    if (PushX != 0) {
        Ball.X += PushX;
        Ball.VX = SignOf(PushX) * std::abs(Ball.VX);
    }
    if (PushX == 0 && PushY == 0)
        return;
    KeepAngleSane(Ball);
    if (Progress)
        Ball.BouncesWithoutProgress = 0;
    else if (HitFixed)
        CountBounce(Ball);
}

// Which face of the brick at Column, Row the ball hit, and how far out of it that face pushes the ball;
// the deepest push on each axis over all bricks hit in one sub-step wins.
void TGame::PushAwayFrom(const TBall& Ball, const TGameRect& Box, const TGameRect& Before, int Column, int Row,
                         double& PushX, double& PushY) const
{
    const TGameRect Rect = BrickRect(Column, Row);
    // Which face was hit follows from where the ball was a sub-step ago: already level with the
    // brick's columns means it came through the top or bottom face. Only at a corner, where
    // that is undecided, does the shallower overlap choose.
    const bool WasOverColumns = Before.Left < Rect.Right() && Rect.Left < Before.Right();
    const bool WasBesideRows = Before.Top < Rect.Bottom() && Rect.Top < Before.Bottom();
    const double DepthX = std::min(Box.Right() - Rect.Left, Rect.Right() - Box.Left);
    const double DepthY = std::min(Box.Bottom() - Rect.Top, Rect.Bottom() - Box.Top);
    bool TopOrBottom = DepthY <= DepthX;
    if (WasOverColumns != WasBesideRows)
        TopOrBottom = WasOverColumns;
    const int AwayX = Ball.X < Rect.Left + Rect.Width / 2 ? -1 : 1;
    const int AwayY = Ball.Y < Rect.Top + Rect.Height / 2 ? -1 : 1;
    // A face that touches a neighbour across the 1-pixel gap cannot be hit: a ball at the seam of
    // a row bounces off the row's face, not off the inner side of a brick.
    const bool SideCovered = BrickPresent(Column + AwayX, Row);
    const bool TopOrBottomCovered = BrickPresent(Column, Row + AwayY);
    if (TopOrBottom ? TopOrBottomCovered && !SideCovered : SideCovered && !TopOrBottomCovered)
        TopOrBottom = !TopOrBottom;
    if (TopOrBottom) {
        if (std::abs(PushY) < DepthY)
            PushY = AwayY * DepthY;
    } else {
        if (std::abs(PushX) < DepthX)
            PushX = AwayX * DepthX;
    }
}

bool TGame::BrickPresent(int Column, int Row) const
{
    return Column >= 0 && Column < LevelColumns && Row >= 0 && Row < LevelRows && FState.Bricks[Column][Row].Present();
}

void TGame::BounceOffPaddle(TBall& Ball)
{
    if (Ball.VY <= 0 || !BallRect(Ball).Overlaps(PaddleRect(FState.PaddleX)))
        return;
    // A ball already below the paddle's middle came from the side and is lost anyway.
    if (Ball.Y > PaddleTop + PaddleHeight / 2)
        return;
    const double Offset = std::clamp((Ball.X - FState.PaddleX) / (PaddleWidth / 2 + BallRadius), -1.0, 1.0);
    const double Angle = Radians(Offset * PaddleMaxAngleDegrees);
    Ball.VX = FState.BallSpeed * std::sin(Angle);
    Ball.VY = -FState.BallSpeed * std::cos(Angle);
    Ball.Y = PaddleTop - BallRadius;
    Ball.BouncesWithoutProgress = 0;
    KeepAngleSane(Ball);
}

void TGame::KeepAngleSane(TBall& Ball)
{
    TGameRandom Random(FState.RandomState);
    const double SideX = Ball.VX != 0 ? SignOf(Ball.VX) : (Random.Coin() ? -1 : 1);
    const double SideY = Ball.VY != 0 ? SignOf(Ball.VY) : -1;
    const double Angle = std::clamp(std::atan2(std::abs(Ball.VY), std::abs(Ball.VX)),
                                    Radians(MinAngleFromHorizontalDegrees), Radians(90 - MinAngleFromVerticalDegrees));
    Ball.VX = SideX * FState.BallSpeed * std::cos(Angle);
    Ball.VY = SideY * FState.BallSpeed * std::sin(Angle);
}

void TGame::CountBounce(TBall& Ball)
{
    if (++Ball.BouncesWithoutProgress < BouncesBeforeNudge)
        return;
    Ball.BouncesWithoutProgress = 0;
    TGameRandom Random(FState.RandomState);
    const double Turn = Radians(Random.Between(8, 20)) * (Random.Coin() ? -1 : 1);
    const double Angle = std::atan2(Ball.VY, Ball.VX) + Turn;
    Ball.VX = FState.BallSpeed * std::cos(Angle);
    Ball.VY = FState.BallSpeed * std::sin(Angle);
    KeepAngleSane(Ball);
}

void TGame::MoveShots()
{
    std::vector<TShot>& Shots = FState.Shots;
    std::size_t Kept = 0;
    for (std::size_t Index = 0; Index < Shots.size(); ++Index) {
        TShot Shot = Shots[Index];
        Shot.Y -= ShotSpeed * StepSeconds;
        const TGameRect Rect = ShotRect(Shot);
        bool Spent = Rect.Bottom() < 0;
        const int FirstColumn = std::max(0, CellIndex(Rect.Left, BricksLeft, CellPitchX));
        const int LastColumn = std::min(LevelColumns - 1, CellIndex(Rect.Right(), BricksLeft, CellPitchX));
        // The lowest brick in its path takes the shot.
        for (int Row = LevelRows - 1; Row >= 0 && !Spent; --Row) {
            for (int Column = FirstColumn; Column <= LastColumn && !Spent; ++Column) {
                if (FState.Bricks[Column][Row].Present() && Rect.Overlaps(BrickRect(Column, Row))) {
                    DamageBrick(Column, Row, false);
                    Spent = true;
                }
            }
        }
        if (!Spent)
            Shots[Kept++] = Shot;
    }
    Shots.resize(Kept);
}

void TGame::MoveCapsules()
{
    std::vector<TCapsule>& Capsules = FState.Capsules;
    const TGameRect Paddle = PaddleRect(FState.PaddleX);
    std::vector<int> Caught;
    std::size_t Kept = 0;
    for (std::size_t Index = 0; Index < Capsules.size(); ++Index) {
        TCapsule Capsule = Capsules[Index];
        Capsule.Y += CapsuleSpeed * StepSeconds;
        const TGameRect Rect = CapsuleRect(Capsule);
        if (Rect.Overlaps(Paddle))
            Caught.push_back(Capsule.PowerUp);
        else if (Rect.Top <= FieldHeight)
            Capsules[Kept++] = Capsule;
    }
    Capsules.resize(Kept);
    for (const int PowerUp : Caught)
        ApplyPowerUp(PowerUp);
}

void TGame::DamageBrick(int Column, int Row, bool Smash)
{
    TBrick& Brick = FState.Bricks[Column][Row];
    if (!Brick.Breakable())
        return;
    Brick.HitsLeft = Smash ? 0 : static_cast<std::uint8_t>(Brick.HitsLeft - 1);
    if (Brick.HitsLeft > 0)
        return;
    const std::uint8_t PowerUp = Brick.PowerUp;
    Brick = TBrick{};
    if (PowerUp != PowerUpNone) {
        const TGameRect Rect = BrickRect(Column, Row);
        FState.Capsules.push_back(TCapsule{Rect.Left + Rect.Width / 2, Rect.Top + Rect.Height / 2, PowerUp});
    }
    if (--FState.BreakableLeft == 0)
        FState.Phase = TGamePhase::Won;
}

void TGame::LoseBall()
{
    if (--FState.Lives > 0) {
        ResetForNewBall();
        return;
    }
    FState.Phase = TGamePhase::Lost;
    FState.Balls.clear();
    FState.Capsules.clear();
    FState.Shots.clear();
}

void TGame::ResetForNewBall()
{
    FState.Phase = TGamePhase::Ready;
    FState.BallSpeed = BallBaseSpeed;
    FState.Balls = {TBall{FState.PaddleX, PaddleTop - BallRadius, 0, 0, 0}};
    FState.Capsules.clear();
    FState.Shots.clear();
    FState.ShotsLoaded = 0;
    FState.IronStepsLeft = 0;
    FState.WallActive = false;
}

void TGame::SetAllBallSpeeds(double Speed)
{
    FState.BallSpeed = Speed;
    for (TBall& Ball : FState.Balls) {
        const double Current = std::hypot(Ball.VX, Ball.VY);
        if (Current > 0) {
            Ball.VX *= Speed / Current;
            Ball.VY *= Speed / Current;
        }
    }
}
