// The edit class: QLineEdit with a validator that keeps the text inside the byte limit and inside
// GBK, the platform's edit messages (EM_*), clipboard messages, the standard context menu through
// CMenu (so it can be answered like every menu), and the notifications to the parent.
#include "mfc/Edit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QValidator>

#include <cstdio>

#include "mfc/Menu.h"
#include "mfc/MfcInternal.h"
#include "mfc/Text.h"

namespace NUVMfc::detail {
namespace {

constexpr int kDefaultLimit = 30000;
constexpr int kMaxLimit = 0x7FFFFFFE;

// Lives with the widget (which may outlast its handle by a moment when deleted later).
struct EditData : QObject {
    explicit EditData(QObject* owner) : QObject(owner) {}
    int limit = kDefaultLimit;
    int quiet = 0;    // changes made by the layer itself send no notification
    DWORD style = 0;  // the ES_ bits the validator needs
};

class LimitValidator : public QValidator {
public:
    LimitValidator(EditData* data, QObject* owner) : QValidator(owner), data_(data) {}
    State validate(QString& input, int&) const override {
        if (data_->style & ES_UPPERCASE) input = input.toUpper();
        if (data_->style & ES_LOWERCASE) input = input.toLower();
        if (data_->style & ES_NUMBER) {
            for (QChar c : input) {
                if (!c.isDigit()) {
                    MessageBeep(MB_ICONEXCLAMATION);
                    return Invalid;
                }
            }
        }
        const int bytes = GbkLength(input);
        if (bytes < 0 || bytes > data_->limit) {
            MessageBeep(MB_ICONEXCLAMATION);
            return Invalid;
        }
        return Acceptable;
    }

private:
    EditData* data_;
};

int ByteOffset(const QString& text, int position) { return std::max(0, GbkLength(text.left(position))); }

// The character position at a byte offset (rounded down to a whole character; past the end is the
// end).
int CharPosition(const QString& text, int bytes) {
    if (bytes < 0) return static_cast<int>(text.size());
    int used = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int n = std::max(1, GbkLength(text.mid(i, 1)));
        if (used + n > bytes) return i;
        used += n;
    }
    return static_cast<int>(text.size());
}

class EditClass : public WindowClass {
public:
    const char* Name() const override { return "Edit"; }
    CWnd* MakeWrapper() const override { return new CEdit; }

