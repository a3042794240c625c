// The structure of drawing files: handles (the dimension style's 105, handles the reader must
// not give out twice), owners in the header or the body, names holding any byte, tables the
// format does not define or repeats, sections the model does not know.
#include <gtest/gtest.h>

#include <string>

#include "DxfPeer.h"
#include "TempDir.h"
#include "acad/AcDb.h"

namespace {

AcDbObject* openByHandle(AcDbDatabase& db, uint64_t handle) {
    AcDbObjectId id;
    if (db.getAcDbObjectId(id, false, AcDbHandle(handle)) != Acad::eOk) return nullptr;
    AcDbObject* o = nullptr;
    if (acdbOpenObject(o, id, AcDb::kForRead) != Acad::eOk) return nullptr;
    return o;
}

std::string typeOf(AcDbDatabase& db, uint64_t handle) {
    AcDbObject* o = openByHandle(db, handle);
    if (!o) return "(none)";
    std::string t;
    if (auto* p = AcDbProxyObject::cast(o)) t = p->typeName();
    else if (auto* r = AcDbRawTableRecord::cast(o)) t = r->typeName();
    else t = o->isA()->dxfName();
    o->close();
    return t;
}

std::string saveAndReread(AcDbDatabase& db) {
    std::string out;
    db.writeDxf(out);
    AcDbDatabase again(false);
    EXPECT_EQ(again.readDxf(out), Acad::eOk) << again.lastErrorMessage();
    std::string twice;
    again.writeDxf(twice);
    EXPECT_TRUE(twice == out) << "a second save differs";
    return out;
}

// A dimension style record is the one object whose handle has code 105; references to it by
// handle must still reach it after a read and a save.
TEST(DxfStructure, DimensionStyleHandlesUseCode105) {
    const char text[] =
        "  0\nSECTION\n  2\nTABLES\n"
        "  0\nTABLE\n  2\nDIMSTYLE\n  5\nA\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n100\nAcDbDimStyleTable\n 71\n0\n"
        "  0\nDIMSTYLE\n105\n2F\n330\nA\n100\nAcDbSymbolTableRecord\n100\nAcDbDimStyleTableRecord\n  2\nNUVDIM\n"
        " 70\n0\n 41\n2.5\n"
        "  0\nENDTAB\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nOBJECTS\n"
        "  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n281\n1\n  3\nNUVREF\n350\n30\n"
        "  0\nXRECORD\n  5\n30\n330\nC\n100\nAcDbXrecord\n280\n1\n340\n2F\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    EXPECT_EQ(typeOf(db, 0x2F), "DIMSTYLE");
    AcDbObject* rec = openByHandle(db, 0x2F);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->ownerId(), db.dimStyleTableId());
    rec->close();
    // The extended record still points at the style.
    auto* xr = AcDbXrecord::cast(openByHandle(db, 0x30));
    ASSERT_NE(xr, nullptr);
    resbuf* data = nullptr;
    ASSERT_EQ(xr->rbChain(&data), Acad::eOk);
    xr->close();
    ASSERT_NE(data, nullptr);
    AcDbObjectId target;
    ASSERT_EQ(acdbGetObjectId(target, data->resval.rlname), Acad::eOk);
    EXPECT_EQ(target.handle().value(), 0x2Fu);
    acutRelRb(data);

    std::string out = saveAndReread(db);
    EXPECT_NE(out.find("  0\nDIMSTYLE\n105\n2F\n"), std::string::npos);
    EXPECT_EQ(out.find("  0\nDIMSTYLE\n  5\n"), std::string::npos) << "a style record's handle is never written with 5";

