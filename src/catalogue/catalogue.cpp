#include "catalogue.h"

#include "bitmap.h"
#include "imagelist.h"
#include "palettebar.h"

#include <QString>

#include <stdexcept>

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

TFieldPictures FieldPicturesOf(const TBrickList& Bricks, const TPowerUpList& PowerUps)
{
    TFieldPictures Pictures;
    for (int I = 0; I < Bricks.Count(); ++I)
        if (Bricks.Items(I).Id < Pictures.Bricks.size())
            Pictures.Bricks[Bricks.Items(I).Id] = Bricks.Items(I).Bitmap;
    for (int I = 0; I < PowerUps.Count(); ++I)
        if (PowerUps.Items(I).Id < Pictures.PowerUps.size())
            Pictures.PowerUps[PowerUps.Items(I).Id] = PowerUps.Items(I).Bitmap;
    return Pictures;
}
