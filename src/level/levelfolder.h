#pragma once

// The level folder: listing its files and naming new levels.

#include <string>
#include <vector>

// Names (without folder) of every entry of Folder whose name ends in ".txt", compared case-insensitively:
// files, hidden files and folders alike. Sorted by name without regard to case, as the shipped
// platform's file system delivers them. A folder that is missing or cannot be read gives an empty list.
std::vector<std::string> ListLevelFolder(const std::string& Folder);

// Whether Name ends in ".txt", compared case-insensitively: the names the level list shows.
bool IsLevelFileName(const std::string& Name);

// The list's order of names: without regard to case, names that differ only in case in byte order.
bool LevelNameLess(const std::string& A, const std::string& B);

// The number in a level file name: the name is cut at its first ".", characters above "9" are stripped
// from its front, and the rest is read as a 32-bit number the way the run-time library's Val reads it:
// leading blanks, one sign, "$" / "x" / "X" / "0x" / "0X" for hexadecimal, stopping at the first
// character it cannot use (0 when nothing was read). Reading also stops before a digit that would take
// the value beyond the 32-bit range, keeping the value read so far.
int LevelNumberOf(const std::string& FileName);

// ExeDir + "data/levels/level<N>.txt", "/" turned into the platform's separator; ExeDir ends with a
// separator. N is one above the largest number among Taken and at least 1, then raised past every N whose
// name "level<N>.txt" Taken holds, so the result never names an entry of Taken. N is counted in 64 bits:
// above the 32-bit numbers that LevelNumberOf reads, the names already taken keep it moving on.
std::string NextLevelFileName(const std::vector<std::string>& Taken, const std::string& ExeDir);

// Names of new levels tried in one Save before it gives up: each one was taken between the count and the
// write, so more than a few means something keeps creating them.
constexpr int NewLevelNameAttempts = 100;
// The name alone, "level<N>.txt", chosen as NextLevelFileName chooses it.
std::string NextLevelName(const std::vector<std::string>& Taken);
