// CSuperEdit: the states of the checks for every class (the Part's edge cases and the limits one
// either side), the configuration rules, the brushes painted in a real field, refused characters,
// the default written back, the parent's notifications and custom validation with its answers,
// a parent that does not answer in time, the tooltip and the routed commands.
#include <QLineEdit>
#include <QToolTip>

#include <atomic>
#include <chrono>
#include <thread>

#include "QtTestApp.h"
#include "controls/SuperEdit.h"
#include "mfc/Afx.h"

namespace {

struct StateCase {
    VVEset set;
    const char* text;
    int state;
};

const StateCase kStates[] = {
    // signed integers
    {VVE_SINT, "-12", VVE_VALID}, {VVE_SINT, "-", VVE_INCOMPLETE}, {VVE_SINT, "+", VVE_INCOMPLETE},
    {VVE_SINT, "1-2", VVE_BAD_CHAR}, {VVE_SINT, "--1", VVE_BAD_CHAR}, {VVE_SINT, "2147483647", VVE_VALID},
    {VVE_SINT, "2147483648", VVE_TYPE_RANGE}, {VVE_SINT, "-2147483648", VVE_VALID},
    {VVE_SINT, "-2147483649", VVE_TYPE_RANGE}, {VVE_SINT, "000000000002147483647", VVE_VALID},
    {VVE_SINT, "1 2", VVE_BAD_CHAR}, {VVE_SINT, "1.5", VVE_BAD_CHAR},
    // unsigned integers
    {VVE_UINT, "4294967295", VVE_VALID}, {VVE_UINT, "4294967296", VVE_TYPE_RANGE}, {VVE_UINT, "0", VVE_VALID},
    {VVE_UINT, "-1", VVE_BAD_CHAR}, {VVE_UINT, "123456789012", VVE_TYPE_RANGE},
    // hexadecimal
    {VVE_HEX, "FFFFFFFF", VVE_VALID}, {VVE_HEX, "1FFFFFFFF", VVE_TYPE_RANGE}, {VVE_HEX, "000000001", VVE_VALID},
    {VVE_HEX, "ffffffff", VVE_VALID}, {VVE_HEX, "g", VVE_BAD_CHAR},
    // octal
    {VVE_OCT, "37777777777", VVE_VALID}, {VVE_OCT, "40000000000", VVE_TYPE_RANGE},
    {VVE_OCT, "100000000000", VVE_TYPE_RANGE}, {VVE_OCT, "7777777777", VVE_VALID},
    {VVE_OCT, "037777777777", VVE_VALID}, {VVE_OCT, "8", VVE_BAD_CHAR},
    // binary
    {VVE_BIN, "11111111111111111111111111111111", VVE_VALID},
    {VVE_BIN, "100000000000000000000000000000000", VVE_TYPE_RANGE},
    {VVE_BIN, "000000000000000000000000000000000001", VVE_VALID}, {VVE_BIN, "2", VVE_BAD_CHAR},
    // floating point
    {VVE_FLOAT, "1.5e3", VVE_VALID}, {VVE_FLOAT, "1e", VVE_INCOMPLETE}, {VVE_FLOAT, ".", VVE_INCOMPLETE},
    {VVE_FLOAT, ".5", VVE_VALID}, {VVE_FLOAT, "-.5", VVE_VALID}, {VVE_FLOAT, "1 ", VVE_BAD_CHAR},
    {VVE_FLOAT, " 1", VVE_VALID}, {VVE_FLOAT, "1e400", VVE_TYPE_RANGE}, {VVE_FLOAT, "1e-400", VVE_TYPE_RANGE},
    {VVE_FLOAT, "+", VVE_INCOMPLETE}, {VVE_FLOAT, "1e+", VVE_INCOMPLETE}, {VVE_FLOAT, "1E-5", VVE_VALID},
    {VVE_FLOAT, "1.2.3", VVE_BAD_CHAR}, {VVE_FLOAT, "1ee", VVE_BAD_CHAR}, {VVE_FLOAT, "--1", VVE_BAD_CHAR},
    {VVE_FLOAT, "1e5.5", VVE_BAD_CHAR}, {VVE_FLOAT, "x", VVE_BAD_CHAR}, {VVE_FLOAT, "0.0", VVE_VALID},
    {VVE_FLOAT, "1e308", VVE_VALID}, {VVE_FLOAT, "1e309", VVE_TYPE_RANGE},
    // letters
    {VVE_ALPHA, "ab c", VVE_VALID}, {VVE_ALPHA, "ab1", VVE_BAD_CHAR}, {VVE_ALNUM, "a 1", VVE_VALID},
    {VVE_ALNUM, "a-1", VVE_BAD_CHAR}, {VVE_ANY, "\xB7\xE7 -+!", VVE_VALID}, {VVE_ALPHA, "\xB7\xE7", VVE_BAD_CHAR},
    // nothing typed yet: accepted by default
    {VVE_FLOAT, "", VVE_EMPTY_OK}, {VVE_SINT, "", VVE_EMPTY_OK},
};

TEST(SuperEditChecks, StateOfEachText) {
    for (const StateCase& c : kStates) {
        CSuperEdit e;
        e.SetValidCharSet(c.set);
        EXPECT_EQ(e.ValidateText(c.text), c.state) << "class " << c.set << " '" << c.text << "'";
        EXPECT_EQ(e.GetState(), c.state);
        const bool valid = c.state == VVE_VALID || c.state == VVE_EMPTY_OK;
        EXPECT_EQ(e.IsValid(), valid ? 1 : 0) << "class " << c.set << " '" << c.text << "'";
    }
}

TEST(SuperEditChecks, CustomCharacters) {
    CSuperEdit e;
    e.SetValidCharSet(VVE_CUSTOM, "xyz");
    EXPECT_EQ(e.ValidateText("zyx"), VVE_VALID);
    EXPECT_EQ(e.ValidateText("xa"), VVE_BAD_CHAR);
    CString chars;
    e.GetValidChars(chars);
    EXPECT_EQ(chars, "xyz");
    e.SetValidChars("ab");
    EXPECT_EQ(e.ValidateText("xa"), VVE_BAD_CHAR);
    EXPECT_EQ(e.ValidateText("ba"), VVE_VALID);
    // Another class's value never counts as numeric.
    e.SetValidCharSet(static_cast<VVEset>(42));
    EXPECT_EQ(e.ValidateText("anything at all"), VVE_VALID);
}

TEST(SuperEditChecks, EmptyFieldWithAndWithoutValueCheck) {
    CSuperEdit e;
    e.SetInputFloat(5, 0, 10, 0, 0, nullptr);
    EXPECT_EQ(e.ValidateText(""), VVE_BELOW_MIN);
    EXPECT_EQ(e.IsValid(), 0);
    e.SetEableValueCheck(0);
    EXPECT_EQ(e.ValidateText(""), VVE_EMPTY_ERROR);
    EXPECT_EQ(e.IsValid(), 0);
    e.SetInputFloat(5, 0, 10, 1, 0, nullptr);
    EXPECT_EQ(e.ValidateText(""), VVE_EMPTY_OK);
    EXPECT_EQ(e.IsValid(), 1);
    e.SetTextLenMinMax(1, 10);  // a minimum length makes empty text an error
    EXPECT_EQ(e.ValidateText(""), VVE_EMPTY_ERROR);
}

TEST(SuperEditChecks, ValueLimitsAreInclusive) {
    const struct {
        const char* text;
        int state;
    } cases[] = {{"12", VVE_ABOVE_MAX}, {"10", VVE_VALID},     {"10.000001", VVE_ABOVE_MAX}, {"0", VVE_VALID},
                 {"-0.000001", VVE_BELOW_MIN}, {"5", VVE_VALID}, {"1e1", VVE_VALID},          {"1e", VVE_INCOMPLETE}};
    CSuperEdit e;
    e.SetInputFloat(5, 0, 10, 0, 0, nullptr);
    for (const auto& c : cases) {
        EXPECT_EQ(e.ValidateText(c.text), c.state) << c.text;
        EXPECT_EQ(e.IsValidValue(), c.state == VVE_ABOVE_MAX || c.state == VVE_BELOW_MIN ? 0 : 1) << c.text;
    }
    CSuperEdit i;
    i.SetInputSInt(0, -5, 5, 0, 0, nullptr);
    EXPECT_EQ(i.ValidateText("-5"), VVE_VALID);
    EXPECT_EQ(i.ValidateText("-6"), VVE_BELOW_MIN);
    EXPECT_EQ(i.ValidateText("6"), VVE_ABOVE_MAX);
}

TEST(SuperEditChecks, LengthLimits) {
    CSuperEdit e;
    e.SetValidCharSet(VVE_ALPHA);
    e.SetEnableLengthCheck(1);
    e.SetTextLenMinMax(2, 4);
    EXPECT_EQ(e.ValidateText("a"), VVE_TOO_SHORT);
    EXPECT_EQ(e.ValidateText("ab"), VVE_VALID);
    EXPECT_EQ(e.ValidateText("abcd"), VVE_VALID);
    EXPECT_EQ(e.ValidateText("abcde"), VVE_TOO_LONG);
    EXPECT_EQ(e.IsValidLength(), 1);  // empty text accepted: the length is not asked
    e.SetEmptyValid(0);
    e.ValidateText("abcde");
    EXPECT_EQ(e.IsValidLength(), 0);
    // A bad character and a wrong length: the length wins, as the check comes later.
    EXPECT_EQ(e.ValidateText("a1bcd9"), VVE_TOO_LONG);
}

TEST(SuperEditChecks, ConfigurationRules) {
    const struct {
        int min, max, wantMin, wantMax;
    } lengths[] = {{10, 3, 3, 10}, {-1, 70000, 0, 65535}, {0, 65535, 0, 65535}, {65535, 65536, 65535, 65535},
                   {65536, 5, 0, 5}, {7, 7, 7, 7}};
    for (const auto& c : lengths) {
        CSuperEdit e;
        e.SetTextLenMinMax(c.min, c.max);
        EXPECT_EQ(e.GetTextMinLen(), c.wantMin) << c.min << "," << c.max;
        EXPECT_EQ(e.GetTextMaxLen(), c.wantMax) << c.min << "," << c.max;
    }
    const struct {
        double def, min, max, wantDef, wantMin, wantMax;
    } values[] = {{20, 10, 0, 0, 0, 10}, {5, 0, 10, 5, 0, 10}, {10, 0, 10, 10, 0, 10}, {-1, 0, 10, 0, 0, 10}};
    for (const auto& c : values) {
        CSuperEdit e;
        e.SetAllValue(c.def, c.min, c.max);
        double d, lo, hi;
        e.GetAllValue(d, lo, hi);
        EXPECT_EQ(d, c.wantDef);
        EXPECT_EQ(lo, c.wantMin);
        EXPECT_EQ(hi, c.wantMax);
    }
    CSuperEdit e;
    int v = -1;
    e.SetCustomErrorIsValid(2, 1);
    e.SetCustomErrorIsValid(3, 1);  // ignored
    EXPECT_EQ(e.GetCustomErrorIsValid(2, v), 1);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(e.GetCustomErrorIsValid(1, v), 1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(e.GetCustomErrorIsValid(0, v), 0);
    e.SetTipText("a");
    EXPECT_EQ(e.GetTipText(), "a");
    e.SetTipText(nullptr);
    EXPECT_EQ(e.GetTipText(), "");
    EXPECT_EQ(e.IsValidValue(), 1);  // the value check starts off
    e.SetInputIntSim(7, 1, 0, nullptr);
    double d, lo, hi;
    e.GetAllValue(d, lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 100000);
    EXPECT_EQ(e.GetValidSet(), VVE_UINT);
    e.SetInputSIntSim(7, 1, 0, nullptr);
    e.GetAllValue(d, lo, hi);
    EXPECT_EQ(lo, -100000);
    e.SetInputFloatSim(7, 1, 0, nullptr);
    e.GetAllValue(d, lo, hi);
    EXPECT_EQ(hi, 1e30);
    EXPECT_EQ(e.GetValidSet(), VVE_FLOAT);
    e.SetValidCharSet(VVE_ALPHA);
    EXPECT_EQ(e.GetEnableRangeCheck(), 0);  // a letter class has no natural range
}

TEST(SuperEditChecks, RangeOfAValue) {
    const struct {
        VVEset set;
        double value;
        int result;
    } cases[] = {{VVE_UINT, -1, -1},          {VVE_UINT, 4294967295.0, 0}, {VVE_UINT, 4294967296.0, 1},
                 {VVE_HEX, -0.5, -1},         {VVE_OCT, 0, 0},             {VVE_BIN, 5e9, 1},
                 {VVE_FLOAT, 1e308, 0},       {VVE_FLOAT, -1e308, 0},      {VVE_SINT, -2147483648.0, 0},
                 {VVE_SINT, -2147483649.0, -1}, {VVE_SINT, 2147483648.0, 1}, {VVE_ALPHA, 3e9, 1},
                 {VVE_FLOAT, NAN, 1},         {VVE_FLOAT, INFINITY, 1},    {VVE_UINT, -INFINITY, 1}};
    for (const auto& c : cases) EXPECT_EQ(CSuperEdit::CheckRange(c.set, c.value), c.result) << c.set << " " << c.value;
    // A text's range: the runtime's reading, no hexadecimal or "inf" words. "0x10" reads as 0
    // (the "x" stops it) while holding a nonzero digit, which is taken for an underflow.
    EXPECT_EQ(CSuperEdit::CheckRange(VVE_FLOAT, "0x10"), -1);
    EXPECT_EQ(CSuperEdit::CheckRange(VVE_FLOAT, "inf"), 0);
    EXPECT_EQ(CSuperEdit::CheckRange(VVE_FLOAT, "1INF"), 1);
    EXPECT_EQ(CSuperEdit::CheckRange(VVE_UINT, "-5"), -1);
    EXPECT_EQ(CSuperEdit::CheckRange(VVE_SINT, "-99999999999"), -1);
    EXPECT_EQ(CSuperEdit::CheckRange(VVE_SINT, "-999999999999"), 1);  // a run of 12: too long to read
}

TEST(SuperEditChecks, BrushColours) {
    CSuperEdit e;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF expected[12] = {window,   window,   window,   0x0000FF, 0x80FFFF, 0x80FFFF,
                                   0x80FFFF, 0x80FFFF, 0x0000FF, 0x0000FF, 0xC4C4FF, 0xFFBEBE};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(e.GetBrushColour(static_cast<VVEbrush>(i)), expected[i]) << i;
    EXPECT_EQ(e.GetBrushColour(static_cast<VVEbrush>(12)), window);
    EXPECT_EQ(e.SetBrushColour(VVE_BELOW_MIN, RGB(1, 2, 3)), 0);
    EXPECT_EQ(e.GetBrushColour(VVE_BAD_CHAR), RGB(1, 2, 3));  // the one error brush
    EXPECT_EQ(e.GetBrushColour(VVE_INCOMPLETE), 0x80FFFFu);
    e.SetBrushColour(VVE_EMPTY_OK, RGB(9, 9, 9));
    EXPECT_EQ(e.GetBrushColour(VVE_EMPTY_ERROR), RGB(9, 9, 9));
    EXPECT_EQ(e.GetBrushColour(VVE_VALID), window);  // valid has a brush of its own
}

TEST(SuperEditChecks, ValuesWrittenAndRead) {
    const struct {
        VVEset set;
        double value;
        int decimals;
        const char* text;
    } cases[] = {{VVE_UINT, 12.7, 2, "12"},  {VVE_HEX, 255, 2, "ff"},      {VVE_OCT, 8, 2, "10"},
                 {VVE_BIN, 5, 2, "101"},     {VVE_BIN, 0, 2, "0"},         {VVE_FLOAT, 1.235, 2, "1.24"},
                 {VVE_FLOAT, 2.5, 0, "2"},   {VVE_FLOAT, 7, 3, "7.000"},   {VVE_SINT, -3.9, 2, "-3"},
                 {VVE_ANY, 42, 2, "42"}};
    for (const auto& c : cases) {
        CSuperEdit e;
        e.SetValidCharSet(c.set);
        EXPECT_EQ(e.SetWindowValue(c.value, c.decimals), 1);
        // Without a window the text is only validated; check the format through a window below.
        (void)c.text;
    }
}

class Parent : public CWnd {
public:
    std::vector<std::pair<VVEINFO, LPARAM>> validity;
    std::vector<std::pair<VVEINFO, CString>> asked;
    LRESULT answer = 0;
    bool answers = true;

protected:
    LRESULT OnValidChange(WPARAM w, LPARAM l) {
        validity.emplace_back(*reinterpret_cast<VVEINFO*>(w), l);
        return 0;
    }
    LRESULT OnValidate(WPARAM w, LPARAM l) {
        asked.emplace_back(*reinterpret_cast<VVEINFO*>(w), CString(reinterpret_cast<const char*>(l)));
        return answers ? answer : Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Parent, CWnd)
ON_MESSAGE(WM_VVE_VALIDCHANGE, OnValidChange)
ON_MESSAGE(WM_VVE_VALIDATE, OnValidate)
END_MESSAGE_MAP()

constexpr UINT kFieldId = 1234;

class SuperEditWindow : public QtTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 120), nullptr, 0));
        ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(10, 10, 200, 34), &parent, kFieldId));
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 50, 200, 74), &parent, kFieldId + 1));
        ShowActive(parent.GetQWidget());
        field.SetFocus();
    }
    CString Text() {
        CString t;
        field.GetWindowText(t);
        return t;
    }
    COLORREF Background() {
        QWidget* w = field.GetQWidget();
        return PaintedColour(w, QPoint(w->width() - 6, w->height() / 2));
    }
    void Clear() {
        static_cast<QLineEdit*>(field.GetQWidget())->selectAll();
        Key(field, Qt::Key_Backspace);
    }
    Parent parent;
    CSuperEdit field;
    CEdit other;
};

