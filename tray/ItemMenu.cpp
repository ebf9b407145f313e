#include "tray/ItemMenu.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "dock/DockActions.h"
#include "dock/ImageCache.h"
#include "icons/IconResolve.h"
#include "popup/PopupActions.h"

namespace qor {

const std::array<const char*, kItemEntries> kItemMenuCaptions{
    "&Add Shortcut", "&Delete",      "-", "Move &Up",    "Move &Down",
    "Move &Top",     "Move &Bottom", "-", "&Properties",
};

namespace {

constexpr int kFirstMovableSlot = 4;
constexpr int kFirstSpecialKind = 7; // recycle bin, system items, commands, the centre

void Trace(const AppState& app, const std::string& text) {
    if (app.sys.trace && app.sys.trace->Enabled())
        app.sys.trace->Line(text);
}

void Disable(ItemMenuState& on, ItemEntry first, ItemEntry last) {
    for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i)
        on[static_cast<std::size_t>(i)] = false;
}

bool Movable(const Store& store, int slot) {
    return slot >= kFirstMovableSlot && slot <= kLastRingSlot && store.IsItem(slot) && store.IsGroup(slot);
}

// The entry (1..Count) of `item` in group `group`, 0 when the group does not list it.
int EntryOf(const Store& store, int group, int item) {
    if (!store.IsGroup(group))
        return 0;
    const DockGroup& g = store.Groups[group];
    const int count = std::min(g.Count, static_cast<int>(g.Members.size()) - 1);
    for (int j = 1; j <= count; ++j)
        if (g.Members[j] == item)
            return j;
    return 0;
}

// Two ring slots exchange what stands in them: group record, item record and pictures. What
// named its own slot is renumbered to the slot it now stands in.
void SwapRingSlots(AppState& app, int a, int b) {
    Store& store = app.store;
    std::swap(store.Items[a], store.Items[b]);
    if (store.Items[a].IconRef == b)
        store.Items[a].IconRef = a;
    if (store.Items[b].IconRef == a)
        store.Items[b].IconRef = b;
    std::swap(store.Groups[a], store.Groups[b]);
    store.Groups[a].Members[0] = a;
    store.Groups[b].Members[0] = b;
    ExchangeCache(app, a, b);
}

} // namespace

ItemMenuState ItemMenuEnabled(const AppState& app) {
    ItemMenuState on;
    on.fill(true);
    const Store& store = app.store;
    const DockRuntime& d = app.dock;
    const int item = d.CurrentItem;
    if (!store.IsItem(item)) {
        on.fill(false);
        return on;
    }

    switch (const int32_t k = store.Items[item].Kind) {
    case kind::Shortcut:
    case kind::Member:
        Disable(on, ItemEntry::AddShortcut, ItemEntry::AddShortcut);
        break;
    case kind::Free:
    case kind::Blank:
        Disable(on, ItemEntry::Delete, ItemEntry::Delete);
        break;
    case kind::Group:
        if (!GroupHasRoom(store, item))
            Disable(on, ItemEntry::AddShortcut, ItemEntry::AddShortcut);
        break;
    case kind::AllPrograms:
        if (!GroupHasRoom(store, item))
            Disable(on, ItemEntry::AddShortcut, ItemEntry::AddShortcut);
        Disable(on, ItemEntry::MoveUp, ItemEntry::MoveBottom);
        break;
    default:
        if (k >= kFirstSpecialKind)
            Disable(on, ItemEntry::AddShortcut, ItemEntry::Separator2);
        break;
    }

    if (item == d.ClickedSlot) { // a ring icon
        const int last = std::min(app.run.IconCount, kLastRingSlot);
        if (item < kFirstMovableSlot || item > last)
            Disable(on, ItemEntry::MoveUp, ItemEntry::MoveBottom);
        if (item == kFirstMovableSlot) {
            Disable(on, ItemEntry::MoveUp, ItemEntry::MoveUp);
            Disable(on, ItemEntry::MoveTop, ItemEntry::MoveTop);
        }
        if (item == last) {
            Disable(on, ItemEntry::MoveDown, ItemEntry::MoveDown);
            Disable(on, ItemEntry::MoveBottom, ItemEntry::MoveBottom);
        }
    } else { // a member of the group whose pop-up is open
        const int entry = EntryOf(store, d.ClickedSlot, item);
        const int count = entry > 0 ? store.Groups[d.ClickedSlot].Count : 0;
        if (count <= 1) {
            Disable(on, ItemEntry::MoveUp, ItemEntry::MoveBottom);
        } else if (entry == 1) {
            Disable(on, ItemEntry::MoveUp, ItemEntry::MoveUp);
            Disable(on, ItemEntry::MoveTop, ItemEntry::MoveTop);
        } else if (entry == count) {
            Disable(on, ItemEntry::MoveDown, ItemEntry::MoveDown);
            Disable(on, ItemEntry::MoveBottom, ItemEntry::MoveBottom);
        }
    }
    return on;
}

