// Window classes: registration and lookup. Names compare without regard to case.
#include "ui/platform/window/manager.h"

#include <cwctype>

namespace uiplatform::wm {

std::wstring ClassKey(LPCWSTR name) {
    std::wstring key;
    if (IS_INTRESOURCE(name)) {
        key = L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
        return key;
    }
    for (const wchar_t* p = name; *p; ++p) key.push_back(static_cast<wchar_t>(towlower(*p)));
    return key;
}

WindowClass* FindClass(LPCWSTR name) {
    if (!name) return nullptr;
    auto& m = M();
    auto it = m.classes.find(ClassKey(name));
    return it == m.classes.end() ? nullptr : it->second;
}

LRESULT CALLBACK TooltipProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MessageBoxProc(HWND, UINT, WPARAM, LPARAM);

// Classes the system provides.
void EnsureSystemClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    auto add = [](const wchar_t* name, WNDPROC proc, UINT style) {
        auto* c = new WindowClass();
        c->name = name;
        c->wc.cbSize = sizeof(WNDCLASSEXW);
        c->wc.style = style;
        c->wc.lpfnWndProc = proc;
        c->wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c->wc.lpszClassName = c->name.c_str();
        c->system = true;
        M().classes[ClassKey(name)] = c;
    };
    add(L"tooltips_class32", TooltipProc, CS_DBLCLKS | CS_SAVEBITS);
    add(L"#32770", MessageBoxProc, CS_DBLCLKS | CS_SAVEBITS);
}

} // namespace uiplatform::wm

using namespace uiplatform::wm;

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wcx) {
    if (!wcx || wcx->cbSize != sizeof(WNDCLASSEXW) || !wcx->lpszClassName || !wcx->lpfnWndProc ||
        wcx->cbClsExtra < 0 || wcx->cbWndExtra < 0 || wcx->cbWndExtra > 40000) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Lock lock(M().mutex);
    EnsureSystemClasses();
    if (!IS_INTRESOURCE(wcx->lpszClassName) && wcx->lpszClassName[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring key = ClassKey(wcx->lpszClassName);
    auto it = M().classes.find(key);
    if (it != M().classes.end() && !it->second->system) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (it != M().classes.end()) {
        // An application class may replace a system class of the same name.
        delete it->second;
        M().classes.erase(it);
    }
    auto* c = new WindowClass();
    c->wc = *wcx;
    c->name = IS_INTRESOURCE(wcx->lpszClassName) ? key : std::wstring(wcx->lpszClassName);
    c->wc.lpszClassName = c->name.c_str();
    if (wcx->lpszMenuName && !IS_INTRESOURCE(wcx->lpszMenuName)) {
        c->menuName = wcx->lpszMenuName;
        c->wc.lpszMenuName = c->menuName.c_str();
    }
    M().classes[key] = c;
    static ATOM nextAtom = 0xC000;
    return nextAtom++;
}

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex{};
    ex.cbSize = sizeof(ex);
    ex.style = wc->style;
    ex.lpfnWndProc = wc->lpfnWndProc;
    ex.cbClsExtra = wc->cbClsExtra;
    ex.cbWndExtra = wc->cbWndExtra;
    ex.hInstance = wc->hInstance;
    ex.hIcon = wc->hIcon;
    ex.hCursor = wc->hCursor;
    ex.hbrBackground = wc->hbrBackground;
    ex.lpszMenuName = wc->lpszMenuName;
    ex.lpszClassName = wc->lpszClassName;
    return RegisterClassExW(&ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE) {
    Lock lock(M().mutex);
    WindowClass* c = FindClass(name);
    if (!c || c->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    M().classes.erase(ClassKey(name));
    delete c;
    return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE, LPCWSTR name, LPWNDCLASSEXW out) {
    if (!name || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Lock lock(M().mutex);
    EnsureSystemClasses();
    WindowClass* c = FindClass(name);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *out = c->wc;
    out->cbSize = sizeof(WNDCLASSEXW);
    return TRUE;
}

int WINAPI GetClassNameW(HWND hwnd, LPWSTR buffer, int max) {
    Lock lock(M().mutex);
    Window* w = FindOrFail(hwnd);
    if (!w || !buffer || max <= 0) return 0;
    lstrcpynW(buffer, w->cls->name.c_str(), max);
    return lstrlenW(buffer);
}