TEST_F(SuperEditWindow, CharactersOutsideTheClassAreRefusedWithABeep) {
    field.SetValidCharSet(VVE_UINT);
    const int beeps = NUVMfc::BeepCount();
    QTest::keyClicks(field.GetQWidget(), "-1a2");
    EXPECT_EQ(Text(), "12");
    EXPECT_EQ(NUVMfc::BeepCount(), beeps + 2);
    field.SetAllCharEntry(1);  // typing is free; the verdict still shows
    QTest::keyClicks(field.GetQWidget(), "a");
    EXPECT_EQ(Text(), "12a");
    EXPECT_EQ(field.GetState(), VVE_BAD_CHAR);
    Key(field, Qt::Key_Backspace);  // control characters always pass
    EXPECT_EQ(Text(), "12");
}

TEST_F(SuperEditWindow, TheVerdictPaintsTheBackground) {
    field.SetInputFloat(5, 0, 10, 0, 0, nullptr);
    EXPECT_EQ(Text(), "5.00");  // an empty field that may not be empty gets its default
    Clear();
    QTest::keyClicks(field.GetQWidget(), "12");
    EXPECT_EQ(field.GetState(), VVE_ABOVE_MAX);
    EXPECT_EQ(Background(), RGB(255, 0, 0));
    Key(field, Qt::Key_Backspace);
    EXPECT_EQ(field.GetState(), VVE_VALID);
    EXPECT_EQ(Background(), GetSysColor(COLOR_WINDOW));
    QTest::keyClicks(field.GetQWidget(), "e");
    EXPECT_EQ(field.GetState(), VVE_INCOMPLETE);
    EXPECT_EQ(Background(), RGB(0xFF, 0xFF, 0x80));  // 0x80FFFF: light yellow
    field.SetBrushColour(VVE_INCOMPLETE, RGB(0, 0, 255));
    EXPECT_EQ(Background(), RGB(0, 0, 255));
}

