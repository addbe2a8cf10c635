#include "main.h"

#include "ui_main.h"

#include "paintrule.h"
#include "palettechoice.h"

// Palettes and tools

void TMainForm::BrickButtonClick(QObject* Sender)
{
    PaletteChoice::Click<TBrickItem>(ui->tbBricks, FSelectedBrick, Sender);
}

void TMainForm::PowerUpButtonClick(QObject* Sender)
{
    PaletteChoice::Click<TPowerUpItem>(ui->tbPowerUps, FSelectedPowerUp, Sender);
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
    for (QToolButton* Shape : {ui->btnCell, ui->btnRectangle, ui->btnFill, ui->btnSelect})
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

void TMainForm::btnSelectClick()
{
    PressShapeButton(ui->btnSelect);
}

void TMainForm::btnMirrorClick()
{
    ui->dgrdField->update(MirrorLine());
    FBlocks->Refresh();
}

TFieldTool& TMainForm::CurrentShapeTool()
{
    if (TFieldTool* Floating = FBlocks->FloatingTool())
        return *Floating;
    if (ui->btnSelect->isChecked())
        return FBlocks->SelectTool();
    if (ui->btnRectangle->isChecked())
        return *FRectangleTool;
    if (ui->btnFill->isChecked())
        return *FFillTool;
    return *FCellTool;
}

TPaintTool TMainForm::CurrentTool() const
{
    return ui->btnErase->isChecked() ? TPaintTool::Erase
        : ui->btnDraw->isChecked()   ? TPaintTool::Draw
                                     : TPaintTool::None;
}

TCellRule TMainForm::CurrentRule() const
{
    return [Tool = CurrentTool(), Brick = FSelectedBrick, PowerUp = FSelectedPowerUp](const TLevelCell& Cell) {
        return ApplyPaintRule(Tool, Brick, PowerUp, Cell);
    };
}

QString TMainForm::CellStepName() const
{
    return CurrentTool() == TPaintTool::Erase ? QStringLiteral("Erase") : QStringLiteral("Paint");
}

// The cell's brick and power-up become the palettes' choices, as clicks on their buttons would leave them,
// and the draw tool paints them.
void TMainForm::btnPickClick()
{
    const TCellPos At = PointedCell();
    const TLevelCell Cell = FDocument.Cell(At.Column, At.Row);
    PaletteChoice::Choose<TBrickItem>(ui->tbBricks, FSelectedBrick, Cell.Brick);
    PaletteChoice::Choose<TPowerUpItem>(ui->tbPowerUps, FSelectedPowerUp, Cell.PowerUp);
    btnDrawClick();
}
