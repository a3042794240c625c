// Message maps: each window class lists the messages it handles between BEGIN_MESSAGE_MAP and
// END_MESSAGE_MAP, and a message goes to the first matching entry of the most derived class,
// then of its bases. An entry holds a small function made by its macro that unpacks wParam and
// lParam and calls the named member of the class the map belongs to, with the framework's handler
// signatures (OnChar(UINT, UINT, UINT), OnLButtonDown(UINT, CPoint), ...).
//
// A handler that wants the window's own behaviour as well calls Default() or its base class's
// handler. Control notifications (WM_COMMAND, WM_NOTIFY) and colour requests are first offered
// to the control that sent them ("reflected"), then to the parent's map.
#pragma once

#include "mfc/CommCtrl.h"
#include "mfc/Geometry.h"

class CCmdTarget;
class CWnd;
class CDC;
class CScrollBar;

// Reflected messages arrive at the control as WM_REFLECT_BASE + the original message.
#define WM_REFLECT_BASE 0xBC00

// The lParam of a reflected colour request.
struct NUVCTLCOLOR {
    HDC hDC;
    HWND hWnd;
    UINT nCtlType;  // CTLCOLOR_EDIT, CTLCOLOR_STATIC, ...
};

// Notification code of a plain command (menu item, accelerator, BN_CLICKED).
#define CN_COMMAND 0

// Answers TRUE when the entry handled the message, with the message's result in *result.
typedef BOOL (*AFX_PMSGTHUNK)(CCmdTarget* target, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // 0 ends the map
    UINT nCode;     // notification code for WM_COMMAND / WM_NOTIFY entries
    UINT nID;       // first control identifier
    UINT nLastID;   // last control identifier
    AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;  \
                                                       \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                    \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }            \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                             \
        typedef theClass ThisClass;                                                               \
        typedef baseClass TheBaseClass;                                                           \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                                         \
    {0, 0, 0, 0, nullptr}};                                                                       \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]};               \
    return &map;                                                                                  \
    }

// The pieces every entry macro shares: `self` is the object as the map's class.
#define NUV_THUNK(body)                                                                           \
    [](CCmdTarget* target, WPARAM wParam, LPARAM lParam, LRESULT* result) -> BOOL {              \
        ThisClass* self = static_cast<ThisClass*>(target);                                        \
        (void)self, (void)wParam, (void)lParam, (void)result;                                    \
        body                                                                                      \
    }
#define NUV_MSG_ENTRY(msg, body) {msg, 0, 0, 0, NUV_THUNK(body)},

// Window messages.
#define ON_WM_CREATE() NUV_MSG_ENTRY(WM_CREATE, *result = self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)); return TRUE;)
#define ON_WM_DESTROY() NUV_MSG_ENTRY(WM_DESTROY, self->OnDestroy(); return TRUE;)
#define ON_WM_CLOSE() NUV_MSG_ENTRY(WM_CLOSE, self->OnClose(); return TRUE;)
#define ON_WM_SIZE() NUV_MSG_ENTRY(WM_SIZE, self->OnSize(UINT(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;)
#define ON_WM_PAINT() NUV_MSG_ENTRY(WM_PAINT, self->OnPaint(); return TRUE;)
#define ON_WM_ERASEBKGND() NUV_MSG_ENTRY(WM_ERASEBKGND, *result = self->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))); return TRUE;)
#define ON_WM_SHOWWINDOW() NUV_MSG_ENTRY(WM_SHOWWINDOW, self->OnShowWindow(BOOL(wParam), UINT(lParam)); return TRUE;)
#define ON_WM_ENABLE() NUV_MSG_ENTRY(WM_ENABLE, self->OnEnable(BOOL(wParam)); return TRUE;)
#define ON_WM_SETFOCUS() NUV_MSG_ENTRY(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); return TRUE;)
#define ON_WM_KILLFOCUS() NUV_MSG_ENTRY(WM_KILLFOCUS, self->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); return TRUE;)
#define ON_WM_TIMER() NUV_MSG_ENTRY(WM_TIMER, self->OnTimer(UINT_PTR(wParam)); return TRUE;)
#define ON_WM_GETDLGCODE() NUV_MSG_ENTRY(WM_GETDLGCODE, *result = self->OnGetDlgCode(); return TRUE;)
#define NUV_KEY_ENTRY(msg, fn) NUV_MSG_ENTRY(msg, self->fn(UINT(wParam), LOWORD(lParam), HIWORD(lParam)); return TRUE;)
#define ON_WM_KEYDOWN() NUV_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() NUV_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() NUV_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() NUV_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSKEYUP() NUV_KEY_ENTRY(WM_SYSKEYUP, OnSysKeyUp)
#define ON_WM_SYSCHAR() NUV_KEY_ENTRY(WM_SYSCHAR, OnSysChar)
#define NUV_MOUSE_ENTRY(msg, fn) NUV_MSG_ENTRY(msg, self->fn(UINT(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return TRUE;)
#define ON_WM_MOUSEMOVE() NUV_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() NUV_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() NUV_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() NUV_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() NUV_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() NUV_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() NUV_MOUSE_ENTRY(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MOUSEWHEEL() NUV_MSG_ENTRY(WM_MOUSEWHEEL, *result = self->OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return TRUE;)
#define ON_WM_CONTEXTMENU() NUV_MSG_ENTRY(WM_CONTEXTMENU, self->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return TRUE;)
#define ON_WM_HSCROLL() NUV_MSG_ENTRY(WM_HSCROLL, self->OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), nullptr); return TRUE;)
#define ON_WM_VSCROLL() NUV_MSG_ENTRY(WM_VSCROLL, self->OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), nullptr); return TRUE;)
// One handler for every WM_CTLCOLOR* request from the children; nCtlColor says which kind.
#define ON_WM_CTLCOLOR()                                                                          \
    {WM_CTLCOLOR, 0, 0, 0, NUV_THUNK(const NUVCTLCOLOR* c = reinterpret_cast<const NUVCTLCOLOR*>(lParam); \
        *result = reinterpret_cast<LRESULT>(self->OnCtlColor(CDC::FromHandle(c->hDC), CWnd::FromHandle(c->hWnd), c->nCtlType)); \
        return TRUE;)},
