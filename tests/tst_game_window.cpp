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

QImage Grabbed(QWidget& Widget, const TGameRect& Rect)
{
    return Widget.grab()
        .toImage()
        .convertToFormat(QImage::Format_RGB32)
        .copy(static_cast<int>(Rect.Left), static_cast<int>(Rect.Top), static_cast<int>(Rect.Width),
              static_cast<int>(Rect.Height));
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

private:
    void showWindow();

    std::unique_ptr<TGameWindow> FWindow;
};

void TestGameWindow::showWindow()
{
    TLevelData Level;
    Level.Loaded = 1;
    Level.Cells[2][1] = {4, 0};
    Level.Cells[5][3] = {1, PowerUpExtraBall};
    Level.Cells[7][0] = {BrickFixed, 0};
    FWindow = std::make_unique<TGameWindow>(Level, "test.lvl", 5);
    FWindow->resize(FullWidth, FullHeight);
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
}

// Space launches too: see the pause test.
void TestGameWindow::clickLaunchesTheBall()
{
    showWindow();
    QCOMPARE(FWindow->windowTitle(), QString("Zolvane - test.lvl"));
    QCOMPARE(FWindow->Game().State().Phase, TGamePhase::Ready);
    QTest::mouseClick(FWindow.get(), Qt::LeftButton, {}, QPoint(FullWidth / 2, 400));
    QTRY_COMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
    QTRY_VERIFY(FWindow->Game().State().Balls.front().Y < PaddleTop - 50);
}

void TestGameWindow::pPausesUnderADimmedFieldAndResumes()
{
    showWindow();
    QTest::keyClick(FWindow.get(), Qt::Key_Space);
    QTRY_COMPARE(FWindow->Game().State().Phase, TGamePhase::Playing);
    const QPoint Empty(10, static_cast<int>(PaddleTop) - 20);
    const QColor Lit = FWindow->grab().toImage().pixelColor(Empty);
    QTest::keyClick(FWindow.get(), Qt::Key_P);
    QTRY_VERIFY(FWindow->Game().State().Paused);
    const QColor Dimmed = FWindow->grab().toImage().pixelColor(Empty); // under the banner's shade
    QVERIFY2(Dimmed.value() < Lit.value() * 0.7, qPrintable(Lit.name() + " not dimmed: " + Dimmed.name()));
    const TGameState Frozen = FWindow->Game().State();
    QTest::qWait(150);
    QVERIFY(FWindow->Game().State() == Frozen);
    QTest::keyClick(FWindow.get(), Qt::Key_P);
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
}

void TestGameWindow::pointerMovesThePaddleThroughTheScaling()
{
    showWindow();
    FWindow->resize(FullWidth * 2, FullHeight * 2);
    QTRY_COMPARE(FWindow->size(), QSize(FullWidth * 2, FullHeight * 2));
    QTest::mouseMove(FWindow.get(), QPoint(240, 600));
    QTRY_COMPARE(FWindow->Game().State().PaddleX, 120.0);
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

QTEST_MAIN(TestGameWindow)
#include "tst_game_window.moc"
