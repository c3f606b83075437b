#include "tests/platform/gdi/gdi_test_util.h"
#include "ui/platform/gdi/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // right/bottom exclusive
    int pixels = 0;
    bool empty() const { return pixels == 0; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

Ink inkOf(DibDc& d, uint32_t background = 0) {
    Ink ink;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            if (d.at(x, y) != background) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
                ++ink.pixels;
            }
    return ink;
}

struct FontInDc {
    HFONT font;
    HGDIOBJ old;
    HDC dc;
    FontInDc(HDC hdc, int height, const wchar_t* face = L"Microsoft YaHei", int weight = FW_NORMAL) : dc(hdc) {
        font = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
        old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
    }
    ~FontInDc() {
        SelectObject(dc, old);
        DeleteObject(font);
    }
};

SIZE extent(HDC dc, const wchar_t* s) {
    SIZE sz{};
    GetTextExtentPoint32W(dc, s, (int)wcslen(s), &sz);
    return sz;
}

TEST(Fonts, HeightRulesFollowWin32) {
    HDC dc = CreateCompatibleDC(nullptr);
    {
        FontInDc f(dc, -20);
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(dc, &tm));
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20); // negative: em height
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_GT(tm.tmHeight, 20);
        EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
        EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    }
    {
        FontInDc f(dc, 20); // positive: cell height
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        EXPECT_NEAR(tm.tmHeight, 20, 1);
    }
    {
        FontInDc f(dc, -12, L"Microsoft YaHei", FW_BOLD);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        EXPECT_EQ(tm.tmWeight, FW_BOLD);
        LOGFONTW lf{};
        GetObjectW(f.font, sizeof lf, &lf);
        EXPECT_EQ(lf.lfHeight, -12);
        EXPECT_STREQ(lf.lfFaceName, L"Microsoft YaHei");
    }
    DeleteDC(dc);
}

TEST(Fonts, ChineseFaceNamesResolveToWenQuanYiMicroHei) {
    for (const wchar_t* face : {L"微软雅黑", L"Microsoft YaHei"}) {
        LOGFONTW lf{};
        lf.lfHeight = -14;
        wcscpy(lf.lfFaceName, face);
        HFONT f = CreateFontIndirectW(&lf);
        auto* font = uiplatform::gdi::asFont(f);
        ASSERT_NE(font, nullptr);
        PangoFont* loaded = pango_context_load_font(uiplatform::gdi::textContext(), font->desc);
        ASSERT_NE(loaded, nullptr);
        PangoFontDescription* d = pango_font_describe(loaded);
        EXPECT_STREQ(pango_font_description_get_family(d), "WenQuanYi Micro Hei");
        pango_font_description_free(d);
        g_object_unref(loaded);
        DeleteObject(f);
    }
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
    DibDc d(200, 50);
    FontInDc f(d.dc, -14);
    TEXTMETRICW tm{};
    GetTextMetricsW(d.dc, &tm);
    RECT r{10, 5, 10, 5};
    EXPECT_EQ(DrawTextW(d.dc, L"Install now", -1, &r, DT_SINGLELINE | DT_CALCRECT), tm.tmHeight);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right - r.left, extent(d.dc, L"Install now").cx);
    EXPECT_EQ(r.bottom - r.top, tm.tmHeight);
    EXPECT_EQ(d.count(0), 200 * 50);
    // Counted length: only the first 7 characters.
    RECT part{0, 0, 0, 0};
    DrawTextW(d.dc, L"Install now", 7, &part, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(part.right, extent(d.dc, L"Install").cx);
    // Line breaks count without DT_SINGLELINE; empty text is one empty line.
    RECT two{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(d.dc, L"a\r\nbb", -1, &two, DT_CALCRECT), 2 * tm.tmHeight);
    RECT empty{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(d.dc, L"", -1, &empty, DT_CALCRECT), tm.tmHeight);
    EXPECT_EQ(empty.right, 0);
    EXPECT_EQ(DrawTextW(d.dc, nullptr, -1, &empty, 0), 0);
}

