// The interpreter as the host sees it: external functions with their resbuf arguments and
// results (the 16-bit boundary between RTSHORT and RTLONG, points, lists, dotted pairs), errors
// reported by a module, acedPutSym/acedGetSym, acedInvoke, evaluation results as chains, the
// expression queue, and the functions that ask the host (getvar, setvar, command, findfile).
#include <gtest/gtest.h>

#include <stdexcept>

#include "FakeLispHost.h"
#include "TempDir.h"

namespace {

using NUVAcad::LispExternalFunction;

struct ArgCase {
    const char* call;
    const char* chain;
};

TEST(LispExternal, ArgumentsBecomeResbufChains) {
    const ArgCase table[] = {
        {"(ext 1 -32768 32767 32768 -32769 2147483647 -2147483648)",
         "RTSHORT 1, RTSHORT -32768, RTSHORT 32767, RTLONG 32768, RTLONG -32769, RTLONG 2147483647, "
         "RTLONG -2147483648"},
        {"(ext 1.5 \"s\" nil t)", "RTREAL 1.5, RTSTR \"s\", RTNIL, RTT"},
        {"(ext '(1 2) '(1.5 2 3) '(1 2 3 4) '(1))",
         "RTPOINT 1 2, RT3DPOINT 1.5 2 3, RTLB, RTSHORT 1, RTSHORT 2, RTSHORT 3, RTSHORT 4, RTLE, RTLB, RTSHORT 1, RTLE"},
        {"(ext '(1 . 2))", "RTLB, RTSHORT 1, RTDOTE, RTSHORT 2, RTLE"},
        {"(ext '(1 2 . \"x\"))", "RTLB, RTSHORT 1, RTSHORT 2, RTDOTE, RTSTR \"x\", RTLE"},
        {"(ext '((1 . \"a\") (\"b\" (1 2))))",
         "RTLB, RTLB, RTSHORT 1, RTDOTE, RTSTR \"a\", RTLE, RTLB, RTSTR \"b\", RTPOINT 1 2, RTLE, RTLE"},
        {"(ext '(\"a\" nil))", "RTLB, RTSTR \"a\", RTNIL, RTLE"},
        {"(ext 'sym)", "RTSTR \"SYM\""},
        {"(ext)", ""},
    };
    for (const ArgCase& c : table) {
        LispSession s;
        s.host.external = [](const LispExternalFunction&, const resbuf*, resbuf**, CString&) { return RSRSLT; };
        ASSERT_EQ(s.lisp.defineExternal("ext", 4, nullptr), RTNORM);
        EXPECT_EQ(s.Run(c.call), "nil") << c.call;
        ASSERT_EQ(s.host.externalCalls.size(), 1u) << c.call;
        EXPECT_EQ(s.host.externalCalls[0], std::string("ext 4: ") + c.chain) << c.call;
    }
    LispSession s;
    s.lisp.defineExternal("ext", 4, nullptr);
    EXPECT_EQ(s.Run("(ext car)").rfind("; error: bad argument type: #<SUBR @", 0), 0u);
    EXPECT_TRUE(s.host.externalCalls.empty());
}

struct ResultCase {
    std::function<resbuf*()> make;
    const char* shown;
};

TEST(LispExternal, ResultsComeBackAsValues) {
    const double p[3] = {1, 2, 3};
    const ResultCase table[] = {
        {[] { return acutBuildList(RTSHORT, 5, 0); }, "5"},
        {[] { return acutBuildList(RTSHORT, -32768, 0); }, "-32768"},
        {[] { return acutBuildList(RTLONG, 100000L, 0); }, "100000"},
        {[] { return acutBuildList(RTLONG, -2147483647L - 1, 0); }, "-2147483648"},
        {[] { return acutBuildList(RTREAL, 2.5, 0); }, "2.5"},
        {[] { return acutBuildList(RTANG, 0.5, 0); }, "0.5"},
        {[] { return acutBuildList(RTSTR, "x\"y", 0); }, "\"x\\\"y\""},
        {[&] { return acutBuildList(RTPOINT, p, 0); }, "(1.0 2.0)"},
        {[&] { return acutBuildList(RT3DPOINT, p, 0); }, "(1.0 2.0 3.0)"},
        {[] { return acutBuildList(RTLB, RTSHORT, 1, RTSTR, "a", RTLE, 0); }, "(1 \"a\")"},
        {[] { return acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 2, RTLE, 0); }, "(1 . 2)"},
        {[] { return acutBuildList(RTLB, RTLB, RTLE, RTLB, RTT, RTLE, RTLE, 0); }, "(nil (T))"},
        {[] { return acutBuildList(RTNIL, 0); }, "nil"},
        {[] { return acutBuildList(RTT, 0); }, "T"},
        {[] { return acutBuildList(RTVOID, 0); }, ""},
        {[] { return static_cast<resbuf*>(nullptr); }, "nil"},
        // Only the first value counts; an unclosed list is closed.
        {[] { return acutBuildList(RTSHORT, 1, RTSHORT, 2, 0); }, "1"},
        {[] { return acutBuildList(RTLB, RTSHORT, 1, 0); }, "(1)"},
        // Drawing-file groups inside a list become pairs.
        {[&] { return acutBuildList(RTLB, 8, "DUCT", 10, p, 62, 1, 40, 2.5, RTLE, 0); },
         "((8 . \"DUCT\") (10 1.0 2.0 3.0) (62 . 1) (40 . 2.5))"},
    };
    for (const ResultCase& c : table) {
        LispSession s;
        s.host.external = [&](const LispExternalFunction&, const resbuf*, resbuf** result, CString&) {
            *result = c.make();
            return RSRSLT;
        };
        s.lisp.defineExternal("ext", 1, nullptr);
        EXPECT_EQ(s.Run("(ext)"), c.shown);
    }
}

