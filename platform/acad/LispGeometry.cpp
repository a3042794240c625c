// Plane geometry on points: polar, angle, distance, inters. Angles are radians in the XY plane,
// counter-clockwise from the X axis; a 2-D point keeps its two coordinates in results.
#include <cmath>
#include <numbers>

#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

LispValue polar(LispMachine& m, LispArgs a) {
    double p[3];
    const int dims = m.pointArg(a, 0, p);
    const double angle = m.numArg(a, 1);
    const double dist = m.numArg(a, 2);
    double q[3] = {p[0] + dist * std::cos(angle), p[1] + dist * std::sin(angle), p[2]};
    return m.makePoint(q, dims);
}

LispValue angle(LispMachine& m, LispArgs a) {
    double p[3], q[3];
    m.pointArg(a, 0, p);
    m.pointArg(a, 1, q);
    double r = std::atan2(q[1] - p[1], q[0] - p[0]);
    if (r < 0) r += 2 * std::numbers::pi;
    return LispValue::real(r);
}

LispValue distance(LispMachine& m, LispArgs a) {
    double p[3], q[3];
    const int dp = m.pointArg(a, 0, p);
    const int dq = m.pointArg(a, 1, q);
    // A 2-D point on either side makes it a distance in the XY plane.
    const double dz = dp == 3 && dq == 3 ? q[2] - p[2] : 0.0;
    return LispValue::real(std::sqrt((q[0] - p[0]) * (q[0] - p[0]) + (q[1] - p[1]) * (q[1] - p[1]) + dz * dz));
}

// (inters p1 p2 p3 p4 [onseg]): where line p1-p2 meets line p3-p4 in the XY plane; with onseg
// absent or non-nil both segments must contain the point. nil for parallel lines.
LispValue inters(LispMachine& m, LispArgs a) {
    double p[4][3];
    int dims = 3;
    for (int i = 0; i < 4; ++i) dims = std::min(dims, m.pointArg(a, i, p[i]));
    const bool onSegments = a.n < 5 || !a[4].isNil();
    const double d1x = p[1][0] - p[0][0], d1y = p[1][1] - p[0][1];
    const double d2x = p[3][0] - p[2][0], d2y = p[3][1] - p[2][1];
    const double den = d1x * d2y - d1y * d2x;
    if (den == 0) return LispValue();
    const double t = ((p[2][0] - p[0][0]) * d2y - (p[2][1] - p[0][1]) * d2x) / den;
    const double u = ((p[2][0] - p[0][0]) * d1y - (p[2][1] - p[0][1]) * d1x) / den;
    const double eps = 1e-10;
    if (onSegments && (t < -eps || t > 1 + eps || u < -eps || u > 1 + eps)) return LispValue();
    double r[3] = {p[0][0] + t * d1x, p[0][1] + t * d1y, p[0][2] + t * (p[1][2] - p[0][2])};
    return m.makePoint(r, dims);
}

const LispBuiltin kGeometry[] = {
    {"polar", polar, 3, 3},
    {"angle", angle, 2, 2},
    {"distance", distance, 2, 2},
    {"inters", inters, 4, 5},
};

}  // namespace

std::span<const LispBuiltin> lispGeometryBuiltins() { return kGeometry; }

}  // namespace NUVAcad
