// The grid's header. Tooltip tools are the column rectangles, refreshed on every relayed move so
// they follow resized and scrolled columns.
#include "controls/FlatHeaderCtrl.h"

BOOL CFlatHeaderCtrl::GetItemEx(int column, HDITEMEX* item) const {
    if (!item || column < 0 || column >= GetItemCount()) return FALSE;
    *item = column < static_cast<int>(items_.size()) ? items_[static_cast<std::size_t>(column)] : HDITEMEX{0, CString()};
    return TRUE;
}

BOOL CFlatHeaderCtrl::SetItemEx(int column, const HDITEMEX* item) {
    if (!item || column < 0 || column >= GetItemCount()) return FALSE;
    if (static_cast<int>(items_.size()) < GetItemCount()) items_.resize(static_cast<std::size_t>(GetItemCount()));
    items_[static_cast<std::size_t>(column)] = *item;
    ApplyStyle(column);
    return TRUE;
}

void CFlatHeaderCtrl::ApplyStyle(int column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    if (!GetItem(column, &item)) return;
    const bool fixed = items_[static_cast<std::size_t>(column)].nStyle & FH_FIXED;
    item.fmt = fixed ? (item.fmt | HDF_FIXEDWIDTH) : (item.fmt & ~HDF_FIXEDWIDTH);
    SetItem(column, &item);
}

void CFlatHeaderCtrl::SetSortMark(int column, SortMark mark) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    if (!GetItem(column, &item)) return;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (mark == SORT_MARK_UP) item.fmt |= HDF_SORTUP;
    else if (mark == SORT_MARK_DOWN) item.fmt |= HDF_SORTDOWN;
    SetItem(column, &item);
}

CFlatHeaderCtrl::SortMark CFlatHeaderCtrl::GetSortMark(int column) const {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    if (!GetItem(column, &item)) return SORT_MARK_NONE;
    return (item.fmt & HDF_SORTUP) ? SORT_MARK_UP : (item.fmt & HDF_SORTDOWN) ? SORT_MARK_DOWN : SORT_MARK_NONE;
}

void CFlatHeaderCtrl::ClearSortMarks(int except) {
    for (int c = 0; c < GetItemCount(); ++c) {
        if (c != except) SetSortMark(c, SORT_MARK_NONE);
    }
}

void CFlatHeaderCtrl::EnableToolTips(BOOL enable) {
    tips_ = enable != FALSE;
    if (tips_ && !tooltip_.m_hWnd) tooltip_.Create(this);
    if (tooltip_.m_hWnd) tooltip_.Activate(enable);
}

void CFlatHeaderCtrl::ColumnInserted(int column) {
    if (column < 0) return;
    if (static_cast<int>(items_.size()) < column) items_.resize(static_cast<std::size_t>(column));
    items_.insert(items_.begin() + column, HDITEMEX{0, CString()});
}

void CFlatHeaderCtrl::ColumnDeleted(int column) {
    if (column >= 0 && column < static_cast<int>(items_.size())) items_.erase(items_.begin() + column);
}

BOOL CFlatHeaderCtrl::PreTranslateMessage(MSG* msg) {
    if (tips_ && tooltip_.m_hWnd && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
        // Tool c + 1 is column c; tools of columns that are gone keep an empty rectangle.
        const int columns = GetItemCount();
        for (int c = 0; c < std::max(columns, tooltip_.GetToolCount()); ++c) {
            const UINT_PTR id = static_cast<UINT_PTR>(c) + 1;
            CRect r;
            if (c >= columns || !GetItemRect(c, &r)) {
                if (c < tooltip_.GetToolCount()) tooltip_.SetToolRect(this, id, CRect(0, 0, 0, 0));
                continue;
            }
            HDITEMEX ex{0, CString()};
            GetItemEx(c, &ex);
            CString text = ex.strToolTip;
            if (text.IsEmpty()) {
                char heading[256] = {};
                HDITEMA item{};
                item.mask = HDI_TEXT;
                item.pszText = heading;
                item.cchTextMax = sizeof heading;
                GetItem(c, &item);
                text = heading;
            }
            if (c < tooltip_.GetToolCount()) {
                tooltip_.SetToolRect(this, id, &r);
                CString old;
                tooltip_.GetText(old, this, id);
                if (old != text) tooltip_.UpdateTipText(text, this, id);
            } else {
                tooltip_.AddTool(this, text, &r, id);
            }
        }
        tooltip_.RelayEvent(msg);
    }
    return CHeaderCtrl::PreTranslateMessage(msg);
}
