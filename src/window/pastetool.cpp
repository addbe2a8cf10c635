#include "pastetool.h"

#include "blockpreview.h"
#include "leveldocument.h"

TPasteTool::TPasteTool(TToolContext& Context, TBlockPreview& Preview) : TFieldTool(Context), FPreview(Preview)
{
}

void TPasteTool::Float(const TBlock& Block, TCellPos At)
{
    FBlock = Block;
    ShowAt(At);
}

void TPasteTool::FollowTo(TCellPos At)
{
    if (FBlock && At != FAt)
        ShowAt(At);
}

void TPasteTool::Place()
{
    if (!FBlock)
        return;
    FPreview.Hide();
    TLevelCells Cells = FContext.Document.Level().Cells;
    const TCellDiff Diff = Pasted(Cells);
    FBlock.reset();
    if (!Diff.Empty())
        FContext.Document.Apply(Diff, QStringLiteral("Paste"));
}

void TPasteTool::Drop()
{
    FBlock.reset();
    FPreview.Hide();
}

void TPasteTool::Press(TCellPos At)
{
    FollowTo(At);
    Place();
}

TCellDiff TPasteTool::Pasted(TLevelCells& Cells) const
{
    return PasteBlock(Cells, *FBlock, FAt, FContext.Mirrored());
}

void TPasteTool::ShowAt(TCellPos At)
{
    FAt = At;
    const TCellRect Outline = ClipToField({At.Column, At.Row, FBlock->Width(), FBlock->Height()});
    FPreview.Show([this](TLevelCells& Cells) { return Pasted(Cells); }, Outline);
}
