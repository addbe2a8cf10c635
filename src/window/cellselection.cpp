#include "cellselection.h"

void TCellSelection::Set(TCellRect Rect)
{
    const TCellRect Before = FRect;
    FRect = ClipToField(Rect);
    if (!(FRect == Before))
        emit Changed(Before, FRect);
}
