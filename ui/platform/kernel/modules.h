// For other parts of the layer: functions that LoadLibraryW/GetProcAddress hand out for the
// system module names the framework asks for (e.g. "msimg32.dll" AlphaBlend).
#pragma once

#include "ui/platform/win32.h"

namespace uiplatform {
// Module names compare without regard to case, with or without ".dll". Registering the same
// name twice replaces the function. Safe to call from static initialisers.
void RegisterModuleExport(const wchar_t* module, const char* name, FARPROC fn);
} // namespace uiplatform
