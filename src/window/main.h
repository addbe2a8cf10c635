#pragma once

#include "application.h"
#include "blockcommands.h"
#include "catalogue.h"
#include "drawgrid.h"
#include "fieldgeometry.h"
#include "fieldpainter.h"
#include "fieldtools.h"
#include "imagelist.h"
#include "levelcheck.h"
#include "leveldocument.h"
#include "levellist.h"
#include "recoveryjournal.h"
#include "pointedcell.h"
#include "levelsetcommands.h"
#include "statusline.h"
#include "uZolvane.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class QToolButton;
class QListWidgetItem;
class TLevelListView;
class TPaletteToolBar;
namespace Ui {
class TMainForm;
}

// The editor's one window: the level list, the field grid, the two palettes and the level commands. It
// wires the parts: the document holds the level, the tools paint it, the status line describes it.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // GameDir is the game's directory, where the game executable lies and new levels are saved; empty means
    // the directory of the running executable. Listing and opening levels use "data/levels/" relative to
    // the current directory, which is the game's directory when the editor is started there.
    explicit TMainForm(const QString& GameDir = QString(), QWidget* Parent = nullptr);
    ~TMainForm() override;

    const TLevelData& Level() const { return FDocument.Level(); }
    std::uint8_t SelectedBrick() const { return FSelectedBrick; }
    std::uint8_t SelectedPowerUp() const { return FSelectedPowerUp; }
    const TBrickList& Bricks() const { return *FBricks; }
    const TPowerUpList& PowerUps() const { return *FPowerUps; }
    // The game's directory, ending with a path separator.
    const std::string& GameDir() const { return FGameDir; }
    // The edits that Undo and Redo step through.
    const QUndoStack& History() const { return FDocument.History(); }
    TLevelDocument& Document() { return FDocument; }
    TStatusLine& StatusLine() { return *FStatusLine; }
    TRecoveryJournal& Recovery() { return *FRecovery; }

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
    void btnSelectClick();
    void btnMirrorClick();
    void btnPickClick();
    void menUndoClick();
    void menRedoClick();
    void menCheckLevelClick();
    void dgrdFieldSelectCell(TDrawGrid* Sender, int ACol, int ARow, bool& CanSelect);
    void dgrdFieldDrawCell(TDrawGrid* Sender, int ACol, int ARow, const QRect& Rect, TDrawGrid::TGridDrawState State,
                           QPainter& Canvas);
    void dgrdFieldStrokeBegan();
    void dgrdFieldStrokeEnded();
    void dgrdFieldStrokeCancelled();
    void dgrdFieldDrawOver(TDrawGrid* Sender, QPainter& Canvas);
    void lvLevelsChanging(TLevelListView* Sender, QListWidgetItem* Item, bool& AllowChange);
    void lvLevelsSelectItem(TLevelListView* Sender, QListWidgetItem* Item, bool Selected);

    // A handler as the toolkit calls it: whatever it throws is shown in the error box, the silent abort
    // is swallowed, and nothing crosses Qt's event dispatch.
    template <class... TArgs> auto Guarded(void (TMainForm::*Handler)(TArgs...))
    {
        return [this, Handler](TArgs... Args) { RunHandler([&] { (this->*Handler)(std::forward<TArgs>(Args)...); }); };
    }

    void ConnectControls();
    void ConnectDocument();
    void CreateShortcuts();
    void LoadToolImages();
    void LoadLevelByName(const std::string& Name);
    bool QuerySaveChanges();
    void SaveCurrentLevel();
    void OfferRecovery();
    void RecoverLevel(TRecoveryOffer& Offer);
    void ShowLevelName();
    void PressShapeButton(QToolButton* Button);
    TFieldTool& CurrentShapeTool();
    TPaintTool CurrentTool() const;
    TCellRule CurrentRule() const;
    QString CellStepName() const;
    QRect MirrorLine() const;
    TCellPos PointedCell() const;
    void CellsChanged(const QList<QPoint>& Cells);
    void ShowCellStatus();
    void ShowCounts();

    std::unique_ptr<Ui::TMainForm> ui;
    TImageList ilBricks{BrickImageWidth, BrickImageHeight};
    TImageList ilPowerUps{PowerUpImageWidth, PowerUpImageHeight};
    std::string FGameDir;
    bool FPlaced = false;

    TLevelDocument FDocument;
    // After the document, so that it goes first and never hears the history cleared as the document goes.
    std::unique_ptr<TRecoveryJournal> FRecovery;
    std::unique_ptr<TBrickList> FBricks;
    std::unique_ptr<TPowerUpList> FPowerUps;
    // The catalogues' pictures as the field painter takes them.
    TFieldPictures FPictures;
    std::uint8_t FSelectedBrick = 0;
    std::uint8_t FSelectedPowerUp = 0;

    // The shapes' tools, and the one the open pointer stroke uses: chosen by its first selection.
    std::unique_ptr<TToolContext> FToolContext;
    std::unique_ptr<TCellTool> FCellTool;
    std::unique_ptr<TRectangleTool> FRectangleTool;
    std::unique_ptr<TFillTool> FFillTool;
    TFieldTool* FStrokeTool = nullptr;
    // Select, the selection and the Edit menu's block commands.
    std::unique_ptr<TBlockCommands> FBlocks;

    std::unique_ptr<TLevelList> FLevelList;
    TLevelCheck* FLevelCheck = nullptr;
    std::unique_ptr<TLevelSetCommands> FLevelSet;
    TStatusLine* FStatusLine = nullptr;
    TPointedCell* FPointedCell = nullptr;
};
