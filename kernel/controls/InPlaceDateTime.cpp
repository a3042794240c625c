// The grid's date editor.
#include "controls/InPlaceDateTime.h"

#include <cstdlib>

#include "controls/InPlaceCell.h"
#include "mfc/WindowApi.h"

BEGIN_MESSAGE_MAP(CInPlaceDateTime, CDateTimeCtrl)
ON_WM_KEYDOWN()
ON_WM_KILLFOCUS()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

bool CInPlaceDateTime::ParseCellDate(const char* text, COleDateTime& date) {
    int parts[3] = {0, 0, 0};
    int n = 0;
    for (const char* p = text ? text : ""; *p && n < 3;) {
        if (*p >= '0' && *p <= '9') {
            char* end = nullptr;
            const long v = std::strtol(p, &end, 10);
            if (v > 9999) return false;
            parts[n++] = static_cast<int>(v);
            p = end;
        } else {
            // A double-byte character's bytes are never digits: skip them whole.
            p += (static_cast<unsigned char>(*p) >= 0x81 && p[1]) ? 2 : 1;
        }
    }
    if (n < 3) return false;
    COleDateTime d;
    if (d.SetDate(parts[0], parts[1], parts[2]) != 0) return false;
    date = d;
    return true;
}

CString CInPlaceDateTime::FormatCellDate(const COleDateTime& date) { return date.Format(NUV_GBK("%Y年%m月%d日")); }

void CInPlaceDateTime::SetCellText(const CString& text) {
    SetFormat(NUV_GBK("yyyy'年'MM'月'dd'日'"));
    COleDateTime date;
    if (!ParseCellDate(text, date)) date = COleDateTime::GetCurrentTime();
    SetTime(date);
}

bool CInPlaceDateTime::Commit() {
    if (closing_ || !m_hWnd) return true;
    COleDateTime date;
    if (!GetTime(date)) return false;
    CString text = FormatCellDate(date);
    return NUVControls::CommitCellValue(*this, closing_, text);
}

void CInPlaceDateTime::Cancel() { NUVControls::CancelCellEdit(*this); }

void CInPlaceDateTime::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (!NUVControls::HandleCellKey(*this, nChar, false)) CDateTimeCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceDateTime::OnKillFocus(CWnd* newWnd) {
    CDateTimeCtrl::OnKillFocus(newWnd);
    if (!m_hWnd || closing_ || GetMonthCalCtrl()) return;  // its own calendar is open
    if (newWnd && newWnd == GetParent()) return;
    Commit();
}

UINT CInPlaceDateTime::OnGetDlgCode() { return DLGC_WANTALLKEYS | DLGC_WANTARROWS; }

void CInPlaceDateTime::PostNcDestroy() { delete this; }
