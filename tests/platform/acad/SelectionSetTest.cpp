// Selection sets: every filter operator and grouping against a known drawing, the geometric
// modes with windows, polygons and fences, Last and Previous, the set functions and the limit of
// open sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "EditorFixture.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/Display.h"

namespace {

struct Rb {
    resbuf* p;
    explicit Rb(resbuf* r) : p(r) {}
    ~Rb() { acutRelRb(p); }
};

// A drawing whose entities every case below refers to by name.
struct SelectionTest : EditorFixture {
    std::map<std::string, AcDbObjectId> e;

    void SetUp() override {
        EditorFixture::SetUp();
        addLayer("DUCT", 5);
        addLayer("PIPE", 2);
        addLayer("duct-2", 4);
        e["L1"] = addLine({0, 0, 0}, {10, 0, 0}, 1);
        setLayer(e["L1"], "DUCT");
        e["L2"] = addLine({0, 5, 0}, {10, 5, 0});
        setLayer(e["L2"], "PIPE");
        auto* c = new AcDbCircle({20, 0, 0}, AcGeVector3d::kZAxis, 2.0);
        c->setColorIndex(3);
        e["C1"] = append(c);
        setLayer(e["C1"], "DUCT");
        AcDbRegAppTable* apps = nullptr;
        ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
        auto* app = new AcDbRegAppTableRecord;
        app->setName("NUVAPP");
        ASSERT_EQ(apps->add(app), Acad::eOk);
        app->close();
        apps->close();
        AcDbEntity* ent = nullptr;
        ASSERT_EQ(acdbOpenObject(ent, e["C1"], AcDb::kForWrite), Acad::eOk);
        Rb x(acutBuildList(1001, "NUVAPP", 1000, "duct", 0));
        ASSERT_EQ(ent->setXData(x.p), Acad::eOk);
        ent->close();
        e["T1"] = append(new AcDbText({30, 0, 0}, "\xB7\xE7\xB9\xDC", db.textstyle(), 2.5));  // two Chinese characters
        auto* pl = new AcDbPolyline;
        pl->addVertexAt(0, {40, 0});
        pl->addVertexAt(1, {50, 0});
        pl->addVertexAt(2, {50, 10});
        pl->addVertexAt(3, {40, 10});
        pl->setClosed(true);
        e["P1"] = append(pl);
        setLayer(e["P1"], "duct-2");
        // One entity in paper space.
        AcDbBlockTableRecord* ps = nullptr;
        ASSERT_EQ(acdbOpenObject(ps, db.paperSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* paper = new AcDbLine({0, 0, 0}, {1, 1, 0});
        ASSERT_EQ(ps->appendAcDbEntity(paper), Acad::eOk);
        e["S1"] = paper->objectId();
        paper->close();
        ps->close();
        // The whole model in view.
        ASSERT_EQ(NUVAcad::displayOf(&db).zoomWindow({-5, -5, 0}, {55, 15, 0}), Acad::eOk);
    }
    void TearDown() override {
        EXPECT_EQ(NUVAcad::OpenSelectionSetCount(), 0) << "a test left selection sets open";
        EditorFixture::TearDown();
    }

    // The names of the entities a selection set holds, in order.
    std::vector<std::string> members(const ads_name ss) {
        std::vector<std::string> r;
        long n = 0;
        EXPECT_EQ(acedSSLength(ss, &n), RTNORM);
        for (long i = 0; i < n; ++i) {
            ads_name en;
            EXPECT_EQ(acedSSName(ss, i, en), RTNORM);
            AcDbObjectId id;
            acdbGetObjectId(id, en);
            for (auto& [k, v] : e)
                if (v == id) r.push_back(k);
        }
        return r;
    }
    // Selects and frees; the sorted names, or {"error"} / {"cancel"}.
    std::vector<std::string> select(const char* mode, const void* p1, const void* p2, const resbuf* filter) {
        ads_name ss;
        int rc = acedSSGet(mode, p1, p2, filter, ss);
        if (rc == RTERROR) return {"error"};
        if (rc == RTCAN) return {"cancel"};
        if (rc != RTNORM) return {"rc " + std::to_string(rc)};
        std::vector<std::string> r = members(ss);
        EXPECT_EQ(acedSSFree(ss), RTNORM);
        std::sort(r.begin(), r.end());
        return r;
    }
};

using Names = std::vector<std::string>;

struct FilterCase {
    const char* what;
    resbuf* (*make)();
    Names expected;
};

TEST_F(SelectionTest, FilterListsSelectExactlyTheseEntities) {
    static const double origin[3] = {0, 0, 0};
    static const double pt[3] = {15, -1, 0};
    const FilterCase cases[] = {
        {"type", [] { return acutBuildList(RTDXF0, "LINE", 0); }, {"L1", "L2", "S1"}},
        {"type in lower case", [] { return acutBuildList(RTDXF0, "line", 0); }, {"L1", "L2", "S1"}},
        {"type list", [] { return acutBuildList(RTDXF0, "LINE,CIRCLE", 0); }, {"C1", "L1", "L2", "S1"}},
        {"layer wildcard, any case", [] { return acutBuildList(8, "DUCT*", 0); }, {"C1", "L1", "P1"}},
        {"layer not matching", [] { return acutBuildList(8, "~DUCT*", 0); }, {"L2", "S1", "T1"}},
        {"colour 1", [] { return acutBuildList(62, 1, 0); }, {"L1"}},
        {"colour by layer", [] { return acutBuildList(62, 256, 0); }, {"L2", "P1", "S1", "T1"}},
        {"linetype by layer", [] { return acutBuildList(6, "BYLAYER", 0); }, {"C1", "L1", "L2", "P1", "S1", "T1"}},
        {"paper space", [] { return acutBuildList(67, 1, 0); }, {"S1"}},
        {"two tests", [] { return acutBuildList(RTDXF0, "LINE", 8, "DUCT", 0); }, {"L1"}},
        {"or", [] { return acutBuildList(-4, "<OR", RTDXF0, "CIRCLE", RTDXF0, "TEXT", -4, "OR>", 0); }, {"C1", "T1"}},
        {"not", [] { return acutBuildList(-4, "<NOT", 8, "DUCT", -4, "NOT>", 0); }, {"L2", "P1", "S1", "T1"}},
        {"xor", [] { return acutBuildList(-4, "<XOR", 8, "DUCT", RTDXF0, "LINE", -4, "XOR>", 0); },
         {"C1", "L2", "S1"}},
        {"and inside or inside and",
         [] {
             return acutBuildList(-4, "<AND", RTDXF0, "LINE", -4, "<OR", 62, 1, 8, "PIPE", -4, "OR>", -4, "AND>", 0);
         },
         {"L1", "L2"}},
        {"not equal", [] { return acutBuildList(-4, "!=", 8, "DUCT", 0); }, {"L2", "P1", "S1", "T1"}},
        {"not equal, other spelling", [] { return acutBuildList(-4, "<>", 8, "DUCT", 0); }, {"L2", "P1", "S1", "T1"}},
        {"at least 2.0 (radius and height)", [] { return acutBuildList(-4, ">=", 40, 2.0, 0); }, {"C1", "T1"}},
        {"more than 2.0", [] { return acutBuildList(-4, ">", 40, 2.0, 0); }, {"T1"}},
        {"less than 2.5", [] { return acutBuildList(-4, "<", 40, 2.5, 0); }, {"C1"}},
        {"at most 2.5", [] { return acutBuildList(-4, "<=", 40, 2.5, 0); }, {"C1", "T1"}},
        {"any value", [] { return acutBuildList(-4, "*", 40, 0.0, 0); }, {"C1", "T1"}},
        {"bit set", [] { return acutBuildList(-4, "&", 70, 1, 0); }, {"P1"}},
        {"all bits set", [] { return acutBuildList(-4, "&=", 70, 3, 0); }, Names{"error"}},
        {"point by coordinate", [] { return acutBuildList(-4, ">,>,*", 10, pt, 0); }, {"C1", "P1", "T1"}},
        {"point equal", [] { return acutBuildList(10, origin, 0); }, {"L1", "S1"}},
        {"extended data", [] { return acutBuildList(-3, 1001, "NUVAPP", 0); }, {"C1"}},
        {"extended data wildcard", [] { return acutBuildList(-3, 1001, "nuv*", 0); }, {"C1"}},
        {"extended data of another application", [] { return acutBuildList(-3, 1001, "OTHER", 0); }, Names{"error"}},
        {"nothing matches", [] { return acutBuildList(RTDXF0, "ARC", 0); }, Names{"error"}},
    };
    for (const FilterCase& c : cases) {
        Rb f(c.make());
        EXPECT_EQ(select("X", nullptr, nullptr, f.p), c.expected) << c.what;
    }
    EXPECT_EQ(select("X", nullptr, nullptr, nullptr), (Names{"C1", "L1", "L2", "P1", "S1", "T1"}));
}

TEST_F(SelectionTest, MalformedFilterListsAreRefused) {
    const FilterCase cases[] = {
        {"unclosed", [] { return acutBuildList(-4, "<AND", RTDXF0, "LINE", 0); }, {}},
        {"closing what is not open", [] { return acutBuildList(RTDXF0, "LINE", -4, "OR>", 0); }, {}},
        {"closing the wrong group", [] { return acutBuildList(-4, "<AND", RTDXF0, "LINE", -4, "OR>", 0); }, {}},
        {"not with two operands",
         [] { return acutBuildList(-4, "<NOT", RTDXF0, "LINE", RTDXF0, "ARC", -4, "NOT>", 0); }, {}},
        {"xor with one operand", [] { return acutBuildList(-4, "<XOR", RTDXF0, "LINE", -4, "XOR>", 0); }, {}},
        {"empty and", [] { return acutBuildList(-4, "<AND", -4, "AND>", 0); }, {}},
        {"unknown operator", [] { return acutBuildList(-4, "=>", 62, 1, 0); }, {}},
        {"unknown grouping", [] { return acutBuildList(-4, "<NAND", 62, 1, -4, "NAND>", 0); }, {}},
        {"operator at the end", [] { return acutBuildList(RTDXF0, "LINE", -4, ">", 0); }, {}},
        {"two operators", [] { return acutBuildList(-4, ">", -4, "<", 62, 1, 0); }, {}},
        {"order on a text", [] { return acutBuildList(-4, ">", RTDXF0, "LINE", 0); }, {}},
        {"bits of a real", [] { return acutBuildList(-4, "&", 40, 1.0, 0); }, {}},
        {"extended data without an application", [] { return acutBuildList(-3, 0); }, {}},
    };
    for (const FilterCase& c : cases) {
        Rb f(c.make());
        EXPECT_EQ(select("X", nullptr, nullptr, f.p), Names{"error"}) << c.what;
    }
}

TEST_F(SelectionTest, SetsListTheNewestEntityFirst) {
    Rb f(acutBuildList(RTDXF0, "LINE", 0));
    ads_name ss;
    ASSERT_EQ(acedSSGet("_x", nullptr, nullptr, f.p, ss), RTNORM);
    // Model space newest first, then paper space.
    EXPECT_EQ(members(ss), (Names{"L2", "L1", "S1"}));
    acedSSFree(ss);
}

struct WindowCase {
    const char* mode;
    double a[3], b[3];
    Names expected;
};

TEST_F(SelectionTest, WindowsTakeWholeEntitiesAndCrossingsTouchedOnes) {
    const WindowCase cases[] = {
        {"W", {-1, -1, 0}, {11, 1, 0}, {"L1"}},
        {"W", {11, 1, 0}, {-1, -1, 0}, {"L1"}},             // corners in any order
        {"W", {0, 0, 0}, {10, 5, 0}, {"L1", "L2"}},         // the border counts as inside
        {"W", {-1, -1, 0}, {5, 1, 0}, {"error"}},           // half a line is not enough
        {"C", {-1, -1, 0}, {5, 1, 0}, {"L1"}},
        {"C", {15, -1, 0}, {18.5, 1, 0}, {"C1"}},           // cuts the circle's left side
        {"C", {19, -1, 0}, {21, 1, 0}, {"error"}},          // inside the circle, touching nothing
        {"W", {17.9, -2.1, 0}, {22.1, 2.1, 0}, {"C1"}},
        {"W", {18.1, -2.1, 0}, {22.1, 2.1, 0}, {"error"}},  // a sliver of the circle sticks out
        {"W", {29, -1, 0}, {41, 3, 0}, {"T1"}},             // the text's box: 4 cells of 2.5
        {"W", {29, -1, 0}, {35, 3, 0}, {"error"}},
        {"C", {29, -1, 0}, {35, 3, 0}, {"T1"}},
        {"C", {42, 2, 0}, {48, 8, 0}, {"error"}},           // inside the square, on no edge
        {"C", {-100, -100, 0}, {100, 100, 0}, {"C1", "L1", "L2", "P1", "T1"}},  // model space only
    };
    for (const WindowCase& c : cases)
        EXPECT_EQ(select(c.mode, c.a, c.b, nullptr), c.expected)
            << c.mode << " (" << c.a[0] << "," << c.a[1] << ")-(" << c.b[0] << "," << c.b[1] << ")";
}

TEST_F(SelectionTest, PolygonsAndFences) {
    auto list = [](std::initializer_list<std::pair<double, double>> pts) {
        resbuf* head = nullptr;
        resbuf** tail = &head;
        for (auto [x, y] : pts) {
            resbuf* rb = acutNewRb(RTPOINT);
            rb->resval.rpoint[0] = x;
            rb->resval.rpoint[1] = y;
            *tail = rb;
            tail = &rb->rbnext;
        }
        return head;
    };
    // A U-shaped polygon round L2 (y = 5, x 0..10) whose notch at x 4..6 reaches down to y = 4:
    // both ends of L2 are inside but the line leaves through the notch.
    Rb u(list({{-1, 3}, {11, 3}, {11, 7}, {6, 7}, {6, 4}, {4, 4}, {4, 7}, {-1, 7}}));
    EXPECT_EQ(select("WP", u.p, nullptr, nullptr), Names{"error"});
    EXPECT_EQ(select("CP", u.p, nullptr, nullptr), Names{"L2"});
    Rb square(list({{-1, 3}, {11, 3}, {11, 7}, {-1, 7}}));
    EXPECT_EQ(select("WP", square.p, nullptr, nullptr), Names{"L2"});
    Rb fence(list({{5, -1}, {5, 6}}));
    EXPECT_EQ(select("F", fence.p, nullptr, nullptr), (Names{"L1", "L2"}));
    Rb bent(list({{5, -1}, {5, 1}, {21, 1}}));  // then through the circle
    EXPECT_EQ(select("F", bent.p, nullptr, nullptr), (Names{"C1", "L1"}));
    Rb two(list({{0, 0}, {1, 1}}));
    EXPECT_EQ(select("WP", two.p, nullptr, nullptr), Names{"error"});  // a polygon needs three points
    Rb one(list({{0, 0}}));
    EXPECT_EQ(select("F", one.p, nullptr, nullptr), Names{"error"});
    EXPECT_EQ(select("W", nullptr, nullptr, nullptr), Names{"error"});
}

TEST_F(SelectionTest, GeometricModesSeeOnlyWhatIsShown) {
    double a[3] = {-1, -1, 0}, b[3] = {11, 6, 0};
    AcDbLayerTable* t = nullptr;
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(t->getAt("PIPE", rec, AcDb::kForWrite), Acad::eOk);
    rec->setIsOff(true);
    rec->close();
    t->close();
    EXPECT_EQ(select("W", a, b, nullptr), Names{"L1"});
    Rb f(acutBuildList(8, "PIPE", 0));
    EXPECT_EQ(select("X", nullptr, nullptr, f.p), Names{"L2"});  // X takes hidden ones too
    EXPECT_EQ(select("A", nullptr, nullptr, f.p), Names{"L2"});  // off is not frozen
    // Out of view is out of reach, as on the host.
    ASSERT_EQ(NUVAcad::displayOf(&db).zoomWindow({100, 100, 0}, {200, 200, 0}), Acad::eOk);
    EXPECT_EQ(select("C", a, b, nullptr), Names{"error"});
}

TEST_F(SelectionTest, WindowCornersAreTypedInTheUcs) {
    ASSERT_EQ(db.setUcs({100, 0, 0}, {1, 0, 0}, {0, 1, 0}), Acad::eOk);
    double a[3] = {-101, -1, 0}, b[3] = {-89, 1, 0};
    EXPECT_EQ(select("W", a, b, nullptr), Names{"L1"});
}

TEST_F(SelectionTest, LastIsTheNewestShownEntity) {
    EXPECT_EQ(select("L", nullptr, nullptr, nullptr), Names{"P1"});
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenObject(ent, e["P1"], AcDb::kForWrite), Acad::eOk);
    ent->erase();
    ent->close();
    EXPECT_EQ(select("L", nullptr, nullptr, nullptr), Names{"T1"});
    Rb f(acutBuildList(RTDXF0, "LINE", 0));
    EXPECT_EQ(select("L", nullptr, nullptr, f.p), Names{"error"});  // the last one is no line
}

TEST_F(SelectionTest, PreviousIsTheLastSetSelected) {
    EXPECT_EQ(select("P", nullptr, nullptr, nullptr), Names{"error"});
    Rb f(acutBuildList(RTDXF0, "LINE", 0));
    EXPECT_EQ(select("X", nullptr, nullptr, f.p), (Names{"L1", "L2", "S1"}));
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenObject(ent, e["L1"], AcDb::kForWrite), Acad::eOk);
    ent->erase();
    ent->close();
    EXPECT_EQ(select("P", nullptr, nullptr, nullptr), (Names{"L2", "S1"}));
    Rb g(acutBuildList(67, 0, 0));
    EXPECT_EQ(select("P", nullptr, nullptr, g.p), Names{"L2"});
}

TEST_F(SelectionTest, InteractiveSelectionGoesToTheEditorsInput) {
    EXPECT_EQ(select(nullptr, nullptr, nullptr, nullptr), Names{"cancel"});
    EXPECT_EQ(select(":S", nullptr, nullptr, nullptr), Names{"cancel"});
    std::string seenFlags;
    NUVAcad::SetSelectionInput([&](const NUVAcad::SelectionRequest& r, std::vector<AcDbObjectId>& picked) {
        seenFlags = r.flags;
        if (r.flags == ":E") return RTNONE;
        picked.push_back(e["C1"]);
        return RTNORM;
    });
    EXPECT_EQ(select("_:s", nullptr, nullptr, nullptr), Names{"C1"});
    EXPECT_EQ(seenFlags, ":S");
    EXPECT_EQ(select(":E", nullptr, nullptr, nullptr), Names{"rc 5000"});
    NUVAcad::SetSelectionInput(nullptr);
    EXPECT_EQ(select("Q", nullptr, nullptr, nullptr), Names{"error"});
    EXPECT_EQ(select("I", nullptr, nullptr, nullptr), Names{"error"});
}

TEST_F(SelectionTest, SetFunctions) {
    ads_name l1, l2, c1, ss;
    nameOf(e["L1"], l1);
    nameOf(e["L2"], l2);
    nameOf(e["C1"], c1);
    ads_name nil = {0, 0};
    ASSERT_EQ(acedSSAdd(nil, nil, ss), RTNORM);
    EXPECT_EQ(members(ss), Names{});
    ads_name same;
    ASSERT_EQ(acedSSAdd(l1, ss, same), RTNORM);
    EXPECT_TRUE(ads_name_equal(same, ss));
    ASSERT_EQ(acedSSAdd(l2, ss, same), RTNORM);
    ASSERT_EQ(acedSSAdd(l1, ss, same), RTNORM);  // already there: kept once
    EXPECT_EQ(members(ss), (Names{"L1", "L2"}));
    EXPECT_EQ(acedSSMemb(l2, ss), RTNORM);
    EXPECT_EQ(acedSSMemb(c1, ss), RTERROR);
    EXPECT_EQ(acedSSDel(c1, ss), RTERROR);
    EXPECT_EQ(acedSSDel(l1, ss), RTNORM);
    EXPECT_EQ(members(ss), Names{"L2"});
    ads_name out;
    EXPECT_EQ(acedSSName(ss, 1, out), RTERROR);
    EXPECT_EQ(acedSSName(ss, -1, out), RTERROR);
    EXPECT_EQ(acedSSName(ss, 0, out), RTNORM);
    EXPECT_TRUE(ads_name_equal(out, l2));

    ads_name one;
    ASSERT_EQ(acedSSAdd(c1, nil, one), RTNORM);
    EXPECT_FALSE(ads_name_equal(one, ss));
    EXPECT_EQ(members(one), Names{"C1"});

    // An entity name is not a set, nor a made-up or freed name.
    long len = 0;
    EXPECT_EQ(acedSSLength(l1, &len), RTERROR);
    ads_name madeUp = {ss[0], ss[1] + 1000};
    EXPECT_EQ(acedSSLength(madeUp, &len), RTERROR);
    ASSERT_EQ(acedSSFree(one), RTNORM);
    EXPECT_EQ(acedSSFree(one), RTERROR);
    EXPECT_EQ(acedSSLength(one, &len), RTERROR);
    EXPECT_EQ(acedSSAdd(l1, one, out), RTERROR);
    // An erased entity cannot be added.
    AcDbEntity* ent = nullptr;
    ASSERT_EQ(acdbOpenObject(ent, e["C1"], AcDb::kForWrite), Acad::eOk);
    ent->erase();
    ent->close();
    EXPECT_EQ(acedSSAdd(c1, ss, out), RTERROR);
    ASSERT_EQ(acedSSFree(ss), RTNORM);
}

TEST_F(SelectionTest, AtMost128SetsAreOpen) {
    std::vector<std::array<long, 2>> sets;
    ads_name nil = {0, 0};
    for (int k = 0; k < NUVAcad::kMaxSelectionSets; ++k) {
        ads_name ss;
        ASSERT_EQ(k % 2 ? acedSSGet("X", nullptr, nullptr, nullptr, ss) : acedSSAdd(nil, nil, ss), RTNORM) << k;
        sets.push_back({ss[0], ss[1]});
    }
    EXPECT_EQ(NUVAcad::kMaxSelectionSets, 128);
    ads_name extra;
    EXPECT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, extra), RTERROR);
    EXPECT_EQ(acedSSAdd(nil, nil, extra), RTERROR);
    ASSERT_EQ(acedSSFree(sets.back().data()), RTNORM);
    sets.pop_back();
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, extra), RTNORM);
    sets.push_back({extra[0], extra[1]});
    for (auto& s : sets) EXPECT_EQ(acedSSFree(s.data()), RTNORM);
}

}  // namespace
