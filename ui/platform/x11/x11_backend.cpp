// The X11 display backend: Xlib windows, XShape shapes, an ARGB visual for layered
// windows, EWMH hints. The only code that includes Xlib.
#include "ui/platform/window/backend.h"
#include "ui/platform/base/utf8.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace uiplatform::wm {

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

UINT VkOfKeysym(KeySym k) {
    if (k >= XK_a && k <= XK_z) return static_cast<UINT>('A' + (k - XK_a));
    if (k >= XK_A && k <= XK_Z) return static_cast<UINT>('A' + (k - XK_A));
    if (k >= XK_0 && k <= XK_9) return static_cast<UINT>('0' + (k - XK_0));
    if (k >= XK_F1 && k <= XK_F12) return static_cast<UINT>(VK_F1 + (k - XK_F1));
    if (k >= XK_KP_0 && k <= XK_KP_9) return static_cast<UINT>(VK_NUMPAD0 + (k - XK_KP_0));
    switch (k) {
    case XK_Return: case XK_KP_Enter: return VK_RETURN;
    case XK_Escape: return VK_ESCAPE;
    case XK_BackSpace: return VK_BACK;
    case XK_Tab: case XK_ISO_Left_Tab: return VK_TAB;
    case XK_space: return VK_SPACE;
    case XK_Left: return VK_LEFT;
    case XK_Right: return VK_RIGHT;
    case XK_Up: return VK_UP;
    case XK_Down: return VK_DOWN;
    case XK_Home: return VK_HOME;
    case XK_End: return VK_END;
    case XK_Prior: return VK_PRIOR;
    case XK_Next: return VK_NEXT;
    case XK_Insert: return VK_INSERT;
    case XK_Delete: return VK_DELETE;
    case XK_Shift_L: case XK_Shift_R: return VK_SHIFT;
    case XK_Control_L: case XK_Control_R: return VK_CONTROL;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R: return VK_MENU;
    case XK_Caps_Lock: return VK_CAPITAL;
    case XK_Menu: return VK_APPS;
    case XK_minus: return VK_OEM_MINUS;
    case XK_equal: return VK_OEM_PLUS;
    case XK_comma: return VK_OEM_COMMA;
    case XK_period: return VK_OEM_PERIOD;
    case XK_slash: return VK_OEM_2;
    case XK_semicolon: return VK_OEM_1;
    case XK_apostrophe: return VK_OEM_7;
    case XK_bracketleft: return VK_OEM_4;
    case XK_bracketright: return VK_OEM_6;
    case XK_backslash: return VK_OEM_5;
    case XK_grave: return VK_OEM_3;
    default: return 0;
    }
}

unsigned CursorShapeOf(Cursor c) {
    switch (c) {
    case Cursor::IBeam: return XC_xterm;
    case Cursor::Wait: case Cursor::AppStarting: return XC_watch;
    case Cursor::Cross: return XC_crosshair;
    case Cursor::UpArrow: return XC_sb_up_arrow;
    case Cursor::SizeNWSE: return XC_bottom_right_corner;
    case Cursor::SizeNESW: return XC_bottom_left_corner;
    case Cursor::SizeWE: return XC_sb_h_double_arrow;
    case Cursor::SizeNS: return XC_sb_v_double_arrow;
    case Cursor::SizeAll: return XC_fleur;
    case Cursor::No: return XC_X_cursor;
    case Cursor::Hand: return XC_hand2;
    case Cursor::Help: return XC_question_arrow;
    default: return XC_left_ptr;
    }
}

class X11Backend : public Backend {
public:
    explicit X11Backend(::Display* display) : dpy_(display) {
        screen_ = DefaultScreen(dpy_);
        root_ = RootWindow(dpy_, screen_);
        XSetErrorHandler(IgnoreErrors);
        if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
        XVisualInfo vi;
        if (XMatchVisualInfo(dpy_, screen_, 32, TrueColor, &vi)) {
            argbVisual_ = vi.visual;
            argbColormap_ = XCreateColormap(dpy_, root_, argbVisual_, AllocNone);
        }
        const char* names[] = {"WM_PROTOCOLS",          "WM_DELETE_WINDOW",          "_NET_WM_NAME",
                               "UTF8_STRING",           "_NET_WM_ICON",              "_NET_WM_WINDOW_TYPE",
                               "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_WINDOW_TYPE_TOOLTIP",
                               "_MOTIF_WM_HINTS",       "_NET_WM_MOVERESIZE",        "_NET_SUPPORTED",
                               "_NET_ACTIVE_WINDOW",    "_NET_WORKAREA",             "_NET_WM_WINDOW_OPACITY",
                               "_NET_SUPPORTING_WM_CHECK", "_NET_WM_STATE",          "_NET_WM_STATE_SKIP_TASKBAR"};
        XInternAtoms(dpy_, const_cast<char**>(names), kAtomCount, False, atoms_);
    }

