#include "ui/platform/host.h"
#include "ui/platform/kernel/internal.h"

#include <cwctype>
#include <sys/stat.h>
#include <unistd.h>

using namespace uiplatform::kernel;

namespace {

std::mutex openerMutex;
std::string openerOverride;

std::string openerProgram() {
    std::lock_guard<std::mutex> lock(openerMutex);
    return openerOverride.empty() ? std::string("xdg-open") : openerOverride;
}

// A host program by name: as given when it holds a slash, else the first match in PATH.
std::string findHostProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = getenv("PATH");
    std::string all = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(':', start);
        if (end == std::string::npos) end = all.size();
        std::string candidate =
            (end > start ? all.substr(start, end - start) : std::string(".")) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

bool isUrl(const std::wstring& s) {
    size_t colon = s.find(L':');
    if (colon == std::wstring::npos || colon < 2) return false; // "C:" is a drive
    if (!iswalpha(static_cast<wint_t>(s[0]))) return false;
    for (size_t i = 1; i < colon; ++i)
        if (!iswalnum(static_cast<wint_t>(s[i])) && s[i] != L'+' && s[i] != L'.' && s[i] != L'-')
            return false;
    return true;
}

bool hasProgramExtension(const std::wstring& file) {
    size_t dot = file.find_last_of(L'.');
    size_t slash = file.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return false;
    std::wstring ext = upperCase(file.substr(dot));
    return ext == L".EXE" || ext == L".COM" || ext == L".BAT" || ext == L".CMD";
}

HINSTANCE result(DWORD code) {
    if (code > 32) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(code));
    SetLastError(code == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : code);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(code));
}

constexpr DWORD kSuccess = 42; // any value above 32 means success

DWORD shellErrorFrom(DWORD win32) {
    switch (win32) {
    case ERROR_FILE_NOT_FOUND:
        return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
        return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
        return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
        return SE_ERR_OOM;
    case ERROR_BAD_EXE_FORMAT:
        return ERROR_BAD_FORMAT;
    default:
        return SE_ERR_FNF;
    }
}

// Hands a URL or a host path to the desktop's opener; it runs on its own and is reaped when it ends.
DWORD openWithOpener(const std::string& target) {
    std::string opener = findHostProgram(openerProgram());
    if (opener.empty()) return SE_ERR_NOASSOC;
    DWORD err = startProcess(opener, {opener, target}, std::string(), nullptr, nullptr, nullptr, nullptr);
    return err ? shellErrorFrom(err) : kSuccess;
}

} // namespace

void uiplatform::SetShellOpener(const std::string& program) {
    std::lock_guard<std::mutex> lock(openerMutex);
    openerOverride = program;
}

BOOL WINAPI SHGetSpecialFolderPathW(HWND, LPWSTR pszPath, int csidl, BOOL fCreate) {
    if (!pszPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (csidl & CSIDL_FLAG_CREATE) fCreate = TRUE;
    const std::wstring user = L"C:\\users\\" + fromUtf8(loginName());
    std::wstring path;
    switch (csidl & ~CSIDL_FLAG_CREATE) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        path = user + L"\\Desktop";
        break;
    case CSIDL_APPDATA:
        path = user + L"\\AppData\\Roaming";
        break;
    case CSIDL_LOCAL_APPDATA:
        path = user + L"\\AppData\\Local";
        break;
    case CSIDL_COMMON_APPDATA:
        path = L"C:\\ProgramData";
        break;
    case CSIDL_PROGRAM_FILES:
        path = L"C:\\Program Files";
        break;
    case CSIDL_PROGRAM_FILESX86:
        path = L"C:\\Program Files (x86)";
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (fCreate) {
        std::string host;
        if (!mapPath(path.c_str(), host) || !ensureHostDirectory(host)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
    }
    if (!copyOut(path, pszPath, MAX_PATH)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return TRUE;
}

HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                               LPCWSTR lpDirectory, INT) {
    if (lpOperation && *lpOperation && lstrcmpiW(lpOperation, L"open") != 0 &&
        lstrcmpiW(lpOperation, L"runas") != 0)
        return result(SE_ERR_NOASSOC);
    std::wstring file = lpFile ? lpFile : L"";
    while (!file.empty() && file.back() == L' ')
        file.pop_back();
    if (file.size() >= 2 && file.front() == L'"' && file.back() == L'"')
        file = file.substr(1, file.size() - 2);
    if (file.empty()) return result(SE_ERR_FNF);
    if (isUrl(file)) return result(openWithOpener(toUtf8(file)));

    std::string workingDir;
    if (lpDirectory && *lpDirectory) {
        struct stat st {};
        if (!mapPath(lpDirectory, workingDir) || stat(workingDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return result(SE_ERR_PNF);
    }

    std::string host;
    if (mapPath(file.c_str(), host)) {
        struct stat st {};
        if (stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return result(openWithOpener(host));
    }
    if (DWORD err = findProgram(file, workingDir, host)) return result(shellErrorFrom(err));
    DWORD err = prepareExecutable(host);
    if (err == ERROR_BAD_EXE_FORMAT && !hasProgramExtension(file)) return result(openWithOpener(host));
    if (err) return result(shellErrorFrom(err));

    std::vector<std::string> args{host};
    if (lpParameters) {
        const wchar_t* cursor = lpParameters;
        bool found = false;
        for (std::wstring a = nextArgument(cursor, found); found; a = nextArgument(cursor, found))
            args.push_back(toUtf8(a));
    }
    err = startProcess(host, args, workingDir, nullptr, nullptr, nullptr, nullptr);
    return result(err ? shellErrorFrom(err) : kSuccess);
}
