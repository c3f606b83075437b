// Painting: update regions, BeginPaint/EndPaint, window DCs on the backing store,
// presenting pixels to the backend, window shapes and layered windows.
#include "ui/platform/gdi/surface.h"
#include "ui/platform/window/manager.h"

#include <algorithm>
#include <cstring>

namespace uiplatform::wm {

namespace {

std::map<HDC, HWND>& DCs() {
    static auto* map = new std::map<HDC, HWND>();
    return *map;
}

// Where a window's client area lies in its top-level window's backing store.
POINT StoreOffset(Window* w) {
    Window* top = Find(TopLevelOf(w->hwnd));
    POINT o = ClientOrigin(w);
    return POINT{o.x - top->rect.left, o.y - top->rect.top};
}

cairo_rectangle_int_t ToCairo(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// The part of the store a window may draw into: its client area, inside its ancestors'
// client areas and inside the window shapes; store coordinates.
cairo_region_t* VisibleRegion(Window* w) {
    POINT off = StoreOffset(w);
    cairo_rectangle_int_t c{off.x, off.y, w->client.right - w->client.left, w->client.bottom - w->client.top};
    cairo_region_t* r = cairo_region_create_rectangle(&c);
    for (Window* a = w; a; a = Find(a->parent)) {
        Window* top = Find(TopLevelOf(a->hwnd));
        RECT sr = ScreenRect(a);
        int ox = sr.left - top->rect.left, oy = sr.top - top->rect.top;
        if (a != w) {
            POINT ao = StoreOffset(a);
            cairo_rectangle_int_t ac{ao.x, ao.y, a->client.right - a->client.left, a->client.bottom - a->client.top};
            cairo_region_intersect_rectangle(r, &ac);
        }
        if (a->shape) {
            cairo_region_t* s = cairo_region_copy(a->shape);
            cairo_region_translate(s, ox, oy);
            cairo_region_intersect(r, s);
            cairo_region_destroy(s);
        }
    }
    return r;
}

HDC MakeWindowDC(Window* w, const cairo_region_t* clientClip) {
    Window* top = Find(TopLevelOf(w->hwnd));
    if (!top || !top->store) return nullptr;
    HDC dc = CreateSurfaceDC(top->store);
    if (!dc) return nullptr;
    POINT off = StoreOffset(w);
    SetViewportOrgEx(dc, off.x, off.y, nullptr);
    cairo_region_t* clip = VisibleRegion(w);
    if (clientClip) {
        cairo_region_t* c = cairo_region_copy(clientClip);
        cairo_region_translate(c, off.x, off.y);
        cairo_region_intersect(clip, c);
        cairo_region_destroy(c);
    }
    SetDCSystemClip(dc, clip);
    cairo_region_destroy(clip);
    DCs()[dc] = w->hwnd;
    w->openDCs++;
    return dc;
}

cairo_surface_t* g_screenSurface = nullptr;

// A copy of the store with the caret drawn in, when the caret shows in this window.
cairo_surface_t* WithCaret(Window* top, RECT* dirty) {
    Caret& c = M().caret;
    if (!c.hwnd || c.hideCount != 0 || TopLevelOf(c.hwnd) != top->hwnd) return nullptr;
    Window* cw = Find(c.hwnd);
    if (!cw) return nullptr;
    POINT off = StoreOffset(cw);
    int w = cairo_image_surface_get_width(top->store), h = cairo_image_surface_get_height(top->store);
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, top->store, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(copy);
    unsigned char* data = cairo_image_surface_get_data(copy);
    int stride = cairo_image_surface_get_stride(copy);
    RECT cr2{off.x + c.pos.x, off.y + c.pos.y, off.x + c.pos.x + c.width, off.y + c.pos.y + c.height};
    RECT bounds{0, 0, top->rect.right - top->rect.left, top->rect.bottom - top->rect.top};
    IntersectRect(&cr2, &cr2, &bounds);
    for (int y = cr2.top; y < cr2.bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = cr2.left; x < cr2.right; ++x) row[x] = 0xff000000u | (~row[x] & 0x00ffffffu);
    }
    cairo_surface_mark_dirty(copy);
    UnionRect(dirty, dirty, &cr2);
    return copy;
}

} // namespace

void ResizeStore(Window* w) {
    if (w->parent) return;
    int width = std::max<LONG>(1, w->rect.right - w->rect.left), height = std::max<LONG>(1, w->rect.bottom - w->rect.top);
    if (w->store && cairo_image_surface_get_width(w->store) >= width && cairo_image_surface_get_height(w->store) >= height)
        return;
    // Room for the whole screen up front, so that DCs kept across a resize stay valid.
    int capW = std::max(width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    int capH = std::max(height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    if (w->store) {
        capW = std::max(capW, cairo_image_surface_get_width(w->store));
        capH = std::max(capH, cairo_image_surface_get_height(w->store));
    }
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, capW, capH);
    if (w->store) {
        cairo_t* cr = cairo_create(s);
        cairo_set_source_surface(cr, w->store, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(w->store);
    }
    w->store = s;
}

void FreeWindowPaint(Window* w) {
    if (w->update) cairo_region_destroy(w->update);
    w->update = nullptr;
    if (w->shape) cairo_region_destroy(w->shape);
    w->shape = nullptr;
    if (w->shapeHandle) DeleteObject(w->shapeHandle);
    w->shapeHandle = nullptr;
    for (auto& [dc, hwnd] : DCs()) {
        if (hwnd == w->hwnd) hwnd = nullptr; // the DC stays usable until released
    }
    if (w->store) cairo_surface_destroy(w->store);
    w->store = nullptr;
}

void ApplyShape(Window* w) {
    if (!w->surface || !M().backend) return;
    bool through = (w->exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT);
    M().backend->SetShape(w->surface, w->shape, through);
}

void InvalidateInternal(Window* w, const RECT* rect, bool erase) {
    cairo_rectangle_int_t all{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
    cairo_region_t* add = cairo_region_create_rectangle(&all);
    if (rect) {
        cairo_rectangle_int_t r = ToCairo(*rect);
        cairo_region_intersect_rectangle(add, &r);
    }
    if (!cairo_region_is_empty(add)) {
        if (!w->update) w->update = cairo_region_create();
        cairo_region_union(w->update, add);
        if (erase) w->eraseNeeded = true;
        if (ThreadQueue* q = QueueOf(w->thread)) Notify(q);
    }
    // Children in the area are painted again over their parent.
    for (HWND c : w->children) {
        Window* cw = Find(c);
        if (!cw || !(cw->style & WS_VISIBLE)) continue;
        RECT cr = cw->rect, x;
        if (rect && !IntersectRect(&x, &cr, rect)) continue;
        RECT local = rect ? x : cr;
        OffsetRect(&local, -cr.left - cw->client.left, -cr.top - cw->client.top);
        InvalidateInternal(cw, &local, erase);
    }
    cairo_region_destroy(add);
}

void PresentWindow(Window* w, const RECT* dirty) {
    Window* top = Find(TopLevelOf(w->hwnd));
    if (!top || !top->surface || !top->store || !M().backend) return;
    bool layered = (top->exStyle & WS_EX_LAYERED) != 0;
    if (layered && !top->usesLayeredImage && !(top->lwaFlags & 0x80000000u)) return;
    RECT bounds{0, 0, top->rect.right - top->rect.left, top->rect.bottom - top->rect.top};
    RECT d = bounds;
    if (dirty && !IntersectRect(&d, dirty, &bounds)) return;
    cairo_surface_flush(top->store);
    PresentMode mode;
    mode.perPixelAlpha = top->usesLayeredImage;
    cairo_surface_t* pixels = top->store;
    cairo_surface_t* temp = WithCaret(top, &d);
    if (temp) pixels = temp;
    if (!top->usesLayeredImage && (top->lwaFlags & LWA_COLORKEY)) {
        // Colour-keyed pixels become transparent; everything else is opaque.
        if (!temp) {
            int cw = cairo_image_surface_get_width(top->store), ch = cairo_image_surface_get_height(top->store);
            temp = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cw, ch);
            cairo_t* cr = cairo_create(temp);
            cairo_set_source_surface(cr, top->store, 0, 0);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_paint(cr);
            cairo_destroy(cr);
            pixels = temp;
        }
        cairo_surface_flush(temp);
        unsigned char* data = cairo_image_surface_get_data(temp);
        int stride = cairo_image_surface_get_stride(temp);
        uint32_t key = (GetRValue(top->lwaKey) << 16) | (GetGValue(top->lwaKey) << 8) | GetBValue(top->lwaKey);
        for (int y = 0; y < bounds.bottom; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < bounds.right; ++x) row[x] = (row[x] & 0xffffffu) == key ? 0 : (row[x] | 0xff000000u);
        }
        cairo_surface_mark_dirty(temp);
        mode.perPixelAlpha = true;
    }
    if (top->lwaFlags & LWA_ALPHA) mode.constantAlpha = top->lwaAlpha;
    M().backend->Present(top->surface, pixels, d, mode);
    if (temp) cairo_surface_destroy(temp);
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;
using uiplatform::CreateSurfaceDC;
using uiplatform::RegionOf;
using uiplatform::SetDCSystemClip;
using uiplatform::SurfaceOfDC;

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    Lock lock(M().mutex);
    if (!hwnd) {
        // The whole screen: every window.
        for (auto& [h, w] : M().windows)
            if (!w->parent) InvalidateInternal(w, nullptr, erase);
        return TRUE;
    }
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    InvalidateInternal(w, rect, erase);
    return TRUE;
}

BOOL WINAPI InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
    if (!rgn) return InvalidateRect(hwnd, nullptr, erase);
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    const cairo_region_t* r = RegionOf(rgn);
    if (!r) return FALSE;
    int n = cairo_region_num_rectangles(r);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t c;
        cairo_region_get_rectangle(r, i, &c);
        RECT rr{c.x, c.y, c.x + c.width, c.y + c.height};
        InvalidateInternal(w, &rr, erase);
    }
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    if (!w->update) return TRUE;
    if (!rect) {
        cairo_region_destroy(w->update);
        w->update = nullptr;
        w->eraseNeeded = false;
        return TRUE;
    }
    cairo_rectangle_int_t r{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    cairo_region_subtract_rectangle(w->update, &r);
    if (cairo_region_is_empty(w->update)) {
        cairo_region_destroy(w->update);
        w->update = nullptr;
        w->eraseNeeded = false;
    }
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    bool needErase = false;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        if (!w->update) {
            if (rect) *rect = RECT{};
            return FALSE;
        }
        cairo_rectangle_int_t e;
        cairo_region_get_extents(w->update, &e);
        if (rect) *rect = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
        needErase = erase && w->eraseNeeded;
        if (needErase) w->eraseNeeded = false;
    }
    if (needErase) {
        HDC dc = GetDC(hwnd);
        if (dc) {
            SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            ReleaseDC(hwnd, dc);
        }
    }
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    bool needs;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        needs = w->update != nullptr && IsWindowVisible(hwnd);
    }
    if (needs) SendMessageW(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
    if (!hwnd) return InvalidateRect(nullptr, nullptr, TRUE);
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (flags & RDW_INVALIDATE) {
        if (rgn) InvalidateRgn(hwnd, rgn, (flags & RDW_ERASE) != 0);
        else InvalidateRect(hwnd, rect, (flags & RDW_ERASE) != 0);
    }
    if (flags & RDW_INTERNALPAINT) {
        Lock lock(M().mutex);
        if (Window* w = Find(hwnd)) w->internalPaint = true;
    }
    if (flags & RDW_VALIDATE) ValidateRect(hwnd, rgn ? nullptr : rect);
    if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    if (!ps) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    *ps = PAINTSTRUCT{};
    bool erase;
    HDC dc;
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return nullptr;
        cairo_region_t* region = w->update ? w->update : cairo_region_create();
        w->update = nullptr;
        w->internalPaint = false;
        erase = w->eraseNeeded;
        w->eraseNeeded = false;
        dc = MakeWindowDC(w, region);
        cairo_rectangle_int_t e;
        cairo_region_get_extents(region, &e);
        cairo_region_destroy(region);
        ps->rcPaint = RECT{e.x, e.y, e.x + e.width, e.y + e.height};
        if (!dc) return nullptr;
    }
    ps->hdc = dc;
    ps->fErase = TRUE;
    if (erase) ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps) return FALSE;
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    if (w) {
        POINT off = StoreOffset(w);
        RECT d = ps->rcPaint;
        OffsetRect(&d, off.x, off.y);
        if (!IsRectEmpty(&d)) PresentWindow(w, &d);
    }
    auto it = DCs().find(ps->hdc);
    if (it != DCs().end()) {
        if (Window* o = Find(it->second)) o->openDCs--;
        DCs().erase(it);
        DeleteDC(ps->hdc);
    }
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
    Lock lock(M().mutex);
    if (!hwnd) {
        if (!g_screenSurface) g_screenSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        HDC dc = CreateSurfaceDC(g_screenSurface);
        if (dc) DCs()[dc] = nullptr;
        return dc;
    }
    Window* w = FindOrFail(hwnd);
    if (!w) return nullptr;
    return MakeWindowDC(w, nullptr);
}

