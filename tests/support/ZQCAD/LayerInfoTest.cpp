#include <cstring>

#include "DrawingFixture.h"
#include "DrawingRecords.h"

namespace {

// The slot of a virtual function in its class's table, from the pointer to member (the C++ ABI
// of this platform stores 1 + the byte offset in the table for a virtual function).
template <class F>
long Slot(F f) {
    struct Rep {
        std::ptrdiff_t ptr, adj;
    } rep;
    static_assert(sizeof(F) == sizeof(Rep));
    std::memcpy(&rep, &f, sizeof rep);
    return (rep.ptr - 1) / static_cast<long>(sizeof(void*));
}

// Exposes the protected check for the slot test.
struct Probe : layerInfo {
    using layerInfo::layerInfo;
    using layerInfo::ReadyOK;
};

TEST(LayerInfoLayout, VirtualSlotsInTheSuiteOrder) {
    // The order the suite's modules are built against; the destructor takes two slots (complete
    // and deleting) between GetRecordPtr and ReadyOK.
    EXPECT_EQ(Slot(&layerInfo::IsExist), 0);
    EXPECT_EQ(Slot(&layerInfo::IsFrozen), 1);
    EXPECT_EQ(Slot(&layerInfo::IsLocked), 2);
    EXPECT_EQ(Slot(&layerInfo::IsOff), 3);
    EXPECT_EQ(Slot(&layerInfo::IsColorByBlock), 4);
    EXPECT_EQ(Slot(&layerInfo::IsColorByLayer), 5);
    EXPECT_EQ(Slot(&layerInfo::Name), 6);
    EXPECT_EQ(Slot(&layerInfo::SetIsLocked), 7);
    EXPECT_EQ(Slot(&layerInfo::SetIsFrozen), 8);
    EXPECT_EQ(Slot(&layerInfo::SetIsOff), 9);
    EXPECT_EQ(Slot(&layerInfo::GetLineTypeName), 10);
    EXPECT_EQ(Slot(&layerInfo::SetLineTypeName), 11);
    EXPECT_EQ(Slot(&layerInfo::GetColorIndex), 12);
    EXPECT_EQ(Slot(&layerInfo::SetColorIndex), 13);
    EXPECT_EQ(Slot(&layerInfo::SetColor), 14);
    EXPECT_EQ(Slot(&layerInfo::Rename), 15);
    EXPECT_EQ(Slot(&layerInfo::Erase), 16);
    EXPECT_EQ(Slot(&layerInfo::SetCurLayer), 17);
    EXPECT_EQ(Slot(&layerInfo::GetErrorStatus), 18);
    EXPECT_EQ(Slot(&layerInfo::GetRecordPtr), 19);
    EXPECT_EQ(Slot(&Probe::ReadyOK), 22);
}

using LayerInfo = DrawingTest;

TEST_F(LayerInfo, CreatedOnRequestAndLookedUpEveryTime) {
    layerInfo absent("DUCT");
    EXPECT_FALSE(absent.IsExist());
    EXPECT_EQ(absent.GetErrorStatus(), Acad::eKeyNotFound);
    EXPECT_EQ(absent.GetColorIndex(), -1);

    layerInfo made("DUCT", true);
    EXPECT_EQ(made.GetErrorStatus(), Acad::eOk);
    EXPECT_TRUE(absent.IsExist());  // the first object sees the layer now
    EXPECT_EQ(made.GetColorIndex(), 7);
    EXPECT_EQ(made.GetLineTypeName(), "Continuous");
    EXPECT_EQ(made.Name(), "DUCT");
    EXPECT_FALSE(made.IsColorByBlock());
    EXPECT_FALSE(made.IsColorByLayer());

    layerInfo again("duct", true);  // names ignore case: no second layer
    EXPECT_TRUE(again.IsExist());
    layerInfo copy(made);
    layerInfo assigned("0");
    assigned = made;
    EXPECT_EQ(copy.Name(), "DUCT");
    EXPECT_EQ(assigned.Name(), "DUCT");

    EXPECT_FALSE(layerInfo("A|B", true).IsExist());  // not a valid name: nothing made
    EXPECT_FALSE(layerInfo("", true).IsExist());
    std::string report = DrawingRecords::Report(db_, dir_.File("l.dxf"), "layers");
    EXPECT_NE(report.find("L \"DUCT\" 7 \"Continuous\" 0 0 0\n"), std::string::npos) << report;
    EXPECT_EQ(report.find("L \"duct\""), std::string::npos) << report;
}

TEST_F(LayerInfo, StatesColoursAndLinetypes) {
    layerInfo pipe("PIPE", true);
    ASSERT_TRUE(pipe.SetIsLocked(true));
    ASSERT_TRUE(pipe.SetIsOff(true));
    ASSERT_TRUE(pipe.SetIsFrozen(true));
    EXPECT_TRUE(pipe.IsLocked());
    EXPECT_TRUE(pipe.IsOff());
    EXPECT_TRUE(pipe.IsFrozen());

    struct ColourRow {
        const char* text;
        bool ok;
        int index;  // after the call
    } colours[] = {
        {"red", true, 1},  {"YELLOW", true, 2}, {"Green", true, 3}, {"cyan", true, 4}, {"blue", true, 5},
        {"magenta", true, 6}, {"white", true, 7}, {"255", true, 255}, {"1", true, 1},
        {"0", false, 1},   {"256", false, 1},    {"bylayer", false, 1}, {"12x", false, 1}, {"", false, 1},
        {nullptr, false, 1},
    };
    for (const ColourRow& c : colours) {
        EXPECT_EQ(pipe.SetColor(c.text), c.ok) << (c.text ? c.text : "null");
        EXPECT_EQ(pipe.GetColorIndex(), c.index) << (c.text ? c.text : "null");
    }
    EXPECT_FALSE(pipe.SetColorIndex(0));
    EXPECT_TRUE(pipe.SetColorIndex(30));

    EXPECT_FALSE(pipe.SetLineTypeName("DASHED"));  // not in the drawing
    EXPECT_EQ(pipe.GetErrorStatus(), Acad::eKeyNotFound);
    EXPECT_FALSE(pipe.SetLineTypeName(""));
    EXPECT_TRUE(pipe.SetLineTypeName("bylayer"));
    EXPECT_EQ(pipe.GetLineTypeName(), "ByLayer");

    std::string report = DrawingRecords::Report(db_, dir_.File("s.dxf"), "layers");
    EXPECT_NE(report.find("L \"PIPE\" 30 \"ByLayer\" 1 1 1\n"), std::string::npos) << report;
}

TEST_F(LayerInfo, TheCurrentLayerStaysUsable) {
    layerInfo work("WORK", true);
    ASSERT_TRUE(work.SetCurLayer());
    EXPECT_FALSE(work.SetIsFrozen(true));  // the current layer cannot be frozen
    EXPECT_FALSE(work.IsFrozen());
    layerInfo cold("COLD", true);
    ASSERT_TRUE(cold.SetIsFrozen(true));
    EXPECT_FALSE(cold.SetCurLayer());  // nor can a frozen layer become current
    AcDbLayerTableRecord* rec = work.GetRecordPtr();
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(db_.clayer(), rec->objectId());
    rec->close();
}

TEST_F(LayerInfo, RenameAndErase) {
    layerInfo a("A", true), b("B", true), used("USED", true), cur("CUR", true);
    AddLine({0, 0, 0}, {1, 0, 0}, "USED");
    ASSERT_TRUE(cur.SetCurLayer());
    layerInfo zero("0"), defpoints("Defpoints", true);

    struct RenameRow {
        const char* to;
        bool ok;
    } renames[] = {
        {"B", false},   {"b", false},  {"", false},   {nullptr, false}, {"x<y", false}, {"x/y", false},
        {"x:y", false}, {"x*", false}, {"x,y", false}, {"x=y", false},  {"x`y", false}, {"x\"y", false},
        {"\xB7\xE7\xB9\xDC", true},  // 风管
        {"A2", true},
    };
    for (const RenameRow& r : renames) EXPECT_EQ(a.Rename(r.to), r.ok) << (r.to ? r.to : "null");
    EXPECT_EQ(a.Name(), "A2");
    EXPECT_TRUE(a.IsExist());
    EXPECT_FALSE(layerInfo("A").IsExist());
    EXPECT_FALSE(zero.Rename("Z"));

    struct EraseRow {
        layerInfo* layer;
        bool ok;
    } erases[] = {{&zero, false}, {&defpoints, false}, {&cur, false}, {&used, false}, {&b, true}, {&b, false}};
    for (const EraseRow& e : erases) EXPECT_EQ(e.layer->Erase(), e.ok) << e.layer->Name().str();
    EXPECT_FALSE(b.IsExist());
    EXPECT_TRUE(used.IsExist());
}

TEST_F(LayerInfo, NoDrawing) {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    layerInfo l("X", true);
    EXPECT_EQ(l.GetErrorStatus(), Acad::eNoDatabase);
    EXPECT_FALSE(l.IsExist());
    EXPECT_FALSE(l.SetCurLayer());
    Acad::ErrorStatus es = Acad::eOk;
    EXPECT_EQ(layerInfo::GetLayerTableRecordPtr("0", AcDb::kForRead, es), nullptr);
    EXPECT_EQ(es, Acad::eNoDatabase);
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    AcDbLayerTableRecord* held = layerInfo::GetLayerTableRecordPtr("0", AcDb::kForWrite, es);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(es, Acad::eOk);
    EXPECT_EQ(layerInfo::GetLayerTableRecordPtr("0", AcDb::kForWrite, es), nullptr);  // already open for write
    EXPECT_NE(es, Acad::eOk);
    EXPECT_FALSE(layerInfo("0").SetColorIndex(2));
    held->close();
    EXPECT_TRUE(layerInfo("0").SetColorIndex(2));
}

}  // namespace
