#include "drawgrid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegion>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int WheelNotch = 120; // angleDelta of one notch of an ordinary mouse wheel

} // namespace

TDrawGrid::TDrawGrid(QWidget* Parent) : QWidget(Parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Every pixel is painted by the border, the lines or a cell, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    FAutoStepTimer = new QTimer(this);
    FAutoStepTimer->setObjectName(QStringLiteral("AutoStepTimer"));
    FAutoStepTimer->setInterval(AutoStepIntervalMs);
    connect(FAutoStepTimer, &QTimer::timeout, this, &TDrawGrid::AutoStep);
    SetGridSize(FColCount, FRowCount, FColWidth, FRowHeight);
}

void TDrawGrid::SetGridSize(int ColCount, int RowCount, int ColWidth, int RowHeight)
{
    EndSelecting();
    FColCount = std::max(1, ColCount);
    FRowCount = std::max(1, RowCount);
    FColWidth = std::max(1, ColWidth);
    FRowHeight = std::max(1, RowHeight);
    FCol = std::min(FCol, FColCount - 1);
    FRow = std::min(FRow, FRowCount - 1);
    // The line after the last column and row falls on the border, so it takes no pixel of its own.
    setFixedSize(sizeHint());
    update();
}

void TDrawGrid::SetOnSelectCell(TSelectCellEvent Handler)
{
    FOnSelectCell = std::move(Handler);
}

void TDrawGrid::SetOnDrawCell(TDrawCellEvent Handler)
{
    FOnDrawCell = std::move(Handler);
    update();
}

void TDrawGrid::SetOnDrawOver(TDrawOverEvent Handler)
{
    FOnDrawOver = std::move(Handler);
    update();
}

QRect TDrawGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= FColCount || ARow < 0 || ARow >= FRowCount)
        return {};
    return QRect(BorderWidth + ACol * (FColWidth + LineWidth), BorderWidth + ARow * (FRowHeight + LineWidth), FColWidth,
                 FRowHeight);
}

void TDrawGrid::InvalidateCell(int ACol, int ARow)
{
    const QRect Rect = CellRect(ACol, ARow);
    if (!Rect.isEmpty())
        update(Rect);
}

// Each cell's rectangle reaches over the lines right of and below it, so that neighbours join into a few
// large rectangles: a region of hundreds of small ones makes both the union and the painting slow.
void TDrawGrid::InvalidateCells(const QList<QPoint>& Cells)
{
    QRegion Dirty;
    for (const QPoint& Cell : Cells) {
        const QRect Rect = CellRect(Cell.x(), Cell.y());
        if (!Rect.isEmpty())
            Dirty += Rect.adjusted(0, 0, LineWidth, LineWidth);
    }
    if (!Dirty.isEmpty())
        update(Dirty);
}

void TDrawGrid::Invalidate()
{
    update();
}

QSize TDrawGrid::sizeHint() const
{
    return QSize(FColCount * (FColWidth + LineWidth) + BorderWidth, FRowCount * (FRowHeight + LineWidth) + BorderWidth);
}

QSize TDrawGrid::minimumSizeHint() const
{
    return sizeHint();
}

QPoint TDrawGrid::ToCellArea(const QPoint& WidgetPos) const
{
    return WidgetPos - QPoint(BorderWidth, BorderWidth);
}

// The line right of and below a cell belongs to that cell.
TDrawGrid::TCellHit TDrawGrid::CellAt(const QPoint& WidgetPos) const
{
    const QPoint Pos = ToCellArea(WidgetPos);
    if (Pos.x() < 0 || Pos.y() < 0)
        return {};
    const int ACol = Pos.x() / (FColWidth + LineWidth);
    const int ARow = Pos.y() / (FRowHeight + LineWidth);
    if (ACol >= FColCount || ARow >= FRowCount)
        return {};
    return {true, ACol, ARow};
}

// Direction of the auto-step for a pointer at WidgetPos; null while the pointer is over the cell area.
QPoint TDrawGrid::StepTowards(const QPoint& WidgetPos) const
{
    const QPoint Pos = ToCellArea(WidgetPos);
    const int Right = FColCount * (FColWidth + LineWidth);
    const int Bottom = FRowCount * (FRowHeight + LineWidth);
    const int Dx = Pos.x() < 0 ? -1 : (Pos.x() > Right ? 1 : 0);
    const int Dy = Pos.y() < 0 ? -1 : (Pos.y() > Bottom ? 1 : 0);
    return QPoint(Dx, Dy);
}

