// Writes the application icon as a PNG of the given size, for the desktop's icon theme, from the editor's
// 32 x 32 icon picture. Usage:
//   zolvane-mkicon ICON.bmp SIZE OUT.png
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <numeric>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: zolvane-mkicon ICON.bmp SIZE OUT.png\n");
        return 2;
    }
    const QImage Picture(QString::fromLocal8Bit(argv[1]));
    if (Picture.isNull()) {
        std::fprintf(stderr, "zolvane-mkicon: cannot read the picture %s\n", argv[1]);
        return 1;
    }
    // The picture is pixel art: enlarge it by whole pixels to a multiple of the size, so that the edges stay
    // sharp, then average down to the size (48 from 32: three times, then halved).
    const int Size = std::atoi(argv[2]);
    const int Factor = Size > 0 ? Size / std::gcd(Size, Picture.width()) : 0;
    if (Factor < 1 || Factor > 16) {
        std::fprintf(stderr, "zolvane-mkicon: size %s does not suit a picture %d pixels wide\n", argv[2],
                     Picture.width());
        return 2;
    }
    QImage Icon = Picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                      .scaled(Picture.width() * Factor, Picture.height() * Factor, Qt::IgnoreAspectRatio,
                              Qt::FastTransformation);
    if (Icon.width() != Size)
        Icon = Icon.scaled(Size, Size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!Icon.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "zolvane-mkicon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
