// Corrupt settings files on disk: profile (INI) files and registry hives that were damaged,
// truncated or written by someone else. Reads give values or defaults; writes keep working.
#include "kernel_test_support.h"

#include <sys/stat.h>

#include <string>
#include <vector>

using kerneltest::KernelTest;

namespace {

class HostileFiles : public KernelTest {
protected:
    std::wstring get(const wchar_t* section, const wchar_t* key, const wchar_t* def = L"-")
    {
        std::vector<wchar_t> buf(300, L'#');
        DWORD n = GetPrivateProfileStringW(section, key, def, buf.data(), 256, file);
        EXPECT_LT(n, 256u);
        EXPECT_EQ(buf[n], L'\0');
        return std::wstring(buf.data(), n);
    }
    const wchar_t* file = L"C:\\hostile.ini";
    std::string host() const { return driveC() + "/hostile.ini"; }
};

// Deterministic damage of a byte string: flips, cuts, inserted bytes.
std::string Damage(const std::string& in, uint32_t& seed)
{
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    std::string s = in;
    for (int r = 1 + static_cast<int>(next() % 3); r > 0 && !s.empty(); r--) {
        size_t at = next() % s.size();
        switch (next() % 4) {
        case 0: s[at] = static_cast<char>(next()); break;
        case 1: s.resize(at); break;
        case 2: s.insert(at, std::string(1 + next() % 4, static_cast<char>(next()))); break;
        default: s.erase(at, 1 + next() % 8); break;
        }
    }
    return s;
}

} // namespace

TEST_F(HostileFiles, CorruptProfilesReadAndRewrite)
{
    std::string longLine(1 << 20, 'v');
    struct Case {
        const char* what;
        std::string bytes;
        std::wstring value; // of [S] k afterwards
    } cases[] = {
        {"lines without '='", "[S]\nnoequals\n=\n==\n]\nk=1\n", L"1"},
        {"very long line", "[S]\nlong=" + longLine + "\nk=2\n", L"2"},
        {"invalid UTF-8", "[S]\n\xff\xfe\xc3=\xc3\x28\nk=\xe2\x82\n", L"\xfffd\xfffd"},
        {"UTF-16 odd length, lone surrogate", std::string("\xff\xfe[\0S\0]\0\n\0k\0=\0\x00\xd8", 16) + "x", L"\xd800"},
        {"nul bytes", std::string("[S]\nk=a\0b\n", 10), std::wstring(L"a\0b", 3)},
        {"only a mark", "\xef\xbb\xbf", L"-"},
        {"unterminated section", "[S\nk=3", L"3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeText(host(), c.bytes);
        const std::wstring& want = c.value;
        EXPECT_EQ(get(L"S", L"k"), want);
        get(nullptr, nullptr);
        get(L"S", nullptr);
        ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"added", L"yes", file));
        EXPECT_EQ(get(L"S", L"added"), L"yes");
        EXPECT_EQ(get(L"S", L"k"), want);
    }

    const std::string valid = "; c\n[General]\nTheme=dark\n[Language]\nLanguageType = 1\nName=\"q\"\n";
    uint32_t seed = 99;
    for (int round = 0; round < 500; round++) {
        writeText(host(), Damage(valid, seed));
        get(nullptr, nullptr);
        get(L"General", nullptr);
        get(L"Language", L"LanguageType");
        ASSERT_TRUE(WritePrivateProfileStringW(L"Language", L"LanguageType", L"7", file)) << round;
        EXPECT_EQ(get(L"Language", L"LanguageType"), L"7") << round;
    }
}

TEST_F(HostileFiles, CorruptHivesReadAndRewrite)
{
    std::string folder = prefix_ + "/registry";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    std::string hive = folder + "/HKEY_CURRENT_USER.reg";
    auto query = [](const wchar_t* name, DWORD* type, std::vector<BYTE>& data) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\T", 0, KEY_READ, &key) != ERROR_SUCCESS) return static_cast<LONG>(-1);
        data.assign(64, 0);
        DWORD size = static_cast<DWORD>(data.size());
        LONG rc = RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
        data.resize(rc == ERROR_SUCCESS ? size : 0);
        RegCloseKey(key);
        return rc;
    };
    // Damaged lines are skipped; their neighbours still read.
    writeText(hive, "[Software\\T]\n"
                    "\"huge\"=sz:4000000000:\"x\"\n"
                    "\"short\"=sz:4:\"toolong\"\n"
                    "\"odd\"=sz:3:\"\"\n"
                    "\"dw\"=dword:1ffffffff\n"
                    "\"hex\"=hex(3):1,2,zz\n"
                    "\"open\"=sz:8:\"unterminated\n"
                    "\"esc\"=sz:8:\"a\\\n"
                    "\"big type\"=hex(99999999999999999999):01\n"
                    "garbage \xff\xfe\n"
                    "[\n"
                    "\"ok\"=dword:0000002a\n");
    for (const wchar_t* bad : {L"huge", L"short", L"odd", L"dw", L"hex", L"open", L"esc"}) {
        DWORD type = 0;
        std::vector<BYTE> data;
        EXPECT_EQ(query(bad, &type, data), ERROR_FILE_NOT_FOUND) << testing::PrintToString(std::wstring(bad));
    }
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(query(L"ok", &type, data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data[0], 0x2a);

    const std::string valid = "[Software\\T]\n\"s\"=sz:8:\"ab\"\n\"d\"=dword:00000005\n\"b\"=hex(3):01,02\n";
    uint32_t seed = 7;
    for (int round = 0; round < 300; round++) {
        writeText(hive, Damage(valid, seed));
        for (const wchar_t* name : {L"s", L"d", L"b"})
            query(name, &type, data);
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\T", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS)
            << round;
        DWORD v = 9;
        EXPECT_EQ(RegSetValueExW(key, L"d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), ERROR_SUCCESS);
        RegCloseKey(key);
        ASSERT_EQ(query(L"d", &type, data), ERROR_SUCCESS) << round;
        EXPECT_EQ(data[0], 9);
    }
}
