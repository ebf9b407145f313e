#include "dialogs/FrmConfig_win.h"

#include <commctrl.h>

#include "core/AppState.h"
#include "platform/Ui_win.h"
#include "resources/resource.h"

namespace qor {

namespace {

constexpr int kGeneralPage = 0;
constexpr int kAppearancePage = 1;
// The two tabs, each caption with two blanks before and after.
constexpr const char* kTabCaptions[] = {"  General  ", "  Appearance  "};

struct CheckControl {
    int id;
    ConfigCheck check;
};
constexpr CheckControl kChecks[] = {
    {IDC_CONFIG_AUTORUN, ConfigCheck::AutoRun},
    {IDC_CONFIG_AUTOHIDE, ConfigCheck::AutoHide},
    {IDC_CONFIG_DISPLAYLETTER, ConfigCheck::DisplayLetter},
    {IDC_CONFIG_CLEARTYPE, ConfigCheck::ClearType},
};

struct SliderControl {
    int id;
    ConfigSlider slider;
};
constexpr SliderControl kSliders[] = {
    {IDC_CONFIG_NORMAL, ConfigSlider::Normal},
    {IDC_CONFIG_MAGNIFIED, ConfigSlider::Magnified},
    {IDC_CONFIG_RADIUS, ConfigSlider::Radius},
    {IDC_CONFIG_TRANS, ConfigSlider::Trans},
};

struct CommandControl {
    int id;
    ConfigCommand command;
};
constexpr CommandControl kCommands[] = {
    {IDC_CONFIG_BACKUP_CFG, ConfigCommand::BackupConfiguration},
    {IDC_CONFIG_BACKUP_ICONS, ConfigCommand::BackupShortcutsAndIcons},
    {IDC_CONFIG_RESTORE_CFG, ConfigCommand::RestoreConfiguration},
    {IDC_CONFIG_RESTORE_ICONS, ConfigCommand::RestoreShortcutsAndIcons},
    {IDC_CONFIG_RESET_SETTINGS, ConfigCommand::ResetProgramSettings},
    {IDC_CONFIG_RESET_ICONS, ConfigCommand::ResetShortcutsAndIcons},
};

// The window's message boxes and file dialogs are owned by it while one of its commands runs.
class DialogOwnerScope {
public:
    DialogOwnerScope(WinUi* ui, HWND owner)
        : m_ui(ui), m_previous(ui ? ui->SetDialogOwner(owner) : nullptr) {}
    ~DialogOwnerScope() {
        if (m_ui)
            m_ui->SetDialogOwner(m_previous);
    }
    DialogOwnerScope(const DialogOwnerScope&) = delete;
    DialogOwnerScope& operator=(const DialogOwnerScope&) = delete;

private:
    WinUi* m_ui;
    HWND m_previous;
};

void SetSlider(HWND slider, int min, int max, int small, int large) {
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, min);
    SendMessageA(slider, TBM_SETRANGEMAX, TRUE, max);
    SendMessageA(slider, TBM_SETLINESIZE, 0, small);
    SendMessageA(slider, TBM_SETPAGESIZE, 0, large);
}

void SetSliderPos(HWND slider, int value) {
    if (slider && SendMessageA(slider, TBM_GETPOS, 0, 0) != value)
        SendMessageA(slider, TBM_SETPOS, TRUE, value);
}

} // namespace

FrmConfig::FrmConfig(AppState& app, IConfigHost& host, Services services)
    : m_app(app), m_config(app, host), m_services(std::move(services)) {}

FrmConfig::~FrmConfig() {
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

bool FrmConfig::ShowModeless(HINSTANCE instance, HWND owner) {
    if (m_hwnd)
        return true;
    m_modal = false;
    CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, &dlg::Procedure<FrmConfig>,
                       reinterpret_cast<LPARAM>(this));
    if (!m_hwnd)
        return false;
    ShowWindow(m_hwnd, SW_SHOW);
    Activate();
    return true;
}

