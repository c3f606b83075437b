// UTF-8 <-> wide conversion and wide-string comparison.
// Narrow text on this platform is UTF-8, so the ANSI and OEM code pages convert as UTF-8.
#include "ui/platform/base/locale.h"
#include "ui/platform/base/utf8.h"
#include "ui/platform/win32.h"

#include <cwctype>
#include <string>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isSupportedCodePage(UINT cp) { return cp == CP_UTF8 || cp == CP_ACP || cp == CP_OEMCP; }

wchar_t foldCase(wchar_t c) { return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), uiplatform::utf8Locale())); }

} // namespace

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar) {
    if (!isSupportedCodePage(CodePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS | MB_PRECOMPOSED)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto* src = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    // -1 converts through the terminator, which counts in the result.
    int n = cbMultiByte == -1 ? static_cast<int>(std::char_traits<char>::length(lpMultiByteStr)) + 1 : cbMultiByte;
    int written = 0;
    size_t i = 0;
    while (i < static_cast<size_t>(n)) {
        long cp = uiplatform::DecodeUtf8(src, static_cast<size_t>(n), i);
        if (cp < 0) {
            if (dwFlags & MB_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            cp = kReplacement;
        }
        if (cchWideChar != 0) {
            if (written >= cchWideChar) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            lpWideCharStr[written] = static_cast<wchar_t>(cp);
        }
        ++written;
    }
    return written;
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    if (!isSupportedCodePage(CodePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    // UTF-8 has no default character; Windows rejects one for this code page.
    if (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr || lpWideCharStr == nullptr ||
        cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int n = cchWideChar == -1 ? static_cast<int>(wcslen(lpWideCharStr)) + 1 : cchWideChar;
    int written = 0;
    for (int i = 0; i < n; ++i) {
        char32_t cp = static_cast<char32_t>(lpWideCharStr[i]);
        // Text that came from a 16-bit source may still hold surrogate pairs.
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n) {
            char32_t lo = static_cast<char32_t>(lpWideCharStr[i + 1]);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            if (dwFlags & WC_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            cp = kReplacement;
        }
        char bytes[4];
        int len = uiplatform::EncodeUtf8(cp, bytes);
        if (cbMultiByte != 0) {
            if (written + len > cbMultiByte) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            for (int k = 0; k < len; ++k)
                lpMultiByteStr[written + k] = bytes[k];
        }
        written += len;
    }
    return written;
}

int WINAPI lstrlenW(LPCWSTR lpString) { return lpString ? static_cast<int>(wcslen(lpString)) : 0; }

int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) {
    if (!a) a = L"";
    if (!b) b = L"";
    int r = wcscmp(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (;; ++a, ++b) {
        wchar_t ca = foldCase(*a);
        wchar_t cb = foldCase(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

LPWSTR WINAPI lstrcpynW(LPWSTR dst, LPCWSTR src, int iMaxLength) {
    if (!dst || iMaxLength <= 0) return dst;
    if (!src) src = L"";
    int i = 0;
    for (; i < iMaxLength - 1 && src[i]; ++i)
        dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

LPWSTR WINAPI CharUpperW(LPWSTR lpsz) {
    // A pointer value below 0x10000 is a single character passed by value.
    if (IS_INTRESOURCE(lpsz)) {
        wchar_t c = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(lpsz));
        c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), uiplatform::utf8Locale()));
        return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(c)));
    }
    for (wchar_t* p = lpsz; *p; ++p)
        *p = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(*p), uiplatform::utf8Locale()));
    return lpsz;
}

LPWSTR WINAPI CharLowerW(LPWSTR lpsz) {
    if (IS_INTRESOURCE(lpsz)) {
        wchar_t c = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(lpsz));
        c = foldCase(c);
        return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(c)));
    }
    for (wchar_t* p = lpsz; *p; ++p)
        *p = foldCase(*p);
    return lpsz;
}

LPWSTR WINAPI CharNextW(LPCWSTR lpsz) {
    if (!lpsz) return nullptr;
    return const_cast<LPWSTR>(*lpsz ? lpsz + 1 : lpsz);
}

int WINAPI CompareStringW(LCID, DWORD dwCmpFlags, LPCWSTR s1, int n1, LPCWSTR s2, int n2) {
    if (!s1 || !s2 || n1 < -1 || n2 < -1 || (dwCmpFlags & ~static_cast<DWORD>(NORM_IGNORECASE)) != 0) {
        SetLastError(dwCmpFlags & ~static_cast<DWORD>(NORM_IGNORECASE) ? ERROR_INVALID_FLAGS : ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t l1 = n1 == -1 ? wcslen(s1) : static_cast<size_t>(n1);
    size_t l2 = n2 == -1 ? wcslen(s2) : static_cast<size_t>(n2);
    bool fold = (dwCmpFlags & NORM_IGNORECASE) != 0;
    for (size_t i = 0; i < l1 && i < l2; ++i) {
        wchar_t a = fold ? foldCase(s1[i]) : s1[i];
        wchar_t b = fold ? foldCase(s2[i]) : s2[i];
        if (a != b) return a < b ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    }
    if (l1 == l2) return CSTR_EQUAL;
    return l1 < l2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}
