#pragma once
#include <cmath>

#include "acad/AcGeContext.h"

class AcGeMatrix3d;
class AcGePlane;

// A 3-D displacement.
class AcGeVector3d {
public:
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    static const AcGeVector3d kIdentity;  // the zero vector
    static const AcGeVector3d kXAxis;
    static const AcGeVector3d kYAxis;
    static const AcGeVector3d kZAxis;

    constexpr AcGeVector3d() = default;
    constexpr AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    AcGeVector3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }

    double operator[](unsigned i) const { return i == 0 ? x : i == 1 ? y : z; }
    double& operator[](unsigned i) { return i == 0 ? x : i == 1 ? y : z; }

    constexpr AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    constexpr AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    constexpr AcGeVector3d operator-() const { return {-x, -y, -z}; }
    constexpr AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
    constexpr AcGeVector3d operator/(double s) const { return {x / s, y / s, z / s}; }
    AcGeVector3d& operator+=(const AcGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
    AcGeVector3d& operator-=(const AcGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
    AcGeVector3d& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
    AcGeVector3d& operator/=(double s) { x /= s; y /= s; z /= s; return *this; }

    double length() const { return std::sqrt(lengthSqrd()); }
    constexpr double lengthSqrd() const { return x * x + y * y + z * z; }
    constexpr double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    constexpr AcGeVector3d crossProduct(const AcGeVector3d& v) const {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }

    // The unit vector in this direction; a vector no longer than the tolerance comes back as is.
    AcGeVector3d normal(const AcGeTol& tol = AcGeContext::gTol) const {
        double len = length();
        return len <= tol.equalVector() ? *this : *this / len;
    }
    AcGeVector3d& normalize(const AcGeTol& tol = AcGeContext::gTol) { return *this = normal(tol); }
    AcGeVector3d& negate() { x = -x; y = -y; z = -z; return *this; }

    // A vector perpendicular to this one, chosen by the same helper-axis rule that gives an
    // entity's coordinate system: world Y × v near the Z axis, otherwise world Z × v.
    AcGeVector3d perpVector() const;

    AcGeVector3d& transformBy(const AcGeMatrix3d& leftSide);
    AcGeVector3d& setToProduct(const AcGeMatrix3d& mat, const AcGeVector3d& vec);
    AcGeVector3d& setToProduct(const AcGeVector3d& vec, double s) { return *this = vec * s; }
    AcGeVector3d& setToSum(const AcGeVector3d& a, const AcGeVector3d& b) { return *this = a + b; }
    // Rotates counter-clockwise about axis (right-hand rule).
    AcGeVector3d& rotateBy(double angle, const AcGeVector3d& axis);
    // Reflects in the plane through the origin with the given normal.
    AcGeVector3d& mirror(const AcGeVector3d& normalToPlane);
    // The component of this vector lying in the plane with the given normal.
    AcGeVector3d orthoProject(const AcGeVector3d& planeNormal) const;

    // Unsigned angle between the two vectors, in [0, pi].
    double angleTo(const AcGeVector3d& vec) const {
        return std::atan2(crossProduct(vec).length(), dotProduct(vec));
    }
    // Angle from this vector to vec counter-clockwise about refVec (right-hand rule), in [0, 2pi).
    double angleTo(const AcGeVector3d& vec, const AcGeVector3d& refVec) const {
        double a = angleTo(vec);
        if (a > 0.0 && crossProduct(vec).dotProduct(refVec) < 0.0) a = 2.0 * M_PI - a;
        return a >= 2.0 * M_PI ? 0.0 : a;
    }
    // Angle of the projection on the plane, measured from the plane's U axis counter-clockwise
    // about its normal, in [0, 2pi).
    double angleOnPlane(const AcGePlane& plane) const;

    bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const { return length() <= tol.equalVector(); }
    bool isUnitLength(const AcGeTol& tol = AcGeContext::gTol) const {
        return std::fabs(length() - 1.0) <= tol.equalVector();
    }
    bool isParallelTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
        return normal(tol).crossProduct(v.normal(tol)).length() <= tol.equalVector();
    }
    bool isCodirectionalTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        return isParallelTo(v, tol) && dotProduct(v) > 0.0;
    }
    bool isPerpendicularTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
        return std::fabs(normal(tol).dotProduct(v.normal(tol))) <= tol.equalVector();
    }
    bool isEqualTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        return (*this - v).length() <= tol.equalVector();
    }
    bool operator==(const AcGeVector3d& v) const { return isEqualTo(v); }
    bool operator!=(const AcGeVector3d& v) const { return !isEqualTo(v); }

    // Index (0, 1, 2) of the coordinate with the largest magnitude.
    unsigned largestElement() const {
        double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
        return ax >= ay ? (ax >= az ? 0u : 2u) : (ay >= az ? 1u : 2u);
    }
};

inline constexpr AcGeVector3d operator*(double s, const AcGeVector3d& v) { return v * s; }
AcGeVector3d operator*(const AcGeMatrix3d& mat, const AcGeVector3d& vec);

inline constexpr const AcGeVector3d AcGeVector3d::kIdentity{0.0, 0.0, 0.0};
inline constexpr const AcGeVector3d AcGeVector3d::kXAxis{1.0, 0.0, 0.0};
inline constexpr const AcGeVector3d AcGeVector3d::kYAxis{0.0, 1.0, 0.0};
inline constexpr const AcGeVector3d AcGeVector3d::kZAxis{0.0, 0.0, 1.0};
