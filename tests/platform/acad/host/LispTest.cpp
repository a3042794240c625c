// AutoLISP in the host: module functions across the resbuf boundary both ways, per-document
// state, queued expressions, C: commands, command / getvar from AutoLISP, the host's own
// functions, acad.lsp and acaddoc.lsp, and the detour a module takes to open a drawing.
#include "Drawings.h"
#include "HostFixture.h"
#include "TempDir.h"
#include "acad/HostLisp.h"
#include "acad/LispInterpreter.h"

namespace {

class Lisp : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        NewDoc();
        ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
        out.take();
    }
    // What typing the expression at the command prompt prints.
    std::string Typed(const std::string& expr) {
        out.take();
        NUVAcad::LispCommandLine(expr);
        return out.take();
    }
};

TEST_F(Lisp, ValuesCrossToModuleFunctionsAsTheHostsResbufTypes) {
    struct Case {
        const char* expr;
        const char* printed;
    } cases[] = {
        // RTSHORT within 16 bits, RTLONG beyond, on both sides of each limit
        {"(probe-types 32767 32768 -32768 -32769)", "(5003 5010 5003 5010)"},
        {"(probe-types 2.5 \"s\" nil T)", "(5001 5005 5019 5021)"},
        {"(probe-types '(1 \"a\"))", "(5016 5003 5005 5017)"},
        {"(probe-types '(1 . 2))", "(5016 5003 5018 5003 5017)"},
        {"(probe-types '(1.0 2.0) '(1.0 2.0 3.0))", "(5002 5009)"},
        {"(probe-types (entlast))", "(5019)"},  // an empty drawing has no last entity: nil
        {"(probe-types)", "nil"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
}

TEST_F(Lisp, ValuesComeBackFromModuleFunctions) {
    struct Case {
        const char* expr;
        const char* printed;
    } cases[] = {
        {"(probe-add 1 2)", "3"},
        {"(probe-add 32767 1)", "32768"},  // acedRetInt beyond 16 bits
        {"(probe-add -40000 -1)", "-40001"},
        {"(probe-add 1 2.5)", "3.5"},
        // a list of two or three numbers crosses as a point: it comes back in reals
        {"(probe-echo 1 \"\xD6\xD0\" 2.5 (list 1 (list 2 3)) '(4 . 5))", "(1 \"\xD6\xD0\" 2.5 (1 (2.0 3.0)) (4 . 5))"},
        {"(probe-echo)", "nil"},
        {"(probe-doc)", "\"Drawing1.dwg\""},
        {"(probe-void)", ""},  // a void result echoes nothing
        {"(type (probe-void))", "SYM"},  // the silent symbol, as (princ) returns
    };
    for (const Case& c : cases) EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
}

TEST_F(Lisp, EntityNamesAndSelectionSetsCrossBothWays) {
    TempDir tmp;
    WriteDrawing(tmp.File("Three.dxf"), 3);
    ASSERT_EQ(Acad::eOk, acDocManager->appContextOpenDocument(tmp.File("Three.dxf").c_str()));
    struct Case {
        const char* expr;
        const char* printed;
    } cases[] = {
        // RTENAME 5006, RTPICKS 5007
        {"(probe-types (entlast) (ssget \"X\"))", "(5006 5007)"},
        {"(eq (car (probe-echo (entlast))) (entlast))", "T"},
        {"(cdr (assoc 10 (entget (car (probe-echo (entlast))))))", "(2.0 0.0 0.0)"},
        {"(sslength (car (probe-echo (ssget \"X\"))))", "3"},
        {"(progn (ssdel e ss) (list (sslength ss) (ssmemb e ss)))", "(2 nil)"},
        {"(sslength (ssadd e ss))", "3"},
        {"(sslength (ssadd))", "0"},
        {"(ssname ss 3)", "nil"},
    };
    std::string named = Typed("(setq ss (ssget \"X\") e (ssname ss 0))");
    EXPECT_EQ(0u, named.rfind("<Entity name: ", 0)) << named;
    for (const Case& c : cases) EXPECT_EQ(c.printed, Typed(c.expr)) << c.expr;
}

TEST_F(Lisp, FunctionRegisteredWithAcedRegFuncIsCalledDirectly) {
    EXPECT_EQ("[probe] direct call\n\"direct\"", Typed("(probe-direct)"));
}

TEST_F(Lisp, ModuleFunctionReportingAnErrorRaisesAnAutoLispError) {
    EXPECT_EQ("; error: ADS request error", Typed("(probe-fail)"));
    EXPECT_EQ("\"caught\"", Typed("(defun *error* (m) \"caught\") (probe-fail)"));
}

TEST_F(Lisp, FunctionsAreDefinedInEveryDocumentButUserStateIsPerDocument) {
    Typed("(setq mine 42)");
    EXPECT_EQ("42", Typed("mine"));
    AcApDocument* second = NewDoc();
    ASSERT_EQ(second, acDocManager->curDocument());
    EXPECT_EQ("3", Typed("(probe-add 1 2)")) << "the module defined it in the new document too";
    EXPECT_EQ("\"Drawing2.dwg\"", Typed("(probe-doc)"));
    EXPECT_EQ("nil", Typed("mine"));
}

TEST_F(Lisp, UnloadedModulesFunctionsAreGone) {
    ASSERT_EQ(RTNORM, acedArxUnload("probe"));
    EXPECT_EQ("; error: no function definition: PROBE-ADD", Typed("(probe-add 1 2)"));
}

TEST_F(Lisp, InvokeAndSymbolsFromCCode) {
    resbuf* args = acutBuildList(RTSTR, "probe-add", RTSHORT, 20, RTSHORT, 22, 0);
    resbuf* result = nullptr;
    ASSERT_EQ(RTNORM, acedInvoke(args, &result));
    acutRelRb(args);
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(RTSHORT, result->restype);
    EXPECT_EQ(42, result->resval.rint);
    acutRelRb(result);

    resbuf* value = acutBuildList(RTLB, RTSHORT, 1, RTSTR, "two", RTLE, 0);
    ASSERT_EQ(RTNORM, acedPutSym("fromc", value));
    acutRelRb(value);
    EXPECT_EQ("(1 \"two\")", Typed("fromc"));
    Typed("(setq tolisp 2.5)");
    resbuf* got = nullptr;
    ASSERT_EQ(RTNORM, acedGetSym("tolisp", &got));
    EXPECT_EQ(RTREAL, got->restype);
    EXPECT_EQ(2.5, got->resval.rreal);
    acutRelRb(got);
}

TEST_F(Lisp, QueuedExpressionsRunInOrderOnceTheDocumentIsIdle) {
    static const char* const kQueue[] = {"(setq q (cons 1 q))", "(setq q (cons 2 q))", "(setq q (cons 3 q))"};
    acedRegCmds->addCommand("LT", "QUEUER", "QUEUER", 0, [] {
        for (const char* e : kQueue) ads_queueexpr(e);
        resbuf* v = nullptr;
        acedGetSym("q", &v);
        acutPrintf("inside %s", v && v->restype == RTNIL ? "nil" : "set");
        acutRelRb(v);
    });
    NUVAcad::RunCommand("QUEUER");
    EXPECT_EQ("inside nil", out.take()) << "nothing runs inside the command";
    EXPECT_TRUE(NUVAcad::RunIdleTasks());
    out.take();
    EXPECT_EQ("(3 2 1)", Typed("q"));
    acedRegCmds->removeGroup("LT");
}

TEST_F(Lisp, CommandFunctionsAndCommandsFromAutoLisp) {
    Typed("(defun c:greet () (princ \"greetings\") (princ))");
    EXPECT_EQ(RTNORM, NUVAcad::RunCommand("GREET"));
    EXPECT_EQ("greetings", out.take());
    EXPECT_EQ(RTNORM, NUVAcad::RunCommand("_greet"));
    out.take();
    resbuf off{};
    off.restype = RTSHORT;
    acedSetVar("CMDECHO", &off);
    EXPECT_EQ("[probe] hello in Drawing1.dwg\nnil", Typed("(command \"PROBEHELLO\")"));
    EXPECT_EQ("0", Typed("(getvar \"cmdecho\")"));
    EXPECT_EQ("; error: variable setting rejected: \"dwgname\" \"x\" (read-only)", Typed("(setvar \"dwgname\" \"x\")"));
}

TEST_F(Lisp, HostFunctionsLoadAndListModules) {
    std::string path = Module("probe2.arx");
    EXPECT_EQ("[probe2] init\n[probe2] load Drawing1.dwg\n\"" + path + "\"", Typed("(arxload \"" + path + "\")"));
    EXPECT_EQ("(\"probe.arx\" \"probe2.arx\")", Typed("(arx)"));
    EXPECT_EQ("[probe2] unload\n\"probe2\"", Typed("(arxunload \"probe2\")"));
    EXPECT_EQ("\nCannot load \"nosuch.arx\": no such file.\n\"failed\"", Typed("(arxload \"nosuch.arx\" \"failed\")"));
    std::string refused = Typed("(arxload \"nosuch.arx\")");
    EXPECT_NE(std::string::npos, refused.find("; error: ARXLOAD failed")) << refused;
}

TEST_F(Lisp, AcadLspOnceAndAcaddocLspInEveryDocument) {
    NUVAcad::EndSession();
    NUVAcad::StartSession();
    TempDir tmp;
    tmp.Touch("support/acad.lsp", "(setq acadcount (1+ (if acadcount acadcount 0)))\n");
    tmp.Touch("support/acaddoc.lsp", "(setq docname (getvar \"DWGNAME\"))\n");
    setenv("NUV_SUPPORT_PATH", tmp.File("support").c_str(), 1);
    NewDoc();
    NUVAcad::RunIdleTasks();
    EXPECT_EQ("1", Typed("acadcount"));
    EXPECT_EQ("\"Drawing1.dwg\"", Typed("docname"));
    NewDoc();
    NUVAcad::RunIdleTasks();
    EXPECT_EQ("nil", Typed("acadcount")) << "acad.lsp only in the session's first document";
    EXPECT_EQ("\"Drawing2.dwg\"", Typed("docname"));
    unsetenv("NUV_SUPPORT_PATH");
}

TEST_F(Lisp, ModuleFunctionOpensADrawingThroughATimer) {
    TempDir tmp;
    WriteDrawing(tmp.File("Other.dxf"), 1);
    setenv("PROBE_OPEN", tmp.File("Other.dxf").c_str(), 1);
    Typed("(probe-open)");
    EXPECT_EQ(1, acDocManager->documentCount());
    NUVAcad::Wait(100);
    EXPECT_EQ(2, acDocManager->documentCount());
    EXPECT_EQ("Other.dxf", std::string(acDocManager->mdiActiveDocument()->docTitle()));
}

}  // namespace
