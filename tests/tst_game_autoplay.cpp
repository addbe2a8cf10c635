// The play-through with a perfect paddle: open levels cleared without a life lost or a capsule missed,
// vaults and a ball looping off a fixed floor stopped at the time bound, the same play for the same seed,
// and nothing done to the game but placing the paddle and pressing keys.

#include <QtTest>

#include "autoplay.h"
#include "gamerules.h"
#include "gametesttools.h"
#include "levelfile.h"

Q_DECLARE_METATYPE(TLevelData)

namespace {

// Rows in the level file's characters, from the top; missing rows and the rest of a short row are empty.
TLevelData LevelOf(const QStringList& Rows)
{
    TLevelData Level;
    Level.Loaded = 1;
    ParseLevelText(Rows.join("\r\n").toStdString(), Level);
    return Level;
}

const QStringList Open = {"",
                          "..3.3.3.3.3.3.3.3.3.3.3.3.3.3.3.3.3.3...",
                          "..2.2.2.2S2.2.2.2.2.2.2.2.2.2.2S2.2.2...",
                          "..1.1.1.1.1.1.1.1.1E1E1.1.1.1.1.1.1.1...",
                          "",
                          "....1.1.1.1.................1.1.1.1.....",
                          "....2L2.2.2F................2.2.2.2I...."};

// Fixed bricks all round, with two ways in from below.
const QStringList Walled = {"#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.", "#.....................................#.",
                            "#...7W7.7.7.7.7.7.7.7.7.7.7.7.7.7.7W..#.", "#...8.8.8.8.8.8.8.8.8.8.8.8.8.8.8.8...#.",
                            "#.......#.#.#.............#.#.#.......#.", "#.#.#.#.........#.#.#.#.........#.#.#.#."};

const QStringList Vault = {"..1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1...", "", "..............#.#.#.#...................",
                           "..............#.1E1.#...................", "..............#.#.#.#..................."};

// Nothing gets past the bottom row, so the ball goes between it and the paddle for ever.
const QStringList FixedFloor = {"..1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1.1...", "", "", "", "", "", "", "", "",
                                "#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#."};

QString Summary(const TAutoplayResult& Result)
{
    const QString Outcome = Result.Cleared
        ? QString(Result.Steps == 0 ? "cleared at once" : "cleared")
        : QString("not cleared after %1 s, %2 bricks left").arg(Result.Seconds()).arg(Result.BricksLeft);
    return Outcome + QString(", %1 lives lost, %2 capsules missed").arg(Result.LivesLost).arg(Result.CapsulesMissed);
}

QList<double> PaddlePlaces(TAutoplay& Play, std::vector<TAutoplayMove>* Moves = nullptr)
{
    QList<double> Places;
    while (!Play.Over() && Play.Game().State().Steps < 600 * GameRules::StepsPerSecond) {
        const TAutoplayMove Move = Play.Step();
        Places << Move.PaddleX;
        if (Moves)
            Moves->push_back(Move);
    }
    return Places;
}

} // namespace

class TestGameAutoplay : public QObject {
    Q_OBJECT

private slots:
    void playEndsAsTheLevelAllows_data()
    {
        QTest::addColumn<TLevelData>("Level");
        QTest::addColumn<double>("Seconds");
        QTest::addColumn<QString>("Expected");
        const QString Perfect = ", 0 lives lost, 0 capsules missed";
        QTest::newRow("open level") << LevelOf(Open) << 600.0 << "cleared" + Perfect;
        QTest::newRow("walled level with gaps") << LevelOf(Walled) << 600.0 << "cleared" + Perfect;
        QTest::newRow("extra balls everywhere")
            << LevelOf(QStringList(6, QString("1E").repeated(20))) << 600.0 << "cleared" + Perfect;
        QTest::newRow("nothing to break")
            << LevelOf({"#S#.......", "", "....W"}) << 600.0 << "cleared at once" + Perfect;
        QTest::newRow("vault") << LevelOf(Vault) << 600.0 << "not cleared after 600 s, 2 bricks left" + Perfect;
        QTest::newRow("ball looping off a fixed floor")
            << LevelOf(FixedFloor) << 600.0 << "not cleared after 600 s, 18 bricks left" + Perfect;
        // The first ball needs nearly a second to reach the lowest row.
        QTest::newRow("time bound before the first hit")
            << LevelOf(Open) << 0.5 << "not cleared after 0.5 s, 70 bricks left" + Perfect;
    }

    void playEndsAsTheLevelAllows()
    {
        QFETCH(TLevelData, Level);
        QFETCH(double, Seconds);
        QFETCH(QString, Expected);
        for (std::uint64_t Seed : {1, 2, 3}) {
            const TAutoplayResult Result = Autoplay(Level, Seconds, Seed);
            QCOMPARE(QString("seed %1: %2").arg(Seed).arg(Summary(Result)),
                     QString("seed %1: %2").arg(Seed).arg(Expected));
        }
    }

    void sameLevelAndSeedGiveTheSamePlay()
    {
        const TLevelData Level = LevelOf(Walled);
        TAutoplay First(Level, 7);
        TAutoplay Again(Level, 7);
        TAutoplay Other(Level, 8);
        const QList<double> Places = PaddlePlaces(First);
        QCOMPARE(PaddlePlaces(Again), Places);
        QCOMPARE(Again.Game().State(), First.Game().State());
        QVERIFY2(PaddlePlaces(Other) != Places, "another seed should play another game");
    }

    void replayOnABareGameGivesTheSameGame()
    {
        // The paddle's places and the keys are all the play does: the game's own rules do the rest.
        const TLevelData Level = LevelOf(Open);
        TAutoplay Play(Level, 3);
        std::vector<TAutoplayMove> Moves;
        PaddlePlaces(Play, &Moves);
        TGame Bare(Level, 3);
        for (const TAutoplayMove& Move : Moves) {
            Bare.PlacePaddle(Move.PaddleX);
            Bare.Step(Move.Input);
        }
        QCOMPARE(Bare.State().Phase, TGamePhase::Won);
        QVERIFY(Bare.State() == Play.Game().State());
    }
};

QTEST_APPLESS_MAIN(TestGameAutoplay)
#include "tst_game_autoplay.moc"
