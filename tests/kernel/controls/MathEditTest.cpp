// CMathEdit: the value format, and the Part's cases typed into a real field: Enter shows the
// result selected and goes no further, leaving shows the result alone, an attached OK button
// follows whether the expression evaluates, program-set texts with x, precision, and the text
// after "=" ignored.
#include <QLineEdit>

#include "QtTestApp.h"
#include "controls/MathEdit.h"
#include "mfc/Afx.h"

namespace {

TEST(MathEditFormat, RoundsHalfAwayFromZeroAndCutsAfterTheDecimals) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {{1.235, 2, "1.24"}, {-1.235, 2, "-1.24"}, {2.5, 0, "3"},       {-2.5, 0, "-3"},
                 {14, 2, "14.00"},   {3, -1, ""},          {0.005, 2, "0.01"},  {1e6, 1, "1000000.0"},
                 {0.4, 0, "0"},      {-0.4, 0, "0"},       {7.25, 6, "7.250000"}, {1.5, 3, "1.500"}};
    for (const auto& c : cases) EXPECT_EQ(CMathEdit::FormatValue(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
}

class Dialog : public CWnd {
public:
    int oks = 0;

protected:
    void OnOk() { ++oks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Dialog, CWnd)
ON_COMMAND(IDOK, OnOk)
END_MESSAGE_MAP()

class MathEditTest : public QtTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.CreateEx(0, nullptr, "d", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 150), nullptr, 0));
        ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(10, 10, 250, 34), &dialog, 100));
        ASSERT_TRUE(ok.Create("OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(10, 100, 80, 124), &dialog, IDOK));
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 50, 250, 74), &dialog, 101));
        field.SetAttachCtrlId(IDOK);
        ShowActive(dialog.GetQWidget());
        field.SetFocus();
    }
    CString Text() {
        CString t;
        field.GetWindowText(t);
        return t;
    }
    Dialog dialog;
    CMathEdit field;
    CButton ok;
    CEdit other;
};

TEST_F(MathEditTest, EnterShowsTheResultSelectedAndLeavingShowsItAlone) {
    QTest::keyClicks(field.GetQWidget(), "2*(3+4)");
    EXPECT_TRUE(ok.IsWindowEnabled());
    QTest::keyClick(field.GetQWidget(), Qt::Key_Return);
    EXPECT_EQ(Text(), "2*(3+4)=14.00");
    EXPECT_EQ(static_cast<QLineEdit*>(field.GetQWidget())->selectedText(), QString("=14.00"));
    EXPECT_EQ(dialog.oks, 0);  // Enter goes no further
    double v = 0;
    EXPECT_EQ(field.GetExpressionValue(v), 0);
    EXPECT_EQ(v, 14.0);
    other.SetFocus();
    EXPECT_EQ(Text(), "14.00");
    field.SetFocus();
    EXPECT_EQ(Text(), "14.00");  // a plain number shows no "="
}

TEST_F(MathEditTest, AnExpressionThatFailsKeepsItsTextAndDisablesTheAttachedControl) {
    QTest::keyClicks(field.GetQWidget(), "1/0");
    EXPECT_FALSE(ok.IsWindowEnabled());
    other.SetFocus();
    EXPECT_EQ(Text(), "1/0");
    field.SetFocus();
    EXPECT_EQ(Text(), "1/0");
    QTest::keyClick(field.GetQWidget(), Qt::Key_End);
    QTest::keyClick(field.GetQWidget(), Qt::Key_Backspace);
    QTest::keyClicks(field.GetQWidget(), "4");
    EXPECT_TRUE(ok.IsWindowEnabled());
    unsigned id = 0;
    EXPECT_EQ(field.GetAttachCtrlId(id), 1);
    EXPECT_EQ(id, static_cast<unsigned>(IDOK));
}

TEST_F(MathEditTest, ProgramTextWithTheVariable) {
    other.SetFocus();
    field.InitWindowText("2*x#3");
    EXPECT_EQ(field.GetExpressionValue(), 6.0);
    CString shown;
    EXPECT_EQ(field.GetExpressionValue(shown), 0);
    EXPECT_EQ(shown, "6.00");
    field.SetFocus();
    EXPECT_EQ(Text(), "2*x#3.00=6.00");
    field.InitWindowText("2*x");  // x without its value is not evaluated
    EXPECT_FALSE(ok.IsWindowEnabled());
    field.InitWindowText("x#4");  // an x at the start is the variable too
    EXPECT_TRUE(ok.IsWindowEnabled());
    EXPECT_EQ(field.GetExpressionValue(), 4.0);
}

TEST_F(MathEditTest, ExpIsNoVariableAndPlainNumbersShowNoResult) {
    other.SetFocus();
    field.InitWindowText("exp(1)");
    EXPECT_NEAR(field.GetExpressionValue(), 2.718281828, 1e-9);
    field.SetFocus();
    EXPECT_EQ(Text(), "exp(1)=2.72");
    other.SetFocus();
    field.InitWindowText("5");
    field.SetFocus();
    EXPECT_EQ(Text(), "5");
}

TEST_F(MathEditTest, PrecisionZeroRoundsHalfAwayFromZero) {
    field.SetPrecision(0);
    EXPECT_EQ(field.GetPrecision(), 0);
    field.InitWindowText("2.5");
    other.SetFocus();
    EXPECT_EQ(Text(), "3");
    field.InitWindowText("-2.5");
    field.SetFocus();
    other.SetFocus();
    EXPECT_EQ(Text(), "-3");
}

TEST_F(MathEditTest, TextAfterTheEqualsSignIsIgnored) {
    other.SetFocus();
    field.InitWindowText("3+4=99");
    EXPECT_EQ(field.GetExpressionValue(), 7.0);
    field.InitWindowText("[1+2]*{2}");  // any bracket kind; shown normalised
    field.SetFocus();
    EXPECT_EQ(Text(), "(1+2)*(2)=6.00");
}

TEST_F(MathEditTest, LettersCannotBeTypedAndTheTipExplains) {
    const int beeps = NUVMfc::BeepCount();
    QTest::keyClicks(field.GetQWidget(), "2x#=");
    EXPECT_EQ(Text(), "2");
    EXPECT_EQ(NUVMfc::BeepCount(), beeps + 3);
    EXPECT_EQ(field.GetTipText(), "\xD6\xA7\xB3\xD6\xCB\xC4\xD4\xF2\xD4\xCB\xCB\xE3\xA1\xA3");  // 支持四则运算。
    EXPECT_EQ(field.GetLimitText(), 200u);
    EXPECT_EQ(field.GetTextMaxLen(), 200);
}

TEST(MathEditValue, NothingEvaluatedYetIsMinusOne) {
    CMathEdit field;
    double v = 5;
    EXPECT_EQ(field.GetExpressionValue(v), -1);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(field.GetExpressionValue(), 0.0);
}

}  // namespace
