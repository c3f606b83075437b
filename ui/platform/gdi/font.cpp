// Fonts: LOGFONTW to Pango font descriptions, metrics, stock fonts and memory fonts.
#include "ui/platform/gdi/text.h"
#include "ui/platform/base/utf8.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

using namespace uiplatform::gdi;

namespace uiplatform::gdi {

namespace {

// The faces Windows programs name, mapped onto fonts a Debian system has.
const char kAliases[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same"><family>Microsoft YaHei</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>微软雅黑</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>Microsoft YaHei UI</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>SimSun</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>宋体</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>SimHei</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>黑体</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>NSimSun</family><prefer><family>WenQuanYi Micro Hei Mono</family></prefer></alias>
  <alias binding="same"><family>新宋体</family><prefer><family>WenQuanYi Micro Hei Mono</family></prefer></alias>
  <alias><family>Tahoma</family><prefer><family>sans-serif</family></prefer></alias>
  <alias><family>Segoe UI</family><prefer><family>sans-serif</family></prefer></alias>
  <alias><family>MS Shell Dlg</family><prefer><family>sans-serif</family></prefer></alias>
  <alias><family>MS Shell Dlg 2</family><prefer><family>sans-serif</family></prefer></alias>
  <alias><family>System</family><prefer><family>sans-serif</family></prefer></alias>
</fontconfig>
)";

std::once_flag g_aliasOnce;

void loadAliases() {
    std::call_once(g_aliasOnce, [] {
        FcInit();
        FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(kAliases), FcTrue);
    });
}

struct ContextHolder {
    PangoContext* context = nullptr;
    ~ContextHolder() {
        if (context)
            g_object_unref(context);
    }
};

} // namespace

PangoContext* textContext() {
    thread_local ContextHolder holder;
    if (!holder.context) {
        loadAliases();
        PangoFontMap* map = pango_cairo_font_map_get_default();
        holder.context = pango_font_map_create_context(map);
        pango_cairo_context_set_resolution(holder.context, 96.0);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(holder.context, options);
        cairo_font_options_destroy(options);
    }
    return holder.context;
}

std::string toUtf8(const wchar_t* text, size_t count) { return uiplatform::Utf8FromWide(text, count); }

namespace {

std::string faceOf(const LOGFONTW& lf) {
    size_t n = 0;
    while (n < LF_FACESIZE && lf.lfFaceName[n])
        ++n;
    std::string face = toUtf8(lf.lfFaceName, n);
    // Windows picks the system face for an empty name.
    return face.empty() ? "Microsoft YaHei" : face;
}

PangoFontDescription* describe(const LOGFONTW& lf, double emPixels) {
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, faceOf(lf).c_str());
    int weight = lf.lfWeight <= 0 ? 400 : std::clamp<int>(lf.lfWeight, 100, 1000);
    pango_font_description_set_weight(d, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(d, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(d, emPixels * PANGO_SCALE);
    return d;
}

FontMetrics measure(PangoFontDescription* desc, int em) {
    FontMetrics m;
    m.em = em;
    PangoFont* font = pango_context_load_font(textContext(), desc);
    if (!font)
        return m;
    PangoFontMetrics* pm = pango_font_get_metrics(font, nullptr);
    m.ascent = static_cast<int>(std::ceil(pango_font_metrics_get_ascent(pm) / double(PANGO_SCALE)));
    m.descent = static_cast<int>(std::ceil(pango_font_metrics_get_descent(pm) / double(PANGO_SCALE)));
    m.height = m.ascent + m.descent;
    int lineHeight = static_cast<int>(std::lround(pango_font_metrics_get_height(pm) / double(PANGO_SCALE)));
    m.externalLeading = std::max(0, lineHeight - m.height);
    m.aveCharWidth =
        std::max(1, static_cast<int>(std::lround(pango_font_metrics_get_approximate_char_width(pm) / double(PANGO_SCALE))));
    cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font));
    cairo_font_extents_t fe{};
    if (sf)
        cairo_scaled_font_extents(sf, &fe);
    m.maxCharWidth = std::max({m.aveCharWidth, em, static_cast<int>(std::ceil(fe.max_x_advance))});
    pango_font_metrics_unref(pm);
    g_object_unref(font);
    return m;
}

} // namespace

Font* makeFont(const LOGFONTW& lf) {
    auto* f = new Font();
    f->logfont = lf;
    f->logfont.lfFaceName[LF_FACESIZE - 1] = 0;
    int em;
    if (lf.lfHeight < 0) {
        em = -lf.lfHeight;
    } else {
        // A cell height (or the default one for 0): find the em that gives it.
        int cell = lf.lfHeight == 0 ? 16 : lf.lfHeight;
        PangoFontDescription* probe = describe(f->logfont, 1000);
        FontMetrics pm = measure(probe, 1000);
        pango_font_description_free(probe);
        em = pm.height > 0 ? static_cast<int>(std::lround(cell * 1000.0 / pm.height)) : cell;
    }
    em = std::clamp(em, 1, 2000);
    f->desc = describe(f->logfont, em);
    f->emPixels = em;
    registerObject(f);
    return f;
}

const FontMetrics& metricsOf(Font* font) {
    // Stock fonts are shared by every thread; measure each font once.
    static std::mutex m;
    std::lock_guard<std::mutex> lock(m);
    if (!font->metricsReady) {
        font->metrics = measure(font->desc, font->emPixels);
        font->metricsReady = true;
    }
    return font->metrics;
}

