// Message boxes, the folder chooser, tooltips, icons, the run-time User32 lookup, the caret.
#include "window_test_util.h"

#include <cstring>

using namespace wintest;
namespace host = uiplatform::host;

TEST_F(WindowTest, MessageBoxIsRecordedAndAnsweredOnTheHeadlessDisplay) {
    HWND owner = Make(0, 0, 100, 100);
    EXPECT_EQ(MessageBoxW(owner, L"Leave?", L"Question", MB_YESNO | MB_DEFBUTTON2), IDNO); // default button
    host::QueueMessageBoxAnswer(IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, L"Loading resource failed :x.xml", L"Error", MB_ICONERROR), IDYES);
    auto log = host::MessageBoxLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].owner, owner);
    EXPECT_EQ(log[0].text, L"Leave?");
    EXPECT_EQ(log[1].caption, L"Error");
    EXPECT_EQ(log[1].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(MessageBoxW(reinterpret_cast<HWND>(0x999), L"", L"", MB_OK), 0);
    DestroyWindow(owner);
}

TEST_F(WindowTest, FolderChooserAnswersWhatTheTestSet) {
    wchar_t display[MAX_PATH];
    BROWSEINFOW bi{};
    bi.pszDisplayName = display;
    bi.lpszTitle = L"Choose";
    bi.ulFlags = BIF_RETURNFSANCESTORS;
    EXPECT_EQ(SHBrowseForFolderW(&bi), nullptr); // no answer: a clear failure
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    host::SetFolderChooserAnswer(L"C:\\Program Files\\Quorvel");
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    ASSERT_NE(pidl, nullptr);
    EXPECT_STREQ(display, L"Quorvel");
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListW(pidl, path));
    EXPECT_STREQ(path, L"C:\\Program Files\\Quorvel");
    CoTaskMemFree(pidl);
    host::SetFolderChooserAnswer(L""); // the user cancelled
    EXPECT_EQ(SHBrowseForFolderW(&bi), nullptr);
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
    host::ClearFolderChooserAnswer();
}

TEST_F(WindowTest, TooltipShowsTheToolTextNearThePointer) {
    HWND owner = Make(0, 0, 300, 200);
    ShowWindow(owner, SW_SHOW);
    host::InjectMouseMove(100, 100);
    host::RunUntilIdle();
    HWND tip = CreateWindowExW(0, L"tooltips_class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    TOOLINFOW ti{};
    ti.cbSize = 48;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(owner);
    wchar_t text[] = L"Install folder";
    ti.lpszText = text;
    EXPECT_TRUE(SendMessageW(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_EQ(SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 200), -1);
    SendMessageW(tip, TTM_SETTOOLINFO, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    host::RunUntilIdle();
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(GetActiveWindow(), owner); // a tip never takes the activation
    RECT r;
    GetWindowRect(tip, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_GT(r.top, 100);
    EXPECT_GT(r.right - r.left, 30);
    // The tip lets the pointer through to the window below it.
    POINT inside{r.left + 2, r.top + 2};
    host::InjectMouseMove(inside.x, inside.y);
    Log().clear();
    host::RunUntilIdle();
    EXPECT_EQ(Count(owner, WM_MOUSEMOVE), 1u);
    // It drew text: some pixel differs from the background.
    bool ink = false;
    for (int x = 0; x < r.right - r.left && !ink; ++x)
        for (int y = 0; y < r.bottom - r.top && !ink; ++y)
            if ((host::WindowPixel(tip, x, y) & 0xffffff) == 0) ink = true;
    EXPECT_TRUE(ink);
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    EXPECT_FALSE(IsWindowVisible(tip));
    DestroyWindow(owner); // owns the tip
    EXPECT_FALSE(IsWindow(tip));
}

TEST_F(WindowTest, IconsFromEmbeddedResourcesAndSystemCursors) {
    // A 2x2 32-bit .ico file.
    static const unsigned char ico[] = {
        0, 0, 1, 0, 1, 0,                                   // header: one image
        2, 2, 0, 0, 1, 0, 32, 0, 56, 0, 0, 0, 22, 0, 0, 0, // entry: 2x2, 56 bytes at 22
        40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,     // BITMAPINFOHEADER
        0, 0, 255, 255, 0, 0, 255, 255,                     // bottom row: red
        255, 0, 0, 255, 255, 0, 0, 255,                     // top row: blue
    };
    uiplatform::RegisterResource(RT_GROUP_ICON, MAKEINTRESOURCEW(131), ico, sizeof ico);
    HICON big = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(131), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(132), IMAGE_ICON, 32, 32, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    HWND hwnd = Make(0, 0, 10, 10);
    EXPECT_EQ(SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
    DestroyWindow(hwnd);
    EXPECT_TRUE(DestroyIcon(big));
    EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorW(nullptr, IDC_HAND), nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
}

TEST_F(WindowTest, LayeredFunctionsAreFoundAtRunTimeInUser32) {
    HMODULE user32 = LoadLibraryW(L"User32.dll");
    ASSERT_NE(user32, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")),
              reinterpret_cast<void*>(&UpdateLayeredWindow));
    EXPECT_NE(GetProcAddress(user32, "SetLayeredWindowAttributes"), nullptr);
    FreeLibrary(user32);
}

TEST_F(WindowTest, CaretIsDrawnOverTheWindowWhileShown) {
    HWND hwnd = Make(0, 0, 50, 50);
    ShowWindow(hwnd, SW_SHOW);
    HDC dc = GetDC(hwnd);
    RECT rc{0, 0, 50, 50};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &rc, white);
    DeleteObject(white);
    ReleaseDC(hwnd, dc);
    ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 10));
    SetCaretPos(5, 5);
    EXPECT_EQ(host::ScreenPixel(5, 6) & 0xffffff, 0xffffffu); // created hidden
    ShowCaret(hwnd);
    EXPECT_EQ(host::ScreenPixel(5, 6) & 0xffffff, 0u);
    POINT p;
    GetCaretPos(&p);
    EXPECT_EQ(p.x, 5);
    HideCaret(hwnd);
    EXPECT_EQ(host::ScreenPixel(5, 6) & 0xffffff, 0xffffffu);
    EXPECT_TRUE(DestroyCaret());
    EXPECT_FALSE(DestroyCaret());
    DestroyWindow(hwnd);
}
