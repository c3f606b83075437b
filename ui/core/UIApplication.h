// The process-wide application object: where the skin comes from, COM/OLE and framework
// start-up, one running instance per name, and the tear-down.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/platform/win32.h"

class CUIApplication {
public:
    // Becomes the object UIGetApp returns.
    CUIApplication();
    CUIApplication(const CUIApplication&) = delete;
    CUIApplication& operator=(const CUIApplication&) = delete;
    virtual ~CUIApplication();

    // Where the skin lives (ResFile, ResResource, ResZip, ResZipResource).
    virtual void SetResType_File(LPCTSTR pstrResourcePath);
    virtual void SetResType_Resource(LPCTSTR pstrResourcePath, LPCTSTR pstrResourceName, LPCTSTR pstrResourceType);
    // The zip file lives in the resource folder: resource path + zip file name.
    virtual void SetResType_ZIP(LPCTSTR pstrResourcePath, LPCTSTR pstrZipFileName, bool bCachedResourceZip,
                                LPCTSTR pstrPassword);
    virtual void SetResType_ZipResource(LPCTSTR pstrResourcePath, LPCTSTR pstrPassword, WORD nResourceID,
                                        LPCTSTR pstrResourceType);
    // COM, OLE, the framework's instance and skin, then the single-instance check: false when
    // COM cannot start or another process holds the instance name (it is asked to show itself).
    virtual bool InitInstance(HINSTANCE hInstance);

    // No name or an empty name: false, nothing stored.
    bool SetSingleApplication(bool bSingle, LPCTSTR pstrName);
    LPCTSTR GetAppName() const { return m_strAppName; }
    void SetAppName(LPCTSTR pstrName) { m_strAppName = pstrName; }
    CUIString GetAppPath() const { return m_strAppPath; }
    HINSTANCE GetInstance() const { return m_hInstance; }
    // The registered window message a second instance broadcasts; 0 before InitInstance.
    UINT GetActivateMessage() const { return m_uActivateMsg; }

protected:
    // Deletes what InitInstance set up; returns 0.
    virtual int ExitInstance();
    // Registers the skin with the paint manager's resource settings by the resource type.
    virtual void InitResource();

    HINSTANCE m_hInstance;
    CUIString m_strAppPath;
    CUIString m_strAppName;

    int m_nResType;
    CUIString m_strResourcePath;
    CUIString m_strResourceName;     // type 3
    CUIString m_strResourceTypeName; // type 3
    CUIString m_strZipFileName;      // type 2
    bool m_bCachedResourceZip;       // type 2
    CUIString m_strPassword;         // types 2 and 4
    WORD m_nZipResourceID;           // type 4
    CUIString m_strZipResourceType;  // type 4

    bool m_bSingleApp;
    CUIString m_strSingleName;
    HANDLE m_hMutex;
    UINT m_uActivateMsg;
};

// The most recently constructed application object, or null.
CUIApplication* UIGetApp();
