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

}  // namespace NUVControls
