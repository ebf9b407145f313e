#include "dialogs/DialogKit_win.h"

#include <uxtheme.h>

#include <algorithm>

#include "dock/ImageCache_win.h"

namespace qor::dlg {

std::string ControlText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    if (!control)
        return {};
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    // Unchanged text is not set again: a label that is set while a slider moves would flicker.
    if (ControlText(dialog, id) != text)
        SetDlgItemTextA(dialog, id, text.c_str());
}

gdip::Image LoadPicture(const char* name) {
    const std::optional<Bytes> bytes = ResourceSkinReader(GetModuleHandleA(nullptr))(name);
    return bytes ? DecodeImage(*bytes) : gdip::Image{};
}

void DrawPicture(const DRAWITEMSTRUCT& item, gdip::GpImage* picture, PictureFit fit, bool parentBackground) {
    RECT r = item.rcItem;
    if (parentBackground)
        DrawThemeParentBackground(item.hwndItem, item.hDC, &r);
    if (!picture)
        return;
    UINT width = 0, height = 0;
    gdip::GdipGetImageWidth(picture, &width);
    gdip::GdipGetImageHeight(picture, &height);
    const int boxWidth = r.right - r.left;
    const int boxHeight = r.bottom - r.top;
    if (width == 0 || height == 0 || boxWidth <= 0 || boxHeight <= 0)
        return;
    gdip::GpGraphics* raw = nullptr;
    if (gdip::GdipCreateFromHDC(item.hDC, &raw) != gdip::Ok)
        return;
    const gdip::Graphics graphics(raw);
    gdip::GdipSetInterpolationMode(raw, gdip::InterpolationModeHighQualityBicubic);
    gdip::GdipSetPixelOffsetMode(raw, gdip::PixelOffsetModeHighQuality);
    gdip::GdipSetSmoothingMode(raw, gdip::SmoothingModeHighQuality);

    const double scaleX = static_cast<double>(boxWidth) / width;
    const double scaleY = static_cast<double>(boxHeight) / height;
    if (fit == PictureFit::Cover) {
        // The part of the picture with the box's proportions, from its middle.
        const double scale = std::max(scaleX, scaleY);
        const double srcWidth = boxWidth / scale;
        const double srcHeight = boxHeight / scale;
        gdip::GdipDrawImageRectRect(
            raw, picture, static_cast<gdip::REAL>(r.left), static_cast<gdip::REAL>(r.top),
            static_cast<gdip::REAL>(boxWidth), static_cast<gdip::REAL>(boxHeight),
            static_cast<gdip::REAL>((width - srcWidth) / 2),
            static_cast<gdip::REAL>((height - srcHeight) / 2), static_cast<gdip::REAL>(srcWidth),
            static_cast<gdip::REAL>(srcHeight), gdip::UnitPixel, nullptr, nullptr, nullptr);
        return;
    }
    const double scale = std::min(scaleX, scaleY);
    const double drawWidth = width * scale;
    const double drawHeight = height * scale;
    gdip::GdipDrawImageRect(raw, picture, static_cast<gdip::REAL>(r.left + (boxWidth - drawWidth) / 2),
                            static_cast<gdip::REAL>(r.top + (boxHeight - drawHeight) / 2),
                            static_cast<gdip::REAL>(drawWidth), static_cast<gdip::REAL>(drawHeight));
}

win::GdiObject<HFONT> DerivedFont(HWND dialog, int weight, int percent) {
    LOGFONTA font{};
    const auto current = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!current || !GetObjectA(current, sizeof font, &font))
        return win::GdiObject<HFONT>{};
    font.lfWeight = weight;
    font.lfHeight = MulDiv(font.lfHeight, percent, 100);
    // The face the dialog font really is ("MS Shell Dlg 2" is a name the system maps to one), so
    // that the bold and larger versions come from that face's own family.
    if (const win::WindowDc dc(dialog); dc) {
        const win::SelectedObject selected(dc.get(), current);
        char face[LF_FACESIZE] = {};
        if (GetTextFaceA(dc.get(), LF_FACESIZE, face) > 0)
            lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    }
    return win::GdiObject<HFONT>(CreateFontIndirectA(&font));
}

HFONT FollowingFont::Get(HWND window) {
    const auto current = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    if (!m_font || current != m_from) {
        m_font = DerivedFont(window, m_weight, m_percent);
        m_from = current;
    }
    return m_font.get();
}

void DrawHeading(const DRAWITEMSTRUCT& item, HFONT font, bool rule, COLORREF colour) {
    RECT r = item.rcItem;
    DrawThemeParentBackground(item.hwndItem, item.hDC, &r);
    char text[128] = {};
    const int length = GetWindowTextA(item.hwndItem, text, sizeof text);
    const HGDIOBJ previous =
        SelectObject(item.hDC, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, colour);
    RECT measured = r;
    DrawTextA(item.hDC, text, length, &measured, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    DrawTextA(item.hDC, text, length, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, previous);
    if (!rule)
        return;

    // The hairline, vertically centred on the text, a little apart from it.
    const int gap = (measured.bottom - measured.top) / 2;
    const int y = (r.top + r.bottom) / 2;
    RECT line{measured.right + gap, y, r.right, y + 1};
    if (line.left < line.right) {
        const win::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(0xCC, 0xD4, 0xE0)));
        FillRect(item.hDC, &line, brush.get());
    }
}

void UseTabBackground(HWND page) {
    EnableThemeDialogTexture(page, ETDT_ENABLETAB);
}

} // namespace qor::dlg
