#pragma once

// zolvane-level: check, format, render and describe level files from the command line. Each subcommand
// is a function that writes to the given streams and returns the exit status, so tests run them in-process.

#include "leveldata.h"
#include "levelwriters.h"

#include <exception>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Exit statuses: every file canonical (or the command done), some file not canonical, a usage error or a
// file that cannot be read or written.
constexpr int ExitOk = 0;
constexpr int ExitNotCanonical = 1;
constexpr int ExitTrouble = 2;

// The whole command line after the program name. DefaultImagesDir is used by render without --images.
int RunLevelTool(const std::vector<std::string>& Args, const std::string& DefaultImagesDir, std::ostream& Out,
                 std::ostream& Err);

// A command's arguments after its name: the files, the options without a value and those with one, each
// under its name as given ("-o" and "--output" stay apart).
struct TParsed {
    std::vector<std::string> Positional;
    std::set<std::string> Flags;
    std::map<std::string, std::string> Values;
};

// Says "zolvane-level COMMAND: MESSAGE" and how to get help on Err; returns ExitTrouble.
int UsageError(std::ostream& Err, const std::string& Command, const std::string& Message);

// Reads File into Level as the editor opens it, or says on Err why it cannot be read.
bool ReadLevel(const std::string& File, TLevelData& Level, std::ostream& Err);

// A level file's bytes, or nothing with Error set to the operating system's reason.
std::optional<std::string> ReadLevelBytes(const std::string& Path, std::string& Error);

// Why Path cannot be read as a level file (missing, a folder, a pipe), in the system's words; empty when
// it is a regular file.
std::string UnreadableReason(const std::string& Path);

// Says "PATH: error: cannot read: REASON" on Err for a path that cannot be read; true when it can.
bool ReadableOrSay(const std::string& Path, std::ostream& Err);

// A failure's text for the user: an exhausted memory says so in words.
std::string FailureText(const std::exception& Failure);

// One "FILE:LINE:COLUMN: warning: TEXT" line per note of each file, the first ListedNotesLimit of them.
// A file that cannot be read, or not in the memory left, is named on Err; the others are still checked.
int CheckLevels(const std::vector<std::string>& Files, std::ostream& Out, std::ostream& Err);

// Rewrites each file that is not canonical with the safe save under its folder's lock, and names it; with
// CheckOnly, only names the files that would change. Files that do not look like levels are refused
// unless Force is given.
int FormatLevels(const std::vector<std::string>& Files, const TFormatOptions& Options, std::ostream& Out,
                 std::ostream& Err);
