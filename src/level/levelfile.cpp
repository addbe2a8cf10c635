#include "levelfile.h"

#include "elementkinds.h"
#include "leveldata.h"
#include "safefile.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr char CtrlZ = '\x1A';

// A row line matters only up to its 42nd character: 40 for the cells, then whether the rest is exactly ":".
constexpr std::size_t RowLineKeep = 2 * LevelColumns + 2;

// Between the rows and the trailer a line matters only as far as telling ":" from anything else.
constexpr std::size_t MarkerLineKeep = 2;

// Text-file line reading. Lines end at LF or CR LF; a lone CR is dropped; a Ctrl-Z where a line would begin
// ends the file, and inside a line ends its text up to the next LF. Dropping every CR and ending lines at
// LF alone gives just that, and needs no look ahead across a chunk's end.
// The bytes come either all at once from memory or chunk by chunk from a file, through one window onto
// them, so a file of any size needs one chunk of memory plus what the caller keeps of its lines. Everything
// moves forward, so each byte is looked at a bounded number of times.
class TLineReader {
public:
    explicit TLineReader(std::string_view Text) : FData(Text.data()), FEnd(Text.size()) {}

    explicit TLineReader(TFileReader& File) :
        FFile(&File),
        FStore(std::make_unique_for_overwrite<char[]>(ReadChunkSize)),
        FData(FStore.get())
    {
    }

    bool Eof()
    {
        while (Available() && FData[FPos] == '\r')
            ++FPos;
        return !Available() || FData[FPos] == CtrlZ;
    }

    // Puts the next line, cut to its first Keep characters, into Line; past the end, an empty line.
    void ReadLine(std::string& Line, std::size_t Keep)
    {
        Line.clear();
        bool Started = false;
        while (Available()) {
            const std::size_t Room = Keep - Line.size();
            const std::size_t Limit = FPos + std::min(FEnd - FPos, Room);
            std::size_t RunEnd = FPos;
            while (RunEnd < Limit && !IsSpecial(FData[RunEnd]))
                ++RunEnd;
            if (RunEnd > FPos) {
                Started = true;
                Line.append(FData + FPos, RunEnd - FPos);
                const bool Full = RunEnd - FPos == Room;
                FPos = RunEnd;
                if (Full) {
                    SkipPastLineEnd();
                    return;
                }
                continue;
            }
            const char Ch = FData[FPos];
            if (Ch == '\n') {
                ++FPos;
                return;
            }
            if (Ch == '\r') {
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

    // Whether a byte lies ahead in the window, reading the next chunk into it when none does.
    bool Available()
    {
        if (FPos < FEnd)
            return true;
        if (!FFile || FAtEnd)
            return false;
        FPos = 0;
        FEnd = FFile->Read(FStore.get(), ReadChunkSize);
        FAtEnd = FEnd == 0;
        return !FAtEnd;
    }

    // Whatever follows up to the LF is dropped, and a CR before that LF belongs to the line end anyway.
    void SkipPastLineEnd()
    {
        while (Available()) {
            if (const void* Lf = std::memchr(FData + FPos, '\n', FEnd - FPos)) {
                FPos = static_cast<std::size_t>(static_cast<const char*>(Lf) - FData) + 1;
                return;
            }
            FPos = FEnd;
        }
    }

    TFileReader* FFile = nullptr;
    std::unique_ptr<char[]> FStore;
    const char* FData;
    std::size_t FEnd = 0;
    std::size_t FPos = 0;
    bool FAtEnd = false;
};

void ParseLines(TLineReader& Reader, TLevelData& Level)
{
    std::string Buffer;
    for (int Row = 0; Row < LevelRows && !Reader.Eof(); ++Row) {
        Reader.ReadLine(Buffer, RowLineKeep);
        std::size_t Pos = 0;
        for (int Column = 0; Pos < Buffer.size() && Column < LevelColumns; ++Column, Pos += 2) {
            TLevelCell& Cell = Level.Cells[Column][Row];
            Cell.Brick = BrickCodeOfChar(Buffer[Pos]);
            Cell.PowerUp = Pos + 1 < Buffer.size() ? PowerUpCodeOfChar(Buffer[Pos + 1]) : 0;
        }
        Buffer.erase(0, std::min(Pos, Buffer.size()));
    }
    while (!Reader.Eof() && Buffer != ":")
        Reader.ReadLine(Buffer, MarkerLineKeep);
    // The trailer is the one line kept whole, however long.
    if (Buffer == ":")
        Reader.ReadLine(Level.TrailerText, std::string::npos);
}

} // namespace

void ParseLevelText(std::string_view Text, TLevelData& Level)
{
    TLineReader Reader(Text);
    ParseLines(Reader, Level);
}

void AppendCellChars(std::string& Text, const TLevelCell& Cell)
{
    if (const char Ch = BrickCharOf(Cell.Brick))
        Text += Ch;
    if (const char Ch = PowerUpCharOf(Cell.PowerUp))
        Text += Ch;
}

std::string FormatLevel(const TLevelData& Level)
{
    std::string Text;
    Text.reserve(LevelRows * (2 * LevelColumns + 2) + 5 + Level.TrailerText.size());
    for (int Row = 0; Row < LevelRows; ++Row) {
        for (int Column = 0; Column < LevelColumns; ++Column)
            AppendCellChars(Text, Level.Cells[Column][Row]);
        Text += "\r\n";
    }
    if (!Level.TrailerText.empty()) {
        Text += ":\r\n";
        Text += Level.TrailerText;
        Text += "\r\n";
    }
    return Text;
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
    TFileReader File(Path);
    TLineReader Reader(File);
    ParseLines(Reader, Level);
    File.Close();
    Level.FileName = std::move(Path);
    Level.Loaded = 1;
    Level.Changed = 0;
}

bool SaveLevel(const std::string& FileName, TLevelData& Level)
{
    ReplaceFileContents(FileName, FormatLevel(Level));
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
