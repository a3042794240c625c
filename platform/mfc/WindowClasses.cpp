// The two classes without a control of their own: a plain window that its object paints (any
// class name the layer does not know), and the dialog class "#32770".
#include <QWidget>

#include <strings.h>

#include "mfc/MfcInternal.h"

namespace NUVMfc::detail {
namespace {

class PlainClass : public WindowClass {
public:
    const char* Name() const override { return ""; }
    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        auto* w = new QWidget(parent, (style & WS_CHILD) || !parent ? Qt::Widget : Qt::Window);
        if (!parent && !(style & WS_CHILD)) w->setWindowFlag(Qt::Window);
        w->setAutoFillBackground(true);
        w->setFocusPolicy((style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
        return w;
    }
    bool Fits(const QWidget*) const override { return false; }
};

class DialogClass : public WindowClass {
public:
    const char* Name() const override { return "#32770"; }
    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        QWidget* w = (style & WS_CHILD) ? new QWidget(parent) : new QWidget(parent, Qt::Dialog);
        w->setAutoFillBackground(true);
        SetPaletteColours(w, {{QPalette::Window, GetSysColor(COLOR_BTNFACE)}});
        return w;
    }
    bool Fits(const QWidget*) const override { return false; }
    bool Proc(WindowRecord&, UINT message, WPARAM, LPARAM, LRESULT& result) const override {
        if (message != WM_GETDLGCODE) return false;
        result = 0;
        return true;
    }
};

const char* const kUnsupported[] = {"ListBox", "ScrollBar", "msctls_updown32", "msctls_progress32", "msctls_trackbar32",
                                    "SysTreeView32", "SysTabControl32", "RichEdit20A", "RichEdit20W", "SysIPAddress32",
                                    "SysMonthCal32", "SysAnimate32", "ComboBoxEx32", "msctls_hotkey32", "SysLink"};

const PlainClass g_plainClass;
const DialogClass g_dialogClass;
const bool g_registered = (RegisterClass(&g_plainClass), RegisterClass(&g_dialogClass), true);

}  // namespace

bool ClassIsUnsupported(const char* name) {
    if (!name) return false;
    for (const char* u : kUnsupported) {
        if (strcasecmp(u, name) == 0) return true;
    }
    return false;
}

}  // namespace NUVMfc::detail

LPCSTR AfxRegisterWndClass(UINT, void*, HBRUSH, void*) { return "NUVWnd"; }