TEST(LispExternal, ModuleErrorsAndVoid) {
    LispSession s;
    std::string message;
    s.host.external = [&](const LispExternalFunction&, const resbuf*, resbuf**, CString& error) {
        error = CString(message);
        return RSERR;
    };
    s.lisp.defineExternal("bad", 1, nullptr);
    EXPECT_EQ(s.Run("(bad)"), "; error: ADS request error");
    message = "bad argument value";
    EXPECT_EQ(s.Run("(bad 1)"), "; error: bad argument value");
    s.Run("(defun *error* (m) (princ (strcat \"[\" m \"]\")) (princ))");
    EXPECT_EQ(s.Run("(bad 1)"), "[bad argument value]");

    // A callback that throws ends the evaluation like an error; the interpreter stays usable.
    LispSession t;
    t.host.external = [](const LispExternalFunction&, const resbuf*, resbuf**, CString&) -> int {
        throw std::runtime_error("module bug");
    };
    t.lisp.defineExternal("throws", 1, nullptr);
    EXPECT_EQ(t.Run("(setq a 1) (defun f (a) (throws)) (f 2)"), "; error: exception in a host function");
    EXPECT_FALSE(t.lisp.isEvaluating());
    EXPECT_EQ(t.Run("a"), "1");

    LispSession v;
    v.host.external = [](const LispExternalFunction&, const resbuf*, resbuf** result, CString&) {
        *result = acutNewRb(RTVOID);
        return RSRSLT;
    };
    v.lisp.defineExternal("quiet", 1, nullptr);
    EXPECT_EQ(v.Run("(quiet)"), "");
}

