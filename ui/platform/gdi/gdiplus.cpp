// The GDI+ flat calls, drawn through the DC they were created on (its clip and origins).
#include "ui/platform/gdi/text.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cwchar>
#include <mutex>
#include <unordered_map>
#include <vector>

using namespace Gdiplus;
using namespace uiplatform::gdi;

namespace {

std::atomic<int> g_started{0};

enum class PlusKind { Graphics, Brush, Pen, Font, Format };

struct GraphicsImpl : GpGraphics {
    HDC hdc = nullptr;
    SmoothingMode smoothing = SmoothingModeNone;
    InterpolationMode interpolation = InterpolationModeBilinear;
    TextRenderingHint textHint = TextRenderingHintSystemDefault;
};
struct BrushImpl : GpSolidFill {
    ARGB color = 0;
};
struct PenImpl : GpPen {
    ARGB color = 0;
    REAL width = 1;
    PenAlignment alignment = PenAlignmentCenter;
};
struct FontImpl : GpFont {
    Font* font = nullptr; // private GDI font object
    ~FontImpl() {
        if (font)
            destroyObject(font);
    }
};
struct FormatImpl : GpStringFormat {
    INT flags = 0;
    StringAlignment align = StringAlignmentNear;
    StringAlignment lineAlign = StringAlignmentNear;
    StringTrimming trimming = StringTrimmingCharacter;
};

std::mutex& liveMutex() {
    static std::mutex m;
    return m;
}
std::unordered_map<const void*, PlusKind>& live() {
    static auto* m = new std::unordered_map<const void*, PlusKind>();
    return *m;
}

template <class T> T* track(T* object, PlusKind kind) {
    std::lock_guard<std::mutex> lock(liveMutex());
    live()[object] = kind;
    return object;
}

template <class T> T* check(const void* p, PlusKind kind) {
    if (!p)
        return nullptr;
    std::lock_guard<std::mutex> lock(liveMutex());
    auto it = live().find(p);
    if (it == live().end() || it->second != kind)
        return nullptr;
    return static_cast<T*>(const_cast<void*>(p));
}

template <class T> GpStatus dispose(const void* p, PlusKind kind) {
    T* object = check<T>(p, kind);
    if (!object)
        return InvalidParameter;
    {
        std::lock_guard<std::mutex> lock(liveMutex());
        live().erase(p);
    }
    delete object;
    return Ok;
}

bool started() { return g_started.load() > 0; }

#define REQUIRE_STARTED()                                                                                              \
    do {                                                                                                               \
        if (!started())                                                                                                \
            return GdiplusNotInitialized;                                                                              \
    } while (0)

// A context on the graphics' DC in logical coordinates, clipped to the DC's clip.
cairo_t* contextOf(GraphicsImpl* g, Dc** dcOut) {
    Dc* dc = asDc(g->hdc);
    if (!dc)
        return nullptr;
    cairo_t* cr = createContext(dc);
    POINT o = dc->toDevice(0, 0);
    cairo_translate(cr, o.x, o.y);
    if (dcOut)
        *dcOut = dc;
    return cr;
}

void setArgb(cairo_t* cr, ARGB c) {
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                          ((c >> 24) & 0xFF) / 255.0);
}

bool finite(REAL v) { return std::isfinite(v); }

} // namespace

namespace Gdiplus {

Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
    if (!token || !input)
        return InvalidParameter;
    if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3)
        return UnsupportedGdiplusVersion;
    if (input->SuppressBackgroundThread && !output)
        return InvalidParameter;
    if (output)
        *output = GdiplusStartupOutput{};
    int n = ++g_started;
    *token = static_cast<ULONG_PTR>(n);
    return Ok;
}

void WINAPI GdiplusShutdown(ULONG_PTR token) {
    if (token == 0)
        return;
    int n = g_started.load();
    while (n > 0 && !g_started.compare_exchange_weak(n, n - 1)) {
    }
}

