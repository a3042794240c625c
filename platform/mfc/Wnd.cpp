// CCmdTarget's message-map lookup and CWnd's operations. Most operations send the message the
// platform would send (WM_SETTEXT, WM_GETTEXT, WM_SETFONT, ...), so a subclass sees them in its
// map; geometry, focus and state go to the widget directly.
#include "mfc/Wnd.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

#include "mfc/Dc.h"
#include "mfc/MfcInternal.h"
#include "mfc/Text.h"
#include "mfc/WindowApi.h"

using NUVMfc::detail::Find;
using NUVMfc::detail::WindowRecord;

// Message maps.

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == message && e->nCode == code && id >= e->nID && id <= e->nLastID) return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* extra, LRESULT* result) {
    LRESULT ignored = 0;
    if (!result) result = &ignored;
    if (extra) {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_NOTIFY, static_cast<UINT>(nCode), nID);
        return e && e->pfn(this, nID, reinterpret_cast<LPARAM>(extra), result);
    }
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    return e && e->pfn(this, MAKEWPARAM(static_cast<int>(nID), nCode), 0, result);
}

// Construction and attachment.

CWnd::CWnd() = default;

CWnd::CWnd(HWND attached) : m_hWnd(attached) {}

CWnd::~CWnd() {
    if (!m_hWnd) return;
    WindowRecord* rec = Find(m_hWnd);
    if (rec && rec->permanent == this) {
        // The derived parts are gone: a window this object made is destroyed without it; one it
        // only subclassed (a dialog's control, a list's header) is left to its owner.
        rec->permanent = nullptr;
        HWND h = m_hWnd;
        m_hWnd = nullptr;
        if (rec->madeByObject) ::DestroyWindow(h);
    }
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    WindowRecord* rec = Find(hWnd);
    return rec ? rec->Object() : nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    WindowRecord* rec = Find(hWnd);
    return rec ? rec->permanent : nullptr;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT nID, void*) {
    return CreateEx(0, className, windowName, style, rect, parent, nID, nullptr);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT nID, LPVOID param) {
    if (m_hWnd) return FALSE;
    CREATESTRUCT cs{param, nullptr, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), parent ? parent->m_hWnd : nullptr,
                    rect.bottom - rect.top, rect.right - rect.left, rect.top, rect.left, static_cast<LONG>(style),
                    windowName, className, exStyle};
    if (!PreCreateWindow(cs)) return FALSE;
    NUVMfc::detail::AttachOnCreate(this);
    HWND h = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx,
                               cs.cy, cs.hwndParent, cs.hMenu, nullptr, cs.lpCreateParams);
    NUVMfc::detail::AttachOnCreate(nullptr);
    return h != nullptr && m_hWnd == h;
}

BOOL CWnd::CreateMessageOnly() {
    using namespace NUVMfc::detail;
    if (m_hWnd) return FALSE;
    WindowRecord* rec = CreateRecord(nullptr, nullptr, 0, 0, 0);
    rec->permanent = this;
    rec->madeByObject = true;
    m_hWnd = rec->handle;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::Attach(HWND hWnd) {
    WindowRecord* rec = Find(hWnd);
    if (m_hWnd || !rec || rec->permanent) return FALSE;
    rec->permanent = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (WindowRecord* rec = Find(h); rec && rec->permanent == this) {
        rec->permanent = nullptr;
        rec->madeByObject = false;
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* parent) {
    if (!parent) return FALSE;
    HWND child = ::GetDlgItem(parent->m_hWnd, static_cast<int>(nID));
    return child ? SubclassWindow(child) : FALSE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

QWidget* CWnd::GetQWidget() const {
    WindowRecord* rec = Find(m_hWnd);
    return rec ? rec->widget.data() : nullptr;
}

HWND CWnd::HandleOf(QWidget* widget) {
    WindowRecord* rec = NUVMfc::detail::Adopt(widget);
    return rec ? rec->handle : nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }
void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}
BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::DoDataExchange(CDataExchange*) {}

// Family.

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd* CWnd::SetParent(CWnd* newParent) {
    return FromHandle(::SetParent(m_hWnd, newParent ? newParent->m_hWnd : nullptr));
}

CWnd* CWnd::GetTopLevelParent() const {
    HWND h = m_hWnd, up;
    while ((up = ::GetParent(h)) != nullptr) h = up;
    return h == m_hWnd ? nullptr : FromHandle(h);
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

int CWnd::SetDlgCtrlID(int nID) {
    WindowRecord* rec = Find(m_hWnd);
    if (!rec) return 0;
    int old = static_cast<int>(rec->id);
    rec->id = static_cast<UINT>(nID);
    return old;
}

// Text.

void CWnd::SetWindowText(LPCSTR text) { SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")); }

int CWnd::GetWindowText(LPSTR buffer, int maxCount) const {
    return static_cast<int>(SendMessage(WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

void CWnd::GetWindowText(CString& text) const {
    const int length = GetWindowTextLength();
    if (length <= 0) {
        text.Empty();
        return;
    }
    char* buffer = text.GetBufferSetLength(length + 1);
    const int n = GetWindowText(buffer, length + 1);
    text.ReleaseBuffer(n);
}

int CWnd::GetWindowTextLength() const { return static_cast<int>(SendMessage(WM_GETTEXTLENGTH)); }

void CWnd::SetDlgItemText(int nID, LPCSTR text) { ::SetWindowTextA(::GetDlgItem(m_hWnd, nID), text); }

int CWnd::GetDlgItemText(int nID, CString& text) const {
    CWnd* item = GetDlgItem(nID);
    if (!item) {
        text.Empty();
        return 0;
    }
    item->GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetDlgItemInt(int nID, UINT value, BOOL isSigned) {
    CString text;
    if (isSigned) text.Format("%d", static_cast<int>(value));
    else text.Format("%u", value);
    SetDlgItemText(nID, text);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* translated, BOOL isSigned) const {
    CString text;
    GetDlgItemText(nID, text);
    text.Trim();
    char* end = nullptr;
    errno = 0;
    long long v = isSigned ? std::strtoll(text, &end, 10) : static_cast<long long>(std::strtoull(text, &end, 10));
    const bool ok = !text.IsEmpty() && end && *end == '\0' && errno == 0 &&
                    (isSigned ? (v >= INT32_MIN && v <= INT32_MAX) : (v >= 0 && v <= UINT32_MAX));
    if (translated) *translated = ok;
    return ok ? static_cast<UINT>(v) : 0;
}

// State.

BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
    DWORD old = GetStyle(), now = (old & ~remove) | add;
    if (old == now) return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(now));
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
    DWORD old = GetExStyle(), now = (old & ~remove) | add;
    if (old == now) return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(now));
    return TRUE;
}

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
BOOL CWnd::IsChild(const CWnd* wnd) const { return wnd && ::IsChild(m_hWnd, wnd->m_hWnd); }

// Painting.

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

void CWnd::SetRedraw(BOOL redraw) {
    if (QWidget* w = GetQWidget()) w->setUpdatesEnabled(redraw != FALSE);
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->m_hObject : nullptr), redraw);
}

CFont* CWnd::GetFont() const { return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))); }

