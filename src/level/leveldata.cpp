#include "leveldata.h"

#include "inouterror.h"
#include "levelfile.h"
#include "safefile.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // the C++ library may have defined it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

constexpr char CtrlZ = '\x1A';

// A row line matters only up to its 42nd character: 40 for the cells, then whether the rest is exactly ":".
constexpr std::size_t RowLineKeep = 2 * LevelColumns + 2;

std::uint8_t BrickCode(char Ch)
{
    if (Ch >= '1' && Ch <= '9')
        return static_cast<std::uint8_t>(Ch - '0');
    return Ch == '#' ? 10 : 0;
}

std::uint8_t PowerUpCode(char Ch)
{
    switch (Ch) {
    case 'S':
        return 1;
    case 'E':
        return 2;
    case 'L':
        return 3;
    case 'F':
        return 4;
    case 'I':
        return 5;
    case 'W':
        return 6;
    default:
        return 0;
    }
}

const char* BrickChar(std::uint8_t Code)
{
    static constexpr const char* Chars[] = {".", "1", "2", "3", "4", "5", "6", "7", "8", "9", "#"};
    return Code < std::size(Chars) ? Chars[Code] : "";
}

const char* PowerUpChar(std::uint8_t Code)
{
    static constexpr const char* Chars[] = {".", "S", "E", "L", "F", "I", "W"};
    return Code < std::size(Chars) ? Chars[Code] : "";
}

// Text-file line reading over the whole file in memory. Lines end at LF or CR LF; a lone CR is dropped;
// a Ctrl-Z where a line would begin ends the file, and inside a line ends its text up to the next LF.
// Everything moves forward by index, so each byte is looked at a bounded number of times.
class TLineReader {
public:
    explicit TLineReader(std::string_view Text) : FText(Text) {}

    bool Eof()
    {
        SkipLoneCRs();
        return FPos >= FText.size() || FText[FPos] == CtrlZ;
    }

    // Puts the next line, cut to its first Keep characters, into Line; past the end, an empty line.
    void ReadLine(std::string& Line, std::size_t Keep)
    {
        Line.clear();
        bool Started = false;
        while (FPos < FText.size()) {
            std::size_t RunEnd = FPos;
            while (RunEnd < FText.size() && !IsSpecial(FText[RunEnd]))
                ++RunEnd;
            if (RunEnd > FPos) {
                Started = true;
                std::size_t Room = Keep - Line.size();
                if (RunEnd - FPos >= Room) {
                    Line.append(FText.substr(FPos, Room));
                    SkipPastLineEnd();
                    return;
                }
                Line.append(FText.substr(FPos, RunEnd - FPos));
                FPos = RunEnd;
                continue;
            }
            char Ch = FText[FPos];
            if (Ch == '\n') {
                ++FPos;
                return;
            }
            if (Ch == '\r') {
                if (FPos + 1 < FText.size() && FText[FPos + 1] == '\n') {
                    FPos += 2;
                    return;
                }
                ++FPos;
                continue;
            }
            // Ctrl-Z: at a line's start it is the end of the file and stays put.
            if (Started)
                SkipPastLineEnd();
            return;
        }
    }

private:
    static bool IsSpecial(char Ch) { return Ch == '\n' || Ch == '\r' || Ch == CtrlZ; }

    void SkipLoneCRs()
    {
        while (FPos < FText.size() && FText[FPos] == '\r' && (FPos + 1 >= FText.size() || FText[FPos + 1] != '\n'))
            ++FPos;
    }

    // Whatever follows up to the LF is dropped, and a CR before that LF belongs to the line end anyway.
    void SkipPastLineEnd()
    {
        std::size_t Lf = FText.find('\n', FPos);
        FPos = Lf == std::string_view::npos ? FText.size() : Lf + 1;
    }

    std::string_view FText;
    std::size_t FPos = 0;
};

} // namespace

