#include "tests/markup/markup_test_util.h"
#include "ui/core/UIApplication.h"
#include "ui/markup/UILanguage.h"
#include "ui/markup/UISkinFile.h"
#include "ui/markup/ZipArchive.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
class StartUp : public CUIApplication {
public:
    using CUIApplication::ExitInstance;
};
} // namespace

// The build packs skin/ into resource "ZIPRES"/130 of this executable; the start-up of the
// installer finds every skin file in it.
TEST(SkinPackage, EmbeddedSkinReadsBackThroughTheStartUpPath)
{
    StartUp app;
    app.SetSingleApplication(false, L"unused");
    app.SetResType_ZipResource(L"skin", L"", 130, L"ZIPRES");
    ASSERT_TRUE(app.InitInstance(GetModuleHandleW(nullptr)));
    ASSERT_STREQ(CPaintManagerUI::GetResourceZip().GetData(), L"membuffer");

    int files = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(UI_SKIN_DIR)) {
        if (!item.is_regular_file())
            continue;
        std::ifstream in(item.path(), std::ios::binary);
        std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::wstring name = std::filesystem::relative(item.path(), UI_SKIN_DIR).wstring();
        for (wchar_t& c : name)
            if (c == L'/')
                c = L'\\';
        SCOPED_TRACE(testing::PrintToString(name));
        SkinFileData data;
        ASSERT_TRUE(ReadSkinFile(name.c_str(), data)) << "data reading";
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data.bytes.get()), data.size), expected);
        ZipEntryInfo info;
        std::wstring entry = std::filesystem::relative(item.path(), UI_SKIN_DIR).wstring();
        ASSERT_TRUE(CPaintManagerUI::GetResourceZipHandle()->FindEntry(entry.c_str(), false, &info));
        if (expected.size() > 1000) {
            EXPECT_LT(info.compressedSize, info.uncompressedSize) << "entries are deflated";
        }
        files++;
    }
    EXPECT_GE(files, 8);

    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"\u4ece\u4e0b\u9762\u9009\u6587\u4ef6\u5939\u76ee\u5f55:");
    CPaintManagerUI pm;
    CLangPackageUI* main = pm.GetLangManager()->AddPackage(L"MainFrame.xml");
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(main->GetText(2), L"\u7acb\u5373\u5b89\u88c5");
    EXPECT_STREQ(main->GetText(12), L"");
    CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    pm.GetLangManager()->ReloadLanguage();
    EXPECT_STREQ(pm.GetLangManager()->GetPackage(L"MainFrame.xml")->GetText(4), L"<User License Agreement>");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"Select the folder directory from below:");
    CLangPackageUI* msg = pm.GetLangManager()->AddPackage(L"MsgWnd.xml");
    ASSERT_NE(msg, nullptr);
    EXPECT_STREQ(msg->GetText(2), L"Are you sure to exit?");
    app.ExitInstance();
}
