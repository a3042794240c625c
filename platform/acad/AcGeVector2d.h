#pragma once
#include <cmath>

#include "acad/AcGeContext.h"

// A 2-D displacement.
class AcGeVector2d {
public:
    double x = 0.0;
    double y = 0.0;

    static const AcGeVector2d kIdentity;  // the zero vector
    static const AcGeVector2d kXAxis;
    static const AcGeVector2d kYAxis;

    constexpr AcGeVector2d() = default;
    constexpr AcGeVector2d(double xx, double yy) : x(xx), y(yy) {}

    AcGeVector2d& set(double xx, double yy) { x = xx; y = yy; return *this; }

    double operator[](unsigned i) const { return i == 0 ? x : y; }
    double& operator[](unsigned i) { return i == 0 ? x : y; }

    constexpr AcGeVector2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    constexpr AcGeVector2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    constexpr AcGeVector2d operator-() const { return {-x, -y}; }
    constexpr AcGeVector2d operator*(double s) const { return {x * s, y * s}; }
    constexpr AcGeVector2d operator/(double s) const { return {x / s, y / s}; }
    AcGeVector2d& operator+=(const AcGeVector2d& v) { x += v.x; y += v.y; return *this; }
    AcGeVector2d& operator-=(const AcGeVector2d& v) { x -= v.x; y -= v.y; return *this; }
    AcGeVector2d& operator*=(double s) { x *= s; y *= s; return *this; }
    AcGeVector2d& operator/=(double s) { x /= s; y /= s; return *this; }

    double length() const { return std::hypot(x, y); }
    constexpr double lengthSqrd() const { return x * x + y * y; }
    constexpr double dotProduct(const AcGeVector2d& v) const { return x * v.x + y * v.y; }
    // z of the 3-D cross product; positive when v lies counter-clockwise of this vector.
    constexpr double crossProduct(const AcGeVector2d& v) const { return x * v.y - y * v.x; }

    // Angle from the X axis, counter-clockwise, in [0, 2pi).
    double angle() const {
        double a = std::atan2(y, x);
        return a < 0.0 ? a + 2.0 * M_PI : a;
    }
    // Unsigned angle to v, in [0, pi].
    double angleTo(const AcGeVector2d& v) const {
        return std::atan2(std::fabs(crossProduct(v)), dotProduct(v));
    }

    AcGeVector2d normal(const AcGeTol& tol = AcGeContext::gTol) const {
        double len = length();
        return len <= tol.equalVector() ? *this : *this / len;
    }
    AcGeVector2d& normalize(const AcGeTol& tol = AcGeContext::gTol) { return *this = normal(tol); }
    // Turned a quarter turn counter-clockwise.
    constexpr AcGeVector2d perpVector() const { return {-y, x}; }
    AcGeVector2d& rotateBy(double angle) {
        double c = std::cos(angle), s = std::sin(angle);
        return set(c * x - s * y, s * x + c * y);
    }
    AcGeVector2d& negate() { x = -x; y = -y; return *this; }

    bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const {
        return length() <= tol.equalVector();
    }
    bool isUnitLength(const AcGeTol& tol = AcGeContext::gTol) const {
        return std::fabs(length() - 1.0) <= tol.equalVector();
    }
    bool isParallelTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
        return std::fabs(normal(tol).crossProduct(v.normal(tol))) <= tol.equalVector();
    }
    bool isCodirectionalTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        return isParallelTo(v, tol) && dotProduct(v) > 0.0;
    }
    bool isPerpendicularTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        if (isZeroLength(tol) || v.isZeroLength(tol)) return false;
        return std::fabs(normal(tol).dotProduct(v.normal(tol))) <= tol.equalVector();
    }
    bool isEqualTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const {
        return (*this - v).length() <= tol.equalVector();
    }
    bool operator==(const AcGeVector2d& v) const { return isEqualTo(v); }
    bool operator!=(const AcGeVector2d& v) const { return !isEqualTo(v); }
};

inline constexpr AcGeVector2d operator*(double s, const AcGeVector2d& v) { return v * s; }

inline constexpr const AcGeVector2d AcGeVector2d::kIdentity{0.0, 0.0};
inline constexpr const AcGeVector2d AcGeVector2d::kXAxis{1.0, 0.0};
inline constexpr const AcGeVector2d AcGeVector2d::kYAxis{0.0, 1.0};
