#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

// Starts zolvane.exe as the editor's test run does: one argument, the game directory as working directory.
// The test environment selects the offscreen platform, where the game shows no message box.
class TestGameProgram : public QObject {
    Q_OBJECT

private slots:
    void init();
    void badStartEndsWithMessage_data();
    void badStartEndsWithMessage();
    void levelOpensItsWindow_data();
    void levelOpensItsWindow();

private:
    // Runs the game; returns its exit code and the lines it marks as its own on standard error and output.
    int run(const QStringList& Arguments, const QProcessEnvironment& Environment, QString& Err, QString& Out);

    QString FGameDir = qEnvironmentVariable("ZOLVANE_GAME_DIR");
    std::unique_ptr<QTemporaryDir> FDir;
};

namespace {

QString OurLines(const QByteArray& Text)
{
    QStringList Lines;
    for (const QString& Line : QString::fromLocal8Bit(Text).split('\n', Qt::SkipEmptyParts))
        if (Line.startsWith("zolvane.exe: "))
            Lines << Line.trimmed();
    return Lines.join('\n');
}

QByteArray Row(const QByteArray& Start)
{
    return Start + QByteArray(40 - Start.size(), '.') + "\r\n";
}

} // namespace

void TestGameProgram::init()
{
    QVERIFY2(QFileInfo(FGameDir + "/zolvane.exe").isExecutable(), "zolvane.exe is not built");
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    QVERIFY(QDir(FDir->path()).mkpath("data/levels/folder"));
}

int TestGameProgram::run(const QStringList& Arguments, const QProcessEnvironment& Environment, QString& Err,
                         QString& Out)
{
    QProcess Game;
    Game.setWorkingDirectory(FDir->path());
    Game.setProcessEnvironment(Environment);
    Game.start(FGameDir + "/zolvane.exe", Arguments);
    if (!Game.waitForFinished(120000))
        Game.kill();
    Game.waitForFinished();
    Err = OurLines(Game.readAllStandardError());
    Out = OurLines(Game.readAllStandardOutput());
    return Game.exitStatus() == QProcess::NormalExit ? Game.exitCode() : -1;
}

void TestGameProgram::badStartEndsWithMessage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const auto Fails = [](const QString& Reason) {
        return "zolvane.exe: " + Reason + " Usage: zolvane.exe --level=NAME, where NAME is a file in data/levels/.";
    };
    QTest::newRow("no argument") << QStringList{} << Fails("No level given.");
    QTest::newRow("two arguments") << QStringList{"--level=a.txt", "--level=b.txt"}
                                   << Fails("Expected one argument, got 2.");
    QTest::newRow("no option") << QStringList{"a.txt"} << Fails("Unknown argument \"a.txt\".");
    QTest::newRow("no equals sign") << QStringList{"--level"} << Fails("Unknown argument \"--level\".");
    QTest::newRow("empty name") << QStringList{"--level="} << Fails("The level name is empty.");
    for (const QString Name : {"../a.txt", "..", ".", "folder/a.txt", "..\\a.txt", "C:a.txt"})
        QTest::addRow("not plain: %s", qPrintable(Name))
            << QStringList{"--level=" + Name}
            << Fails("The level name \"" + Name + "\" must be a plain file name, without a folder.");
    QTest::newRow("missing file") << QStringList{"--level=nope.txt"}
                                  << "zolvane.exe: Cannot read the level \"data/levels/nope.txt\": File not found";
    QTest::newRow("folder") << QStringList{"--level=folder"}
                            << "zolvane.exe: Cannot read the level \"data/levels/folder\": File access denied";
}

void TestGameProgram::badStartEndsWithMessage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QString Err, Out;
    QCOMPARE(run(arguments, QProcessEnvironment::systemEnvironment(), Err, Out), 2);
    QCOMPARE(Err, message);
    QCOMPARE(Out, QString());
}

void TestGameProgram::levelOpensItsWindow_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("pictures");
    QTest::addColumn<bool>("autoPlay");
    QByteArray Sample, Dense;
    for (int Line = 0; Line < 10; ++Line) {
        Sample += Row(Line % 2 ? "1S2E3L4F5I6W7.8.9.#." : "#.9W");
        Dense += QByteArray("9E").repeated(20) + "\n";
    }
    QTest::newRow("sample level") << Sample << true << false;
    QTest::newRow("fixed bricks only") << Row("#.#.#S") << true << false;
    QTest::newRow("sample played, no pictures") << Sample << false << true;
    QTest::newRow("dense level played") << Dense << true << true;
}

void TestGameProgram::levelOpensItsWindow()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, pictures);
    QFETCH(bool, autoPlay);
    QFile Level(FDir->path() + "/data/levels/test.lvl");
    QVERIFY(Level.open(QIODevice::WriteOnly) && Level.write(contents) == contents.size());
    Level.close();
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
    QString Err, Out;
    const int ExitCode = run({"--level=test.lvl"}, Environment, Err, Out);
    QCOMPARE(Err, QString());
    QCOMPARE(ExitCode, 0);
    QCOMPARE(Out, QString("zolvane.exe: window shown: Zolvane - test.lvl"));
}

QTEST_GUILESS_MAIN(TestGameProgram)
#include "tst_game_program.moc"