bool TDrawGrid::SelectCell(int ACol, int ARow)
{
    bool CanSelect = true;
    if (FOnSelectCell)
        FOnSelectCell(this, ACol, ARow, CanSelect);
    // The handler may have resized the grid under us.
    if (!CanSelect || ACol >= FColCount || ARow >= FRowCount)
        return false;
    const QRect Left = CellRect(FCol, FRow);
    FCol = ACol;
    FRow = ARow;
    update(Left);
    update(CellRect(FCol, FRow));
    emit CurrentCellChanged(FCol, FRow);
    return true;
}

// Pointer events can skip cells on a fast drag; walking the line from the current cell keeps a painted
// stroke without gaps. A handler that takes the focus away (an error box) ends the walk, so that one
// failure is not repeated for every cell left on the line.
void TDrawGrid::SelectAlongLine(int ACol, int ARow)
{
    const unsigned FocusLossesBefore = FFocusLosses;
    const int Dx = std::abs(ACol - FCol);
    const int Dy = -std::abs(ARow - FRow);
    const int Sx = FCol < ACol ? 1 : -1;
    const int Sy = FRow < ARow ? 1 : -1;
    int Err = Dx + Dy;
    int C = FCol;
    int R = FRow;
    while (C != ACol || R != ARow) {
        const int E2 = 2 * Err;
        if (E2 >= Dy) {
            Err += Dy;
            C += Sx;
        }
        if (E2 <= Dx) {
            Err += Dx;
            R += Sy;
        }
        if (!SelectCell(C, R) || FFocusLosses != FocusLossesBefore)
            return;
    }
}

// Only a pointer that went from one cell to another stays on the straight line between them; one that
// comes back in from outside the cell area crossed no cell on the way, so only the cell it enters counts.
void TDrawGrid::StrokeTo(const TCellHit& Hit)
{
    if (Hit.Col == FCol && Hit.Row == FRow)
        return;
    if (CellAt(FLastPointer).Valid)
        SelectAlongLine(Hit.Col, Hit.Row);
    else
        SelectCell(Hit.Col, Hit.Row);
}

void TDrawGrid::DragTo(const QPoint& WidgetPos)
{
    const TCellHit Hit = CellAt(WidgetPos);
    if (Hit.Valid) {
        FAutoStepTimer->stop();
        StrokeTo(Hit);
        FLastPointer = WidgetPos;
        return;
    }
    FLastPointer = WidgetPos;
    if (StepTowards(WidgetPos).isNull())
        FAutoStepTimer->stop();
    else if (!FAutoStepTimer->isActive())
        FAutoStepTimer->start();
}

void TDrawGrid::AutoStep()
{
    const QPoint Direction = StepTowards(FLastPointer);
    if (!FSelecting || Direction.isNull()) {
        FAutoStepTimer->stop();
        return;
    }
    const int C = std::clamp(FCol + Direction.x(), 0, FColCount - 1);
    const int R = std::clamp(FRow + Direction.y(), 0, FRowCount - 1);
    if (C != FCol || R != FRow)
        SelectCell(C, R);
}

void TDrawGrid::EndSelecting()
{
    const bool Dragging = FSelecting && FPointerStroke;
    FSelecting = false;
    if (FAutoStepTimer)
        FAutoStepTimer->stop();
    if (Dragging && FInStroke)
        emit StrokeCancelled();
    EndStroke();
}

void TDrawGrid::BeginStroke(bool ByPointer)
{
    EndStroke();
    FInStroke = true;
    FPointerStroke = ByPointer;
    emit StrokeBegan();
}

void TDrawGrid::EndStroke()
{
    if (!FInStroke)
        return;
    emit StrokeEnded();
    FInStroke = false;
    FPointerStroke = false;
}

// A key or wheel selection is a stroke of its own. During a drag it splits the drag's stroke, and the drag
// goes on in a new one.
void TDrawGrid::SelectAsOwnStroke(int ACol, int ARow)
{
    const bool Dragging = FSelecting;
    BeginStroke(false);
    SelectCell(ACol, ARow);
    EndStroke();
    if (Dragging && FSelecting)
        BeginStroke(true);
}

void TDrawGrid::SetHoverCell(const TCellHit& Hit)
{
    if (Hit.Valid == FHover.Valid && (!Hit.Valid || (Hit.Col == FHover.Col && Hit.Row == FHover.Row)))
        return;
    FHover = Hit;
    emit HoverCellChanged(Hit.Valid ? Hit.Col : -1, Hit.Valid ? Hit.Row : -1);
}

