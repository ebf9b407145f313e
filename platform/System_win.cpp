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

ScreenInfo WinSystem::GetScreenInfo() {
    ScreenInfo info;
    RECT work{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        info.workArea = {work.left, work.top, work.right, work.bottom};
    else
        info.workArea = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const win::WindowDc screen(nullptr);
    if (screen) {
        const int dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
        const int dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
        if (dpiX > 0)
            info.twipsPerPixelX = 1440 / dpiX;
        if (dpiY > 0)
            info.twipsPerPixelY = 1440 / dpiY;
    }
    return info;
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

} // namespace qor
