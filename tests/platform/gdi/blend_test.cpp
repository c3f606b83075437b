#include "tests/platform/gdi/gdi_test_util.h"

#include <gtest/gtest.h>

namespace {

BLENDFUNCTION blend(BYTE constant, BYTE format) { return BLENDFUNCTION{AC_SRC_OVER, 0, constant, format}; }

TEST(AlphaBlend, ConstantAndPerPixelAlphaOnPremultipliedPixels) {
    struct Case {
        uint32_t src, dst;
        BYTE constant, format;
        uint32_t expected;
    } cases[] = {
        {0xFFFF0000u, 0xFF0000FFu, 128, 0, 0xFF80007Fu},            // constant alpha only
        {0x80800000u, 0xFF0000FFu, 255, AC_SRC_ALPHA, 0xFF80007Fu}, // per-pixel, half red
        {0xFFFF0000u, 0xFF0000FFu, 128, AC_SRC_ALPHA, 0xFF80007Fu}, // both: source scaled first
        {0x40000000u, 0xFF000064u, 255, AC_SRC_ALPHA, 0xFF00004Bu}, // 100 * 191 / 255 = 74.9 rounds to 75
        {0x00000000u, 0x12345678u, 255, AC_SRC_ALPHA, 0x12345678u}, // transparent source leaves dst
        {0xFF102030u, 0x12345678u, 255, AC_SRC_ALPHA, 0xFF102030u}, // opaque source replaces dst
        {0xFF102030u, 0x12345678u, 0, 0, 0x12345678u},               // constant 0 changes nothing
        {0x80402010u, 0x00000000u, 255, AC_SRC_ALPHA, 0x80402010u}, // onto transparent: stays premultiplied
        {0x10FF0000u, 0xFF00FF00u, 255, AC_SRC_ALPHA, 0xFFFFEF00u}, // not premultiplied: saturates, no wrap
    };
    for (const Case& c : cases) {
        DibDc src(2, 2, false, c.src);
        DibDc dst(2, 2, true, c.dst);
        EXPECT_TRUE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, blend(c.constant, c.format)));
        EXPECT_EQ(dst.at(1, 1), c.expected) << std::hex << c.src << " over " << c.dst;
    }
}

TEST(AlphaBlend, StretchesLikeColorOnColorAndHonoursClip) {
    DibDc src(2, 1);
    src.at(0, 0) = 0xFFFF0000u;
    src.at(1, 0) = 0xFF00FF00u;
    DibDc dst(4, 2);
    SetStretchBltMode(dst.dc, HALFTONE); // ignored by AlphaBlend
    HRGN clip = CreateRectRgn(0, 0, 3, 1);
    SelectClipRgn(dst.dc, clip);
    EXPECT_TRUE(AlphaBlend(dst.dc, 0, 0, 4, 2, src.dc, 0, 0, 2, 1, blend(255, AC_SRC_ALPHA)));
    EXPECT_EQ(dst.at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(dst.at(1, 0), 0xFFFF0000u);
    EXPECT_EQ(dst.at(2, 0), 0xFF00FF00u);
    EXPECT_EQ(dst.at(3, 0), 0u); // clipped
    EXPECT_EQ(dst.at(0, 1), 0u);
    DeleteObject(clip);
}

TEST(AlphaBlend, RejectsSourceOutsideTheBitmapAndBadBlendFunctions) {
    DibDc src(4, 4, false, 0xFF000000u);
    DibDc dst(4, 4);
    struct Case {
        int x, y, w, h;
        BLENDFUNCTION f;
    } cases[] = {
        {1, 0, 4, 4, blend(255, AC_SRC_ALPHA)},
        {0, -1, 2, 2, blend(255, AC_SRC_ALPHA)},
        {0, 0, 2, 5, blend(255, AC_SRC_ALPHA)},
        {0, 0, -2, 2, blend(255, AC_SRC_ALPHA)},
        {0, 0, 2, 2, BLENDFUNCTION{1, 0, 255, 0}},
        {0, 0, 2, 2, BLENDFUNCTION{0, 1, 255, 0}},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, c.x, c.y, c.w, c.h, c.f));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(dst.count(0), 16);
    // Overlapping rectangles of one surface are refused too.
    EXPECT_FALSE(AlphaBlend(src.dc, 1, 1, 2, 2, src.dc, 0, 0, 2, 2, blend(255, 0)));
}

