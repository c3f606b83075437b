#include "ui/markup/UIDlgBuilder.h"

#include <cwchar>

#include "ui/controls/UIAttributeValue.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"
#include "ui/markup/UIControlFactory.h"
#include "ui/markup/UILanguage.h"
#include "ui/markup/UIResourceManager.h"

namespace {

// Markup can nest, and include itself, without end: building stops at these bounds rather
// than exhausting the stack or looping. Elements below the depth bound and includes past the
// budget are not built. The bounds are far above what any real window uses.
const int kMaxBuildDepth = 256;   // nested elements and includes, across builders
const int kMaxIncludes = 4096;    // include expansions within one outermost build

// Builds nest through includes on the UI thread; the counters span all builders on it.
thread_local int t_buildDepth = 0;
thread_local int t_includes = 0;

class BuildDepthGuard {
public:
    BuildDepthGuard() { t_buildDepth++; }
    ~BuildDepthGuard()
    {
        if (--t_buildDepth == 0) t_includes = 0;
    }
    BuildDepthGuard(const BuildDepthGuard&) = delete;
    BuildDepthGuard& operator=(const BuildDepthGuard&) = delete;
};

bool NameIs(LPCTSTR name, LPCTSTR what) { return name != nullptr && lstrcmpiW(name, what) == 0; }

// Reads a module resource into the document; false when it is missing or empty.
bool LoadResourceMarkup(CXmlDocumentUI& xml, STRINGorID id, LPCTSTR type, HINSTANCE instance)
{
    HINSTANCE module = instance != nullptr ? instance : CPaintManagerUI::GetResourceDll();
    HRSRC hResource = FindResourceW(module, id.m_lpstr, type);
    if (hResource == nullptr) return false;
    HGLOBAL hGlobal = LoadResource(module, hResource);
    if (hGlobal == nullptr) return false;
    DWORD size = SizeofResource(module, hResource);
    LPVOID bytes = LockResource(hGlobal);
    if (bytes == nullptr || size == 0) return false;
    return xml.load_buffer(bytes, size);
}

// Elements that declare resources rather than controls.
bool IsResourceElement(LPCTSTR name)
{
    return NameIs(name, L"Image") || NameIs(name, L"Font") || NameIs(name, L"Default") || NameIs(name, L"Style") ||
           NameIs(name, L"Script") || NameIs(name, L"Import");
}

CUIString SkinFileOf(CLangPackageUI* pkg) { return CUIString(pkg != nullptr ? pkg->GetSkinFile() : L""); }

void ReportUnknownControl(LPCTSTR skinFile, LPCTSTR className)
{
    CUIString text;
    text.Format(L"CDialogBuilder::_Parse Error\r\nFile: %s\r\nControl: %s", skinFile, className);
    MessageBoxW(nullptr, text, L"Create Control Failed", MB_OK);
}

} // namespace

CDialogBuilder::CDialogBuilder() : m_pCallback(nullptr), m_pstrtype(nullptr), m_instance(nullptr) {}

CXmlDocumentUI* CDialogBuilder::GetMarkup() { return &m_xml; }

CUIString CDialogBuilder::GetLastErrorMessage() const { return m_xml.GetError(); }

void CDialogBuilder::SetInstance(HINSTANCE instance) { m_instance = instance; }

CControlUI* CDialogBuilder::Create(STRINGorID xml, LPCTSTR type, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent)
{
    if (pManager == nullptr) return nullptr;
    CLangPackageUI* pkg = nullptr;
    if (!xml.IsID()) {
        CUIString sName(xml.m_lpstr);
        if (sName.IsEmpty()) return nullptr;
        if (sName.GetAt(0) != L'<') {
            LPCTSTR alias = CResourceManager::GetInstance()->GetXmlPath(sName);
            if (alias != nullptr && alias[0] != L'\0') sName = alias;
        }
        if (sName.GetAt(0) == L'<') {
            if (!m_xml.load_string(sName)) return nullptr;
        } else {
            if (!m_xml.load_file(sName)) return nullptr;
        }
        pkg = pManager->GetLangManager()->AddPackage(sName);
    } else {
        if (!LoadResourceMarkup(m_xml, xml, type, m_instance)) return nullptr;
        m_sType = type;
        m_pstrtype = m_sType;
    }
    return Create(pCallback, pManager, pParent, pkg);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent, CLangPackageUI* pkg)
{
    m_pCallback = pCallback;
    CXmlNodeUI root = m_xml.first_child();
    while (root && root.type() != node_element_ui) root = root.next_sibling();
    if (!root) return nullptr;

    if (pManager != nullptr) {
        RegisterResources(root, pManager);
        if (NameIs(root.name(), L"Window") && pManager->GetPaintWindow() != nullptr &&
            !pManager->IsInitWindowParameter()) {
            ApplyWindowAttributes(root, pManager);
            pManager->SetInitWindowParameter(true);
        }
    }
    return _Parse(&root, pParent, pManager, pkg);
}

