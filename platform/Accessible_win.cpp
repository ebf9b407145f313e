#include "platform/Accessible_win.h"

#include <atomic>
#include <exception>
#include <new>

#include "platform/Trace.h"

namespace qor::win {

const IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

namespace {

// IUnknown and IDispatch, spelled out for the same reason as kIidAccessible.
const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A text of the system code page as an automation string the caller frees; null for empty text.
BSTR ToBstr(const std::string& text) {
    if (text.empty())
        return nullptr;
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0)
        return nullptr;
    BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (out)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out, n);
    return out;
}

void SetChild(VARIANT* out, LONG child) {
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = child;
}

// Runs one request of a client; nothing thrown leaves through COM.
template <class F> HRESULT Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace

LONG AccessRoleValue(AccessRole role) {
    switch (role) {
    case AccessRole::List:
        return ROLE_SYSTEM_LIST;
    case AccessRole::PushButton:
        return ROLE_SYSTEM_PUSHBUTTON;
    case AccessRole::MenuPopup:
        return ROLE_SYSTEM_MENUPOPUP;
    case AccessRole::MenuItem:
        return ROLE_SYSTEM_MENUITEM;
    }
    return ROLE_SYSTEM_CLIENT;
}

LONG AccessStateValue(uint32_t states) {
    LONG value = 0;
    if (states & access::Unavailable)
        value |= STATE_SYSTEM_UNAVAILABLE;
    if (states & access::Focusable)
        value |= STATE_SYSTEM_FOCUSABLE;
    if (states & access::Focused)
        value |= STATE_SYSTEM_FOCUSED;
    if (states & access::HotTracked)
        value |= STATE_SYSTEM_HOTTRACKED;
    if (states & access::Invisible)
        value |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if (states & access::HasPopup)
        value |= STATE_SYSTEM_HASPOPUP;
    return value;
}

