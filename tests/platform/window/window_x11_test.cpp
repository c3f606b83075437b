// On a real X server (Xvfb under the test script): a window is mapped, painted, clicked
// with xdotool, and the click and the pixels are read back.
#include "ui/platform/host.h"
#include "ui/platform/win32.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <atomic>
#include <thread>
#include <string>
#include <vector>

namespace {

std::vector<MSG> g_clicks;

LRESULT CALLBACK PaintRedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH red = CreateSolidBrush(RGB(220, 20, 30));
        FillRect(dc, &rc, red);
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: g_clicks.push_back(MSG{hwnd, msg, wParam, lParam, 0, {}}); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

uint32_t ScreenPixelViaImport(int x, int y, const std::string& dir) {
    std::string png = dir + "/screen.png";
    std::string cmd = "import -window root " + png + " 2>/dev/null";
    if (system(cmd.c_str()) != 0) return 0;
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    uint32_t v = 0;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS && x < cairo_image_surface_get_width(s) &&
        y < cairo_image_surface_get_height(s)) {
        cairo_surface_flush(s);
        v = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
    }
    cairo_surface_destroy(s);
    return v & 0xffffff;
}

} // namespace

TEST(X11Window, MappedPaintedAndClickedWithXdotool) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (DISPLAY)";
    ASSERT_TRUE(uiplatform::host::SelectBackend(uiplatform::host::Backend::X11));
    ASSERT_STREQ(uiplatform::host::BackendName(), "x11");
    char dir[] = "/tmp/uiplatform-x11-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PaintRedProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"X11TestWindow";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND hwnd = CreateWindowExW(0, L"X11TestWindow", L"x11 test", WS_POPUP, 100, 120, 200, 150, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    uiplatform::host::RunFor(500);
    EXPECT_EQ(ScreenPixelViaImport(150, 170, dir), 0xdc141eu);

    ASSERT_EQ(system("xdotool mousemove 150 180 click 1"), 0);
    for (int i = 0; i < 100 && g_clicks.size() < 2; ++i) uiplatform::host::RunFor(30);
    ASSERT_EQ(g_clicks.size(), 2u);
    EXPECT_EQ(g_clicks[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(g_clicks[0].lParam, MAKELPARAM(50, 60));
    EXPECT_EQ(g_clicks[1].message, static_cast<UINT>(WM_LBUTTONUP));
    POINT pt;
    GetCursorPos(&pt);
    EXPECT_EQ(pt.x, 150);
    EXPECT_EQ(pt.y, 180);
    DestroyWindow(hwnd);
    std::string cleanup = std::string("rm -rf ") + dir;
    EXPECT_EQ(system(cleanup.c_str()), 0);
}

// Kept away from the other test's window: both may run at once on the same display.
TEST(X11Window, MessageBoxIsARealModalWindowAnsweredFromTheKeyboard) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (DISPLAY)";
    ASSERT_TRUE(uiplatform::host::SelectBackend(uiplatform::host::Backend::X11));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PaintRedProc;
    wc.lpszClassName = L"X11OwnerWindow";
    RegisterClassExW(&wc);
    HWND owner = CreateWindowExW(0, L"X11OwnerWindow", L"owner", WS_POPUP, 800, 450, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    ShowWindow(owner, SW_SHOW);
    uiplatform::host::RunFor(200);
    // Escape answers Cancel; it arrives while the box's own loop runs. The key goes to the
    // box by its title, so another program's window with the focus does not matter.
    std::atomic<bool> answered{false};
    std::thread keys([&] {
        Sleep(800);
        while (!answered) {
            if (system("xdotool search --name '^Question$' key --window %1 Escape >/dev/null 2>&1") != 0) Sleep(100);
            Sleep(400);
        }
    });
    bool ownerDisabledDuring = false;
    SetTimer(owner, 5, 300, [](HWND h, UINT, UINT_PTR, DWORD) {
        KillTimer(h, 5);
        if (!IsWindowEnabled(h)) SetPropW(h, L"disabled", reinterpret_cast<HANDLE>(1));
    });
    int answer = MessageBoxW(owner, L"Leave the installation?", L"Question", MB_OKCANCEL | MB_ICONQUESTION);
    answered = true;
    keys.join();
    ownerDisabledDuring = GetPropW(owner, L"disabled") != nullptr;
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_TRUE(ownerDisabledDuring);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}
