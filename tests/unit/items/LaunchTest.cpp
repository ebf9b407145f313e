#include <gtest/gtest.h>

#include <optional>

#include "core/AppState.h"
#include "fakes/FakeShell.h"
#include "fakes/RecordingActions.h"
#include "items/Launch.h"

namespace qor {
namespace {

using test::RecordingDock;
using test::ShellTestApp;

struct LaunchItems : ::testing::Test {
    ShellTestApp t;
    AppState& app = t.app;
    std::vector<std::string> calls;
    RecordingDock dock{calls};

    LaunchItems() {
        t.fs.AddFolder("C:\\");
        t.fs.AddFolder("C:\\tools");
        t.fs.AddFolder("C:\\work");
        t.fs.AddFile("C:\\tools\\app.exe", "MZ");
        t.fs.AddFile("C:\\tools\\other.exe", "MZ");
        t.fs.AddFile("C:\\Program Files\\Office\\winword.exe", "MZ");
        t.fs.AddFolder("C:\\Program Files\\Office");
    }
    DockItem& Item(int i) { return app.store.Items[i]; }
    std::vector<ShellExecuteCall>& Executes() { return t.shell.executes; }
};

// What the shell is asked to open for one item: the file, the arguments, the working directory
// and the show command follow from TargetPath, Target, Arguments and RunMode.
TEST_F(LaunchItems, OpensTheItemWithItsArgumentsFolderAndShowCommand) {
    struct Row {
        const char* name;
        const char* targetPath;
        const char* target;
        const char* arguments;
        int32_t runMode;
        ShellExecuteCall expected;
    };
    const Row rows[] = {
        {"target path wins over an existing target",
         "C:\\tools\\app.exe",
         "C:\\tools\\other.exe",
         "-x 1",
         0,
         {"open", "C:\\tools\\app.exe", "-x 1", "C:\\tools\\", 1}},
        {"target when the target path is gone",
         "C:\\tools\\gone.exe",
         "C:\\tools\\other.exe",
         "",
         0,
         {"open", "C:\\tools\\other.exe", "", "C:\\tools\\", 1}},
        {"target when the target path is empty",
         "",
         "C:\\tools\\other.exe",
         "a b",
         0,
         {"open", "C:\\tools\\other.exe", "a b", "C:\\tools\\", 1}},
        {"minimized", "C:\\tools\\app.exe", "", "", 1, {"open", "C:\\tools\\app.exe", "", "C:\\tools\\", 2}},
        {"maximized", "C:\\tools\\app.exe", "", "", 2, {"open", "C:\\tools\\app.exe", "", "C:\\tools\\", 3}},
        {"a run mode of 7 opens normally",
         "C:\\tools\\app.exe",
         "",
         "",
         7,
         {"open", "C:\\tools\\app.exe", "", "C:\\tools\\", 1}},
        {"a negative run mode opens normally",
         "C:\\tools\\app.exe",
         "",
         "",
         -1,
         {"open", "C:\\tools\\app.exe", "", "C:\\tools\\", 1}},
        {"blanks around the fields are cut",
         "  C:\\tools\\app.exe  ",
         "",
         "  --flag  ",
         0,
         {"open", "C:\\tools\\app.exe", "--flag", "C:\\tools\\", 1}},
        {"a folder opens in its parent folder", "C:\\work", "", "", 0, {"open", "C:\\work", "", "C:\\", 1}},
        {"a drive root is its own folder", "C:\\", "", "", 0, {"open", "C:\\", "", "C:\\", 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Executes().clear();
        DockItem& d = Item(5);
        d = DockItem{};
        d.Kind = kind::Shortcut;
        d.TargetPath = row.targetPath;
        d.Target = row.target;
        d.Arguments = row.arguments;
        d.RunMode = row.runMode;
        EXPECT_TRUE(LaunchItem(app, 5, dock));
        ASSERT_EQ(Executes().size(), 1u);
        EXPECT_EQ(Executes()[0], row.expected);
    }
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(LaunchItems, FieldsReadAreWrittenBackCleaned) {
    Item(5).TargetPath = "  C:\\tools\\app.exe";
    Item(5).Arguments = std::string_view(" -v \0junk", 9);
    LaunchItem(app, 5, dock);
    FixedText<255> path;
    path = "C:\\tools\\app.exe";
    FixedText<128> arguments;
    arguments = "-v";
    EXPECT_EQ(Item(5).TargetPath, path);
    EXPECT_EQ(Item(5).Arguments, arguments);
}

TEST_F(LaunchItems, MissingTargetShowsTheMessageAndOpensNothing) {
    Item(5).TargetPath = "";
    Item(5).Target = "C:\\tools\\gone.exe";
    EXPECT_FALSE(LaunchItem(app, 5, dock));
    EXPECT_TRUE(Executes().empty());
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text,
              "The item 'C:\\tools\\gone.exe' that this shortcut refers to has been changed "
              "or removed, so this shortcut will no longer work properly.\r\n\r\n");
    EXPECT_EQ(t.ui.messages[0].caption, "Problem with Shortcut");
    EXPECT_EQ(t.ui.messages[0].flags, mb::Ok | mb::IconExclamation);

    // Both paths empty: nothing between the apostrophes.
    t.ui.messages.clear();
    Item(6) = DockItem{};
    EXPECT_FALSE(LaunchItem(app, 6, dock));
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text.substr(0, 12), "The item '' ");
}

TEST_F(LaunchItems, ShortcutFilesOpenWhatTheyPointAt) {
    t.fs.AddFile("C:\\links\\app.lnk", "L");
    t.fs.AddFile("C:\\links\\nodir.LNK", "L");
    t.fs.AddFile("C:\\links\\word.lnk", "L");
    t.fs.AddFile("C:\\links\\broken.lnk", "L");
    ShellLinkInfo app1;
    app1.target = "C:\\tools\\app.exe";
    app1.arguments = " --from-link ";
    app1.workingDirectory = "C:\\work";
    app1.windowStyle = 3; // the link says maximized; the item's own RunMode wins
    t.shell.AddLink("C:\\links\\app.lnk", app1);
    ShellLinkInfo noDir;
    noDir.target = "C:\\tools\\other.exe";
    t.shell.AddLink("C:\\links\\nodir.LNK", noDir);
    ShellLinkInfo word;
    word.target = "C:\\tools\\app.exe";
    word.arguments = "ignored";
    word.workingDirectory = "C:\\work";
    t.shell.AddLink("C:\\links\\word.lnk", word);
    t.shell.installerTargets["C:\\links\\word.lnk"] = "C:\\Program Files\\Office\\winword.exe";
    ShellLinkInfo broken;
    broken.target = "C:\\tools\\deleted.exe";
    t.shell.AddLink("C:\\links\\broken.lnk", broken);

    struct Row {
        const char* link;
        int32_t runMode;
        std::optional<ShellExecuteCall> expected; // nothing: the missing-target message
    };
    const Row rows[] = {
        {"C:\\links\\app.lnk", 1,
         ShellExecuteCall{"open", "C:\\tools\\app.exe", "--from-link", "C:\\work", 2}},
        {"C:\\links\\nodir.LNK", 0, ShellExecuteCall{"open", "C:\\tools\\other.exe", "", "C:\\tools\\", 1}},
        {"C:\\links\\word.lnk", 0,
         ShellExecuteCall{"open", "C:\\Program Files\\Office\\winword.exe", "", "C:\\Program Files\\Office\\",
                          1}},
        {"C:\\links\\broken.lnk", 0, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        Executes().clear();
        t.ui.messages.clear();
        Item(7) = DockItem{};
        Item(7).Kind = kind::Shortcut;
        Item(7).Target = row.link;
        Item(7).TargetPath = row.link;
        Item(7).RunMode = row.runMode;
        EXPECT_EQ(LaunchItem(app, 7, dock), row.expected.has_value());
        if (row.expected) {
            ASSERT_EQ(Executes().size(), 1u);
            EXPECT_EQ(Executes()[0], *row.expected);
            EXPECT_TRUE(t.ui.messages.empty());
        } else {
            EXPECT_TRUE(Executes().empty());
            ASSERT_EQ(t.ui.messages.size(), 1u);
            // The message names the shortcut file the user knows, not its lost target.
            EXPECT_EQ(t.ui.messages[0].text, MissingTargetText(row.link));
            EXPECT_EQ(t.ui.messages[0].caption, "Problem with Shortcut");
        }
    }
}

TEST_F(LaunchItems, ResultIsTheShellsAnswerAndTheDockAlwaysReturnsToRest) {
    Item(5).TargetPath = "C:\\tools\\app.exe";
    t.shell.executeResult = 32; // the highest error value
    EXPECT_FALSE(LaunchItem(app, 5, dock));
    EXPECT_TRUE(t.ui.messages.empty()); // a shell error shows nothing
    t.shell.executeResult = 33;
    EXPECT_TRUE(LaunchItem(app, 5, dock));
    EXPECT_EQ(calls, (std::vector<std::string>{"EscCancel", "EscCancel"}));

    // Auto-hide after launch: the dock hides, also when the target was missing.
    calls.clear();
    app.cfg.AutoHide = 1;
    EXPECT_TRUE(LaunchItem(app, 5, dock));
    Item(6).Target = "C:\\tools\\gone.exe";
    EXPECT_FALSE(LaunchItem(app, 6, dock));
    EXPECT_EQ(calls, (std::vector<std::string>{"EscCancel", "MinWindows 2", "EscCancel", "MinWindows 2"}));

    // An index outside the store opens nothing but still settles the dock.
    calls.clear();
    Executes().clear();
    EXPECT_FALSE(LaunchItem(app, 5000, dock));
    EXPECT_TRUE(Executes().empty());
    EXPECT_EQ(calls, (std::vector<std::string>{"EscCancel", "MinWindows 2"}));
}

} // namespace
} // namespace qor
