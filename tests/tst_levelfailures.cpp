// Failed loads and saves: the library's codes and texts, the record and the disk after a failure,
// and a save that replaces the file without touching its links, permissions or neighbours.
// Each failure here fails for root too, since CI runs as root.

#include "inouterror.h"
#include "leveldata.h"
#include "levelfiletools.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace LevelFileTools;

namespace {

QString Describe(const EInOutError& Error)
{
    return QString::number(Error.ErrorCode()) + " " + QString::fromStdString(Error.what());
}

TLevelData FilledLevel(const std::string& FileName)
{
    TLevelData Level = RecordFromRows(CanonicalRows(), "Trail", FileName);
    Level.Changed = 1;
    return Level;
}

// Runs Body in a child process and returns its exit code, so that limits and identities set there
// stay there. _exit keeps the child from running the test framework's and the sanitizers' exit work.
template <typename TBody>
int InChild(TBody Body)
{
    pid_t Child = fork();
    if (Child == 0)
        _exit(Body());
    int Status = 0;
    waitpid(Child, &Status, 0);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 1000 + WTERMSIG(Status);
}

constexpr int NoError = 250;
constexpr int WrongError = 251;

template <typename TCall>
int ErrorCodeOf(TCall Call)
{
    try {
        Call();
    } catch (const EInOutError& Error) {
        return Error.ErrorCode();
    } catch (...) {
        return WrongError;
    }
    return NoError;
}

QString ModeOf(const QString& File)
{
    struct stat Info {};
    if (stat(QFile::encodeName(File).constData(), &Info) != 0)
        return "missing";
    const QString Bits = QString::number(Info.st_mode & 07777, 8);
    return S_ISREG(Info.st_mode) ? Bits : S_ISFIFO(Info.st_mode) ? "fifo " + Bits : "other " + Bits;
}

} // namespace

class TestLevelFailures : public QObject {
    Q_OBJECT

private slots:
    void errorTextsAreTheLibrarys_data();
    void errorTextsAreTheLibrarys();
    void errnoMapsToTheLibrarysCodes_data();
    void errnoMapsToTheLibrarysCodes();

    void failedLoadLeavesTheRecordZeroed_data();
    void failedLoadLeavesTheRecordZeroed();
    void tooManyOpenFilesFailsWithCode4();

    void failedSaveChangesNothing_data();
    void failedSaveChangesNothing();
    void saveFailingPartWayKeepsThePreviousFile_data();
    void saveFailingPartWayKeepsThePreviousFile();
    void readOnlyLevelRefusesTheSave();

    void saveReplacesTheFileALinkPointsTo_data();
    void saveReplacesTheFileALinkPointsTo();
    void saveKeepsPermissionBits_data();
    void saveKeepsPermissionBits();
    void newFileGetsPermissionsFromTheUmask_data();
    void newFileGetsPermissionsFromTheUmask();

private:
    QTemporaryDir FDir;
};

void TestLevelFailures::errorTextsAreTheLibrarys_data()
{
    QTest::addColumn<int>("Code");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("2") << 2 << "2 File not found";
    QTest::newRow("3") << 3 << "3 Invalid filename";
    QTest::newRow("4") << 4 << "4 Too many open files";
    QTest::newRow("5") << 5 << "5 File access denied";
    QTest::newRow("file too large") << 27 << "27 I/O error 27";
    QTest::newRow("disk full") << 28 << "28 I/O error 28";
    QTest::newRow("1") << 1 << "1 I/O error 1";
    QTest::newRow("6") << 6 << "6 I/O error 6";
    QTest::newRow("0") << 0 << "0 I/O error 0";
    QTest::newRow("negative") << -7 << "-7 I/O error -7";
}

void TestLevelFailures::errorTextsAreTheLibrarys()
{
    QFETCH(int, Code);
    QFETCH(QString, Expected);
    QCOMPARE(Describe(EInOutError(Code)), Expected);
    QCOMPARE(QString::number(Code) + " " + QString::fromStdString(InOutErrorMessage(Code)), Expected);
}

