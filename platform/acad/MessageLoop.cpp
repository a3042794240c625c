// The message loop's two delivery points and the application-context queue.
#include "acad/MessageLoop.h"

#include <deque>
#include <thread>

#include "acad/AcEdOutput.h"
#include "acad/HostInternal.h"

HWND adsw_acadMainWnd() {
    static HWND__ frame{};
    return &frame;
}

HWND adsw_acadDocWnd() {
    static HWND__ window{};
    return &window;
}

namespace NUVAcad {
namespace {
int busyDepth = 0;
std::deque<std::function<void()>> appContextCalls;
}  // namespace

bool IsApplicationContext() { return busyDepth == 0; }

DocumentContextScope::DocumentContextScope() { ++busyDepth; }
DocumentContextScope::~DocumentContextScope() { --busyDepth; }

void PostToApplicationContext(std::function<void()> call) {
    if (!call) return;
    if (IsApplicationContext()) {
        call();
        return;
    }
    appContextCalls.push_back(std::move(call));
}

bool RunIdleTasks() {
    if (!IsApplicationContext()) return false;
    bool ran = false;
    while (!appContextCalls.empty()) {
        std::function<void()> call = std::move(appContextCalls.front());
        appContextCalls.pop_front();
        try {
            call();
        } catch (...) {
            acutPrintf("\nA call in the application context failed: an exception escaped it.\n");
        }
        ran = true;
    }
    if (DocumentsIdle()) ran = true;
    if (DispatchTimers() > 0) ran = true;
    return ran;
}

int DispatchTimers() {
    // A callback's exception must not take the host down; the timer itself goes on.
    try {
        return NUVWin::DispatchTimers();
    } catch (...) {
        acutPrintf("\nA timer callback failed: an exception escaped it.\n");
        return 1;
    }
}

long MillisecondsToNextTimer() {
    ULONGLONG due;
    if (!NUVWin::NextTimerDue(due)) return -1;
    ULONGLONG now = GetTickCount64();
    return due <= now ? 0 : static_cast<long>(due - now);
}

void Wait(unsigned ms) {
    ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        DispatchTimers();
        if (IsApplicationContext()) RunIdleTasks();
        ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        ULONGLONG next = end;
        ULONGLONG due;
        if (NUVWin::NextTimerDue(due) && due > now && due < next) next = due;
        if (NUVWin::IsVirtualClock()) {
            NUVWin::AdvanceVirtualClock(next - now);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(next - now));
        }
    }
}

void ForgetApplicationContextCalls() { appContextCalls.clear(); }

}  // namespace NUVAcad
