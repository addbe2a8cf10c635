// Levels under git: zolvane-level show, diff and merge run in-process (lines, exit statuses, the file merge
// writes, the picture diff draws against the field painter), then the built tool under a real git: set-up,
// a clean and a conflicting merge of two branches, and git diff through the textconv.

#include "gitcommands.h"
#include "levelcli.h"
#include "levelfile.h"
#include "levelfiletools.h"
#include "fieldpainter.h"
#include "folderlock.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace LevelFileTools;

namespace {

// Level file bytes: each row given as its painted cells, e.g. {{2, "1S"}}; rows not given are empty.
using TRowCells = std::initializer_list<std::pair<int, const char*>>;
QByteArray Level(std::initializer_list<TRowCells> Rows, const QByteArray& Trailer = "", const QByteArray& End = "\r\n")
{
    QList<QByteArray> Lines(LevelRows, QByteArray(2 * LevelColumns, '.'));
    int Row = 0;
    for (const TRowCells& Cells : Rows) {
        for (const auto& [Column, Chars] : Cells)
            Lines[Row].replace(2 * Column, 2, Chars);
        ++Row;
    }
    return Joined(Lines, End) + (Trailer.isEmpty() ? "" : ":" + End + Trailer + End);
}

// "status N | out lines | err lines", with Dir taken out of the paths.
QString Outcome(int Status, const std::string& Out, const std::string& Err, const QString& Dir)
{
    QString Text =
        QString("status %1 | %2 | %3").arg(Status).arg(QString::fromStdString(Out), QString::fromStdString(Err));
    return Text.replace(Dir + "/", "").replace('\n', ';');
}

// Runs zolvane-level in-process with "@name" standing for a file in Dir.
QString Run(QStringList Args, const QString& Dir, const QString& Images = "no-pictures")
{
    std::vector<std::string> Arguments;
    for (const QString& Arg : Args)
        Arguments.push_back(Arg.startsWith('@') ? (Dir + "/" + Arg.mid(1)).toStdString() : Arg.toStdString());
    std::ostringstream Out, Err;
    const int Status = RunLevelTool(Arguments, Images.toStdString(), Out, Err);
    return Outcome(Status, Out.str(), Err.str(), Dir);
}

TLevelData Read(const QByteArray& Bytes)
{
    TLevelData Read;
    ParseLevelText(View(Bytes), Read);
    return Read;
}

QString GameDir()
{
    return qEnvironmentVariable("ZOLVANE_GAME_DIR");
}

// A program run in Dir with git kept to this test: Home for the user's folder, no system configuration, no
// repository above Home.
QString Execute(const QString& Program, const QStringList& Args, const QString& Dir, const QString& Home)
{
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    for (const char* Name : {"GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE"})
        Environment.remove(Name);
    Environment.insert("HOME", Home);
    Environment.insert("GIT_CONFIG_NOSYSTEM", "1");
    Environment.insert("GIT_CEILING_DIRECTORIES", QFileInfo(Home).path());
    for (const char* Name : {"GIT_AUTHOR_NAME", "GIT_COMMITTER_NAME"})
        Environment.insert(Name, "Level Designer");
    for (const char* Name : {"GIT_AUTHOR_EMAIL", "GIT_COMMITTER_EMAIL"})
        Environment.insert(Name, "designer@example.org");
    Process.setProcessEnvironment(Environment);
    Process.setWorkingDirectory(Dir);
    Process.start(Program, Args);
    if (!Process.waitForFinished(120000))
        return Program + " did not finish: " + Process.errorString();
    return Outcome(Process.exitCode(), Process.readAllStandardOutput().toStdString(),
                   Process.readAllStandardError().toStdString(), Dir);
}

} // namespace

class TestLevelGit : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    void Write(const QString& Name, const QByteArray& Bytes) { QVERIFY(WriteBytes(FDir.filePath(Name), Bytes)); }

