// CEdit: a single-line edit (QLineEdit) or, with ES_MULTILINE, a plain multi-line one
// (QPlainTextEdit). Positions and lengths are GBK bytes, as the platform counts them in its
// multi-byte edits; the text limit counts bytes too, and a character that GBK cannot hold is
// refused as it is typed or pasted. The edit tells its parent EN_CHANGE after every change,
// including one made with SetWindowText, and EN_SETFOCUS / EN_KILLFOCUS.
#pragma once

#include "mfc/Wnd.h"

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID);

    void GetSel(int& start, int& end) const;
    DWORD GetSel() const;
    // start 0 and end -1 select everything; start -1 removes the selection. The caret goes to end.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void SetSel(DWORD selection, BOOL noScroll = FALSE);
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE);
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    BOOL Undo();
    BOOL CanUndo() const;
    void EmptyUndoBuffer();
    BOOL GetModify() const;
    void SetModify(BOOL modified = TRUE);
    // 0 means as much as possible; the default is 30000 bytes.
    void SetLimitText(UINT max);
    void LimitText(int max = 0) { SetLimitText(static_cast<UINT>(max)); }
    UINT GetLimitText() const;
    BOOL SetReadOnly(BOOL readOnly = TRUE);
};