CDC* CWnd::GetDC() { return new CClientDC(this); }

int CWnd::ReleaseDC(CDC* dc) {
    delete dc;
    return dc ? 1 : 0;
}

// Geometry.

void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }

void CWnd::ClientToScreen(LPRECT rect) const {
    POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
    ::ClientToScreen(m_hWnd, &a);
    ::ClientToScreen(m_hWnd, &b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::ScreenToClient(LPRECT rect) const {
    POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
    ::ScreenToClient(m_hWnd, &a);
    ::ScreenToClient(m_hWnd, &b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
    if (rect) MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    QWidget* w = GetQWidget();
    if (!w) return FALSE;
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        RECT r;
        GetWindowRect(&r);
        if (CWnd* parent = GetParent(); parent && (GetStyle() & WS_CHILD)) parent->ScreenToClient(&r);
        int nx = (flags & SWP_NOMOVE) ? r.left : x, ny = (flags & SWP_NOMOVE) ? r.top : y;
        int nw = (flags & SWP_NOSIZE) ? r.right - r.left : cx, nh = (flags & SWP_NOSIZE) ? r.bottom - r.top : cy;
        MoveWindow(nx, ny, nw, nh, !(flags & SWP_NOREDRAW));
    }
    if (!(flags & SWP_NOZORDER)) {
        const HWND after = insertAfter ? insertAfter->m_hWnd : HWND_TOP;
        if (after == HWND_BOTTOM) w->lower();
        else if (after == HWND_TOP || after == HWND_TOPMOST) w->raise();
        else if (QWidget* other = insertAfter->GetQWidget()) w->stackUnder(other);
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(SW_SHOWNA);
    if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::CenterWindow(CWnd* alternate) {
    QWidget* w = GetQWidget();
    if (!w) return;
    QRect around;
    CWnd* owner = alternate ? alternate : GetParent();
    if (owner && owner->GetQWidget() && owner->GetQWidget()->isVisible()) {
        QWidget* o = owner->GetQWidget();
        around = QRect(o->mapToGlobal(QPoint(0, 0)), o->size());
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        around = s->availableGeometry();
    }
    if (around.isNull()) return;
    QPoint topLeft = around.center() - QPoint(w->width() / 2, w->height() / 2);
    if (!w->isWindow() && w->parentWidget()) topLeft = w->parentWidget()->mapFromGlobal(topLeft);
    w->move(topLeft);
}

// Messages.

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT elapse, TIMERPROC proc) { return NUVMfc::SetWindowTimer(m_hWnd, nIDEvent, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return NUVMfc::KillWindowTimer(m_hWnd, nIDEvent); }

const MSG* CWnd::GetCurrentMessage() {
    NUVMfc::detail::MessageFrame* f = NUVMfc::detail::CurrentFrame();
    return f ? &f->msg : nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* rec = Find(m_hWnd);
    return rec ? NUVMfc::detail::DefaultProc(rec, message, wParam, lParam) : 0;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        if (!OnNotify(wParam, lParam, &r)) return FALSE;
        *result = r;
        return TRUE;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        NUVCTLCOLOR c{reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message - WM_CTLCOLORMSGBOX};
        if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_CTLCOLOR, 0, 0)) {
            e->pfn(this, wParam, reinterpret_cast<LPARAM>(&c), result);
            return TRUE;
        }
        *result = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(c.hDC), FromHandle(c.hWnd), c.nCtlType));
        return TRUE;
    }
    if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0, 0)) {
        if (e->pfn(this, wParam, lParam, &r)) {
            *result = r;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (control) {
        CWnd* child = FromHandlePermanent(control);
        LRESULT r = 0;
        if (child && child->OnChildNotify(WM_COMMAND, wParam, lParam, &r)) return TRUE;
    }
    LRESULT r = 0;
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), nullptr, &r);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    if (CWnd* child = FromHandlePermanent(header->hwndFrom)) {
        if (child->OnChildNotify(WM_NOTIFY, wParam, lParam, result)) return TRUE;
    }
    return OnCmdMsg(static_cast<UINT>(header->idFrom), static_cast<int>(header->code), header, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT ignored = 0;
    if (!result) result = &ignored;
    if (message == WM_COMMAND) {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
        return e && e->pfn(this, wParam, lParam, result);
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        const AFX_MSGMAP_ENTRY* e = header ? FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, header->code, 0) : nullptr;
        return e && e->pfn(this, wParam, lParam, result);
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        NUVCTLCOLOR c{reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message - WM_CTLCOLORMSGBOX};
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0);
        return e && e->pfn(this, 0, reinterpret_cast<LPARAM>(&c), result);
    }
    return FALSE;
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
    const MSG* m = GetCurrentMessage();
    CWnd* c = FromHandlePermanent(child);
    return m && c && c->OnChildNotify(m->message, m->wParam, m->lParam, result);
}

