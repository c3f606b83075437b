#include "ui/platform/kernel/internal.h"

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <map>
#include <pthread.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

using namespace uiplatform::kernel;

namespace {

// Waits on cv until ready() holds or the time is up; true when ready.
template <class Pred>
bool waitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD ms, Pred ready) {
    if (ms == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

// ---- threads ----

class ThreadObject : public Object {
public:
    DWORD wait(DWORD ms) override {
        std::unique_lock<std::mutex> lock(mutex_);
        return waitFor(cv_, lock, ms, [this] { return finished_; }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    void finish(DWORD code) {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        exitCode_ = code;
        cv_.notify_all();
    }
    void setId(DWORD id) {
        std::lock_guard<std::mutex> lock(mutex_);
        id_ = id;
        cv_.notify_all();
    }
    DWORD waitForId() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait(lock, [this] { return id_ != 0; });
        return id_;
    }

    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool finished_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
    DWORD id_ = 0;
};

// ---- mutexes ----

class MutexObject;

// Mutexes a thread owns; when the thread ends they are marked abandoned.
struct OwnedMutexes {
    std::vector<std::weak_ptr<MutexObject>> list;
    void abandonAll();
    ~OwnedMutexes() { abandonAll(); }
};
thread_local OwnedMutexes ownedMutexes;

// A mutex. A named one is also owned across processes: its owner holds an flock on the name's
// owner file, which records the owning process id while held. A process that dies holding it leaves
// its id behind, so the next owner anywhere learns that the mutex was abandoned.
class MutexObject : public Object, public std::enable_shared_from_this<MutexObject> {
public:
    DWORD wait(DWORD ms) override {
        const DWORD self = GetCurrentThreadId();
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(mutex_);
        if (owner_ == self) {
            ++count_;
            return WAIT_OBJECT_0;
        }
        if (!waitFor(cv_, lock, ms, [this] { return owner_ == 0; })) return WAIT_TIMEOUT;
        owner_ = self; // claimed in this process; other threads wait while the process lock is sought
        count_ = 1;
        bool abandoned = abandoned_;
        abandoned_ = false;
        lock.unlock();
        if (ownerFd_ >= 0) {
            if (!lockAcrossProcesses(ms, start)) {
                lock.lock();
                owner_ = 0;
                count_ = 0;
                abandoned_ = abandoned;
                cv_.notify_one();
                return WAIT_TIMEOUT;
            }
            char previous[32];
            if (pread(ownerFd_, previous, sizeof previous, 0) > 0) abandoned = true;
            std::string pid = std::to_string(getpid());
            if (ftruncate(ownerFd_, 0) != 0 || pwrite(ownerFd_, pid.data(), pid.size(), 0) < 0) {
                // Without the record only cross-process abandonment goes unnoticed.
            }
        }
        auto& owned = ownedMutexes.list;
        std::erase_if(owned, [this](const std::weak_ptr<MutexObject>& w) {
            auto m = w.lock();
            return !m || m.get() == this;
        });
        owned.push_back(weak_from_this());
        return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
    }
    bool release() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (owner_ != GetCurrentThreadId()) return false;
        if (--count_ == 0) {
            if (ownerFd_ >= 0) {
                if (ftruncate(ownerFd_, 0) != 0) {
                }
                flock(ownerFd_, LOCK_UN);
            }
            owner_ = 0;
            cv_.notify_one();
        }
        return true;
    }
    // The owning thread ended: the record stays, so every next owner hears of it.
    void abandon(DWORD thread) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (owner_ != thread) return;
        if (ownerFd_ >= 0) flock(ownerFd_, LOCK_UN);
        owner_ = 0;
        count_ = 0;
        abandoned_ = true;
        cv_.notify_one();
    }
    ~MutexObject() override {
        if (ownerFd_ >= 0) close(ownerFd_);
        if (nameFd_ >= 0) close(nameFd_); // lets other processes create the name afresh
    }
    int nameFd_ = -1;
    int ownerFd_ = -1;

private:
    // flock has no timeout: poll it until the deadline.
    bool lockAcrossProcesses(DWORD ms, std::chrono::steady_clock::time_point start) {
        for (;;) {
            if (flock(ownerFd_, LOCK_EX | LOCK_NB) == 0) return true;
            if (errno != EWOULDBLOCK && errno != EINTR)
                return true; // no lock to be had: this process decides
            if (ms != INFINITE && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ms))
                return false;
            usleep(2000);
        }
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    DWORD owner_ = 0;
    DWORD count_ = 0;
    bool abandoned_ = false;
};

void OwnedMutexes::abandonAll() {
    const DWORD self = GetCurrentThreadId();
    for (auto& weak : list)
        if (auto m = weak.lock()) m->abandon(self);
    list.clear();
}

void* threadMain(void* arg) {
    auto* holder = static_cast<std::shared_ptr<ThreadObject>*>(arg);
    std::shared_ptr<ThreadObject> self = std::move(*holder);
    delete holder;
    self->setId(GetCurrentThreadId());
    DWORD code = self->start(self->parameter);
    // Abandon before the handle is signalled, so a waiter on the thread sees the mutexes free.
    ownedMutexes.abandonAll();
    self->finish(code);
    return nullptr;
}

// Named mutexes of this process, so that a second CreateMutexW finds the same object.
std::mutex namedMutex;
std::map<std::wstring, std::weak_ptr<MutexObject>> namedMutexes;

// Takes a shared lock on the name's lock file, saying whether another process held it already.
// The exclusive try that detects other holders runs under a guard lock, so two processes cannot
// both see a free name in the gap before the lock is downgraded.
int lockName(const std::wstring& name, bool& existed, int& ownerFd) {
    std::string key = toUtf8(name);
    FileLock guard(lockFileName("mutex-guard", ""));
    int fd = open(lockFileName("mutex", key).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    ownerFd = open(lockFileName("mutex-owner", key).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        existed = false;
        // A new mutex: whatever an earlier generation of the name left behind does not apply.
        if (ownerFd >= 0 && ftruncate(ownerFd, 0) != 0) {
        }
        flock(fd, LOCK_SH);
    } else {
        existed = true;
        while (flock(fd, LOCK_SH) != 0 && errno == EINTR) {
        }
    }
    return fd;
}

// ---- COM ----
struct ComState {
    int comCount = 0;
    DWORD model = 0;
    int oleCount = 0;
};
thread_local ComState comState;

} // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId) {
    if (!lpStartAddress || dwCreationFlags != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    thread->start = lpStartAddress;
    thread->parameter = lpParameter;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (dwStackSize > 0) pthread_attr_setstacksize(&attr, std::max<size_t>(dwStackSize, PTHREAD_STACK_MIN));
    auto* holder = new std::shared_ptr<ThreadObject>(thread);
    pthread_t id;
    int err = pthread_create(&id, &attr, threadMain, holder);
    pthread_attr_destroy(&attr);
    if (err != 0) {
        delete holder;
        SetLastError(err == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : win32ErrorFromErrno(err));
        return nullptr;
    }
    DWORD tid = thread->waitForId();
    if (lpThreadId) *lpThreadId = tid;
    return insertHandle(thread, lpThreadAttributes && lpThreadAttributes->bInheritHandle);
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto object = lookupHandle(hHandle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->wait(dwMilliseconds);
}

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName) {
    const bool inherit = lpMutexAttributes && lpMutexAttributes->bInheritHandle;
    std::shared_ptr<MutexObject> mutex;
    bool existed = false;
    if (lpName && *lpName) {
        std::wstring name(lpName);
        // The session namespaces are one namespace here.
        for (const wchar_t* ns : {L"Global\\", L"Local\\"})
            if (name.rfind(ns, 0) == 0) name.erase(0, wcslen(ns));
        if (name.find(L'\\') != std::wstring::npos) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(namedMutex);
        auto it = namedMutexes.find(name);
        if (it != namedMutexes.end()) mutex = it->second.lock();
        if (mutex) {
            existed = true;
        } else {
            int ownerFd = -1;
            int fd = lockName(name, existed, ownerFd);
            if (fd < 0) {
                SetLastError(win32ErrorFromErrno(errno));
                return nullptr;
            }
            mutex = std::make_shared<MutexObject>();
            mutex->nameFd_ = fd;
            mutex->ownerFd_ = ownerFd;
            namedMutexes[name] = mutex;
        }
    } else {
        mutex = std::make_shared<MutexObject>();
    }
    // An existing mutex is opened, not taken, as on Windows.
    if (bInitialOwner && !existed) mutex->wait(INFINITE);
    HANDLE h = insertHandle(mutex, inherit);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    auto mutex = lookupHandleAs<MutexObject>(hMutex);
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}

// ---- critical sections: a recursive host mutex kept behind LockSemaphore ----

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    *cs = CRITICAL_SECTION{};
    cs->LockCount = -1;
    cs->LockSemaphore = new std::recursive_mutex;
}

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD dwSpinCount) {
    InitializeCriticalSection(cs);
    cs->SpinCount = dwSpinCount;
    return TRUE;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<std::recursive_mutex*>(cs->LockSemaphore)->lock();
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    static_cast<std::recursive_mutex*>(cs->LockSemaphore)->unlock();
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    return static_cast<std::recursive_mutex*>(cs->LockSemaphore)->try_lock() ? TRUE : FALSE;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
    delete static_cast<std::recursive_mutex*>(cs->LockSemaphore);
    cs->LockSemaphore = nullptr;
}

// ---- COM start-up ----

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD dwCoInit) {
    const DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (dwCoInit & ~(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY))
        return E_INVALIDARG;
    ComState& s = comState;
    if (s.comCount > 0 && s.model != model) return RPC_E_CHANGED_MODE;
    s.model = model;
    return s.comCount++ == 0 ? S_OK : S_FALSE;
}

HRESULT WINAPI CoInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void WINAPI CoUninitialize() {
    if (comState.comCount > 0) --comState.comCount;
}

HRESULT WINAPI OleInitialize(LPVOID pvReserved) {
    HRESULT hr = CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) return hr;
    return comState.oleCount++ == 0 ? S_OK : S_FALSE;
}

void WINAPI OleUninitialize() {
    if (comState.oleCount == 0) return;
    --comState.oleCount;
    CoUninitialize();
}
