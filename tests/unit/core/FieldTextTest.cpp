// The one rule for text on its way into a stored field: characters the code page lacks are
// refused, and an overlong text is cut between whole characters or refused.
#include <gtest/gtest.h>

#include <tuple>

#include "core/FieldText.h"

namespace qor {
namespace {

TEST(FieldText, FitsCutsOrRefuses) {
    using S = FieldFitStatus;
    const std::string lead = "\x82\xa0"; // one double-byte character
    const std::tuple<const char*, CodePageChars, std::size_t, FieldOverflow, S, std::string> rows[] = {
        {"exactly the width", SingleByteChars("Games"), 5, FieldOverflow::Refuse, S::Fits, "Games"},
        {"empty", {}, 5, FieldOverflow::Refuse, S::Fits, ""},
        {"cut", SingleByteChars("Games and more"), 5, FieldOverflow::Cut, S::Cut, "Games"},
        {"path too long", SingleByteChars("C:\\a\\b.txt"), 5, FieldOverflow::Refuse, S::TooLong, ""},
        {"no half double-byte character", {"a", "b", lead, "c"}, 3, FieldOverflow::Cut, S::Cut, "ab"},
        {"double-byte fits", {"a", lead}, 3, FieldOverflow::Cut, S::Fits, "a" + lead},
        {"refused before cut", {"a", "b", "c", ""}, 2, FieldOverflow::Cut, S::NotInCodePage, ""},
    };
    for (const auto& [what, chars, width, overflow, status, text] : rows) {
        SCOPED_TRACE(what);
        const FieldFit fit = FitStoredField(chars, width, overflow);
        EXPECT_EQ(fit.status, status);
        EXPECT_EQ(fit.text, text);
        EXPECT_EQ(fit.Accepted(), status == S::Fits || status == S::Cut);
    }
    EXPECT_NE(FieldRefusedText("title", S::NotInCodePage, 128).find("The title contains characters"),
              std::string::npos);
    EXPECT_NE(FieldRefusedText("target", S::TooLong, 255).find("at most 255"), std::string::npos);
}

} // namespace
} // namespace qor
