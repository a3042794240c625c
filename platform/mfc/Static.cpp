// The static class on QLabel.
#include "mfc/Static.h"

#include <QLabel>

#include "mfc/MfcInternal.h"

namespace NUVMfc::detail {
namespace {

void Align(QLabel* l, DWORD style) {
    const DWORD kind = style & SS_TYPEMASK;
    Qt::Alignment a = kind == SS_CENTER ? Qt::AlignHCenter : kind == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
    a |= (style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    l->setAlignment(a);
    l->setWordWrap(kind != SS_SIMPLE && kind != SS_LEFTNOWORDWRAP);
    l->setFrameShape((style & SS_SUNKEN) ? QFrame::Panel : QFrame::NoFrame);
    l->setFrameShadow(QFrame::Sunken);
}

class StaticClass : public WindowClass {
public:
    const char* Name() const override { return "Static"; }
    CWnd* MakeWrapper() const override { return new CStatic; }
    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        auto* l = new QLabel(parent);
        l->setTextFormat(Qt::PlainText);
        Align(l, style);
        return l;
    }
    bool Fits(const QWidget* w) const override { return qobject_cast<const QLabel*>(w) != nullptr; }
    QString Text(const WindowRecord& rec) const override {
        auto* l = qobject_cast<QLabel*>(rec.widget);
        return l ? l->text() : QString();
    }
    void SetText(WindowRecord& rec, const QString& text) const override {
        if (auto* l = qobject_cast<QLabel*>(rec.widget)) l->setText(text);
    }
    UINT ColourRequest(const WindowRecord&) const override { return WM_CTLCOLORSTATIC; }
    void Colour(WindowRecord& rec, COLORREF background, COLORREF text) const override {
        rec.widget->setAutoFillBackground(true);
        SetPaletteColours(rec.widget, {{QPalette::Window, background}, {QPalette::WindowText, text}});
    }
    void ApplyStyle(WindowRecord& rec, DWORD) const override {
        if (auto* l = qobject_cast<QLabel*>(rec.widget)) Align(l, rec.style);
    }
    void AfterDefault(WindowRecord& rec, UINT message, WPARAM, LPARAM) const override {
        if (!(rec.style & SS_NOTIFY)) return;
        if (message == WM_LBUTTONUP) NotifyParentCommand(&rec, STN_CLICKED);
        else if (message == WM_LBUTTONDBLCLK) NotifyParentCommand(&rec, STN_DBLCLK);
    }
    bool Proc(WindowRecord&, UINT message, WPARAM, LPARAM, LRESULT& result) const override {
        if (message != WM_GETDLGCODE) return false;
        result = DLGC_STATIC;
        return true;
    }
};

const StaticClass g_staticClass;
const bool g_registered = (RegisterClass(&g_staticClass), true);

}  // namespace
}  // namespace NUVMfc::detail

BOOL CStatic::Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create("Static", text, style, rect, parent, nID);
}
