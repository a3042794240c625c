// The display model: the view and its variables, ZOOM, entity states after redraw modes,
// highlighting, temporary vectors and the redraw counters.
#include <gtest/gtest.h>

#include <cmath>

#include "EditorFixture.h"
#include "acad/AcEdDisplay.h"
#include "acad/Display.h"
#include "win/Tick.h"

using NUVAcad::Display;
using NUVAcad::displayOf;

namespace {

struct DisplayTest : EditorFixture {
    Display& d() { return displayOf(&db); }
    void expectView(double cx, double cy, double h) {
        EXPECT_NEAR(d().view().center.x, cx, 1e-9);
        EXPECT_NEAR(d().view().center.y, cy, 1e-9);
        EXPECT_NEAR(d().view().height, h, 1e-9);
    }
};

TEST_F(DisplayTest, ANewDrawingShowsItsLimits) {
    EXPECT_EQ(d().viewCtr(), AcGePoint3d(210, 148.5, 0));
    EXPECT_DOUBLE_EQ(d().viewSize(), 297);
    EXPECT_EQ(d().screenSize().x, 1024);
    EXPECT_EQ(d().screenSize().y, 768);
}

TEST_F(DisplayTest, ViewCtrIsInTheCurrentUcs) {
    // A UCS at (100, 50) turned 90 degrees: world (210, 148.5) is x = 98.5, y = -110 there.
    ASSERT_EQ(db.setUcs({100, 50, 0}, {0, 1, 0}, {-1, 0, 0}), Acad::eOk);
    AcGePoint3d c = d().viewCtr();
    EXPECT_NEAR(c.x, 98.5, 1e-9);
    EXPECT_NEAR(c.y, -110, 1e-9);
    EXPECT_NEAR(c.z, 0, 1e-9);
}

TEST_F(DisplayTest, ZoomWindowFitsTheLongerSideOfTheWindow) {
    // The screen is 4:3. A wide window decides by its width: 100 wide needs 75 high.
    ASSERT_EQ(d().zoomWindow({0, 0, 0}, {100, 50, 0}), Acad::eOk);
    expectView(50, 25, 75);
    // A tall one by its height; corners may come in any order.
    ASSERT_EQ(d().zoomWindow({10, 100, 0}, {0, 0, 0}), Acad::eOk);
    expectView(5, 50, 100);
    // A window exactly 4:3 fills the screen.
    ASSERT_EQ(d().zoomWindow({0, 0, 0}, {40, 30, 0}), Acad::eOk);
    expectView(20, 15, 30);
    // A flat window (a line) still has a width to fit.
    ASSERT_EQ(d().zoomWindow({0, 0, 0}, {8, 0, 0}), Acad::eOk);
    expectView(4, 0, 6);
}

TEST_F(DisplayTest, ZoomRefusesWhatHasNoSize) {
    size_t prev = d().previousViews();
    EXPECT_EQ(d().zoomWindow({3, 3, 0}, {3, 3, 0}), Acad::eInvalidInput);
    EXPECT_EQ(d().zoomCenter({0, 0, 0}, 0), Acad::eInvalidInput);
    EXPECT_EQ(d().zoomCenter({0, 0, 0}, -5), Acad::eInvalidInput);
    EXPECT_EQ(d().zoomScale(0), Acad::eInvalidInput);
    EXPECT_EQ(d().zoomScale(-2), Acad::eInvalidInput);
    EXPECT_EQ(d().zoomScale(NAN), Acad::eInvalidInput);
    expectView(210, 148.5, 297);
    EXPECT_EQ(d().previousViews(), prev);
}

TEST_F(DisplayTest, ZoomCenterAndScale) {
    ASSERT_EQ(d().zoomCenter({7, -3, 0}, 12), Acad::eOk);
    expectView(7, -3, 12);
    ASSERT_EQ(d().zoomScale(2), Acad::eOk);
    expectView(7, -3, 6);
    ASSERT_EQ(d().zoomScale(0.5), Acad::eOk);
    expectView(7, -3, 12);
}

TEST_F(DisplayTest, ZoomExtentsShowsVisibleEntitiesOnly) {
    addLine({10, 20, 0}, {110, 70, 0});
    AcDbObjectId far = addLine({1000, 1000, 0}, {1001, 1001, 0});
    addLayer("HIDDEN");
    setLayer(far, "HIDDEN");
    AcDbLayerTableRecord* rec = nullptr;
    AcDbLayerTable* t = nullptr;
    ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(t->getAt("HIDDEN", rec, AcDb::kForWrite), Acad::eOk);
    rec->setIsOff(true);
    rec->close();
    t->close();
    ASSERT_EQ(d().zoomExtents(), Acad::eOk);
    // 100 x 50 on a 4:3 screen: 75 high about the middle.
    expectView(60, 45, 75);
}

TEST_F(DisplayTest, ZoomExtentsOfAnEmptyDrawingShowsTheLimits) {
    ASSERT_EQ(d().zoomCenter({0, 0, 0}, 1), Acad::eOk);
    ASSERT_EQ(d().zoomExtents(), Acad::eOk);
    // 420 x 297 on 4:3: the width decides, 315 high.
    expectView(210, 148.5, 315);
}

TEST_F(DisplayTest, ZoomPreviousWalksBackTenViews) {
    for (int k = 1; k <= 12; ++k) ASSERT_EQ(d().zoomCenter({double(k), 0, 0}, k), Acad::eOk);
    EXPECT_EQ(d().previousViews(), Display::kPreviousViews);
    for (int k = 11; k >= 2; --k) {
        ASSERT_EQ(d().zoomPrevious(), Acad::eOk) << k;
        expectView(k, 0, k);
    }
    EXPECT_EQ(d().zoomPrevious(), Acad::eNotApplicable);
    expectView(2, 0, 2);
}

TEST_F(DisplayTest, ScreenSizeChangesTheWidthNotTheHeight) {
    ASSERT_EQ(d().setScreenSize(800, 200), Acad::eOk);
    EXPECT_DOUBLE_EQ(d().view().width(), 297 * 4);
    EXPECT_EQ(d().setScreenSize(0, 10), Acad::eInvalidInput);
    EXPECT_EQ(d().setScreenSize(10, 32768), Acad::eInvalidInput);
    EXPECT_EQ(d().setScreenSize(32767, 1), Acad::eOk);
}

// Each row: the redraw modes applied in turn, and the state they leave.
struct RedrawCase {
    std::vector<int> modes;
    bool blanked;
    bool highlighted;
};

TEST_F(DisplayTest, RedrawModesLeaveTheseStates) {
    const RedrawCase cases[] = {
        {{}, false, false},
        {{1}, false, false},
        {{2}, true, false},
        {{2, 1}, false, false},
        {{3}, false, true},
        {{3, 4}, false, false},
        {{3, 2}, true, true},     // blanked, still selected: it comes back highlighted
        {{3, 2, 1}, false, true},
        {{2, 3}, false, true},    // highlighting draws it
        {{2, 4}, false, false},   // so does unhighlighting
        {{-2}, true, false},      // negative modes act on a reference the same way
        {{2, 2, 2}, true, false},
    };
    for (const RedrawCase& c : cases) {
        AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0});
        ads_name n;
        nameOf(id, n);
        for (int m : c.modes) ASSERT_EQ(acedRedraw(n, m), RTNORM) << m;
        std::string label;
        for (int m : c.modes) label += std::to_string(m) + " ";
        EXPECT_EQ(d().isBlanked(id), c.blanked) << label;
        EXPECT_EQ(d().isHighlighted(id), c.highlighted) << label;
    }
}