TEST(DrawText, AlignmentPlacesInkInTheRectangle) {
    struct Case {
        UINT flags;
        int expectCenterX; // -1 left, 0 centre, 1 right
        int expectCenterY; // -1 top, 0 centre, 1 bottom
    } cases[] = {
        {DT_SINGLELINE, -1, -1},
        {DT_SINGLELINE | DT_CENTER | DT_VCENTER, 0, 0},
        {DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, 1, 1},
        {DT_CENTER | DT_VCENTER, 0, -1}, // vertical centring needs DT_SINGLELINE
    };
    for (const Case& c : cases) {
        DibDc d(300, 100);
        FontInDc f(d.dc, -16);
        SetTextColor(d.dc, RGB(0, 0, 0));
        RECT r{20, 10, 280, 90};
        int h = DrawTextW(d.dc, L"HHHH", -1, &r, c.flags);
        Ink ink = inkOf(d);
        ASSERT_FALSE(ink.empty());
        int cx = (ink.left + ink.right) / 2, cy = (ink.top + ink.bottom) / 2;
        if (c.expectCenterX < 0) {
            EXPECT_NEAR(ink.left, 20, 3) << c.flags;
        }
        if (c.expectCenterX == 0) {
            EXPECT_NEAR(cx, 150, 2) << c.flags;
        }
        if (c.expectCenterX > 0) {
            EXPECT_NEAR(ink.right, 280, 3) << c.flags;
        }
        if (c.expectCenterY < 0) {
            EXPECT_LT(ink.top, 10 + 16) << c.flags;
        }
        if (c.expectCenterY == 0) {
            EXPECT_NEAR(cy, 50, 3) << c.flags;
        }
        if (c.expectCenterY > 0) {
            EXPECT_GT(ink.bottom, 90 - 10) << c.flags;
        }
        // With vertical placement the result reaches from the top to the text's bottom.
        if (c.expectCenterY > 0) {
            EXPECT_EQ(h, 80) << c.flags;
        }
    }
}

