// The editable list grid. Rows and columns are the list control's; the grid adds the cell cursor
// (the focused row and focusColumn_), one in-place editor at a time, per-column sort records and
// the row commands. Internally columns are the list's own; the public functions take the caller's.
#include "controls/ListCtrlEx.h"

#include <algorithm>
#include <cstdlib>

#include "controls/InPlaceComboBox.h"
#include "controls/InPlaceDateTime.h"
#include "controls/InPlaceEdit.h"
#include "mfc/WindowApi.h"
#include "win/CArray.h"

BEGIN_MESSAGE_MAP(CListCtrlEx, CListCtrl)
ON_WM_KEYDOWN()
ON_WM_SYSKEYDOWN()
ON_WM_LBUTTONDOWN()
ON_WM_CONTEXTMENU()
ON_WM_KILLFOCUS()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_GETDLGCODE()
ON_WM_DESTROY()
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
ON_NOTIFY(HDN_ITEMCLICKA, 0, OnHeaderClick)
ON_MESSAGE(WM_LVEX_CELL, OnCellMessage)
END_MESSAGE_MAP()

CListCtrlEx::CListCtrlEx()
    : orderTitle_(NUV_GBK("序号")),
      commands_{ID_LVEX_NEW, ID_LVEX_INSERT, ID_LVEX_DELETE, ID_LVEX_UP, ID_LVEX_DOWN, ID_LVEX_TOP, ID_LVEX_BOTTOM} {}

CListCtrlEx::~CListCtrlEx() {
    if (inPlace_ && ownEditor_ && ::IsWindow(inPlace_->m_hWnd)) inPlace_->DestroyWindow();
    inPlace_ = nullptr;
}

void CListCtrlEx::PreSubclassWindow() {
    CListCtrl::PreSubclassWindow();
    ModifyStyle(LVS_TYPEMASK | LVS_EDITLABELS, LVS_REPORT);
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    if (CHeaderCtrl* h = CListCtrl::GetHeaderCtrl(); h && !header_.m_hWnd) header_.SubclassWindow(h->m_hWnd);
    const int columns = header_.GetItemCount();
    for (int c = 0; c < columns; ++c) header_.ColumnInserted(c);
    sorts_.assign(static_cast<std::size_t>(std::max(0, columns)), ColumnSort{});
    header_.EnableToolTips(IsHeaderToolTip());
    if (!menu_.GetSafeHmenu()) BuildMenu();
}

void CListCtrlEx::BuildMenu() {
    menu_.CreatePopupMenu();
    menu_.AppendMenu(MF_STRING, ID_LVEX_NEW, NUV_GBK("新建(&N)\tAlt + N"));
    menu_.AppendMenu(MF_SEPARATOR);
    menu_.AppendMenu(MF_STRING, ID_LVEX_INSERT, NUV_GBK("插入(&I)\tAlt + INSERT"));
    menu_.AppendMenu(MF_STRING, ID_LVEX_DELETE, NUV_GBK("删除(&I)\tAlt + DELETE"));
    menu_.AppendMenu(MF_SEPARATOR);
    menu_.AppendMenu(MF_STRING, ID_LVEX_UP, NUV_GBK("上移(&I)\tAlt + ↑"));
    menu_.AppendMenu(MF_STRING, ID_LVEX_DOWN, NUV_GBK("下移(&I)\tAlt + ↓"));
    menu_.AppendMenu(MF_SEPARATOR);
    menu_.AppendMenu(MF_STRING, ID_LVEX_TOP, NUV_GBK("最上(&I)\tAlt + HOME"));
    menu_.AppendMenu(MF_STRING, ID_LVEX_BOTTOM, NUV_GBK("最下(&I)\tAlt + END"));
}

// Style.

