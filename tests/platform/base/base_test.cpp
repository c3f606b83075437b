#include "ui/platform/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

TEST(LastError, IsPerThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD other = 1;
    std::thread([&] { other = GetLastError(); }).join();
    EXPECT_EQ(other, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(CodePages, Utf8ToWideMeasuresConvertsAndCountsTheTerminator) {
    const char* text = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"; // A é 中 😀
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 5);
    wchar_t buf[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, buf, 8), 5);
    EXPECT_EQ(std::wstring(buf), std::wstring(L"A\u00e9\u4e2d\U0001F600"));
    // An explicit length converts exactly those bytes, without a terminator.
    wchar_t two[2] = {L'x', L'x'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 3, two, 2), 2);
    EXPECT_EQ(two[1], L'\u00e9');
}

TEST(CodePages, TooSmallBufferFailsWithInsufficientBuffer) {
    wchar_t buf[3];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcdef", -1, buf, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char out[4];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u4e2d\u6587", -1, out, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(CodePages, InvalidInputIsReplacedOrRejected) {
    struct Case {
        const char* bytes;
        int length;
    } cases[] = {
        {"\xC3", 1},             // truncated sequence
        {"\xC0\xAF", 2},         // overlong slash
        {"\xED\xA0\x80", 3},     // encoded surrogate
        {"\xF4\x90\x80\x80", 4}, // above U+10FFFF
        {"\xFF", 1},
    };
    for (const auto& c : cases) {
        wchar_t buf[8] = {};
        int n = MultiByteToWideChar(CP_UTF8, 0, c.bytes, c.length, buf, 8);
        ASSERT_GE(n, 1) << c.bytes;
        EXPECT_EQ(buf[0], L'\uFFFD');
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes, c.length, buf, 8), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
}

TEST(CodePages, WideToUtf8RoundTripsAndJoinsSurrogatePairs) {
    char out[32];
    int n = WideCharToMultiByte(CP_UTF8, 0, L"\u5fae\u8f6f\u96c5\u9ed1 ok", -1, out, sizeof out, nullptr, nullptr);
    EXPECT_EQ(n, 16);
    EXPECT_STREQ(out, "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91 ok");
    const wchar_t pair[] = {0xD83D, 0xDE00, 0};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, pair, -1, out, sizeof out, nullptr, nullptr), 5);
    EXPECT_STREQ(out, "\xF0\x9F\x98\x80");
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", -1, out, sizeof out, "?", &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(WideStrings, CaseInsensitiveComparisonFoldsBeyondAscii) {
    EXPECT_EQ(lstrcmpiW(L"Click", L"CLICK"), 0);
    EXPECT_EQ(lstrcmpiW(L"\u00c9t\u00c9", L"\u00e9t\u00e9"), 0);
    EXPECT_LT(lstrcmpiW(L"abc", L"ABD"), 0);
    EXPECT_GT(lstrcmpiW(L"abcd", L"ABC"), 0);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, L"Skin", -1, L"SKIN", 4), CSTR_EQUAL);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, L"Skin", -1, L"SKIN", -1), CSTR_GREATER_THAN);
    wchar_t dst[4];
    lstrcpynW(dst, L"abcdef", 4);
    EXPECT_STREQ(dst, L"abc");
}

TEST(WideFormat, UsesTheWindowsMeaningOfConversions) {
    wchar_t buf[128];
    LONG negative = -5;
    DWORD big = 0xFFFFFFFF;
    long long wide = 1LL << 40;
    ASSERT_GT(_snwprintf(buf, 128, L"%s|%S|%c|%ld|%lu|%I64d|%d%%|%5.1f", L"\u4e2d", "n\xC3\xA9", L'x', negative,
                         big, wide, 7, 2.25),
              0);
    EXPECT_STREQ(buf, L"\u4e2d|n\u00e9|x|-5|4294967295|1099511627776|7%|  2.2");
}

TEST(WideFormat, LegacyTruncationRules) {
    wchar_t buf[4] = {L'#', L'#', L'#', L'#'};
    EXPECT_EQ(_snwprintf(buf, 4, L"%s", L"abcd"), 4); // exactly fits: no terminator
    EXPECT_EQ(std::wstring(buf, 4), L"abcd");
    EXPECT_EQ(_snwprintf(buf, 4, L"%s", L"abcdef"), -1);
    EXPECT_EQ(std::wstring(buf, 4), L"abcd");
    EXPECT_EQ(_snwprintf(buf, 4, L"%d", 12), 2);
    EXPECT_STREQ(buf, L"12");

    std::wstring longText(2000, L'z');
    std::wstring out(2000, L'\0');
    EXPECT_EQ(wsprintfW(out.data(), L"%s", longText.c_str()), 1023);
    EXPECT_EQ(wcslen(out.c_str()), 1023u);
}

namespace {
int measure(const wchar_t* f, ...) {
    va_list a;
    va_start(a, f);
    int n = _vscwprintf(f, a);
    va_end(a);
    return n;
}
} // namespace

TEST(WideFormat, MeasuresLongResultsAndIgnoresPercentN) {
    std::wstring longText(5000, L'q');
    EXPECT_EQ(measure(L"<%s>", longText.c_str()), 5002);
    int sink = 0;
    wchar_t buf[16];
    EXPECT_EQ(_snwprintf(buf, 16, L"a%nb", &sink), 2);
    EXPECT_EQ(sink, 0);
}
