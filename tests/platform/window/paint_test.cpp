// Painting, window regions and layered windows, read back from the headless screen.
#include "window_test_util.h"

#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <string>

using namespace wintest;
namespace host = uiplatform::host;

namespace {

void FillClient(HWND hwnd, HDC dc, COLORREF color) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH b = CreateSolidBrush(color);
    FillRect(dc, &rc, b);
    DeleteObject(b);
}

uint32_t Rgb(uint32_t argb) { return argb & 0xffffff; }

} // namespace

TEST_F(WindowTest, PaintingReachesTheScreenClippedToTheUpdateRegion) {
    COLORREF color = RGB(255, 0, 0);
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            FillClient(h, dc, color);
            EndPaint(h, &ps);
            *r = 0;
            return true;
        }
        return false;
    };
    HWND hwnd = Make(10, 10, 100, 80);
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    EXPECT_EQ(host::ScreenPixel(15, 15), 0xffff0000u);
    EXPECT_EQ(host::ScreenPixel(109, 89), 0xffff0000u);
    EXPECT_EQ(host::ScreenPixel(110, 90), 0xff000000u); // desktop
    // Only the invalidated part is painted again.
    color = RGB(0, 0, 255);
    RECT part{0, 0, 20, 20};
    InvalidateRect(hwnd, &part, FALSE);
    host::RunUntilIdle();
    EXPECT_EQ(Rgb(host::ScreenPixel(15, 15)), 0x0000ffu);
    EXPECT_EQ(Rgb(host::ScreenPixel(50, 50)), 0xff0000u);
    DestroyWindow(hwnd);
    EXPECT_EQ(host::ScreenPixel(15, 15), 0xff000000u);
}

TEST_F(WindowTest, WindowRegionClipsPaintingAndHitTesting) {
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            FillClient(h, dc, RGB(0, 255, 0));
            EndPaint(h, &ps);
            *r = 0;
            return true;
        }
        return false;
    };
    HWND below = Make(0, 0, 200, 200);
    HWND hwnd = Make(0, 0, 200, 200);
    ShowWindow(below, SW_SHOW);
    ShowWindow(hwnd, SW_SHOW);
    // Only the left half belongs to the window.
    EXPECT_NE(SetWindowRgn(hwnd, CreateRectRgn(0, 0, 100, 200), TRUE), 0);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(hwnd, copy), SIMPLEREGION);
    RECT box;
    GetRgnBox(copy, &box);
    EXPECT_EQ(box.right, 100);
    DeleteObject(copy);
    host::RunUntilIdle();
    EXPECT_EQ(WindowFromPoint(POINT{50, 50}), hwnd);
    EXPECT_EQ(WindowFromPoint(POINT{150, 50}), below);
    Log().clear();
    host::InjectClick(150, 50);
    host::RunUntilIdle();
    EXPECT_EQ(Count(hwnd, WM_LBUTTONDOWN), 0u);
    EXPECT_EQ(Count(below, WM_LBUTTONDOWN), 1u);
    // A child clipped by its region paints only inside it.
    DestroyWindow(below);
    host::RunUntilIdle();
    EXPECT_EQ(Rgb(host::ScreenPixel(50, 50)), 0x00ff00u);
    EXPECT_EQ(host::ScreenPixel(150, 50), 0xff000000u);
    SetWindowRgn(hwnd, nullptr, TRUE);
    host::RunUntilIdle();
    EXPECT_EQ(Rgb(host::ScreenPixel(150, 50)), 0x00ff00u);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, RegionClipsTheDrawingOfAChildWindow) {
    HWND parent = Make(0, 0, 100, 100);
    HWND child = Make(10, 10, 40, 40, WS_CHILD | WS_VISIBLE, 0, parent);
    SetWindowRgn(child, CreateRectRgn(0, 0, 20, 40), FALSE);
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            FillClient(h, dc, h == child ? RGB(255, 255, 0) : RGB(0, 0, 128));
            EndPaint(h, &ps);
            *r = 0;
            return true;
        }
        return false;
    };
    ShowWindow(parent, SW_SHOW);
    host::RunUntilIdle();
    EXPECT_EQ(Rgb(host::WindowPixel(parent, 15, 15)), 0xffff00u);
    EXPECT_EQ(Rgb(host::WindowPixel(parent, 35, 15)), 0x000080u);
    EXPECT_EQ(Rgb(host::WindowPixel(parent, 5, 5)), 0x000080u);
    DestroyWindow(parent);
}

