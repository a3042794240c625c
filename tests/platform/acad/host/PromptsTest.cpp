// The editor's prompts answered from a scripted source: valid, invalid, keyword, empty and
// cancel answers, with the exact statuses, values and the messages printed before asking again.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "HostFixture.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcEdPrompts.h"
#include "acad/EditorState.h"
#include "acad/HostLisp.h"
#include "acad/SysVars.h"

namespace {

constexpr double kDeg = M_PI / 180.0;
const char* const kInvalidPoint = "Invalid point.\n";
const char* const kPointOrKw = "Point or option keyword required.\n";

// What the command line shows as lines (messages begin on a line of their own; how many line
// feeds separate them is the terminal's business).
std::string Lines(const std::string& text) {
    std::string out, line;
    for (char c : text + "\n") {
        if (c != '\n') {
            line += c;
        } else if (!line.empty()) {
            out += line + "\n";
            line.clear();
        }
    }
    return out;
}

class Prompts : public HostTest {
protected:
    std::string printed() { return Lines(out.take()); }
    void SetUp() override {
        HostTest::SetUp();
        NewDoc();
        out.take();
    }
    // Queues the answers: "<>" is Enter, "^C" a cancel, anything else typed text.
    void Answer(std::initializer_list<const char*> answers) {
        for (const char* a : answers) {
            std::string s = a;
            if (s == "<>") input.enter();
            else if (s == "^C") input.cancel();
            else input.text(s);
        }
    }
    void SetVar(const char* name, double v) {
        resbuf rb;
        rb.restype = RTREAL;
        rb.resval.rreal = v;
        ASSERT_EQ(RTNORM, acedSetVar(name, &rb));
    }
    void SetShort(const char* name, int v) {
        resbuf rb;
        rb.restype = RTSHORT;
        rb.resval.rint = static_cast<short>(v);
        ASSERT_EQ(RTNORM, acedSetVar(name, &rb));
    }
};

struct IntCase {
    int bits;
    const char* keywords;
    std::vector<const char*> answers;
    int status;
    int value;
    std::string printed;
};

TEST_F(Prompts, GetIntEveryAnswerKind) {
    const IntCase cases[] = {
        {0, nullptr, {"42"}, RTNORM, 42, ""},
        {0, nullptr, {"-32768"}, RTNORM, -32768, ""},
        {0, nullptr, {"32767"}, RTNORM, 32767, ""},
        {0, nullptr, {"32768", "1"}, RTNORM, 1, "Requires an integer between -32768 and 32767.\n"},
        {0, nullptr, {"2.5", "abc", "3"}, RTNORM, 3, "Requires an integer value.\nRequires an integer value.\n"},
        {0, nullptr, {"<>"}, RTNONE, 0, ""},
        {1, nullptr, {"<>", "7"}, RTNORM, 7, "Requires an integer value.\n"},
        {2, nullptr, {"0", "-1"}, RTNORM, -1, "Value must be nonzero.\n"},
        {4, nullptr, {"-1", "0"}, RTNORM, 0, "Value must be positive.\n"},
        {6, nullptr, {"0", "-5", "5"}, RTNORM, 5, "Value must be positive and nonzero.\nValue must be positive and nonzero.\n"},
        {0, "Auto Manual", {"a"}, RTKWORD, 0, ""},
        {0, "Auto Manual", {"x", "m"}, RTKWORD, 0, "Requires an integer value or option keyword.\n"},
        {128, nullptr, {"anything"}, RTKWORD, 0, ""},
        {0, nullptr, {"^C"}, RTCAN, 0, ""},
        {0, nullptr, {}, RTCAN, 0, ""},  // no input left: cancelled
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.answers.empty() ? "(none)" : c.answers.front());
        input.clear();
        for (const char* a : c.answers) Answer({a});
        acedInitGet(c.bits, c.keywords);
        int v = -999;
        EXPECT_EQ(c.status, acedGetInt("\nNumber: ", &v));
        if (c.status == RTNORM) EXPECT_EQ(c.value, v);
        else EXPECT_EQ(-999, v);
        EXPECT_EQ(c.printed, printed());
        EXPECT_EQ(0u, input.pending());
    }
}

