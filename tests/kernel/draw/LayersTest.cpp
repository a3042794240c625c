// The layer of an entity and CLayerInfoEx: line weights in millimetres in, hundredths out, and a
// linetype setter that makes a missing linetype; checked in the saved drawing by ezdxf.
#include "DrawFixture.h"
#include "draw/BlockRecords.h"
#include "draw/Layers.h"

class LayersTest : public DrawTest {};

TEST_F(LayersTest, LayerOfAnEntity) {
    AddLayer("\xB7\xE7\xB9\xDC");  // GBK "duct"
    auto* line = new AcDbLine({0, 0, 0}, {1, 0, 0});
    line->setLayer("\xB7\xE7\xB9\xDC");
    AcDbObjectId id = AddToModel(line);
    EXPECT_EQ(NUV::GetObjLayer(id), CString("\xB7\xE7\xB9\xDC"));
    EXPECT_EQ(NUV::GetObjLayer(AcDbObjectId()), CString(""));
    EXPECT_EQ(NUV::GetObjLayer(db.layerTableId()), CString("")) << "a table has no layer";
}

TEST_F(LayersTest, LineWeightRoundTrip) {
    AddLayer("DUCT");
    CLayerInfoEx layer("DUCT");
    EXPECT_DOUBLE_EQ(layer.GetLineWeight(), -3.0) << "a new layer has the default weight";
    struct Case {
        double mm, hundredths;
    } cases[] = {{0.25, 25}, {0.3, 30}, {2.11, 211}, {0, 0}, {-0.5, -3}, {0.57, 53}, {0.5700001, 60}};
    for (const Case& c : cases) {
        EXPECT_TRUE(layer.SetLineWeight(c.mm)) << c.mm;
        EXPECT_DOUBLE_EQ(layer.GetLineWeight(), c.hundredths) << c.mm;
    }
    // A layer cannot take its weight "by layer" or "by block": refused, weight kept.
    EXPECT_TRUE(layer.SetLineWeight(0.25));
    EXPECT_FALSE(layer.SetLineWeight(-1));
    EXPECT_FALSE(layer.SetLineWeight(-2));
    EXPECT_DOUBLE_EQ(layer.GetLineWeight(), 25.0);

    CLayerInfoEx missing("NO_SUCH_LAYER");
    EXPECT_DOUBLE_EQ(missing.GetLineWeight(), -1.0);
    EXPECT_FALSE(missing.SetLineWeight(0.25));
    EXPECT_NE(missing.GetErrorStatus(), Acad::eOk);

    CLayerInfoEx copy(layer);
    EXPECT_DOUBLE_EQ(copy.GetLineWeight(), 25.0);
    copy = missing;
    EXPECT_DOUBLE_EQ(copy.GetLineWeight(), -1.0);

    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "LAYER \"DUCT\" linetype=\"Continuous\" lineweight=25")) << Joined(facts);
}

TEST_F(LayersTest, LinetypeIsMadeWhenMissing) {
    CLayerInfoEx layer("PIPE", true);  // made by the base class
    ASSERT_TRUE(layer.IsExist());
    EXPECT_FALSE(layer.SetLineTypeName(""));
    EXPECT_FALSE(layer.SetLineTypeName(nullptr));
    // Through the base class: the override runs.
    layerInfo& base = layer;
    EXPECT_TRUE(base.SetLineTypeName("NUV_HIDDEN"));
    EXPECT_EQ(layer.GetLineTypeName(), CString("NUV_HIDDEN"));
    AcDbLinetypeTable* table = nullptr;
    ASSERT_EQ(db.getLinetypeTable(table, AcDb::kForRead), Acad::eOk);
    AcDbLinetypeTableRecord* lt = nullptr;
    ASSERT_EQ(table->getAt("NUV_HIDDEN", lt, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(lt->numDashes(), 0) << "an empty record: nothing loaded";
    lt->close();
    table->close();
    EXPECT_TRUE(layer.SetLineTypeName("Continuous"));
    EXPECT_TRUE(layer.SetLineTypeName("NUV_HIDDEN")) << "existing records are reused";

    CLayerInfoEx missing("NOPE");
    EXPECT_FALSE(missing.SetLineTypeName("NUV_OTHER"));
    ASSERT_EQ(db.getLinetypeTable(table, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(table->has("NUV_OTHER")) << "nothing is made for a layer that is not there";
    table->close();

    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "LAYER \"PIPE\" linetype=\"NUV_HIDDEN\" lineweight=-3")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "LTYPE \"NUV_HIDDEN\"")) << Joined(facts);
}

class InsertBlockTest : public DrawTest {
protected:
    // A drawing file with a line and a circle in model space.
    std::string FanDrawing(const std::string& name) {
        AcDbDatabase side(true, true);
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, side.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* line = new AcDbLine({-1, 0, 0}, {1, 0, 0});
        ms->appendAcDbEntity(line);
        line->close();
        auto* circle = new AcDbCircle({0, 0, 0}, {0, 0, 1}, 1);
        ms->appendAcDbEntity(circle);
        circle->close();
        ms->close();
        std::string path = tmp.File(name);
        EXPECT_EQ(side.saveAs(path.c_str()), Acad::eOk);
        return path;
    }
};

TEST_F(InsertBlockTest, FileBecomesABlockOnce) {
    AcDbObjectId id;
    EXPECT_EQ(NUV::InsertBlockRecord(tmp.File("missing.dxf").c_str(), nullptr, id), 76);
    EXPECT_TRUE(id.isNull());

    std::string path = FanDrawing("Fan.dxf");
    ASSERT_EQ(NUV::InsertBlockRecord(path.c_str(), nullptr, id), 0);
    ASSERT_FALSE(id.isNull());
    AcDbBlockTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(rec->name(), "Fan") << "named after the file's title";
    EXPECT_EQ(rec->entityIds().size(), 2u);
    rec->close();

    // Existing block: the file is not read again (even when it no longer reads).
    tmp.Touch("Fan.dxf", "not a drawing");
    AcDbObjectId again;
    EXPECT_EQ(NUV::InsertBlockRecord(path.c_str(), nullptr, again), 0);
    EXPECT_EQ(again, id);

    AcDbObjectId bad;
    EXPECT_NE(NUV::InsertBlockRecord(path.c_str(), "AHU", bad), 0);
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db.getBlockTable(table, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(table->has("AHU")) << "a failed read adds nothing";
    table->close();

    std::string other = FanDrawing("other.dxf");
    AcDbObjectId ahu;
    ASSERT_EQ(NUV::InsertBlockRecord(other.c_str(), "AHU", ahu), 0);
    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "BLOCK \"AHU\" base=0,0,0 entities=2")) << Joined(facts);
    EXPECT_TRUE(Has(facts, "BLOCK \"Fan\" base=0,0,0 entities=2")) << Joined(facts);
}

TEST_F(InsertBlockTest, BlockTableThatCannotBeOpened) {
    std::string path = FanDrawing("Fan.dxf");
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(NUV::InsertBlockRecord(path.c_str(), nullptr, id), 82);
    table->close();
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_EQ(NUV::InsertBlockRecord(path.c_str(), nullptr, id), 82) << "no current drawing";
    acdbHostApplicationServices()->setWorkingDatabase(&db);
}
