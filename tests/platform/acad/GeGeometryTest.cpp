// Points, vectors, matrices, planes and three-point arcs.
#include <gtest/gtest.h>

#include <cmath>

#include "acad/AcGe.h"

namespace {

constexpr double kPi = M_PI;

void expectPoint(const AcGePoint3d& p, double x, double y, double z, double tol = 1e-9) {
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}
void expectVector(const AcGeVector3d& v, double x, double y, double z, double tol = 1e-9) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

TEST(GeVector, AnglesSignedAboutReferenceAndOnPlane) {
    struct Case {
        AcGeVector3d from, to, ref;
        double unsignedAngle, signedAngle;
    } cases[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, kPi / 2, kPi / 2},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}, kPi / 2, 3 * kPi / 2},
        {{1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, kPi, kPi},
        {{1, 0, 0}, {2, 0, 0}, {0, 0, 1}, 0, 0},
        {{1, 0, 0}, {1, -1, 0}, {0, 0, 1}, kPi / 4, 7 * kPi / 4},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(c.from.angleTo(c.to), c.unsignedAngle, 1e-12);
        EXPECT_NEAR(c.from.angleTo(c.to, c.ref), c.signedAngle, 1e-12);
    }
    // The Z part is dropped on the XY plane; the result is never negative.
    EXPECT_NEAR(AcGeVector3d(-1, -1, 5).angleOnPlane(AcGePlane::kXYPlane), 5 * kPi / 4, 1e-12);
    EXPECT_NEAR(AcGeVector3d(0, 0, 1).angleOnPlane(AcGePlane::kYZPlane), kPi / 2, 1e-12);
}

TEST(GeVector, NormalsParallelsAndRotation) {
    expectVector(AcGeVector3d(3, 4, 0).normal(), 0.6, 0.8, 0);
    // A zero vector cannot be normalised and comes back unchanged rather than as NaN.
    AcGeVector3d zero = AcGeVector3d::kIdentity;
    expectVector(zero.normal(), 0, 0, 0);
    EXPECT_TRUE(zero.isZeroLength());
    // A custom tolerance treats a short vector as zero.
    AcGeTol loose;
    loose.setEqualVector(1e-3);
    EXPECT_TRUE(AcGeVector3d(1e-4, 0, 0).isZeroLength(loose));
    EXPECT_FALSE(AcGeVector3d(1e-4, 0, 0).isZeroLength());

    EXPECT_TRUE(AcGeVector3d(1, 2, 3).isParallelTo(AcGeVector3d(-2, -4, -6)));
    EXPECT_FALSE(AcGeVector3d(1, 2, 3).isCodirectionalTo(AcGeVector3d(-2, -4, -6)));
    EXPECT_FALSE(AcGeVector3d(1, 2, 3).isParallelTo(AcGeVector3d(1, 2, 3.001)));
    EXPECT_TRUE(AcGeVector3d(1, 1, 0).isPerpendicularTo(AcGeVector3d(-1, 1, 7).orthoProject(AcGeVector3d::kZAxis)));

    AcGeVector3d v(1, 0, 0);
    v.rotateBy(kPi / 2, AcGeVector3d(0, 0, 5));  // the axis need not be a unit vector
    expectVector(v, 0, 1, 0);
    AcGeVector3d w(1, 0, 0);
    w.rotateBy(2 * kPi / 3, AcGeVector3d(1, 1, 1));  // a third of a turn about the diagonal: X -> Y
    expectVector(w, 0, 1, 0);
    EXPECT_TRUE(AcGeVector3d(5, -2, 1).perpVector().isPerpendicularTo(AcGeVector3d(5, -2, 1)));
    EXPECT_TRUE(AcGeVector3d(0, 0, 3).perpVector().isPerpendicularTo(AcGeVector3d::kZAxis));
}

TEST(GePoint, EqualityFollowsTheGlobalTolerance) {
    AcGePoint3d a(1, 2, 3);
    EXPECT_TRUE(a == AcGePoint3d(1, 2, 3 + 1e-11));
    EXPECT_FALSE(a == AcGePoint3d(1, 2, 3 + 1e-8));
    AcGeTol saved = AcGeContext::gTol;
    AcGeContext::gTol.setEqualPoint(1e-6);
    EXPECT_TRUE(a == AcGePoint3d(1, 2, 3 + 1e-8));
    AcGeContext::gTol = saved;
    EXPECT_DOUBLE_EQ(a.distanceTo(AcGePoint3d(4, 6, 3)), 5.0);
    expectPoint(AcGePoint3d(1, 1, 1).rotateBy(kPi, AcGeVector3d::kZAxis, AcGePoint3d(2, 1, 0)), 3, 1, 1);
    expectPoint(AcGePoint3d(1, 2, 9).orthoProject(AcGePlane::kXYPlane), 1, 2, 0);
    expectPoint(AcGePoint3d(0, 0, 4).project(AcGePlane::kXYPlane, AcGeVector3d(1, 0, -1)), 4, 0, 0);
}

