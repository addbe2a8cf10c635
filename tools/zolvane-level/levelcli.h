#pragma once

// zolvane-level: check, format, render and describe level files from the command line. Each subcommand
// is a function that writes to the given streams and returns the exit status, so tests run them in-process.

#include "leveldata.h"
#include "levelwriters.h"

#include <exception>
#include <iosfwd>
#include <optional>
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

int RenderLevelFile(const std::string& File, const std::string& Output, int Scale, const std::string& ImagesDir,
                    std::ostream& Err);

struct TLevelInfo {
    std::vector<std::pair<std::string, int>> Bricks; // every brick kind's name, in catalogue order
    std::vector<std::pair<std::string, int>> PowerUps;
    int BrickCount = 0;
    int PowerUpCount = 0;
    int Breakable = 0;
    bool Symmetric = false; // the right half mirrors the left, bricks and power-ups alike
    std::string Trailer;
};

TLevelInfo DescribeLevel(const TLevelData& Level);
std::string InfoText(const TLevelInfo& Info);
std::string InfoJson(const TLevelInfo& Info);

int InfoLevelFile(const std::string& File, bool Json, std::ostream& Out, std::ostream& Err);
