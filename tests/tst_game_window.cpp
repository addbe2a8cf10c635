#include <QtTest>

#include <QTemporaryDir>

#include "gamepictures.h"
#include "gamerules.h"
#include "gamewindow.h"

using namespace GameRules;

char* toString(TGamePhase Phase)
{
    static const char* const Names[] = {"Ready", "Playing", "Won", "Lost"};
    return qstrdup(Names[static_cast<int>(Phase)]);
}

namespace {

constexpr int FullWidth = static_cast<int>(FieldWidth);
constexpr int FullHeight = static_cast<int>(FieldHeight) + 28;

TLevelData SampleLevel()
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.Cells[2][1] = {4, 0};
    Level.Cells[5][3] = {1, 2};
    Level.Cells[7][0] = {10, 0};
    return Level;
}

QImage Grabbed(QWidget& Widget, const TGameRect& Rect)
{
    return Widget.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(
        static_cast<int>(Rect.Left), static_cast<int>(Rect.Top), static_cast<int>(Rect.Width),
        static_cast<int>(Rect.Height));
}

QImage Filled(const TGameRect& Rect, const QColor& Colour)
{
    QImage Image(static_cast<int>(Rect.Width), static_cast<int>(Rect.Height), QImage::Format_RGB32);
    Image.fill(Colour);
    return Image;
}

TGameRect BadgeRect(int Column, int Row)
{
    const TGameRect Brick = TGame::BrickRect(Column, Row);
    return {Brick.Left + 3, Brick.Top + 3, CapsuleWidth, CapsuleHeight};
}

} // namespace

class TestGameWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void spaceLaunchesTheBall();
    void clickLaunchesTheBall();
    void pPausesAndResumes();
    void arrowKeysMoveThePaddleWhileHeld();
    void pointerMovesThePaddleThroughTheScaling_data();
    void pointerMovesThePaddleThroughTheScaling();
    void escapeClosesTheWindow();
    void bricksShowTheEditorsPicturesDoubled();
    void missingPicturesShowPlainColours();

private:
    void showWindow();

    QString FOldDir;
    std::unique_ptr<QTemporaryDir> FEmptyDir;
    std::unique_ptr<TGameWindow> FWindow;
};

void TestGameWindow::init()
{
    FOldDir = QDir::currentPath();
    FEmptyDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FEmptyDir->isValid());
    QDir::setCurrent(FEmptyDir->path());
}

void TestGameWindow::cleanup()
{
    FWindow.reset();
    QDir::setCurrent(FOldDir);
}

void TestGameWindow::showWindow()
{
    FWindow = std::make_unique<TGameWindow>(SampleLevel(), "test.lvl", 5);
    FWindow->resize(FullWidth, FullHeight);
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
}

void TestGameWindow::spaceLaunchesTheBall()
{
    showWindow();
    QCOMPARE(FWindow->windowTitle(), QString("Zolvane - test.lvl"));
    QCOMPARE(FWindow->Game().State().Phase, TGamePhase::Ready);
    QTest::keyClick(FWindow.get(), Qt::Key_Space);
    QTRY_COMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
    QTRY_VERIFY(FWindow->Game().State().Balls.front().Y < PaddleTop - 50);
}

void TestGameWindow::clickLaunchesTheBall()
{
    showWindow();
    QTest::mouseClick(FWindow.get(), Qt::LeftButton, {}, QPoint(FullWidth / 2, 400));
    QTRY_COMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
}

void TestGameWindow::pPausesAndResumes()
{
    showWindow();
    QTest::keyClick(FWindow.get(), Qt::Key_Space);
    QTRY_COMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
    const QPoint Empty(10, static_cast<int>(PaddleTop) - 20);
    const QColor Lit = FWindow->grab().toImage().pixelColor(Empty);
    QTest::keyClick(FWindow.get(), Qt::Key_P);
    QTRY_VERIFY(FWindow->Game().State().Paused);
    // The field is dimmed under the "Paused" banner.
    const QColor Dimmed = FWindow->grab().toImage().pixelColor(Empty);
    const double Keep = 1 - 110 / 255.0;
    const QColor Expected(qRound(Lit.red() * Keep), qRound(Lit.green() * Keep), qRound(Lit.blue() * Keep));
    const bool Close = std::abs(Dimmed.red() - Expected.red()) <= 1 && std::abs(Dimmed.green() - Expected.green()) <= 1
        && std::abs(Dimmed.blue() - Expected.blue()) <= 1;
    QVERIFY2(Close, qPrintable(QString("expected about %1, got %2").arg(Expected.name(), Dimmed.name())));
    const TGameState Frozen = FWindow->Game().State();
    QTest::qWait(150);
    QVERIFY(FWindow->Game().State() == Frozen);
    QTest::keyClick(FWindow.get(), Qt::Key_P);
    QTRY_VERIFY(!FWindow->Game().State().Paused);
    QTRY_VERIFY(FWindow->Game().State().Steps > Frozen.Steps + 5);
}

