// Per-thread message queues: sent, posted, quit, input, paint, timers, in that order.
#include "ui/platform/window/manager.h"

#include <algorithm>
#include <chrono>

namespace uiplatform::wm {

namespace {

ULONGLONG Now() { return GetTickCount64(); }

// Runs one message sent from another thread (or internal work). Called with the lock.
void RunSent(Lock& lock, ThreadQueue* q) {
    SentItem* item = q->sent.front();
    q->sent.pop_front();
    lock.unlock();
    LRESULT result = 0;
    if (item->task) {
        item->task();
    } else {
        q->inSend++;
        result = Call(item->hwnd, item->msg, item->wParam, item->lParam);
        q->inSend--;
    }
    lock.lock();
    if (item->sender) {
        item->result = result;
        item->done = true;
        Notify(item->sender);
    } else {
        delete item;
    }
}

// Moves backend events into the queues. waitMs < 0 waits without limit.
bool Pump(Lock& lock, ThreadQueue* q, int waitMs) {
    auto& m = M();
    if (m.pumpBusy) {
        if (waitMs != 0) {
            if (waitMs < 0) q->wake.wait(lock);
            else q->wake.wait_for(lock, std::chrono::milliseconds(waitMs));
        }
        return false;
    }
    Backend* b = GetBackend();
    m.pumpBusy = true;
    q->pumping = true;
    bool any = false;
    for (int i = 0; i < 64; ++i) {
        NativeEvent ev;
        lock.unlock();
        bool got = b->NextEvent(ev, i == 0 ? waitMs : 0);
        lock.lock();
        if (!got) break;
        any = true;
        RouteNativeEvent(lock, ev);
    }
    q->pumping = false;
    m.pumpBusy = false;
    // Another thread may be waiting to pump.
    for (auto& [tid, other] : m.queues) {
        if (other != q) other->wake.notify_all();
    }
    return any;
}

bool TakePosted(ThreadQueue* q, HWND filter, UINT minMsg, UINT maxMsg, UINT flags, MSG* out) {
    for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
        if (!WindowMatches(it->hwnd, filter) || !MessageMatches(it->message, minMsg, maxMsg)) continue;
        *out = *it;
        if (flags & PM_REMOVE) q->posted.erase(it);
        return true;
    }
    return false;
}

bool NeedsPaint(const Window* w) {
    return w->update || w->internalPaint;
}

bool TakePaint(ThreadQueue* q, HWND filter, UINT minMsg, UINT maxMsg, MSG* out) {
    if (!MessageMatches(WM_PAINT, minMsg, maxMsg)) return false;
    // Parents before their children, so children paint over them.
    std::vector<HWND> order;
    std::function<void(HWND)> walk = [&](HWND h) {
        Window* w = Find(h);
        if (!w) return;
        order.push_back(h);
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) walk(*it);
    };
    for (auto it = M().zorder.rbegin(); it != M().zorder.rend(); ++it) walk(*it);
    for (HWND h : order) {
        Window* w = Find(h);
        if (!w || w->thread != q->thread || !NeedsPaint(w) || !WindowMatches(h, filter)) continue;
        if (!IsWindowVisible(h)) continue;
        *out = MSG{h, WM_PAINT, 0, 0, GetTickCount(), M().cursor};
        return true;
    }
    return false;
}

bool TakeTimer(ThreadQueue* q, HWND filter, UINT minMsg, UINT maxMsg, UINT flags, MSG* out) {
    if (!MessageMatches(WM_TIMER, minMsg, maxMsg)) return false;
    ULONGLONG now = Now();
    Timer* best = nullptr;
    for (auto& t : q->timers) {
        if (t.due > now || !WindowMatches(t.hwnd, filter)) continue;
        if (!best || t.due < best->due) best = &t;
    }
    if (!best) return false;
    *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), static_cast<DWORD>(now),
               M().cursor};
    // Late timers fire once, not once per missed period.
    if (flags & PM_REMOVE) best->due = now + best->interval;
    return true;
}

int NextTimeout(ThreadQueue* q) {
    long long timeout = -1;
    ULONGLONG now = Now();
    for (auto& t : q->timers) {
        long long left = t.due > now ? static_cast<long long>(t.due - now) : 0;
        if (timeout < 0 || left < timeout) timeout = left;
    }
    int hover = HoverTimeout(q);
    if (hover >= 0 && (timeout < 0 || hover < timeout)) timeout = hover;
    return static_cast<int>(std::min<long long>(timeout, 0x7fffffff));
}

