#include <QtTest>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <numbers>

#include "game.h"
#include "gamerules.h"
#include "gamestatus.h"

using namespace GameRules;

Q_DECLARE_METATYPE(TLevelData)

char* toString(TGamePhase Phase)
{
    static const char* const Names[] = {"Ready", "Playing", "Won", "Lost"};
    return qstrdup(Names[static_cast<int>(Phase)]);
}

char* toString(const TBrick& Brick)
{
    return QTest::toString(QString("brick %1, %2 hits left, power-up %3")
                               .arg(Brick.Code).arg(Brick.HitsLeft).arg(Brick.PowerUp));
}

char* toString(const TGameState& State)
{
    QString Balls;
    for (const TBall& Ball : State.Balls)
        Balls += QString(" (%1, %2 moving %3, %4)").arg(Ball.X).arg(Ball.Y).arg(Ball.VX).arg(Ball.VY);
    return QTest::toString(QString("step %1, phase %2, paused %3, lives %4, bricks left %5, paddle %6, "
                                   "speed %7, shots %8/%9, capsules %10, iron %11, wall %12, balls%13")
                               .arg(State.Steps).arg(static_cast<int>(State.Phase)).arg(State.Paused)
                               .arg(State.Lives).arg(State.BreakableLeft).arg(State.PaddleX)
                               .arg(State.BallSpeed).arg(State.ShotsLoaded).arg(State.Shots.size())
                               .arg(State.Capsules.size()).arg(State.IronStepsLeft).arg(State.WallActive)
                               .arg(Balls));
}

namespace {

struct TPlacedBrick {
    int Column;
    int Row;
    int Brick;
    int PowerUp = 0;
};

TLevelData LevelWith(std::initializer_list<TPlacedBrick> Bricks)
{
    TLevelData Level;
    Level.Loaded = 1;
    for (const TPlacedBrick& Placed : Bricks)
        Level.Cells[Placed.Column][Placed.Row] = TLevelCell{static_cast<std::uint8_t>(Placed.Brick),
                                                            static_cast<std::uint8_t>(Placed.PowerUp)};
    return Level;
}

// A breakable brick in the top-left corner, out of every test's way, so that the game is not won early.
constexpr TPlacedBrick Spare{0, 0, 9};

double CentreX(int Column)
{
    const TGameRect Rect = TGame::BrickRect(Column, 0);
    return Rect.Left + Rect.Width / 2;
}

double Speed(const TBall& Ball)
{
    return std::hypot(Ball.VX, Ball.VY);
}

// Direction of travel in degrees, clockwise from straight up.
double HeadingDegrees(const TBall& Ball)
{
    return std::atan2(Ball.VX, -Ball.VY) * 180 / std::numbers::pi;
}

double RoundedTo(double Value, double Step)
{
    return std::round(Value / Step) * Step;
}

void StepUntil(TGame& Game, const std::function<bool()>& Done, int Limit = 20 * StepsPerSecond)
{
    for (int Count = 0; Count < Limit && !Done(); ++Count)
        Game.Step({});
}

// Sends a ball straight up into the brick's bottom face and lets it bounce back.
void HitFromBelow(TGame& Game, int Column, int Row)
{
    const TGameRect Rect = TGame::BrickRect(Column, Row);
    Game.PlaceBall(CentreX(Column), Rect.Bottom() + 30, 0, -BallBaseSpeed);
    StepUntil(Game, [&] { return Game.State().Balls.empty() || Game.State().Balls.front().VY > 0; });
}

TGame LaunchedGame(const TLevelData& Level, std::uint64_t Seed = 1)
{
    TGame Game(Level, Seed);
    TGameInput Launch;
    Launch.Launch = true;
    Game.Step(Launch);
    return Game;
}

} // namespace

class TestGameCore : public QObject {
    Q_OBJECT

private slots:
    void brickBreaksAfterItsHits_data();
    void brickBreaksAfterItsHits();
    void fixedBrickNeverBreaks();
    void ballBouncesOffWalls_data();
    void ballBouncesOffWalls();
    void flatBallIsSteepenedAtTheWall();
    void ballHittingARowBouncesOffItsFace_data();
    void ballHittingARowBouncesOffItsFace();
    void paddleOffsetSetsTheAngle_data();
    void paddleOffsetSetsTheAngle();
    void fastBallNeverTunnels_data();
    void fastBallNeverTunnels();
    void ballKeepsSaneAnglesAndSpeed();
    void loopingBallGetsNudged();
    void waitingBallFollowsThePaddle();
    void pointerMovesPaddleAtBoundedSpeed();
    void pauseFreezesTheGame();
    void losingTheLastBallCostsALife();
    void losingEveryLifeEndsTheGame();
    void extraBallKeepsLivesWhileOneIsLeft();
    void singleShotFiresOnceAndDamagesBrick();
    void shotStopsAtFixedBrick();
    void extraBallAddsABall();
    void speedPowerUpsScaleEveryBallWithinLimits_data();
    void speedPowerUpsScaleEveryBallWithinLimits();
    void ironBallPassesThroughBreakableBricks();
    void ironBallStillBouncesOffFixedBricks();
    void ironBallWearsOff();
    void wallSavesTheBallOnce();
    void capsuleCaughtAppliesItsPowerUp_data();
    void capsuleCaughtAppliesItsPowerUp();
    void missedCapsuleFallsAway();
    void newBallClearsPowerUps();
    void lastBreakableBrickWinsTheLevel();
    void levelWithoutBreakableBricksIsWonAtOnce_data();
    void levelWithoutBreakableBricksIsWonAtOnce();
    void statusLineSaysWhatToDo_data();
    void statusLineSaysWhatToDo();
    void sameSeedAndInputsGiveSameGame();
    void otherSeedGivesOtherLaunch();
};

