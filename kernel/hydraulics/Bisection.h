// The two implicit friction-factor equations and their bisections, written once as templates so
// that the exported functions and the diagnostics (which count residual evaluations) run the very
// same steps. Callers of the library use x_TF_PN and x_TF_CW from Friction.h.
#pragma once

#include <cmath>

namespace NUV::Bisection {

// Counts nothing; the exported functions use it.
struct NoCount {
    void operator()() const {}
};

// Residual of the smooth-pipe law 1/sqrt(l) = 2 lg(Re sqrt(l)) - 0.8; rises with l.
inline double ResidualPN(double Re, double lambda) {
    const double root = std::pow(lambda, 0.5);
    return 2.0 * std::log10(Re * root) - 0.8 - 1.0 / root;
}

// Residual of the Colebrook-White law with the roughness already divided by 3.7; falls with l.
inline double ResidualCW(double Re, double deltaBy37, double lambda) {
    const double root = std::sqrt(lambda);
    return 1.0 / root + 2.0 * std::log10(2.51 / (Re * root) + deltaBy37);
}

// A residual that is not a number moves the bracket as a non-positive one and never converges:
// |NaN| <= tol is false, and !(f > 0) is true.
inline bool NotPositive(double f) { return !(f > 0.0); }

constexpr double kTolerance = 0.000000001;

template <class Count>
double SolvePN(double Re, Count&& count) {
    if (Re >= 3400000.0) return -1.0;
    double lo = std::pow(2.7183, 0.8) / (Re * Re);
    // Re of 0, not a number, or so small that the lower bound overflows: every trial would be
    // infinite or not a number and neither stopping test could ever pass.
    if (!std::isfinite(lo)) return -1.0;
    double hi = 1.0;
    double p = 1.0;
    double m = (lo + 1.0) * 0.5;
    count();
    double f = ResidualPN(Re, m);
    for (;;) {
        if (std::fabs(f) <= kTolerance) return m;
        if (NotPositive(f)) lo = m; else hi = m;
        m = (hi + lo) * 0.5;
        count();
        f = ResidualPN(Re, m);
        if (std::fabs(m - p) <= kTolerance) return m;
        p = m;
    }
}

// The bracket stays inside [0, 1] and halves every pass, so this ends for every input.
template <class Count>
double SolveCW(double Re, double delta, Count&& count) {
    const double d = delta * 0.27027027027027023;
    double lo = 0.0;
    double hi = 1.0;
    double p = 1.0;
    double m = 0.5;
    count();
    double f = ResidualCW(Re, d, m);
    for (;;) {
        if (std::fabs(f) <= kTolerance) return m;
        if (NotPositive(f)) hi = m; else lo = m;
        m = (hi + lo) * 0.5;
        count();
        f = ResidualCW(Re, d, m);
        if (std::fabs(m - p) <= kTolerance) return m;
        p = m;
    }
}

}  // namespace NUV::Bisection
