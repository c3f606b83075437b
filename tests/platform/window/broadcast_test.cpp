// A registered message broadcast by another process reaches this process's windows.
#include "window_test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

using namespace wintest;
namespace host = uiplatform::host;

// Runs only inside the second process that the test below starts.
TEST(BroadcastHelper, SendActivation) {
    if (!getenv("UIPLATFORM_TEST_BROADCAST_CHILD")) GTEST_SKIP() << "helper of BroadcastTest";
    UINT msg = RegisterWindowMessageW(L"velmio Test Instance");
    ASSERT_NE(msg, 0u);
    DWORD recipients = BSM_APPLICATIONS;
    EXPECT_GT(BroadcastSystemMessageW(BSF_NOHANG, &recipients, msg, 5, 6), 0);
}

TEST_F(WindowTest, RegisteredMessageBroadcastByASecondProcessReachesTheFirst) {
    char dirTemplate[] = "/tmp/uiplatform-bcast-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    setenv("XDG_RUNTIME_DIR", dirTemplate, 1);
    // Another registration first, so that this process's number differs from the child's.
    UINT unrelated = RegisterWindowMessageW(L"some other message");
    UINT msg = RegisterWindowMessageW(L"VELMIO test instance"); // names ignore case
    EXPECT_NE(unrelated, msg);
    EXPECT_EQ(RegisterWindowMessageW(L"velmio Test Instance"), msg);
    EXPECT_GE(msg, 0xC000u);
    HWND hwnd = Make(0, 0, 10, 10);
    ShowWindow(hwnd, SW_SHOW);

    pid_t child = fork();
    if (child == 0) {
        setenv("UIPLATFORM_TEST_BROADCAST_CHILD", "1", 1);
        execl("/proc/self/exe", "broadcast-child", "--gtest_filter=BroadcastHelper.SendActivation", nullptr);
        _exit(127);
    }
    ASSERT_GT(child, 0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (int i = 0; i < 100 && Count(hwnd, msg) == 0; ++i) host::RunFor(20);
    ASSERT_EQ(Count(hwnd, msg), 1u);
    for (auto& l : Log()) {
        if (l.msg == msg) {
            EXPECT_EQ(l.wParam, 5u);
            EXPECT_EQ(l.lParam, 6);
        }
    }
    DestroyWindow(hwnd);
    std::filesystem::remove_all(dirTemplate);
}
