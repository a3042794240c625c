#include <filesystem>

#include "DrawingFixture.h"
#include "DrawingRecords.h"

namespace {

const std::string kFengGuan = "\xB7\xE7\xB9\xDC";  // 风管 in GBK
const char* kApp = "NUV_KTGX";

using OxDataTest = DrawingTest;

TEST_F(OxDataTest, OwnValuesAndExtendedData) {
    layerInfo duct(kFengGuan.c_str(), true);
    ASSERT_TRUE(duct.IsExist());
    AcDbObjectId id = AddLine({0, 0, 0}, {5, 0, 0}, kFengGuan.c_str());
    {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForWrite), Acad::eOk);
        e->setColorIndex(3);
        e->close();
    }
    OxData ox(id);
    ASSERT_EQ(ox.SetxData(kApp, 1000, ("DN100 " + kFengGuan).c_str()), 0);
    ASSERT_EQ(OxData(id).SetxData("NUV_FLOW", 1040, "2.5"), 0);

    struct Row {
        const char* app;
        int code;
        int index;
        int status;
        std::string value;
    } rows[] = {
        {nullptr, 0, 0, 0, "LINE"},
        {nullptr, 8, 0, 0, kFengGuan},
        {nullptr, 62, 0, 0, "3"},
        {nullptr, 10, 0, 0, "0.000000,0.000000,0.000000"},
        {nullptr, 8, 1, Acad::eKeyNotFound, ""},  // one layer only
        {nullptr, 999, 0, Acad::eKeyNotFound, ""},
        {kApp, 1000, 0, 0, "DN100 " + kFengGuan},
        {"nuv_ktgx", 1000, 0, 0, "DN100 " + kFengGuan},  // application names ignore case
        {kApp, 1070, 0, Acad::eKeyNotFound, ""},
        {"NUV_FLOW", 1040, 0, 0, "2.500000"},
        {"NUV_OTHER", 1000, 0, Acad::eKeyNotFound, ""},
        {"", 1000, 0, Acad::eInvalidInput, ""},
    };
    for (const Row& r : rows) {
        CString value("before");
        EXPECT_EQ(ox.GetxData(r.app, r.code, value, r.index), r.status) << (r.app ? r.app : "null") << " " << r.code;
        EXPECT_EQ(value, r.status == 0 ? r.value : std::string("before")) << (r.app ? r.app : "null") << " " << r.code;
    }

    // The applications were registered and the data is in the file as ezdxf reads it.
    std::string report = DrawingRecords::Report(db_, dir_.File("x.dxf"), "xdata");
    EXPECT_NE(report.find("ERRORS 0\n"), std::string::npos) << report;
    EXPECT_NE(report.find("X LINE \"NUV_KTGX\" 1000=\"DN100 \\u98ce\\u7ba1\""), std::string::npos) << report;
    EXPECT_NE(report.find("X LINE \"NUV_FLOW\" 1040=2.5"), std::string::npos) << report;

    // Replacing keeps one value; removing leaves nothing.
    ASSERT_EQ(ox.SetxData(kApp, 1070, "-32768"), 0);
    CString v;
    EXPECT_EQ(ox.GetxData(kApp, 1000, v), Acad::eKeyNotFound);
    EXPECT_EQ(ox.GetxData(kApp, 1070, v), 0);
    EXPECT_EQ(v, "-32768");
    EXPECT_EQ(ox.RemovexData(kApp), 0);
    EXPECT_EQ(ox.GetxData(kApp, 1070, v), Acad::eKeyNotFound);
    EXPECT_EQ(ox.RemovexData(kApp), 0);  // nothing left to remove
}

