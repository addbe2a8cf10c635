#include "levellist.h"

#include "levelfolder.h"
#include "levellistview.h"

#include <filesystem>

namespace {

QByteArray NameBytes(const std::string& Path)
{
    return QByteArray::fromStdString(std::filesystem::path(Path).filename().string());
}

} // namespace

void TLevelList::Fill(const std::string& Folder)
{
    for (const std::string& Name : ListLevelFolder(Folder))
        FView->AddName(QByteArray::fromStdString(Name));
}

void TLevelList::Add(const std::string& Path)
{
    if (!FView->FindName(NameBytes(Path)))
        FView->AddName(NameBytes(Path));
}

void TLevelList::ShowEdited(const std::string& Path)
{
    FView->SelectQuietly(Path.empty() ? nullptr : FView->FindName(NameBytes(Path)));
}

std::vector<std::string> TLevelList::Names() const
{
    std::vector<std::string> Names;
    for (const QByteArray& Name : FView->Names())
        Names.push_back(Name.toStdString());
    return Names;
}
