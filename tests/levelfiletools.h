#pragma once

// Helpers shared by the level file tests: records written as the file's own characters, file bytes,
// folder listings, and readable failure output for whole records.

#include "leveldata.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTest>

#include <string>

namespace LevelFileTools {

inline const std::string BrickChars = ".123456789#";
inline const std::string PowerUpChars = ".SELFIW";

// A loaded, unchanged record whose rows are given in the file's characters (a short row is padded
// with empty cells; only valid characters may appear).
inline TLevelData RecordFromRows(const QList<QByteArray>& Rows, const std::string& Trailer, const std::string& FileName)
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.FileName = FileName;
    Level.TrailerText = Trailer;
    for (int Row = 0; Row < Rows.size(); ++Row) {
        const QByteArray& Line = Rows[Row];
        for (int Column = 0; Column * 2 < Line.size(); ++Column) {
            Level.Cells[Column][Row].Brick = static_cast<std::uint8_t>(BrickChars.find(Line[Column * 2]));
            if (Column * 2 + 1 < Line.size())
                Level.Cells[Column][Row].PowerUp = static_cast<std::uint8_t>(PowerUpChars.find(Line[Column * 2 + 1]));
        }
    }
    return Level;
}

// Row I of a level in which every row differs and every code appears.
inline QByteArray CanonicalRow(int I)
{
    QByteArray Row;
    for (int Column = 0; Column < LevelColumns; ++Column) {
        Row += BrickChars[static_cast<std::size_t>((I + Column) % 11)];
        Row += PowerUpChars[static_cast<std::size_t>((Column + 2 * I) % 7)];
    }
    return Row;
}

inline QList<QByteArray> CanonicalRows(int Count = LevelRows)
{
    QList<QByteArray> Rows;
    for (int I = 0; I < Count; ++I)
        Rows << CanonicalRow(I);
    return Rows;
}

inline QByteArray Joined(const QList<QByteArray>& Lines, const QByteArray& End = "\r\n")
{
    QByteArray Text;
    for (const QByteArray& Line : Lines)
        Text += Line + End;
    return Text;
}

inline QByteArray ReadBytes(const QString& Path)
{
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly))
        return "<cannot open " + Path.toUtf8() + ">";
    return File.readAll();
}

inline bool WriteBytes(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    return File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size();
}

// Everything in a folder, hidden files included, so a left-over temporary file shows.
inline QStringList Listing(const QString& Folder)
{
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

inline std::string Path(const QString& Text) { return Text.toStdString(); }

} // namespace LevelFileTools

// Shown by QCOMPARE when two records differ: flags, names and the rows in the file's characters
// ("?" for a code outside the ranges).
inline char* toString(const TLevelData& Level)
{
    QByteArray Text = "Loaded=" + QByteArray::number(Level.Loaded) + " Changed=" + QByteArray::number(Level.Changed)
        + " FileName=\"" + QByteArray::fromStdString(Level.FileName) + "\" TrailerText=\""
        + QByteArray::fromStdString(Level.TrailerText).toPercentEncoding(" :") + "\"";
    for (int Row = 0; Row < LevelRows; ++Row) {
        Text += "\n  ";
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            Text += Cell.Brick < LevelFileTools::BrickChars.size() ? LevelFileTools::BrickChars[Cell.Brick] : '?';
            Text += Cell.PowerUp < LevelFileTools::PowerUpChars.size() ? LevelFileTools::PowerUpChars[Cell.PowerUp]
                                                                       : '?';
        }
    }
    return qstrdup(Text.constData());
}
