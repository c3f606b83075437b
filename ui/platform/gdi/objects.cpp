#include "ui/platform/gdi/objects.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace uiplatform::gdi {

namespace {

std::mutex& tableMutex() {
    static std::mutex m;
    return m;
}
std::unordered_set<const void*>& table() {
    static auto* t = new std::unordered_set<const void*>();
    return *t;
}

} // namespace

void registerObject(Object* o) {
    std::lock_guard<std::mutex> lock(tableMutex());
    table().insert(o);
}

void unregisterObject(Object* o) {
    std::lock_guard<std::mutex> lock(tableMutex());
    table().erase(o);
}

Object* lookup(const void* handle) {
    if (!handle)
        return nullptr;
    std::lock_guard<std::mutex> lock(tableMutex());
    if (!table().count(handle))
        return nullptr;
    return static_cast<Object*>(const_cast<void*>(handle));
}

void destroyObject(Object* o) {
    unregisterObject(o);
    delete o;
}

std::recursive_mutex& selectionMutex() {
    static auto* m = new std::recursive_mutex; // DCs may still be deleted during exit
    return *m;
}

void retain(Object* o) {
    if (!o)
        return;
    std::lock_guard<std::recursive_mutex> lock(selectionMutex());
    ++o->refs;
}

void release(Object* o) {
    if (!o)
        return;
    bool destroy;
    {
        std::lock_guard<std::recursive_mutex> lock(selectionMutex());
        --o->refs;
        if (o->kind == Kind::Bitmap && o->refs == 0)
            static_cast<Bitmap*>(o)->owner = nullptr;
        destroy = o->refs == 0 && o->deletePending && !o->stock;
    }
    if (destroy)
        destroyObject(o);
}

Bitmap::~Bitmap() {
    if (surface)
        cairo_surface_destroy(surface);
    std::free(memory);
}

Font::~Font() {
    if (desc)
        pango_font_description_free(desc);
}

Region::~Region() {
    if (region)
        cairo_region_destroy(region);
}

Dc::~Dc() {
    release(state.bitmap);
    release(state.brush);
    release(state.pen);
    release(state.font);
    if (state.clip)
        cairo_region_destroy(state.clip);
    for (DcState& s : saved) {
        release(s.bitmap);
        release(s.brush);
        release(s.pen);
        release(s.font);
        if (s.clip)
            cairo_region_destroy(s.clip);
    }
    if (external)
        cairo_surface_destroy(external);
    if (systemClip)
        cairo_region_destroy(systemClip);
}

cairo_region_t* Dc::effectiveClip() const {
    cairo_rectangle_int_t bounds{0, 0, width(), height()};
    cairo_region_t* r = cairo_region_create_rectangle(&bounds);
    if (systemClip)
        cairo_region_intersect(r, systemClip);
    if (state.clip)
        cairo_region_intersect(r, state.clip);
    return r;
}

cairo_region_t* Dc::drawClip() const {
    if (!external && state.bitmap == defaultBitmap())
        return cairo_region_create();
    return effectiveClip();
}

cairo_t* createContext(const Dc* dc) {
    cairo_t* cr = cairo_create(dc->target());
    cairo_region_t* clip = dc->drawClip();
    int n = cairo_region_num_rectangles(clip);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_region_destroy(clip);
    // Pixel-aligned boxes make an exact clip; an empty path clips everything.
    cairo_clip(cr);
    return cr;
}

Bitmap* newBitmap(int width, int height, bool dib, bool bottomUp) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return nullptr;
    size_t stride = static_cast<size_t>(width) * 4;
    auto* memory = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(height), stride));
    if (!memory)
        return nullptr;
    unsigned char* first = bottomUp ? memory + (static_cast<size_t>(height) - 1) * stride : memory;
    int cairoStride = bottomUp ? -static_cast<int>(stride) : static_cast<int>(stride);
    cairo_surface_t* s = cairo_image_surface_create_for_data(first, CAIRO_FORMAT_ARGB32, width, height, cairoStride);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        std::free(memory);
        return nullptr;
    }
    auto* b = new Bitmap();
    b->surface = s;
    b->memory = memory;
    b->width = width;
    b->height = height;
    b->dib = dib;
    b->bottomUp = bottomUp;
    registerObject(b);
    return b;
}

Bitmap* defaultBitmap() {
    static Bitmap* b = [] {
        Bitmap* d = newBitmap(1, 1, false, false);
        d->stock = true;
        return d;
    }();
    return b;
}

Brush* stockBrush(int index) {
    static Brush* brushes[6] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        const COLORREF colors[5] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64),
                                    RGB(0, 0, 0)};
        for (int i = 0; i < 6; ++i) {
            auto* b = new Brush();
            b->stock = true;
            b->hollow = (i == NULL_BRUSH);
            b->color = i < 5 ? colors[i] : 0;
            registerObject(b);
            brushes[i] = b;
        }
    });
    return (index >= 0 && index < 6) ? brushes[index] : nullptr;
}

Pen* stockPen(int index) {
    static Pen* pens[3] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 3; ++i) {
            auto* p = new Pen();
            p->stock = true;
            p->style = i == 2 ? 5 /* PS_NULL */ : 0 /* PS_SOLID */;
            p->color = i == 0 ? RGB(255, 255, 255) : RGB(0, 0, 0);
            registerObject(p);
            pens[i] = p;
        }
    });
    int i = index - WHITE_PEN;
    return (i >= 0 && i < 3) ? pens[i] : nullptr;
}

int regionType(const cairo_region_t* r) {
    int n = cairo_region_num_rectangles(r);
    return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace uiplatform::gdi
