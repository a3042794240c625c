// Coordinate conversions: model matrices both ways, the arbitrary-axis rule at its 1/64 bound,
// the current user system, and points of block definitions in world coordinates.
#include <cmath>

#include "DrawFixture.h"
#include "draw/Coordinates.h"

namespace {

void ExpectPoint(const double* got, double x, double y, double z, const char* what) {
    EXPECT_NEAR(got[0], x, 1e-9) << what;
    EXPECT_NEAR(got[1], y, 1e-9) << what;
    EXPECT_NEAR(got[2], z, 1e-9) << what;
}

// Rotation of 90 degrees about Z, then scale 2, origin (10, 20, 30).
double kRotScale[4][4] = {{0, -2, 0, 10}, {2, 0, 0, 20}, {0, 0, 2, 30}, {0, 0, 0, 1}};

}  // namespace

TEST(McsToWcs, IdentityCopiesPointAndVector) {
    double id[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    double in[3] = {1.5, -2.5, 3.25}, out[3] = {9, 9, 9};
    NUV::McsToWcs(id, in, out, 1);
    ExpectPoint(out, 1.5, -2.5, 3.25, "point");
    NUV::McsToWcs(id, in, out, 0);
    ExpectPoint(out, 1.5, -2.5, 3.25, "vector");
}

TEST(McsToWcs, VectorIgnoresTranslationAndRowThreeIsNeverRead) {
    double m[4][4] = {{0, -2, 0, 10}, {2, 0, 0, 20}, {0, 0, 2, 30}, {7, 7, 7, 7}};  // row 3 is junk
    double in[3] = {1, 2, 3}, out[3];
    NUV::McsToWcs(m, in, out, 0);
    ExpectPoint(out, -4, 2, 6, "vector");
    NUV::McsToWcs(m, in, out, 1);
    ExpectPoint(out, 6, 22, 36, "point");
}

TEST(WCsToMcs, NullMatrixCopiesAndTranslationIsSubtracted) {
    double in[3] = {4, 5, 6}, out[3];
    NUV::WCsToMcs(in, out, nullptr);
    ExpectPoint(out, 4, 5, 6, "null matrix");
    double t[4][4] = {{1, 0, 0, 1}, {0, 1, 0, -2}, {0, 0, 1, 3}, {0, 0, 0, 1}};
    NUV::WCsToMcs(in, out, t);
    ExpectPoint(out, 3, 7, 3, "pure translation");
}

TEST(WCsToMcs, RoundTripsThroughMcsToWcs) {
    double tilted[4][4];
    {
        // Axes of a system turned 30 degrees about X, origin (-3, 4, 1.5).
        double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
        double m[4][4] = {{1, 0, 0, -3}, {0, c, -s, 4}, {0, s, c, 1.5}, {0, 0, 0, 1}};
        std::copy(&m[0][0], &m[0][0] + 16, &tilted[0][0]);
    }
    double (*matrices[])[4] = {kRotScale, tilted};
    const double points[][3] = {{0, 0, 0}, {1, 0, 0}, {-7.25, 3.5, 100}, {1e6, -1e6, 0.001}};
    for (auto* m : matrices) {
        for (const auto& p : points) {
            double model[3] = {p[0], p[1], p[2]}, world[3], back[3];
            NUV::McsToWcs(m, model, world, 1);
            NUV::WCsToMcs(world, back, m);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(back[i], p[i], 1e-9 * (1 + std::fabs(p[i])));
        }
    }
    // A world point with a hand-computed model point: (10, 20, 30) + R*(2*(1, 1, 1)).
    double world[3] = {8, 22, 32}, model[3];
    NUV::WCsToMcs(world, model, kRotScale);
    ExpectPoint(model, 1, 1, 1, "inverse of rotation and scale");
}

struct EcsCase {
    AcGeVector3d normal;
    AcGeVector3d xAxis, yAxis;  // expected, from the DXF arbitrary-axis algorithm done by hand
    const char* why;
};

TEST(GetEcsToWcsMatrix, ArbitraryAxisRuleOnEachSideOfTheBound) {
    const EcsCase cases[] = {
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, "+Z gives identity"},
        {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}, "-Z uses world Y as helper"},
        {{0.015625, 0, 1}, {0, 1, 0}, {-0.9998779520, 0, 0.0156230930}, "x exactly 1/64 uses world Z"},
        {{0.0156249, 0, 1}, {0.9998779536, 0, -0.0156229930}, {0, 1, 0}, "x just under 1/64 uses world Y"},
        {{0, -0.015625, 1}, {1, 0, 0}, {0, 0.9998779520, 0.0156230930}, "y exactly -1/64 uses world Z"},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, "+X"},
        {{0.6, 0.8, 0}, {-0.8, 0.6, 0}, {0, 0, 1}, "horizontal normal"},
    };
    for (const EcsCase& c : cases) {
        AcGeMatrix3d m;
        m.entry[0][3] = 99;  // must be overwritten
        NUV::getEcsToWcsMatrix(c.normal, m);
        AcGePoint3d o;
        AcGeVector3d x, y, z;
        m.getCoordSystem(o, x, y, z);
        EXPECT_TRUE(o.isEqualTo(AcGePoint3d::kOrigin)) << c.why;
        EXPECT_TRUE(x.isEqualTo(c.xAxis, AcGeTol())) << c.why << ": x " << x.x << "," << x.y << "," << x.z;
        EXPECT_NEAR(x.x, c.xAxis.x, 1e-9) << c.why;
        EXPECT_NEAR(x.y, c.xAxis.y, 1e-9) << c.why;
        EXPECT_NEAR(x.z, c.xAxis.z, 1e-9) << c.why;
        EXPECT_NEAR(y.x, c.yAxis.x, 1e-9) << c.why;
        EXPECT_NEAR(y.y, c.yAxis.y, 1e-9) << c.why;
        EXPECT_NEAR(y.z, c.yAxis.z, 1e-9) << c.why;
        EXPECT_NEAR(z.x, c.normal.x, 1e-12) << c.why << ": the normal is the Z axis as given";
        EXPECT_NEAR(z.z, c.normal.z, 1e-12) << c.why;
    }
}

