#include "bitmap.h"
#include "exceptions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

static QImage gradient(int Width, int Height) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Image.setPixel(X, Y, qRgb(X * 16, Y * 25, 200 - X * 10));
    return Image;
}

static QByteArray bmpBytes(const QImage& Image) {
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "BMP");
    return Bytes;
}

static void writeFile(const QString& Name, const QByteArray& Bytes) {
    QFile File(Name);
    QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size());
}

// Little-endian 32-bit value patched into a byte array.
static QByteArray patched32(QByteArray Bytes, int Offset, quint32 Value) {
    for (int I = 0; I < 4; ++I)
        Bytes[Offset + I] = static_cast<char>((Value >> (8 * I)) & 0xFF);
    return Bytes;
}

class TestBitmap : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FOldCurrent;

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        FOldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(FDir.path()));
        QVERIFY(QDir().mkdir("folder.bmp"));
    }
    void cleanupTestCase() { QDir::setCurrent(FOldCurrent); }

    void loadsPixelsOfAValidBitmapAndNothingOfAnEmptyFile() {
        const QImage Original = gradient(15, 9);
        writeFile("good.bmp", bmpBytes(Original));
        QCOMPARE(LoadBitmapFile("good.bmp").convertToFormat(QImage::Format_RGB32), Original);
        writeFile("empty.bmp", {});
        QCOMPARE(LoadBitmapFile("empty.bmp").size(), QSize(0, 0));
    }

    // A null Bytes leaves the file as it is; %1 in the message stands for the file's full path.
    void eachFailureGivesItsToolkitMessage_data() {
        const QByteArray Good = bmpBytes(gradient(15, 9));
        const QString CannotOpen = "Cannot open file \"%1\". ";
        QTest::addColumn<QString>("FileName");
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QString>("Message");
        QTest::newRow("missing file") << "missing.bmp" << QByteArray() << CannotOpen + std::strerror(ENOENT);
        QTest::newRow("dot segments are resolved") << "./nowhere/../missing.bmp" << QByteArray() << CannotOpen + std::strerror(ENOENT);
        QTest::newRow("a folder") << "folder.bmp" << QByteArray() << CannotOpen + std::strerror(EISDIR);
        QTest::newRow("short text") << "b.bmp" << QByteArray("hello") << "Stream read error";
        QTest::newRow("file header only") << "b.bmp" << Good.left(14) << "Stream read error";
        QTest::newRow("info header cut") << "b.bmp" << Good.left(30) << "Stream read error";
        QTest::newRow("pixel rows cut") << "b.bmp" << Good.left(Good.size() - 5) << "Stream read error";
        QTest::newRow("text file") << "b.bmp" << QByteArray("This is a level file, not a picture.\r\n") << "Bitmap image is not valid";
        QTest::newRow("unknown info header size") << "b.bmp" << patched32(Good, 14, 7) << "Bitmap image is not valid";
        QTest::newRow("negative width") << "b.bmp" << patched32(Good, 18, quint32(-2)) << "Bitmap image is not valid";
        QTest::newRow("zero height") << "b.bmp" << patched32(Good, 22, 0) << "Bitmap image is not valid";
    }
    void eachFailureGivesItsToolkitMessage() {
        QFETCH(QString, FileName);
        QFETCH(QByteArray, Bytes);
        QFETCH(QString, Message);
        if (!Bytes.isNull())
            writeFile(FileName, Bytes);
        QString Error = "(no error)";
        try {
            LoadBitmapFile(FileName.toStdString());
        } catch (const EToolkitError& E) {
            Error = E.what();
        }
        QCOMPARE(Error, Message.arg(QDir::cleanPath(QDir::current().absoluteFilePath(FileName))));
    }
};

QTEST_GUILESS_MAIN(TestBitmap)
#include "tst_bitmap.moc"
