#include "kernel_test_support.h"

#include <atomic>

using kerneltest::KernelTest;

namespace {

class Threads : public KernelTest {};

struct Shared {
    std::atomic<int> step{0};
    HANDLE mutex = nullptr;
    DWORD threadId = 0;
    DWORD waitResult = 0;
};

TEST_F(Threads, ThreadHandlesAreWaitable) {
    Shared shared;
    DWORD id = 0;
    HANDLE t = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* s = static_cast<Shared*>(p);
            s->threadId = GetCurrentThreadId();
            while (s->step.load() == 0)
                Sleep(1);
            return 7;
        },
        &shared, 0, &id);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(t, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    shared.step = 1;
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(shared.threadId, id);
    EXPECT_EQ(WaitForSingleObject(t, 0), static_cast<DWORD>(WAIT_OBJECT_0)); // stays signalled
    EXPECT_TRUE(CloseHandle(t));

    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Threads, MutexOwnershipRecursionAndAbandonment) {
    HANDLE m = CreateMutexW(nullptr, TRUE, nullptr);
    ASSERT_NE(m, nullptr);
    // The owner re-enters; another thread waits until every level is released.
    EXPECT_EQ(WaitForSingleObject(m, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    Shared shared;
    shared.mutex = m;
    auto tryTake = [](LPVOID p) -> DWORD {
        auto* s = static_cast<Shared*>(p);
        s->waitResult = WaitForSingleObject(s->mutex, 0);
        if (s->waitResult == WAIT_OBJECT_0 || s->waitResult == WAIT_ABANDONED) ReleaseMutex(s->mutex);
        return 0;
    };
    HANDLE t = CreateThread(nullptr, 0, tryTake, &shared, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_EQ(shared.waitResult, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_FALSE(ReleaseMutex(m));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    // A thread that ends while holding the mutex abandons it: the next owner learns so, once.
    t = CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return WaitForSingleObject(static_cast<Shared*>(p)->mutex, 0); },
        &shared, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(t);
    EXPECT_EQ(WaitForSingleObject(m, 1000), static_cast<DWORD>(WAIT_ABANDONED));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(WaitForSingleObject(m, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_TRUE(CloseHandle(m));
}

TEST_F(Threads, NamedMutexInOneProcess) {
    HANDLE a = CreateMutexW(nullptr, FALSE, L"kernel-test-one");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE b = CreateMutexW(nullptr, TRUE, L"kernel-test-one"); // opens it; does not take it
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(ReleaseMutex(b));
    // Both handles name one object.
    EXPECT_EQ(WaitForSingleObject(a, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(b));
    CloseHandle(a);
    CloseHandle(b);
    // With every handle closed the name is free again.
    HANDLE c = CreateMutexW(nullptr, FALSE, L"Local\\kernel-test-one");
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(c);
}

TEST_F(Threads, CriticalSectionsAreRecursiveAndExclusive) {
    CRITICAL_SECTION cs;
    ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&cs, 4000));
    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    struct Probe {
        CRITICAL_SECTION* cs;
        BOOL entered;
        int counter;
    } probe{&cs, TRUE, 0};
    auto tryEnter = [](LPVOID p) -> DWORD {
        auto* pr = static_cast<Probe*>(p);
        pr->entered = TryEnterCriticalSection(pr->cs);
        if (pr->entered) LeaveCriticalSection(pr->cs);
        return 0;
    };
    HANDLE t = CreateThread(nullptr, 0, tryEnter, &probe, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_FALSE(probe.entered);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    t = CreateThread(nullptr, 0, tryEnter, &probe, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_TRUE(probe.entered);

    // Two threads incrementing under the section lose nothing.
    auto add = [](LPVOID p) -> DWORD {
        auto* pr = static_cast<Probe*>(p);
        for (int i = 0; i < 10000; ++i) {
            EnterCriticalSection(pr->cs);
            ++pr->counter;
            LeaveCriticalSection(pr->cs);
        }
        return 0;
    };
    HANDLE t1 = CreateThread(nullptr, 0, add, &probe, 0, nullptr);
    HANDLE t2 = CreateThread(nullptr, 0, add, &probe, 0, nullptr);
    WaitForSingleObject(t1, INFINITE);
    WaitForSingleObject(t2, INFINITE);
    CloseHandle(t1);
    CloseHandle(t2);
    EXPECT_EQ(probe.counter, 20000);
    DeleteCriticalSection(&cs);
}

TEST_F(Threads, ComStartUpIsCountedPerThread) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE);
    OleUninitialize();
    OleUninitialize();
    CoUninitialize();
    CoUninitialize();
    // Fully released: the thread may choose another model now.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), RPC_E_CHANGED_MODE);

    // Another thread has its own count.
    HRESULT other = E_FAIL;
    HANDLE t = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            *static_cast<HRESULT*>(p) = CoInitialize(nullptr);
            CoUninitialize();
            return 0;
        },
        &other, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    EXPECT_EQ(other, S_OK);
    CoUninitialize();
}

} // namespace
