// Qt events become messages here. For each event of a window's widget the hook builds the
// message the platform would deliver (a key press is WM_KEYDOWN, then one WM_CHAR per GBK byte of
// its text, each first offered to PreTranslateMessage from the window up), dispatches it to the
// window's object, and reports the event as handled. The widget sees the event only when the
// window procedure asks for the default (DefaultProc in WindowDefault.cpp), which sends the same
// event on to it with the hook stepping aside.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <bitset>
#include <cstdio>

#include "mfc/EventHook.h"
#include "mfc/MfcInternal.h"
#include "mfc/Text.h"
#include "win/Tick.h"

namespace NUVMfc::detail {
namespace {

thread_local MessageFrame* t_top = nullptr;
thread_local std::vector<std::pair<QObject*, QEvent*>> t_passing;

struct InputState {
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    std::bitset<256> keysDown;  // by virtual-key code; a set would allocate on every key press
};
thread_local InputState t_input;

UINT VkFromQt(const QKeyEvent* k) {
    const int key = k->key();
    const bool keypad = k->modifiers() & Qt::KeypadModifier;
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<UINT>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Delete: return VK_DELETE;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_End: return VK_END;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt: return VK_MENU;
        case Qt::Key_Meta: return VK_LWIN;
        case Qt::Key_Menu: return VK_APPS;
        case Qt::Key_CapsLock: return VK_CAPITAL;
        case Qt::Key_NumLock: return VK_NUMLOCK;
        case Qt::Key_ScrollLock: return VK_SCROLL;
        case Qt::Key_Pause: return VK_PAUSE;
        case Qt::Key_Print: return VK_SNAPSHOT;
        case Qt::Key_Clear: return VK_CLEAR;
        case Qt::Key_Minus: return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
        case Qt::Key_Underscore: return VK_OEM_MINUS;
        case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
        case Qt::Key_Equal: return VK_OEM_PLUS;
        case Qt::Key_Period: return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
        case Qt::Key_Greater: return VK_OEM_PERIOD;
        case Qt::Key_Comma: case Qt::Key_Less: return VK_OEM_COMMA;
        case Qt::Key_Slash: return keypad ? VK_DIVIDE : VK_OEM_2;
        case Qt::Key_Question: return VK_OEM_2;
        case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : '8';
        case Qt::Key_Semicolon: case Qt::Key_Colon: return VK_OEM_1;
        case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return VK_OEM_7;
        case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return VK_OEM_4;
        case Qt::Key_BracketRight: case Qt::Key_BraceRight: return VK_OEM_6;
        case Qt::Key_Backslash: case Qt::Key_Bar: return VK_OEM_5;
        case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return VK_OEM_3;
        case Qt::Key_Exclam: return '1';
        case Qt::Key_At: return '2';
        case Qt::Key_NumberSign: return '3';
        case Qt::Key_Dollar: return '4';
        case Qt::Key_Percent: return '5';
        case Qt::Key_AsciiCircum: return '6';
        case Qt::Key_Ampersand: return '7';
        case Qt::Key_ParenLeft: return '9';
        case Qt::Key_ParenRight: return '0';
        default: return 0;  // text only (input methods, Key_unknown)
    }
}

bool ExtendedKey(UINT vk) {
    return vk == VK_INSERT || vk == VK_DELETE || vk == VK_HOME || vk == VK_END || vk == VK_PRIOR || vk == VK_NEXT ||
           (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_DIVIDE;
}

// The characters the platform would give the key, as a text: control keys have their control
// characters even when Qt gives none, and Delete has none.
QString CharactersOf(const QKeyEvent* k) {
    switch (k->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: return QString(QChar(0x0D));
        case Qt::Key_Tab: case Qt::Key_Backtab: return QString(QChar(0x09));
        case Qt::Key_Backspace: return QString(QChar(0x08));
        case Qt::Key_Escape: return QString(QChar(0x1B));
        case Qt::Key_Delete: return QString();
        default: break;
    }
    QString text = k->text();
    text.remove(QChar(0x7F));
    return text;
}

LPARAM KeyLParam(const QKeyEvent* k, UINT vk, bool up) {
    DWORD lp = static_cast<DWORD>(std::max(1, k->count())) & 0xFFFF;
    if (ExtendedKey(vk)) lp |= 1u << 24;
    if (k->modifiers() & Qt::AltModifier) lp |= 1u << 29;
    if (up || k->isAutoRepeat()) lp |= 1u << 30;
    if (up) lp |= 1u << 31;
    return static_cast<LPARAM>(lp);
}

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    WPARAM w = 0;
    if (buttons & Qt::LeftButton) w |= MK_LBUTTON;
    if (buttons & Qt::RightButton) w |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) w |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) w |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) w |= MK_CONTROL;
    return w;
}