    TempDir temp;
    std::string path = temp.File("dimstyle.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    std::string report = DxfPeer::python("dxf_peer.py", {"dimstyles", path});
    EXPECT_NE(report.find("D \"NUVDIM\" 2F"), std::string::npos) << report;
    EXPECT_NE(report.find("ERRORS 0"), std::string::npos) << report;
}

// The owner is the 330 of the object's header (or, in files that write it there, of the common
// entity part); a 330 among a class's own fields is data of that class.
TEST(DxfStructure, OwnerComesFromTheHeaderAndBodyPointersStayInPlace) {
    const char text[] =
        "  0\nSECTION\n  2\nTABLES\n"
        "  0\nTABLE\n  2\nBLOCK_RECORD\n  5\n1\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n"
        "  0\nBLOCK_RECORD\n  5\n1F\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n  2\n*Model_Space\n"
        "  0\nBLOCK_RECORD\n  5\n1B\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n  2\n*Paper_Space\n"
        "  0\nENDTAB\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n"
        // The owner in the entity part: paper space.
        "  0\nLINE\n  5\n40\n100\nAcDbEntity\n330\n1B\n  8\n0\n100\nAcDbLine\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n1\n 31\n0\n"
        "  0\nENDSEC\n"
        "  0\nSECTION\n  2\nOBJECTS\n"
        "  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n281\n1\n  3\nACAD_LAYOUT\n350\n1A\n  3\nNUVLINK\n350\n50\n"
        "  0\nDICTIONARY\n  5\n1A\n330\nC\n100\nAcDbDictionary\n281\n1\n  3\nLayout1\n350\n1E\n"
        // The layout's own 330 (its block record) follows the owner in the header.
        "  0\nLAYOUT\n  5\n1E\n330\n1A\n100\nAcDbPlotSettings\n  1\n\n100\nAcDbLayout\n  1\nLayout1\n 71\n1\n330\n1B\n"
        // No owner in the header: the 330 after the subclass marker is the record's data.
        "  0\nXRECORD\n  5\n50\n100\nAcDbXrecord\n280\n1\n330\n1E\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    struct Expect {
        uint64_t handle;
        uint64_t owner;
    } owners[] = {{0x40, 0x1B}, {0x1E, 0x1A}, {0x50, 0}};
    for (const Expect& e : owners) {
        AcDbObject* o = openByHandle(db, e.handle);
        ASSERT_NE(o, nullptr) << std::hex << e.handle;
        EXPECT_EQ(o->ownerId().handle().value(), e.owner) << std::hex << e.handle;
        o->close();
    }
    std::string out = saveAndReread(db);
    EXPECT_NE(out.find("  0\nLINE\n  5\n40\n330\n1B\n100\nAcDbEntity\n 67\n1\n  8\n0\n100\nAcDbLine\n"), std::string::npos)
        << "one owner, in the header, and the line in paper space";
    EXPECT_NE(out.find("  0\nLAYOUT\n  5\n1E\n330\n1A\n100\nAcDbPlotSettings\n  1\n\n100\nAcDbLayout\n  1\nLayout1\n 71\n1\n330\n1B\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("  0\nXRECORD\n  5\n50\n330\n0\n100\nAcDbXrecord\n280\n1\n330\n1E\n"), std::string::npos) << out;
}

// A layer the reader makes for a name the table lacks must not take a handle that an object
// later in the file holds, and no handle the file used is given out again, not even one of an
// object the read dropped.
TEST(DxfStructure, HandlesReadAreNeverGivenOutAgain) {
    const char text[] =
        "  0\nSECTION\n  2\nHEADER\n  9\n$HANDSEED\n  5\n10\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLINE\n  5\n20\n  8\nNEW\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n1\n 31\n0\n"
        // A sequence end without a sequence is dropped; its handle stays used.
        "  0\nSEQEND\n  5\n60\n  8\n0\n"
        "  0\nENDSEC\n"
        "  0\nSECTION\n  2\nOBJECTS\n"
        "  0\nDICTIONARY\n  5\n21\n330\n0\n100\nAcDbDictionary\n281\n1\n  3\nNUV\n350\n22\n"
        "  0\nXRECORD\n  5\n22\n330\n21\n100\nAcDbXrecord\n280\n1\n  1\nkept\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    EXPECT_EQ(typeOf(db, 0x20), "LINE");
    EXPECT_EQ(typeOf(db, 0x21), "DICTIONARY");
    EXPECT_EQ(typeOf(db, 0x22), "XRECORD");
    EXPECT_EQ(typeOf(db, 0x60), "(none)");
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    AcDbObjectId newLayer;
    ASSERT_EQ(layers->getAt("NEW", newLayer), Acad::eOk);
    layers->close();
    EXPECT_GT(newLayer.handle().value(), 0x60u);
    // Objects added after the read too.
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId lineId;
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0));
    ASSERT_EQ(ms->appendAcDbEntity(lineId, line), Acad::eOk);
    line->close();
    ms->close();
    EXPECT_GT(lineId.handle().value(), 0x60u);
    EXPECT_GT(db.handseed().value(), lineId.handle().value());
    saveAndReread(db);
}

