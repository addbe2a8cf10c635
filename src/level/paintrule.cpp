#include "paintrule.h"

TPaintResult ApplyPaintRule(TPaintTool Tool, std::uint8_t SelectedBrick, std::uint8_t SelectedPowerUp,
                            TLevelCell Cell)
{
    TPaintResult Result{Cell, false};
    if (Tool == TPaintTool::Erase) {
        Result.Cell = TLevelCell{};
        Result.Changed = true;
    } else if (Tool == TPaintTool::Draw) {
        if (SelectedBrick != 0) {
            Result.Cell.Brick = SelectedBrick;
            Result.Changed = true;
        }
        if (SelectedPowerUp != 0 && Result.Cell.Brick != 0) {
            Result.Cell.PowerUp = SelectedPowerUp;
            Result.Changed = true;
        }
    }
    return Result;
}
