// zolvane-level info: the bricks and power-ups per kind, the breakable bricks and the hits they take,
// symmetry and the trailer, for one level file or several.

#include "infocommand.h"

#include "elementkinds.h"
#include "jsontext.h"
#include "levelcli.h"

#include "playcommands.h"

#include <cstdio>
#include <map>
#include <ostream>

const char* const InfoHelp = R"(usage: zolvane-level info [--json] [--play] FILE...

Counts the bricks per kind and the power-ups per kind, the breakable bricks (all but the fixed one) and the
hits it takes to clear them (one to three per brick, as its name says), tells whether the level is
left-right symmetric, and shows the trailer text. With several files, each one's lines begin with
"file: NAME" and an empty line stands between them.
Also lists the problems lint reports, with their cells as (column, row) from (0, 0) at the top left.
  --json   print a JSON object with the keys file, bricks, powerups, breakable, hits, symmetric, trailer,
           unreachable, problems (and play); with several files, an array of such objects
  --play   also play each level as play does, for at most 600 s, and tell whether and when it is cleared
)";

namespace {

std::string JsonCounts(const std::vector<std::pair<std::string, int>>& Counts)
{
    std::string Json = "{";
    const char* Separator = "\n";
    for (const auto& [Name, Count] : Counts) {
        Json += Separator + std::string("    ") + JsonString(Name) + ": " + std::to_string(Count);
        Separator = ",\n";
    }
    return Json + "\n  }";
}

// The JSON objects, each line indented by two spaces, with Separator between them.
std::string Indented(const std::vector<std::string>& Objects, const std::string& Separator)
{
    std::string Text;
    for (std::size_t I = 0; I < Objects.size(); ++I) {
        std::string Object = Objects[I];
        Object.pop_back(); // its final line end: the separator or the closing bracket's line follows
        Text += (I > 0 ? Separator : "") + std::string("  ");
        for (char Ch : Object)
            Text += Ch == '\n' ? std::string("\n  ") : std::string(1, Ch);
    }
    return Objects.empty() ? Text : Text + "\n";
}

} // namespace

TLevelInfo DescribeLevel(const TLevelData& Level)
{
    TLevelInfo Info;
    Info.File = Level.FileName;
    std::map<std::uint8_t, int> Bricks;
    std::map<std::uint8_t, int> PowerUps;
    Info.Symmetric = true;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            if (BrickKindOf(Cell.Brick)) {
                ++Bricks[Cell.Brick];
                ++Info.BrickCount;
                Info.Breakable += IsBreakableBrick(Cell.Brick) ? 1 : 0;
                Info.Hits += BrickHits(Cell.Brick);
            }
            if (PowerUpKindOf(Cell.PowerUp)) {
                ++PowerUps[Cell.PowerUp];
                ++Info.PowerUpCount;
            }
            if (!(Cell == Level.Cells[LevelColumns - 1 - Column][Row]))
                Info.Symmetric = false;
        }
    for (const TCatalogueEntry& Kind : BrickKinds())
        Info.Bricks.emplace_back(Kind.Name, Bricks[Kind.Id]);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        Info.PowerUps.emplace_back(Kind.Name, PowerUps[Kind.Id]);
    Info.Trailer = Level.TrailerText;
    return Info;
}

std::string InfoText(const TLevelInfo& Info)
{
    std::string Text =
        "bricks: " + std::to_string(Info.BrickCount) + ", " + std::to_string(Info.Breakable) + " breakable\n";
    for (const auto& [Name, Count] : Info.Bricks)
        if (Count > 0)
            Text += "  " + Name + ": " + std::to_string(Count) + "\n";
    Text += "hits to clear: " + std::to_string(Info.Hits) + "\n";
    Text += "power-ups: " + std::to_string(Info.PowerUpCount) + "\n";
    for (const auto& [Name, Count] : Info.PowerUps)
        if (Count > 0)
            Text += "  " + Name + ": " + std::to_string(Count) + "\n";
    Text += std::string("symmetric: ") + (Info.Symmetric ? "yes" : "no") + "\n";
    Text += "trailer: " + (Info.Trailer.empty() ? std::string("none") : ShownString(Info.Trailer)) + "\n";
    return Text;
}

std::string InfoJson(const TLevelInfo& Info, const std::string& MoreKeys)
{
    return "{\n  \"file\": " + JsonString(Info.File) + ",\n  \"bricks\": " + JsonCounts(Info.Bricks) +
        ",\n  \"powerups\": " + JsonCounts(Info.PowerUps) + ",\n  \"breakable\": " + std::to_string(Info.Breakable) +
        ",\n  \"hits\": " + std::to_string(Info.Hits) + ",\n  \"symmetric\": " + (Info.Symmetric ? "true" : "false") +
        ",\n  \"trailer\": " + JsonString(Info.Trailer) + MoreKeys + "\n}\n";
}

int InfoLevelFiles(const std::vector<std::string>& Files, bool Json, std::ostream& Out, std::ostream& Err, bool Play)
{
    const bool Several = Files.size() > 1;
    int Status = ExitOk;
    std::vector<std::string> Described;
    for (const std::string& File : Files) {
        TLevelData Level;
        if (!ReadLevel(File, Level, Err)) {
            Status = ExitTrouble;
            continue;
        }
        const TLevelInfo Info = DescribeLevel(Level);
        const TPlayability Playability = DescribePlayability(Level, Play);
        if (Json)
            Described.push_back(InfoJson(Info, PlayabilityJson(Playability)));
        else
            Described.push_back((Several ? "file: " + File + "\n" : std::string()) + InfoText(Info) +
                                PlayabilityText(Playability));
    }
    if (Json && Several)
        Out << "[\n" << Indented(Described, ",\n") << "]\n";
    else
        for (std::size_t I = 0; I < Described.size(); ++I)
            Out << (I > 0 ? "\n" : "") << Described[I];
    return Status;
}
