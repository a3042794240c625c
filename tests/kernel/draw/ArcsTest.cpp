// Arc entities against arcs computed here independently (rotation of the start vector about the
// normal), and read back by ezdxf, which applies the entity coordinate system on its own.
#include <cmath>
#include <memory>

#include "DrawFixture.h"
#include "draw/Arcs.h"

namespace {

// v turned by angle a about the unit axis k (Rodrigues' formula).
AcGeVector3d Turn(const AcGeVector3d& v, const AcGeVector3d& k, double a) {
    return v * std::cos(a) + k.crossProduct(v) * std::sin(a) + k * (k.dotProduct(v) * (1 - std::cos(a)));
}

void ExpectNear(const AcGePoint3d& got, const AcGePoint3d& want, const std::string& what) {
    EXPECT_NEAR(got.x, want.x, 1e-9) << what;
    EXPECT_NEAR(got.y, want.y, 1e-9) << what;
    EXPECT_NEAR(got.z, want.z, 1e-9) << what;
}

// The arc's start, middle and end points against the expected ones.
void ExpectArc(AcDbArc* arc, const AcGePoint3d& center, double radius, const AcGePoint3d& start,
               const AcGePoint3d& mid, const AcGePoint3d& end, const std::string& why) {
    ASSERT_NE(arc, nullptr) << why;
    ExpectNear(arc->center(), center, why + ": centre");
    EXPECT_NEAR(arc->radius(), radius, 1e-9) << why;
    AcGePoint3d s, e, m;
    ASSERT_EQ(arc->getStartPoint(s), Acad::eOk);
    ASSERT_EQ(arc->getEndPoint(e), Acad::eOk);
    double p0, p1;
    arc->getStartParam(p0);
    arc->getEndParam(p1);
    arc->getPointAtParam((p0 + p1) / 2, m);
    ExpectNear(s, start, why + ": start");
    ExpectNear(e, end, why + ": end");
    ExpectNear(m, mid, why + ": middle");
}

struct Arc2Case {
    const char* why;
    AcGePoint3d center, start, endDir;
    AcGeVector3d normal;
};

}  // namespace

TEST(CreateArc2, CounterClockwiseAboutTheNormal) {
    const AcGeVector3d tilted = AcGeVector3d(1, 1, 1).normal();
    const Arc2Case cases[] = {
        {"quarter about +Z", {0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 1}},
        {"starting below the centre (negative angle shift)", {3, 4, 0}, {3, -6, 0}, {13, 4, 0}, {0, 0, 1}},
        {"starting above the centre", {3, 4, 0}, {3, 14, 0}, {-7, 4, 0}, {0, 0, 1}},
        {"starting below, about -Z", {0, 0, 0}, {0, -2, 0}, {2, 0, 0}, {0, 0, -1}},
        {"three quarters about -Z", {0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, -1}},
        {"about +X, off the origin", {1, 2, 3}, {1, 7, 3}, {1, 2, 8}, {1, 0, 0}},
        {"end farther away: only its direction counts", {0, 0, 0}, {5, 0, 0}, {-30, 0.001, 0}, {0, 0, 1}},
        {"tilted plane", {2, -1, 4}, {2, -1, 4}, {0, 0, 0}, tilted},  // start filled in below
    };
    for (Arc2Case c : cases) {
        if (c.normal.isEqualTo(tilted)) {
            // A start vector and an end direction in the tilted plane, 200 degrees apart.
            // 60 degrees away from the entity system's X axis of that normal.
            AcGeVector3d u = AcGeVector3d(0, 1, -1).normal() * 4;
            c.start = c.center + u;
            c.endDir = c.center + Turn(u, tilted, 200 * M_PI / 180) * 3;
        }
        AcGeVector3d vs = c.start - c.center;
        AcGeVector3d ve = c.endDir - c.center;
        AcGeVector3d k = c.normal.normal();
        // Sweep: the counter-clockwise angle about k from vs to ve, found here with atan2.
        double sweep = std::atan2(vs.crossProduct(ve).dotProduct(k), vs.dotProduct(ve));
        if (sweep < 0) sweep += 2 * M_PI;
        double r = vs.length();
        AcGePoint3d end = c.center + Turn(vs, k, sweep);
        AcGePoint3d mid = c.center + Turn(vs, k, sweep / 2);
        std::unique_ptr<AcDbArc> arc(NUV::CreateArc2(c.center, c.start, c.endDir, c.normal));
        ExpectArc(arc.get(), c.center, r, c.start, mid, end, c.why);
        ASSERT_TRUE(arc);
        EXPECT_TRUE(arc->normal().isEqualTo(k, AcGeTol())) << c.why;
        EXPECT_FALSE(arc->isDatabaseResident()) << c.why;
    }
}

