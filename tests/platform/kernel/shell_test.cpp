#include "kernel_test_support.h"

#include <unistd.h>

using kerneltest::KernelTest;

namespace {

constexpr INT kShow = 5; // SW_SHOW

class Shell : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        // A stand-in for the desktop's opener that records what it was given.
        opener_ = work() + "/opener";
        writeText(opener_,
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + work() + "/opened.tmp\"\nmv \"" + work() +
                      "/opened.tmp\" \"" + work() + "/opened\"\n",
                  0755);
        uiplatform::SetShellOpener(opener_);
    }
    void TearDown() override {
        uiplatform::SetShellOpener("");
        KernelTest::TearDown();
    }
    // What the opener received, waiting for it to run.
    std::string opened() {
        if (!waitForFile(work() + "/opened")) return "<nothing>";
        std::string text = readText(work() + "/opened");
        unlink((work() + "/opened").c_str());
        return text;
    }
    static INT_PTR run(const wchar_t* verb, const wchar_t* file, const wchar_t* params = nullptr,
                       const wchar_t* dir = nullptr) {
        return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, verb, file, params, dir, kShow));
    }
    std::string opener_;
};

TEST_F(Shell, SpecialFoldersAreWindowsPathsOnDriveC) {
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE));
    std::wstring desktop(path);
    EXPECT_EQ(desktop.rfind(L"C:\\users\\", 0), 0u);
    EXPECT_EQ(desktop.substr(desktop.size() - 8), L"\\Desktop");
    EXPECT_FALSE(PathIsDirectoryW(path)); // asked without creation

    struct Case {
        int csidl;
        std::wstring expected;
    } cases[] = {
        {CSIDL_DESKTOP, desktop},
        {CSIDL_DESKTOPDIRECTORY, desktop},
        {CSIDL_PROGRAM_FILES, L"C:\\Program Files"},
        {CSIDL_PROGRAM_FILESX86, L"C:\\Program Files (x86)"},
        {CSIDL_COMMON_APPDATA, L"C:\\ProgramData"},
        {CSIDL_APPDATA, desktop.substr(0, desktop.size() - 8) + L"\\AppData\\Roaming"},
        {CSIDL_LOCAL_APPDATA, desktop.substr(0, desktop.size() - 8) + L"\\AppData\\Local"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, c.csidl, TRUE)) << c.csidl;
        EXPECT_EQ(std::wstring(path), c.expected) << c.csidl;
        EXPECT_TRUE(PathIsDirectoryW(path)) << c.csidl;
    }
    EXPECT_TRUE(exists(driveC() + "/Program Files (x86)"));
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, 0x7e, FALSE));
}

TEST_F(Shell, UrlsDocumentsAndFoldersGoToTheOpener) {
    EXPECT_GT(run(L"open", L"https://licence.example.invalid/terms?x=1&y=2"), 32);
    EXPECT_EQ(opened(), "https://licence.example.invalid/terms?x=1&y=2\n");

    ASSERT_TRUE(CreateDirectoryW(L"C:\\Docs", nullptr));
    writeText(driveC() + "/Docs/Read Me.txt", "text");
    EXPECT_GT(run(nullptr, L"c:\\docs\\read me.txt"), 32);
    EXPECT_EQ(opened(), driveC() + "/Docs/Read Me.txt\n");
    EXPECT_GT(run(L"open", L"C:\\Docs"), 32);
    EXPECT_EQ(opened(), driveC() + "/Docs\n");

    struct Case {
        const wchar_t* verb;
        const wchar_t* file;
        const wchar_t* dir;
        INT_PTR result;
    } failures[] = {
        {L"open", L"C:\\Docs\\missing.txt", nullptr, SE_ERR_FNF},
        {L"open", L"C:\\Nowhere\\missing.txt", nullptr, SE_ERR_PNF},
        {L"print", L"C:\\Docs\\Read Me.txt", nullptr, SE_ERR_NOASSOC},
        {L"open", L"", nullptr, SE_ERR_FNF},
        {L"open", L"C:\\Docs\\Read Me.txt", L"C:\\No Folder", SE_ERR_PNF},
    };
    for (const auto& c : failures)
        EXPECT_EQ(run(c.verb, c.file, nullptr, c.dir), c.result) << c.file;

    uiplatform::SetShellOpener(work() + "/no-opener-here");
    EXPECT_EQ(run(L"open", L"https://example.invalid/"), SE_ERR_NOASSOC);
}

TEST_F(Shell, ProgramsStartWithParametersAndFolder) {
    // As the installer launches the installed program: quoted path with a doubled backslash.
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Inst", nullptr));
    writeText(driveC() + "/Inst/QuorvelStudio.exe", "#!/bin/sh\n{ pwd; for a; do printf '[%s]\\n' \"$a\"; "
                                                    "done; } > launched.tmp\nmv launched.tmp launched\n");
    EXPECT_GT(run(L"runas", L"\"C:\\Inst\\\\QuorvelStudio.exe\"", L"", L"C:\\Inst\\"), 32);
    ASSERT_TRUE(waitForFile(driveC() + "/Inst/launched"));
    EXPECT_EQ(readText(driveC() + "/Inst/launched"), driveC() + "/Inst\n");
    unlink((driveC() + "/Inst/launched").c_str());

    EXPECT_GT(run(L"open", L"C:\\Inst\\QuorvelStudio.exe", L"/a \"b c\"", L"C:\\Inst"), 32);
    ASSERT_TRUE(waitForFile(driveC() + "/Inst/launched"));
    EXPECT_EQ(readText(driveC() + "/Inst/launched"), driveC() + "/Inst\n[/a]\n[b c]\n");

    // A ".exe" that is no program fails as a bad format; nothing reaches the opener.
    writeText(driveC() + "/Inst/broken.exe", "MZ not for this system");
    EXPECT_EQ(run(L"open", L"C:\\Inst\\broken.exe"), ERROR_BAD_FORMAT);
    EXPECT_EQ(run(L"runas", L"C:\\Inst\\absent.exe"), SE_ERR_FNF);
    EXPECT_FALSE(exists(work() + "/opened"));
}

} // namespace