void FrmConfig::ShowModal(HINSTANCE instance, HWND owner) {
    if (m_hwnd)
        return;
    m_modal = true;
    CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG), owner, &dlg::Procedure<FrmConfig>,
                       reinterpret_cast<LPARAM>(this));
    if (!m_hwnd)
        return;
    // A modal loop of its own rather than DialogBox's, so that the window's keys (Ctrl+PageDown
    // between the pages) work the same way as when it is modeless.
    m_enableOwnerAtClose = owner && !EnableWindow(owner, FALSE);
    ShowWindow(m_hwnd, SW_SHOW);
    Activate();
    MSG msg;
    while (m_hwnd) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the end of the program: for the main loop
            break;
        }
        if (got < 0)
            break;
        if (!TranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (m_hwnd) // the program ends: the window goes without its closing steps
        DestroyWindow(m_hwnd);
    if (m_enableOwnerAtClose && IsWindow(owner))
        EnableWindow(owner, TRUE);
    m_enableOwnerAtClose = false;
}

void FrmConfig::Activate() {
    if (!m_hwnd)
        return;
    if (IsIconic(m_hwnd))
        ShowWindow(m_hwnd, SW_RESTORE);
    SetForegroundWindow(m_hwnd);
}

bool FrmConfig::TranslateMessage(MSG& msg) {
    if (!m_hwnd || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd)))
        return false;
    // Ctrl+PageDown and Ctrl+PageUp go from page to page, as in the system's property sheets
    // (Ctrl+Tab, their other key, is the program's own hot key for minimizing the ring).
    if (msg.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 &&
        (msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR)) {
        // With two pages, either way leads to the other one.
        const HWND tab = Control(IDC_CONFIG_TAB);
        const int current = static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0));
        SendMessageA(tab, TCM_SETCURFOCUS, current == kGeneralPage ? kAppearancePage : kGeneralPage, 0);
        ShowPage(static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0)));
        return true;
    }
    return IsDialogMessageA(m_hwnd, &msg) != FALSE;
}

void FrmConfig::Close() {
    if (m_hwnd)
        SendMessageA(m_hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

HWND FrmConfig::Control(int id) const {
    if (!m_hwnd)
        return nullptr;
    if (HWND control = GetDlgItem(m_hwnd, id))
        return control;
    for (HWND page : m_pages)
        if (HWND control = page ? GetDlgItem(page, id) : nullptr)
            return control;
    return nullptr;
}

INT_PTR CALLBACK FrmConfig::PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(page, DWLP_USER, lParam);
        dlg::UseTabBackground(page);
        return FALSE;
    }
    auto* self = reinterpret_cast<FrmConfig*>(GetWindowLongPtrA(page, DWLP_USER));
    if (!self)
        return FALSE;
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_DRAWITEM:
        // The page's controls belong to the window: it handles them as its own.
        return self->OnMessage(self->m_hwnd, msg, wParam, lParam);
    default:
        return FALSE;
    }
}

INT_PTR FrmConfig::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (msg) {
        case WM_INITDIALOG:
            m_hwnd = hwnd;
            OnInitDialog(hwnd);
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_HSCROLL:
            OnScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
            OnCommand(IDOK, BN_CLICKED);
            return TRUE;
        case WM_NCDESTROY:
            m_hwnd = nullptr;
            m_pages = {};
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        // No exception leaves the dialog procedure; the control keeps its state.
        return FALSE;
    }
}