// The widget whose painting is the window's client area.
QWidget* ClientWidget(QWidget* widget) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) return area->viewport();
    return widget;
}

// Remembers modifiers and focus changes of every widget, framework window or not.
class ApplicationWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove: {
                auto* in = static_cast<QInputEvent*>(e);
                Qt::MouseButtons buttons = t_input.buttons;
                if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
                    buttons = static_cast<QMouseEvent*>(e)->buttons();
                NoteInputModifiers(in->modifiers(), buttons);
                break;
            }
            case QEvent::FocusOut:
                if (watched->isWidgetType()) lastFocusOut = static_cast<QWidget*>(watched);
                break;
            default:
                break;
        }
        return false;
    }
    QPointer<QWidget> lastFocusOut;
};

ApplicationWatch* Watch() {
    static ApplicationWatch* watch = [] {
        auto* w = new ApplicationWatch;
        if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(w);
        return w;
    }();
    return watch;
}

HWND HandleOfWidget(QWidget* w) {
    if (!w) return nullptr;
    WindowRecord* r = Adopt(w);
    return r ? r->handle : nullptr;
}

}  // namespace

MessageFrame* CurrentFrame() { return t_top; }

namespace {
thread_local const QEvent* t_keyDownEvent = nullptr;
thread_local bool t_keyDownDefaulted = true;
}  // namespace

bool KeyDownDefaulted(const QEvent* keyEvent) { return keyEvent != t_keyDownEvent || t_keyDownDefaulted; }

LRESULT Dispatch(WindowRecord* rec, UINT message, WPARAM wParam, LPARAM lParam, QObject* qtTarget, QEvent* qtEvent,
                 bool* defaulted) {
    HWND h = rec->handle;
    POINT pt{0, 0};
    QPoint cursor = QCursor::pos();
    pt.x = cursor.x(), pt.y = cursor.y();
    MessageFrame frame{MSG{h, message, wParam, lParam, static_cast<DWORD>(GetTickCount()), pt}, rec, qtTarget, qtEvent,
                       false, t_top};
    t_top = &frame;
    ++rec->dispatching;
    LRESULT result = 0;
    struct Pop {
        MessageFrame* prev;
        HWND h;
        MessageFrame* frame;
        bool* defaulted;
        ~Pop() {
            t_top = prev;
            if (defaulted) *defaulted = frame->defaulted;
            if (WindowRecord* r = Find(h)) --r->dispatching;
        }
    } pop{frame.prev, h, &frame, defaulted};
    result = rec->Object()->WindowProc(message, wParam, lParam);
    return result;
}

void SendToWidget(QObject* target, QEvent* event) {
    t_passing.emplace_back(target, event);
    struct Pop {
        ~Pop() { t_passing.pop_back(); }
    } pop;
    // An event the platform delivered goes on as the platform's: sendEvent would mark it as the
    // program's own, and Qt then checks a key press against every shortcut a second time.
    if (event->spontaneous()) QCoreApplication::instance()->notify(target, event);
    else QCoreApplication::sendEvent(target, event);
}

BOOL WalkPreTranslate(MSG& msg) {
    for (HWND h = msg.hwnd; h;) {
        WindowRecord* rec = Find(h);
        if (!rec) return FALSE;
        if (rec->permanent && rec->permanent->PreTranslateMessage(&msg)) return TRUE;
        if (!(rec->style & WS_CHILD) || (rec->widget && rec->widget->isWindow())) return FALSE;
        h = ParentHandle(rec);
    }
    return FALSE;
}

QPoint ClientOrigin(const QWidget* widget) {
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(widget)) return area->contentsRect().topLeft();
    return QPoint(0, 0);
}

void NoteInputModifiers(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    t_input.modifiers = modifiers;
    t_input.buttons = buttons;
}

