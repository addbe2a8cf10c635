#include "gamewindow.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "gamerules.h"
#include "gamestatus.h"

using namespace GameRules;

namespace {

constexpr double StatusHeight = 28;
constexpr double WindowHeight = FieldHeight + StatusHeight;
// After a stall (a dragged window, a debugger) the game resumes instead of racing through the lost time.
constexpr double MaxCatchUpSeconds = 0.1;

QRectF ToQt(const TGameRect& Rect)
{
    return QRectF(Rect.Left, Rect.Top, Rect.Width, Rect.Height);
}

} // namespace

TGameWindow::TGameWindow(const TLevelData& Level, const QString& LevelName, std::uint64_t Seed, QWidget* Parent) :
    QWidget(Parent),
    FGame(Level, Seed)
{
    setWindowTitle(QStringLiteral("Zolvane - %1").arg(LevelName));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(static_cast<int>(FieldWidth / 2), static_cast<int>(WindowHeight / 2));
    resize(static_cast<int>(FieldWidth), static_cast<int>(WindowHeight));

    FTimer.setTimerType(Qt::PreciseTimer);
    FTimer.setInterval(16);
    connect(&FTimer, &QTimer::timeout, this, &TGameWindow::tick);
    QElapsedTimer Elapsed;
    Elapsed.start();
    setClock([Elapsed] { return Elapsed.nsecsElapsed(); });
    FTimer.start();
}

void TGameWindow::setClock(TClock Clock)
{
    FClock = std::move(Clock);
    FLastTickNs = FClock();
    FAccumulatedSeconds = 0;
}

void TGameWindow::tick()
{
    const qint64 Now = FClock();
    FAccumulatedSeconds = std::min(FAccumulatedSeconds + (Now - FLastTickNs) * 1e-9, MaxCatchUpSeconds);
    FLastTickNs = Now;
    while (FAccumulatedSeconds >= StepSeconds) {
        FGame.Step(takeInput());
        FAccumulatedSeconds -= StepSeconds;
    }
    update();
}

TGameInput TGameWindow::takeInput()
{
    TGameInput Input;
    Input.PaddleDirection = (FRightHeld ? 1 : 0) - (FLeftHeld ? 1 : 0);
    Input.PaddleTarget = FPointerX;
    // Presses count once, on the first step after them.
    Input.Launch = std::exchange(FLaunchPending, false);
    Input.TogglePause = std::exchange(FPausePending, false);
    const TGameState& State = FGame.State();
    if (FAutoPlay && !State.Balls.empty()) {
        Input.Launch = State.Phase == TGamePhase::Ready || State.ShotsLoaded > 0;
        // Meet the lowest falling ball a little off the paddle's centre, the side changing now and then,
        // so that it flies off at varied angles.
        const TBall* Lowest = &State.Balls.front();
        for (const TBall& Ball : State.Balls) {
            if (Ball.VY > 0 && (Lowest->VY <= 0 || Ball.Y > Lowest->Y))
                Lowest = &Ball;
        }
        Input.PaddleTarget = Lowest->X + (static_cast<int>(State.Steps / 500 % 3) - 1) * PaddleWidth / 4;
    }
    return Input;
}

QTransform TGameWindow::fieldTransform() const
{
    const double Scale = std::min(width() / FieldWidth, height() / WindowHeight);
    QTransform Transform;
    Transform.translate((width() - FieldWidth * Scale) / 2, (height() - WindowHeight * Scale) / 2);
    Transform.scale(Scale, Scale);
    return Transform;
}

void TGameWindow::keyPressEvent(QKeyEvent* Event)
{
    switch (Event->key()) {
    case Qt::Key_Left:
        FLeftHeld = true;
        FPointerX.reset(); // the keys take over until the mouse moves again
        break;
    case Qt::Key_Right:
        FRightHeld = true;
        FPointerX.reset();
        break;
    case Qt::Key_Space:
        FLaunchPending = !Event->isAutoRepeat() || FLaunchPending;
        break;
    case Qt::Key_P:
        if (!Event->isAutoRepeat())
            FPausePending = !FPausePending;
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(Event);
    }
}

void TGameWindow::keyReleaseEvent(QKeyEvent* Event)
{
    if (Event->isAutoRepeat())
        return;
    if (Event->key() == Qt::Key_Left)
        FLeftHeld = false;
    else if (Event->key() == Qt::Key_Right)
        FRightHeld = false;
    else
        QWidget::keyReleaseEvent(Event);
}

void TGameWindow::mouseMoveEvent(QMouseEvent* Event)
{
    FPointerX = fieldTransform().inverted().map(Event->position()).x();
}

void TGameWindow::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton)
        FLaunchPending = true;
}