// Found by the fuzzer: a root dictionary whose group entry named no object kept the entry, which
// the writer drops, so the next read made a group dictionary the first had not.
TEST(DxfStructure, AGroupEntryNamingNothingIsReplacedOnRead) {
    const char text[] =
        "  0\nSECTION\n  2\nOBJECTS\n"
        "  0\nDICTIONARY\n  5\nA\n330\n0\n100\nAcDbDictionary\n281\n1\n  3\nACAD_GROUP\n350\n99\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(db.getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
    EXPECT_NE(groups->objectId().handle().value(), 0x99u);
    groups->close();
    saveAndReread(db);
}

// Found by the fuzzer: a vertex with two flag fields was made by the first and read by the
// last, so its class changed with the next read. The last decides, as for every field.
TEST(DxfStructure, ARepeatedFieldDecidesTheClassAsItDecidesTheValue) {
    const char text[] =
        "  0\nSECTION\n  2\nENTITIES\n  0\nPOLYLINE\n 70\n64\n"
        "  0\nVERTEX\n 10\n1\n 20\n2\n 70\n0\n 70\n192\n  0\nSEQEND\n  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    std::string out = saveAndReread(db);
    EXPECT_NE(out.find("AcDbPolyFaceMeshVertex"), std::string::npos);
}

// The fuzzer's finding: a type name holding a NUL byte was cut at the NUL when written, and the
// saved file no longer read. Names are written back whole.
TEST(DxfStructure, NamesHoldingAnyByteAreWrittenBackWhole) {
    const std::string entityType("WID\0GET", 7), objectType("GAD\0GET", 7);
    const std::string text = "  0\nSECTION\n  2\nENTITIES\n  0\n" + entityType +
                             "\n  5\n101\n100\nAcDbEntity\n  8\n0\n  1\nx\r\ry\n"
                             "  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS\n"
                             "  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n281\n1\n"
                             "  0\n" + objectType + "\n  5\n102\n330\nC\n 70\n3\n"
                             "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    EXPECT_EQ(typeOf(db, 0x102), objectType);
    AcDbEntity* e = AcDbEntity::cast(openByHandle(db, 0x101));
    ASSERT_NE(e, nullptr);
    ASSERT_NE(AcDbProxyEntity::cast(e), nullptr);
    EXPECT_EQ(AcDbProxyEntity::cast(e)->typeName(), entityType);
    e->close();
    std::string out = saveAndReread(db);
    EXPECT_NE(out.find("  0\n" + entityType + "\n"), std::string::npos);
    EXPECT_NE(out.find("  0\n" + objectType + "\n"), std::string::npos);
    EXPECT_NE(out.find("  1\nx\r\ry\n"), std::string::npos) << "a carriage return inside a value stays";
    // A group without a type cannot be written back: it is refused.
    AcDbDatabase refused(false);
    EXPECT_EQ(refused.readDxf("  0\nSECTION\n  2\nENTITIES\n  0\n\n  8\n0\n  0\nENDSEC\n  0\nEOF\n"), Acad::eBadDxfSequence);
    EXPECT_NE(std::string(refused.lastErrorMessage()).find("line 6"), std::string::npos) << refused.lastErrorMessage();
}

