#pragma once

#include "fieldgeometry.h"
#include "leveldata.h"

// The fixed numbers of the stand-in game. Lengths are in field pixels, times in steps of the fixed clock.
namespace GameRules {

constexpr int StepsPerSecond = 120;
constexpr double StepSeconds = 1.0 / StepsPerSecond;

// Bricks are the editor's 15x9 pictures drawn doubled, on the editor grid's pitch with its 1-pixel gaps.
constexpr double BrickWidth = FieldCellWidth;
constexpr double BrickHeight = FieldCellHeight;
constexpr double CellPitchX = FieldPitchX;
constexpr double CellPitchY = FieldPitchY;
constexpr double BricksLeft = 1;
constexpr double BricksTop = 38; // room above the top row so a ball can get behind the bricks

constexpr double FieldWidth = BricksLeft + LevelColumns * CellPitchX;
constexpr double FieldHeight = 560;

constexpr double PaddleTop = 524;
constexpr double PaddleHeight = 12;
constexpr double PaddleWidth = 84;
constexpr double PaddleKeySpeed = 720; // px/s while an arrow key is held
constexpr double PaddlePointerSpeed = 2400; // px/s towards the pointer: fast, but never a jump

constexpr double BallRadius = 5;
constexpr double BallBaseSpeed = 330;
constexpr double BallMinSpeed = 200;
constexpr double BallMaxSpeed = 660;
constexpr double LowerSpeedFactor = 0.75;
constexpr double FasterSpeedFactor = 1.3;
// The ball never moves further than this in one collision sub-step, far less than a brick's or the
// paddle's thickness, so nothing is skipped however fast it goes.
constexpr double MaxSubStepDistance = 2;
// Off the paddle, offset -1..1 from its centre maps to this angle from the vertical.
constexpr double PaddleMaxAngleDegrees = 60;
// A ball flatter than this (from the horizontal) would crawl between the side walls for ages.
constexpr double MinAngleFromHorizontalDegrees = 18;
// Nor may it go straight up and down, where it could bounce between the paddle and a fixed brick for ever.
constexpr double MinAngleFromVerticalDegrees = 3;
// Bounces off walls and fixed bricks, with no paddle hit or brick damage in between, before the ball's
// direction is nudged to break a loop.
constexpr int BouncesBeforeNudge = 16;
constexpr int MaxBalls = 16;

constexpr int StartLives = 3;
constexpr int IronBallSteps = 8 * StepsPerSecond;

constexpr double ShotWidth = 3;
constexpr double ShotHeight = 10;
constexpr double ShotSpeed = 720;

constexpr double CapsuleWidth = 23; // the power-up picture's own size
constexpr double CapsuleHeight = 11;
constexpr double CapsuleSpeed = 150;

constexpr double WallTop = FieldHeight - 8;
constexpr double WallHeight = 4;

} // namespace GameRules