TEST_F(DisplayTest, RedrawRefusesBadModesAndNamesWithoutCounting) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0});
    ads_name n;
    nameOf(id, n);
    long before = d().counters().entityRedraws;
    EXPECT_EQ(acedRedraw(n, 0), RTERROR);
    EXPECT_EQ(acedRedraw(n, 5), RTERROR);
    EXPECT_EQ(acedRedraw(n, -5), RTERROR);
    ads_name bogus = {n[0], n[1] + 1000};
    EXPECT_EQ(acedRedraw(bogus, 1), RTERROR);
    ads_name layer;
    acdbGetAdsName(layer, db.clayer());
    EXPECT_EQ(acedRedraw(layer, 1), RTERROR);
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
    e->erase();
    e->close();
    EXPECT_EQ(acedRedraw(n, 2), RTERROR);
    EXPECT_EQ(d().counters().entityRedraws, before);
    EXPECT_EQ(acdbEntUpd(n), RTERROR);
}

TEST_F(DisplayTest, AWholeRedrawClearsTemporaryVectorsButNotBlanks) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0});
    ads_name n;
    nameOf(id, n);
    ASSERT_EQ(acedRedraw(n, 2), RTNORM);
    ads_point a = {0, 0, 0}, b = {5, 5, 0};
    ASSERT_EQ(acedGrDraw(a, b, 1, 0), RTNORM);
    ASSERT_EQ(acedGrDraw(a, b, -1, 1), RTNORM);
    EXPECT_EQ(d().tempVectors().size(), 2u);
    long full = d().counters().fullRedraws;
    ads_name nil = {0, 0};
    ASSERT_EQ(acedRedraw(nil, 0), RTNORM);
    ASSERT_EQ(acedRedraw(nullptr, 0), RTNORM);
    EXPECT_EQ(d().counters().fullRedraws, full + 2);
    EXPECT_TRUE(d().tempVectors().empty());
    EXPECT_TRUE(d().isBlanked(id));
    // Regenerating the entity draws it again.
    ASSERT_EQ(acdbEntUpd(n), RTNORM);
    EXPECT_FALSE(d().isBlanked(id));
    EXPECT_EQ(d().counters().entityUpdates, 1);
    // Regenerating the drawing too, and the highlight stays.
    ASSERT_EQ(acedRedraw(n, 3), RTNORM);
    ASSERT_EQ(acedRedraw(n, 2), RTNORM);
    d().regenAll();
    EXPECT_FALSE(d().isBlanked(id));
    EXPECT_TRUE(d().isHighlighted(id));
}

