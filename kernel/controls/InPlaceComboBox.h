// CInPlaceComboBox: the grid's drop-down list over a cell (identifier 0x2712), sorted when asked.
// The item whose text is the cell's is selected as soon as it is added. Choosing an item from the
// list, Enter or losing the focus commits the choice to the grid; Escape cancels.
#pragma once

#include "controls/ListCtrlExMessages.h"
#include "mfc/ComboBox.h"

class CInPlaceComboBox : public CComboBox {
public:
    void SetCellText(const CString& text) { cellText_ = text; }
    bool Commit();
    void Cancel();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKillFocus(CWnd* newWnd);
    void OnCloseUp();
    UINT OnGetDlgCode();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    CString cellText_;
    bool closing_ = false;
};
