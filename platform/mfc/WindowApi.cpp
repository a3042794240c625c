// The window functions on handles (family, text, state, focus, geometry, timers, beep). Each
// checks the handle first; a handle of another thread's window is refused where the function
// would have to touch the window itself.
#include "mfc/WindowApi.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>

#include <algorithm>
#include <atomic>
#include <deque>

#include "mfc/EventHook.h"
#include "mfc/MfcInternal.h"

using namespace NUVMfc::detail;

namespace {

WindowRecord* Checked(HWND hWnd) {
    WindowRecord* rec = Find(hWnd);
    if (!rec) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return rec;
}

QWidget* ClientWidget(QWidget* w) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
    return w;
}

QSize ClientSize(QWidget* w) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->contentsRect().size();
    return w->size();
}

std::atomic<int> g_beeps{0};

}  // namespace

BOOL IsWindow(HWND hWnd) { return hWnd && Exists(hWnd); }

BOOL DestroyWindow(HWND hWnd) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec) return FALSE;
    Destroy(rec);
    return TRUE;
}

HWND GetParent(HWND hWnd) {
    WindowRecord* rec = Checked(hWnd);
    return rec ? ParentHandle(rec) : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
    WindowRecord* rec = Checked(child);
    if (!rec) return nullptr;
    HWND old = ParentHandle(rec);
    WindowRecord* parent = Find(newParent);
    if (parent && parent->widget && rec->widget) {
        const bool visible = !rec->widget->isHidden();
        rec->widget->setParent(parent->widget);
        rec->widget->setVisible(visible);
        rec->foreignParent = nullptr;
    } else if (newParent && IsWindow(newParent)) {
        // A parent without a widget (message-only, or another thread's): messages go to it, the
        // widget stays where it is.
        rec->foreignParent = newParent;
    } else {
        rec->foreignParent = nullptr;
        if (rec->widget) rec->widget->setParent(nullptr);
    }
    return old;
}

namespace {

HWND FindItem(QWidget* in, int nID) {
    std::deque<QWidget*> pending{in};
    while (!pending.empty()) {
        QWidget* w = pending.front();
        pending.pop_front();
        for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            WindowRecord* r = RecordOf(c);
            if (!r && c->property("nuvId").isValid()) r = Adopt(c);
            if (r && r->widget == c) {
                if (static_cast<int>(r->id) == nID && r->id != 0) return r->handle;
            } else if (!r && !c->isWindow()) {
                pending.push_back(c);  // a container with no handle of its own
            }
        }
    }
    return nullptr;
}

}  // namespace

HWND GetDlgItem(HWND dialog, int nID) {
    WindowRecord* rec = Checked(dialog);
    if (!rec || !rec->widget) return nullptr;
    return FindItem(rec->widget, nID);
}

int GetDlgCtrlID(HWND hWnd) {
    WindowRecord* rec = Checked(hWnd);
    return rec ? static_cast<int>(rec->id) : 0;
}

BOOL IsChild(HWND parent, HWND hWnd) {
    WindowRecord* rec = Find(hWnd);
    while (rec && (rec->style & WS_CHILD)) {
        HWND up = ParentHandle(rec);
        if (up == parent) return TRUE;
        rec = Find(up);
    }
    return FALSE;
}

HWND GetFocus() {
    QWidget* w = QApplication::focusWidget();
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (WindowRecord* r = RecordOf(p)) return r->handle;
        if (p->isWindow()) break;
    }
    return w ? Adopt(w)->handle : nullptr;
}

HWND SetFocus(HWND hWnd) {
    HWND old = GetFocus();
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget) return nullptr;
    QWidget* top = rec->widget->window();
    // Focus moves at once, as the platform moves it: the window is made active first.
    if (QApplication::activeWindow() != top && top->isVisible()) QApplication::setActiveWindow(top);
    rec->widget->setFocus(Qt::OtherFocusReason);
    return old;
}

BOOL EnableWindow(HWND hWnd, BOOL enable) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget) return FALSE;
    const bool wasDisabled = rec->widget->testAttribute(Qt::WA_ForceDisabled);
    if (wasDisabled == !enable) return wasDisabled;
    rec->widget->setEnabled(enable != FALSE);
    if (enable) rec->style &= ~WS_DISABLED;
    else rec->style |= WS_DISABLED;
    Dispatch(rec, WM_ENABLE, enable != FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
    WindowRecord* rec = Checked(hWnd);
    return rec && rec->widget && !rec->widget->testAttribute(Qt::WA_ForceDisabled);
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget) return FALSE;
    QWidget* w = rec->widget;
    const bool was = !w->isHidden();
    if (nCmdShow == SW_HIDE) {
        w->hide();
    } else {
        const bool quiet = nCmdShow == SW_SHOWNA || nCmdShow == SW_SHOWNOACTIVATE;
        w->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
        if (nCmdShow == SW_MAXIMIZE) w->showMaximized();
        else if (nCmdShow == SW_MINIMIZE) w->showMinimized();
        else w->show();
        if (w->isWindow() && !quiet) {
            w->raise();
            w->activateWindow();
        }
    }
    return was;
}