DWORD CListCtrlEx::ModifyStyleEx(DWORD add, DWORD remove) {
    const DWORD old = style_;
    style_ = (style_ | add) & ~remove;
    const bool hadOrder = old & LVEX_FIRSTORDER, hasOrder = style_ & LVEX_FIRSTORDER;
    if (m_hWnd && hasOrder && !hadOrder) {
        CloseEditor();
        const int at = CListCtrl::InsertColumn(0, orderTitle_, LVCFMT_CENTER, 48);
        if (at == 0) {
            header_.ColumnInserted(0);
            sorts_.insert(sorts_.begin(), ColumnSort{});
            if (focusColumn_ >= 0) ++focusColumn_;
            Renumber(0);
        }
    } else if (m_hWnd && hadOrder && !hasOrder) {
        CloseEditor();
        if (CListCtrl::DeleteColumn(0)) {
            header_.ColumnDeleted(0);
            if (!sorts_.empty()) sorts_.erase(sorts_.begin());
            if (focusColumn_ >= 0) focusColumn_ = std::max(0, focusColumn_ - 1);
        }
    }
    if (m_hWnd) {
        header_.EnableToolTips(IsHeaderToolTip());
        if (header_.GetItemCount() > 0 && ((old ^ style_) & (LVEX_FIRSTFIXED | LVEX_FIRSTORDER))) {
            HDITEMEX ex{0, CString()};
            header_.GetItemEx(0, &ex);
            ex.nStyle = IsFirstFixed() ? (ex.nStyle | FH_FIXED) : (ex.nStyle & ~FH_FIXED);
            header_.SetItemEx(0, &ex);
        }
    }
    return old;
}

void CListCtrlEx::EnableMenu(BOOL enable) {
    if (enable) ModifyStyleEx(LVEX_MENU, 0);
    else ModifyStyleEx(0, LVEX_MENU);
}

BOOL CListCtrlEx::SetHeaderToolTip(int column, LPCSTR text) {
    HDITEMEX ex{0, CString()};
    const int abs = column + Shift();
    if (!header_.GetItemEx(abs, &ex)) return FALSE;
    ex.strToolTip = text ? text : "";
    return header_.SetItemEx(abs, &ex);
}

BOOL CListCtrlEx::ModifyColumnStyle(int column, DWORD add, DWORD remove) {
    HDITEMEX ex{0, CString()};
    const int abs = column + Shift();
    if (!header_.GetItemEx(abs, &ex)) return 0;
    ex.nStyle = (ex.nStyle | (add >> 16)) & ~(remove >> 16);
    return header_.SetItemEx(abs, &ex) ? 1 : 0;
}

void CListCtrlEx::SetFocusSubItemColor(COLORREF colour) {
    focusColor_ = colour;
    if (m_hWnd) Invalidate();
}

int CListCtrlEx::SetHighlightType(int type) {
    const int old = highlight_;
    if (type >= 0 && type <= HIGHLIGHT_ROW) {
        highlight_ = type;
        if (m_hWnd) Invalidate();
    }
    return old;
}

// Columns and rows.

int CListCtrlEx::InsertColumn(int column, const LVCOLUMNA* info) {
    const int at = CListCtrl::InsertColumn(std::max(0, column) + Shift(), info);
    if (at < 0) return -1;
    header_.ColumnInserted(at);
    sorts_.insert(sorts_.begin() + std::min<std::ptrdiff_t>(at, static_cast<std::ptrdiff_t>(sorts_.size())), ColumnSort{});
    if (focusColumn_ >= at) ++focusColumn_;
    return at - Shift();
}

int CListCtrlEx::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0) | (subItem >= 0 ? LVCF_SUBITEM : 0);
    c.pszText = const_cast<LPSTR>(heading ? heading : "");
    c.fmt = format;
    c.cx = width;
    c.iSubItem = subItem >= 0 ? subItem + Shift() : 0;
    return InsertColumn(column, &c);
}

BOOL CListCtrlEx::DeleteColumn(int column) {
    const int abs = column + Shift();
    if (column < 0 || !CListCtrl::DeleteColumn(abs)) return FALSE;
    header_.ColumnDeleted(abs);
    if (abs < static_cast<int>(sorts_.size())) sorts_.erase(sorts_.begin() + abs);
    if (focusColumn_ == abs) focusColumn_ = -1;
    else if (focusColumn_ > abs) --focusColumn_;
    return TRUE;
}

int CListCtrlEx::GetColumnCount() const {
    CHeaderCtrl* h = CListCtrl::GetHeaderCtrl();
    return h ? std::max(0, h->GetItemCount() - Shift()) : 0;
}

void CListCtrlEx::Renumber(int from) {
    if (!IsFirstOrder()) return;
    const int n = CListCtrl::GetItemCount();
    for (int r = std::max(0, from); r < n; ++r) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", r + 1);
        CListCtrl::SetItemText(r, 0, number);
    }
}

