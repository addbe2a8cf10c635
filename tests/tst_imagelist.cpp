#include "exceptions.h"
#include "imagelist.h"

#include <QtTest>

#include <functional>

// Every pixel different, so that a piece taken from the wrong place shows.
static QImage pattern(int Width, int Height) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Image.setPixel(X, Y, qRgb(X * 7 % 256, Y * 20 % 256, (X + Y) * 3 % 256));
    return Image;
}

static QString errorOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const EToolkitError& Error) {
        return Error.what();
    }
    return "(no error)";
}

class TestImageList : public QObject {
    Q_OBJECT

private slots:
    void addingPictureGivesItsFirstIndexAndWholePieces_data() {
        QTest::addColumn<QSize>("PictureSize");
        QTest::addColumn<int>("Pieces");
        QTest::newRow("exact size") << QSize(15, 9) << 1;
        QTest::newRow("double width") << QSize(30, 9) << 2;
        QTest::newRow("remainder dropped") << QSize(44, 9) << 2;
        QTest::newRow("taller keeps top rows") << QSize(15, 20) << 1;
    }
    void addingPictureGivesItsFirstIndexAndWholePieces() {
        QFETCH(QSize, PictureSize);
        QFETCH(int, Pieces);
        TImageList List(15, 9);
        List.Add(pattern(15, 9));
        const QImage Picture = pattern(PictureSize.width(), PictureSize.height());
        QCOMPARE(List.Add(Picture), 1);
        QCOMPARE(List.Count(), 1 + Pieces);
        for (int I = 0; I < Pieces; ++I)
            QCOMPARE(List.Image(1 + I), Picture.copy(I * 15, 0, 15, 9));
    }

    void tooSmallPictureIsRefusedAndAddsNothing_data() {
        QTest::addColumn<QSize>("PictureSize");
        QTest::newRow("narrower") << QSize(14, 9);
        QTest::newRow("lower") << QSize(15, 8);
    }
    void tooSmallPictureIsRefusedAndAddsNothing() {
        QFETCH(QSize, PictureSize);
        TImageList List(15, 9);
        List.Add(pattern(15, 9));
        QCOMPARE(errorOf([&] { List.Add(pattern(PictureSize.width(), PictureSize.height())); }), "Invalid image size");
        QCOMPARE(List.Count(), 1);
    }

    void listOfNoSizeIsRefused() {
        QCOMPARE(errorOf([] { TImageList List(0, 9); }), "Invalid image size");
    }

    void imagesAreOpaqueOnBlack() {
        QImage Picture(23, 11, QImage::Format_ARGB32);
        Picture.fill(qRgba(0, 0, 0, 0));
        Picture.setPixel(1, 0, qRgba(200, 100, 50, 255));
        TImageList List(23, 11);
        List.Add(Picture);
        const QImage& Stored = List.Image(0);
        QVERIFY(!Stored.hasAlphaChannel());
        QCOMPARE(Stored.pixel(1, 0), qRgb(200, 100, 50));
        QCOMPARE(Stored.pixel(5, 5), qRgb(0, 0, 0));
    }

    void indexOutsideListIsAnError() {
        TImageList List(16, 16);
        List.Add(pattern(32, 16));
        QCOMPARE(errorOf([&] { List.Image(-1); }), "List index out of bounds (-1)");
        QCOMPARE(errorOf([&] { List.Image(2); }), "List index out of bounds (2)");
    }
};

QTEST_MAIN(TestImageList)
#include "tst_imagelist.moc"
