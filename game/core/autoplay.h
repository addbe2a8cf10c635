#pragma once

#include <cstdint>

#include "game.h"
#include "levelproblems.h"

// A play-through with a paddle that is always where the ball comes down and catches every capsule, for
// telling whether and how fast a level can be cleared. The paddle is placed before each step and the keys
// are pressed as a player would, so the game plays by its own rules; only the paddle's speed is unlimited.
// The same level and seed always give the same play.

struct TAutoplayMove {
    double PaddleX = 0;
    TGameInput Input;
};

struct TAutoplayResult {
    bool Cleared = false;
    std::uint64_t Steps = 0; // GameRules::StepsPerSecond to a second of play
    int BricksLeft = 0;
    int LivesLost = 0;
    int CapsulesMissed = 0;

    double Seconds() const;
    friend bool operator==(const TAutoplayResult&, const TAutoplayResult&) = default;
};

class TAutoplay {
public:
    explicit TAutoplay(const TLevelData& Level, std::uint64_t Seed = 1);

    // Places the paddle, presses the keys and steps the game once. Returns the move, so that the same game
    // can be replayed on a bare TGame with PlacePaddle and Step.
    TAutoplayMove Step();

    bool Over() const;
    const TGame& Game() const { return FGame; }
    TAutoplayResult Result() const;

private:
    double PaddleTarget();
    double AimedPaddleX(const TBall& Ball, double TimeToPaddle);
    double AimHeadingDegrees(double FromX);
    double TriedHeadingDegrees(double ContactX);
    bool ShotWouldBreakABrick(double PaddleX) const;
    int CapsulesFallingOut() const;

    TGame FGame;
    TReachableCells FReachable;
    std::uint64_t FAimRandom; // apart from the game's, so that aiming never changes the game's own draws
    std::uint64_t FLastBreakStep = 0;
    std::uint64_t FTrialSteps = 0;
    int FLivesLost = 0;
    int FCapsulesMissed = 0;
};

// Plays the level until it is cleared or lost, or for at most Seconds of play.
TAutoplayResult Autoplay(const TLevelData& Level, double Seconds, std::uint64_t Seed = 1);
