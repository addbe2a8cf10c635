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
#include <unistd.h>

using namespace LevelFileTools;

namespace {

const QByteArray FilledBytes = Joined(CanonicalRows()) + ":\r\nTrail\r\n";

// The level as the editor holds it before a save: changed since it was read.
TLevelData EditedLevel()
{
    TLevelData Level = FilledLevel("before.txt");
    Level.Changed = 1;
    return Level;
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

        TLevelData Level = EditedLevel();
        QCOMPARE(FailureOf([&] { Save ? void(SaveLevel(File, Level)) : LoadLevel(File, Level); }), Expected);
        QCOMPARE(Level, Save ? EditedLevel() : TLevelData{});
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
        QTest::addColumn<bool>("New");
        QTest::addColumn<int>("Expected");
        QTest::newRow("write stops part-way over an existing level") << FilledBytes << false << false << int(EFBIG);
        QTest::newRow("write stops part-way as a new level") << QByteArray() << false << false << int(EFBIG);
        QTest::newRow("write stops part-way in an exclusive create") << QByteArray() << false << true << int(EFBIG);
        QTest::newRow("read-only level") << FilledBytes << true << false << InOutAccessDenied;
    }

    void failedSaveKeepsThePreviousFile()
    {
        QFETCH(QByteArray, Previous);
        QFETCH(bool, ReadOnly);
        QFETCH(bool, New);
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
                     TLevelData Level = EditedLevel();
                     Level.TrailerText = std::string(1000, 'x');
                     const int Code = ErrorCodeOf(
                         FailureOf([&] { New ? SaveNewLevel(Path(File), Level) : SaveLevel(Path(File), Level); }));
                     return Level.FileName == "before.txt" ? Code : 255;
                 }),
                 Expected);
        QCOMPARE(Listing(Dir.path()), Before);
        if (!Previous.isEmpty())
            QCOMPARE(ReadBytes(File), Previous);
    }

    // The name is claimed only if nothing at all holds it, up to the last moment; taken, nothing is written.
    void saveNewLevelClaimsOnlyAFreeName_data()
    {
        QTest::addColumn<QString>("Taken");
        QTest::addColumn<bool>("Claimed");
        QTest::newRow("free name") << "" << true;
        QTest::newRow("file") << "file" << false;
        QTest::newRow("dangling link") << "dangling link" << false;
        QTest::newRow("file created just before the name is claimed") << "last moment" << false;
    }

    void saveNewLevelClaimsOnlyAFreeName()
    {
        QFETCH(QString, Taken);
        QFETCH(bool, Claimed);
        QTemporaryDir Dir;
        THookGuard Hooks;
        const QString File = Dir.filePath("level1.txt");
        const QByteArray Old = "old level\r\n";
        if (Taken == "file")
            QVERIFY(WriteBytes(File, Old));
        else if (Taken == "dangling link")
            QCOMPARE(symlink("gone.txt", QFile::encodeName(File).constData()), 0);
        const QStringList Before = Snapshot(Dir.path());
        // By the time the name is claimed, the new level is written in full under a name of its own.
        QStringList AtClaim;
        SetBeforeCreateHook([&](const std::string& Claiming) {
            for (const QString& Entry : Snapshot(Dir.path()))
                if (!Before.contains(Entry))
                    AtClaim += Entry.section(": ", 1);
            if (Taken == "last moment")
                WriteBytes(QString::fromStdString(Claiming), Old);
        });
        QStringList Expected = Before;
        if (Claimed || Taken == "last moment") {
            Expected += "level1.txt: " + QString::fromLatin1(Claimed ? FilledBytes : Old);
            Expected.sort();
        }

        TLevelData Level = EditedLevel();
        TLevelData ExpectedLevel = EditedLevel();
        if (Claimed)
            ExpectedLevel.FileName = Path(File);
        QCOMPARE(SaveNewLevel(Path(File), Level), Claimed);
        QCOMPARE(Level, ExpectedLevel);
        QCOMPARE(Snapshot(Dir.path()), Expected);
        QCOMPARE(AtClaim, QStringList{QString::fromLatin1(FilledBytes)});
    }

    // After the rename or the new link the folder holding the file itself is synced, a link's target's
    // folder for a link; a load syncs nothing.
    void saveSyncsTheFilesFolder_data()
    {
        QTest::addColumn<QString>("Call");
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QStringList>("Synced");
        QTest::newRow("save a new file") << "save" << "level1.txt" << QStringList{"."};
        QTest::newRow("save over a file") << "save" << "sub/real.txt" << QStringList{"sub"};
        QTest::newRow("save through a link into a subfolder") << "save" << "link.txt" << QStringList{"sub"};
        QTest::newRow("save a new level") << "save new" << "level1.txt" << QStringList{"."};
        QTest::newRow("load") << "load" << "sub/real.txt" << QStringList{};
    }

    void saveSyncsTheFilesFolder()
    {
        QFETCH(QString, Call);
        QFETCH(QString, Name);
        QFETCH(QStringList, Synced);
        QTemporaryDir Dir;
        THookGuard Hooks;
        QVERIFY(QDir(Dir.path()).mkdir("sub"));
        QVERIFY(WriteBytes(Dir.filePath("sub/real.txt"), "old level\r\n"));
        QCOMPARE(symlink("sub/real.txt", QFile::encodeName(Dir.filePath("link.txt")).constData()), 0);
        QStringList Seen;
        SetFolderSyncHook([&](const std::string& Folder) {
            Seen += QDir(Dir.path()).relativeFilePath(QString::fromStdString(Folder));
            return 0;
        });
        TLevelData Level = EditedLevel();
        const std::string File = Path(Dir.filePath(Name));
        QCOMPARE(FailureOf([&] {
                     Call == "load" ? LoadLevel(File, Level)
                                    : void(Call == "save" ? SaveLevel(File, Level) : SaveNewLevel(File, Level));
                 }),
                 QString("no error"));
        QCOMPARE(Seen, Synced);
    }

    // The new name is in place, but it may not survive a power cut, so the save reports the I/O error.
    void folderSyncFailureIsTheIOError_data()
    {
        QTest::addColumn<bool>("New");
        QTest::addColumn<int>("Errno");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("save over a level, device error") << false << int(EIO) << "5 I/O error 5";
        QTest::newRow("save a new level, disk full") << true << int(ENOSPC) << "28 I/O error 28";
    }

    void folderSyncFailureIsTheIOError()
    {
        QFETCH(bool, New);
        QFETCH(int, Errno);
        QFETCH(QString, Expected);
        QTemporaryDir Dir;
        THookGuard Hooks;
        const QString File = Dir.filePath("level1.txt");
        if (!New)
            QVERIFY(WriteBytes(File, "old level\r\n"));
        SetFolderSyncHook([&](const std::string&) { return Errno; });
        TLevelData Level = EditedLevel();
        QCOMPARE(FailureOf([&] { New ? SaveNewLevel(Path(File), Level) : SaveLevel(Path(File), Level); }), Expected);
        QCOMPARE(Level, EditedLevel());
        QCOMPARE(Listing(Dir.path()), QStringList{"level1.txt"});
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
            TLevelData Level = EditedLevel();
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
        TLevelData Level = EditedLevel();
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