// The control's own colours: a null brush leaves the request to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                  \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, NUV_THUNK(const NUVCTLCOLOR* c = reinterpret_cast<const NUVCTLCOLOR*>(lParam); \
        HBRUSH b = self->CtlColor(CDC::FromHandle(c->hDC), c->nCtlType);                       \
        *result = reinterpret_cast<LRESULT>(b); return b != nullptr;)},

// Any message, by number: LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(msg, fn) NUV_MSG_ENTRY(msg, *result = self->fn(wParam, lParam); return TRUE;)

// Commands and control notifications to the parent.
#define ON_COMMAND(id, fn) {WM_COMMAND, CN_COMMAND, UINT(id), UINT(id), NUV_THUNK(self->fn(); return TRUE;)},
#define ON_COMMAND_RANGE(id, idLast, fn) {WM_COMMAND, CN_COMMAND, UINT(id), UINT(idLast), NUV_THUNK(self->fn(LOWORD(wParam)); return TRUE;)},
#define ON_CONTROL(code, id, fn) {WM_COMMAND, UINT(code), UINT(id), UINT(id), NUV_THUNK(self->fn(); return TRUE;)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_KILLFOCUS(id, fn) ON_CONTROL(CBN_KILLFOCUS, id, fn)
#define ON_CBN_CLOSEUP(id, fn) ON_CONTROL(CBN_CLOSEUP, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
// void fn(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, fn) {WM_NOTIFY, UINT(code), UINT(id), UINT(id), NUV_THUNK(self->fn(reinterpret_cast<NMHDR*>(lParam), result); return TRUE;)},
#define ON_NOTIFY_RANGE(code, id, idLast, fn) {WM_NOTIFY, UINT(code), UINT(id), UINT(idLast), NUV_THUNK(self->fn(UINT(wParam), reinterpret_cast<NMHDR*>(lParam), result); return TRUE;)},

// Notifications a control handles itself. The _EX forms return BOOL: TRUE keeps the
// notification from the parent, FALSE lets the parent have it too.
#define ON_CONTROL_REFLECT(code, fn) {WM_REFLECT_BASE + WM_COMMAND, UINT(code), 0, 0, NUV_THUNK(self->fn(); return TRUE;)},
#define ON_CONTROL_REFLECT_EX(code, fn) {WM_REFLECT_BASE + WM_COMMAND, UINT(code), 0, 0, NUV_THUNK(return self->fn() ? TRUE : FALSE;)},
#define ON_NOTIFY_REFLECT(code, fn) {WM_REFLECT_BASE + WM_NOTIFY, UINT(code), 0, 0, NUV_THUNK(self->fn(reinterpret_cast<NMHDR*>(lParam), result); return TRUE;)},
#define ON_NOTIFY_REFLECT_EX(code, fn) {WM_REFLECT_BASE + WM_NOTIFY, UINT(code), 0, 0, NUV_THUNK(return self->fn(reinterpret_cast<NMHDR*>(lParam), result) ? TRUE : FALSE;)},
#define ON_EN_CHANGE_REFLECT(fn) ON_CONTROL_REFLECT(EN_CHANGE, fn)
