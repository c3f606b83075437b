// Bitmaps, solid brushes, fills and block transfers.
#include "ui/platform/gdi/objects.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace uiplatform::gdi;

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                DWORD offset) {
    if (ppvBits)
        *ppvBits = nullptr;
    if ((hdc && !asDc(hdc)) || !pbmi || usage != DIB_RGB_COLORS || hSection || offset != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    // Only the 32-bit uncompressed format exists on this platform.
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biPlanes != 1 ||
        h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool bottomUp = h.biHeight > 0;
    Bitmap* b = newBitmap(h.biWidth, bottomUp ? h.biHeight : -h.biHeight, true, bottomUp);
    if (!b) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (ppvBits)
        *ppvBits = b->memory;
    return reinterpret_cast<HBITMAP>(b);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    if (!asDc(hdc) || cx <= 0 || cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Bitmap* b = newBitmap(cx, cy, false, false);
    if (!b) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<HBITMAP>(b);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto* b = new Brush();
    b->color = color & 0xFFFFFF;
    registerObject(b);
    return reinterpret_cast<HBRUSH>(b);
}

namespace uiplatform::gdi {

void fillDevice(Dc* dc, const RECT& area, uint32_t pixel) {
    cairo_surface_t* s = dc->target();
    cairo_surface_flush(s);
    forEachClipped(dc, area, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y)
            std::fill(row(s, y) + r.left, row(s, y) + r.right, pixel);
    });
    cairo_surface_mark_dirty(s);
}

} // namespace uiplatform::gdi

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    Dc* dc = asDc(hDC);
    Brush* b = asBrush(hbr);
    if (!dc || !lprc || !b) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!b->hollow)
        fillDevice(dc, dc->toDevice(*lprc), opaquePixel(b->color));
    return 1;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Dc* dst = asDc(hdc);
    Dc* src = asDc(hdcSrc);
    if (!dst || !src || rop != SRCCOPY || cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    POINT d = dst->toDevice(x, y);
    POINT s = src->toDevice(x1, y1);
    // Only pixels that exist in the source are copied.
    int sx0 = std::max(s.x, 0), sy0 = std::max(s.y, 0);
    int sx1 = std::min<long long>(static_cast<long long>(s.x) + cx, src->width());
    int sy1 = std::min<long long>(static_cast<long long>(s.y) + cy, src->height());
    if (sx0 >= sx1 || sy0 >= sy1)
        return TRUE;
    int dx = d.x - s.x, dy = d.y - s.y;
    cairo_surface_t* from = src->target();
    cairo_surface_t* to = dst->target();
    cairo_surface_flush(from);
    cairo_surface_flush(to);
    // Copying within one surface goes through a copy of the source so overlaps work.
    std::vector<uint32_t> copy;
    int copyWidth = sx1 - sx0;
    if (from == to) {
        copy.resize(static_cast<size_t>(copyWidth) * (sy1 - sy0));
        for (int yy = sy0; yy < sy1; ++yy)
            std::memcpy(&copy[static_cast<size_t>(yy - sy0) * copyWidth], row(from, yy) + sx0,
                        static_cast<size_t>(copyWidth) * 4);
    }
    forEachClipped(dst, RECT{sx0 + dx, sy0 + dy, sx1 + dx, sy1 + dy}, [&](const RECT& r) {
        for (int yy = r.top; yy < r.bottom; ++yy) {
            const uint32_t* line = copy.empty()
                                       ? row(from, yy - dy) + (r.left - dx)
                                       : &copy[static_cast<size_t>(yy - dy - sy0) * copyWidth + (r.left - dx - sx0)];
            std::memcpy(row(to, yy) + r.left, line, static_cast<size_t>(r.right - r.left) * 4);
        }
    });
    cairo_surface_mark_dirty(to);
    return TRUE;
}
