#include "ui/platform/kernel/internal.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace uiplatform::kernel;

namespace {

int openPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    return -1;
#endif
}

class ProcessObject : public Object {
public:
    ProcessObject(pid_t pid) : pid_(pid), pidfd_(openPidfd(pid)) {
        if (pidfd_ >= 0) fcntl(pidfd_, F_SETFD, FD_CLOEXEC);
    }
    ~ProcessObject() override {
        if (pidfd_ >= 0) close(pidfd_);
    }
    pid_t pid() const { return pid_; }

    DWORD wait(DWORD ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        auto ready = [this] { return exited_; };
        if (ms == INFINITE) {
            cv_.wait(lock, ready);
            return WAIT_OBJECT_0;
        }
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), ready) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }

    // Runs on the watcher thread: the only waitpid for this child, so no one else reaps it.
    void watch() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (WIFEXITED(status))
            exitCode_ = static_cast<DWORD>(WEXITSTATUS(status));
        else if (terminateCode_ >= 0)
            exitCode_ = static_cast<DWORD>(terminateCode_);
        else if (WIFSIGNALED(status))
            exitCode_ = 128u + static_cast<DWORD>(WTERMSIG(status));
        else
            exitCode_ = 1;
        exited_ = true;
        cv_.notify_all();
    }

    bool terminate(UINT code) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (exited_) return false;
        terminateCode_ = static_cast<int64_t>(code);
        // The pidfd cannot hit a recycled pid, even if the child was reaped a moment ago.
#ifdef SYS_pidfd_send_signal
        if (pidfd_ >= 0) {
            syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0);
            return true;
        }
#endif
        kill(pid_, SIGKILL);
        return true;
    }

    bool exitCode(DWORD& code) {
        std::lock_guard<std::mutex> lock(mutex_);
        code = exited_ ? exitCode_ : STILL_ACTIVE;
        return true;
    }

private:
    pid_t pid_;
    int pidfd_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool exited_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
    int64_t terminateCode_ = -1;
};

// The handle to a process's main thread: signalled when the process ends.
class MainThreadObject : public Object {
public:
    explicit MainThreadObject(std::shared_ptr<ProcessObject> p) : process_(std::move(p)) {}
    DWORD wait(DWORD ms) override { return process_->wait(ms); }

private:
    std::shared_ptr<ProcessObject> process_;
};

void* watcherMain(void* arg) {
    auto* holder = static_cast<std::shared_ptr<ProcessObject>*>(arg);
    std::shared_ptr<ProcessObject> process = std::move(*holder);
    delete holder;
    process->watch();
    return nullptr;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool hasExtension(const std::wstring& name) {
    auto slash = name.find_last_of(L"\\/");
    auto dot = name.find_last_of(L'.');
    return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
}

// A descriptor above the standard ones, so that dup2 into 0..2 cannot clobber another source.
int highDuplicate(int fd) {
    return fcntl(fd, F_DUPFD_CLOEXEC, 10);
}

std::vector<std::string> environmentBlock(const void* block, bool wide) {
    std::vector<std::string> out;
    if (wide) {
        for (auto* p = static_cast<const wchar_t*>(block); *p; p += wcslen(p) + 1)
            out.push_back(toUtf8(p));
    } else {
        for (auto* p = static_cast<const char*>(block); *p; p += strlen(p) + 1)
            out.emplace_back(p);
    }
    return out;
}

} // namespace

