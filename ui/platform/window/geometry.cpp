// Position, size, showing, z-order, activation, focus, monitors and metrics.
#include "ui/platform/window/manager.h"

#include <algorithm>

namespace uiplatform::wm {

void BringToFront(HWND hwnd);
void PlaceAfter(HWND hwnd, HWND after);

BOOL SetWindowPosInternal(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags, bool stateChanged) {
    WINDOWPOS wp{};
    RECT oldRect, oldClient;
    bool wasVisible, isTop;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        oldRect = w->rect;
        oldClient = w->client;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        isTop = w->parent == nullptr;
        if (wasVisible) flags &= ~SWP_SHOWWINDOW;
        else flags &= ~SWP_HIDEWINDOW;
        if (flags & SWP_NOMOVE) {
            x = oldRect.left;
            y = oldRect.top;
        }
        if (flags & SWP_NOSIZE) {
            cx = oldRect.right - oldRect.left;
            cy = oldRect.bottom - oldRect.top;
        }
        if (cx < 0) cx = 0;
        if (cy < 0) cy = 0;
        if (x == oldRect.left && y == oldRect.top) flags |= SWP_NOMOVE;
        if (cx == oldRect.right - oldRect.left && cy == oldRect.bottom - oldRect.top) flags |= SWP_NOSIZE;
        if (!isTop) flags |= SWP_NOACTIVATE;
        wp = WINDOWPOS{hwnd, after, x, y, cx, cy, flags};
    }
    if (!(flags & SWP_NOSENDCHANGING)) Call(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    flags = wp.flags;
    RECT newRect{wp.x, wp.y, wp.x + std::max(wp.cx, 0), wp.y + std::max(wp.cy, 0)};
    if (flags & SWP_NOMOVE) OffsetRect(&newRect, oldRect.left - newRect.left, oldRect.top - newRect.top);
    if (flags & SWP_NOSIZE) {
        newRect.right = newRect.left + (oldRect.right - oldRect.left);
        newRect.bottom = newRect.top + (oldRect.bottom - oldRect.top);
    }
    bool sized = newRect.right - newRect.left != oldRect.right - oldRect.left ||
                 newRect.bottom - newRect.top != oldRect.bottom - oldRect.top;
    RECT newClient = oldClient;
    if (sized || (flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = newRect;
        params.rgrc[1] = oldRect;
        params.rgrc[2] = RECT{oldRect.left + oldClient.left, oldRect.top + oldClient.top, oldRect.left + oldClient.right,
                              oldRect.top + oldClient.bottom};
        params.lppos = &wp;
        Call(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        RECT c = params.rgrc[0];
        newClient = RECT{c.left - newRect.left, c.top - newRect.top, c.right - newRect.left, c.bottom - newRect.top};
        if (newClient.right < newClient.left) newClient.right = newClient.left;
        if (newClient.bottom < newClient.top) newClient.bottom = newClient.top;
    }
    bool activate = false;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        bool clientMoved = newRect.left + newClient.left != oldRect.left + oldClient.left ||
                           newRect.top + newClient.top != oldRect.top + oldClient.top;
        bool clientSized = newClient.right - newClient.left != oldClient.right - oldClient.left ||
                           newClient.bottom - newClient.top != oldClient.bottom - oldClient.top;
        if (!clientMoved) flags |= SWP_NOCLIENTMOVE;
        if (!clientSized && !stateChanged) flags |= SWP_NOCLIENTSIZE;
        w->rect = newRect;
        w->client = newClient;
        if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
        if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
        if (!(flags & SWP_NOZORDER)) {
            if (isTop) {
                if (wp.hwndInsertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
                if (wp.hwndInsertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
                PlaceAfter(hwnd, wp.hwndInsertAfter);
            } else if (Window* p = Find(w->parent)) {
                auto& c = p->children;
                c.erase(std::remove(c.begin(), c.end(), hwnd), c.end());
                if (wp.hwndInsertAfter == HWND_BOTTOM) c.push_back(hwnd);
                else {
                    auto it = std::find(c.begin(), c.end(), wp.hwndInsertAfter);
                    c.insert(it == c.end() ? c.begin() : it + 1, hwnd);
                }
            }
        }
        if (sized || clientSized) ResizeStore(w);
        Backend* b = M().backend.get();
        if (w->surface && b) {
            if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) b->SetGeometry(w->surface, newRect);
            if (sized) ApplyShape(w);
            if (!(flags & SWP_NOZORDER)) RestackBackend();
        }
        if (flags & SWP_SHOWWINDOW) {
            if (w->surface && b) {
                RestackBackend();
                b->Show(w->surface, true, !(flags & SWP_NOACTIVATE));
            }
            if (!w->usesLayeredImage) InvalidateInternal(w, nullptr, true);
            else PresentWindow(w, nullptr);
            activate = isTop && !(flags & SWP_NOACTIVATE) && !(w->exStyle & WS_EX_NOACTIVATE);
        } else if (flags & SWP_HIDEWINDOW) {
            if (w->surface && b) b->Show(w->surface, false, false);
            if (w->parent) {
                if (Window* p = Find(w->parent)) {
                    RECT r = w->rect;
                    InvalidateInternal(p, &r, true);
                }
            }
        } else if (sized && !(flags & SWP_NOREDRAW) && (w->style & WS_VISIBLE) && !w->usesLayeredImage) {
            if (w->cls->wc.style & (CS_HREDRAW | CS_VREDRAW)) InvalidateInternal(w, nullptr, true);
            else {
                // Only the newly uncovered part needs painting; the store kept the rest.
                cairo_rectangle_int_t all{0, 0, newClient.right - newClient.left, newClient.bottom - newClient.top};
                cairo_rectangle_int_t kept{0, 0, oldClient.right - oldClient.left, oldClient.bottom - oldClient.top};
                cairo_region_t* r = cairo_region_create_rectangle(&all);
                cairo_region_subtract_rectangle(r, &kept);
                int n = cairo_region_num_rectangles(r);
                for (int i = 0; i < n; ++i) {
                    cairo_rectangle_int_t c;
                    cairo_region_get_rectangle(r, i, &c);
                    RECT rr{c.x, c.y, c.x + c.width, c.y + c.height};
                    InvalidateInternal(w, &rr, true);
                }
                cairo_region_destroy(r);
                PresentWindow(w, nullptr);
            }
        } else if (!w->surface && !(flags & SWP_NOREDRAW) && (w->style & WS_VISIBLE) &&
                   (!(flags & SWP_NOMOVE) || sized)) {
            // A child moved: both places need painting in the parent.
            if (Window* p = Find(w->parent)) {
                InvalidateInternal(p, &oldRect, true);
                InvalidateInternal(p, &newRect, true);
            }
            InvalidateInternal(w, nullptr, true);
        }
    }
    if (activate) ActivateWindow(hwnd, WA_ACTIVE);
    wp.flags = flags;
    wp.x = newRect.left;
    wp.y = newRect.top;
    wp.cx = newRect.right - newRect.left;
    wp.cy = newRect.bottom - newRect.top;
    Call(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if ((flags & SWP_HIDEWINDOW) && GetActiveWindow() == hwnd) ActivateOtherThan(hwnd);
    if ((flags & SWP_HIDEWINDOW)) {
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus))) {
            Lock lock(M().mutex);
            if (M().focus == focus) M().focus = nullptr;
            lock.unlock();
            Call(focus, WM_KILLFOCUS, 0, 0);
        }
    }
    return TRUE;
}

static bool AppHasActiveWindow() { return M().active != nullptr; }

static void SendActivateApp(bool active, DWORD thread) {
    std::vector<HWND> tops;
    {
        Lock lock(M().mutex);
        for (HWND h : M().zorder) {
            Window* w = Find(h);
            if (w && w->thread == GetCurrentThreadId()) tops.push_back(h);
        }
    }
    for (HWND h : tops) Call(h, WM_ACTIVATEAPP, active ? TRUE : FALSE, thread);
}

void ActivateWindow(HWND hwnd, int how) {
    HWND old;
    bool appWasActive;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (hwnd && !w) return;
        old = M().active;
        if (old == hwnd) return;
        appWasActive = AppHasActiveWindow();
    }
    if (old && IsWindow(old)) {
        if (Call(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(hwnd)) == 0 && hwnd == nullptr) {
            // Deactivation refused: the window stays active.
        }
        Call(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), reinterpret_cast<LPARAM>(hwnd));
    }
    HWND oldFocus;
    {
        Lock lock(M().mutex);
        M().active = Find(hwnd) ? hwnd : nullptr;
        oldFocus = M().focus;
        if (M().active) {
            BringToFront(hwnd);
            RestackBackend();
            Window* w = Find(hwnd);
            if (w->surface && M().backend && (w->style & WS_VISIBLE)) M().backend->Activate(w->surface);
        }
    }
    if (!hwnd) {
        if (appWasActive) SendActivateApp(false, 0);
        if (oldFocus) {
            {
                Lock lock(M().mutex);
                M().focus = nullptr;
            }
            Call(oldFocus, WM_KILLFOCUS, 0, 0);
        }
        return;
    }
    if (!appWasActive) SendActivateApp(true, GetCurrentThreadId());
    if (!IsWindow(hwnd)) return;
    Call(hwnd, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
    Call(hwnd, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(hwnd) ? 1 : 0), reinterpret_cast<LPARAM>(old));
    // The focus may not stay in a window that is no longer active.
    HWND focus;
    {
        Lock lock(M().mutex);
        focus = M().focus;
        if (focus && TopLevelOf(focus) != M().active) M().focus = nullptr;
        else focus = nullptr;
    }
    if (focus) Call(focus, WM_KILLFOCUS, 0, 0);
}

