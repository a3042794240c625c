// Block records, box and duct blocks, face meshes, hatches, linetype and text-style records:
// each result in the database, and the saved drawing as ezdxf reads it.
#include <memory>

#include "DrawFixture.h"
#include "acad/AdsName.h"
#include "draw/BlockRecords.h"
#include "draw/BoxBlocks.h"
#include "draw/Hatches.h"
#include "draw/Meshes.h"
#include "draw/SymbolRecords.h"

namespace {

AcGePoint3dArray Points(std::initializer_list<AcGePoint3d> pts) {
    AcGePoint3dArray a;
    for (const auto& p : pts) a.append(p);
    return a;
}

}  // namespace

class BlockRecordTest : public DrawTest {};

TEST_F(BlockRecordTest, AnonymousNewOrExisting) {
    int existed = 7;
    AcDbBlockTableRecord* a = NUV::CreateBlockTableRecord(nullptr, existed, nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(existed, 0);
    EXPECT_TRUE(a->isWriteEnabled());
    EXPECT_EQ(a->name(), "*U1");
    AcDbObjectId aId = a->objectId();
    a->close();
    AcDbBlockTableRecord* b = NUV::CreateBlockTableRecord(nullptr, existed, &db);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b->objectId(), aId) << "a null name always makes a new anonymous block";
    EXPECT_EQ(b->name(), "*U2");
    b->close();

    AcDbBlockTableRecord* fan = NUV::CreateBlockTableRecord("FAN", existed, nullptr);
    ASSERT_NE(fan, nullptr);
    EXPECT_EQ(existed, 0);
    AcDbObjectId fanId = fan->objectId();
    fan->close();
    AcDbBlockTableRecord* again = NUV::CreateBlockTableRecord("fan", existed, nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(existed, 1);
    EXPECT_EQ(again->objectId(), fanId) << "names compare without case";
    again->close();

    EXPECT_EQ(NUV::CreateBlockTableRecord("bad<name", existed, nullptr), nullptr);
    EXPECT_EQ(existed, 0);
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db.getBlockTable(table, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(table->has("bad<name"));
    table->close();
}

TEST_F(BlockRecordTest, NoWorkingDatabaseOrTableLocked) {
    int existed = 5;
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_EQ(NUV::CreateBlockTableRecord("X", existed, nullptr), nullptr);
    EXPECT_EQ(existed, 0);
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db.getBlockTable(table, AcDb::kForRead), Acad::eOk);  // a reader blocks writers
    EXPECT_EQ(NUV::CreateBlockTableRecord("X", existed, nullptr), nullptr);
    table->close();
}

TEST_F(BlockRecordTest, InsertEntityStatuses) {
    AcDbObjectId id;
    EXPECT_EQ(NUV::InsertEntToBlockRecord(nullptr, db.modelSpaceId(), id), 20);
    auto* line = new AcDbLine({0, 0, 0}, {1, 1, 0});
    EXPECT_EQ(NUV::InsertEntToBlockRecord(line, AcDbObjectId(), id), Acad::eNullObjectId);
    EXPECT_EQ(NUV::InsertEntToBlockRecord(line, db.layerTableId(), id), Acad::eNotThatKindOfClass);
    EXPECT_FALSE(line->isDatabaseResident());
    ASSERT_EQ(NUV::InsertEntToBlockRecord(line, db.modelSpaceId(), id), Acad::eOk);
    EXPECT_EQ(line->objectId(), id);
    EXPECT_EQ(db.numOpenObjects(), 1) << "the entity stays open for its caller";
    EXPECT_EQ(NUV::InsertEntToBlockRecord(line, db.modelSpaceId(), id), Acad::eAlreadyInDb);
    line->close();
}

class BoxTest : public DrawTest {};

TEST_F(BoxTest, NoFacesGiveAnEmptyAnonymousBlock) {
    AcDbObjectId rec;
    EXPECT_EQ(NUV::CreateBoxBlockRecord(rec, {0, 0, 0}, 1, 2, 3, 1, nullptr, 0), 0);
    AcDbBlockTableRecord* r = nullptr;
    ASSERT_EQ(acdbOpenObject(r, rec, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(r->isAnonymous());
    EXPECT_FALSE(r->hasEntities());
    r->close();
}

TEST_F(BoxTest, AllSixFacesInTableOrderAsEzdxfReadsThem) {
    AddLayer("DUCT");
    AcDbObjectId rec;
    ASSERT_EQ(NUV::CreateBoxBlockRecord(rec, {1, 2, 3}, 10, 20, 30, 5, "DUCT", 63), 0);
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "BLOCK \"*U1\" base=0,0,0 entities=6")) << Joined(facts);
    auto vtx = Only(facts, "VTX");
    // Corners typed from the face table, base (1, 2, 3), edges 10, 20, 30.
    const char* want[] = {
        "1,2,33", "1,22,33", "11,22,33", "11,2,33",  // top
        "1,2,3",  "1,22,3",  "11,22,3",  "11,2,3",   // bottom
        "11,2,3", "11,2,33", "11,22,33", "11,22,3",  // x = dx
        "1,2,3",  "1,2,33",  "1,22,33",  "1,22,3",   // x = 0
        "1,2,3",  "1,2,33",  "11,2,33",  "11,2,3",   // y = 0
        "1,22,3", "1,22,33", "11,22,33", "11,22,3",  // y = dy
    };
    ASSERT_EQ(vtx.size(), 24u) << Joined(facts);
    for (size_t i = 0; i < 24; ++i) EXPECT_EQ(vtx[i], std::string("VTX \"*U1\" ") + want[i]) << "corner " << i;
    auto meshes = Only(facts, "MESH");
    ASSERT_EQ(meshes.size(), 6u);
    for (const auto& m : meshes) EXPECT_EQ(m, "MESH POLYLINE \"*U1\" layer=\"DUCT\" color=5 vertices=4 faces=1");
    for (const auto& f : Only(facts, "FACE")) EXPECT_EQ(f, "FACE \"*U1\" 1 2 3 4");
}

TEST_F(BoxTest, SomeFacesKeepTheirOrder) {
    AcDbObjectId rec;
    ASSERT_EQ(NUV::CreateBoxBlockRecord(rec, {0, 0, 0}, 1, 1, 1, 2, nullptr, 4 | 32), 0);
    auto vtx = Only(PeerFacts(), "VTX");
    ASSERT_EQ(vtx.size(), 8u);
    EXPECT_EQ(vtx[0], "VTX \"*U1\" 1,0,0") << "side x = dx comes first";
    EXPECT_EQ(vtx[4], "VTX \"*U1\" 0,1,0") << "then side y = dy";
}

TEST_F(BoxTest, AddBoxReferencesItFromTheTarget) {
    AcDbObjectId refId;
    EXPECT_EQ(NUV::AddBoxToBlockRecord(AcDbObjectId(), refId, {0, 0, 0}, 1, 1, 1, 1, "0", 63), 16);
    EXPECT_TRUE(refId.isNull());
    ASSERT_EQ(NUV::AddBoxToBlockRecord(db.modelSpaceId(), refId, {0, 0, 0}, 2, 3, 4, 1, "0", 1 | 2), 0);
    EXPECT_FALSE(refId.isNull());
    EXPECT_EQ(NUV::AddBoxToBlockRecord(db.modelSpaceId(), {5, 5, 5}, 1, 1, 1, 3, nullptr, 8), 0);
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    auto inserts = Only(facts, "INSERT");
    ASSERT_EQ(inserts.size(), 2u) << Joined(facts);
    EXPECT_EQ(inserts[0], "INSERT \"*Model_Space\" layer=\"0\" color=256 block=\"*U1\" at=0,0,0");
    EXPECT_EQ(inserts[1], "INSERT \"*Model_Space\" layer=\"0\" color=256 block=\"*U2\" at=0,0,0");
    EXPECT_TRUE(Has(facts, "BLOCK \"*U1\" base=0,0,0 entities=2"));
    EXPECT_TRUE(Has(facts, "BLOCK \"*U2\" base=0,0,0 entities=1"));
}

TEST_F(BoxTest, DuctSectionIsFourFacesAndTwoThickLines) {
    AcDbObjectId rec;
    AddLayer("DUCT");
    ASSERT_EQ(NUV::Create3DWindPipeBlockRecord(rec, {0, 0, 0}, 400, 1000, 250, 4, "DUCT"), 0);
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "BLOCK \"*U1\" base=0,0,0 entities=6")) << Joined(facts);
    EXPECT_EQ(Only(facts, "MESH").size(), 4u);
    auto lines = Only(facts, "LINE");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "LINE \"*U1\" layer=\"DUCT\" color=4 0,0,0 400,0,0 thickness=250");
    EXPECT_EQ(lines[1], "LINE \"*U1\" layer=\"DUCT\" color=4 0,1000,0 400,1000,0 thickness=250");
    // No end faces: no corner lies on y = 0 and y = dy at once with z = dz except through sides.
    auto vtx = Only(facts, "VTX");
    EXPECT_EQ(vtx.size(), 16u);
}

