#include "gamepictures.h"

#include "elementkinds.h"

#include <QImage>

namespace {

QPixmap Load(const char* FileName, int Scale)
{
    const QImage Image(QString::fromLatin1(FileName));
    if (Image.isNull())
        return {};
    // Nearest-neighbour keeps the small pictures crisp, as the editor's grid shows them.
    return QPixmap::fromImage(
        Image.scaled(Image.width() * Scale, Image.height() * Scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

} // namespace

TGamePictures::TGamePictures()
{
    for (const TCatalogueEntry& Kind : BrickKinds())
        FBricks.at(Kind.Id) = Load(Kind.ImageFile, 2);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        FPowerUps.at(Kind.Id) = Load(Kind.ImageFile, 1);
}

const QPixmap& TGamePictures::Brick(int Code) const
{
    return Code >= 1 && Code <= 10 ? FBricks[Code] : FNone;
}

const QPixmap& TGamePictures::PowerUp(int Code) const
{
    return Code >= 1 && Code <= 6 ? FPowerUps[Code] : FNone;
}

QColor TGamePictures::BrickColour(int Code)
{
    if (Code == 10)
        return QColor(120, 120, 128);
    if (Code < 1 || Code > 9)
        return QColor(255, 255, 255);
    // Variant picks the hue, the number of hits how deep it is.
    static const int Hues[] = {0, 120, 220};
    const int Variant = (Code - 1) % 3;
    const int Hits = (Code - 1) / 3 + 1;
    return QColor::fromHsv(Hues[Variant], 160, 255 - 50 * Hits);
}

QColor TGamePictures::PowerUpColour(int Code)
{
    switch (Code) {
    case 1:
        return QColor(40, 90, 230);
    case 2:
        return QColor(150, 60, 200);
    case 3:
        return QColor(230, 200, 30);
    case 4:
        return QColor(150, 150, 150);
    case 5:
        return QColor(40, 170, 60);
    case 6:
        return QColor(140, 90, 40);
    default:
        return QColor(255, 255, 255);
    }
}