// The heart of GetMessageW and PeekMessageW. Returns true with a message, false when
// none is available (only without waiting).
bool Retrieve(MSG* out, HWND filter, UINT minMsg, UINT maxMsg, UINT flags, bool wait) {
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    for (;;) {
        if (!q->sent.empty()) {
            RunSent(lock, q);
            continue;
        }
        if (TakePosted(q, filter, minMsg, maxMsg, flags, out)) break;
        if (q->quit && MessageMatches(WM_QUIT, minMsg, maxMsg)) {
            *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quitCode), 0, GetTickCount(), M().cursor};
            if (flags & PM_REMOVE) q->quit = false;
            break;
        }
        if (Pump(lock, q, 0)) continue;
        if (!q->sent.empty()) continue;
        if (TakeInput(lock, q, filter, minMsg, maxMsg, flags, out)) break;
        if (!q->sent.empty() || !q->posted.empty()) continue;
        if (TakePaint(q, filter, minMsg, maxMsg, out)) break;
        CheckHover(q);
        if (!q->posted.empty()) continue;
        if (TakeTimer(q, filter, minMsg, maxMsg, flags, out)) break;
        if (!wait) return false;
        int timeout = NextTimeout(q);
        if (timeout == 0) continue;
        Pump(lock, q, timeout);
    }
    q->last = *out;
    return true;
}

} // namespace

void FreeTimersOf(HWND hwnd) {
    for (auto& [tid, q] : M().queues) {
        auto& t = q->timers;
        t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd; }), t.end());
    }
}

bool HostRunUntilIdle(int maxMessages, bool* quit) {
    *quit = false;
    for (int i = 0; i < maxMessages; ++i) {
        MSG msg;
        if (!Retrieve(&msg, nullptr, 0, 0, PM_REMOVE, false)) return true;
        if (msg.message == WM_QUIT) {
            // Leave it for the caller's message loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            *quit = true;
            return true;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return false;
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT minMsg, UINT maxMsg) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1)) {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return -1;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return -1;
        }
    }
    Retrieve(msg, hwnd, minMsg, maxMsg, PM_REMOVE, true);
    return msg->message == WM_QUIT ? 0 : 1;
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT minMsg, UINT maxMsg, UINT flags) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Retrieve(msg, hwnd, minMsg, maxMsg, flags & PM_REMOVE, false) ? TRUE : FALSE;
}

BOOL WINAPI WaitMessage() {
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    for (;;) {
        if (!q->sent.empty()) {
            RunSent(lock, q);
            continue;
        }
        if (!q->posted.empty() || q->quit || !q->input.empty() || !M().rawInput.empty()) return TRUE;
        MSG m;
        if (TakePaint(q, nullptr, 0, 0, &m) || TakeTimer(q, nullptr, 0, 0, PM_NOREMOVE, &m)) return TRUE;
        int timeout = NextTimeout(q);
        if (timeout == 0) return TRUE;
        Pump(lock, q, timeout);
    }
}

DWORD WINAPI GetQueueStatus(UINT flags) {
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    DWORD status = 0;
    if (!q->posted.empty()) status |= QS_POSTMESSAGE;
    if (!q->sent.empty()) status |= QS_SENDMESSAGE;
    if (!q->input.empty() || !M().rawInput.empty()) status |= QS_INPUT;
    MSG m;
    if (TakePaint(q, nullptr, 0, 0, &m)) status |= QS_PAINT;
    if (TakeTimer(q, nullptr, 0, 0, PM_NOREMOVE, &m)) status |= QS_TIMER;
    return (status & flags) | ((status & flags) << 16);
}

static BOOL PostToQueue(ThreadQueue* q, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!q || !q->alive) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    q->posted.push_back(MSG{hwnd, msg, wParam, lParam, GetTickCount(), M().cursor});
    Notify(q);
    return TRUE;
}

BOOL WINAPI PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        Lock lock(M().mutex);
        for (HWND h : M().zorder) {
            Window* w = Find(h);
            if (w) PostToQueue(QueueOf(w->thread), h, msg, wParam, lParam);
        }
        return TRUE;
    }
    Lock lock(M().mutex);
    if (!hwnd) return PostToQueue(CurrentQueue(), nullptr, msg, wParam, lParam);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    return PostToQueue(QueueOf(w->thread), hwnd, msg, wParam, lParam);
}

BOOL WINAPI PostThreadMessageW(DWORD thread, UINT msg, WPARAM wParam, LPARAM lParam) {
    Lock lock(M().mutex);
    ThreadQueue* q = thread == GetCurrentThreadId() ? CurrentQueue() : QueueOf(thread);
    if (!q) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return PostToQueue(q, nullptr, msg, wParam, lParam);
}

