// What the program's dialogs share on Win32: the dialog procedure that binds a window object at
// WM_INITDIALOG, control text, the pictures they show (PNG resources drawn with GDI+ into
// owner-drawn statics, at whatever size the system's DPI gives the control), the fonts they
// derive from their own, and the section headings.
#pragma once

#include <windows.h>

#include <string>

#include "platform/GdiPlus_win.h"
#include "platform/Handles_win.h"

namespace qor::dlg {

// The blue of a Windows dialog's main instruction, for the dialogs' headings.
constexpr COLORREF kAccentColour = RGB(0x00, 0x33, 0x99);

// The dialog procedure of class T: the object arrives as the lParam of WM_INITDIALOG and is kept
// in DWLP_USER until WM_NCDESTROY; messages before WM_INITDIALOG (WM_SETFONT) have none. T has
// `INT_PTR OnMessage(HWND, UINT, WPARAM, LPARAM) noexcept`.
template <class T> INT_PTR CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG)
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    const INT_PTR result = self->OnMessage(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    return result;
}

std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);

// A picture from the program's "CUSTOM" resources; empty when the module has none of that name.
gdip::Image LoadPicture(const char* name);

// How a picture fills an owner-drawn control: all of the control, cut where the proportions
// differ (Cover), or all of the picture, centred (Fit).
enum class PictureFit { Cover, Fit };
// Paints an owner-drawn control: its parent's background (a themed tab page's too) unless the
// caller painted one, then the picture when there is one.
void DrawPicture(const DRAWITEMSTRUCT& item, gdip::GpImage* picture, PictureFit fit,
                 bool parentBackground = true);

// A font like the dialog's own, in another weight and `percent` of its height.
win::GdiObject<HFONT> DerivedFont(HWND dialog, int weight, int percent);

// A derived font that is made again whenever the window's own font changes (a dialog gets a font
// of the new size when the system's DPI changes).
class FollowingFont {
public:
    FollowingFont(int weight, int percent) : m_weight(weight), m_percent(percent) {}
    HFONT Get(HWND window);

private:
    int m_weight;
    int m_percent;
    HFONT m_from = nullptr;
    win::GdiObject<HFONT> m_font;
};

// An owner-drawn heading: its text in `font` (the dialog's when null), in the accent colour or in
// `colour`, and with `rule` a hairline from the end of the text to the control's right edge.
void DrawHeading(const DRAWITEMSTRUCT& item, HFONT font, bool rule = true, COLORREF colour = kAccentColour);

// Lets a page dialog show the tab control's own background under its controls.
void UseTabBackground(HWND page);

} // namespace qor::dlg