TEST(GeMatrix, TransformsInTheHostLayout) {
    // Rotation by 90 degrees about Z through (1, 1, 0): (2, 1) -> (1, 2); vectors only turn.
    AcGeMatrix3d r = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0));
    expectPoint(r * AcGePoint3d(2, 1, 5), 1, 2, 5);
    expectVector(r * AcGeVector3d(1, 0, 0), 0, 1, 0);
    EXPECT_NEAR(r(0, 3), 2.0, 1e-12);  // translation column: c - R c = (1,1) - (-1,1)
    EXPECT_NEAR(r.entry[1][3], 0.0, 1e-12);

    // a * b applies b first.
    AcGeMatrix3d t = AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0));
    AcGeMatrix3d s = AcGeMatrix3d::scaling(2.0);
    expectPoint((t * s) * AcGePoint3d(1, 1, 1), 12, 2, 2);
    expectPoint((s * t) * AcGePoint3d(1, 1, 1), 22, 2, 2);
    AcGeMatrix3d m = s;
    m.preMultBy(t);
    EXPECT_TRUE(m.isEqualTo(t * s));
    m = s;
    m.postMultBy(t);
    EXPECT_TRUE(m.isEqualTo(s * t));
    AcGeMatrix3d p;
    p.setToProduct(t, s);
    EXPECT_TRUE(p == t * s);

    EXPECT_NEAR(AcGeMatrix3d::scaling(2.0, AcGePoint3d(5, 5, 5)).det(), 8.0, 1e-12);
    expectPoint(AcGeMatrix3d::scaling(2.0, AcGePoint3d(5, 5, 5)) * AcGePoint3d(6, 5, 5), 7, 5, 5);
    AcGeMatrix3d mir = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(0, 3, 0), AcGeVector3d::kYAxis));
    EXPECT_NEAR(mir.det(), -1.0, 1e-12);
    expectPoint(mir * AcGePoint3d(1, 1, 1), 1, 5, 1);
    expectPoint(AcGeMatrix3d::mirroring(AcGePoint3d(1, 1, 1)) * AcGePoint3d(0, 0, 0), 2, 2, 2);
    EXPECT_TRUE(r.isUniScaledOrtho());
    EXPECT_FALSE(AcGeScale3d(1, 2, 1).operator AcGeMatrix3d().isUniScaledOrtho());
    EXPECT_DOUBLE_EQ(r.transpose()(3, 0), r(0, 3));
}

TEST(GeMatrix, InverseUndoesCompositeTransforms) {
    AcGeMatrix3d cases[] = {
        AcGeMatrix3d::rotation(0.7, AcGeVector3d(1, 2, 3), AcGePoint3d(4, -5, 6)) *
            AcGeMatrix3d::scaling(2.5, AcGePoint3d(1, 1, 1)) * AcGeMatrix3d::translation(AcGeVector3d(-7, 8, 9)),
        AcGeMatrix3d().setCoordSystem(AcGePoint3d(100, 200, 0), AcGeVector3d(0, 1, 0), AcGeVector3d(-1, 0, 0),
                                      AcGeVector3d(0, 0, 1)),
        // A shear, not orthogonal: the inverse must still be exact.
        AcGeMatrix3d().setCoordSystem(AcGePoint3d(1, 2, 3), AcGeVector3d(1, 0, 0), AcGeVector3d(1, 1, 0),
                                      AcGeVector3d(0, 2, 3)),
        AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(1, 1, 1), AcGeVector3d(1, 1, 0))),
    };
    for (const AcGeMatrix3d& m : cases) {
        AcGeMatrix3d inv = m.inverse();
        EXPECT_TRUE((m * inv).isEqualTo(AcGeMatrix3d::kIdentity, AcGeTol()));
        EXPECT_TRUE((inv * m).isEqualTo(AcGeMatrix3d::kIdentity));
        AcGePoint3d q(3, -1, 2);
        expectPoint(inv * (m * q), 3, -1, 2);
        EXPECT_NEAR(m.det() * inv.det(), 1.0, 1e-12);
        AcGeMatrix3d inPlace = m;
        inPlace.invert();
        EXPECT_TRUE(inPlace == inv);
    }
    // A flattening (Z axis zero) has no inverse.
    AcGeMatrix3d flat;
    flat.setCoordSystem(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis, AcGeVector3d::kYAxis, AcGeVector3d::kIdentity);
    AcGeMatrix3d out;
    EXPECT_FALSE(flat.inverse(out, 1e-12));
    EXPECT_TRUE(flat.isSingular());
    EXPECT_DOUBLE_EQ(flat.det(), 0.0);
}

