// Polylines drawn into model space: vertices, the closing vertex within 0.01, widths, colour,
// linetype and its scale, read back by ezdxf; the messages printed when it cannot be done.
#include "DrawFixture.h"
#include "acad/AcEdOutput.h"
#include "draw/Polylines.h"

class PolylinesTest : public DrawTest {};

TEST_F(PolylinesTest, ClosingVertexOnlyWhenTheEndsAreApart) {
    struct Case {
        AcGePoint3d last;
        int closed;
        unsigned verts;
        const char* why;
    } cases[] = {
        {{0, 0.02, 0}, 1, 4, "0.02 apart: a closing vertex"},
        {{0, 0.01, 0}, 1, 3, "exactly 0.01 apart: none"},
        {{0, 0.005, 0}, 1, 3, "closer: none"},
        {{0, 0.02, 0}, 0, 3, "not closed"},
        {{0, 0, 0.5}, 1, 4, "z counts in the distance"},
    };
    for (const Case& c : cases) {
        AcGePoint3dArray pts;
        pts.append(AcGePoint3d(0, 0, 0));
        pts.append(AcGePoint3d(10, 0, 0));
        pts.append(c.last);
        AcDbObjectId id;
        ASSERT_EQ(NUV::CreatePline(pts, id, c.closed, nullptr, 1.0, 0.0, 256), 1) << c.why;
        AcDbPolyline* pl = nullptr;
        ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(pl->numVerts(), c.verts) << c.why;
        EXPECT_FALSE(pl->isClosed()) << c.why << ": the closed flag is never set";
        pl->close();
    }
}

TEST_F(PolylinesTest, LookAsEzdxfReadsIt) {
    AcGePoint3dArray pts;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {100.0, 0.0}, {100.0, 50.0}}) pts.append(AcGePoint3d(x, y, 9));
    AcDbObjectId id;
    ASSERT_EQ(NUV::CreatePline(pts, id, 1, "Continuous", 2.5, 1.25, 43), 1);
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    auto lw = Only(facts, "LWPOLYLINE");
    ASSERT_EQ(lw.size(), 1u) << Joined(facts);
    EXPECT_EQ(lw[0],
              "LWPOLYLINE \"*Model_Space\" layer=\"0\" color=43 closed=0 linetype=\"Continuous\" ltscale=2.5 "
              "constwidth=1.25 0,0/0/0/0;100,0/0/0/0;100,50/0/0/0;0,0/0/0/0");
}

TEST_F(PolylinesTest, MissingLinetypeDoesNotStopTheDrawing) {
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 1, 0));
    AcDbObjectId id;
    NUVAcad::OutputCapture out;
    ASSERT_EQ(NUV::CreatePline(pts, id, 0, "NUV_NOT_IN_THE_DRAWING", 1.0, 0.0, 1), 1);
    EXPECT_FALSE(id.isNull());
}

TEST_F(PolylinesTest, NoDrawingPrintsAndFails) {
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 1, 0));
    AcDbObjectId id;
    NUVAcad::OutputCapture out;
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_EQ(NUV::CreatePline(pts, id, 0, nullptr, 1.0, 0.0, 1), 0);
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    // "\n取块表记录错误！" in GBK, typed from the code page table.
    EXPECT_EQ(out.text(), "\n\xC8\xA1\xBF\xE9\xB1\xED\xBC\xC7\xC2\xBC\xB4\xED\xCE\xF3\xA3\xA1");
    EXPECT_TRUE(id.isNull());

    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);  // no writer can get in
    out.take();
    EXPECT_EQ(NUV::CreatePline(pts, id, 0, nullptr, 1.0, 0.0, 1), 0);
    EXPECT_EQ(out.text(), "\n\xC8\xA1\xC4\xA3\xD0\xCD\xBF\xD5\xBC\xE4\xBC\xC7\xC2\xBC\xB4\xED\xCE\xF3\xA3\xA1");
    ms->close();
    EXPECT_TRUE(id.isNull());
}
