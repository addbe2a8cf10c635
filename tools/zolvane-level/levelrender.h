#pragma once

// The field as a picture, exactly as the editor's grid draws it, without focus frame or highlight.

#include "leveldata.h"

#include <QImage>

#include <array>
#include <string>

constexpr int RenderCellWidth = 30;
constexpr int RenderCellHeight = 18;
constexpr int RenderPitchX = RenderCellWidth + 1; // a 1-pixel grid line right of every cell
constexpr int RenderPitchY = RenderCellHeight + 1; // and below it
constexpr int RenderWidth = LevelColumns * RenderPitchX;
constexpr int RenderHeight = LevelRows * RenderPitchY;
constexpr int RenderMaxScale = 16;

// The element pictures by code, opaque (RGB32).
struct TFieldPictures {
    std::array<QImage, 11> Bricks; // 1..10
    std::array<QImage, 7> PowerUps; // 1..6
};

// Loads every kind's picture from Dir (the editor's "editor/images" folder, or one like it). Throws
// std::runtime_error naming the file and why it cannot be read.
TFieldPictures LoadFieldPictures(const std::string& Dir);

// 620 x 190 pixels times Scale (1 to RenderMaxScale): silver grid lines, white cells, each brick picture
// stretched over its 30 x 18 cell without smoothing, each power-up at its own size 7 pixels in from the
// cell's top-left corner, all opaque and clipped to the cell.
QImage RenderLevel(const TLevelData& Level, const TFieldPictures& Pictures, int Scale = 1);
