#include <QtTest>

#include <QTemporaryDir>

#include "gamepictures.h"
#include "gamerules.h"
#include "gamestatus.h"
#include "gametesttools.h"
#include "gamewindow.h"

using namespace GameRules;

namespace {

constexpr int FullWidth = static_cast<int>(FieldWidth);
constexpr int FullHeight = static_cast<int>(FieldHeight) + 28;
// One step of the game on the test's clock, rounded up so that N of them always make N steps.
constexpr qint64 StepNs = 1'000'000'000 / StepsPerSecond + 1;
// Steps with an arrow key held, and how far they move the paddle.
constexpr int KeySteps = 12;
constexpr double KeyDistance = KeySteps * PaddleKeySpeed * StepSeconds;

QImage Grabbed(QWidget& Widget, const TGameRect& Rect)
{
    return Widget.grab()
        .toImage()
        .convertToFormat(QImage::Format_RGB32)
        .copy(static_cast<int>(Rect.Left), static_cast<int>(Rect.Top), static_cast<int>(Rect.Width),
              static_cast<int>(Rect.Height));
}

TLevelData ThreeBricks()
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.Cells[2][1] = {4, 0};
    Level.Cells[5][3] = {1, PowerUpExtraBall};
    Level.Cells[7][0] = {BrickFixed, 0};
    return Level;
}

QString StatusOf(TGamePhase Phase, int Shots = 0, bool Iron = false, bool Wall = false, std::uint64_t Steps = 1)
{
    TGameState State;
    State.Phase = Phase;
    State.Lives = 3;
    State.ShotsLoaded = Shots;
    State.IronStepsLeft = Iron ? 100 : 0;
    State.WallActive = Wall;
    State.Steps = Steps;
    return QString::fromStdString(GameStatusLine(State));
}

QString Describe(const QRectF& Rect)
{
    return QString("(%1..%2)").arg(Rect.left()).arg(Rect.right());
}

} // namespace

class TestGameWindow : public QObject {
    Q_OBJECT

private slots:
    void clickLaunchesTheBall();
    void pPausesUnderADimmedFieldAndResumes();
    void arrowKeysMoveThePaddleWhileHeld();
    void pointerMovesThePaddleThroughTheScaling();
    void escapeClosesTheWindow();
    void bricksShowTheEditorsPicturesOrPlainColours_data();
    void bricksShowTheEditorsPicturesOrPlainColours();
    void statusAndKeyHintKeepClearOfEachOther_data();
    void statusAndKeyHintKeepClearOfEachOther();
    void longestStatusIsDrawnLeftOfTheHint();

private:
    void showWindow(const TLevelData& Level = ThreeBricks());
    void runSteps(int Count);

    std::unique_ptr<TGameWindow> FWindow;
    qint64 FNow = 0;
};

void TestGameWindow::showWindow(const TLevelData& Level)
{
    FWindow = std::make_unique<TGameWindow>(Level, "test.lvl", 5);
    FWindow->setClock([this] { return FNow; });
    FWindow->resize(FullWidth, FullHeight);
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
}

// Lets Count steps of time pass on the test's clock and waits until the window's frames have caught up.
void TestGameWindow::runSteps(int Count)
{
    for (int Done = 0; Done < Count;) {
        const int Chunk = std::min(Count - Done, 10); // within what one frame catches up after a stall
        FNow += Chunk * StepNs;
        Done += Chunk;
        QTRY_COMPARE(FWindow->caughtUpTo(), FNow);
    }
}

// Space launches too: see the pause test.
void TestGameWindow::clickLaunchesTheBall()
{
    showWindow();
    QCOMPARE(FWindow->windowTitle(), QString("Zolvane - test.lvl"));
    runSteps(10);
    QCOMPARE(FWindow->Game().State().Phase, TGamePhase::Ready);
    QTest::mouseClick(FWindow.get(), Qt::LeftButton, {}, QPoint(FullWidth / 2, 400));
    runSteps(1);
    QCOMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
    runSteps(StepsPerSecond / 2);
    QVERIFY2(FWindow->Game().State().Balls.front().Y < PaddleTop - 50,
             qPrintable(QString::number(FWindow->Game().State().Balls.front().Y)));
}

