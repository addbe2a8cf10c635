#include "drawgrid.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <memory>
#include <set>

namespace {

using TCells = QList<QPoint>;

QString Describe(const TCells& Cells) {
    QStringList Parts;
    for (const QPoint& Cell : Cells)
        Parts << QStringLiteral("(%1,%2)").arg(Cell.x()).arg(Cell.y());
    return Parts.join(' ');
}

QString Describe(const QColor& Color) {
    return Color.name(QColor::HexRgb);
}

// A row of cells from (FromCol, Row) to (ToCol, Row), both included, in walking order.
TCells RowRun(int FromCol, int ToCol, int Row) {
    TCells Cells;
    const int Step = FromCol <= ToCol ? 1 : -1;
    for (int C = FromCol;; C += Step) {
        Cells << QPoint(C, Row);
        if (C == ToCol)
            break;
    }
    return Cells;
}

}  // namespace

class TDrawGridTest : public QObject {
    Q_OBJECT

private:
    // The grid beside a line edit, so that the focus has somewhere else to go.
    std::unique_ptr<QWidget> FHost;
    TDrawGrid* FGrid = nullptr;
    QLineEdit* FOther = nullptr;
    TCells FSelected;
    TCells FDrawn;
    QList<QRect> FDrawnRects;
    QList<TDrawGrid::TGridDrawState> FDrawnStates;
    QPoint FRefused{-1, -1};

    QTimer* AutoStepTimer() const { return FGrid->findChild<QTimer*>(QStringLiteral("AutoStepTimer")); }

    // Fires the auto-step timer once, as if 60 ms had passed; false when the timer is not running.
    bool Tick() {
        QTimer* Timer = AutoStepTimer();
        if (!Timer || !Timer->isActive())
            return false;
        QTimerEvent Event(Timer->timerId());
        QCoreApplication::sendEvent(Timer, &Event);
        return true;
    }

    QPoint CellCentre(int ACol, int ARow) const { return FGrid->CellRect(ACol, ARow).center(); }

    // Puts the current cell at (ACol, ARow) with a click and forgets the events that caused.
    void StartAt(int ACol, int ARow) {
        QTest::mouseClick(FGrid, Qt::LeftButton, Qt::NoModifier, CellCentre(ACol, ARow));
        FSelected.clear();
    }

