// Extensions that Win32 does not have: backend choice, input injection, snapshots,
// the prefix, answers for dialogs in tests, embedded resources. Only tests, tools and
// start-up glue include this header.
#pragma once

#include "ui/platform/win32.h"
