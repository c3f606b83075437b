// A second process for the kernel tests. Modes:
//   hold-mutex NAME READY   opens the named mutex, reports "<handle ok> <GetLastError>", waits to be killed
//   take-mutex NAME READY   opens and takes the named mutex, reports the wait result, waits to be killed
#include "ui/platform/win32.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
// Written under a temporary name and renamed, so the test never reads half a line.
int report(const char* path, const std::string& line) {
    std::string temp = std::string(path) + ".tmp";
    FILE* f = fopen(temp.c_str(), "w");
    if (!f) return 2;
    fputs(line.c_str(), f);
    fclose(f);
    rename(temp.c_str(), path);
    for (;;)
        pause();
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && (strcmp(argv[1], "hold-mutex") == 0 || strcmp(argv[1], "take-mutex") == 0)) {
        wchar_t name[256];
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, name, 256);
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
        DWORD error = GetLastError();
        if (strcmp(argv[1], "hold-mutex") == 0)
            return report(argv[3], std::to_string(mutex ? 1 : 0) + " " + std::to_string(error) + "\n");
        return report(argv[3], std::to_string(WaitForSingleObject(mutex, INFINITE)) + "\n");
    }
    fprintf(stderr, "usage: %s hold-mutex|take-mutex NAME READY-FILE\n", argv[0]);
    return 2;
}
