#include "tests/platform/gdi/gdi_test_util.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

TEST(Lines, LineToLeavesOutTheLastPixelAndMovesTheCurrentPosition) {
    DibDc d(10, 10);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(d.dc, pen);
    MoveToEx(d.dc, 1, 1, nullptr);
    EXPECT_TRUE(LineTo(d.dc, 6, 1));
    EXPECT_TRUE(LineTo(d.dc, 6, 4));
    EXPECT_EQ(d.at(1, 1), kRed);
    EXPECT_EQ(d.at(5, 1), kRed);
    EXPECT_EQ(d.at(6, 1), kRed); // drawn by the second line, which starts there
    EXPECT_EQ(d.at(6, 3), kRed);
    EXPECT_EQ(d.at(6, 4), 0u);
    EXPECT_EQ(d.count(kRed), 8);
    POINT cur{};
    MoveToEx(d.dc, 0, 0, &cur);
    EXPECT_EQ(cur.x, 6);
    EXPECT_EQ(cur.y, 4);
    // Diagonal: one pixel per step.
    MoveToEx(d.dc, 0, 9, nullptr);
    LineTo(d.dc, 3, 6);
    EXPECT_EQ(d.at(1, 8), kRed);
    EXPECT_EQ(d.at(3, 6), 0u);
    SelectObject(d.dc, old);
    DeleteObject(pen);
}

TEST(Lines, DashesAndDotsAndNullPen) {
    struct Case {
        int style;
        int drawn; // pixels of a 48-pixel line
    } cases[] = {{PS_SOLID, 48}, {PS_DASH, 36}, {PS_DOT, 24}, {PS_NULL, 0}};
    for (const Case& c : cases) {
        DibDc d(50, 1);
        HPEN pen = CreatePen(c.style, 1, RGB(0, 0, 255));
        HGDIOBJ old = SelectObject(d.dc, pen);
        MoveToEx(d.dc, 0, 0, nullptr);
        LineTo(d.dc, 48, 0);
        EXPECT_EQ(d.count(kBlue), c.drawn) << c.style;
        SelectObject(d.dc, old);
        DeleteObject(pen);
    }
    EXPECT_EQ(CreatePen(99, 1, 0), nullptr);
}

TEST(Shapes, RectangleExcludesRightAndBottomEdgesAndShrinksWithoutPen) {
    DibDc d(12, 12);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(d.dc, pen);
    HGDIOBJ oldBrush = SelectObject(d.dc, brush);
    EXPECT_TRUE(Rectangle(d.dc, 1, 1, 6, 6));
    EXPECT_EQ(d.at(1, 1), kRed);
    EXPECT_EQ(d.at(5, 5), kRed);
    EXPECT_EQ(d.at(6, 6), 0u);
    EXPECT_EQ(d.at(3, 3), kBlue);
    EXPECT_EQ(d.count(kRed), 16);
    EXPECT_EQ(d.count(kBlue), 9);
    SelectObject(d.dc, GetStockObject(NULL_PEN));
    Rectangle(d.dc, 6, 6, 10, 10);
    EXPECT_EQ(d.count(kBlue), 9 + 9);
    EXPECT_EQ(d.at(9, 9), 0u);
    // Hollow brush with a pen: only the outline.
    SelectObject(d.dc, pen);
    SelectObject(d.dc, GetStockObject(NULL_BRUSH));
    Rectangle(d.dc, 0, 0, 12, 12);
    EXPECT_EQ(d.at(11, 11), kRed);
    EXPECT_EQ(d.at(0, 6), kRed);
    SelectObject(d.dc, oldPen);
    SelectObject(d.dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(Shapes, RoundRectCutsCornersAndKeepsEdges) {
    DibDc d(40, 20);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(d.dc, pen);
    HGDIOBJ oldBrush = SelectObject(d.dc, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(RoundRect(d.dc, 0, 0, 40, 20, 10, 10));
    EXPECT_EQ(d.at(0, 0), 0u);
    EXPECT_EQ(d.at(39, 19), 0u);
    EXPECT_EQ(d.at(20, 0), kRed);
    EXPECT_EQ(d.at(20, 19), kRed);
    EXPECT_EQ(d.at(0, 10), kRed);
    EXPECT_EQ(d.at(39, 10), kRed);
    EXPECT_EQ(d.at(20, 10), 0u); // hollow inside
    SelectObject(d.dc, oldPen);
    SelectObject(d.dc, oldBrush);
    DeleteObject(pen);
}

TEST(Shapes, WidePensDrawSolidAndCrisp) {
    DibDc d(20, 20);
    HPEN pen = CreatePen(PS_DASH, 3, RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(d.dc, pen);
    MoveToEx(d.dc, 2, 10, nullptr);
    LineTo(d.dc, 17, 10);
    for (int x = 4; x < 16; ++x)
        for (int y = 9; y <= 11; ++y)
            EXPECT_EQ(d.at(x, y), kBlue) << x << "," << y;
    EXPECT_EQ(d.at(10, 8), 0u);
    EXPECT_EQ(d.at(10, 12), 0u);
    SelectObject(d.dc, old);
    DeleteObject(pen);
}

} // namespace
