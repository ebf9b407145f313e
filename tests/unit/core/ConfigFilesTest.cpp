// The configuration files: folder and file names, the load rules of the settings record and of
// the item records, the ".bak" write pattern and the recovery from it, and the crash matrix
// (a save cut off at every counted file-system operation never costs the user the dock).
#include <gtest/gtest.h>

#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"
#include "core/Settings.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

const std::string kData = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\";
const std::string kCfg = kData + "QORCfg.cfg";
const std::string kMenu = kData + "QORMenu.cfg";
const std::string kUserData = "C:\\Users\\user\\AppData\\Roaming\\QORSoft\\QOR Desktop\\";

// The store as the default catalogue leaves it, for the parts these tests look at.
void PrepareStore(Store& store) {
    store.Create();
}

// An app with the screen measured and the defaults set, as InitializeState has them before
// it loads the files.
struct App : test::TestApp {
    App() {
        app.screen = MeasureScreen(sys.screen);
        SetDefaultSettings(app.cfg, app.run, app.screen);
        PrepareStore(app.store);
    }
};

DockItem Member(const std::string& title) {
    DockItem it;
    it.Kind = kind::Member;
    it.Title = title;
    it.Target = "C:\\Apps\\" + title + ".exe";
    it.IconPath = kData + "QorIcons\\1.png";
    return it;
}

// ---------------------------------------------------------------------------------------------
// InitPaths

TEST(InitPaths, FormsEveryName) {
    test::TestApp t;
    t.app.paths = Paths{};
    t.sys.programPath = "D:\\Tools\\QOR\\QORDesktop.EXE";
    InitPaths(t.app);
    const Paths& p = t.app.paths;
    EXPECT_EQ(p.ProgramDir, "D:\\Tools\\QOR\\");
    EXPECT_EQ(p.ProgramName, "QORDesktop");
    EXPECT_EQ(p.SysIconsFolder, "D:\\Tools\\QOR\\SysIcons\\");
    EXPECT_EQ(p.DataDir, kData);
    EXPECT_EQ(p.IconCacheFolder, kData + "QorIcons\\");
    EXPECT_EQ(p.UserIconFile, kData + "QorIcons\\User Icon.ico");
    EXPECT_EQ(p.SettingsFile, kCfg);
    EXPECT_EQ(p.MenuFile, kMenu);
    EXPECT_EQ(p.SettingsBackup, kCfg + ".bak");
    EXPECT_EQ(p.MenuBackup, kMenu + ".bak");
    const std::pair<const std::string*, const char*> folders[] = {
        {&p.WindowsFolder, "C:\\Windows\\"},
        {&p.SystemFolder, "C:\\Windows\\system32\\"},
        {&p.ProgramFilesFolder, "C:\\Program Files\\"},
        {&p.ProfileFolder, "C:\\Users\\user\\"},
        {&p.DesktopFolder, "C:\\Users\\user\\Desktop\\"},
        {&p.DocumentsFolder, "C:\\Users\\user\\Documents\\"},
        {&p.MusicFolder, "C:\\Users\\user\\Music\\"},
        {&p.VideosFolder, "C:\\Users\\user\\Videos\\"},
        {&p.PicturesFolder, "C:\\Users\\user\\Pictures\\"},
        {&p.FavoritesFolder, "C:\\Users\\user\\Favorites\\"},
        {&p.CommonDesktopFolder, "C:\\Users\\Public\\Desktop\\"},
    };
    for (const auto& [field, expected] : folders)
        EXPECT_EQ(*field, expected);
    // The write probe leaves nothing behind.
    for (const auto& [path, bytes] : t.fs.files)
        ADD_FAILURE() << "left behind: " << path;
}

TEST(InitPaths, CreatesBothLevelsAndTheIconCache) {
    test::TestApp t;
    for (const char* f : {"C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons",
                          "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop",
                          "C:\\Program Files\\Common Files\\QORSoft"})
        t.fs.folders.erase(f);
    InitPaths(t.app);
    EXPECT_EQ(t.app.paths.DataDir, kData);
    EXPECT_TRUE(t.fs.folders.count("C:\\Program Files\\Common Files\\QORSoft"));
    EXPECT_TRUE(t.fs.folders.count("C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop"));
    EXPECT_TRUE(t.fs.folders.count("C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons"));
}