// The window that takes over when hwnd stops being active: its owner, else the front-most
// other visible and enabled window of the thread.
void ActivateOtherThan(HWND hwnd) {
    HWND next = nullptr;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        auto usable = [&](HWND h) {
            Window* o = Find(h);
            return o && h != hwnd && !o->destroying && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED) &&
                   !(o->style & WS_MINIMIZE) && !(o->exStyle & WS_EX_NOACTIVATE) &&
                   o->thread == GetCurrentThreadId() && (!o->cls || o->cls->name != L"tooltips_class32");
        };
        if (w && w->owner && usable(w->owner)) next = w->owner;
        if (!next) {
            for (HWND h : M().zorder) {
                if (usable(h)) {
                    next = h;
                    break;
                }
            }
        }
    }
    ActivateWindow(next, WA_ACTIVE);
}

static void Maximize(HWND hwnd, int cmd) {
    MINMAXINFO info;
    FillMinMaxInfo(hwnd, info);
    Call(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return;
        if (!(w->style & (WS_MAXIMIZE | WS_MINIMIZE))) w->restoreRect = w->rect;
        w->style &= ~WS_MINIMIZE;
        w->style |= WS_MAXIMIZE;
    }
    UINT flags = SWP_FRAMECHANGED | (cmd == SW_SHOWMAXIMIZED || cmd == SW_MAXIMIZE ? SWP_SHOWWINDOW : 0);
    SetWindowPosInternal(hwnd, HWND_TOP, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x,
                         info.ptMaxSize.y, flags, true);
}

