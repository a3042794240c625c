// Shared by the flashing tests: a drawing made the working one, the virtual clock, and one tick
// at a time delivered the way the host's message loop delivers them. Settings are put back and
// every flashing stopped (and its timer run out) after each test.
#pragma once

#include <gtest/gtest.h>

#include "../../support/ModelSpace.h"
#include "acad/AcDb.h"
#include "acad/AcEdDisplay.h"
#include "acad/Display.h"
#include "twinkle/Twinkle.h"
#include "twinkle/TwinkleState.h"
#include "win/Tick.h"
#include "win/Timer.h"

class TwinkleTest : public ::testing::Test {
protected:
    static constexpr ULONGLONG kClockStart = 1000000;

    void SetUp() override {
        previous_ = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        NUVWin::UseVirtualClock(kClockStart);
        ASSERT_EQ(NUV::ZQSetTwinkleMode(1, 2), 1);
        ASSERT_EQ(NUV::ZQSetTwinkleFreQuency(3.0), 1);
    }
    void TearDown() override {
        NUV::ZQStopAllTwinkle(nullptr);
        for (int i = 0; i < 3 && NUV::GetTwinkleState().timerRunning; ++i) Tick();
        EXPECT_FALSE(NUV::GetTwinkleState().timerRunning) << "the first empty tick kills the timer";
        EXPECT_EQ(NUVWin::TimerCount(), 0);
        EXPECT_EQ(db.numOpenObjects(), 0) << "an object was left open";
        NUV::ZQSetTwinkleMode(1, 2);
        NUV::ZQSetTwinkleFreQuency(3.0);
        acdbHostApplicationServices()->setWorkingDatabase(previous_);
        NUVWin::UseRealClock();
    }

    // Moves the clock to the timer's next due time and delivers it. Returns the milliseconds
    // that passed.
    ULONGLONG Tick() {
        ULONGLONG due = 0;
        if (!NUVWin::NextTimerDue(due)) {
            ADD_FAILURE() << "no timer is running";
            return 0;
        }
        ULONGLONG now = GetTickCount64();
        ULONGLONG step = due > now ? due - now : 0;
        NUVWin::AdvanceVirtualClock(step);
        EXPECT_EQ(NUVWin::DispatchTimers(), 1);
        return step;
    }
    // The shared phase the next tick will set.
    static int NextPhase() {
        int first = 0, second = 0;
        NUV::ZQGetTwinkleMode(first, second);
        int now = NUV::GetTwinkleState().sharedPhase;
        return now == 0 ? second : (now != first ? first : second);
    }

    AcDbObjectId Add(AcDbEntity* e) { return NUVTest::AppendToModelSpace(db, e); }
    AcDbObjectId AddLine(double y = 0, int color = 256) {
        auto* line = new AcDbLine({0, y, 0}, {10, y, 0});
        line->setColorIndex(color);
        return Add(line);
    }
    struct Name {
        ads_name n;
        long* get() { return n; }
    };
    static Name NameOf(AcDbObjectId id) {
        Name n;
        EXPECT_EQ(acdbGetAdsName(n.n, id), Acad::eOk);
        return n;
    }
    NUVAcad::Display& display() { return NUVAcad::displayOf(&db); }
    int ColorOf(AcDbObjectId id) {
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) return -999;
        int c = e->colorIndex();
        e->close();
        return c;
    }

    AcDbDatabase db;

private:
    AcDbDatabase* previous_ = nullptr;
};
