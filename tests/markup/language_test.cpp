#include "tests/markup/markup_test_util.h"
#include "tests/markup/zip_builder.h"
#include "ui/controls/UIControl.h"
#include "ui/markup/UILanguage.h"
#include "ui/markup/UIResourceManager.h"

using ziptest::Build;

namespace {

const char kZhMain[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language>\n"
                       "<Text id=\"1\" text=\"Quorvelio\"/>\n"
                       "<Text id=\"2\" text=\"\xe7\xab\x8b\xe5\x8d\xb3\xe5\xae\x89\xe8\xa3\x85\"/>\n"
                       "<Text id=\"2\" text=\"second entry loses\"/>\n"
                       "<TEXT id=\"5\" tooltip=\"tip only\"/>\n"
                       "<Text id=\"12\" text=\"\"/>\n"
                       "<Text text=\"no id\"/>\n"
                       "<Other id=\"7\" text=\"ignored\"/>\n"
                       "</Language>";
const char kEnMain[] = "<Language><Text id=\"1\" text=\"Compactrix\"/>"
                       "<Text id=\"4\" text=\"<User License Agreement>\"/></Language>";
const char kZhTable[] = "<Language><String id=\"1\" text1=\"\xe4\xbb\x8e\" text2=\"0002\" text3=\"0003\"/>"
                        "<string id=\"1\" text1=\"second\"/></Language>";
const char kEnTable[] =
    "<Language><String id=\"1\" text1=\"Select the folder directory from below:\" text2=\"0002\"/></Language>";

class LanguageTest : public SkinTest {
protected:
    void SetUp() override
    {
        SkinTest::SetUp();
        static const std::string archive = Build({
            {"Lang/ChineseSimplified/MainFrame.lng", kZhMain, 8},
            {"Lang/ChineseSimplified/StringTable.lng", kZhTable, 8},
            {"Lang/English/MainFrame.lng", kEnMain, 8},
            {"Lang/English/StringTable.lng", kEnTable, 0},
            {"Lang/ChineseSimplified/NoExt", "<Language><Text id=\"1\" text=\"from NoExt\"/></Language>", 0},
        });
        CPaintManagerUI::SetResourceZip(const_cast<char*>(archive.data()), static_cast<unsigned int>(archive.size()),
                                        L"");
    }
    void TearDown() override
    {
        CLangManagerUI::SetLanguage(L"", L"");
        SkinTest::TearDown();
    }
};

} // namespace

TEST_F(LanguageTest, StringTableFollowsTheLanguage)
{
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"");
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    EXPECT_STREQ(CLangManagerUI::GetLangName(), L"chs");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"\u4ece") << "the first entry for an id wins";
    EXPECT_STREQ(CLangManagerUI::GetStringExtra(1), L"0002");
    EXPECT_STREQ(CLangManagerUI::GetString(2, L"fallback"), L"");
    CLangManagerUI::SetLanguage(L"Lang\\English\\", L"en"); // no second backslash
    EXPECT_STREQ(CLangManagerUI::GetString(1, L"x"), L"Select the folder directory from below:");
    CLangManagerUI::SetLanguage(L"Lang\\Missing", L"xx");
    EXPECT_STREQ(CLangManagerUI::GetString(1), L"");
}

