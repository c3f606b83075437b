#include "ui/markup/UIResourceManager.h"

#include "ui/markup/UISkinFile.h"

#include <mutex>

namespace {
CResourceManager* g_instance = nullptr;
std::mutex g_instanceLock; // creation is safe against concurrent first calls
} // namespace

CResourceManager* CResourceManager::GetInstance()
{
    std::lock_guard<std::mutex> lock(g_instanceLock);
    if (g_instance == nullptr)
        g_instance = new CResourceManager();
    return g_instance;
}

void CResourceManager::Release()
{
    std::lock_guard<std::mutex> lock(g_instanceLock);
    delete g_instance;
    g_instance = nullptr;
}

CResourceManager::CResourceManager() : m_pQuerypInterface(nullptr) {}

CResourceManager::~CResourceManager() { ResetResourceMap(); }

void CResourceManager::FreeStrings(CStdStringPtrMap& map)
{
    for (int i = 0; i < map.GetSize(); i++) {
        LPCTSTR key = map.GetAt(i);
        if (key != nullptr)
            delete static_cast<CUIString*>(map.Find(key, false));
    }
    map.RemoveAll();
}

void CResourceManager::SetString(CStdStringPtrMap& map, LPCTSTR key, LPCTSTR value, bool replace)
{
    CUIString* existing = static_cast<CUIString*>(map.Find(key));
    if (existing != nullptr) {
        if (replace)
            *existing = value;
        return;
    }
    map.Insert(key, new CUIString(value));
}

bool CResourceManager::LoadDocument(STRINGorID xml, LPCTSTR type)
{
    if (xml.IsID()) {
        SkinFileData data;
        if (!ReadSkinResource(xml, type, nullptr, data))
            return false;
        return m_xml.load_buffer(data.bytes.get(), data.size);
    }
    if (xml.m_lpstr == nullptr)
        return false;
    if (*xml.m_lpstr == L'<')
        return m_xml.load_string(xml.m_lpstr);
    return m_xml.load_file(xml.m_lpstr);
}

BOOL CResourceManager::LoadResource(STRINGorID xml, LPCTSTR type)
{
    if (!LoadDocument(xml, type))
        return FALSE;
    return LoadResource(m_xml.root());
}

BOOL CResourceManager::LoadResource(CXmlNodeUI root)
{
    if (!root)
        return FALSE;
    CXmlNodeUI res = root.child(L"Res");
    if (!res)
        return FALSE;
    for (CXmlNodeUI node = res.first_child(); node; node = node.next_sibling()) {
        if (node.type() != node_element_ui)
            continue;
        CUIString name = node.name();
        CStdStringPtrMap* map = nullptr;
        if (name.CompareNoCase(L"Image") == 0)
            map = &m_mImageHashMap;
        else if (name.CompareNoCase(L"Xml") == 0)
            map = &m_mXmlHashMap;
        if (map == nullptr)
            continue;
        CXmlAttributeUI id = node.attribute(L"id");
        CXmlAttributeUI path = node.attribute(L"path");
        if (!id || !path)
            continue;
        SetString(*map, id.value(), path.value(), false);
    }
    return TRUE;
}

LPCTSTR CResourceManager::GetImagePath(LPCTSTR lpstrId)
{
    if (lpstrId == nullptr)
        return nullptr;
    CUIString* path = static_cast<CUIString*>(m_mImageHashMap.Find(lpstrId));
    return path != nullptr ? path->GetData() : nullptr;
}

LPCTSTR CResourceManager::GetXmlPath(LPCTSTR lpstrId)
{
    if (lpstrId == nullptr)
        return nullptr;
    CUIString* path = static_cast<CUIString*>(m_mXmlHashMap.Find(lpstrId));
    return path != nullptr ? path->GetData() : nullptr;
}

BOOL CResourceManager::LoadLanguage(LPCTSTR pstrXml)
{
    if (pstrXml == nullptr || !LoadDocument(pstrXml, nullptr))
        return FALSE;
    CXmlNodeUI res = m_xml.root().child(L"Res");
    if (!res)
        return FALSE;
    for (CXmlNodeUI node = res.child(L"Text"); node; node = node.next_sibling(L"Text")) {
        CXmlAttributeUI id = node.attribute(L"id");
        CXmlAttributeUI value = node.attribute(L"value");
        if (!id || !value)
            continue;
        SetString(m_mTextResourceHashMap, id.value(), value.value(), true);
    }
    return TRUE;
}

CUIString CResourceManager::GetText(LPCTSTR lpstrId, LPCTSTR lpstrType)
{
    if (lpstrId == nullptr || *lpstrId == 0)
        return CUIString();
    CUIString* text = static_cast<CUIString*>(m_mTextResourceHashMap.Find(lpstrId));
    if (text != nullptr)
        return *text;
    if (m_pQuerypInterface != nullptr) {
        LPCTSTR answer = m_pQuerypInterface->QueryControlText(lpstrId, lpstrType);
        CUIString result(answer);
        SetString(m_mTextResourceHashMap, lpstrId, result, true);
        return result;
    }
    return CUIString(lpstrId);
}

void CResourceManager::ReloadText()
{
    if (m_pQuerypInterface == nullptr)
        return;
    for (int i = 0; i < m_mTextResourceHashMap.GetSize(); i++) {
        LPCTSTR key = m_mTextResourceHashMap.GetAt(i);
        if (key == nullptr)
            continue;
        LPCTSTR answer = m_pQuerypInterface->QueryControlText(key, nullptr);
        if (answer != nullptr)
            *static_cast<CUIString*>(m_mTextResourceHashMap.Find(key, false)) = answer;
    }
}

void CResourceManager::ResetTextMap() { FreeStrings(m_mTextResourceHashMap); }

void CResourceManager::ResetResourceMap()
{
    FreeStrings(m_mImageHashMap);
    FreeStrings(m_mXmlHashMap);
    FreeStrings(m_mTextResourceHashMap);
}
