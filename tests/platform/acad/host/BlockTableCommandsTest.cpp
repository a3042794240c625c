// Blocks, layers and line types from a scripted user: BLOCK, INSERT and -INSERT (from the
// drawing and from drawing files found along the search path), WBLOCK to files read back by
// ezdxf, -LAYER with every option, -LINETYPE loading a real .lin file. Each command is one undo
// step, current settings included.
#include <cstdlib>
#include <string>

#include "CommandFixture.h"
#include "acad/AcEdOutput.h"
#include "acad/ResBuf.h"
#include "acad/SysVars.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using BlockCommands = CommandTest;
using TableCommands = CommandTest;

// ---- BLOCK and INSERT ----

TEST_F(BlockCommands, BlockTakesTheObjectsAboutTheBasePointAndInsertPlacesIt) {
    Line(0, 0, 10, 0);
    Line(0, 0, 0, 10);
    ASSERT_EQ(RTNORM, Run("BLOCK", {"B1", "5,5", "ALL", "<>"}));
    EXPECT_TRUE(ModelSpace().empty()) << "the objects went into the block";
    std::string report = Peer("blocks");
    EXPECT_TRUE(Has(report, "ERRORS 0\n")) << report;
    EXPECT_TRUE(Has(report, "B \"B1\" 0,0 2\n")) << report;
    EXPECT_TRUE(Has(report, "  LINE \"0\" -5,-5 5,-5\n")) << report;
    EXPECT_TRUE(Has(report, "  LINE \"0\" -5,-5 -5,5\n")) << report;

    ASSERT_EQ(RTNORM, Run("INSERT", {"B1", "20,20", "2", "<>", "90"}));
    ASSERT_EQ(RTNORM, Run("-INSERT", {"<>", "0,0", "<>", "3", "<>"}));  // Enter: the block inserted last
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "INSERT \"0\" \"B1\" 20,20 s=2,2 rot=90\n")) << report;
    EXPECT_TRUE(Has(report, "INSERT \"0\" \"B1\" 0,0 s=1,3 rot=0\n")) << report;

    // Redefining is asked; a definition that would hold a reference to itself is refused.
    out.take();
    ASSERT_EQ(RTNORM, Run("BLOCK", {"B1", "<>"}));
    EXPECT_TRUE(Has(out.text(), "Block \"B1\" already exists. Redefine it? [Yes/No] <N>: ")) << out.text();
    EXPECT_EQ(RTERROR, Run("BLOCK", {"B1", "Y", "0,0", "ALL", "<>"}));
    EXPECT_TRUE(Has(out.text(), "references itself")) << out.text();
    EXPECT_EQ(2u, ModelSpace().size());
    // Names the table cannot take are asked again.
    ASSERT_EQ(RTNORM, Run("BLOCK", {"a<b", "*X", "<>"}));
    EXPECT_TRUE(Has(out.text(), "Invalid block name \"a<b\".")) << out.text();
    EXPECT_TRUE(Has(out.text(), "Invalid block name \"*X\".")) << out.text();

    // Back over the three BLOCKs that changed nothing, the two insertions and the block: its
    // objects are in model space again.
    ASSERT_EQ(RTNORM, Run("UNDO", {"6"}));
    EXPECT_EQ(2u, ModelSpace().size());
    EXPECT_FALSE(Has(Peer("blocks"), "\"B1\""));
}

TEST_F(BlockCommands, InsertReadsADrawingFileFoundAlongTheSearchPath) {
    {
        AcDbDatabase part(true, true);
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(Acad::eOk, acdbOpenObject(ms, part.modelSpaceId(), AcDb::kForWrite));
        auto* c = new AcDbCircle(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 3);
        ASSERT_EQ(Acad::eOk, ms->appendAcDbEntity(c));
        c->close();
        ms->close();
        ASSERT_EQ(Acad::eOk, part.saveAs(tmp.File("part.dxf").c_str()));
    }
    // A path without its extension; then a block name for a file on the support path.
    ASSERT_EQ(RTNORM, Run("INSERT", {tmp.File("part").c_str(), "10,0", "<>", "<>", "<>"}));
    setenv("NUV_SUPPORT_PATH", tmp.path().c_str(), 1);
    int st = Run("INSERT", {"valve=part", "20,0", "<>", "<>", "45"});
    unsetenv("NUV_SUPPORT_PATH");
    ASSERT_EQ(RTNORM, st);
    std::string report = Peer("blocks");
    EXPECT_TRUE(Has(report, "B \"part\" 0,0 1\n  CIRCLE \"0\" 1,2 r=3\n")) << report;
    EXPECT_TRUE(Has(report, "B \"valve\" 0,0 1\n  CIRCLE \"0\" 1,2 r=3\n")) << report;
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "INSERT \"0\" \"part\" 10,0 s=1,1 rot=0\n")) << report;
    EXPECT_TRUE(Has(report, "INSERT \"0\" \"valve\" 20,0 s=1,1 rot=45\n")) << report;
    // Neither a block nor a file: said so, nothing drawn.
    out.take();
    EXPECT_EQ(RTERROR, Run("INSERT", {"nosuch"}));
    EXPECT_TRUE(Has(out.text(), "Block \"nosuch\" not found")) << out.text();
    EXPECT_EQ(2u, ModelSpace().size());
}