void TestGameWindow::arrowKeysMoveThePaddleWhileHeld()
{
    showWindow();
    const double Start = FWindow->Game().State().PaddleX;
    QTest::keyPress(FWindow.get(), Qt::Key_Left);
    QTRY_VERIFY(FWindow->Game().State().PaddleX < Start - 60);
    QTest::keyRelease(FWindow.get(), Qt::Key_Left);
    QTest::qWait(50);
    const double Stopped = FWindow->Game().State().PaddleX;
    QTest::qWait(150);
    QCOMPARE(FWindow->Game().State().PaddleX, Stopped);

    QTest::keyPress(FWindow.get(), Qt::Key_Right);
    QTRY_VERIFY(FWindow->Game().State().PaddleX > Stopped + 60);
    QTest::keyRelease(FWindow.get(), Qt::Key_Right);
    QCOMPARE(FWindow->Game().State().Balls.front().X, FWindow->Game().State().PaddleX);
}

void TestGameWindow::pointerMovesThePaddleThroughTheScaling_data()
{
    QTest::addColumn<int>("scale");
    QTest::newRow("natural size") << 1;
    QTest::newRow("doubled") << 2;
}

void TestGameWindow::pointerMovesThePaddleThroughTheScaling()
{
    QFETCH(int, scale);
    showWindow();
    FWindow->resize(FullWidth * scale, FullHeight * scale);
    QTRY_COMPARE(FWindow->size(), QSize(FullWidth * scale, FullHeight * scale));
    QTest::mouseMove(FWindow.get(), QPoint(120 * scale, 300 * scale));
    QTRY_COMPARE(FWindow->Game().State().PaddleX, 120.0);
    QCOMPARE(FWindow->Game().State().Balls.front().X, 120.0);
}

void TestGameWindow::escapeClosesTheWindow()
{
    showWindow();
    QTest::keyClick(FWindow.get(), Qt::Key_Escape);
    QTRY_VERIFY(!FWindow->isVisible());
}

void TestGameWindow::bricksShowTheEditorsPicturesDoubled()
{
    const QString Images = qEnvironmentVariable("ZOLVANE_GAME_DIR");
    QDir::setCurrent(Images);
    const QImage Brick = QImage("editor/images/brick004.bmp").convertToFormat(QImage::Format_RGB32);
    const QImage Fixed = QImage("editor/images/brick_fixed.bmp").convertToFormat(QImage::Format_RGB32);
    const QImage Extra = QImage("editor/images/pu_vio.bmp").convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!Brick.isNull() && !Fixed.isNull() && !Extra.isNull(), "the build draws the pictures first");
    showWindow();
    QCOMPARE(Grabbed(*FWindow, TGame::BrickRect(2, 1)), Brick.scaled(Brick.size() * 2));
    QCOMPARE(Grabbed(*FWindow, TGame::BrickRect(7, 0)), Fixed.scaled(Fixed.size() * 2));
    QCOMPARE(Grabbed(*FWindow, BadgeRect(5, 3)), Extra);
}

void TestGameWindow::missingPicturesShowPlainColours()
{
    showWindow();
    QCOMPARE(Grabbed(*FWindow, TGame::BrickRect(2, 1)),
             Filled(TGame::BrickRect(2, 1), TGamePictures::BrickColour(4)));
    QCOMPARE(Grabbed(*FWindow, TGame::BrickRect(7, 0)),
             Filled(TGame::BrickRect(7, 0), TGamePictures::BrickColour(10)));
    QCOMPARE(Grabbed(*FWindow, BadgeRect(5, 3)), Filled(BadgeRect(5, 3), TGamePictures::PowerUpColour(2)));
}

QTEST_MAIN(TestGameWindow)
#include "tst_game_window.moc"
