// CHeaderCtrl: the column header of a list control (or one made on its own). Items have a text,
// a width, a format (alignment, HDF_SORTUP / HDF_SORTDOWN marks, which show as arrows on every
// column that has one) and a value. HDS_BUTTONS makes items clickable (HDN_ITEMCLICK to the
// parent), HDS_DRAGDROP lets the user reorder them (HDN_ENDDRAG), HDS_HIDDEN hides the header.
// An item with HDF_FIXEDWIDTH cannot be resized by the user.
#pragma once

#include "mfc/CommCtrl.h"
#include "mfc/Wnd.h"

class CImageList;

class CHeaderCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT nID);
    int GetItemCount() const;
    BOOL GetItem(int index, HDITEMA* item) const;
    BOOL SetItem(int index, HDITEMA* item);
    int InsertItem(int index, HDITEMA* item);
    BOOL DeleteItem(int index);
    // In the header's client coordinates.
    BOOL GetItemRect(int index, LPRECT rect) const;
    int HitTest(HDHITTESTINFO* info) const;
    BOOL GetOrderArray(LPINT order, int count) const;
    BOOL SetOrderArray(int count, LPINT order);
    int OrderToIndex(int order) const;
    CImageList* SetImageList(CImageList* images);
    CImageList* GetImageList() const;
};
