#include "main.h"

#include "ui_main.h"

#include "application.h"
#include "cellcommands.h"
#include "dialogs.h"
#include "drawgrid.h"
#include "elementkinds.h"
#include "exceptions.h"
#include "filenotes.h"
#include "gamelaunch.h"
#include "levelfolder.h"
#include "levellistview.h"
#include "paintrule.h"
#include "palettebar.h"
#include "safefile.h"
#include "xProcs.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace {

const char* const LevelFolder = "data/levels/";
const char* const GameExecutable = "zolvane.exe";
const char* const TestFileName = "test.lvl";
const char* const ToolImageFolder = "editor/images/";

// The window's outer size and place at start, frame included.
constexpr QSize WindowSize(829, 358);
constexpr QPoint WindowPosition(348, 156);
constexpr int PowerUpButtonWidth = 26;
constexpr int FontPixelHeight = 13;
// Names of new levels tried in one Save before it gives up: each one was taken between the count and the
// write, so more than a few means something keeps creating them.
constexpr int NewLevelNameAttempts = 100;

QString FromLocal(const std::string& Text)
{
    return QString::fromLocal8Bit(Text.data(), static_cast<qsizetype>(Text.size()));
}

// File names are kept as bytes and decoded only to be shown.
QString ForDisplay(const std::string& Name)
{
    return QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
}

QByteArray NameBytes(const std::string& Path)
{
    return QByteArray::fromStdString(std::filesystem::path(Path).filename().string());
}

void ShowError(const std::exception& E)
{
    ShowErrorBox(ApplicationTitle(), ErrorBoxText(E.what()));
}

// The pixels of a rectangle's preview: a dark ring along the inside of its outline (Depth 0) and a light
// one inside that (Depth 1).
QRegion OutlineRing(const QRect& Outline, int Depth)
{
    return QRegion(Outline.adjusted(Depth, Depth, -Depth, -Depth))
        .subtracted(QRegion(Outline.adjusted(Depth + 1, Depth + 1, -Depth - 1, -Depth - 1)));
}

QRegion OutlineRings(const QRect& Outline)
{
    return OutlineRing(Outline, 0) + OutlineRing(Outline, 1);
}

// How long "Saved ..." stays in the status line.
constexpr int SavedMessageMs = 4000;
// A level file is some 420 bytes; the notes are not worth holding a far larger file in memory.
constexpr std::size_t MaxCheckedFileSize = 1024 * 1024;

// "Column 4, Row 2: Brick 1, 3 Hits + Lower Speed": the catalogue's names, the power-up's without the
// catalogue's "PowerUp - " before it.
QString CellStatusText(int ACol, int ARow, const TLevelCell& Cell)
{
    QStringList Parts;
    if (Cell.Brick != 0) {
        const TCatalogueEntry* Kind = BrickKindOf(Cell.Brick);
        Parts << (Kind ? QString::fromLatin1(Kind->Name) : QStringLiteral("Brick code %1").arg(Cell.Brick));
    }
    if (Cell.PowerUp != 0) {
        const TCatalogueEntry* Kind = PowerUpKindOf(Cell.PowerUp);
        QString Text = Kind ? QString::fromLatin1(Kind->Name) : QStringLiteral("PowerUp code %1").arg(Cell.PowerUp);
        if (Text.startsWith(QLatin1String("PowerUp - ")))
            Text.remove(0, 10);
        Parts << Text;
    }
    const QString What = Parts.isEmpty() ? QStringLiteral("empty") : Parts.join(QStringLiteral(" + "));
    return QStringLiteral("Column %1, Row %2: %3").arg(ACol).arg(ARow).arg(What);
}

QString Counted(int Count, const char* One, const char* Many)
{
    return QStringLiteral("%1 %2").arg(Count).arg(QLatin1String(Count == 1 ? One : Many));
}

// "37 bricks, 31 breakable, 6 power-ups": breakable are the ordinary bricks, not the fixed one.
QString CountsText(const TLevelData& Level)
{
    int Bricks = 0, Breakable = 0, PowerUps = 0;
    for (const TLevelColumn& Column : Level.Cells)
        for (const TLevelCell& Cell : Column) {
            Bricks += Cell.Brick != 0;
            Breakable += IsBreakableBrick(Cell.Brick);
            PowerUps += Cell.PowerUp != 0;
        }
    return Counted(Bricks, "brick", "bricks") + QStringLiteral(", ") + Counted(Breakable, "breakable", "breakable") +
           QStringLiteral(", ") + Counted(PowerUps, "power-up", "power-ups");
}

} // namespace

