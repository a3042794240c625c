// The expression field. The expression of the last change is kept as typed beside its
// evaluator, so that `work` can take it again at any time.
#include "controls/MathEdit.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ZQSoft/ZQSoft.h"

BEGIN_MESSAGE_MAP(CMathEdit, CSuperEdit)
ON_CONTROL_REFLECT_EX(EN_CHANGE, OnChange)
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CMathEdit::CMathEdit() {
    SetValidCharSet(VVE_CUSTOM, "-+0123456789()+-*/.");
    emptyValid = 1;
    lengthCheck = 1;
    tipEnabled = 1;
    SetTipText(NUV_GBK("支持四则运算。"));
    disableValidation = 0;
}

void CMathEdit::PreSubclassWindow() {
    CSuperEdit::PreSubclassWindow();
    SetTextLenMinMax(0, CMathString::MAX_TEXT);
}

void CMathEdit::SetAttachCtrlId(unsigned id) {
    attach = 1;
    attachId = id;
}

int CMathEdit::GetAttachCtrlId(unsigned& id) const {
    if (attach == 1) id = attachId;
    return attach;
}

CString CMathEdit::FormatValue(double value, int decimals) {
    if (decimals < 0) return CString();
    const double scale = std::pow(10.0, decimals);
    double v = value * scale;
    v = v < 0 ? v - 0.5 : v + 0.5;
    v = static_cast<double>(static_cast<long long>(v)) / scale;
    CString text;
    text.Format("%f", v);
    const int point = text.Find('.');
    if (point >= 0) text = text.Left(decimals == 0 ? point : std::min(text.GetLength(), point + 1 + decimals));
    return text;
}

BOOL CMathEdit::OnChange() {
    hasX = 0;
    exprValid = 0;
    CString text;
    GetWindowText(text);
    const int equals = text.Find('=');
    if (equals >= 0) text = text.Left(equals);
    const char* t = text.GetString();
    const int n = text.GetLength();
    for (int i = 0; i < n; ++i) {
        if (t[i] == 'x' && (i == 0 || !(t[i - 1] == 'e' && t[i + 1] == 'p'))) {
            hasX = 1;
            break;
        }
    }
    CString expression = text;
    double x = 0.0;
    bool evaluate = !text.IsEmpty();
    if (hasX) {
        const int hash = text.Find('#', 1);
        if (hash < 0) {
            evaluate = false;  // x without its value: not evaluated
        } else {
            x = std::atof(text.Mid(hash + 1));
            expression = text.Left(hash);
        }
    }
    source_ = expression;
    if (evaluate) {
        expr.Initial(expression, x);
        exprValid = (expr.checkString() == 1 && expr.stringToBolan() == 1 && expr.compvalue() == 0) ? 1 : 0;
    }
    if (attach) {
        if (CWnd* parent = GetParent()) {
            if (CWnd* sibling = parent->GetDlgItem(static_cast<int>(attachId))) sibling->EnableWindow(exprValid);
        }
    }
    CSuperEdit::OnChange();
    return FALSE;  // the parent still hears of the change
}

void CMathEdit::InitWindowText(const char* text) {
    SetWindowText(text);
    if (exprValid) {
        work = expr;
        workChecked_ = true;
    }
}

bool CMathEdit::TakeExpression() {
    work.Initial(source_, expr.getX());
    workChecked_ = work.checkString() == 1;
    return workChecked_ && work.stringToBolan() == 1 && work.compvalue() == 0;
}

CString CMathEdit::GetMathExpression() const {
    CString text(work.text);
    const int end = text.ReverseFind('#');
    return end >= 0 && end == text.GetLength() - 1 ? text.Left(end) : text;
}

CString CMathEdit::Shown(bool withResult, bool unlessPlainNumber) {
    const bool evaluates = TakeExpression();
    CString shown = GetMathExpression();
    if (work.hasX) shown += "#" + FormatValue(work.getX(), precision);
    if (withResult && evaluates && !(unlessPlainNumber && ZQ::IsNum(shown)))
        shown += "=" + FormatValue(work.getvalue(), precision);
    return shown;
}

void CMathEdit::OnSetFocus(CWnd* oldWnd) {
    CSuperEdit::OnSetFocus(oldWnd);
    if (!exprValid || !m_hWnd) return;
    const CString shown = Shown(true, true);
    SetWindowText(shown);
    SetSel(0, -1);
}

void CMathEdit::OnKillFocus(CWnd* newWnd) {
    CSuperEdit::OnKillFocus(newWnd);
    if (!exprValid || !m_hWnd) return;
    if (TakeExpression()) SetWindowText(FormatValue(work.getvalue(), precision));
}

BOOL CMathEdit::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && msg->hwnd == m_hWnd) {
        // Enter shows the expression with its result, the result selected; it goes no further.
        if (exprValid) {
            const CString shown = Shown(true, false);
            SetWindowText(shown);
            const int equals = shown.Find('=');
            SetSel(equals >= 0 ? equals : shown.GetLength(), -1);
        }
        return TRUE;
    }
    return CSuperEdit::PreTranslateMessage(msg);
}

int CMathEdit::GetExpressionValue(double& value) {
    if (!workChecked_ || work.stringToBolan() != 1) return -1;
    const int code = work.compvalue();
    if (code != 0) return code;
    value = work.getvalue();
    return 0;
}

int CMathEdit::GetExpressionValue(CString& text) {
    double v = 0.0;
    const int code = GetExpressionValue(v);
    if (code == 0) text = FormatValue(v, precision);
    return code;
}

double CMathEdit::GetExpressionValue() {
    double v = 0.0;
    return GetExpressionValue(v) == 0 ? v : 0.0;
}
