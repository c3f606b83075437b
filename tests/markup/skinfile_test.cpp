#include "tests/markup/markup_test_util.h"
#include "tests/markup/zip_builder.h"
#include "ui/markup/UISkinFile.h"
#include "ui/markup/ZipArchive.h"

using ziptest::Build;
using ziptest::Entry;

namespace {

const size_t kCap = 4194304;

std::string Read(LPCTSTR name, CUIString* error)
{
    SkinFileData data;
    CUIString e;
    if (!ReadSkinFile(name, data, e)) {
        if (error)
            *error = e;
        return "<failed>";
    }
    EXPECT_EQ(data.bytes[data.size], 0) << "the extra byte is zero";
    return std::string(reinterpret_cast<const char*>(data.bytes.get()), data.size);
}

std::string ReadData(LPCTSTR name)
{
    SkinFileData data;
    if (!ReadSkinFile(name, data))
        return "<failed>";
    return std::string(reinterpret_cast<const char*>(data.bytes.get()), data.size);
}

} // namespace

TEST_F(SkinTest, ResourcePathGetsOneTrailingSeparator)
{
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {{L"skin", L"skin\\"}, {L"skin\\", L"skin\\"}, {L"skin/", L"skin/"}, {L"", L""}, {nullptr, L""}};
    for (const Case& c : cases) {
        CPaintManagerUI::SetResourcePath(c.in);
        EXPECT_STREQ(CPaintManagerUI::GetResourcePath().GetData(), c.out);
    }
}

TEST_F(SkinTest, FolderModeReadsFilesAndReportsEachFailure)
{
    WriteFile("skin/MainFrame.xml", "<Window/>");
    WriteFile("skin/empty.xml", "");
    WriteFile("skin/exact.xml", std::string(kCap, 'x'));
    WriteFile("skin/over.xml", std::string(kCap + 1, 'x'));
    CPaintManagerUI::SetResourcePath((Folder() + L"skin").c_str());
    CUIString error;
    EXPECT_EQ(Read(L"MainFrame.xml", &error), "<Window/>");
    EXPECT_EQ(Read(L"exact.xml", &error).size(), kCap);
    struct Case {
        const wchar_t* name;
        const wchar_t* error;
    } cases[] = {
        {L"missing.xml", L"Error opening file"},
        {L"empty.xml", L"File is empty"},
        {L"over.xml", L"File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_EQ(Read(c.name, &error), "<failed>");
        EXPECT_STREQ(error.GetData(), c.error);
    }
    // Data reading has no cap and falls back to the bare name.
    EXPECT_EQ(ReadData(L"over.xml").size(), kCap + 1);
    WriteFile("elsewhere/pic.png", "PNGDATA");
    EXPECT_EQ(ReadData((Folder() + L"elsewhere\\pic.png").c_str()), "PNGDATA");
    EXPECT_EQ(ReadData(L"missing.png"), "<failed>");
}

TEST_F(SkinTest, MemoryArchiveLookupFoldsCaseAndSeparatorsAndCapsMarkup)
{
    static std::string bytes = Build({
        {"MainFrame.xml", "<Window size=\"650,416\"/>", 8},
        {"Lang/", "", 0},
        {"Lang/ChineseSimplified/MainFrame.lng", "<Language/>", 8},
        {"exact.xml", std::string(kCap, 'e'), 8},
        {"over.png", std::string(kCap + 1, 'o'), 8},
        [] { Entry e("broken.xml", "<x/>", 0); e.corruptLocalSignature = true; return e; }(),
    }, "prefix", std::string(2000, 'c'));
    CPaintManagerUI::SetResourcePath((Folder() + L"skin").c_str());
    CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned int>(bytes.size()), L"");
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip().GetData(), L"membuffer");
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    ASSERT_NE(CPaintManagerUI::GetResourceZipHandle(), nullptr);

    CUIString error;
    EXPECT_EQ(Read(L"MainFrame.xml", &error), "<Window size=\"650,416\"/>");
    EXPECT_EQ(Read(L"MainFrame.xml", &error), "<Window size=\"650,416\"/>") << "a second lookup reads it again";
    EXPECT_EQ(Read(L"lang\\chinesesimplified\\mainframe.LNG", &error), "<Language/>");
    EXPECT_EQ(Read(L"exact.xml", &error).size(), kCap);
    struct Case {
        const wchar_t* name;
        const wchar_t* error;
    } cases[] = {
        {L"Lang/", L"File is empty"},
        {L"over.png", L"File too large"},
        {L"nothere.xml", L"Could not find ziped file"},
        {L"broken.xml", L"Could not unzip file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_EQ(Read(c.name, &error), "<failed>");
        EXPECT_STREQ(error.GetData(), c.error);
    }
    EXPECT_EQ(ReadData(L"over.png").size(), kCap + 1);

    // The first memory archive stays; zip mode never falls back to the folder.
    static std::string other = Build({{"other.xml", "<o/>", 0}});
    CPaintManagerUI::SetResourceZip(other.data(), static_cast<unsigned int>(other.size()), L"");
    EXPECT_EQ(Read(L"MainFrame.xml", &error), "<Window size=\"650,416\"/>");
    WriteFile("skin/other.xml", "<o/>");
    EXPECT_EQ(Read(L"other.xml", &error), "<failed>");
}

