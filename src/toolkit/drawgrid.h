#pragma once

#include <QFlags>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <functional>

class QPainter;
class QTimer;

// An owner-drawn grid of equal cells with one current cell. It never scrolls: the widget is exactly as
// large as its cells. The owner draws the cells and decides, cell by cell, whether a selection may happen.
//
// Selections come in strokes, so that an owner can treat them as one step: a left press and everything its
// drag selects until the release (or until the focus is lost or a double-click ends it), one key move, one
// wheel notch. StrokeBegan comes before a stroke's first selection and StrokeEnded after its last; every
// selection lies inside a stroke. A drag that ends without its release (Esc, the focus or the window going,
// the button released elsewhere) sends StrokeCancelled just before its StrokeEnded; after Esc the release
// selects nothing.
class TDrawGrid : public QWidget {
    Q_OBJECT
public:
    enum TGridDrawStateFlag { gdSelected = 1, gdFocused = 2 };
    Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
    using TSelectCellEvent = std::function<void(TDrawGrid* Sender, int ACol, int ARow, bool& CanSelect)>;
    using TDrawCellEvent = std::function<void(TDrawGrid* Sender, int ACol, int ARow, const QRect& Rect,
                                              TGridDrawState State, QPainter& Canvas)>;
    // Draws over the finished cells and lines, clipped to the area being repainted.
    using TDrawOverEvent = std::function<void(TDrawGrid* Sender, QPainter& Canvas)>;

    explicit TDrawGrid(QWidget* Parent = nullptr);

    // Counts and sizes below 1 are raised to 1. The current cell is clamped into the new grid without
    // a select event.
    void SetGridSize(int ColCount, int RowCount, int ColWidth, int RowHeight);
    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }
    int Col() const { return FCol; }
    int Row() const { return FRow; }

    void SetOnSelectCell(TSelectCellEvent Handler);
    void SetOnDrawCell(TDrawCellEvent Handler);
    void SetOnDrawOver(TDrawOverEvent Handler);

    // Whether the open stroke began with a left press, as opposed to a key or a wheel notch. Still true
    // while StrokeEnded is being sent for it.
    bool StrokeByPointer() const { return FInStroke && FPointerStroke; }

    // The cell's rectangle in widget coordinates, without the grid lines; empty outside the grid.
    QRect CellRect(int ACol, int ARow) const;
    void InvalidateCell(int ACol, int ARow);
    // One repaint for many cells, however they lie.
    void InvalidateCells(const QList<QPoint>& Cells);
    void Invalidate();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int AutoStepIntervalMs = 60;

signals:
    void StrokeBegan();
    void StrokeEnded();
    void StrokeCancelled();
    // After a selection has moved the current cell.
    void CurrentCellChanged(int ACol, int ARow);
    // The cell under the pointer, whether or not a button is held; (-1, -1) when the pointer is over no cell.
    // Hovering never selects.
    void HoverCellChanged(int ACol, int ARow);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    static constexpr int BorderWidth = 1;
    static constexpr int LineWidth = 1;

    struct TCellHit {
        bool Valid = false;
        int Col = 0;
        int Row = 0;
    };

    QPoint ToCellArea(const QPoint& WidgetPos) const;
    TCellHit CellAt(const QPoint& WidgetPos) const;
    QPoint StepTowards(const QPoint& WidgetPos) const;
    bool SelectCell(int ACol, int ARow);
    void SelectAlongLine(int ACol, int ARow);
    void StrokeTo(const TCellHit& Hit);
    void DragTo(const QPoint& WidgetPos);
    void AutoStep();
    void EndSelecting();
    void BeginStroke(bool ByPointer);
    void EndStroke();
    void SelectAsOwnStroke(int ACol, int ARow);
    void SetHoverCell(const TCellHit& Hit);
    void PaintCell(QPainter& Canvas, int ACol, int ARow);

    int FColCount = 20;
    int FRowCount = 10;
    int FColWidth = 30;
    int FRowHeight = 18;
    int FCol = 0;
    int FRow = 0;

    // Left button pressed on a cell and not yet released: moves and the auto-step select cells.
    bool FSelecting = false;
    bool FInStroke = false;
    bool FPointerStroke = false;
    TCellHit FHover;
    // Where the last press or move of the stroke was, inside the widget or not.
    QPoint FLastPointer;
    int FWheelRemainder = 0;
    unsigned FFocusLosses = 0;
    QTimer* FAutoStepTimer = nullptr;

    TSelectCellEvent FOnSelectCell;
    TDrawCellEvent FOnDrawCell;
    TDrawOverEvent FOnDrawOver;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TDrawGrid::TGridDrawState)
