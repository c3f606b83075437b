#include "ui/core/UIApplication.h"

#include "ui/core/UIManager.h"
#include "ui/markup/UIResourceManager.h"

namespace {
CUIApplication* g_pApp = nullptr;
} // namespace

CUIApplication* UIGetApp() { return g_pApp; }

CUIApplication::CUIApplication()
    : m_hInstance(nullptr), m_nResType(0), m_bCachedResourceZip(false), m_nZipResourceID(0), m_bSingleApp(false),
      m_hMutex(nullptr), m_uActivateMsg(0)
{
    g_pApp = this;
}

CUIApplication::~CUIApplication()
{
    // Never leave UIGetApp pointing at a destroyed object.
    if (g_pApp == this)
        g_pApp = nullptr;
}

void CUIApplication::SetResType_File(LPCTSTR pstrResourcePath)
{
    m_nResType = ResFile;
    m_strResourcePath = pstrResourcePath;
}

void CUIApplication::SetResType_Resource(LPCTSTR pstrResourcePath, LPCTSTR pstrResourceName,
                                         LPCTSTR pstrResourceType)
{
    m_nResType = ResResource;
    m_strResourcePath = pstrResourcePath;
    m_strResourceName = pstrResourceName;
    m_strResourceTypeName = pstrResourceType;
}

void CUIApplication::SetResType_ZIP(LPCTSTR pstrResourcePath, LPCTSTR pstrZipFileName, bool bCachedResourceZip,
                                    LPCTSTR pstrPassword)
{
    m_nResType = ResZip;
    m_strResourcePath = pstrResourcePath;
    m_strZipFileName = pstrZipFileName;
    m_bCachedResourceZip = bCachedResourceZip;
    m_strPassword = pstrPassword;
}

void CUIApplication::SetResType_ZipResource(LPCTSTR pstrResourcePath, LPCTSTR pstrPassword, WORD nResourceID,
                                            LPCTSTR pstrResourceType)
{
    m_nResType = ResZipResource;
    m_strResourcePath = pstrResourcePath;
    m_strPassword = pstrPassword;
    m_nZipResourceID = nResourceID;
    m_strZipResourceType = pstrResourceType;
}

bool CUIApplication::SetSingleApplication(bool bSingle, LPCTSTR pstrName)
{
    if (pstrName == nullptr || *pstrName == 0)
        return false;
    m_bSingleApp = bSingle;
    m_strSingleName = pstrName;
    return true;
}

bool CUIApplication::InitInstance(HINSTANCE hInstance)
{
    if (FAILED(::CoInitialize(nullptr)))
        return false;
    ::OleInitialize(nullptr);
    m_hInstance = hInstance;
    CPaintManagerUI::SetInstance(hInstance);
    m_strAppPath = CPaintManagerUI::GetInstancePath();
    InitResource();

    if (!m_bSingleApp || m_strSingleName.IsEmpty())
        return true;
    m_uActivateMsg = ::RegisterWindowMessageW(m_strSingleName);
    ::SetLastError(ERROR_SUCCESS);
    m_hMutex = ::CreateMutexW(nullptr, FALSE, m_strSingleName);
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        // The running instance shows itself when its main window sees this message.
        DWORD recipients = BSM_APPLICATIONS;
        ::BroadcastSystemMessageW(BSF_NOHANG, &recipients, m_uActivateMsg, 0, 0);
        return false;
    }
    return true;
}

void CUIApplication::InitResource()
{
    CPaintManagerUI::SetResourceType(m_nResType);
    switch (CPaintManagerUI::GetResourceType()) {
    case ResFile:
        CPaintManagerUI::SetResourcePath(m_strAppPath + m_strResourcePath);
        CResourceManager::GetInstance()->LoadResource(L"res.xml", nullptr);
        break;
    case ResZip:
        CPaintManagerUI::SetResourcePath(m_strAppPath + m_strResourcePath);
        // The lookup opens resource path + this name, so the file lives in the resource folder.
        CPaintManagerUI::SetResourceZip(m_strZipFileName.GetData(), m_bCachedResourceZip, m_strPassword);
        break;
    case ResResource:
        CPaintManagerUI::SetResourcePath(m_strAppPath + m_strResourcePath);
        CResourceManager::GetInstance()->LoadResource(m_strResourceName.GetData(), m_strResourceTypeName);
        break;
    case ResZipResource: {
        CPaintManagerUI::SetResourcePath(m_strAppPath + m_strResourcePath);
        HINSTANCE module = CPaintManagerUI::GetResourceDll();
        HRSRC hResource = ::FindResourceW(module, MAKEINTRESOURCEW(m_nZipResourceID), m_strZipResourceType);
        if (hResource == nullptr)
            break;
        HGLOBAL hGlobal = ::LoadResource(module, hResource);
        if (hGlobal == nullptr)
            break;
        DWORD size = ::SizeofResource(module, hResource);
        if (size != 0) {
            // Module resource memory lives as long as the process: the archive reads it in place.
            CPaintManagerUI::SetResourceZip(::LockResource(hGlobal), size, m_strPassword);
            CResourceManager::GetInstance()->LoadResource(L"res.xml", nullptr);
        }
        ::FreeResource(hGlobal);
        break;
    }
    default:
        break;
    }
}

int CUIApplication::ExitInstance()
{
    if (m_hMutex != nullptr) {
        ::CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
    CPaintManagerUI::Term();
    ::OleUninitialize();
    ::CoUninitialize();
    return 0;
}
