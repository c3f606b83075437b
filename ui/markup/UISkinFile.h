// The skin file lookup: a relative file name in, the file's bytes out, from the resource
// folder or from the skin archive, whichever the process-wide settings select.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/platform/win32.h"

#include <memory>

// The bytes of one skin file, followed by one extra zero byte that is not counted.
struct SkinFileData {
    std::unique_ptr<BYTE[]> bytes;
    DWORD size = 0;
};

// Markup reading: files above 4 MiB are refused. On failure the error receives the reason
// ("Error opening file", "File is empty", "File too large", "Could not read file",
// "Error opening zip file", "Could not find ziped file", "Could not unzip file").
bool ReadSkinFile(LPCTSTR pstrName, SkinFileData& data, CUIString& error);

// Data reading (images, fonts): no size cap; when neither the folder nor the archive has the
// file, the name is read as a path of its own.
bool ReadSkinFile(LPCTSTR pstrName, SkinFileData& data);

// Data reading of a module resource (the given module, else the resource module); when the
// resource is missing, the name falls back to a path of its own as above.
bool ReadSkinResource(STRINGorID name, LPCTSTR type, HINSTANCE instance, SkinFileData& data);
