#include "core/Main_win.h"

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>

#include "core/ConfigFiles.h"
#include "core/Registry.h"
#include "core/Settings.h"
#include "dialogs/FrmAbout_win.h"
#include "dialogs/FrmInput_win.h"
#include "dock/Geometry.h"
#include "icons/FrmProperty_win.h"
#include "icons/IconResolve.h"
#include "items/Catalogue.h"
#include "items/Desktop.h"
#include "resources/resource.h"

namespace qor {

namespace {

// The combo boxes, the sliders, the tab strip and the link labels of the dialogs.
constexpr DWORD kCommonControlClasses =
    ICC_USEREX_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_LINK_CLASS;
constexpr unsigned long kShutdownPrivilege = 19;
constexpr LONG kStatusNoToken = static_cast<LONG>(0xC000007C);

std::string Format(const char* format, double value) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Committed private memory of this process, summed over its address space. Windows reports the
// same figure as PrivateUsage; Wine leaves that counter at zero, so the trace shows both.
unsigned long long CommittedPrivateBytes() {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    unsigned long long total = 0;
    auto* address = static_cast<const char*>(info.lpMinimumApplicationAddress);
    const auto* end = static_cast<const char*>(info.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION region{};
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        address = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

// The process's private bytes and working set, as a trace line ("" when they cannot be read).
std::string MemoryLine(const char* when) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return {};
    return "memory private-bytes=" + std::to_string(counters.PrivateUsage) +
           " committed-private=" + std::to_string(CommittedPrivateBytes()) +
           " working-set=" + std::to_string(counters.WorkingSetSize) + " when=" + when;
}

} // namespace

std::string SingleInstanceMutexName(const std::string& userName) {
    std::string name = "Local\\QORDesktop.SingleInstance.";
    // Backslashes separate namespaces in object names; a user name cannot contain one, but the
    // name must not break the mutex name whatever it holds.
    for (char c : userName)
        name.push_back(c == '\\' ? '_' : c);
    return name;
}

bool EnableShutdownPrivilege(unsigned long privilege, bool enable) {
    using RtlAdjustPrivilegeFn = LONG(NTAPI*)(ULONG, BOOLEAN, BOOLEAN, PBOOLEAN);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll"); // always loaded; not owned
    if (!ntdll)
        return false;
    const auto adjust = reinterpret_cast<RtlAdjustPrivilegeFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlAdjustPrivilege")));
    if (!adjust)
        return false;
    BOOLEAN previous = FALSE;
    LONG status = adjust(privilege, enable ? TRUE : FALSE, TRUE, &previous);
    if (status == kStatusNoToken) // the thread does not impersonate: adjust the process's token
        status = adjust(privilege, enable ? TRUE : FALSE, FALSE, &previous);
    return status == 0;
}

Program::Program(HINSTANCE instance)
    : m_instance(instance), m_trace(OpenTraceFromEnvironment(m_clock)), m_tray(m_app, *this),
      m_main(m_app, *this), m_subMenu(m_app, *this), m_started(m_app),
      m_preview(
          m_app, [this]() -> ICanvas* { return m_main.Canvas(); },
          [this](int level) { m_main.RebuildSizeLevel(level); }) {
    m_startMs = m_clock.NowMs();
    m_app.sys.fs = &m_fs;
    m_app.sys.sys = &m_sys;
    m_app.sys.reg = &m_reg;
    m_app.sys.shell = &m_shell;
    m_app.sys.icons = &m_icons;
    m_app.sys.ui = &m_ui;
    m_app.sys.clock = &m_clock;
    m_app.sys.trace = m_trace.get();
}

Program::~Program() {
    // Normally ExitProgram has run; after an early end the members release themselves
    // in the reverse order of their declaration: the windows, then GDI+, then OLE.
    m_subMenu.Unload();
    m_main.Unload();
    m_tray.Unload();
}

void Program::Trace(const std::string& text) {
    if (m_trace->Enabled())
        m_trace->Line(text);
}

template <class F> void Program::Phase(const char* name, F&& step) {
    if (!m_trace->Enabled()) {
        step();
        return;
    }
    const double start = m_clock.NowMs();
    step();
    Trace(std::string("phase ") + name + Format(" ms=%.3f", m_clock.NowMs() - start));
}

bool Program::Main() {
    Trace(std::string("start pid=") + std::to_string(GetCurrentProcessId()));
    // The shell's link object and file dialogs want a single-threaded apartment.
    Phase("Ole", [&] { m_ole.Start(); });
    Phase("CommonControls", [] {
        INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), kCommonControlClasses};
        InitCommonControlsEx(&icc);
    });

