// The registry operations on Wine's real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/Registry.h"
#include "platform/Handles_win.h"
#include "platform/Registry_win.h"

namespace qor {
namespace {

const std::string kTestKey = "HKEY_CURRENT_USER\\Software\\QOR Desktop Tests\\Registry";

class RegistryWin : public ::testing::Test {
protected:
    Win32Registry reg;
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QOR Desktop Tests"); }
};

TEST_F(RegistryWin, TextRoundTripsWithoutATerminator) {
    EXPECT_EQ(WriteRegistryValue(reg, kTestKey, "Name", "value 1", 1), 0);
    char buffer[64] = {};
    DWORD size = sizeof(buffer), type = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\QOR Desktop Tests\\Registry", "Name", RRF_RT_ANY,
                           &type, buffer, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadRegistryText(reg, kTestKey, "Name"), "value 1");
}

TEST_F(RegistryWin, NumbersAndExpandableText) {
    WriteRegistryValue(reg, kTestKey, "N", "41.6", 4);
    EXPECT_EQ(std::get<int32_t>(ReadRegistryValue(reg, kTestKey, "N")), 42);
    WriteRegistryValue(reg, kTestKey, "E", "%SystemRoot%\\x", 2);
    EXPECT_EQ(ReadRegistryText(reg, kTestKey, "E"), "%SystemRoot%\\x"); // read as stored, not expanded
}

TEST_F(RegistryWin, LowerCaseRootsAreAcceptedShortFormsAreNot) {
    const std::string lower = "hkey_current_user\\Software\\QOR Desktop Tests\\Registry";
    EXPECT_EQ(WriteRegistryValue(reg, lower, "L", "ok", 1), 0);
    EXPECT_EQ(ReadRegistryText(reg, kTestKey, "L"), "ok");
    EXPECT_EQ(WriteRegistryValue(reg, "HKCU\\Software\\QOR Desktop Tests\\Registry", "S", "no", 1), 0);
    EXPECT_EQ(ReadRegistryText(reg, kTestKey, "S"), "");
    EXPECT_EQ(ReadRegistryText(reg, "HKCU\\Software\\QOR Desktop Tests\\Registry", "L"), "");
}

TEST_F(RegistryWin, APathWithoutBackslashNamesTheRootItself) {
    EXPECT_EQ(WriteRegistryValue(reg, "HKEY_CURRENT_USER", "QOR Desktop Test Value", "root", 1), 0);
    EXPECT_EQ(ReadRegistryText(reg, "HKEY_CURRENT_USER", "QOR Desktop Test Value"), "root");
    EXPECT_EQ(DeleteRegistryValue(reg, "HKEY_CURRENT_USER", "QOR Desktop Test Value"), 0);
    EXPECT_EQ(ReadRegistryText(reg, "HKEY_CURRENT_USER", "QOR Desktop Test Value"), "");
}

TEST_F(RegistryWin, DefaultValuesAndMissingKeys) {
    // The default value of a key is the empty value name, as the file-type look-ups read it.
    EXPECT_EQ(WriteRegistryValue(reg, kTestKey, "", "default text", 1), 0);
    EXPECT_EQ(ReadRegistryText(reg, kTestKey, ""), "default text");
    EXPECT_EQ(ReadRegistryText(reg, kTestKey + "\\Missing", "x"), "");
    EXPECT_EQ(DeleteRegistryValue(reg, kTestKey + "\\Missing", "x"), 0);
}

TEST_F(RegistryWin, ZeroFollowedByBlanksIsAFirstRunMarker) {
    // Stored by hand with its terminator, as an installer would.
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QOR Desktop Tests\\Registry", &raw), ERROR_SUCCESS);
    const win::RegKey key(raw);
    const char text[] = "0   ";
    RegSetValueExA(key.get(), "FirstRun", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    EXPECT_EQ(ReadRegistryText(reg, kTestKey, "FirstRun"), "0");
}

} // namespace
} // namespace qor
