#include "ui/platform/kernel/modules.h"
#include "ui/platform/host.h"
#include "ui/platform/kernel/internal.h"

#include <cerrno>
#include <climits>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <mutex>
#include <unistd.h>
#include <vector>

using namespace uiplatform::kernel;

namespace {

// A module handle points at one of these. The executable's record is never freed; the layer's own
// modules live as long as the process; dlopen'ed libraries go when their count drops to zero.
struct Module {
    enum class Kind { Executable, Builtin, Library } kind;
    std::wstring name;                      // upper case, without ".DLL", for builtin modules
    std::map<std::string, FARPROC> exports; // builtin modules
    void* library = nullptr;                // dlopen handle
    int references = 0;
};

struct ModuleTable {
    std::mutex mutex;
    Module executable{Module::Kind::Executable, L"", {}, nullptr, 1};
    std::map<std::wstring, Module*> builtins;
    std::vector<Module*> libraries;
};

ModuleTable& modules() {
    static ModuleTable* table = new ModuleTable; // used by static registrars and at exit
    return *table;
}

std::wstring moduleKey(const wchar_t* name) {
    std::wstring n(name);
    auto slash = n.find_last_of(L"\\/");
    if (slash != std::wstring::npos) n.erase(0, slash + 1);
    n = upperCase(n);
    if (n.size() > 4 && n.compare(n.size() - 4, 4, L".DLL") == 0) n.erase(n.size() - 4);
    return n;
}

bool knownLibrary(ModuleTable& t, Module* m) {
    for (Module* lib : t.libraries)
        if (lib == m) return true;
    return false;
}

bool validModule(ModuleTable& t, HMODULE h) {
    auto* m = reinterpret_cast<Module*>(h);
    if (m == &t.executable) return true;
    for (auto& [key, builtin] : t.builtins)
        if (builtin == m) return true;
    return knownLibrary(t, m);
}

// ---- resources ----

struct ResourceId {
    bool isNumber = false;
    WORD number = 0;
    std::wstring text; // upper case

    static bool from(const wchar_t* value, ResourceId& id) {
        if (IS_INTRESOURCE(value)) {
            id.isNumber = true;
            id.number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
            return true;
        }
        std::wstring s(value);
        if (s.size() > 1 && s[0] == L'#') { // "#130" names id 130
            wchar_t* end = nullptr;
            unsigned long v = wcstoul(s.c_str() + 1, &end, 10);
            if (end && *end == 0 && v <= 0xFFFF) {
                id.isNumber = true;
                id.number = static_cast<WORD>(v);
                return true;
            }
        }
        id.text = upperCase(s);
        return true;
    }
    bool operator==(const ResourceId& o) const {
        return isNumber == o.isNumber && (isNumber ? number == o.number : text == o.text);
    }
};

struct Resource {
    ResourceId type;
    ResourceId name;
    const void* data;
    DWORD size;
};

std::mutex& resourceMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}
std::vector<Resource*>& resources() {
    static auto* list = new std::vector<Resource*>;
    return *list;
}

const Resource* resourceFromHandle(HRSRC h) {
    std::lock_guard<std::mutex> lock(resourceMutex());
    for (Resource* r : resources())
        if (reinterpret_cast<HRSRC>(r) == h) return r;
    return nullptr;
}

const unsigned char kEmpty[1] = {0};

} // namespace

void uiplatform::RegisterModuleExport(const wchar_t* module, const char* name, FARPROC fn) {
    if (!module || !name || !fn) return;
    ModuleTable& t = modules();
    std::lock_guard<std::mutex> lock(t.mutex);
    std::wstring key = moduleKey(module);
    Module*& m = t.builtins[key];
    if (!m) m = new Module{Module::Kind::Builtin, key, {}, nullptr, 1};
    m->exports[name] = fn;
}

