// The grid's drop-down editor.
#include "controls/InPlaceComboBox.h"

#include "controls/InPlaceCell.h"
#include "mfc/WindowApi.h"

BEGIN_MESSAGE_MAP(CInPlaceComboBox, CComboBox)
ON_WM_KEYDOWN()
ON_WM_KILLFOCUS()
ON_WM_GETDLGCODE()
ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
END_MESSAGE_MAP()

LRESULT CInPlaceComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CComboBox::WindowProc(message, wParam, lParam);
    // The caller fills the list after the editor is made: the cell's item is chosen when it comes.
    if ((message == CB_ADDSTRING || message == CB_INSERTSTRING) && result >= 0 && GetCurSel() == CB_ERR &&
        lParam && cellText_ == reinterpret_cast<const char*>(lParam))
        SetCurSel(static_cast<int>(result));
    return result;
}

bool CInPlaceComboBox::Commit() {
    if (closing_ || !m_hWnd) return true;
    CString text;
    const int sel = GetCurSel();
    if (sel != CB_ERR) GetLBText(sel, text);
    return NUVControls::CommitCellValue(*this, closing_, text);
}

void CInPlaceComboBox::Cancel() { NUVControls::CancelCellEdit(*this); }

void CInPlaceComboBox::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (!NUVControls::HandleCellKey(*this, nChar, false)) CComboBox::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceComboBox::OnKillFocus(CWnd* newWnd) {
    CComboBox::OnKillFocus(newWnd);
    if (!m_hWnd || closing_ || GetDroppedState()) return;
    if (newWnd && (newWnd == GetParent() || newWnd->GetParent() == this)) return;
    Commit();
}

void CInPlaceComboBox::OnCloseUp() {
    if (GetCurSel() != CB_ERR && !closing_) Commit();
}

UINT CInPlaceComboBox::OnGetDlgCode() { return DLGC_WANTALLKEYS | DLGC_WANTARROWS; }

void CInPlaceComboBox::PostNcDestroy() { delete this; }
