// System variables (types, where their values live, refusals), file search order, and the
// command line's output bytes.
#include <filesystem>
#include <unistd.h>

#include "Drawings.h"
#include "HostFixture.h"
#include "acad/Display.h"
#include "TempDir.h"

namespace {

using Variables = HostTest;

resbuf Short(int v) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(v);
    return rb;
}
resbuf Real(double v) {
    resbuf rb{};
    rb.restype = RTREAL;
    rb.resval.rreal = v;
    return rb;
}
resbuf Str(const char* s) {
    resbuf rb{};
    rb.restype = RTSTR;
    rb.resval.rstring = const_cast<char*>(s);
    return rb;
}

std::string GetString(const char* name) {
    resbuf rb{};
    if (acedGetVar(name, &rb) != RTNORM || rb.restype != RTSTR) return "<none>";
    std::string s = rb.resval.rstring;
    acutDelString(rb.resval.rstring);
    return s;
}

TEST_F(Variables, EachVariableHasItsType) {
    NewDoc();
    struct Case {
        const char* name;
        int type;
    } cases[] = {
        {"DWGNAME", RTSTR},    {"DWGPREFIX", RTSTR}, {"CLAYER", RTSTR},      {"CMDECHO", RTSHORT},
        {"OSMODE", RTSHORT},   {"PICKBOX", RTSHORT}, {"TEXTSTYLE", RTSTR},   {"CELTYPE", RTSTR},
        {"LWDISPLAY", RTSHORT}, {"DBMOD", RTSHORT},  {"ACADVER", RTSTR},     {"VIEWCTR", RT3DPOINT},
        {"VIEWSIZE", RTREAL},  {"EXTMIN", RT3DPOINT}, {"EXTMAX", RT3DPOINT}, {"cmdecho", RTSHORT},
        {"USERR1", RTREAL},    {"USERS5", RTSTR},    {"CMDACTIVE", RTSHORT}, {"TEXTSIZE", RTREAL},
    };
    for (const Case& c : cases) {
        resbuf rb{};
        ASSERT_EQ(RTNORM, acedGetVar(c.name, &rb)) << c.name;
        EXPECT_EQ(c.type, rb.restype) << c.name;
        if (rb.restype == RTSTR) acutDelString(rb.resval.rstring);
    }
    resbuf rb{};
    EXPECT_EQ(RTERROR, acedGetVar("NOSUCHVAR", &rb));
}

