// The registry: one readable text file per hive under <prefix>/registry/. Every operation reads the
// hive under a lock and every change rewrites it through a temp file and a rename, so processes
// share one consistent view and a crash never leaves half a hive.
//
//   [Software\velmio\Quorvel]
//   "Path"=sz:1040:"C:\\Program Files\\velmio\\"      string: exact byte count, then the text
//   "Count"=dword:0000002a                              (zero characters fill it up to the count)
//   "Blob"=hex(3):01,02,ff                              anything else: type and bytes
#include "ui/platform/kernel/internal.h"

#include <cstring>
#include <map>
#include <sys/stat.h>

using namespace uiplatform::kernel;

namespace {

enum class Hive { LocalMachine, CurrentUser };

struct Value {
    std::wstring name;
    DWORD type = REG_NONE;
    std::string bytes;
};

struct Key {
    std::wstring path; // as first written
    std::vector<Value> values;
};

// Keys by upper-case path; the root key is "".
using HiveData = std::map<std::wstring, Key>;

class KeyObject : public Object {
public:
    KeyObject(Hive h, std::wstring p, REGSAM a) : hive(h), path(std::move(p)), access(a) {}
    Hive hive;
    std::wstring path;
    REGSAM access;
};

std::string hiveFile(Hive hive) {
    return prefixPath() + "/registry/" +
           (hive == Hive::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER") + ".reg";
}

std::wstring escape(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) {
        switch (c) {
        case L'\\':
            out += L"\\\\";
            break;
        case L'"':
            out += L"\\\"";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\0':
            out += L"\\0";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Reads a quoted, escaped string at pos; false on malformed input.
bool unescape(const std::wstring& line, size_t& pos, std::wstring& out) {
    if (pos >= line.size() || line[pos] != L'"') return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        wchar_t c = line[pos++];
        if (c == L'"') return true;
        if (c == L'\\') {
            if (pos >= line.size()) return false;
            wchar_t e = line[pos++];
            switch (e) {
            case L'n':
                out += L'\n';
                break;
            case L'r':
                out += L'\r';
                break;
            case L't':
                out += L'\t';
                break;
            case L'0':
                out += L'\0';
                break;
            default:
                out += e;
            }
        } else {
            out += c;
        }
    }
    return false;
}

bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

std::wstring formatValue(const Value& v) {
    std::wstring line = v.name.empty() ? L"@=" : L"\"" + escape(v.name) + L"\"=";
    const size_t unit = sizeof(wchar_t);
    if (isStringType(v.type) && v.bytes.size() % unit == 0) {
        std::wstring chars(v.bytes.size() / unit, L'\0');
        if (!chars.empty()) memcpy(chars.data(), v.bytes.data(), v.bytes.size());
        size_t nul = chars.find(L'\0');
        std::wstring text = chars.substr(0, nul);
        bool zeroTail =
            nul == std::wstring::npos || chars.find_first_not_of(L'\0', nul) == std::wstring::npos;
        // Only characters that survive UTF-8 are written as text; anything else stays hex.
        bool encodable = true;
        for (wchar_t c : text) {
            auto u = static_cast<uint32_t>(c);
            if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) encodable = false;
        }
        if (zeroTail && encodable) {
            return line + (v.type == REG_SZ ? L"sz:" : L"expand:") + std::to_wstring(v.bytes.size()) +
                   L":\"" + escape(text) + L"\"";
        }
    }
    if (v.type == REG_DWORD && v.bytes.size() == 4) {
        uint32_t d;
        memcpy(&d, v.bytes.data(), 4);
        wchar_t hex[16];
        swprintf(hex, 16, L"%08x", d);
        return line + L"dword:" + hex;
    }
    line += L"hex(" + std::to_wstring(v.type) + L"):";
    for (size_t i = 0; i < v.bytes.size(); ++i) {
        wchar_t hex[4];
        swprintf(hex, 4, L"%02x", static_cast<unsigned char>(v.bytes[i]));
        line += (i ? L"," : L"") + std::wstring(hex);
    }
    return line;
}

bool parseValue(const std::wstring& line, Value& v) {
    size_t pos = 0;
    if (line.compare(0, 2, L"@=") == 0) {
        v.name.clear();
        pos = 2;
    } else {
        if (!unescape(line, pos, v.name) || pos >= line.size() || line[pos] != L'=') return false;
        ++pos;
    }
    std::wstring rest = line.substr(pos);
    auto startsWith = [&rest](const wchar_t* p) { return rest.compare(0, wcslen(p), p) == 0; };
    if (startsWith(L"sz:") || startsWith(L"expand:")) {
        v.type = startsWith(L"sz:") ? REG_SZ : REG_EXPAND_SZ;
        size_t p = rest.find(L':') + 1;
        wchar_t* end = nullptr;
        unsigned long long size = wcstoull(rest.c_str() + p, &end, 10);
        if (!end || *end != L':') return false;
        size_t q = static_cast<size_t>(end - rest.c_str()) + 1;
        std::wstring text;
        if (!unescape(rest, q, text) || size % sizeof(wchar_t) != 0 || size > (1u << 30) ||
            text.size() * sizeof(wchar_t) > size)
            return false;
        text.resize(size / sizeof(wchar_t), L'\0');
        v.bytes.assign(reinterpret_cast<const char*>(text.data()), size);
        return true;
    }
    if (startsWith(L"dword:")) {
        wchar_t* end = nullptr;
        unsigned long d = wcstoul(rest.c_str() + 6, &end, 16);
        if (!end || *end || d > 0xFFFFFFFFul) return false;
        auto value = static_cast<uint32_t>(d);
        v.type = REG_DWORD;
        v.bytes.assign(reinterpret_cast<const char*>(&value), 4);
        return true;
    }
    if (startsWith(L"hex(")) {
        wchar_t* end = nullptr;
        unsigned long type = wcstoul(rest.c_str() + 4, &end, 10);
        if (!end || end[0] != L')' || end[1] != L':') return false;
        v.type = static_cast<DWORD>(type);
        v.bytes.clear();
        const wchar_t* p = end + 2;
        while (*p) {
            wchar_t* after = nullptr;
            unsigned long b = wcstoul(p, &after, 16);
            if (after == p || b > 0xFF) return false;
            v.bytes += static_cast<char>(b);
            p = after;
            if (*p == L',')
                ++p;
            else if (*p)
                return false;
        }
        return true;
    }
    return false;
}

HiveData loadHive(Hive hive) {
    HiveData data;
    data[L""] = Key{};
    std::string bytes;
    if (!readWholeFile(hiveFile(hive), bytes)) return data;
    std::wstring text = fromUtf8(bytes);
    Key* current = &data[L""];
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[' && line.back() == L']') {
            std::wstring path = line.substr(1, line.size() - 2);
            Key& key = data[upperCase(path)];
            if (key.path.empty()) key.path = path;
            current = &key;
            continue;
        }
        Value v;
        if (parseValue(line, v)) current->values.push_back(std::move(v));
    }
    return data;
}

