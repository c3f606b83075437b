#include "ui/platform/headless/headless_backend.h"

#include <algorithm>
#include <chrono>

namespace uiplatform::wm {

namespace {
int g_width = 1280, g_height = 800;
}

bool SetHeadlessSize(int width, int height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
    g_width = width;
    g_height = height;
    return true;
}

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(g_width, g_height); }

HeadlessBackend::HeadlessBackend(int width, int height) : width_(width), height_(height) {}

HeadlessBackend::~HeadlessBackend() {
    for (auto& [id, s] : surfaces_) {
        if (s.pixels) cairo_surface_destroy(s.pixels);
        if (s.shape) cairo_region_destroy(s.shape);
    }
}

void HeadlessBackend::Resize(Surface& s) {
    int w = std::max<LONG>(1, s.rect.right - s.rect.left), h = std::max<LONG>(1, s.rect.bottom - s.rect.top);
    if (s.pixels && cairo_image_surface_get_width(s.pixels) == w && cairo_image_surface_get_height(s.pixels) == h) return;
    cairo_surface_t* p = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (s.pixels) {
        cairo_t* cr = cairo_create(p);
        cairo_set_source_surface(cr, s.pixels, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(s.pixels);
    }
    s.pixels = p;
}

SurfaceId HeadlessBackend::CreateSurface(const SurfaceDesc& desc) {
    std::lock_guard<std::mutex> lock(mutex_);
    SurfaceId id = next_++;
    Surface& s = surfaces_[id];
    s.rect = desc.rect;
    s.title = desc.title;
    s.owner = desc.transientFor;
    s.mode.perPixelAlpha = desc.argb; // nothing shows before the first pixels arrive
    Resize(s);
    order_.insert(order_.begin(), id);
    return id;
}

void HeadlessBackend::DestroySurface(SurfaceId id) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it == surfaces_.end()) return;
    if (it->second.pixels) cairo_surface_destroy(it->second.pixels);
    if (it->second.shape) cairo_region_destroy(it->second.shape);
    surfaces_.erase(it);
    order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
}

void HeadlessBackend::Show(SurfaceId id, bool show, bool) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it != surfaces_.end()) it->second.visible = show;
}

void HeadlessBackend::SetGeometry(SurfaceId id, const RECT& rect) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it == surfaces_.end()) return;
    it->second.rect = rect;
    Resize(it->second);
}

void HeadlessBackend::SetShape(SurfaceId id, const cairo_region_t* shape, bool) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it == surfaces_.end()) return;
    if (it->second.shape) cairo_region_destroy(it->second.shape);
    it->second.shape = shape ? cairo_region_copy(shape) : nullptr;
}

void HeadlessBackend::Present(SurfaceId id, cairo_surface_t* pixels, const RECT& dirty, PresentMode mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it == surfaces_.end()) return;
    Surface& s = it->second;
    s.mode = mode;
    cairo_t* cr = cairo_create(s.pixels);
    cairo_rectangle(cr, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top);
    cairo_clip(cr);
    cairo_set_source_surface(cr, pixels, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s.pixels);
}

void HeadlessBackend::SetCursor(SurfaceId id, Cursor cursor) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it != surfaces_.end()) it->second.cursor = cursor;
}

void HeadlessBackend::SetTitle(SurfaceId id, const std::wstring& title) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it != surfaces_.end()) it->second.title = title;
}

void HeadlessBackend::SetIcon(SurfaceId, int, int, const uint32_t*) {}

void HeadlessBackend::SetTransientFor(SurfaceId id, SurfaceId owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it != surfaces_.end()) it->second.owner = owner;
}

void HeadlessBackend::Restack(const std::vector<SurfaceId>& frontToBack) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SurfaceId> order;
    for (SurfaceId id : frontToBack)
        if (surfaces_.count(id)) order.push_back(id);
    for (SurfaceId id : order_)
        if (std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
    order_ = order;
}

