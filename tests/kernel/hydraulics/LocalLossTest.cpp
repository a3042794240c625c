#include "hydraulics/LocalLoss.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;

double Rad(double degrees) { return degrees / 180.0 * kPi; }

struct Case {
    const char* what;
    double got;
    double want;
    double tol;  // 0: exact
};

void Check(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        if (c->tol == 0)
            EXPECT_EQ(c->got, c->want) << c->what;
        else
            EXPECT_NEAR(c->got, c->want, c->tol) << c->what;
    }
}

TEST(LocalLoss, PressureAndLength) {
    const Case cases[] = {
        // Bits computed outside this code base; other groupings of the products differ.
        {"Pd order", NUV::Pd(4.828, 5.82, 6.009), 0x1.eb5800386965fp+8, 0},
        {"hd order", NUV::hd(4.648, 2.085, 5.64), 0x1.ca92db3e08cb8p+0, 0},
        {"GetDY order", NUV::GetDY(7.964, 5.225), 0x1.4b65ad09b8e67p+7, 0},
        {"GetDLLength order", NUV::GetDLLength(9.639, 3.283, 5.238, 0.0309), 0x1.1b13e13868d37p+9, 0},
        {"GetDY(10,1.2)", NUV::GetDY(10, 1.2), 60, 1e-12},
        {"Pd(1,10,1.2)", NUV::Pd(1, 10, 1.2), 60, 1e-12},
        {"hd(1,2,9.81)", NUV::hd(1, 2, 9.81), 0.2039, 1e-4},
        {"GetDLLength", NUV::GetDLLength(10, 2, 0.1, 0.02), 20, 1e-12},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST(LocalLoss, RoundElbow) {
    const Case cases[] = {
        {"90 deg, R/D 1", NUV::GetSyphonDragLocalIndexCircle(kPi / 2, 1.0), 0.22, 0},
        {"R/D below table", NUV::GetSyphonDragLocalIndexCircle(kPi / 2, 0.3), 0.75, 0},
        {"R/D above table", NUV::GetSyphonDragLocalIndexCircle(kPi / 2, 3), 0.12, 0},
        {"180 deg", NUV::GetSyphonDragLocalIndexCircle(kPi, 1.0), 1.4 * 0.22, 1e-15},
        {"negative angle", NUV::GetSyphonDragLocalIndexCircle(-0.1, 1.0), 0, 0},
        {"45 deg, R/D 1.25", NUV::GetSyphonDragLocalIndexCircle(kPi / 4, 1.25), 0.111, 1e-12},
        {"angle between points", NUV::GetSyphonDragLocalIndexCircle(Rad(100), 2.0), 0.13 * 1.065, 1e-12},
        {"R/D between points", NUV::GetSyphonDragLocalIndexCircle(kPi / 2, 0.625), 0.54, 1e-12},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST(LocalLoss, RectangularElbow) {
    const double c1 = 0.1 * (1 + 1.4);  // r = 1, h/b = 1
    const Case cases[] = {
        {"r 1, h/b 1, Re 2e5, 90 deg", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 1, 200000, 1, 1), 0.24, 1e-15},
        // h/b outside 0.25..3: shape factor 1, whatever r is.
        {"h/b 4", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 1, 200000, 4, 1), 1.0, 1e-15},
        {"r 2.5", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 2.5, 300000, 1, 1), 1.0, 1e-15},
        {"r 0.8 reduces by 1-0.12r",
         NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.8, 300000, 2, 1),
         0.1 * (std::pow(1 / 0.8, 3.3) + 1.4) * std::pow(2.0, 0.15) * (1 - 0.12 * 0.8), 1e-12},
        // Reynolds factor: r < 0.75 reads the first table, which holds 1.4 at Re/10000 = 4.
        {"table 0.5 at 4e4", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.5, 40000, 5, 1), 1.4, 1e-12},
        {"table 0.5 at 5e4", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.5, 50000, 5, 1), 1.245, 1e-12},
        {"table 0.5 below", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.7, 5000, 5, 1), 1.4, 0},
        {"table 0.75 below", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.75, 5000, 5, 1), 2.0, 0},
        {"table 0.75 at 1.2e5", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 0.75, 120000, 5, 1), 1.225, 1e-12},
        {"beyond Re table", NUV::GetSyphonDragLocalIndexSquare(kPi / 2, 1, 1e7, 1, 1), c1, 1e-15},
        {"60 deg", NUV::GetSyphonDragLocalIndexSquare(kPi / 3, 1, 1e7, 1, 1), 0.78 * c1, 1e-12},
        {"negative angle", NUV::GetSyphonDragLocalIndexSquare(-1, 1, 1e7, 1, 1), 0, 0},
        {"200 deg", NUV::GetSyphonDragLocalIndexSquare(Rad(200), 1, 1e7, 1, 1), 1.4 * c1, 1e-12},
    };
    Check(std::begin(cases), std::end(cases));
    // Its angle factor agrees with the round elbow's at every table point and between them.
    for (double deg = -10; deg <= 200; deg += 2.5) {
        EXPECT_NEAR(NUV::GetSyphonDragLocalIndexSquare(Rad(deg), 1, 1e7, 4, 1),
                    NUV::GetSyphonDragLocalIndexCircle(Rad(deg), 0.75) / 0.33, 1e-12) << deg;
    }
}

