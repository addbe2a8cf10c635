#include "catalogue.h"

#include "bitmap.h"
#include "imagelist.h"
#include "palettebar.h"

#include <QString>

#include <stdexcept>

namespace {

constexpr TCatalogueEntry Bricks[] = {
    {1, "Brick 1, 1 Hit", "editor/images/brick001.bmp", '1'},
    {2, "Brick 2, 1 Hit", "editor/images/brick002.bmp", '2'},
    {3, "Brick 3, 1 Hit", "editor/images/brick003.bmp", '3'},
    {4, "Brick 1, 2 Hits", "editor/images/brick004.bmp", '4'},
    {5, "Brick 2, 2 Hits", "editor/images/brick005.bmp", '5'},
    {6, "Brick 3, 2 Hits", "editor/images/brick006.bmp", '6'},
    {7, "Brick 1, 3 Hits", "editor/images/brick007.bmp", '7'},
    {8, "Brick 2, 3 Hits", "editor/images/brick008.bmp", '8'},
    {9, "Brick 3, 3 Hits", "editor/images/brick009.bmp", '9'},
    {10, "Brick Fixed", "editor/images/brick_fixed.bmp", '#'},
};

constexpr TCatalogueEntry PowerUps[] = {
    {1, "PowerUp - Single Shot", "editor/images/pu_blue.bmp", 'S'},
    {2, "PowerUp - Extra Ball", "editor/images/pu_vio.bmp", 'E'},
    {3, "PowerUp - Lower Speed", "editor/images/pu_yellow.bmp", 'L'},
    {4, "PowerUp - Faster Speed", "editor/images/pu_grey.bmp", 'F'},
    {5, "PowerUp - Iron Ball", "editor/images/pu_green.bmp", 'I'},
    {6, "PowerUp - Wall", "editor/images/pu_braun.bmp", 'W'},
};

} // namespace

std::span<const TCatalogueEntry> BrickKinds()
{
    return Bricks;
}
std::span<const TCatalogueEntry> PowerUpKinds()
{
    return PowerUps;
}

TCatalogueItem::TCatalogueItem(std::uint8_t AId, const std::string& ImageFile, std::string AName) :
    Id(AId),
    Name(std::move(AName)),
    // Pictures are copied opaque wherever they are drawn: an alpha channel is dropped once, here.
    Bitmap(LoadBitmapFile(ImageFile).convertToFormat(QImage::Format_RGB32))
{
}

template <class TItem> TItem& TCatalogueList<TItem>::Items(int Index)
{
    if (Index < 0 || Index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")");
    return *FItems[static_cast<std::size_t>(Index)];
}

template <class TItem> const TItem& TCatalogueList<TItem>::Items(int Index) const
{
    return const_cast<TCatalogueList*>(this)->Items(Index);
}

template <class TItem>
void TCatalogueList<TItem>::AddItem(std::uint8_t Id, const std::string& ImageFile, const std::string& Name)
{
    FItems.push_back(std::make_unique<TItem>(Id, ImageFile, Name));
}

template <class TItem> TItem* TCatalogueList<TItem>::FindItem(std::uint8_t Id)
{
    for (const auto& Item : FItems)
        if (Item->Id == Id)
            return Item.get();
    return nullptr;
}

template <class TItem> const TItem* TCatalogueList<TItem>::FindItem(std::uint8_t Id) const
{
    return const_cast<TCatalogueList*>(this)->FindItem(Id);
}

template <class TItem>
void TCatalogueList<TItem>::BuildPalette(TImageList& ImageList, TPaletteToolBar* ToolBar,
                                         std::function<void(QObject*)> OnClick,
                                         std::function<void(const std::exception&)> OnError) const
{
    if (ToolBar)
        ToolBar->SetImages(&ImageList);
    for (const auto& Item : FItems) {
        try {
            const int Index = ImageList.Add(Item->Bitmap);
            if (Index < 0 || !ToolBar)
                continue;
            ToolBar->AddCheckButton(Index, QString::fromStdString(Item->Name), static_cast<const TItem*>(Item.get()),
                                    OnClick);
        } catch (const std::exception& Error) {
            if (!OnError)
                throw;
            OnError(Error);
        }
    }
}

template class TCatalogueList<TBrickItem>;
template class TCatalogueList<TPowerUpItem>;
