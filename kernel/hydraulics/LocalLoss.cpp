#include "hydraulics/LocalLoss.h"

#include <cmath>
#include <cstddef>

namespace NUV {

namespace {

constexpr double kPi = 3.141592653589793;

struct Point {
    double x;
    double y;
};

// A row of the rectangular elbow's Reynolds-factor tables: the relative radius the table is
// labelled for, Re/10000 and the factor. The label documents the table; lookups ignore it.
struct LabelledPoint {
    double label;
    double x;
    double y;
};

// Elbow angle factor A by bend angle in degrees.
constexpr Point kAngleFactor[] = {
    {0, 0},      {20, 0.31},  {30, 0.45},  {45, 0.6},   {60, 0.78}, {75, 0.9},
    {90, 1.0},   {110, 1.13}, {130, 1.2},  {150, 1.28}, {180, 1.4},
};

// Round elbow coefficient at 90 degrees by relative bend radius R/D.
constexpr Point kRoundZeta90[] = {
    {0.5, 0.75}, {0.75, 0.33}, {1.0, 0.22}, {1.5, 0.15}, {2.0, 0.13}, {2.5, 0.12},
};

// Kept as published, including the 1.4 at Re/10000 = 4 which sits above both neighbours.
constexpr LabelledPoint kReFactor05[] = {
    {0.5, 1, 1.4},   {0.5, 2, 1.26}, {0.5, 3, 1.19},  {0.5, 4, 1.4},  {0.5, 6, 1.09},
    {0.5, 8, 1.06},  {0.5, 10, 1.04}, {0.5, 14, 1.0}, {0.5, 20, 1.0},
};
constexpr LabelledPoint kReFactor075[] = {
    {0.75, 1, 2.0},   {0.75, 2, 1.77},  {0.75, 3, 1.64},  {0.75, 4, 1.56}, {0.75, 6, 1.46},
    {0.75, 8, 1.38},  {0.75, 10, 1.3},  {0.75, 14, 1.15}, {0.75, 20, 1.0},
};

double Interpolate(double x0, double y0, double x1, double y1, double x) {
    return y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

// Finds the first abscissa above x (or, with orEqual, not below x) and interpolates towards the
// point before it; x before the first point gives the first value, x past the last point (or not
// a number) the last value.
template <class P, std::size_t N>
double Lookup(const P (&table)[N], double x, bool orEqual = false) {
    std::size_t i = 0;
    while (i < N && !(orEqual ? table[i].x >= x : table[i].x > x)) ++i;
    if (i == N) return table[N - 1].y;
    if (i == 0) return table[0].y;
    return Interpolate(table[i - 1].x, table[i - 1].y, table[i].x, table[i].y, x);
}

double Degrees(double angle) { return angle / kPi * 180.0; }

}  // namespace

double Pd(double zeta, double v, double rho) { return zeta * v * v * rho * 0.5; }

double hd(double zeta, double v, double g) { return zeta / g * v * v * 0.5; }

double GetDY(double v, double rho) { return v * v * rho * 0.5; }

double GetDLLength(double l, double zeta, double d, double lambda) { return zeta / lambda * d + l; }

double GetSyphonDragLocalIndexCircle(double angle, double rOverD) {
    const double zeta90 = Lookup(kRoundZeta90, rOverD);
    const double a = Lookup(kAngleFactor, Degrees(angle));
    return a * zeta90;
}

double GetSyphonDragLocalIndexSquare(double angle, double r, double Re, double h, double b) {
    const double k = h / b;
    double c = 1.0;
    if (!(k < 0.25 || k > 3.0 || r < 0.5 || r > 2.0)) {
        const double q = std::pow(1.0 / r, 3.3) + 1.4;
        if (r >= 1.0)
            c = 0.1 * q * std::pow(k, 0.15);
        else
            c = 0.1 * q * std::pow(k, 0.15) * (1.0 - 0.12 * r);
    }
    const double reBy10000 = Re * 0.0001;
    const double kRe = r < 0.75 ? Lookup(kReFactor05, reBy10000) : Lookup(kReFactor075, reBy10000);
    const double a = Lookup(kAngleFactor, Degrees(angle), true);
    return a * kRe * c;
}

double GetHeLiuSanTongDragLocalIndex(double vc, double Qc, double v1, double Q1, double v2,
                                     double Q2, double a1, double a2, int which) {
    const double s = (std::cos(a1) * v1 * Q1 + std::cos(a2) * v2 * Q2) * (1.0 / Qc);
    const double u = which != 0 ? v1 : v2;
    const double uc = u / vc;
    const double sc = s / vc;
    if (s > vc) return 1.0 + uc * uc - 2.0 * s / vc;
    if (s <= vc) return uc * uc - 0.5 * (sc * sc) - sc + 0.5;
    return 0.0;  // s or vc not a number
}

double GetFenLiuSanTongDragLocalIndex(double p1, double p2, double p3, double p4, double a, int s1,
                                      int s2) {
    if (s1 != 0 && s2 != 0) {
        // The cancelling factors are part of the evaluation; the ratio is p3/p1.
        const double x = (1.0 / p2 / p1 * p2 * p4) / (p4 / p3);
        const double deg = Degrees(a);
        const double c = std::cos(a);
        const double s = std::sin(a);
        if (std::fabs(deg - 45.0) <= 0.1) {
            const double t = x - 0.81;
            return (t * t + 0.4) * (1.0 / x) * (1.0 / x);
        }
        if (std::fabs(deg - 90.0) <= 0.1) {
            const double inv = 1.0 / x;
            return inv * inv + 0.5;
        }
        if (c > x) {
            const double t = c - x;
            return (s * s + t * t) / x;
        }
        return (s * s + 0.5 * x * (x - c)) * (1.0 / x) * (1.0 / x);
    }
    if (s1 != 0) {
        const double y = p2 / p1;
        if (y < 0.5 || y > 2.0) return 0.0;
        return 0.35 * (y * y) + 0.7;
    }
    if (s2 != 0) {
        // The ratio is p1/p3.
        const double x = (p4 / p3 / p4 * p2) / (p2 / p1);
        const double t = x - 1.0;
        return 0.35 * (t * t);
    }
    const double y = p3 / p1;
    if (y < 0.0 || y > 1.0) return 0.0;
    const double t = 1.0 - y;
    return 0.35 * (t * t);
}

}  // namespace NUV
