// A fresh host folder per test, seen by the program as a Windows path, and settings reset
// around each test.
#pragma once

#include "ui/core/UIManager.h"
#include "ui/platform/host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/markup-test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_host = tmpl;
        m_win = uiplatform::WindowsPathFromHost(m_host);
        if (!m_win.empty() && m_win.back() != L'\\')
            m_win += L'\\';
    }
    void TearDown() override
    {
        CPaintManagerUI::Term();
        CPaintManagerUI::SetResourcePath(L"");
        std::filesystem::remove_all(m_host);
    }
    // Writes a file below the test folder ("a/b.xml" with slashes).
    void WriteFile(const std::string& relative, const std::string& bytes)
    {
        std::filesystem::path p = std::filesystem::path(m_host) / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // The Windows path of the test folder, ending in a backslash.
    const std::wstring& Folder() const { return m_win; }

    std::string m_host;
    std::wstring m_win;
};
