// CListCtrlEx: a report-view list made into a small grid for the suite's parameter tables: a cell
// cursor moved with the keyboard, in-place editors opened on a cell (text, text with a "..."
// button, drop-down list, date) whose values the parent validates, an optional first column
// numbering the rows ("序号"), click-to-sort columns (as text, as numbers or with the caller's
// comparison, the direction toggling), and row commands (new, insert, delete, move up, down, to
// top, to bottom) from a context menu and Alt shortcuts. The messages to the parent are in
// ListCtrlExMessages.h.
//
// Column numbers given to and received from the grid are the caller's: with the row-number
// column (LVEX_FIRSTORDER) the caller's column 0 is the grid's column 1.
#pragma once

#include <vector>

#include "controls/FlatHeaderCtrl.h"
#include "controls/ListCtrlExMessages.h"
#include "mfc/ListCtrl.h"
#include "mfc/Menu.h"

class CInPlaceEdit;
class CInPlaceEditEx;
class CInPlaceComboBox;
class CInPlaceDateTime;

// The grid's extended style.
#define LVEX_HEADERTOOLTIP 0x01  // the header shows column tooltips
#define LVEX_FIRSTORDER 0x02     // column 0 numbers the rows
#define LVEX_FIRSTFIXED 0x04     // the first column keeps its width
#define LVEX_ALLOWADD 0x08       // New and Insert
#define LVEX_ALLOWDELETE 0x10    // Delete
#define LVEX_ALLOWMOVE 0x20      // the four moves
#define LVEX_MENU 0x40           // the context menu

// The context menu's commands.
#define ID_LVEX_NEW 0x2775
#define ID_LVEX_INSERT 0x2776
#define ID_LVEX_DELETE 0x2777
#define ID_LVEX_UP 0x2778
#define ID_LVEX_DOWN 0x2779
#define ID_LVEX_TOP 0x277A
#define ID_LVEX_BOTTOM 0x277B

enum SORT_MODE : int { SORT_NONE = 0, SORT_CUSTOM = 1, SORT_TEXT = 2, SORT_NUMBER = 3 };
enum EHighlight : int { HIGHLIGHT_NORMAL = 0, HIGHLIGHT_ALLCOLUMNS = 1, HIGHLIGHT_ROW = 2 };

// The sort context a comparison receives as its third argument (the first two are row indices).
struct LVEX_SORTCONTEXT {
    CListCtrlEx* grid;
    int column;      // the caller's numbering
    int descending;
};

class CListCtrlEx : public CListCtrl {
public:
    CListCtrlEx();
    ~CListCtrlEx() override;

    // Style.
    DWORD ModifyStyleEx(DWORD add, DWORD remove);
    DWORD GetStyleEx() const { return style_; }
    BOOL IsHeaderToolTip() const { return (style_ & LVEX_HEADERTOOLTIP) != 0; }
    BOOL IsFirstOrder() const { return (style_ & LVEX_FIRSTORDER) != 0; }
    BOOL IsFirstFixed() const { return (style_ & LVEX_FIRSTFIXED) != 0; }
    BOOL IsAllowAddItem() const { return (style_ & LVEX_ALLOWADD) != 0; }
    BOOL IsAllowDeleteItem() const { return (style_ & LVEX_ALLOWDELETE) != 0; }
    BOOL IsAllowMoveItem() const { return (style_ & LVEX_ALLOWMOVE) != 0; }
    BOOL IsMenuEnabled() const { return (style_ & LVEX_MENU) != 0; }
    void EnableMenu(BOOL enable);
    CMenu* GetMenu() { return &menu_; }
    BOOL SetHeaderToolTip(int column, LPCSTR text);
    // Header style flags in the high 16 bits of add and remove; 0 when there is no such column.
    BOOL ModifyColumnStyle(int column, DWORD add, DWORD remove);
    CFlatHeaderCtrl* GetFlatHeader() { return &header_; }
    void SetFocusSubItemColor(COLORREF colour);
    COLORREF GetFocusSubItemColor() const { return focusColor_; }
    int SetHighlightType(int type);
    int GetHighlightType() const { return highlight_; }

    // Columns and rows (the caller's column numbers).
    int InsertColumn(int column, const LVCOLUMNA* info);
    int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    int GetColumnCount() const;
    // The list's other overloads come here too, so the row numbers follow any insertion.
    int InsertItem(const LVITEMA* item) override;
    using CListCtrl::InsertItem;
    // Inserts an empty row at row (-1: the selected row), selects it and tells the parent.
    int InsertItem(int row);
    BOOL DeleteItem(int row);
    BOOL SetItemText(int row, int column, LPCSTR text);
    BOOL SetItem(const LVITEMA* item);
    CString GetItemText(int row, int column) const;
    int GetItemText(int row, int column, LPSTR buffer, int length) const;
    BOOL SetImage(int row, int image);

