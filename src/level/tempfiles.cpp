#include "tempfiles.h"

#include "folderentries.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>

namespace {

// A temporary file's name keeps this much of the target's name, so that it can be told whose it was.
constexpr std::size_t TempNameKeep = 64;

const std::string TempSuffix = ".tmp";

bool IsDigits(const std::string& Text)
{
    return !Text.empty() && std::all_of(Text.begin(), Text.end(), [](char Ch) { return Ch >= '0' && Ch <= '9'; });
}

} // namespace

std::string FolderOf(const std::string& Path)
{
    const std::string::size_type End = NameStartOf(Path);
    if (End == 0)
        return ".";
    // The separator stays where it is all there is ("/", "C:").
    const bool Root = End == 1 || Path[End - 1] == ':';
    return Path.substr(0, Root ? End : End - 1);
}

std::string TempNameFor(const std::string& Target, unsigned Attempt, unsigned long Process)
{
    static std::atomic<unsigned> Counter{0};
    std::string::size_type Base = NameStartOf(Target);
    auto Stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string Suffix = std::to_string(Process) + "-" + std::to_string(Counter++) + "-" +
        std::to_string((Stamp ^ (Stamp >> 29)) % 1000000 + Attempt);
    return Target.substr(0, Base) + "." + Target.substr(Base, TempNameKeep) + "." + Suffix + TempSuffix;
}

bool IsTempFileName(const std::string& Name)
{
    if (Name.size() <= 1 + TempSuffix.size() || Name.front() != '.' ||
        Name.compare(Name.size() - TempSuffix.size(), TempSuffix.size(), TempSuffix) != 0)
        return false;
    const std::string Inner = Name.substr(1, Name.size() - 1 - TempSuffix.size());
    const std::string::size_type Dot = Inner.rfind('.');
    if (Dot == std::string::npos || Dot == 0 || Dot > TempNameKeep)
        return false;
    const std::string Stamp = Inner.substr(Dot + 1);
    const std::string::size_type First = Stamp.find('-');
    const std::string::size_type Second = First == std::string::npos ? First : Stamp.find('-', First + 1);
    return Second != std::string::npos && IsDigits(Stamp.substr(0, First)) &&
        IsDigits(Stamp.substr(First + 1, Second - First - 1)) && IsDigits(Stamp.substr(Second + 1));
}

int RemoveStaleTempFiles(const std::string& Folder)
{
    namespace fs = std::filesystem;
    int Removed = 0;
    // Tidying never fails a save: whatever cannot be listed, looked at or removed stays for the next one.
    // A name the system cannot convert (on Windows) throws rather than reporting an error code.
    try {
        std::error_code Error;
        const auto Now = fs::file_time_type::clock::now();
        for (fs::directory_iterator Entry(Folder, Error), End; !Error && Entry != End; Entry.increment(Error)) {
            std::error_code Skip;
            if (!IsTempFileName(Entry->path().filename().string()) || !fs::is_regular_file(Entry->symlink_status(Skip)))
                continue;
            const auto Written = fs::last_write_time(Entry->path(), Skip);
            if (!Skip && Now - Written > StaleTempAge && fs::remove(Entry->path(), Skip))
                ++Removed;
        }
    } catch (const std::exception&) {
    }
    return Removed;
}
