// Curve queries of lines, arcs, circles and lightweight polylines, on hand-computed answers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "acad/CurveMath.h"

using namespace CurveMath;

namespace {

constexpr double kPi = M_PI;
const double kR2 = std::sqrt(2.0);

void expectPoint(const AcGePoint3d& p, double x, double y, double z = 0.0, double tol = 1e-9) {
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
    EXPECT_NEAR(p.z, z, tol);
}

AcGePoint3d at(const Shape& s, double param) {
    AcGePoint3d p(1e300, 1e300, 1e300);
    EXPECT_TRUE(pointAtParam(s, param, p)) << "param " << param;
    return p;
}

double paramOf(const Shape& s, const AcGePoint3d& p) {
    double t = -1e300;
    EXPECT_TRUE(paramAtPoint(s, p, t));
    return t;
}

// A polyline that owns its vertex storage.
struct Pline {
    std::vector<AcGePoint2d> pts;
    std::vector<double> bulges;
    bool closed = false;
    double elevation = 0.0;
    AcGeVector3d normal = AcGeVector3d::kZAxis;
    Polyline view() const { return Polyline{pts, bulges, closed, elevation, normal}; }
};

TEST(CurveMathLine, ParameterIsDistanceFromStart) {
    Shape l = Line{{0, 0, 0}, {3, 4, 0}};
    EXPECT_DOUBLE_EQ(startParam(l), 0.0);
    EXPECT_DOUBLE_EQ(endParam(l), 5.0);
    EXPECT_DOUBLE_EQ(length(l), 5.0);
    expectPoint(at(l, 2.5), 1.5, 2.0);
    EXPECT_NEAR(paramOf(l, {0.6, 0.8, 0}), 1.0, 1e-12);
    double d;
    EXPECT_TRUE(distAtParam(l, 4.0, d));
    EXPECT_DOUBLE_EQ(d, 4.0);
    AcGeVector3d t;
    ASSERT_TRUE(firstDeriv(l, 1.0, t));
    EXPECT_NEAR(t.x, 0.6, 1e-12);
    EXPECT_NEAR(t.y, 0.8, 1e-12);
    ASSERT_TRUE(firstDerivAtPoint(l, {3, 4, 0}, t));
    EXPECT_NEAR(t.length(), 1.0, 1e-12);
    AcGePoint3d p;
    ASSERT_TRUE(pointAtDist(l, 5.0, p));
    expectPoint(p, 3, 4);

    // Outside the line, every query fails.
    EXPECT_FALSE(pointAtParam(l, 5.1, p));
    EXPECT_FALSE(pointAtParam(l, -0.1, p));
    EXPECT_FALSE(pointAtDist(l, 6.0, p));
    double t2;
    EXPECT_FALSE(paramAtPoint(l, {0.6, 0.9, 0}, t2));
    EXPECT_FALSE(paramAtPoint(l, {6, 8, 0}, t2));  // on the line's extension only
    EXPECT_FALSE(paramAtPoint(l, {0.6, 0.8, 0.1}, t2));

    expectPoint(closestPoint(l, {-3, -4, 0}), 0, 0);
    expectPoint(closestPoint(l, {-3, -4, 0}, true), -3, -4);
    expectPoint(closestPoint(l, {3.5, 0.5, 7}), 1.5, 2);  // foot of the perpendicular, in space
}

TEST(CurveMathArc, ParameterIsTheAngle) {
    // Centre (1, 1), radius 2, from 90 to 180 degrees.
    Shape a = Arc{{1, 1, 0}, 2.0, AcGeVector3d::kZAxis, kPi / 2, kPi};
    expectPoint(startPoint(a), 1, 3);
    expectPoint(endPoint(a), -1, 1);
    EXPECT_DOUBLE_EQ(startParam(a), kPi / 2);
    EXPECT_DOUBLE_EQ(endParam(a), kPi);
    EXPECT_NEAR(length(a), kPi, 1e-12);
    expectPoint(at(a, 3 * kPi / 4), 1 - kR2, 1 + kR2);
    AcGeVector3d d;
    ASSERT_TRUE(firstDeriv(a, kPi / 2, d));  // r (-sin, cos)
    EXPECT_NEAR(d.x, -2, 1e-12);
    EXPECT_NEAR(d.y, 0, 1e-12);
    double dist;
    ASSERT_TRUE(distAtParam(a, 3 * kPi / 4, dist));
    EXPECT_NEAR(dist, kPi / 2, 1e-12);
    AcGePoint3d p;
    ASSERT_TRUE(pointAtDist(a, kPi / 2, p));
    expectPoint(p, 1 - kR2, 1 + kR2);
    double t;
    EXPECT_FALSE(paramAtPoint(a, {3, 1, 0}, t));  // on the circle, not on the arc
    EXPECT_FALSE(pointAtParam(a, kPi / 4, p));
    // The nearer end, or the foot on the full circle when extended.
    expectPoint(closestPoint(a, {3, 1, 0}), 1, 3);
    expectPoint(closestPoint(a, {3, 1, 0}, true), 3, 1);
    expectPoint(closestPoint(a, {1 - 4, 1 + 4, 0}), 1 - kR2, 1 + kR2);
}

TEST(CurveMathArc, CrossingZeroAngle) {
    // From 270 to 90 degrees: the right half, its parameters running on past 2pi.
    Shape a = Arc{{0, 0, 0}, 3.0, AcGeVector3d::kZAxis, 3 * kPi / 2, kPi / 2};
    EXPECT_NEAR(endParam(a), 5 * kPi / 2, 1e-12);
    EXPECT_NEAR(length(a), 3 * kPi, 1e-12);
    expectPoint(at(a, 2 * kPi), 3, 0);
    EXPECT_NEAR(paramOf(a, {3, 0, 0}), 2 * kPi, 1e-12);
    EXPECT_NEAR(paramOf(a, {0, 3, 0}), 5 * kPi / 2, 1e-12);
    EXPECT_NEAR(paramOf(a, {0, -3, 0}), 3 * kPi / 2, 1e-12);
    double dist;
    ASSERT_TRUE(distAtPoint(a, {3, 0, 0}, dist));
    EXPECT_NEAR(dist, 1.5 * kPi, 1e-12);
    double t;
    EXPECT_FALSE(paramAtPoint(a, {-3, 0, 0}, t));
}

TEST(CurveMathArc, AnglesInTheEntitySystemOfTheNormal) {
    // Seen from below (normal -Z) the entity X axis is world -X: angle 0 is (-1, 0) and the
    // arc to 90 degrees runs clockwise as seen from above.
    Shape a = Arc{{0, 0, 2}, 1.0, AcGeVector3d(0, 0, -1), 0, kPi / 2};
    expectPoint(startPoint(a), -1, 0, 2);
    expectPoint(endPoint(a), 0, 1, 2);
    expectPoint(at(a, kPi / 4), -kR2 / 2, kR2 / 2, 2);
    // Upright, normal +X: entity X is world Y and entity Y is world Z.
    Shape up = Arc{{5, 0, 0}, 2.0, AcGeVector3d::kXAxis, 0, kPi / 2};
    expectPoint(startPoint(up), 5, 2, 0);
    expectPoint(endPoint(up), 5, 0, 2);
    // Back from a geometric arc: same points whatever its reference vector.
    AcGeCircArc3d g(AcGePoint3d(1, 0, 0), AcGePoint3d(0, 1, 0), AcGePoint3d(-1, 0, 0));
    Arc e = arcFromGeArc(g);
    expectPoint(startPoint(e), 1, 0);
    expectPoint(endPoint(e), -1, 0);
    AcGeCircArc3d g2(AcGePoint3d(1, 2, 0), AcGeVector3d(0, 0, -1), AcGeVector3d(1, 1, 0), 2.0, 0.3, 2.0);
    Arc e2 = arcFromGeArc(g2);
    expectPoint(startPoint(e2), g2.startPoint().x, g2.startPoint().y, g2.startPoint().z);
    expectPoint(endPoint(e2), g2.endPoint().x, g2.endPoint().y, g2.endPoint().z);
}

TEST(CurveMathCircle, FullTurn) {
    Shape c = Circle{{2, 0, 1}, 2.0, AcGeVector3d::kZAxis};
    EXPECT_DOUBLE_EQ(endParam(c), 2 * kPi);
    EXPECT_NEAR(length(c), 4 * kPi, 1e-12);
    expectPoint(startPoint(c), 4, 0, 1);
    expectPoint(endPoint(c), 4, 0, 1);
    expectPoint(at(c, kPi), 0, 0, 1);
    EXPECT_NEAR(paramOf(c, {2, -2, 1}), 3 * kPi / 2, 1e-12);
    expectPoint(closestPoint(c, {2, 10, 1}), 2, 2, 1);
    AcGeVector3d d;
    ASSERT_TRUE(firstDeriv(c, 0.0, d));
    EXPECT_NEAR(d.y, 2.0, 1e-12);
}

// (0,0) -> (4,0), a half circle bulging out to (6,2) on to (4,4), then back to (0,4).
Pline openWithBulge() {
    Pline p;
    p.pts = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    p.bulges = {0, 1, 0, 0};
    return p;
}

TEST(CurveMathPolyline, VertexIndexParameters) {
    Pline pl = openWithBulge();
    Shape s = pl.view();
    EXPECT_EQ(segmentCount(pl.view()), 3);
    EXPECT_DOUBLE_EQ(endParam(s), 3.0);
    EXPECT_NEAR(length(s), 8 + 2 * kPi, 1e-12);
    expectPoint(at(s, 1.5), 6, 2);
    expectPoint(at(s, 2.5), 2, 4);
    expectPoint(at(s, 1.0), 4, 0);
    EXPECT_NEAR(paramOf(s, {6, 2, 0}), 1.5, 1e-12);
    EXPECT_NEAR(paramOf(s, {2, 4, 0}), 2.5, 1e-12);
    EXPECT_NEAR(paramOf(s, {4 + kR2, 2 + kR2, 0}), 1.75, 1e-12);
    // d point / d parameter on the bulge: sweep * r * unit tangent = pi * 2 * (0, 1) at (6, 2).
    AcGeVector3d d;
    ASSERT_TRUE(firstDeriv(s, 1.5, d));
    EXPECT_NEAR(d.x, 0, 1e-9);
    EXPECT_NEAR(d.y, 2 * kPi, 1e-9);
    ASSERT_TRUE(firstDeriv(s, 0.5, d));
    EXPECT_NEAR(d.x, 4, 1e-12);
    double dist;
    ASSERT_TRUE(distAtParam(s, 2.5, dist));
    EXPECT_NEAR(dist, 4 + 2 * kPi + 2, 1e-12);
    AcGePoint3d p;
    ASSERT_TRUE(pointAtDist(s, 4 + kPi, p));
    expectPoint(p, 6, 2);
    double t;
    ASSERT_TRUE(paramAtDist(s, 4 + 2 * kPi + 1, t));
    EXPECT_NEAR(t, 2.25, 1e-12);
    EXPECT_FALSE(pointAtParam(s, 3.01, p));
    EXPECT_FALSE(paramAtPoint(s, {4, 2, 0}, t));  // the chord's midpoint is not on the bulge
    expectPoint(closestPoint(s, {10, 2, 0}), 6, 2);
    expectPoint(closestPoint(s, {4, 2, 0}), 4, 0);  // the arc's centre: its start is as near as any
}

TEST(CurveMathPolyline, ClosedAndNegativeBulge) {
    Pline pl = openWithBulge();
    pl.closed = true;
    Shape s = pl.view();
    EXPECT_DOUBLE_EQ(endParam(s), 4.0);
    EXPECT_NEAR(length(s), 12 + 2 * kPi, 1e-12);
    expectPoint(at(s, 3.5), 0, 2);
    expectPoint(endPoint(s), 0, 0);
    EXPECT_NEAR(paramOf(s, {0, 1, 0}), 3.75, 1e-12);

    // A clockwise half circle from (0, 0) to (2, 0) rises over (1, 1): a bulge lies to the
    // left of the direction of travel when negative.
    Pline cw;
    cw.pts = {{0, 0}, {2, 0}};
    cw.bulges = {-1, 0};
    Shape c = cw.view();
    expectPoint(at(c, 0.5), 1, 1);
    AcGeVector3d d;
    ASSERT_TRUE(firstDeriv(c, 0.5, d));  // moving in +X at the top, |d| = pi * r
    EXPECT_NEAR(d.x, kPi, 1e-9);
    EXPECT_NEAR(d.y, 0, 1e-9);
    // A quarter bulge: tan(22.5 deg) gives a 90-degree arc of radius sqrt(2) about (1, 1).
    cw.bulges = {std::tan(kPi / 8), 0};
    expectPoint(at(cw.view(), 0.5), 1, 1 - kR2);
}

TEST(CurveMathPolyline, ElevationAndNormal) {
    // Seen from below: entity X is world -X and the elevation runs along -Z.
    Pline pl;
    pl.pts = {{1, 0}, {2, 0}, {2, 3}};
    pl.elevation = 5;
    pl.normal = AcGeVector3d(0, 0, -1);
    Shape s = pl.view();
    expectPoint(startPoint(s), -1, 0, -5);
    expectPoint(endPoint(s), -2, 3, -5);
    EXPECT_NEAR(paramOf(s, {-2, 1.5, -5}), 1.5, 1e-12);
    double t;
    EXPECT_FALSE(paramAtPoint(s, {-2, 1.5, 5}, t));
}

TEST(CurveMathPolyline, ExtendedEnds) {
    Pline pl;
    pl.pts = {{0, 0}, {4, 0}, {4, 4}};
    Shape s = pl.view();
    expectPoint(closestPoint(s, {-3, 1, 0}), 0, 0);
    expectPoint(closestPoint(s, {-3, 1, 0}, true), -3, 0);
    expectPoint(closestPoint(s, {4.5, 7, 0}, true), 4, 7);
    // The inner ends do not extend: the last segment runs on only beyond (4, 4).
    expectPoint(closestPoint(s, {8, -1, 0}, true), 4, 0);
    // A closed polyline has no ends to extend.
    pl.closed = true;
    expectPoint(closestPoint(pl.view(), {-3, 1, 0}, true), 0, 0);
}

TEST(CurveMathPolyline, DegenerateInputs) {
    Pline one;
    one.pts = {{1, 1}};
    AcGePoint3d p;
    EXPECT_EQ(segmentCount(one.view()), 0);
    EXPECT_FALSE(pointAtParam(one.view(), 0.0, p));
    expectPoint(startPoint(one.view()), 1, 1);
    expectPoint(endPoint(Shape(one.view())), 1, 1);
    Pline dup;
    dup.pts = {{0, 0}, {0, 0}, {3, 0}};
    EXPECT_NEAR(length(Shape(dup.view())), 3.0, 1e-12);
    ASSERT_TRUE(pointAtDist(dup.view(), 1.0, p));
    expectPoint(p, 1, 0);
}

TEST(CurveMathAll, Extents) {
    Pline bulged = openWithBulge();
    Pline single;
    single.pts = {{3, 4}};
    Pline none;
    struct Case {
        const char* what;
        Shape s;
        AcGePoint3d lo, hi;
    } cases[] = {
        {"line", Line{{3, -1, 2}, {-1, 5, 0}}, {-1, -1, 0}, {3, 5, 2}},
        {"arc over the top", Arc{{0, 0, 1}, 2, AcGeVector3d::kZAxis, kPi / 4, 3 * kPi / 4}, {-kR2, kR2, 1}, {kR2, 2, 1}},
        {"arc through angle zero", Arc{{0, 0, 0}, 2, AcGeVector3d::kZAxis, 7 * kPi / 4, kPi / 4}, {kR2, -kR2, 0}, {2, kR2, 0}},
        {"upright circle", Circle{{1, 1, 1}, 1, AcGeVector3d::kXAxis}, {1, 0, 0}, {1, 2, 2}},
        {"polyline with a bulge", bulged.view(), {0, 0, 0}, {6, 4, 0}},
        {"single vertex", single.view(), {3, 4, 0}, {3, 4, 0}},
    };
    for (const Case& c : cases) {
        AcGePoint3d lo, hi;
        ASSERT_TRUE(extents(c.s, lo, hi)) << c.what;
        EXPECT_LT(lo.distanceTo(c.lo), 1e-9) << c.what << " min (" << lo.x << ", " << lo.y << ", " << lo.z << ")";
        EXPECT_LT(hi.distanceTo(c.hi), 1e-9) << c.what << " max (" << hi.x << ", " << hi.y << ", " << hi.z << ")";
    }
    AcGePoint3d lo, hi;
    EXPECT_FALSE(extents(none.view(), lo, hi));
}

TEST(CurveMathAll, ParameterPointDistanceAgreeAlongEachShape) {
    Pline pl = openWithBulge();
    pl.closed = true;
    Shape shapes[] = {
        Line{{1, 2, 3}, {-4, 5, 6}},
        Arc{{1, 1, 1}, 3.0, AcGeVector3d(1, 2, 3), 5.5, 1.0},
        Circle{{0, 0, 0}, 0.5, AcGeVector3d(0, 1, 0)},
        pl.view(),
    };
    for (const Shape& s : shapes) {
        double t0 = startParam(s), t1 = endParam(s), len = length(s);
        for (int i = 0; i <= 8; ++i) {
            double t = t0 + (t1 - t0) * i / 8.0;
            AcGePoint3d p = at(s, t);
            double back = paramOf(s, p);
            AcGePoint3d p2 = at(s, back);  // the same point, even where the parameter may differ
            EXPECT_LT(p.distanceTo(p2), 1e-9);
            double dist;
            ASSERT_TRUE(distAtParam(s, t, dist));
            if (s.index() != 3) {  // uniform speed
                EXPECT_NEAR(dist, len * i / 8.0, 1e-9 * len);
            }
            AcGePoint3d p3;
            ASSERT_TRUE(pointAtDist(s, dist, p3));
            EXPECT_LT(p.distanceTo(p3), 1e-9);
            // The derivative matches a finite difference.
            AcGeVector3d d;
            ASSERT_TRUE(firstDeriv(s, t, d));
            double h = 1e-6 * (t1 - t0);
            double ta = std::max(t0, t - h), tb = std::min(t1, t + h);
            if (s.index() == 3 && std::fabs(t - std::round(t)) < 1e-9) continue;  // corners
            AcGeVector3d fd = (at(s, tb) - at(s, ta)) / (tb - ta);
            EXPECT_LT((fd - d).length(), 1e-4 * std::max(1.0, d.length()));
        }
    }
}

}  // namespace
