#include "kernel_test_support.h"

#include <cstring>

using kerneltest::KernelTest;

namespace {

class Registry : public KernelTest {};

TEST_F(Registry, ValuesSurviveReopenWithExactBytes) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\velmio\\Quorvel", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));

    // A fixed 260-character field: the text, then zero characters to the end.
    wchar_t field[MAX_PATH] = L"C:\\Program Files (x86)\\velmio\\Quorvel\\";
    ASSERT_EQ(RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(field), sizeof field),
              ERROR_SUCCESS);
    DWORD count = 42;
    ASSERT_EQ(
        RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count),
        ERROR_SUCCESS);
    const BYTE blob[] = {0, 1, 2, 0xff};
    ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    // Text with an odd tail after its terminator is kept byte for byte too.
    wchar_t odd[4] = {L'a', 0, L'z', 0};
    ASSERT_EQ(RegSetValueExW(key, L"Odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(odd), sizeof odd),
              ERROR_SUCCESS);
    // So is "text" that is no Unicode at all.
    const uint32_t raw[2] = {0xD800, 0x7FFFFFFF};
    ASSERT_EQ(RegSetValueExW(key, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof raw),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Velmio\\quorvel", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof field);
    wchar_t back[MAX_PATH];
    memset(back, 0xAB, sizeof back);
    ASSERT_EQ(RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(back), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(memcmp(back, field, sizeof field), 0);

    // Too small: ERROR_MORE_DATA, the size needed and the type.
    BYTE small[8];
    size = sizeof small;
    type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"Path", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof field);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    DWORD value = 0;
    size = sizeof value;
    ASSERT_EQ(RegQueryValueExW(key, L"COUNT", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 42u);
    BYTE blobBack[8];
    size = sizeof blobBack;
    ASSERT_EQ(RegQueryValueExW(key, L"", nullptr, &type, blobBack, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, sizeof blob);
    EXPECT_EQ(memcmp(blobBack, blob, sizeof blob), 0);
    wchar_t oddBack[4];
    size = sizeof oddBack;
    ASSERT_EQ(RegQueryValueExW(key, L"Odd", nullptr, &type, reinterpret_cast<BYTE*>(oddBack), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(memcmp(oddBack, odd, sizeof odd), 0);

    uint32_t rawBack[2] = {};
    size = sizeof rawBack;
    ASSERT_EQ(RegQueryValueExW(key, L"Raw", nullptr, &type, reinterpret_cast<BYTE*>(rawBack), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(memcmp(rawBack, raw, sizeof raw), 0);

    EXPECT_EQ(RegQueryValueExW(key, L"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // Opened for reading: no writes.
    EXPECT_EQ(RegSetValueExW(key, L"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_ACCESS_DENIED);
    RegCloseKey(key);

    // The hive is a readable text file.
    std::string hive = readText(prefix_ + "/registry/HKEY_LOCAL_MACHINE.reg");
    EXPECT_NE(hive.find("[Software\\velmio\\Quorvel]"), std::string::npos);
    EXPECT_NE(hive.find("\"Path\"=sz:" + std::to_string(sizeof field) +
                        ":\"C:\\\\Program Files (x86)\\\\velmio\\\\Quorvel\\\\\""),
              std::string::npos);
    EXPECT_NE(hive.find("\"Count\"=dword:0000002a"), std::string::npos);
}

TEST_F(Registry, OpenNeverCreatesAndDeleteNeedsNoSubkeys) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\velmio\\Quorvel", 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    HKEY parent, child;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\A", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &parent, &disposition),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(parent, L"B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    HKEY again;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"software\\a\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &again, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(again);
    // The hives are separate.
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\A", 0, KEY_READ, &again), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\A"), ERROR_ACCESS_DENIED); // has a sub-key
    EXPECT_EQ(RegDeleteKeyW(parent, L"b"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(parent, L"B"), ERROR_FILE_NOT_FOUND);
    DWORD v = 1;
    EXPECT_EQ(RegSetValueExW(child, L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\A"), ERROR_SUCCESS);
    RegCloseKey(child);
    RegCloseKey(parent);
    EXPECT_EQ(RegCloseKey(parent), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234)), L"x", 0, KEY_READ, &key),
              ERROR_INVALID_HANDLE);
}

TEST_F(Registry, ConcurrentWritersLoseNothing) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Race", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    auto writer = [](LPVOID p) -> DWORD {
        HKEY k = static_cast<HKEY>(p);
        wchar_t name[32];
        DWORD self = GetCurrentThreadId();
        for (DWORD i = 0; i < 20; ++i) {
            swprintf(name, 32, L"t%u-%u", self, i);
            if (RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4) != ERROR_SUCCESS)
                return 1;
        }
        return 0;
    };
    HANDLE t1 = CreateThread(nullptr, 0, writer, key, 0, nullptr);
    HANDLE t2 = CreateThread(nullptr, 0, writer, key, 0, nullptr);
    WaitForSingleObject(t1, INFINITE);
    WaitForSingleObject(t2, INFINITE);
    CloseHandle(t1);
    CloseHandle(t2);
    RegCloseKey(key);
    std::string hive = readText(prefix_ + "/registry/HKEY_CURRENT_USER.reg");
    size_t values = 0;
    for (size_t at = hive.find("\"t"); at != std::string::npos; at = hive.find("\"t", at + 1))
        ++values;
    EXPECT_EQ(values, 40u);
}

} // namespace
