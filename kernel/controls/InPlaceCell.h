// What every in-place editor of the grid says to the grid: a value to commit, or a cancel.
// The grid may destroy the editor while it answers a commit; callers must not touch it after.
#pragma once

#include "mfc/Wnd.h"

namespace NUVControls {

// Sends `text` to the editor's grid as the cell's new value. `closing` is set while the grid
// answers, so the editor's own focus loss does not commit a second time; it is cleared again only
// if the editor still exists. Answers whether the grid accepted the value.
bool CommitCellValue(CWnd& editor, bool& closing, CString& text);

// Tells the editor's grid that editing ends without a value.
void CancelCellEdit(CWnd& editor);

// The keys every editor answers alike: Enter commits, Escape cancels, Tab (and Up and Down when
// `arrowsToGrid`) moves the grid's cursor, which commits first. False for any other key, which
// the editor's own control handles.
template <class Editor>
bool HandleCellKey(Editor& editor, UINT key, bool arrowsToGrid) {
    switch (key) {
        case VK_RETURN:
            editor.Commit();
            return true;
        case VK_ESCAPE:
            editor.Cancel();
            return true;
        case VK_UP:
        case VK_DOWN:
            if (!arrowsToGrid) return false;
            [[fallthrough]];
        case VK_TAB:
            if (CWnd* grid = editor.GetParent()) grid->SendMessage(WM_KEYDOWN, key, 0);
            return true;
        default:
            return false;
    }
}

}  // namespace NUVControls
