// Messages from Qt events: what a handler sees of typed keys (GBK bytes, refused characters), the
// notifications and their reflection, colour requests painted, timers, focus, and messages sent,
// posted and sent with a time-out within a thread and across threads.
#include <QLineEdit>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "QtTestApp.h"
#include "mfc/Edit.h"
#include "mfc/GdiWrappers.h"
#include "mfc/Menu.h"
#include "mfc/ModalAnswers.h"
#include "mfc/WindowApi.h"

namespace {

constexpr UINT kEditId = 100;

class Field : public CEdit {
public:
    std::vector<UINT> chars;
    std::vector<UINT> keys;
    BOOL stopChange = FALSE;  // what the reflected EN_CHANGE answers
    int changes = 0;
    COLORREF colour = CLR_INVALID;
    CBrush brush;
    HWND focusFrom = nullptr, focusTo = nullptr;

protected:
    void OnChar(UINT c, UINT repeat, UINT flags) {
        chars.push_back(c);
        if (c == 'x') return;  // refused: never reaches the widget
        CEdit::OnChar(c, repeat, flags);
    }
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) {
        keys.push_back(vk);
        CEdit::OnKeyDown(vk, repeat, flags);
    }
    BOOL OnChange() {
        ++changes;
        return stopChange;
    }
    HBRUSH CtlColor(CDC*, UINT) {
        if (colour == CLR_INVALID) return nullptr;
        brush.DeleteObject();
        brush.CreateSolidBrush(colour);
        return brush;
    }
    void OnSetFocus(CWnd* old) {
        focusFrom = old ? old->m_hWnd : nullptr;
        CEdit::OnSetFocus(old);
    }
    void OnKillFocus(CWnd* next) {
        focusTo = next ? next->m_hWnd : nullptr;
        CEdit::OnKillFocus(next);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Field, CEdit)
ON_WM_CHAR()
ON_WM_KEYDOWN()
ON_CONTROL_REFLECT_EX(EN_CHANGE, OnChange)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

class Frame : public CWnd {
public:
    int changes = 0;
    int timers = 0;
    int zeroTimers = 0;
    std::vector<std::pair<WPARAM, LPARAM>> app;

protected:
    void OnEditChange() { ++changes; }
    LRESULT OnApp(WPARAM w, LPARAM l) {
        app.emplace_back(w, l);
        return static_cast<LRESULT>(w * 2);
    }
    void OnTimer(UINT_PTR id) {
        if (id == 7) ++timers;
        if (id == 0) ++zeroTimers;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Frame, CWnd)
ON_EN_CHANGE(kEditId, OnEditChange)
ON_MESSAGE(WM_APP + 1, OnApp)
ON_WM_TIMER()
END_MESSAGE_MAP()

class MessagesTest : public QtTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(field.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(10, 10, 200, 34), &frame, kEditId));
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 50, 200, 74), &frame, kEditId + 1));
        ShowActive(frame.GetQWidget());
        field.SetFocus();
    }
    CString Text(CWnd& w) {
        CString t;
        w.GetWindowText(t);
        return t;
    }
    Frame frame;
    Field field;
    CEdit other;
};

TEST_F(MessagesTest, TypedCharactersReachTheHandlerAndOnlyDefaultedOnesTheWidget) {
    QTest::keyClicks(field.GetQWidget(), "abxc");
    EXPECT_EQ(Text(field), "abc");
    EXPECT_EQ(field.chars, (std::vector<UINT>{'a', 'b', 'x', 'c'}));
    // Letters arrive as their upper-case virtual keys first.
    EXPECT_EQ(field.keys, (std::vector<UINT>{'A', 'B', 'X', 'C'}));
}

TEST_F(MessagesTest, ChineseArrivesAsTwoGbkBytesLeadFirst) {
    Type(field, "中文");
    // 中 is D6 D0 and 文 is CE C4 in GBK.
    EXPECT_EQ(field.chars, (std::vector<UINT>{0xD6, 0xD0, 0xCE, 0xC4}));
    EXPECT_EQ(Text(field), "\xD6\xD0\xCE\xC4");
}

