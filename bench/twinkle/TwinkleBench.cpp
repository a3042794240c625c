// One tick of the flashing engine with 1,000 items of which 500 change phase: 500 were started
// and ticked once (so they show the "off" phase), then 500 more started (still "on"); the
// measured tick turns the first 500 back on and leaves the rest. The state is rebuilt outside
// the timing before every tick. Prints the entities the engine opened and redrew per tick
// (500 each: only the items whose phase changes are touched). Goal: at most 1 ms a tick.
#include <benchmark/benchmark.h>

#include <vector>

#include "acad/AcDb.h"
#include "acad/AcEdDisplay.h"
#include "acad/Display.h"
#include "twinkle/Twinkle.h"
#include "twinkle/TwinkleState.h"
#include "win/Tick.h"
#include "win/Timer.h"

namespace {

void StepToNextTick() {
    ULONGLONG due = 0;
    if (!NUVWin::NextTimerDue(due)) return;
    ULONGLONG now = GetTickCount64();
    if (due > now) NUVWin::AdvanceVirtualClock(due - now);
    NUVWin::DispatchTimers();
}

void BM_TwinkleTick(benchmark::State& state) {
    NUVWin::UseVirtualClock(1000000);
    AcDbDatabase db;
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    for (int i = 0; i < 1000; ++i) {
        auto* line = new AcDbLine({0, double(i), 0}, {10, double(i), 0});
        AcDbObjectId id;
        ms->appendAcDbEntity(id, line);
        line->close();
        ids.push_back(id);
    }
    ms->close();
    auto start = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            ads_name n;
            acdbGetAdsName(n, ids[size_t(i)]);
            NUV::ZQTwinkle(n, 0, NUV::kTwinkleForever);
        }
    };
    NUVAcad::Display& display = NUVAcad::displayOf(&db);
    long redrawn = 0, ticks = 0;
    unsigned long long opened = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NUV::ZQStopAllTwinkle(nullptr);
        while (NUV::GetTwinkleState().timerRunning) StepToNextTick();
        // Line the shared phase up so that the first tick after the restart blanks.
        start(0, 500);
        int first = 0, second = 0;
        NUV::ZQGetTwinkleMode(first, second);
        while (true) {
            StepToNextTick();
            if (NUV::GetTwinkleState().sharedPhase == second) break;
        }
        start(500, 1000);
        long before = display.counters().entityRedraws;
        unsigned long long openedBefore = NUV::GetTwinkleState().entitiesOpened;
        state.ResumeTiming();
        StepToNextTick();
        state.PauseTiming();
        redrawn += display.counters().entityRedraws - before;
        opened += NUV::GetTwinkleState().entitiesOpened - openedBefore;
        ++ticks;
        state.ResumeTiming();
    }
    NUV::ZQStopAllTwinkle(nullptr);
    while (NUV::GetTwinkleState().timerRunning) StepToNextTick();
    state.counters["items"] = 1000;
    state.counters["opened_per_tick"] = ticks ? double(opened) / double(ticks) : 0;
    state.counters["redrawn_per_tick"] = ticks ? double(redrawn) / double(ticks) : 0;
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    NUVWin::UseRealClock();
}
BENCHMARK(BM_TwinkleTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