TEST_F(SkinTest, ZipFileOnDiskCachedOrPerLookup)
{
    WriteFile("skin/skin.zip", Build({{"a.xml", "<a/>", 8}, {"s.xml", "<s/>", 8, "pw"}}));
    WriteFile("skin/junk.zip", "not an archive");
    CPaintManagerUI::SetResourcePath((Folder() + L"skin").c_str());
    for (bool cached : {true, false}) {
        SCOPED_TRACE(cached);
        CPaintManagerUI::SetResourceZip(L"skin.zip", cached, L"pw");
        EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle() != nullptr, cached);
        CUIString error;
        EXPECT_EQ(Read(L"A.XML", &error), "<a/>");
        EXPECT_EQ(Read(L"s.xml", &error), "<s/>");
        EXPECT_EQ(Read(L"missing.xml", &error), "<failed>");
        EXPECT_STREQ(error.GetData(), L"Could not find ziped file");
        // The same settings again change nothing.
        ZipArchive* before = CPaintManagerUI::GetResourceZipHandle();
        CPaintManagerUI::SetResourceZip(L"skin.zip", cached, L"pw");
        EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), before);
    }
    CUIString error;
    CPaintManagerUI::SetResourceZip(L"skin.zip", true, L"wrong");
    EXPECT_EQ(Read(L"s.xml", &error), "<failed>");
    EXPECT_STREQ(error.GetData(), L"Could not unzip file");
    for (const wchar_t* name : {L"junk.zip", L"absent.zip"}) {
        for (bool cached : {true, false}) {
            CPaintManagerUI::SetResourceZip(name, cached, nullptr);
            EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
            EXPECT_EQ(Read(L"a.xml", &error), "<failed>");
            EXPECT_STREQ(error.GetData(), L"Error opening zip file");
        }
    }
}

TEST_F(SkinTest, InstancePathAndResourceModule)
{
    EXPECT_STREQ(CPaintManagerUI::GetInstancePath().GetData(), L"");
    HINSTANCE self = GetModuleHandleW(nullptr);
    CPaintManagerUI::SetInstance(self);
    CUIString path = CPaintManagerUI::GetInstancePath();
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.GetAt(path.GetLength() - 1), L'\\');
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), self);
    CPaintManagerUI::SetInstance(nullptr);
}

TEST_F(SkinTest, DataReadingOfModuleResources)
{
    static const char bytes[] = "resource bytes";
    uiplatform::RegisterResource(L"PNG", L"logo.png", bytes, sizeof bytes - 1);
    SkinFileData data;
    ASSERT_TRUE(ReadSkinResource(L"logo.png", L"PNG", nullptr, data));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.bytes.get()), data.size), "resource bytes");
    EXPECT_EQ(data.bytes[data.size], 0);
    // A missing resource falls back to the name as a path; a missing id has no fallback.
    WriteFile("pic.png", "from disk");
    ASSERT_TRUE(ReadSkinResource((Folder() + L"pic.png").c_str(), L"PNG", nullptr, data));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.bytes.get()), data.size), "from disk");
    EXPECT_FALSE(ReadSkinResource(STRINGorID(4711u), L"PNG", nullptr, data));
    EXPECT_FALSE(ReadSkinResource(L"nowhere.png", L"PNG", nullptr, data));

    CUIString before = CPaintManagerUI::GetCurrentPath();
    CPaintManagerUI::SetCurrentPath(Folder().c_str());
    EXPECT_EQ(ReadData(L"pic.png"), "from disk") << "relative to the current directory";
    CPaintManagerUI::SetCurrentPath(before);
}
