// Registered window messages and BroadcastSystemMessageW across the processes of a
// session. Each process with top-level windows listens on a datagram socket in a
// per-session folder; a broadcast goes to every socket there. Registered messages travel
// by name, so each process delivers its own number for the name.
#include "ui/platform/window/manager.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <thread>

namespace uiplatform::wm {

namespace {

std::map<std::wstring, UINT>& Registered() {
    static auto* map = new std::map<std::wstring, UINT>();
    return *map;
}
std::map<UINT, std::wstring>& Names() {
    static auto* map = new std::map<UINT, std::wstring>();
    return *map;
}

std::wstring Lower(LPCWSTR s) {
    std::wstring out;
    for (; *s; ++s) out.push_back(static_cast<wchar_t>(towlower(*s)));
    return out;
}

std::string Utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string SessionDir() {
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    std::string dir;
    if (runtime && *runtime) dir = std::string(runtime) + "/uiplatform-messages";
    else dir = "/tmp/uiplatform-messages-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

std::string SocketPath(const std::string& dir, pid_t pid) { return dir + "/" + std::to_string(pid) + ".sock"; }

std::string g_ownSocket;

void RemoveOwnSocket() {
    if (!g_ownSocket.empty()) unlink(g_ownSocket.c_str());
}

// Datagram: "name\n<registered name>\n<wParam>\n<lParam>" or "num\n<message>\n<wParam>\n<lParam>".
void Deliver(const std::string& datagram) {
    size_t a = datagram.find('\n');
    if (a == std::string::npos) return;
    size_t b = datagram.find('\n', a + 1);
    if (b == std::string::npos) return;
    size_t c = datagram.find('\n', b + 1);
    if (c == std::string::npos) return;
    std::string kind = datagram.substr(0, a), key = datagram.substr(a + 1, b - a - 1);
    char* end = nullptr;
    unsigned long long wp = strtoull(datagram.c_str() + b + 1, &end, 10);
    long long lp = strtoll(datagram.c_str() + c + 1, &end, 10);
    UINT msg;
    if (kind == "name") {
        std::wstring name = Wide(key);
        if (name.empty()) return;
        msg = RegisterWindowMessageW(name.c_str());
    } else if (kind == "num") {
        unsigned long v = strtoul(key.c_str(), &end, 10);
        // Only pointer-free system messages are accepted from other processes.
        if (v != WM_NULL) return;
        msg = static_cast<UINT>(v);
    } else {
        return;
    }
    if (!msg) return;
    std::vector<HWND> tops;
    {
        Lock lock(M().mutex);
        tops = M().zorder;
    }
    for (HWND h : tops) PostMessageW(h, msg, static_cast<WPARAM>(wp), static_cast<LPARAM>(lp));
}

} // namespace

// Called when the process gets its first top-level window.
void EnsureBroadcastListener() {
    static bool started = false;
    if (started) return;
    started = true;
    std::string dir = SessionDir();
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    std::string path = SocketPath(dir, getpid());
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr.sun_path)) {
        close(fd);
        return;
    }
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        close(fd);
        return;
    }
    g_ownSocket = path;
    atexit(RemoveOwnSocket);
    std::thread([fd] {
        char buffer[2048];
        for (;;) {
            ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                return;
            }
            Deliver(std::string(buffer, static_cast<size_t>(n)));
        }
    }).detach();
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

UINT WINAPI RegisterWindowMessageW(LPCWSTR name) {
    if (!name || IS_INTRESOURCE(name) || !*name || wcslen(name) > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Lock lock(M().mutex);
    std::wstring key = Lower(name);
    auto it = Registered().find(key);
    if (it != Registered().end()) return it->second;
    static UINT next = 0xC100;
    if (next > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT id = next++;
    Registered()[key] = id;
    Names()[id] = name;
    return id;
}

LONG WINAPI BroadcastSystemMessageW(DWORD flags, LPDWORD recipients, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (recipients && !(*recipients & (BSM_APPLICATIONS | BSM_ALLDESKTOPS)) && *recipients != BSM_ALLCOMPONENTS) {
        return 1; // nothing of ours among the recipients
    }
    std::string datagram;
    {
        Lock lock(M().mutex);
        auto it = Names().find(msg);
        if (it != Names().end()) datagram = "name\n" + Utf8(it->second);
        else if (msg == WM_NULL) datagram = "num\n0";
        datagram += "\n" + std::to_string(static_cast<unsigned long long>(wParam)) + "\n" +
                    std::to_string(static_cast<long long>(lParam));
    }
    // This process's own windows.
    if (!(flags & BSF_IGNORECURRENTTASK)) {
        std::vector<HWND> tops;
        {
            Lock lock(M().mutex);
            tops = M().zorder;
        }
        for (HWND h : tops) {
            if (flags & (BSF_POSTMESSAGE | BSF_NOHANG)) PostMessageW(h, msg, wParam, lParam);
            else SendMessageW(h, msg, wParam, lParam);
        }
    }
    if (datagram.rfind("name\n", 0) != 0 && datagram.rfind("num\n", 0) != 0) return 1;
    // Other processes: every socket of the session but our own.
    std::string dir = SessionDir();
    DIR* d = opendir(dir.c_str());
    if (!d) return 1;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        closedir(d);
        return -1;
    }
    std::string own = SocketPath(dir, getpid());
    while (dirent* e = readdir(d)) {
        std::string file = e->d_name;
        if (file.size() < 6 || file.compare(file.size() - 5, 5, ".sock") != 0) continue;
        std::string path = dir + "/" + file;
        if (path == own) continue;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (path.size() >= sizeof(addr.sun_path)) continue;
        memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        ssize_t sent = sendto(fd, datagram.data(), datagram.size(), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&addr),
                              sizeof(addr));
        // Nobody listens there any more: the process ended without cleaning up.
        if (sent < 0 && errno == ECONNREFUSED) unlink(path.c_str());
    }
    close(fd);
    closedir(d);
    return 1;
}
