#include "ui/platform/base/locale.h"

namespace uiplatform {

locale_t utf8Locale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!l) l = newlocale(LC_ALL_MASK, "C.utf8", static_cast<locale_t>(0));
        if (!l) l = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

} // namespace uiplatform
