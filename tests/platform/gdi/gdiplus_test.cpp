#include "tests/platform/gdi/gdi_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

class GdiPlus : public ::testing::Test {
protected:
    void SetUp() override {
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
    }
    void TearDown() override { GdiplusShutdown(token_); }
    ULONG_PTR token_ = 0;
};

struct Graphics {
    GpGraphics* g = nullptr;
    explicit Graphics(HDC dc) { EXPECT_EQ(GdipCreateFromHDC(dc, &g), Ok); }
    ~Graphics() { GdipDeleteGraphics(g); }
};

TEST(GdiPlusStartup, CallsNeedStartupAndAKnownVersion) {
    GpGraphics* g = nullptr;
    DibDc d(2, 2);
    EXPECT_EQ(GdipCreateFromHDC(d.dc, &g), GdiplusNotInitialized);
    GdiplusStartupInput input;
    input.GdiplusVersion = 9;
    ULONG_PTR token = 0;
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
    input.GdiplusVersion = 1;
    input.SuppressBackgroundThread = TRUE;
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), InvalidParameter);
    GdiplusStartupOutput output;
    ASSERT_EQ(GdiplusStartup(&token, &input, &output), Ok);
    EXPECT_EQ(GdipCreateFromHDC(d.dc, &g), Ok);
    EXPECT_EQ(GdipDeleteGraphics(g), Ok);
    EXPECT_EQ(GdipDeleteGraphics(g), InvalidParameter); // already gone
    GdiplusShutdown(token);
    EXPECT_EQ(GdipCreateFromHDC(d.dc, &g), GdiplusNotInitialized);
}

TEST_F(GdiPlus, FillRectangleBlendsTheArgbColourInsideTheClip) {
    DibDc d(10, 10, true, 0xFF0000FFu);
    SetWindowOrgEx(d.dc, 1, 1, nullptr);
    IntersectClipRect(d.dc, 1, 1, 6, 11); // device columns 0..4
    Graphics g(d.dc);
    GpSolidFill* half = nullptr;
    ASSERT_EQ(GdipCreateSolidFill(0x80FF0000u, &half), Ok);
    EXPECT_EQ(GdipFillRectangleI(g.g, half, 1, 1, 8, 4), Ok); // device (0,0)-(8,4)
    uint32_t p = d.at(2, 2);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR((int)((p >> 16) & 0xFF), 128, 1);
    EXPECT_NEAR((int)(p & 0xFF), 127, 1);
    EXPECT_EQ(d.at(5, 2), 0xFF0000FFu); // clipped
    EXPECT_EQ(d.at(2, 4), 0xFF0000FFu); // below the rectangle
    GpSolidFill* opaque = nullptr;
    GdipCreateSolidFill(0xFF00FF00u, &opaque);
    GdipSetSmoothingMode(g.g, SmoothingModeAntiAlias);
    GdipFillRectangle(g.g, opaque, 1, 5, 2, 2);
    EXPECT_EQ(d.at(0, 4), 0xFF00FF00u); // whole-pixel rectangles stay crisp
    EXPECT_EQ(d.at(2, 4), 0xFF0000FFu);
    EXPECT_EQ(GdipFillRectangle(g.g, opaque, NAN, 0, 1, 1), InvalidParameter);
    GdipDeleteBrush(half);
    GdipDeleteBrush(opaque);
}

