// The functions that reach the drawing and the editor: entity data lists on a real database
// (made, read, changed, erased, walked, found by handle), selection sets and prompts through the
// host, and the point geometry.
#include <gtest/gtest.h>

#include "acad/AcDb.h"
#include "FakeLispHost.h"

namespace {

struct LispDrawing : ::testing::Test {
    AcDbDatabase db;
    LispSession s;
    void SetUp() override {
        s.host.db = &db;
        AcDbLayerTable* layers = nullptr;
        ASSERT_EQ(db.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
        auto* duct = new AcDbLayerTableRecord;
        duct->setName("DUCT");
        layers->add(duct);
        duct->close();
        AcDbRegAppTable* apps = nullptr;
        layers->close();
        ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
        auto* app = new AcDbRegAppTableRecord;
        app->setName("NUVAPP");
        apps->add(app);
        app->close();
        apps->close();
    }
    void TearDown() override {
        EXPECT_EQ(db.numOpenObjects(), 0);
        // The interpreter restores whatever database was working before each call.
        EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
    }
};

TEST_F(LispDrawing, EntityDataLists) {
    EXPECT_EQ(s.Run("(entlast)"), "nil");
    EXPECT_EQ(s.Run("(entmake '((0 . \"LINE\") (8 . \"0\") (10 0.0 0.0 0.0) (11 10 0)))"),
              "((0 . \"LINE\") (8 . \"0\") (10 0.0 0.0 0.0) (11 10 0))");
    EXPECT_EQ(s.Run("(setq e (entlast)) (type e)"), "ENAME");
    EXPECT_EQ(s.Run("(cdr (assoc 0 (entget e)))"), "\"LINE\"");
    EXPECT_EQ(s.Run("(cdr (assoc 11 (entget e)))"), "(10.0 0.0 0.0)");
    EXPECT_EQ(s.Run("(equal (cdr (assoc -1 (entget e))) e)"), "T");
    EXPECT_EQ(s.Run("(equal (handent (cdr (assoc 5 (entget e)))) e)"), "T");
    EXPECT_EQ(s.Run("(handent \"FFFFF\")"), "nil");
    EXPECT_EQ(s.Run("(equal (entnext) e)"), "T");
    EXPECT_EQ(s.Run("(entnext e)"), "nil");

    // Change the layer through a modified data list.
    EXPECT_EQ(s.Run("(setq d (entget e)) (entmod (subst (cons 8 \"DUCT\") (assoc 8 d) d)) (cdr (assoc 8 (entget e)))"),
              "\"DUCT\"");
    // Extended data comes back under -3 for the applications asked for.
    EXPECT_EQ(s.Run("(entmod (append (entget e) '((-3 (\"NUVAPP\" (1000 . \"tag\") (1070 . 7)))))) "
                    "(cadr (assoc -3 (entget e '(\"NUVAPP\"))))"),
              "(\"NUVAPP\" (1000 . \"tag\") (1070 . 7))");
    EXPECT_EQ(s.Run("(assoc -3 (entget e))"), "nil");

    EXPECT_EQ(s.Run("(equal (entdel e) e)"), "T");
    EXPECT_EQ(s.Run("(entget e)"), "nil");
    EXPECT_EQ(s.Run("(entlast)"), "nil");
    EXPECT_EQ(s.Run("(entdel e) (cdr (assoc 0 (entget e)))"), "\"LINE\"");

    EXPECT_EQ(s.Run("(entmake '((0 . \"NOSUCHTYPE\")))"), "nil");
    EXPECT_EQ(s.Run("(entmake '((0 . \"LINE\") (10 . \"x\")))"), "; error: bad DXF group: (10 . \"x\")");
    EXPECT_EQ(s.Run("(entmake '((0 . \"LINE\") 5))"), "; error: bad DXF group: 5");
    EXPECT_EQ(s.Run("(entmake '((\"x\" . 1)))"), "; error: bad DXF group: (\"x\" . 1)");
    EXPECT_EQ(s.Run("(entget 1)"), "; error: bad argument type: lentityp 1");
    EXPECT_EQ(s.Run("(entget e '(1))"), "; error: bad argument type: stringp 1");
    EXPECT_EQ(s.Run("(entmake)"), "nil");
}

TEST_F(LispDrawing, SelectionSets) {
    s.host.selection = {{1, 100}, {1, 101}};
    EXPECT_EQ(s.Run("(setq ss (ssget \"W\" '(0 0) '(10 10) '((0 . \"LINE\") (8 . \"DUCT\")))) (sslength ss)"), "2");
    EXPECT_EQ(s.host.ssGetCall, "mode=W pt1=0,0 pt2=10,10 filter=code 0 \"LINE\", code 8 \"DUCT\"");
    EXPECT_EQ(s.Run("(ssname ss 1)"), "<Entity name: 65>");
    EXPECT_EQ(s.Run("(ssname ss 2)"), "nil");
    EXPECT_EQ(s.Run("(ssname ss -1)"), "nil");
    EXPECT_EQ(s.Run("(ssget \"F\" '((0 0) (5 5 1) (10 0)))"), "<Selection set: 2>");
    EXPECT_EQ(s.host.ssGetCall, "mode=F points=RT3DPOINT 0 0 0, RT3DPOINT 5 5 1, RT3DPOINT 10 0 0");
    s.Run("(ssget '(5 6))");
    EXPECT_EQ(s.host.ssGetCall, "mode=(none) pt1=5,6");
    s.Run("(ssget \"_X\" '((-4 . \"<OR\") (0 . \"LINE\") (0 . \"ARC\") (-4 . \"OR>\")))");
    EXPECT_EQ(s.host.ssGetCall,
              "mode=_X filter=code -4 \"<OR\", code 0 \"LINE\", code 0 \"ARC\", code -4 \"OR>\"");
    s.Run("(ssget)");
    EXPECT_EQ(s.host.ssGetCall, "mode=(none)");
    EXPECT_EQ(s.Run("(ssget \"X\" '((0 . \"LINE\")) 1)"), "; error: too many arguments");
    s.host.ssGetStatus = RTERROR;
    EXPECT_EQ(s.Run("(ssget \"X\")"), "nil");
    s.host.ssGetStatus = RTCAN;
    EXPECT_EQ(s.Run("(ssget)"), "; error: Function cancelled");

    EXPECT_EQ(s.Run("(setq e (ssname ss 0) n (ssadd)) (sslength n)"), "0");
    EXPECT_EQ(s.Run("(eq (ssadd e n) n)"), "T");
    EXPECT_EQ(s.Run("(sslength n)"), "1");
    EXPECT_EQ(s.Run("(equal (ssmemb e n) e)"), "T");
    EXPECT_EQ(s.Run("(equal (ssname n 0) e)"), "T");
    EXPECT_EQ(s.Run("(eq (ssdel e n) n)"), "T");
    EXPECT_EQ(s.Run("(ssdel e n)"), "nil");
    EXPECT_EQ(s.Run("(ssmemb e n)"), "nil");
    EXPECT_EQ(s.Run("(sslength (ssadd e))"), "1");
    EXPECT_EQ(s.Run("(ssname 1 0)"), "; error: bad argument type: lselsetp 1");
    EXPECT_EQ(s.Run("(ssadd ss)"), "; error: bad argument type: lentityp <Selection set: 1>");
}

TEST_F(LispDrawing, Prompts) {
    FakeLispHost::Answer point;
    point.point[0] = 1;
    point.point[1] = 2;
    point.point[2] = 3;
    s.host.answers = {point, point, point};
    EXPECT_EQ(s.Run("(getpoint)"), "(1.0 2.0 3.0)");
    EXPECT_EQ(s.Run("(getpoint '(1 2) \"\nPick: \")"), "(1.0 2.0 3.0)");
    EXPECT_EQ(s.Run("(getpoint \"\nPick: \")"), "(1.0 2.0 3.0)");
    EXPECT_EQ(s.host.prompts, (std::vector<std::string>{"getpoint", "getpoint base=1,2,0 prompt=\nPick: ",
                                                         "getpoint prompt=\nPick: "}));
    EXPECT_EQ(s.Run("(getpoint)"), "; error: Function cancelled");  // the script ran out: a cancel
    FakeLispHost::Answer none;
    none.status = RTNONE;
    FakeLispHost::Answer keyword;
    keyword.status = RTKWORD;
    s.host.keyword = "Undo";
    s.host.answers = {none, keyword};
    EXPECT_EQ(s.Run("(getpoint)"), "nil");
    EXPECT_EQ(s.Run("(initget 7 \"Undo Close\") (getpoint)"), "\"Undo\"");
    EXPECT_EQ(s.host.initGetCall, "7 Undo Close");
    s.Run("(initget \"A B\")");
    EXPECT_EQ(s.host.initGetCall, "0 A B");
    s.Run("(initget 1)");
    EXPECT_EQ(s.host.initGetCall, "1");
    EXPECT_EQ(s.Run("(initget \"A\" 1)"), "; error: bad argument type: stringp 1");

    FakeLispHost::Answer real, integer, text, entity;
    real.real = 2.5;
    integer.integer = 42;
    text.text = "a b";
    entity.entity[0] = 1;
    entity.entity[1] = 100;
    entity.point[0] = 4;
    s.host.prompts.clear();
    s.host.answers = {real, integer, text, text, text, real, real, point, entity};
    EXPECT_EQ(s.Run("(getreal \"R: \")"), "2.5");
    EXPECT_EQ(s.Run("(getint)"), "42");
    EXPECT_EQ(s.Run("(getstring t \"Name: \")"), "\"a b\"");
    EXPECT_EQ(s.Run("(getstring \"Name: \")"), "\"a b\"");
    EXPECT_EQ(s.Run("(getkword)"), "\"a b\"");
    EXPECT_EQ(s.Run("(getdist '(0 0 0))"), "2.5");
    EXPECT_EQ(s.Run("(getangle)"), "2.5");
    EXPECT_EQ(s.Run("(getcorner '(1 1) \"C: \")"), "(1.0 2.0 3.0)");
    EXPECT_EQ(s.Run("(entsel \"\nSelect: \")"), "(<Entity name: 64> (4.0 0.0 0.0))");
    EXPECT_EQ(s.host.prompts,
              (std::vector<std::string>{"getreal prompt=R: ", "getint", "getstring spaces prompt=Name: ",
                                        "getstring prompt=Name: ", "getkword", "getdist base=0,0,0", "getangle",
                                        "getcorner base=1,1,0 prompt=C: ", "entsel prompt=\nSelect: "}));
    EXPECT_EQ(s.Run("(getcorner)"), "; error: too few arguments");
    EXPECT_EQ(s.Run("(getreal 1)"), "; error: bad argument type: stringp 1");
}

// A host without an editor: every prompt is a cancel.
struct BareHost : NUVAcad::LispHost {
    std::string out;
    void print(const CString& text) override { out += text.str(); }
    int callExternal(const NUVAcad::LispExternalFunction&, const resbuf*, resbuf**, CString&) override { return RSERR; }
    bool findFile(const CString&, CString&) override { return false; }
    AcDbDatabase* database() override { return nullptr; }
};

TEST(LispBareHost, PromptsCancel) {
    BareHost host;
    NUVAcad::LispInterpreter lisp(host);
    lisp.evaluateCommandLine("(getpoint)");
    EXPECT_EQ(host.out, "; error: Function cancelled");
    host.out.clear();
    lisp.evaluateCommandLine("(list (getvar \"CLAYER\") (findfile \"x\") (vl-cmdf \"LINE\"))");
    EXPECT_EQ(host.out, "(nil nil nil)");
}

TEST(LispGeometry, PolarAngleDistanceInters) {
    LispSession s;
    const struct {
        const char* input;
        const char* shown;
    } table[] = {
        {"(polar '(1 1) 0 2)", "(3.0 1.0)"},
        {"(polar '(1 2 3) 0 1)", "(2.0 2.0 3.0)"},
        {"(equal (polar '(0 0) (/ pi 2) 1) '(0 1) 1e-12)", "T"},
        {"(angle '(0 0) '(0 1))", "1.5708"},
        {"(angle '(0 0) '(1 -1))", "5.49779"},
        {"(angle '(0 0 0) '(1 0 5))", "0.0"},
        {"(distance '(0 0) '(3 4))", "5.0"},
        {"(distance '(0 0 0) '(0 0 5))", "5.0"},
        {"(distance '(0 0) '(0 0 5))", "0.0"},
        {"(distance 1 '(0 0))", "; error: bad argument type: 2D/3D point: 1"},
        {"(distance '(1 2 3 4) '(0 0))", "; error: bad argument type: 2D/3D point: (1 2 3 4)"},
        {"(polar '(0 0) \"a\" 1)", "; error: bad argument type: numberp: \"a\""},
        {"(inters '(0 0) '(10 10) '(0 10) '(10 0))", "(5.0 5.0)"},
        {"(inters '(0 0) '(1 1) '(0 10) '(10 0))", "nil"},
        {"(inters '(0 0) '(1 1) '(0 10) '(10 0) nil)", "(5.0 5.0)"},
        {"(inters '(0 0) '(1 0) '(0 1) '(1 1) nil)", "nil"},
    };
    for (const auto& c : table) EXPECT_EQ(s.Run(c.input), c.shown) << c.input;
}

}  // namespace
