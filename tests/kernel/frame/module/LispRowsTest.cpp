// Every row of the kernel's AutoLISP table called as a program would call it, well and badly:
// what each prints and returns. None raises an AutoLISP error; rows whose work this build does
// not hold say so and return nothing.
#include "KernelFixture.h"

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
        {"(shownuvaboutstr)", std::string("\nshownuvaboutstr") + kNotBuilt},
        {"(getwcsptofblock)", "\nGetWcsPtOfBlock：得到块中MCS点的WCS坐标。(GetWcsPtOfBlock ENAME pt3dMcs)"},
        {"(getwcsptofblock nil '(0 0 0))", std::string("\ngetwcsptofblock") + kNotBuilt},
        {"(NUVTwinkle)", "\nNUVTwinkle：闪烁实体或者选择集-1"},
        {"(NUVTwinkle 1)", std::string("\nNUVTwinkle") + kNotBuilt},
        {"(NUVStopTwinkle)", std::string("\nNUVStopTwinkle") + kNotBuilt},
        {"(NUVGetTwinkleFreQ)", std::string("\nNUVGetTwinkleFreQ") + kNotBuilt},
        {"(NUVSetTwinkleFreQ)", "\nNUVSetTwinkleFreQ：设置闪烁频率nil"},
        {"(NUVSetTwinkleFreQ 2)", std::string("\nNUVSetTwinkleFreQ") + kNotBuilt},
        {"(NUVSetTwinkleMode 1)", "\nNUVSetTwinkleMode：设置闪烁模式nil"},
        {"(NUVSetTwinkleMode 1 2)", std::string("\nNUVSetTwinkleMode") + kNotBuilt},
        {"(InsertBlock)", "\nInsertBlock：插入图块文件。(InsertBlock DwgFilePath bRotation dScale)"},
        {"(InsertBlock 1)", "\nInsertBlock：插入图块文件。(InsertBlock DwgFilePath bRotation dScale)"},
        {"(InsertBlock \"a.dwg\")", std::string("\nInsertBlock") + kNotBuilt},
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
    // A program goes on after any of them: nothing raised an error.
    std::string printed = Typed("(progn (shownuvaboutdlg) (NUVTwinkle) (ARXLoadEx) \"done\")");
    EXPECT_EQ("\"done\"", printed.substr(printed.rfind('"', printed.size() - 2)));
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
