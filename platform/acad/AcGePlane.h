#pragma once
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector3d.h"

// An unbounded plane with its own coordinate system: an origin, a U and a V axis (unit,
// perpendicular) and the normal U x V.
class AcGePlane {
public:
    static const AcGePlane kXYPlane;
    static const AcGePlane kYZPlane;
    static const AcGePlane kZXPlane;

    constexpr AcGePlane() = default;
    // U follows the arbitrary-axis rule of entity coordinates for that normal.
    AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal) { set(origin, normal); }
    AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& uAxis, const AcGeVector3d& vAxis) {
        set(origin, uAxis, vAxis);
    }
    // Through three points: origin p1, U towards p2, V on the side of p3.
    AcGePlane(const AcGePoint3d& p1, const AcGePoint3d& p2, const AcGePoint3d& p3) { set(p1, p2 - p1, p3 - p1); }

    AcGePlane& set(const AcGePoint3d& origin, const AcGeVector3d& normal);
    // V is made perpendicular to U within the plane they span.
    AcGePlane& set(const AcGePoint3d& origin, const AcGeVector3d& uAxis, const AcGeVector3d& vAxis);

    const AcGePoint3d& pointOnPlane() const { return origin_; }
    const AcGeVector3d& normal() const { return normal_; }
    void getCoordSystem(AcGePoint3d& origin, AcGeVector3d& axis1, AcGeVector3d& axis2) const {
        origin = origin_;
        axis1 = u_;
        axis2 = v_;
    }

    // Positive on the side the normal points to.
    double signedDistanceTo(const AcGePoint3d& pnt) const { return (pnt - origin_).dotProduct(normal_); }
    double distanceTo(const AcGePoint3d& pnt) const { return std::fabs(signedDistanceTo(pnt)); }
    bool isOn(const AcGePoint3d& pnt, const AcGeTol& tol = AcGeContext::gTol) const {
        return distanceTo(pnt) <= tol.equalPoint();
    }
    AcGePoint3d closestPointTo(const AcGePoint3d& pnt) const { return pnt - normal_ * signedDistanceTo(pnt); }
    bool isParallelTo(const AcGePlane& p, const AcGeTol& tol = AcGeContext::gTol) const {
        return normal_.isParallelTo(p.normal_, tol);
    }
    bool isCoplanarTo(const AcGePlane& p, const AcGeTol& tol = AcGeContext::gTol) const {
        return isParallelTo(p, tol) && isOn(p.origin_, tol);
    }

private:
    constexpr AcGePlane(AcGePoint3d o, AcGeVector3d u, AcGeVector3d v, AcGeVector3d n)
        : origin_(o), u_(u), v_(v), normal_(n) {}

    AcGePoint3d origin_{0, 0, 0};
    AcGeVector3d u_{1, 0, 0};
    AcGeVector3d v_{0, 1, 0};
    AcGeVector3d normal_{0, 0, 1};
};

inline constexpr const AcGePlane AcGePlane::kXYPlane{};
inline constexpr const AcGePlane AcGePlane::kYZPlane{{0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
inline constexpr const AcGePlane AcGePlane::kZXPlane{{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
