// A message box is a QMessageBox only when a user is there to answer it.
#include "mfc/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

#include "mfc/MfcInternal.h"
#include "mfc/ModalAnswers.h"
#include "mfc/Text.h"
#include "mfc/WinApp.h"
#include "win/Encoding.h"

namespace NUVMfc {

std::vector<int> MessageBoxButtons(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
        default: return {IDOK};
    }
}

int MessageBoxDefault(UINT type) {
    const std::vector<int> buttons = MessageBoxButtons(type);
    const std::size_t which = ((type & MB_DEFMASK) >> 8);
    return which < buttons.size() ? buttons[which] : buttons.front();
}

namespace {

const char* ButtonText(int id) {
    switch (id) {
        case IDOK: return "确定";
        case IDCANCEL: return "取消";
        case IDABORT: return "中止(&A)";
        case IDRETRY: return "重试(&R)";
        case IDIGNORE: return "忽略(&I)";
        case IDYES: return "是(&Y)";
        case IDNO: return "否(&N)";
        default: return "";
    }
}

int AskUser(HWND owner, const CString& text, const CString& caption, UINT type) {
    QWidget* parent = nullptr;
    if (CWnd* o = CWnd::FromHandle(owner)) parent = o->GetQWidget();
    QMessageBox box(parent);
    box.setWindowTitle(ToQStringOrReport(caption.str(), "message box caption"));
    box.setText(ToQStringOrReport(text.str(), "message box text"));
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    const int fallback = MessageBoxDefault(type);
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (int id : MessageBoxButtons(type)) {
        QPushButton* b = box.addButton(QString::fromUtf8(ButtonText(id)),
                                       id == IDCANCEL || id == IDNO ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        buttons.emplace_back(b, id);
        if (id == fallback) box.setDefaultButton(b);
    }
    box.exec();
    for (const auto& [b, id] : buttons) {
        if (box.clickedButton() == b) return id;
    }
    // Closed from the title bar: the platform answers Cancel when there is one, else the default.
    auto ids = MessageBoxButtons(type);
    return std::find(ids.begin(), ids.end(), IDCANCEL) != ids.end() ? IDCANCEL : fallback;
}

}  // namespace

}  // namespace NUVMfc

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    using namespace NUVMfc;
    const CString t(text ? text : "");
    CString c(caption ? caption : "");
    if (!caption) c = NUV_GBK("错误");  // the platform's caption when none is given: "Error"
    const int fallback = MessageBoxDefault(type);
    if (!EnsureApplication()) {
        std::fprintf(stderr, "%s: %s\n", NUVWin::GbkToTerminal(c.str()).c_str(), NUVWin::GbkToTerminal(t.str()).c_str());
        return fallback;
    }
    ModalRequest request{ModalKind::MessageBox, owner, nullptr, c, t, type, nullptr};
    INT_PTR result = 0;
    bool answered = TakeModalAnswer(request, result);
    if (answered) {
        const std::vector<int> ids = MessageBoxButtons(type);
        if (std::find(ids.begin(), ids.end(), static_cast<int>(result)) == ids.end()) {
            std::fprintf(stderr, "nuvmfc: answer %ld is no button of the message box; its default is taken\n",
                         static_cast<long>(result));
            result = fallback;
            answered = false;
        }
    } else if (UserPresent()) {
        result = AskUser(owner, t, c, type);
        answered = true;
    } else {
        result = fallback;
    }
    RecordModal(request, result, answered);
    return static_cast<int>(result);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    CWinApp* app = AfxGetApp();
    CString caption = app && !app->m_strAppName.IsEmpty() ? app->m_strAppName : CString("NUV");
    CWnd* main = AfxGetMainWnd();
    return MessageBoxA(main ? main->m_hWnd : nullptr, text, caption, type);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption, type);
}
