// The entity-name layer: names and ids, data lists read with acdbEntGet and made with
// acdbEntMake (including the vertex sequence of a polyface mesh), changes and erasure.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "acad/AcDb.h"
#include "DxfPeer.h"

namespace {

struct EntFixture : ::testing::Test {
    AcDbDatabase db;
    void SetUp() override {
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        AcDbLayerTable* layers = nullptr;
        ASSERT_EQ(db.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
        auto* duct = new AcDbLayerTableRecord;
        duct->setName("DUCT");
        layers->add(duct);
        duct->close();
        layers->close();
    }
    void TearDown() override {
        EXPECT_EQ(db.numOpenObjects(), 0);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }
    int modelSpaceCount() {
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
        int n = 0;
        for (AcDbObjectId id : ms->entityIds()) n += !id.isErased();
        ms->close();
        return n;
    }
    AcDbObjectId lastId() {
        ads_name last;
        EXPECT_EQ(acdbEntLast(last), RTNORM);
        AcDbObjectId id;
        EXPECT_EQ(acdbGetObjectId(id, last), Acad::eOk);
        return id;
    }
};

const resbuf* find(const resbuf* rb, int code) {
    for (; rb; rb = rb->rbnext)
        if (rb->restype == code) return rb;
    return nullptr;
}

// A data list as comparable text, without the fields that name the object itself.
std::string fields(const resbuf* rb) {
    std::string s;
    for (; rb; rb = rb->rbnext) {
        int c = rb->restype;
        if (c == -1 || c == 5 || c == 330 || c == 102) continue;
        s += std::to_string(c) + "=";
        char buf[128];
        switch (acutResValKind(c)) {
        case ResValKind::String:
        case ResValKind::Handle: s += rb->resval.rstring; break;
        case ResValKind::Real: std::snprintf(buf, sizeof buf, "%.9g", rb->resval.rreal); s += buf; break;
        case ResValKind::Point:
            std::snprintf(buf, sizeof buf, "%.9g,%.9g,%.9g", rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
            s += buf;
            break;
        case ResValKind::Short: s += std::to_string(rb->resval.rint); break;
        case ResValKind::Long: s += std::to_string(rb->resval.rlong); break;
        default: s += "?"; break;
        }
        s += ";";
    }
    return s;
}

TEST_F(EntFixture, NamesAndIdsConvertBothWaysAndStaleNamesAreRefused) {
    AcDbObjectId ms = db.modelSpaceId();
    ads_name n;
    ASSERT_EQ(acdbGetAdsName(n, ms), Acad::eOk);
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, n), Acad::eOk);
    EXPECT_EQ(back, ms);
    ads_name nil = {0, 0};
    EXPECT_NE(acdbGetObjectId(back, nil), Acad::eOk);
    ads_name stale;
    {
        AcDbDatabase other;
        acdbGetAdsName(stale, other.modelSpaceId());
    }
    EXPECT_EQ(acdbGetObjectId(back, stale), Acad::eInvalidAdsName);
    ads_name unknown = {n[0], 0x7FFFFF};
    EXPECT_EQ(acdbGetObjectId(back, unknown), Acad::eInvalidAdsName);
}

// A name kept after its drawing was closed must not resolve into a drawing opened later, even
// one that the allocator places at the same address and that has an object of the same handle;
// nor into the drawing a read has put in place of the one the name was taken from.
TEST_F(EntFixture, NamesOfClosedOrReplacedDrawingsDoNotResolve) {
    alignas(AcDbDatabase) unsigned char storage[sizeof(AcDbDatabase)];
    auto* first = new (storage) AcDbDatabase;
    ads_name kept;
    ASSERT_EQ(acdbGetAdsName(kept, first->modelSpaceId()), Acad::eOk);
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, kept), Acad::eOk);
    uint64_t handle = back.handle().value();
    first->~AcDbDatabase();
    auto* second = new (storage) AcDbDatabase;
    ASSERT_EQ(static_cast<void*>(second), static_cast<void*>(storage));
    ASSERT_EQ(second->modelSpaceId().handle().value(), handle) << "the same handle exists in the new drawing";
    EXPECT_EQ(acdbGetObjectId(back, kept), Acad::eInvalidAdsName);
    ads_name fresh;
    ASSERT_EQ(acdbGetAdsName(fresh, second->modelSpaceId()), Acad::eOk);
    ASSERT_EQ(acdbGetObjectId(back, fresh), Acad::eOk);
    EXPECT_EQ(back, second->modelSpaceId());

    // A read that replaces the drawing makes the names taken before stale; one that fails does not.
    std::string text;
    second->writeDxf(text);
    EXPECT_NE(second->readDxf("not a drawing"), Acad::eOk);
    EXPECT_EQ(acdbGetObjectId(back, fresh), Acad::eOk);
    ASSERT_EQ(second->readDxf(text), Acad::eOk);
    EXPECT_EQ(acdbGetObjectId(back, fresh), Acad::eInvalidAdsName);
    ASSERT_EQ(acdbGetAdsName(fresh, second->modelSpaceId()), Acad::eOk);
    EXPECT_EQ(acdbGetObjectId(back, fresh), Acad::eOk);
    second->~AcDbDatabase();
}

