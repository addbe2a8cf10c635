#include "fieldtools.h"

#include "drawgrid.h"
#include "leveldocument.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace {

// The pixels of a rectangle's preview: a dark ring along the inside of its outline (Depth 0) and a light
// one inside that (Depth 1).
QRegion OutlineRing(const QRect& Outline, int Depth)
{
    return QRegion(Outline.adjusted(Depth, Depth, -Depth, -Depth))
        .subtracted(QRegion(Outline.adjusted(Depth + 1, Depth + 1, -Depth - 1, -Depth - 1)));
}

QRegion OutlineRings(const QRect& Outline)
{
    return OutlineRing(Outline, 0) + OutlineRing(Outline, 1);
}

} // namespace

void TFieldTool::PaintCells(TCellPositions Cells, const QString& StepName)
{
    if (FContext.Mirrored())
        Cells = WithMirror(Cells);
    FContext.Document.Paint(Cells, FContext.Rule(), StepName);
}

void TCellTool::Press(TCellPos At)
{
    PaintCells({At}, FContext.CellStepName());
}

void TCellTool::Move(TCellPos At)
{
    PaintCells({At}, FContext.CellStepName());
}

void TRectangleTool::Press(TCellPos At)
{
    FCorner = At;
    FOtherCorner = At;
    FDragging = true;
    MoveCorner(At);
}

void TRectangleTool::Move(TCellPos At)
{
    if (FDragging)
        MoveCorner(At);
}

// A rectangle is painted when its drag ends with the release.
void TRectangleTool::Release()
{
    if (!std::exchange(FDragging, false))
        return;
    FContext.Grid.update(OutlineRings(Outline()));
    PaintCells(RectangleCells(FCorner, FOtherCorner), QStringLiteral("Rectangle"));
}

void TRectangleTool::Cancel()
{
    if (std::exchange(FDragging, false))
        FContext.Grid.update(OutlineRings(Outline()));
}

// Only the pixels whose colour the move changes are repainted: those in one ring of the old outline or the
// new one but not in both. The cells inside and the edges along the pressed corner stay as they are.
void TRectangleTool::MoveCorner(TCellPos Corner)
{
    const QRect Before = Outline();
    FOtherCorner = Corner;
    const QRect After = Outline();
    FContext.Grid.update(OutlineRing(Before, 0).xored(OutlineRing(After, 0)) +
                         OutlineRing(Before, 1).xored(OutlineRing(After, 1)));
}

QRect TRectangleTool::Outline() const
{
    const TCellPos TopLeft{std::min(FCorner.Column, FOtherCorner.Column), std::min(FCorner.Row, FOtherCorner.Row)};
    const TCellPos BottomRight{std::max(FCorner.Column, FOtherCorner.Column), std::max(FCorner.Row, FOtherCorner.Row)};
    return FContext.Grid.CellRect(TopLeft.Column, TopLeft.Row)
        .united(FContext.Grid.CellRect(BottomRight.Column, BottomRight.Row));
}

void TRectangleTool::DrawOver(QPainter& Canvas) const
{
    if (!FDragging)
        return;
    // Two rings, dark outside and light inside, show on any picture.
    const QRect Ring = Outline();
    Canvas.setPen(QPen(QColor(20, 20, 20), 0));
    Canvas.setBrush(Qt::NoBrush);
    Canvas.drawRect(Ring.adjusted(0, 0, -1, -1));
    Canvas.setPen(QPen(Qt::white, 0));
    Canvas.drawRect(Ring.adjusted(1, 1, -2, -2));
}

void TFillTool::Press(TCellPos At)
{
    PaintCells(FloodCells(FContext.Document.Level().Cells, At), QStringLiteral("Fill"));
}
