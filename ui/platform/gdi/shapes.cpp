// Pens, lines, rectangles and rounded rectangles. One-pixel pens are plotted exactly
// (Bresenham, last point excluded, Windows dash lengths); wider pens go through cairo
// without anti-aliasing so that edges stay on whole pixels.
#include "ui/platform/gdi/objects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace uiplatform::gdi;

namespace uiplatform::gdi {
void fillDevice(Dc* dc, const RECT& area, uint32_t pixel);
}

namespace {

// Dash pattern of cosmetic pens: lengths of on and off runs.
struct Pattern {
    int on = 0;
    int off = 0;
};

Pattern patternOf(const Pen* pen) {
    switch (pen->style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    default:
        return {};
    }
}

class Plotter {
public:
    Plotter(Dc* dc, const Pen* pen) : dc_(dc), pen_(pen), pattern_(patternOf(pen)) {
        clip_ = dc->drawClip();
        surface_ = dc->target();
        cairo_surface_flush(surface_);
        pixel_ = opaquePixel(pen->color);
    }
    ~Plotter() {
        cairo_region_destroy(clip_);
        cairo_surface_mark_dirty(surface_);
    }
    // Device coordinates; the end point is not drawn.
    void line(POINT a, POINT b) {
        // Lines far longer than any surface are clipped geometrically instead of walked.
        if (std::abs(static_cast<long long>(b.x) - a.x) + std::abs(static_cast<long long>(b.y) - a.y) > kLongLine) {
            longLine(a, b);
            return;
        }
        int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
        int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
        int err = dx + dy;
        int x = a.x, y = a.y;
        while (x != b.x || y != b.y) {
            plot(x, y);
            int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }

private:
    static constexpr long long kLongLine = 1 << 16;
    void longLine(POINT a, POINT b) {
        // Only the piece over the surface is stroked; the dash phase carries over.
        double x0 = a.x + 0.5, y0 = a.y + 0.5, dx = b.x - a.x, dy = b.y - a.y;
        double t0 = 0, t1 = 1;
        auto clip = [&](double p, double q) {
            if (p == 0)
                return q >= 0;
            double t = q / p;
            if (p < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            return t0 <= t1;
        };
        double w = dc_->width() + 1.0, h = dc_->height() + 1.0;
        if (!clip(-dx, x0 + 1) || !clip(dx, w - x0) || !clip(-dy, y0 + 1) || !clip(dy, h - y0))
            return;
        double length = std::sqrt(dx * dx + dy * dy);
        cairo_t* cr = createContext(dc_);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr, 1);
        cairo_set_source_rgb(cr, (pen_->color & 0xFF) / 255.0, ((pen_->color >> 8) & 0xFF) / 255.0,
                             ((pen_->color >> 16) & 0xFF) / 255.0);
        if (pattern_.on) {
            double dashes[2] = {static_cast<double>(pattern_.on), static_cast<double>(pattern_.off)};
            cairo_set_dash(cr, dashes, 2, std::fmod(t0 * length, pattern_.on + pattern_.off));
        }
        cairo_move_to(cr, x0 + t0 * dx, y0 + t0 * dy);
        cairo_line_to(cr, x0 + t1 * dx, y0 + t1 * dy);
        cairo_stroke(cr);
        cairo_destroy(cr);
    }
    void plot(int x, int y) {
        bool on = true;
        if (pattern_.on) {
            on = step_ % (pattern_.on + pattern_.off) < pattern_.on;
            ++step_;
        }
        if (on && cairo_region_contains_point(clip_, x, y))
            row(surface_, y)[x] = pixel_;
    }
    Dc* dc_;
    const Pen* pen_;
    Pattern pattern_;
    cairo_region_t* clip_;
    cairo_surface_t* surface_;
    uint32_t pixel_;
    long step_ = 0;
};

void setSource(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

void strokeWide(Dc* dc, const Pen* pen, void (*path)(cairo_t*, const double*), const double* args) {
    cairo_t* cr = createContext(dc);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, pen->width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setSource(cr, pen->color);
    path(cr, args);
    cairo_stroke(cr);
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
}

bool hasPen(const Dc* dc) { return dc->state.pen && dc->state.pen->style != PS_NULL; }
bool hasBrush(const Dc* dc) { return dc->state.brush && !dc->state.brush->hollow; }

void roundedPath(cairo_t* cr, double l, double t, double r, double b, double rx, double ry) {
    rx = std::min(rx, (r - l) / 2);
    ry = std::min(ry, (b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, l, t, r - l, b - t);
        return;
    }
    cairo_new_path(cr);
    auto corner = [&](double cx, double cy, double a0, double a1) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, a0, a1);
        cairo_restore(cr);
    };
    corner(r - rx, t + ry, -M_PI / 2, 0);
    corner(r - rx, b - ry, 0, M_PI / 2);
    corner(l + rx, b - ry, M_PI / 2, M_PI);
    corner(l + rx, t + ry, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

} // namespace

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle != PS_SOLID && iStyle != PS_DASH && iStyle != PS_DOT && iStyle != PS_NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* p = new Pen();
    p->style = iStyle;
    p->width = std::max(cWidth, 1);
    if (p->width > 1 && iStyle != PS_NULL)
        p->style = PS_SOLID;
    p->color = color & 0xFFFFFF;
    registerObject(p);
    return reinterpret_cast<HPEN>(p);
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return FALSE;
    if (lppt)
        *lppt = dc->state.current;
    dc->state.current = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return FALSE;
    POINT from = dc->toDevice(dc->state.current.x, dc->state.current.y);
    POINT to = dc->toDevice(x, y);
    dc->state.current = POINT{x, y};
    if (!hasPen(dc))
        return TRUE;
    const Pen* pen = dc->state.pen;
    if (pen->width <= 1) {
        Plotter(dc, pen).line(from, to);
    } else {
        double args[4] = {from.x + 0.5, from.y + 0.5, to.x + 0.5, to.y + 0.5};
        strokeWide(dc, pen,
                   [](cairo_t* cr, const double* a) {
                       cairo_move_to(cr, a[0], a[1]);
                       cairo_line_to(cr, a[2], a[3]);
                   },
                   args);
    }
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return FALSE;
    RECT r = dc->toDevice(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                               std::max(top, bottom)});
    if (r.right - r.left < 2 || r.bottom - r.top < 2)
        return TRUE;
    if (!hasPen(dc)) {
        // Without a pen the figure is one pixel smaller: right and bottom edges stay out.
        if (hasBrush(dc))
            fillDevice(dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, opaquePixel(dc->state.brush->color));
        return TRUE;
    }
    const Pen* pen = dc->state.pen;
    if (hasBrush(dc))
        fillDevice(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, opaquePixel(dc->state.brush->color));
    if (pen->width <= 1) {
        Plotter p(dc, pen);
        POINT a{r.left, r.top}, b{r.right - 1, r.top}, c{r.right - 1, r.bottom - 1}, d{r.left, r.bottom - 1};
        p.line(a, b);
        p.line(b, c);
        p.line(c, d);
        p.line(d, a);
    } else {
        double args[4] = {r.left + 0.5, r.top + 0.5, r.right - r.left - 1.0, r.bottom - r.top - 1.0};
        strokeWide(dc, pen, [](cairo_t* cr, const double* a) { cairo_rectangle(cr, a[0], a[1], a[2], a[3]); }, args);
    }
    return TRUE;
}

BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return FALSE;
    RECT r = dc->toDevice(RECT{std::min(left, right), std::min(top, bottom), std::max(left, right),
                               std::max(top, bottom)});
    if (r.right - r.left < 2 || r.bottom - r.top < 2)
        return TRUE;
    // The outline runs through the centres of the outermost pixels inside the box.
    double l = r.left + 0.5, t = r.top + 0.5, rr = r.right - 0.5, b = r.bottom - 0.5;
    if (!hasPen(dc)) {
        rr -= 1;
        b -= 1;
    }
    double rx = std::abs(static_cast<double>(width)) / 2.0, ry = std::abs(static_cast<double>(height)) / 2.0;
    cairo_t* cr = createContext(dc);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (hasBrush(dc)) {
        setSource(cr, dc->state.brush->color);
        roundedPath(cr, l, t, rr, b, rx, ry);
        cairo_fill(cr);
    }
    if (hasPen(dc)) {
        const Pen* pen = dc->state.pen;
        setSource(cr, pen->color);
        cairo_set_line_width(cr, pen->width);
        // Dashes of a figure far larger than any surface would be generated one by one.
        bool hugeFigure = static_cast<long long>(r.right) - r.left + r.bottom - r.top > (1 << 16);
        if ((pen->style == PS_DASH || pen->style == PS_DOT) && !hugeFigure) {
            Pattern pt = patternOf(pen);
            double dashes[2] = {static_cast<double>(pt.on), static_cast<double>(pt.off)};
            cairo_set_dash(cr, dashes, 2, 0);
        }
        roundedPath(cr, l, t, rr, b, rx, ry);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
    return TRUE;
}