void ParseLevelText(std::string_view Text, TLevelData& Level)
{
    TLineReader Reader(Text);
    std::string Buffer;
    for (int Row = 0; Row < LevelRows && !Reader.Eof(); ++Row) {
        Reader.ReadLine(Buffer, RowLineKeep);
        std::size_t Pos = 0;
        for (int Column = 0; Pos < Buffer.size() && Column < LevelColumns; ++Column, Pos += 2) {
            TLevelCell& Cell = Level.Cells[Column][Row];
            Cell.Brick = BrickCode(Buffer[Pos]);
            Cell.PowerUp = Pos + 1 < Buffer.size() ? PowerUpCode(Buffer[Pos + 1]) : 0;
        }
        Buffer.erase(0, std::min(Pos, Buffer.size()));
    }
    while (!Reader.Eof() && Buffer != ":")
        Reader.ReadLine(Buffer, 2);
    if (Buffer == ":")
        Reader.ReadLine(Level.TrailerText, std::string::npos);
}

std::string FormatLevel(const TLevelData& Level)
{
    std::string Text;
    Text.reserve(LevelRows * (2 * LevelColumns + 2) + 5 + Level.TrailerText.size());
    for (int Row = 0; Row < LevelRows; ++Row) {
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            Text += BrickChar(Cell.Brick);
            Text += PowerUpChar(Cell.PowerUp);
        }
        Text += "\r\n";
    }
    if (!Level.TrailerText.empty()) {
        Text += ":\r\n";
        Text += Level.TrailerText;
        Text += "\r\n";
    }
    return Text;
}

