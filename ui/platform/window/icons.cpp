// Icons: decoding .ico and PNG data into premultiplied ARGB, window icons.
#include "ui/platform/host.h"
#include "ui/platform/window/manager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace uiplatform::wm {


namespace {

struct Reader {
    const unsigned char* data;
    size_t size;
    size_t pos = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length) {
    auto* r = static_cast<Reader*>(closure);
    if (r->pos + length > r->size) return CAIRO_STATUS_READ_ERROR;
    memcpy(out, r->data + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

bool DecodePng(const unsigned char* data, size_t size, IconObject& icon) {
    static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 8 || memcmp(data, sig, 8) != 0) return false;
    Reader r{data, size};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadPng, &r);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return false;
    }
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(argb);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(argb);
    icon.width = w;
    icon.height = h;
    icon.pixels.resize(static_cast<size_t>(w) * h);
    const unsigned char* px = cairo_image_surface_get_data(argb);
    int stride = cairo_image_surface_get_stride(argb);
    for (int y = 0; y < h; ++y) memcpy(&icon.pixels[static_cast<size_t>(y) * w], px + y * stride, static_cast<size_t>(w) * 4);
    cairo_surface_destroy(argb);
    cairo_surface_destroy(s);
    return true;
}

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// A 32-bit BMP icon image (header, XOR bitmap bottom-up with doubled height, AND mask).
bool DecodeBmpIcon(const unsigned char* data, size_t size, IconObject& icon) {
    if (size < 40 || Le32(data) < 40) return false;
    int32_t w = static_cast<int32_t>(Le32(data + 4)), h2 = static_cast<int32_t>(Le32(data + 8));
    uint16_t bpp = Le16(data + 14);
    uint32_t headerSize = Le32(data);
    if (w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || bpp != 32 || Le32(data + 16) != 0) return false;
    int h = h2 / 2;
    size_t need = headerSize + static_cast<size_t>(w) * h * 4;
    if (size < need) return false;
    icon.width = w;
    icon.height = h;
    icon.pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = data + headerSize + static_cast<size_t>(h - 1 - y) * w * 4;
        for (int x = 0; x < w; ++x) {
            uint32_t b = row[x * 4], g = row[x * 4 + 1], r = row[x * 4 + 2], a = row[x * 4 + 3];
            icon.pixels[static_cast<size_t>(y) * w + x] =
                (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
        }
    }
    return true;
}

} // namespace

// An .ico file (the entry closest to the wanted size) or a PNG image.
bool DecodeIcon(const unsigned char* data, size_t size, int wantW, int wantH, IconObject& icon) {
    if (!data) return false;
    if (DecodePng(data, size, icon)) return true;
    if (size < 6 || Le16(data) != 0 || Le16(data + 2) != 1) return false;
    int count = Le16(data + 4);
    if (count <= 0 || size < 6 + static_cast<size_t>(count) * 16) return false;
    int best = -1;
    long bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = data + 6 + i * 16;
        int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        long score = std::abs(w - wantW) + std::abs(h - wantH);
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    for (int pass = 0; pass < count; ++pass) {
        int i = pass == 0 ? best : pass - (pass <= best ? 1 : 0);
        if (pass > 0 && i == best) continue;
        const unsigned char* e = data + 6 + i * 16;
        uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
        if (offset >= size || bytes > size - offset) continue;
        if (DecodePng(data + offset, bytes, icon) || DecodeBmpIcon(data + offset, bytes, icon)) return true;
    }
    return false;
}