void CDialogBuilder::RegisterResources(CXmlNodeUI& root, CPaintManagerUI* pManager)
{
    for (CXmlNodeUI node = root.first_child(); node; node = node.next_sibling()) {
        if (node.type() != node_element_ui) continue;
        CUIString sClass = node.name();
        LPCTSTR pstrClass = sClass;
        if (NameIs(pstrClass, L"Image")) {
            CUIString sName = node.attribute(L"name").as_string(L"");
            CUIString sType = node.attribute(L"restype").as_string(L"");
            DWORD mask = node.attribute(L"mask").as_uicolor(0);
            bool shared = node.attribute(L"shared").as_bool(false);
            if (!sName.IsEmpty()) pManager->AddImage(sName, sType, mask, 0, 0, 0, false, shared);
        } else if (NameIs(pstrClass, L"Font")) {
            int id = node.attribute(L"id").as_int(-1);
            CUIString sName = node.attribute(L"name").as_string(L"");
            int size = node.attribute(L"size").as_int(12);
            bool bold = node.attribute(L"bold").as_bool(false);
            bool underline = node.attribute(L"underline").as_bool(false);
            bool italic = node.attribute(L"italic").as_bool(false);
            bool defaultfont = node.attribute(L"default").as_bool(false);
            bool shared = node.attribute(L"shared").as_bool(false);
            if (id >= 0) {
                pManager->AddFont(id, sName, size, bold, underline, italic, shared);
                if (defaultfont)
                    pManager->SetDefaultFont(sName, pManager->GetDPIObj()->Scale(size), bold, underline, italic,
                                             shared);
            }
        } else if (NameIs(pstrClass, L"Default")) {
            CUIString sName = node.attribute(L"name").as_string(L"");
            CUIString sValue = node.attribute(L"value").as_string(L"");
            bool shared = node.attribute(L"shared").as_bool(false);
            if (!sName.IsEmpty()) pManager->AddDefaultAttributeList(sName, sValue, shared);
        } else if (NameIs(pstrClass, L"Style")) {
            CUIString sName = node.attribute(L"name").as_string(L"");
            CUIString sValue = node.attribute(L"value").as_string(L"");
            bool shared = node.attribute(L"shared").as_bool(false);
            if (!sName.IsEmpty()) pManager->AddStyle(sName, sValue, shared);
        } else if (NameIs(pstrClass, L"Import")) {
            CUIString sFontFile = node.attribute(L"fontfile").as_string(L"");
            if (!sFontFile.IsEmpty()) pManager->AddFontArray(sFontFile);
        }
    }
}

void CDialogBuilder::ApplyWindowAttributes(CXmlNodeUI& root, CPaintManagerUI* pManager)
{
    for (CXmlAttributeUI attr = root.first_attribute(); attr; attr = attr.next_attribute()) {
        CUIString sName = attr.name();
        LPCTSTR name = sName;
        if (NameIs(name, L"size")) {
            SIZE sz = attr.as_size(0, 0);
            pManager->SetInitSize(pManager->GetDPIObj()->Scale(sz.cx), pManager->GetDPIObj()->Scale(sz.cy));
        } else if (NameIs(name, L"sizebox")) {
            RECT rc = attr.as_rect(0, 0, 0, 0);
            pManager->SetSizeBox(rc);
        } else if (NameIs(name, L"caption")) {
            RECT rc = attr.as_rect(0, 0, 0, 0);
            pManager->SetCaptionRect(rc);
        } else if (NameIs(name, L"roundcorner")) {
            SIZE sz = attr.as_size(0, 0);
            pManager->SetRoundCorner(sz.cx, sz.cy);
        } else if (NameIs(name, L"mininfo")) {
            SIZE sz = attr.as_size(0, 0);
            pManager->SetMinInfo(sz.cx, sz.cy);
        } else if (NameIs(name, L"maxinfo")) {
            SIZE sz = attr.as_size(0, 0);
            pManager->SetMaxInfo(sz.cx, sz.cy);
        } else if (NameIs(name, L"showdirty")) {
            pManager->SetShowUpdateRect(attr.as_bool(false));
        } else if (NameIs(name, L"disabledfontcolor")) {
            pManager->SetDefaultDisabledColor(attr.as_uicolor(0));
        } else if (NameIs(name, L"defaultfontcolor")) {
            pManager->SetDefaultFontColor(attr.as_uicolor(0));
        } else if (NameIs(name, L"linkfontcolor")) {
            pManager->SetDefaultLinkFontColor(attr.as_uicolor(0));
        } else if (NameIs(name, L"linkhoverfontcolor")) {
            pManager->SetDefaultLinkHoverFontColor(attr.as_uicolor(0));
        } else if (NameIs(name, L"selectedcolor")) {
            pManager->SetDefaultSelectedBkColor(attr.as_uicolor(0));
        } else if (NameIs(name, L"gdiplustext")) {
            pManager->SetUseGdiplusText(attr.as_bool(false));
        } else if (NameIs(name, L"textrenderinghint")) {
            pManager->SetGdiplusTextRenderingHint(attr.as_int(0));
        }
    }
}

