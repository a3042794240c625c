#pragma once
#include "acad/AcGeMatrix3d.h"

// Scale factors along X, Y and Z (a block reference's scale).
class AcGeScale3d {
public:
    double sx = 1.0;
    double sy = 1.0;
    double sz = 1.0;

    static const AcGeScale3d kIdentity;

    constexpr AcGeScale3d() = default;
    constexpr explicit AcGeScale3d(double s) : sx(s), sy(s), sz(s) {}
    constexpr AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}

    double operator[](unsigned i) const { return i == 0 ? sx : i == 1 ? sy : sz; }
    double& operator[](unsigned i) { return i == 0 ? sx : i == 1 ? sy : sz; }
    AcGeScale3d& set(double x, double y, double z) { sx = x; sy = y; sz = z; return *this; }

    constexpr AcGeScale3d operator*(const AcGeScale3d& s) const { return {sx * s.sx, sy * s.sy, sz * s.sz}; }
    constexpr AcGeScale3d operator*(double f) const { return {sx * f, sy * f, sz * f}; }
    AcGeScale3d& operator*=(const AcGeScale3d& s) { return *this = *this * s; }
    AcGeScale3d& operator*=(double f) { return *this = *this * f; }

    // The matrix scaling about the origin by these factors.
    AcGeMatrix3d& getMatrix(AcGeMatrix3d& mat) const {
        mat.setToIdentity();
        mat.entry[0][0] = sx;
        mat.entry[1][1] = sy;
        mat.entry[2][2] = sz;
        return mat;
    }
    operator AcGeMatrix3d() const {
        AcGeMatrix3d m;
        return getMatrix(m);
    }

    bool isEqualTo(const AcGeScale3d& s, const AcGeTol& tol = AcGeContext::gTol) const {
        return std::fabs(sx - s.sx) <= tol.equalVector() && std::fabs(sy - s.sy) <= tol.equalVector() &&
               std::fabs(sz - s.sz) <= tol.equalVector();
    }
    bool operator==(const AcGeScale3d& s) const { return isEqualTo(s); }
    bool operator!=(const AcGeScale3d& s) const { return !isEqualTo(s); }
};

inline constexpr const AcGeScale3d AcGeScale3d::kIdentity{};