void TestLevelFailures::errnoMapsToTheLibrarysCodes_data()
{
    QTest::addColumn<int>("Errno");
    QTest::addColumn<QString>("Path");
    QTest::addColumn<QString>("Expected");
    const QString InFolder = FDir.filePath("absent.txt");
    const QString InMissingFolder = FDir.filePath("nowhere/absent.txt");
    QTest::newRow("missing file") << ENOENT << InFolder << "2 File not found";
    QTest::newRow("missing file in the current folder") << ENOENT << "absent-level.txt" << "2 File not found";
    QTest::newRow("missing folder") << ENOENT << InMissingFolder << "3 Invalid filename";
    QTest::newRow("empty name") << ENOENT << "" << "3 Invalid filename";
    QTest::newRow("file on the path is no folder") << ENOTDIR << InFolder << "3 Invalid filename";
    QTest::newRow("process out of descriptors") << EMFILE << InFolder << "4 Too many open files";
    QTest::newRow("system out of descriptors") << ENFILE << InFolder << "4 Too many open files";
    QTest::newRow("permission denied") << EACCES << InFolder << "5 File access denied";
    QTest::newRow("not permitted") << EPERM << InFolder << "5 File access denied";
    QTest::newRow("read-only file system") << EROFS << InFolder << "5 File access denied";
    QTest::newRow("folder opened as a file") << EISDIR << InFolder << "5 File access denied";
    QTest::newRow("file too large keeps errno") << EFBIG << InFolder << "27 I/O error 27";
    QTest::newRow("disk full keeps errno") << ENOSPC << InFolder << "28 I/O error 28";
    // EIO is 5 on Linux: the code stays, but it must not claim that access was denied.
    QTest::newRow("device error is no access error") << EIO << InFolder << "5 I/O error 5";
}

void TestLevelFailures::errnoMapsToTheLibrarysCodes()
{
    QFETCH(int, Errno);
    QFETCH(QString, Path);
    QFETCH(QString, Expected);
    QCOMPARE(Describe(InOutErrorFromErrno(Errno, Path.toStdString())), Expected);
    QCOMPARE(QString::number(InOutCodeFromErrno(Errno, Path.toStdString())), Expected.section(' ', 0, 0));
}

void TestLevelFailures::failedLoadLeavesTheRecordZeroed_data()
{
    QTest::addColumn<QString>("File");
    QTest::addColumn<QString>("Expected");
    QVERIFY(WriteBytes(FDir.filePath("plain.txt"), "1S\r\n"));
    QVERIFY(QDir(FDir.path()).mkpath("folder.txt"));
    QTest::newRow("missing file") << FDir.filePath("absent.txt") << "2 File not found";
    QTest::newRow("missing folder") << FDir.filePath("nowhere/absent.txt") << "3 Invalid filename";
    QTest::newRow("regular file used as a folder") << FDir.filePath("plain.txt/level.txt") << "3 Invalid filename";
    QTest::newRow("folder opened as a level") << FDir.filePath("folder.txt") << "5 File access denied";
    QTest::newRow("empty name") << QString() << "3 Invalid filename";
}

void TestLevelFailures::failedLoadLeavesTheRecordZeroed()
{
    QFETCH(QString, File);
    QFETCH(QString, Expected);
    TLevelData Level = FilledLevel("before.txt");
    try {
        LoadLevel(Path(File), Level);
        QFAIL("LoadLevel returned");
    } catch (const EInOutError& Error) {
        QCOMPARE(Describe(Error), Expected);
    }
    QCOMPARE(Level, TLevelData{});
}

void TestLevelFailures::tooManyOpenFilesFailsWithCode4()
{
    const QString File = FDir.filePath("open.txt");
    QVERIFY(WriteBytes(File, "1S\r\n"));
    const int Code = InChild([&] {
        rlimit Limit{64, 64};
        setrlimit(RLIMIT_NOFILE, &Limit);
        while (dup(0) >= 0) {
        }
        TLevelData Level;
        return ErrorCodeOf([&] { LoadLevel(Path(File), Level); });
    });
    QCOMPARE(Code, 4);
}