bool HeadlessBackend::NextEvent(NativeEvent& event, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [&] { return !events_.empty() || woken_; };
    if (timeoutMs < 0) cv_.wait(lock, ready);
    else if (timeoutMs > 0) cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    woken_ = false;
    if (events_.empty()) return false;
    event = events_.front();
    events_.pop_front();
    return true;
}

void HeadlessBackend::Wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    cv_.notify_all();
}

std::vector<MonitorDesc> HeadlessBackend::Monitors() {
    // A task bar of 40 pixels at the bottom keeps the work area distinct from the screen.
    return {MonitorDesc{RECT{0, 0, width_, height_}, RECT{0, 0, width_, std::max(1, height_ - 40)}, true}};
}

void HeadlessBackend::Inject(const NativeEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    NativeEvent e = event;
    if (e.kind == EventKind::MouseMove) pointer_ = e.pt;
    else if (e.kind != EventKind::KeyDown && e.kind != EventKind::KeyUp) e.pt = pointer_;
    else e.pt = pointer_;
    events_.push_back(e);
    cv_.notify_all();
}

POINT HeadlessBackend::Pointer() {
    std::lock_guard<std::mutex> lock(mutex_);
    return pointer_;
}

void HeadlessBackend::SetDesktopColor(uint32_t argb) {
    std::lock_guard<std::mutex> lock(mutex_);
    desktop_ = argb;
}

cairo_surface_t* HeadlessBackend::ComposeScreen() {
    std::lock_guard<std::mutex> lock(mutex_);
    cairo_surface_t* screen = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    cairo_surface_flush(screen);
    unsigned char* data = cairo_image_surface_get_data(screen);
    int stride = cairo_image_surface_get_stride(screen);
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        std::fill(row, row + width_, desktop_);
    }
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        Surface& s = surfaces_[*it];
        if (!s.visible || !s.pixels) continue;
        const unsigned char* src = cairo_image_surface_get_data(s.pixels);
        int sstride = cairo_image_surface_get_stride(s.pixels);
        int sw = cairo_image_surface_get_width(s.pixels), sh = cairo_image_surface_get_height(s.pixels);
        unsigned k = s.mode.constantAlpha;
        for (int y = 0; y < sh; ++y) {
            int sy = s.rect.top + y;
            if (sy < 0 || sy >= height_) continue;
            auto* drow = reinterpret_cast<uint32_t*>(data + sy * stride);
            auto* srow = reinterpret_cast<const uint32_t*>(src + y * sstride);
            for (int x = 0; x < sw; ++x) {
                int sx = s.rect.left + x;
                if (sx < 0 || sx >= width_) continue;
                if (s.shape && !cairo_region_contains_point(s.shape, x, y)) continue;
                uint32_t p = srow[x];
                if (!s.mode.perPixelAlpha) p |= 0xff000000u;
                if (k != 255) {
                    uint32_t a = ((p >> 24) * k + 127) / 255, r = (((p >> 16) & 0xff) * k + 127) / 255,
                             g = (((p >> 8) & 0xff) * k + 127) / 255, b = ((p & 0xff) * k + 127) / 255;
                    p = (a << 24) | (r << 16) | (g << 8) | b;
                }
                uint32_t a = p >> 24;
                if (a == 255) {
                    drow[sx] = p;
                    continue;
                }
                uint32_t d = drow[sx];
                auto ch = [&](int shift) {
                    uint32_t sc = (p >> shift) & 0xff, dc = (d >> shift) & 0xff;
                    return std::min<uint32_t>(255, sc + (dc * (255 - a) + 127) / 255);
                };
                drow[sx] = (ch(24) << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
            }
        }
    }
    cairo_surface_mark_dirty(screen);
    return screen;
}

cairo_surface_t* HeadlessBackend::SurfacePixels(SurfaceId id) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = surfaces_.find(id);
    if (it == surfaces_.end() || !it->second.pixels) return nullptr;
    return cairo_surface_reference(it->second.pixels);
}

} // namespace uiplatform::wm
