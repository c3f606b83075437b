// Input: routing native events to threads, turning them into mouse and keyboard
// messages, capture, hover and leave tracking, key state, cursors and the caret.
#include "ui/platform/window/manager.h"

#include <cstdlib>

namespace uiplatform::wm {


IconObject* IconFromHandle(HICON h) {
    auto* o = reinterpret_cast<IconObject*>(h);
    if (!o || o->magic != 0x49434f4e) return nullptr;
    return o;
}

namespace {

bool ShapeContains(const Window* w, POINT windowPt) {
    if (!w->shape) return true;
    return cairo_region_contains_point(w->shape, windowPt.x, windowPt.y);
}

bool LayeredPixelTransparent(const Window* w, POINT windowPt) {
    if (!w->usesLayeredImage || !w->store) return false;
    cairo_surface_flush(w->store);
    int width = cairo_image_surface_get_width(w->store), height = cairo_image_surface_get_height(w->store);
    if (windowPt.x < 0 || windowPt.y < 0 || windowPt.x >= width || windowPt.y >= height) return true;
    const unsigned char* data = cairo_image_surface_get_data(w->store);
    int stride = cairo_image_surface_get_stride(w->store);
    uint32_t px = *reinterpret_cast<const uint32_t*>(data + windowPt.y * stride + windowPt.x * 4);
    return (px >> 24) == 0;
}

HWND ChildFromPoint(Window* w, POINT screen) {
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (!cw || !(cw->style & WS_VISIBLE)) continue;
        RECT r = ScreenRect(cw);
        if (!PtInRect(&r, screen)) continue;
        if (!ShapeContains(cw, POINT{screen.x - r.left, screen.y - r.top})) continue;
        if ((cw->exStyle & WS_EX_TRANSPARENT)) continue;
        return ChildFromPoint(cw, screen);
    }
    return w->hwnd;
}

HWND TopFromPoint(POINT screen, HWND skip) {
    for (HWND h : M().zorder) {
        if (h == skip) continue;
        Window* w = Find(h);
        if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_MINIMIZE) || w->destroying) continue;
        // Layered click-through windows never receive the pointer.
        if ((w->exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT)) continue;
        RECT r = w->rect;
        if (!PtInRect(&r, screen)) continue;
        POINT local{screen.x - r.left, screen.y - r.top};
        if (!ShapeContains(w, local) || LayeredPixelTransparent(w, local)) continue;
        return ChildFromPoint(w, screen);
    }
    return nullptr;
}

bool Disabled(HWND h) {
    for (Window* w = Find(h); w; w = Find(w->parent)) {
        if (w->style & WS_DISABLED) return true;
    }
    return false;
}

WPARAM MouseKeys() {
    auto& k = M().keys;
    WPARAM mk = 0;
    if (k[VK_LBUTTON] & 0x80) mk |= MK_LBUTTON;
    if (k[VK_RBUTTON] & 0x80) mk |= MK_RBUTTON;
    if (k[VK_MBUTTON] & 0x80) mk |= MK_MBUTTON;
    if (k[VK_SHIFT] & 0x80) mk |= MK_SHIFT;
    if (k[VK_CONTROL] & 0x80) mk |= MK_CONTROL;
    return mk;
}

