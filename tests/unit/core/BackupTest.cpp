// Backup, restore and reset: the shortcuts-and-icons backup format, restores of crafted and
// damaged backups (pictures only ever land in the icon cache, a failed restore changes nothing),
// ReloadAll and the six commands with their dialogs, questions, hourglass and messages.
#include <gtest/gtest.h>

#include "core/Backup.h"
#include "core/ConfigFiles.h"
#include "core/ConfigFormat.h"
#include "core/Settings.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

const std::string kData = "C:\\Program Files\\Common Files\\QORSoft\\QOR Desktop\\";
const std::string kCache = kData + "QorIcons\\";
const std::string kSys = "C:\\Program Files\\QOR Desktop\\SysIcons\\";
const std::string kMenu = kData + "QORMenu.cfg";
const std::string kCfg = kData + "QORCfg.cfg";
const std::string kBackup = "C:\\Users\\user\\Documents\\QOR Desktop Icons.bak";

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

void PutI32Le(Bytes& b, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int k = 0; k < 4; ++k)
        b.push_back(static_cast<uint8_t>(u >> (8 * k)));
}

DockItem Item(int32_t kindCode, const std::string& title, const std::string& icon,
              const std::string& large = "") {
    DockItem it;
    it.Kind = kindCode;
    it.Title = title;
    it.Target = "C:\\Apps\\" + title + ".exe";
    it.IconPath = icon;
    it.LargeIconPath = large;
    return it;
}

// A dock with pictures of every kind: cached ones, a shipped one, a built-in item's chosen one,
// and one whose file has gone.
struct Dock : test::TestApp {
    Dock() {
        app.screen = MeasureScreen(sys.screen);
        SetDefaultSettings(app.cfg, app.run, app.screen);
        Store& s = app.store;
        s.Items[4] = Item(kind::Shortcut, "Editor", kCache + "0.png");
        s.Items[5] = Item(kind::Shortcut, "Folder", kSys + "Folder.png");
        s.Items[6] = Item(kind::Group, "Tools", kSys + "Group.png");
        s.Items[70].Kind = kind::Command;
        s.Items[70].LargeIconPath = kCache + "3.png";
        s.Items[129] = Item(kind::Member, "Paint", kCache + "1.png", kCache + "2.png");
        s.Items[130] = Item(kind::Member, "Gone", kCache + "9.png");
        s.Groups[6].Members[1] = 129;
        s.Groups[6].Members[2] = 130;
        s.Groups[6].Count = 2;
        fs.AddFile(kCache + "0.png", B("P0"));
        fs.AddFile(kCache + "1.png", B("P1-long"));
        fs.AddFile(kCache + "2.png", B("P2"));
        fs.AddFile(kCache + "3.png", B(""));
        fs.AddFile(kSys + "Folder.png", B("shipped"));
        fs.AddFile(kSys + "Group.png", B("shipped"));
        fs.AddFile(kSys + "Shortcut.png", B("shipped"));
        for (int i = 7; i <= kLastRingSlot; ++i) {
            s.Items[i].Kind = kind::Blank;
            s.Items[i].IconPath = kSys + "Shortcut.png";
        }
    }
};

// The backup of Dock, built here from its parts: the menu records (whose layout is checked
// byte by byte elsewhere) and the picture part in walk order.
Bytes ExpectedBackupTail() {
    Bytes tail;
    PutI32Le(tail, 2); // item 4, IconPath
    tail.insert(tail.end(), {'P', '0'});
    PutI32Le(tail, 0); // item 70, LargeIconPath: an empty picture
    PutI32Le(tail, 7); // item 129, IconPath, then LargeIconPath
    for (char c : std::string("P1-long"))
        tail.push_back(static_cast<uint8_t>(c));
    PutI32Le(tail, 2);
    tail.insert(tail.end(), {'P', '2'});
    tail.insert(tail.end(), {'/', 'E', 'N', 'D'});
    return tail;
}

// ---------------------------------------------------------------------------------------------
// Format

TEST(WriteBackup, MenuRecordsThenPicturesInWalkOrderThenEnd) {
    Dock d;
    ASSERT_TRUE(WriteBackup(d.app, kBackup));
    const Bytes& file = d.fs.files[kBackup];
    ASSERT_EQ(file.size(), kStandardMenuFileSize + ExpectedBackupTail().size());
    const Bytes head(file.begin(), file.begin() + kStandardMenuFileSize);
    EXPECT_TRUE(head == SerializeMenu(d.app.store));
    EXPECT_EQ(Bytes(file.begin() + kStandardMenuFileSize, file.end()), ExpectedBackupTail());
    // The picture that no longer exists is forgotten in the store and in the backup.
    EXPECT_EQ(d.app.store.Items[130].IconPath.Peek(), "");
    const auto image = ParseMenu(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->items[130].IconPath.Peek(), "");
    EXPECT_TRUE(d.ui.messages.empty());
}

TEST(WriteBackup, OnlyShippedPicturesMeansEndRightAfterTheRecords) {
    Dock d;
    for (int i : {4, 129, 130})
        d.app.store.Items[i].IconPath = kSys + "File.png";
    d.fs.AddFile(kSys + "File.png", B("f"));
    d.app.store.Items[129].LargeIconPath = "";
    d.app.store.Items[70].LargeIconPath = "";
    ASSERT_TRUE(WriteBackup(d.app, kBackup));
    const Bytes& file = d.fs.files[kBackup];
    ASSERT_EQ(file.size(), kStandardMenuFileSize + 4);
    EXPECT_EQ(std::string(file.end() - 4, file.end()), "/END");
}

TEST(WriteBackup, ItemsZeroToThreeNeverCarryPictures) {
    Dock d;
    d.app.store.Items[0].IconPath = kCache + "User Icon.ico";
    d.app.store.Items[3].IconPath = kCache + "0.png";
    d.fs.AddFile(kCache + "User Icon.ico", B("me"));
    ASSERT_TRUE(WriteBackup(d.app, kBackup));
    const Bytes& file = d.fs.files[kBackup];
    EXPECT_EQ(Bytes(file.begin() + kStandardMenuFileSize, file.end()), ExpectedBackupTail());
}