TMainForm::TMainForm(const QString& GameDir, QWidget* Parent) : QMainWindow(Parent), ui(new Ui::TMainForm)
{
    const QString Dir = GameDir.isEmpty() ? QCoreApplication::applicationDirPath() : GameDir;
    FGameDir = QDir::toNativeSeparators(QDir(Dir).absolutePath()).toStdString();
    if (FGameDir.empty() || FGameDir.back() != QDir::separator().toLatin1())
        FGameDir += QDir::separator().toLatin1();

    ui->setupUi(this);
    QFont Font(QStringLiteral("Arial"));
    Font.setPixelSize(FontPixelHeight);
    setFont(Font);
    ui->tbBricks->SetImages(&ilBricks);
    ui->tbPowerUps->SetImages(&ilPowerUps);
    ui->tbPowerUps->SetButtonWidth(PowerUpButtonWidth);
    LoadToolImages();

    connect(ui->btnNewLevel, &QToolButton::clicked, this, Guarded(&TMainForm::btnNewLevelClick));
    connect(ui->btnSaveLevel, &QToolButton::clicked, this, Guarded(&TMainForm::btnSaveLevelClick));
    connect(ui->btnExec, &QToolButton::clicked, this, Guarded(&TMainForm::menTestLevelClick));
    connect(ui->btnDraw, &QToolButton::clicked, this, Guarded(&TMainForm::btnDrawClick));
    connect(ui->btnErase, &QToolButton::clicked, this, Guarded(&TMainForm::btnEraseClick));
    connect(ui->btnCell, &QToolButton::clicked, this, Guarded(&TMainForm::btnCellClick));
    connect(ui->btnRectangle, &QToolButton::clicked, this, Guarded(&TMainForm::btnRectangleClick));
    connect(ui->btnFill, &QToolButton::clicked, this, Guarded(&TMainForm::btnFillClick));
    connect(ui->btnMirror, &QToolButton::clicked, this, Guarded(&TMainForm::btnMirrorClick));
    connect(ui->btnPick, &QToolButton::clicked, this, Guarded(&TMainForm::btnPickClick));
    connect(ui->menNewLevel, &QAction::triggered, this, Guarded(&TMainForm::btnNewLevelClick));
    connect(ui->menSave, &QAction::triggered, this, Guarded(&TMainForm::btnSaveLevelClick));
    connect(ui->menTestLevel, &QAction::triggered, this, Guarded(&TMainForm::menTestLevelClick));
    connect(ui->menExit, &QAction::triggered, this, Guarded(&TMainForm::menExitClick));
    connect(ui->menUndo, &QAction::triggered, this, Guarded(&TMainForm::menUndoClick));
    connect(ui->menRedo, &QAction::triggered, this, Guarded(&TMainForm::menRedoClick));
    connect(&FHistory, &QUndoStack::canUndoChanged, ui->menUndo, &QAction::setEnabled);
    connect(&FHistory, &QUndoStack::canRedoChanged, ui->menRedo, &QAction::setEnabled);
    connect(&FHistory, &QUndoStack::undoTextChanged, ui->menUndo, [this](const QString& Step) {
        ui->menUndo->setText(Step.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + Step);
    });
    connect(&FHistory, &QUndoStack::redoTextChanged, ui->menRedo, [this](const QString& Step) {
        ui->menRedo->setText(Step.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + Step);
    });

    ui->dgrdField->SetOnSelectCell(Guarded(&TMainForm::dgrdFieldSelectCell));
    ui->dgrdField->SetOnDrawCell(Guarded(&TMainForm::dgrdFieldDrawCell));
    ui->dgrdField->SetOnDrawOver(Guarded(&TMainForm::dgrdFieldDrawOver));
    connect(ui->dgrdField, &TDrawGrid::StrokeBegan, this, Guarded(&TMainForm::dgrdFieldStrokeBegan));
    connect(ui->dgrdField, &TDrawGrid::StrokeEnded, this, Guarded(&TMainForm::dgrdFieldStrokeEnded));
    connect(ui->dgrdField, &TDrawGrid::StrokeCancelled, this, Guarded(&TMainForm::dgrdFieldStrokeCancelled));
    connect(ui->dgrdField, &TDrawGrid::CurrentCellChanged, this, Guarded(&TMainForm::dgrdFieldCurrentCellChanged));
    connect(ui->dgrdField, &TDrawGrid::HoverCellChanged, this, Guarded(&TMainForm::dgrdFieldHoverCellChanged));
    ui->lvLevels->SetOnChanging(Guarded(&TMainForm::lvLevelsChanging));
    ui->lvLevels->SetOnSelectItem(Guarded(&TMainForm::lvLevelsSelectItem));
    setTabOrder(ui->dgrdField, ui->lvLevels);

    labCell = new QLabel(ui->sbStatus);
    labCell->setObjectName(QStringLiteral("labCell"));
    labCounts = new QLabel(ui->sbStatus);
    labCounts->setObjectName(QStringLiteral("labCounts"));
    ui->sbStatus->addWidget(labCell, 1);
    ui->sbStatus->addPermanentWidget(labCounts);

    FormCreate();
    CreateShortcuts();
    ShowCellStatus();
    ShowCounts();
    ui->dgrdField->setFocus();
}