    int gdiplusStatus = -1;
    Phase("GdiPlus", [&] { gdiplusStatus = m_gdiplus.Start(); });
    if (gdiplusStatus != 0) {
        Trace("fatal gdiplus status=" + std::to_string(gdiplusStatus));
        MessageBoxA(nullptr, "Load GDI+ Error!", "Plarix Desktop Error", MB_ICONERROR);
        return false;
    }

    bool refused = false;
    Phase("CheckWindowsVersion", [&] {
        int major = 0;
        m_app.WindowsVersionText = CheckWindowsVersion(m_app, major, refused);
        m_app.WindowsMajor = major;
    });
    if (refused) {
        Trace("fatal system refused");
        return false;
    }

    Phase("InitPaths", [&] { InitPaths(m_app); });
    Phase("RegisterAppInfo", [&] { RegisterAppInfo(m_app); });
    Phase("FirstRun", [&] {
        if (IsFirstRun(m_app)) {
            Trace("first-run");
            DeleteStoredData(m_app, true);
        }
    });
    Phase("ShutdownPrivilege", [&] { EnableShutdownPrivilege(kShutdownPrivilege, true); });
    // Level 0: this process is among the last to be asked to end; no retry dialog.
    Phase("ShutdownParameters", [] { SetProcessShutdownParameters(0, SHUTDOWN_NORETRY); });
    Phase("CreateStore", [&] { m_app.store.Create(); });
    Phase("InitializeState", [&] { InitializeState(m_app, true, true, true); });
    Phase("DesktopIcons", [&] { SetDesktopIconsVisible(m_app, m_app.cfg.HideDesktopIcons != 0); });
    Phase("LoadWindows", [&] {
        const HICON icon = LoadIconA(m_instance, MAKEINTRESOURCEA(IDI_QORDESKTOP));
        m_tray.Load(m_instance, icon, [this](HotKey hotKey) { m_main.Controller().OnHotKey(hotKey); });
        m_main.Load(m_instance);
        m_subMenu.Load(m_instance);
        m_main.Connect(&m_subMenu, &m_tray, this);
        m_subMenu.Connect(&m_main, &m_tray, this);
        m_tray.Connect(m_main.Controller(), m_main.Hwnd(), &m_subMenu.Actions(), *this);
        m_ui.SetOwner(m_main.Hwnd());
    });
    Phase("LoadSkinImages", [&] { m_main.LoadImages([&](int item) { BuildItemImages(m_app, item); }); });
    Phase("TrimWorkingSet", [] { TrimWorkingSet(); });
    if (m_trace->Enabled())
        Trace(MemoryLine("trim"));
    Phase("SetMinimizedPosition",
          [&] { SetMinimizedPosition(m_app.geo, m_app.screen, m_app.run, m_app.cfg.MinimizedPosition); });
    // Window messages already run here, so a close request may arrive before start-up ends.
    Phase("PumpMessages", [] { PumpPendingMessages(); });
    if (m_exiting)
        return true;
    Phase("ShowDock", [&] {
        m_main.Show();
        m_main.DockFocus(true);
        // Shown focused: the foreground watch then sees the dock as the program in front.
        m_main.Activate();
        m_main.BuildPendingImagesLater();
    });
    if (m_app.cfg.HideGetStarted != kTrue)
        Phase("GetStarted", [&] { ShowGetStarted(); });
    Trace(Format("started ms=%.3f", m_clock.NowMs() - m_startMs));
    return true;
}