TEST(InitPaths, FallsBackToTheUsersApplicationDataWhenTheCommonFolderIsNotWritable) {
    struct Case {
        const char* what;
        bool folderExists; // the data folder was made earlier (by an installer) but cannot be written
        bool noCommonFolder;
    } cases[] = {{"folders cannot be created", false, false},
                 {"folder exists, files cannot be written", true, false},
                 {"no common program-files folder", false, true}};
    for (const Case& c : cases) {
        test::TestApp t;
        t.fs.folders.erase("C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\QorIcons");
        if (!c.folderExists) {
            t.fs.folders.erase("C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop");
            t.fs.folders.erase("C:\\Program Files\\Common Files\\QORSoft");
        }
        t.fs.readOnlyFolders.insert("C:\\Program Files");
        t.fs.AddFolder("C:\\Users\\user\\AppData");
        t.fs.AddFolder("C:\\Users\\user\\AppData\\Roaming");
        if (c.noCommonFolder)
            t.sys.specialFolders.erase(csidl::ProgramFilesCommon);
        InitPaths(t.app);
        EXPECT_EQ(t.app.paths.DataDir, kUserData) << c.what;
        EXPECT_EQ(t.app.paths.MenuFile, kUserData + "QORMenu.cfg") << c.what;
        EXPECT_EQ(t.app.paths.IconCacheFolder, kUserData + "QorIcons\\") << c.what;
        EXPECT_TRUE(t.fs.folders.count(kUserData + "QorIcons")) << c.what;
    }
}

TEST(InitPaths, KeepsUsingTheUsersFolderOnceItHoldsTheDock) {
    test::TestApp t;
    t.fs.AddFolder("C:\\Users\\user\\AppData");
    t.fs.AddFolder("C:\\Users\\user\\AppData\\Roaming");
    t.fs.AddFolder("C:\\Users\\user\\AppData\\Roaming\\QORSoft");
    t.fs.AddFolder(kUserData);
    t.fs.AddFile(kUserData + "QORMenu.cfg.bak", "x");
    InitPaths(t.app); // the common folder is writable now, but the dock lives in the user's folder
    EXPECT_EQ(t.app.paths.DataDir, kUserData);
}

TEST(InitPaths, TakesTheDockAlongWhenTheCommonFolderBecameReadOnly) {
    test::TestApp t;
    t.fs.AddFile(kCfg, "settings");
    t.fs.AddFile(kMenu, "menu");
    t.fs.readOnlyFolders.insert("C:\\Program Files");
    t.fs.AddFolder("C:\\Users\\user\\AppData");
    t.fs.AddFolder("C:\\Users\\user\\AppData\\Roaming");
    InitPaths(t.app);
    EXPECT_EQ(t.app.paths.DataDir, kUserData);
    EXPECT_EQ(t.fs.files[kUserData + "QORCfg.cfg"], Bytes({'s', 'e', 't', 't', 'i', 'n', 'g', 's'}));
    EXPECT_TRUE(t.fs.Has(kUserData + "QORMenu.cfg"));
    EXPECT_TRUE(t.fs.Has(kCfg)); // the original stays where it was
}

// ---------------------------------------------------------------------------------------------
// Settings file

TEST(SaveSettings, WritesTheRecordAndItsBakWithTheRunTimeValues) {
    App t;
    t.app.run.IconSize = 40;
    t.app.run.MagnifiedSize = 80;
    t.app.run.Radius = 222;
    t.app.run.IconCount = 32;
    t.app.run.BackColor = {0, 0, 0, 77};
    t.app.cfg.LockDragging = kTrue;
    t.app.store.Items[0].IconPath.bytes.fill(0);
    t.app.store.Items[0].IconPath.bytes[0] = 'Z';
    ASSERT_TRUE(SaveSettings(t.app));

    const Bytes file = t.fs.files[kCfg];
    ASSERT_EQ(file.size(), 564u);
    EXPECT_EQ(t.fs.files[kCfg + ".bak"], file);
    auto rec = ParseSettings(file);
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->IconSize, 40);
    EXPECT_EQ(rec->MaxIconSize, 128);
    EXPECT_EQ(rec->MagnifiedSize, 80);
    EXPECT_EQ(rec->Radius, 222);
    EXPECT_EQ(rec->IconCountCode, 6);
    EXPECT_EQ(rec->BackColor[3], 77);
    EXPECT_EQ(rec->LockDragging, kTrue);
    // The centre item's IconPath as it is, zero bytes included.
    EXPECT_EQ(file[28], 'Z');
    EXPECT_EQ(file[29], 0);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_FALSE(t.fs.Has(kCfg + ".tmp"));
}