void PressKey(UINT vk, bool down) {
    if (vk > 255) return;
    BYTE& s = M().keys[vk];
    if (down) {
        if (!(s & 0x80)) s ^= 1; // toggle state flips on each press
        s |= 0x80;
    } else {
        s &= static_cast<BYTE>(~0x80);
    }
    auto side = [&](UINT generic, UINT left, UINT right) {
        if (vk == left || vk == right) {
            bool any = (M().keys[left] & 0x80) || (M().keys[right] & 0x80);
            if (any) M().keys[generic] |= 0x80;
            else M().keys[generic] &= static_cast<BYTE>(~0x80);
        }
    };
    side(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    side(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    side(VK_MENU, VK_LMENU, VK_RMENU);
}

void PostTo(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Find(hwnd);
    if (!w) return;
    ThreadQueue* q = QueueOf(w->thread);
    if (!q) return;
    q->posted.push_back(MSG{hwnd, msg, wp, lp, GetTickCount(), M().cursor});
    Notify(q);
}

void EndLeaveTracking(ThreadQueue* q) {
    if (q->tracking.hwnd && (q->tracking.flags & TME_LEAVE)) {
        PostTo(q->tracking.hwnd, (q->tracking.flags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
    }
    q->tracking = Tracking{};
}

UINT ButtonMessage(int button, bool down, bool client, bool dbl) {
    UINT base;
    switch (button) {
    case 2: base = WM_MBUTTONDOWN; break;
    case 3: base = WM_RBUTTONDOWN; break;
    default: base = WM_LBUTTONDOWN; break;
    }
    UINT m = base + (down ? (dbl ? 2 : 0) : 1);
    if (!client) m = m - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN;
    return m;
}

UINT ButtonVk(int button) {
    switch (button) {
    case 2: return VK_MBUTTON;
    case 3: return VK_RBUTTON;
    default: return VK_LBUTTON;
    }
}

// Turns one input event for a window of this thread into a message. False: dropped.
bool Cook(Lock& lock, ThreadQueue* q, RawInput& in, MSG* out) {
    HWND target = in.target;
    bool mouse = in.kind == RawKind::MouseMove || in.kind == RawKind::ButtonDown || in.kind == RawKind::ButtonUp ||
                 in.kind == RawKind::Wheel;
    if (mouse) {
        if (in.kind == RawKind::ButtonDown) PressKey(ButtonVk(in.button), true);
        if (in.kind == RawKind::ButtonUp) PressKey(ButtonVk(in.button), false);
        bool captured = M().capture == target;
        LRESULT hit = HTCLIENT;
        UINT rawMsg = in.kind == RawKind::MouseMove   ? WM_MOUSEMOVE
                      : in.kind == RawKind::Wheel     ? WM_MOUSEWHEEL
                                                      : ButtonMessage(in.button, in.kind == RawKind::ButtonDown, true, false);
        if (!captured) {
            for (int tries = 0; tries < 8; ++tries) {
                lock.unlock();
                hit = Call(target, WM_NCHITTEST, 0, MAKELPARAM(in.pt.x, in.pt.y));
                lock.lock();
                if (hit != HTTRANSPARENT) break;
                HWND below = TopFromPoint(in.pt, TopLevelOf(target));
                if (!below) return false;
                Window* bw = Find(below);
                if (!bw) return false;
                if (bw->thread != q->thread) {
                    in.target = below;
                    if (ThreadQueue* other = QueueOf(bw->thread)) {
                        other->input.push_back(in);
                        Notify(other);
                    }
                    return false;
                }
                target = below;
            }
            if (!Find(target)) return false;
            if (Disabled(target) || hit == HTERROR || hit == HTNOWHERE) {
                if (q->tracking.hwnd) EndLeaveTracking(q);
                return false;
            }
        }
        M().lastPointerWindow = target;
        // Leave and hover tracking.
        if (q->tracking.hwnd) {
            bool nonclient = (q->tracking.flags & TME_NONCLIENT) != 0;
            bool inside = q->tracking.hwnd == target && ((hit == HTCLIENT) != nonclient);
            if (!inside && !captured) {
                EndLeaveTracking(q);
            } else if (q->tracking.flags & TME_HOVER) {
                int cx = GetSystemMetrics(SM_CXDOUBLECLK) / 2 + 2, cy = GetSystemMetrics(SM_CYDOUBLECLK) / 2 + 2;
                if (std::abs(in.pt.x - q->tracking.hoverPoint.x) > cx || std::abs(in.pt.y - q->tracking.hoverPoint.y) > cy) {
                    q->tracking.hoverPoint = in.pt;
                    q->tracking.hoverStart = GetTickCount64();
                }
            }
        }
        if (in.kind == RawKind::ButtonDown && !captured) {
            HWND top = TopLevelOf(target);
            Window* tw = Find(top);
            if (tw && M().active != top && !(tw->exStyle & WS_EX_NOACTIVATE)) {
                lock.unlock();
                LRESULT r = Call(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELPARAM(hit, rawMsg));
                if (r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0) ActivateWindow(top, WA_CLICKACTIVE);
                lock.lock();
                if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT) return false;
                if (!Find(target)) return false;
            }
        }
        if (!captured && in.kind != RawKind::Wheel) {
            lock.unlock();
            Call(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, rawMsg));
            lock.lock();
            if (!Find(target)) return false;
        }
        Window* w = Find(target);
        POINT origin = ClientOrigin(w);
        POINT client{in.pt.x - origin.x, in.pt.y - origin.y};
        bool isClient = hit == HTCLIENT;
        WPARAM mk = MouseKeys();
        *out = MSG{target, 0, 0, 0, in.time, in.pt};
        switch (in.kind) {
        case RawKind::MouseMove:
            out->message = isClient ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
            out->wParam = isClient ? mk : static_cast<WPARAM>(hit);
            out->lParam = isClient ? MAKELPARAM(client.x, client.y) : MAKELPARAM(in.pt.x, in.pt.y);
            break;
        case RawKind::Wheel: {
            HWND focus = M().focus;
            Window* fw = Find(focus);
            if (fw && fw->thread == q->thread) out->hwnd = focus;
            out->message = WM_MOUSEWHEEL;
            out->wParam = MAKEWPARAM(mk, static_cast<WORD>(static_cast<SHORT>(in.wheel)));
            out->lParam = MAKELPARAM(in.pt.x, in.pt.y);
            break;
        }
        case RawKind::ButtonDown: {
            bool dbl = false;
            bool allowed = !isClient || (w->cls->wc.style & CS_DBLCLKS);
            int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
            if (allowed && q->clickHwnd == target && q->clickButton == in.button &&
                in.time - q->clickTime <= GetDoubleClickTime() && std::abs(in.pt.x - q->clickPt.x) <= dx &&
                std::abs(in.pt.y - q->clickPt.y) <= dy) {
                dbl = true;
                q->clickHwnd = nullptr;
            } else {
                q->clickHwnd = target;
                q->clickButton = in.button;
                q->clickTime = in.time;
                q->clickPt = in.pt;
            }
            out->message = ButtonMessage(in.button, true, isClient, dbl);
            out->wParam = isClient ? mk : static_cast<WPARAM>(hit);
            out->lParam = isClient ? MAKELPARAM(client.x, client.y) : MAKELPARAM(in.pt.x, in.pt.y);
            break;
        }
        case RawKind::ButtonUp:
            out->message = ButtonMessage(in.button, false, isClient, false);
            out->wParam = isClient ? mk : static_cast<WPARAM>(hit);
            out->lParam = isClient ? MAKELPARAM(client.x, client.y) : MAKELPARAM(in.pt.x, in.pt.y);
            break;
        default: return false;
        }
        return true;
    }
    // Keyboard.
    bool down = in.kind == RawKind::KeyDown;
    bool wasDown = in.vk < 256 && (M().keys[in.vk] & 0x80);
    PressKey(in.vk, down);
    if (Disabled(target)) return false;
    bool alt = (M().keys[VK_MENU] & 0x80) || (!down && in.vk == VK_MENU);
    bool ctrl = (M().keys[VK_CONTROL] & 0x80) != 0;
    bool sys = (alt && !ctrl) || in.vk == VK_F10 || M().focus == nullptr;
    LPARAM lp = 1 | (static_cast<LPARAM>(in.vk & 0xff) << 16);
    if (alt) lp |= 1 << 29;
    if (down && wasDown) lp |= 1 << 30;
    if (!down) lp |= static_cast<LPARAM>(3u << 30);
    lp &= 0xffffffff;
    *out = MSG{target, static_cast<UINT>(down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP)), in.vk, lp, in.time,
               M().cursor};
    q->lastKeyVk = in.vk;
    q->lastKeyChar = in.ch;
    q->lastKeyTime = in.time;
    return true;
}

} // namespace

