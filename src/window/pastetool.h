#pragma once

// A pasted block floating over the field: its top left corner follows the pointer as a preview until a
// left press or Return places it as one step, or Esc drops it. While it floats, a left press belongs to it
// whatever shape is chosen.

#include "blocks.h"
#include "fieldtools.h"

#include <optional>

class TBlockPreview;

class TPasteTool : public TFieldTool {
public:
    TPasteTool(TToolContext& Context, TBlockPreview& Preview);

    bool Floating() const { return FBlock.has_value(); }
    void Float(const TBlock& Block, TCellPos At);
    void FollowTo(TCellPos At);
    // Writes the block where it floats, with the mirror as it is now.
    void Place();
    void Drop();

    void Press(TCellPos At) override;

private:
    TCellDiff Pasted(TLevelCells& Cells) const;
    void ShowAt(TCellPos At);

    TBlockPreview& FPreview;
    std::optional<TBlock> FBlock;
    TCellPos FAt;
};
