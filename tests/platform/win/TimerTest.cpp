// Timers on the virtual clock: which callbacks run, in which order, with which tick, and what
// killing and setting timers from inside a callback does.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "win/Tick.h"
#include "win/Timer.h"

namespace {

struct Fired {
    HWND hwnd;
    UINT msg;
    UINT_PTR id;
    DWORD tick;
};
std::vector<Fired> fired;

void Record(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) { fired.push_back({hwnd, msg, id, tick}); }

HWND Window(int n) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000 + n)); }

class Timers : public ::testing::Test {
protected:
    void SetUp() override {
        NUVWin::UseVirtualClock(kStart);
        fired.clear();
    }
    void TearDown() override {
        NUVWin::KillWindowTimers(nullptr);
        NUVWin::SetWindowMessageHandler(nullptr);
        NUVWin::UseRealClock();
    }
    // Moves the clock by `ms` one millisecond at a time, delivering whatever falls due.
    static void Run(unsigned ms) {
        for (unsigned i = 0; i < ms; ++i) {
            NUVWin::AdvanceVirtualClock(1);
            NUVWin::DispatchTimers();
        }
    }
    static std::vector<UINT_PTR> Ids() {
        std::vector<UINT_PTR> ids;
        for (const Fired& f : fired) ids.push_back(f.id);
        return ids;
    }
    static constexpr ULONGLONG kStart = 5'000;
};

TEST_F(Timers, VirtualClockStandsStillUntilAdvanced) {
    EXPECT_EQ(kStart, GetTickCount64());
    EXPECT_EQ(kStart, GetTickCount64());
    NUVWin::AdvanceVirtualClock(250);
    EXPECT_EQ(static_cast<DWORD>(kStart + 250), GetTickCount());
}

TEST_F(Timers, TickCountWrapsAt32Bits) {
    NUVWin::UseVirtualClock(0xFFFFFFF0ull);
    NUVWin::AdvanceVirtualClock(0x20);
    EXPECT_EQ(0x10u, GetTickCount());
    EXPECT_EQ(0x100000010ull, GetTickCount64());
}

TEST_F(Timers, PeriodicTimerFiresOnEachPeriodWithTheTickOfItsMessage) {
    UINT_PTR id = SetTimer(nullptr, 0, 100, Record);
    ASSERT_NE(0u, id);
    Run(99);
    EXPECT_TRUE(fired.empty());
    Run(1);
    ASSERT_EQ(1u, fired.size());
    EXPECT_EQ(static_cast<DWORD>(kStart + 100), fired[0].tick);
    EXPECT_EQ(static_cast<UINT>(WM_TIMER), fired[0].msg);
    EXPECT_EQ(id, fired[0].id);
    EXPECT_EQ(nullptr, fired[0].hwnd);
    Run(300);
    ASSERT_EQ(4u, fired.size());
    EXPECT_EQ(static_cast<DWORD>(kStart + 400), fired[3].tick);
}

TEST_F(Timers, MissedPeriodsCoalesceIntoOneMessageAndKeepThePhase) {
    SetTimer(nullptr, 0, 100, Record);
    NUVWin::AdvanceVirtualClock(350);
    EXPECT_EQ(1, NUVWin::DispatchTimers());
    EXPECT_EQ(0, NUVWin::DispatchTimers()) << "one message however many periods went by";
    ULONGLONG next = 0;
    ASSERT_TRUE(NUVWin::NextTimerDue(next));
    EXPECT_EQ(kStart + 400, next);
}

TEST_F(Timers, PeriodIsClampedToThePlatformLimits) {
    struct Case {
        UINT asked;
        ULONGLONG dueAfter;
    } cases[] = {{0, 10}, {1, 10}, {9, 10}, {10, 10}, {11, 11}, {0x7FFFFFFF, 0x7FFFFFFF}, {0xFFFFFFFF, 0x7FFFFFFF}};
    for (const Case& c : cases) {
        NUVWin::KillWindowTimers(nullptr);
        SetTimer(Window(1), 7, c.asked, Record);
        ULONGLONG due = 0;
        ASSERT_TRUE(NUVWin::NextTimerDue(due));
        EXPECT_EQ(kStart + c.dueAfter, due) << "asked " << c.asked;
    }
}

TEST_F(Timers, EqualDueTimesFireInTheOrderTheTimersWereSet) {
    SetTimer(Window(1), 3, 50, Record);
    SetTimer(Window(1), 1, 50, Record);
    SetTimer(Window(2), 2, 50, Record);
    SetTimer(Window(2), 9, 20, Record);
    Run(50);
    EXPECT_EQ((std::vector<UINT_PTR>{9, 9, 3, 1, 2}), Ids());
}

