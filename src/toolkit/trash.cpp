#include "trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Takes back a move Qt filed under the current folder, into "files" beside an "info" folder of its
// making, and leaves those folders as it found them when they are empty.
bool TakeBack(const QString& Stray, const QString& Path)
{
    if (QFileInfo::exists(Path) || !QFile::rename(Stray, Path))
        return false;
    const QFileInfo Moved(Stray);
    QDir Trash = Moved.absoluteDir();
    Trash.cdUp();
    QFile::remove(Trash.filePath(QStringLiteral("info/") + Moved.fileName() + QStringLiteral(".trashinfo")));
    Trash.rmdir(QStringLiteral("files"));
    Trash.rmdir(QStringLiteral("info"));
    return true;
}

} // namespace

QString MoveToTrash(const QString& Path)
{
    QFile File(Path);
    if (!File.moveToTrash())
        return File.errorString();
    // Qt 6.4 reports success when it cannot make the trash folder, having moved the file to "files" under
    // the current folder instead: that is no trash, and the file goes back.
    if (QFileInfo(File.fileName()).isAbsolute())
        return {};
    if (!TakeBack(File.fileName(), Path))
        return QStringLiteral("No trash folder can be made, and the file was left at ") +
            QDir::toNativeSeparators(QFileInfo(File.fileName()).absoluteFilePath());
    return QStringLiteral("No trash folder can be made");
}
