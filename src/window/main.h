#pragma once

#include "application.h"
#include "celldiff.h"
#include "drawgrid.h"
#include "imagelist.h"
#include "safefile.h"
#include "shapes.h"
#include "uZolvane.h"

#include <QMainWindow>
#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

class QAction;
class QToolButton;
class QKeySequence;
class QLabel;
class QListWidgetItem;
class TLevelListView;
class TPaletteToolBar;
namespace Ui {
class TMainForm;
}

// The editor's one window: the level list, the field grid, the two palettes and the level commands.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // GameDir is the game's directory, where the game executable lies and new levels are saved; empty means
    // the directory of the running executable. Listing and opening levels use "data/levels/" relative to
    // the current directory, which is the game's directory when the editor is started there.
    explicit TMainForm(const QString& GameDir = QString(), QWidget* Parent = nullptr);
    ~TMainForm() override;

    const TLevelData& Level() const { return FLevel; }
    std::uint8_t SelectedBrick() const { return FSelectedBrick; }
    std::uint8_t SelectedPowerUp() const { return FSelectedPowerUp; }
    const TBrickList& Bricks() const { return *FBricks; }
    const TPowerUpList& PowerUps() const { return *FPowerUps; }
    // The game's directory, ending with a path separator.
    const std::string& GameDir() const { return FGameDir; }
    // The edits that Undo and Redo step through.
    const QUndoStack& History() const { return FHistory; }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    // Event handlers, named after the control and the event. Each is connected through Guarded, the one
    // place where what a handler throws is reported.
    void FormCreate();
    void FormDestroy();
    void FormCloseQuery(bool& CanClose);
    void BrickButtonClick(QObject* Sender);
    void PowerUpButtonClick(QObject* Sender);
    void btnDrawClick();
    void btnEraseClick();
    void btnNewLevelClick();
    void btnSaveLevelClick();
    void menTestLevelClick();
    void menExitClick();
    void btnCellClick();
    void btnRectangleClick();
    void btnFillClick();
    void btnMirrorClick();
    void btnPickClick();
    void menUndoClick();
    void menRedoClick();
    void dgrdFieldSelectCell(TDrawGrid* Sender, int ACol, int ARow, bool& CanSelect);
    void dgrdFieldDrawCell(TDrawGrid* Sender, int ACol, int ARow, const QRect& Rect, TDrawGrid::TGridDrawState State,
                           QPainter& Canvas);
    void dgrdFieldStrokeBegan();
    void dgrdFieldStrokeEnded();
    void dgrdFieldStrokeCancelled();
    void dgrdFieldDrawOver(TDrawGrid* Sender, QPainter& Canvas);
    void dgrdFieldCurrentCellChanged(int ACol, int ARow);
    void dgrdFieldHoverCellChanged(int ACol, int ARow);
    void lvLevelsChanging(TLevelListView* Sender, QListWidgetItem* Item, bool& AllowChange);
    void lvLevelsSelectItem(TLevelListView* Sender, QListWidgetItem* Item, bool Selected);

    // A handler as the toolkit calls it: whatever it throws is shown in the error box, the silent abort
    // is swallowed, and nothing crosses Qt's event dispatch.
    template <class... TArgs> auto Guarded(void (TMainForm::*Handler)(TArgs...))
    {
        return [this, Handler](TArgs... Args) {
            RunHandler([&] { (this->*Handler)(std::forward<TArgs>(Args)...); });
        };
    }

    void ReleaseToolBarButtons(TPaletteToolBar* ToolBar);
    void LoadLevelByName(const std::string& Name);
    bool QuerySaveChanges();
    template <class TItem> void PaletteClick(TPaletteToolBar* ToolBar, std::uint8_t& Selected, QObject* Sender);
    template <class TItem> void ClickPaletteButton(TPaletteToolBar* ToolBar, std::uint8_t Code);
    void CreateShortcuts();
    QAction* AddKeyAction(const char* Name, const QString& Text, const QKeySequence& Key, std::function<void()> Handler);
    enum class TShape { Cell, Rectangle, Fill };
    TShape CurrentShape() const;
    TPaintTool CurrentTool() const;
    void PressShapeButton(QToolButton* Button);
    void PaintShape(TCellPositions Cells, TShape Shape, bool Mirrored);
    void MoveRectangleCorner(TCellPos Corner);
    QRect RectangleOutline() const;
    QRect MirrorLine() const;
    TCellPos PointedCell() const;
    template <class TItem> void ChooseInPalette(TPaletteToolBar* ToolBar, std::uint8_t& Selected, std::uint8_t Code);
    void CommitStep();
    void ClearHistory();
    void ShowCellStatus();
    void ShowCounts();
    void ShowFileNotes(const std::string& Name, const std::string& Path);
    void ClearFileNotes();
    void SaveCurrentLevel();
    void ConfirmOverwrite();
    void SaveUnderNewName();
    void RememberFileIdentity();
    void ShowLevelName();
    void LoadToolImages();
    void ListLevels();
    void SelectEditedLevelInList();

    std::unique_ptr<Ui::TMainForm> ui;
    // The smallest pictures the palettes take.
    static constexpr int BrickImageWidth = 15, BrickImageHeight = 9;
    static constexpr int PowerUpImageWidth = 23, PowerUpImageHeight = 11;
    TImageList ilBricks{BrickImageWidth, BrickImageHeight};
    TImageList ilPowerUps{PowerUpImageWidth, PowerUpImageHeight};
    std::string FGameDir;
    bool FPlaced = false;

    TLevelData FLevel;
    // The level file as this editor last read or wrote it; a Save finding another asks before overwriting.
    TFileIdentity FFileIdentity;
    std::unique_ptr<TBrickList> FBricks;
    std::unique_ptr<TPowerUpList> FPowerUps;
    std::uint8_t FSelectedBrick = 0;
    std::uint8_t FSelectedPowerUp = 0;

    // The history, and the step being made: the cells the open stroke has changed so far.
    QUndoStack FHistory;
    TCellDiff FStep;
    bool FStepOpen = false;
    bool FStepErases = false;
    TShape FStepShape = TShape::Cell;

    // The open pointer stroke's shape, fixed by its first selection; and the rectangle it is dragging out,
    // from the pressed corner to the one the pointer moves.
    bool FStrokePressed = false;
    TShape FStrokeShape = TShape::Cell;
    bool FDraggingRectangle = false;
    TCellPos FCorner;
    TCellPos FOtherCorner;

    QLabel* labCell = nullptr;
    QLabel* labCounts = nullptr;
    int FHoverCol = -1;
    int FHoverRow = -1;
    bool FShowingFileNotes = false;
};
