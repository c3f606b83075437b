// The folder chooser (SHBrowseForFolderW): the desktop's own dialog through zenity or
// kdialog; on the headless display the answer the test set.
#include "ui/platform/headless/headless_backend.h"
#include "ui/platform/host.h"
#include "ui/platform/window/manager.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace uiplatform::wm {
namespace {

struct FolderAnswer {
    bool set = false;
    std::wstring path;
};
FolderAnswer& Answer() {
    static auto* answer = new FolderAnswer();
    return *answer;
}

// An item list here is a tagged block holding the Windows path.
const uint32_t kPidlMagic = 0x4c444950;
struct PathItem {
    uint32_t magic;
    wchar_t path[1];
};

PIDLIST_ABSOLUTE MakeItem(const std::wstring& path) {
    size_t bytes = offsetof(PathItem, path) + (path.size() + 1) * sizeof(wchar_t);
    auto* item = static_cast<PathItem*>(malloc(bytes));
    if (!item) return nullptr;
    item->magic = kPidlMagic;
    wmemcpy(item->path, path.c_str(), path.size() + 1);
    return reinterpret_cast<PIDLIST_ABSOLUTE>(item);
}

std::string FindProgram(const char* name) {
    const char* path = getenv("PATH");
    std::string all = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(':', start);
        if (end == std::string::npos) end = all.size();
        std::string candidate = all.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

std::string Utf8(const wchar_t* s) {
    if (!s) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 1)), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
    out.resize(strlen(out.c_str()));
    return out;
}

// Runs the chooser and keeps the windows answering meanwhile. 1: chosen, 0: cancelled, -1: failed.
int RunChooser(const std::vector<std::string>& args, std::string* chosen) {
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    int rc = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    std::string text;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
    char buffer[4096];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    if (!WIFEXITED(status)) return -1;
    if (WEXITSTATUS(status) != 0) return WEXITSTATUS(status) == 1 ? 0 : -1;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.empty()) return 0;
    *chosen = text;
    return 1;
}

} // namespace
} // namespace uiplatform::wm

using namespace uiplatform::wm;

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW bi) {
    if (!bi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::wstring chosen;
    bool headless;
    {
        Lock lock(M().mutex);
        headless = ActiveHeadless() != nullptr;
        if (headless) {
            if (!Answer().set) {
                SetLastError(ERROR_NOT_SUPPORTED);
                return nullptr;
            }
            chosen = Answer().path;
        }
    }
    if (!headless) {
        std::string title = Utf8(bi->lpszTitle);
        std::vector<std::string> args;
        std::string zenity = FindProgram("zenity"), kdialog = FindProgram("kdialog");
        if (!zenity.empty()) {
            args = {zenity, "--file-selection", "--directory"};
            if (!title.empty()) args.push_back("--title=" + title);
        } else if (!kdialog.empty()) {
            args = {kdialog, "--getexistingdirectory", getenv("HOME") ? getenv("HOME") : "/"};
            if (!title.empty()) args.insert(args.end(), {"--title", title});
        } else {
            SetLastError(ERROR_NOT_SUPPORTED);
            return nullptr;
        }
        HWND owner = bi->hwndOwner && IsWindow(bi->hwndOwner) ? GetAncestor(bi->hwndOwner, GA_ROOT) : nullptr;
        bool reenable = owner && IsWindowEnabled(owner);
        if (reenable) EnableWindow(owner, FALSE);
        std::string host;
        int r = RunChooser(args, &host);
        if (reenable) EnableWindow(owner, TRUE);
        if (r < 0) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return nullptr;
        }
        if (r == 0) return nullptr;
        chosen = uiplatform::WindowsPathFromHost(host);
    }
    if (chosen.empty()) return nullptr; // cancelled
    if (bi->pszDisplayName) {
        size_t slash = chosen.find_last_of(L'\\');
        std::wstring leaf = slash == std::wstring::npos || slash + 1 == chosen.size() ? chosen : chosen.substr(slash + 1);
        lstrcpynW(bi->pszDisplayName, leaf.c_str(), MAX_PATH);
    }
    return MakeItem(chosen);
}

BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path) {
    auto* item = reinterpret_cast<const PathItem*>(pidl);
    if (!item || !path || item->magic != kPidlMagic) {
        if (path) path[0] = 0;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t len = wcslen(item->path);
    if (len >= MAX_PATH) {
        path[0] = 0;
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    wmemcpy(path, item->path, len + 1);
    return TRUE;
}

// Item lists and other blocks handed out by this layer are malloc'ed.
void WINAPI CoTaskMemFree(LPVOID pv) { free(pv); }

namespace uiplatform::host {

void SetFolderChooserAnswer(const std::wstring& windowsPath) {
    Lock lock(M().mutex);
    Answer().set = true;
    Answer().path = windowsPath;
}

void ClearFolderChooserAnswer() {
    Lock lock(M().mutex);
    Answer() = FolderAnswer{};
}

} // namespace uiplatform::host