TEST(SaveSettings, AFailedWriteShowsItsMessage) {
    App t;
    t.fs.readOnlyFolders.insert(kData);
    EXPECT_FALSE(SaveSettings(t.app));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Writing configuration file failed! ");
    EXPECT_EQ(t.ui.messages[0].caption, "QOR Desktop");
    EXPECT_EQ(t.ui.messages[0].flags, mb::Ok | mb::IconExclamation);
}

TEST(SaveSettings, IsTracedWithItsSize) {
    App t;
    test::RecordingTrace trace;
    t.app.sys.trace = &trace;
    SaveSettings(t.app);
    ASSERT_FALSE(trace.lines.empty());
    EXPECT_NE(trace.lines.back().find("SaveSettings: 564 bytes"), std::string::npos) << trace.lines.back();
}

// Saves a record with the given edits as the settings file and loads it.
struct LoadedSettings {
    App t;
    bool result = false;
    explicit LoadedSettings(const std::function<void(DockSettings&)>& edit) {
        DockSettings s = t.app.cfg;
        s.AutoRun = 0;
        edit(s);
        t.fs.AddFile(kCfg, SerializeSettings(s));
        result = LoadSettings(t.app);
    }
};

TEST(LoadSettings, SizesRadiusAndCountFollowTheirRules) {
    // Screen: work area 1366 x 728, so MaxRadius 284 and the default radius 284.
    struct Case {
        int32_t icon, magnified, radius, code;
        int runIcon, runMagnified, runRadius, runCount;
    } cases[] = {
        {48, 64, 250, 4, 48, 64, 250, 24},    // all valid
        {12, 64, 250, 4, 48, 64, 250, 24},    // IconSize 12: the default 48 stays
        {129, 64, 250, 4, 48, 64, 250, 24},   // above MaxIconSize
        {16, 16, 250, 4, 16, 16, 250, 24},    // lowest valid sizes
        {48, 40, 250, 4, 48, 64, 250, 24},    // magnified below the rest size: rest + 16
        {120, 20, 250, 4, 120, 128, 250, 24}, // rest + 16 capped at 128
        {128, 129, 250, 4, 128, 128, 250, 24}, {48, 64, 199, 4, 48, 64, 284, 24}, // below MinRadius: default
        {48, 64, 200, 4, 48, 64, 200, 24},     {48, 64, 284, 4, 48, 64, 284, 24},
        {48, 64, 285, 4, 48, 64, 284, 24}, // above MaxRadius: default
        {48, 64, 250, 9, 48, 64, 250, 20}, // code 9: 20 icons, not the default 24
        {48, 64, 250, -1, 48, 64, 250, 20},    {48, 64, 250, 7, 48, 64, 250, 36},
        {48, 64, 250, 0, 48, 64, 250, 8},
    };
    for (const Case& c : cases) {
        LoadedSettings l([&](DockSettings& s) {
            s.IconSize = c.icon;
            s.MagnifiedSize = c.magnified;
            s.Radius = c.radius;
            s.IconCountCode = c.code;
        });
        const std::string what = std::to_string(c.icon) + "/" + std::to_string(c.magnified) + "/" +
                                 std::to_string(c.radius) + "/" + std::to_string(c.code);
        ASSERT_TRUE(l.result) << what;
        const RunSettings& run = l.t.app.run;
        EXPECT_EQ(run.IconSize, c.runIcon) << what;
        EXPECT_EQ(run.MagnifiedSize, c.runMagnified) << what;
        EXPECT_EQ(run.Radius, c.runRadius) << what;
        EXPECT_EQ(l.t.app.cfg.Radius, c.runRadius) << what;
        EXPECT_EQ(run.IconCount, c.runCount) << what;
        EXPECT_EQ(l.t.app.cfg.IconCountCode, (c.runCount - 8) / 4) << what;
    }
}

TEST(LoadSettings, OnlyTheOpacityComesFromTheColour) {
    LoadedSettings l([](DockSettings& s) { s.BackColor = {10, 20, 30, 99}; });
    EXPECT_EQ(l.t.app.run.BackColor, (std::array<uint8_t, 4>{0, 0, 0, 99}));
    EXPECT_EQ(l.t.app.run.BackColorArgb, 0x63000000u);
}

