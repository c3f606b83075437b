// The process-wide resource settings of the paint manager and the skin file lookup.
#include "ui/markup/UISkinFile.h"

#include "ui/core/UIManager.h"
#include "ui/markup/UILanguage.h"
#include "ui/markup/UIControlFactory.h"
#include "ui/markup/UIResourceManager.h"
#include "ui/markup/ZipArchive.h"

#include <cstring>
#include <string>

HINSTANCE CPaintManagerUI::m_hInstance = nullptr;
HINSTANCE CPaintManagerUI::m_hResourceInstance = nullptr;
CUIString CPaintManagerUI::m_pStrResourcePath;
CUIString CPaintManagerUI::m_pStrResourceZip;
CUIString CPaintManagerUI::m_pStrResourceZipPwd;
bool CPaintManagerUI::m_bCachedResourceZip = true;
ZipArchive* CPaintManagerUI::m_hResourceZip = nullptr;
int CPaintManagerUI::m_nResType = ResFile;

namespace {

const DWORD kMaxMarkupSize = 4 * 1024 * 1024;
const wchar_t kMemoryZipName[] = L"membuffer";

// The password in the narrow (ANSI) code page.
std::string NarrowPassword(LPCTSTR password)
{
    if (password == nullptr || *password == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, password, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, password, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::unique_ptr<ZipArchive> OpenZipFile(const CUIString& path, const CUIString& password)
{
    std::string narrow = NarrowPassword(password);
    return ZipArchive::OpenFile(path, narrow.c_str());
}

bool Allocate(SkinFileData& data, DWORD size)
{
    data.bytes.reset(new (std::nothrow) BYTE[static_cast<size_t>(size) + 1]());
    data.size = data.bytes ? size : 0;
    return data.bytes != nullptr;
}

// Reads a whole file. The failure text of markup reading goes to *error when it is set.
bool ReadWholeFile(LPCTSTR path, SkinFileData& data, DWORD cap, CUIString* error)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (error)
            *error = L"Error opening file";
        return false;
    }
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    bool ok = false;
    if (size == 0 && high == 0) {
        if (error)
            *error = L"File is empty";
    } else if (high != 0 || size == INVALID_FILE_SIZE || (cap != 0 && size > cap)) {
        if (error)
            *error = L"File too large";
    } else if (!Allocate(data, size)) {
        if (error)
            *error = L"Could not read file";
    } else {
        DWORD got = 0;
        ok = ReadFile(file, data.bytes.get(), size, &got, nullptr) && got == size;
        if (!ok) {
            data.bytes.reset();
            data.size = 0;
            if (error)
                *error = L"Could not read file";
        }
    }
    CloseHandle(file);
    return ok;
}

bool ReadZipEntry(LPCTSTR name, SkinFileData& data, DWORD cap, CUIString* error)
{
    auto fail = [&](LPCTSTR text) {
        if (error)
            *error = text;
        return false;
    };
    std::unique_ptr<ZipArchive> ownArchive; // opened for this lookup only
    ZipArchive* archive = nullptr;
    if (CPaintManagerUI::IsCachedResourceZip()) {
        archive = CPaintManagerUI::GetResourceZipHandle();
    } else {
        ownArchive = OpenZipFile(CPaintManagerUI::GetResourcePath() + CPaintManagerUI::GetResourceZip(),
                                 CPaintManagerUI::GetResourceZipPwd());
        archive = ownArchive.get();
    }
    if (archive == nullptr)
        return fail(L"Error opening zip file");
    CUIString entryName = name;
    entryName.Replace(L"\\", L"/");
    ZipEntryInfo info;
    if (!archive->FindEntry(entryName, true, &info))
        return fail(L"Could not find ziped file");
    if (info.uncompressedSize == 0)
        return fail(L"File is empty");
    if (cap != 0 && info.uncompressedSize > cap)
        return fail(L"File too large");
    if (!Allocate(data, info.uncompressedSize))
        return fail(L"Could not unzip file");
    DWORD written = 0;
    // The extra byte is part of the buffer: a complete read stops at the entry's size.
    ZipResult result = archive->ReadEntry(info.index, data.bytes.get(), info.uncompressedSize + 1, &written);
    if (result != ZipResult::Complete || written != info.uncompressedSize) {
        data.bytes.reset();
        data.size = 0;
        return fail(L"Could not unzip file");
    }
    data.bytes[info.uncompressedSize] = 0;
    return true;
}

bool LookUp(LPCTSTR name, SkinFileData& data, DWORD cap, CUIString* error)
{
    if (name == nullptr)
        name = L"";
    if (CPaintManagerUI::GetResourceZip().IsEmpty())
        return ReadWholeFile(CPaintManagerUI::GetResourcePath() + name, data, cap, error);
    return ReadZipEntry(name, data, cap, error);
}

} // namespace

// ---- process-wide resource settings ----

void CPaintManagerUI::SetInstance(HINSTANCE hInst) { m_hInstance = hInst; }

HINSTANCE CPaintManagerUI::GetInstance() { return m_hInstance; }

CUIString CPaintManagerUI::GetInstancePath()
{
    if (m_hInstance == nullptr)
        return CUIString();
    TCHAR szModule[MAX_PATH + 1] = {};
    DWORD n = ::GetModuleFileNameW(m_hInstance, szModule, MAX_PATH);
    if (n == 0)
        return CUIString();
    CUIString path(szModule);
    int pos = path.ReverseFind(L'\\');
    return pos >= 0 ? path.Left(pos + 1) : CUIString();
}

