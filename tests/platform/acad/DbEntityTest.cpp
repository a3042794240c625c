// Entities as the kernel uses them: transformation, extents, curve queries through the entity
// API, block references, hatch evaluation, polyline widths, and copies between databases.
#include <gtest/gtest.h>

#include <cmath>

#include "acad/AcDb.h"
#include "DxfPeer.h"

namespace {

constexpr double kTol = 1e-9;

::testing::AssertionResult near(const AcGePoint3d& a, const AcGePoint3d& b, double tol = kTol) {
    if (a.distanceTo(b) <= tol) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                         << ", " << b.z << ")";
}

AcDbObjectId append(AcDbDatabase& db, AcDbEntity* e, AcDbObjectId space = AcDbObjectId()) {
    AcDbBlockTableRecord* btr = nullptr;
    EXPECT_EQ(acdbOpenObject(btr, space.isNull() ? db.modelSpaceId() : space, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(btr->appendAcDbEntity(id, e), Acad::eOk);
    e->close();
    btr->close();
    return id;
}

AcDbObjectId newBlock(AcDbDatabase& db, const char* name, AcGePoint3d origin = AcGePoint3d()) {
    AcDbBlockTable* bt = nullptr;
    EXPECT_EQ(db.getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(name);
    rec->setOrigin(origin);
    AcDbObjectId id;
    EXPECT_EQ(bt->add(id, rec), Acad::eOk);
    rec->close();
    bt->close();
    return id;
}

TEST(DbEntity, TransformLineArcAndText) {
    AcGeMatrix3d rot = AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0));
    AcDbLine line(AcGePoint3d(2, 1, 0), AcGePoint3d(4, 1, 0));
    ASSERT_EQ(line.transformBy(rot), Acad::eOk);
    EXPECT_TRUE(near(line.startPoint(), AcGePoint3d(1, 2, 0)));
    EXPECT_TRUE(near(line.endPoint(), AcGePoint3d(1, 4, 0)));

    AcDbArc arc(AcGePoint3d(0, 0, 0), 2, 0, M_PI / 2);
    ASSERT_EQ(arc.transformBy(AcGeMatrix3d::scaling(3) * rot), Acad::eOk);
    EXPECT_NEAR(arc.radius(), 6, kTol);
    AcGePoint3d s, e;
    arc.getStartPoint(s);
    arc.getEndPoint(e);
    // Start (2,0) turns to (2,2) about (1,1), then scales to (6,6); end (0,2) goes to (0,0).
    EXPECT_TRUE(near(s, AcGePoint3d(6, 6, 0)));
    EXPECT_TRUE(near(e, AcGePoint3d(0, 0, 0)));
    // A mirror keeps the arc's points but runs it the other way.
    AcDbArc m(AcGePoint3d(0, 0, 0), 1, 0, M_PI / 2);
    ASSERT_EQ(m.transformBy(AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kXAxis))), Acad::eOk);
    m.getStartPoint(s);
    m.getEndPoint(e);
    EXPECT_TRUE(near(s, AcGePoint3d(-1, 0, 0)) || near(e, AcGePoint3d(-1, 0, 0)));
    EXPECT_NEAR(m.totalAngle(), M_PI / 2, kTol);
    EXPECT_EQ(AcDbCircle().transformBy(AcGeMatrix3d().setToScaling(2) * AcGeMatrix3d()), Acad::eOk);

    AcDbText text(AcGePoint3d(1, 0, 0), "abc", AcDbObjectId(), 2.0, 0.0);
    ASSERT_EQ(text.transformBy(rot), Acad::eOk);
    EXPECT_TRUE(near(text.position(), AcGePoint3d(2, 1, 0)));
    EXPECT_NEAR(text.rotation(), M_PI / 2, kTol);
    EXPECT_NEAR(text.height(), 2.0, kTol);
}