TEST_F(Prompts, KeywordAnswerIsReadWithGetInput) {
    Answer({"man"});
    acedInitGet(0, "Auto Manual");
    int v = 0;
    ASSERT_EQ(RTKWORD, acedGetInt("\nNumber: ", &v));
    char kw[133];
    EXPECT_EQ(RTNORM, acedGetInput(kw));
    EXPECT_STREQ("Manual", kw);
    // The next prompt answered with a value: no keyword any more.
    Answer({"4"});
    ASSERT_EQ(RTNORM, acedGetInt("\nNumber: ", &v));
    EXPECT_EQ(RTERROR, acedGetInput(kw));
}

TEST_F(Prompts, InitGetAppliesToTheNextPromptOnly) {
    acedInitGet(1, "Yes");
    Answer({"<>", "y"});
    int v;
    EXPECT_EQ(RTKWORD, acedGetInt("\n? ", &v));
    EXPECT_EQ("Requires an integer value or option keyword.\n", printed());
    Answer({"<>"});
    EXPECT_EQ(RTNONE, acedGetInt("\n? ", &v));  // neither bit 1 nor the keyword is left
    Answer({"y", "1"});
    EXPECT_EQ(RTNORM, acedGetInt("\n? ", &v));
    EXPECT_EQ("Requires an integer value.\n", printed());
}

TEST_F(Prompts, GetRealAndItsChecks) {
    ads_real r = 0;
    Answer({"2.5e1"});
    EXPECT_EQ(RTNORM, acedGetReal("\nR: ", &r));
    EXPECT_DOUBLE_EQ(25, r);
    Answer({"1,2", "x", "-0.5"});
    acedInitGet(RSG_NOZERO, nullptr);
    EXPECT_EQ(RTNORM, acedGetReal("\nR: ", &r));
    EXPECT_DOUBLE_EQ(-0.5, r);
    EXPECT_EQ("Requires numeric value.\nRequires numeric value.\n", printed());
    Answer({"0", "3"});
    acedInitGet(RSG_NOZERO, nullptr);
    EXPECT_EQ(RTNORM, acedGetReal("\nR: ", &r));
    EXPECT_EQ("Value must be nonzero.\n", printed());
    input.real(1.25);  // a value given directly (acedCommand)
    EXPECT_EQ(RTNORM, acedGetReal("\nR: ", &r));
    EXPECT_DOUBLE_EQ(1.25, r);
}

TEST_F(Prompts, GetStringWithAndWithoutSpaces) {
    char buf[133];
    input.clear();
    NUVAcad::ScriptInput typed("hello big world\nhello big world\n\n", false);
    NUVAcad::InputScope scope(typed);
    EXPECT_EQ(RTNORM, acedGetString(0, "\nS: ", buf));
    EXPECT_STREQ("hello", buf);
    EXPECT_EQ(RTNORM, acedGetString(0, "\nS: ", buf));
    EXPECT_STREQ("big", buf);
    EXPECT_EQ(RTNORM, acedGetString(1, "\nS: ", buf));  // the rest of the line
    EXPECT_STREQ("world", buf);
    EXPECT_EQ(RTNORM, acedGetString(1, "\nS: ", buf));
    EXPECT_STREQ("hello big world", buf);
    EXPECT_EQ(RTNORM, acedGetString(1, "\nS: ", buf));  // Enter: an empty text, not RTNONE
    EXPECT_STREQ("", buf);
}

TEST_F(Prompts, GetStringCutsALongAnswerAtACharacterBoundary) {
    // 131 ASCII bytes then a double-byte character: only 132 bytes fit, so the character goes.
    std::string text(131, 'a');
    text += "\xD6\xD0";
    input.text(text);
    char buf[133];
    EXPECT_EQ(RTINPUTTRUNCATED, acedGetString(1, "\nS: ", buf));
    EXPECT_EQ(std::string(131, 'a'), buf);
    std::string exact(132, 'b');
    input.text(exact);
    EXPECT_EQ(RTNORM, acedGetString(1, "\nS: ", buf));
    EXPECT_EQ(exact, buf);
    input.text("abc");
    char small[3];
    EXPECT_EQ(RTINPUTTRUNCATED, acedGetString(1, "\nS: ", small, sizeof small));
    EXPECT_STREQ("ab", small);
}

