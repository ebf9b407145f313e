// The one rule for text on its way into a stored field: characters the code page lacks are
// refused, and an overlong text is cut between whole characters or refused.
#include <gtest/gtest.h>

#include "core/FieldText.h"

namespace qor {
namespace {

TEST(FieldText, FitsCutsOrRefuses) {
    using S = FieldFitStatus;
    const std::string lead = "\x82\xa0"; // one double-byte character
    struct Row {
        const char* what;
        CodePageChars chars;
        std::size_t width;
        FieldOverflow overflow;
        S status;
        std::string text;
    };
    const Row rows[] = {
        {"fits", SingleByteChars("Games"), 8, FieldOverflow::Cut, S::Fits, "Games"},
        {"exactly the width", SingleByteChars("Games"), 5, FieldOverflow::Refuse, S::Fits, "Games"},
        {"empty", {}, 5, FieldOverflow::Refuse, S::Fits, ""},
        {"cut", SingleByteChars("Games and more"), 5, FieldOverflow::Cut, S::Cut, "Games"},
        {"path too long", SingleByteChars("C:\\a\\b.txt"), 5, FieldOverflow::Refuse, S::TooLong, ""},
        // A double-byte character that would straddle the width is left out whole.
        {"no half character", {"a", "b", lead, "c"}, 3, FieldOverflow::Cut, S::Cut, "ab"},
        {"double-byte fits", {"a", lead}, 3, FieldOverflow::Cut, S::Fits, "a" + lead},
        {"not in the code page", {"a", "", "b"}, 10, FieldOverflow::Cut, S::NotInCodePage, ""},
        {"refused before cut", {"a", "b", "c", ""}, 2, FieldOverflow::Cut, S::NotInCodePage, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const FieldFit fit = FitStoredField(r.chars, r.width, r.overflow);
        EXPECT_EQ(fit.status, r.status);
        EXPECT_EQ(fit.text, r.text);
        EXPECT_EQ(fit.Accepted(), r.status == S::Fits || r.status == S::Cut);
    }
    EXPECT_NE(FieldRefusedText("title", S::NotInCodePage, 128).find("The title contains characters"),
              std::string::npos);
    EXPECT_NE(FieldRefusedText("target", S::TooLong, 255).find("at most 255"), std::string::npos);
}

} // namespace
} // namespace qor
