#include <QtTest>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <numbers>

#include "game.h"
#include "gamerules.h"
#include "gamestatus.h"
#include "gametesttools.h"

using namespace GameRules;

Q_DECLARE_METATYPE(TLevelData)
Q_DECLARE_METATYPE(TGameState)

char* toString(const TBrick& Brick)
{
    return QTest::toString(
        QString("brick %1, %2 hits left, power-up %3").arg(Brick.Code).arg(Brick.HitsLeft).arg(Brick.PowerUp));
}

char* toString(const TGameState& State)
{
    QString Balls;
    for (const TBall& Ball : State.Balls)
        Balls += QString(" (%1, %2 moving %3, %4)").arg(Ball.X).arg(Ball.Y).arg(Ball.VX).arg(Ball.VY);
    return QTest::toString(
        QString("step %1, phase %2, paused %3, lives %4, bricks left %5, paddle %6, speed %7, balls%8")
            .arg(State.Steps)
            .arg(static_cast<int>(State.Phase))
            .arg(State.Paused)
            .arg(State.Lives)
            .arg(State.BreakableLeft)
            .arg(State.PaddleX)
            .arg(State.BallSpeed)
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
        Level.Cells[Placed.Column][Placed.Row] = {static_cast<std::uint8_t>(Placed.Brick),
                                                  static_cast<std::uint8_t>(Placed.PowerUp)};
    return Level;
}

// A breakable brick in the top-left corner, out of every test's way, so that the game is not won early.
constexpr TPlacedBrick Spare{0, 0, 9};

// A closed channel between the top wall and a row of fixed bricks; the breakable brick below is out of reach.
TLevelData Channel()
{
    TLevelData Level = LevelWith({{10, 8, 1}});
    for (int Column = 0; Column < LevelColumns; ++Column)
        Level.Cells[Column][0].Brick = BrickFixed;
    return Level;
}

double CentreX(int Column)
{
    return TGame::BrickRect(Column, 0).Left + BrickWidth / 2;
}
double Speed(const TBall& Ball)
{
    return std::hypot(Ball.VX, Ball.VY);
}
double RoundedTo(double Value, double Step)
{
    return std::round(Value / Step) * Step;
}

// Direction of travel in degrees, clockwise from straight up.
double HeadingDegrees(const TBall& Ball)
{
    return std::atan2(Ball.VX, -Ball.VY) * 180 / std::numbers::pi;
}

double DegreesFromHorizontal(const TBall& Ball)
{
    return std::atan2(std::abs(Ball.VY), std::abs(Ball.VX)) * 180 / std::numbers::pi;
}

void StepUntil(TGame& Game, const std::function<bool()>& Done, int Limit = 20 * StepsPerSecond)
{
    for (int Count = 0; Count < Limit && !Done(); ++Count)
        Game.Step({});
}

// Sends a ball straight up into the brick's bottom face and lets it bounce back.
void HitFromBelow(TGame& Game, int Column, int Row)
{
    Game.PlaceBall(CentreX(Column), TGame::BrickRect(Column, Row).Bottom() + 30, 0, -BallBaseSpeed);
    StepUntil(Game, [&] { return Game.State().Balls.empty() || Game.State().Balls.front().VY > 0; });
}

// A slow ball in the top-right corner, so that nothing else happens while a test watches capsules or shots.
void ParkBall(TGame& Game)
{
    Game.PlaceBall(FieldWidth - 20, 20, -1, -1);
}

TGame LaunchedGame(const TLevelData& Level, std::uint64_t Seed = 1)
{
    TGame Game(Level, Seed);
    TGameInput Launch;
    Launch.Launch = true;
    Game.Step(Launch);
    return Game;
}

TGameState StateOf(TGamePhase Phase, int Lives, int Steps, bool Paused = false, int Shots = 0, bool IronAndWall = false)
{
    TGameState State;
    State.Phase = Phase;
    State.Lives = Lives;
    State.Steps = static_cast<std::uint64_t>(Steps);
    State.Paused = Paused;
    State.ShotsLoaded = Shots;
    State.IronStepsLeft = IronAndWall ? 10 : 0;
    State.WallActive = IronAndWall;
    return State;
}

} // namespace