    void FlushPaints() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // Steps separated by ';': "<action>[:<button>] <col> <row>" aims at the cell's centre,
    // "<action>[:<button>] @<x>,<y>" at a widget pixel. Actions: press, release, move, dclick, and lostmove (a
    // move reporting only the right button, as after a left release that went elsewhere); buttons: left (default), right, middle. "tick" fires the auto-step timer
    // if it runs.
    void Run(const QString& Script) {
        for (const QString& Step : Script.split(';', Qt::SkipEmptyParts)) {
            const QStringList Words = Step.simplified().split(' ');
            if (Words.at(0) == QLatin1String("tick")) {
                Tick();
                continue;
            }
            const QStringList Action = Words.at(0).split(':');
            Qt::MouseButton Button = Qt::LeftButton;
            if (Action.size() > 1)
                Button = Action.at(1) == QLatin1String("right") ? Qt::RightButton : Qt::MiddleButton;
            QPoint Pos;
            if (Words.at(1).startsWith('@')) {
                const QStringList XY = Words.at(1).mid(1).split(',');
                Pos = QPoint(XY.at(0).toInt(), XY.at(1).toInt());
            } else {
                Pos = CellCentre(Words.at(1).toInt(), Words.at(2).toInt());
            }
            const QString& Name = Action.at(0);
            if (Name == QLatin1String("press"))
                QTest::mousePress(FGrid, Button, Qt::NoModifier, Pos);
            else if (Name == QLatin1String("release"))
                QTest::mouseRelease(FGrid, Button, Qt::NoModifier, Pos);
            else if (Name == QLatin1String("move"))
                QTest::mouseMove(FGrid, Pos);
            else if (Name == QLatin1String("dclick"))
                QTest::mouseDClick(FGrid, Button, Qt::NoModifier, Pos);
            else if (Name == QLatin1String("lostmove")) {
                QMouseEvent Event(QEvent::MouseMove, Pos, FGrid->mapToGlobal(Pos), Qt::NoButton, Qt::RightButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(FGrid, &Event);
            } else
                QFAIL(qPrintable(QStringLiteral("unknown step ") + Step));
        }
    }

    void SendWheel(int AngleDelta) {
        const QPointF Pos = CellCentre(FGrid->Col(), FGrid->Row());
        QWheelEvent Event(Pos, FGrid->mapToGlobal(Pos), QPoint(), QPoint(0, AngleDelta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(FGrid, &Event);
    }

    QImage Render() const { return FGrid->grab().toImage().convertToFormat(QImage::Format_RGB32); }

private slots:
    void init() {
        FHost = std::make_unique<QWidget>();
        auto* Layout = new QHBoxLayout(FHost.get());
        FGrid = new TDrawGrid;
        FOther = new QLineEdit;
        Layout->addWidget(FGrid);
        Layout->addWidget(FOther);
        FSelected.clear();
        FDrawn.clear();
        FDrawnRects.clear();
        FDrawnStates.clear();
        FRefused = QPoint(-1, -1);
        FGrid->SetOnSelectCell([this](TDrawGrid* Sender, int ACol, int ARow, bool& CanSelect) {
            QCOMPARE(Sender, FGrid);
            FSelected << QPoint(ACol, ARow);
            if (QPoint(ACol, ARow) == FRefused)
                CanSelect = false;
        });
        FGrid->SetOnDrawCell([this](TDrawGrid*, int ACol, int ARow, const QRect& Rect,
                                    TDrawGrid::TGridDrawState State, QPainter&) {
            FDrawn << QPoint(ACol, ARow);
            FDrawnRects << Rect;
            FDrawnStates << State;
        });
        FHost->show();
        FHost->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FHost.get()));
        FGrid->setFocus();
        QVERIFY(FGrid->hasFocus());
    }

    void cleanup() {
        FHost.reset();
        FGrid = nullptr;
        FOther = nullptr;
    }

    void startsAtOriginWithoutSelectEventAndFixedSize() {
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(0, 0));
        QCOMPARE(Describe(FSelected), QString());
        QCOMPARE(QPoint(FGrid->ColCount(), FGrid->RowCount()), QPoint(20, 10));
        QCOMPARE(FGrid->size(), QSize(621, 191));
        QCOMPARE(FGrid->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(FGrid->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    }

    void cellRectIsTheCellInWidgetCoordinates_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("first") << 0 << 0 << QRect(1, 1, 30, 18);
        QTest::newRow("second column") << 1 << 0 << QRect(32, 1, 30, 18);
        QTest::newRow("second row") << 0 << 1 << QRect(1, 20, 30, 18);
        QTest::newRow("last") << 19 << 9 << QRect(590, 172, 30, 18);
        QTest::newRow("column past the end") << 20 << 0 << QRect();
        QTest::newRow("row past the end") << 0 << 10 << QRect();
        QTest::newRow("negative") << -1 << 0 << QRect();
    }
    void cellRectIsTheCellInWidgetCoordinates() {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QRect, expected);
        QCOMPARE(FGrid->CellRect(col, row), expected);
    }

