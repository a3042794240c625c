// The interactive editor from a scripted user: entity picks (plain and nested in blocks),
// "Select objects:" with picks, windows, crossings and options, and the built-in commands'
// effect on the drawing, the UCS, the view, slides and undo.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HostFixture.h"
#include "acad/AcDb.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/CommandProcessor.h"
#include "acad/Display.h"
#include "acad/EditorState.h"
#include "acad/EntityPicking.h"
#include "acad/ResBuf.h"
#include "acad/SysVars.h"
#include "win/FileSystem.h"
#include "TempDir.h"

namespace {

class Editor : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        NewDoc();
        db = acdbHostApplicationServices()->workingDatabase();
        // Selection by window takes only what the view shows: show -100..300 by 0..300.
        NUVAcad::displayOf(db).zoomCenter(AcGePoint3d(100, 150, 0), 300);
        out.take();
    }
    AcDbObjectId append(AcDbEntity* ent, AcDbObjectId space = AcDbObjectId()) {
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, space.isNull() ? db->modelSpaceId() : space, AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        EXPECT_EQ(ms->appendAcDbEntity(id, ent), Acad::eOk);
        ent->close();
        ms->close();
        return id;
    }
    AcDbObjectId line(double x1, double y1, double x2, double y2) {
        return append(new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0)));
    }
    AcDbObjectId block(const char* name) {
        AcDbBlockTable* t = nullptr;
        EXPECT_EQ(db->getBlockTable(t, AcDb::kForWrite), Acad::eOk);
        auto* rec = new AcDbBlockTableRecord;
        rec->setName(name);
        AcDbObjectId id;
        EXPECT_EQ(t->add(id, rec), Acad::eOk);
        rec->close();
        t->close();
        return id;
    }
    std::vector<AcDbObjectId> modelSpace() {
        std::vector<AcDbObjectId> ids;
        ads_name ss;
        if (acedSSGet("X", nullptr, nullptr, nullptr, ss) != RTNORM) return ids;
        long n = 0;
        acedSSLength(ss, &n);
        for (long i = 0; i < n; ++i) {
            ads_name e;
            AcDbObjectId id;
            acedSSName(ss, i, e);
            acdbGetObjectId(id, e);
            ids.push_back(id);
        }
        acedSSFree(ss);
        return ids;
    }
    int errnoValue() {
        resbuf rb;
        acedGetVar("ERRNO", &rb);
        return rb.resval.rint;
    }
    void Script(std::initializer_list<const char*> answers) {
        for (const char* a : answers) {
            std::string s = a;
            if (s == "<>") input.enter();
            else if (s == "^C") input.cancel();
            else input.text(s);
        }
    }
    AcDbDatabase* db = nullptr;
};

TEST_F(Editor, EntSelPicksWithinThePickBox) {
    // The new drawing's view: 297 units over 768 pixels, PICKBOX 3 gives about 1.16 units.
    AcDbObjectId a = line(0, 0, 10, 0);
    AcDbObjectId b = line(0, 0.5, 10, 0.5);  // newer, so it wins where both are in the box
    ads_name e;
    ads_point p;
    Script({"5,-1"});
    ASSERT_EQ(RTNORM, acedEntSel(nullptr, e, p));
    AcDbObjectId got;
    acdbGetObjectId(got, e);
    EXPECT_EQ(a, got);
    EXPECT_DOUBLE_EQ(-1, p[1]);
    Script({"5,0.2"});
    ASSERT_EQ(RTNORM, acedEntSel(nullptr, e, p));
    acdbGetObjectId(got, e);
    EXPECT_EQ(b, got);
    Script({"5,3"});  // 2.5 units from the nearest line: outside the box
    EXPECT_EQ(RTERROR, acedEntSel("\nPick: ", e, p));
    EXPECT_EQ(7, errnoValue());
    Script({"<>"});
    EXPECT_EQ(RTERROR, acedEntSel("\nPick: ", e, p));
    EXPECT_EQ(52, errnoValue());
    Script({"^C"});
    EXPECT_EQ(RTCAN, acedEntSel("\nPick: ", e, p));
    // By handle, and keywords from acedInitGet.
    std::string handle = "#" + a.handle().asString();
    Script({handle.c_str()});
    ASSERT_EQ(RTNORM, acedEntSel(nullptr, e, p));
    acdbGetObjectId(got, e);
    EXPECT_EQ(a, got);
    Script({"nonsense", "x"});
    acedInitGet(0, "eXit");
    EXPECT_EQ(RTKWORD, acedEntSel(nullptr, e, p));
    EXPECT_EQ("Point or option keyword required.", out.take().substr(0, 33));
}

