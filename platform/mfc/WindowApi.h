// The platform's window functions on handles: messages (send, post, send with a time-out),
// the message queue of a thread, family, text, state, focus, geometry, timers, the keyboard's
// state and the beep. A handle that names no live window makes a function fail with
// ERROR_INVALID_WINDOW_HANDLE (GetLastError).
//
// Messages: a window belongs to the thread that made it (Qt widgets to the GUI thread). A message
// sent to a window of the calling thread is handled at once, inside the call, whatever the
// time-out; one sent to another thread's window waits until that thread takes it from its queue
// (GetMessage, PeekMessage, or the Qt event loop of the GUI thread), or until the time-out.
#pragma once

#include "mfc/WinUser.h"
#include "win/GdiDrawing.h"
#include "win/LastError.h"

LRESULT SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(hWnd, message, wParam, lParam);
}
// Nonzero when the message was handled, with its result in *result; 0 when the window is
// invalid or the time-out passed first (GetLastError: ERROR_TIMEOUT). While waiting the caller's
// thread handles messages sent to it, unless SMTO_BLOCK is given.
LRESULT SendMessageTimeoutA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeoutMs,
                            PDWORD_PTR result);
inline LRESULT SendMessageTimeout(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                  UINT timeoutMs, PDWORD_PTR result) {
    return SendMessageTimeoutA(hWnd, message, wParam, lParam, flags, timeoutMs, result);
}
BOOL PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(hWnd, message, wParam, lParam);
}

// The calling thread's queue. GetMessage waits; it answers 0 for WM_QUIT. Messages sent from other
// threads are handled inside these calls.
BOOL GetMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax);
inline BOOL GetMessage(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax) {
    return GetMessageA(msg, hWnd, filterMin, filterMax);
}
BOOL PeekMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags);
inline BOOL PeekMessage(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    return PeekMessageA(msg, hWnd, filterMin, filterMax, removeFlags);
}
LRESULT DispatchMessageA(const MSG* msg);
inline LRESULT DispatchMessage(const MSG* msg) { return DispatchMessageA(msg); }
BOOL TranslateMessage(const MSG* msg);
void PostQuitMessage(int exitCode);
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
DWORD GetCurrentThreadId();
DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD processId);
// TRUE when the dialog handled the keyboard message (Enter, Escape).
BOOL IsDialogMessageA(HWND dialog, LPMSG msg);
inline BOOL IsDialogMessage(HWND dialog, LPMSG msg) { return IsDialogMessageA(dialog, msg); }

// Makes a window of a registered class (see CWnd::Create); menuOrId is a child's identifier.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param);
inline HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                           int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    return CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menuOrId, instance, param);
}
// A class name for windows the program paints itself (every such name makes a plain window).
LPCSTR AfxRegisterWndClass(UINT classStyle, void* cursor = nullptr, HBRUSH background = nullptr, void* icon = nullptr);

BOOL IsWindow(HWND hWnd);
BOOL DestroyWindow(HWND hWnd);
HWND GetParent(HWND hWnd);
HWND SetParent(HWND child, HWND newParent);
HWND GetDlgItem(HWND dialog, int nID);
int GetDlgCtrlID(HWND hWnd);
BOOL IsChild(HWND parent, HWND hWnd);
HWND GetFocus();
HWND SetFocus(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL enable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL IsWindowVisible(HWND hWnd);
LONG GetWindowLongA(HWND hWnd, int index);
LONG SetWindowLongA(HWND hWnd, int index, LONG value);
inline LONG GetWindowLong(HWND hWnd, int index) { return GetWindowLongA(hWnd, index); }
inline LONG SetWindowLong(HWND hWnd, int index, LONG value) { return SetWindowLongA(hWnd, index, value); }

BOOL SetWindowTextA(HWND hWnd, LPCSTR text);
inline BOOL SetWindowText(HWND hWnd, LPCSTR text) { return SetWindowTextA(hWnd, text); }
int GetWindowTextA(HWND hWnd, LPSTR buffer, int maxCount);
inline int GetWindowText(HWND hWnd, LPSTR buffer, int maxCount) { return GetWindowTextA(hWnd, buffer, maxCount); }
int GetWindowTextLengthA(HWND hWnd);
inline int GetWindowTextLength(HWND hWnd) { return GetWindowTextLengthA(hWnd); }

BOOL GetWindowRect(HWND hWnd, LPRECT rect);
BOOL GetClientRect(HWND hWnd, LPRECT rect);
BOOL ClientToScreen(HWND hWnd, LPPOINT point);
BOOL ScreenToClient(HWND hWnd, LPPOINT point);
BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint);
BOOL InvalidateRect(HWND hWnd, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND hWnd);
BOOL GetCursorPos(LPPOINT point);

// The state of a key as of the input message being handled: the high bit set while it is down,
// the low bit for toggle keys that are on.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);

// Sounds the system's beep (Qt's) and counts it: tests read NUVMfc::BeepCount.
BOOL MessageBeep(UINT type);

namespace NUVMfc {

// Timers on one of this layer's windows (what CWnd::SetTimer and KillTimer use): WM_TIMER to the
// window, or the procedure when one is given, every elapse milliseconds (at least 10) while the
// window's thread turns the event loop. The global SetTimer and KillTimer (thread timers, the
// host's windows) belong to the host's message loop, which hands windows of this layer here.
UINT_PTR SetWindowTimer(HWND hWnd, UINT_PTR nIDEvent, UINT elapse, TIMERPROC proc);
BOOL KillWindowTimer(HWND hWnd, UINT_PTR nIDEvent);

// Beeps since the program started.
int BeepCount();

}  // namespace NUVMfc
