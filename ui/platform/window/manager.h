// Internal state of the window manager: classes, windows, per-thread queues.
// Everything here is guarded by Manager::mutex; window procedures are never called
// while it is held.
#pragma once

#include "ui/platform/host.h"
#include "ui/platform/window/backend.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace uiplatform::wm {

struct WindowClass {
    std::wstring name;
    WNDCLASSEXW wc{};
    std::wstring menuName;
    bool system = false;
    int windowCount = 0;
};

struct Window {
    HWND hwnd = nullptr;
    WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HINSTANCE instance = nullptr;
    LONG_PTR id = 0; // the menu argument of a child window
    HMENU menu = nullptr;
    LONG_PTR userData = 0;
    std::vector<BYTE> extra;
    HWND parent = nullptr; // WS_CHILD only
    HWND owner = nullptr;
    std::vector<HWND> children; // front-most first
    RECT rect{};                // parent client coordinates (screen for top-level windows)
    RECT client{};              // window coordinates
    std::wstring text;
    std::map<std::wstring, HANDLE> props;
    DWORD thread = 0;
    bool destroying = false;
    bool created = false;

    // Top-level windows only.
    SurfaceId surface = 0;
    cairo_surface_t* store = nullptr; // backing store, window-sized ARGB32
    bool usesLayeredImage = false;    // UpdateLayeredWindow gave the pixels
    BYTE lwaAlpha = 255;
    COLORREF lwaKey = 0;
    DWORD lwaFlags = 0;
    RECT restoreRect{};
    bool restoreMaximized = false;

    cairo_region_t* update = nullptr; // client coordinates
    bool eraseNeeded = false;
    bool internalPaint = false;
    cairo_region_t* shape = nullptr; // window coordinates; null: none
    HRGN shapeHandle = nullptr;
    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    int openDCs = 0;
};

struct IconObject {
    uint32_t magic = 0x49434f4e;
    bool isCursor = false;
    Cursor shape = Cursor::Arrow;
    bool shared = false;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // premultiplied ARGB
};
IconObject* IconFromHandle(HICON h);

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    ULONGLONG due = 0;
    TIMERPROC proc = nullptr;
};

struct ThreadQueue;

struct SentItem {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    std::function<void()> task; // internal work run on the window's thread
    ThreadQueue* sender = nullptr; // null: nobody waits; the queue frees the item
};

enum class RawKind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Leave };

struct RawInput {
    RawKind kind = RawKind::MouseMove;
    POINT pt{};
    int button = 0;
    int wheel = 0;
    UINT vk = 0;
    wchar_t ch = 0;
    DWORD time = 0;
    HWND target = nullptr; // set once the event is assigned to a thread
};

struct Tracking {
    HWND hwnd = nullptr;
    DWORD flags = 0;
    DWORD hoverTime = 0;
    POINT hoverPoint{};
    ULONGLONG hoverStart = 0;
};

struct ThreadQueue {
    DWORD thread = 0;
    bool alive = true;
    std::deque<MSG> posted;
    std::deque<RawInput> input; // assigned to this thread
    std::deque<MSG> cooked;     // input turned into messages but not yet removed
    std::deque<SentItem*> sent;
    bool quit = false;
    int quitCode = 0;
    std::condition_variable_any wake;
    bool pumping = false;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimer = 1;
    Tracking tracking;
    int inSend = 0;
    MSG last{};
    // For TranslateMessage: the character of the last key message retrieved.
    UINT lastKeyVk = 0;
    wchar_t lastKeyChar = 0;
    DWORD lastKeyTime = 0;
    // For double clicks.
    HWND clickHwnd = nullptr;
    int clickButton = 0;
    DWORD clickTime = 0;
    POINT clickPt{};
};

struct Caret {
    HWND hwnd = nullptr;
    int width = 0;
    int height = 0;
    POINT pos{};
    int hideCount = 1;
};

struct Manager {
    std::recursive_mutex mutex;
    std::unique_ptr<Backend> backend;
    bool backendChosen = false;
    std::map<uintptr_t, Window*> windows;
    uintptr_t nextHandle = 0x10020;
    std::vector<HWND> zorder; // top-level windows, front-most first
    std::map<std::wstring, WindowClass*> classes;
    std::map<DWORD, ThreadQueue*> queues;
    std::vector<ThreadQueue*> endedQueues; // kept: a sender may still look at one
    std::map<SurfaceId, HWND> bySurface;
    std::deque<RawInput> rawInput;
    bool pumpBusy = false;

    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    POINT cursor{};
    BYTE keys[256] = {};
    HCURSOR cursorHandle = nullptr;
    int cursorShowCount = 0;
    Caret caret;
    HWND lastPointerWindow = nullptr;
};

Manager& M();
using Lock = std::unique_lock<std::recursive_mutex>;

// All of these need the lock.
Window* Find(HWND hwnd);
Window* FindOrFail(HWND hwnd); // sets ERROR_INVALID_WINDOW_HANDLE
Backend* GetBackend();
ThreadQueue* QueueOf(DWORD thread);
ThreadQueue* CurrentQueue();
void Notify(ThreadQueue* queue);
HWND TopLevelOf(HWND hwnd);
RECT ScreenRect(const Window* w);       // window rectangle in screen coordinates
POINT ClientOrigin(const Window* w);    // client top-left in screen coordinates
void RestackBackend();
void PostInternal(DWORD thread, std::function<void()> task);

// Calls the procedure without the lock; 0 when the window is gone.
LRESULT Call(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Geometry and activation used across files.
BOOL SetWindowPosInternal(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags, bool stateChanged);
void ActivateWindow(HWND hwnd, int how);
void ActivateOtherThan(HWND hwnd);
void FillMinMaxInfo(HWND hwnd, MINMAXINFO& info);

// Input.
void RouteNativeEvent(Lock& lock, const NativeEvent& event);
bool TakeInput(Lock& lock, ThreadQueue* q, HWND filter, UINT minMsg, UINT maxMsg, UINT flags, MSG* out);
void CheckHover(ThreadQueue* q);
int HoverTimeout(ThreadQueue* q);
void ForgetWindowInput(HWND hwnd);

// Painting.
void InvalidateInternal(Window* w, const RECT* rect, bool erase);
void PresentWindow(Window* w, const RECT* dirty);
void FreeWindowPaint(Window* w);
void ResizeStore(Window* w);
void ApplyShape(Window* w);

bool MessageMatches(UINT msg, UINT minMsg, UINT maxMsg);
bool WindowMatches(HWND msgHwnd, HWND filter);

} // namespace uiplatform::wm