TEST_F(Timers, ThreadTimerIdsAreFreshUnlessAnExistingOneIsNamed) {
    UINT_PTR a = SetTimer(nullptr, 0, 100, Record);
    UINT_PTR b = SetTimer(nullptr, 12345, 100, Record);  // not an existing id: ignored
    EXPECT_NE(0u, a);
    EXPECT_NE(0u, b);
    EXPECT_NE(a, b);
    EXPECT_NE(12345u, b);
    EXPECT_EQ(a, SetTimer(nullptr, a, 30, Record)) << "naming an existing thread timer replaces it";
    EXPECT_EQ(2, NUVWin::TimerCount());
    Run(30);
    EXPECT_EQ(std::vector<UINT_PTR>{a}, Ids());
    EXPECT_EQ(0u, SetTimer(nullptr, 0, 100, nullptr)) << "a thread timer without a callback is refused";
}

TEST_F(Timers, WindowTimerOfTheSameIdIsReplacedAndIdZeroAnswersOne) {
    EXPECT_EQ(5u, SetTimer(Window(1), 5, 100, Record));
    EXPECT_EQ(5u, SetTimer(Window(1), 5, 40, Record));
    EXPECT_EQ(5u, SetTimer(Window(2), 5, 60, Record));
    EXPECT_EQ(1u, SetTimer(Window(3), 0, 60, Record));
    EXPECT_EQ(3, NUVWin::TimerCount());
    Run(40);
    ASSERT_EQ(1u, fired.size());
    EXPECT_EQ(Window(1), fired[0].hwnd);
}

TEST_F(Timers, KillTimerReportsWhetherTheTimerExisted) {
    SetTimer(Window(1), 5, 100, Record);
    EXPECT_FALSE(KillTimer(Window(2), 5));
    EXPECT_FALSE(KillTimer(Window(1), 6));
    EXPECT_TRUE(KillTimer(Window(1), 5));
    EXPECT_FALSE(KillTimer(Window(1), 5));
    Run(200);
    EXPECT_TRUE(fired.empty());
}

// A one-shot timer: the callback kills the timer that called it.
void OneShot(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    Record(hwnd, msg, id, tick);
    KillTimer(hwnd, id);
}

TEST_F(Timers, CallbackKillingItsOwnTimerFiresOnce) {
    SetTimer(Window(1), 2, 100, OneShot);
    Run(1000);
    EXPECT_EQ(1u, fired.size());
    EXPECT_EQ(0, NUVWin::TimerCount());
}

void KillsOther(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    Record(hwnd, msg, id, tick);
    KillTimer(Window(1), 2);
}

TEST_F(Timers, TimerKilledByAnEarlierCallbackOfTheSameRoundIsNotDelivered) {
    SetTimer(Window(1), 1, 50, KillsOther);
    SetTimer(Window(1), 2, 50, Record);
    Run(50);
    EXPECT_EQ(std::vector<UINT_PTR>{1}, Ids());
}

void SetsAnother(HWND hwnd, UINT msg, UINT_PTR id, DWORD tick) {
    Record(hwnd, msg, id, tick);
    KillTimer(hwnd, id);
    SetTimer(Window(1), 8, 10, Record);
}

TEST_F(Timers, TimerSetByACallbackStartsItsFirstPeriodThen) {
    SetTimer(Window(1), 7, 30, SetsAnother);
    Run(30);
    EXPECT_EQ(std::vector<UINT_PTR>{7}, Ids()) << "not due in the round that set it";
    Run(10);
    ASSERT_EQ((std::vector<UINT_PTR>{7, 8}), Ids());
    EXPECT_EQ(static_cast<DWORD>(kStart + 40), fired[1].tick);
}

std::vector<std::pair<HWND, WPARAM>> windowMessages;
void WindowHandler(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_TIMER) windowMessages.emplace_back(hwnd, wParam);
}

TEST_F(Timers, WindowTimerWithoutCallbackSendsWmTimerToTheWindow) {
    windowMessages.clear();
    SetTimer(Window(4), 11, 25, nullptr);
    Run(25);  // no handler: dropped
    NUVWin::SetWindowMessageHandler(WindowHandler);
    Run(25);
    ASSERT_EQ(1u, windowMessages.size());
    EXPECT_EQ(Window(4), windowMessages[0].first);
    EXPECT_EQ(11u, windowMessages[0].second);
}

TEST_F(Timers, TimersOfAWindowDieWithIt) {
    SetTimer(Window(1), 1, 10, Record);
    SetTimer(Window(1), 2, 10, Record);
    SetTimer(Window(2), 1, 10, Record);
    NUVWin::KillWindowTimers(Window(1));
    EXPECT_EQ(1, NUVWin::TimerCount());
}

void OtherProc(HWND, UINT, UINT_PTR, DWORD) {}

TEST_F(Timers, TimersWhoseCodeGoesAwayAreKilled) {
    SetTimer(Window(1), 1, 10, Record);
    SetTimer(Window(1), 2, 10, OtherProc);
    SetTimer(nullptr, 0, 10, OtherProc);
    int killed = NUVWin::KillTimersMatching([](TIMERPROC p, void*) { return p == OtherProc; }, nullptr);
    EXPECT_EQ(2, killed);
    EXPECT_EQ(1, NUVWin::TimerCount());
}

}  // namespace
