#include <gtest/gtest.h>

#include <string>

#include "core/Text.h"

namespace qor {
namespace {

TEST(CleanString, CutsAtNulAndTrimsBlanks) {
    EXPECT_EQ(CleanString(std::string(255, ' ')), "");
    EXPECT_EQ(CleanString(std::string("  Notepad\0junk  ", 16)), "Notepad");
    EXPECT_EQ(CleanString("  a b  "), "a b");
    EXPECT_EQ(CleanString(std::string("\0abc", 4)), "");
    // Only blanks are trimmed, not tabs or line breaks.
    EXPECT_EQ(CleanString("\tx\r\n"), "\tx\r\n");
}

TEST(FixedText, PadsCutsAndCleansBack) {
    FixedText<8> f;
    EXPECT_EQ(f.View(), std::string(8, '\0')); // a fresh record is all zero bytes
    f = "abc";
    EXPECT_EQ(f.View(), "abc     ");
    f = "0123456789";
    EXPECT_EQ(f.View(), "01234567");
    f.bytes = {' ', 'x', ' ', '\0', 'y', 'z', ' ', ' '};
    EXPECT_EQ(f.Peek(), "x");
    EXPECT_EQ(f.bytes[4], 'y'); // Peek leaves the field as it is
    EXPECT_EQ(f.Clean(), "x");
    EXPECT_EQ(f.View(), "x       "); // Clean writes the cleaned text back
}

TEST(TextHelpers, CaseAndAffixes) {
    EXPECT_EQ(ToUpperAscii("a\xe9z"), "A\xe9Z"); // ANSI letters above 127 are left alone
    EXPECT_TRUE(EndsWithNoCase("Notepad.LNK", ".lnk"));
    EXPECT_FALSE(EndsWithNoCase("lnk", ".lnk"));
    EXPECT_EQ(ReplaceAll("\\\\\\", "\\\\", "\\"), "\\\\"); // one pass, left to right
    EXPECT_EQ(WithBackslash("C:\\x"), "C:\\x\\");
    EXPECT_EQ(WithBackslash("C:\\x\\"), "C:\\x\\");
    EXPECT_EQ(WithBackslash(""), "");
}

} // namespace
} // namespace qor
