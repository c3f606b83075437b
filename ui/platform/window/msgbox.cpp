// MessageBoxW: a modal window of our own on a real display; on the headless display
// the call is recorded and answered with what the test queued.
#include "ui/platform/headless/headless_backend.h"
#include "ui/platform/window/manager.h"

#include <algorithm>

namespace uiplatform::wm {

namespace {

struct BoxButton {
    int id;
    const wchar_t* label;
    RECT rect;
};

struct BoxData {
    std::wstring text;
    std::vector<BoxButton> buttons;
    int defaultIndex = 0;
    int cancelId = 0; // 0: the box cannot be cancelled
    int result = 0;
    int pressed = -1;
    RECT textRect{};
};

std::map<HWND, BoxData*>& Boxes() {
    static auto* boxes = new std::map<HWND, BoxData*>();
    return *boxes;
}

std::deque<int>& Answers() {
    static auto* answers = new std::deque<int>();
    return *answers;
}

std::vector<uiplatform::host::MessageBoxRecord>& Log() {
    static auto* log = new std::vector<uiplatform::host::MessageBoxRecord>();
    return *log;
}

std::vector<BoxButton> ButtonsOf(UINT type, int* cancelId) {
    *cancelId = 0;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: *cancelId = IDCANCEL; return {{IDOK, L"OK", {}}, {IDCANCEL, L"Cancel", {}}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, L"Abort", {}}, {IDRETRY, L"Retry", {}}, {IDIGNORE, L"Ignore", {}}};
    case MB_YESNOCANCEL:
        *cancelId = IDCANCEL;
        return {{IDYES, L"Yes", {}}, {IDNO, L"No", {}}, {IDCANCEL, L"Cancel", {}}};
    case MB_YESNO: return {{IDYES, L"Yes", {}}, {IDNO, L"No", {}}};
    case MB_RETRYCANCEL: *cancelId = IDCANCEL; return {{IDRETRY, L"Retry", {}}, {IDCANCEL, L"Cancel", {}}};
    default: *cancelId = IDOK; return {{IDOK, L"OK", {}}};
    }
}

int DefaultIndex(UINT type, size_t count) {
    size_t index = (type & MB_DEFBUTTON3) ? 2 : (type & MB_DEFBUTTON2) ? 1 : 0;
    return static_cast<int>(std::min(index, count - 1));
}

HFONT BoxFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

BoxData* DataOf(HWND hwnd) {
    Lock lock(M().mutex);
    auto it = Boxes().find(hwnd);
    return it == Boxes().end() ? nullptr : it->second;
}

