// The paint manager: one per window. It owns the window's control tree, its resource
// registries and the window-level settings that markup gives.
#pragma once

#include "ui/core/UIDefine.h"
#include "ui/core/UIUtils.h"
#include "ui/markup/UILanguage.h"
#include "ui/platform/win32.h"

class CControlUI;
class ZipArchive;

// ---- resource registries ----

// Scales sizes given in markup units to the window's DPI (percent of 96 DPI).
class CDPI {
public:
    CDPI();
    int GetDPI() const;
    int GetScale() const;
    void SetScale(UINT uDPI);
    int Scale(int iValue) const;
    int ScaleBack(int iValue) const;
    void Scale(RECT* pRect) const;
    void Scale(POINT* pPoint) const;
    void Scale(SIZE* pSize) const;
    // 0 unaware, 1 system aware, 2 per monitor aware.
    int GetDPIAwareness() const;
    void SetDPIAwareness(int awareness);

private:
    int m_nScaleFactor;
    int m_nScaleFactorSDA;
    int m_Awareness;
};

// A registered font: the description it was made from (size in markup units) and its
// handle. Text metrics are measured on the window's paint DC once there is one.
typedef struct tagTFontInfo {
    int id = -1;
    HFONT hFont = nullptr;
    CUIString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm = {};
} TFontInfo;

// A registered image. Decoding belongs to the render engine, which fills the bitmap
// fields; the registry keeps the registration (name, resource type, mask, HSL use).
typedef struct tagTImageInfo {
    HBITMAP hBitmap = nullptr;
    LPBYTE pBits = nullptr;
    LPBYTE pSrcBits = nullptr;
    int nX = 0;
    int nY = 0;
    bool bAlpha = false;
    bool bUseHSL = false;
    CUIString sResType;
    DWORD dwMask = 0;
    int delay = 0;
} TImageInfo;

typedef struct tagTResInfo {
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;
    TFontInfo m_DefaultFontInfo;
    CStdStringPtrMap m_CustomFonts;
    CStdStringPtrMap m_ImageHash;
    CStdStringPtrMap m_AttrHash;
    CStdStringPtrMap m_StyleHash;
    CStdStringPtrMap m_DrawInfoHash;
} TResInfo;

typedef CControlUI* (*LPCREATECONTROL)(LPCTSTR pstrType);

class CPaintManagerUI {
public:
    CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;
    ~CPaintManagerUI();

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

    // Process-wide clean-up at exit: resource manager, control factory, string table,
    // shared resources and the kept archive.
    static void Term();

    // This window's language packages.
    CLangManagerUI* GetLangManager();
    // ---- end of process-wide resource settings ----

    // ---- resource registries ----
    // Every Add takes a flag that puts the entry into the process-wide registry
    // instead of this window's; lookups try the window's registry first.
    CDPI* GetDPIObj();

