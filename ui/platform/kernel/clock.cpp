#include "ui/platform/win32.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace {
ULONGLONG monotonicMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}
} // namespace

// Wraps after about 49.7 days, like the Windows counter.
DWORD WINAPI GetTickCount() { return static_cast<DWORD>(monotonicMilliseconds()); }

ULONGLONG WINAPI GetTickCount64() { return monotonicMilliseconds(); }

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == INFINITE) {
        for (;;) pause();
    }
    timespec ts{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

// The kernel thread id: unique among live threads of all processes, never 0.
DWORD WINAPI GetCurrentThreadId() {
    thread_local const DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
    return id;
}

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
