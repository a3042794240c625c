// Crossings on the XY projection for every pair of line, arc, circle and polyline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "acad/CurveMath.h"

using namespace CurveMath;

namespace {

constexpr double kPi = M_PI;
const double kR3 = std::sqrt(3.0);

struct Pline {
    std::vector<AcGePoint2d> pts;
    std::vector<double> bulges;
    bool closed = false;
    Polyline view() const { return Polyline{pts, bulges, closed, 0.0, AcGeVector3d::kZAxis}; }
};

Pline square(double x0, double y0, double side) {
    return Pline{{{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}}, {}, true};
}

// The crossings, sorted by x, y, z, so cases can list them in a fixed order.
std::vector<AcGePoint3d> cross(const Shape& a, const Shape& b, ExtendMode mode = kOnBothOperands) {
    AcGePoint3dArray out;
    int n = intersectWith(a, b, mode, out);
    EXPECT_EQ(n, out.length());
    std::vector<AcGePoint3d> v(out.begin(), out.end());
    std::sort(v.begin(), v.end(), [](const AcGePoint3d& p, const AcGePoint3d& q) {
        if (std::fabs(p.x - q.x) > 1e-9) return p.x < q.x;
        if (std::fabs(p.y - q.y) > 1e-9) return p.y < q.y;
        return p.z < q.z;
    });
    return v;
}

void expectPoints(const std::vector<AcGePoint3d>& got, std::vector<AcGePoint3d> want, const std::string& what,
                  double tol = 1e-9) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_LT(got[i].distanceTo(want[i]), tol)
            << what << ": point " << i << " is (" << got[i].x << ", " << got[i].y << ", " << got[i].z << ")";
}