TEST_F(WindowTest, LayeredWindowAlphaReachesTheScreen) {
    host::SetHeadlessDesktopColor(0xffffffffu);
    HWND hwnd = Make(0, 0, 4, 2, WS_POPUP, WS_EX_LAYERED);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    // Before any content a layered window shows nothing.
    host::RunUntilIdle();
    EXPECT_EQ(host::ScreenPixel(0, 0), 0xffffffffu);
    // Premultiplied source: opaque red, half-transparent black, fully transparent.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 4;
    bi.bmiHeader.biHeight = -2;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bmp, nullptr);
    auto* px = static_cast<uint32_t*>(bits);
    px[0] = 0xffff0000u;
    px[1] = 0x80000000u;
    px[2] = 0x00000000u;
    px[3] = 0x80800000u; // half-transparent red
    for (int i = 4; i < 8; ++i) px[i] = 0xff0000ffu;
    HGDIOBJ old = SelectObject(mem, bmp);
    POINT src{0, 0}, dst{10, 20};
    SIZE size{4, 2};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, &dst, &size, mem, &src, 0, &blend, ULW_ALPHA));
    EXPECT_EQ(host::ScreenPixel(10, 20), 0xffff0000u);
    EXPECT_EQ(host::ScreenPixel(11, 20), 0xff7f7f7fu);
    EXPECT_EQ(host::ScreenPixel(12, 20), 0xffffffffu);
    EXPECT_EQ(host::ScreenPixel(13, 20), 0xffff7f7fu);
    EXPECT_EQ(host::ScreenPixel(10, 21), 0xff0000ffu);
    // Fully transparent pixels let the pointer through.
    EXPECT_EQ(WindowFromPoint(POINT{10, 20}), hwnd);
    EXPECT_EQ(WindowFromPoint(POINT{12, 20}), nullptr);
    // The blend's constant alpha scales everything.
    blend.SourceConstantAlpha = 0;
    ASSERT_TRUE(UpdateLayeredWindow(hwnd, nullptr, nullptr, nullptr, mem, &src, 0, &blend, ULW_ALPHA));
    EXPECT_EQ(host::ScreenPixel(10, 20), 0xffffffffu);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, LayeredClickThroughAndWindowOpacity) {
    host::SetHeadlessDesktopColor(0xff000000u);
    Handler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            FillClient(h, dc, RGB(200, 100, 50));
            EndPaint(h, &ps);
            *r = 0;
            return true;
        }
        return false;
    };
    HWND below = Make(0, 0, 50, 50);
    HWND shadow = Make(0, 0, 50, 50, WS_POPUP, WS_EX_LAYERED | WS_EX_TRANSPARENT);
    ShowWindow(below, SW_SHOW);
    ShowWindow(shadow, SW_SHOWNOACTIVATE);
    host::RunUntilIdle();
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), below);
    // SetLayeredWindowAttributes turns a layered window into a painted one with a constant alpha.
    HWND faded = Make(100, 0, 50, 50, WS_POPUP, WS_EX_LAYERED);
    ShowWindow(faded, SW_SHOWNOACTIVATE);
    ASSERT_TRUE(SetLayeredWindowAttributes(faded, 0, 128, LWA_ALPHA));
    host::RunUntilIdle();
    uint32_t p = host::ScreenPixel(110, 10);
    EXPECT_EQ(p, 0xff000000u | ((200 * 128 + 127) / 255) << 16 | ((100 * 128 + 127) / 255) << 8 | ((50 * 128 + 127) / 255));
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HDC mem = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(UpdateLayeredWindow(faded, nullptr, nullptr, nullptr, mem, nullptr, 0, &blend, ULW_ALPHA));
    EXPECT_FALSE(SetLayeredWindowAttributes(below, 0, 10, LWA_ALPHA)); // not layered
    DeleteDC(mem);
    DestroyWindow(below);
    DestroyWindow(shadow);
    DestroyWindow(faded);
}

TEST_F(WindowTest, GetDcDrawsIntoTheBackingStore) {
    HWND hwnd = Make(0, 0, 30, 30);
    ShowWindow(hwnd, SW_SHOW);
    host::RunUntilIdle();
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(WindowFromDC(dc), hwnd);
    FillClient(hwnd, dc, RGB(1, 2, 3));
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
    EXPECT_EQ(Rgb(host::ScreenPixel(5, 5)), 0x010203u);
    // WM_PRINT asks the window to print its client area into another DC.
    Handler() = [&](HWND h, UINT msg, WPARAM w, LPARAM, LRESULT*) {
        if (msg == WM_PRINTCLIENT) FillClient(h, reinterpret_cast<HDC>(w), RGB(9, 8, 7));
        return false;
    };
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 30, -30, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CHECKVISIBLE | PRF_CLIENT);
    EXPECT_EQ(static_cast<uint32_t*>(bits)[0] & 0xffffff, 0x090807u);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    DestroyWindow(hwnd);
}

TEST_F(WindowTest, SnapshotsWritePngFilesOfTheScreenAndOfAWindow) {
    HWND hwnd = Make(5, 5, 20, 10);
    ShowWindow(hwnd, SW_SHOW);
    HDC dc = GetDC(hwnd);
    FillClient(hwnd, dc, RGB(10, 200, 30));
    ReleaseDC(hwnd, dc);
    char dir[] = "/tmp/uiplatform-snap-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string screen = std::string(dir) + "/screen.png", window = std::string(dir) + "/window.png";
    ASSERT_TRUE(host::SnapshotScreen(screen.c_str()));
    ASSERT_TRUE(host::SnapshotWindow(hwnd, window.c_str()));
    EXPECT_FALSE(host::SnapshotWindow(nullptr, window.c_str()));
    auto pixel = [](const std::string& path, int x, int y) {
        cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
        uint32_t v = 0;
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
            cairo_surface_flush(s);
            v = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
        }
        cairo_surface_destroy(s);
        return v;
    };
    EXPECT_EQ(pixel(screen, 10, 10) & 0xffffff, 0x0ac81eu);
    EXPECT_EQ(pixel(screen, 1, 1) & 0xffffff, 0u);
    EXPECT_EQ(pixel(window, 0, 0), 0xff0ac81eu);
    remove(screen.c_str());
    remove(window.c_str());
    rmdir(dir);
    DestroyWindow(hwnd);
}