bool WindowHook::eventFilter(QObject* watched, QEvent* event) {
    for (const auto& p : t_passing) {
        if (p.first == watched && p.second == event) return false;
    }
    Watch();
    if (!rec_->widget) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return Key(watched, event);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return Mouse(watched, event);
        case QEvent::Paint:
            return Paint(watched, event);
        case QEvent::FocusIn: {
            if (watched != rec_->widget) return false;
            HWND old = HandleOfWidget(Watch()->lastFocusOut);
            Dispatch(rec_, WM_SETFOCUS, reinterpret_cast<WPARAM>(old == rec_->handle ? nullptr : old), 0, watched, event);
            return true;
        }
        case QEvent::FocusOut: {
            if (watched != rec_->widget) return false;
            QWidget* now = QApplication::focusWidget();
            HWND next = now && now != rec_->widget ? HandleOfWidget(now) : nullptr;
            Dispatch(rec_, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0, watched, event);
            return true;
        }
        case QEvent::Resize: {
            if (watched != rec_->widget) return false;
            QWidget* client = ClientWidget(rec_->widget);
            Dispatch(rec_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client->width(), client->height()), watched, event);
            return true;
        }
        case QEvent::Move:
            if (watched != rec_->widget) return false;
            Dispatch(rec_, WM_MOVE, 0, MAKELPARAM(rec_->widget->x(), rec_->widget->y()), watched, event);
            return true;
        case QEvent::Show:
        case QEvent::Hide:
            if (watched != rec_->widget) return false;
            Dispatch(rec_, WM_SHOWWINDOW, event->type() == QEvent::Show, 0, watched, event);
            return true;
        case QEvent::Close:
            if (watched != rec_->widget) return false;
            // Closing is the window procedure's decision (a dialog cancels, a window destroys
            // itself), never Qt's own hiding.
            event->ignore();
            Dispatch(rec_, WM_CLOSE, 0, 0, watched, nullptr);
            return true;
        default:
            return false;
    }
}

bool WindowHook::Key(QObject* watched, QEvent* event) {
    auto* k = static_cast<QKeyEvent*>(event);
    NoteInputModifiers(k->modifiers(), t_input.buttons);
    const HWND h = rec_->handle;
    const UINT vk = VkFromQt(k);
    const bool up = event->type() == QEvent::KeyRelease;
    const bool sys = (k->modifiers() & Qt::AltModifier) && !(k->modifiers() & Qt::ControlModifier);
    if (vk && vk < t_input.keysDown.size()) t_input.keysDown.set(vk, !up);
    event->accept();
    const LPARAM lp = KeyLParam(k, vk, up);
    if (up) {
        if (!vk) return true;
        MSG m{h, static_cast<UINT>(sys ? WM_SYSKEYUP : WM_KEYUP), vk, lp, 0, {0, 0}};
        if (WalkPreTranslate(m)) return true;
        if (WindowRecord* rec = Find(h)) Dispatch(rec, m.message, vk, lp, watched, event);
        return true;
    }
    CString bytes;
    const QString chars = CharactersOf(k);
    if (!chars.isEmpty() && !FromQString(chars, bytes)) {
        // Text the kernel could not keep (no GBK form) never enters a window.
        MessageBeep(MB_ICONEXCLAMATION);
        std::fprintf(stderr, "nuvmfc: typed text refused: it has a character that GBK cannot hold\n");
        return true;
    }
    if (vk) {
        MSG m{h, static_cast<UINT>(sys ? WM_SYSKEYDOWN : WM_KEYDOWN), vk, lp, 0, {0, 0}};
        if (WalkPreTranslate(m)) return true;
        WindowRecord* rec = Find(h);
        if (!rec) return true;
        bool defaulted = false;
        Dispatch(rec, m.message, vk, lp, watched, event, &defaulted);
        t_keyDownEvent = event;
        t_keyDownDefaulted = defaulted;
    } else {
        t_keyDownEvent = nullptr;
    }
    for (int i = 0; i < bytes.GetLength(); ++i) {
        const WPARAM ch = static_cast<BYTE>(bytes[i]);
        MSG m{h, static_cast<UINT>(sys ? WM_SYSCHAR : WM_CHAR), ch, lp, 0, {0, 0}};
        if (WalkPreTranslate(m)) continue;
        WindowRecord* rec = Find(h);
        if (!rec) break;
        Dispatch(rec, m.message, ch, lp, watched, event);
    }
    return true;
}

