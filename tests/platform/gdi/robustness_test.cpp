// Extreme and malformed arguments: clean results, no overflow, no unbounded work.
#include "tests/platform/gdi/gdi_test_util.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(Robustness, ExtremeCoordinatesAreClippedNotOverflowed) {
    DibDc d(8, 8);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    RECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(FillRect(d.dc, &huge, brush), 1);
    EXPECT_EQ(d.count(0xFF010203u), 64);
    SetWindowOrgEx(d.dc, INT_MIN, INT_MAX, nullptr);
    EXPECT_EQ(FillRect(d.dc, &huge, brush), 1);
    SetWindowOrgEx(d.dc, 0, 0, nullptr);
    EXPECT_EQ(IntersectClipRect(d.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX), SIMPLEREGION);
    HPEN pen = CreatePen(PS_DOT, 1, RGB(9, 9, 9));
    HGDIOBJ old = SelectObject(d.dc, pen);
    MoveToEx(d.dc, INT_MIN, 3, nullptr);
    EXPECT_TRUE(LineTo(d.dc, INT_MAX, 3)); // clipped geometrically, not walked
    EXPECT_TRUE(Rectangle(d.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_TRUE(RoundRect(d.dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MIN));
    SelectObject(d.dc, old);
    DeleteObject(pen);
    RECT text = huge;
    DrawTextW(d.dc, L"x", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    DrawTextW(d.dc, L"x", -1, &text, DT_CALCRECT);
    TRIVERTEX v[2] = {{INT_MIN, INT_MIN, 0, 0, 0, 0}, {INT_MAX, INT_MAX, 0xFF00, 0xFF00, 0xFF00, 0xFF00}};
    GRADIENT_RECT gr{0, 1};
    EXPECT_TRUE(GradientFill(d.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H));
    DeleteObject(brush);
}

TEST(Robustness, HugeStretchesOnlyComputeWhatIsVisible) {
    DibDc src(2, 2, false, 0xFF00FF00u);
    DibDc dst(4, 4);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        SetStretchBltMode(dst.dc, mode);
        EXPECT_TRUE(StretchBlt(dst.dc, -100000000, -100000000, 100000004, 100000004, src.dc, 0, 0, 2, 2, SRCCOPY));
        EXPECT_EQ(dst.at(3, 3), 0xFF00FF00u) << mode;
    }
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, INT_MIN, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(AlphaBlend(dst.dc, -50000000, -50000000, 100000000, 100000000, src.dc, 0, 0, 2, 2, bf));
    EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, INT_MAX, 1, src.dc, 0, 0, 2, 2, bf));
    EXPECT_TRUE(BitBlt(dst.dc, INT_MIN, INT_MIN, 100, 100, src.dc, INT_MAX, INT_MAX, SRCCOPY));
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, INT_MAX, 1, src.dc, 0, 0, SRCCOPY));
}

TEST(Robustness, RegionsStayInsideTheCoordinateSpace) {
    HRGN r = CreateRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    RECT box{};
    EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
    EXPECT_GT(box.right, 1 << 26);
    EXPECT_EQ(OffsetRgn(r, INT_MAX, 0), ERROR);
    EXPECT_TRUE(PtInRegion(r, 0, 0)); // unchanged by the refused offset
    EXPECT_EQ(CreateRoundRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX), nullptr);
    HRGN round = CreateRoundRectRgn(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 10, 10);
    EXPECT_NE(round, nullptr);
    EXPECT_FALSE(PtInRegion(round, -(1 << 27), -(1 << 27)));
    EXPECT_TRUE(PtInRegion(round, 0, 0));
    HRGN empty = CreateRectRgn(5, 5, 5, 9);
    EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
    EXPECT_EQ(OffsetRgn(empty, INT_MAX, INT_MAX), NULLREGION);
    DeleteObject(r);
    DeleteObject(round);
    DeleteObject(empty);
}

TEST(Robustness, BadHandlesAndNullPointers) {
    HDC bogus = reinterpret_cast<HDC>(0x10);
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(FillRect(bogus, &r, (HBRUSH)GetStockObject(BLACK_BRUSH)), 0);
    EXPECT_EQ(DrawTextW(bogus, L"x", -1, &r, 0), 0);
    EXPECT_FALSE(TextOutW(bogus, 0, 0, L"x", 1));
    EXPECT_EQ(SaveDC(bogus), 0);
    EXPECT_EQ(GetClipBox(bogus, &r), ERROR);
    EXPECT_EQ(CombineRgn(nullptr, nullptr, nullptr, RGN_OR), ERROR);
    EXPECT_FALSE(PtInRegion(nullptr, 0, 0));
    EXPECT_EQ(GetObjectW(nullptr, 0, nullptr), 0);
    DibDc d(2, 2);
    EXPECT_EQ(FillRect(d.dc, nullptr, (HBRUSH)GetStockObject(BLACK_BRUSH)), 0);
    EXPECT_EQ(FillRect(d.dc, &r, reinterpret_cast<HBRUSH>(d.dc)), 0); // a DC is no brush
    EXPECT_FALSE(GetTextMetricsW(d.dc, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32W(d.dc, nullptr, 3, nullptr));
    EXPECT_FALSE(GradientFill(d.dc, nullptr, 0, nullptr, 0, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
    // A DC deleted while objects are selected releases them; deleting them afterwards works.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(dc, 2, 2);
    HFONT font = CreateFontW(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma");
    SelectObject(dc, bm);
    SelectObject(dc, font);
    EXPECT_TRUE(DeleteObject(font)); // deferred while selected
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bm));
    EXPECT_FALSE(DeleteObject(font)); // went with the DC
}

} // namespace
