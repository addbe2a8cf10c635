#pragma once

// What one editing step did to a level's cells, as plain data: the cells it touched, each with its value
// before the step and after it. Undo writes the befores back, redo the afters. No Qt, so that any edit
// (a stroke, a rectangle, a fill) and any tool outside the window can build one.

#include "leveldata.h"

#include <algorithm>
#include <cstdint>
#include <vector>

struct TCellChange {
    std::uint8_t Col = 0;
    std::uint8_t Row = 0;
    TLevelCell Before;
    TLevelCell After;

    friend bool operator==(const TCellChange&, const TCellChange&) = default;
};

class TCellDiff {
public:
    // A cell the step touches again keeps its first Before and takes the new After.
    void Record(int Col, int Row, const TLevelCell& Before, const TLevelCell& After)
    {
        const auto Same = [&](const TCellChange& C) { return C.Col == Col && C.Row == Row; };
        const auto Found = std::find_if(FChanges.begin(), FChanges.end(), Same);
        if (Found != FChanges.end())
            Found->After = After;
        else
            FChanges.push_back({static_cast<std::uint8_t>(Col), static_cast<std::uint8_t>(Row), Before, After});
    }

    // Drops the cells that ended as they began; the memory is trimmed to what is left, as a diff is kept
    // in the history for long.
    void Compact()
    {
        std::erase_if(FChanges, [](const TCellChange& C) { return C.Before == C.After; });
        FChanges.shrink_to_fit();
    }

    void ApplyBefore(TLevelCells& Cells) const
    {
        for (auto C = FChanges.rbegin(); C != FChanges.rend(); ++C)
            Cells[C->Col][C->Row] = C->Before;
    }

    void ApplyAfter(TLevelCells& Cells) const
    {
        for (const TCellChange& C : FChanges)
            Cells[C.Col][C.Row] = C.After;
    }

    void Clear() { FChanges.clear(); }
    bool Empty() const { return FChanges.empty(); }
    const std::vector<TCellChange>& Changes() const { return FChanges; }

private:
    std::vector<TCellChange> FChanges;
};
