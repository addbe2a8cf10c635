#pragma once

// zolvane-level's commands for levels kept in git: show (the text git diff compares), diff (with a
// picture), merge (git's merge driver) and git-setup (which registers both with git).

#include "leveldata.h"
#include "fieldpainter.h"

#include <QImage>

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

// diff: the levels differ; merge: some cell or the trailer conflicts. 0 and 2 are as for every command.
constexpr int ExitDifferent = 1;

struct TGitCommand {
    const char* Name;
    const char* Help;
    std::vector<std::string> Valued; // its options, each with a value
    std::size_t Files; // how many file arguments it takes
    const char* FilesError; // the usage error when that number is wrong
};

// The command of that name, or nullptr when it is not one of these.
const TGitCommand* FindGitCommand(const std::string& Name);

// Runs Command once the shared parser has checked the options and the number of files.
int RunGitCommand(const TGitCommand& Command, const std::vector<std::string>& Files,
                  const std::map<std::string, std::string>& Values, const std::string& DefaultImagesDir,
                  std::ostream& Out, std::ostream& Err);

// "column C, row R: BRICK[, POWER-UP]" for each cell that holds something, row by row, then "trailer: TEXT".
std::string LevelShowText(const TLevelData& Level);
int ShowLevelFile(const std::string& File, std::ostream& Out, std::ostream& Err);

// The diff picture: OLD, a gap, NEW, each as RenderLevel draws it, with a frame inside every changed cell.
constexpr int DiffPictureGap = 10;
constexpr int DiffFrameWidth = 2;
constexpr QRgb DiffGapColour = qRgb(64, 64, 64);
constexpr QRgb DiffFrameColour = qRgb(255, 0, 255);
QImage DiffPicture(const TLevelData& Old, const TLevelData& New, const TFieldPictures& Pictures);

// Png empty: no picture. Exit status 0 same, 1 different, 2 trouble.
int DiffLevelFiles(const std::string& OldFile, const std::string& NewFile, const std::string& Png,
                   const std::string& ImagesDir, std::ostream& Out, std::ostream& Err);

// Writes the merge of the three files to Ours; Name is the level's name in the conflict lines.
int MergeLevelFiles(const std::string& Base, const std::string& Ours, const std::string& Theirs,
                    const std::string& Name, std::ostream& Out, std::ostream& Err);

// In the git work tree around the current folder: registers Tool as the merge driver and the diff textconv,
// and adds the attributes line to the current folder's .gitattributes unless it is there.
int SetUpGit(const std::string& Tool, std::ostream& Out, std::ostream& Err);
