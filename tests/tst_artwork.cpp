#include "bitmap.h"
#include "catalogue.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

// The pictures and sample levels the build lays out beside the executables.

static QString gameDir() { return qEnvironmentVariable("ZOLVANE_GAME_DIR"); }

static QImage load(const QString& RelativePath) {
    return LoadBitmapFile(QDir(gameDir()).filePath(RelativePath).toStdString());
}

static QByteArray readAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("(cannot read)");
}

// Pairs of files in the list whose pictures are equal.
static QStringList identicalPairs(std::span<const TCatalogueEntry> Kinds) {
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
    void picturesHaveTheirSizeAndKind_data() {
        QTest::addColumn<QString>("File");
        QTest::addColumn<QSize>("Size");
        QTest::addColumn<bool>("Transparent");
        for (const TCatalogueEntry& Kind : BrickKinds())
            QTest::newRow(Kind.ImageFile) << QString(Kind.ImageFile) << QSize(15, 9) << false;
        for (const TCatalogueEntry& Kind : PowerUpKinds())
            QTest::newRow(Kind.ImageFile) << QString(Kind.ImageFile) << QSize(23, 11) << false;
        for (const char* Tool : {"tool_erase", "tool_draw", "tool_new", "tool_save", "tool_run", "tool_cell",
                                 "tool_rectangle", "tool_fill", "tool_mirror", "tool_pick"})
            QTest::newRow(Tool) << QString("editor/images/%1.bmp").arg(Tool) << QSize(16, 16) << true;
        QTest::newRow("icon") << "editor/images/zolvane.bmp" << QSize(32, 32) << true;
    }
    void picturesHaveTheirSizeAndKind() {
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
        const QByteArray Header = readAll(QDir(gameDir()).filePath(File)).left(30);
        QCOMPARE(Header.size() == 30 ? quint8(Header[28]) | quint8(Header[29]) << 8 : -1, 24);
        QSet<QRgb> Colours;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                Colours.insert(Image.pixel(X, Y));
        QVERIFY2(Colours.size() >= 6, qPrintable(QString("only %1 colours").arg(Colours.size())));
    }

    // The grid copies a power-up opaquely over the brick, so every pixel of it shows: none may be black
    // background, and its colour must be the one its file is named after. Grey is told by having none.
    void powerUpsFillTheirRectangleInTheirColour_data() {
        QTest::addColumn<QString>("File");
        QTest::addColumn<int>("Hue");
        const std::pair<const char*, int> Colours[] = {{"pu_blue", 220},  {"pu_vio", 280},   {"pu_yellow", 48},
                                                       {"pu_grey", -1},   {"pu_green", 135}, {"pu_braun", 26}};
        for (const auto& [Name, Hue] : Colours)
            QTest::newRow(Name) << QString("editor/images/%1.bmp").arg(Name) << Hue;
    }
    void powerUpsFillTheirRectangleInTheirColour() {
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
        const QString Record = QString("mean %1, hue %2, saturation %3")
                                   .arg(Mean.name())
                                   .arg(Mean.hsvHue())
                                   .arg(Mean.hsvSaturationF());
        if (Hue < 0) {
            QVERIFY2(Mean.hsvSaturationF() < 0.15, qPrintable(Record));
            return;
        }
        const int Off = std::abs(Mean.hsvHue() - Hue);
        QVERIFY2(Mean.hsvSaturationF() > 0.3 && std::min(Off, 360 - Off) <= 20, qPrintable(Record));
    }

    void noTwoPicturesOfACatalogueAreAlike() {
        QCOMPARE(identicalPairs(BrickKinds()), QStringList{});
        QCOMPARE(identicalPairs(PowerUpKinds()), QStringList{});
    }

    void sampleLevelsAreLaidOutUnchanged() {
        const QStringList Sources = QDir(ZOLVANE_ASSETS_DIR "/levels").entryList({"level*.txt"}, QDir::Files, QDir::Name);
        QVERIFY2(Sources.size() >= 5, qPrintable(Sources.join(", ")));
        for (const QString& Name : Sources)
            QCOMPARE(readAll(gameDir() + "/data/levels/" + Name), readAll(ZOLVANE_ASSETS_DIR "/levels/" + Name));
    }

    // Ten rows of 20 brick/power-up pairs, bricks mirrored, each line ending in CR LF, optionally ":" and a
    // trailer line; together the samples show every kind.
    void sampleLevelsAreWellFormedAndShowEveryKind() {
        QString Bricks, PowerUps, Seen;
        for (const TCatalogueEntry& Kind : BrickKinds())
            Bricks += QChar(Kind.FileChar);
        for (const TCatalogueEntry& Kind : PowerUpKinds())
            PowerUps += QChar(Kind.FileChar);
        int Trailers = 0;
        const QDir Levels(ZOLVANE_ASSETS_DIR "/levels");
        for (const QString& Name : Levels.entryList({"level*.txt"}, QDir::Files)) {
            const QByteArray Text = readAll(Levels.filePath(Name));
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
                    QVERIFY2(PowerUp == '.' || (PowerUps.contains(PowerUp) && Brick != '.'), qPrintable(Name + ": " + Line));
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

    void layingOutLevelsNeverOverwritesAnEditedOne() {
        QTemporaryDir Dest;
        QVERIFY(Dest.isValid());
        QFile Edited(Dest.filePath("level1.txt"));
        QVERIFY(Edited.open(QIODevice::WriteOnly));
        Edited.write("edited by a designer\r\n");
        Edited.close();
        QProcess Cmake;
        Cmake.start(ZOLVANE_CMAKE_COMMAND, {"-DSOURCE_DIR=" ZOLVANE_ASSETS_DIR "/levels", "-DDEST_DIR=" + Dest.path(),
                                            "-P", ZOLVANE_ASSETS_DIR "/copylevels.cmake"});
        QVERIFY(Cmake.waitForFinished(60000));
        QCOMPARE(Cmake.exitCode(), 0);
        QCOMPARE(readAll(Dest.filePath("level1.txt")), QByteArray("edited by a designer\r\n"));
        QCOMPARE(readAll(Dest.filePath("level2.txt")), readAll(ZOLVANE_ASSETS_DIR "/levels/level2.txt"));
    }
};

QTEST_GUILESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
