// Process-wide tables of resource aliases (images, markups) and control texts.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/markup/UIMarkup.h"
#include "ui/platform/win32.h"

class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    // A text for the id, or null.
    virtual LPCTSTR QueryControlText(LPCTSTR lpstrId, LPCTSTR lpstrType) = 0;
};

class CResourceManager {
public:
    static CResourceManager* GetInstance();
    static void Release();

    // An alias file: a numeric id is a module resource of the given type, a name starting
    // with "<" is markup text, anything else a skin file. 1 on success, 0 otherwise.
    BOOL LoadResource(STRINGorID xml, LPCTSTR type = nullptr);
    BOOL LoadResource(CXmlNodeUI root);
    void ResetResourceMap();
    LPCTSTR GetImagePath(LPCTSTR lpstrId);
    LPCTSTR GetXmlPath(LPCTSTR lpstrId);

    void SetLanguage(LPCTSTR pstrLanguage) { m_sLauguage = pstrLanguage; }
    LPCTSTR GetLanguage() { return m_sLauguage; }
    // "Res"/"Text" entries with "id" and "value"; a later entry replaces an earlier one.
    BOOL LoadLanguage(LPCTSTR pstrXml);

    void SetTextQueryInterface(IQueryControlText* pInterface) { m_pQuerypInterface = pInterface; }
    // The text for an id: the table, else the query interface (its answer is kept), else the id.
    CUIString GetText(LPCTSTR lpstrId, LPCTSTR lpstrType = nullptr);
    void ReloadText();
    void ResetTextMap();

private:
    CResourceManager();
    ~CResourceManager();
    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    static void FreeStrings(CStdStringPtrMap& map);
    static void SetString(CStdStringPtrMap& map, LPCTSTR key, LPCTSTR value, bool replace);
    bool LoadDocument(STRINGorID xml, LPCTSTR type);

    CStdStringPtrMap m_mTextResourceHashMap;
    IQueryControlText* m_pQuerypInterface;
    CStdStringPtrMap m_mImageHashMap;
    CStdStringPtrMap m_mXmlHashMap;
    CXmlDocumentUI m_xml;
    CUIString m_sLauguage;
};
