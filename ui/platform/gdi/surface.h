// The seam between GDI and the window system: window backing stores are cairo image
// surfaces owned by the window layer, drawn through ordinary DCs.
#pragma once

#include "ui/platform/win32.h"

#include <cairo.h>

namespace uiplatform {

// A DC that draws into a caller-owned ARGB32 image surface (it keeps a reference).
// Release it with DeleteDC.
HDC CreateSurfaceDC(cairo_surface_t* surface);

// The premultiplied ARGB32 surface a DC draws into, or a bitmap's pixels; null for a bad handle.
cairo_surface_t* SurfaceOfDC(HDC hdc);
cairo_surface_t* SurfaceOfBitmap(HBITMAP bitmap);

// The window system's clip (device coordinates), intersected with whatever the
// application selects; null removes it. The region is copied.
void SetDCSystemClip(HDC hdc, const cairo_region_t* regionOrNull);

// The region behind a region handle (device coordinates); null for a bad handle.
const cairo_region_t* RegionOf(HRGN region);

} // namespace uiplatform
