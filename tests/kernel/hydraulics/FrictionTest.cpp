#include "hydraulics/Friction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "hydraulics/Bisection.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Expected bits were computed outside this code base (IEEE doubles, same operation order);
// the inputs were chosen so that any other grouping of the formula gives different bits.
TEST(FrictionFormulas, ClosedFormsAreBitIdenticalInTheirWrittenOrder) {
    EXPECT_EQ(NUV::Re(0.674, 5.124, 1.712e-06), 0x1.ec7fbb37072d6p+20);
    EXPECT_EQ(NUV::Pl(1.528, 0.0147, 3.154, 8.18, 1.889), 0x1.cce130502820ap-4);
    EXPECT_EQ(NUV::D_A(2.425, 9.216), 0x1.55661f5bbd1a4p+2);
    EXPECT_EQ(NUV::D_F(4.909, 4.65), 0x1.4f11fe39ed31ap+2);
}

struct Case {
    const char* what;
    double got;
    double want;
    double tol;  // 0: exact
};

TEST(FrictionFormulas, DocumentedValues) {
    const Case cases[] = {
        {"D(0.1)", NUV::D(0.1), 0.4, 0},
        {"D_V square", NUV::D_V(0.5, 0.5), 0.5, 0},
        {"D_Circle(pi)", NUV::D_Circle(kPi), 2.0, 0},
        {"Rs(6,3)", NUV::Rs(6, 3), 2.0, 0},
        {"V(6,3)", NUV::V(6, 3), 2.0, 0},
        {"D_A is the circle of equal area", NUV::D_A(0.4, 0.2), NUV::D_Circle(0.08), 1e-15},
        {"D_F of a 1x1 duct", NUV::D_F(1, 1), 1.297 * std::pow(std::pow(2.0, -1.217), 1 / 5.007), 1e-12},
        {"L_Circle", NUV::L_Circle(0.2, 5), kPi * 0.01 * 5, 1e-15},
        {"V_Circle", NUV::V_Circle(kPi * 0.01 * 5, 0.2), 5.0, 1e-14},
        {"Re", NUV::Re(5, 0.2, 1.5e-5), 5 * 0.2 / 1.5e-5, 1e-9},
        {"x_LF(2000)", NUV::x_LF(2000), 0.032, 0},
        {"x_TF_B(100000)", NUV::x_TF_B(100000), 0.3164 / std::pow(100000.0, 0.25), 0},
        {"x_TF_M(1e5,1e-4)", NUV::x_TF_M(100000, 0.0001), 0.005 * (1 + std::cbrt(12.0)), 1e-12},
        {"x_TF_KN(0.001)", NUV::x_TF_KN(0.001), 1 / ((6 + 1.14) * (6 + 1.14)), 1e-15},
        {"x_TF_X(0.0001)", NUV::x_TF_X(0.0001), 0.011, 1e-15},
        {"Rm_Circle", NUV::Rm_Circle(0.02, 0.2, 5, 1.2), 1.5, 1e-14},
        {"Pl_Circle", NUV::Pl_Circle(1, 0.02, 0.2, 5, 1.2), 1.5, 1e-14},
        {"Pl_Square uses Rs = ab/(a+b)/2", NUV::Pl_Square(1, 0.02, 0.4, 0.2, 5, 1.2),
         NUV::Pl(1, 0.02, 0.08 / 0.6 * 0.5, 5, 1.2), 1e-15},
        {"Rm_Square equals Rm_Circle at D_V", NUV::Rm_Square(0.02, 0.4, 0.2, 5, 1.2),
         NUV::Rm_Circle(0.02, NUV::D_V(0.4, 0.2), 5, 1.2), 1e-13},
        {"x_TF_CW(1e5,1e-4)", NUV::x_TF_CW(100000, 0.0001), 0.0185138660775, 2e-9},
    };
    for (const Case& c : cases) {
        if (c.tol == 0)
            EXPECT_EQ(c.got, c.want) << c.what;
        else
            EXPECT_NEAR(c.got, c.want, c.tol) << c.what;
    }
}

