#include "catalogue.h"
#include "imagelist.h"
#include "palettebar.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

static QImage filled(QRgb Colour, int Width, int Height) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    Image.fill(Colour);
    return Image;
}

static QStringList rowsOf(std::span<const TCatalogueEntry> Kinds) {
    QStringList Rows;
    for (const TCatalogueEntry& Kind : Kinds)
        Rows << QString("%1|%2|%3|%4").arg(Kind.Id).arg(Kind.Name, Kind.ImageFile).arg(QChar(Kind.FileChar));
    return Rows;
}

template <class TList>
static void fill(TList& List, std::span<const TCatalogueEntry> Kinds) {
    for (const TCatalogueEntry& Kind : Kinds)
        List.AddItem(Kind.Id, Kind.ImageFile, Kind.Name);
}

// "<code of the tagged item> <hint>" for each button, left to right.
template <class TItem>
static QStringList buttonsOf(const TPaletteToolBar& Bar) {
    QStringList Buttons;
    for (const TPaletteButton* Button : Bar.Buttons())
        Buttons << QString("%1 %2").arg(std::any_cast<const TItem*>(Button->Tag)->Id).arg(Button->toolTip());
    return Buttons;
}

static QImage iconImage(const TPaletteButton* Button) {
    return Button->icon().pixmap(Button->iconSize()).toImage().convertToFormat(QImage::Format_RGB32);
}

static QString errorOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const std::exception& Error) {
        return Error.what();
    }
    return "(no error)";
}

class TestCatalogue : public QObject {
    Q_OBJECT

    QString FOldCurrent;
    QTemporaryDir FDir;

