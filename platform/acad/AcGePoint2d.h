#pragma once
#include <cmath>

#include "acad/AcGeVector2d.h"

// A 2-D position.
class AcGePoint2d {
public:
    double x = 0.0;
    double y = 0.0;

    static const AcGePoint2d kOrigin;

    constexpr AcGePoint2d() = default;
    constexpr AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}

    AcGePoint2d& set(double xx, double yy) { x = xx; y = yy; return *this; }

    double operator[](unsigned i) const { return i == 0 ? x : y; }
    double& operator[](unsigned i) { return i == 0 ? x : y; }

    constexpr AcGePoint2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    constexpr AcGePoint2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    constexpr AcGeVector2d operator-(const AcGePoint2d& p) const { return {x - p.x, y - p.y}; }
    constexpr AcGePoint2d operator*(double s) const { return {x * s, y * s}; }
    constexpr AcGePoint2d operator/(double s) const { return {x / s, y / s}; }
    AcGePoint2d& operator+=(const AcGeVector2d& v) { x += v.x; y += v.y; return *this; }
    AcGePoint2d& operator-=(const AcGeVector2d& v) { x -= v.x; y -= v.y; return *this; }
    AcGePoint2d& operator*=(double s) { x *= s; y *= s; return *this; }
    AcGePoint2d& operator/=(double s) { x /= s; y /= s; return *this; }

    constexpr AcGeVector2d asVector() const { return {x, y}; }
    double distanceTo(const AcGePoint2d& p) const { return std::hypot(x - p.x, y - p.y); }

    AcGePoint2d& rotateBy(double angle, const AcGePoint2d& wrtPoint = AcGePoint2d(0.0, 0.0)) {
        AcGeVector2d d = (*this - wrtPoint).rotateBy(angle);
        return *this = wrtPoint + d;
    }
    AcGePoint2d& scaleBy(double factor, const AcGePoint2d& wrtPoint = AcGePoint2d(0.0, 0.0)) {
        return *this = wrtPoint + (*this - wrtPoint) * factor;
    }

    bool isEqualTo(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const {
        return distanceTo(p) <= tol.equalPoint();
    }
    bool operator==(const AcGePoint2d& p) const { return isEqualTo(p); }
    bool operator!=(const AcGePoint2d& p) const { return !isEqualTo(p); }
};

inline constexpr AcGePoint2d operator*(double s, const AcGePoint2d& p) { return p * s; }

inline constexpr const AcGePoint2d AcGePoint2d::kOrigin{0.0, 0.0};
