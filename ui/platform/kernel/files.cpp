#include "ui/platform/kernel/internal.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace uiplatform::kernel;

namespace {
constexpr DWORD kKnownDispositionMax = TRUNCATE_EXISTING;

// Writes to a pipe whose reader is gone fail with EPIPE; the signal the host would also raise is
// blocked for this thread and consumed, so the caller sees ERROR_NO_DATA as on Windows.
ssize_t writeWithoutSigpipe(int fd, const void* data, size_t size) {
    sigset_t pipeSet, old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    ssize_t n = write(fd, data, size);
    int err = errno;
    if (n < 0 && err == EPIPE && !wasPending) {
        timespec zero{0, 0};
        sigtimedwait(&pipeSet, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = err;
    return n;
}
} // namespace

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE) {
    if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > kKnownDispositionMax) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string host;
    if (!mapPath(lpFileName, host)) return INVALID_HANDLE_VALUE;

    const bool wantRead = (dwDesiredAccess & GENERIC_READ) != 0;
    const bool wantWrite = (dwDesiredAccess & GENERIC_WRITE) != 0;
    if (dwCreationDisposition == TRUNCATE_EXISTING && !wantWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    struct stat st {};
    const bool existed = stat(host.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        // A folder opens only for its metadata, and only when asked for with backup semantics.
        if (!(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || dwCreationDisposition == CREATE_NEW ||
            dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING) {
            SetLastError(dwCreationDisposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        int fd = open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            SetLastError(win32ErrorFromErrno(errno));
            return INVALID_HANDLE_VALUE;
        }
        SetLastError(dwCreationDisposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        bool inherit = lpSecurityAttributes && lpSecurityAttributes->bInheritHandle;
        return insertHandle(std::make_shared<FdObject>(fd, FdObject::Kind::Directory, false, false), inherit);
    }

    int flags = O_CLOEXEC;
    flags |= wantRead && wantWrite ? O_RDWR : (wantWrite ? O_WRONLY : O_RDONLY);
    switch (dwCreationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        break;
    }
    // The host refuses O_TRUNC without write access; Windows truncates with CREATE_ALWAYS anyway.
    if ((flags & O_TRUNC) && !wantWrite) flags = (flags & ~O_RDONLY) | O_RDWR;
    int fd = open(host.c_str(), flags, 0666);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT)
            SetLastError(missingError(host));
        else
            SetLastError(win32ErrorFromErrno(err));
        return INVALID_HANDLE_VALUE;
    }
    const bool reportExisting =
        existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
    bool inherit = lpSecurityAttributes && lpSecurityAttributes->bInheritHandle;
    HANDLE h =
        insertHandle(std::make_shared<FdObject>(fd, FdObject::Kind::File, wantRead, wantWrite), inherit);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
    auto file = lookupHandleAs<FdObject>(hFile);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpOverlapped || !lpNumberOfBytesRead || (!lpBuffer && nNumberOfBytesToRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpNumberOfBytesRead = 0;
    if (!file->readable() || file->kind() == FdObject::Kind::Directory) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto* out = static_cast<char*>(lpBuffer);
    if (file->kind() == FdObject::Kind::PipeRead) {
        // A pipe read returns what is there (waiting for the first byte); end of data is a broken pipe.
        for (;;) {
            ssize_t n = read(file->fd(), out, nNumberOfBytesToRead);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                SetLastError(win32ErrorFromErrno(errno));
                return FALSE;
            }
            if (n == 0 && nNumberOfBytesToRead > 0) {
                SetLastError(ERROR_BROKEN_PIPE);
                return FALSE;
            }
            *lpNumberOfBytesRead = static_cast<DWORD>(n);
            return TRUE;
        }
    }
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        ssize_t n = read(file->fd(), out + done, nNumberOfBytesToRead - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *lpNumberOfBytesRead = done;
            SetLastError(win32ErrorFromErrno(errno));
            return FALSE;
        }
        if (n == 0) break; // end of file: success with fewer bytes
        done += static_cast<DWORD>(n);
    }
    *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    auto file = lookupHandleAs<FdObject>(hFile);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpOverlapped || !lpNumberOfBytesWritten || (!lpBuffer && nNumberOfBytesToWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpNumberOfBytesWritten = 0;
    if (!file->writable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const auto* in = static_cast<const char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        ssize_t n = writeWithoutSigpipe(file->fd(), in + done, nNumberOfBytesToWrite - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *lpNumberOfBytesWritten = done;
            SetLastError(win32ErrorFromErrno(errno));
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    *lpNumberOfBytesWritten = done;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    auto file = lookupHandleAs<FdObject>(hFile);
    if (!file || file->kind() == FdObject::Kind::PipeRead || file->kind() == FdObject::Kind::PipeWrite) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    struct stat st {};
    if (fstat(file->fd(), &st) != 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<uint64_t>(S_ISDIR(st.st_mode) ? 0 : st.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    // A real size whose low part is 0xFFFFFFFF is told apart by GetLastError() == NO_ERROR.
    SetLastError(NO_ERROR);
    return static_cast<DWORD>(size);
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
    std::string host;
    if (!mapPath(lpFileName, host)) return INVALID_FILE_ATTRIBUTES;
    struct stat st {};
    if (stat(host.c_str(), &st) != 0) {
        SetLastError(errno == ENOENT ? missingError(host) : win32ErrorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL WINAPI PathIsDirectoryW(LPCWSTR pszPath) {
    DWORD attributes = GetFileAttributesW(pszPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
    return static_cast<BOOL>(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
    std::string host;
    if (!mapPath(lpPathName, host)) return FALSE;
    if (mkdir(host.c_str(), 0777) == 0) return TRUE;
    int err = errno;
    if (err == EEXIST)
        SetLastError(ERROR_ALREADY_EXISTS);
    else if (err == ENOENT || err == ENOTDIR)
        SetLastError(ERROR_PATH_NOT_FOUND);
    else
        SetLastError(win32ErrorFromErrno(err));
    return FALSE;
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
    std::string host;
    if (!mapPath(lpFileName, host)) return FALSE;
    struct stat st {};
    // Folders and read-only files (no owner write bit) are refused, as on Windows.
    if (lstat(host.c_str(), &st) == 0 &&
        (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(host.c_str()) == 0) return TRUE;
    SetLastError(errno == ENOENT ? missingError(host) : win32ErrorFromErrno(errno));
    return FALSE;
}

DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::vector<char> buf(4096);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) {
            SetLastError(win32ErrorFromErrno(errno));
            return 0;
        }
        buf.resize(buf.size() * 2);
    }
    std::wstring path = windowsPathOf(buf.data());
    if (!lpBuffer || path.size() + 1 > nBufferLength) return static_cast<DWORD>(path.size() + 1);
    wmemcpy(lpBuffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

BOOL WINAPI SetCurrentDirectoryW(LPCWSTR lpPathName) {
    std::string host;
    if (!mapPath(lpPathName, host)) return FALSE;
    struct stat st {};
    if (stat(host.c_str(), &st) != 0) {
        SetLastError(errno == ENOENT ? missingError(host) : win32ErrorFromErrno(errno));
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (chdir(host.c_str()) != 0) {
        SetLastError(win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}