TEST_F(Prompts, GetKword) {
    char kw[133];
    struct Case {
        int bits;
        std::vector<const char*> answers;
        int status;
        const char* result;
        std::string printed;
    } cases[] = {
        {0, {"w"}, RTNORM, "Window", ""},
        {0, {"q", "CROSS"}, RTNORM, "Crossing", "Invalid option keyword.\n"},
        {0, {"<>"}, RTNONE, "", ""},
        {1, {"<>", "c"}, RTNORM, "Crossing", "Invalid option keyword.\n"},
        {128, {"free text"}, RTNORM, "free text", ""},  // a scripted answer is one whole text
        {0, {"^C"}, RTCAN, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers.front());
        for (const char* a : c.answers) Answer({a});
        acedInitGet(c.bits, "Window Crossing");
        std::strcpy(kw, "");
        EXPECT_EQ(c.status, acedGetKword("\nOption [Window/Crossing]: ", kw));
        EXPECT_STREQ(c.result, kw);
        EXPECT_EQ(c.printed, printed());
        input.clear();
    }
}

TEST_F(Prompts, GetKwordReturnsTheGlobalName) {
    Answer({"F"});
    acedInitGet(0, "Shi Fou _ Yes No");
    char kw[133];
    ASSERT_EQ(RTNORM, acedGetKword("\n? ", kw));
    EXPECT_STREQ("No", kw);
    Answer({"_Yes"});
    acedInitGet(0, "Shi Fou _ Yes No");
    ASSERT_EQ(RTNORM, acedGetKword("\n? ", kw));
    EXPECT_STREQ("Yes", kw);
}

struct PointCase {
    std::vector<const char*> answers;
    bool withBase;
    int status;
    double x, y, z;
    std::string printed;
};

TEST_F(Prompts, GetPointTypedForms) {
    const ads_point base = {10, 10, 0};
    const PointCase cases[] = {
        {{"3,4"}, false, RTNORM, 3, 4, 0, ""},
        {{"3,4,5"}, false, RTNORM, 3, 4, 5, ""},
        {{"@5,0"}, true, RTNORM, 15, 10, 0, ""},
        {{"@5<90"}, true, RTNORM, 10, 15, 0, ""},
        {{"5<90"}, true, RTNORM, 0, 5, 0, ""},
        {{"@"}, true, RTNORM, 10, 10, 0, ""},
        {{"<0", "4"}, true, RTNORM, 14, 10, 0, "Angle Override: 0\n"},
        {{"4", "0,0"}, true, RTNORM, 0, 0, 0, kInvalidPoint},  // a bare distance has no direction
        {{"abc", "1,2"}, false, RTNORM, 1, 2, 0, kInvalidPoint},
        {{"<>"}, false, RTNONE, 0, 0, 0, ""},
        {{"^C"}, true, RTCAN, 0, 0, 0, ""},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.answers.front());
        for (const char* a : c.answers) Answer({a});
        ads_point p = {-1, -1, -1};
        EXPECT_EQ(c.status, acedGetPoint(c.withBase ? base : nullptr, "\nPoint: ", p));
        if (c.status == RTNORM) {
            EXPECT_NEAR(c.x, p[0], 1e-9);
            EXPECT_NEAR(c.y, p[1], 1e-9);
            EXPECT_NEAR(c.z, p[2], 1e-9);
        } else {
            EXPECT_EQ(-1, p[0]);
        }
        EXPECT_EQ(c.printed, printed());
        input.clear();
    }
}

TEST_F(Prompts, GetPointKeywordsAndNoNull) {
    ads_point p;
    acedInitGet(RSG_NONULL, "Undo Close");
    Answer({"<>", "zz", "c"});
    EXPECT_EQ(RTKWORD, acedGetPoint(nullptr, "\nNext point or [Undo/Close]: ", p));
    EXPECT_EQ(std::string(kPointOrKw) + kPointOrKw, printed());
    char kw[133];
    EXPECT_EQ(RTNORM, acedGetInput(kw));
    EXPECT_STREQ("Close", kw);
}

TEST_F(Prompts, AtSignWithoutBaseUsesTheLastPointAndPointsSetIt) {
    ads_point p;
    Answer({"7,8"});
    ASSERT_EQ(RTNORM, acedGetPoint(nullptr, "\nP: ", p));
    Answer({"@1,1"});
    ASSERT_EQ(RTNORM, acedGetPoint(nullptr, "\nP: ", p));
    EXPECT_DOUBLE_EQ(8, p[0]);
    EXPECT_DOUBLE_EQ(9, p[1]);
    resbuf rb;
    ASSERT_EQ(RTNORM, acedGetVar("LASTPOINT", &rb));
    EXPECT_DOUBLE_EQ(8, rb.resval.rpoint[0]);
    EXPECT_DOUBLE_EQ(9, rb.resval.rpoint[1]);
}

