// The shapes a left press paints (cell, rectangle, fill), the mirror and the pick, in the real window.
#include "editorharness.h"

namespace {

// A field from its first rows, in the level file's characters, as TEditor::Field shows it.
QString FieldOf(const QStringList& Rows)
{
    std::string Text;
    for (int R = 0; R < LevelRows; ++R)
        Text += Row(R < Rows.size() ? Rows[R].toStdString() : std::string());
    return QString::fromStdString(Text);
}

QStringList Repeated(const QString& Line, int Count = LevelRows)
{
    return QStringList(Count, Line);
}

QStringList DownButtons(TEditor& E)
{
    QStringList Down = E.DownPaletteButtons();
    for (const char* Name : {"btnDraw", "btnErase", "btnCell", "btnRectangle", "btnFill", "btnMirror"})
        if (E.Button(Name)->isChecked())
            Down << QString(Name);
    return Down;
}

QColor PixelAt(TEditor& E, const QPoint& At)
{
    return E.Grid->grab().toImage().pixelColor(At);
}

} // namespace

class TestShapeTools : public QObject {
    Q_OBJECT
private slots:
    void shapesPaintAsOneStep_data();
    void shapesPaintAsOneStep();
    void rectangleCornerFollowsTheAutoStep();
    void rectanglePreviewShowsOnlyWhileDragging();
    void rectanglePreviewRepaintsAllItChanges();
    void mirrorLineShowsWhileMirrorIsDown();
    void pickChoosesTheCellsKinds_data();
    void pickChoosesTheCellsKinds();
    void shapeButtonsAreExclusiveAndNameTheirKeys();
};

