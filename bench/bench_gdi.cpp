// Cost of the blits a full 650 x 416 installer frame needs, against a plain memcpy of the
// same bytes. Prints each operation's time as a multiple of the memcpy time.
#include "ui/platform/win32.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 650;
constexpr int kHeight = 416;

struct Frame {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    explicit Frame(uint32_t fill) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = kWidth;
        bi.bmiHeader.biHeight = kHeight; // bottom-up like the paint manager's buffer
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        for (int i = 0; i < kWidth * kHeight; ++i)
            bits[i] = fill;
    }
    ~Frame() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
};

void Memcpy(benchmark::State& state) {
    std::vector<uint32_t> from(kWidth * kHeight, 0xFF102030u), to(kWidth * kHeight);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BitBltFrame(benchmark::State& state) {
    Frame src(0xFF102030u), dst(0);
    for (auto _ : state) {
        BitBlt(dst.dc, 0, 0, kWidth, kHeight, src.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
}

void AlphaBlendFrame(benchmark::State& state) {
    Frame src(0x80402010u), dst(0xFF808080u);
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (auto _ : state) {
        AlphaBlend(dst.dc, 0, 0, kWidth, kHeight, src.dc, 0, 0, kWidth, kHeight, bf);
        benchmark::ClobberMemory();
    }
}

void GradientFrame(benchmark::State& state) {
    Frame dst(0);
    TRIVERTEX v[2] = {{0, 0, 0x2000, 0x8000, 0xF000, 0xFF00}, {kWidth, kHeight, 0x8000, 0xD000, 0xFF00, 0xFF00}};
    GRADIENT_RECT r{0, 1};
    for (auto _ : state) {
        GradientFill(dst.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(Memcpy);
BENCHMARK(BitBltFrame);
BENCHMARK(AlphaBlendFrame);
BENCHMARK(GradientFrame);

// Keeps each benchmark's time so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto base = times_.find("Memcpy");
        if (base == times_.end() || base->second <= 0)
            return;
        std::printf("\nTime per 650 x 416 frame relative to memcpy of the same bytes:\n");
        for (const auto& [name, time] : times_)
            if (name != "Memcpy")
                std::printf("  %-16s %8.2fx\n", name.c_str(), time / base->second);
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
