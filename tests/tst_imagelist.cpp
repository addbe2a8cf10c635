#include "exceptions.h"
#include "imagelist.h"

#include <QtTest>

namespace {

// Every pixel different, so that a piece taken from the wrong place shows.
QImage pattern(int Width, int Height) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Image.setPixel(X, Y, qRgb(X * 7 % 256, Y * 20 % 256, (X + Y) * 3 % 256));
    return Image;
}

QString errorOfAdd(TImageList& List, const QImage& Image) {
    try {
        List.Add(Image);
    } catch (const EToolkitError& Error) {
        return Error.what();
    }
    return "(no error)";
}

} // namespace

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
        QTest::newRow("triple width and taller") << QSize(45, 10) << 3;
    }
    void addingPictureGivesItsFirstIndexAndWholePieces() {
        QFETCH(QSize, PictureSize);
        QFETCH(int, Pieces);
        TImageList List(15, 9);
        QCOMPARE(List.Add(pattern(15, 9)), 0);
        const QImage Picture = pattern(PictureSize.width(), PictureSize.height());
        QCOMPARE(List.Add(Picture), 1);
        QCOMPARE(List.Count(), 1 + Pieces);
        for (int I = 0; I < Pieces; ++I) {
            QCOMPARE(List.Image(1 + I).size(), QSize(15, 9));
            QCOMPARE(List.Image(1 + I), Picture.copy(I * 15, 0, 15, 9));
        }
        QCOMPARE(List.Add(pattern(15, 9)), 1 + Pieces);
    }

    void tooSmallPictureIsRefusedAndAddsNothing_data() {
        QTest::addColumn<QSize>("PictureSize");
        QTest::newRow("narrower") << QSize(14, 9);
        QTest::newRow("lower") << QSize(15, 8);
        QTest::newRow("wide but lower") << QSize(60, 8);
        QTest::newRow("empty picture") << QSize(0, 0);
    }
    void tooSmallPictureIsRefusedAndAddsNothing() {
        QFETCH(QSize, PictureSize);
        TImageList List(15, 9);
        List.Add(pattern(15, 9));
        const QImage Picture = PictureSize.isEmpty() ? QImage() : pattern(PictureSize.width(), PictureSize.height());
        QCOMPARE(errorOfAdd(List, Picture), QString("Invalid image size"));
        QCOMPARE(List.Count(), 1);
    }

    void imagesAreOpaqueOnBlack() {
        QImage Picture(23, 11, QImage::Format_ARGB32);
        Picture.fill(qRgba(0, 0, 0, 0));
        Picture.setPixel(0, 0, qRgba(255, 255, 255, 255));
        Picture.setPixel(1, 0, qRgba(200, 100, 50, 255));
        TImageList List(23, 11);
        List.Add(Picture);
        const QImage Stored = List.Image(0);
        QVERIFY(!Stored.hasAlphaChannel());
        QCOMPARE(Stored.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(Stored.pixel(1, 0), qRgb(200, 100, 50));
        QCOMPARE(Stored.pixel(5, 5), qRgb(0, 0, 0));
    }

    void indexOutsideListIsAnError_data() {
        QTest::addColumn<int>("Index");
        QTest::newRow("negative") << -1;
        QTest::newRow("one past the end") << 2;
    }
    void indexOutsideListIsAnError() {
        QFETCH(int, Index);
        TImageList List(16, 16);
        List.Add(pattern(32, 16));
        QString Message;
        try {
            List.Image(Index);
        } catch (const EToolkitError& Error) {
            Message = Error.what();
        }
        QCOMPARE(Message, QString("List index out of bounds (%1)").arg(Index));
    }

    void iconShowsTheImage() {
        TImageList List(16, 16);
        List.Add(pattern(16, 16));
        const QIcon Icon = List.Icon(0);
        QCOMPARE(Icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_RGB32), pattern(16, 16));
    }

    void sizeMustBePositive() {
        QString Message;
        try {
            TImageList List(0, 9);
        } catch (const EToolkitError& Error) {
            Message = Error.what();
        }
        QCOMPARE(Message, QString("Invalid image size"));
    }
};

QTEST_MAIN(TestImageList)
#include "tst_imagelist.moc"