void uiplatform::RegisterResource(const wchar_t* type, const wchar_t* name, const void* data, size_t size) {
    if (!type || !name || size > 0xFFFFFFFFu) return;
    auto* r = new Resource{};
    ResourceId::from(type, r->type);
    ResourceId::from(name, r->name);
    r->data = data && size ? data : kEmpty;
    r->size = static_cast<DWORD>(size);
    std::lock_guard<std::mutex> lock(resourceMutex());
    for (Resource*& existing : resources()) {
        if (existing->type == r->type && existing->name == r->name) {
            existing->data = r->data;
            existing->size = r->size;
            delete r;
            return;
        }
    }
    resources().push_back(r);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
    ModuleTable& t = modules();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (!lpModuleName) return reinterpret_cast<HMODULE>(&t.executable);
    auto it = t.builtins.find(moduleKey(lpModuleName));
    if (it != t.builtins.end()) return reinterpret_cast<HMODULE>(it->second);
    std::wstring key = moduleKey(lpModuleName);
    for (Module* lib : t.libraries)
        if (lib->name == key) return reinterpret_cast<HMODULE>(lib);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ModuleTable& t = modules();
    std::wstring key = moduleKey(lpLibFileName);
    {
        std::lock_guard<std::mutex> lock(t.mutex);
        auto it = t.builtins.find(key);
        if (it != t.builtins.end()) return reinterpret_cast<HMODULE>(it->second);
    }
    std::wstring given(lpLibFileName);
    std::string host;
    if (given.find_first_of(L"\\/") != std::wstring::npos) {
        if (!mapPath(lpLibFileName, host)) return nullptr;
    } else {
        host = toUtf8(given); // a bare name goes through the host's library search
    }
    void* library = dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(t.mutex);
    for (Module* lib : t.libraries) {
        if (lib->library == library) {
            ++lib->references;
            dlclose(library); // the module already holds one host reference
            return reinterpret_cast<HMODULE>(lib);
        }
    }
    auto* m = new Module{Module::Kind::Library, key, {}, library, 1};
    t.libraries.push_back(m);
    return reinterpret_cast<HMODULE>(m);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    ModuleTable& t = modules();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (!hLibModule || !validModule(t, hLibModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto* m = reinterpret_cast<Module*>(hLibModule);
    if (m->kind != Module::Kind::Library) return TRUE; // the executable and the layer's modules stay
    if (--m->references == 0) {
        dlclose(m->library);
        std::erase(t.libraries, m);
        delete m;
    }
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    ModuleTable& t = modules();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (!hModule) hModule = reinterpret_cast<HMODULE>(&t.executable);
    if (!validModule(t, hModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpProcName || IS_INTRESOURCE(lpProcName)) { // no ordinals on this platform
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    auto* m = reinterpret_cast<Module*>(hModule);
    void* symbol = nullptr;
    switch (m->kind) {
    case Module::Kind::Builtin: {
        auto it = m->exports.find(lpProcName);
        if (it != m->exports.end()) return it->second;
        break;
    }
    case Module::Kind::Library:
        symbol = dlsym(m->library, lpProcName);
        break;
    case Module::Kind::Executable:
        symbol = dlsym(RTLD_DEFAULT, lpProcName);
        break;
    }
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    std::string host;
    {
        ModuleTable& t = modules();
        std::lock_guard<std::mutex> lock(t.mutex);
        if (hModule && !validModule(t, hModule)) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        auto* m = reinterpret_cast<Module*>(hModule);
        if (m && m->kind == Module::Kind::Library) {
            link_map* map = nullptr;
            if (dlinfo(m->library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) host = map->l_name;
        } else {
            // The layer's own modules are part of the executable.
            std::vector<char> buf(PATH_MAX + 1);
            ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
            if (n > 0) host.assign(buf.data(), static_cast<size_t>(n));
        }
    }
    if (host.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::wstring path = L"Z:" + fromUtf8(host);
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() + 1 > nSize) {
        // Cut to nSize - 1 characters plus the terminator; the result is nSize.
        wmemcpy(lpFilename, path.c_str(), nSize - 1);
        lpFilename[nSize - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    wmemcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    {
        ModuleTable& t = modules();
        std::lock_guard<std::mutex> lock(t.mutex);
        if (hModule && !validModule(t, hModule)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        // Only the executable carries resources here.
        if (hModule && reinterpret_cast<Module*>(hModule) != &t.executable) {
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
            return nullptr;
        }
    }
    if (!lpName || !lpType) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ResourceId type, name;
    ResourceId::from(lpType, type);
    ResourceId::from(lpName, name);
    std::lock_guard<std::mutex> lock(resourceMutex());
    bool typeSeen = false;
    for (Resource* r : resources()) {
        if (!(r->type == type)) continue;
        typeSeen = true;
        if (r->name == name) return reinterpret_cast<HRSRC>(r);
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
    const Resource* r = resourceFromHandle(hResInfo);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // As on Windows, the loaded handle is the address of the bytes.
    return const_cast<void*>(r->data);
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
    const Resource* r = resourceFromHandle(hResInfo);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return r->size;
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return hResData;
}

// Resources are part of the image and never freed; Windows also answers FALSE here.
BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
}
