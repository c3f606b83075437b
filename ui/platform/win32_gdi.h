// Part of win32.h; include that header, not this one.
#pragma once

#include "ui/platform/win32_base.h"