// ---- WBLOCK ----

TEST_F(BlockCommands, WblockWritesSelectedObjectsABlockOrTheDrawing) {
    Line(0, 0, 10, 0);
    Line(100, 100, 110, 100);
    const std::string sel = tmp.File("sel");
    ASSERT_EQ(RTNORM, Run("WBLOCK", {sel.c_str(), "<>", "100,100", "W", "90,90", "120,120", "<>"}));
    std::string report = PeerOfFile("entities", sel + ".dxf");
    EXPECT_TRUE(Has(report, "ERRORS 0\nLINE \"0\" 0,0 10,0\n")) << report;
    EXPECT_EQ(1u, ModelSpace().size()) << "the objects written out leave the drawing";
    ASSERT_EQ(RTNORM, Run("U", {}));
    EXPECT_EQ(2u, ModelSpace().size());

    ASSERT_EQ(RTNORM, Run("BLOCK", {"Pump", "10,0", "W", "-5,-5", "15,5", "<>"}));
    const std::string pump = tmp.File("Pump.dxf");
    ASSERT_EQ(RTNORM, Run("WBLOCK", {pump.c_str(), "="}));
    report = PeerOfFile("entities", pump);
    EXPECT_TRUE(Has(report, "ERRORS 0\nLINE \"0\" -10,0 0,0\n")) << report;
    const std::string whole = tmp.File("whole.dxf");
    ASSERT_EQ(RTNORM, Run("WBLOCK", {whole.c_str(), "*"}));
    report = PeerOfFile("entities", whole);
    EXPECT_TRUE(Has(report, "LINE \"0\" 100,100 110,100\n")) << report;
    report = PeerOfFile("blocks", whole);
    EXPECT_TRUE(Has(report, "B \"Pump\" 0,0 1\n")) << report;

    // An existing file is replaced only when the user says so; a .dwg name is refused.
    std::string before = ReadAll(whole);
    out.take();
    ASSERT_EQ(RTNORM, Run("WBLOCK", {whole.c_str(), "<>"}));
    EXPECT_TRUE(Has(out.text(), "A drawing with this name already exists. Replace it? [Yes/No] <N>: ")) << out.text();
    EXPECT_EQ(before, ReadAll(whole));
    EXPECT_EQ(RTERROR, Run("WBLOCK", {tmp.File("x.dwg").c_str()}));
    EXPECT_TRUE(Has(out.text(), "needs the .dxf extension")) << out.text();
    EXPECT_EQ(RTERROR, Run("WBLOCK", {tmp.File("y").c_str(), "NoSuchBlock"}));
    EXPECT_FALSE(NUVWin::PathExists(CString(tmp.File("y.dxf"))));
    // A folder that is not there: the file cannot be written and the drawing keeps its objects.
    EXPECT_EQ(RTERROR, Run("WBLOCK", {tmp.File("none/z").c_str(), "<>", "0,0", "ALL", "<>"}));
    EXPECT_TRUE(Has(out.text(), "Cannot write")) << out.text();
    EXPECT_EQ(1u, ModelSpace().size());
}

// ---- -LAYER ----