TEST(LocalLoss, ConvergingTee) {
    // Straight streams: S = (v1 Q1 + v2 Q2)/Qc.
    const double s = (4.0 * 1 + 6.0 * 2) / 3;  // 5.333 > vc = 5
    const Case cases[] = {
        {"S > vc, stream 1", NUV::GetHeLiuSanTongDragLocalIndex(5, 3, 4, 1, 6, 2, 0, 0, 1),
         1 + 0.64 - 2 * s / 5, 1e-12},
        {"S > vc, stream 2", NUV::GetHeLiuSanTongDragLocalIndex(5, 3, 4, 1, 6, 2, 0, 0, 0),
         1 + 1.44 - 2 * s / 5, 1e-12},
        // S exactly vc takes the second formula. At S = vc both formulas are u^2/vc^2 - 1 in
        // exact arithmetic, so only the rounding tells them apart: with u = 1.2, S = (0 + 4*2)/2 = 4
        // the first gives -0.90999999999999992 (-0x1.d1eb851eb851ep-1), the second
        // -0.91000000000000014 (-0x1.d1eb851eb8520p-1), evaluated once in Python in the stated
        // order.
        {"S == vc", NUV::GetHeLiuSanTongDragLocalIndex(4, 2, 1.2, 0, 4, 2, 0, 0, 1), -0x1.d1eb851eb8520p-1, 0},
        {"branch at 90 deg", NUV::GetHeLiuSanTongDragLocalIndex(5, 3, 4, 1, 6, 2, kPi / 2, 0, 0),
         1.44 - 0.5 * std::pow(4.0 / 5, 2) - 4.0 / 5 + 0.5, 1e-12},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST(LocalLoss, DivergingTee) {
    // p1..p4 = 2, 3, 1, 7: the both-selector case uses x = p3/p1 = 0.5.
    auto z = [](double deg, int s1, int s2) {
        return NUV::GetFenLiuSanTongDragLocalIndex(2, 3, 1, 7, Rad(deg), s1, s2);
    };
    const double x = 0.5;
    const Case cases[] = {
        {"45 deg", z(45, 1, 1), ((x - 0.81) * (x - 0.81) + 0.4) / x / x, 1e-12},
        {"45.05 deg still 45", z(45.05, 1, 1), ((x - 0.81) * (x - 0.81) + 0.4) / x / x, 1e-12},
        {"90 deg", z(90, 1, 1), 4.5, 1e-12},
        // 45.2 deg: cos = 0.7046 > x, so the general formula divides by x once.
        {"45.2 deg", z(45.2, 1, 1),
         (std::pow(std::sin(Rad(45.2)), 2) + std::pow(std::cos(Rad(45.2)) - x, 2)) / x, 1e-12},
        {"70 deg, cos below x", z(70, 1, 1),
         (std::pow(std::sin(Rad(70)), 2) + 0.5 * x * (x - std::cos(Rad(70)))) / x / x, 1e-12},
        {"p2/p1 = 1.5", z(0, 1, 0), 0.35 * 2.25 + 0.7, 1e-12},
        {"p1/p3 = 2, no range", z(0, 0, 1), 0.35, 1e-12},
        {"p3/p1 = 0.5", z(0, 0, 0), 0.35 * 0.25, 1e-12},
        {"p2/p1 above 2", NUV::GetFenLiuSanTongDragLocalIndex(1, 2.5, 1, 1, 0, 1, 0), 0, 0},
        {"p2/p1 below 0.5", NUV::GetFenLiuSanTongDragLocalIndex(1, 0.4, 1, 1, 0, 1, 0), 0, 0},
        {"p3/p1 above 1", NUV::GetFenLiuSanTongDragLocalIndex(1, 1, 1.5, 1, 0, 0, 0), 0, 0},
        {"p3/p1 negative", NUV::GetFenLiuSanTongDragLocalIndex(1, 1, -0.5, 1, 0, 0, 0), 0, 0},
        {"p1/p3 = 10", NUV::GetFenLiuSanTongDragLocalIndex(10, 1, 1, 1, 0, 0, 7), 0.35 * 81, 1e-11},
    };
    Check(std::begin(cases), std::end(cases));
}

}  // namespace