TEST_F(Variables, WritesAreCheckedAndReadOnlyOnesRefused) {
    NewDoc();
    struct Case {
        const char* name;
        resbuf value;
        int status;
        const char* reason;  // in the refusal
    } cases[] = {
        {"CMDECHO", Short(0), RTNORM, ""},
        {"CMDECHO", Short(2), RTERROR, "out of range 0 to 1"},
        {"PICKBOX", Short(50), RTNORM, ""},
        {"PICKBOX", Short(51), RTERROR, "out of range"},
        {"PICKBOX", Short(-1), RTERROR, "out of range"},
        {"OSMODE", Short(16383), RTNORM, ""},
        {"OSMODE", Short(16384), RTERROR, "out of range"},
        {"OSMODE", Real(1.0), RTERROR, "wrong type"},
        {"TEXTSIZE", Short(3), RTNORM, ""},  // an integer is a real too
        {"TEXTSIZE", Real(0), RTERROR, "greater than 0"},
        {"CLAYER", Str("0"), RTNORM, ""},
        {"CLAYER", Str("NoSuchLayer"), RTERROR, "no layer of that name"},
        {"CELTYPE", Str("CONTINUOUS"), RTNORM, ""},
        {"DWGNAME", Str("x.dwg"), RTERROR, "read-only"},
        {"DBMOD", Short(0), RTERROR, "read-only"},
        {"EXTMIN", Short(0), RTERROR, "read-only"},
        {"NOSUCHVAR", Short(0), RTERROR, "no such variable"},
        {"USERS1", Str("\xD6\xD0"), RTNORM, ""},
        {"CECOLOR", Str("bylayer"), RTNORM, ""},
        {"CECOLOR", Str("256"), RTERROR, "BYLAYER, BYBLOCK"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(c.status, NUVAcad::SetSysVar(c.name, &c.value, error)) << c.name;
        if (c.status != RTNORM) {
            EXPECT_NE(std::string::npos, error.find(c.reason)) << c.name << ": " << error;
            EXPECT_EQ(0u, error.find("variable setting rejected: \"")) << error;
        }
    }
    resbuf rb{};
    acedGetVar("PICKBOX", &rb);
    EXPECT_EQ(50, rb.resval.rint) << "a refused value leaves the last good one";
    EXPECT_EQ("\xD6\xD0", GetString("USERS1"));
    EXPECT_EQ("BYLAYER", GetString("CECOLOR"));
    EXPECT_EQ("Continuous", GetString("CELTYPE")) << "the record's own name";
}

TEST_F(Variables, DrawingVariablesBelongToTheirDocument) {
    AcApDocument* a = NewDoc();
    resbuf one = Short(1);
    ASSERT_EQ(RTNORM, acedSetVar("LWDISPLAY", &one));
    resbuf r = Real(3.75);
    ASSERT_EQ(RTNORM, acedSetVar("TEXTSIZE", &r));
    NewDoc();
    resbuf got{};
    acedGetVar("LWDISPLAY", &got);
    EXPECT_EQ(0, got.resval.rint);
    acedGetVar("TEXTSIZE", &got);
    EXPECT_NE(3.75, got.resval.rreal);
    acDocManager->activateDocument(a);
    acedGetVar("LWDISPLAY", &got);
    EXPECT_EQ(1, got.resval.rint);
    acedGetVar("TEXTSIZE", &got);
    EXPECT_EQ(3.75, got.resval.rreal);
}

TEST_F(Variables, DrawingNameFolderAndModificationState) {
    TempDir tmp;
    WriteDrawing(tmp.File("Job.dxf"), 2);
    NewDoc();
    EXPECT_EQ("Drawing1.dwg", GetString("DWGNAME"));
    char cwd[4096];
    ASSERT_NE(nullptr, ::getcwd(cwd, sizeof cwd));
    EXPECT_EQ(std::string(cwd) + "/", GetString("DWGPREFIX")) << "a new drawing's folder is the current one";
    ASSERT_EQ(Acad::eOk, acDocManager->appContextOpenDocument(tmp.File("Job.dxf").c_str()));
    EXPECT_EQ("Job.dxf", GetString("DWGNAME"));
    EXPECT_EQ(tmp.path() + "/", GetString("DWGPREFIX"));
    resbuf rb{};
    acedGetVar("DBMOD", &rb);
    EXPECT_EQ(0, rb.resval.rint) << "just opened";
    AcDbEntity* e = nullptr;
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, curDoc()->database()->modelSpaceId(), AcDb::kForRead);
    AcDbObjectId first = ms->entityIds().front();
    ms->close();
    acdbOpenObject(e, first, AcDb::kForWrite);
    e->close();
    acedGetVar("DBMOD", &rb);
    EXPECT_EQ(1, rb.resval.rint) << "an object opened for write";
    curDoc()->database()->saveAs(tmp.File("Job.dxf").c_str());
    acedGetVar("DBMOD", &rb);
    EXPECT_EQ(0, rb.resval.rint) << "saved";
}

TEST_F(Variables, ExtentsAndViewOfTheDrawing) {
    TempDir tmp;
    WriteDrawing(tmp.File("Lines.dxf"), 5);  // x 0..4, y 0..1
    NewDoc();
    resbuf rb{};
    acedGetVar("EXTMIN", &rb);
    EXPECT_EQ(1e20, rb.resval.rpoint[0]) << "an empty drawing's extents are inside out";
    acedGetVar("EXTMAX", &rb);
    EXPECT_EQ(-1e20, rb.resval.rpoint[0]);
    acDocManager->appContextOpenDocument(tmp.File("Lines.dxf").c_str());
    acedGetVar("EXTMIN", &rb);
    EXPECT_EQ(0, rb.resval.rpoint[0]);
    EXPECT_EQ(0, rb.resval.rpoint[1]);
    acedGetVar("EXTMAX", &rb);
    EXPECT_EQ(4, rb.resval.rpoint[0]);
    EXPECT_EQ(1, rb.resval.rpoint[1]);
    // A drawing opens with its extents in view: the 4 x 1 extents fill the width of the
    // 1024 x 768 graphics area, 3 units high.
    acedGetVar("VIEWCTR", &rb);
    EXPECT_EQ(RT3DPOINT, rb.restype);
    EXPECT_EQ(2, rb.resval.rpoint[0]);
    EXPECT_EQ(0.5, rb.resval.rpoint[1]);
    acedGetVar("VIEWSIZE", &rb);
    EXPECT_DOUBLE_EQ(3, rb.resval.rreal);
    acedGetVar("SCREENSIZE", &rb);
    EXPECT_EQ(RTPOINT, rb.restype);
    EXPECT_EQ(1024, rb.resval.rpoint[0]);
    EXPECT_EQ(768, rb.resval.rpoint[1]);
    // The view is the display's: a zoom shows in the variables at once.
    ASSERT_EQ(Acad::eOk, NUVAcad::displayOf(acdbHostApplicationServices()->workingDatabase())
                             .zoomCenter(AcGePoint3d(1, 0.25, 0), 1.5));
    acedGetVar("VIEWCTR", &rb);
    EXPECT_EQ(1, rb.resval.rpoint[0]);
    EXPECT_EQ(0.25, rb.resval.rpoint[1]);
    acedGetVar("VIEWSIZE", &rb);
    EXPECT_EQ(1.5, rb.resval.rreal);
    ASSERT_EQ(Acad::eOk, NUVAcad::displayOf(acdbHostApplicationServices()->workingDatabase()).setScreenSize(800, 600));
    acedGetVar("SCREENSIZE", &rb);
    EXPECT_EQ(RTPOINT, rb.restype);
    EXPECT_EQ(800, rb.resval.rpoint[0]);
    EXPECT_EQ(600, rb.resval.rpoint[1]);
    EXPECT_EQ(RTNORM, acedGetVar("VIEWSIZE", &rb));
    EXPECT_EQ(1.5, rb.resval.rreal) << "a new screen size keeps the view's height";
}

