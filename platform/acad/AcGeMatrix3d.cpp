#include "acad/AcGeMatrix3d.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "acad/AcGePlane.h"

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& b) const {
    AcGeMatrix3d r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += entry[i][k] * b.entry[k][j];
            r.entry[i][j] = s;
        }
    return r;
}

bool AcGeMatrix3d::inverse(AcGeMatrix3d& inv, double tol) const {
    // Gauss-Jordan elimination with partial pivoting on [A | I].
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = entry[i][j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) <= tol) return false;
        if (pivot != col)
            for (int j = 0; j < 8; ++j) std::swap(a[pivot][j], a[col][j]);
        double p = a[col][col];
        for (int j = 0; j < 8; ++j) a[col][j] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            double f = a[r][col];
            for (int j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) inv.entry[i][j] = a[i][j + 4];
    return true;
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
    AcGeMatrix3d inv;
    return inverse(inv, 1.0e-300) ? inv : *this;
}

AcGeMatrix3d& AcGeMatrix3d::invert() { return *this = inverse(); }

bool AcGeMatrix3d::isSingular(const AcGeTol& tol) const {
    AcGeMatrix3d inv;
    return !inverse(inv, tol.equalPoint());
}

AcGeMatrix3d& AcGeMatrix3d::transposeIt() {
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) std::swap(entry[i][j], entry[j][i]);
    return *this;
}

AcGeMatrix3d AcGeMatrix3d::transpose() const {
    AcGeMatrix3d t = *this;
    return t.transposeIt();
}

double AcGeMatrix3d::det() const {
    // Cofactor expansion along the first row of 3x3 minors, built from 2x2 minors of rows 2-3.
    const auto& m = entry;
    double s0 = m[2][0] * m[3][1] - m[2][1] * m[3][0];
    double s1 = m[2][0] * m[3][2] - m[2][2] * m[3][0];
    double s2 = m[2][0] * m[3][3] - m[2][3] * m[3][0];
    double s3 = m[2][1] * m[3][2] - m[2][2] * m[3][1];
    double s4 = m[2][1] * m[3][3] - m[2][3] * m[3][1];
    double s5 = m[2][2] * m[3][3] - m[2][3] * m[3][2];
    double c0 = m[1][1] * s5 - m[1][2] * s4 + m[1][3] * s3;
    double c1 = m[1][0] * s5 - m[1][2] * s2 + m[1][3] * s1;
    double c2 = m[1][0] * s4 - m[1][1] * s2 + m[1][3] * s0;
    double c3 = m[1][0] * s3 - m[1][1] * s1 + m[1][2] * s0;
    return m[0][0] * c0 - m[0][1] * c1 + m[0][2] * c2 - m[0][3] * c3;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& b, const AcGeTol& tol) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (std::fabs(entry[i][j] - b.entry[i][j]) > tol.equalVector()) return false;
    return true;
}

bool AcGeMatrix3d::isScaledOrtho(const AcGeTol& tol) const {
    AcGeVector3d x = getCsXAxis(), y = getCsYAxis(), z = getCsZAxis();
    return x.isPerpendicularTo(y, tol) && y.isPerpendicularTo(z, tol) && z.isPerpendicularTo(x, tol);
}

bool AcGeMatrix3d::isUniScaledOrtho(const AcGeTol& tol) const {
    if (!isScaledOrtho(tol)) return false;
    double lx = getCsXAxis().length(), ly = getCsYAxis().length(), lz = getCsZAxis().length();
    double t = tol.equalVector() * std::max(1.0, lx);
    return std::fabs(lx - ly) <= t && std::fabs(lx - lz) <= t;
}

double AcGeMatrix3d::scale() const {
    return std::max({getCsXAxis().length(), getCsYAxis().length(), getCsZAxis().length()});
}