TEST_F(SuperEditWindow, LeavingAnInvalidFieldWritesTheDefault) {
    field.SetInputFloat(5, 0, 10, 0, 0, nullptr);
    Clear();
    QTest::keyClicks(field.GetQWidget(), "12");
    other.SetFocus();
    EXPECT_EQ(Text(), "5.00");
    EXPECT_EQ(field.IsValid(), 1);
    field.SetFocus();
    Clear();
    QTest::keyClicks(field.GetQWidget(), "7.5");
    other.SetFocus();
    EXPECT_EQ(Text(), "7.5");  // a valid value stays as typed
}

TEST_F(SuperEditWindow, ReadOnlyFieldsArePaintedAsUsualAndNotValidated) {
    field.SetInputFloat(5, 0, 10, 0, 0, nullptr);
    field.SetWindowText("12");
    EXPECT_EQ(field.GetState(), VVE_ABOVE_MAX);
    field.SetReadOnly(TRUE);
    field.SetBrushColour(VVE_ABOVE_MAX, RGB(0, 0, 255));
    EXPECT_EQ(Background(), GetSysColor(COLOR_BTNFACE));
}

TEST_F(SuperEditWindow, TheParentHearsEachChangeOfValidityWithTheRecord) {
    field.SetInputSInt(0, -5, 5, 1, 0, nullptr);
    parent.validity.clear();
    QTest::keyClicks(field.GetQWidget(), "4");  // valid, as the empty field was
    EXPECT_TRUE(parent.validity.empty());
    QTest::keyClicks(field.GetQWidget(), "0");  // 40: above the maximum
    ASSERT_EQ(parent.validity.size(), 1u);
    EXPECT_EQ(parent.validity[0].first.hWnd, field.m_hWnd);
    EXPECT_EQ(parent.validity[0].first.nID, kFieldId);
    EXPECT_EQ(parent.validity[0].first.state, VVE_ABOVE_MAX);
    EXPECT_EQ(parent.validity[0].second, 0);
    Key(field, Qt::Key_Backspace);
    ASSERT_EQ(parent.validity.size(), 2u);
    EXPECT_EQ(parent.validity[1].first.state, VVE_VALID);
    EXPECT_EQ(parent.validity[1].second, 1);
}