void FrmConfig::OnInitDialog(HWND hwnd) {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    m_logo = dlg::LoadPicture("QORWORDMARK");
    const HWND tab = GetDlgItem(hwnd, IDC_CONFIG_TAB);
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kTabCaptions[i]);
        SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    m_pages[kGeneralPage] = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG_GENERAL), hwnd,
                                               &PageProc, reinterpret_cast<LPARAM>(this));
    m_pages[kAppearancePage] = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONFIG_APPEARANCE), hwnd,
                                                  &PageProc, reinterpret_cast<LPARAM>(this));
    LayoutPages();

    for (const char* entry : kIconCountEntries)
        SendMessageA(Control(IDC_CONFIG_ICONCOUNT), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    for (const char* entry : kMinimizedEntries)
        SendMessageA(Control(IDC_CONFIG_MINPOS), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    for (int id : {IDC_CONFIG_NORMAL, IDC_CONFIG_MAGNIFIED})
        SetSlider(Control(id), kSizeRange.min, kSizeRange.max, kSizeRange.smallStep, kSizeRange.largeStep);
    SetSlider(Control(IDC_CONFIG_TRANS), kTransRange.min, kTransRange.max, kTransRange.smallStep,
              kTransRange.largeStep);

    IniConfigData();
    ShowPage(kGeneralPage);
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line(std::string("settings open modeless=") + (m_modal ? "0" : "1"));
}

void FrmConfig::LayoutPages() {
    const HWND tab = GetDlgItem(m_hwnd, IDC_CONFIG_TAB);
    RECT r{};
    GetWindowRect(tab, &r);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    // Placed right after the tab strip in the window order, so that Tab goes from the strip
    // into the page shown and on to the buttons.
    HWND after = tab;
    for (HWND page : m_pages) {
        if (!page)
            continue;
        SetWindowPos(page, after, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
        after = page;
    }
}

void FrmConfig::ShowPage(int index) {
    // The selected tab's caption decides which panel is in front.
    const HWND tab = Control(IDC_CONFIG_TAB);
    if (static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0)) != index)
        SendMessageA(tab, TCM_SETCURSEL, index, 0);
    for (int i = 0; i < 2; ++i)
        if (m_pages[i])
            ShowWindow(m_pages[i], i == index ? SW_SHOW : SW_HIDE);
}

void FrmConfig::IniConfigData() {
    if (!m_hwnd)
        return;
    // The radius range first: a value beyond the old range would be cut.
    const ConfigView before = m_config.View();
    SetSlider(Control(IDC_CONFIG_RADIUS), before.radiusMin, before.radiusMax, kRadiusSmallStep,
              kRadiusLargeStep);
    ShowView(m_config.IniConfigData(), true);
}

