#include "levelmerge.h"

#include "elementkinds.h"

namespace {

enum class TPick { Ours, Theirs, Conflict };

template <typename TValue> TPick PickOf(const TValue& Base, const TValue& Ours, const TValue& Theirs)
{
    if (Ours == Theirs || Theirs == Base)
        return TPick::Ours;
    if (Ours == Base)
        return TPick::Theirs;
    return TPick::Conflict;
}

std::string KindName(const TCatalogueEntry* Kind, const char* What, std::uint8_t Code)
{
    return Kind ? Kind->Name : What + std::to_string(Code);
}

} // namespace

TLevelDiff DiffLevels(const TLevelData& Old, const TLevelData& New)
{
    TLevelDiff Diff;
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const TLevelCell& Was = Old.Cells[Column][Row];
            const TLevelCell& Is = New.Cells[Column][Row];
            if (!(Was == Is))
                Diff.Cells.push_back({Column, Row, Was, Is});
        }
    Diff.TrailerChanged = Old.TrailerText != New.TrailerText;
    return Diff;
}

TLevelMerge MergeLevels(const TLevelData& Base, const TLevelData& Ours, const TLevelData& Theirs)
{
    TLevelMerge Merge;
    ClearLevel(Merge.Level);
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const TLevelCell& Was = Base.Cells[Column][Row];
            const TLevelCell& Mine = Ours.Cells[Column][Row];
            const TLevelCell& Other = Theirs.Cells[Column][Row];
            const TPick Pick = PickOf(Was, Mine, Other);
            Merge.Level.Cells[Column][Row] = Pick == TPick::Theirs ? Other : Mine;
            if (Pick == TPick::Conflict)
                Merge.Conflicts.push_back({Column, Row, Was, Mine, Other});
        }
    const TPick Pick = PickOf(Base.TrailerText, Ours.TrailerText, Theirs.TrailerText);
    Merge.Level.TrailerText = Pick == TPick::Theirs ? Theirs.TrailerText : Ours.TrailerText;
    if (Pick == TPick::Conflict)
        Merge.TrailerConflict = TTrailerConflict{Base.TrailerText, Ours.TrailerText, Theirs.TrailerText};
    return Merge;
}

std::string CellText(const TLevelCell& Cell)
{
    if (Cell.Brick == 0 && Cell.PowerUp == 0)
        return "empty";
    std::string Text = Cell.Brick == 0 ? "no brick" : KindName(BrickKindOf(Cell.Brick), "brick ", Cell.Brick);
    if (Cell.PowerUp != 0)
        Text += ", " + KindName(PowerUpKindOf(Cell.PowerUp), "power-up ", Cell.PowerUp);
    return Text;
}
