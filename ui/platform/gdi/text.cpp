// Text output and measurement: DrawTextW's flags on Pango layouts, one layout per line so
// that lines sit exactly one tmHeight apart like GDI's.
#include "ui/platform/gdi/text.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cwchar>

using namespace uiplatform::gdi;

namespace uiplatform::gdi {

void setSourceColor(cairo_t* cr, COLORREF c, double alpha) {
    cairo_set_source_rgba(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0, alpha);
}

PangoLayout* makeLayout(Font* font, const std::string& utf8, int underlineByte, int underlineLength) {
    PangoLayout* layout = pango_layout_new(textContext());
    pango_layout_set_font_description(layout, font->desc);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    PangoAttrList* attrs = pango_attr_list_new();
    if (font->logfont.lfUnderline)
        pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font->logfont.lfStrikeOut)
        pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    if (underlineByte >= 0 && underlineLength > 0) {
        PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        u->start_index = static_cast<guint>(underlineByte);
        u->end_index = static_cast<guint>(underlineByte + underlineLength);
        pango_attr_list_insert(attrs, u);
    }
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
    return layout;
}

int layoutWidth(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    return logical.width;
}

} // namespace uiplatform::gdi

namespace {

// One line of output: its text and the mnemonic characters to underline (byte ranges).
struct Line {
    std::string text;
    std::vector<std::pair<int, int>> underlines;
    int width = 0;
};

int textWidth(Font* font, const std::string& s) {
    PangoLayout* l = makeLayout(font, s);
    int w = layoutWidth(l);
    g_object_unref(l);
    return w;
}

PangoLayout* layoutOf(Font* font, const Line& line) {
    PangoLayout* l = makeLayout(font, line.text);
    if (!line.underlines.empty()) {
        PangoAttrList* attrs = pango_attr_list_copy(pango_layout_get_attributes(l));
        for (auto [start, length] : line.underlines) {
            PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            u->start_index = static_cast<guint>(start);
            u->end_index = static_cast<guint>(start + length);
            pango_attr_list_insert(attrs, u);
        }
        pango_layout_set_attributes(l, attrs);
        pango_attr_list_unref(attrs);
    }
    return l;
}

size_t utf8Length(unsigned char lead) { return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; }

// Splits the text into paragraphs, resolving "&" prefixes unless `noPrefix`: "&x" shows
// x underlined, "&&" shows one "&", a final lone "&" shows nothing.
std::vector<Line> paragraphs(const wchar_t* text, size_t count, bool noPrefix, bool singleLine) {
    std::vector<Line> out(1);
    for (size_t i = 0; i < count; ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            if (!singleLine) {
                if (c == L'\r' && i + 1 < count && text[i + 1] == L'\n')
                    ++i;
                out.emplace_back();
            }
            continue;
        }
        bool underline = false;
        if (!noPrefix && c == L'&') {
            if (i + 1 >= count)
                break;
            c = text[++i];
            underline = c != L'&';
            if (underline && (c == L'\r' || c == L'\n')) {
                --i;
                continue;
            }
        }
        std::string bytes = toUtf8(&c, 1);
        if (underline)
            out.back().underlines.emplace_back(static_cast<int>(out.back().text.size()), static_cast<int>(bytes.size()));
        out.back().text += bytes;
    }
    return out;
}

Line sliceLine(const Line& p, int start, int length) {
    Line l;
    l.text = p.text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
    for (auto [s, n] : p.underlines)
        if (s >= start && s + n <= start + length)
            l.underlines.emplace_back(s - start, n);
    return l;
}

