// The flashing engine on the virtual clock: every tick's phase, durations (default, forever,
// across the 32-bit wrap of the tick count), looks put back, outlines, groups, stopping, the
// timer's life and interval, and an exception inside a tick.
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "TwinkleFixture.h"
#include "acad/AcEdSelectionSet.h"
#include "draw/SymbolRecords.h"
#include "twinkle/TwinkleTiming.h"

namespace {

// A line that throws once from a property change that reaches its parts, when armed.
class FragileLine : public AcDbLine {
public:
    using AcDbLine::AcDbLine;
    void forEachSubent(const std::function<void(AcDbEntity*)>& fn) const override {
        if (armed) {
            armed = false;
            throw std::runtime_error("fault while restoring");
        }
        AcDbLine::forEachSubent(fn);
    }
    static inline bool armed = false;
};

}  // namespace

TEST(TwinkleTiming, IntervalIsHalfThePeriodWithTheFallback) {
    struct Case {
        double f;
        unsigned interval;
    } cases[] = {
        {3.0, 166}, {10.0, 50}, {0.1, 5000}, {1.0, 500}, {2.0, 250},
        // Periods of 50 ms or less fall back to 600 ms.
        {20.0, 300}, {19.9, 300}, {19.6, 25}, {25.0, 300}, {1000.0, 300},
        // No positive frequency: 600 ms.
        {0.0, 300}, {-3.0, 300},
    };
    for (const Case& c : cases) EXPECT_EQ(NUV::TwinkleTimerInterval(c.f), c.interval) << c.f;
}