bool WindowHook::Mouse(QObject* watched, QEvent* event) {
    QWidget* from = static_cast<QWidget*>(watched);
    QWidget* window = rec_->widget;
    const HWND h = rec_->handle;
    event->accept();
    if (event->type() == QEvent::ContextMenu) {
        auto* c = static_cast<QContextMenuEvent*>(event);
        LPARAM lp = c->reason() == QContextMenuEvent::Keyboard ? MAKELPARAM(-1, -1)
                                                               : MAKELPARAM(c->globalPos().x(), c->globalPos().y());
        Dispatch(rec_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), lp, watched, event);
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        auto* w = static_cast<QWheelEvent*>(event);
        QPoint g = w->globalPosition().toPoint();
        WPARAM wp = MAKEWPARAM(static_cast<int>(MouseKeys(w->buttons(), w->modifiers())), w->angleDelta().y());
        Dispatch(rec_, WM_MOUSEWHEEL, wp, MAKELPARAM(g.x(), g.y()), watched, event);
        return true;
    }
    auto* m = static_cast<QMouseEvent*>(event);
    NoteInputModifiers(m->modifiers(), m->buttons());
    QPoint p = m->position().toPoint();
    if (from != window) p = from->mapTo(window, p);
    p -= ClientOrigin(window);
    UINT message = WM_MOUSEMOVE;
    const bool left = m->button() == Qt::LeftButton, right = m->button() == Qt::RightButton,
               middle = m->button() == Qt::MiddleButton;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            message = left ? WM_LBUTTONDOWN : right ? WM_RBUTTONDOWN : middle ? WM_MBUTTONDOWN : 0;
            break;
        case QEvent::MouseButtonRelease:
            message = left ? WM_LBUTTONUP : right ? WM_RBUTTONUP : middle ? WM_MBUTTONUP : 0;
            break;
        case QEvent::MouseButtonDblClick:
            message = left ? WM_LBUTTONDBLCLK : right ? WM_RBUTTONDBLCLK : middle ? WM_MBUTTONDBLCLK : 0;
            break;
        default:
            break;
    }
    if (!message) return false;
    MSG msg{h, message, MouseKeys(m->buttons(), m->modifiers()), MAKELPARAM(p.x(), p.y()), 0, {0, 0}};
    if (WalkPreTranslate(msg)) return true;
    if (WindowRecord* rec = Find(h)) Dispatch(rec, msg.message, msg.wParam, msg.lParam, watched, event);
    return true;
}

bool WindowHook::Paint(QObject* watched, QEvent* event) {
    if (watched != ClientWidget(rec_->widget)) return false;
    Dispatch(rec_, WM_PAINT, 0, 0, watched, event);
    return true;
}

void WindowHook::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : rec_->timers) {
        if (qtId != event->timerId()) continue;
        const UINT_PTR eventId = id;
        auto proc = rec_->timerProcs.find(eventId);
        if (proc != rec_->timerProcs.end() && proc->second) {
            proc->second(rec_->handle, WM_TIMER, eventId, static_cast<DWORD>(GetTickCount()));
        } else {
            MSG m{rec_->handle, WM_TIMER, eventId, 0, 0, {0, 0}};
            if (!WalkPreTranslate(m)) {
                if (WindowRecord* rec = Find(m.hwnd)) Dispatch(rec, WM_TIMER, eventId, 0);
            }
        }
        return;
    }
}

}  // namespace NUVMfc::detail

SHORT GetKeyState(int vk) {
    using NUVMfc::detail::t_input;
    bool down = false;
    switch (vk) {
        case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: down = t_input.modifiers & Qt::ShiftModifier; break;
        case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL: down = t_input.modifiers & Qt::ControlModifier; break;
        case VK_MENU: case VK_LMENU: case VK_RMENU: down = t_input.modifiers & Qt::AltModifier; break;
        case VK_LBUTTON: down = t_input.buttons & Qt::LeftButton; break;
        case VK_RBUTTON: down = t_input.buttons & Qt::RightButton; break;
        case VK_MBUTTON: down = t_input.buttons & Qt::MiddleButton; break;
        default: down = vk >= 0 && static_cast<std::size_t>(vk) < t_input.keysDown.size() && t_input.keysDown[vk]; break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int vk) { return GetKeyState(vk); }
