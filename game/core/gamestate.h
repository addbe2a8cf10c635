#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "leveldata.h"

// Brick and power-up codes as the level file stores them.
enum TBrickCode : std::uint8_t { BrickNone = 0, BrickFixed = 10 };
enum TPowerUpCode : std::uint8_t {
    PowerUpNone = 0,
    PowerUpSingleShot = 1,
    PowerUpExtraBall = 2,
    PowerUpLowerSpeed = 3,
    PowerUpFasterSpeed = 4,
    PowerUpIronBall = 5,
    PowerUpWall = 6,
};

enum class TGamePhase : std::uint8_t {
    Ready, // a ball waits on the paddle for Space
    Playing,
    Won, // every breakable brick is gone
    Lost, // the last life is spent
};

struct TGameRect {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;

    double Right() const { return Left + Width; }
    double Bottom() const { return Top + Height; }
    bool Overlaps(const TGameRect& Other) const
    {
        return Left < Other.Right() && Other.Left < Right() && Top < Other.Bottom() && Other.Top < Bottom();
    }
    friend bool operator==(const TGameRect&, const TGameRect&) = default;
};

struct TBrick {
    std::uint8_t Code = BrickNone;
    std::uint8_t HitsLeft = 0; // 0 for no brick and for the fixed brick, which never breaks
    std::uint8_t PowerUp = PowerUpNone;

    bool Present() const { return Code != BrickNone; }
    bool Breakable() const { return Code != BrickNone && Code != BrickFixed; }
    friend bool operator==(const TBrick&, const TBrick&) = default;
};

struct TBall {
    double X = 0; // centre
    double Y = 0;
    double VX = 0; // px/s
    double VY = 0;
    int BouncesWithoutProgress = 0;

    friend bool operator==(const TBall&, const TBall&) = default;
};

struct TCapsule {
    double X = 0; // centre
    double Y = 0;
    std::uint8_t PowerUp = PowerUpNone;

    friend bool operator==(const TCapsule&, const TCapsule&) = default;
};

struct TShot {
    double X = 0; // centre
    double Y = 0; // top
    friend bool operator==(const TShot&, const TShot&) = default;
};

using TBrickField = std::array<std::array<TBrick, LevelRows>, LevelColumns>;

// Everything that changes while playing; two games fed the same seed and inputs hold equal states.
struct TGameState {
    TGamePhase Phase = TGamePhase::Ready;
    bool Paused = false;
    int Lives = 0;
    TBrickField Bricks{};
    int BreakableLeft = 0;
    std::vector<TBall> Balls;
    double PaddleX = 0; // centre
    std::vector<TCapsule> Capsules;
    std::vector<TShot> Shots;
    double BallSpeed = 0;
    int ShotsLoaded = 0;
    int IronStepsLeft = 0;
    bool WallActive = false;
    std::uint64_t Steps = 0;
    std::uint64_t RandomState = 0;

    friend bool operator==(const TGameState&, const TGameState&) = default;
};

// What the player did during one step.
struct TGameInput {
    int PaddleDirection = 0; // -1 left, +1 right, while an arrow key is held
    std::optional<double> PaddleTarget; // pointer's x in field pixels; wins over the keys
    bool Launch = false; // Space: launches a waiting ball, otherwise fires a loaded shot
    bool TogglePause = false; // P
};