class MeshTest : public DrawTest {};

TEST_F(MeshTest, PolyFaceMeshOneFace) {
    EXPECT_EQ(NUV::CreatePolyFaceMesh(Points({{0, 0, 0}, {1, 0, 0}})), nullptr);
    std::unique_ptr<AcDbPolyFaceMesh> tri(NUV::CreatePolyFaceMesh(Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})));
    ASSERT_TRUE(tri);
    EXPECT_EQ(tri->numVertices(), 3);
    EXPECT_EQ(tri->numFaces(), 1);
    std::unique_ptr<AcDbPolyFaceMesh> five(
        NUV::CreatePolyFaceMesh(Points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 2, 0}})));
    ASSERT_TRUE(five);
    EXPECT_EQ(five->numVertices(), 5) << "extra points stay as unused vertices";
    EXPECT_EQ(five->numFaces(), 1);
    EXPECT_FALSE(five->isDatabaseResident());
    // In a drawing: face 1 2 3 (0) and 1 2 3 4 with every edge visible.
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ms->appendAcDbEntity(tri.get()), Acad::eOk);
    tri.release()->close();
    ASSERT_EQ(ms->appendAcDbEntity(five.get()), Acad::eOk);
    five.release()->close();
    ms->close();
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    auto faces = Only(facts, "FACE");
    ASSERT_EQ(faces.size(), 2u) << Joined(facts);
    EXPECT_EQ(faces[0], "FACE \"*Model_Space\" 1 2 3 0");
    EXPECT_EQ(faces[1], "FACE \"*Model_Space\" 1 2 3 4");
}

