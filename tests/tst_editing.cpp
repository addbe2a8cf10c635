// The editing loop around the field: the history with Undo and Redo, the window's keys, the status line.
#include "editorharness.h"

#include <QMenu>
#include <QMenuBar>

namespace {

// What the user can see of the choices, the level and the history, in one line.
QString State(TEditor& E)
{
    const QString Tool = E.Button("btnDraw")->isChecked() ? "draw" : E.Button("btnErase")->isChecked() ? "erase" : "?";
    return QStringLiteral("tool %1, brick %2, power-up %3, changed %4, steps %5/%6, %7")
        .arg(Tool)
        .arg(E.Form.SelectedBrick())
        .arg(E.Form.SelectedPowerUp())
        .arg(E.Form.Level().Changed)
        .arg(E.Form.History().index())
        .arg(E.Form.History().count())
        .arg(E.Label->text());
}

} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    // Each script starts on alpha.txt, opened and unchanged, with the focus on the grid at (0, 0).
    void stepsUndoAndRedoAsAWhole_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("undoText");
        QTest::newRow("a drag is one step") << "key 4; press 3 3; move 4 3; move 5 4; release 6 4" << 1 << "Undo Paint";
        QTest::newRow("painting a cell twice in one drag")
            << "key 4; press 3 3; move 4 3; move 3 3; release 3 3" << 1 << "Undo Paint";
        QTest::newRow("each key move is one step") << "key 6; key Right; key Right; key Down" << 3 << "Undo Paint";
        QTest::newRow("each wheel notch is one step") << "key 6; wheel -120; wheel -240" << 3 << "Undo Paint";
        QTest::newRow("a key during a drag splits it")
            << "key 6; press 5 5; move 6 5; key Down; move 8 6; release 8 6" << 3 << "Undo Paint";
        QTest::newRow("nothing changed, nothing recorded")
            << "press 3 3; move 5 3; release 5 3; key Right; wheel -120" << 0 << "Undo";
        QTest::newRow("a cell painted as it was is not recorded") << "key 1; press 0 0; release 0 0" << 0 << "Undo";
        QTest::newRow("erasing is named so") << "key E; press 0 0; move 2 0; release 2 0" << 1 << "Undo Erase";
        QTest::newRow("undo in the middle of a drag takes back what it did so far")
            << "key 7; press 0 5; move 3 5; key Ctrl+Z; move 5 5; release 5 5" << 1 << "Undo Paint";
    }
    void stepsUndoAndRedoAsAWhole()
    {
        QFETCH(QString, script);
        QFETCH(int, steps);
        QFETCH(QString, undoText);
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        RunUndoAndRedo(E, script, steps, undoText);
        QCOMPARE(Capture.Shown.size(), 0);
    }

    // With nothing in the history yet, Undo and Redo still split the open drag: Undo takes back what it
    // painted so far, and the drag goes on painting from where the pointer is.
    void undoAndRedoSplitTheFirstDrag_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("steps");
        QTest::newRow("undo") << "Ctrl+Z"
                              << "........7.7.7." << 1;
        QTest::newRow("redo") << "Ctrl+Y"
                              << "7.7.7.7.7.7.7." << 2;
    }
    void undoAndRedoSplitTheFirstDrag()
    {
        QFETCH(QString, key);
        QFETCH(QString, row);
        QFETCH(int, steps);
        TGameDir Dir;
        TEditor E(Dir);
        E.Key("7");
        E.Press(0, 5);
        E.MoveTo(3, 5);
        QVERIFY(E.Action("menUndo")->isEnabled());
        QVERIFY(E.Action("menRedo")->isEnabled());
        E.Key(key);
        E.MoveTo(6, 5);
        E.Release(6, 5);
        QCOMPARE(E.Field(), QString::fromStdString(EmptyRows(5) + Row(row.toStdString()) + EmptyRows(4)));
        QCOMPARE(E.Form.History().count(), steps);
        QVERIFY(!E.Action("menRedo")->isEnabled());
    }

    void undoAndRedoRepaintTheirCells()
    {
        TGameDir Dir;
        TEditor E(Dir, "alpha.txt");
        Run(E, "key 9; press 10 5; move 12 5; release 12 5");
        QRegion Stroke;
        for (int Col = 10; Col <= 12; ++Col)
            Stroke += E.Grid->CellRect(Col, 5);
        QCoreApplication::processEvents(); // the stroke's own repaints
        TPaintSpy Spy(E.Grid);
        for (const char* Key : {"Ctrl+Z", "Ctrl+Shift+Z", "Ctrl+Z", "Ctrl+Y"}) {
            Spy.Painted = QRegion();
            E.Key(Key);
            QTRY_VERIFY2(Spy.Painted.contains(Stroke.boundingRect()), Key);
            QCOMPARE(CellText(E.Cell(11, 5)), CellText(QByteArray(Key) == "Ctrl+Z" ? TLevelCell{} : TLevelCell{9, 0}));
        }
        QCOMPARE(E.Action("menUndo")->text(), QStringLiteral("Undo Paint"));
    }

    void autoStepsBelongToTheStrokeThatStartedThem()
    {
        TGameDir Dir;
        TEditor E(Dir);
        E.Key("3");
        E.Press(3, 2);
        // Held left of the grid, the current cell steps left every 60 ms until column 0.
        QTest::mouseMove(E.Grid, QPoint(-20, E.Grid->CellRect(0, 2).center().y()));
        QTRY_COMPARE(E.Grid->Col(), 0);
        QTest::mouseRelease(E.Grid, Qt::LeftButton, {}, QPoint(-20, E.Grid->CellRect(0, 2).center().y()));
        QCOMPARE(E.Form.History().count(), 1);
        for (int Col = 0; Col <= 3; ++Col)
            QCOMPARE(CellText(E.Cell(Col, 2)), CellText({3, 0}));
        E.Key("Ctrl+Z");
        QCOMPARE(E.Field(), QString::fromStdString(EmptyRows(10)));
    }

    void undoAfterSaveMakesTheLevelChangedAgain()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "beta.txt");
        E.Key("5");
        E.ClickCell(0, 0);
        E.Key("Ctrl+S");
        QCOMPARE(E.Form.Level().Changed, 0);
        QCOMPARE(E.Form.History().count(), 1); // a save keeps the history
        E.Key("Ctrl+Z");
        QCOMPARE(E.Form.Level().Changed, 1);
        Capture.Answers = {TModalResult::Cancel};
        QVERIFY(!E.Form.close());
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        Capture.Answers = {TModalResult::No};
        QVERIFY(E.Form.close());
    }

    void openingAndNewClearTheHistory()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Key("2");
        E.ClickCell(1, 1);
        Capture.Answers = {TModalResult::No};
        E.ClickEntry("gamma.txt");
        QCOMPARE(State(E),
                 QStringLiteral("tool draw, brick 2, power-up 0, changed 0, steps 0/0, Level: data/levels/gamma.txt"));
        QVERIFY(!E.Action("menUndo")->isEnabled());
        E.ClickCell(1, 1);
        Capture.Answers = {TModalResult::No};
        E.Click(E.Button("btnNewLevel"));
        QCOMPARE(State(E), QStringLiteral("tool draw, brick 2, power-up 0, changed 0, steps 0/0, Level: New one"));
        QCOMPARE(E.Action("menUndo")->text(), QStringLiteral("Undo"));
        // Undone steps go too: nothing is left to redo.
        E.ClickCell(1, 1);
        E.Key("Ctrl+Z");
        Capture.Answers = {TModalResult::No};
        E.Key("Ctrl+N");
        QVERIFY(!E.Action("menRedo")->isEnabled());
    }

    // Each key once, pressed with the focus on the grid or on the level list, after opening alpha.txt.
    void keysWorkWhereverTheFocusIs_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("down");
        // Nothing is edited: the level stays unchanged, with no history.
        const auto Chosen = [](const char* Choice, const QString& Label = "Level: data/levels/alpha.txt") {
            return QStringLiteral("tool %1, changed 0, steps 0/0, %2").arg(Choice, Label);
        };
        for (const QString Focus : {"grid", "list"}) {
            const auto Row = [&](const char* Name) -> QTestData& {
                return QTest::newRow(qPrintable(Focus + ": " + Name)) << Focus;
            };
            Row("1 chooses brick 1") << "1" << Chosen("draw, brick 1, power-up 0") << QStringList{"Brick 1, 1 Hit"};
            Row("9 then 0 choose brick 9, then the fixed brick")
                << "9 0" << Chosen("draw, brick 10, power-up 0") << QStringList{"Brick Fixed"};
            Row("a second 4 un-chooses") << "4 4" << Chosen("draw, brick 0, power-up 0") << QStringList{};
            Row("Ctrl+1 and Ctrl+6 choose power-ups, beside the brick")
                << "8 Ctrl+1 Ctrl+6" << Chosen("draw, brick 8, power-up 6")
                << QStringList{"Brick 2, 3 Hits", "PowerUp - Wall"};
            Row("E chooses the eraser") << "E" << Chosen("erase, brick 0, power-up 0") << QStringList{};
            Row("D after E") << "E D" << Chosen("draw, brick 0, power-up 0") << QStringList{};
            Row("Ctrl+N starts a new level")
                << "Ctrl+N" << Chosen("draw, brick 0, power-up 0", "Level: New one") << QStringList{};
            Row("Ctrl+S saves") << "Ctrl+S" << Chosen("draw, brick 0, power-up 0") << QStringList{};
        }
    }
    void keysWorkWhereverTheFocusIs()
    {
        QFETCH(QString, focus);
        QFETCH(QString, keys);
        QFETCH(QString, state);
        QFETCH(QStringList, down);
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        fs::remove(Dir.Levels() / "alpha.txt");
        (focus == "grid" ? static_cast<QWidget*>(E.Grid) : E.List)->setFocus();
        for (const QString& Key : keys.split(' '))
            E.Key(Key);
        QCOMPARE(State(E), state);
        QCOMPARE(E.DownPaletteButtons(), down);
        QCOMPARE(fs::exists(Dir.Levels() / "alpha.txt"), keys == "Ctrl+S");
        // The keys never move the current cell; the list's selection names the level in the editor.
        QCOMPARE(QPoint(E.Grid->Col(), E.Grid->Row()), QPoint(0, 0));
        QCOMPARE(E.Selected(), keys == "Ctrl+N" ? QStringLiteral("<none>") : QStringLiteral("alpha.txt"));
        QCOMPARE(Capture.Shown.size(), 0);
    }

    void testAndExitKeys()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Key("F5"); // no game here: the test file is written, then the start fails with the system's text
        QVERIFY(fs::exists(Dir.Levels() / "test.lvl"));
        QCOMPARE(Capture.Count(TMessageKind::Plain), 1);
        E.List->setFocus();
        E.Key("Ctrl+Q");
        QVERIFY(!E.Form.isVisible());
    }

    void menusAndToolTipsShowTheKeys()
    {
        TGameDir Dir;
        TEditor E(Dir);
        QStringList Menus;
        for (QAction* Menu : E.Form.menuBar()->actions()) {
            QStringList Items;
            for (QAction* Item : Menu->menu() ? Menu->menu()->actions() : QList<QAction*>{})
                Items << Item->text() + " " + Item->shortcut().toString();
            Menus << Menu->text() + (Items.isEmpty() ? "" : " [" + Items.join(", ") + "]");
        }
        QCOMPARE(Menus, (QStringList{"Level [New Level Ctrl+N, Save Level Ctrl+S, Test Level F5,  , "
                                     "Move Level Up Ctrl+Shift+Up, Move Level Down Ctrl+Shift+Down, "
                                     "Duplicate Level Ctrl+D, Rename Level\u2026 F2, Delete Level Ctrl+Del,  , "
                                     "Level Text\u2026 Ctrl+T, Check Level Ctrl+L]",
                                     "Edit [Undo Ctrl+Z, Redo Ctrl+Shift+Z,  , Cut Ctrl+X, Copy Ctrl+C, Paste Ctrl+V, "
                                     "Delete Del,  , Select All Ctrl+A,  , Flip Horizontally X, Flip Vertically Y,  , "
                                     "Shift Left Alt+Left, Shift Right Alt+Right, Shift Up Alt+Up, Shift Down Alt+Down]",
                                     "Exit"}));
        QCOMPARE(E.Action("menRedo")->shortcuts().size(), 2);
        QCOMPARE(E.Action("menExit")->shortcut().toString(), QStringLiteral("Ctrl+Q"));
        QStringList Tips;
        for (const char* Name : {"btnNewLevel", "btnSaveLevel", "btnExec", "btnDraw", "btnErase"})
            Tips << E.Button(Name)->toolTip();
        QCOMPARE(
            Tips,
            (QStringList{"New Level (Ctrl+N)", "Save Level (Ctrl+S)", "Test Level (F5)", "Draw (D)", "Erase (E)"}));
    }

    // alpha.txt holds brick 1 at (0, 0), brick 2 with Single Shot at (1, 0) and the fixed brick at (2, 0).
    void statusLineNamesTheCellUnderThePointer_data()
    {
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QString>("text");
        QTest::newRow("brick and power-up") << QPoint(1, 0) << "Column 1, Row 0: Brick 2, 1 Hit + Single Shot";
        QTest::newRow("brick only") << QPoint(0, 0) << "Column 0, Row 0: Brick 1, 1 Hit";
        QTest::newRow("fixed brick") << QPoint(2, 0) << "Column 2, Row 0: Brick Fixed";
        QTest::newRow("empty") << QPoint(19, 9) << "Column 19, Row 9: empty";
        QTest::newRow("power-up on no brick") << QPoint(5, 3) << "Column 5, Row 3: Extra Ball";
    }
    void statusLineNamesTheCellUnderThePointer()
    {
        QFETCH(QPoint, cell);
        QFETCH(QString, text);
        TGameDir Dir;
        WriteBytes(Dir.Levels() / "alpha.txt", Row("1.2S#.") + EmptyRows(2) + Row("...........E") + EmptyRows(6));
        TEditor E(Dir, "alpha.txt");
        E.Key("7");
        const QString Opened = E.Field();
        QTest::mouseMove(E.Grid, E.Grid->CellRect(cell.x(), cell.y()).center());
        QTRY_COMPARE(E.CellStatus(), text);
        // Hovering selects and paints nothing.
        QCOMPARE(E.Field(), Opened);
        QCOMPARE(QPoint(E.Grid->Col(), E.Grid->Row()), QPoint(0, 0));
        QCOMPARE(E.Form.Level().Changed, 0);
        // Away from the grid, the current cell.
        QTest::mouseMove(E.List, QPoint(5, 5));
        QTRY_COMPARE(E.CellStatus(), QStringLiteral("Column 0, Row 0: Brick 1, 1 Hit"));
    }

    // A breakable brick in a ring of fixed ones, and a power-up on a fixed brick: Check Level frames both
    // in red until the next edit and names them; the counts name them all along.
    void checkLevelFramesProblemsUntilTheNextEdit()
    {
        TGameDir Dir;
        WriteBytes(Dir.Levels() / "vault.txt",
                  EmptyRows(3) + Row("#.#.#.") + Row("#.1.#S") + Row("#.#.#.") + EmptyRows(4));
        TMessageCapture Capture;
        TEditor E(Dir, "vault.txt");
        const QString Counts = "9 bricks, 1 breakable, 1 power-up";
        QCOMPARE(E.Counts(), Counts);
        const auto FramePixel = [&](int Col, int Row) {
            return E.Grid->grab().toImage().pixelColor(E.Grid->CellRect(Col, Row).topLeft() + QPoint(1, 1));
        };
        const QColor Before = FramePixel(1, 4);
        E.Key("Ctrl+L");
        QCOMPARE(E.Notes(),
                 QStringLiteral("1 brick can't be reached; 1 power-up on a fixed brick is never released"));
        QTRY_COMPARE(FramePixel(1, 4), QColor(230, 0, 0));
        QCOMPARE(FramePixel(2, 4), QColor(230, 0, 0));
        QVERIFY(FramePixel(0, 4) != QColor(230, 0, 0));
        E.Key("5");
        E.ClickCell(10, 0);
        QTRY_COMPARE(FramePixel(1, 4), Before);
        QCOMPARE(E.Notes(), QString());
        QCOMPARE(Capture.Shown.size(), 0);
    }

    void statusLineFollowsEditsAndSaves()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Form.StatusLine().SetSavedMessageMs(250);
        QCOMPARE(E.CellStatus(), QStringLiteral("Column 0, Row 0: empty"));
        QCOMPARE(E.Counts(), QStringLiteral("0 bricks, 0 breakable, 0 power-ups"));
        E.ClickEntry("alpha.txt");
        QCOMPARE(E.Counts(), QStringLiteral("3 bricks, 2 breakable, 1 power-up"));
        E.Grid->setFocus();
        E.Key("9");
        E.Key("Ctrl+3");
        E.Key("Down"); // paints (0, 1) and moves there
        QCOMPARE(E.CellStatus(), QStringLiteral("Column 0, Row 1: Brick 3, 3 Hits + Lower Speed"));
        QCOMPARE(E.Counts(), QStringLiteral("4 bricks, 3 breakable, 2 power-ups"));
        E.Key("0");
        E.Key("Right");
        QCOMPARE(E.Counts(), QStringLiteral("5 bricks, 3 breakable, 3 power-ups"));
        E.Key("Ctrl+Z");
        QCOMPARE(E.Counts(), QStringLiteral("4 bricks, 3 breakable, 2 power-ups"));
        QCOMPARE(E.Message(), QString());
        E.Key("Ctrl+S");
        QCOMPARE(E.Message(), QStringLiteral("Saved alpha.txt"));
        // It goes after the time handed in, the cell stays beneath it.
        QTRY_COMPARE(E.Message(), QString());
        QCOMPARE(E.CellStatus(), QStringLiteral("Column 1, Row 1: empty"));
    }

    void statusLineSaysWhatAFileDidNotSayUntilTheNextEdit()
    {
        TGameDir Dir;
        const std::string Damaged = Row("1.Z.2S") + "3.\r\n" + Row("..X") + EmptyRows(6);
        WriteBytes(Dir.Levels() / "damaged.txt", Damaged);
        TMessageCapture Capture;
        TEditor E(Dir, "damaged.txt");
        const QString Notes = "damaged.txt: 2 unknown characters read as empty, line 2 is short, fewer than 10 rows";
        QCOMPARE(E.Notes(), Notes);
        // Read as it always was: the unknown characters empty, the short and missing rows filled with empty cells.
        QCOMPARE(E.Field(), QString::fromStdString(Row("1...2S") + Row("3.") + EmptyRows(8)));
        QCOMPARE(E.Form.Level().Changed, 0);

        E.Key("Right"); // nothing chosen: no edit, the notes stay
        QCOMPARE(E.Notes(), Notes);
        E.Key("4");
        E.Key("Right");
        QCOMPARE(E.Notes(), QString());
        QCOMPARE(E.CellStatus(), QStringLiteral("Column 2, Row 0: Brick 1, 2 Hits + Single Shot"));

        Capture.Answers = {TModalResult::No};
        E.ClickEntry("alpha.txt");
        QCOMPARE(E.Notes(), QString());
        E.ClickEntry("damaged.txt");
        QCOMPARE(E.Notes(), Notes);
        E.Key("Ctrl+N");
        QCOMPARE(E.Notes(), QString());
        E.ClickEntry("alpha.txt");
        E.ClickEntry("damaged.txt");
        E.Key("Ctrl+S"); // the file is as the editor writes it now
        QCOMPARE(E.Message(), QStringLiteral("Saved damaged.txt"));
        QCOMPARE(E.Notes(), QString());
        E.ClickEntry("alpha.txt");
        E.ClickEntry("damaged.txt");
        QCOMPARE(E.Notes(), QString());
        QCOMPARE(Capture.Count(TMessageKind::Error), 0);
    }

    void statusBarTakesItsHeightFromTheList()
    {
        TGameDir Dir;
        TEditor E(Dir);
        QVERIFY(E.Form.statusBar()->isVisible());
        QCOMPARE(E.Form.frameGeometry().size(), QSize(829, 358));
        QCOMPARE(E.Grid->size(), QSize(621, 191));
        const QWidget* Panel1 = E.Form.findChild<QWidget*>("Panel1");
        QCOMPARE(E.List->height(), Panel1->height());
        QCOMPARE(E.List->geometry().bottom() + 1, E.Form.centralWidget()->height());
        QCOMPARE(E.Form.centralWidget()->geometry().bottom() + 1, E.Form.statusBar()->geometry().top());
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