AcGeMatrix3d& AcGeMatrix3d::setTranslation(const AcGeVector3d& v) {
    entry[0][3] = v.x;
    entry[1][3] = v.y;
    entry[2][3] = v.z;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setCoordSystem(const AcGePoint3d& o, const AcGeVector3d& x, const AcGeVector3d& y,
                                           const AcGeVector3d& z) {
    const AcGeVector3d* axes[3] = {&x, &y, &z};
    for (int j = 0; j < 3; ++j) {
        entry[0][j] = axes[j]->x;
        entry[1][j] = axes[j]->y;
        entry[2][j] = axes[j]->z;
    }
    entry[0][3] = o.x;
    entry[1][3] = o.y;
    entry[2][3] = o.z;
    entry[3][0] = entry[3][1] = entry[3][2] = 0.0;
    entry[3][3] = 1.0;
    return *this;
}

void AcGeMatrix3d::getCoordSystem(AcGePoint3d& o, AcGeVector3d& x, AcGeVector3d& y, AcGeVector3d& z) const {
    o = getCsOrigin();
    x = getCsXAxis();
    y = getCsYAxis();
    z = getCsZAxis();
}

AcGeMatrix3d& AcGeMatrix3d::setToTranslation(const AcGeVector3d& v) {
    setToIdentity();
    return setTranslation(v);
}

AcGeMatrix3d& AcGeMatrix3d::setToRotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
    AcGeVector3d x = AcGeVector3d::kXAxis, y = AcGeVector3d::kYAxis, z = AcGeVector3d::kZAxis;
    x.rotateBy(angle, axis);
    y.rotateBy(angle, axis);
    z.rotateBy(angle, axis);
    setCoordSystem(AcGePoint3d::kOrigin, x, y, z);
    // The centre stays where it is: t = c - R c.
    AcGePoint3d rc = *this * center;
    return setTranslation(center - rc);
}

AcGeMatrix3d& AcGeMatrix3d::setToScaling(double s, const AcGePoint3d& c) {
    setToIdentity();
    entry[0][0] = entry[1][1] = entry[2][2] = s;
    return setTranslation(c.asVector() * (1.0 - s));
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePlane& plane) {
    AcGeVector3d n = plane.normal().normal();
    AcGeVector3d x = AcGeVector3d::kXAxis, y = AcGeVector3d::kYAxis, z = AcGeVector3d::kZAxis;
    x.mirror(n);
    y.mirror(n);
    z.mirror(n);
    double d = plane.pointOnPlane().asVector().dotProduct(n);
    return setCoordSystem(AcGePoint3d::kOrigin + n * (2.0 * d), x, y, z);
}

AcGeMatrix3d& AcGeMatrix3d::setToMirroring(const AcGePoint3d& p) {
    setToScaling(-1.0);
    return setTranslation(p.asVector() * 2.0);
}

AcGeMatrix3d& AcGeMatrix3d::setToAlignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                               const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                               const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                               const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis) {
    AcGeMatrix3d from, to;
    from.setCoordSystem(fromOrigin, fromXAxis, fromYAxis, fromZAxis);
    to.setCoordSystem(toOrigin, toXAxis, toYAxis, toZAxis);
    return *this = to * from.inverse();
}

AcGeMatrix3d& AcGeMatrix3d::setToPlaneToWorld(const AcGeVector3d& normal) {
    // Arbitrary-axis rule: near the world Z axis the helper axis is world Y, otherwise world Z.
    AcGeVector3d n = normal.normal();
    const double kArbitraryBound = 1.0 / 64.0;
    AcGeVector3d helper = (std::fabs(n.x) < kArbitraryBound && std::fabs(n.y) < kArbitraryBound)
                              ? AcGeVector3d::kYAxis
                              : AcGeVector3d::kZAxis;
    AcGeVector3d ax = helper.crossProduct(n).normal();
    AcGeVector3d ay = n.crossProduct(ax).normal();
    return setCoordSystem(AcGePoint3d::kOrigin, ax, ay, n);
}

AcGeMatrix3d& AcGeMatrix3d::setToPlaneToWorld(const AcGePlane& plane) {
    AcGePoint3d o;
    AcGeVector3d u, v;
    plane.getCoordSystem(o, u, v);
    return setCoordSystem(o, u, v, plane.normal());
}

AcGeMatrix3d& AcGeMatrix3d::setToWorldToPlane(const AcGeVector3d& normal) {
    return *this = AcGeMatrix3d::planeToWorld(normal).inverse();
}

AcGeMatrix3d& AcGeMatrix3d::setToWorldToPlane(const AcGePlane& plane) {
    return *this = AcGeMatrix3d::planeToWorld(plane).inverse();
}
