// What a designer sees of the window all day: each palette button's tool tip with its key and the chosen
// button's frame, the status line's parts side by side, "changed" through the history, and the window's
// edges. The layout checks run once more in a child at one and a half times the scale.
#include "editorharness.h"

#include <QProcess>

namespace {

// The status line's parts, left to right.
const char* const StatusParts[] = {"labCell", "labNotes", "labModified", "labCounts"};
// Room the line keeps from the window's edges, and at least between its parts.
constexpr int StatusMargin = 4;

// The scale this process runs at: 1, or what the parent asked its child for.
double ExpectedScale()
{
    return qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 1.0;
}

QLabel* StatusPart(TEditor& E, const char* Name)
{
    return E.Form.statusBar()->findChild<QLabel*>(Name);
}

QString Span(const QWidget* Part)
{
    return QStringLiteral("%1 [%2..%3]").arg(Part->objectName()).arg(Part->x()).arg(Part->geometry().right());
}

// Whatever keeps the status line from showing each part whole and apart; empty when all is well.
QStringList StatusLayoutFaults(TEditor& E)
{
    const QStatusBar* Bar = E.Form.statusBar();
    QStringList Faults;
    const QLabel* Previous = nullptr;
    for (const char* Name : StatusParts) {
        const QLabel* Part = StatusPart(E, Name);
        if (!Part || !Part->isVisible()) {
            Faults << QStringLiteral("%1 not shown").arg(Name);
            continue;
        }
        if (!Bar->rect().contains(Part->geometry()))
            Faults << Span(Part) + " outside the bar";
        const int Needs = Part->fontMetrics().horizontalAdvance(Part->text());
        if (Needs > Part->contentsRect().width())
            Faults << QStringLiteral("%1 needs %2 px for \"%3\", has %4")
                          .arg(Name)
                          .arg(Needs)
                          .arg(Part->text())
                          .arg(Part->contentsRect().width());
        if (Previous && Part->x() - Previous->geometry().right() - 1 < StatusMargin)
            Faults << Span(Previous) + " runs into " + Span(Part);
        Previous = Part;
    }
    if (const int Left = StatusPart(E, StatusParts[0])->x(); Left < StatusMargin)
        Faults << QStringLiteral("left margin %1").arg(Left);
    if (const int Right = Bar->width() - 1 - Previous->geometry().right(); Right < StatusMargin)
        Faults << QStringLiteral("right margin %1").arg(Right);
    // Notes that do not fit end in an ellipsis after as much of their beginning as fits.
    const QLabel* Notes = StatusPart(E, "labNotes");
    const QString Whole = Notes->toolTip(), Shown = Notes->text();
    if (Shown != Whole && !(Shown.endsWith(QChar(0x2026)) && Whole.startsWith(Shown.chopped(1))))
        Faults << "notes shown as \"" + Shown + "\" for \"" + Whole + "\"";
    return Faults;
}

// The parts' texts, the notes whole and marked when the line shows less of them.
QStringList StatusTexts(TEditor& E)
{
    const QLabel* Notes = StatusPart(E, "labNotes");
    return {StatusPart(E, "labCell")->text(), Notes->toolTip() + (Notes->text() != Notes->toolTip() ? " (cut)" : ""),
            StatusPart(E, "labModified")->text(), StatusPart(E, "labCounts")->text()};
}

// A full field of Brick 3, 3 Hits with Faster Speed, in a file with a fault of each common kind: an unknown
// brick under a power-up at the start, a long line 2, a short line 3, lines 4 to 9 ending in LF, a stray line.
std::string CrowdedDamagedLevel()
{
    std::string Full;
    for (int Col = 0; Col < LevelColumns; ++Col)
        Full += "9F";
    std::string Bytes = "Z" + Full.substr(1) + "\r\n" + Full + "xx\r\n" + Full.substr(0, 20) + "\r\n";
    for (int Line = 4; Line <= 9; ++Line)
        Bytes += Full + "\n";
    return Bytes + Full + "\r\nstray\r\n";
}

const QString CrowdedNotes = "crowded.txt: 1 unknown character read as empty, 1 power-up on an empty cell, "
                             "line 3 is short, line 2 is too long, 6 line ends without CR, "
                             "1 line after the rows ignored";

// How far the line of a palette's pictures starts from the palette's left edge: the first column, in
// device pixels, that is not the window's background.
int FirstPictureColumn(TEditor& E, const char* Palette)
{
    const TPaletteToolBar* Bar = E.Palette(Palette);
    const QImage Shot = E.Form.grab().toImage();
    const double Scale = Shot.devicePixelRatio();
    const QPoint Origin = Bar->mapTo(&E.Form, QPoint(0, 0));
    const QRgb Background = E.Form.palette().color(QPalette::Window).rgb();
    for (int X = qRound(Origin.x() * Scale); X < qRound((Origin.x() + Bar->width()) * Scale); ++X)
        for (int Y = qRound(Origin.y() * Scale); Y < qRound((Origin.y() + Bar->height()) * Scale); ++Y)
            if (Shot.pixel(X, Y) != Background)
                return X;
    return -1;
}

// Which of a button's outer rings, from its edge inwards, are all in the highlight colour, some, or none.
QString HighlightRings(QWidget* Button)
{
    const QImage Shot = Button->grab().toImage();
    const QRgb Highlight = Button->palette().color(QPalette::Highlight).rgb();
    QStringList Rings;
    for (int Depth = 0; Depth < 3; ++Depth) {
        const QRect Ring = Shot.rect().adjusted(Depth, Depth, -Depth, -Depth);
        int Lit = 0, All = 0;
        for (int X = Ring.left(); X <= Ring.right(); ++X)
            for (int Y = Ring.top(); Y <= Ring.bottom(); ++Y)
                if (X == Ring.left() || X == Ring.right() || Y == Ring.top() || Y == Ring.bottom()) {
                    ++All;
                    Lit += Shot.pixel(X, Y) == Highlight;
                }
        Rings << (Lit == All ? "all" : Lit == 0 ? "none" : "some");
    }
    return Rings.join(", ");
}

} // namespace