TEST(CurveMathIntersect, PairsOnKnownAnswers) {
    Pline sq = square(0, 0, 4), sq2 = square(2, 2, 4);
    Pline bulged{{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {0, 1, 0, 0}, false};  // half circle about (4, 2), r 2
    struct Case {
        std::string what;
        Shape a, b;
        std::vector<AcGePoint3d> want;
    } cases[] = {
        {"line x line", Line{{0, 0, 0}, {2, 2, 0}}, Line{{0, 2, 0}, {2, 0, 0}}, {{1, 1, 0}}},
        {"line x line, touching at an end", Line{{0, 0, 0}, {1, 1, 0}}, Line{{1, 1, 0}, {2, 0, 0}}, {{1, 1, 0}}},
        {"parallel lines", Line{{0, 0, 0}, {2, 0, 0}}, Line{{0, 1, 0}, {2, 1, 0}}, {}},
        {"collinear overlapping lines", Line{{0, 0, 0}, {2, 0, 0}}, Line{{1, 0, 0}, {3, 0, 0}}, {}},
        {"lines at different heights keep self's height", Line{{0, 0, 5}, {2, 2, 5}}, Line{{0, 2, 0}, {2, 0, 0}},
         {{1, 1, 5}}},
        {"line x circle, secant", Line{{-5, 0, 0}, {5, 0, 0}}, Circle{{0, 0, 0}, 2}, {{-2, 0, 0}, {2, 0, 0}}},
        {"line x circle, tangent", Line{{-5, 2, 0}, {5, 2, 0}}, Circle{{0, 0, 0}, 2}, {{0, 2, 0}}},
        {"line x circle, miss", Line{{-5, 2.001, 0}, {5, 2.001, 0}}, Circle{{0, 0, 0}, 2}, {}},
        {"line ending inside a circle", Line{{0, 0, 0}, {5, 0, 0}}, Circle{{0, 0, 0}, 2}, {{2, 0, 0}}},
        {"circle x line", Circle{{0, 0, 0}, 2}, Line{{1, -5, 0}, {1, 5, 0}}, {{1, -kR3, 0}, {1, kR3, 0}}},
        {"line x upper half arc", Line{{1, -5, 0}, {1, 5, 0}}, Arc{{0, 0, 0}, 2, AcGeVector3d::kZAxis, 0, kPi},
         {{1, kR3, 0}}},
        {"arc crossing angle zero x line", Arc{{0, 0, 0}, 2, AcGeVector3d::kZAxis, 3 * kPi / 2, kPi / 2},
         Line{{-5, 1, 0}, {5, 1, 0}}, {{kR3, 1, 0}}},
        {"arc seen from below x line", Arc{{0, 0, 0}, 2, AcGeVector3d(0, 0, -1), 0, kPi / 2},
         Line{{-5, 1, 0}, {5, 1, 0}}, {{-kR3, 1, 0}}},
        {"circle x circle, secant", Circle{{0, 0, 0}, 5}, Circle{{8, 0, 0}, 5}, {{4, -3, 0}, {4, 3, 0}}},
        {"circle x circle, outside tangent", Circle{{0, 0, 0}, 5}, Circle{{10, 0, 0}, 5}, {{5, 0, 0}}},
        {"circle x circle, inside tangent", Circle{{0, 0, 0}, 5}, Circle{{2, 0, 0}, 3}, {{5, 0, 0}}},
        {"circle x circle, inside tangent, small first", Circle{{2, 0, 0}, 3}, Circle{{0, 0, 0}, 5}, {{5, 0, 0}}},
        {"concentric circles", Circle{{0, 0, 0}, 5}, Circle{{0, 0, 0}, 3}, {}},
        {"circles apart", Circle{{0, 0, 0}, 5}, Circle{{20, 0, 0}, 5}, {}},
        {"arc x circle", Arc{{0, 0, 0}, 5, AcGeVector3d::kZAxis, 0, kPi}, Circle{{8, 0, 0}, 5}, {{4, 3, 0}}},
        {"circle x arc", Circle{{8, 0, 0}, 5}, Arc{{0, 0, 0}, 5, AcGeVector3d::kZAxis, 0, kPi}, {{4, 3, 0}}},
        {"arc x arc, both halves", Arc{{0, 0, 0}, 5, AcGeVector3d::kZAxis, kPi, 2 * kPi},
         Arc{{8, 0, 0}, 5, AcGeVector3d::kZAxis, kPi / 2, 3 * kPi / 2}, {{4, -3, 0}}},
        {"arc x arc, disjoint spans", Arc{{0, 0, 0}, 5, AcGeVector3d::kZAxis, 0, kPi / 6},
         Arc{{8, 0, 0}, 5, AcGeVector3d::kZAxis, kPi / 2, 3 * kPi / 2}, {}},
        {"polyline x line", sq.view(), Line{{-1, 2, 0}, {5, 2, 0}}, {{0, 2, 0}, {4, 2, 0}}},
        {"polyline x line through two corners", sq.view(), Line{{-1, -1, 0}, {5, 5, 0}}, {{0, 0, 0}, {4, 4, 0}}},
        {"line x polyline", Line{{-1, 2, 0}, {5, 2, 0}}, sq.view(), {{0, 2, 0}, {4, 2, 0}}},
        {"bulged polyline x line", bulged.view(), Line{{5, -1, 0}, {5, 5, 0}}, {{5, 2 - kR3, 0}, {5, 2 + kR3, 0}}},
        {"bulged polyline x line through the bulge's far point", bulged.view(), Line{{-1, 2, 0}, {10, 2, 0}},
         {{6, 2, 0}}},
        {"polyline x circle", sq.view(), Circle{{4, 4, 0}, 1}, {{3, 4, 0}, {4, 3, 0}}},
        {"polyline x arc", sq.view(), Arc{{4, 4, 0}, 1, AcGeVector3d::kZAxis, kPi, 3 * kPi / 2}, {{3, 4, 0}, {4, 3, 0}}},
        {"polyline x arc, outer quarter only", sq.view(), Arc{{4, 4, 0}, 1, AcGeVector3d::kZAxis, 0, kPi / 2}, {}},
        {"bulged polyline x circle", bulged.view(), Circle{{6, 2, 0}, 1}, {{6 - 0.25, 2 - std::sqrt(1 - 0.0625), 0}, {6 - 0.25, 2 + std::sqrt(1 - 0.0625), 0}}},
        {"polyline x polyline", sq.view(), sq2.view(), {{2, 4, 0}, {4, 2, 0}}},
        {"circle x polyline", Circle{{4, 4, 0}, 1}, sq.view(), {{3, 4, 0}, {4, 3, 0}}},
        {"arc x polyline", Arc{{4, 4, 0}, 1, AcGeVector3d::kZAxis, kPi, 3 * kPi / 2}, sq.view(), {{3, 4, 0}, {4, 3, 0}}},
    };
    for (const Case& c : cases) expectPoints(cross(c.a, c.b), c.want, c.what);
}

TEST(CurveMathIntersect, ContactsAtTheTolerance) {
    // Circles whose gap is below the point tolerance touch once, not twice a hair apart.
    auto touch = cross(Circle{{0, 0, 0}, 5}, Circle{{10 - 1e-11, 0, 0}, 5});
    expectPoints(touch, {{5, 0, 0}}, "nearly touching circles", 1e-8);
    // A radial line meeting the circle a hair outside an arc's end, within the tolerance,
    // meets the arc; clearly outside, it does not. Start angles go all round the circle.
    for (int k = 0; k < 24; ++k) {
        double a = k * kPi / 12 + 0.1;
        Arc arc{{1, 2, 0}, 3, AcGeVector3d::kZAxis, a, a + 1.0};
        AcGePoint3d c = arc.center;
        auto ray = [&](double ang) {
            return Line{c, c + AcGeVector3d(std::cos(ang), std::sin(ang), 0) * 6.0};
        };
        EXPECT_EQ(cross(ray(a - 1e-13), arc).size(), 1u) << "start, k = " << k;
        EXPECT_EQ(cross(ray(a + 1.0 + 1e-13), arc).size(), 1u) << "end, k = " << k;
        EXPECT_EQ(cross(ray(a - 1e-6), arc).size(), 0u) << "before start, k = " << k;
        EXPECT_EQ(cross(ray(a + 1.0 + 1e-6), arc).size(), 0u) << "after end, k = " << k;
    }
}

TEST(CurveMathIntersect, ExtendModes) {
    // y = x from (0,0) to (1,1) and y = 3 - x: the lines meet at (1.5, 1.5).
    Shape shortLine = Line{{0, 0, 0}, {1, 1, 0}};
    Shape farLine = Line{{3, 0, 0}, {4, -1, 0}};
    Shape longLine = Line{{0, 3, 0}, {3, 0, 0}};
    struct Case {
        const char* what;
        const Shape &a, &b;
        int counts[4];  // per mode: on both, extend this, extend arg, extend both
    } cases[] = {
        {"neither reaches", shortLine, farLine, {0, 0, 0, 1}},
        {"only self falls short", shortLine, longLine, {0, 1, 0, 1}},
        {"only the argument falls short", longLine, shortLine, {0, 0, 1, 1}},
    };
    for (const Case& c : cases)
        for (int mode = 0; mode < 4; ++mode) {
            auto pts = cross(c.a, c.b, static_cast<ExtendMode>(mode));
            ASSERT_EQ(static_cast<int>(pts.size()), c.counts[mode]) << c.what << ", mode " << mode;
            if (!pts.empty()) expectPoints(pts, {{1.5, 1.5, 0}}, c.what);
        }

    // An extended arc is its whole circle.
    Shape arc = Arc{{0, 0, 0}, 2, AcGeVector3d::kZAxis, 0, kPi};
    Shape vert = Line{{1, -5, 0}, {1, 5, 0}};
    expectPoints(cross(arc, vert, kExtendThis), {{1, -kR3, 0}, {1, kR3, 0}}, "extended arc");
    expectPoints(cross(vert, arc, kExtendArg), {{1, -kR3, 0}, {1, kR3, 0}}, "extended argument arc");
    expectPoints(cross(vert, arc, kExtendThis), {{1, kR3, 0}}, "arc not extended");

    // An open polyline runs on beyond its first and last vertices only.
    Pline hook{{{0, 0}, {2, 0}, {2, 2}}, {}, false};
    Shape post = Line{{-5, -1, 0}, {-5, 1, 0}};
    Shape bar = Line{{1, 5, 0}, {3, 5, 0}};
    Shape inner = Line{{3, -1, 0}, {3, 1, 0}};  // would meet only the inner ends extended
    EXPECT_TRUE(cross(hook.view(), post).empty());
    expectPoints(cross(hook.view(), post, kExtendThis), {{-5, 0, 0}}, "first segment extended");
    expectPoints(cross(hook.view(), bar, kExtendThis), {{2, 5, 0}}, "last segment extended");
    EXPECT_TRUE(cross(hook.view(), inner, kExtendThis).empty());
    expectPoints(cross(post, hook.view(), kExtendArg), {{-5, 0, 0}}, "polyline as argument");
    hook.closed = true;
    EXPECT_TRUE(cross(hook.view(), post, kExtendThis).empty()) << "a closed polyline has no ends";
}

TEST(CurveMathIntersect, PolylineWithItself) {
    struct Case {
        const char* what;
        Pline pl;
        std::vector<AcGePoint3d> want;
    } cases[] = {
        {"bow tie", {{{0, 0}, {4, 4}, {4, 0}, {0, 4}}, {}, true}, {{2, 2, 0}}},
        {"square: corners are not crossings", square(0, 0, 4), {}},
        {"open zigzag", {{{0, 0}, {4, 0}, {4, 4}, {2, 4}}, {}, false}, {}},
        // A counter-clockwise half circle from (0,0) to (4,0) dips to (2,-2); the last segment
        // drops through it there.
        {"bulge crossed by a later segment", {{{0, 0}, {4, 0}, {2, 1}, {2, -3}}, {1, 0, 0, 0}, false}, {{2, -2, 0}}},
        {"curl back over the start", {{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, -2}}, {}, false}, {{2, 0, 0}}},
        // The closing segment crosses the middle one.
        {"closing segment", {{{0, 0}, {4, 2}, {4, 0}, {0, 2}}, {}, true}, {{2, 1, 0}}},
    };
    for (const Case& c : cases) {
        AcGePoint3dArray out;
        int n = selfIntersections(c.pl.view(), out);
        ASSERT_EQ(n, static_cast<int>(c.want.size())) << c.what;
        for (size_t i = 0; i < c.want.size(); ++i) EXPECT_LT(out[static_cast<int>(i)].distanceTo(c.want[i]), 1e-9) << c.what;
    }
    // Points are appended after what the array already holds.
    AcGePoint3dArray out;
    out.append(AcGePoint3d(9, 9, 9));
    EXPECT_EQ(selfIntersections(Pline{{{0, 0}, {4, 4}, {4, 0}, {0, 4}}, {}, true}.view(), out), 1);
    EXPECT_EQ(out.length(), 2);
}

