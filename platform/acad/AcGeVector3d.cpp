#include "acad/AcGeVector3d.h"

#include "acad/AcGeMatrix3d.h"
#include "acad/AcGePlane.h"

AcGeVector3d AcGeVector3d::perpVector() const {
    const double kArbitraryBound = 1.0 / 64.0;
    if (std::fabs(x) < kArbitraryBound && std::fabs(y) < kArbitraryBound) return kYAxis.crossProduct(*this);
    return kZAxis.crossProduct(*this);
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) { return setToProduct(m, *this); }

AcGeVector3d& AcGeVector3d::setToProduct(const AcGeMatrix3d& m, const AcGeVector3d& v) {
    const auto& e = m.entry;
    double a = v.x, b = v.y, c = v.z;
    x = e[0][0] * a + e[0][1] * b + e[0][2] * c;
    y = e[1][0] * a + e[1][1] * b + e[1][2] * c;
    z = e[2][0] * a + e[2][1] * b + e[2][2] * c;
    return *this;
}

AcGeVector3d operator*(const AcGeMatrix3d& mat, const AcGeVector3d& vec) {
    AcGeVector3d r;
    return r.setToProduct(mat, vec);
}

AcGeVector3d& AcGeVector3d::rotateBy(double angle, const AcGeVector3d& axis) {
    AcGeVector3d k = axis.normal();
    if (k.isZeroLength()) return *this;
    // Rodrigues' rotation formula.
    double c = std::cos(angle), s = std::sin(angle);
    AcGeVector3d v = *this;
    return *this = v * c + k.crossProduct(v) * s + k * (k.dotProduct(v) * (1.0 - c));
}

AcGeVector3d& AcGeVector3d::mirror(const AcGeVector3d& normalToPlane) {
    AcGeVector3d n = normalToPlane.normal();
    return *this -= n * (2.0 * dotProduct(n));
}

AcGeVector3d AcGeVector3d::orthoProject(const AcGeVector3d& planeNormal) const {
    AcGeVector3d n = planeNormal.normal();
    return *this - n * dotProduct(n);
}

double AcGeVector3d::angleOnPlane(const AcGePlane& plane) const {
    AcGePoint3d o;
    AcGeVector3d u, v;
    plane.getCoordSystem(o, u, v);
    double a = std::atan2(dotProduct(v), dotProduct(u));
    if (a < 0.0) a += 2.0 * M_PI;
    return a >= 2.0 * M_PI ? 0.0 : a;
}