TEST_F(TwinkleTest, SettingsBoundsAndRefusals) {
    EXPECT_EQ(NUV::ZQSetTwinkleFreQuency(0.1), 1);
    EXPECT_EQ(NUV::ZQGetTwinkleFreQuency(), 0.1);
    EXPECT_EQ(NUV::ZQSetTwinkleFreQuency(10), 1);
    for (double bad : {0.09, 10.5, 0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(NUV::ZQSetTwinkleFreQuency(bad), 0) << bad;
        EXPECT_EQ(NUV::ZQGetTwinkleFreQuency(), 10.0) << bad;
    }
    ASSERT_EQ(NUV::ZQSetTwinkleMode(3, 4), 1);
    for (auto [a, b] : {std::pair{0, 2}, {1, 5}, {5, 1}, {2, 0}, {-1, 2}}) {
        EXPECT_EQ(NUV::ZQSetTwinkleMode(a, b), 0) << a << "," << b;
        int first = 0, second = 0;
        NUV::ZQGetTwinkleMode(first, second);
        EXPECT_EQ(first, 3);
        EXPECT_EQ(second, 4);
    }
}

TEST_F(TwinkleTest, BlankAndDrawAlternateWithTheDefaults) {
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    ASSERT_GT(id, 0);
    EXPECT_TRUE(NUV::GetTwinkleState().timerRunning);
    EXPECT_EQ(NUVWin::TimerCount(), 1);
    for (int i = 0; i < 8; ++i) {
        int want = NextPhase();
        long redraws = display().counters().entityRedraws;
        long full = display().counters().fullRedraws;
        EXPECT_EQ(Tick(), 166u) << "interval at 3 flashes a second";
        EXPECT_EQ(NUV::GetTwinkleState().sharedPhase, want) << "tick " << i;
        EXPECT_EQ(NUV::TwinkleItemPhase(id), want) << "tick " << i;
        EXPECT_EQ(display().isBlanked(line), want == 2) << "tick " << i;
        EXPECT_EQ(display().counters().entityRedraws - redraws, 1) << "the entity is redrawn once per change";
        EXPECT_EQ(display().counters().fullRedraws - full, 1) << "and the view once per tick";
    }
    EXPECT_TRUE(NUV::ZQHasTwinkle(id));
}

// A tick opens only the entities whose phase changes: ten items of which the first four have
// been ticked into the "off" phase while the other six were started after it.
TEST_F(TwinkleTest, ATickOpensOnlyTheEntitiesThatChangePhase) {
    std::vector<AcDbObjectId> lines;
    for (int i = 0; i < 10; ++i) lines.push_back(AddLine(i));
    for (int i = 0; i < 4; ++i) ASSERT_GT(NUV::ZQTwinkle(NameOf(lines[size_t(i)]).get(), 0, NUV::kTwinkleForever), 0);
    while (NextPhase() != 2) Tick();
    Tick();  // the four are blanked now
    for (int i = 4; i < 10; ++i) ASSERT_GT(NUV::ZQTwinkle(NameOf(lines[size_t(i)]).get(), 0, NUV::kTwinkleForever), 0);
    const unsigned long long before = NUV::GetTwinkleState().entitiesOpened;
    const long redraws = display().counters().entityRedraws;
    Tick();  // back to "on": the four change, the six already show it
    EXPECT_EQ(NUV::GetTwinkleState().entitiesOpened - before, 4u);
    EXPECT_EQ(display().counters().entityRedraws - redraws, 4);
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(display().isBlanked(lines[size_t(i)])) << i;
}

TEST_F(TwinkleTest, HighlightModesPulseWithoutBlanking) {
    ASSERT_EQ(NUV::ZQSetTwinkleMode(3, 4), 1);
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    EXPECT_EQ(NUV::TwinkleItemPhase(id), 3);
    // The item counts its entity as shown in the first mode already; it is first redrawn when
    // the shared phase turns to the second mode.
    while (NextPhase() != 4) Tick();
    bool sawHighlight = false, sawPlain = false;
    for (int i = 0; i < 6; ++i) {
        int want = NextPhase();
        Tick();
        EXPECT_EQ(NUV::TwinkleItemPhase(id), want);
        EXPECT_EQ(display().isHighlighted(line), want == 3) << "tick " << i;
        EXPECT_FALSE(display().isBlanked(line));
        (want == 3 ? sawHighlight : sawPlain) = true;
    }
    EXPECT_TRUE(sawHighlight && sawPlain);
    NUV::ZQStopTwinkle(id);
    EXPECT_FALSE(display().isBlanked(line));
}

TEST_F(TwinkleTest, DefaultDurationIsThreeSeconds) {
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, 0);
    ULONGLONG elapsed = 0;
    // Ticks fall every 166 ms: the 18th at 2988 ms is still inside, the 19th at 3154 ms ends it.
    for (int i = 1; i <= 18; ++i) {
        elapsed += Tick();
        ASSERT_TRUE(NUV::ZQHasTwinkle(id)) << "tick " << i << " at " << elapsed << " ms";
    }
    EXPECT_EQ(elapsed, 2988u);
    elapsed += Tick();
    EXPECT_FALSE(NUV::ZQHasTwinkle(id)) << "at " << elapsed << " ms";
    EXPECT_FALSE(display().isBlanked(line)) << "never left blanked";
    EXPECT_EQ(NUV::TwinkleUseCount(line), 0);
    EXPECT_TRUE(NUV::GetTwinkleState().timerRunning) << "killed only by the next, empty tick";
    Tick();
    EXPECT_FALSE(NUV::GetTwinkleState().timerRunning);
    EXPECT_EQ(NUVWin::TimerCount(), 0);
}

TEST_F(TwinkleTest, ExpiryAcrossTheTickCountWrap) {
    // 1000 ms before GetTickCount wraps to 0.
    NUVWin::UseVirtualClock(0x100000000ull - 1000);
    ASSERT_EQ(GetTickCount(), 0xFFFFFC18u);
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, 2000);
    ULONGLONG elapsed = 0;
    for (int i = 1; i <= 12; ++i) {  // the 7th tick passes the wrap; the 12th is at 1992 ms
        elapsed += Tick();
        ASSERT_TRUE(NUV::ZQHasTwinkle(id)) << "tick " << i << " at " << elapsed << " ms, tick count "
                                           << GetTickCount();
    }
    elapsed += Tick();
    EXPECT_EQ(elapsed, 2158u);
    EXPECT_FALSE(NUV::ZQHasTwinkle(id));
}

