// zolvane-level's subcommands run in-process: check's lines and exit status over damaged, canonical and
// unreadable files; fmt rewriting only what needs it; info's counts; and the argument errors.

#include "filenotes.h"
#include "infocommand.h"
#include "levelcli.h"
#include "levelfile.h"
#include "levelfiletools.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace LevelFileTools;

namespace {

const QByteArray Canonical = Joined(BrickRows()) + ":\r\nCastle\r\n";

// What a run printed, with the temporary folder's path taken out so that expectations name bare files.
struct TRun {
    int Status = -1;
    QStringList Out;
    QStringList Err;
};

QStringList LinesOf(const std::string& Text, const QString& Dir)
{
    QString All = QString::fromStdString(Text);
    All.replace(Dir + "/", "");
    QStringList Lines = All.split('\n');
    if (!Lines.isEmpty() && Lines.back().isEmpty())
        Lines.removeLast();
    return Lines;
}

TRun Run(const QStringList& Args, const QString& Dir)
{
    std::vector<std::string> Arguments;
    for (const QString& Arg : Args)
        Arguments.push_back(Arg.startsWith('@') ? (Dir + "/" + Arg.mid(1)).toStdString() : Arg.toStdString());
    std::ostringstream Out;
    std::ostringstream Err;
    TRun Result;
    Result.Status = RunLevelTool(Arguments, (Dir + "/no-pictures").toStdString(), Out, Err);
    Result.Out = LinesOf(Out.str(), Dir);
    Result.Err = LinesOf(Err.str(), Dir);
    return Result;
}

QString Shown(const TRun& Result)
{
    return QString("status %1\nout:\n  %2\nerr:\n  %3")
        .arg(Result.Status)
        .arg(Result.Out.join("\n  "), Result.Err.join("\n  "));
}

void SetOldTime(const QString& Path)
{
    QFile File(Path);
    QVERIFY(File.open(QIODevice::ReadWrite));
    QVERIFY(File.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
}

QDateTime ModifiedAt(const QString& Path)
{
    return QFileInfo(Path).fileTime(QFileDevice::FileModificationTime);
}

} // namespace

class TestLevelCli : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    void Write(const QString& Name, const QByteArray& Bytes) { QVERIFY(WriteBytes(FDir.filePath(Name), Bytes)); }

private slots:
    void checkReportsEveryFile_data()
    {
        QTest::addColumn<QStringList>("Files"); // name=bytes; a name without "=" is not created
        QTest::addColumn<QStringList>("Out");
        QTest::addColumn<QStringList>("Err");
        QTest::addColumn<int>("Status");
        const QList<QByteArray> Rows = BrickRows();
        QList<QByteArray> Lone = Rows;
        Lone[0][2] = '.';
        QList<QByteArray> Short = Rows;
        Short[1] = Short[1].left(12);
        QTest::newRow("canonical") << QStringList{"good.txt=" + Canonical} << QStringList{} << QStringList{} << 0;
        QTest::newRow("canonical with a power-up on an empty cell")
            << QStringList{"lone.txt=" + Joined(Lone)}
            << QStringList{"lone.txt:1:4: warning: power-up 'E' on a cell without a brick"} << QStringList{} << 0;
        QTest::newRow("short row and LF ends")
            << QStringList{"bad.txt=" + Joined(Short.mid(0, 2), "\n") + Joined(Rows.mid(2))}
            << QStringList{"bad.txt:1:41: warning: line ends with LF alone, not CR LF",
                           "bad.txt:2:13: warning: short row: 12 of 40 characters, the rest read as empty",
                           "bad.txt:2:13: warning: line ends with LF alone, not CR LF"}
            << QStringList{} << 1;
        QTest::newRow("unreadable files are named and the rest still checked")
            << QStringList{"missing.txt", "good.txt=" + Canonical, "sub/", "tail.txt=" + Canonical + "x"}
            << QStringList{"tail.txt:13:1: warning: line after the trailer ignored"}
            << QStringList{"missing.txt: error: cannot read: No such file or directory",
                           "sub: error: cannot read: Is a directory"}
            << 2;
    }

    void checkReportsEveryFile()
    {
        QFETCH(QStringList, Files);
        QFETCH(QStringList, Out);
        QFETCH(QStringList, Err);
        QFETCH(int, Status);
        QTemporaryDir Dir;
        QStringList Args{"check"};
        for (const QString& File : Files) {
            const QString Name = File.section('=', 0, 0);
            if (Name.endsWith('/'))
                QVERIFY(QDir(Dir.path()).mkdir(Name));
            else if (File.contains('='))
                QVERIFY(WriteBytes(Dir.filePath(Name), File.section('=', 1).toLatin1()));
            Args << "@" + (Name.endsWith('/') ? Name.chopped(1) : Name);
        }
        const TRun Result = Run(Args, Dir.path());
        TRun Expected{Status, Out, Err};
        QCOMPARE(Shown(Result), Shown(Expected));
    }