// Every command's key works wherever the focus is in the window. None of them is a key the grid or the
// level list moves with, and a widget that takes text would get its keys first through Qt's shortcut
// override.
void TMainForm::CreateShortcuts()
{
    ui->menNewLevel->setShortcut(QKeySequence::New);
    ui->menSave->setShortcut(QKeySequence::Save);
    ui->menTestLevel->setShortcut(Qt::Key_F5);
    ui->menExit->setShortcut(Qt::CTRL | Qt::Key_Q);
    ui->menUndo->setShortcut(QKeySequence::Undo);
    ui->menRedo->setShortcuts({Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y});
    addActions({ui->menNewLevel, ui->menSave, ui->menTestLevel, ui->menExit, ui->menUndo, ui->menRedo});

    QAction* Draw = AddKeyAction("actDraw", QStringLiteral("Draw"), Qt::Key_D, [this] { ui->btnDraw->click(); });
    QAction* Erase = AddKeyAction("actErase", QStringLiteral("Erase"), Qt::Key_E, [this] { ui->btnErase->click(); });
    QAction* Cell = AddKeyAction("actCell", QStringLiteral("Cell"), Qt::Key_P, [this] { ui->btnCell->click(); });
    QAction* Rectangle =
        AddKeyAction("actRectangle", QStringLiteral("Rectangle"), Qt::Key_R, [this] { ui->btnRectangle->click(); });
    QAction* Fill = AddKeyAction("actFill", QStringLiteral("Fill"), Qt::Key_F, [this] { ui->btnFill->click(); });
    QAction* Mirror =
        AddKeyAction("actMirror", QStringLiteral("Mirror"), Qt::Key_M, [this] { ui->btnMirror->click(); });
    QAction* Pick = AddKeyAction("actPick", QStringLiteral("Pick"), Qt::Key_I, [this] { ui->btnPick->click(); });
    for (std::uint8_t Code = 1; Code <= 10; ++Code) {
        const int Digit = Code % 10;
        AddKeyAction(qPrintable(QStringLiteral("actBrick%1").arg(Code)), QString(), Qt::Key(Qt::Key_0 + Digit),
                     [this, Code] { ClickPaletteButton<TBrickItem>(ui->tbBricks, Code); });
    }
    for (std::uint8_t Code = 1; Code <= 6; ++Code)
        AddKeyAction(qPrintable(QStringLiteral("actPowerUp%1").arg(Code)), QString(),
                     QKeyCombination(Qt::ControlModifier, Qt::Key(Qt::Key_0 + Code)),
                     [this, Code] { ClickPaletteButton<TPowerUpItem>(ui->tbPowerUps, Code); });

    const auto Hint = [](QToolButton* Button, const QAction* Action) {
        Button->setToolTip(Action->text() + QStringLiteral(" (") +
                           Action->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    };
    Hint(ui->btnNewLevel, ui->menNewLevel);
    Hint(ui->btnSaveLevel, ui->menSave);
    Hint(ui->btnExec, ui->menTestLevel);
    Hint(ui->btnDraw, Draw);
    Hint(ui->btnErase, Erase);
    Hint(ui->btnCell, Cell);
    Hint(ui->btnRectangle, Rectangle);
    Hint(ui->btnFill, Fill);
    Hint(ui->btnMirror, Mirror);
    Hint(ui->btnPick, Pick);
}

QAction* TMainForm::AddKeyAction(const char* Name, const QString& Text, const QKeySequence& Key,
                                 std::function<void()> Handler)
{
    auto* Action = new QAction(Text, this);
    Action->setObjectName(QLatin1String(Name));
    Action->setShortcut(Key);
    Action->setShortcutContext(Qt::WindowShortcut);
    connect(Action, &QAction::triggered, this, [Handler = std::move(Handler)] { RunHandler(Handler); });
    addAction(Action);
    return Action;
}

// A key for a palette button is a click on it, toggle first and all, so that a second press un-chooses.
template <class TItem> void TMainForm::ClickPaletteButton(TPaletteToolBar* ToolBar, std::uint8_t Code)
{
    for (TPaletteButton* Button : ToolBar->Buttons())
        if (std::any_cast<const TItem*>(Button->Tag)->Id == Code) {
            Button->click();
            return;
        }
}

TMainForm::~TMainForm()
{
    FormDestroy();
    // The grid reports its hiding while the base class takes the window down, when ui is gone already.
    disconnect(ui->dgrdField, nullptr, this, nullptr);
}

void TMainForm::LoadToolImages()
{
    // The tool pictures are decoration: a missing one leaves its button with a caption instead. They keep
    // their transparent background, so they do not go through an opaque image list.
    struct TToolPicture {
        const char* File;
        QToolButton* Button;
        QAction* Action; // the menu item that shows the same picture, if any
    };
    const TToolPicture Pictures[] = {
        {"tool_erase.bmp", ui->btnErase, nullptr},
        {"tool_draw.bmp", ui->btnDraw, nullptr},
        {"tool_new.bmp", ui->btnNewLevel, ui->menNewLevel},
        {"tool_save.bmp", ui->btnSaveLevel, ui->menSave},
        {"tool_run.bmp", ui->btnExec, ui->menTestLevel},
        {"tool_cell.bmp", ui->btnCell, nullptr},
        {"tool_rectangle.bmp", ui->btnRectangle, nullptr},
        {"tool_fill.bmp", ui->btnFill, nullptr},
        {"tool_mirror.bmp", ui->btnMirror, nullptr},
        {"tool_pick.bmp", ui->btnPick, nullptr},
    };
    for (const TToolPicture& Tool : Pictures) {
        const QImage Picture(QLatin1String(ToolImageFolder) + QLatin1String(Tool.File));
        if (Picture.isNull()) {
            Tool.Button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            continue;
        }
        const QIcon Icon(QPixmap::fromImage(Picture));
        Tool.Button->setIcon(Icon);
        if (Tool.Action)
            Tool.Action->setIcon(Icon);
    }
}

void TMainForm::FormCreate()
{
    FBricks = std::make_unique<TBrickList>();
    FPowerUps = std::make_unique<TPowerUpList>();

    // A broken picture is reported and costs only its own button: the rest of the editor is built as usual,
    // so levels can still be opened, edited, saved and guarded.
    const auto OnBrickClick = Guarded(&TMainForm::BrickButtonClick);
    const auto OnPowerUpClick = Guarded(&TMainForm::PowerUpButtonClick);
    for (const TCatalogueEntry& Kind : BrickKinds())
        RunHandler([&] { FBricks->AddItem(Kind.Id, Kind.ImageFile, Kind.Name); });
    FBricks->BuildPalette(ilBricks, ui->tbBricks, OnBrickClick, ShowError);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        RunHandler([&] { FPowerUps->AddItem(Kind.Id, Kind.ImageFile, Kind.Name); });
    FPowerUps->BuildPalette(ilPowerUps, ui->tbPowerUps, OnPowerUpClick, ShowError);
    ListLevels();
    ClearLevel(FLevel);
}

void TMainForm::FormDestroy()
{
    FLevel.Loaded = 0;
    FPowerUps.reset();
    FBricks.reset();
}

void TMainForm::ListLevels()
{
    for (const std::string& Name : ListLevelFolder(LevelFolder))
        ui->lvLevels->AddName(QByteArray::fromStdString(Name));
}

void TMainForm::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (FPlaced)
        return;
    // The outer size includes the window manager's frame, which is known only once the window is shown.
    FPlaced = true;
    const QSize Frame = frameGeometry().size() - geometry().size();
    resize(WindowSize - Frame);
    move(WindowPosition);
}

