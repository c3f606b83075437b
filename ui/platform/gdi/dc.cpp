// Device contexts: creation, selected objects, saved states, modes and origins.
#include "ui/platform/gdi/objects.h"
#include "ui/platform/gdi/surface.h"

#include <cstring>

using namespace uiplatform::gdi;

namespace {

Dc* newDc(cairo_surface_t* external) {
    auto* dc = new Dc();
    if (external) {
        dc->external = cairo_surface_reference(external);
    }
    dc->state.bitmap = defaultBitmap();
    dc->state.brush = stockBrush(WHITE_BRUSH);
    dc->state.pen = stockPen(BLACK_PEN);
    dc->state.font = stockFont(SYSTEM_FONT);
    retain(dc->state.bitmap);
    retain(dc->state.brush);
    retain(dc->state.pen);
    retain(dc->state.font);
    registerObject(dc);
    return dc;
}

cairo_region_t* copyRegion(const cairo_region_t* r) { return r ? cairo_region_copy(r) : nullptr; }

template <class T> HGDIOBJ swapSelected(T*& slot, T* next) {
    T* prev = slot;
    retain(next);
    slot = next;
    HGDIOBJ result = prev;
    release(prev); // may destroy a deleted object; the handle is then only a value
    return result;
}

} // namespace

namespace uiplatform {

HDC CreateSurfaceDC(cairo_surface_t* surface) {
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return reinterpret_cast<HDC>(newDc(surface));
}

cairo_surface_t* SurfaceOfDC(HDC hdc) {
    Dc* dc = asDc(hdc);
    return dc ? dc->target() : nullptr;
}

cairo_surface_t* SurfaceOfBitmap(HBITMAP bitmap) {
    Bitmap* b = asBitmap(bitmap);
    return b ? b->surface : nullptr;
}

void SetDCSystemClip(HDC hdc, const cairo_region_t* regionOrNull) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return;
    if (dc->systemClip)
        cairo_region_destroy(dc->systemClip);
    dc->systemClip = copyRegion(regionOrNull);
}

const cairo_region_t* RegionOf(HRGN region) {
    Region* r = asRegion(region);
    return r ? r->region : nullptr;
}

} // namespace uiplatform

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !asDc(hdc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HDC>(newDc(nullptr));
}

BOOL WINAPI DeleteDC(HDC hdc) {
    Dc* dc = asDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    destroyObject(dc);
    return TRUE;
}

