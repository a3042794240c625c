#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "expr/MathString.h"

namespace {

constexpr int kInvalid = 99;  // checkString refused the text
constexpr double kPi = 3.14159265358979323846;

struct Outcome {
    int code;
    double value;
};

// The whole calling order on a fresh object; `value` is what getvalue holds afterwards.
Outcome Evaluate(const std::string& text, double x = 0.0) {
    CMathString m(text.c_str(), x);
    if (m.checkString() != 1) return {kInvalid, m.getvalue()};
    EXPECT_EQ(m.stringToBolan(), 1);
    const int code = m.compvalue();
    return {code, m.getvalue()};
}

const struct {
    const char* text;
    double x;
    int code;
    double value;  // checked when code is 0
} kCases[] = {
    // Cases every user of the field relies on.
    {"2*(3+4)", 0, 0, 14}, {"2(3+4)", 0, 0, 14}, {"10(3)", 0, 0, 30}, {"9(2)", 0, 0, 18},
    {"-2*3", 0, 0, -6}, {"-(2+3)", 0, 0, -5}, {"(-3)*2", 0, 0, -6}, {"2*-3", 0, kInvalid, 0},
    {"[1+2]*{3}", 0, 0, 9}, {"pow(2,10)", 0, 0, 1024}, {"mod(7,3)", 0, 0, 1}, {"mod(7,0)", 0, 5, 0},
    {"cosh(0)", 0, 0, 1}, {"tanh(0)", 0, 0, 0}, {"cot(1)", 0, 0, 0.6420926159343306}, {"sqrt(-1)", 0, 8, 0},
    {"ln(0)", 0, 6, 0}, {"1/0", 0, 1, 0}, {"acos(2)", 0, 2, 0}, {"2x", 3, -1, 0}, {"2*x", 3, 0, 6},
    {"", 0, -1, 0}, {"sin 1", 0, kInvalid, 0}, {"Sin(1)", 0, kInvalid, 0}, {"2+", 0, -1, 0},
    // Precedence, association, nesting, brackets, implicit products, numbers.
    {"1+2*3", 0, 0, 7}, {"1-2*3", 0, 0, -5}, {"8/4/2", 0, 0, 1}, {"2-3-4", 0, 0, -5}, {"8-2+1", 0, 0, 7},
    {"10/4*2", 0, 0, 5}, {"-2*3+1", 0, 0, -5}, {"-2+3", 0, 0, 1}, {"1-(-2)", 0, 0, 3}, {"-6/2/3", 0, 0, -1},
    {"2*(3.5+1.2)", 0, 0, 9.4}, {"((((1+2))))", 0, 0, 3}, {"2*(3*(4+1)-[5-{1+1}])", 0, 0, 24},
    {"{[(1)]}", 0, 0, 1}, {"2[3]", 0, 0, 6}, {"2.5(2)", 0, 0, 5}, {"3sqrt(4)", 0, 0, 6},
    {"sin[0]+1", 0, 0, 1}, {"pow{2,3}", 0, 0, 8}, {"pow(2,pow(2,3))", 0, 0, 256}, {"abs(-sin(0)-3)", 0, 0, 3},
    {".5+5.", 0, 0, 5.5}, {"0.1+0.2", 0, 0, 0.3}, {"007", 0, 0, 7}, {"pow(2,(-1))", 0, 0, 0.5},
    {"pow(2,-1)", 0, -1, 0},  // a minus after the comma is binary: the second argument goes missing
    // Every function.
    {"abs(-2.5)", 0, 0, 2.5}, {"acos(0.5)", 0, 0, kPi / 3}, {"asin(0.5)", 0, 0, kPi / 6},
    {"atan(1)", 0, 0, kPi / 4}, {"acot(2)", 0, 0, 0.4636476090008061}, {"cos(1)", 0, 0, 0.5403023058681398},
    {"cosh(1)", 0, 0, 1.5430806348152437}, {"cot(0.5)", 0, 0, 1.830487721712452}, {"exp(1)", 0, 0, 2.718281828459045},
    {"floor(-2.5)", 0, 0, -3}, {"mod(-7,3)", 0, 0, -1}, {"mod(7.5,2)", 0, 0, 1.5}, {"ln(exp(2))", 0, 0, 2},
    {"log(1000)", 0, 0, 3}, {"pow(2,0.5)", 0, 0, 1.4142135623730951}, {"sin(1)", 0, 0, 0.8414709848078965},
    {"sinh(1)", 0, 0, 1.1752011936438014}, {"sqrt(2.25)", 0, 0, 1.5}, {"tan(1)", 0, 0, 1.5574077246549023},
    {"tanh(1)", 0, 0, 0.7615941559557649},
    // The domain limits of acos and asin are inside the domain.
    {"acos(1)", 0, 0, 0}, {"acos(-1)", 0, 0, kPi}, {"asin(1)", 0, 0, kPi / 2}, {"asin(-1)", 0, 0, -kPi / 2},
    {"acos(x)", 1.0000000000000002, 2, 0}, {"asin(x)", -1.0000000000000002, 3, 0},
    // Every error code.
    {"1/(2-2)", 0, 1, 0}, {"x/x", 0, 1, 0}, {"acos(-1.5)", 0, 2, 0}, {"asin(1.0001)", 0, 3, 0}, {"cot(0)", 0, 4, 0},
    {"mod(1,x)", 0, 5, 0}, {"ln(-1)", 0, 6, 0}, {"log(0)", 0, 7, 0}, {"log(-2)", 0, 7, 0}, {"sqrt(-0.5)", 0, 8, 0},
    {"+3", 0, -1, 0}, {"1,2", 0, -1, 0}, {"pow(2)", 0, -1, 0}, {"mod(1,2,3)", 0, -1, 0}, {"()", 0, -1, 0},
    {"2*(1/0)+sqrt(-1)", 0, 1, 0},
    // The variable.
    {"x", -1.5, 0, -1.5}, {"sqrt(x)", 16, 0, 4}, {"-x*x", 3, 0, -9}, {"x*x-2*x+1", 4, 0, 9}, {"x(2)", 1, -1, 0},
};

TEST(MathString, Evaluates) {
    for (const auto& c : kCases) {
        const Outcome o = Evaluate(c.text, c.x);
        EXPECT_EQ(o.code, c.code) << '"' << c.text << '"';
        if (c.code == 0 && o.code == 0) {
            EXPECT_NEAR(o.value, c.value, 1e-12 * (1.0 + std::fabs(c.value))) << '"' << c.text << '"';
        }
    }
}

TEST(MathString, ValidationRefuses) {
    for (const char* text : {"(1+2]", "(1", "1)", "[1+2)", "}1{", "sin1", "sinh 1", "2**3", "2+*3", "1e3",
                             "1.2.3", "2.5.", "y", "X", "#1", "1#2", "2+3#", "#", "(1)#", "si(1)", "co(1)", "2 ",
                             "sqr(4)", "\xB6\xFE"}) {
        EXPECT_EQ(CMathString(text).checkString(), 0) << '"' << text << '"';
    }
}

// checkString and stringToBolan, as every caller runs them.
bool Prepare(CMathString& m) { return m.checkString() == 1 && m.stringToBolan() == 1; }

TEST(MathString, StateBetweenCalls) {
    CMathString m("exp(1)", 2.0);
    EXPECT_EQ(m.hasX, 1);  // set by the constructor with a value
    ASSERT_TRUE(Prepare(m));
    EXPECT_EQ(m.hasX, 0);  // the x of exp is not the variable
    m.Initial("x+1", 1.0);
    ASSERT_TRUE(Prepare(m));
    EXPECT_EQ(m.hasX, 1);
    // The postfix pass copies X into the sequence; a new X takes effect with a new conversion.
    m.setX(5.0);
    EXPECT_EQ(m.compvalue(), 0);
    EXPECT_EQ(m.getvalue(), 2.0);
    EXPECT_TRUE(m.stringToBolan() == 1 && m.compvalue() == 0 && m.getvalue() == 6.0);
    for (const char* bad : {"1/0", "sqrt(-4)", "2+", ""}) {  // failures keep the last good value
        m.Initial(bad);
        ASSERT_TRUE(Prepare(m)) << bad;
        EXPECT_NE(m.compvalue(), 0) << bad;
        EXPECT_EQ(m.getvalue(), 6.0) << bad;
    }
    EXPECT_EQ(CMathString().compvalue(), -1);  // nothing converted yet
}

std::string Repeat(const char* piece, int times) {
    std::string s;
    while (times-- > 0) s += piece;
    return s;
}

// "#" is the evaluator's own end marker, never a character of what the user typed: a text that
// carries one, even at its very end, is invalid, so a validated text handed to another evaluator
// through Initial must be validated from the user's text again.
TEST(MathString, EndMarkerInTextIsInvalid) {
    CMathString a("2+3", 0.0);
    ASSERT_TRUE(Prepare(a));
    ASSERT_STREQ(a.text, "2+3#");
    CMathString d;
    d.Initial(a.text, a.getX());
    EXPECT_EQ(d.checkString(), 0);
    const std::string digits(200, '1');
    EXPECT_EQ(CMathString((digits + "#").c_str()).checkString(), 0);  // 201 characters
    EXPECT_EQ(CMathString(digits.c_str()).checkString(), 1);          // the same 200 alone
}

TEST(MathString, TextLengthLimit) {
    // The sum shows that nothing of the 200 characters was cut off.
    const std::string at = Repeat("1+", 99) + "10", over = Repeat("1+", 99) + "100", huge(10000, '1');
    ASSERT_EQ(over.size(), 201u);
    EXPECT_EQ(Evaluate(at).code, 0);
    EXPECT_EQ(Evaluate(at).value, 109.0);
    for (const std::string* s : {&over, &huge}) {
        CMathString a(s->c_str()), b(s->c_str(), 1.0), c, d;
        c.Initial(s->c_str());
        d.Initial(s->c_str(), 1.0);
        for (CMathString* m : {&a, &b, &c, &d}) {
            EXPECT_LE(std::strlen(m->text), 201u);
            EXPECT_EQ(m->checkString(), 0);
        }
    }
    // Deep brackets and long chains of implicit products stay within the fixed stacks.
    EXPECT_EQ(Evaluate(std::string(99, '(') + "1" + std::string(99, ')')).code, 0);
    EXPECT_EQ(Evaluate(Repeat("2(", 66) + "2" + std::string(66, ')')).value, std::ldexp(1.0, 67));
    EXPECT_EQ(Evaluate(std::string(150, 'x')).code, -1);  // more values than the stack holds
}

TEST(MathString, CopiesAndAssignment) {
    CMathString a("2*x+[1]", 4.0), c, d;
    ASSERT_TRUE(Prepare(a));
    CMathString b(a);
    c = a;
    a.Initial("100");
    ASSERT_TRUE(Prepare(a));
    for (CMathString* m : {&b, &c}) {
        EXPECT_STREQ(m->text, "2*x+(1)#");
        ASSERT_EQ(m->compvalue(), 0);  // its own postfix sequence, not a's new one
        EXPECT_EQ(m->getvalue(), 9.0);
    }
}

std::string Postfix(const char* text) {
    CMathString m(text);
    if (!Prepare(m)) return "invalid";
    std::string s;
    for (const CMathString::Token& t : m.postfix) {
        if (t.kind == CMathString::OPERATOR && t.op == '#') break;
        if (!s.empty()) s += ' ';
        if (t.kind == CMathString::NUMBER) s += std::to_string(static_cast<int>(t.number));
        else s += t.kind == CMathString::FUNCTION ? "f" + std::to_string(t.func) : std::string(1, t.op);
    }
    return s;
}

TEST(MathString, PostfixOrder) {
    const char* const cases[][2] = {
        {"-2*3", "2 3 * ~"},     {"-2*3+4", "2 3 * ~ 4 +"}, {"1-2-3", "1 2 - 3 -"},
        {"2(3)", "2 3 *"},       {"2sin(1)", "2 1 f15 *"},  {"sin(1)*2", "1 f15 2 *"},
        {"mod(7,3)", "7 3 f11"}, {"cosh(1)", "1 f7"},       {"tanh(1)-sinh(1)", "1 f19 1 f16 -"},
        {"1+2*3/4", "1 2 3 * 4 / +"},
    };
    for (const auto& c : cases) EXPECT_EQ(Postfix(c[0]), c[1]) << c[0];
}

// The fraction is a sum of digit x place factor (0.1, 0.01, ...), so some values land one unit
// in the last place away from the nearest double. Expected bit patterns were computed once with
// Python's float arithmetic doing the same sum (w += d*f; f *= 0.1), independently of this code.
TEST(MathString, Numbers) {
    const struct {
        const char* digits;
        double value;
    } numbers[] = {
        {"12", 12},
        {".5", 0.5},
        {"3.25", 3.25},
        {"0.3", 0.30000000000000004},  // 0 + 3*0.1, not the double nearest 0.3
        {"1.15", 1.1500000000000001},
        {"0.29", 0.29000000000000004},
        {"2.675", 2.675},
        {"123.456789", 123.456789},
        {"7.", 7},
        {"12+3", 12},
        {"1.5.7", 1.5},
    };
    for (const auto& n : numbers) EXPECT_EQ(CMathString::stringToDigital(n.digits), n.value) << n.digits;
}

// What the digit-by-digit fraction shows to a user: the floors below are one higher than with the
// nearest double (floor(1.15*100) would be 114, floor(0.29*100) 28).
TEST(MathString, FloorOfScaledDecimals) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"floor(1.15*100)", 115},
        {"floor(0.29*100)", 29},
        {"floor(0.57*100)", 57},
        {"floor(2.675*100)", 267},
    };
    for (const auto& c : cases) {
        const Outcome o = Evaluate(c.text);
        EXPECT_EQ(o.code, 0) << c.text;
        EXPECT_EQ(o.value, c.value) << c.text;
    }
}

}  // namespace