TEST_F(OxDataTest, SetxDataRefusesWhatItCannotStore) {
    OxData ox(AddLine({0, 0, 0}, {1, 0, 0}));
    struct Row {
        const char* app;
        int code;
        const char* value;
    } rows[] = {
        {kApp, 1070, "32768"},  // beyond 16 bits
        {kApp, 1070, "12a"},    {kApp, 1071, ""},      {kApp, 1040, "x"},
        {kApp, 1005, "1F"},     {"", 1000, "x"},       {nullptr, 1000, "x"},
        {kApp, 1000, nullptr},
    };
    for (const Row& r : rows) EXPECT_EQ(ox.SetxData(r.app, r.code, r.value), Acad::eInvalidInput) << r.code << " " << (r.value ? r.value : "null");
    CString v;
    EXPECT_EQ(ox.GetxData(kApp, 1070, v), Acad::eKeyNotFound);
}

TEST_F(OxDataTest, ObjectsThatCannotBeRead) {
    AcDbObjectId id = AddLine({0, 0, 0}, {1, 0, 0});
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
    CString v;
    EXPECT_EQ(OxData(name).GetxData(nullptr, 0, v), 0);  // the entity-name constructor
    EXPECT_EQ(v, "LINE");
    ASSERT_TRUE(ZQ::Erase(id));
    EXPECT_EQ(OxData(id).GetxData(nullptr, 0, v), Acad::eWasErased);
    EXPECT_EQ(OxData(AcDbObjectId()).GetxData(nullptr, 0, v), Acad::eNullObjectId);
    ads_name bogus = {4242, 4242};
    EXPECT_NE(OxData(bogus).GetxData(nullptr, 0, v), 0);
    EXPECT_EQ(v, "LINE");
}

TEST_F(OxDataTest, DrawingRecordsByKindAndIndex) {
    const char* d = "NUVSetting";
    // Integers: 16 bits as 70, more as 90, both read back as integers and as reals.
    EXPECT_EQ(OxData::SetDWGxRecord(d, "NUVScale", 1070, 50), 1);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "Big", 1070, 40000), 1);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "Neg", 1071, -32768), 1);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "NUVZwTextHigh", 1040, 3.5), 1);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "FromInt", 1040, 2), 1);  // an integer may become a real

    struct IntRow {
        const char* key;
        int code;
        int status;
        int value;
    } ints[] = {
        {"NUVScale", 1070, 0, 50},  {"Big", 1070, 0, 40000},   {"Big", 1071, 0, 40000},
        {"Neg", 1070, 0, -32768},   {"NUVZwTextHigh", 1070, Acad::eKeyNotFound, -1},  // no integer there
        {"NUVZwTextHigh", 1040, Acad::eWrongObjectType, -1},  // a real is not cut to an integer
        {"Missing", 1070, Acad::eKeyNotFound, -1},
        {"NUVScale", 1000, Acad::eInvalidInput, -1},
    };
    for (const IntRow& r : ints) {
        int v = -1;
        EXPECT_EQ(OxData::GetDWGxRecord(d, r.key, r.code, v), r.status) << r.key << " " << r.code;
        EXPECT_EQ(v, r.value) << r.key;
    }
    struct RealRow {
        const char* key;
        int code;
        int status;
        double value;
    } reals[] = {
        {"NUVZwTextHigh", 1040, 0, 3.5}, {"FromInt", 1040, 0, 2.0},  {"NUVScale", 1070, 0, 50.0},
        {"Big", 1070, 0, 40000.0},       {"NUVScale", 1040, Acad::eKeyNotFound, -1.0},
    };
    for (const RealRow& r : reals) {
        double v = -1;
        EXPECT_EQ(OxData::GetDWGxRecord(d, r.key, r.code, v), r.status) << r.key << " " << r.code;
        EXPECT_EQ(v, r.value) << r.key;
    }

    // Index: replace the n-th, append right after the last, never leave a gap.
    EXPECT_EQ(OxData::SetDWGxRecord(d, "List", 1070, 1, 0), 1);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "List", 1040, 0.5, 0), 1);  // reals count apart from integers
    EXPECT_EQ(OxData::SetDWGxRecord(d, "List", 1070, 2, 1), 1);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "List", 1070, 9, 3), 0);  // a gap
    EXPECT_EQ(OxData::SetDWGxRecord(d, "List", 1070, 20, 1), 1);  // replaces
    EXPECT_EQ(OxData::SetDWGxRecord(d, "Never", 1070, 1, 1), 0);  // no record made for a failure
    int v = 0;
    EXPECT_EQ(OxData::GetDWGxRecord(d, "List", 1070, v, 1), 0);
    EXPECT_EQ(v, 20);
    EXPECT_EQ(OxData::GetDWGxRecord(d, "List", 1070, v, 2), Acad::eKeyNotFound);

    // What cannot be stored.
    EXPECT_EQ(OxData::SetDWGxRecord(d, "X", 1070, 1.5), 0);  // a real is not an integer
    EXPECT_EQ(OxData::SetDWGxRecord(d, "X", 1000, 1), 0);
    EXPECT_EQ(OxData::SetDWGxRecord("", "X", 1070, 1), 0);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "", 1070, 1), 0);
    EXPECT_EQ(OxData::SetDWGxRecord(nullptr, "X", 1070, 1), 0);
    EXPECT_EQ(OxData::SetDWGxRecord(d, "X", 1070, 1, -1), 0);

    // As a file: ezdxf finds the values under the groups the header names.
    std::string report = DrawingRecords::Report(db_, dir_.File("r.dxf"), "records", d);
    EXPECT_NE(report.find("ERRORS 0\n"), std::string::npos) << report;
    for (const char* line : {"R \"NUVScale\" XRECORD 70=50\n", "R \"Big\" XRECORD 90=40000\n",
                             "R \"Neg\" XRECORD 70=-32768\n", "R \"NUVZwTextHigh\" XRECORD 40=3.5\n",
                             "R \"List\" XRECORD 70=1 40=0.5 70=20\n"})
        EXPECT_NE(report.find(line), std::string::npos) << line << report;
    EXPECT_EQ(report.find("\"Never\""), std::string::npos) << report;
    EXPECT_EQ(report.find("\"X\""), std::string::npos) << report;
}