namespace DllExports {

GpStatus WINAPI GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) {
    REQUIRE_STARTED();
    if (!graphics || !asDc(hdc))
        return InvalidParameter;
    auto* g = new GraphicsImpl();
    g->hdc = hdc;
    *graphics = track(g, PlusKind::Graphics);
    return Ok;
}

GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics) { return dispose<GraphicsImpl>(graphics, PlusKind::Graphics); }

GpStatus WINAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode smoothingMode) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    if (!g || smoothingMode < SmoothingModeDefault || smoothingMode > SmoothingModeAntiAlias)
        return InvalidParameter;
    g->smoothing = smoothingMode;
    return Ok;
}

GpStatus WINAPI GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode interpolationMode) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    if (!g || interpolationMode < InterpolationModeDefault || interpolationMode > InterpolationModeHighQualityBicubic)
        return InvalidParameter;
    g->interpolation = interpolationMode;
    return Ok;
}

GpStatus WINAPI GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint mode) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    if (!g || mode < TextRenderingHintSystemDefault || mode > TextRenderingHintClearTypeGridFit)
        return InvalidParameter;
    g->textHint = mode;
    return Ok;
}

GpStatus WINAPI GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
    REQUIRE_STARTED();
    if (!brush)
        return InvalidParameter;
    auto* b = new BrushImpl();
    b->color = color;
    *brush = track(b, PlusKind::Brush);
    return Ok;
}

GpStatus WINAPI GdipDeleteBrush(GpBrush* brush) {
    return dispose<BrushImpl>(static_cast<BrushImpl*>(static_cast<GpSolidFill*>(brush)), PlusKind::Brush);
}

GpStatus WINAPI GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    auto* b = check<BrushImpl>(static_cast<GpSolidFill*>(brush), PlusKind::Brush);
    if (!g || !b || !finite(x) || !finite(y) || !finite(width) || !finite(height))
        return InvalidParameter;
    if (width <= 0 || height <= 0)
        return Ok;
    Dc* dc = nullptr;
    cairo_t* cr = contextOf(g, &dc);
    if (!cr)
        return InvalidParameter;
    if (g->smoothing != SmoothingModeAntiAlias && g->smoothing != SmoothingModeHighQuality)
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    setArgb(cr, b->color);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
    return Ok;
}

GpStatus WINAPI GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
    return GdipFillRectangle(graphics, brush, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width),
                             static_cast<REAL>(height));
}

GpStatus WINAPI GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen) {
    REQUIRE_STARTED();
    if (!pen || !finite(width) || width < 0 || (unit != UnitWorld && unit != UnitPixel))
        return InvalidParameter;
    auto* p = new PenImpl();
    p->color = color;
    p->width = width;
    *pen = track(p, PlusKind::Pen);
    return Ok;
}

GpStatus WINAPI GdipDeletePen(GpPen* pen) { return dispose<PenImpl>(pen, PlusKind::Pen); }

GpStatus WINAPI GdipSetPenMode(GpPen* pen, GpPenAlignment penMode) {
    auto* p = check<PenImpl>(pen, PlusKind::Pen);
    if (!p || (penMode != PenAlignmentCenter && penMode != PenAlignmentInset))
        return InvalidParameter;
    p->alignment = penMode;
    return Ok;
}

GpStatus WINAPI GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    auto* p = check<PenImpl>(pen, PlusKind::Pen);
    if (!g || !p || !finite(x) || !finite(y) || !finite(width) || !finite(height))
        return InvalidParameter;
    if (width < 0 || height < 0)
        return Ok;
    Dc* dc = nullptr;
    cairo_t* cr = contextOf(g, &dc);
    if (!cr)
        return InvalidParameter;
    // The box of pixels the outline spans: x..x+width inclusive, as GDI+ draws one-pixel pens.
    int l = static_cast<int>(std::lround(x)), t = static_cast<int>(std::lround(y));
    int r = static_cast<int>(std::lround(x + width)) + 1, b = static_cast<int>(std::lround(y + height)) + 1;
    int w = std::max(1, static_cast<int>(std::lround(p->width)));
    if (p->alignment == PenAlignmentCenter && w > 1) {
        int grow = w / 2;
        l -= grow;
        t -= grow;
        r += grow;
        b += grow;
    }
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, l, t, r - l, b - t);
    if (r - l > 2 * w && b - t > 2 * w)
        cairo_rectangle(cr, l + w, t + w, r - l - 2 * w, b - t - 2 * w);
    setArgb(cr, p->color);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
    return Ok;
}

