#pragma once

// The editor window in a game directory of its own, as the window tests drive it.

#include "datahome.h"
#include "drawgrid.h"
#include "levelfile.h"
#include "levelfiletools.h"
#include "levellistview.h"
#include "main.h"
#include "messagecapture.h"
#include "palettebar.h"

#include <QAction>
#include <QLabel>
#include <QPaintEvent>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

namespace fs = std::filesystem;

using LevelFileTools::Listing;
using LevelTestTools::ReadBytes;
using LevelTestTools::WriteBytes;

inline std::string Row(const std::string& Pairs)
{
    return Pairs + std::string(40 - Pairs.size(), '.') + "\r\n";
}

inline std::string EmptyRows(int Count)
{
    std::string Rows;
    for (int I = 0; I < Count; ++I)
        Rows += Row("");
    return Rows;
}

// Makes a folder the current directory for its lifetime.
class TCurrentDir {
public:
    explicit TCurrentDir(const fs::path& Dir) : FOld(fs::current_path()) { fs::current_path(Dir); }
    ~TCurrentDir() { fs::current_path(FOld); }
    TCurrentDir(const TCurrentDir&) = delete;
    TCurrentDir& operator=(const TCurrentDir&) = delete;

private:
    fs::path FOld;
};

// A game directory of its own for each test, made the current directory as the editor expects:
// the built pictures, and three small levels; and a data folder of its own for the recovery journals.
class TGameDir {
public:
    explicit TGameDir(const std::vector<std::string>& Without = {}) : FCurrent(Path())
    {
        const fs::path Built = fs::path(qEnvironmentVariable("ZOLVANE_GAME_DIR").toStdString()) / "editor/images";
        fs::create_directories(Path() / "editor/images");
        for (const auto& Entry : fs::directory_iterator(Built))
            if (std::find(Without.begin(), Without.end(), Entry.path().filename().string()) == Without.end())
                fs::copy_file(Entry.path(), Path() / "editor/images" / Entry.path().filename());
        fs::create_directories(Levels());
        WriteBytes(Levels() / "alpha.txt", Row("1.2S#.") + EmptyRows(9));
        WriteBytes(Levels() / "beta.txt", EmptyRows(9) + Row("9W"));
        WriteBytes(Levels() / "gamma.txt", EmptyRows(10) + ":\r\nkeep me\r\n");
    }

    fs::path Path() const { return FDir.path().toStdString(); }
    fs::path Levels() const { return Path() / "data/levels"; }
    QString Native() const { return FDir.path(); }

private:
    QTemporaryDir FDir;
    TCurrentDir FCurrent;
    TDataHome FHome;
};

// The window, shown and focused, with its controls at hand; given a level, opened by a click on its entry,
// with the focus back on the grid.
struct TEditor {
    TMainForm Form;
    TDrawGrid* Grid;
    TLevelListView* List;
    QLabel* Label;

    explicit TEditor(const TGameDir& Dir, const QString& Open = {}) : Form(Dir.Native())
    {
        Grid = Form.findChild<TDrawGrid*>("dgrdField");
        List = Form.findChild<TLevelListView*>("lvLevels");
        Label = Form.findChild<QLabel*>("labLevel");
        Form.show();
        Form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Form));
        if (!Open.isEmpty()) {
            ClickEntry(Open);
            Grid->setFocus();
        }
    }

    TPaletteToolBar* Palette(const char* Name) { return Form.findChild<TPaletteToolBar*>(Name); }
    QToolButton* Button(const char* Name) { return Form.findChild<QToolButton*>(Name); }

    TPaletteButton* BrickButton(int Code) { return Find<TBrickItem>("tbBricks", Code); }
    TPaletteButton* PowerUpButton(int Code) { return Find<TPowerUpItem>("tbPowerUps", Code); }

    template <class TItem>
    TPaletteButton* Find(const char* Palette, int Code)
    {
        for (TPaletteButton* B : this->Palette(Palette)->Buttons())
            if (std::any_cast<const TItem*>(B->Tag)->Id == Code)
                return B;
        return nullptr;
    }

    // The catalogue names of the palette buttons that are down, bricks first.
    QStringList DownPaletteButtons()
    {
        QStringList Down;
        for (TPaletteButton* B : Palette("tbBricks")->Buttons())
            if (B->isChecked())
                Down << QString::fromStdString(std::any_cast<const TBrickItem*>(B->Tag)->Name);
        for (TPaletteButton* B : Palette("tbPowerUps")->Buttons())
            if (B->isChecked())
                Down << QString::fromStdString(std::any_cast<const TPowerUpItem*>(B->Tag)->Name);
        return Down;
    }

    void Click(QAbstractButton* B) { QTest::mouseClick(B, Qt::LeftButton); }
    void ClickCell(int Col, int Row) { QTest::mouseClick(Grid, Qt::LeftButton, {}, Grid->CellRect(Col, Row).center()); }
    void ClickEntry(const QString& Caption)
    {
        QListWidgetItem* Item = List->FindCaption(Caption);
        QVERIFY(Item);
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(Item).center());
    }
    // A stroke by hand: press on a cell, drag through cells, release on the last.
    void Press(int Col, int Row) { QTest::mousePress(Grid, Qt::LeftButton, {}, Grid->CellRect(Col, Row).center()); }
    void MoveTo(int Col, int Row) { QTest::mouseMove(Grid, Grid->CellRect(Col, Row).center()); }
    void Release(int Col, int Row) { QTest::mouseRelease(Grid, Qt::LeftButton, {}, Grid->CellRect(Col, Row).center()); }
    void Wheel(int Delta)
    {
        const QPointF At = Grid->CellRect(Grid->Col(), Grid->Row()).center();
        QWheelEvent Event(At, Grid->mapToGlobal(At), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Grid, &Event);
    }
    // A key as the user presses it, to whatever has the focus in the window.
    void Key(const QString& Sequence)
    {
        const QKeyCombination Key = QKeySequence(Sequence)[0];
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &Form, Key.key(),
                        Key.keyboardModifiers());
    }
    QAction* Action(const char* Name) { return Form.findChild<QAction*>(Name); }
    QString CellStatus() { return Form.findChild<QLabel*>("labCell")->text(); }
    QString Counts() { return Form.findChild<QLabel*>("labCounts")->text(); }
    QString Message() { return Form.statusBar()->currentMessage(); }
    // What an opened file did not say, whole, however much of it the status line has room for.
    QString Notes() { return Form.findChild<QLabel*>("labNotes")->toolTip(); }

    void ClickRow(int Row)
    {
        QVERIFY(List->item(Row));
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(List->item(Row)).center());
    }
    int SelectedRow() const { return List->Selected() ? List->row(List->Selected()) : -1; }
    TLevelCell Cell(int Col, int Row) const { return Form.Level().Cells[Col][Row]; }
    // The whole field as the level file writes it, so that a failure shows every cell.
    QString Field() const { return QString::fromStdString(FormatLevel(Form.Level())); }
    QString Selected() const { return List->Selected() ? List->Selected()->text() : QStringLiteral("<none>"); }
    QStringList Entries() const
    {
        QStringList Names;
        for (int I = 0; I < List->count(); ++I)
            Names << List->item(I)->text();
        return Names;
    }
};

