// zolvane-level render: the field's pixels against the element pictures themselves, the enlarged picture,
// and the PNG the command writes.

#include "elementkinds.h"
#include "levelcli.h"
#include "levelfile.h"
#include "levelfiletools.h"
#include "fieldpainter.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace LevelFileTools;

namespace {

QString GameDir()
{
    return qEnvironmentVariable("ZOLVANE_GAME_DIR");
}

QString ImagesDir()
{
    return GameDir() + "/editor/images";
}

// A picture the kinds table names, loaded here on its own rather than through the tool, and kept: the
// comparisons look at every pixel.
QImage Picture(const char* File)
{
    static std::map<std::string, QImage> Loaded;
    QImage& Image = Loaded[File];
    if (Image.isNull())
        Image = QImage(GameDir() + "/" + File).convertToFormat(QImage::Format_RGB32);
    return Image;
}

// Cells with every combination worth telling apart, in the grid's corners and inside.
TLevelData SampleLevel()
{
    const std::string Gap(36, '.');
    const std::string Middle = std::string(14, '.') + "5E4.";
    return RecordFromRows({"1S" + Gap + "#.", "", "", "", Middle, "", "", "", "", ".W" + Gap + "9L"}, "", "");
}

// What the editor's grid shows at field pixel (X, Y): silver lines right of and below each cell, white
// cells, bricks doubled, power-ups at their own size 7 pixels in.
QRgb Expected(const TLevelData& Level, int X, int Y)
{
    const int InX = X % 31;
    const int InY = Y % 19;
    if (InX == 30 || InY == 18)
        return qRgb(192, 192, 192);
    const TLevelCell Cell = Level.Cells[X / 31][Y / 19];
    QRgb Colour = qRgb(255, 255, 255);
    if (Cell.Brick != 0)
        Colour = Picture(BrickKindOf(Cell.Brick)->ImageFile).pixel(InX / 2, InY / 2);
    if (Cell.PowerUp != 0 && InX >= 7 && InY >= 7)
        Colour = Picture(PowerUpKindOf(Cell.PowerUp)->ImageFile).pixel(InX - 7, InY - 7);
    return Colour;
}

QString Mismatches(const QImage& Image, const std::function<QRgb(int, int)>& Want)
{
    QStringList Wrong;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixel(X, Y) != Want(X, Y) && Wrong.size() < 8)
                Wrong << QString("(%1, %2) is %3, not %4")
                             .arg(X)
                             .arg(Y)
                             .arg(Image.pixel(X, Y), 8, 16, QChar('0'))
                             .arg(Want(X, Y), 8, 16, QChar('0'));
    return Wrong.join("; ");
}

// Runs the tool with "@NAME" arguments taken as files in Dir; returns the exit status and what it said on
// the error stream, with Dir's path taken out.
std::pair<int, QString> Run(const QStringList& Args, const QString& Dir)
{
    std::vector<std::string> Arguments;
    for (const QString& Arg : Args)
        Arguments.push_back((Arg.startsWith('@') ? Dir + "/" + Arg.mid(1) : Arg).toStdString());
    std::ostringstream Out, Err;
    const int Status = RunLevelTool(Arguments, ImagesDir().toStdString(), Out, Err);
    return {Status, QString::fromStdString(Err.str()).replace(Dir + "/", "")};
}

// A picture file read back as its bytes say, not as its name says: the format found and the pixels.
std::pair<QByteArray, QImage> ReadBack(const QString& Path)
{
    QImageReader Reader(Path);
    Reader.setDecideFormatFromContent(true);
    const QByteArray Format = Reader.format();
    return {Format, Reader.read().convertToFormat(QImage::Format_RGB32)};
}

// The mean difference of the channels over all pixels, 0 to 255; -1 when the sizes differ.
double MeanDifference(const QImage& A, const QImage& B)
{
    if (A.size() != B.size())
        return -1;
    double Sum = 0;
    for (int Y = 0; Y < A.height(); ++Y)
        for (int X = 0; X < A.width(); ++X) {
            const QRgb P = A.pixel(X, Y), Q = B.pixel(X, Y);
            Sum += std::abs(qRed(P) - qRed(Q)) + std::abs(qGreen(P) - qGreen(Q)) + std::abs(qBlue(P) - qBlue(Q));
        }
    return Sum / (3.0 * A.width() * A.height());
}

} // namespace

