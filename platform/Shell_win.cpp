#include "platform/Shell_win.h"

#include <windows.h>

#include <msi.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/CodePage_win.h"
#include "platform/Handles_win.h"
#include "platform/Window_win.h"

namespace qor {

namespace {

constexpr DWORD kTextBuffer = 1024;
constexpr INSTALLSTATE kInstalledLocally = INSTALLSTATE_LOCAL; // 3

std::string Narrow(const wchar_t* text, int length) {
    if (!text || length <= 0)
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::string FromBuffer(const char* buffer) {
    return std::string(buffer);
}

bool EndsWithUrl(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return tail == ".URL";
}

// An internet shortcut is a small INI file; its own fields stand in for the link object's.
std::optional<ShellLinkInfo> ReadInternetShortcut(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    char buffer[kTextBuffer] = {};
    ShellLinkInfo info;
    GetPrivateProfileStringA("InternetShortcut", "URL", "", buffer, kTextBuffer, path.c_str());
    info.target = FromBuffer(buffer);
    GetPrivateProfileStringA("InternetShortcut", "IconFile", "", buffer, kTextBuffer, path.c_str());
    info.iconFile = FromBuffer(buffer);
    info.iconIndex =
        static_cast<int32_t>(GetPrivateProfileIntA("InternetShortcut", "IconIndex", 0, path.c_str()));
    info.windowStyle = static_cast<int32_t>(
        GetPrivateProfileIntA("InternetShortcut", "ShowCommand", SW_SHOWNORMAL, path.c_str()));
    if (info.target.empty() && info.iconFile.empty())
        return std::nullopt;
    return info;
}

// The shell's own link object: IShellLinkA loaded through IPersistFile.
std::optional<ShellLinkInfo> ReadWithShellLink(const std::string& path) {
    if (EndsWithUrl(path))
        return ReadInternetShortcut(path);
    win::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.PutVoid())))
        return std::nullopt;
    win::ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())))
        return std::nullopt;
    const std::wstring wide = win::FromCodePage(path);
    if (FAILED(file->Load(wide.c_str(), STGM_READ)))
        return std::nullopt;

    ShellLinkInfo info;
    char buffer[kTextBuffer] = {};
    // Each field is read on its own; one that fails stays empty.
    if (SUCCEEDED(link->GetPath(buffer, kTextBuffer, nullptr, 0)))
        info.target = FromBuffer(buffer);
    buffer[0] = '\0';
    int index = 0;
    if (SUCCEEDED(link->GetIconLocation(buffer, kTextBuffer, &index))) {
        info.iconFile = FromBuffer(buffer);
        info.iconIndex = index;
    }
    buffer[0] = '\0';
    if (SUCCEEDED(link->GetArguments(buffer, kTextBuffer)))
        info.arguments = FromBuffer(buffer);
    buffer[0] = '\0';
    if (SUCCEEDED(link->GetWorkingDirectory(buffer, kTextBuffer)))
        info.workingDirectory = FromBuffer(buffer);
    int show = 0;
    if (SUCCEEDED(link->GetShowCmd(&show)))
        info.windowStyle = show;
    buffer[0] = '\0';
    if (SUCCEEDED(link->GetDescription(buffer, kTextBuffer)))
        info.description = FromBuffer(buffer);
    return info;
}

// One property of an automation object, as text (numbers are converted).
std::string GetTextProperty(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return {};
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    win::Variant result;
    if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result.v,
                              nullptr, nullptr)))
        return {};
    if (FAILED(VariantChangeType(&result.v, &result.v, 0, VT_BSTR)) || !result.v.bstrVal)
        return {};
    return Narrow(result.v.bstrVal, static_cast<int>(SysStringLen(result.v.bstrVal)));
}

// The scripting host: CreateObject("WScript.Shell").CreateShortcut(path) and its properties.
std::optional<ShellLinkInfo> ReadWithScriptHost(const std::string& path) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"WScript.Shell", &clsid)))
        return std::nullopt;
    win::ComPtr<IDispatch> shell;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                shell.PutVoid())))
        return std::nullopt;
    LPOLESTR method[] = {const_cast<LPOLESTR>(L"CreateShortcut")};
    DISPID id = 0;
    if (FAILED(shell->GetIDsOfNames(IID_NULL, method, 1, LOCALE_USER_DEFAULT, &id)))
        return std::nullopt;
    const std::wstring widePath = win::FromCodePage(path);
    const win::Bstr argument(widePath.data(), static_cast<UINT>(widePath.size()));
    win::Variant arg;
    arg.v.vt = VT_BSTR;
    arg.v.bstrVal = argument.get();
    DISPPARAMS params = {&arg.v, nullptr, 1, 0};
    win::Variant result;
    const HRESULT hr = shell->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result.v,
                                     nullptr, nullptr);
    arg.v.vt = VT_EMPTY; // the string belongs to `argument`
    if (FAILED(hr) || result.v.vt != VT_DISPATCH || !result.v.pdispVal)
        return std::nullopt;
    IDispatch* shortcut = result.v.pdispVal; // owned by `result`

    ShellLinkInfo info;
    info.target = GetTextProperty(shortcut, L"TargetPath");
    SplitIconLocation(GetTextProperty(shortcut, L"IconLocation"), info.iconFile, info.iconIndex);
    info.arguments = GetTextProperty(shortcut, L"Arguments");
    info.workingDirectory = GetTextProperty(shortcut, L"WorkingDirectory");
    info.windowStyle = static_cast<int32_t>(std::atoi(GetTextProperty(shortcut, L"WindowStyle").c_str()));
    info.description = GetTextProperty(shortcut, L"Description");
    return info;
}

} // namespace

