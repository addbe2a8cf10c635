#pragma once

// How the field looks on screen, in pixels at scale 1: the grid, the command-line renderer, the picture
// generator and the game all lay out bricks the same way, so the numbers live here once.

#include "leveldata.h"

#include <cstdint>

// A cell's picture area, and the grid line right of and below every cell.
constexpr int FieldCellWidth = 30;
constexpr int FieldCellHeight = 18;
constexpr int FieldLineWidth = 1;
constexpr int FieldPitchX = FieldCellWidth + FieldLineWidth;
constexpr int FieldPitchY = FieldCellHeight + FieldLineWidth;
constexpr int FieldPixelWidth = LevelColumns * FieldPitchX;
constexpr int FieldPixelHeight = LevelRows * FieldPitchY;

// A power-up is drawn at its own size this far in from its cell's top-left corner, over the brick.
constexpr int PowerUpOffset = 7;

// The smallest element pictures: a brick is stretched over its cell, a power-up is not.
constexpr int BrickImageWidth = 15;
constexpr int BrickImageHeight = 9;
constexpr int PowerUpImageWidth = 23;
constexpr int PowerUpImageHeight = 11;

struct TFieldColour {
    std::uint8_t Red, Green, Blue;
};
// The grid lines (silver) and an empty cell.
constexpr TFieldColour FieldLineColour{192, 192, 192};
constexpr TFieldColour FieldCellColour{255, 255, 255};
