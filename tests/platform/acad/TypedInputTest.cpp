// Typed answers as a user writes them: numbers, angles, points in every form, the angle
// override, and keyword lists with abbreviations and global names. Expected values are worked
// out by hand (angles in degrees converted here only for readability).
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "acad/TypedInput.h"

namespace {

using NUVAcad::AngleConvention;
using NUVAcad::KeywordList;
using NUVAcad::TypedPoint;

constexpr double kDeg = M_PI / 180.0;

TEST(TypedReal, AcceptsPlainDecimalsOnly) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"12", true, 12},       {"-3.5", true, -3.5},  {"+2", true, 2},     {".5", true, 0.5},
        {"5.", true, 5},        {"1e3", true, 1000},   {"2.5E-2", true, 0.025}, {" 7 ", true, 7},
        {"-.25", true, -0.25},  {"", false, 0},        {"-", false, 0},     {".", false, 0},
        {"1e", false, 0},       {"1,5", false, 0},     {"0x10", false, 0},  {"inf", false, 0},
        {"nan", false, 0},      {"1e999", false, 0},   {"12a", false, 0},   {"1.2.3", false, 0},
        {"--1", false, 0},      {"1 2", false, 0},
    };
    for (const Case& c : cases) {
        double v = -99;
        EXPECT_EQ(c.ok, NUVAcad::ParseTypedReal(c.text, v)) << c.text;
        EXPECT_DOUBLE_EQ(c.ok ? c.value : -99, v) << c.text;  // a refusal leaves the output alone
    }
}

TEST(TypedInteger, DigitsWithOptionalSign) {
    struct Case {
        const char* text;
        bool ok;
        long long value;
    } cases[] = {
        {"0", true, 0}, {"-32768", true, -32768}, {"32767", true, 32767}, {"+5", true, 5},
        {"40000", true, 40000}, {"1.0", false, 0}, {"1e2", false, 0}, {"", false, 0}, {"+", false, 0},
        {"99999999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        long long v = -99;
        EXPECT_EQ(c.ok, NUVAcad::ParseTypedInteger(c.text, v)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.value, v) << c.text;
        }
    }
}

TEST(TypedAngle, DegreesByDefaultAndEveryUnitForm) {
    struct Case {
        const char* text;
        bool ok;
        double radians;
    } cases[] = {
        {"45", true, 45 * kDeg},
        {"-90", true, -90 * kDeg},
        {"45d", true, 45 * kDeg},
        {"45d30'", true, 45.5 * kDeg},
        {"45d30'36\"", true, 45.51 * kDeg},
        {"-10d30'", true, -10.5 * kDeg},  // the sign covers the minutes too
        {"1.5r", true, 1.5},
        {"100g", true, M_PI / 2},
        {"400G", true, 2 * M_PI},
        {"45d-30'", false, 0},
        {"45d30", false, 0},  // minutes need their mark
        {"45x", false, 0},
        {"r", false, 0},
        {"1.5rr", false, 0},
        {"45d30'10\"x", false, 0},
    };
    for (const Case& c : cases) {
        double a = -99;
        EXPECT_EQ(c.ok, NUVAcad::ParseTypedAngle(c.text, a)) << c.text;
        if (c.ok) {
            EXPECT_NEAR(c.radians, a, 1e-12) << c.text;
        } else {
            EXPECT_EQ(-99, a) << c.text;
        }
    }
}

TEST(TypedPoint, EveryFormResolvesAgainstTheReference) {
    const double ref[3] = {10, 20, 5};
    const AngleConvention east;                       // 0 to the east, counter-clockwise
    const AngleConvention north{90 * kDeg, true};     // 0 to the north, clockwise (a compass)
    struct Case {
        const char* text;
        AngleConvention conv;
        double x, y, z;
        bool world;
    } cases[] = {
        {"3,4", east, 3, 4, 1.5, false},          // z from the elevation
        {"3,4,7", east, 3, 4, 7, false},
        {"-1.5,.5", east, -1.5, 0.5, 1.5, false},
        {"@3,4", east, 13, 24, 5, false},          // relative keeps the reference's z
        {"@3,4,-5", east, 13, 24, 0, false},
        {"@", east, 10, 20, 5, false},
        {"10<90", east, 0, 10, 1.5, false},
        {"@10<0", east, 20, 20, 5, false},
        {"@2<180", east, 8, 20, 5, false},
        {"@10<0", north, 10, 30, 5, false},        // compass 0 is north
        {"@10<90", north, 20, 20, 5, false},       // compass 90 is east
        {"5<0,2", east, 5, 0, 2, false},           // cylindrical: z given
        {"*1,2", east, 1, 2, 1.5, true},
        {"*1,2,3", east, 1, 2, 3, true},
    };
    for (const Case& c : cases) {
        TypedPoint p;
        ASSERT_TRUE(NUVAcad::ParseTypedPoint(c.text, p)) << c.text;
        double out[3];
        NUVAcad::ResolveTypedPoint(p, ref, 1.5, c.conv, out);
        EXPECT_NEAR(c.x, out[0], 1e-9) << c.text;
        EXPECT_NEAR(c.y, out[1], 1e-9) << c.text;
        EXPECT_NEAR(c.z, out[2], 1e-9) << c.text;
        EXPECT_EQ(c.world, p.world) << c.text;
    }
}

