// DefWindowProcW: what a window does with the messages it leaves alone.
#include "ui/platform/window/manager.h"

#include <algorithm>

namespace uiplatform::wm {

void ApplyIcon(Window* w);

namespace {

int HitFromSizeCommand(WPARAM cmd) {
    // SC_SIZE + WMSZ_LEFT(1) .. WMSZ_BOTTOMRIGHT(8), in the order of the HT codes.
    static const int map[] = {HTNOWHERE, HTLEFT, HTRIGHT, HTTOP, HTTOPLEFT, HTTOPRIGHT, HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT};
    int k = static_cast<int>(cmd & 0xF);
    return k >= 1 && k <= 8 ? map[k] : HTNOWHERE;
}

WPARAM SizeCommandFromHit(int hit) {
    switch (hit) {
    case HTLEFT: return SC_SIZE + 1;
    case HTRIGHT: return SC_SIZE + 2;
    case HTTOP: return SC_SIZE + 3;
    case HTTOPLEFT: return SC_SIZE + 4;
    case HTTOPRIGHT: return SC_SIZE + 5;
    case HTBOTTOM: return SC_SIZE + 6;
    case HTBOTTOMLEFT: return SC_SIZE + 7;
    case HTBOTTOMRIGHT: return SC_SIZE + 8;
    default: return 0;
    }
}

// Follows the pointer until the button is released: the window moves (HTCAPTION) or
// one of its edges follows (border codes). The desktop does it when it can.
void MoveSizeLoop(HWND hwnd, int hit) {
    HWND top;
    {
        Lock lock(M().mutex);
        top = TopLevelOf(hwnd);
        Window* w = Find(top);
        if (!w || (w->style & WS_MAXIMIZE) || (w->style & WS_MINIMIZE)) return;
        if (!(M().keys[VK_LBUTTON] & 0x80)) return;
        if (w->surface && M().backend && M().backend->BeginDesktopMoveResize(w->surface, M().cursor, hit)) {
            M().keys[VK_LBUTTON] &= static_cast<BYTE>(~0x80);
            return;
        }
    }
    // Measured from where the press happened, not from where the pointer is now.
    LONG pos = GetMessagePos();
    POINT start{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    RECT orig;
    GetWindowRect(top, &orig);
    MINMAXINFO info;
    FillMinMaxInfo(top, info);
    Call(top, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(top, WM_ENTERSIZEMOVE, 0, 0);
    SetCapture(top);
    MSG msg;
    bool quit = false;
    while (IsWindow(top) && GetCapture() == top) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        if (msg.hwnd == top && msg.message == WM_MOUSEMOVE) {
            LONG dx = msg.pt.x - start.x, dy = msg.pt.y - start.y;
            RECT r = orig;
            if (hit == HTCAPTION) {
                OffsetRect(&r, dx, dy);
            } else {
                if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) r.left += dx;
                if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) r.right += dx;
                if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) r.top += dy;
                if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) r.bottom += dy;
                LONG w = std::clamp(r.right - r.left, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
                LONG h = std::clamp(r.bottom - r.top, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
                if (r.left != orig.left) r.left = r.right - w;
                else r.right = r.left + w;
                if (r.top != orig.top) r.top = r.bottom - h;
                else r.bottom = r.top + h;
            }
            SendMessageW(top, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
            SetWindowPos(top, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
            continue;
        }
        if (msg.hwnd == top && msg.message == WM_LBUTTONUP) break;
        if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE) {
            SetWindowPos(top, nullptr, orig.left, orig.top, orig.right - orig.left, orig.bottom - orig.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST && msg.hwnd == top) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (GetCapture() == top) ReleaseCapture();
    if (IsWindow(top)) SendMessageW(top, WM_EXITSIZEMOVE, 0, 0);
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
}

HCURSOR CursorForHit(int hit) {
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: return LoadCursorW(nullptr, IDC_SIZEWE);
    case HTTOP:
    case HTBOTTOM: return LoadCursorW(nullptr, IDC_SIZENS);
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return LoadCursorW(nullptr, IDC_SIZENWSE);
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return LoadCursorW(nullptr, IDC_SIZENESW);
    default: return LoadCursorW(nullptr, IDC_ARROW);
    }
}

LRESULT EraseBackground(HWND hwnd, HDC dc) {
    HBRUSH brush;
    {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w || !w->cls->wc.hbrBackground) return 0;
        brush = w->cls->wc.hbrBackground;
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_MENUBAR + 1) {
        // A system colour index plus one stands for that colour's brush.
        HBRUSH solid = CreateSolidBrush(GetSysColor(static_cast<int>(value - 1)));
        FillRect(dc, &rc, solid);
        DeleteObject(solid);
    } else {
        FillRect(dc, &rc, brush);
    }
    return 1;
}

} // namespace
} // namespace uiplatform::wm

