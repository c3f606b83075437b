// Shared fixture for the window tests: a headless display and a window class that
// records the messages it receives.
#pragma once

#include "ui/platform/host.h"
#include "ui/platform/win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

struct Logged {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages received by windows of the recording class, in order.
inline std::vector<Logged>& Log() {
    static std::vector<Logged> log;
    return log;
}

// Per-message overrides: return true to answer with *result instead of DefWindowProcW.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>& Handler() {
    static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler;
    return handler;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Logged{hwnd, msg, wParam, lParam});
    LRESULT result = 0;
    if (Handler() && Handler()(hwnd, msg, wParam, lParam, &result)) return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Messages of one window, optionally only those in the given set.
inline std::vector<UINT> MessagesOf(HWND hwnd, std::initializer_list<UINT> only = {}) {
    std::vector<UINT> out;
    for (auto& l : Log()) {
        if (hwnd && l.hwnd != hwnd) continue;
        if (only.size() && std::find(only.begin(), only.end(), l.msg) == only.end()) continue;
        out.push_back(l.msg);
    }
    return out;
}

inline size_t Count(HWND hwnd, UINT msg) {
    size_t n = 0;
    for (auto& l : Log())
        if (l.hwnd == hwnd && l.msg == msg) ++n;
    return n;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        uiplatform::host::SelectBackend(uiplatform::host::Backend::Headless);
        Log().clear();
        Handler() = nullptr;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = RecordingProc;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"RecordingWindow";
        RegisterClassExW(&wc);
    }
    void TearDown() override { Handler() = nullptr; }

    HWND Make(int x, int y, int w, int h, DWORD style = WS_POPUP, DWORD ex = 0, HWND owner = nullptr,
              void* param = nullptr) {
        return CreateWindowExW(ex, L"RecordingWindow", L"test", style, x, y, w, h, owner, nullptr, nullptr, param);
    }
};

} // namespace wintest