    // A picture file in the scratch folder (an empty file for a null image); returns its path.
    std::string picture(const QString& Name, const QImage& Image) {
        const QString Path = FDir.filePath(Name);
        QFile Empty(Path);
        if (Image.isNull() ? !Empty.open(QIODevice::WriteOnly) : !Image.save(Path, "BMP"))
            qFatal("cannot write %s", qPrintable(Path));
        return Path.toStdString();
    }

private slots:
    void initTestCase() {
        // The catalogue's image paths are relative to the game's directory, as when the editor runs.
        const QString GameDir = qEnvironmentVariable("ZOLVANE_GAME_DIR");
        QVERIFY2(!GameDir.isEmpty(), "ZOLVANE_GAME_DIR is not set");
        FOldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(GameDir));
        QVERIFY(FDir.isValid());
    }
    void cleanupTestCase() { QDir::setCurrent(FOldCurrent); }

    void catalogueDataIsTheFixedTable() {
        QCOMPARE(rowsOf(BrickKinds()), (QStringList{
            "1|Brick 1, 1 Hit|editor/images/brick001.bmp|1",
            "2|Brick 2, 1 Hit|editor/images/brick002.bmp|2",
            "3|Brick 3, 1 Hit|editor/images/brick003.bmp|3",
            "4|Brick 1, 2 Hits|editor/images/brick004.bmp|4",
            "5|Brick 2, 2 Hits|editor/images/brick005.bmp|5",
            "6|Brick 3, 2 Hits|editor/images/brick006.bmp|6",
            "7|Brick 1, 3 Hits|editor/images/brick007.bmp|7",
            "8|Brick 2, 3 Hits|editor/images/brick008.bmp|8",
            "9|Brick 3, 3 Hits|editor/images/brick009.bmp|9",
            "10|Brick Fixed|editor/images/brick_fixed.bmp|#"}));
        QCOMPARE(rowsOf(PowerUpKinds()), (QStringList{
            "1|PowerUp - Single Shot|editor/images/pu_blue.bmp|S",
            "2|PowerUp - Extra Ball|editor/images/pu_vio.bmp|E",
            "3|PowerUp - Lower Speed|editor/images/pu_yellow.bmp|L",
            "4|PowerUp - Faster Speed|editor/images/pu_grey.bmp|F",
            "5|PowerUp - Iron Ball|editor/images/pu_green.bmp|I",
            "6|PowerUp - Wall|editor/images/pu_braun.bmp|W"}));
    }

    void itemsKeepInsertionOrderAndAreFoundByCode() {
        TBrickList Bricks;
        TPowerUpList PowerUps;
        fill(Bricks, BrickKinds());
        fill(PowerUps, PowerUpKinds());
        QCOMPARE(Bricks.Count(), 10);
        QCOMPARE(Bricks.Items(9).Name, std::string("Brick Fixed"));
        QCOMPARE(Bricks.Items(9).Bitmap.size(), QSize(15, 9));
        QCOMPARE(errorOf([&] { Bricks.Items(-1); }), "List index out of bounds (-1)");
        QCOMPARE(errorOf([&] { Bricks.Items(10); }), "List index out of bounds (10)");
        QCOMPARE(Bricks.FindItem(8), &Bricks.Items(7));
        QCOMPARE(PowerUps.FindItem(6), &PowerUps.Items(5));
        QCOMPARE(Bricks.FindItem(0), nullptr);
        QCOMPARE(Bricks.FindItem(11), nullptr);
        QCOMPARE(PowerUps.FindItem(7), nullptr);
        PowerUps.AddItem(3, "editor/images/pu_vio.bmp", "second of code 3");
        QCOMPARE(PowerUps.FindItem(3), &PowerUps.Items(2));
    }

    void picturesWithAlphaAreMadeOpaque() {
        // A 15 x 9 bitmap with a V4 header and an alpha mask, every pixel fully transparent.
        QByteArray Bmp;
        QDataStream Out(&Bmp, QIODevice::WriteOnly);
        Out.setByteOrder(QDataStream::LittleEndian);
        const quint32 PixelBytes = 15 * 9 * 4;
        Out.writeRawData("BM", 2);
        Out << quint32(14 + 108 + PixelBytes) << quint32(0) << quint32(14 + 108);
        Out << quint32(108) << qint32(15) << qint32(9) << quint16(1) << quint16(32) << quint32(3) << PixelBytes
            << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
        Out << quint32(0x00FF0000) << quint32(0x0000FF00) << quint32(0x000000FF) << quint32(0xFF000000);
        Out << quint32(0x73524742); // 'sRGB'
        for (int I = 0; I < 12; ++I)
            Out << quint32(0);
        for (quint32 I = 0; I < PixelBytes / 4; ++I)
            Out << quint32(0x00C80A0A);
        QFile File(FDir.filePath("clear.bmp"));
        QVERIFY(File.open(QIODevice::WriteOnly) && File.write(Bmp) == Bmp.size());
        File.close();
        QVERIFY(QImage(File.fileName()).hasAlphaChannel());
        const TBrickItem Item(1, File.fileName().toStdString(), "clear");
        QCOMPARE(qAlpha(Item.Bitmap.pixel(3, 3)), 255);
        QCOMPARE(QColor(Item.Bitmap.pixel(3, 3)), QColor(0xC8, 0x0A, 0x0A));
    }

    void paletteShowsCatalogueInReverseWithItemsAsTags() {
        TBrickList List;
        fill(List, BrickKinds());
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        List.BuildPalette(Images, &Bar, {});
        QCOMPARE(Bar.Images(), &Images);
        QStringList Expected;
        for (const TCatalogueEntry& Kind : BrickKinds())
            Expected.prepend(QString("%1 %2").arg(Kind.Id).arg(Kind.Name));
        QCOMPARE(buttonsOf<TBrickItem>(Bar), Expected);
        QCOMPARE(std::any_cast<const TBrickItem*>(Bar.Buttons().first()->Tag), List.FindItem(10));
        QCOMPARE(iconImage(Bar.Buttons().first()), List.FindItem(10)->Bitmap.convertToFormat(QImage::Format_RGB32));
        TImageList ImagesOnly(15, 9);
        List.BuildPalette(ImagesOnly, nullptr, {});
        QCOMPARE(ImagesOnly.Count(), 10);
    }

    void buttonClickReachesHandlerWithItsButton() {
        TPowerUpList List;
        fill(List, PowerUpKinds());
        TImageList Images(23, 11);
        TPaletteToolBar Bar;
        QList<int> Codes;
        List.BuildPalette(Images, &Bar, [&](QObject* Sender) {
            Codes << std::any_cast<const TPowerUpItem*>(qobject_cast<TPaletteButton*>(Sender)->Tag)->Id;
        });
        Bar.show();
        QTest::mouseClick(Bar.Buttons().at(0), Qt::LeftButton);
        QTest::mouseClick(Bar.Buttons().at(4), Qt::LeftButton);
        QCOMPARE(Codes, (QList<int>{6, 2}));
    }

    // A wide picture takes two images; the next item's button must show the image after them.
    void buttonShowsTheFirstPieceOfItsOwnPicture() {
        QImage Wide = filled(qRgb(200, 0, 0), 30, 9);
        Wide.setPixel(20, 4, qRgb(0, 0, 200));
        TBrickList List;
        List.AddItem(1, picture("wide.bmp", Wide), "wide");
        List.AddItem(2, "editor/images/brick002.bmp", "next");
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        List.BuildPalette(Images, &Bar, {});
        QCOMPARE(Images.Count(), 3);
        QCOMPARE(iconImage(Bar.Buttons().last()), filled(qRgb(200, 0, 0), 15, 9));
        QCOMPARE(iconImage(Bar.Buttons().first()), List.Items(1).Bitmap.convertToFormat(QImage::Format_RGB32));
    }

    void unloadablePictureFailsItemAndKeepsList() {
        const std::string Missing = FDir.filePath("missing.bmp").toStdString();
        TBrickList List;
        List.AddItem(1, "editor/images/brick001.bmp", "Brick 1, 1 Hit");
        QCOMPARE(errorOf([&] { List.AddItem(2, Missing, "broken"); }),
                 QString::fromStdString("Cannot open file \"" + Missing + "\". No such file or directory"));
        QCOMPARE(List.Count(), 1);
    }

    void tooSmallPictureStopsPaletteAfterEarlierButtons() {
        TBrickList List;
        List.AddItem(1, "editor/images/brick001.bmp", "one");
        List.AddItem(2, picture("empty.bmp", {}), "empty");
        List.AddItem(3, "editor/images/brick003.bmp", "three");
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        QCOMPARE(errorOf([&] { List.BuildPalette(Images, &Bar, {}); }), "Invalid image size");
        QCOMPARE(buttonsOf<TBrickItem>(Bar), QStringList{"1 one"});
        QCOMPARE(Images.Count(), 1);
    }

    void errorHandlerHearsEachFailureAndPaletteGoesOn() {
        TPowerUpList List;
        List.AddItem(1, "editor/images/pu_blue.bmp", "one");
        List.AddItem(2, picture("empty.bmp", {}), "empty");
        List.AddItem(3, "editor/images/pu_yellow.bmp", "three");
        List.AddItem(4, picture("tiny.bmp", filled(qRgb(1, 1, 1), 5, 5)), "tiny");
        TImageList Images(23, 11);
        TPaletteToolBar Bar;
        QStringList Errors;
        List.BuildPalette(Images, &Bar, {}, [&](const std::exception& E) { Errors << E.what(); });
        QCOMPARE(Errors, (QStringList{"Invalid image size", "Invalid image size"}));
        QCOMPARE(buttonsOf<TPowerUpItem>(Bar), (QStringList{"3 three", "1 one"}));
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