TEST(WriteBackup, FailureShowsItsMessageAndLeavesNoFile) {
    Dock d;
    d.fs.readOnlyFolders.insert("C:\\Users\\user\\Documents");
    EXPECT_FALSE(WriteBackup(d.app, kBackup));
    EXPECT_FALSE(d.fs.Has(kBackup));
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, "Backup all shortcuts & icons failed! ");
    EXPECT_EQ(d.ui.messages[0].caption, "QOR Desktop");
    EXPECT_EQ(d.ui.messages[0].flags, mb::Ok | mb::IconExclamation);

    Dock partial; // a write cut off half-way leaves nothing to be restored later
    partial.fs.failAt = 2;
    EXPECT_FALSE(WriteBackup(partial.app, kBackup));
    EXPECT_FALSE(partial.fs.Has(kBackup));
}

TEST(ParseBackup, FindsThePicturesByWalkingTheRecords) {
    Dock d;
    ASSERT_TRUE(WriteBackup(d.app, kBackup));
    const Bytes& file = d.fs.files[kBackup];
    const auto image = ParseBackup(file, kSys);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->files.size(), 4u);
    EXPECT_EQ(image->files[0].item, 4);
    EXPECT_FALSE(image->files[0].large);
    EXPECT_EQ(image->files[1].item, 70);
    EXPECT_TRUE(image->files[1].large);
    EXPECT_EQ(image->files[1].size, 0u);
    EXPECT_EQ(image->files[2].storedPath, kCache + "1.png");
    EXPECT_EQ(image->files[2].offset, kStandardMenuFileSize + 6 + 4 + 4);
    EXPECT_EQ(image->files[2].size, 7u);
    EXPECT_EQ(image->size, file.size());
}