TEST_F(GdiPlus, InsetRectangleOutlineCoversTheControlsOuterRing) {
    DibDc d(12, 12);
    Graphics g(d.dc);
    GpPen* pen = nullptr;
    ASSERT_EQ(GdipCreatePen1(0xFFD1D1D1u, 1, UnitWorld, &pen), Ok);
    ASSERT_EQ(GdipSetPenMode(pen, PenAlignmentInset), Ok);
    // A control at (1,1)-(11,11) draws (left, top, width - 1, height - 1).
    EXPECT_EQ(GdipDrawRectangleI(g.g, pen, 1, 1, 9, 9), Ok);
    EXPECT_EQ(d.at(1, 1), 0xFFD1D1D1u);
    EXPECT_EQ(d.at(10, 10), 0xFFD1D1D1u);
    EXPECT_EQ(d.at(10, 5), 0xFFD1D1D1u);
    EXPECT_EQ(d.at(11, 11), 0u);
    EXPECT_EQ(d.at(5, 5), 0u);
    EXPECT_EQ(d.count(0xFFD1D1D1u), 36);
    GpPen* wide = nullptr;
    GdipCreatePen1(0xFF000000u, 2, UnitWorld, &wide);
    GdipSetPenMode(wide, PenAlignmentInset);
    DibDc w(12, 12);
    Graphics gw(w.dc);
    GdipDrawRectangleI(gw.g, wide, 1, 1, 9, 9);
    EXPECT_EQ(w.at(2, 2), 0xFF000000u);
    EXPECT_EQ(w.at(3, 3), 0u);
    EXPECT_EQ(w.at(0, 0), 0u);
    GdipDeletePen(pen);
    GdipDeletePen(wide);
}

struct Text {
    GpFont* font = nullptr;
    GpStringFormat* format = nullptr;
    HFONT hfont = nullptr;
    HGDIOBJ old = nullptr;
    HDC dc;
    Text(HDC hdc, int height) : dc(hdc) {
        hfont = CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"微软雅黑");
        old = SelectObject(dc, hfont);
        EXPECT_EQ(GdipCreateFontFromDC(dc, &font), Ok);
        GpStringFormat* generic = nullptr;
        EXPECT_EQ(GdipStringFormatGetGenericTypographic(&generic), Ok);
        EXPECT_EQ(GdipCloneStringFormat(generic, &format), Ok);
        GdipDeleteStringFormat(generic);
    }
    ~Text() {
        GdipDeleteFont(font);
        GdipDeleteStringFormat(format);
        SelectObject(dc, old);
        DeleteObject(hfont);
    }
};

TEST_F(GdiPlus, GenericTypographicFormatAndItsSetters) {
    GpStringFormat* f = nullptr;
    ASSERT_EQ(GdipStringFormatGetGenericTypographic(&f), Ok);
    INT flags = 0;
    GdipGetStringFormatFlags(f, &flags);
    EXPECT_EQ(flags, StringFormatFlagsNoFitBlackBox | StringFormatFlagsLineLimit | StringFormatFlagsNoClip);
    EXPECT_EQ(GdipSetStringFormatFlags(f, flags | StringFormatFlagsNoWrap), Ok);
    GdipGetStringFormatFlags(f, &flags);
    EXPECT_TRUE(flags & StringFormatFlagsNoWrap);
    EXPECT_EQ(GdipSetStringFormatAlign(f, (StringAlignment)7), InvalidParameter);
    EXPECT_EQ(GdipSetStringFormatTrimming(f, StringTrimmingEllipsisCharacter), Ok);
    GdipDeleteStringFormat(f);
}

