#pragma once

// The element catalogues: the brick and power-up kinds, their pictures, and how a catalogue becomes a
// palette.

#include "elementkinds.h"
#include "fieldpainter.h"

#include <QImage>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QObject;
class TImageList;
class TPaletteToolBar;

// One kind: its code, display name and picture. The constructor loads the picture with LoadBitmapFile and
// lets its EToolkitError through; a half-built item frees what it had.
class TCatalogueItem {
public:
    TCatalogueItem(std::uint8_t AId, const std::string& ImageFile, std::string AName);

    std::uint8_t Id;
    std::string Name;
    QImage Bitmap;
};

class TBrickItem : public TCatalogueItem {
public:
    using TCatalogueItem::TCatalogueItem;
};

class TPowerUpItem : public TCatalogueItem {
public:
    using TCatalogueItem::TCatalogueItem;
};

// The items of one catalogue in insertion order; the list owns them, and an item's address stays the same
// for the list's lifetime (palette buttons point at their items).
template <class TItem> class TCatalogueList {
public:
    // Throws std::out_of_range "List index out of bounds (Index)".
    TItem& Items(int Index);
    const TItem& Items(int Index) const;
    int Count() const { return static_cast<int>(FItems.size()); }

    // Creates the item (loading its picture) and appends it; when loading fails the list is unchanged.
    void AddItem(std::uint8_t Id, const std::string& ImageFile, const std::string& Name);

    // The first item with this code, or nullptr.
    TItem* FindItem(std::uint8_t Id);
    const TItem* FindItem(std::uint8_t Id) const;

    // Adds each item's picture to ImageList and, with a toolbar, a check button for it: tool tip = Name,
    // Tag = const TItem* of the item, clicks to OnClick. The toolbar puts each new button at its left end,
    // so the palette shows the catalogue in reverse. A picture the image list refuses (too small, or
    // empty) fails that item: with OnError the error is passed on and the remaining items still get
    // their buttons; without it the error is thrown, and the buttons made before it stay.
    void BuildPalette(TImageList& ImageList, TPaletteToolBar* ToolBar, std::function<void(QObject*)> OnClick,
                      std::function<void(const std::exception&)> OnError = {}) const;

private:
    std::vector<std::unique_ptr<TItem>> FItems;
};

extern template class TCatalogueList<TBrickItem>;
extern template class TCatalogueList<TPowerUpItem>;

class TBrickList : public TCatalogueList<TBrickItem> {};
class TPowerUpList : public TCatalogueList<TPowerUpItem> {};

// The catalogues' pictures as the field painter takes them; a kind without an item draws nothing.
TFieldPictures FieldPicturesOf(const TBrickList& Bricks, const TPowerUpList& PowerUps);
