#pragma once

// zolvane-level lint and play, and what info tells of the same: the problems that make a level impossible
// to finish, and a play-through with a paddle that never misses.

#include "autoplay.h"
#include "leveldata.h"
#include "levelproblems.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

extern const char* const LintHelp;
extern const char* const PlayHelp;

struct TPlayOptions {
    double Seconds = 600; // of play, at most
    std::uint64_t Seed = 1;
};

// Reads "--seconds" and "--seed" from the parsed option values into Options; returns an error text, empty
// when they are well formed.
std::string ParsePlayOptions(const std::map<std::string, std::string>& Values, TPlayOptions& Options);

// Per problem cell "FILE:LINE:COLUMN: warning: TEXT" (LINE the row + 1, COLUMN the brick's character,
// 2 x column + 1), per level-wide problem "FILE:1:1: warning: TEXT", in the order of the places. Exit status
// 0 without problems, 1 with some, 2 when a file cannot be read (the others are still linted).
int LintLevels(const std::vector<std::string>& Files, std::ostream& Out, std::ostream& Err);

// "cleared in T s of play" or "not cleared after T s: K bricks left".
std::string PlayLine(const TAutoplayResult& Result);

// Prints the play's line; exit status 0 when the level was cleared, 1 when not, 2 when it cannot be read.
int PlayLevelFile(const std::string& File, const TPlayOptions& Options, std::ostream& Out, std::ostream& Err);
// play as the command line gives it: exactly one file and the options.
struct TParsed;
int PlayLevel(const TParsed& Parsed, std::ostream& Out, std::ostream& Err);

// What info adds to its counts: the problems, and the play when asked for.
struct TPlayability {
    std::vector<TLevelProblem> Problems;
    std::optional<TAutoplayResult> Play;
};

TPlayability DescribePlayability(const TLevelData& Level, bool Play);
std::string PlayabilityText(const TPlayability& Playability);
// The keys for info's JSON object, each line begun with ",\n".
std::string PlayabilityJson(const TPlayability& Playability);
