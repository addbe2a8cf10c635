// Blocks in the real window: selecting, the clipboard, the floating paste, moves, flips and shifts.
#include "editorharness.h"

#include <QClipboard>
#include <QMenu>
#include <QMenuBar>

namespace {

// A field from its first rows, in the level file's characters, as TEditor::Field shows it.
QString FieldOf(const QStringList& Rows)
{
    std::string Text;
    for (int R = 0; R < LevelRows; ++R)
        Text += Row(R < Rows.size() ? Rows[R].toStdString() : std::string());
    return QString::fromStdString(Text);
}

// Every test level but "" (a new one) is abc.txt: bricks 1 2 3 over 4 5 6, Single Shot on the 5.
const QStringList Abc = {"1.2.3.", "4.5S6."};
const QString Dots30(30, '.');

// Qt drops a move to where the pointer already is, which the last test may have left over the same cell.
void PointerOffTheGrid(TEditor& E)
{
    QTest::mouseMove(E.List, QPoint(5, 5));
}

QString SelectionText(TEditor& E)
{
    const TCellSelection& Selection = E.Form.Document().Selection();
    if (!Selection.Exists())
        return QStringLiteral("none");
    const TCellRect R = Selection.Rect();
    return QStringLiteral("%1 %2 %3x%4").arg(R.Left).arg(R.Top).arg(R.Width).arg(R.Height);
}

QString Clipboard()
{
    return QGuiApplication::clipboard()->text();
}

// The grid as the screen shows it, and as a full repaint would draw it now.
QImage Shown(TEditor& E)
{
    const QPoint At = E.Grid->mapTo(&E.Form, QPoint(0, 0));
    return E.Grid->screen()
        ->grabWindow(E.Form.winId(), At.x(), At.y(), E.Grid->width(), E.Grid->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage Full(TEditor& E)
{
    return E.Grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The cells' pixels of a block of Width x Height at (Col, Row), with the lines right of and below them.
QRegion Footprint(TEditor& E, int Col, int Row, int Width, int Height)
{
    QRegion Cells;
    for (int C = Col; C < std::min(Col + Width, LevelColumns); ++C)
        for (int R = Row; R < std::min(Row + Height, LevelRows); ++R)
            Cells += E.Grid->CellRect(C, R).adjusted(0, 0, 1, 1);
    return Cells;
}

QImage Masked(QImage Image, const QRegion& Out)
{
    for (const QRect& Rect : Out)
        for (int Y = Rect.top(); Y <= Rect.bottom(); ++Y)
            for (int X = Rect.left(); X <= Rect.right(); ++X)
                Image.setPixel(X, Y, 0);
    return Image;
}

} // namespace

class TestBlocks : public QObject {
    Q_OBJECT
private slots:
    void blockCommandsAreOneStepEach_data();
    void blockCommandsAreOneStepEach();
    void copyInOneWindowPastesInAnother();
    void pastePreviewFollowsThePointer();
    void selectionOutlineStaysUntilDropped_data();
    void selectionOutlineStaysUntilDropped();
    void deleteActsOnlyWhileTheGridHasTheFocus();
    void commandsShowTheirKeys();
};

// Each script starts with the draw tool, the Cell shape and nothing chosen (keys move without painting), the
// focus on the grid at (0, 0) and the pointer off the grid; clipboard is on the clipboard before it runs.
void TestBlocks::blockCommandsAreOneStepEach_data()
{
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("field");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("undoText");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<QString>("message");
    const QString Was = "was";
    const QString Block = "7.8.\r\n9W#.\r\n";
    const auto Add = [&](const char* Name, const QString& Level, const QString& Clip, const QString& Script,
                         const QStringList& Field, int Steps, const QString& UndoText, const QString& Selection,
                         const QString& ClipAfter, const QString& Message = {}) {
        QTest::newRow(Name) << Level << Clip << Script << Field << Steps << UndoText << Selection << ClipAfter
                            << Message;
    };
    // Selecting and copying
    Add("drag selects, copy takes its rows", "abc.txt", Was, "key S; press 0 0; move 1 1; release 1 1; key Ctrl+C", Abc,
        0, "Undo", "0 0 2x2", "1.2.\r\n4.5S\r\n");
    Add("dragged up and left", "abc.txt", Was, "key S; press 2 1; release 1 0; key Ctrl+C", Abc, 0, "Undo", "1 0 2x2",
        "2.3.\r\n5S6.\r\n");
    Add("select all copies the rows of a saved level", "abc.txt", Was, "key Ctrl+A; key Ctrl+C", Abc, 0, "Undo",
        "0 0 20x10", FieldOf(Abc));
    Add("nothing selected copies nothing", "abc.txt", Was, "key Ctrl+C; key Ctrl+X", Abc, 0, "Undo", "none", Was);
    Add("a new selection replaces the old", "abc.txt", Was, "key S; press 0 0; release 1 1; press 3 3; release 4 5",
        Abc, 0, "Undo", "3 3 2x3", Was);
    Add("Esc in a drag keeps the old selection", "abc.txt", Was,
        "key S; press 0 0; release 1 1; press 3 3; move 5 5; key Escape; release 5 5", Abc, 0, "Undo", "0 0 2x2", Was);
    Add("Esc drops the selection", "abc.txt", Was, "key S; press 0 0; release 1 1; key Escape", Abc, 0, "Undo", "none",
        Was);
    Add("select paints nothing", "abc.txt", Was, "key 4; key S; press 0 3; move 5 5; release 5 5", Abc, 0, "Undo",
        "0 3 6x3", Was);
    Add("keys keep their meaning, Shift changes nothing", "abc.txt", Was,
        "key S; press 0 0; release 1 1; key 5; key Right; key Shift+Down", {"1.2.3.", "4.5S5.", "....5."}, 2,
        "Undo Paint", "0 0 2x2", Was);
    // Cut and Del
    Add("cut copies and clears", "abc.txt", Was, "key S; press 0 0; release 0 1; key Ctrl+X", {"..2.3.", "..5S6."}, 1,
        "Undo Cut", "0 0 1x2", "1.\r\n4.\r\n");
    Add("Del clears", "abc.txt", Was, "key S; press 1 0; release 2 1; key Del", {"1.", "4."}, 1, "Undo Delete",
        "1 0 2x2", Was);
    Add("Del with nothing selected", "abc.txt", Was, "key Del", Abc, 0, "Undo", "none", Was);
    // Paste
    Add("paste floats under the pointer, a click places it", "abc.txt", Block,
        "key Ctrl+V; move 5 3; move 6 4; press 6 4; release 6 4",
        Abc + QStringList{"", "", "............7.8.", "............9W#."}, 1, "Undo Paste", "none", Block);
    Add("Return places it", "abc.txt", Block, "move 6 4; key Ctrl+V; key Return",
        Abc + QStringList{"", "", "............7.8.", "............9W#."}, 1, "Undo Paste", "none", Block);
    Add("off the grid it floats at the current cell", "abc.txt", Block,
        "key Right; key Right; key Down; key Ctrl+V; key Return", {"1.2.3.", "4.5S7.8.", "....9W#."}, 1, "Undo Paste",
        "none", Block);
    Add("clipped at the field's edges", "", Block, "move 19 9; key Ctrl+V; key Return",
        QStringList(9) << Dots30 + "........7.", 1, "Undo Paste", "none", Block);
    Add("empty cells of the block are written", "abc.txt", "....\r\n", "move 0 0; key Ctrl+V; key Return",
        {"....3.", "4.5S6."}, 1, "Undo Paste", "none", "....\r\n");
    Add("lines from a text editor", "abc.txt", "7.8.\n9W#.", "move 0 0; key Ctrl+V; key Return", {"7.8.3.", "9W#.6."},
        1, "Undo Paste", "none", "7.8.\n9W#.");
    Add("Esc drops the floating block", "abc.txt", Block, "key Ctrl+V; move 4 4; key Escape; press 4 4; release 4 4",
        Abc, 0, "Undo", "none", Block);
    Add("mirrored paste", "abc.txt", Block, "key M; move 0 0; key Ctrl+V; key Return",
        {"7.8.3." + Dots30 + "8.7.", "9W#.6." + Dots30 + "#.9W"}, 1, "Undo Paste", "none", Block);
    Add("lines of different lengths are no block", "abc.txt", "1.2.\r\n3.\r\n", "key Ctrl+V; key Return; move 3 3", Abc,
        0, "Undo", "none", "1.2.\r\n3.\r\n", "Cannot paste: lines of different lengths");
    Add("a character of no brick", "abc.txt", "1.Z.\r\n", "move 3 3; key Ctrl+V; press 3 3; release 3 3", Abc, 0,
        "Undo", "none", "1.Z.\r\n", "Cannot paste: 'Z' at line 1, column 3 is no brick");
    Add("an empty clipboard", "abc.txt", "", "key Ctrl+V; key Return", Abc, 0, "Undo", "none", "",
        "Cannot paste: the text is empty");
    // Move
    Add("a drag inside the selection moves it", "abc.txt", Was,
        "key S; press 0 0; release 1 1; press 0 0; move 2 1; move 3 2; release 3 2",
        {"....3.", "....6.", "......1.2.", "......4.5S"}, 1, "Undo Move", "3 2 2x2", Was);
    Add("a move over its own place", "abc.txt", Was, "key S; press 0 0; release 1 1; press 1 1; release 2 1",
        {"..1.2.", "..4.5S"}, 1, "Undo Move", "1 0 2x2", Was);
    Add("what is moved off the field is lost", "abc.txt", Was, "key S; press 1 0; release 2 1; press 1 0; release 19 9",
        QStringList{"1.", "4."} + QStringList(7) << Dots30 + "........2.", 1, "Undo Move", "19 9 1x1", Was);
    Add("Esc puts a move back", "abc.txt", Was,
        "key S; press 0 0; release 1 1; press 0 0; move 3 2; key Escape; "
        "release 3 2",
        Abc, 0, "Undo", "0 0 2x2", Was);
    Add("a click inside the selection moves nothing", "abc.txt", Was,
        "key S; press 0 0; release 1 1; press 1 1; release 1 1", Abc, 0, "Undo", "0 0 2x2", Was);
    Add("mirrored move", "abc.txt", Was, "key M; key S; press 0 0; release 0 1; press 0 0; release 1 0",
        {"..1.3." + Dots30 + "1...", "..4.6." + Dots30 + "4..."}, 1, "Undo Move", "1 0 1x2", Was);
    // Flips and shifts
    Add("X flips the selection", "abc.txt", Was, "key S; press 0 0; release 2 0; key X", {"3.2.1.", "4.5S6."}, 1,
        "Undo Flip Horizontally", "0 0 3x1", Was);
    Add("X flips the whole level", "abc.txt", Was, "key X", {Dots30 + "....3.2.1.", Dots30 + "....6.5S4."}, 1,
        "Undo Flip Horizontally", "none", Was);
    Add("Y flips the whole level", "abc.txt", Was, "key Y", QStringList(8) + QStringList{"4.5S6.", "1.2.3."}, 1,
        "Undo Flip Vertically", "none", Was);
    Add("a flip of an empty level records nothing", "", Was, "key X; key Y", {}, 0, "Undo", "none", Was);
    Add("Alt+Left wraps within the selection", "abc.txt", Was, "key S; press 0 0; release 2 1; key Alt+Left",
        {"2.3.1.", "5S6.4."}, 1, "Undo Shift Left", "0 0 3x2", Was);
    Add("Alt+Right shifts the whole level", "abc.txt", Was, "key Alt+Right", {"..1.2.3.", "..4.5S6."}, 1,
        "Undo Shift Right", "none", Was);
    Add("Alt+Up brings the top row in at the bottom", "abc.txt", Was, "key Alt+Up",
        QStringList{"4.5S6."} + QStringList(8) + QStringList{"1.2.3."}, 1, "Undo Shift Up", "none", Was);
    Add("Alt+Down within a column", "abc.txt", Was, "key S; press 0 0; release 0 1; key Alt+Down; key Alt+Down", Abc, 2,
        "Undo Shift Down", "0 0 1x2", Was);
}

void TestBlocks::blockCommandsAreOneStepEach()
{
    QFETCH(QString, level);
    QFETCH(QString, clipboard);
    QFETCH(QString, script);
    QFETCH(QStringList, field);
    QFETCH(int, steps);
    QFETCH(QString, undoText);
    QFETCH(QString, selection);
    QFETCH(QString, clipboardAfter);
    QFETCH(QString, message);
    TGameDir Dir;
    WriteBytes(Dir.Levels() / "abc.txt", FieldOf(Abc).toStdString());
    TMessageCapture Capture;
    TEditor E(Dir, level);
    PointerOffTheGrid(E);
    QGuiApplication::clipboard()->setText(clipboard);
    RunUndoAndRedo(E, script, steps, undoText);
    QCOMPARE(E.Field(), FieldOf(field)); // after the redo, as the script left it
    QCOMPARE(E.Form.Level().Changed, steps > 0 ? 1 : 0);
    QCOMPARE(SelectionText(E), selection);
    QCOMPARE(Clipboard(), clipboardAfter);
    QCOMPARE(E.Message(), message);
    QCOMPARE(ShownTexts(Capture), QStringList{});
}

// One process, two editors, the one system clipboard between them.
void TestBlocks::copyInOneWindowPastesInAnother()
{
    TGameDir Dir;
    WriteBytes(Dir.Levels() / "abc.txt", FieldOf(Abc).toStdString());
    QGuiApplication::clipboard()->clear();
    TEditor From(Dir, "abc.txt");
    Run(From, "key S; press 1 0; release 2 1; key Ctrl+C");
    TEditor To(Dir);
    PointerOffTheGrid(To);
    Run(To, "key Ctrl+V; move 10 8; press 10 8; release 10 8");
    QCOMPARE(To.Field(), FieldOf(QStringList(8) + QStringList{Dots30.left(20) + "2.3.", Dots30.left(20) + "5S6."}));
    QCOMPARE(To.Action("menUndo")->text(), QStringLiteral("Undo Paste"));
    QCOMPARE(From.Field(), FieldOf(Abc));
    QCOMPARE(From.Form.Level().Changed, 0);
}

// The floating block shows the level exactly as placing it would leave it, outline aside, and every move
// repaints only the cells it leaves and enters and their outlines, leaving nothing stale on the screen.
void TestBlocks::pastePreviewFollowsThePointer()
{
    TGameDir Dir;
    WriteBytes(Dir.Levels() / "abc.txt", FieldOf(Abc).toStdString());
    TEditor E(Dir, "abc.txt");
    PointerOffTheGrid(E);
    QGuiApplication::clipboard()->setText("7.8.1.\r\n9W..2E\r\n"); // an empty cell on its edge
    QPoint From(0, 0);
    Run(E, "move 0 0; key Ctrl+V");
    for (const QPoint To : {QPoint(1, 0), QPoint(2, 1), QPoint(6, 5), QPoint(17, 8), QPoint(19, 9), QPoint(0, 0)}) {
        const QString Where = QStringLiteral("at %1, %2").arg(To.x()).arg(To.y());
        QTRY_VERIFY(Shown(E) == Full(E)); // the repaints so far are done
        QRegion Painted;
        {
            // A grab paints the whole widget, so the spy watches only the move.
            TPaintSpy Spy(E.Grid);
            E.MoveTo(To.x(), To.y());
            QTRY_VERIFY2(Spy.Painted.contains(E.Grid->CellRect(To.x(), To.y())), qPrintable("no repaint " + Where));
            Painted = Spy.Painted;
        }
        const QRegion Allowed = Footprint(E, From.x(), From.y(), 3, 2) + Footprint(E, To.x(), To.y(), 3, 2);
        QVERIFY2(Painted.subtracted(Allowed).isEmpty(),
                 qPrintable("a repaint outside the cells left and entered " + Where));
        // The screen follows once the backing store is flushed.
        QTRY_VERIFY2(Shown(E) == Full(E), qPrintable("the screen and a full repaint differ " + Where));
        QCOMPARE(E.Field(), FieldOf(Abc));
        const QImage Preview = Full(E);
        const QRegion Outline = OutlineRegion(OutlineOf(*E.Grid, ClipToField({To.x(), To.y(), 3, 2})));
        E.Key("Return");
        QVERIFY2(Masked(Full(E), Outline) == Masked(Preview, Outline),
                 qPrintable("the preview differs from the placed block " + Where));
        E.Key("Ctrl+Z");
        E.Key("Ctrl+V");
        From = To;
    }
}

void TestBlocks::selectionOutlineStaysUntilDropped_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("Esc") << "key Escape";
    QTest::newRow("a new selection") << "press 10 6; release 10 6";
    QTest::newRow("a new level") << "key Ctrl+N";
    QTest::newRow("opening a level") << "open";
}

// Dark and light dashes along the top of the selected cells, over their bricks; gone once dropped.
void TestBlocks::selectionOutlineStaysUntilDropped()
{
    QFETCH(QString, script);
    TGameDir Dir;
    WriteBytes(Dir.Levels() / "row.txt", FieldOf({"", "3.3.3.3.3."}).toStdString());
    TEditor E(Dir, "row.txt");
    const QRect Outline = OutlineOf(*E.Grid, {1, 1, 3, 2});
    const auto Top = [&] {
        QSet<QString> Colours;
        const QImage Image = Full(E);
        for (int X = Outline.left(); X <= Outline.right(); ++X)
            Colours << Image.pixelColor(X, Outline.top()).name();
        QStringList Sorted(Colours.begin(), Colours.end());
        Sorted.sort();
        return Sorted;
    };
    const QString Dark = "#141414";
    QVERIFY(!Top().contains(Dark));
    Run(E, "key S; press 1 1; move 2 2; release 3 2");
    QCOMPARE(Top(), (QStringList{Dark, "#ffffff"}));
    if (script == "open")
        E.ClickEntry("beta.txt");
    else
        Run(E, script);
    QTRY_VERIFY(!Top().contains(Dark));
    QCOMPARE(SelectionText(E), script == "press 10 6; release 10 6" ? "10 6 1x1" : "none");
}

// Del is free for the level list while the list has the focus; cut, copy and delete wait for a selection.
void TestBlocks::deleteActsOnlyWhileTheGridHasTheFocus()
{
    TGameDir Dir;
    TEditor E(Dir, "alpha.txt");
    const QString Opened = E.Field();
    const auto Enabled = [&] {
        return QStringList{E.Action("menCut")->isEnabled() ? "cut" : "", E.Action("menCopy")->isEnabled() ? "copy" : "",
                           E.Action("menDelete")->isEnabled() ? "delete" : ""};
    };
    QCOMPARE(Enabled(), QStringList(3, ""));
    Run(E, "key Ctrl+A");
    QCOMPARE(Enabled(), (QStringList{"cut", "copy", "delete"}));
    // On the list, Del is the list's own delete, which asks first; the block stays.
    TMessageCapture Capture;
    E.List->setFocus();
    E.Key("Del");
    QCOMPARE(E.Field(), Opened);
    QCOMPARE(ShownTexts(Capture), QStringList{"Delete alpha.txt? It will be moved to the trash."});
    E.Grid->setFocus();
    E.Key("Del");
    QCOMPARE(E.Field(), FieldOf({}));
    QCOMPARE(E.Action("menUndo")->text(), QStringLiteral("Undo Delete"));
}

void TestBlocks::commandsShowTheirKeys()
{
    TGameDir Dir;
    TEditor E(Dir);
    QStringList Items;
    for (QAction* Item : E.Form.findChild<QMenu*>("menEdit")->actions())
        Items << (Item->isSeparator() ? "-" : Item->text() + " " + Item->shortcut().toString());
    QCOMPARE(Items,
             (QStringList{"Undo Ctrl+Z", "Redo Ctrl+Shift+Z", "-", "Cut Ctrl+X", "Copy Ctrl+C", "Paste Ctrl+V",
                          "Delete Del", "-", "Select All Ctrl+A", "-", "Flip Horizontally X", "Flip Vertically Y", "-",
                          "Shift Left Alt+Left", "Shift Right Alt+Right", "Shift Up Alt+Up", "Shift Down Alt+Down"}));
    QCOMPARE(E.Button("btnSelect")->toolTip(), QStringLiteral("Select (S)"));
    QVERIFY(!E.Button("btnSelect")->icon().isNull());
    Run(E, "key S");
    QStringList Down;
    for (const char* Name : {"btnCell", "btnRectangle", "btnFill", "btnSelect"})
        if (E.Button(Name)->isChecked())
            Down << Name;
    QCOMPARE(Down, QStringList{"btnSelect"});
    Run(E, "key R");
    QVERIFY(!E.Button("btnSelect")->isChecked());
}

QTEST_MAIN(TestBlocks)
#include "tst_blocks.moc"