    ~X11Backend() override {
        for (auto& [id, s] : surfaces_) {
            XFreeGC(dpy_, s.gc);
            XDestroyWindow(dpy_, s.window);
        }
        for (auto& [shape, c] : cursors_) XFreeCursor(dpy_, c);
        if (argbColormap_) XFreeColormap(dpy_, argbColormap_);
        XCloseDisplay(dpy_);
        if (wake_[0] >= 0) {
            close(wake_[0]);
            close(wake_[1]);
        }
    }

    const char* Name() const override { return "x11"; }

    SurfaceId CreateSurface(const SurfaceDesc& d) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        bool argb = d.argb && argbVisual_;
        XSetWindowAttributes a{};
        unsigned long mask = CWBackPixel | CWBorderPixel | CWEventMask | CWBitGravity;
        a.background_pixel = argb ? 0 : WhitePixel(dpy_, screen_);
        a.border_pixel = 0;
        a.bit_gravity = NorthWestGravity;
        a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                       LeaveWindowMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
        if (argb) {
            a.colormap = argbColormap_;
            mask |= CWColormap;
        }
        if (d.kind == SurfaceKind::Tooltip) {
            a.override_redirect = True;
            mask |= CWOverrideRedirect;
        }
        int w = std::max<LONG>(1, d.rect.right - d.rect.left), h = std::max<LONG>(1, d.rect.bottom - d.rect.top);
        ::Window win = XCreateWindow(dpy_, root_, d.rect.left, d.rect.top, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                     argb ? 32 : CopyFromParent, InputOutput, argb ? argbVisual_ : CopyFromParent, mask, &a);
        Atom proto = atoms_[kDeleteWindow];
        XSetWMProtocols(dpy_, win, &proto, 1);
        XSizeHints hints{};
        hints.flags = USPosition | PPosition | USSize | PSize;
        hints.x = d.rect.left;
        hints.y = d.rect.top;
        hints.width = w;
        hints.height = h;
        XSetWMNormalHints(dpy_, win, &hints);
        XWMHints wm{};
        wm.flags = InputHint;
        wm.input = d.kind == SurfaceKind::Tooltip ? False : True;
        XSetWMHints(dpy_, win, &wm);
        Atom type = d.kind == SurfaceKind::Tooltip  ? atoms_[kTypeTooltip]
                    : d.kind == SurfaceKind::Dialog ? atoms_[kTypeDialog]
                                                    : atoms_[kTypeNormal];
        XChangeProperty(dpy_, win, atoms_[kWindowType], XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
        SurfaceId id = next_++;
        Surface& s = surfaces_[id];
        s.window = win;
        s.argb = argb;
        s.gc = XCreateGC(dpy_, win, 0, nullptr);
        s.rect = d.rect;
        byWindow_[win] = id;
        SetDecoratedLocked(s, d.decorated);
        if (d.transientFor) SetTransientLocked(s, d.transientFor);
        SetTitleLocked(s, d.title);
        XFlush(dpy_);
        return id;
    }

