#include "catalogue.h"
#include "exceptions.h"
#include "imagelist.h"
#include "palettebar.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

QImage filled(QRgb Colour, int Width, int Height) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    Image.fill(Colour);
    return Image;
}

QStringList rowsOf(std::span<const TCatalogueEntry> Kinds) {
    QStringList Rows;
    for (const TCatalogueEntry& Kind : Kinds)
        Rows << QString("%1|%2|%3|%4").arg(Kind.Id).arg(Kind.Name, Kind.ImageFile).arg(QChar(Kind.FileChar));
    return Rows;
}

template <class TList>
void fill(TList& List, std::span<const TCatalogueEntry> Kinds) {
    for (const TCatalogueEntry& Kind : Kinds)
        List.AddItem(Kind.Id, Kind.ImageFile, Kind.Name);
}

QStringList hintsOf(const TPaletteToolBar& Bar) {
    QStringList Hints;
    for (const TPaletteButton* Button : Bar.Buttons())
        Hints << Button->toolTip();
    return Hints;
}

template <class TItem>
QList<int> tagCodesOf(const TPaletteToolBar& Bar) {
    QList<int> Codes;
    for (const TPaletteButton* Button : Bar.Buttons())
        Codes << std::any_cast<const TItem*>(Button->Tag)->Id;
    return Codes;
}