void TestGameCore::brickBreaksAfterItsHits_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("hitsLeftAfterEachHit");
    const QList<int> Names[] = {{0}, {1, 0}, {2, 1, 0}};
    for (int Code = 1; Code <= 9; ++Code)
        QTest::addRow("brick %d", Code) << Code << Names[(Code - 1) / 3];
}

void TestGameCore::brickBreaksAfterItsHits()
{
    QFETCH(int, code);
    QFETCH(QList<int>, hitsLeftAfterEachHit);
    TGame Game(LevelWith({Spare, {10, 5, code}}));
    QCOMPARE(TGame::HitsForBrick(code), int(hitsLeftAfterEachHit.size()));
    QCOMPARE(int(Game.State().Bricks[10][5].HitsLeft), int(hitsLeftAfterEachHit.size()));

    QList<int> HitsLeft;
    while (Game.State().Bricks[10][5].Present() && HitsLeft.size() < 5) {
        HitFromBelow(Game, 10, 5);
        HitsLeft << Game.State().Bricks[10][5].HitsLeft;
    }
    QCOMPARE(HitsLeft, hitsLeftAfterEachHit);
    QCOMPARE(Game.State().Bricks[10][5], TBrick{});
    QCOMPARE(Game.State().BreakableLeft, 1);
    QCOMPARE(Game.State().Phase, TGamePhase::Playing);
}

void TestGameCore::fixedBrickNeverBreaks()
{
    TGame Game(LevelWith({Spare, {10, 5, BrickFixed, PowerUpWall}}));
    const TBrick Fixed = Game.State().Bricks[10][5];
    for (int Hit = 0; Hit < 20; ++Hit) {
        HitFromBelow(Game, 10, 5);
        QCOMPARE(Game.State().Balls.size(), std::size_t(1));
        QVERIFY2(Game.State().Balls.front().VY > 0, "the ball must bounce back off the fixed brick");
    }
    QCOMPARE(Game.State().Bricks[10][5], Fixed);
    QCOMPARE(TGame::HitsForBrick(BrickFixed), 0);
    QCOMPARE(Game.State().Capsules.size(), std::size_t(0));
    QCOMPARE(Game.State().BreakableLeft, 1);
}

void TestGameCore::ballBouncesOffWalls_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("vx");
    QTest::addColumn<double>("vy");
    QTest::addColumn<QPoint>("signsAfter");
    const double V = BallBaseSpeed / std::sqrt(2.0);
    QTest::newRow("left wall") << 20.0 << 400.0 << -V << -V << QPoint(1, -1);
    QTest::newRow("right wall") << FieldWidth - 20 << 400.0 << V << V << QPoint(-1, 1);
    QTest::newRow("top wall") << 400.0 << 20.0 << V << -V << QPoint(1, 1);
    QTest::newRow("top left corner") << 20.0 << 20.0 << -V << -V << QPoint(1, 1);
}

void TestGameCore::ballBouncesOffWalls()
{
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, vx);
    QFETCH(double, vy);
    QFETCH(QPoint, signsAfter);
    TGame Game(LevelWith({{19, 9, 1}}));
    Game.PlaceBall(x, y, vx, vy);
    for (int Count = 0; Count < StepsPerSecond / 10; ++Count)
        Game.Step({});
    const TBall& Ball = Game.State().Balls.front();
    QCOMPARE(QPoint(Ball.VX > 0 ? 1 : -1, Ball.VY > 0 ? 1 : -1), signsAfter);
    QVERIFY(Ball.X >= BallRadius && Ball.X <= FieldWidth - BallRadius && Ball.Y >= BallRadius);
    QCOMPARE(Speed(Ball), BallBaseSpeed);
}