TEST_F(TableCommands, LayerOptions) {
    out.take();
    ASSERT_EQ(RTNORM, Run("-LAYER", {"M", "DUCT", "N", "A,B", "C", "red", "A,B", "C", "300", "blue", "DUCT", "OFF", "A",
                                     "F", "B", "LO", "DUCT", "L", "Continuous", "A", "S", "0", "F", "0", "ON", "Z*",
                                     "M", "a<b", "S", "NOPE", "<>"}));
    const std::string& said = out.text();
    EXPECT_TRUE(Has(said, "Current layer:  \"DUCT\"")) << said;
    EXPECT_TRUE(Has(said, "Requires a color number from 1 to 255")) << said;
    EXPECT_TRUE(Has(said, "Cannot freeze layer \"0\": it is the CURRENT layer.")) << said;
    EXPECT_TRUE(Has(said, "No matching layer(s) found for \"Z*\".")) << said;
    EXPECT_TRUE(Has(said, "Invalid layer name \"a<b\".")) << said;
    EXPECT_TRUE(Has(said, "Cannot find layer \"NOPE\".")) << said;
    std::string report = Peer("layers");
    EXPECT_TRUE(Has(report, "ERRORS 0\nCLAYER \"0\"\n")) << report;
    EXPECT_TRUE(Has(report, "L \"0\" 7 \"Continuous\" frozen=0 locked=0 off=0\n")) << report;
    EXPECT_TRUE(Has(report, "L \"A\" 1 \"Continuous\" frozen=0 locked=0 off=1\n")) << report;
    EXPECT_TRUE(Has(report, "L \"B\" 1 \"Continuous\" frozen=1 locked=0 off=0\n")) << report;
    EXPECT_TRUE(Has(report, "L \"DUCT\" 5 \"Continuous\" frozen=0 locked=1 off=0\n")) << report;

    // The current layer is turned off only when the user confirms; wildcards reach many.
    ASSERT_EQ(RTNORM, Run("-LAYER", {"OFF", "<>", "<>", "OFF", "0", "Y", "T", "*", "U", "D?CT", "<>"}));
    report = Peer("layers");
    EXPECT_TRUE(Has(report, "L \"0\" 7 \"Continuous\" frozen=0 locked=0 off=1\n")) << report;
    EXPECT_TRUE(Has(report, "L \"B\" 1 \"Continuous\" frozen=0 locked=0 off=0\n")) << report;
    EXPECT_TRUE(Has(report, "L \"DUCT\" 5 \"Continuous\" frozen=0 locked=0 off=0\n")) << report;

    // Each -LAYER is one step, the current layer with it.
    ASSERT_EQ(RTNORM, Run("-LAYER", {"M", "PIPE", "<>"}));
    resbuf rb;
    ASSERT_EQ(RTNORM, acedGetVar("CLAYER", &rb));
    EXPECT_STREQ("PIPE", rb.resval.rstring);
    acutDelString(rb.resval.rstring);
    ASSERT_EQ(RTNORM, Run("U", {}));
    ASSERT_EQ(RTNORM, acedGetVar("CLAYER", &rb));
    EXPECT_STREQ("0", rb.resval.rstring);
    acutDelString(rb.resval.rstring);
    ASSERT_EQ(RTNORM, Run("U", {}));
    ASSERT_EQ(RTNORM, Run("U", {}));
    report = Peer("layers");
    EXPECT_FALSE(Has(report, "\"DUCT\"")) << report;
    EXPECT_FALSE(Has(report, "\"PIPE\"")) << report;
}

// ---- -LINETYPE ----

TEST_F(TableCommands, LinetypeLoadsFromALinFileAndSetsTheCurrentOne) {
    const std::string lin = tmp.Touch("lines.lin",
                                      ";; two line types\n"
                                      "*DASHED,Dashed __ __ __\n"
                                      "A,.5,-.25\n"
                                      "*CENTER2,Center (.5x) ____ _ ____\n"
                                      "A,.75,-.125,.125,-.125\n");
    out.take();
    ASSERT_EQ(RTNORM, Run("-LINETYPE", {"L", "DASHED", lin.c_str(), "S", "NOPE", "DASHED", "<>"}));
    EXPECT_TRUE(Has(out.text(), "Linetype \"DASHED\" loaded.")) << out.text();
    EXPECT_TRUE(Has(out.text(), "Linetype \"NOPE\" is not loaded.")) << out.text();
    ASSERT_EQ(RTNORM, Run("LINE", {"0,0", "10,0", "<>"}));
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "LINE \"0\" 0,0 10,0 lt=\"DASHED\"\n")) << report;
    report = Peer("linetypes");
    EXPECT_TRUE(Has(report, "CELTYPE \"DASHED\"\n")) << report;
    EXPECT_TRUE(Has(report, "T \"DASHED\" \"Dashed __ __ __\" total=0.75 0.5 -0.25\n")) << report;

    // Loading again asks about what is there; Enter at the file takes the last one.
    out.take();
    ASSERT_EQ(RTNORM, Run("-LINETYPE", {"L", "*", "<>", "N", "<>"}));
    EXPECT_TRUE(Has(out.text(), "Linetype \"DASHED\" is already loaded.  Reload it? [Yes/No] <Y>: ")) << out.text();
    EXPECT_TRUE(Has(out.text(), "Linetype \"CENTER2\" loaded.")) << out.text();
    report = Peer("linetypes");
    EXPECT_TRUE(Has(report, "T \"CENTER2\" \"Center (.5x) ____ _ ____\" total=1.125 0.75 -0.125 0.125 -0.125\n")) << report;
    out.take();
    ASSERT_EQ(RTNORM, Run("-LINETYPE", {"L", "NONE", "<>", "L", "X", tmp.File("missing").c_str(), "<>"}));
    EXPECT_TRUE(Has(out.text(), "No linetype matching \"NONE\"")) << out.text();
    EXPECT_TRUE(Has(out.text(), "Cannot find file")) << out.text();

    // Undone, the line type setting goes back with the command: four steps, the two -LINETYPEs
    // that loaded nothing new or CENTER2, the line, the first -LINETYPE.
    ASSERT_EQ(RTNORM, Run("UNDO", {"4"}));
    report = Peer("linetypes");
    EXPECT_TRUE(Has(report, "CELTYPE \"ByLayer\"\n")) << report;
    EXPECT_FALSE(Has(report, "\"DASHED\"")) << report;
}

}  // namespace
