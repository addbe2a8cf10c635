#include "playcommands.h"

#include "levelcli.h"
#include "levelfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <system_error>
#include <tuple>

const char* const LintHelp = R"(usage: zolvane-level lint FILE...

Reports what makes a level impossible to finish: breakable bricks no ball can reach (walled in by fixed
bricks, which a ball never passes corner to corner), a level with nothing to break, and power-ups that are
never released (on a fixed brick, on an empty cell, or in a brick that can't be reached). One line each:
  FILE:LINE:COLUMN: warning: TEXT      a problem cell, at its brick's character in the file
  FILE:1:1: warning: TEXT              a problem of the whole level
Exit status: 0 when no file has a problem, 1 when some file has, 2 when a file cannot be read (the other
files are still linted).
)";

const char* const PlayHelp = R"(usage: zolvane-level play FILE [--seconds N] [--seed S]

Plays the level by the game's rules, without a window and at full speed, with a paddle that is always where
the ball comes down and catches every capsule. Prints "cleared in T s of play" or "not cleared after N s:
K bricks left". The same level, seed and options always give the same line.
  --seconds N   play at most N seconds of game time (1 to 86400; default 600)
  --seed S      the game's random seed, a whole number (default 1)
Exit status: 0 cleared, 1 not cleared, 2 bad arguments or a file that cannot be read.
)";

namespace {

constexpr int MaxSeconds = 24 * 60 * 60;

template <typename TNumber> std::optional<TNumber> WholeNumber(const std::string& Text)
{
    TNumber Number{};
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Number);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size())
        return std::nullopt;
    return Number;
}

// Tenths of a second at most, and no ".0" on a whole number: "600", "83.4".
std::string SecondsText(double Seconds)
{
    char Text[32];
    const auto [End, Error] = std::to_chars(Text, Text + sizeof Text, std::round(Seconds * 10) / 10);
    return Error == std::errc() ? std::string(Text, End) : std::to_string(Seconds);
}

// Appended rather than prefixed: GCC 12 warns falsely (-Wrestrict) of a literal put before a temporary string.
void AddCellText(std::string& Text, TCellPos Cell)
{
    Text += " (";
    Text += std::to_string(Cell.Column) + ", " + std::to_string(Cell.Row) + ")";
}

std::string CellsJson(const TCellPositions& Cells)
{
    std::string Json = "[";
    for (const TCellPos& Cell : Cells)
        Json += (Json.size() > 1 ? ", [" : "[") + std::to_string(Cell.Column) + ", " + std::to_string(Cell.Row) + "]";
    return Json + "]";
}

} // namespace

std::string ParsePlayOptions(const std::map<std::string, std::string>& Values, TPlayOptions& Options)
{
    if (const auto Given = Values.find("--seconds"); Given != Values.end()) {
        const std::optional<int> Seconds = WholeNumber<int>(Given->second);
        if (!Seconds || *Seconds < 1 || *Seconds > MaxSeconds)
            return "--seconds must be a whole number from 1 to " + std::to_string(MaxSeconds) + ", not '" +
                Given->second + "'";
        Options.Seconds = *Seconds;
    }
    if (const auto Given = Values.find("--seed"); Given != Values.end()) {
        const std::optional<std::uint64_t> Seed = WholeNumber<std::uint64_t>(Given->second);
        if (!Seed)
            return "--seed must be a whole number from 0 to " +
                std::to_string(std::numeric_limits<std::uint64_t>::max()) + ", not '" + Given->second + "'";
        Options.Seed = *Seed;
    }
    return {};
}

