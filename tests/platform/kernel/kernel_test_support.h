// A private prefix, runtime folder and working folder for each test, removed afterwards.
#pragma once

#include "ui/platform/host.h"
#include "ui/platform/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kerneltest {

inline int removeEntry(const char* path, const struct stat*, int, FTW*) {
    return ::remove(path);
}

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kernel-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        prefix_ = root_ + "/prefix";
        ASSERT_EQ(mkdir(prefix_.c_str(), 0755), 0);
        ASSERT_EQ(mkdir((prefix_ + "/drive_c").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((root_ + "/run").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((root_ + "/work").c_str(), 0755), 0);
        setenv("XDG_RUNTIME_DIR", (root_ + "/run").c_str(), 1);
        uiplatform::SetPrefix(prefix_);
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldCwd_ = cwd;
        ASSERT_EQ(chdir((root_ + "/work").c_str()), 0);
    }
    void TearDown() override {
        if (!oldCwd_.empty()) (void)chdir(oldCwd_.c_str());
        uiplatform::SetPrefix("");
        if (!root_.empty()) nftw(root_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }

    std::string driveC() const { return prefix_ + "/drive_c"; }
    std::string work() const { return root_ + "/work"; }

    static void writeText(const std::string& path, const std::string& text, mode_t mode = 0644) {
        std::ofstream(path, std::ios::binary) << text;
        chmod(path.c_str(), mode);
    }
    static std::string readText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static bool exists(const std::string& path) {
        struct stat st {};
        return stat(path.c_str(), &st) == 0;
    }
    // Polls for a file another process writes; false when it did not appear in time.
    static bool waitForFile(const std::string& path, int milliseconds = 10000) {
        for (int waited = 0; waited < milliseconds; waited += 10) {
            if (exists(path)) return true;
            usleep(10000);
        }
        return false;
    }

    std::string root_, prefix_, oldCwd_;
};

} // namespace kerneltest
