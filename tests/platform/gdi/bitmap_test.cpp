#include "tests/platform/gdi/gdi_test_util.h"
#include "ui/platform/gdi/surface.h"

#include <gtest/gtest.h>

namespace {

TEST(DibSection, RowOrderFollowsTheSignOfTheHeight) {
    for (bool bottomUp : {false, true}) {
        DibDc d(4, 3, bottomUp);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        RECT top{0, 0, 4, 1};
        EXPECT_EQ(FillRect(d.dc, &top, red), 1);
        DeleteObject(red);
        // Window row 0 is the first row in memory for top-down, the last for bottom-up.
        uint32_t* firstRow = d.bits;
        uint32_t* lastRow = d.bits + 2 * 4;
        EXPECT_EQ((bottomUp ? lastRow : firstRow)[0], 0xFFFF0000u) << bottomUp;
        EXPECT_EQ((bottomUp ? firstRow : lastRow)[0], 0u) << bottomUp;
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectW(d.bitmap, sizeof ds, &ds), (int)sizeof ds);
        EXPECT_EQ(ds.dsBm.bmBits, d.bits);
        EXPECT_EQ(ds.dsBm.bmHeight, 3);
        EXPECT_EQ(ds.dsBmih.biHeight, bottomUp ? 3 : -3);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    }
}

TEST(DibSection, RejectsFormatsThePlatformDoesNotHave) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 4;
    bi.bmiHeader.biHeight = 4;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = reinterpret_cast<void*>(1);
    SetLastError(0);
    EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biWidth = 0;
    EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(Dc, SelectObjectReturnsThePreviousObjectAndGuardsSelectedBitmaps) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP a = CreateCompatibleBitmap(dc, 8, 8);
    HBITMAP b = CreateCompatibleBitmap(dc, 8, 8);
    HGDIOBJ original = SelectObject(dc, a);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(dc, b), (HGDIOBJ)a);
    // A bitmap selected into one DC cannot go into another, nor be deleted.
    HDC other = CreateCompatibleDC(dc);
    EXPECT_EQ(SelectObject(other, b), nullptr);
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_EQ(SelectObject(dc, original), (HGDIOBJ)b);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DeleteObject(a));
    // Stale and foreign handles are errors, not crashes.
    EXPECT_FALSE(DeleteObject(a));
    EXPECT_EQ(SelectObject(dc, a), nullptr);
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(0x1234)));
    DeleteDC(other);
    DeleteDC(dc);
}

TEST(Dc, DeletingASelectedBrushWaitsUntilItIsDeselected) {
    DibDc d(2, 2);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ old = SelectObject(d.dc, brush);
    EXPECT_TRUE(DeleteObject(brush));
    LOGBRUSH lb{};
    EXPECT_EQ(GetObjectW(GetCurrentObject(d.dc, OBJ_BRUSH), sizeof lb, &lb), (int)sizeof lb);
    EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
    EXPECT_EQ(SelectObject(d.dc, old), (HGDIOBJ)brush);
    EXPECT_EQ(GetObjectW(brush, sizeof lb, &lb), 0);
}

TEST(Dc, SaveAndRestoreBringBackObjectsColoursOriginsAndClip) {
    DibDc d(10, 10);
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    int level = SaveDC(d.dc);
    EXPECT_EQ(level, 1);
    HGDIOBJ old = SelectObject(d.dc, brush);
    SetTextColor(d.dc, RGB(1, 1, 1));
    SetWindowOrgEx(d.dc, 3, 4, nullptr);
    IntersectClipRect(d.dc, 0, 0, 2, 2);
    EXPECT_EQ(SaveDC(d.dc), 2);
    SetTextColor(d.dc, RGB(2, 2, 2));
    EXPECT_TRUE(RestoreDC(d.dc, -1));
    EXPECT_EQ(GetTextColor(d.dc), RGB(1, 1, 1));
    EXPECT_TRUE(RestoreDC(d.dc, level));
    EXPECT_EQ(GetCurrentObject(d.dc, OBJ_BRUSH), old);
    EXPECT_EQ(GetTextColor(d.dc), RGB(0, 0, 0));
    POINT org{};
    GetWindowOrgEx(d.dc, &org);
    EXPECT_EQ(org.x, 0);
    RECT box{};
    EXPECT_EQ(GetClipBox(d.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 10);
    EXPECT_FALSE(RestoreDC(d.dc, 1)); // nothing saved any more
    DeleteObject(brush);
}

TEST(Dc, ANewMemoryDcHoldsAOnePixelBitmapThatDrawingLeavesAlone) {
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    RECT box{};
    EXPECT_EQ(GetClipBox(a, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 1);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(GetCurrentObject(a, OBJ_BITMAP), sizeof bm, &bm), (int)sizeof bm);
    EXPECT_EQ(bm.bmWidth, 1);
    RECT all{0, 0, 1, 1};
    FillRect(a, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    DibDc probe(1, 1);
    BitBlt(probe.dc, 0, 0, 1, 1, b, 0, 0, SRCCOPY);
    EXPECT_EQ(probe.at(0, 0), 0u); // the other DC's default bitmap is untouched
    DeleteDC(a);
    DeleteDC(b);
}

TEST(Dc, StockObjectsAndDeviceCaps) {
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(GetStockObject(NULL_BRUSH), sizeof lb, &lb), (int)sizeof lb);
    EXPECT_EQ(lb.lbStyle, (UINT)BS_NULL);
    ASSERT_EQ(GetObjectW(GetStockObject(BLACK_BRUSH), sizeof lb, &lb), (int)sizeof lb);
    EXPECT_EQ(lb.lbColor, RGB(0, 0, 0));
    EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), (int)sizeof lf);
    EXPECT_LT(lf.lfHeight, 0);
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))); // harmless, like Windows
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    DeleteDC(dc);
}