TEST(DrawText, WordBreakWrapsAtTheWidth) {
    DibDc d(200, 200);
    FontInDc f(d.dc, -14);
    TEXTMETRICW tm{};
    GetTextMetricsW(d.dc, &tm);
    const wchar_t* text = L"the quick brown fox jumps over the lazy dog";
    RECT calc{0, 0, 100, 0};
    int h = DrawTextW(d.dc, text, -1, &calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(h, 3 * tm.tmHeight);
    EXPECT_EQ(h % tm.tmHeight, 0);
    EXPECT_LE(calc.right, 100);
    EXPECT_GT(calc.right, 50);
    RECT r{0, 0, 100, 200};
    DrawTextW(d.dc, text, -1, &r, DT_WORDBREAK);
    Ink ink = inkOf(d);
    EXPECT_LE(ink.right, 100);
    EXPECT_GT(ink.bottom, 2 * tm.tmHeight);
    // Single line ignores DT_WORDBREAK.
    RECT one{0, 0, 100, 0};
    EXPECT_EQ(DrawTextW(d.dc, text, -1, &one, DT_WORDBREAK | DT_SINGLELINE | DT_CALCRECT), tm.tmHeight);
    // Chinese text has no spaces and still wraps.
    RECT zh{0, 0, 60, 0};
    EXPECT_GE(DrawTextW(d.dc, L"欢迎使用安装向导欢迎使用安装向导", -1, &zh, DT_WORDBREAK | DT_CALCRECT), 2 * tm.tmHeight);
    EXPECT_LE(zh.right, 60);
}

TEST(DrawText, EndEllipsisShortensToFit) {
    DibDc d(400, 40);
    FontInDc f(d.dc, -14);
    const wchar_t* text = L"C:\\Program Files (x86)\\velmio\\Quorvel\\a very long folder name";
    int full = extent(d.dc, text).cx;
    ASSERT_GT(full, 150);
    RECT calc{0, 0, 150, 20};
    DrawTextW(d.dc, text, -1, &calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(calc.right, 150);
    EXPECT_GT(calc.right, 150 - extent(d.dc, L"WW...").cx);
    RECT r{0, 0, 150, 40};
    DrawTextW(d.dc, text, -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    EXPECT_LE(inkOf(d).right, 150);
    // Text that fits is left alone.
    RECT fits{0, 0, 400, 20};
    DrawTextW(d.dc, L"short", -1, &fits, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(fits.right, extent(d.dc, L"short").cx);
}

TEST(DrawText, PrefixCharacters) {
    DibDc d(200, 40);
    FontInDc f(d.dc, -14);
    struct Case {
        const wchar_t* text;
        UINT flags;
        const wchar_t* shown;
    } cases[] = {
        {L"&File", 0, L"File"},
        {L"A&&B", 0, L"A&B"},
        {L"&File", DT_NOPREFIX, L"&File"},
        {L"End&", 0, L"End"},
    };
    for (const Case& c : cases) {
        RECT r{0, 0, 0, 0};
        DrawTextW(d.dc, c.text, -1, &r, DT_SINGLELINE | DT_CALCRECT | c.flags);
        EXPECT_EQ(r.right, extent(d.dc, c.shown).cx) << c.flags;
    }
    // The mnemonic is underlined: more ink below the baseline than without the prefix.
    TEXTMETRICW tm{};
    GetTextMetricsW(d.dc, &tm);
    RECT r{0, 0, 200, 40};
    DrawTextW(d.dc, L"&a", -1, &r, DT_SINGLELINE);
    Ink withPrefix = inkOf(d);
    DibDc plain(200, 40);
    FontInDc g(plain.dc, -14);
    DrawTextW(plain.dc, L"a", -1, &r, DT_SINGLELINE);
    Ink without = inkOf(plain);
    EXPECT_GT(withPrefix.bottom, without.bottom);
    EXPECT_GT(withPrefix.pixels, without.pixels);
}

TEST(DrawText, EditControlLeavesOutAPartlyVisibleLastLine) {
    for (bool edit : {false, true}) {
        DibDc d(200, 100);
        FontInDc f(d.dc, -16);
        TEXTMETRICW tm{};
        GetTextMetricsW(d.dc, &tm);
        RECT r{0, 0, 200, tm.tmHeight + tm.tmHeight / 2};
        DrawTextW(d.dc, L"first\nsecond", -1, &r, edit ? DT_EDITCONTROL : 0);
        Ink ink = inkOf(d);
        if (edit)
            EXPECT_LE(ink.bottom, tm.tmHeight);
        else
            EXPECT_GT(ink.bottom, tm.tmHeight);
    }
}

TEST(Fonts, UnderlineStrikeOutAndItalicChangeTheInk) {
    auto draw = [](BYTE italic, BYTE underline, BYTE strike) {
        DibDc d(120, 40);
        HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, italic, underline, strike, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 L"Microsoft YaHei");
        HGDIOBJ old = SelectObject(d.dc, font);
        SetBkMode(d.dc, TRANSPARENT);
        TEXTMETRICW tm{};
        GetTextMetricsW(d.dc, &tm);
        EXPECT_EQ(tm.tmItalic, italic);
        EXPECT_EQ(tm.tmUnderlined, underline);
        EXPECT_EQ(tm.tmStruckOut, strike);
        RECT r{0, 0, 120, 40};
        DrawTextW(d.dc, L"nnnn", -1, &r, DT_SINGLELINE);
        Ink ink = inkOf(d);
        SelectObject(d.dc, old);
        DeleteObject(font);
        return ink;
    };
    Ink plain = draw(0, 0, 0);
    Ink underlined = draw(0, 1, 0);
    Ink struck = draw(0, 0, 1);
    Ink italic = draw(1, 0, 0);
    EXPECT_GT(underlined.bottom, plain.bottom); // a line under the baseline
    EXPECT_GT(struck.pixels, plain.pixels);     // a line through the letters
    EXPECT_EQ(struck.bottom, plain.bottom);
    EXPECT_NE(italic.pixels, plain.pixels);
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip) {
    for (bool noClip : {false, true}) {
        DibDc d(200, 40);
        FontInDc f(d.dc, -16);
        RECT r{0, 0, 30, 40};
        DrawTextW(d.dc, L"WWWWWWWWWW", -1, &r, DT_SINGLELINE | (noClip ? DT_NOCLIP : 0));
        Ink ink = inkOf(d);
        if (noClip)
            EXPECT_GT(ink.right, 60);
        else
            EXPECT_LE(ink.right, 30);
    }
}

TEST(DrawText, ChineseGlyphsLeaveInkInTheExpectedBox) {
    DibDc d(200, 60);
    FontInDc f(d.dc, -20, L"微软雅黑");
    SetTextColor(d.dc, RGB(0x44, 0x44, 0x44));
    RECT r{10, 10, 190, 50};
    DrawTextW(d.dc, L"微软雅黑", -1, &r, DT_SINGLELINE | DT_VCENTER);
    Ink ink = inkOf(d);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 14);
    EXPECT_GT(ink.width(), 4 * 20 - 8); // four full-width ideographs
    EXPECT_LE(ink.width(), 4 * 20 + 2);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 50);
    EXPECT_GT(ink.height(), 14);
}

TEST(DrawText, InkIsOpaqueTextColourOnTransparentPixelsAndBackgroundFillsWhenOpaque) {
    DibDc d(120, 60);
    FontInDc f(d.dc, -40, L"Microsoft YaHei", FW_BOLD);
    SetTextColor(d.dc, RGB(0x20, 0x40, 0x80));
    RECT r{0, 0, 120, 60};
    DrawTextW(d.dc, L"I", -1, &r, DT_SINGLELINE);
    EXPECT_GT(d.count(0xFF204080u), 10); // fully covered pixels carry the colour at alpha 255
    for (int i = 0; i < d.width * d.height; ++i) {
        uint32_t p = d.bits[i];
        uint32_t a = p >> 24;
        EXPECT_LE((p >> 16) & 0xFF, a); // valid premultiplied pixels at the edges
    }
    DibDc o(120, 60, false, 0xFFFFFFFFu);
    FontInDc g(o.dc, -20);
    SetBkMode(o.dc, OPAQUE);
    SetBkColor(o.dc, RGB(0, 255, 0));
    TEXTMETRICW tm{};
    GetTextMetricsW(o.dc, &tm);
    DrawTextW(o.dc, L"ab", -1, &r, DT_SINGLELINE);
    int cell = extent(o.dc, L"ab").cx * tm.tmHeight;
    EXPECT_GT(o.count(0xFF00FF00u), cell / 2);
    EXPECT_EQ(o.at(119, 59), 0xFFFFFFFFu);
}

TEST(TextOut, ExtTextOutOpaqueAndClipped) {
    DibDc d(100, 40);
    FontInDc f(d.dc, -16);
    SetBkColor(d.dc, RGB(255, 0, 0));
    RECT box{10, 10, 30, 30};
    EXPECT_TRUE(ExtTextOutW(d.dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr)); // a plain fill
    EXPECT_EQ(d.count(0xFFFF0000u), 400);
    DibDc c(100, 40);
    FontInDc g(c.dc, -16);
    RECT clip{0, 0, 12, 40};
    EXPECT_TRUE(ExtTextOutW(c.dc, 0, 0, ETO_CLIPPED, &clip, L"WWWW", 4, nullptr));
    EXPECT_LE(inkOf(c).right, 12);
    DibDc t(100, 40);
    FontInDc h(t.dc, -16);
    EXPECT_TRUE(TextOutW(t.dc, 5, 5, L"Hi", 2));
    Ink ink = inkOf(t);
    EXPECT_GE(ink.left, 5);
    EXPECT_GE(ink.top, 5);
    EXPECT_NEAR(ink.right, 5 + extent(t.dc, L"Hi").cx, 2);
    // Explicit advances spread the characters.
    DibDc s(100, 40);
    FontInDc k(s.dc, -16);
    INT dx[2] = {50, 0};
    ExtTextOutW(s.dc, 0, 0, 0, nullptr, L"ii", 2, dx);
    EXPECT_GT(inkOf(s).right, 50);
}

TEST(Fonts, AbcWidthsAddUpToTheAdvance) {
    HDC dc = CreateCompatibleDC(nullptr);
    FontInDc f(dc, -20);
    ABC abc[3]{};
    ASSERT_TRUE(GetCharABCWidthsW(dc, L'A', L'C', abc));
    for (int i = 0; i < 3; ++i) {
        wchar_t ch[2] = {static_cast<wchar_t>(L'A' + i), 0};
        EXPECT_EQ(abc[i].abcA + (int)abc[i].abcB + abc[i].abcC, extent(dc, ch).cx);
        EXPECT_GT(abc[i].abcB, 0u);
    }
    ABC space{};
    GetCharABCWidthsW(dc, L' ', L' ', &space);
    EXPECT_EQ((int)space.abcB + space.abcA + space.abcC, extent(dc, L" ").cx);
    EXPECT_FALSE(GetCharABCWidthsW(dc, L'C', L'A', abc));
    DeleteDC(dc);
}

std::vector<char> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Renames every "DejaVu Sans" in a font's name table (ASCII and UTF-16BE) to a family no
// installed font has, so that only the memory copy can answer for it.
void rename(std::vector<char>& font, const std::string& from, const std::string& to) {
    auto replaceAll = [&](const std::string& a, const std::string& b) {
        for (auto it = std::search(font.begin(), font.end(), a.begin(), a.end()); it != font.end();
             it = std::search(it + 1, font.end(), a.begin(), a.end()))
            std::copy(b.begin(), b.end(), it);
    };
    auto wide = [](const std::string& s) {
        std::string w;
        for (char c : s)
            w += std::string(1, '\0') + c;
        return w;
    };
    replaceAll(from, to);
    replaceAll(wide(from), wide(to));
}

std::string resolvedFamily(const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfHeight = -14;
    wcscpy(lf.lfFaceName, face);
    HFONT f = CreateFontIndirectW(&lf);
    PangoFont* loaded = pango_context_load_font(uiplatform::gdi::textContext(), uiplatform::gdi::asFont(f)->desc);
    PangoFontDescription* d = pango_font_describe(loaded);
    std::string family = pango_font_description_get_family(d);
    pango_font_description_free(d);
    g_object_unref(loaded);
    DeleteObject(f);
    return family;
}

TEST(Fonts, MemoryFontsRegisterAndRemove) {
    std::vector<char> bytes = readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_FALSE(bytes.empty());
    rename(bytes, "DejaVu Sans", "QuorvelTest");
    EXPECT_NE(resolvedFamily(L"QuorvelTest"), "QuorvelTest");
    DWORD count = 0;
    HANDLE h = AddFontMemResourceEx(bytes.data(), (DWORD)bytes.size(), nullptr, &count);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(resolvedFamily(L"QuorvelTest"), "QuorvelTest");
    EXPECT_TRUE(RemoveFontMemResourceEx(h));
    EXPECT_NE(resolvedFamily(L"QuorvelTest"), "QuorvelTest");
    EXPECT_FALSE(RemoveFontMemResourceEx(h));
    char garbage[64] = "not a font";
    EXPECT_EQ(AddFontMemResourceEx(garbage, sizeof garbage, nullptr, &count), nullptr);
    EXPECT_EQ(AddFontMemResourceEx(bytes.data(), (DWORD)bytes.size(), nullptr, nullptr), nullptr);
}

} // namespace