void TestGameCore::flatBallIsSteepenedAtTheWall()
{
    TGame Game(LevelWith({Spare}));
    Game.PlaceBall(300, 400, BallBaseSpeed, 0);
    StepUntil(Game, [&] { return Game.State().Balls.front().VX < 0; }, StepsPerSecond);
    const TBall& Ball = Game.State().Balls.front();
    QCOMPARE(RoundedTo(std::abs(HeadingDegrees(Ball)), 1e-9), 90 - MinAngleFromHorizontalDegrees);
    QVERIFY(Ball.VX < 0);
}

void TestGameCore::ballHittingARowBouncesOffItsFace_data()
{
    QTest::addColumn<bool>("column");
    QTest::addColumn<double>("slant");
    QTest::newRow("row, steep") << false << 10.0;
    QTest::newRow("row, diagonal") << false << 45.0;
    QTest::newRow("row, flat") << false << 70.0;
    QTest::newRow("column, square on") << true << 10.0;
    QTest::newRow("column, diagonal") << true << 45.0;
    QTest::newRow("column, glancing") << true << 70.0;
}

void TestGameCore::ballHittingARowBouncesOffItsFace()
{
    // Wherever along a closed row (or column) of bricks the ball strikes, seams included, it comes off the
    // long face: back the way it came across the row, still travelling the same way along it.
    QFETCH(bool, column);
    QFETCH(double, slant);
    TLevelData Level = LevelWith({{0, 9, 1}});
    for (int Index = 0; Index < LevelColumns; ++Index)
        column ? Level.Cells[10][Index % LevelRows].Brick = BrickFixed : Level.Cells[Index][5].Brick = BrickFixed;
    const double Across = BallBaseSpeed * std::cos(slant * std::numbers::pi / 180);
    const double Along = BallBaseSpeed * std::sin(slant * std::numbers::pi / 180);
    QStringList Wrong;
    for (double Offset = 0; Offset < 2 * CellPitchX; Offset += 0.25) {
        TGame Game(Level);
        if (column)
            Game.PlaceBall(TGame::BrickRect(10, 0).Left - 20, 80 + Offset, Across, -Along);
        else
            Game.PlaceBall(200 + Offset, TGame::BrickRect(0, 5).Bottom() + 20, Along, -Across);
        StepUntil(Game, [&] {
            const TBall& Ball = Game.State().Balls.front();
            return column ? Ball.VX < 0 : Ball.VY > 0;
        }, StepsPerSecond);
        const TBall Ball = Game.State().Balls.front();
        const bool Right = column ? Ball.VX < 0 && Ball.VY < 0 : Ball.VX > 0 && Ball.VY > 0;
        if (!Right)
            Wrong << QString("offset %1: moving %2, %3").arg(Offset).arg(Ball.VX).arg(Ball.VY);
    }
    QCOMPARE(Wrong.join("; "), QString());
}

void TestGameCore::paddleOffsetSetsTheAngle_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("heading");
    // Offsets as a share of the reach, from the paddle's centre to where the ball just touches its end.
    const double Reach = PaddleWidth / 2 + BallRadius;
    QTest::newRow("left end") << -0.99 * Reach << -0.99 * PaddleMaxAngleDegrees;
    QTest::newRow("left half") << -Reach / 2 << -30.0;
    QTest::newRow("a little right") << Reach / 6 << 10.0;
    QTest::newRow("right half") << Reach / 2 << 30.0;
    QTest::newRow("right end") << 0.99 * Reach << 0.99 * PaddleMaxAngleDegrees;
}

void TestGameCore::paddleOffsetSetsTheAngle()
{
    QFETCH(double, offset);
    QFETCH(double, heading);
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(300);
    Game.PlaceBall(300 + offset, PaddleTop - 40, 0, BallBaseSpeed);
    StepUntil(Game, [&] { return Game.State().Balls.front().VY < 0; }, StepsPerSecond);
    const TBall& Ball = Game.State().Balls.front();
    QCOMPARE(RoundedTo(HeadingDegrees(Ball), 0.01), heading);
    QCOMPARE(Speed(Ball), BallBaseSpeed);
    QVERIFY(Ball.Y <= PaddleTop - BallRadius);
}

void TestGameCore::fastBallNeverTunnels_data()
{
    QTest::addColumn<double>("speed");
    QTest::newRow("base") << BallBaseSpeed;
    QTest::newRow("fastest power-up") << BallMaxSpeed;
    QTest::newRow("a brick per step") << 20.0 * StepsPerSecond;
    QTest::newRow("far beyond") << 10000.0;
}