class TestGameCore : public QObject {
    Q_OBJECT

private slots:
    void brickTakesTheHitsOfItsKind_data();
    void brickTakesTheHitsOfItsKind();
    void ballBouncesOffWallsAtASaneAngle_data();
    void ballBouncesOffWallsAtASaneAngle();
    void ballHittingARowBouncesOffItsFace_data();
    void ballHittingARowBouncesOffItsFace();
    void paddleOffsetSetsTheAngle_data();
    void paddleOffsetSetsTheAngle();
    void fastBallNeverTunnels();
    void loopingBallGetsNudged();
    void paddleFollowsKeysAndPointer_data();
    void paddleFollowsKeysAndPointer();
    void pauseFreezesTheGame();
    void fallingBallsCostLivesUntilTheGameIsLost();
    void shotHitsTheLowestBrickInItsPath();
    void extraBallsUpToTheLimitThenSpeedPowerUpsScaleThemAll_data();
    void extraBallsUpToTheLimitThenSpeedPowerUpsScaleThemAll();
    void ironBallSmashesThroughUpToAFixedBrick();
    void ironBallWearsOff();
    void capsuleAppliesItsPowerUpOnlyWhenCaught_data();
    void capsuleAppliesItsPowerUpOnlyWhenCaught();
    void lastBreakableBrickWinsTheLevel();
    void levelWithoutBreakableBricksIsWonAtOnce_data();
    void levelWithoutBreakableBricksIsWonAtOnce();
    void statusLineSaysWhatToDo_data();
    void statusLineSaysWhatToDo();
    void sameSeedAndInputsGiveSameGame();
    void launchAngleDependsOnTheSeed();
};

void TestGameCore::brickTakesTheHitsOfItsKind_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("hitsLeft"); // at the start and after each hit
    const QList<int> Hits[] = {{1, 0}, {2, 1, 0}, {3, 2, 1, 0}};
    for (int Code = 1; Code <= 9; ++Code)
        QTest::addRow("brick %d", Code) << Code << Hits[(Code - 1) / 3];
    QTest::newRow("fixed") << int(BrickFixed) << QList<int>{0, 0, 0, 0, 0};
}

void TestGameCore::brickTakesTheHitsOfItsKind()
{
    QFETCH(int, code);
    QFETCH(QList<int>, hitsLeft);
    TGame Game(LevelWith({Spare, {10, 5, code}}));
    QList<int> Seen{Game.State().Bricks[10][5].HitsLeft};
    while (Game.State().Bricks[10][5].Present() && Seen.size() < 5) {
        HitFromBelow(Game, 10, 5);
        Seen << Game.State().Bricks[10][5].HitsLeft;
    }
    QCOMPARE(Seen, hitsLeft);
    QCOMPARE(Game.State().Bricks[10][5].Present(), code == BrickFixed);
    QCOMPARE(Game.State().BreakableLeft, 1);
    QCOMPARE(Game.State().Phase, TGamePhase::Playing);
}

void TestGameCore::ballBouncesOffWallsAtASaneAngle_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("velocity");
    QTest::addColumn<QPoint>("signsAfter"); // 0: either way
    QTest::addColumn<double>("degreesAfter"); // from the horizontal
    const double V = BallBaseSpeed / std::sqrt(2.0);
    QTest::newRow("left wall") << QPointF(20, 400) << QPointF(-V, -V) << QPoint(1, -1) << 45.0;
    QTest::newRow("right wall") << QPointF(FieldWidth - 20, 400) << QPointF(V, V) << QPoint(-1, 1) << 45.0;
    QTest::newRow("top wall") << QPointF(400, 20) << QPointF(V, -V) << QPoint(1, 1) << 45.0;
    QTest::newRow("top left corner") << QPointF(20, 20) << QPointF(-V, -V) << QPoint(1, 1) << 45.0;
    QTest::newRow("flat, steepened") << QPointF(FieldWidth - 20, 400) << QPointF(BallBaseSpeed, 0) << QPoint(-1, -1)
                                     << MinAngleFromHorizontalDegrees;
    QTest::newRow("vertical, tilted") << QPointF(400, 20) << QPointF(0, -BallBaseSpeed) << QPoint(0, 1)
                                      << 90 - MinAngleFromVerticalDegrees;
}