DWORD saveHive(Hive hive, const HiveData& data) {
    std::wstring text = L"; registry hive, written by the platform layer\n";
    for (const auto& [upper, key] : data) {
        text += L"\n[" + key.path + L"]\n";
        for (const auto& v : key.values)
            text += formatValue(v) + L"\n";
    }
    std::string folder = prefixPath() + "/registry";
    if (!ensureHostDirectory(folder)) return ERROR_PATH_NOT_FOUND;
    return writeFileAtomically(hiveFile(hive), toUtf8(text));
}

// Resolves a key handle. Predefined keys are the hive roots with full access.
bool resolve(HKEY hKey, Hive& hive, std::wstring& path, REGSAM& access) {
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER) {
        hive = hKey == HKEY_LOCAL_MACHINE ? Hive::LocalMachine : Hive::CurrentUser;
        path.clear();
        access = KEY_ALL_ACCESS;
        return true;
    }
    auto key = lookupHandleAs<KeyObject>(reinterpret_cast<HANDLE>(hKey));
    if (!key) return false;
    hive = key->hive;
    path = key->path;
    access = key->access;
    return true;
}

// Joins a sub-key path to a key path; false for names the registry refuses.
bool joinPath(const std::wstring& base, const wchar_t* sub, std::wstring& out) {
    out = base;
    if (!sub) return true;
    std::wstring s(sub);
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(L'\\', start);
        if (end == std::wstring::npos) end = s.size();
        std::wstring part = s.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (part.size() > 255) return false;
        for (wchar_t c : part)
            if (c < 32) return false;
        out += (out.empty() ? L"" : L"\\") + part;
    }
    return true;
}