    void DestroySurface(SurfaceId id) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        auto it = surfaces_.find(id);
        if (it == surfaces_.end()) return;
        byWindow_.erase(it->second.window);
        XFreeGC(dpy_, it->second.gc);
        XDestroyWindow(dpy_, it->second.window);
        surfaces_.erase(it);
        XFlush(dpy_);
    }

    void Show(SurfaceId id, bool show, bool activate) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s) return;
        if (show) {
            XMapRaised(dpy_, s->window);
            s->mapped = true;
            if (activate) ActivateLocked(*s, true);
        } else {
            XUnmapWindow(dpy_, s->window);
            s->mapped = false;
        }
        XFlush(dpy_);
    }

    void SetGeometry(SurfaceId id, const RECT& r) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s) return;
        s->rect = r;
        XMoveResizeWindow(dpy_, s->window, r.left, r.top, static_cast<unsigned>(std::max<LONG>(1, r.right - r.left)),
                          static_cast<unsigned>(std::max<LONG>(1, r.bottom - r.top)));
        XFlush(dpy_);
    }

    void SetShape(SurfaceId id, const cairo_region_t* shape, bool clickThrough) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s) return;
        std::vector<XRectangle> rects;
        if (shape) {
            int n = cairo_region_num_rectangles(shape);
            for (int i = 0; i < n; ++i) {
                cairo_rectangle_int_t c;
                cairo_region_get_rectangle(shape, i, &c);
                rects.push_back(XRectangle{static_cast<short>(c.x), static_cast<short>(c.y),
                                           static_cast<unsigned short>(c.width), static_cast<unsigned short>(c.height)});
            }
            XShapeCombineRectangles(dpy_, s->window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                                    ShapeSet, Unsorted);
        } else {
            XShapeCombineMask(dpy_, s->window, ShapeBounding, 0, 0, None, ShapeSet);
        }
        if (clickThrough) {
            XShapeCombineRectangles(dpy_, s->window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
        } else if (shape) {
            XShapeCombineRectangles(dpy_, s->window, ShapeInput, 0, 0, rects.data(), static_cast<int>(rects.size()),
                                    ShapeSet, Unsorted);
        } else {
            XShapeCombineMask(dpy_, s->window, ShapeInput, 0, 0, None, ShapeSet);
        }
        XFlush(dpy_);
    }

    void Present(SurfaceId id, cairo_surface_t* pixels, const RECT& dirty, PresentMode mode) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s || !pixels) return;
        cairo_surface_flush(pixels);
        int width = cairo_image_surface_get_width(pixels), height = cairo_image_surface_get_height(pixels);
        int stride = cairo_image_surface_get_stride(pixels);
        auto* data = reinterpret_cast<char*>(cairo_image_surface_get_data(pixels));
        Visual* visual = s->argb ? argbVisual_ : DefaultVisual(dpy_, screen_);
        int depth = s->argb ? 32 : DefaultDepth(dpy_, screen_);
        XImage* img = XCreateImage(dpy_, visual, static_cast<unsigned>(depth), ZPixmap, 0, data, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 32, stride);
        if (!img) return;
        img->byte_order = LSBFirst;
        img->bitmap_bit_order = LSBFirst;
        XInitImage(img);
        int x = std::max<LONG>(0, dirty.left), y = std::max<LONG>(0, dirty.top);
        int w = std::min<LONG>(dirty.right, width) - x, h = std::min<LONG>(dirty.bottom, height) - y;
        if (w > 0 && h > 0) XPutImage(dpy_, s->window, s->gc, img, x, y, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
        img->data = nullptr;
        XDestroyImage(img);
        if (mode.constantAlpha != s->opacity) {
            s->opacity = mode.constantAlpha;
            if (mode.constantAlpha == 255) {
                XDeleteProperty(dpy_, s->window, atoms_[kOpacity]);
            } else {
                unsigned long v = static_cast<unsigned long>(mode.constantAlpha) * 0x01010101ul;
                XChangeProperty(dpy_, s->window, atoms_[kOpacity], XA_CARDINAL, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(&v), 1);
            }
        }
        XFlush(dpy_);
    }

    void SetCursor(SurfaceId id, Cursor cursor) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s) return;
        unsigned shape = CursorShapeOf(cursor);
        auto it = cursors_.find(shape);
        if (it == cursors_.end()) it = cursors_.emplace(shape, XCreateFontCursor(dpy_, shape)).first;
        XDefineCursor(dpy_, s->window, it->second);
        XFlush(dpy_);
    }

    void SetTitle(SurfaceId id, const std::wstring& title) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (Surface* s = Get(id)) SetTitleLocked(*s, title);
        XFlush(dpy_);
    }

    void SetIcon(SurfaceId id, int width, int height, const uint32_t* argb) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s || width <= 0 || height <= 0) return;
        // _NET_WM_ICON: width, height, then straight (not premultiplied) ARGB, one long each.
        std::vector<unsigned long> data;
        data.reserve(2 + static_cast<size_t>(width) * height);
        data.push_back(static_cast<unsigned long>(width));
        data.push_back(static_cast<unsigned long>(height));
        for (int i = 0; i < width * height; ++i) {
            uint32_t p = argb[i], a = p >> 24;
            if (a && a != 255) {
                uint32_t r = std::min<uint32_t>(255, ((p >> 16) & 0xff) * 255 / a),
                         g = std::min<uint32_t>(255, ((p >> 8) & 0xff) * 255 / a), b = std::min<uint32_t>(255, (p & 0xff) * 255 / a);
                p = (a << 24) | (r << 16) | (g << 8) | b;
            }
            data.push_back(p);
        }
        XChangeProperty(dpy_, s->window, atoms_[kIcon], XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(data.data()), static_cast<int>(data.size()));
        XFlush(dpy_);
    }

    void SetDecorated(SurfaceId id, bool decorated) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (Surface* s = Get(id)) SetDecoratedLocked(*s, decorated);
        XFlush(dpy_);
    }

    void SetTransientFor(SurfaceId id, SurfaceId owner) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (Surface* s = Get(id)) SetTransientLocked(*s, owner);
        XFlush(dpy_);
    }

    void Restack(const std::vector<SurfaceId>& frontToBack) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (frontToBack == lastOrder_) return;
        lastOrder_ = frontToBack;
        std::vector<::Window> windows;
        for (SurfaceId id : frontToBack)
            if (Surface* s = Get(id)) windows.push_back(s->window);
        if (windows.empty()) return;
        if (HasWindowManager()) {
            for (auto it = windows.rbegin(); it != windows.rend(); ++it) XRaiseWindow(dpy_, *it);
        } else {
            XRaiseWindow(dpy_, windows.front());
            XRestackWindows(dpy_, windows.data(), static_cast<int>(windows.size()));
        }
        XFlush(dpy_);
    }

    void Minimize(SurfaceId id) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (Surface* s = Get(id)) XIconifyWindow(dpy_, s->window, screen_);
        XFlush(dpy_);
    }

    void Activate(SurfaceId id) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (Surface* s = Get(id)) ActivateLocked(*s, false);
        XFlush(dpy_);
    }

    void GrabPointer(SurfaceId id) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s || !s->mapped) return;
        XGrabPointer(dpy_, s->window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                     GrabModeAsync, None, None, CurrentTime);
        XFlush(dpy_);
    }

    void UngrabPointer() override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        XUngrabPointer(dpy_, CurrentTime);
        XFlush(dpy_);
    }

    bool BeginDesktopMoveResize(SurfaceId id, POINT pt, int hit) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        Surface* s = Get(id);
        if (!s || !Supports(atoms_[kMoveResize])) return false;
        long direction;
        switch (hit) {
        case HTCAPTION: direction = 8; break;
        case HTTOPLEFT: direction = 0; break;
        case HTTOP: direction = 1; break;
        case HTTOPRIGHT: direction = 2; break;
        case HTRIGHT: direction = 3; break;
        case HTBOTTOMRIGHT: direction = 4; break;
        case HTBOTTOM: direction = 5; break;
        case HTBOTTOMLEFT: direction = 6; break;
        case HTLEFT: direction = 7; break;
        default: return false;
        }
        // The desktop takes over the pointer; our implicit grab must end first.
        XUngrabPointer(dpy_, CurrentTime);
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = s->window;
        e.xclient.message_type = atoms_[kMoveResize];
        e.xclient.format = 32;
        e.xclient.data.l[0] = pt.x;
        e.xclient.data.l[1] = pt.y;
        e.xclient.data.l[2] = direction;
        e.xclient.data.l[3] = Button1;
        e.xclient.data.l[4] = 1;
        XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(dpy_);
        return true;
    }

    bool NextEvent(NativeEvent& out, int timeoutMs) override {
        for (;;) {
            {
                std::lock_guard<std::recursive_mutex> lock(mutex_);
                while (XPending(dpy_)) {
                    XEvent e;
                    XNextEvent(dpy_, &e);
                    if (Translate(e, out)) return true;
                }
            }
            pollfd fds[2] = {{ConnectionNumber(dpy_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
            int r = poll(fds, wake_[0] >= 0 ? 2 : 1, timeoutMs);
            if (r <= 0) return false;
            if (wake_[0] >= 0 && (fds[1].revents & POLLIN)) {
                char buffer[64];
                while (read(wake_[0], buffer, sizeof buffer) > 0) {
                }
                return false;
            }
            timeoutMs = 0; // X data arrived; whatever it holds, do not block again
        }
    }

    void Wake() override {
        if (wake_[1] >= 0) {
            char c = 1;
            ssize_t ignored = write(wake_[1], &c, 1);
            (void)ignored;
        }
    }

    std::vector<MonitorDesc> Monitors() override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        RECT area{0, 0, DisplayWidth(dpy_, screen_), DisplayHeight(dpy_, screen_)};
        RECT work = area;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, root_, atoms_[kWorkArea], 0, 4, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success &&
            data && count >= 4 && format == 32) {
            auto* v = reinterpret_cast<long*>(data);
            work = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[0] + v[2]),
                        static_cast<LONG>(v[1] + v[3])};
        }
        if (data) XFree(data);
        return {MonitorDesc{area, work, true}};
    }

