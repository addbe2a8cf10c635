#include "levelrender.h"

#include "elementkinds.h"

#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr QRgb Silver = qRgb(192, 192, 192);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr int PowerUpOffset = 7;

QImage LoadPicture(const std::string& Dir, const char* ImageFile)
{
    // The kinds table names pictures relative to the game's directory; the folder part is ours to choose.
    const std::string Name = std::string(ImageFile).substr(std::string(ImageFile).find_last_of('/') + 1);
    const QString Path = QString::fromStdString(Dir) + '/' + QString::fromStdString(Name);
    QImageReader Reader(Path);
    const QImage Picture = Reader.read();
    if (Picture.isNull())
        throw std::runtime_error("cannot load picture " + Path.toStdString() + ": "
                                 + Reader.errorString().toStdString());
    return Picture.convertToFormat(QImage::Format_RGB32);
}

// Copies Picture into the W x H rectangle at (X, Y): stretched to fill it, or at its own size and clipped,
// in both cases by nearest pixel.
void DrawInto(QImage& Field, const QImage& Picture, int X, int Y, int W, int H, bool Stretch)
{
    if (Picture.isNull())
        return;
    const int PictureW = Picture.width();
    const int PictureH = Picture.height();
    if (!Stretch) {
        W = std::min(W, PictureW);
        H = std::min(H, PictureH);
    }
    for (int Row = 0; Row < H; ++Row) {
        const int FromRow = Stretch ? Row * PictureH / H : Row;
        const auto* From = reinterpret_cast<const QRgb*>(Picture.constScanLine(FromRow));
        auto* To = reinterpret_cast<QRgb*>(Field.scanLine(Y + Row)) + X;
        if (!Stretch) {
            std::memcpy(To, From, static_cast<std::size_t>(W) * sizeof(QRgb));
            continue;
        }
        for (int Column = 0; Column < W; ++Column)
            To[Column] = From[Column * PictureW / W];
    }
}

// Every pixel becomes Scale x Scale.
QImage Enlarged(const QImage& Field, int Scale)
{
    QImage Big(Field.width() * Scale, Field.height() * Scale, QImage::Format_RGB32);
    for (int Y = 0; Y < Big.height(); ++Y) {
        const auto* From = reinterpret_cast<const QRgb*>(Field.constScanLine(Y / Scale));
        auto* To = reinterpret_cast<QRgb*>(Big.scanLine(Y));
        for (int X = 0; X < Big.width(); ++X)
            To[X] = From[X / Scale];
    }
    return Big;
}

} // namespace

TFieldPictures LoadFieldPictures(const std::string& Dir)
{
    TFieldPictures Pictures;
    for (const TCatalogueEntry& Kind : BrickKinds())
        Pictures.Bricks.at(Kind.Id) = LoadPicture(Dir, Kind.ImageFile);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        Pictures.PowerUps.at(Kind.Id) = LoadPicture(Dir, Kind.ImageFile);
    return Pictures;
}

QImage RenderLevel(const TLevelData& Level, const TFieldPictures& Pictures, int Scale)
{
    if (Scale < 1 || Scale > RenderMaxScale)
        throw std::invalid_argument("scale must be 1 to " + std::to_string(RenderMaxScale));
    QImage Field(RenderWidth, RenderHeight, QImage::Format_RGB32);
    Field.fill(Silver);
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row) {
            const int X = Column * RenderPitchX;
            const int Y = Row * RenderPitchY;
            for (int Line = 0; Line < RenderCellHeight; ++Line)
                std::fill_n(reinterpret_cast<QRgb*>(Field.scanLine(Y + Line)) + X, RenderCellWidth, White);
            const TLevelCell& Cell = Level.Cells[Column][Row];
            if (Cell.Brick < Pictures.Bricks.size())
                DrawInto(Field, Pictures.Bricks[Cell.Brick], X, Y, RenderCellWidth, RenderCellHeight, true);
            if (Cell.PowerUp < Pictures.PowerUps.size())
                DrawInto(Field, Pictures.PowerUps[Cell.PowerUp], X + PowerUpOffset, Y + PowerUpOffset,
                         RenderCellWidth - PowerUpOffset, RenderCellHeight - PowerUpOffset, false);
        }
    return Scale == 1 ? Field : Enlarged(Field, Scale);
}