class TestLevelRender : public QObject {
    Q_OBJECT
    TFieldPictures FPictures;

private slots:
    void initTestCase()
    {
        QVERIFY2(!GameDir().isEmpty(), "ZOLVANE_GAME_DIR is not set");
        // The expectations double bricks and place power-ups by these sizes.
        for (const TCatalogueEntry& Kind : BrickKinds())
            QCOMPARE(Picture(Kind.ImageFile).size(), QSize(15, 9));
        for (const TCatalogueEntry& Kind : PowerUpKinds())
            QCOMPARE(Picture(Kind.ImageFile).size(), QSize(23, 11));
        FPictures = LoadFieldPictures(ImagesDir().toStdString());
    }

    void fieldShowsEachCellAsTheGrid()
    {
        const TLevelData Level = SampleLevel();
        const QImage Image = RenderLevel(Level, FPictures, 1);
        QCOMPARE(Image.size(), QSize(620, 190));
        QCOMPARE(Image.format(), QImage::Format_RGB32);
        QCOMPARE(Mismatches(Image, [&](int X, int Y) { return Expected(Level, X, Y); }), QString());
    }

    void scaleMakesEveryPixelASquare()
    {
        const TLevelData Level = SampleLevel();
        const QImage Small = RenderLevel(Level, FPictures, 1);
        const QImage Big = RenderLevel(Level, FPictures, 3);
        QCOMPARE(Big.size(), QSize(1860, 570));
        QCOMPARE(Mismatches(Big, [&](int X, int Y) { return Small.pixel(X / 3, Y / 3); }), QString());
    }

    void renderWritesThePng()
    {
        QTemporaryDir Dir;
        const QString Level = Dir.filePath("level.txt");
        QVERIFY(WriteBytes(Level, Joined({"1S" + QByteArray(36, '.') + "#.", "", "..4E"})));
        const QString Png = Dir.filePath("level.png");
        std::ostringstream Out, Err;
        const int Status = RunLevelTool({"render", Level.toStdString(), "-o", Png.toStdString(), "--scale=2"},
                                        ImagesDir().toStdString(), Out, Err);
        QCOMPARE(QString::fromStdString(Err.str()), QString());
        QCOMPARE(Status, 0);
        TLevelData Expected;
        ClearLevel(Expected);
        Expected.Cells[0][0] = {1, 1};
        Expected.Cells[19][0] = {10, 0};
        Expected.Cells[1][2] = {4, 2};
        const QImage Written = QImage(Png, "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(Written.size(), QSize(1240, 380));
        QVERIFY(Written == RenderLevel(Expected, FPictures, 2));
        // Compressed as PNG usually is: a field of plain cells takes a small part of its raw pixels.
        const qint64 Bytes = QFileInfo(Png).size();
        QVERIFY2(Bytes < 1240 * 380 * 3 / 20, qPrintable(QString("%1 bytes").arg(Bytes)));
    }

    // The output's name picks the format, whatever its case; the file holds that format, with the field's
    // pixels (a JPEG's within its loss).
    void renderWritesTheFormatItsNameAsks_data()
    {
        QTest::addColumn<QString>("Output");
        QTest::addColumn<QByteArray>("Format");
        QTest::addColumn<double>("Loss"); // the mean difference per channel allowed
        QTest::newRow("png") << "level.png" << QByteArray("png") << 0.0;
        QTest::newRow("bmp") << "level.bmp" << QByteArray("bmp") << 0.0;
        QTest::newRow("ppm") << "level.ppm" << QByteArray("ppm") << 0.0;
        QTest::newRow("jpg") << "level.jpg" << QByteArray("jpeg") << 2.0;
        QTest::newRow("JPEG in capitals") << "LEVEL.JPEG" << QByteArray("jpeg") << 2.0;
    }
    void renderWritesTheFormatItsNameAsks()
    {
        QFETCH(QString, Output);
        QFETCH(QByteArray, Format);
        QFETCH(double, Loss);
        QTemporaryDir Dir;
        const TLevelData Level = SampleLevel();
        QVERIFY(WriteBytes(Dir.filePath("level.txt"), QByteArray::fromStdString(FormatLevel(Level))));
        QCOMPARE(Run({"render", "@level.txt", "-o", "@" + Output}, Dir.path()), std::make_pair(0, QString()));
        const auto [Found, Image] = ReadBack(Dir.filePath(Output));
        QCOMPARE(Found, Format);
        const double Difference = MeanDifference(Image, RenderLevel(Level, FPictures, 1));
        QVERIFY2(Difference >= 0 && Difference <= Loss,
                 qPrintable(QString("differs by %1 on average").arg(Difference)));
    }

    // Whatever render refuses, it refuses before writing: the folder keeps only the levels.
    void refusedOutputsWriteNothing_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::newRow("unknown extension") << QStringList{"@one.txt", "-o", "@one.xyz"};
        QTest::newRow("no extension") << QStringList{"@one.txt", "-o", "@one"};
        QTest::newRow("format the name denies") << QStringList{"@one.txt", "-o", "@one.png", "--format", "bmp"};
        QTest::newRow("unknown format for a folder") << QStringList{"@one.txt", "-o", "@", "--format", "tga2"};
        QTest::newRow("two levels into one file") << QStringList{"@one.txt", "@two.txt", "-o", "@one.png"};
        QTest::newRow("two levels of one name") << QStringList{"@one.txt", "@sub/one.txt", "-o", "@"};
    }
    void refusedOutputsWriteNothing()
    {
        QFETCH(QStringList, Args);
        QTemporaryDir Dir;
        QVERIFY(QDir(Dir.path()).mkdir("sub"));
        for (const char* Name : {"one.txt", "two.txt", "sub/one.txt"})
            QVERIFY(WriteBytes(Dir.filePath(Name), Joined(BrickRows())));
        const QStringList Before = Snapshot(Dir.path());
        const auto [Status, Said] = Run(QStringList{"render"} + Args, Dir.path());
        QCOMPARE(Status, 2);
        QVERIFY2(Said.startsWith("zolvane-level render: "), qPrintable(Said));
        QCOMPARE(Snapshot(Dir.path()), Before);
    }