void TestGameCore::ballBouncesOffWallsAtASaneAngle()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, velocity);
    QFETCH(QPoint, signsAfter);
    QFETCH(double, degreesAfter);
    TGame Game(LevelWith({{19, 9, 1}}));
    Game.PlaceBall(from.x(), from.y(), velocity.x(), velocity.y());
    for (int Count = 0; Count < StepsPerSecond / 10; ++Count)
        Game.Step({});
    const TBall& Ball = Game.State().Balls.front();
    QCOMPARE(QPoint(signsAfter.x() == 0 ? 0 : Ball.VX > 0 ? 1 : -1, Ball.VY > 0 ? 1 : -1), signsAfter);
    QCOMPARE(RoundedTo(DegreesFromHorizontal(Ball), 1e-9), degreesAfter);
    QCOMPARE(Speed(Ball), BallBaseSpeed);
    QVERIFY(Ball.X >= BallRadius && Ball.X <= FieldWidth - BallRadius && Ball.Y >= BallRadius);
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
    // Wherever along a closed row (or column) the ball strikes, seams included, it comes off the long face:
    // back the way it came across the row, still travelling the same way along it.
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
        StepUntil(
            Game, [&] { return column ? Game.State().Balls.front().VX < 0 : Game.State().Balls.front().VY > 0; },
            StepsPerSecond);
        const TBall Ball = Game.State().Balls.front();
        if (!(column ? Ball.VX < 0 && Ball.VY < 0 : Ball.VX > 0 && Ball.VY > 0))
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
    QTest::newRow("a little right") << Reach / 6 << 10.0;
    QTest::newRow("right half") << Reach / 2 << 30.0;
}

void TestGameCore::paddleOffsetSetsTheAngle()
{
    QFETCH(double, offset);
    QFETCH(double, heading);
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(300);
    Game.PlaceBall(300 + offset, PaddleTop - 40, 0, BallBaseSpeed);
    StepUntil(
        Game, [&] { return Game.State().Balls.front().VY < 0; }, StepsPerSecond);
    const TBall& Ball = Game.State().Balls.front();
    QCOMPARE(RoundedTo(HeadingDegrees(Ball), 0.01), heading);
    QCOMPARE(Speed(Ball), BallBaseSpeed);
    QVERIFY(Ball.Y <= PaddleTop - BallRadius);
}