std::string WinShell::ResolveInstallerShortcut(const std::string& linkPath) {
    char product[39] = {};
    char feature[MAX_FEATURE_CHARS + 1] = {};
    char component[39] = {};
    if (MsiGetShortcutTargetA(linkPath.c_str(), product, feature, component) != ERROR_SUCCESS)
        return {};
    char path[kTextBuffer] = {};
    DWORD length = kTextBuffer;
    if (MsiGetComponentPathA(product, component, path, &length) != kInstalledLocally)
        return {};
    return std::string(path, length < kTextBuffer ? length : kTextBuffer - 1);
}

std::optional<ShellLinkInfo> WinShell::ReadShellLink(const std::string& linkPath, LinkWay way) {
    const win::ComScope com;
    if (!com.Usable())
        return std::nullopt;
    return way == LinkWay::ShellLink ? ReadWithShellLink(linkPath) : ReadWithScriptHost(linkPath);
}

int WinShell::DriveType(const std::string& root) {
    return static_cast<int>(GetDriveTypeA(root.c_str()));
}

std::vector<std::string> WinShell::LogicalDrives() {
    char buffer[kTextBuffer + 1] = {};
    const DWORD n = GetLogicalDriveStringsA(kTextBuffer, buffer);
    std::vector<std::string> roots;
    if (n == 0 || n > kTextBuffer)
        return roots;
    for (const char* p = buffer; p < buffer + n && *p; p += std::strlen(p) + 1)
        roots.emplace_back(p);
    return roots;
}

std::optional<RecycleBinQuery> WinShell::QueryRecycleBin() {
    // The record is 20 bytes on 32-bit Windows and padded to 24 on 64-bit; the size field must
    // name the layout of the running build.
    SHQUERYRBINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(SHQueryRecycleBinA(nullptr, &info)))
        return std::nullopt;
    return RecycleBinQuery{info.i64Size, info.i64NumItems};
}

void WinShell::PumpMessages() {
    PumpPendingMessages();
}

intptr_t WinShell::Execute(const ShellExecuteCall& call) {
    const HINSTANCE result = ShellExecuteA(nullptr, call.verb.c_str(), call.file.c_str(),
                                           call.parameters ? call.parameters->c_str() : nullptr,
                                           call.directory ? call.directory->c_str() : nullptr, call.show);
    return reinterpret_cast<intptr_t>(result);
}

bool WinShell::EmptyRecycleBin(unsigned flags) {
    return SUCCEEDED(SHEmptyRecycleBinA(nullptr, nullptr, flags));
}

// Exported by shell32 (and in MinGW's import library) but declared in no MinGW header.
extern "C" HRESULT WINAPI SHUpdateRecycleBinIcon(void);

void WinShell::UpdateRecycleBinIcon() {
    SHUpdateRecycleBinIcon();
}

int WinShell::DeleteToRecycleBin(const std::string& path, unsigned flags) {
    if (path.empty())
        return -1;
    // The source is a list of names, each ending in a NUL, the list in a second NUL.
    std::string source = path;
    source.append(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = source.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(flags);
    return SHFileOperationA(&op);
}

void WinShell::RunFileDialog() {
    // The "Run" dialog has no name in shell32's export table, only the ordinal 61. With every
    // argument zero the ANSI and wide forms of its text arguments are alike.
    using RunFileDlgFn = void(WINAPI*)(HWND, HICON, LPCSTR, LPCSTR, LPCSTR, UINT);
    const HMODULE shell32 = GetModuleHandleA("shell32.dll"); // linked, so loaded; not owned
    if (!shell32)
        return;
    const auto runFileDlg = reinterpret_cast<RunFileDlgFn>(
        reinterpret_cast<void*>(GetProcAddress(shell32, MAKEINTRESOURCEA(61))));
    if (runFileDlg)
        runFileDlg(nullptr, nullptr, nullptr, nullptr, nullptr, 0);
}

namespace {

// The list view that shows the desktop icons: in the "Progman" window, or, when the desktop
// view was moved into a worker window (as Windows does once the wallpaper slideshow or
// Win+Tab ran), in the first "WorkerW" that holds one.
HWND FindDesktopIconView() {
    const HWND progman = FindWindowA("Progman", nullptr);
    const HWND progmanView = progman ? FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr) : nullptr;
    if (progmanView)
        return FindWindowExA(progmanView, nullptr, "SysListView32", nullptr);
    for (HWND worker = FindWindowExA(nullptr, nullptr, "WorkerW", nullptr); worker;
         worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)) {
        if (const HWND view = FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr))
            return FindWindowExA(view, nullptr, "SysListView32", "FolderView");
    }
    return nullptr;
}

} // namespace

bool WinShell::ShowDesktopIconView(bool visible) {
    const HWND iconView = FindDesktopIconView();
    if (!iconView)
        return false;
    ShowWindow(iconView, visible ? SW_RESTORE : SW_HIDE);
    return true;
}

bool WinShell::ShowTaskbar(bool visible) {
    const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    // The start button is a top-level "Button" of the shell. Only the one that belongs to the
    // taskbar's process is touched: any program may own a top-level window of that class.
    HWND startButton = nullptr;
    DWORD shellProcess = 0;
    if (taskbar && GetWindowThreadProcessId(taskbar, &shellProcess)) {
        for (HWND b = FindWindowExA(nullptr, nullptr, "Button", nullptr); b;
             b = FindWindowExA(nullptr, b, "Button", nullptr)) {
            DWORD owner = 0;
            if (GetWindowThreadProcessId(b, &owner) && owner == shellProcess) {
                startButton = b;
                break;
            }
        }
    }
    for (HWND w : {taskbar, startButton})
        if (w)
            ShowWindow(w, visible ? SW_RESTORE : SW_HIDE);
    return taskbar != nullptr;
}

} // namespace qor