TEST_F(LanguageTest, PackagesLoadPerSkinFileAndReload)
{
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    CPaintManagerUI pm;
    CLangManagerUI* lang = pm.GetLangManager();
    CLangPackageUI* main = lang->AddPackage(L"MainFrame.xml");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(lang->AddPackage(L"MainFrame.xml"), nullptr) << "a skin file is registered once";
    EXPECT_EQ(lang->GetPackage(L"MainFrame.xml"), main);
    EXPECT_EQ(lang->GetPackage(L"mainframe.xml"), nullptr) << "keys keep their letter case";
    EXPECT_STREQ(main->GetText(1), L"Quorvelio");
    EXPECT_STREQ(main->GetText(2), L"\u7acb\u5373\u5b89\u88c5");
    EXPECT_STREQ(main->GetText(5), L"");
    EXPECT_STREQ(main->GetToolTip(5), L"tip only");
    EXPECT_STREQ(main->GetText(7), L"");
    EXPECT_STREQ(main->GetText(0), L"");
    EXPECT_EQ(main->AddText(1, L"later"), FALSE);

    CLangPackageUI* noExt = lang->AddPackage(L"NoExt");
    ASSERT_NE(noExt, nullptr);
    EXPECT_STREQ(noExt->GetText(1), L"from NoExt");
    CLangPackageUI* msg = lang->AddPackage(L"MsgWnd.xml");
    ASSERT_NE(msg, nullptr) << "a missing language file still registers an empty package";

    CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    EXPECT_STREQ(lang->GetPackage(L"MainFrame.xml")->GetText(1), L"Quorvelio") << "untouched until reloaded";
    lang->ReloadLanguage();
    CLangPackageUI* en = lang->GetPackage(L"MainFrame.xml");
    ASSERT_NE(en, nullptr);
    EXPECT_STREQ(en->GetText(1), L"Compactrix");
    EXPECT_STREQ(en->GetText(4), L"<User License Agreement>");
    EXPECT_NE(lang->GetPackage(L"MsgWnd.xml"), nullptr);

}