TEST_F(OxDataTest, DrawingRecordsTravelWithTheFile) {
    ASSERT_EQ(OxData::SetDWGxRecord("NUVSetting", "NUVScale", 1070, 75), 1);
    ASSERT_EQ(OxData::SetDWGxRecord("NUVSetting", "NUVXwTextHigh", 1040, 2.25), 1);
    std::string path = dir_.File("saved.dwg");  // a drawing name; the file is DXF inside
    ASSERT_EQ(db_.saveAs(path.c_str()), Acad::eOk);

    AcDbDatabase reopened(false);
    ASSERT_EQ(reopened.readDwgFile(path.c_str()), Acad::eOk);
    acdbHostApplicationServices()->setWorkingDatabase(&reopened);
    int scale = 0;
    double high = 0;
    EXPECT_EQ(OxData::GetDWGxRecord("NUVSetting", "NUVScale", 1070, scale), 0);
    EXPECT_EQ(OxData::GetDWGxRecord("nuvsetting", "nuvxwtexthigh", 1040, high), 0);  // keys ignore case
    EXPECT_EQ(scale, 75);
    EXPECT_EQ(high, 2.25);
    EXPECT_EQ(reopened.numOpenObjects(), 0);

    // A drawing without the dictionary: absent, not an error of any other kind.
    AcDbDatabase fresh;
    acdbHostApplicationServices()->setWorkingDatabase(&fresh);
    EXPECT_EQ(OxData::GetDWGxRecord("NUVSetting", "NUVScale", 1070, scale), Acad::eKeyNotFound);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_NE(OxData::GetDWGxRecord("NUVSetting", "NUVScale", 1070, scale), 0);
    EXPECT_EQ(OxData::SetDWGxRecord("NUVSetting", "NUVScale", 1070, 1), 0);
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

}  // namespace
