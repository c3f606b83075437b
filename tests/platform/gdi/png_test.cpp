#include "tests/platform/gdi/gdi_test_util.h"
#include "ui/platform/host.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdlib>
#include <string>

namespace {

std::string tempPng(const char* name) {
    char dir[] = "/tmp/gdi-png-XXXXXX";
    const char* made = mkdtemp(dir);
    return std::string(made ? made : "/tmp") + "/" + name;
}

TEST(Png, WritesBottomUpBitmapsTheRightWayUp) {
    DibDc d(3, 2, true);
    d.at(0, 0) = 0xFFFF0000u;  // top-left red
    d.at(2, 1) = 0x80000080u;  // bottom-right half-transparent blue (premultiplied)
    std::string path = tempPng("dc.png");
    ASSERT_TRUE(uiplatform::WriteDCToPng(d.dc, path.c_str()));
    cairo_surface_t* back = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
    auto px = [&](int x, int y) {
        return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(back) + y * cairo_image_surface_get_stride(back))[x];
    };
    EXPECT_EQ(px(0, 0), 0xFFFF0000u);
    EXPECT_EQ(px(2, 1), 0x80000080u);
    cairo_surface_destroy(back);
    EXPECT_TRUE(uiplatform::WriteBitmapToPng(d.bitmap, path.c_str()));
    EXPECT_TRUE(uiplatform::WriteImageToPng(d.bits + 3, 3, 2, -12, path.c_str()));
    EXPECT_FALSE(uiplatform::WriteImageToPng(d.bits, 3, 2, 4, path.c_str()));
    EXPECT_FALSE(uiplatform::WriteDCToPng(nullptr, path.c_str()));
    EXPECT_FALSE(uiplatform::WriteDCToPng(d.dc, "/nonexistent-dir/x.png"));
}

} // namespace
