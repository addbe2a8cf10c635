#include "imagelist.h"

#include "exceptions.h"

#include <QPainter>
#include <QPixmap>

#include <string>

TImageList::TImageList(int Width, int Height) : FWidth(Width), FHeight(Height)
{
    if (Width <= 0 || Height <= 0)
        throw EToolkitError("Invalid image size");
}

int TImageList::Add(const QImage& Image)
{
    if (Image.width() < FWidth || Image.height() < FHeight)
        throw EToolkitError("Invalid image size");
    const int First = Count();
    const int Pieces = Image.width() / FWidth;
    std::vector<QImage> Added;
    Added.reserve(static_cast<std::size_t>(Pieces));
    for (int I = 0; I < Pieces; ++I) {
        QImage Piece(FWidth, FHeight, QImage::Format_RGB32);
        Piece.fill(Qt::black);
        QPainter Painter(&Piece);
        Painter.drawImage(0, 0, Image, I * FWidth, 0, FWidth, FHeight);
        Painter.end();
        Added.push_back(std::move(Piece));
    }
    FImages.insert(FImages.end(), Added.begin(), Added.end());
    return First;
}

const QImage& TImageList::Image(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EToolkitError("List index out of bounds (" + std::to_string(Index) + ")");
    return FImages[static_cast<std::size_t>(Index)];
}

QIcon TImageList::Icon(int Index) const
{
    return QIcon(QPixmap::fromImage(Image(Index)));
}
