#pragma once

// The safe file layer: whole-file writes that never leave a half-written level behind, and the identity
// of a file on disk, so that the editor can tell when someone else replaced a level it has open.

#include <cstdint>
#include <string>

// What identifies one version of a file: where it lives and when and how large it was last written.
// A file that does not exist has Exists false and every other field 0.
struct TFileIdentity {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0;

    friend bool operator==(const TFileIdentity&, const TFileIdentity&) = default;
};

// The identity of the file Path names, following symbolic links as a save does. Throws EInOutError when
// the file's state cannot be read for another reason than its absence.
TFileIdentity FileIdentityOf(const std::string& Path);

// Replaces Path's contents with Text atomically: afterwards the file holds either all of Text or exactly
// what it held before. Throws EInOutError on failure.
void ReplaceFileContents(const std::string& Path, const std::string& Text);

// Creates Path holding Text, only when no file of that name exists; returns false, writing nothing, when
// the name is taken. Throws EInOutError on any other failure.
bool CreateFileExclusively(const std::string& Path, const std::string& Text);

// Test seams. The hook set here is called with the path just before CreateFileExclusively claims it, so a
// test can make the name taken at the last moment. Pass an empty function to remove it.
#include <functional>
using TBeforeCreateHook = std::function<void(const std::string& Path)>;
void SetBeforeCreateHook(TBeforeCreateHook Hook);
