// Small helpers shared by the GDI tests: a DIB-backed memory DC and pixel reads.
#pragma once

#include "ui/platform/win32.h"

#include <cstdint>

struct DibDc {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    bool bottomUp = false;

    DibDc(int w, int h, bool bottomUpRows = false, uint32_t fill = 0) : width(w), height(h), bottomUp(bottomUpRows) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = bottomUpRows ? h : -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
        for (int i = 0; i < w * h; ++i)
            bits[i] = fill;
    }
    ~DibDc() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // Pixel at window coordinates (row 0 at the top).
    uint32_t& at(int x, int y) { return bits[(bottomUp ? height - 1 - y : y) * width + x]; }
    int count(uint32_t value) const {
        int n = 0;
        for (int i = 0; i < width * height; ++i)
            n += bits[i] == value;
        return n;
    }
};