void TestGameWindow::pPausesUnderADimmedFieldAndResumes()
{
    showWindow();
    QTest::keyClick(FWindow.get(), Qt::Key_Space);
    runSteps(1);
    QCOMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
    const QPoint Empty(10, static_cast<int>(PaddleTop) - 20);
    const QColor Lit = FWindow->grab().toImage().pixelColor(Empty);
    QTest::keyClick(FWindow.get(), Qt::Key_P);
    runSteps(1);
    QVERIFY(FWindow->Game().State().Paused);
    const QColor Dimmed = FWindow->grab().toImage().pixelColor(Empty); // under the banner's shade
    QVERIFY2(Dimmed.value() < Lit.value() * 0.7, qPrintable(Lit.name() + " not dimmed: " + Dimmed.name()));
    const TGameState Frozen = FWindow->Game().State();
    runSteps(StepsPerSecond);
    QVERIFY(FWindow->Game().State() == Frozen);
    QTest::keyClick(FWindow.get(), Qt::Key_P);
    runSteps(6);
    QCOMPARE(FWindow->Game().State().Steps, Frozen.Steps + 6);
}

void TestGameWindow::arrowKeysMoveThePaddleWhileHeld()
{
    showWindow();
    const double Start = FWindow->Game().State().PaddleX;
    QTest::keyPress(FWindow.get(), Qt::Key_Left);
    runSteps(KeySteps);
    QCOMPARE(FWindow->Game().State().PaddleX, Start - KeyDistance);
    QTest::keyRelease(FWindow.get(), Qt::Key_Left);
    runSteps(StepsPerSecond);
    QCOMPARE(FWindow->Game().State().PaddleX, Start - KeyDistance);
    QTest::keyPress(FWindow.get(), Qt::Key_Right);
    runSteps(KeySteps);
    QCOMPARE(FWindow->Game().State().PaddleX, Start);
    QTest::keyRelease(FWindow.get(), Qt::Key_Right);
}

void TestGameWindow::pointerMovesThePaddleThroughTheScaling()
{
    showWindow();
    FWindow->resize(FullWidth * 2, FullHeight * 2);
    QTRY_COMPARE(FWindow->size(), QSize(FullWidth * 2, FullHeight * 2));
    QTest::mouseMove(FWindow.get(), QPoint(240, 600));
    runSteps(StepsPerSecond / 4);
    QCOMPARE(FWindow->Game().State().PaddleX, 120.0);
}

void TestGameWindow::escapeClosesTheWindow()
{
    showWindow();
    QTest::keyClick(FWindow.get(), Qt::Key_Escape);
    QTRY_VERIFY(!FWindow->isVisible());
}

void TestGameWindow::bricksShowTheEditorsPicturesOrPlainColours_data()
{
    QTest::addColumn<bool>("pictures");
    QTest::newRow("pictures, bricks doubled") << true;
    QTest::newRow("no pictures") << false;
}

void TestGameWindow::bricksShowTheEditorsPicturesOrPlainColours()
{
    QFETCH(bool, pictures);
    QTemporaryDir Empty;
    const QString OldDir = QDir::currentPath();
    QDir::setCurrent(pictures ? qEnvironmentVariable("ZOLVANE_GAME_DIR") : Empty.path());
    const TGameRect Badge{TGame::BrickRect(5, 3).Left + 3, TGame::BrickRect(5, 3).Top + 3, CapsuleWidth, CapsuleHeight};
    const struct {
        TGameRect Rect;
        const char* File;
        int Scale;
        QColor Colour;
    } Cases[] = {{TGame::BrickRect(2, 1), "brick004.bmp", 2, TGamePictures::BrickColour(4)},
                 {TGame::BrickRect(7, 0), "brick_fixed.bmp", 2, TGamePictures::BrickColour(BrickFixed)},
                 {Badge, "pu_vio.bmp", 1, TGamePictures::PowerUpColour(PowerUpExtraBall)}};
    showWindow();
    QDir::setCurrent(OldDir);
    for (const auto& Case : Cases) {
        QImage Want(static_cast<int>(Case.Rect.Width), static_cast<int>(Case.Rect.Height), QImage::Format_RGB32);
        Want.fill(Case.Colour);
        if (pictures) {
            const QImage Picture = QImage(qEnvironmentVariable("ZOLVANE_GAME_DIR") + "/editor/images/" + Case.File)
                                       .convertToFormat(QImage::Format_RGB32);
            QVERIFY2(!Picture.isNull(), "the build draws the pictures first");
            Want = Picture.scaled(Picture.size() * Case.Scale);
        }
        QCOMPARE(Grabbed(*FWindow, Case.Rect), Want);
    }
}

