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
    void givesTheSystemsText_data();
    void givesTheSystemsText();
};

void TestSystemErrorText::givesTheSystemsText_data()
{
    QTest::addColumn<QByteArray>("FailToOpen"); // opened for writing first, when given
    QTest::addColumn<int>("Code");
    QTest::addColumn<int>("TextOf"); // the errno whose text is expected; 0 for no text
    QTest::newRow("2 is file not found") << QByteArray() << 2 << ENOENT;
    QTest::newRow("disk full") << QByteArray() << ENOSPC << ENOSPC;
    QTest::newRow("0 after opening a missing file") << QByteArray("/nonexistent-zolvane/level.txt") << 0 << ENOENT;
    QTest::newRow("0 after opening a folder for writing") << QByteArray("/") << 0 << EISDIR;
    QTest::newRow("negative code has no text") << QByteArray() << -1 << 0;
    QTest::newRow("largest int has no text") << QByteArray() << INT_MAX << 0;
}

void TestSystemErrorText::givesTheSystemsText()
{
    QFETCH(QByteArray, FailToOpen);
    QFETCH(int, Code);
    QFETCH(int, TextOf);
    const int Fd = FailToOpen.isEmpty() ? -1 : open(FailToOpen.constData(), O_WRONLY);
    const std::string Text = SystemErrorText(Code);
    if (Fd >= 0)
        close(Fd);
    QCOMPARE(Fd, -1);
    // The test runs on one thread, so strerror's shared buffer is safe here.
    QCOMPARE(Text, TextOf ? std::string(std::strerror(TextOf)) : std::string());
}

QTEST_GUILESS_MAIN(TestSystemErrorText)
#include "tst_systemerrortext.moc"
