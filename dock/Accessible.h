// What the dock and the pop-up show to assistive technology (screen readers, magnifiers, voice
// control): each window as a list of named elements with a role, states, a place on the screen,
// a shortcut key and a default action, and the events that announce what changed.
//
// The controllers decide all of it (DockController::Elements, PopupController::Elements); the
// Win32 layer (platform/Accessible_win) only hands it out through the system's accessibility
// interface and raises the events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/System.h"

namespace qor {

enum class AccessRole {
    List,       // the ring window
    PushButton, // a ring position; the pop-up's "PgUp" and "PgDn"
    MenuPopup,  // the pop-up window
    MenuItem,   // a pop-up row
};

// State bits of an element.
namespace access {
constexpr uint32_t Unavailable = 1; // nothing to run (a blank slot, a button that cannot page)
constexpr uint32_t Focusable = 2;
constexpr uint32_t Focused = 4;    // the keyboard selection
constexpr uint32_t HotTracked = 8; // under the pointer
constexpr uint32_t Invisible = 16; // not on the screen (the ring while minimized or hidden)
constexpr uint32_t HasPopup = 32;  // Enter on it opens a group's pop-up
} // namespace access

struct AccessibleElement {
    std::string Name; // the caption: the item's cleaned Title
    AccessRole Role = AccessRole::PushButton;
    uint32_t States = 0;
    Rect Bounds;               // in screen coordinates
    std::string Shortcut;      // the key that runs it ("0".."9", "A".."Z", "~"), empty for none
    std::string DefaultAction; // what a left click does ("Open", "Run", ...), empty for nothing
};

// What the windows announce. Elements are numbered from 0 in the order of the list; -1 is the
// window itself.
enum class AccessEvent {
    Focus,      // the selection or the hover moved to an element (or the window took the focus)
    NameChange, // an element now shows another caption
    PopupStart, // the pop-up opened
    PopupEnd,   // the pop-up closed
};
const char* AccessEventName(AccessEvent event);

// The first visible element whose bounds hold the screen point (right and bottom edges
// excluded), or -1.
int ElementAt(const std::vector<AccessibleElement>& elements, int x, int y);

} // namespace qor