TEST(FrictionFormulas, RangeBoundsAnswerMinusOne) {
    const Case cases[] = {
        {"B at 100000 is inside", double(NUV::x_TF_B(100000) > 0), 1, 0},
        {"B above", NUV::x_TF_B(100000.001), -1, 0},
        {"PN at 3400000", NUV::x_TF_PN(3400000), -1, 0},
        {"PN just below", double(NUV::x_TF_PN(3399999) > 0), 1, 0},
        {"SJ Re 5000", NUV::x_TF_SJ(5000, 0.001), -1, 0},
        {"SJ Re 1e8", NUV::x_TF_SJ(100000000, 0.001), -1, 0},
        {"SJ delta 0.01", NUV::x_TF_SJ(100000, 0.01), -1, 0},
        {"SJ delta 1e-6", NUV::x_TF_SJ(100000, 0.000001), -1, 0},
        {"SJ inside", double(NUV::x_TF_SJ(5000.5, 0.0099) > 0), 1, 0},
        {"M Re 4000", NUV::x_TF_M(4000, 0.001), -1, 0},
        {"M Re 1e7", NUV::x_TF_M(10000000, 0.001), -1, 0},
        {"M delta 0.01 accepted", double(NUV::x_TF_M(100000, 0.01) > 0), 1, 0},
        {"M delta above 0.01", NUV::x_TF_M(100000, 0.0100001), -1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

// Root of the smooth-pipe law by Newton's method in long double, independent of the bisection.
long double SmoothRoot(long double re) {
    long double x = 8;  // x = 1/sqrt(lambda): x = 2 lg(Re/x) - 0.8
    for (int i = 0; i < 100; ++i) {
        const long double g = x - 2 * std::log10(re / x) + 0.8L;
        const long double dg = 1 + 2 / (x * std::log(10.0L));
        x -= g / dg;
    }
    return 1 / (x * x);
}

TEST(FrictionBisections, PrandtlNikuradseFindsTheRoot) {
    for (double re : {2300.0, 1e4, 1e5, 1e6, 3.3e6}) {
        EXPECT_NEAR(NUV::x_TF_PN(re), static_cast<double>(SmoothRoot(re)), 1e-9) << re;
    }
    EXPECT_NEAR(NUV::x_TF_PN(100000), 0.0180, 0.0001);
}

TEST(FrictionBisections, ColebrookDividesRoughnessBy37Once) {
    // Independent Colebrook root by fixed-point iteration in long double.
    for (double delta : {0.0, 1e-4, 1e-3, 0.02}) {
        long double x = 8;
        for (int i = 0; i < 200; ++i) x = -2 * std::log10(2.51L * x / 100000 + delta / 3.7L);
        EXPECT_NEAR(NUV::x_TF_CW(100000, delta), static_cast<double>(1 / (x * x)), 3e-9) << delta;
    }
}

// Physics: the answers satisfy the equations they solve and agree with the explicit formulas.
TEST(FrictionPhysics, ColebrookResidualIsSmallEverywhere) {
    double worst = 0;
    for (double re = 2300; re <= 1e8; re *= 1.07) {
        for (double delta = 1e-6; delta <= 0.05; delta *= 1.3) {
            const double lambda = NUV::x_TF_CW(re, delta);
            ASSERT_GE(lambda, 0.0);
            ASSERT_LE(lambda, 1.0);
            const double f = 1 / std::sqrt(lambda) + 2 * std::log10(2.51 / (re * std::sqrt(lambda)) + delta / 3.7);
            worst = std::max(worst, std::fabs(f));
        }
    }
    EXPECT_LT(worst, 1e-6);
}

TEST(FrictionPhysics, SwameeJainTracksColebrookInsideItsRange) {
    // The published coefficient 1.352 sits 2 % above 0.25*ln(10)^2 = 1.3255, and the explicit
    // form itself errs by up to 2.8 % at Re near 5000 with rough walls; together the excess
    // stays under 5 % and is never a deficit of more than 1 %.
    double worst = 0;
    for (double re = 5001; re < 1e8; re *= 1.1) {
        for (double delta = 1.01e-6; delta < 0.01; delta *= 1.25) {
            const double sj = NUV::x_TF_SJ(re, delta);
            const double cw = NUV::x_TF_CW(re, delta);
            ASSERT_GT(sj, 0) << re << " " << delta;
            const double rel = (sj - cw) / cw;
            EXPECT_GT(rel, -0.01) << re << " " << delta;
            worst = std::max(worst, rel);
        }
    }
    EXPECT_LT(worst, 0.05);
    // With ordinary duct roughness at ordinary duct Reynolds numbers it is within 3 %.
    for (double re : {2e4, 5e4, 1e5, 3e5}) {
        const double cw = NUV::x_TF_CW(re, 0.0005);
        EXPECT_NEAR(NUV::x_TF_SJ(re, 0.0005), cw, 0.03 * cw) << re;
    }
}

TEST(FrictionPhysics, SmoothPipeFormulasAgreeWithColebrook) {
    for (double re = 1e4; re <= 1e5; re *= 1.05) {
        const double cw = NUV::x_TF_CW(re, 0.0);
        EXPECT_NEAR(NUV::x_TF_B(re), cw, 0.03 * cw) << re;
        EXPECT_NEAR(NUV::x_TF_PN(re), cw, 0.03 * cw) << re;
    }
    // Fully rough limit: Colebrook at huge Re approaches Karman-Nikuradse.
    for (double delta : {1e-4, 1e-3, 1e-2}) {
        const double cw = NUV::x_TF_CW(1e12, delta);
        EXPECT_NEAR(NUV::x_TF_KN(delta), cw, 0.01 * cw) << delta;
    }
}

}  // namespace
