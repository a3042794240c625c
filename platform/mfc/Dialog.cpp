// Dialogs: built from their template on a "#32770" window, run modally on a Qt event loop when a
// user answers, or by the queued answers otherwise.
#include "mfc/Dialog.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QWidget>

#include <cstdio>

#include "mfc/DataExchange.h"
#include "mfc/MfcInternal.h"
#include "mfc/ModalAnswers.h"
#include "mfc/Text.h"
#include "mfc/WinApp.h"
#include "win/Resource.h"

struct CDialog::Loop {
    QEventLoop loop;
};

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_MESSAGE(DM_GETDEFID, HandleGetDefId)
ON_MESSAGE(DM_SETDEFID, HandleSetDefId)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
ON_WM_CLOSE()
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT idTemplate, CWnd* parent)
    : m_nIDHelp(idTemplate), m_lpszTemplateName(MAKEINTRESOURCE(idTemplate)), m_pParentWnd(parent) {}

CDialog::CDialog(LPCSTR templateName, CWnd* parent) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd) DestroyWindow();
}

bool CDialog::LoadTemplate(NUVMfc::DialogTemplate& dialog) {
    if (indirect_) {
        dialog = *indirect_;
        return true;
    }
    if (!m_lpszTemplateName) {
        std::fprintf(stderr, "nuvmfc: the dialog has no template\n");
        return false;
    }
    std::string error;
    if (!NUVMfc::LoadDialogTemplate(nullptr, m_lpszTemplateName, dialog, error)) {
        std::fprintf(stderr, "nuvmfc: dialog template: %s\n", error.c_str());
        return false;
    }
    return true;
}

BOOL CDialog::Build(const NUVMfc::DialogTemplate& dialog, CWnd* parent) {
    using namespace NUVMfc::detail;
    if (!EnsureQtApplication()) {
        std::fprintf(stderr, "nuvmfc: dialog cannot be shown: no display\n");
        return FALSE;
    }
    // The template's font sets the dialog units.
    QFont font = QApplication::font();
    if (!dialog.fontName.IsEmpty()) {
        QString family;
        if (NUVMfc::ToQString(dialog.fontName.str(), family)) font.setFamily(family);
    }
    font.setPointSize(dialog.pointSize > 0 ? dialog.pointSize : 9);
    if (dialog.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(dialog.weight, 100, 900)));
    font.setItalic(dialog.italic);
    QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, fm.height());
    auto px = [&](int du) { return du * baseX_ / 4; };
    auto py = [&](int du) { return du * baseY_ / 8; };

    const DWORD style = (dialog.style & ~WS_VISIBLE);
    if (!CreateEx(dialog.exStyle, "#32770", dialog.caption, style, CRect(0, 0, px(dialog.cx), py(dialog.cy)), parent, 0))
        return FALSE;
    QWidget* w = GetQWidget();
    w->setFont(font);
    w->resize(px(dialog.cx), py(dialog.cy));
    defId_ = IDOK;
    for (const NUVMfc::DialogItem& item : dialog.items) {
        HWND child = ::CreateWindowExA(item.exStyle, item.className, item.text, item.style | WS_CHILD, px(item.x),
                                       py(item.y), px(item.cx), py(item.cy), m_hWnd,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr);
        if (!child) {
            std::fprintf(stderr, "nuvmfc: dialog control %d of class '%s' could not be made\n", item.id,
                         item.className.GetString());
            DestroyWindow();
            return FALSE;
        }
        if (item.className.CompareNoCase("Button") == 0 && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            defId_ = static_cast<UINT>(item.id);
    }
    if (parent && parent->GetQWidget() && parent->GetQWidget()->isVisible()) CenterWindow(parent);
    else CenterWindow();
    // The first control that takes the tab key gets the focus unless OnInitDialog says otherwise.
    HWND first = nullptr;
    for (const NUVMfc::DialogItem& item : dialog.items) {
        if ((item.style & WS_TABSTOP) && !(item.style & WS_DISABLED)) {
            first = ::GetDlgItem(m_hWnd, item.id);
            break;
        }
    }
    const HWND self = m_hWnd;
    if (SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first), 0) && first && ::IsWindow(self)) {
        if (QWidget* fw = CWnd::FromHandle(first)->GetQWidget()) fw->setFocus(Qt::OtherFocusReason);
    }
    return ::IsWindow(self);
}