namespace {

// Levels are small: one fits in Small and the heap is touched only for a larger file.
struct TFileBuffer {
    std::array<char, 4096> Small;
    std::string Large;
};

#ifdef _WIN32

[[noreturn]] void ThrowLastError()
{
    throw EInOutError(static_cast<int>(GetLastError()));
}

std::string_view ReadWholeFile(const std::string& Path, TFileBuffer& Buffer)
{
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder fails to open with access denied, as it should.
    HANDLE File = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        ThrowLastError();
    std::string Data;
    std::size_t Used = 0;
    DWORD Got = 0;
    do {
        Data.resize(Used + 65536);
        if (!ReadFile(File, Data.data() + Used, 65536, &Got, nullptr)) {
            DWORD Error = GetLastError();
            CloseHandle(File);
            throw EInOutError(static_cast<int>(Error));
        }
        Used += Got;
    } while (Got > 0);
    if (!CloseHandle(File))
        ThrowLastError();
    Data.resize(Used);
    Buffer.Large = std::move(Data);
    return Buffer.Large;
}

void ReplaceContents(const std::string& Path, const std::string& Text)
{
    std::string Folder = ".";
    std::string::size_type Sep = Path.find_last_of("/\\");
    if (Sep != std::string::npos)
        Folder = Path.substr(0, Sep + 1);
    char TempPath[MAX_PATH];
    if (GetTempFileNameA(Folder.c_str(), "lvl", 0, TempPath) == 0)
        ThrowLastError();
    HANDLE File = CreateFileA(TempPath, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD Written = 0;
    bool Ok = File != INVALID_HANDLE_VALUE &&
        WriteFile(File, Text.data(), static_cast<DWORD>(Text.size()), &Written, nullptr) && Written == Text.size() &&
        FlushFileBuffers(File);
    DWORD Error = GetLastError();
    if (File != INVALID_HANDLE_VALUE && !CloseHandle(File) && Ok) {
        Ok = false;
        Error = GetLastError();
    }
    if (Ok) {
        // ReplaceFileA keeps the old file's attributes and security; it needs an existing target.
        if (GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES)
            Ok = ReplaceFileA(Path.c_str(), TempPath, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
        else
            Ok = MoveFileExA(TempPath, Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        Error = GetLastError();
    }
    if (!Ok) {
        DeleteFileA(TempPath);
        throw EInOutError(static_cast<int>(Error));
    }
}

#else

[[noreturn]] void ThrowErrno(int Errno, const std::string& Path)
{
    throw InOutErrorFromErrno(Errno, Path);
}

class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    ~TFileDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }

    int Get() const { return FFd; }

    // Closes now and reports close's own failure, which can be the first sign of a lost write.
    int Close()
    {
        int Result = ::close(FFd);
        FFd = -1;
        return Result == 0 ? 0 : errno;
    }

private:
    int FFd;
};

int OpenRetrying(const char* Path, int Flags, mode_t Mode = 0)
{
    int Fd;
    do
        Fd = ::open(Path, Flags, Mode);
    while (Fd < 0 && errno == EINTR);
    return Fd;
}

std::string_view ReadWholeFile(const std::string& Path, TFileBuffer& Buffer)
{
    // O_NONBLOCK: opening a pipe named like a level must not wait for a writer. Only a regular file is a
    // level; a pipe or a device could block or never end, a folder cannot be read.
    TFileDescriptor File(OpenRetrying(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (File.Get() < 0)
        ThrowErrno(errno, Path);
    struct stat Info {};
    if (fstat(File.Get(), &Info) != 0)
        ThrowErrno(errno, Path);
    if (!S_ISREG(Info.st_mode))
        ThrowErrno(EISDIR, Path);
    char* Data = Buffer.Small.data();
    std::size_t Capacity = Buffer.Small.size();
    std::size_t Used = 0;
    for (;;) {
        if (Used == Capacity) {
            if (Data == Buffer.Small.data())
                Buffer.Large.assign(Data, Used);
            Buffer.Large.resize(Capacity * 2);
            Data = Buffer.Large.data();
            Capacity = Buffer.Large.size();
        }
        ssize_t Got = ::read(File.Get(), Data + Used, Capacity - Used);
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno, Path);
        }
        if (Got == 0)
            break;
        Used += static_cast<std::size_t>(Got);
    }
    if (int Error = File.Close())
        ThrowErrno(Error, Path);
    return std::string_view(Data, Used);
}

std::string::size_type FolderEnd(const std::string& Path)
{
    std::string::size_type Slash = Path.rfind('/');
    return Slash == std::string::npos ? 0 : Slash + 1;
}

// Follows symbolic links at the end of Path, so that a save replaces the file a link points to and
// leaves the link itself in place. A dangling link resolves to the file it would create.
std::string ResolveLinks(const std::string& Path)
{
    std::string Current = Path;
    for (int Hop = 0; Hop < 40; ++Hop) {
        struct stat Info {};
        if (lstat(Current.c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode))
            return Current;
        std::vector<char> Target(static_cast<std::size_t>(std::max<off_t>(Info.st_size, PATH_MAX)) + 1);
        ssize_t Length = readlink(Current.c_str(), Target.data(), Target.size());
        if (Length < 0 || static_cast<std::size_t>(Length) >= Target.size())
            return Current;
        std::string Link(Target.data(), static_cast<std::size_t>(Length));
        if (Link.empty())
            return Current;
        Current = Link.front() == '/' ? Link : Current.substr(0, FolderEnd(Current)) + Link;
    }
    throw EInOutError(ELOOP);
}

// A name in the target's folder that no one else uses: rename is atomic only within one file system.
std::string TempNameFor(const std::string& Target, unsigned Attempt)
{
    static std::atomic<unsigned> Counter{0};
    std::string::size_type Base = FolderEnd(Target);
    auto Stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string Suffix = std::to_string(getpid()) + "-" + std::to_string(Counter++) + "-" +
        std::to_string((Stamp ^ (Stamp >> 29)) % 1000000 + Attempt);
    return Target.substr(0, Base) + "." + Target.substr(Base, 64) + "." + Suffix + ".tmp";
}

// The new file is written beside the old one and renamed over it, so a failure at any point leaves the
// old file as it was.
void ReplaceContents(const std::string& Path, const std::string& Text)
{
    if (Path.empty())
        ThrowErrno(ENOENT, Path);
    std::string Target = ResolveLinks(Path);
    struct stat Old {};
    bool Exists = stat(Target.c_str(), &Old) == 0;
    if (!Exists && errno != ENOENT)
        ThrowErrno(errno, Target);
    // Renaming over a folder, a device or a pipe would replace the node itself, not write to it.
    if (Exists && !S_ISREG(Old.st_mode))
        throw EInOutError(5);
    // The rename needs only the folder's permission; a read-only level must still refuse the save.
    if (Exists && faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) != 0)
        ThrowErrno(errno, Target);

    std::string TempPath;
    int Fd = -1;
    for (unsigned Attempt = 0; Fd < 0; ++Attempt) {
        TempPath = TempNameFor(Target, Attempt);
        // 0666 lets the umask and any default ACL of the folder decide a new file's permissions.
        Fd = OpenRetrying(TempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd < 0 && (errno != EEXIST || Attempt >= 100))
            ThrowErrno(errno, Target);
    }
    TFileDescriptor File(Fd);
    struct TTempRemover {
        const std::string& Path;
        bool Armed = true;
        ~TTempRemover()
        {
            if (Armed)
                ::unlink(Path.c_str());
        }
    } Remover{TempPath};

    if (Exists) {
        // Owner first: changing it may clear set-id bits that the mode then restores. Only root can
        // give the file away, and a save by anyone else still succeeds.
        if (Old.st_uid != geteuid() || Old.st_gid != getegid())
            (void)!fchown(File.Get(), Old.st_uid, Old.st_gid);
        if (fchmod(File.Get(), Old.st_mode & 07777) != 0)
            ThrowErrno(errno, Target);
    }
    const char* Data = Text.data();
    std::size_t Left = Text.size();
    while (Left > 0) {
        ssize_t Put = ::write(File.Get(), Data, Left);
        if (Put < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno, Target);
        }
        Data += Put;
        Left -= static_cast<std::size_t>(Put);
    }
    if (fsync(File.Get()) != 0)
        ThrowErrno(errno, Target);
    if (int Error = File.Close())
        ThrowErrno(Error, Target);
    if (::rename(TempPath.c_str(), Target.c_str()) != 0)
        ThrowErrno(errno, Target);
    Remover.Armed = false;
}