void PaintBox(HWND hwnd, BoxData* d) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(dc, &rc, white);
    RECT bar{0, d->buttons.front().rect.top - 12, rc.right, rc.bottom};
    FillRect(dc, &bar, face);
    HGDIOBJ oldFont = SelectObject(dc, BoxFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT tr = d->textRect;
    DrawTextW(dc, d->text.c_str(), -1, &tr, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    HBRUSH border = CreateSolidBrush(RGB(173, 173, 173));
    HBRUSH focus = CreateSolidBrush(RGB(0, 120, 215));
    HBRUSH button = CreateSolidBrush(RGB(225, 225, 225));
    HBRUSH down = CreateSolidBrush(RGB(204, 228, 247));
    for (size_t i = 0; i < d->buttons.size(); ++i) {
        RECT b = d->buttons[i].rect;
        FillRect(dc, &b, static_cast<int>(i) == d->defaultIndex ? focus : border);
        InflateRect(&b, -1, -1);
        FillRect(dc, &b, static_cast<int>(i) == d->pressed ? down : button);
        DrawTextW(dc, d->buttons[i].label, -1, &b, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    for (HBRUSH b : {white, face, border, focus, button, down}) DeleteObject(b);
    EndPaint(hwnd, &ps);
}

int ButtonAt(BoxData* d, POINT pt) {
    for (size_t i = 0; i < d->buttons.size(); ++i)
        if (PtInRect(&d->buttons[i].rect, pt)) return static_cast<int>(i);
    return -1;
}

} // namespace

LRESULT CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BoxData* d = DataOf(hwnd);
    if (!d) return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: PaintBox(hwnd, d); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: {
        d->pressed = ButtonAt(d, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (d->pressed >= 0) {
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        int at = ButtonAt(d, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (GetCapture() == hwnd) ReleaseCapture();
        if (at >= 0 && at == d->pressed) d->result = d->buttons[static_cast<size_t>(at)].id;
        d->pressed = -1;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_SPACE) d->result = d->buttons[static_cast<size_t>(d->defaultIndex)].id;
        else if (wParam == VK_ESCAPE && d->cancelId) d->result = d->cancelId;
        else if (wParam == VK_TAB || wParam == VK_LEFT || wParam == VK_RIGHT) {
            int n = static_cast<int>(d->buttons.size());
            bool back = wParam == VK_LEFT || (wParam == VK_TAB && GetKeyState(VK_SHIFT) < 0);
            d->defaultIndex = (d->defaultIndex + (back ? n - 1 : 1)) % n;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_CLOSE:
        if (d->cancelId) d->result = d->cancelId;
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (owner && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    int cancelId;
    auto buttons = ButtonsOf(type, &cancelId);
    int defIndex = DefaultIndex(type, buttons.size());
    std::wstring body = text ? text : L"";
    std::wstring title = caption ? caption : L"Error";
    {
        Lock lock(M().mutex);
        if (ActiveHeadless()) {
            Log().push_back(uiplatform::host::MessageBoxRecord{owner, body, title, type});
            if (Answers().empty()) return buttons[static_cast<size_t>(defIndex)].id;
            int answer = Answers().front();
            Answers().pop_front();
            return answer;
        }
    }
    HWND top = nullptr;
    if (owner) {
        Lock lock(M().mutex);
        top = TopLevelOf(owner);
    }
    // Layout: wrapped text above a row of buttons.
    HDC screen = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(screen, BoxFont());
    RECT tr{0, 0, 420, 0};
    DrawTextW(screen, body.c_str(), -1, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);
    const int bw = 80, bh = 26, gap = 8, margin = 20;
    int buttonsWidth = static_cast<int>(buttons.size()) * (bw + gap) - gap;
    int width = std::max<int>(std::max<int>(tr.right - tr.left, buttonsWidth) + 2 * margin, 260);
    int height = margin + (tr.bottom - tr.top) + margin + 12 + bh + 12;
    auto* d = new BoxData();
    d->text = body;
    d->textRect = RECT{margin, margin, width - margin, margin + (tr.bottom - tr.top)};
    d->cancelId = cancelId;
    d->defaultIndex = defIndex;
    int x = width - margin - buttonsWidth, y = height - 12 - bh;
    for (auto& b : buttons) {
        b.rect = RECT{x, y, x + bw, y + bh};
        x += bw + gap;
    }
    d->buttons = buttons;
    RECT center;
    if (top) GetWindowRect(top, &center);
    else {
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
        center = mi.rcWork;
    }
    int bx = (center.left + center.right - width) / 2, by = (center.top + center.bottom - height) / 2;
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | ((type & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0),
                               L"#32770", title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, bx, by, width, height, top,
                               nullptr, nullptr, nullptr);
    if (!box) {
        delete d;
        return 0;
    }
    {
        Lock lock(M().mutex);
        Boxes()[box] = d;
    }
    bool reenable = top && IsWindowEnabled(top);
    if (reenable) EnableWindow(top, FALSE);
    ShowWindow(box, SW_SHOWNORMAL);
    SetForegroundWindow(box);
    MSG msg;
    bool quit = false;
    while (d->result == 0 && IsWindow(box)) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    int result = d->result ? d->result : (cancelId ? cancelId : buttons[static_cast<size_t>(defIndex)].id);
    if (reenable) EnableWindow(top, TRUE);
    if (IsWindow(box)) DestroyWindow(box);
    if (top && IsWindow(top)) SetActiveWindow(top);
    {
        Lock lock(M().mutex);
        Boxes().erase(box);
    }
    delete d;
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

namespace uiplatform::host {

void QueueMessageBoxAnswer(int answer) {
    Lock lock(M().mutex);
    Answers().push_back(answer);
}

std::vector<MessageBoxRecord> MessageBoxLog() {
    Lock lock(M().mutex);
    return Log();
}

} // namespace uiplatform::host
