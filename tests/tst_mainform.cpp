// The editor window as a user drives it: start-up, palettes, painting, drawing, level commands, test run.
#include "editorharness.h"
#include "folderlock.h"
#include "levelset.h"
#include "safefile.h"
#include "xProcs.h"

#include <QProcess>

#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <map>
#include <optional>

namespace {

// The exclusive create's seam, removed however the test ends.
struct TBeforeCreate {
    explicit TBeforeCreate(TBeforeCreateHook Hook) { SetBeforeCreateHook(std::move(Hook)); }
    ~TBeforeCreate() { SetBeforeCreateHook({}); }
    TBeforeCreate(const TBeforeCreate&) = delete;
    TBeforeCreate& operator=(const TBeforeCreate&) = delete;
};

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
        QCOMPARE(E.Palette("tbBricks")->Buttons().first()->toolTip(), QStringLiteral("Brick Fixed (0)"));
        QCOMPARE(E.Palette("tbPowerUps")->Buttons().first()->toolTip(), QStringLiteral("Wall (Ctrl+6)"));
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
        WriteBytes(Dir.Levels() / "lonely.txt", Row("...........E") + EmptyRows(9)); // power-up 2 on no brick
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
        QTest::addColumn<QString>("Level"); // the level in the editor afterwards
        QTest::addColumn<QString>("Selected"); // the list's entry afterwards
        QTest::addColumn<bool>("AlphaSaved");
        QTest::newRow("yes") << int(TModalResult::Yes) << "data/levels/beta.txt"
                             << "beta.txt" << true;
        QTest::newRow("no") << int(TModalResult::No) << "data/levels/beta.txt"
                            << "beta.txt" << false;
        QTest::newRow("cancel") << int(TModalResult::Cancel) << "data/levels/alpha.txt"
                                << "alpha.txt" << false;
    }
    void switchingWithChangesAsksOnce()
    {
        QFETCH(int, Answer);
        QFETCH(QString, Level);
        QFETCH(QString, Selected);
        QFETCH(bool, AlphaSaved);
        TGameDir Dir;
        const std::string Before = ReadBytes(Dir.Levels() / "alpha.txt");
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
        QCOMPARE(ReadBytes(Dir.Levels() / "alpha.txt") != Before, AlphaSaved);
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
        QCOMPARE(ReadBytes(Dir.Levels() / "level1.txt"), Row("1.") + EmptyRows(9));
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
        WriteBytes(Dir.Levels() / "level7.txt", EmptyRows(10));
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
        QCOMPARE(QString::fromStdString(ReadBytes(Saved)), QString::fromStdString(Row(Painted) + EmptyRows(9)));
        QCOMPARE(E.Entries().last(), QStringLiteral("level8.txt"));
        QCOMPARE(E.Entries().size(), 5);
        const QString Full =
            QString::fromStdString((fs::path(Dir.Native().toStdString()) / "data/levels/level8.txt").string());
        QCOMPARE(E.Label->text(), "Level: " + Full);
        QCOMPARE(E.Form.Level().Changed, 0);

        // The menu's Save Level does what the button does: the same file again, no second entry.
        E.ClickCell(0, 1);
        E.Form.findChild<QAction*>("menSave")->trigger();
        QCOMPARE(E.Entries().size(), 5);
        QCOMPARE(ReadBytes(Saved).substr(42, 2), std::string("2."));
        QVERIFY(!fs::exists(Dir.Levels() / "level9.txt"));
        QCOMPARE(Capture.Shown.size(), 0);
    }

    // Whatever the list shows and whoever adds files, a new level goes to a name nobody has: every file
    // that was there stays byte for byte, and the list and the label show the name really written.
    void newLevelNeverReplacesAFile_data()
    {
        QTest::addColumn<bool>("FromElsewhere"); // started with another folder as the current directory
        QTest::addColumn<QStringList>("Elsewhere"); // the levels listed there
        QTest::addColumn<QStringList>("AtStart"); // in the game's level folder at start-up
        QTest::addColumn<QStringList>("AfterStart"); // created there after start-up
        QTest::addColumn<QStringList>("AtWrite"); // created there just before the name is claimed
        QTest::addColumn<QStringList>("Expected"); // one new level saved after the other
        QTest::newRow("started from another directory") << true << QStringList{} << QStringList{"level1.txt"}
                                                        << QStringList{} << QStringList{} << QStringList{"level2.txt"};
        QTest::newRow("list and game folder both count")
            << true << QStringList{"level5.txt"} << QStringList{"level1.txt"} << QStringList{} << QStringList{}
            << QStringList{"level6.txt"};
        QTest::newRow("a file created after start-up")
            << false << QStringList{} << QStringList{"level3.txt"} << QStringList{"level9.txt"} << QStringList{}
            << QStringList{"level10.txt"};
        QTest::newRow("above the 32-bit range")
            << false << QStringList{} << QStringList{"level2147483647.txt"} << QStringList{} << QStringList{}
            << QStringList{"level2147483648.txt", "level2147483649.txt"};
        QTest::newRow("names taken between the choice and the write")
            << false << QStringList{} << QStringList{"level4.txt"} << QStringList{}
            << QStringList{"level5.txt", "level6.txt"} << QStringList{"level7.txt"};
    }
    void newLevelNeverReplacesAFile()
    {
        QFETCH(bool, FromElsewhere);
        QFETCH(QStringList, Elsewhere);
        QFETCH(QStringList, AtStart);
        QFETCH(QStringList, AfterStart);
        QFETCH(QStringList, AtWrite);
        QFETCH(QStringList, Expected);
        TGameDir Dir;
        QTemporaryDir Other;
        const fs::path OtherLevels = fs::path(Other.path().toStdString()) / "data/levels";
        std::map<fs::path, std::string> Theirs;
        const auto Put = [&](const fs::path& File) {
            Theirs[File] = "theirs: " + File.filename().string() + "\r\n";
            WriteBytes(File, Theirs[File]);
        };
        for (const QString& Name : AtStart)
            Put(Dir.Levels() / Name.toStdString());
        std::optional<TCurrentDir> Started;
        if (FromElsewhere) {
            fs::create_directories(OtherLevels);
            fs::create_directory_symlink(Dir.Path() / "editor", OtherLevels.parent_path().parent_path() / "editor");
            for (const QString& Name : Elsewhere)
                Put(OtherLevels / Name.toStdString());
            Started.emplace(Other.path().toStdString());
        }
        TMessageCapture Capture;
        TBeforeCreate Hook([&](const std::string& Path) {
            if (AtWrite.contains(QString::fromStdString(fs::path(Path).filename().string())) && !fs::exists(Path))
                Put(Path);
        });
        TEditor E(Dir);
        const QStringList Listed = E.Entries();
        const QStringList Samples{"alpha.txt", "beta.txt", "gamma.txt"};
        QCOMPARE(Listed, FromElsewhere ? Elsewhere : Samples + AtStart);
        for (const QString& Name : AfterStart)
            Put(Dir.Levels() / Name.toStdString());

        for (int I = 0; I < Expected.size(); ++I) {
            E.Click(E.Button("btnNewLevel"));
            E.Click(E.BrickButton(I + 1));
            E.ClickCell(I, 0);
            E.Click(E.Button("btnSaveLevel"));
            const fs::path Saved = Dir.Levels() / Expected[I].toStdString();
            QCOMPARE(QString::fromStdString(ReadBytes(Saved)),
                     QString::fromStdString(Row(std::string(2 * I, '.') + char('1' + I) + '.') + EmptyRows(9)));
            QCOMPARE(E.Label->text(), "Level: " + QString::fromStdString(Saved.string()));
            QCOMPARE(E.Form.Level().Changed, 0);
        }
        // The list stands in the campaign's order, by the number each name reads as.
        QStringList InOrder = Listed + Expected;
        std::stable_sort(InOrder.begin(), InOrder.end(), [](const QString& A, const QString& B) {
            return CampaignOrderLess(A.toStdString(), B.toStdString());
        });
        QCOMPARE(E.Entries(), InOrder);
        for (const auto& [File, Bytes] : Theirs)
            QCOMPARE(QString::fromStdString(ReadBytes(File)), QString::fromStdString(Bytes));
        QStringList All = Samples + AtStart + AfterStart + AtWrite + Expected + QStringList{FolderLockFileName};
        All.sort();
        QCOMPARE(Listing(Dir.Levels()), All);
        QCOMPARE(Capture.Shown.size(), 0);
    }

    // Someone else wrote the open level since it was read: Save asks before replacing that work.
    void saveOntoALevelChangedOnDiskAsksFirst_data()
    {
        QTest::addColumn<QString>("Change");
        QTest::addColumn<int>("Answer");
        QTest::addColumn<bool>("Asked");
        QTest::addColumn<bool>("Written");
        QTest::newRow("rewritten, yes writes") << "rewritten" << int(TModalResult::Yes) << true << true;
        QTest::newRow("rewritten, no writes nothing") << "rewritten" << int(TModalResult::No) << true << false;
        QTest::newRow("only its time changed") << "touched" << int(TModalResult::No) << true << false;
        QTest::newRow("replaced by the same bytes") << "replaced" << int(TModalResult::No) << true << false;
        QTest::newRow("vanished, written again silently") << "vanished" << int(TModalResult::No) << false << true;
    }
    void saveOntoALevelChangedOnDiskAsksFirst()
    {
        QFETCH(QString, Change);
        QFETCH(int, Answer);
        QFETCH(bool, Asked);
        QFETCH(bool, Written);
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        E.Click(E.BrickButton(9));
        E.ClickCell(5, 5);
        const fs::path File = Dir.Levels() / "alpha.txt";
        std::string Theirs = ReadBytes(File);
        if (Change == "rewritten") {
            Theirs = EmptyRows(10);
            WriteBytes(File, Theirs);
        } else if (Change == "touched") {
            fs::last_write_time(File, fs::last_write_time(File) + std::chrono::seconds(1));
        } else if (Change == "replaced") {
            WriteBytes(Dir.Levels() / "copy", Theirs);
            fs::rename(Dir.Levels() / "copy", File);
        } else {
            fs::remove(File);
        }
        Capture.Answers = {TModalResult(Answer)};
        E.Click(E.Button("btnSaveLevel"));

        QCOMPARE(Capture.Count(TMessageKind::YesNoQuestion), Asked ? 1 : 0);
        const QString Question = "The level file has changed on disk since it was opened. Overwrite it?";
        QCOMPARE(ShownTexts(Capture), Asked ? QStringList{Question} : QStringList{});
        const std::string Ours = Row("1.2S#.") + EmptyRows(4) + Row("..........9.") + EmptyRows(4);
        QCOMPARE(QString::fromStdString(ReadBytes(File)), QString::fromStdString(Written ? Ours : Theirs));
        QCOMPARE(E.Form.Level().Changed, Written ? 0 : 1);
        QCOMPARE(CellText(E.Cell(5, 5)), CellText({9, 0}));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));

        // Its own save is no change by someone else; a refused one still is, so the next Save asks again.
        Capture.Shown.clear();
        Capture.Answers = {TModalResult::Yes};
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(Capture.Count(TMessageKind::YesNoQuestion), Written ? 0 : 1);
        QCOMPARE(QString::fromStdString(ReadBytes(File)), QString::fromStdString(Ours));
        E.ClickCell(6, 5);
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(Capture.Count(TMessageKind::YesNoQuestion), Written ? 0 : 1);
        QCOMPARE(ReadBytes(File).substr(5 * 42 + 12, 2), std::string("9."));
    }

    // The prompt's Yes is the Save button's action, question included; No there abandons the switch.
    void promptYesAsksBeforeOverwritingTheirChanges()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        E.Click(E.BrickButton(3));
        E.ClickCell(0, 9);
        const fs::path File = Dir.Levels() / "alpha.txt";
        WriteBytes(File, EmptyRows(10));
        Capture.Answers = {TModalResult::Yes, TModalResult::No};
        E.ClickEntry("beta.txt");
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        QCOMPARE(Capture.Count(TMessageKind::YesNoQuestion), 1);
        QCOMPARE(Capture.Count(TMessageKind::Error), 0);
        QCOMPARE(ReadBytes(File), EmptyRows(10));
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), QStringLiteral("data/levels/alpha.txt"));
        QCOMPARE(CellText(E.Cell(0, 9)), CellText({3, 0}));
        QCOMPARE(E.Selected(), QStringLiteral("alpha.txt"));

        Capture.Answers = {TModalResult::Yes, TModalResult::Yes};
        E.ClickEntry("beta.txt");
        QCOMPARE(ReadBytes(File), Row("1.2S#.") + EmptyRows(8) + Row("3."));
        QCOMPARE(E.Selected(), QStringLiteral("beta.txt"));
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), QStringLiteral("data/levels/beta.txt"));
    }

    // Two names that are not UTF-8 and look alike on screen are still two files.
    void namesThatAreNotUtf8OpenSaveAndGuardByTheirBytes()
    {
        TGameDir Dir;
        const std::string Grave = "lev\xE8l7.txt", Acute = "lev\xE9l7.txt";
        WriteBytes(Dir.Levels() / Grave, Row("4.") + EmptyRows(9));
        WriteBytes(Dir.Levels() / Acute, Row("3.") + EmptyRows(9));
        TMessageCapture Capture;
        TEditor E(Dir);
        const QString Shown = QStringLiteral("lev\uFFFDl7.txt");
        const QStringList Entries{"alpha.txt", "beta.txt", "gamma.txt", Shown, Shown};
        QCOMPARE(E.Entries(), Entries);
        E.ClickRow(3);
        QCOMPARE(CellText(E.Cell(0, 0)), CellText({4, 0}));
        E.ClickRow(4);
        QCOMPARE(CellText(E.Cell(0, 0)), CellText({3, 0}));
        QCOMPARE(E.Form.Level().FileName, "data/levels/" + Acute);
        QCOMPARE(E.Label->text(), "Level: data/levels/" + Shown);

        E.Click(E.BrickButton(5));
        E.ClickCell(1, 0);
        Capture.Answers = {TModalResult::Cancel};
        E.ClickRow(3);
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        QCOMPARE(E.SelectedRow(), 4);
        QCOMPARE(CellText(E.Cell(1, 0)), CellText({5, 0}));
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(ReadBytes(Dir.Levels() / Acute), Row("3.5.") + EmptyRows(9));
        QCOMPARE(ReadBytes(Dir.Levels() / Grave), Row("4.") + EmptyRows(9));

        // A failed open goes back to the entry of the level still open, not to the first that looks like it.
        fs::remove(Dir.Levels() / Grave);
        E.ClickRow(3);
        QCOMPARE(Capture.Shown.last().Text, QStringLiteral("File not found."));
        QCOMPARE(E.SelectedRow(), 4);
        QCOMPARE(E.Form.Level().FileName, "data/levels/" + Acute);

        // The number in such a name counts for new levels too.
        E.Click(E.Button("btnNewLevel"));
        E.ClickCell(2, 2);
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(E.Entries().last(), QStringLiteral("level8.txt"));
        QCOMPARE(Capture.Count(TMessageKind::Error), 1);
    }

    // A write past the file-size limit must fail like any other write, not end the editor with SIGXFSZ.
    void saveBeyondTheFileSizeLimitReportsTheIOError()
    {
        TGameDir Dir;
        const std::string Before = ReadBytes(Dir.Levels() / "alpha.txt");
        QProcess Child;
        Child.setProgram(QCoreApplication::applicationDirPath() + "/editor_under_file_limit");
        Child.setArguments({Dir.Native(), "64"});
        Child.setWorkingDirectory(Dir.Native());
        // Whatever this test inherited, the child starts where SIGXFSZ kills: only the editor's start-up
        // can save it.
        Child.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_DFL);
            std::signal(SIGPIPE, SIG_DFL);
        });
        Child.start();
        QVERIFY(Child.waitForFinished(120000));
        const QString Errors = QString::fromLocal8Bit(Child.readAllStandardError());
        QCOMPARE(Child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(Child.readAllStandardOutput()),
                 QStringLiteral("I/O error 27.\nThe recovery journal cannot be written, so unsaved changes are not safe "
                                "from a crash: I/O error 27.\nI/O error 27.\nChanged=1\n"));
        QVERIFY2(Child.exitCode() == 0, qPrintable(Errors));
        QCOMPARE(ReadBytes(Dir.Levels() / "alpha.txt"), Before);
        QCOMPARE(Listing(Dir.Levels()), (QStringList{FolderLockFileName, "alpha.txt", "beta.txt", "gamma.txt"}));
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
        QCOMPARE(QString::fromStdString(ReadBytes(Dir.Levels() / "gamma.txt")),
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
        E.List->AddName("pipe.txt");
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

    // By key as by mouse: one question and one error for one move onto an entry that cannot be opened.
    void failedOpenByKeyAsksAndReportsOnce()
    {
        TGameDir Dir;
        fs::create_directory(Dir.Levels() / "hole.txt");
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("gamma.txt");
        E.Click(E.BrickButton(6));
        E.ClickCell(2, 2);
        E.List->setFocus();
        Capture.Answers = {TModalResult::No};
        QTest::keyClick(E.List, Qt::Key_Down);
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
        QCOMPARE(Capture.Count(TMessageKind::Error), 1);
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), QStringLiteral("data/levels/gamma.txt"));
        QCOMPARE(E.Selected(), QStringLiteral("gamma.txt"));
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
        WriteBytes(Dir.Levels(), "not a folder");
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(Capture.Count(TMessageKind::Error), 1);
        QCOMPARE(Capture.Shown.last().Text, QStringLiteral("Invalid filename."));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));
        QCOMPARE(E.Form.Level().Changed, 1);
        QCOMPARE(E.Entries().size(), 3);
        QCOMPARE(ReadBytes(Dir.Path() / "moved/alpha.txt"), Row("1.2S#.") + EmptyRows(9));
    }

    // Test run

    // Whatever is named test.lvl is replaced by the copy: a link there is never written through.
    void testRunStartsTheGameOnACopy_data()
    {
        QTest::addColumn<QString>("TestFileWas");
        QTest::newRow("absent") << "";
        QTest::newRow("a link to a level") << "alpha.txt";
        QTest::newRow("a dangling link out of the folder") << "../outside.txt";
    }
    void testRunStartsTheGameOnACopy()
    {
        QFETCH(QString, TestFileWas);
        TGameDir Dir;
        const std::string Alpha = ReadBytes(Dir.Levels() / "alpha.txt");
        if (!TestFileWas.isEmpty())
            fs::create_symlink(TestFileWas.toStdString(), Dir.Levels() / "test.lvl");
        const fs::path Game = Dir.Path() / "zolvane.exe";
        WriteBytes(Game,
                   "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" \"$(pwd)\" > record.tmp && mv record.tmp record.txt\n");
        fs::permissions(Game, fs::perms::owner_all);
        TMessageCapture Capture;
        TEditor E(Dir);
        E.ClickEntry("beta.txt");
        E.Click(E.BrickButton(10));
        E.ClickCell(0, 0);
        E.Click(E.Button("btnExec"));
        QVERIFY(NoChildLeft());
        QCOMPARE(Capture.Shown.size(), 0);
        QCOMPARE(ReadBytes(Dir.Levels() / "test.lvl"), Row("#.") + EmptyRows(8) + Row("9W"));
        QVERIFY(!fs::is_symlink(Dir.Levels() / "test.lvl"));
        QCOMPARE(ReadBytes(Dir.Levels() / "alpha.txt"), Alpha);
        QVERIFY(!fs::exists(Dir.Path() / "data/outside.txt"));
        QCOMPARE(QString::fromStdString(E.Form.Level().FileName), QStringLiteral("data/levels/beta.txt"));
        QCOMPARE(E.Form.Level().Changed, 1);
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(Dir.Path() / "record.txt"), 10000);
        QCOMPARE(QString::fromStdString(ReadBytes(Dir.Path() / "record.txt")),
                 QStringLiteral("1\n--level=test.lvl\n%1\n").arg(QDir(Dir.Native()).canonicalPath()));
        // test.lvl never shows up in the list, and a later Save writes the level's own file.
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(ReadBytes(Dir.Levels() / "beta.txt").substr(0, 2), std::string("#."));
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
            WriteBytes(Dir.Path() / "zolvane.exe", "#!/bin/sh\n");
        TMessageCapture Capture;
        TEditor E(Dir);
        E.Form.findChild<QAction*>("menTestLevel")->trigger();
        QVERIFY(NoChildLeft());
        QCOMPARE(Capture.Shown.size(), 1);
        QCOMPARE(int(Capture.Shown[0].Kind), int(TMessageKind::Plain));
        const QString Path = QString::fromStdString(E.Form.GameDir()) + "zolvane.exe";
        QCOMPARE(Capture.Shown[0].Text, QString::fromStdString(SystemErrorText(Code)) + "\r\n\"" + Path + "\"");
        QVERIFY(fs::exists(Dir.Levels() / "test.lvl"));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
