#pragma once

// The cells the block commands work on: one rectangle of the field, or none.

#include "blocks.h"

#include <QObject>

class TCellSelection : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool Exists() const { return !FRect.Empty(); }
    // Empty when nothing is selected.
    TCellRect Rect() const { return FRect; }
    // Clipped to the field; a rectangle off the field clears the selection.
    void Set(TCellRect Rect);
    void Clear() { Set({}); }

signals:
    void Changed(TCellRect Before, TCellRect After);

private:
    TCellRect FRect;
};
