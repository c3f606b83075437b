// Shared plumbing of the kernel services: the handle table, narrow/wide conversion,
// Windows-to-host path mapping, errno translation and lock files.
#pragma once

#include "ui/platform/win32.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace uiplatform::kernel {

// ---- strings ----
std::string toUtf8(const std::wstring& s);
std::string toUtf8(const wchar_t* s);
std::wstring fromUtf8(const std::string& s);
bool equalsNoCase(const std::wstring& a, const std::wstring& b);
std::wstring upperCase(const std::wstring& s);

// Copies text into a caller's buffer of size characters with the terminator; false when it did
// not fit (nothing useful is written then, except an empty string when size > 0).
bool copyOut(const std::wstring& text, wchar_t* buffer, DWORD size);

// ---- errors ----
// Maps an errno value to the Win32 error code a similar failure gives on Windows.
DWORD win32ErrorFromErrno(int err);
// ENOENT means a missing file when the parent folder exists and a missing path otherwise.
DWORD missingError(const std::string& hostPath);

// ---- paths ----
std::string prefixPath();
// Maps a Windows path to a host path. Each existing component is matched exactly first, then
// without regard to case; components that do not exist are kept as written. Returns false for
// paths the host cannot represent (UNC names, embedded NULs); the Win32 error is set then.
bool mapPath(const wchar_t* windowsPath, std::string& hostPath);
// The Windows form of an absolute host path: C:\... under the C: drive folder, Z:\... otherwise.
std::wstring windowsPathOf(const std::string& hostPath);
// Creates a host folder and its parents; false when that failed.
bool ensureHostDirectory(const std::string& hostPath);
// The folder that holds lock files: $XDG_RUNTIME_DIR, else /tmp.
std::string runtimeDirectory();
std::string loginName();

// ---- atomic replacement of a file's contents: temp file in the same folder + rename ----
// Returns 0 or a Win32 error.
DWORD writeFileAtomically(const std::string& hostPath, const std::string& bytes);
// Reads a whole file; false with errno set when it cannot be opened or read.
bool readWholeFile(const std::string& hostPath, std::string& bytes);

// An exclusive flock on a lock file under the runtime folder, named from a key. Serialises
// read-modify-write cycles across threads and processes. The in-process mutex comes first
// because flock does not exclude threads sharing one open file description.
class FileLock {
public:
    explicit FileLock(const std::string& key);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::unique_lock<std::mutex> threads_;
    int fd_ = -1;
};
std::string lockFileName(const std::string& kind, const std::string& key);

// ---- handle table ----
class Object {
public:
    virtual ~Object() = default;
    // Waitable objects override this; the default refuses the wait.
    virtual DWORD wait(DWORD milliseconds);
    // Called when a handle to the object is closed (the object may live on in other handles).
    virtual void handleClosed() {}
};

HANDLE insertHandle(std::shared_ptr<Object> object, bool inheritable);
std::shared_ptr<Object> lookupHandle(HANDLE handle);
template <class T> std::shared_ptr<T> lookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(lookupHandle(handle));
}
bool handleInheritable(HANDLE handle);

// ---- file descriptors behind handles ----
class FdObject : public Object {
public:
    enum class Kind { File, Directory, PipeRead, PipeWrite };
    FdObject(int fd, Kind kind, bool readable, bool writable)
        : fd_(fd), kind_(kind), readable_(readable), writable_(writable) {}
    ~FdObject() override;
    int fd() const { return fd_; }
    Kind kind() const { return kind_; }
    bool readable() const { return readable_; }
    bool writable() const { return writable_; }

private:
    int fd_;
    Kind kind_;
    bool readable_;
    bool writable_;
};

// ---- starting programs (shared by CreateProcessW and ShellExecuteW) ----
// Splits a command line: blanks separate, double quotes group, backslashes are literal.
std::wstring nextArgument(const wchar_t*& cursor, bool& found);
// Finds the program for a Windows name (path or bare name; ".exe" is tried when the name has no
// extension). Returns 0 and the host path, or a Win32 error.
DWORD findProgram(const std::wstring& name, const std::string& hostSearchFolder, std::string& hostPath);
// ELF or "#!" files get the owner execute bit; anything else is ERROR_BAD_EXE_FORMAT.
DWORD prepareExecutable(const std::string& hostPath);
// Starts a program with posix_spawn. stdFds holds the descriptors for 0, 1, 2 (-1 = /dev/null) or
// is null to share the caller's. workingDir "" keeps the caller's. The child is reaped by a
// watcher thread; process receives its waitable object. Returns 0 or a Win32 error.
DWORD startProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workingDir, const int* stdFds, char* const* environment,
                   std::shared_ptr<Object>* process, DWORD* pid);

} // namespace uiplatform::kernel