private:
    enum {
        kProtocols, kDeleteWindow, kNetName, kUtf8, kIcon, kWindowType, kTypeNormal, kTypeDialog, kTypeTooltip,
        kMotifHints, kMoveResize, kSupported, kActiveWindow, kWorkArea, kOpacity, kSupportingCheck, kState,
        kStateSkipTaskbar, kAtomCount
    };

    struct Surface {
        ::Window window = 0;
        GC gc = nullptr;
        bool argb = false;
        bool mapped = false;
        BYTE opacity = 255;
        bool focusWhenMapped = false;
        RECT rect{};
    };

    Surface* Get(SurfaceId id) {
        auto it = surfaces_.find(id);
        return it == surfaces_.end() ? nullptr : &it->second;
    }

    SurfaceId IdOf(::Window w) {
        auto it = byWindow_.find(w);
        return it == byWindow_.end() ? 0 : it->second;
    }

    bool HasWindowManager() {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        bool present = XGetWindowProperty(dpy_, root_, atoms_[kSupportingCheck], 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data) == Success &&
                       data && count == 1;
        if (data) XFree(data);
        return present;
    }

    bool Supports(Atom atom) {
        if (!HasWindowManager()) return false;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(dpy_, root_, atoms_[kSupported], 0, 4096, False, XA_ATOM, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            auto* atoms = reinterpret_cast<Atom*>(data);
            for (unsigned long i = 0; i < count; ++i)
                if (atoms[i] == atom) found = true;
        }
        if (data) XFree(data);
        return found;
    }

    void SetTitleLocked(Surface& s, const std::wstring& title) {
        const std::string utf8 = Utf8FromWide(title);
        XChangeProperty(dpy_, s.window, atoms_[kNetName], atoms_[kUtf8], 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
        XStoreName(dpy_, s.window, utf8.c_str());
    }

    void SetDecoratedLocked(Surface& s, bool decorated) {
        // Motif hints: flags = decorations, decorations = all or none.
        long hints[5] = {2, 0, decorated ? 1 : 0, 0, 0};
        XChangeProperty(dpy_, s.window, atoms_[kMotifHints], atoms_[kMotifHints], 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(hints), 5);
    }

    void SetTransientLocked(Surface& s, SurfaceId owner) {
        Surface* o = Get(owner);
        if (o) XSetTransientForHint(dpy_, s.window, o->window);
        else XDeleteProperty(dpy_, s.window, XA_WM_TRANSIENT_FOR);
    }

    void ActivateLocked(Surface& s, bool justMapped) {
        if (HasWindowManager()) {
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = s.window;
            e.xclient.message_type = atoms_[kActiveWindow];
            e.xclient.format = 32;
            e.xclient.data.l[0] = 1;
            e.xclient.data.l[1] = CurrentTime;
            XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
            return;
        }
        // Without a desktop the focus is set directly, once the window can be seen.
        if (justMapped) {
            s.focusWhenMapped = true;
            return;
        }
        XWindowAttributes wa;
        if (XGetWindowAttributes(dpy_, s.window, &wa) && wa.map_state == IsViewable)
            XSetInputFocus(dpy_, s.window, RevertToParent, CurrentTime);
    }

    bool Translate(XEvent& e, NativeEvent& out) {
        out = NativeEvent{};
        SurfaceId id = IdOf(e.xany.window);
        if (!id) return false;
        out.surface = id;
        switch (e.type) {
        case MotionNotify:
            out.kind = EventKind::MouseMove;
            out.pt = POINT{e.xmotion.x_root, e.xmotion.y_root};
            return true;
        case EnterNotify:
            if (e.xcrossing.mode != NotifyNormal) return false;
            out.kind = EventKind::MouseMove;
            out.pt = POINT{e.xcrossing.x_root, e.xcrossing.y_root};
            return true;
        case LeaveNotify:
            if (e.xcrossing.mode != NotifyNormal || e.xcrossing.detail == NotifyInferior) return false;
            out.kind = EventKind::PointerLeft;
            out.pt = POINT{e.xcrossing.x_root, e.xcrossing.y_root};
            return true;
        case ButtonPress:
        case ButtonRelease: {
            out.pt = POINT{e.xbutton.x_root, e.xbutton.y_root};
            unsigned b = e.xbutton.button;
            if (b == Button4 || b == Button5) {
                if (e.type == ButtonRelease) return false;
                out.kind = EventKind::Wheel;
                out.wheel = b == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
                return true;
            }
            if (b > Button3) return false;
            out.kind = e.type == ButtonPress ? EventKind::ButtonDown : EventKind::ButtonUp;
            out.button = b == Button1 ? 1 : b == Button2 ? 2 : 3;
            return true;
        }
        case KeyPress:
        case KeyRelease: {
            char text[16] = {};
            KeySym sym = 0;
            int n = XLookupString(&e.xkey, text, sizeof text, &sym, nullptr);
            out.vk = VkOfKeysym(sym);
            if (!out.vk) {
                KeySym base = XLookupKeysym(&e.xkey, 0);
                out.vk = VkOfKeysym(base);
            }
            if (!out.vk) return false;
            out.kind = e.type == KeyPress ? EventKind::KeyDown : EventKind::KeyUp;
            if (e.type == KeyPress) {
                if (sym >= 0x1000000) out.ch = static_cast<wchar_t>(sym - 0x1000000);
                else if (n == 1) out.ch = static_cast<wchar_t>(static_cast<unsigned char>(text[0]));
            }
            out.pt = POINT{e.xkey.x_root, e.xkey.y_root};
            return true;
        }
        case Expose:
            out.kind = EventKind::Exposed;
            out.rect = RECT{e.xexpose.x, e.xexpose.y, e.xexpose.x + e.xexpose.width, e.xexpose.y + e.xexpose.height};
            return true;
        case MapNotify: {
            Surface* s = Get(id);
            if (s && s->focusWhenMapped) {
                s->focusWhenMapped = false;
                XSetInputFocus(dpy_, s->window, RevertToParent, CurrentTime);
            }
            return false;
        }
        case ConfigureNotify: {
            int x = 0, y = 0;
            ::Window child;
            XTranslateCoordinates(dpy_, e.xconfigure.window, root_, 0, 0, &x, &y, &child);
            out.kind = EventKind::Configure;
            out.rect = RECT{x, y, x + e.xconfigure.width, y + e.xconfigure.height};
            Surface* s = Get(id);
            if (s) {
                if (EqualRect(&s->rect, &out.rect)) return false;
                s->rect = out.rect;
            }
            return true;
        }
        case ClientMessage:
            if (static_cast<Atom>(e.xclient.message_type) == atoms_[kProtocols] &&
                static_cast<Atom>(e.xclient.data.l[0]) == atoms_[kDeleteWindow]) {
                out.kind = EventKind::CloseRequest;
                return true;
            }
            return false;
        case FocusIn:
        case FocusOut:
            if (e.xfocus.mode == NotifyGrab || e.xfocus.mode == NotifyUngrab || e.xfocus.detail == NotifyPointer)
                return false;
            out.kind = e.type == FocusIn ? EventKind::FocusGained : EventKind::FocusLost;
            return true;
        default: return false;
        }
    }

    ::Display* dpy_;
    int screen_;
    ::Window root_;
    Visual* argbVisual_ = nullptr;
    Colormap argbColormap_ = 0;
    Atom atoms_[kAtomCount] = {};
    int wake_[2] = {-1, -1};
    std::recursive_mutex mutex_;
    std::map<SurfaceId, Surface> surfaces_;
    std::map<::Window, SurfaceId> byWindow_;
    std::map<unsigned, ::Cursor> cursors_;
    std::vector<SurfaceId> lastOrder_;
    SurfaceId next_ = 1;
};

} // namespace

std::unique_ptr<Backend> CreateX11Backend() {
    static bool threadsReady = XInitThreads() != 0;
    (void)threadsReady;
    ::Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) return nullptr;
    int eventBase, errorBase;
    if (!XShapeQueryExtension(dpy, &eventBase, &errorBase)) {
        XCloseDisplay(dpy);
        return nullptr;
    }
    return std::make_unique<X11Backend>(dpy);
}

} // namespace uiplatform::wm
