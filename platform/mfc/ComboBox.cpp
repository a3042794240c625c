// The combo box class: the platform's CB_ messages on QComboBox. Item texts are kept as GBK
// beside the items so that sorting and searching follow the platform's byte order.
#include "mfc/ComboBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include <strings.h>

#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

constexpr int kGbkRole = Qt::UserRole + 1;
constexpr int kDataRole = Qt::UserRole + 2;

class Combo : public QComboBox {
public:
    using QComboBox::QComboBox;
    HWND handle = nullptr;
    void showPopup() override {
        if (WindowRecord* r = Find(handle)) NotifyParentCommand(r, CBN_DROPDOWN);
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (WindowRecord* r = Find(handle)) NotifyParentCommand(r, CBN_CLOSEUP);
    }
};

CString ItemText(const QComboBox* c, int i) { return CString(c->itemData(i, kGbkRole).toByteArray().toStdString()); }

int Find(const QComboBox* c, int startAfter, const char* text, bool exact) {
    const int n = c->count();
    if (!text || n == 0) return CB_ERR;
    const std::size_t len = std::strlen(text);
    int start = startAfter < 0 || startAfter >= n ? 0 : startAfter + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        const CString item = ItemText(c, i);
        const bool hit = exact ? strcasecmp(item, text) == 0 : strncasecmp(item, text, len) == 0;
        if (hit) return i;
    }
    return CB_ERR;
}

class ComboClass : public WindowClass {
public:
    const char* Name() const override { return "ComboBox"; }
    CWnd* MakeWrapper() const override { return new CComboBox; }
    QWidget* Make(DWORD style, DWORD, QWidget* parent) const override {
        auto* c = new Combo(parent);
        c->setEditable((style & 0x3) != CBS_DROPDOWNLIST);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMaxVisibleItems(12);
        return c;
    }
    bool Fits(const QWidget* w) const override { return qobject_cast<const QComboBox*>(w) != nullptr; }

    void Wire(WindowRecord& rec) const override {
        auto* c = static_cast<QComboBox*>(rec.widget.data());
        if (auto* mine = dynamic_cast<Combo*>(c)) mine->handle = rec.handle;
        const HWND h = rec.handle;
        QObject::connect(c, QOverload<int>::of(&QComboBox::activated), rec.hook, [h](int) {
            if (WindowRecord* r = NUVMfc::detail::Find(h)) NotifyParentCommand(r, CBN_SELCHANGE);
        });
        if (QLineEdit* e = c->lineEdit()) {
            QObject::connect(e, &QLineEdit::textEdited, rec.hook, [h](const QString&) {
                if (WindowRecord* r = NUVMfc::detail::Find(h)) NotifyParentCommand(r, CBN_EDITCHANGE);
            });
        }
    }

    QString Text(const WindowRecord& rec) const override {
        auto* c = qobject_cast<QComboBox*>(rec.widget);
        if (!c) return QString();
        return c->isEditable() ? c->currentText() : (c->currentIndex() >= 0 ? c->currentText() : QString());
    }
    void SetText(WindowRecord& rec, const QString& text) const override {
        auto* c = qobject_cast<QComboBox*>(rec.widget);
        if (c && c->isEditable()) c->setEditText(text);
    }
    void AfterDefault(WindowRecord& rec, UINT message, WPARAM, LPARAM) const override {
        if (message == WM_SETFOCUS) NotifyParentCommand(&rec, CBN_SETFOCUS);
        else if (message == WM_KILLFOCUS) NotifyParentCommand(&rec, CBN_KILLFOCUS);
    }
    UINT ColourRequest(const WindowRecord&) const override { return WM_CTLCOLOREDIT; }
    void Colour(WindowRecord& rec, COLORREF background, COLORREF text) const override {
        SetPaletteColours(rec.widget, {{QPalette::Base, background}, {QPalette::Text, text}});
    }

