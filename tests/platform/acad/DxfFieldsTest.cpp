// Drawing-file details: objects of unknown types come back byte for byte, texts of other code
// pages become GBK, and flags that are easy to lose (layer states, paper space, invisibility)
// survive a read and a write.
#include <gtest/gtest.h>

#include <string>

#include "acad/AcDb.h"

namespace {

// A drawing with an entity and an object of types the model does not know, with handles,
// pointers to other objects and extended data.
const char kUnknownParts[] =
    "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$HANDSEED\n  5\n200\n"
    "  9\n$CUSTOMVAR\n 40\n1.25\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nAPPID\n  5\n9\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n"
    "  0\nAPPID\n  5\n12\n330\n9\n100\nAcDbSymbolTableRecord\n100\nAcDbRegAppTableRecord\n  2\nACAD\n 70\n0\n"
    "  0\nAPPID\n  5\n13\n330\n9\n100\nAcDbSymbolTableRecord\n100\nAcDbRegAppTableRecord\n  2\nNUVX\n 70\n0\n"
    "  0\nENDTAB\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\nWIDGET\n  5\n101\n330\n0\n100\nAcDbEntity\n  8\n0\n100\nAcDbWidget\n 10\n1.5\n 20\n2.5\n 30\n0.0\n"
    " 90\n7\n340\n102\n  1\nlabel\n1001\nNUVX\n1000\nkept\n"
    "  0\nENDSEC\n"
    "  0\nSECTION\n  2\nOBJECTS\n"
    "  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n281\n1\n  3\nGADGETS\n350\n102\n"
    "  0\nGADGET\n  5\n102\n330\nC\n100\nAcDbGadget\n 70\n3\n 40\n0.5\n340\n101\n300\nnote\n"
    "  0\nENDSEC\n  0\nEOF\n";

std::string between(const std::string& text, const std::string& from, const std::string& to) {
    size_t a = text.find(from);
    if (a == std::string::npos) return {};
    size_t b = text.find(to, a + from.size());
    return text.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

TEST(DxfFields, UnknownEntitiesAndObjectsAreWrittenBackUnchanged) {
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(kUnknownParts), Acad::eOk) << db.lastErrorMessage();
    std::string out;
    db.writeDxf(out);
    std::string in(kUnknownParts);
    // The object's fields and extended data are identical; the entity without an owner went to
    // model space, so only its owner line may differ.
    EXPECT_EQ(between(out, "100\nAcDbEntity\n  8\n0\n100\nAcDbWidget", "  0\n"),
              between(in, "100\nAcDbEntity\n  8\n0\n100\nAcDbWidget", "  0\n"));
    EXPECT_NE(out.find("  0\nWIDGET\n  5\n101\n"), std::string::npos) << "the handle is kept";
    EXPECT_EQ(between(out, "  0\nGADGET\n", "  0\n"), between(in, "  0\nGADGET\n", "  0\n"));
    EXPECT_NE(out.find("$CUSTOMVAR\n 40\n1.25\n"), std::string::npos) << "unknown header variables stay";

    // The unknown entity still answers the common questions.
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, false, AcDbHandle(0x101)), Acad::eOk);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    ASSERT_NE(AcDbProxyEntity::cast(e), nullptr);
    EXPECT_EQ(AcDbProxyEntity::cast(e)->typeName(), "WIDGET");
    EXPECT_EQ(e->ownerId(), db.modelSpaceId());
    resbuf* x = e->xData("NUVX");
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(x->rbnext->resval.rstring, "kept");
    acutRelRb(x);
    e->close();
}