int Program::RunMessageLoop() {
    if (m_exited)
        return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Tab, the access keys, Enter and Escape in the modeless dialogs.
        if ((m_config && m_config->TranslateMessage(msg)) || m_started.TranslateMessage(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Program::SaveAll(const char* reason) {
    const double start = m_clock.NowMs();
    const bool settings = SaveSettings(m_app);
    const double mid = m_clock.NowMs();
    const bool menu = SaveMenu(m_app);
    const double end = m_clock.NowMs();
    if (m_trace->Enabled()) {
        char line[160];
        std::snprintf(line, sizeof line, "save file=settings reason=%s ok=%d ms=%.3f", reason,
                      settings ? 1 : 0, mid - start);
        Trace(line);
        std::snprintf(line, sizeof line, "save file=menu reason=%s ok=%d ms=%.3f", reason, menu ? 1 : 0,
                      end - mid);
        Trace(line);
    }
}

void Program::ExitProgram() {
    // Re-entry (a second WM_CLOSE, a message run inside a save) must not run the end twice.
    if (m_exiting)
        return;
    m_exiting = true;
    const double start = m_clock.NowMs();
    Trace("exit begin");
    // The dialogs close first: their own closing steps store what they hold (the tour's page or
    // "Don't show again"), and the save below is then the last one, made before the desktop is
    // put back as it was (which changes the desktop-icons setting in memory only).
    Phase("UnloadDialogs", [&] { UnloadDialogs(); });
    Phase("ExitSave", [&] { SaveAll("exit"); });
    Phase("ExitRestoreDesktop", [&] {
        SetDesktopIconsVisible(m_app, false);
        SetTaskbarVisible(m_app, false);
    });
    Phase("ReleaseImages", [&] { m_main.ReleaseImages(); });
    Phase("UnloadFrmSubMenu", [&] { m_subMenu.Unload(); });
    Phase("UnloadFrmMain", [&] { m_main.Unload(); });
    Phase("UnloadFrmTray", [&] { m_tray.Unload(); });
    Phase("StopGdiPlus", [&] { m_gdiplus.Stop(); });
    m_ole.Stop();
    Trace(Format("exit end ms=%.3f", m_clock.NowMs() - start));
    m_exited = true;
    // The last window is gone: the process ends.
    PostQuitMessage(0);
}

void Program::QueryEndSession() {
    // Every window of the program gets the question; the files are written once per question.
    if (m_exiting || m_sessionSaved)
        return;
    m_sessionSaved = true;
    Trace("session query-end");
    SaveAll("session");
}

void Program::EndSession(bool ending) {
    Trace(std::string("session end ending=") + (ending ? "1" : "0"));
    if (!ending) {
        m_sessionSaved = false; // the shutdown was cancelled; the program carries on
        return;
    }
    ExitProgram();
}

void Program::PendingImagesBuilt(std::size_t count) {
    if (!m_trace->Enabled())
        return;
    Trace("images pending-built=" + std::to_string(count) + Format(" ms=%.3f", m_clock.NowMs() - m_startMs));
    Trace(MemoryLine("images-built"));
}

void Program::FramePresented(double) {
    if (m_firstFrameTraced)
        return;
    m_firstFrameTraced = true;
    Trace(Format("first-frame ms=%.3f", m_clock.NowMs() - m_startMs));
    if (m_trace->Enabled())
        Trace(MemoryLine("first-frame"));
}

ReloadHooks Program::WindowReloadHooks() {
    ReloadHooks hooks;
    hooks.ReleaseImages = [this] { m_main.ReleaseImages(); };
    hooks.LoadSkinImages = [this] {
        m_main.LoadImages([this](int item) { BuildItemImages(m_app, item); });
        m_main.BuildPendingImagesLater();
    };
    hooks.RefreshItemIcon = [this](int item) { return RefreshItemIcon(m_app, item); };
    hooks.TrimWorkingSet = [] { TrimWorkingSet(); };
    hooks.PumpMessages = [] { PumpPendingMessages(); };
    hooks.DockFocus = [this](int getFocus) { m_main.DockFocus(getFocus != 0); };
    return hooks;
}

void Program::ShowSettings(bool modeless) {
    // One copy: a request while it is open brings it to the front.
    if (m_config && m_config->IsOpen()) {
        m_config->Activate();
        return;
    }
    FrmConfig::Services services;
    services.reload = WindowReloadHooks();
    services.ui = &m_ui;
    services.showAbout = [this](HWND owner) { FrmAbout::Show(m_instance, owner, m_app); };
    services.trimWorkingSet = [] { TrimWorkingSet(); };
    m_config = std::make_unique<FrmConfig>(m_app, m_preview, std::move(services));
    if (modeless)
        m_config->ShowModeless(m_instance, m_main.Hwnd());
    else
        m_config->ShowModal(m_instance, m_main.Hwnd());
}

void Program::ShowAbout() {
    FrmAbout::Show(m_instance, m_main.Hwnd(), m_app);
}

void Program::ShowProperties(int item, bool addMode) {
    if (!m_app.store.IsItem(item))
        return;
    Trace("window-shown name=properties item=" + std::to_string(item) + " add=" + (addMode ? "1" : "0"));
    m_app.dock.CurrentItem = item;
    FrmProperty::Show(m_instance, m_main.Hwnd(), m_app, m_main.Controller(), item, addMode);
    Trace("window-closed name=properties");
}

void Program::ShowGetStarted() {
    m_started.Show(m_instance, m_main.Hwnd());
}

void Program::PumpMessages() {
    PumpPendingMessages();
}

void Program::MonitorOff() {
    // The dock's default handling passes the request to the system, which powers the monitor
    // down (2); any input wakes it again.
    constexpr LPARAM kPowerOff = 2;
    if (m_main.Hwnd())
        SendMessageA(m_main.Hwnd(), WM_SYSCOMMAND, SC_MONITORPOWER, kPowerOff);
}

std::string Program::InputText(const std::string& prompt, const std::string& title,
                               const std::string& defaultText) {
    return FrmInput::InputText(m_instance, m_main.Hwnd(), prompt, title, defaultText);
}

void Program::UnloadDialogs() {
    // FrmStarted, then FrmConfig. An about window open now is modal over one of them or over the
    // dock, and goes with its owner.
    m_started.Close();
    if (m_config)
        m_config->Close();
}

} // namespace qor
