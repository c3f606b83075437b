// A UTF-8 locale object for case mapping and narrow/wide conversion inside the layer,
// independent of whatever locale the process has set.
#pragma once

#include <locale.h>

namespace uiplatform {
locale_t utf8Locale();
}
