// Messages between threads. Each thread has a queue of posted messages and of messages sent to
// it from other threads; the GUI thread's queue is emptied by the Qt event loop (a wake-up event
// is posted with every message), the others by GetMessage and PeekMessage. A sender waiting for an
// answer handles the messages sent to its own thread meanwhile (unless SMTO_BLOCK), so two threads
// sending to each other do not deadlock. A message whose sender stopped waiting is dropped, never
// delivered late: its parameters may point into the sender's stack.
#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "mfc/MfcInternal.h"
#include "win/Tick.h"

namespace NUVMfc::detail {
namespace {

std::thread::id g_guiThread;

struct Reply {
    std::mutex lock;
    std::condition_variable done;
    bool answered = false;
    bool abandoned = false;
    LRESULT result = 0;
};

struct Sent {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<Reply> reply;
};

struct ThreadQueue {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<MSG> posted;
    std::deque<Sent> sent;
    DWORD id = 0;
};

struct Queues {
    std::mutex lock;
    std::unordered_map<std::thread::id, std::shared_ptr<ThreadQueue>> byThread;
    DWORD nextId = 1;
};

Queues& TheQueues() {
    static Queues* q = new Queues;
    return *q;
}

std::shared_ptr<ThreadQueue> QueueOf(std::thread::id thread) {
    Queues& q = TheQueues();
    std::lock_guard<std::mutex> g(q.lock);
    auto& slot = q.byThread[thread];
    if (!slot) {
        slot = std::make_shared<ThreadQueue>();
        slot->id = q.nextId++;
    }
    return slot;
}

std::shared_ptr<ThreadQueue> QueueById(DWORD id) {
    Queues& q = TheQueues();
    std::lock_guard<std::mutex> g(q.lock);
    for (auto& [t, queue] : q.byThread) {
        if (queue->id == id) return queue;
    }
    return nullptr;
}

// Empties the GUI thread's queue from its event loop.
class Pump : public QObject {
public:
    bool event(QEvent* e) override;
};

Pump* GuiPump() {
    static Pump* pump = [] {
        auto* p = new Pump;
        if (QCoreApplication::instance()) p->moveToThread(QCoreApplication::instance()->thread());
        return p;
    }();
    return pump;
}


void Wake(const std::shared_ptr<ThreadQueue>& queue, std::thread::id thread) {
    queue->wake.notify_all();
    if (QCoreApplication::instance() && thread == g_guiThread)
        QCoreApplication::postEvent(GuiPump(), new QEvent(QEvent::User));
}

void DeliverSent(Sent& s) {
    {
        std::lock_guard<std::mutex> g(s.reply->lock);
        if (s.reply->abandoned) return;
    }
    LRESULT result = 0;
    if (WindowRecord* rec = Find(s.hWnd)) result = Dispatch(rec, s.message, s.wParam, s.lParam);
    std::lock_guard<std::mutex> g(s.reply->lock);
    s.reply->result = result;
    s.reply->answered = true;
    s.reply->done.notify_all();
}

// Handles every message sent to this thread from others.
void HandleSent(ThreadQueue& queue) {
    for (;;) {
        Sent s;
        {
            std::lock_guard<std::mutex> g(queue.lock);
            if (queue.sent.empty()) return;
            s = queue.sent.front();
            queue.sent.pop_front();
        }
        DeliverSent(s);
    }
}

bool Matches(const MSG& m, HWND hWnd, UINT min, UINT max) {
    if (hWnd && m.hwnd != hWnd) return false;
    if (min == 0 && max == 0) return true;
    return m.message >= min && m.message <= max;
}

bool TakePosted(ThreadQueue& queue, LPMSG msg, HWND hWnd, UINT min, UINT max, bool remove) {
    std::lock_guard<std::mutex> g(queue.lock);
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (!Matches(*it, hWnd, min, max)) continue;
        *msg = *it;
        if (remove) queue.posted.erase(it);
        return true;
    }
    return false;
}

bool Pump::event(QEvent* e) {
    if (e->type() != QEvent::User) return QObject::event(e);
    auto queue = QueueOf(std::this_thread::get_id());
    HandleSent(*queue);
    MSG msg;
    while (TakePosted(*queue, &msg, nullptr, 0, 0, true)) {
        if (msg.message == WM_QUIT) continue;  // the Qt loop ends the GUI thread's work
        if (!WalkPreTranslate(msg)) DispatchMessageA(&msg);
        HandleSent(*queue);
    }
    return true;
}

}  // namespace

