// The drawing and changing commands from a scripted user: REDO after U, AutoLISP's redraw,
// ARC in each of its ways, PLINE with widths, Undo and Close, TEXT with Chinese text, ROTATE and
// SCALE with Reference and Copy. What they drew is read back by ezdxf from the saved drawing;
// the expected geometry is worked out by hand in the comments.
#include <cmath>
#include <string>

#include "CommandFixture.h"
#include "acad/AcDbText.h"
#include "acad/AcEdOutput.h"
#include "acad/HostLisp.h"
#include "acad/ResBuf.h"
#include "acad/SysVars.h"
#include "acad/UndoLog.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using DrawCommands = CommandTest;

// ---- REDO ----

TEST_F(DrawCommands, RedoBringsBackWhatUUndidOnceAndOnlyRightAfterIt) {
    ASSERT_EQ(RTNORM, Run("LINE", {"0,0", "10,0", "<>"}));
    ASSERT_EQ(RTNORM, Run("LINE", {"0,5", "10,5", "<>"}));
    const int steps = NUVAcad::undoLogOf(db).numSteps();
    ASSERT_EQ(RTNORM, Run("UNDO", {"2"}));
    EXPECT_TRUE(ModelSpace().empty());
    out.take();
    ASSERT_EQ(RTNORM, Run("REDO", {}));
    EXPECT_EQ(2u, ModelSpace().size()) << "both lines the UNDO took back";
    EXPECT_TRUE(Has(out.text(), "Redone: LINE LINE")) << out.text();
    EXPECT_EQ(steps, NUVAcad::undoLogOf(db).numSteps()) << "each redone command is a step again";
    out.take();
    ASSERT_EQ(RTNORM, Run("REDO", {}));
    EXPECT_TRUE(Has(out.text(), "Nothing to redo")) << out.text();
    EXPECT_EQ(2u, ModelSpace().size());
    // U after REDO, a command in between: REDO has nothing left.
    ASSERT_EQ(RTNORM, Run("U", {}));
    EXPECT_EQ(1u, ModelSpace().size());
    ASSERT_EQ(RTNORM, Run("CIRCLE", {"50,50", "5"}));
    out.take();
    ASSERT_EQ(RTNORM, Run("REDO", {}));
    EXPECT_TRUE(Has(out.text(), "Nothing to redo")) << out.text();
    EXPECT_EQ(2u, ModelSpace().size()) << "the first line and the circle";
    // REDO leaves no undo step of its own: U after it undoes the redone command.
    ASSERT_EQ(RTNORM, Run("U", {}));
    ASSERT_EQ(RTNORM, Run("_.REDO", {}));
    ASSERT_EQ(RTNORM, Run("U", {}));
    EXPECT_EQ(1u, ModelSpace().size());
}

// ---- (redraw) ----

TEST_F(DrawCommands, LispRedrawSetsTheEntitysStateOrRedrawsTheView) {
    AcDbObjectId id = Line(0, 0, 10, 0);
    NUVAcad::Display& d = NUVAcad::displayOf(db);
    ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine("(setq e (entlast))"));
    struct Row {
        const char* expr;
        bool blanked, highlighted;
    };
    // Each row starts from the state the row before left.
    const Row rows[] = {
        {"(redraw e 2)", true, false},  {"(redraw e 1)", false, false}, {"(redraw e 3)", false, true},
        {"(redraw e 4)", false, false}, {"(redraw e 2)", true, false},  {"(redraw e)", false, false},
        {"(redraw e 5)", false, false},  // a mode the host does not know changes nothing
        {"(redraw e 0)", false, false},
    };
    for (const Row& r : rows) {
        out.take();
        ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine(r.expr)) << r.expr;
        EXPECT_TRUE(Has(out.text(), "nil")) << r.expr << " returns nil: " << out.text();
        EXPECT_EQ(r.blanked, d.isBlanked(id)) << r.expr;
        EXPECT_EQ(r.highlighted, d.isHighlighted(id)) << r.expr;
    }
    long before = d.counters().fullRedraws;
    ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine("(redraw)"));
    EXPECT_EQ(before + 1, d.counters().fullRedraws);
    out.take();
    NUVAcad::LispCommandLine("(redraw \"e\")");
    EXPECT_TRUE(Has(out.text(), "bad argument type: lentityp \"e\"")) << out.text();
    out.take();
    NUVAcad::LispCommandLine("(redraw e 2.0)");
    EXPECT_TRUE(Has(out.text(), "bad argument type: fixnump: 2.0")) << out.text();
    EXPECT_FALSE(d.isBlanked(id));
    out.take();
    NUVAcad::LispCommandLine("(redraw e 1 2)");
    EXPECT_TRUE(Has(out.text(), "too many arguments")) << out.text();
}