TEST_F(EntFixture, EntGetListsTheEntityWithItsNameTypeAndFields) {
    double a[3] = {1, 2, 0}, b[3] = {4, 6, 0};
    resbuf* list = acutBuildList(RTDXF0, "LINE", 8, "DUCT", 62, 3, 10, a, 11, b, 0);
    ASSERT_EQ(acdbEntMake(list), RTNORM);
    acutRelRb(list);
    ads_name e;
    ASSERT_EQ(acdbEntLast(e), RTNORM);
    resbuf* got = acdbEntGet(e);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->restype, -1);
    EXPECT_TRUE(ads_name_equal(got->resval.rlname, e));
    ASSERT_NE(find(got, 0), nullptr);
    EXPECT_STREQ(find(got, 0)->resval.rstring, "LINE");
    EXPECT_STREQ(find(got, 8)->resval.rstring, "DUCT");
    EXPECT_EQ(find(got, 62)->resval.rint, 3);
    const resbuf* end = find(got, 11);
    ASSERT_NE(end, nullptr);
    EXPECT_DOUBLE_EQ(end->resval.rpoint[1], 6);
    AcDbObjectId owner;
    ASSERT_EQ(acdbGetObjectId(owner, find(got, 330)->resval.rlname), Acad::eOk);
    EXPECT_EQ(owner, db.modelSpaceId());
    acutRelRb(got);
}

// Entities made from a list come back from acdbEntGet with the same fields, and a list read
// from one entity makes an equal second one.
TEST_F(EntFixture, EntMakeAndEntGetRoundTripPerType) {
    double p0[3] = {1, 2, 0}, p1[3] = {7, 3, 0}, c[3] = {5, 5, 0};
    const char gbk[] = "\xB7\xE7\xB9\xDC";  // 风管
    std::vector<resbuf*> lists = {
        acutBuildList(RTDXF0, "LINE", 8, "DUCT", 39, 2.5, 10, p0, 11, p1, 0),
        acutBuildList(RTDXF0, "CIRCLE", 6, "Continuous", 370, 35, 10, c, 40, 4.0, 0),
        acutBuildList(RTDXF0, "ARC", 10, c, 40, 2.0, 50, 30.0, 51, 120.0, 0),
        acutBuildList(RTDXF0, "TEXT", 10, p0, 40, 3.5, 1, gbk, 50, 90.0, 72, 1, 11, p1, 73, 2, 0),
        acutBuildList(RTDXF0, "LWPOLYLINE", 90, 3, 70, 1, 10, p0, 42, 0.5, 10, p1, 10, c, 0),
    };
    for (resbuf* list : lists) {
        ASSERT_NE(list, nullptr);
        std::string type = list->resval.rstring;
        ASSERT_EQ(acdbEntMake(list), RTNORM) << type;
        acutRelRb(list);
        ads_name first;
        ASSERT_EQ(acdbEntLast(first), RTNORM);
        resbuf* got = acdbEntGet(first);
        ASSERT_NE(got, nullptr) << type;
        EXPECT_STREQ(find(got, 0)->resval.rstring, type.c_str());
        ASSERT_EQ(acdbEntMake(got), RTNORM) << type;
        ads_name second;
        ASSERT_EQ(acdbEntLast(second), RTNORM);
        EXPECT_FALSE(ads_name_equal(first, second)) << type;
        resbuf* again = acdbEntGet(second);
        EXPECT_EQ(fields(got), fields(again)) << type;
        acutRelRb(got);
        acutRelRb(again);
    }
    // Spot checks on what the lists meant.
    AcDbObjectId textId;
    {
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
        textId = ms->entityIds()[6];
        ms->close();
    }
    AcDbText* t = nullptr;
    ASSERT_EQ(acdbOpenObject(t, textId, AcDb::kForRead), Acad::eOk);
    EXPECT_STREQ(t->textStringConst(), gbk);
    EXPECT_NEAR(t->rotation(), M_PI / 2, 1e-12);
    EXPECT_EQ(t->horizontalMode(), AcDb::kTextCenter);
    EXPECT_EQ(t->verticalMode(), AcDb::kTextVertMid);
    t->close();
}

