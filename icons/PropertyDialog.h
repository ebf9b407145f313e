// The property dialog FrmProperty as portable code: what it shows for an item (its texts, the
// link list, which controls are enabled, which type is selected, which picture), and what each
// control does to the item store. The Win32 dialog (icons/FrmProperty_win) moves values between
// its controls and this controller and implements IPropertyHost.
//
// The dialog works on one item, CurrentItem when it opened. Its "dialog kind" is the item's Kind,
// or kAddingKind while "&Add Shortcut" on a group has not added the new member yet.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/FieldText.h"
#include "platform/Ui.h"

namespace qor {

struct AppState;
class IDockActions;

constexpr int kAddingKind = -1;
constexpr const char* kPropertyCaption = "Properties";
constexpr const char* kAddShortcutDialogCaption = "Add Shortcut";
constexpr const char* kChangeIconFailedText = "Change icon failed";
constexpr const char* kReplaceQuestion = "Are you sure to replace?";
constexpr const char* kDeleteShortcutQuestion = "This operation will delete this shortcut, continue?";
constexpr const char* kDeleteGroupItemsQuestion =
    "This operation will delete all items of this group, continue?";
constexpr const char* kAlreadyMemberText = "This group already holds a shortcut to the file you chose.";
constexpr const char* kNewGroupTitle = "New Group  (Empty)";
// The picture box shows pictures up to this size on each side (at 96 dots per inch).
constexpr int kPictureSide = 128;

// The entries of the run list ("CombRun"), in list order: RunMode 0, 1, 2.
constexpr std::array<const char*, 3> kRunModeNames{"Normal Window", "Minimized", "Maximized"};
// The type buttons ("OptType").
enum class ItemType { Shortcut = 0, Group = 1, System = 2 };

// Which controls are enabled and which type button is selected (-1: none), by dialog kind.
struct PropertyControls {
    int typeSelected = -1;
    bool title = true, link = true, browse = true, target = true, arguments = true, run = true;
    std::array<bool, 3> type{true, true, true};

    bool operator==(const PropertyControls&) const = default;
};
PropertyControls ControlStates(int dialogKind, int item);

// The link list ("CombLink") of an item for a dialog kind: the item's cleaned Target first, then
// the catalogue entries it can become; empty while adding.
std::vector<std::string> LinkEntries(const AppState& app, int item, int dialogKind);

// The texts the dialog shows for an item; runMode is the run list's index.
struct PropertyFields {
    std::string title, link, target, arguments;
    int runMode = 0;
};
PropertyFields FieldsOf(const AppState& app, int item);

// Where DrawQorIcon takes the picture from: a picture file (LargeIconPath when it exists, else
// IconPath), else the shell's icon of the Target, else nothing.
struct IconSource {
    enum class From { Nothing, File, ShellIcon } from = From::Nothing;
    std::string path;

    bool operator==(const IconSource&) const = default;
};
IconSource QorIconSource(AppState& app, int item);
// The size a picture of width x height is drawn at: each side capped at kPictureSide by itself.
struct PictureSize {
    int width = 0, height = 0;
    bool operator==(const PictureSize&) const = default;
};
PictureSize QorIconSize(int width, int height);

// What the user typed when "&OK" is pressed, each text as code-page characters.
struct PropertyInput {
    CodePageChars title, link, target, arguments;
    int runMode = -1; // -1: nothing chosen
};

// The dialog window, as the controller uses it.
class IPropertyHost {
public:
    virtual ~IPropertyHost() = default;
    virtual void ShowCaption(const std::string& caption) = 0;
    virtual void ShowFields(const PropertyFields& fields) = 0;
    // Fills the link list and selects `selected` (-1: none), leaving the text as ShowFields set it.
    virtual void ShowLinkEntries(const std::vector<std::string>& entries, int selected) = 0;
    virtual void ShowControls(const PropertyControls& controls) = 0;
    // DrawQorIcon: the picture box shows the picture from `source`, or stays white.
    virtual void ShowPicture(const IconSource& source) = 0;
    // A message box or question owned by the dialog; the button pressed (mb::IdYes, ...).
    virtual int Message(const std::string& text, const std::string& caption, unsigned flags) = 0;
    // The open-file dialog owned by the dialog; the chosen path, or empty text.
    virtual std::string OpenFile(const FileDialogRequest& request) = 0;
    // Puts the keyboard focus on a text field ("title", "link", "target", "arguments").
    virtual void FocusField(const std::string& field) = 0;
};

class PropertyDialog {
public:
    // `addMode`: opened by "&Add Shortcut" (a group then gets a new member).
    PropertyDialog(AppState& app, IDockActions& dock, IPropertyHost& host, int item, bool addMode)
        : m_app(app), m_dock(dock), m_host(host), m_item(item), m_addMode(addMode) {}

    // Loading: the controls filled (Reload).
    void Load();
    // A link entry chosen from the list (CombLink click): entry 0 is the item's own target; the
    // others turn the item into a catalogue entry, after a question where something is lost.
    void ChooseLink(int entry);
    // A type button clicked (OptType click): a shortcut or blank becomes an empty group, a group
    // becomes a blank shortcut, after a question where something is lost. Not saved.
    void ChooseType(ItemType type);
    // "&Browse...": a file chosen for the item or, while adding, for a new member of the group.
    void Browse();
    // "&Change Icon" (a picture file of the user's) and "&Reset Default Icon".
    void ChangeIcon();
    void ResetIcon();
    // "&OK": the texts and the run mode stored, unless a text cannot be stored (the user is told
    // and the dialog stays). True when the dialog may close.
    bool Store(const PropertyInput& input);

    int DialogKind() const { return m_kind; }
    int Item() const { return m_item; }

private:
    void Reload();
    void Save(const char* reason);
    bool Ask(const char* text, const char* caption, unsigned flags);
    // Adds the chosen file to the group as a new member; false (the user told why) when the group
    // has no room or already holds it.
    bool AddMember(const std::string& path);
    void Trace(const std::string& text) const;

    AppState& m_app;
    IDockActions& m_dock;
    IPropertyHost& m_host;
    int m_item;
    bool m_addMode;        // PropertyAddMode: cleared by the first Reload
    bool m_adding = false; // adding to the group m_item until Browse adds the member
    int m_kind = 0;
};

} // namespace qor
