// The tick clock: the platform's monotonic clock, or a virtual one that only moves when told.
#include "win/Tick.h"

#include <time.h>

namespace {
bool virtualClock = false;
ULONGLONG virtualNow = 0;

ULONGLONG RealTicks() {
    timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}
}  // namespace

ULONGLONG GetTickCount64() { return virtualClock ? virtualNow : RealTicks(); }

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

namespace NUVWin {

void UseVirtualClock(ULONGLONG start) {
    virtualClock = true;
    virtualNow = start;
}

void UseRealClock() { virtualClock = false; }

bool IsVirtualClock() { return virtualClock; }

void AdvanceVirtualClock(ULONGLONG ms) {
    if (virtualClock) virtualNow += ms;
}

}  // namespace NUVWin
