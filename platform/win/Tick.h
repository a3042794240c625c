// Millisecond tick counts since an arbitrary fixed point (system start), as timers and the
// flashing engine measure elapsed time. Monotonic: changes of the wall clock do not move them.
#pragma once

#include "win/WinTypes.h"

// Wraps to 0 after 2^32 ms (about 49.7 days), exactly as the low 32 bits of GetTickCount64;
// compare two readings by unsigned subtraction, never by <.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