TEST(DxfFields, TextsOfOtherCodePagesBecomeGbk) {
    struct Case {
        const char* codepage;
        std::string value;
        std::string gbk;
    } cases[] = {
        // 风管 as escapes, in a file of the Western code page.
        {"ANSI_1252", "\\U+98CE\\U+7BA1", "\xB7\xE7\xB9\xDC"},
        // A Latin-1 byte of that code page: e with acute accent.
        {"ANSI_1252", "caf\xE9", "caf\xA8\xA6"},
        // Our own code page: the bytes are GBK already; escapes are decoded as well.
        {"ANSI_936", "\xB7\xE7 \\U+7BA1", "\xB7\xE7 \xB9\xDC"},
        // Not an escape: left alone.
        {"ANSI_936", "a\\U+12", "a\\U+12"},
    };
    for (const Case& c : cases) {
        std::string text = std::string("  0\nSECTION\n  2\nHEADER\n  9\n$DWGCODEPAGE\n  3\n") + c.codepage +
                           "\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nTEXT\n  5\n40\n100\nAcDbEntity\n  8\n0\n"
                           "100\nAcDbText\n 10\n0\n 20\n0\n 30\n0\n 40\n2.5\n  1\n" +
                           c.value + "\n  0\nENDSEC\n  0\nEOF\n";
        AcDbDatabase db(false);
        ASSERT_EQ(db.readDxf(text), Acad::eOk) << c.value << ": " << db.lastErrorMessage();
        AcDbObjectId id;
        ASSERT_EQ(db.getAcDbObjectId(id, false, AcDbHandle(0x40)), Acad::eOk);
        AcDbText* t = nullptr;
        ASSERT_EQ(acdbOpenObject(t, id, AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(std::string(t->textStringConst()), c.gbk) << c.codepage << " " << c.value;
        t->close();
    }
}

TEST(DxfFields, StatesAndFlagsSurviveARoundTrip) {
    AcDbDatabase db;
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* hidden = new AcDbLayerTableRecord;
    hidden->setName("HIDDEN");
    hidden->setColorIndex(4);
    hidden->setIsOff(true);
    hidden->setIsFrozen(true);
    hidden->setIsLocked(true);
    hidden->setIsPlottable(false);
    AcDbObjectId hiddenId;
    ASSERT_EQ(layers->add(hiddenId, hidden), Acad::eOk);
    hidden->close();
    layers->close();
    ASSERT_EQ(db.setClayer(hiddenId), Acad::eOk);
    ASSERT_EQ(db.setUcs(AcGePoint3d(5, 6, 7), AcGeVector3d(0, 1, 0), AcGeVector3d(-1, 0, 0)), Acad::eOk);

    AcDbBlockTableRecord* ps = nullptr;
    ASSERT_EQ(acdbOpenObject(ps, db.paperSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* title = new AcDbText(AcGePoint3d(1, 1, 0), "title", AcDbObjectId(), 5, 0);
    AcDbObjectId titleId;
    ASSERT_EQ(ps->appendAcDbEntity(titleId, title), Acad::eOk);
    title->setVisibility(AcDb::kInvisible);
    title->close();
    ps->close();

    std::string text;
    db.writeDxf(text);
    AcDbDatabase back(false);
    ASSERT_EQ(back.readDxf(text), Acad::eOk) << back.lastErrorMessage();

    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(acdbOpenObject(layer, back.clayer(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(layer->name(), "HIDDEN") << "the current layer comes back";
    EXPECT_TRUE(layer->isOff());
    EXPECT_TRUE(layer->isFrozen());
    EXPECT_TRUE(layer->isLocked());
    EXPECT_FALSE(layer->isPlottable());
    EXPECT_EQ(layer->colorIndex(), 4);
    layer->close();
    EXPECT_TRUE(back.ucsorg().isEqualTo(AcGePoint3d(5, 6, 7)));
    EXPECT_TRUE(back.ucsxdir().isEqualTo(AcGeVector3d(0, 1, 0)));

    AcDbObjectId t2;
    ASSERT_EQ(back.getAcDbObjectId(t2, false, titleId.handle()), Acad::eOk);
    AcDbText* t = nullptr;
    ASSERT_EQ(acdbOpenObject(t, t2, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(t->ownerId(), back.paperSpaceId());
    EXPECT_EQ(t->visibility(), AcDb::kInvisible);
    EXPECT_EQ(t->textStyle(), back.textstyle()) << "a text made without a style takes the current one";
    t->close();
}

TEST(DxfFields, EntitiesOfFurtherLayoutsAndBlocksSurvive) {
    AcDbDatabase db;
    AcDbBlockTable* bt = nullptr;
    ASSERT_EQ(db.getBlockTable(bt, AcDb::kForWrite), Acad::eOk);
    auto* layout2 = new AcDbBlockTableRecord;
    layout2->setName("*Paper_Space0");
    AcDbObjectId layoutId;
    ASSERT_EQ(bt->add(layoutId, layout2), Acad::eOk);
    bt->close();
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0));
    ASSERT_EQ(layout2->appendAcDbEntity(line), Acad::eOk);
    line->close();
    layout2->close();
    std::string text;
    db.writeDxf(text);
    AcDbDatabase back(false);
    ASSERT_EQ(back.readDxf(text), Acad::eOk) << back.lastErrorMessage();
    AcDbObjectId id;
    ASSERT_EQ(back.getAcDbObjectId(id, false, layoutId.handle()), Acad::eOk);
    AcDbBlockTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(rec->entityIds().size(), 1u);
    rec->close();
}

TEST(DxfFields, DuplicateAndHugeHandlesKeepObjectsApart) {
    const char text[] =
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLINE\n  5\n30\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n0\n 31\n0\n"
        "  0\nLINE\n  5\n30\n  8\n0\n 10\n5\n 20\n0\n 30\n0\n 11\n6\n 21\n0\n 31\n0\n"
        "  0\nTHING\n  5\nFFFFFFFFFFFFFFFF\n340\nFFFFFFFFFFFFFFFE\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(ms->entityIds().size(), 3u);
    EXPECT_NE(ms->entityIds()[0].handle(), ms->entityIds()[1].handle());
    ms->close();
    // New objects still get small, unused handles.
    EXPECT_LT(db.handseed().value(), 0x1000u);
    std::string out;
    db.writeDxf(out);
    AcDbDatabase again(false);
    EXPECT_EQ(again.readDxf(out), Acad::eOk) << again.lastErrorMessage();
}

TEST(DxfFields, MisplacedSectionMarkersAreDroppedNotKept) {
    // An ENDSEC inside a block of model space would end ENTITIES early if it were kept as an
    // entity of model space.
    const char text[] =
        "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\n*Model_Space\n"
        "  0\nENDSEC\n  8\n0\n  0\nENDBLK\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n0\n 20\n0\n 11\n1\n 21\n1\n  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    std::string out;
    db.writeDxf(out);
    AcDbDatabase again(false);
    ASSERT_EQ(again.readDxf(out), Acad::eOk) << again.lastErrorMessage();
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, again.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ms->entityIds().size(), 1u);
    ms->close();
}

TEST(DxfFields, MinimalDrawingGetsTheStandardTablesAndRecords) {
    // Only entities: everything a later lookup needs is made up.
    const char text[] =
        "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\nWALLS\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n0\n 31\n0\n"
        "  0\nENDSEC\n  0\nEOF\n";
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDxf(text), Acad::eOk) << db.lastErrorMessage();
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(layers->has("0"));
    EXPECT_TRUE(layers->has("WALLS")) << "a layer named by an entity is made";
    layers->close();
    EXPECT_FALSE(db.textstyle().isNull());
    EXPECT_FALSE(db.groupDictionaryId().isNull());
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ms->entityIds().size(), 1u);
    ms->close();
    AcDbDatabase withMark(false);
    EXPECT_EQ(withMark.readDxf(std::string("\xEF\xBB\xBF") + text), Acad::eOk) << "a byte-order mark is skipped";
    // Saving it gives every object a handle and a file that reads again.
    std::string out;
    db.writeDxf(out);
    AcDbDatabase again(false);
    EXPECT_EQ(again.readDxf(out), Acad::eOk) << again.lastErrorMessage();
}

}  // namespace