TEST(Fill, FillRectHonoursWindowOriginClipAndHollowBrush) {
    DibDc d(8, 8);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SetWindowOrgEx(d.dc, 2, 2, nullptr);
    RECT r{2, 2, 6, 6}; // device (0,0)-(4,4)
    HRGN clip = CreateRectRgn(1, 1, 8, 8);
    SelectClipRgn(d.dc, clip);
    FillRect(d.dc, &r, blue);
    EXPECT_EQ(d.at(0, 0), 0u);
    EXPECT_EQ(d.at(1, 1), 0xFF0000FFu);
    EXPECT_EQ(d.at(3, 3), 0xFF0000FFu);
    EXPECT_EQ(d.at(4, 4), 0u);
    EXPECT_EQ(d.count(0xFF0000FFu), 9);
    FillRect(d.dc, &r, (HBRUSH)GetStockObject(NULL_BRUSH));
    EXPECT_EQ(d.count(0xFF0000FFu), 9);
    DeleteObject(clip);
    DeleteObject(blue);
}

TEST(Fill, ViewportAndWindowOriginsCombine) {
    DibDc d(10, 10);
    POINT old{};
    EXPECT_TRUE(SetViewportOrgEx(d.dc, 5, 5, &old));
    EXPECT_EQ(old.x, 0);
    SetWindowOrgEx(d.dc, 2, 2, nullptr); // device = logical - window + viewport
    RECT r{2, 2, 3, 3};
    FillRect(d.dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(d.at(5, 5), 0xFF000000u);
    EXPECT_EQ(d.count(0xFF000000u), 1);
    POINT vp{};
    EXPECT_TRUE(GetViewportOrgEx(d.dc, &vp));
    EXPECT_EQ(vp.y, 5);
    RECT box{};
    GetClipBox(d.dc, &box); // logical
    EXPECT_EQ(box.left, -3);
    EXPECT_EQ(box.right, 7);
    EXPECT_EQ(GetBkMode(d.dc), OPAQUE);
    EXPECT_EQ(SetBkMode(d.dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(d.dc, 7), 0);
    EXPECT_EQ(GetBkMode(d.dc), TRANSPARENT);
    EXPECT_EQ(SetStretchBltMode(d.dc, HALFTONE), BLACKONWHITE);
    EXPECT_EQ(GetStretchBltMode(d.dc), HALFTONE);
    EXPECT_EQ(SetBkColor(d.dc, RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(GetBkColor(d.dc), RGB(1, 2, 3));
}

TEST(Blit, BitBltCopiesAllFourBytesWithinSourceAndClip) {
    DibDc src(4, 4, true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.at(x, y) = 0x80000000u | (y << 8) | x;
    DibDc dst(6, 6, false, 0x11111111u);
    HRGN clip = CreateRectRgn(0, 0, 6, 3);
    SelectClipRgn(dst.dc, clip);
    // Source rectangle partly outside the source: only existing pixels move.
    EXPECT_TRUE(BitBlt(dst.dc, 1, 1, 5, 5, src.dc, 1, 0, SRCCOPY));
    EXPECT_EQ(dst.at(1, 1), 0x80000001u);
    EXPECT_EQ(dst.at(3, 2), 0x80000103u);
    EXPECT_EQ(dst.at(4, 1), 0x11111111u); // source column 4 does not exist
    EXPECT_EQ(dst.at(1, 3), 0x11111111u); // clipped
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x00EE0086 /* SRCPAINT */));
    DeleteObject(clip);
}

TEST(Blit, BitBltWithinOneBitmapHandlesOverlap) {
    DibDc d(5, 1);
    for (int x = 0; x < 5; ++x)
        d.at(x, 0) = x + 1;
    BitBlt(d.dc, 1, 0, 4, 1, d.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(d.at(0, 0), 1u);
    EXPECT_EQ(d.at(1, 0), 1u);
    EXPECT_EQ(d.at(4, 0), 4u);
}

TEST(Seam, SurfaceDcDrawsIntoTheCallersSurfaceUnderTheSystemClip) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10);
    HDC dc = uiplatform::CreateSurfaceDC(s);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(uiplatform::SurfaceOfDC(dc), s);
    cairo_rectangle_int_t update{0, 0, 5, 10};
    cairo_region_t* sys = cairo_region_create_rectangle(&update);
    uiplatform::SetDCSystemClip(dc, sys);
    cairo_region_destroy(sys);
    HRGN app = CreateRectRgn(0, 0, 10, 5);
    EXPECT_EQ(SelectClipRgn(dc, app), SIMPLEREGION);
    RECT all{0, 0, 10, 10};
    HBRUSH white = (HBRUSH)GetStockObject(WHITE_BRUSH);
    FillRect(dc, &all, white);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 5);
    cairo_surface_flush(s);
    auto px = [&](int x, int y) {
        return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
    };
    EXPECT_EQ(px(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(px(5, 4), 0u);
    EXPECT_EQ(px(4, 5), 0u);
    // A window DC holds no bitmap.
    HBITMAP bm = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_EQ(SelectObject(dc, bm), nullptr);
    EXPECT_NE(uiplatform::SurfaceOfBitmap(bm), nullptr);
    EXPECT_NE(uiplatform::RegionOf(app), nullptr);
    DeleteObject(bm);
    DeleteObject(app);
    DeleteDC(dc);
    cairo_surface_destroy(s);
}

} // namespace