TEST_F(Editor, EntSelPickBoxFollowsPickboxAndZoom) {
    line(0, 0, 10, 0);
    ads_name e;
    ads_point p;
    resbuf rb;
    rb.restype = RTSHORT;
    rb.resval.rint = 10;  // 10 pixels: about 3.9 units at this zoom
    ASSERT_EQ(RTNORM, acedSetVar("PICKBOX", &rb));
    Script({"5,3"});
    EXPECT_EQ(RTNORM, acedEntSel(nullptr, e, p));
    // Zoomed in ten times the same box covers a tenth of the distance.
    NUVAcad::displayOf(db).zoomScale(10);
    Script({"5,3"});
    EXPECT_EQ(RTERROR, acedEntSel(nullptr, e, p));
}

TEST_F(Editor, NEntSelPFindsTheEntityInsideNestedBlocks) {
    // Block INNER: a circle of radius 1 at its origin. Block OUTER: INNER at (10,0).
    // Model space: OUTER at (100,100), scaled 2. The circle's far right point is then at
    // 100 + 2 * (10 + 1) = 122.
    AcDbObjectId inner = block("INNER");
    AcDbObjectId circle = append(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1), inner);
    AcDbObjectId outer = block("OUTER");
    AcDbObjectId innerRef = append(new AcDbBlockReference(AcGePoint3d(10, 0, 0), inner), outer);
    auto* top = new AcDbBlockReference(AcGePoint3d(100, 100, 0), outer);
    top->setScaleFactors(AcGeScale3d(2, 2, 2));
    AcDbObjectId topRef = append(top);
    NUVAcad::displayOf(db).zoomCenter(AcGePoint3d(120, 100, 0), 100);

    ads_name e;
    ads_point p = {122, 100, 0};
    ads_matrix m;
    resbuf* refs = nullptr;
    ASSERT_EQ(RTNORM, acedNEntSelP(nullptr, e, p, 1, m, &refs));
    AcDbObjectId got;
    acdbGetObjectId(got, e);
    EXPECT_EQ(circle, got);
    // Block coordinates of the circle to world: scale 2, then (100,100) + 2 * (10,0).
    EXPECT_NEAR(2, m[0][0], 1e-12);
    EXPECT_NEAR(2, m[1][1], 1e-12);
    EXPECT_NEAR(120, m[0][3], 1e-12);
    EXPECT_NEAR(100, m[1][3], 1e-12);
    EXPECT_NEAR(1, m[3][3], 1e-12);
    ASSERT_NE(nullptr, refs);
    acdbGetObjectId(got, refs->resval.rlname);
    EXPECT_EQ(innerRef, got);  // innermost first
    ASSERT_NE(nullptr, refs->rbnext);
    acdbGetObjectId(got, refs->rbnext->resval.rlname);
    EXPECT_EQ(topRef, got);
    EXPECT_EQ(nullptr, refs->rbnext->rbnext);
    acutRelRb(refs);

    // nentsel gives the same matrix as rows of points: the last row translates.
    ads_point rows[4];
    Script({"122,100"});
    ASSERT_EQ(RTNORM, acedNEntSel(nullptr, e, p, rows, &refs));
    EXPECT_NEAR(120, rows[3][0], 1e-12);
    EXPECT_NEAR(100, rows[3][1], 1e-12);
    EXPECT_NEAR(2, rows[0][0], 1e-12);
    acutRelRb(refs);

    // A plain line: itself, the identity and no references.
    AcDbObjectId l = line(150, 80, 150, 120);
    ads_point q = {150, 90, 0};
    ASSERT_EQ(RTNORM, acedNEntSelP(nullptr, e, q, 1, m, &refs));
    acdbGetObjectId(got, e);
    EXPECT_EQ(l, got);
    EXPECT_EQ(nullptr, refs);
    EXPECT_NEAR(0, m[0][3], 1e-12);
    EXPECT_NEAR(1, m[0][0], 1e-12);
    ads_point miss = {140, 60, 0};
    EXPECT_EQ(RTERROR, acedNEntSelP(nullptr, e, miss, 1, m, &refs));
}

