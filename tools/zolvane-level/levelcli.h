#pragma once

// zolvane-level: check, format, render and describe level files from the command line. Each subcommand
// is a function that writes to the given streams and returns the exit status, so tests run them in-process.

#include "leveldata.h"

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

// One "FILE:LINE:COLUMN: warning: TEXT" line per note of each file.
int CheckLevels(const std::vector<std::string>& Files, std::ostream& Out, std::ostream& Err);

// Rewrites each file that is not canonical with the safe save and names it; with CheckOnly, only names
// the files that would change.
int FormatLevels(const std::vector<std::string>& Files, bool CheckOnly, std::ostream& Out, std::ostream& Err);

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
// MoreKeys, each begun with ",\n", go after the trailer.
std::string InfoJson(const TLevelInfo& Info, const std::string& MoreKeys = {});

// With Play, also the play-through's outcome.
int InfoLevelFile(const std::string& File, bool Json, std::ostream& Out, std::ostream& Err, bool Play = false);