TEST(GeMatrix, CoordinateSystems) {
    AcGePoint3d o(1, 2, 3);
    AcGeVector3d x(0, 1, 0), y(0, 0, 1), z(1, 0, 0);
    AcGeMatrix3d m;
    m.setCoordSystem(o, x, y, z);
    // Columns hold the axes and the origin; row 3 stays (0, 0, 0, 1).
    EXPECT_EQ(m(1, 0), 1.0);
    EXPECT_EQ(m(2, 1), 1.0);
    EXPECT_EQ(m(0, 2), 1.0);
    EXPECT_EQ(m(2, 3), 3.0);
    EXPECT_EQ(m(3, 3), 1.0);
    EXPECT_EQ(m(3, 0), 0.0);
    AcGePoint3d o2;
    AcGeVector3d x2, y2, z2;
    m.getCoordSystem(o2, x2, y2, z2);
    EXPECT_TRUE(o2 == o && x2 == x && y2 == y && z2 == z);
    expectPoint(m * AcGePoint3d(1, 0, 0), 1, 3, 3);

    // Aligning two systems keeps a point's coordinates: (1, 2, 3) in the first becomes (1, 2, 3)
    // in the second.
    AcGeMatrix3d align = AcGeMatrix3d::alignCoordSys(o, x, y, z, AcGePoint3d(10, 0, 0), AcGeVector3d::kXAxis,
                                                     AcGeVector3d::kYAxis, AcGeVector3d::kZAxis);
    AcGePoint3d inFirst = m * AcGePoint3d(1, 2, 3);
    expectPoint(align * inFirst, 11, 2, 3);

    // The arbitrary-axis rule: +Z is the world system; -Z turns X round; near Z uses world Y.
    struct Axes {
        AcGeVector3d normal, xAxis, yAxis;
    } rules[] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, -2, 0}, {1, 0, 0}, {0, 0, 1}},
    };
    for (const Axes& a : rules) {
        AcGeMatrix3d p2w = AcGeMatrix3d::planeToWorld(a.normal);
        expectVector(p2w.getCsXAxis(), a.xAxis.x, a.xAxis.y, a.xAxis.z);
        expectVector(p2w.getCsYAxis(), a.yAxis.x, a.yAxis.y, a.yAxis.z);
        EXPECT_TRUE((AcGeMatrix3d::worldToPlane(a.normal) * p2w).isEqualTo(AcGeMatrix3d::kIdentity));
    }
    AcGePlane pl(AcGePoint3d(0, 0, 5), AcGeVector3d(0, 0, -1));
    AcGeMatrix3d w2p = AcGeMatrix3d::worldToPlane(pl);
    expectPoint(w2p * AcGePoint3d(2, 3, 1), -2, 3, 4);
    AcGePoint2d uv = AcGePoint3d(2, 3, 1).convert2d(pl);
    EXPECT_NEAR(uv.x, -2, 1e-12);
    EXPECT_NEAR(uv.y, 3, 1e-12);
    expectPoint(AcGePoint3d(pl, uv), 2, 3, 5);
}

