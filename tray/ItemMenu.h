// The item context menu (SetMainPopup): what a right click on a ring icon or on a member row of a
// group's pop-up offers — add a shortcut, delete, move up / down / to the top / to the bottom of
// the ring or the group, properties — which of those entries are enabled, and what each does.
//
// The menu acts on CurrentItem. For a ring icon ClickedSlot is that icon's position (so it equals
// CurrentItem); for a pop-up row ClickedSlot is the group whose pop-up is open and ClickedEntry the
// row's entry number (1..Count). Ring positions 4..IconCount move; 1..3 (My Computer, the recycle
// bin, All Programs) never do.
#pragma once

#include <array>
#include <functional>

namespace qor {

struct AppState;
class IDockActions;
class IProgramActions;
class IPopupActions;

// The entries in menu order; the two separators count as entries.
enum class ItemEntry {
    AddShortcut = 0,
    Delete = 1,
    Separator1 = 2,
    MoveUp = 3,
    MoveDown = 4,
    MoveTop = 5,
    MoveBottom = 6,
    Separator2 = 7,
    Properties = 8,
};
constexpr int kItemEntries = 9;
// Captions in menu order; "-" marks a separator.
extern const std::array<const char*, kItemEntries> kItemMenuCaptions;
using ItemMenuState = std::array<bool, kItemEntries>;

constexpr const char* kDeleteShortcutText = "Are you sure to delete the selected shortcut?";
constexpr const char* kDeleteShortcutCaption = "Delete Shortcut";

// The enabled state of every entry for CurrentItem (ShowItemMenu's rules): by the item's kind
// (shortcuts add nothing, empty slots delete nothing, a group without room adds nothing, All
// Programs does not move, system items and commands offer only "&Properties"), then by its
// position (the first movable ring position or first member moves neither up nor to the top, the
// last neither down nor to the bottom, an only member not at all).
ItemMenuState ItemMenuEnabled(const AppState& app);

// Moves ring item `from` to ring position `to` (both 4..36); the items between move one place
// towards `from`. Each item takes along its group record (entry 0 renumbered to its new slot), its
// record (IconRef renumbered when it named its own slot; a template picture stays) and its cached
// pictures. False when either position is not movable.
bool MoveRingItem(AppState& app, int from, int to);
// Moves the member at entry `from` of group `group` to entry `to` (both 1..Count); the members
// between move one place towards `from`. False when an entry is outside the group.
bool MoveGroupMember(AppState& app, int group, int from, int to);
// Exchanges the cached pictures of two item indices (0..1024; others are ignored).
void ExchangeCache(AppState& app, int a, int b);

class ItemMenu {
public:
    // `popup` may be null (no pop-up window): what would go to it is skipped.
    ItemMenu(AppState& app, IDockActions& dock, IProgramActions& program, IPopupActions* popup)
        : m_app(app), m_dock(dock), m_program(program), m_popup(popup) {}

    // Whether the dock window is the foreground window (after an entry ran, a dock in front is
    // sent back to rest). Unset: never.
    std::function<bool()> dockInFront;

    // Runs a chosen entry (SetPopup_Click): the property dialog (adding or not), deleting after
    // the question a shortcut needs, or a move. Separators do nothing.
    void Click(ItemEntry entry);
    // Moves CurrentItem one place up or down, or to the top or the bottom of its ring or group,
    // refreshes the ring or the pop-up and saves the item file.
    void ChangePosition(ItemEntry move);

private:
    // The pop-up closed and keyboard mode ended before a dialog or a question opens.
    void ToRest();
    void Save();

    AppState& m_app;
    IDockActions& m_dock;
    IProgramActions& m_program;
    IPopupActions* m_popup;
};

} // namespace qor
