// zolvane-level under the system's limits, each in a child process: check reads 20 MB files within 64 MiB
// of address space; a file that needs more memory than there is fails alone; and the program itself,
// under a file-size limit or writing into a closed pipe, fails with an error instead of a signal and
// leaves no temporary file.

#include "levelcli.h"
#include "levelfiletools.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sstream>

#include <fcntl.h>
#include <sys/resource.h>

using namespace LevelFileTools;

namespace {

constexpr long long MiB = 1024 * 1024;

// The address space a process has mapped now, from the kernel's own count.
long long MappedBytes()
{
    long long Pages = -1;
    if (std::FILE* Status = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(Status, "%lld", &Pages) != 1)
            Pages = -1;
        std::fclose(Status);
    }
    return Pages * sysconf(_SC_PAGESIZE);
}

// Runs Files through check or fmt in a child that may map only Budget more bytes than it has mapped, and
// returns "status | last line out | err", or how the child ended.
QString UnderAddressLimit(const std::string& Command, const std::vector<std::string>& Files, long long Budget)
{
    int Pipe[2];
    if (pipe(Pipe) != 0)
        return "no pipe";
    const int Status = InChild([&] {
        close(Pipe[0]);
        const long long Limit = MappedBytes() + Budget;
        const rlimit Space{static_cast<rlim_t>(Limit), static_cast<rlim_t>(Limit)};
        if (Limit <= Budget || setrlimit(RLIMIT_AS, &Space) != 0)
            return 99;
        std::ostringstream Out, Err;
        const int Result = Command == "check" ? CheckLevels(Files, Out, Err) : FormatLevels(Files, {}, Out, Err);
        std::string Text = Out.str();
        Text.erase(0, Text.rfind('\n', Text.size() >= 2 ? Text.size() - 2 : 0) + 1);
        const std::string Said = std::to_string(Result) + " | " + Text + " | " + Err.str();
        return write(Pipe[1], Said.data(), Said.size()) == static_cast<ssize_t>(Said.size()) ? 0 : 98;
    });
    close(Pipe[1]);
    QByteArray Said;
    char Chunk[4096];
    for (ssize_t Got; (Got = read(Pipe[0], Chunk, sizeof Chunk)) > 0;)
        Said.append(Chunk, Got);
    close(Pipe[0]);
    return Status == 0 ? QString::fromUtf8(Said) : QString("child ended with %1").arg(Status);
}

bool SanitizersMapTheAddressSpace()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

} // namespace

class TestLevelCliLimits : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    std::string Made(const QString& Name, const QByteArray& Bytes)
    {
        [&] { QVERIFY(WriteBytes(FDir.filePath(Name), Bytes)); }();
        return Path(FDir.filePath(Name));
    }

    // Head, then Unit over and over until the file holds Size bytes more.
    std::string Repeated(const QString& Name, const QByteArray& Head, const QByteArray& Unit, qint64 Size)
    {
        QFile File(FDir.filePath(Name));
        [&] {
            QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Head) == Head.size());
            const QByteArray Block = Unit.repeated(static_cast<qsizetype>(MiB / Unit.size()));
            for (qint64 Left = Size; Left > 0; Left -= Block.size())
                QVERIFY(File.write(Block.left(static_cast<qsizetype>(std::min<qint64>(Left, Block.size())))) > 0);
        }();
        return Path(FDir.filePath(Name));
    }

    QString Bare(QString Text) const { return Text.replace(FDir.path() + "/", ""); }