BOOL IsWindowVisible(HWND hWnd) {
    WindowRecord* rec = Checked(hWnd);
    return rec && rec->widget && rec->widget->isVisible();
}

LONG GetWindowLongA(HWND hWnd, int index) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec) return 0;
    switch (index) {
        case GWL_STYLE: {
            DWORD style = rec->style & ~(WS_VISIBLE | WS_DISABLED);
            if (rec->widget) {
                if (!rec->widget->isHidden()) style |= WS_VISIBLE;
                if (rec->widget->testAttribute(Qt::WA_ForceDisabled)) style |= WS_DISABLED;
            }
            return static_cast<LONG>(style);
        }
        case GWL_EXSTYLE:
            return static_cast<LONG>(rec->exStyle);
        case GWL_ID:
            return static_cast<LONG>(rec->id);
        default:
            return 0;
    }
}

LONG SetWindowLongA(HWND hWnd, int index, LONG value) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec) return 0;
    const LONG old = GetWindowLongA(hWnd, index);
    switch (index) {
        case GWL_STYLE: {
            const DWORD now = static_cast<DWORD>(value), before = static_cast<DWORD>(old);
            rec->style = now;
            if (rec->widget) {
                if ((now ^ before) & WS_VISIBLE) rec->widget->setVisible(now & WS_VISIBLE);
                if ((now ^ before) & WS_DISABLED) rec->widget->setEnabled(!(now & WS_DISABLED));
            }
            if (rec->cls) rec->cls->ApplyStyle(*rec, before);
            break;
        }
        case GWL_EXSTYLE:
            rec->exStyle = static_cast<DWORD>(value);
            break;
        case GWL_ID:
            rec->id = static_cast<UINT>(value);
            break;
        default:
            return 0;
    }
    return old;
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR text) {
    return static_cast<BOOL>(SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextA(HWND hWnd, LPSTR buffer, int maxCount) {
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hWnd) { return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL GetWindowRect(HWND hWnd, LPRECT rect) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget || !rect) return FALSE;
    QWidget* w = rec->widget;
    QRect r = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    *rect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT rect) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget || !rect) return FALSE;
    QSize s = ClientSize(rec->widget);
    *rect = RECT{0, 0, s.width(), s.height()};
    return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT point) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget || !point) return FALSE;
    QPoint g = rec->widget->mapToGlobal(QPoint(point->x, point->y) + ClientOrigin(rec->widget));
    point->x = g.x(), point->y = g.y();
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT point) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget || !point) return FALSE;
    QPoint c = rec->widget->mapFromGlobal(QPoint(point->x, point->y)) - ClientOrigin(rec->widget);
    point->x = c.x(), point->y = c.y();
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget) return FALSE;
    QWidget* w = rec->widget;
    QRect r(x, y, std::max(0, width), std::max(0, height));
    if (!w->isWindow() && w->parentWidget()) r.translate(ClientOrigin(w->parentWidget()));
    w->setGeometry(r);
    if (repaint) w->update();
    return TRUE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* rect, BOOL) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget) return FALSE;
    QWidget* client = ClientWidget(rec->widget);
    if (!rect) {
        client->update();
        return TRUE;
    }
    QPoint shift = ClientOrigin(rec->widget);
    if (client != rec->widget) shift -= client->mapTo(rec->widget, QPoint(0, 0));
    client->update(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top).translated(shift));
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->widget) return FALSE;
    QWidget* client = ClientWidget(rec->widget);
    if (client->isVisible()) client->repaint();
    return TRUE;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    QPoint p = QCursor::pos();
    point->x = p.x(), point->y = p.y();
    return TRUE;
}

UINT_PTR NUVMfc::SetWindowTimer(HWND hWnd, UINT_PTR nIDEvent, UINT elapse, TIMERPROC proc) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec || !rec->hook) return 0;
    if (auto it = rec->timers.find(nIDEvent); it != rec->timers.end()) rec->hook->killTimer(it->second);
    // The platform never fires a timer faster than every 10 ms, and a longer interval than the
    // longest it keeps (0x7FFFFFFF ms) is that longest one.
    const int qtId = rec->hook->startTimer(static_cast<int>(std::clamp<UINT>(elapse, 10, 0x7FFFFFFF)));
    if (!qtId) return 0;
    rec->timers[nIDEvent] = qtId;
    rec->timerProcs[nIDEvent] = proc;
    return nIDEvent ? nIDEvent : 1;
}

BOOL NUVMfc::KillWindowTimer(HWND hWnd, UINT_PTR nIDEvent) {
    WindowRecord* rec = Checked(hWnd);
    if (!rec) return FALSE;
    auto it = rec->timers.find(nIDEvent);
    if (it == rec->timers.end()) return FALSE;
    if (rec->hook) rec->hook->killTimer(it->second);
    rec->timers.erase(it);
    rec->timerProcs.erase(nIDEvent);
    return TRUE;
}

BOOL MessageBeep(UINT) {
    ++g_beeps;
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    return TRUE;
}

namespace NUVMfc {
int BeepCount() { return g_beeps; }
}  // namespace NUVMfc
