// CListCtrl: a list control in report view (rows of items, columns of sub-items) on QTableView.
// Items hold texts (GBK), an image of the small image list, a state (selected, focused, ...) and a
// value (item data). Rows are selected whole (LVS_EX_FULLROWSELECT is how it looks either way);
// LVS_SINGLESEL allows one. Coordinates are the list's client coordinates, in which the header
// occupies the top.
//
// Notifications to the parent: LVN_ITEMCHANGED for state changes, NM_CLICK / NM_DBLCLK /
// NM_RCLICK with the item and sub-item under the mouse, LVN_COLUMNCLICK for a header click,
// LVN_INSERTITEM / LVN_DELETEITEM / LVN_DELETEALLITEMS, and NM_CUSTOMDRAW while painting:
// CDDS_PREPAINT once, then (when asked with CDRF_NOTIFYITEMDRAW) CDDS_ITEMPREPAINT per row and
// (with CDRF_NOTIFYSUBITEMDRAW) CDDS_ITEMPREPAINT | CDDS_SUBITEM per cell, whose handler may draw
// the cell itself with the record's hdc over its rc and answer CDRF_SKIPDEFAULT, or set
// clrText / clrTextBk.
#pragma once

#include "mfc/CommCtrl.h"
#include "mfc/HeaderCtrl.h"
#include "mfc/Wnd.h"

class CImageList;

typedef void* POSITION;

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID);

    // Columns.
    int InsertColumn(int column, const LVCOLUMNA* info);
    int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    BOOL GetColumn(int column, LVCOLUMNA* info) const;
    BOOL SetColumn(int column, const LVCOLUMNA* info);
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int cx);  // LVSCW_AUTOSIZE fits the texts
    BOOL GetColumnOrderArray(LPINT order, int count = -1) const;
    BOOL SetColumnOrderArray(int count, LPINT order);
    CHeaderCtrl* GetHeaderCtrl() const;

    // Items. Every overload inserts through the first, which a derived list may take over.
    virtual int InsertItem(const LVITEMA* item);
    int InsertItem(int index, LPCSTR text);
    int InsertItem(int index, LPCSTR text, int image);
    int InsertItem(UINT mask, int index, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM param);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL SetItemCount(int count);
    BOOL GetItem(LVITEMA* item) const;
    BOOL SetItem(const LVITEMA* item);
    BOOL SetItem(int index, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask, LPARAM param);
    BOOL SetItemText(int index, int subItem, LPCSTR text);
    CString GetItemText(int index, int subItem) const;
    int GetItemText(int index, int subItem, LPSTR buffer, int length) const;
    BOOL SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    // index -1: every item.
    BOOL SetItemState(int index, UINT state, UINT mask);
    UINT GetItemState(int index, UINT mask) const;
    UINT GetSelectedCount() const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& position) const;
    int GetNextItem(int start, int flags) const;
    int GetSelectionMark() const;
    int SetSelectionMark(int index);

    // Sorting: the comparison gets the two items' data.
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);

    // Geometry and scrolling.
    BOOL GetItemRect(int index, LPRECT rect, UINT code) const;
    BOOL GetSubItemRect(int index, int subItem, int code, CRect& rect) const;
    int HitTest(CPoint point, UINT* flags = nullptr) const;
    int HitTest(LVHITTESTINFO* info) const;
    int SubItemHitTest(LVHITTESTINFO* info);
    BOOL EnsureVisible(int index, BOOL partialOK);
    BOOL Scroll(CSize size);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    BOOL RedrawItems(int first, int last);
    BOOL Update(int index);
    int GetStringWidth(LPCSTR text) const;

    // Look.
    DWORD SetExtendedStyle(DWORD exStyle);
    DWORD GetExtendedStyle() const;
    CImageList* SetImageList(CImageList* images, int which);
    CImageList* GetImageList(int which) const;
    BOOL SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const;
    BOOL SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const;
    BOOL SetTextBkColor(COLORREF colour);
    COLORREF GetTextBkColor() const;
};