LRESULT CWnd::Default() {
    const MSG* m = GetCurrentMessage();
    return m ? DefWindowProc(m->message, m->wParam, m->lParam) : 0;
}

// Default handlers.

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT) {
    LRESULT r = 0;
    if (wnd && ReflectLastMsg(wnd->m_hWnd, &r)) return reinterpret_cast<HBRUSH>(r);
    (void)dc;
    return reinterpret_cast<HBRUSH>(Default());
}

namespace {
CWnd* g_mainWnd = nullptr;
}

CWnd* AfxGetMainWnd() { return g_mainWnd; }

namespace NUVMfc::detail {
namespace {
thread_local CWnd* t_attachOnCreate = nullptr;
}
void AttachOnCreate(CWnd* wnd) { t_attachOnCreate = wnd; }
CWnd* TakeAttachOnCreate() {
    CWnd* w = t_attachOnCreate;
    t_attachOnCreate = nullptr;
    return w;
}
}  // namespace NUVMfc::detail

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                     HWND parent, HMENU menuOrId, HINSTANCE, LPVOID param) {
    using namespace NUVMfc::detail;
    CWnd* object = TakeAttachOnCreate();
    if (!EnsureQtApplication()) return nullptr;
    const WindowClass* cls = FindClass(className ? className : "");
    if (!cls) {
        if (ClassIsUnsupported(className)) {
            std::fprintf(stderr, "nuvmfc: window class '%s' is not supported\n", className);
            return nullptr;
        }
        cls = FindClass("");  // a class of the program's own: a window its object paints
    }
    WindowRecord* parentRec = parent ? Find(parent) : nullptr;
    if (parent && !parentRec && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    QWidget* parentWidget = parentRec ? parentRec->widget.data() : nullptr;
    QWidget* w = cls->Make(style, exStyle, parentWidget);
    if (!w) return nullptr;
    QRect r(x, y, std::max(0, width), std::max(0, height));
    if (parentWidget && (style & WS_CHILD)) r.translate(ClientOrigin(parentWidget));
    w->setGeometry(r);
    if (style & WS_DISABLED) w->setEnabled(false);
    if (!(style & WS_VISIBLE)) w->setVisible(false);
    const UINT id = (style & WS_CHILD) ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(menuOrId)) : 0;
    WindowRecord* rec = CreateRecord(w, cls, style, exStyle, id);
    if (parent && !parentWidget) rec->foreignParent = parent;
    const HWND h = rec->handle;
    rec->creating = true;
    if (object) {
        rec->permanent = object;
        rec->madeByObject = true;
        object->m_hWnd = h;
    }
    if (windowName && *windowName) {
        QString text;
        if (NUVMfc::ToQString(windowName, text)) cls->SetText(*rec, text);
    }
    if (object) object->PreSubclassWindow();
    if (!Find(h)) return nullptr;
    CREATESTRUCT cs{param, nullptr, menuOrId, parent, height, width, y, x, static_cast<LONG>(style), windowName, className, exStyle};
    if (Dispatch(Find(h), WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        ::DestroyWindow(h);
        return nullptr;
    }
    rec = Find(h);
    if (!rec) return nullptr;
    rec->creating = false;
    if ((style & WS_VISIBLE) && !parentWidget) w->show();
    return h;
}
void AfxSetMainWnd(CWnd* wnd) { g_mainWnd = wnd; }