// Steps separated by ';': press/move/release C R (left button; a move without a press only hovers), nudge C R
// (a move within that cell, off its centre), key SEQ (to the focus), wheel DELTA, click BUTTON (a tool button
// by its name).
inline void Run(TEditor& E, const QString& Script)
{
    for (const QString& Step : Script.split(';', Qt::SkipEmptyParts)) {
        if (Step.trimmed().isEmpty())
            continue;
        const QStringList W = Step.simplified().split(' ');
        const int C = W.value(1).toInt(), R = W.value(2).toInt();
        if (W[0] == "press")
            E.Press(C, R);
        else if (W[0] == "move")
            E.MoveTo(C, R);
        else if (W[0] == "nudge")
            QTest::mouseMove(E.Grid, E.Grid->CellRect(C, R).center() + QPoint(3, 2));
        else if (W[0] == "release")
            E.Release(C, R);
        else if (W[0] == "key")
            E.Key(W.value(1));
        else if (W[0] == "wheel")
            E.Wheel(W.value(1).toInt());
        else if (W[0] == "click")
            E.Click(E.Button(qPrintable(W.value(1))));
        else
            QFAIL(qPrintable("unknown step " + Step));
    }
}

// Runs a script that must leave Steps steps on the history, the last named UndoText; undoing them all (Ctrl+Z)
// gives back the field as it was opened, unchanged again, and redoing them all (Ctrl+Shift+Z) the field as the
// script left it, changed.
inline void RunUndoAndRedo(TEditor& E, const QString& Script, int Steps, const QString& UndoText)
{
    const QString Before = E.Field();
    Run(E, Script);
    const QString After = E.Field();
    QCOMPARE(E.Form.History().count(), Steps);
    QCOMPARE(E.Action("menUndo")->text(), UndoText);
    QCOMPARE(E.Action("menUndo")->isEnabled(), Steps > 0);
    QVERIFY(!E.Action("menRedo")->isEnabled());
    if (Steps > 0)
        QCOMPARE(E.Form.Level().Changed, 1);
    for (int Step = 0; Step < Steps; ++Step)
        E.Key("Ctrl+Z");
    QCOMPARE(E.Field(), Before);
    if (Steps > 0)
        QCOMPARE(E.Form.Level().Changed, 0);
    QVERIFY(!E.Action("menUndo")->isEnabled());
    QCOMPARE(E.Action("menRedo")->isEnabled(), Steps > 0);
    for (int Step = 0; Step < Steps; ++Step)
        E.Key("Ctrl+Shift+Z");
    QCOMPARE(E.Field(), After);
    if (Steps > 0)
        QCOMPARE(E.Form.Level().Changed, 1);
}

inline QString CellText(const TLevelCell& Cell)
{
    return QStringLiteral("(%1, %2)").arg(Cell.Brick).arg(Cell.PowerUp);
}

// The texts of the messages shown, so that a failure names them.
inline QStringList ShownTexts(const TMessageCapture& Capture)
{
    QStringList Texts;
    for (const TMessageRequest& Request : Capture.Shown)
        Texts << Request.Text;
    return Texts;
}

// What a widget has repainted, and how often, since the spy was made or last cleared.
class TPaintSpy : public QObject {
public:
    explicit TPaintSpy(QWidget* Widget) { Widget->installEventFilter(this); }
    QRegion Painted;
    int Paints = 0;
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint) {
            Painted += static_cast<QPaintEvent*>(Event)->region();
            ++Paints;
        }
        return QObject::eventFilter(Watched, Event);
    }
};