class UcsTest : public DrawTest {};

TEST_F(UcsTest, PointsMoveVectorsOnlyTurn) {
    // User system: origin (10, 20, 0), X along world Y, Y along world -X.
    ASSERT_EQ(db.setUcs({10, 20, 0}, {0, 1, 0}, {-1, 0, 0}), Acad::eOk);
    AcGePoint3d w = NUV::Ucs2Wcs(AcGePoint3d(1, 2, 3));
    EXPECT_TRUE(w.isEqualTo({8, 21, 3})) << w.x << "," << w.y << "," << w.z;
    AcGeVector3d v = NUV::Ucs2Wcs(AcGeVector3d(1, 2, 3));
    EXPECT_TRUE(v.isEqualTo({-2, 1, 3})) << v.x << "," << v.y << "," << v.z;
    EXPECT_TRUE(NUV::Wcs2Ucs(AcGePoint3d(8, 21, 3)).isEqualTo({1, 2, 3}));
    EXPECT_TRUE(NUV::Wcs2Ucs(AcGeVector3d(-2, 1, 3)).isEqualTo({1, 2, 3}));
}

class BlockPointTest : public DrawTest {};

TEST_F(BlockPointTest, PointOfDefinitionInWorld) {
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* def = new AcDbBlockTableRecord;
    def->setName("PT");
    AcDbObjectId defId;
    ASSERT_EQ(table->add(defId, def), Acad::eOk);
    def->close();
    table->close();
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* ref = new AcDbBlockReference({100, 50, 0}, defId);
    ref->setRotation(M_PI / 2);
    ref->setScaleFactors(AcGeScale3d(2));
    AcDbObjectId refId, lineId;
    ASSERT_EQ(ms->appendAcDbEntity(refId, ref), Acad::eOk);
    ref->close();
    auto* line = new AcDbLine({0, 0, 0}, {1, 1, 0});
    ASSERT_EQ(ms->appendAcDbEntity(lineId, line), Acad::eOk);
    line->close();
    ms->close();

    AcGePoint3d out(-1, -1, -1);
    EXPECT_EQ(NUV::GetWcsPtOfBlock(refId, {1, 0, 0}, out), 1);
    EXPECT_TRUE(out.isEqualTo({100, 52, 0}, AcGeTol())) << out.x << "," << out.y << "," << out.z;
    EXPECT_EQ(NUV::GetWcsPtOfBlock(refId, {0, 3, 1}, out), 1);
    EXPECT_NEAR(out.x, 94, 1e-9);
    EXPECT_NEAR(out.y, 50, 1e-9);
    EXPECT_NEAR(out.z, 2, 1e-9);

    AcGePoint3d untouched(7, 7, 7);
    EXPECT_EQ(NUV::GetWcsPtOfBlock(lineId, {1, 0, 0}, untouched), 0) << "a line is no block reference";
    EXPECT_EQ(NUV::GetWcsPtOfBlock(AcDbObjectId(), {1, 0, 0}, untouched), 0);
    EXPECT_TRUE(untouched.isEqualTo({7, 7, 7}));
}
