// Folding a direction into the readable half-plane.
#include "ZQCAD/TextAngles.h"

#include <cmath>
#include <numbers>

namespace ZQ {

bool GetRightTopAngles(double angle, double& rotation, double& side) {
    constexpr double pi = std::numbers::pi;
    constexpr double halfPi = pi / 2;
    constexpr double tolerance = 1e-9;
    if (!std::isfinite(angle)) {
        rotation = 0;
        side = halfPi;
        return false;
    }
    // fmod keeps the sign of `angle`: r lies in (-pi, pi).
    double r = std::fmod(angle, pi);
    if (r > halfPi + tolerance) r -= pi;
    if (r <= -halfPi + tolerance) r += pi;
    if (std::fabs(r - halfPi) <= tolerance) r = halfPi;
    rotation = r;
    side = r + halfPi;
    return true;
}

}  // namespace ZQ
