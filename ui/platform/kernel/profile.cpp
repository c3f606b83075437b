// Profile strings (INI files). Files are UTF-8 here; a UTF-16LE file with a byte-order mark is read
// and written back as UTF-16LE. Changes go through a temp file and a rename, under a lock, so a
// reader never sees half a file and concurrent writers do not lose each other's keys.
#include "ui/platform/kernel/internal.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>

using namespace uiplatform::kernel;

namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16Le };

struct Line {
    std::wstring text;
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::wstring name;  // section or key name, trimmed
    std::wstring value; // key value, trimmed
};

struct IniFile {
    std::vector<Line> lines;
    Encoding encoding = Encoding::Utf8;
    std::wstring newline = L"\n";
};

std::wstring trim(const std::wstring& s) {
    size_t b = s.find_first_not_of(L" \t\r");
    if (b == std::wstring::npos) return {};
    size_t e = s.find_last_not_of(L" \t\r");
    return s.substr(b, e - b + 1);
}

Line classify(const std::wstring& text) {
    Line line;
    line.text = text;
    std::wstring t = trim(text);
    if (t.empty() || t[0] == L';') return line;
    if (t[0] == L'[') {
        line.kind = Line::Kind::Section;
        size_t close = t.find(L']');
        line.name = trim(t.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
        return line;
    }
    line.kind = Line::Kind::Key;
    size_t eq = t.find(L'=');
    line.name = trim(t.substr(0, eq));
    line.value = eq == std::wstring::npos ? std::wstring() : trim(t.substr(eq + 1));
    return line;
}

IniFile parse(const std::string& bytes) {
    IniFile file;
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        file.encoding = Encoding::Utf16Le;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            uint32_t u =
                static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
                uint32_t lo = static_cast<unsigned char>(bytes[i + 2]) |
                              (static_cast<unsigned char>(bytes[i + 3]) << 8);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                    i += 2;
                }
            }
            text += static_cast<wchar_t>(u);
        }
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file.encoding = Encoding::Utf8Bom;
        text = fromUtf8(bytes.substr(3));
    } else {
        text = fromUtf8(bytes);
    }
    size_t firstNewline = text.find(L'\n');
    if (firstNewline != std::wstring::npos && firstNewline > 0 && text[firstNewline - 1] == L'\r')
        file.newline = L"\r\n";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        file.lines.push_back(classify(line));
        start = end + 1;
    }
    return file;
}

