// Answers for modal dialogs, message boxes and popup menus, so that a run without a user never
// blocks. Each such request takes the first queued answer; with none queued it takes the next
// one from the environment variable NUV_MODAL_ANSWERS (comma-separated: OK, CANCEL, YES, NO,
// ABORT, RETRY, IGNORE, CLOSE or a number, such as a menu command); with none there either, a
// present user answers (WinApp.h), and otherwise the request ends at once with its default
// (IDCANCEL for a dialog, the default button of a message box, no command for a menu).
//
// An answer that is a function gets the request: for a dialog it may work the dialog's
// controls first, then return the button to press (IDOK runs the dialog's OK handling, which
// may refuse to close), or 0 to leave the dialog to the next answer. Every request is
// recorded, answered or not, for tests and scripts to read.
#pragma once

#include <functional>
#include <vector>

#include "mfc/WinUser.h"
#include "win/CString.h"

class CDialog;
class CMenu;

namespace NUVMfc {

enum class ModalKind { Dialog, MessageBox, Menu };

struct ModalRequest {
    ModalKind kind;
    HWND window;       // the dialog's window, or the owner of a message box or menu
    CDialog* dialog;   // ModalKind::Dialog
    CString caption;   // the dialog's or message box's title (GBK)
    CString text;      // the message box's text (GBK)
    UINT type;         // the message box's MB_ flags
    CMenu* menu;       // ModalKind::Menu
};

using ModalAnswer = std::function<INT_PTR(const ModalRequest&)>;

void QueueModalAnswer(ModalAnswer answer);
void QueueModalAnswer(INT_PTR result);
std::size_t PendingModalAnswers();
void ClearModalAnswers();

struct ModalRecord {
    ModalKind kind;
    CString caption;
    CString text;
    UINT type;  // a message box's MB_ flags
    INT_PTR result;
    bool answered;  // by a queued answer or the user, not by the default
};
std::vector<ModalRecord> ModalHistory();
void ClearModalHistory();

// For the layer's modal requests: the next queued answer, if any.
bool TakeModalAnswer(const ModalRequest& request, INT_PTR& result);
void RecordModal(const ModalRequest& request, INT_PTR result, bool answered);
// Parses one answer word ("OK", "IDCANCEL", "YES", "7", "0x2775"); false when unknown.
bool ParseModalAnswer(const char* word, INT_PTR& result);

}  // namespace NUVMfc