    void setGridSizeResizesAndClampsWithoutSelecting() {
        StartAt(19, 9);
        FGrid->SetGridSize(5, 4, 10, 8);
        QCOMPARE(FGrid->size(), QSize(56, 37));
        QCOMPARE(FGrid->CellRect(4, 3), QRect(45, 28, 10, 8));
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(4, 3));
        QCOMPARE(Describe(FSelected), QString());
    }

    void mouseSelectsCells_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TCells>("expected");
        QTest::newRow("press selects the current cell again") << "press 0 0; release 0 0" << TCells{{0, 0}};
        QTest::newRow("each press selects again")
            << "press 5 5; release 5 5; press 5 5; release 5 5" << TCells{{5, 5}, {5, 5}};
        QTest::newRow("drag along a row") << "press 0 0; move 1 0; move 2 0; release 2 0" << RowRun(0, 2, 0);
        QTest::newRow("moves inside one cell select nothing more")
            << "press 3 3; move @95,60; move @120,73; release @120,73" << TCells{{3, 3}};
        QTest::newRow("re-entering a cell selects it again")
            << "press 0 0; move 1 0; move 0 0; move 1 0; release 1 0" << TCells{{0, 0}, {1, 0}, {0, 0}, {1, 0}};
        QTest::newRow("release over another cell selects it") << "press 0 0; release 1 0" << RowRun(0, 1, 0);
        QTest::newRow("release over the current cell selects nothing more")
            << "press 0 0; move 1 0; release 1 0" << RowRun(0, 1, 0);
        QTest::newRow("line right of a cell is that cell") << "press @31,5; release @31,5" << TCells{{0, 0}};
        QTest::newRow("pixel after the line is the next cell") << "press @32,5; release @32,5" << TCells{{1, 0}};
        QTest::newRow("line below a cell is that cell") << "press @5,19; release @5,19" << TCells{{0, 0}};
        QTest::newRow("pixel below the line is the next row") << "press @5,20; release @5,20" << TCells{{0, 1}};
        QTest::newRow("right border is the last column's line") << "press @620,5; release @620,5" << TCells{{19, 0}};
        QTest::newRow("left border is no cell") << "press @0,5; move 2 0; release 2 0" << TCells{};
        QTest::newRow("drag over a line stays in the cell")
            << "press 4 4; move @155,80; move @155,84; release @155,84" << TCells{{4, 4}};
        QTest::newRow("fast drag fills the row") << "press 0 0; move 5 0; release 5 0" << RowRun(0, 5, 0);
        QTest::newRow("fast drag backwards fills in order") << "press 9 2; move 6 2; release 6 2" << RowRun(9, 6, 2);
        QTest::newRow("fast drag down a column")
            << "press 3 6; move 3 9; release 3 9" << TCells{{3, 6}, {3, 7}, {3, 8}, {3, 9}};
        QTest::newRow("fast drag on the diagonal")
            << "press 0 0; move 3 3; release 3 3" << TCells{{0, 0}, {1, 1}, {2, 2}, {3, 3}};
        QTest::newRow("fast drag on a shallow slope")
            << "press 0 0; move 4 2; release 4 2" << TCells{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
        QTest::newRow("fast release fills the row") << "press 2 1; release 5 1" << RowRun(2, 5, 1);
        QTest::newRow("move without the left button ends the stroke")
            << "press 1 1; lostmove 2 1; move 3 1; release 3 1" << TCells{{1, 1}};
        QTest::newRow("right button selects nothing")
            << "press:right 3 3; move 4 3; release:right 4 3" << TCells{};
        QTest::newRow("middle button selects nothing")
            << "press:middle 3 3; move 4 3; release:middle 4 3" << TCells{};
        QTest::newRow("double-click selects once and does not drag")
            << "press 4 4; release 4 4; dclick 4 4; move 5 4; move 6 4; release 6 4" << TCells{{4, 4}};
        QTest::newRow("a press after a double-click selects again")
            << "press 4 4; release 4 4; dclick 4 4; release 4 4; press 6 4; move 7 4; release 7 4"
            << TCells{{4, 4}, {6, 4}, {7, 4}};
    }
    void mouseSelectsCells() {
        QFETCH(QString, script);
        QFETCH(TCells, expected);
        Run(script);
        QCOMPARE(Describe(FSelected), Describe(expected));
        if (!expected.isEmpty())
            QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), expected.last());
    }

    void pressGivesFocus_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TCells>("expected");
        QTest::newRow("left") << "press 2 2; release 2 2" << TCells{{2, 2}};
        QTest::newRow("right") << "press:right 2 2; release:right 2 2" << TCells{};
        QTest::newRow("middle") << "press:middle 2 2; release:middle 2 2" << TCells{};
    }
    void pressGivesFocus() {
        QFETCH(QString, script);
        QFETCH(TCells, expected);
        FOther->setFocus();
        QVERIFY(!FGrid->hasFocus());
        Run(script);
        QVERIFY(FGrid->hasFocus());
        QCOMPARE(Describe(FSelected), Describe(expected));
    }

    void autoStepsTowardsPointerOutside_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<TCells>("expected");
        QTest::newRow("no step before the timer fires") << "press 3 4; move @-10,80" << TCells{{3, 4}};
        QTest::newRow("left") << "press 3 4; move @-10,80; tick; tick" << TCells{{3, 4}, {2, 4}, {1, 4}};
        QTest::newRow("right stops at the last column")
            << "press 16 2; move @640,45; tick; tick; tick; tick; tick" << TCells{{16, 2}, {17, 2}, {18, 2}, {19, 2}};
        QTest::newRow("up stops at row 0") << "press 2 2; move @70,-5; tick; tick; tick" << TCells{{2, 2}, {2, 1}, {2, 0}};
        QTest::newRow("down stops at the last row")
            << "press 2 7; move @70,300; tick; tick; tick" << TCells{{2, 7}, {2, 8}, {2, 9}};
        QTest::newRow("diagonal") << "press 17 7; move @700,300; tick; tick; tick" << TCells{{17, 7}, {18, 8}, {19, 9}};
        QTest::newRow("diagonal continues along the free axis")
            << "press 18 5; move @700,300; tick; tick; tick; tick; tick"
            << TCells{{18, 5}, {19, 6}, {19, 7}, {19, 8}, {19, 9}};
        QTest::newRow("diagonal up and left") << "press 2 1; move @-1,-1; tick; tick; tick" << TCells{{2, 1}, {1, 0}, {0, 0}};
        QTest::newRow("left border pixel counts as outside") << "press 1 3; move @0,65; tick" << TCells{{1, 3}, {0, 3}};
        QTest::newRow("just right of the cell area is not yet outside")
            << "press 18 0; move @621,5; tick; tick" << TCells{{18, 0}};
        QTest::newRow("one pixel further is outside") << "press 18 0; move @622,5; tick; tick" << TCells{{18, 0}, {19, 0}};
        QTest::newRow("just below the cell area is not yet outside")
            << "press 0 8; move @5,191; tick; tick" << TCells{{0, 8}};
        QTest::newRow("one pixel further down is outside") << "press 0 8; move @5,192; tick; tick" << TCells{{0, 8}, {0, 9}};
        QTest::newRow("pointer moving outside changes the direction")
            << "press 5 5; move @-50,100; tick; move @100,-50; tick; tick" << TCells{{5, 5}, {4, 5}, {4, 4}, {4, 3}};
        QTest::newRow("release stops the steps")
            << "press 10 5; move @-50,100; tick; release @-50,100; tick; tick" << TCells{{10, 5}, {9, 5}};
        QTest::newRow("coming back inside stops the steps")
            << "press 10 5; move @-50,100; tick; move 10 5; tick; tick" << TCells{{10, 5}, {9, 5}, {10, 5}};
        QTest::newRow("no steps after a double-click")
            << "press 5 5; release 5 5; dclick 5 5; move @-50,100; tick; tick" << TCells{{5, 5}};
    }
    void autoStepsTowardsPointerOutside() {
        QFETCH(QString, script);
        QFETCH(TCells, expected);
        QCOMPARE(AutoStepTimer()->interval(), TDrawGrid::AutoStepIntervalMs);
        QCOMPARE(TDrawGrid::AutoStepIntervalMs, 60);
        Run(script);
        QCOMPARE(Describe(FSelected), Describe(expected));
        QTest::mouseRelease(FGrid, Qt::LeftButton, Qt::NoModifier, QPoint(-50, -50));
        QVERIFY(!AutoStepTimer()->isActive());
    }

    // A message box opened from the select handler takes the focus and, with it, the button release.
    void focusLossEndsTheStroke() {
        Run("press 10 5; move @-50,100; tick");
        FOther->setFocus();
        QVERIFY(!AutoStepTimer()->isActive());
        Run("move 12 5; move @-50,100");
        QVERIFY(!AutoStepTimer()->isActive());
        QCOMPARE(Describe(FSelected), Describe(TCells{{10, 5}, {9, 5}}));
        QTest::mouseRelease(FGrid, Qt::LeftButton, Qt::NoModifier, QPoint(-50, 100));
    }

    void focusLossInAHandlerEndsTheWalk() {
        Run("press 0 0");
        FGrid->SetOnSelectCell([this](TDrawGrid*, int ACol, int ARow, bool&) {
            FSelected << QPoint(ACol, ARow);
            if (ACol == 2)
                FOther->setFocus();
        });
        Run("move 5 0; move 6 0; release 6 0");
        QCOMPARE(Describe(FSelected), Describe(RowRun(0, 2, 0)));
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(2, 0));
    }

    void keysMoveTheCurrentCell_data() {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<TCells>("expected");
        const int None = Qt::NoModifier;
        const int Ctrl = Qt::ControlModifier;
        const int Shift = Qt::ShiftModifier;
        const QPoint Mid(5, 5);
        QTest::newRow("right") << Mid << int(Qt::Key_Right) << None << TCells{{6, 5}};
        QTest::newRow("left") << Mid << int(Qt::Key_Left) << None << TCells{{4, 5}};
        QTest::newRow("up") << Mid << int(Qt::Key_Up) << None << TCells{{5, 4}};
        QTest::newRow("down") << Mid << int(Qt::Key_Down) << None << TCells{{5, 6}};
        QTest::newRow("left at column 0") << QPoint(0, 5) << int(Qt::Key_Left) << None << TCells{};
        QTest::newRow("right at column 19") << QPoint(19, 5) << int(Qt::Key_Right) << None << TCells{};
        QTest::newRow("up at row 0") << QPoint(5, 0) << int(Qt::Key_Up) << None << TCells{};
        QTest::newRow("down at row 9") << QPoint(5, 9) << int(Qt::Key_Down) << None << TCells{};
        QTest::newRow("home") << Mid << int(Qt::Key_Home) << None << TCells{{0, 5}};
        QTest::newRow("end") << Mid << int(Qt::Key_End) << None << TCells{{19, 5}};
        QTest::newRow("home at column 0") << QPoint(0, 5) << int(Qt::Key_Home) << None << TCells{};
        QTest::newRow("page up clamps") << Mid << int(Qt::Key_PageUp) << None << TCells{{5, 0}};
        QTest::newRow("page up by 9 rows") << QPoint(5, 9) << int(Qt::Key_PageUp) << None << TCells{{5, 0}};
        QTest::newRow("page down clamps") << Mid << int(Qt::Key_PageDown) << None << TCells{{5, 9}};
        QTest::newRow("page down by 9 rows") << QPoint(5, 0) << int(Qt::Key_PageDown) << None << TCells{{5, 9}};
        QTest::newRow("page up at row 0") << QPoint(5, 0) << int(Qt::Key_PageUp) << None << TCells{};
        QTest::newRow("ctrl+home") << Mid << int(Qt::Key_Home) << Ctrl << TCells{{0, 0}};
        QTest::newRow("ctrl+end") << Mid << int(Qt::Key_End) << Ctrl << TCells{{19, 9}};
        QTest::newRow("ctrl+home at the origin") << QPoint(0, 0) << int(Qt::Key_Home) << Ctrl << TCells{};
        QTest::newRow("ctrl+page up") << Mid << int(Qt::Key_PageUp) << Ctrl << TCells{{5, 0}};
        QTest::newRow("ctrl+page down") << Mid << int(Qt::Key_PageDown) << Ctrl << TCells{{5, 9}};
        QTest::newRow("ctrl+left") << Mid << int(Qt::Key_Left) << Ctrl << TCells{{0, 5}};
        QTest::newRow("ctrl+right") << Mid << int(Qt::Key_Right) << Ctrl << TCells{{19, 5}};
        QTest::newRow("ctrl+up moves one row") << Mid << int(Qt::Key_Up) << Ctrl << TCells{{5, 4}};
        QTest::newRow("shift+right") << Mid << int(Qt::Key_Right) << Shift << TCells{{6, 5}};
        QTest::newRow("shift+home") << Mid << int(Qt::Key_Home) << Shift << TCells{{0, 5}};
        QTest::newRow("shift+page down") << Mid << int(Qt::Key_PageDown) << Shift << TCells{{5, 9}};
        QTest::newRow("ctrl+shift+end") << Mid << int(Qt::Key_End) << (Ctrl | Shift) << TCells{{19, 9}};
        QTest::newRow("a letter") << Mid << int(Qt::Key_A) << None << TCells{};
        QTest::newRow("space") << Mid << int(Qt::Key_Space) << None << TCells{};
    }
    void keysMoveTheCurrentCell() {
        QFETCH(QPoint, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(TCells, expected);
        StartAt(start.x(), start.y());
        QTest::keyClick(FGrid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(Describe(FSelected), Describe(expected));
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), expected.isEmpty() ? start : expected.last());
    }

    void tabLeavesTheGridWithoutSelecting() {
        QTest::keyClick(FGrid, Qt::Key_Tab);
        QVERIFY(FOther->hasFocus());
        QTest::keyClick(FOther, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(FGrid->hasFocus());
        QCOMPARE(Describe(FSelected), QString());
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(0, 0));
    }

    void wheelMovesOneRow_data() {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<TCells>("expected");
        QTest::newRow("down") << QPoint(3, 4) << true << QList<int>{-120} << TCells{{3, 5}};
        QTest::newRow("up") << QPoint(3, 4) << true << QList<int>{120} << TCells{{3, 3}};
        QTest::newRow("down at row 9") << QPoint(3, 9) << true << QList<int>{-120} << TCells{};
        QTest::newRow("up at row 0") << QPoint(3, 0) << true << QList<int>{120} << TCells{};
        QTest::newRow("two notches in one event") << QPoint(3, 4) << true << QList<int>{-240} << TCells{{3, 5}, {3, 6}};
        QTest::newRow("two notches stop at row 9") << QPoint(3, 8) << true << QList<int>{-240} << TCells{{3, 9}};
        QTest::newRow("half notches add up") << QPoint(3, 4) << true << QList<int>{-60, -60} << TCells{{3, 5}};
        QTest::newRow("a half notch back cancels")
            << QPoint(3, 4) << true << QList<int>{-60, 60, -60} << TCells{};
        QTest::newRow("not focused") << QPoint(3, 4) << false << QList<int>{-120, 120} << TCells{};
    }
    void wheelMovesOneRow() {
        QFETCH(QPoint, start);
        QFETCH(bool, focused);
        QFETCH(QList<int>, deltas);
        QFETCH(TCells, expected);
        StartAt(start.x(), start.y());
        if (!focused)
            FOther->setFocus();
        for (int Delta : deltas)
            SendWheel(Delta);
        QCOMPARE(Describe(FSelected), Describe(expected));
    }

    void focusChangesSelectNothing() {
        StartAt(4, 2);
        FOther->setFocus();
        FGrid->setFocus(Qt::TabFocusReason);
        FOther->setFocus(Qt::MouseFocusReason);
        FGrid->setFocus(Qt::OtherFocusReason);
        QVERIFY(FGrid->hasFocus());
        QCOMPARE(Describe(FSelected), QString());
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(4, 2));
    }

    void refusedSelectionKeepsTheCurrentCell_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("key");
        QTest::addColumn<TCells>("expected");
        QTest::newRow("press, and release over it") << "press 2 0; release 2 0" << 0 << TCells{{2, 0}, {2, 0}};
        QTest::newRow("key") << "" << int(Qt::Key_Right) << TCells{{2, 0}};
        QTest::newRow("fast drag stops at the refused cell") << "press 1 0; move 4 0" << 0 << TCells{{1, 0}, {2, 0}};
        QTest::newRow("auto-step stays") << "press 1 0; move @-100,5; release @-100,5" << 0 << TCells{{1, 0}};
    }
    void refusedSelectionKeepsTheCurrentCell() {
        QFETCH(QString, script);
        QFETCH(int, key);
        QFETCH(TCells, expected);
        StartAt(1, 0);
        FRefused = QPoint(2, 0);
        Run(script);
        if (key)
            QTest::keyClick(FGrid, Qt::Key(key));
        QCOMPARE(Describe(FSelected), Describe(expected));
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(1, 0));
        QTest::mouseRelease(FGrid, Qt::LeftButton, Qt::NoModifier, CellCentre(1, 0));
    }

    void autoStepRefusedCellStaysPut() {
        FRefused = QPoint(0, 0);
        StartAt(1, 0);
        Run("press 1 0; move @-100,5");
        QVERIFY(Tick());
        QVERIFY(Tick());
        QCOMPARE(Describe(FSelected), Describe(TCells{{1, 0}, {0, 0}, {0, 0}}));
        QCOMPARE(QPoint(FGrid->Col(), FGrid->Row()), QPoint(1, 0));
        QTest::mouseRelease(FGrid, Qt::LeftButton, Qt::NoModifier, QPoint(-100, 5));
    }

    void selectionRepaintsOnlyTheCellsLeftAndEntered_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("key");
        QTest::addColumn<TCells>("expected");
        QTest::newRow("key") << "" << int(Qt::Key_Right) << TCells{{4, 3}, {5, 3}};
        QTest::newRow("press elsewhere") << "press 10 8; release 10 8" << 0 << TCells{{4, 3}, {10, 8}};
        QTest::newRow("press on the current cell") << "press 4 3; release 4 3" << 0 << TCells{{4, 3}};
        QTest::newRow("drag to a neighbour") << "press 4 3; move 4 4; release 4 4" << 0 << TCells{{4, 3}, {4, 4}};
    }
    void selectionRepaintsOnlyTheCellsLeftAndEntered() {
        QFETCH(QString, script);
        QFETCH(int, key);
        QFETCH(TCells, expected);
        QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));
        StartAt(4, 3);
        FlushPaints();
        FDrawn.clear();
        Run(script);
        if (key)
            QTest::keyClick(FGrid, Qt::Key(key));
        FlushPaints();
        const std::set<std::pair<int, int>> Unique = [this] {
            std::set<std::pair<int, int>> Cells;
            for (const QPoint& Cell : FDrawn)
                Cells.insert({Cell.x(), Cell.y()});
            return Cells;
        }();
        TCells Painted;
        for (const auto& [C, R] : Unique)
            Painted << QPoint(C, R);
        std::sort(expected.begin(), expected.end(),
                  [](const QPoint& A, const QPoint& B) { return std::pair(A.x(), A.y()) < std::pair(B.x(), B.y()); });
        QCOMPARE(Describe(Painted), Describe(expected));
    }

    void drawCellGetsTheCellRectAndState_data() {
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("state");
        QTest::newRow("current, focused") << QPoint(7, 3) << true << QRect(218, 58, 30, 18)
                                          << int(TDrawGrid::gdSelected | TDrawGrid::gdFocused);
        QTest::newRow("current, unfocused")
            << QPoint(7, 3) << false << QRect(218, 58, 30, 18) << int(TDrawGrid::gdSelected);
        QTest::newRow("origin") << QPoint(0, 0) << true << QRect(1, 1, 30, 18) << 0;
        QTest::newRow("last") << QPoint(19, 9) << true << QRect(590, 172, 30, 18) << 0;
    }
    void drawCellGetsTheCellRectAndState() {
        QFETCH(QPoint, cell);
        QFETCH(bool, focused);
        QFETCH(QRect, rect);
        QFETCH(int, state);
        StartAt(7, 3);
        if (!focused)
            FOther->setFocus();
        FDrawn.clear();
        FDrawnRects.clear();
        FDrawnStates.clear();
        Render();
        QCOMPARE(FDrawn.size(), 200);
        const qsizetype At = FDrawn.indexOf(cell);
        QVERIFY(At >= 0);
        QCOMPARE(FDrawnRects.at(At), rect);
        QCOMPARE(int(FDrawnStates.at(At)), state);
        QCOMPARE(FDrawn.count(cell), 1);
    }

    void renderedGridLinesBorderAndBackground_data() {
        QTest::addColumn<bool>("focused");
        QTest::newRow("focused") << true;
        QTest::newRow("unfocused") << false;
    }
    void renderedGridLinesBorderAndBackground() {
        QFETCH(bool, focused);
        StartAt(3, 2);
        if (!focused)
            FOther->setFocus();
        const QImage Image = Render();
        const QColor Silver(0xC0, 0xC0, 0xC0);
        const QColor Base = FGrid->palette().color(QPalette::Base);
        const QColor Highlight = FGrid->palette().color(QPalette::Highlight);
        const QColor Border = FGrid->palette().color(QPalette::WindowText);
        QStringList Wrong;
        auto Expect = [&](int X, int Y, const QColor& Color) {
            const QColor Got = Image.pixelColor(X, Y);
            if (Got.rgb() != Color.rgb())
                Wrong << QStringLiteral("(%1,%2) %3 not %4").arg(X).arg(Y).arg(Describe(Got), Describe(Color));
        };
        QCOMPARE(Image.size(), QSize(621, 191));
        for (int C = 0; C < 19; ++C)
            for (int Y : {1, 10, 18, 100, 189})
                Expect(31 * C + 31, Y, Silver);
        for (int R = 0; R < 9; ++R)
            for (int X : {1, 15, 31, 300, 619})
                Expect(X, 19 * R + 19, Silver);
        for (int I : {0, 100, 620})
            Expect(I, 0, Border), Expect(I, 190, Border);
        for (int I : {0, 50, 190})
            Expect(0, I, Border), Expect(620, I, Border);
        // Inside every other cell, including its corners.
        for (int R = 0; R < 10; ++R)
            for (int C = 0; C < 20; ++C) {
                if (C == 3 && R == 2)
                    continue;
                const QRect Cell = FGrid->CellRect(C, R);
                for (const QPoint& P : {Cell.topLeft(), Cell.bottomRight(), Cell.center()})
                    Expect(P.x(), P.y(), Base);
            }
        const QRect Current = FGrid->CellRect(3, 2);
        Expect(Current.center().x(), Current.center().y(), focused ? Base : Highlight);
        // The focus frame inverts every other outer pixel; unfocused, the frame is gone.
        const QColor Inverted = QColor::fromRgb(~Base.rgb() | 0xFF000000u);
        for (int X = Current.left(); X <= Current.right(); ++X)
            for (int Y = Current.top(); Y <= Current.bottom(); ++Y) {
                const bool Outer =
                    X == Current.left() || X == Current.right() || Y == Current.top() || Y == Current.bottom();
                const bool Dot = Outer && (X - Current.left() + Y - Current.top()) % 2 == 0;
                Expect(X, Y, !focused ? Highlight : (Dot ? Inverted : Base));
            }
        QCOMPARE(Wrong, QStringList());
    }

    void drawCellPaintsOnlyInsideItsCell() {
        FGrid->SetOnDrawCell(
            [](TDrawGrid*, int, int, const QRect& Rect, TDrawGrid::TGridDrawState, QPainter& Canvas) {
                Canvas.fillRect(Rect.adjusted(-5, -5, 5, 5), Qt::red);
            });
        FOther->setFocus();
        const QImage Image = Render();
        const QRect Cell = FGrid->CellRect(6, 6);
        QCOMPARE(Describe(Image.pixelColor(Cell.topLeft())), Describe(QColor(Qt::red)));
        QCOMPARE(Describe(Image.pixelColor(Cell.bottomRight())), Describe(QColor(Qt::red)));
        QCOMPARE(Describe(Image.pixelColor(Cell.right() + 1, Cell.center().y())), Describe(QColor(0xC0, 0xC0, 0xC0)));
        QCOMPARE(Describe(Image.pixelColor(Cell.center().x(), Cell.bottom() + 1)), Describe(QColor(0xC0, 0xC0, 0xC0)));
    }
};

QTEST_MAIN(TDrawGridTest)
#include "tst_drawgrid.moc"
