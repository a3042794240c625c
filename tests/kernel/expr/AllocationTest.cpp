// The evaluator runs on every keystroke of an expression field and promises no heap use. This
// program replaces the global allocation functions with counting ones to hold it to that.
#include <gtest/gtest.h>

#include "CountingAllocator.h"

#include "expr/MathString.h"

using NUVTest::g_allocations;

namespace {

TEST(MathStringAllocation, CounterSeesAllocations) {
    const std::size_t before = g_allocations;
    void* p = ::operator new(16);
    ::operator delete(p);
    EXPECT_EQ(g_allocations, before + 1);
}

TEST(MathStringAllocation, WholeCallingOrderUsesNoHeap) {
    const char* texts[] = {"2*(3.5+1.2)", "sqrt(2)*x", "-[pow(x,2)+mod(7,3)]/{4}", "2(3)", "1/0",
                           "acos(2)", "2x", "", "pow(2,-1)", "cosh(sinh(tanh(x)))", "1.2.3", "Sin(1)"};
    for (const char* text : texts) {
        const std::size_t before = g_allocations;
        CMathString m(text, 1.5);
        int code = 99;
        if (m.checkString() == 1 && m.stringToBolan() == 1) code = m.compvalue();
        CMathString copy(m);
        copy = m;
        copy.Initial(text, 2.0);
        const double value = m.getvalue() + copy.getvalue();
        const std::size_t used = g_allocations - before;
        EXPECT_EQ(used, 0u) << text << " code " << code << " value " << value;
    }
}

}  // namespace