// Palettes and tools

void TMainForm::ReleaseToolBarButtons(TPaletteToolBar* ToolBar)
{
    for (TPaletteButton* Button : ToolBar->Buttons())
        Button->setChecked(false);
}

void TMainForm::BrickButtonClick(QObject* Sender)
{
    PaletteClick<TBrickItem>(ui->tbBricks, FSelectedBrick, Sender);
}

void TMainForm::PowerUpButtonClick(QObject* Sender)
{
    PaletteClick<TPowerUpItem>(ui->tbPowerUps, FSelectedPowerUp, Sender);
}

// The toolbar has already toggled the clicked button; the choice decides its final state, so that at most
// one button of a palette is down and a second click un-chooses.
template <class TItem> void TMainForm::PaletteClick(TPaletteToolBar* ToolBar, std::uint8_t& Selected, QObject* Sender)
{
    ReleaseToolBarButtons(ToolBar);
    auto* Button = qobject_cast<TPaletteButton*>(Sender);
    if (!Button)
        return;
    const std::uint8_t Code = std::any_cast<const TItem*>(Button->Tag)->Id;
    if (Code == Selected) {
        Selected = 0;
    } else {
        Selected = Code;
        Button->setChecked(true);
    }
}

void TMainForm::btnDrawClick()
{
    ui->btnErase->setChecked(false);
    ui->btnDraw->setChecked(true);
}

