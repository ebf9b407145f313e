#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "icons/Associations.h"

namespace qor {
namespace {

class Associations : public ::testing::Test {
protected:
    test::TestApp t;
    void Classes(const std::string& subKey, const std::string& value, const std::string& name = "") {
        t.reg.SetString(reg::ClassesRoot, subKey, name, value);
    }
    void MachineClasses(const std::string& subKey, const std::string& value) {
        t.reg.SetString(reg::LocalMachine, "SOFTWARE\\Classes\\" + subKey, "", value);
    }
};

TEST_F(Associations, DefaultIconThroughSystemRootExpandsAndKeepsTheIdentifier) {
    Classes(".xyz", "xyzfile");
    Classes("xyzfile\\DefaultIcon", "%SystemRoot%\\system32\\shell32.dll,-152");
    const IconLocation icon = FindDefaultIcon(t.app, ".xyz");
    EXPECT_EQ(icon.file, "C:\\Windows\\system32\\shell32.dll");
    EXPECT_EQ(icon.index, -152);
}

TEST_F(Associations, ClassIdentifierIconComesFirst) {
    Classes(".doc", "Word.Document  "); // blanks and the NUL are cleaned away
    Classes("Word.Document\\CLSID", "{00020906-0000-0000-C000-000000000046}");
    Classes("CLSID\\{00020906-0000-0000-C000-000000000046}\\DefaultIcon", " C:\\Office\\word.exe , 1 ");
    Classes("Word.Document\\DefaultIcon", "C:\\Other\\other.dll,5");
    const IconLocation icon = FindDefaultIcon(t.app, ".doc");
    EXPECT_EQ(icon.file, "C:\\Office\\word.exe");
    EXPECT_EQ(icon.index, 1);
}

TEST_F(Associations, IconIndexTexts) {
    const std::pair<const char*, int32_t> table[] = {
        {"c:\\a.dll,3", 3},
        {"c:\\a.dll,-7", -7},
        {"c:\\a.dll,abc", 0},
        {"c:\\a.dll,", 0},
        {"c:\\a.dll,12x", 12},
        {"c:\\a.dll,2147483647", 2147483647},
        {"c:\\a.dll,-2147483648", INT32_MIN},
        {"c:\\a.dll,99999999999", 0},
        {"c:\\a.dll,1,2", 1},
    };
    Classes(".t", "tfile");
    for (const auto& [text, index] : table) {
        Classes("tfile\\DefaultIcon", text);
        const IconLocation icon = FindDefaultIcon(t.app, ".t");
        EXPECT_EQ(icon.file, "c:\\a.dll") << text;
        EXPECT_EQ(icon.index, index) << text;
    }
}

TEST_F(Associations, IconTextWithoutCommaNamesNoFileAndEndsTheSearch) {
    Classes(".ico", "icofile");
    Classes("icofile\\DefaultIcon", "%1");
    Classes("icofile\\shell\\open\\command", "C:\\viewer.exe \"%1\"");
    MachineClasses(".ico", "machineico");
    MachineClasses("machineico\\DefaultIcon", "C:\\machine.dll,4");
    const IconLocation icon = FindDefaultIcon(t.app, ".ico");
    EXPECT_EQ(icon.file, "");
    EXPECT_EQ(icon.index, 0);
}

TEST_F(Associations, OpenCommandGivesTheProgram) {
    struct Case {
        const char* command;
        const char* file;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\App\\app.exe\" \"%1\"", "C:\\Program Files\\App\\app.exe"},
        {"  C:\\App\\Tool.Exe /open %1", "C:\\App\\Tool.Exe"},
        {"%windir%\\system32\\NOTEPAD.EXE %1", "C:\\Windows\\system32\\NOTEPAD.EXE"},
        {"rundll32 shimgvw.dll,ImageView %1", "RUNDLL32 SHIMGVW.DLL,IMAGEVIEW %1"},
    };
    Classes(".abc", "abcfile");
    for (const Case& c : cases) {
        Classes("abcfile\\shell\\open\\command", c.command);
        const IconLocation icon = FindDefaultIcon(t.app, ".abc");
        EXPECT_EQ(icon.file, c.file) << c.command;
        EXPECT_EQ(icon.index, 0) << c.command;
    }
}

TEST_F(Associations, MachineClassesAreAskedWhenTheClassesRootSaysNothing) {
    MachineClasses(".qqq", "qqqfile");
    MachineClasses("qqqfile\\CLSID", "{1234}");
    MachineClasses("CLSID\\{1234}\\DefaultIcon", "C:\\m.dll,-3");
    IconLocation icon = FindDefaultIcon(t.app, ".qqq");
    EXPECT_EQ(icon.file, "C:\\m.dll");
    EXPECT_EQ(icon.index, -3);

    // A class under the classes root without icon or command also falls through.
    Classes(".rrr", "rrrfile");
    MachineClasses(".rrr", "rrrmachine");
    MachineClasses("rrrmachine\\shell\\open\\command", "\"C:\\r.exe\" %1");
    icon = FindDefaultIcon(t.app, ".rrr");
    EXPECT_EQ(icon.file, "C:\\r.exe");
}

TEST_F(Associations, UnknownTypeGivesNothing) {
    EXPECT_EQ(FindDefaultIcon(t.app, ".none").file, "");
    EXPECT_EQ(FindDefaultIcon(t.app, "").file, "");
    Classes("", "root default"); // the root key's own default value is not a class
    EXPECT_EQ(FindDefaultIcon(t.app, "").file, "");
}

TEST_F(Associations, DefaultProgramFromTheUserChoice) {
    const std::string choice = "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\";
    t.reg.SetString(reg::CurrentUser, choice + "http\\UserChoice", "Progid", "BrowserHTML");
    Classes("BrowserHTML\\shell\\open\\command",
            "\"C:\\Program Files\\Browser\\browser.exe\" -osint -url \"%1\"");
    Classes("http\\shell\\open\\command", "\"C:\\Old\\old.exe\" \"%1\"");
    EXPECT_EQ(FindDefaultProgram(t.app, 0), "C:\\Program Files\\Browser\\browser.exe");

    // A chosen class without a command falls back to the scheme's own command.
    t.reg.SetString(reg::CurrentUser, choice + "http\\UserChoice", "Progid", "Gone");
    EXPECT_EQ(FindDefaultProgram(t.app, 0), "C:\\Old\\old.exe");
}

TEST_F(Associations, DefaultProgramOfTheScheme) {
    Classes("mailto\\shell\\open\\command", "%windir%\\Mail\\mail.EXE /mailurl:%1");
    EXPECT_EQ(FindDefaultProgram(t.app, 1), "C:\\Windows\\Mail\\mail.EXE");
    EXPECT_EQ(FindDefaultProgram(t.app, 0), "");
    Classes("http\\shell\\open\\command", "explorer %1");
    EXPECT_EQ(FindDefaultProgram(t.app, 0), "EXPLORER %1");
    EXPECT_EQ(FindDefaultProgram(t.app, 2), "");
    EXPECT_EQ(FindDefaultProgram(t.app, -1), "");
}

} // namespace
} // namespace qor
