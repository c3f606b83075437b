#include "ui/markup/UILanguage.h"

#include "ui/core/UIManager.h"
#include "ui/markup/UIResourceManager.h"
#include "ui/markup/UISkinFile.h"

#include <cwchar>

CUIString CLangManagerUI::s_sLangPath;
CUIString CLangManagerUI::s_sLangName;
std::map<int, StringTable*> CLangManagerUI::m_mStringTable;

namespace {

// An integer attribute read as a decimal number; text that is no number reads as 0.
int ReadId(const CXmlAttributeUI& attr)
{
    CUIString text = attr.value();
    return static_cast<int>(wcstol(text, nullptr, 10));
}

bool LoadDocument(CXmlDocumentUI& doc, STRINGorID xml, LPCTSTR type)
{
    if (xml.IsID()) {
        SkinFileData data;
        if (!ReadSkinResource(xml, type, nullptr, data))
            return false;
        return doc.load_buffer(data.bytes.get(), data.size);
    }
    if (xml.m_lpstr == nullptr)
        return false;
    if (*xml.m_lpstr == L'<')
        return doc.load_string(xml.m_lpstr);
    return doc.load_file(xml.m_lpstr);
}

BOOL AddFirst(std::map<int, CUIString>& map, int id, LPCTSTR text)
{
    if (map.count(id) != 0)
        return FALSE;
    map.emplace(id, CUIString(text));
    return TRUE;
}

LPCTSTR Lookup(const std::map<int, CUIString>& map, int id)
{
    auto it = map.find(id);
    return it != map.end() ? it->second.GetData() : L"";
}

// The folder with exactly one trailing backslash.
CUIString FolderWithSeparator(const CUIString& folder)
{
    CUIString result = folder;
    if (result.IsEmpty() || result.GetAt(result.GetLength() - 1) != L'\\')
        result += L'\\';
    return result;
}

} // namespace

// ---- packages ----

CLangPackageUI::~CLangPackageUI() = default;

BOOL CLangPackageUI::LoadResource(STRINGorID xml, LPCTSTR type)
{
    if (!LoadDocument(m_xml, xml, type))
        return FALSE;
    return LoadResource(m_xml.root());
}

BOOL CLangPackageUI::LoadResource(CXmlNodeUI root)
{
    if (!root)
        return FALSE;
    CXmlNodeUI language = root.child(L"Language");
    if (!language)
        return FALSE;
    for (CXmlNodeUI node = language.first_child(); node; node = node.next_sibling()) {
        if (node.type() != node_element_ui || node.name().CompareNoCase(L"Text") != 0)
            continue;
        CXmlAttributeUI id = node.attribute(L"id");
        if (!id)
            continue;
        int nId = ReadId(id);
        if (CXmlAttributeUI text = node.attribute(L"text"))
            AddText(nId, text.value());
        if (CXmlAttributeUI tip = node.attribute(L"tooltip"))
            AddToolTip(nId, tip.value());
        if (CXmlAttributeUI tipValue = node.attribute(L"tipvalue"))
            AddTipValue(nId, tipValue.value());
    }
    return TRUE;
}

BOOL CLangPackageUI::AddText(int id, LPCTSTR pstrText) { return AddFirst(m_mText, id, pstrText); }
BOOL CLangPackageUI::AddToolTip(int id, LPCTSTR pstrText) { return AddFirst(m_mToolTip, id, pstrText); }
BOOL CLangPackageUI::AddTipValue(int id, LPCTSTR pstrText) { return AddFirst(m_mTipValue, id, pstrText); }
LPCTSTR CLangPackageUI::GetText(int id) const { return Lookup(m_mText, id); }
LPCTSTR CLangPackageUI::GetToolTip(int id) const { return Lookup(m_mToolTip, id); }
LPCTSTR CLangPackageUI::GetTipValue(int id) const { return Lookup(m_mTipValue, id); }

void CLangPackageUI::ResetResource()
{
    m_mText.clear();
    m_mToolTip.clear();
    m_mTipValue.clear();
}

// ---- the language and the string table ----

void CLangManagerUI::SetLanguage(LPCTSTR pstrLangPath, LPCTSTR pstrLangName)
{
    s_sLangPath = pstrLangPath;
    s_sLangName = pstrLangName;
    LoadStringTable();
}

LPCTSTR CLangManagerUI::GetString(int id, LPCTSTR)
{
    auto it = m_mStringTable.find(id);
    return it != m_mStringTable.end() ? it->second->text1.GetData() : L"";
}

LPCTSTR CLangManagerUI::GetStringExtra(int id, LPCTSTR)
{
    auto it = m_mStringTable.find(id);
    return it != m_mStringTable.end() ? it->second->text2.GetData() : L"";
}

BOOL CLangManagerUI::LoadStringTable()
{
    ReleaseStringTable();
    CUIString file = FolderWithSeparator(s_sLangPath) + L"StringTable.lng";
    return LoadStringTableResource(file.GetData());
}

