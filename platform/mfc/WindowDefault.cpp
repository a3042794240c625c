// What a window does with a message its object leaves to it: for a message made from a Qt event,
// the widget gets that event; for the rest, the platform's standard behaviour (texts, fonts,
// colour requests and their default brushes, context menus passed up to the parent, WM_CHAR and
// WM_KEYDOWN sent by a program, closing) and then the window class's own messages.
#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "mfc/Dc.h"
#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

// Lets the widget insert a text as if typed.
void TypeText(QObject* target, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    SendToWidget(target, &press);
}

// A control character as the key that makes it.
void TypeControl(QObject* target, BYTE ch) {
    int key = 0;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    switch (ch) {
        case 0x08: key = Qt::Key_Backspace; break;
        case 0x09: key = Qt::Key_Tab; break;
        case 0x0D: key = Qt::Key_Return; break;
        case 0x1B: key = Qt::Key_Escape; break;
        default:
            if (ch >= 1 && ch <= 26) key = Qt::Key_A + (ch - 1), mods = Qt::ControlModifier;
            break;
    }
    if (!key) return;
    QKeyEvent press(QEvent::KeyPress, key, mods, QString(QChar(ch)));
    SendToWidget(target, &press);
}

// One byte of a WM_CHAR the widget should take: double-byte characters arrive as two messages,
// the lead byte first.
void TypeByte(WindowRecord* rec, QObject* target, BYTE ch) {
    if (rec->pendingLeadByte) {
        const char pair[2] = {static_cast<char>(rec->pendingLeadByte), static_cast<char>(ch)};
        rec->pendingLeadByte = 0;
        QString text;
        if (ToQString(std::string_view(pair, 2), text)) TypeText(target, text);
        else MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (ch >= 0x81 && ch <= 0xFE) {
        rec->pendingLeadByte = ch;
        return;
    }
    if (ch < 0x20) {
        TypeControl(target, ch);
        return;
    }
    const char one = static_cast<char>(ch);
    QString text;
    if (ToQString(std::string_view(&one, 1), text)) TypeText(target, text);
}

int QtKeyOfVk(UINT vk) {
    switch (vk) {
        case VK_LEFT: return Qt::Key_Left;
        case VK_RIGHT: return Qt::Key_Right;
        case VK_UP: return Qt::Key_Up;
        case VK_DOWN: return Qt::Key_Down;
        case VK_HOME: return Qt::Key_Home;
        case VK_END: return Qt::Key_End;
        case VK_PRIOR: return Qt::Key_PageUp;
        case VK_NEXT: return Qt::Key_PageDown;
        case VK_DELETE: return Qt::Key_Delete;
        case VK_INSERT: return Qt::Key_Insert;
        case VK_F2: return Qt::Key_F2;
        default: return 0;
    }
}

Qt::KeyboardModifiers HeldModifiers() {
    Qt::KeyboardModifiers m;
    if (GetKeyState(VK_SHIFT) < 0) m |= Qt::ShiftModifier;
    if (GetKeyState(VK_CONTROL) < 0) m |= Qt::ControlModifier;
    if (GetKeyState(VK_MENU) < 0) m |= Qt::AltModifier;
    return m;
}

bool IsKeyEventWithText(QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    switch (k->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Tab: case Qt::Key_Backtab:
        case Qt::Key_Backspace: case Qt::Key_Escape:
            return true;
        case Qt::Key_Delete:
            return false;
        default: {
            QString t = k->text();
            t.remove(QChar(0x7F));
            return !t.isEmpty();
        }
    }
}

int CharCount(QEvent* e) {
    auto* k = static_cast<QKeyEvent*>(e);
    switch (k->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Tab: case Qt::Key_Backtab:
        case Qt::Key_Backspace: case Qt::Key_Escape:
            return 1;
        default: break;
    }
    CString bytes;
    QString t = k->text();
    t.remove(QChar(0x7F));
    FromQString(t, bytes);
    return bytes.GetLength();
}

LRESULT DefaultBrush(UINT message, WPARAM wParam) {
    const bool edit = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    if (CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam))) {
        dc->SetBkColor(GetSysColor(edit ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    return reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_BTNFACE));
}

