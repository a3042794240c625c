#pragma once
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector3d.h"

class AcGePlane;

// An affine transform as a row-major 4x4 matrix acting on column vectors: entry[i][j] is row i,
// column j; columns 0..2 are the images of the X, Y, Z axes, column 3 the image of the origin,
// and row 3 is (0, 0, 0, 1).
class AcGeMatrix3d {
public:
    double entry[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static const AcGeMatrix3d kIdentity;

    constexpr AcGeMatrix3d() = default;

    double operator()(unsigned row, unsigned col) const { return entry[row][col]; }
    double& operator()(unsigned row, unsigned col) { return entry[row][col]; }

    AcGeMatrix3d& setToIdentity() { return *this = AcGeMatrix3d(); }

    // Products: (a * b) applies b first, then a.
    AcGeMatrix3d operator*(const AcGeMatrix3d& mat) const;
    AcGeMatrix3d& operator*=(const AcGeMatrix3d& mat) { return *this = *this * mat; }
    AcGeMatrix3d& preMultBy(const AcGeMatrix3d& leftSide) { return *this = leftSide * *this; }
    AcGeMatrix3d& postMultBy(const AcGeMatrix3d& rightSide) { return *this = *this * rightSide; }
    AcGeMatrix3d& setToProduct(const AcGeMatrix3d& mat1, const AcGeMatrix3d& mat2) {
        return *this = mat1 * mat2;
    }

    // Inverse; a singular matrix leaves invert() unchanged and inverse() returns a copy.
    AcGeMatrix3d& invert();
    AcGeMatrix3d inverse() const;
    bool inverse(AcGeMatrix3d& inv, double tol) const;
    bool isSingular(const AcGeTol& tol = AcGeContext::gTol) const;
    AcGeMatrix3d& transposeIt();
    AcGeMatrix3d transpose() const;
    double det() const;

    bool isEqualTo(const AcGeMatrix3d& mat, const AcGeTol& tol = AcGeContext::gTol) const;
    bool operator==(const AcGeMatrix3d& mat) const { return isEqualTo(mat); }
    bool operator!=(const AcGeMatrix3d& mat) const { return !isEqualTo(mat); }
    // Axes of equal length and mutually perpendicular (a rigid motion with uniform scale).
    bool isUniScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;
    // Axes mutually perpendicular.
    bool isScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;
    // The largest factor by which the transform stretches a length.
    double scale() const;

    AcGeMatrix3d& setTranslation(const AcGeVector3d& vec);
    AcGeVector3d translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }

    AcGeMatrix3d& setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                 const AcGeVector3d& yAxis, const AcGeVector3d& zAxis);
    void getCoordSystem(AcGePoint3d& origin, AcGeVector3d& xAxis, AcGeVector3d& yAxis,
                        AcGeVector3d& zAxis) const;
    AcGePoint3d getCsOrigin() const { return {entry[0][3], entry[1][3], entry[2][3]}; }
    AcGeVector3d getCsXAxis() const { return {entry[0][0], entry[1][0], entry[2][0]}; }
    AcGeVector3d getCsYAxis() const { return {entry[0][1], entry[1][1], entry[2][1]}; }
    AcGeVector3d getCsZAxis() const { return {entry[0][2], entry[1][2], entry[2][2]}; }

    AcGeMatrix3d& setToTranslation(const AcGeVector3d& vec);
    // Counter-clockwise rotation about the line through center along axis.
    AcGeMatrix3d& setToRotation(double angle, const AcGeVector3d& axis,
                                const AcGePoint3d& center = AcGePoint3d(0.0, 0.0, 0.0));
    AcGeMatrix3d& setToScaling(double scaleAll, const AcGePoint3d& center = AcGePoint3d(0.0, 0.0, 0.0));
    AcGeMatrix3d& setToMirroring(const AcGePlane& mirrorPlane);
    AcGeMatrix3d& setToMirroring(const AcGePoint3d& mirrorPoint);
    // Maps the "from" coordinate system onto the "to" system: a point with coordinates (a, b, c)
    // in the first comes out with the same coordinates in the second.
    AcGeMatrix3d& setToAlignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                     const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                     const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                     const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis);
    // From the plane's own coordinates to world and back. With a normal alone the plane passes
    // through the origin and its X axis follows the arbitrary-axis rule of entity coordinates.
    AcGeMatrix3d& setToPlaneToWorld(const AcGeVector3d& normal);
    AcGeMatrix3d& setToPlaneToWorld(const AcGePlane& plane);
    AcGeMatrix3d& setToWorldToPlane(const AcGeVector3d& normal);
    AcGeMatrix3d& setToWorldToPlane(const AcGePlane& plane);

    static AcGeMatrix3d translation(const AcGeVector3d& vec) { return AcGeMatrix3d().setToTranslation(vec); }
    static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                                 const AcGePoint3d& center = AcGePoint3d(0.0, 0.0, 0.0)) {
        return AcGeMatrix3d().setToRotation(angle, axis, center);
    }
    static AcGeMatrix3d scaling(double scaleAll, const AcGePoint3d& center = AcGePoint3d(0.0, 0.0, 0.0)) {
        return AcGeMatrix3d().setToScaling(scaleAll, center);
    }
    static AcGeMatrix3d mirroring(const AcGePlane& plane) { return AcGeMatrix3d().setToMirroring(plane); }
    static AcGeMatrix3d mirroring(const AcGePoint3d& pnt) { return AcGeMatrix3d().setToMirroring(pnt); }
    static AcGeMatrix3d alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                      const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                      const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                      const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis) {
        return AcGeMatrix3d().setToAlignCoordSys(fromOrigin, fromXAxis, fromYAxis, fromZAxis, toOrigin,
                                                 toXAxis, toYAxis, toZAxis);
    }
    static AcGeMatrix3d planeToWorld(const AcGeVector3d& normal) { return AcGeMatrix3d().setToPlaneToWorld(normal); }
    static AcGeMatrix3d planeToWorld(const AcGePlane& plane) { return AcGeMatrix3d().setToPlaneToWorld(plane); }
    static AcGeMatrix3d worldToPlane(const AcGeVector3d& normal) { return AcGeMatrix3d().setToWorldToPlane(normal); }
    static AcGeMatrix3d worldToPlane(const AcGePlane& plane) { return AcGeMatrix3d().setToWorldToPlane(plane); }
};

inline constexpr const AcGeMatrix3d AcGeMatrix3d::kIdentity{};
