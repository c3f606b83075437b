// The process-wide table from markup class names to control creators.
#pragma once

#include <map>
#include <string>

#include "ui/platform/win32.h"

class CControlUI;

typedef CControlUI* (*CreateClass)();

class CControlFactory {
public:
    // Creates the control registered for the class name (any letter case), or null.
    CControlUI* CreateControl(LPCTSTR pstrClassName);
    // Registers a creator; a name that is already registered keeps its first creator.
    void RegistControl(LPCTSTR pstrClassName, CreateClass pFunc);

    static CControlFactory* GetInstance();
    static void Release();

private:
    CControlFactory();
    ~CControlFactory() = default;
    CControlFactory(const CControlFactory&) = delete;
    CControlFactory& operator=(const CControlFactory&) = delete;

    static std::wstring Key(LPCTSTR pstrClassName);

    std::map<std::wstring, CreateClass> m_mapControl;
};
