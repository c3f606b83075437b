// The window section of host.h: backend choice, injected input, running the queue,
// snapshots and the answers of dialogs in tests.
#include "ui/platform/headless/headless_backend.h"
#include "ui/platform/window/manager.h"

#include <algorithm>

namespace uiplatform::wm {

bool SetHeadlessSize(int width, int height);
bool HostRunUntilIdle(int maxMessages, bool* quit);

HeadlessBackend* ActiveHeadless() { return dynamic_cast<HeadlessBackend*>(GetBackend()); }

namespace {

bool Inject(NativeEvent ev) {
    HeadlessBackend* h;
    {
        Lock lock(M().mutex);
        h = ActiveHeadless();
    }
    if (!h) return false;
    h->Inject(ev);
    return true;
}

// Forces opaque alpha where the surface is not per-pixel alpha.
cairo_surface_t* WindowImage(HWND hwnd) {
    Lock lock(M().mutex);
    Window* w = Find(TopLevelOf(hwnd));
    if (!w || !w->store) return nullptr;
    int width = std::max<LONG>(1, w->rect.right - w->rect.left), height = std::max<LONG>(1, w->rect.bottom - w->rect.top);
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(img);
    cairo_set_source_surface(cr, w->store, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(img);
    if (!w->usesLayeredImage) {
        unsigned char* data = cairo_image_surface_get_data(img);
        int stride = cairo_image_surface_get_stride(img);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < width; ++x) row[x] |= 0xff000000u;
        }
        cairo_surface_mark_dirty(img);
    }
    return img;
}

} // namespace
} // namespace uiplatform::wm

using namespace uiplatform::wm;

namespace uiplatform::host {

const char* BackendName() {
    Lock lock(M().mutex);
    return GetBackend()->Name();
}

bool SetHeadlessScreenSize(int width, int height) {
    Lock lock(M().mutex);
    if (M().backend) return false;
    return SetHeadlessSize(width, height);
}

void SetHeadlessDesktopColor(uint32_t argb) {
    Lock lock(M().mutex);
    if (HeadlessBackend* h = ActiveHeadless()) h->SetDesktopColor(argb);
}

bool InjectMouseMove(int x, int y) {
    NativeEvent ev;
    ev.kind = EventKind::MouseMove;
    ev.pt = POINT{x, y};
    return Inject(ev);
}

bool InjectMouseButton(int button, bool down) {
    if (button < 1 || button > 3) return false;
    NativeEvent ev;
    ev.kind = down ? EventKind::ButtonDown : EventKind::ButtonUp;
    ev.button = button;
    return Inject(ev);
}

bool InjectClick(int x, int y, int button) {
    return InjectMouseMove(x, y) && InjectMouseButton(button, true) && InjectMouseButton(button, false);
}

bool InjectWheel(int delta) {
    NativeEvent ev;
    ev.kind = EventKind::Wheel;
    ev.wheel = delta;
    return Inject(ev);
}

bool InjectKey(UINT vk, bool down, wchar_t ch) {
    if (vk == 0 || vk > 255) return false;
    NativeEvent ev;
    ev.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
    ev.vk = vk;
    ev.ch = down ? ch : 0;
    return Inject(ev);
}

bool RunUntilIdle(int maxMessages) {
    bool quit = false;
    HostRunUntilIdle(maxMessages, &quit);
    return !quit;
}

bool RunFor(DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        bool quit = false;
        HostRunUntilIdle(100000, &quit);
        if (quit) return false;
        ULONGLONG now = GetTickCount64();
        if (now >= end) return true;
        // Sleep until something arrives or the time is up.
        UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(end - now), nullptr);
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) == FALSE) WaitMessage();
        KillTimer(nullptr, id);
    }
}

uint32_t ScreenPixel(int x, int y) {
    Lock lock(M().mutex);
    HeadlessBackend* h = ActiveHeadless();
    if (!h) return 0;
    cairo_surface_t* s = h->ComposeScreen();
    uint32_t v = 0;
    if (x >= 0 && y >= 0 && x < cairo_image_surface_get_width(s) && y < cairo_image_surface_get_height(s)) {
        v = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
    }
    cairo_surface_destroy(s);
    return v;
}

bool SnapshotScreen(const char* path) {
    if (!path) return false;
    Lock lock(M().mutex);
    HeadlessBackend* h = ActiveHeadless();
    if (!h) return false;
    cairo_surface_t* s = h->ComposeScreen();
    bool ok = cairo_surface_write_to_png(s, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

bool SnapshotWindow(HWND hwnd, const char* path) {
    if (!path) return false;
    cairo_surface_t* s = WindowImage(hwnd);
    if (!s) return false;
    bool ok = cairo_surface_write_to_png(s, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

uint32_t WindowPixel(HWND hwnd, int x, int y) {
    cairo_surface_t* s = WindowImage(hwnd);
    if (!s) return 0;
    uint32_t v = 0;
    if (x >= 0 && y >= 0 && x < cairo_image_surface_get_width(s) && y < cairo_image_surface_get_height(s)) {
        v = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
    }
    cairo_surface_destroy(s);
    return v;
}

} // namespace uiplatform::host
