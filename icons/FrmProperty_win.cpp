#include "icons/FrmProperty_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cmath>

#include "core/AppState.h"
#include "dock/ImageCache_win.h"
#include "icons/FileDialog_win.h"
#include "icons/IconExtraction_win.h"
#include "platform/CodePage_win.h"
#include "resources/resource.h"

namespace qor {

namespace {

using namespace gdip;

// The footer band (OK and Cancel) starts this many dialog units down.
constexpr int kFooterTopDlu = 140;

constexpr int kTypeButtons[] = {IDC_PROP_TYPE_SHORTCUT, IDC_PROP_TYPE_GROUP, IDC_PROP_TYPE_SYSTEM};

struct FieldControl {
    const char* field; // as the controller names it
    int label, control;
};
constexpr FieldControl kFields[] = {
    {"title", IDC_PROP_TITLE_LABEL, IDC_PROP_TITLE},
    {"link", IDC_PROP_LINK_LABEL, IDC_PROP_LINK},
    {"target", IDC_PROP_TARGET_LABEL, IDC_PROP_TARGET},
    {"arguments", IDC_PROP_ARGS_LABEL, IDC_PROP_ARGS},
};

std::wstring Wide(const std::string& text) {
    return win::FromCodePage(text);
}

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    return lstrcmpiW(cls, name) == 0;
}

} // namespace

void FrmProperty::Show(HINSTANCE instance, HWND owner, AppState& app, IDockActions& dock, int item,
                       bool addMode) {
    FrmProperty dialog(app, item, addMode, dock);
    // A wide dialog: text the user types arrives whole, and the controller refuses what the code
    // page lacks instead of storing "?".
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROPERTY), owner, &FrmProperty::DialogProc,
                    reinterpret_cast<LPARAM>(&dialog));
}

INT_PTR CALLBACK FrmProperty::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The object arrives with WM_INITDIALOG; messages before it (WM_SETFONT) have none.
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<FrmProperty*>(lParam)->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<FrmProperty*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->OnMessage(msg, wParam, lParam);
    } catch (...) {
        result = FALSE; // no exception crosses the dialog procedure
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

INT_PTR FrmProperty::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE; // the focus is placed
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == IDC_PROP_ICON) {
            OnDrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wParam));
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<INT_PTR>(
            OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    default:
        return FALSE;
    }
}

