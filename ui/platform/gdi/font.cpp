// Fonts: LOGFONTW to Pango font descriptions, stock fonts.
#include "ui/platform/gdi/objects.h"

#include <mutex>
#include <string>

using namespace uiplatform::gdi;

namespace uiplatform::gdi {

Font* makeFont(const LOGFONTW& lf);

Font* stockFont(int index) {
    static Font* fonts[2] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        LOGFONTW system{};
        system.lfHeight = -16;
        system.lfWeight = 700;
        system.lfCharSet = 1;
        wcscpy(system.lfFaceName, L"System");
        LOGFONTW gui{};
        // The GUI font of a Chinese desktop.
        gui.lfHeight = -12;
        gui.lfWeight = 400;
        gui.lfCharSet = 1;
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

Font* makeFont(const LOGFONTW& lf) {
    auto* f = new Font();
    f->logfont = lf;
    f->logfont.lfFaceName[LF_FACESIZE - 1] = 0;
    f->desc = pango_font_description_new();
    registerObject(f);
    return f;
}

} // namespace uiplatform::gdi
