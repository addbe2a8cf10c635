#pragma once

// Check Level: the level's problems framed on the grid until the next edit, and said in words.

#include "levelproblems.h"

#include <QObject>
#include <QString>

#include <vector>

class QPainter;
class TDrawGrid;
class TLevelDocument;

class TLevelCheck : public QObject {
    Q_OBJECT
public:
    TLevelCheck(TLevelDocument& Document, TDrawGrid& Grid);

    // Frames every problem cell of the level as it is now; returns the problems.
    std::vector<TLevelProblem> Show();
    void Clear();
    bool Showing() const { return FShowing; }
    // Red frames over the pictures, inside each problem cell.
    void DrawOver(QPainter& Canvas) const;

private:
    void Repaint();

    TLevelDocument& FDocument;
    TDrawGrid& FGrid;
    TCellPositions FCells;
    bool FShowing = false;
};

// "2 bricks can't be reached; nothing to break", or "" for a level without problems.
QString ProblemsText(const std::vector<TLevelProblem>& Problems);
