// Text and objects used from several threads at once, as worker threads of the framework do
// when they measure text: the shared font tables and object table stay consistent.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(GdiThreads, FontsMetricsAndTextFromSeveralThreadsAgree) {
    constexpr int kThreads = 3;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    TEXTMETRICW reference{};
    {
        DibDc dib(8, 8);
        ASSERT_TRUE(GetTextMetricsW(dib.dc, &reference));
    }
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                DibDc dib(120, 40);
                TEXTMETRICW tm{};
                if (!GetTextMetricsW(dib.dc, &tm) || tm.tmHeight != reference.tmHeight) ++mismatches;
                HFONT font = CreateFontW(-12 - t, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                                         0, L"Tahoma");
                HGDIOBJ old = SelectObject(dib.dc, font);
                RECT r{0, 0, 120, 40};
                DrawTextW(dib.dc, L"Quorvel 123", -1, &r, DT_CALCRECT | DT_SINGLELINE);
                if (r.right <= 0) ++mismatches;
                HBRUSH brush = CreateSolidBrush(RGB(t, i, 0));
                RECT fill{0, 0, 4, 4};
                FillRect(dib.dc, &fill, brush);
                DeleteObject(brush);
                SelectObject(dib.dc, old);
                DeleteObject(font);
                HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
                SelectObject(dib.dc, stock);
                if (!GetTextMetricsW(dib.dc, &tm)) ++mismatches;
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(mismatches, 0);
}

// One font and one bitmap shared by DCs of several threads: every selection is counted, so
// the font goes exactly when it is deleted, and the bitmap is never in two DCs at once.
TEST(GdiThreads, SharedObjectsAreCountedAndOwnedAcrossThreads) {
    constexpr int kThreads = 3, kRounds = 300;
    HFONT font = CreateFontW(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    DibDc shared(4, 4);
    HBITMAP bitmap = CreateCompatibleBitmap(shared.dc, 4, 4);
    ASSERT_NE(font, nullptr);
    ASSERT_NE(bitmap, nullptr);
    std::atomic<int> holders{0}, maxHolders{0}, failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&] {
            HDC dc = CreateCompatibleDC(nullptr);
            for (int i = 0; i < kRounds; ++i) {
                HGDIOBJ oldFont = SelectObject(dc, font);
                if (!oldFont) ++failures;
                SelectObject(dc, oldFont);
                HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
                if (oldBitmap) {
                    int now = ++holders;
                    int seen = maxHolders;
                    while (now > seen && !maxHolders.compare_exchange_weak(seen, now)) {
                    }
                    --holders;
                    SelectObject(dc, oldBitmap);
                }
            }
            DeleteDC(dc);
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(maxHolders, 1);
    LOGFONTW lf{};
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), 0); // no selection is left over: it is gone
    EXPECT_TRUE(DeleteObject(bitmap));
}
