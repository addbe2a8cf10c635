#include "drawgrid.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

using TCells = QList<QPoint>;

static QString Describe(const TCells& Cells) {
    QStringList Parts;
    for (const QPoint& Cell : Cells)
        Parts << QStringLiteral("(%1,%2)").arg(Cell.x()).arg(Cell.y());
    return Parts.join(' ');
}

static void AddColumns() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<TCells>("expected");
}

// A default grid of 20 x 10 cells of 30 x 18 pixels beside a line edit, so that the focus has somewhere to go.
class TDrawGridTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> FHost;
    TDrawGrid* FGrid = nullptr;
    QLineEdit* FOther = nullptr;
    TCells FSelected;
    QStringList FStrokes; // "[" a stroke began, "]" it ended, "x" it was cancelled, "(c,r)" a selection
    QStringList FSources; // per selection: "pointer" or "key" (a key or the wheel), by StrokeByPointer
    QStringList FHovers;
    TCells FDrawn;
    QList<TDrawGrid::TGridDrawState> FDrawnStates;
    QPoint FStart, FRefused, FBlurAt;

    QTimer* AutoStepTimer() const { return FGrid->findChild<QTimer*>(QStringLiteral("AutoStepTimer")); }
    QPoint Current() const { return {FGrid->Col(), FGrid->Row()}; }

    // Steps separated by ';', aimed at a cell's centre ("<col> <row>") or at a pixel ("@<x>,<y>"):
    //   start C R      click the cell, then forget the select events and paints so far
    //   refuse C R     the select handler refuses that cell;  blurat C R: it takes the focus away at that cell
    //   press, release, move, dclick [:right|:middle]; lostmove: a move with the left button up (released elsewhere)
    //   tick           the auto-step timer fires, as if 60 ms had passed, if it runs
    //   key SEQ        a key such as Ctrl+Home;  wheel DELTA;  blur: the focus goes to the line edit
    void Run(const QString& Script) {
        for (const QString& Step : Script.split(';', Qt::SkipEmptyParts)) {
            const QStringList W = Step.simplified().split(' ');
            const QString Name = W.at(0).section(':', 0, 0), ButtonName = W.at(0).section(':', 1);
            const Qt::MouseButton Button = ButtonName == "right"    ? Qt::RightButton
                                           : ButtonName == "middle" ? Qt::MiddleButton
                                                                    : Qt::LeftButton;
            const QPoint Cell(W.value(1).toInt(), W.value(2).toInt());
            const QStringList XY = W.value(1).mid(1).split(',');
            const QPoint Pos = W.value(1).startsWith('@') ? QPoint(XY.at(0).toInt(), XY.value(1).toInt())
                                                          : FGrid->CellRect(Cell.x(), Cell.y()).center();
            if (Name == "tick") {
                QTimerEvent Event(AutoStepTimer()->timerId());
                if (AutoStepTimer()->isActive())
                    QCoreApplication::sendEvent(AutoStepTimer(), &Event);
            } else if (Name == "start") {
                QTest::mouseClick(FGrid, Qt::LeftButton, Qt::NoModifier, Pos);
                QCoreApplication::processEvents();
                FStart = Cell;
                FSelected.clear();
                FDrawn.clear();
            } else if (Name == "refuse") {
                FRefused = Cell;
            } else if (Name == "blurat") {
                FBlurAt = Cell;
            } else if (Name == "blur") {
                FOther->setFocus();
            } else if (Name == "key") {
                const QKeyCombination Key = QKeySequence(W.at(1))[0];
                QTest::keyClick(FGrid, Key.key(), Key.keyboardModifiers());
            } else if (Name == "wheel") {
                const QPointF At = FGrid->CellRect(FGrid->Col(), FGrid->Row()).center();
                QWheelEvent Event(At, FGrid->mapToGlobal(At), QPoint(), QPoint(0, W.at(1).toInt()), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(FGrid, &Event);
            } else if (Name == "press") {
                QTest::mousePress(FGrid, Button, Qt::NoModifier, Pos);
            } else if (Name == "release") {
                QTest::mouseRelease(FGrid, Button, Qt::NoModifier, Pos);
            } else if (Name == "move") {
                QTest::mouseMove(FGrid, Pos);
            } else if (Name == "dclick") {
                QTest::mouseDClick(FGrid, Button, Qt::NoModifier, Pos);
            } else if (Name == "lostmove") {
                QMouseEvent Event(QEvent::MouseMove, Pos, FGrid->mapToGlobal(Pos), Qt::NoButton, Qt::RightButton,
                                  Qt::NoModifier);
                QApplication::sendEvent(FGrid, &Event);
            } else {
                QFAIL(qPrintable("unknown step " + Step));
            }
        }
    }

    // The select events must be the expected ones, and the current cell the last one (the start when refusing).
    void RunAndCompare() {
        QFETCH(QString, script);
        QFETCH(TCells, expected);
        Run(script);
        QCOMPARE(Describe(FSelected), Describe(expected));
        QCOMPARE(Current(), expected.isEmpty() || FRefused.x() >= 0 ? FStart : expected.last());
    }

    QImage Render() const { return FGrid->grab().toImage().convertToFormat(QImage::Format_RGB32); }

private slots:
    void init() {
        FHost = std::make_unique<QWidget>();
        auto* Layout = new QHBoxLayout(FHost.get());
        Layout->addWidget(FGrid = new TDrawGrid);
        Layout->addWidget(FOther = new QLineEdit);
        FSelected.clear();
        FStart = QPoint(0, 0);
        FRefused = FBlurAt = QPoint(-1, -1);
        FGrid->SetOnSelectCell([this](TDrawGrid* Sender, int ACol, int ARow, bool& CanSelect) {
            QCOMPARE(Sender, FGrid);
            FSelected << QPoint(ACol, ARow);
            FStrokes << QStringLiteral("(%1,%2)").arg(ACol).arg(ARow);
            FSources << (FGrid->StrokeByPointer() ? "pointer" : "key");
            CanSelect = QPoint(ACol, ARow) != FRefused;
            if (QPoint(ACol, ARow) == FBlurAt)
                FOther->setFocus();
        });
        FGrid->SetOnDrawCell([this](TDrawGrid*, int ACol, int ARow, const QRect& Rect, TDrawGrid::TGridDrawState State,
                                    QPainter&) {
            QCOMPARE(Rect, FGrid->CellRect(ACol, ARow));
            FDrawn << QPoint(ACol, ARow);
            FDrawnStates << State;
        });
        FStrokes.clear();
        FSources.clear();
        FHovers.clear();
        connect(FGrid, &TDrawGrid::StrokeBegan, this, [this] { FStrokes << "["; });
        connect(FGrid, &TDrawGrid::StrokeEnded, this, [this] { FStrokes << "]"; });
        connect(FGrid, &TDrawGrid::StrokeCancelled, this, [this] { FStrokes << "x"; });
        connect(FGrid, &TDrawGrid::HoverCellChanged, this,
                [this](int ACol, int ARow) { FHovers << QStringLiteral("(%1,%2)").arg(ACol).arg(ARow); });
        FHost->show();
        FHost->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FHost.get()));
        FGrid->setFocus();
    }

    void cleanup() {
        QTest::mouseRelease(FGrid, Qt::LeftButton, Qt::NoModifier, QPoint(-50, -50));
        FHost.reset();
    }

    void startsAtOriginWithoutSelectEventAtAFixedSize() {
        QCOMPARE(Current(), QPoint(0, 0));
        QCOMPARE(Describe(FSelected), QString());
        QCOMPARE(FGrid->size(), QSize(621, 191));
        QCOMPARE(FGrid->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(FGrid->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(AutoStepTimer()->interval(), 60);
    }

    void cellRectIsTheCellWithoutItsLinesOrEmptyOutside() {
        QCOMPARE(FGrid->CellRect(1, 1), QRect(32, 20, 30, 18));
        QCOMPARE(FGrid->CellRect(19, 9), QRect(590, 172, 30, 18));
        QCOMPARE(FGrid->CellRect(20, 0), QRect());
        QCOMPARE(FGrid->CellRect(0, 10), QRect());
        QCOMPARE(FGrid->CellRect(-1, 0), QRect());
    }

    void setGridSizeResizesAndClampsWithoutSelecting() {
        Run("start 19 9");
        FGrid->SetGridSize(5, 4, 10, 8);
        QCOMPARE(FGrid->size(), QSize(56, 37));
        QCOMPARE(FGrid->CellRect(4, 3), QRect(45, 28, 10, 8));
        QCOMPARE(Current(), QPoint(4, 3));
        QCOMPARE(Describe(FSelected), QString());
    }

    // Each script starts with the focus elsewhere; any press gives it to the grid.
    void mouseSelectsCells_data() {
        AddColumns();
        QTest::newRow("press on the current cell selects it again") << "press 0 0; release 0 0" << TCells{{0, 0}};
        QTest::newRow("re-entering a cell selects it again")
            << "press 0 0; move 1 0; move 0 0; move 1 0; release 1 0" << TCells{{0, 0}, {1, 0}, {0, 0}, {1, 0}};
        QTest::newRow("release over the current cell selects nothing more")
            << "press 0 0; move 1 0; release 1 0" << TCells{{0, 0}, {1, 0}};
        QTest::newRow("lines right of and below a cell are that cell") << "press @31,19; release @31,19" << TCells{{0, 0}};
        QTest::newRow("pixel after the lines is the next cell") << "press @32,20; release @32,20" << TCells{{1, 1}};
        QTest::newRow("right border is the last column's line") << "press @620,5; release @620,5" << TCells{{19, 0}};
        QTest::newRow("left border is no cell and starts no drag") << "press @0,5; move 2 0; release 2 0" << TCells{};
        QTest::newRow("moves over the cell and its line select nothing more")
            << "press 4 4; move @155,80; move @155,84; release @155,84" << TCells{{4, 4}};
        QTest::newRow("fast drag backwards fills the row in order")
            << "press 9 2; move 6 2; release 6 2" << TCells{{9, 2}, {8, 2}, {7, 2}, {6, 2}};
        QTest::newRow("fast drag up a column") << "press 3 9; move 3 6; release 3 6" << TCells{{3, 9}, {3, 8}, {3, 7}, {3, 6}};
        QTest::newRow("fast drag on a shallow slope")
            << "press 0 0; move 4 2; release 4 2" << TCells{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
        QTest::newRow("fast release fills the row") << "press 2 1; release 5 1" << TCells{{2, 1}, {3, 1}, {4, 1}, {5, 1}};
        QTest::newRow("move without the left button ends the stroke")
            << "press 1 1; lostmove 2 1; move 3 1; release 3 1" << TCells{{1, 1}};
        QTest::newRow("right and middle buttons select nothing")
            << "press:right 3 3; move 4 3; release:right 4 3; press:middle 3 3; move 4 3; release:middle 4 3" << TCells{};
        QTest::newRow("double-click selects once and does not drag")
            << "press 4 4; release 4 4; dclick 4 4; move 5 4; move 6 4; release 6 4" << TCells{{4, 4}};
    }
    void mouseSelectsCells() {
        FOther->setFocus();
        RunAndCompare();
        QVERIFY(FGrid->hasFocus());
    }

    // The pointer leaves the grid during a drag; each tick steps one cell towards it.
    void autoStepsTowardsPointerOutside_data() {
        AddColumns();
        QTest::newRow("no step before the timer fires") << "press 3 4; move @-10,80" << TCells{{3, 4}};
        QTest::newRow("left") << "press 3 4; move @-10,80; tick; tick" << TCells{{3, 4}, {2, 4}, {1, 4}};
        QTest::newRow("diagonal goes on along the free axis")
            << "press 18 5; move @700,300; tick; tick; tick; tick; tick"
            << TCells{{18, 5}, {19, 6}, {19, 7}, {19, 8}, {19, 9}};
        QTest::newRow("up and left stops in the corner") << "press 2 1; move @-1,-1; tick; tick; tick" << TCells{{2, 1}, {1, 0}, {0, 0}};
        QTest::newRow("left border pixel is outside") << "press 1 3; move @0,65; tick" << TCells{{1, 3}, {0, 3}};
        QTest::newRow("first pixel past the last lines is not yet outside")
            << "press 18 8; move @621,191; tick; tick" << TCells{{18, 8}};
        QTest::newRow("one pixel further on both axes is outside")
            << "press 18 8; move @622,192; tick" << TCells{{18, 8}, {19, 9}};
        QTest::newRow("pointer moving outside changes the direction")
            << "press 5 5; move @-50,100; tick; move @100,-50; tick; tick" << TCells{{5, 5}, {4, 5}, {4, 4}, {4, 3}};
        QTest::newRow("release stops the steps")
            << "press 10 5; move @-50,100; tick; release @-50,100; tick; tick" << TCells{{10, 5}, {9, 5}};
        QTest::newRow("coming back inside stops the steps")
            << "press 10 5; move @-50,100; tick; move 10 5; tick; tick" << TCells{{10, 5}, {9, 5}, {10, 5}};
        // A message box opened from the select handler takes the focus and, with it, the button release.
        QTest::newRow("focus loss ends the stroke")
            << "press 10 5; move @-50,100; tick; blur; tick; move 12 5; move @-50,100; tick" << TCells{{10, 5}, {9, 5}};
    }
    void autoStepsTowardsPointerOutside() { RunAndCompare(); }

    // Only two pointer positions that both lie on cells are joined by a line: what happened outside the
    // cell area is the auto-step's alone.
    void strokeComingBackInSelectsOnlyTheCellEntered_data() {
        AddColumns();
        QTest::newRow("re-entering elsewhere, no tick")
            << "press 2 2; move @-10,40; move 8 6; release 8 6" << TCells{{2, 2}, {8, 6}};
        QTest::newRow("steps while outside, then the entered cell, then a line again")
            << "press 3 4; move @-10,80; tick; tick; move 9 4; move 11 4; release 11 4"
            << TCells{{3, 4}, {2, 4}, {1, 4}, {9, 4}, {10, 4}, {11, 4}};
        QTest::newRow("release over another cell after being outside")
            << "press 2 2; move @300,-20; release 9 7" << TCells{{2, 2}, {9, 7}};
        QTest::newRow("out through the right, back in through the bottom")
            << "press 17 1; move @700,30; tick; move @300,250; move 10 8; release 10 8"
            << TCells{{17, 1}, {18, 1}, {10, 8}};
        QTest::newRow("the left border pixel is outside the cell area")
            << "press 1 1; move @0,25; move 5 1; release 5 1" << TCells{{1, 1}, {5, 1}};
        QTest::newRow("past the last lines is outside the cell area")
            << "press 18 8; move @621,191; move 15 5; release 15 5" << TCells{{18, 8}, {15, 5}};
        QTest::newRow("coming back onto the current cell selects nothing")
            << "press 6 3; move @-5,60; move 6 3; move 8 3; release 8 3" << TCells{{6, 3}, {7, 3}, {8, 3}};
    }
    void strokeComingBackInSelectsOnlyTheCellEntered() { RunAndCompare(); }

    void keysMoveTheCurrentCell_data() {
        AddColumns();
        QTest::newRow("arrows move one cell")
            << "start 5 5; key Right; key Down; key Left; key Up" << TCells{{6, 5}, {6, 6}, {5, 6}, {5, 5}};
        QTest::newRow("arrows stop at the edges")
            << "start 0 0; key Left; key Up; key Ctrl+End; key Right; key Down" << TCells{{19, 9}};
        QTest::newRow("home and end") << "start 5 5; key Home; key End" << TCells{{0, 5}, {19, 5}};
        QTest::newRow("page down clamps, page up is 9 rows") << "start 5 5; key PgDown; key PgUp" << TCells{{5, 9}, {5, 0}};
        QTest::newRow("ctrl+home and ctrl+end") << "start 5 5; key Ctrl+Home; key Ctrl+End" << TCells{{0, 0}, {19, 9}};
        QTest::newRow("ctrl+page up and down") << "start 5 5; key Ctrl+PgUp; key Ctrl+PgDown" << TCells{{5, 0}, {5, 9}};
        QTest::newRow("ctrl+left and right") << "start 5 5; key Ctrl+Left; key Ctrl+Right" << TCells{{0, 5}, {19, 5}};
        QTest::newRow("ctrl+up and down move one row") << "start 5 5; key Ctrl+Up; key Ctrl+Down" << TCells{{5, 4}, {5, 5}};
        QTest::newRow("shift is ignored") << "start 5 5; key Shift+Right; key Ctrl+Shift+End" << TCells{{6, 5}, {19, 9}};
        QTest::newRow("a letter") << "start 5 5; key A" << TCells{};
    }
    void keysMoveTheCurrentCell() { RunAndCompare(); }

    void wheelMovesOneRowPerNotch_data() {
        AddColumns();
        QTest::newRow("two notches down in one event") << "start 3 4; wheel -240" << TCells{{3, 5}, {3, 6}};
        QTest::newRow("up stops at row 0") << "start 3 1; wheel 240" << TCells{{3, 0}};
        QTest::newRow("down stops at row 9") << "start 3 8; wheel -240" << TCells{{3, 9}};
        QTest::newRow("half notches add up") << "start 3 4; wheel -60; wheel -60" << TCells{{3, 5}};
        QTest::newRow("turning back starts a fresh notch") << "start 3 4; wheel -90; wheel 120" << TCells{{3, 3}};
        QTest::newRow("not focused") << "start 3 4; blur; wheel -120; wheel 120" << TCells{};
    }
    void wheelMovesOneRowPerNotch() { RunAndCompare(); }

    // A refused cell never becomes current; a handler that takes the focus away (an error box) ends a walk.
    void handlerStopsTheSelection_data() {
        AddColumns();
        QTest::newRow("press, and release over it") << "start 1 0; refuse 2 0; press 2 0; release 2 0" << TCells{{2, 0}, {2, 0}};
        QTest::newRow("key") << "start 1 0; refuse 2 0; key Right" << TCells{{2, 0}};
        QTest::newRow("fast drag stops at it") << "start 1 0; refuse 2 0; press 1 0; move 4 0" << TCells{{1, 0}, {2, 0}};
        QTest::newRow("auto-step stays") << "start 1 0; refuse 2 0; press 1 0; move @700,5; tick; tick"
                                         << TCells{{1, 0}, {2, 0}, {2, 0}};
        QTest::newRow("focus taken at a cell ends the walk there")
            << "press 0 0; blurat 2 0; move 5 0; move 6 0; release 6 0" << TCells{{0, 0}, {1, 0}, {2, 0}};
    }
    void handlerStopsTheSelection() { RunAndCompare(); }

    // Every selection lies inside a stroke: a press until its release, one key move, one wheel notch.
    void strokesFrameTheSelections_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("strokes");
        QTest::newRow("a drag and its release") << "press 1 1; move 2 1; release 4 1" << "[ (1,1) (2,1) (3,1) (4,1) ]";
        QTest::newRow("auto-steps stay in the press's stroke")
            << "press 2 3; move @-10,60; tick; tick; release @-10,60" << "[ (2,3) (1,3) (0,3) ]";
        QTest::newRow("each key move") << "key Right; key Down; key Up" << "[ (1,0) ] [ (1,1) ] [ (1,0) ]";
        QTest::newRow("a key that moves nowhere begins nothing") << "key Left; key Ctrl+Home" << "";
        QTest::newRow("each wheel notch") << "wheel -240" << "[ (0,1) ] [ (0,2) ]";
        QTest::newRow("a key during a drag splits it")
            << "press 1 1; key Right; move 3 2; release 3 2" << "[ (1,1) ] [ (2,1) ] [ (3,2) ]";
        QTest::newRow("focus loss cancels it") << "press 1 1; blur; move 2 1; release 2 1" << "[ (1,1) x ]";
        QTest::newRow("Esc cancels it, and the release selects nothing")
            << "press 1 1; move 2 1; key Escape; move 4 1; release 4 1" << "[ (1,1) (2,1) x ]";
        QTest::newRow("Esc without a drag cancels nothing") << "key Escape; key Right" << "[ (1,0) ]";
        QTest::newRow("a double-click adds none") << "press 4 4; release 4 4; dclick 4 4; release 4 4" << "[ (4,4) ]";
        QTest::newRow("a release elsewhere cancels it") << "press 1 1; lostmove 2 1" << "[ (1,1) x ]";
        QTest::newRow("other buttons begin none") << "press:right 1 1; release:right 1 1" << "";
    }
    void strokesFrameTheSelections() {
        QFETCH(QString, script);
        QFETCH(QString, strokes);
        Run(script);
        QCOMPARE(FStrokes.join(' '), strokes);
    }

    // So that an owner can paint a shape for a press and one cell for a key, even in the middle of a drag.
    void strokeByPointerTellsAPressFromAKey() {
        Run("press 1 1; move 2 1; key Down; move 3 3; release 3 3; wheel -120; key Left");
        QCOMPARE(FSources, (QStringList{"pointer", "pointer", "key", "pointer", "key", "key"}));
        QVERIFY(!FGrid->StrokeByPointer());
    }

    // Drawn last, over the cells and the lines, until the owner takes it away.
    void drawOverPaintsOverCellsAndLines() {
        FGrid->SetOnDrawOver([&](TDrawGrid* Sender, QPainter& Canvas) {
            QCOMPARE(Sender, FGrid);
            Canvas.fillRect(FGrid->CellRect(2, 2).adjusted(0, 0, 1, 1), Qt::magenta);
        });
        const QRect Cell = FGrid->CellRect(2, 2);
        QImage Image = Render();
        QCOMPARE(Image.pixelColor(Cell.center()), QColor(Qt::magenta));
        QCOMPARE(Image.pixelColor(Cell.bottomRight() + QPoint(1, 1)), QColor(Qt::magenta));
        FGrid->SetOnDrawOver({});
        Image = Render();
        QCOMPARE(Image.pixelColor(Cell.center()), FGrid->palette().color(QPalette::Base));
        QCOMPARE(Image.pixelColor(Cell.bottomRight() + QPoint(1, 1)), QColor(0xC0, 0xC0, 0xC0));
    }

    void hoverReportsTheCellUnderThePointerAndSelectsNothing() {
        QTest::mouseMove(FGrid, FGrid->CellRect(3, 3).center());
        QTest::mouseMove(FGrid, FGrid->CellRect(3, 3).center() + QPoint(2, 2));
        QTest::mouseMove(FGrid, FGrid->CellRect(4, 3).center());
        QTest::mouseMove(FGrid, QPoint(0, 5)); // the border belongs to no cell
        QTest::mouseMove(FGrid, FGrid->CellRect(5, 0).center());
        QTest::mouseMove(FOther, FOther->rect().center());
        QTRY_COMPARE(FHovers.join(' '), QStringLiteral("(3,3) (4,3) (-1,-1) (5,0) (-1,-1)"));
        QCOMPARE(Describe(FSelected), QString());
        QCOMPARE(Current(), QPoint(0, 0));
    }

    void focusChangesSelectNothing() {
        Run("start 4 2");
        QTest::keyClick(FGrid, Qt::Key_Tab);
        QVERIFY(FOther->hasFocus());
        QTest::keyClick(FOther, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(FGrid->hasFocus());
        FOther->setFocus(Qt::MouseFocusReason);
        FGrid->setFocus(Qt::OtherFocusReason);
        QCOMPARE(Describe(FSelected), QString());
        QCOMPARE(Current(), QPoint(4, 2));
    }

    void selectionRepaintsOnlyTheCellsLeftAndEntered_data() {
        AddColumns();
        QTest::newRow("key") << "key Right" << TCells{{4, 3}, {5, 3}};
        QTest::newRow("press far away") << "press 10 8; release 10 8" << TCells{{4, 3}, {10, 8}};
    }
    void selectionRepaintsOnlyTheCellsLeftAndEntered() {
        QFETCH(QString, script);
        QFETCH(TCells, expected);
        QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));
        Run("start 4 3; " + script);
        QCoreApplication::processEvents();
        std::sort(FDrawn.begin(), FDrawn.end(), [](QPoint A, QPoint B) { return std::pair(A.y(), A.x()) < std::pair(B.y(), B.x()); });
        FDrawn.erase(std::unique(FDrawn.begin(), FDrawn.end()), FDrawn.end());
        QCOMPARE(Describe(FDrawn), Describe(expected));
    }

    void invalidateCellsRepaintsJustThoseCells() {
        QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));
        QCoreApplication::processEvents();
        FDrawn.clear();
        FGrid->InvalidateCells({{2, 2}, {3, 2}, {2, 3}, {19, 9}, {7, 0}, {20, 0}});
        QCoreApplication::processEvents();
        std::sort(FDrawn.begin(), FDrawn.end(), [](QPoint A, QPoint B) { return std::pair(A.y(), A.x()) < std::pair(B.y(), B.x()); });
        QCOMPARE(Describe(FDrawn), Describe({{7, 0}, {2, 2}, {3, 2}, {2, 3}, {19, 9}}));
    }

    void renderedLinesBorderCellsAndFocusFrame_data() {
        QTest::addColumn<bool>("focused");
        QTest::newRow("focused") << true;
        QTest::newRow("unfocused") << false;
    }
    void renderedLinesBorderCellsAndFocusFrame() {
        QFETCH(bool, focused);
        Run(focused ? "start 3 2" : "start 3 2; blur");
        FDrawn.clear();
        FDrawnStates.clear();
        const QImage Image = Render();
        QCOMPARE(FDrawn.size(), 200);
        QCOMPARE(int(FDrawnStates.at(FDrawn.indexOf(QPoint(3, 2)))), int(TDrawGrid::gdSelected) | (focused ? TDrawGrid::gdFocused : 0));
        QCOMPARE(FDrawnStates.count(TDrawGrid::TGridDrawState()), 199);
        const QPalette& Palette = FGrid->palette();
        const QColor Silver(0xC0, 0xC0, 0xC0), Base = Palette.color(QPalette::Base),
            Highlight = Palette.color(QPalette::Highlight), Border = Palette.color(QPalette::WindowText);
        QStringList Wrong;
        auto Expect = [&](int X, int Y, const QColor& Color) {
            if (Image.pixel(X, Y) != Color.rgb())
                Wrong << QStringLiteral("(%1,%2) %3 not %4").arg(X).arg(Y).arg(Image.pixelColor(X, Y).name(), Color.name());
        };
        QCOMPARE(Image.size(), QSize(621, 191));
        for (int C = 0; C < 19; ++C)
            for (int Y : {1, 100, 189})
                Expect(31 * C + 31, Y, Silver);
        for (int R = 0; R < 9; ++R)
            for (int X : {1, 300, 619})
                Expect(X, 19 * R + 19, Silver);
        for (int I : {0, 100, 620})
            Expect(I, 0, Border), Expect(I, 190, Border);
        for (int I : {0, 50, 190})
            Expect(0, I, Border), Expect(620, I, Border);
        for (int R = 0; R < 10; ++R)
            for (int C = 0; C < 20; ++C)
                if (C != 3 || R != 2)
                    for (const QPoint& P : {FGrid->CellRect(C, R).topLeft(), FGrid->CellRect(C, R).bottomRight()})
                        Expect(P.x(), P.y(), Base);
        // Focused, a dotted frame inverts every other outer pixel of the current cell; unfocused, it is highlighted.
        const QRect Cell = FGrid->CellRect(3, 2);
        const QColor Inverted = QColor::fromRgb(~Base.rgb() | 0xFF000000u);
        for (int X = Cell.left(); X <= Cell.right(); ++X)
            for (int Y = Cell.top(); Y <= Cell.bottom(); ++Y) {
                const bool Outer = X == Cell.left() || X == Cell.right() || Y == Cell.top() || Y == Cell.bottom();
                const bool Dot = Outer && (X - Cell.left() + Y - Cell.top()) % 2 == 0;
                Expect(X, Y, !focused ? Highlight : (Dot ? Inverted : Base));
            }
        QCOMPARE(Wrong, QStringList());
    }

    void drawCellPaintsOnlyInsideItsCell() {
        FGrid->SetOnDrawCell([](TDrawGrid*, int, int, const QRect& Rect, TDrawGrid::TGridDrawState, QPainter& Canvas) {
            Canvas.fillRect(Rect.adjusted(-5, -5, 5, 5), Qt::red);
        });
        FOther->setFocus();
        const QImage Image = Render();
        const QRect Cell = FGrid->CellRect(6, 6);
        QCOMPARE(Image.pixelColor(Cell.topLeft()).name(), QColor(Qt::red).name());
        QCOMPARE(Image.pixelColor(Cell.bottomRight()).name(), QColor(Qt::red).name());
        QCOMPARE(Image.pixelColor(Cell.right() + 1, Cell.center().y()).name(), QColor(0xC0, 0xC0, 0xC0).name());
        QCOMPARE(Image.pixelColor(Cell.center().x(), Cell.bottom() + 1).name(), QColor(0xC0, 0xC0, 0xC0).name());
    }
};

QTEST_MAIN(TDrawGridTest)
#include "tst_drawgrid.moc"