void TDrawGrid::mousePressEvent(QMouseEvent* Event)
{
    Event->accept();
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    if (Event->button() != Qt::LeftButton)
        return;
    const TCellHit Hit = CellAt(Event->position().toPoint());
    if (!Hit.Valid)
        return;
    FSelecting = true;
    FLastPointer = Event->position().toPoint();
    BeginStroke(true);
    SelectCell(Hit.Col, Hit.Row);
}

// Qt sends this instead of the second press; it selects nothing, and the drag stays off until release.
void TDrawGrid::mouseDoubleClickEvent(QMouseEvent* Event)
{
    Event->accept();
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    if (Event->button() == Qt::LeftButton)
        EndSelecting();
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* Event)
{
    Event->accept();
    SetHoverCell(CellAt(Event->position().toPoint()));
    if (!FSelecting)
        return;
    // The release went elsewhere (a dialog, another application): the stroke is over.
    if (!(Event->buttons() & Qt::LeftButton)) {
        EndSelecting();
        return;
    }
    DragTo(Event->position().toPoint());
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent* Event)
{
    Event->accept();
    if (Event->button() != Qt::LeftButton || !FSelecting)
        return;
    // The stroke stays open for the release's own selections.
    FSelecting = false;
    FAutoStepTimer->stop();
    const TCellHit Hit = CellAt(Event->position().toPoint());
    if (Hit.Valid)
        StrokeTo(Hit);
    EndStroke();
}

void TDrawGrid::keyPressEvent(QKeyEvent* Event)
{
    const bool Ctrl = Event->modifiers().testFlag(Qt::ControlModifier);
    const int LastCol = FColCount - 1;
    const int LastRow = FRowCount - 1;
    // A page is every row but one, as all rows are always visible.
    const int PageRows = std::max(1, LastRow);
    int C = FCol;
    int R = FRow;
    switch (Event->key()) {
    case Qt::Key_Left:
        C = Ctrl ? 0 : FCol - 1;
        break;
    case Qt::Key_Right:
        C = Ctrl ? LastCol : FCol + 1;
        break;
    case Qt::Key_Up:
        R = FRow - 1;
        break;
    case Qt::Key_Down:
        R = FRow + 1;
        break;
    case Qt::Key_Home:
        C = 0;
        if (Ctrl)
            R = 0;
        break;
    case Qt::Key_End:
        C = LastCol;
        if (Ctrl)
            R = LastRow;
        break;
    case Qt::Key_PageUp:
        R = Ctrl ? 0 : FRow - PageRows;
        break;
    case Qt::Key_PageDown:
        R = Ctrl ? LastRow : FRow + PageRows;
        break;
    case Qt::Key_Escape:
        if (!FSelecting) {
            QWidget::keyPressEvent(Event);
            return;
        }
        Event->accept();
        EndSelecting();
        return;
    default:
        QWidget::keyPressEvent(Event);
        return;
    }
    Event->accept();
    C = std::clamp(C, 0, LastCol);
    R = std::clamp(R, 0, LastRow);
    if (C != FCol || R != FRow)
        SelectAsOwnStroke(C, R);
}

// One row per notch; finer deltas from touchpads add up to a notch first.
void TDrawGrid::wheelEvent(QWheelEvent* Event)
{
    if (!hasFocus()) {
        Event->ignore();
        return;
    }
    Event->accept();
    const int Delta = Event->angleDelta().y();
    if (Delta == 0)
        return;
    if ((Delta > 0) != (FWheelRemainder > 0))
        FWheelRemainder = 0;
    FWheelRemainder += Delta;
    while (std::abs(FWheelRemainder) >= WheelNotch) {
        const int Step = FWheelRemainder > 0 ? -1 : 1;
        FWheelRemainder += Step * WheelNotch;
        const int R = FRow + Step;
        if (R < 0 || R >= FRowCount) {
            FWheelRemainder = 0;
            break;
        }
        SelectAsOwnStroke(FCol, R);
    }
}

void TDrawGrid::focusInEvent(QFocusEvent* Event)
{
    // Only the current cell changes look; the base class would repaint the whole grid.
    Q_UNUSED(Event);
    InvalidateCell(FCol, FRow);
}

void TDrawGrid::focusOutEvent(QFocusEvent* Event)
{
    // Whatever took the focus (a message box, another window) also takes the button release.
    EndSelecting();
    ++FFocusLosses;
    FWheelRemainder = 0;
    Q_UNUSED(Event);
    InvalidateCell(FCol, FRow);
}

void TDrawGrid::hideEvent(QHideEvent* Event)
{
    EndSelecting();
    SetHoverCell({});
    QWidget::hideEvent(Event);
}

void TDrawGrid::leaveEvent(QEvent* Event)
{
    SetHoverCell({});
    QWidget::leaveEvent(Event);
}