void TGameWindow::paintEvent(QPaintEvent*)
{
    QPainter Painter(this);
    Painter.fillRect(rect(), QColor(8, 8, 16));
    Painter.setTransform(fieldTransform());

    QLinearGradient Sky(0, 0, 0, FieldHeight);
    Sky.setColorAt(0, QColor(18, 24, 58));
    Sky.setColorAt(1, QColor(6, 8, 22));
    Painter.fillRect(QRectF(0, 0, FieldWidth, FieldHeight), Sky);

    paintBricks(Painter);
    paintCapsules(Painter);
    paintPaddleAndBalls(Painter);
    paintBanner(Painter);
    paintStatus(Painter);
}

void TGameWindow::paintBanner(QPainter& Painter) const
{
    const TGameState& State = FGame.State();
    QString Text;
    if (State.Phase == TGamePhase::Won)
        Text = QStringLiteral("Level cleared!");
    else if (State.Phase == TGamePhase::Lost)
        Text = QStringLiteral("Game over");
    else if (State.Paused)
        Text = QStringLiteral("Paused");
    else
        return;
    Painter.fillRect(QRectF(0, 0, FieldWidth, FieldHeight), QColor(0, 0, 0, 110));
    QFont Font = Painter.font();
    Font.setPixelSize(40);
    Font.setBold(true);
    Painter.setFont(Font);
    const QRectF Band(0, PaddleTop - 160, FieldWidth, 60);
    Painter.setPen(QColor(0, 0, 0, 160));
    Painter.drawText(Band.translated(2, 2), Qt::AlignCenter, Text);
    Painter.setPen(State.Phase == TGamePhase::Lost ? QColor(255, 120, 100) : QColor(255, 220, 110));
    Painter.drawText(Band, Qt::AlignCenter, Text);
}

void TGameWindow::paintBricks(QPainter& Painter) const
{
    const TGameState& State = FGame.State();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    for (int Column = 0; Column < LevelColumns; ++Column) {
        for (int Row = 0; Row < LevelRows; ++Row) {
            const TBrick& Brick = State.Bricks[Column][Row];
            if (!Brick.Present())
                continue;
            const QRectF Rect = ToQt(TGame::BrickRect(Column, Row));
            const QPixmap& Picture = FPictures.Brick(Brick.Code);
            if (Picture.isNull())
                Painter.fillRect(Rect, TGamePictures::BrickColour(Brick.Code));
            else
                Painter.drawPixmap(Rect, Picture, Picture.rect());

            // Damage: one crack per hit taken, over a darkening brick.
            const int HitsTaken = TGame::HitsForBrick(Brick.Code) - Brick.HitsLeft;
            if (HitsTaken > 0) {
                Painter.fillRect(Rect, QColor(0, 0, 0, 50 * HitsTaken));
                Painter.setPen(QPen(QColor(20, 10, 0, 220), 1.5));
                const double L = Rect.left(), T = Rect.top(), W = Rect.width(), H = Rect.height();
                Painter.drawPolyline(QPolygonF({QPointF(L + W * 0.3, T), QPointF(L + W * 0.42, T + H * 0.45),
                                                QPointF(L + W * 0.35, T + H * 0.7), QPointF(L + W * 0.45, T + H)}));
                if (HitsTaken > 1)
                    Painter.drawPolyline(QPolygonF({QPointF(L + W, T + H * 0.25), QPointF(L + W * 0.7, T + H * 0.5),
                                                    QPointF(L + W * 0.78, T + H * 0.8), QPointF(L + W * 0.6, T + H)}));
            }

            if (Brick.PowerUp == PowerUpNone)
                continue;
            // On whole pixels, so the small picture is drawn as sharp as in the editor.
            const QRectF Badge(Rect.left() + std::floor((BrickWidth - CapsuleWidth) / 2),
                               Rect.top() + std::floor((BrickHeight - CapsuleHeight) / 2), CapsuleWidth, CapsuleHeight);
            const QPixmap& Sign = FPictures.PowerUp(Brick.PowerUp);
            if (Sign.isNull())
                Painter.fillRect(Badge, TGamePictures::PowerUpColour(Brick.PowerUp));
            else
                Painter.drawPixmap(Badge, Sign, Sign.rect());
        }
    }
}

void TGameWindow::paintCapsules(QPainter& Painter) const
{
    const TGameState& State = FGame.State();
    Painter.setRenderHint(QPainter::Antialiasing, true);
    for (const TCapsule& Capsule : State.Capsules) {
        const QRectF Rect = ToQt(TGame::CapsuleRect(Capsule));
        const QPixmap& Sign = FPictures.PowerUp(Capsule.PowerUp);
        if (Sign.isNull())
            Painter.fillRect(Rect, TGamePictures::PowerUpColour(Capsule.PowerUp));
        else
            Painter.drawPixmap(Rect, Sign, Sign.rect());
        Painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
        Painter.setBrush(Qt::NoBrush);
        Painter.drawRoundedRect(Rect.adjusted(-1, -1, 1, 1), 3, 3);
    }
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QColor(255, 230, 90));
    for (const TShot& Shot : State.Shots)
        Painter.drawRoundedRect(ToQt(TGame::ShotRect(Shot)), 1.5, 1.5);
}