void ExchangeCache(AppState& app, int a, int b) {
    if (a < 0 || b < 0 || a > kItemBound || b > kItemBound || !app.sys.images)
        return;
    app.sys.images->SwapEntries(a, b);
}

bool MoveRingItem(AppState& app, int from, int to) {
    if (!Movable(app.store, from) || !Movable(app.store, to) || from == to)
        return false;
    // Exchanging neighbours one after the other carries the item to `to` and moves each one it
    // passes a place towards `from`.
    const int step = from < to ? 1 : -1;
    for (int j = from; j != to; j += step)
        SwapRingSlots(app, j, j + step);
    return true;
}

bool MoveGroupMember(AppState& app, int group, int from, int to) {
    Store& store = app.store;
    if (!store.IsGroup(group))
        return false;
    DockGroup& g = store.Groups[group];
    const int count = std::min(g.Count, static_cast<int>(g.Members.size()) - 1);
    if (from < 1 || from > count || to < 1 || to > count || from == to)
        return false;
    const auto at = [&](int j) { return g.Members.begin() + j; };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
    return true;
}

void ItemMenu::Click(ItemEntry entry) {
    Store& store = m_app.store;
    const int item = m_app.dock.CurrentItem;
    Trace(m_app, "item-menu click entry=" + std::to_string(static_cast<int>(entry)) +
                     " item=" + std::to_string(item));
    switch (entry) {
    case ItemEntry::AddShortcut:
    case ItemEntry::Properties:
        ToRest();
        m_program.ShowProperties(item, entry == ItemEntry::AddShortcut);
        break;
    case ItemEntry::Delete: {
        if (!store.IsItem(item))
            return;
        ToRest();
        const int32_t k = store.Items[item].Kind;
        if (k == kind::Shortcut || k == kind::Member) {
            IUi* ui = m_app.sys.ui;
            const int answer =
                ui ? ui->ShowMessage(kDeleteShortcutText, kDeleteShortcutCaption,
                                     mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::SetForeground)
                   : mb::IdNo;
            if (answer != mb::IdYes)
                return;
        }
        // A group asks its own question; declined, nothing changed.
        if (ClearItem(m_app, item, false) == 0)
            return;
        m_dock.Repaint();
        Save();
        break;
    }
    case ItemEntry::MoveUp:
    case ItemEntry::MoveDown:
    case ItemEntry::MoveTop:
    case ItemEntry::MoveBottom:
        ChangePosition(entry);
        break;
    default:
        return;
    }
    if (dockInFront && dockInFront())
        m_dock.EscCancel();
}

void ItemMenu::ChangePosition(ItemEntry move) {
    const Store& store = m_app.store;
    const DockRuntime& d = m_app.dock;
    const int item = d.CurrentItem;
    if (item == d.ClickedSlot) {
        const int last = std::min(m_app.run.IconCount, kLastRingSlot);
        const int to = move == ItemEntry::MoveUp     ? item - 1
                       : move == ItemEntry::MoveDown ? item + 1
                       : move == ItemEntry::MoveTop  ? kFirstMovableSlot
                                                     : last;
        if (item > last || to > last || !MoveRingItem(m_app, item, to))
            return;
        Trace(m_app, "item-menu move ring from=" + std::to_string(item) + " to=" + std::to_string(to));
        m_dock.Repaint();
    } else {
        const int group = d.ClickedSlot;
        // The row's entry must still hold the item the menu was opened for.
        const int from = d.ClickedEntry;
        if (from < 1 || EntryOf(store, group, item) != from)
            return;
        const int count = store.Groups[group].Count;
        const int to = move == ItemEntry::MoveUp     ? from - 1
                       : move == ItemEntry::MoveDown ? from + 1
                       : move == ItemEntry::MoveTop  ? 1
                                                     : count;
        if (!MoveGroupMember(m_app, group, from, to))
            return;
        Trace(m_app, "item-menu move member group=" + std::to_string(group) +
                         " from=" + std::to_string(from) + " to=" + std::to_string(to));
        if (m_popup)
            m_popup->MenuResize();
    }
    Save();
}

void ItemMenu::ToRest() {
    if (m_app.dock.PopupOpen && m_popup)
        m_popup->EscCancel(true);
    if (m_app.dock.KeyboardMode)
        m_dock.EscCancel();
}

void ItemMenu::Save() {
    const bool ok = SaveMenu(m_app);
    Trace(m_app, std::string("save file=menu reason=item-menu ok=") + (ok ? "1" : "0"));
}

} // namespace qor