int CListCtrlEx::InsertItem(const LVITEMA* item) {
    if (!item) return -1;
    if (!IsFirstOrder()) return CListCtrl::InsertItem(item);
    // The caller's text is its column 0, the grid's column 1; the grid's column 0 gets the number.
    LVITEMA copy = *item;
    copy.mask &= ~LVIF_TEXT;
    const int at = CListCtrl::InsertItem(&copy);
    if (at < 0) return -1;
    if ((item->mask & LVIF_TEXT) && item->pszText && item->pszText != LPSTR_TEXTCALLBACK)
        CListCtrl::SetItemText(at, 1, item->pszText);
    Renumber(at);
    return at;
}

int CListCtrlEx::InsertItem(int row) {
    if (!IsAllowAddItem()) return -1;
    const int count = CListCtrl::GetItemCount();
    const int target = row >= 0 ? row : SelectedRow();
    if (target < 0 || target > count) return -1;
    CloseEditor();
    const int at = InsertItem(target, "");
    if (at < 0) return -1;
    SelectOnly(at);
    EnsureVisible(at, FALSE);
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_LVEX_INSERTED, static_cast<WPARAM>(at), 0);
    return at;
}

BOOL CListCtrlEx::DeleteItem(int row) {
    if (inPlace_ && row == editRow_) CloseEditor();
    if (!CListCtrl::DeleteItem(row)) return FALSE;
    Renumber(row);
    return TRUE;
}

BOOL CListCtrlEx::SetItemText(int row, int column, LPCSTR text) {
    return column >= 0 && CListCtrl::SetItemText(row, column + Shift(), text);
}

BOOL CListCtrlEx::SetItem(const LVITEMA* item) {
    if (!item || item->iSubItem < 0) return FALSE;
    LVITEMA copy = *item;
    copy.iSubItem += Shift();
    return CListCtrl::SetItem(&copy);
}

CString CListCtrlEx::GetItemText(int row, int column) const {
    return column < 0 ? CString() : CListCtrl::GetItemText(row, column + Shift());
}

int CListCtrlEx::GetItemText(int row, int column, LPSTR buffer, int length) const {
    if (column < 0) {
        if (buffer && length > 0) buffer[0] = '\0';
        return 0;
    }
    return CListCtrl::GetItemText(row, column + Shift(), buffer, length);
}

BOOL CListCtrlEx::SetImage(int row, int image) { return CListCtrl::SetItem(row, 0, LVIF_IMAGE, nullptr, image, 0, 0, 0); }

void CListCtrlEx::SelectOnly(int row) {
    SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0) {
        SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SetSelectionMark(row);
    }
    if (m_hWnd) Invalidate();
}

// Row commands.

int CListCtrlEx::DelItem(int row) {
    if (!IsAllowDeleteItem()) return -1;
    const int count = CListCtrl::GetItemCount();
    CArray<int, int> rows;
    if (row >= 0 && row < count) {
        rows.Add(row);
    } else {
        for (int r = GetNextItem(-1, LVNI_SELECTED); r >= 0; r = GetNextItem(r, LVNI_SELECTED)) rows.Add(r);
    }
    if (rows.GetSize() == 0) return -1;
    CloseEditor();
    const HWND self = m_hWnd;
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_LVEX_DELETING, reinterpret_cast<WPARAM>(&rows), 0);
    if (!::IsWindow(self)) return -1;
    for (int i = static_cast<int>(rows.GetSize()) - 1; i >= 0; --i) CListCtrl::DeleteItem(rows[i]);
    const int first = rows[0];
    Renumber(first);
    const int left = CListCtrl::GetItemCount();
    if (left == 0) return -1;
    const int at = std::min(first, left - 1);
    if (rows.GetSize() == 1) {
        SelectOnly(at);
        EnsureVisible(at, FALSE);
    }
    return at;
}

void CListCtrlEx::SwapTexts(int a, int b) {
    const int columns = header_.GetItemCount();
    for (int c = 0; c < columns; ++c) {
        const CString ta = CListCtrl::GetItemText(a, c), tb = CListCtrl::GetItemText(b, c);
        CListCtrl::SetItemText(a, c, tb);
        CListCtrl::SetItemText(b, c, ta);
    }
}