TEST(LoadSettings, TheStoredWindowPositionStaysOnTheScreen) {
    // Screen in twips: 20490 x 10920, so left 0..14250 and top 0..9885.
    struct Case {
        int32_t left, top, expectLeft, expectTop;
    } cases[] = {
        {0, 0, 7125, 9885}, {-1, -1, 7125, 9885},        {500, 0, 500, 0},
        {-5, 100, 0, 100},  {99999, 99999, 14250, 9885}, {14250, 9885, 14250, 9885},
    };
    for (const Case& c : cases) {
        LoadedSettings l([&](DockSettings& s) {
            s.WindowLeft = c.left;
            s.WindowTop = c.top;
        });
        EXPECT_EQ(l.t.app.cfg.WindowLeft, c.expectLeft) << c.left << "," << c.top;
        EXPECT_EQ(l.t.app.cfg.WindowTop, c.expectTop) << c.left << "," << c.top;
    }
}

TEST(LoadSettings, Spare4OutsideItsRangeBecomesZero) {
    for (auto [stored, expected] : {std::pair{8, 8}, {0, 0}, {9, 0}, {-1, 0}}) {
        LoadedSettings l([&](DockSettings& s) { s.Spare4 = stored; });
        EXPECT_EQ(l.t.app.cfg.Spare4, expected) << stored;
    }
}

TEST(LoadSettings, TheFlagsAreTakenAsStored) {
    LoadedSettings l([](DockSettings& s) {
        s.LockDragging = kTrue;
        s.HideGetStarted = -1;
        s.HideDesktopIcons = 1;
        s.AutoHide = 1;
        s.DisplayLetter = 1;
        s.MinimizedPosition = 7;
        s.ClearType = 1;
        s.Spare3 = 1234;
        s.Spare2 = "kept";
    });
    const DockSettings& c = l.t.app.cfg;
    EXPECT_EQ(c.LockDragging, kTrue);
    EXPECT_EQ(c.HideGetStarted, -1);
    EXPECT_EQ(c.HideDesktopIcons, 1);
    EXPECT_EQ(c.AutoHide, 1);
    EXPECT_EQ(c.DisplayLetter, 1);
    EXPECT_EQ(c.MinimizedPosition, 7);
    EXPECT_EQ(c.ClearType, 1);
    EXPECT_EQ(c.Spare3, 1234);
    EXPECT_EQ(c.Spare2.Peek(), "kept");
}

TEST(LoadSettings, TheCentrePictureIsTheUserPictureWhenItExists) {
    {
        App t;
        t.fs.AddFile(kData + "QorIcons\\User Icon.ico", "png");
        t.app.store.Items[0].IconPath = "C:\\old.png";
        t.fs.AddFile(kCfg, SerializeSettings(t.app.cfg));
        ASSERT_TRUE(LoadSettings(t.app));
        EXPECT_EQ(t.app.store.Items[0].IconPath.Peek(), kData + "QorIcons\\User Icon.ico");
    }
    {
        App t;
        t.app.store.Items[0].IconPath = "C:\\old.png";
        t.fs.AddFile(kCfg, SerializeSettings(t.app.cfg));
        ASSERT_TRUE(LoadSettings(t.app));
        EXPECT_EQ(t.app.store.Items[0].IconPath.Peek(), "");
    }
}

TEST(LoadSettings, AutoRunWritesTheStartUpEntryAndTakesTheOutcome) {
    const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string exe = "C:\\Program Files\\QOR Desktop\\QORDesktop.exe";
    {
        LoadedSettings l([](DockSettings& s) { s.AutoRun = kTrue; });
        EXPECT_EQ(l.t.app.cfg.AutoRun, kTrue);
        EXPECT_EQ(l.t.reg.GetString(reg::CurrentUser, runKey, "QOR Desktop"), exe);
    }
    {
        LoadedSettings l([](DockSettings& s) { s.AutoRun = 0; });
        EXPECT_EQ(l.t.app.cfg.AutoRun, 0);
        EXPECT_FALSE(l.t.reg.GetString(reg::CurrentUser, runKey, "QOR Desktop"));
    }
    {
        App t;
        t.reg.readOnlyKeys.insert({reg::CurrentUser, ToLowerAscii(runKey)});
        DockSettings s = t.app.cfg;
        s.AutoRun = 1; // any nonzero value asks for the entry
        t.fs.AddFile(kCfg, SerializeSettings(s));
        ASSERT_TRUE(LoadSettings(t.app));
        EXPECT_EQ(t.app.cfg.AutoRun, 0); // the entry could not be written
    }
}

