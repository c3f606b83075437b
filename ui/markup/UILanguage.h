// Language packages: per skin file, the texts that replace the markup's texts by id; and the
// process-wide string table of texts not bound to a control.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/markup/UIMarkup.h"
#include "ui/platform/win32.h"

#include <map>

class CPaintManagerUI;

typedef struct tagStringTable {
    int id;
    CUIString text1;
    CUIString text2;
} StringTable;

// The texts of one skin file. Each map keeps the first text given for an id.
class CLangPackageUI {
public:
    CLangPackageUI() = default;
    CLangPackageUI(const CLangPackageUI&) = delete;
    CLangPackageUI& operator=(const CLangPackageUI&) = delete;
    ~CLangPackageUI();

    void SetSkinFile(LPCTSTR pstrSkinFile) { m_sSkinFile = pstrSkinFile; }
    LPCTSTR GetSkinFile() const { return m_sSkinFile; }

    // A module resource (numeric id), markup text (starting with "<") or a skin file.
    BOOL LoadResource(STRINGorID xml, LPCTSTR type = nullptr);
    // The "Language" root with its "Text" children.
    BOOL LoadResource(CXmlNodeUI root);

    BOOL AddText(int id, LPCTSTR pstrText);
    BOOL AddToolTip(int id, LPCTSTR pstrText);
    BOOL AddTipValue(int id, LPCTSTR pstrText);
    LPCTSTR GetText(int id) const;
    LPCTSTR GetToolTip(int id) const;
    LPCTSTR GetTipValue(int id) const;
    void ResetResource();

private:
    CUIString m_sSkinFile;
    std::map<int, CUIString> m_mText;
    std::map<int, CUIString> m_mToolTip;
    std::map<int, CUIString> m_mTipValue;
    CXmlDocumentUI m_xml;
};

// The packages of one window (owned by its paint manager) and the process-wide language.
class CLangManagerUI {
public:
    CLangManagerUI() = default;
    CLangManagerUI(const CLangManagerUI&) = delete;
    CLangManagerUI& operator=(const CLangManagerUI&) = delete;
    ~CLangManagerUI();

    // Stores the folder and name and loads the folder's string table. Open windows keep
    // their packages until their ReloadLanguage.
    static void SetLanguage(LPCTSTR pstrLangPath, LPCTSTR pstrLangName);
    static LPCTSTR GetLangPath() { return s_sLangPath; }
    static LPCTSTR GetLangName() { return s_sLangName; }
    // text1 / text2 of the entry with the id; empty when absent (the second argument is unused).
    static LPCTSTR GetString(int id, LPCTSTR pstrText = nullptr);
    static LPCTSTR GetStringExtra(int id, LPCTSTR pstrText = nullptr);
    static BOOL LoadStringTable();
    static BOOL LoadStringTableResource(STRINGorID xml, LPCTSTR type = nullptr);
    static BOOL LoadStringTableResource(CXmlNodeUI root);
    static void ReleaseStringTable();

    // Null when the skin file was registered before; otherwise its new package.
    CLangPackageUI* AddPackage(LPCTSTR pstrSkinFile);
    CLangPackageUI* GetPackage(LPCTSTR pstrSkinFile);
    // Rebuilds every registered skin file's package from the current language folder.
    void ReloadLanguage();
    void ResetPackage();

private:
    CLangPackageUI* _addPackage(LPCTSTR pstrSkinFile);

    static CUIString s_sLangPath;
    static CUIString s_sLangName;
    static std::map<int, StringTable*> m_mStringTable;

    CStdStringPtrMap m_mSkinFile; // every name ever added; the values are unused
    CStdStringPtrMap m_mLangPackage;
};

// Which of a control's texts is resolved.
enum class UILangText { Text, ToolTip, TipValue };

// The package of a control's skin file in its manager's language manager, or null when the
// control has no manager or no skin file name.
CLangPackageUI* UIGetLangPackage(CPaintManagerUI* pManager, LPCTSTR pstrSkinFile);

// The text a control shows. Resource texts go through CResourceManager with the control's
// own text as the id; otherwise a non-empty package text for a resource id above 0 wins
// over the control's own text.
CUIString UIResolveControlText(CPaintManagerUI* pManager, LPCTSTR pstrSkinFile, int iResourceID, bool bResourceText,
                               const CUIString& sOwnText, UILangText kind = UILangText::Text);

// Owns a paint manager's language manager, created on first use.
class CLangManagerHolder {
public:
    CLangManagerHolder() = default;
    CLangManagerHolder(const CLangManagerHolder&) = delete;
    CLangManagerHolder& operator=(const CLangManagerHolder&) = delete;
    ~CLangManagerHolder();
    CLangManagerUI* Get();

private:
    CLangManagerUI* m_p = nullptr;
};