void TMainForm::btnEraseClick()
{
    ui->btnDraw->setChecked(false);
    ui->btnErase->setChecked(true);
}

// The shape decides which cells a left press paints; like the tools, exactly one is down.
void TMainForm::PressShapeButton(QToolButton* Button)
{
    for (QToolButton* Shape : {ui->btnCell, ui->btnRectangle, ui->btnFill})
        Shape->setChecked(Shape == Button);
}

void TMainForm::btnCellClick()
{
    PressShapeButton(ui->btnCell);
}

void TMainForm::btnRectangleClick()
{
    PressShapeButton(ui->btnRectangle);
}

void TMainForm::btnFillClick()
{
    PressShapeButton(ui->btnFill);
}

void TMainForm::btnMirrorClick()
{
    ui->dgrdField->update(MirrorLine());
}

TMainForm::TShape TMainForm::CurrentShape() const
{
    return ui->btnRectangle->isChecked() ? TShape::Rectangle : ui->btnFill->isChecked() ? TShape::Fill : TShape::Cell;
}

TPaintTool TMainForm::CurrentTool() const
{
    return ui->btnErase->isChecked() ? TPaintTool::Erase
           : ui->btnDraw->isChecked() ? TPaintTool::Draw
                                      : TPaintTool::None;
}

// The cell's brick and power-up become the palettes' choices, as clicks on their buttons would leave them,
// and the draw tool paints them.
void TMainForm::btnPickClick()
{
    const TCellPos At = PointedCell();
    const TLevelCell Cell = FLevel.Cells.at(static_cast<size_t>(At.Column)).at(static_cast<size_t>(At.Row));
    ChooseInPalette<TBrickItem>(ui->tbBricks, FSelectedBrick, Cell.Brick);
    ChooseInPalette<TPowerUpItem>(ui->tbPowerUps, FSelectedPowerUp, Cell.PowerUp);
    btnDrawClick();
}

// A code without a button in the palette (its picture failed to load) cannot be chosen by a click either.
template <class TItem>
void TMainForm::ChooseInPalette(TPaletteToolBar* ToolBar, std::uint8_t& Selected, std::uint8_t Code)
{
    ReleaseToolBarButtons(ToolBar);
    Selected = 0;
    if (Code == 0)
        return;
    for (TPaletteButton* Button : ToolBar->Buttons())
        if (std::any_cast<const TItem*>(Button->Tag)->Id == Code) {
            Selected = Code;
            Button->setChecked(true);
            return;
        }
}

// The field

// Keys and the wheel paint the one cell they move to; a left press paints its stroke's shape.
void TMainForm::dgrdFieldSelectCell(TDrawGrid*, int ACol, int ARow, bool& CanSelect)
{
    CanSelect = true;
    const TCellPos At{ACol, ARow};
    if (!ui->dgrdField->StrokeByPointer()) {
        PaintShape({At}, TShape::Cell, false);
        return;
    }
    const bool First = !std::exchange(FStrokePressed, true);
    if (First)
        FStrokeShape = CurrentShape();
    switch (FStrokeShape) {
    case TShape::Cell:
        PaintShape({At}, TShape::Cell, ui->btnMirror->isChecked());
        break;
    case TShape::Rectangle:
        if (First) {
            FCorner = At;
            FOtherCorner = At;
            FDraggingRectangle = true;
        }
        MoveRectangleCorner(At);
        break;
    case TShape::Fill:
        if (First)
            PaintShape(FloodCells(FLevel.Cells, At), TShape::Fill, ui->btnMirror->isChecked());
        break;
    }
}

void TMainForm::PaintShape(TCellPositions Cells, TShape Shape, bool Mirrored)
{
    if (Mirrored)
        Cells = WithMirror(Cells);
    const TPaintTool Tool = CurrentTool();
    const TShapePaint Paint = PaintCells(FLevel.Cells, Cells, [&](const TLevelCell& Cell) {
        return ApplyPaintRule(Tool, FSelectedBrick, FSelectedPowerUp, Cell);
    });
    if (FStep.Empty()) {
        FStepErases = Tool == TPaintTool::Erase;
        FStepShape = Shape;
    }
    QList<QPoint> Repaint;
    for (const TPaintedCell& Change : Paint.Changes) {
        FStep.Record(Change.Column, Change.Row, Change.Before, Change.After);
        Repaint.append(QPoint(Change.Column, Change.Row));
    }
    if (Paint.Touched)
        FLevel.Changed = 1;
    if (!FStepOpen)
        CommitStep();
    if (!Paint.Changes.empty()) {
        ui->dgrdField->InvalidateCells(Repaint);
        ShowCellStatus();
        ShowCounts();
    }
}

