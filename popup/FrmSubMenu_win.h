// FrmSubMenu: the group pop-up window. Like the dock it paints into an off-screen canvas of the
// work area's size, of the same kind as the dock's and drawing from the dock's image and skin
// caches, and presents it as a per-pixel-alpha layered window. The window itself covers only
// the part of the canvas that shows something: the panel, or the whole work area while a member
// is dragged out of it. Between uses it shows nothing: hidden until the first group opens, fully
// transparent at the bottom of the window order after that.
//
// The window only translates its messages into events of the pop-up's controller
// (popup/PopupController.h) and is the controller's host: the canvas, the window, its timers,
// and the requests that go to the dock, the item code, the item menu and the item file.
#pragma once

#include <windows.h>

#include <memory>

#include "dock/DockCanvas_win.h"
#include "platform/Window_win.h"
#include "popup/PopupController.h"

namespace qor {

struct AppState;
class FrmMain;
class FrmTray;
class IProgramActions;

class FrmSubMenu final : private IPopupHost {
public:
    static constexpr const char* kClassName = "QORDesktop.FrmSubMenu";
    static constexpr const char* kCaption = "QOR Desktop Menu";

    FrmSubMenu(AppState& app, win::IProgram& program) : m_app(app), m_program(program) {}
    FrmSubMenu(const FrmSubMenu&) = delete;
    FrmSubMenu& operator=(const FrmSubMenu&) = delete;
    ~FrmSubMenu() { Unload(); }

    // Creates the hidden layered window over the work area and its canvas, and detaches the
    // input method.
    bool Load(HINSTANCE instance);
    // Stops the timers, releases the canvas and destroys the window.
    void Unload() noexcept;
    bool Loaded() const { return m_hwnd != nullptr; }

    // The dock (its image caches, focus and pending pictures), the item menu and the program's
    // own actions (the built-in commands use them); any may be null, and what needs it is skipped.
    void Connect(FrmMain* dock, FrmTray* tray, IProgramActions* program);

    // What the dock and the item menu ask of the pop-up: open, close, re-lay.
    IPopupActions& Actions() { return m_popup; }
    PopupController& Controller() { return m_popup; }

    HWND Hwnd() const { return m_hwnd; }
    // The canvas; null before Load and after Unload.
    DockCanvas* Canvas() const { return m_canvas.get(); }

private:
    template <class T> friend LRESULT CALLBACK win::WindowThunk(HWND, UINT, WPARAM, LPARAM);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnMouseButton(int button, bool down, WPARAM wParam, LPARAM lParam);
    // A mouse message's point in canvas pixels (the window shows the canvas from m_area's corner).
    int CanvasX(LPARAM lParam) const;
    int CanvasY(LPARAM lParam) const;
    void OnCaptureChanged();
    void PresentFrame(const CanvasFrame& frame);
    void TraceLine(const char* text);

    // IPopupHost
    ICanvas* PaintCanvas() override;
    void StartTimer(PopupTimer timer, uint32_t intervalMs) override;
    void StopTimer(PopupTimer timer) override;
    void PrepareImages() override;
    void ShowPanel() override;
    void HidePanel() override;
    void ShowArea(const Rect& area) override;
    bool CursorPos(ScreenPoint& where) override;
    bool ForegroundIsPanel() override;
    void PumpMessages() override;
    void FocusDock() override;
    void Launch(int item) override;
    void RunCommand(int code) override;
    void OpenItemMenu() override;
    bool SaveMenu() override;

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    std::unique_ptr<DockCanvas> m_canvas;
    PopupController m_popup{m_app, *this};
    FrmMain* m_dock = nullptr;
    FrmTray* m_tray = nullptr;
    IProgramActions* m_actions = nullptr;
    // Set while a button release is handled: the capture it gives back is no lost drag.
    bool m_releasing = false;
    // The part of the canvas the window shows, and whether the window still has another size
    // (the next present then copies the whole area).
    Rect m_area{};
    bool m_areaChanged = true;
};

} // namespace qor