// Breaks a paragraph into lines no wider than `width` at word boundaries (characters too
// when a single word is wider than the line and `breakWords` is set).
std::vector<Line> wrap(Font* font, const Line& p, int width, bool breakWords) {
    PangoLayout* l = makeLayout(font, p.text);
    pango_layout_set_width(l, std::max(width, 1) * PANGO_SCALE);
    pango_layout_set_wrap(l, breakWords ? PANGO_WRAP_WORD_CHAR : PANGO_WRAP_WORD);
    std::vector<Line> lines;
    for (GSList* it = pango_layout_get_lines_readonly(l); it; it = it->next) {
        auto* pl = static_cast<PangoLayoutLine*>(it->data);
        int start = pl->start_index, length = pl->length;
        // Spaces where a line was broken do not count.
        if (it->next)
            while (length > 0 && p.text[static_cast<size_t>(start + length - 1)] == ' ')
                --length;
        lines.push_back(sliceLine(p, start, length));
    }
    g_object_unref(l);
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

// Cuts the line so that it and "..." fit into `width`.
void ellipsize(Font* font, Line& line, int width) {
    std::vector<size_t> bounds; // byte offset after each character
    for (size_t i = 0; i < line.text.size();) {
        i += utf8Length(static_cast<unsigned char>(line.text[i]));
        bounds.push_back(std::min(i, line.text.size()));
    }
    size_t lo = 0, hi = bounds.size(); // characters kept
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (textWidth(font, line.text.substr(0, bounds[mid - 1]) + "...") <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    size_t keep = lo ? bounds[lo - 1] : 0;
    line.text = line.text.substr(0, keep) + "...";
    std::erase_if(line.underlines, [&](const std::pair<int, int>& u) { return static_cast<size_t>(u.first) >= keep; });
}

void drawLine(cairo_t* cr, Font* font, const Line& line, int x, int top, int ascent) {
    PangoLayout* l = layoutOf(font, line);
    cairo_move_to(cr, x, top + ascent);
    pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(l, 0));
    g_object_unref(l);
}

void fillBackground(cairo_t* cr, COLORREF color, int x, int y, int w, int h) {
    cairo_save(cr);
    setSourceColor(cr, color);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
}

size_t lengthOf(LPCWSTR text, int count) { return count < 0 ? std::wcslen(text) : static_cast<size_t>(count); }

} // namespace

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
    Dc* dc = asDc(hdc);
    if (!dc || !psizl || c < 0 || (!lpString && c > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Font* font = currentFont(dc);
    psizl->cx = c ? textWidth(font, toUtf8(lpString, static_cast<size_t>(c))) : 0;
    psizl->cy = metricsOf(font).height;
    return TRUE;
}

BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC) {
    Dc* dc = asDc(hdc);
    if (!dc || !lpABC || wLast < wFirst || wLast > 0x10FFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Font* font = currentFont(dc);
    for (UINT ch = wFirst; ch <= wLast; ++ch) {
        wchar_t w = static_cast<wchar_t>(ch);
        PangoLayout* l = makeLayout(font, toUtf8(&w, 1));
        PangoRectangle ink, logical;
        pango_layout_get_extents(l, &ink, &logical);
        g_object_unref(l);
        int advance = PANGO_PIXELS(logical.width);
        ABC& abc = lpABC[ch - wFirst];
        if (ink.width <= 0) {
            abc = ABC{0, static_cast<UINT>(advance), 0};
            continue;
        }
        int a = PANGO_PIXELS_FLOOR(ink.x - logical.x);
        int right = PANGO_PIXELS_CEIL(ink.x - logical.x + ink.width);
        abc.abcA = a;
        abc.abcB = static_cast<UINT>(std::max(1, right - a));
        abc.abcC = advance - a - static_cast<int>(abc.abcB);
    }
    return TRUE;
}

int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    Dc* dc = asDc(hdc);
    if (!dc || !lprc || !lpchText) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Font* font = currentFont(dc);
    const FontMetrics& m = metricsOf(font);
    const bool singleLine = format & DT_SINGLELINE;
    const int width = clampCoord(static_cast<long long>(lprc->right) - lprc->left);
    std::vector<Line> lines;
    for (Line& p : paragraphs(lpchText, lengthOf(lpchText, cchText), format & DT_NOPREFIX, singleLine)) {
        if ((format & DT_WORDBREAK) && !singleLine && !p.text.empty()) {
            for (Line& l : wrap(font, p, width, format & DT_EDITCONTROL))
                lines.push_back(std::move(l));
        } else {
            lines.push_back(std::move(p));
        }
    }
    for (Line& l : lines) {
        l.width = textWidth(font, l.text);
        if ((format & DT_END_ELLIPSIS) && l.width > width) {
            ellipsize(font, l, width);
            l.width = textWidth(font, l.text);
        }
    }
    const int textHeight = static_cast<int>(lines.size()) * m.height;
    int top = lprc->top;
    if (singleLine) {
        if (format & DT_VCENTER)
            top = clampCoord(lprc->top + (static_cast<long long>(lprc->bottom) - lprc->top - textHeight) / 2);
        else if (format & DT_BOTTOM)
            top = clampCoord(static_cast<long long>(lprc->bottom) - textHeight);
    }
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& l : lines)
            widest = std::max(widest, l.width);
        lprc->right = clampCoord(static_cast<long long>(lprc->left) + widest);
        lprc->bottom = clampCoord(static_cast<long long>(lprc->top) + textHeight);
        return textHeight;
    }
    RECT box = dc->toDevice(*lprc);
    cairo_t* cr = createContext(dc);
    if (!(format & DT_NOCLIP)) {
        cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
        cairo_clip(cr);
    }
    POINT origin = dc->toDevice(lprc->left, top);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        int y = origin.y + static_cast<int>(i) * m.height;
        // An edit control shows no partly visible last line.
        if ((format & DT_EDITCONTROL) && i > 0 && y + m.height > box.bottom)
            break;
        int x = origin.x;
        if (format & DT_CENTER)
            x += (width - l.width) / 2;
        else if (format & DT_RIGHT)
            x += width - l.width;
        if (dc->state.bkMode == OPAQUE)
            fillBackground(cr, dc->state.bkColor, x, y, l.width, m.height);
        setSourceColor(cr, dc->state.textColor);
        drawLine(cr, font, l, x, y, m.ascent);
    }
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
    return (singleLine && (format & (DT_VCENTER | DT_BOTTOM))) ? clampCoord(static_cast<long long>(top) - lprc->top + textHeight)
                                                             : textHeight;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                        const INT* lpDx) {
    Dc* dc = asDc(hdc);
    if (!dc || (!lpString && c > 0) || ((options & (ETO_OPAQUE | ETO_CLIPPED)) && !lprect) || c > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Font* font = currentFont(dc);
    const FontMetrics& m = metricsOf(font);
    cairo_t* cr = createContext(dc);
    if (lprect) {
        RECT r = dc->toDevice(*lprect);
        if (options & ETO_OPAQUE)
            fillBackground(cr, dc->state.bkColor, r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (options & ETO_CLIPPED) {
            cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
            cairo_clip(cr);
        }
    }
    POINT p = dc->toDevice(x, y);
    // Control characters have no glyph in GDI output.
    std::vector<std::pair<std::string, int>> pieces; // text and x offset
    if (lpDx) {
        int offset = 0;
        for (UINT i = 0; i < c; ++i) {
            if (lpString[i] >= 0x20)
                pieces.emplace_back(toUtf8(&lpString[i], 1), offset);
            offset += lpDx[i];
        }
    } else if (c > 0) {
        std::wstring shown;
        for (UINT i = 0; i < c; ++i)
            if (lpString[i] >= 0x20)
                shown += lpString[i];
        pieces.emplace_back(toUtf8(shown.data(), shown.size()), 0);
    }
    for (auto& [text, offset] : pieces) {
        Line l;
        l.text = text;
        l.width = textWidth(font, text);
        if (dc->state.bkMode == OPAQUE)
            fillBackground(cr, dc->state.bkColor, p.x + offset, p.y, l.width, m.height);
        setSourceColor(cr, dc->state.textColor);
        drawLine(cr, font, l, p.x + offset, p.y, m.ascent);
    }
    cairo_destroy(cr);
    cairo_surface_mark_dirty(dc->target());
    return TRUE;
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
    if (c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}
