// A second process for the kernel tests: holds a named mutex until it is killed.
#include "ui/platform/win32.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "hold-mutex") == 0) {
        wchar_t name[256];
        MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, name, 256);
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
        DWORD error = GetLastError();
        // Written under a temporary name and renamed, so the test never reads half a line.
        std::string temp = std::string(argv[3]) + ".tmp";
        FILE* f = fopen(temp.c_str(), "w");
        if (!f) return 2;
        fprintf(f, "%d %u\n", mutex ? 1 : 0, error);
        fclose(f);
        rename(temp.c_str(), argv[3]);
        for (;;) pause();
    }
    fprintf(stderr, "usage: %s hold-mutex NAME READY-FILE\n", argv[0]);
    return 2;
}