std::string serialize(const IniFile& file) {
    std::wstring text;
    for (const auto& line : file.lines)
        text += line.text + file.newline;
    if (file.encoding == Encoding::Utf16Le) {
        std::string out("\xFF\xFE", 2);
        auto put = [&out](uint32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        for (wchar_t wc : text) {
            auto c = static_cast<uint32_t>(wc);
            if (c >= 0x10000 && c <= 0x10FFFF) {
                c -= 0x10000;
                put(0xD800 + (c >> 10));
                put(0xDC00 + (c & 0x3FF));
            } else {
                put(c > 0xFFFF ? 0xFFFD : c);
            }
        }
        return out;
    }
    return (file.encoding == Encoding::Utf8Bom ? std::string("\xEF\xBB\xBF") : std::string()) + toUtf8(text);
}

// A bare file name lives in the Windows folder, as on Windows.
bool profileHostPath(const wchar_t* fileName, std::string& host) {
    std::wstring name(fileName);
    if (name.find_first_of(L"\\/:") == std::wstring::npos) {
        std::string windowsFolder;
        if (mapPath(L"C:\\windows", windowsFolder)) ensureHostDirectory(windowsFolder);
        name = L"C:\\windows\\" + name;
    }
    return mapPath(name.c_str(), host);
}

// Index of the first section with this name, or npos.
size_t findSection(const IniFile& file, const std::wstring& section) {
    for (size_t i = 0; i < file.lines.size(); ++i)
        if (file.lines[i].kind == Line::Kind::Section && equalsNoCase(file.lines[i].name, section)) return i;
    return std::wstring::npos;
}

// One past the last line of the section that starts at index.
size_t sectionEnd(const IniFile& file, size_t index) {
    size_t i = index + 1;
    while (i < file.lines.size() && file.lines[i].kind != Line::Kind::Section)
        ++i;
    return i;
}

size_t findKey(const IniFile& file, size_t section, const std::wstring& key) {
    size_t end = sectionEnd(file, section);
    for (size_t i = section + 1; i < end; ++i)
        if (file.lines[i].kind == Line::Kind::Key && equalsNoCase(file.lines[i].name, key)) return i;
    return std::wstring::npos;
}

std::wstring unquote(const std::wstring& v) {
    if (v.size() >= 2 && (v[0] == L'"' || v[0] == L'\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

// Writes a list of strings, each terminated, plus a final terminator; a list that does not fit is
// cut, ends in two terminators and returns nSize - 2.
DWORD copyList(const std::vector<std::wstring>& items, wchar_t* out, DWORD size) {
    std::wstring all;
    for (const auto& item : items) {
        all += item;
        all += L'\0';
    }
    if (size == 0) return 0;
    if (size == 1) {
        out[0] = 0;
        return 0;
    }
    if (all.size() + 1 <= size) {
        wmemcpy(out, all.data(), all.size());
        out[all.size()] = 0;
        return static_cast<DWORD>(all.size());
    }
    wmemcpy(out, all.data(), size - 2);
    out[size - 2] = 0;
    out[size - 1] = 0;
    return size - 2;
}

DWORD copyValue(const std::wstring& value, wchar_t* out, DWORD size) {
    if (size == 0) return 0;
    size_t n = std::min<size_t>(value.size(), size - 1);
    wmemcpy(out, value.data(), n);
    out[n] = 0;
    return static_cast<DWORD>(n);
}

} // namespace

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                      LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
    if (!lpReturnedString || !lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring fallback = lpDefault ? lpDefault : L"";
    while (!fallback.empty() && fallback.back() == L' ')
        fallback.pop_back();

    IniFile file;
    std::string host;
    bool loaded = false;
    if (profileHostPath(lpFileName, host)) {
        std::string bytes;
        if (readWholeFile(host, bytes)) {
            file = parse(bytes);
            loaded = true;
        }
    }
    SetLastError(loaded ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);

    if (!lpAppName) {
        std::vector<std::wstring> sections;
        for (const auto& line : file.lines)
            if (line.kind == Line::Kind::Section) sections.push_back(line.name);
        return copyList(sections, lpReturnedString, nSize);
    }
    size_t section = findSection(file, lpAppName);
    if (!lpKeyName) {
        std::vector<std::wstring> keys;
        if (section != std::wstring::npos) {
            size_t end = sectionEnd(file, section);
            for (size_t i = section + 1; i < end; ++i)
                if (file.lines[i].kind == Line::Kind::Key) keys.push_back(file.lines[i].name);
        }
        return copyList(keys, lpReturnedString, nSize);
    }
    if (section != std::wstring::npos) {
        size_t key = findKey(file, section, lpKeyName);
        if (key != std::wstring::npos)
            return copyValue(unquote(file.lines[key].value), lpReturnedString, nSize);
    }
    return copyValue(fallback, lpReturnedString, nSize);
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                       LPCWSTR lpFileName) {
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!lpAppName) {
        // All three null only asks to flush a cache; nothing is cached here.
        if (!lpKeyName && !lpString) return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string host;
    if (!profileHostPath(lpFileName, host)) return FALSE;

    FileLock lock(lockFileName("ini", host));
    IniFile file;
    std::string bytes;
    bool exists = readWholeFile(host, bytes);
    if (exists) {
        file = parse(bytes);
    } else if (errno != ENOENT) {
        SetLastError(win32ErrorFromErrno(errno));
        return FALSE;
    } else if (missingError(host) == ERROR_PATH_NOT_FOUND) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }

    const std::wstring sectionName(lpAppName);
    size_t section = findSection(file, sectionName);
    bool changed = false;
    if (!lpKeyName) {
        if (section != std::wstring::npos) {
            file.lines.erase(file.lines.begin() + static_cast<ptrdiff_t>(section),
                             file.lines.begin() + static_cast<ptrdiff_t>(sectionEnd(file, section)));
            changed = true;
        }
    } else if (!lpString) {
        if (section != std::wstring::npos) {
            size_t key = findKey(file, section, lpKeyName);
            if (key != std::wstring::npos) {
                file.lines.erase(file.lines.begin() + static_cast<ptrdiff_t>(key));
                changed = true;
            }
        }
    } else {
        const std::wstring keyName(lpKeyName);
        if (section == std::wstring::npos) {
            file.lines.push_back(classify(L"[" + sectionName + L"]"));
            file.lines.push_back(classify(keyName + L"=" + lpString));
        } else {
            size_t key = findKey(file, section, keyName);
            if (key != std::wstring::npos) {
                file.lines[key] = classify(file.lines[key].name + L"=" + lpString);
            } else {
                // After the section's last non-blank line, so blank separators stay below it.
                size_t at = sectionEnd(file, section);
                while (at > section + 1 && file.lines[at - 1].kind == Line::Kind::Other &&
                       trim(file.lines[at - 1].text).empty())
                    --at;
                file.lines.insert(file.lines.begin() + static_cast<ptrdiff_t>(at),
                                  classify(keyName + L"=" + lpString));
            }
        }
        changed = true;
    }
    if (!changed) return TRUE;
    if (DWORD err = writeFileAtomically(host, serialize(file))) {
        SetLastError(err);
        return FALSE;
    }
    return TRUE;
}
