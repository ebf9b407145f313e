// FrmMain: the dock window. A borderless per-pixel-alpha layered window over the work area
// that shows only what is painted into its off-screen canvas; where the canvas is fully
// transparent the desktop shows through and the mouse reaches the windows below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "dock/DockCanvas_win.h"
#include "dock/ImageCache_win.h"
#include "platform/Window_win.h"

namespace qor {

struct AppState;

class FrmMain {
public:
    // The dock's timers.
    enum class Timer : UINT_PTR {
        PointerLeft = 1, // 100 ms: the pointer left the icons
        Foreground = 2,  // 100 ms: another program took the foreground
        RecycleBin = 3,  // 1000 ms: the recycle bin's picture follows its contents
        AutoHide = 4,    // 1000 ms: hides the dock after seven idle seconds
        Dwell = 5,       // 50 ms: the pointer rests on an icon (centre cross-fade)
        BuildImages = 6, // the pop-up pictures, built after the first frame
    };

    static constexpr const char* kClassName = "QORDesktop.FrmMain";
    static constexpr const char* kCaption = "QOR Desktop";

    FrmMain(AppState& app, win::IProgram& program) : m_app(app), m_program(program) {}
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;
    ~FrmMain() { Unload(); }

    // Creates the (hidden) window at the work area's top-left with the size ScreenWidth x
    // ScreenHeight, builds the canvas, makes the window layered, detaches the input method and
    // sets CentreImage to -1.
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

    // Refreshes the slot data and, when `isGetFocus`, repaints and presents the dock.
    void DockFocus(bool isGetFocus);

    void StartTimer(Timer timer, UINT ms);
    void StopTimer(Timer timer);

    // LoadSkinImages for this window's canvas: the skin from the program's resources, every
    // item's renderings through `buildItem`. The item cache becomes the program's image service.
    // The pictures of items shown only in pop-up panels (command items and group members, up to
    // a thousand of them) are left pending, and so are the ring's pictures at their own size when
    // the rest size came from a pre-scaled copy, and the copies made meanwhile:
    // BuildPendingImagesLater makes them after the first frame, a few at a time, so that the
    // ring shows at once.
    void LoadImages(const ItemImageBuilder& buildItem);
    // Starts building the pending pictures in the background of the message loop.
    void BuildPendingImagesLater();
    // Builds every pending picture now (before a pop-up panel shows them).
    void FinishPendingImages();
    std::size_t PendingImages() const;
    // Every rendering and attribute object of both caches.
    void ReleaseImages() noexcept;

    HWND Hwnd() const { return m_hwnd; }
    // The canvas the paint procedures draw on; null before Load and after Unload.
    DockCanvas* Canvas() const { return m_canvas.get(); }
    ImageCache* Images() const { return m_images.get(); }
    int Width() const { return m_canvas ? m_canvas->Width() : 0; }
    int Height() const { return m_canvas ? m_canvas->Height() : 0; }

private:
    template <class T> friend LRESULT CALLBACK win::WindowThunk(HWND, UINT, WPARAM, LPARAM);

    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void OnClose();
    LRESULT OnQueryEndSession();
    void OnEndSession(bool ending);
    void OnTimer(Timer timer);
    // Builds up to `count` pending pictures, stopping once `budgetMs` have passed (0: no limit);
    // stops the building timer when none is left.
    void BuildPendingImages(std::size_t count, double budgetMs = 0);
    // Hands a frame of the canvas to the window (the canvas's presenter).
    void PresentFrame(const CanvasFrame& frame);

    AppState& m_app;
    win::IProgram& m_program;
    HWND m_hwnd = nullptr;
    // Declared in the order of their dependence: the caches draw for the canvas's graphics.
    std::unique_ptr<DockCanvas> m_canvas;
    std::unique_ptr<SkinCache> m_skin;
    std::unique_ptr<ImageCache> m_images;
    ItemImageBuilder m_buildItem;
    std::vector<int> m_pendingImages;
    std::size_t m_nextPending = 0;
    std::size_t m_builtLater = 0; // pictures built since the pending ones were listed
};

} // namespace qor