Font* stockFont(int index) {
    static Font* fonts[2] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        LOGFONTW system{};
        system.lfHeight = 16;
        system.lfWeight = FW_BOLD;
        system.lfCharSet = DEFAULT_CHARSET;
        wcscpy(system.lfFaceName, L"System");
        LOGFONTW gui{};
        // The GUI font of a Chinese desktop.
        gui.lfHeight = -12;
        gui.lfWeight = FW_NORMAL;
        gui.lfCharSet = DEFAULT_CHARSET;
        wcscpy(gui.lfFaceName, L"Microsoft YaHei");
        fonts[0] = makeFont(system);
        fonts[1] = makeFont(gui);
        fonts[0]->stock = fonts[1]->stock = true;
    });
    if (index == SYSTEM_FONT)
        return fonts[0];
    if (index == DEFAULT_GUI_FONT)
        return fonts[1];
    return nullptr;
}

Font* currentFont(const Dc* dc) { return dc->state.font ? dc->state.font : stockFont(SYSTEM_FONT); }

} // namespace uiplatform::gdi

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf) {
    if (!lplf) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return reinterpret_cast<HFONT>(makeFont(*lplf));
}

HFONT WINAPI CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                         DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
    LOGFONTW lf{};
    lf.lfHeight = cHeight;
    lf.lfWidth = cWidth;
    lf.lfEscapement = cEscapement;
    lf.lfOrientation = cOrientation;
    lf.lfWeight = cWeight;
    lf.lfItalic = bItalic ? 1 : 0;
    lf.lfUnderline = bUnderline ? 1 : 0;
    lf.lfStrikeOut = bStrikeOut ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(iCharSet);
    lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    lf.lfQuality = static_cast<BYTE>(iQuality);
    lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName)
        lstrcpynW(lf.lfFaceName, pszFaceName, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
    Dc* dc = asDc(hdc);
    if (!dc || !lptm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Font* f = currentFont(dc);
    const FontMetrics& m = metricsOf(f);
    TEXTMETRICW tm{};
    tm.tmHeight = m.height;
    tm.tmAscent = m.ascent;
    tm.tmDescent = m.descent;
    tm.tmInternalLeading = std::max(0, m.height - m.em);
    tm.tmExternalLeading = m.externalLeading;
    tm.tmAveCharWidth = m.aveCharWidth;
    tm.tmMaxCharWidth = m.maxCharWidth;
    tm.tmWeight = f->logfont.lfWeight <= 0 ? FW_NORMAL : f->logfont.lfWeight;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = f->logfont.lfItalic ? 1 : 0;
    tm.tmUnderlined = f->logfont.lfUnderline ? 1 : 0;
    tm.tmStruckOut = f->logfont.lfStrikeOut ? 1 : 0;
    tm.tmPitchAndFamily = 0x06 | (f->logfont.lfPitchAndFamily & 0xF0); // variable pitch, TrueType
    tm.tmCharSet = f->logfont.lfCharSet;
    *lptm = tm;
    return TRUE;
}

// ---- memory fonts: written to a private file and added to fontconfig as application fonts ----

namespace {

struct MemoryFont {
    std::string path;
};

struct MemoryFonts {
    std::mutex mutex;
    std::map<MemoryFont*, std::unique_ptr<MemoryFont>> fonts;
    ~MemoryFonts() {
        for (auto& entry : fonts)
            unlink(entry.second->path.c_str());
    }
};

MemoryFonts& memoryFonts() {
    static MemoryFonts m;
    return m;
}

void fontsChanged() {
    pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(pango_cairo_font_map_get_default()));
}

} // namespace

HANDLE WINAPI AddFontMemResourceEx(PVOID pFileView, DWORD cjSize, PVOID pvResrved, DWORD* pNumFonts) {
    if (!pFileView || cjSize == 0 || pvResrved || !pNumFonts) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    textContext(); // aliases and font map in place
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/uiplatform-font-XXXXXX";
    int fd = mkstemp(path.data());
    if (fd < 0) {
        SetLastError(ERROR_CANNOT_MAKE);
        return nullptr;
    }
    const auto* bytes = static_cast<const char*>(pFileView);
    size_t left = cjSize;
    bool ok = true;
    while (left > 0 && ok) {
        ssize_t n = write(fd, bytes + (cjSize - left), left);
        ok = n > 0;
        if (ok)
            left -= static_cast<size_t>(n);
    }
    close(fd);
    FcFontSet* set = FcFontSetCreate();
    unsigned faces = ok ? FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(path.c_str()), static_cast<unsigned>(-1),
                                             nullptr, nullptr, set)
                        : 0;
    FcFontSetDestroy(set);
    if (faces == 0 || !FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(path.c_str()))) {
        unlink(path.c_str());
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto font = std::make_unique<MemoryFont>();
    font->path = path;
    MemoryFont* handle = font.get();
    {
        MemoryFonts& all = memoryFonts();
        std::lock_guard<std::mutex> lock(all.mutex);
        all.fonts[handle] = std::move(font);
    }
    fontsChanged();
    *pNumFonts = faces;
    return handle;
}

BOOL WINAPI RemoveFontMemResourceEx(HANDLE h) {
    MemoryFonts& all = memoryFonts();
    {
        std::lock_guard<std::mutex> lock(all.mutex);
        auto it = all.fonts.find(static_cast<MemoryFont*>(h));
        if (it == all.fonts.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        unlink(it->second->path.c_str());
        all.fonts.erase(it);
        // fontconfig removes application fonts only all together: add back the others.
        FcConfig* config = FcConfigGetCurrent();
        FcConfigAppFontClear(config);
        for (auto& entry : all.fonts)
            FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(entry.second->path.c_str()));
    }
    fontsChanged();
    return TRUE;
}
