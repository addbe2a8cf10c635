#pragma once

// The GoogleTest side of the level test helpers (leveltesttools.h): a scratch folder of the system's, and
// whole level records in failure messages.

#include "leveltesttools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>

namespace PortableTools {

using namespace LevelTestTools;

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

} // namespace PortableTools

// Shown by GoogleTest when two records differ.
inline void PrintTo(const TLevelData& Level, std::ostream* Out)
{
    *Out << LevelTestTools::Described(Level);
}