// ---- ARC ----

TEST_F(DrawCommands, ArcEachWay) {
    struct Row {
        std::initializer_list<const char*> answers;
        const char* expected;  // ezdxf: centre, radius, start..end angle in degrees
    };
    const Row rows[] = {
        // Through (0,0), (5,5), (10,0): clockwise, so the arc runs anticlockwise from (10,0).
        {{"0,0", "5,5", "10,0"}, "ARC \"0\" 5,0 r=5 a=0..180"},
        {{"10,0", "5,5", "0,0"}, "ARC \"0\" 5,0 r=5 a=0..180"},
        {{"0,0", "5,-5", "10,0"}, "ARC \"0\" 5,0 r=5 a=180..0"},
        // Centre, start, end: the end point gives the direction only.
        {{"C", "0,0", "10,0", "0,3"}, "ARC \"0\" 0,0 r=10 a=0..90"},
        {{"C", "0,0", "10,0", "A", "45"}, "ARC \"0\" 0,0 r=10 a=0..45"},
        // Start, centre, end.
        {{"10,0", "C", "0,0", "-5,0"}, "ARC \"0\" 0,0 r=10 a=0..180"},
        // Start, end, centre; start, end, radius (negative: the major arc about (10,10)).
        {{"0,0", "E", "10,0", "5,5"}, "ARC \"0\" 5,5 r=7.071068 a=225..315"},
        {{"10,0", "E", "0,10", "R", "10"}, "ARC \"0\" 0,0 r=10 a=0..90"},
        {{"10,0", "E", "0,10", "R", "-10"}, "ARC \"0\" 10,10 r=10 a=270..180"},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(RTNORM, Run("ARC", r.answers)) << r.expected;
        std::string report = Peer("entities");
        EXPECT_TRUE(Has(report, "ERRORS 0\n")) << report;
        EXPECT_TRUE(Has(report, std::string(r.expected) + "\n")) << r.expected << "\n" << report;
        ASSERT_EQ(RTNORM, Run("U", {}));
        ASSERT_TRUE(ModelSpace().empty());
    }
}

TEST_F(DrawCommands, ArcRefusesWhatMakesNoArcAndFollowsTheUcs) {
    out.take();
    EXPECT_EQ(RTERROR, Run("ARC", {"0,0", "5,0", "10,0"}));
    EXPECT_TRUE(Has(out.text(), "the three points lie on one line")) << out.text();
    EXPECT_EQ(RTERROR, Run("ARC", {"0,0", "E", "10,0", "R", "4"}));
    EXPECT_TRUE(Has(out.text(), "less than half the distance")) << out.text();
    EXPECT_TRUE(ModelSpace().empty());
    // Cancelled half way: nothing drawn.
    EXPECT_EQ(RTCAN, Run("ARC", {"0,0", "^C"}));
    EXPECT_TRUE(ModelSpace().empty());
    // The UCS turned 90 degrees: its X axis is the world's Y axis.
    ASSERT_EQ(RTNORM, Run("UCS", {"Z", "90"}));
    ASSERT_EQ(RTNORM, Run("ARC", {"C", "0,0", "10,0", "0,10"}));
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "ARC \"0\" 0,0 r=10 a=90..180\n")) << report;
}

// ---- PLINE ----

