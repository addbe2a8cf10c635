// Prints the time zolvane-level check takes over 10,000 level files in one process, beside the floor of a
// plain read of the same files, and the time to render one level at scale 1 (and to encode it as PNG).
// Goals: check under 0.5 s, render under 5 ms.
// Usage: level_cli [images folder]   (default: the build's editor/images)

#include "benchsupport.h"
#include "levelcli.h"
#include "levelfile.h"
#include "fieldpainter.h"

#include <QBuffer>

#include <filesystem>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

// Most files canonical, every tenth damaged in one of a few ways, so that notes get printed too.
std::string LevelBytes(int Index)
{
    TLevelData Level;
    for (int Row = 0; Row < 7; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column)
            Level.Cells[Column][Row] = {static_cast<std::uint8_t>(1 + (Index + Column + Row) % 10),
                                        static_cast<std::uint8_t>((Column + Index) % 4 == 0 ? 1 + Row % 6 : 0)};
    Level.TrailerText = Index % 3 == 0 ? "" : "Level " + std::to_string(Index);
    std::string Bytes = FormatLevel(Level);
    switch (Index % 40) {
    case 10:
        Bytes[5] = 'x';
        break;
    case 20:
        Bytes.erase(std::remove(Bytes.begin(), Bytes.end(), '\r'), Bytes.end());
        break;
    case 30:
        Bytes.erase(Bytes.size() / 2);
        break;
    default:
        break;
    }
    return Bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string Images = argc > 1 ? argv[1] : ZOLVANE_GAME_DIR "/editor/images";
    const fs::path Folder = fs::temp_directory_path()
        / ("zolvane-level-bench-" + std::to_string(TClock::now().time_since_epoch().count()));
    fs::create_directories(Folder);
    std::vector<std::string> Files;
    for (int Index = 0; Index < 10000; ++Index) {
        Files.push_back((Folder / ("level" + std::to_string(Index) + ".txt")).string());
        std::FILE* File = std::fopen(Files.back().c_str(), "wb");
        const std::string Bytes = LevelBytes(Index);
        if (!File || std::fwrite(Bytes.data(), 1, Bytes.size(), File) != Bytes.size() || std::fclose(File) != 0) {
            std::perror(Files.back().c_str());
            return 1;
        }
    }

    std::size_t Lines = 0;
    int Status = -1;
    const double Check = BestMilliseconds(5, [&] {
        std::ostringstream Out, Err;
        Status = CheckLevels(Files, Out, Err);
        const std::string Text = Out.str();
        Lines = static_cast<std::size_t>(std::count(Text.begin(), Text.end(), '\n'));
    });
    std::size_t Bytes = 0;
    const double Floor = BestMilliseconds(5, [&] {
        Bytes = 0;
        for (const std::string& Path : Files) {
            std::string Error;
            Bytes += ReadLevelBytes(Path, Error).value_or("").size();
        }
    });

    TLevelData Level;
    ParseLevelText(LevelBytes(1), Level);
    const TFieldPictures Pictures = LoadFieldPictures(Images);
    QImage Image;
    const double Render = BestMilliseconds(200, [&] { Image = RenderLevel(Level, Pictures, 1); });
    QByteArray Png;
    const double Encode = BestMilliseconds(50, [&] {
        Png.clear();
        QBuffer Buffer(&Png);
        Buffer.open(QIODevice::WriteOnly);
        Image.save(&Buffer, "PNG");
    });

    std::printf("level_cli: %zu files, %zu bytes, in %s\n", Files.size(), Bytes, Folder.string().c_str());
    std::printf("check      %8.1f ms  (%zu warning lines, exit %d)   floor: plain read of the files %8.1f ms   "
                "goal < 500 ms\n",
                Check, Lines, Status, Floor);
    std::printf("render     %8.3f ms  (%dx%d, scale 1)   PNG encoding %8.3f ms (%lld bytes)   goal < 5 ms\n", Render,
                Image.width(), Image.height(), Encode, static_cast<long long>(Png.size()));
    fs::remove_all(Folder);
    return 0;
}
