// zolvane-level lint, play and what info tells of both, run in-process: lint's places, texts, order and
// exit status; play's line for cleared, walled-in and time-bound levels, the same for the same seed; info's
// problems in text and JSON; and the arguments they refuse.

#include "levelcli.h"
#include "levelfiletools.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace LevelFileTools;

namespace {

// Level files by name, given as rows in the file's characters; missing rows are empty.
const QMap<QString, QList<QByteArray>> Levels = {
    {"open.txt", {"", "..3.3.3.3.3S3.3.3.3.3.3.3.3.3.3.3.3.3...", "..1.1.1.1.1.1.1.1E1.1.1.1.1.1.1.1.1.1..."}},
    {"vault.txt",
     {"..1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.#S", "", "..............#.#.#.#...................",
      "..............#.1.1E#...................", "..............#.#.#.#..................."}},
    {"floor.txt", {"1.1.", "", "", "", "", "", "", "", "", QByteArray("#.").repeated(20)}},
    {"lone.txt", {"1." + QByteArray("#.").repeated(19), "#."}}, // the space above joins no other cell
    {"bare.txt", {"..#S.......S", "", "..#."}},
};

struct TRun {
    int Status = -1;
    QStringList Out;
    QStringList Err;
};

} // namespace

Q_DECLARE_METATYPE(TRun)

namespace {

QString Shown(const TRun& Result)
{
    return QString("status %1\nout:\n  %2\nerr:\n  %3")
        .arg(Result.Status)
        .arg(Result.Out.join("\n  "), Result.Err.join("\n  "));
}

QStringList LinesOf(const std::string& Text, const QString& Dir)
{
    QStringList Lines = QString::fromStdString(Text).replace(Dir + "/", "").split('\n');
    if (Lines.back().isEmpty())
        Lines.removeLast();
    return Lines;
}

} // namespace

class TestPlayCommands : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    // Names of Levels become files in the folder; any other name stays a missing file.
    TRun Run(const QStringList& Args)
    {
        std::vector<std::string> Arguments;
        for (const QString& Arg : Args)
            Arguments.push_back(Arg.endsWith(".txt") ? Path(FDir.filePath(Arg)) : Path(Arg));
        std::ostringstream Out, Err;
        TRun Result;
        Result.Status = RunLevelTool(Arguments, Path(FDir.filePath("no-pictures")), Out, Err);
        Result.Out = LinesOf(Out.str(), FDir.path());
        Result.Err = LinesOf(Err.str(), FDir.path());
        return Result;
    }