static void Minimize(HWND hwnd, bool activateNext) {
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return;
        if (!(w->style & (WS_MAXIMIZE | WS_MINIMIZE))) w->restoreRect = w->rect;
        w->restoreMaximized = (w->style & WS_MAXIMIZE) != 0;
        w->style &= ~WS_MAXIMIZE;
        w->style |= WS_MINIMIZE;
        if (w->surface && M().backend) M().backend->Minimize(w->surface);
    }
    SetWindowPosInternal(hwnd, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW,
                         true);
    if (activateNext && GetActiveWindow() == hwnd) ActivateOtherThan(hwnd);
}

static void Restore(HWND hwnd, bool activate) {
    bool toMax = false;
    RECT r{};
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return;
        if (w->style & WS_MINIMIZE) {
            toMax = w->restoreMaximized;
            w->restoreMaximized = false;
        }
        w->style &= ~WS_MINIMIZE;
        if (toMax) w->style |= WS_MAXIMIZE; // keeps the rectangle to restore to
        if (!toMax) {
            bool wasMax = (w->style & WS_MAXIMIZE) != 0;
            w->style &= ~WS_MAXIMIZE;
            r = wasMax ? w->restoreRect : w->rect;
        }
    }
    if (toMax) {
        Maximize(hwnd, SW_SHOWMAXIMIZED);
        return;
    }
    SetWindowPosInternal(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_FRAMECHANGED | SWP_SHOWWINDOW | (activate ? 0 : SWP_NOACTIVATE), true);
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

