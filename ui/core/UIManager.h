// The paint manager: one per skinned window. It routes the window's input to its control
// tree, delivers notifications, paints, and keeps the resource registries. Its static
// members hold the process-wide settings that every window shares.
#pragma once

#include "ui/core/UIDefine.h"
#include "ui/core/UIUtils.h"
#include "ui/platform/win32.h"

class ZipArchive;

class CPaintManagerUI {
public:
    // ---- process-wide resource settings ----
    // Where the skin lives and how its files are found; set once during start-up.
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    // Folder of the program module, ending in a backslash; empty when no module is set.
    static CUIString GetInstancePath();
    static void SetCurrentPath(LPCTSTR pStrPath);
    static CUIString GetCurrentPath();
    static void SetResourceDll(HINSTANCE hInst);
    static HINSTANCE GetResourceDll(); // the program module when no resource module is set
    // A non-empty path always ends in a backslash or slash.
    static void SetResourcePath(LPCTSTR pStrPath);
    static const CUIString& GetResourcePath();
    // A zip file at resource path + name; cached keeps one archive open.
    static void SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip = false, LPCTSTR password = nullptr);
    // A zip archive in memory, read in place: the block must outlive the process's use of it.
    // Only the first memory archive counts; later calls are ignored.
    static void SetResourceZip(LPVOID pVoid, unsigned int len, LPCTSTR password = nullptr);
    static const CUIString& GetResourceZip(); // "membuffer" for a memory archive
    static const CUIString& GetResourceZipPwd();
    static ZipArchive* GetResourceZipHandle();
    static bool IsCachedResourceZip();
    static void SetResourceType(int nType);
    static int GetResourceType();

    // Process-wide clean-up at exit.
    static void Term();

private:
    // ---- process-wide resource settings ----
    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CUIString m_pStrResourcePath;
    static CUIString m_pStrResourceZip;
    static CUIString m_pStrResourceZipPwd;
    static bool m_bCachedResourceZip;
    static ZipArchive* m_hResourceZip;
    static int m_nResType;
};
