// Mouse and keyboard input on the headless display.
#include "window_test_util.h"

using namespace wintest;
namespace host = uiplatform::host;

namespace {
std::vector<Logged> Only(HWND hwnd, std::initializer_list<UINT> msgs) {
    std::vector<Logged> out;
    for (auto& l : Log())
        if (l.hwnd == hwnd && std::find(msgs.begin(), msgs.end(), l.msg) != msgs.end()) out.push_back(l);
    return out;
}
} // namespace

TEST_F(WindowTest, MouseMessagesCarryClientCoordinatesAndKeyState) {
    HWND hwnd = Make(100, 100, 200, 100);
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    Log().clear();
    host::InjectMouseMove(150, 130);
    host::InjectMouseButton(1, true);
    host::InjectMouseButton(1, false);
    host::InjectKey(VK_SHIFT, true);
    host::InjectMouseButton(3, true);
    host::InjectMouseButton(3, false);
    host::InjectKey(VK_SHIFT, false);
    host::RunUntilIdle();
    auto got = Only(hwnd, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU});
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].msg, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(got[0].lParam, MAKELPARAM(50, 30));
    EXPECT_EQ(got[1].msg, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(got[2].msg, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(got[2].wParam, 0u);
    EXPECT_EQ(got[3].msg, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(got[3].wParam, static_cast<WPARAM>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(got[4].msg, static_cast<UINT>(WM_RBUTTONUP));
    // DefWindowProcW turns the right button release into a context menu request (screen point).
    EXPECT_EQ(got[5].msg, static_cast<UINT>(WM_CONTEXTMENU));
    EXPECT_EQ(got[5].lParam, MAKELPARAM(150, 130));
    // Hit test and cursor come before the mouse message.
    auto first = MessagesOf(hwnd, {WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE});
    ASSERT_GE(first.size(), 3u);
    EXPECT_EQ(first[0], static_cast<UINT>(WM_NCHITTEST));
    EXPECT_EQ(first[1], static_cast<UINT>(WM_SETCURSOR));
    EXPECT_EQ(first[2], static_cast<UINT>(WM_MOUSEMOVE));
    POINT pt;
    GetCursorPos(&pt);
    EXPECT_EQ(pt.x, 150);
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, DoubleClicksOnlyForDblClkClasses) {
    HWND dbl = Make(0, 0, 100, 100);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"PlainWindow";
    RegisterClassExW(&wc);
    HWND plain = CreateWindowExW(0, L"PlainWindow", L"", WS_POPUP, 200, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(dbl, SW_SHOW);
    ShowWindow(plain, SW_SHOW);
    host::RunUntilIdle();
    Log().clear();
    for (int i = 0; i < 2; ++i) host::InjectClick(50, 50);
    for (int i = 0; i < 2; ++i) host::InjectClick(250, 50);
    host::RunUntilIdle();
    std::vector<UINT> a = MessagesOf(dbl, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
    std::vector<UINT> b = MessagesOf(plain, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK});
    EXPECT_EQ(a, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
    EXPECT_EQ(b, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    // A click after the double-click time is a plain click again.
    Log().clear();
    Sleep(GetDoubleClickTime() + 50);
    host::InjectClick(50, 50);
    host::RunUntilIdle();
    EXPECT_EQ(MessagesOf(dbl, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}), (std::vector<UINT>{WM_LBUTTONDOWN}));
    DestroyWindow(dbl);
    DestroyWindow(plain);
}

TEST_F(WindowTest, CaptureKeepsMouseMessagesAfterThePointerLeaves) {
    HWND hwnd = Make(0, 0, 100, 100);
    HWND other = Make(300, 0, 100, 100);
    ShowWindow(other, SW_SHOW);
    ShowWindow(hwnd, SW_SHOW);
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (h == hwnd && msg == WM_LBUTTONDOWN) SetCapture(hwnd);
        if (h == hwnd && msg == WM_LBUTTONUP) ReleaseCapture();
        return false;
    };
    host::RunUntilIdle();
    Log().clear();
    host::InjectMouseMove(50, 50);
    host::InjectMouseButton(1, true);
    host::InjectMouseMove(350, 50); // over the other window
    host::RunUntilIdle();            // moves in a row would merge into one
    host::InjectMouseMove(600, 500); // over nothing
    host::InjectMouseButton(1, false);
    host::InjectMouseMove(350, 60); // no capture any more
    host::RunUntilIdle();
    auto moves = Only(hwnd, {WM_MOUSEMOVE, WM_LBUTTONUP, WM_CAPTURECHANGED});
    ASSERT_EQ(moves.size(), 5u);
    EXPECT_EQ(moves[1].msg, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(moves[1].lParam, MAKELPARAM(350, 50));
    EXPECT_EQ(moves[2].lParam, MAKELPARAM(600, 500));
    EXPECT_EQ(moves[3].msg, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(moves[4].msg, static_cast<UINT>(WM_CAPTURECHANGED));
    EXPECT_EQ(Count(other, WM_MOUSEMOVE), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(hwnd);
    DestroyWindow(other);
}

TEST_F(WindowTest, HoverAndLeaveTracking) {
    HWND hwnd = Make(0, 0, 100, 100);
    ShowWindow(hwnd, SW_SHOW);
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg == WM_MOUSEMOVE) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, h, 60};
            _TrackMouseEvent(&tme);
        }
        return false;
    };
    host::RunUntilIdle();
    Log().clear();
    host::InjectMouseMove(40, 40);
    host::RunUntilIdle();
    EXPECT_EQ(Count(hwnd, WM_MOUSEHOVER), 0u);
    host::RunFor(150);
    auto hover = Only(hwnd, {WM_MOUSEHOVER});
    ASSERT_EQ(hover.size(), 1u);
    EXPECT_EQ(hover[0].lParam, MAKELPARAM(40, 40));
    EXPECT_EQ(Count(hwnd, WM_MOUSELEAVE), 0u);
    host::InjectMouseMove(500, 500);
    host::RunUntilIdle();
    EXPECT_EQ(Count(hwnd, WM_MOUSELEAVE), 1u);
    // Tracking asked for while the pointer is elsewhere reports the leave at once.
    Log().clear();
    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
    EXPECT_TRUE(_TrackMouseEvent(&tme));
    host::RunUntilIdle();
    EXPECT_EQ(Count(hwnd, WM_MOUSELEAVE), 1u);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, KeyboardGoesToTheFocusAndTranslatesToChar) {
    HWND hwnd = Make(0, 0, 100, 100);
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    ASSERT_EQ(GetFocus(), hwnd);
    Log().clear();
    host::InjectKey('A', true, L'a');
    host::InjectKey('A', false);
    host::InjectKey(VK_MENU, true);
    host::InjectKey('X', true, L'x');
    host::InjectKey('X', false);
    host::InjectKey(VK_MENU, false);
    host::RunUntilIdle();
    auto keys = MessagesOf(hwnd, {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR});
    std::vector<UINT> expected{WM_KEYDOWN,    WM_CHAR,       WM_KEYUP,   WM_SYSKEYDOWN,
                               WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP, WM_SYSKEYUP};
    EXPECT_EQ(keys, expected);
    auto chars = Only(hwnd, {WM_CHAR});
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wParam, static_cast<WPARAM>(L'a'));
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, DisabledOwnerGetsNoInputWhileItsDialogRuns) {
    HWND owner = Make(0, 0, 400, 300);
    ShowWindow(owner, SW_SHOW);
    host::RunUntilIdle();
    HWND dialog = Make(100, 100, 100, 100, WS_POPUP, 0, owner);
    // A modal loop as dialogs run it: disable the owner, pump until the dialog closes.
    int ownerClicksDuringModal = -1;
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (h == dialog && msg == WM_LBUTTONUP) PostMessageW(dialog, WM_CLOSE, 0, 0);
        return false;
    };
    EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOWNORMAL);
    EXPECT_EQ(GetActiveWindow(), dialog);
    Log().clear();
    host::InjectClick(20, 20);   // on the disabled owner
    host::InjectKey('K', true, L'k');
    host::InjectKey('K', false);
    host::InjectClick(150, 150); // on the dialog: closes it
    MSG msg;
    while (IsWindow(dialog) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ownerClicksDuringModal = static_cast<int>(Count(owner, WM_LBUTTONDOWN) + Count(owner, WM_KEYDOWN) +
                                              Count(owner, WM_MOUSEMOVE) + Count(owner, WM_CHAR));
    EXPECT_EQ(ownerClicksDuringModal, 0);
    EXPECT_EQ(Count(dialog, WM_KEYDOWN), 1u);
    EXPECT_FALSE(IsWindow(dialog));
    EnableWindow(owner, TRUE);
    Log().clear();
    host::InjectClick(20, 20);
    host::RunUntilIdle();
    EXPECT_EQ(Count(owner, WM_LBUTTONDOWN), 1u);
    EXPECT_EQ(GetActiveWindow(), owner);
    DestroyWindow(owner);
}

TEST_F(WindowTest, CaptionPressMovesTheWindowWithThePointer) {
    HWND hwnd = Make(100, 100, 200, 100);
    Handler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_NCHITTEST) {
            *r = HTCAPTION;
            return true;
        }
        return false;
    };
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    Log().clear();
    host::InjectMouseMove(150, 120);
    host::InjectMouseButton(1, true);
    host::InjectMouseMove(170, 150);
    host::InjectMouseMove(250, 220);
    host::InjectMouseButton(1, false);
    host::RunUntilIdle();
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 200);
    auto seq = MessagesOf(hwnd, {WM_NCLBUTTONDOWN, WM_SYSCOMMAND, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE});
    EXPECT_EQ(seq, (std::vector<UINT>{WM_NCLBUTTONDOWN, WM_SYSCOMMAND, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
    EXPECT_EQ(Count(hwnd, WM_LBUTTONDOWN), 0u);
    DestroyWindow(hwnd);
}