    HFONT AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                  bool bShared = false);
    void SetDefaultFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                        bool bShared = false);
    TFontInfo* GetDefaultFontInfo();
    HFONT GetFont(int id);
    HFONT GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    int GetFontIndex(HFONT hFont, bool bShared = false);
    int GetFontIndex(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                     bool bShared = false);
    TFontInfo* GetFontInfo(int id);
    TFontInfo* GetFontInfo(int index, bool bShared);
    TFontInfo* GetFontInfo(HFONT hFont);
    void RemoveFont(HFONT hFont, bool bShared = false);
    void RemoveFont(int id, bool bShared = false);
    void RemoveAllFonts(bool bShared = false);
    void RebuildFont(TFontInfo* pFontInfo);
    int GetCustomFontCount(bool bShared = false) const;
    // Registers the fonts of a font file read through the skin lookup for this process;
    // they stay registered while this manager lives.
    bool AddFontArray(LPCTSTR pstrPath);

    const TImageInfo* AddImage(LPCTSTR bitmap, LPCTSTR type = nullptr, DWORD mask = 0, int width = 0,
                               int height = 0, DWORD fillcolor = 0, bool bUseHSL = false, bool bShared = false,
                               HINSTANCE instance = nullptr);
    const TImageInfo* GetImage(LPCTSTR bitmap);
    void RemoveImage(LPCTSTR bitmap, bool bShared = false);
    void RemoveAllImages(bool bShared = false);

    void AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList, bool bShared = false);
    LPCTSTR GetDefaultAttributeList(LPCTSTR pStrControlName) const;
    bool RemoveDefaultAttributeList(LPCTSTR pStrControlName, bool bShared = false);
    void RemoveAllDefaultAttributeList(bool bShared = false);

    void AddStyle(LPCTSTR pName, LPCTSTR pStyle, bool bShared = false);
    LPCTSTR GetStyle(LPCTSTR pName) const;
    bool RemoveStyle(LPCTSTR pName, bool bShared = false);
    void RemoveAllStyle(bool bShared = false);
    const CStdStringPtrMap& GetStyles(bool bShared = false) const;

    void AddWindowCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr);
    LPCTSTR GetWindowCustomAttribute(LPCTSTR pstrName) const;
    bool RemoveWindowCustomAttribute(LPCTSTR pstrName);
    void RemoveAllWindowCustomAttribute();

    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD dwColor, bool bShared = false);

    bool IsForceUseSharedRes() const;
    void SetForceUseSharedRes(bool bForce);

    // Window settings from the markup's Window element; stored unscaled.
    SIZE GetInitSize();
    void SetInitSize(int cx, int cy);
    RECT& GetSizeBox();
    void SetSizeBox(RECT& rcSizeBox);
    RECT& GetCaptionRect();
    void SetCaptionRect(RECT& rcCaption);
    SIZE GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    bool IsShowUpdateRect() const;
    void SetShowUpdateRect(bool show);
    bool IsUseGdiplusText() const;
    void SetUseGdiplusText(bool bUse);
    int GetGdiplusTextRenderingHint() const;
    void SetGdiplusTextRenderingHint(int trh);
    bool IsInitWindowParameter() const;
    void SetInitWindowParameter(bool bInit);
    HWND GetPaintWindow() const;

    // Control creators added by plug-ins; the dialog builder asks them after the factory.
    static CStdPtrArray* GetPlugins();
    // Loads a module and adds its exported "CreateControl" to the plug-in creators.
    static bool LoadPlugin(LPCTSTR pstrModuleName);

    // Layout and repaint requests from controls.
    bool IsUpdateNeeded() const;
    void NeedUpdate();
    void Invalidate(RECT& rcItem);
    // Controls removed at run time; deleted later, never from inside their own call chain.
    bool AddDelayedCleanup(CControlUI* pControl);

    // Frees the process-wide fonts, images, default attribute lists and styles.
    static void RemoveAllSharedResources();

private:
    TResInfo& TargetRes(bool bShared);
    // Makes the process-wide default font from the system GUI font, once.
    static void InitSharedDefaultFont();
    static TFontInfo* FindFont(CStdStringPtrMap& fonts, HFONT hFont);
    static TFontInfo* FindFont(CStdStringPtrMap& fonts, LPCTSTR pStrFontName, int nSize, bool bBold,
                               bool bUnderline, bool bItalic);
    static void FreeFonts(TResInfo& res);
    static void FreeImages(TResInfo& res);
    static void FreeStrings(CStdStringPtrMap& map);

    TResInfo m_ResInfo;
    static TResInfo m_SharedResInfo;
    static CStdPtrArray m_aPlugins;
    CDPI* m_pDPI;
    bool m_bForceUseSharedRes;
    CStdStringPtrMap m_mWindowCustomAttrHash;
    SIZE m_szInitWindowSize;
    SIZE m_szMinWindow;
    SIZE m_szMaxWindow;
    RECT m_rcSizeBox;
    RECT m_rcCaption;
    SIZE m_szRoundCorner;
    bool m_bShowUpdateRect;
    bool m_bUseGdiplusText;
    int m_trh;
    bool m_bInitWindowParameter;
    HWND m_hWndPaint;
    bool m_bUpdateNeeded;
    RECT m_rcLayeredUpdate;
    CStdPtrArray m_aDelayedCleanup;
    CStdPtrArray m_aFonts;
    // ---- process-wide resource settings ----
    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CUIString m_pStrResourcePath;
    static CUIString m_pStrResourceZip;
    static CUIString m_pStrResourceZipPwd;
    static bool m_bCachedResourceZip;
    static ZipArchive* m_hResourceZip;
    static int m_nResType;
    CLangManagerHolder m_LangManager;
    // ---- end of process-wide resource settings ----

    // ---- end of resource registries ----
};
