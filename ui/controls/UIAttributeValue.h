// Readers for the value syntaxes of markup attributes. Every reader accepts any text
// (also null) and reads as far as the text parses; missing numbers are 0.
#pragma once

#include "ui/platform/win32.h"

namespace uiattr {

// A decimal integer like wcstol with base 10, clamped to 32 bits; sets *end to the
// first character not read when end is given.
int ReadInt(LPCTSTR text, LPCTSTR* end = nullptr);

// n integers, each read from the character after the one that ended the previous
// number (one separator character). Numbers missing at the end read as 0.
void ReadInts(LPCTSTR text, int* values, int count);

// Reals read like strtod with the same one-separator rule.
void ReadReals(LPCTSTR text, double* values, int count);

// A colour: optional leading blanks (when skipBlanks), an optional "#", then an
// unsigned hexadecimal number like wcstoul with base 16 ("0x" accepted), clamped to
// 32 bits. Six digits therefore leave alpha 0.
DWORD ReadColor(LPCTSTR text, bool skipBlanks);

// true exactly when the text equals "true" in any letter case.
bool ReadBool(LPCTSTR text);

bool EqualsNoCase(LPCTSTR a, LPCTSTR b);
bool Equals(LPCTSTR a, LPCTSTR b);

} // namespace uiattr