    void fmtRewritesOnlyWhatIsNotCanonical()
    {
        QList<QByteArray> Rows = BrickRows();
        Rows[3][0] = 'x';
        const QByteArray Damaged = Joined(Rows, "\n") + "junk\n:\nCastle";
        Write("damaged.txt", Damaged);
        Write("good.txt", Canonical);
        SetOldTime(FDir.filePath("good.txt"));
        const QDateTime GoodTime = ModifiedAt(FDir.filePath("good.txt"));

        TRun Checked = Run({"fmt", "--check", "@damaged.txt", "@good.txt"}, FDir.path());
        QCOMPARE(Shown(Checked), Shown(TRun{1, {"damaged.txt: would be reformatted"}, {}}));
        QCOMPARE(ReadBytes(FDir.filePath("damaged.txt")), Damaged);

        TRun First = Run({"fmt", "@damaged.txt", "@good.txt"}, FDir.path());
        QCOMPARE(Shown(First), Shown(TRun{0, {"damaged.txt: reformatted"}, {}}));
        Rows[3][0] = '.';
        QCOMPARE(ReadBytes(FDir.filePath("damaged.txt")), Joined(Rows) + ":\r\nCastle\r\n");
        QCOMPARE(ReadBytes(FDir.filePath("good.txt")), Canonical);
        QCOMPARE(ModifiedAt(FDir.filePath("good.txt")), GoodTime);

        SetOldTime(FDir.filePath("damaged.txt"));
        const QDateTime FormattedTime = ModifiedAt(FDir.filePath("damaged.txt"));
        TRun Again = Run({"fmt", "@damaged.txt", "@good.txt"}, FDir.path());
        QCOMPARE(Shown(Again), Shown(TRun{0, {}, {}}));
        QCOMPARE(ModifiedAt(FDir.filePath("damaged.txt")), FormattedTime);
        // The unknown brick under a power-up became no brick; the power-up stays and is only noted.
        QCOMPARE(Shown(Run({"check", "@damaged.txt"}, FDir.path())),
                 Shown(TRun{0, {"damaged.txt:4:2: warning: power-up 'L' on a cell without a brick"}, {}}));
        QCOMPARE(Listing(FDir.path()), (QStringList{".zolvane.lock", "damaged.txt", "good.txt"}));
    }

    void fmtGoesOnPastAnUnreadableFile()
    {
        Write("short.txt", "1S\r\n");
        TRun Result = Run({"fmt", "@nowhere.txt", "@short.txt"}, FDir.path());
        QCOMPARE(Shown(Result), Shown(TRun{2, {"short.txt: reformatted"},
                                           {"nowhere.txt: error: cannot read: No such file or directory"}}));
        QVERIFY(IsCanonicalLevelText(ReadBytes(FDir.filePath("short.txt")).toStdString()));
    }