BOOL CLangManagerUI::LoadStringTableResource(STRINGorID xml, LPCTSTR type)
{
    CXmlDocumentUI doc;
    if (!LoadDocument(doc, xml, type))
        return FALSE;
    return LoadStringTableResource(doc.root());
}

BOOL CLangManagerUI::LoadStringTableResource(CXmlNodeUI root)
{
    if (!root)
        return FALSE;
    CXmlNodeUI language = root.child(L"Language");
    if (!language)
        return FALSE;
    for (CXmlNodeUI node = language.first_child(); node; node = node.next_sibling()) {
        if (node.type() != node_element_ui || node.name().CompareNoCase(L"String") != 0)
            continue;
        CXmlAttributeUI id = node.attribute(L"id");
        if (!id)
            continue;
        int nId = ReadId(id);
        if (m_mStringTable.count(nId) != 0)
            continue;
        StringTable* entry = new StringTable{nId, node.attribute(L"text1").value(), node.attribute(L"text2").value()};
        m_mStringTable.emplace(nId, entry);
    }
    return TRUE;
}

void CLangManagerUI::ReleaseStringTable()
{
    for (auto& item : m_mStringTable)
        delete item.second;
    m_mStringTable.clear();
}

// ---- the packages of one window ----

CLangManagerUI::~CLangManagerUI() { ResetPackage(); }

CLangPackageUI* CLangManagerUI::AddPackage(LPCTSTR pstrSkinFile)
{
    if (pstrSkinFile == nullptr || m_mSkinFile.Find(pstrSkinFile) != nullptr)
        return nullptr;
    m_mSkinFile.Insert(pstrSkinFile, this);
    return _addPackage(pstrSkinFile);
}

CLangPackageUI* CLangManagerUI::_addPackage(LPCTSTR pstrSkinFile)
{
    if (m_mLangPackage.Find(pstrSkinFile) != nullptr)
        return nullptr;
    CLangPackageUI* package = new CLangPackageUI();
    package->SetSkinFile(pstrSkinFile);
    // "MainFrame.xml" -> "MainFrame.lng"; a name without "." is used as it is.
    CUIString file = pstrSkinFile;
    int dot = file.ReverseFind(L'.');
    if (dot >= 0)
        file = file.Left(dot) + L".lng";
    CUIString path = FolderWithSeparator(s_sLangPath) + file;
    package->LoadResource(path.GetData()); // an unreadable file leaves the package empty
    m_mLangPackage.Insert(pstrSkinFile, package);
    return package;
}

CLangPackageUI* CLangManagerUI::GetPackage(LPCTSTR pstrSkinFile)
{
    if (pstrSkinFile == nullptr)
        return nullptr;
    return static_cast<CLangPackageUI*>(m_mLangPackage.Find(pstrSkinFile));
}

void CLangManagerUI::ReloadLanguage()
{
    ResetPackage();
    for (int i = 0; i < m_mSkinFile.GetSize(); i++) {
        LPCTSTR name = m_mSkinFile.GetAt(i);
        if (name != nullptr)
            _addPackage(name);
    }
}

void CLangManagerUI::ResetPackage()
{
    for (int i = 0; i < m_mLangPackage.GetSize(); i++) {
        LPCTSTR name = m_mLangPackage.GetAt(i);
        if (name != nullptr)
            delete static_cast<CLangPackageUI*>(m_mLangPackage.Find(name, false));
    }
    m_mLangPackage.RemoveAll();
}

// ---- control texts ----

CLangPackageUI* UIGetLangPackage(CPaintManagerUI* pManager, LPCTSTR pstrSkinFile)
{
    if (pManager == nullptr || pstrSkinFile == nullptr || *pstrSkinFile == 0)
        return nullptr;
    return pManager->GetLangManager()->GetPackage(pstrSkinFile);
}

CUIString UIResolveControlText(CPaintManagerUI* pManager, LPCTSTR pstrSkinFile, int iResourceID, bool bResourceText,
                               const CUIString& sOwnText, UILangText kind)
{
    if (bResourceText)
        return CResourceManager::GetInstance()->GetText(sOwnText);
    CLangPackageUI* package = UIGetLangPackage(pManager, pstrSkinFile);
    if (package != nullptr && iResourceID > 0) {
        LPCTSTR text = kind == UILangText::Text      ? package->GetText(iResourceID)
                       : kind == UILangText::ToolTip ? package->GetToolTip(iResourceID)
                                                     : package->GetTipValue(iResourceID);
        if (text != nullptr && *text != 0)
            return CUIString(text);
    }
    return sOwnText;
}

CLangManagerHolder::~CLangManagerHolder() { delete m_p; }

CLangManagerUI* CLangManagerHolder::Get()
{
    if (m_p == nullptr)
        m_p = new CLangManagerUI();
    return m_p;
}

CLangManagerUI* CPaintManagerUI::GetLangManager() { return m_LangManager.Get(); }
