#pragma once

// The choice in a palette, kept beside its buttons: at most one button of a palette is down, and it is
// the one whose item is chosen. The chosen code itself is the window's (FSelectedBrick, FSelectedPowerUp).

#include "palettebar.h"

#include <any>
#include <cstdint>

namespace PaletteChoice {

template <class TItem> std::uint8_t CodeOf(const TPaletteButton* Button)
{
    return std::any_cast<const TItem*>(Button->Tag)->Id;
}

inline void ReleaseButtons(TPaletteToolBar* ToolBar)
{
    for (TPaletteButton* Button : ToolBar->Buttons())
        Button->setChecked(false);
}

// The toolbar has already toggled the clicked button; the choice decides its final state, so that a second
// click un-chooses.
template <class TItem> void Click(TPaletteToolBar* ToolBar, std::uint8_t& Selected, QObject* Sender)
{
    ReleaseButtons(ToolBar);
    auto* Button = qobject_cast<TPaletteButton*>(Sender);
    if (!Button)
        return;
    const std::uint8_t Code = CodeOf<TItem>(Button);
    if (Code == Selected) {
        Selected = 0;
    } else {
        Selected = Code;
        Button->setChecked(true);
    }
}

// A code without a button in the palette (its picture failed to load) cannot be chosen by a click either.
template <class TItem> void Choose(TPaletteToolBar* ToolBar, std::uint8_t& Selected, std::uint8_t Code)
{
    ReleaseButtons(ToolBar);
    Selected = 0;
    if (Code == 0)
        return;
    for (TPaletteButton* Button : ToolBar->Buttons())
        if (CodeOf<TItem>(Button) == Code) {
            Selected = Code;
            Button->setChecked(true);
            return;
        }
}

// The code's button, or nullptr when its picture failed to load.
template <class TItem> TPaletteButton* ButtonOf(TPaletteToolBar* ToolBar, std::uint8_t Code)
{
    for (TPaletteButton* Button : ToolBar->Buttons())
        if (CodeOf<TItem>(Button) == Code)
            return Button;
    return nullptr;
}

// A key for a palette button is a click on it, toggle first and all, so that a second press un-chooses.
template <class TItem> void ClickButtonOf(TPaletteToolBar* ToolBar, std::uint8_t Code)
{
    if (TPaletteButton* Button = ButtonOf<TItem>(ToolBar, Code))
        Button->click();
}

} // namespace PaletteChoice