BOOL WINAPI SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        if (w->thread != GetCurrentThreadId()) {
            // Done by the window's thread, as Windows does for another thread's window.
            DWORD t = w->thread;
            PostInternal(t, [=] { SetWindowPosInternal(hwnd, after, x, y, cx, cy, flags, false); });
            return TRUE;
        }
    }
    return SetWindowPosInternal(hwnd, after, x, y, cx, cy, flags, false);
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND hwnd) {
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
    bool wasVisible, isChild;
    DWORD style;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        isChild = w->parent != nullptr;
        style = w->style;
        if (w->thread != GetCurrentThreadId()) {
            PostInternal(w->thread, [=] { ShowWindow(hwnd, cmd); });
            return wasVisible;
        }
    }
    switch (cmd) {
    case SW_HIDE:
        if (!wasVisible) return FALSE;
        Call(hwnd, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPosInternal(hwnd, nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE, false);
        return TRUE;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        if (!wasVisible) Call(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(style & WS_MINIMIZE)) Minimize(hwnd, true);
        return wasVisible;
    case SW_MAXIMIZE:
        if (!wasVisible) Call(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(style & WS_MAXIMIZE) || (style & WS_MINIMIZE)) Maximize(hwnd, cmd);
        else if (!isChild) ActivateWindow(hwnd, WA_ACTIVE);
        return wasVisible;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE:
        if (!wasVisible) Call(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
            Restore(hwnd, cmd != SW_SHOWNOACTIVATE);
            return wasVisible;
        }
        SetWindowPosInternal(hwnd, HWND_TOP, 0, 0, 0, 0,
                             SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE |
                                 (cmd == SW_SHOWNOACTIVATE ? SWP_NOACTIVATE | SWP_NOZORDER : 0),
                             false);
        return wasVisible;
    case SW_SHOW:
    case SW_SHOWNA:
        if (!wasVisible) Call(hwnd, WM_SHOWWINDOW, TRUE, 0);
        SetWindowPosInternal(hwnd, HWND_TOP, 0, 0, 0, 0,
                             SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE |
                                 (cmd == SW_SHOWNA ? SWP_NOACTIVATE | SWP_NOZORDER : 0),
                             false);
        return wasVisible;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    *rect = ScreenRect(w);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT pt) {
    if (!pt) return FALSE;
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    POINT o = ClientOrigin(w);
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT pt) {
    if (!pt) return FALSE;
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    POINT o = ClientOrigin(w);
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    Lock lock(M().mutex);
    POINT a{0, 0}, b{0, 0};
    if (from) {
        Window* w = FindOrFail(from);
        if (!w) return 0;
        a = ClientOrigin(w);
    }
    if (to) {
        Window* w = FindOrFail(to);
        if (!w) return 0;
        b = ClientOrigin(w);
    }
    LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(static_cast<SHORT>(dx)), static_cast<WORD>(static_cast<SHORT>(dy)));
}

// Frames are drawn by the desktop outside the window rectangle, so windows have no
// non-client area of their own and the rectangle stays as it is.
BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD, BOOL, DWORD) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

// ---- activation and focus ----

HWND WINAPI GetActiveWindow() {
    Lock lock(M().mutex);
    Window* w = Find(M().active);
    return w && w->thread == GetCurrentThreadId() ? M().active : nullptr;
}

HWND WINAPI GetForegroundWindow() {
    Lock lock(M().mutex);
    return M().active;
}

