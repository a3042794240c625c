// Validation runs on every keystroke and repaint of a field, so it must not touch the heap: the
// checks of every class allocate nothing, and validating a window's text allocates only the
// text itself. This program counts the global allocation functions to hold the field to it.
#include "CountingAllocator.h"

#include <QLineEdit>
#include <QTest>

#include "QtTestApp.h"
#include "controls/MathEdit.h"
#include "controls/SuperEdit.h"

using NUVTest::g_allocations;

namespace {

TEST(FieldAllocation, CounterSeesAllocations) {
    const std::size_t before = g_allocations;
    delete new int(1);
    EXPECT_EQ(g_allocations, before + 1);
}

TEST(FieldAllocation, ChecksOfEveryClassAllocateNothing) {
    const char* texts[] = {"",      "-12",         "2147483648", "1.5e3",  "1e400",          "1e-400", ".",
                           "ffff",  "37777777777", "101",        "ab c",   "\xB7\xE7\xB9\xDC", "--1",  " 1",
                           "12345678901234567890123456789012345678901234567890"};
    for (int set = VVE_CUSTOM; set <= VVE_FLOAT; ++set) {
        CSuperEdit field;
        field.SetValidCharSet(static_cast<VVEset>(set), "0123456789abc");
        field.SetEnableLengthCheck(1);
        field.SetTextLenMinMax(1, 20);
        field.SetEableValueCheck(1);
        field.SetAllValue(5, 0, 10);
        for (const char* text : texts) {
            const std::size_t before = g_allocations;
            const int state = field.ValidateText(text);
            EXPECT_EQ(g_allocations - before, 0u) << "class " << set << " '" << text << "' state " << state;
        }
    }
}

class WindowAllocation : public QtTest {};

TEST_F(WindowAllocation, ValidatingAFieldAllocatesOnlyItsText) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 80), nullptr, 0));
    CSuperEdit field;
    ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(5, 5, 290, 30), &parent, 1));
    field.SetInputFloat(5, 0, 1e9, 0, 0, nullptr);
    // Longer than any string keeps inside itself: its one buffer is the allocation counted.
    field.SetWindowText("123456789.123456789012345678");
    field.DoValidation(0);  // the first validation may set up what stays
    const std::size_t before = g_allocations;
    field.DoValidation(0);
    EXPECT_EQ(g_allocations - before, 1u);
    field.SetWindowText("42");
    const std::size_t small = g_allocations;
    field.DoValidation(0);
    EXPECT_EQ(g_allocations - small, 0u);  // a short text lives inside the string itself
}

// A keystroke in a validated field costs the heap no more than one in a bare line edit: the
// framework's delivery of the key (messages, key state, the widget's own handling) adds nothing.
TEST_F(WindowAllocation, AKeystrokeAllocatesNoMoreThanInABareLineEdit) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 100), nullptr, 0));
    CSuperEdit field;
    ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(5, 5, 390, 30), &parent, 1));
    field.SetInputFloat(5, 0, 1e30, 1, 0, nullptr);
    auto* bare = new QLineEdit(parent.GetQWidget());
    parent.ShowWindow(SW_SHOW);
    const std::string keys = "1234.5678";
    auto type = [&](QWidget* w) {
        const std::size_t before = g_allocations;
        for (char c : keys) QTest::keyClick(w, c);
        return g_allocations - before;
    };
    for (int warm = 0; warm < 2; ++warm) {  // glyphs and caches the first keys fill
        field.SetWindowText("");
        bare->clear();
        type(field.GetQWidget());
        type(bare);
    }
    field.SetWindowText("");
    bare->clear();
    const std::size_t inField = type(field.GetQWidget());
    const std::size_t inBare = type(bare);
    EXPECT_LE(inField, inBare) << keys.size() << " keys";
}

}  // namespace
