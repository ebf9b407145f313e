// FrmMain: the dock window. A borderless per-pixel-alpha layered window over the work area
// that shows only what is painted into its off-screen canvas; where the canvas is fully
// transparent the desktop shows through and the mouse reaches the windows below.
//
// The window only translates its messages into events of the dock's controller (dock/
// DockController.h) and is the controller's host: the canvas, the timers, the window order,
// focus and cursor, and the requests that go to the other windows and the item code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "dock/DockActions.h"
#include "dock/DockCanvas_win.h"
#include "dock/DockController.h"
#include "dock/DropTarget_win.h"
#include "dock/ImageCache_win.h"
#include "items/DragDrop.h"
#include "platform/Accessible_win.h"
#include "platform/Handles_win.h"
#include "platform/Window_win.h"

namespace qor {

struct AppState;
class FrmSubMenu;
class FrmTray;

class FrmMain final : private IDockHost,
                      private IDropHost,
                      private IDropSink,
                      private win::IAccessibleSource {
public:
    // Timer ids of the window beyond the controller's five (DockTimer 1..5).
    enum class Timer : UINT_PTR {
        BuildImages = 6, // the pop-up pictures, built after the first frame
    };
    // Posted by a drop: the files are added once the drag source has its answer.
    static constexpr UINT kDroppedMessage = WM_APP + 1;
    // Posted to the window to run an element's default action (wParam: the element) after the
    // accessibility client's request has returned.
    static constexpr UINT kAccessActionMessage = WM_APP + 2;

    static constexpr const char* kClassName = "QORDesktop.FrmMain";
    static constexpr const char* kCaption = "QOR Desktop";

    FrmMain(AppState& app, win::IProgram& program) : m_app(app), m_program(program) {}
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;
    ~FrmMain() { Unload(); }

    // Creates the (hidden) window at the work area's top-left with the size ScreenWidth x
    // ScreenHeight, builds the canvas, makes the window layered, detaches the input method,
    // registers the window as a drop target for files (OLE must be started) and sets CentreImage
    // to -1.
    bool Load(HINSTANCE instance);
    // Stops the timers, releases the images and the canvas and destroys the window.
    void Unload() noexcept;
    bool Loaded() const { return m_hwnd != nullptr; }

    // Shows the window without activating it and sends it to the bottom of the window order.
    void Show();
    // Bottom of the window order, no activation, no move, no size.
    void SendToBottom();

    void CreateGraphic();
    void DeleteGraphic() noexcept;
    void IniForm();
    // Presents the canvas with constant alpha 255.
    void UpdateGDIPlus();
    // Presents the canvas with constant alpha `shwAlpha` (fades; 0 hides).
    void ExUpdateGDIPlus(uint8_t shwAlpha);
    // Clears the canvas to fully transparent (0x00FFFFFF).
    void RestoreGDIPlus();

    // Refreshes the slot data and, when `isGetFocus`, repaints and presents the dock and starts
    // its timers.
    void DockFocus(bool isGetFocus);
    // The dock becomes the foreground window (start-up shows the ring focused).
    void Activate();

    // The other windows the dock's requests go to, and the program's own actions (the built-in
    // commands use them); any may be null, and what needs it is then skipped.
    void Connect(FrmSubMenu* popup, FrmTray* tray, IProgramActions* program);

    // The dock's behaviour; the hot keys and the item code act on the dock through it.
    DockController& Controller() { return m_dock; }

    // LoadSkinImages for this window's canvas: the skin from the program's resources, every
    // item's renderings through `buildItem`. The item cache becomes the program's image service.
    // The pictures of items shown only in pop-up panels (command items and group members, up to
    // a thousand of them) are left pending, and so are the ring's pictures at their own size when
    // the rest size came from a pre-scaled copy, and the copies made meanwhile:
    // BuildPendingImagesLater makes them after the first frame, a few at a time, so that the
    // ring shows at once. The skin comes from the program's resources unless `readSkin` names
    // another source.
    void LoadImages(const ItemImageBuilder& buildItem, const SkinReader& readSkin = {});
    // Starts building the pending pictures in the background of the message loop.
    void BuildPendingImagesLater();
    // Builds every pending picture now (before a pop-up panel shows them).
    void FinishPendingImages();
    std::size_t PendingImages() const;
    // Every rendering and attribute object of both caches.
    void ReleaseImages() noexcept;
    // Size level `level` of the item pictures and the hover backdrop made again at its size (the
    // settings window's size sliders).
    void RebuildSizeLevel(int level);

    HWND Hwnd() const { return m_hwnd; }
    // The canvas the paint procedures draw on; null before Load and after Unload.
    DockCanvas* Canvas() const { return m_canvas.get(); }
    ImageCache* Images() const { return m_images.get(); }
    SkinCache* Skin() const { return m_skin.get(); }
    // The window's registered drop target (null when it could not be registered).
    IDropTarget* DropTargetInterface() const;
    int Width() const { return m_canvas ? m_canvas->Width() : 0; }
    int Height() const { return m_canvas ? m_canvas->Height() : 0; }

private:
    template <class T> friend LRESULT CALLBACK win::WindowThunk(HWND, UINT, WPARAM, LPARAM);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnClose();
    LRESULT OnQueryEndSession();
    void OnEndSession(bool ending);
    void OnTimer(UINT_PTR id);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnMouseButton(int button, bool down, WPARAM wParam, LPARAM lParam);
    void OnKey(WPARAM key, bool down);
    void OnCaptureChanged();
    // The displays changed: the monitor the dock is on is measured again (the one nearest to the
    // work area's centre, should it be gone) and handed to the controller.
    void OnDisplayChange();
    // Runs the drops received since the last time (the drag source has had its answer).
    void OnDropped();
    void OnAccessAction(WPARAM element);
    void StartTimer(Timer timer, UINT ms);
    void StopTimer(Timer timer);
    void TraceLine(const char* text);

    // IDockHost
    ICanvas* PaintCanvas() override;
    void StartTimer(DockTimer timer, uint32_t intervalMs) override;
    void StopTimer(DockTimer timer) override;
    void ToBottom(bool quietly) override;
    void ToTopmost() override;
    void Focus() override;
    bool CursorPos(ScreenPoint& where) override;
    bool ForegroundIsOurs() override;
    void PumpMessages() override;
    void Launch(int item) override;
    void RunCommand(int code) override;
    void OpenPopup(int slot) override;
    void ClosePopup(bool keepDockAway) override;
    void OpenItemMenu(std::optional<ScreenPoint> at) override;
    void ShowGetStarted() override;
    void SwitchDesktop() override;
    bool SaveMenu() override;
    void FollowScreen(bool rescaled) override;
    void Announce(AccessEvent event, int element) override;

    // IAccessibleSource
    AccessibleElement AccessWindow() override;
    std::vector<AccessibleElement> AccessElements() override;
    int AccessSelected() override;
    void AccessRequestAction(int element) override;
    // Builds up to `count` pending pictures, stopping once `budgetMs` have passed (0: no limit);
    // stops the building timer when none is left.
    void BuildPendingImages(std::size_t count, double budgetMs = 0);
    // Hands a frame of the canvas to the window (the canvas's presenter).
    void PresentFrame(const CanvasFrame& frame);

    // IDropSink (IDropHost is served by the IDockHost members of the same names)
    uint32_t DragOver(POINTL screen, bool hasFiles, uint32_t allowed) override;
    void DragLeave() override;
    uint32_t Drop(POINTL screen, std::vector<CodePageChars> names, bool hasFiles, uint32_t allowed) override;
    DropTarget Drops() { return DropTarget(m_app, *this, m_actions); }

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    // Declared in the order of their dependence: the caches draw for the canvas's graphics.
    std::unique_ptr<DockCanvas> m_canvas;
    std::unique_ptr<SkinCache> m_skin;
    std::unique_ptr<ImageCache> m_images;
    ItemImageBuilder m_buildItem;
    SkinReader m_readSkin; // where LoadImages read the skin: read again at another scale
    std::vector<int> m_pendingImages;
    std::size_t m_nextPending = 0;
    DockController m_dock{m_app, *this};
    win::AccessibleWindow m_access;
    FrmSubMenu* m_popup = nullptr;
    FrmTray* m_tray = nullptr;
    IProgramActions* m_actions = nullptr;
    // Set while a button release is handled: the capture it gives back is no lost drag.
    bool m_releasing = false;
    // Files dropped on the ring, with the position they were dropped on.
    struct PendingDrop {
        int slot = -1;
        std::vector<std::string> paths;
        std::size_t refused = 0;
        bool hasFiles = false;
    };
    std::vector<PendingDrop> m_pendingDrops;
    win::ComPtr<OleDropTarget> m_dropTarget;
    win::DropTargetRegistration m_dropRegistration;
    uint32_t m_dropEffect = 0;                                 // reported for the last position passed over
    int m_dropTraced = -2;                                     // the last position and indicator traced,
    DropIndicator m_dropTracedIndicator = DropIndicator::None; // so a drag traces each change once
    std::size_t m_builtLater = 0; // pictures built since the pending ones were listed
};

} // namespace qor
