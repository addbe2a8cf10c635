#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

// Starts zolvane.exe as the editor's test run does: one argument, the game directory as working directory.
// The test environment selects the offscreen platform, where the game shows no message box.
class TestGameProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void badStartEndsWithMessage_data();
    void badStartEndsWithMessage();
    void levelOpensItsWindow_data();
    void levelOpensItsWindow();

private:
    struct TRun {
        int ExitCode;
        QProcess::ExitStatus Status;
        QString Out;
        QString Err;
    };
    TRun run(const QStringList& Arguments, const QProcessEnvironment& Environment);
    void writeLevel(const QString& Name, const QByteArray& Contents);

    QString FGameDir;
    QString FProgram;
    std::unique_ptr<QTemporaryDir> FDir;
};

void TestGameProgram::initTestCase()
{
    FGameDir = qEnvironmentVariable("ZOLVANE_GAME_DIR");
    FProgram = FGameDir + "/zolvane.exe";
    QVERIFY2(QFileInfo(FProgram).isExecutable(), qPrintable(FProgram + " is not built"));
}

void TestGameProgram::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    QVERIFY(QDir(FDir->path()).mkpath("data/levels"));
}

TestGameProgram::TRun TestGameProgram::run(const QStringList& Arguments, const QProcessEnvironment& Environment)
{
    QProcess Game;
    Game.setWorkingDirectory(FDir->path());
    Game.setProcessEnvironment(Environment);
    Game.start(FProgram, Arguments);
    if (!Game.waitForFinished(120000)) {
        Game.kill();
        Game.waitForFinished();
    }
    return {Game.exitCode(), Game.exitStatus(), QString::fromLocal8Bit(Game.readAllStandardOutput()),
            QString::fromLocal8Bit(Game.readAllStandardError())};
}

void TestGameProgram::writeLevel(const QString& Name, const QByteArray& Contents)
{
    QFile File(FDir->path() + "/data/levels/" + Name);
    QVERIFY(File.open(QIODevice::WriteOnly));
    QCOMPARE(File.write(Contents), Contents.size());
}

namespace {

QString OurLines(const QString& Text)
{
    QStringList Lines;
    for (const QString& Line : Text.split('\n', Qt::SkipEmptyParts))
        if (Line.startsWith("zolvane.exe: "))
            Lines << Line.trimmed();
    return Lines.join('\n');
}

const QString Usage = " Usage: zolvane.exe --level=NAME, where NAME is a file in data/levels/.";

QByteArray Row(const QByteArray& Start)
{
    return Start + QByteArray(40 - Start.size(), '.') + "\r\n";
}

} // namespace

void TestGameProgram::badStartEndsWithMessage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no argument") << QStringList{} << "zolvane.exe: No level given." + Usage;
    QTest::newRow("two arguments") << QStringList{"--level=a.txt", "b"}
                                   << "zolvane.exe: Expected one argument, got 2." + Usage;
    QTest::newRow("malformed") << QStringList{"-level=a.txt"}
                               << "zolvane.exe: Unknown argument \"-level=a.txt\"." + Usage;
    QTest::newRow("outside the level folder")
        << QStringList{"--level=../a.txt"}
        << "zolvane.exe: The level name \"../a.txt\" must be a plain file name, without a folder." + Usage;
    QTest::newRow("missing file") << QStringList{"--level=nope.txt"}
                                  << "zolvane.exe: Cannot read the level \"data/levels/nope.txt\": File not found";
    QTest::newRow("folder") << QStringList{"--level=folder"}
                            << "zolvane.exe: Cannot read the level \"data/levels/folder\": File access denied";
}

void TestGameProgram::badStartEndsWithMessage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QVERIFY(QDir(FDir->path()).mkpath("data/levels/folder"));
    writeLevel("a.txt", Row("1."));
    const TRun Run = run(arguments, QProcessEnvironment::systemEnvironment());
    QCOMPARE(Run.Status, QProcess::NormalExit);
    QCOMPARE(Run.ExitCode, 2);
    QCOMPARE(OurLines(Run.Err), message);
    QCOMPARE(OurLines(Run.Out), QString());
}

void TestGameProgram::levelOpensItsWindow_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("pictures");
    QTest::addColumn<bool>("autoPlay");
    QByteArray Sample;
    for (int Line = 0; Line < 10; ++Line)
        Sample += Row(Line % 2 ? "1S2E3L4F5I6W7.8.9.#." : "#.9W");
    QByteArray Dense;
    for (int Line = 0; Line < 10; ++Line)
        Dense += QByteArray("9E").repeated(20) + "\n";
    QTest::newRow("sample level") << Sample << true << false;
    QTest::newRow("pictures missing") << Sample << false << false;
    QTest::newRow("empty file") << QByteArray() << true << false;
    QTest::newRow("fixed bricks only") << Row("#.#.#S") << true << false;
    QTest::newRow("binary garbage") << QByteArray("\0\xff\x1a\r\r\n#\x80", 8).repeated(100) << true << false;
    QTest::newRow("one very long line") << QByteArray(1 << 20, '5') << true << false;
    QTest::newRow("played for a while") << Sample << true << true;
    QTest::newRow("dense level played") << Dense << false << true;
}

void TestGameProgram::levelOpensItsWindow()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, pictures);
    QFETCH(bool, autoPlay);
    writeLevel("test.lvl", contents);
    if (pictures) {
        const QDir Source(FGameDir + "/editor/images");
        QVERIFY(QDir(FDir->path()).mkpath("editor/images"));
        const QStringList Files = Source.entryList({"*.bmp"}, QDir::Files);
        QVERIFY2(Files.size() >= 16, qPrintable(Source.path() + " lacks the pictures"));
        for (const QString& File : Files)
            QVERIFY(QFile::copy(Source.filePath(File), FDir->path() + "/editor/images/" + File));
    }
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("ZOLVANE_GAME_AUTOQUIT_MS", autoPlay ? "4000" : "300");
    if (autoPlay)
        Environment.insert("ZOLVANE_GAME_AUTOPLAY", "1");
    const TRun Run = run({"--level=test.lvl"}, Environment);
    QCOMPARE(OurLines(Run.Err), QString());
    QCOMPARE(Run.Status, QProcess::NormalExit);
    QCOMPARE(Run.ExitCode, 0);
    QCOMPARE(OurLines(Run.Out), QString("zolvane.exe: window shown: Zolvane - test.lvl"));
}

QTEST_GUILESS_MAIN(TestGameProgram)
#include "tst_game_program.moc"
