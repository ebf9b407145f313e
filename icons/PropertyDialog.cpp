#include "icons/PropertyDialog.h"

#include <algorithm>
#include <initializer_list>

#include "core/AppState.h"
#include "core/ConfigFiles.h"
#include "dock/DockActions.h"
#include "icons/IconResolve.h"
#include "icons/IconTools.h"
#include "items/Catalogue.h"
#include "items/DragDrop.h"

namespace qor {

namespace {

constexpr int kFirstSystemKind = 6; // the All Programs group, system items and commands
constexpr std::size_t kTitleWidth = 128;
constexpr std::size_t kPathWidth = 255;
constexpr std::size_t kArgumentsWidth = 128;

bool Exists(AppState& app, std::string path) {
    return app.sys.fs && PathExists(path, *app.sys.fs);
}

bool HasMembers(const AppState& app, int item) {
    return app.store.IsGroup(item) && app.store.Groups[item].Count > 0;
}

} // namespace

PropertyControls ControlStates(int dialogKind, int item) {
    PropertyControls c;
    if (dialogKind == kind::Group) {
        c.typeSelected = static_cast<int>(ItemType::Group);
        c.browse = c.target = c.arguments = c.run = false;
        c.type = {true, true, false};
    } else if (dialogKind >= kFirstSystemKind) {
        c.typeSelected = static_cast<int>(ItemType::System);
        c.browse = c.title = c.link = c.target = c.arguments = c.run = false;
        c.type = {false, false, true};
    } else {
        // 3 is no kind an item has; it selects no type.
        c.typeSelected = dialogKind == 3 ? -1 : static_cast<int>(ItemType::Shortcut);
        // Only a ring position has a group record of its own.
        c.type = {true, item <= kLastRingSlot && dialogKind != kAddingKind, false};
    }
    return c;
}

std::vector<std::string> LinkEntries(const AppState& app, int item, int dialogKind) {
    if (dialogKind == kAddingKind || dialogKind == 3 || !app.store.IsItem(item))
        return {};
    std::vector<std::string> entries{app.store.Items[item].Target.Peek()};
    const auto add = [&](std::initializer_list<const char*> more) {
        entries.insert(entries.end(), more.begin(), more.end());
    };
    switch (dialogKind) {
    case kind::Free:
    case kind::Blank:
        add({"Add New 'Internet' Shortcut", "Add New 'Check Email' Shortcut"});
        break;
    case kind::Shortcut:
    case kind::Member:
        add({"Replace by  New 'Internet' Shortcut", "Replace by  New 'Check Email' Shortcut"});
        break;
    case kind::Group:
        if (HasMembers(app, item))
            add({"Replace by  New 'System Folders & Drives Group'", "Replace by  New 'Accessories Group'",
                 "Replace by  New 'Microsoft Office Suite Group'"});
        else
            add({"Add New 'System Folders & Drives Group'", "Add New 'Accessories Group'",
                 "Add New 'Microsoft Office Suite Group'"});
        break;
    default:
        break;
    }
    return entries;
}

PropertyFields FieldsOf(const AppState& app, int item) {
    PropertyFields f;
    if (!app.store.IsItem(item))
        return f;
    const DockItem& d = app.store.Items[item];
    f.title = d.Title.Peek();
    f.link = d.Target.Peek();
    f.target = d.TargetPath.Peek();
    f.arguments = d.Arguments.Peek();
    // A damaged item file may hold any number: the list shows a window state it has.
    f.runMode = d.RunMode >= 0 && d.RunMode < static_cast<int>(kRunModeNames.size()) ? d.RunMode : 0;
    return f;
}

IconSource QorIconSource(AppState& app, int item) {
    if (!app.store.IsItem(item))
        return {};
    const DockItem& d = app.store.Items[item];
    std::string picture = d.LargeIconPath.Peek();
    if (!Exists(app, picture))
        picture = d.IconPath.Peek();
    if (Exists(app, picture))
        return {IconSource::From::File, picture};
    const std::string target = d.Target.Peek();
    if (Exists(app, target))
        return {IconSource::From::ShellIcon, target};
    return {};
}

PictureSize QorIconSize(int width, int height) {
    return {std::clamp(width, 0, kPictureSide), std::clamp(height, 0, kPictureSide)};
}

void PropertyDialog::Load() {
    Reload();
}

void PropertyDialog::Reload() {
    if (!m_app.store.IsItem(m_item))
        return;
    m_kind = m_app.store.Items[m_item].Kind;
    if (m_addMode) {
        m_host.ShowCaption(kAddShortcutDialogCaption);
        m_adding = m_kind == kind::Group || m_kind == kind::AllPrograms;
        m_addMode = false;
    }
    // Until the new member exists the dialog stays on it, whatever is clicked meanwhile.
    if (m_adding)
        m_kind = kAddingKind;
    if (m_kind != kAddingKind) {
        m_host.ShowFields(FieldsOf(m_app, m_item));
        m_host.ShowPicture(QorIconSource(m_app, m_item));
    }
    const std::vector<std::string> entries = LinkEntries(m_app, m_item, m_kind);
    m_host.ShowLinkEntries(entries, entries.empty() ? -1 : 0);
    m_host.ShowControls(ControlStates(m_kind, m_item));
}

bool PropertyDialog::Ask(const char* text, const char* caption, unsigned flags) {
    return m_host.Message(text, caption, mb::YesNo | mb::IconQuestion | flags) == mb::IdYes;
}

void PropertyDialog::ChooseLink(int entry) {
    const std::vector<std::string> entries = LinkEntries(m_app, m_item, m_kind);
    if (entry <= 0 || entry >= static_cast<int>(entries.size()))
        return;
    const bool group = m_kind == kind::Group;
    if (m_kind == kind::Shortcut || m_kind == kind::Member || (group && HasMembers(m_app, m_item))) {
        if (!Ask(kReplaceQuestion, kPropertyCaption, mb::DefButton2)) {
            m_host.ShowLinkEntries(entries, 0);
            return;
        }
        // A member keeps its place in the group, and nothing of what it pointed at: a target
        // left behind would still be what a click opens.
        if (m_kind == kind::Member)
            DiscardItem(m_app, m_item);
        else
            ClearItem(m_app, m_item, true);
    }
    const int catalogueEntry = group ? entry + 3 : entry + 6;
    Trace("properties link item=" + std::to_string(m_item) + " entry=" + std::to_string(catalogueEntry));
    SetDefaultEntry(m_app, catalogueEntry, m_item);
    BuildItemImages(m_app, m_item);
    Reload();
    m_dock.Repaint();
    Save("properties-link");
}

void PropertyDialog::ChooseType(ItemType type) {
    const int k = m_kind;
    // Only a ring position has a group record to become a group with.
    if (type == ItemType::Group && m_item <= kLastRingSlot &&
        (k == kind::Free || k == kind::Blank || k == kAddingKind || k == kind::Shortcut ||
         k == kind::Member)) {
        const bool proceed = !(k == kind::Shortcut || k == kind::Member) ||
                             Ask(kDeleteShortcutQuestion, "QOR Desktop", mb::SetForeground);
        if (proceed) {
            if (k != kAddingKind)
                ClearItem(m_app, m_item, true);
            DockItem& d = m_app.store.Items[m_item];
            d.Kind = kind::Group;
            d.Title = kNewGroupTitle;
            d.IconRef = m_item;
            d.IconPath = m_app.paths.SysIconsFolder + "Group.png";
            BuildItemImages(m_app, m_item);
            m_adding = false;
            Trace("properties type item=" + std::to_string(m_item) + " group");
        }
    } else if (type == ItemType::Shortcut && k == kind::Group) {
        if (!HasMembers(m_app, m_item) || Ask(kDeleteGroupItemsQuestion, "QOR Desktop", mb::SetForeground)) {
            ClearItem(m_app, m_item, true);
            Trace("properties type item=" + std::to_string(m_item) + " shortcut");
        }
    }
    // Also after a No: the buttons show the item's type again.
    Reload();
    m_dock.Repaint();
}

void PropertyDialog::Browse() {
    if (!m_app.store.IsItem(m_item))
        return;
    const DockItem& d = m_app.store.Items[m_item];
    std::string initial = d.Target.Peek();
    if (!Exists(m_app, initial))
        initial = d.TargetPath.Peek();
    FileDialogRequest request;
    request.title = "QOR Desktop - Properties";
    request.filter = "*.lnk;*.exe;*.*|*.lnk;*.exe;*.*";
    if (Exists(m_app, initial)) {
        request.initialName = initial;
        request.initialFolder = initial.substr(0, initial.find_last_of('\\') + 1);
    } else {
        request.initialFolder = m_app.paths.ProgramFilesFolder;
    }
    const std::string answer = m_host.OpenFile(request);
    if (answer.empty())
        return;
    if (m_kind == kAddingKind) {
        if (!AddMember(answer))
            return;
    } else {
        RepointItem(m_app, answer, m_item);
    }
    Trace("properties browse item=" + std::to_string(m_item));
    m_dock.Repaint();
    Reload();
    Save("properties-browse");
}

bool PropertyDialog::AddMember(const std::string& path) {
    const int group = m_item;
    if (!IsNewGroupMember(m_app, group, path)) {
        m_host.Message(kAlreadyMemberText, kAddShortcutCaption, mb::IconInformation | mb::SetForeground);
        return false;
    }
    if (!GroupHasRoom(m_app.store, group)) {
        m_host.Message(kGroupFullText, kAddShortcutCaption, mb::IconInformation | mb::SetForeground);
        return false;
    }
    std::string p = CleanString(path);
    if (!Exists(m_app, p))
        return false; // nothing to point the member at: no empty member is left behind
    const int member = NewGroupMember(m_app, group, p);
    if (member < 0)
        return false;
    RepointItem(m_app, p, member);
    m_item = member;
    m_app.dock.CurrentItem = member;
    m_adding = false;
    return true;
}

void PropertyDialog::ChangeIcon() {
    if (!m_app.store.IsItem(m_item) || !m_app.sys.icons)
        return;
    FileDialogRequest request;
    request.title = "QOR Desktop - Change Icon";
    request.filter = "*.ico;*.png|*.ico;*.png";
    const std::string answer = m_host.OpenFile(request);
    if (answer.empty())
        return;
    // The new picture is made first: a file that gives none leaves the item's picture as it was.
    const std::string name = NextCacheFileName(m_app);
    const bool ok = m_app.sys.icons->ConvertIconFile(answer, name) != 0 && Exists(m_app, name);
    Trace("properties change-icon item=" + std::to_string(m_item) + " ok=" + (ok ? "1" : "0"));
    if (!ok) {
        if (m_app.sys.fs)
            DeletePictureAndCopies(*m_app.sys.fs, m_app.paths, name);
        m_host.Message(kChangeIconFailedText, "QOR Desktop", mb::Ok | mb::IconExclamation);
        return;
    }
    DiscardCustomIcon(m_app, m_item);
    DockItem& d = m_app.store.Items[m_item];
    d.LargeIconPath = name;
    d.IconRef = m_item;
    BuildItemImages(m_app, m_item);
    m_dock.Repaint();
    m_host.ShowPicture(QorIconSource(m_app, m_item));
    Save("properties-icon");
}

void PropertyDialog::ResetIcon() {
    if (!m_app.store.IsItem(m_item))
        return;
    DiscardCustomIcon(m_app, m_item);
    DockItem& d = m_app.store.Items[m_item];
    const std::string& shipped = m_app.paths.SysIconsFolder;
    if (shipped.empty() || ToUpperAscii(d.IconPath.Peek().substr(0, shipped.size())) != ToUpperAscii(shipped))
        RefreshItemIcon(m_app, m_item);
    d.IconRef = m_item;
    d.LargeIconPath = "";
    BuildItemImages(m_app, m_item);
    m_dock.Repaint();
    m_host.ShowPicture(QorIconSource(m_app, m_item));
    Save("properties-reset-icon");
}

bool PropertyDialog::Store(const PropertyInput& input) {
    if (m_kind == kAddingKind || !m_app.store.IsItem(m_item))
        return true;
    struct Field {
        const char* name;
        const CodePageChars& chars;
        std::size_t width;
        FieldOverflow overflow;
        FieldFit fit;
    };
    Field fields[] = {
        {"title", input.title, kTitleWidth, FieldOverflow::Cut, {}},
        {"link", input.link, kPathWidth, FieldOverflow::Refuse, {}},
        {"target", input.target, kPathWidth, FieldOverflow::Refuse, {}},
        {"arguments", input.arguments, kArgumentsWidth, FieldOverflow::Cut, {}},
    };
    for (Field& f : fields) {
        f.fit = FitStoredField(f.chars, f.width, f.overflow);
        if (!f.fit.Accepted()) {
            m_host.Message(FieldRefusedText(f.name, f.fit.status, f.width), kPropertyCaption,
                           mb::Ok | mb::IconExclamation);
            m_host.FocusField(f.name);
            return false;
        }
    }
    DockItem& d = m_app.store.Items[m_item];
    d.Title = fields[0].fit.text;
    if (Exists(m_app, fields[1].fit.text))
        d.Target = fields[1].fit.text;
    if (input.runMode >= 0 && input.runMode < static_cast<int>(kRunModeNames.size()))
        d.RunMode = input.runMode;
    d.Arguments = fields[3].fit.text;
    d.TargetPath = fields[2].fit.text;
    // A renamed group keeps saying whether it is empty or full.
    if ((d.Kind == kind::Group || d.Kind == kind::AllPrograms) && m_item <= kLastRingSlot)
        UpdateGroupTitle(m_app, m_item);
    Trace("properties store item=" + std::to_string(m_item));
    Save("properties-ok");
    m_dock.Repaint();
    return true;
}

void PropertyDialog::Save(const char* reason) {
    const bool ok = SaveMenu(m_app);
    Trace(std::string("save file=menu reason=") + reason + " ok=" + (ok ? "1" : "0"));
}

void PropertyDialog::Trace(const std::string& text) const {
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(text);
}

} // namespace qor