    QWidget* Make(DWORD style, DWORD exStyle, QWidget* parent) const override {
        if (style & ES_MULTILINE) {
            auto* e = new QPlainTextEdit(parent);
            e->setLineWrapMode((style & ES_AUTOHSCROLL) || (style & WS_HSCROLL) ? QPlainTextEdit::NoWrap
                                                                                 : QPlainTextEdit::WidgetWidth);
            e->setReadOnly(style & ES_READONLY);
            if (!(style & WS_VSCROLL)) e->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            return e;
        }
        auto* e = new QLineEdit(parent);
        e->setFrame((style & WS_BORDER) || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)));
        ApplyLine(e, style);
        return e;
    }

    bool Fits(const QWidget* w) const override {
        return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
    }

    void Wire(WindowRecord& rec) const override {
        auto* data = new EditData(rec.widget);
        data->style = rec.style;
        rec.classData = data;
        const HWND h = rec.handle;
        auto notify = [h, data] {
            if (data->quiet) return;
            if (WindowRecord* r = Find(h)) {
                NotifyParentCommand(r, EN_UPDATE);
                if ((r = Find(h))) NotifyParentCommand(r, EN_CHANGE);
            }
        };
        if (auto* e = qobject_cast<QLineEdit*>(rec.widget)) {
            e->setValidator(new LimitValidator(data, e));
            QObject::connect(e, &QLineEdit::textChanged, rec.hook, notify);
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(rec.widget)) {
            QObject::connect(m, &QPlainTextEdit::textChanged, rec.hook, notify);
        }
    }

    void Release(WindowRecord& rec) const override { rec.classData = nullptr; }

    QString Text(const WindowRecord& rec) const override {
        if (auto* e = qobject_cast<QLineEdit*>(rec.widget)) return e->text();
        if (auto* m = qobject_cast<QPlainTextEdit*>(rec.widget)) return m->toPlainText();
        return QString();
    }

    void SetText(WindowRecord& rec, const QString& text) const override {
        auto* data = static_cast<EditData*>(rec.classData);
        const bool same = Text(rec) == text;
        if (auto* e = qobject_cast<QLineEdit*>(rec.widget)) e->setText(text);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(rec.widget)) m->setPlainText(text);
        // Setting the same text is still a change to the platform's edits.
        if (same && data && !data->quiet) {
            const HWND h = rec.handle;
            NotifyParentCommand(&rec, EN_UPDATE);
            if (WindowRecord* r = Find(h)) NotifyParentCommand(r, EN_CHANGE);
        }
    }

    UINT ColourRequest(const WindowRecord& rec) const override {
        const bool readOnly = rec.style & ES_READONLY;
        return (!rec.widget || !rec.widget->isEnabled() || readOnly) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    }

    void Colour(WindowRecord& rec, COLORREF background, COLORREF text) const override {
        SetPaletteColours(rec.widget, {{QPalette::Base, background}, {QPalette::Text, text}});
    }

    void ApplyStyle(WindowRecord& rec, DWORD) const override {
        if (auto* data = static_cast<EditData*>(rec.classData)) data->style = rec.style;
        if (auto* e = qobject_cast<QLineEdit*>(rec.widget)) ApplyLine(e, rec.style);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(rec.widget)) m->setReadOnly(rec.style & ES_READONLY);
    }

    void AfterDefault(WindowRecord& rec, UINT message, WPARAM, LPARAM) const override {
        if (message == WM_SETFOCUS) NotifyParentCommand(&rec, EN_SETFOCUS);
        else if (message == WM_KILLFOCUS) NotifyParentCommand(&rec, EN_KILLFOCUS);
    }

    bool Proc(WindowRecord& rec, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const override;

private:
    static void ApplyLine(QLineEdit* e, DWORD style) {
        e->setReadOnly(style & ES_READONLY);
        e->setEchoMode((style & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
        Qt::Alignment a = (style & ES_CENTER) ? Qt::AlignHCenter : (style & ES_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
        e->setAlignment(a | Qt::AlignVCenter);
    }
};

// Ids of the standard context menu, as the platform's edits number them.
enum { kMenuUndo = WM_UNDO, kMenuCut = WM_CUT, kMenuCopy = WM_COPY, kMenuPaste = WM_PASTE, kMenuDelete = WM_CLEAR,
       kMenuSelectAll = EM_SETSEL };

bool EditClass::Proc(WindowRecord& rec, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    auto* data = static_cast<EditData*>(rec.classData);
    auto* line = qobject_cast<QLineEdit*>(rec.widget);
    auto* multi = qobject_cast<QPlainTextEdit*>(rec.widget);
    if (!line && !multi) return false;
    const QString text = Text(rec);
    auto selection = [&](int& start, int& end) {
        if (line) {
            if (line->hasSelectedText()) start = line->selectionStart(), end = line->selectionEnd();
            else start = end = line->cursorPosition();
        } else {
            QTextCursor c = multi->textCursor();
            start = c.selectionStart(), end = c.selectionEnd();
        }
    };
    switch (message) {
        case EM_GETSEL: {
            int start, end;
            selection(start, end);
            const int bs = ByteOffset(text, start), be = ByteOffset(text, end);
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(bs);
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(be);
            result = MAKELONG(static_cast<WORD>(std::min(bs, 0xFFFF)), static_cast<WORD>(std::min(be, 0xFFFF)));
            return true;
        }
        case EM_SETSEL: {
            const int bs = static_cast<int>(static_cast<LONG>(wParam)), be = static_cast<int>(static_cast<LONG>(lParam));
            if (bs == -1) {
                if (line) line->deselect();
                else {
                    QTextCursor c = multi->textCursor();
                    c.clearSelection();
                    multi->setTextCursor(c);
                }
                return true;
            }
            int start = CharPosition(text, bs), end = CharPosition(text, be);
            if (line) line->setSelection(start, end - start);
            else {
                QTextCursor c = multi->textCursor();
                c.setPosition(start);
                c.setPosition(end, QTextCursor::KeepAnchor);
                multi->setTextCursor(c);
            }
            return true;
        }
        case EM_REPLACESEL: {
            QString q;
            if (!ToQString(reinterpret_cast<LPCSTR>(lParam) ? reinterpret_cast<LPCSTR>(lParam) : "", q)) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return true;
            }
            if (line) line->insert(q);
            else multi->insertPlainText(q);
            return true;
        }
        case EM_LIMITTEXT:
            data->limit = wParam == 0 || wParam > static_cast<WPARAM>(kMaxLimit) ? kMaxLimit : static_cast<int>(wParam);
            return true;
        case EM_GETLIMITTEXT:
            result = data->limit;
            return true;
        case EM_SETREADONLY:
            if (wParam) rec.style |= ES_READONLY;
            else rec.style &= ~ES_READONLY;
            ApplyStyle(rec, 0);
            rec.widget->update();
            result = TRUE;
            return true;
        case EM_CANUNDO:
            result = line ? line->isUndoAvailable() : multi->document()->isUndoAvailable();
            return true;
        case EM_UNDO:
        case WM_UNDO:
            result = line ? line->isUndoAvailable() : multi->document()->isUndoAvailable();
            if (line) line->undo();
            else multi->undo();
            return true;
        case EM_EMPTYUNDOBUFFER:
            if (multi) multi->document()->clearUndoRedoStacks();
            else {
                // QLineEdit keeps its history until its text is set anew.
                const QString keep = line->text();
                const int cursor = line->cursorPosition();
                ++data->quiet;
                line->setText(keep);
                --data->quiet;
                line->setCursorPosition(cursor);
            }
            return true;
        case EM_GETMODIFY:
            result = line ? line->isModified() : multi->document()->isModified();
            return true;
        case EM_SETMODIFY:
            if (line) line->setModified(wParam != 0);
            else multi->document()->setModified(wParam != 0);
            return true;
        case EM_SCROLLCARET:
            if (multi) multi->ensureCursorVisible();
            result = TRUE;
            return true;
        case WM_CUT:
            if (line) line->cut();
            else multi->cut();
            return true;
        case WM_COPY:
            if (line) line->copy();
            else multi->copy();
            return true;
        case WM_PASTE:
            if (line) line->paste();
            else multi->paste();
            return true;
        case WM_CLEAR:
            if (line) line->del();
            else multi->textCursor().removeSelectedText();
            return true;
        case WM_GETDLGCODE:
            result = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
            if (multi && (rec.style & ES_WANTRETURN)) result |= DLGC_WANTALLKEYS;
            return true;
        case WM_CONTEXTMENU: {
            // The platform's edit menu, shown and answered like every popup menu.
            const HWND h = rec.handle;
            const bool readOnly = rec.style & ES_READONLY;
            int start, end;
            selection(start, end);
            const bool selected = start != end;
            const bool canUndo = line ? line->isUndoAvailable() : multi->document()->isUndoAvailable();
            CMenu menu;
            menu.CreatePopupMenu();
            menu.AppendMenu(MF_STRING | (canUndo && !readOnly ? 0 : MF_GRAYED), kMenuUndo, NUV_GBK("撤消(&U)"));
            menu.AppendMenu(MF_SEPARATOR);
            menu.AppendMenu(MF_STRING | (selected && !readOnly ? 0 : MF_GRAYED), kMenuCut, NUV_GBK("剪切(&T)"));
            menu.AppendMenu(MF_STRING | (selected ? 0 : MF_GRAYED), kMenuCopy, NUV_GBK("复制(&C)"));
            menu.AppendMenu(MF_STRING | (readOnly ? MF_GRAYED : 0), kMenuPaste, NUV_GBK("粘贴(&P)"));
            menu.AppendMenu(MF_STRING | (selected && !readOnly ? 0 : MF_GRAYED), kMenuDelete, NUV_GBK("删除(&D)"));
            menu.AppendMenu(MF_SEPARATOR);
            menu.AppendMenu(MF_STRING | (text.isEmpty() ? MF_GRAYED : 0), kMenuSelectAll, NUV_GBK("全选(&A)"));
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (at.x == -1 && at.y == -1) {
                at = POINT{0, 0};
                ClientToScreen(h, &at);
            }
            const UINT chosen = static_cast<UINT>(
                menu.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, CWnd::FromHandle(h)));
            if (!chosen || !IsWindow(h)) return true;
            if (chosen == kMenuSelectAll) SendMessageA(h, EM_SETSEL, 0, -1);
            else SendMessageA(h, chosen, 0, 0);
            return true;
        }
        default:
            return false;
    }
}

const EditClass g_editClass;
const bool g_editRegistered = (RegisterClass(&g_editClass), true);

}  // namespace

}  // namespace NUVMfc::detail

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID) {
    return CWnd::Create("Edit", nullptr, style, rect, parent, nID);
}

