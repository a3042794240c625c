// Attributes of block references: written after their reference with (66 . 1) and a SEQEND so
// that other programs see them, read back as attributes, moved and erased with the reference.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DxfPeer.h"
#include "TempDir.h"
#include "acad/AcDb.h"
#include "acad/UndoLog.h"

namespace {

// GBK bytes of 风量 ("air volume"), typed from the code page's table.
const char kAirVolumeGbk[] = "\xB7\xE7\xC1\xBF";

struct Drawing {
    AcDbDatabase db;
    AcDbObjectId block, ref, first, second;

    Drawing() {
        AcDbBlockTable* table = nullptr;
        EXPECT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* fan = new AcDbBlockTableRecord;
        fan->setName("FAN");
        EXPECT_EQ(table->add(block, fan), Acad::eOk);
        auto* circle = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1);
        AcDbObjectId circleId;
        EXPECT_EQ(fan->appendAcDbEntity(circleId, circle), Acad::eOk);
        circle->close();
        fan->close();
        table->close();

        auto* r = new AcDbBlockReference(AcGePoint3d(10, 20, 0), block);
        auto* a = new AcDbAttribute(AcGePoint3d(10, 18, 0), "2000 m3/h", kAirVolumeGbk, AcDbObjectId(), 0.5);
        auto* b = new AcDbAttribute(AcGePoint3d(10, 17, 0), "F-2", "TAG", AcDbObjectId(), 0.5);
        b->setInvisible(true);
        // Attributes appended before the reference is in the database go in with it.
        EXPECT_EQ(r->appendAttribute(a), Acad::eOk);
        EXPECT_EQ(r->appendAttribute(b), Acad::eOk);
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(ms->appendAcDbEntity(ref, r), Acad::eOk);
        std::unique_ptr<AcDbObjectIterator> it(r->attributeIterator());
        it->start();
        first = it->objectId();
        it->step();
        second = it->objectId();
        r->close();
        ms->close();
    }
};

TEST(BlockAttributes, AreWrittenWithTheirReferenceAndSeenByAnotherReader) {
    Drawing d;
    EXPECT_FALSE(d.first.isNull());
    EXPECT_FALSE(d.second.isNull());
    std::string out;
    d.db.writeDxf(out);
    size_t insert = out.find("  0\nINSERT\n");
    ASSERT_NE(insert, std::string::npos);
    size_t follows = out.find(" 66\n1\n", insert);
    size_t firstAttrib = out.find("  0\nATTRIB\n", insert);
    size_t seqend = out.find("  0\nSEQEND\n", insert);
    EXPECT_LT(follows, firstAttrib);
    EXPECT_LT(firstAttrib, seqend);
    EXPECT_NE(seqend, std::string::npos);

    TempDir temp;
    std::string path = temp.File("attributes.dxf");
    ASSERT_EQ(d.db.saveAs(path.c_str()), Acad::eOk);
    std::string report = DxfPeer::python("dxf_peer.py", {"inserts", path});
    EXPECT_NE(report.find("ERRORS 0"), std::string::npos) << report;
    EXPECT_NE(report.find("I \"FAN\" \"\\u98ce\\u91cf\"=\"2000 m3/h\"@10,18 \"TAG\"=\"F-2\"@10,17"), std::string::npos) << report;
}

TEST(BlockAttributes, ReadBackAsAttributesOfTheirReference) {
    Drawing d;
    std::string out;
    d.db.writeDxf(out);
    AcDbDatabase back(false);
    ASSERT_EQ(back.readDxf(out), Acad::eOk) << back.lastErrorMessage();
    AcDbObjectId refId;
    ASSERT_EQ(back.getAcDbObjectId(refId, false, d.ref.handle()), Acad::eOk);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForRead), Acad::eOk);
    std::unique_ptr<AcDbObjectIterator> it(ref->attributeIterator());
    struct Want {
        const char* tag;
        const char* value;
        bool invisible;
    } want[] = {{kAirVolumeGbk, "2000 m3/h", false}, {"TAG", "F-2", true}};
    int n = 0;
    for (it->start(); !it->done(); it->step(), ++n) {
        ASSERT_LT(n, 2);
        auto* a = AcDbAttribute::cast(it->entity());
        ASSERT_NE(a, nullptr) << n;
        EXPECT_STREQ(a->tagConst(), want[n].tag);
        EXPECT_STREQ(a->textStringConst(), want[n].value);
        EXPECT_EQ(a->isInvisible(), want[n].invisible);
        EXPECT_EQ(a->ownerId(), refId);
    }
    EXPECT_EQ(n, 2);
    ref->close();
    EXPECT_EQ(back.numOpenObjects(), 0);
}