int CListCtrlEx::MoveRow(int row, int to, WPARAM code) {
    if (!IsAllowMoveItem()) return -1;
    const int count = CListCtrl::GetItemCount();
    const int from = row >= 0 ? row : SelectedRow();
    if (from < 0 || from >= count || to < 0 || to >= count || to == from) return -1;
    CloseEditor();
    // Step by step, so every row between keeps its order.
    const int step = to < from ? -1 : 1;
    for (int r = from; r != to; r += step) SwapTexts(r, r + step);
    Renumber(std::min(from, to));
    SelectOnly(to);
    EnsureVisible(to, FALSE);
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_LVEX_MOVED, code, to);
    return to;
}

int CListCtrlEx::UpItem(int row) {
    const int from = row >= 0 ? row : SelectedRow();
    return from < 0 ? -1 : MoveRow(from, from - 1, LVEX_MOVE_UP);
}
int CListCtrlEx::DownItem(int row) {
    const int from = row >= 0 ? row : SelectedRow();
    return from < 0 ? -1 : MoveRow(from, from + 1, LVEX_MOVE_DOWN);
}
int CListCtrlEx::TopItem(int row) { return MoveRow(row, 0, LVEX_MOVE_TOP); }
int CListCtrlEx::EndItem(int row) { return MoveRow(row, CListCtrl::GetItemCount() - 1, LVEX_MOVE_BOTTOM); }

bool CListCtrlEx::RunCommand(UINT id) {
    switch (id) {
        case ID_LVEX_NEW: InsertItem(CListCtrl::GetItemCount()); return true;
        case ID_LVEX_INSERT: InsertItem(-1); return true;
        case ID_LVEX_DELETE: DelItem(-1); return true;
        case ID_LVEX_UP: UpItem(-1); return true;
        case ID_LVEX_DOWN: DownItem(-1); return true;
        case ID_LVEX_TOP: TopItem(-1); return true;
        case ID_LVEX_BOTTOM: EndItem(-1); return true;
        default: return false;
    }
}