TEST(LispExternal, DefinitionsByNameCodeAndOwner) {
    LispSession s;
    int ownerA = 0, ownerB = 0;
    s.host.external = [](const LispExternalFunction&, const resbuf*, resbuf** result, CString&) {
        *result = acutBuildList(RTSHORT, 1, 0);
        return RSRSLT;
    };
    EXPECT_EQ(s.lisp.defineExternal("", 1, &ownerA), RTERROR);
    EXPECT_EQ(s.lisp.defineExternal("nil", 1, &ownerA), RTERROR);
    ASSERT_EQ(s.lisp.defineExternal("NUVTwinkle", 12, &ownerA), RTNORM);
    ASSERT_EQ(s.lisp.defineExternal("c:Other", 2, &ownerB), RTNORM);
    EXPECT_EQ(s.Run("(nuvtwinkle \"x\")"), "1");
    EXPECT_EQ(s.host.externalCalls.back(), "NUVTwinkle 12: RTSTR \"x\"");
    EXPECT_EQ(s.Run("(type nuvtwinkle)"), "EXRXSUBR");
    EXPECT_EQ(s.Run("nuvtwinkle").rfind("#<EXRXSUBR @", 0), 0u);
    EXPECT_TRUE(s.lisp.isFunction("NUVTWINKLE"));
    EXPECT_TRUE(s.lisp.isFunction("c:other"));

    EXPECT_EQ(s.lisp.undefineExternal("nuvtwinkle", 99), RTERROR);
    EXPECT_EQ(s.Run("(nuvtwinkle)"), "1");
    EXPECT_EQ(s.lisp.undefineExternal("nuvtwinkle", 12), RTNORM);
    EXPECT_EQ(s.Run("(nuvtwinkle)"), "; error: no function definition: NUVTWINKLE");
    EXPECT_EQ(s.lisp.undefineExternal("nuvtwinkle", 12), RTERROR);

    s.lisp.defineExternal("a1", 1, &ownerA);
    s.lisp.defineExternal("a2", 2, &ownerA);
    s.lisp.undefineExternalsOf(&ownerA);
    EXPECT_FALSE(s.lisp.isFunction("a1"));
    EXPECT_FALSE(s.lisp.isFunction("a2"));
    EXPECT_TRUE(s.lisp.isFunction("c:other"));
    // A defun replaces an external definition, which then can no longer be undefined.
    s.Run("(defun c:other () 'mine)");
    EXPECT_EQ(s.lisp.undefineExternal("c:other", 2), RTERROR);
    EXPECT_EQ(s.Run("(c:other)"), "MINE");

    EXPECT_TRUE(s.lisp.isFunction("car"));
    EXPECT_TRUE(s.lisp.isFunction("C:OTHER"));
    EXPECT_FALSE(s.lisp.isFunction("if"));  // a special form is not called with values
    EXPECT_FALSE(s.lisp.isFunction("nosuch"));
    s.Run("(setq num 5 lam '(lambda (x) x))");
    EXPECT_FALSE(s.lisp.isFunction("num"));
    EXPECT_TRUE(s.lisp.isFunction("lam"));
}

TEST(LispSymbols, PutAndGet) {
    LispSession s;
    resbuf* v = acutBuildList(RTLB, RTSHORT, 1, RTSTR, "two", RTLB, RTREAL, 3.0, RTLE, RTLE, 0);
    ASSERT_EQ(s.lisp.putSymbol("myList", v), RTNORM);
    acutRelRb(v);
    EXPECT_EQ(s.Run("mylist"), "(1 \"two\" (3.0))");
    EXPECT_EQ(s.lisp.putSymbol("", nullptr), RTERROR);
    EXPECT_EQ(s.lisp.putSymbol("nil", nullptr), RTERROR);

    resbuf* got = nullptr;
    ASSERT_EQ(s.lisp.getSymbol("MYLIST", &got), RTNORM);
    EXPECT_EQ(Describe(got), "RTLB, RTSHORT 1, RTSTR \"two\", RTLB, RTREAL 3, RTLE, RTLE");
    acutRelRb(got);
    s.Run("(setq pt '(1 2 3) big 40000 gone nil)");
    ASSERT_EQ(s.lisp.getSymbol("pt", &got), RTNORM);
    EXPECT_EQ(Describe(got), "RT3DPOINT 1 2 3");
    acutRelRb(got);
    ASSERT_EQ(s.lisp.getSymbol("big", &got), RTNORM);
    EXPECT_EQ(Describe(got), "RTLONG 40000");
    acutRelRb(got);
    ASSERT_EQ(s.lisp.getSymbol("gone", &got), RTNORM);
    EXPECT_EQ(Describe(got), "RTNIL");
    acutRelRb(got);
    ASSERT_EQ(s.lisp.getSymbol("neverseen", &got), RTNORM);
    EXPECT_EQ(Describe(got), "RTNIL");
    acutRelRb(got);
    EXPECT_EQ(s.lisp.getSymbol("car", &got), RTERROR);
    EXPECT_EQ(got, nullptr);
}

