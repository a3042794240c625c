// Millisecond tick counts since an arbitrary fixed point (system start), as timers and the
// flashing engine measure elapsed time. Monotonic: changes of the wall clock do not move them.
// A program (tests, above all) may switch to a virtual clock that stands still until it is
// advanced by hand, so that timed sequences run in no time and come out exact.
#pragma once

#include "win/WinTypes.h"

// Wraps to 0 after 2^32 ms (about 49.7 days), exactly as the low 32 bits of GetTickCount64;
// compare two readings by unsigned subtraction, never by <.
DWORD GetTickCount();
ULONGLONG GetTickCount64();

namespace NUVWin {

// From now on the tick counts read `start` and move only with AdvanceVirtualClock. Calling it
// again restarts the virtual clock at the new value.
void UseVirtualClock(ULONGLONG start);
// Back to the platform's monotonic clock.
void UseRealClock();
bool IsVirtualClock();
// Moves the virtual clock forward (ignored on the real clock, which moves by itself).
void AdvanceVirtualClock(ULONGLONG ms);

}  // namespace NUVWin