BOOL CListCtrlEx::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) {
        // A menu or accelerator command: the grid's seven are run, others go to the parent as
        // they came.
        if (RunCommand(LOWORD(wParam))) return TRUE;
        if (CWnd* parent = GetParent()) parent->SendMessage(WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return CListCtrl::OnCommand(wParam, lParam);
}

// Sorting.

BOOL CListCtrlEx::SetSort(int column, SORT_MODE mode) {
    const int abs = column + Shift();
    if (column < 0 || abs >= static_cast<int>(sorts_.size())) return 0;
    sorts_[static_cast<std::size_t>(abs)].mode = mode;
    return 1;
}

BOOL CListCtrlEx::SetSort(int column, PFNLVCOMPARE compare) {
    const int abs = column + Shift();
    if (column < 0 || abs >= static_cast<int>(sorts_.size())) return 0;
    sorts_[static_cast<std::size_t>(abs)].mode = SORT_CUSTOM;
    sorts_[static_cast<std::size_t>(abs)].compare = compare;
    return 1;
}

BOOL CListCtrlEx::SortColumn(int column, int descending) {
    const int abs = column + Shift();
    if (column < 0 || abs >= static_cast<int>(sorts_.size())) return FALSE;
    const ColumnSort& s = sorts_[static_cast<std::size_t>(abs)];
    if (s.mode == SORT_CUSTOM) return SortColumn(column, s.compare, descending);
    return SortColumn(column, static_cast<SORT_MODE>(s.mode), descending);
}

BOOL CListCtrlEx::SortColumn(int column, SORT_MODE mode, int descending) {
    if (mode == SORT_TEXT) return SortBy(column, &CListCtrlEx::CompareStringA, descending);
    if (mode == SORT_NUMBER) return SortBy(column, &CListCtrlEx::CompareNumber, descending);
    if (mode == SORT_CUSTOM) {
        const int abs = column + Shift();
        if (column < 0 || abs >= static_cast<int>(sorts_.size())) return FALSE;
        return SortBy(column, sorts_[static_cast<std::size_t>(abs)].compare, descending);
    }
    return FALSE;
}

BOOL CListCtrlEx::SortColumn(int column, PFNLVCOMPARE compare, int descending) {
    return SortBy(column, compare, descending);
}

bool CListCtrlEx::SortBy(int column, PFNLVCOMPARE compare, int descending) {
    if (!compare || column < 0 || column + Shift() >= header_.GetItemCount()) return false;
    CloseEditor();
    // The comparison gets row indices: each row's data is kept aside and its index put in its
    // place, then the data follows the rows to their new places.
    const int n = CListCtrl::GetItemCount();
    std::vector<DWORD_PTR> saved(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        saved[static_cast<std::size_t>(i)] = GetItemData(i);
        SetItemData(i, static_cast<DWORD_PTR>(i));
    }
    LVEX_SORTCONTEXT context{this, column, descending};
    const BOOL sorted = SortItems(compare, reinterpret_cast<DWORD_PTR>(&context));
    for (int i = 0; i < n; ++i) {
        const auto original = static_cast<std::size_t>(GetItemData(i));
        SetItemData(i, original < saved.size() ? saved[original] : 0);
    }
    Renumber(0);
    return sorted != FALSE;
}

int CListCtrlEx::CompareStringA(LPARAM row1, LPARAM row2, LPARAM context) {
    const auto* c = reinterpret_cast<const LVEX_SORTCONTEXT*>(context);
    const CString a = c->grid->GetItemText(static_cast<int>(row1), c->column);
    const CString b = c->grid->GetItemText(static_cast<int>(row2), c->column);
    return c->descending ? b.Compare(a) : a.Compare(b);
}

int CListCtrlEx::CompareNumber(LPARAM row1, LPARAM row2, LPARAM context) {
    const auto* c = reinterpret_cast<const LVEX_SORTCONTEXT*>(context);
    const double a = std::atof(c->grid->GetItemText(static_cast<int>(row1), c->column));
    const double b = std::atof(c->grid->GetItemText(static_cast<int>(row2), c->column));
    const int r = a < b ? -1 : a > b ? 1 : 0;
    return c->descending ? -r : r;
}

void CListCtrlEx::OnHeaderClick(NMHDR* nm, LRESULT* result) {
    *result = 0;
    const auto* h = reinterpret_cast<const NMHEADERA*>(nm);
    if (h->iButton != 0 || inPlace_) return;
    const int column = h->iItem;
    if (IsFirstOrder() && column == 0) return;
    if (!(multiSort_ && GetKeyState(VK_CONTROL) < 0)) header_.ClearSortMarks(column);
    if (column < 0 || column >= static_cast<int>(sorts_.size())) return;
    ColumnSort& s = sorts_[static_cast<std::size_t>(column)];
    if (s.mode == SORT_NONE) return;
    header_.SetSortMark(column, s.descending ? CFlatHeaderCtrl::SORT_MARK_DOWN : CFlatHeaderCtrl::SORT_MARK_UP);
    sorting_ = TRUE;
    SortColumn(column - Shift(), s.descending);
    sorting_ = FALSE;
    s.descending = !s.descending;
}

// The cell cursor and editing.

bool CListCtrlEx::Validate(const CString& text) {
    if (validating_) return false;
    const int row = editRow_ >= 0 ? editRow_ : GetFocusRow();
    LVEX_VALUE value{row, focusColumn_ - Shift(), this, text};
    validating_ = true;
    const HWND self = m_hWnd;
    CWnd* parent = GetParent();
    const LRESULT answer = parent ? parent->SendMessage(WM_LVEX_CELL, LVEX_COMMIT, reinterpret_cast<LPARAM>(&value)) : 0;
    if (!::IsWindow(self)) return false;
    validating_ = false;
    if (answer != 0) return false;
    CListCtrl::SetItemText(row, focusColumn_, value.text);
    CloseEditor();
    return true;
}

void CListCtrlEx::CloseEditor() {
    if (!inPlace_) return;
    CWnd* editor = inPlace_;
    inPlace_ = nullptr;
    const bool hadFocus = editor->m_hWnd && (CWnd::GetFocus() == editor || editor->IsChild(CWnd::GetFocus()));
    if (ownEditor_) {
        if (::IsWindow(editor->m_hWnd)) editor->DestroyWindow();  // it deletes itself
    } else if (editor->m_hWnd) {
        editor->ShowWindow(SW_HIDE);
    }
    editRow_ = -1;
    if (hadFocus && m_hWnd) SetFocus();
    if (m_hWnd) Invalidate();
}

bool CListCtrlEx::MoveCursor(int row, int column, bool openEditor) {
    const int count = CListCtrl::GetItemCount();
    if (row < 0 || row >= count || column < 0 || column >= header_.GetItemCount()) return false;
    if (inPlace_) {
        CString text;
        inPlace_->GetWindowText(text);
        if (auto* combo = dynamic_cast<CInPlaceComboBox*>(inPlace_)) {
            const int sel = combo->GetCurSel();
            text.Empty();
            if (sel != CB_ERR) combo->GetLBText(sel, text);
        } else if (auto* date = dynamic_cast<CInPlaceDateTime*>(inPlace_)) {
            COleDateTime d;
            if (date->GetTime(d)) text = CInPlaceDateTime::FormatCellDate(d);
        }
        if (!Validate(text)) return false;
        CloseEditor();
    }
    focusColumn_ = column;
    SelectOnly(row);
    EnsureVisible(row, FALSE);
    CRect cell;
    if (GetSubItemRect(row, column, LVIR_LABEL, cell)) {
        CRect client;
        GetClientRect(&client);
        if (cell.left < 0) Scroll(CSize(cell.left, 0));
        else if (cell.right > client.right) Scroll(CSize(std::min(cell.left, cell.right - client.right), 0));
    }
    if (openEditor && !(IsFirstOrder() && column == 0)) EditSubitem(row, column - Shift());
    return true;
}

BOOL CListCtrlEx::EditSubitem(int row, int column) {
    const int abs = column + Shift();
    if (row < 0 || row >= CListCtrl::GetItemCount() || column < 0 || abs >= header_.GetItemCount()) return FALSE;
    if (IsFirstOrder() && abs == 0) return FALSE;
    focusColumn_ = abs;
    if (GetFocusRow() != row) SelectOnly(row);
    CWnd* parent = GetParent();
    if (!parent) return FALSE;
    NMLVDISPINFOA info{};
    info.hdr.hwndFrom = m_hWnd;
    info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    info.hdr.code = LVN_BEGINLABELEDITA;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = row;
    info.item.iSubItem = column;
    parent->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    return TRUE;
}

void CListCtrlEx::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    const int rows = CListCtrl::GetItemCount(), columns = header_.GetItemCount();
    if (rows == 0 || columns == 0) {
        CListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    const bool editing = inPlace_ != nullptr;
    const int minColumn = editing ? FirstEditableColumn() : 0;
    int row = GetFocusRow();
    if (row < 0) row = 0;
    int column = focusColumn_ < minColumn ? minColumn : focusColumn_;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    UINT key = nChar;
    if (key == VK_TAB) key = shift ? VK_LEFT : VK_RIGHT;
    switch (key) {
        case VK_LEFT:
            if (column > minColumn) {
                --column;
            } else {
                column = columns - 1;
                row = row > 0 ? row - 1 : rows - 1;
            }
            break;
        case VK_RIGHT:
            if (column < columns - 1) {
                ++column;
            } else {
                column = minColumn;
                row = row < rows - 1 ? row + 1 : 0;
            }
            break;
        case VK_UP: row = std::max(0, row - 1); break;
        case VK_DOWN: row = std::min(rows - 1, row + 1); break;
        case VK_HOME:
            row = 0;
            if (ctrl) column = minColumn;
            break;
        case VK_END:
            row = rows - 1;
            if (ctrl) column = columns - 1;
            break;
        case VK_RETURN:
            if (editing) return;
            MoveCursor(row, std::min(column + 1, columns - 1), true);
            return;
        case VK_F2:
            if (!editing) EditSubitem(row, column - Shift());
            return;
        default:
            CListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
            return;
    }
    MoveCursor(row, column, editing);
}

void CListCtrlEx::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    UINT command = 0;
    switch (nChar) {
        case 'N': command = ID_LVEX_NEW; break;
        case VK_INSERT: case 'I': command = ID_LVEX_INSERT; break;
        case VK_DELETE: case 'D': command = ID_LVEX_DELETE; break;
        case VK_UP: command = ID_LVEX_UP; break;
        case VK_DOWN: command = ID_LVEX_DOWN; break;
        case VK_HOME: command = ID_LVEX_TOP; break;
        case VK_END: command = ID_LVEX_BOTTOM; break;
        default: break;
    }
    if (command) RunCommand(command);
    else CListCtrl::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CListCtrlEx::OnLButtonDown(UINT, CPoint point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    SubItemHitTest(&hit);
    if (inPlace_) {
        if (!MoveCursor(GetFocusRow() >= 0 ? GetFocusRow() : 0, focusColumn_, false)) return;  // refused: stays
    }
    SetFocus();
    if (hit.iItem < 0 || hit.iSubItem < 0) return;
    MoveCursor(hit.iItem, hit.iSubItem, true);
}

void CListCtrlEx::OnContextMenu(CWnd* wnd, CPoint point) {
    if (!IsMenuEnabled()) {
        CListCtrl::OnContextMenu(wnd, point);
        return;
    }
    const int count = CListCtrl::GetItemCount(), selected = SelectedRow();
    const bool hasRow = selected >= 0;
    auto state = [](bool on) { return MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED); };
    menu_.EnableMenuItem(ID_LVEX_NEW, state(IsAllowAddItem()));
    menu_.EnableMenuItem(ID_LVEX_INSERT, state(IsAllowAddItem() && hasRow));
    menu_.EnableMenuItem(ID_LVEX_DELETE, state(IsAllowDeleteItem() && hasRow));
    menu_.EnableMenuItem(ID_LVEX_UP, state(IsAllowMoveItem() && hasRow && selected > 0));
    menu_.EnableMenuItem(ID_LVEX_TOP, state(IsAllowMoveItem() && hasRow && selected > 0));
    menu_.EnableMenuItem(ID_LVEX_DOWN, state(IsAllowMoveItem() && hasRow && selected < count - 1));
    menu_.EnableMenuItem(ID_LVEX_BOTTOM, state(IsAllowMoveItem() && hasRow && selected < count - 1));
    if (point.x == -1 && point.y == -1) {
        CRect r;
        if (hasRow && GetItemRect(selected, &r, LVIR_LABEL)) point = r.CenterPoint();
        else point = CPoint(0, 0);
        ClientToScreen(&point);
    }
    menu_.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

void CListCtrlEx::OnKillFocus(CWnd* newWnd) {
    CListCtrl::OnKillFocus(newWnd);
    // Focus that goes to the editor (or into it) keeps it; anywhere else ends it.
    if (inPlace_ && newWnd != inPlace_ && !(newWnd && inPlace_->IsChild(newWnd))) CloseEditor();
}

void CListCtrlEx::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    CloseEditor();
    CListCtrl::OnHScroll(code, pos, bar);
}

