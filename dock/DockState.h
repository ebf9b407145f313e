// The dock's run-time state shared by the ring, the pop-up, the hot keys and the menus.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "dock/Geometry.h"

namespace qor {

namespace dockstate {
constexpr int Expanded = 0;
constexpr int Minimized = 1;
constexpr int Hidden = 2;
} // namespace dockstate

struct DockRuntime {
    int HoverSlot = -1;
    int LastHoverSlot = -1;
    int State = dockstate::Expanded; // DockState: 0 expanded, 1 minimized, 2 hidden
    bool KeyboardMode = false;
    bool DockHidden = false;
    bool FadeOnHide = false;
    int IdleTicks = 0;
    bool PopupOpen = false;
    int PopupHoverRow = -1;
    bool PopupDragging = false;
    bool Dragging = false;
    int DragSlot = -1;
    int ClickedSlot = -1;
    int ClickedEntry = -1; // entry (1..Count) of the pop-up row last right-clicked
    int CurrentItem = -1;
    int CentreImage = -1;

    // Per-position data refreshed from the store by IniIconParam.
    std::array<int32_t, kSlotBound + 1> SlotImage{};
    std::array<int32_t, kSlotBound + 1> SlotKind{};
    std::array<std::string, kSlotBound + 1> SlotCaption{};
};

} // namespace qor
