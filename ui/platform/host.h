// Extensions that Win32 does not have: backend choice, input injection, snapshots,
// the prefix, answers for dialogs in tests, embedded resources. Only tests, tools and
// start-up glue include this header.
#pragma once

#include "ui/platform/win32.h"

#include <cstdint>

// ---- graphics ----
namespace uiplatform {

// Writes the bitmap a DC draws into (its selected bitmap or its surface) to a PNG file.
// Pixels are premultiplied BGRA as Windows DIBs hold them. False on a bad handle or I/O error.
bool WriteDCToPng(HDC hdc, const char* utf8Path);
bool WriteBitmapToPng(HBITMAP bitmap, const char* utf8Path);
// Any 32-bit premultiplied image: `stride` bytes between rows, negative for bottom-up memory.
bool WriteImageToPng(const void* firstRow, int width, int height, int stride, const char* utf8Path);

} // namespace uiplatform
