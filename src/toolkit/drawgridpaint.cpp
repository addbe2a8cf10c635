// The grid's painting: border, lines, each cell through the owner's handler, the focus frame.
#include "drawgrid.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QRegion>

namespace {

const QColor GridLineColor(0xC0, 0xC0, 0xC0);

// Restores the painter even when an owner's draw handler throws.
class TPainterStateGuard {
public:
    explicit TPainterStateGuard(QPainter& Canvas) : FCanvas(Canvas) { FCanvas.save(); }
    ~TPainterStateGuard() { FCanvas.restore(); }
    TPainterStateGuard(const TPainterStateGuard&) = delete;
    TPainterStateGuard& operator=(const TPainterStateGuard&) = delete;

private:
    QPainter& FCanvas;
};

} // namespace

void TDrawGrid::paintEvent(QPaintEvent* Event)
{
    QPainter Canvas(this);
    const int Width = width();
    const int Height = height();
    const QColor BorderColor = palette().color(QPalette::WindowText);
    Canvas.fillRect(0, 0, Width, BorderWidth, BorderColor);
    Canvas.fillRect(0, Height - BorderWidth, Width, BorderWidth, BorderColor);
    Canvas.fillRect(0, 0, BorderWidth, Height, BorderColor);
    Canvas.fillRect(Width - BorderWidth, 0, BorderWidth, Height, BorderColor);

    const int InnerWidth = Width - 2 * BorderWidth;
    const int InnerHeight = Height - 2 * BorderWidth;
    for (int C = 0; C < FColCount - 1; ++C)
        Canvas.fillRect(BorderWidth + C * (FColWidth + LineWidth) + FColWidth, BorderWidth, LineWidth, InnerHeight,
                        GridLineColor);
    for (int R = 0; R < FRowCount - 1; ++R)
        Canvas.fillRect(BorderWidth, BorderWidth + R * (FRowHeight + LineWidth) + FRowHeight, InnerWidth, LineWidth,
                        GridLineColor);

    const QRegion& Dirty = Event->region();
    for (int R = 0; R < FRowCount; ++R)
        for (int C = 0; C < FColCount; ++C)
            if (Dirty.intersects(CellRect(C, R)))
                PaintCell(Canvas, C, R);
    if (FOnDrawOver) {
        TPainterStateGuard Guard(Canvas);
        FOnDrawOver(this, Canvas);
    }
}

void TDrawGrid::PaintCell(QPainter& Canvas, int ACol, int ARow)
{
    const QRect Rect = CellRect(ACol, ARow);
    TGridDrawState State;
    if (ACol == FCol && ARow == FRow) {
        State |= gdSelected;
        if (hasFocus())
            State |= gdFocused;
    }
    const bool Highlighted = State.testFlag(gdSelected) && !State.testFlag(gdFocused);
    Canvas.fillRect(Rect, palette().color(Highlighted ? QPalette::Highlight : QPalette::Base));

    if (FOnDrawCell) {
        // Clipped so that an owner cannot paint over a neighbour that is not being repainted.
        TPainterStateGuard Guard(Canvas);
        Canvas.setClipRect(Rect, Qt::IntersectClip);
        FOnDrawCell(this, ACol, ARow, Rect, State, Canvas);
    }

    if (State.testFlag(gdFocused)) {
        // A dotted frame that inverts every other outer pixel stays visible over any picture.
        QPolygon Dots;
        for (int X = Rect.left(); X <= Rect.right(); ++X)
            for (int Y : {Rect.top(), Rect.bottom()})
                if ((X - Rect.left() + Y - Rect.top()) % 2 == 0)
                    Dots << QPoint(X, Y);
        for (int Y = Rect.top() + 1; Y < Rect.bottom(); ++Y)
            for (int X : {Rect.left(), Rect.right()})
                if ((X - Rect.left() + Y - Rect.top()) % 2 == 0)
                    Dots << QPoint(X, Y);
        TPainterStateGuard Guard(Canvas);
        Canvas.setCompositionMode(QPainter::RasterOp_NotDestination);
        Canvas.setPen(QPen(Qt::black, 0));
        Canvas.drawPoints(Dots);
    }
}
