// Kernel objects used from several threads at once.
#include "kernel_test_support.h"

#include <atomic>
#include <thread>
#include <vector>

using kerneltest::KernelTest;

namespace {

class Concurrency : public KernelTest {};

TEST_F(Concurrency, NamedMutexOpenedFromSeveralThreadsExcludesThemAll) {
    constexpr int kThreads = 4, kRounds = 50;
    int counter = 0; // guarded only by the named mutex
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&] {
            HANDLE m = CreateMutexW(nullptr, FALSE, L"Local\\concurrency-test");
            if (!m) {
                ++failures;
                return;
            }
            for (int i = 0; i < kRounds; ++i) {
                DWORD r = WaitForSingleObject(m, INFINITE);
                if (r != WAIT_OBJECT_0) ++failures;
                ++counter;
                if (!ReleaseMutex(m)) ++failures;
            }
            CloseHandle(m);
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(counter, kThreads * kRounds);
}

TEST_F(Concurrency, ProcessesStartedWaitedAndEndedFromSeveralThreads) {
    constexpr int kThreads = 3;
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            STARTUPINFOW si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            std::wstring cmd = t == 0 ? L"Z:\\bin\\sleep 30" : L"Z:\\bin\\true";
            if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                                &pi)) {
                ++failures;
                return;
            }
            // Another thread ends the long one while this one waits for it.
            std::thread killer;
            if (t == 0) killer = std::thread([&] {
                    Sleep(20);
                    TerminateProcess(pi.hProcess, 9);
                });
            if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) ++failures;
            if (killer.joinable()) killer.join();
            DWORD code = 1234;
            GetExitCodeProcess(pi.hProcess, &code);
            if (code != (t == 0 ? 9u : 0u)) ++failures;
            if (WaitForSingleObject(pi.hThread, 0) != WAIT_OBJECT_0) ++failures;
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(failures, 0);
}

TEST_F(Concurrency, ThreadHandlesClosedWhileTheThreadsFinish) {
    std::vector<HANDLE> handles;
    std::atomic<int> ran{0};
    for (int i = 0; i < 8; ++i) {
        HANDLE h = CreateThread(
            nullptr, 0,
            [](LPVOID p) -> DWORD {
                ++*static_cast<std::atomic<int>*>(p);
                return 3;
            },
            &ran, 0, nullptr);
        ASSERT_NE(h, nullptr);
        handles.push_back(h);
    }
    // Half are closed at once, as the installer does; the rest are waited for.
    for (size_t i = 0; i < handles.size(); i += 2) EXPECT_TRUE(CloseHandle(handles[i]));
    for (size_t i = 1; i < handles.size(); i += 2) {
        EXPECT_EQ(WaitForSingleObject(handles[i], 10000), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(handles[i]);
    }
    for (int i = 0; i < 1000 && ran < 8; ++i) Sleep(5);
    EXPECT_EQ(ran, 8);
}

} // namespace
