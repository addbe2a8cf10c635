#include "levelargument.h"

namespace {

const std::string Prefix = "--level=";
const std::string Usage = "Usage: zolvane.exe --level=NAME, where NAME is a file in data/levels/.";

TLevelArgument Failure(const std::string& Reason)
{
    return TLevelArgument{{}, Reason + " " + Usage};
}

} // namespace

TLevelArgument ParseLevelArgument(const std::vector<std::string>& Arguments)
{
    if (Arguments.empty())
        return Failure("No level given.");
    if (Arguments.size() > 1)
        return Failure("Expected one argument, got " + std::to_string(Arguments.size()) + ".");
    const std::string& Argument = Arguments.front();
    if (Argument.compare(0, Prefix.size(), Prefix) != 0)
        return Failure("Unknown argument \"" + Argument + "\".");
    const std::string Name = Argument.substr(Prefix.size());
    if (Name.empty())
        return Failure("The level name is empty.");
    // ':' would name a drive or a stream on Windows; a NUL would cut the name short.
    if (Name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos || Name.find("..") != std::string::npos ||
        Name == ".")
        return Failure("The level name \"" + Name + "\" must be a plain file name, without a folder.");
    return TLevelArgument{Name, {}};
}

std::string LevelPath(const std::string& LevelName)
{
    return "data/levels/" + LevelName;
}