GpStatus WINAPI GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height) {
    return GdipDrawRectangle(graphics, pen, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width),
                             static_cast<REAL>(height));
}

GpStatus WINAPI GdipCreateFontFromLogfontW(HDC hdc, const LOGFONTW* logfont, GpFont** font) {
    REQUIRE_STARTED();
    if (!font || !logfont || !asDc(hdc))
        return InvalidParameter;
    auto* f = new FontImpl();
    f->font = makeFont(*logfont);
    *font = track(f, PlusKind::Font);
    return Ok;
}

GpStatus WINAPI GdipCreateFontFromDC(HDC hdc, GpFont** font) {
    Dc* dc = asDc(hdc);
    if (!dc)
        return InvalidParameter;
    return GdipCreateFontFromLogfontW(hdc, &currentFont(dc)->logfont, font);
}

GpStatus WINAPI GdipDeleteFont(GpFont* font) { return dispose<FontImpl>(font, PlusKind::Font); }

GpStatus WINAPI GdipStringFormatGetGenericTypographic(GpStringFormat** format) {
    REQUIRE_STARTED();
    if (!format)
        return InvalidParameter;
    auto* f = new FormatImpl();
    f->flags = StringFormatFlagsNoFitBlackBox | StringFormatFlagsLineLimit | StringFormatFlagsNoClip;
    f->trimming = StringTrimmingNone;
    *format = track(f, PlusKind::Format);
    return Ok;
}

GpStatus WINAPI GdipCloneStringFormat(const GpStringFormat* format, GpStringFormat** newFormat) {
    auto* f = check<FormatImpl>(format, PlusKind::Format);
    if (!f || !newFormat)
        return InvalidParameter;
    *newFormat = track(new FormatImpl(*f), PlusKind::Format);
    return Ok;
}

GpStatus WINAPI GdipDeleteStringFormat(GpStringFormat* format) { return dispose<FormatImpl>(format, PlusKind::Format); }

GpStatus WINAPI GdipSetStringFormatFlags(GpStringFormat* format, INT flags) {
    auto* f = check<FormatImpl>(format, PlusKind::Format);
    if (!f)
        return InvalidParameter;
    f->flags = flags;
    return Ok;
}

GpStatus WINAPI GdipGetStringFormatFlags(const GpStringFormat* format, INT* flags) {
    auto* f = check<FormatImpl>(format, PlusKind::Format);
    if (!f || !flags)
        return InvalidParameter;
    *flags = f->flags;
    return Ok;
}

GpStatus WINAPI GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
    auto* f = check<FormatImpl>(format, PlusKind::Format);
    if (!f || align < StringAlignmentNear || align > StringAlignmentFar)
        return InvalidParameter;
    f->align = align;
    return Ok;
}

GpStatus WINAPI GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
    auto* f = check<FormatImpl>(format, PlusKind::Format);
    if (!f || align < StringAlignmentNear || align > StringAlignmentFar)
        return InvalidParameter;
    f->lineAlign = align;
    return Ok;
}

GpStatus WINAPI GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming) {
    auto* f = check<FormatImpl>(format, PlusKind::Format);
    if (!f || trimming < StringTrimmingNone || trimming > StringTrimmingEllipsisPath)
        return InvalidParameter;
    f->trimming = trimming;
    return Ok;
}

} // namespace DllExports
} // namespace Gdiplus

// ---- strings ----