TEST(DbEntity, CurveQueriesThroughTheEntities) {
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    double param = 0, dist = 0;
    AcGePoint3d p;
    ASSERT_EQ(line.getEndParam(param), Acad::eOk);
    EXPECT_NEAR(param, 10, kTol);
    ASSERT_EQ(line.getClosestPointTo(AcGePoint3d(12, 3, 0), p), Acad::eOk);
    EXPECT_TRUE(near(p, AcGePoint3d(10, 0, 0)));
    ASSERT_EQ(line.getClosestPointTo(AcGePoint3d(12, 3, 0), p, true), Acad::eOk);
    EXPECT_TRUE(near(p, AcGePoint3d(12, 0, 0)));
    EXPECT_EQ(line.getParamAtPoint(AcGePoint3d(5, 1, 0), param), Acad::eInvalidInput);

    AcDbArc arc(AcGePoint3d(0, 0, 0), 2, 0, M_PI);
    ASSERT_EQ(arc.getDistAtParam(M_PI / 2, dist), Acad::eOk);
    EXPECT_NEAR(dist, M_PI, kTol);
    ASSERT_EQ(arc.getPointAtDist(M_PI, p), Acad::eOk);
    EXPECT_TRUE(near(p, AcGePoint3d(0, 2, 0)));
    AcGeVector3d d;
    ASSERT_EQ(arc.getFirstDeriv(0.0, d), Acad::eOk);
    EXPECT_NEAR(d.y, 2, kTol);

    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0));
    pl.addVertexAt(1, AcGePoint2d(10, 0));
    pl.addVertexAt(2, AcGePoint2d(10, 10));
    ASSERT_EQ(pl.getEndParam(param), Acad::eOk);
    EXPECT_NEAR(param, 2, kTol);
    ASSERT_EQ(pl.getDistAtParam(1.5, dist), Acad::eOk);
    EXPECT_NEAR(dist, 15, kTol);
    AcDbPolyline empty;
    EXPECT_NE(empty.getStartPoint(p), Acad::eOk);

    AcDbCircle circle(AcGePoint3d(5, 0, 0), AcGeVector3d::kZAxis, 3);
    AcGePoint3dArray pts;
    ASSERT_EQ(line.intersectWith(&circle, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
    EXPECT_EQ(pts.length(), 2);
    AcDbText text;
    EXPECT_EQ(line.intersectWith(&text, AcDb::kOnBothOperands, pts), Acad::eNotApplicable);

    // A polyline that crosses itself reports the crossing when intersected with itself.
    AcDbPolyline bow;
    bow.addVertexAt(0, AcGePoint2d(0, 0));
    bow.addVertexAt(1, AcGePoint2d(10, 10));
    bow.addVertexAt(2, AcGePoint2d(10, 0));
    bow.addVertexAt(3, AcGePoint2d(0, 10));
    AcGePoint3dArray self;
    ASSERT_EQ(bow.intersectWith(&bow, AcDb::kOnBothOperands, self), Acad::eOk);
    ASSERT_EQ(self.length(), 1);
    EXPECT_TRUE(near(self[0], AcGePoint3d(5, 5, 0)));
}

TEST(DbEntity, ExtentsOfEntities) {
    struct Case {
        const char* what;
        AcDbEntity* e;
        AcGePoint3d min, max;
    } cases[] = {
        {"line", new AcDbLine(AcGePoint3d(3, -1, 0), AcGePoint3d(-2, 4, 1)), {-2, -1, 0}, {3, 4, 1}},
        {"circle", new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2), {-1, -1, 0}, {3, 3, 0}},
        {"arc", new AcDbArc(AcGePoint3d(0, 0, 0), 1, 0, M_PI / 2), {0, 0, 0}, {1, 1, 0}},
        {"text", new AcDbText(AcGePoint3d(0, 0, 0), "abcd", AcDbObjectId(), 2.0, 0.0), {0, 0, 0}, {8, 2, 0}},
    };
    for (const Case& c : cases) {
        AcDbExtents ext;
        ASSERT_EQ(c.e->getGeomExtents(ext), Acad::eOk) << c.what;
        EXPECT_TRUE(near(ext.minPoint(), c.min)) << c.what;
        EXPECT_TRUE(near(ext.maxPoint(), c.max)) << c.what;
        delete c.e;
    }
}