void TGameWindow::paintPaddleAndBalls(QPainter& Painter) const
{
    const TGameState& State = FGame.State();
    Painter.setRenderHint(QPainter::Antialiasing, true);
    Painter.setPen(Qt::NoPen);

    if (State.WallActive) {
        QLinearGradient Wall(0, WallTop, 0, WallTop + WallHeight);
        Wall.setColorAt(0, QColor(200, 140, 70));
        Wall.setColorAt(1, QColor(110, 65, 25));
        Painter.fillRect(QRectF(0, WallTop, FieldWidth, WallHeight), Wall);
    }

    const QRectF Paddle = ToQt(TGame::PaddleRect(State.PaddleX));
    QLinearGradient Metal(0, Paddle.top(), 0, Paddle.bottom());
    Metal.setColorAt(0, QColor(235, 240, 250));
    Metal.setColorAt(0.5, QColor(150, 165, 190));
    Metal.setColorAt(1, QColor(80, 90, 110));
    Painter.setBrush(Metal);
    Painter.drawRoundedRect(Paddle, PaddleHeight / 2, PaddleHeight / 2);
    if (State.ShotsLoaded > 0) {
        Painter.setBrush(QColor(255, 230, 90));
        Painter.drawRect(QRectF(State.PaddleX - ShotWidth / 2, PaddleTop - 3, ShotWidth, 3));
    }

    const bool Iron = State.IronStepsLeft > 0;
    for (const TBall& Ball : State.Balls) {
        const QRectF Rect = ToQt(TGame::BallRect(Ball));
        QRadialGradient Shine(Rect.center() - QPointF(1.5, 1.5), BallRadius * 1.4);
        Shine.setColorAt(0, Qt::white);
        Shine.setColorAt(1, Iron ? QColor(70, 150, 90) : QColor(170, 190, 230));
        Painter.setBrush(Shine);
        Painter.drawEllipse(Rect);
    }
}

QRectF TGameWindow::StatusBar()
{
    return QRectF(0, FieldHeight, FieldWidth, StatusHeight);
}

QFont TGameWindow::StatusFont(const QFont& Base)
{
    QFont Font = Base;
    Font.setPixelSize(14);
    Font.setBold(true);
    return Font;
}

QFont TGameWindow::HintFont(const QFont& Base)
{
    QFont Font = Base;
    Font.setPixelSize(12);
    Font.setBold(false);
    return Font;
}

TGameWindow::TStatusLayout TGameWindow::LayoutStatus(const QString& Status, const QFont& Base)
{
    constexpr double Margin = 10;
    constexpr double Gap = 24;
    const QRectF Inner = StatusBar().adjusted(Margin, 0, -Margin, 0);
    const QFontMetricsF StatusMetrics(StatusFont(Base));
    const QFontMetricsF HintMetrics(HintFont(Base));
    TStatusLayout Layout;
    const double StatusWidth = std::min(StatusMetrics.horizontalAdvance(Status), Inner.width());
    Layout.Status = QRectF(Inner.left(), Inner.top(), StatusWidth, Inner.height());
    for (const QString& Hint : {QStringLiteral("Mouse/arrows move, Space, P pause, Esc quit"),
                                QStringLiteral("P pause, Esc quit"), QStringLiteral("Esc quit")}) {
        const double HintWidth = HintMetrics.horizontalAdvance(Hint);
        if (StatusWidth + Gap + HintWidth <= Inner.width()) {
            Layout.Hint = QRectF(Inner.right() - HintWidth, Inner.top(), HintWidth, Inner.height());
            Layout.HintText = Hint;
            break;
        }
    }
    return Layout;
}

void TGameWindow::paintStatus(QPainter& Painter) const
{
    const TGameState& State = FGame.State();
    Painter.fillRect(StatusBar(), QColor(24, 26, 36));
    const QString Status = QString::fromStdString(GameStatusLine(State));
    const QFont Base = Painter.font();
    const TStatusLayout Layout = LayoutStatus(Status, Base);
    const bool Ended = State.Phase == TGamePhase::Won || State.Phase == TGamePhase::Lost;
    Painter.setFont(StatusFont(Base));
    Painter.setPen(Ended ? QColor(255, 215, 90) : QColor(220, 225, 235));
    // Wider than the whole bar only with a font far larger than ours; cut it off then rather than run over.
    const QString Shown = QFontMetricsF(StatusFont(Base)).elidedText(Status, Qt::ElideRight, Layout.Status.width());
    Painter.drawText(Layout.Status, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, Shown);
    if (Layout.HintText.isEmpty())
        return;
    Painter.setFont(HintFont(Base));
    Painter.setPen(QColor(130, 135, 150));
    Painter.drawText(Layout.Hint, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, Layout.HintText);
}