void NoteGuiThread() {
    if (g_guiThread == std::thread::id()) g_guiThread = std::this_thread::get_id();
}

}  // namespace NUVMfc::detail

using namespace NUVMfc::detail;

LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hWnd, message, wParam, lParam, SMTO_NORMAL, 0xFFFFFFFFu, &result);
    return static_cast<LRESULT>(result);
}

LRESULT SendMessageTimeoutA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            PDWORD_PTR result) {
    std::thread::id owner;
    if (!Exists(hWnd, &owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (owner == std::this_thread::get_id()) {
        // Same thread: the window procedure runs now, whatever the time-out.
        LRESULT r = Dispatch(Find(hWnd), message, wParam, lParam);
        if (result) *result = static_cast<DWORD_PTR>(r);
        return 1;
    }
    auto target = QueueOf(owner);
    auto own = QueueOf(std::this_thread::get_id());
    auto reply = std::make_shared<Reply>();
    {
        std::lock_guard<std::mutex> g(target->lock);
        target->sent.push_back(Sent{hWnd, message, wParam, lParam, reply});
    }
    Wake(target, owner);
    const bool noLimit = timeoutMs == 0xFFFFFFFFu;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(noLimit ? 0 : timeoutMs);
    for (;;) {
        {
            std::unique_lock<std::mutex> g(reply->lock);
            // Wake now and then to handle what is sent to this thread meanwhile.
            auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
            if (!noLimit && until > deadline) until = deadline;
            reply->done.wait_until(g, until, [&] { return reply->answered; });
            if (reply->answered) {
                if (result) *result = static_cast<DWORD_PTR>(reply->result);
                return 1;
            }
            if (!noLimit && std::chrono::steady_clock::now() >= deadline) {
                reply->abandoned = true;
                SetLastError(ERROR_TIMEOUT);
                return 0;
            }
        }
        if (!(flags & SMTO_BLOCK)) HandleSent(*own);
        if (!Exists(hWnd)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
}

BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::thread::id owner = std::this_thread::get_id();
    if (hWnd && !Exists(hWnd, &owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto queue = QueueOf(owner);
    {
        std::lock_guard<std::mutex> g(queue->lock);
        queue->posted.push_back(MSG{hWnd, message, wParam, lParam, static_cast<DWORD>(GetTickCount()), {0, 0}});
    }
    Wake(queue, owner);
    return TRUE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    auto queue = QueueById(threadId);
    if (!queue) return FALSE;
    {
        std::lock_guard<std::mutex> g(queue->lock);
        queue->posted.push_back(MSG{nullptr, message, wParam, lParam, static_cast<DWORD>(GetTickCount()), {0, 0}});
    }
    queue->wake.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    auto queue = QueueOf(std::this_thread::get_id());
    std::lock_guard<std::mutex> g(queue->lock);
    queue->posted.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {0, 0}});
    queue->wake.notify_all();
}

DWORD GetCurrentThreadId() { return QueueOf(std::this_thread::get_id())->id; }

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD processId) {
    std::thread::id owner;
    if (!Exists(hWnd, &owner)) return 0;
    if (processId) *processId = 1;
    return QueueOf(owner)->id;
}

BOOL PeekMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    auto queue = QueueOf(std::this_thread::get_id());
    HandleSent(*queue);
    return TakePosted(*queue, msg, hWnd, filterMin, filterMax, removeFlags & PM_REMOVE) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax) {
    auto queue = QueueOf(std::this_thread::get_id());
    for (;;) {
        HandleSent(*queue);
        if (TakePosted(*queue, msg, hWnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
        std::unique_lock<std::mutex> g(queue->lock);
        queue->wake.wait_for(g, std::chrono::milliseconds(50),
                             [&] { return !queue->sent.empty() || !queue->posted.empty(); });
    }
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    WindowRecord* rec = Find(msg->hwnd);
    if (!rec) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(GetTickCount()));
        return 0;
    }
    return Dispatch(rec, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG*) {
    // Characters come with the key events themselves (see EventBridge.cpp).
    return FALSE;
}