private slots:
    void showAndDiffSayWhatTheEditorReads_data()
    {
        QTest::addColumn<QByteArray>("Old"); // "-": no such file
        QTest::addColumn<QByteArray>("New");
        QTest::addColumn<QString>("Show"); // of NEW
        QTest::addColumn<QString>("Diff");
        const QByteArray Castle = Level({{{3, "2W"}}, {}, {{19, "#."}}}, "Castle");
        QTest::newRow("the same") << Castle << Castle
                                  << "status 0 | column 3, row 0: Brick 2, 1 Hit, PowerUp - Wall;column 19, row 2: "
                                     "Brick Fixed;trailer: Castle; | "
                                  << "status 0 |  | ";
        QTest::newRow("an LF twin") << Level({{{0, ".S"}}}) << Level({{{0, ".S"}}}, "", "\n")
                                    << "status 0 | column 0, row 0: no brick, PowerUp - Single Shot; | "
                                    << "status 0 |  | ";
        QTest::newRow("cells and trailer")
            << Castle << Level({{{3, "2."}, {17, "9S"}}, {}, {}, {}, {}, {}, {}, {}, {}, {{0, "x."}}}, "", "\n")
            << "status 0 | column 3, row 0: Brick 2, 1 Hit;column 17, row 0: Brick 3, 3 Hits, PowerUp - Single Shot; | "
            << "status 1 | new.txt:1:7: Brick 2, 1 Hit, PowerUp - Wall -> Brick 2, 1 Hit;new.txt:1:35: empty -> "
               "Brick 3, 3 Hits, PowerUp - Single Shot;new.txt:3:39: Brick Fixed -> empty;new.txt: trailer: "
               "\"Castle\" -> none; | ";
        QTest::newRow("trailer only") << Level({}, "Old") << Level({}, "New") << "status 0 | trailer: New; | "
                                      << "status 1 | new.txt: trailer: \"Old\" -> \"New\"; | ";
        QTest::newRow("unreadable") << QByteArray("-") << QByteArray("-")
                                    << "status 2 |  | new.txt: error: cannot read: No such file or directory;"
                                    << "status 2 |  | old.txt: error: cannot read: No such file or directory;"
                                       "new.txt: error: cannot read: No such file or directory;";
    }

    void showAndDiffSayWhatTheEditorReads()
    {
        QFETCH(QByteArray, Old);
        QFETCH(QByteArray, New);
        QFETCH(QString, Show);
        QFETCH(QString, Diff);
        QTemporaryDir Dir;
        for (const auto& [Name, Bytes] : {std::pair{"old.txt", Old}, std::pair{"new.txt", New}})
            if (Bytes != "-")
                QVERIFY(WriteBytes(Dir.filePath(Name), Bytes));
        QCOMPARE(Run({"show", "@new.txt"}, Dir.path()), Show);
        QCOMPARE(Run({"diff", "@old.txt", "@new.txt"}, Dir.path()), Diff);
    }

    void diffPictureFramesTheChangedCellsOnBothSides()
    {
        const QString Images = GameDir() + "/editor/images";
        const QByteArray Old = Level({{{2, "1S"}, {17, "#."}}, {}, {}, {}, {}, {}, {}, {}, {}, {{5, "4E"}}});
        const QByteArray New = Level({{{2, "1S"}, {17, "8."}}, {}, {}, {}, {}, {}, {}, {}, {}, {{19, "5."}}});
        const QList<QPoint> Changed = {{17, 0}, {5, 9}, {19, 9}};
        Write("old.txt", Old);
        Write("new.txt", New);
        QCOMPARE(Run({"diff", "@old.txt", "@new.txt", "--png", "@diff.png", "--images", Images}, FDir.path()).left(8),
                 QString("status 1"));
        const QImage Written = QImage(FDir.filePath("diff.png"), "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(Written.size(), QSize(2 * 620 + DiffPictureGap, 190));

        const TFieldPictures Pictures = LoadFieldPictures(Images.toStdString());
        const QImage Sides[] = {RenderLevel(Read(Old), Pictures), RenderLevel(Read(New), Pictures)};
        QStringList Wrong;
        for (int Y = 0; Y < Written.height(); ++Y)
            for (int X = 0; X < Written.width(); ++X) {
                const int Side = X < 620 ? 0 : X >= 620 + DiffPictureGap ? 1 : -1;
                const int InX = X - Side * (620 + DiffPictureGap);
                const int CellX = InX % 31;
                const int CellY = Y % 19;
                const bool Ring = CellX < 30 && CellY < 18 && (CellX < 2 || CellX >= 28 || CellY < 2 || CellY >= 16) &&
                    Changed.contains({InX / 31, Y / 19});
                const QRgb Want = Side < 0 ? DiffGapColour : Ring ? DiffFrameColour : Sides[Side].pixel(InX, Y);
                if (Written.pixel(X, Y) != Want && Wrong.size() < 8)
                    Wrong << QString("(%1, %2) is %3, not %4")
                                 .arg(X)
                                 .arg(Y)
                                 .arg(Written.pixel(X, Y), 0, 16)
                                 .arg(Want, 0, 16);
            }
        QCOMPARE(Wrong.join("; "), QString());
    }

    void mergeWritesOursAndNamesTheConflicts_data()
    {
        QTest::addColumn<QStringList>("Files"); // base, ours, theirs; "-": no such file
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QString>("Outcome");
        QTest::addColumn<QByteArray>("Ours"); // afterwards
        const QByteArray Empty = Level({});
        QTest::newRow("one row painted on both sides")
            << QStringList{Empty, Level({{{2, "1S"}}}, "", "\n"), Level({{{17, "#."}}})} << ""
            << "status 0 |  | " << Level({{{2, "1S"}, {17, "#."}}});
        QTest::newRow("one cell painted differently, named by --name")
            << QStringList{Level({}, "Old"), Level({{{2, "1."}, {4, "3."}}}, "Mine"), Level({{{2, "2."}}}, "Yours")}
            << "levels/castle.txt"
            << "status 1 | levels/castle.txt:1:5: conflict: base empty, ours Brick 1, 1 Hit, theirs Brick 2, 1 Hit;"
               "levels/castle.txt: conflict: trailer: base \"Old\", ours \"Mine\", theirs \"Yours\"; | "
            << Level({{{2, "1."}, {4, "3."}}}, "Mine");
        QTest::newRow("without --name, by OURS")
            << QStringList{Empty, Level({{}, {{0, "1."}}}), Level({{}, {{0, "#."}}})} << ""
            << "status 1 | ours.txt:2:1: conflict: base empty, ours Brick 1, 1 Hit, theirs Brick Fixed; | "
            << Level({{}, {{0, "1."}}});
        QTest::newRow("unreadable theirs leaves ours alone")
            << QStringList{Empty, Level({{{0, "1."}}}, "", "\n"), "-"} << ""
            << "status 2 |  | theirs.txt: error: cannot read: No such file or directory;"
            << Level({{{0, "1."}}}, "", "\n");
    }

    void mergeWritesOursAndNamesTheConflicts()
    {
        QFETCH(QStringList, Files);
        QFETCH(QString, Name);
        QFETCH(QString, Outcome);
        QFETCH(QByteArray, Ours);
        QTemporaryDir Dir;
        QStringList Args{"merge"};
        for (const QString Side : {"base", "ours", "theirs"}) {
            if (Files.value(Args.size() - 1) != "-")
                QVERIFY(WriteBytes(Dir.filePath(Side + ".txt"), Files.value(Args.size() - 1).toLatin1()));
            Args << "@" + Side + ".txt";
        }
        if (!Name.isEmpty())
            Args << "--name" << Name;
        QCOMPARE(Run(Args, Dir.path()), Outcome);
        QCOMPARE(ReadBytes(Dir.filePath("ours.txt")), Ours);
        // The levels and, once OURS is written, the writers' lock file: no temporary file is left.
        QCOMPARE(Listing(Dir.path()).size(), 3 - Files.count("-") + (Outcome.startsWith("status 2") ? 0 : 1));
    }

    // Another writer holds the folder's lock: the merge waits for it, then gives up with OURS untouched.
    void mergeWaitsForAnotherWriter()
    {
        QTemporaryDir Dir;
        const QByteArray Mine = Level({{{0, "1."}}});
        for (const QString Side : {"base", "ours", "theirs"})
            QVERIFY(WriteBytes(Dir.filePath(Side + ".txt"), Side == "ours" ? Mine : Level({})));
        const TFolderLockTimeout Briefly(50);
        const TFolderLock Other(Dir.path().toStdString());
        const QString Said = Run({"merge", "@base.txt", "@ours.txt", "@theirs.txt"}, Dir.path());
        QVERIFY2(Said.startsWith("status 2 |  | ") && Said.contains("Another program is writing"), qPrintable(Said));
        QCOMPARE(ReadBytes(Dir.filePath("ours.txt")), Mine);
    }

    void wrongArgumentsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<QString>("Message");
        QTest::newRow("show of two") << QStringList{"show", "a", "b"} << "show: give exactly one file";
        QTest::newRow("diff of one") << QStringList{"diff", "a"} << "diff: give two files, OLD and NEW";
        QTest::newRow("diff --png without a value")
            << QStringList{"diff", "a", "b", "--png"} << "diff: option --png needs a value";
        QTest::newRow("merge of two") << QStringList{"merge", "a", "b"}
                                      << "merge: give three files, BASE, OURS and THEIRS";
        QTest::newRow("merge with --png")
            << QStringList{"merge", "a", "b", "c", "--png=x"} << "merge: unknown option --png=x";
        QTest::newRow("git-setup of a file") << QStringList{"git-setup", "a"} << "git-setup: takes no files";
    }

    void wrongArgumentsExitWithTwo()
    {
        QFETCH(QStringList, Args);
        QFETCH(QString, Message);
        const QString Who = "zolvane-level " + Args.front();
        QCOMPARE(Run(Args, FDir.path()), "status 2 |  | zolvane-level " + Message + ";Try '" + Who + " --help'.;");
    }

    void helpOfEachCommandBeginsWithItsUsage()
    {
        for (const QString Command : {"show", "diff", "merge", "git-setup"}) {
            const QString Help = Run({Command, "--help"}, FDir.path());
            QVERIFY2(Help.startsWith("status 0 | usage: zolvane-level " + Command), qPrintable(Help));
        }
    }

    void gitMergesLevelsCellByCell();
};

