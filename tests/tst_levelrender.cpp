// zolvane-level render: the field's pixels against the element pictures themselves, the enlarged picture,
// and the PNG the command writes.

#include "elementkinds.h"
#include "levelcli.h"
#include "levelfiletools.h"
#include "fieldpainter.h"

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
    const QByteArray Gap(36, '.');
    const QByteArray Middle = QByteArray(14, '.') + "5E4.";
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
