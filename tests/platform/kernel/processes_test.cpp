#include "kernel_test_support.h"

#include <chrono>
#include <string>

using kerneltest::KernelTest;

namespace {

#ifndef SW_HIDE
constexpr WORD kHide = 0;
#else
constexpr WORD kHide = SW_HIDE;
#endif

class Processes : public KernelTest {
protected:
    // Starts a command line with stdout and stderr on a fresh pipe, as the installer's runner does.
    bool start(std::wstring commandLine, HANDLE& readEnd, HANDLE& writeEnd, PROCESS_INFORMATION& pi,
               const wchar_t* directory = nullptr, DWORD pipeSize = 10240) {
        SECURITY_ATTRIBUTES sa{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        if (!CreatePipe(&readEnd, &writeEnd, &sa, pipeSize)) return false;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = kHide;
        si.hStdOutput = writeEnd;
        si.hStdError = writeEnd;
        return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                              directory, &si, &pi);
    }
    // Everything the pipe delivers until every writer is gone.
    static std::string drain(HANDLE readEnd) {
        std::string out;
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr))
            out.append(buf, n);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
        return out;
    }
    void script(const std::string& name, const std::string& body, mode_t mode = 0644) {
        mkdir((driveC() + "/tools").c_str(), 0755);
        writeText(driveC() + "/tools/" + name, body, mode);
    }
};

