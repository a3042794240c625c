#include "acad/AcGePoint3d.h"

#include "acad/AcGeMatrix3d.h"
#include "acad/AcGePlane.h"

AcGePoint3d::AcGePoint3d(const AcGePlane& plane, const AcGePoint2d& p) {
    AcGePoint3d o;
    AcGeVector3d u, v;
    plane.getCoordSystem(o, u, v);
    *this = o + u * p.x + v * p.y;
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) { return setToProduct(m, *this); }

AcGePoint3d& AcGePoint3d::setToProduct(const AcGeMatrix3d& m, const AcGePoint3d& p) {
    const auto& e = m.entry;
    double a = p.x, b = p.y, c = p.z;
    x = e[0][0] * a + e[0][1] * b + e[0][2] * c + e[0][3];
    y = e[1][0] * a + e[1][1] * b + e[1][2] * c + e[1][3];
    z = e[2][0] * a + e[2][1] * b + e[2][2] * c + e[2][3];
    return *this;
}

AcGePoint3d operator*(const AcGeMatrix3d& mat, const AcGePoint3d& pnt) {
    AcGePoint3d r;
    return r.setToProduct(mat, pnt);
}

AcGePoint3d& AcGePoint3d::rotateBy(double angle, const AcGeVector3d& axis, const AcGePoint3d& wrtPoint) {
    AcGeVector3d d = (*this - wrtPoint).rotateBy(angle, axis);
    return *this = wrtPoint + d;
}

AcGePoint3d& AcGePoint3d::mirror(const AcGePlane& plane) {
    return *this -= plane.normal() * (2.0 * plane.signedDistanceTo(*this));
}

AcGePoint3d AcGePoint3d::orthoProject(const AcGePlane& plane) const { return plane.closestPointTo(*this); }

AcGePoint3d AcGePoint3d::project(const AcGePlane& plane, const AcGeVector3d& dir) const {
    double denom = dir.dotProduct(plane.normal());
    if (std::fabs(denom) <= AcGeContext::gTol.equalVector() * dir.length()) return *this;
    return *this - dir * (plane.signedDistanceTo(*this) / denom);
}

AcGePoint2d AcGePoint3d::convert2d(const AcGePlane& plane) const {
    AcGePoint3d o;
    AcGeVector3d u, v;
    plane.getCoordSystem(o, u, v);
    AcGeVector3d d = *this - o;
    return {d.dotProduct(u), d.dotProduct(v)};
}