// The window's client area; windows have no non-client area of their own.
HDC WINAPI GetWindowDC(HWND hwnd) { return GetDC(hwnd); }

int WINAPI ReleaseDC(HWND hwnd, HDC dc) {
    Lock lock(M().mutex);
    auto it = DCs().find(dc);
    if (it == DCs().end()) return 0;
    if (it->second != hwnd && hwnd) return 0;
    if (Window* w = Find(it->second)) {
        w->openDCs--;
        // What was drawn through the DC becomes visible now.
        PresentWindow(w, nullptr);
    }
    DCs().erase(it);
    DeleteDC(dc);
    return 1;
}

HWND WINAPI WindowFromDC(HDC dc) {
    Lock lock(M().mutex);
    auto it = DCs().find(dc);
    return it == DCs().end() ? nullptr : it->second;
}

int WINAPI SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return 0;
    const cairo_region_t* r = rgn ? RegionOf(rgn) : nullptr;
    if (rgn && !r) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (w->shapeHandle && w->shapeHandle != rgn) DeleteObject(w->shapeHandle);
    if (w->shape) cairo_region_destroy(w->shape);
    w->shape = r ? cairo_region_copy(r) : nullptr;
    w->shapeHandle = rgn;
    ApplyShape(w);
    if (redraw && (w->style & WS_VISIBLE)) {
        if (w->parent) {
            if (Window* p = Find(w->parent)) InvalidateInternal(p, &w->rect, true);
        }
        if (!w->usesLayeredImage) InvalidateInternal(w, nullptr, true);
        PresentWindow(w, nullptr);
    }
    return 1;
}