TEST_F(Editor, SelectObjectsByPickWindowAndCrossing) {
    AcDbObjectId a = line(0, 0, 10, 0);      // inside the window below
    AcDbObjectId b = line(5, 5, 50, 5);      // crosses its right edge
    AcDbObjectId c = line(100, 100, 110, 100);
    ads_name ss;
    long n = 0;
    // Left to right: a window takes only what lies wholly inside.
    Script({"-3,-3", "20,10", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(1, n);
    ads_name en;
    acdbGetAdsName(en, a);
    EXPECT_EQ(RTNORM, acedSSMemb(en, ss));
    acedSSFree(ss);
    // Right to left: a crossing takes what it touches too; then a pick adds c.
    Script({"20,10", "-3,-3", "105,100", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(3, n);
    acdbGetAdsName(en, b);
    EXPECT_EQ(RTNORM, acedSSMemb(en, ss));
    acedSSFree(ss);
    EXPECT_NE(std::string::npos, out.take().find("1 found, 3 total"));
    (void)c;
}

TEST_F(Editor, SelectObjectsOptions) {
    AcDbObjectId a = line(0, 0, 10, 0);
    AcDbObjectId b = line(0, 20, 10, 20);
    AcDbObjectId c = line(0, 40, 10, 40);
    ads_name ss, en;
    long n = 0;
    // ALL, then Remove one by pick, Undo the removal, Remove again, Add a duplicate.
    Script({"ALL", "R", "5,20", "U", "r", "5,40", "A", "5,0", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss)) << out.text();
    acedSSLength(ss, &n);
    EXPECT_EQ(2, n);
    acdbGetAdsName(en, c);
    EXPECT_EQ(RTERROR, acedSSMemb(en, ss));
    acdbGetAdsName(en, b);
    EXPECT_EQ(RTNORM, acedSSMemb(en, ss));
    acedSSFree(ss);
    std::string shown = out.take();
    EXPECT_NE(std::string::npos, shown.find("3 found, 3 total"));
    EXPECT_NE(std::string::npos, shown.find("1 found (1 duplicate), 2 total"));
    // Previous: the set just made. Last: the newest entity.
    Script({"P", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(2, n);
    acedSSFree(ss);
    Script({"L", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(1, n);
    acdbGetAdsName(en, c);
    EXPECT_EQ(RTNORM, acedSSMemb(en, ss));
    acedSSFree(ss);
    // Fence through a and b only.
    Script({"F", "5,-5", "5,25", "<>", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(2, n);
    acedSSFree(ss);
    // Nothing selected, an invalid answer, a cancel.
    Script({"500,500", "501,501", "<>"});
    EXPECT_EQ(RTERROR, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    out.take();
    Script({"bogus", "^C"});
    EXPECT_EQ(RTCAN, acedSSGet(nullptr, nullptr, nullptr, nullptr, ss));
    EXPECT_NE(std::string::npos, out.take().find("*Invalid selection*"));
    (void)a;
}

TEST_F(Editor, SelectSingleAndWithFilter) {
    AcDbObjectId a = line(0, 0, 10, 0);
    append(new AcDbCircle(AcGePoint3d(5, 30, 0), AcGeVector3d::kZAxis, 2));
    ads_name ss;
    long n = 0;
    Script({"5,0"});  // ":S" ends after the first pick, no Enter needed
    ASSERT_EQ(RTNORM, acedSSGet(":S", nullptr, nullptr, nullptr, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(1, n);
    EXPECT_EQ(0u, input.pending());
    acedSSFree(ss);
    resbuf* filter = acutBuildList(RTDXF0, "CIRCLE", 0);
    Script({"ALL", "<>"});
    ASSERT_EQ(RTNORM, acedSSGet(nullptr, nullptr, nullptr, filter, ss));
    acedSSLength(ss, &n);
    EXPECT_EQ(1, n);
    ads_name en;
    acdbGetAdsName(en, a);
    EXPECT_EQ(RTERROR, acedSSMemb(en, ss));
    acedSSFree(ss);
    acutRelRb(filter);
}

TEST_F(Editor, LineCommandWithUndoAndClose) {
    Script({"0,0", "10,0", "10,10", "U", "@0,5", "C"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("LINE"));
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(3u, ids.size());  // (0,0)-(10,0), (10,0)-(10,5), closing (10,5)-(0,0)
    double length = 0;
    for (AcDbObjectId id : ids) {
        AcDbLine* l = nullptr;
        ASSERT_EQ(Acad::eOk, acdbOpenObject(l, id, AcDb::kForRead));
        length += l->startPoint().distanceTo(l->endPoint());
        l->close();
    }
    EXPECT_NEAR(10 + 5 + std::hypot(10, 5), length, 1e-9);
    // U takes the whole command back.
    Script({});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    EXPECT_TRUE(modelSpace().empty());
}

TEST_F(Editor, LineInARotatedUcsIsDrawnInWorldCoordinates) {
    Script({"Z", "90"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UCS"));
    Script({"0,0", "10,0", "<>"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("LINE"));
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(1u, ids.size());
    AcDbLine* l = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(l, ids[0], AcDb::kForRead));
    EXPECT_NEAR(0, l->endPoint().x, 1e-9);  // user X runs along world Y
    EXPECT_NEAR(10, l->endPoint().y, 1e-9);
    l->close();
    Script({"3point", "5,5", "6,5", "5,6"});  // origin (5,5) in user terms, axes swapped back
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UCS"));
    resbuf rb;
    ASSERT_EQ(RTNORM, acedGetVar("UCSORG", &rb));
    EXPECT_NEAR(-5, rb.resval.rpoint[0], 1e-9);
    EXPECT_NEAR(5, rb.resval.rpoint[1], 1e-9);
    Script({"<>"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UCS"));
    ASSERT_EQ(RTNORM, acedGetVar("WORLDUCS", &rb));
    EXPECT_EQ(1, rb.resval.rint);
}

TEST_F(Editor, EraseMoveCopyAndUndoMarks) {
    AcDbObjectId a = line(0, 0, 10, 0);
    Script({"M"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UNDO"));
    Script({"5,0", "<>", "0,0", "3,4"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("MOVE"));
    AcDbLine* l = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(l, a, AcDb::kForRead));
    EXPECT_DOUBLE_EQ(3, l->startPoint().x);
    EXPECT_DOUBLE_EQ(4, l->startPoint().y);
    l->close();
    Script({"8,4", "<>", "0,0", "0,10"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("COPY"));
    EXPECT_EQ(2u, modelSpace().size());
    Script({"ALL", "<>"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("ERASE"));
    EXPECT_TRUE(modelSpace().empty());
    // Back to the mark: the erase, the copy and the move are undone; the line is where it was.
    Script({"B"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UNDO"));
    std::vector<AcDbObjectId> ids = modelSpace();
    ASSERT_EQ(1u, ids.size());
    EXPECT_EQ(a, ids[0]);
    ASSERT_EQ(Acad::eOk, acdbOpenObject(l, a, AcDb::kForRead));
    EXPECT_DOUBLE_EQ(0, l->startPoint().x);
    l->close();
}

TEST_F(Editor, ZoomAndSlides) {
    line(0, 0, 100, 0);
    line(0, 0, 0, 50);
    NUVAcad::Display& d = NUVAcad::displayOf(db);
    Script({"W", "0,0", "100,50"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("ZOOM"));
    EXPECT_NEAR(50, d.view().center.x, 1e-9);
    // The window is wider than the screen's shape: the width decides the height.
    EXPECT_NEAR(100.0 * 768 / 1024, d.view().height, 1e-9);
    Script({"P"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("ZOOM"));
    EXPECT_NEAR(100, d.view().center.x, 1e-9);  // the view the fixture set
    Script({"E"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("ZOOM"));
    EXPECT_NEAR(50, d.view().center.x, 1e-6);

    TempDir dir;
    std::string sld = dir.path() + "/view";
    input.text(sld);
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("MSLIDE"));
    std::string bytes;
    ASSERT_TRUE(NUVWin::ReadNativeFile(sld + ".sld", bytes));
    EXPECT_EQ(0, bytes.compare(0, 13, "AutoCAD Slide"));
    input.text(sld);
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("VSLIDE"));
    EXPECT_NE(nullptr, d.shownSlide());
    long before = d.counters().fullRedraws;
    Script({});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("REDRAW"));
    EXPECT_EQ(before + 1, d.counters().fullRedraws);
    EXPECT_EQ(nullptr, d.shownSlide());
    input.text(dir.path() + "/missing");
    EXPECT_EQ(RTERROR, NUVAcad::RunCommand("VSLIDE"));
}

}  // namespace