TEST_F(Prompts, PointsAreInTheCurrentUcs) {
    // A UCS moved to (100,0,0) and turned 90 degrees: user X runs along world Y.
    AcGeMatrix3d m;
    m.setCoordSystem(AcGePoint3d(100, 0, 0), AcGeVector3d(0, 1, 0), AcGeVector3d(-1, 0, 0), AcGeVector3d(0, 0, 1));
    ASSERT_EQ(Acad::eOk, acedSetCurrentUCS(m));
    ads_point p;
    Answer({"*100,5"});  // world coordinates typed: in user terms that is (5, 0)
    ASSERT_EQ(RTNORM, acedGetPoint(nullptr, "\nP: ", p));
    EXPECT_NEAR(5, p[0], 1e-9);
    EXPECT_NEAR(0, p[1], 1e-9);
    Answer({"@0,2"});
    ASSERT_EQ(RTNORM, acedGetPoint(nullptr, "\nP: ", p));
    ads_point w;
    acdbUcs2Wcs(p, w, 0);
    EXPECT_NEAR(98, w[0], 1e-9);  // user Y is world -X
    EXPECT_NEAR(5, w[1], 1e-9);
    AcGeMatrix3d back;
    ASSERT_EQ(Acad::eOk, acedGetCurrentUCS(back));
    EXPECT_TRUE(back.isEqualTo(m));
    resbuf rb;
    ASSERT_EQ(RTNORM, acedGetVar("WORLDUCS", &rb));
    EXPECT_EQ(0, rb.resval.rint);
    AcGeMatrix3d degenerate;
    degenerate.setCoordSystem(AcGePoint3d(), AcGeVector3d(1, 0, 0), AcGeVector3d(2, 0, 0), AcGeVector3d(0, 0, 1));
    EXPECT_EQ(Acad::eInvalidInput, acedSetCurrentUCS(degenerate));
}

TEST_F(Prompts, GetCornerNeedsItsBasePoint) {
    ads_point p;
    Answer({"5,5"});
    EXPECT_EQ(RTERROR, acedGetCorner(nullptr, "\nOther corner: ", p));
    const ads_point base = {0, 0, 0};
    EXPECT_EQ(RTNORM, acedGetCorner(base, "\nOther corner: ", p));
    EXPECT_DOUBLE_EQ(5, p[1]);
}

TEST_F(Prompts, GetDistByNumberOrPoints) {
    ads_real d = 0;
    const ads_point base = {1, 1, 0};
    Answer({"@3,4"});
    EXPECT_EQ(RTNORM, acedGetDist(base, "\nDistance: ", &d));
    EXPECT_DOUBLE_EQ(5, d);
    // Without a base the first point asks for a second.
    Answer({"0,0,0", "x", "0,3,4"});
    EXPECT_EQ(RTNORM, acedGetDist(nullptr, "\nDistance: ", &d));
    EXPECT_DOUBLE_EQ(5, d);
    EXPECT_EQ(kInvalidPoint, printed());
    // Bit 64: distances in the plane.
    Answer({"0,0,0", "0,3,4"});
    acedInitGet(RSG_2D, nullptr);
    EXPECT_EQ(RTNORM, acedGetDist(nullptr, "\nDistance: ", &d));
    EXPECT_DOUBLE_EQ(3, d);
    Answer({"-2", "nope", "2.5"});
    acedInitGet(RSG_NONEG, nullptr);
    EXPECT_EQ(RTNORM, acedGetDist(base, "\nDistance: ", &d));
    EXPECT_DOUBLE_EQ(2.5, d);
    EXPECT_EQ("Value must be positive.\nRequires numeric distance or second point.\n", printed());
    Answer({"0,0", "^C"});
    EXPECT_EQ(RTCAN, acedGetDist(nullptr, "\nDistance: ", &d));  // cancelled at the second point
}

