// Microseconds per move of a selection of the whole field by one cell, in the level core: the edit with its
// diff for the history, from a full level each time. Beside it its floor, measured in the same run: the
// cells moved one column over by hand and the changed ones listed, which any move must do. Goal: well under
// 1 ms.
// Not a test: it only prints.

#include "benchsupport.h"
#include "blocks.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

TLevelCells FullField()
{
    TLevelCells Cells{};
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row)
            Cells[Column][Row] = {static_cast<std::uint8_t>(1 + (Column + Row) % 10),
                                  static_cast<std::uint8_t>((Column + 2 * Row) % 7)};
    return Cells;
}

// Best of the rounds, microseconds per call; the edit and its floor alternate so that both see the same machine.
double Microseconds(int Calls, const std::function<void()>& Call)
{
    return BestMilliseconds(9,
                            [&] {
                                for (int I = 0; I < Calls; ++I)
                                    Call();
                            }) *
        1000 / Calls;
}

} // namespace

int main()
{
    const TLevelCells Full = FullField();
    TLevelCells Cells;
    std::size_t Changed = 0;
    const auto Move = [&](int DCol, int DRow, bool Mirror) {
        return [&, DCol, DRow, Mirror] {
            Cells = Full;
            Changed += MoveCells(Cells, FieldRect, DCol, DRow, Mirror).Changes().size();
        };
    };
    // The least any move must do: the moved cells, and every cell that changed listed for the history.
    std::vector<TCellChange> Listed;
    const auto Floor = [&] {
        Cells = Full;
        std::move_backward(Cells.begin(), Cells.end() - 1, Cells.end());
        Cells[0] = {};
        Listed.clear();
        for (int Column = 0; Column < LevelColumns; ++Column)
            for (int Row = 0; Row < LevelRows; ++Row)
                if (!(Cells[Column][Row] == Full[Column][Row]))
                    Listed.push_back({static_cast<std::uint8_t>(Column), static_cast<std::uint8_t>(Row),
                                      Full[Column][Row], Cells[Column][Row]});
        Changed += Listed.size();
    };
    constexpr int Calls = 2000;
    const double Right = Microseconds(Calls, Move(1, 0, false));
    const double Down = Microseconds(Calls, Move(0, 1, false));
    const double Mirrored = Microseconds(Calls, Move(1, 0, true));
    const double Bare = Microseconds(Calls, Floor);
    std::printf("move of the whole field by one cell with its diff (best of 9 rounds of %d): right %.2f us, down "
                "%.2f us, right with mirror %.2f us; floor, the cells moved and listed by hand: %.2f us (goal well "
                "under 1000 us)\n",
                Calls, Right, Down, Mirrored, Bare);
    // Keeps the work from being optimised away.
    return Changed == 0 ? 1 : 0;
}
