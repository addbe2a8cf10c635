#include "bitmap.h"
#include "exceptions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

QImage gradient(int Width, int Height) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Image.setPixel(X, Y, qRgb(X * 16, Y * 25, 200 - X * 10));
    return Image;
}

QByteArray bmpBytes(const QImage& Image) {
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "BMP");
    return Bytes;
}

void writeFile(const QString& Name, const QByteArray& Bytes) {
    QFile File(Name);
    QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(File.write(Bytes), Bytes.size());
}

// Little-endian 32-bit value patched into a byte array.
QByteArray patched32(QByteArray Bytes, int Offset, quint32 Value) {
    for (int I = 0; I < 4; ++I)
        Bytes[Offset + I] = static_cast<char>((Value >> (8 * I)) & 0xFF);
    return Bytes;
}

std::string messageOf(const std::string& FileName) {
    try {
        LoadBitmapFile(FileName);
    } catch (const EToolkitError& Error) {
        return Error.what();
    }
    return "(no error)";
}

} // namespace

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

    void loadsPixelsOfAValidBitmap() {
        const QImage Original = gradient(15, 9);
        writeFile("good.bmp", bmpBytes(Original));
        const QImage Loaded = LoadBitmapFile("good.bmp");
        QCOMPARE(Loaded.size(), QSize(15, 9));
        QCOMPARE(Loaded.convertToFormat(QImage::Format_RGB32), Original);
    }

    void emptyFileLoadsAsEmptyPicture() {
        writeFile("empty.bmp", {});
        const QImage Loaded = LoadBitmapFile("empty.bmp");
        QVERIFY(Loaded.isNull());
        QCOMPARE(Loaded.size(), QSize(0, 0));
    }

    void unopenableFileNamesFullPathAndSystemReason_data() {
        QTest::addColumn<QString>("FileName");
        QTest::addColumn<int>("Errno");
        QTest::newRow("missing file") << "missing.bmp" << ENOENT;
        QTest::newRow("missing folder on the way") << "nowhere/brick.bmp" << ENOENT;
        QTest::newRow("dot segments are resolved") << "./nowhere/../missing.bmp" << ENOENT;
        QTest::newRow("a folder") << "folder.bmp" << EISDIR;
    }
    void unopenableFileNamesFullPathAndSystemReason() {
        QFETCH(QString, FileName);
        QFETCH(int, Errno);
        const QString Full = QDir::cleanPath(QDir::current().absoluteFilePath(FileName));
        const std::string Expected = "Cannot open file \"" + Full.toStdString() + "\". " + std::strerror(Errno);
        QCOMPARE(messageOf(FileName.toStdString()), Expected);
    }

    void brokenFileGivesToolkitMessage_data() {
        const QByteArray Good = bmpBytes(gradient(15, 9));
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QString>("Message");
        QTest::newRow("shorter than the file header") << Good.left(13) << "Stream read error";
        QTest::newRow("short text") << QByteArray("hello") << "Stream read error";
        QTest::newRow("file header only") << Good.left(14) << "Stream read error";
        QTest::newRow("info header cut") << Good.left(30) << "Stream read error";
        QTest::newRow("pixel rows cut") << Good.left(Good.size() - 5) << "Stream read error";
        QTest::newRow("text file") << QByteArray("This is a level file, not a picture.\r\n") << "Bitmap image is not valid";
        QTest::newRow("png signature") << QByteArray("\x89PNG\r\n\x1a\n0000000000000000000000") << "Bitmap image is not valid";
        QTest::newRow("unknown info header size") << patched32(Good, 14, 7) << "Bitmap image is not valid";
        QTest::newRow("zero width") << patched32(Good, 18, 0) << "Bitmap image is not valid";
        QTest::newRow("zero height") << patched32(Good, 22, 0) << "Bitmap image is not valid";
    }
    void brokenFileGivesToolkitMessage() {
        QFETCH(QByteArray, Bytes);
        QFETCH(QString, Message);
        writeFile("broken.bmp", Bytes);
        QCOMPARE(QString::fromStdString(messageOf("broken.bmp")), Message);
    }
};

QTEST_GUILESS_MAIN(TestBitmap)
#include "tst_bitmap.moc"
