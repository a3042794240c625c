#include "acad/AcGeCircArc3d.h"

#include <cmath>

namespace {
constexpr double kTwoPi = 2.0 * M_PI;
}

AcGeCircArc3d& AcGeCircArc3d::set(const AcGePoint3d& cent, const AcGeVector3d& nrm, double radius) {
    AcGeVector3d n = nrm.normal();
    return set(cent, n, n.perpVector(), radius, 0.0, kTwoPi);
}

AcGeCircArc3d& AcGeCircArc3d::set(const AcGePoint3d& cent, const AcGeVector3d& nrm, const AcGeVector3d& refVec,
                                  double radius, double startAngle, double endAngle) {
    center_ = cent;
    radius_ = radius;
    setAxes(nrm, refVec);
    return setAngles(startAngle, endAngle);
}

AcGeCircArc3d& AcGeCircArc3d::set(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3) {
    // Circumcentre of the triangle, relative to p3: with a = p1 - p3 and b = p2 - p3,
    // c = p3 + ((|a|^2 b - |b|^2 a) x (a x b)) / (2 |a x b|^2).
    AcGeVector3d a = p1 - p3, b = p2 - p3;
    AcGeVector3d axb = a.crossProduct(b);
    double d = axb.lengthSqrd();
    // Collinear (or coincident) points: the sine of the angle at p3 is below 1e-10.
    if (d <= 1.0e-20 * a.lengthSqrd() * b.lengthSqrd()) {
        center_ = p1;
        radius_ = 0.0;
        normal_ = AcGeVector3d::kZAxis;
        refVec_ = AcGeVector3d::kXAxis;
        startAng_ = endAng_ = 0.0;
        return *this;
    }
    AcGeVector3d off = (b * a.lengthSqrd() - a * b.lengthSqrd()).crossProduct(axb) / (2.0 * d);
    center_ = p3 + off;
    radius_ = off.length();
    // Points met in this order turn counter-clockwise about (p2 - p1) x (p3 - p1).
    normal_ = (p2 - p1).crossProduct(p3 - p1).normal();
    refVec_ = (p1 - center_).normal();
    startAng_ = 0.0;
    endAng_ = refVec_.angleTo(p3 - center_, normal_);
    if (endAng_ <= 0.0) endAng_ = kTwoPi;
    return *this;
}

AcGeCircArc3d& AcGeCircArc3d::setAngles(double startAngle, double endAngle) {
    startAng_ = startAngle;
    endAng_ = endAngle;
    while (endAng_ < startAng_) endAng_ += kTwoPi;
    return *this;
}

AcGeCircArc3d& AcGeCircArc3d::setAxes(const AcGeVector3d& nrm, const AcGeVector3d& refVec) {
    normal_ = nrm.normal();
    AcGeVector3d r = refVec.orthoProject(normal_);
    refVec_ = r.isZeroLength() ? normal_.perpVector().normal() : r.normal();
    return *this;
}

double AcGeCircArc3d::paramOf(const AcGePoint3d& pnt) const {
    AcGeVector3d d = (pnt - center_).orthoProject(normal_);
    double a = d.isZeroLength() ? 0.0 : refVec_.angleTo(d, normal_);
    double rel = std::fmod(a - startAng_, kTwoPi);
    if (rel < 0.0) rel += kTwoPi;
    return startAng_ + rel;
}

bool AcGeCircArc3d::isOn(const AcGePoint3d& pnt, const AcGeTol& tol) const {
    double tp = tol.equalPoint();
    if (std::fabs((pnt - center_).dotProduct(normal_)) > tp) return false;
    if (std::fabs(pnt.distanceTo(center_) - radius_) > tp) return false;
    if (isClosed(tol)) return true;
    double a = paramOf(pnt);
    if (a <= endAng_) return true;
    // Just before the start, within tolerance, counts as on.
    return startPoint().isEqualTo(pnt, tol) || endPoint().isEqualTo(pnt, tol);
}

AcGePoint3d AcGeCircArc3d::closestPointTo(const AcGePoint3d& pnt) const {
    AcGeVector3d d = (pnt - center_).orthoProject(normal_);
    if (d.isZeroLength()) return startPoint();
    double a = paramOf(pnt);
    if (a <= endAng_ || isClosed()) return evalPoint(a);
    AcGePoint3d s = startPoint(), e = endPoint();
    return pnt.distanceTo(s) <= pnt.distanceTo(e) ? s : e;
}

AcGeCircArc3d& AcGeCircArc3d::transformBy(const AcGeMatrix3d& xform) {
    AcGeVector3d u = refVec_ * radius_;
    AcGeVector3d v = normal_.crossProduct(refVec_) * radius_;
    center_.transformBy(xform);
    u.transformBy(xform);
    v.transformBy(xform);
    radius_ = u.length();
    if (radius_ > 0.0) refVec_ = u / radius_;
    AcGeVector3d n = u.crossProduct(v);
    if (!n.isZeroLength()) normal_ = n.normal();
    return *this;
}
