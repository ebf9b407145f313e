// Where the group pop-up's panel goes and how it scrolls: the panel beside the group's icon
// (GetMenuLoc), the rectangles of its rows and buttons (RowRects), the entries it lists
// (IniMenuParam), paging, the one-entry wheel step and the arrow keys, and which row a point
// hits.
//
// The panel is 268 pixels wide and shows at most PopupRows rows of 38 pixels. A group with more
// members than that switches to the scroll layout: a "PgUp" button above the rows and a "PgDn"
// button below them, and TopIndex entries hidden above the first row.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/System.h"

namespace qor {

struct AppState;

constexpr int kPanelWidth = 268;
constexpr int kRowHeight = 38;
constexpr int kMaxPopupRows = 18; // RowRects has room for the buttons and 18 rows
constexpr int kLastLetterEntry = 36;

// What the open panel shows (the fields of FrmSubMenu).
struct PopupPanel {
    int GroupSlot = -1; // ring position whose group is shown (0 the centre)
    int EntryCount = 0; // its members
    int MenuLeft = 0;   // top-left corner of the panel, in window pixels
    int MenuTop = 0;
    int TopIndex = 0; // entries hidden above the first row: row k shows entry TopIndex + k
    bool CanScrollUp = false;
    bool CanScrollDown = false;
    // Entries 1..EntryCount (index 0 unused): the member's item, image, caption and command code.
    std::vector<int> EntryItem;
    std::vector<int> EntryImage;
    std::vector<std::string> EntryCaption;
    std::vector<int> EntryParam;
    // Scroll layout: 0 the "PgUp" button, 1..R the rows, R + 1 "PgDn"; normal layout: rows
    // 1..EntryCount.
    std::array<Rect, kMaxPopupRows + 2> RowRects{};
    int LastHoverRow = -1; // row last drawn highlighted

    bool ScrollLayout(int popupRows) const { return EntryCount > popupRows; }
    // Rows on screen: PopupRows in the scroll layout, else one per entry.
    int RowsShown(int popupRows) const { return ScrollLayout(popupRows) ? popupRows : EntryCount; }
};

// The members of a group, bounded by what its Members array holds (a damaged file may claim more).
int GroupMemberCount(const AppState& app, int slot);

// Height of a panel of `count` entries: 38n + 20, or 38R + 80 in the scroll layout.
int PanelHeight(int count, int popupRows);

// The panel's left edge (isWidth) or top edge for `count` entries beside ring position `slot`
// (-1: the panel's own group). Beside the centre it opens 72 pixels right of the screen's centre,
// centred vertically. Beside a ring icon it is centred on the icon's rest square, kept on the
// screen, and opens outward: to the right when the icon's centre is right of the screen's centre
// or less than 2 pixels left of it, else to the left, touching the rest square.
int GetMenuLoc(const AppState& app, const PopupPanel& panel, bool isWidth, int count, int slot);

// The rectangles of the panel's layout at MenuLeft / MenuTop for EntryCount entries.
void FillRowRects(PopupPanel& panel, int popupRows);

// Fills the entry arrays from the shown group; the captions are cleaned and written back.
void IniMenuParam(AppState& app, PopupPanel& panel);

// One page up (true) or down. In the normal layout only the flags change.
void MenuUpAndDown(PopupPanel& panel, int popupRows, bool up);
// One entry up (true) or down, as a wheel notch does. In the normal layout only the flags change.
void MenuWheelStep(PopupPanel& panel, int popupRows, bool up);
// The arrow keys: the highlighted row `hoverRow` moves one row, scrolling one entry at the edges;
// returns the new row. With no row highlighted (or a button), Down starts at the first row and
// Up at the last.
int MenuArrow(PopupPanel& panel, int popupRows, bool up, int hoverRow);

// The row or button under (x, y) in window pixels, or -1: scroll layout 0..R + 1, normal layout
// 1..EntryCount, the first whose left <= x < right and top <= y <= bottom (a shared edge belongs
// to the upper row).
int HitTestRows(const PopupPanel& panel, int popupRows, int x, int y);

// Shortcut letter of entry e: "0".."9" for 1..10, "A".."Z" for 11..36; '\0' for any other.
char EntryLetter(int entry);

} // namespace qor