// The colour request a control sends its parent before painting, and the colours it answers.
void PaintColours(WindowRecord* rec) {
    const UINT request = rec->cls ? rec->cls->ColourRequest(*rec) : 0;
    if (!request) return;
    WindowRecord* parent = ParentRecord(rec);
    CDC dc;
    HBRUSH brush = nullptr;
    if (parent) {
        const HWND self = rec->handle;
        brush = reinterpret_cast<HBRUSH>(::SendMessageA(parent->handle, request, reinterpret_cast<WPARAM>(dc.m_hDC),
                                                         reinterpret_cast<LPARAM>(self)));
        rec = Find(self);
        if (!rec) return;
    }
    if (!brush) brush = reinterpret_cast<HBRUSH>(DefaultBrush(request, reinterpret_cast<WPARAM>(dc.m_hDC)));
    LOGBRUSH lb{};
    if (!GetObjectA(brush, sizeof lb, &lb) || lb.lbStyle == BS_NULL) lb.lbColor = dc.GetBkColor();
    rec->cls->Colour(*rec, lb.lbColor, dc.GetTextColor());
}

BOOL SetText(WindowRecord* rec, LPCSTR text) {
    QString q;
    TextError error;
    const char* t = text ? text : "";
    if (!ToQString(t, q, &error)) {
        std::fprintf(stderr, "nuvmfc: window text refused: not GBK at byte %d\n", error.offset);
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return FALSE;
    }
    if (rec->cls) rec->cls->SetText(*rec, q);
    else if (rec->widget) rec->widget->setWindowTitle(q);
    return TRUE;
}

QString QtText(WindowRecord* rec) {
    if (!rec->widget) return QString();
    return rec->cls ? rec->cls->Text(*rec) : rec->widget->windowTitle();
}

// Copies at most max - 1 bytes and a terminator, whole characters only.
int CopyText(WindowRecord* rec, LPSTR buffer, int max) {
    if (!buffer || max <= 0) return 0;
    int n = FromQStringInto(QtText(rec), buffer, max - 1);
    if (n < 0) n = 0;
    buffer[n] = '\0';
    return n;
}

}  // namespace

LRESULT DefaultProc(WindowRecord* rec, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageFrame* f = CurrentFrame();
    const bool current = f && f->msg.hwnd == rec->handle && f->msg.message == message && f->msg.wParam == wParam &&
                         f->qtEvent && !f->defaulted;
    if (current) f->defaulted = true;
    QObject* target = current ? f->qtTarget : static_cast<QObject*>(rec->widget.data());
    const HWND self = rec->handle;
    LRESULT result = 0;

    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (current) {
                // A key with characters does its work when they arrive as WM_CHAR.
                if (!IsKeyEventWithText(f->qtEvent)) SendToWidget(target, f->qtEvent);
            } else if (target) {
                if (int key = QtKeyOfVk(static_cast<UINT>(wParam))) {
                    QKeyEvent press(QEvent::KeyPress, key, HeldModifiers());
                    SendToWidget(target, &press);
                }
            }
            return 0;
        case WM_CHAR:
        case WM_SYSCHAR:
            // A control character's work (a Tab's focus move, Enter's default button) belongs to
            // its key: a window that kept the key-down to itself keeps it from the widget.
            if (current && wParam < 0x20 && !KeyDownDefaulted(f->qtEvent)) return 0;
            if (current && CharCount(f->qtEvent) == 1 && !rec->pendingLeadByte) SendToWidget(target, f->qtEvent);
            else if (target) TypeByte(rec, target, static_cast<BYTE>(wParam));
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEWHEEL:
        case WM_SIZE:
        case WM_MOVE:
        case WM_SHOWWINDOW:
            if (current) SendToWidget(target, f->qtEvent);
            if ((rec = Find(self)) && rec->cls) rec->cls->AfterDefault(*rec, message, wParam, lParam);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (current) SendToWidget(target, f->qtEvent);
            if ((rec = Find(self)) && rec->cls) rec->cls->AfterDefault(*rec, message, wParam, lParam);
            return 0;
        case WM_PAINT:
            if (current) {
                PaintColours(rec);
                if ((rec = Find(self)) && rec->cls) rec->cls->BeforePaint(*rec);
                if (Find(self)) SendToWidget(target, f->qtEvent);
                if ((rec = Find(self)) && rec->cls) rec->cls->AfterPaint(*rec);
            }
            return 0;
        case WM_CONTEXTMENU:
            if (rec->cls && rec->cls->Proc(*rec, message, wParam, lParam, result)) return result;
            // A child passes the request to its parent.
            if (WindowRecord* parent = ParentRecord(rec); parent && (rec->style & WS_CHILD))
                ::SendMessageA(parent->handle, WM_CONTEXTMENU, wParam, lParam);
            return 0;
        case WM_SETTEXT:
            return SetText(rec, reinterpret_cast<LPCSTR>(lParam));
        case WM_GETTEXT:
            return CopyText(rec, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return std::max(0, GbkLength(QtText(rec)));
        case WM_SETFONT: {
            rec->font = reinterpret_cast<HFONT>(wParam);
            LOGFONTA log{};
            if (rec->widget && GetObjectA(rec->font, sizeof log, &log)) {
                rec->widget->setFont(FontFromLog(log));
                if (lParam) rec->widget->update();
            }
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(rec->font);
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return DefaultBrush(message, wParam);
        case WM_CLOSE:
            ::DestroyWindow(self);
            return 0;
        default:
            break;
    }
    if (rec->cls && rec->cls->Proc(*rec, message, wParam, lParam, result)) return result;
    return 0;
}

LRESULT NotifyParentCommand(WindowRecord* rec, UINT code) {
    const HWND parent = ParentHandle(rec);
    if (!parent || rec->creating) return 0;
    return ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<int>(rec->id), static_cast<int>(code)),
                          reinterpret_cast<LPARAM>(rec->handle));
}