void FrmProperty::OnInitDialog() {
    for (const char* name : kRunModeNames)
        SendDlgItemMessageW(m_hwnd, IDC_PROP_RUN, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(Wide(name).c_str()));
    // No more characters than the fields hold bytes (a double-byte text is cut between
    // characters when stored).
    SendDlgItemMessageW(m_hwnd, IDC_PROP_TITLE, EM_LIMITTEXT, 128, 0);
    SendDlgItemMessageW(m_hwnd, IDC_PROP_LINK, CB_LIMITTEXT, 255, 0);
    SendDlgItemMessageW(m_hwnd, IDC_PROP_TARGET, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessageW(m_hwnd, IDC_PROP_ARGS, EM_LIMITTEXT, 128, 0);

    // The picture box shows pictures up to 128 pixels a side at 96 dots per inch, scaled with the
    // system's setting, inside a one-pixel frame.
    {
        const win::WindowDc dc(m_hwnd);
        const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
        m_scale = dpi > 0 ? dpi / 96.0 : 1.0;
    }
    const HWND picture = GetDlgItem(m_hwnd, IDC_PROP_ICON);
    RECT r{};
    GetWindowRect(picture, &r);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    const int side = static_cast<int>(std::lround(kPictureSide * m_scale)) + 2;
    SetWindowPos(picture, nullptr, r.left, r.top, side, side, SWP_NOZORDER | SWP_NOACTIVATE);
    // Its two buttons just below it, as wide as it is.
    int top = r.top + side;
    for (const int id : {IDC_PROP_CHANGE_ICON, IDC_PROP_RESET_ICON}) {
        const HWND button = GetDlgItem(m_hwnd, id);
        RECT b{};
        GetWindowRect(button, &b);
        top += DialogUnitsDown(4);
        SetWindowPos(button, nullptr, r.left, top, side, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
        top += b.bottom - b.top;
    }

    m_controller.Load();
    const HWND title = GetDlgItem(m_hwnd, IDC_PROP_TITLE);
    SetFocus(IsWindowEnabled(title) ? title : GetDlgItem(m_hwnd, IDOK));
}

void FrmProperty::OnCommand(int id, int notification) {
    switch (id) {
    case IDOK: { // "&OK" or Enter
        PropertyInput input;
        input.title = win::ToCodePageChars(win::WindowTextW(GetDlgItem(m_hwnd, IDC_PROP_TITLE)));
        input.link = win::ToCodePageChars(win::WindowTextW(GetDlgItem(m_hwnd, IDC_PROP_LINK)));
        input.target = win::ToCodePageChars(win::WindowTextW(GetDlgItem(m_hwnd, IDC_PROP_TARGET)));
        input.arguments = win::ToCodePageChars(win::WindowTextW(GetDlgItem(m_hwnd, IDC_PROP_ARGS)));
        input.runMode = static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_PROP_RUN, CB_GETCURSEL, 0, 0));
        if (m_controller.Store(input))
            EndDialog(m_hwnd, IDOK);
        break;
    }
    case IDCANCEL: // "Cancel", Escape or the close box: what was done already stays done
        EndDialog(m_hwnd, IDCANCEL);
        break;
    case IDC_PROP_LINK:
        if (notification == CBN_SELCHANGE)
            m_controller.ChooseLink(
                static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_PROP_LINK, CB_GETCURSEL, 0, 0)));
        break;
    case IDC_PROP_TYPE_SHORTCUT:
    case IDC_PROP_TYPE_GROUP:
    case IDC_PROP_TYPE_SYSTEM:
        if (notification == BN_CLICKED)
            m_controller.ChooseType(static_cast<ItemType>(id - IDC_PROP_TYPE_SHORTCUT));
        break;
    case IDC_PROP_BROWSE:
        m_controller.Browse();
        break;
    case IDC_PROP_CHANGE_ICON:
        m_controller.ChangeIcon();
        break;
    case IDC_PROP_RESET_ICON:
        m_controller.ResetIcon();
        break;
    default:
        break;
    }
}

void FrmProperty::OnDrawPicture(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    const HDC dc = item.hDC;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT inside{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!m_picture)
        return;
    GpGraphics* raw = nullptr;
    if (GdipCreateFromHDC(dc, &raw) != Ok)
        return;
    const Graphics graphics(raw);
    GdipSetInterpolationMode(raw, InterpolationModeHighQualityBicubic);
    GdipSetPixelOffsetMode(raw, PixelOffsetModeHalf);
    const PictureSize size = QorIconSize(m_pictureWidth, m_pictureHeight);
    GdipDrawImageRectI(raw, m_picture.get(), inside.left, inside.top,
                       static_cast<INT>(std::lround(size.width * m_scale)),
                       static_cast<INT>(std::lround(size.height * m_scale)));
}

int FrmProperty::DialogUnitsDown(int dlu) const {
    RECT r{0, dlu, 0, dlu};
    MapDialogRect(m_hwnd, &r);
    return r.top;
}

void FrmProperty::OnEraseBackground(HDC dc) {
    // The item's texts on the window colour, OK and Cancel on a band of the button colour below a
    // hairline, as the system's own task dialogs look.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    RECT footer = client;
    footer.top = DialogUnitsDown(kFooterTopDlu);
    RECT content = client;
    content.bottom = footer.top;
    FillRect(dc, &content, GetSysColorBrush(COLOR_WINDOW));
    FillRect(dc, &footer, GetSysColorBrush(COLOR_BTNFACE));
    RECT line{footer.left, footer.top, footer.right, footer.top + 1};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DLIGHT));
}

HBRUSH FrmProperty::OnControlColour(HDC dc, HWND control) {
    // Labels and the type buttons stand on the window colour; edit boxes keep their own colours
    // (a disabled box is grey).
    if (IsClass(control, L"Edit") || IsClass(control, L"ComboBox"))
        return nullptr;
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    if (r.top >= DialogUnitsDown(kFooterTopDlu))
        return nullptr;
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
}

