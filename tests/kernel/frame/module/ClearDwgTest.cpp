// ClearDwg: the suite's records leave the drawing (so it reads the user's settings again), the
// host's own dictionaries stay, and a saved drawing read by ezdxf agrees.
#include "DrawingRecords.h"
#include "KernelFixture.h"
#include "acad/AcDb.h"
#include "settings/SettingsStore.h"

namespace {

using ClearDwg = KernelTest;

// Adds an extended record holding one short under `key` of dictionary `dict` (created as needed)
// of the named-objects dictionary; a null dict puts it in the named-objects dictionary itself.
void AddRecord(AcDbDatabase* db, const char* dict, const char* key) {
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(Acad::eOk, db->getNamedObjectsDictionary(nod, AcDb::kForWrite));
    AcDbDictionary* owner = nod;
    if (dict) {
        AcDbObjectId id;
        if (nod->getAt(dict, id) == Acad::eOk) {
            ASSERT_EQ(Acad::eOk, acdbOpenObject(owner, id, AcDb::kForWrite));
        } else {
            owner = new AcDbDictionary;
            nod->setAt(dict, owner, id);
        }
    }
    auto* rec = new AcDbXrecord;
    AcDbObjectId recId;
    owner->setAt(key, rec, recId);
    resbuf* rb = acutBuildList(70, 7, 0);
    rec->setFromRbChain(*rb);
    acutRelRb(rb);
    rec->close();
    if (owner != nod) owner->close();
    nod->close();
}

TEST_F(ClearDwg, RecordsGoAndSettingsComeFromTheUserAgain) {
    AcApDocument* doc = NewDoc();
    LoadKernel();
    AcDbDatabase* db = doc->database();
    ASSERT_EQ(1, NUV::SetNUVScale(50));       // drawing 50, user 50
    ASSERT_EQ(1, NUV::SetNUVDecDig(3));
    ASSERT_EQ(1, NUV::SetNUVKey("scale", 20)); // the user's default moves on
    EXPECT_EQ(50, NUV::GetNUVScale()) << "the drawing's own record first";
    AddRecord(db, nullptr, "TopLevel");
    AddRecord(db, "ACAD_TESTHOST", "Kept");
    AddRecord(db, "AcDbTestHost", "AlsoKept");

    EXPECT_EQ("\n已清除 3 个扩展记录。", Command("ClearDwg")) << "NUVScale, NUVDecDig, TopLevel";
    EXPECT_EQ(0, db->numOpenObjects());
    EXPECT_EQ(20, NUV::GetNUVScale()) << "back to the user's default";
    EXPECT_EQ(3, NUV::GetNUVDecDig()) << "the user's value of the setting";
    EXPECT_EQ("\n已清除 0 个扩展记录。", Command("ClearDwg")) << "nothing left to clear";

    std::string report = DrawingRecords::Report(*db, files.File("cleared.dxf"), "records", "NUVSetting");
    EXPECT_EQ("ERRORS 0\n", report) << "the dictionary stays, empty";
    EXPECT_EQ("ERRORS 0\nR \"Kept\" XRECORD 70=7\n",
              DrawingRecords::Report(*db, files.File("cleared.dxf"), "records", "ACAD_TESTHOST"));
    EXPECT_EQ("ERRORS 0\nNO \"TopLevel\"\n",
              DrawingRecords::Report(*db, files.File("cleared.dxf"), "records", "TopLevel"));
}

TEST_F(ClearDwg, ADrawingWithoutRecordsIsLeftAlone) {
    NewDoc();
    LoadKernel();
    EXPECT_EQ("\n已清除 0 个扩展记录。", Command("ClearDwg"));
}

}  // namespace