TEST(IsCachePictureName, AcceptsOnlyNumberedPicturesOfThisCache) {
    const std::pair<std::string, bool> cases[] = {
        {kCache + "0.png", true},
        {kCache + "123456789.PNG", true},
        {kCache + "1234567890.png", false}, // more digits than a cache number has
        {kCache + ".png", false},
        {kCache + "User Icon.ico", false},
        {kCache + "desktop.ini", false},
        {kCache + "..\\..\\x.png", false},
        {kCache + "sub\\1.png", false},
        {kCache + "1.png:stream", false},
        {kCache + "1 .png", false},
        {"D:\\Other\\QorIcons\\1.png", false},
        {kCache, false},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(IsCachePictureName(path, kCache), expected) << path;
}

// ---------------------------------------------------------------------------------------------
// Restore

// A machine with its own dock (saved, with pictures), ready to restore a backup file.
struct Victim : Dock {
    std::map<std::string, Bytes, test::NoCaseLess> filesBefore;
    Store storeBefore;
    Victim() {
        Store& s = app.store;
        s.Items[4].Title = "Victim's own";
        s.Items[131] = Item(kind::Member, "Keep", kCache + "5.png");
        fs.AddFile(kCache + "5.png", B("V5"));
        s.Groups[6].Members[3] = 131;
        s.Groups[6].Count = 3;
        EXPECT_TRUE(SaveMenu(app));
        EXPECT_TRUE(SaveSettings(app));
        filesBefore = fs.files;
        storeBefore = s;
    }
    void ExpectUnchanged(const std::string& what) {
        EXPECT_TRUE(fs.files == filesBefore) << what;
        EXPECT_TRUE(app.store.Items == storeBefore.Items) << what;
        EXPECT_TRUE(app.store.Groups == storeBefore.Groups) << what;
    }
    // Every file that is new or changed lies in the data folder.
    void ExpectWritesOnlyInDataFolder(const std::string& what) {
        for (const auto& [path, bytes] : fs.files) {
            auto old = filesBefore.find(path);
            if (old != filesBefore.end() && old->second == bytes)
                continue;
            if (path == kBackup)
                continue;
            EXPECT_EQ(ToLowerAscii(path.substr(0, kData.size())), ToLowerAscii(kData))
                << what << ": " << path;
        }
    }
};

// A backup file made by hand: the given store's records, then the given picture part.
Bytes CraftedBackup(const Store& s, const Bytes& tail) {
    Bytes b = SerializeMenu(s);
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

Store CraftedStore() {
    Store s;
    s.Create();
    s.Items[8] = Item(kind::Group, "Games", kSys + "Group.png");
    s.Items[200] = Item(kind::Member, "Chess", kCache + "0.png");
    s.Groups[8].Members[1] = 200;
    s.Groups[8].Count = 1;
    return s;
}

Bytes Picture(const std::string& data) {
    Bytes b;
    PutI32Le(b, static_cast<int32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes End() {
    return B("/END");
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(ReadBackup, RoundTripRestoresTheDockAndItsPictures) {
    Dock source;
    ASSERT_TRUE(WriteBackup(source.app, kBackup));
    const Store backedUp = source.app.store;

    Dock target; // another dock on a machine with the same folders but no pictures yet
    target.fs.files.clear();
    target.fs.AddFile(kBackup, source.fs.files[kBackup]);
    target.app.store.Items[300] = Item(kind::Member, "Stale", "");
    ASSERT_TRUE(ReadBackup(target.app, kBackup));
    EXPECT_TRUE(target.ui.messages.empty());

    // The pictures come back under their stored names (free on this machine).
    EXPECT_EQ(target.fs.files[kCache + "0.png"], B("P0"));
    EXPECT_EQ(target.fs.files[kCache + "1.png"], B("P1-long"));
    EXPECT_EQ(target.fs.files[kCache + "2.png"], B("P2"));
    EXPECT_EQ(target.fs.files[kCache + "3.png"], B(""));
    for (int i = 0; i <= kItemBound; ++i)
        EXPECT_EQ(target.app.store.Items[i], backedUp.Items[i]) << i;
    EXPECT_EQ(target.app.store.Groups[6], backedUp.Groups[6]);
    // The menu file holds the restored dock and its .bak too.
    EXPECT_TRUE(target.fs.files[kMenu] == SerializeMenu(backedUp));
    EXPECT_TRUE(target.fs.files[kMenu + ".bak"] == target.fs.files[kMenu]);
    EXPECT_EQ(CheckStoreInvariants(target.app.store), "");
}

TEST(ReadBackup, PicturesInUseAreNotOverwrittenAndOldOnesGoAfterwards) {
    Victim v;
    Store s = CraftedStore();
    s.Items[201] = Item(kind::Member, "Go", kCache + "5.png"); // the victim's 5.png is in use
    s.Groups[8].Members[2] = 201;
    s.Groups[8].Count = 2;
    v.fs.AddFile(kBackup, CraftedBackup(s, Cat({Picture("chess"), Picture("go"), End()})));
    ASSERT_TRUE(ReadBackup(v.app, kBackup));
    const std::string chess = v.app.store.Items[200].IconPath.Peek();
    const std::string go = v.app.store.Items[201].IconPath.Peek();
    EXPECT_EQ(v.fs.files[chess], B("chess"));
    EXPECT_EQ(v.fs.files[go], B("go"));
    EXPECT_NE(ToLowerAscii(chess), ToLowerAscii(go));
    EXPECT_TRUE(IsCachePictureName(chess, kCache));
    EXPECT_TRUE(IsCachePictureName(go, kCache));
    // Every cached picture left is one the restored dock names.
    for (const auto& [path, bytes] : v.fs.files)
        if (EndsWithNoCase(path, ".png") && StartsWith(path, kCache)) {
            EXPECT_TRUE(path == chess || path == go) << path;
        }
    v.ExpectWritesOnlyInDataFolder("in use");
}

TEST(ReadBackup, HostilePathsLandInTheIconCache) {
    struct Case {
        const char* what;
        std::string stored;
    } cases[] = {
        {"climbs out with ..", kCache + "..\\..\\..\\..\\Windows\\evil.png"},
        {"absolute elsewhere", "C:\\Windows\\system32\\evil.dll"},
        {"startup folder",
         "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup\\x.bat"},
        {"the settings file", kCfg},
        {"the menu file", kMenu},
        {"another machine's cache", "D:\\Common\\QORSoft\\QOR Desktop\\QorIcons\\5.png"},
        {"not a numbered picture", kCache + "User Icon.ico"},
        {"alternate stream", kCache + "1.png:evil"},
        {"relative", "evil.png"},
        {"UNC", "\\\\server\\share\\evil.png"},
    };
    for (const Case& c : cases) {
        Victim v;
        Store s = CraftedStore();
        s.Items[200].IconPath = c.stored;
        v.fs.AddFile(kBackup, CraftedBackup(s, Cat({Picture("evil"), End()})));
        ASSERT_TRUE(ReadBackup(v.app, kBackup)) << c.what;
        const std::string placed = v.app.store.Items[200].IconPath.Peek();
        EXPECT_TRUE(IsCachePictureName(placed, kCache)) << c.what << ": " << placed;
        EXPECT_EQ(v.fs.files[placed], B("evil")) << c.what;
        v.ExpectWritesOnlyInDataFolder(c.what);
        // The settings file is untouched; the menu file is the restored dock, not the picture.
        EXPECT_EQ(v.fs.files[kCfg], v.filesBefore[kCfg]) << c.what;
        EXPECT_EQ(v.fs.files[kMenu].size(), kStandardMenuFileSize) << c.what;
        EXPECT_EQ(CheckStoreInvariants(v.app.store), "") << c.what;
    }
}

TEST(ReadBackup, TheSamePictureNamedTwiceGetsTwoFiles) {
    Victim v;
    Store s = CraftedStore();
    s.Items[200].LargeIconPath = kCache + "0.png";
    v.fs.AddFile(kBackup, CraftedBackup(s, Cat({Picture("first"), Picture("second"), End()})));
    ASSERT_TRUE(ReadBackup(v.app, kBackup));
    const std::string a = v.app.store.Items[200].IconPath.Peek();
    const std::string b = v.app.store.Items[200].LargeIconPath.Peek();
    EXPECT_NE(a, b);
    EXPECT_EQ(v.fs.files[a], B("first"));
    EXPECT_EQ(v.fs.files[b], B("second"));
}

TEST(ReadBackup, ShippedPicturePathsThatClimbOutAreDropped) {
    Victim v;
    Store s = CraftedStore();
    s.Items[200].IconPath = kSys + "..\\..\\..\\Windows\\notepad.exe"; // no picture is carried for it
    v.fs.AddFile(kBackup, CraftedBackup(s, End()));
    ASSERT_TRUE(ReadBackup(v.app, kBackup));
    EXPECT_EQ(v.app.store.Items[200].IconPath.Peek(), "");
}

TEST(ReadBackup, PicturesOfItemsZeroToThreeStayIfHere) {
    // The backup carries no picture for these items: pictures chosen here stay, and a path that
    // is neither in this icon cache nor a shipped picture is dropped (never read from elsewhere).
    Victim v;
    const std::pair<int, std::string> chosen[] = {{0, "10.png"}, {1, "11.png"}, {2, "12.png"}, {3, "13.png"}};
    Store s = CraftedStore();
    for (const auto& [item, name] : chosen) {
        v.fs.AddFile(kCache + name, B("own " + name));
        s.Items[static_cast<std::size_t>(item)].LargeIconPath = kCache + name;
    }
    s.Items[0].IconPath = kCache + "User Icon.ico";
    v.fs.AddFile(kCache + "User Icon.ico", B("me"));
    v.fs.AddFile(kCache + "10.png.48.scaled", B("copy of a kept picture"));
    v.fs.AddFile(kCache + "5.png.48.scaled", B("copy of a replaced picture"));
    v.fs.AddFile(kBackup, CraftedBackup(s, Cat({Picture("chess"), End()})));
    ASSERT_TRUE(ReadBackup(v.app, kBackup));
    for (const auto& [item, name] : chosen) {
        EXPECT_EQ(v.app.store.Items[static_cast<std::size_t>(item)].LargeIconPath.Peek(), kCache + name);
        EXPECT_EQ(v.fs.files[kCache + name], B("own " + name)) << item;
    }
    EXPECT_EQ(v.fs.files[kCache + "User Icon.ico"], B("me"));
    EXPECT_FALSE(v.fs.Has(kCache + "5.png"));           // the replaced dock's own pictures still go,
    EXPECT_FALSE(v.fs.Has(kCache + "5.png.48.scaled")); // with their pre-scaled copies
    EXPECT_TRUE(v.fs.Has(kCache + "10.png.48.scaled"));

    Victim w;
    s.Items[1].LargeIconPath = "C:\\Windows\\system32\\important.dll";
    s.Items[2].LargeIconPath = kCache + "..\\..\\QORCfg.cfg";
    s.Items[3].IconPath = "E:\\Elsewhere\\SysIcons\\All Programs Group.png";
    w.fs.AddFile(kBackup, CraftedBackup(s, Cat({Picture("chess"), End()})));
    ASSERT_TRUE(ReadBackup(w.app, kBackup));
    EXPECT_EQ(w.app.store.Items[1].LargeIconPath.Peek(), "");
    EXPECT_EQ(w.app.store.Items[2].LargeIconPath.Peek(), "");
    EXPECT_EQ(w.app.store.Items[3].IconPath.Peek(), kSys + "All Programs Group.png");
}

TEST(IsShippedPicture, AFileDirectlyInAnyInstallsSysIconsFolder) {
    const std::pair<std::string, bool> cases[] = {
        {kSys + "Folder.png", true},
        {"D:\\Portable\\QOR\\SysIcons\\Folder.png", true},
        {"c:\\program files\\qor desktop\\SYSICONS\\folder.png", true},
        {"\\\\server\\apps\\QOR\\SysIcons\\All Programs Group.png", true},
        {kSys, false},
        {kSys + "sub\\Folder.png", false},
        {kSys + "..\\..\\Windows\\notepad.exe", false},
        {kSys + "..", false},
        {kSys + "a/../../x.png", false},
        {kSys + "Folder.png:stream", false},
        {"SysIcons\\Folder.png", false},
        {"C:\\QOR\\MySysIcons\\Folder.png", false},
        {"", false},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(IsShippedPicture(path), expected) << path;
}

// Dock, as written by a copy of the program whose SysIcons folder is `folder`.
struct DockElsewhere : Dock {
    explicit DockElsewhere(const std::string& folder) {
        app.paths.SysIconsFolder = folder;
        for (DockItem& it : app.store.Items)
            for (FixedText<255>* field : {&it.IconPath, &it.LargeIconPath}) {
                const std::string p = field->Peek();
                if (StartsWith(p, kSys)) {
                    *field = folder + p.substr(kSys.size());
                    fs.AddFile(folder + p.substr(kSys.size()), B("shipped"));
                }
            }
    }
};

TEST(ReadBackup, ABackupWrittenByACopyInAnotherFolderIsRestored) {
    for (const std::string& folder :
         {std::string("D:\\Portable\\QOR Desktop\\SysIcons\\"), ToLowerAscii(kSys), ToUpperAscii(kSys)}) {
        DockElsewhere source(folder);
        ASSERT_TRUE(WriteBackup(source.app, kBackup)) << folder;
        const Bytes& file = source.fs.files[kBackup];
        EXPECT_EQ(Bytes(file.begin() + kStandardMenuFileSize, file.end()), ExpectedBackupTail()) << folder;
        Victim v;
        v.fs.AddFile(kBackup, file);
        ASSERT_TRUE(ReadBackup(v.app, kBackup)) << folder;
        // Shipped pictures are this install's; the others come back from the backup.
        const std::pair<std::size_t, const char*> shipped[] = {
            {5, "Folder.png"}, {6, "Group.png"}, {36, "Shortcut.png"}};
        for (const auto& [item, name] : shipped)
            EXPECT_EQ(v.app.store.Items[item].IconPath.Peek(), kSys + name) << folder;
        EXPECT_EQ(v.fs.files[v.app.store.Items[129].IconPath.Peek()], B("P1-long")) << folder;
        EXPECT_EQ(v.fs.files[v.app.store.Items[129].LargeIconPath.Peek()], B("P2")) << folder;
    }
}

TEST(ReadBackup, BackupsOfOlderBuildsAreStillRead) {
    // Older builds carried every picture outside their own SysIcons folder (compared exactly),
    // shipped pictures of other installs included; the reader finds the folder that fits the file.
    for (const std::string& writer : {kSys, std::string("D:\\Portable\\QOR Desktop\\SysIcons\\")}) {
        Store s = CraftedStore();
        s.Items[8].IconPath = writer + "Group.png";                              // its own: not carried
        s.Items[201] = Item(kind::Member, "Old", "E:\\Old\\SysIcons\\Game.png"); // another's: carried
        s.Items[202] = Item(kind::Member, "Case", ToLowerAscii(writer) + "Tool.png");
        s.Groups[8].Members[2] = 201;
        s.Groups[8].Members[3] = 202;
        s.Groups[8].Count = 3;
        Victim v;
        v.fs.AddFile(kBackup,
                     CraftedBackup(s, Cat({Picture("chess"), Picture("old game"), Picture("tool"), End()})));
        ASSERT_TRUE(ReadBackup(v.app, kBackup)) << writer;
        EXPECT_EQ(v.app.store.Items[8].IconPath.Peek(), kSys + "Group.png") << writer;
        const std::pair<int, const char*> carried[] = {{200, "chess"}, {201, "old game"}, {202, "tool"}};
        for (const auto& [item, bytes] : carried) {
            const std::string placed = v.app.store.Items[static_cast<std::size_t>(item)].IconPath.Peek();
            EXPECT_TRUE(IsCachePictureName(placed, kCache)) << writer << " " << item << ": " << placed;
            EXPECT_EQ(v.fs.files[placed], B(bytes)) << writer << " " << item;
        }
    }
}

TEST(ReadBackup, DamagedOrHostileFilesFailAndChangeNothing) {
    const Store s = CraftedStore();
    const Bytes good = CraftedBackup(s, Cat({Picture("chess"), End()}));
    Bytes negative = CraftedBackup(s, Cat({Picture("chess"), End()}));
    negative[kStandardMenuFileSize + 3] = 0x80; // count -2147483643
    Bytes minusOne = CraftedBackup(s, Cat({B("\xff\xff\xff\xff"), End()}));
    Bytes huge = CraftedBackup(s, Cat({B("\xff\xff\xff\x7f"), B("chess"), End()}));
    Bytes pastEnd = CraftedBackup(s, Cat({Picture("chess"), End()}));
    pastEnd[kStandardMenuFileSize] = 10; // 10 bytes announced, 5 + "/END" follow
    Bytes wrongEnd = CraftedBackup(s, Cat({Picture("chess"), B("/EN!")}));
    Bytes missingPicture = CraftedBackup(s, End()); // item 200 announces a picture, none follows
    // Two pictures would fit a backup of an older build installed elsewhere, which carried the
    // shipped Group.png of item 8 too; three fit no layout.
    Bytes extraPicture = CraftedBackup(s, Cat({Picture("chess"), Picture("more"), Picture("more"), End()}));
    Bytes badGroup = good;
    badGroup[0] = 3; // three dimensions

    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"negative count", negative},
        {"count -1", minusOne},
        {"huge count", huge},
        {"count past the end", pastEnd},
        {"wrong end marker", wrongEnd},
        {"picture missing", missingPicture},
        {"unexpected picture", extraPicture},
        {"impossible group", badGroup},
        {"empty file", Bytes{}},
    };
    for (const Case& c : cases) {
        Victim v;
        v.fs.AddFile(kBackup, c.file);
        v.filesBefore[kBackup] = c.file;
        EXPECT_FALSE(ReadBackup(v.app, kBackup)) << c.what;
        ASSERT_EQ(v.ui.messages.size(), 1u) << c.what;
        EXPECT_EQ(v.ui.messages[0].text, "Restore all shortcuts & icons failed! ");
        EXPECT_EQ(v.ui.messages[0].flags, mb::Ok | mb::IconExclamation);
        v.ExpectUnchanged(c.what);
    }
}

TEST(ReadBackup, TruncationAtEveryPartFailsAndChangesNothing) {
    Dock source;
    ASSERT_TRUE(WriteBackup(source.app, kBackup));
    const Bytes full = source.fs.files[kBackup];
    std::vector<std::size_t> cuts = {0,
                                     1,
                                     2,
                                     5,
                                     6,
                                     4113,
                                     4114,
                                     4114 + 162 * 10 + 7,
                                     4114 + 33 * 162,
                                     4114 + 33 * 162 + 1297 * 4 + 20,
                                     kStandardMenuFileSize - 1,
                                     kStandardMenuFileSize};
    for (std::size_t n = kStandardMenuFileSize + 1; n < full.size(); ++n)
        cuts.push_back(n); // every byte of the picture part and the end marker
    for (std::size_t n : cuts) {
        Victim v;
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        v.fs.AddFile(kBackup, cut);
        v.filesBefore[kBackup] = cut;
        EXPECT_FALSE(ReadBackup(v.app, kBackup)) << n;
        v.ExpectUnchanged("cut at " + std::to_string(n));
    }
}

TEST(ReadBackup, AMissingFileFails) {
    Victim v;
    EXPECT_FALSE(ReadBackup(v.app, "C:\\nowhere.bak"));
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.ui.messages[0].text, "Restore all shortcuts & icons failed! ");
    v.ExpectUnchanged("missing");
}

TEST(ReadBackup, NonsenseGroupsAreRepairedBeforeTheyReachTheStore) {
    Victim v;
    Store s = CraftedStore();
    s.Groups[8].Count = 999;
    s.Groups[9].Members[1] = 12;   // not a pool item
    s.Groups[9].Members[2] = 4000; // outside Items
    s.Groups[9].Count = 2;
    v.fs.AddFile(kBackup, CraftedBackup(s, Cat({Picture("chess"), End()})));
    ASSERT_TRUE(ReadBackup(v.app, kBackup));
    EXPECT_EQ(CheckStoreInvariants(v.app.store), "");
    EXPECT_EQ(v.app.store.Groups[8].Count, 1);
    EXPECT_EQ(v.app.store.Groups[9].Count, 0);
}

TEST(ReadBackup, AFailureWhileCommittingTakesBackWhatItWrote) {
    Victim probe;
    Store s = CraftedStore();
    s.Items[201] = Item(kind::Member, "Go", kCache + "7.png");
    s.Groups[8].Members[2] = 201;
    s.Groups[8].Count = 2;
    const Bytes file = CraftedBackup(s, Cat({Picture("chess"), Picture("go"), End()}));
    probe.fs.AddFile(kBackup, file);
    probe.fs.operations = 0;
    ASSERT_TRUE(ReadBackup(probe.app, kBackup));
    const int total = probe.fs.operations;

    for (const bool crash : {false, true}) {
        for (int k = 0; k < total; ++k) {
            Victim v;
            v.fs.AddFile(kBackup, file);
            v.filesBefore[kBackup] = file;
            v.fs.operations = 0;
            v.fs.failAt = k;
            v.fs.crash = crash;
            const bool restored = ReadBackup(v.app, kBackup);
            v.fs.failAt = -1;
            if (!restored && !crash)
                v.ExpectUnchanged("fail at " + std::to_string(k));
            // Whatever happened, the next start finds a whole dock: the old one or the restored one.
            Dock next;
            next.fs.files = v.fs.files;
            ASSERT_TRUE(LoadMenu(next.app)) << k;
            const std::string title = next.app.store.Items[8].Title.Peek();
            const bool isOld = next.app.store.Items[4].Title.Peek() == "Victim's own";
            const bool isNew = title == "Games" && next.app.store.Groups[8].Count == 2;
            EXPECT_TRUE(isOld != isNew) << "k=" << k << " crash=" << crash;
            if (isNew)
                for (int i : {200, 201}) {
                    const std::string p = next.app.store.Items[i].IconPath.Peek();
                    EXPECT_TRUE(next.fs.Has(p)) << "k=" << k << " crash=" << crash << " " << p;
                }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// ReloadAll

struct Calls {
    std::vector<std::string> log;
    std::vector<int> refreshed;
    ReloadHooks Hooks() {
        ReloadHooks h;
        h.ReleaseImages = [this] { log.push_back("release"); };
        h.LoadSkinImages = [this] { log.push_back("skin"); };
        h.RefreshItemIcon = [this](int i) {
            refreshed.push_back(i);
            return true;
        };
        h.TrimWorkingSet = [this] { log.push_back("trim"); };
        h.PumpMessages = [this] { log.push_back("pump"); };
        h.DockFocus = [this](int slot) { log.push_back("focus " + std::to_string(slot)); };
        h.IniConfigData = [this] { log.push_back("config"); };
        return h;
    }
};

TEST(ReloadAll, RunsTheStepsInOrderAndRechecksMissingPictures) {
    Dock d;
    d.app.store.Items[7] = Item(kind::Shortcut, "NoPicture", kCache + "77.png", "  ");
    d.app.store.Items[8] = Item(kind::Shortcut, "LargeOnly", "", kCache + "2.png");
    d.app.store.Items[131] = Item(kind::Member, "Missing", kCache + "88.png");
    d.app.store.Groups[6].Members[3] = 131;
    d.app.store.Groups[6].Count = 3;
    ASSERT_TRUE(SaveMenu(d.app));
    Calls calls;
    ReloadAll(d.app, false, false, true, calls.Hooks());
    EXPECT_EQ(calls.log, (std::vector<std::string>{"release", "skin", "trim", "pump", "focus -1"}));
    // 7 and 131 have no picture left, 130's was never there; 4, 8 and 129 still have one. Free
    // records and items outside 4..36 and 129..1024 are not looked at.
    EXPECT_EQ(calls.refreshed, (std::vector<int>{7, 130, 131}));
    EXPECT_EQ(d.app.store.Items[7].LargeIconPath.Peek(), "");
}

TEST(ReloadAll, WithoutHooksDoesNothingElse) {
    Dock d;
    ASSERT_TRUE(SaveMenu(d.app));
    ReloadAll(d.app, false, false, true, ReloadHooks{});
    EXPECT_EQ(d.app.store.Items[129].Title.Peek(), "Paint");
}

// ---------------------------------------------------------------------------------------------
// The six commands

void ExpectDialog(const FileDialogRequest& r, bool save, const char* title, const char* name) {
    EXPECT_EQ(r.save, save);
    EXPECT_EQ(r.title, title);
    EXPECT_EQ(r.filter, "*.bak|*.bak|*.*|*.*");
    EXPECT_EQ(r.initialName, name);
}

TEST(Commands, CancelledDialogsDoNothing) {
    using Command = void (*)(AppState&, const ReloadHooks&);
    const std::tuple<Command, bool, const char*, const char*> cases[] = {
        {BackupConfiguration, true, "QOR Desktop - Backup Configuration", "QOR Desktop Cfg.bak"},
        {BackupShortcutsAndIcons, true, "QOR Desktop - Backup Shortcuts & Icons", "QOR Desktop Icons.bak"},
        {RestoreConfiguration, false, "QOR Desktop - Restore Configuration", "QOR Desktop Cfg.bak"},
        {RestoreShortcutsAndIcons, false, "QOR Desktop - Restore Shortcuts & Icons", "QOR Desktop Icons.bak"},
    };
    for (const auto& [command, save, title, name] : cases) {
        Dock d;
        const auto before = d.fs.files;
        Calls calls;
        command(d.app, calls.Hooks());
        ASSERT_EQ(d.ui.dialogs.size(), 1u) << title;
        ExpectDialog(d.ui.dialogs[0], save, title, name);
        EXPECT_TRUE(d.ui.messages.empty()) << title;
        EXPECT_TRUE(d.ui.busy.empty()) << title;
        EXPECT_TRUE(d.fs.files == before) << title;
        EXPECT_EQ(calls.log, std::vector<std::string>{"trim"}) << title; // after every file dialog
    }
}

TEST(Commands, BackupConfigurationCopiesTheSettingsFile) {
    Dock d;
    const std::string target = "C:\\Users\\user\\Documents\\cfg.bak";
    d.ui.dialogAnswers = {target};
    d.app.run.IconSize = 52;
    BackupConfiguration(d.app, {});
    ASSERT_TRUE(d.fs.Has(target));
    EXPECT_EQ(d.fs.files[target], d.fs.files[kCfg]);
    EXPECT_EQ(d.fs.files[target].size(), 564u);
    EXPECT_EQ(ParseSettings(d.fs.files[target])->IconSize, 52);
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, "Backup Configuration File Successfully!");
    EXPECT_EQ(d.ui.messages[0].caption, "QOR Desktop");
    EXPECT_EQ(d.ui.messages[0].flags, mb::Ok);
}

TEST(Commands, AnExistingTargetIsReplacedOnlyAfterYes) {
    const std::string target = "C:\\Users\\user\\Documents\\cfg.bak";
    {
        Dock d;
        d.fs.AddFile(target, "old");
        d.ui.dialogAnswers = {target};
        d.ui.answers = {mb::IdNo};
        BackupConfiguration(d.app, {});
        EXPECT_EQ(d.fs.files[target], B("old"));
        ASSERT_EQ(d.ui.messages.size(), 1u);
        EXPECT_EQ(d.ui.messages[0].text, "The target file already exists. Are you sure to replace?");
        EXPECT_EQ(d.ui.messages[0].caption, "QOR Desktop");
        EXPECT_EQ(d.ui.messages[0].flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
        EXPECT_FALSE(d.fs.Has(kCfg)); // nothing was saved
    }
    {
        Dock d;
        d.fs.AddFile(target, "old");
        d.ui.dialogAnswers = {target};
        d.ui.answers = {mb::IdYes};
        BackupShortcutsAndIcons(d.app, {});
        EXPECT_EQ(d.fs.files[target].size(), kStandardMenuFileSize + ExpectedBackupTail().size());
        ASSERT_EQ(d.ui.messages.size(), 2u);
        EXPECT_EQ(d.ui.messages[1].text, "Backup Shortcuts & Icons Successfully!");
        EXPECT_EQ(d.ui.messages[1].flags, mb::Ok);
        EXPECT_EQ(d.ui.busy, (std::vector<bool>{true, false}));
    }
}

TEST(Commands, AFailedBackupShowsOnlyItsFailure) {
    Dock d;
    d.fs.readOnlyFolders.insert("C:\\Users\\user\\Documents");
    d.ui.dialogAnswers = {kBackup};
    BackupShortcutsAndIcons(d.app, {});
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, "Backup all shortcuts & icons failed! ");
    EXPECT_EQ(d.ui.busy, (std::vector<bool>{true, false}));

    Dock c;
    c.fs.readOnlyFolders.insert("C:\\Users\\user\\Documents");
    c.ui.dialogAnswers = {"C:\\Users\\user\\Documents\\cfg.bak"};
    BackupConfiguration(c.app, {});
    ASSERT_EQ(c.ui.messages.size(), 1u);
    EXPECT_EQ(c.ui.messages[0].text, "Backup configuration failed! ");
}

TEST(Commands, RestoreConfigurationLoadsTheChosenFile) {
    Dock d;
    DockSettings chosen = d.app.cfg;
    chosen.AutoRun = 0;
    chosen.IconSize = 36;
    chosen.IconCountCode = 7;
    chosen.ClearType = 1;
    const std::string source = "C:\\Users\\user\\Documents\\cfg.bak";
    d.fs.AddFile(source, SerializeSettings(chosen));
    d.ui.dialogAnswers = {source};
    Calls calls;
    RestoreConfiguration(d.app, calls.Hooks());
    EXPECT_EQ(d.fs.files[kCfg], d.fs.files[source]);
    EXPECT_EQ(d.app.run.IconSize, 36);
    EXPECT_EQ(d.app.run.IconCount, 36);
    EXPECT_EQ(d.app.cfg.ClearType, 1);
    EXPECT_EQ(calls.log,
              (std::vector<std::string>{"trim", "release", "skin", "trim", "pump", "focus -1", "config"}));
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, "Restore Configuration Successfully!");
    EXPECT_EQ(d.ui.messages[0].flags, mb::Ok);
    EXPECT_EQ(d.ui.busy, (std::vector<bool>{true, false}));
}

TEST(Commands, ARestoreOrResetMovesTheMinimizedRingToTheStoredPlace) {
    // The reset keeps the stored position while the reloaded skin changes the backdrop's width.
    Dock d;
    d.app.cfg.MinimizedPosition = minpos::TopRight;
    DockSettings chosen = d.app.cfg;
    chosen.MinimizedPosition = minpos::Bottom;
    const std::string source = "C:\\Users\\user\\Documents\\cfg.bak";
    d.fs.AddFile(source, SerializeSettings(chosen));
    d.ui.dialogAnswers = {source};
    Calls calls;
    ReloadHooks hooks = calls.Hooks();
    int backdrop = 0;
    hooks.LoadSkinImages = [&] { d.app.run.CentreBackSize = backdrop; };
    const auto expected = [&](int position) {
        DockGeometry geo;
        SetMinimizedPosition(geo, d.app.screen, d.app.run, position);
        return std::pair{geo.MiniBackLeft, geo.MiniBackTop};
    };
    backdrop = 152;
    RestoreConfiguration(d.app, hooks);
    EXPECT_EQ((std::pair{d.app.geo.MiniBackLeft, d.app.geo.MiniBackTop}), expected(minpos::Bottom));

    backdrop = 160;
    d.ui.answers = {mb::IdYes};
    ResetProgramSettings(d.app, hooks);
    EXPECT_EQ((std::pair{d.app.geo.MiniBackLeft, d.app.geo.MiniBackTop}), expected(minpos::Bottom));
}

TEST(Commands, RestoreConfigurationRefusesAFileThatHoldsNoSettings) {
    Dock d;
    ASSERT_TRUE(SaveSettings(d.app));
    const Bytes before = d.fs.files[kCfg];
    const std::string source = "C:\\Users\\user\\Documents\\notes.txt";
    d.fs.AddFile(source, "hello");
    d.ui.dialogAnswers = {source};
    RestoreConfiguration(d.app, {});
    EXPECT_EQ(d.fs.files[kCfg], before);
    ASSERT_EQ(d.ui.messages.size(), 1u);
    EXPECT_EQ(d.ui.messages[0].text, "Restore configuration failed! ");
    EXPECT_EQ(d.ui.messages[0].flags, mb::Ok | mb::IconExclamation);
    EXPECT_EQ(d.ui.busy, (std::vector<bool>{true, false}));
}

TEST(Commands, RestoreShortcutsAndIconsReloadsAndRechecks) {
    Dock source;
    source.app.store.Items[9] = Item(kind::Shortcut, "Lost", "");
    ASSERT_TRUE(WriteBackup(source.app, kBackup));
    Victim v;
    v.fs.AddFile(kBackup, source.fs.files[kBackup]);
    v.ui.dialogAnswers = {kBackup};
    Calls calls;
    RestoreShortcutsAndIcons(v.app, calls.Hooks());
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.ui.messages[0].text, "Restore Shortcuts & Icons Successfully!");
    EXPECT_EQ(v.ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(v.app.store.Items[4].Title.Peek(), "Editor");
    EXPECT_EQ(v.app.store.Items[129].Title.Peek(), "Paint");
    EXPECT_FALSE(v.fs.Has(kCache + "5.png")); // the replaced dock's picture is gone
    // Items whose pictures are missing after the restore get them rebuilt.
    EXPECT_EQ(calls.refreshed, (std::vector<int>{9, 130}));
}

TEST(Commands, AFailedRestoreLeavesTheDockAndShowsNoSuccess) {
    Victim v;
    v.fs.AddFile(kBackup, B("not a backup"));
    v.filesBefore[kBackup] = B("not a backup");
    v.ui.dialogAnswers = {kBackup};
    Calls calls;
    RestoreShortcutsAndIcons(v.app, calls.Hooks());
    ASSERT_EQ(v.ui.messages.size(), 1u);
    EXPECT_EQ(v.ui.messages[0].text, "Restore all shortcuts & icons failed! ");
    EXPECT_EQ(v.ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(calls.log, std::vector<std::string>{"trim"}); // no reload
    v.ExpectUnchanged("failed restore");
}

TEST(Commands, ResetProgramSettingsAsksThenRestoresTheDefaults) {
    const std::string question = "WARNING: This procedure will reset all program settings to their default "
                                 "values but all currently used "
                                 "shortcuts and icons will be maintained intact. It is recommended to backup "
                                 "the configuration (Settings "
                                 "--> General tab --> Backup section) before proceeding.\r\n\r\nProceed "
                                 "anyway with resetting all default "
                                 "program settings?";
    {
        Dock d;
        d.app.run.IconSize = 30;
        ResetProgramSettings(d.app, {});
        ASSERT_EQ(d.ui.messages.size(), 1u);
        EXPECT_EQ(d.ui.messages[0].text, question);
        EXPECT_EQ(d.ui.messages[0].flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
        EXPECT_EQ(d.app.run.IconSize, 30); // No: nothing changes
        EXPECT_TRUE(d.ui.busy.empty());
    }
    Dock d;
    ASSERT_TRUE(SaveMenu(d.app));
    d.app.run.IconSize = 30;
    d.app.run.Radius = 210;
    d.app.run.IconCount = 36;
    d.app.run.BackColor[3] = 10;
    d.app.cfg.LockDragging = kTrue;
    d.app.cfg.MinimizedPosition = 4;
    d.app.cfg.AutoRun = 0;
    d.ui.answers = {mb::IdYes};
    Calls calls;
    ResetProgramSettings(d.app, calls.Hooks());
    EXPECT_EQ(d.app.run.IconSize, 48);
    EXPECT_EQ(d.app.run.MagnifiedSize, 64);
    EXPECT_EQ(d.app.run.Radius, d.app.run.DefaultRadius);
    EXPECT_EQ(d.app.run.IconCount, 24);
    EXPECT_EQ(d.app.run.BackColor[3], 192);
    EXPECT_EQ(d.app.cfg.AutoRun, kTrue);
    EXPECT_EQ(d.app.cfg.LockDragging, kTrue); // the flags are kept
    EXPECT_EQ(d.app.cfg.MinimizedPosition, 4);
    EXPECT_EQ(d.app.store.Items[129].Title.Peek(), "Paint"); // the items are kept
    EXPECT_EQ(ParseSettings(d.fs.files[kCfg])->IconSize, 48);
    EXPECT_EQ(calls.log.back(), "config");
    ASSERT_EQ(d.ui.messages.size(), 2u);
    EXPECT_EQ(d.ui.messages[1].text, "Reset all default program settings successfully!");
    EXPECT_EQ(d.ui.messages[1].flags, mb::Ok | mb::IconInformation);
    EXPECT_EQ(d.ui.busy, (std::vector<bool>{true, false}));
}

TEST(Commands, ResetShortcutsAndIconsAsksThenRebuildsTheItems) {
    const std::string question =
        "WARNING: This procedure will reset all default shortcuts and icons to their default values but all "
        "currently used program settings will be maintained intact. It is recommended to backup all "
        "shortcuts "
        "and icons (Settings --> General tab --> Backup section) before proceeding.\r\n\r\nProceed anyway "
        "with "
        "resetting all default shortcuts and icons?";
    {
        Dock d;
        ResetShortcutsAndIcons(d.app, {});
        ASSERT_EQ(d.ui.messages.size(), 1u);
        EXPECT_EQ(d.ui.messages[0].text, question);
        EXPECT_EQ(d.ui.messages[0].flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
        EXPECT_TRUE(d.fs.Has(kCache + "0.png"));
    }
    Dock d;
    d.app.run.IconSize = 40;
    ASSERT_TRUE(SaveMenu(d.app));
    d.ui.answers = {mb::IdYes};
    ResetShortcutsAndIcons(d.app, {});
    EXPECT_EQ(d.app.run.IconSize, 40); // settings kept (saved, then loaded again)
    // The items are what a start without a menu file builds.
    Dock fresh;
    fresh.app.store.Create();
    InitializeState(fresh.app, false, false, false);
    EXPECT_TRUE(d.app.store.Items == fresh.app.store.Items);
    EXPECT_TRUE(d.app.store.Groups == fresh.app.store.Groups);
    EXPECT_NE(d.app.store.Items[129].Title.Peek(), "Paint");
    // The old dock's pictures are gone (unless the new dock happens to use the same name).
    std::set<std::string> used;
    for (const DockItem& it : d.app.store.Items)
        for (const std::string& p : {it.IconPath.Peek(), it.LargeIconPath.Peek()})
            used.insert(ToLowerAscii(p));
    for (const char* p : {"0.png", "1.png", "2.png", "3.png"})
        if (!used.count(ToLowerAscii(kCache + p))) {
            EXPECT_FALSE(d.fs.Has(kCache + p)) << p;
        }
    EXPECT_TRUE(d.fs.files[kMenu] == SerializeMenu(d.app.store));
    ASSERT_EQ(d.ui.messages.size(), 2u);
    EXPECT_EQ(d.ui.messages[1].text, "Reset all default shortcuts & icons successfully!");
    EXPECT_EQ(d.ui.messages[1].flags, mb::Ok | mb::IconInformation);
    EXPECT_EQ(d.ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(CheckStoreInvariants(d.app.store), "");
}

} // namespace
} // namespace qor