std::wstring parentPath(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

Value* findValue(Key& key, const wchar_t* name) {
    std::wstring n = name ? name : L"";
    for (auto& v : key.values)
        if (equalsNoCase(v.name, n)) return &v;
    return nullptr;
}

LSTATUS openOrCreate(HKEY hKey, LPCWSTR lpSubKey, REGSAM sam, PHKEY phkResult, bool create,
                     LPDWORD disposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    Hive hive;
    std::wstring base, path;
    REGSAM access;
    if (!resolve(hKey, hive, base, access)) return ERROR_INVALID_HANDLE;
    if (!joinPath(base, lpSubKey, path)) return ERROR_INVALID_PARAMETER;

    FileLock lock(lockFileName("registry", hiveFile(hive)));
    HiveData data = loadHive(hive);
    if (!data.count(upperCase(base))) return ERROR_KEY_DELETED;
    bool existed = data.count(upperCase(path)) != 0;
    if (!existed) {
        if (!create) return ERROR_FILE_NOT_FOUND;
        if (!(access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        for (std::wstring p = path; !p.empty(); p = parentPath(p)) {
            Key& key = data[upperCase(p)];
            if (key.path.empty()) key.path = p;
        }
        if (DWORD err = saveHive(hive, data)) return static_cast<LSTATUS>(err);
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    // Keep the spelling stored in the hive, so the handle follows the key.
    *phkResult = reinterpret_cast<HKEY>(
        insertHandle(std::make_shared<KeyObject>(hive, data[upperCase(path)].path, sam), false));
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return openOrCreate(hKey, lpSubKey, samDesired, phkResult, false, nullptr);
}

LSTATUS WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                               const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    return openOrCreate(hKey, lpSubKey, samDesired, phkResult, true, lpdwDisposition);
}

LSTATUS WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                              DWORD cbData) {
    Hive hive;
    std::wstring path;
    REGSAM access;
    if (!resolve(hKey, hive, path, access)) return ERROR_INVALID_HANDLE;
    if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!lpData && cbData > 0) return ERROR_INVALID_PARAMETER;
    FileLock lock(lockFileName("registry", hiveFile(hive)));
    HiveData data = loadHive(hive);
    auto it = data.find(upperCase(path));
    if (it == data.end()) return ERROR_KEY_DELETED;
    // The bytes are stored exactly as given, terminator or not, as Windows does.
    std::string bytes(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    if (Value* v = findValue(it->second, lpValueName)) {
        v->type = dwType;
        v->bytes = std::move(bytes);
    } else {
        it->second.values.push_back(Value{lpValueName ? lpValueName : L"", dwType, std::move(bytes)});
    }
    return static_cast<LSTATUS>(saveHive(hive, data));
}

LSTATUS WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    Hive hive;
    std::wstring path;
    REGSAM access;
    if (!resolve(hKey, hive, path, access)) return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    HiveData data;
    {
        FileLock lock(lockFileName("registry", hiveFile(hive)));
        data = loadHive(hive);
    }
    auto it = data.find(upperCase(path));
    if (it == data.end()) return ERROR_KEY_DELETED;
    Value* v = findValue(it->second, lpValueName);
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (lpType) *lpType = v->type;
    const auto size = static_cast<DWORD>(v->bytes.size());
    if (!lpcbData) return ERROR_SUCCESS;
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size) memcpy(lpData, v->bytes.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    if (!lpSubKey) return ERROR_INVALID_PARAMETER;
    Hive hive;
    std::wstring base, path;
    REGSAM access;
    if (!resolve(hKey, hive, base, access)) return ERROR_INVALID_HANDLE;
    if (!joinPath(base, lpSubKey, path)) return ERROR_INVALID_PARAMETER;
    if (path.empty()) return ERROR_ACCESS_DENIED; // a hive's root stays
    FileLock lock(lockFileName("registry", hiveFile(hive)));
    HiveData data = loadHive(hive);
    const std::wstring upper = upperCase(path);
    auto it = data.find(upper);
    if (it == data.end()) return ERROR_FILE_NOT_FOUND;
    const std::wstring childPrefix = upper + L"\\";
    auto child = data.lower_bound(childPrefix);
    if (child != data.end() && child->first.compare(0, childPrefix.size(), childPrefix) == 0)
        return ERROR_ACCESS_DENIED; // Windows refuses to delete a key that has sub-keys
    data.erase(it);
    return static_cast<LSTATUS>(saveHive(hive, data));
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    if (!lookupHandleAs<KeyObject>(reinterpret_cast<HANDLE>(hKey))) return ERROR_INVALID_HANDLE;
    CloseHandle(reinterpret_cast<HANDLE>(hKey));
    return ERROR_SUCCESS;
}
