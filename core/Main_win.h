// The program: start-up (Main), the message loop and the orderly end (ExitProgram). One
// Program object, owned by WinMain, holds everything that lives for the run: the Win32 seams,
// the AppState, GDI+ and the windows.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/AppState.h"
#include "dialogs/FrmConfig_win.h"
#include "dialogs/FrmStarted_win.h"
#include "dock/DockActions.h"
#include "dock/FrmMain_win.h"
#include "icons/IconExtraction_win.h"
#include "platform/Clock_win.h"
#include "platform/FileSystem_win.h"
#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"
#include "platform/Registry_win.h"
#include "platform/Shell_win.h"
#include "platform/System_win.h"
#include "platform/Trace_win.h"
#include "platform/Ui_win.h"
#include "platform/Window_win.h"
#include "popup/FrmSubMenu_win.h"
#include "tray/FrmTray_win.h"

namespace qor {

// The per-user name of the single-instance mutex ("Local\" keeps it inside the logon session).
std::string SingleInstanceMutexName(const std::string& userName);

// Enables (or disables) a privilege of the process, e.g. 19 = shutdown, through RtlAdjustPrivilege:
// first for the current thread's token; a thread without one (status 0xC000007C) is retried for
// the process. True when the last call succeeded.
bool EnableShutdownPrivilege(unsigned long privilege, bool enable);

// The program is what the built-in commands call "the program" (IProgramActions): its other
// windows, the orderly end, the monitor and the input window.
class Program final : public win::IProgram, public IProgramActions {
public:
    explicit Program(HINSTANCE instance);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() override;

    // Starts the program: OLE, common controls, GDI+, the system check, folders, registry and
    // first run, shutdown order, the store and its files, desktop icons, the windows and their
    // pictures, then shows the dock. Each step is traced as a phase. False when the program must
    // end at once (GDI+ did not start or the system is refused); nothing is shown then.
    bool Main();
    // Runs the message loop until ExitProgram ends it; the process exit code.
    int RunMessageLoop();

    // Both the windows' and the commands' request for the orderly end.
    void ExitProgram() override;
    void QueryEndSession() override;
    void EndSession(bool ending) override;
    void FramePresented(double ms) override;
    void PendingImagesBuilt(std::size_t count) override;

    // IProgramActions.
    void ShowSettings(bool modeless) override;
    void ShowAbout() override;
    void ShowProperties(int item, bool addMode) override;
    void ShowGetStarted() override;
    void PumpMessages() override;
    void MonitorOff() override;
    std::string InputText(const std::string& prompt, const std::string& title,
                          const std::string& defaultText) override;

    AppState& App() { return m_app; }
    bool Exited() const { return m_exited; }

private:
    // Traces "phase <name> ms=<duration>" around one start-up or shutdown step.
    template <class F> void Phase(const char* name, F&& step);
    void Trace(const std::string& text);
    void SaveAll(const char* reason);

    // Closes the dialogs that are open (each with its own closing steps), before the windows they
    // belong to go.
    void UnloadDialogs();
    // The steps of a reload of all data (restores and resets) that belong to the windows.
    ReloadHooks WindowReloadHooks();

    HINSTANCE m_instance;
    WinClock m_clock;
    std::unique_ptr<ITrace> m_trace;
    WinFileSystem m_fs;
    WinSystem m_sys;
    WinUi m_ui;
    Win32Registry m_reg;
    WinShell m_shell;
    WinIconTools m_icons;
    // OLE on the GUI thread, for the shell's link object and the file dialogs; stopped after the
    // windows.
    win::OleSession m_ole;
    gdip::Session m_gdiplus;
    AppState m_app;
    FrmTray m_tray;
    FrmMain m_main;
    FrmSubMenu m_subMenu;
    // The dialogs: the tour (modeless), the settings window (one copy, modeless or modal) and
    // what its controls act on. The about window is modal and lives on the stack.
    FrmStarted m_started;
    DockPreview m_preview;
    std::unique_ptr<FrmConfig> m_config;
    double m_startMs = 0.0;
    bool m_firstFrameTraced = false;
    bool m_exiting = false;
    bool m_exited = false;
    bool m_sessionSaved = false;
};

} // namespace qor
