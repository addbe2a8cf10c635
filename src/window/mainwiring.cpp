#include "main.h"

#include "ui_main.h"

#include "levellistview.h"
#include "palettechoice.h"
#include "windowactions.h"

#include <QAction>
#include <QUndoStack>

namespace {

const char* const ToolImageFolder = "editor/images/";

} // namespace

// The window's wiring: the controls' events, the document's signals, every command with its keys, and
// the tools' pictures.

void TMainForm::ConnectControls()
{
    connect(ui->btnNewLevel, &QToolButton::clicked, this, Guarded(&TMainForm::btnNewLevelClick));
    connect(ui->btnSaveLevel, &QToolButton::clicked, this, Guarded(&TMainForm::btnSaveLevelClick));
    connect(ui->btnExec, &QToolButton::clicked, this, Guarded(&TMainForm::menTestLevelClick));
    connect(ui->btnDraw, &QToolButton::clicked, this, Guarded(&TMainForm::btnDrawClick));
    connect(ui->btnErase, &QToolButton::clicked, this, Guarded(&TMainForm::btnEraseClick));
    connect(ui->btnCell, &QToolButton::clicked, this, Guarded(&TMainForm::btnCellClick));
    connect(ui->btnRectangle, &QToolButton::clicked, this, Guarded(&TMainForm::btnRectangleClick));
    connect(ui->btnFill, &QToolButton::clicked, this, Guarded(&TMainForm::btnFillClick));
    connect(ui->btnSelect, &QToolButton::clicked, this, Guarded(&TMainForm::btnSelectClick));
    connect(ui->btnMirror, &QToolButton::clicked, this, Guarded(&TMainForm::btnMirrorClick));
    connect(ui->btnPick, &QToolButton::clicked, this, Guarded(&TMainForm::btnPickClick));

    ui->dgrdField->SetOnSelectCell(Guarded(&TMainForm::dgrdFieldSelectCell));
    ui->dgrdField->SetOnDrawCell(Guarded(&TMainForm::dgrdFieldDrawCell));
    ui->dgrdField->SetOnDrawOver(Guarded(&TMainForm::dgrdFieldDrawOver));
    connect(ui->dgrdField, &TDrawGrid::StrokeBegan, this, Guarded(&TMainForm::dgrdFieldStrokeBegan));
    connect(ui->dgrdField, &TDrawGrid::StrokeEnded, this, Guarded(&TMainForm::dgrdFieldStrokeEnded));
    connect(ui->dgrdField, &TDrawGrid::StrokeCancelled, this, Guarded(&TMainForm::dgrdFieldStrokeCancelled));
    connect(FPointedCell, &TPointedCell::Changed, this, Guarded(&TMainForm::ShowCellStatus));
    ui->lvLevels->SetOnChanging(Guarded(&TMainForm::lvLevelsChanging));
    ui->lvLevels->SetOnSelectItem(Guarded(&TMainForm::lvLevelsSelectItem));
    setTabOrder(ui->dgrdField, ui->lvLevels);
}

void TMainForm::ConnectDocument()
{
    QUndoStack& History = FDocument.History();
    connect(&FDocument, &TLevelDocument::UndoRedoChanged, this, [this] {
        ui->menUndo->setEnabled(FDocument.CanUndo());
        ui->menRedo->setEnabled(FDocument.CanRedo());
    });
    connect(&History, &QUndoStack::undoTextChanged, ui->menUndo, [this](const QString& Step) {
        ui->menUndo->setText(Step.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + Step);
    });
    connect(&History, &QUndoStack::redoTextChanged, ui->menRedo, [this](const QString& Step) {
        ui->menRedo->setText(Step.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + Step);
    });
    connect(&FDocument, &TLevelDocument::CellsChanged, this, &TMainForm::CellsChanged);
    connect(&FDocument, &TLevelDocument::StepRecorded, FStatusLine, &TStatusLine::ClearFileNotes);
    connect(&FDocument, &TLevelDocument::ChangedFlagChanged, FStatusLine, &TStatusLine::ShowModified);
    // The label and the list's selection always name the level in the editor.
    connect(&FDocument, &TLevelDocument::FileNameChanged, this, [this](const std::string& FileName) {
        ShowLevelName();
        FLevelList->ShowEdited(FileName);
    });
    connect(FLevelList.get(), &TLevelList::FilesChanged, this, [this] { FLevelSet->ReadAgainIfChanged(); });
    connect(&FDocument, &TLevelDocument::LevelReplaced, this, [this] {
        ui->dgrdField->Invalidate();
        ShowCellStatus();
        ShowCounts();
    });
}