TEST(GeCircArc, FromThreePoints) {
    struct Case {
        AcGePoint3d a, b, c;
        AcGePoint3d center;
        double radius;
        AcGeVector3d normal;
        double sweep;
    } cases[] = {
        {{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 0}, 1, {0, 0, 1}, kPi},
        // The same points taken the other way round turn clockwise seen from +Z.
        {{-1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}, 1, {0, 0, -1}, kPi},
        // Three quarters of a circle around (5, 5): through the far side.
        {{7, 5, 2}, {3, 5, 2}, {5, 3, 2}, {5, 5, 2}, 2, {0, 0, 1}, 3 * kPi / 2},
        // A short arc in the YZ plane.
        {{0, 3, 0}, {0, 3 * std::cos(0.3), 3 * std::sin(0.3)}, {0, 0, 3}, {0, 0, 0}, 3, {1, 0, 0}, kPi / 2},
    };
    for (const Case& c : cases) {
        AcGeCircArc3d arc(c.a, c.b, c.c);
        expectPoint(arc.center(), c.center.x, c.center.y, c.center.z);
        EXPECT_NEAR(arc.radius(), c.radius, 1e-9);
        expectVector(arc.normal(), c.normal.x, c.normal.y, c.normal.z);
        EXPECT_NEAR(arc.startAng(), 0.0, 1e-12);
        EXPECT_NEAR(arc.endAng(), c.sweep, 1e-9);
        EXPECT_TRUE(arc.startPoint() == c.a || arc.startPoint().distanceTo(c.a) < 1e-9);
        EXPECT_LT(arc.endPoint().distanceTo(c.c), 1e-9);
        EXPECT_TRUE(arc.isOn(c.b, AcGeTol()) || arc.closestPointTo(c.b).distanceTo(c.b) < 1e-9);
        EXPECT_FALSE(arc.isDegenerate());
    }
    // A tilted plane: points at 0, 100 and 250 degrees of a circle of radius 5 around (1, 2, 3).
    AcGeVector3d n = AcGeVector3d(1, 1, 1).normal();
    AcGeVector3d u = AcGeVector3d(1, -1, 0).normal(), v = n.crossProduct(u);
    auto at = [&](double deg) {
        double a = deg * kPi / 180;
        return AcGePoint3d(1, 2, 3) + (u * std::cos(a) + v * std::sin(a)) * 5.0;
    };
    AcGeCircArc3d tilted(at(0), at(100), at(250));
    expectPoint(tilted.center(), 1, 2, 3);
    EXPECT_NEAR(tilted.radius(), 5, 1e-9);
    EXPECT_NEAR(tilted.endAng(), 250 * kPi / 180, 1e-9);
    expectVector(tilted.normal(), n.x, n.y, n.z);

    EXPECT_TRUE(AcGeCircArc3d(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 1), AcGePoint3d(2, 2, 2)).isDegenerate());
}

TEST(GeCircArc, FromCentreAndAngles) {
    AcGeCircArc3d arc(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, 2), AcGeVector3d(0, 3, 0), 2.0, 0.0, kPi / 2);
    expectVector(arc.normal(), 0, 0, 1);
    expectVector(arc.refVec(), 0, 1, 0);
    expectPoint(arc.startPoint(), 1, 3, 0);
    expectPoint(arc.endPoint(), -1, 1, 0);
    EXPECT_NEAR(arc.length(), kPi, 1e-12);
    // An end angle below the start is taken one turn later.
    arc.setAngles(3 * kPi / 2, kPi / 2);
    EXPECT_NEAR(arc.endAng(), 5 * kPi / 2, 1e-12);
    EXPECT_NEAR(arc.paramOf(AcGePoint3d(1, 3, 0)), 2 * kPi, 1e-12);
    EXPECT_TRUE(arc.isOn(AcGePoint3d(1, 3, 0)));
    EXPECT_TRUE(arc.isOn(AcGePoint3d(-1, 1, 0)));
    EXPECT_FALSE(arc.isOn(AcGePoint3d(1, -1, 0)));  // angle pi lies outside 3pi/2 .. 5pi/2
    // Beyond the ends the nearer end point is the closest.
    expectPoint(arc.closestPointTo(AcGePoint3d(2, -5, 0)), 3, 1, 0);

    // A mirror keeps the arc's points: the start and end map to the mirrored start and end.
    AcGeCircArc3d a2(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 1.0, 0.0, kPi / 2);
    AcGeMatrix3d mir = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(3, 0, 0), AcGeVector3d::kXAxis));
    a2.transformBy(mir);
    expectPoint(a2.startPoint(), 5, 0, 0);
    expectPoint(a2.endPoint(), 6, 1, 0);
    expectVector(a2.normal(), 0, 0, -1);
    a2.transformBy(AcGeMatrix3d::scaling(3.0));
    EXPECT_NEAR(a2.radius(), 3.0, 1e-12);
}

TEST(GeArray, FindUsesPointTolerance) {
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(1, 0, 0));
    pts.append(AcGePoint3d(2, 0, 0));
    pts.insertAt(0, AcGePoint3d(0, 0, 0));
    EXPECT_EQ(pts.find(AcGePoint3d(2, 0, 1e-12)), 2);
    int at = -1;
    EXPECT_FALSE(pts.find(AcGePoint3d(1, 0, 0), at, 2));  // search starts at index 2
    EXPECT_TRUE(pts.remove(AcGePoint3d(1, 0, 1e-12)));
    EXPECT_EQ(pts.length(), 2);
    EXPECT_EQ(pts.last().x, 2.0);
}

}  // namespace
