#include "tests/markup/zip_builder.h"
#include "ui/core/UIApplication.h"
#include "ui/core/UIManager.h"
#include "ui/markup/UISkinFile.h"
#include "ui/platform/host.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class TestApp : public CUIApplication {
public:
    using CUIApplication::ExitInstance;
    HANDLE Mutex() const { return m_hMutex; }
};

// Each test gets its own session folder, so mutexes and broadcasts stay within the test.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/app-test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_session = tmpl;
        setenv("XDG_RUNTIME_DIR", tmpl, 1);
    }
    void TearDown() override { std::filesystem::remove_all(m_session); }
    std::string m_session;
};

const wchar_t kName[] = L"velmio Quorvel";

// Runs the instance check in a second process: exit 0 when it was refused, 2 when it became
// the first instance, other values on failure.
int RunSecondInstance()
{
    pid_t child = fork();
    if (child == 0) {
        setenv("APP_TEST_SECOND_INSTANCE", "1", 1);
        execl("/proc/self/exe", "second-instance", "--gtest_filter=AppHelper.SecondInstance", nullptr);
        _exit(127);
    }
    if (child < 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

UINT g_activations = 0;
UINT g_activateMsg = 0;
LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == g_activateMsg && msg != 0)
        g_activations++;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

// Runs only inside the second process that SecondInstanceLeavesAndAsksTheFirstToShow starts.
TEST(AppHelper, SecondInstance)
{
    if (!getenv("APP_TEST_SECOND_INSTANCE"))
        GTEST_SKIP() << "helper of AppTest.SecondInstanceLeavesAndAsksTheFirstToShow";
    TestApp app;
    app.SetSingleApplication(true, kName);
    app.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    bool first = app.InitInstance(GetModuleHandleW(nullptr));
    _exit(first ? 2 : 0);
}

TEST_F(AppTest, SecondInstanceLeavesAndAsksTheFirstToShow)
{
    uiplatform::host::SelectBackend(uiplatform::host::Backend::Headless);
    TestApp app;
    ASSERT_TRUE(app.SetSingleApplication(true, kName));
    app.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    ASSERT_TRUE(app.InitInstance(GetModuleHandleW(nullptr)));
    ASSERT_NE(app.Mutex(), nullptr);
    g_activateMsg = app.GetActivateMessage();
    EXPECT_EQ(g_activateMsg, RegisterWindowMessageW(kName));

    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = L"AppTestMain";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"AppTestMain", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOW);

    EXPECT_EQ(RunSecondInstance(), 0) << "the second instance must return false from InitInstance";
    for (int i = 0; i < 250 && g_activations == 0; ++i)
        uiplatform::host::RunFor(20);
    EXPECT_EQ(g_activations, 1u);
    DestroyWindow(hwnd);

    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(app.Mutex(), nullptr);
    EXPECT_EQ(RunSecondInstance(), 2) << "after ExitInstance the name is free again";
}

TEST_F(AppTest, SingleInstanceNeedsAName)
{
    TestApp app;
    EXPECT_FALSE(app.SetSingleApplication(true, L""));
    EXPECT_FALSE(app.SetSingleApplication(true, nullptr));
    app.SetResType_File(L"skin");
    EXPECT_TRUE(app.InitInstance(GetModuleHandleW(nullptr)));
    EXPECT_EQ(app.Mutex(), nullptr);
    EXPECT_EQ(app.GetActivateMessage(), 0u);
    app.ExitInstance();
}

TEST_F(AppTest, InitInstanceRegistersTheSkinByResourceType)
{
    TestApp app;
    EXPECT_EQ(UIGetApp(), &app);
    {
        TestApp later;
        EXPECT_EQ(UIGetApp(), &later);
    }
    EXPECT_EQ(UIGetApp(), nullptr) << "a destroyed application is not handed out";

    // Type 4 without the resource: no archive, folder mode against <program folder>skin\.
    app.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    ASSERT_TRUE(app.InitInstance(GetModuleHandleW(nullptr)));
    EXPECT_EQ(CPaintManagerUI::GetResourceType(), ResZipResource);
    EXPECT_EQ(app.GetInstance(), GetModuleHandleW(nullptr));
    CUIString path = app.GetAppPath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.GetAt(path.GetLength() - 1), L'\\');
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath().GetData(), (path + L"skin\\").GetData());
    EXPECT_TRUE(CPaintManagerUI::GetResourceZip().IsEmpty());
    app.ExitInstance();

    // Type 4 with the resource: the embedded archive becomes the skin.
    static const std::string archive = ziptest::Build({{"MainFrame.xml", "<Window/>", 8}});
    uiplatform::RegisterResource(L"ZIPRES", MAKEINTRESOURCEW(131), archive.data(), archive.size());
    app.SetResType_ZipResource(L"skin", L"", 131, L"ZIPRES");
    ASSERT_TRUE(app.InitInstance(GetModuleHandleW(nullptr)));
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip().GetData(), L"membuffer");
    SkinFileData data;
    CUIString error;
    ASSERT_TRUE(ReadSkinFile(L"mainframe.xml", data, error)) << error.GetData();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.bytes.get()), data.size), "<Window/>");
    app.ExitInstance();
    EXPECT_TRUE(CPaintManagerUI::GetResourceZip().IsEmpty()) << "Term closes the kept archive";
}