TEST(AlphaBlend, Msimg32ResolvesThroughLoadLibrary) {
    HMODULE msimg32 = LoadLibraryW(L"msimg32.dll");
    ASSERT_NE(msimg32, nullptr);
    using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    auto blendFn = reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void (*)()>(GetProcAddress(msimg32, "AlphaBlend")));
    auto gradientFn =
        reinterpret_cast<GradientFillFn>(reinterpret_cast<void (*)()>(GetProcAddress(msimg32, "GradientFill")));
    ASSERT_NE(blendFn, nullptr);
    ASSERT_NE(gradientFn, nullptr);
    DibDc src(1, 1, false, 0xFFFF0000u), dst(1, 1, false, 0xFF0000FFu);
    EXPECT_TRUE(blendFn(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 1, 1, blend(128, 0)));
    EXPECT_EQ(dst.at(0, 0), 0xFF80007Fu);
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0xFF00}, {1, 1, 0xFF00, 0, 0, 0xFF00}};
    GRADIENT_RECT gr{0, 1};
    EXPECT_TRUE(gradientFn(dst.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(dst.at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(GetProcAddress(msimg32, "TransparentBlt"), nullptr);
    FreeLibrary(msimg32);
}

TEST(StretchBlt, NearestAndHalftone) {
    DibDc src(2, 2);
    src.at(0, 0) = 0xFF000000u;
    src.at(1, 0) = 0xFFFFFFFFu;
    src.at(0, 1) = 0xFF000000u;
    src.at(1, 1) = 0xFFFFFFFFu;
    DibDc up(4, 4, true);
    SetStretchBltMode(up.dc, COLORONCOLOR);
    EXPECT_TRUE(StretchBlt(up.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(up.at(1, 3), 0xFF000000u);
    EXPECT_EQ(up.at(2, 0), 0xFFFFFFFFu);
    // Mirrored destination width.
    EXPECT_TRUE(StretchBlt(up.dc, 4, 0, -4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(up.at(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(up.at(3, 0), 0xFF000000u);
    // Halftone shrinking averages the two columns.
    DibDc down(1, 1);
    SetStretchBltMode(down.dc, HALFTONE);
    EXPECT_TRUE(StretchBlt(down.dc, 0, 0, 1, 1, src.dc, 0, 0, 2, 2, SRCCOPY));
    uint32_t p = down.at(0, 0);
    EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR((int)(p & 0xFF), 128, 1);
    // Same size is a plain copy whatever the mode.
    DibDc same(2, 2);
    SetStretchBltMode(same.dc, HALFTONE);
    StretchBlt(same.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(same.at(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(same.at(0, 1), 0xFF000000u);
}

TEST(GradientFill, HorizontalAndVerticalRectangles) {
    DibDc d(256, 4, true);
    TRIVERTEX v[2] = {{0, 0, 0, 0, 0xFF00, 0xFF00}, {256, 2, 0xFF00, 0, 0, 0xFF00}};
    GRADIENT_RECT gr{0, 1};
    EXPECT_TRUE(GradientFill(d.dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(d.at(0, 0), 0xFF0000FFu);     // first vertex colour at the left edge
    EXPECT_EQ(d.at(128, 1), 0xFF7F007Fu);   // halfway
    EXPECT_EQ(d.at(255, 0), 0xFFFE0000u);   // the last pixel stops one step short
    EXPECT_EQ(d.at(0, 2), 0u);              // bottom edge excluded
    TRIVERTEX w[2] = {{0, 0, 0, 0, 0, 0}, {4, 4, 0, 0x8000, 0, 0x8000}};
    DibDc v4(4, 4);
    EXPECT_TRUE(GradientFill(v4.dc, w, 2, &gr, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(v4.at(3, 0), 0u);
    EXPECT_EQ(v4.at(0, 2), 0x40004000u); // alpha written as given, not premultiplied
    GRADIENT_RECT bad{0, 2};
    EXPECT_FALSE(GradientFill(d.dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
    EXPECT_FALSE(GradientFill(d.dc, v, 2, &gr, 1, 2 /* triangles */));
}

} // namespace