TEST(LispSymbols, InvokeAndEvaluateGiveChains) {
    LispSession s;
    s.Run("(defun twice (x) (* 2 x))");
    resbuf* args = acutBuildList(RTSTR, "twice", RTSHORT, 21, 0);
    resbuf* result = nullptr;
    ASSERT_EQ(s.lisp.invoke(args, &result), RTNORM);
    EXPECT_EQ(Describe(result), "RTSHORT 42");
    acutRelRb(result);
    acutRelRb(args);

    args = acutBuildList(RTSTR, "length", RTLB, RTSHORT, 1, RTSHORT, 2, RTSHORT, 3, RTSHORT, 4, RTLE, 0);
    ASSERT_EQ(s.lisp.invoke(args, &result), RTNORM);
    EXPECT_EQ(Describe(result), "RTSHORT 4");
    acutRelRb(result);
    acutRelRb(args);

    s.host.out.clear();
    args = acutBuildList(RTSTR, "nosuch", 0);
    EXPECT_EQ(s.lisp.invoke(args, &result), RTERROR);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(s.host.out, "; error: no function definition: NOSUCH");
    acutRelRb(args);

    const struct {
        const char* text;
        int status;
        const char* chain;
    } table[] = {
        {"(list 1 \"a\")", RTNORM, "RTLB, RTSHORT 1, RTSTR \"a\", RTLE"},
        {"(princ)", RTNORM, "RTVOID"},
        {"nil", RTNORM, "RTNIL"},
        {"", RTNORM, "RTNIL"},
        {"(setq a 1) (+ a 70000)", RTNORM, "RTLONG 70001"},
        {"car", RTNORM, ""},
        {"(car 1)", RTERROR, ""},
    };
    for (const auto& c : table) {
        resbuf* r = nullptr;
        EXPECT_EQ(s.lisp.evaluate(c.text, &r), c.status) << c.text;
        EXPECT_EQ(Describe(r), c.chain) << c.text;
        acutRelRb(r);
    }
}

TEST(LispSymbols, ModuleCallsBackIntoTheInterpreter) {
    LispSession s;
    s.Run("(defun helper (n) (+ n 1))");
    s.host.external = [&](const LispExternalFunction&, const resbuf* args, resbuf** result, CString&) {
        resbuf* call = acutBuildList(RTSTR, "helper", RTSHORT, args->resval.rint, 0);
        const int status = s.lisp.invoke(call, result);
        acutRelRb(call);
        resbuf* marker = acutBuildList(RTSTR, "from module", 0);
        s.lisp.putSymbol("note", marker);
        acutRelRb(marker);
        return status == RTNORM ? RSRSLT : RSERR;
    };
    s.lisp.defineExternal("viamodule", 1, nullptr);
    EXPECT_EQ(s.Run("(list (viamodule 9) note)"), "(10 \"from module\")");
    // An error in the nested call is reported there and fails the module's function too.
    s.Run("(defun helper (n) (car n))");
    EXPECT_EQ(s.Run("(viamodule 3)"), "; error: bad argument type: consp 3\n; error: ADS request error");
}

TEST(LispQueue, ExpressionsRunInOrderOnceIdle) {
    LispSession s;
    s.lisp.queueExpression("(setq order (cons 1 order))");
    s.lisp.queueExpression("(setq order (cons 2 order))");
    EXPECT_TRUE(s.lisp.hasQueuedExpressions());
    s.host.external = [&](const LispExternalFunction&, const resbuf*, resbuf**, CString&) {
        s.lisp.queueExpression("(setq order (cons 4 order))");
        s.lisp.runQueuedExpressions();  // not idle: nothing runs here
        return RSRSLT;
    };
    s.lisp.defineExternal("queuemore", 1, nullptr);
    s.lisp.queueExpression("(progn (queuemore) (setq order (cons 3 order)))");
    EXPECT_EQ(s.Run("order"), "nil");
    s.host.out.clear();
    s.lisp.runQueuedExpressions();
    EXPECT_FALSE(s.lisp.hasQueuedExpressions());
    EXPECT_EQ(s.Run("order"), "(4 3 2 1)");
}