void TMainForm::dgrdFieldStrokeBegan()
{
    CommitStep();
    FStepOpen = true;
    FStrokePressed = false;
}

void TMainForm::dgrdFieldCurrentCellChanged(int, int)
{
    ShowCellStatus();
}

void TMainForm::dgrdFieldHoverCellChanged(int ACol, int ARow)
{
    FHoverCol = ACol;
    FHoverRow = ARow;
    ShowCellStatus();
}

// A rectangle is painted when its drag ends with the release.
void TMainForm::dgrdFieldStrokeEnded()
{
    if (std::exchange(FDraggingRectangle, false)) {
        ui->dgrdField->update(OutlineRings(RectangleOutline()));
        PaintShape(RectangleCells(FCorner, FOtherCorner), TShape::Rectangle, ui->btnMirror->isChecked());
    }
    FStepOpen = false;
    CommitStep();
}

void TMainForm::dgrdFieldStrokeCancelled()
{
    if (std::exchange(FDraggingRectangle, false))
        ui->dgrdField->update(OutlineRings(RectangleOutline()));
}

// Only the pixels whose colour the move changes are repainted: those in one ring of the old outline or the
// new one but not in both. The cells inside and the edges along the pressed corner stay as they are.
void TMainForm::MoveRectangleCorner(TCellPos Corner)
{
    const QRect Before = RectangleOutline();
    FOtherCorner = Corner;
    const QRect After = RectangleOutline();
    ui->dgrdField->update(OutlineRing(Before, 0).xored(OutlineRing(After, 0)) +
                          OutlineRing(Before, 1).xored(OutlineRing(After, 1)));
}

QRect TMainForm::RectangleOutline() const
{
    const TCellPos TopLeft{std::min(FCorner.Column, FOtherCorner.Column), std::min(FCorner.Row, FOtherCorner.Row)};
    const TCellPos BottomRight{std::max(FCorner.Column, FOtherCorner.Column), std::max(FCorner.Row, FOtherCorner.Row)};
    return ui->dgrdField->CellRect(TopLeft.Column, TopLeft.Row)
        .united(ui->dgrdField->CellRect(BottomRight.Column, BottomRight.Row));
}

// On the grid line between columns 9 and 10, where the mirror folds the field.
QRect TMainForm::MirrorLine() const
{
    const QRect Left = ui->dgrdField->CellRect(LevelColumns / 2 - 1, 0);
    return QRect(Left.right() + 1, Left.top(), 1, ui->dgrdField->CellRect(0, LevelRows - 1).bottom() - Left.top() + 1);
}

void TMainForm::dgrdFieldDrawOver(TDrawGrid*, QPainter& Canvas)
{
    if (ui->btnMirror->isChecked())
        Canvas.fillRect(MirrorLine(), QColor(0, 110, 230));
    if (!FDraggingRectangle)
        return;
    // Two rings, dark outside and light inside, show on any picture.
    const QRect Outline = RectangleOutline();
    Canvas.setPen(QPen(QColor(20, 20, 20), 0));
    Canvas.setBrush(Qt::NoBrush);
    Canvas.drawRect(Outline.adjusted(0, 0, -1, -1));
    Canvas.setPen(QPen(Qt::white, 0));
    Canvas.drawRect(Outline.adjusted(1, 1, -2, -2));
}

// The step so far goes into the history, unless it changed no cell's value.
void TMainForm::CommitStep()
{
    FStep.Compact();
    if (!FStep.Empty()) {
        ClearFileNotes();
        const QString Name = FStepShape == TShape::Rectangle ? QStringLiteral("Rectangle")
            : FStepShape == TShape::Fill                     ? QStringLiteral("Fill")
            : FStepErases                                    ? QStringLiteral("Erase")
                                                             : QStringLiteral("Paint");
        FHistory.push(new TCellEditCommand(Name, FLevel, ui->dgrdField, std::move(FStep)));
    }
    FStep.Clear();
}

void TMainForm::ClearHistory()
{
    FStep.Clear();
    FHistory.clear();
}

// Undo and Redo during a drag first close what the drag has done so far, which the drag then goes on from.
void TMainForm::menUndoClick()
{
    CommitStep();
    FHistory.undo();
    ShowCellStatus();
    ShowCounts();
}

void TMainForm::menRedoClick()
{
    CommitStep();
    FHistory.redo();
    ShowCellStatus();
    ShowCounts();
}

