// DDX and DDV. A failed check unwinds to UpdateData with a private exception, so a dialog's
// DoDataExchange reads as a plain list of fields.
#include "mfc/DataExchange.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "mfc/MessageBox.h"
#include "mfc/WindowApi.h"

namespace {

struct ExchangeFailed {};

CString Trimmed(CDataExchange* dx, int nID) {
    CString text;
    dx->m_pDlgWnd->GetDlgItemText(nID, text);
    text.Trim();
    return text;
}

void SetText(CDataExchange* dx, int nID, const CString& text) { ::SetWindowTextA(dx->PrepareEditCtrl(nID), text); }

[[noreturn]] void Refuse(CDataExchange* dx, const CString& message) {
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    dx->Fail();
}

bool ReadLong(const CString& text, long long& out) {
    if (text.IsEmpty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return errno == 0 && end && *end == '\0';
}

bool ReadDouble(const CString& text, double& out) {
    if (text.IsEmpty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

template <class T>
void IntegerText(CDataExchange* dx, int nID, T& value, long long lo, long long hi, const char* format) {
    if (!dx->m_bSaveAndValidate) {
        CString text;
        text.Format(format, value);
        SetText(dx, nID, text);
        return;
    }
    dx->PrepareEditCtrl(nID);
    long long v = 0;
    if (!ReadLong(Trimmed(dx, nID), v) || v < lo || v > hi) Refuse(dx, NUV_GBK("请输入整数。"));
    value = static_cast<T>(v);
}

}  // namespace

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int nID) {
    m_hLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nID);
    m_bEditLastControl = FALSE;
    return m_hLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nID) {
    HWND h = PrepareCtrl(nID);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hLastControl && ::IsWindow(m_hLastControl)) {
        ::SetFocus(m_hLastControl);
        if (m_bEditLastControl) ::SendMessageA(m_hLastControl, EM_SETSEL, 0, -1);
    }
    throw ExchangeFailed{};
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const ExchangeFailed&) {
        return FALSE;
    }
    return TRUE;
}

void DDX_Control(CDataExchange* dx, int nID, CWnd& control) {
    if (control.m_hWnd) return;
    HWND h = dx->PrepareCtrl(nID);
    if (!h || !control.SubclassWindow(h)) {
        CString message;
        message.Format("control %d cannot be attached", nID);
        Refuse(dx, message);
    }
}

void DDX_Text(CDataExchange* dx, int nID, CString& value) {
    if (dx->m_bSaveAndValidate) {
        dx->PrepareEditCtrl(nID);
        dx->m_pDlgWnd->GetDlgItemText(nID, value);
    } else {
        SetText(dx, nID, value);
    }
}

void DDX_Text(CDataExchange* dx, int nID, int& value) { IntegerText(dx, nID, value, INT32_MIN, INT32_MAX, "%d"); }
void DDX_Text(CDataExchange* dx, int nID, UINT& value) { IntegerText(dx, nID, value, 0, UINT32_MAX, "%u"); }
void DDX_Text(CDataExchange* dx, int nID, long& value) { IntegerText(dx, nID, value, INT32_MIN, INT32_MAX, "%ld"); }

void DDX_Text(CDataExchange* dx, int nID, double& value) {
    if (!dx->m_bSaveAndValidate) {
        CString text;
        text.Format("%.*g", DBL_DIG, value);
        SetText(dx, nID, text);
        return;
    }
    dx->PrepareEditCtrl(nID);
    double v = 0;
    if (!ReadDouble(Trimmed(dx, nID), v)) Refuse(dx, NUV_GBK("请输入数字。"));
    value = v;
}

void DDX_Text(CDataExchange* dx, int nID, float& value) {
    if (!dx->m_bSaveAndValidate) {
        CString text;
        text.Format("%.*g", FLT_DIG, static_cast<double>(value));
        SetText(dx, nID, text);
        return;
    }
    dx->PrepareEditCtrl(nID);
    double v = 0;
    if (!ReadDouble(Trimmed(dx, nID), v) || std::fabs(v) > FLT_MAX) Refuse(dx, NUV_GBK("请输入数字。"));
    value = static_cast<float>(v);
}

void DDX_Check(CDataExchange* dx, int nID, int& value) {
    HWND h = dx->PrepareCtrl(nID);
    if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageA(h, BM_GETCHECK, 0, 0));
    else ::SendMessageA(h, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* dx, int nID, int& value) {
    HWND first = dx->PrepareCtrl(nID);
    if (!first) return;
    // The group: the first button and the radio buttons after it until the next WS_GROUP.
    std::vector<HWND> group{first};
    for (int id = nID + 1;; ++id) {
        HWND h = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
        if (!h || (::GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) break;
        const DWORD kind = static_cast<DWORD>(::GetWindowLongA(h, GWL_STYLE)) & BS_TYPEMASK;
        if (kind != BS_RADIOBUTTON && kind != BS_AUTORADIOBUTTON) break;
        group.push_back(h);
    }
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (::SendMessageA(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED) value = static_cast<int>(i);
        }
    } else {
        for (std::size_t i = 0; i < group.size(); ++i)
            ::SendMessageA(group[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void DDX_CBIndex(CDataExchange* dx, int nID, int& index) {
    HWND h = dx->PrepareCtrl(nID);
    if (dx->m_bSaveAndValidate) index = static_cast<int>(::SendMessageA(h, CB_GETCURSEL, 0, 0));
    else ::SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int nID, CString& value) {
    HWND h = dx->PrepareCtrl(nID);
    if (dx->m_bSaveAndValidate) {
        dx->m_pDlgWnd->GetDlgItemText(nID, value);
        return;
    }
    // Selects the first item that starts with the text; an editable box shows the text anyway.
    if (::SendMessageA(h, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString())) ==
        CB_ERR)
        ::SetWindowTextA(h, value);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (dx->m_bSaveAndValidate && value.GetLength() > maxChars) {
        CString message;
        message.Format(NUV_GBK("最多输入 %d 个字符。"), maxChars);
        Refuse(dx, message);
    }
    if (!dx->m_bSaveAndValidate && dx->m_hLastControl && dx->m_bEditLastControl)
        ::SendMessageA(dx->m_hLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

namespace {

template <class T>
void IntegerRange(CDataExchange* dx, T value, T lo, T hi, const char* format) {
    if (!dx->m_bSaveAndValidate || (value >= lo && value <= hi)) return;
    CString message;
    message.Format(format, lo, hi);
    Refuse(dx, message);
}

}  // namespace

void DDV_MinMaxInt(CDataExchange* dx, int value, int lo, int hi) {
    IntegerRange(dx, value, lo, hi, NUV_GBK("请输入 %d 到 %d 之间的整数。"));
}
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT lo, UINT hi) {
    IntegerRange(dx, value, lo, hi, NUV_GBK("请输入 %u 到 %u 之间的整数。"));
}
void DDV_MinMaxLong(CDataExchange* dx, long value, long lo, long hi) {
    IntegerRange(dx, value, lo, hi, NUV_GBK("请输入 %ld 到 %ld 之间的整数。"));
}
void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double lo, double hi) {
    IntegerRange(dx, value, lo, hi, NUV_GBK("请输入 %g 到 %g 之间的数字。"));
}
void DDV_MinMaxFloat(CDataExchange* dx, const float& value, float lo, float hi) {
    DDV_MinMaxDouble(dx, static_cast<double>(value), static_cast<double>(lo), static_cast<double>(hi));
}
