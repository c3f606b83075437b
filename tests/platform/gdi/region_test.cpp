#include "tests/platform/gdi/gdi_test_util.h"

#include <gtest/gtest.h>

namespace {

TEST(Region, CombineModesAndTheirComplexity) {
    struct Case {
        int mode;
        int type;
        RECT box;
        POINT in, out;
    } cases[] = {
        {RGN_AND, SIMPLEREGION, {5, 5, 10, 10}, {7, 7}, {2, 2}},
        {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}, {12, 12}, {12, 2}},
        {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}, {2, 2}, {7, 7}},
        {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, {2, 2}, {7, 7}},
        {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}, {7, 7}, {12, 12}},
    };
    for (const Case& c : cases) {
        HRGN a = CreateRectRgn(0, 0, 10, 10);
        HRGN b = CreateRectRgn(5, 5, 15, 15);
        HRGN dst = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(CombineRgn(dst, a, c.mode == RGN_COPY ? nullptr : b, c.mode), c.type) << c.mode;
        RECT box{};
        EXPECT_EQ(GetRgnBox(dst, &box), c.type);
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.bottom, c.box.bottom) << c.mode;
        EXPECT_TRUE(PtInRegion(dst, c.in.x, c.in.y)) << c.mode;
        EXPECT_FALSE(PtInRegion(dst, c.out.x, c.out.y)) << c.mode;
        DeleteObject(a);
        DeleteObject(b);
        DeleteObject(dst);
    }
    HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(4, 0, 8, 4), dst = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(dst, a, b, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(dst, a, b, RGN_OR), SIMPLEREGION); // adjacent boxes merge
    EXPECT_EQ(CombineRgn(dst, a, nullptr, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(dst, a, b, 9), ERROR);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(dst);
}

TEST(Region, RectanglesExcludeRightAndBottomEdges) {
    HRGN r = CreateRectRgn(10, 10, 0, 0); // corners in any order
    EXPECT_TRUE(PtInRegion(r, 0, 0));
    EXPECT_TRUE(PtInRegion(r, 9, 9));
    EXPECT_FALSE(PtInRegion(r, 10, 9));
    RECT in{9, 9, 20, 20}, out{10, 0, 20, 10};
    EXPECT_TRUE(RectInRegion(r, &in));
    EXPECT_FALSE(RectInRegion(r, &out));
    EXPECT_EQ(OffsetRgn(r, 5, 0), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(r, 14, 0));
    HRGN same = CreateRectRgn(0, 0, 1, 1);
    EXPECT_FALSE(EqualRgn(r, same));
    EXPECT_TRUE(SetRectRgn(same, 15, 10, 5, 0));
    EXPECT_TRUE(EqualRgn(r, same));
    DeleteObject(r);
    DeleteObject(same);
}

// The rounded clip of a 160 x 40 control with 5 x 5 corners: the region is made one
// pixel larger and intersected with the control, and all four corners are cut.
TEST(Region, RoundRectLosesAllFourCornersIncludingBottomAndRightRows) {
    HRGN rect = CreateRectRgn(0, 0, 160, 40);
    HRGN round = CreateRoundRectRgn(0, 0, 161, 41, 5, 5);
    RECT box{};
    GetRgnBox(round, &box);
    EXPECT_EQ(box.right, 160); // right column and bottom row of the given box are left out
    EXPECT_EQ(box.bottom, 40);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(clip, rect, round, RGN_AND), COMPLEXREGION);
    for (POINT corner : {POINT{0, 0}, POINT{159, 0}, POINT{0, 39}, POINT{159, 39}})
        EXPECT_FALSE(PtInRegion(clip, corner.x, corner.y)) << corner.x << "," << corner.y;
    for (POINT edge : {POINT{80, 0}, POINT{80, 39}, POINT{0, 20}, POINT{159, 20}, POINT{1, 0}, POINT{158, 39},
                       POINT{0, 2}, POINT{159, 37}})
        EXPECT_TRUE(PtInRegion(clip, edge.x, edge.y)) << edge.x << "," << edge.y;
    // The shape is symmetric: as many pixels are cut at the bottom as at the top.
    DibDc d(160, 40);
    SelectClipRgn(d.dc, clip);
    RECT all{0, 0, 160, 40};
    FillRect(d.dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    int topCut = 0, bottomCut = 0;
    for (int x = 0; x < 160; ++x) {
        topCut += d.at(x, 0) == 0;
        bottomCut += d.at(x, 39) == 0;
    }
    EXPECT_EQ(topCut, bottomCut);
    EXPECT_GE(topCut, 2);
    DeleteObject(rect);
    DeleteObject(round);
    DeleteObject(clip);
}

TEST(Clip, ExtSelectClipRgnModesIntersectClipRectAndGetClipRgn) {
    DibDc d(20, 20);
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(d.dc, got), 0); // no clip yet
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    EXPECT_EQ(ExtSelectClipRgn(d.dc, a, RGN_DIFF), COMPLEXREGION); // whole surface minus a
    RECT box{};
    GetClipBox(d.dc, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(SelectClipRgn(d.dc, a), SIMPLEREGION);
    // The selected region was copied: changing it later changes nothing.
    OffsetRgn(a, 100, 100);
    SetWindowOrgEx(d.dc, 2, 2, nullptr);
    EXPECT_EQ(IntersectClipRect(d.dc, 2, 2, 7, 7), SIMPLEREGION); // device (0,0)-(5,5)
    EXPECT_EQ(GetClipBox(d.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 7); // logical
    EXPECT_EQ(GetClipRgn(d.dc, got), 1);
    GetRgnBox(got, &box);
    EXPECT_EQ(box.right, 5); // device
    HRGN far = CreateRectRgn(50, 50, 60, 60);
    EXPECT_EQ(ExtSelectClipRgn(d.dc, far, RGN_AND), NULLREGION);
    EXPECT_EQ(ExtSelectClipRgn(d.dc, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(ExtSelectClipRgn(d.dc, nullptr, RGN_AND), ERROR);
    EXPECT_EQ(GetClipRgn(d.dc, got), 0);
    // Selecting a region through SelectObject answers with the region type.
    EXPECT_EQ(SelectObject(d.dc, got), (HGDIOBJ)(intptr_t)SIMPLEREGION);
    DeleteObject(a);
    DeleteObject(far);
    DeleteObject(got);
}

} // namespace
