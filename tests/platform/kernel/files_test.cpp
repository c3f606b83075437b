#include "kernel_test_support.h"

#include <climits>
#include <vector>

using kerneltest::KernelTest;

namespace {

class Paths : public KernelTest {};
class Files : public KernelTest {};

TEST_F(Paths, WindowsPathsMapToTheHost) {
    ASSERT_EQ(mkdir((driveC() + "/Program Files (x86)").c_str(), 0755), 0);
    struct Case {
        const wchar_t* windows;
        std::string host;
    } cases[] = {
        {L"C:\\Program Files (x86)\\velmio\\Quorvel\\", driveC() + "/Program Files (x86)/velmio/Quorvel"},
        {L"c:/program files (x86)/Velmio",
         driveC() + "/Program Files (x86)/Velmio"}, // existing part takes the disk's case
        {L"C:\\", driveC()},
        {L"C:", driveC()},
        {L"Z:\\usr\\bin", "/usr/bin"},
        {L"Z:\\", "/"},
        {L"D:\\velmio", prefix_ + "/drive_d/velmio"},
        {L"C:\\a\\.\\b\\..\\c\\\\d", driveC() + "/a/c/d"},
        {L"C:\\..\\..\\x", driveC() + "/x"},
        {L"sub\\file.txt", "sub/file.txt"},
        {L"..\\up", "../up"},
        {L".", "."},
        {L"name. . ", "name"}, // Windows drops trailing dots and blanks
    };
    for (const auto& c : cases)
        EXPECT_EQ(uiplatform::HostPathFromWindows(c.windows), c.host) << c.windows;

    SetLastError(0);
    EXPECT_EQ(uiplatform::HostPathFromWindows(L"C:\\bad|name"), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(uiplatform::HostPathFromWindows(L"\\\\server\\share"), "");
    EXPECT_EQ(uiplatform::HostPathFromWindows(L""), "");
    EXPECT_EQ(uiplatform::HostPathFromWindows(nullptr), "");

    EXPECT_EQ(uiplatform::WindowsPathFromHost(driveC() + "/users"), L"C:\\users");
    EXPECT_EQ(uiplatform::WindowsPathFromHost(driveC()), L"C:\\");
    EXPECT_EQ(uiplatform::WindowsPathFromHost("/etc/hosts"), L"Z:\\etc\\hosts");
    std::wstring beside = uiplatform::WindowsPathFromHost(prefix_ + "/drive_cx");
    EXPECT_EQ(beside.rfind(L"Z:\\tmp\\", 0), 0u) << "a sibling of the drive folder is not on C:";
    EXPECT_EQ(uiplatform::HostPathFromWindows(beside.c_str()), prefix_ + "/drive_cx");
}

TEST_F(Paths, CaseIsIgnoredForExistingEntries) {
    ASSERT_EQ(mkdir((driveC() + "/Data").c_str(), 0755), 0);
    writeText(driveC() + "/Data/Config.INI", "x");
    EXPECT_EQ(GetFileAttributesW(L"C:\\DATA\\config.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(L"c:\\data\\CONFIG.ini"));
    EXPECT_FALSE(exists(driveC() + "/Data/Config.INI"));
}

TEST_F(Paths, CurrentDirectoryRoundTrips) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Work Dir", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(L"c:\\work dir\\"));
    wchar_t buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
    EXPECT_EQ(std::wstring(buffer), L"C:\\Work Dir");
    EXPECT_EQ(n, wcslen(L"C:\\Work Dir"));
    // Too small: the size needed, terminator included, and nothing written.
    wchar_t small[4] = L"abc";
    EXPECT_EQ(GetCurrentDirectoryW(4, small), n + 1);
    EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), n + 1);

    // Relative paths are taken from the current directory.
    HANDLE h = CreateFileW(L"rel.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(exists(driveC() + "/Work Dir/rel.txt"));

    writeText(driveC() + "/plain", "");
    struct Case {
        const wchar_t* path;
        DWORD error;
    } failures[] = {{L"C:\\missing", ERROR_FILE_NOT_FOUND},
                    {L"C:\\missing\\deeper", ERROR_PATH_NOT_FOUND},
                    {L"C:\\plain", ERROR_DIRECTORY}};
    for (const auto& c : failures) {
        EXPECT_FALSE(SetCurrentDirectoryW(c.path)) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }

    ASSERT_TRUE(SetCurrentDirectoryW(L"Z:\\tmp"));
    GetCurrentDirectoryW(MAX_PATH, buffer);
    EXPECT_EQ(std::wstring(buffer), L"Z:\\tmp");
}

TEST_F(Files, CreateReadWriteAndDispositions) {
    const wchar_t* path = L"C:\\data.bin";
    HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, &written, nullptr));
    EXPECT_EQ(written, 11u);
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 11u);
    EXPECT_EQ(high, 0u);
    DWORD read = 0;
    char buf[32];
    EXPECT_FALSE(ReadFile(h, buf, sizeof buf, &read, nullptr)); // opened for writing only
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    EXPECT_EQ(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(ReadFile(h, buf, 5, &read, nullptr));
    EXPECT_EQ(std::string(buf, read), "hello");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));
    EXPECT_EQ(std::string(buf, read), " world");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr)); // end of file is success with 0 bytes
    EXPECT_EQ(read, 0u);
    EXPECT_FALSE(WriteFile(h, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(h);

    // OPEN_ALWAYS and CREATE_ALWAYS on an existing file succeed and say so.
    h = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 11u);
    CloseHandle(h);
    h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
    h = CreateFileW(L"C:\\fresh.bin", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(h);

    writeText(driveC() + "/trunc.bin", "12345");
    h = CreateFileW(L"C:\\trunc.bin", GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(readText(driveC() + "/trunc.bin"), "");
}

TEST_F(Files, OpenFailuresGiveWindowsErrors) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\folder", nullptr));
    struct Case {
        const wchar_t* path;
        DWORD access, disposition, flags, error;
    } cases[] = {
        {L"C:\\nothing.txt", GENERIC_READ, OPEN_EXISTING, 0, ERROR_FILE_NOT_FOUND},
        {L"C:\\no\\such\\file.txt", GENERIC_READ, OPEN_EXISTING, 0, ERROR_PATH_NOT_FOUND},
        {L"C:\\no\\file.txt", GENERIC_WRITE, CREATE_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
        {L"C:\\nothing.txt", GENERIC_WRITE, TRUNCATE_EXISTING, 0, ERROR_FILE_NOT_FOUND},
        {L"C:\\folder", GENERIC_READ, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {L"C:\\x.txt", GENERIC_READ, 0, 0, ERROR_INVALID_PARAMETER},
        {L"C:\\x.txt", GENERIC_READ, 6, 0, ERROR_INVALID_PARAMETER},
        {L"C:\\a?b", GENERIC_READ, OPEN_EXISTING, 0, ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(CreateFileW(c.path, c.access, 0, nullptr, c.disposition, c.flags, nullptr),
                  INVALID_HANDLE_VALUE)
            << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    // A folder opens with backup semantics, for its metadata.
    HANDLE h = CreateFileW(L"C:\\folder", 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    DWORD n = 0;
    char b[4];
    EXPECT_FALSE(ReadFile(nullptr, b, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
}

TEST_F(Files, AttributesDirectoriesAndDeletion) {
    EXPECT_EQ(GetFileAttributesW(L"C:\\none"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(L"C:\\none\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    EXPECT_TRUE(CreateDirectoryW(L"C:\\velmio", nullptr));
    EXPECT_FALSE(CreateDirectoryW(L"C:\\VELMIO\\", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(L"C:\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(L"C:\\velmio"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(PathIsDirectoryW(L"C:\\velmio"));
    EXPECT_TRUE(PathIsDirectoryW(L"C:\\"));

    writeText(driveC() + "/velmio/f.txt", "data");
    EXPECT_FALSE(PathIsDirectoryW(L"C:\\velmio\\f.txt"));
    EXPECT_FALSE(PathIsDirectoryW(L"C:\\velmio\\none"));
    EXPECT_FALSE(CreateDirectoryW(L"C:\\velmio\\f.txt", nullptr)); // a file already has the name
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileAttributesW(L"C:\\velmio\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    chmod((driveC() + "/velmio/f.txt").c_str(), 0444);
    EXPECT_EQ(GetFileAttributesW(L"C:\\velmio\\f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(DeleteFileW(L"C:\\velmio"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileW(L"C:\\velmio\\f.txt")); // read-only
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    chmod((driveC() + "/velmio/f.txt").c_str(), 0644);
    EXPECT_TRUE(DeleteFileW(L"C:\\velmio\\f.txt"));
    EXPECT_FALSE(DeleteFileW(L"C:\\velmio\\f.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, ModuleFileNameAndTruncation) {
    char exe[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    std::wstring expected = uiplatform::WindowsPathFromHost(exe);
    ASSERT_EQ(expected.rfind(L"Z:\\", 0), 0u);

    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    EXPECT_EQ(std::wstring(buffer), expected);
    EXPECT_EQ(n, expected.size());
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, MAX_PATH * 4), n);

    // Too small: cut to size - 1 characters, terminated, result = size, ERROR_INSUFFICIENT_BUFFER.
    std::vector<wchar_t> small(8, L'#');
    small.push_back(L'!'); // guard after the buffer
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(nullptr, small.data(), 8), 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::wstring(small.data()), expected.substr(0, 7));
    EXPECT_EQ(small[8], L'!');
    EXPECT_EQ(GetModuleFileNameW(nullptr, small.data(), 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

} // namespace
