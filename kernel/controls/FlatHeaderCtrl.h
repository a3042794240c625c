// CFlatHeaderCtrl: the grid's column header. Beside the header's own items it keeps, per column,
// an extended item (a style word and a tooltip text), shows sort marks on any number of columns,
// and shows the tooltips of the columns when they are switched on. Style bit FH_FIXED keeps a
// column's width as it is.
#pragma once

#include <vector>

#include "mfc/HeaderCtrl.h"
#include "mfc/ToolTipCtrl.h"

#define FH_FIXED 0x0001

struct HDITEMEX {
    UINT nStyle;
    CString strToolTip;  // GBK; empty shows the column's heading
};

class CFlatHeaderCtrl : public CHeaderCtrl {
public:
    enum SortMark { SORT_MARK_NONE = 0, SORT_MARK_UP = 1, SORT_MARK_DOWN = 2 };

    BOOL GetItemEx(int column, HDITEMEX* item) const;
    BOOL SetItemEx(int column, const HDITEMEX* item);
    void SetSortMark(int column, SortMark mark);
    SortMark GetSortMark(int column) const;
    void ClearSortMarks(int except = -1);
    void EnableToolTips(BOOL enable);
    BOOL ToolTipsEnabled() const { return tips_; }
    // Keeps the extended items beside the header's items.
    void ColumnInserted(int column);
    void ColumnDeleted(int column);
    CToolTipCtrl* GetToolTip() { return tooltip_.m_hWnd ? &tooltip_ : nullptr; }

protected:
    BOOL PreTranslateMessage(MSG* msg) override;
    void ApplyStyle(int column);
    std::vector<HDITEMEX> items_;
    CToolTipCtrl tooltip_;
    bool tips_ = false;
};
