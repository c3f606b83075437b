// sample_window: a borderless window painted through the platform layer. Drag it by
// its body; the cross in the corner or Escape closes it.
//   sample_window [--exit-after <milliseconds>]
#include "ui/platform/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kWidth = 420, kHeight = 260, kCloseSize = 32;

RECT CloseBox() { return RECT{kWidth - kCloseSize, 0, kWidth, kCloseSize}; }

void Fill(HDC dc, const RECT& r, COLORREF color) {
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    // A vertical gradient in bands, a title band and a close box.
    for (int y = 0; y < kHeight; y += 4) {
        int t = y * 255 / kHeight;
        RECT band{0, y, kWidth, y + 4};
        Fill(dc, band, RGB(30 + t / 6, 80 + t / 4, 160 + t / 3));
    }
    RECT title{0, 0, kWidth, 44};
    Fill(dc, title, RGB(22, 52, 110));
    RECT close = CloseBox();
    Fill(dc, close, RGB(200, 50, 50));
    HFONT font = CreateFontW(-18, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Sans");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT t = title;
    t.left += 14;
    DrawTextW(dc, L"Platform layer sample", -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    DrawTextW(dc, L"\u00d7", -1, &close, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    HFONT body = CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Sans");
    SelectObject(dc, body);
    RECT text{20, 70, kWidth - 20, kHeight - 20};
    DrawTextW(dc, L"Drag this window by its body.\nClick the cross or press Escape to close it.", -1, &text,
              DT_WORDBREAK | DT_CENTER);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteObject(body);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_NCHITTEST: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &pt);
        RECT close = CloseBox();
        // Everything but the close box drags the window.
        return PtInRect(&close, pt) ? HTCLIENT : HTCAPTION;
    }
    case WM_LBUTTONUP: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT close = CloseBox();
        if (PtInRect(&close, pt)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_TIMER: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv) {
    UINT exitAfter = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--exit-after") == 0 && i + 1 < argc) {
            exitAfter = static_cast<UINT>(strtoul(argv[++i], nullptr, 10));
        } else {
            fprintf(stderr, "usage: %s [--exit-after <milliseconds>]\n", argv[0]);
            return 2;
        }
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"SampleWindow";
    if (!RegisterClassExW(&wc)) return 1;
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    int x = (mi.rcWork.left + mi.rcWork.right - kWidth) / 2, y = (mi.rcWork.top + mi.rcWork.bottom - kHeight) / 2;
    HWND hwnd = CreateWindowExW(0, L"SampleWindow", L"Sample window", WS_POPUP, x, y, kWidth, kHeight, nullptr,
                                nullptr, nullptr, nullptr);
    if (!hwnd) return 1;
    HRGN round = CreateRoundRectRgn(0, 0, kWidth + 1, kHeight + 1, 12, 12);
    SetWindowRgn(hwnd, round, FALSE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    if (exitAfter) SetTimer(hwnd, 1, exitAfter, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
