// Extensions that Win32 does not have: backend choice, input injection, snapshots,
// the prefix, answers for dialogs in tests, embedded resources. Only tests, tools and
// start-up glue include this header.
#pragma once

#include "ui/platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

// ---- graphics ----
namespace uiplatform {

// Writes the bitmap a DC draws into (its selected bitmap or its surface) to a PNG file.
// Pixels are premultiplied BGRA as Windows DIBs hold them. False on a bad handle or I/O error.
bool WriteDCToPng(HDC hdc, const char* utf8Path);
bool WriteBitmapToPng(HBITMAP bitmap, const char* utf8Path);
// Any 32-bit premultiplied image: `stride` bytes between rows, negative for bottom-up memory.
bool WriteImageToPng(const void* firstRow, int width, int height, int stride, const char* utf8Path);

} // namespace uiplatform

// ---- window system ----
namespace uiplatform::host {

enum class Backend {
    Automatic, // $UIPLATFORM_BACKEND ("headless" or "x11"), else X11 when $DISPLAY opens, else headless
    Headless,  // in-memory screen, input injected by the caller
    X11,
};
// Chooses the display backend; only before the first window call. False afterwards.
bool SelectBackend(Backend backend);
// "headless" or "x11"; chooses the backend when none is chosen yet.
const char* BackendName();
// Headless screen size (default 1280 x 800); only before the first window call.
bool SetHeadlessScreenSize(int width, int height);
// Colour of the headless desktop below all windows (0xAARRGGBB, default opaque black).
void SetHeadlessDesktopColor(uint32_t argb);

// Input injection (headless backend only; false on another backend). Coordinates are
// screen coordinates; buttons are 1 left, 2 middle, 3 right. Injected input is handled
// by the thread that next retrieves messages, like real input.
bool InjectMouseMove(int x, int y);
bool InjectMouseButton(int button, bool down);
bool InjectClick(int x, int y, int button = 1);
bool InjectWheel(int delta);
// ch: the character the key produces (0 for none); TranslateMessage turns it into WM_CHAR.
bool InjectKey(UINT vk, bool down, wchar_t ch = 0);

// Handles sent, posted, input, paint and due timer messages of the calling thread until
// none is left (at most maxMessages). Returns false when WM_QUIT was retrieved, which
// stays retrievable by the next GetMessageW.
bool RunUntilIdle(int maxMessages = 100000);
// Same, then keeps going for the given time so that timers and hover can fire.
bool RunFor(DWORD milliseconds);

// The headless screen composed from all visible windows (0xAARRGGBB, premultiplied).
uint32_t ScreenPixel(int x, int y);
// PNG snapshot of the headless screen, or of one window's presented pixels (any backend).
bool SnapshotScreen(const char* pngPath);
bool SnapshotWindow(HWND hwnd, const char* pngPath);
// A window's presented pixel at window coordinates (0xAARRGGBB, premultiplied).
uint32_t WindowPixel(HWND hwnd, int x, int y);

// Message boxes on the headless backend are not shown: each is recorded and answered
// with the next queued answer (the default button when none is queued).
struct MessageBoxRecord {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};
void QueueMessageBoxAnswer(int answer);
std::vector<MessageBoxRecord> MessageBoxLog();

// The folder chooser on the headless backend answers with this Windows path; an empty
// path means the user cancelled. Without an answer set, the chooser fails.
void SetFolderChooserAnswer(const std::wstring& windowsPath);
void ClearFolderChooserAnswer();

} // namespace uiplatform::host

#include <cstddef>

// ---- kernel: prefix, paths, embedded resources, shell opener ----
namespace uiplatform {

// The host folder behind drive C: (<prefix>/drive_c) and the registry (<prefix>/registry).
// Defaults to $UIPLATFORM_PREFIX, else ~/.local/share/uiplatform. An empty path restores the default.
void SetPrefix(const std::string& hostPath);
std::string Prefix();

// The host path a Windows path stands for ("" when it has none), and the Windows form
// (C:\... or Z:\...) of a host path.
std::string HostPathFromWindows(const wchar_t* windowsPath);
std::wstring WindowsPathFromHost(const std::string& hostPath);

// Adds bytes to the executable's resource table (what FindResourceW searches). type and name are
// strings or MAKEINTRESOURCEW ids; the bytes must stay valid for the life of the process.
// The build does this through ui_embed_resource() (cmake/EmbedResource.cmake).
void RegisterResource(const wchar_t* type, const wchar_t* name, const void* data, size_t size);

// The program that ShellExecuteW hands URLs and documents to (default "xdg-open", looked up in
// PATH). It gets one argument, the URL or the document's host path. An empty string restores it.
void SetShellOpener(const std::string& program);

} // namespace uiplatform