TEST_F(SuperEditWindow, CustomValidationTakesTheParentsAnswer) {
    field.SetCustomValidation(1);
    const struct {
        LRESULT answer;
        int state;
        COLORREF colour;
        int valid;
    } cases[] = {
        {0, VVE_VALID, GetSysColor(COLOR_WINDOW), 1},            // no verdict: the field's own
        {VVE_VALID, VVE_VALID, GetSysColor(COLOR_WINDOW), 1},
        {VVE_BAD_CHAR, VVE_BAD_CHAR, RGB(255, 0, 0), 0},
        {VVE_TYPE_RANGE, VVE_TYPE_RANGE, RGB(0xFF, 0xFF, 0x80), 0},
        {VVE_CUSTOM_ERROR1, VVE_CUSTOM_ERROR1, RGB(0xFF, 0xC4, 0xC4), 0},
        {VVE_CUSTOM_ERROR2, VVE_CUSTOM_ERROR2, RGB(0xBE, 0xBE, 0xFF), 0},
        {VVE_BELOW_MIN, VVE_EMPTY_ERROR, GetSysColor(COLOR_WINDOW), 0},  // 8 and 9 are no answers
        {12, VVE_VALID, GetSysColor(COLOR_WINDOW), 1},                   // nor is anything above 11
    };
    char ch = 'a';
    for (const auto& c : cases) {
        parent.answer = c.answer;
        parent.asked.clear();
        QTest::keyClicks(field.GetQWidget(), QString(QChar(ch++)));
        EXPECT_EQ(field.GetState(), c.state) << "answer " << c.answer;
        EXPECT_EQ(field.IsValid(), c.valid) << "answer " << c.answer;
        EXPECT_EQ(Background(), c.colour) << "answer " << c.answer;
        ASSERT_FALSE(parent.asked.empty());
        EXPECT_EQ(parent.asked.back().first.hWnd, field.m_hWnd);
        EXPECT_EQ(parent.asked.back().first.nID, kFieldId);
        EXPECT_EQ(parent.asked.back().second, Text());
    }
    // A custom error declared valid counts as valid syntax and keeps its colour.
    field.SetCustomErrorIsValid(1, 1);
    parent.answer = VVE_CUSTOM_ERROR1;
    QTest::keyClicks(field.GetQWidget(), "z");
    EXPECT_EQ(field.IsValid(), 1);
    EXPECT_EQ(Background(), RGB(0xFF, 0xC4, 0xC4));
}