// ---- IPropertyHost ------------------------------------------------------------------------------

void FrmProperty::ShowCaption(const std::string& caption) {
    SetWindowTextW(m_hwnd, Wide(caption).c_str());
}

void FrmProperty::ShowFields(const PropertyFields& fields) {
    SetDlgItemTextW(m_hwnd, IDC_PROP_TITLE, Wide(fields.title).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_LINK, Wide(fields.link).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_TARGET, Wide(fields.target).c_str());
    SetDlgItemTextW(m_hwnd, IDC_PROP_ARGS, Wide(fields.arguments).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_PROP_RUN, CB_SETCURSEL, static_cast<WPARAM>(fields.runMode), 0);
}

void FrmProperty::ShowLinkEntries(const std::vector<std::string>& entries, int selected) {
    const HWND combo = GetDlgItem(m_hwnd, IDC_PROP_LINK);
    // Clearing the list clears the box's text too: the text shown stays what it was.
    const std::wstring text = win::WindowTextW(combo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    if (selected >= 0)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    else
        SetWindowTextW(combo, text.c_str());
}

void FrmProperty::ShowControls(const PropertyControls& c) {
    const bool fields[] = {c.title, c.link, c.target, c.arguments};
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        EnableWindow(GetDlgItem(m_hwnd, kFields[i].control), fields[i]);
        EnableWindow(GetDlgItem(m_hwnd, kFields[i].label), fields[i]);
    }
    EnableWindow(GetDlgItem(m_hwnd, IDC_PROP_BROWSE), c.browse);
    EnableWindow(GetDlgItem(m_hwnd, IDC_PROP_RUN), c.run);
    EnableWindow(GetDlgItem(m_hwnd, IDC_PROP_RUN_LABEL), c.run);
    for (int i = 0; i < 3; ++i) {
        const HWND button = GetDlgItem(m_hwnd, kTypeButtons[i]);
        EnableWindow(button, c.type[static_cast<std::size_t>(i)]);
        SendMessageW(button, BM_SETCHECK, c.typeSelected == i ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // The focus must not stay on a control that was just disabled.
    const HWND focus = GetFocus();
    if (focus && !IsWindowEnabled(focus) && IsChild(m_hwnd, focus))
        SendMessageW(m_hwnd, WM_NEXTDLGCTL, 0, FALSE);
}

void FrmProperty::ShowPicture(const IconSource& source) {
    m_picture.reset();
    m_pictureWidth = m_pictureHeight = 0;
    if (source.from == IconSource::From::File) {
        m_picture = LoadImageFile(source.path);
    } else if (source.from == IconSource::From::ShellIcon) {
        SHFILEINFOA info{};
        // Large icon handle plus the system image index (0x4100), as the ring takes it.
        if (SHGetFileInfoA(source.path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SYSICONINDEX)) {
            const win::Icon icon(info.hIcon);
            if (icon)
                m_picture = IconToBitmap(icon.get());
        }
    }
    if (m_picture) {
        UINT w = 0, h = 0;
        GdipGetImageWidth(m_picture.get(), &w);
        GdipGetImageHeight(m_picture.get(), &h);
        m_pictureWidth = static_cast<int>(w);
        m_pictureHeight = static_cast<int>(h);
    }
    InvalidateRect(GetDlgItem(m_hwnd, IDC_PROP_ICON), nullptr, TRUE);
}

int FrmProperty::Message(const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxW(m_hwnd, Wide(text).c_str(), Wide(caption).c_str(), flags);
}

std::string FrmProperty::OpenFile(const FileDialogRequest& request) {
    IUi* ui = m_app.sys.ui;
    if (!ui)
        return {};
    // Owned by the dialog, which stays disabled while the file dialog is open.
    return ShowFileDialog(m_hwnd, request, *ui, "QOR Desktop");
}

void FrmProperty::FocusField(const std::string& field) {
    for (const FieldControl& f : kFields)
        if (field == f.field) {
            const HWND control = GetDlgItem(m_hwnd, f.control);
            SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
            if (IsClass(control, L"Edit"))
                SendMessageW(control, EM_SETSEL, 0, -1);
        }
}

} // namespace qor
