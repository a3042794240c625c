// The host's message loop: what runs between commands (in the application context) and what
// runs whenever the host waits for input. Nothing here preempts running code: timers and idle
// work are delivered only at those two points, never in the middle of a command, an AutoLISP
// evaluation or a module's message.
//
// Between commands (RunIdleTasks): calls deferred to the application context and document
// switches requested from inside a command, then the current document's queued AutoLISP
// expressions (ads_queueexpr) and queued command input (sendStringToExecute), then due timers.
// While waiting for input (DispatchTimers): due timers only.
#pragma once

#include <functional>

#include "win/Tick.h"
#include "win/Timer.h"
#include "win/WinTypes.h"

// The host's main frame and its document window, the targets of window timers such as the
// kernel's deferred document requests. Fixed handles for the life of the process.
HWND adsw_acadMainWnd();
HWND adsw_acadDocWnd();

namespace NUVAcad {

// True while no command, AutoLISP evaluation or module message is running.
bool IsApplicationContext();
// Marks the host busy in a document (a command, an evaluation, a module's message) for its
// lifetime.
class DocumentContextScope {
public:
    DocumentContextScope();
    ~DocumentContextScope();
    DocumentContextScope(const DocumentContextScope&) = delete;
    DocumentContextScope& operator=(const DocumentContextScope&) = delete;
};

// Runs `call` in the application context: at once when already there, otherwise once the
// running command or evaluation has ended, in the order posted.
void PostToApplicationContext(std::function<void()> call);

// Everything that waits for the host to be idle; returns whether anything ran. Does nothing
// outside the application context.
bool RunIdleTasks();
// Delivers the timers due now. Returns how many.
int DispatchTimers();

// Lets `ms` milliseconds pass while waiting: on the virtual clock the clock steps from one due
// timer to the next, delivering each on its tick, then to the end; on the real clock the thread
// sleeps between due timers. In the application context idle tasks run after each delivery.
void Wait(unsigned ms);

// Milliseconds until the next timer is due (0 when one is due now), or -1 without timers: how
// long a source waiting for the user may block.
long MillisecondsToNextTimer();

}  // namespace NUVAcad