TEST(LoadSettings, MissingFilesKeepTheDefaultsAndAskForAutoRun) {
    App t;
    t.app.cfg.AutoRun = 0;
    EXPECT_FALSE(LoadSettings(t.app));
    EXPECT_EQ(t.app.cfg.AutoRun, kTrue);
    EXPECT_EQ(t.app.run.IconSize, 48);
    EXPECT_EQ(t.app.run.IconCount, 24);
    EXPECT_FALSE(t.fs.Has(kCfg)); // nothing is written by loading
}

TEST(LoadSettings, RecoversFromTheBakCopy) {
    struct Case {
        const char* what;
        std::optional<Bytes> real;
    } cases[] = {
        {"real file missing", std::nullopt},
        {"real file empty", Bytes{}},
        {"real file cut short", Bytes(563, 0x11)},
    };
    for (const Case& c : cases) {
        App t;
        DockSettings s = t.app.cfg;
        s.AutoRun = 0;
        s.IconSize = 32;
        const Bytes good = SerializeSettings(s);
        t.fs.AddFile(kCfg + ".bak", good);
        if (c.real)
            t.fs.AddFile(kCfg, *c.real);
        ASSERT_TRUE(LoadSettings(t.app)) << c.what;
        EXPECT_EQ(t.app.run.IconSize, 32) << c.what;
        EXPECT_EQ(t.fs.files[kCfg], good) << c.what; // the real file is whole again
        EXPECT_EQ(t.fs.files[kCfg + ".bak"], good) << c.what;
    }
}

TEST(LoadSettings, AShortFileWithoutBakIsUnreadable) {
    App t;
    t.app.cfg.AutoRun = 0;
    t.fs.AddFile(kCfg, Bytes(100, 0x20));
    EXPECT_FALSE(LoadSettings(t.app));
    EXPECT_EQ(t.app.cfg.AutoRun, kTrue);
    EXPECT_EQ(t.app.run.IconSize, 48);
}

// ---------------------------------------------------------------------------------------------
// Menu file

TEST(SaveMenu, WritesTheMenuAndItsBak) {
    App t;
    t.app.store.Items[200] = Member("Editor");
    ASSERT_TRUE(SaveMenu(t.app));
    ASSERT_EQ(t.fs.files[kMenu].size(), 1338885u);
    EXPECT_EQ(t.fs.files[kMenu], SerializeMenu(t.app.store));
    EXPECT_EQ(t.fs.files[kMenu + ".bak"], t.fs.files[kMenu]);
    EXPECT_FALSE(t.fs.Has(kMenu + ".tmp"));
}

TEST(SaveMenu, AFailedWriteShowsItsMessage) {
    App t;
    t.fs.readOnlyFolders.insert(kData);
    EXPECT_FALSE(SaveMenu(t.app));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Writing icon file failed! ");
    EXPECT_EQ(t.ui.messages[0].caption, "QOR Desktop");
    EXPECT_EQ(t.ui.messages[0].flags, mb::Ok | mb::IconExclamation);
}

// A store saved as the menu file and loaded into a fresh app with the given catalogue.
Store SavedStore() {
    Store s;
    PrepareStore(s);
    s.Items[0].Title = "Me";
    s.Items[5].Kind = kind::Free; // a ring slot stored free
    s.Items[6].Kind = kind::Shortcut;
    s.Items[6].Title = "Notes";
    s.Items[7].Kind = kind::Group;
    s.Items[7].Title = "Tools (Empty)";
    s.Items[40].Kind = kind::System;
    s.Items[40].Title = "Stored template";
    s.Items[70].Kind = 99;
    s.Items[70].Title = "Stored caption";
    s.Items[70].Param = 1;
    s.Items[70].LargeIconPath = kData + "QorIcons\\3.png";
    s.Items[129] = Member("Editor");
    s.Items[130] = Member("Paint");
    s.Groups[7].Members[1] = 129;
    s.Groups[7].Members[2] = 130;
    s.Groups[7].Count = 2;
    return s;
}

