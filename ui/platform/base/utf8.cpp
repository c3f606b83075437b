#include "ui/platform/base/utf8.h"

namespace uiplatform {

namespace {
bool IsScalarValue(char32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }
} // namespace

int EncodeUtf8(char32_t cp, char out[4]) {
    if (!IsScalarValue(cp)) cp = 0xFFFD;
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

long DecodeUtf8(const unsigned char* s, size_t n, size_t& i) {
    unsigned char c = s[i];
    if (c < 0x80) {
        ++i;
        return c;
    }
    size_t extra;
    char32_t cp;
    char32_t minimum;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
        minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
        minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return -1;
    }
    if (i + extra >= n) { // the sequence runs past the end of the input
        ++i;
        return -1;
    }
    for (size_t k = 1; k <= extra; ++k) {
        unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < minimum || !IsScalarValue(cp)) {
        ++i;
        return -1;
    }
    i += extra + 1;
    return static_cast<long>(cp);
}

std::string Utf8FromWide(const wchar_t* text, size_t count) {
    std::string out;
    out.reserve(count);
    char bytes[4];
    for (size_t i = 0; i < count; ++i)
        out.append(bytes, static_cast<size_t>(EncodeUtf8(static_cast<char32_t>(text[i]), bytes)));
    return out;
}

std::string Utf8FromWide(const std::wstring& text) { return Utf8FromWide(text.data(), text.size()); }

std::wstring WideFromUtf8(const char* bytes, size_t count) {
    std::wstring out;
    out.reserve(count);
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    size_t i = 0;
    while (i < count) {
        long cp = DecodeUtf8(s, count, i);
        out += static_cast<wchar_t>(cp < 0 ? 0xFFFD : cp);
    }
    return out;
}

std::wstring WideFromUtf8(const std::string& bytes) { return WideFromUtf8(bytes.data(), bytes.size()); }

} // namespace uiplatform
