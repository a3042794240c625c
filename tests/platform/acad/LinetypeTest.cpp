// Line-type files: the reader on good and bad definitions (every error with its line and
// column), and loading a real file into a drawing, checked through the drawing's own records and
// through ezdxf reading the saved drawing.
#include <gtest/gtest.h>

#include <cmath>

#include "EditorFixture.h"
#include "TempDir.h"
#include "acad/LinFile.h"
#include "acad/LinetypeLoader.h"
#include "acad/UndoLog.h"

using NUVAcad::LinElement;
using NUVAcad::ParseLinFile;

namespace {

const char kFile[] =
    ";; Line types of the duct drawings\r\n"
    ";; (comments and blank lines are skipped)\r\n"
    "\r\n"
    "*DASHED2,Dashed (half) _ _ _\r\n"
    "A,.25,-.125\r\n"
    "*DOTS,Dots . . . .\n"
    "A,0,-.25\n"
    "  *CENTER3,Center ____ _ ____\n"
    "  A, 1.25 , -.25, .25, -.25\n"
    "*SUPPLY,Supply air ---SA---SA---\n"
    "A,.5,-.2,[\"SA\",STANDARD,S=.1,R=0.0,X=-0.1,Y=-.05],-.25\n"
    "*RETURN,Return air (upright text)\n"
    "A,.5,-.2,[\"RA, 2\",standard,S=.1,A=90,X=-0.1,Y=-.05],-.25\n"
    "*FENCE1,Fence with circles\n"
    "A,.25,-.1,[CIRC1,ltypeshp.shx,x=-.1,s=.1],-.1,1\n";

TEST(LinFile, ReadsSimpleAndComplexDefinitions) {
    NUVAcad::LinFile f = ParseLinFile(kFile, "duct.lin");
    EXPECT_TRUE(f.errors.empty()) << f.errors[0];
    ASSERT_EQ(f.types.size(), 6u);
    EXPECT_EQ(f.types[0].name, "DASHED2");
    EXPECT_EQ(f.types[0].description, "Dashed (half) _ _ _");
    ASSERT_EQ(f.types[0].elements.size(), 2u);
    EXPECT_EQ(f.types[0].elements[1].length, -0.125);
    EXPECT_EQ(f.types[0].patternLength(), 0.375);
    EXPECT_EQ(f.types[1].elements[0].length, 0.0);
    EXPECT_EQ(f.types[2].name, "CENTER3");
    EXPECT_EQ(f.types[2].elements.size(), 4u);
    EXPECT_EQ(f.types[2].patternLength(), 2.0);

    const auto& sa = f.types[3].elements;
    ASSERT_EQ(sa.size(), 3u);
    EXPECT_EQ(sa[0].kind, LinElement::Plain);
    EXPECT_EQ(sa[1].kind, LinElement::Text);  // the text rides on the gap before it
    EXPECT_EQ(sa[1].length, -0.2);
    EXPECT_EQ(sa[1].text, "SA");
    EXPECT_EQ(sa[1].style, "STANDARD");
    EXPECT_EQ(sa[1].scale, 0.1);
    EXPECT_EQ(sa[1].x, -0.1);
    EXPECT_EQ(sa[1].y, -0.05);
    EXPECT_FALSE(sa[1].absoluteRotation);

    const auto& ra = f.types[4].elements[1];
    EXPECT_EQ(ra.text, "RA, 2");  // a comma inside quotes is text
    EXPECT_TRUE(ra.absoluteRotation);
    EXPECT_NEAR(ra.rotation, M_PI / 2, 1e-15);

    const auto& fence = f.types[5].elements;
    ASSERT_EQ(fence.size(), 4u);
    EXPECT_EQ(fence[1].kind, LinElement::Shape);
    EXPECT_EQ(fence[1].text, "CIRC1");
    EXPECT_EQ(fence[1].style, "ltypeshp.shx");
    EXPECT_EQ(fence[1].x, -0.1);
    EXPECT_EQ(fence[3].length, 1.0);
}

TEST(LinFile, RotationUnits) {
    const struct {
        const char* value;
        double radians;
    } rows[] = {{"90", M_PI / 2}, {"90d", M_PI / 2}, {"1.5r", 1.5}, {"100g", M_PI / 2}, {"-45", -M_PI / 4}};
    for (const auto& r : rows) {
        std::string text = std::string("*T\nA,1,[\"X\",S,R=") + r.value + "],-1\n";
        NUVAcad::LinFile f = ParseLinFile(text, "r.lin");
        ASSERT_EQ(f.types.size(), 1u) << r.value << (f.errors.empty() ? "" : f.errors[0]);
        EXPECT_NEAR(f.types[0].elements[0].rotation, r.radians, 1e-15) << r.value;
    }
}

// Each row: a file, and the one error it must give (file:line:column: what).
TEST(LinFile, ErrorsNameTheLineAndColumn) {
    const struct {
        const char* text;
        const char* error;
    } rows[] = {
        {"*A\nB,1,-1\n", "e.lin:2:1: the alignment must be A"},
        {"*A\nA,1,-x\n", "e.lin:2:5: \"-x\" is not a length"},
        {"*A\nA,1,-1e999\n", "e.lin:2:5: \"-1e999\" is not a length"},
        {"*A\nA\n", "e.lin:2:1: no dash lengths"},
        {"*A\nA,-1,1\n", "e.lin:2:3: with alignment A the pattern must begin with a dash or a dot"},
        {"*A\nA,1,1\n", "e.lin:2:5: with alignment A the second length must be a gap"},
        {"*A\nA,1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1\n", "e.lin:2:33: more than 12 dash lengths"},
        {"*A\nA,[\"X\",S],1,-1\n", "e.lin:2:3: a text or shape before any dash length"},
        {"*A\nA,1,[\"X\",S,Q=1],-1\n", "e.lin:2:12: unknown setting \"Q=1\""},
        {"*A\nA,1,[\"X\",S,S=big],-1\n", "e.lin:2:12: \"S=big\" has no number"},
        {"*A\nA,1,[\"X\",S,R=1,A=2],-1\n", "e.lin:2:16: two rotations in one element"},
        {"*A\nA,1,[\"X],-1\n", "e.lin:2:6: a bracket or quote that is not closed"},
        {"*A\nA,1,[\"X\",S,-1\n", "e.lin:2:5: a bracket or quote that is not closed"},
        {"*A\nA,1,[\"X\"],-1\n", "e.lin:2:6: a text needs a text style"},
        {"*A\nA,1,[X\"Y,S],-1\n", "e.lin:2:7: a bracket or quote that is not closed"},
        {"*A\nA,1,[\"X\",S][\"Y\",S],-1\n", "e.lin:2:12: text after the closing bracket"},
        {"*A\nA,1,[\"X\",S],[\"Y\",S],-1\n", "e.lin:2:13: two texts or shapes after one dash length"},
        {"*A\n*B\nA,1,-1\n", "e.lin:1:1: *A has no definition line"},
        {"A,1,-1\n", "e.lin:1:1: a definition line without a *NAME line"},
        {"*A?B\nA,1,-1\n", "e.lin:1:2: \"A?B\" is not a valid line-type name"},
        {"*\nA,1,-1\n", "e.lin:1:2: \"\" is not a valid line-type name"},
        {"*A\nA,1,-1\n*a\nA,2,-2\n", "e.lin:3:2: \"a\" is defined again; the first one is kept"},
        {"*A\n", "e.lin:1:1: *A has no definition line"},
    };
    for (const auto& r : rows) {
        NUVAcad::LinFile f = ParseLinFile(r.text, "e.lin");
        ASSERT_EQ(f.errors.size(), 1u) << r.text;
        EXPECT_EQ(f.errors[0].rfind(r.error, 0), 0u) << r.text << "\n got: " << f.errors[0];
    }
}

TEST(LinFile, ABadDefinitionCostsOnlyItself) {
    NUVAcad::LinFile f = ParseLinFile("*GOOD1\nA,1,-1\n*BAD\nA,1,x\n*GOOD2\nA,2,-2\n", "m.lin");
    ASSERT_EQ(f.types.size(), 2u);
    EXPECT_EQ(f.types[0].name, "GOOD1");
    EXPECT_EQ(f.types[1].name, "GOOD2");
    EXPECT_EQ(f.errors.size(), 1u);
    // A NUL byte cannot be kept in a name or text: its definition goes, with the place.
    std::string withNul("*OK\nA,1,-1\n*T\nA,1,[\"A\0B\",S],-1\n*OK2\nA,1,-1\n", 43);
    f = ParseLinFile(withNul, "n.lin");
    ASSERT_EQ(f.types.size(), 2u);
    EXPECT_EQ(f.types[1].name, "OK2");
    ASSERT_EQ(f.errors.size(), 1u);
    EXPECT_EQ(f.errors[0], "n.lin:4:8: a NUL byte in the line");
}

struct LoadTest : EditorFixture {
    TempDir dir;
    std::string file;
    void SetUp() override {
        EditorFixture::SetUp();
        file = dir.Touch("lines/Duct.lin", kFile);
    }
    AcDbObjectId linetype(const char* name) {
        AcDbLinetypeTable* t = nullptr;
        EXPECT_EQ(db.getLinetypeTable(t, AcDb::kForRead), Acad::eOk);
        AcDbObjectId id;
        t->getAt(name, id);
        t->close();
        return id;
    }
};

TEST_F(LoadTest, LoadsOneNameAllNamesOrWildcards) {
    EXPECT_EQ(db.loadLineTypeFile("dashed2", file.c_str()), Acad::eOk);
    AcDbLinetypeTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, linetype("DASHED2"), AcDb::kForRead), Acad::eOk);
    const char* comments = nullptr;
    rec->comments(comments);
    EXPECT_STREQ(comments, "Dashed (half) _ _ _");
    EXPECT_EQ(rec->numDashes(), 2);
    EXPECT_EQ(rec->dashLengthAt(0), 0.25);
    EXPECT_EQ(rec->dashLengthAt(1), -0.125);
    EXPECT_EQ(rec->patternLength(), 0.375);
    rec->close();
    EXPECT_TRUE(linetype("DOTS").isNull());

    EXPECT_EQ(db.loadLineTypeFile("DASHED2", file.c_str()), Acad::eDuplicateRecordName);
    EXPECT_EQ(db.loadLineTypeFile("NOSUCH", file.c_str()), Acad::eKeyNotFound);
    EXPECT_EQ(db.loadLineTypeFile("*", dir.File("missing.lin").c_str()), Acad::eFileNotFound);
    // The file layer finds the folder and file in another case, with the other separator.
    std::string otherCase = dir.path() + "\\LINES\\duct.LIN";
    NUVAcad::LinetypeLoadReport report;
    EXPECT_EQ(NUVAcad::LoadLinetypes(&db, "D*,CENTER?", otherCase.c_str(), false, report), Acad::eOk);
    EXPECT_EQ(report.loaded, (std::vector<std::string>{"DOTS", "CENTER3"}));
    EXPECT_EQ(report.alreadyLoaded, std::vector<std::string>{"DASHED2"});
    EXPECT_EQ(db.loadLineTypeFile("*", file.c_str()), Acad::eOk);
    for (const char* n : {"SUPPLY", "RETURN", "FENCE1"}) EXPECT_FALSE(linetype(n).isNull()) << n;
}