TEST_F(Variables, WithoutADocumentDrawingVariablesHaveNoValue) {
    resbuf rb{};
    EXPECT_EQ(RTERROR, acedGetVar("DWGNAME", &rb));
    EXPECT_EQ(RTERROR, acedGetVar("CLAYER", &rb));
    EXPECT_EQ(RTNORM, acedGetVar("CMDECHO", &rb));
}

// ---- Finding files ----

TEST_F(Variables, FindFileSearchesDrawingFolderSupportPathThenCurrentFolder) {
    TempDir tmp;
    std::filesystem::create_directories(tmp.File("dwg"));
    std::filesystem::create_directories(tmp.File("sup1"));
    std::filesystem::create_directories(tmp.File("Sup2"));
    std::filesystem::create_directories(tmp.File("cwd"));
    WriteDrawing(tmp.File("dwg/Plan.dxf"), 0);
    tmp.Touch("dwg/both.lsp");
    tmp.Touch("sup1/both.lsp");
    tmp.Touch("sup1/Support.LSP");
    tmp.Touch("Sup2/second.lsp");
    tmp.Touch("Sup2/support.lsp");
    tmp.Touch("cwd/here.lsp");
    tmp.Touch("cwd/second.lsp");
    setenv("NUV_SUPPORT_PATH", (tmp.File("sup1") + ";" + tmp.path() + "\\sup2").c_str(), 1);
    char old[4096];
    ASSERT_NE(nullptr, ::getcwd(old, sizeof old));
    ASSERT_EQ(0, ::chdir(tmp.File("cwd").c_str()));
    acDocManager->appContextOpenDocument(tmp.File("dwg/Plan.dxf").c_str());
    struct Case {
        const char* name;
        std::string found;  // empty: not found
    } cases[] = {
        {"both.lsp", tmp.File("dwg/both.lsp")},          // the drawing's folder first
        {"support.lsp", tmp.File("sup1/Support.LSP")},   // then the support path in order, any letter case
        {"second.lsp", tmp.File("Sup2/second.lsp")},     // before the current folder
        {"here.lsp", tmp.File("cwd/here.lsp")},
        {"nowhere.lsp", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        char result[MAX_PATH];
        int status = acedFindFile(c.name, result);
        if (c.found.empty()) {
            EXPECT_EQ(RTERROR, status) << c.name;
        } else {
            EXPECT_EQ(RTNORM, status) << c.name;
            EXPECT_EQ(c.found, result) << c.name;
        }
    }
    char result[MAX_PATH];
    EXPECT_EQ(RTNORM, acedFindFile("../SUP1/BOTH.LSP", result)) << "a name with a folder is taken as it says";
    EXPECT_EQ(tmp.File("sup1/both.lsp"), result);
    char tiny[8];
    EXPECT_EQ(RTERROR, acedFindFile("here.lsp", tiny, sizeof tiny)) << "the path does not fit";
    ASSERT_EQ(0, ::chdir(old));
    unsetenv("NUV_SUPPORT_PATH");
}

// ---- Output ----

TEST_F(Variables, CommandLineReceivesTheExactBytes) {
    acutPrintf("\n%s=%d %.2f", "\xD6\xD0\xCE\xC4", 42, 2.5);  // GBK "中文"
    acedPrompt("\nPrompt: ");
    acedAlert("\xBE\xAF\xB8\xE6");  // GBK "警告"
    EXPECT_EQ("\n\xD6\xD0\xCE\xC4=42 2.50\nPrompt: ", out.text());
    EXPECT_EQ(std::vector<std::string>{"\xBE\xAF\xB8\xE6"}, out.alerts());
    EXPECT_EQ(0, acutPrintf("%s", ""));
}

}  // namespace
