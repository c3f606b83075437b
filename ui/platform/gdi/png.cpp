// PNG snapshots of bitmaps for tests and tools.
#include "ui/platform/gdi/objects.h"
#include "ui/platform/gdi/surface.h"
#include "ui/platform/host.h"

namespace uiplatform {

namespace {
bool writeSurface(cairo_surface_t* s, const char* path) {
    if (!s || !path)
        return false;
    cairo_surface_flush(s);
    return cairo_surface_write_to_png(s, path) == CAIRO_STATUS_SUCCESS;
}
} // namespace

bool WriteDCToPng(HDC hdc, const char* utf8Path) { return writeSurface(SurfaceOfDC(hdc), utf8Path); }

bool WriteBitmapToPng(HBITMAP bitmap, const char* utf8Path) { return writeSurface(SurfaceOfBitmap(bitmap), utf8Path); }

bool WriteImageToPng(const void* firstRow, int width, int height, int stride, const char* utf8Path) {
    if (!firstRow || width <= 0 || height <= 0 || (stride >= 0 ? stride : -stride) < width * 4)
        return false;
    cairo_surface_t* s = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(const_cast<void*>(firstRow)), CAIRO_FORMAT_ARGB32, width, height, stride);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS && writeSurface(s, utf8Path);
    cairo_surface_destroy(s);
    return ok;
}

} // namespace uiplatform