private slots:
    // 20 MB files, each a head and one unit over and over.
    void checkOfHugeFilesStaysUnder64MiB_data()
    {
        QTest::addColumn<QByteArray>("Head");
        QTest::addColumn<QByteArray>("Unit");
        QTest::addColumn<QString>("Said");
        const QByteArray Rows = Joined(BrickRows());
        QTest::newRow("newlines") << QByteArray() << QByteArray("\n")
                                  << "1 | huge.txt: warning: 19999010 more notes not listed\n | ";
        QTest::newRow("lone CRs") << QByteArray() << QByteArray("\r")
                                  << "1 | huge.txt: warning: 19999001 more notes not listed\n | ";
        QTest::newRow("CR LF after the rows")
            << Rows << QByteArray("\r\n") << "1 | huge.txt: warning: 9999000 more notes not listed\n | ";
        QTest::newRow("one long line after the rows") << Rows << QByteArray(".")
                                                      << "1 | huge.txt:11:1: warning: line after the rows ignored: "
                                                         "not the trailer marker \":\"\n | ";
    }

    // The other file after it is checked too: its last line would be missing if check had died.
    void checkOfHugeFilesStaysUnder64MiB()
    {
        QFETCH(QByteArray, Head);
        QFETCH(QByteArray, Unit);
        QFETCH(QString, Said);
        if (SanitizersMapTheAddressSpace())
            QSKIP("the address sanitizer reserves terabytes of address space up front");
        const std::string Huge = Repeated("huge.txt", Head, Unit, 20'000'000);
        const std::string Good = Made("good.txt", Joined(BrickRows()));
        QCOMPARE(Bare(UnderAddressLimit("check", {Huge, Good}, 64 * MiB)), Said);
    }

    // A trailer is kept whole, being the level's own text: one of 200 MB cannot be read in 64 MiB.
    void memoryRunningOutFailsThatFileAlone_data()
    {
        QTest::addColumn<QString>("Command");
        QTest::addColumn<QString>("Said");
        QTest::newRow("check") << "check"
                               << "2 | tail.txt:13:1: warning: line after the trailer ignored\n | "
                                  "big.txt: error: cannot read: out of memory\n";
        QTest::newRow("fmt") << "fmt"
                             << "2 | tail.txt: reformatted\n | big.txt: error: cannot read: out of memory\n";
    }

    void memoryRunningOutFailsThatFileAlone()
    {
        QFETCH(QString, Command);
        QFETCH(QString, Said);
        if (SanitizersMapTheAddressSpace())
            QSKIP("the address sanitizer reserves terabytes of address space up front");
        const std::string Big = Made("big.txt", Joined(BrickRows()) + ":\r\nBegins");
        {
            // The hole reads as NUL bytes, which end no line, and takes no disk.
            QFile File(FDir.filePath("big.txt"));
            QVERIFY(File.open(QIODevice::ReadWrite));
            QVERIFY(File.seek(200 * MiB));
            QVERIFY(File.write("ends\r\n") == 6);
        }
        const std::string Tail = Made("tail.txt", Joined(BrickRows()) + ":\r\nCastle\r\nx");
        QCOMPARE(Bare(UnderAddressLimit(Command.toStdString(), {Big, Tail}, 64 * MiB)), Said);
    }

    // The program as started, with the signals at their defaults as a shell leaves them.
    void writeFailuresAreErrorsNotSignals_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<bool>("ClosedOutput");
        QTest::addColumn<QString>("Said"); // exit status and what was said on stderr
        QTest::addColumn<QStringList>("Folder");
        QTest::newRow("fmt past the file-size limit")
            << QStringList{"fmt"} << false << "2 | level.txt: error: cannot write: I/O error 27\n"
            << QStringList{".zolvane.lock", "level.txt"};
        QTest::newRow("check into a closed pipe") << QStringList{"check"} << true << "1 | " << QStringList{"level.txt"};
    }

    void writeFailuresAreErrorsNotSignals()
    {
        QFETCH(QStringList, Args);
        QFETCH(bool, ClosedOutput);
        QFETCH(QString, Said);
        QFETCH(QStringList, Folder);
        QTemporaryDir Dir;
        const QByteArray Damaged = Joined(BrickRows(), "\n");
        QVERIFY(WriteBytes(Dir.filePath("level.txt"), Damaged));
        std::vector<std::string> Argv{ZOLVANE_LEVEL_TOOL};
        for (const QString& Arg : Args)
            Argv.push_back(Arg.toStdString());
        Argv.push_back(Path(Dir.filePath("level.txt")));
        int Output[2], Errors[2];
        QVERIFY(pipe(Output) == 0 && pipe(Errors) == 0);
        if (ClosedOutput)
            close(Output[0]);
        const int Status = InChild([&] {
            std::signal(SIGXFSZ, SIG_DFL);
            std::signal(SIGPIPE, SIG_DFL);
            const rlimit Small{200, 200};
            if (setrlimit(RLIMIT_FSIZE, &Small) != 0)
                return 97;
            dup2(Output[1], 1);
            dup2(Errors[1], 2);
            std::vector<char*> Pointers;
            for (std::string& Arg : Argv)
                Pointers.push_back(Arg.data());
            Pointers.push_back(nullptr);
            execv(Pointers[0], Pointers.data());
            return 96;
        });
        close(Output[1]);
        close(Errors[1]);
        if (!ClosedOutput)
            close(Output[0]);
        QByteArray Text;
        char Chunk[4096];
        for (ssize_t Got; (Got = read(Errors[0], Chunk, sizeof Chunk)) > 0;)
            Text.append(Chunk, Got);
        close(Errors[0]);
        QCOMPARE(QString("%1 | %2").arg(Status).arg(QString::fromUtf8(Text)).replace(Dir.path() + "/", ""), Said);
        QCOMPARE(Listing(Dir.path()), Folder);
        QCOMPARE(ReadBytes(Dir.filePath("level.txt")), Damaged);
    }
};

QTEST_GUILESS_MAIN(TestLevelCliLimits)
#include "tst_levelcli_limits.moc"