TEST(CurveMathIntersect, CurvesNotInTheXYPlane) {
    // A circle standing upright on the Y axis (normal +X) shows as a segment from (0,-1) to (0,1);
    // the crossing at y = 0.5 lies above and below the line.
    Shape upright = Circle{{0, 0, 0}, 1, AcGeVector3d::kXAxis};
    Shape line = Line{{-1, 0.5, 0}, {1, 0.5, 0}};
    expectPoints(cross(upright, line), {{0, 0.5, -kR3 / 2}, {0, 0.5, kR3 / 2}}, "upright circle x line");
    expectPoints(cross(line, upright), {{0, 0.5, 0}}, "line x upright circle");
    EXPECT_TRUE(cross(line, Circle{{0, 0, 0}, 1, AcGeVector3d(1, 0, 0)}, kOnBothOperands).size() == 1);

    // A circle of radius 2 tilted 45 degrees about Y shows as the ellipse x^2/2 + y^2/4 = 1.
    Shape tilted = Circle{{0, 0, 0}, 2, AcGeVector3d(1, 0, 1)};
    double x = std::sqrt(0.76), y = std::sqrt(2.48);
    expectPoints(cross(Circle{{0, 0, 0}, 1.8}, tilted), {{-x, -y, 0}, {-x, y, 0}, {x, -y, 0}, {x, y, 0}},
                 "circle x tilted circle", 1e-7);
    // Radius 2 touches the ellipse at the ends of its long axis.
    expectPoints(cross(Circle{{0, 0, 0}, 2}, tilted), {{0, -2, 0}, {0, 2, 0}}, "tangent to the ellipse", 1e-6);
    // A line through the ellipse: y = 1 meets x^2/2 = 3/4.
    double xl = std::sqrt(1.5);
    expectPoints(cross(Line{{-5, 1, 0}, {5, 1, 0}}, tilted), {{-xl, 1, 0}, {xl, 1, 0}}, "line x ellipse");
    // Two upright circles crossing in plan: on the Y axis and on the X axis.
    Shape uprightX = Circle{{0, 0, 0}, 1, AcGeVector3d::kYAxis};  // shows as a segment on the X axis
    expectPoints(cross(upright, uprightX), {{0, 0, -1}, {0, 0, 1}}, "two upright circles");
}

}  // namespace
