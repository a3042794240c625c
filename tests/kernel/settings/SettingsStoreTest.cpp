#include "settings/SettingsStore.h"

#include <cmath>
#include <cstring>
#include <functional>

#include "DrawingRecords.h"
#include "SettingsFixture.h"
#include "ZQCAD/OxData.h"

namespace {

using SettingsStore = SettingsTest;

// Getters: what the user value and the drawing's record hold, and what comes back.
TEST_F(SettingsStore, GettersTakeTheDrawingFirstThenTheUserThenTheDefault) {
    struct Row {
        const char* what;
        std::function<double()> get;
        const char* userName;
        const char* userText;  // null: no value
        const char* recordKey;
        int recordCode;        // 0: no record
        double recordValue;
        double expected;
    } rows[] = {
        {"scale absent", [] { return NUV::GetNUVScale(); }, "scale", nullptr, "NUVScale", 0, 0, 100},
        {"scale 0 in the registry", [] { return NUV::GetNUVScale(); }, "scale", "0", "NUVScale", 0, 0, 100},
        {"scale -5 in the registry", [] { return NUV::GetNUVScale(); }, "scale", "-5", "NUVScale", 0, 0, 100},
        {"scale 1 is valid", [] { return NUV::GetNUVScale(); }, "scale", "1", "NUVScale", 0, 0, 1},
        {"scale from the registry", [] { return NUV::GetNUVScale(); }, "scale", "150", "NUVScale", 0, 0, 150},
        {"scale leading number", [] { return NUV::GetNUVScale(); }, "scale", "75abc", "NUVScale", 0, 0, 75},
        {"scale not a number", [] { return NUV::GetNUVScale(); }, "scale", "abc", "NUVScale", 0, 0, 100},
        {"scale record wins", [] { return NUV::GetNUVScale(); }, "scale", "0", "NUVScale", 1070, 50, 50},
        {"scale record wins over valid", [] { return NUV::GetNUVScale(); }, "scale", "200", "NUVScale", 1070, 50, 50},
        {"scale record 0 is not replaced by the registry", [] { return NUV::GetNUVScale(); }, "scale", "200",
         "NUVScale", 1070, 0, 100},
        {"zw absent", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", nullptr, "NUVZwTextHigh", 0, 0, 3.5},
        {"zw 0", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", "0.000000", "NUVZwTextHigh", 0, 0, 3.5},
        {"zw tiny", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", "0.000001", "NUVZwTextHigh", 0, 0, 1e-6},
        {"zw registry", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", "5.000000", "NUVZwTextHigh", 0, 0, 5},
        {"zw inf is no number", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", "inf", "NUVZwTextHigh", 0, 0, 3.5},
        {"zw record", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", "5", "NUVZwTextHigh", 1040, 4.5, 4.5},
        {"zw negative record", [] { return NUV::GetNUVZwTextHigh(); }, "texthigh", "5", "NUVZwTextHigh", 1040, -1, 3.5},
        {"xw absent", [] { return NUV::GetNUVXwTextHigh(); }, "xwtexthigh", nullptr, "NUVXwTextHigh", 0, 0, 2.5},
        {"xw negative", [] { return NUV::GetNUVXwTextHigh(); }, "xwtexthigh", "-1", "NUVXwTextHigh", 0, 0, 2.5},
        {"xw registry", [] { return NUV::GetNUVXwTextHigh(); }, "xwtexthigh", "1.8", "NUVXwTextHigh", 0, 0, 1.8},
        {"xw record", [] { return NUV::GetNUVXwTextHigh(); }, "xwtexthigh", "1.8", "NUVXwTextHigh", 1040, 2.25, 2.25},
        {"digits absent", [] { return NUV::GetNUVDecDig(); }, "NUVDecDig", nullptr, "NUVDecDig", 0, 0, 0},
        {"digits 0", [] { return NUV::GetNUVDecDig(); }, "NUVDecDig", "0", "NUVDecDig", 0, 0, 0},
        {"digits negative", [] { return NUV::GetNUVDecDig(); }, "NUVDecDig", "-2", "NUVDecDig", 0, 0, 0},
        {"digits registry", [] { return NUV::GetNUVDecDig(); }, "NUVDecDig", "3", "NUVDecDig", 0, 0, 3},
        {"digits record", [] { return NUV::GetNUVDecDig(); }, "NUVDecDig", "3", "NUVDecDig", 1070, 1, 1},
        {"outlet absent", [] { return NUV::GetWindPipeFLOutLength(); }, "fgflc", nullptr, nullptr, 0, 0, 1.0},
        {"outlet -2", [] { return NUV::GetWindPipeFLOutLength(); }, "fgflc", "-2", nullptr, 0, 0, 0.0},
        {"outlet 0", [] { return NUV::GetWindPipeFLOutLength(); }, "fgflc", "0", nullptr, 0, 0, 0.0},
        {"outlet 0.3", [] { return NUV::GetWindPipeFLOutLength(); }, "fgflc", "0.300000", nullptr, 0, 0, 0.3},
        {"lg absent", [] { return NUV::GetNUVKTLgZj(); }, "ktlgzj", nullptr, nullptr, 0, 0, 1.0},
        {"lg negative", [] { return NUV::GetNUVKTLgZj(); }, "ktlgzj", "-0.5", nullptr, 0, 0, 1.0},
        {"lg 0", [] { return NUV::GetNUVKTLgZj(); }, "ktlgzj", "0", nullptr, 0, 0, 0.0},
        {"lg value", [] { return NUV::GetNUVKTLgZj(); }, "ktlgzj", "1.2", nullptr, 0, 0, 1.2},
        {"sg absent", [] { return NUV::GetNUVKTSgZj(); }, "ktsgzj", nullptr, nullptr, 0, 0, 1.5},
        {"sg negative", [] { return NUV::GetNUVKTSgZj(); }, "ktsgzj", "-3", nullptr, 0, 0, 1.5},
        {"sg 0", [] { return NUV::GetNUVKTSgZj(); }, "ktsgzj", "0", nullptr, 0, 0, 0.0},
        {"sg value", [] { return NUV::GetNUVKTSgZj(); }, "ktsgzj", "2", nullptr, 0, 0, 2.0},
    };
    for (const Row& r : rows) {
        AcDbDatabase drawing;
        acdbHostApplicationServices()->setWorkingDatabase(&drawing);
        UserValues(r.userText ? "\"" + std::string(r.userName) + "\"=\"" + r.userText + "\"\n" : "");
        if (r.recordCode == 1070) {
            ASSERT_EQ(OxData::SetDWGxRecord("NUVSetting", r.recordKey, 1070, static_cast<int>(r.recordValue)), 1);
        }
        if (r.recordCode == 1040) {
            ASSERT_EQ(OxData::SetDWGxRecord("NUVSetting", r.recordKey, 1040, r.recordValue), 1);
        }
        EXPECT_DOUBLE_EQ(r.get(), r.expected) << r.what;
        EXPECT_EQ(drawing.numOpenObjects(), 0) << r.what;
    }
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

// Setters: what they return and what each level then holds.
TEST_F(SettingsStore, SettersValidateThenWriteTheDrawingAndTheUser) {
    struct Row {
        const char* what;
        std::function<int()> set;
        int result;
        const char* userName;
        const char* userText;   // null: nothing stored
        const char* recordKey;  // null: no drawing level
        const char* record;     // null: no record
    } rows[] = {
        {"scale 0", [] { return NUV::SetNUVScale(0); }, 0, "scale", nullptr, "NUVScale", nullptr},
        {"scale -1", [] { return NUV::SetNUVScale(-1); }, 0, "scale", nullptr, "NUVScale", nullptr},
        {"scale 1", [] { return NUV::SetNUVScale(1); }, 1, "scale", "1", "NUVScale", "70=1"},
        {"scale 100", [] { return NUV::SetNUVScale(100); }, 1, "scale", "100", "NUVScale", "70=100"},
        {"scale 50000", [] { return NUV::SetNUVScale(50000); }, 1, "scale", "50000", "NUVScale", "90=50000"},
        {"zw 3.5", [] { return NUV::SetNUVZwTextHigh(3.5); }, 1, "texthigh", "3.500000", "NUVZwTextHigh", "40=3.500000"},
        {"zw 0", [] { return NUV::SetNUVZwTextHigh(0); }, 0, "texthigh", nullptr, "NUVZwTextHigh", nullptr},
        {"zw -1", [] { return NUV::SetNUVZwTextHigh(-1); }, 0, "texthigh", nullptr, "NUVZwTextHigh", nullptr},
        {"zw nan", [] { return NUV::SetNUVZwTextHigh(std::nan("")); }, 0, "texthigh", nullptr, "NUVZwTextHigh", nullptr},
        {"zw inf", [] { return NUV::SetNUVZwTextHigh(HUGE_VAL); }, 0, "texthigh", nullptr, "NUVZwTextHigh", nullptr},
        {"xw 2.25", [] { return NUV::SetNUVXwTextHigh(2.25); }, 1, "xwtexthigh", "2.250000", "NUVXwTextHigh", "40=2.250000"},
        {"xw 0", [] { return NUV::SetNUVXwTextHigh(0); }, 0, "xwtexthigh", nullptr, "NUVXwTextHigh", nullptr},
        {"digits -3", [] { return NUV::SetNUVDecDig(-3); }, 1, "NUVDecDig", "0", "NUVDecDig", "70=0"},
        {"digits 0", [] { return NUV::SetNUVDecDig(0); }, 1, "NUVDecDig", "0", "NUVDecDig", "70=0"},
        {"digits 4", [] { return NUV::SetNUVDecDig(4); }, 1, "NUVDecDig", "4", "NUVDecDig", "70=4"},
        {"outlet -0.1", [] { return NUV::SetWindPipeFLOutLength(-0.1); }, 0, "fgflc", nullptr, nullptr, nullptr},
        {"outlet 0", [] { return NUV::SetWindPipeFLOutLength(0); }, 1, "fgflc", "0.000000", nullptr, nullptr},
        {"outlet 1.25", [] { return NUV::SetWindPipeFLOutLength(1.25); }, 1, "fgflc", "1.250000", nullptr, nullptr},
        {"lg -2", [] { return NUV::SetNUVKTLgZj(-2); }, 1, "ktlgzj", "1.000000", nullptr, nullptr},
        {"lg 0", [] { return NUV::SetNUVKTLgZj(0); }, 1, "ktlgzj", "0.000000", nullptr, nullptr},
        {"lg 0.8", [] { return NUV::SetNUVKTLgZj(0.8); }, 1, "ktlgzj", "0.800000", nullptr, nullptr},
        {"sg -1", [] { return NUV::SetNUVKTSgZj(-1); }, 1, "ktsgzj", "1.500000", nullptr, nullptr},
        {"sg 0", [] { return NUV::SetNUVKTSgZj(0); }, 1, "ktsgzj", "0.000000", nullptr, nullptr},
        {"sg nan", [] { return NUV::SetNUVKTSgZj(std::nan("")); }, 1, "ktsgzj", "1.500000", nullptr, nullptr},
    };
    for (const Row& r : rows) {
        AcDbDatabase drawing;
        acdbHostApplicationServices()->setWorkingDatabase(&drawing);
        UserValues("");
        EXPECT_EQ(r.set(), r.result) << r.what;
        EXPECT_EQ(UserValue(r.userName), r.userText ? std::optional<std::string>(r.userText) : std::nullopt) << r.what;
        if (r.recordKey) {
            EXPECT_EQ(Record(drawing, r.recordKey), r.record ? std::optional<std::string>(r.record) : std::nullopt)
                << r.what;
        }
        EXPECT_EQ(drawing.numOpenObjects(), 0) << r.what;
    }
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

TEST_F(SettingsStore, WithoutADrawingOnlyTheUserLevelIsUsed) {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_EQ(NUV::SetNUVScale(80), 1);
    EXPECT_EQ(UserValue("scale"), "80");
    EXPECT_EQ(NUV::GetNUVScale(), 80);
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

TEST_F(SettingsStore, AValueSetInOneDrawingIsTheDefaultForDrawingsWithoutTheirOwn) {
    AcDbDatabase other;
    ASSERT_EQ(NUV::SetNUVScale(50), 1);  // in db_
    acdbHostApplicationServices()->setWorkingDatabase(&other);
    EXPECT_EQ(NUV::GetNUVScale(), 50);  // no record: the user's default
    ASSERT_EQ(NUV::SetNUVScale(200), 1);
    EXPECT_EQ(NUV::GetNUVScale(), 200);
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    EXPECT_EQ(NUV::GetNUVScale(), 50);  // its own record
    EXPECT_EQ(UserValue("scale"), "200");

    // The record survives a save and a reopen, whatever the user value is by then.
    ASSERT_EQ(NUV::SetNUVZwTextHigh(4.5), 1);
    std::string file = dir_.File("plan.dwg");
    std::string report = DrawingRecords::Report(db_, file, "records", "NUVSetting");
    EXPECT_NE(report.find("ERRORS 0\n"), std::string::npos) << report;
    EXPECT_NE(report.find("R \"NUVScale\" XRECORD 70=50\n"), std::string::npos) << report;
    EXPECT_NE(report.find("R \"NUVZwTextHigh\" XRECORD 40=4.5\n"), std::string::npos) << report;
    ASSERT_EQ(NUV::SetNUVKey("scale", "300"), 1);
    ASSERT_EQ(NUV::SetNUVKey("texthigh", "9"), 1);
    AcDbDatabase reopened(false);
    ASSERT_EQ(reopened.readDwgFile(file.c_str()), Acad::eOk);
    acdbHostApplicationServices()->setWorkingDatabase(&reopened);
    EXPECT_EQ(NUV::GetNUVScale(), 50);
    EXPECT_EQ(NUV::GetNUVZwTextHigh(), 4.5);
    EXPECT_EQ(NUV::GetNUVXwTextHigh(), 2.5);  // never set: the default
    acdbHostApplicationServices()->setWorkingDatabase(&other);
    EXPECT_EQ(NUV::GetNUVZwTextHigh(), 9.0);
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

TEST_F(SettingsStore, KeyOverloads) {
    const std::string zhong = "\xD6\xD0";  // 中
    UserValues("\"s8\"=\"12345678\"\n\"s7\"=\"1234567\"\n\"num\"=\"12.75x\"\n\"big\"=\"99999999999\"\n"
               "\"zh\"=\"\xE4\xB8\xAD\"\n\"empty\"=\"\"\n\"dw\"=dword:00000005\n");
    struct BufferRow {
        const char* name;
        unsigned size;
        int result;
        std::string buffer;  // afterwards
    } buffers[] = {
        {"s8", 8, 0, "untouched"},  // a value of exactly the buffer's size does not fit its zero
        {"s8", 9, 1, "12345678"},  {"s7", 8, 1, "1234567"},  {"zh", 2, 0, "untouched"},
        {"zh", 3, 1, zhong},       {"empty", 1, 1, ""},       {"empty", 0, 0, "untouched"},
        {"missing", 100, 0, "untouched"}, {"dw", 100, 0, "untouched"},
    };
    for (const BufferRow& b : buffers) {
        char buf[32];
        std::strcpy(buf, "untouched");
        EXPECT_EQ(NUV::GetNUVKey(b.name, buf, b.size), b.result) << b.name << " " << b.size;
        EXPECT_EQ(std::string(buf), b.buffer) << b.name << " " << b.size;
    }
    EXPECT_EQ(NUV::GetNUVKey("s8", nullptr, 100), 0);

    CString text("before");
    EXPECT_EQ(NUV::GetNUVKey("zh", text), 1);
    EXPECT_EQ(text, zhong);
    text = "before";
    EXPECT_EQ(NUV::GetNUVKey("missing", text), 0);
    EXPECT_EQ(text, "before");

    int i = -1;
    double d = -1;
    EXPECT_EQ(NUV::GetNUVKey("num", i), 1);
    EXPECT_EQ(i, 12);
    EXPECT_EQ(NUV::GetNUVKey("num", d), 1);
    EXPECT_EQ(d, 12.75);
    EXPECT_EQ(NUV::GetNUVKey("big", i), 1);
    EXPECT_EQ(i, 2147483647);  // clamped, never wrapped
    i = -1, d = -1;
    EXPECT_EQ(NUV::GetNUVKey("missing", i), 0);
    EXPECT_EQ(NUV::GetNUVKey("missing", d), 0);
    EXPECT_EQ(i, -1);
    EXPECT_EQ(d, -1);

    EXPECT_EQ(NUV::SetNUVKey("r", 0.1), 1);
    EXPECT_EQ(NUV::SetNUVKey("n", -42), 1);
    EXPECT_EQ(NUV::SetNUVKey("t", (zhong + "x").c_str()), 1);
    EXPECT_EQ(UserValue("r"), "0.100000");
    EXPECT_EQ(UserValue("n"), "-42");
    EXPECT_EQ(UserValue("t"), "\xE4\xB8\xADx");  // UTF-8 in the file

    EXPECT_EQ(NUV::GetNUVPrjName(text), 0);
    ASSERT_EQ(NUV::SetNUVKey("PrjName", "hall.pra"), 1);
    EXPECT_EQ(NUV::GetNUVPrjName(text), 1);
    EXPECT_EQ(text, "hall.pra");
}

}  // namespace
