// Drawing files: a drawing with every kind of object the model holds is written, audited by
// ezdxf, read back and written again; files ezdxf makes are read; broken files are refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "TempDir.h"
#include "acad/AcDb.h"

namespace {

// GBK bytes of 送风管 ("supply duct"), written independently of the code under test.
const char kSupplyDuctGbk[] = "\xCB\xCD\xB7\xE7\xB9\xDC";

std::string peerScript() {
    const char* src = std::getenv("NUV_SOURCE_DIR");
    return std::string(src ? src : ".") + "/tests/platform/acad/dxf_peer.py";
}

std::string runPeer(const std::string& command, const std::string& file) {
    std::string cmd = "/usr/bin/python3 " + peerScript() + " " + command + " '" + file + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
    std::string out;
    if (!p) return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p.get())) > 0) out.append(buf.data(), n);
    return out;
}

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

// A 7 x 3 pixel, 24-bit BMP.
std::string bmp7x3() {
    int w = 7, h = 3, row = (w * 3 + 3) / 4 * 4, size = 54 + row * h;
    std::string b(static_cast<size_t>(size), '\0');
    auto put32 = [&](int at, int v) {
        for (int k = 0; k < 4; ++k) b[static_cast<size_t>(at + k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    b[26] = 1;
    b[28] = 24;
    put32(34, row * h);
    return b;
}

// The signature and header chunk of a 5 x 9 PNG (enough for the image size).
std::string png5x9() {
    auto crc = [](const std::string& d) {
        uint32_t c = 0xFFFFFFFFu;
        for (unsigned char ch : d) {
            c ^= ch;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c ^ 0xFFFFFFFFu;
    };
    auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    std::string ihdr = "IHDR" + be32(5) + be32(9) + std::string("\x08\x02\x00\x00\x00", 5);
    std::string iend = "IEND";
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(crc(ihdr)) + be32(0) + iend + be32(crc(iend));
}

// The start-of-image and frame header of an 11 x 4 baseline JPEG.
std::string jpeg11x4() {
    return std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x04\x00\x0B\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 21);
}

struct Sample {
    AcDbObjectId line, text, pline, mesh, hatch, insert, image, group, block;
};

template <class T>
AcDbObjectId append(AcDbDatabase& db, T* ent, AcDbObjectId space = AcDbObjectId()) {
    AcDbBlockTableRecord* btr = nullptr;
    EXPECT_EQ(acdbOpenObject(btr, space.isNull() ? db.modelSpaceId() : space, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(btr->appendAcDbEntity(id, ent), Acad::eOk);
    ent->close();
    btr->close();
    return id;
}

AcDbObjectId addRecord(AcDbDatabase&, AcDbObjectId tableId, AcDbSymbolTableRecord* rec, const char* name) {
    AcDbSymbolTable* t = nullptr;
    EXPECT_EQ(acdbOpenObject(t, tableId, AcDb::kForWrite), Acad::eOk);
    rec->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(t->add(id, rec), Acad::eOk);
    rec->close();
    t->close();
    return id;
}

Sample buildSample(AcDbDatabase& db, const std::string& dir) {
    Sample s;
    // Names given to entities not yet appended are looked up in the working database.
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    auto* pipe = new AcDbLayerTableRecord;
    pipe->setColorIndex(5);
    pipe->setLineWeight(AcDb::kLnWt035);
    addRecord(db, db.layerTableId(), pipe, "PIPE");
    auto* dashed = new AcDbLinetypeTableRecord;
    dashed->setComments("Dashed __ __");
    dashed->setNumDashes(2);
    dashed->setDashLengthAt(0, 0.5);
    dashed->setDashLengthAt(1, -0.25);
    dashed->setPatternLength(0.75);
    AcDbObjectId dashedId = addRecord(db, db.linetypeTableId(), dashed, "DASHED");
    auto* fs = new AcDbTextStyleTableRecord;
    fs->setXScale(0.7);
    fs->setFileName("txt.shx");
    fs->setBigFontFileName("hztxt.shx");
    AcDbObjectId fsId = addRecord(db, db.textStyleTableId(), fs, "FS");
    addRecord(db, db.regAppTableId(), new AcDbRegAppTableRecord, "NUVPIPE");

    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 50, 0));
    line->setThickness(20);
    line->setColorIndex(1);
    line->setLayer("PIPE");
    line->setLinetype(dashedId);
    line->setLinetypeScale(2);
    line->setLineWeight(AcDb::kLnWt050);
    s.line = append(db, line);
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenObject(e, s.line, AcDb::kForWrite), Acad::eOk);
    resbuf* x = acutBuildList(1001, "NUVPIPE", 1000, kSupplyDuctGbk, 1002, "{", 1070, 12, 1071, 123456, 1002, "}",
                              1010, std::array<double, 3>{1, 2, 3}.data(), 1040, 0.25, 0);
    EXPECT_EQ(e->setXData(x), Acad::eOk);
    acutRelRb(x);
    EXPECT_EQ(e->createExtensionDictionary(), Acad::eOk);
    AcDbObjectId xd = e->extensionDictionary();
    e->close();
    AcDbDictionary* d = nullptr;
    EXPECT_EQ(acdbOpenObject(d, xd, AcDb::kForWrite), Acad::eOk);
    auto* xr = new AcDbXrecord;
    resbuf* data = acutBuildList(1, "flow", 40, 1.5, 70, 3, 0);
    xr->setFromRbChain(*data);
    acutRelRb(data);
    AcDbObjectId xrId;
    EXPECT_EQ(d->setAt("NUVData", xr, xrId), Acad::eOk);
    xr->close();
    d->close();

    append(db, new AcDbCircle(AcGePoint3d(10, 10, 0), AcGeVector3d::kZAxis, 5));
    append(db, new AcDbArc(AcGePoint3d(0, 0, 0), 8, 0.25, 2.5));
    append(db, new AcDbArc(AcGePoint3d(3, 4, 5), AcGeVector3d(0, 0, -1), 2, 0.5, 1.5));

    std::string label = std::string(kSupplyDuctGbk) + " DN100";
    auto* text = new AcDbText(AcGePoint3d(5, 6, 0), label.c_str(), fsId, 3.5, 0.5);
    text->setHorizontalMode(AcDb::kTextCenter);
    text->setVerticalMode(AcDb::kTextVertMid);
    text->setAlignmentPoint(AcGePoint3d(20, 6, 0));
    text->setWidthFactor(0.8);
    text->adjustAlignment();
    s.text = append(db, text);

    auto* pl = new AcDbPolyline;
    pl->addVertexAt(0, AcGePoint2d(0, 0), 0.5, 0.2, 0.4);
    pl->addVertexAt(1, AcGePoint2d(10, 0));
    pl->addVertexAt(2, AcGePoint2d(10, 10), -1);
    pl->setClosed(true);
    pl->setElevation(2);
    s.pline = append(db, pl);
    auto* cw = new AcDbPolyline;
    cw->setConstantWidth(0.3);
    cw->addVertexAt(0, AcGePoint2d(1, 1));
    cw->addVertexAt(1, AcGePoint2d(2, 3));
    append(db, cw);

    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(5, 0, 1));
    pts.append(AcGePoint3d(5, 5, 2));
    append(db, new AcDb3dPolyline(AcDb::k3dSimplePoly, pts, true));
    AcGeDoubleArray bulges;
    bulges.append(0);
    bulges.append(0.3);
    bulges.append(0);
    append(db, new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 1.5, false, 0.1, 0.1, &bulges));

    auto* mesh = new AcDbPolyFaceMesh;
    for (const AcGePoint3d& p : {AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0), AcGePoint3d(4, 4, 0), AcGePoint3d(0, 4, 3)})
        mesh->appendVertex(new AcDbPolyFaceMeshVertex(p));
    mesh->appendFaceRecord(new AcDbFaceRecord(1, 2, 3, -4));
    s.mesh = append(db, mesh);

    auto* hatch = new AcDbHatch;
    hatch->setPattern(AcDbHatch::kPreDefined, "ANSI31");
    AcGePoint2dArray loop;
    for (auto p : {AcGePoint2d(0, 0), AcGePoint2d(20, 0), AcGePoint2d(20, 10), AcGePoint2d(0, 10)}) loop.append(p);
    hatch->appendLoop(AcDbHatch::kExternal, loop, AcGeDoubleArray());
    EXPECT_EQ(hatch->evaluateHatch(), Acad::eOk);
    s.hatch = append(db, hatch);

    auto* fan = new AcDbBlockTableRecord;
    fan->setOrigin(AcGePoint3d(1, 1, 0));
    s.block = addRecord(db, db.blockTableId(), fan, "FAN");
    append(db, new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1), s.block);
    append(db, new AcDbLine(AcGePoint3d(0, 1, 0), AcGePoint3d(2, 1, 0)), s.block);
    auto* ref = new AcDbBlockReference(AcGePoint3d(50, 50, 0), s.block);
    ref->setScaleFactors(AcGeScale3d(2, 3, 1));
    ref->setRotation(M_PI / 6);
    s.insert = append(db, ref);

    // An image, its definition in the image dictionary and the reactor between them.
    std::string png = dir + "/pic.png";
    writeBytes(png, png5x9());
    AcDbObjectId dictId;
    EXPECT_EQ(AcDbRasterImageDef::createImageDictionary(&db, dictId), Acad::eOk);
    auto* def = new AcDbRasterImageDef;
    def->setSourceFileName(png.c_str());
    EXPECT_EQ(def->load(), Acad::eOk);
    AcDbDictionary* images = nullptr;
    EXPECT_EQ(acdbOpenObject(images, dictId, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId defId;
    EXPECT_EQ(images->setAt("pic_png", def, defId), Acad::eOk);
    images->close();
    auto* image = new AcDbRasterImage;
    image->setImageDefId(defId);
    image->setOrientation(AcGePoint3d(30, 0, 0), AcGeVector3d(10, 0, 0), AcGeVector3d(0, 18, 0));
    s.image = append(db, image);
    auto* reactor = new AcDbRasterImageDefReactor;
    AcDbObjectId reactorId;
    EXPECT_EQ(db.addAcDbObject(reactorId, reactor), Acad::eOk);
    reactor->setOwnerId(s.image);
    reactor->close();
    def->addPersistentReactor(reactorId);
    def->close();
    AcDbRasterImage* img = nullptr;
    EXPECT_EQ(acdbOpenObject(img, s.image, AcDb::kForWrite), Acad::eOk);
    img->setReactorId(reactorId);
    img->close();

    AcDbDictionary* groups = nullptr;
    EXPECT_EQ(db.getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    auto* g = new AcDbGroup("pipes and their text", false);
    EXPECT_EQ(groups->setAt("PIPES", g, s.group), Acad::eOk);
    groups->close();
    g->append(s.line);
    g->append(s.text);
    g->close();

    AcDbDictionary* nod = nullptr;
    EXPECT_EQ(db.getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* settings = new AcDbDictionary;
    AcDbObjectId sid;
    EXPECT_EQ(nod->setAt("NUVSetting", settings, sid), Acad::eOk);
    nod->close();
    auto* scale = new AcDbXrecord;
    resbuf* v = acutBuildList(1040, 100.0, 0);
    scale->setFromRbChain(*v);
    acutRelRb(v);
    AcDbObjectId scaleId;
    EXPECT_EQ(settings->setAt("NUVScale", scale, scaleId), Acad::eOk);
    scale->close();
    settings->close();
    EXPECT_EQ(db.numOpenObjects(), 0);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    return s;
}

struct DxfFiles : ::testing::Test {
    TempDir temp;
    std::string dir = temp.path();
};

TEST_F(DxfFiles, SampleDrawingPassesEzdxfAuditWithTheSameEntitiesAndTexts) {
    AcDbDatabase db;
    buildSample(db, dir);
    std::string path = dir + "/sample.dxf";
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk) << db.lastErrorMessage();
    std::string bytes = slurp(path);
    EXPECT_NE(bytes.find("$DWGCODEPAGE\n  3\nANSI_936"), std::string::npos);
    EXPECT_NE(bytes.find("AC1015"), std::string::npos);
    EXPECT_NE(bytes.find(kSupplyDuctGbk), std::string::npos) << "texts are stored as GBK bytes";

    std::string out = runPeer("audit", path);
    EXPECT_NE(out.find("ERRORS 0\n"), std::string::npos) << out;
    const char* expected[] = {
        "E LINE \"PIPE\" \n",
        "E CIRCLE \"0\" \n",
        "E ARC \"0\" \n",
        "E TEXT \"0\" \"\\u9001\\u98ce\\u7ba1 DN100\"\n",
        "E LWPOLYLINE \"0\" 3\n",
        "E LWPOLYLINE \"0\" 2\n",
        "E POLYLINE \"0\" 3\n",
        "E POLYLINE \"0\" 5\n",  // four vertices and one face record
        "E HATCH \"0\" \n",
        "E INSERT \"0\" FAN\n",
        "E IMAGE \"0\" \n",
        "B \"FAN\" CIRCLE LINE\n",
        "G \"PIPES\" 2\n",
        "L \"PIPE\"\n",
        "A \"NUVPIPE\"\n",
    };
    for (const char* e : expected) EXPECT_NE(out.find(e), std::string::npos) << e << "\n" << out;
}

TEST_F(DxfFiles, ReadWriteReadGivesTheSameDrawing) {
    AcDbDatabase db;
    Sample s = buildSample(db, dir);
    std::string first;
    db.writeDxf(first);
    std::string path = dir + "/roundtrip.dxf";
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);

    AcDbDatabase back(false);
    ASSERT_EQ(back.readDwgFile(path.c_str()), Acad::eOk) << back.lastErrorMessage();
    std::string second;
    back.writeDxf(second);
    EXPECT_EQ(first, second);

    // Spot checks that the model, not only the text, came back.
    AcDbObjectId lineId;
    ASSERT_EQ(back.getAcDbObjectId(lineId, false, s.line.handle()), Acad::eOk);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, lineId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(line->endPoint(), AcGePoint3d(100, 50, 0));
    char* layer = line->layer();
    EXPECT_STREQ(layer, "PIPE");
    acutDelString(layer);
    EXPECT_DOUBLE_EQ(line->thickness(), 20);
    EXPECT_EQ(line->colorIndex(), 1);
    EXPECT_EQ(line->lineWeight(), AcDb::kLnWt050);
    EXPECT_DOUBLE_EQ(line->linetypeScale(), 2);
    resbuf* x = line->xData("NUVPIPE");
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(x->rbnext->resval.rstring, kSupplyDuctGbk);
    acutRelRb(x);
    const AcDbVoidPtrArray* reactors = line->reactors();
    ASSERT_EQ(reactors->length(), 1);
    AcDbObjectId groupId = acdbPersistentReactorObjectId((*reactors)[0]);
    AcDbObjectId xd = line->extensionDictionary();
    line->close();
    AcDbGroup* g = nullptr;
    ASSERT_EQ(acdbOpenObject(g, groupId, AcDb::kForRead), Acad::eOk);
    EXPECT_STREQ(g->name(), "PIPES");
    EXPECT_FALSE(g->isSelectable());
    EXPECT_EQ(g->numEntities(), 2u);
    g->close();
    AcDbDictionary* d = nullptr;
    ASSERT_EQ(acdbOpenObject(d, xd, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(d->has("NUVData"));
    d->close();

    AcDbObjectId textId;
    back.getAcDbObjectId(textId, false, s.text.handle());
    AcDbText* text = nullptr;
    ASSERT_EQ(acdbOpenObject(text, textId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(text->horizontalMode(), AcDb::kTextCenter);
    EXPECT_EQ(text->verticalMode(), AcDb::kTextVertMid);
    EXPECT_NEAR(text->rotation(), 0.5, 1e-12);
    EXPECT_NEAR(text->widthFactor(), 0.8, 1e-12);
    AcDbTextStyleTableRecord* style = nullptr;
    ASSERT_EQ(acdbOpenObject(style, text->textStyle(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(style->name(), "FS");
    EXPECT_NEAR(style->xScale(), 0.7, 1e-12);
    style->close();
    text->close();

    AcDbObjectId meshId;
    back.getAcDbObjectId(meshId, false, s.mesh.handle());
    AcDbPolyFaceMesh* mesh = nullptr;
    ASSERT_EQ(acdbOpenObject(mesh, meshId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(mesh->numVertices(), 4);
    EXPECT_EQ(mesh->numFaces(), 1);
    mesh->close();

    AcDbObjectId imageId;
    back.getAcDbObjectId(imageId, false, s.image.handle());
    AcDbRasterImage* image = nullptr;
    ASSERT_EQ(acdbOpenObject(image, imageId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(image->imageSize().x, 5);
    EXPECT_EQ(image->imageSize().y, 9);
    AcGePoint3d o;
    AcGeVector3d u, v;
    image->getOrientation(o, u, v);
    EXPECT_TRUE(u.isEqualTo(AcGeVector3d(10, 0, 0)));
    EXPECT_TRUE(v.isEqualTo(AcGeVector3d(0, 18, 0)));
    image->close();
    EXPECT_EQ(back.numOpenObjects(), 0);
}

TEST_F(DxfFiles, EzdxfDrawingIsReadAndUnknownObjectsSurviveASave) {
    std::string in = dir + "/ezdxf.dxf";
    std::string made = runPeer("make", in);
    ASSERT_TRUE(made.empty()) << made;
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(in.c_str()), Acad::eOk) << db.lastErrorMessage();
    acdbHostApplicationServices()->setWorkingDatabase(&db);

    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    std::vector<std::string> types;
    std::string textValue;
    for (AcDbObjectId id : ms->entityIds()) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
        types.push_back(AcDbProxyEntity::cast(e) ? "?" + AcDbProxyEntity::cast(e)->typeName() : e->isA()->name());
        if (auto* t = AcDbText::cast(e)) textValue = t->textStringConst();
        e->close();
    }
    ms->close();
    std::vector<std::string> expected = {"AcDbLine", "AcDbCircle", "AcDbArc", "AcDbPolyline", "AcDbText", "?MTEXT",
                                         "?ELLIPSE", "AcDbBlockReference", "AcDbHatch"};
    EXPECT_EQ(types, expected);
    // The escapes of the other code page become GBK.
    EXPECT_EQ(textValue, std::string(kSupplyDuctGbk) + " DN100");

    std::string out = dir + "/ezdxf-resaved.dxf";
    ASSERT_EQ(db.saveAs(out.c_str()), Acad::eOk);
    std::string audit = runPeer("audit", out);
    EXPECT_NE(audit.find("ERRORS 0\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("E MTEXT \"0\" \"kept as read\"\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("E ELLIPSE \"0\""), std::string::npos) << audit;
    EXPECT_NE(audit.find("B \"FAN\" CIRCLE LINE\n"), std::string::npos) << audit;
    EXPECT_NE(audit.find("G \"PIPES\" 1\n"), std::string::npos) << audit;
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

// A refused file leaves the open drawing exactly as it was, file name included: a save after
// a failed open must never overwrite the user's drawing with an empty one.
TEST_F(DxfFiles, BrokenInputIsRefusedAndLeavesTheOpenDrawingAsItWas) {
    AcDbDatabase ok;
    std::string good;
    ok.writeDxf(good);
    std::string random;
    uint32_t seed = 12345;
    for (int k = 0; k < 4096; ++k) {
        seed = seed * 1103515245u + 12345u;
        random += static_cast<char>(seed >> 24);
    }
    std::string utf8Header = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1032\n  0\nENDSEC\n";
    struct Case {
        const char* name;
        std::string bytes;
        Acad::ErrorStatus status;
        const char* message;  // a part of the message
    } cases[] = {
        {"binary DWG", std::string("AC1015\0\0\0\0\0\0\x01\x02", 14), Acad::eDwgNotRecognized, "DWG"},
        {"binary DXF", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), Acad::eDwgNotRecognized, "binary DXF"},
        {"truncated", good.substr(0, good.size() / 2), Acad::eEndOfFile, ""},
        {"no EOF", good.substr(0, good.rfind("  0\nEOF")), Acad::eEndOfFile, "EOF"},
        {"bad group code", "  0\nSECTION\n  2\nHEADER\nxx\n$ACADVER\n", Acad::eBadDxfSequence, "line 5"},
        {"bad number", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nabc\n  0\nENDSEC\n  0\nEOF\n", Acad::eBadDxfSequence, "number"},
        {"empty", "", Acad::eEndOfFile, ""},
        {"random bytes", random, Acad::eBadDxfSequence, ""},
        {"invalid UTF-8 in an R2018 file",
         utf8Header + "  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  1\nab\xC3\n  0\nENDSEC\n  0\nEOF\n", Acad::eBadDxfSequence,
         "line 18: invalid UTF-8"},
    };
    std::string original = dir + "/original.dxf";
    AcDbDatabase db;
    Sample s = buildSample(db, dir);
    ASSERT_EQ(db.saveAs(original.c_str()), Acad::eOk);
    std::string before;
    db.writeDxf(before);
    for (const Case& c : cases) {
        std::string path = dir + "/broken.dxf";
        writeBytes(path, c.bytes);
        EXPECT_EQ(db.readDwgFile(path.c_str()), c.status) << c.name;
        EXPECT_NE(std::string(db.lastErrorMessage()), "") << c.name;
        EXPECT_NE(std::string(db.lastErrorMessage()).find(c.message), std::string::npos) << c.name << ": " << db.lastErrorMessage();
        EXPECT_EQ(std::string(db.filename()), original) << c.name;
        std::string after;
        db.writeDxf(after);
        EXPECT_TRUE(after == before) << c.name << ": the drawing changed";
        EXPECT_EQ(db.numOpenObjects(), 0) << c.name;
        // Ids taken before still reach their objects.
        AcDbLine* line = nullptr;
        ASSERT_EQ(acdbOpenObject(line, s.line, AcDb::kForRead), Acad::eOk) << c.name;
        line->close();
    }
    EXPECT_EQ(db.readDwgFile((dir + "/missing.dxf").c_str()), Acad::eFileNotFound);
    EXPECT_EQ(std::string(db.filename()), original);
}

TEST_F(DxfFiles, SaveReplacesTheFileWhole) {
    std::string path = dir + "/atomic.dxf";
    writeBytes(path, "old content that is much longer than nothing at all");
    AcDbDatabase db;
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    std::string text = slurp(path);
    EXPECT_EQ(text.rfind("  0\nSECTION", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 8), "  0\nEOF\n");
    EXPECT_STREQ(db.filename(), path.c_str());
    std::string audit = runPeer("audit", path);
    EXPECT_NE(audit.find("ERRORS 0\n"), std::string::npos) << "the default drawing: " << audit;
    EXPECT_EQ(db.saveAs((dir + "/no/such/folder/x.dxf").c_str()), Acad::eFileAccessErr);
}

TEST_F(DxfFiles, ImageSizesComeFromTheFiles) {
    struct Case {
        const char* file;
        std::string bytes;
        double w, h;
    } cases[] = {{"a.bmp", bmp7x3(), 7, 3}, {"b.png", png5x9(), 5, 9}, {"c.jpg", jpeg11x4(), 11, 4}};
    for (const Case& c : cases) {
        std::string path = dir + "/" + c.file;
        writeBytes(path, c.bytes);
        AcDbRasterImageDef def;
        def.setSourceFileName(path.c_str());
        ASSERT_EQ(def.load(), Acad::eOk) << c.file;
        EXPECT_EQ(def.size().x, c.w) << c.file;
        EXPECT_EQ(def.size().y, c.h) << c.file;
    }
    AcDbRasterImageDef def;
    def.setSourceFileName((dir + "/none.png").c_str());
    EXPECT_EQ(def.load(), Acad::eFileNotFound);
    std::string notImage = dir + "/text.png";
    writeBytes(notImage, "not a picture");
    def.setSourceFileName(notImage.c_str());
    EXPECT_EQ(def.load(), Acad::eInvalidInput);
}

}  // namespace
