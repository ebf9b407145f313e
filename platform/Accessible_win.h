// The dock and the pop-up for screen readers: Microsoft Active Accessibility (IAccessible) over
// what a window's controller describes (dock/Accessible.h). A window answers WM_GETOBJECT for its
// client area with one AccessibleObject; the object's children are simple elements (child ids
// 1..n for the controller's elements 0..n-1) and the window itself is child id 0, for which the
// system's standard object (CreateStdAccessibleObject) answers what the controller does not:
// the parent and the window's siblings.
//
// MSAA rather than UI Automation: screen readers read MSAA servers (Windows maps them to UI
// Automation for Narrator), AccessibleObjectFromWindow works across processes under Wine 8,
// while Wine 8's UI Automation core cannot be created as a COM client and stubs the invoke
// pattern, so a provider could not be tested here.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "dock/Accessible.h"
#include "platform/Handles_win.h"

namespace qor {
class ITrace;
}

namespace qor::win {

// IID_IAccessible, defined here: with MinGW the import libraries' copy gave E_NOINTERFACE.
extern const IID kIidAccessible;

// What a window hands its accessible object. Called on the window's thread only: COM brings the
// calls of other processes there, between the window's messages.
class IAccessibleSource {
public:
    virtual ~IAccessibleSource() = default;
    virtual AccessibleElement AccessWindow() = 0;
    virtual std::vector<AccessibleElement> AccessElements() = 0;
    // The element with the keyboard selection, -1 none.
    virtual int AccessSelected() = 0;
    // Runs the default action of `element` soon, once the caller's request has returned (an
    // action may open a message box or a modal menu, which must not hold another process).
    virtual void AccessRequestAction(int element) = 0;
};

class AccessibleObject;

// A window's accessible object: made on the first WM_GETOBJECT and cut off from the window when
// the window goes, so a client holding it gets errors instead of reaching a destroyed window.
class AccessibleWindow {
public:
    AccessibleWindow() = default;
    AccessibleWindow(const AccessibleWindow&) = delete;
    AccessibleWindow& operator=(const AccessibleWindow&) = delete;
    ~AccessibleWindow();

    // WM_GETOBJECT: the object for the client area, or 0 (DefWindowProc then answers).
    LRESULT OnGetObject(HWND hwnd, IAccessibleSource& source, WPARAM wParam, LPARAM lParam);
    void Disconnect() noexcept;

private:
    ComPtr<IAccessible> m_object;
    AccessibleObject* m_impl = nullptr; // the same object, for Disconnect
};

// Raises the WinEvent for `event` on element `element` (-1 the window) of the window's client
// object and writes it to the trace: "access <event> window=<window> child=<id> name=<name>". The
// name is read from `source` only for the trace: a hover raises an event and must stay cheap.
void RaiseAccessEvent(HWND hwnd, const char* window, AccessEvent event, int element,
                      IAccessibleSource& source, ITrace* trace);

// The controller's role and state bits as MSAA's ROLE_SYSTEM_* and STATE_SYSTEM_* values.
LONG AccessRoleValue(AccessRole role);
LONG AccessStateValue(uint32_t states);

} // namespace qor::win