TEST(LoadMenu, AppliesThePerRangeRules) {
    App t;
    t.fs.AddFile(kMenu, SerializeMenu(SavedStore()));
    // What the default catalogue made of the built-in item 70.
    t.app.store.Items[70].Kind = kind::Command;
    t.app.store.Items[70].Title = "Shut Down";
    t.app.store.Items[70].Param = 70;
    ASSERT_TRUE(LoadMenu(t.app));
    const Store& s = t.app.store;
    EXPECT_EQ(s.Items[0].Title.Peek(), "Me");
    EXPECT_EQ(s.Items[5].Kind, kind::Blank); // ring slot stored free: blank shortcut
    EXPECT_EQ(s.Items[37].Kind, kind::Free); // templates are read as stored, no change
    EXPECT_EQ(s.Items[40].Title.Peek(), "Stored template");
    EXPECT_EQ(s.Items[70].Kind, kind::Command); // built-in: only its chosen picture is taken
    EXPECT_EQ(s.Items[70].Title.Peek(), "Shut Down");
    EXPECT_EQ(s.Items[70].Param, 70);
    EXPECT_EQ(s.Items[70].LargeIconPath.Peek(), kData + "QorIcons\\3.png");
    EXPECT_EQ(s.Items[129], Member("Editor"));
    EXPECT_EQ(s.Groups[7].Count, 2);
    EXPECT_EQ(s.Groups[7].Members[2], 130);
    EXPECT_EQ(s.Items[7].Title.Peek(), "Tools"); // Count above 1: the caption suffix is recomputed
    EXPECT_EQ(CheckStoreInvariants(s), "");
}

TEST(LoadMenu, GroupCaptionsFollowTheStoredCount) {
    Store saved = SavedStore();
    saved.Items[8].Kind = kind::Group;
    saved.Items[8].Title = "Full one";
    for (int j = 1; j <= 36; ++j) {
        saved.Items[300 + j] = Member("m" + std::to_string(j));
        saved.Groups[8].Members[j] = 300 + j;
    }
    saved.Groups[8].Count = 36;
    saved.Items[9].Kind = kind::Group;
    saved.Items[9].Title = "Single";
    saved.Items[400] = Member("only");
    saved.Groups[9].Members[1] = 400;
    saved.Groups[9].Count = 1;
    App t;
    t.fs.AddFile(kMenu, SerializeMenu(saved));
    ASSERT_TRUE(LoadMenu(t.app));
    EXPECT_EQ(t.app.store.Items[8].Title.Peek(), "Full one (Full)");
    EXPECT_EQ(t.app.store.Items[9].Title.Peek(), "Single"); // Count 1: left as stored
}

TEST(LoadMenu, OnlyGroupsCarryTheCountSuffix) {
    // Slots that are no groups, whose group records keep a stale member count: a full list of
    // members that are still in use, or a count of members that are gone.
    Store saved = SavedStore();
    saved.Items[10].Kind = kind::Shortcut;
    saved.Items[10].Title = "Notepad";
    for (int j = 1; j <= 36; ++j) {
        saved.Items[500 + j] = Member("left" + std::to_string(j));
        saved.Groups[10].Members[j] = 500 + j;
    }
    saved.Groups[10].Count = 36;
    saved.Items[11].Kind = kind::Blank;
    saved.Items[11].Title = "Blank Shortcut";
    saved.Groups[11].Count = 5;
    App t;
    t.fs.AddFile(kMenu, SerializeMenu(saved));
    ASSERT_TRUE(LoadMenu(t.app));
    EXPECT_EQ(t.app.store.Items[10].Title.Peek(), "Notepad");
    EXPECT_EQ(t.app.store.Items[11].Title.Peek(), "Blank Shortcut");
    EXPECT_EQ(t.app.store.Items[7].Title.Peek(), "Tools"); // a group's suffix is still recomputed
    EXPECT_EQ(CheckStoreInvariants(t.app.store), "");
}

TEST(LoadMenu, DamagedGroupsAreRepairedSoTheStoreStaysSound) {
    Store saved = SavedStore();
    saved.Groups[7].Count = 3; // one past the members: the third entry is 0
    saved.Groups[10].Count = -4;
    saved.Groups[11].Members[1] = 5000;
    saved.Groups[11].Count = 1;
    saved.Items[11].Kind = kind::Group;
    saved.Items[11].Title = "Broken";
    saved.Groups[12].Members[1] = 129; // already a member of group 7
    saved.Groups[12].Count = 1;
    saved.Groups[13].Members[0] = 99;
    App t;
    t.fs.AddFile(kMenu, SerializeMenu(saved));
    ASSERT_TRUE(LoadMenu(t.app));
    const Store& s = t.app.store;
    EXPECT_EQ(CheckStoreInvariants(s), "");
    EXPECT_EQ(s.Groups[7].Count, 2);
    EXPECT_EQ(s.Groups[10].Count, 0);
    EXPECT_EQ(s.Groups[11].Count, 0);
    EXPECT_EQ(s.Items[11].Title.Peek(), "Broken (Empty)");
    EXPECT_EQ(s.Groups[12].Count, 0);
    EXPECT_EQ(s.Groups[13].Members[0], 13);
}

