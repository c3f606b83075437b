// Part of win32.h; include that header, not this one.
#pragma once

#include "ui/platform/win32_base.h"

// ---- time and thread identity ----
DWORD WINAPI GetTickCount();
ULONGLONG WINAPI GetTickCount64();
void WINAPI Sleep(DWORD dwMilliseconds);
DWORD WINAPI GetCurrentThreadId();
DWORD WINAPI GetCurrentProcessId();
