// CInPlaceDateTime: the grid's date picker over a cell (identifier 0x2714). It shows and writes
// dates as "%Y年%m月%d日"; a cell text that holds no such date starts it at today. Enter or losing
// the focus (other than to its own calendar) commits; Escape cancels.
#pragma once

#include "controls/ListCtrlExMessages.h"
#include "mfc/DateTimeCtrl.h"

class CInPlaceDateTime : public CDateTimeCtrl {
public:
    // Reads "2024年3月5日" (any non-digits between the year, month and day).
    static bool ParseCellDate(const char* text, COleDateTime& date);
    static CString FormatCellDate(const COleDateTime& date);
    void SetCellText(const CString& text);
    bool Commit();
    void Cancel();

protected:
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKillFocus(CWnd* newWnd);
    UINT OnGetDlgCode();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    bool closing_ = false;
};
