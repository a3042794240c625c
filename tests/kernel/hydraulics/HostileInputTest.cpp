// Every function must return for every input; the bisections must end even where their
// iterations could never converge, without changing any ordinary result.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "hydraulics/FluidProperties.h"
#include "hydraulics/Friction.h"
#include "hydraulics/LocalLoss.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::vector<double> kHostile = {
    0.0,  -0.0,    -1.0,   -3.5e6,  1e-320, -1e-320, 1e-160, std::numeric_limits<double>::min(),
    1e300, -1e300, kInf,   -kInf,   kNaN,   std::numeric_limits<double>::max(), 0.5, 1e9,
};

// The bisections as the algorithm reads, without any protection and with a pass limit so that
// this reference itself always ends; used only where it converges.
double ReferencePN(double re) {
    if (re >= 3400000) return -1;
    double lo = std::pow(2.7183, 0.8) / (re * re), hi = 1, p = 1, m = (lo + 1) * 0.5;
    auto f = [re](double l) { return 2 * std::log10(re * std::pow(l, 0.5)) - 0.8 - 1 / std::pow(l, 0.5); };
    double r = f(m);
    for (int pass = 0; pass < 5000; ++pass) {
        if (std::fabs(r) <= 1e-9) return m;
        if (r > 0) hi = m; else lo = m;
        m = (hi + lo) * 0.5;
        r = f(m);
        if (std::fabs(m - p) <= 1e-9) return m;
        p = m;
    }
    return kNaN;
}

TEST(HostileInput, BisectionsEnd) {
    for (double re : kHostile) {
        const double pn = NUV::x_TF_PN(re);
        if (re == 0 || std::isnan(re) || std::fabs(re) < 1e-150 || re >= 3400000) {
            EXPECT_EQ(pn, -1.0) << re;
        }
        for (double delta : kHostile) {
            const double cw = NUV::x_TF_CW(re, delta);
            EXPECT_TRUE(cw >= 0.0 && cw <= 1.0) << re << " " << delta << " -> " << cw;
        }
    }
    // Re of 0 drives Colebrook-White towards 1, Re not a number towards 0.
    EXPECT_NEAR(NUV::x_TF_CW(0, 0.001), 1.0, 1e-8);
    EXPECT_NEAR(NUV::x_TF_CW(kNaN, 0.001), 0.0, 1e-8);
}

TEST(HostileInput, ProtectionLeavesOrdinaryResultsAlone) {
    for (double re = 1.0; re < 3.4e6; re *= 1.37) EXPECT_EQ(NUV::x_TF_PN(re), ReferencePN(re)) << re;
    // Negative and minus-infinite Re still run the written steps to their end.
    for (double re : {-1.0, -2500.0, -1e7, -kInf}) EXPECT_EQ(NUV::x_TF_PN(re), ReferencePN(re)) << re;
}

TEST(HostileInput, EveryFunctionReturns) {
    // Nothing here may hang, trap or read outside a table (the sanitizers watch the last).
    double sink = 0;
    for (double a : kHostile) {
        for (double b : kHostile) {
            sink += NUV::D(a) + NUV::Rs(a, b) + NUV::D_V(a, b) + NUV::D_F(a, b) + NUV::D_A(a, b) +
                    NUV::D_Circle(a) + NUV::L(a, b) + NUV::L_Square(a, b, a) + NUV::L_Circle(a, b) +
                    NUV::V(a, b) + NUV::V_Square(a, b, a) + NUV::V_Circle(a, b) + NUV::Re(a, b, a);
            sink += NUV::x_LF(a) + NUV::x_TF_B(a) + NUV::x_TF_SJ(a, b) + NUV::x_TF_A(a, b) +
                    NUV::x_TF_M(a, b) + NUV::x_TF_KN(a) + NUV::x_TF_X(a);
            sink += NUV::Pl(a, b, a, b, a) + NUV::Pl_Circle(a, b, a, b, a) +
                    NUV::Pl_Square(a, b, a, b, a, b) + NUV::Rm(a, b, a, b) + NUV::Rm_Circle(a, b, a, b) +
                    NUV::Rm_Square(a, b, a, b, a);
            sink += NUV::Pd(a, b, a) + NUV::hd(a, b, a) + NUV::GetDY(a, b) + NUV::GetDLLength(a, b, a, b);
            sink += NUV::GetSyphonDragLocalIndexCircle(a, b) +
                    NUV::GetSyphonDragLocalIndexSquare(a, b, a, b, a) +
                    NUV::GetSyphonDragLocalIndexSquare(b, 1.0, a, 1.0, 1.0);
            sink += NUV::GetHeLiuSanTongDragLocalIndex(a, b, a, b, a, b, a, b, 1) +
                    NUV::GetHeLiuSanTongDragLocalIndex(b, a, b, a, b, a, b, a, 0);
            for (int s = 0; s < 4; ++s)
                sink += NUV::GetFenLiuSanTongDragLocalIndex(a, b, a, b, a, s & 1, s & 2);
            sink += NUV::GetDensity(a, b, a) + NUV::GetWaterFlux(a, b);
        }
        sink += NUV::GetBhDqYl(a) + NUV::GetWaterMD(a) + NUV::GetWaterND(a);
    }
    (void)sink;
    // Not a number is outside the vapour-pressure table and passes through the water tables.
    EXPECT_EQ(NUV::GetBhDqYl(kNaN), -1.0);
    EXPECT_TRUE(std::isnan(NUV::GetWaterMD(kNaN)));
    EXPECT_TRUE(std::isnan(NUV::GetWaterND(kNaN)));
    EXPECT_EQ(NUV::GetWaterMD(kInf), 958.38);
    EXPECT_EQ(NUV::GetWaterND(1e300), 0.365);
    EXPECT_EQ(NUV::GetWaterMD(-kInf), 999.3);
    // Tee coefficients: a converging tee with no number to compare gives 0.
    EXPECT_EQ(NUV::GetHeLiuSanTongDragLocalIndex(kNaN, 1, 1, 1, 1, 1, 0, 0, 1), 0.0);
}

}  // namespace
