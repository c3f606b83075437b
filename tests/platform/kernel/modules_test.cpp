#include "kernel_test_support.h"
#include "ui/platform/kernel/modules.h"

#include <cstring>

using kerneltest::KernelTest;

namespace {

class Resources : public KernelTest {};
class Modules : public KernelTest {};

INT_PTR WINAPI layerFunction() {
    return 1234;
}

TEST_F(Resources, EmbeddedFileReadsBackThroughTheResourceCalls) {
    const std::string expected = readText(EMBEDDED_FIXTURE);
    ASSERT_FALSE(expected.empty());
    HMODULE self = GetModuleHandleW(nullptr);
    ASSERT_NE(self, nullptr);
    // The type is a string in any case; the id a number, also as "#130".
    for (const wchar_t* type : {L"ZIPRES", L"zipres"}) {
        for (const wchar_t* name :
             {static_cast<const wchar_t*>(MAKEINTRESOURCEW(130)), static_cast<const wchar_t*>(L"#130")}) {
            for (HMODULE module : {self, static_cast<HMODULE>(nullptr)}) {
                HRSRC info = FindResourceW(module, name, type);
                ASSERT_NE(info, nullptr);
                EXPECT_EQ(SizeofResource(module, info), expected.size());
                HGLOBAL loaded = LoadResource(module, info);
                ASSERT_NE(loaded, nullptr);
                const void* bytes = LockResource(loaded);
                ASSERT_NE(bytes, nullptr);
                EXPECT_EQ(std::string(static_cast<const char*>(bytes), expected.size()), expected);
                EXPECT_FALSE(FreeResource(loaded));
            }
        }
    }
    // A numeric type and a string name.
    HRSRC listing = FindResourceW(nullptr, L"listing", MAKEINTRESOURCEW(10));
    ASSERT_NE(listing, nullptr);
    EXPECT_GT(SizeofResource(nullptr, listing), 0u);

    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(131), L"ZIPRES"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(130), L"PNG"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, reinterpret_cast<HRSRC>(const_cast<std::string*>(&expected))), 0u);
}

TEST_F(Resources, RegisteredBytesAreFoundAndReplaced) {
    static const char first[] = "first";
    static const char second[] = "second!";
    uiplatform::RegisterResource(L"Skin", MAKEINTRESOURCEW(7), first, 5);
    HRSRC r = FindResourceW(nullptr, MAKEINTRESOURCEW(7), L"SKIN");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, r), 5u);
    uiplatform::RegisterResource(L"SKIN", L"#7", second, 7);
    r = FindResourceW(nullptr, MAKEINTRESOURCEW(7), L"skin");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, r), 7u);
    EXPECT_EQ(memcmp(LockResource(LoadResource(nullptr, r)), "second!", 7), 0);
}

TEST_F(Modules, LayerModulesResolveToRegisteredFunctions) {
    uiplatform::RegisterModuleExport(L"TestLayer.dll", "Answer", layerFunction);
    for (const wchar_t* name : {L"testlayer.dll", L"TESTLAYER", L"C:\\Windows\\System32\\TestLayer.DLL"}) {
        HMODULE m = LoadLibraryW(name);
        ASSERT_NE(m, nullptr) << name;
        FARPROC fn = GetProcAddress(m, "Answer");
        ASSERT_NE(fn, nullptr);
        EXPECT_EQ(fn(), 1234);
        EXPECT_EQ(GetProcAddress(m, "Missing"), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
        EXPECT_EQ(GetModuleHandleW(name), m);
        EXPECT_TRUE(FreeLibrary(m));
    }
}

TEST_F(Modules, HostLibrariesLoadThroughTheDynamicLoader) {
    HMODULE libm = LoadLibraryW(L"libm.so.6");
    ASSERT_NE(libm, nullptr);
    auto cosine = reinterpret_cast<double (*)(double)>(reinterpret_cast<void*>(GetProcAddress(libm, "cos")));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(GetProcAddress(libm, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(1))), nullptr);
    wchar_t path[MAX_PATH];
    EXPECT_GT(GetModuleFileNameW(libm, path, MAX_PATH), 0u);
    EXPECT_EQ(std::wstring(path).rfind(L"Z:\\", 0), 0u);
    EXPECT_TRUE(FreeLibrary(libm));
    EXPECT_FALSE(FreeLibrary(libm)); // the handle is gone
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    EXPECT_EQ(LoadLibraryW(L"no-such-library.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(GetModuleHandleW(L"no-such-library.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

} // namespace
