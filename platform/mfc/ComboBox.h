// CComboBox: a drop-down list (CBS_DROPDOWNLIST), an editable drop-down (CBS_DROPDOWN) or an
// editable box with its list (CBS_SIMPLE, shown as an editable drop-down), on QComboBox. With
// CBS_SORT, added strings take their place in GBK byte order, case ignored. A user's choice tells
// the parent CBN_SELCHANGE; opening and closing the list CBN_DROPDOWN and CBN_CLOSEUP; typing in
// an editable one CBN_EDITCHANGE; focus CBN_SETFOCUS and CBN_KILLFOCUS.
#pragma once

#include "mfc/Wnd.h"

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID);

    int AddString(LPCSTR text);
    int InsertString(int index, LPCSTR text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);  // -1 clears the selection
    int GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const;
    int FindString(int startAfter, LPCSTR prefix) const;
    int FindStringExact(int startAfter, LPCSTR text) const;
    int SelectString(int startAfter, LPCSTR prefix);
    DWORD_PTR GetItemData(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;
    BOOL LimitText(int max);
};
