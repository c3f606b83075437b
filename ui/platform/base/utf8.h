// The layer's one UTF-8 codec. Wide text is UTF-32 here; anything that is not a Unicode
// scalar value (surrogates, values above U+10FFFF) and any malformed, overlong or cut
// sequence becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>

namespace uiplatform {

// Writes the UTF-8 form of one code point (replaced when invalid) into out; returns its length.
int EncodeUtf8(char32_t cp, char out[4]);
// Decodes the sequence at s[i] (n bytes in all) and advances i; -1 for a malformed one,
// which consumes one byte.
long DecodeUtf8(const unsigned char* s, size_t n, size_t& i);

std::string Utf8FromWide(const wchar_t* text, size_t count);
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const char* bytes, size_t count);
std::wstring WideFromUtf8(const std::string& bytes);

} // namespace uiplatform
