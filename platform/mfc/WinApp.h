// The application object and the display. Windows need a Qt application on the GUI thread; the
// first window made creates one when none exists, as long as there is a display to show it on:
// an X or Wayland display, or a Qt platform named in QT_QPA_PLATFORM (tests run "offscreen").
// Without one, windows cannot be made and messages for the user go to standard error.
//
// A user is present when the platform shows windows (not "offscreen" or "minimal") and
// NUV_NO_USER is not set. Modal dialogs, message boxes and menus wait for a present user only
// when no answer was queued for them (ModalAnswers.h); otherwise nothing ever blocks.
#pragma once

#include "mfc/Wnd.h"

namespace NUVMfc {

// True when a display or a Qt platform is available (an application exists or can be made).
bool HasDisplay();
// Creates the Qt application if there is none; false without a display.
bool EnsureApplication();
bool UserPresent();
// Forces the answer of UserPresent (tests); Reset goes back to the platform's answer.
void SetUserPresent(bool present);
void ResetUserPresent();
// Lets queued window messages, timers and painting run until nothing is pending.
void ProcessPendingEvents();

}  // namespace NUVMfc

// One per program that is a framework application: InitInstance sets it up, Run turns the event
// loop while m_pMainWnd lives, ExitInstance gives the program's exit code.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
};

CWinApp* AfxGetApp();
// Creates the Qt application with the program's arguments and runs the application object:
// InitInstance, Run while there is a main window, ExitInstance.
int AfxWinMain(int argc, char** argv);
