#pragma once

// The one painter of the field: the editor's grid, zolvane-level render and every other picture of a
// level draw their cells through it, so they cannot disagree.

#include "fieldgeometry.h"
#include "leveldata.h"

#include <QImage>

#include <array>
#include <string>

class QPainter;
class QRect;

constexpr int RenderMaxScale = 16;

// The element pictures by code; a null picture draws nothing (a kind whose picture failed to load).
struct TFieldPictures {
    std::array<QImage, 11> Bricks; // 1..10
    std::array<QImage, 7> PowerUps; // 1..6
};

// Loads every kind's picture from Dir (the editor's "editor/images" folder, or one like it), opaque.
// Throws std::runtime_error naming the file and why it cannot be read.
TFieldPictures LoadFieldPictures(const std::string& Dir);

// The cell's pictures over whatever Rect already shows: the brick stretched over the cell without
// smoothing, the power-up at its own size PowerUpOffset pixels in, both clipped to the cell.
void PaintFieldCell(QPainter& Canvas, const QRect& Rect, const TLevelCell& Cell, const TFieldPictures& Pictures);

// The whole field as the grid shows it, without focus frame or highlight: FieldPixelWidth x FieldPixelHeight times
// Scale (1 to RenderMaxScale), silver lines right of and below each cell, white cells, opaque (RGB32).
QImage RenderLevel(const TLevelData& Level, const TFieldPictures& Pictures, int Scale = 1);
