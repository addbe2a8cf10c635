// Reading and writing the level text file: byte-exact output, every line-end and Ctrl-Z rule on input,
// the trailer search, and round trips of valid records and of arbitrary bytes.

#include "leveldata.h"
#include "levelfiletools.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace LevelFileTools;

namespace {

enum class TSample { Cleared, ExampleRow, AllCodes, OutOfRange };

TLevelData Sample(TSample Which)
{
    TLevelData Level;
    ClearLevel(Level);
    switch (Which) {
    case TSample::Cleared:
        break;
    case TSample::ExampleRow:
        Level.Cells[0][0] = {10, 0};
        Level.Cells[1][0] = {4, 2};
        break;
    case TSample::AllCodes:
        for (int Row = 0; Row < LevelRows; ++Row)
            for (int Column = 0; Column < LevelColumns; ++Column)
                Level.Cells[Column][Row] = {static_cast<std::uint8_t>((Column + Row) % 11),
                                            static_cast<std::uint8_t>((Column * 3 + Row) % 7)};
        Level.TrailerText = "Castle";
        break;
    case TSample::OutOfRange:
        Level.Cells[0][0] = {11, 1};
        Level.Cells[1][0] = {2, 7};
        Level.Cells[2][0] = {200, 200};
        for (int Column = 0; Column < LevelColumns; ++Column) {
            Level.Cells[Column][5] = {255, 0};
            Level.Cells[Column][9] = {9, 255};
        }
        break;
    }
    return Level;
}

// CTest names the data folder; run by hand, the test finds it in the source tree.
QString Golden(const QString& Name)
{
    return qEnvironmentVariable("ZOLVANE_TEST_DATA", ZOLVANE_SOURCE_TEST_DATA) + "/level/" + Name;
}

} // namespace

Q_DECLARE_METATYPE(TSample)

class TestLevelFile : public QObject {
    Q_OBJECT

private slots:
    void clearLevelEmptiesAFilledRecord();
    void cellsAreStoredColumnMajor();

    void writesTheFormatByteForByte_data();
    void writesTheFormatByteForByte();
    void readsGoldenFilesBackToTheSameRecord_data();
    void readsGoldenFilesBackToTheSameRecord();

    void readsLinesAsTheFormatSays_data();
    void readsLinesAsTheFormatSays();
    void reloadsFromItsOwnFileName();
    void secondSaveOverwritesWithoutLeftovers();

    void validRecordsSurviveSaveAndLoad();
    void arbitraryBytesSettleAfterOneSave();

    void readsHugeLinesInLinearTime_data();
    void readsHugeLinesInLinearTime();

private:
    QTemporaryDir FDir;
};

void TestLevelFile::clearLevelEmptiesAFilledRecord()
{
    TLevelData Level = Sample(TSample::AllCodes);
    Level.Loaded = 0;
    Level.Changed = 1;
    Level.FileName = "data/levels/level7.txt";
    ClearLevel(Level);
    QCOMPARE(Level, RecordFromRows({}, "", ""));
}

void TestLevelFile::cellsAreStoredColumnMajor()
{
    TLevelData Level;
    QCOMPARE(sizeof(TLevelCell), std::size_t{2});
    const auto* First = &Level.Cells[0][0];
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row)
            QCOMPARE(&Level.Cells[Column][Row] - First, std::ptrdiff_t{Column * LevelRows + Row});

    Level.Cells[19][0] = {3, 4};
    Level.Cells[0][9] = {7, 1};
    QCOMPARE(Level.Cells[19][0], (TLevelCell{3, 4}));
    QCOMPARE(Level.Cells[0][9], (TLevelCell{7, 1}));
}

void TestLevelFile::writesTheFormatByteForByte_data()
{
    QTest::addColumn<TSample>("Which");
    QTest::addColumn<QString>("GoldenName");
    QTest::newRow("cleared level is ten rows of dots") << TSample::Cleared << "cleared.txt";
    QTest::newRow("fixed brick then brick 4 with power-up 2") << TSample::ExampleRow << "examplerow.txt";
    QTest::newRow("every code and a one-word trailer") << TSample::AllCodes << "allcodes.txt";
    QTest::newRow("codes outside the ranges write nothing") << TSample::OutOfRange << "outofrange.txt";
}

void TestLevelFile::writesTheFormatByteForByte()
{
    QFETCH(TSample, Which);
    QFETCH(QString, GoldenName);
    TLevelData Level = Sample(Which);
    // The flags belong to the editor, not to the file: saving leaves them as they are.
    Level.Changed = 1;
    TLevelData Expected = Level;
    const QString Target = FDir.filePath(GoldenName);
    Expected.FileName = Path(Target);

    QCOMPARE(SaveLevel(Path(Target), Level), true);
    QCOMPARE(ReadBytes(Target), ReadBytes(Golden(GoldenName)));
    QCOMPARE(Level, Expected);
}

