#include "blockpreview.h"

#include "drawgrid.h"
#include "leveldocument.h"

#include <QPainter>

QRect OutlineOf(const TDrawGrid& Grid, TCellRect Rect)
{
    if (Rect.Empty())
        return {};
    return Grid.CellRect(Rect.Left, Rect.Top)
        .united(Grid.CellRect(Rect.Left + Rect.Width - 1, Rect.Top + Rect.Height - 1));
}

QRegion OutlineRegion(const QRect& Outline)
{
    if (Outline.isEmpty())
        return {};
    return QRegion(Outline).subtracted(QRegion(Outline.adjusted(2, 2, -2, -2)));
}

void DrawDashedOutline(QPainter& Canvas, const QRect& Outline)
{
    if (Outline.isEmpty())
        return;
    const QRect Rings[] = {Outline.adjusted(0, 0, -1, -1), Outline.adjusted(1, 1, -2, -2)};
    Canvas.setBrush(Qt::NoBrush);
    Canvas.setPen(QPen(Qt::white, 0));
    for (const QRect& Ring : Rings)
        Canvas.drawRect(Ring);
    QPen Dashes(QColor(20, 20, 20), 0);
    Dashes.setDashPattern({3, 3});
    Canvas.setPen(Dashes);
    for (const QRect& Ring : Rings)
        Canvas.drawRect(Ring);
}

TBlockPreview::TBlockPreview(const TLevelDocument& Document, TDrawGrid& Grid) : FDocument(Document), FGrid(Grid)
{
}

void TBlockPreview::Show(TEdit Edit, TCellRect Outline)
{
    TLevelCells After = FDocument.Level().Cells;
    Edit(After);
    RepaintChanged(ShownCells(), After);
    FCells = After;
    FEdit = std::move(Edit);
    FShown = true;
    MoveOutline(Outline);
}

void TBlockPreview::Refresh()
{
    if (FShown)
        Show(TEdit(FEdit), FOutline);
}

void TBlockPreview::Hide()
{
    if (!FShown)
        return;
    FShown = false;
    RepaintChanged(FCells, FDocument.Level().Cells);
    FEdit = {};
    MoveOutline({});
}

const TLevelCell& TBlockPreview::Cell(int Col, int Row) const
{
    return FShown ? FCells.at(static_cast<std::size_t>(Col)).at(static_cast<std::size_t>(Row))
                  : FDocument.Cell(Col, Row);
}

void TBlockPreview::DrawOver(QPainter& Canvas) const
{
    DrawDashedOutline(Canvas, OutlineOf(FGrid, FOutline));
}

const TLevelCells& TBlockPreview::ShownCells() const
{
    return FShown ? FCells : FDocument.Level().Cells;
}

void TBlockPreview::RepaintChanged(const TLevelCells& Before, const TLevelCells& After)
{
    QList<QPoint> Changed;
    for (int Col = 0; Col < LevelColumns; ++Col)
        for (int Row = 0; Row < LevelRows; ++Row)
            if (!(Before[Col][Row] == After[Col][Row]))
                Changed.append(QPoint(Col, Row));
    FGrid.InvalidateCells(Changed);
}

void TBlockPreview::MoveOutline(TCellRect Outline)
{
    if (Outline == FOutline)
        return;
    FGrid.update(OutlineRegion(OutlineOf(FGrid, FOutline)) + OutlineRegion(OutlineOf(FGrid, Outline)));
    FOutline = Outline;
}
