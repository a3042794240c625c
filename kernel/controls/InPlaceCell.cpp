// The commit and cancel messages shared by the grid's in-place editors.
#include "controls/InPlaceCell.h"

#include "controls/ListCtrlExMessages.h"
#include "mfc/WindowApi.h"

namespace NUVControls {

bool CommitCellValue(CWnd& editor, bool& closing, CString& text) {
    CWnd* grid = editor.GetParent();
    if (!grid) return false;
    // An accepted value closes the editor: the object is gone when the grid answers.
    const HWND self = editor.m_hWnd;
    closing = true;
    const bool accepted = grid->SendMessage(WM_LVEX_CELL, LVEX_COMMIT, reinterpret_cast<LPARAM>(&text)) == 0;
    if (::IsWindow(self)) closing = false;
    return accepted;
}

void CancelCellEdit(CWnd& editor) {
    if (CWnd* grid = editor.GetParent()) grid->SendMessage(WM_LVEX_CELL, LVEX_CANCEL, 0);
}

}  // namespace NUVControls