TEST_F(TwinkleTest, ForeverNeverExpires) {
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    int big = NUV::ZQTwinkle(NameOf(line).get(), 0, 0x1FFFFFFFFul);  // more than 32 bits: forever too
    Tick();
    NUVWin::AdvanceVirtualClock(10ull * 24 * 3600 * 1000);  // ten days
    EXPECT_EQ(NUVWin::DispatchTimers(), 1) << "missed periods come as one tick";
    Tick();
    EXPECT_TRUE(NUV::ZQHasTwinkle(id));
    EXPECT_TRUE(NUV::ZQHasTwinkle(big));
    EXPECT_EQ(NUV::TwinkleUseCount(line), 2);
}

TEST_F(TwinkleTest, EndingInTheOffPhaseDrawsTheEntityAgain) {
    // A second item keeps the timer going while the phase is lined up for a blanking tick.
    int pacer = NUV::ZQTwinkle(NameOf(AddLine(5)).get(), 0, NUV::kTwinkleForever);
    while (NextPhase() != 2) Tick();
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, 1);
    Tick();  // blanks the line and ends its item on the same tick
    EXPECT_FALSE(NUV::ZQHasTwinkle(id));
    EXPECT_EQ(NUV::GetTwinkleState().sharedPhase, 2);
    EXPECT_FALSE(display().isBlanked(line)) << "never left blanked";
    NUV::ZQStopTwinkle(pacer);
}

TEST_F(TwinkleTest, LookIsPutBackWhenTheLastItemEnds) {
    int existed = 0;
    AcDbLinetypeTableRecord* lt = NUV::CreateLineType("NUV_FLASH", existed);
    ASSERT_NE(lt, nullptr);
    lt->close();
    auto* pl = new AcDbPolyline;
    for (unsigned i = 0; i < 3; ++i) pl->addVertexAt(i, AcGePoint2d(i * 10.0, i % 2 * 5.0), 0, 0.5, 0.5);
    pl->setColorIndex(3);
    AcDbObjectId plId = Add(pl);

    int a = NUV::ZQTwinkle(NameOf(plId).get(), 0, 1, "NUV_FLASH", 2.0, NUV::kTwinkleForever);
    auto look = [&](int& color, std::string& linetype, double& width) {
        AcDbPolyline* p = nullptr;
        ASSERT_EQ(acdbOpenObject(p, plId, AcDb::kForRead), Acad::eOk);
        color = p->colorIndex();
        char* name = p->linetype();
        linetype = name;
        acutDelString(name);
        ASSERT_EQ(p->getConstantWidth(width), Acad::eOk);
        p->close();
    };
    int color = 0;
    std::string linetype;
    double width = 0;
    look(color, linetype, width);
    EXPECT_EQ(color, 1);
    EXPECT_EQ(linetype, "NUV_FLASH");
    EXPECT_EQ(width, 2.0);

    // A second request with another colour: the entity's own look is what comes back at the end.
    int b = NUV::ZQTwinkle(NameOf(plId).get(), 0, 5, nullptr, 0.0, NUV::kTwinkleForever);
    EXPECT_EQ(ColorOf(plId), 5);
    EXPECT_EQ(NUV::TwinkleUseCount(plId), 2);
    Tick();
    EXPECT_EQ(NUV::ZQStopTwinkle(a), 1);
    EXPECT_EQ(ColorOf(plId), 5) << "the other item still flashes it";
    EXPECT_EQ(NUV::ZQStopTwinkle(b), 1);
    look(color, linetype, width);
    EXPECT_EQ(color, 3);
    EXPECT_EQ(linetype, "ByLayer");
    EXPECT_EQ(width, 0.5);
    EXPECT_EQ(NUV::TwinkleUseCount(plId), 0);
    EXPECT_FALSE(display().isBlanked(plId));
}