void CEdit::GetSel(int& start, int& end) const {
    DWORD s = 0, e = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = static_cast<int>(s), end = static_cast<int>(e);
}

DWORD CEdit::GetSel() const { return static_cast<DWORD>(SendMessage(EM_GETSEL)); }

void CEdit::SetSel(int start, int end, BOOL) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<LONG>(start)), end);
}

void CEdit::SetSel(DWORD selection, BOOL noScroll) { SetSel(LOWORD(selection), HIWORD(selection), noScroll); }

void CEdit::ReplaceSel(LPCSTR text, BOOL canUndo) { SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text)); }
void CEdit::Clear() { SendMessage(WM_CLEAR); }
void CEdit::Copy() { SendMessage(WM_COPY); }
void CEdit::Cut() { SendMessage(WM_CUT); }
void CEdit::Paste() { SendMessage(WM_PASTE); }
BOOL CEdit::Undo() { return static_cast<BOOL>(SendMessage(EM_UNDO)); }
BOOL CEdit::CanUndo() const { return static_cast<BOOL>(SendMessage(EM_CANUNDO)); }
void CEdit::EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
BOOL CEdit::GetModify() const { return static_cast<BOOL>(SendMessage(EM_GETMODIFY)); }
void CEdit::SetModify(BOOL modified) { SendMessage(EM_SETMODIFY, modified); }
void CEdit::SetLimitText(UINT max) { SendMessage(EM_LIMITTEXT, max); }
UINT CEdit::GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
BOOL CEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, readOnly)); }