struct FanCase {
    int n;
    std::vector<std::string> faces;
};

TEST_F(MeshTest, Make3DFaceFansWithHiddenDiagonals) {
    // From the face rules: 3 and 4 points one face; more, a fan from vertex 1.
    const FanCase cases[] = {
        {3, {"1 2 3 0"}},
        {4, {"1 2 3 4"}},
        {5, {"1 2 3 -4", "-1 4 5 0"}},
        {6, {"1 2 3 -4", "-1 4 -5 0", "-1 5 6 0"}},
        {7, {"1 2 3 -4", "-1 4 -5 0", "-1 5 -6 0", "-1 6 7 0"}},
    };
    AddLayer("\xB7\xE7\xB9\xDC");  // GBK for "duct"

    for (const FanCase& c : cases) {
        AcGePoint3dArray pts;
        for (int i = 0; i < c.n; ++i) pts.append(AcGePoint3d(std::cos(i * 2 * M_PI / c.n), std::sin(i * 2 * M_PI / c.n), 0));
        EXPECT_EQ(NUV::Make3DFace(pts, CString("\xB7\xE7\xB9\xDC")), 1) << c.n;
    }
    AcGePoint3dArray two = Points({{0, 0, 0}, {1, 1, 1}});
    EXPECT_EQ(NUV::Make3DFace(two, CString("0")), 0);

    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    auto meshes = Only(facts, "MESH");
    ASSERT_EQ(meshes.size(), 5u) << Joined(facts);
    auto faces = Only(facts, "FACE");
    size_t k = 0;
    for (const FanCase& c : cases) {
        EXPECT_NE(meshes[&c - cases].find("layer=\"\\u98ce\\u7ba1\""), std::string::npos) << meshes[&c - cases];
        EXPECT_NE(meshes[&c - cases].find("vertices=" + std::to_string(c.n)), std::string::npos) << c.n;
        for (const auto& f : c.faces) {
            ASSERT_LT(k, faces.size());
            EXPECT_EQ(faces[k++], "FACE \"*Model_Space\" " + f) << c.n << " points";
        }
    }
    EXPECT_EQ(k, faces.size());
}

