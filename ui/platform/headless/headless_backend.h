// The in-memory display: surfaces composed onto a screen image, input injected by tests.
#pragma once

#include "ui/platform/window/backend.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

namespace uiplatform::wm {

class HeadlessBackend : public Backend {
public:
    HeadlessBackend(int width, int height);
    ~HeadlessBackend() override;
    const char* Name() const override { return "headless"; }

    SurfaceId CreateSurface(const SurfaceDesc& desc) override;
    void DestroySurface(SurfaceId id) override;
    void Show(SurfaceId id, bool show, bool activate) override;
    void SetGeometry(SurfaceId id, const RECT& rect) override;
    void SetShape(SurfaceId id, const cairo_region_t* shape, bool clickThrough) override;
    void Present(SurfaceId id, cairo_surface_t* pixels, const RECT& dirty, PresentMode mode) override;
    void SetCursor(SurfaceId id, Cursor cursor) override;
    void SetTitle(SurfaceId id, const std::wstring& title) override;
    void SetIcon(SurfaceId id, int width, int height, const uint32_t* argb) override;
    void SetDecorated(SurfaceId, bool) override {}
    void SetTransientFor(SurfaceId id, SurfaceId owner) override;
    void Restack(const std::vector<SurfaceId>& frontToBack) override;
    void Minimize(SurfaceId) override {}
    void Activate(SurfaceId) override {}
    void GrabPointer(SurfaceId) override {}
    void UngrabPointer() override {}
    bool BeginDesktopMoveResize(SurfaceId, POINT, int) override { return false; }
    bool NextEvent(NativeEvent& event, int timeoutMs) override;
    void Wake() override;
    std::vector<MonitorDesc> Monitors() override;

    void Inject(const NativeEvent& event);
    POINT Pointer();
    void SetDesktopColor(uint32_t argb);
    // Premultiplied ARGB32 image of the screen; the caller destroys it.
    cairo_surface_t* ComposeScreen();
    // The surface's presented pixels (window-sized copy); the caller destroys it.
    cairo_surface_t* SurfacePixels(SurfaceId id);

private:
    struct Surface {
        RECT rect{};
        bool visible = false;
        cairo_surface_t* pixels = nullptr;
        cairo_region_t* shape = nullptr;
        PresentMode mode;
        Cursor cursor = Cursor::Arrow;
        std::wstring title;
        SurfaceId owner = 0;
    };
    void Resize(Surface& s);

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<NativeEvent> events_;
    bool woken_ = false;
    std::map<SurfaceId, Surface> surfaces_;
    std::vector<SurfaceId> order_;
    SurfaceId next_ = 1;
    int width_, height_;
    uint32_t desktop_ = 0xff000000u;
    POINT pointer_{};
};

HeadlessBackend* ActiveHeadless(); // null when another backend is in use; needs the manager lock

} // namespace uiplatform::wm