void TestGameWindow::statusAndKeyHintKeepClearOfEachOther_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("hint");
    using enum TGamePhase;
    const QString Full = "Mouse/arrows move, Space, P pause, Esc quit";
    QTest::newRow("waiting") << StatusOf(Ready) << Full;
    QTest::newRow("game over") << StatusOf(Lost) << Full;
    QTest::newRow("everything") << StatusOf(Playing, 3, true, true) << QString();
    QTest::newRow("nothing to break") << StatusOf(Won, 0, false, false, 0) << QString();
    QTest::newRow("wider than the bar") << QString("Lives 3  |  ").repeated(12) << QString("(none)");
}

// Measured with the fonts the bar is painted in: the status never reaches the hint, and a hint is dropped
// to a shorter form, or left out, rather than overlap.
void TestGameWindow::statusAndKeyHintKeepClearOfEachOther()
{
    QFETCH(QString, status);
    QFETCH(QString, hint);
    const QFont Base = QApplication::font();
    const TGameWindow::TStatusLayout Layout = TGameWindow::LayoutStatus(status, Base);
    const QRectF Bar = TGameWindow::StatusBar();
    const double StatusWidth = QFontMetricsF(TGameWindow::StatusFont(Base)).horizontalAdvance(status);
    const double HintWidth = QFontMetricsF(TGameWindow::HintFont(Base)).horizontalAdvance(Layout.HintText);
    const QString Record = QString("status %1 wide in %2, hint \"%3\" %4 wide in %5, bar %6")
                               .arg(StatusWidth)
                               .arg(Describe(Layout.Status), Layout.HintText)
                               .arg(HintWidth)
                               .arg(Describe(Layout.Hint), Describe(Bar));
    QVERIFY2(Bar.contains(Layout.Status), qPrintable(Record));
    if (hint == "(none)") {
        QVERIFY2(Layout.HintText.isEmpty(), qPrintable(Record));
        return;
    }
    QVERIFY2(StatusWidth <= Layout.Status.width(), qPrintable(Record));
    if (!hint.isEmpty())
        QCOMPARE(Layout.HintText, hint);
    if (Layout.HintText.isEmpty())
        return;
    QVERIFY2(HintWidth <= Layout.Hint.width() && Bar.contains(Layout.Hint), qPrintable(Record));
    QVERIFY2(Layout.Status.right() + 16 <= Layout.Hint.left(), qPrintable(Record));
}

// In the painted bar: the ended game's yellow status lies wholly left of the grey hint, with a clear gap.
void TestGameWindow::longestStatusIsDrawnLeftOfTheHint()
{
    TLevelData Empty;
    Empty.Loaded = 1;
    showWindow(Empty);
    QCOMPARE(FWindow->Game().State().Phase, TGamePhase::Won);
    const QImage Bar = Grabbed(*FWindow, {0, FieldHeight, FieldWidth, 28});
    const QColor Background(24, 26, 36);
    int StatusRight = -1, HintLeft = Bar.width();
    for (int Y = 0; Y < Bar.height(); ++Y)
        for (int X = 0; X < Bar.width(); ++X) {
            const QColor C = Bar.pixelColor(X, Y);
            const int Difference = std::abs(C.red() - Background.red()) + std::abs(C.green() - Background.green()) +
                                   std::abs(C.blue() - Background.blue());
            if (C.red() > C.blue() + 30)
                StatusRight = std::max(StatusRight, X);
            else if (Difference >= 90 && C.blue() > C.red() + 5)
                HintLeft = std::min(HintLeft, X);
        }
    QVERIFY2(StatusRight > 200, qPrintable(QString("status ends at %1").arg(StatusRight)));
    QVERIFY2(HintLeft < Bar.width(), "no hint drawn");
    QVERIFY2(StatusRight + 12 <= HintLeft,
             qPrintable(QString("status ends at %1, hint starts at %2").arg(StatusRight).arg(HintLeft)));
}

QTEST_MAIN(TestGameWindow)
#include "tst_game_window.moc"