void TestLevelGit::gitMergesLevelsCellByCell()
{
    const QString Tool = QFileInfo(GameDir() + "/zolvane-level").canonicalFilePath();
    QVERIFY2(QFileInfo(Tool).isExecutable(), qPrintable(GameDir()));
    QTemporaryDir Home;
    const QString Levels = Home.filePath("repo/levels");
    QVERIFY(QDir().mkpath(Levels));
    QVERIFY(QDir().mkpath(Home.filePath("plain")));
    auto Git = [&](const QStringList& Args) { return Execute("git", Args, Levels, Home.path()); };
    // A branch from main on which level.txt becomes Bytes.
    auto Branch = [&](const QString& Name, const QByteArray& Bytes) {
        const QString Made = Git({"checkout", "-q", "-b", Name, "main"});
        const bool Written = WriteBytes(Levels + "/level.txt", Bytes);
        return Made + (Written ? "" : "unwritten; ") + Git({"commit", "-q", "-a", "-m", Name});
    };
    const QString Done = "status 0 |  | ";

    QCOMPARE(Execute(Tool, {"git-setup"}, Home.filePath("plain"), Home.path()),
             "status 2 |  | zolvane-level git-setup: not in a git work tree: fatal: not a git repository (or any "
             "of the parent directories): .git;");
    QCOMPARE(Git({"init", "-q", "-b", "main", ".."}), Done);
    QVERIFY(WriteBytes(Levels + "/.gitattributes", "*.png binary"));
    const QString Setup = "status 0 | merge.zolvane-level.name = Zolvane levels, cell by cell;"
                          "merge.zolvane-level.driver = '" +
        Tool + "' merge %O %A %B --name %P;diff.zolvane-level.textconv = '" + Tool + "' show;";
    QCOMPARE(Execute(Tool, {"git-setup"}, Levels, Home.path()),
             Setup +
                 "../.git/info/exclude: added .zolvane.lock;.gitattributes: added *.txt merge=zolvane-level "
                 "diff=zolvane-level; | ");
    QCOMPARE(Execute(Tool, {"git-setup"}, Levels, Home.path()),
             Setup +
                 "../.git/info/exclude: already has .zolvane.lock;.gitattributes: already has *.txt "
                 "merge=zolvane-level diff=zolvane-level; | ");
    QCOMPARE(ReadBytes(Levels + "/.gitattributes"), "*.png binary\n*.txt merge=zolvane-level diff=zolvane-level\n");
    QCOMPARE(Git({"config", "--get", "merge.zolvane-level.driver"}),
             "status 0 | '" + Tool + "' merge %O %A %B --name %P; | ");

    QVERIFY(WriteBytes(Levels + "/level.txt", Level({{{5, "3."}}}, "Castle")));
    QCOMPARE(Git({"add", "."}), Done);
    QCOMPARE(Git({"commit", "-q", "-m", "base"}), Done);
    // Two designers paint different cells of one row: the line-based merge would stop on the whole row.
    QCOMPARE(Branch("left", Level({{{2, "1S"}, {5, "3."}}}, "Castle")), Done + Done);
    QCOMPARE(Branch("right", Level({{{5, "3."}, {17, "#."}}}, "Castle")), Done + Done);
    QCOMPARE(Git({"merge", "-q", "-m", "both", "left"}), "status 0 | Auto-merging levels/level.txt; | ");
    QCOMPARE(ReadBytes(Levels + "/level.txt"), Level({{{2, "1S"}, {5, "3."}, {17, "#."}}}, "Castle"));
    QCOMPARE(Git({"diff", "HEAD^", "HEAD"}).remove(QRegularExpression("index [^;]*;")),
             "status 0 | diff --git a/levels/level.txt b/levels/level.txt;--- a/levels/level.txt;"
             "+++ b/levels/level.txt;@@ -1,3 +1,4 @@;+column 2, row 0: Brick 1, 1 Hit, PowerUp - Single Shot;"
             " column 5, row 0: Brick 3, 1 Hit; column 17, row 0: Brick Fixed; trailer: Castle; | ");

    // Both paint one cell differently: git stops, the cell is named, and the file is still a level.
    QCOMPARE(Branch("mine", Level({{{5, "3."}}, {}, {}, {{5, "2."}}}, "Castle")), Done + Done);
    QCOMPARE(Branch("yours", Level({{{5, "3."}}, {}, {}, {{5, "1."}}}, "Castle")), Done + Done);
    const QString Conflict = Git({"merge", "-q", "-m", "both", "mine"});
    QVERIFY2(Conflict.startsWith("status 1 | levels/level.txt:4:11: conflict: base empty, ours Brick 1, 1 Hit, "
                                 "theirs Brick 2, 1 Hit;"),
             qPrintable(Conflict));
    QCOMPARE(ReadBytes(Levels + "/level.txt"), Level({{{5, "3."}}, {}, {}, {{5, "1."}}}, "Castle"));
    QCOMPARE(Git({"status", "--short"}), "status 0 | UU level.txt; | ");
}

QTEST_GUILESS_MAIN(TestLevelGit)
#include "tst_levelgit.moc"