TEST_F(LanguageTest, PackageTextWinsOverOwnTextUnlessEmpty)
{
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    CPaintManagerUI pm;
    pm.GetLangManager()->AddPackage(L"MainFrame.xml");
    struct Case {
        const char* what;
        CPaintManagerUI* manager;
        const wchar_t* skin;
        int id;
        UILangText kind;
        const wchar_t* own;
        const wchar_t* shown;
    } cases[] = {
        {"package text", &pm, L"MainFrame.xml", 1, UILangText::Text, L"markup", L"Quorvelio"},
        {"empty package text", &pm, L"MainFrame.xml", 12, UILangText::Text, L"42%", L"42%"},
        {"no such id", &pm, L"MainFrame.xml", 99, UILangText::Text, L"markup", L"markup"},
        {"id 0", &pm, L"MainFrame.xml", 0, UILangText::Text, L"markup", L"markup"},
        {"negative id", &pm, L"MainFrame.xml", -1, UILangText::Text, L"markup", L"markup"},
        {"no manager", nullptr, L"MainFrame.xml", 1, UILangText::Text, L"markup", L"markup"},
        {"no skin file", &pm, L"", 1, UILangText::Text, L"markup", L"markup"},
        {"unregistered skin file", &pm, L"Other.xml", 1, UILangText::Text, L"markup", L"markup"},
        {"tool tip", &pm, L"MainFrame.xml", 5, UILangText::ToolTip, L"own tip", L"tip only"},
        {"tool tip absent", &pm, L"MainFrame.xml", 1, UILangText::ToolTip, L"own tip", L"own tip"},
        {"tip value absent", &pm, L"MainFrame.xml", 1, UILangText::TipValue, L"hint", L"hint"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CUIString shown = UIResolveControlText(c.manager, c.skin, c.id, false, CUIString(c.own), c.kind);
        EXPECT_STREQ(shown.GetData(), c.shown);
    }
    // Resource texts go through the resource manager with the own text as the id.
    CResourceManager::GetInstance()->LoadLanguage(L"<Res><Text id=\"hello\" value=\"Hallo\"/></Res>");
    EXPECT_STREQ(UIResolveControlText(&pm, L"MainFrame.xml", 1, true, CUIString(L"hello")).GetData(), L"Hallo");
    EXPECT_STREQ(UIResolveControlText(&pm, L"MainFrame.xml", 1, true, CUIString(L"other")).GetData(), L"other");
}

namespace {
class Query : public IQueryControlText {
public:
    LPCTSTR QueryControlText(LPCTSTR id, LPCTSTR) override
    {
        calls++;
        m_answer = CUIString(L"q:") + id + (suffix ? L"!" : L"");
        return m_answer;
    }
    int calls = 0;
    bool suffix = false;
    CUIString m_answer;
};
} // namespace

TEST_F(LanguageTest, ResourceManagerAliasesAndTexts)
{
    CResourceManager* rm = CResourceManager::GetInstance();
    EXPECT_EQ(rm, CResourceManager::GetInstance());
    EXPECT_EQ(rm->LoadResource(L"res.xml", nullptr), FALSE) << "the installer's archive has no res.xml";
    EXPECT_EQ(rm->LoadResource(L"<Res><image id=\"logo\" path=\"a.png\"/><Image id=\"logo\" path=\"b.png\"/>"
                               L"<XML id=\"main\" path=\"MainFrame.xml\"/><Image id=\"nopath\"/><Other id=\"o\" "
                               L"path=\"p\"/></Res>",
                               nullptr),
              TRUE);
    EXPECT_STREQ(rm->GetImagePath(L"logo"), L"a.png");
    EXPECT_STREQ(rm->GetXmlPath(L"main"), L"MainFrame.xml");
    EXPECT_EQ(rm->GetImagePath(L"nopath"), nullptr);
    EXPECT_EQ(rm->GetXmlPath(L"o"), nullptr);
    EXPECT_EQ(rm->LoadResource(L"<NoRes/>", nullptr), FALSE);

    EXPECT_STREQ(rm->GetText(L"").GetData(), L"");
    EXPECT_STREQ(rm->GetText(L"unknown").GetData(), L"unknown");
    EXPECT_EQ(rm->LoadLanguage(L"<Res><Text id=\"a\" value=\"1\"/><Text id=\"a\" value=\"2\"/></Res>"), TRUE);
    EXPECT_STREQ(rm->GetText(L"a").GetData(), L"2") << "a later entry replaces an earlier one";

    Query query;
    rm->SetTextQueryInterface(&query);
    EXPECT_STREQ(rm->GetText(L"b").GetData(), L"q:b");
    EXPECT_STREQ(rm->GetText(L"b").GetData(), L"q:b");
    EXPECT_EQ(query.calls, 1) << "the answer is kept";
    query.suffix = true;
    rm->ReloadText();
    EXPECT_STREQ(rm->GetText(L"b").GetData(), L"q:b!");
    EXPECT_STREQ(rm->GetText(L"a").GetData(), L"q:a!");
    rm->SetTextQueryInterface(nullptr);
    rm->ResetResourceMap();
    EXPECT_EQ(rm->GetImagePath(L"logo"), nullptr);
    EXPECT_STREQ(rm->GetText(L"a").GetData(), L"a");
}

TEST_F(LanguageTest, ControlsShowPackageTextsOverTheirOwn)
{
    CLangManagerUI::SetLanguage(L"Lang\\ChineseSimplified", L"chs");
    CPaintManagerUI pm;
    pm.GetLangManager()->AddPackage(L"MainFrame.xml");
    CControlUI name, percent, tip;
    for (CControlUI* c : {&name, &percent, &tip}) {
        c->SetManager(&pm, nullptr, false);
        c->SetSkinFile(L"MainFrame.xml");
    }
    name.SetResourceID(1);
    name.SetText(L"set by the program");
    EXPECT_STREQ(name.GetText().GetData(), L"Quorvelio");
    percent.SetResourceID(12);
    percent.SetText(L"42%");
    EXPECT_STREQ(percent.GetText().GetData(), L"42%");
    tip.SetResourceID(5);
    tip.SetText(L"own");
    tip.SetToolTip(L"own tip");
    EXPECT_STREQ(tip.GetText().GetData(), L"own");
    EXPECT_STREQ(tip.GetToolTip().GetData(), L"tip only");

    CLangManagerUI::SetLanguage(L"Lang\\English", L"en");
    pm.GetLangManager()->ReloadLanguage();
    EXPECT_STREQ(name.GetText().GetData(), L"Compactrix");
}