TEST(LoadMenu, MembersAboveTheStoredItemsAreDropped) {
    Store saved = SavedStore();
    saved.Items.push_back(Member("unsaved")); // item 1025
    saved.Groups[7].Members[3] = 1025;
    saved.Groups[7].Count = 3;
    App t;
    t.app.store.Items.resize(1026);
    t.fs.AddFile(kMenu, SerializeMenu(saved));
    ASSERT_TRUE(LoadMenu(t.app));
    EXPECT_EQ(t.app.store.Groups[7].Count, 2);
    EXPECT_EQ(CheckStoreInvariants(t.app.store), "");
}

TEST(LoadMenu, RecoversFromTheBakCopy) {
    const Bytes good = SerializeMenu(SavedStore());
    Bytes cut(good.begin(), good.begin() + 700000);
    Bytes garbage = good;
    garbage[0] = 7; // dimension count 7
    struct Case {
        const char* what;
        std::optional<Bytes> real;
    } cases[] = {{"missing", std::nullopt}, {"cut short", cut}, {"unreadable", garbage}, {"empty", Bytes{}}};
    for (const Case& c : cases) {
        App t;
        t.fs.AddFile(kMenu + ".bak", good);
        if (c.real)
            t.fs.AddFile(kMenu, *c.real);
        ASSERT_TRUE(LoadMenu(t.app)) << c.what;
        EXPECT_EQ(t.app.store.Items[129], Member("Editor")) << c.what;
        EXPECT_EQ(t.fs.files[kMenu], good) << c.what; // written again
    }
}

TEST(LoadMenu, NothingReadableLeavesTheStoreAsItWas) {
    const Bytes good = SerializeMenu(SavedStore());
    for (const bool withBak : {false, true}) {
        App t;
        t.app.store.Items[129] = Member("current");
        const Store before = t.app.store;
        t.fs.AddFile(kMenu, Bytes(good.begin(), good.end() - 1));
        if (withBak)
            t.fs.AddFile(kMenu + ".bak", Bytes(good.begin(), good.begin() + 5000));
        EXPECT_FALSE(LoadMenu(t.app));
        EXPECT_TRUE(t.app.store.Items == before.Items);
        EXPECT_TRUE(t.app.store.Groups == before.Groups);
    }
    App none;
    EXPECT_FALSE(LoadMenu(none.app));
}

TEST(LoadMenu, ARecoveryThatCannotRewriteTheFileStillLoads) {
    App t;
    const Bytes good = SerializeMenu(SavedStore());
    t.fs.AddFile(kMenu + ".bak", good);
    t.fs.failAt = 0;
    t.fs.crash = true;
    ASSERT_TRUE(LoadMenu(t.app));
    EXPECT_EQ(t.app.store.Items[129], Member("Editor"));
    EXPECT_EQ(t.fs.files[kMenu + ".bak"], good);
}

TEST(DeleteStoredData, DeletesTheMenuThePicturesTheirCopiesAndWithAllTheSettings) {
    for (const bool all : {false, true}) {
        App t;
        for (const std::string& f : {kCfg, kCfg + ".bak", kMenu, kMenu + ".bak", kData + "QorIcons\\0.png",
                                     kData + "QorIcons\\12.PNG", kData + "QorIcons\\12.PNG.48.scaled",
                                     kData + "QorIcons\\User Icon.ico"})
            t.fs.AddFile(f, "x");
        t.fs.AddFile("C:\\Users\\user\\Pictures\\mine.png", "x");
        DeleteStoredData(t.app, all);
        EXPECT_EQ(t.fs.Has(kCfg), !all);
        EXPECT_EQ(t.fs.Has(kCfg + ".bak"), !all);
        EXPECT_FALSE(t.fs.Has(kMenu));
        EXPECT_FALSE(t.fs.Has(kMenu + ".bak"));
        EXPECT_FALSE(t.fs.Has(kData + "QorIcons\\0.png"));
        EXPECT_FALSE(t.fs.Has(kData + "QorIcons\\12.PNG"));
        EXPECT_FALSE(t.fs.Has(kData + "QorIcons\\12.PNG.48.scaled")); // the pre-scaled copy goes too
        EXPECT_TRUE(t.fs.Has(kData + "QorIcons\\User Icon.ico"));
        EXPECT_TRUE(t.fs.Has("C:\\Users\\user\\Pictures\\mine.png"));
    }
    App empty; // missing files are not an error
    DeleteStoredData(empty.app, true);
}

