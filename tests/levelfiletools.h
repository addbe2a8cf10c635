#pragma once

// The Qt side of the level test helpers (leveltesttools.h): the same helpers in Qt's types, rows as byte
// arrays to build files from, and whole records in QCOMPARE's failure messages.

#include "folderlock.h"
#include "leveltesttools.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace LevelFileTools {

using LevelTestTools::BrickChars;
using LevelTestTools::FilledLevel;
using LevelTestTools::InChild;
using LevelTestTools::PowerUpChars;
using LevelTestTools::RecordFromRows;
using LevelTestTools::THookGuard;

inline QList<QByteArray> ByteRows(const std::vector<std::string>& Rows)
{
    QList<QByteArray> Bytes;
    for (const std::string& Row : Rows)
        Bytes += QByteArray::fromStdString(Row);
    return Bytes;
}

inline QStringList Names(const std::vector<std::string>& Names)
{
    QStringList List;
    for (const std::string& Name : Names)
        List += QString::fromStdString(Name);
    return List;
}

// The rows of FilledLevel: every row differs and every code appears.
inline QList<QByteArray> CanonicalRows()
{
    return ByteRows(LevelTestTools::RowsOf(FilledLevel("")));
}

// Ten valid rows with a brick in every cell, so that no power-up sits on an empty cell: a level file made
// of them and CR LF line ends has nothing for a checker to note.
inline QList<QByteArray> BrickRows()
{
    QList<QByteArray> Rows(LevelRows);
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column)
            Rows[Row] += QByteArray(1, BrickChars[1 + (Row + Column) % 10]) + PowerUpChars[(Row + 2 * Column) % 7];
    return Rows;
}

inline QByteArray Joined(const QList<QByteArray>& Lines, const QByteArray& End = "\r\n")
{
    return Lines.join(End) + (Lines.isEmpty() ? "" : End);
}

inline std::string_view View(const QByteArray& Bytes)
{
    return {Bytes.constData(), static_cast<std::size_t>(Bytes.size())};
}

inline std::string Path(const QString& Text)
{
    return Text.toStdString();
}

inline QByteArray ReadBytes(const QString& File)
{
    return QByteArray::fromStdString(LevelTestTools::ReadBytes(Path(File)));
}

inline bool WriteBytes(const QString& File, const QByteArray& Bytes)
{
    return LevelTestTools::WriteBytes(Path(File), Bytes.toStdString());
}

inline QStringList Listing(const std::filesystem::path& Folder)
{
    return Names(LevelTestTools::Listing(Folder));
}
inline QStringList Listing(const QString& Folder)
{
    return Listing(std::filesystem::path(Path(Folder)));
}

// A file's bytes read one to one as Latin-1, so that any byte shows.
inline QStringList Snapshot(const QString& Folder)
{
    QStringList Entries;
    for (const std::string& Entry : LevelTestTools::Snapshot(Path(Folder)))
        Entries += QString::fromLatin1(Entry.data(), static_cast<qsizetype>(Entry.size()));
    return Entries;
}

template <typename TCall> QString FailureOf(TCall Call)
{
    return QString::fromStdString(LevelTestTools::FailureOf(Call));
}

} // namespace LevelFileTools

// Shown by QCOMPARE when two records differ.
inline char* toString(const TLevelData& Level)
{
    return qstrdup(LevelTestTools::Described(Level).c_str());
}

// Writers give up on a held folder lock after TimeoutMs rather than the usual wait, until this ends.
class TFolderLockTimeout {
public:
    explicit TFolderLockTimeout(int TimeoutMs) : FWas(FolderLockTimeoutMs()) { SetFolderLockTimeoutMs(TimeoutMs); }
    ~TFolderLockTimeout() { SetFolderLockTimeoutMs(FWas); }
    TFolderLockTimeout(const TFolderLockTimeout&) = delete;
    TFolderLockTimeout& operator=(const TFolderLockTimeout&) = delete;

private:
    int FWas;
};