TEST(DbEntity, BlockReferenceTransformAndExtents) {
    AcDbDatabase db;
    AcDbObjectId fan = newBlock(db, "FAN", AcGePoint3d(1, 0, 0));
    append(db, new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(3, 0, 0)), fan);
    auto* ref = new AcDbBlockReference(AcGePoint3d(10, 10, 0), fan);
    ref->setRotation(M_PI / 2);
    ref->setScaleFactors(AcGeScale3d(2, 2, 1));
    AcDbObjectId refId = append(db, ref);

    AcDbBlockReference* r = nullptr;
    ASSERT_EQ(acdbOpenObject(r, refId, AcDb::kForWrite), Acad::eOk);
    AcGeMatrix3d m = r->blockTransform();
    // The block's origin lands on the position; its X axis turns to Y and doubles.
    EXPECT_TRUE(near(AcGePoint3d(1, 0, 0).transformBy(m), AcGePoint3d(10, 10, 0)));
    EXPECT_TRUE(near(AcGePoint3d(3, 0, 0).transformBy(m), AcGePoint3d(10, 14, 0)));
    AcDbExtents ext;
    ASSERT_EQ(r->getGeomExtents(ext), Acad::eOk);
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(10, 14, 0)));
    ASSERT_EQ(r->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0))), Acad::eOk);
    EXPECT_TRUE(near(r->position(), AcGePoint3d(15, 10, 0)));
    EXPECT_NEAR(r->rotation(), M_PI / 2, kTol);
    ASSERT_EQ(r->transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis, AcGePoint3d(15, 10, 0))), Acad::eOk);
    EXPECT_NEAR(r->rotation(), M_PI, kTol);
    EXPECT_NEAR(r->scaleFactors().sx, 2, kTol);
    r->close();
}

TEST(DbEntity, HatchEvaluationFillsTheLoop) {
    AcDbHatch h;
    ASSERT_EQ(h.setPattern(AcDbHatch::kPreDefined, "ANSI31"), Acad::eOk);
    EXPECT_EQ(h.evaluateHatch(), Acad::eInvalidInput) << "no loop yet";
    AcGePoint2dArray sq;
    for (auto p : {AcGePoint2d(0, 0), AcGePoint2d(10, 0), AcGePoint2d(10, 10), AcGePoint2d(0, 10)}) sq.append(p);
    ASSERT_EQ(h.appendLoop(AcDbHatch::kExternal, sq, AcGeDoubleArray()), Acad::eOk);
    ASSERT_EQ(h.evaluateHatch(), Acad::eOk);
    // 45-degree lines 3.175 apart cross a 10 x 10 square: its diagonal span is 20/sqrt(2).
    int expected = static_cast<int>(std::floor(20 / std::sqrt(2.0) / 3.175));
    EXPECT_NEAR(h.numHatchLines(), expected, 1);
    for (int k = 0; k < h.numHatchLines(); ++k) {
        AcGePoint2d a, b;
        h.getHatchLineDataAt(k, a, b);
        for (const AcGePoint2d& q : {a, b}) {
            EXPECT_GE(q.x, -1e-9);
            EXPECT_LE(q.x, 10 + 1e-9);
            EXPECT_GE(q.y, -1e-9);
            EXPECT_LE(q.y, 10 + 1e-9);
        }
        EXPECT_NEAR((b.y - a.y) / (b.x - a.x), 1.0, 1e-9);
    }
    double area = 0;
    ASSERT_EQ(h.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 100, 1e-9);
    // A hole inside the square takes its area away.
    AcGePoint2dArray hole;
    for (auto p : {AcGePoint2d(2, 2), AcGePoint2d(4, 2), AcGePoint2d(4, 4), AcGePoint2d(2, 4)}) hole.append(p);
    h.appendLoop(AcDbHatch::kDefault, hole, AcGeDoubleArray());
    ASSERT_EQ(h.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 96, 1e-9);
    AcGePoint2dArray flat;
    for (auto p : {AcGePoint2d(0, 0), AcGePoint2d(1, 1), AcGePoint2d(2, 2)}) flat.append(p);
    h.appendLoop(AcDbHatch::kDefault, flat, AcGeDoubleArray());
    EXPECT_EQ(h.evaluateHatch(), Acad::eInvalidInput) << "a loop without area";
}

