// Every row of the kernel's AutoLISP table called as a program would call it, well and badly:
// what each prints and returns, and what the call did to the drawing and the flashing engine
// (read back through the exported functions, not through the rows). None raises an AutoLISP
// error; rows whose work this build does not hold say so and return nothing.
#include <cmath>
#include <functional>
#include <vector>

#include "KernelFixture.h"
#include "settings/SettingsStore.h"
#include "twinkle/Twinkle.h"
#include "twinkle/TwinkleState.h"
#include "win/Timer.h"

namespace {

class LispRows : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        registry.Touch("machine.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                                      "\"Group\"=\"5\"\n\"ProjRootDir\"=\"" + files.path() + "/proj//\"\n");
        NewDoc();
        LoadKernel();
    }
};

const char* const kNotBuilt = "：此版本的内核尚未提供该函数。";

TEST_F(LispRows, EachCallPrintsAndReturnsWhatItsRowSays) {
    const std::string work = files.path() + "/proj/";
    struct Case {
        std::string expr, printed;
    } cases[] = {
        {"(GetVCVer)", "1300"},
        {"(GetVCVer 1 2)", "1300"},
        {"(GetNUVGroupValue)", "5"},
        {"(HasInstallNUVGroup 5)", "T"},
        {"(HasInstallNUVGroup 4)", "T"},
        {"(HasInstallNUVGroup 2)", "nil"},
        {"(HasInstallNUVGroup 7)", "nil"},
        {"(HasInstallNUVGroup 0)", "T"},
        {"(HasInstallNUVGroup \"5\")", "nil"},
        {"(HasInstallNUVGroup)", "\nHasInstallNUVGroup：判断是否安装此软件部分(HasInstallNUVGroup ENUVSOFTGROUP)nil"},
        {"(IsLoadedArx \"NUVKernel.arx\")", "T"},
        {"(IsLoadedArx \"/elsewhere/nuvkernel\")", "T"},
        {"(IsLoadedArx \"ZQCAD.ARX\")", "T"},
        {"(IsLoadedArx \"ZQCAD.dll\")", "nil"},
        {"(IsLoadedArx \"absent.arx\")", "nil"},
        {"(IsLoadedArx 1)", "nil"},
        {"(IsLoadedArx)", "\nIsLoadedArx：判断arx是否已经加载(IsLoadedArx filename)nil"},
        {"(NUV_GetWorkPath)", "\"" + work + "\""},
        {"(NUV_ExcuteStr)", "\n函数 NUV_ExcuteStr 错误：应为(NUV_ExcuteStr str)"},
        {"(NUV_ExcuteStr 12)", "\n函数 NUV_ExcuteStr 错误：应为(NUV_ExcuteStr str)"},
        {"(ARXLoadEx)", "\nARXLoadEx：ARX加载。(ARXLoadEx FilePath)"},
        {"(ARXLoadEx 1.5)", "\nARXLoadEx：ARX加载。(ARXLoadEx FilePath)"},
        {"(CreateDwgByDwt)", "\nCreateDwgByDwt：根据dwt文件创建dwg文件。(CreateDwgByDwt DwtFilePath)"},
        {"(CreateDwgByDwt 1.5)", "\nCreateDwgByDwt：根据dwt文件创建dwg文件。(CreateDwgByDwt DwtFilePath)"},
        {"(OpenDwg)", "\nOpenDwg：打开Dwg文件。(OpenDwg DwgFilePath)"},
        {"(OpenDwg nil)", "\nOpenDwg：打开Dwg文件。(OpenDwg DwgFilePath)"},
        // Rows whose work is not in this build: the help texts of malformed calls stay as they
        // will be; a well-formed call is told the function is not available and gets nothing.
        {"(shownuvaboutdlg)", std::string("\nshownuvaboutdlg") + kNotBuilt},
        {"(ShowTORVAboutDlg)", std::string("\nShowTORVAboutDlg") + kNotBuilt},
        {"(getwcsptofblock)", "\nGetWcsPtOfBlock：得到块中MCS点的WCS坐标。(GetWcsPtOfBlock ENAME pt3dMcs)"},
        {"(getwcsptofblock nil '(0 0 0))", "nil"},
        {"(getwcsptofblock \"x\")", "nil"},
        {"(NUVTwinkle)", "\nNUVTwinkle：闪烁实体或者选择集-1"},
        {"(NUVTwinkle 1)", "-1"},
        {"(NUVTwinkle \"e\")", "-1"},
        {"(NUVStopTwinkle)", "nil"},
        {"(NUVStopTwinkle 1.0)", "nil"},
        {"(NUVGetTwinkleFreQ)", "3.0"},
        {"(NUVSetTwinkleFreQ)", "\nNUVSetTwinkleFreQ：设置闪烁频率nil"},
        {"(NUVSetTwinkleFreQ \"2\")", "nil"},
        {"(NUVSetTwinkleMode)", "\nNUVSetTwinkleMode：设置闪烁模式nil"},
        {"(NUVSetTwinkleMode 1)", "\nNUVSetTwinkleMode：设置闪烁模式nil"},
        {"(NUVSetTwinkleMode 1 2.0)", "nil"},
        {"(NUVSetTwinkleMode \"1\" 2)", "nil"},
        {"(InsertBlock)", "\nInsertBlock：插入图块文件。(InsertBlock DwgFilePath bRotation dScale)"},
        {"(InsertBlock 1)", "\nInsertBlock：插入图块文件。(InsertBlock DwgFilePath bRotation dScale)"},
        {"(InsertBlock \"a.dwg\")", ""},  // no such file: nothing placed, nothing said
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
    // A program goes on after any of them: nothing raised an error.
    std::string printed = Typed("(progn (shownuvaboutdlg) (NUVTwinkle) (ARXLoadEx) (NUVSetTwinkleMode 1) \"done\")");
    EXPECT_EQ("\"done\"", printed.substr(printed.rfind('"', printed.size() - 2)));
}

TEST_F(LispRows, AboutStrPrintsTheBannerWithTheInstalledRelease) {
    registry.Touch("machine.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                                  "\"Release\"=\"3.8.1\"\n");
    const std::string printed = Typed("(shownuvaboutstr)");
    EXPECT_EQ(0u, printed.rfind("\n*****   ", 0)) << printed;
    EXPECT_NE(std::string::npos, printed.find("  NUV V3.8  版   *****\n")) << "release cut at its last dot: " << printed;
    EXPECT_EQ(std::string::npos, printed.find("3.8.1"));
}

// A block "PT" and one reference to it at (100, 50, 0), turned a quarter turn and scaled by 2,
// then a line; the line is the last entity. Worked by hand: the definition's (1, 0, 0) lies at
// (100, 52, 0) and its (0, 3, 1) at (94, 50, 2).
class BlockPointRow : public LispRows {
protected:
    void SetUp() override {
        LispRows::SetUp();
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* def = new AcDbBlockTableRecord;
        def->setName("PT");
        AcDbObjectId defId;
        ASSERT_EQ(table->add(defId, def), Acad::eOk);
        def->close();
        table->close();
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* ref = new AcDbBlockReference({100, 50, 0}, defId);
        ref->setRotation(M_PI / 2);
        ref->setScaleFactors(AcGeScale3d(2));
        ASSERT_EQ(ms->appendAcDbEntity(refId, ref), Acad::eOk);
        ref->close();
        auto* line = new AcDbLine({0, 0, 0}, {1, 1, 0});
        ASSERT_EQ(ms->appendAcDbEntity(lineId, line), Acad::eOk);
        line->close();
        ms->close();
    }
    AcDbObjectId refId, lineId;
};

TEST_F(BlockPointRow, GivesTheWorldPointOrNil) {
    struct Case {
        const char* expr;
        const char* printed;
    } cases[] = {
        {"(getwcsptofblock (entnext) '(1.0 0.0 0.0))", "(100.0 52.0 0.0)"},
        {"(getwcsptofblock (entnext) '(0 3 1))", "(94.0 50.0 2.0)"},
        {"(getwcsptofblock (entnext) '(1.0 0.0))", "nil"},       // a 2D point is not the row's type
        {"(getwcsptofblock (entnext) \"1,0,0\")", "nil"},
        {"(getwcsptofblock (entnext))", "nil"},                 // the point is missing
        {"(getwcsptofblock (entlast) '(1.0 0.0 0.0))", "nil"},  // a line is no block reference
        {"(getwcsptofblock '(1.0 0.0 0.0) (entnext))", "nil"},
        {"(getwcsptofblock (ssget \"X\") '(1.0 0.0 0.0))", "nil"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
}

TEST_F(BlockPointRow, AnErasedReferenceGivesNil) {
    Typed("(setq e (entnext))");
    Typed("(entdel e)");
    EXPECT_EQ("nil", Typed("(getwcsptofblock e '(1.0 0.0 0.0))"));
}

// The flashing rows on the engine the kernel shares with the suite's modules; every test puts
// the engine's settings back and leaves nothing flashing.
class TwinkleRows : public BlockPointRow {
protected:
    void TearDown() override {
        NUV::ZQStopAllTwinkle(nullptr);
        for (int i = 0; i < 3 && NUV::GetTwinkleState().timerRunning; ++i) NextTick();
        NUV::ZQSetTwinkleMode(1, 2);
        NUV::ZQSetTwinkleFreQuency(3.0);
        BlockPointRow::TearDown();
    }
    static void NextTick() {
        ULONGLONG due = 0;
        if (!NUVWin::NextTimerDue(due)) return;
        const ULONGLONG now = GetTickCount64();
        NUVWin::AdvanceVirtualClock(due > now ? due - now : 0);
        NUVWin::DispatchTimers();
    }
    int TypedInt(const std::string& expr) {
        const std::string printed = Typed(expr);
        EXPECT_FALSE(printed.empty()) << expr;
        return std::atoi(printed.c_str());
    }
};

TEST_F(TwinkleRows, AnEntityFlashesUntilStopped) {
    const int id = TypedInt("(NUVTwinkle (entlast))");
    ASSERT_GT(id, 0);
    EXPECT_TRUE(NUV::ZQHasTwinkle(id));
    // The row asks for flashing that never expires: a long afternoon of ticks later it still runs.
    NUVWin::AdvanceVirtualClock(4ull * 3600 * 1000);
    NextTick();
    NextTick();
    EXPECT_TRUE(NUV::ZQHasTwinkle(id));
    EXPECT_EQ("T", Typed("(NUVStopTwinkle " + std::to_string(id) + ")"));
    EXPECT_FALSE(NUV::ZQHasTwinkle(id));
    // The line's own colour was never replaced: the row asks for no colour.
    AcDbEntity* line = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(line, lineId, AcDb::kForRead));
    EXPECT_EQ(256, line->colorIndex());
    line->close();
}

TEST_F(TwinkleRows, ASelectionSetFlashesAsAGroup) {
    const int group = TypedInt("(NUVTwinkle (ssget \"X\"))");
    ASSERT_GT(group, 0);
    EXPECT_TRUE(NUV::ZQHasTwinkle(group));
    EXPECT_TRUE(NUV::ZQHasTwinkle(group + 1)) << "the set's two entities follow the group id";
    EXPECT_TRUE(NUV::ZQHasTwinkle(group + 2));
    const int single = TypedInt("(NUVTwinkle (entnext))");
    EXPECT_GT(single, group + 2);
    // Without an argument every flashing stops, and the answer is nil.
    EXPECT_EQ("nil", Typed("(NUVStopTwinkle)"));
    for (int id : {group, group + 1, group + 2, single}) EXPECT_FALSE(NUV::ZQHasTwinkle(id)) << id;
}

TEST_F(TwinkleRows, FrequencyAndModeReachTheEngine) {
    struct Case {
        const char* expr;
        const char* printed;
        double frequency;  // the engine's afterwards
    } cases[] = {
        {"(NUVSetTwinkleFreQ 2)", "T", 2.0},  // an integer is taken as a real
        {"(NUVGetTwinkleFreQ)", "2.0", 2.0},
        {"(NUVSetTwinkleFreQ 0.1)", "T", 0.1},
        {"(NUVSetTwinkleFreQ 10)", "T", 10.0},
        {"(NUVSetTwinkleFreQ 10.5)", "nil", 10.0},  // outside the engine's range: no change
        {"(NUVSetTwinkleFreQ 0)", "nil", 10.0},
        {"(NUVSetTwinkleFreQ \"2\")", "nil", 10.0},
        {"(NUVSetTwinkleFreQ 2.5)", "T", 2.5},
        {"(NUVGetTwinkleFreQ)", "2.5", 2.5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
        EXPECT_DOUBLE_EQ(c.frequency, NUV::ZQGetTwinkleFreQuency()) << c.expr;
    }
    struct ModeCase {
        const char* expr;
        const char* printed;
        int first, second;
    } modes[] = {
        {"(NUVSetTwinkleMode 3 4)", "T", 3, 4},
        {"(NUVSetTwinkleMode 4 1)", "T", 4, 1},
        {"(NUVSetTwinkleMode 0 2)", "nil", 4, 1},
        {"(NUVSetTwinkleMode 1 5)", "nil", 4, 1},
        {"(NUVSetTwinkleMode 1.0 2)", "nil", 4, 1},
        {"(NUVSetTwinkleMode 1 2)", "T", 1, 2},
    };
    for (const ModeCase& c : modes) {
        EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
        int first = 0, second = 0;
        NUV::ZQGetTwinkleMode(first, second);
        EXPECT_EQ(c.first, first) << c.expr;
        EXPECT_EQ(c.second, second) << c.expr;
    }
}

TEST_F(LispRows, WorkPathIsNilWithoutAProjectRoot) {
    registry.Touch("machine.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\NUV]\n"
                                  "\"Group\"=\"5\"\n");
    EXPECT_EQ("nil", Typed("(NUV_GetWorkPath)"));
    EXPECT_EQ("nil", Typed("(HasInstallNUVGroup 8)"));
}

TEST_F(LispRows, ExcuteStrRunsTheTextOnceTheDocumentIsIdle) {
    EXPECT_EQ("", Typed("(NUV_ExcuteStr \"NUVKERNEL \")"));
    out.take();
    NUVAcad::RunCommandLoop();
    EXPECT_NE(std::string::npos, out.take().find("MSld------")) << "the banner ran";
}

}  // namespace

namespace {

// "InsertBlock" with the block library's diffuser: the placement jig answered from the scripted
// input, and what it left in model space read back from the database. Angles are typed in
// degrees, as a user types them; the expected values are worked out by hand.
class InsertBlockRow : public LispRows {
protected:
    struct Placed {
        std::string block;
        AcGePoint3d at;
        double rotation = 0, sx = 0, sy = 0, sz = 0;
    };
    static std::vector<Placed> Inserts() {
        std::vector<Placed> found;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(Acad::eOk, acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead));
        if (!ms) return found;
        for (const AcDbObjectId& id : ms->entityIds()) {
            AcDbBlockReference* ref = nullptr;
            if (acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk) continue;
            Placed p;
            AcDbBlockTableRecord* def = nullptr;
            if (acdbOpenObject(def, ref->blockTableRecord(), AcDb::kForRead) == Acad::eOk) {
                const char* name = nullptr;
                def->getName(name);
                p.block = name ? name : "";
                def->close();
            }
            p.at = ref->position();
            p.rotation = ref->rotation();
            p.sx = ref->scaleFactors().sx, p.sy = ref->scaleFactors().sy, p.sz = ref->scaleFactors().sz;
            ref->close();
            found.push_back(p);
        }
        ms->close();
        return found;
    }
    // Anonymous blocks still standing (the jig's temporary block must be gone).
    static int AnonymousBlocks() {
        int n = 0;
        AcDbBlockTable* table = nullptr;
        EXPECT_EQ(Acad::eOk, acdbHostApplicationServices()->workingDatabase()->getBlockTable(table, AcDb::kForRead));
        AcDbBlockTableIterator* it = nullptr;
        table->newIterator(it);
        for (; it && !it->done(); it->step()) {
            AcDbBlockTableRecord* rec = nullptr;
            if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk) continue;
            n += rec->isAnonymous() ? 1 : 0;
            rec->close();
        }
        delete it;
        table->close();
        return n;
    }
    static std::string Diffuser() {
        return std::string(std::getenv("NUV_SOURCE_DIR")) + "/share/nuv/Bdwg/Diffuser360.dwg";
    }
    std::string Insert(const std::string& args) { return Typed("(InsertBlock \"" + Diffuser() + "\"" + args + ")"); }
};

TEST_F(InsertBlockRow, PlacesTurnsScalesAndRemembersTheAngle) {
    struct Case {
        const char* args;
        std::function<void(NUVAcad::ScriptedInput&)> answers;
        AcGePoint3d at;
        double degrees, scale;
        const char* anglePrompt;  // null: no angle asked
    } cases[] = {
        // The path alone: rotation flag 1, scale 1; Enter at the angle takes the default, 0.
        {"", [](NUVAcad::ScriptedInput& in) { in.point(100, 200).enter(); }, {100, 200, 0}, 0, 1, "\n请输入旋转角度<0.00>:"},
        {" 1 2.5", [](NUVAcad::ScriptedInput& in) { in.point(10, 20).text("90"); }, {10, 20, 0}, 90, 2.5, "\n请输入旋转角度<0.00>:"},
        // The angle used last is the default now, as the settings store keeps it ("%f": 1.570796).
        {" 1 2", [](NUVAcad::ScriptedInput& in) { in.point(-5, 0).enter(); }, {-5, 0, 0}, 1.570796 * 180 / M_PI, 2, "\n请输入旋转角度<90.00>:"},
        // A second argument that is no integer is skipped; the third is still read.
        {" \"x\" 2.5", [](NUVAcad::ScriptedInput& in) { in.point(0, 0).text("45"); }, {0, 0, 0}, 45, 2.5, "\n请输入旋转角度<90.00>:"},
        // Without the rotation flag the first point finishes; a scale of another type stays 1.
        {" 0 \"big\"", [](NUVAcad::ScriptedInput& in) { in.point(7, 8); }, {7, 8, 0}, 0, 1, nullptr},
        // "P": a reference point, then the position.
        {" 0", [](NUVAcad::ScriptedInput& in) { in.text("P").point(50, 50).point(60, 70); }, {60, 70, 0}, 0, 1, nullptr},
    };
    size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        input.setEcho(true);
        c.answers(input);
        const std::string printed = Insert(c.args);
        EXPECT_EQ(0u, input.pending()) << "every answer was read";
        EXPECT_NE(std::string::npos, printed.find("\n输入插入点或[参考点定位(P)/退出(E)]:")) << "[" << printed << "]";
        if (c.anglePrompt) {
            EXPECT_NE(std::string::npos, printed.find(c.anglePrompt)) << printed;
        } else {
            EXPECT_EQ(std::string::npos, printed.find("请输入旋转角度")) << printed;
        }
        if (std::string(c.args) == " 0") {
            EXPECT_NE(std::string::npos, printed.find("\n请选择参考点:")) << printed;
        }
        const std::vector<Placed> placed = Inserts();
        ASSERT_EQ(++count, placed.size());
        const Placed& p = placed.back();
        EXPECT_EQ("Diffuser360", p.block);
        EXPECT_TRUE(p.at.isEqualTo(c.at)) << p.at.x << "," << p.at.y << "," << p.at.z;
        EXPECT_NEAR(c.degrees * M_PI / 180.0, p.rotation, 1e-9);
        EXPECT_DOUBLE_EQ(c.scale, p.sx);
        EXPECT_DOUBLE_EQ(c.scale, p.sy);
        EXPECT_DOUBLE_EQ(1.0, p.sz);
        EXPECT_EQ(0, AnonymousBlocks()) << "the dragged block is gone";
        EXPECT_EQ(0, acdbHostApplicationServices()->workingDatabase()->numOpenObjects());
    }
    double last = -1;
    EXPECT_EQ(1, NUV::GetNUVKey("LastAngle", last));
    EXPECT_DOUBLE_EQ(0.785398, last) << "45 degrees, with the store's six decimals";
}

TEST_F(InsertBlockRow, LeavingOrAMissingFilePlacesNothing) {
    input.text("E");
    Insert("");
    input.point(1, 1).cancel();
    Insert(" 1");
    EXPECT_EQ("", Typed("(InsertBlock \"" + files.path() + "/absent.dwg\")"));
    EXPECT_TRUE(Inserts().empty());
    EXPECT_EQ(0, AnonymousBlocks());
    EXPECT_EQ(0, acdbHostApplicationServices()->workingDatabase()->numOpenObjects());
}

}  // namespace
