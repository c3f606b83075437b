// Wide printf with the Windows runtime's meaning of the conversions. The C library's
// wide printf reads %s as a narrow string and %ld as a 64-bit long here; code written
// for Windows means a wide string and a 32-bit LONG. The format is rewritten into the
// C library's terms and then formatted into a memory stream, which measures exactly.
#include "ui/platform/base/locale.h"
#include "ui/platform/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// Rewrites one Windows wide format into the C library's wide format.
std::wstring translateFormat(const wchar_t* f) {
    std::wstring out;
    out.reserve(wcslen(f) + 8);
    while (*f) {
        if (*f != L'%') {
            out += *f++;
            continue;
        }
        out += *f++;
        if (*f == L'%') {
            out += *f++;
            continue;
        }
        // flags, width, precision are the same in both
        while (*f && wcschr(L"-+ #0", *f))
            out += *f++;
        while (*f == L'*' || (*f >= L'0' && *f <= L'9'))
            out += *f++;
        if (*f == L'.') {
            out += *f++;
            while (*f == L'*' || (*f >= L'0' && *f <= L'9'))
                out += *f++;
        }
        // length modifier
        enum class Len { None, H, HH, L, LL, Size, Wide, LongDouble, Max, Ptrdiff } len = Len::None;
        if (f[0] == L'I' && f[1] == L'6' && f[2] == L'4') {
            len = Len::LL;
            f += 3;
        } else if (f[0] == L'I' && f[1] == L'3' && f[2] == L'2') {
            len = Len::None;
            f += 3;
        } else if (f[0] == L'I') {
            len = Len::Size;
            f += 1;
        } else if (f[0] == L'h' && f[1] == L'h') {
            len = Len::HH;
            f += 2;
        } else if (f[0] == L'h') {
            len = Len::H;
            f += 1;
        } else if (f[0] == L'l' && f[1] == L'l') {
            len = Len::LL;
            f += 2;
        } else if (f[0] == L'l') {
            len = Len::L;
            f += 1;
        } else if (f[0] == L'w') {
            len = Len::Wide;
            f += 1;
        } else if (f[0] == L'L') {
            len = Len::LongDouble;
            f += 1;
        } else if (f[0] == L'z') {
            len = Len::Size;
            f += 1;
        } else if (f[0] == L'j') {
            len = Len::Max;
            f += 1;
        } else if (f[0] == L't') {
            len = Len::Ptrdiff;
            f += 1;
        }
        wchar_t conv = *f;
        if (!conv) break;
        ++f;
        switch (conv) {
        case L's':
            out += (len == Len::H) ? L"s" : L"ls";
            break;
        case L'S':
            out += (len == Len::L || len == Len::Wide) ? L"ls" : L"s";
            break;
        case L'c':
            out += (len == Len::H) ? L"c" : L"lc";
            break;
        case L'C':
            out += (len == Len::L || len == Len::Wide) ? L"lc" : L"c";
            break;
        case L'd':
        case L'i':
        case L'u':
        case L'x':
        case L'X':
        case L'o':
            switch (len) {
            case Len::H: out += L"h"; break;
            case Len::HH: out += L"hh"; break;
            case Len::LL: out += L"ll"; break;
            case Len::Size: out += L"z"; break;
            case Len::Max: out += L"j"; break;
            case Len::Ptrdiff: out += L"t"; break;
            default: break; // "l" is 32 bits on Windows, the same as no modifier
            }
            out += conv;
            break;
        case L'e':
        case L'E':
        case L'f':
        case L'F':
        case L'g':
        case L'G':
        case L'a':
        case L'A':
            if (len == Len::LongDouble) out += L"L";
            out += conv;
            break;
        case L'p':
            out += conv;
            break;
        default:
            // %n and unknown conversions print nothing: never let a format write memory.
            out.pop_back();
            break;
        }
    }
    return out;
}

// Formats into a heap string; returns false when the arguments do not fit the format.
bool formatToString(const wchar_t* format, va_list args, std::wstring& result) {
    if (!format) return false;
    std::wstring fmt = translateFormat(format);
    wchar_t* buf = nullptr;
    size_t size = 0;
    FILE* stream = open_wmemstream(&buf, &size);
    if (!stream) return false;
    // Narrow arguments (%S, %hs) are UTF-8 whatever locale the program chose.
    locale_t previous = uselocale(uiplatform::utf8Locale());
    va_list copy;
    va_copy(copy, args);
    int rc = vfwprintf(stream, fmt.c_str(), copy);
    va_end(copy);
    uselocale(previous);
    fclose(stream);
    if (rc >= 0) result.assign(buf, size);
    free(buf);
    return rc >= 0;
}

} // namespace

int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args) {
    std::wstring s;
    if (!buffer || !formatToString(format, args, s)) return -1;
    if (s.size() < count) {
        wmemcpy(buffer, s.data(), s.size());
        buffer[s.size()] = 0;
        return static_cast<int>(s.size());
    }
    wmemcpy(buffer, s.data(), count);
    return s.size() == count ? static_cast<int>(count) : -1;
}

int _snwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int r = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return r;
}

int _vscwprintf(const wchar_t* format, va_list args) {
    std::wstring s;
    if (!formatToString(format, args, s)) return -1;
    return static_cast<int>(s.size());
}

int WINAPI wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args) {
    constexpr size_t kLimit = 1024; // wsprintf never writes more than 1024 characters
    std::wstring s;
    if (!buffer || !formatToString(format, args, s)) return -1;
    size_t n = s.size() < kLimit ? s.size() : kLimit - 1;
    wmemcpy(buffer, s.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

int WINAPI wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    int r = wvsprintfW(buffer, format, args);
    va_end(args);
    return r;
}
