// The editor window as a user drives it: start-up, palettes, painting, drawing, level commands, test run.
#include "editorharness.h"
#include "xProcs.h"

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

// The game is started detached: nothing is left for the editor to reap.
bool NoChildLeft()
{
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void startupShowsPalettesLevelsAndAnEmptyLevel()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        QCOMPARE(Capture.Shown.size(), 0);
        QCOMPARE(E.Form.windowTitle(), QStringLiteral("Zolvane Level Editor"));
        QCOMPARE(E.Palette("tbBricks")->Buttons().size(), 10);
        QCOMPARE(E.Palette("tbPowerUps")->Buttons().size(), 6);
        QCOMPARE(E.Palette("tbBricks")->Buttons().first()->toolTip(), QStringLiteral("Brick Fixed"));
        QCOMPARE(E.Palette("tbPowerUps")->Buttons().first()->toolTip(), QStringLiteral("PowerUp - Wall"));
        QCOMPARE(E.Entries(), (QStringList{"alpha.txt", "beta.txt", "gamma.txt"}));
        QCOMPARE(E.Selected(), QStringLiteral("<none>"));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: New one"));
        QVERIFY(E.Button("btnDraw")->isChecked());
        QVERIFY(!E.Button("btnErase")->isChecked());
        QCOMPARE(E.Form.Level().Loaded, 1);
        QCOMPARE(E.Form.Level().Changed, 0);
        QVERIFY(E.Form.Level().FileName.empty());
        QVERIFY(E.Grid->hasFocus());
        QCOMPARE(QPoint(E.Grid->Col(), E.Grid->Row()), QPoint(0, 0));
        // Tab moves the focus between the grid and the level list only.
        QTest::keyClick(E.Grid, Qt::Key_Tab);
        QVERIFY(E.List->hasFocus());
        QTest::keyClick(E.List, Qt::Key_Tab);
        QVERIFY(E.Grid->hasFocus());
        QTest::keyClick(E.Grid, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(E.List->hasFocus());
    }

    void missingPictureCostsOnlyItsOwnButton()
    {
        TGameDir Dir({"brick005.bmp", "pu_grey.bmp"});
        TMessageCapture Capture;
        TEditor E(Dir);
        QCOMPARE(Capture.Count(TMessageKind::Error), 2);
        QVERIFY2(Capture.Shown[0].Text.startsWith("Cannot open file \"") &&
                     Capture.Shown[0].Text.contains("brick005.bmp\". "),
                 qPrintable(Capture.Shown[0].Text));
        QCOMPARE(E.Palette("tbBricks")->Buttons().size(), 9);
        QCOMPARE(E.Palette("tbPowerUps")->Buttons().size(), 5);
        QCOMPARE(E.BrickButton(5), nullptr);
        QCOMPARE(E.Entries().size(), 3);
        // The level is cleared as usual, so edits are guarded.
        QCOMPARE(E.Form.Level().Loaded, 1);
        E.Click(E.BrickButton(4));
        E.ClickCell(1, 1);
        QCOMPARE(CellText(E.Cell(1, 1)), CellText({4, 0}));
        Capture.Answers = {TModalResult::Cancel};
        E.ClickEntry("alpha.txt");
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        QCOMPARE(CellText(E.Cell(1, 1)), CellText({4, 0}));
    }

    void paletteClicksChooseAndUnchoose()
    {
        TGameDir Dir;
        TEditor E(Dir);
        E.Click(E.BrickButton(3));
        QCOMPARE(int(E.Form.SelectedBrick()), 3);
        QVERIFY(E.BrickButton(3)->isChecked());
        E.Click(E.BrickButton(3));
        QCOMPARE(int(E.Form.SelectedBrick()), 0);
        for (TPaletteButton* B : E.Palette("tbBricks")->Buttons())
            QVERIFY(!B->isChecked());

        E.Click(E.BrickButton(3));
        E.Click(E.BrickButton(5));
        QCOMPARE(int(E.Form.SelectedBrick()), 5);
        for (TPaletteButton* B : E.Palette("tbBricks")->Buttons())
            QCOMPARE(B->isChecked(), B == E.BrickButton(5));

        // A power-up choice leaves the brick choice alone.
        E.Click(E.PowerUpButton(2));
        QCOMPARE(int(E.Form.SelectedPowerUp()), 2);
        QCOMPARE(int(E.Form.SelectedBrick()), 5);

        // A double-click counts as two clicks: chosen, then un-chosen.
        TPaletteButton* Button = E.PowerUpButton(4);
        QTest::mouseDClick(E.Form.windowHandle(), Qt::LeftButton, {}, Button->mapTo(&E.Form, Button->rect().center()));
        QCOMPARE(int(E.Form.SelectedPowerUp()), 0);
        QVERIFY(!E.PowerUpButton(4)->isChecked());
        QVERIFY(E.Grid->hasFocus());
    }

    void paintingRules()
    {
        TGameDir Dir;
        TEditor E(Dir);
        // Nothing chosen: the draw tool changes nothing.
        E.ClickCell(0, 0);
        QCOMPARE(E.Form.Level().Changed, 0);

        // Only a power-up: lands on bricks, not on empty cells.
        E.Click(E.PowerUpButton(1));
        E.ClickCell(1, 0);
        QCOMPARE(CellText(E.Cell(1, 0)), CellText({0, 0}));
        QCOMPARE(E.Form.Level().Changed, 0);

        E.Click(E.BrickButton(4));
        E.Click(E.PowerUpButton(1)); // un-choose the power-up
        E.ClickCell(2, 0);
        QCOMPARE(CellText(E.Cell(2, 0)), CellText({4, 0}));
        QCOMPARE(E.Form.Level().Changed, 1);
        E.Click(E.BrickButton(4));
        E.Click(E.PowerUpButton(1));
        E.ClickCell(2, 0);
        QCOMPARE(CellText(E.Cell(2, 0)), CellText({4, 1}));

        // A brick painted over keeps the power-up.
        E.Click(E.PowerUpButton(1));
        E.Click(E.BrickButton(7));
        E.ClickCell(2, 0);
        QCOMPARE(CellText(E.Cell(2, 0)), CellText({7, 1}));

        // Brick and power-up together on an empty cell.
        E.Click(E.BrickButton(2));
        E.Click(E.PowerUpButton(6));
        E.ClickCell(19, 9);
        QCOMPARE(CellText(E.Cell(19, 9)), CellText({2, 6}));

        // Erase clears whatever is chosen.
        E.Click(E.Button("btnErase"));
        QVERIFY(!E.Button("btnDraw")->isChecked());
        E.ClickCell(2, 0);
        QCOMPARE(CellText(E.Cell(2, 0)), CellText({0, 0}));
        // A click on the pressed tool keeps it pressed.
        E.Click(E.Button("btnErase"));
        QVERIFY(E.Button("btnErase")->isChecked());
        E.Click(E.Button("btnDraw"));
        QVERIFY(E.Button("btnDraw")->isChecked());
        QVERIFY(!E.Button("btnErase")->isChecked());
    }

    void cellsAreDrawnFromTheirPictures()
    {
        TGameDir Dir;
        WriteFile(Dir.Levels() / "lonely.txt", Row("...........E") + EmptyRows(9)); // power-up 2 on no brick
        TEditor E(Dir);
        E.ClickEntry("lonely.txt");
        E.Click(E.BrickButton(1));
        E.Click(E.PowerUpButton(2));
        E.ClickCell(3, 2);
        const QImage Shot = E.Grid->grab().toImage();
        const QImage Brick = E.Form.Bricks().FindItem(1)->Bitmap;
        const QImage PowerUp = E.Form.PowerUps().FindItem(2)->Bitmap;
        // The brick doubled without smoothing, the power-up over it at its own size at (+7, +7); the cell's
        // outer pixels carry the focus frame.
        const QPoint Cell = E.Grid->CellRect(3, 2).topLeft();
        QCOMPARE(Shot.pixelColor(Cell + QPoint(1, 1)), Brick.pixelColor(0, 0));
        QCOMPARE(Shot.pixelColor(Cell + QPoint(13, 5)), Brick.pixelColor(6, 2));
        QCOMPARE(Shot.pixelColor(Cell + QPoint(28, 6)), Brick.pixelColor(14, 3));
        for (const QPoint& P : {QPoint(0, 0), QPoint(11, 5), QPoint(21, 9)})
            QCOMPARE(Shot.pixelColor(Cell + QPoint(7, 7) + P), PowerUp.pixelColor(P));
        // A power-up on no brick is drawn alone.
        const QPoint Lonely = E.Grid->CellRect(5, 0).topLeft();
        const QPoint Empty = E.Grid->CellRect(10, 5).topLeft();
        QCOMPARE(Shot.pixelColor(Lonely + QPoint(7, 7)), PowerUp.pixelColor(0, 0));
        QCOMPARE(Shot.pixelColor(Lonely + QPoint(1, 1)), Shot.pixelColor(Empty + QPoint(1, 1)));
    }

    // Level commands

    void switchingWithChangesAsksOnce_data()
    {
        QTest::addColumn<int>("Answer");
        QTest::addColumn<QString>("Level");     // the level in the editor afterwards
        QTest::addColumn<QString>("Selected");  // the list's entry afterwards
        QTest::addColumn<bool>("AlphaSaved");
        QTest::newRow("yes") << int(TModalResult::Yes) << "data/levels/beta.txt" << "beta.txt" << true;
        QTest::newRow("no") << int(TModalResult::No) << "data/levels/beta.txt" << "beta.txt" << false;
        QTest::newRow("cancel") << int(TModalResult::Cancel) << "data/levels/alpha.txt" << "alpha.txt" << false;
    }
    void switchingWithChangesAsksOnce()
    {
        QFETCH(int, Answer);
        QFETCH(QString, Level);
        QFETCH(QString, Selected);
        QFETCH(bool, AlphaSaved);
        TGameDir Dir;
        const std::string Before = ReadFile(Dir.Levels() / "alpha.txt");
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("alpha.txt");
        QCOMPARE(Capture.Shown.size(), 0);
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));
        QCOMPARE(CellText(E.Cell(1, 0)), CellText({2, 1}));
        E.Click(E.BrickButton(9));
        E.ClickCell(5, 5);

        Capture.Answers = {TModalResult(Answer)};
        E.ClickEntry("beta.txt");
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        QCOMPARE(Capture.Shown[0].Text, QStringLiteral("Level changed, save changes to disk?"));
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), Level);
        QCOMPARE(E.Label->text(), "Level: " + Level);
        QCOMPARE(E.Selected(), Selected);
        QCOMPARE(ReadFile(Dir.Levels() / "alpha.txt") != Before, AlphaSaved);
        if (Answer == int(TModalResult::Cancel)) {
            QCOMPARE(CellText(E.Cell(5, 5)), CellText({9, 0}));
            QCOMPARE(E.Form.Level().Changed, 1);
        } else {
            QCOMPARE(E.Form.Level().Changed, 0);
            QCOMPARE(CellText(E.Cell(0, 9)), CellText({9, 6}));
        }
        QCOMPARE(Capture.Count(TMessageKind::Error), 0);
    }

    void switchingFromANewLevelWithYesSavesItUnderANewName()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Click(E.BrickButton(1));
        E.ClickCell(0, 0);
        Capture.Answers = {TModalResult::Yes};
        E.ClickEntry("beta.txt");
        QCOMPARE(ReadFile(Dir.Levels() / "level1.txt"), Row("1.") + EmptyRows(9));
        QCOMPARE(E.Entries(), (QStringList{"alpha.txt", "beta.txt", "gamma.txt", "level1.txt"}));
        QCOMPARE(E.Selected(), QStringLiteral("beta.txt"));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/beta.txt"));
    }

    void switchingUnchangedAsksNothing()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("alpha.txt");
        E.ClickCell(4, 4); // nothing chosen: no change
        E.ClickEntry("gamma.txt");
        QCOMPARE(Capture.Shown.size(), 0);
        QCOMPARE(E.Form.Level().TrailerText, std::string("keep me"));
    }

    void newLevelSavedGetsNextNumberThenOverwrites()
    {
        TGameDir Dir;
        WriteFile(Dir.Levels() / "level7.txt", EmptyRows(10));
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Click(E.BrickButton(2));
        for (int Col = 0; Col < 20; ++Col)
            E.ClickCell(Col, 0);
        E.Click(E.Button("btnSaveLevel"));
        const fs::path Saved = Dir.Levels() / "level8.txt";
        std::string Painted;
        for (int Col = 0; Col < 20; ++Col)
            Painted += "2.";
        QCOMPARE(QString::fromStdString(ReadFile(Saved)), QString::fromStdString(Row(Painted) + EmptyRows(9)));
        QCOMPARE(E.Entries().last(), QStringLiteral("level8.txt"));
        QCOMPARE(E.Entries().size(), 5);
        const QString Full = QString::fromStdString((fs::path(Dir.Native().toStdString()) / "data/levels/level8.txt").string());
        QCOMPARE(E.Label->text(), "Level: " + Full);
        QCOMPARE(E.Form.Level().Changed, 0);

        // The menu's Save Level does what the button does: the same file again, no second entry.
        E.ClickCell(0, 1);
        E.Form.findChild<QAction*>("menSave")->trigger();
        QCOMPARE(E.Entries().size(), 5);
        QCOMPARE(ReadFile(Saved).substr(42, 2), std::string("2."));
        QVERIFY(!fs::exists(Dir.Levels() / "level9.txt"));
        QCOMPARE(Capture.Shown.size(), 0);
    }

    void newLevelAsksFirst()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("alpha.txt");
        E.Click(E.BrickButton(3));
        E.ClickCell(8, 8);
        Capture.Answers = {TModalResult::Cancel};
        E.Click(E.Button("btnNewLevel"));
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        QCOMPARE(CellText(E.Cell(8, 8)), CellText({3, 0}));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));

        Capture.Answers = {TModalResult::No};
        E.Click(E.Button("btnNewLevel"));
        QCOMPARE(CellText(E.Cell(8, 8)), CellText({0, 0}));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: New one"));
        QVERIFY(E.Form.Level().FileName.empty());
        QCOMPARE(E.Form.Level().Changed, 0);
    }

    void closeWithYesSavesThenCloses()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("gamma.txt");
        E.Click(E.BrickButton(5));
        E.ClickCell(19, 0);
        Capture.Answers = {TModalResult::Cancel};
        QVERIFY(!E.Form.close());
        QVERIFY(E.Form.isVisible());
        Capture.Answers = {TModalResult::Yes};
        QVERIFY(E.Form.close());
        QCOMPARE(QString::fromStdString(ReadFile(Dir.Levels() / "gamma.txt")),
                 QString::fromStdString(Row(std::string(38, '.') + "5.") + EmptyRows(9) + ":\r\nkeep me\r\n"));
    }

    void failedOpenKeepsTheEditedLevel()
    {
        TGameDir Dir;
        fs::create_directory(Dir.Levels() / "folder.txt");
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("alpha.txt");
        E.Click(E.BrickButton(6));
        E.ClickCell(2, 2);
        Capture.Answers = {TModalResult::No};
        E.ClickEntry("folder.txt");
        QCOMPARE(Capture.Count(TMessageKind::Error), 1);
        QCOMPARE(Capture.Shown.last().Text, QStringLiteral("File access denied."));
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), QStringLiteral("data/levels/alpha.txt"));
        QCOMPARE(CellText(E.Cell(2, 2)), CellText({6, 0}));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));
        QCOMPARE(E.Selected(), QStringLiteral("alpha.txt"));

        // A pipe named like a level is refused at once rather than waiting for a writer.
        QCOMPARE(mkfifo((Dir.Levels() / "pipe.txt").c_str(), 0644), 0);
        E.List->addItem("pipe.txt");
        Capture.Answers = {TModalResult::No};
        E.ClickEntry("pipe.txt");
        QCOMPARE(Capture.Shown.last().Text, QStringLiteral("File access denied."));
        QCOMPARE(E.Selected(), QStringLiteral("alpha.txt"));

        // A file gone since the listing: not found, and a new level keeps no list entry selected.
        Capture.Answers = {TModalResult::No};
        E.Click(E.Button("btnNewLevel"));
        fs::remove(Dir.Levels() / "beta.txt");
        E.ClickEntry("beta.txt");
        QCOMPARE(Capture.Shown.last().Text, QStringLiteral("File not found."));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: New one"));
        QCOMPARE(E.Selected(), QStringLiteral("<none>"));
    }

    void failedSaveKeepsLabelListAndOldFile()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("alpha.txt");
        E.Click(E.BrickButton(8));
        E.ClickCell(0, 0);
        // The level folder becomes a plain file: every save into it fails, for root as well.
        fs::rename(Dir.Levels(), Dir.Path() / "moved");
        WriteFile(Dir.Levels(), "not a folder");
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(Capture.Count(TMessageKind::Error), 1);
        QCOMPARE(Capture.Shown.last().Text, QStringLiteral("Invalid filename."));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));
        QCOMPARE(E.Form.Level().Changed, 1);
        QCOMPARE(E.Entries().size(), 3);
        QCOMPARE(ReadFile(Dir.Path() / "moved/alpha.txt"), Row("1.2S#.") + EmptyRows(9));
    }

    // Test run

    void testRunStartsTheGameOnACopy()
    {
        TGameDir Dir;
        const fs::path Game = Dir.Path() / "zolvane.exe";
        WriteFile(Game, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" \"$(pwd)\" > record.tmp && mv record.tmp record.txt\n");
        fs::permissions(Game, fs::perms::owner_all);
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("beta.txt");
        E.Click(E.BrickButton(10));
        E.ClickCell(0, 0);
        E.Click(E.Button("btnExec"));
        QVERIFY(NoChildLeft());
        QCOMPARE(Capture.Shown.size(), 0);
        QCOMPARE(ReadFile(Dir.Levels() / "test.lvl"), Row("#.") + EmptyRows(8) + Row("9W"));
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), QStringLiteral("data/levels/beta.txt"));
        QCOMPARE(E.Form.Level().Changed, 1);
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(Dir.Path() / "record.txt"), 10000);
        QCOMPARE(QString::fromStdString(ReadFile(Dir.Path() / "record.txt")),
                 QStringLiteral("1\n--level=test.lvl\n%1\n").arg(QDir(Dir.Native()).canonicalPath()));
        // test.lvl never shows up in the list, and a later Save writes the level's own file.
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(ReadFile(Dir.Levels() / "beta.txt").substr(0, 2), std::string("#."));
        QCOMPARE(E.Entries().size(), 3);
    }

    void failedGameStartShowsSystemText_data()
    {
        QTest::addColumn<bool>("Present");
        QTest::addColumn<int>("Code");
        QTest::newRow("missing") << false << ENOENT;
        QTest::newRow("not executable") << true << EACCES;
    }
    void failedGameStartShowsSystemText()
    {
        QFETCH(bool, Present);
        QFETCH(int, Code);
        TGameDir Dir;
        if (Present)
            WriteFile(Dir.Path() / "zolvane.exe", "#!/bin/sh\n");
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Form.findChild<QAction*>("menTestLevel")->trigger();
        QVERIFY(NoChildLeft());
        QCOMPARE(Capture.Shown.size(), 1);
        QCOMPARE(int(Capture.Shown[0].Kind), int(TMessageKind::Plain));
        const QString Path = QString::fromStdString(E.Form.GameDir()) + "zolvane.exe";
        QCOMPARE(Capture.Shown[0].Text,
                 QString::fromStdString(SystemErrorText(Code)) + "\r\n\"" + Path + "\"");
        QVERIFY(fs::exists(Dir.Levels() / "test.lvl"));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
