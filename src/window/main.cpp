#include "main.h"

#include "ui_main.h"

#include "application.h"
#include "dialogs.h"
#include "exceptions.h"
#include "filenotes.h"
#include "levellistview.h"
#include "testrun.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QStatusBar>

#include <filesystem>

namespace {

const char* const LevelFolder = "data/levels/";

// The window's outer size and place at start, frame included.
constexpr QSize WindowSize(829, 358);
constexpr QPoint WindowPosition(348, 156);
constexpr int PowerUpButtonWidth = 26;
constexpr int FontPixelHeight = 13;

// File names are kept as bytes and decoded only to be shown.
QString ForDisplay(const std::string& Name)
{
    return QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
}

std::string FileNameOf(const std::string& Path)
{
    return std::filesystem::path(Path).filename().string();
}

void ShowError(const std::exception& E)
{
    ShowErrorBox(ApplicationTitle(), ErrorBoxText(E.what()));
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
    ui->dgrdField->SetGridSize(LevelColumns, LevelRows, FieldCellWidth, FieldCellHeight);
    ui->tbBricks->SetImages(&ilBricks);
    ui->tbPowerUps->SetImages(&ilPowerUps);
    ui->tbPowerUps->SetButtonWidth(PowerUpButtonWidth);
    LoadToolImages();
    FStatusLine = new TStatusLine(ui->sbStatus);
    FPointedCell = new TPointedCell(ui->dgrdField);
    FLevelList = std::make_unique<TLevelList>(ui->lvLevels, &FPictures);
    FLevelSet.reset(new TLevelSetCommands({FDocument, *FLevelList, *FStatusLine, [this] { QuerySaveChanges(); }}));
    FLevelCheck = new TLevelCheck(FDocument, *ui->dgrdField);
    FToolContext.reset(new TToolContext{FDocument, *ui->dgrdField, [this] { return CurrentRule(); },
                                        [this] { return ui->btnMirror->isChecked(); },
                                        [this] { return CellStepName(); }});
    FCellTool = std::make_unique<TCellTool>(*FToolContext);
    FRectangleTool = std::make_unique<TRectangleTool>(*FToolContext);
    FFillTool = std::make_unique<TFillTool>(*FToolContext);
    FBlocks =
        std::make_unique<TBlockCommands>(*FToolContext, [this](const QString& Text) { FStatusLine->ShowNotice(Text); });

    ConnectControls();
    ConnectDocument();
    FRecovery = std::make_unique<TRecoveryJournal>(FDocument);
    FormCreate();
    CreateShortcuts();
    FLevelSet->RecoverAtStart({LevelFolder, FGameDir + LevelFolder});
    ShowCellStatus();
    ShowCounts();
    ui->dgrdField->setFocus();
}

TMainForm::~TMainForm()
{
    FormDestroy();
    // The grid reports its hiding while the base class takes the window down, when this form and ui are gone
    // already; its signals reach the form directly and through the pointed cell, so none may leave it now.
    ui->dgrdField->blockSignals(true);
}

void TMainForm::FormCreate()
{
    FBricks = std::make_unique<TBrickList>();
    FPowerUps = std::make_unique<TPowerUpList>();

    // A broken picture is reported and costs only its own button: the rest of the editor is built as usual,
    // so levels can still be opened, edited, saved and guarded.
    for (const TCatalogueEntry& Kind : BrickKinds())
        RunHandler([&] { FBricks->AddItem(Kind.Id, Kind.ImageFile, Kind.Name); });
    FBricks->BuildPalette(ilBricks, ui->tbBricks, Guarded(&TMainForm::BrickButtonClick), ShowError);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        RunHandler([&] { FPowerUps->AddItem(Kind.Id, Kind.ImageFile, Kind.Name); });
    FPowerUps->BuildPalette(ilPowerUps, ui->tbPowerUps, Guarded(&TMainForm::PowerUpButtonClick), ShowError);
    FPictures = FieldPicturesOf(*FBricks, *FPowerUps);
    FLevelList->Fill(LevelFolder);
    FDocument.New();
}

void TMainForm::FormDestroy()
{
    FStrokeTool = nullptr;
    FPictures = TFieldPictures{};
    FPowerUps.reset();
    FBricks.reset();
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
    QMetaObject::invokeMethod(this, Guarded(&TMainForm::OfferRecovery), Qt::QueuedConnection);
}

// The field

// Keys and the wheel paint the one cell they move to; a left press hands its stroke to the tool of the
// shape chosen at its first selection.
void TMainForm::dgrdFieldSelectCell(TDrawGrid*, int ACol, int ARow, bool& CanSelect)
{
    CanSelect = true;
    const TCellPos At{ACol, ARow};
    if (!ui->dgrdField->StrokeByPointer()) {
        FDocument.Paint({At}, CurrentRule(), CellStepName());
        return;
    }
    if (FStrokeTool) {
        FStrokeTool->Move(At);
        return;
    }
    FStrokeTool = &CurrentShapeTool();
    FStrokeTool->Press(At);
}

void TMainForm::dgrdFieldStrokeBegan()
{
    FDocument.BeginStep();
    FStrokeTool = nullptr;
}

void TMainForm::dgrdFieldStrokeEnded()
{
    if (TFieldTool* Tool = std::exchange(FStrokeTool, nullptr))
        Tool->Release();
    FDocument.EndStep();
}

void TMainForm::dgrdFieldStrokeCancelled()
{
    if (FStrokeTool)
        FStrokeTool->Cancel();
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
    FLevelCheck->DrawOver(Canvas);
    FBlocks->DrawOver(Canvas);
    if (FStrokeTool)
        FStrokeTool->DrawOver(Canvas);
}

void TMainForm::dgrdFieldDrawCell(TDrawGrid*, int ACol, int ARow, const QRect& Rect, TDrawGrid::TGridDrawState,
                                  QPainter& Canvas)
{
    if (FDocument.Level().Loaded != 0)
        PaintFieldCell(Canvas, Rect, FBlocks->ShownCell(ACol, ARow), FPictures);
}

void TMainForm::CellsChanged(const QList<QPoint>& Cells)
{
    ui->dgrdField->InvalidateCells(Cells);
    ShowCellStatus();
    ShowCounts();
}

void TMainForm::menUndoClick()
{
    FDocument.Undo();
}

void TMainForm::menRedoClick()
{
    FDocument.Redo();
}

void TMainForm::menCheckLevelClick()
{
    const QString Problems = ProblemsText(FLevelCheck->Show());
    FStatusLine->ShowFileNotes((Problems.isEmpty() ? QStringLiteral("No problems found") : Problems).toStdString());
}

void TMainForm::ShowCellStatus()
{
    const TCellPos At = PointedCell();
    if (At.Column < LevelColumns && At.Row < LevelRows)
        FStatusLine->ShowCell(At.Column, At.Row, FDocument.Cell(At.Column, At.Row));
}

TCellPos TMainForm::PointedCell() const
{
    return FPointedCell->Cell();
}

void TMainForm::ShowCounts()
{
    FStatusLine->ShowCounts(FDocument.Level());
}

// Level commands

void TMainForm::ShowLevelName()
{
    const std::string& Name = FDocument.Level().FileName;
    ui->labLevel->setText(QStringLiteral("Level: ") + (Name.empty() ? QStringLiteral("New one") : ForDisplay(Name)));
}

void TMainForm::LoadLevelByName(const std::string& Name)
{
    const std::string Path = LevelFolder + Name;
    FDocument.Open(Path);
    FStatusLine->ShowFileNotes(FDocument.OpenedFileNotes(Name));
}

bool TMainForm::QuerySaveChanges()
{
    if (FDocument.Level().Loaded == 0 || !FDocument.IsChanged())
        return true;
    switch (AskYesNoCancel(QStringLiteral("Level changed, save changes to disk?"))) {
    case TModalResult::Yes:
        SaveCurrentLevel();
        return true;
    case TModalResult::No:
        FRecovery->End();
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
        FLevelList->ShowEdited(FDocument.Level().FileName);
        throw;
    }
}

void TMainForm::btnNewLevelClick()
{
    QuerySaveChanges();
    FDocument.New();
    FStatusLine->Clear();
}

void TMainForm::SaveCurrentLevel()
{
    const std::string Path = FDocument.Save({FGameDir, FLevelList->Names()});
    FStatusLine->ShowSaved(FileNameOf(Path));
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
    Guarded (&TMainForm::FormCloseQuery)(CanClose);
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
    void* Owner = nullptr;
#ifdef _WIN32
    Owner = reinterpret_cast<void*>(winId());
#endif
    // The game may take the editor, or the machine, down with it.
    FRecovery->FlushNow();
    StartTestRun(FGameDir, FDocument.Level(), Owner);
    // The game starts all the same: an empty level is a fair test of the game's own start.
    for (const TLevelProblem& Problem : LevelProblems(FDocument.Level()))
        if (Problem.Kind == TLevelProblemKind::NothingToBreak)
            FStatusLine->ShowFileNotes("Nothing to break: the level has no breakable brick");
}