void TestLevelFile::readsGoldenFilesBackToTheSameRecord_data()
{
    QTest::addColumn<TSample>("Which");
    QTest::addColumn<QString>("GoldenName");
    QTest::newRow("cleared") << TSample::Cleared << "cleared.txt";
    QTest::newRow("example row") << TSample::ExampleRow << "examplerow.txt";
    QTest::newRow("every code and a trailer") << TSample::AllCodes << "allcodes.txt";
}

void TestLevelFile::readsGoldenFilesBackToTheSameRecord()
{
    QFETCH(TSample, Which);
    QFETCH(QString, GoldenName);
    TLevelData Expected = Sample(Which);
    Expected.FileName = Path(Golden(GoldenName));
    TLevelData Level;
    LoadLevel(Path(Golden(GoldenName)), Level);
    QCOMPARE(Level, Expected);
}

void TestLevelFile::readsLinesAsTheFormatSays_data()
{
    QTest::addColumn<QByteArray>("Bytes");
    QTest::addColumn<QList<QByteArray>>("Rows");
    QTest::addColumn<QByteArray>("Trailer");

    const QList<QByteArray> Ten = CanonicalRows();
    const QList<QByteArray> Three = CanonicalRows(3);
    QList<QByteArray> TenthWithColon = Ten;
    TenthWithColon[9] += ":";
    QList<QByteArray> FifthWithColon = Ten;
    FifthWithColon[4] += ":";

    QTest::newRow("empty file") << QByteArray() << QList<QByteArray>() << QByteArray();
    QTest::newRow("CR LF rows and trailer") << Joined(Ten) + ":\r\nHello\r\n" << Ten << QByteArray("Hello");
    QTest::newRow("LF rows and trailer") << Joined(Ten, "\n") + ":\nHello\n" << Ten << QByteArray("Hello");
    QTest::newRow("last line without line end") << Joined(Ten) + ":\r\nHello" << Ten << QByteArray("Hello");
    QTest::newRow("lone CR is dropped") << QByteArray("#\rS1\r\rE\r\n") << QList<QByteArray>{"#S1E"} << QByteArray();
    QTest::newRow("CR CR LF ends one line") << QByteArray("11\r\r\n22\r\n") << QList<QByteArray>{"1.", "2."}
                                            << QByteArray();
    QTest::newRow("LF then lone CR") << QByteArray("11\n\r22\n") << QList<QByteArray>{"1.", "2."} << QByteArray();
    QTest::newRow("three row lines") << Joined(Three) << Three << QByteArray();
    QTest::newRow("Ctrl-Z at the start of the fourth line ends the file")
        << Joined(Three) + "\x1A" + Joined(Ten.mid(3)) + ":\r\nHello\r\n" << Three << QByteArray();
    QTest::newRow("Ctrl-Z after a lone CR at a line start ends the file")
        << QByteArray("11\r\n\r\x1A" "22\r\n") << QList<QByteArray>{"1."} << QByteArray();
    QTest::newRow("Ctrl-Z inside a line skips the rest of it")
        << QByteArray("1S2E\x1A" "3L4F\r\n5I\r\n") << QList<QByteArray>{"1S2E", "5I"} << QByteArray();
    QTest::newRow("Ctrl-Z inside the last line") << QByteArray("1S\x1A" "2E") << QList<QByteArray>{"1S"}
                                                 << QByteArray();
    QTest::newRow("only Ctrl-Z") << QByteArray("\x1A") << QList<QByteArray>() << QByteArray();
    QTest::newRow("only line ends") << QByteArray("\r\n\n\r\n") << QList<QByteArray>() << QByteArray();
    QTest::newRow("41st character colon on the tenth row starts the trailer")
        << Joined(TenthWithColon) + "Word\r\nMore\r\n" << Ten << QByteArray("Word");
    QTest::newRow("41st character colon on the fifth row is ignored")
        << Joined(FifthWithColon) + "Word\r\n" << Ten << QByteArray();
    QTest::newRow("two characters past the tenth row are no marker")
        << Joined(Ten.mid(0, 9)) + Ten[9] + "::\r\nSkip\r\n:\r\nReal\r\n" << Ten << QByteArray("Real");
    QTest::newRow("colon line among the rows is an empty row")
        << QByteArray("11\r\n:\r\n22\r\n") << QList<QByteArray>{"1.", "", "2."} << QByteArray();
    QTest::newRow("lines between the rows and the marker are skipped")
        << Joined(Ten) + "junk\r\n\r\n:x\r\n" + Ten[0] + "\r\n:\r\nText\r\n" << Ten << QByteArray("Text");
    QTest::newRow("eleventh row line is ignored") << Joined(Ten) + Ten[3] + "\r\n" << Ten << QByteArray();
    QTest::newRow("marker as the last line gives no trailer") << Joined(Ten) + ":\r\n" << Ten << QByteArray();
    QTest::newRow("only the first line after the marker") << Joined(Ten) + ":\r\nOne\r\nTwo\r\n" << Ten
                                                           << QByteArray("One");
    QTest::newRow("double colon is no marker") << Joined(Ten) + "::\r\nNo\r\n" << Ten << QByteArray();
    QTest::newRow("colon and space is no marker") << Joined(Ten) + ": \r\nNo\r\n" << Ten << QByteArray();
    QTest::newRow("marker with a lone CR is a marker") << Joined(Ten) + ":\r\r\nText\r\n" << Ten
                                                       << QByteArray("Text");
    QTest::newRow("Ctrl-Z before the marker drops the trailer") << Joined(Ten) + "\x1A:\r\nText\r\n" << Ten
                                                                << QByteArray();
    QTest::newRow("Ctrl-Z right after the marker") << Joined(Ten) + ":\r\n\x1AText\r\n" << Ten << QByteArray();
    QTest::newRow("Ctrl-Z inside the trailer cuts it") << Joined(Ten) + ":\r\nAb\x1A" "cd\r\n" << Ten
                                                       << QByteArray("Ab");
    QTest::newRow("trailer keeps NUL and high bytes")
        << Joined(Ten) + ":\r\nA" + QByteArray("\0\xff\xe4", 3) + "B\r\n" << Ten
        << QByteArray("A\0\xff\xe4" "B", 5);
    QTest::newRow("lower-case power-ups are none") << QByteArray("1s2w3e\r\n") << QList<QByteArray>{"1.2.3."}
                                                   << QByteArray();
    QTest::newRow("unknown brick characters are none") << QByteArray("0SAE S\r\n") << QList<QByteArray>{".S.E.S"}
                                                       << QByteArray();
    QTest::newRow("power-up on no brick") << QByteArray(".S..\n") << QList<QByteArray>{".S.."} << QByteArray();
    QTest::newRow("odd length leaves the last power-up missing")
        << QByteArray(38, '.') + "#\r\n" << QList<QByteArray>{QByteArray(38, '.') + "#."} << QByteArray();
    QTest::newRow("single character line") << QByteArray("5") << QList<QByteArray>{"5."} << QByteArray();
    QTest::newRow("NUL and high bytes read as zero and end no line")
        << QByteArray("\0S\xff\xe4" "1\0\0\0#W\r\n", 12) << QList<QByteArray>{".S..1...#W"} << QByteArray();
    QTest::newRow("row beyond 40 characters is cut")
        << Ten[0] + QByteArray(1000, '#') + "\r\n" + Ten[1] << Ten.mid(0, 2) << QByteArray();
}

