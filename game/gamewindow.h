#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

#include "game.h"
#include "gamepictures.h"

class QPainter;

// The game's only window: draws the core's state and feeds it the player's input. The core runs on its
// own fixed clock; a ~60 Hz timer catches it up with real time.
class TGameWindow : public QWidget {
    Q_OBJECT

public:
    TGameWindow(const TLevelData& Level, const QString& LevelName, std::uint64_t Seed, QWidget* Parent = nullptr);

    const TGame& Game() const { return FGame; }
    // The time the game runs on, in nanoseconds from any fixed start. A steady clock unless another is
    // handed in: a test's clock lets it say exactly how much time passes.
    using TClock = std::function<qint64()>;
    void setClock(TClock Clock);
    // The clock's reading at the last frame: the game has caught up with that time.
    qint64 caughtUpTo() const { return FLastTickNs; }
    // The paddle follows the ball and launches by itself: for unattended runs and screenshots.
    void setAutoPlay(bool AutoPlay) { FAutoPlay = AutoPlay; }

    // The status bar below the field, in field pixels: the status from the left, the key hint at the
    // right in the longest form that keeps clear of the status, or none when even the shortest would not.
    struct TStatusLayout {
        QRectF Status;
        QRectF Hint;
        QString HintText;
    };
    static QRectF StatusBar();
    static QFont StatusFont(const QFont& Base);
    static QFont HintFont(const QFont& Base);
    static TStatusLayout LayoutStatus(const QString& Status, const QFont& Base);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    void tick();
    TGameInput takeInput();
    // Field pixels to window pixels: the whole field and the status line, scaled to fit and centred.
    QTransform fieldTransform() const;
    void paintBricks(QPainter& Painter) const;
    void paintCapsules(QPainter& Painter) const;
    void paintPaddleAndBalls(QPainter& Painter) const;
    // Big words across the field while the game stands still: paused, cleared or over.
    void paintBanner(QPainter& Painter) const;
    void paintStatus(QPainter& Painter) const;

    TGame FGame;
    TGamePictures FPictures;
    QTimer FTimer;
    TClock FClock;
    qint64 FLastTickNs = 0;
    double FAccumulatedSeconds = 0;
    bool FLeftHeld = false;
    bool FRightHeld = false;
    std::optional<double> FPointerX;
    bool FLaunchPending = false;
    bool FPausePending = false;
    bool FAutoPlay = false;
};