// The client area's IAccessible. Child id 0 is the window, 1..n the controller's elements.
class AccessibleObject final : public IAccessible {
public:
    AccessibleObject(HWND hwnd, IAccessibleSource* source) : m_hwnd(hwnd), m_source(source) {
        CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kIidAccessible, m_std.PutVoid());
    }
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    // The window goes: every later request fails, and the proxies of other processes are cut.
    void Disconnect() noexcept {
        m_source = nullptr;
        m_std.Reset();
        CoDisconnectObject(static_cast<IAccessible*>(this), 0);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(riid, kIidUnknown) || IsEqualIID(riid, kIidDispatch) ||
            IsEqualIID(riid, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: clients of simple elements use the IAccessible methods only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!m_source || !m_std)
            return RPC_E_DISCONNECTED;
        return m_std->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return Guarded([&] {
            if (!m_source)
                return RPC_E_DISCONNECTED;
            *count = static_cast<LONG>(m_source->AccessElements().size());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            std::vector<AccessibleElement> list;
            const HRESULT hr = Elements(list);
            if (FAILED(hr))
                return hr;
            // The elements are simple: the caller asks this object about them by child id.
            return Index(child, list) > 0 ? S_FALSE : E_INVALIDARG;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Text(
            child, out, [](const AccessibleElement& e) { return e.Name; }, true);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override { return NoText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return NoText(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return NoText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return Text(
            child, out, [](const AccessibleElement& e) { return e.Shortcut; }, false);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Text(
            child, out, [](const AccessibleElement& e) { return e.DefaultAction; }, false);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            AccessibleElement e;
            const HRESULT hr = Element(child, e);
            if (FAILED(hr))
                return hr;
            SetChild(out, AccessRoleValue(e.Role));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            AccessibleElement e;
            const HRESULT hr = Element(child, e);
            if (FAILED(hr))
                return hr;
            LONG state = AccessStateValue(e.States);
            if (IsSelf(child) && GetFocus() == m_hwnd)
                state |= STATE_SYSTEM_FOCUSED;
            SetChild(out, state);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            if (!m_source)
                return RPC_E_DISCONNECTED;
            if (GetFocus() != m_hwnd)
                return S_FALSE; // the focus is elsewhere: VT_EMPTY
            const int selected = m_source->AccessSelected();
            SetChild(out, selected >= 0 ? selected + 1 : CHILDID_SELF);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            if (!m_source)
                return RPC_E_DISCONNECTED;
            const int selected = m_source->AccessSelected();
            if (selected < 0)
                return S_FALSE;
            SetChild(out, selected + 1);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        return Guarded([&] {
            AccessibleElement e;
            const HRESULT hr = Element(child, e);
            if (FAILED(hr))
                return hr;
            *left = e.Bounds.left;
            *top = e.Bounds.top;
            *width = e.Bounds.Width();
            *height = e.Bounds.Height();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            std::vector<AccessibleElement> list;
            const HRESULT hr = Elements(list);
            if (FAILED(hr))
                return hr;
            const LONG count = static_cast<LONG>(list.size());
            const LONG from = Index(start, list);
            if (from < 0)
                return E_INVALIDARG;
            if (from == CHILDID_SELF) {
                if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
                    if (count == 0)
                        return S_FALSE;
                    SetChild(out, direction == NAVDIR_FIRSTCHILD ? 1 : count);
                    return S_OK;
                }
                return m_std ? m_std->accNavigate(direction, start, out) : S_FALSE;
            }
            LONG to = 0;
            switch (direction) {
            case NAVDIR_NEXT:
            case NAVDIR_DOWN:
            case NAVDIR_RIGHT:
                to = from + 1;
                break;
            case NAVDIR_PREVIOUS:
            case NAVDIR_UP:
            case NAVDIR_LEFT:
                to = from - 1;
                break;
            case NAVDIR_FIRSTCHILD:
            case NAVDIR_LASTCHILD:
                return E_INVALIDARG; // simple elements have no children
            default:
                return E_INVALIDARG;
            }
            if (to < 1 || to > count)
                return S_FALSE;
            SetChild(out, to);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return Guarded([&] {
            if (!m_source)
                return RPC_E_DISCONNECTED;
            const int hit = ElementAt(m_source->AccessElements(), x, y);
            if (hit >= 0) {
                SetChild(out, hit + 1);
                return S_OK;
            }
            const Rect w = m_source->AccessWindow().Bounds;
            if (x >= w.left && x < w.right && y >= w.top && y < w.bottom) {
                SetChild(out, CHILDID_SELF);
                return S_OK;
            }
            return S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Guarded([&] {
            std::vector<AccessibleElement> list;
            const HRESULT hr = Elements(list);
            if (FAILED(hr))
                return hr;
            const LONG id = Index(child, list);
            if (id < 0)
                return E_INVALIDARG;
            if (id == CHILDID_SELF || list[static_cast<std::size_t>(id - 1)].DefaultAction.empty())
                return DISP_E_MEMBERNOTFOUND;
            m_source->AccessRequestAction(static_cast<int>(id - 1));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() = default;

    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    HRESULT Elements(std::vector<AccessibleElement>& list) {
        if (!m_source)
            return RPC_E_DISCONNECTED;
        list = m_source->AccessElements();
        return S_OK;
    }
    // The child id a VARIANT names: 0 the window, 1..n an element; -1 for anything else.
    static LONG Index(const VARIANT& child, const std::vector<AccessibleElement>& list) {
        if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > static_cast<LONG>(list.size()))
            return -1;
        return child.lVal;
    }
    // The window (child id 0) or one element.
    HRESULT Element(const VARIANT& child, AccessibleElement& out) {
        if (!m_source)
            return RPC_E_DISCONNECTED;
        if (IsSelf(child)) {
            out = m_source->AccessWindow();
            return S_OK;
        }
        const std::vector<AccessibleElement> list = m_source->AccessElements();
        const LONG id = Index(child, list);
        if (id <= 0)
            return E_INVALIDARG;
        out = list[static_cast<std::size_t>(id - 1)];
        return S_OK;
    }
    // A text property; S_FALSE with a null string when it is empty. The window's name falls
    // back to the standard object's (the window's caption) when `windowFromStd`.
    template <class Get> HRESULT Text(const VARIANT& child, BSTR* out, Get get, bool windowFromStd) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            AccessibleElement e;
            const HRESULT hr = Element(child, e);
            if (FAILED(hr))
                return hr;
            const std::string text = get(e);
            if (text.empty() && IsSelf(child) && windowFromStd && m_std)
                return m_std->get_accName(child, out);
            *out = ToBstr(text);
            return *out ? S_OK : S_FALSE;
        });
    }
    HRESULT NoText(const VARIANT& child, BSTR* out) {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            AccessibleElement e;
            const HRESULT hr = Element(child, e);
            return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
        });
    }

    std::atomic<ULONG> m_refs{1};
    HWND m_hwnd;
    IAccessibleSource* m_source;
    ComPtr<IAccessible> m_std; // the system's object for the window itself
};

AccessibleWindow::~AccessibleWindow() {
    Disconnect();
}

LRESULT AccessibleWindow::OnGetObject(HWND hwnd, IAccessibleSource& source, WPARAM wParam, LPARAM lParam) {
    // The object id arrives in the low 32 bits, sign-extended or not.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT)
        return 0;
    if (!m_object) {
        m_impl = new (std::nothrow) AccessibleObject(hwnd, &source);
        m_object = ComPtr<IAccessible>(m_impl);
    }
    if (!m_object)
        return 0;
    return LresultFromObject(kIidAccessible, wParam, m_object.get());
}

void AccessibleWindow::Disconnect() noexcept {
    if (m_impl)
        m_impl->Disconnect();
    m_impl = nullptr;
    m_object.Reset();
}

void RaiseAccessEvent(HWND hwnd, const char* window, AccessEvent event, int element,
                      IAccessibleSource& source, ITrace* trace) {
    DWORD winEvent = EVENT_OBJECT_FOCUS;
    switch (event) {
    case AccessEvent::Focus:
        winEvent = EVENT_OBJECT_FOCUS;
        break;
    case AccessEvent::NameChange:
        winEvent = EVENT_OBJECT_NAMECHANGE;
        break;
    case AccessEvent::PopupStart:
        winEvent = EVENT_SYSTEM_MENUPOPUPSTART;
        break;
    case AccessEvent::PopupEnd:
        winEvent = EVENT_SYSTEM_MENUPOPUPEND;
        break;
    }
    const LONG child = element >= 0 ? element + 1 : CHILDID_SELF;
    if (hwnd)
        NotifyWinEvent(winEvent, hwnd, OBJID_CLIENT, child);
    if (!trace || !trace->Enabled())
        return;
    std::string name;
    if (element < 0) {
        name = source.AccessWindow().Name;
    } else {
        const std::vector<AccessibleElement> list = source.AccessElements();
        if (element < static_cast<int>(list.size()))
            name = list[static_cast<std::size_t>(element)].Name;
    }
    trace->Line(std::string("access ") + AccessEventName(event) + " window=" + window +
                " child=" + std::to_string(child) + " name=" + name);
}

} // namespace qor::win