int WINAPI GetWindowRgn(HWND hwnd, HRGN rgn) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w || !rgn || !w->shapeHandle) return ERROR;
    return CombineRgn(rgn, w->shapeHandle, nullptr, RGN_COPY);
}

BOOL WINAPI UpdateLayeredWindow(HWND hwnd, HDC, POINT* dst, SIZE* size, HDC src, POINT* srcPt, COLORREF key,
                                BLENDFUNCTION* blend, DWORD flags) {
    {
        Lock lock(M().mutex);
        Window* w = FindOrFail(hwnd);
        if (!w) return FALSE;
        if (!(w->exStyle & WS_EX_LAYERED) || w->parent || (w->lwaFlags & 0x80000000u) ||
            (flags & ~(ULW_ALPHA | ULW_COLORKEY | ULW_OPAQUE)) || (size && (size->cx < 0 || size->cy < 0)) ||
            ((flags & ULW_ALPHA) && !blend)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (src && !SurfaceOfDC(src)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    if (dst || size) {
        RECT r;
        GetWindowRect(hwnd, &r);
        int x = dst ? dst->x : r.left, y = dst ? dst->y : r.top;
        int cx = size ? size->cx : r.right - r.left, cy = size ? size->cy : r.bottom - r.top;
        SetWindowPosInternal(hwnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW, false);
    }
    if (!src) {
        Lock lock(M().mutex);
        if (Window* w = Find(hwnd)) PresentWindow(w, nullptr);
        return TRUE;
    }
    Lock lock(M().mutex);
    Window* w = Find(hwnd);
    if (!w || !w->store) return FALSE;
    cairo_surface_t* s = SurfaceOfDC(src);
    cairo_surface_flush(s);
    int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    int sx = srcPt ? srcPt->x : 0, sy = srcPt ? srcPt->y : 0;
    int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
    if (sx < 0 || sy < 0 || sx + width > sw || sy + height > sh) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const unsigned char* in = cairo_image_surface_get_data(s);
    int inStride = cairo_image_surface_get_stride(s);
    cairo_surface_flush(w->store);
    unsigned char* out = cairo_image_surface_get_data(w->store);
    int outStride = cairo_image_surface_get_stride(w->store);
    unsigned constant = (flags & ULW_ALPHA) ? blend->SourceConstantAlpha : 255;
    bool perPixel = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & AC_SRC_ALPHA);
    uint32_t keyRgb = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    for (int y = 0; y < height; ++y) {
        auto* srow = reinterpret_cast<const uint32_t*>(in + (sy + y) * inStride) + sx;
        auto* drow = reinterpret_cast<uint32_t*>(out + y * outStride);
        for (int x = 0; x < width; ++x) {
            uint32_t p = srow[x];
            if ((flags & ULW_COLORKEY) && (p & 0xffffff) == keyRgb) {
                drow[x] = 0;
                continue;
            }
            if (!perPixel) p |= 0xff000000u;
            if (constant != 255) {
                uint32_t a = ((p >> 24) * constant + 127) / 255, r = (((p >> 16) & 0xff) * constant + 127) / 255,
                         g = (((p >> 8) & 0xff) * constant + 127) / 255, b = ((p & 0xff) * constant + 127) / 255;
                p = (a << 24) | (r << 16) | (g << 8) | b;
            }
            drow[x] = p;
        }
    }
    cairo_surface_mark_dirty(w->store);
    w->usesLayeredImage = true;
    if (w->update) {
        // A layered window's pixels come from here, not from painting.
        cairo_region_destroy(w->update);
        w->update = nullptr;
    }
    PresentWindow(w, nullptr);
    return TRUE;
}

BOOL WINAPI SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    if (!(w->exStyle & WS_EX_LAYERED) || w->parent || (flags & ~(LWA_ALPHA | LWA_COLORKEY))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    w->lwaKey = key;
    w->lwaAlpha = alpha;
    w->lwaFlags = flags | 0x80000000u; // remembered even with no flag: the window now paints
    bool wasImage = w->usesLayeredImage;
    w->usesLayeredImage = false;
    if (wasImage || !w->update) InvalidateInternal(w, nullptr, true);
    PresentWindow(w, nullptr);
    return TRUE;
}

BOOL WINAPI GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w) return FALSE;
    if (!(w->exStyle & WS_EX_LAYERED) || !(w->lwaFlags & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (key) *key = w->lwaKey;
    if (alpha) *alpha = w->lwaAlpha;
    if (flags) *flags = w->lwaFlags & (LWA_ALPHA | LWA_COLORKEY);
    return TRUE;
}

// The framework looks these up at run time in "User32.dll".
#include "ui/platform/kernel/modules.h"
namespace {
const bool g_user32Exports = [] {
    uiplatform::RegisterModuleExport(L"User32.dll", "UpdateLayeredWindow", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&UpdateLayeredWindow)));
    uiplatform::RegisterModuleExport(L"User32.dll", "SetLayeredWindowAttributes",
                                     reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SetLayeredWindowAttributes)));
    return true;
}();
} // namespace