TEST(BlockAttributes, MoveAndEraseWithTheirReference) {
    Drawing d;
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, d.ref, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ref->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, -2, 0))), Acad::eOk);
    ref->close();
    AcDbAttribute* a = nullptr;
    ASSERT_EQ(acdbOpenObject(a, d.first, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(a->position(), AcGePoint3d(15, 16, 0));
    a->close();
    EXPECT_EQ(d.db.numOpenObjects(), 0);

    ASSERT_EQ(acdbOpenObject(ref, d.ref, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ref->erase(), Acad::eOk);
    ref->close();
    EXPECT_TRUE(d.first.isErased());
    EXPECT_TRUE(d.second.isErased());
    std::string out;
    d.db.writeDxf(out);
    EXPECT_EQ(out.find("  0\nATTRIB\n"), std::string::npos);
}

// Undone, a move and an erase bring the attributes back with their reference: the same
// entities, in place, listed once.
TEST(BlockAttributes, FollowTheirReferenceThroughUndo) {
    Drawing d;
    NUVAcad::UndoLog& log = NUVAcad::undoLogOf(&d.db);
    log.beginCommand("MOVE");
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, d.ref, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ref->transformBy(AcGeMatrix3d::translation(AcGeVector3d(5, -2, 0))), Acad::eOk);
    ref->close();
    log.endCommand();
    log.beginCommand("ERASE");
    ASSERT_EQ(acdbOpenObject(ref, d.ref, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(ref->erase(), Acad::eOk);
    ref->close();
    log.endCommand();
    ASSERT_TRUE(d.first.isErased());

    auto attributes = [&] {
        std::vector<AcDbObjectId> ids;
        AcDbBlockReference* r = nullptr;
        EXPECT_EQ(acdbOpenObject(r, d.ref, AcDb::kForRead), Acad::eOk);
        if (!r) return ids;
        std::unique_ptr<AcDbObjectIterator> it(r->attributeIterator());
        for (it->start(); !it->done(); it->step()) ids.push_back(it->objectId());
        r->close();
        return ids;
    };
    auto position = [&](AcDbObjectId id) {
        AcDbAttribute* a = nullptr;
        EXPECT_EQ(acdbOpenObject(a, id, AcDb::kForRead), Acad::eOk);
        AcGePoint3d p = a ? a->position() : AcGePoint3d(-1, -1, -1);
        if (a) a->close();
        return p;
    };
    const std::vector<AcDbObjectId> both = {d.first, d.second};
    int done = 0;
    ASSERT_EQ(log.undo(1, &done), Acad::eOk);
    EXPECT_FALSE(d.first.isErased());
    EXPECT_FALSE(d.second.isErased());
    EXPECT_EQ(attributes(), both);
    EXPECT_EQ(position(d.first), AcGePoint3d(15, 16, 0));
    ASSERT_EQ(log.undo(1, &done), Acad::eOk);
    EXPECT_EQ(attributes(), both);
    EXPECT_EQ(position(d.first), AcGePoint3d(10, 18, 0));
    EXPECT_EQ(position(d.second), AcGePoint3d(10, 17, 0));
    EXPECT_EQ(d.db.numOpenObjects(), 0);
    std::string out;
    d.db.writeDxf(out);
    size_t n = 0;
    for (size_t at = out.find("  0\nATTRIB\n"); at != std::string::npos; at = out.find("  0\nATTRIB\n", at + 1)) ++n;
    EXPECT_EQ(n, 2u);
}

// A reference read with (66 . 1) but no attribute before its SEQEND keeps both; one read
// without keeps neither.
TEST(BlockAttributes, ReferencesWithoutAttributesAreWrittenAsRead) {
    const char text[] =
        "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  5\n30\n  2\nFAN\n 70\n0\n 10\n0\n 20\n0\n 30\n0\n  0\nENDBLK\n  5\n31\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nINSERT\n  5\n40\n  8\n0\n 66\n1\n  2\nFAN\n 10\n0\n 20\n0\n 30\n0\n  0\nSEQEND\n  5\n41\n  8\n0\n"
        "  0\nINSERT\n  5\n42\n  8\n0\n  2\nFAN\n 10\n1\n 20\n0\n 30\n0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    std::string out;
    db.writeDxf(out);
    size_t a = out.find("  0\nINSERT\n  5\n40\n"), b = out.find("  0\nINSERT\n  5\n42\n");
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    std::string first = out.substr(a, b - a), second = out.substr(b, out.find("  0\nENDSEC", b) - b);
    EXPECT_NE(first.find(" 66\n1\n"), std::string::npos);
    EXPECT_NE(first.find("  0\nSEQEND\n  5\n41\n"), std::string::npos) << first;
    EXPECT_EQ(second.find(" 66\n"), std::string::npos);
    EXPECT_EQ(second.find("SEQEND"), std::string::npos);
}

}  // namespace