void TestGameCore::fastBallNeverTunnels()
{
    QFETCH(double, speed);
    TLevelData Level = LevelWith({Spare});
    for (int Row = 0; Row < LevelRows; ++Row)
        Level.Cells[10][Row].Brick = 1;
    TGame Game(Level);
    Game.PlaceBall(CentreX(10), PaddleTop - 40, 0, -speed);
    StepUntil(Game, [&] { return Game.State().Balls.front().VY > 0; }, StepsPerSecond);

    QList<int> Column;
    for (int Row = 0; Row < LevelRows; ++Row)
        Column << Game.State().Bricks[10][Row].Code;
    QCOMPARE(Column, QList<int>({1, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
}

void TestGameCore::ballKeepsSaneAnglesAndSpeed()
{
    TLevelData Level;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row)
            Level.Cells[Column][Row].Brick = static_cast<std::uint8_t>((Column + Row) % 4 == 0 ? 10 : 9);
    TGame Game = LaunchedGame(Level, 42);
    int Checked = 0;
    for (int Count = 0; Count < 60 * StepsPerSecond && Game.State().Phase == TGamePhase::Playing; ++Count) {
        TGameInput Input;
        Input.PaddleTarget = Game.State().Balls.front().X + (Count / 240 % 5 - 2) * 15;
        Game.Step(Input);
        for (const TBall& Ball : Game.State().Balls) {
            const double FromHorizontal = std::atan2(std::abs(Ball.VY), std::abs(Ball.VX)) * 180 / std::numbers::pi;
            if (FromHorizontal < MinAngleFromHorizontalDegrees - 1e-9
                || FromHorizontal > 90 - MinAngleFromVerticalDegrees + 1e-9)
                QFAIL(qPrintable(QString("step %1: ball at %2 degrees from the horizontal")
                                     .arg(Game.State().Steps).arg(FromHorizontal)));
            QCOMPARE(RoundedTo(Speed(Ball), 1e-6), RoundedTo(Game.State().BallSpeed, 1e-6));
            ++Checked;
        }
    }
    QVERIFY2(Checked > 10 * StepsPerSecond, "the ball should have stayed in play for a while");
}

void TestGameCore::loopingBallGetsNudged()
{
    // A closed channel between the top wall and a row of fixed bricks: only the nudge changes the angle.
    TLevelData Level = LevelWith({{10, 8, 1}});
    for (int Column = 0; Column < LevelColumns; ++Column)
        Level.Cells[Column][0].Brick = BrickFixed;
    TGame Game(Level);
    const double V = BallBaseSpeed / std::sqrt(2.0);
    Game.PlaceBall(300, BricksTop / 2, V, -V);
    int NudgedAt = -1;
    for (int Count = 0; Count < 30 * StepsPerSecond && NudgedAt < 0; ++Count) {
        Game.Step({});
        const TBall& Ball = Game.State().Balls.front();
        if (std::abs(std::abs(HeadingDegrees(Ball)) - 45) > 1e-6 && std::abs(std::abs(HeadingDegrees(Ball)) - 135) > 1e-6)
            NudgedAt = Count;
    }
    QVERIFY2(NudgedAt >= 0, "a ball bouncing without progress must have its direction nudged");
    QVERIFY2(NudgedAt > StepsPerSecond / 2, "the nudge must wait for a run of fruitless bounces");
}

void TestGameCore::waitingBallFollowsThePaddle()
{
    TGame Game(LevelWith({Spare}));
    TGameInput Right;
    Right.PaddleDirection = 1;
    for (int Count = 0; Count < StepsPerSecond / 4; ++Count)
        Game.Step(Right);
    const double Expected = FieldWidth / 2 + PaddleKeySpeed / 4;
    QCOMPARE(RoundedTo(Game.State().PaddleX, 1e-6), RoundedTo(Expected, 1e-6));
    QCOMPARE(Game.State().Phase, TGamePhase::Ready);
    QCOMPARE(Game.State().Balls.front().X, Game.State().PaddleX);
    QCOMPARE(Game.State().Balls.front().Y, PaddleTop - BallRadius);

    for (int Count = 0; Count < 3 * StepsPerSecond; ++Count)
        Game.Step(Right);
    QCOMPARE(Game.State().PaddleX, FieldWidth - PaddleWidth / 2);

    TGameInput Launch;
    Launch.Launch = true;
    Game.Step(Launch);
    QCOMPARE(Game.State().Phase, TGamePhase::Playing);
    QVERIFY(Game.State().Balls.front().VY < 0);
    QCOMPARE(Speed(Game.State().Balls.front()), BallBaseSpeed);
}

void TestGameCore::pointerMovesPaddleAtBoundedSpeed()
{
    TGame Game(LevelWith({Spare}));
    TGameInput Pointer;
    Pointer.PaddleTarget = 10;
    Pointer.PaddleDirection = 1; // the pointer wins
    Game.Step(Pointer);
    QCOMPARE(Game.State().PaddleX, FieldWidth / 2 - PaddlePointerSpeed * StepSeconds);
    for (int Count = 0; Count < StepsPerSecond; ++Count)
        Game.Step(Pointer);
    QCOMPARE(Game.State().PaddleX, PaddleWidth / 2);
}

void TestGameCore::pauseFreezesTheGame()
{
    TGame Game = LaunchedGame(LevelWith({Spare}));
    TGameInput Pause;
    Pause.TogglePause = true;
    Game.Step(Pause);
    TGameState Frozen = Game.State();
    QVERIFY(Frozen.Paused);
    TGameInput Busy;
    Busy.PaddleDirection = 1;
    Busy.Launch = true;
    for (int Count = 0; Count < StepsPerSecond; ++Count)
        Game.Step(Busy);
    QCOMPARE(Game.State(), Frozen);

    Game.Step(Pause);
    QVERIFY(!Game.State().Paused);
    QVERIFY(Game.State().Balls.front().Y != Frozen.Balls.front().Y);
}

void TestGameCore::losingTheLastBallCostsALife()
{
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(PaddleWidth / 2);
    Game.PlaceBall(500, 500, 0, BallBaseSpeed);
    StepUntil(Game, [&] { return Game.State().Phase != TGamePhase::Playing; });
    QCOMPARE(Game.State().Phase, TGamePhase::Ready);
    QCOMPARE(Game.State().Lives, StartLives - 1);
    QCOMPARE(Game.State().Balls.size(), std::size_t(1));
    QCOMPARE(Game.State().Balls.front().X, Game.State().PaddleX);
}

void TestGameCore::losingEveryLifeEndsTheGame()
{
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(PaddleWidth / 2);
    for (int Life = StartLives; Life > 0; --Life) {
        Game.PlaceBall(500, 500, 0, BallBaseSpeed);
        StepUntil(Game, [&] { return Game.State().Phase != TGamePhase::Playing; });
    }
    QCOMPARE(Game.State().Phase, TGamePhase::Lost);
    QCOMPARE(Game.State().Lives, 0);
    QCOMPARE(Game.State().Balls.size(), std::size_t(0));

    const TGameState Over = Game.State();
    TGameInput Anything;
    Anything.Launch = true;
    Anything.TogglePause = true;
    Anything.PaddleDirection = 1;
    Game.Step(Anything);
    QCOMPARE(Game.State(), Over);
}

void TestGameCore::extraBallKeepsLivesWhileOneIsLeft()
{
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(PaddleWidth / 2);
    Game.PlaceBall(500, 500, 0, BallBaseSpeed);
    Game.ApplyPowerUp(PowerUpExtraBall);
    QCOMPARE(Game.State().Balls.size(), std::size_t(2));
    StepUntil(Game, [&] { return Game.State().Balls.size() == 1; });
    QCOMPARE(Game.State().Balls.size(), std::size_t(1));
    QCOMPARE(Game.State().Lives, StartLives);
    QCOMPARE(Game.State().Phase, TGamePhase::Playing);
}

void TestGameCore::singleShotFiresOnceAndDamagesBrick()
{
    TGame Game(LevelWith({Spare, {10, 3, 4}}));
    Game.PlacePaddle(CentreX(10));
    Game.PlaceBall(500, 100, BallBaseSpeed * 0.6, -BallBaseSpeed * 0.8);
    Game.ApplyPowerUp(PowerUpSingleShot);
    QCOMPARE(Game.State().ShotsLoaded, 1);

    TGameInput Fire;
    Fire.Launch = true;
    Game.Step(Fire);
    QCOMPARE(Game.State().ShotsLoaded, 0);
    QCOMPARE(Game.State().Shots.size(), std::size_t(1));
    Game.Step(Fire);
    QCOMPARE(Game.State().Shots.size(), std::size_t(1));

    StepUntil(Game, [&] { return Game.State().Shots.empty(); }, StepsPerSecond);
    QCOMPARE(int(Game.State().Bricks[10][3].HitsLeft), 1);
}

void TestGameCore::shotStopsAtFixedBrick()
{
    TGame Game(LevelWith({Spare, {10, 2, 1}, {10, 6, BrickFixed}}));
    Game.PlacePaddle(CentreX(10));
    Game.PlaceBall(500, 100, BallBaseSpeed * 0.6, -BallBaseSpeed * 0.8);
    Game.ApplyPowerUp(PowerUpSingleShot);
    TGameInput Fire;
    Fire.Launch = true;
    Game.Step(Fire);
    StepUntil(Game, [&] { return Game.State().Shots.empty(); }, StepsPerSecond);
    QCOMPARE(int(Game.State().Bricks[10][6].Code), int(BrickFixed));
    QCOMPARE(int(Game.State().Bricks[10][2].Code), 1);
}

void TestGameCore::extraBallAddsABall()
{
    TGame Game = LaunchedGame(LevelWith({Spare}));
    Game.ApplyPowerUp(PowerUpExtraBall);
    QCOMPARE(Game.State().Balls.size(), std::size_t(2));
    const TBall& Extra = Game.State().Balls.back();
    QCOMPARE(Extra.X, Game.State().PaddleX);
    QVERIFY(Extra.VY < 0);
    QCOMPARE(Speed(Extra), Game.State().BallSpeed);

    for (int Count = 0; Count < 2 * MaxBalls; ++Count)
        Game.ApplyPowerUp(PowerUpExtraBall);
    QCOMPARE(Game.State().Balls.size(), std::size_t(MaxBalls));
}

void TestGameCore::speedPowerUpsScaleEveryBallWithinLimits_data()
{
    QTest::addColumn<int>("powerUp");
    QTest::addColumn<QList<double>>("speeds");
    QTest::newRow("lower")
        << int(PowerUpLowerSpeed)
        << QList<double>({BallBaseSpeed * LowerSpeedFactor, BallMinSpeed, BallMinSpeed});
    QTest::newRow("faster")
        << int(PowerUpFasterSpeed)
        << QList<double>({BallBaseSpeed * FasterSpeedFactor, BallBaseSpeed * FasterSpeedFactor * FasterSpeedFactor,
                          BallMaxSpeed, BallMaxSpeed});
}

void TestGameCore::speedPowerUpsScaleEveryBallWithinLimits()
{
    QFETCH(int, powerUp);
    QFETCH(QList<double>, speeds);
    TGame Game = LaunchedGame(LevelWith({Spare}));
    Game.ApplyPowerUp(PowerUpExtraBall);
    QList<double> Seen;
    for (int Catch = 0; Catch < speeds.size(); ++Catch) {
        Game.ApplyPowerUp(powerUp);
        Seen << Game.State().BallSpeed;
        for (const TBall& Ball : Game.State().Balls)
            QCOMPARE(Speed(Ball), Game.State().BallSpeed);
    }
    QCOMPARE(Seen, speeds);
}

void TestGameCore::ironBallPassesThroughBreakableBricks()
{
    TGame Game(LevelWith({Spare, {10, 9, 9}, {10, 8, 5}, {10, 7, 1, PowerUpWall}}));
    Game.PlaceBall(CentreX(10), PaddleTop - 40, 0, -BallBaseSpeed);
    Game.ApplyPowerUp(PowerUpIronBall);
    QCOMPARE(Game.State().IronStepsLeft, IronBallSteps);
    StepUntil(Game, [&] { return Game.State().Balls.front().Y < TGame::BrickRect(10, 6).Bottom(); },
              2 * StepsPerSecond);
    QVERIFY2(Game.State().Balls.front().VY < 0, "an iron ball must not bounce off breakable bricks");
    QCOMPARE(Game.State().Bricks[10][9], TBrick{});
    QCOMPARE(Game.State().Bricks[10][8], TBrick{});
    QCOMPARE(Game.State().Bricks[10][7], TBrick{});
    QCOMPARE(Game.State().BreakableLeft, 1);
    QCOMPARE(Game.State().Capsules.size(), std::size_t(1));
}

void TestGameCore::ironBallStillBouncesOffFixedBricks()
{
    TGame Game(LevelWith({Spare, {10, 5, BrickFixed}}));
    Game.PlaceBall(CentreX(10), PaddleTop - 40, 0, -BallBaseSpeed);
    Game.ApplyPowerUp(PowerUpIronBall);
    StepUntil(Game, [&] { return Game.State().Balls.front().VY > 0; }, 2 * StepsPerSecond);
    QVERIFY(Game.State().Balls.front().VY > 0);
    QCOMPARE(int(Game.State().Bricks[10][5].Code), int(BrickFixed));
}

void TestGameCore::ironBallWearsOff()
{
    // The ball stays in the closed channel above a row of fixed bricks, so the level is neither won nor lost.
    TLevelData Level = LevelWith({{10, 8, 1}});
    for (int Column = 0; Column < LevelColumns; ++Column)
        Level.Cells[Column][0].Brick = BrickFixed;
    TGame Game(Level);
    Game.PlaceBall(300, BricksTop / 2, BallBaseSpeed * 0.6, -BallBaseSpeed * 0.8);
    Game.ApplyPowerUp(PowerUpIronBall);
    for (int Count = 0; Count < IronBallSteps - 1; ++Count)
        Game.Step({});
    QCOMPARE(Game.State().IronStepsLeft, 1);
    Game.Step({});
    QCOMPARE(Game.State().IronStepsLeft, 0);
    QCOMPARE(Game.State().Phase, TGamePhase::Playing);
}

void TestGameCore::wallSavesTheBallOnce()
{
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(PaddleWidth / 2);
    Game.PlaceBall(500, 500, 0, BallBaseSpeed);
    Game.ApplyPowerUp(PowerUpWall);
    QVERIFY(Game.State().WallActive);
    StepUntil(Game, [&] { return Game.State().Balls.front().VY < 0; }, 2 * StepsPerSecond);
    QVERIFY2(Game.State().Balls.front().VY < 0, "the wall must send the ball back up");
    QVERIFY(!Game.State().WallActive);
    QCOMPARE(Game.State().Lives, StartLives);

    Game.PlaceBall(500, 500, 0, BallBaseSpeed);
    StepUntil(Game, [&] { return Game.State().Phase != TGamePhase::Playing; });
    QCOMPARE(Game.State().Lives, StartLives - 1);
}

void TestGameCore::capsuleCaughtAppliesItsPowerUp_data()
{
    QTest::addColumn<int>("powerUp");
    QTest::addColumn<QString>("effects");
    QTest::newRow("single shot") << int(PowerUpSingleShot) << "shots 1, balls 1, speed 330, iron 0, wall 0";
    QTest::newRow("extra ball") << int(PowerUpExtraBall) << "shots 0, balls 2, speed 330, iron 0, wall 0";
    QTest::newRow("lower speed") << int(PowerUpLowerSpeed) << "shots 0, balls 1, speed 247.5, iron 0, wall 0";
    QTest::newRow("faster speed") << int(PowerUpFasterSpeed) << "shots 0, balls 1, speed 429, iron 0, wall 0";
    QTest::newRow("iron ball") << int(PowerUpIronBall) << "shots 0, balls 1, speed 330, iron 1, wall 0";
    QTest::newRow("wall") << int(PowerUpWall) << "shots 0, balls 1, speed 330, iron 0, wall 1";
}

void TestGameCore::capsuleCaughtAppliesItsPowerUp()
{
    QFETCH(int, powerUp);
    QFETCH(QString, effects);
    TGame Game(LevelWith({Spare, {10, 9, 1, powerUp}}));
    Game.PlacePaddle(CentreX(10));
    HitFromBelow(Game, 10, 9);
    QCOMPARE(Game.State().Capsules.size(), std::size_t(1));
    QCOMPARE(int(Game.State().Capsules.front().PowerUp), powerUp);
    // The bounced ball gives way to a slow one in a far corner, so that nothing but the capsule meets the paddle.
    Game.PlaceBall(FieldWidth - 20, 20, -1, -1);
    StepUntil(Game, [&] { return Game.State().Capsules.empty(); });

    const TGameState& After = Game.State();
    const QString Seen = QString("shots %1, balls %2, speed %3, iron %4, wall %5")
                             .arg(After.ShotsLoaded)
                             .arg(After.Balls.size())
                             .arg(After.BallSpeed)
                             .arg(After.IronStepsLeft > 0)
                             .arg(After.WallActive);
    QCOMPARE(Seen, effects);
    QCOMPARE(After.Lives, StartLives);
}

void TestGameCore::missedCapsuleFallsAway()
{
    TGame Game(LevelWith({Spare, {10, 9, 1, PowerUpWall}}));
    Game.PlacePaddle(PaddleWidth / 2);
    HitFromBelow(Game, 10, 9);
    QCOMPARE(Game.State().Capsules.size(), std::size_t(1));
    Game.PlaceBall(FieldWidth - 20, 500, 0, -BallBaseSpeed);
    StepUntil(Game, [&] { return Game.State().Capsules.empty(); });
    QCOMPARE(Game.State().Capsules.size(), std::size_t(0));
    QVERIFY(!Game.State().WallActive);
    QCOMPARE(Game.State().Lives, StartLives);
    QCOMPARE(Game.State().Phase, TGamePhase::Playing);
}

void TestGameCore::newBallClearsPowerUps()
{
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(PaddleWidth / 2);
    Game.PlaceBall(500, 500, 0, BallBaseSpeed);
    Game.ApplyPowerUp(PowerUpFasterSpeed);
    Game.ApplyPowerUp(PowerUpIronBall);
    Game.ApplyPowerUp(PowerUpSingleShot);
    StepUntil(Game, [&] { return Game.State().Phase != TGamePhase::Playing; });
    QCOMPARE(Game.State().Phase, TGamePhase::Ready);
    QCOMPARE(Game.State().BallSpeed, BallBaseSpeed);
    QCOMPARE(Game.State().IronStepsLeft, 0);
    QCOMPARE(Game.State().ShotsLoaded, 0);
}

void TestGameCore::lastBreakableBrickWinsTheLevel()
{
    TGame Game(LevelWith({{3, 2, BrickFixed}, {10, 5, 1}}));
    QCOMPARE(Game.State().BreakableLeft, 1);
    HitFromBelow(Game, 10, 5);
    QCOMPARE(Game.State().Phase, TGamePhase::Won);
    QCOMPARE(Game.State().BreakableLeft, 0);
    const TGameState Won = Game.State();
    Game.Step({});
    QCOMPARE(Game.State(), Won);
}

void TestGameCore::levelWithoutBreakableBricksIsWonAtOnce_data()
{
    QTest::addColumn<TLevelData>("level");
    QTest::newRow("empty") << LevelWith({});
    QTest::newRow("fixed only") << LevelWith({{0, 0, BrickFixed}, {19, 9, BrickFixed, PowerUpIronBall}});
    QTest::newRow("power-up on no brick") << LevelWith({{5, 5, 0, PowerUpExtraBall}});
    QTest::newRow("codes beyond the kinds") << LevelWith({{5, 5, 11}, {6, 5, 255, 9}});
}

void TestGameCore::levelWithoutBreakableBricksIsWonAtOnce()
{
    QFETCH(TLevelData, level);
    TGame Game(level);
    QCOMPARE(Game.State().Phase, TGamePhase::Won);
    QCOMPARE(Game.State().BreakableLeft, 0);
}

void TestGameCore::statusLineSaysWhatToDo_data()
{
    QTest::addColumn<int>("phase");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<int>("lives");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("shots");
    QTest::addColumn<bool>("iron");
    QTest::addColumn<bool>("wall");
    QTest::addColumn<QString>("line");
    const int Ready = int(TGamePhase::Ready), Playing = int(TGamePhase::Playing);
    const int Won = int(TGamePhase::Won), Lost = int(TGamePhase::Lost);
    QTest::newRow("waiting") << Ready << false << 3 << 0 << 0 << false << false << "Lives 3  |  Press Space to launch";
    QTest::newRow("paused while waiting") << Ready << true << 2 << 9 << 0 << false << false << "Lives 2  |  Paused";
    QTest::newRow("playing") << Playing << false << 3 << 9 << 0 << false << false << "Lives 3";
    QTest::newRow("paused") << Playing << true << 3 << 9 << 1 << true << true << "Lives 3  |  Paused";
    QTest::newRow("one shot") << Playing << false << 1 << 9 << 1 << false << false
                              << "Lives 1  |  Space fires a shot";
    QTest::newRow("everything") << Playing << false << 3 << 9 << 2 << true << true
                                << "Lives 3  |  Space fires 2 shots, Iron ball, Wall";
    QTest::newRow("iron and wall") << Playing << false << 3 << 9 << 0 << true << true
                                   << "Lives 3  |  Iron ball, Wall";
    QTest::newRow("cleared") << Won << false << 2 << 9 << 0 << false << false << "Lives 2  |  Level cleared!";
    QTest::newRow("nothing to break") << Won << false << 3 << 0 << 0 << false << false
                                      << "Lives 3  |  Level cleared! (this level has no breakable brick)";
    QTest::newRow("game over") << Lost << false << 0 << 9 << 0 << false << false << "Lives 0  |  Game over";
}

void TestGameCore::statusLineSaysWhatToDo()
{
    QFETCH(int, phase);
    QFETCH(bool, paused);
    QFETCH(int, lives);
    QFETCH(int, steps);
    QFETCH(int, shots);
    QFETCH(bool, iron);
    QFETCH(bool, wall);
    QFETCH(QString, line);
    TGameState State;
    State.Phase = static_cast<TGamePhase>(phase);
    State.Paused = paused;
    State.Lives = lives;
    State.Steps = static_cast<std::uint64_t>(steps);
    State.ShotsLoaded = shots;
    State.IronStepsLeft = iron ? 10 : 0;
    State.WallActive = wall;
    QCOMPARE(QString::fromStdString(GameStatusLine(State)), line);
}

void TestGameCore::sameSeedAndInputsGiveSameGame()
{
    TLevelData Level;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 2; Row < LevelRows; ++Row)
            Level.Cells[Column][Row] = TLevelCell{static_cast<std::uint8_t>(1 + (Column * 7 + Row) % 10),
                                                  static_cast<std::uint8_t>((Column + Row) % 7)};
    auto Play = [&Level](std::uint64_t Seed) {
        TGame Game(Level, Seed);
        for (int Count = 0; Count < 90 * StepsPerSecond; ++Count) {
            TGameInput Input;
            Input.Launch = Count % 200 == 0;
            Input.TogglePause = Count % 1000 == 500 || Count % 1000 == 530;
            if (Count % 3 == 0 && !Game.State().Balls.empty())
                Input.PaddleTarget = Game.State().Balls.front().X;
            else
                Input.PaddleDirection = Count / 50 % 3 - 1;
            Game.Step(Input);
        }
        return Game.State();
    };
    const TGameState First = Play(7);
    QVERIFY2(First.BreakableLeft < TGame(Level).State().BreakableLeft, "the scripted game should break bricks");
    QCOMPARE(Play(7), First);
}

void TestGameCore::otherSeedGivesOtherLaunch()
{
    QSet<double> Headings;
    for (std::uint64_t Seed = 1; Seed <= 8; ++Seed)
        Headings << HeadingDegrees(LaunchedGame(LevelWith({Spare}), Seed).State().Balls.front());
    QCOMPARE(Headings.size(), 8);
    for (const double Heading : Headings)
        QVERIFY2(std::abs(Heading) >= 15 && std::abs(Heading) < 35, qPrintable(QString::number(Heading)));
}

QTEST_APPLESS_MAIN(TestGameCore)
#include "tst_game_core.moc"
