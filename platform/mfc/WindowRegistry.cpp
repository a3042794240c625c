// The handle table. Handles are small numbers (never addresses), so a stale handle is refused
// rather than followed; a widget made by Qt code gets its handle the first time one is asked for.
// A record lives until its widget is destroyed or DestroyWindow is called, whichever comes first.
#include <QAbstractScrollArea>
#include <QCoreApplication>

#include <mutex>
#include <unordered_map>

#include "mfc/EventHook.h"
#include "mfc/MfcInternal.h"

namespace NUVMfc::detail {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<HWND, WindowRecord*> byHandle;
    std::unordered_map<const QWidget*, WindowRecord*> byWidget;
    std::uintptr_t next = 0x10000;
};

Table& TheTable() {
    static Table* t = new Table;  // windows may outlive static destruction order
    return *t;
}

void Forget(WindowRecord* rec) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    t.byHandle.erase(rec->handle);
    if (rec->widget) t.byWidget.erase(rec->widget.data());
    for (auto it = t.byWidget.begin(); it != t.byWidget.end();) {
        if (it->second == rec) it = t.byWidget.erase(it);
        else ++it;
    }
}

// WM_NCDESTROY: the object lets go of the handle, then the record goes.
void Finish(WindowRecord* rec) {
    for (auto& [id, qtId] : rec->timers) {
        if (rec->hook) rec->hook->killTimer(qtId);
    }
    rec->timers.clear();
    if (rec->cls) rec->cls->Release(*rec);
    Forget(rec);
    CWnd* object = rec->permanent;
    rec->permanent = nullptr;
    if (object) {
        object->m_hWnd = nullptr;
        object->PostNcDestroy();
    }
    if (rec->wrapper) rec->wrapper->m_hWnd = nullptr;
    delete rec->hook;
    delete rec;
}

}  // namespace

CWnd* WindowRecord::Object() {
    if (permanent) return permanent;
    if (!wrapper) {
        wrapper.reset(cls ? cls->MakeWrapper() : new CWnd);
        wrapper->m_hWnd = handle;
    }
    return wrapper.get();
}

WindowRecord* Find(HWND hWnd) {
    if (!hWnd) return nullptr;
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.byHandle.find(hWnd);
    if (it == t.byHandle.end() || it->second->thread != std::this_thread::get_id()) return nullptr;
    return it->second;
}

bool Exists(HWND hWnd, std::thread::id* thread) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.byHandle.find(hWnd);
    if (it == t.byHandle.end()) return false;
    if (thread) *thread = it->second->thread;
    return true;
}

WindowRecord* RecordOf(const QWidget* widget) {
    if (!widget) return nullptr;
    Table& t = TheTable();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.byWidget.find(widget);
    return it == t.byWidget.end() ? nullptr : it->second;
}

WindowRecord* CreateRecord(QWidget* widget, const WindowClass* cls, DWORD style, DWORD exStyle, UINT id) {
    if (widget) NoteGuiThread();
    auto* rec = new WindowRecord;
    rec->widget = widget;
    rec->thread = std::this_thread::get_id();
    rec->cls = cls;
    rec->style = style;
    rec->exStyle = exStyle;
    rec->id = id;
    {
        Table& t = TheTable();
        std::lock_guard<std::mutex> g(t.lock);
        t.next += 4;
        rec->handle = reinterpret_cast<HWND>(t.next);
        t.byHandle[rec->handle] = rec;
        if (widget) t.byWidget[widget] = rec;
    }
    rec->hook = new WindowHook(rec);
    if (widget) {
        std::vector<QWidget*> watched{widget};
        if (cls) {
            for (QWidget* w : cls->EventWidgets(widget)) watched.push_back(w);
        }
        for (QWidget* w : watched) {
            w->installEventFilter(rec->hook);
            if (w != widget) {
                Table& t = TheTable();
                std::lock_guard<std::mutex> g(t.lock);
                t.byWidget.emplace(w, rec);
            }
        }
        // Destroyed by Qt (its parent went, or code deleted it): the object lets go.
        QObject::connect(widget, &QObject::destroyed, rec->hook, [rec] {
            rec->widget = nullptr;
            Finish(rec);
        });
        if (cls) cls->Wire(*rec);
    }
    return rec;
}

WindowRecord* Adopt(QWidget* widget) {
    if (!widget) return nullptr;
    if (WindowRecord* rec = RecordOf(widget)) return rec;
    DWORD style = WS_VISIBLE;
    if (!widget->isWindow()) style |= WS_CHILD;
    if (!widget->isEnabled()) style |= WS_DISABLED;
    if (widget->focusPolicy() & Qt::TabFocus) style |= WS_TABSTOP;
    // A form made with Qt names its controls' identifiers in the property "nuvId".
    const UINT id = widget->property("nuvId").toUInt();
    return CreateRecord(widget, ClassFor(widget), style, 0, id);
}

std::vector<WindowRecord*> ChildRecords(WindowRecord* rec) {
    std::vector<WindowRecord*> out;
    if (!rec || !rec->widget) return out;
    for (QWidget* w : rec->widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (WindowRecord* r = RecordOf(w); r && r != rec) out.push_back(r);
    }
    return out;
}

HWND ParentHandle(WindowRecord* rec) {
    if (!rec) return nullptr;
    if (rec->foreignParent) return rec->foreignParent;
    if (!rec->widget) return nullptr;
    // Containers without handles (a layout's widget in a form made with Qt) are looked through.
    for (QWidget* w = rec->widget->parentWidget(); w; w = w->parentWidget()) {
        if (WindowRecord* r = RecordOf(w); r && r != rec) return r->handle;
        if (w->isWindow()) return Adopt(w)->handle;
    }
    return nullptr;
}

WindowRecord* ParentRecord(WindowRecord* rec) { return Find(ParentHandle(rec)); }

namespace {

void CollectTree(WindowRecord* rec, std::vector<WindowRecord*>& out) {
    out.push_back(rec);
    if (!rec->widget) return;
    for (QWidget* w : rec->widget->findChildren<QWidget*>()) {
        WindowRecord* r = RecordOf(w);
        if (r && r != rec && r->widget == w && std::find(out.begin(), out.end(), r) == out.end()) out.push_back(r);
    }
}

}  // namespace

void Destroy(WindowRecord* rec) {
    std::vector<WindowRecord*> tree;
    CollectTree(rec, tree);
    std::vector<HWND> handles;
    for (WindowRecord* r : tree) handles.push_back(r->handle);
    // WM_DESTROY goes to the window first, then its children; the objects may still use them.
    for (HWND h : handles) {
        if (WindowRecord* r = Find(h)) Dispatch(r, WM_DESTROY, 0, 0);
    }
    bool busy = false;
    QPointer<QWidget> widget;
    if (WindowRecord* r = Find(handles.front())) widget = r->widget;
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) {
        WindowRecord* r = Find(*it);
        if (!r) continue;
        if (r->dispatching) busy = true;
        if (r->widget) QObject::disconnect(r->widget, &QObject::destroyed, r->hook, nullptr);
        Finish(r);
    }
    if (!widget) return;
    widget->hide();
    // A widget whose event is still being handled further up the stack is deleted once that
    // handling is over; until then it is hidden and has no handle.
    if (busy || (CurrentFrame() != nullptr)) widget->deleteLater();
    else delete widget.data();
}

}  // namespace NUVMfc::detail