void TestGameCore::fastBallNeverTunnels()
{
    TLevelData Level = LevelWith({Spare});
    for (int Row = 0; Row < LevelRows; ++Row)
        Level.Cells[10][Row].Brick = 1;
    TGame Game(Level);
    Game.PlaceBall(CentreX(10), PaddleTop - 40, 0, -10000); // some twenty bricks' height per step
    StepUntil(
        Game, [&] { return Game.State().Balls.front().VY > 0; }, StepsPerSecond);
    QList<int> Column;
    for (int Row = 0; Row < LevelRows; ++Row)
        Column << Game.State().Bricks[10][Row].Code;
    QCOMPARE(Column, QList<int>({1, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
}

void TestGameCore::loopingBallGetsNudged()
{
    // In the channel only the nudge can change the ball's diagonal heading.
    TGame Game(Channel());
    const double V = BallBaseSpeed / std::sqrt(2.0);
    Game.PlaceBall(300, BricksTop / 2, V, -V);
    int NudgedAt = -1;
    for (int Count = 0; Count < 30 * StepsPerSecond && NudgedAt < 0; ++Count) {
        Game.Step({});
        if (std::abs(DegreesFromHorizontal(Game.State().Balls.front()) - 45) > 1e-6)
            NudgedAt = Count;
    }
    QVERIFY2(NudgedAt >= 0, "a ball bouncing without progress must have its direction nudged");
    QVERIFY2(NudgedAt > StepsPerSecond / 2, "the nudge must wait for a run of fruitless bounces");
    QCOMPARE(Speed(Game.State().Balls.front()), BallBaseSpeed);
}

void TestGameCore::paddleFollowsKeysAndPointer_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<double>("pointer"); // NaN for none
    QTest::addColumn<int>("steps");
    QTest::addColumn<double>("paddleX");
    const double Centre = FieldWidth / 2;
    QTest::newRow("right key") << 1 << qQNaN() << StepsPerSecond / 4 << Centre + PaddleKeySpeed / 4;
    QTest::newRow("right key up to the wall") << 1 << qQNaN() << 3 * StepsPerSecond << FieldWidth - PaddleWidth / 2;
    QTest::newRow("pointer wins, at bounded speed") << 1 << 10.0 << 1 << Centre - PaddlePointerSpeed * StepSeconds;
    QTest::newRow("pointer up to the wall") << 1 << 10.0 << StepsPerSecond << PaddleWidth / 2;
}

void TestGameCore::paddleFollowsKeysAndPointer()
{
    QFETCH(int, direction);
    QFETCH(double, pointer);
    QFETCH(int, steps);
    QFETCH(double, paddleX);
    TGame Game(LevelWith({Spare}));
    TGameInput Input;
    Input.PaddleDirection = direction;
    if (!qIsNaN(pointer))
        Input.PaddleTarget = pointer;
    for (int Count = 0; Count < steps; ++Count)
        Game.Step(Input);
    QCOMPARE(RoundedTo(Game.State().PaddleX, 1e-6), RoundedTo(paddleX, 1e-6));
    QCOMPARE(Game.State().Phase, TGamePhase::Ready);
    QCOMPARE(Game.State().Balls.front().X, Game.State().PaddleX);
    QCOMPARE(Game.State().Balls.front().Y, PaddleTop - BallRadius);
}

void TestGameCore::pauseFreezesTheGame()
{
    TGame Game = LaunchedGame(LevelWith({Spare}));
    TGameInput Pause;
    Pause.TogglePause = true;
    Game.Step(Pause);
    const TGameState Frozen = Game.State();
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

void TestGameCore::fallingBallsCostLivesUntilTheGameIsLost()
{
    TGame Game(LevelWith({Spare}));
    Game.PlacePaddle(PaddleWidth / 2);
    auto Drop = [&Game] { Game.PlaceBall(500, 500, 0, BallBaseSpeed); };
    auto Fallen = [&Game] { return Game.State().Phase != TGamePhase::Playing; };

    Drop();
    Game.ApplyPowerUp(PowerUpWall);
    StepUntil(Game, [&] { return Fallen() || Game.State().Balls.front().VY < 0; });
    QVERIFY2(!Fallen() && !Game.State().WallActive, "the wall must send the ball back up once, then go");

    Drop();
    Game.ApplyPowerUp(PowerUpExtraBall);
    StepUntil(Game, [&] { return Game.State().Balls.size() < 2; });
    QVERIFY2(!Fallen() && Game.State().Lives == StartLives, "a life is lost only with the last ball");

    for (int Life = StartLives - 1; Life > 0; --Life) {
        Drop();
        for (const int PowerUp : {PowerUpFasterSpeed, PowerUpIronBall, PowerUpSingleShot})
            Game.ApplyPowerUp(PowerUp);
        StepUntil(Game, Fallen);
        const TGameState& State = Game.State();
        QCOMPARE(State.Phase, TGamePhase::Ready);
        QCOMPARE(State.Lives, Life);
        QCOMPARE(State.Balls.size(), std::size_t(1));
        QCOMPARE(State.Balls.front().X, State.PaddleX);
        QCOMPARE(State.BallSpeed, BallBaseSpeed);
        QCOMPARE(State.IronStepsLeft, 0);
        QCOMPARE(State.ShotsLoaded, 0);
    }
    Drop();
    StepUntil(Game, Fallen);
    QCOMPARE(Game.State().Phase, TGamePhase::Lost);
    QCOMPARE(Game.State().Lives, 0);
    QCOMPARE(Game.State().Balls.size(), std::size_t(0));
    const TGameState Over = Game.State();
    TGameInput Anything;
    Anything.Launch = Anything.TogglePause = true;
    Anything.PaddleDirection = 1;
    Game.Step(Anything);
    QCOMPARE(Game.State(), Over);
}

void TestGameCore::shotHitsTheLowestBrickInItsPath()
{
    TGame Game(LevelWith({Spare, {10, 2, 1}, {10, 5, 4}, {12, 2, 1}, {12, 5, BrickFixed, PowerUpWall}}));
    const TBrickField Before = Game.State().Bricks;
    ParkBall(Game);
    TGameInput Fire;
    Fire.Launch = true;
    for (const int Column : {10, 12}) {
        Game.PlacePaddle(CentreX(Column));
        Game.ApplyPowerUp(PowerUpSingleShot);
        Game.Step(Fire);
        Game.Step(Fire); // nothing left to fire
        QCOMPARE(Game.State().ShotsLoaded, 0);
        QCOMPARE(Game.State().Shots.size(), std::size_t(1));
        StepUntil(
            Game, [&] { return Game.State().Shots.empty(); }, StepsPerSecond);
    }
    QCOMPARE(int(Game.State().Bricks[10][5].HitsLeft), 1);
    QCOMPARE(Game.State().Bricks[10][2], Before[10][2]);
    QCOMPARE(Game.State().Bricks[12][5], Before[12][5]);
    QCOMPARE(Game.State().Bricks[12][2], Before[12][2]);
    QCOMPARE(Game.State().Capsules.size(), std::size_t(0));
}

void TestGameCore::extraBallsUpToTheLimitThenSpeedPowerUpsScaleThemAll_data()
{
    QTest::addColumn<int>("powerUp");
    QTest::addColumn<QList<double>>("speeds");
    const double Faster = BallBaseSpeed * FasterSpeedFactor;
    QTest::newRow("lower") << int(PowerUpLowerSpeed)
                           << QList<double>({BallBaseSpeed * LowerSpeedFactor, BallMinSpeed, BallMinSpeed});
    QTest::newRow("faster") << int(PowerUpFasterSpeed)
                            << QList<double>({Faster, Faster * FasterSpeedFactor, BallMaxSpeed, BallMaxSpeed});
}

void TestGameCore::extraBallsUpToTheLimitThenSpeedPowerUpsScaleThemAll()
{
    QFETCH(int, powerUp);
    QFETCH(QList<double>, speeds);
    TGame Game = LaunchedGame(LevelWith({Spare}));
    for (int Count = 0; Count < 2 * MaxBalls; ++Count)
        Game.ApplyPowerUp(PowerUpExtraBall);
    QCOMPARE(Game.State().Balls.size(), std::size_t(MaxBalls));
    QList<double> Seen;
    for (int Catch = 0; Catch < speeds.size(); ++Catch) {
        Game.ApplyPowerUp(powerUp);
        Seen << Game.State().BallSpeed;
        for (const TBall& Ball : Game.State().Balls)
            QCOMPARE(Speed(Ball), Game.State().BallSpeed);
    }
    QCOMPARE(Seen, speeds);
}

void TestGameCore::ironBallSmashesThroughUpToAFixedBrick()
{
    TGame Game(LevelWith({Spare, {10, 9, 9}, {10, 8, 5}, {10, 7, 1, PowerUpWall}, {10, 4, BrickFixed}}));
    Game.PlaceBall(CentreX(10), PaddleTop - 40, 0, -BallBaseSpeed);
    Game.ApplyPowerUp(PowerUpIronBall);
    StepUntil(
        Game, [&] { return Game.State().Balls.front().VY > 0; }, 2 * StepsPerSecond);
    const TGameState& State = Game.State();
    QVERIFY2(State.Balls.front().VY > 0 && State.Balls.front().Y < TGame::BrickRect(10, 6).Top,
             "an iron ball must bounce off the fixed brick, and only there");
    for (const int Row : {7, 8, 9})
        QCOMPARE(State.Bricks[10][Row], TBrick{});
    QCOMPARE(int(State.Bricks[10][4].Code), int(BrickFixed));
    QCOMPARE(State.BreakableLeft, 1);
    QCOMPARE(State.Capsules.size(), std::size_t(1));
}

void TestGameCore::ironBallWearsOff()
{
    TGame Game(Channel()); // neither won nor lost meanwhile
    Game.PlaceBall(300, BricksTop / 2, BallBaseSpeed * 0.6, -BallBaseSpeed * 0.8);
    Game.ApplyPowerUp(PowerUpIronBall);
    StepUntil(
        Game, [&] { return Game.State().IronStepsLeft == 0; }, 2 * IronBallSteps);
    QCOMPARE(Game.State().Steps, std::uint64_t(IronBallSteps));
}

void TestGameCore::capsuleAppliesItsPowerUpOnlyWhenCaught_data()
{
    QTest::addColumn<int>("powerUp");
    QTest::addColumn<bool>("caught");
    QTest::addColumn<QString>("effects");
    QTest::newRow("single shot") << int(PowerUpSingleShot) << true << "shots 1, balls 1, speed 330, iron 0, wall 0";
    QTest::newRow("extra ball") << int(PowerUpExtraBall) << true << "shots 0, balls 2, speed 330, iron 0, wall 0";
    QTest::newRow("lower speed") << int(PowerUpLowerSpeed) << true << "shots 0, balls 1, speed 247.5, iron 0, wall 0";
    QTest::newRow("faster speed") << int(PowerUpFasterSpeed) << true << "shots 0, balls 1, speed 429, iron 0, wall 0";
    QTest::newRow("iron ball") << int(PowerUpIronBall) << true << "shots 0, balls 1, speed 330, iron 1, wall 0";
    QTest::newRow("wall") << int(PowerUpWall) << true << "shots 0, balls 1, speed 330, iron 0, wall 1";
    QTest::newRow("wall missed") << int(PowerUpWall) << false << "shots 0, balls 1, speed 330, iron 0, wall 0";
}

void TestGameCore::capsuleAppliesItsPowerUpOnlyWhenCaught()
{
    QFETCH(int, powerUp);
    QFETCH(bool, caught);
    QFETCH(QString, effects);
    TGame Game(LevelWith({Spare, {10, 9, 1, powerUp}}));
    Game.PlacePaddle(caught ? CentreX(10) : PaddleWidth / 2);
    HitFromBelow(Game, 10, 9);
    QCOMPARE(Game.State().Capsules.size(), std::size_t(1));
    ParkBall(Game);
    StepUntil(Game, [&] { return Game.State().Capsules.empty(); });
    const TGameState& After = Game.State();
    QCOMPARE(QString("shots %1, balls %2, speed %3, iron %4, wall %5")
                 .arg(After.ShotsLoaded)
                 .arg(After.Balls.size())
                 .arg(After.BallSpeed)
                 .arg(After.IronStepsLeft > 0)
                 .arg(After.WallActive),
             effects);
    QCOMPARE(After.Lives, StartLives);
}

void TestGameCore::lastBreakableBrickWinsTheLevel()
{
    TGame Game(LevelWith({{3, 2, BrickFixed}, {10, 5, 1}}));
    HitFromBelow(Game, 10, 5);
    QCOMPARE(Game.State().Phase, TGamePhase::Won);
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
    QTest::addColumn<TGameState>("state");
    QTest::addColumn<QString>("line");
    using enum TGamePhase;
    QTest::newRow("waiting") << StateOf(Ready, 3, 0) << "Lives 3  |  Press Space to launch";
    QTest::newRow("paused while waiting") << StateOf(Ready, 2, 9, true) << "Lives 2  |  Paused";
    QTest::newRow("playing") << StateOf(Playing, 3, 9) << "Lives 3";
    QTest::newRow("paused hides power-ups") << StateOf(Playing, 3, 9, true, 1, true) << "Lives 3  |  Paused";
    QTest::newRow("one shot") << StateOf(Playing, 1, 9, false, 1) << "Lives 1  |  Space fires a shot";
    QTest::newRow("everything") << StateOf(Playing, 3, 9, false, 2, true)
                                << "Lives 3  |  Space fires 2 shots, Iron ball, Wall";
    QTest::newRow("cleared") << StateOf(Won, 2, 9) << "Lives 2  |  Level cleared!";
    QTest::newRow("nothing to break") << StateOf(Won, 3, 0)
                                      << "Lives 3  |  Level cleared! (this level has no breakable brick)";
    QTest::newRow("game over") << StateOf(Lost, 0, 9) << "Lives 0  |  Game over";
}

void TestGameCore::statusLineSaysWhatToDo()
{
    QFETCH(TGameState, state);
    QFETCH(QString, line);
    QCOMPARE(QString::fromStdString(GameStatusLine(state)), line);
}

void TestGameCore::sameSeedAndInputsGiveSameGame()
{
    TLevelData Level;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 2; Row < LevelRows; ++Row)
            Level.Cells[Column][Row] = {static_cast<std::uint8_t>(1 + (Column * 7 + Row) % 10),
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

void TestGameCore::launchAngleDependsOnTheSeed()
{
    QSet<double> Headings;
    for (std::uint64_t Seed = 1; Seed <= 8; ++Seed) {
        const TGame Game = LaunchedGame(LevelWith({Spare}), Seed);
        const TBall& Ball = Game.State().Balls.front();
        QCOMPARE(Game.State().Phase, TGamePhase::Playing);
        QCOMPARE(Speed(Ball), BallBaseSpeed);
        QVERIFY2(std::abs(HeadingDegrees(Ball)) >= 15 && std::abs(HeadingDegrees(Ball)) < 35,
                 qPrintable(QString("heading %1").arg(HeadingDegrees(Ball))));
        Headings << HeadingDegrees(Ball);
    }
    QCOMPARE(Headings.size(), 8);
}

QTEST_APPLESS_MAIN(TestGameCore)
#include "tst_game_core.moc"
