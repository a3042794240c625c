// CMathEdit: a validated edit field (CSuperEdit) in which arithmetic may be typed instead of a
// number: "2*(3+4)" is evaluated with CMathString on every change and becomes 14.00 when the
// field is left. On focus, and on Enter, the field shows the expression with its result
// ("2*(3+4)=14.00") so it can be edited again. A sibling control (typically OK) can be enabled
// only while the expression evaluates.
//
// Text convention: "expression#xvalue=result". Before the first "=" is the expression; in it,
// after the first "#" stands the value of the variable x. The result part is only shown.
#pragma once

#include "controls/SuperEdit.h"
#include "expr/MathString.h"

class CMathEdit : public CSuperEdit {
public:
    CMathEdit();

    void SetPrecision(int decimals) { precision = decimals; }
    int GetPrecision() const { return precision; }
    void SetAttachCtrlId(unsigned id);
    // 1 with id set when a sibling control is attached, else 0.
    int GetAttachCtrlId(unsigned& id) const;
    // Sets the window text (the change handling runs), and keeps the expression as the value.
    void InitWindowText(const char* text);
    // 0 with the value; -1 when there is no expression to convert; else the evaluator's error code
    // (the value is left unchanged).
    int GetExpressionValue(double& value);
    int GetExpressionValue(CString& text);
    double GetExpressionValue();

    // The value as the field shows values: rounded half away from zero to `decimals` places;
    // empty for a negative count.
    static CString FormatValue(double value, int decimals);

protected:
    CString GetMathExpression() const;
    void PreSubclassWindow() override;
    BOOL OnChange();
    void OnSetFocus(CWnd* oldWnd);
    void OnKillFocus(CWnd* newWnd);
    BOOL PreTranslateMessage(MSG* msg) override;
    DECLARE_MESSAGE_MAP()

    CMathString work;
    CMathString expr;
    int attach = 0;
    unsigned attachId = 0;
    int precision = 2;
    int hasX = 0;
    int exprValid = 0;

private:
    // work takes expr's expression and X and is validated; true when it evaluates.
    bool TakeExpression();
    CString Shown(bool withResult, bool unlessPlainNumber);
    CString source_;          // the expression part of the last change, as typed
    bool workChecked_ = false;
};
