#include "ui/platform/host.h"
#include "ui/platform/kernel/internal.h"
#include "ui/platform/base/utf8.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace uiplatform::kernel {

// ---- strings ----

std::string toUtf8(const std::wstring& s) { return uiplatform::Utf8FromWide(s); }

std::string toUtf8(const wchar_t* s) { return s ? uiplatform::Utf8FromWide(s, wcslen(s)) : std::string(); }

std::wstring fromUtf8(const std::string& s) { return uiplatform::WideFromUtf8(s); }

std::wstring upperCase(const std::wstring& s) {
    std::wstring out(s);
    if (!out.empty()) CharUpperW(out.data());
    return out;
}

bool equalsNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

bool copyOut(const std::wstring& text, wchar_t* buffer, DWORD size) {
    if (!buffer || size == 0) return false;
    if (text.size() + 1 > size) {
        buffer[0] = L'\0';
        return false;
    }
    wmemcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

// ---- errors ----

namespace {
constexpr DWORD kGeneralFailure = 31; // ERROR_GEN_FAILURE

std::string parentOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}
} // namespace

DWORD win32ErrorFromErrno(int err) {
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EPIPE:
        return ERROR_NO_DATA;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    default:
        return kGeneralFailure;
    }
}

DWORD missingError(const std::string& hostPath) {
    struct stat st {};
    if (stat(parentOf(hostPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
    return ERROR_PATH_NOT_FOUND;
}

// ---- prefix and well-known folders ----

namespace {
std::mutex& prefixMutex() {
    static std::mutex m;
    return m;
}
std::string& prefixOverride() {
    static std::string p;
    return p;
}

std::string homeDirectory() {
    if (const char* home = getenv("HOME"); home && *home) return home;
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> buf(4096);
    if (!getcwd(buf.data(), buf.size())) return path;
    return std::string(buf.data()) + "/" + path;
}

std::string trimTrailingSlashes(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}
} // namespace

std::string prefixPath() {
    std::lock_guard<std::mutex> lock(prefixMutex());
    std::string& p = prefixOverride();
    if (p.empty()) {
        const char* env = getenv("UIPLATFORM_PREFIX");
        p = trimTrailingSlashes(absolute(env && *env ? env : homeDirectory() + "/.local/share/uiplatform"));
    }
    return p;
}

std::string runtimeDirectory() {
    const char* dir = getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (dir && *dir && stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) return dir;
    return "/tmp";
}

std::string loginName() {
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    if (const char* user = getenv("USER"); user && *user) return user;
    return "user";
}

bool ensureHostDirectory(const std::string& hostPath) {
    struct stat st {};
    if (stat(hostPath.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::string parent = parentOf(hostPath);
    if (parent != hostPath && !ensureHostDirectory(parent)) return false;
    if (mkdir(hostPath.c_str(), 0777) == 0 || errno == EEXIST) return true;
    return false;
}

// ---- path mapping ----

namespace {
bool invalidNameCharacter(wchar_t c) {
    return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

std::string driveRoot(wchar_t letter) {
    wchar_t lower = static_cast<wchar_t>(towlower(static_cast<wint_t>(letter)));
    if (lower == L'z') return "/";
    return prefixPath() + "/drive_" + static_cast<char>(lower);
}

// The entry of folder whose name equals name without regard to case, or "" when none does.
std::string findNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return {};
    std::wstring wanted = fromUtf8(name);
    std::string match;
    while (dirent* entry = readdir(dir)) {
        if (equalsNoCase(fromUtf8(entry->d_name), wanted)) {
            match = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return match;
}
} // namespace

bool mapPath(const wchar_t* windowsPath, std::string& hostPath) {
    if (!windowsPath || !*windowsPath) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    std::wstring path(windowsPath);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
    if (path.rfind(L"\\\\", 0) == 0) { // network names have no host form
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }

    std::string root; // empty for a relative path
    size_t pos = 0;
    if (path.size() >= 2 && path[1] == L':' && iswalpha(static_cast<wint_t>(path[0])) && path[0] < 128) {
        root = driveRoot(path[0]);
        pos = 2;
        // C: always exists on Windows.
        if (path[0] == L'c' || path[0] == L'C') ensureHostDirectory(root);
    } else if (path[0] == L'\\') {
        // Rooted without a drive: the root of the current drive.
        std::vector<char> buf(4096);
        std::wstring cwd = getcwd(buf.data(), buf.size()) ? windowsPathOf(buf.data()) : L"Z:\\";
        root = driveRoot(cwd[0]);
    }

    std::vector<std::wstring> parts;
    while (pos <= path.size()) {
        size_t end = path.find(L'\\', pos);
        if (end == std::wstring::npos) end = path.size();
        std::wstring part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == L".") continue;
        if (part == L"..") {
            if (!parts.empty() && parts.back() != L"..")
                parts.pop_back();
            else if (root.empty())
                parts.push_back(part);
            continue;
        }
        // Windows drops trailing dots and blanks of a name.
        while (!part.empty() && (part.back() == L'.' || part.back() == L' '))
            part.pop_back();
        if (part.empty()) continue;
        for (wchar_t c : part) {
            if (invalidNameCharacter(c)) {
                SetLastError(ERROR_INVALID_NAME);
                return false;
            }
        }
        parts.push_back(part);
    }

    std::string result = root.empty() ? std::string() : (root == "/" ? std::string() : root);
    std::string folder = root.empty() ? "." : (root == "/" ? "/" : root);
    bool resolving = true;
    bool first = true;
    for (const auto& part : parts) {
        std::string name = toUtf8(part);
        if (resolving && part != L"..") {
            std::string candidate = (folder == "/" ? std::string("/") : folder + "/") + name;
            struct stat st {};
            if (lstat(candidate.c_str(), &st) != 0) {
                std::string match = findNoCase(folder, name);
                if (match.empty())
                    resolving = false;
                else
                    name = match;
            }
        }
        if (root.empty())
            result += (first ? "" : "/") + name;
        else
            result += "/" + name;
        folder = (folder == "/" ? std::string("/") : folder + "/") + name;
        first = false;
    }
    if (root.empty() && result.empty()) result = ".";
    if (!root.empty() && result.empty()) result = root;
    hostPath = result;
    return true;
}

std::wstring windowsPathOf(const std::string& hostPath) {
    std::string driveC = prefixPath() + "/drive_c";
    auto under = [&hostPath](const std::string& folder) {
        return hostPath == folder || hostPath.rfind(folder + "/", 0) == 0;
    };
    if (!under(driveC)) {
        // getcwd and /proc report resolved paths; the prefix may be reached through a link.
        if (char* resolved = realpath(driveC.c_str(), nullptr)) {
            driveC = resolved;
            free(resolved);
        }
    }
    std::string rest;
    std::wstring drive;
    if (under(driveC)) {
        drive = L"C:";
        rest = hostPath.substr(driveC.size());
    } else {
        drive = L"Z:";
        rest = hostPath;
    }
    std::wstring out = drive + fromUtf8(rest);
    for (auto& c : out)
        if (c == L'/') c = L'\\';
    if (out.size() == 2) out += L'\\';
    return out;
}

// ---- whole files ----

bool readWholeFile(const std::string& hostPath, std::string& bytes) {
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            close(fd);
            errno = err;
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

DWORD writeFileAtomically(const std::string& hostPath, const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    std::string temp = hostPath + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    struct stat st {};
    mode_t mode = stat(hostPath.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666;
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        int err = errno;
        return err == ENOENT ? ERROR_PATH_NOT_FOUND : win32ErrorFromErrno(err);
    }
    if (mode != 0666) fchmod(fd, mode);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int err = errno;
            close(fd);
            unlink(temp.c_str());
            return win32ErrorFromErrno(err);
        }
        done += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        int err = errno;
        unlink(temp.c_str());
        return win32ErrorFromErrno(err);
    }
    if (rename(temp.c_str(), hostPath.c_str()) != 0) {
        int err = errno;
        unlink(temp.c_str());
        return win32ErrorFromErrno(err);
    }
    return ERROR_SUCCESS;
}

// ---- lock files ----

std::string lockFileName(const std::string& kind, const std::string& key) {
    uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    std::string readable;
    for (char c : key) {
        if (readable.size() >= 40) break;
        readable += (isalnum(static_cast<unsigned char>(c)) ? c : '_');
    }
    char hex[17];
    snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return runtimeDirectory() + "/uiplatform-" + std::to_string(getuid()) + "-" + kind + "-" + readable +
           "-" + hex + ".lock";
}

namespace {
std::mutex& threadLockFor(const std::string& name) {
    static std::mutex tableMutex;
    static std::map<std::string, std::unique_ptr<std::mutex>> table;
    std::lock_guard<std::mutex> lock(tableMutex);
    auto& slot = table[name];
    if (!slot) slot = std::make_unique<std::mutex>();
    return *slot;
}
} // namespace

FileLock::FileLock(const std::string& name) : threads_(threadLockFor(name)) {
    fd_ = open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ >= 0) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) close(fd_); // closing drops the flock
}

// ---- handle table ----

DWORD Object::wait(DWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

namespace {
struct HandleEntry {
    std::shared_ptr<Object> object;
    bool inheritable = false;
};
struct HandleTable {
    std::mutex mutex;
    std::map<uintptr_t, HandleEntry> entries;
    uintptr_t next = 0x1000;
};
HandleTable& handleTable() {
    static HandleTable* table = new HandleTable; // outlives threads still closing handles at exit
    return *table;
}
} // namespace

HANDLE insertHandle(std::shared_ptr<Object> object, bool inheritable) {
    HandleTable& t = handleTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    uintptr_t value = t.next;
    t.next += 4;
    t.entries[value] = HandleEntry{std::move(object), inheritable};
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<Object> lookupHandle(HANDLE handle) {
    HandleTable& t = handleTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.entries.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.entries.end()) return nullptr;
    return it->second.object;
}

bool handleInheritable(HANDLE handle) {
    HandleTable& t = handleTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.entries.find(reinterpret_cast<uintptr_t>(handle));
    return it != t.entries.end() && it->second.inheritable;
}

FdObject::~FdObject() {
    if (fd_ >= 0) close(fd_);
}

} // namespace uiplatform::kernel

using namespace uiplatform::kernel;

BOOL WINAPI CloseHandle(HANDLE hObject) {
    std::shared_ptr<Object> object;
    {
        auto& t = handleTable();
        std::lock_guard<std::mutex> lock(t.mutex);
        auto it = t.entries.find(reinterpret_cast<uintptr_t>(hObject));
        if (it == t.entries.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(it->second.object);
        t.entries.erase(it);
    }
    object->handleClosed();
    return TRUE; // the object itself goes when its last reference does, outside the table lock
}

BOOL WINAPI SetHandleInformation(HANDLE hObject, DWORD dwMask, DWORD dwFlags) {
    auto& t = handleTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.entries.find(reinterpret_cast<uintptr_t>(hObject));
    if (it == t.entries.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (dwMask & HANDLE_FLAG_INHERIT) it->second.inheritable = (dwFlags & HANDLE_FLAG_INHERIT) != 0;
    return TRUE;
}

// ---- host extensions ----

void uiplatform::SetPrefix(const std::string& hostPath) {
    std::lock_guard<std::mutex> lock(prefixMutex());
    prefixOverride() = hostPath.empty() ? std::string() : trimTrailingSlashes(absolute(hostPath));
}

std::string uiplatform::Prefix() {
    return prefixPath();
}

std::string uiplatform::HostPathFromWindows(const wchar_t* windowsPath) {
    std::string host;
    return mapPath(windowsPath, host) ? host : std::string();
}

std::wstring uiplatform::WindowsPathFromHost(const std::string& hostPath) {
    return windowsPathOf(absolute(hostPath));
}