void TestLevelFile::readsLinesAsTheFormatSays()
{
    QFETCH(QByteArray, Bytes);
    QFETCH(QList<QByteArray>, Rows);
    QFETCH(QByteArray, Trailer);
    const QString File = FDir.filePath("read.txt");
    QVERIFY(WriteBytes(File, Bytes));

    // Start from a record full of another level: nothing of it may survive the load.
    TLevelData Level = Sample(TSample::AllCodes);
    Level.Changed = 1;
    Level.FileName = "other.txt";
    LoadLevel(Path(File), Level);
    QCOMPARE(Level, RecordFromRows(Rows, Trailer.toStdString(), Path(File)));
}

void TestLevelFile::reloadsFromItsOwnFileName()
{
    const QString File = FDir.filePath("own.txt");
    QVERIFY(WriteBytes(File, Joined(CanonicalRows()) + ":\r\nMine\r\n"));
    TLevelData Level;
    Level.FileName = Path(File);
    LoadLevel(Level.FileName, Level);
    QCOMPARE(Level, RecordFromRows(CanonicalRows(), "Mine", Path(File)));
}

void TestLevelFile::secondSaveOverwritesWithoutLeftovers()
{
    QTemporaryDir Dir;
    const QString File = Dir.filePath("level1.txt");
    TLevelData Level = Sample(TSample::AllCodes);
    QVERIFY(SaveLevel(Path(File), Level));
    Level = Sample(TSample::ExampleRow);
    QVERIFY(SaveLevel(Path(File), Level));
    QCOMPARE(ReadBytes(File), ReadBytes(Golden("examplerow.txt")));
    QCOMPARE(Listing(Dir.path()), QStringList{"level1.txt"});
}

