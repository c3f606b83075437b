// Turns one window markup document into a control tree for one paint manager,
// registering the document's fonts, images, default lists and styles on the way.
#pragma once

#include "ui/core/UIUtils.h"
#include "ui/markup/UIMarkup.h"
#include "ui/platform/win32.h"

class CControlUI;
class CPaintManagerUI;
class CLangPackageUI;

class IDialogBuilderCallback {
public:
    // Creates a control for a class name as written in the markup, or returns null.
    virtual CControlUI* CreateControl(LPCTSTR pstrClass) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CDialogBuilder {
public:
    CDialogBuilder();
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    // Loads markup by name, as text (first character "<") or by resource id, then builds.
    CControlUI* Create(STRINGorID xml, LPCTSTR type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    // Builds from the document already loaded.
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr, CPaintManagerUI* pManager = nullptr,
                       CControlUI* pParent = nullptr, CLangPackageUI* pkg = nullptr);

    CXmlDocumentUI* GetMarkup();
    CUIString GetLastErrorMessage() const;
    void SetInstance(HINSTANCE instance);

private:
    CControlUI* _Parse(CXmlNodeUI* parent, CControlUI* pParent = nullptr, CPaintManagerUI* pManager = nullptr,
                       CLangPackageUI* pkg = nullptr);
    void RegisterResources(CXmlNodeUI& root, CPaintManagerUI* pManager);
    void ApplyWindowAttributes(CXmlNodeUI& root, CPaintManagerUI* pManager);
    CControlUI* CreateControlOfClass(LPCTSTR pstrClass, CXmlNodeUI& node);

    CXmlDocumentUI m_xml;
    IDialogBuilderCallback* m_pCallback;
    LPCTSTR m_pstrtype;
    CUIString m_sType;
    HINSTANCE m_instance;
};