TEST_F(DisplayTest, TemporaryVectorsAreTypedInTheUcsAndKeptInWorld) {
    ASSERT_EQ(db.setUcs({100, 0, 0}, {0, 1, 0}, {-1, 0, 0}), Acad::eOk);
    ads_point a = {0, 0, 0}, b = {10, 0, 0};
    ASSERT_EQ(acedGrDraw(a, b, 3, 0), RTNORM);
    ASSERT_EQ(d().tempVectors().size(), 1u);
    EXPECT_EQ(d().tempVectors()[0].from, AcGePoint3d(100, 0, 0));
    EXPECT_EQ(d().tempVectors()[0].to, AcGePoint3d(100, 10, 0));
    EXPECT_EQ(d().tempVectors()[0].color, 3);
    EXPECT_EQ(acedGrDraw(a, b, -2, 0), RTERROR);
    EXPECT_EQ(acedGrDraw(a, b, 256, 0), RTERROR);
    // A zoom repaints the screen: the vectors go.
    ASSERT_EQ(d().zoomScale(2), Acad::eOk);
    EXPECT_TRUE(d().tempVectors().empty());
}

TEST_F(DisplayTest, HighlightThroughTheEntityNeedsOnlyARead) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0});
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(e->highlight(), Acad::eOk);
    EXPECT_TRUE(d().isHighlighted(id));
    EXPECT_EQ(e->unhighlight(AcDbFullSubentPath(id, AcDb::kNullSubentType, 0)), Acad::eOk);
    EXPECT_FALSE(d().isHighlighted(id));
    e->close();
    AcDbLine loose({0, 0, 0}, {1, 1, 0});
    EXPECT_EQ(loose.highlight(), Acad::eNotInDatabase);
}

TEST_F(DisplayTest, ANameRedrawsOnItsOwnDrawing) {
    AcDbDatabase other;
    AcDbObjectId id = append(new AcDbLine({0, 0, 0}, {1, 0, 0}), &other);
    ads_name n;
    nameOf(id, n);
    ASSERT_EQ(acedRedraw(n, 2), RTNORM);
    EXPECT_TRUE(displayOf(&other).isBlanked(id));
    EXPECT_EQ(d().counters().entityRedraws, 0);
    acedUpdateDisplay();
    EXPECT_EQ(d().counters().updates, 1);
}

}  // namespace

// ---- States over time: what a flashing sequence leaves, queried by tick ----

struct DisplayClockTest : DisplayTest {
    void SetUp() override {
        DisplayTest::SetUp();
        NUVWin::UseVirtualClock(10000);
    }
    void TearDown() override {
        NUVWin::UseRealClock();
        DisplayTest::TearDown();
    }
};

struct Recorder : NUVAcad::DisplayWatcher {
    AcDbObjectId watched;
    std::vector<std::string> heard;
    void displayWillChange(const Display& d, unsigned long long tick) override {
        heard.push_back("will " + std::to_string(tick) + " " + std::to_string(d.stateOf(watched)));
    }
    void displayChanged(const Display& d, const NUVAcad::DisplayChange& c) override {
        heard.push_back("did " + std::to_string(static_cast<int>(c.kind)) + " " + std::to_string(c.tick) + " " +
                        std::to_string(c.oldState) + ">" + std::to_string(c.state) + " now " +
                        std::to_string(d.stateOf(watched)));
    }
};

TEST_F(DisplayClockTest, HistoryAnswersTheStateAtEachTick) {
    AcDbObjectId a = addLine({0, 0, 0}, {1, 0, 0});
    AcDbObjectId b = addLine({0, 1, 0}, {1, 1, 0});
    ads_name na, nb;
    nameOf(a, na);
    nameOf(b, nb);
    ASSERT_EQ(acedRedraw(nb, 2), RTNORM);  // blanked before the history starts
    d().startHistory();
    // Blank, draw, highlight, unhighlight, every half second; b is drawn again at 10750.
    const int modes[] = {2, 1, 3, 4};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(acedRedraw(na, modes[i]), RTNORM);
        if (i == 1) {
            NUVWin::AdvanceVirtualClock(250);
            ASSERT_EQ(acedRedraw(nb, 1), RTNORM);
            NUVWin::AdvanceVirtualClock(250);
        } else {
            NUVWin::AdvanceVirtualClock(500);
        }
    }
    ASSERT_EQ(acedRedraw(na, 1), RTNORM);  // no change: drawn already
    const struct {
        unsigned long long tick;
        uint8_t a, b;
    } rows[] = {
        {9999, 0, Display::kBlanked},  // before the history: the state at its start
        {10000, Display::kBlanked, Display::kBlanked},
        {10499, Display::kBlanked, Display::kBlanked},
        {10500, 0, Display::kBlanked},
        {10749, 0, Display::kBlanked},
        {10750, 0, 0},
        {11000, Display::kHighlighted, 0},
        {11499, Display::kHighlighted, 0},
        {11500, 0, 0},
        {99999, 0, 0},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(d().stateAt(a, r.tick), r.a) << r.tick;
        EXPECT_EQ(d().stateAt(b, r.tick), r.b) << r.tick;
    }
    using Step = std::pair<unsigned long long, uint8_t>;
    EXPECT_EQ(d().timeline(a), (std::vector<Step>{{10000, Display::kBlanked}, {10500, 0}, {11000, Display::kHighlighted}, {11500, 0}}));
    EXPECT_EQ(d().timeline(b), (std::vector<Step>{{10750, 0}}));
    // Stopped, the history keeps what it has and takes no more.
    d().stopHistory();
    ASSERT_EQ(acedRedraw(na, 2), RTNORM);
    EXPECT_EQ(d().timeline(a).size(), 4u);
    EXPECT_EQ(d().stateAt(a, 99999), 0);
    // Started again, it begins from the states of now.
    d().startHistory();
    EXPECT_TRUE(d().history().empty());
    EXPECT_EQ(d().stateAt(a, 0), Display::kBlanked);
}

TEST_F(DisplayClockTest, WatchersHearBeforeAndAfterEachChange) {
    AcDbObjectId a = addLine({0, 0, 0}, {1, 0, 0});
    ads_name na;
    nameOf(a, na);
    Recorder r;
    r.watched = a;
    d().addWatcher(&r);
    d().addWatcher(&r);  // once is enough
    ASSERT_EQ(acedRedraw(na, 2), RTNORM);
    NUVWin::AdvanceVirtualClock(40);
    ASSERT_EQ(acdbEntUpd(na), RTNORM);
    ads_point p0 = {0, 0, 0}, p1 = {1, 1, 0};
    ASSERT_EQ(acedGrDraw(p0, p1, 1, 0), RTNORM);
    ASSERT_EQ(acedRedraw(na, 2), RTNORM);
    NUVWin::AdvanceVirtualClock(10);
    d().regenAll();
    acedUpdateDisplay();
    EXPECT_EQ(acedRedraw(nullptr, 0), RTNORM);
    ASSERT_EQ(d().zoomScale(2), Acad::eOk);
    d().removeWatcher(&r);
    ASSERT_EQ(acedRedraw(na, 3), RTNORM);
    // Kinds: 0 entity, 1 redraw, 2 regen, 3 view, 4 temporary vector, 6 update.
    EXPECT_EQ(r.heard, (std::vector<std::string>{
                           "will 10000 0", "did 0 10000 0>1 now 1",
                           "will 10040 1", "did 0 10040 1>0 now 0",
                           "will 10040 0", "did 4 10040 0>0 now 0",
                           "will 10040 0", "did 0 10040 0>1 now 1",
                           "will 10050 1", "did 0 10050 1>0 now 0", "did 2 10050 0>0 now 0",
                           "will 10050 0", "did 6 10050 0>0 now 0",
                           "will 10050 0", "did 1 10050 0>0 now 0",
                           "will 10050 0", "did 3 10050 0>0 now 0",
                       }));
}