TEST(DbEntity, HatchWithEdgeLoopsMovesWhole) {
    // A boundary of edges as other programs write it: three lines and a half circle.
    const char text[] =
        "  0\nSECTION\n  2\nENTITIES\n  0\nHATCH\n  5\n50\n100\nAcDbEntity\n  8\n0\n100\nAcDbHatch\n"
        " 10\n0\n 20\n0\n 30\n0\n210\n0\n220\n0\n230\n1\n  2\nSOLID\n 70\n1\n 71\n0\n 91\n1\n"
        " 92\n1\n 93\n4\n"
        " 72\n1\n 10\n0\n 20\n0\n 11\n4\n 21\n0\n"
        " 72\n1\n 10\n4\n 20\n0\n 11\n4\n 21\n2\n"
        " 72\n2\n 10\n2\n 20\n2\n 40\n2\n 50\n0\n 51\n180\n 73\n1\n"
        " 72\n1\n 10\n0\n 20\n2\n 11\n0\n 21\n0\n"
        " 97\n0\n 75\n0\n 76\n1\n 98\n0\n  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, false, AcDbHandle(0x50)), Acad::eOk);
    AcDbHatch* h = nullptr;
    ASSERT_EQ(acdbOpenObject(h, id, AcDb::kForWrite), Acad::eOk);
    double before = 0, after = 0;
    ASSERT_EQ(h->getArea(before), Acad::eOk);
    EXPECT_NEAR(before, 8 + M_PI * 2, 0.05);  // a 4 x 2 rectangle and a half disc of radius 2
    ASSERT_EQ(h->transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis) *
                             AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0))),
              Acad::eOk);
    ASSERT_EQ(h->getArea(after), Acad::eOk);
    EXPECT_NEAR(after, before, 1e-6);
    AcDbExtents ext;
    ASSERT_EQ(h->getGeomExtents(ext), Acad::eOk);
    // x from 10 to 14 turned a quarter about the origin: y from 10 to 14, x from -4 to 0.
    EXPECT_TRUE(near(ext.minPoint(), AcGePoint3d(-4, 10, 0), 0.05));
    EXPECT_TRUE(near(ext.maxPoint(), AcGePoint3d(0, 14, 0), 0.05));
    EXPECT_EQ(h->transformBy(AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kXAxis))),
              Acad::eNotApplicable);
    h->close();
}

TEST(DbEntity, PolylineConstantWidth) {
    AcDbPolyline pl;
    double w = -1;
    pl.addVertexAt(0, AcGePoint2d(0, 0));
    pl.addVertexAt(1, AcGePoint2d(1, 0));
    ASSERT_EQ(pl.getConstantWidth(w), Acad::eOk);
    EXPECT_EQ(w, 0);
    ASSERT_EQ(pl.setConstantWidth(0.5), Acad::eOk);
    pl.addVertexAt(2, AcGePoint2d(2, 0));  // takes the constant width
    ASSERT_EQ(pl.getConstantWidth(w), Acad::eOk);
    EXPECT_EQ(w, 0.5);
    pl.setWidthsAt(1, 0.5, 1.0);
    EXPECT_EQ(pl.getConstantWidth(w), Acad::eNotApplicable);
}

