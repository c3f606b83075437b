// The GDI object model: every handle points at one of these objects. Handles are
// checked against a table of live objects, so a stale or foreign handle is an error
// and never a crash.
#pragma once

#include "ui/platform/win32.h"

#include <cairo.h>
#include <pango/pango.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace uiplatform::gdi {

enum class Kind { Dc, Bitmap, Brush, Pen, Font, Region };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock = false;
    int refs = 0;               // DC state slots (current and saved) that hold this object
    bool deletePending = false; // DeleteObject came while it was selected
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    ~Bitmap() override;
    cairo_surface_t* surface = nullptr; // premultiplied ARGB32 over `memory`
    unsigned char* memory = nullptr;    // first byte in Windows order (the bottom row when bottom-up)
    int width = 0;
    int height = 0;     // always positive
    bool dib = false;   // made by CreateDIBSection
    bool bottomUp = false;
    struct Dc* owner = nullptr; // the DC it is selected into
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    bool hollow = false;
    COLORREF color = 0;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = 0; // PS_*
    int width = 1;
    COLORREF color = 0;
};

struct FontMetrics {
    int em = 0;
    int ascent = 0;
    int descent = 0;
    int height = 0; // ascent + descent: one line of text
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    ~Font() override;
    LOGFONTW logfont{};
    PangoFontDescription* desc = nullptr;
    int emPixels = 0;
    FontMetrics metrics;
    bool metricsReady = false;
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    ~Region() override;
    cairo_region_t* region = nullptr;
};

// Everything SaveDC keeps.
struct DcState {
    Bitmap* bitmap = nullptr;
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    Font* font = nullptr;
    cairo_region_t* clip = nullptr; // application clip in device coordinates; null = none
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = 2; // OPAQUE
    int stretchMode = 1; // BLACKONWHITE
    POINT windowOrg{0, 0};
    POINT viewportOrg{0, 0};
    POINT current{0, 0};
};

// GDI's coordinate space is 28 bits wide; device coordinates are kept inside it so that
// no width or offset computed from them can overflow.
constexpr long long kCoordLimit = 1LL << 27;
inline int clampCoord(long long v) { return static_cast<int>(v < -kCoordLimit ? -kCoordLimit : v > kCoordLimit ? kCoordLimit : v); }

struct Dc : Object {
    Dc() : Object(Kind::Dc) {}
    ~Dc() override;
    DcState state;
    std::vector<DcState> saved;
    cairo_surface_t* external = nullptr;   // a caller's surface (window backing store)
    cairo_region_t* systemClip = nullptr;  // set by the window system; null = none

    cairo_surface_t* target() const { return external ? external : state.bitmap->surface; }
    int width() const { return cairo_image_surface_get_width(target()); }
    int height() const { return cairo_image_surface_get_height(target()); }
    POINT toDevice(int x, int y) const {
        return POINT{clampCoord(static_cast<long long>(x) - state.windowOrg.x + state.viewportOrg.x),
                     clampCoord(static_cast<long long>(y) - state.windowOrg.y + state.viewportOrg.y)};
    }
    RECT toDevice(const RECT& r) const {
        POINT a = toDevice(r.left, r.top), b = toDevice(r.right, r.bottom);
        return RECT{a.x, a.y, b.x, b.y};
    }
    // The region drawing may touch: surface ∩ system clip ∩ application clip (device coordinates).
    cairo_region_t* effectiveClip() const; // caller destroys
    // What drawing may write: the effective clip, but nothing in the shared 1x1 bitmap a
    // memory DC starts with (so DCs on different threads never write the same pixel).
    cairo_region_t* drawClip() const; // caller destroys
};

// Handle table.
void registerObject(Object* o);
void unregisterObject(Object* o);
Object* lookup(const void* handle);
template <class T> T* lookupAs(const void* handle, Kind k) {
    Object* o = lookup(handle);
    return (o && o->kind == k) ? static_cast<T*>(o) : nullptr;
}
inline Dc* asDc(HDC h) { return lookupAs<Dc>(h, Kind::Dc); }
inline Bitmap* asBitmap(HBITMAP h) { return lookupAs<Bitmap>(h, Kind::Bitmap); }
inline Brush* asBrush(HBRUSH h) { return lookupAs<Brush>(h, Kind::Brush); }
inline Pen* asPen(HPEN h) { return lookupAs<Pen>(h, Kind::Pen); }
inline Font* asFont(HFONT h) { return lookupAs<Font>(h, Kind::Font); }
inline Region* asRegion(HRGN h) { return lookupAs<Region>(h, Kind::Region); }

// Reference counting of DC state slots; releasing the last reference of an object whose
// deletion was requested destroys it.
// Stock objects and shared fonts sit in DCs of several threads at once, so the counts,
// deletePending and Bitmap::owner change only under this lock (retain and release take it).
std::recursive_mutex& selectionMutex();
void retain(Object* o);
void release(Object* o);
void destroyObject(Object* o);

Bitmap* defaultBitmap(); // the 1x1 bitmap a new memory DC holds
Brush* stockBrush(int index);
Pen* stockPen(int index);
Font* stockFont(int index);

Bitmap* newBitmap(int width, int height, bool dib, bool bottomUp);

// Region type of a cairo region, as Win32 reports it.
int regionType(const cairo_region_t* r);

// Colour helpers: COLORREF (0x00BBGGRR) to an opaque premultiplied ARGB32 pixel.
inline uint32_t opaquePixel(COLORREF c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Pixel access that honours the surface's (possibly negative) stride.
inline uint32_t* row(cairo_surface_t* s, int y) {
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + static_cast<ptrdiff_t>(y) *
                                                                             cairo_image_surface_get_stride(s));
}

// Calls fn(RECT) for each rectangle of `area` (device coordinates) inside the DC's clip.
template <class Fn> void forEachClipped(const Dc* dc, const RECT& area, Fn fn) {
    if (area.left >= area.right || area.top >= area.bottom)
        return;
    cairo_region_t* clip = dc->drawClip();
    cairo_rectangle_int_t a{area.left, area.top, area.right - area.left, area.bottom - area.top};
    cairo_region_intersect_rectangle(clip, &a);
    int n = cairo_region_num_rectangles(clip);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        fn(RECT{r.x, r.y, r.x + r.width, r.y + r.height});
    }
    cairo_region_destroy(clip);
}

// A cairo context on the DC's target, clipped exactly to its clip region, in device space.
cairo_t* createContext(const Dc* dc);

} // namespace uiplatform::gdi