using namespace uiplatform::wm;

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        Lock lock(M().mutex);
        if (Window* w = Find(hwnd); w && cs && cs->lpszName) w->text = cs->lpszName;
        return TRUE;
    }
    case WM_NCCALCSIZE: return 0;
    case WM_NCHITTEST: {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return HTNOWHERE;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT r = ScreenRect(w);
        if (!PtInRect(&r, pt)) return HTNOWHERE;
        POINT o = ClientOrigin(w);
        RECT c{o.x, o.y, o.x + w->client.right - w->client.left, o.y + w->client.bottom - w->client.top};
        return PtInRect(&c, pt) ? HTCLIENT : HTBORDER;
    }
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION) {
            SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, lParam);
        } else if (WPARAM cmd = SizeCommandFromHit(static_cast<int>(wParam))) {
            SendMessageW(hwnd, WM_SYSCOMMAND, cmd, lParam);
        }
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX))
            SendMessageW(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageW(hwnd, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
        case SC_MOVE: MoveSizeLoop(hwnd, HTCAPTION); return 0;
        case SC_SIZE: MoveSizeLoop(hwnd, HitFromSizeCommand(wParam)); return 0;
        default: return 0;
        }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETCURSOR: {
        HWND parent = nullptr;
        HCURSOR classCursor = nullptr;
        {
            Lock lock(M().mutex);
            Window* w = Find(hwnd);
            if (!w) return FALSE;
            if (w->style & WS_CHILD) parent = w->parent;
            classCursor = w->cls->wc.hCursor;
        }
        if (parent && SendMessageW(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
        int hit = static_cast<SHORT>(LOWORD(lParam));
        if (hit == HTCLIENT) {
            if (!classCursor) return FALSE;
            SetCursor(classCursor);
            return TRUE;
        }
        SetCursor(CursorForHit(hit));
        return TRUE;
    }
    case WM_MOUSEACTIVATE: {
        HWND parent = nullptr;
        {
            Lock lock(M().mutex);
            Window* w = Find(hwnd);
            if (w && (w->style & WS_CHILD)) parent = w->parent;
        }
        if (parent) {
            LRESULT r = SendMessageW(parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (r) return r;
        }
        return MA_ACTIVATE;
    }
    case WM_NCACTIVATE: return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) SetFocus(hwnd);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
        DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        if (wp && !(wp->flags & SWP_NOSIZE) && ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) &&
            !(style & WS_MINIMIZE)) {
            MINMAXINFO info;
            FillMinMaxInfo(hwnd, info);
            SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            if (!(style & WS_MAXIMIZE)) {
                wp->cx = std::clamp(wp->cx, static_cast<int>(std::min(info.ptMinTrackSize.x, info.ptMaxTrackSize.x)),
                                    static_cast<int>(info.ptMaxTrackSize.x));
                wp->cy = std::clamp(wp->cy, static_cast<int>(std::min(info.ptMinTrackSize.y, info.ptMaxTrackSize.y)),
                                    static_cast<int>(info.ptMaxTrackSize.y));
            }
        }
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!wp) return 0;
        RECT client;
        POINT origin;
        DWORD style;
        {
            Lock lock(M().mutex);
            Window* w = Find(hwnd);
            if (!w) return 0;
            client = w->client;
            origin = POINT{w->rect.left + w->client.left, w->rect.top + w->client.top};
            style = w->style;
        }
        if (!(wp->flags & SWP_NOCLIENTMOVE)) SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        if (!(wp->flags & SWP_NOCLIENTSIZE)) {
            WPARAM type = (style & WS_MINIMIZE) ? SIZE_MINIMIZED : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
            LPARAM size = type == SIZE_MINIMIZED ? 0 : MAKELPARAM(client.right - client.left, client.bottom - client.top);
            SendMessageW(hwnd, WM_SIZE, type, size);
        }
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PRINT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if ((lParam & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd)) return 0;
        if (lParam & PRF_ERASEBKGND) SendMessageW(hwnd, WM_ERASEBKGND, wParam, 0);
        if (lParam & PRF_CLIENT) SendMessageW(hwnd, WM_PRINTCLIENT, wParam, lParam);
        if (lParam & PRF_CHILDREN) {
            // Children print themselves at their place in this window's client area.
            std::vector<std::pair<HWND, POINT>> children;
            {
                Lock lock(M().mutex);
                Window* w = Find(hwnd);
                if (!w) return 0;
                for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
                    Window* c = Find(*it);
                    if (c && (c->style & WS_VISIBLE))
                        children.push_back({*it, POINT{c->rect.left + c->client.left, c->rect.top + c->client.top}});
                }
            }
            for (auto& [child, at] : children) {
                POINT old;
                int saved = SaveDC(dc);
                GetViewportOrgEx(dc, &old);
                SetViewportOrgEx(dc, old.x + at.x, old.y + at.y, nullptr);
                SendMessageW(child, WM_PRINT, wParam, lParam & ~PRF_CHECKVISIBLE);
                RestoreDC(dc, saved);
            }
        }
        return 0;
    }
    case WM_SETTEXT: {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return FALSE;
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        w->text = text ? text : L"";
        if (w->surface && M().backend) M().backend->SetTitle(w->surface, w->text);
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        int max = static_cast<int>(wParam);
        if (!buffer || max <= 0) return 0;
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return 0;
        lstrcpynW(buffer, w->text.c_str(), max);
        return lstrlenW(buffer);
    }
    case WM_GETTEXTLENGTH: {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_SETICON: {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return 0;
        HICON old;
        if (wParam == ICON_BIG) {
            old = w->iconBig;
            w->iconBig = reinterpret_cast<HICON>(lParam);
        } else {
            old = w->iconSmall;
            w->iconSmall = reinterpret_cast<HICON>(lParam);
        }
        ApplyIcon(w);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: {
        Lock lock(M().mutex);
        Window* w = Find(hwnd);
        if (!w) return 0;
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    }
    case WM_RBUTTONUP: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &pt);
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(pt.x, pt.y));
        return 0;
    }
    case WM_NCRBUTTONUP:
        SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
        return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL: {
        HWND parent = nullptr;
        {
            Lock lock(M().mutex);
            Window* w = Find(hwnd);
            if (w && (w->style & WS_CHILD)) parent = w->parent;
        }
        if (parent) return SendMessageW(parent, msg, wParam, lParam);
        return 0;
    }
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & (1 << 29))) {
            HWND top;
            {
                Lock lock(M().mutex);
                top = TopLevelOf(hwnd);
            }
            SendMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wParam == VK_APPS || (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0))
            SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(0xFFFF, 0xFFFF));
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    case WM_QUERYENDSESSION: return TRUE;
    default: return 0;
    }
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) return 0;
    return proc(hwnd, msg, wParam, lParam);
}