TEST_F(MessagesTest, TextWithoutGbkFormIsRefusedWithABeep) {
    const int beeps = NUVMfc::BeepCount();
    Type(field, "a\xF0\x9F\x98\x80");  // an emoji has no GBK form
    EXPECT_EQ(Text(field), "a");
    EXPECT_EQ(NUVMfc::BeepCount(), beeps + 1);
}

TEST_F(MessagesTest, ControlKeysGiveTheirControlCharacters) {
    QTest::keyClicks(field.GetQWidget(), "ab");
    field.chars.clear();
    Key(field, Qt::Key_Backspace);
    Key(field, Qt::Key_Left);
    Key(field, Qt::Key_Delete);
    EXPECT_EQ(field.chars, (std::vector<UINT>{0x08}));
    EXPECT_EQ(field.keys.back(), static_cast<UINT>(VK_DELETE));
    EXPECT_EQ(Text(field), "");
}

TEST_F(MessagesTest, ChangeIsReflectedAndReachesTheParentUnlessTheControlStopsIt) {
    QTest::keyClicks(field.GetQWidget(), "1");
    EXPECT_EQ(field.changes, 1);
    EXPECT_EQ(frame.changes, 1);
    field.stopChange = TRUE;
    QTest::keyClicks(field.GetQWidget(), "2");
    EXPECT_EQ(field.changes, 2);
    EXPECT_EQ(frame.changes, 1);
}

TEST_F(MessagesTest, SettingTheSameTextIsStillAChange) {
    field.SetWindowText("abc");
    field.SetWindowText("abc");
    EXPECT_EQ(frame.changes, 2);
}

TEST_F(MessagesTest, TextThatIsNotGbkLeavesTheWindowAsItWas) {
    field.SetWindowText("ok");
    EXPECT_FALSE(::SetWindowTextA(field.m_hWnd, "\x81"));  // a lone lead byte
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(Text(field), "ok");
}

TEST_F(MessagesTest, GetWindowTextNeverSplitsADoubleByteCharacter) {
    field.SetWindowText("a\xD6\xD0" "b");
    char buffer[3] = {'?', '?', '?'};
    EXPECT_EQ(field.GetWindowText(buffer, 3), 1);  // "a" and the terminator; 中 does not fit
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(field.GetWindowTextLength(), 4);
}

TEST_F(MessagesTest, ColourAnswerPaintsTheBackground) {
    field.colour = RGB(255, 0, 0);
    field.Invalidate();
    EXPECT_EQ(PaintedColour(field.GetQWidget(), QPoint(field.GetQWidget()->width() - 6, 12)), RGB(255, 0, 0));
    field.colour = CLR_INVALID;  // no answer: the parent's default, the window colour
    field.Invalidate();
    EXPECT_EQ(PaintedColour(field.GetQWidget(), QPoint(field.GetQWidget()->width() - 6, 12)), GetSysColor(COLOR_WINDOW));
}

TEST_F(MessagesTest, FocusMessagesNameTheOtherWindow) {
    other.SetFocus();
    EXPECT_EQ(field.focusTo, other.m_hWnd);
    field.SetFocus();
    EXPECT_EQ(field.focusFrom, other.m_hWnd);
    EXPECT_EQ(CWnd::GetFocus(), &field);
}

TEST_F(MessagesTest, SendAndPostWithinTheThread) {
    EXPECT_EQ(frame.SendMessage(WM_APP + 1, 21, 5), 42);
    EXPECT_TRUE(frame.PostMessage(WM_APP + 1, 3, 4));
    EXPECT_EQ(frame.app.size(), 1u);  // posted: not yet
    NUVMfc::ProcessPendingEvents();
    ASSERT_EQ(frame.app.size(), 2u);
    EXPECT_EQ(frame.app[1], (std::pair<WPARAM, LPARAM>{3, 4}));
    DWORD_PTR result = 0;
    // The time-out does not apply within a thread: the window procedure runs at once.
    EXPECT_TRUE(SendMessageTimeout(frame.m_hWnd, WM_APP + 1, 8, 0, SMTO_BLOCK, 1, &result));
    EXPECT_EQ(result, 16u);
}

