// The tooltip window class ("tooltips_class32"): a small top-most window that shows a
// tool's text near the pointer while tracking is active.
#include "ui/platform/window/manager.h"

#include <algorithm>

namespace uiplatform::wm {

namespace {

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    HINSTANCE instance = nullptr;
    std::wstring text;
    LPARAM lParam = 0;
};

struct TooltipData {
    std::vector<Tool> tools;
    int maxWidth = -1;
    int delays[4] = {500, 100, 5000, 500}; // automatic, reshow, autopop, initial
    bool tracking = false;
    bool trackPositionSet = false;
    POINT trackPosition{};
    size_t current = 0;
    bool active = true;
};

std::map<HWND, TooltipData>& Data() {
    static auto* data = new std::map<HWND, TooltipData>();
    return *data;
}

TooltipData* DataOf(HWND hwnd) {
    auto it = Data().find(hwnd);
    return it == Data().end() ? nullptr : &it->second;
}

void CopyTool(Tool& tool, const TTTOOLINFOW* info) {
    tool.flags = info->uFlags;
    tool.hwnd = info->hwnd;
    tool.id = info->uId;
    tool.rect = info->rect;
    tool.instance = info->hinst;
    tool.lParam = info->lParam;
    if (info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(info->lpszText))
        tool.text = info->lpszText;
    else
        tool.text.clear();
}

Tool* FindTool(TooltipData* d, const TTTOOLINFOW* info) {
    if (!d || !info) return nullptr;
    for (auto& t : d->tools) {
        if (t.hwnd == info->hwnd && t.id == info->uId) return &t;
    }
    return nullptr;
}

HFONT TipFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

const int kPadX = 4, kPadY = 2;

// Sizes and places the window for the current tool, then shows it.
void ShowTip(HWND hwnd) {
    std::wstring text;
    int maxWidth;
    POINT at;
    {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        if (!d || d->current >= d->tools.size()) return;
        text = d->tools[d->current].text;
        maxWidth = d->maxWidth;
        if (d->trackPositionSet && (d->tools[d->current].flags & TTF_TRACK)) at = d->trackPosition;
        else at = POINT{M().cursor.x, M().cursor.y + 20};
    }
    if (text.empty()) {
        ShowWindow(hwnd, SW_HIDE);
        return;
    }
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, TipFont());
    RECT r{0, 0, maxWidth > 0 ? maxWidth : 10000, 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), -1, &r, flags);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int width = r.right - r.left + 2 * kPadX + 2, height = r.bottom - r.top + 2 * kPadY + 2;
    // Keep the tip on the monitor.
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &mi);
    if (at.x + width > mi.rcWork.right) at.x = mi.rcWork.right - width;
    if (at.y + height > mi.rcWork.bottom) at.y = at.y - height - 24;
    if (at.x < mi.rcWork.left) at.x = mi.rcWork.left;
    if (at.y < mi.rcWork.top) at.y = mi.rcWork.top;
    SetWindowPos(hwnd, HWND_TOPMOST, at.x, at.y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    std::wstring text;
    int maxWidth = -1;
    {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        if (d && d->current < d->tools.size()) text = d->tools[d->current].text;
        if (d) maxWidth = d->maxWidth;
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH border = CreateSolidBrush(RGB(118, 118, 118));
    HBRUSH back = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
    FillRect(dc, &rc, border);
    RECT inner = rc;
    InflateRect(&inner, -1, -1);
    FillRect(dc, &inner, back);
    DeleteObject(border);
    DeleteObject(back);
    HGDIOBJ old = SelectObject(dc, TipFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    InflateRect(&inner, -kPadX, -kPadY);
    DrawTextW(dc, text.c_str(), -1, &inner, DT_NOPREFIX | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

} // namespace

LRESULT CALLBACK TooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        Lock lock(M().mutex);
        Data()[hwnd] = TooltipData{};
        if (Window* w = Find(hwnd)) w->exStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
        return TRUE;
    }
    case WM_NCDESTROY: {
        Lock lock(M().mutex);
        Data().erase(hwnd);
        return 0;
    }
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case TTM_ADDTOOLW: {
        auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
        if (!info || info->cbSize < 44) return FALSE;
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        if (!d) return FALSE;
        Tool tool;
        CopyTool(tool, info);
        d->tools.push_back(tool);
        return TRUE;
    }
    case TTM_DELTOOLW: {
        auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
        bool hide = false;
        {
            Lock lock(M().mutex);
            TooltipData* d = DataOf(hwnd);
            Tool* t = FindTool(d, info);
            if (!t) return 0;
            size_t index = static_cast<size_t>(t - d->tools.data());
            d->tools.erase(d->tools.begin() + static_cast<std::ptrdiff_t>(index));
            if (index == d->current) {
                d->tracking = false;
                hide = true;
            }
            if (d->current > index) d->current--;
        }
        if (hide) ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    case TTM_SETTOOLINFOW:
    case TTM_UPDATETIPTEXTW: {
        auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
        bool refresh;
        {
            Lock lock(M().mutex);
            TooltipData* d = DataOf(hwnd);
            Tool* t = FindTool(d, info);
            if (!t) return 0;
            if (msg == TTM_SETTOOLINFOW) {
                CopyTool(*t, info);
            } else if (info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKW && !IS_INTRESOURCE(info->lpszText)) {
                t->text = info->lpszText;
            }
            refresh = d->tracking && &d->tools[d->current] == t;
        }
        if (refresh) ShowTip(hwnd);
        return 0;
    }
    case TTM_GETTOOLINFOW: {
        auto* info = reinterpret_cast<TTTOOLINFOW*>(lParam);
        Lock lock(M().mutex);
        Tool* t = FindTool(DataOf(hwnd), info);
        if (!t) return FALSE;
        info->uFlags = t->flags;
        info->rect = t->rect;
        info->hinst = t->instance;
        info->lParam = t->lParam;
        // The text pointer is left alone: the caller's buffer size is unknown.
        return TRUE;
    }
    case TTM_GETTOOLCOUNT: {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        return d ? static_cast<LRESULT>(d->tools.size()) : 0;
    }
    case TTM_SETMAXTIPWIDTH: {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        if (!d) return -1;
        int old = d->maxWidth;
        d->maxWidth = static_cast<int>(lParam);
        return old;
    }
    case TTM_GETMAXTIPWIDTH: {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        return d ? d->maxWidth : -1;
    }
    case TTM_GETDELAYTIME: {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        if (!d || wParam > TTDT_INITIAL) return 0;
        return d->delays[wParam];
    }
    case TTM_SETDELAYTIME: {
        Lock lock(M().mutex);
        TooltipData* d = DataOf(hwnd);
        if (!d || wParam > TTDT_INITIAL) return 0;
        int value = static_cast<SHORT>(LOWORD(lParam));
        if (wParam == TTDT_AUTOMATIC) {
            int initial = value < 0 ? static_cast<int>(GetDoubleClickTime()) : value;
            d->delays[TTDT_INITIAL] = initial;
            d->delays[TTDT_RESHOW] = initial / 5;
            d->delays[TTDT_AUTOPOP] = initial * 10;
            d->delays[TTDT_AUTOMATIC] = initial;
        } else {
            static const int defaults[4] = {500, 100, 5000, 500};
            d->delays[wParam] = value < 0 ? defaults[wParam] : value;
        }
        return 0;
    }
    case TTM_TRACKPOSITION: {
        bool refresh;
        {
            Lock lock(M().mutex);
            TooltipData* d = DataOf(hwnd);
            if (!d) return 0;
            d->trackPosition = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            d->trackPositionSet = true;
            refresh = d->tracking;
        }
        if (refresh) ShowTip(hwnd);
        return 0;
    }
    case TTM_TRACKACTIVATE: {
        auto* info = reinterpret_cast<const TTTOOLINFOW*>(lParam);
        bool show;
        {
            Lock lock(M().mutex);
            TooltipData* d = DataOf(hwnd);
            if (!d) return 0;
            if (wParam) {
                Tool* t = FindTool(d, info);
                if (!t || !d->active) return 0;
                d->current = static_cast<size_t>(t - d->tools.data());
                d->tracking = true;
            } else {
                d->tracking = false;
            }
            show = d->tracking;
        }
        if (show) ShowTip(hwnd);
        else ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    case TTM_POP:
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    case TTM_ACTIVATE: {
        {
            Lock lock(M().mutex);
            TooltipData* d = DataOf(hwnd);
            if (!d) return 0;
            d->active = wParam != 0;
            if (!d->active) d->tracking = false;
        }
        if (!wParam) ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace uiplatform::wm

// Window classes of the common controls are always registered here.
void WINAPI InitCommonControls() {}
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX);
}