TEST(CreateArc1, ThroughThreePointsEitherWay) {
    std::unique_ptr<AcDbArc> ccw(NUV::CreateArc1({10, 0, 0}, {0, 10, 0}, {-10, 0, 0}));
    ExpectArc(ccw.get(), {0, 0, 0}, 10, {10, 0, 0}, {0, 10, 0}, {-10, 0, 0}, "upper half");
    // Clockwise on the screen: the arc still starts at the first point and passes the second.
    std::unique_ptr<AcDbArc> cw(NUV::CreateArc1({10, 0, 0}, {0, -10, 0}, {-10, 0, 0}));
    ASSERT_TRUE(cw);
    AcGePoint3d s, e, on;
    cw->getStartPoint(s);
    cw->getEndPoint(e);
    cw->getClosestPointTo(AcGePoint3d(0, -10, 0), on);
    ExpectNear(on, {0, -10, 0}, "lower half passes (0, -10)");
    EXPECT_TRUE((s.isEqualTo({10, 0, 0}, AcGeTol()) && e.isEqualTo({-10, 0, 0}, AcGeTol())) ||
                (s.isEqualTo({-10, 0, 0}, AcGeTol()) && e.isEqualTo({10, 0, 0}, AcGeTol())))
        << s.x << "," << s.y << " -> " << e.x << "," << e.y;
    // A three-point arc in a vertical plane.
    std::unique_ptr<AcDbArc> v(NUV::CreateArc1({0, 5, 0}, {0, 0, 5}, {0, -5, 0}));
    ASSERT_TRUE(v);
    cw.reset();
    AcGePoint3d top;
    v->getClosestPointTo(AcGePoint3d(0, 0, 5), top);
    ExpectNear(top, {0, 0, 5}, "vertical arc passes its middle point");
    ExpectNear(v->center(), {0, 0, 0}, "vertical arc centre");
}

class ArcsPeerTest : public DrawTest {};

TEST_F(ArcsPeerTest, EzdxfReadsTheSameEnds) {
    AcDbArc* arcs[] = {
        NUV::CreateArc2({0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, -1}),
        NUV::CreateArc2({1, 2, 3}, {1, 7, 3}, {1, 2, 8}, {1, 0, 0}),
        NUV::CreateArc2({0, 0, 0}, {0, 3, 0}, {-3, 0, 0}, {0, 0, 1}),
    };
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    for (AcDbArc* a : arcs) {
        ASSERT_EQ(ms->appendAcDbEntity(a), Acad::eOk);
        a->close();
    }
    ms->close();
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    auto lines = Only(facts, "ARC");
    ASSERT_EQ(lines.size(), 3u) << Joined(facts);
    // Hand-computed ends in world coordinates.
    EXPECT_NE(lines[0].find("center=0,0,0 radius=10 start=10,0,0 end=0,10,0"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("center=1,2,3 radius=5 start=1,7,3 end=1,2,8"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("center=0,0,0 radius=3 start=0,3,0 end=-3,0,0"), std::string::npos) << lines[2];
}