TEST_F(DrawCommands, PlineWithWidthsUndoAndClose) {
    out.take();
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "W", "1", "<>", "10,0", "10,10", "W", "0.5", "2", "0,10", "U", "0,20", "C"}));
    EXPECT_TRUE(Has(out.text(), "Current line-width is 0.0000")) << out.text();
    // Widths belong to the segment that starts at a vertex; after the tapered segment the next
    // starts with its ending width. The vertex at (0,10) was taken back.
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "ERRORS 0\n")) << report;
    EXPECT_TRUE(Has(report, "LWPOLYLINE \"0\" closed=1 w=0 0,0/1,1/0 10,0/1,1/0 10,10/0.5,2/0 0,20/2,2/0\n")) << report;
    ASSERT_EQ(1u, ModelSpace().size());
    // The next polyline starts with the last width; Enter ends it open.
    out.take();
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "5,5", "<>"}));
    EXPECT_TRUE(Has(out.text(), "Current line-width is 2.0000")) << out.text();
    ASSERT_EQ(2u, ModelSpace().size());
    // U takes a whole polyline back.
    ASSERT_EQ(RTNORM, Run("U", {}));
    ASSERT_EQ(RTNORM, Run("U", {}));
    EXPECT_TRUE(ModelSpace().empty());
}

TEST_F(DrawCommands, PlineBoundaries) {
    out.take();
    // Undo with nothing drawn; Close offered only from the second segment on.
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "U", "C", "5,0", "C", "5,5", "C"}));
    EXPECT_TRUE(Has(out.text(), "All segments already undone.")) << out.text();
    EXPECT_TRUE(Has(out.text(), "Specify next point or [Arc/Halfwidth/Length/Undo/Width]: ")) << out.text();
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "LWPOLYLINE \"0\" closed=1 w=0 0,0/0,0/0 5,0/0,0/0 5,5/0,0/0\n")) << report;
    ASSERT_EQ(RTNORM, Run("U", {}));
    // One point only, then Enter: no polyline. Undone back to one point: none either.
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "<>"}));
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "5,0", "U", "<>"}));
    EXPECT_TRUE(ModelSpace().empty());
    // Halfwidth doubles; a negative width is refused and asked again. One width throughout is
    // the polyline's constant width.
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "H", "-1", "0.25", "<>", "8,0", "<>"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "LWPOLYLINE \"0\" closed=0 w=0.5 0,0/0,0/0 8,0/0,0/0\n")) << report;
    // Cancel in the middle keeps the segments drawn so far, as LINE does.
    ASSERT_EQ(RTCAN, Run("PLINE", {"0,50", "10,50", "^C"}));
    EXPECT_EQ(2u, ModelSpace().size());
}

TEST_F(DrawCommands, PlineArcsTangentToThePathAndLengthStraightOn) {
    struct Row {
        std::initializer_list<const char*> answers;
        const char* expected;  // ezdxf: x,y/start width,end width/bulge per vertex
    };
    const Row rows[] = {
        // Length first: along the X axis. Then a half circle (leaving eastwards, ending due
        // north: included 180, bulge tan 45 = 1), which turns the path west; Length goes on west;
        // an arc to (0,4) from (6,10) heading west has half its included angle 225-180 = 45
        // (bulge tan 22.5 = 0.414214) and leaves heading south, where Length goes on.
        {{"0,0", "L", "10", "A", "10,10", "L", "L", "4", "A", "0,4", "L", "L", "2", "<>"},
         "LWPOLYLINE \"0\" closed=0 w=0 0,0/0,0/0 10,0/0,0/1 10,10/0,0/0 6,10/0,0/0.414214 0,4/0,0/0 0,2/0,0/0"},
        // Clockwise: heading east, an end point down-right turns right (negative bulge).
        {{"0,0", "10,0", "A", "20,-10", "<>"}, "LWPOLYLINE \"0\" closed=0 w=0 0,0/0,0/0 10,0/0,0/-0.414214 20,-10/0,0/0"},
        // Close in arc mode: from (10,10) heading west, back to (0,0) at 225: bulge tan 22.5.
        {{"0,0", "10,0", "A", "10,10", "C"}, "LWPOLYLINE \"0\" closed=1 w=0 0,0/0,0/0 10,0/0,0/1 10,10/0,0/0.414214"},
        // Undo of an arc takes its bulge back too; the arc after it starts from the new end.
        {{"0,0", "10,0", "A", "10,10", "U", "20,10", "<>"}, "LWPOLYLINE \"0\" closed=0 w=0 0,0/0,0/0 10,0/0,0/0.414214 20,10/0,0/0"},
        // An arc end straight ahead is a line (bulge 0); straight behind, or the point itself,
        // makes no arc and is asked again.
        {{"0,0", "10,0", "A", "15,0", "0,0", "15,0", "L", "15,5", "<>"}, "LWPOLYLINE \"0\" closed=0 w=0 0,0/0,0/0 10,0/0,0/0 15,0/0,0/0 15,5/0,0/0"},
        // Widths carry into arc segments.
        {{"0,0", "W", "2", "<>", "A", "0,10", "<>"}, "LWPOLYLINE \"0\" closed=0 w=2 0,0/0,0/1 0,10/0,0/0"},
    };
    for (const Row& r : rows) {
        out.take();
        ASSERT_EQ(RTNORM, Run("PLINE", r.answers)) << r.expected;
        std::string report = Peer("entities");
        EXPECT_TRUE(Has(report, "ERRORS 0\n")) << report;
        EXPECT_TRUE(Has(report, std::string(r.expected) + "\n")) << r.expected << "\n" << report << out.text();
        ASSERT_EQ(RTNORM, Run("U", {}));
        ASSERT_TRUE(ModelSpace().empty());
        ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "W", "0", "<>", "<>"}));  // back to width 0
    }
}

