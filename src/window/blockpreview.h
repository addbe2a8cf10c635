#pragma once

// What the field shows while a block is on its way: the level as the edit would leave it (a paste not yet
// placed, a move not yet let go), with the block's outline. The level itself is untouched until the edit is
// made for real; only the cells whose look changes are repainted.

#include "blocks.h"

#include <QRect>
#include <QRegion>

#include <functional>

class QPainter;
class TDrawGrid;
class TLevelDocument;

// The pixels of the cells of Rect and the lines between them; empty for an empty Rect.
QRect OutlineOf(const TDrawGrid& Grid, TCellRect Rect);
// The two rings of pixels along the inside of Outline that DrawDashedOutline paints.
QRegion OutlineRegion(const QRect& Outline);
// Dark and light dashes, which show on any picture.
void DrawDashedOutline(QPainter& Canvas, const QRect& Outline);

class TBlockPreview {
public:
    // The edit made on a copy of the level's cells.
    using TEdit = std::function<TCellDiff(TLevelCells& Cells)>;

    TBlockPreview(const TLevelDocument& Document, TDrawGrid& Grid);

    bool Shown() const { return FShown; }
    // Shows the level as Edit leaves it, outlined around Outline (no outline when it is empty).
    void Show(TEdit Edit, TCellRect Outline);
    // Makes the edit again on the level as it is now: the level changed under the preview.
    void Refresh();
    void Hide();

    // What the field shows at the cell: the previewed level while shown, else the level.
    const TLevelCell& Cell(int Col, int Row) const;
    void DrawOver(QPainter& Canvas) const;

private:
    const TLevelCells& ShownCells() const;
    void RepaintChanged(const TLevelCells& Before, const TLevelCells& After);
    void MoveOutline(TCellRect Outline);

    const TLevelDocument& FDocument;
    TDrawGrid& FGrid;
    bool FShown = false;
    TEdit FEdit;
    TLevelCells FCells{};
    TCellRect FOutline;
};
