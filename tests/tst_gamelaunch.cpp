// Starting the game: the argument and working directory it gets, the error codes of a failed start,
// and no zombie left behind.
#include "gamelaunch.h"

#include <QtTest>

#include <sys/wait.h>

namespace {

// A stand-in game that writes its arguments and working directory into record.txt in its working directory.
void WriteStandIn(const QString& Path)
{
    QFile Script(Path);
    QVERIFY(Script.open(QIODevice::WriteOnly));
    Script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" \"$(pwd)\" > record.tmp && mv record.tmp record.txt\n");
    Script.close();
    QVERIFY(Script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

bool NoChildLeft()
{
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

} // namespace

class TestGameLaunch : public QObject {
    Q_OBJECT
private slots:
    void startsWithOneArgumentInWorkDir()
    {
        QTemporaryDir Dir;
        const QString Game = Dir.filePath("zolvane.exe");
        WriteStandIn(Game);
        QCOMPARE(StartProgram(Game.toStdString(), "--level=test.lvl", Dir.path().toStdString() + "/"), 0);
        QVERIFY(NoChildLeft());
        QFile Record(Dir.filePath("record.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(Record.exists(), 10000);
        QVERIFY(Record.open(QIODevice::ReadOnly));
        const QStringList Lines = QString::fromLocal8Bit(Record.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(Lines, (QStringList{"1", "--level=test.lvl", QDir(Dir.path()).canonicalPath()}));
    }

    void failedStartReportsTheSystemCode_data()
    {
        QTest::addColumn<QString>("Setup");
        QTest::addColumn<int>("Code");
        QTest::newRow("missing program") << "missing" << ENOENT;
        QTest::newRow("not executable") << "plain file" << EACCES;
        QTest::newRow("a folder") << "folder" << EACCES;
        QTest::newRow("missing work dir") << "no work dir" << ENOENT;
    }
    void failedStartReportsTheSystemCode()
    {
        QFETCH(QString, Setup);
        QFETCH(int, Code);
        QTemporaryDir Dir;
        const QString Game = Dir.filePath("zolvane.exe");
        std::string WorkDir = Dir.path().toStdString();
        if (Setup == "plain file") {
            QFile File(Game);
            QVERIFY(File.open(QIODevice::WriteOnly));
            File.write("#!/bin/sh\n");
            File.close();
            QVERIFY(File.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        } else if (Setup == "folder") {
            QVERIFY(QDir(Dir.path()).mkdir("zolvane.exe"));
        } else if (Setup == "no work dir") {
            WriteStandIn(Game);
            WorkDir += "/missing";
        }
        QCOMPARE(StartProgram(Game.toStdString(), "--level=test.lvl", WorkDir), Code);
        QVERIFY(NoChildLeft());
    }
};

QTEST_GUILESS_MAIN(TestGameLaunch)
#include "tst_gamelaunch.moc"