CControlUI* CDialogBuilder::CreateControlOfClass(LPCTSTR pstrClass, CXmlNodeUI& node)
{
    CUIString sClassName;
    sClassName.Format(L"C%sUI", pstrClass);
    CControlUI* pControl = CControlFactory::GetInstance()->CreateControl(sClassName);
    if (pControl == nullptr) {
        CStdPtrArray* pPlugins = CPaintManagerUI::GetPlugins();
        for (int i = 0; pControl == nullptr && i < pPlugins->GetSize(); i++) {
            LPCREATECONTROL lpCreateControl = reinterpret_cast<LPCREATECONTROL>(pPlugins->GetAt(i));
            if (lpCreateControl != nullptr) pControl = lpCreateControl(pstrClass);
        }
    }
    if (pControl == nullptr && m_pCallback != nullptr) pControl = m_pCallback->CreateControl(pstrClass);
    return pControl;
}

CControlUI* CDialogBuilder::_Parse(CXmlNodeUI* pRoot, CControlUI* pParent, CPaintManagerUI* pManager,
                                   CLangPackageUI* pkg)
{
    BuildDepthGuard depth;
    if (t_buildDepth > kMaxBuildDepth) return nullptr;
    IContainerUI* pContainer = nullptr;
    bool containerAsked = false;
    CControlUI* pReturn = nullptr;
    for (CXmlNodeUI node = pRoot->first_child(); node; node = node.next_sibling()) {
        if (node.type() != node_element_ui) continue;
        CUIString sClass = node.name();
        LPCTSTR pstrClass = sClass;
        if (IsResourceElement(pstrClass)) continue;

        if (NameIs(pstrClass, L"Include")) {
            CXmlAttributeUI source = node.attribute(L"source");
            if (!source) continue;
            int count = node.attribute(L"count").as_int(1);
            CUIString sSource = source.as_string(L"");
            for (int i = 0; i < count && t_includes < kMaxIncludes; i++) {
                t_includes++;
                CDialogBuilder builder;
                builder.SetInstance(m_instance);
                if (m_pstrtype != nullptr) {
                    builder.Create(STRINGorID(static_cast<UINT>(uiattr::ReadInt(sSource))), m_pstrtype, m_pCallback,
                                   pManager, pParent);
                } else {
                    builder.Create(STRINGorID(static_cast<LPCTSTR>(sSource)), nullptr, m_pCallback, pManager,
                                   pParent);
                }
            }
            continue;
        }

        CControlUI* pControl = CreateControlOfClass(pstrClass, node);
        if (pControl == nullptr) {
            ReportUnknownControl(SkinFileOf(pkg), pstrClass);
            continue;
        }

        pControl->SetExtraParent(pParent);
        if (pkg != nullptr) pControl->SetSkinFile(SkinFileOf(pkg));

        if (node.first_child()) _Parse(&node, pControl, pManager, pkg);

        if (pParent != nullptr) {
            if (!containerAsked) {
                pContainer = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
                containerAsked = true;
            }
            if (pContainer == nullptr) {
                delete pControl;
                return nullptr;
            }
            if (!pContainer->Add(pControl)) {
                delete pControl;
                continue;
            }
        }

        if (pManager != nullptr) {
            pControl->SetManager(pManager, nullptr, false);
            LPCTSTR pDefaultAttributes = pManager->GetDefaultAttributeList(pstrClass);
            if (pDefaultAttributes != nullptr) pControl->ApplyAttributeList(pDefaultAttributes);
        }

        CXmlAttributeUI style = node.attribute(L"style");
        if (style) pControl->SetAttribute(L"style", style.value());
        for (CXmlAttributeUI attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
            CUIString sName = attr.name();
            if (sName.CompareNoCase(L"style") == 0) continue;
            pControl->SetAttribute(sName, attr.value());
        }

        if (pManager != nullptr) pControl->SetManager(nullptr, nullptr, false);

        if (pReturn == nullptr) {
            pReturn = pControl;
        } else if (pParent == nullptr) {
            // A window holds one top-level control; later ones have nowhere to go.
            delete pControl;
        }
    }
    return pReturn;
}