TEST_F(MessagesTest, InvalidHandlesAreRefused) {
    DWORD_PTR result = 99;
    HWND gone = other.m_hWnd;
    other.DestroyWindow();
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(SendMessageTimeout(gone, WM_APP + 1, 1, 0, SMTO_BLOCK, 1, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(result, 99u);
    EXPECT_EQ(other.m_hWnd, nullptr);
}

TEST_F(MessagesTest, TimerMessagesArriveUntilKilled) {
    ASSERT_EQ(frame.SetTimer(7, 10), 7u);
    QTest::qWait(80);
    EXPECT_GE(frame.timers, 2);
    EXPECT_TRUE(frame.KillTimer(7));
    const int seen = frame.timers;
    QTest::qWait(40);
    EXPECT_EQ(frame.timers, seen);
    EXPECT_FALSE(frame.KillTimer(7));
}

// Event id 0 is an id like any other: its messages carry 0 and KillTimer(0) stops them. An
// interval beyond the longest one is the longest one, not a refusal.
TEST_F(MessagesTest, TimerIdZeroAndTheLongestInterval) {
    EXPECT_NE(frame.SetTimer(0, 10), 0u);
    QTest::qWait(60);
    EXPECT_GE(frame.zeroTimers, 2);
    EXPECT_TRUE(frame.KillTimer(0));
    const int seen = frame.zeroTimers;
    QTest::qWait(40);
    EXPECT_EQ(frame.zeroTimers, seen);
    EXPECT_EQ(frame.SetTimer(7, 0xFFFFFFFFu), 7u);
    QTest::qWait(30);
    EXPECT_EQ(frame.timers, 0);
    EXPECT_TRUE(frame.KillTimer(7));
}

TEST_F(MessagesTest, EditContextMenuIsAnsweredLikeAnyMenu) {
    field.SetWindowText("hello");
    NUVMfc::QueueModalAnswer(static_cast<INT_PTR>(EM_SETSEL));  // "select all"
    field.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(field.m_hWnd), MAKELPARAM(-1, -1));
    int start = -1, end = -1;
    field.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 5);
    // A greyed item is never chosen: with nothing selected "Cut" is grey.
    field.SetSel(-1, 0);
    NUVMfc::QueueModalAnswer(static_cast<INT_PTR>(WM_CUT));
    field.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(field.m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_EQ(Text(field), "hello");
}

TEST_F(MessagesTest, SelectionCountsGbkBytes) {
    field.SetWindowText("\xD6\xD0" "ab");
    field.SetSel(2, 3);
    EXPECT_EQ(static_cast<QLineEdit*>(field.GetQWidget())->selectedText(), QString("a"));
    int s, e;
    field.GetSel(s, e);
    EXPECT_EQ(s, 2);
    EXPECT_EQ(e, 3);
}

TEST_F(MessagesTest, LimitCountsBytes) {
    field.SetLimitText(3);
    Type(field, "中文");  // 4 bytes: the second character does not fit
    EXPECT_EQ(Text(field), "\xD6\xD0");
    QTest::keyClicks(field.GetQWidget(), "ab");
    EXPECT_EQ(Text(field), "\xD6\xD0" "a");
}

// A window of another thread answers only when that thread takes its messages.
class Worker : public CWnd {
public:
    std::atomic<int> handled{0};

protected:
    LRESULT OnAsk(WPARAM w, LPARAM) {
        ++handled;
        return static_cast<LRESULT>(w + 1);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Worker, CWnd)
ON_MESSAGE(WM_APP + 2, OnAsk)
END_MESSAGE_MAP()

TEST_F(MessagesTest, SendMessageTimeoutToABusyThreadTimesOutAndIsNeverDeliveredLate) {
    Worker worker;
    std::atomic<HWND> handle{nullptr};
    std::atomic<bool> pump{false}, stop{false};
    std::thread t([&] {
        worker.CreateMessageOnly();
        handle = worker.m_hWnd;
        while (!stop) {
            if (pump) {
                MSG m;
                while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
        worker.DestroyWindow();
    });
    while (!handle) std::this_thread::yield();
    DWORD_PTR result = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessageTimeout(handle, WM_APP + 2, 1, 0, SMTO_BLOCK, 1, &result), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    pump = true;
    EXPECT_EQ(SendMessageTimeout(handle, WM_APP + 2, 41, 0, SMTO_BLOCK, 5000, &result), 1);
    EXPECT_EQ(result, 42u);
    stop = true;
    t.join();
    EXPECT_EQ(worker.handled, 1);  // the abandoned request was dropped
}

}  // namespace