TEST_F(DrawCommands, PlineArcModePromptsAndRefusals) {
    out.take();
    ASSERT_EQ(RTNORM, Run("PLINE", {"0,0", "A", "C", "10,0", "-5,0", "10,0", "C", "<>"}));
    const std::string text = out.text();
    EXPECT_TRUE(Has(text, "Specify endpoint of arc or [Halfwidth/Line/Undo/Width]: ")) << text;
    EXPECT_TRUE(Has(text, "Specify endpoint of arc or [Close/Halfwidth/Line/Undo/Width]: ")) << text;
    EXPECT_TRUE(Has(text, "Invalid arc: no arc tangent to the last segment ends at that point.")) << text;
    // Two straight vertices heading east: the closing arc would have to turn right round.
    EXPECT_TRUE(Has(text, "Invalid arc: no arc tangent to the last segment closes the polyline.")) << text;
    EXPECT_EQ(1u, ModelSpace().size());
    // Length refuses zero and negative lengths and asks again; cancel keeps what was drawn.
    out.take();
    ASSERT_EQ(RTCAN, Run("PLINE", {"0,50", "10,50", "L", "0", "-3", "^C"}));
    EXPECT_TRUE(Has(out.text(), "Specify length of line: ")) << out.text();
    EXPECT_EQ(2u, ModelSpace().size());
}

// ---- TEXT ----

