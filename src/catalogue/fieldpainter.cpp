#include "fieldpainter.h"

#include "elementkinds.h"

#include <QImageReader>
#include <QPainter>

#include <stdexcept>

namespace {

QColor ColourOf(TFieldColour Colour)
{
    return QColor(Colour.Red, Colour.Green, Colour.Blue);
}

QImage LoadPicture(const std::string& Dir, const char* ImageFile)
{
    // The kinds table names pictures relative to the game's directory; the folder part is ours to choose.
    const std::string Name = std::string(ImageFile).substr(std::string(ImageFile).find_last_of('/') + 1);
    const QString Path = QString::fromStdString(Dir) + '/' + QString::fromStdString(Name);
    QImageReader Reader(Path);
    const QImage Picture = Reader.read();
    if (Picture.isNull())
        throw std::runtime_error("cannot load picture " + Path.toStdString() + ": " +
                                 Reader.errorString().toStdString());
    return Picture.convertToFormat(QImage::Format_RGB32);
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

void PaintFieldCell(QPainter& Canvas, const QRect& Rect, const TLevelCell& Cell, const TFieldPictures& Pictures)
{
    const QImage* Brick = Cell.Brick < Pictures.Bricks.size() ? &Pictures.Bricks[Cell.Brick] : nullptr;
    const QImage* PowerUp = Cell.PowerUp < Pictures.PowerUps.size() ? &Pictures.PowerUps[Cell.PowerUp] : nullptr;
    if ((!Brick || Brick->isNull()) && (!PowerUp || PowerUp->isNull()))
        return;
    Canvas.save();
    Canvas.setClipRect(Rect, Qt::IntersectClip);
    // Nearest-neighbour scaling: the grid is a pixel-art view, a doubled brick keeps its hard edges.
    Canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (Brick && !Brick->isNull())
        Canvas.drawImage(Rect, *Brick);
    if (PowerUp && !PowerUp->isNull())
        Canvas.drawImage(Rect.topLeft() + QPoint(PowerUpOffset, PowerUpOffset), *PowerUp);
    Canvas.restore();
}

QImage RenderLevel(const TLevelData& Level, const TFieldPictures& Pictures, int Scale)
{
    if (Scale < 1 || Scale > RenderMaxScale)
        throw std::invalid_argument("scale must be 1 to " + std::to_string(RenderMaxScale));
    QImage Field(FieldPixelWidth, FieldPixelHeight, QImage::Format_RGB32);
    Field.fill(ColourOf(FieldLineColour));
    {
        QPainter Canvas(&Field);
        for (int Column = 0; Column < LevelColumns; ++Column)
            for (int Row = 0; Row < LevelRows; ++Row) {
                const QRect Cell(Column * FieldPitchX, Row * FieldPitchY, FieldCellWidth, FieldCellHeight);
                Canvas.fillRect(Cell, ColourOf(FieldCellColour));
                PaintFieldCell(Canvas, Cell, Level.Cells[Column][Row], Pictures);
            }
    }
    return Scale == 1 ? Field : Enlarged(Field, Scale);
}