// A table the format repeats gives its records to the first; a table of a name the format does
// not define is written back as read.
TEST(DxfStructure, RepeatedAndUnknownTablesKeepTheirRecords) {
    const char text[] =
        "  0\nSECTION\n  2\nTABLES\n"
        "  0\nTABLE\n  2\nLAYER\n  5\n2\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
        "  0\nLAYER\n  5\n10\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\nA\n 70\n0\n 62\n1\n"
        "  0\nENDTAB\n"
        "  0\nTABLE\n  2\nLAYER\n  5\n3\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
        "  0\nLAYER\n  5\n11\n330\n3\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\nB\n 70\n0\n 62\n2\n"
        "  0\nENDTAB\n"
        "  0\nTABLE\n  2\nNUVTABLE\n  5\n4\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
        "  0\nNUVRECORD\n  5\n12\n330\n4\n100\nAcDbSymbolTableRecord\n  2\nONE\n 70\n0\n 40\n1.5\n"
        "  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(layers->has("A"));
    EXPECT_TRUE(layers->has("B"));
    layers->close();
    std::string out = saveAndReread(db);
    EXPECT_NE(out.find("  0\nTABLE\n  2\nNUVTABLE\n  5\n4\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  0\nNUVRECORD\n  5\n12\n330\n4\n"), std::string::npos);
    EXPECT_NE(out.find(" 40\n1.5\n"), std::string::npos);

    // Two layers of one name: both are written back, lookups find the first. Two blocks of one
    // name cannot be told apart in BLOCKS: such a file is refused.
    const std::string twoLayers =
        "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  5\n2\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n"
        "  0\nLAYER\n  5\n10\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\nA\n 70\n0\n 62\n1\n"
        "  0\nLAYER\n  5\n11\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\na\n 70\n0\n 62\n2\n"
        "  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase layersTwice(false);
    ASSERT_EQ(layersTwice.readDxf(twoLayers), Acad::eOk) << layersTwice.lastErrorMessage();
    ASSERT_EQ(layersTwice.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    AcDbObjectId first;
    EXPECT_EQ(layers->getAt("A", first), Acad::eOk);
    EXPECT_EQ(first.handle().value(), 0x10u);
    layers->close();
    out = saveAndReread(layersTwice);
    EXPECT_NE(out.find("  0\nLAYER\n  5\n11\n"), std::string::npos);
    const std::string twoBlocks =
        "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nBLOCK_RECORD\n  5\n1\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n"
        "  0\nBLOCK_RECORD\n  5\n10\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n  2\nFAN\n"
        "  0\nBLOCK_RECORD\n  5\n11\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n  2\nfan\n"
        "  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase blocksTwice(false);
    EXPECT_EQ(blocksTwice.readDxf(twoBlocks), Acad::eDuplicateRecordName);
    EXPECT_NE(std::string(blocksTwice.lastErrorMessage()).find("block fan is defined twice"), std::string::npos)
        << blocksTwice.lastErrorMessage();
}

// Sections the model does not know (a preview image, another program's data) are written back
// as read, after the drawing's own sections, and another reader still accepts the file.
TEST(DxfStructure, UnknownSectionsAreWrittenBackAsRead) {
    const std::string preview = "  0\nSECTION\n  2\nTHUMBNAILIMAGE\n 90\n4\n310\n0A0B0C0D\n  0\nENDSEC\n";
    const std::string other =
        "  0\nSECTION\n  2\nNUVDATA\n 70\n2\n  0\nNUVRECORD\n  1\n\xB7\xE7\xB9\xDC\n 10\n1.5\n 20\n2.5\n"
        "  0\nNUVRECORD\n  1\nsecond\n  0\nENDSEC\n";
    const std::string text = other +
                             "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  5\n40\n100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n"
                             " 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n1.0\n 21\n1.0\n 31\n0.0\n  0\nENDSEC\n" +
                             preview + "  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    std::string out = saveAndReread(db);
    size_t objects = out.find("  2\nOBJECTS\n"), kept = out.find(other), image = out.find(preview);
    ASSERT_NE(kept, std::string::npos) << out;
    ASSERT_NE(image, std::string::npos) << out;
    EXPECT_LT(objects, kept);
    EXPECT_LT(kept, image) << "in the order read";
    EXPECT_EQ(out.find("NUVDATA"), out.rfind("NUVDATA")) << "once";

    // Unclosed, the section is refused like any other.
    AcDbDatabase refused(false);
    EXPECT_NE(refused.readDxf("  0\nSECTION\n  2\nNUVDATA\n  0\nNUVRECORD\n  0\nEOF\n"), Acad::eOk);

    TempDir temp;
    std::string path = temp.File("sections.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    std::string report = DxfPeer::python("dxf_peer.py", {"audit", path});
    EXPECT_NE(report.find("ERRORS 0"), std::string::npos) << report;
    EXPECT_NE(report.find("E LINE"), std::string::npos) << report;
}

}  // namespace
