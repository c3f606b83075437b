#include "ui/markup/UIControlFactory.h"

#include <mutex>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"

namespace {

std::mutex g_factoryLock;
CControlFactory* g_factory = nullptr;

CControlUI* CreateContainer() { return new CContainerUI(); }
CControlUI* CreateVerticalLayout() { return new CVerticalLayoutUI(); }
CControlUI* CreateHorizontalLayout() { return new CHorizontalLayoutUI(); }

} // namespace

CControlFactory::CControlFactory()
{
    // Only the classes this build implements are registered; markup naming any other
    // class takes the builder's unknown-class path.
    RegistControl(L"CControlUI", &CControlUI::CreateControl);
    RegistControl(L"CContainerUI", &CreateContainer);
    RegistControl(L"CVerticalLayoutUI", &CreateVerticalLayout);
    RegistControl(L"CHorizontalLayoutUI", &CreateHorizontalLayout);
}

std::wstring CControlFactory::Key(LPCTSTR pstrClassName)
{
    std::wstring key(pstrClassName != nullptr ? pstrClassName : L"");
    if (!key.empty()) CharLowerW(key.data());
    return key;
}

CControlUI* CControlFactory::CreateControl(LPCTSTR pstrClassName)
{
    auto it = m_mapControl.find(Key(pstrClassName));
    if (it == m_mapControl.end() || it->second == nullptr) return nullptr;
    return it->second();
}

void CControlFactory::RegistControl(LPCTSTR pstrClassName, CreateClass pFunc)
{
    std::wstring key = Key(pstrClassName);
    if (key.empty() || pFunc == nullptr) return;
    m_mapControl.emplace(key, pFunc);
}

CControlFactory* CControlFactory::GetInstance()
{
    std::lock_guard<std::mutex> lock(g_factoryLock);
    if (g_factory == nullptr) g_factory = new CControlFactory();
    return g_factory;
}

void CControlFactory::Release()
{
    std::lock_guard<std::mutex> lock(g_factoryLock);
    delete g_factory;
    g_factory = nullptr;
}
