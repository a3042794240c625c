#pragma once
#include <cmath>

#include "acad/AcGePoint2d.h"
#include "acad/AcGeVector3d.h"

class AcGeMatrix3d;
class AcGePlane;

// A 3-D position.
class AcGePoint3d {
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    static const AcGePoint3d kOrigin;

    constexpr AcGePoint3d() = default;
    constexpr AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
    // The point with coordinates pnt2d in the plane's (U, V) system.
    AcGePoint3d(const AcGePlane& plane, const AcGePoint2d& pnt2d);

    AcGePoint3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }

    double operator[](unsigned i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned i) { return i == 0 ? x : i == 1 ? y : z; }

    constexpr AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    constexpr AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    constexpr AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
    constexpr AcGePoint3d operator*(double s) const { return {x * s, y * s, z * s}; }
    constexpr AcGePoint3d operator/(double s) const { return {x / s, y / s, z / s}; }
    AcGePoint3d& operator+=(const AcGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
    AcGePoint3d& operator-=(const AcGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    AcGePoint3d& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
    AcGePoint3d& operator/=(double s) { x /= s; y /= s; z /= s; return *this; }

    constexpr AcGeVector3d asVector() const { return {x, y, z}; }
    double distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }

    AcGePoint3d& transformBy(const AcGeMatrix3d& leftSide);
    AcGePoint3d& setToProduct(const AcGeMatrix3d& mat, const AcGePoint3d& pnt);
    AcGePoint3d& setToSum(const AcGePoint3d& pnt, const AcGeVector3d& vec) { return *this = pnt + vec; }
    AcGePoint3d& rotateBy(double angle, const AcGeVector3d& axis,
                          const AcGePoint3d& wrtPoint = AcGePoint3d(0.0, 0.0, 0.0));
    AcGePoint3d& scaleBy(double factor, const AcGePoint3d& wrtPoint = AcGePoint3d(0.0, 0.0, 0.0)) {
        return *this = wrtPoint + (*this - wrtPoint) * factor;
    }
    AcGePoint3d& mirror(const AcGePlane& plane);

    // Foot of the perpendicular on the plane.
    AcGePoint3d orthoProject(const AcGePlane& plane) const;
    // Where the line through this point along projectDir meets the plane (this point when the
    // direction is parallel to the plane).
    AcGePoint3d project(const AcGePlane& plane, const AcGeVector3d& projectDir) const;
    // Coordinates of the orthogonal projection in the plane's (U, V) system.
    AcGePoint2d convert2d(const AcGePlane& plane) const;

    bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const {
        return distanceTo(p) <= tol.equalPoint();
    }
    bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }
    bool operator!=(const AcGePoint3d& p) const { return !isEqualTo(p); }
};

inline constexpr AcGePoint3d operator*(double s, const AcGePoint3d& p) { return p * s; }
AcGePoint3d operator*(const AcGeMatrix3d& mat, const AcGePoint3d& pnt);

inline constexpr const AcGePoint3d AcGePoint3d::kOrigin{0.0, 0.0, 0.0};