TEST_F(SuperEditWindow, AParentThatDoesNotAnswerLeavesTheFieldToItself) {
    field.SetCustomValidation(1);
    parent.answers = false;  // handled by default: 0
    QTest::keyClicks(field.GetQWidget(), "q");
    EXPECT_EQ(field.GetState(), VVE_VALID);
    EXPECT_EQ(field.IsValid(), 1);
}

// The parent of another thread that takes no messages: the field gives up after a millisecond.
class Silent : public CWnd {};

TEST_F(SuperEditWindow, AParentThatTimesOutLeavesTheFieldToItself) {
    Silent silent;
    std::atomic<HWND> handle{nullptr};
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        silent.CreateMessageOnly();
        handle = silent.m_hWnd;
        while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        silent.DestroyWindow();
    });
    while (!handle) std::this_thread::yield();
    ::SetParent(field.m_hWnd, handle);
    EXPECT_EQ(::GetParent(field.m_hWnd), handle);
    field.SetCustomValidation(1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(field.ValidateText("abc"), VVE_VALID);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(field.IsValid(), 1);
    EXPECT_EQ(field.GetBrushColour(VVE_EMPTY_OK), GetSysColor(COLOR_WINDOW));
    stop = true;
    busy.join();
    ::SetParent(field.m_hWnd, parent.m_hWnd);
}

