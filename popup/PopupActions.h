// What the item menu and the dock ask of the group pop-up. The pop-up's controller implements
// it; the dock (opening and closing) and the item menu (closing before a dialog, redrawing after
// a member moved) reach the pop-up only through this, so they are tested with a recording fake.
#pragma once

namespace qor {

class IPopupActions {
public:
    virtual ~IPopupActions() = default;

    // Opens the panel of ring position `slot` (0..36) when its group has members; a panel
    // already open is replaced.
    virtual void MenuFocus(int slot) = 0;
    // Closes the panel (nothing when closed); unless `noFormMainFocus`, the dock gets the focus.
    virtual void EscCancel(bool noFormMainFocus) = 0;
    // After the shown group changed (a member moved, removed or added): re-lays the open panel
    // and repaints it; closes it when the group has no members left. Nothing when closed.
    virtual void MenuResize() = 0;
};

} // namespace qor
