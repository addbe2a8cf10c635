// The system's own text for an error code, as shown when the game cannot be started.

#include "xProcs.h"

#include <QTest>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

class TestSystemErrorText : public QObject {
    Q_OBJECT

private slots:
    void givesTheSystemsTextForACode_data();
    void givesTheSystemsTextForACode();
    void zeroMeansTheLastFailedCall_data();
    void zeroMeansTheLastFailedCall();
    void unknownCodeGivesNoText_data();
    void unknownCodeGivesNoText();
};

void TestSystemErrorText::givesTheSystemsTextForACode_data()
{
    QTest::addColumn<int>("Code");
    QTest::newRow("file not found") << ENOENT;
    QTest::newRow("access denied") << EACCES;
    QTest::newRow("disk full") << ENOSPC;
    QTest::newRow("is a folder") << EISDIR;
    QTest::newRow("exec format") << ENOEXEC;
}

void TestSystemErrorText::givesTheSystemsTextForACode()
{
    QFETCH(int, Code);
    // The test runs on one thread, so strerror's shared buffer is safe here.
    QCOMPARE(SystemErrorText(Code), std::string(std::strerror(Code)));
}

void TestSystemErrorText::zeroMeansTheLastFailedCall_data()
{
    QTest::addColumn<QByteArray>("Path");
    QTest::addColumn<int>("Flags");
    QTest::addColumn<int>("Errno");
    QTest::newRow("missing file") << QByteArray("/nonexistent-zolvane/level.txt") << int(O_RDONLY) << ENOENT;
    QTest::newRow("folder opened for writing") << QByteArray("/") << int(O_WRONLY) << EISDIR;
    QTest::newRow("file used as a folder") << QByteArray("/dev/null/level.txt") << int(O_RDONLY) << ENOTDIR;
}

void TestSystemErrorText::zeroMeansTheLastFailedCall()
{
    QFETCH(QByteArray, Path);
    QFETCH(int, Flags);
    QFETCH(int, Errno);
    const int Fd = open(Path.constData(), Flags);
    const std::string Text = SystemErrorText(0);
    if (Fd >= 0)
        close(Fd);
    QCOMPARE(Fd, -1);
    QCOMPARE(Text, std::string(std::strerror(Errno)));
}

void TestSystemErrorText::unknownCodeGivesNoText_data()
{
    QTest::addColumn<int>("Code");
    QTest::newRow("negative") << -1;
    QTest::newRow("beyond the table") << 100000;
    QTest::newRow("largest int") << INT_MAX;
    QTest::newRow("smallest int") << INT_MIN;
}

void TestSystemErrorText::unknownCodeGivesNoText()
{
    QFETCH(int, Code);
    QCOMPARE(SystemErrorText(Code), std::string());
}

QTEST_GUILESS_MAIN(TestSystemErrorText)
#include "tst_systemerrortext.moc"
