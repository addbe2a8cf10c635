#include "trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString StrayFolders[] = {QStringLiteral("files"), QStringLiteral("info")};

// Takes back a move Qt filed under the current folder, into "files" beside an "info" folder, removing
// the folders of those that Qt made (Made) once they are empty.
bool TakeBack(const QString& Stray, const QString& Path, const QList<bool>& Made)
{
    if (QFileInfo::exists(Path) || !QFile::rename(Stray, Path))
        return false;
    const QFileInfo Moved(Stray);
    QDir Trash = Moved.absoluteDir();
    Trash.cdUp();
    QFile::remove(Trash.filePath(QStringLiteral("info/") + Moved.fileName() + QStringLiteral(".trashinfo")));
    for (int I = 0; I < Made.size(); ++I)
        if (Made[I])
            Trash.rmdir(StrayFolders[I]);
    return true;
}

} // namespace

QString MoveToTrash(const QString& Path)
{
    QList<bool> Made;
    for (const QString& Folder : StrayFolders)
        Made << !QFileInfo::exists(Folder);
    QFile File(Path);
    if (!File.moveToTrash())
        return File.errorString();
    // Qt 6.4 reports success when it cannot make the trash folder, having moved the file to "files" under
    // the current folder instead: that is no trash, and the file goes back.
    if (QFileInfo(File.fileName()).isAbsolute())
        return {};
    if (!TakeBack(File.fileName(), Path, Made))
        return QStringLiteral("No trash folder can be made, and the file was left at ") +
            QDir::toNativeSeparators(QFileInfo(File.fileName()).absoluteFilePath());
    return QStringLiteral("No trash folder can be made");
}