namespace {

struct StringLayout {
    PangoLayout* layout = nullptr;
    PangoContext* ownContext = nullptr;
    double x = 0, y = 0;         // top-left of the text block
    double width = 0, height = 0; // the block's logical size
    int lines = 0;
    int codepoints = 0;
    std::vector<double> lineX; // left edge of each shown line, in the graphics' coordinates
    ~StringLayout() {
        if (layout)
            g_object_unref(layout);
        if (ownContext)
            g_object_unref(ownContext);
    }
};

// Lays a string out the way GDI+ does for a layout rectangle: wrapping at its width unless
// NoWrap, only whole lines with LineLimit, trimming at the last visible line, alignment
// inside the rectangle (or around its corner when a side is 0).
void layOut(StringLayout& out, const WCHAR* string, INT length, FontImpl* font, const RectF& rect,
            const FormatImpl* format, TextRenderingHint hint) {
    size_t n = length < 0 ? std::wcslen(string) : static_cast<size_t>(length);
    PangoContext* context = textContext();
    if (hint == TextRenderingHintSingleBitPerPixelGridFit || hint == TextRenderingHintSingleBitPerPixel) {
        out.ownContext = pango_font_map_create_context(pango_context_get_font_map(context));
        pango_cairo_context_set_resolution(out.ownContext, 96.0);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(out.ownContext, options);
        cairo_font_options_destroy(options);
        context = out.ownContext;
    }
    std::string text = toUtf8(string, n);
    out.layout = pango_layout_new(context);
    PangoLayout* l = out.layout;
    pango_layout_set_font_description(l, font->font->desc);
    pango_layout_set_text(l, text.data(), static_cast<int>(text.size()));
    const INT flags = format ? format->flags : 0;
    const StringTrimming trimming = format ? format->trimming : StringTrimmingCharacter;
    const bool wrap = !(flags & StringFormatFlagsNoWrap) && rect.Width > 0;
    if (rect.Width > 0) {
        pango_layout_set_width(l, static_cast<int>(rect.Width * PANGO_SCALE));
        pango_layout_set_wrap(l, PANGO_WRAP_WORD_CHAR);
        // Trimming applies where text runs out of room: the width of an unwrapped line, or
        // the height of the rectangle for wrapped text.
        bool canOverflow = !wrap || rect.Height > 0;
        if (canOverflow && (trimming == StringTrimmingEllipsisCharacter || trimming == StringTrimmingEllipsisWord))
            pango_layout_set_ellipsize(l, PANGO_ELLIPSIZE_END);
        else if (canOverflow && trimming == StringTrimmingEllipsisPath)
            pango_layout_set_ellipsize(l, PANGO_ELLIPSIZE_MIDDLE);
        // Without wrapping every paragraph is one line; ellipsizing keeps it to the width.
        if (!wrap && pango_layout_get_ellipsize(l) == PANGO_ELLIPSIZE_NONE)
            pango_layout_set_width(l, -1);
    }
    if (wrap && rect.Height > 0 && pango_layout_get_ellipsize(l) != PANGO_ELLIPSIZE_NONE)
        pango_layout_set_height(l, static_cast<int>(rect.Height * PANGO_SCALE));
    const StringAlignment align = format ? format->align : StringAlignmentNear;
    if (rect.Width > 0 && pango_layout_get_width(l) > 0)
        pango_layout_set_alignment(l, align == StringAlignmentCenter ? PANGO_ALIGN_CENTER
                                      : align == StringAlignmentFar  ? PANGO_ALIGN_RIGHT
                                                                     : PANGO_ALIGN_LEFT);
    // Lines that fit (all of them without a height, whole ones only with LineLimit).
    PangoLayoutIter* it = pango_layout_get_iter(l);
    double used = 0, widest = 0, minX = 1e9;
    int lines = 0, lastByte = 0;
    const bool boxed = pango_layout_get_width(l) > 0; // Pango aligns inside the width
    const double room = rect.Width > 0 ? rect.Width : 0;
    do {
        int top, bottom;
        pango_layout_iter_get_line_yrange(it, &top, &bottom);
        double lineBottom = bottom / double(PANGO_SCALE);
        if (rect.Height > 0 && lines > 0 && lineBottom > rect.Height + 0.01 && (flags & StringFormatFlagsLineLimit))
            break;
        if (rect.Height > 0 && lines > 0 && top / double(PANGO_SCALE) >= rect.Height)
            break;
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(it, nullptr, &logical);
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(it);
        double lineWidth = logical.width / double(PANGO_SCALE);
        double x = logical.x / double(PANGO_SCALE);
        if (!boxed)
            x = align == StringAlignmentCenter ? (room - lineWidth) / 2 : align == StringAlignmentFar ? room - lineWidth : 0;
        out.lineX.push_back(rect.X + x);
        widest = std::max(widest, lineWidth);
        minX = std::min(minX, x);
        used = lineBottom;
        lastByte = line->start_index + line->length;
        ++lines;
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    out.lines = lines;
    out.width = widest;
    out.height = used;
    out.codepoints = static_cast<int>(g_utf8_strlen(text.data(), lastByte));
    if (lines == 1 && lastByte >= static_cast<int>(text.size()))
        out.codepoints = static_cast<int>(n);
    out.x = rect.X + (lines > 0 ? minX : 0);
    StringAlignment lineAlign = format ? format->lineAlign : StringAlignmentNear;
    double roomY = rect.Height > 0 ? rect.Height : 0;
    out.y = rect.Y;
    if (lineAlign == StringAlignmentCenter)
        out.y = rect.Y + (roomY - used) / 2;
    else if (lineAlign == StringAlignmentFar)
        out.y = rect.Y + roomY - used;
}

} // namespace

namespace Gdiplus::DllExports {

GpStatus WINAPI GdipDrawString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                               const RectF* layoutRect, const GpStringFormat* stringFormat, const GpBrush* brush) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    auto* f = check<FontImpl>(font, PlusKind::Font);
    auto* b = check<BrushImpl>(static_cast<const GpSolidFill*>(brush), PlusKind::Brush);
    const FormatImpl* format = stringFormat ? check<FormatImpl>(stringFormat, PlusKind::Format) : nullptr;
    if (!g || !f || !b || !string || !layoutRect || (stringFormat && !format) || length < -1)
        return InvalidParameter;
    StringLayout s;
    layOut(s, string, length, f, *layoutRect, format, g->textHint);
    Dc* dc = nullptr;
    cairo_t* cr = contextOf(g, &dc);
    if (!cr)
        return InvalidParameter;
    const INT flags = format ? format->flags : 0;
    if (!(flags & StringFormatFlagsNoClip) && layoutRect->Width > 0 && layoutRect->Height > 0) {
        cairo_rectangle(cr, layoutRect->X, layoutRect->Y, layoutRect->Width, layoutRect->Height);
        cairo_clip(cr);
    }
    setArgb(cr, b->color);
    PangoLayoutIter* it = pango_layout_get_iter(s.layout);
    int drawn = 0;
    do {
        if (drawn >= s.lines)
            break;
        int baseline = pango_layout_iter_get_baseline(it);
        cairo_move_to(cr, s.lineX[drawn++], s.y + baseline / double(PANGO_SCALE));
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(it));
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
    return Ok;
}

GpStatus WINAPI GdipMeasureString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                                  const RectF* layoutRect, const GpStringFormat* stringFormat, RectF* boundingBox,
                                  INT* codepointsFitted, INT* linesFilled) {
    auto* g = check<GraphicsImpl>(graphics, PlusKind::Graphics);
    auto* f = check<FontImpl>(font, PlusKind::Font);
    const FormatImpl* format = stringFormat ? check<FormatImpl>(stringFormat, PlusKind::Format) : nullptr;
    if (!g || !f || !string || !layoutRect || !boundingBox || (stringFormat && !format) || length < -1)
        return InvalidParameter;
    StringLayout s;
    layOut(s, string, length, f, *layoutRect, format, g->textHint);
    *boundingBox = RectF(static_cast<REAL>(s.x), static_cast<REAL>(s.y), static_cast<REAL>(s.width),
                         static_cast<REAL>(s.height));
    if (codepointsFitted)
        *codepointsFitted = s.codepoints;
    if (linesFilled)
        *linesFilled = s.lines;
    return Ok;
}

} // namespace Gdiplus::DllExports
