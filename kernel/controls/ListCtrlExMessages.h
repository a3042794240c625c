// The messages of the editable list grid (CListCtrlEx) and its in-place editors.
//
// To the grid's parent:
//   WM_LVEX_CELL (0x464), wParam LVEX_BUTTON (0x65): the "..." button of an editor was pressed;
//     lParam -> the editor's value (CString); the parent may change it, and the editor shows it.
//   WM_LVEX_CELL (0x464), wParam LVEX_COMMIT (0x66): a value to validate; lParam -> LVEX_VALUE.
//     0 accepts it (it is written into the cell and the editor closes); anything else refuses it
//     and the editor stays open.
//   WM_LVEX_INSERTED (0x466): an empty row was inserted; wParam its index.
//   WM_LVEX_DELETING (0x467): rows are about to be deleted; wParam -> CArray<int, int> of their
//     indices, in ascending order.
//   WM_LVEX_MOVED (0x468): the selected row moved; wParam LVEX_MOVE_UP (0x69), LVEX_MOVE_DOWN
//     (0x6A), LVEX_MOVE_TOP (0x6B) or LVEX_MOVE_BOTTOM (0x6C); lParam its new index.
// Column numbers in these records and in the grid's functions are the caller's: with the
// row-number column, the caller's column 0 is the grid's column 1.
//
// From an editor to the grid: WM_LVEX_CELL with LVEX_BUTTON, LVEX_COMMIT (lParam -> the text,
// CString; the grid answers 0 when accepted) or LVEX_CANCEL (0x67).
#pragma once

#include "win/CString.h"

class CListCtrlEx;

#define WM_LVEX_CELL 0x464
#define WM_LVEX_INSERTED 0x466
#define WM_LVEX_DELETING 0x467
#define WM_LVEX_MOVED 0x468

#define LVEX_BUTTON 0x65
#define LVEX_COMMIT 0x66
#define LVEX_CANCEL 0x67

#define LVEX_MOVE_UP 0x69
#define LVEX_MOVE_DOWN 0x6A
#define LVEX_MOVE_TOP 0x6B
#define LVEX_MOVE_BOTTOM 0x6C

// Child-window identifiers of the editors.
#define IDC_LVEX_EDIT 0x2711
#define IDC_LVEX_COMBO 0x2712
#define IDC_LVEX_BUTTON 0x2713
#define IDC_LVEX_DATE 0x2714

struct LVEX_VALUE {
    int row;            // the focused row
    int column;         // the cell cursor's column (the caller's numbering)
    CListCtrlEx* grid;
    CString text;       // the editor's text
};