TEST_F(GdiPlus, MeasureStringWrapsAtTheWidthUnlessNoWrap) {
    DibDc d(300, 200);
    Text t(d.dc, -14);
    Graphics g(d.dc);
    const wchar_t* text = L"the quick brown fox jumps over the lazy dog";
    RectF wide(0, 0, 1000, 0), narrow(0, 0, 100, 0), box;
    INT fitted = 0, lines = 0;
    ASSERT_EQ(GdipMeasureString(g.g, text, -1, t.font, &wide, t.format, &box, &fitted, &lines), Ok);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(fitted, (INT)wcslen(text));
    float oneLine = box.Height, fullWidth = box.Width;
    SIZE gdi{};
    GetTextExtentPoint32W(d.dc, text, (int)wcslen(text), &gdi);
    EXPECT_NEAR(fullWidth, gdi.cx, 3);
    GdipMeasureString(g.g, text, -1, t.font, &narrow, t.format, &box, nullptr, &lines);
    EXPECT_GE(lines, 3);
    EXPECT_LE(box.Width, 100);
    EXPECT_NEAR(box.Height, lines * oneLine, 1);
    GdipSetStringFormatFlags(t.format, StringFormatFlagsNoWrap | StringFormatFlagsNoClip);
    GdipMeasureString(g.g, text, -1, t.font, &narrow, t.format, &box, nullptr, &lines);
    EXPECT_EQ(lines, 1);
    EXPECT_NEAR(box.Width, fullWidth, 1);
    // Ellipsis trimming keeps one unwrapped line inside the width.
    GdipSetStringFormatTrimming(t.format, StringTrimmingEllipsisCharacter);
    GdipMeasureString(g.g, text, -1, t.font, &narrow, t.format, &box, nullptr, &lines);
    EXPECT_LE(box.Width, 100);
    EXPECT_GT(box.Width, 60);
}

TEST_F(GdiPlus, DrawStringAlignsCentresAndUsesTheBrushAlpha) {
    DibDc d(200, 60);
    Text t(d.dc, -16);
    Graphics g(d.dc);
    GdipSetTextRenderingHint(g.g, TextRenderingHintAntiAliasGridFit);
    GdipSetStringFormatAlign(t.format, StringAlignmentCenter);
    GdipSetStringFormatLineAlign(t.format, StringAlignmentCenter);
    GdipSetStringFormatFlags(t.format, StringFormatFlagsNoWrap);
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(0xFE444444u, &brush);
    RectF r(20, 10, 160, 40);
    ASSERT_EQ(GdipDrawString(g.g, L"立即安装", -1, t.font, &r, t.format, brush), Ok);
    int left = 1000, right = -1, top = 1000, bottom = -1, maxAlpha = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (uint32_t p = d.at(x, y)) {
                left = std::min(left, x), right = std::max(right, x + 1);
                top = std::min(top, y), bottom = std::max(bottom, y + 1);
                maxAlpha = std::max<int>(maxAlpha, p >> 24);
            }
    ASSERT_LT(left, right);
    EXPECT_NEAR((left + right) / 2.0, 100, 2);
    EXPECT_NEAR((top + bottom) / 2.0, 30, 3);
    EXPECT_EQ(maxAlpha, 0xFE); // the brush's alpha caps the ink
    // Clipped to the layout rectangle without NoClip.
    DibDc c(200, 60);
    Text tc(c.dc, -16);
    Graphics gc(c.dc);
    GdipSetStringFormatFlags(tc.format, StringFormatFlagsNoWrap);
    RectF small(0, 0, 20, 60);
    GdipDrawString(gc.g, L"WWWWWW", -1, tc.font, &small, tc.format, brush);
    int maxX = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (c.at(x, y))
                maxX = std::max(maxX, x);
    EXPECT_GE(maxX, 0);
    EXPECT_LT(maxX, 20);
    // Unwrapped lines are aligned one by one.
    DibDc m(200, 80);
    Text tm(m.dc, -16);
    Graphics gm(m.dc);
    GdipSetStringFormatFlags(tm.format, StringFormatFlagsNoWrap);
    GdipSetStringFormatAlign(tm.format, StringAlignmentFar);
    RectF box(0, 0, 200, 80);
    GdipDrawString(gm.g, L"WWWWWW\ni", -1, tm.font, &box, tm.format, brush);
    int rightTop = -1, rightBottom = -1;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 200; ++x)
            if (m.at(x, y))
                (y < 20 ? rightTop : rightBottom) = std::max(y < 20 ? rightTop : rightBottom, x);
    EXPECT_NEAR(rightTop, 199, 3);
    EXPECT_NEAR(rightBottom, 199, 3);
    GdipDeleteBrush(brush);
}

} // namespace
