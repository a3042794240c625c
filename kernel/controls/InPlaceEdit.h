// CInPlaceEdit: the grid's single-line editor over a cell (identifier 0x2711). Enter commits the
// value to the grid (which asks its parent), Escape cancels, and Up, Down, Tab and Shift+Tab move
// the grid's cell cursor (which commits first). Losing the focus to another window commits too.
// A numeric editor checks its text against single-precision limits before committing, and with
// its reporting switch on tells the user what is wrong.
#pragma once

#include "controls/ListCtrlExMessages.h"
#include "mfc/Button.h"
#include "mfc/Edit.h"

class CInPlaceEdit : public CEdit {
public:
    enum Verdict { TEXT_OK, TEXT_INCOMPLETE, TEXT_OUT_OF_RANGE, TEXT_NOT_A_NUMBER };

    void SetNumeric(float min, float max, int decimals, BOOL report);
    BOOL IsNumeric() const { return numeric_; }
    // The check of a numeric text; `windowText` marks the text as the window's own (where a lone
    // "." or "-." is still being typed).
    Verdict CheckText(const char* text, bool windowText) const;
    // The value as written back: as many decimals as configured, or as "%G" shows if more.
    CString FormatValue(float value) const;
    // Hands the text to the grid; true when accepted (the editor is then closed).
    bool Commit();
    void Cancel();

protected:
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKillFocus(CWnd* newWnd);
    UINT OnGetDlgCode();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

    bool numeric_ = false;
    float min_ = 0, max_ = 0;
    int decimals_ = 0;
    BOOL report_ = FALSE;
    bool closing_ = false;
};

// CInPlaceEditEx: the editor with a "..." button at its right (identifier 0x2713) that asks the
// grid's parent for help with the value.
class CInPlaceEditEx : public CInPlaceEdit {
public:
    // Made with the editor, over the right end of the cell.
    BOOL CreateButton();
    CButton* GetButton() { return button_.m_hWnd ? &button_ : nullptr; }

protected:
    void OnButton();
    DECLARE_MESSAGE_MAP()

private:
    CButton button_;
};
