// Message boxes: modal, with the buttons and icon the MB_ type names. Where a display exists they
// are modal requests (ModalAnswers.h): a queued answer (an ID of one of the box's buttons) or a
// present user closes them, and otherwise the default button does. Where no display exists at all
// the caption and text go to standard error in the terminal's encoding and the default button is
// the answer. Texts are GBK.
#pragma once

#include <vector>

#include "mfc/WinUser.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
inline int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) { return MessageBoxA(owner, text, caption, type); }
// With the application's name as the caption.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);

namespace NUVMfc {

// The buttons of a message-box type, in order, and its default answer.
std::vector<int> MessageBoxButtons(UINT type);
int MessageBoxDefault(UINT type);

}  // namespace NUVMfc
