#include <gtest/gtest.h>

#include "core/AppState.h"
#include "core/ConfigFormat.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "items/Commands.h"
#include "items/Desktop.h"

namespace qor {
namespace {

using test::RecordingDock;
using test::RecordingProgram;
using test::ShellTestApp;

using Calls = std::vector<std::string>;

struct DesktopHelpers : ::testing::Test {
    ShellTestApp t;
    AppState& app = t.app;
    Calls calls;
    RecordingDock dock{calls, &t.app};
    RecordingProgram program{calls};

    void Bin(int64_t size, int64_t items) { t.shell.recycleBin = RecycleBinQuery{size, items}; }
};

constexpr unsigned kYesNoQuestion = mb::YesNo | mb::IconQuestion | mb::SetForeground;
constexpr unsigned kInformation = mb::Ok | mb::IconInformation | mb::SetForeground;
const std::string kAsk = "\r\nDo you want to empty Recycle Bin?";

// The status message for every kind of bin, in a locale that writes 1.5 and 1,234.5 and in one
// that writes 1,5 and 1.234,5.
TEST_F(DesktopHelpers, RecycleBinStatusTellsSizeAndCount) {
    struct Row {
        int64_t size, items;
        bool commaDecimal;
        std::string text;
        const char* caption;
        unsigned flags;
    };
    const int64_t gb2 = int64_t{1} << 31;
    const Row rows[] = {
        {1536, 3, false, "Your Recycle Bin consumes 1.5KB (3 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {5, 1, false, "Your Recycle Bin consumes 5 Bytes (1 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1023, 2, false, "Your Recycle Bin consumes 1023 Bytes (2 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {0, 0, false, "Your Recycle Bin consumes 0 Byte (0 Item) right now.", "QOR Desktop", kInformation},
        {0, 4, false, "Your Recycle Bin consumes 0 Byte (4 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1024, 1, false, "Your Recycle Bin consumes 1KB (1 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1280, 1, false, "Your Recycle Bin consumes 1.25KB (1 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1048575, 9, false, "Your Recycle Bin consumes 1024KB (9 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1048576, 2, false, "Your Recycle Bin consumes 1MB (2 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1234567890, 12, false, "Your Recycle Bin consumes 1,177.38MB (12 Items) right now." + kAsk,
         "Recycle Bin", kYesNoQuestion},
        {gb2 - 1, 7, false, "Your Recycle Bin consumes 2,048MB (7 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {gb2, 7, false, "Your Recycle Bin consumes over 2GB right now!" + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {5 * gb2, 70, false, "Your Recycle Bin consumes over 2GB right now!" + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1536, 3, true, "Your Recycle Bin consumes 1,5KB (3 Items) right now." + kAsk, "Recycle Bin",
         kYesNoQuestion},
        {1234567890, 12, true, "Your Recycle Bin consumes 1.177,38MB (12 Items) right now." + kAsk,
         "Recycle Bin", kYesNoQuestion},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.size) + " bytes, " + std::to_string(row.items) + " items");
        t.sys.decimalSeparator = row.commaDecimal ? "," : ".";
        t.sys.thousandSeparator = row.commaDecimal ? "." : ",";
        Bin(row.size, row.items);
        t.ui.messages.clear();
        t.ui.answers = {mb::IdNo};
        ShowRecycleBinStatus(app);
        ASSERT_EQ(t.ui.messages.size(), 1u);
        EXPECT_EQ(t.ui.messages[0].text, row.text);
        EXPECT_EQ(t.ui.messages[0].caption, row.caption);
        EXPECT_EQ(t.ui.messages[0].flags, row.flags);
        EXPECT_TRUE(t.shell.emptyRequests.empty());
    }
}

TEST_F(DesktopHelpers, RecycleBinStatusEmptiesOnYesWithoutAskingAgain) {
    Bin(1536, 3);
    t.ui.answers = {mb::IdYes};
    RunBuiltInCommand(app, 103, dock, program);
    EXPECT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.shell.emptyRequests, std::vector<unsigned>{1u});
    EXPECT_EQ(t.shell.iconUpdates, 1);
    EXPECT_EQ(calls, (Calls{"EscCancel", "EscCancel"}));

    // A shell that cannot tell shows nothing.
    t.shell.recycleBin.reset();
    t.ui.messages.clear();
    ShowRecycleBinStatus(app);
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(DesktopHelpers, EmptyRecycleBinAsksFirstAndNeverForAnEmptyBin) {
    Bin(0, 0);
    RunBuiltInCommand(app, 101, dock, program);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_TRUE(t.shell.emptyRequests.empty());

    Bin(100, 2);
    t.ui.answers = {mb::IdNo};
    EmptyRecycleBin(app);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Are you sure you want to empty the Recycle Bin?");
    EXPECT_EQ(t.ui.messages[0].caption, "Empty Recycle Bin");
    EXPECT_EQ(t.ui.messages[0].flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_TRUE(t.shell.emptyRequests.empty());

    t.ui.answers = {mb::IdYes};
    EmptyRecycleBin(app);
    EXPECT_EQ(t.shell.emptyRequests, std::vector<unsigned>{1u}); // no second question from the shell
    EXPECT_EQ(t.shell.iconUpdates, 1);
    EXPECT_FALSE(IsRecycleBinFull(app));

    t.shell.recycleBin.reset(); // the query fails: nothing is asked
    t.ui.messages.clear();
    EmptyRecycleBin(app);
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(DesktopHelpers, SwitchDesktopTwiceRestoresDockAndIconsWithoutFading) {
    // The dock is shown over a desktop whose icons the user hid.
    app.store.Items[72].Title = "Always Show Desktop Icons";
    t.shell.iconViewVisible = false;
    app.run.DesktopIconsHidden = true;
    app.dock.FadeOnHide = true;

    SwitchDesktop(app, dock);
    EXPECT_EQ(calls, (Calls{"MinWindows 2"})); // hidden, not faded
    EXPECT_EQ(t.shell.iconViewVisible, std::optional<bool>(true));
    EXPECT_TRUE(app.dock.DockHidden);
    EXPECT_TRUE(app.dock.FadeOnHide);

    SwitchDesktop(app, dock);
    EXPECT_EQ(calls, (Calls{"MinWindows 2", "MinWindows 0"}));
    EXPECT_EQ(t.shell.iconViewVisible, std::optional<bool>(false));
    EXPECT_FALSE(app.dock.DockHidden);
    EXPECT_TRUE(app.run.DesktopIconsHidden);
    EXPECT_EQ(app.store.Items[72].Title.Peek(), "Always Show Desktop Icons");
    EXPECT_TRUE(app.dock.FadeOnHide);
    EXPECT_TRUE(t.fs.files.empty() || !t.fs.Has(app.paths.SettingsFile)); // nothing is saved
}

TEST_F(DesktopHelpers, TaskbarIsRestoredOnlyAfterTheProgramHidIt) {
    t.shell.taskbarVisible = false; // kept hidden by the shell itself
    SetTaskbarVisible(app, false);
    EXPECT_EQ(t.shell.taskbarVisible, std::optional<bool>(false));

    t.shell.taskbarVisible = true;
    SetTaskbarVisible(app, true);
    EXPECT_EQ(t.shell.taskbarVisible, std::optional<bool>(false));
    SetTaskbarVisible(app, false);
    EXPECT_EQ(t.shell.taskbarVisible, std::optional<bool>(true));
}

struct UserPicture : DesktopHelpers {
    const std::string picture = "C:\\Users\\user\\Pictures\\me.png";
    UserPicture() {
        app.store.Items[0].Title = "  user  ";
        app.store.Items[0].Kind = kind::Free;
        t.fs.AddFile(picture, "picture");
    }
    // The centre item as the item file on disk holds it now.
    std::optional<DockItem> StoredCentre() {
        if (!t.fs.Has(app.paths.MenuFile))
            return std::nullopt;
        auto menu = ParseMenu(t.fs.files[app.paths.MenuFile]);
        if (!menu)
            return std::nullopt;
        return menu->items[0];
    }
};

TEST_F(UserPicture, PictureChosenAndNameCancelledSurvives) {
    t.ui.dialogAnswers = {picture};
    // While the name is asked for, the item file already holds the new picture: a crash or a
    // forced end now keeps it.
    std::optional<DockItem> storedWhileAsking;
    program.whileAsking = [&] { storedWhileAsking = StoredCentre(); };
    RunBuiltInCommand(app, 66, dock, program);

    ASSERT_EQ(t.ui.dialogs.size(), 1u);
    EXPECT_EQ(t.ui.dialogs[0].title, "QOR Desktop - Change User Icon");
    EXPECT_EQ(t.ui.dialogs[0].filter, "*.bmp;*.jpg;*.png;*.gif|*.bmp;*.jpg;*.png;*.gif");
    ASSERT_EQ(t.icons.calls.size(), 1u);
    EXPECT_EQ(t.icons.calls[0].op, "image");
    EXPECT_EQ(t.icons.calls[0].file, picture);
    EXPECT_EQ(t.icons.calls[0].png, app.paths.UserIconFile);
    EXPECT_EQ(t.icons.calls[0].size, "128x128");

    ASSERT_TRUE(storedWhileAsking.has_value());
    EXPECT_EQ(storedWhileAsking->Kind, kind::User);
    EXPECT_EQ(storedWhileAsking->IconPath.Peek(), app.paths.UserIconFile);

    ASSERT_EQ(program.prompts.size(), 1u);
    EXPECT_EQ(program.prompts[0].prompt,
              "Enter the new user name. To discard changes, please click 'Cancel'.");
    EXPECT_EQ(program.prompts[0].title, "Change User Name");
    EXPECT_EQ(program.prompts[0].defaultText, "user");

    const DockItem& centre = app.store.Items[0];
    EXPECT_EQ(centre.Kind, kind::User);
    EXPECT_EQ(centre.IconPath.Peek(), app.paths.UserIconFile);
    EXPECT_EQ(centre.Title.Peek(), "user");
    ASSERT_TRUE(StoredCentre().has_value());
    EXPECT_EQ(StoredCentre()->Kind, kind::User);
    EXPECT_EQ(calls, (Calls{"EscCancel", "Repaint", "InputText", "Repaint", "EscCancel"}));
}

TEST_F(UserPicture, NameWithoutPicture) {
    program.answers = {"  Ada  "};
    ChangeUserNameAndIcon(app, dock, program);
    EXPECT_TRUE(t.icons.calls.empty());
    EXPECT_EQ(app.store.Items[0].Kind, kind::Free);
    EXPECT_EQ(app.store.Items[0].Title.Peek(), "Ada");
    ASSERT_TRUE(StoredCentre().has_value());
    EXPECT_EQ(StoredCentre()->Title.Peek(), "Ada");
    EXPECT_EQ(calls, (Calls{"InputText", "Repaint"}));

    // A blank answer keeps the name.
    program.answers = {"   "};
    ChangeUserNameAndIcon(app, dock, program);
    EXPECT_EQ(app.store.Items[0].Title.Peek(), "Ada");
}

} // namespace
} // namespace qor