TEST_F(TwinkleTest, ColourFromASecondRequestIsPutBackToo) {
    // The first request leaves the colour alone, the second changes it: the entity's own colour
    // must still come back when both have ended.
    AcDbObjectId line = AddLine(0, 3);
    int a = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    int b = NUV::ZQTwinkle(NameOf(line).get(), 0, 1, nullptr, 0.0, NUV::kTwinkleForever);
    EXPECT_EQ(ColorOf(line), 1);
    NUV::ZQStopTwinkle(a);
    EXPECT_EQ(ColorOf(line), 1);
    NUV::ZQStopTwinkle(b);
    EXPECT_EQ(ColorOf(line), 3);
}

TEST_F(TwinkleTest, OutlineOfPoints) {
    AcGePoint3dArray pts;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {100.0, 0.0}, {100.0, 50.0}}) pts.append(AcGePoint3d(x, y, 7));
    int id = NUV::ZQTwinkle(pts, 300, nullptr, 1.5, 500);
    ASSERT_GT(id, 0);
    EXPECT_EQ(NUV::GetTwinkleState().outlines, 1);
    // The newest entity of model space is the outline.
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbObjectId outline = ms->entityIds().back();
    ms->close();
    AcDbPolyline* pl = nullptr;
    ASSERT_EQ(acdbOpenObject(pl, outline, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(pl->colorIndex(), 43) << "300 modulo 257";
    EXPECT_EQ(pl->numVerts(), 4u) << "closed back to the first point";
    double w = 0;
    EXPECT_EQ(pl->getConstantWidth(w), Acad::eOk);
    EXPECT_EQ(w, 1.5);
    pl->close();
    EXPECT_EQ(NUV::TwinkleUseCount(outline), 1);

    Tick();
    EXPECT_EQ(display().isBlanked(outline), NUV::GetTwinkleState().sharedPhase == 2);
    Tick();
    Tick();
    Tick();  // 664 ms: past 500
    EXPECT_FALSE(NUV::ZQHasTwinkle(id));
    EXPECT_EQ(NUV::GetTwinkleState().outlines, 0);
    AcDbObject* gone = nullptr;
    EXPECT_EQ(acdbOpenObject(gone, outline, AcDb::kForRead), Acad::eWasErased);

    // Negative colour and width count as 0; stopping erases at once.
    int id2 = NUV::ZQTwinkle(pts, -4, nullptr, -2.0, NUV::kTwinkleForever);
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbObjectId outline2 = ms->entityIds().back();
    ms->close();
    EXPECT_EQ(ColorOf(outline2), 0);
    EXPECT_EQ(NUV::ZQStopTwinkle(id2), 1);
    EXPECT_EQ(acdbOpenObject(gone, outline2, AcDb::kForRead), Acad::eWasErased);
    EXPECT_FALSE(NUV::ZQHasTwinkle(id2));
}

TEST_F(TwinkleTest, SelectionSetMakesAGroupLastMemberFirst) {
    AcDbObjectId e[3] = {AddLine(0, 1), AddLine(1, 2), AddLine(2, 3)};
    ads_name ss;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, ss), RTNORM);
    for (AcDbObjectId id : e) {
        ads_name res;
        ASSERT_EQ(acedSSAdd(NameOf(id).get(), ss, res), RTNORM);
    }
    int g = NUV::ZQTwinkle(ss, 1, 6, nullptr, 0.0, 200);
    ASSERT_GT(g, 0);
    EXPECT_TRUE(NUV::ZQHasTwinkle(g));
    for (int k = 1; k <= 3; ++k) EXPECT_TRUE(NUV::ZQHasTwinkle(g + k));
    for (AcDbObjectId id : e) EXPECT_EQ(ColorOf(id), 6);
    // g + 1 is the set's last member.
    ads_name last;
    ASSERT_EQ(acedSSName(ss, 2, last), RTNORM);
    AcDbObjectId lastId;
    ASSERT_EQ(acdbGetObjectId(lastId, last), Acad::eOk);
    int own = lastId == e[0] ? 1 : lastId == e[1] ? 2 : 3;
    EXPECT_EQ(NUV::ZQStopTwinkle(g + 1), 1);
    EXPECT_EQ(ColorOf(lastId), own);
    // Members expire by themselves; the group stays until stopped.
    Tick();
    Tick();
    for (int k = 1; k <= 3; ++k) EXPECT_FALSE(NUV::ZQHasTwinkle(g + k));
    EXPECT_TRUE(NUV::ZQHasTwinkle(g));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ColorOf(e[i]), i + 1);
    EXPECT_EQ(NUV::ZQStopTwinkle(g), 1);
    EXPECT_FALSE(NUV::ZQHasTwinkle(g));

    ads_name empty;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, empty), RTNORM);
    EXPECT_EQ(NUV::ZQTwinkle(empty, 1, 0), 0);
    ads_name bogus = {12345, 678};
    EXPECT_EQ(NUV::ZQTwinkle(bogus, 1, 0), -1);
    acedSSFree(empty);
    acedSSFree(ss);
}

