#pragma once

// The Select shape: a left drag marks a rectangle of cells as the selection; a drag that starts inside the
// selection moves its cells instead, shown as a preview until the release makes the move one step.

#include "blocks.h"
#include "fieldtools.h"

class TBlockPreview;

class TSelectTool : public TFieldTool {
public:
    TSelectTool(TToolContext& Context, TBlockPreview& Preview);

    void Press(TCellPos At) override;
    void Move(TCellPos At) override;
    void Release() override;
    void Cancel() override;

private:
    enum class TDrag { None, Marking, Moving };
    // The cells as the move would leave them: the selection's cells moved by Offset.
    TCellDiff Moved(TLevelCells& Cells) const;

    TBlockPreview& FPreview;
    TDrag FDrag = TDrag::None;
    TCellPos FStart;
    TCellPos FOffset;
    // The selection as the drag found it, which Esc gives back.
    TCellRect FBefore;
};
