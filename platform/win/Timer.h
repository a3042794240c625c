// Timers of the platform's message loop: SetTimer/KillTimer with and without a window, and the
// loop side that delivers them. A due timer is never run by itself: whoever owns the loop (the
// host between commands and while it waits for input, or a test) calls DispatchTimers, so a
// callback never interrupts other code. All on the main thread.
//
// Delivery follows the platform: one WM_TIMER per timer however many periods went by since the
// last one (they coalesce), callbacks receive the tick count of the message, the next period
// keeps the timer's phase, and a timer killed or replaced by an earlier callback of the same
// round is not delivered.
#pragma once

#include "win/WinTypes.h"

#ifndef WM_TIMER
#define WM_TIMER 0x0113
#endif
#ifndef USER_TIMER_MINIMUM
#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF
#endif

typedef void (*TIMERPROC)(HWND hwnd, UINT msg, UINT_PTR idEvent, DWORD time);

// Without a window (hWnd null) the timer is a thread timer: an idEvent that names an existing
// thread timer replaces it and is returned; otherwise idEvent is ignored and a fresh id returned.
// With a window, a timer of the same id on that window is replaced and the id (1 for 0) is
// returned. The period is clamped to [USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM]. A timer without a
// callback sends WM_TIMER to its window through the window message handler below; a thread
// timer without a callback is pointless and is refused (0).
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
// TRUE when the timer existed.
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

namespace NUVWin {

// Delivers every timer due at the current tick count, earliest first (ties in the order the
// timers were set). Returns how many were delivered.
int DispatchTimers();
// False when no timer is set; otherwise the 64-bit tick count at which the next one falls due.
bool NextTimerDue(ULONGLONG& tick);
int TimerCount();
// Kills every timer of a window (when it is destroyed) or, with hWnd null, every timer.
void KillWindowTimers(HWND hWnd);
// Kills every timer whose callback `match` accepts (the code of a module being unloaded).
// Returns how many.
int KillTimersMatching(bool (*match)(TIMERPROC proc, void* context), void* context);

// Where WM_TIMER goes for a window timer without a callback (the dialog framework routes it to
// the window's handler). Without a handler such messages are dropped.
using WindowMessageHandler = void (*)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void SetWindowMessageHandler(WindowMessageHandler handler);

}  // namespace NUVWin
