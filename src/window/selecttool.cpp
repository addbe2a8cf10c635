#include "selecttool.h"

#include "blockpreview.h"
#include "leveldocument.h"

TSelectTool::TSelectTool(TToolContext& Context, TBlockPreview& Preview) : TFieldTool(Context), FPreview(Preview)
{
}

void TSelectTool::Press(TCellPos At)
{
    TCellSelection& Selection = FContext.Document.Selection();
    FBefore = Selection.Rect();
    FStart = At;
    FOffset = {};
    FDrag = FBefore.Contains(At) ? TDrag::Moving : TDrag::Marking;
    if (FDrag == TDrag::Marking)
        Selection.Set(RectBetween(At, At));
}

// The selection follows the pointer; a move is previewed with the mirror as it is at each step.
void TSelectTool::Move(TCellPos At)
{
    TCellSelection& Selection = FContext.Document.Selection();
    if (FDrag == TDrag::Marking) {
        Selection.Set(RectBetween(FStart, At));
    } else if (FDrag == TDrag::Moving) {
        FOffset = {At.Column - FStart.Column, At.Row - FStart.Row};
        Selection.Set(MovedRect(FBefore, FOffset.Column, FOffset.Row));
        FPreview.Show([this](TLevelCells& Cells) { return Moved(Cells); }, {});
    }
}

void TSelectTool::Release()
{
    const TDrag Drag = std::exchange(FDrag, TDrag::None);
    if (Drag != TDrag::Moving)
        return;
    FPreview.Hide();
    TLevelCells Cells = FContext.Document.Level().Cells;
    const TCellDiff Diff = Moved(Cells);
    if (!Diff.Empty())
        FContext.Document.Apply(Diff, QStringLiteral("Move"));
}

void TSelectTool::Cancel()
{
    if (std::exchange(FDrag, TDrag::None) == TDrag::None)
        return;
    FPreview.Hide();
    FContext.Document.Selection().Set(FBefore);
}

TCellDiff TSelectTool::Moved(TLevelCells& Cells) const
{
    if (FOffset.Column == 0 && FOffset.Row == 0)
        return {};
    return MoveCells(Cells, FBefore, FOffset.Column, FOffset.Row, FContext.Mirrored());
}