void TestLevelFile::validRecordsSurviveSaveAndLoad()
{
    std::mt19937 Random(1789);
    const QString File = FDir.filePath("valid.txt");
    for (int Round = 0; Round < 200; ++Round) {
        TLevelData Level;
        ClearLevel(Level);
        for (auto& Column : Level.Cells)
            for (auto& Cell : Column)
                Cell = {static_cast<std::uint8_t>(Random() % 11), static_cast<std::uint8_t>(Random() % 7)};
        // Any bytes but the ones that end a line or the text.
        const std::size_t Length = Random() % 3 == 0 ? 0 : Random() % 80;
        for (std::size_t I = 0; I < Length; ++I) {
            char Ch;
            do
                Ch = static_cast<char>(Random() % 256);
            while (Ch == '\r' || Ch == '\n' || Ch == '\x1A');
            Level.TrailerText += Ch;
        }
        QVERIFY(SaveLevel(Path(File), Level));
        TLevelData Back;
        LoadLevel(Path(File), Back);
        QCOMPARE(Back, Level);
    }
}

void TestLevelFile::arbitraryBytesSettleAfterOneSave()
{
    // The characters the format gives a meaning to come up far more often than in plain random bytes.
    static const QByteArray Meaningful = QByteArray("\r\n\x1A:.#19SEWs0", 13) + QByteArray(1, '\0') + "\xff";
    std::mt19937 Random(4711);
    const QString Source = FDir.filePath("random.bin");
    const QString First = FDir.filePath("first.txt");
    const QString Second = FDir.filePath("second.txt");
    for (int Round = 0; Round < 400; ++Round) {
        QByteArray Bytes;
        const std::size_t Length = Random() % (Round % 10 == 0 ? 4000 : 600);
        for (std::size_t I = 0; I < Length; ++I)
            Bytes += Random() % 2 ? Meaningful[static_cast<qsizetype>(Random() % Meaningful.size())]
                                  : static_cast<char>(Random() % 256);
        QVERIFY(WriteBytes(Source, Bytes));

        TLevelData Loaded;
        LoadLevel(Path(Source), Loaded);
        QVERIFY(SaveLevel(Path(First), Loaded));
        TLevelData Reloaded;
        LoadLevel(Path(First), Reloaded);
        QCOMPARE(Reloaded, Loaded);
        QVERIFY(SaveLevel(Path(Second), Reloaded));
        QCOMPARE(ReadBytes(Second), ReadBytes(First));
    }
}

void TestLevelFile::readsHugeLinesInLinearTime_data()
{
    QTest::addColumn<QByteArray>("Bytes");
    QTest::addColumn<QList<QByteArray>>("Rows");
    QTest::addColumn<qsizetype>("TrailerSize");

    constexpr qsizetype Huge = 50 * 1024 * 1024;
    const QList<QByteArray> Ten = CanonicalRows();
    QTest::newRow("one 50 MB line") << CanonicalRow(0) + QByteArray(Huge, '#') << Ten.mid(0, 1) << qsizetype{0};
    QTest::newRow("50 MB trailer") << Joined(Ten) + ":\r\n" + QByteArray(Huge, 'x') + "\r\n" << Ten << Huge;
    QTest::newRow("a million lines before the marker")
        << Joined(Ten) + QByteArray("junk\r\n").repeated(1'000'000) + ":\r\nEnd\r\n" << Ten << qsizetype{3};
    QTest::newRow("ten million lone CRs in a row")
        << QByteArray(10'000'000, '\r') + "1S\r\n" << QList<QByteArray>{"1S"} << qsizetype{0};
}

void TestLevelFile::readsHugeLinesInLinearTime()
{
    QFETCH(QByteArray, Bytes);
    QFETCH(QList<QByteArray>, Rows);
    QFETCH(qsizetype, TrailerSize);
    const QString File = FDir.filePath("huge.txt");
    QVERIFY(WriteBytes(File, Bytes));

    QElapsedTimer Clock;
    Clock.start();
    TLevelData Level;
    LoadLevel(Path(File), Level);
    const qint64 Milliseconds = Clock.elapsed();

    QCOMPARE(qsizetype(Level.TrailerText.size()), TrailerSize);
    Level.TrailerText.clear();
    QCOMPARE(Level, RecordFromRows(Rows, "", Path(File)));
    // Linear work takes well under a second here even with sanitizers; quadratic work would take hours.
    QVERIFY2(Milliseconds < 20000, qPrintable(QString("took %1 ms").arg(Milliseconds)));
}

QTEST_GUILESS_MAIN(TestLevelFile)
#include "tst_levelfile.moc"