TEST_F(TwinkleTest, GroupStoppedWithAWindowStaysRegistered) {
    AcDbObjectId a = AddLine(0), b = AddLine(1);
    ads_name ss, res;
    ASSERT_EQ(acedSSAdd(NameOf(a).get(), nullptr, ss), RTNORM);
    ASSERT_EQ(acedSSAdd(NameOf(b).get(), ss, res), RTNORM);
    int g = NUV::ZQTwinkle(ss, 1, NUV::kTwinkleForever);
    EXPECT_EQ(NUV::ZQStopTwinkle(g, reinterpret_cast<HWND>(1)), 0);
    EXPECT_TRUE(NUV::ZQHasTwinkle(g));
    EXPECT_FALSE(NUV::ZQHasTwinkle(g + 1));
    EXPECT_FALSE(NUV::ZQHasTwinkle(g + 2));
    EXPECT_EQ(NUV::ZQStopTwinkle(g), 1);
    EXPECT_FALSE(NUV::ZQHasTwinkle(g));
    acedSSFree(ss);
}

TEST_F(TwinkleTest, StopOneAndUnknownIds) {
    AcDbObjectId line = AddLine(0, 4);
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, 1, nullptr, 0.0, NUV::kTwinkleForever);
    EXPECT_EQ(NUV::ZQStopTwinkle(987654), 1) << "never issued";
    EXPECT_EQ(NUV::ZQStopTwinkle(id), 1);
    EXPECT_FALSE(NUV::ZQHasTwinkle(id));
    EXPECT_EQ(ColorOf(line), 4);
    EXPECT_EQ(NUV::ZQStopTwinkle(id), 1) << "stopping twice is harmless";
    EXPECT_GT(NUV::GetTwinkleState().nextId, id) << "ids are never reused";
}

