// Several threads talking to one UI thread at once: every post and send arrives, each
// exactly once, and the window's state stays whole.
#include "window_test_util.h"

#include <atomic>
#include <thread>

using namespace wintest;

TEST_F(WindowTest, PostsAndSendsFromSeveralThreadsAllArriveOnTheOwningThread) {
    HWND hwnd = Make(0, 0, 20, 20);
    const DWORD ui = GetCurrentThreadId();
    std::atomic<int> wrongThread{0};
    int posted = 0, sent = 0;
    Handler() = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (GetCurrentThreadId() != ui) ++wrongThread;
        if (msg == WM_APP + 1) ++posted;
        if (msg == WM_APP + 2) {
            ++sent;
            *r = 5;
            return true;
        }
        return false;
    };
    constexpr int kThreads = 3, kPosts = 100, kSends = 20;
    std::atomic<int> finished{0};
    std::atomic<int> badReplies{0};
    std::atomic<UINT> registered[kThreads];
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            registered[t] = RegisterWindowMessageW(L"concurrency-test-message");
            for (int i = 0; i < kPosts; ++i) PostMessageW(hwnd, WM_APP + 1, static_cast<WPARAM>(t), i);
            for (int i = 0; i < kSends; ++i)
                if (SendMessageW(hwnd, WM_APP + 2, 0, 0) != 5) ++badReplies;
            SetWindowTextW(hwnd, t == 0 ? L"zero" : L"other");
            wchar_t text[16];
            GetWindowTextW(hwnd, text, 16);
            ++finished;
            PostMessageW(hwnd, WM_NULL, 0, 0);
        });
    }
    MSG msg;
    while (finished < kThreads || posted < kThreads * kPosts) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        DispatchMessageW(&msg);
    }
    for (auto& w : workers) w.join();
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(posted, kThreads * kPosts);
    EXPECT_EQ(sent, kThreads * kSends);
    EXPECT_EQ(badReplies, 0);
    EXPECT_EQ(wrongThread, 0);
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(registered[t].load(), registered[0].load());
    EXPECT_GE(registered[0].load(), 0xC000u);
    wchar_t text[16];
    GetWindowTextW(hwnd, text, 16);
    EXPECT_TRUE(std::wstring(text) == L"zero" || std::wstring(text) == L"other");
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, ThreadsWithWindowsAndTimersOfTheirOwnEndCleanly) {
    constexpr int kThreads = 3;
    std::atomic<int> ticks[kThreads];
    std::vector<std::thread> workers;
    std::vector<HWND> windows(kThreads);
    // A class of their own: the recording class logs into one list without a lock.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"QuietWorkerWindow";
    RegisterClassExW(&wc);
    for (int t = 0; t < kThreads; ++t) {
        ticks[t] = 0;
        workers.emplace_back([&, t] {
            HWND h = CreateWindowExW(0, L"QuietWorkerWindow", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                     nullptr);
            windows[t] = h;
            UINT_PTR id = SetTimer(nullptr, 0, 10, nullptr);
            MSG msg;
            while (ticks[t] < 3 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_TIMER && msg.wParam == id) ++ticks[t];
                DispatchMessageW(&msg);
            }
            KillTimer(nullptr, id);
            if (t != 0) DestroyWindow(h); // thread 0 leaves its window behind
        });
    }
    for (auto& w : workers) w.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(ticks[t].load(), 3);
    // A window whose thread has ended answers nothing; the others are gone.
    EXPECT_EQ(SendMessageW(windows[0], WM_APP, 0, 0), 0);
    for (int t = 1; t < kThreads; ++t) EXPECT_FALSE(IsWindow(windows[t]));
}