HWND WINAPI SetActiveWindow(HWND hwnd) {
    HWND old = GetActiveWindow();
    {
        Lock lock(M().mutex);
        Window* w = hwnd ? FindOrFail(hwnd) : nullptr;
        if (hwnd && !w) return nullptr;
        if (w && (w->parent || w->thread != GetCurrentThreadId())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    ActivateWindow(hwnd, WA_ACTIVE);
    return old;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    HWND top;
    DWORD thread;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        top = TopLevelOf(hwnd);
        thread = w->thread;
        if (thread != GetCurrentThreadId()) {
            PostInternal(thread, [=] { ActivateWindow(top, WA_ACTIVE); });
            return TRUE;
        }
    }
    ActivateWindow(top, WA_ACTIVE);
    return TRUE;
}

HWND WINAPI GetFocus() {
    Lock lock(M().mutex);
    Window* w = Find(M().focus);
    return w && w->thread == GetCurrentThreadId() ? M().focus : nullptr;
}

HWND WINAPI SetFocus(HWND hwnd) {
    HWND old;
    {
        Lock lock(M().mutex);
        old = M().focus;
        if (hwnd) {
            Window* w = FindOrFail(hwnd);
            if (!w) return nullptr;
            if (w->thread != GetCurrentThreadId()) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            // Neither a minimised nor a disabled window takes the focus.
            for (Window* a = w; a; a = Find(a->parent)) {
                if (a->style & (WS_DISABLED | WS_MINIMIZE)) return nullptr;
            }
        }
    }
    if (hwnd) {
        HWND top;
        {
            Lock lock(M().mutex);
            top = TopLevelOf(hwnd);
        }
        if (GetActiveWindow() != top) ActivateWindow(top, WA_ACTIVE);
        if (!IsWindow(hwnd)) return nullptr;
        {
            Lock lock(M().mutex);
            old = M().focus;
        }
        if (old == hwnd) return old;
    }
    if (old && IsWindow(old)) Call(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    {
        Lock lock(M().mutex);
        M().focus = hwnd && Find(hwnd) ? hwnd : nullptr;
    }
    if (hwnd && IsWindow(hwnd)) Call(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

// ---- monitors and metrics ----

namespace {
std::vector<MonitorDesc> MonitorList() {
    auto list = GetBackend()->Monitors();
    if (list.empty()) list.push_back(MonitorDesc{RECT{0, 0, 1280, 800}, RECT{0, 0, 1280, 800}, true});
    return list;
}
HMONITOR HandleOfIndex(size_t i) { return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x7000 + i)); }

HMONITOR MonitorForRect(const RECT& r, DWORD flags) {
    auto list = MonitorList();
    LONG best = 0;
    size_t bestIndex = 0;
    bool found = false;
    for (size_t i = 0; i < list.size(); ++i) {
        RECT x;
        if (IntersectRect(&x, &list[i].area, &r)) {
            LONG a = (x.right - x.left) * (x.bottom - x.top);
            if (!found || a > best) {
                best = a;
                bestIndex = i;
                found = true;
            }
        }
    }
    if (!found) {
        if (flags == MONITOR_DEFAULTTONULL) return nullptr;
        size_t primary = 0;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].primary) primary = i;
        if (flags == MONITOR_DEFAULTTONEAREST) {
            long long bestDist = -1;
            for (size_t i = 0; i < list.size(); ++i) {
                const RECT& a = list[i].area;
                long long dx = r.right <= a.left ? a.left - r.right : (r.left >= a.right ? r.left - a.right : 0);
                long long dy = r.bottom <= a.top ? a.top - r.bottom : (r.top >= a.bottom ? r.top - a.bottom : 0);
                long long d = dx * dx + dy * dy;
                if (bestDist < 0 || d < bestDist) {
                    bestDist = d;
                    primary = i;
                }
            }
        }
        bestIndex = primary;
    }
    return HandleOfIndex(bestIndex);
}
} // namespace

HMONITOR WINAPI MonitorFromRect(LPCRECT rect, DWORD flags) {
    if (!rect) return nullptr;
    Lock lock(M().mutex);
    RECT r = *rect;
    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    return MonitorForRect(r, flags);
}

HMONITOR WINAPI MonitorFromPoint(POINT pt, DWORD flags) {
    RECT r{pt.x, pt.y, pt.x + 1, pt.y + 1};
    return MonitorFromRect(&r, flags);
}

HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD flags) {
    RECT r;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorForRect(RECT{0, 0, 1, 1}, MONITOR_DEFAULTTOPRIMARY);
        r = ScreenRect(w);
        if ((w->style & WS_MINIMIZE) && w->restoreRect.right > w->restoreRect.left) r = w->restoreRect;
    }
    return MonitorFromRect(&r, flags);
}

BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    if (!info || info->cbSize < sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Lock lock(M().mutex);
    auto list = MonitorList();
    uintptr_t index = reinterpret_cast<uintptr_t>(monitor) - 0x7000;
    if (reinterpret_cast<uintptr_t>(monitor) < 0x7000 || index >= list.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->rcMonitor = list[index].area;
    info->rcWork = list[index].work;
    info->dwFlags = list[index].primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

BOOL WINAPI SystemParametersInfoW(UINT action, UINT, PVOID param, UINT) {
    if (action == SPI_GETWORKAREA && param) {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
        *static_cast<RECT*>(param) = mi.rcWork;
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

int WINAPI GetSystemMetrics(int index) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    auto primary = [&] {
        GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    };
    switch (index) {
    case SM_CXSCREEN: primary(); return mi.rcMonitor.right - mi.rcMonitor.left;
    case SM_CYSCREEN: primary(); return mi.rcMonitor.bottom - mi.rcMonitor.top;
    case SM_CXFULLSCREEN: primary(); return mi.rcWork.right - mi.rcWork.left;
    case SM_CYFULLSCREEN: primary(); return mi.rcWork.bottom - mi.rcWork.top - 23;
    case SM_CXMAXIMIZED: primary(); return mi.rcWork.right - mi.rcWork.left;
    case SM_CYMAXIMIZED: primary(); return mi.rcWork.bottom - mi.rcWork.top;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN:
    case SM_CXMAXTRACK:
    case SM_CYMAXTRACK: {
        Lock lock(M().mutex);
        RECT all{};
        for (auto& m : MonitorList()) UnionRect(&all, &all, &m.area);
        if (index == SM_XVIRTUALSCREEN) return all.left;
        if (index == SM_YVIRTUALSCREEN) return all.top;
        if (index == SM_CXVIRTUALSCREEN || index == SM_CXMAXTRACK) return all.right - all.left;
        return all.bottom - all.top;
    }
    case SM_CMONITORS: {
        Lock lock(M().mutex);
        return static_cast<int>(MonitorList().size());
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 20;
    case SM_MOUSEPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    case SM_CXMIN: return 136;
    case SM_CYMIN: return 39;
    case SM_CXSIZE:
    case SM_CYSIZE: return 22;
    case SM_CXMINTRACK: return 136;
    case SM_CYMINTRACK: return 39;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXPADDEDBORDER: return 0;
    default: return 0;
    }
}

DWORD WINAPI GetSysColor(int index) {
    static const COLORREF colors[] = {
        RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
        RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
        RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
        RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(0, 120, 215),
        RGB(240, 240, 240)};
    if (index < 0 || index >= static_cast<int>(sizeof colors / sizeof colors[0])) return 0;
    return colors[index];
}

// ---- rectangles ----

BOOL WINAPI SetRect(LPRECT r, int l, int t, int rr, int b) {
    if (!r) return FALSE;
    *r = RECT{l, t, rr, b};
    return TRUE;
}
BOOL WINAPI SetRectEmpty(LPRECT r) {
    if (!r) return FALSE;
    *r = RECT{};
    return TRUE;
}
BOOL WINAPI CopyRect(LPRECT d, const RECT* s) {
    if (!d || !s) return FALSE;
    *d = *s;
    return TRUE;
}
BOOL WINAPI IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL WINAPI PtInRect(const RECT* r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI IntersectRect(LPRECT d, const RECT* a, const RECT* b) {
    if (!d || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(a) || IsRectEmpty(b) || r.left >= r.right || r.top >= r.bottom) {
        *d = RECT{};
        return FALSE;
    }
    *d = r;
    return TRUE;
}
BOOL WINAPI UnionRect(LPRECT d, const RECT* a, const RECT* b) {
    if (!d || !a || !b) return FALSE;
    bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *d = RECT{};
        return FALSE;
    }
    if (ea) *d = *b;
    else if (eb) *d = *a;
    else
        *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                  std::max(a->bottom, b->bottom)};
    return TRUE;
}
BOOL WINAPI SubtractRect(LPRECT d, const RECT* a, const RECT* b) {
    if (!d || !a || !b) return FALSE;
    RECT x;
    RECT r = *a;
    if (IntersectRect(&x, a, b)) {
        if (x.top == a->top && x.bottom == a->bottom) {
            if (x.left == a->left) r.left = x.right;
            else if (x.right == a->right) r.right = x.left;
        } else if (x.left == a->left && x.right == a->right) {
            if (x.top == a->top) r.top = x.bottom;
            else if (x.bottom == a->bottom) r.bottom = x.top;
        }
    }
    *d = r;
    return !IsRectEmpty(&r);
}
