// The button class on QPushButton, QCheckBox, QRadioButton and QGroupBox.
#include "mfc/Button.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "mfc/MfcInternal.h"

namespace NUVMfc::detail {
namespace {

UINT Kind(DWORD style) { return style & BS_TYPEMASK; }

bool IsCheck(DWORD style) {
    const UINT k = Kind(style);
    return k == BS_CHECKBOX || k == BS_AUTOCHECKBOX || k == BS_3STATE || k == BS_AUTO3STATE;
}

bool IsRadio(DWORD style) { return Kind(style) == BS_RADIOBUTTON || Kind(style) == BS_AUTORADIOBUTTON; }

class ButtonClass : public WindowClass {
public:
    const char* Name() const override { return "Button"; }
    CWnd* MakeWrapper() const override { return new CButton; }

    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        if (Kind(style) == BS_GROUPBOX) {
            auto* g = new QGroupBox(parent);
            g->setAttribute(Qt::WA_TransparentForMouseEvents);
            return g;
        }
        if (IsCheck(style)) {
            auto* c = new QCheckBox(parent);
            c->setTristate(Kind(style) == BS_3STATE || Kind(style) == BS_AUTO3STATE);
            return c;
        }
        if (IsRadio(style)) return new QRadioButton(parent);
        auto* b = new QPushButton(parent);
        b->setDefault(Kind(style) == BS_DEFPUSHBUTTON);
        b->setAutoDefault(false);
        return b;
    }

    bool Fits(const QWidget* w) const override {
        return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QGroupBox*>(w);
    }

    void Wire(WindowRecord& rec) const override {
        if (auto* b = qobject_cast<QAbstractButton*>(rec.widget)) {
            const HWND h = rec.handle;
            // Manual check boxes and radio buttons keep their state: the parent sets it.
            QObject::connect(b, &QAbstractButton::clicked, rec.hook, [h, b](bool) {
                WindowRecord* r = Find(h);
                if (!r) return;
                const UINT k = Kind(r->style);
                if (k == BS_CHECKBOX || k == BS_3STATE || k == BS_RADIOBUTTON) {
                    QSignalBlocker block(b);
                    b->setChecked(!b->isChecked());
                }
                NotifyParentCommand(r, BN_CLICKED);
            });
        }
    }

    QString Text(const WindowRecord& rec) const override {
        if (auto* b = qobject_cast<QAbstractButton*>(rec.widget)) return b->text();
        if (auto* g = qobject_cast<QGroupBox*>(rec.widget)) return g->title();
        return QString();
    }

    void SetText(WindowRecord& rec, const QString& text) const override {
        if (auto* b = qobject_cast<QAbstractButton*>(rec.widget)) b->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(rec.widget)) g->setTitle(text);
    }

    bool Proc(WindowRecord& rec, UINT message, WPARAM wParam, LPARAM, LRESULT& result) const override {
        auto* b = qobject_cast<QAbstractButton*>(rec.widget);
        switch (message) {
            case BM_GETCHECK:
                if (auto* c = qobject_cast<QCheckBox*>(rec.widget)) {
                    result = c->checkState() == Qt::Checked ? BST_CHECKED
                             : c->checkState() == Qt::PartiallyChecked ? BST_INDETERMINATE : BST_UNCHECKED;
                } else {
                    result = b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
                }
                return true;
            case BM_SETCHECK:
                if (auto* c = qobject_cast<QCheckBox*>(rec.widget)) {
                    c->setCheckState(wParam == BST_CHECKED ? Qt::Checked
                                     : wParam == BST_INDETERMINATE && c->isTristate() ? Qt::PartiallyChecked
                                                                                      : Qt::Unchecked);
                } else if (auto* r = qobject_cast<QRadioButton*>(rec.widget)) {
                    // Setting one radio button leaves the others as they are, as the platform does.
                    const bool exclusive = r->autoExclusive();
                    r->setAutoExclusive(false);
                    r->setChecked(wParam == BST_CHECKED);
                    r->setAutoExclusive(exclusive);
                }
                return true;
            case BM_CLICK:
                if (b) b->click();
                return true;
            case WM_GETDLGCODE:
                if (IsRadio(rec.style)) result = DLGC_BUTTON | DLGC_RADIOBUTTON;
                else if (IsCheck(rec.style)) result = DLGC_BUTTON;
                else if (Kind(rec.style) == BS_GROUPBOX) result = DLGC_STATIC;
                else result = DLGC_BUTTON | (Kind(rec.style) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
                return true;
            default:
                return false;
        }
    }

    UINT ColourRequest(const WindowRecord& rec) const override {
        return IsCheck(rec.style) || IsRadio(rec.style) || Kind(rec.style) == BS_GROUPBOX ? WM_CTLCOLORSTATIC : 0;
    }

    void Colour(WindowRecord& rec, COLORREF background, COLORREF text) const override {
        rec.widget->setAutoFillBackground(true);
        SetPaletteColours(rec.widget, {{QPalette::Window, background}, {QPalette::WindowText, text}});
    }

    void ApplyStyle(WindowRecord& rec, DWORD) const override {
        if (auto* p = qobject_cast<QPushButton*>(rec.widget)) p->setDefault(Kind(rec.style) == BS_DEFPUSHBUTTON);
    }
};

const ButtonClass g_buttonClass;
const bool g_registered = (RegisterClass(&g_buttonClass), true);

}  // namespace
}  // namespace NUVMfc::detail

BOOL CButton::Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create("Button", caption, style, rect, parent, nID);
}

int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
UINT CButton::GetButtonStyle() const { return GetStyle() & 0xFFFF; }

void CButton::SetButtonStyle(UINT style, BOOL redraw) {
    ModifyStyle(0xFFFF, style & 0xFFFF);
    if (redraw) Invalidate();
}

void CButton::Click() { SendMessage(BM_CLICK); }
