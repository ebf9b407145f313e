// The default catalogue: every built-in item and group is made here by code, since the program
// ships no item data. It runs before the item file is read, so stored items replace the defaults
// and the built-in commands are always current.
#include "items/Catalogue.h"

#include "core/AppState.h"
#include "core/Text.h"
#include "icons/Associations.h"
#include "icons/IconResolve.h"
#include "items/ShellLinks.h"
#include "platform/Shell.h"

namespace qor {

namespace {

struct CatalogueRow {
    int index;
    const char* title;
    const char* icon;
};

// Group 0 (the centre item): 65..80. Items 65, 72 and 75 take their captions from the state.
constexpr CatalogueRow kCentreGroup[] = {
    {65, nullptr, "UserDoc.png"},
    {66, "Modify User Name & User Icon", "UserIcon.png"},
    {67, "Settings", "Setting.png"},
    {68, "About QOR Desktop", "About.png"},
    {69, "Minimize", "Minimize.png"},
    {70, "Hide QOR Desktop", "HideQOR.png"},
    {71, "Exit", "Exit.png"},
    {72, nullptr, "Desktop.png"},
    {73, "Switch Desktop", "Switch.png"},
    {74, "Get Started", "Get Started.png"},
    {75, nullptr, nullptr},
    {76, "Shut Down", "Shutdown.png"},
    {77, "Restart", "Restart.png"},
    {78, "Log Off", "LogOff.png"},
    {79, "Lock This Computer", "LockWorkstation.png"},
    {80, "Monitor Off", "MonitorOff.png"},
};

// Group 1 (item 1, "My Computer"): 81..94.
constexpr CatalogueRow kComputerGroup[] = {
    {81, "My Computer", "My Computer.png"},
    {82, "Properties", "Properties.png"},
    {83, "Personalize", "Personal.png"},
    {84, "Screen Resolution", "Display.png"},
    {85, "Uninstall a Program", "Uninstall.png"},
    {86, "Network", "Network.png"},
    {87, "IE Properties", "IEProperty.png"},
    {88, "Control Panel", "CPanel.png"},
    {89, "Workgroup", "Workgroup.png"},
    {90, "Printers and Faxes", "Printer.png"},
    {91, "Device Manager", "DeviceManager.png"},
    {92, "Search", "Search.png"},
    {93, "Run", "Run.png"},
    {94, "Network Connections", "Network Connection.png"},
};

// Group 2 (item 2, the recycle bin): 101..103.
constexpr CatalogueRow kRecycleGroup[] = {
    {101, "Empty Recycle Bin", "TrashEmpty.png"},
    {102, "Open Recycle Bin", "TrashFull.png"},
    {103, "Recycle Bin Status", "TrashCheck.png"},
};

struct TemplateRow {
    int index;
    const char* title;
    int32_t kind;
    bool system;
    int32_t param;
    const char* icon;
};

constexpr TemplateRow kTemplates[] = {
    {37, "Recycle Bin (Empty)", kind::RecycleBin, true, 101, "RecycleEmpty.png"},
    {38, "Recycle Bin (Full)", kind::RecycleBin, true, 101, "RecycleFull.png"},
    {39, "File", kind::System, false, 0, "File.png"},
    {40, "Blank Shortcut", kind::System, false, 0, "Shortcut.png"},
    {41, "Application", kind::System, false, 0, "Application.png"},
    {42, "Group", kind::System, false, 0, "Group.png"},
};

enum class Root { Windows, System, ProgramFiles };
struct AccessoryRow {
    Root root;
    const char* name;
};

// Offered in this order; the missing ones are skipped by AddPathToItem.
constexpr AccessoryRow kAccessories[] = {
    {Root::System, "notepad.exe"},
    {Root::System, "mspaint.exe"},
    {Root::System, "calc.exe"},
    {Root::ProgramFiles, "Windows NT\\Accessories\\wordpad.exe"},
    {Root::ProgramFiles, "Windows Media Player\\wmplayer.exe"},
    {Root::System, "cmd.exe"},
    {Root::System, "msconfig.exe"},
    {Root::System, "SoundRecorder.exe"},
    {Root::System, "sndrec32.exe"},
    {Root::System, "SnippingTool.exe"},
    {Root::System, "StikyNot.exe"},
    {Root::System, "magnify.exe"},
    {Root::System, "osk.exe"},
    {Root::System, "mstsc.exe"},
    {Root::System, "taskmgr.exe"},
    {Root::Windows, "regedit.exe"},
    {Root::System, "cleanmgr.exe"},
    {Root::System, "dfrgui.exe"},
    {Root::System, "dfrg.msc"},
    {Root::System, "rstrui.exe"},
    {Root::System, "ntbackup.exe"},
};

std::string SysIcon(const AppState& app, const char* name) {
    return app.paths.SysIconsFolder + name;
}

std::string UserName(AppState& app) {
    return app.sys.sys ? CleanString(app.sys.sys->GetLogonUserName()) : "";
}

void MakeCommandItem(DockItem& d, int index) {
    d.Kind = kind::Command;
    d.IsSystem = kTrue;
    d.Param = index;
}

void FillGroup(AppState& app, int group, const CatalogueRow* rows, int count) {
    DockGroup& g = app.store.Groups[group];
    for (int j = 0; j < count; ++j) {
        g.Members[j + 1] = rows[j].index;
        MakeCommandItem(app.store.Items[rows[j].index], rows[j].index);
    }
    g.Count = count;
}

void SetTitles(AppState& app, const CatalogueRow* rows, int count) {
    for (int j = 0; j < count; ++j) {
        DockItem& d = app.store.Items[rows[j].index];
        if (rows[j].title)
            d.Title = rows[j].title;
        if (rows[j].icon)
            d.IconPath = SysIcon(app, rows[j].icon);
    }
}

// Caption and picture of the drag-lock item: they name what the item does next.
void SetDragLockItem(AppState& app) {
    DockItem& d = app.store.Items[75];
    const bool locked = app.cfg.LockDragging != 0;
    d.Title = locked ? "Allow Dragging" : "Lock Dragging";
    d.IconPath = SysIcon(app, locked ? "Allow Dragging.png" : "Lock Dragging.png");
}

template <std::size_t N> constexpr int CountOf(const CatalogueRow (&)[N]) {
    return static_cast<int>(N);
}

std::string AccessoryPath(const AppState& app, const AccessoryRow& row) {
    const std::string& root = row.root == Root::Windows  ? app.paths.WindowsFolder
                              : row.root == Root::System ? app.paths.SystemFolder
                                                         : app.paths.ProgramFilesFolder;
    return root.empty() ? std::string() : root + row.name;
}

struct EntryRow {
    int entry;
    const char* title;
    int32_t kind; // for 7 and 8: the kind in a ring slot (a member slot gets Kind 5)
    const char* icon;
};

constexpr EntryRow kEntries[] = {
    {3, "All Programs Group (Empty)", kind::AllPrograms, "All Programs Group.png"},
    {4, "System Folders & Drives Group", kind::Group, "Library.png"},
    {5, "Accessories Group", kind::Group, "WinGroup.png"},
    {6, "Microsoft Office Suite Group", kind::Group, "Microsoft Office Group.png"},
    {7, "Internet", kind::Shortcut, "Internet.png"},
    {8, "Check Email", kind::Shortcut, "Mailbox.png"},
};

} // namespace

void BuildDefaultCatalogue(AppState& app) {
    Store& store = app.store;
    if (store.Items.size() < kItemBound + 1 || store.Groups.size() < kGroupBound + 1)
        store.Create();

    // Every item draws its own image.
    for (int i = 1; i <= kItemBound; ++i)
        store.Items[i].IconRef = i;

    // Templates.
    for (const TemplateRow& t : kTemplates) {
        DockItem& d = store.Items[t.index];
        d.Title = t.title;
        d.Kind = t.kind;
        d.IsSystem = t.system ? kTrue : kFalse;
        d.Param = t.param;
        d.IconPath = SysIcon(app, t.icon);
    }

    // The two system slots and the blank ring slots.
    store.Items[1].Kind = kind::System;
    store.Items[2].Kind = kind::RecycleBin;
    for (int i = 9; i <= kLastRingSlot; ++i) {
        DockItem& d = store.Items[i];
        d.Title = "Blank Shortcut";
        d.Kind = kind::Blank;
        d.IconPath = SysIcon(app, "Shortcut.png");
    }

    // Group 0 and its command items.
    FillGroup(app, 0, kCentreGroup, CountOf(kCentreGroup));

    // The centre item: the user's name and picture.
    const std::string user = UserName(app);
    store.Items[0].Title = user;
    std::string userIcon = app.paths.UserIconFile;
    const bool hasUserIcon = app.sys.fs && PathExists(userIcon, *app.sys.fs);
    store.Items[0].IconPath = hasUserIcon ? app.paths.UserIconFile : std::string();

    // Captions and pictures of group 0.
    SetTitles(app, kCentreGroup, CountOf(kCentreGroup));
    store.Items[65].Title = "Open " + user + "'s Documents";
    store.Items[72].Title =
        app.run.DesktopIconsHidden ? "Always Show Desktop Icons" : "Always Hide Desktop Icons";
    SetDragLockItem(app);

    // Group 1 and "My Computer".
    FillGroup(app, 1, kComputerGroup, CountOf(kComputerGroup));
    DockItem& computer = store.Items[1];
    computer.Title = "My Computer";
    computer.Kind = kind::System;
    computer.IsSystem = kTrue;
    computer.Param = 81;
    computer.IconPath = SysIcon(app, "My Computer.png");
    SetTitles(app, kComputerGroup, CountOf(kComputerGroup));

    // The ring's recycle bin is a copy of the template that matches the bin now.
    store.Items[2] = store.Items[IsRecycleBinFull(app.sys.shell) ? kRecycleFullItem : kRecycleEmptyItem];

    // Group 2.
    FillGroup(app, 2, kRecycleGroup, CountOf(kRecycleGroup));
    SetTitles(app, kRecycleGroup, CountOf(kRecycleGroup));
}

void SetDefaultEntry(AppState& app, int entry, int index) {
    if (entry < 3 || entry > 8)
        return;
    if (index == 0)
        index = entry;
    Store& store = app.store;
    if (!store.IsItem(index))
        return;
    const EntryRow& row = kEntries[entry - 3];

    if (entry <= 6) {
        // The four group entries need a group of their own: a ring slot.
        if (index > kLastRingSlot || !store.IsGroup(index))
            return;
        DockItem& d = store.Items[index];
        d.Title = row.title;
        d.Kind = row.kind;
        d.IconPath = SysIcon(app, row.icon);
        switch (entry) {
        case 3:
            // The desktops (all users' first), not the Start menu: hidden files stay out.
            FillFromFolder(app, index, app.paths.CommonDesktopFolder, "*.*", 0);
            FillFromFolder(app, index, app.paths.DesktopFolder, "*.*", 0);
            break;
        case 4:
            FillDrivesAndFolders(app, index);
            break;
        case 5:
            for (const AccessoryRow& a : kAccessories) {
                const std::string path = AccessoryPath(app, a);
                if (!path.empty())
                    AddPathToItem(app, path, index);
            }
            break;
        case 6:
            FillOfficeApplications(app, index);
            break;
        }
        return;
    }

    DockItem& d = store.Items[index];
    d.Title = row.title;
    d.Kind = index > kLastRingSlot ? kind::Member : row.kind;
    d.IconPath = SysIcon(app, row.icon);
    d.Target = FindDefaultProgram(app, entry == 7 ? 0 : 1);
}

std::string CheckWindowsVersion(AppState& app, int& major, bool& refused) {
    refused = false;
    if (!app.sys.sys)
        return {};
    const OsVersion v = app.sys.sys->GetOsVersion();
    if (!v.valid)
        return {};
    const std::string tail = CleanString(v.servicePack) + " (Build " + std::to_string(v.build) + ")";

    if (v.platform == 1) {
        // The consumer line (95, 98, Millennium) is not supported.
        const char* name = v.minor == 0    ? "Microsoft Windows 95 "
                           : v.minor == 10 ? "Microsoft Windows 98 "
                           : v.minor == 90 ? "Microsoft Windows Mellennium "
                                           : "";
        const std::string text = name + tail;
        if (app.sys.ui)
            app.sys.ui->ShowMessage("Sorry! QOR Desktop doesn't support " + text, "Warning !",
                                    mb::IconExclamation);
        refused = true;
        return text;
    }
    if (v.platform != 2)
        return {};

    major = static_cast<int>(v.major);
    const char* name = nullptr;
    if (v.major == 3)
        name = "Microsoft Windows NT 3.51 ";
    else if (v.major == 4)
        name = "Microsoft Windows NT 4.0 ";
    else if (v.major == 5)
        name = v.minor == 0   ? "Microsoft Windows 2000 "
               : v.minor == 1 ? "Microsoft Windows XP "
               : v.minor == 2 ? "Microsoft Windows 2003 "
                              : nullptr;
    else if (v.major == 6)
        name = v.minor == 0   ? "Microsoft Windows Vista "
               : v.minor == 1 ? "Microsoft Windows 7 "
               : v.minor == 2 ? "Microsoft Windows 2008 "
                              : nullptr;
    return name ? name + tail : std::string();
}

} // namespace qor