void WINAPI PostQuitMessage(int code) {
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    q->quit = true;
    q->quitCode = code;
}

static LRESULT SendInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, int timeoutMs, bool* timedOut) {
    if (timedOut) *timedOut = false;
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        {
            Lock lock(M().mutex);
            tops = M().zorder;
        }
        for (HWND h : tops) SendMessageW(h, msg, wParam, lParam);
        return 0;
    }
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return 0;
    if (w->thread == GetCurrentThreadId()) {
        lock.unlock();
        return Call(hwnd, msg, wParam, lParam);
    }
    ThreadQueue* target = QueueOf(w->thread);
    if (!target || !target->alive) return 0;
    ThreadQueue* me = CurrentQueue();
    SentItem item;
    item.hwnd = hwnd;
    item.msg = msg;
    item.wParam = wParam;
    item.lParam = lParam;
    item.sender = me;
    target->sent.push_back(&item);
    Notify(target);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (!item.done) {
        // While waiting, this thread still answers what is sent to it.
        if (!me->sent.empty()) {
            RunSent(lock, me);
            continue;
        }
        if (timeoutMs < 0) {
            me->wake.wait(lock);
        } else if (me->wake.wait_until(lock, deadline) == std::cv_status::timeout && !item.done) {
            auto& s = target->sent;
            auto it = std::find(s.begin(), s.end(), &item);
            if (it != s.end()) {
                s.erase(it);
                if (timedOut) *timedOut = true;
                SetLastError(ERROR_TIMEOUT);
                return 0;
            }
            // Already running on the other thread: it must finish before the item goes away.
            timeoutMs = -1;
        }
    }
    return item.result;
}

LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendInternal(hwnd, msg, wParam, lParam, -1, nullptr);
}

LRESULT WINAPI SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                                   DWORD_PTR* result) {
    if (!IsWindow(hwnd) && hwnd != HWND_BROADCAST) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    bool timedOut = false;
    LRESULT r = SendInternal(hwnd, msg, wParam, lParam, static_cast<int>(std::min<UINT>(timeout, 0x7fffffff)), &timedOut);
    if (timedOut) return 0;
    if (result) *result = static_cast<DWORD_PTR>(r);
    return 1;
}

BOOL WINAPI InSendMessage() {
    Lock lock(M().mutex);
    return CurrentQueue()->inSend > 0;
}

DWORD WINAPI GetMessageTime() {
    Lock lock(M().mutex);
    return CurrentQueue()->last.time;
}

LONG WINAPI GetMessagePos() {
    Lock lock(M().mutex);
    POINT p = CurrentQueue()->last.pt;
    return MAKELONG(static_cast<WORD>(static_cast<SHORT>(p.x)), static_cast<WORD>(static_cast<SHORT>(p.y)));
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam) {
        // A timer procedure runs only while its timer exists.
        bool exists = false;
        {
            Lock lock(M().mutex);
            ThreadQueue* q = CurrentQueue();
            for (auto& t : q->timers) {
                if (t.hwnd == msg->hwnd && t.id == msg->wParam) exists = true;
            }
        }
        if (!exists) return 0;
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    WNDPROC proc;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(msg->hwnd);
        if (!w) return 0;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        proc = w->proc;
    }
    LRESULT r = proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    if (msg->message == WM_PAINT) {
        // A window that does not validate in WM_PAINT would be asked forever; Windows
        // keeps asking too, but an internal paint request is satisfied by one message.
        Lock lock(M().mutex);
        if (Window* w = Find(msg->hwnd)) w->internalPaint = false;
    }
    return r;
}

// ---- timers ----

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    if (hwnd) {
        Window* w = FindOrFail(hwnd);
        if (!w) return 0;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
    if (elapse > USER_TIMER_MAXIMUM) elapse = USER_TIMER_MAXIMUM;
    if (!hwnd) {
        // Thread timers: a given id that exists is replaced, otherwise a new id is chosen.
        bool exists = false;
        for (auto& t : q->timers)
            if (!t.hwnd && t.id == id && id) exists = true;
        if (!exists) {
            id = q->nextThreadTimer++;
            if (q->nextThreadTimer == 0) q->nextThreadTimer = 1;
        }
    }
    for (auto& t : q->timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.interval = elapse;
            t.due = Now() + elapse;
            t.proc = proc;
            return hwnd ? 1 : id;
        }
    }
    q->timers.push_back(Timer{hwnd, id, elapse, Now() + elapse, proc});
    Notify(q);
    return hwnd ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    auto& t = q->timers;
    auto it = std::find_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    t.erase(it);
    // A WM_TIMER already posted for it is not delivered: timers are made at retrieval.
    return TRUE;
}