    // Into a folder, each picture is named after its level with the format's extension (png unless
    // --format says otherwise); a level that cannot be read is named and the others are still drawn.
    void severalLevelsGoIntoAFolder_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<QStringList>("Written");
        QTest::addColumn<QString>("Said");
        QTest::addColumn<int>("Status");
        QTest::newRow("several as bmp, one missing")
            << QStringList{"@a.txt", "@gone.txt", "@b.level.txt", "-o", "@out", "--format", "BMP"}
            << QStringList{"a.bmp", "b.level.bmp"} << "gone.txt: error: cannot read: No such file or directory\n"
            << 2;
        QTest::newRow("one into a folder, png by default")
            << QStringList{"@a.txt", "-o", "@out/"} << QStringList{"a.png"} << "" << 0;
    }
    void severalLevelsGoIntoAFolder()
    {
        QFETCH(QStringList, Args);
        QFETCH(QStringList, Written);
        QFETCH(QString, Said);
        QFETCH(int, Status);
        QTemporaryDir Dir;
        QVERIFY(QDir(Dir.path()).mkdir("out"));
        TLevelData A = SampleLevel();
        TLevelData B = SampleLevel();
        B.Cells[3][3] = {7, 6};
        QVERIFY(WriteBytes(Dir.filePath("a.txt"), QByteArray::fromStdString(FormatLevel(A))));
        QVERIFY(WriteBytes(Dir.filePath("b.level.txt"), QByteArray::fromStdString(FormatLevel(B))));
        QCOMPARE(Run(QStringList{"render"} + Args, Dir.path()), std::make_pair(Status, Said));
        QCOMPARE(Listing(Dir.filePath("out")), Written);
        for (const QString& Name : Written) {
            const auto [Found, Image] = ReadBack(Dir.filePath("out/" + Name));
            QCOMPARE(Found, Name.section('.', -1).toLatin1());
            QVERIFY(Image == RenderLevel(Name.startsWith('a') ? A : B, FPictures, 1));
        }
    }

    void missingPicturesAreNamed()
    {
        QTemporaryDir Dir;
        const QString Level = Dir.filePath("level.txt");
        QVERIFY(WriteBytes(Level, Joined(BrickRows())));
        std::ostringstream Out, Err;
        const int Status = RunLevelTool({"render", Level.toStdString(), "-o", Dir.filePath("x.png").toStdString(),
                                         "--images", Dir.filePath("none").toStdString()},
                                        "unused", Out, Err);
        QCOMPARE(Status, 2);
        const QString Message = QString::fromStdString(Err.str());
        const QString Named = "zolvane-level render: cannot load picture " + Dir.filePath("none/brick001.bmp") + ": ";
        QVERIFY2(Message.startsWith(Named), qPrintable(Message));
        QVERIFY(!QFile::exists(Dir.filePath("x.png")));
    }
};

QTEST_GUILESS_MAIN(TestLevelRender)
#include "tst_levelrender.moc"