void TMainForm::dgrdFieldDrawCell(TDrawGrid*, int ACol, int ARow, const QRect& Rect, TDrawGrid::TGridDrawState,
                                  QPainter& Canvas)
{
    if (FLevel.Loaded == 0)
        return;
    const TLevelCell& Cell = FLevel.Cells.at(static_cast<size_t>(ACol)).at(static_cast<size_t>(ARow));
    // Nearest-neighbour scaling: the grid is a pixel-art view, a doubled brick keeps its hard edges.
    Canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (Cell.Brick != 0)
        if (const TBrickItem* Item = FBricks ? FBricks->FindItem(Cell.Brick) : nullptr)
            Canvas.drawImage(Rect, Item->Bitmap);
    if (Cell.PowerUp != 0)
        if (const TPowerUpItem* Item = FPowerUps ? FPowerUps->FindItem(Cell.PowerUp) : nullptr)
            Canvas.drawImage(Rect.topLeft() + QPoint(7, 7), Item->Bitmap);
}

// The status line: the cell under the pointer, or the current cell while the pointer is elsewhere, and
// the level's counts.
void TMainForm::ShowCellStatus()
{
    const TCellPos At = PointedCell();
    if (At.Column >= LevelColumns || At.Row >= LevelRows)
        return;
    labCell->setText(CellStatusText(At.Column, At.Row, FLevel.Cells[At.Column][At.Row]));
}

// The cell under the pointer, or the current cell while the pointer is elsewhere.
TCellPos TMainForm::PointedCell() const
{
    if (FHoverCol >= 0 && FHoverRow >= 0)
        return {FHoverCol, FHoverRow};
    return {ui->dgrdField->Col(), ui->dgrdField->Row()};
}

void TMainForm::ShowCounts()
{
    labCounts->setText(CountsText(FLevel));
}

// Level commands

void TMainForm::ShowLevelName()
{
    ui->labLevel->setText(QStringLiteral("Level: ") + ForDisplay(FLevel.FileName));
}

void TMainForm::LoadLevelByName(const std::string& Name)
{
    const std::string Path = LevelFolder + Name;
    // Taken before reading: a change made while the file is read then shows at the next Save.
    const TFileIdentity Identity = FileIdentityOf(Path);
    TLevelData Loaded;
    LoadLevel(Path, Loaded);
    FLevel = Loaded;
    ClearHistory();
    FFileIdentity = Identity;
    if (FLevel.Loaded == 1)
        ui->dgrdField->Invalidate();
    ShowCellStatus();
    ShowCounts();
    ShowFileNotes(Name, Path);
}

// What the file did not say stays in the status line until the next edit. The notes only inform: a file
// that cannot be read a second time, or one far larger than any level, was opened all the same and shows
// none.
void TMainForm::ShowFileNotes(const std::string& Name, const std::string& Path)
{
    // Whatever the line said was about the level before.
    ui->sbStatus->clearMessage();
    FShowingFileNotes = false;
    std::string Bytes;
    try {
        TFileReader Reader(Path);
        std::vector<char> Chunk(ReadChunkSize);
        while (const std::size_t Count = Reader.Read(Chunk.data(), Chunk.size())) {
            Bytes.append(Chunk.data(), Count);
            if (Bytes.size() > MaxCheckedFileSize)
                return;
        }
        Reader.Close();
    } catch (const EInOutError&) {
        return;
    }
    const std::string Summary = SummariseFileNotes(Name, LevelFileNotes(Bytes));
    if (Summary.empty())
        return;
    ui->sbStatus->showMessage(ForDisplay(Summary));
    FShowingFileNotes = true;
}

void TMainForm::ClearFileNotes()
{
    if (FShowingFileNotes)
        ui->sbStatus->clearMessage();
    FShowingFileNotes = false;
}

bool TMainForm::QuerySaveChanges()
{
    if (FLevel.Loaded == 0 || FLevel.Changed == 0)
        return true;
    switch (AskYesNoCancel(QStringLiteral("Level changed, save changes to disk?"))) {
    case TModalResult::Yes:
        SaveCurrentLevel();
        return true;
    case TModalResult::No:
        return true;
    default:
        throw EAbort();
    }
}

void TMainForm::lvLevelsChanging(TLevelListView*, QListWidgetItem*, bool& AllowChange)
{
    // An abandoned prompt keeps the list where it was.
    AllowChange = false;
    AllowChange = QuerySaveChanges();
}

void TMainForm::lvLevelsSelectItem(TLevelListView*, QListWidgetItem* Item, bool Selected)
{
    if (!Selected || !Item)
        return;
    try {
        LoadLevelByName(TLevelListView::NameOf(Item).toStdString());
        ShowLevelName();
    } catch (...) {
        // The list must not show one level while the editor holds another.
        SelectEditedLevelInList();
        throw;
    }
}

