// Files dropped from the shell onto the ring: while a drag passes over the dock, which position it
// is over and what a drop there would do (the indicator drawn beside the pointer and the effect
// reported to the drag source); on the drop, a new shortcut, a replaced one, a new group or more
// members of a group, or the files moved to the recycle bin.
//
// FrmMain's OLE drop target turns the system's calls into these events (dock/DropTarget_win);
// everything that decides lives here and reaches the window through IDropHost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/FieldText.h"

namespace qor {

struct AppState;
class ICanvas;
class IProgramActions;

// The indicator drawn with its top-left corner this far left of and above the pointer.
constexpr int kDropIndicatorOffset = 24;
// Files beyond this many of one drop are ignored.
constexpr std::size_t kMaxDroppedFiles = 1024;

enum class DropIndicator { None, NoDrop, AddIcon, ReplaceIcon };
// The skin element of an indicator ("NODROP", "ADDICON", "REPLACEICON"); -1 for none.
int DropIndicatorElement(DropIndicator indicator);

// DROPEFFECT values.
namespace dropeffect {
constexpr uint32_t None = 0;
constexpr uint32_t Copy = 1;
constexpr uint32_t Move = 2;
constexpr uint32_t Link = 4;
} // namespace dropeffect

// The indicator for a drag over ring position `slot` (0..IconCount) whose data does or does not
// carry a file list: "NODROP" while dragging is locked; for files, by the kind the dock shows
// there: a shortcut is replaced, a blank or the recycle bin adds, a group adds while it has room,
// the centre's user item adds while a ring position or All Programs is free; anything else
// refuses with "NODROP", except the kinds below 10 that take nothing, which show no indicator.
DropIndicator ChooseDropIndicator(AppState& app, int slot, bool hasFiles);

// The effect reported to the drag source for an indicator over `slot`, among the effects it
// `allowed`: a new or replaced shortcut links to the file (a copy when the source allows no
// link); the recycle bin moves it there; nothing else is a drop.
uint32_t DropEffectFor(DropIndicator indicator, int slot, uint32_t allowed);

// The paths of one drop that can be stored: those whose every character the code page has and
// that fit an item's Target (255 bytes). `refused` counts the others.
struct DroppedFiles {
    std::vector<std::string> paths;
    std::size_t refused = 0;
};
DroppedFiles StorableDroppedPaths(const std::vector<CodePageChars>& names);

constexpr const char* kGroupFullText =
    "This group is full. Please choose another group or create a new group!";
constexpr const char* kAddShortcutCaption = "Add Shortcut";
constexpr const char* kDeleteFilesText =
    "Are you sure you want to move the selected files and folders to the "
    "Recycle Bin?";
constexpr const char* kDeleteFilesCaption = "Delete File";
constexpr const char* kDesktopGroupFullText =
    "Desktop Group is full. The selected shortcut will be added to All programs Group";
constexpr const char* kNewGroupPrompt =
    "QOR Desktop will create a new shortcut group for you. Please enter the new group name.";
constexpr const char* kNewGroupCaption = "Add Shortcut Group";
constexpr const char* kNewGroupName = "New Group";
// The message for dropped files whose paths cannot be stored.
std::string RefusedDropText(std::size_t refused);

// SHFileOperation flags of DeleteToRecycleBin: allow undo (0x40) and no confirmation (0x10); the
// program asks its own question first.
constexpr unsigned kRecycleFlags = 0x50;
// Moves one file or folder to the recycle bin; the shell's result (0 on success).
int DeleteToRecycleBin(AppState& app, const std::string& path);

// What a drag over the dock asks of the dock window.
class IDropHost {
public:
    virtual ~IDropHost() = default;
    // The dock's canvas; null when the window has none (nothing is painted).
    virtual ICanvas* PaintCanvas() = 0;
    // Above the other windows while a drag is over it; at the bottom again afterwards.
    virtual void ToTopmost() = 0;
    virtual void ToBottom(bool quietly) = 0;
    // Writes the item file; false when it could not be written.
    virtual bool SaveMenu() = 0;
};

class DropTarget {
public:
    // `program` (for the group name's input window) may be null: a new group is then named
    // "New Group".
    DropTarget(AppState& app, IDropHost& host, IProgramActions* program)
        : m_app(app), m_host(host), m_program(program) {}

    // The pointer moved to (x, y) of the dock window during a drag (Form_OLEDragOver): sets
    // DragSlot to the position under it, draws the indicator and returns it.
    DropIndicator DragOver(int x, int y, bool hasFiles);
    // The drag left the dock or was cancelled: the ring at rest, at the bottom again.
    void DragLeave();
    // The drop on DragSlot (Form_OLEDragDrop): `files` are the storable paths of the drop in
    // the data object's order, `refused` the number that could not be stored (the user is told).
    void Drop(const std::vector<std::string>& files, bool hasFiles, std::size_t refused = 0);

private:
    void Paint(DropIndicator indicator, int x, int y);
    // The end of a drop: the ring at rest, saved when anything may have changed, at the bottom.
    void Finish(bool save);
    // A new group on `slot` named by the user, replacing what stood there.
    void MakeGroup(int slot);
    void Trace(const std::string& text) const;

    AppState& m_app;
    IDropHost& m_host;
    IProgramActions* m_program;
};

} // namespace qor
