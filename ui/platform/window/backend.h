// The small interface a display backend offers the portable window manager: native
// top-level surfaces, pointer grab, the next input event, a wake-up, monitors.
#pragma once

#include "ui/platform/win32.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace uiplatform::wm {

using SurfaceId = uintptr_t;

enum class SurfaceKind {
    Normal,  // an ordinary top-level window
    Dialog,  // owned popup: transient for its owner
    Tooltip, // never takes the focus, no task bar entry
};

struct SurfaceDesc {
    RECT rect{};              // screen coordinates
    bool argb = false;        // per-pixel alpha (layered windows)
    bool decorated = false;   // the desktop draws a frame (windows with a caption)
    SurfaceKind kind = SurfaceKind::Normal;
    SurfaceId transientFor = 0;
    std::wstring title;
};

enum class EventKind {
    MouseMove,
    ButtonDown,
    ButtonUp,
    Wheel,
    KeyDown,
    KeyUp,
    PointerLeft,  // the pointer left every surface of this process
    Exposed,      // the backend lost pixels of a surface; present them again
    Configure,    // the desktop moved or resized a surface
    CloseRequest, // the desktop asked the surface to close
    FocusGained,
    FocusLost,
};

struct NativeEvent {
    EventKind kind = EventKind::MouseMove;
    SurfaceId surface = 0;
    POINT pt{};      // screen coordinates of the pointer
    int button = 0;  // 1 left, 2 middle, 3 right
    int wheel = 0;   // multiples of WHEEL_DELTA, positive away from the user
    UINT vk = 0;     // virtual key
    wchar_t ch = 0;  // the character the key produces, 0 for none
    RECT rect{};     // Configure: new screen rectangle
};

struct MonitorDesc {
    RECT area{};
    RECT work{};
    bool primary = false;
};

enum class Cursor {
    Arrow, IBeam, Wait, Cross, UpArrow, SizeNWSE, SizeNESW, SizeWE, SizeNS, SizeAll, No, Hand, AppStarting, Help,
};

// How presented pixels combine with what is below.
struct PresentMode {
    bool perPixelAlpha = false; // premultiplied ARGB; otherwise the pixels are opaque
    BYTE constantAlpha = 255;   // applied on top
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;

    virtual SurfaceId CreateSurface(const SurfaceDesc& desc) = 0;
    virtual void DestroySurface(SurfaceId id) = 0;
    virtual void Show(SurfaceId id, bool show, bool activate) = 0;
    virtual void SetGeometry(SurfaceId id, const RECT& rect) = 0;
    // Shape in surface coordinates; null means the whole rectangle. clickThrough
    // lets the pointer pass to whatever lies below.
    virtual void SetShape(SurfaceId id, const cairo_region_t* shape, bool clickThrough) = 0;
    // pixels: ARGB32 image of the whole surface; dirty: surface coordinates.
    virtual void Present(SurfaceId id, cairo_surface_t* pixels, const RECT& dirty, PresentMode mode) = 0;
    virtual void SetCursor(SurfaceId id, Cursor cursor) = 0;
    virtual void SetTitle(SurfaceId id, const std::wstring& title) = 0;
    virtual void SetIcon(SurfaceId id, int width, int height, const uint32_t* argb) = 0;
    virtual void SetDecorated(SurfaceId id, bool decorated) = 0;
    virtual void SetTransientFor(SurfaceId id, SurfaceId owner) = 0;
    // Front-most first; only surfaces of this process.
    virtual void Restack(const std::vector<SurfaceId>& frontToBack) = 0;
    virtual void Minimize(SurfaceId id) = 0;
    virtual void Activate(SurfaceId id) = 0;

    virtual void GrabPointer(SurfaceId id) = 0;
    virtual void UngrabPointer() = 0;
    // Hands a caption or border drag to the desktop; false when the desktop cannot.
    virtual bool BeginDesktopMoveResize(SurfaceId id, POINT screen, int hitTest) = 0;

    // Waits at most timeoutMs (negative: no limit) for one event; false on timeout or wake.
    virtual bool NextEvent(NativeEvent& event, int timeoutMs) = 0;
    // Thread-safe: makes a pending NextEvent return.
    virtual void Wake() = 0;

    virtual std::vector<MonitorDesc> Monitors() = 0;
};

std::unique_ptr<Backend> CreateHeadlessBackend();
// Null when no display can be opened.
std::unique_ptr<Backend> CreateX11Backend();

} // namespace uiplatform::wm