TEST_F(TwinkleTest, StopAllPutsEverythingBackAndTheTimerRunsOut) {
    AcDbObjectId a = AddLine(0, 2), b = AddLine(1, 3);
    NUV::ZQTwinkle(NameOf(a).get(), 0, 1, nullptr, 0.0, NUV::kTwinkleForever);
    NUV::ZQTwinkle(NameOf(b).get(), 0, 1, nullptr, 0.0, NUV::kTwinkleForever);
    ads_name ss;
    ASSERT_EQ(acedSSAdd(NameOf(b).get(), nullptr, ss), RTNORM);
    int g = NUV::ZQTwinkle(ss, 1, 5, nullptr, 0.0, NUV::kTwinkleForever);
    AcGePoint3dArray pts;
    pts.append(AcGePoint3d(0, 0, 0));
    pts.append(AcGePoint3d(5, 5, 0));
    int o = NUV::ZQTwinkle(pts, NUV::kTwinkleForever);
    while (NextPhase() != 2) Tick();
    Tick();  // stop while the entities are blanked
    ASSERT_TRUE(display().isBlanked(a));

    NUV::ZQStopAllTwinkle(nullptr);
    EXPECT_EQ(ColorOf(a), 2);
    EXPECT_EQ(ColorOf(b), 3);
    EXPECT_FALSE(display().isBlanked(a));
    EXPECT_FALSE(display().isBlanked(b));
    EXPECT_FALSE(NUV::ZQHasTwinkle(g));
    EXPECT_FALSE(NUV::ZQHasTwinkle(o));
    NUV::TwinkleState s = NUV::GetTwinkleState();
    EXPECT_EQ(s.items, 0);
    EXPECT_EQ(s.outlines, 0);
    EXPECT_EQ(s.groups, 0);
    EXPECT_EQ(NUV::TwinkleUseCount(b), 0);
    EXPECT_TRUE(s.timerRunning) << "stop all leaves the timer to its next tick";
    Tick();
    EXPECT_FALSE(NUV::GetTwinkleState().timerRunning);
    EXPECT_EQ(NUVWin::TimerCount(), 0);
    acedSSFree(ss);
}

TEST_F(TwinkleTest, NewFrequencyTakesEffectWhenTheTimerStarts) {
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    ASSERT_EQ(NUV::ZQSetTwinkleFreQuency(10), 1);
    EXPECT_EQ(Tick(), 166u) << "the running timer keeps its interval";
    NUV::ZQStopTwinkle(id);
    Tick();  // empty: the timer stops
    ASSERT_FALSE(NUV::GetTwinkleState().timerRunning);
    id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    EXPECT_EQ(Tick(), 50u);
    ASSERT_EQ(NUV::ZQSetTwinkleFreQuency(0.1), 1);
    NUV::ZQStopTwinkle(id);
    Tick();
    id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    EXPECT_EQ(Tick(), 5000u);
}

TEST_F(TwinkleTest, ErasedEntityIsSkippedUntilItEnds) {
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, 400);
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, line, AcDb::kForWrite), Acad::eOk);
    obj->erase();
    obj->close();
    int before = NUV::TwinkleItemPhase(id);
    Tick();
    EXPECT_EQ(NUV::TwinkleItemPhase(id), before) << "cannot be opened: phase unchanged";
    Tick();
    Tick();
    EXPECT_FALSE(NUV::ZQHasTwinkle(id)) << "expires all the same";
}

TEST_F(TwinkleTest, ExceptionInATickStopsEverything) {
    auto* fragile = new FragileLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    fragile->setColorIndex(2);
    AcDbObjectId f = Add(fragile);
    AcDbObjectId other = AddLine(3, 5);
    NUV::ZQTwinkle(NameOf(f).get(), 0, 1, nullptr, 0.0, 300);  // restored (and throws) at expiry
    NUV::ZQTwinkle(NameOf(other).get(), 0, 6, nullptr, 0.0, NUV::kTwinkleForever);
    Tick();
    FragileLine::armed = true;
    Tick();  // 332 ms: the first item ends, restoring its colour throws
    EXPECT_FALSE(FragileLine::armed) << "the fault happened";
    NUV::TwinkleState s = NUV::GetTwinkleState();
    EXPECT_EQ(s.items, 0);
    EXPECT_FALSE(s.timerRunning);
    EXPECT_EQ(NUVWin::TimerCount(), 0);
    EXPECT_EQ(ColorOf(other), 5) << "the other entity is put back too";
    EXPECT_EQ(ColorOf(f), 2);
    EXPECT_FALSE(display().isBlanked(other));
    EXPECT_EQ(db.numOpenObjects(), 0);
}