class TestDailyPolish : public QObject {
    Q_OBJECT
private slots:
    // Left to right, as the palettes show them; a button whose picture is missing is simply not there.
    void paletteToolTipsNameTheKindAndItsKey_data()
    {
        QTest::addColumn<QStringList>("without");
        QTest::addColumn<QStringList>("bricks");
        QTest::addColumn<QStringList>("powerUps");
        const QStringList Bricks{"Brick Fixed (0)",     "Brick 3, 3 Hits (9)", "Brick 2, 3 Hits (8)",
                                 "Brick 1, 3 Hits (7)", "Brick 3, 2 Hits (6)", "Brick 2, 2 Hits (5)",
                                 "Brick 1, 2 Hits (4)", "Brick 3, 1 Hit (3)",  "Brick 2, 1 Hit (2)",
                                 "Brick 1, 1 Hit (1)"};
        const QStringList PowerUps{"Wall (Ctrl+6)",        "Iron Ball (Ctrl+5)",  "Faster Speed (Ctrl+4)",
                                   "Lower Speed (Ctrl+3)", "Extra Ball (Ctrl+2)", "Single Shot (Ctrl+1)"};
        QTest::newRow("every picture") << QStringList{} << Bricks << PowerUps;
        QStringList NoFive = Bricks, NoGrey = PowerUps;
        NoFive.removeOne("Brick 2, 2 Hits (5)");
        NoGrey.removeOne("Faster Speed (Ctrl+4)");
        QTest::newRow("two pictures missing") << QStringList{"brick005.bmp", "pu_grey.bmp"} << NoFive << NoGrey;
    }
    void paletteToolTipsNameTheKindAndItsKey()
    {
        QFETCH(QStringList, without);
        QFETCH(QStringList, bricks);
        QFETCH(QStringList, powerUps);
        std::vector<std::string> Missing;
        for (const QString& File : without)
            Missing.push_back(File.toStdString());
        TGameDir Dir(Missing);
        TMessageCapture Capture;
        TEditor E(Dir);
        const auto Tips = [&](const char* Palette) {
            QStringList Texts;
            for (const TPaletteButton* Button : E.Palette(Palette)->Buttons())
                Texts << Button->toolTip();
            return Texts;
        };
        QCOMPARE(Tips("tbBricks"), bricks);
        QCOMPARE(Tips("tbPowerUps"), powerUps);
    }

