// Reading and writing the level text file: byte-exact output, every line-end and Ctrl-Z rule on input,
// the trailer search, chunk boundaries, random round trips and huge input in bounded memory.

#include "leveldata.h"
#include "levelfile.h"
#include "levelfiletools.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <random>

using namespace LevelFileTools;

Q_DECLARE_METATYPE(TLevelData)

namespace {

// The process's peak resident memory in KiB, after forgetting the peak so far when Reset.
long PeakMemoryKiB(bool Reset)
{
    if (Reset)
        std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);)
        if (Line.rfind("VmHWM:", 0) == 0)
            return std::stol(Line.substr(6));
    return -1;
}

} // namespace

class TestLevelFile : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void clearLevelEmptiesAFilledRecord()
    {
        TLevelData Level = RecordFromRows(CanonicalRows(), "Trail", "level7.txt");
        Level.Loaded = 0;
        Level.Changed = 1;
        ClearLevel(Level);
        QCOMPARE(Level, RecordFromRows({}, "", ""));
    }

    void writesAndReadsTheGoldenFiles_data()
    {
        QTest::addColumn<TLevelData>("Level");
        QTest::addColumn<QString>("Golden");
        QTest::addColumn<bool>("ReadsBack");
        TLevelData AllCodes = RecordFromRows({}, "Castle", "");
        for (int Row = 0; Row < LevelRows; ++Row)
            for (int Column = 0; Column < LevelColumns; ++Column)
                AllCodes.Cells[Column][Row] = {static_cast<std::uint8_t>((Column + Row) % 11),
                                               static_cast<std::uint8_t>((Column * 3 + Row) % 7)};
        TLevelData OutOfRange = RecordFromRows({}, "", "");
        OutOfRange.Cells[0][0] = {11, 1};
        OutOfRange.Cells[1][0] = {2, 7};
        OutOfRange.Cells[2][0] = {200, 200};
        for (TLevelColumn& Column : OutOfRange.Cells) {
            Column[5] = {255, 0};
            Column[9] = {9, 255};
        }
        QTest::newRow("cleared level is ten rows of dots") << RecordFromRows({}, "", "") << "cleared.txt" << true;
        QTest::newRow("fixed brick then brick 4 with power-up 2")
            << RecordFromRows({"#.4E"}, "", "") << "examplerow.txt" << true;
        QTest::newRow("every code and a one-word trailer") << AllCodes << "allcodes.txt" << true;
        QTest::newRow("codes outside the ranges write nothing") << OutOfRange << "outofrange.txt" << false;
    }

    void writesAndReadsTheGoldenFiles()
    {
        QFETCH(TLevelData, Level);
        QFETCH(QString, Golden);
        QFETCH(bool, ReadsBack);
        // CTest names the data folder; run by hand, the test finds it in the source tree.
        const QString GoldenPath =
            qEnvironmentVariable("ZOLVANE_TEST_DATA", ZOLVANE_SOURCE_TEST_DATA) + "/level/" + Golden;
        const QString Target = FDir.filePath(Golden);
        // The flags belong to the editor, not to the file: saving leaves them as they are.
        Level.Changed = 1;
        TLevelData Expected = Level;
        Expected.FileName = Path(Target);
        QCOMPARE(SaveLevel(Path(Target), Level), true);
        QCOMPARE(ReadBytes(Target), ReadBytes(GoldenPath));
        QCOMPARE(Level, Expected);

        if (!ReadsBack)
            return;
        Expected.FileName = Path(GoldenPath);
        Expected.Changed = 0;
        LoadLevel(Path(GoldenPath), Level);
        QCOMPARE(Level, Expected);
    }

    void readsLinesAsTheFormatSays_data()
    {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QList<QByteArray>>("Rows");
        QTest::addColumn<QByteArray>("Trailer");
        const QList<QByteArray> Ten = CanonicalRows();
        const QByteArray NoTrailer;

        QTest::newRow("empty file") << QByteArray() << QList<QByteArray>() << NoTrailer;
        QTest::newRow("CR LF rows and trailer") << Joined(Ten) + ":\r\nHello\r\n" << Ten << QByteArray("Hello");
        QTest::newRow("LF rows, last line without line end") << Joined(Ten, "\n") + ":\nHello" << Ten
                                                             << QByteArray("Hello");
        QTest::newRow("lone CR is dropped inside, at the start and at the end of a line")
            << QByteArray("#\rS1\r\rE\r\r\n\r22\n") << QList<QByteArray>{"#S1E", "2."} << NoTrailer;
        QTest::newRow("Ctrl-Z at the start of the fourth line ends the file")
            << Joined(Ten.mid(0, 3)) + "\x1A" + Joined(Ten.mid(3)) + ":\r\nHello\r\n" << Ten.mid(0, 3) << NoTrailer;
        QTest::newRow("Ctrl-Z after a lone CR at a line start ends the file")
            << QByteArray("11\r\n\r\x1A" "22\r\n") << QList<QByteArray>{"1."} << NoTrailer;
        QTest::newRow("Ctrl-Z inside a line skips the rest of it, also in the last line")
            << QByteArray("1S2E\x1A" "3L4F\r\n5I\x1A" "6L") << QList<QByteArray>{"1S2E", "5I"} << NoTrailer;
        QTest::newRow("empty and colon lines among the rows are empty rows")
            << QByteArray("11\r\n:\r\n\r\n22\r\n") << QList<QByteArray>{"1.", "", "", "2."} << NoTrailer;
        QTest::newRow("41st character colon on the tenth row starts the trailer")
            << Joined(Ten.mid(0, 9)) + Ten[9] + ":\r\nWord\r\nMore\r\n" << Ten << QByteArray("Word");
        QTest::newRow("41st character colon on the fifth row is ignored")
            << Joined(Ten.mid(0, 4)) + Ten[4] + ":\r\n" + Joined(Ten.mid(5)) + "Word\r\n" << Ten << NoTrailer;
        QTest::newRow("two characters past the tenth row are no marker")
            << Joined(Ten.mid(0, 9)) + Ten[9] + "::\r\nSkip\r\n:\r\nReal\r\n" << Ten << QByteArray("Real");
        QTest::newRow("lines between the rows and the marker are skipped")
            << Joined(Ten) + "junk\r\n\r\n:x\r\n: \r\n" + Ten[0] + "\r\n:\r\nText\r\n" << Ten << QByteArray("Text");
        QTest::newRow("marker as the last line gives no trailer") << Joined(Ten) + ":\r\n" << Ten << NoTrailer;
        QTest::newRow("marker with a lone CR is a marker") << Joined(Ten) + ":\r\r\nText\r\n" << Ten
                                                           << QByteArray("Text");
        QTest::newRow("Ctrl-Z before the marker drops the trailer") << Joined(Ten) + "\x1A:\r\nText\r\n" << Ten
                                                                    << NoTrailer;
        QTest::newRow("trailer keeps NUL and high bytes up to a Ctrl-Z")
            << Joined(Ten) + ":\r\nA" + QByteArray("\0\xff\xe4", 3) + "B\x1A" "cd\r\n" << Ten
            << QByteArray("A\0\xff\xe4" "B", 5);
        QTest::newRow("unknown characters, lower case, NUL and high bytes are none and end no line")
            << QByteArray("0SAe1s S\0S\xff\xe4" "1\0#W\r\n", 18) << QList<QByteArray>{".S..1..S.S..1.#W"} << NoTrailer;
        QTest::newRow("odd length leaves the last power-up missing")
            << QByteArray(38, '.') + "#\r\n" << QList<QByteArray>{QByteArray(38, '.') + "#."} << NoTrailer;
        QTest::newRow("50 MB row is cut at 40 characters")
            << Ten[0] + QByteArray(50 * 1024 * 1024, '#') + "\r\n" + Ten[1] << Ten.mid(0, 2) << NoTrailer;
        QTest::newRow("a million lines before the marker")
            << Joined(Ten) + QByteArray("junk\r\n").repeated(1'000'000) + ":\r\nEnd\r\n" << Ten << QByteArray("End");
        QTest::newRow("ten million lone CRs in a row")
            << QByteArray(10'000'000, '\r') + "1S\r\n" << QList<QByteArray>{"1S"} << NoTrailer;
    }

    void readsLinesAsTheFormatSays()
    {
        QFETCH(QByteArray, Bytes);
        QFETCH(QList<QByteArray>, Rows);
        QFETCH(QByteArray, Trailer);
        const QString File = FDir.filePath("read.txt");
        QVERIFY(WriteBytes(File, Bytes));
        // Load over a changed record of another level, from its own FileName: nothing of it may survive.
        TLevelData Level = RecordFromRows(CanonicalRows(), "Old", Path(File));
        Level.Changed = 1;
        QElapsedTimer Clock;
        Clock.start();
        LoadLevel(Level.FileName, Level);
        const qint64 Milliseconds = Clock.elapsed();
        QCOMPARE(Level, RecordFromRows(Rows, Trailer.toStdString(), Path(File)));
        TLevelData Parsed;
        ParseLevelText(View(Bytes), Parsed);
        Parsed.Loaded = 1;
        Parsed.FileName = Path(File);
        QCOMPARE(Parsed, Level);
        // Linear work on the huge rows takes well under a second even with sanitizers; quadratic would take hours.
        QVERIFY2(Milliseconds < 20000, qPrintable(QString("took %1 ms").arg(Milliseconds)));
    }

    // A file is read in chunks: every line-end, Ctrl-Z, cut and trailer rule holds wherever a chunk ends.
    void chunkBoundariesFallAnywhere()
    {
        const QByteArray Tail = CanonicalRows()[0] + "##\r\n1S\r2E\r\r\n\r\n#W\x1A" "junk\r\n3L\r\n4F\n5I\r\n6L\r\n7E\r\n"
                                "8W\r\nskipped\r\n:\r\r\nThe trailer\r\nafter";
        const TLevelData Expected =
            RecordFromRows(QList<QByteArray>{CanonicalRows()[0], "1S2E", "", "#W", "3L", "4F", "5I", "6L", "7E", "8W"},
                           "The trailer", "");
        const QString File = FDir.filePath("chunks.txt");
        for (qsizetype Shift = 1; Shift <= Tail.size() + 1; ++Shift) {
            // Lone CRs before the first row are dropped; they put Tail's byte Shift - 1 last in a chunk.
            const QByteArray Bytes = QByteArray(static_cast<qsizetype>(ReadChunkSize) - Shift, '\r') + Tail;
            QVERIFY(WriteBytes(File, Bytes));
            TLevelData Level;
            LoadLevel(Path(File), Level);
            Level.FileName.clear();
            if (Level != Expected)
                qWarning("Tail's byte %lld ends the first chunk", static_cast<long long>(Shift - 1));
            QCOMPARE(Level, Expected);
        }
    }

    // Only the rows and the trailer are kept, never the file: 3 GB of one skipped line cost no memory.
    void hugeSparseFileReadsInBoundedMemory()
    {
        const QString File = FDir.filePath("huge.txt");
        {
            QFile Huge(File);
            QVERIFY(Huge.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(Huge.write(Joined(CanonicalRows()) + "junk") > 0);
            // The hole reads as NUL bytes, which end no line, and takes no disk.
            QVERIFY(Huge.seek(3LL << 30));
            QVERIFY(Huge.write("\r\n:\r\nEnd\r\n") > 0);
        }
        const int GrowthMiB = InChild([&] {
            const long Before = PeakMemoryKiB(true);
            TLevelData Level;
            LoadLevel(Path(File), Level);
            const long Growth = (PeakMemoryKiB(false) - Before) / 1024;
            if (Before < 0 || Level != RecordFromRows(CanonicalRows(), "End", Path(File))) {
                std::fprintf(stderr, "peak %ld KiB, read:\n%s\n", Before, toString(Level));
                return 255;
            }
            return static_cast<int>(std::min(Growth, 200L));
        });
        QFile::remove(File);
        QVERIFY2(GrowthMiB < 4, qPrintable(QString("grew by %1 MiB (255: wrong record)").arg(GrowthMiB)));
    }

    // Random valid records survive save and load; the same files with random bytes spliced in read to a
    // record that survives save and load in turn.
    void randomLevelsRoundTrip()
    {
        static const QByteArray Meaningful("\r\n\x1A:.#19SEWs0\0\xff", 15);
        std::mt19937 Random(1789);
        const QString File = FDir.filePath("random.txt");
        const std::string Again = Path(FDir.filePath("again.txt"));
        for (int Round = 0; Round < 300; ++Round) {
            TLevelData Level;
            ClearLevel(Level);
            for (TLevelColumn& Column : Level.Cells)
                for (TLevelCell& Cell : Column)
                    Cell = {static_cast<std::uint8_t>(Random() % 11), static_cast<std::uint8_t>(Random() % 7)};
            for (std::size_t Left = Random() % 3 ? Random() % 80 : 0; Left > 0; --Left)
                if (const char Ch = static_cast<char>(Random()); Ch != '\r' && Ch != '\n' && Ch != '\x1A')
                    Level.TrailerText += Ch;
            QVERIFY(SaveLevel(Path(File), Level));
            TLevelData Back;
            LoadLevel(Path(File), Back);
            QCOMPARE(Back, Level);

            QByteArray Bytes = ReadBytes(File);
            for (unsigned Splice = Random() % 40; Splice > 0; --Splice) {
                const char Ch = Random() % 2 ? Meaningful[Random() % 15] : static_cast<char>(Random());
                Bytes.insert(static_cast<qsizetype>(Random() % static_cast<unsigned>(Bytes.size() + 1)), Ch);
            }
            QVERIFY(WriteBytes(File, Bytes));
            LoadLevel(Path(File), Back);
            QVERIFY(SaveLevel(Again, Back));
            TLevelData Settled;
            LoadLevel(Again, Settled);
            QCOMPARE(Settled, Back);
        }
    }
};

QTEST_GUILESS_MAIN(TestLevelFile)
#include "tst_levelfile.moc"