INT_PTR CDialog::DoModal() {
    NUVMfc::DialogTemplate dialog;
    if (!LoadTemplate(dialog)) return -1;
    CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    ended_ = false;
    m_nModalResult = -1;
    if (!Build(dialog, parent)) return -1;
    QWidget* w = GetQWidget();
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
    QApplication::setActiveWindow(w);
    if (QWidget* focus = w->focusWidget()) focus->setFocus(Qt::OtherFocusReason);

    NUVMfc::ModalRequest request{NUVMfc::ModalKind::Dialog, m_hWnd, this, dialog.caption, CString(), 0, nullptr};
    bool answered = false;
    while (!ended_ && m_hWnd) {
        INT_PTR answer = 0;
        if (NUVMfc::TakeModalAnswer(request, answer)) {
            answered = true;
            if (ended_ || !m_hWnd || answer == 0) continue;
            // A button's identifier presses it (OK may refuse to close); another number ends.
            HWND button = ::GetDlgItem(m_hWnd, static_cast<int>(answer));
            if (button || answer == IDOK || answer == IDCANCEL)
                SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<int>(answer), BN_CLICKED), reinterpret_cast<LPARAM>(button));
            else
                EndDialog(static_cast<int>(answer));
            continue;
        }
        if (NUVMfc::UserPresent()) {
            answered = true;
            Loop loop;
            loop_ = &loop;
            loop.loop.exec(QEventLoop::DialogExec);
            loop_ = nullptr;
            continue;
        }
        EndDialog(IDCANCEL);
    }
    const INT_PTR result = m_nModalResult;
    NUVMfc::RecordModal(request, result, answered);
    if (m_hWnd) DestroyWindow();
    return result;
}

BOOL CDialog::InitModalIndirect(const NUVMfc::DialogTemplate& dialog, CWnd* parent) {
    indirect_ = std::make_unique<NUVMfc::DialogTemplate>(dialog);
    m_pParentWnd = parent;
    return TRUE;
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) { return Create(MAKEINTRESOURCE(idTemplate), parent); }

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent) {
    m_lpszTemplateName = templateName;
    m_pParentWnd = parent;
    NUVMfc::DialogTemplate dialog;
    if (!LoadTemplate(dialog)) return FALSE;
    if (!Build(dialog, parent)) return FALSE;
    if (dialog.style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CDialog::CreateIndirect(const NUVMfc::DialogTemplate& dialog, CWnd* parent) {
    m_pParentWnd = parent;
    if (!Build(dialog, parent)) return FALSE;
    if (dialog.style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    ended_ = true;
    if (QWidget* w = GetQWidget()) w->hide();
    if (loop_) loop_->loop.quit();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnClose() { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }
LRESULT CDialog::HandleGetDefId(WPARAM, LPARAM) { return MAKELONG(static_cast<WORD>(defId_), DC_HASDEFID); }

LRESULT CDialog::HandleSetDefId(WPARAM id, LPARAM) {
    defId_ = static_cast<UINT>(id);
    return TRUE;
}

void CDialog::SetDefID(UINT nID) { SendMessage(DM_SETDEFID, nID); }
DWORD CDialog::GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }

void CDialog::NextDlgCtrl() const {
    if (QWidget* w = QApplication::focusWidget()) {
        if (QWidget* next = w->nextInFocusChain()) next->setFocus(Qt::TabFocusReason);
    }
}

void CDialog::PrevDlgCtrl() const {
    if (QWidget* w = QApplication::focusWidget()) {
        if (QWidget* prev = w->previousInFocusChain()) prev->setFocus(Qt::BacktabFocusReason);
    }
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (!control) return;
    control->SetFocus();
    if (::SendMessageA(control->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) control->SendMessage(EM_SETSEL, 0, -1);
}

void CDialog::MapDialogRect(LPRECT rect) const {
    if (!rect) return;
    rect->left = rect->left * baseX_ / 4, rect->right = rect->right * baseX_ / 4;
    rect->top = rect->top * baseY_ / 8, rect->bottom = rect->bottom * baseY_ / 8;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
    if (!msg || msg->message != WM_KEYDOWN || !IsWindow(dialog)) return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
    const HWND focus = GetFocus();
    const LRESULT code = focus ? SendMessageA(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) : 0;
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return FALSE;
    if (msg->wParam == VK_RETURN) {
        int id = LOWORD(static_cast<DWORD>(SendMessageA(dialog, DM_GETDEFID, 0, 0)));
        if (focus && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) id = GetDlgCtrlID(focus);
        HWND button = GetDlgItem(dialog, id);
        if (button && !IsWindowEnabled(button)) return TRUE;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return TRUE;
    }
    if (msg->wParam == VK_ESCAPE) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return TRUE;
    }
    return FALSE;
}