TEST_F(SuperEditWindow, TipShowsTheLimitsAndDefault) {
    other.SetFocus();
    field.SetInputFloat(5, 0, 10.5, 0, 1, nullptr);
    field.SetFocus();
    EXPECT_EQ(field.GetTipText(), "\xD7\xEE\xD0\xA1\xD6\xB5:0\n\xD7\xEE\xB4\xF3\xD6\xB5:10.5\n\xC4\xAC\xC8\xCF\xD6\xB5:5");
    QTest::mouseMove(field.GetQWidget(), QPoint(20, 10));
    QTest::qWait(700);
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("最小值:0\n最大值:10.5\n默认值:5"));
    field.SetTipText("\xBF\xD5");  // a tip of the program's own is kept
    other.SetFocus();
    field.SetFocus();
    EXPECT_EQ(field.GetTipText(), "\xBF\xD5");
}

TEST_F(SuperEditWindow, WrittenValuesAndRoutedCommands) {
    const struct {
        VVEset set;
        double value;
        int decimals;
        const char* text;
    } cases[] = {{VVE_UINT, 12.7, 2, "12"}, {VVE_HEX, 255, 2, "ff"},  {VVE_OCT, 8, 2, "10"},       {VVE_BIN, 5, 2, "101"},
                 {VVE_BIN, 0, 2, "0"},      {VVE_FLOAT, 1.235, 2, "1.24"}, {VVE_FLOAT, 7, 3, "7.000"}, {VVE_SINT, -3.9, 2, "-3"}};
    for (const auto& c : cases) {
        field.SetValidCharSet(c.set);
        EXPECT_EQ(field.SetWindowValue(c.value, c.decimals), 1) << c.text;
        EXPECT_EQ(Text(), c.text);
        double back = -1;
        EXPECT_EQ(field.GetWindowValue(back), 1) << c.text;
    }
    field.SetValidCharSet(VVE_HEX);
    field.SetWindowText("ff");
    EXPECT_EQ(field.GetWindowValue(), 255.0);
    field.SetValidCharSet(VVE_FLOAT);
    field.SetWindowText("1.5e3");
    long whole = 0;
    EXPECT_EQ(field.GetWindowValue(whole), 1);
    EXPECT_EQ(whole, 1500);
    field.SetWindowText("");
    double untouched = 9;
    EXPECT_EQ(field.GetWindowValue(untouched), 0);
    EXPECT_EQ(untouched, 9);
    field.SetWindowText("12345");
    field.SendMessage(WM_COMMAND, ID_VVE_SELECTALL, 0);
    int s = -1, e = -1;
    field.GetSel(s, e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 5);
    field.SendMessage(WM_COMMAND, ID_VVE_CLEAR, 0);
    EXPECT_EQ(Text(), "");
    field.SendMessage(WM_COMMAND, ID_VVE_UNDO, 0);
    EXPECT_EQ(Text(), "12345");
}

}  // namespace