TEST_F(LoadTest, ComplexElementsKeepTheirTextsShapesAndPlacement) {
    ASSERT_EQ(db.loadLineTypeFile("*", file.c_str()), Acad::eOk);
    AcDbLinetypeTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, linetype("RETURN"), AcDb::kForRead), Acad::eOk);
    EXPECT_STREQ(rec->textAt(1), "RA, 2");
    EXPECT_EQ(rec->shapeStyleAt(1), db.textstyle());  // "standard" is the drawing's Standard
    EXPECT_TRUE(rec->shapeIsUcsOrientedAt(1));
    EXPECT_NEAR(rec->shapeRotationAt(1), M_PI / 2, 1e-15);
    EXPECT_EQ(rec->shapeScaleAt(1), 0.1);
    EXPECT_EQ(rec->shapeOffsetAt(1).x, -0.1);
    EXPECT_EQ(rec->shapeOffsetAt(1).y, -0.05);
    EXPECT_STREQ(rec->textAt(0), "");
    rec->close();
    ASSERT_EQ(acdbOpenObject(rec, linetype("FENCE1"), AcDb::kForRead), Acad::eOk);
    AcDbTextStyleTableRecord* shx = nullptr;
    ASSERT_EQ(acdbOpenObject(shx, rec->shapeStyleAt(1), AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(shx->isShapeFile());
    const char* f = nullptr;
    shx->fileName(f);
    EXPECT_STREQ(f, "ltypeshp.shx");
    shx->close();
    rec->close();

    // ezdxf reads the saved drawing's LTYPE records back with the same elements.
    std::string path = dir.File("lt.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    std::string script =
        "import ezdxf,sys\n"
        "doc=ezdxf.readfile(sys.argv[1])\n"
        "print('ERRORS', len(doc.audit().errors))\n"
        "for n in ('SUPPLY','RETURN','DOTS'):\n"
        "  lt=doc.linetypes.get(n)\n"
        "  print(n, lt.dxf.description, lt.pattern_tags.is_complex_type(),\n"
        "        ' '.join('%d=%s' % (t.code, t.value) for t in lt.pattern_tags.tags if t.code in (49,74,75,9,46,50,44,45,73,40)))\n";
    std::string py = dir.Touch("read_lt.py", script);
    std::string out = RunProgram("/usr/bin/python3 '" + py + "' '" + path + "'");
    EXPECT_NE(out.find("ERRORS 0"), std::string::npos) << out;
    EXPECT_NE(out.find("SUPPLY Supply air ---SA---SA--- True 73=3 40=0.95 49=0.5 74=0 49=-0.2 74=2 75=0 46=0.1 "
                       "50=0.0 44=-0.1 45=-0.05 9=SA 49=-0.25 74=0"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("RETURN Return air (upright text) True 73=3 40=0.95 49=0.5 74=0 49=-0.2 74=3 75=0 46=0.1 "
                       "50=1.5707963267948966 44=-0.1 45=-0.05 9=RA, 2"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("DOTS Dots . . . . False 73=2 40=0.25 49=0.0 74=0 49=-0.25 74=0"), std::string::npos) << out;
}

TEST_F(LoadTest, AMissingTextStyleRefusesThatTypeAndChangesNothing) {
    std::string f2 = dir.Touch("styles.lin", "*NEEDSSTYLE\nA,.5,-.2,[\"X\",NOSTYLE],-.2\n*PLAIN\nA,1,-1\n");
    AcDbObjectId before = linetype("NEEDSSTYLE");
    NUVAcad::LinetypeLoadReport report;
    EXPECT_EQ(NUVAcad::LoadLinetypes(&db, "NEEDSSTYLE", f2.c_str(), false, report), Acad::eInvalidInput);
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_NE(report.errors[0].find("NOSTYLE"), std::string::npos) << report.errors[0];
    EXPECT_EQ(linetype("NEEDSSTYLE"), before);
    EXPECT_EQ(NUVAcad::LoadLinetypes(&db, "*", f2.c_str(), false, report), Acad::eOk);
    EXPECT_EQ(report.loaded, std::vector<std::string>{"PLAIN"});
}

TEST_F(LoadTest, ReloadRedefinesAndUndoBringsTheOldDefinitionBack) {
    ASSERT_EQ(db.loadLineTypeFile("DASHED2", file.c_str()), Acad::eOk);
    AcDbObjectId id = linetype("DASHED2");
    std::string f2 = dir.Touch("longer.lin", "*DASHED2,Longer\nA,2,-1,0,-1\n");
    NUVAcad::undoLogOf(&db).beginCommand("-LINETYPE");
    NUVAcad::LinetypeLoadReport report;
    ASSERT_EQ(NUVAcad::LoadLinetypes(&db, "DASHED2", f2.c_str(), true, report), Acad::eOk);
    NUVAcad::undoLogOf(&db).endCommand();
    EXPECT_EQ(report.reloaded, std::vector<std::string>{"DASHED2"});
    EXPECT_EQ(linetype("DASHED2"), id);  // the same record, redefined
    AcDbLinetypeTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(rec->numDashes(), 4);
    EXPECT_EQ(rec->patternLength(), 4.0);
    rec->close();
    int done = 0;
    ASSERT_EQ(NUVAcad::undoLogOf(&db).undo(1, &done), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(rec, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(rec->numDashes(), 2);
    EXPECT_EQ(rec->patternLength(), 0.375);
    rec->close();
}

}  // namespace
