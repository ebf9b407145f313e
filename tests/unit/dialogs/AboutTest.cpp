// The about window's texts and links.
#include <gtest/gtest.h>

#include "dialogs/About.h"
#include "fakes/FakeShell.h"
#include "fakes/Fakes.h"

namespace qor {
namespace {

TEST(AboutWindow, LinksOpenTheWebSiteAndAHelpMailShownNormal) {
    test::TestApp t;
    test::FakeShell shell;
    t.app.sys.shell = &shell;
    OpenAboutLink(t.app, AboutLink::WebSite);
    OpenAboutLink(t.app, AboutLink::SupportMail);
    ASSERT_EQ(shell.executes.size(), 2u);
    EXPECT_EQ(shell.executes[0], (ShellExecuteCall{"open", "https://www.qorsoft.example/", "", "", 1}));
    EXPECT_EQ(shell.executes[1],
              (ShellExecuteCall{"open", "mailto:support@qorsoft.example?subject=Help", "", "", 1}));
    EXPECT_EQ(AboutLinkText(AboutLink::WebSite), "www.qorsoft.example");

    t.app.sys.shell = nullptr; // no shell: nothing happens
    OpenAboutLink(t.app, AboutLink::WebSite);
    t.app.WindowsVersionText = "Microsoft Windows 10 (Build 19045)";
    EXPECT_EQ(AboutSystemText(t.app), "Microsoft Windows 10 (Build 19045)");
    EXPECT_NE(AboutText().find("version 1.8.0"), std::string::npos);
}

} // namespace
} // namespace qor