    void chosenButtonIsFramedInTheHighlight_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("rings"); // brick 3's button, brick 4's, Extra Ball's
        const QString Framed = "all, all, none", Plain = "none, none, none";
        QTest::newRow("nothing chosen") << "" << QStringList{Plain, Plain, Plain};
        QTest::newRow("a brick by its key") << "3" << QStringList{Framed, Plain, Plain};
        QTest::newRow("another brick instead") << "3 4" << QStringList{Plain, Framed, Plain};
        QTest::newRow("a brick and a power-up") << "3 Ctrl+2" << QStringList{Framed, Plain, Framed};
        QTest::newRow("un-chosen by a second press") << "3 Ctrl+2 3 Ctrl+2" << QStringList{Plain, Plain, Plain};
    }
    void chosenButtonIsFramedInTheHighlight()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, rings);
        TGameDir Dir;
        TEditor E(Dir);
        for (const QString& Key : keys.split(' ', Qt::SkipEmptyParts))
            E.Key(Key);
        QCOMPARE((QStringList{HighlightRings(E.BrickButton(3)), HighlightRings(E.BrickButton(4)),
                              HighlightRings(E.PowerUpButton(2))}),
                 rings);
    }

    // alpha.txt, opened: brick 1 at (0, 0), brick 2 with Single Shot at (1, 0), the fixed brick at (2, 0). The
    // status line and Pick name the same cell: its kinds are what Pick chooses.
    void cellPartFollowsTheLastInput_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QStringList>("picked");
        QTest::newRow("the pointer over a cell") << "move 1 0"
                                                 << "Column 1, Row 0: Brick 2, 1 Hit + Single Shot"
                                                 << QStringList{"Brick 2, 1 Hit", "PowerUp - Single Shot"};
        QTest::newRow("then a key move: the current cell")
            << "move 1 0; key Right; key Right"
            << "Column 2, Row 0: Brick Fixed" << QStringList{"Brick Fixed"};
        QTest::newRow("then the pointer again, within its cell")
            << "move 1 0; key Right; key Right; nudge 1 0"
            << "Column 1, Row 0: Brick 2, 1 Hit + Single Shot"
            << QStringList{"Brick 2, 1 Hit", "PowerUp - Single Shot"};
        QTest::newRow("then the pointer to another cell")
            << "move 1 0; key Down; move 0 0"
            << "Column 0, Row 0: Brick 1, 1 Hit" << QStringList{"Brick 1, 1 Hit"};
        QTest::newRow("a wheel notch under a still pointer") << "move 1 0; wheel -120"
                                                             << "Column 0, Row 1: empty" << QStringList{};
        QTest::newRow("a press: the pressed cell")
            << "key Right; key Right; press 0 0; release 0 0"
            << "Column 0, Row 0: Brick 1, 1 Hit" << QStringList{"Brick 1, 1 Hit"};
    }
    void cellPartFollowsTheLastInput()
    {
        QFETCH(QString, script);
        QFETCH(QString, cell);
        QFETCH(QStringList, picked);
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        Run(E, script);
        QCOMPARE(E.CellStatus(), cell);
        E.Key("I");
        QCOMPARE(E.DownPaletteButtons(), picked);
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // Each script starts on alpha.txt, just opened, where (0, 0) holds brick 1; Paint paints brick 4 at (5, 5)
    // and PaintAgain brick 5 at (6, 6). Afterwards the list switches to beta.txt, answering No if asked.
    void changedFollowsTheHistorysSavedState_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("state");
        const QString Paint = "key 4; press 5 5; release 5 5; ";
        const QString PaintAgain = "key 5; press 6 6; release 6 6; ";
        QTest::newRow("opened") << ""
                                << "changed 0, modified \"\", asked 0";
        QTest::newRow("painted") << Paint << "changed 1, modified \"Modified\", asked 1";
        QTest::newRow("undone back to the file") << Paint + "key Ctrl+Z"
                                                 << "changed 0, modified \"\", asked 0";
        QTest::newRow("redone away from it") << Paint + "key Ctrl+Z; key Ctrl+Y"
                                             << "changed 1, modified \"Modified\", asked 1";
        QTest::newRow("two steps, one undone") << Paint + PaintAgain + "key Ctrl+Z"
                                               << "changed 1, modified \"Modified\", asked 1";
        QTest::newRow("two steps, both undone") << Paint + PaintAgain + "key Ctrl+Z; key Ctrl+Z"
                                                << "changed 0, modified \"\", asked 0";
        QTest::newRow("saved") << Paint + "key Ctrl+S"
                               << "changed 0, modified \"\", asked 0";
        QTest::newRow("saved, undone") << Paint + "key Ctrl+S; key Ctrl+Z"
                                       << "changed 1, modified \"Modified\", asked 1";
        QTest::newRow("saved, undone, redone back to the save") << Paint + "key Ctrl+S; key Ctrl+Z; key Ctrl+Shift+Z"
                                                                << "changed 0, modified \"\", asked 0";
        QTest::newRow("undone past the save, then another edit and its undo")
            << Paint + "key Ctrl+S; key Ctrl+Z; " + PaintAgain + "key Ctrl+Z"
            << "changed 1, modified \"Modified\", asked 1";
        QTest::newRow("a paint that changed no value") << "key 1; press 0 0; release 0 0"
                                                       << "changed 1, modified \"Modified\", asked 1";
        QTest::newRow("a paint that changed no value, then a step undone")
            << "key 1; press 0 0; release 0 0; " + Paint + "key Ctrl+Z"
            << "changed 0, modified \"\", asked 0";
    }
    void changedFollowsTheHistorysSavedState()
    {
        QFETCH(QString, script);
        QFETCH(QString, state);
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        Run(E, script);
        const int Changed = E.Form.Level().Changed;
        const QString Modified = StatusPart(E, "labModified")->text();
        Capture.Answers = {TModalResult::No};
        E.ClickEntry("beta.txt");
        QCOMPARE(QStringLiteral("changed %1, modified \"%2\", asked %3")
                     .arg(Changed)
                     .arg(Modified)
                     .arg(Capture.Count(TMessageKind::Question)),
                 state);
        QCOMPARE(E.Selected(), QStringLiteral("beta.txt"));
        QCOMPARE(StatusPart(E, "labModified")->text(), QString());
    }

    // A new level counts as unchanged when its edits are all undone; saved, it starts a clean history there.
    void newLevelUndoneOrSavedAsksNothing()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir);
        Run(E, "key 4; press 5 5; release 5 5; key Ctrl+Z");
        E.ClickEntry("alpha.txt");
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/alpha.txt"));
        Run(E, "key Ctrl+N; press 5 5; release 5 5; key Ctrl+S; key Ctrl+Z; key Ctrl+Y");
        QVERIFY(fs::exists(Dir.Levels() / "level1.txt"));
        QCOMPARE(E.Form.Level().Changed, 0);
        E.ClickEntry("beta.txt");
        QCOMPARE(E.Selected(), QStringLiteral("beta.txt"));
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // crowded.txt is CrowdedDamagedLevel: 189 bricks and 190 power-ups as read. Keys, not the pointer, move
    // here, so that the rows run the same in the scaled child.
    void statusPartsFitSideBySide_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("texts");
        const QString Counts = "189 bricks, 189 breakable, 190 power-ups";
        const QString Widest = "Column 19, Row 9: Brick 3, 3 Hits + Faster Speed";
        QTest::newRow("a new level") << ""
                                     << ""
                                     << QStringList{"Column 0, Row 0: empty", "", "",
                                                    "0 bricks, 0 breakable, 0 power-ups"};
        QTest::newRow("long notes, a long cell")
            << "crowded.txt"
            << "key Ctrl+End" << QStringList{Widest, CrowdedNotes + " (cut)", "", Counts};
        QTest::newRow("painted as it was: changed, the notes still true")
            << "crowded.txt"
            << "key 9; key Ctrl+4; key Ctrl+End" << QStringList{Widest, CrowdedNotes + " (cut)", "Modified", Counts};
        QTest::newRow("a real edit ends the notes")
            << "crowded.txt"
            << "key 1; key Right; key Left"
            << QStringList{"Column 0, Row 0: Brick 1, 1 Hit + Faster Speed", "", "Modified",
                           "190 bricks, 190 breakable, 190 power-ups"};
    }
    void statusPartsFitSideBySide()
    {
        QFETCH(QString, level);
        QFETCH(QString, script);
        QFETCH(QStringList, texts);
        TGameDir Dir;
        WriteBytes(Dir.Levels() / "crowded.txt", CrowdedDamagedLevel());
        TMessageCapture Capture;
        TEditor E(Dir, level);
        QCOMPARE(E.Form.devicePixelRatio(), ExpectedScale());
        QCOMPARE(E.Form.frameGeometry().size(), QSize(829, 358));
        Run(E, script);
        QCOMPARE(StatusTexts(E), texts);
        QTRY_COMPARE(StatusLayoutFaults(E).join("\n"), QString());
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // The window's frame line, and the first pictures of the two palettes, in device pixels.
    void windowEdgesLineUp()
    {
        TGameDir Dir;
        TEditor E(Dir);
        QCOMPARE(E.Form.devicePixelRatio(), ExpectedScale());
        const QWidget* Toolbar = E.Form.findChild<QWidget*>("tbMain");
        const QImage Shot = E.Form.grab().toImage();
        const int Middle = qRound(Toolbar->mapTo(&E.Form, Toolbar->rect().center()).y() * Shot.devicePixelRatio());
        const QColor Line = Toolbar->palette().color(QPalette::WindowText);
        QCOMPARE(QColor(Shot.pixel(0, Middle)), Line);
        QCOMPARE(QColor(Shot.pixel(Shot.width() - 1, Middle)), Line);
        QCOMPARE(FirstPictureColumn(E, "tbPowerUps"), FirstPictureColumn(E, "tbBricks"));
    }

    // Runs the layout checks again in a child of this program at one and a half times the scale.
    void layoutHoldsAtOneAndAHalfScale()
    {
        if (ExpectedScale() != 1.0)
            QSKIP("already the scaled child");
        QProcess Child;
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("QT_SCALE_FACTOR", "1.5");
        Child.setProcessEnvironment(Environment);
        Child.setProcessChannelMode(QProcess::MergedChannels);
        Child.start(QCoreApplication::applicationFilePath(), {"statusPartsFitSideBySide", "windowEdgesLineUp"});
        QVERIFY(Child.waitForFinished(120000));
        const QString Output = QString::fromLocal8Bit(Child.readAll());
        const bool Passed = Child.exitStatus() == QProcess::NormalExit && Child.exitCode() == 0 &&
            Output.contains("Totals: 7 passed, 0 failed");
        if (!Passed)
            qWarning().noquote() << Output;
        QVERIFY2(Passed, "the scaled child failed: its output is above");
    }
};

QTEST_MAIN(TestDailyPolish)
#include "tst_dailypolish.moc"