void CListCtrlEx::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    CloseEditor();
    CListCtrl::OnVScroll(code, pos, bar);
}

UINT CListCtrlEx::OnGetDlgCode() { return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS; }

void CListCtrlEx::OnDestroy() {
    CloseEditor();
    CListCtrl::OnDestroy();
}

LRESULT CListCtrlEx::OnCellMessage(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case LVEX_BUTTON:
            if (CWnd* parent = GetParent()) parent->SendMessage(WM_LVEX_CELL, LVEX_BUTTON, lParam);
            return 0;
        case LVEX_COMMIT:
            return Validate(lParam ? *reinterpret_cast<const CString*>(lParam) : CString()) ? 0 : 1;
        case LVEX_CANCEL:
            CloseEditor();
            return 0;
        default:
            return 0;
    }
}

// Editors.

BOOL CListCtrlEx::PositionControl(CWnd* control, int row, int column) {
    const int abs = column + Shift();
    if (!control || !control->m_hWnd || row < 0 || row >= CListCtrl::GetItemCount() || column < 0 ||
        abs >= header_.GetItemCount())
        return FALSE;
    EnsureVisible(row, FALSE);
    CRect cell, client;
    GetClientRect(&client);
    if (!GetSubItemRect(row, abs, LVIR_LABEL, cell)) return FALSE;
    if (cell.left < 0) Scroll(CSize(cell.left, 0));
    else if (cell.right > client.right) Scroll(CSize(std::min(cell.left, cell.right - client.right), 0));
    GetSubItemRect(row, abs, LVIR_LABEL, cell);
    CRect header;
    header_.GetWindowRect(&header);
    ScreenToClient(&header);
    CRect items(client.left, std::max(client.top, static_cast<LONG>(header.bottom)), client.right, client.bottom);
    CRect shown;
    if (!shown.IntersectRect(&cell, &items)) return FALSE;
    control->MoveWindow(&cell);
    return TRUE;
}