    // Row commands: row -1 means the selected row. Each returns the row it leaves selected, or -1
    // when it is not allowed or has nothing to act on.
    int DelItem(int row = -1);
    int UpItem(int row = -1);
    int DownItem(int row = -1);
    int TopItem(int row = -1);
    int EndItem(int row = -1);

    // Sorting.
    BOOL SetSort(int column, SORT_MODE mode);
    BOOL SetSort(int column, PFNLVCOMPARE compare);
    BOOL SortColumn(int column, int descending);
    BOOL SortColumn(int column, SORT_MODE mode, int descending);
    BOOL SortColumn(int column, PFNLVCOMPARE compare, int descending);
    void EnableMultiColumnSort(int enable) { multiSort_ = enable; }
    BOOL IsSorting() const { return sorting_; }
    static int CompareStringA(LPARAM row1, LPARAM row2, LPARAM context);
    static int CompareNumber(LPARAM row1, LPARAM row2, LPARAM context);

    // The cell cursor: the focused row and this column (the grid's own numbering, -1 at first).
    int GetFocusColumn() const { return focusColumn_; }
    int GetFocusRow() const { return GetNextItem(-1, LVNI_FOCUSED); }
    // Moves the cursor to a cell (the caller's column) and opens it for editing.
    BOOL EditSubitem(int row, int column);

    // In-place editors over a cell (the caller's column), filled with its text, which the caller
    // may configure further; null when the cell cannot be shown.
    CInPlaceEdit* ShowInPlaceEdit(int row, int column, int style = 0);
    CInPlaceEditEx* ShowInPlaceEditEx(int row, int column, int style = 0);
    CInPlaceComboBox* ShowInPlaceComboBox(int row, int column, int sorted = 0);
    CInPlaceDateTime* ShowInPlaceDateTimeCtrl(int row, int column);
    BOOL ShowInPlaceCtrl(int row, int column, CWnd* control);
    // Scrolls the cell into view and puts the control over it; FALSE when it cannot be seen.
    BOOL PositionControl(CWnd* control, int row, int column);
    CWnd* GetIpPlaceWnd() const { return inPlace_; }

protected:
    void PreSubclassWindow() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnContextMenu(CWnd* wnd, CPoint point);
    void OnKillFocus(CWnd* newWnd);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    UINT OnGetDlgCode();
    void OnDestroy();
    void OnCustomDraw(NMHDR* header, LRESULT* result);
    void OnHeaderClick(NMHDR* header, LRESULT* result);
    LRESULT OnCellMessage(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    struct ColumnSort {
        int mode = SORT_NONE;
        PFNLVCOMPARE compare = nullptr;
        int descending = 0;
    };

    int Shift() const { return IsFirstOrder() ? 1 : 0; }
    int SelectedRow() const { return GetNextItem(-1, LVNI_SELECTED); }
    void Renumber(int from);
    void SelectOnly(int row);
    void BuildMenu();
    bool RunCommand(UINT id);
    int MoveRow(int row, int to, WPARAM code);
    void SwapTexts(int a, int b);
    bool SortBy(int column, PFNLVCOMPARE compare, int descending);
    // Moves the cursor; an open editor's value is validated first (false when refused).
    bool MoveCursor(int row, int column, bool openEditor);
    // The editor's value to the parent; true when accepted (and written).
    bool Validate(const CString& text);
    void CloseEditor();
    int FirstEditableColumn() const { return Shift(); }
    template <class T>
    T* MakeEditor(int row, int column, const char* className, DWORD style, UINT id);

    DWORD style_ = LVEX_HEADERTOOLTIP;
    std::vector<ColumnSort> sorts_;
    COLORREF focusColor_ = RGB(0, 255, 0);
    int highlight_ = HIGHLIGHT_ROW;
    CWnd* inPlace_ = nullptr;
    bool ownEditor_ = false;
    int editRow_ = -1;
    int focusColumn_ = -1;
    BOOL sorting_ = FALSE;
    int multiSort_ = 1;
    CString orderTitle_;
    CMenu menu_;
    std::vector<UINT> commands_;
    CFlatHeaderCtrl header_;
    bool validating_ = false;
};
