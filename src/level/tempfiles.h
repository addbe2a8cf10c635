#pragma once

// The safe file layer's temporary files: how they are named, the folder they go in, and the tidying of
// those that killed saves left behind.

#include <chrono>
#include <string>

// The folder Path names its file in: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& Path);

// A name beside Target that no one else uses: ".NAME.PID-COUNT-STAMP.tmp", NAME being at most the first
// 64 characters of Target's own name. Beside it, since a rename or a link is atomic only within one file
// system, and Target's folder is the one place sure to be on Target's. Attempt makes a retry's name differ.
std::string TempNameFor(const std::string& Target, unsigned Attempt, unsigned long Process);

// Whether Name (without folder) has the form TempNameFor gives.
bool IsTempFileName(const std::string& Name);

// A temporary file this old cannot belong to a save still running: a save holds it for milliseconds.
constexpr std::chrono::hours StaleTempAge{1};

// Removes the temporary files of the form above in Folder that were last written more than StaleTempAge
// ago, and returns how many it removed. Call it only under the folder's lock: every writer holds the lock
// while its temporary file exists, so none found there is still being written. Anything that cannot be
// looked at or removed stays for the next save to try; tidying never fails a save.
int RemoveStaleTempFiles(const std::string& Folder);