LRESULT NotifyParent(WindowRecord* rec, NMHDR* header) {
    const HWND parent = ParentHandle(rec);
    if (!parent || !header || rec->creating) return 0;
    header->hwndFrom = rec->handle;
    header->idFrom = rec->id;
    return ::SendMessageA(parent, WM_NOTIFY, rec->id, reinterpret_cast<LPARAM>(header));
}

QString WindowClass::Text(const WindowRecord& rec) const { return rec.widget ? rec.widget->windowTitle() : QString(); }

void WindowClass::SetText(WindowRecord& rec, const QString& text) const {
    if (rec.widget) rec.widget->setWindowTitle(text);
}

void WindowClass::Colour(WindowRecord& rec, COLORREF background, COLORREF text) const {
    if (!rec.widget) return;
    SetPaletteColours(rec.widget, {{QPalette::Base, background}, {QPalette::Window, background}, {QPalette::Text, text}});
}

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

void SetPaletteColours(QWidget* widget, std::initializer_list<std::pair<int, COLORREF>> roles) {
    QPalette pal = widget->palette();
    bool changed = false;
    for (const auto& [role, colour] : roles) {
        const QColor c = ToQColor(colour);
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            if (pal.color(group, static_cast<QPalette::ColorRole>(role)) != c) {
                pal.setColor(group, static_cast<QPalette::ColorRole>(role), c);
                changed = true;
            }
        }
    }
    if (changed) widget->setPalette(pal);
}

QFont FontFromLog(const LOGFONTA& log) {
    QFont font = QApplication::font();
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, log.lfFaceName, LF_FACESIZE);
    QString family;
    if (face[0] && ToQString(face, family) && family != "MS Shell Dlg" && family != "System") font.setFamily(family);
    if (log.lfHeight) font.setPixelSize(std::abs(static_cast<int>(log.lfHeight)));
    if (log.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(static_cast<int>(log.lfWeight), 100, 900)));
    font.setItalic(log.lfItalic != 0);
    font.setUnderline(log.lfUnderline != 0);
    font.setStrikeOut(log.lfStrikeOut != 0);
    return font;
}

// The registry of window classes.
namespace {
std::vector<const WindowClass*>& Classes() {
    static std::vector<const WindowClass*> classes;
    return classes;
}
}  // namespace

void RegisterClass(const WindowClass* cls) { Classes().push_back(cls); }

const WindowClass* FindClass(const char* name) {
    if (!name) return nullptr;
    for (const WindowClass* c : Classes()) {
        if (strcasecmp(c->Name(), name) == 0) return c;
    }
    return nullptr;
}

const WindowClass* ClassFor(const QWidget* widget) {
    for (const WindowClass* c : Classes()) {
        if (c->Fits(widget)) return c;
    }
    return FindClass("");  // a plain window
}

}  // namespace NUVMfc::detail
