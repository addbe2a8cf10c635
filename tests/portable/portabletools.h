#pragma once

// Helpers shared by the tests that need no Qt, which run natively and, built for Windows, under Wine:
// a scratch folder, file bytes, folder listings, the code and text of a failed call, and whole level
// records in failure messages.

#include "inouterror.h"
#include "leveldata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace PortableTools {

namespace fs = std::filesystem;

inline const std::string BrickChars = ".123456789#";
inline const std::string PowerUpChars = ".SELFIW";

// A new, empty folder in the system's temporary folder, removed with everything in it.
class TScratchFolder {
public:
    TScratchFolder()
    {
        std::random_device Seed;
        for (int Attempt = 0; Attempt < 100; ++Attempt) {
            FPath = fs::temp_directory_path() / ("zolvane-test-" + std::to_string(Seed()));
            if (fs::create_directory(FPath))
                return;
        }
        throw std::runtime_error("no free scratch folder name in " + fs::temp_directory_path().string());
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    ~TScratchFolder()
    {
        // Windows will not delete a read-only file, and a test may fail before it clears the attribute.
        std::error_code Ignored;
        for (const auto& Entry : fs::recursive_directory_iterator(FPath, Ignored))
            fs::permissions(Entry.path(), fs::perms::owner_write, fs::perm_options::add, Ignored);
        fs::remove_all(FPath, Ignored);
    }

    const fs::path& Path() const { return FPath; }
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }

private:
    fs::path FPath;
};

inline std::string ReadBytes(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        return "<cannot open " + Path + ">";
    std::ostringstream Bytes;
    Bytes << In.rdbuf();
    return Bytes.str();
}

inline bool WriteBytes(const std::string& Path, const std::string& Bytes)
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
// (a NUL shown as "|"), a link's target, "/" after a folder.
inline std::vector<std::string> Snapshot(const fs::path& Folder)
{
    std::vector<std::string> Entries;
    for (const std::string& Name : Listing(Folder)) {
        const fs::path Path = Folder / Name;
        const fs::file_status Status = fs::symlink_status(Path);
        if (fs::is_symlink(Status)) {
            Entries.push_back(Name + " -> " + fs::read_symlink(Path).string());
        } else if (fs::is_directory(Status)) {
            Entries.push_back(Name + "/");
        } else {
            std::string Bytes = ReadBytes(Path.string());
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
    }
    return "no error";
}

// A loaded, unchanged record given in the file's own characters; a short row is padded with empty cells.
inline TLevelData RecordFromRows(const std::vector<std::string>& Rows, const std::string& Trailer,
                                 const std::string& FileName)
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.FileName = FileName;
    Level.TrailerText = Trailer;
    for (std::size_t Row = 0; Row < Rows.size(); ++Row)
        for (std::size_t At = 0; At < Rows[Row].size(); ++At) {
            TLevelCell& Cell = Level.Cells[At / 2][Row];
            (At % 2 ? Cell.PowerUp : Cell.Brick) =
                static_cast<std::uint8_t>((At % 2 ? PowerUpChars : BrickChars).find(Rows[Row][At]));
        }
    return Level;
}

// A level in which every row differs and every code appears, with a trailer.
inline TLevelData FilledLevel(const std::string& FileName)
{
    TLevelData Level = RecordFromRows({}, "Trail", FileName);
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column)
            Level.Cells[Column][Row] = {static_cast<std::uint8_t>((Row + Column) % 11),
                                        static_cast<std::uint8_t>((Column + 2 * Row) % 7)};
    return Level;
}

} // namespace PortableTools

// Shown by GoogleTest when two records differ: flags, names and the rows ("?" for a code outside the ranges).
inline void PrintTo(const TLevelData& Level, std::ostream* Out)
{
    using namespace PortableTools;
    *Out << "Loaded=" << int(Level.Loaded) << " Changed=" << int(Level.Changed) << " FileName=\"" << Level.FileName
         << "\" TrailerText=\"" << Level.TrailerText << "\"";
    for (int Row = 0; Row < LevelRows; ++Row) {
        *Out << "\n  ";
        for (const TLevelColumn& Column : Level.Cells) {
            *Out << (Column[Row].Brick < BrickChars.size() ? BrickChars[Column[Row].Brick] : '?');
            *Out << (Column[Row].PowerUp < PowerUpChars.size() ? PowerUpChars[Column[Row].PowerUp] : '?');
        }
    }
}
