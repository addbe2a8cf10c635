#pragma once

// zolvane-level info: what a level holds, as text or JSON.

#include "leveldata.h"

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

extern const char* const InfoHelp;

struct TLevelInfo {
    std::string File;
    std::vector<std::pair<std::string, int>> Bricks; // every brick kind's name, in catalogue order
    std::vector<std::pair<std::string, int>> PowerUps;
    int BrickCount = 0;
    int PowerUpCount = 0;
    int Breakable = 0;
    int Hits = 0; // to clear the level: every breakable brick's hits, the fixed ones not counted
    bool Symmetric = false; // the right half mirrors the left, bricks and power-ups alike
    std::string Trailer;
};

TLevelInfo DescribeLevel(const TLevelData& Level);
std::string InfoText(const TLevelInfo& Info);
// MoreKeys, each begun with ",\n", go after the trailer.
std::string InfoJson(const TLevelInfo& Info, const std::string& MoreKeys = {});

// Describes each file; with several, text blocks begin with "file: NAME" and JSON is an array of the
// objects. Files that cannot be read are named on Err and left out; the others are still described.
// With Play, also each play-through's outcome.
int InfoLevelFiles(const std::vector<std::string>& Files, bool Json, std::ostream& Out, std::ostream& Err,
                   bool Play = false);
