// Window creation, destruction, data, tree and state.
#include "ui/platform/window/manager.h"

#include <algorithm>
#include <cstring>

namespace uiplatform::wm {

WindowClass* FindClass(LPCWSTR name);
void EnsureSystemClasses();
void FreeTimersOf(HWND hwnd);
void DestroyCaretOf(HWND hwnd);
void EnsureBroadcastListener();

namespace {

SurfaceKind KindOf(const Window* w) {
    if (w->cls && w->cls->name == L"tooltips_class32") return SurfaceKind::Tooltip;
    // Click-through layered windows (drop shadows) are never managed or focused by the desktop.
    if ((w->exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT))
        return SurfaceKind::Tooltip;
    return w->owner ? SurfaceKind::Dialog : SurfaceKind::Normal;
}

void CreateSurfaceFor(Window* w) {
    Backend* b = GetBackend();
    SurfaceDesc d;
    d.rect = w->rect;
    d.argb = (w->exStyle & WS_EX_LAYERED) != 0;
    d.decorated = (w->style & WS_CAPTION) == WS_CAPTION;
    d.kind = KindOf(w);
    if (Window* o = Find(w->owner)) d.transientFor = o->surface;
    d.title = w->text;
    w->surface = b->CreateSurface(d);
    if (w->surface) M().bySurface[w->surface] = w->hwnd;
    ResizeStore(w);
    ApplyShape(w);
}

void RemoveFromZ(HWND hwnd) {
    auto& z = M().zorder;
    z.erase(std::remove(z.begin(), z.end(), hwnd), z.end());
}

bool IsTopmost(HWND h) {
    Window* w = Find(h);
    return w && (w->exStyle & WS_EX_TOPMOST);
}

} // namespace

// Places a top-level window at the front of its band, with its owned windows in front of it.
void BringToFront(HWND hwnd) {
    auto& z = M().zorder;
    RemoveFromZ(hwnd);
    size_t pos = 0;
    if (!IsTopmost(hwnd)) {
        while (pos < z.size() && IsTopmost(z[pos])) ++pos;
    }
    z.insert(z.begin() + static_cast<std::ptrdiff_t>(pos), hwnd);
    // Owned windows stay above their owner.
    std::vector<HWND> owned;
    for (HWND h : z) {
        Window* o = Find(h);
        if (o && o->owner == hwnd) owned.push_back(h);
    }
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        RemoveFromZ(*it);
        auto at = std::find(z.begin(), z.end(), hwnd);
        z.insert(at, *it);
    }
}

void PlaceAfter(HWND hwnd, HWND after) {
    auto& z = M().zorder;
    if (after == HWND_BOTTOM) {
        RemoveFromZ(hwnd);
        z.push_back(hwnd);
        return;
    }
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        BringToFront(hwnd);
        return;
    }
    if (after == hwnd) return;
    RemoveFromZ(hwnd);
    auto it = std::find(z.begin(), z.end(), after);
    if (it == z.end()) z.insert(z.begin(), hwnd);
    else z.insert(it + 1, hwnd);
}

void FillMinMaxInfo(HWND hwnd, MINMAXINFO& info) {
    info = MINMAXINFO{};
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    info.ptMaxSize = POINT{mi.rcWork.right - mi.rcWork.left, mi.rcWork.bottom - mi.rcWork.top};
    info.ptMaxPosition = POINT{mi.rcWork.left, mi.rcWork.top};
    info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

static bool WantsMinMax(DWORD style) {
    return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD));
}

static void DestroyTree(HWND hwnd);

} // namespace uiplatform::wm

