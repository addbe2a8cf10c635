#include "bitmap.h"
#include "catalogue.h"
#include "elementkinds.h"
#include "levelfiletools.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

using LevelFileTools::ReadBytes;

// The pictures and sample levels the build lays out beside the executables.

static QString gameDir()
{
    return qEnvironmentVariable("ZOLVANE_GAME_DIR");
}

static QImage load(const QString& RelativePath)
{
    return LoadBitmapFile(QDir(gameDir()).filePath(RelativePath).toStdString());
}

// WCAG's relative luminance and contrast ratio: 1 for equal colours, 21 for black on white.
static double luminance(QRgb Colour)
{
    auto linear = [](int Channel) {
        const double V = Channel / 255.0;
        return V <= 0.04045 ? V / 12.92 : std::pow((V + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(Colour)) + 0.7152 * linear(qGreen(Colour)) + 0.0722 * linear(qBlue(Colour));
}

static double contrast(QRgb A, QRgb B)
{
    const double La = luminance(A), Lb = luminance(B);
    return (std::max(La, Lb) + 0.05) / (std::min(La, Lb) + 0.05);
}

// The grid draws a brick doubled into its 30 x 18 cell and a power-up at its own size from (7, 7), over it.
constexpr int BadgeOffset = 7;

static QRgb cellPixel(const QImage& Brick, const QImage& Badge, int X, int Y)
{
    if (X >= BadgeOffset && Y >= BadgeOffset)
        return Badge.pixel(X - BadgeOffset, Y - BadgeOffset);
    return Brick.pixel(X / 2, Y / 2);
}

// The colour of a brick's face: the median by luminance of the pixels inside its outline.
static QRgb faceColour(const QImage& Brick)
{
    QList<QRgb> Face;
    for (int Y = 1; Y + 1 < Brick.height(); ++Y)
        for (int X = 1; X + 1 < Brick.width(); ++X)
            Face << Brick.pixel(X, Y);
    std::sort(Face.begin(), Face.end(), [](QRgb A, QRgb B) { return luminance(A) < luminance(B); });
    return Face[Face.size() / 2];
}

// Separate runs of columns, in the rows of a brick that a badge leaves showing, holding a pixel at least 2:1
// lighter than the brick's face: what a designer counts as the brick's marks.
static int marksAboveABadge(const QImage& Brick)
{
    const double Face = luminance(faceColour(Brick));
    int Runs = 0;
    bool InRun = false;
    for (int X = 0; X < Brick.width(); ++X) {
        bool Marked = false;
        for (int Y = 0; 2 * Y < BadgeOffset; ++Y)
            Marked = Marked || (luminance(Brick.pixel(X, Y)) + 0.05) / (Face + 0.05) >= 2;
        Runs += Marked && !InRun ? 1 : 0;
        InRun = Marked;
    }
    return Runs;
}

// Pairs of files in the list whose pictures are equal.
static QStringList identicalPairs(std::span<const TCatalogueEntry> Kinds)
{
    QStringList Pairs;
    for (std::size_t I = 0; I < Kinds.size(); ++I)
        for (std::size_t J = I + 1; J < Kinds.size(); ++J)
            if (load(Kinds[I].ImageFile) == load(Kinds[J].ImageFile))
                Pairs << QString("%1 = %2").arg(Kinds[I].ImageFile, Kinds[J].ImageFile);
    return Pairs;
}

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(!gameDir().isEmpty(), "ZOLVANE_GAME_DIR is not set"); }

    // Palette pictures are opaque 24-bit drawings; tool pictures and the icon have a transparent background.
    void picturesHaveTheirSizeAndKind_data()
    {
        QTest::addColumn<QString>("File");
        QTest::addColumn<QSize>("Size");
        QTest::addColumn<bool>("Transparent");
        for (const TCatalogueEntry& Kind : BrickKinds())
            QTest::newRow(Kind.ImageFile) << QString(Kind.ImageFile) << QSize(15, 9) << false;
        for (const TCatalogueEntry& Kind : PowerUpKinds())
            QTest::newRow(Kind.ImageFile) << QString(Kind.ImageFile) << QSize(23, 11) << false;
        for (const char* Tool : {"tool_erase", "tool_draw", "tool_new", "tool_save", "tool_run", "tool_cell",
                                 "tool_rectangle", "tool_fill", "tool_mirror", "tool_pick", "tool_select"})
            QTest::newRow(Tool) << QString("editor/images/%1.bmp").arg(Tool) << QSize(16, 16) << true;
        QTest::newRow("icon") << "editor/images/zolvane.bmp" << QSize(32, 32) << true;
    }
    void picturesHaveTheirSizeAndKind()
    {
        QFETCH(QString, File);
        QFETCH(QSize, Size);
        QFETCH(bool, Transparent);
        const QImage Image = load(File);
        QCOMPARE(Image.size(), Size);
        if (Transparent) {
            // Outlines may leave the middle open, so the drawing is judged by how much of it is solid.
            int Solid = 0;
            for (int Y = 0; Y < Image.height(); ++Y)
                for (int X = 0; X < Image.width(); ++X)
                    Solid += qAlpha(Image.pixel(X, Y)) == 255 ? 1 : 0;
            QCOMPARE(qAlpha(Image.pixel(0, Size.height() - 1)), 0);
            QVERIFY2(Solid >= Size.width() * Size.height() / 8, qPrintable(QString("%1 solid pixels").arg(Solid)));
            return;
        }
        const QByteArray Header = ReadBytes(QDir(gameDir()).filePath(File)).left(30);
        QCOMPARE(Header.size() == 30 ? quint8(Header[28]) | quint8(Header[29]) << 8 : -1, 24);
        QSet<QRgb> Colours;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                Colours.insert(Image.pixel(X, Y));
        QVERIFY2(Colours.size() >= 6, qPrintable(QString("only %1 colours").arg(Colours.size())));
    }

    // The grid copies a power-up opaquely over the brick, so every pixel of it shows: none may be black
    // background, and its colour must be the one its file is named after. Grey is told by having none.
    void powerUpsFillTheirRectangleInTheirColour_data()
    {
        QTest::addColumn<QString>("File");
        QTest::addColumn<int>("Hue");
        const std::pair<const char*, int> Colours[] = {{"pu_blue", 220}, {"pu_vio", 280},   {"pu_yellow", 48},
                                                       {"pu_grey", -1},  {"pu_green", 135}, {"pu_braun", 26}};
        for (const auto& [Name, Hue] : Colours)
            QTest::newRow(Name) << QString("editor/images/%1.bmp").arg(Name) << Hue;
    }
    void powerUpsFillTheirRectangleInTheirColour()
    {
        QFETCH(QString, File);
        QFETCH(int, Hue);
        const QImage Image = load(File);
        QCOMPARE(Image.size(), QSize(23, 11));
        QStringList Dark;
        double R = 0, G = 0, B = 0;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X) {
                const QColor C = Image.pixelColor(X, Y);
                if (C.value() < 40)
                    Dark << QString("(%1, %2) %3").arg(X).arg(Y).arg(C.name());
                R += C.redF();
                G += C.greenF();
                B += C.blueF();
            }
        QCOMPARE(Dark, QStringList{});
        const int Pixels = Image.width() * Image.height();
        const QColor Mean = QColor::fromRgbF(float(R / Pixels), float(G / Pixels), float(B / Pixels));
        const QString Record =
            QString("mean %1, hue %2, saturation %3").arg(Mean.name()).arg(Mean.hsvHue()).arg(Mean.hsvSaturationF());
        if (Hue < 0) {
            QVERIFY2(Mean.hsvSaturationF() < 0.15, qPrintable(Record));
            return;
        }
        const int Off = std::abs(Mean.hsvHue() - Hue);
        QVERIFY2(Mean.hsvSaturationF() > 0.3 && std::min(Off, 360 - Off) <= 20, qPrintable(Record));
    }

    // The number of hits is in the brick's shape: as many studs as hits, in the top rows that stay in view
    // when a power-up badge covers the rest of the doubled brick.
    void hitsShowAsMarksAboveABadge_data()
    {
        QTest::addColumn<QString>("File");
        QTest::addColumn<int>("Hits");
        for (const TCatalogueEntry& Kind : BrickKinds())
            if (IsBreakableBrick(Kind.Id))
                QTest::newRow(Kind.Name) << QString(Kind.ImageFile) << BrickHits(Kind.Id);
    }
    void hitsShowAsMarksAboveABadge()
    {
        QFETCH(QString, File);
        QFETCH(int, Hits);
        QCOMPARE(marksAboveABadge(load(File)), Hits);
    }

    // Each colour keeps its hue through its three strengths, and its face darkens with every hit more.
    void shadeDeepensWithHitsInEachColour_data()
    {
        QTest::addColumn<int>("Variant");
        for (int Variant = 1; Variant <= 3; ++Variant)
            QTest::addRow("Brick %d", Variant) << Variant;
    }
    void shadeDeepensWithHitsInEachColour()
    {
        QFETCH(int, Variant);
        QStringList Record;
        QList<QColor> Faces;
        for (int Hits = 1; Hits <= 3; ++Hits) {
            const TCatalogueEntry* Kind = BrickKindOf(std::uint8_t(3 * (Hits - 1) + Variant));
            QCOMPARE(BrickHits(Kind->Id), Hits);
            Faces << QColor(faceColour(load(Kind->ImageFile)));
            Record << QString("%1: %2 hue %3 luminance %4")
                          .arg(Kind->Name, Faces.last().name())
                          .arg(Faces.last().hsvHue())
                          .arg(luminance(Faces.last().rgb()), 0, 'f', 3);
        }
        for (int I = 1; I < 3; ++I) {
            const int Off = std::abs(Faces[I].hsvHue() - Faces[0].hsvHue());
            QVERIFY2(std::min(Off, 360 - Off) <= 12, qPrintable(Record.join("; ")));
            QVERIFY2(luminance(Faces[I].rgb()) < luminance(Faces[I - 1].rgb()) &&
                         contrast(Faces[I].rgb(), Faces[I - 1].rgb()) >= 1.25,
                     qPrintable(Record.join("; ")));
        }
    }

    // Where a badge meets the brick beneath it (its top and left edges in the cell), one of its two outer
    // rings stands out from every brick by at least 3:1, the contrast asked of any control's edge.
    void badgeEdgeStandsOutOnEveryBrick_data()
    {
        QTest::addColumn<QString>("Badge");
        for (const TCatalogueEntry& Kind : PowerUpKinds())
            QTest::newRow(Kind.Name) << QString(Kind.ImageFile);
    }
    void badgeEdgeStandsOutOnEveryBrick()
    {
        QFETCH(QString, Badge);
        const QImage Picture = load(Badge);
        QStringList Weak;
        for (const TCatalogueEntry& Kind : BrickKinds()) {
            const QImage Brick = load(Kind.ImageFile);
            double Worst = 21;
            auto judge = [&](QRgb Beneath, QRgb Outer, QRgb Inner) {
                Worst = std::min(Worst, std::max(contrast(Beneath, Outer), contrast(Beneath, Inner)));
            };
            for (int X = 0; X < Picture.width(); ++X)
                judge(cellPixel(Brick, Picture, BadgeOffset + X, BadgeOffset - 1), Picture.pixel(X, 0),
                      Picture.pixel(X, 1));
            for (int Y = 0; Y < Picture.height(); ++Y)
                judge(cellPixel(Brick, Picture, BadgeOffset - 1, BadgeOffset + Y), Picture.pixel(0, Y),
                      Picture.pixel(1, Y));
            if (Worst < 3)
                Weak << QString("%1: %2").arg(Kind.Name).arg(Worst, 0, 'f', 2);
        }
        QCOMPARE(Weak.join("; "), QString());
    }

    void noTwoPicturesOfACatalogueAreAlike()
    {
        QCOMPARE(identicalPairs(BrickKinds()), QStringList{});
        QCOMPARE(identicalPairs(PowerUpKinds()), QStringList{});
    }

    void sampleLevelsAreLaidOutUnchanged()
    {
        const QStringList Sources =
            QDir(ZOLVANE_ASSETS_DIR "/levels").entryList({"level*.txt"}, QDir::Files, QDir::Name);
        QVERIFY2(Sources.size() >= 5, qPrintable(Sources.join(", ")));
        for (const QString& Name : Sources)
            QCOMPARE(ReadBytes(gameDir() + "/data/levels/" + Name), ReadBytes(ZOLVANE_ASSETS_DIR "/levels/" + Name));
    }

    // Ten rows of 20 brick/power-up pairs, bricks mirrored, each line ending in CR LF, optionally ":" and a
    // trailer line; together the samples show every kind.
    void sampleLevelsAreWellFormedAndShowEveryKind()
    {
        QString Bricks, PowerUps, Seen;
        for (const TCatalogueEntry& Kind : BrickKinds())
            Bricks += QChar(Kind.FileChar);
        for (const TCatalogueEntry& Kind : PowerUpKinds())
            PowerUps += QChar(Kind.FileChar);
        int Trailers = 0;
        const QDir Levels(ZOLVANE_ASSETS_DIR "/levels");
        for (const QString& Name : Levels.entryList({"level*.txt"}, QDir::Files)) {
            const QByteArray Text = ReadBytes(Levels.filePath(Name));
            const QList<QByteArray> Lines = Text.split('\n');
            QVERIFY2(Text.count("\r\n") == Lines.size() - 1 && Lines.last().isEmpty(), qPrintable(Name));
            QVERIFY2(Lines.size() == 11 || (Lines.size() == 13 && Lines[10] == ":\r" && Lines[11].size() > 1),
                     qPrintable(QString("%1: %2 lines").arg(Name).arg(Lines.size() - 1)));
            Trailers += Lines.size() == 13 ? 1 : 0;
            for (int Row = 0; Row < 10; ++Row) {
                const QString Line = QString::fromLatin1(Lines[Row].chopped(1));
                QCOMPARE(Line.size(), 40);
                for (int Column = 0; Column < 20; ++Column) {
                    const QChar Brick = Line[2 * Column], PowerUp = Line[2 * Column + 1];
                    QVERIFY2(Brick == '.' || Bricks.contains(Brick), qPrintable(Name + ": " + Line));
                    QVERIFY2(PowerUp == '.' || (PowerUps.contains(PowerUp) && Brick != '.'),
                             qPrintable(Name + ": " + Line));
                    QVERIFY2(Brick == Line[38 - 2 * Column], qPrintable(Name + ": not mirrored: " + Line));
                    Seen += QString(Brick) + PowerUp;
                }
            }
        }
        QString Missing;
        for (QChar C : Bricks + PowerUps)
            if (!Seen.contains(C))
                Missing += C;
        QCOMPARE(Missing, QString());
        QVERIFY(Trailers >= 1);
    }

    void layingOutLevelsNeverOverwritesAnEditedOne()
    {
        QTemporaryDir Dest;
        QVERIFY(Dest.isValid());
        QFile Edited(Dest.filePath("level1.txt"));
        QVERIFY(Edited.open(QIODevice::WriteOnly));
        Edited.write("edited by a designer\r\n");
        Edited.close();
        QProcess Cmake;
        Cmake.start(ZOLVANE_CMAKE_COMMAND,
                    {"-DSOURCE_DIR=" ZOLVANE_ASSETS_DIR "/levels", "-DDEST_DIR=" + Dest.path(), "-P",
                     ZOLVANE_ASSETS_DIR "/copylevels.cmake"});
        QVERIFY(Cmake.waitForFinished(60000));
        QCOMPARE(Cmake.exitCode(), 0);
        QCOMPARE(ReadBytes(Dest.filePath("level1.txt")), QByteArray("edited by a designer\r\n"));
        QCOMPARE(ReadBytes(Dest.filePath("level2.txt")), ReadBytes(ZOLVANE_ASSETS_DIR "/levels/level2.txt"));
    }
};

QTEST_GUILESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