void ApplyIcon(Window* w) {
    if (!w->surface || !M().backend) return;
    IconObject* o = IconFromHandle(w->iconBig ? w->iconBig : w->iconSmall);
    if (o && !o->pixels.empty()) M().backend->SetIcon(w->surface, o->width, o->height, o->pixels.data());
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

BOOL WINAPI DestroyIcon(HICON h) {
    IconObject* o = IconFromHandle(h);
    if (!o || o->isCursor || o->shared) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    o->magic = 0;
    delete o;
    return TRUE;
}

namespace {

std::map<std::pair<HINSTANCE, std::wstring>, HICON>& SharedIcons() {
    static auto* map = new std::map<std::pair<HINSTANCE, std::wstring>, HICON>();
    return *map;
}

std::wstring NameKey(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
    return name;
}

bool ResourceBytes(HINSTANCE inst, LPCWSTR name, LPCWSTR type, const unsigned char** data, size_t* size) {
    HRSRC r = FindResourceW(inst, name, type);
    if (!r) return false;
    HGLOBAL g = LoadResource(inst, r);
    *data = static_cast<const unsigned char*>(LockResource(g));
    *size = SizeofResource(inst, r);
    return *data != nullptr;
}

// A group directory (as resource compilers write it) names the RT_ICON entries by id.
bool DecodeGroup(HINSTANCE inst, const unsigned char* data, size_t size, int w, int h, IconObject& icon) {
    if (size < 6 || data[0] || data[1] || data[2] != 1 || data[3]) return false;
    int count = data[4] | (data[5] << 8);
    if (count <= 0 || size < 6 + static_cast<size_t>(count) * 14) return false;
    int best = -1;
    long bestScore = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = data + 6 + i * 14;
        int ew = e[0] ? e[0] : 256, eh = e[1] ? e[1] : 256;
        long score = std::abs(ew - w) + std::abs(eh - h);
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    const unsigned char* e = data + 6 + best * 14;
    WORD id = static_cast<WORD>(e[12] | (e[13] << 8));
    const unsigned char* bytes;
    size_t n;
    if (!ResourceBytes(inst, MAKEINTRESOURCEW(id), RT_ICON, &bytes, &n)) return false;
    return DecodeIcon(bytes, n, w, h, icon);
}

void Scale(IconObject& icon, int w, int h) {
    if ((w == icon.width && h == icon.height) || w <= 0 || h <= 0) return;
    cairo_surface_t* src = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(icon.pixels.data()),
                                                               CAIRO_FORMAT_ARGB32, icon.width, icon.height, icon.width * 4);
    cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(dst);
    cairo_scale(cr, static_cast<double>(w) / icon.width, static_cast<double>(h) / icon.height);
    cairo_set_source_surface(cr, src, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(dst);
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    const unsigned char* px = cairo_image_surface_get_data(dst);
    int stride = cairo_image_surface_get_stride(dst);
    for (int y = 0; y < h; ++y) memcpy(&out[static_cast<size_t>(y) * w], px + y * stride, static_cast<size_t>(w) * 4);
    cairo_surface_destroy(dst);
    cairo_surface_destroy(src);
    icon.pixels = std::move(out);
    icon.width = w;
    icon.height = h;
}

// The system's application icon: a blue rounded square with a white bar.
void SystemIcon(IconObject& icon, int size) {
    icon.width = icon.height = size;
    icon.pixels.assign(static_cast<size_t>(size) * size, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            bool inside = x >= size / 8 && x < size - size / 8 && y >= size / 8 && y < size - size / 8;
            bool bar = y >= size / 4 && y < size / 4 + std::max(1, size / 8) && inside;
            if (inside) icon.pixels[static_cast<size_t>(y) * size + x] = bar ? 0xffffffffu : 0xff2a6fd0u;
        }
    }
}

} // namespace

HANDLE WINAPI LoadImageW(HINSTANCE inst, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (type == IMAGE_CURSOR) {
        if (flags & LR_LOADFROMFILE) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return nullptr;
        }
        return LoadCursorW(inst, name);
    }
    if (type != IMAGE_ICON) {
        SetLastError(type == IMAGE_BITMAP ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int wantW = cx ? cx : GetSystemMetrics(SM_CXICON), wantH = cy ? cy : GetSystemMetrics(SM_CYICON);
    auto key = std::make_pair(inst, NameKey(name) + ((flags & LR_LOADFROMFILE) ? L"|file" : L""));
    if (flags & LR_SHARED) {
        Lock lock(M().mutex);
        auto it = SharedIcons().find(key);
        if (it != SharedIcons().end()) return it->second;
    }
    auto icon = std::make_unique<IconObject>();
    bool ok = false;
    if (flags & LR_LOADFROMFILE) {
        std::string path = uiplatform::HostPathFromWindows(name);
        FILE* f = path.empty() ? nullptr : fopen(path.c_str(), "rb");
        if (f) {
            std::vector<unsigned char> bytes;
            unsigned char buffer[65536];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, f)) > 0 && bytes.size() < (64u << 20)) bytes.insert(bytes.end(), buffer, buffer + n);
            fclose(f);
            ok = DecodeIcon(bytes.data(), bytes.size(), wantW, wantH, *icon);
        } else {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
    } else if (!inst && IS_INTRESOURCE(name)) {
        int id = static_cast<int>(reinterpret_cast<uintptr_t>(name));
        if (id < 32512 || id > 32518) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        SystemIcon(*icon, wantW);
        ok = true;
    } else {
        const unsigned char* data;
        size_t size;
        if (ResourceBytes(inst, name, RT_GROUP_ICON, &data, &size)) {
            ok = DecodeIcon(data, size, wantW, wantH, *icon) || DecodeGroup(inst, data, size, wantW, wantH, *icon);
        } else if (ResourceBytes(inst, name, RT_ICON, &data, &size)) {
            ok = DecodeIcon(data, size, wantW, wantH, *icon);
        } else {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
    }
    if (!ok) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    if (cx || cy || (flags & LR_DEFAULTSIZE)) Scale(*icon, wantW, wantH);
    HICON h = reinterpret_cast<HICON>(icon.release());
    if (flags & LR_SHARED) {
        Lock lock(M().mutex);
        IconFromHandle(h)->shared = true;
        SharedIcons()[key] = h;
    }
    return h;
}

HICON WINAPI LoadIconW(HINSTANCE inst, LPCWSTR name) {
    return static_cast<HICON>(LoadImageW(inst, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}