void TestLevelFailures::failedSaveChangesNothing_data()
{
    QTest::addColumn<QString>("Name");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("missing folder") << "nowhere/level1.txt" << "3 Invalid filename";
    QTest::newRow("missing folders") << "nowhere/deeper/level1.txt" << "3 Invalid filename";
    QTest::newRow("regular file used as a folder") << "plain.txt/level1.txt" << "3 Invalid filename";
    QTest::newRow("over a folder") << "folder.txt" << "5 File access denied";
    QTest::newRow("over a pipe") << "pipe.txt" << "5 File access denied";
}

void TestLevelFailures::failedSaveChangesNothing()
{
    QFETCH(QString, Name);
    QFETCH(QString, Expected);
    QTemporaryDir Dir;
    QVERIFY(WriteBytes(Dir.filePath("plain.txt"), "1S\r\n"));
    QVERIFY(QDir(Dir.path()).mkdir("folder.txt"));
    QCOMPARE(mkfifo(QFile::encodeName(Dir.filePath("pipe.txt")).constData(), 0644), 0);
    QCOMPARE(chmod(QFile::encodeName(Dir.filePath("pipe.txt")).constData(), 0644), 0);
    const QStringList Before = Listing(Dir.path());

    TLevelData Level = FilledLevel("before.txt");
    const TLevelData Unchanged = Level;
    try {
        SaveLevel(Path(Dir.filePath(Name)), Level);
        QFAIL("SaveLevel returned");
    } catch (const EInOutError& Error) {
        QCOMPARE(Describe(Error), Expected);
    }
    QCOMPARE(Level, Unchanged);
    QCOMPARE(Listing(Dir.path()), Before);
    QCOMPARE(ReadBytes(Dir.filePath("plain.txt")), QByteArray("1S\r\n"));
    QCOMPARE(Listing(Dir.filePath("folder.txt")), QStringList());
    QCOMPARE(ModeOf(Dir.filePath("pipe.txt")), QString("fifo 644"));
}

void TestLevelFailures::saveFailingPartWayKeepsThePreviousFile_data()
{
    QTest::addColumn<QByteArray>("Previous");
    QTest::newRow("over an existing level") << Joined(CanonicalRows()) + ":\r\nOld\r\n";
    QTest::newRow("as a new level") << QByteArray();
}

void TestLevelFailures::saveFailingPartWayKeepsThePreviousFile()
{
    QFETCH(QByteArray, Previous);
    QTemporaryDir Dir;
    const QString File = Dir.filePath("level1.txt");
    if (!Previous.isEmpty())
        QVERIFY(WriteBytes(File, Previous));
    const QStringList Before = Listing(Dir.path());

    // A file-size limit makes a write stop part-way, for root as for anyone.
    const int Code = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit Limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &Limit);
        TLevelData Level = FilledLevel("before.txt");
        Level.TrailerText = std::string(1000, 'x');
        const int Result = ErrorCodeOf([&] { SaveLevel(Path(File), Level); });
        return Level.FileName == "before.txt" ? Result : WrongError;
    });
    QCOMPARE(Code, EFBIG);
    QCOMPARE(Listing(Dir.path()), Before);
    if (!Previous.isEmpty())
        QCOMPARE(ReadBytes(File), Previous);
}

void TestLevelFailures::readOnlyLevelRefusesTheSave()
{
    QTemporaryDir Dir;
    // Anyone may replace files in this folder, so only the file's own permission can stop the save.
    QCOMPARE(chmod(QFile::encodeName(Dir.path()).constData(), 0777), 0);
    const QString File = Dir.filePath("level1.txt");
    const QByteArray Previous = Joined(CanonicalRows());
    QVERIFY(WriteBytes(File, Previous));
    QCOMPARE(chmod(QFile::encodeName(File).constData(), 0444), 0);

    // Root may write anything; an ordinary user is whom the permission stops.
    const int Code = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return WrongError;
        TLevelData Level = FilledLevel("before.txt");
        return ErrorCodeOf([&] { SaveLevel(Path(File), Level); });
    });
    QCOMPARE(Code, 5);
    QCOMPARE(ReadBytes(File), Previous);
    QCOMPARE(Listing(Dir.path()), QStringList{"level1.txt"});
}

