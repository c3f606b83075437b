// Extensions that Win32 does not have: backend choice, input injection, snapshots,
// the prefix, answers for dialogs in tests, embedded resources. Only tests, tools and
// start-up glue include this header.
#pragma once

#include "ui/platform/win32.h"

#include <cstddef>
#include <string>

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
