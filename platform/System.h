// What the core asks of the running system: environment, special folders, screen, user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qor {

// CSIDL numbers of the special folders the program uses.
namespace csidl {
constexpr int Desktop = 0x00;
constexpr int Personal = 0x05;
constexpr int Favorites = 0x06;
constexpr int MyMusic = 0x0D;
constexpr int MyVideo = 0x0E;
constexpr int CommonDesktop = 0x19;
constexpr int Windows = 0x24;
constexpr int System = 0x25;
constexpr int ProgramFiles = 0x26;
constexpr int MyPictures = 0x27;
constexpr int Profile = 0x28;
constexpr int AppData = 0x1A;
constexpr int ProgramFilesCommon = 0x2B;
} // namespace csidl

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The dots per inch every length of the settings and the skin is given at (100 %).
constexpr int kBaseDpi = 96;

// One monitor as the dock uses it.
struct ScreenInfo {
    Rect workArea;           // the monitor's work area (SPI_GETWORKAREA for the primary one)
    int twipsPerPixelX = 15; // 1440 / logical pixels per inch
    int twipsPerPixelY = 15;
    int dpi = kBaseDpi; // the monitor's scale, as dots per inch (144 at 150 %)
};

struct OsVersion {
    uint32_t major = 0, minor = 0, build = 0, platform = 0;
    std::string servicePack;
    bool valid = false;
};

class ISystem {
public:
    virtual ~ISystem() = default;
    // GetEnvironmentVariableA (value of at most 1024 characters); nothing when it is not set.
    // (The seams avoid names that windows.h turns into macros, such as GetEnvironmentVariable.)
    virtual std::optional<std::string> GetEnvVar(const std::string& name) = 0;
    // The special folder with a trailing backslash, or empty text.
    virtual std::string GetSpecialFolder(int csidl) = 0;
    // GetTempPathA with a trailing backslash.
    virtual std::string GetTempFolder() = 0;
    // GetUserNameA with a 33-character buffer.
    virtual std::string GetLogonUserName() = 0;
    // The full path of the running program's executable.
    virtual std::string GetProgramPath() = 0;
    // The primary monitor.
    virtual ScreenInfo GetScreenInfo() = 0;
    // The monitor that holds the point (screen coordinates), or the one nearest to it.
    virtual ScreenInfo GetScreenInfoAt(int x, int y) = 0;
    virtual OsVersion GetOsVersion() = 0;

    // ExitWindowsEx: ends the session (flags 0 log off, 1 shut down, 2 restart) with a reason
    // code. False when the system refused. Never returns on success in a real session.
    virtual bool ExitWindowsEx(unsigned flags, unsigned reason) = 0;
    // LockWorkStation; false when the system refused.
    virtual bool LockWorkStation() = 0;
    // A plain decimal number ("1234.5": digits, at most one '.', no sign) written the way the
    // user's locale writes numbers (GetNumberFormatEx): its decimal separator, with exactly
    // `decimals` digits after it, and its digit grouping when `grouping` is set.
    virtual std::string FormatLocaleNumber(const std::string& plainNumber, int decimals, bool grouping) = 0;
};

} // namespace qor