template <class T>
T* CListCtrlEx::MakeEditor(int row, int column, const char* className, DWORD style, UINT id) {
    CloseEditor();
    const int abs = column + Shift();
    if (row < 0 || row >= CListCtrl::GetItemCount() || column < 0 || abs >= header_.GetItemCount()) return nullptr;
    if (IsFirstOrder() && abs == 0) return nullptr;
    // Made where the cell is once scrolled into view.
    CRect cell(0, 0, 1, 1);
    auto* editor = new T;
    if (!editor->CreateEx(0, className, nullptr, WS_CHILD | style, cell, this, id)) {
        delete editor;
        return nullptr;
    }
    if (!PositionControl(editor, row, column)) {
        editor->DestroyWindow();
        return nullptr;
    }
    editor->ShowWindow(SW_SHOW);
    inPlace_ = editor;
    ownEditor_ = true;
    editRow_ = row;
    focusColumn_ = abs;
    return editor;
}

CInPlaceEdit* CListCtrlEx::ShowInPlaceEdit(int row, int column, int style) {
    auto* e = MakeEditor<CInPlaceEdit>(row, column, "Edit", WS_BORDER | ES_AUTOHSCROLL | static_cast<DWORD>(style), IDC_LVEX_EDIT);
    if (!e) return nullptr;
    e->SetWindowText(GetItemText(row, column));
    e->SetFocus();
    e->SetSel(0, -1);
    return e;
}

