#pragma once

#include <QString>

// Moves the file Path to the desktop's trash: the freedesktop trash on Linux, the Recycle Bin on Windows.
// Returns an empty string when the file is in the trash, else why it is not; the file then stays where it
// was. Nothing here ever deletes a file outright.
QString MoveToTrash(const QString& Path);