// Each script starts on a new level (or the level named), the draw tool and the Cell shape down, the focus on
// the grid. Keys: 1-9 a brick, Ctrl+1-6 a power-up, E erase, P cell, R rectangle, F fill, M mirror.
void TestShapeTools::shapesPaintAsOneStep_data()
{
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("field");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("undoText");
    const QStringList Block = {"", "....3.3.3.3.", "....3.3.3.3.", "....3.3.3.3."};
    const QStringList Column9 = QStringList(5) << "..................1.1.";
    QTest::newRow("rectangle down and right")
        << "" << "key 3; key R; press 2 1; move 4 2; release 5 3" << Block << 1 << "Undo Rectangle";
    QTest::newRow("rectangle up and left")
        << "" << "key 3; key R; press 5 3; move 3 2; release 2 1" << Block << 1 << "Undo Rectangle";
    QTest::newRow("rectangle up and right")
        << "" << "key 3; key R; press 2 3; move 9 0; release 5 1" << Block << 1 << "Undo Rectangle";
    QTest::newRow("rectangle down and left")
        << "" << "key 3; key R; press 5 1; release 2 3" << Block << 1 << "Undo Rectangle";
    QTest::newRow("rectangle with the eraser")
        << "alpha.txt" << "key E; key R; press 1 1; release 0 0" << QStringList{"....#."} << 1 << "Undo Rectangle";
    QTest::newRow("rectangle keeps power-ups under a brick")
        << "alpha.txt" << "key 7; key R; press 0 0; release 1 0" << QStringList{"7.7S#."} << 1 << "Undo Rectangle";
    QTest::newRow("Esc cancels the rectangle")
        << "" << "key 3; key R; press 2 1; move 5 3; key Escape; move 6 4; release 6 4" << QStringList{} << 0 << "Undo";
    QTest::newRow("after Esc the next press paints, a rectangle of one cell")
        << "" << "key 3; key R; press 2 1; key Escape; release 2 1; press 0 0; release 0 0" << QStringList{"3."} << 1
        << "Undo Rectangle";
    QTest::newRow("mirrored rectangle over the middle")
        << "" << "key 3; key M; key R; press 8 0; release 9 1" << Repeated("................3.3.3.3.", 2) << 1
        << "Undo Rectangle";

    QTest::newRow("fill bounded by a wall")
        << "wall.txt" << "key 4; key F; press 1 1; release 1 1" << Repeated("4.4.4.4.4.#.") << 1 << "Undo Fill";
    QTest::newRow("fill across the whole empty field")
        << "" << "key 2; key F; press 7 7; release 7 7" << Repeated(QString("2.").repeated(LevelColumns)) << 1
        << "Undo Fill";
    QTest::newRow("fill paints nothing more on the drag")
        << "wall.txt" << "key 4; key F; press 1 1; move 7 1; move 7 2; release 7 2" << Repeated("4.4.4.4.4.#.") << 1
        << "Undo Fill";
    QTest::newRow("fill with the eraser takes the wall")
        << "wall.txt" << "key E; key F; press 5 4; release 5 4" << QStringList{} << 1 << "Undo Fill";
    QTest::newRow("mirrored fill") << "wall.txt" << "key 9; key M; key F; press 0 0; release 0 0"
                                   << Repeated("9.9.9.9.9.#." + QString(18, '.') + "9.9.9.9.9.") << 1 << "Undo Fill";
    QTest::newRow("fill of the same brick and power-up only")
        << "alpha.txt" << "key Ctrl+3; key F; press 1 0; release 1 0" << QStringList{"1.2L#."} << 1 << "Undo Fill";

    QTest::newRow("mirrored stroke") << "" << "key 1; key M; press 0 0; move 2 0; release 2 0"
                                     << QStringList{"1.1.1." + QString(28, '.') + "1.1.1."} << 1 << "Undo Paint";
    QTest::newRow("mirrored column 9") << "" << "key 1; key M; press 9 5; release 9 5" << Column9 << 1 << "Undo Paint";
    QTest::newRow("mirrored stroke over columns 9 and 10")
        << "" << "key 1; key M; press 9 5; move 10 5; release 10 5" << Column9 << 1 << "Undo Paint";
    QTest::newRow("mirrored erase")
        << "alpha.txt" << "key E; key M; press 18 0; release 18 0" << QStringList{"1...#."} << 1 << "Undo Erase";
    QTest::newRow("keys and the wheel paint one cell, mirror or not")
        << "" << "key 1; key M; key R; key Right; wheel -120" << QStringList{"..1.", "..1."} << 2 << "Undo Paint";
    QTest::newRow("mirror off again")
        << "" << "key 1; key M; key M; press 0 0; release 0 0" << QStringList{"1."} << 1 << "Undo Paint";
}

void TestShapeTools::shapesPaintAsOneStep()
{
    QFETCH(QString, level);
    QFETCH(QString, script);
    QFETCH(QStringList, field);
    QFETCH(int, steps);
    QFETCH(QString, undoText);
    TGameDir Dir;
    // Fixed bricks down column 5, from the top to the bottom row.
    WriteBytes(Dir.Levels() / "wall.txt", FieldOf(Repeated("..........#.")).toStdString());
    TMessageCapture Capture;
    TEditor E(Dir, level);
    RunUndoAndRedo(E, script, steps, undoText);
    QCOMPARE(E.Field(), FieldOf(field)); // after the redo, as the script left it
    QCOMPARE(E.Form.Level().Changed, steps > 0 ? 1 : 0);
    QCOMPARE(ShownTexts(Capture), QStringList{});
}

void TestShapeTools::rectangleCornerFollowsTheAutoStep()
{
    TGameDir Dir;
    TEditor E(Dir);
    Run(E, "key 5; key R; press 16 2; move 17 3");
    // Held right of and below the grid, the corner steps every 60 ms until the bottom right cell.
    const QPoint Outside(E.Grid->width() + 20, E.Grid->height() + 20);
    QTest::mouseMove(E.Grid, Outside);
    QTRY_COMPARE(QPoint(E.Grid->Col(), E.Grid->Row()), QPoint(19, 9));
    QCOMPARE(E.Field(), FieldOf({})); // nothing is painted before the release
    QTest::mouseRelease(E.Grid, Qt::LeftButton, {}, Outside);
    QCOMPARE(E.Field(), FieldOf(QStringList(2) + Repeated("................................5.5.5.5.", 8)));
    QCOMPARE(E.Form.History().count(), 1);
}