CInPlaceEditEx* CListCtrlEx::ShowInPlaceEditEx(int row, int column, int style) {
    auto* e = MakeEditor<CInPlaceEditEx>(row, column, "Edit", WS_BORDER | ES_AUTOHSCROLL | static_cast<DWORD>(style), IDC_LVEX_EDIT);
    if (!e) return nullptr;
    e->CreateButton();
    e->SetWindowText(GetItemText(row, column));
    e->SetFocus();
    e->SetSel(0, -1);
    return e;
}

CInPlaceComboBox* CListCtrlEx::ShowInPlaceComboBox(int row, int column, int sorted) {
    auto* c = MakeEditor<CInPlaceComboBox>(row, column, "ComboBox",
                                           CBS_DROPDOWNLIST | WS_VSCROLL | (sorted ? CBS_SORT : 0), IDC_LVEX_COMBO);
    if (!c) return nullptr;
    c->SetCellText(GetItemText(row, column));
    c->SetFocus();
    return c;
}

CInPlaceDateTime* CListCtrlEx::ShowInPlaceDateTimeCtrl(int row, int column) {
    auto* d = MakeEditor<CInPlaceDateTime>(row, column, DATETIMEPICK_CLASS, 0, IDC_LVEX_DATE);
    if (!d) return nullptr;
    d->SetCellText(GetItemText(row, column));
    d->SetFocus();
    return d;
}

BOOL CListCtrlEx::ShowInPlaceCtrl(int row, int column, CWnd* control) {
    CloseEditor();
    if (!PositionControl(control, row, column)) return FALSE;
    control->SetWindowText(GetItemText(row, column));
    control->ShowWindow(SW_SHOW);
    inPlace_ = control;
    ownEditor_ = false;
    editRow_ = row;
    focusColumn_ = column + Shift();
    control->SetFocus();
    return TRUE;
}

// Painting: the focused cell of the focused row in the focus colour.

void CListCtrlEx::OnCustomDraw(NMHDR* header, LRESULT* result) {
    auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    *result = CDRF_DODEFAULT;
    switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            *result = CDRF_NOTIFYITEMDRAW;
            return;
        case CDDS_ITEMPREPAINT:
            *result = CDRF_NOTIFYSUBITEMDRAW;
            return;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const int row = static_cast<int>(cd->nmcd.dwItemSpec), column = cd->iSubItem;
            const bool focused = focusColumn_ >= 0 && column == focusColumn_ && row == GetFocusRow();
            const bool plain = !focused && highlight_ == HIGHLIGHT_NORMAL && column > 0 &&
                               (cd->nmcd.uItemState & CDIS_SELECTED);
            if (!focused && !plain) return;
            CDC* dc = CDC::FromHandle(cd->nmcd.hdc);
            dc->FillSolidRect(&cd->nmcd.rc, focused ? focusColor_ : GetSysColor(COLOR_WINDOW));
            dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
            dc->SetBkMode(TRANSPARENT);
            CRect text(cd->nmcd.rc);
            text.DeflateRect(4, 0);
            LVCOLUMNA info{};
            info.mask = LVCF_FMT;
            CListCtrl::GetColumn(column, &info);
            const UINT align = (info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? DT_RIGHT
                               : (info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? DT_CENTER
                                                                                   : DT_LEFT;
            dc->DrawText(CListCtrl::GetItemText(row, column), &text,
                         DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
            *result = CDRF_SKIPDEFAULT;
            return;
        }
        default:
            return;
    }
}
