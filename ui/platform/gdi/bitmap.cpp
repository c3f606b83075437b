// Bitmaps, solid brushes, fills and block transfers.
#include "ui/platform/gdi/objects.h"
#include "ui/platform/kernel/modules.h"

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

namespace {

// Copies cx x cy pixels between device positions; only pixels that exist in the source move.
void copyDevice(Dc* dst, Dc* src, POINT d, POINT s, int cx, int cy) {
    int sx0 = std::max(s.x, 0), sy0 = std::max(s.y, 0);
    int sx1 = static_cast<int>(std::min<long long>(static_cast<long long>(s.x) + cx, src->width()));
    int sy1 = static_cast<int>(std::min<long long>(static_cast<long long>(s.y) + cy, src->height()));
    if (sx0 >= sx1 || sy0 >= sy1)
        return;
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
}

} // namespace

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    Dc* dst = asDc(hdc);
    Dc* src = asDc(hdcSrc);
    if (!dst || !src || rop != SRCCOPY || cx < 0 || cy < 0 || cx > kCoordLimit || cy > kCoordLimit) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    copyDevice(dst, src, dst->toDevice(x, y), src->toDevice(x1, y1), cx, cy);
    return TRUE;
}

// ---- stretching, blending and gradients ----

namespace {

// x / 255 rounded to nearest (exact for x <= 255 * 255) on the two bytes of each 16-bit
// lane of `lanes` (0x00XX00YY form).
inline uint32_t div255Lanes(uint32_t lanes) {
    lanes += 0x00800080u;
    return ((lanes + ((lanes >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Every channel times a / 255, rounded.
inline uint32_t scalePixel(uint32_t p, uint32_t a) {
    return div255Lanes((p & 0x00FF00FFu) * a) | div255Lanes(((p >> 8) & 0x00FF00FFu) * a) << 8;
}

// Premultiplied source over destination: d = s + d * (255 - sa) / 255 per channel.
inline uint32_t over(uint32_t s, uint32_t d) {
    uint32_t sa = s >> 24;
    if (sa == 255)
        return s;
    if (s == 0)
        return d;
    uint32_t dScaled = scalePixel(d, 255 - sa);
    // A colour channel above alpha is not premultiplied; saturate instead of wrapping.
    if (((s >> 16) & 0xFF) > sa || ((s >> 8) & 0xFF) > sa || (s & 0xFF) > sa) {
        uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8)
            result |= std::min<uint32_t>(((s >> shift) & 0xFF) + ((dScaled >> shift) & 0xFF), 255) << shift;
        return result;
    }
    return s + dScaled;
}

// Constant-alpha mix: d = (s * a + d * (255 - a)) / 255 per channel.
inline uint32_t mix(uint32_t s, uint32_t d, uint32_t a) {
    uint32_t inv = 255 - a;
    uint32_t rb = div255Lanes((s & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * inv);
    uint32_t ag = div255Lanes(((s >> 8) & 0x00FF00FFu) * a + ((d >> 8) & 0x00FF00FFu) * inv);
    return rb | ag << 8;
}

struct Span {
    int origin;
    int size;
    bool flip;
};

// Negative sizes mirror; the span is normalised to a positive size.
Span normalise(int origin, int size) {
    if (size < 0)
        return Span{origin + size, -size, true};
    return Span{origin, size, false};
}

// The pixels of `part` (relative to the destination's top-left) of a source rectangle
// resampled to a dw x dh destination, premultiplied ARGB32. Nearest-neighbour takes the source
// pixel under each destination pixel centre; HALFTONE averages (box filter when shrinking,
// bilinear when growing). Coordinates outside the source repeat its edge pixels.
std::vector<uint32_t> resample(cairo_surface_t* from, Span sx, Span sy, int dw, int dh, bool halftone, bool flipX,
                               bool flipY, const RECT& part) {
    const int pw = part.right - part.left, ph = part.bottom - part.top;
    std::vector<uint32_t> out(static_cast<size_t>(pw) * ph);
    int fw = cairo_image_surface_get_width(from), fh = cairo_image_surface_get_height(from);
    cairo_surface_flush(from);
    if (halftone) {
        cairo_surface_t* tmp = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(out.data()),
                                                                   CAIRO_FORMAT_ARGB32, pw, ph, pw * 4);
        cairo_t* cr = cairo_create(tmp);
        cairo_pattern_t* p = cairo_pattern_create_for_surface(from);
        // Destination pixel (part.left + u) maps to source x = origin + i * size / dw, mirrored when flipped.
        double xx = static_cast<double>(sx.size) / dw, yy = static_cast<double>(sy.size) / dh;
        double x0 = sx.origin + (flipX ? sx.size : 0), y0 = sy.origin + (flipY ? sy.size : 0);
        if (flipX)
            xx = -xx;
        if (flipY)
            yy = -yy;
        cairo_matrix_t m;
        cairo_matrix_init(&m, xx, 0, 0, yy, x0 + xx * part.left, y0 + yy * part.top);
        cairo_pattern_set_matrix(p, &m);
        cairo_pattern_set_filter(p, CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
        cairo_set_source(cr, p);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_pattern_destroy(p);
        cairo_destroy(cr);
        cairo_surface_finish(tmp);
        cairo_surface_destroy(tmp);
        return out;
    }
    auto sample = [](const Span& span, int i, int n, bool flip, int limit) {
        int k = flip ? n - 1 - i : i;
        long long v = span.origin + (static_cast<long long>(2 * k + 1) * span.size) / (2LL * n);
        return static_cast<int>(std::clamp<long long>(v, 0, limit - 1));
    };
    std::vector<int> xs(static_cast<size_t>(pw));
    for (int u = 0; u < pw; ++u)
        xs[u] = sample(sx, part.left + u, dw, flipX, fw);
    for (int v = 0; v < ph; ++v) {
        const uint32_t* line = uiplatform::gdi::row(from, sample(sy, part.top + v, dh, flipY, fh));
        uint32_t* o = &out[static_cast<size_t>(v) * pw];
        for (int u = 0; u < pw; ++u)
            o[u] = line[xs[u]];
    }
    return out;
}

// The part of a destination rectangle that lies on the surface, relative to the rectangle.
RECT visiblePart(const Dc* dc, int x, int y, int w, int h) {
    RECT r{std::max(0, -x), std::max(0, -y), std::min(w, dc->width() - x), std::min(h, dc->height() - y)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

} // namespace

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop) {
    Dc* dst = asDc(hdcDest);
    Dc* src = asDc(hdcSrc);
    auto tooBig = [](int v) { return v < -kCoordLimit || v > kCoordLimit; };
    if (!dst || !src || rop != SRCCOPY || tooBig(wDest) || tooBig(hDest) || tooBig(wSrc) || tooBig(hSrc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return TRUE;
    POINT d = dst->toDevice(xDest, yDest);
    POINT s = src->toDevice(xSrc, ySrc);
    Span dx = normalise(d.x, wDest), dy = normalise(d.y, hDest);
    Span sx = normalise(s.x, wSrc), sy = normalise(s.y, hSrc);
    bool flipX = dx.flip != sx.flip, flipY = dy.flip != sy.flip;
    if (!flipX && !flipY && dx.size == sx.size && dy.size == sy.size) {
        copyDevice(dst, src, POINT{dx.origin, dy.origin}, POINT{sx.origin, sy.origin}, dx.size, dy.size);
        return TRUE;
    }
    RECT part = visiblePart(dst, dx.origin, dy.origin, dx.size, dy.size);
    if (part.left >= part.right || part.top >= part.bottom)
        return TRUE;
    std::vector<uint32_t> pixels =
        resample(src->target(), sx, sy, dx.size, dy.size, dst->state.stretchMode == HALFTONE, flipX, flipY, part);
    const int pw = part.right - part.left;
    const int px = dx.origin + part.left, py = dy.origin + part.top;
    cairo_surface_t* to = dst->target();
    cairo_surface_flush(to);
    forEachClipped(dst, RECT{px, py, dx.origin + part.right, dy.origin + part.bottom}, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(row(to, y) + r.left, &pixels[static_cast<size_t>(y - py) * pw + (r.left - px)],
                        static_cast<size_t>(r.right - r.left) * 4);
    });
    cairo_surface_mark_dirty(to);
    return TRUE;
}

BOOL WINAPI AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                       int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn) {
    Dc* dst = asDc(hdcDest);
    Dc* src = asDc(hdcSrc);
    if (!dst || !src || ftn.BlendOp != AC_SRC_OVER || ftn.BlendFlags != 0 || (ftn.AlphaFormat & ~AC_SRC_ALPHA) ||
        wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0 || wDest > kCoordLimit || hDest > kCoordLimit) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    POINT d = dst->toDevice(xoriginDest, yoriginDest);
    POINT s = src->toDevice(xoriginSrc, yoriginSrc);
    // The source rectangle must lie inside the source bitmap.
    if (s.x < 0 || s.y < 0 || static_cast<long long>(s.x) + wSrc > src->width() ||
        static_cast<long long>(s.y) + hSrc > src->height()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return TRUE;
    cairo_surface_t* from = src->target();
    cairo_surface_t* to = dst->target();
    if (from == to && d.x < s.x + wSrc && s.x < d.x + wDest && d.y < s.y + hSrc && s.y < d.y + hDest) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT part = visiblePart(dst, d.x, d.y, wDest, hDest);
    if (part.left >= part.right || part.top >= part.bottom)
        return TRUE;
    // AlphaBlend always stretches like COLORONCOLOR.
    std::vector<uint32_t> stretched;
    const bool sameSize = wDest == wSrc && hDest == hSrc;
    const int pw = part.right - part.left;
    const int px = d.x + part.left, py = d.y + part.top;
    if (!sameSize)
        stretched = resample(from, Span{s.x, wSrc, false}, Span{s.y, hSrc, false}, wDest, hDest, false, false, false,
                             part);
    cairo_surface_flush(from);
    cairo_surface_flush(to);
    const uint32_t sca = ftn.SourceConstantAlpha;
    const bool perPixel = (ftn.AlphaFormat & AC_SRC_ALPHA) != 0;
    forEachClipped(dst, RECT{px, py, d.x + part.right, d.y + part.bottom}, [&](const RECT& r) {
        for (int y = r.top; y < r.bottom; ++y) {
            const uint32_t* in = sameSize ? row(from, y - d.y + s.y) + (r.left - d.x + s.x)
                                          : &stretched[static_cast<size_t>(y - py) * pw + (r.left - px)];
            uint32_t* out = row(to, y) + r.left;
            for (int x = 0, n = r.right - r.left; x < n; ++x) {
                uint32_t sp = in[x];
                if (perPixel) {
                    if (sca != 255)
                        sp = scalePixel(sp, sca);
                    out[x] = over(sp, out[x]);
                } else {
                    out[x] = mix(sp, out[x], sca);
                }
            }
        }
    });
    cairo_surface_mark_dirty(to);
    return TRUE;
}

BOOL WINAPI GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode) {
    Dc* dc = asDc(hdc);
    if (!dc || !pVertex || !pMesh || (ulMode != GRADIENT_FILL_RECT_H && ulMode != GRADIENT_FILL_RECT_V)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* rects = static_cast<const GRADIENT_RECT*>(pMesh);
    for (ULONG m = 0; m < nMesh; ++m)
        if (rects[m].UpperLeft >= nVertex || rects[m].LowerRight >= nVertex) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    cairo_surface_t* to = dc->target();
    cairo_surface_flush(to);
    const bool horizontal = ulMode == GRADIENT_FILL_RECT_H;
    for (ULONG m = 0; m < nMesh; ++m) {
        const TRIVERTEX* a = &pVertex[rects[m].UpperLeft];
        const TRIVERTEX* b = &pVertex[rects[m].LowerRight];
        POINT pa = dc->toDevice(a->x, a->y), pb = dc->toDevice(b->x, b->y);
        // The colour runs from the vertex with the smaller coordinate along the gradient axis.
        if ((horizontal ? pa.x > pb.x : pa.y > pb.y)) {
            std::swap(a, b);
            std::swap(pa, pb);
        }
        RECT area{std::min(pa.x, pb.x), std::min(pa.y, pb.y), std::max(pa.x, pb.x), std::max(pa.y, pb.y)};
        int origin = horizontal ? area.left : area.top;
        long long length = horizontal ? area.right - area.left : area.bottom - area.top;
        auto colourAt = [&](int pos) -> uint32_t {
            long long i = pos - origin;
            auto lerp = [&](COLOR16 c0, COLOR16 c1) -> uint32_t {
                long long v = c0 + ((static_cast<long long>(c1) - c0) * i) / length;
                return static_cast<uint32_t>(v >> 8) & 0xFF;
            };
            return lerp(a->Blue, b->Blue) | lerp(a->Green, b->Green) << 8 | lerp(a->Red, b->Red) << 16 |
                   lerp(a->Alpha, b->Alpha) << 24;
        };
        forEachClipped(dc, area, [&](const RECT& r) {
            if (horizontal) {
                std::vector<uint32_t> line(static_cast<size_t>(r.right - r.left));
                for (int x = r.left; x < r.right; ++x)
                    line[x - r.left] = colourAt(x);
                for (int y = r.top; y < r.bottom; ++y)
                    std::memcpy(row(to, y) + r.left, line.data(), line.size() * 4);
            } else {
                for (int y = r.top; y < r.bottom; ++y)
                    std::fill(row(to, y) + r.left, row(to, y) + r.right, colourAt(y));
            }
        });
    }
    cairo_surface_mark_dirty(to);
    return TRUE;
}

// LoadLibraryW("msimg32.dll") and GetProcAddress hand out the two functions above.
namespace {
template <class F> FARPROC exported(F* fn) { return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fn)); }
const bool g_msimg32Registered = [] {
    uiplatform::RegisterModuleExport(L"msimg32.dll", "AlphaBlend", exported(&AlphaBlend));
    uiplatform::RegisterModuleExport(L"msimg32.dll", "GradientFill", exported(&GradientFill));
    return true;
}();
} // namespace
