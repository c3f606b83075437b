// Message queue order, cross-thread sends, quit and timers.
#include "window_test_util.h"

#include <atomic>
#include <thread>

using namespace wintest;
namespace host = uiplatform::host;

TEST_F(WindowTest, RetrievalOrderIsSentPostedInputPaintTimer) {
    HWND hwnd = Make(0, 0, 100, 100);
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    SetTimer(hwnd, 1, 10, nullptr);
    Sleep(30);                                  // the timer is due
    InvalidateRect(hwnd, nullptr, FALSE);       // a paint is due
    host::InjectMouseMove(50, 50);              // input is queued
    PostMessageW(hwnd, WM_APP + 1, 0, 0);       // a posted message
    std::thread sender([&] { SendMessageW(hwnd, WM_APP + 2, 0, 0); });
    // Wait until the send is queued on this thread.
    for (int i = 0; i < 200 && GetQueueStatus(QS_SENDMESSAGE) == 0; ++i) Sleep(5);
    Log().clear();
    std::vector<UINT> order;
    MSG msg;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
        order.push_back(msg.message);
        DispatchMessageW(&msg);
    }
    sender.join();
    // The sent message was handled inside the first GetMessageW, before anything returned.
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().front().msg, static_cast<UINT>(WM_APP + 2));
    std::vector<UINT> expected{WM_APP + 1, WM_MOUSEMOVE, WM_PAINT, WM_TIMER};
    EXPECT_EQ(order, expected);
    KillTimer(hwnd, 1);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, PeekNoRemoveAndFilters) {
    HWND a = Make(0, 0, 10, 10);
    HWND b = Make(20, 0, 10, 10);
    PostMessageW(a, WM_APP + 1, 1, 0);
    PostMessageW(b, WM_APP + 2, 2, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 3, 3, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 2));
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 3));
    EXPECT_EQ(msg.hwnd, nullptr);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, b);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 1));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP + 10, PM_REMOVE));
    EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(WindowTest, QuitEndsGetMessageWithItsCodeAfterPostedMessages) {
    HWND hwnd = Make(0, 0, 10, 10);
    PostQuitMessage(42);
    PostMessageW(hwnd, WM_APP, 0, 0);
    MSG msg;
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 42u);
    // The quit is retrieved once.
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, QuitPostedFromAnotherThreadWakesTheLoop) {
    DWORD ui = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists
    std::thread other([ui] {
        Sleep(50);
        PostThreadMessageW(ui, WM_APP + 5, 0, 0);
    });
    ASSERT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP + 5));
    other.join();
}

TEST_F(WindowTest, CrossThreadSendBlocksUntilHandledAndWaitingThreadStillAnswers) {
    HWND mine = Make(0, 0, 10, 10);
    std::atomic<HWND> theirs{nullptr};
    std::atomic<bool> done{false};
    std::atomic<LRESULT> fromNested{0};
    // The worker owns a window; while handling our message it sends one back to us.
    std::thread worker([&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_APP + 7) {
                HWND back = reinterpret_cast<HWND>(l);
                return SendMessageW(back, WM_APP + 8, 0, 0) + 1;
            }
            return DefWindowProcW(h, m, w, l);
        };
        wc.lpszClassName = L"WorkerWindow";
        RegisterClassExW(&wc);
        HWND h = CreateWindowExW(0, L"WorkerWindow", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        theirs = h;
        MSG msg;
        while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        DestroyWindow(h);
    });
    while (!theirs) Sleep(1);
    Handler() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_APP + 8) {
            // Runs on this thread while it waits for its own send.
            *r = 100;
            return true;
        }
        return false;
    };
    LRESULT r = SendMessageW(theirs, WM_APP + 7, 0, reinterpret_cast<LPARAM>(mine));
    EXPECT_EQ(r, 101);
    EXPECT_EQ(Count(mine, WM_APP + 8), 1u);
    done = true;
    PostMessageW(theirs, WM_NULL, 0, 0);
    worker.join();
    // The worker's window went with its thread's DestroyWindow.
    EXPECT_FALSE(IsWindow(theirs));
    (void)fromNested;
    DestroyWindow(mine);
}

TEST_F(WindowTest, SendToWindowOfEndedThreadReturnsZero) {
    HWND h = nullptr;
    std::thread t([&] {
        h = CreateWindowExW(0, L"RecordingWindow", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    });
    t.join();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(SendMessageW(h, WM_APP, 0, 0), 0);
}

TEST_F(WindowTest, TimersRepeatAndStop) {
    HWND hwnd = Make(0, 0, 10, 10);
    int ticks = 0;
    Handler() = [&](HWND, UINT msg, WPARAM id, LPARAM, LRESULT*) {
        if (msg == WM_TIMER && id == 9) ++ticks;
        return false;
    };
    EXPECT_EQ(SetTimer(hwnd, 9, 20, nullptr), 1u);
    MSG msg;
    while (ticks < 3 && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(KillTimer(hwnd, 9));
    EXPECT_FALSE(KillTimer(hwnd, 9));
    host::RunFor(80);
    EXPECT_EQ(ticks, 3);
    // Thread timers get their own ids and call their procedure.
    static int procCalls;
    procCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++procCalls; });
    EXPECT_NE(id, 0u);
    while (procCalls < 2 && GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    EXPECT_TRUE(KillTimer(nullptr, id));
    DestroyWindow(hwnd);
    // A destroyed window's timers are gone.
    EXPECT_FALSE(KillTimer(hwnd, 9));
}

TEST_F(WindowTest, PaintComesOnceForTwoInvalidationsAndStopsWhenValidated) {
    HWND hwnd = Make(0, 0, 100, 100);
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    RECT a{0, 0, 10, 10}, b{50, 50, 60, 70};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    RECT u;
    ASSERT_TRUE(GetUpdateRect(hwnd, &u, FALSE));
    EXPECT_EQ(u.left, 0);
    EXPECT_EQ(u.bottom, 70);
    Log().clear();
    host::RunUntilIdle();
    EXPECT_EQ(Count(hwnd, WM_PAINT), 1u);
    EXPECT_FALSE(GetUpdateRect(hwnd, &u, FALSE));
    InvalidateRect(hwnd, nullptr, FALSE);
    ValidateRect(hwnd, nullptr);
    Log().clear();
    host::RunUntilIdle();
    EXPECT_EQ(Count(hwnd, WM_PAINT), 0u);
    DestroyWindow(hwnd);
}