// Every command's key works wherever the focus is in the window.
void TMainForm::CreateShortcuts()
{
    const auto Click = [](QToolButton* Button) { return [Button] { Button->click(); }; };
    const auto Call = [this](void (TMainForm::*Handler)()) { return [this, Handler] { (this->*Handler)(); }; };
    std::vector<TActionSpec> Table = {
        {ui->menNewLevel, nullptr, {}, {QKeySequence::New}, Call(&TMainForm::btnNewLevelClick), ui->btnNewLevel},
        {ui->menSave, nullptr, {}, {QKeySequence::Save}, Call(&TMainForm::btnSaveLevelClick), ui->btnSaveLevel},
        {ui->menTestLevel, nullptr, {}, {Qt::Key_F5}, Call(&TMainForm::menTestLevelClick), ui->btnExec},
        {ui->menExit, nullptr, {}, {Qt::CTRL | Qt::Key_Q}, Call(&TMainForm::menExitClick)},
        {ui->menUndo, nullptr, {}, {QKeySequence::Undo}, Call(&TMainForm::menUndoClick)},
        {ui->menRedo,
         nullptr,
         {},
         {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y},
         Call(&TMainForm::menRedoClick)},
        {ui->menMoveLevelUp, nullptr, {}, {Qt::CTRL | Qt::SHIFT | Qt::Key_Up}, [this] { FLevelSet->MoveUp(); }},
        {ui->menMoveLevelDown, nullptr, {}, {Qt::CTRL | Qt::SHIFT | Qt::Key_Down}, [this] { FLevelSet->MoveDown(); }},
        {ui->menDuplicateLevel, nullptr, {}, {Qt::CTRL | Qt::Key_D}, [this] { FLevelSet->Duplicate(); }},
        {ui->menRenameLevel, nullptr, {}, {Qt::Key_F2}, [this] { FLevelSet->Rename(); }},
        {ui->menDeleteLevel, nullptr, {}, {Qt::CTRL | Qt::Key_Delete}, [this] { FLevelSet->Delete(); }},
        {ui->menLevelText, nullptr, {}, {Qt::CTRL | Qt::Key_T}, [this] { FLevelSet->EditLevelText(); }},
        {nullptr, "actDraw", QStringLiteral("Draw"), {Qt::Key_D}, Click(ui->btnDraw), ui->btnDraw},
        {nullptr, "actErase", QStringLiteral("Erase"), {Qt::Key_E}, Click(ui->btnErase), ui->btnErase},
        {nullptr, "actCell", QStringLiteral("Cell"), {Qt::Key_P}, Click(ui->btnCell), ui->btnCell},
        {nullptr, "actRectangle", QStringLiteral("Rectangle"), {Qt::Key_R}, Click(ui->btnRectangle), ui->btnRectangle},
        {nullptr, "actFill", QStringLiteral("Fill"), {Qt::Key_F}, Click(ui->btnFill), ui->btnFill},
        {nullptr, "actSelect", QStringLiteral("Select"), {Qt::Key_S}, Click(ui->btnSelect), ui->btnSelect},
        {nullptr, "actMirror", QStringLiteral("Mirror"), {Qt::Key_M}, Click(ui->btnMirror), ui->btnMirror},
        {nullptr, "actPick", QStringLiteral("Pick"), {Qt::Key_I}, Click(ui->btnPick), ui->btnPick},
    };
    static const char* const BrickNames[] = {"actBrick1", "actBrick2", "actBrick3", "actBrick4", "actBrick5",
                                             "actBrick6", "actBrick7", "actBrick8", "actBrick9", "actBrick10"};
    static const char* const PowerUpNames[] = {"actPowerUp1", "actPowerUp2", "actPowerUp3",
                                               "actPowerUp4", "actPowerUp5", "actPowerUp6"};
    // Named as the status line names the kinds, so that a palette button's tool tip gives its key too.
    for (std::uint8_t Code = 1; Code <= 10; ++Code)
        Table.push_back({nullptr,
                         BrickNames[Code - 1],
                         BrickName(Code),
                         {Qt::Key(Qt::Key_0 + Code % 10)},
                         [this, Code] { PaletteChoice::ClickButtonOf<TBrickItem>(ui->tbBricks, Code); },
                         PaletteChoice::ButtonOf<TBrickItem>(ui->tbBricks, Code)});
    for (std::uint8_t Code = 1; Code <= 6; ++Code)
        Table.push_back({nullptr,
                         PowerUpNames[Code - 1],
                         PowerUpName(Code),
                         {QKeyCombination(Qt::ControlModifier, Qt::Key(Qt::Key_0 + Code))},
                         [this, Code] { PaletteChoice::ClickButtonOf<TPowerUpItem>(ui->tbPowerUps, Code); },
                         PaletteChoice::ButtonOf<TPowerUpItem>(ui->tbPowerUps, Code)});
    Table.push_back({nullptr,
                     "menCheckLevel",
                     QStringLiteral("Check Level"),
                     {Qt::CTRL | Qt::Key_L},
                     Call(&TMainForm::menCheckLevelClick)});
    ui->menLevel->addAction(AddWindowActions(this, Table).last());
    FBlocks->Install(this, ui->menEdit);
    FLevelSet->Attach(ui->lvLevels,
                      {ui->menMoveLevelUp, ui->menMoveLevelDown, ui->menDuplicateLevel, ui->menRenameLevel,
                       ui->menDeleteLevel, ui->menLevelText});
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
        {"tool_erase.bmp", ui->btnErase, nullptr},          {"tool_draw.bmp", ui->btnDraw, nullptr},
        {"tool_new.bmp", ui->btnNewLevel, ui->menNewLevel}, {"tool_save.bmp", ui->btnSaveLevel, ui->menSave},
        {"tool_run.bmp", ui->btnExec, ui->menTestLevel},    {"tool_cell.bmp", ui->btnCell, nullptr},
        {"tool_rectangle.bmp", ui->btnRectangle, nullptr},  {"tool_fill.bmp", ui->btnFill, nullptr},
        {"tool_mirror.bmp", ui->btnMirror, nullptr},        {"tool_pick.bmp", ui->btnPick, nullptr},
        {"tool_select.bmp", ui->btnSelect, nullptr},
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