// ---------------------------------------------------------------------------------------------
// Crash matrix: every counted operation of a save (create, write, flush, close, delete, copy,
// replace) fails once, or the process stops there. The next start must find the old or the new
// dock, never a damaged or default one.

Store LoadedFrom(const test::FakeFileSystem& fs, bool& loaded) {
    App t;
    t.fs.files = fs.files;
    loaded = LoadMenu(t.app);
    return t.app.store;
}

TEST(CrashMatrix, MenuSaveCutAtEveryOperation) {
    Store oldStore = SavedStore();
    Store newStore = SavedStore();
    newStore.Items[131] = Member("Added");
    newStore.Groups[7].Members[3] = 131;
    newStore.Groups[7].Count = 3;
    newStore.Items[6].Title = "Renamed";

    // The dock each state loads as.
    auto loadOf = [](const Store& s) {
        App t;
        t.app.store = s;
        EXPECT_TRUE(SaveMenu(t.app));
        bool ok = false;
        Store loaded = LoadedFrom(t.fs, ok);
        EXPECT_TRUE(ok);
        return loaded;
    };
    const Store oldDock = loadOf(oldStore);
    const Store newDock = loadOf(newStore);
    ASSERT_FALSE(oldDock.Items == newDock.Items);

    int total = 0;
    {
        App t;
        t.app.store = oldStore;
        SaveMenu(t.app);
        t.app.store = newStore;
        t.fs.operations = 0;
        ASSERT_TRUE(SaveMenu(t.app));
        total = t.fs.operations;
    }
    ASSERT_GE(total, 9); // delete, (create, write, flush, close) x 2, replace

    for (const bool crash : {false, true}) {
        for (int k = 0; k <= total; ++k) {
            App t;
            t.app.store = oldStore;
            ASSERT_TRUE(SaveMenu(t.app));
            t.app.store = newStore;
            t.fs.operations = 0;
            t.fs.failAt = k;
            t.fs.crash = crash;
            const bool saved = SaveMenu(t.app);
            EXPECT_EQ(saved, k == total) << "k=" << k << " crash=" << crash;
            EXPECT_EQ(t.ui.messages.size(), saved ? 0u : 1u);

            bool loaded = false;
            const Store next = LoadedFrom(t.fs, loaded);
            ASSERT_TRUE(loaded) << "k=" << k << " crash=" << crash;
            const bool isOld = next.Items == oldDock.Items && next.Groups == oldDock.Groups;
            const bool isNew = next.Items == newDock.Items && next.Groups == newDock.Groups;
            EXPECT_TRUE(isOld || isNew) << "k=" << k << " crash=" << crash;
            if (saved) {
                EXPECT_TRUE(isNew);
            }
        }
    }
}

TEST(CrashMatrix, SettingsSaveCutAtEveryOperation) {
    App base;
    DockSettings oldRec = base.app.cfg;
    oldRec.AutoRun = 0;
    for (const bool crash : {false, true}) {
        for (int k = 0; k <= 12; ++k) {
            App t;
            t.app.cfg = oldRec;
            t.app.run.IconSize = 40;
            ASSERT_TRUE(SaveSettings(t.app));
            t.app.run.IconSize = 64; // the change being saved
            t.fs.operations = 0;
            t.fs.failAt = k;
            t.fs.crash = crash;
            SaveSettings(t.app);

            App next;
            next.fs.files = t.fs.files;
            ASSERT_TRUE(LoadSettings(next.app)) << "k=" << k << " crash=" << crash;
            EXPECT_TRUE(next.app.run.IconSize == 40 || next.app.run.IconSize == 64) << "k=" << k;
        }
    }
}

TEST(CrashMatrix, FirstSaveCutShortLeavesNoDamagedDock) {
    // Without an earlier copy there is nothing to lose: the next load finds the new dock or
    // reports that there is none (and the defaults are built).
    for (int k = 0; k <= 10; ++k) {
        App t;
        t.app.store = SavedStore();
        t.fs.failAt = k;
        t.fs.crash = true;
        SaveMenu(t.app);
        bool loaded = false;
        const Store next = LoadedFrom(t.fs, loaded);
        if (loaded) {
            EXPECT_EQ(next.Items[129], Member("Editor")) << k;
        }
        EXPECT_EQ(CheckStoreInvariants(next), "") << k;
    }
}

} // namespace
} // namespace qor
