// Wildcard matching and the point helpers on bare three-double points.
#include <gtest/gtest.h>

#include <cmath>

#include "acad/AcutGeom.h"
#include "acad/AcutWcMatch.h"

namespace {

TEST(AcutWcMatch, PatternSyntax) {
    struct Case {
        const char* str;
        const char* pattern;
        bool match;
    } cases[] = {
        {"ABC", "ABC", true},
        {"ABC", "abc", false},  // letter case counts
        {"ABC", "AB", false},
        {"ABC", "A*", true},
        {"ABC", "*C", true},
        {"ABC", "A*B*C", true},
        {"ABC", "A*D", false},
        {"", "*", true},
        {"", "", true},
        {"A", "", false},
        {"ABC", "A?C", true},
        {"AC", "A?C", false},
        {"A1C", "A#C", true},
        {"AXC", "A#C", false},
        {"AXC", "A@C", true},
        {"A1C", "A@C", false},
        {"A-C", "A.C", true},
        {"A C", "A.C", true},
        {"A1C", "A.C", false},
        {"AxC", "A.C", false},
        {"B", "[ABC]", true},
        {"D", "[ABC]", false},
        {"D", "[~ABC]", true},
        {"A", "[~ABC]", false},
        {"M", "[A-Z]", true},
        {"m", "[A-Z]", false},
        {"M", "[Z-A]", true},  // a reversed range covers the same letters
        {"A", "[Z-A]", true},
        {"Z", "[Z-A]", true},
        {"m", "[Z-A]", false},
        {"5", "[9-0]", true},
        {"-", "[Z-A]", false},
        {"-", "[A`-Z]", true},  // an escaped dash is a member, not a range
        {"M", "[A`-Z]", false},
        {"]", "[]]", true},
        {"ABC", "~A*", false},
        {"XBC", "~A*", true},
        {"LAYER1", "WALL*,LAYER#", true},
        {"DOOR", "WALL*,LAYER#", false},
        {"ABC", "X*,~A*", false},  // negation applies to its own alternative
        {"QBC", "X*,~A*", true},
        {"A*B", "A`*B", true},
        {"AXB", "A`*B", false},
        {"A,B", "A`,B", true},
        {"A", "A`,B", false},
        {"#", "`#", true},
        {"1", "`#", false},
        {"A,B", "[,]", false},
        {",", "[,]", true},
        {"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAB", "*A*A*A*A*A*A*A*A*C", false},
        // GBK double-byte characters count as one character each.
        {"\xB7\xE7\xB9\xDC", "??", true},
        {"\xB7\xE7\xB9\xDC", "???", false},
        {"\xB7\xE7\xB9\xDC" "1", "\xB7\xE7*#", true},
        {"\xB7\xE7", "@@", false},
        {"\x81\x41", "*A", false},  // 0x41 is a trail byte here, not the letter A
        {"\x81\x41", "[\x81\x40-\x81\x42]", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(acutWcMatch(c.str, c.pattern), c.match ? RTNORM : RTERROR) << c.str << " ~ " << c.pattern;
    EXPECT_EQ(acutWcMatch(nullptr, "*"), RTERROR);
    EXPECT_EQ(acutWcMatch("A", nullptr), RTERROR);
}

TEST(AcutGeom, AnglePolarDistance) {
    struct Case {
        double x, y, angle;
    } angles[] = {
        {1, 1, M_PI / 4}, {-1, -1, 5 * M_PI / 4}, {0, -1, 3 * M_PI / 2}, {-1, 0, M_PI}, {0, 0, 0},
    };
    for (const Case& c : angles) {
        ads_point from = {0, 0, 10}, to = {c.x, c.y, -3};  // Z plays no part
        EXPECT_NEAR(acutAngle(from, to), c.angle, 1e-12);
    }
    ads_point p = {1, 1, 7};
    ads_point q;
    EXPECT_EQ(acutPolar(p, M_PI / 2, 2, q), RTNORM);
    EXPECT_NEAR(q[X], 1, 1e-12);
    EXPECT_NEAR(q[Y], 3, 1e-12);
    EXPECT_EQ(q[Z], 7);
    acutPolar(p, M_PI, 3, p);  // in place
    EXPECT_NEAR(p[X], -2, 1e-12);
    EXPECT_NEAR(p[Y], 1, 1e-12);
    ads_point a = {1, 2, 3}, b = {4, 6, 3}, c = {1, 2, 5};
    EXPECT_DOUBLE_EQ(acutDistance(a, b), 5.0);
    EXPECT_DOUBLE_EQ(acutDistance(a, c), 2.0);
}

}  // namespace
