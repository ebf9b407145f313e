#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "icons/IconExtraction.h"
#include "icons/IconTools.h"

namespace qor {
namespace {

// Records what extraction asks of the system and answers from a table.
class RecordingIconTools : public IIconTools {
public:
    std::map<std::string, int> resourceResults; // by file; 0 when absent
    bool shellResult = true;
    std::vector<std::string> calls;

    int ExtractResourceIcon(const std::string& file, int index, const std::string& png) override {
        calls.push_back("resource " + file + " " + std::to_string(index) + " -> " + png);
        auto r = resourceResults.find(file);
        return r == resourceResults.end() ? 0 : r->second;
    }
    bool ExtractShellIcon(const std::string& file, const std::string& png) override {
        calls.push_back("shell " + file + " -> " + png);
        return shellResult;
    }
    int ConvertIconFile(const std::string&, const std::string&) override { return 0; }
    int ImageFileToPng(const std::string&, const std::string&, bool, int, int) override { return 0; }
    std::string GetVersionString(const std::string&, int) override { return {}; }
};

class ExtractFileIconTest : public ::testing::Test {
protected:
    test::FakeFileSystem fs;
    RecordingIconTools tools;
    const std::string png = "C:\\Cache\\7.png";
    void SetUp() override {
        fs.AddFile("C:\\App\\icons.dll", "x");
        fs.AddFile("C:\\App\\app.exe", "x");
        fs.AddFile("C:\\Docs\\a.msi", "x");
    }
};

TEST_F(ExtractFileIconTest, ResourceModeTriesTheIconFileThenTheTarget) {
    tools.resourceResults["C:\\App\\icons.dll"] = 1;
    EXPECT_TRUE(ExtractFileIcon(tools, fs, extract::Resource,
                                {"  C:\\App\\icons.dll ", "C:\\App\\app.exe", -101}, png + "   "));
    EXPECT_EQ(tools.calls,
              (std::vector<std::string>{"resource C:\\App\\icons.dll -101 -> C:\\Cache\\7.png"}));

    tools.calls.clear();
    tools.resourceResults = {{"C:\\App\\app.exe", 1}};
    EXPECT_TRUE(
        ExtractFileIcon(tools, fs, extract::Resource, {"C:\\App\\icons.dll", "C:\\App\\app.exe", 2}, png));
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"resource C:\\App\\icons.dll 2 -> C:\\Cache\\7.png",
                                                     "resource C:\\App\\app.exe 2 -> C:\\Cache\\7.png"}));

    tools.calls.clear();
    EXPECT_TRUE(
        ExtractFileIcon(tools, fs, extract::Resource, {"C:\\Gone\\x.dll", "C:\\App\\app.exe", 0}, png));
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"resource C:\\App\\app.exe 0 -> C:\\Cache\\7.png"}));

    tools.calls.clear();
    tools.resourceResults.clear();
    EXPECT_FALSE(
        ExtractFileIcon(tools, fs, extract::Resource, {"C:\\App\\icons.dll", "C:\\App\\app.exe", 0}, png));
    EXPECT_EQ(tools.calls.size(), 2u);

    tools.calls.clear();
    EXPECT_FALSE(ExtractFileIcon(tools, fs, extract::Resource, {"", "C:\\Gone\\y.exe", 0}, png));
    EXPECT_TRUE(tools.calls.empty());
}

TEST_F(ExtractFileIconTest, DocumentModeNeedsTheIconFile) {
    tools.resourceResults["C:\\App\\icons.dll"] = 1;
    EXPECT_TRUE(ExtractFileIcon(tools, fs, extract::Document, {"C:\\App\\icons.dll", "", -152}, png));
    EXPECT_EQ(tools.calls,
              (std::vector<std::string>{"resource C:\\App\\icons.dll -152 -> C:\\Cache\\7.png"}));
    tools.calls.clear();
    EXPECT_FALSE(
        ExtractFileIcon(tools, fs, extract::Document, {"C:\\Gone\\x.dll", "C:\\App\\app.exe", 0}, png));
    EXPECT_TRUE(tools.calls.empty());
    tools.resourceResults.clear();
    EXPECT_FALSE(ExtractFileIcon(tools, fs, extract::Document, {"C:\\App\\icons.dll", "", 0}, png));
}

TEST_F(ExtractFileIconTest, ShellModeAsksTheShellForExistingFiles) {
    EXPECT_TRUE(ExtractFileIcon(tools, fs, extract::Shell, {"C:\\Docs\\a.msi", "", 0}, png));
    EXPECT_EQ(tools.calls, (std::vector<std::string>{"shell C:\\Docs\\a.msi -> C:\\Cache\\7.png"}));
    tools.shellResult = false;
    EXPECT_FALSE(ExtractFileIcon(tools, fs, extract::Shell, {"C:\\Docs\\a.msi", "", 0}, png));
    tools.calls.clear();
    EXPECT_FALSE(ExtractFileIcon(tools, fs, extract::Shell, {"C:\\Docs\\gone.msi", "", 0}, png));
    EXPECT_TRUE(tools.calls.empty());
}

TEST_F(ExtractFileIconTest, OtherModesDoNothing) {
    for (int mode : {0, 1, 2, 6, 99}) {
        EXPECT_TRUE(ExtractFileIcon(tools, fs, mode, {"C:\\App\\icons.dll", "", 0}, png)) << mode;
    }
    EXPECT_TRUE(tools.calls.empty());
}

} // namespace
} // namespace qor
