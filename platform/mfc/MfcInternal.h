// Internal to libnuvmfc: the record behind each window handle, the classes of windows (what
// widget a class makes and how its Qt signals and default behaviour become the framework's
// messages), the stack of messages being handled, and the bridge from Qt events to messages.
// Records of widget windows are touched only on the GUI thread; the handle table itself is shared
// and locked, because other threads may send to a window.
#pragma once

#include <QPointer>
#include <QWidget>

#include <initializer_list>

#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "mfc/EventHook.h"
#include "mfc/Wnd.h"
#include "mfc/WindowApi.h"

class QEvent;

namespace NUVMfc::detail {

class WindowClass;

struct WindowRecord {
    HWND handle = nullptr;
    QPointer<QWidget> widget;          // null for a message-only window
    std::thread::id thread;
    CWnd* permanent = nullptr;         // attached by Create, Attach or SubclassWindow
    std::unique_ptr<CWnd> wrapper;     // FromHandle's object while none is attached
    const WindowClass* cls = nullptr;
    HWND foreignParent = nullptr;      // a parent without a widget
    UINT id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    HFONT font = nullptr;
    WindowHook* hook = nullptr;        // owned
    std::map<UINT_PTR, int> timers;    // event id -> Qt timer id
    std::map<UINT_PTR, TIMERPROC> timerProcs;
    int dispatching = 0;               // messages of this window now being handled
    bool deletePending = false;        // widget deletion waits for the handlers to return
    BYTE pendingLeadByte = 0;          // first half of a double-byte WM_CHAR
    bool creating = false;             // no notifications to the parent while being made
    bool madeByObject = false;         // the attached object created the window
    void* classData = nullptr;         // owned by the class (see WindowClass::Release)

    CWnd* Object();  // permanent, else the wrapper (made on first use)
};

// The handle table.
WindowRecord* Find(HWND hWnd);  // calling thread's windows only; null otherwise
bool Exists(HWND hWnd, std::thread::id* thread = nullptr);
WindowRecord* RecordOf(const QWidget* widget);  // null when the widget has no handle yet
WindowRecord* Adopt(QWidget* widget);           // the widget's record, made when missing
WindowRecord* CreateRecord(QWidget* widget, const WindowClass* cls, DWORD style, DWORD exStyle, UINT id);
// Sends WM_DESTROY down the tree, detaches every object (WM_NCDESTROY) and deletes the widget
// (later, when one of its messages is still being handled).
void Destroy(WindowRecord* rec);
// The widgets under the window's widget that have handles, in creation order.
std::vector<WindowRecord*> ChildRecords(WindowRecord* rec);
// The parent of a child window, the owner of a top-level one (which may be another thread's).
HWND ParentHandle(WindowRecord* rec);
// The same when it belongs to this thread.
WindowRecord* ParentRecord(WindowRecord* rec);

// Dispatch: runs WindowProc of the window's object with the message on the stack; qtEvent is
// the Qt event the message stands for (its default is the widget's own handling of it).
struct MessageFrame {
    MSG msg;
    WindowRecord* rec;
    QObject* qtTarget;
    QEvent* qtEvent;
    bool defaulted;
    MessageFrame* prev;
};
LRESULT Dispatch(WindowRecord* rec, UINT message, WPARAM wParam, LPARAM lParam, QObject* qtTarget = nullptr,
                 QEvent* qtEvent = nullptr, bool* defaulted = nullptr);
// Whether the key-down of the key event now being turned into WM_CHARs was left to the widget:
// a control character (Tab, Enter, Escape, Backspace) does the widget's work only then.
bool KeyDownDefaulted(const QEvent* keyEvent);
MessageFrame* CurrentFrame();
// Lets the widget handle the event as if no window object were attached.
void SendToWidget(QObject* target, QEvent* event);
// Walks PreTranslateMessage from the message's window up to its top-level window.
BOOL WalkPreTranslate(MSG& msg);
// The window procedure's default for windows of every class.
LRESULT DefaultProc(WindowRecord* rec, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_COMMAND / WM_NOTIFY from a control to its parent.
LRESULT NotifyParentCommand(WindowRecord* rec, UINT code);
LRESULT NotifyParent(WindowRecord* rec, NMHDR* header);

// Client coordinates of a widget's window from a point in one of its widgets, and back.
QPoint ClientOrigin(const QWidget* widget);

// Input state of the message being handled (for GetKeyState).
void NoteInputModifiers(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// What a window class brings: the widget, its notifications and its default behaviour.
class WindowClass {
public:
    virtual ~WindowClass() = default;
    virtual const char* Name() const = 0;
    // A widget for CreateWindow with these styles (parent may be null for a top-level window).
    virtual QWidget* Make(DWORD style, DWORD exStyle, QWidget* parent) const = 0;
    // True when an existing widget is of this class (for windows made by Qt code).
    virtual bool Fits(const QWidget* widget) const = 0;
    // The object FromHandle gives for a window of this class that has none attached: of the
    // class's own C++ type, so that the usual cast of GetDlgItem's answer is sound.
    virtual CWnd* MakeWrapper() const { return new CWnd; }
    // Connects the widget's signals to notifications; called once the record exists.
    virtual void Wire(WindowRecord&) const {}
    // Releases what Wire kept in rec.classData.
    virtual void Release(WindowRecord&) const {}
    // Further widgets whose events are this window's (a scroll area's viewport).
    virtual std::vector<QWidget*> EventWidgets(QWidget*) const { return {}; }
    // Class messages (EM_*, BM_*, CB_*, WM_GETDLGCODE, ...): true when handled.
    virtual bool Proc(WindowRecord&, UINT, WPARAM, LPARAM, LRESULT&) const { return false; }
    // Things that happen after the widget's own handling of a message (EN_SETFOCUS, ...).
    virtual void AfterDefault(WindowRecord&, UINT, WPARAM, LPARAM) const {}
    virtual QString Text(const WindowRecord& rec) const;
    virtual void SetText(WindowRecord& rec, const QString& text) const;
    // Paints the window in the colours its parent answered to the colour request.
    virtual void Colour(WindowRecord& rec, COLORREF background, COLORREF text) const;
    // The colour request the window sends its parent before it paints, or 0 for none.
    virtual UINT ColourRequest(const WindowRecord&) const { return 0; }
    virtual void ApplyStyle(WindowRecord&, DWORD /*oldStyle*/) const {}
    // Around the widget's own painting of a WM_PAINT left to it.
    virtual void BeforePaint(WindowRecord&) const {}
    virtual void AfterPaint(WindowRecord&) const {}
};

const WindowClass* FindClass(const char* name);
const WindowClass* ClassFor(const QWidget* widget);
void RegisterClass(const WindowClass* cls);

// Sets palette roles of a widget, changing it only when different so that painting does not
// schedule itself again.
void SetPaletteColours(QWidget* widget, std::initializer_list<std::pair<int, COLORREF>> roles);
QColor ToQColor(COLORREF colour);
QFont FontFromLog(const LOGFONTA& log);

// The thread that runs the widgets (noted when the first widget window is made).
void NoteGuiThread();

// CWnd::CreateEx's object, attached to the window CreateWindowEx makes next on this thread.
void AttachOnCreate(CWnd* wnd);
// Standard classes this layer does not make (list boxes, tree views, ...): creating one fails.
bool ClassIsUnsupported(const char* name);

// Makes sure a Qt application exists on this thread; false when no display is possible.
bool EnsureQtApplication();

}  // namespace NUVMfc::detail