TEST(TypedPoint, RefusesWhatIsNotAPoint) {
    for (const char* text : {"", "5", "1,", ",1", "1,2,3,4", "a,b", "1;2", "@@1,2", "<45", "5<", "5<x", "@,",
                             "1,,2", "1 ,2x", "*", "*@1,2", "1,2<3"}) {
        TypedPoint p;
        p.v[0] = -99;
        EXPECT_FALSE(NUVAcad::ParseTypedPoint(text, p)) << text;
        EXPECT_EQ(-99, p.v[0]) << text;
    }
}

TEST(AngleOverride, LessThanSignThenAnAngle) {
    double a = 0;
    EXPECT_TRUE(NUVAcad::ParseAngleOverride("<30", a));
    EXPECT_NEAR(30 * kDeg, a, 1e-12);
    EXPECT_TRUE(NUVAcad::ParseAngleOverride("<1r", a));
    EXPECT_NEAR(1.0, a, 1e-12);
    EXPECT_FALSE(NUVAcad::ParseAngleOverride("<", a));
    EXPECT_FALSE(NUVAcad::ParseAngleOverride("30", a));
    EXPECT_FALSE(NUVAcad::ParseAngleOverride("<<30", a));
}

TEST(Keywords, AbbreviationsPrefixesAndFullWords) {
    KeywordList k("Window Crossing LType eXit none All ALign");
    struct Case {
        const char* typed;
        int index;
    } cases[] = {
        {"W", 0},      {"w", 0},     {"win", 0},   {"WINDOW", 0}, {"windows", -1},
        {"C", 1},      {"cross", 1}, {"LT", 2},    {"L", -1},     {"LTY", 2},
        {"ltype", 2},  {"X", 3},     {"EX", 3},    {"exit", 3},   {"E", -1},  // "e" is not the capital
        {"none", 4},   {"non", -1},  {"A", 5},     {"AL", 6},     {"ALI", 6},
        {"all", 5},    {"", -1},     {"Q", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.index, k.match(c.typed)) << c.typed;
}

TEST(Keywords, ExplicitAbbreviationAfterAComma) {
    KeywordList k("Polyline,PL Point,PO");
    EXPECT_EQ(0, k.match("PL"));
    EXPECT_EQ(0, k.match("polyline"));
    EXPECT_EQ(-1, k.match("poly"));  // the abbreviation is not a prefix: only it or the word select
    EXPECT_EQ(1, k.match("po"));
    EXPECT_EQ(1, k.match("POI"));
    EXPECT_EQ(1, k.match("POINT"));
    EXPECT_EQ(-1, k.match("P"));
    EXPECT_EQ("Polyline", k.local(0));
}

TEST(Keywords, LocalAndGlobalNames) {
    // Local words are what the user reads and types; the global ones are returned, and may be
    // typed with a leading underscore.
    KeywordList k("Shi Fou _ Yes No");
    ASSERT_EQ(2u, k.size());
    EXPECT_EQ(0, k.match("S"));
    EXPECT_EQ("Yes", k.result(0));
    EXPECT_EQ("No", k.result(k.match("f")));
    EXPECT_EQ(0, k.match("_Yes"));
    EXPECT_EQ(1, k.match("_N"));
    EXPECT_EQ(-1, k.match("Yes"));  // a global name is not a local keyword
    KeywordList plain("Yes No");
    EXPECT_EQ(1, plain.match("_No"));  // without globals "_" just marks the word as language-free
    EXPECT_EQ("No", plain.result(1));
}

TEST(Keywords, DoubleByteWordsAreMatchedWhole) {
    // A GBK keyword whose trail byte is an ASCII letter must not be folded or split.
    const std::string word = "\xB7\x61\xC3\xC5";  // two double-byte characters, trail bytes 'a' and 0xC5
    KeywordList k(word + " Other");
    EXPECT_EQ(0, k.match(word));
    EXPECT_EQ(-1, k.match("\xB7\x41\xC3\xC5"));  // upper-casing the trail byte would match this
    EXPECT_EQ(1, k.match("O"));
}

TEST(Keywords, EmptyAndBlankSpecs) {
    EXPECT_TRUE(KeywordList("").empty());
    EXPECT_TRUE(KeywordList("   ").empty());
    KeywordList k("  A   B  ");
    EXPECT_EQ(2u, k.size());
    EXPECT_EQ(1, k.match("b"));
}

}  // namespace
