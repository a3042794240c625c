// The Qt application is made on demand, once, and lives until the process ends: module code
// cannot know when the last window goes, and the host may already own an application.
#include "mfc/WinApp.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "mfc/MfcInternal.h"

namespace NUVMfc {
namespace {

std::optional<bool> g_userPresent;
CWinApp* g_app = nullptr;

bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

}  // namespace

bool HasDisplay() {
    return QCoreApplication::instance() || Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

bool EnsureApplication() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    if (QCoreApplication::instance()) return false;  // a non-widget application cannot show windows
    if (!HasDisplay()) return false;
    static int argc = 1;
    static char name[] = "nuv";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // kept for the process's life
    return true;
}

bool UserPresent() {
    if (g_userPresent) return *g_userPresent;
    if (Set("NUV_NO_USER") || !EnsureApplication()) return false;
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal" && platform != "minimalegl";
}

void SetUserPresent(bool present) { g_userPresent = present; }
void ResetUserPresent() { g_userPresent.reset(); }

void ProcessPendingEvents() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace NUVMfc

namespace NUVMfc::detail {
bool EnsureQtApplication() { return NUVMfc::EnsureApplication(); }
}  // namespace NUVMfc::detail

CWinApp::CWinApp(LPCSTR appName) : m_strAppName(appName ? appName : "") { NUVMfc::g_app = this; }

CWinApp::~CWinApp() {
    if (NUVMfc::g_app == this) NUVMfc::g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    while (m_pMainWnd && ::IsWindow(m_pMainWnd->m_hWnd)) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() { return NUVMfc::g_app; }

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        if (!NUVMfc::HasDisplay()) return 1;
        static int ac = argc;
        new QApplication(ac, argv);
    }
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