// Dark outside, light inside, along the outline of the cells between the corners; gone after the release.
void TestShapeTools::rectanglePreviewShowsOnlyWhileDragging()
{
    TGameDir Dir;
    TEditor E(Dir);
    Run(E, "key 3; key R; press 2 1; move 4 3");
    const QRect Outline = E.Grid->CellRect(2, 1).united(E.Grid->CellRect(4, 3));
    const QColor Background = PixelAt(E, E.Grid->CellRect(8, 8).center());
    const auto Probe = [&] {
        // Away from the current cell (4, 3), whose focus frame would show after the preview has gone.
        return QStringList{PixelAt(E, Outline.topLeft()).name(), PixelAt(E, Outline.topLeft() + QPoint(1, 1)).name(),
                           PixelAt(E, Outline.bottomLeft()).name(),
                           PixelAt(E, Outline.bottomLeft() + QPoint(1, -1)).name(),
                           PixelAt(E, Outline.center()).name()};
    };
    QTRY_COMPARE(Probe(), (QStringList{"#141414", "#ffffff", "#141414", "#ffffff", Background.name()}));
    Run(E, "key Escape");
    QTRY_COMPARE(Probe(), QStringList(5, Background.name()));
    Run(E, "release 4 3; press 2 1; move 4 3; release 4 3");
    // The rectangle is painted: no outline over its bricks.
    const QColor Brick = PixelAt(E, E.Grid->CellRect(3, 2).topLeft());
    QCOMPARE(PixelAt(E, E.Grid->CellRect(2, 1).topLeft()).name(), Brick.name());
    QCOMPARE(PixelAt(E, E.Grid->CellRect(4, 3).bottomRight() - QPoint(1, 1)).name(),
             PixelAt(E, E.Grid->CellRect(3, 2).bottomRight() - QPoint(1, 1)).name());
}

