// Regions (cairo regions: sorted bands of pixel rectangles) and DC clipping.
#include "ui/platform/gdi/objects.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace uiplatform::gdi;

namespace {

constexpr int kMaxEllipse = 1 << 15;

HRGN wrap(cairo_region_t* r) {
    if (cairo_region_status(r) != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(r);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* reg = new Region();
    reg->region = r;
    registerObject(reg);
    return reinterpret_cast<HRGN>(reg);
}

cairo_region_t* rectRegion(int x1, int y1, int x2, int y2) {
    x1 = clampCoord(x1), y1 = clampCoord(y1), x2 = clampCoord(x2), y2 = clampCoord(y2);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    cairo_rectangle_int_t r{x1, y1, x2 - x1, y2 - y1};
    return (r.width > 0 && r.height > 0) ? cairo_region_create_rectangle(&r) : cairo_region_create();
}

} // namespace

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) { return wrap(rectRegion(x1, y1, x2, y2)); }

HRGN WINAPI CreateRectRgnIndirect(const RECT* lprect) {
    if (!lprect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

// Like Windows, the rounded region leaves out the right column and the bottom row of
// the given rectangle; each corner keeps the pixels whose centres lie inside the ellipse.
HRGN WINAPI CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
    x1 = clampCoord(x1), y1 = clampCoord(y1), x2 = clampCoord(x2), y2 = clampCoord(y2);
    w = clampCoord(w), h = clampCoord(h);
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    int right = x2 - 1, bottom = y2 - 1;
    int width = right - x1, height = bottom - y1;
    if (width <= 0 || height <= 0)
        return wrap(cairo_region_create());
    int ew = std::min(std::abs(w), width), eh = std::min(std::abs(h), height);
    if (ew < 2 || eh < 2)
        return wrap(rectRegion(x1, y1, right, bottom));
    // Every corner row is a band of its own; beyond this the region would not fit in memory.
    if (ew > kMaxEllipse || eh > kMaxEllipse) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    double a = ew / 2.0, b = eh / 2.0;
    std::vector<cairo_rectangle_int_t> rows;
    int cornerRows = (eh + 1) / 2;
    for (int j = 0; j < cornerRows; ++j) {
        double d = b - (j + 0.5);
        double dx = d >= b ? 0.0 : a * std::sqrt(std::max(0.0, 1.0 - (d / b) * (d / b)));
        int inset = std::max(0, static_cast<int>(std::ceil(a - dx - 0.5)));
        if (2 * inset >= width)
            continue;
        rows.push_back(cairo_rectangle_int_t{x1 + inset, y1 + j, width - 2 * inset, 1});
        if (bottom - 1 - j > y1 + j)
            rows.push_back(cairo_rectangle_int_t{x1 + inset, bottom - 1 - j, width - 2 * inset, 1});
    }
    if (height > 2 * cornerRows)
        rows.push_back(cairo_rectangle_int_t{x1, y1 + cornerRows, width, height - 2 * cornerRows});
    cairo_region_t* r = cairo_region_create_rectangles(rows.data(), static_cast<int>(rows.size()));
    return wrap(r);
}

int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
    Region* dst = asRegion(hrgnDst);
    Region* a = asRegion(hrgnSrc1);
    Region* b = asRegion(hrgnSrc2);
    if (!dst || !a || (iMode != RGN_COPY && !b) || iMode < RGN_AND || iMode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    cairo_region_t* r = cairo_region_copy(a->region);
    cairo_status_t st = CAIRO_STATUS_SUCCESS;
    switch (iMode) {
    case RGN_AND:
        st = cairo_region_intersect(r, b->region);
        break;
    case RGN_OR:
        st = cairo_region_union(r, b->region);
        break;
    case RGN_XOR:
        st = cairo_region_xor(r, b->region);
        break;
    case RGN_DIFF:
        st = cairo_region_subtract(r, b->region);
        break;
    default:
        break;
    }
    if (st != CAIRO_STATUS_SUCCESS) {
        cairo_region_destroy(r);
        return ERROR;
    }
    cairo_region_destroy(dst->region);
    dst->region = r;
    return regionType(r);
}

int WINAPI OffsetRgn(HRGN hrgn, int x, int y) {
    Region* r = asRegion(hrgn);
    if (!r)
        return ERROR;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(r->region, &e);
    if (!cairo_region_is_empty(r->region) &&
        (static_cast<long long>(e.x) + x < -kCoordLimit || static_cast<long long>(e.x) + e.width + x > kCoordLimit ||
         static_cast<long long>(e.y) + y < -kCoordLimit || static_cast<long long>(e.y) + e.height + y > kCoordLimit))
        return ERROR; // would leave the coordinate space; the region stays as it was
    if (cairo_region_is_empty(r->region))
        return NULLREGION;
    cairo_region_translate(r->region, x, y);
    return regionType(r->region);
}

int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc) {
    Region* r = asRegion(hrgn);
    if (!r || !lprc)
        return ERROR;
    cairo_rectangle_int_t e;
    cairo_region_get_extents(r->region, &e);
    *lprc = cairo_region_is_empty(r->region) ? RECT{0, 0, 0, 0} : RECT{e.x, e.y, e.x + e.width, e.y + e.height};
    return regionType(r->region);
}

BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y) {
    Region* r = asRegion(hrgn);
    return r && cairo_region_contains_point(r->region, x, y);
}

BOOL WINAPI RectInRegion(HRGN hrgn, const RECT* lprect) {
    Region* r = asRegion(hrgn);
    if (!r || !lprect)
        return FALSE;
    RECT n = *lprect;
    if (n.left > n.right)
        std::swap(n.left, n.right);
    if (n.top > n.bottom)
        std::swap(n.top, n.bottom);
    cairo_rectangle_int_t c{n.left, n.top, n.right - n.left, n.bottom - n.top};
    if (c.width == 0 || c.height == 0)
        return FALSE;
    return cairo_region_contains_rectangle(r->region, &c) != CAIRO_REGION_OVERLAP_OUT;
}

BOOL WINAPI EqualRgn(HRGN hrgn1, HRGN hrgn2) {
    Region* a = asRegion(hrgn1);
    Region* b = asRegion(hrgn2);
    if (!a || !b)
        return ERROR;
    return cairo_region_equal(a->region, b->region) ? TRUE : FALSE;
}

BOOL WINAPI SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
    Region* r = asRegion(hrgn);
    if (!r)
        return FALSE;
    cairo_region_destroy(r->region);
    r->region = rectRegion(left, top, right, bottom);
    return TRUE;
}

// ---- clipping ----

namespace {

int clipType(Dc* dc) {
    cairo_region_t* e = dc->effectiveClip();
    int t = regionType(e);
    cairo_region_destroy(e);
    return t;
}

void setClip(Dc* dc, cairo_region_t* r) {
    if (dc->state.clip)
        cairo_region_destroy(dc->state.clip);
    dc->state.clip = r;
}

} // namespace

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn) { return ExtSelectClipRgn(hdc, hrgn, RGN_COPY); }

int WINAPI ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode) {
    Dc* dc = asDc(hdc);
    if (!dc || mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    Region* r = asRegion(hrgn);
    if (!r) {
        if (hrgn || mode != RGN_COPY) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return ERROR;
        }
        setClip(dc, nullptr);
        return clipType(dc);
    }
    if (mode == RGN_COPY) {
        setClip(dc, cairo_region_copy(r->region));
        return clipType(dc);
    }
    // Without a clip region the whole surface is the current clip.
    cairo_region_t* cur;
    if (dc->state.clip) {
        cur = cairo_region_copy(dc->state.clip);
    } else {
        cairo_rectangle_int_t all{0, 0, dc->width(), dc->height()};
        cur = cairo_region_create_rectangle(&all);
    }
    switch (mode) {
    case RGN_AND:
        cairo_region_intersect(cur, r->region);
        break;
    case RGN_OR:
        cairo_region_union(cur, r->region);
        break;
    case RGN_XOR:
        cairo_region_xor(cur, r->region);
        break;
    case RGN_DIFF:
        cairo_region_subtract(cur, r->region);
        break;
    }
    setClip(dc, cur);
    return clipType(dc);
}

int WINAPI GetClipBox(HDC hdc, LPRECT lprect) {
    Dc* dc = asDc(hdc);
    if (!dc || !lprect)
        return ERROR;
    cairo_region_t* e = dc->effectiveClip();
    int t = regionType(e);
    cairo_rectangle_int_t x;
    cairo_region_get_extents(e, &x);
    cairo_region_destroy(e);
    if (t == NULLREGION) {
        *lprect = RECT{0, 0, 0, 0};
        return t;
    }
    // Back to logical coordinates.
    int dx = dc->state.windowOrg.x - dc->state.viewportOrg.x;
    int dy = dc->state.windowOrg.y - dc->state.viewportOrg.y;
    *lprect = RECT{x.x + dx, x.y + dy, x.x + x.width + dx, x.y + x.height + dy};
    return t;
}

int WINAPI GetClipRgn(HDC hdc, HRGN hrgn) {
    Dc* dc = asDc(hdc);
    Region* r = asRegion(hrgn);
    if (!dc || !r)
        return -1;
    if (!dc->state.clip)
        return 0;
    cairo_region_destroy(r->region);
    r->region = cairo_region_copy(dc->state.clip);
    return 1;
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return ERROR;
    RECT d = dc->toDevice(RECT{left, top, right, bottom});
    cairo_region_t* rect = rectRegion(d.left, d.top, d.right, d.bottom);
    if (dc->state.clip) {
        cairo_region_intersect(dc->state.clip, rect);
        cairo_region_destroy(rect);
    } else {
        cairo_rectangle_int_t all{0, 0, dc->width(), dc->height()};
        cairo_region_intersect_rectangle(rect, &all);
        dc->state.clip = rect;
    }
    return clipType(dc);
}