TEST_F(DrawCommands, TextLinesWithHeightRotationAndChineseTextKeptExactly) {
    const std::string chinese = "\xB7\xE7\xB9\xDC DN100";  // "feng guan" (duct) in GBK
    Script({"2,3", "5", "30"});
    input.text(chinese);
    Script({"second line", "<>"});
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TEXT"));
    // The second line starts 5/3 of the height below the first, across the rotation:
    // (2 + sin 30 * 8.333333, 3 - cos 30 * 8.333333) = (6.166667, -4.216878).
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "TEXT \"0\" 2,3 h=5 rot=30 style=\"Standard\" \"\\u98ce\\u7ba1 DN100\"\n")) << report;
    EXPECT_TRUE(Has(report, "TEXT \"0\" 6.166667,-4.216878 h=5 rot=30 style=\"Standard\" \"second line\"\n")) << report;
    resbuf rb;
    ASSERT_EQ(RTNORM, acedGetVar("TEXTSIZE", &rb));
    EXPECT_EQ(5, rb.resval.rreal) << "the height typed becomes the drawing's text size";

    // Saved and read again, the text is the same bytes.
    std::string path = tmp.File("text.dxf");
    ASSERT_EQ(Acad::eOk, db->saveAs(path.c_str()));
    AcDbDatabase back(false, true);
    ASSERT_EQ(Acad::eOk, back.readDwgFile(path.c_str()));
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(ms, back.modelSpaceId(), AcDb::kForRead));
    ASSERT_FALSE(ms->entityIds().empty());
    AcDbText* t = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(t, ms->entityIds().front(), AcDb::kForRead));
    EXPECT_EQ(chinese, t->textStringConst());
    t->close();
    ms->close();

    // Enter keeps the height and the last rotation; an empty first line draws nothing.
    ASSERT_EQ(RTNORM, Run("TEXT", {"0,0", "<>", "<>", "<>"}));
    EXPECT_EQ(2u, ModelSpace().size());
    ASSERT_EQ(RTNORM, Run("TEXT", {"0,0", "<>", "<>", "third", "<>"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "TEXT \"0\" 0,0 h=5 rot=30 style=\"Standard\" \"third\"\n")) << report;
    // A zero or negative height is refused and asked again.
    ASSERT_EQ(RTNORM, Run("TEXT", {"0,40", "0", "-2", "1.5", "0", "x", "<>"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "TEXT \"0\" 0,40 h=1.5 rot=0 style=\"Standard\" \"x\"\n")) << report;
}

TEST_F(DrawCommands, TextJustifiedEachWayKeepsTheAlignmentPointAndModes) {
    // "ABC" at height 2 is taken as 6 wide (one cell of the height per byte): centred, the start
    // is 3 back; right, 6 back; middle lines 1 below the typed point, top 2, bottom 2/3 above.
    struct Row {
        const char* option;
        const char* prompt;
        const char* expected;  // ezdxf: start, then "j=horizontal,vertical at=alignment point"
    };
    const Row rows[] = {
        {"L", "Specify start point of text: ", "10,20 h=2 rot=0 style=\"Standard\" \"ABC\"\n"},
        {"C", "Specify center point of text: ", "7,20 h=2 rot=0 style=\"Standard\" \"ABC\" j=1,0 at=10,20\n"},
        {"R", "Specify right endpoint of text baseline: ", "4,20 h=2 rot=0 style=\"Standard\" \"ABC\" j=2,0 at=10,20\n"},
        {"M", "Specify middle point of text: ", "7,19 h=2 rot=0 style=\"Standard\" \"ABC\" j=4,0 at=10,20\n"},
        {"TL", "Specify top-left point of text: ", "10,18 h=2 rot=0 style=\"Standard\" \"ABC\" j=0,3 at=10,20\n"},
        {"tc", "Specify top-center point of text: ", "7,18 h=2 rot=0 style=\"Standard\" \"ABC\" j=1,3 at=10,20\n"},
        {"TR", "Specify top-right point of text: ", "4,18 h=2 rot=0 style=\"Standard\" \"ABC\" j=2,3 at=10,20\n"},
        {"ML", "Specify middle-left point of text: ", "10,19 h=2 rot=0 style=\"Standard\" \"ABC\" j=0,2 at=10,20\n"},
        {"MC", "Specify middle point of text: ", "7,19 h=2 rot=0 style=\"Standard\" \"ABC\" j=1,2 at=10,20\n"},
        {"MR", "Specify middle-right point of text: ", "4,19 h=2 rot=0 style=\"Standard\" \"ABC\" j=2,2 at=10,20\n"},
        {"BL", "Specify bottom-left point of text: ", "10,20.666667 h=2 rot=0 style=\"Standard\" \"ABC\" j=0,1 at=10,20\n"},
        {"BC", "Specify bottom-center point of text: ", "7,20.666667 h=2 rot=0 style=\"Standard\" \"ABC\" j=1,1 at=10,20\n"},
        {"BR", "Specify bottom-right point of text: ", "4,20.666667 h=2 rot=0 style=\"Standard\" \"ABC\" j=2,1 at=10,20\n"},
    };
    for (const Row& r : rows) {
        out.take();
        ASSERT_EQ(RTNORM, Run("TEXT", {"J", r.option, "10,20", "2", "0", "ABC", "<>"})) << r.option;
        EXPECT_TRUE(Has(out.text(), r.prompt)) << r.option << "\n" << out.text();
        std::string report = Peer("entities");
        EXPECT_TRUE(Has(report, "ERRORS 0\n")) << report;
        EXPECT_TRUE(Has(report, std::string("TEXT \"0\" ") + r.expected)) << r.option << ": " << r.expected << report;
        ASSERT_EQ(RTNORM, Run("U", {}));
        ASSERT_TRUE(ModelSpace().empty());
    }
}

TEST_F(DrawCommands, TextJustifiedTurnedAndOverSeveralLines) {
    out.take();
    // Turned 90 degrees, middle-centre at (10,20): along the text is +Y, up is -X, so the start
    // is 3 back along and 1 down: (10 + 1, 20 - 3).
    ASSERT_EQ(RTNORM, Run("TEXT", {"J", "X", "MC", "10,20", "2", "90", "ABC", "<>"}));
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "TEXT \"0\" 11,17 h=2 rot=90 style=\"Standard\" \"ABC\" j=1,2 at=10,20\n")) << report;
    ASSERT_EQ(RTNORM, Run("U", {}));
    // The next line keeps the justification, its point 5/3 of the height lower: 20 - 3.333333.
    ASSERT_EQ(RTNORM, Run("TEXT", {"J", "TL", "10,20", "2", "0", "ABC", "DE", "<>"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "TEXT \"0\" 10,18 h=2 rot=0 style=\"Standard\" \"ABC\" j=0,3 at=10,20\n")) << report;
    EXPECT_TRUE(Has(report, "TEXT \"0\" 10,14.666667 h=2 rot=0 style=\"Standard\" \"DE\" j=0,3 at=10,16.666667\n"))
        << report;
    // Enter is no option; cancel at the option draws nothing.
    out.take();
    EXPECT_EQ(RTCAN, Run("TEXT", {"J", "<>", "^C"}));
    EXPECT_EQ(2u, ModelSpace().size());
}

