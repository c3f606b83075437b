#include "ui/platform/window/manager.h"

#include <cstdlib>
#include <cstring>

namespace uiplatform::wm {

// Lives for the whole process: windows may be touched from thread exit handlers.
Manager& M() {
    static Manager* manager = new Manager();
    return *manager;
}

Window* Find(HWND hwnd) {
    auto& m = M();
    auto it = m.windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == m.windows.end() ? nullptr : it->second;
}

Window* FindOrFail(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

namespace {
host::Backend g_choice = host::Backend::Automatic;

std::unique_ptr<Backend> MakeBackend() {
    host::Backend choice = g_choice;
    if (choice == host::Backend::Automatic) {
        const char* env = getenv("UIPLATFORM_BACKEND");
        if (env && strcmp(env, "headless") == 0) choice = host::Backend::Headless;
        else if (env && strcmp(env, "x11") == 0) choice = host::Backend::X11;
    }
    if (choice == host::Backend::Headless) return CreateHeadlessBackend();
    if (choice == host::Backend::X11) return CreateX11Backend();
    const char* display = getenv("DISPLAY");
    if (display && *display) {
        if (auto x11 = CreateX11Backend()) return x11;
    }
    return CreateHeadlessBackend();
}

// Ends a thread's queue when the thread ends: whoever still waits on it is released.
struct QueueOwner {
    ThreadQueue* queue = nullptr;
    ~QueueOwner() {
        if (!queue) return;
        Lock lock(M().mutex);
        queue->alive = false;
        for (SentItem* item : queue->sent) {
            item->done = true;
            if (item->sender) Notify(item->sender);
            else delete item;
        }
        queue->sent.clear();
        queue->timers.clear();
        M().queues.erase(queue->thread);
        M().endedQueues.push_back(queue);
        // The queue object itself stays: senders may still hold a pointer to it.
    }
};
thread_local QueueOwner t_queue;
} // namespace

} // namespace uiplatform::wm

bool uiplatform::host::SelectBackend(Backend choice) {
    using namespace uiplatform::wm;
    Lock lock(M().mutex);
    if (M().backend) return false;
    g_choice = choice;
    return true;
}

namespace uiplatform::wm {

Backend* GetBackend() {
    auto& m = M();
    if (!m.backend) {
        m.backend = MakeBackend();
        m.backendChosen = true;
    }
    return m.backend.get();
}

ThreadQueue* QueueOf(DWORD thread) {
    auto it = M().queues.find(thread);
    return it == M().queues.end() ? nullptr : it->second;
}

ThreadQueue* CurrentQueue() {
    if (!t_queue.queue) {
        auto* q = new ThreadQueue();
        q->thread = GetCurrentThreadId();
        M().queues[q->thread] = q;
        t_queue.queue = q;
    }
    return t_queue.queue;
}

void Notify(ThreadQueue* queue) {
    if (!queue) return;
    queue->wake.notify_all();
    if (queue->pumping && M().backend) M().backend->Wake();
}

void PostInternal(DWORD thread, std::function<void()> task) {
    ThreadQueue* q = QueueOf(thread);
    if (!q || !q->alive) return;
    auto* item = new SentItem();
    item->task = std::move(task);
    q->sent.push_back(item);
    Notify(q);
}

HWND TopLevelOf(HWND hwnd) {
    Window* w = Find(hwnd);
    while (w && w->parent) {
        Window* p = Find(w->parent);
        if (!p) break;
        w = p;
    }
    return w ? w->hwnd : nullptr;
}

RECT ScreenRect(const Window* w) {
    RECT r = w->rect;
    if (w->parent) {
        if (Window* p = Find(w->parent)) {
            POINT o = ClientOrigin(p);
            OffsetRect(&r, o.x, o.y);
        }
    }
    return r;
}

POINT ClientOrigin(const Window* w) {
    RECT r = ScreenRect(w);
    return POINT{r.left + w->client.left, r.top + w->client.top};
}

void RestackBackend() {
    auto& m = M();
    if (!m.backend) return;
    std::vector<SurfaceId> order;
    for (HWND h : m.zorder) {
        Window* w = Find(h);
        if (w && w->surface) order.push_back(w->surface);
    }
    m.backend->Restack(order);
}

LRESULT Call(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w || !w->proc) return 0;
        // Another thread's window runs its procedure on its own thread.
        if (w->thread != GetCurrentThreadId()) {
            lock.unlock();
            return SendMessageW(hwnd, msg, wParam, lParam);
        }
        proc = w->proc;
    }
    return proc(hwnd, msg, wParam, lParam);
}

bool MessageMatches(UINT msg, UINT minMsg, UINT maxMsg) {
    if (minMsg == 0 && maxMsg == 0) return true;
    if (minMsg <= maxMsg) return msg >= minMsg && msg <= maxMsg;
    // A reversed range selects everything outside it.
    return msg >= minMsg || msg <= maxMsg;
}

bool WindowMatches(HWND msgHwnd, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return msgHwnd == nullptr;
    if (msgHwnd == filter) return true;
    // A filter window also selects messages of its descendants.
    Window* w = Find(msgHwnd);
    while (w && w->parent) {
        if (w->parent == filter) return true;
        w = Find(w->parent);
    }
    return false;
}

} // namespace uiplatform::wm