TEST(LispHostFunctions, VariablesCommandsAndFiles) {
    LispSession s;
    s.host.setInt("OSMODE", 3);
    s.host.setInt("DWGNAME", 0);
    s.host.readOnly.insert("DWGNAME");
    EXPECT_EQ(s.Run("(getvar \"osmode\")"), "3");
    EXPECT_EQ(s.Run("(setvar \"OSMODE\" 5)"), "5");
    EXPECT_EQ(s.Run("(getvar \"OSMODE\")"), "5");
    EXPECT_EQ(s.Run("(setvar \"dwgname\" 1)"), "; error: variable setting rejected: \"DWGNAME\"");
    EXPECT_EQ(s.Run("(getvar \"nosuch\")"), "nil");
    EXPECT_EQ(s.Run("(getvar 1)"), "; error: bad argument type: stringp 1");
    EXPECT_EQ(s.Run("(setvar \"OSMODE\" car)").rfind("; error: bad argument type: #<SUBR", 0), 0u);

    EXPECT_EQ(s.Run("(command \"LINE\" '(0 0) '(10 0 5) \"\")"), "nil");
    ASSERT_EQ(s.host.commands.size(), 1u);
    EXPECT_EQ(s.host.commands[0], "RTSTR \"LINE\", RTPOINT 0 0, RT3DPOINT 10 0 5, RTSTR \"\"");
    EXPECT_EQ(s.Run("(vl-cmdf \"CIRCLE\" '(0 0) 2.5)"), "T");
    EXPECT_EQ(s.host.commands[1], "RTSTR \"CIRCLE\", RTPOINT 0 0, RTREAL 2.5");
    EXPECT_EQ(s.Run("(command)"), "nil");
    EXPECT_EQ(s.host.commands[2], "");
    EXPECT_EQ(s.Run("(command \"LINE\" pause pause \"\")"), "nil");
    EXPECT_EQ(s.host.commands[3], "RTSTR \"LINE\", RTSTR \"\\\", RTSTR \"\\\", RTSTR \"\"");
    s.host.commandStatus = RTERROR;
    EXPECT_EQ(s.Run("(vl-cmdf \"BAD\")"), "nil");
    EXPECT_EQ(s.Run("(command \"BAD\")"), "nil");
    s.host.commandStatus = RTCAN;
    EXPECT_EQ(s.Run("(command \"LINE\")"), "; error: Function cancelled");

    TempDir dir;
    dir.Touch("support/found.lsp", "(+ 1 1)");
    s.host.searchFolder = dir.File("support");
    EXPECT_EQ(s.Run("(findfile \"found.lsp\")"), "\"" + dir.File("support") + "/found.lsp\"");
    EXPECT_EQ(s.Run("(findfile \"missing.lsp\")"), "nil");
}

TEST(LispHostFunctions, SelectionSetsAreFreedWhenUnreferenced) {
    LispSession s;
    s.host.selection = {{1, 100}, {1, 101}, {1, 102}};
    EXPECT_EQ(s.Run("(setq ss (ssget) copy ss) (sslength ss)"), "3");
    EXPECT_EQ(s.Run("(type ss)"), "PICKSET");
    EXPECT_EQ(s.Run("(setq ss nil)"), "nil");
    EXPECT_TRUE(s.host.freed.empty());  // `copy` still refers to it
    EXPECT_EQ(s.Run("(sslength copy)"), "3");
    EXPECT_EQ(s.Run("(setq copy nil)"), "nil");
    ASSERT_EQ(s.host.freed.size(), 1u);
    EXPECT_EQ(s.host.freed[0], 1);
    // A set that never reaches a variable is freed right after its evaluation.
    EXPECT_EQ(s.Run("(sslength (ssget))"), "3");
    EXPECT_EQ(s.host.freed.size(), 2u);
}

}  // namespace