void CPaintManagerUI::SetCurrentPath(LPCTSTR pStrPath)
{
    if (pStrPath != nullptr)
        ::SetCurrentDirectoryW(pStrPath);
}

CUIString CPaintManagerUI::GetCurrentPath()
{
    TCHAR szPath[MAX_PATH + 1] = {};
    DWORD n = ::GetCurrentDirectoryW(MAX_PATH + 1, szPath);
    if (n == 0 || n > MAX_PATH)
        return CUIString();
    return CUIString(szPath);
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst) { m_hResourceInstance = hInst; }

HINSTANCE CPaintManagerUI::GetResourceDll() { return m_hResourceInstance != nullptr ? m_hResourceInstance : m_hInstance; }

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath)
{
    m_pStrResourcePath = pStrPath;
    int n = m_pStrResourcePath.GetLength();
    if (n == 0)
        return;
    TCHAR last = m_pStrResourcePath.GetAt(n - 1);
    if (last != L'\\' && last != L'/')
        m_pStrResourcePath += L'\\';
}

const CUIString& CPaintManagerUI::GetResourcePath() { return m_pStrResourcePath; }

void CPaintManagerUI::SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip, LPCTSTR password)
{
    if (pstrZip == nullptr)
        pstrZip = L"";
    if (m_pStrResourceZip == pstrZip && m_bCachedResourceZip == bCachedResourceZip)
        return;
    if (m_bCachedResourceZip && m_hResourceZip != nullptr) {
        delete m_hResourceZip;
        m_hResourceZip = nullptr;
    }
    m_pStrResourceZip = pstrZip;
    m_bCachedResourceZip = bCachedResourceZip;
    m_pStrResourceZipPwd = password;
    if (m_bCachedResourceZip)
        m_hResourceZip = OpenZipFile(m_pStrResourcePath + m_pStrResourceZip, m_pStrResourceZipPwd).release();
}

void CPaintManagerUI::SetResourceZip(LPVOID pVoid, unsigned int len, LPCTSTR password)
{
    if (m_pStrResourceZip == kMemoryZipName)
        return;
    if (m_bCachedResourceZip && m_hResourceZip != nullptr) {
        delete m_hResourceZip;
        m_hResourceZip = nullptr;
    }
    m_pStrResourceZip = kMemoryZipName;
    m_bCachedResourceZip = true;
    m_pStrResourceZipPwd = password;
    std::string narrow = NarrowPassword(m_pStrResourceZipPwd);
    m_hResourceZip = ZipArchive::OpenMemory(pVoid, len, narrow.c_str()).release();
}

const CUIString& CPaintManagerUI::GetResourceZip() { return m_pStrResourceZip; }

const CUIString& CPaintManagerUI::GetResourceZipPwd() { return m_pStrResourceZipPwd; }

ZipArchive* CPaintManagerUI::GetResourceZipHandle() { return m_hResourceZip; }

bool CPaintManagerUI::IsCachedResourceZip() { return m_bCachedResourceZip; }

void CPaintManagerUI::SetResourceType(int nType) { m_nResType = nType; }

int CPaintManagerUI::GetResourceType() { return m_nResType; }

void CPaintManagerUI::Term()
{
    CResourceManager::Release();
    CControlFactory::Release();
    CLangManagerUI::ReleaseStringTable();
    RemoveAllSharedResources();
    // The archive is closed and the settings return to folder mode, so that nothing keeps
    // pointing at a closed archive.
    if (m_hResourceZip != nullptr) {
        delete m_hResourceZip;
        m_hResourceZip = nullptr;
    }
    m_pStrResourceZip.Empty();
    m_pStrResourceZipPwd.Empty();
    m_bCachedResourceZip = true;
}

// ---- skin file lookup ----

bool ReadSkinFile(LPCTSTR pstrName, SkinFileData& data, CUIString& error)
{
    data.bytes.reset();
    data.size = 0;
    return LookUp(pstrName, data, kMaxMarkupSize, &error);
}

bool ReadSkinFile(LPCTSTR pstrName, SkinFileData& data)
{
    data.bytes.reset();
    data.size = 0;
    if (LookUp(pstrName, data, 0, nullptr))
        return true;
    // The name as a path of its own (absolute, or relative to the current directory).
    return pstrName != nullptr && *pstrName != 0 && ReadWholeFile(pstrName, data, 0, nullptr);
}

bool ReadSkinResource(STRINGorID name, LPCTSTR type, HINSTANCE instance, SkinFileData& data)
{
    data.bytes.reset();
    data.size = 0;
    HINSTANCE module = instance != nullptr ? instance : CPaintManagerUI::GetResourceDll();
    HRSRC hResource = ::FindResourceW(module, name.m_lpstr, type);
    if (hResource != nullptr) {
        HGLOBAL hGlobal = ::LoadResource(module, hResource);
        DWORD size = ::SizeofResource(module, hResource);
        LPVOID bytes = hGlobal != nullptr ? ::LockResource(hGlobal) : nullptr;
        bool ok = bytes != nullptr && size != 0 && Allocate(data, size);
        if (ok)
            memcpy(data.bytes.get(), bytes, size);
        if (hGlobal != nullptr)
            ::FreeResource(hGlobal);
        if (ok)
            return true;
    }
    if (name.IsID() || name.m_lpstr == nullptr || *name.m_lpstr == 0)
        return false;
    return ReadWholeFile(name.m_lpstr, data, 0, nullptr);
}