    bool Proc(WindowRecord& rec, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const override {
        auto* c = qobject_cast<QComboBox*>(rec.widget);
        if (!c) return false;
        const int n = c->count();
        const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        switch (message) {
            case CB_ADDSTRING:
            case CB_INSERTSTRING: {
                const char* text = reinterpret_cast<const char*>(lParam);
                QString q;
                if (!text || !ToQString(text, q)) {
                    result = CB_ERR;
                    return true;
                }
                int at = message == CB_INSERTSTRING ? (index < 0 || index > n ? n : index) : n;
                if (message == CB_ADDSTRING && (rec.style & CBS_SORT)) {
                    at = 0;
                    while (at < n && strcasecmp(ItemText(c, at), text) <= 0) ++at;
                }
                QSignalBlocker block(c);
                c->insertItem(at, q);
                c->setItemData(at, QByteArray(text), kGbkRole);
                if (c->count() == 1 && !c->isEditable()) c->setCurrentIndex(-1);
                result = at;
                return true;
            }
            case CB_DELETESTRING:
                if (index < 0 || index >= n) {
                    result = CB_ERR;
                    return true;
                }
                {
                    QSignalBlocker block(c);
                    c->removeItem(index);
                }
                result = c->count();
                return true;
            case CB_RESETCONTENT: {
                QSignalBlocker block(c);
                c->clear();
                return true;
            }
            case CB_GETCOUNT:
                result = n;
                return true;
            case CB_GETCURSEL:
                result = c->currentIndex() < 0 ? CB_ERR : c->currentIndex();
                return true;
            case CB_SETCURSEL: {
                QSignalBlocker block(c);
                if (index < 0 || index >= n) {
                    c->setCurrentIndex(-1);
                    result = CB_ERR;
                } else {
                    c->setCurrentIndex(index);
                    result = index;
                }
                return true;
            }
            case CB_GETLBTEXT:
            case CB_GETLBTEXTLEN: {
                if (index < 0 || index >= n) {
                    result = CB_ERR;
                    return true;
                }
                const CString t = ItemText(c, index);
                if (message == CB_GETLBTEXT && lParam) std::memcpy(reinterpret_cast<char*>(lParam), t.GetString(), t.GetLength() + 1);
                result = t.GetLength();
                return true;
            }
            case CB_FINDSTRING:
            case CB_FINDSTRINGEXACT:
                result = Find(c, index, reinterpret_cast<const char*>(lParam), message == CB_FINDSTRINGEXACT);
                return true;
            case CB_SELECTSTRING: {
                const int found = Find(c, index, reinterpret_cast<const char*>(lParam), false);
                if (found != CB_ERR) {
                    QSignalBlocker block(c);
                    c->setCurrentIndex(found);
                }
                result = found;
                return true;
            }
            case CB_GETITEMDATA:
                result = index < 0 || index >= n ? CB_ERR : static_cast<LRESULT>(c->itemData(index, kDataRole).toULongLong());
                return true;
            case CB_SETITEMDATA:
                if (index < 0 || index >= n) {
                    result = CB_ERR;
                    return true;
                }
                c->setItemData(index, QVariant::fromValue(static_cast<qulonglong>(lParam)), kDataRole);
                return true;
            case CB_SHOWDROPDOWN:
                if (wParam) c->showPopup();
                else c->hidePopup();
                result = TRUE;
                return true;
            case CB_GETDROPPEDSTATE:
                result = c->view() && c->view()->isVisible();
                return true;
            case CB_LIMITTEXT:
                if (QLineEdit* e = c->lineEdit()) e->setMaxLength(wParam ? static_cast<int>(wParam) : 32767);
                result = TRUE;
                return true;
            case WM_GETDLGCODE:
                result = DLGC_WANTCHARS | DLGC_WANTARROWS;
                return true;
            default:
                return false;
        }
    }
};

const ComboClass g_comboClass;
const bool g_registered = (RegisterClass(&g_comboClass), true);

}  // namespace
}  // namespace NUVMfc::detail

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create("ComboBox", nullptr, style, rect, parent, nID);
}

int CComboBox::AddString(LPCSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
int CComboBox::InsertString(int index, LPCSTR text) {
    return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
int CComboBox::DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }

int CComboBox::GetLBText(int index, CString& text) const {
    const int len = GetLBTextLen(index);
    if (len == CB_ERR) {
        text.Empty();
        return CB_ERR;
    }
    char* buffer = text.GetBufferSetLength(len + 1);
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    text.ReleaseBuffer(len);
    return len;
}

int CComboBox::GetLBTextLen(int index) const { return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index))); }
int CComboBox::FindString(int startAfter, LPCSTR prefix) const {
    return static_cast<int>(SendMessage(CB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(prefix)));
}
int CComboBox::FindStringExact(int startAfter, LPCSTR text) const {
    return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
}
int CComboBox::SelectString(int startAfter, LPCSTR prefix) {
    return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(prefix)));
}
DWORD_PTR CComboBox::GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
int CComboBox::SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}
void CComboBox::ShowDropDown(BOOL show) { SendMessage(CB_SHOWDROPDOWN, show); }
BOOL CComboBox::GetDroppedState() const { return static_cast<BOOL>(SendMessage(CB_GETDROPPEDSTATE)); }
BOOL CComboBox::LimitText(int max) { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(max))); }