#endif

} // namespace

void ReplaceFileContents(const std::string& Path, const std::string& Text)
{
    ReplaceContents(Path, Text);
}

TFileIdentity FileIdentityOf(const std::string& Path)
{
    TFileIdentity Identity;
#ifndef _WIN32
    struct stat Info {};
    if (stat(Path.c_str(), &Info) != 0) {
        if (errno == ENOENT)
            return Identity;
        throw InOutErrorFromErrno(errno, Path);
    }
    Identity.Exists = true;
    Identity.Device = static_cast<std::uint64_t>(Info.st_dev);
    Identity.Inode = static_cast<std::uint64_t>(Info.st_ino);
    Identity.Size = static_cast<std::uint64_t>(Info.st_size);
    Identity.ModifiedNs = static_cast<std::int64_t>(Info.st_mtim.tv_sec) * 1000000000 + Info.st_mtim.tv_nsec;
#else
    (void)Path;
#endif
    return Identity;
}

namespace {
TBeforeCreateHook BeforeCreate;
}

void SetBeforeCreateHook(TBeforeCreateHook Hook)
{
    BeforeCreate = std::move(Hook);
}

// Not yet atomic: a name taken between the check and the write is replaced.
bool CreateFileExclusively(const std::string& Path, const std::string& Text)
{
    if (BeforeCreate)
        BeforeCreate(Path);
    if (FileIdentityOf(Path).Exists)
        return false;
    ReplaceFileContents(Path, Text);
    return true;
}

void ClearLevel(TLevelData& Level)
{
    Level.Loaded = 1;
    Level.Changed = 0;
    Level.FileName.clear();
    Level.TrailerText.clear();
    Level.Cells = TLevelCells{};
}

void LoadLevel(const std::string& FileName, TLevelData& Level)
{
    // FileName may be Level.FileName itself, which the reset below empties.
    std::string Path = FileName;
    Level = TLevelData{};
    TFileBuffer Buffer;
    ParseLevelText(ReadWholeFile(Path, Buffer), Level);
    Level.FileName = std::move(Path);
    Level.Loaded = 1;
    Level.Changed = 0;
}

bool SaveLevel(const std::string& FileName, TLevelData& Level)
{
    ReplaceContents(FileName, FormatLevel(Level));
    Level.FileName = FileName;
    return true;
}

bool SaveNewLevel(const std::string& FileName, TLevelData& Level)
{
    if (!CreateFileExclusively(FileName, FormatLevel(Level)))
        return false;
    Level.FileName = FileName;
    return true;
}