// ---- ROTATE and SCALE ----

TEST_F(DrawCommands, RotateByAngleReferenceAndCopy) {
    Line(10, 0, 20, 0);
    ASSERT_EQ(RTNORM, Run("ROTATE", {"ALL", "<>", "0,0", "90"}));
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "LINE \"0\" 0,10 0,20\n")) << report;
    // Reference: from 90 degrees to 180 is a further quarter turn.
    ASSERT_EQ(RTNORM, Run("ROTATE", {"ALL", "<>", "0,0", "R", "90", "180"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "LINE \"0\" -10,0 -20,0\n")) << report;
    // Copy: the original stays.
    ASSERT_EQ(RTNORM, Run("ROTATE", {"ALL", "<>", "-10,0", "C", "-90"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "LINE \"0\" -10,0 -20,0\n")) << report;
    EXPECT_TRUE(Has(report, "LINE \"0\" -10,0 -10,10\n")) << report;
    // Enter at the angle: no turn. Nothing selected: nothing asked further.
    ASSERT_EQ(RTNORM, Run("ROTATE", {"ALL", "<>", "0,0", "<>"}));
    EXPECT_TRUE(Has(Peer("entities"), "LINE \"0\" -10,0 -20,0\n"));
    ASSERT_EQ(RTNORM, Run("ROTATE", {"<>"}));
    // Every ROTATE is a step, those that changed nothing too: the third U takes the copy.
    ASSERT_EQ(RTNORM, Run("UNDO", {"3"}));
    EXPECT_EQ(1u, ModelSpace().size()) << "the copy undone";
}

TEST_F(DrawCommands, ScaleByFactorReferenceAndCopy) {
    Append(new AcDbCircle(AcGePoint3d(5, 0, 0), AcGeVector3d::kZAxis, 2));
    out.take();
    ASSERT_EQ(RTNORM, Run("SCALE", {"ALL", "<>", "0,0", "0", "-1", "2"}));
    EXPECT_TRUE(Has(out.text(), "Value must be positive and nonzero.")) << out.text();
    std::string report = Peer("entities");
    EXPECT_TRUE(Has(report, "CIRCLE \"0\" 10,0 r=4\n")) << report;
    // Reference 2, new length 6: three times.
    ASSERT_EQ(RTNORM, Run("SCALE", {"ALL", "<>", "10,0", "R", "2", "6"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "CIRCLE \"0\" 10,0 r=12\n")) << report;
    ASSERT_EQ(RTNORM, Run("SCALE", {"ALL", "<>", "0,0", "C", "0.5"}));
    report = Peer("entities");
    EXPECT_TRUE(Has(report, "CIRCLE \"0\" 10,0 r=12\n")) << report;
    EXPECT_TRUE(Has(report, "CIRCLE \"0\" 5,0 r=6\n")) << report;
    EXPECT_EQ(RTCAN, Run("SCALE", {"ALL", "<>", "0,0", "^C"}));
    EXPECT_EQ(2u, ModelSpace().size());
}

}  // namespace