void TestLevelFailures::saveReplacesTheFileALinkPointsTo_data()
{
    QTest::addColumn<QString>("LinkName");
    QTest::addColumn<QStringList>("Links");   // pairs: link name, link text, in creation order
    QTest::addColumn<QString>("TargetName");
    QTest::newRow("absolute link") << "link.txt" << QStringList{"link.txt", "<dir>/real.txt"} << "real.txt";
    QTest::newRow("relative link from another folder")
        << "sub/link.txt" << QStringList{"sub/link.txt", "../real.txt"} << "real.txt";
    QTest::newRow("chain of links") << "first.txt"
                                    << QStringList{"second.txt", "sub/real.txt", "first.txt", "second.txt"}
                                    << "sub/real.txt";
    QTest::newRow("dangling link creates its target")
        << "link.txt" << QStringList{"link.txt", "sub/new.txt"} << "sub/new.txt";
}

void TestLevelFailures::saveReplacesTheFileALinkPointsTo()
{
    QFETCH(QString, LinkName);
    QFETCH(QStringList, Links);
    QFETCH(QString, TargetName);
    QTemporaryDir Dir;
    QVERIFY(QDir(Dir.path()).mkdir("sub"));
    const QByteArray Old = "old level\r\n";
    if (TargetName != "sub/new.txt")
        QVERIFY(WriteBytes(Dir.filePath(TargetName), Old));
    for (int I = 0; I < Links.size(); I += 2) {
        QString Text = Links[I + 1];
        Text.replace("<dir>", Dir.path());
        QCOMPARE(symlink(QFile::encodeName(Text).constData(), QFile::encodeName(Dir.filePath(Links[I])).constData()),
                 0);
    }
    const QString Link = Dir.filePath(LinkName);
    const QString LinkText = QFile::symLinkTarget(Link);

    TLevelData Level = FilledLevel("before.txt");
    QVERIFY(SaveLevel(Path(Link), Level));
    QCOMPARE(Level.FileName, Path(Link));
    QCOMPARE(QFile::symLinkTarget(Link), LinkText);
    QCOMPARE(ReadBytes(Dir.filePath(TargetName)), Joined(CanonicalRows()) + ":\r\nTrail\r\n");
    QCOMPARE(Listing(Dir.path()).filter(".tmp"), QStringList());
    QCOMPARE(Listing(Dir.filePath("sub")).filter(".tmp"), QStringList());
}

void TestLevelFailures::saveKeepsPermissionBits_data()
{
    QTest::addColumn<int>("Mode");
    QTest::newRow("0640") << 0640;
    QTest::newRow("0604") << 0604;
    QTest::newRow("0600") << 0600;
    QTest::newRow("0775") << 0775;
    QTest::newRow("0666") << 0666;
}

void TestLevelFailures::saveKeepsPermissionBits()
{
    QFETCH(int, Mode);
    const QString File = FDir.filePath("mode.txt");
    QVERIFY(WriteBytes(File, "old\r\n"));
    QCOMPARE(chmod(QFile::encodeName(File).constData(), static_cast<mode_t>(Mode)), 0);
    TLevelData Level = FilledLevel("before.txt");
    QVERIFY(SaveLevel(Path(File), Level));
    QCOMPARE(ModeOf(File), QString::number(Mode, 8));
    QCOMPARE(ReadBytes(File), Joined(CanonicalRows()) + ":\r\nTrail\r\n");
}

void TestLevelFailures::newFileGetsPermissionsFromTheUmask_data()
{
    QTest::addColumn<int>("Umask");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("022") << 022 << "644";
    QTest::newRow("077") << 077 << "600";
    QTest::newRow("002") << 002 << "664";
}

void TestLevelFailures::newFileGetsPermissionsFromTheUmask()
{
    QFETCH(int, Umask);
    QFETCH(QString, Expected);
    QTemporaryDir Dir;
    const QString File = Dir.filePath("fresh.txt");
    const mode_t Previous = umask(static_cast<mode_t>(Umask));
    TLevelData Level = FilledLevel("before.txt");
    const bool Saved = SaveLevel(Path(File), Level);
    umask(Previous);
    QVERIFY(Saved);
    QCOMPARE(ModeOf(File), Expected);
    QCOMPARE(Listing(Dir.path()), QStringList{"fresh.txt"});
}

QTEST_GUILESS_MAIN(TestLevelFailures)
#include "tst_levelfailures.moc"
