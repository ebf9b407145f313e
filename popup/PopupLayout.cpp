#include "popup/PopupLayout.h"

#include <algorithm>

#include "core/AppState.h"
#include "dock/Paint.h"

namespace qor {

namespace {

constexpr int kCentreGap = 72;    // the centre's panel starts this far right of the centre
constexpr int kOutwardSlack = -2; // an icon this far left of the centre still opens right
constexpr int kFrame = 10;        // the panel's frame above the first row and left of the rows
constexpr int kRowWidth = 248;
constexpr int kButtonHeight = 25;
constexpr int kScrollRowsTop = 40; // the rows start under "PgUp" and its separator
constexpr int kPgDnGap = 45;       // "PgDn" starts this far under the top, plus the rows

Rect RowRect(int left, int top, int height) {
    return Rect{left, top, left + kRowWidth, top + height};
}

} // namespace

int GroupMemberCount(const AppState& app, int slot) {
    if (!app.store.IsGroup(slot))
        return 0;
    const DockGroup& g = app.store.Groups[slot];
    const int room = static_cast<int>(g.Members.size()) - 1;
    return std::clamp(g.Count, 0, std::max(room, 0));
}

int PanelHeight(int count, int popupRows) {
    if (count > popupRows)
        return kRowHeight * popupRows + 80;
    return kRowHeight * count + 20;
}

int GetMenuLoc(const AppState& app, const PopupPanel& panel, bool isWidth, int count, int slot) {
    const int s = slot < 0 ? panel.GroupSlot : slot;
    const ScreenMetrics& screen = app.screen;
    const int h = PanelHeight(count, app.geo.PopupRows);
    if (s == kCentreItem)
        return isWidth ? screen.CentreX + kCentreGap : RoundHalfEven(screen.CentreY - h / 2.0);
    if (s < 0 || s > kSlotBound)
        return 0;
    const DockSlot& icon = app.geo.Slots[s];
    const double half = app.run.IconSize / 2.0;
    if (!isWidth) {
        const int top = RoundHalfEven(half + icon.IconTop - h / 2.0);
        if (top < 0)
            return 0;
        if (top + h > screen.ScreenHeight)
            return screen.ScreenHeight - h;
        return top;
    }
    if (half + icon.IconLeft - screen.CentreX > kOutwardSlack) {
        const int left = icon.IconLeft + app.run.IconSize;
        return left + kPanelWidth > screen.ScreenWidth ? screen.ScreenWidth - kPanelWidth : left;
    }
    return std::max(icon.IconLeft - kPanelWidth, 0);
}

void FillRowRects(PopupPanel& panel, int popupRows) {
    panel.RowRects.fill(Rect{});
    const int l = panel.MenuLeft + kFrame;
    const int t = panel.MenuTop;
    if (panel.ScrollLayout(popupRows)) {
        const int rows = std::min(popupRows, kMaxPopupRows);
        panel.RowRects[0] = RowRect(l, t + kFrame, kButtonHeight);
        for (int k = 1; k <= rows; ++k)
            panel.RowRects[k] = RowRect(l, t + kScrollRowsTop + kRowHeight * (k - 1), kRowHeight);
        panel.RowRects[rows + 1] = RowRect(l, t + kPgDnGap + kRowHeight * rows, kButtonHeight);
        return;
    }
    const int rows = std::min(panel.EntryCount, kMaxPopupRows);
    for (int k = 1; k <= rows; ++k)
        panel.RowRects[k] = RowRect(l, t + kFrame + kRowHeight * (k - 1), kRowHeight);
}

void IniMenuParam(AppState& app, PopupPanel& panel) {
    const int n = std::max(panel.EntryCount, 0);
    panel.EntryItem.assign(n + 1, 0);
    panel.EntryImage.assign(n + 1, 0);
    panel.EntryCaption.assign(n + 1, std::string());
    panel.EntryParam.assign(n + 1, 0);
    if (!app.store.IsGroup(panel.GroupSlot))
        return;
    const DockGroup& g = app.store.Groups[panel.GroupSlot];
    for (int e = 1; e <= n && e < static_cast<int>(g.Members.size()); ++e) {
        const int m = g.Members[e];
        panel.EntryItem[e] = m;
        if (!app.store.IsItem(m))
            continue;
        DockItem& item = app.store.Items[m];
        panel.EntryImage[e] = item.IconRef;
        panel.EntryCaption[e] = item.Title.Clean();
        panel.EntryParam[e] = item.Param;
    }
}

void MenuUpAndDown(PopupPanel& panel, int popupRows, bool up) {
    const int r = popupRows;
    if (up) {
        if (panel.TopIndex - r < 1) {
            panel.TopIndex = 0;
            panel.CanScrollUp = false;
        } else {
            panel.TopIndex -= r;
            panel.CanScrollUp = true;
        }
        panel.CanScrollDown = true;
    } else {
        if (panel.TopIndex + 2 * r < panel.EntryCount) {
            panel.TopIndex += r;
            panel.CanScrollDown = true;
        } else {
            panel.TopIndex = panel.EntryCount - r;
            panel.CanScrollDown = false;
        }
        panel.CanScrollUp = true;
    }
    if (!panel.ScrollLayout(popupRows))
        panel.TopIndex = 0; // every entry is on screen already
}

void MenuWheelStep(PopupPanel& panel, int popupRows, bool up) {
    const int r = popupRows;
    if (up) {
        if (panel.TopIndex < 2) {
            panel.TopIndex = 0;
            panel.CanScrollUp = false;
        } else {
            --panel.TopIndex;
            panel.CanScrollUp = true;
        }
        panel.CanScrollDown = true;
    } else {
        if (panel.TopIndex + 1 + r < panel.EntryCount) {
            ++panel.TopIndex;
            panel.CanScrollDown = true;
        } else {
            panel.TopIndex = panel.EntryCount - r;
            panel.CanScrollDown = false;
        }
        panel.CanScrollUp = true;
    }
    if (!panel.ScrollLayout(popupRows))
        panel.TopIndex = 0;
}

int MenuArrow(PopupPanel& panel, int popupRows, bool up, int hoverRow) {
    const int shown = std::min(popupRows, panel.EntryCount);
    const bool none = hoverRow < 1 || hoverRow > panel.EntryCount;
    if (up) {
        int row = none ? shown : hoverRow - 1;
        if (row < 1) {
            row = 1;
            if (panel.TopIndex > 0)
                MenuWheelStep(panel, popupRows, true);
        }
        return row;
    }
    int row = none ? 1 : hoverRow + 1;
    if (row > shown) {
        row = shown;
        if (panel.TopIndex + shown < panel.EntryCount)
            MenuWheelStep(panel, popupRows, false);
    }
    return row;
}

int HitTestRows(const PopupPanel& panel, int popupRows, int x, int y) {
    const bool scroll = panel.ScrollLayout(popupRows);
    const int first = scroll ? 0 : 1;
    const int last = std::min(scroll ? popupRows + 1 : panel.EntryCount, kMaxPopupRows + 1);
    for (int k = first; k <= last; ++k) {
        const Rect& r = panel.RowRects[k];
        if (r.left <= x && x < r.right && r.top <= y && y <= r.bottom)
            return k;
    }
    return -1;
}

char EntryLetter(int entry) {
    return entry >= 1 && entry <= kLastLetterEntry ? SlotLetter(entry) : '\0';
}

} // namespace qor