int LintLevels(const std::vector<std::string>& Files, std::ostream& Out, std::ostream& Err)
{
    int Status = ExitOk;
    for (const std::string& File : Files) {
        TLevelData Level;
        if (!ReadLevel(File, Level, Err)) {
            Status = ExitTrouble;
            continue;
        }
        std::vector<std::tuple<int, int, std::string>> Lines;
        for (const TLevelProblem& Problem : LevelProblems(Level)) {
            if (Problem.Cells.empty())
                Lines.emplace_back(1, 1, Problem.Text);
            for (const TCellPos& Cell : Problem.Cells)
                Lines.emplace_back(Cell.Row + 1, 2 * Cell.Column + 1, ProblemCellText(Problem.Kind));
        }
        std::stable_sort(Lines.begin(), Lines.end(), [](const auto& A, const auto& B) {
            return std::tie(std::get<0>(A), std::get<1>(A)) < std::tie(std::get<0>(B), std::get<1>(B));
        });
        for (const auto& [Line, Column, Text] : Lines)
            Out << File << ':' << Line << ':' << Column << ": warning: " << Text << '\n';
        if (!Lines.empty())
            Status = std::max(Status, ExitNotCanonical);
    }
    return Status;
}

std::string PlayLine(const TAutoplayResult& Result)
{
    if (Result.Cleared)
        return "cleared in " + SecondsText(Result.Seconds()) + " s of play";
    return "not cleared after " + SecondsText(Result.Seconds()) + " s: " + std::to_string(Result.BricksLeft) +
        (Result.BricksLeft == 1 ? " brick" : " bricks") + " left";
}

int PlayLevelFile(const std::string& File, const TPlayOptions& Options, std::ostream& Out, std::ostream& Err)
{
    TLevelData Level;
    if (!ReadLevel(File, Level, Err))
        return ExitTrouble;
    const TAutoplayResult Result = Autoplay(Level, Options.Seconds, Options.Seed);
    Out << PlayLine(Result) << '\n';
    return Result.Cleared ? ExitOk : ExitNotCanonical;
}

TPlayability DescribePlayability(const TLevelData& Level, bool Play)
{
    TPlayability Playability{LevelProblems(Level), std::nullopt};
    if (Play)
        Playability.Play = Autoplay(Level, TPlayOptions{}.Seconds, TPlayOptions{}.Seed);
    return Playability;
}

std::string PlayabilityText(const TPlayability& Playability)
{
    std::string Text =
        "problems: " + (Playability.Problems.empty() ? "none" : std::to_string(Playability.Problems.size())) + "\n";
    for (const TLevelProblem& Problem : Playability.Problems) {
        Text += "  " + Problem.Text + (Problem.Cells.empty() ? "" : ":");
        for (const TCellPos& Cell : Problem.Cells)
            AddCellText(Text, Cell);
        Text += "\n";
    }
    if (Playability.Play)
        Text += "play: " + PlayLine(*Playability.Play) + "\n";
    return Text;
}

std::string PlayabilityJson(const TPlayability& Playability)
{
    // The problems' names and texts are plain ASCII without quotes or backslashes, so they need no escapes.
    std::string Json = ",\n  \"unreachable\": ";
    TCellPositions Unreachable;
    std::string Problems;
    for (const TLevelProblem& Problem : Playability.Problems) {
        if (Problem.Kind == TLevelProblemKind::UnreachableBricks)
            Unreachable = Problem.Cells;
        Problems += std::string(Problems.empty() ? "\n" : ",\n") + "    {\"name\": \"" + ProblemName(Problem.Kind) +
            "\", \"text\": \"" + Problem.Text + "\", \"cells\": " + CellsJson(Problem.Cells) + "}";
    }
    Json += CellsJson(Unreachable) + ",\n  \"problems\": [" + Problems + (Problems.empty() ? "]" : "\n  ]");
    if (const std::optional<TAutoplayResult>& Play = Playability.Play)
        Json += ",\n  \"play\": {\"cleared\": " + std::string(Play->Cleared ? "true" : "false") +
            ", \"seconds\": " + SecondsText(Play->Seconds()) + ", \"bricksLeft\": " + std::to_string(Play->BricksLeft) +
            "}";
    return Json;
}

int PlayLevel(const TParsed& Parsed, std::ostream& Out, std::ostream& Err)
{
    if (Parsed.Positional.size() != 1)
        return UsageError(Err, "play", "give exactly one file");
    TPlayOptions Play;
    if (const std::string Error = ParsePlayOptions(Parsed.Values, Play); !Error.empty())
        return UsageError(Err, "play", Error);
    return PlayLevelFile(Parsed.Positional.front(), Play, Out, Err);
}
