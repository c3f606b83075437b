// Creation, showing and destruction: which messages arrive, in which order.
#include "window_test_util.h"

using namespace wintest;

TEST_F(WindowTest, CreationSendsMessagesInWin32Order) {
    int marker = 7;
    std::vector<CREATESTRUCTW> seen;
    Handler() = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
        if (msg == WM_NCCREATE || msg == WM_CREATE) seen.push_back(*reinterpret_cast<CREATESTRUCTW*>(lParam));
        return false;
    };
    HWND hwnd = Make(10, 20, 300, 200, WS_OVERLAPPED, 0, nullptr, &marker);
    ASSERT_NE(hwnd, nullptr);
    std::vector<UINT> expected{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(MessagesOf(hwnd), expected);
    // lpCreateParams reaches both creation messages.
    ASSERT_EQ(seen.size(), 2u);
    for (auto& cs : seen) {
        EXPECT_EQ(cs.lpCreateParams, &marker);
        EXPECT_EQ(cs.cx, 300);
        EXPECT_EQ(cs.cy, 200);
    }
    for (auto& l : Log()) {
        if (l.msg == WM_SIZE) {
            EXPECT_EQ(l.lParam, MAKELPARAM(300, 200));
        }
        if (l.msg == WM_MOVE) {
            EXPECT_EQ(l.lParam, MAKELPARAM(10, 20));
        }
    }
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, PopupWithoutThickFrameGetsNoMinMaxQuery) {
    HWND hwnd = Make(0, 0, 50, 50, WS_POPUP);
    std::vector<UINT> expected{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(MessagesOf(hwnd), expected);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, RefusedCreationFailsAndCleansUp) {
    Handler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_CREATE) {
            *r = -1;
            return true;
        }
        return false;
    };
    HWND hwnd = Make(0, 0, 50, 50);
    EXPECT_EQ(hwnd, nullptr);
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().back().msg, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(Count(Log().back().hwnd, WM_DESTROY), 1u);
    EXPECT_FALSE(IsWindow(Log().back().hwnd));
}

TEST_F(WindowTest, ShowActivatesAndFocusesInOrder) {
    HWND hwnd = Make(0, 0, 100, 100);
    Log().clear();
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
    std::vector<UINT> expected{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE,
                               WM_ACTIVATE,   WM_SETFOCUS,          WM_WINDOWPOSCHANGED};
    EXPECT_EQ(MessagesOf(hwnd), expected);
    EXPECT_EQ(GetActiveWindow(), hwnd);
    EXPECT_EQ(GetFocus(), hwnd);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    Log().clear();
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    auto hidden = MessagesOf(hwnd, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE,
                                    WM_ACTIVATE, WM_KILLFOCUS});
    ASSERT_GE(hidden.size(), 3u);
    EXPECT_EQ(hidden[0], static_cast<UINT>(WM_SHOWWINDOW));
    EXPECT_EQ(hidden[1], static_cast<UINT>(WM_WINDOWPOSCHANGING));
    EXPECT_EQ(hidden[2], static_cast<UINT>(WM_WINDOWPOSCHANGED));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, ShowNoActivateLeavesActivationAlone) {
    HWND main = Make(0, 0, 100, 100);
    ShowWindow(main, SW_SHOW);
    HWND other = Make(200, 0, 100, 100, WS_POPUP, 0, main);
    Log().clear();
    ShowWindow(other, SW_SHOWNOACTIVATE);
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(Count(other, WM_ACTIVATE), 0u);
    EXPECT_TRUE(IsWindowVisible(other));
    DestroyWindow(main);
}

