#include "kernel_test_support.h"

#include <vector>

using kerneltest::KernelTest;

namespace {

class Profile : public KernelTest {
protected:
    std::wstring get(const wchar_t* section, const wchar_t* key, const wchar_t* def = L"", DWORD size = 256,
                     DWORD* result = nullptr) {
        std::vector<wchar_t> buf(size + 1, L'#');
        DWORD n = GetPrivateProfileStringW(section, key, def, buf.data(), size, file);
        if (result) *result = n;
        return std::wstring(buf.data(), n);
    }
    const wchar_t* file = L"C:\\velmio\\Quorvel\\Configures.ini";
    std::string host() const { return driveC() + "/velmio/Quorvel/Configures.ini"; }
};

TEST_F(Profile, UpdatesKeepEverythingElse) {
    ASSERT_EQ(mkdir((driveC() + "/velmio").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((driveC() + "/velmio/Quorvel").c_str(), 0755), 0);
    writeText(host(), "; settings\n[General]\nTheme=dark\n\n[language]\nlanguagetype = 0\nOther=\"quoted "
                      "value\"\n\n[Tail]\nx=1\n");

    ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"LanguageType", L"1", file));
    EXPECT_EQ(readText(host()),
              "; settings\n[General]\nTheme=dark\n\n[language]\nlanguagetype=1\nOther=\"quoted "
              "value\"\n\n[Tail]\nx=1\n");
    EXPECT_EQ(get(L"LANGUAGE", L"LanguageType"), L"1");
    EXPECT_EQ(get(L"language", L"other"), L"quoted value"); // matching quotes are removed

    // A new key goes to the end of its section, a new section to the end of the file.
    ASSERT_TRUE(WritePrivateProfileStringW(L"General", L"Size", L"big", file));
    ASSERT_TRUE(WritePrivateProfileStringW(L"New", L"k", L"v", file));
    EXPECT_EQ(readText(host()), "; settings\n[General]\nTheme=dark\nSize=big\n\n[language]\nlanguagetype=1\n"
                                "Other=\"quoted value\"\n\n[Tail]\nx=1\n[New]\nk=v\n");

    // A null value deletes the key, a null key the whole section.
    ASSERT_TRUE(WritePrivateProfileStringW(L"general", L"THEME", nullptr, file));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Tail", nullptr, nullptr, file));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Absent", L"k", nullptr, file)); // nothing to do
    EXPECT_EQ(readText(host()), "; settings\n[General]\nSize=big\n\n[language]\nlanguagetype=1\n"
                                "Other=\"quoted value\"\n\n[New]\nk=v\n");
}

TEST_F(Profile, MissingFileIsCreatedMissingFolderFails) {
    EXPECT_FALSE(WritePrivateProfileStringW(L"Language", L"LanguageType", L"1", file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(exists(driveC() + "/velmio"));

    ASSERT_TRUE(CreateDirectoryW(L"C:\\velmio", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\velmio\\Quorvel", nullptr));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"LanguageType", L"1", file));
    EXPECT_EQ(readText(host()), "[Language]\nLanguageType=1\n");

    // A bare file name lives in the Windows folder.
    ASSERT_TRUE(WritePrivateProfileStringW(L"s", L"k", L"v", L"bare.ini"));
    EXPECT_EQ(readText(driveC() + "/windows/bare.ini"), "[s]\nk=v\n");

    EXPECT_FALSE(WritePrivateProfileStringW(nullptr, L"k", L"v", file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, file)); // only a flush
}

TEST_F(Profile, ReadingDefaultsListsAndTruncation) {
    DWORD n = 0;
    // Missing file: the default, with trailing blanks removed.
    EXPECT_EQ(get(L"s", L"k", L"fallback  ", 256, &n), L"fallback");
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(get(L"s", L"k", nullptr), L"");

    ASSERT_TRUE(CreateDirectoryW(L"C:\\velmio", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\velmio\\Quorvel", nullptr));
    writeText(host(), "[One]\nalpha=first value\nbeta=2\n[Two]\ngamma=3\n");

    // A value cut to size - 1 characters returns size - 1.
    EXPECT_EQ(get(L"One", L"alpha", L"", 6, &n), L"first");
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(get(L"One", L"alpha", L"", 1, &n), L"");
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(get(L"One", L"missing", L"dflt"), L"dflt");

    // Lists: each name terminated, one more terminator at the end (not counted).
    std::wstring sections(L"One\0Two\0", 8);
    EXPECT_EQ(get(nullptr, nullptr, L"", 256, &n), sections);
    EXPECT_EQ(n, 8u);
    std::wstring keys(L"alpha\0beta\0", 11);
    EXPECT_EQ(get(L"one", nullptr, L"", 256, &n), keys);
    EXPECT_EQ(get(L"none", nullptr, L"", 256, &n), L"");
    EXPECT_EQ(n, 0u);

    // A list that does not fit is cut and ends in two terminators; the result is size - 2.
    std::vector<wchar_t> buf(10, L'#');
    n = GetPrivateProfileStringW(L"One", nullptr, L"", buf.data(), 9, file);
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(std::wstring(buf.data(), 9), std::wstring(L"alpha\0b\0\0", 9));
    EXPECT_EQ(buf[9], L'#');
}

TEST_F(Profile, Utf16FilesStayUtf16) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\velmio", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\velmio\\Quorvel", nullptr));
    std::string utf16("\xFF\xFE", 2);
    for (char c : std::string("[Language]\r\nName=x\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    writeText(host(), utf16);
    EXPECT_EQ(get(L"language", L"name"), L"x");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"Name", L"\x4e2d\x6587", file));
    EXPECT_EQ(get(L"language", L"name"), L"\x4e2d\x6587");
    std::string bytes = readText(host());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
    EXPECT_NE(bytes.find(std::string("\x2d\x4e\x87\x65\r\0\n\0", 8)), std::string::npos);
}

} // namespace
