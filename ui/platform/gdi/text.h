// Text engine shared by GDI and the GDI+ calls: Pango layouts on the DC's cairo surface.
#pragma once

#include "ui/platform/gdi/objects.h"

#include <string>
#include <vector>

namespace uiplatform::gdi {

// The Pango context of the calling thread (96 dpi, grey anti-aliasing, whole-pixel metrics).
PangoContext* textContext();

Font* makeFont(const LOGFONTW& lf);
Font* currentFont(const Dc* dc); // the DC's font, or the system font
const FontMetrics& metricsOf(Font* font);

std::string toUtf8(const wchar_t* text, size_t count);

// A one-paragraph layout in the font; `underlineByte` >= 0 underlines the character there.
PangoLayout* makeLayout(Font* font, const std::string& utf8, int underlineByte = -1, int underlineLength = 0);
int layoutWidth(PangoLayout* layout); // logical width in pixels

void setSourceColor(cairo_t* cr, COLORREF color, double alpha = 1.0);

} // namespace uiplatform::gdi
