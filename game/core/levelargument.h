#pragma once

#include <string>
#include <vector>

// The game's command line: exactly one argument, --level=NAME, naming a file in data/levels/.
struct TLevelArgument {
    std::string LevelName; // set when Error is empty
    std::string Error; // a sentence for the player when the command line is not usable

    bool Ok() const { return Error.empty(); }
};

// Arguments without the program's own name. NAME must be a bare file name: no folder part, no "..",
// so the game never reads outside its level folder.
TLevelArgument ParseLevelArgument(const std::vector<std::string>& Arguments);

// Where the level named on the command line lies, relative to the game directory.
std::string LevelPath(const std::string& LevelName);