void TMainForm::SelectEditedLevelInList()
{
    QListWidgetItem* Entry = nullptr;
    if (!FLevel.FileName.empty())
        Entry = ui->lvLevels->FindName(NameBytes(FLevel.FileName));
    ui->lvLevels->SelectQuietly(Entry);
}

void TMainForm::btnNewLevelClick()
{
    QuerySaveChanges();
    ClearLevel(FLevel);
    ClearHistory();
    ui->sbStatus->clearMessage();
    FShowingFileNotes = false;
    FFileIdentity = TFileIdentity{};
    ui->labLevel->setText(QStringLiteral("Level: New one"));
    ui->dgrdField->Invalidate();
    ShowCellStatus();
    ShowCounts();
}

void TMainForm::SaveCurrentLevel()
{
    if (!FLevel.FileName.empty()) {
        ConfirmOverwrite();
        SaveLevel(FLevel.FileName, FLevel);
    } else {
        SaveUnderNewName();
    }
    RememberFileIdentity();
    // The level is on disk now: the prompt must not ask about it again.
    FLevel.Changed = 0;
    ShowLevelName();
    FShowingFileNotes = false;
    ui->sbStatus->showMessage(QStringLiteral("Saved ") + ForDisplay(NameBytes(FLevel.FileName).toStdString()),
                              SavedMessageMs);
}

// Another editor, or the user, may have written the level since this editor read it: that work is not
// replaced without a word. A file that has vanished loses nothing by being written again.
void TMainForm::ConfirmOverwrite()
{
    const TFileIdentity OnDisk = FileIdentityOf(FLevel.FileName);
    if (!OnDisk.Exists || OnDisk == FFileIdentity)
        return;
    if (AskYesNo(QStringLiteral("The level file has changed on disk since it was opened. Overwrite it?")) !=
        TModalResult::Yes)
        throw EAbort();
}

// The number is counted at the moment of saving, over the list and over the folder new levels go to:
// the list may have been read from another folder, and others may have added levels since start-up.
// The file is created only where no file of that name exists, so a name taken in between costs only a
// retry with the next number.
void TMainForm::SaveUnderNewName()
{
    std::vector<std::string> Taken;
    for (const QByteArray& Name : ui->lvLevels->Names())
        Taken.push_back(Name.toStdString());
    for (std::string& Name : ListLevelFolder(FGameDir + LevelFolder))
        Taken.push_back(std::move(Name));
    for (int Attempt = 0; Attempt < NewLevelNameAttempts; ++Attempt) {
        const std::string Path = NextLevelFileName(Taken, FGameDir);
        if (SaveNewLevel(Path, FLevel)) {
            ui->lvLevels->AddName(NameBytes(Path));
            return;
        }
        Taken.push_back(NameBytes(Path).toStdString());
    }
    throw EInOutError(EEXIST);
}

void TMainForm::RememberFileIdentity()
{
    // The level is saved whatever happens here; a file whose state cannot be read is simply taken as
    // changed by someone else at the next Save, which then asks.
    try {
        FFileIdentity = FileIdentityOf(FLevel.FileName);
    } catch (const EInOutError&) {
        FFileIdentity = TFileIdentity{};
    }
}

void TMainForm::btnSaveLevelClick()
{
    SaveCurrentLevel();
}

void TMainForm::FormCloseQuery(bool& CanClose)
{
    // An abandoned prompt keeps the window open.
    CanClose = false;
    CanClose = QuerySaveChanges();
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
    bool CanClose = false;
    Guarded(&TMainForm::FormCloseQuery)(CanClose);
    if (CanClose)
        Event->accept();
    else
        Event->ignore();
}

void TMainForm::menExitClick()
{
    close();
}

// Test run

void TMainForm::menTestLevelClick()
{
    const std::string Executable = FGameDir + GameExecutable;
    const std::string TestFile = FGameDir + LevelFolder + TestFileName;
    // A copy is written so that the level keeps its own file name: a later Save must not land in the
    // scratch file.
    TLevelData TestCopy = FLevel;
    if (!SaveLevel(TestFile, TestCopy))
        return;
    void* Owner = nullptr;
#ifdef _WIN32
    Owner = reinterpret_cast<void*>(winId());
#endif
    const int Error = StartProgram(Executable, std::string("--level=") + TestFileName, FGameDir, Owner);
    if (Error != 0)
        ShowPlainBox(ApplicationTitle(),
                     FromLocal(SystemErrorText(Error)) + QStringLiteral("\r\n\"") + ForDisplay(Executable) +
                         QLatin1Char('"'));
}