    void infoCountsKindsHitsSymmetryAndTrailer()
    {
        // Mirrored rows: bricks 1 (4), 4 (2) and fixed (2), power-ups S (2) and W (2); then one brick changed
        // to a 3-hit one. The fixed bricks add no hits.
        QList<QByteArray> Rows(LevelRows, QByteArray(40, '.'));
        Rows[0] = "1S1." + QByteArray(32, '.') + "1.1S";
        Rows[4] = "#." + QByteArray(36, '.') + "#.";
        Rows[9] = QByteArray(18, '.') + "4W4W" + QByteArray(18, '.');
        Write("mirror.txt", Joined(Rows) + ":\r\nSay \"hi\" \xE9t\xC3\xA9\r\n");
        Rows[9][18] = '8';
        Write("lopsided.txt", Joined(Rows));

        const TRun Text = Run({"info", "@mirror.txt"}, FDir.path());
        QCOMPARE(
            Shown(Text),
            Shown(TRun{0,
                       {"bricks: 8, 6 breakable", "  Brick 1, 1 Hit: 4", "  Brick 1, 2 Hits: 2", "  Brick Fixed: 2",
                        "hits to clear: 8", "power-ups: 4", "  PowerUp - Single Shot: 2", "  PowerUp - Wall: 2",
                        "symmetric: yes", "trailer: \"Say \\\"hi\\\" \uFFFDt\u00e9\"", "problems: none"},
                       {}}));

        std::ostringstream Out, Err;
        const std::string Lopsided = FDir.filePath("lopsided.txt").toStdString();
        QCOMPARE(InfoLevelFiles({Lopsided}, true, Out, Err), 0);
        QJsonParseError Error{};
        const QJsonObject Json = QJsonDocument::fromJson(QByteArray::fromStdString(Out.str()), &Error).object();
        QCOMPARE(Error.errorString(), QJsonParseError{}.errorString());
        QCOMPARE(Json.keys(), (QStringList{"breakable", "bricks", "file", "hits", "powerups", "problems", "symmetric",
                                           "trailer", "unreachable"}));
        QCOMPARE(Json["file"].toString(), QString::fromStdString(Lopsided));
        QCOMPARE(Json["bricks"].toObject().toVariantMap(),
                 (QVariantMap{{"Brick 1, 1 Hit", 4},
                              {"Brick 2, 1 Hit", 0},
                              {"Brick 3, 1 Hit", 0},
                              {"Brick 1, 2 Hits", 1},
                              {"Brick 2, 2 Hits", 0},
                              {"Brick 3, 2 Hits", 0},
                              {"Brick 1, 3 Hits", 0},
                              {"Brick 2, 3 Hits", 1},
                              {"Brick 3, 3 Hits", 0},
                              {"Brick Fixed", 2}}));
        QCOMPARE(Json["powerups"].toObject().toVariantMap(),
                 (QVariantMap{{"PowerUp - Single Shot", 2},
                              {"PowerUp - Extra Ball", 0},
                              {"PowerUp - Lower Speed", 0},
                              {"PowerUp - Faster Speed", 0},
                              {"PowerUp - Iron Ball", 0},
                              {"PowerUp - Wall", 2}}));
        QCOMPARE(Json["breakable"].toInt(-1), 6);
        QCOMPARE(Json["hits"].toInt(-1), 9);
        QCOMPARE(Json["symmetric"].toVariant(), QVariant(false));
        QCOMPARE(Json["trailer"].toVariant(), QVariant(QString("")));
    }

    // Several files: a block per file headed by its name, or a JSON array; an unreadable one is named and
    // the rest still described.
    void infoDescribesEachOfSeveralFiles()
    {
        QList<QByteArray> Rows(LevelRows, QByteArray(40, '.'));
        Rows[2] = QByteArray(18, '.') + "7.7." + QByteArray(18, '.');
        Write("two.txt", Joined(Rows));
        Rows[2] = QByteArray(18, '.') + "#.#." + QByteArray(18, '.');
        Write("fixed.txt", Joined(Rows));

        const TRun Text = Run({"info", "@two.txt", "@gone.txt", "@fixed.txt"}, FDir.path());
        QCOMPARE(Shown(Text),
                 Shown(TRun{2,
                            {"file: two.txt", "bricks: 2, 2 breakable", "  Brick 1, 3 Hits: 2", "hits to clear: 6",
                             "power-ups: 0", "symmetric: yes", "trailer: none", "problems: none", "", "file: fixed.txt",
                             "bricks: 2, 0 breakable", "  Brick Fixed: 2", "hits to clear: 0", "power-ups: 0",
                             "symmetric: yes", "trailer: none", "problems: 1",
                             "  nothing to break: the level has no breakable brick"},
                            {"gone.txt: error: cannot read: No such file or directory"}}));

        const TRun Json = Run({"info", "--json", "@two.txt", "@fixed.txt"}, FDir.path());
        QJsonParseError Error{};
        const QJsonArray Array = QJsonDocument::fromJson(Json.Out.join('\n').toUtf8(), &Error).array();
        QCOMPARE(Error.errorString(), QJsonParseError{}.errorString());
        QStringList Described;
        for (const QJsonValue& Level : Array)
            Described << QString("%1: %2 breakable, %3 hits")
                             .arg(Level["file"].toString().section('/', -1))
                             .arg(Level["breakable"].toInt(-1))
                             .arg(Level["hits"].toInt(-1));
        QCOMPARE(Described, (QStringList{"two.txt: 2 breakable, 6 hits", "fixed.txt: 0 breakable, 0 hits"}));
        QCOMPARE(Json.Status, 0);
    }