QImage iconImage(const TPaletteButton* Button, QSize Size) {
    return Button->icon().pixmap(Size).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

    QString FOldCurrent;
    QTemporaryDir FDir;

    // A picture file in the scratch folder; returns its path.
    std::string picture(const QString& Name, const QImage& Image) {
        const QString Path = FDir.filePath(Name);
        if (!Image.save(Path, "BMP"))
            qFatal("cannot write %s", qPrintable(Path));
        return Path.toStdString();
    }
    std::string file(const QString& Name, const QByteArray& Bytes) {
        const QString Path = FDir.filePath(Name);
        QFile File(Path);
        if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size())
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

    void findItemGivesKindByCodeOrNone_data() {
        QTest::addColumn<bool>("Bricks");
        QTest::addColumn<int>("Code");
        QTest::addColumn<QString>("Name");
        QTest::newRow("brick 0") << true << 0 << "";
        QTest::newRow("brick 1") << true << 1 << "Brick 1, 1 Hit";
        QTest::newRow("brick 8") << true << 8 << "Brick 2, 3 Hits";
        QTest::newRow("brick 10") << true << 10 << "Brick Fixed";
        QTest::newRow("brick 11") << true << 11 << "";
        QTest::newRow("brick 255") << true << 255 << "";
        QTest::newRow("power-up 0") << false << 0 << "";
        QTest::newRow("power-up 1") << false << 1 << "PowerUp - Single Shot";
        QTest::newRow("power-up 6") << false << 6 << "PowerUp - Wall";
        QTest::newRow("power-up 7") << false << 7 << "";
        QTest::newRow("power-up 10") << false << 10 << "";
    }
    void findItemGivesKindByCodeOrNone() {
        QFETCH(bool, Bricks);
        QFETCH(int, Code);
        QFETCH(QString, Name);
        TBrickList BrickList;
        TPowerUpList PowerUpList;
        fill(BrickList, BrickKinds());
        fill(PowerUpList, PowerUpKinds());
        const TCatalogueItem* Found = Bricks ? static_cast<const TCatalogueItem*>(BrickList.FindItem(std::uint8_t(Code)))
                                             : PowerUpList.FindItem(std::uint8_t(Code));
        QCOMPARE(Found ? QString::fromStdString(Found->Name) : QString(), Name);
        if (Found)
            QCOMPARE(int(Found->Id), Code);
    }

    void findItemGivesTheFirstOfEqualCodes() {
        TPowerUpList List;
        List.AddItem(3, "editor/images/pu_blue.bmp", "first");
        List.AddItem(3, "editor/images/pu_vio.bmp", "second");
        QCOMPARE(List.FindItem(3), &List.Items(0));
    }

    void itemsAreInInsertionOrderAndCheckTheirIndex() {
        TBrickList List;
        fill(List, BrickKinds());
        QCOMPARE(List.Count(), 10);
        QCOMPARE(List.Items(0).Name, std::string("Brick 1, 1 Hit"));
        QCOMPARE(List.Items(9).Name, std::string("Brick Fixed"));
        QCOMPARE(List.Items(9).Bitmap.size(), QSize(15, 9));
        for (int Index : {-1, 10}) {
            QString Message;
            try {
                List.Items(Index);
            } catch (const std::out_of_range& Error) {
                Message = Error.what();
            }
            QCOMPARE(Message, QString("List index out of bounds (%1)").arg(Index));
        }
    }

    void brickPaletteShowsCatalogueInReverse() {
        TBrickList List;
        fill(List, BrickKinds());
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        List.BuildPalette(Images, &Bar, {});
        QCOMPARE(Images.Count(), 10);
        QCOMPARE(Bar.Images(), &Images);
        QCOMPARE(hintsOf(Bar), (QStringList{"Brick Fixed", "Brick 3, 3 Hits", "Brick 2, 3 Hits", "Brick 1, 3 Hits",
                                            "Brick 3, 2 Hits", "Brick 2, 2 Hits", "Brick 1, 2 Hits", "Brick 3, 1 Hit",
                                            "Brick 2, 1 Hit", "Brick 1, 1 Hit"}));
        QCOMPARE(tagCodesOf<TBrickItem>(Bar), (QList<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
        QCOMPARE(std::any_cast<const TBrickItem*>(Bar.Buttons().first()->Tag), List.FindItem(10));
        // each button carries its own item's picture
        QCOMPARE(iconImage(Bar.Buttons().first(), {15, 9}), List.FindItem(10)->Bitmap.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(iconImage(Bar.Buttons().last(), {15, 9}), List.FindItem(1)->Bitmap.convertToFormat(QImage::Format_RGB32));
    }

    void powerUpPaletteShowsCatalogueInReverse() {
        TPowerUpList List;
        fill(List, PowerUpKinds());
        TImageList Images(23, 11);
        TPaletteToolBar Bar;
        List.BuildPalette(Images, &Bar, {});
        QCOMPARE(hintsOf(Bar), (QStringList{"PowerUp - Wall", "PowerUp - Iron Ball", "PowerUp - Faster Speed",
                                            "PowerUp - Lower Speed", "PowerUp - Extra Ball", "PowerUp - Single Shot"}));
        QCOMPARE(tagCodesOf<TPowerUpItem>(Bar), (QList<int>{6, 5, 4, 3, 2, 1}));
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

    void withoutToolBarOnlyImagesAreAdded() {
        TBrickList List;
        fill(List, BrickKinds());
        TImageList Images(15, 9);
        List.BuildPalette(Images, nullptr, {});
        QCOMPARE(Images.Count(), 10);
    }

    void widePictureAddsPiecesAndButtonShowsLeftPart() {
        QImage Wide = filled(qRgb(200, 0, 0), 30, 9);
        for (int Y = 0; Y < 9; ++Y)
            for (int X = 15; X < 30; ++X)
                Wide.setPixel(X, Y, qRgb(0, 0, 200));
        TBrickList List;
        List.AddItem(1, picture("wide.bmp", Wide), "wide");
        List.AddItem(2, "editor/images/brick002.bmp", "next");
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        List.BuildPalette(Images, &Bar, {});
        QCOMPARE(Images.Count(), 3);
        QCOMPARE(iconImage(Bar.Buttons().last(), {15, 9}), filled(qRgb(200, 0, 0), 15, 9));
        QCOMPARE(iconImage(Bar.Buttons().first(), {15, 9}), List.Items(1).Bitmap.convertToFormat(QImage::Format_RGB32));
    }

    void unloadablePictureFailsItemAndKeepsList_data() {
        QTest::addColumn<QString>("FileName");
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QString>("Message");
        QTest::newRow("missing") << "missing.bmp" << QByteArray() << "Cannot open file \"%1\". No such file or directory";
        QTest::newRow("not a bitmap") << "text.bmp" << QByteArray("just some text, long enough") << "Bitmap image is not valid";
        QTest::newRow("shorter than header") << "short.bmp" << QByteArray("BM\1\0") << "Stream read error";
    }
    void unloadablePictureFailsItemAndKeepsList() {
        QFETCH(QString, FileName);
        QFETCH(QByteArray, Bytes);
        QFETCH(QString, Message);
        const std::string Path = Bytes.isEmpty() ? FDir.filePath(FileName).toStdString() : file(FileName, Bytes);
        TBrickList List;
        List.AddItem(1, "editor/images/brick001.bmp", "Brick 1, 1 Hit");
        QString Error;
        try {
            List.AddItem(2, Path, "broken");
        } catch (const EToolkitError& E) {
            Error = E.what();
        }
        QCOMPARE(Error, Message.arg(QString::fromStdString(Path)));
        QCOMPARE(List.Count(), 1);
        QCOMPARE(List.FindItem(2), nullptr);
    }

    void tooSmallPictureStopsPaletteAfterEarlierButtons_data() {
        QTest::addColumn<QSize>("Size");
        QTest::newRow("empty file") << QSize();
        QTest::newRow("narrower") << QSize(14, 9);
        QTest::newRow("lower") << QSize(15, 8);
    }
    void tooSmallPictureStopsPaletteAfterEarlierButtons() {
        QFETCH(QSize, Size);
        const std::string Small = Size.isValid() ? picture("small.bmp", filled(qRgb(1, 1, 1), Size.width(), Size.height()))
                                                 : file("empty.bmp", {});
        TBrickList List;
        List.AddItem(1, "editor/images/brick001.bmp", "one");
        List.AddItem(2, Small, "small");
        List.AddItem(3, "editor/images/brick003.bmp", "three");
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        QString Error;
        try {
            List.BuildPalette(Images, &Bar, {});
        } catch (const EToolkitError& E) {
            Error = E.what();
        }
        QCOMPARE(Error, QString("Invalid image size"));
        QCOMPARE(hintsOf(Bar), QStringList{"one"});
        QCOMPARE(Images.Count(), 1);
    }

    void errorHandlerHearsEachFailureAndPaletteGoesOn() {
        TPowerUpList List;
        List.AddItem(1, "editor/images/pu_blue.bmp", "one");
        List.AddItem(2, file("empty.bmp", {}), "empty");
        List.AddItem(3, "editor/images/pu_yellow.bmp", "three");
        List.AddItem(4, picture("tiny.bmp", filled(qRgb(1, 1, 1), 5, 5)), "tiny");
        TImageList Images(23, 11);
        TPaletteToolBar Bar;
        QStringList Errors;
        List.BuildPalette(Images, &Bar, {}, [&](const std::exception& E) { Errors << E.what(); });
        QCOMPARE(Errors, (QStringList{"Invalid image size", "Invalid image size"}));
        QCOMPARE(hintsOf(Bar), (QStringList{"three", "one"}));
        QCOMPARE(tagCodesOf<TPowerUpItem>(Bar), (QList<int>{3, 1}));
    }
};

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