// The preview repaints only where it changes; after each move, what the screen shows must equal a full
// repaint. Over bricks, so that a light or dark pixel left behind shows.
void TestShapeTools::rectanglePreviewRepaintsAllItChanges()
{
    TGameDir Dir;
    TEditor E(Dir);
    Run(E, "key 5; key F; press 0 0; release 0 0; key 3; key R; press 6 4");
    const auto Shown = [&] {
        const QPoint At = E.Grid->mapTo(&E.Form, QPoint(0, 0));
        return E.Grid->screen()
            ->grabWindow(E.Form.winId(), At.x(), At.y(), E.Grid->width(), E.Grid->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto Full = [&] { return E.Grid->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    QCOMPARE(Full().pixelColor(E.Grid->CellRect(6, 4).topLeft()).name(), QString("#141414"));
    TPaintSpy Spy(E.Grid);
    for (const char* Move : {"move 8 4", "move 10 4", "move 10 7", "move 8 8", "move 4 8", "move 3 2", "move 6 1",
                             "move 9 0", "move 6 4", "release 6 4"}) {
        const int Before = Spy.Paints;
        Run(E, Move);
        QTRY_VERIFY(Spy.Paints > Before);
        QVERIFY2(Shown() == Full(), qPrintable(QString("the screen and a full repaint differ after ") + Move));
    }
}

void TestShapeTools::mirrorLineShowsWhileMirrorIsDown()
{
    TGameDir Dir;
    TEditor E(Dir);
    const int X = E.Grid->CellRect(9, 0).right() + 1;
    const auto Line = [&] {
        QStringList Colours;
        for (int R : {0, 4, 9})
            Colours << PixelAt(E, QPoint(X, E.Grid->CellRect(9, R).center().y())).name();
        return Colours;
    };
    const QStringList GridLine = Line();
    QCOMPARE(GridLine, QStringList(3, "#c0c0c0"));
    E.Key("M");
    QVERIFY(E.Button("btnMirror")->isChecked());
    QTRY_COMPARE(Line(), QStringList(3, "#006ee6"));
    // Still there after its neighbours are painted.
    Run(E, "key 2; press 9 4; release 9 4");
    QTRY_COMPARE(Line(), QStringList(3, "#006ee6"));
    Run(E, "click btnMirror");
    QTRY_COMPARE(Line(), GridLine);
}

// alpha.txt: brick 1 at (0, 0), brick 2 with Single Shot at (1, 0), the fixed brick at (2, 0) (picked as any
// brick); the rest is empty. Before the pick, brick 5, Lower Speed and the eraser are chosen.
void TestShapeTools::pickChoosesTheCellsKinds_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("down");
    QTest::addColumn<QString>("painted");
    const QStringList Tools{"btnDraw", "btnCell"};
    QTest::newRow("full cell under the pointer")
        << "move 1 0; key I" << QStringList{"Brick 2, 1 Hit", "PowerUp - Single Shot"} + Tools << "(2, 1)";
    QTest::newRow("half cell under the pointer") << "move 0 0; key I" << QStringList{"Brick 1, 1 Hit"} + Tools
                                                 << "(1, 0)";
    QTest::newRow("empty cell under the pointer") << "move 3 0; key I" << Tools << "(0, 0)";
    QTest::newRow("the kind already chosen stays chosen")
        << "key 2; move 1 0; key I" << QStringList{"Brick 2, 1 Hit", "PowerUp - Single Shot"} + Tools << "(2, 1)";
    QTest::newRow("current cell once the pointer has left the grid")
        << "move 1 0; click btnPick" << QStringList{"Brick 1, 1 Hit"} + Tools << "(1, 0)";
}

void TestShapeTools::pickChoosesTheCellsKinds()
{
    QFETCH(QString, script);
    QFETCH(QStringList, down);
    QFETCH(QString, painted);
    TGameDir Dir;
    TMessageCapture Capture;
    TEditor E(Dir, "alpha.txt");
    Run(E, "key 5; key Ctrl+3; key E; " + script);
    QCOMPARE(DownButtons(E), down);
    // What was picked is what the draw tool paints next; an empty cell leaves nothing chosen to paint.
    Run(E, "press 10 8; release 10 8");
    QCOMPARE(CellText(E.Cell(10, 8)), painted);
    QCOMPARE(ShownTexts(Capture), QStringList{});
}

void TestShapeTools::shapeButtonsAreExclusiveAndNameTheirKeys()
{
    TGameDir Dir;
    TEditor E(Dir);
    QStringList Tips;
    for (const char* Name : {"btnCell", "btnRectangle", "btnFill", "btnMirror", "btnPick"})
        Tips << E.Button(Name)->toolTip();
    QCOMPARE(Tips, (QStringList{"Cell (P)", "Rectangle (R)", "Fill (F)", "Mirror (M)", "Pick (I)"}));
    QCOMPARE(DownButtons(E), (QStringList{"btnDraw", "btnCell"}));
    const struct {
        const char* Step;
        QStringList Down;
    } Steps[] = {{"key R", {"btnDraw", "btnRectangle"}},
                 {"key F", {"btnDraw", "btnFill"}},
                 {"key F", {"btnDraw", "btnFill"}},
                 {"key M", {"btnDraw", "btnFill", "btnMirror"}},
                 {"key P", {"btnDraw", "btnCell", "btnMirror"}},
                 {"key E", {"btnErase", "btnCell", "btnMirror"}}};
    for (const auto& Step : Steps) {
        Run(E, Step.Step);
        QCOMPARE(DownButtons(E), Step.Down);
    }
    Run(E, "click btnRectangle; click btnRectangle");
    QCOMPARE(DownButtons(E), (QStringList{"btnErase", "btnRectangle", "btnMirror"}));
}

QTEST_MAIN(TestShapeTools)
#include "tst_shapetools.moc"