namespace uiplatform::kernel {

std::wstring nextArgument(const wchar_t*& cursor, bool& found) {
    while (*cursor == L' ' || *cursor == L'\t')
        ++cursor;
    found = *cursor != 0;
    std::wstring arg;
    bool quoted = false;
    while (*cursor && (quoted || (*cursor != L' ' && *cursor != L'\t'))) {
        if (*cursor == L'"')
            quoted = !quoted;
        else
            arg += *cursor;
        ++cursor;
    }
    return arg;
}

DWORD findProgram(const std::wstring& name, const std::string& hostSearchFolder, std::string& hostPath) {
    if (name.empty()) return ERROR_FILE_NOT_FOUND;
    const bool withPath = name.find_first_of(L"\\/:") != std::wstring::npos;
    std::vector<std::string> candidates;
    if (withPath) {
        std::string host;
        if (!mapPath(name.c_str(), host)) return GetLastError();
        candidates.push_back(host);
        if (!hasExtension(name)) {
            std::string exe;
            if (mapPath((name + L".exe").c_str(), exe)) candidates.push_back(exe);
        }
        for (const auto& c : candidates)
            if (isRegularFile(c)) return hostPath = c, ERROR_SUCCESS;
        struct stat st {};
        if (stat(candidates[0].c_str(), &st) == 0) return ERROR_ACCESS_DENIED; // a folder
        return missingError(candidates[0]);
    }
    std::vector<std::string> folders;
    if (!hostSearchFolder.empty()) folders.push_back(hostSearchFolder);
    folders.push_back(".");
    if (const char* path = getenv("PATH")) {
        std::string all(path);
        size_t start = 0;
        while (start <= all.size()) {
            size_t end = all.find(':', start);
            if (end == std::string::npos) end = all.size();
            if (end > start) folders.push_back(all.substr(start, end - start));
            start = end + 1;
        }
    }
    std::vector<std::wstring> names{name};
    if (!hasExtension(name)) names.push_back(name + L".exe");
    for (const auto& folder : folders) {
        for (const auto& n : names) {
            std::string host;
            std::wstring windowsFolder = folder == "." ? std::wstring() : windowsPathOf(folder) + L"\\";
            if (!mapPath((windowsFolder + n).c_str(), host)) continue;
            if (isRegularFile(host)) return hostPath = host, ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD prepareExecutable(const std::string& hostPath) {
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? missingError(hostPath) : win32ErrorFromErrno(errno);
    unsigned char head[4] = {};
    ssize_t n = read(fd, head, sizeof head);
    close(fd);
    const bool elf = n == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F';
    const bool script = n >= 2 && head[0] == '#' && head[1] == '!';
    if (!elf && !script) return ERROR_BAD_EXE_FORMAT;
    struct stat st {};
    if (stat(hostPath.c_str(), &st) != 0) return win32ErrorFromErrno(errno);
    // Windows has no execute bit: a program is a program by its contents.
    if (!(st.st_mode & S_IXUSR) && chmod(hostPath.c_str(), (st.st_mode & 07777) | S_IXUSR) != 0)
        return ERROR_ACCESS_DENIED;
    if (access(hostPath.c_str(), X_OK) != 0) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

DWORD startProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workingDir, const int* stdFds, char* const* environment,
                   std::shared_ptr<Object>* process, DWORD* pidOut) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::vector<int> temporaries;
    if (stdFds) {
        for (int target = 0; target < 3; ++target) {
            if (stdFds[target] < 0) {
                posix_spawn_file_actions_addopen(&actions, target, "/dev/null",
                                                 target == 0 ? O_RDONLY : O_WRONLY, 0);
                continue;
            }
            int high = highDuplicate(stdFds[target]);
            if (high < 0) {
                for (int t : temporaries)
                    close(t);
                posix_spawn_file_actions_destroy(&actions);
                return win32ErrorFromErrno(errno);
            }
            temporaries.push_back(high);
            posix_spawn_file_actions_adddup2(&actions, high, target);
        }
    }
    if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

    // The child starts with default signal handling and an empty mask, whatever this process uses.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int err =
        posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environment ? environment : environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    for (int t : temporaries)
        close(t);
    if (err != 0) return err == ENOENT ? ERROR_FILE_NOT_FOUND : win32ErrorFromErrno(err);

    auto object = std::make_shared<ProcessObject>(pid);
    pthread_t watcher;
    pthread_attr_t threadAttr;
    pthread_attr_init(&threadAttr);
    pthread_attr_setdetachstate(&threadAttr, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&threadAttr, 64 * 1024);
    auto* holder = new std::shared_ptr<ProcessObject>(object);
    if (pthread_create(&watcher, &threadAttr, watcherMain, holder) != 0) {
        // Without a watcher, reap here rather than leave a zombie.
        delete holder;
        waitpid(pid, nullptr, 0);
        pthread_attr_destroy(&threadAttr);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    pthread_attr_destroy(&threadAttr);
    if (process) *process = object;
    if (pidOut) *pidOut = static_cast<DWORD>(pid);
    return ERROR_SUCCESS;
}

} // namespace uiplatform::kernel

BOOL WINAPI CreatePipe(PHANDLE hReadPipe, PHANDLE hWritePipe, LPSECURITY_ATTRIBUTES lpPipeAttributes,
                       DWORD nSize) {
    if (!hReadPipe || !hWritePipe) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return FALSE;
    }
    // The size is a hint, as on Windows; the host rounds it up to whole pages.
    if (nSize > 0) fcntl(fds[1], F_SETPIPE_SZ, static_cast<int>(std::min<DWORD>(nSize, 1u << 20)));
    const bool inherit = lpPipeAttributes && lpPipeAttributes->bInheritHandle;
    *hReadPipe =
        insertHandle(std::make_shared<FdObject>(fds[0], FdObject::Kind::PipeRead, true, false), inherit);
    *hWritePipe =
        insertHandle(std::make_shared<FdObject>(fds[1], FdObject::Kind::PipeWrite, false, true), inherit);
    return TRUE;
}

BOOL WINAPI PeekNamedPipe(HANDLE hNamedPipe, LPVOID lpBuffer, DWORD nBufferSize, LPDWORD lpBytesRead,
                          LPDWORD lpTotalBytesAvail, LPDWORD lpBytesLeftThisMessage) {
    auto pipe = lookupHandleAs<FdObject>(hNamedPipe);
    if (!pipe || pipe->kind() != FdObject::Kind::PipeRead) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    int available = 0;
    if (ioctl(pipe->fd(), FIONREAD, &available) != 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return FALSE;
    }
    if (available == 0) {
        pollfd p{pipe->fd(), POLLIN, 0};
        if (poll(&p, 1, 0) > 0 && (p.revents & POLLHUP)) {
            SetLastError(ERROR_BROKEN_PIPE); // every writer is gone and nothing is left
            return FALSE;
        }
    }
    DWORD copied = 0;
    if (lpBuffer && nBufferSize > 0 && available > 0) {
        // Copy without consuming: tee duplicates pipe data into a scratch pipe.
        int scratch[2];
        if (pipe2(scratch, O_CLOEXEC | O_NONBLOCK) == 0) {
            ssize_t n = tee(pipe->fd(), scratch[1],
                            std::min<size_t>(nBufferSize, static_cast<size_t>(available)), SPLICE_F_NONBLOCK);
            if (n > 0) {
                ssize_t r = read(scratch[0], lpBuffer, static_cast<size_t>(n));
                if (r > 0) copied = static_cast<DWORD>(r);
            }
            close(scratch[0]);
            close(scratch[1]);
        }
    }
    if (lpBytesRead) *lpBytesRead = copied;
    if (lpTotalBytesAvail) *lpTotalBytesAvail = static_cast<DWORD>(available);
    if (lpBytesLeftThisMessage) *lpBytesLeftThisMessage = 0;
    return TRUE;
}

BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL bInheritHandles, DWORD dwCreationFlags,
                           LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) {
    const DWORD supportedFlags =
        CREATE_NO_WINDOW | CREATE_NEW_CONSOLE | DETACHED_PROCESS | CREATE_UNICODE_ENVIRONMENT;
    if (!lpStartupInfo || !lpProcessInformation || (!lpApplicationName && !lpCommandLine) ||
        (dwCreationFlags & ~supportedFlags)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::wstring> args;
    if (lpCommandLine) {
        const wchar_t* cursor = lpCommandLine;
        bool found = false;
        for (std::wstring a = nextArgument(cursor, found); found; a = nextArgument(cursor, found))
            args.push_back(a);
    }

    std::string workingDir;
    if (lpCurrentDirectory) {
        struct stat st {};
        if (!mapPath(lpCurrentDirectory, workingDir) || stat(workingDir.c_str(), &st) != 0 ||
            !S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
    }

    std::string program;
    if (lpApplicationName) {
        if (!mapPath(lpApplicationName, program)) return FALSE;
        if (!isRegularFile(program)) {
            struct stat st {};
            SetLastError(stat(program.c_str(), &st) == 0 ? ERROR_ACCESS_DENIED : missingError(program));
            return FALSE;
        }
        if (args.empty()) args.push_back(lpApplicationName);
    } else {
        if (args.empty()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        DWORD err = findProgram(args[0], std::string(), program);
        if (err && lpCommandLine[wcsspn(lpCommandLine, L" \t")] != L'"') {
            // An unquoted name with blanks: like Windows, try "C:\Program", then "C:\Program Files\x.exe"
            // and so on, the shortest that names a file winning.
            const std::wstring line(lpCommandLine + wcsspn(lpCommandLine, L" \t"));
            size_t end = line.find_first_of(L" \t");
            while (end != std::wstring::npos && end < line.size()) {
                size_t next = line.find_first_not_of(L" \t", end);
                if (next == std::wstring::npos) break;
                end = line.find_first_of(L" \t", next);
                if (end == std::wstring::npos) end = line.size();
                const std::wstring candidate = line.substr(0, end);
                if (candidate.find(L'"') != std::wstring::npos) break;
                std::string found;
                if (findProgram(candidate, std::string(), found) == ERROR_SUCCESS) {
                    program = found;
                    err = ERROR_SUCCESS;
                    args.clear();
                    args.push_back(candidate);
                    const wchar_t* cursor = line.c_str() + end;
                    bool more = false;
                    for (std::wstring a = nextArgument(cursor, more); more; a = nextArgument(cursor, more))
                        args.push_back(a);
                    break;
                }
            }
        }
        if (err) {
            SetLastError(err);
            return FALSE;
        }
    }
    if (DWORD err = prepareExecutable(program)) {
        SetLastError(err);
        return FALSE;
    }

    // Standard handles reach the child only when they are inheritable and inheritance is on.
    int stdFds[3] = {-1, -1, -1};
    std::vector<std::shared_ptr<FdObject>> keepAlive;
    const bool useStd = (lpStartupInfo->dwFlags & STARTF_USESTDHANDLES) != 0;
    if (useStd) {
        HANDLE given[3] = {lpStartupInfo->hStdInput, lpStartupInfo->hStdOutput, lpStartupInfo->hStdError};
        for (int i = 0; i < 3; ++i) {
            auto fdObject = lookupHandleAs<FdObject>(given[i]);
            if (fdObject && bInheritHandles && handleInheritable(given[i])) {
                stdFds[i] = fdObject->fd();
                keepAlive.push_back(fdObject);
            }
        }
    }

    std::vector<std::string> argv;
    for (const auto& a : args)
        argv.push_back(toUtf8(a));
    std::vector<std::string> envStrings;
    std::vector<char*> envp;
    if (lpEnvironment) {
        envStrings = environmentBlock(lpEnvironment, (dwCreationFlags & CREATE_UNICODE_ENVIRONMENT) != 0);
        for (auto& e : envStrings)
            envp.push_back(e.data());
        envp.push_back(nullptr);
    }

    std::shared_ptr<Object> process;
    DWORD pid = 0;
    DWORD err = startProcess(program, argv, workingDir, useStd ? stdFds : nullptr,
                             lpEnvironment ? envp.data() : nullptr, &process, &pid);
    if (err) {
        SetLastError(err);
        return FALSE;
    }
    auto processObject = std::static_pointer_cast<ProcessObject>(process);
    lpProcessInformation->hProcess = insertHandle(processObject, false);
    lpProcessInformation->hThread = insertHandle(std::make_shared<MainThreadObject>(processObject), false);
    lpProcessInformation->dwProcessId = pid;
    lpProcessInformation->dwThreadId = pid; // the main thread's id is the process id here
    return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
    auto process = lookupHandleAs<ProcessObject>(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!process->terminate(uExitCode)) {
        SetLastError(ERROR_ACCESS_DENIED); // what Windows reports for a process that has ended
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
    auto process = lookupHandleAs<ProcessObject>(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpExitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return process->exitCode(*lpExitCode) ? TRUE : FALSE;
}