    void badArgumentsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<QString>("Message");
        QTest::newRow("nothing") << QStringList{} << "zolvane-level: no command given";
        QTest::newRow("unknown command") << QStringList{"lnit", "a.txt"} << "zolvane-level: unknown command 'lnit'";
        QTest::newRow("check with an option")
            << QStringList{"check", "--json", "a.txt"} << "zolvane-level check: unknown option --json";
        QTest::newRow("fmt without files") << QStringList{"fmt", "--check"} << "zolvane-level fmt: no files given";
        QTest::newRow("fmt flag with a value")
            << QStringList{"fmt", "--check=yes", "a.txt"} << "zolvane-level fmt: option --check takes no value";
        QTest::newRow("info without files") << QStringList{"info", "--json"} << "zolvane-level info: no files given";
        QTest::newRow("render without output")
            << QStringList{"render", "a.txt"} << "zolvane-level render: no output given (-o OUT)";
        QTest::newRow("render with -o at the end")
            << QStringList{"render", "a.txt", "-o"} << "zolvane-level render: option -o needs a value";
        QTest::newRow("render at scale 0")
            << QStringList{"render", "a.txt", "-o", "a.png", "--scale", "0"}
            << "zolvane-level render: --scale must be a whole number from 1 to 16, not '0'";
        QTest::newRow("render at scale 2x")
            << QStringList{"render", "a.txt", "-o", "a.png", "--scale=2x"}
            << "zolvane-level render: --scale must be a whole number from 1 to 16, not '2x'";
        QTest::newRow("render at scale 17")
            << QStringList{"render", "a.txt", "-o", "a.png", "--scale", "17"}
            << "zolvane-level render: --scale must be a whole number from 1 to 16, not '17'";
        QStringList Writable;
        for (const QByteArray& Format : QImageWriter::supportedImageFormats())
            Writable << QString::fromLatin1(Format);
        const QString Formats = "; formats: " + Writable.join(", ");
        QTest::newRow("render to an unknown extension")
            << QStringList{"render", "a.txt", "-o", "a.xyz"}
            << "zolvane-level render: cannot write 'xyz' pictures (a.xyz)" + Formats;
        QTest::newRow("render to a name without extension")
            << QStringList{"render", "a.txt", "-o", "picture"}
            << "zolvane-level render: picture has no extension to name its format" + Formats;
        QTest::newRow("render in an unknown format")
            << QStringList{"render", "a.txt", "b.txt", "-o", "@", "--format=xyz"}
            << "zolvane-level render: cannot write 'xyz' pictures" + Formats;
        QTest::newRow("render with a format its output's name denies")
            << QStringList{"render", "a.txt", "-o", "a.jpg", "--format", "bmp"}
            << "zolvane-level render: a.jpg names the format jpeg, not bmp";
        QTest::newRow("render of two files into one file")
            << QStringList{"render", "a.txt", "b.txt", "-o", "a.png"}
            << "zolvane-level render: several files are written into a folder, and a.png is not one";
        QTest::newRow("render of two files of one name")
            << QStringList{"render", "x/a.txt", "y/a.txt", "-o", "@"}
            << "zolvane-level render: x/a.txt and y/a.txt would both be written to a.png";
    }

    void badArgumentsExitWithTwo()
    {
        QFETCH(QStringList, Args);
        QFETCH(QString, Message);
        const TRun Result = Run(Args, FDir.path());
        const QString Who = Message.section(':', 0, 0);
        QCOMPARE(Shown(Result), Shown(TRun{2, {}, {Message, "Try '" + Who + " --help'."}}));
    }

    void helpForEachCommand_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<QString>("Usage");
        QTest::newRow("tool") << QStringList{"--help"} << "usage: zolvane-level <command> [options] FILE...";
        QTest::newRow("check") << QStringList{"check", "--help"} << "usage: zolvane-level check FILE...";
        QTest::newRow("fmt") << QStringList{"fmt", "a.txt", "-h"}
                             << "usage: zolvane-level fmt [--check] [--force] FILE...";
        QTest::newRow("render")
            << QStringList{"render", "--help"}
            << "usage: zolvane-level render FILE... -o OUT [--format FMT] [--scale N] [--images DIR]";
        QTest::newRow("info") << QStringList{"info", "--help"} << "usage: zolvane-level info [--json] [--play] FILE...";
    }

    void helpForEachCommand()
    {
        QFETCH(QStringList, Args);
        QFETCH(QString, Usage);
        const TRun Result = Run(Args, FDir.path());
        QCOMPARE(Result.Status, 0);
        QCOMPARE(Result.Err, QStringList{});
        QCOMPARE(Result.Out.value(0), Usage);
    }

    void dashDashEndsTheOptions()
    {
        QCOMPARE(Shown(Run({"check", "--", "--help"}, FDir.path())),
                 Shown(TRun{2, {}, {"--help: error: cannot read: No such file or directory"}}));
    }
};

QTEST_GUILESS_MAIN(TestLevelCli)
#include "tst_levelcli.moc"
