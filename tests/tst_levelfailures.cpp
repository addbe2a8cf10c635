// Failed loads and saves: the library's codes and texts, the record and the disk after a failure,
// and a save that replaces the file without touching its links or permissions.
// Each failure here fails for root too, since CI runs as root.

#include "inouterror.h"
#include "leveldata.h"
#include "levelfiletools.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace LevelFileTools;

namespace {

const QByteArray FilledBytes = Joined(CanonicalRows()) + ":\r\nTrail\r\n";

TLevelData FilledLevel()
{
    TLevelData Level = RecordFromRows(CanonicalRows(), "Trail", "before.txt");
    Level.Changed = 1;
    return Level;
}

// "code text" of the EInOutError that Call throws.
template <typename TCall>
QString FailureOf(TCall Call)
{
    try {
        Call();
    } catch (const EInOutError& Error) {
        return QString::number(Error.ErrorCode()) + " " + Error.what();
    } catch (...) {
        return "another exception";
    }
    return "no error";
}

// Runs Body in a child process, so that limits and identities set there stay there, and returns its exit
// code. _exit skips the test framework's and the sanitizers' exit work.
template <typename TBody>
int InChild(TBody Body)
{
    const pid_t Child = fork();
    if (Child == 0)
        _exit(Body());
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 1000 + WTERMSIG(Status);
}

int ErrorCodeOf(const QString& Failure) { return Failure.section(' ', 0, 0).toInt(); }

QString ModeOf(const QString& File)
{
    struct stat Info {};
    if (stat(QFile::encodeName(File).constData(), &Info) != 0)
        return "missing";
    return (S_ISREG(Info.st_mode) ? "" : S_ISFIFO(Info.st_mode) ? "fifo " : "other ")
        + QString::number(Info.st_mode & 07777, 8);
}

} // namespace

class TestLevelFailures : public QObject {
    Q_OBJECT

private slots:
    // Errors the file tests below cannot provoke; the others are covered there.
    void errnoMapsToTheLibrarysCodes_data()
    {
        QTest::addColumn<int>("Errno");
        QTest::addColumn<QString>("Path");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("missing file in the current folder") << ENOENT << "absent-level.txt" << "2 File not found";
        QTest::newRow("system out of descriptors") << ENFILE << "a.txt" << "4 Too many open files";
        QTest::newRow("not permitted") << EPERM << "a.txt" << "5 File access denied";
        QTest::newRow("read-only file system") << EROFS << "a.txt" << "5 File access denied";
        QTest::newRow("disk full keeps errno") << ENOSPC << "a.txt" << "28 I/O error 28";
        // EIO is 5 on Linux: the code stays, but it must not claim that access was denied.
        QTest::newRow("device error is no access error") << EIO << "a.txt" << "5 I/O error 5";
    }

    void errnoMapsToTheLibrarysCodes()
    {
        QFETCH(int, Errno);
        QFETCH(QString, Path);
        QFETCH(QString, Expected);
        QCOMPARE(FailureOf([&] { throw InOutErrorFromErrno(Errno, Path.toStdString()); }), Expected);
    }

    // A failed load leaves the record zeroed; a failed save leaves the record and the disk as they were.
    void failureChangesNothing_data()
    {
        QTest::addColumn<bool>("Save");
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("load: missing file") << false << "absent.txt" << "2 File not found";
        QTest::newRow("load: regular file used as a folder") << false << "plain.txt/level.txt" << "3 Invalid filename";
        QTest::newRow("load: folder opened as a level") << false << "folder.txt" << "5 File access denied";
        QTest::newRow("load: empty name") << false << "" << "3 Invalid filename";
        QTest::newRow("save: missing folder") << true << "nowhere/level1.txt" << "3 Invalid filename";
        QTest::newRow("save: over a folder") << true << "folder.txt" << "5 File access denied";
        QTest::newRow("save: over a pipe") << true << "pipe.txt" << "5 File access denied";
    }

    void failureChangesNothing()
    {
        QFETCH(bool, Save);
        QFETCH(QString, Name);
        QFETCH(QString, Expected);
        QTemporaryDir Dir;
        QVERIFY(WriteBytes(Dir.filePath("plain.txt"), "1S\r\n"));
        QVERIFY(QDir(Dir.path()).mkdir("folder.txt"));
        QCOMPARE(mkfifo(QFile::encodeName(Dir.filePath("pipe.txt")).constData(), 0600), 0);
        const QStringList Before = Listing(Dir.path());
        const std::string File = Name.isEmpty() ? "" : Path(Dir.filePath(Name));

        TLevelData Level = FilledLevel();
        QCOMPARE(FailureOf([&] { Save ? void(SaveLevel(File, Level)) : LoadLevel(File, Level); }), Expected);
        QCOMPARE(Level, Save ? FilledLevel() : TLevelData{});
        QCOMPARE(Listing(Dir.path()), Before);
        QCOMPARE(Listing(Dir.filePath("folder.txt")), QStringList());
        QCOMPARE(ModeOf(Dir.filePath("pipe.txt")), QString("fifo 600"));
    }

    void tooManyOpenFilesFailsWithCode4()
    {
        QTemporaryDir Dir;
        const QString File = Dir.filePath("open.txt");
        QVERIFY(WriteBytes(File, "1S\r\n"));
        QCOMPARE(InChild([&] {
                     rlimit Limit{64, 64};
                     setrlimit(RLIMIT_NOFILE, &Limit);
                     while (dup(0) >= 0) {
                     }
                     TLevelData Level;
                     return ErrorCodeOf(FailureOf([&] { LoadLevel(Path(File), Level); }));
                 }),
                 4);
    }

