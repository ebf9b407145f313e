#include <gtest/gtest.h>

#include "dialogs/InputText.h"

namespace qor {
namespace {

TEST(InputWindow, WhatItHandsBack) {
    struct Row {
        bool confirmed;
        const char* entered;
        const char* inputText;
        const char* expected;
    };
    const Row rows[] = {
        {true, "Games", "New Group", "Games"},
        {true, "  Games  ", "New Group", "  Games  "}, // blanks kept as typed
        {true, "   ", "New Group", "New Group"},       // blank-only: the default
        {true, "", "New Group", "New Group"},
        {true, "", "", ""},
        {false, "Games", "New Group", "New Group"}, // cancelled
        {false, "", "user", "user"},
        {true, "\tx", "y", "\tx"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.confirmed ? "OK" : "Cancel") + " with '" + r.entered + "'");
        EXPECT_EQ(InputResult(r.confirmed, r.entered, r.inputText), r.expected);
    }
    EXPECT_EQ(InputCaption(""), "QOR Desktop Input");
    EXPECT_EQ(InputCaption("Change User Name"), "Change User Name");
}

} // namespace
} // namespace qor
