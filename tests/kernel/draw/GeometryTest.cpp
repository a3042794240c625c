// Parallel lines, line weights from millimetres, and entity crossings without self-crossings.
#include <cmath>
#include <limits>
#include <vector>

#include "DrawFixture.h"
#include "draw/Geometry.h"
#include "draw/LineWeight.h"

namespace {

AcGePoint3d Dir(double angle, double len = 10.0) { return {len * std::cos(angle), len * std::sin(angle), 0}; }

}  // namespace

TEST(IsLinesPX, AnglesModuloHalfTurnWithinTolerance) {
    const AcGePoint3d o(0, 0, 0);
    struct Case {
        double a, b, tol;
        bool parallel;
        const char* why;
    } cases[] = {
        {0, 0, 0, true, "same direction, zero tolerance"},
        {0, M_PI, 1e-9, true, "opposite directions"},
        {M_PI / 4, M_PI / 4 + M_PI, 1e-9, true, "opposite, not on an axis"},
        {0, M_PI / 2, 0.1, false, "perpendicular"},
        {0, 0.0999, 0.1, true, "just inside the tolerance"},
        {0, 0.1001, 0.1, false, "just outside the tolerance"},
        {0, M_PI - 0.05, 0.1, true, "0 and just under pi: the second test"},
        {0, M_PI - 0.15, 0.1, false, "0 and pi - 0.15"},
        {0.02, 2 * M_PI - 0.02, 0.05, true, "either side of 0"},
        {0.02, 2 * M_PI - 0.02, 0.03, false, "either side of 0, tolerance too small"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NUV::IsLinesPX(o, Dir(c.a), o, Dir(c.b), c.tol), c.parallel) << c.why;
        // Moving a line or giving it height changes nothing: only XY directions count.
        AcGePoint3d shift(5, -3, 7);
        EXPECT_EQ(NUV::IsLinesPX(shift, shift + (Dir(c.a) - o), o, Dir(c.b) + AcGeVector3d(0, 0, 50), c.tol), c.parallel)
            << c.why << " (moved)";
    }
}

TEST(ConverLineWeight, EveryBoundAndSpecialValue) {
    struct Case {
        double mm;
        int weight;
    } cases[] = {
        // Special values.
        {-1, -1}, {-1.001, -1}, {-0.9991, -1}, {-0.9989, -3}, {-1.0011, -3}, {-2, -2}, {-2.0009, -2}, {-1.998, -3},
        {-0.5, -3}, {-3, -3}, {-100, -3}, {std::numeric_limits<double>::quiet_NaN(), -3},
        // Just under each bound, then at it (the bound itself belongs to the next row).
        {0, 0}, {0.025, 0}, {0.03, 5}, {0.069, 5}, {0.07, 9}, {0.109, 9}, {0.11, 13}, {0.139, 13}, {0.14, 15},
        {0.169, 15}, {0.17, 18}, {0.189, 18}, {0.19, 20}, {0.229, 20}, {0.23, 25}, {0.25, 25}, {0.279, 25},
        {0.28, 30}, {0.329, 30}, {0.33, 35}, {0.379, 35}, {0.38, 40}, {0.449, 40}, {0.45, 50}, {0.519, 50},
        {0.52, 53}, {0.569, 53}, {0.5700001, 60}, {0.649, 60}, {0.65, 70}, {0.749, 70}, {0.75, 80},
        {0.849, 80}, {0.85, 90}, {0.949, 90}, {0.95, 100}, {1.029, 100}, {1.03, 106}, {1.129, 106},
        {1.1300001, 120}, {1.299, 120}, {1.3, 140}, {1.489, 140}, {1.49, 158}, {1.789, 158}, {1.79, 200},
        {2.05, 200}, {2.059, 200}, {2.06, 211}, {2.11, 211}, {1000, 211},
    };
    for (const Case& c : cases) EXPECT_EQ(NUV::ConverLineWeight(c.mm), c.weight) << c.mm << " mm";
}

class IntersectTest : public DrawTest {
protected:
    AcDbEntity* Open(AcDbObjectId id) {
        AcDbEntity* e = nullptr;
        EXPECT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
        return e;
    }
    AcDbObjectId Bowtie() {
        // Crosses itself at (5, 5).
        auto* pl = new AcDbPolyline;
        const double xy[][2] = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};
        for (unsigned i = 0; i < 4; ++i) pl->addVertexAt(i, AcGePoint2d(xy[i][0], xy[i][1]));
        return AddToModel(pl);
    }
};

TEST_F(IntersectTest, TwoLinesCrossOnceAndBothAreClosed) {
    AcDbObjectId a = AddToModel(new AcDbLine({0, 0, 0}, {10, 10, 0}));
    AcDbObjectId b = AddToModel(new AcDbLine({0, 10, 5}, {10, 0, -5}));  // crosses in projection only
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(-1, -1, -1));  // existing points are kept
    EXPECT_EQ(NUV::GetEntIntersect(Open(a), Open(b), pts), 2);
    ASSERT_EQ(pts.length(), 2);
    EXPECT_TRUE(pts[1].isEqualTo({5, 5, 0}, AcGeTol())) << pts[1].x << "," << pts[1].y << "," << pts[1].z;
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST_F(IntersectTest, SelfCrossingsAreTakenOut) {
    struct Case {
        AcGePoint3d from, to;
        std::vector<AcGePoint3d> left;  // typed by hand from the bowtie's segments
        const char* why;
    } cases[] = {
        {{-1, 2, 0}, {11, 2, 0}, {{2, 2, 0}, {10, 2, 0}, {8, 2, 0}}, "away from the self-crossing: all kept"},
        {{-1, 5, 0}, {11, 5, 0}, {{10, 5, 0}}, "through the self-crossing: that point goes"},
        {{5, -1, 0}, {5, 11, 0}, {}, "only the self-crossing: nothing left"},
    };
    AcDbObjectId bow = Bowtie();
    for (const Case& c : cases) {
        AcDbObjectId line = AddToModel(new AcDbLine(c.from, c.to));
        AcGePoint3dArray pts;
        int n = NUV::GetEntIntersect(Open(line), Open(bow), pts);
        EXPECT_EQ(n, static_cast<int>(c.left.size())) << c.why;
        ASSERT_EQ(pts.length(), n) << c.why;
        for (const AcGePoint3d& want : c.left) {
            bool found = false;
            for (int i = 0; i < pts.length(); ++i) found = found || pts[i].isEqualTo(want, AcGeTol());
            EXPECT_TRUE(found) << c.why << ": " << want.x << "," << want.y;
        }
        EXPECT_EQ(db.numOpenObjects(), 0) << c.why;
    }
}

TEST_F(IntersectTest, EntityNotOpenForReadLeavesBothAsTheyAre) {
    AcDbObjectId a = AddToModel(new AcDbLine({0, 0, 0}, {10, 10, 0}));
    AcDbObjectId b = AddToModel(new AcDbLine({0, 10, 0}, {10, 0, 0}));
    AcDbEntity* e1 = Open(a);
    AcDbEntity* e2 = Open(b);
    e2->close();  // a closed object is not read-enabled any more
    AcGePoint3dArray pts;
    EXPECT_EQ(NUV::GetEntIntersect(e1, e2, pts), 0);
    EXPECT_EQ(pts.length(), 0);
    EXPECT_EQ(db.numOpenObjects(), 1) << "e1 must stay open for its owner";
    e1->close();
}