HWND WindowFromPointInternal(POINT pt) { return TopFromPoint(pt, nullptr); }

void RouteNativeEvent(Lock& lock, const NativeEvent& ev) {
    auto& m = M();
    RawInput in;
    in.time = GetTickCount();
    in.pt = ev.pt;
    auto pushInput = [&](RawKind kind) {
        in.kind = kind;
        if (kind == RawKind::MouseMove && !m.rawInput.empty() && m.rawInput.back().kind == RawKind::MouseMove) {
            m.rawInput.back() = in; // moves coalesce
        } else {
            m.rawInput.push_back(in);
        }
        for (auto& [tid, q] : m.queues) Notify(q);
    };
    switch (ev.kind) {
    case EventKind::MouseMove:
        m.cursor = ev.pt;
        pushInput(RawKind::MouseMove);
        break;
    case EventKind::ButtonDown:
    case EventKind::ButtonUp:
        m.cursor = ev.pt;
        in.button = ev.button;
        pushInput(ev.kind == EventKind::ButtonDown ? RawKind::ButtonDown : RawKind::ButtonUp);
        break;
    case EventKind::Wheel:
        m.cursor = ev.pt;
        in.wheel = ev.wheel;
        pushInput(RawKind::Wheel);
        break;
    case EventKind::KeyDown:
    case EventKind::KeyUp: {
        in.vk = ev.vk;
        in.ch = ev.ch;
        in.pt = m.cursor;
        // The surface the display delivered the key to, for when no window of ours is active.
        auto it = m.bySurface.find(ev.surface);
        in.target = it == m.bySurface.end() ? nullptr : it->second;
        pushInput(ev.kind == EventKind::KeyDown ? RawKind::KeyDown : RawKind::KeyUp);
        break;
    }
    case EventKind::PointerLeft:
        m.cursor = ev.pt;
        pushInput(RawKind::Leave);
        break;
    case EventKind::Exposed: {
        auto it = m.bySurface.find(ev.surface);
        if (it == m.bySurface.end()) break;
        if (Window* w = Find(it->second)) PresentWindow(w, &ev.rect);
        break;
    }
    case EventKind::Configure: {
        auto it = m.bySurface.find(ev.surface);
        if (it == m.bySurface.end()) break;
        Window* w = Find(it->second);
        if (!w || EqualRect(&w->rect, &ev.rect)) break;
        HWND h = w->hwnd;
        RECT r = ev.rect;
        PostInternal(w->thread, [=] {
            SetWindowPosInternal(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                 SWP_NOZORDER | SWP_NOACTIVATE, false);
        });
        break;
    }
    case EventKind::CloseRequest: {
        auto it = m.bySurface.find(ev.surface);
        if (it == m.bySurface.end()) break;
        Window* w = Find(it->second);
        if (!w) break;
        HWND h = w->hwnd;
        PostInternal(w->thread, [=] {
            if (IsWindowEnabled(h)) Call(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        break;
    }
    case EventKind::FocusGained:
    case EventKind::FocusLost: {
        auto it = m.bySurface.find(ev.surface);
        if (it == m.bySurface.end()) break;
        Window* w = Find(it->second);
        if (!w) break;
        HWND h = w->hwnd;
        bool in_ = ev.kind == EventKind::FocusGained;
        PostInternal(w->thread, [=] {
            Lock l(M().mutex);
            Window* x = Find(h);
            if (!x) return;
            if (in_ && M().active != h && !(x->style & WS_DISABLED) && !(x->exStyle & WS_EX_NOACTIVATE)) {
                l.unlock();
                ActivateWindow(h, WA_ACTIVE);
            } else if (!in_ && M().active == h) {
                // Focus went to another program only when no window of ours took it.
                l.unlock();
                ActivateWindow(nullptr, WA_INACTIVE);
            }
        });
        break;
    }
    }
    (void)lock;
}

bool TakeInput(Lock& lock, ThreadQueue* q, HWND filter, UINT minMsg, UINT maxMsg, UINT flags, MSG* out) {
    for (;;) {
        for (auto it = q->cooked.begin(); it != q->cooked.end(); ++it) {
            if (!WindowMatches(it->hwnd, filter) || !MessageMatches(it->message, minMsg, maxMsg)) continue;
            *out = *it;
            if (flags & PM_REMOVE) q->cooked.erase(it);
            return true;
        }
        RawInput in;
        if (!q->input.empty()) {
            in = q->input.front();
            q->input.pop_front();
            if (!Find(in.target)) continue;
        } else if (!M().rawInput.empty()) {
            in = M().rawInput.front();
            bool mouse = in.kind != RawKind::KeyDown && in.kind != RawKind::KeyUp;
            HWND target;
            if (in.kind == RawKind::Leave) {
                target = nullptr;
            } else if (mouse) {
                target = M().capture ? M().capture : TopFromPoint(in.pt, nullptr);
            } else {
                target = M().focus ? M().focus : M().active;
                HWND delivered = in.target;
                if (!target && Find(delivered) && !Disabled(delivered)) {
                    // The display gave the key to one of our windows while we thought none
                    // was active: that window becomes active, as a click would make it.
                    HWND top = TopLevelOf(delivered);
                    Window* tw = Find(top);
                    if (tw && tw->thread == q->thread && !(tw->exStyle & WS_EX_NOACTIVATE)) {
                        lock.unlock();
                        ActivateWindow(top, WA_ACTIVE);
                        lock.lock();
                        continue;
                    }
                    target = delivered;
                }
            }
            Window* tw = Find(target);
            if (!tw) {
                M().rawInput.pop_front();
                if (mouse) {
                    M().lastPointerWindow = nullptr;
                    if (in.kind == RawKind::ButtonDown) PressKey(ButtonVk(in.button), true);
                    if (in.kind == RawKind::ButtonUp) PressKey(ButtonVk(in.button), false);
                    for (auto& [tid, other] : M().queues) {
                        if (other->tracking.hwnd) EndLeaveTracking(other);
                    }
                } else {
                    PressKey(in.vk, in.kind == RawKind::KeyDown);
                }
                continue;
            }
            in.target = target;
            M().rawInput.pop_front();
            if (tw->thread != q->thread) {
                if (ThreadQueue* other = QueueOf(tw->thread)) {
                    other->input.push_back(in);
                    Notify(other);
                }
                // The pointer moved to another thread's window: leave this thread's.
                if (mouse && q->tracking.hwnd) EndLeaveTracking(q);
                continue;
            }
        } else {
            return false;
        }
        MSG msg;
        if (!Cook(lock, q, in, &msg)) continue;
        q->cooked.push_back(msg);
    }
}

void CheckHover(ThreadQueue* q) {
    Tracking& t = q->tracking;
    if (!t.hwnd || !(t.flags & TME_HOVER)) return;
    if (GetTickCount64() - t.hoverStart < t.hoverTime) return;
    Window* w = Find(t.hwnd);
    if (!w) {
        t = Tracking{};
        return;
    }
    POINT o = ClientOrigin(w);
    if (t.flags & TME_NONCLIENT) PostTo(t.hwnd, WM_NCMOUSEHOVER, HTCLIENT, MAKELPARAM(M().cursor.x, M().cursor.y));
    else PostTo(t.hwnd, WM_MOUSEHOVER, MouseKeys(), MAKELPARAM(M().cursor.x - o.x, M().cursor.y - o.y));
    t.flags &= ~TME_HOVER;
    if (!(t.flags & TME_LEAVE)) t = Tracking{};
}

int HoverTimeout(ThreadQueue* q) {
    Tracking& t = q->tracking;
    if (!t.hwnd || !(t.flags & TME_HOVER)) return -1;
    ULONGLONG now = GetTickCount64(), due = t.hoverStart + t.hoverTime;
    return due > now ? static_cast<int>(due - now) : 0;
}

void ForgetWindowInput(HWND hwnd) {
    for (auto& [tid, q] : M().queues) {
        auto& c = q->cooked;
        for (auto it = c.begin(); it != c.end();) it = it->hwnd == hwnd ? c.erase(it) : it + 1;
        auto& in = q->input;
        for (auto it = in.begin(); it != in.end();) it = it->target == hwnd ? in.erase(it) : it + 1;
        if (q->tracking.hwnd == hwnd) q->tracking = Tracking{};
        if (q->clickHwnd == hwnd) q->clickHwnd = nullptr;
    }
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

HWND WINAPI WindowFromPoint(POINT pt) {
    Lock lock(M().mutex);
    return TopFromPoint(pt, nullptr);
}

SHORT WINAPI GetKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    Lock lock(M().mutex);
    BYTE s = M().keys[vk];
    return static_cast<SHORT>(((s & 0x80) ? 0x8000 : 0) | (s & 1));
}

SHORT WINAPI GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    Lock lock(M().mutex);
    return static_cast<SHORT>((M().keys[vk] & 0x80) ? 0x8000 : 0);
}

BOOL WINAPI GetCursorPos(LPPOINT pt) {
    if (!pt) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Lock lock(M().mutex);
    *pt = M().cursor;
    return TRUE;
}

UINT WINAPI GetDoubleClickTime() { return 500; }

HWND WINAPI SetCapture(HWND hwnd) {
    HWND old;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return nullptr;
        old = M().capture;
        Window* ow = Find(old);
        if (ow && ow->thread != GetCurrentThreadId()) old = nullptr;
        if (M().capture == hwnd) return old;
        M().capture = hwnd;
        Window* top = Find(TopLevelOf(hwnd));
        if (top && top->surface && M().backend) M().backend->GrabPointer(top->surface);
    }
    if (old) Call(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL WINAPI ReleaseCapture() {
    HWND old;
    {
        Lock lock(M().mutex);
        old = M().capture;
        if (!old) return TRUE;
        M().capture = nullptr;
        if (M().backend) M().backend->UngrabPointer();
    }
    Call(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WINAPI GetCapture() {
    Lock lock(M().mutex);
    Window* w = Find(M().capture);
    return w && w->thread == GetCurrentThreadId() ? M().capture : nullptr;
}

BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT tme) {
    if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    if (tme->dwFlags & TME_QUERY) {
        tme->dwFlags = q->tracking.flags;
        tme->hwndTrack = q->tracking.hwnd;
        tme->dwHoverTime = q->tracking.hoverTime;
        return TRUE;
    }
    Window* w = FindOrFail(tme->hwndTrack);
    if (!w) return FALSE;
    if (w->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD wanted = tme->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
    if (tme->dwFlags & TME_CANCEL) {
        if (q->tracking.hwnd == tme->hwndTrack) {
            q->tracking.flags &= ~(wanted & (TME_HOVER | TME_LEAVE));
            if (!(q->tracking.flags & (TME_HOVER | TME_LEAVE))) q->tracking = Tracking{};
        }
        return TRUE;
    }
    // The pointer is not over the window: the leave is reported at once.
    HWND under = M().capture ? M().capture : TopFromPoint(M().cursor, nullptr);
    if ((wanted & TME_LEAVE) && under != tme->hwndTrack) {
        PostTo(tme->hwndTrack, (wanted & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
        wanted &= ~TME_LEAVE;
        if (!(wanted & TME_HOVER)) return TRUE;
    }
    Tracking& t = q->tracking;
    if (t.hwnd != tme->hwndTrack) t = Tracking{};
    t.hwnd = tme->hwndTrack;
    if (wanted & TME_HOVER) {
        t.hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? 400 : tme->dwHoverTime;
        t.hoverPoint = M().cursor;
        t.hoverStart = GetTickCount64();
    }
    t.flags |= wanted;
    Notify(q);
    return TRUE;
}

BOOL WINAPI _TrackMouseEvent(LPTRACKMOUSEEVENT tme) { return TrackMouseEvent(tme); }

// ---- TranslateMessage ----

static wchar_t CharOfKey(UINT vk) {
    auto& k = M().keys;
    bool shift = (k[VK_SHIFT] & 0x80) != 0, caps = (k[VK_CAPITAL] & 1) != 0, ctrl = (k[VK_CONTROL] & 0x80) != 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return static_cast<wchar_t>(vk - 'A' + 1);
        return static_cast<wchar_t>((shift != caps) ? vk : vk + 32);
    }
    if (vk >= '0' && vk <= '9' && !shift) return static_cast<wchar_t>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<wchar_t>('0' + vk - VK_NUMPAD0);
    switch (vk) {
    case VK_SPACE: return L' ';
    case VK_RETURN: return L'\r';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    default: return 0;
    }
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg) return FALSE;
    UINT m = msg->message;
    if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_KEYUP && m != WM_SYSKEYUP) return FALSE;
    if (m == WM_KEYUP || m == WM_SYSKEYUP) return TRUE;
    Lock lock(M().mutex);
    ThreadQueue* q = CurrentQueue();
    wchar_t ch;
    if (q->lastKeyVk == msg->wParam && q->lastKeyTime == msg->time) ch = q->lastKeyChar;
    else ch = CharOfKey(static_cast<UINT>(msg->wParam));
    if (ch == 0) return TRUE;
    q->posted.push_back(MSG{msg->hwnd, m == WM_KEYDOWN ? static_cast<UINT>(WM_CHAR) : static_cast<UINT>(WM_SYSCHAR),
                             static_cast<WPARAM>(ch), msg->lParam, msg->time, msg->pt});
    return TRUE;
}

// ---- cursors ----

namespace {
struct SystemCursor {
    int id;
    Cursor shape;
};
const SystemCursor kCursors[] = {
    {32512, Cursor::Arrow},   {32513, Cursor::IBeam},    {32514, Cursor::Wait},   {32515, Cursor::Cross},
    {32516, Cursor::UpArrow}, {32642, Cursor::SizeNWSE}, {32643, Cursor::SizeNESW}, {32644, Cursor::SizeWE},
    {32645, Cursor::SizeNS},  {32646, Cursor::SizeAll},  {32648, Cursor::No},     {32649, Cursor::Hand},
    {32650, Cursor::AppStarting}, {32651, Cursor::Help},
};
IconObject* SystemCursorObject(size_t index) {
    static IconObject* objects[sizeof kCursors / sizeof kCursors[0]] = {};
    if (!objects[index]) {
        objects[index] = new IconObject();
        objects[index]->isCursor = true;
        objects[index]->shared = true;
        objects[index]->shape = kCursors[index].shape;
    }
    return objects[index];
}
} // namespace

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    Lock lock(M().mutex);
    if (!instance && IS_INTRESOURCE(name)) {
        int id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
        for (size_t i = 0; i < sizeof kCursors / sizeof kCursors[0]; ++i) {
            if (kCursors[i].id == id) return reinterpret_cast<HCURSOR>(SystemCursorObject(i));
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    Lock lock(M().mutex);
    HCURSOR old = M().cursorHandle;
    M().cursorHandle = cursor;
    IconObject* o = IconFromHandle(cursor);
    Window* w = Find(TopLevelOf(M().lastPointerWindow));
    if (w && w->surface && M().backend && o && o->isCursor && old != cursor) M().backend->SetCursor(w->surface, o->shape);
    return old;
}

HCURSOR WINAPI GetCursor() {
    Lock lock(M().mutex);
    return M().cursorHandle;
}

int WINAPI ShowCursor(BOOL show) {
    Lock lock(M().mutex);
    M().cursorShowCount += show ? 1 : -1;
    return M().cursorShowCount;
}

// ---- caret ----

namespace uiplatform::wm {
void DestroyCaretOf(HWND hwnd) {
    if (M().caret.hwnd == hwnd) M().caret = Caret{};
}
} // namespace uiplatform::wm

static void RepaintCaret() {
    Window* w = Find(M().caret.hwnd);
    if (!w) return;
    Window* top = Find(TopLevelOf(w->hwnd));
    if (top) PresentWindow(top, nullptr);
}

BOOL WINAPI CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    if (w->thread != GetCurrentThreadId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    RepaintCaret();
    M().caret = Caret{hwnd, width > 0 ? width : 1, height > 0 ? height : 16, POINT{0, 0}, 1};
    return TRUE;
}

BOOL WINAPI DestroyCaret() {
    Lock lock(M().mutex);
    if (!M().caret.hwnd) return FALSE;
    bool shown = M().caret.hideCount == 0;
    HWND h = M().caret.hwnd;
    M().caret.hideCount = 1;
    if (shown) {
        Window* top = Find(TopLevelOf(h));
        if (top) PresentWindow(top, nullptr);
    }
    M().caret = Caret{};
    return TRUE;
}

BOOL WINAPI ShowCaret(HWND hwnd) {
    Lock lock(M().mutex);
    Caret& c = M().caret;
    if (!c.hwnd || (hwnd && hwnd != c.hwnd)) return FALSE;
    if (c.hideCount > 0) c.hideCount--;
    if (c.hideCount == 0) RepaintCaret();
    return TRUE;
}

BOOL WINAPI HideCaret(HWND hwnd) {
    Lock lock(M().mutex);
    Caret& c = M().caret;
    if (!c.hwnd || (hwnd && hwnd != c.hwnd)) return FALSE;
    bool wasShown = c.hideCount == 0;
    c.hideCount++;
    if (wasShown) RepaintCaret();
    return TRUE;
}

BOOL WINAPI SetCaretPos(int x, int y) {
    Lock lock(M().mutex);
    Caret& c = M().caret;
    if (!c.hwnd) return FALSE;
    c.pos = POINT{x, y};
    if (c.hideCount == 0) RepaintCaret();
    return TRUE;
}

BOOL WINAPI GetCaretPos(LPPOINT pt) {
    if (!pt) return FALSE;
    Lock lock(M().mutex);
    if (!M().caret.hwnd) return FALSE;
    *pt = M().caret.pos;
    return TRUE;
}

UINT WINAPI GetCaretBlinkTime() { return 530; }
