#include "platform/System_win.h"

#include <windows.h>

#include <shlobj.h>

#include "platform/Handles_win.h"

namespace qor {

namespace {

std::string WithTrailingBackslash(std::string text) {
    if (!text.empty() && text.back() != '\\')
        text.push_back('\\');
    return text;
}

std::string UpToNul(const char* buffer, std::size_t size) {
    std::size_t n = 0;
    while (n < size && buffer[n] != '\0')
        ++n;
    return std::string(buffer, n);
}

constexpr DWORD kEnvironmentBuffer = 1024;
constexpr std::size_t kSpecialFolderBuffer = 512;
constexpr DWORD kUserNameBuffer = 33;

} // namespace

std::optional<std::string> WinSystem::GetEnvVar(const std::string& name) {
    char buffer[kEnvironmentBuffer + 1] = {};
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableA(name.c_str(), buffer, kEnvironmentBuffer);
    if (n == 0)
        return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                        : std::optional<std::string>(std::string());
    if (n >= kEnvironmentBuffer)
        return std::nullopt; // longer than the buffer: treated like an unknown variable
    return std::string(buffer, n);
}

std::string WinSystem::GetSpecialFolder(int csidl) {
    ITEMIDLIST* raw = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &raw)) || !raw)
        return {};
    // Item ID lists from the shell are freed with the task allocator.
    const win::CoTaskMem<ITEMIDLIST> pidl(raw);
    // SHGetPathFromIDListA writes at most MAX_PATH characters; the larger buffer is headroom.
    char buffer[kSpecialFolderBuffer] = {};
    if (!SHGetPathFromIDListA(pidl.get(), buffer))
        return {};
    return WithTrailingBackslash(UpToNul(buffer, sizeof buffer));
}

std::string WinSystem::GetTempFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(MAX_PATH, buffer);
    if (n == 0 || n > MAX_PATH)
        return {};
    return WithTrailingBackslash(std::string(buffer, n));
}

std::string WinSystem::GetLogonUserName() {
    char buffer[kUserNameBuffer] = {};
    DWORD size = kUserNameBuffer;
    if (!GetUserNameA(buffer, &size))
        return {};
    // The returned size counts the terminating NUL.
    return UpToNul(buffer, size);
}

std::string WinSystem::GetProgramPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2); // truncated: try again with more room
    }
}

namespace {

// The system's dots per inch: the monitor's own where the system scales each monitor apart
// (GetDpiForMonitor, Windows 8.1 on, loaded by name so the program still starts on Windows 7),
// else the one scale of the whole desktop.
int MonitorDpi(HMONITOR monitor) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = [] {
        const HMODULE shcore = LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        // Kept loaded for the whole run: the function is asked again at every display change.
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) &&
        dpiX > 0)
        return static_cast<int>(dpiX);
    const win::WindowDc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : kBaseDpi;
}

// The work area and scale of a monitor. The work area comes from the monitor itself: a process
// keeps its first answer to SPI_GETWORKAREA under Wine, while the monitor's follows every change.
ScreenInfo MonitorScreenInfo(HMONITOR monitor) {
    ScreenInfo info;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    RECT work{};
    if (monitor && GetMonitorInfoA(monitor, &mi))
        work = mi.rcWork;
    else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    info.workArea = {work.left, work.top, work.right, work.bottom};
    info.dpi = MonitorDpi(monitor);
    info.twipsPerPixelX = info.twipsPerPixelY = 1440 / info.dpi;
    return info;
}

} // namespace

ScreenInfo WinSystem::GetScreenInfo() {
    return MonitorScreenInfo(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

ScreenInfo WinSystem::GetScreenInfoAt(int x, int y) {
    return MonitorScreenInfo(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST));
}

OsVersion WinSystem::GetOsVersion() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = GetVersionExA(&v);
#pragma GCC diagnostic pop
    OsVersion out;
    if (!ok)
        return out;
    out.major = v.dwMajorVersion;
    out.minor = v.dwMinorVersion;
    out.build = v.dwBuildNumber;
    out.platform = v.dwPlatformId;
    out.servicePack = UpToNul(v.szCSDVersion, sizeof v.szCSDVersion);
    out.valid = true;
    return out;
}

bool WinSystem::ExitWindowsEx(unsigned flags, unsigned reason) {
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

bool WinSystem::LockWorkStation() {
    return ::LockWorkStation() != FALSE;
}

unsigned GroupingFromLocale(const std::string& sgrouping) {
    std::string digits;
    for (char c : sgrouping)
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    // A closing ";0" means "repeat the last group": NUMBERFMT says so by leaving the 0 out; a
    // text without it ends the grouping, which NUMBERFMT writes as a trailing 0.
    const bool repeats = sgrouping.size() >= 2 && sgrouping.compare(sgrouping.size() - 2, 2, ";0") == 0;
    if (repeats)
        digits.pop_back();
    else if (!digits.empty() && digits != "0")
        digits.push_back('0');
    unsigned value = 0;
    for (char c : digits.substr(0, 9))
        value = value * 10 + static_cast<unsigned>(c - '0');
    return value;
}

std::string WinSystem::FormatLocaleNumber(const std::string& plainNumber, int decimals, bool grouping) {
    const auto info = [](LCTYPE type) {
        wchar_t buffer[16] = {};
        return GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 16) > 0 ? std::wstring(buffer)
                                                                               : std::wstring();
    };
    const auto number = [](LCTYPE type, UINT fallback) {
        DWORD value = fallback;
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(wchar_t));
        return static_cast<UINT>(value);
    };
    // The locale's own way of writing numbers, with this caller's count of decimals and grouping.
    std::wstring decimal = info(LOCALE_SDECIMAL), thousand = info(LOCALE_STHOUSAND);
    const std::wstring groups = info(LOCALE_SGROUPING);
    NUMBERFMTW format{};
    format.NumDigits = decimals < 0 ? 0u : static_cast<UINT>(decimals);
    format.LeadingZero = number(LOCALE_ILZERO, 1);
    format.Grouping = grouping ? GroupingFromLocale(std::string(groups.begin(), groups.end())) : 0;
    format.lpDecimalSep = decimal.empty() ? const_cast<wchar_t*>(L".") : decimal.data();
    format.lpThousandSep = thousand.empty() ? const_cast<wchar_t*>(L",") : thousand.data();
    format.NegativeOrder = number(LOCALE_INEGNUMBER, 1);

    const std::wstring wide(plainNumber.begin(), plainNumber.end()); // digits and '.' only
    wchar_t out[128] = {};
    if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, wide.c_str(), &format, out, 128) <= 0)
        return plainNumber;
    char ansi[256] = {};
    if (WideCharToMultiByte(CP_ACP, 0, out, -1, ansi, sizeof ansi, nullptr, nullptr) <= 0)
        return plainNumber;
    return ansi;
}

} // namespace qor
