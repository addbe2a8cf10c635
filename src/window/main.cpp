#include "main.h"

#include "ui_main.h"

#include "application.h"
#include "dialogs.h"
#include "drawgrid.h"
#include "exceptions.h"
#include "gamelaunch.h"
#include "levelfolder.h"
#include "levellistview.h"
#include "palettebar.h"
#include "xProcs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace {

const char* const LevelFolder = "data/levels/";
const char* const GameExecutable = "zolvane.exe";
const char* const TestFileName = "test.lvl";
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

} // namespace

TMainForm::TMainForm(const QString& GameDir, QWidget* Parent) : QMainWindow(Parent), ui(new Ui::TMainForm)
{
    const QString Dir = GameDir.isEmpty() ? QCoreApplication::applicationDirPath() : GameDir;
    FGameDir = QDir::toNativeSeparators(QDir(Dir).absolutePath()).toStdString();
    if (FGameDir.empty() || FGameDir.back() != QDir::separator().toLatin1())
        FGameDir += QDir::separator().toLatin1();

    ui->setupUi(this);
    QFont Font(QStringLiteral("Arial"));
    Font.setPixelSize(13);
    setFont(Font);
    ui->tbBricks->SetImages(&ilBricks);
    ui->tbPowerUps->SetImages(&ilPowerUps);
    ui->tbPowerUps->SetButtonWidth(26);
    LoadToolImages();

    connect(ui->btnNewLevel, &QToolButton::clicked, this, [this] { btnNewLevelClick(); });
    connect(ui->btnSaveLevel, &QToolButton::clicked, this, [this] { btnSaveLevelClick(); });
    connect(ui->btnExec, &QToolButton::clicked, this, [this] { menTestLevelClick(); });
    connect(ui->btnDraw, &QToolButton::clicked, this, [this] { btnDrawClick(); });
    connect(ui->btnErase, &QToolButton::clicked, this, [this] { btnEraseClick(); });
    connect(ui->menSave, &QAction::triggered, this, [this] { btnSaveLevelClick(); });
    connect(ui->menTestLevel, &QAction::triggered, this, [this] { menTestLevelClick(); });
    connect(ui->menExit, &QAction::triggered, this, [this] { menExitClick(); });

    ui->dgrdField->SetOnSelectCell([this](TDrawGrid* Sender, int ACol, int ARow, bool& CanSelect) {
        RunHandler([&] { dgrdFieldSelectCell(Sender, ACol, ARow, CanSelect); });
    });
    ui->dgrdField->SetOnDrawCell(
        [this](TDrawGrid*, int ACol, int ARow, const QRect& Rect, TDrawGrid::TGridDrawState, QPainter& Canvas) {
            RunHandler([&] { dgrdFieldDrawCell(ACol, ARow, Rect, Canvas); });
        });
    ui->lvLevels->SetOnChanging([this](TLevelListView* Sender, QListWidgetItem* Item, bool& AllowChange) {
        lvLevelsChanging(Sender, Item, AllowChange);
    });
    ui->lvLevels->SetOnSelectItem([this](TLevelListView* Sender, QListWidgetItem* Item, bool Selected) {
        lvLevelsSelectItem(Sender, Item, Selected);
    });
    setTabOrder(ui->dgrdField, ui->lvLevels);

    FormCreate();
    ui->dgrdField->setFocus();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::LoadToolImages()
{
    // The tool pictures are decoration: a missing one leaves its button with a caption instead. They keep
    // their transparent background, so they do not go through an opaque image list.
    const char* const Files[] = {"tool_erase.bmp", "tool_draw.bmp", "tool_new.bmp", "tool_save.bmp", "tool_run.bmp"};
    QToolButton* const Buttons[] = {ui->btnErase, ui->btnDraw, ui->btnNewLevel, ui->btnSaveLevel, ui->btnExec};
    for (int Index = 0; Index < 5; ++Index) {
        const QImage Picture(QStringLiteral("editor/images/") + QLatin1String(Files[Index]));
        if (Picture.isNull()) {
            Buttons[Index]->setToolButtonStyle(Qt::ToolButtonTextOnly);
            continue;
        }
        const QIcon Icon(QPixmap::fromImage(Picture));
        Buttons[Index]->setIcon(Icon);
        if (Index == 3)
            ui->menSave->setIcon(Icon);
        if (Index == 4)
            ui->menTestLevel->setIcon(Icon);
    }
}

void TMainForm::FormCreate()
{
    FBricks = std::make_unique<TBrickList>();
    FPowerUps = std::make_unique<TPowerUpList>();

    // A broken picture is reported and costs only its own button: the rest of the editor is built as usual,
    // so levels can still be opened, edited, saved and guarded.
    const auto OnBrickClick = [this](QObject* Sender) { RunHandler([&] { BrickButtonClick(Sender); }); };
    const auto OnPowerUpClick = [this](QObject* Sender) { RunHandler([&] { PowerUpButtonClick(Sender); }); };
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
    resize(829 - Frame.width(), 358 - Frame.height());
    move(348, 156);
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

// The field

void TMainForm::dgrdFieldSelectCell(TDrawGrid*, int ACol, int ARow, bool& CanSelect)
{
    TLevelCell& Cell = FLevel.Cells.at(static_cast<size_t>(ACol)).at(static_cast<size_t>(ARow));
    if (ui->btnErase->isChecked()) {
        Cell = TLevelCell{};
        FLevel.Changed = 1;
    } else if (ui->btnDraw->isChecked()) {
        if (FSelectedBrick != 0) {
            Cell.Brick = FSelectedBrick;
            FLevel.Changed = 1;
        }
        if (FSelectedPowerUp != 0 && Cell.Brick != 0) {
            Cell.PowerUp = FSelectedPowerUp;
            FLevel.Changed = 1;
        }
    }
    CanSelect = true;
}

void TMainForm::dgrdFieldDrawCell(int ACol, int ARow, const QRect& Rect, QPainter& Canvas)
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
    FFileIdentity = Identity;
    if (FLevel.Loaded == 1)
        ui->dgrdField->Invalidate();
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
    bool Allow = false;
    RunHandler([&] { Allow = QuerySaveChanges(); });
    AllowChange = Allow;
}

void TMainForm::lvLevelsSelectItem(TLevelListView*, QListWidgetItem* Item, bool Selected)
{
    if (!Selected || !Item)
        return;
    const bool Opened = RunHandler([&] {
        LoadLevelByName(TLevelListView::NameOf(Item).toStdString());
        ShowLevelName();
    });
    // The list must not show one level while the editor holds another.
    if (!Opened)
        SelectEditedLevelInList();
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
    RunHandler([&] {
        QuerySaveChanges();
        ClearLevel(FLevel);
        FFileIdentity = TFileIdentity{};
        ui->labLevel->setText(QStringLiteral("Level: New one"));
        ui->dgrdField->Invalidate();
    });
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
    RunHandler([&] { SaveCurrentLevel(); });
}

void TMainForm::FormCloseQuery(bool& CanClose)
{
    bool Allow = false;
    RunHandler([&] { Allow = QuerySaveChanges(); });
    CanClose = Allow;
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
    bool CanClose = true;
    FormCloseQuery(CanClose);
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
    RunHandler([&] {
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
        const int Error = StartProgram(Executable, "--level=test.lvl", FGameDir, Owner);
        if (Error != 0)
            ShowPlainBox(ApplicationTitle(),
                         FromLocal(SystemErrorText(Error)) + QStringLiteral("\r\n\"") + ForDisplay(Executable) +
                             QLatin1Char('"'));
    });
}