using namespace uiplatform::wm;

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int cx, int cy, HWND parentArg, HMENU menu, HINSTANCE instance, LPVOID param) {
    HWND hwnd;
    CREATESTRUCTW cs{};
    {
        Lock lock(M().mutex);
        EnsureSystemClasses();
        WindowClass* cls = FindClass(className);
        if (!cls) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if (parentArg == HWND_MESSAGE) parentArg = nullptr;
        Window* parent = nullptr;
        if (parentArg) {
            parent = Find(parentArg);
            if (!parent) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        } else if (style & WS_CHILD) {
            SetLastError(1406); // ERROR_TLW_WITH_WSCHILD
            return nullptr;
        }
        GetBackend();
        auto* w = new Window();
        hwnd = reinterpret_cast<HWND>(M().nextHandle);
        M().nextHandle += 4;
        w->hwnd = hwnd;
        w->cls = cls;
        cls->windowCount++;
        w->proc = cls->wc.lpfnWndProc;
        w->style = style & ~WS_VISIBLE;
        if (!(style & WS_CHILD)) w->style |= WS_CLIPSIBLINGS;
        w->exStyle = exStyle;
        w->instance = instance;
        w->thread = GetCurrentThreadId();
        w->extra.assign(static_cast<size_t>(cls->wc.cbWndExtra), 0);
        CurrentQueue();
        if (style & WS_CHILD) {
            w->parent = parentArg;
            w->id = reinterpret_cast<LONG_PTR>(menu);
            parent->children.insert(parent->children.begin(), hwnd);
        } else {
            w->menu = menu;
            if (parentArg) w->owner = TopLevelOf(parentArg);
        }
        // Default position and size: only overlapped windows get the system's choice.
        bool overlapped = !(style & (WS_POPUP | WS_CHILD));
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
        if (x == CW_USEDEFAULT) {
            if (overlapped) {
                x = mi.rcWork.left + 26;
                y = mi.rcWork.top + 26;
            } else {
                x = 0;
                y = 0;
            }
        }
        if (cx == CW_USEDEFAULT) {
            if (overlapped) {
                cx = (mi.rcWork.right - mi.rcWork.left) * 3 / 4;
                cy = (mi.rcWork.bottom - mi.rcWork.top) * 3 / 4;
            } else {
                cx = 0;
                cy = 0;
            }
        }
        if (cx < 0) cx = 0;
        if (cy < 0) cy = 0;
        w->rect = RECT{x, y, x + cx, y + cy};
        w->client = RECT{0, 0, cx, cy};
        if (windowName) w->text = windowName;
        M().windows[reinterpret_cast<uintptr_t>(hwnd)] = w;
        if (!w->parent) M().zorder.insert(M().zorder.begin(), hwnd);
        cs.lpCreateParams = param;
        cs.hInstance = instance;
        cs.hMenu = menu;
        cs.hwndParent = parentArg;
        cs.style = static_cast<LONG>(style);
        cs.lpszName = windowName;
        cs.lpszClass = className;
        cs.dwExStyle = exStyle;
    }

    if (WantsMinMax(style)) {
        MINMAXINFO info;
        FillMinMaxInfo(hwnd, info);
        Call(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        Lock lock(M().mutex);
        if (Window* w = Find(hwnd)) {
            LONG width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
            width = std::clamp(width, std::min(info.ptMinTrackSize.x, info.ptMaxTrackSize.x), info.ptMaxTrackSize.x);
            height = std::clamp(height, std::min(info.ptMinTrackSize.y, info.ptMaxTrackSize.y), info.ptMaxTrackSize.y);
            w->rect.right = w->rect.left + width;
            w->rect.bottom = w->rect.top + height;
        }
    }
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        cs.x = w->rect.left;
        cs.y = w->rect.top;
        cs.cx = w->rect.right - w->rect.left;
        cs.cy = w->rect.bottom - w->rect.top;
    }
    if (!Call(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyTree(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT rc;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        rc = w->rect;
    }
    Call(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc));
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        w->client = RECT{rc.left - w->rect.left, rc.top - w->rect.top, rc.right - w->rect.left, rc.bottom - w->rect.top};
        if (w->client.right < w->client.left) w->client.right = w->client.left;
        if (w->client.bottom < w->client.top) w->client.bottom = w->client.top;
        if (!w->parent) {
            CreateSurfaceFor(w);
            EnsureBroadcastListener();
        } else {
            ResizeStore(w);
        }
    }
    if (Call(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT client;
    POINT origin;
    HWND parentHwnd;
    bool noNotify;
    LONG_PTR id;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return nullptr;
        w->created = true;
        client = w->client;
        origin = POINT{w->rect.left + w->client.left, w->rect.top + w->client.top};
        parentHwnd = w->parent;
        noNotify = (w->exStyle & WS_EX_NOPARENTNOTIFY) != 0;
        id = w->id;
    }
    Call(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
    Call(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if (parentHwnd && !noNotify) Call(parentHwnd, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, id), reinterpret_cast<LPARAM>(hwnd));
    if (!IsWindow(hwnd)) return nullptr;
    if (style & WS_VISIBLE) {
        if (style & WS_MAXIMIZE) ShowWindow(hwnd, SW_SHOWMAXIMIZED);
        else if (style & WS_MINIMIZE) ShowWindow(hwnd, SW_SHOWMINIMIZED);
        else ShowWindow(hwnd, SW_SHOW);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

namespace uiplatform::wm {

// The window's children at this moment, taken under the lock so that window procedures
// may run (and destroy windows) while the caller walks them; false when the window is gone.
static bool SnapshotChildren(HWND hwnd, std::vector<HWND>& children) {
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    if (!w) return false;
    children = w->children;
    return true;
}

static void SendDestroy(HWND hwnd) {
    Call(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    if (!SnapshotChildren(hwnd, children)) return;
    for (HWND c : children) SendDestroy(c);
}

static void FreeWindow(HWND hwnd) {
    std::vector<HWND> children;
    if (!SnapshotChildren(hwnd, children)) return;
    for (HWND c : children) FreeWindow(c);
    Call(hwnd, WM_NCDESTROY, 0, 0);
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    if (!w) return;
    auto& m = M();
    if (m.capture == hwnd) m.capture = nullptr;
    if (m.focus == hwnd) m.focus = nullptr;
    if (m.active == hwnd) m.active = nullptr;
    if (m.lastPointerWindow == hwnd) m.lastPointerWindow = nullptr;
    FreeTimersOf(hwnd);
    DestroyCaretOf(hwnd);
    ForgetWindowInput(hwnd);
    if (Window* p = Find(w->parent)) {
        p->children.erase(std::remove(p->children.begin(), p->children.end(), hwnd), p->children.end());
    }
    RemoveFromZ(hwnd);
    if (w->surface) {
        m.bySurface.erase(w->surface);
        if (m.backend) m.backend->DestroySurface(w->surface);
        w->surface = 0;
    }
    FreeWindowPaint(w);
    w->cls->windowCount--;
    // Owned windows that outlived their owner lose it.
    for (auto& [handle, other] : m.windows) {
        if (other->owner == hwnd) other->owner = nullptr;
    }
    // Posted messages for the window stay queued; DispatchMessageW drops them.
    m.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
    delete w;
}

static void DestroyTree(HWND hwnd) {
    SendDestroy(hwnd);
    FreeWindow(hwnd);
}

} // namespace uiplatform::wm

BOOL WINAPI DestroyWindow(HWND hwnd) {
    bool wasVisible, isChild, wasActive;
    std::vector<HWND> owned;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        isChild = w->parent != nullptr;
        wasActive = M().active == hwnd;
        for (HWND h : M().zorder) {
            Window* o = Find(h);
            if (o && o->owner == hwnd) owned.push_back(h);
        }
        for (auto& [handle, other] : M().windows) {
            if (other->owner == hwnd && std::find(owned.begin(), owned.end(), other->hwnd) == owned.end())
                owned.push_back(other->hwnd);
        }
    }
    if (isChild) {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (w && !(w->exStyle & WS_EX_NOPARENTNOTIFY) && w->parent) {
            HWND p = w->parent;
            LONG_PTR id = w->id;
            lock.unlock();
            Call(p, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, id), reinterpret_cast<LPARAM>(hwnd));
        }
    }
    if (wasVisible) {
        SetWindowPosInternal(hwnd, nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE, false);
    }
    for (HWND o : owned) DestroyWindow(o);
    if (wasActive || GetActiveWindow() == hwnd) ActivateOtherThan(hwnd);
    {
        Lock lock(M().mutex);
        auto& m = M();
        if (m.capture == hwnd || (m.capture && IsChild(hwnd, m.capture))) {
            HWND old = m.capture;
            m.capture = nullptr;
            if (m.backend) m.backend->UngrabPointer();
            lock.unlock();
            Call(old, WM_CAPTURECHANGED, 0, 0);
        }
    }
    {
        Lock lock(M().mutex);
        auto& m = M();
        if (m.focus == hwnd || (m.focus && IsChild(hwnd, m.focus))) m.focus = nullptr;
    }
    DestroyTree(hwnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) {
    Lock lock(M().mutex);
    return Find(hwnd) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE)) return FALSE;
        if (!w->parent) return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    bool wasDisabled;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (enable && wasDisabled) {
            w->style &= ~WS_DISABLED;
        } else if (!enable && !wasDisabled) {
            w->style |= WS_DISABLED;
        } else {
            return wasDisabled;
        }
    }
    if (!enable) {
        // A disabled window keeps neither the focus nor the capture.
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(nullptr);
        if (GetCapture() == hwnd) ReleaseCapture();
    }
    Call(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL WINAPI IsZoomed(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    return w && (w->style & WS_MAXIMIZE);
}

BOOL WINAPI IsIconic(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    while (w && w->parent) {
        if (w->parent == parent) return TRUE;
        w = Find(w->parent);
    }
    return FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD pid) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return 0;
    if (pid) *pid = GetCurrentProcessId();
    return w->thread;
}

// ---- window data ----

static LONG_PTR GetLongInternal(HWND hwnd, int index, bool narrow) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return 0;
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_USERDATA: return w->userData;
    case GWL_ID: return w->id;
    default: break;
    }
    size_t size = narrow ? sizeof(LONG) : sizeof(LONG_PTR);
    if (index < 0 || static_cast<size_t>(index) + size > w->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (narrow) {
        LONG v;
        memcpy(&v, w->extra.data() + index, sizeof v);
        return v;
    }
    LONG_PTR v;
    memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
}

static LONG_PTR SetLongInternal(HWND hwnd, int index, LONG_PTR value, bool narrow) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (index) {
    case GWL_WNDPROC:
        if (w->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(value);
        SetLastError(0);
        return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        DWORD oldStyle = w->style, oldEx = w->exStyle;
        STYLESTRUCT ss{index == GWL_STYLE ? oldStyle : oldEx, static_cast<DWORD>(value)};
        lock.unlock();
        Call(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
        lock.lock();
        w = Find(hwnd);
        if (!w) return 0;
        if (index == GWL_STYLE) {
            // Visibility changes only through ShowWindow and SetWindowPos.
            w->style = (ss.styleNew & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
            if (w->surface && ((oldStyle ^ w->style) & WS_CAPTION) && M().backend)
                M().backend->SetDecorated(w->surface, (w->style & WS_CAPTION) == WS_CAPTION);
        } else {
            w->exStyle = ss.styleNew;
            bool wasLayered = (oldEx & WS_EX_LAYERED) != 0, isLayered = (w->exStyle & WS_EX_LAYERED) != 0;
            if (wasLayered != isLayered && w->surface && M().backend) {
                // The surface's visual changes: make a new one.
                bool visible = (w->style & WS_VISIBLE) != 0;
                M().bySurface.erase(w->surface);
                M().backend->DestroySurface(w->surface);
                w->surface = 0;
                w->usesLayeredImage = false;
                if (!isLayered) {
                    w->lwaFlags = 0;
                    w->lwaAlpha = 255;
                }
                CreateSurfaceFor(w);
                RestackBackend();
                if (visible) {
                    M().backend->Show(w->surface, true, false);
                    PresentWindow(w, nullptr);
                }
            } else if (((oldEx ^ w->exStyle) & WS_EX_TRANSPARENT) && w->surface) {
                ApplyShape(w);
            }
        }
        STYLESTRUCT done{index == GWL_STYLE ? oldStyle : oldEx, index == GWL_STYLE ? w->style : w->exStyle};
        lock.unlock();
        Call(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&done));
        SetLastError(0);
        return static_cast<LONG>(index == GWL_STYLE ? oldStyle : oldEx);
    }
    case GWL_USERDATA:
        old = w->userData;
        w->userData = value;
        SetLastError(0);
        return old;
    case GWL_ID:
        old = w->id;
        w->id = value;
        SetLastError(0);
        return old;
    case GWL_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(value);
        SetLastError(0);
        return old;
    case GWL_HWNDPARENT:
        if (w->parent) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->owner);
        w->owner = TopLevelOf(reinterpret_cast<HWND>(value));
        if (w->surface && M().backend) {
            Window* o = Find(w->owner);
            M().backend->SetTransientFor(w->surface, o ? o->surface : 0);
        }
        SetLastError(0);
        return old;
    default: break;
    }
    size_t size = narrow ? sizeof(LONG) : sizeof(LONG_PTR);
    if (index < 0 || static_cast<size_t>(index) + size > w->extra.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    if (narrow) {
        LONG o, v = static_cast<LONG>(value);
        memcpy(&o, w->extra.data() + index, sizeof o);
        memcpy(w->extra.data() + index, &v, sizeof v);
        old = o;
    } else {
        memcpy(&old, w->extra.data() + index, sizeof old);
        memcpy(w->extra.data() + index, &value, sizeof value);
    }
    SetLastError(0);
    return old;
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetLongInternal(hwnd, index, true)); }
LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
    // A 32-bit value cannot hold a procedure or a pointer on this platform.
    if (index == GWL_WNDPROC || index == GWL_HWNDPARENT || index == GWL_HINSTANCE) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return static_cast<LONG>(SetLongInternal(hwnd, index, value, true));
}
LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) { return GetLongInternal(hwnd, index, false); }
LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    return SetLongInternal(hwnd, index, value, false);
}

