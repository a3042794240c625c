#include "acad/AcutGeom.h"

#include <cmath>

ads_real acutAngle(const ads_point pt1, const ads_point pt2) {
    double a = std::atan2(pt2[Y] - pt1[Y], pt2[X] - pt1[X]);
    if (a < 0.0) a += 2.0 * M_PI;
    return a >= 2.0 * M_PI ? 0.0 : a;
}

int acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point result) {
    double x = pt[X] + dist * std::cos(angle);
    double y = pt[Y] + dist * std::sin(angle);
    double z = pt[Z];
    result[X] = x;
    result[Y] = y;
    result[Z] = z;
    return RTNORM;
}

ads_real acutDistance(const ads_point pt1, const ads_point pt2) {
    double dx = pt2[X] - pt1[X], dy = pt2[Y] - pt1[Y], dz = pt2[Z] - pt1[Z];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}
