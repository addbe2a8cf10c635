#pragma once

#include <QColor>
#include <QPixmap>

#include <array>

// The editor's element pictures as the game draws them: bricks doubled to 30x18, power-ups at their own
// 23x11. A picture that is missing or unreadable stays null, and the painter draws a plain colour instead.
class TGamePictures {
public:
    // Reads from editor/images/ under the current directory, which is the game directory.
    TGamePictures();

    const QPixmap& Brick(int Code) const; // 1..10; null for anything else
    const QPixmap& PowerUp(int Code) const; // 1..6; null for anything else

    static QColor BrickColour(int Code);
    static QColor PowerUpColour(int Code);

private:
    std::array<QPixmap, 11> FBricks;
    std::array<QPixmap, 7> FPowerUps;
    QPixmap FNone;
};
