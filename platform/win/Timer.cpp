// The timer table and its delivery. Timers are kept in the order they were set (a replaced timer
// keeps its place), which is also the tie order for timers due at the same tick.
#include "win/Timer.h"

#include <algorithm>
#include <vector>

#include "win/Tick.h"

namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    ULONGLONG due;
    unsigned long long serial;  // changes when the timer is replaced, so a stale round skips it
};

std::vector<Timer> timers;
unsigned long long nextSerial = 1;
UINT_PTR nextThreadId = 0x7FF0;  // thread timer ids look like the platform's: large, never 0
NUVWin::WindowMessageHandler windowHandler = nullptr;

Timer* Find(HWND hwnd, UINT_PTR id) {
    for (Timer& t : timers)
        if (t.hwnd == hwnd && t.id == id) return &t;
    return nullptr;
}

UINT Clamp(UINT elapse) {
    if (elapse < USER_TIMER_MINIMUM) return USER_TIMER_MINIMUM;
    if (elapse > USER_TIMER_MAXIMUM) return USER_TIMER_MAXIMUM;
    return elapse;
}

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    if (!hWnd && !lpTimerFunc) return 0;
    UINT elapse = Clamp(uElapse);
    ULONGLONG due = GetTickCount64() + elapse;
    if (!hWnd) {
        if (Timer* t = nIDEvent ? Find(nullptr, nIDEvent) : nullptr) {
            *t = Timer{nullptr, nIDEvent, elapse, lpTimerFunc, due, nextSerial++};
            return nIDEvent;
        }
        UINT_PTR id;
        do {
            id = ++nextThreadId;
        } while (id == 0 || Find(nullptr, id));
        timers.push_back(Timer{nullptr, id, elapse, lpTimerFunc, due, nextSerial++});
        return id;
    }
    if (Timer* t = Find(hWnd, nIDEvent)) {
        *t = Timer{hWnd, nIDEvent, elapse, lpTimerFunc, due, nextSerial++};
    } else {
        timers.push_back(Timer{hWnd, nIDEvent, elapse, lpTimerFunc, due, nextSerial++});
    }
    return nIDEvent ? nIDEvent : 1;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == timers.end()) return FALSE;
    timers.erase(it);
    return TRUE;
}

namespace NUVWin {

int DispatchTimers() {
    ULONGLONG now = GetTickCount64();
    // The round is fixed before any callback runs: a timer a callback sets is not due before
    // its first period, and one it kills or replaces is skipped by its serial.
    std::vector<Timer> due;
    for (const Timer& t : timers)
        if (t.due <= now) due.push_back(t);
    std::stable_sort(due.begin(), due.end(), [](const Timer& a, const Timer& b) { return a.due < b.due; });
    int delivered = 0;
    for (const Timer& d : due) {
        Timer* t = Find(d.hwnd, d.id);
        if (!t || t->serial != d.serial) continue;
        // The next period keeps the phase; periods missed while nobody pumped coalesce.
        ULONGLONG periods = (now - t->due) / t->elapse + 1;
        t->due += periods * t->elapse;
        DWORD tick = static_cast<DWORD>(now);
        ++delivered;
        if (d.proc) {
            d.proc(d.hwnd, WM_TIMER, d.id, tick);
        } else if (windowHandler) {
            windowHandler(d.hwnd, WM_TIMER, d.id, 0);
        }
    }
    return delivered;
}

bool NextTimerDue(ULONGLONG& tick) {
    if (timers.empty()) return false;
    tick = timers.front().due;
    for (const Timer& t : timers) tick = std::min(tick, t.due);
    return true;
}

int TimerCount() { return static_cast<int>(timers.size()); }

void KillWindowTimers(HWND hWnd) {
    if (!hWnd) {
        timers.clear();
        return;
    }
    std::erase_if(timers, [&](const Timer& t) { return t.hwnd == hWnd; });
}

int KillTimersMatching(bool (*match)(TIMERPROC proc, void* context), void* context) {
    auto inside = [&](const Timer& t) { return t.proc && match(t.proc, context); };
    int n = static_cast<int>(std::count_if(timers.begin(), timers.end(), inside));
    std::erase_if(timers, inside);
    return n;
}

void SetWindowMessageHandler(WindowMessageHandler handler) { windowHandler = handler; }

}  // namespace NUVWin
