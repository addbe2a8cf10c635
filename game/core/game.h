#pragma once

#include <cstdint>

#include "gamestate.h"
#include "leveldata.h"

// The stand-in game's rules, with no clock and no screen: each Step advances one fixed tick of
// GameRules::StepSeconds. The same level, seed and inputs always give the same states.
//
// A level with no breakable brick is won at once: there is nothing to play for, and a ball bouncing
// for ever between fixed bricks would only hide that from the designer.
class TGame {
public:
    explicit TGame(const TLevelData& Level, std::uint64_t Seed = 1);

    void Step(const TGameInput& Input);

    const TGameState& State() const { return FState; }

    // Puts one ball in flight at (X, Y) with velocity (VX, VY) px/s, replacing every other ball; the
    // paddle keeps its place. For tests and demonstrations.
    void PlaceBall(double X, double Y, double VX, double VY);
    void PlacePaddle(double X);
    // What catching a capsule of that power-up does.
    void ApplyPowerUp(int PowerUp);

    // Hits a brick of this code takes: 1 to 3 for codes 1 to 9, 0 for the fixed brick and anything else.
    static int HitsForBrick(int Code);
    static TGameRect BrickRect(int Column, int Row);
    static TGameRect PaddleRect(double PaddleX);
    static TGameRect BallRect(const TBall& Ball);
    static TGameRect CapsuleRect(const TCapsule& Capsule);
    static TGameRect ShotRect(const TShot& Shot);

private:
    void MovePaddle(const TGameInput& Input);
    void Launch();
    void FireShot();
    void MoveBalls();
    // Moves the ball by (DX, DY) and settles every contact; false when it fell out of the field.
    bool MoveBallBy(TBall& Ball, double DX, double DY);
    void BounceOffWalls(TBall& Ball);
    void BounceOffBricks(TBall& Ball, double PreviousX, double PreviousY);
    void PushAwayFrom(const TBall& Ball, const TGameRect& Box, const TGameRect& Before, int Column, int Row,
                      double& PushX, double& PushY) const;
    bool BrickPresent(int Column, int Row) const;
    void BounceOffPaddle(TBall& Ball);
    void KeepAngleSane(TBall& Ball);
    void CountBounce(TBall& Ball);
    void MoveShots();
    void MoveCapsules();
    // Takes one hit off the brick, or all of them; drops its power-up when it breaks.
    void DamageBrick(int Column, int Row, bool Smash);
    void LoseBall();
    void ResetForNewBall();
    void SetAllBallSpeeds(double Speed);
    TBall LaunchedBall(double X);

    TGameState FState;
};