int WINAPI SaveDC(HDC hdc) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return 0;
    DcState copy = dc->state;
    copy.clip = copyRegion(dc->state.clip);
    retain(copy.bitmap);
    retain(copy.brush);
    retain(copy.pen);
    retain(copy.font);
    dc->saved.push_back(copy);
    return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return FALSE;
    int count = static_cast<int>(dc->saved.size());
    int level = nSavedDC < 0 ? count + 1 + nSavedDC : nSavedDC;
    if (level < 1 || level > count)
        return FALSE;
    std::lock_guard<std::recursive_mutex> lock(selectionMutex());
    // A bitmap of the restored state may meanwhile be selected into another DC.
    Bitmap* b = dc->saved[level - 1].bitmap;
    if (!dc->external && b->owner && b->owner != dc && !b->stock)
        return FALSE;
    DcState old = dc->state;
    dc->state = dc->saved[level - 1];
    dc->saved[level - 1].clip = nullptr;
    // The restored state takes over the references of the saved slot; drop the others.
    for (int i = count - 1; i >= level; --i) {
        DcState& s = dc->saved[i];
        release(s.bitmap);
        release(s.brush);
        release(s.pen);
        release(s.font);
        if (s.clip)
            cairo_region_destroy(s.clip);
    }
    dc->saved.resize(level - 1);
    release(old.bitmap);
    release(old.brush);
    release(old.pen);
    release(old.font);
    if (old.clip)
        cairo_region_destroy(old.clip);
    if (!dc->external && !dc->state.bitmap->stock)
        dc->state.bitmap->owner = dc;
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    Dc* dc = asDc(hdc);
    Object* o = lookup(h);
    if (!dc || !o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The checks and the swap are one step: another thread may select or delete the same object.
    std::lock_guard<std::recursive_mutex> lock(selectionMutex());
    if (o->deletePending)
        return nullptr;
    switch (o->kind) {
    case Kind::Bitmap: {
        auto* b = static_cast<Bitmap*>(o);
        // Only memory DCs hold bitmaps, and a bitmap lives in one DC at a time.
        if (dc->external || (b->owner && b->owner != dc && !b->stock))
            return nullptr;
        HGDIOBJ prev = swapSelected(dc->state.bitmap, b);
        if (!b->stock)
            b->owner = dc;
        return prev;
    }
    case Kind::Brush:
        return swapSelected(dc->state.brush, static_cast<Brush*>(o));
    case Kind::Pen:
        return swapSelected(dc->state.pen, static_cast<Pen*>(o));
    case Kind::Font:
        return swapSelected(dc->state.font, static_cast<Font*>(o));
    case Kind::Region: {
        int type = SelectClipRgn(hdc, static_cast<HRGN>(h));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(type));
    }
    case Kind::Dc:
        break;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    Object* o = lookup(ho);
    if (!o || o->kind == Kind::Dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (o->stock)
        return TRUE;
    {
        std::lock_guard<std::recursive_mutex> lock(selectionMutex());
        if (o->refs > 0) {
            // A bitmap selected into a DC cannot be deleted; a selected pen, brush or font
            // goes when its DC lets go of it.
            if (o->kind == Kind::Bitmap)
                return FALSE;
            o->deletePending = true;
            return TRUE;
        }
    }
    destroyObject(o);
    return TRUE;
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
    Object* o = lookup(h);
    if (!o || o->kind == Kind::Dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto put = [&](const void* data, int size) -> int {
        if (!pv)
            return size;
        if (c < size) {
            if (c <= 0)
                return 0;
            size = c;
        }
        std::memcpy(pv, data, static_cast<size_t>(size));
        return size;
    };
    switch (o->kind) {
    case Kind::Bitmap: {
        auto* b = static_cast<Bitmap*>(o);
        DIBSECTION ds{};
        ds.dsBm.bmType = 0;
        ds.dsBm.bmWidth = b->width;
        ds.dsBm.bmHeight = b->height;
        ds.dsBm.bmWidthBytes = b->width * 4;
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmBitsPixel = 32;
        ds.dsBm.bmBits = b->dib ? b->memory : nullptr;
        if (b->dib && (!pv || c >= static_cast<int>(sizeof(DIBSECTION)))) {
            ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
            ds.dsBmih.biWidth = b->width;
            ds.dsBmih.biHeight = b->bottomUp ? b->height : -b->height;
            ds.dsBmih.biPlanes = 1;
            ds.dsBmih.biBitCount = 32;
            ds.dsBmih.biCompression = BI_RGB;
            ds.dsBmih.biSizeImage = static_cast<DWORD>(b->width) * 4 * static_cast<DWORD>(b->height);
            return put(&ds, sizeof(DIBSECTION));
        }
        if (pv && c < static_cast<int>(sizeof(BITMAP)))
            return 0;
        return put(&ds.dsBm, sizeof(BITMAP));
    }
    case Kind::Brush: {
        auto* b = static_cast<Brush*>(o);
        LOGBRUSH lb{b->hollow ? static_cast<UINT>(BS_NULL) : static_cast<UINT>(BS_SOLID), b->color, 0};
        return put(&lb, sizeof(LOGBRUSH));
    }
    case Kind::Pen: {
        auto* p = static_cast<Pen*>(o);
        LOGPEN lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->color};
        return put(&lp, sizeof(LOGPEN));
    }
    case Kind::Font:
        return put(&static_cast<Font*>(o)->logfont, sizeof(LOGFONTW));
    case Kind::Region:
    case Kind::Dc:
        break;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_PEN:
        return dc->state.pen;
    case OBJ_BRUSH:
        return dc->state.brush;
    case OBJ_FONT:
        return dc->state.font;
    case OBJ_BITMAP:
        return dc->state.bitmap;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HGDIOBJ WINAPI GetStockObject(int i) {
    if (Brush* b = stockBrush(i))
        return b;
    if (Pen* p = stockPen(i))
        return p;
    if (Font* f = stockFont(i))
        return f;
    return nullptr;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    if (!asDc(hdc))
        return 0;
    switch (index) {
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    default:
        return 0;
    }
}

namespace {
BOOL setPoint(HDC hdc, POINT DcState::*field, int x, int y, LPPOINT old) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return FALSE;
    if (old)
        *old = dc->state.*field;
    dc->state.*field = POINT{x, y};
    return TRUE;
}
BOOL getPoint(HDC hdc, POINT DcState::*field, LPPOINT out) {
    Dc* dc = asDc(hdc);
    if (!dc || !out)
        return FALSE;
    *out = dc->state.*field;
    return TRUE;
}
} // namespace

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) { return setPoint(hdc, &DcState::windowOrg, x, y, lppt); }
BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT lppoint) { return getPoint(hdc, &DcState::windowOrg, lppoint); }
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return setPoint(hdc, &DcState::viewportOrg, x, y, lppt);
}
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint) { return getPoint(hdc, &DcState::viewportOrg, lppoint); }

int WINAPI SetBkMode(HDC hdc, int mode) {
    Dc* dc = asDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int old = dc->state.bkMode;
    dc->state.bkMode = mode;
    return old;
}

int WINAPI GetBkMode(HDC hdc) {
    Dc* dc = asDc(hdc);
    return dc ? dc->state.bkMode : 0;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->state.bkColor;
    dc->state.bkColor = color & 0xFFFFFF;
    return old;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    Dc* dc = asDc(hdc);
    return dc ? dc->state.bkColor : CLR_INVALID;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF old = dc->state.textColor;
    dc->state.textColor = color & 0xFFFFFF;
    return old;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    Dc* dc = asDc(hdc);
    return dc ? dc->state.textColor : CLR_INVALID;
}

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
    Dc* dc = asDc(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int old = dc->state.stretchMode;
    dc->state.stretchMode = mode;
    return old;
}

int WINAPI GetStretchBltMode(HDC hdc) {
    Dc* dc = asDc(hdc);
    return dc ? dc->state.stretchMode : 0;
}
