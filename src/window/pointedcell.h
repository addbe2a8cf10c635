#pragma once

// The cell the user last acted on in the field: the cell under the pointer after the pointer moved over
// it, the current cell after a key or a wheel notch moved it, or once the pointer is over no cell. The
// status line names this cell and Pick takes its kinds.

#include "shapes.h"

#include <QObject>

class TDrawGrid;

class TPointedCell : public QObject {
    Q_OBJECT
public:
    explicit TPointedCell(TDrawGrid* Grid);

    TCellPos Cell() const;

signals:
    // The cell may be another one.
    void Changed();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void HoverMoved(int ACol, int ARow);
    void CurrentMoved();

    TDrawGrid* FGrid;
    TCellPos FHover{-1, -1};
    bool FFollowsPointer = false;
};
