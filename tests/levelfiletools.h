#pragma once

// Helpers shared by the level file tests: records given in the file's own characters, file bytes,
// folder listings, child processes, and readable failure output for whole records.

#include "elementkinds.h"
#include "leveldata.h"
#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <string>
#include <string_view>

#include <sys/wait.h>
#include <unistd.h>

namespace LevelFileTools {

// The file character of every code, indexed by code: the kinds table read back.
inline std::string FileCharsByCode(char (*CharOf)(std::uint8_t))
{
    std::string Chars;
    for (std::uint8_t Code = 0; CharOf(Code) != '\0'; ++Code)
        Chars += CharOf(Code);
    return Chars;
}
inline const std::string BrickChars = FileCharsByCode(BrickCharOf);
inline const std::string PowerUpChars = FileCharsByCode(PowerUpCharOf);

// A loaded, unchanged record; a short row is padded with empty cells. Only valid characters may appear.
inline TLevelData RecordFromRows(const QList<QByteArray>& Rows, const std::string& Trailer, const std::string& FileName)
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.FileName = FileName;
    Level.TrailerText = Trailer;
    for (int Row = 0; Row < Rows.size(); ++Row)
        for (int At = 0; At < Rows[Row].size(); ++At) {
            TLevelCell& Cell = Level.Cells[At / 2][Row];
            (At % 2 ? Cell.PowerUp : Cell.Brick) =
                static_cast<std::uint8_t>((At % 2 ? PowerUpChars : BrickChars).find(Rows[Row][At]));
        }
    return Level;
}

// The rows of a level in which every row differs and every code appears.
inline QList<QByteArray> CanonicalRows()
{
    QList<QByteArray> Rows(LevelRows);
    for (int I = 0; I < LevelRows; ++I)
        for (int Column = 0; Column < LevelColumns; ++Column)
            Rows[I] += QByteArray(1, BrickChars[(I + Column) % 11]) + PowerUpChars[(Column + 2 * I) % 7];
    return Rows;
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

inline QByteArray ReadBytes(const QString& Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : "<cannot open " + Path.toUtf8() + ">";
}

inline bool WriteBytes(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    return File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size();
}

// Everything in a folder, hidden files included, so a left-over temporary file shows.
inline QStringList Listing(const QString& Folder)
{
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Every entry of a folder with what it holds: a file's bytes, a link's target, a folder's entries.
inline QStringList Snapshot(const QString& Folder)
{
    QStringList Entries;
    for (const QString& Name : Listing(Folder)) {
        const QFileInfo Info(Folder + "/" + Name);
        if (Info.isSymLink())
            Entries += Name + " -> " + QFile::symLinkTarget(Info.filePath());
        else if (Info.isDir())
            Entries += Name + "/ " + Listing(Info.filePath()).join(' ');
        else
            Entries += Name + ": " + QString::fromLatin1(ReadBytes(Info.filePath()).toPercentEncoding(" :#."));
    }
    return Entries;
}

inline std::string Path(const QString& Text) { return Text.toStdString(); }

// Runs Body in a child process, so that limits and identities set there stay there, and returns its exit
// code. _exit skips the test framework's and the sanitizers' exit work.
template <typename TBody>
int InChild(TBody Body)
{
    const pid_t Child = fork();
    if (Child == 0)
        _exit(Body());
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 1000 + WTERMSIG(Status);
}

// Removes the safe file layer's test hooks when a test ends, however it ends.
struct THookGuard {
    THookGuard() = default;
    THookGuard(const THookGuard&) = delete;
    THookGuard& operator=(const THookGuard&) = delete;
    ~THookGuard()
    {
        SetBeforeCreateHook({});
        SetFolderSyncHook({});
    }
};

} // namespace LevelFileTools

// Shown by QCOMPARE when two records differ: flags, names and the rows ("?" for a code outside the ranges).
inline char* toString(const TLevelData& Level)
{
    using namespace LevelFileTools;
    QByteArray Text = "Loaded=" + QByteArray::number(Level.Loaded) + " Changed=" + QByteArray::number(Level.Changed)
        + " FileName=\"" + QByteArray::fromStdString(Level.FileName) + "\" TrailerText=\""
        + QByteArray::fromStdString(Level.TrailerText).toPercentEncoding(" :") + "\"";
    for (int Row = 0; Row < LevelRows; ++Row) {
        Text += "\n  ";
        for (const TLevelColumn& Column : Level.Cells) {
            Text += Column[Row].Brick < BrickChars.size() ? BrickChars[Column[Row].Brick] : '?';
            Text += Column[Row].PowerUp < PowerUpChars.size() ? PowerUpChars[Column[Row].PowerUp] : '?';
        }
    }
    return qstrdup(Text.constData());
}