TEST_F(WindowTest, DestroyDestroysOwnedWindowsFirstAndEndsWithNcDestroy) {
    HWND owner = Make(0, 0, 100, 100);
    HWND owned = Make(10, 10, 50, 50, WS_POPUP, 0, owner);
    HWND child = Make(0, 0, 20, 20, WS_CHILD | WS_VISIBLE, 0, owner);
    ASSERT_EQ(GetWindow(owned, GW_OWNER), owner);
    ASSERT_EQ(GetParent(child), owner);
    Log().clear();
    EXPECT_TRUE(DestroyWindow(owner));
    std::vector<std::pair<HWND, UINT>> seq;
    for (auto& l : Log())
        if (l.msg == WM_DESTROY || l.msg == WM_NCDESTROY) seq.push_back({l.hwnd, l.msg});
    std::vector<std::pair<HWND, UINT>> expected{{owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {owner, WM_DESTROY},
                                                {child, WM_DESTROY}, {child, WM_NCDESTROY}, {owner, WM_NCDESTROY}};
    EXPECT_EQ(seq, expected);
    EXPECT_EQ(Log().back().msg, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(Log().back().hwnd, owner);
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(WindowTest, CloseDestroysByDefault) {
    HWND hwnd = Make(0, 0, 100, 100);
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    auto seq = MessagesOf(nullptr, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY});
    std::vector<UINT> expected{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(seq, expected);
}

TEST_F(WindowTest, ClassRegistrationAndWindowData) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"recordingwindow";
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    WNDCLASSEXW info{};
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"RECORDINGWINDOW", &info));
    EXPECT_EQ(info.lpfnWndProc, &RecordingProc);
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"tooltips_class32", &info));
    EXPECT_FALSE(GetClassInfoExW(nullptr, L"NoSuchClass", &info));
    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

    HWND hwnd = Make(0, 0, 100, 100);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 1234);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 1234);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    SetWindowLongW(hwnd, GWL_STYLE, (style & ~WS_CAPTION) | WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
    EXPECT_EQ(GetWindowLongW(hwnd, 4000), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    int value = 5;
    EXPECT_TRUE(SetPropW(hwnd, L"WndX", &value));
    EXPECT_EQ(GetPropW(hwnd, L"WndX"), &value);
    EXPECT_EQ(RemovePropW(hwnd, L"WndX"), &value);
    EXPECT_EQ(GetPropW(hwnd, L"WndX"), nullptr);
    SetWindowTextW(hwnd, L"Title");
    wchar_t text[3];
    EXPECT_EQ(GetWindowTextW(hwnd, text, 3), 2);
    EXPECT_STREQ(text, L"Ti");
    DestroyWindow(hwnd);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, GeometryAndCoordinateMapping) {
    HWND hwnd = Make(100, 50, 300, 200);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.bottom, 250);
    GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 300);
    POINT p{110, 60};
    ScreenToClient(hwnd, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 10);
    ClientToScreen(hwnd, &p);
    EXPECT_EQ(p.x, 110);
    Log().clear();
    EXPECT_TRUE(MoveWindow(hwnd, 10, 20, 400, 300, TRUE));
    auto seq = MessagesOf(hwnd, {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE});
    std::vector<UINT> expected{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE};
    EXPECT_EQ(seq, expected);
    HWND child = Make(5, 6, 20, 20, WS_CHILD | WS_VISIBLE, 0, hwnd);
    POINT c{0, 0};
    MapWindowPoints(child, hwnd, &c, 1);
    EXPECT_EQ(c.x, 5);
    EXPECT_EQ(c.y, 6);
    EXPECT_EQ(GetWindow(hwnd, GW_CHILD), child);
    Log().clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    auto none = MessagesOf(hwnd, {WM_MOVE, WM_SIZE});
    EXPECT_TRUE(none.empty());
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, MaximizeMinimizeRestore) {
    HWND hwnd = Make(100, 100, 300, 200, WS_OVERLAPPED);
    ShowWindow(hwnd, SW_SHOW);
    Log().clear();
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(hwnd));
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(EqualRect(&r, &mi.rcWork));
    bool sawMax = false;
    for (auto& l : Log())
        if (l.msg == WM_SIZE && l.wParam == SIZE_MAXIMIZED) sawMax = true;
    EXPECT_TRUE(sawMax);
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FALSE(IsZoomed(hwnd));
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(IsZoomed(hwnd));
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(hwnd));
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right, 400);
    DestroyWindow(hwnd);
}

namespace {
WNDPROC g_previous;
std::vector<UINT> g_subclassSeen;
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_subclassSeen.push_back(msg);
    return CallWindowProcW(g_previous, hwnd, msg, wParam, lParam) + (msg == WM_APP ? 10 : 0);
}
} // namespace

TEST_F(WindowTest, SubclassingChainsThroughCallWindowProc) {
    HWND hwnd = Make(0, 0, 10, 10);
    Handler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg != WM_APP) return false;
        *r = 5;
        return true;
    };
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    EXPECT_EQ(g_previous, &RecordingProc);
    Log().clear();
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 15);
    EXPECT_EQ(Count(hwnd, WM_APP), 1u);
    // Removing the subclass restores the original procedure.
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
    g_subclassSeen.clear();
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 5);
    EXPECT_TRUE(g_subclassSeen.empty());
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, FocusMovesWithKillFocusBeforeSetFocus) {
    HWND top = Make(0, 0, 100, 100);
    HWND a = Make(0, 0, 10, 10, WS_CHILD | WS_VISIBLE, 0, top);
    HWND b = Make(20, 0, 10, 10, WS_CHILD | WS_VISIBLE, 0, top);
    ShowWindow(top, SW_SHOW);
    SetFocus(a);
    Log().clear();
    EXPECT_EQ(SetFocus(b), a);
    std::vector<Logged> seq;
    for (auto& l : Log())
        if (l.msg == WM_KILLFOCUS || l.msg == WM_SETFOCUS) seq.push_back(l);
    ASSERT_EQ(seq.size(), 2u);
    EXPECT_EQ(seq[0].hwnd, a);
    EXPECT_EQ(seq[0].msg, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(seq[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(seq[1].hwnd, b);
    EXPECT_EQ(seq[1].wParam, reinterpret_cast<WPARAM>(a));
    EXPECT_EQ(GetFocus(), b);
    // A disabled window loses the focus and cannot take it.
    EnableWindow(b, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(SetFocus(b), nullptr);
    DestroyWindow(top);
}