// The list sequence of a polyface mesh as the kernel sends it: a header, one vertex list per
// point, face records, and the end-of-sequence list.
TEST_F(EntFixture, PolyfaceMeshSequence) {
    double pts[5][3] = {{0, 0, 0}, {10, 0, 0}, {12, 8, 0}, {5, 12, 0}, {-2, 8, 0}};
    double zero[3] = {0, 0, 0};
    int before = modelSpaceCount();
    resbuf* head = acutBuildList(RTDXF0, "POLYLINE", 8, "DUCT", 10, zero, 66, 1, 70, 64, 71, 5, 72, 1, 0);
    ASSERT_EQ(acdbEntMake(head), RTNORM);
    acutRelRb(head);
    for (auto& p : pts) {
        resbuf* v = acutBuildList(RTDXF0, "VERTEX", 8, "DUCT", 10, p, 70, 192, 0);
        ASSERT_EQ(acdbEntMake(v), RTNORM);
        acutRelRb(v);
    }
    short faces[2][4] = {{1, 2, 3, -4}, {-1, 4, 5, 0}};
    for (auto& f : faces) {
        resbuf* v = acutBuildList(RTDXF0, "VERTEX", 8, "DUCT", 10, pts[4], 70, 128, 71, f[0], 72, f[1], 73, f[2], 74, f[3], 0);
        ASSERT_EQ(acdbEntMake(v), RTNORM);
        acutRelRb(v);
    }
    EXPECT_EQ(modelSpaceCount(), before) << "nothing is appended before the end of the sequence";
    resbuf* end = acutBuildList(RTDXF0, "SEQEND", 0);
    ASSERT_EQ(acdbEntMake(end), RTNORM);
    acutRelRb(end);
    ASSERT_EQ(modelSpaceCount(), before + 1);

    AcDbPolyFaceMesh* mesh = nullptr;
    ASSERT_EQ(acdbOpenObject(mesh, lastId(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(mesh->numVertices(), 5);
    EXPECT_EQ(mesh->numFaces(), 2);
    char* layer = mesh->layer();
    EXPECT_STREQ(layer, "DUCT");
    acutDelString(layer);
    AcDbObjectIterator* it = mesh->vertexIterator();
    std::vector<std::vector<int>> seen;
    for (; !it->done(); it->step()) {
        AcDbFaceRecord* f = nullptr;
        if (acdbOpenObject(f, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
        std::vector<int> face;
        for (int k = 0; k < 4; ++k) {
            short v = 0;
            bool visible = false;
            f->getVertexAt(k, v);
            f->isEdgeVisibleAt(k, visible);
            face.push_back(visible ? v : -v);
        }
        seen.push_back(face);
        f->close();
    }
    delete it;
    mesh->close();
    std::vector<std::vector<int>> expected = {{1, 2, 3, -4}, {-1, 4, 5, 0}};
    EXPECT_EQ(seen, expected);
    std::string audit = DxfPeer::auditDatabase(db);
    EXPECT_NE(audit.find("ERRORS 0\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("E POLYLINE \"DUCT\" 7\n"), std::string::npos) << audit;
}

TEST_F(EntFixture, SequenceRulesAndRefusedLists) {
    double zero[3] = {0, 0, 0};
    resbuf* lone = acutBuildList(RTDXF0, "VERTEX", 10, zero, 70, 192, 0);
    EXPECT_EQ(acdbEntMake(lone), RTREJ) << "a vertex needs a polyline first";
    resbuf* seqend = acutBuildList(RTDXF0, "SEQEND", 0);
    EXPECT_EQ(acdbEntMake(seqend), RTREJ);
    // Another entity abandons an unfinished sequence.
    resbuf* head = acutBuildList(RTDXF0, "POLYLINE", 10, zero, 66, 1, 70, 64, 0);
    ASSERT_EQ(acdbEntMake(head), RTNORM);
    double a[3] = {0, 0, 0}, b[3] = {1, 1, 0};
    resbuf* line = acutBuildList(RTDXF0, "LINE", 10, a, 11, b, 0);
    ASSERT_EQ(acdbEntMake(line), RTNORM);
    EXPECT_EQ(acdbEntMake(lone), RTREJ);
    EXPECT_EQ(acdbEntMake(seqend), RTREJ);
    EXPECT_EQ(modelSpaceCount(), 1);

    resbuf* unknown = acutBuildList(RTDXF0, "WIDGET", 10, a, 0);
    EXPECT_EQ(acdbEntMake(unknown), RTREJ);
    resbuf* badBlock = acutBuildList(RTDXF0, "INSERT", 2, "NO_SUCH_BLOCK", 10, a, 0);
    EXPECT_EQ(acdbEntMake(badBlock), RTREJ);
    resbuf* xdata = acutBuildList(RTDXF0, "LINE", 10, a, 11, b, -3, 1001, "UNREGISTERED", 1000, "x", 0);
    EXPECT_EQ(acdbEntMake(xdata), RTREJ) << "extended data needs a registered application";
    EXPECT_EQ(modelSpaceCount(), 1);
    for (resbuf* r : {lone, seqend, head, line, unknown, badBlock, xdata}) acutRelRb(r);
}

TEST_F(EntFixture, EntModChangesAndEntDelErasesAndRestores) {
    double a[3] = {0, 0, 0}, b[3] = {1, 1, 0};
    resbuf* line = acutBuildList(RTDXF0, "LINE", 10, a, 11, b, 0);
    ASSERT_EQ(acdbEntMake(line), RTNORM);
    acutRelRb(line);
    ads_name e;
    ASSERT_EQ(acdbEntLast(e), RTNORM);
    resbuf* list = acdbEntGet(e);
    for (resbuf* rb = list; rb; rb = rb->rbnext) {
        if (rb->restype == 8) {
            acutDelString(rb->resval.rstring);
            rb->resval.rstring = acutNewString("DUCT");
        }
        if (rb->restype == 11) rb->resval.rpoint[0] = 9;
    }
    ASSERT_EQ(acdbEntMod(list), RTNORM);
    acutRelRb(list);
    AcDbObjectId id;
    acdbGetObjectId(id, e);
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, id, AcDb::kForRead), Acad::eOk);
    EXPECT_DOUBLE_EQ(l->endPoint().x, 9);
    char* layer = l->layer();
    EXPECT_STREQ(layer, "DUCT");
    acutDelString(layer);
    l->close();

    ASSERT_EQ(acdbEntDel(e), RTNORM);
    EXPECT_TRUE(id.isErased());
    EXPECT_EQ(acdbEntGet(e), nullptr);
    ASSERT_EQ(acdbEntDel(e), RTNORM);
    EXPECT_FALSE(id.isErased());
}

TEST_F(EntFixture, EntGetXAddsRequestedApplications) {
    AcDbRegAppTable* apps = nullptr;
    ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
    for (const char* n : {"NUVA", "NUVB"}) {
        auto* r = new AcDbRegAppTableRecord;
        r->setName(n);
        apps->add(r);
        r->close();
    }
    apps->close();
    double a[3] = {0, 0, 0}, b[3] = {1, 1, 0};
    resbuf* line = acutBuildList(RTDXF0, "LINE", 10, a, 11, b, -3, 1001, "NUVA", 1000, "a", 1001, "NUVB", 1070, 2, 0);
    ASSERT_EQ(acdbEntMake(line), RTNORM);
    acutRelRb(line);
    ads_name e;
    acdbEntLast(e);
    resbuf* plain = acdbEntGet(e);
    EXPECT_EQ(find(plain, -3), nullptr);
    acutRelRb(plain);
    resbuf* want = acutBuildList(RTSTR, "NUVB", 0);
    resbuf* withX = acdbEntGetX(e, want);
    const resbuf* marker = find(withX, -3);
    ASSERT_NE(marker, nullptr);
    ASSERT_NE(marker->rbnext, nullptr);
    EXPECT_STREQ(marker->rbnext->resval.rstring, "NUVB");
    EXPECT_EQ(marker->rbnext->rbnext->resval.rint, 2);
    EXPECT_EQ(find(marker->rbnext->rbnext, 1001), nullptr) << "only the requested application";
    acutRelRb(withX);
    acutRelRb(want);
}

}  // namespace
