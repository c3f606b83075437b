// The Win32 subset the framework and the installer are written against.
// Same names, signatures, layouts, constants and documented behaviour as the real API;
// only what is implemented is declared.
#pragma once

#include "ui/platform/win32_base.h"
#include "ui/platform/win32_kernel.h"
#include "ui/platform/win32_gdi.h"
#include "ui/platform/win32_user.h"