void FrmConfig::ShowView(const ConfigView& v, bool sliders) {
    if (sliders) {
        SetSliderPos(Control(IDC_CONFIG_NORMAL), v.normal);
        SetSliderPos(Control(IDC_CONFIG_RADIUS), v.radius);
        SetSliderPos(Control(IDC_CONFIG_TRANS), v.trans);
        SendMessageA(Control(IDC_CONFIG_ICONCOUNT), CB_SETCURSEL, v.iconCountIndex, 0);
        SendMessageA(Control(IDC_CONFIG_MINPOS), CB_SETCURSEL, v.minimizedPosition, 0);
        for (const auto& [id, ticked] : {std::pair{IDC_CONFIG_AUTORUN, v.autoRun},
                                         {IDC_CONFIG_AUTOHIDE, v.autoHide},
                                         {IDC_CONFIG_DISPLAYLETTER, v.displayLetter},
                                         {IDC_CONFIG_CLEARTYPE, v.clearType}})
            SendMessageA(Control(id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // The magnified slider follows the rest-size slider.
    SetSliderPos(Control(IDC_CONFIG_MAGNIFIED), v.magnified);
    const auto label = [&](int id, const std::string& text) {
        for (HWND page : m_pages)
            if (page && GetDlgItem(page, id))
                dlg::SetControlText(page, id, text);
    };
    label(IDC_CONFIG_NORMAL_LABEL, NormalSizeLabel(v.normal));
    label(IDC_CONFIG_MAGNIFIED_LABEL, MagnifiedSizeLabel(v.magnified));
    label(IDC_CONFIG_RADIUS_LABEL, DiameterLabel(v.radius));
    label(IDC_CONFIG_ICONCOUNT_LABEL, QuantityLabel(8 + 4 * v.iconCountIndex));
    label(IDC_CONFIG_MINPOS_LABEL, MinimizedPositionLabel(v.minimizedPosition));
    label(IDC_CONFIG_TRANS_LABEL, OpacityLabel(v.trans));
}

ReloadHooks FrmConfig::Hooks() {
    ReloadHooks hooks = m_services.reload;
    hooks.IniConfigData = [this] { IniConfigData(); };
    return hooks;
}

void FrmConfig::OnCommand(int id, int notification) {
    if (id == IDOK || id == IDCANCEL) { // "&OK", Escape, the close box
        OnClosing();
        return;
    }
    if (id == IDC_CONFIG_ABOUT) {
        if (m_services.showAbout)
            m_services.showAbout(m_hwnd);
        return;
    }
    for (const CheckControl& c : kChecks)
        if (c.id == id && notification == BN_CLICKED) {
            m_config.OnCheck(c.check, SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
            ShowView(m_config.View(), false);
            return;
        }
    if ((id == IDC_CONFIG_ICONCOUNT || id == IDC_CONFIG_MINPOS) && notification == CBN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageA(Control(id), CB_GETCURSEL, 0, 0));
        m_config.OnList(id == IDC_CONFIG_ICONCOUNT ? ConfigList::IconCount : ConfigList::MinimizedPosition,
                        index);
        ShowView(m_config.View(), false);
        return;
    }
    for (const CommandControl& c : kCommands)
        if (c.id == id && notification == BN_CLICKED) {
            DialogOwnerScope owner(m_services.ui, m_hwnd);
            m_config.RunCommand(c.command, Hooks());
            return;
        }
}

void FrmConfig::OnScroll(HWND slider, int code) {
    for (const SliderControl& s : kSliders) {
        if (Control(s.id) != slider)
            continue;
        const int value = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
        m_config.OnSlider(s.slider, code == TB_ENDTRACK, value);
        ShowView(m_config.View(), false);
        return;
    }
}

bool FrmConfig::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_CONFIG_TAB && header.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
        return true;
    }
    return false;
}

void FrmConfig::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID == IDC_CONFIG_LOGO) {
        // A white band across the top with the logo on it, and a line under it.
        const win::GdiObject<HBRUSH> white(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
        FillRect(item.hDC, &item.rcItem, white.get());
        RECT logo = item.rcItem;
        const int height = logo.bottom - logo.top;
        logo.left += height / 3;
        logo.top += height / 6;
        logo.bottom -= height / 6;
        logo.right = logo.left + (logo.bottom - logo.top) * 4; // the logo is four times as wide as high
        if (m_logo) {
            DRAWITEMSTRUCT part = item;
            part.rcItem = logo;
            dlg::DrawPicture(part, m_logo.get(), dlg::PictureFit::Fit, false);
        }
        RECT line = item.rcItem;
        line.top = line.bottom - 1;
        const win::GdiObject<HBRUSH> grey(CreateSolidBrush(RGB(0xDF, 0xDF, 0xDF)));
        FillRect(item.hDC, &line, grey.get());
        return;
    }
    // A section heading of a page, in a bold version of the page's font.
    const HWND page = GetParent(item.hwndItem);
    dlg::DrawHeading(item, m_headingFont.Get(page));
}

void FrmConfig::OnClosing() {
    if (!m_hwnd)
        return;
    m_config.Close();
    // The dock's backdrop brush is made from the current colour whenever it paints, so there is
    // no brush to make again here.
    if (m_services.trimWorkingSet)
        m_services.trimWorkingSet();
    if (m_app.sys.trace && m_app.sys.trace->Enabled())
        m_app.sys.trace->Line("settings close");
    const HWND owner = GetWindow(m_hwnd, GW_OWNER);
    // The owner is enabled again before the window goes, so that it gets the activation back.
    if (m_enableOwnerAtClose && owner)
        EnableWindow(owner, TRUE);
    m_enableOwnerAtClose = false;
    DestroyWindow(m_hwnd);
}

} // namespace qor