// ---- properties ----

static std::wstring PropKey(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
    return name;
}

BOOL WINAPI SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    w->props[PropKey(name)] = data;
    return TRUE;
}

HANDLE WINAPI GetPropW(HWND hwnd, LPCWSTR name) {
    if (!name) return nullptr;
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(PropKey(name));
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE WINAPI RemovePropW(HWND hwnd, LPCWSTR name) {
    if (!name) return nullptr;
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    if (!w) return nullptr;
    auto it = w->props.find(PropKey(name));
    if (it == w->props.end()) return nullptr;
    HANDLE h = it->second;
    w->props.erase(it);
    return h;
}

// ---- text ----

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR buffer, int max) {
    if (!buffer || max <= 0) return 0;
    buffer[0] = 0;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthW(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// ---- tree ----

HWND WINAPI GetParent(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return nullptr;
    if (w->style & WS_CHILD) return w->parent;
    if (w->style & WS_POPUP) return w->owner;
    return nullptr;
}

HWND WINAPI GetAncestor(HWND hwnd, UINT flags) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return nullptr;
    switch (flags) {
    case GA_PARENT: return w->parent ? w->parent : GetDesktopWindow();
    case GA_ROOT: return TopLevelOf(hwnd);
    case GA_ROOTOWNER: {
        HWND h = TopLevelOf(hwnd);
        for (Window* t = Find(h); t && t->owner; t = Find(t->owner)) h = t->owner;
        return h;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

// The desktop is not a window of this layer; its handle only stands for "no parent".
HWND WINAPI GetDesktopWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010)); }

HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return nullptr;
    const std::vector<HWND>* siblings = nullptr;
    if (w->parent) {
        if (Window* p = Find(w->parent)) siblings = &p->children;
    } else {
        siblings = &M().zorder;
    }
    switch (cmd) {
    case GW_OWNER: return w->owner;
    case GW_CHILD: return w->children.empty() ? nullptr : w->children.front();
    case GW_HWNDFIRST: return siblings && !siblings->empty() ? siblings->front() : nullptr;
    case GW_HWNDLAST: return siblings && !siblings->empty() ? siblings->back() : nullptr;
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
        if (!siblings) return nullptr;
        auto it = std::find(siblings->begin(), siblings->end(), hwnd);
        if (it == siblings->end()) return nullptr;
        if (cmd == GW_HWNDNEXT) return (it + 1) == siblings->end() ? nullptr : *(it + 1);
        return it == siblings->begin() ? nullptr : *(it - 1);
    }
    case GW_ENABLEDPOPUP:
        for (HWND h : M().zorder) {
            Window* o = Find(h);
            if (o && o->owner == hwnd && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED)) return h;
        }
        return nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HMENU WINAPI GetMenu(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w || (w->style & WS_CHILD)) return nullptr;
    return w->menu;
}

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    Lock lock(M().mutex);
    std::wstring key;
    if (className) {
        WindowClass* c = FindClass(className);
        if (!c) return nullptr;
        key = c->name;
    }
    for (HWND h : M().zorder) {
        Window* w = Find(h);
        if (!w) continue;
        if (className && w->cls->name != key) continue;
        if (windowName && w->text != windowName) continue;
        return h;
    }
    return nullptr;
}