TEST_F(Prompts, AnglesFollowAngbaseAndAngdir) {
    struct Case {
        double angbase;
        int angdir;
        const char* typed;
        double angle, orient;  // degrees
    } cases[] = {
        // Worked out by hand: getangle turns the typed value counter-clockwise, getorient also
        // adds the base direction.
        {0, 0, "30", 30, 30},
        {0, 0, "-90", 270, 270},
        {90, 1, "0", 0, 90},
        {90, 1, "-90", 90, 180},
        {90, 1, "90", 270, 0},
        {45, 0, "45", 45, 90},
        {0, 0, "100g", 90, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SetVar("ANGBASE", c.angbase * kDeg);
        SetShort("ANGDIR", c.angdir);
        ads_real a = -1;
        Answer({c.typed});
        ASSERT_EQ(RTNORM, acedGetAngle(nullptr, "\nAngle: ", &a));
        EXPECT_NEAR(c.angle * kDeg, a, 1e-9);
        Answer({c.typed});
        ASSERT_EQ(RTNORM, acedGetOrient(nullptr, "\nAngle: ", &a));
        EXPECT_NEAR(c.orient * kDeg, a, 1e-9);
    }
}

TEST_F(Prompts, AngleFromTwoPoints) {
    SetVar("ANGBASE", 90 * kDeg);
    const ads_point base = {0, 0, 0};
    ads_real a = 0;
    Answer({"-1,1"});  // 135 degrees from east
    ASSERT_EQ(RTNORM, acedGetOrient(base, "\nAngle: ", &a));
    EXPECT_NEAR(135 * kDeg, a, 1e-9);
    Answer({"-1,1"});
    ASSERT_EQ(RTNORM, acedGetAngle(base, "\nAngle: ", &a));
    EXPECT_NEAR(45 * kDeg, a, 1e-9);  // from the base direction (north)
    Answer({"1,1", "2,2"});
    ASSERT_EQ(RTNORM, acedGetOrient(nullptr, "\nAngle: ", &a));
    EXPECT_NEAR(45 * kDeg, a, 1e-9);
    Answer({"abc", "0"});
    acedInitGet(RSG_NOZERO, nullptr);
    Answer({"10"});
    ASSERT_EQ(RTNORM, acedGetAngle(nullptr, "\nAngle: ", &a));
    EXPECT_EQ("Requires valid numeric angle or second point.\nValue must be nonzero.\n", printed());
}

TEST_F(Prompts, ScriptedValuesOfOtherKindsAreRefused) {
    int v;
    input.point(1, 2);
    input.integer(5);
    EXPECT_EQ(RTNORM, acedGetInt("\nN: ", &v));
    EXPECT_EQ(5, v);
    EXPECT_EQ("Requires an integer value.\n", printed());
    ads_point p;
    input.point(1, 2, 3);
    EXPECT_EQ(RTNORM, acedGetPoint(nullptr, "\nP: ", p));
    EXPECT_DOUBLE_EQ(3, p[2]);
}

TEST_F(Prompts, MissingResultPointerIsAnError) {
    EXPECT_EQ(RTERROR, acedGetInt("\n", nullptr));
    EXPECT_EQ(RTERROR, acedGetPoint(nullptr, "\n", nullptr));
    EXPECT_EQ(RTERROR, acedGetString(0, "\n", nullptr));
    EXPECT_EQ(RTERROR, acedGetInput(nullptr));
}

TEST_F(Prompts, AutoLispPromptsReachTheEditor) {
    Answer({"<>", "n"});
    ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine("(progn (initget 1 \"Yes No\") (getkword \"\\nOK? \"))"));
    std::string shown = out.take();
    EXPECT_NE(std::string::npos, shown.find("Invalid option keyword.")) << shown;
    EXPECT_NE(std::string::npos, shown.find("\"No\"")) << shown;
    Answer({"@3,4"});
    ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine("(getpoint '(1 1 0))"));
    shown = out.take();
    EXPECT_NE(std::string::npos, shown.find("(4.0 5.0 0.0)")) << shown;
}

TEST_F(Prompts, EchoedScriptShowsPromptAnswerAndMessage) {
    input.setEcho(true);
    Answer({"x", "4"});
    int v;
    ASSERT_EQ(RTNORM, acedGetInt("\nHow many: ", &v));
    EXPECT_EQ("\nHow many: x\nRequires an integer value.\nHow many: 4\n", out.take());
}

}  // namespace