TEST(DbEntity, ClonesAndDeepClonesMakeIndependentCopies) {
    AcDbDatabase db;
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(1, 1, 1));
    AcDbObjectId polyId = append(db, new AcDb3dPolyline(AcDb::k3dSimplePoly, pts));
    AcDbObjectId lineId = append(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbObjectId copyBlock = newBlock(db, "COPY");
    AcDbObjectIdArray ids;
    ids.append(polyId);
    ids.append(lineId);
    AcDbIdMapping map;
    ASSERT_EQ(db.deepCloneObjects(ids, copyBlock, map), Acad::eOk);
    EXPECT_EQ(map.numPairs(), 2);
    AcDbIdPair pair(polyId, AcDbObjectId(), false);
    ASSERT_TRUE(map.compute(pair));
    EXPECT_TRUE(pair.isCloned());
    AcDb3dPolyline* copy = nullptr;
    ASSERT_EQ(acdbOpenObject(copy, pair.value(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(copy->ownerId(), copyBlock);
    AcDbObjectIterator* it = copy->vertexIterator();
    int n = 0;
    for (; !it->done(); it->step()) {
        AcDbObjectId vid = it->objectId();
        EXPECT_FALSE(vid.isNull());
        AcDbVertex* v = nullptr;
        ASSERT_EQ(acdbOpenObject(v, vid, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(v->ownerId(), pair.value()) << "the copy owns its own vertices";
        v->close();
        ++n;
    }
    delete it;
    EXPECT_EQ(n, 2);
    copy->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
}

TEST(DbEntity, WblockCopiesWholeAndInsertMakesABlock) {
    AcDbDatabase src;
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(src.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* red = new AcDbLayerTableRecord;
    red->setName("RED");
    red->setColorIndex(1);
    layers->add(red);
    AcDbObjectId redId = red->objectId();
    red->close();
    layers->close();
    AcDbObjectId inner = newBlock(src, "INNER");
    append(src, new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1), inner);
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 0, 0));
    line->setLayer(redId);
    append(src, line);
    append(src, new AcDbBlockReference(AcGePoint3d(2, 2, 0), inner));

    AcDbDatabase* whole = nullptr;
    ASSERT_EQ(src.wblock(whole), Acad::eOk);
    std::string a, b;
    src.writeDxf(a);
    whole->writeDxf(b);
    EXPECT_EQ(a, b);

    AcDbDatabase dest;
    AcDbObjectId blockId;
    ASSERT_EQ(dest.insert(blockId, "PART", whole, true), Acad::eOk);
    delete whole;
    AcDbBlockTableRecord* part = nullptr;
    ASSERT_EQ(acdbOpenObject(part, blockId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(part->name(), "PART");
    ASSERT_EQ(part->entityIds().size(), 2u);
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, part->entityIds()[0], AcDb::kForRead), Acad::eOk);
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(acdbOpenObject(layer, l->layerId(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(layer->name(), "RED");
    EXPECT_EQ(layer->colorIndex(), 1) << "the layer came along with its colour";
    EXPECT_EQ(layer->database(), &dest);
    layer->close();
    l->close();
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, part->entityIds()[1], AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecord* nested = nullptr;
    ASSERT_EQ(acdbOpenObject(nested, ref->blockTableRecord(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(nested->name(), "INNER");
    EXPECT_EQ(nested->entityIds().size(), 1u);
    nested->close();
    ref->close();
    part->close();
    AcDbObjectId again;
    EXPECT_EQ(dest.insert(again, "PART", &src), Acad::eDuplicateRecordName);
    EXPECT_EQ(dest.numOpenObjects(), 0);
    std::string audit = DxfPeer::auditDatabase(dest);
    EXPECT_NE(audit.find("ERRORS 0\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("B \"PART\" LINE INSERT\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("B \"INNER\" CIRCLE\n"), std::string::npos) << audit;
}

}  // namespace
