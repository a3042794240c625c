// The grid's text editors. They are made with new by the grid and delete themselves once their
// window is gone.
#include "controls/InPlaceEdit.h"

#include <cstdio>
#include <cstring>

#include "mfc/MessageBox.h"
#include "controls/InPlaceCell.h"
#include "mfc/WindowApi.h"

BEGIN_MESSAGE_MAP(CInPlaceEdit, CEdit)
ON_WM_KEYDOWN()
ON_WM_KILLFOCUS()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

void CInPlaceEdit::SetNumeric(float min, float max, int decimals, BOOL report) {
    numeric_ = true;
    min_ = min, max_ = max;
    decimals_ = decimals < 0 ? 0 : decimals;
    report_ = report;
}

namespace {

// One decimal number and nothing but blanks around it, as "%f%s" finds exactly one item: digits
// with at most one point, an optional exponent.
bool OneNumber(const char* p, float& value) {
    while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    bool digits = false;
    while (*p >= '0' && *p <= '9') ++p, digits = true;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') ++p, digits = true;
    }
    if (!digits) return false;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9') ++e;
            p = e;
        }
    }
    const std::string number(start, static_cast<std::size_t>(p - start));
    while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
    if (*p) return false;
    value = std::strtof(number.c_str(), nullptr);
    return true;
}

}  // namespace

CInPlaceEdit::Verdict CInPlaceEdit::CheckText(const char* text, bool windowText) const {
    if (!text) text = "";
    if (!std::strcmp(text, "+") || !std::strcmp(text, "-")) return TEXT_INCOMPLETE;
    if (windowText && (!std::strcmp(text, ".") || !std::strcmp(text, "-."))) return TEXT_INCOMPLETE;
    float v = 0;
    if (!OneNumber(text, v)) return TEXT_NOT_A_NUMBER;
    return (v >= min_ && v <= max_) ? TEXT_OK : TEXT_OUT_OF_RANGE;
}

CString CInPlaceEdit::FormatValue(float value) const {
    char shown[64];
    std::snprintf(shown, sizeof shown, "%G", static_cast<double>(value));
    int decimals = 0;
    if (const char* point = std::strchr(shown, '.')) {
        for (const char* d = point + 1; *d >= '0' && *d <= '9'; ++d) ++decimals;
    }
    CString format, text;
    format.Format("%%.%df", std::max(decimals_, decimals));
    text.Format(format, static_cast<double>(value));
    return text;
}

bool CInPlaceEdit::Commit() {
    if (closing_ || !m_hWnd) return true;
    CString text;
    GetWindowText(text);
    if (numeric_) {
        switch (CheckText(text, true)) {
            case TEXT_OK: {
                float v = 0;
                OneNumber(text, v);
                text = FormatValue(v);
                break;
            }
            case TEXT_INCOMPLETE:
                return false;
            case TEXT_OUT_OF_RANGE:
                if (report_) AfxMessageBox("Given value is out of range.\n", MB_ICONERROR);
                return false;
            case TEXT_NOT_A_NUMBER:
                if (report_) AfxMessageBox("Characters must be a number.\n", MB_ICONERROR);
                return false;
        }
    }
    return NUVControls::CommitCellValue(*this, closing_, text);
}

void CInPlaceEdit::Cancel() { NUVControls::CancelCellEdit(*this); }

void CInPlaceEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (!NUVControls::HandleCellKey(*this, nChar, true)) CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceEdit::OnKillFocus(CWnd* newWnd) {
    CEdit::OnKillFocus(newWnd);
    if (!m_hWnd || closing_) return;
    // Focus that stays with the editor's own parts, or goes back to the grid, commits nothing.
    if (newWnd && (newWnd == GetParent() || newWnd->GetParent() == this)) return;
    Commit();
}

UINT CInPlaceEdit::OnGetDlgCode() { return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS; }

void CInPlaceEdit::PostNcDestroy() { delete this; }

BEGIN_MESSAGE_MAP(CInPlaceEditEx, CInPlaceEdit)
ON_BN_CLICKED(IDC_LVEX_BUTTON, OnButton)
END_MESSAGE_MAP()

BOOL CInPlaceEditEx::CreateButton() {
    CRect client;
    GetClientRect(&client);
    const int side = client.Height();
    if (!button_.Create("...", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                        CRect(client.right - side, 0, client.right, client.bottom), this, IDC_LVEX_BUTTON))
        return FALSE;
    return TRUE;
}

void CInPlaceEditEx::OnButton() {
    CWnd* grid = GetParent();
    if (!grid) return;
    CString value;
    GetWindowText(value);
    const HWND self = m_hWnd;
    grid->SendMessage(WM_LVEX_CELL, LVEX_BUTTON, reinterpret_cast<LPARAM>(&value));
    if (::IsWindow(self)) {
        SetWindowText(value);
        SetFocus();
        SetSel(0, -1);
    }
}
