#include "ui/platform/win32.h"

namespace {
// Each thread has its own last-error value, as on Windows.
thread_local DWORD t_lastError = ERROR_SUCCESS;
} // namespace

DWORD WINAPI GetLastError() { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }
