// Part of win32.h (through win32_gdi.h); include that header, not this one.
// The GDI+ flat API the render engine calls: start-up, graphics on a DC, solid fills, inset
// rectangle outlines and string drawing/measuring. Names and namespaces as the Windows
// headers have them: types in Gdiplus, the flat functions in Gdiplus::DllExports.
#pragma once

#include "ui/platform/win32_base.h"

namespace Gdiplus {

typedef float REAL;
typedef DWORD ARGB;
typedef uint32_t UINT32;

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20
};
typedef Status GpStatus;

enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3, UnitInch = 4, UnitDocument = 5, UnitMillimeter = 6 };
typedef Unit GpUnit;

enum SmoothingMode {
    SmoothingModeInvalid = -1,
    SmoothingModeDefault = 0,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4
};

enum InterpolationMode {
    InterpolationModeInvalid = -1,
    InterpolationModeDefault = 0,
    InterpolationModeLowQuality = 1,
    InterpolationModeHighQuality = 2,
    InterpolationModeBilinear = 3,
    InterpolationModeBicubic = 4,
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBilinear = 6,
    InterpolationModeHighQualityBicubic = 7
};

enum TextRenderingHint {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5
};

enum PenAlignment { PenAlignmentCenter = 0, PenAlignmentInset = 1 };
typedef PenAlignment GpPenAlignment;

enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };

enum StringTrimming {
    StringTrimmingNone = 0,
    StringTrimmingCharacter = 1,
    StringTrimmingWord = 2,
    StringTrimmingEllipsisCharacter = 3,
    StringTrimmingEllipsisWord = 4,
    StringTrimmingEllipsisPath = 5
};

enum StringFormatFlags {
    StringFormatFlagsDirectionRightToLeft = 0x00000001,
    StringFormatFlagsDirectionVertical = 0x00000002,
    StringFormatFlagsNoFitBlackBox = 0x00000004,
    StringFormatFlagsDisplayFormatControl = 0x00000020,
    StringFormatFlagsNoFontFallback = 0x00000400,
    StringFormatFlagsMeasureTrailingSpaces = 0x00000800,
    StringFormatFlagsNoWrap = 0x00001000,
    StringFormatFlagsLineLimit = 0x00002000,
    StringFormatFlagsNoClip = 0x00004000
};

struct RectF {
    REAL X = 0, Y = 0, Width = 0, Height = 0;
    RectF() = default;
    RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) {}
};

struct Rect {
    INT X = 0, Y = 0, Width = 0, Height = 0;
    Rect() = default;
    Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
};

// Opaque objects of the flat API.
class GpGraphics {};
class GpBrush {};
class GpSolidFill : public GpBrush {};
class GpPen {};
class GpFont {};
class GpStringFormat {};

typedef void(WINAPI* DebugEventProc)(int level, CHAR* message);
typedef Status(WINAPI* NotificationHookProc)(ULONG_PTR* token);
typedef void(WINAPI* NotificationUnhookProc)(ULONG_PTR token);

struct GdiplusStartupInput {
    UINT32 GdiplusVersion = 1;
    DebugEventProc DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook = nullptr;
    NotificationUnhookProc NotificationUnhook = nullptr;
};

// Start-up is counted; every other call answers GdiplusNotInitialized while the count is 0.
Status WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);

namespace DllExports {

GpStatus WINAPI GdipCreateFromHDC(HDC hdc, GpGraphics** graphics);
GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics);
GpStatus WINAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode smoothingMode);
GpStatus WINAPI GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode interpolationMode);
GpStatus WINAPI GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint mode);

GpStatus WINAPI GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus WINAPI GdipDeleteBrush(GpBrush* brush);
// Fills blend the ARGB colour over the pixels; whole-pixel rectangles stay crisp.
GpStatus WINAPI GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus WINAPI GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);

GpStatus WINAPI GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus WINAPI GdipDeletePen(GpPen* pen);
GpStatus WINAPI GdipSetPenMode(GpPen* pen, GpPenAlignment penMode);
// The outline covers the pixels x..x+width and y..y+height (both ends included), inside
// that box for an inset pen and centred on its edge otherwise.
GpStatus WINAPI GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus WINAPI GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);

GpStatus WINAPI GdipCreateFontFromDC(HDC hdc, GpFont** font);
GpStatus WINAPI GdipCreateFontFromLogfontW(HDC hdc, const LOGFONTW* logfont, GpFont** font);
GpStatus WINAPI GdipDeleteFont(GpFont* font);

GpStatus WINAPI GdipStringFormatGetGenericTypographic(GpStringFormat** format);
GpStatus WINAPI GdipCloneStringFormat(const GpStringFormat* format, GpStringFormat** newFormat);
GpStatus WINAPI GdipDeleteStringFormat(GpStringFormat* format);
GpStatus WINAPI GdipSetStringFormatFlags(GpStringFormat* format, INT flags);
GpStatus WINAPI GdipGetStringFormatFlags(const GpStringFormat* format, INT* flags);
GpStatus WINAPI GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
GpStatus WINAPI GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);
GpStatus WINAPI GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming);

// length -1: terminated. Ellipsis trimming uses the ellipsis character U+2026.
GpStatus WINAPI GdipDrawString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                               const RectF* layoutRect, const GpStringFormat* stringFormat, const GpBrush* brush);
GpStatus WINAPI GdipMeasureString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                                  const RectF* layoutRect, const GpStringFormat* stringFormat, RectF* boundingBox,
                                  INT* codepointsFitted, INT* linesFilled);

} // namespace DllExports
} // namespace Gdiplus