TEST_F(Processes, ChildOutputReachesThePipeAndArgumentsSplitAsDesigned) {
    // No execute bit: Windows has none, a "#!" file is a program by its contents.
    script("args", "#!/bin/sh\nprintf '[%s]\\n' \"$@\"\npwd >&2\nexit 3\n");
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Run Here", nullptr));
    HANDLE r, w;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(start(L"\"C:\\tools\\args\" plain \"two  words\" /DIR=\"C:\\Program Files\\velmio\\\" a\\\\b",
                      r, w, pi, L"C:\\run here"))
        << GetLastError();
    EXPECT_NE(pi.dwProcessId, 0u);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(pi.hThread, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 3u);
    CloseHandle(w); // the child's copy is gone with it; now the pipe ends
    EXPECT_EQ(drain(r), "[plain]\n[two  words]\n[/DIR=C:\\Program Files\\velmio\\]\n[a\\\\b]\n" + driveC() +
                            "/Run Here\n");
    CloseHandle(r);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    struct stat st {};
    ASSERT_EQ(stat((driveC() + "/tools/args").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
}

TEST_F(Processes, StartFailuresGiveWindowsErrors) {
    script("notes.txt", "just text\n", 0755);
    script("real", "#!/bin/sh\nexit 0\n");
    struct Case {
        std::wstring commandLine;
        const wchar_t* directory;
        DWORD error;
    } cases[] = {
        {L"C:\\tools\\notes.txt", nullptr, ERROR_BAD_EXE_FORMAT},
        {L"C:\\tools\\missing.exe /x", nullptr, ERROR_FILE_NOT_FOUND},
        {L"C:\\nowhere\\setup.exe", nullptr, ERROR_PATH_NOT_FOUND},
        {L"no-such-program-anywhere", nullptr, ERROR_FILE_NOT_FOUND},
        {L"C:\\tools", nullptr, ERROR_ACCESS_DENIED},
        {L"C:\\tools\\real", L"C:\\no such folder", ERROR_DIRECTORY},
        {L"", nullptr, ERROR_FILE_NOT_FOUND},
    };
    for (auto& c : cases) {
        HANDLE r, w;
        PROCESS_INFORMATION pi{};
        SetLastError(0);
        EXPECT_FALSE(start(c.commandLine, r, w, pi, c.directory))
            << std::string(c.commandLine.begin(), c.commandLine.end());
        EXPECT_EQ(GetLastError(), c.error) << std::string(c.commandLine.begin(), c.commandLine.end());
        CloseHandle(r);
        CloseHandle(w);
    }
}

TEST_F(Processes, ProgramsAreFoundWithoutExtensionOrThroughThePath) {
    script("tool.exe", "#!/bin/sh\necho from-exe\n");
    HANDLE r, w;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(start(L"C:\\tools\\TOOL", r, w, pi)); // ".exe" added, case ignored
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(w);
    EXPECT_EQ(drain(r), "from-exe\n");
    CloseHandle(r);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    // An unquoted path with blanks is found by trying ever longer prefixes, as Windows does.
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Program Files", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Program Files\\My Tool", nullptr));
    writeText(driveC() + "/Program Files/My Tool/run.exe", "#!/bin/sh\nprintf '[%s]' \"$@\"\n");
    ASSERT_TRUE(start(L"C:\\Program Files\\My Tool\\run.exe one  \"t w o\"", r, w, pi));
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(w);
    EXPECT_EQ(drain(r), "[one][t w o]");
    CloseHandle(r);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    ASSERT_TRUE(start(L"sh -c \"echo via path\"", r, w, pi));
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(w);
    EXPECT_EQ(drain(r), "via path\n");
    CloseHandle(r);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST_F(Processes, LongRunningChildIsTerminatedAndReaped) {
    HANDLE r, w;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(start(L"Z:\\bin\\sleep 30", r, w, pi));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(TerminateProcess(pi.hProcess, 7));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(TerminateProcess(pi.hProcess, 0)); // already ended
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // Reaped: no zombie is left behind.
    std::string proc = "/proc/" + std::to_string(pi.dwProcessId);
    for (int i = 0; i < 500 && exists(proc); ++i)
        usleep(10000);
    EXPECT_FALSE(exists(proc));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(r);
    CloseHandle(w);
    EXPECT_FALSE(TerminateProcess(pi.hProcess, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Processes, ChildFillingThePipeDoesNotHoldTheParent) {
    // The child writes 4 MiB into a small pipe nobody reads, then blocks; the parent's wait ends
    // at its timeout, the child is ended and the pipe still answers how much waits in it.
    HANDLE r, w;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(start(L"Z:\\bin\\sh -c \"head -c 4194304 /dev/zero; echo done > finished\"", r, w, pi));
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateProcess(pi.hProcess, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
    DWORD available = 0;
    ASSERT_TRUE(PeekNamedPipe(r, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_GE(available, 4096u);
    EXPECT_FALSE(exists(work() + "/finished"));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(r);
    CloseHandle(w);
}

TEST_F(Processes, PipePeekReadAndBrokenEnds) {
    HANDLE r, w;
    ASSERT_TRUE(CreatePipe(&r, &w, nullptr, 0));
    DWORD n = 0, avail = 99, left = 99;
    ASSERT_TRUE(PeekNamedPipe(r, nullptr, 0, nullptr, &avail, &left));
    EXPECT_EQ(avail, 0u);
    ASSERT_TRUE(WriteFile(w, "abcdef", 6, &n, nullptr));
    char buf[16] = {};
    ASSERT_TRUE(PeekNamedPipe(r, buf, 4, &n, &avail, &left));
    EXPECT_EQ(std::string(buf, n), "abcd");
    EXPECT_EQ(avail, 6u);
    EXPECT_EQ(left, 0u);
    ASSERT_TRUE(ReadFile(r, buf, sizeof buf, &n, nullptr)); // the peek consumed nothing
    EXPECT_EQ(std::string(buf, n), "abcdef");
    EXPECT_FALSE(PeekNamedPipe(w, nullptr, 0, nullptr, &avail, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    ASSERT_TRUE(WriteFile(w, "xy", 2, &n, nullptr));
    CloseHandle(w);
    ASSERT_TRUE(ReadFile(r, buf, sizeof buf, &n, nullptr)); // data left after the writer went
    EXPECT_EQ(std::string(buf, n), "xy");
    EXPECT_FALSE(PeekNamedPipe(r, nullptr, 0, nullptr, &avail, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    EXPECT_FALSE(ReadFile(r, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    CloseHandle(r);

    // Writing to a pipe whose reader is gone fails instead of killing the process.
    ASSERT_TRUE(CreatePipe(&r, &w, nullptr, 0));
    CloseHandle(r);
    EXPECT_FALSE(WriteFile(w, "z", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
    CloseHandle(w);
}

TEST_F(Processes, OnlyInheritableHandlesReachTheChild) {
    HANDLE r, w;
    ASSERT_TRUE(CreatePipe(&r, &w, nullptr, 0)); // not inheritable
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = w;
    PROCESS_INFORMATION pi{};
    wchar_t cmd[] = L"sh -c \"echo lost\"";
    ASSERT_TRUE(CreateProcessW(nullptr, cmd, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(w);
    EXPECT_EQ(drain(r), "");
    CloseHandle(r);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    // Made inheritable afterwards, it does.
    ASSERT_TRUE(CreatePipe(&r, &w, nullptr, 0));
    ASSERT_TRUE(SetHandleInformation(w, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    si.hStdOutput = w;
    wchar_t cmd2[] = L"sh -c \"echo kept\"";
    ASSERT_TRUE(CreateProcessW(nullptr, cmd2, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(w);
    EXPECT_EQ(drain(r), "kept\n");
    CloseHandle(r);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

bool startChild(const wchar_t* mode, const std::string& ready, PROCESS_INFORMATION& pi) {
    std::wstring child = uiplatform::WindowsPathFromHost(KERNEL_CHILD);
    std::wstring line =
        L"\"" + child + L"\" " + mode + L" kernel-test-instance " + std::wstring(ready.begin(), ready.end());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
}

void endChild(PROCESS_INFORMATION& pi) {
    TerminateProcess(pi.hProcess, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST_F(Processes, NamedMutexOwnershipCrossesProcesses) {
    HANDLE mine = CreateMutexW(nullptr, TRUE, L"kernel-test-instance");
    ASSERT_NE(mine, nullptr);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(startChild(L"take-mutex", work() + "/taken", child));
    usleep(200000);
    EXPECT_FALSE(exists(work() + "/taken")); // blocked while this process owns it
    ASSERT_TRUE(ReleaseMutex(mine));
    ASSERT_TRUE(waitForFile(work() + "/taken"));
    EXPECT_EQ(readText(work() + "/taken"), "0\n");
    EXPECT_EQ(WaitForSingleObject(mine, 50), static_cast<DWORD>(WAIT_TIMEOUT)); // now the child owns it

    // The child dies holding it: the next owner is told the mutex was abandoned, then it is normal.
    endChild(child);
    EXPECT_EQ(WaitForSingleObject(mine, 10000), static_cast<DWORD>(WAIT_ABANDONED));
    ASSERT_TRUE(ReleaseMutex(mine));
    EXPECT_EQ(WaitForSingleObject(mine, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(ReleaseMutex(mine));
    CloseHandle(mine);
}

TEST_F(Processes, NamedMutexIsSharedWithOtherProcesses) {
    auto startHolder = [](const std::string& ready, PROCESS_INFORMATION& pi) {
        return startChild(L"hold-mutex", ready, pi);
    };
    PROCESS_INFORMATION holder{};
    ASSERT_TRUE(startHolder(work() + "/first", holder));
    ASSERT_TRUE(waitForFile(work() + "/first"));
    EXPECT_EQ(readText(work() + "/first"), "1 0\n");

    // Held by the child: a valid handle and ERROR_ALREADY_EXISTS, as for a second instance.
    HANDLE mine = CreateMutexW(nullptr, FALSE, L"kernel-test-instance");
    EXPECT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(mine);

    // Once the holder dies, the name is free again.
    endChild(holder);
    mine = CreateMutexW(nullptr, FALSE, L"kernel-test-instance");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), 0u);

    // Now this process holds it, and a new child sees it taken.
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(startHolder(work() + "/second", second));
    ASSERT_TRUE(waitForFile(work() + "/second"));
    EXPECT_EQ(readText(work() + "/second"), "1 183\n");
    endChild(second);
    CloseHandle(mine);
}

} // namespace
