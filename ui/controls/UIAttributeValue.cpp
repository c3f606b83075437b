#include "ui/controls/UIAttributeValue.h"

#include <cerrno>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace uiattr {

int ReadInt(LPCTSTR text, LPCTSTR* end)
{
    if (text == nullptr) {
        if (end != nullptr) *end = nullptr;
        return 0;
    }
    wchar_t* stop = nullptr;
    long long v = wcstoll(text, &stop, 10);
    if (end != nullptr) *end = stop;
    // The markup's numbers are 32-bit on the original system: clamp like wcstol does there.
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

void ReadInts(LPCTSTR text, int* values, int count)
{
    LPCTSTR p = text;
    for (int i = 0; i < count; i++) {
        if (p == nullptr) {
            values[i] = 0;
            continue;
        }
        LPCTSTR end = nullptr;
        values[i] = ReadInt(p, &end);
        // Skip exactly one separator, but never beyond the terminator.
        p = (end != nullptr && *end != L'\0') ? end + 1 : nullptr;
    }
}

void ReadReals(LPCTSTR text, double* values, int count)
{
    LPCTSTR p = text;
    for (int i = 0; i < count; i++) {
        if (p == nullptr) {
            values[i] = 0.0;
            continue;
        }
        wchar_t* end = nullptr;
        values[i] = wcstod(p, &end);
        p = (end != nullptr && *end != L'\0') ? end + 1 : nullptr;
    }
}

DWORD ReadColor(LPCTSTR text, bool skipBlanks)
{
    if (text == nullptr) return 0;
    if (skipBlanks) {
        while (*text == L' ' || *text == L'\t' || *text == L'\r' || *text == L'\n') text++;
    }
    if (*text == L'#') text++;
    wchar_t* end = nullptr;
    errno = 0;
    unsigned long long v = wcstoull(text, &end, 16);
    if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull;
    return static_cast<DWORD>(v);
}

bool ReadBool(LPCTSTR text) { return text != nullptr && lstrcmpiW(text, L"true") == 0; }

bool EqualsNoCase(LPCTSTR a, LPCTSTR b)
{
    if (a == nullptr || b == nullptr) return a == b;
    return lstrcmpiW(a, b) == 0;
}

bool Equals(LPCTSTR a, LPCTSTR b)
{
    if (a == nullptr || b == nullptr) return a == b;
    return wcscmp(a, b) == 0;
}

} // namespace uiattr
