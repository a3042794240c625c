#pragma once
#include <cmath>

#include "acad/AcGeMatrix3d.h"
#include "acad/AcGePlane.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector3d.h"

// A circular arc in space: centre, unit normal, unit reference vector in the arc's plane,
// radius and the start and end angles, measured from the reference vector counter-clockwise
// about the normal. The arc runs from startAng to endAng (endAng >= startAng); 0..2pi is a full
// circle.
class AcGeCircArc3d {
public:
    AcGeCircArc3d() = default;
    AcGeCircArc3d(const AcGePoint3d& cent, const AcGeVector3d& nrm, double radius) { set(cent, nrm, radius); }
    AcGeCircArc3d(const AcGePoint3d& cent, const AcGeVector3d& nrm, const AcGeVector3d& refVec,
                  double radius, double startAngle = 0.0, double endAngle = 2.0 * M_PI) {
        set(cent, nrm, refVec, radius, startAngle, endAngle);
    }
    // Through three points, from startPoint through pnt to endPoint. The reference vector points
    // at the start point, so startAng is 0 and endAng is the sweep. Collinear points leave a
    // degenerate arc of radius 0 (isDegenerate()).
    AcGeCircArc3d(const AcGePoint3d& startPoint, const AcGePoint3d& pnt, const AcGePoint3d& endPoint) {
        set(startPoint, pnt, endPoint);
    }

    AcGeCircArc3d& set(const AcGePoint3d& cent, const AcGeVector3d& nrm, double radius);
    AcGeCircArc3d& set(const AcGePoint3d& cent, const AcGeVector3d& nrm, const AcGeVector3d& refVec,
                       double radius, double startAngle, double endAngle);
    AcGeCircArc3d& set(const AcGePoint3d& startPoint, const AcGePoint3d& pnt, const AcGePoint3d& endPoint);

    AcGeCircArc3d& setCenter(const AcGePoint3d& cent) { center_ = cent; return *this; }
    AcGeCircArc3d& setRadius(double radius) { radius_ = radius; return *this; }
    AcGeCircArc3d& setAngles(double startAngle, double endAngle);
    // The reference vector is made perpendicular to the normal.
    AcGeCircArc3d& setAxes(const AcGeVector3d& nrm, const AcGeVector3d& refVec);

    const AcGePoint3d& center() const { return center_; }
    const AcGeVector3d& normal() const { return normal_; }
    const AcGeVector3d& refVec() const { return refVec_; }
    double radius() const { return radius_; }
    double startAng() const { return startAng_; }
    double endAng() const { return endAng_; }
    bool isClosed(const AcGeTol& tol = AcGeContext::gTol) const {
        return (endAng_ - startAng_) * radius_ >= 2.0 * M_PI * radius_ - tol.equalPoint();
    }
    bool isDegenerate() const { return !(radius_ > 0.0); }
    AcGePlane getPlane() const { return AcGePlane(center_, refVec_, normal_.crossProduct(refVec_)); }

    // The point at the given angle (from the reference vector, about the normal).
    AcGePoint3d evalPoint(double angle) const {
        AcGeVector3d v = normal_.crossProduct(refVec_);
        return center_ + (refVec_ * std::cos(angle) + v * std::sin(angle)) * radius_;
    }
    AcGePoint3d startPoint() const { return evalPoint(startAng_); }
    AcGePoint3d endPoint() const { return evalPoint(endAng_); }
    double length() const { return radius_ * (endAng_ - startAng_); }

    // Angle of the point's projection on the arc's plane, in [startAng, startAng + 2pi).
    double paramOf(const AcGePoint3d& pnt) const;
    bool isOn(const AcGePoint3d& pnt, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePoint3d closestPointTo(const AcGePoint3d& pnt) const;

    // Keeps the angles: a mirror turns the normal over so the arc still runs counter-clockwise
    // about it. Non-uniform scaling is not representable and takes the X scale of the arc.
    AcGeCircArc3d& transformBy(const AcGeMatrix3d& xform);

private:
    AcGePoint3d center_{0, 0, 0};
    AcGeVector3d normal_{0, 0, 1};
    AcGeVector3d refVec_{1, 0, 0};
    double radius_ = 1.0;
    double startAng_ = 0.0;
    double endAng_ = 2.0 * M_PI;
};
