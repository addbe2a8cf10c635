#pragma once

// Helpers shared by every level test, the QtTest programs and the GoogleTest ones alike: standard library
// only, so that the tests built for Windows and run under Wine use them too. Whole level records given in
// the file's own characters and shown in failure messages, file bytes, folder listings and snapshots, the
// code and text of a failed call, and a guard for the file layer's test seams.

#include "folderentries.h"
#include "inouterror.h"
#include "leveldata.h"
#include "levelset.h"
#include "safefile.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace LevelTestTools {

namespace fs = std::filesystem;

// The file's characters by code, written out rather than read from the kinds table, which they check.
inline const std::string BrickChars = ".123456789#";
inline const std::string PowerUpChars = ".SELFIW";

// A loaded, unchanged record; a short row is padded with empty cells. Only valid characters may appear.
// Rows is any list of byte strings: std::string, or QByteArray in the Qt tests.
template <class TRows = std::vector<std::string>>
TLevelData RecordFromRows(const TRows& Rows, const std::string& Trailer, const std::string& FileName)
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.FileName = FileName;
    Level.TrailerText = Trailer;
    for (int Row = 0; Row < static_cast<int>(Rows.size()); ++Row)
        for (int At = 0; At < static_cast<int>(Rows[Row].size()); ++At) {
            TLevelCell& Cell = Level.Cells[At / 2][Row];
            (At % 2 ? Cell.PowerUp : Cell.Brick) =
                static_cast<std::uint8_t>((At % 2 ? PowerUpChars : BrickChars).find(Rows[Row][At]));
        }
    return Level;
}

// The rows of a level in the file's characters, "?" for a code outside the ranges.
inline std::vector<std::string> RowsOf(const TLevelData& Level)
{
    std::vector<std::string> Rows(LevelRows);
    for (int Row = 0; Row < LevelRows; ++Row)
        for (const TLevelColumn& Column : Level.Cells) {
            Rows[Row] += Column[Row].Brick < BrickChars.size() ? BrickChars[Column[Row].Brick] : '?';
            Rows[Row] += Column[Row].PowerUp < PowerUpChars.size() ? PowerUpChars[Column[Row].PowerUp] : '?';
        }
    return Rows;
}

// A loaded, unchanged level in which every row differs and every code appears, with the trailer "Trail".
inline TLevelData FilledLevel(const std::string& FileName)
{
    TLevelData Level = RecordFromRows({}, "Trail", FileName);
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column)
            Level.Cells[Column][Row] = {static_cast<std::uint8_t>((Row + Column) % 11),
                                        static_cast<std::uint8_t>((Column + 2 * Row) % 7)};
    return Level;
}

// Bytes as a failure message can show them: control characters and those above ASCII as \xHH.
inline std::string Printable(const std::string& Bytes)
{
    std::string Text;
    for (const char C : Bytes) {
        const auto Byte = static_cast<unsigned char>(C);
        if (Byte >= 0x20 && Byte < 0x7F) {
            Text += C;
        } else {
            char Escaped[5];
            std::snprintf(Escaped, sizeof Escaped, "\\x%02X", Byte);
            Text += Escaped;
        }
    }
    return Text;
}

// A whole record for failure messages: flags, names and the rows.
inline std::string Described(const TLevelData& Level)
{
    std::string Text = "Loaded=" + std::to_string(Level.Loaded) + " Changed=" + std::to_string(Level.Changed) +
        " FileName=\"" + Printable(Level.FileName) + "\" TrailerText=\"" + Printable(Level.TrailerText) + "\"";
    for (const std::string& Row : RowsOf(Level))
        Text += "\n  " + Row;
    return Text;
}

inline std::string ReadBytes(const fs::path& Path)
{
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        return "<cannot open " + Path.string() + ">";
    std::ostringstream Bytes;
    Bytes << In.rdbuf();
    return Bytes.str();
}

inline bool WriteBytes(const fs::path& Path, const std::string& Bytes)
{
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << Bytes;
    Out.close();
    return !Out.fail();
}

// Every name in a folder, hidden ones included, so that a left-over temporary file shows.
inline std::vector<std::string> Listing(const fs::path& Folder)
{
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Folder))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

// Every entry of a folder with what it holds, so that a failure shows the whole folder: a file's bytes
// (a NUL shown as "|"), a link's target, a folder's own entries after its "/".
inline std::vector<std::string> Snapshot(const fs::path& Folder)
{
    std::vector<std::string> Entries;
    for (const std::string& Name : Listing(Folder)) {
        const fs::path Path = Folder / Name;
        const fs::file_status Status = fs::symlink_status(Path);
        if (fs::is_symlink(Status)) {
            Entries.push_back(Name + " -> " + fs::read_symlink(Path).string());
        } else if (fs::is_directory(Status)) {
            std::string Entry = Name + "/";
            for (const std::string& Inside : Listing(Path))
                Entry += " " + Inside;
            Entries.push_back(Entry);
        } else {
            std::string Bytes = ReadBytes(Path);
            std::replace(Bytes.begin(), Bytes.end(), '\0', '|');
            Entries.push_back(Name + ": " + Bytes);
        }
    }
    return Entries;
}

// "code text" of the EInOutError that Call throws, or what it did instead.
template <typename TCall> std::string FailureOf(TCall Call)
{
    try {
        Call();
    } catch (const EInOutError& Error) {
        return std::to_string(Error.ErrorCode()) + " " + Error.what();
    } catch (const std::exception& Error) {
        return std::string("another exception: ") + Error.what();
    } catch (...) {
        return "another exception";
    }
    return "no error";
}

// Removes every test seam of the file layer when a test ends, however it ends.
struct THookGuard {
    THookGuard() = default;
    THookGuard(const THookGuard&) = delete;
    THookGuard& operator=(const THookGuard&) = delete;
    ~THookGuard()
    {
        SetExchangeStepHook({});
        SetSystemRenameHook({});
        SetBeforeCreateHook({});
        SetFolderSyncHook({});
    }
};

#ifndef _WIN32
// Runs Body in a child process, so that limits and identities set there stay there, and returns its exit
// code. _exit skips the test framework's and the sanitizers' exit work.
template <typename TBody> int InChild(TBody Body)
{
    const pid_t Child = fork();
    if (Child == 0)
        _exit(Body());
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 1000 + WTERMSIG(Status);
}
#endif

} // namespace LevelTestTools
