#pragma once

// The names in a folder: where a path's name begins, claiming a name only while it is free, swapping two
// names in one step where the system can, and making a changed name durable.

#include <functional>
#include <string>

// Where the last part of Path, its name, begins: just after the last separator, or 0.
std::string::size_type NameStartOf(const std::string& Path);

// Gives the file From the name To, only when To names nothing: returns false, changing nothing, when To
// is taken by a file, a folder, a link (dangling or not) or anything else. The name is not yet durable
// (see SyncFolderOf). Throws EInOutError on any other failure.
bool RenameExclusively(const std::string& From, const std::string& To);

// Throws the system's "file exists" error for Path, the failure of a name found taken.
[[noreturn]] void ThrowNameTaken(const std::string& Path);

// Swaps the names A and B in one step, so that no one ever sees either missing. False, changing nothing,
// where the system or the file system has no such call (always on Windows). Throws EInOutError when the
// call fails for another reason.
bool ExchangeNamesAtomically(const std::string& A, const std::string& B);

// Makes the entry naming Path durable by syncing the folder that holds it. Windows needs nothing here:
// its moves and creations are written through before they return.
void SyncFolderOf(const std::string& Path);

// Whether Path names anything, a dangling link too. Throws EInOutError when that cannot be told.
bool EntryExists(const std::string& Path);

// Removes the file Path; a name already gone is no failure. Throws EInOutError.
void RemoveEntry(const std::string& Path);

// Hides Path from the system's file browsers where hiding is a mark (Windows); elsewhere a leading "." in
// the name hides it and this does nothing. Throws EInOutError.
void HideEntry(const std::string& Path);

// Test seams. Pass an empty function to remove a hook.
// Called with the folder about to be synced after a file in it was replaced or created; returning an errno
// other than 0 makes the sync fail with it instead of running.
using TFolderSyncHook = std::function<int(const std::string& Folder)>;
void SetFolderSyncHook(TFolderSyncHook Hook);

// Called just before the system's one-step rename (the exchange, or the rename that never replaces);
// returning an errno other than 0 makes the call fail with it instead of running: EINVAL stands for a
// file system that lacks the call. Never called on Windows, which has neither.
enum class TSystemRename { Exchange, NoReplace };
using TSystemRenameHook = std::function<int(TSystemRename Call)>;
void SetSystemRenameHook(TSystemRenameHook Hook);