private slots:
    void initTestCase()
    {
        for (auto Level = Levels.begin(); Level != Levels.end(); ++Level)
            QVERIFY(WriteBytes(FDir.filePath(Level.key()), Joined(Level.value())));
    }

    void lintReportsEveryProblemCell_data()
    {
        QTest::addColumn<QStringList>("Files");
        QTest::addColumn<TRun>("Expected");
        const QString Unreached = ": warning: brick can't be reached";
        QTest::newRow("playable") << QStringList{"open.txt"} << TRun{0, {}, {}};
        QTest::newRow("vault, the cells in reading order, a power-up after its brick")
            << QStringList{"vault.txt"}
            << TRun{1,
                    {"vault.txt:1:39: warning: power-up on a fixed brick is never released",
                     "vault.txt:4:17" + Unreached, "vault.txt:4:19" + Unreached,
                     "vault.txt:4:19: warning: power-up in a brick that can't be reached is never released"},
                    {}};
        QTest::newRow("nothing to break, first")
            << QStringList{"bare.txt"}
            << TRun{1,
                    {"bare.txt:1:1: warning: nothing to break: the level has no breakable brick",
                     "bare.txt:1:3: warning: power-up on a fixed brick is never released",
                     "bare.txt:1:11: warning: power-up on an empty cell is never released"},
                    {}};
        QTest::newRow("unreadable files are named and the rest still linted")
            << QStringList{"missing.txt", "lone.txt", "open.txt"}
            << TRun{2, {"lone.txt:1:1" + Unreached}, {"missing.txt: error: cannot read: No such file or directory"}};
    }

    void lintReportsEveryProblemCell()
    {
        QFETCH(QStringList, Files);
        QFETCH(TRun, Expected);
        QCOMPARE(Shown(Run(QStringList{"lint"} + Files)), Shown(Expected));
    }

    void playSaysWhetherTheLevelIsCleared_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<QString>("Line"); // a pattern
        QTest::addColumn<int>("Status");
        QTest::newRow("open") << QStringList{"open.txt"} << R"(cleared in \d+(\.\d)? s of play)" << 0;
        QTest::newRow("vault") << QStringList{"vault.txt"} << "not cleared after 600 s: 2 bricks left" << 1;
        QTest::newRow("ball between paddle and fixed floor, for 5 s")
            << QStringList{"--seconds", "5", "floor.txt"} << "not cleared after 5 s: 2 bricks left" << 1;
        QTest::newRow("one brick walled in")
            << QStringList{"lone.txt", "--seconds", "1"} << "not cleared after 1 s: 1 brick left" << 1;
        QTest::newRow("nothing to break") << QStringList{"bare.txt"} << "cleared in 0 s of play" << 0;
    }

    void playSaysWhetherTheLevelIsCleared()
    {
        QFETCH(QStringList, Args);
        QFETCH(QString, Line);
        QFETCH(int, Status);
        const TRun Result = Run(QStringList{"play"} + Args);
        const QString Seen = Shown(Result);
        QVERIFY2(Result.Out.size() == 1 && QRegularExpression("^" + Line + "$").match(Result.Out[0]).hasMatch() &&
                     Result.Err.isEmpty() && Result.Status == Status,
                 qPrintable(Seen));
        QCOMPARE(Shown(Run(QStringList{"play"} + Args)), Seen);
    }

    void seedChangesThePlay()
    {
        QSet<QString> Lines;
        for (const QString Seed : {"1", "2", "3", "4"})
            Lines << Run({"play", "open.txt", "--seed", Seed}).Out.join("");
        QVERIFY2(Lines.size() > 1, qPrintable(QStringList(Lines.values()).join(", ")));
        QCOMPARE(Run({"play", "open.txt"}).Out, Run({"play", "open.txt", "--seed", "1"}).Out);
    }

    void infoTellsTheProblemsAndThePlay()
    {
        const TRun Text = Run({"info", "--play", "vault.txt"});
        QCOMPARE(Shown(TRun{Text.Status, Text.Out.mid(Text.Out.indexOf("trailer: none") + 1), Text.Err}),
                 Shown(TRun{0,
                            {"problems: 3", "  2 bricks can't be reached: (8, 3) (9, 3)",
                             "  1 power-up on a fixed brick is never released: (19, 0)",
                             "  1 power-up in a brick that can't be reached is never released: (9, 3)",
                             "play: not cleared after 600 s: 2 bricks left"},
                            {}}));
        QCOMPARE(Run({"info", "open.txt"}).Out.last(), "problems: none");

        const TRun Json = Run({"info", "--json", "--play", "bare.txt"});
        const QJsonObject Object = QJsonDocument::fromJson(Json.Out.join('\n').toUtf8()).object();
        QCOMPARE(Object.keys(),
                 (QStringList{"breakable", "bricks", "file", "hits", "play", "powerups", "problems", "symmetric",
                              "trailer", "unreachable"}));
        QCOMPARE(QJsonDocument(Object["problems"].toArray()).toJson(QJsonDocument::Compact),
                 R"([{"cells":[],"name":"nothing-to-break",)"
                 R"("text":"nothing to break: the level has no breakable brick"},)"
                 R"({"cells":[[1,0]],"name":"powerup-on-fixed-brick",)"
                 R"("text":"1 power-up on a fixed brick is never released"},)"
                 R"({"cells":[[5,0]],"name":"powerup-on-empty-cell",)"
                 R"("text":"1 power-up on an empty cell is never released"}])");
        QCOMPARE(QJsonDocument(Object["play"].toObject()).toJson(QJsonDocument::Compact),
                 R"({"bricksLeft":0,"cleared":true,"seconds":0})");
        const QJsonObject Vault =
            QJsonDocument::fromJson(Run({"info", "--json", "vault.txt"}).Out.join('\n').toUtf8()).object();
        QCOMPARE(QJsonDocument(Vault["unreachable"].toArray()).toJson(QJsonDocument::Compact), "[[8,3],[9,3]]");
        QVERIFY(!Vault.contains("play"));
    }

    void badArgumentsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("Args");
        QTest::addColumn<QString>("Message");
        const QString Seconds = "zolvane-level play: --seconds must be a whole number from 1 to 86400, not ";
        QTest::newRow("lint without files") << QStringList{"lint"} << "zolvane-level lint: no files given";
        QTest::newRow("play of two files")
            << QStringList{"play", "a.txt", "b.txt"} << "zolvane-level play: give exactly one file";
        QTest::newRow("play for 0 s") << QStringList{"play", "a.txt", "--seconds", "0"} << Seconds + "'0'";
        QTest::newRow("play for 1.5 s") << QStringList{"play", "a.txt", "--seconds=1.5"} << Seconds + "'1.5'";
        QTest::newRow("play for a day and a second")
            << QStringList{"play", "a.txt", "--seconds=86401"} << Seconds + "'86401'";
        QTest::newRow("play with a negative seed")
            << QStringList{"play", "a.txt", "--seed", "-1"}
            << "zolvane-level play: --seed must be a whole number from 0 to 18446744073709551615, not '-1'";
        QTest::newRow("info --play with a value")
            << QStringList{"info", "--play=1", "a.txt"} << "zolvane-level info: option --play takes no value";
    }

    void badArgumentsExitWithTwo()
    {
        QFETCH(QStringList, Args);
        QFETCH(QString, Message);
        const QString Who = Message.section(':', 0, 0);
        QCOMPARE(Shown(Run(Args)), Shown(TRun{2, {}, {Message, "Try '" + Who + " --help'."}}));
    }
};

QTEST_GUILESS_MAIN(TestPlayCommands)
#include "tst_playcommands.moc"