class HatchTest : public DrawTest {};

TEST_F(HatchTest, PredefinedPatternOneExternalLoop) {
    AcGePoint2dArray pts;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {40.0, 0.0}, {40.0, 20.0}, {0.0, 20.0}}) pts.append(AcGePoint2d(x, y));
    AcDbHatch* h = NUV::CreateHatch(pts, "ANSI31");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->patternType(), AcDbHatch::kPreDefined);
    EXPECT_STREQ(h->patternName(), "ANSI31");
    EXPECT_EQ(h->hatchStyle(), AcDbHatch::kNormal);
    EXPECT_FALSE(h->associative());
    EXPECT_EQ(h->numLoops(), 1);
    EXPECT_EQ(h->loopTypeAt(0) & AcDbHatch::kExternal, AcDbHatch::kExternal);
    EXPECT_GT(h->numHatchLines(), 0) << "evaluated";
    EXPECT_DOUBLE_EQ(h->patternScale(), 1.0);
    EXPECT_DOUBLE_EQ(h->patternAngle(), 0.0);
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ms->appendAcDbEntity(h), Acad::eOk);
    h->close();
    ms->close();
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    auto hatches = Only(facts, "HATCH");
    ASSERT_EQ(hatches.size(), 1u);
    EXPECT_NE(hatches[0].find("pattern=\"ANSI31\" style=0 patterntype=1 assoc=0"), std::string::npos) << hatches[0];
    EXPECT_NE(hatches[0].find("0,0,0;40,0,0;40,20,0;0,20,0"), std::string::npos) << hatches[0];
}

class SymbolRecordTest : public DrawTest {};

TEST_F(SymbolRecordTest, LinetypeAndTextStyleGetOrMake) {
    int existed = 9;
    EXPECT_EQ(NUV::CreateLineType("", existed), nullptr);
    EXPECT_EQ(NUV::CreateLineType(nullptr, existed), nullptr);
    EXPECT_EQ(NUV::CreateTextStyle("", existed), nullptr);
    EXPECT_EQ(existed, 9) << "an empty name leaves existed alone";

    AcDbLinetypeTableRecord* lt = NUV::CreateLineType("NUV_DASH", existed);
    ASSERT_NE(lt, nullptr);
    EXPECT_EQ(existed, 0);
    EXPECT_TRUE(lt->isWriteEnabled());
    EXPECT_EQ(lt->numDashes(), 0) << "a new record carries only its name";
    lt->close();
    lt = NUV::CreateLineType("nuv_dash", existed);
    ASSERT_NE(lt, nullptr);
    EXPECT_EQ(existed, 1);
    lt->close();
    lt = NUV::CreateLineType("Continuous", existed);
    ASSERT_NE(lt, nullptr);
    EXPECT_EQ(existed, 1);
    lt->close();

    AcDbTextStyleTableRecord* st = NUV::CreateTextStyle("\xBA\xBA\xD7\xD6", existed);  // GBK "hanzi"
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(existed, 0);
    st->close();
    EXPECT_EQ(NUV::CreateTextStyle("bad|name", existed), nullptr);

    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    existed = 4;
    EXPECT_EQ(NUV::CreateTextStyle("X", existed), nullptr);
    EXPECT_EQ(existed, 4);
    acdbHostApplicationServices()->setWorkingDatabase(&db);

    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "LTYPE \"NUV_DASH\"")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "STYLE \"\\u6c49\\u5b57\"")) << Joined(facts);
}