    // In a child: a file-size limit stops a write part-way, or an ordinary user saves over a read-only level.
    void failedSaveKeepsThePreviousFile_data()
    {
        QTest::addColumn<QByteArray>("Previous");
        QTest::addColumn<bool>("ReadOnly");
        QTest::addColumn<int>("Expected");
        QTest::newRow("write stops part-way over an existing level") << FilledBytes << false << int(EFBIG);
        QTest::newRow("write stops part-way as a new level") << QByteArray() << false << int(EFBIG);
        QTest::newRow("read-only level") << FilledBytes << true << 5;
    }

    void failedSaveKeepsThePreviousFile()
    {
        QFETCH(QByteArray, Previous);
        QFETCH(bool, ReadOnly);
        QFETCH(int, Expected);
        QTemporaryDir Dir;
        // Anyone may replace files in this folder, so only the file's own permission can stop the save.
        QCOMPARE(chmod(QFile::encodeName(Dir.path()).constData(), 0777), 0);
        const QString File = Dir.filePath("level1.txt");
        if (!Previous.isEmpty())
            QVERIFY(WriteBytes(File, Previous));
        if (ReadOnly)
            QCOMPARE(chmod(QFile::encodeName(File).constData(), 0444), 0);
        const QStringList Before = Listing(Dir.path());
        QCOMPARE(InChild([&] {
                     // Root may write anything; an ordinary user is whom the permission stops.
                     if (ReadOnly && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                         return 255;
                     rlimit Limit{200, 200};
                     if (!ReadOnly && (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &Limit) != 0))
                         return 255;
                     TLevelData Level = FilledLevel();
                     Level.TrailerText = std::string(1000, 'x');
                     const int Code = ErrorCodeOf(FailureOf([&] { SaveLevel(Path(File), Level); }));
                     return Level.FileName == "before.txt" ? Code : 255;
                 }),
                 Expected);
        QCOMPARE(Listing(Dir.path()), Before);
        if (!Previous.isEmpty())
            QCOMPARE(ReadBytes(File), Previous);
    }

    // A chain of relative and absolute links across folders, and a dangling link that creates its target.
    void saveReplacesTheFileALinkPointsTo()
    {
        QTemporaryDir Dir;
        QVERIFY(QDir(Dir.path()).mkdir("sub"));
        QVERIFY(WriteBytes(Dir.filePath("sub/real.txt"), "old level\r\n"));
        const QStringList Links{"first.txt", "sub/second.txt", "sub/second.txt", "../third.txt",
                                "third.txt", Dir.filePath("sub/real.txt"), "dangling.txt", "sub/new.txt"};
        for (int I = 0; I < Links.size(); I += 2)
            QCOMPARE(symlink(QFile::encodeName(Links[I + 1]).constData(),
                             QFile::encodeName(Dir.filePath(Links[I])).constData()),
                     0);

        for (const QString Name : {"first.txt", "dangling.txt"}) {
            TLevelData Level = FilledLevel();
            QVERIFY(SaveLevel(Path(Dir.filePath(Name)), Level));
            QCOMPARE(Level.FileName, Path(Dir.filePath(Name)));
            QCOMPARE(QFileInfo(Dir.filePath(Name)).isSymLink(), true);
        }
        QCOMPARE(ReadBytes(Dir.filePath("sub/real.txt")), FilledBytes);
        QCOMPARE(ReadBytes(Dir.filePath("sub/new.txt")), FilledBytes);
        QCOMPARE(Listing(Dir.path()), (QStringList{"dangling.txt", "first.txt", "sub", "third.txt"}));
        QCOMPARE(Listing(Dir.filePath("sub")), (QStringList{"new.txt", "real.txt", "second.txt"}));
    }

    // An existing file keeps its permission bits; a new one gets them from the umask.
    void saveSetsPermissionBits_data()
    {
        QTest::addColumn<int>("OldMode"); // 0 for no file before the save
        QTest::addColumn<int>("Umask");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("existing 0604") << 0604 << 022 << "604";
        QTest::newRow("existing 0775") << 0775 << 077 << "775";
        QTest::newRow("new under umask 022") << 0 << 022 << "644";
        QTest::newRow("new under umask 077") << 0 << 077 << "600";
    }

    void saveSetsPermissionBits()
    {
        QFETCH(int, OldMode);
        QFETCH(int, Umask);
        QFETCH(QString, Expected);
        QTemporaryDir Dir;
        const QString File = Dir.filePath("level1.txt");
        if (OldMode) {
            QVERIFY(WriteBytes(File, "old\r\n"));
            QCOMPARE(chmod(QFile::encodeName(File).constData(), static_cast<mode_t>(OldMode)), 0);
        }
        const mode_t Previous = umask(static_cast<mode_t>(Umask));
        TLevelData Level = FilledLevel();
        const bool Saved = SaveLevel(Path(File), Level);
        umask(Previous);
        QVERIFY(Saved);
        QCOMPARE(ModeOf(File), Expected);
        QCOMPARE(ReadBytes(File), FilledBytes);
        QCOMPARE(Listing(Dir.path()), QStringList{"level1.txt"});
    }
};

QTEST_GUILESS_MAIN(TestLevelFailures)
#include "tst_levelfailures.moc"
