// What the file dialog record receives: the length rule, the filter's NUL separators, the
// buffers, the flags and the result taken from the file buffer.
#include <gtest/gtest.h>

#include "icons/FileDialog.h"

namespace qor {
namespace {

TEST(FileDialogTest, FilterPairsAreSeparatedByNuls) {
    using namespace std::string_literals;
    struct Case {
        const char* filter;
        std::string expected;
    };
    const Case cases[] = {
        {"*.ico;*.png|*.ico;*.png", "*.ico;*.png\0*.ico;*.png\0"s},
        {"*.bak|*.bak|*.*|*.*", "*.bak\0*.bak\0*.*\0*.*\0"s},
        {"*.lnk;*.exe;*.*|*.lnk;*.exe;*.*", "*.lnk;*.exe;*.*\0*.lnk;*.exe;*.*\0"s},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::string nul = FilterWithNuls(c.filter);
        EXPECT_EQ(nul, c.expected) << c.filter;
        // With the terminator c_str() adds, the list ends in an empty string.
        if (!nul.empty()) {
            EXPECT_EQ(nul.c_str()[nul.size() - 1], '\0');
            EXPECT_EQ(nul.c_str()[nul.size()], '\0');
        }
    }
    // Two pairs give two choices: four strings before the empty one.
    const std::string two = FilterWithNuls("*.bak|*.bak|*.*|*.*");
    int strings = 0;
    for (const char* p = two.c_str(); *p; p += std::char_traits<char>::length(p) + 1)
        ++strings;
    EXPECT_EQ(strings, 4);
}

TEST(FileDialogTest, InitialNameOf260OpensAnd261IsRefused) {
    FileDialogRequest request;
    request.title = "QOR Desktop - Backup Configuration";
    request.filter = "*.bak|*.bak|*.*|*.*";
    request.initialName = std::string(260, 'a');
    std::optional<FileDialogRecord> record = PrepareFileDialog(request);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->file.substr(0, 260), request.initialName);
    // Always terminated inside the buffer the system is told about.
    ASSERT_EQ(record->file.size(), kFileBufferChars + 1);
    EXPECT_EQ(record->file[260], '\0');

    request.initialName = std::string(261, 'a');
    EXPECT_FALSE(PrepareFileDialog(request));
    request.initialName = std::string(5000, 'a');
    EXPECT_FALSE(PrepareFileDialog(request));
}

TEST(FileDialogTest, RecordValues) {
    FileDialogRequest request;
    request.title = "QOR Desktop - Change Icon";
    request.filter = "*.ico;*.png|*.ico;*.png";
    request.initialName = "QOR Desktop Cfg.bak";
    request.initialFolder = "C:\\Users\\me\\";
    request.defaultExtension = "bak";
    std::optional<FileDialogRecord> open = PrepareFileDialog(request);
    ASSERT_TRUE(open);
    EXPECT_FALSE(open->save);
    EXPECT_EQ(open->flags, 0x1804u);
    EXPECT_EQ(open->title, request.title);
    EXPECT_EQ(open->initialFolder, request.initialFolder);
    EXPECT_EQ(open->defaultExtension, "bak");
    EXPECT_EQ(open->file.substr(0, 19), "QOR Desktop Cfg.bak");
    EXPECT_EQ(open->file.find_first_not_of('\0', 19), std::string::npos); // padded with NULs
    EXPECT_EQ(open->fileTitle, std::string(259, ' ') + '\0');

    // A save dialog must accept a name that does not exist yet (a new backup file).
    request.save = true;
    std::optional<FileDialogRecord> save = PrepareFileDialog(request);
    ASSERT_TRUE(save);
    EXPECT_TRUE(save->save);
    EXPECT_EQ(save->flags, 0x0804u);
}

TEST(FileDialogTest, ResultIsTheBufferUpToItsFirstNul) {
    const char buffer[] = {'C', ':', '\\', 'a', '.', 'b', 'a', 'k', '\0', 'x', 'y', '\0'};
    EXPECT_EQ(FileDialogResult(buffer, sizeof buffer), "C:\\a.bak");
    EXPECT_EQ(FileDialogResult(buffer, 3), "C:\\"); // no NUL inside the size: never read past it
    EXPECT_EQ(FileDialogResult(nullptr, 10), "");
    EXPECT_EQ(FileDialogOverflowTitle("QOR Desktop"), "QOR Desktop - FileDialog Function");
}

} // namespace
} // namespace qor
