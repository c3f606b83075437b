#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"
#include "ui/markup/UIControlFactory.h"
#include "ui/markup/UIDlgBuilder.h"
#include "ui/markup/UILanguage.h"
#include "ui/platform/host.h"

#include <filesystem>
#include <stdlib.h>

namespace {

// Stand-ins for the leaf classes the installer's markup names (labels, buttons,
// options, progress bars, rich edit boxes). They are offered through the plug-in
// creators, so the builder reaches them the way it reaches any plug-in class. Their
// width estimate is 8 pixels per character of their text when "autocalcwidth" is on.
class StandIn : public CControlUI {
public:
    explicit StandIn(const std::wstring& kind) : m_kind(kind) { s_created.push_back(kind); s_live++; }
    ~StandIn() override { s_live--; }
    LPCTSTR GetClass() const override { return m_kind.c_str(); }
    SIZE EstimateSize(SIZE szAvailable) override
    {
        SIZE sz = CControlUI::EstimateSize(szAvailable);
        if (sz.cx == 0 && IsAutoCalcWidth()) sz.cx = 8 * GetText().GetLength();
        return sz;
    }

    static std::vector<std::wstring> s_created;
    static int s_live;
    // Set by tests that check what the manager held when the first control was made.
    static CPaintManagerUI* s_manager;
    static int s_fontsAtFirstCreate;
    static bool s_styleAtFirstCreate;

private:
    std::wstring m_kind;
};

std::vector<std::wstring> StandIn::s_created;
int StandIn::s_live = 0;
CPaintManagerUI* StandIn::s_manager = nullptr;
int StandIn::s_fontsAtFirstCreate = -1;
bool StandIn::s_styleAtFirstCreate = false;

CControlUI* CreateStandIn(LPCTSTR pstrType)
{
    static const wchar_t* const kKinds[] = {L"Label", L"Button", L"Option", L"Progress", L"RichEdit", L"Tracked"};
    for (const wchar_t* kind : kKinds) {
        if (wcscmp(pstrType, kind) == 0) {
            if (StandIn::s_manager != nullptr && StandIn::s_fontsAtFirstCreate < 0) {
                StandIn::s_fontsAtFirstCreate = StandIn::s_manager->GetCustomFontCount();
                StandIn::s_styleAtFirstCreate = StandIn::s_manager->GetStyle(L"option_outfile_ext_style") != nullptr;
            }
            return new StandIn(kind);
        }
    }
    return nullptr;
}

void RegisterStandIns()
{
    CStdPtrArray* plugins = CPaintManagerUI::GetPlugins();
    LPVOID fn = reinterpret_cast<LPVOID>(&CreateStandIn);
    if (plugins->Find(fn) < 0) plugins->Add(fn);
}

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Message boxes must be recorded, never shown.
        uiplatform::host::SelectBackend(uiplatform::host::Backend::Headless);
        RegisterStandIns();
        StandIn::s_created.clear();
        StandIn::s_manager = nullptr;
        StandIn::s_fontsAtFirstCreate = -1;
    }
    void TearDown() override
    {
        delete m_root;
        CPaintManagerUI::RemoveAllSharedResources();
    }

    CControlUI* Build(const wchar_t* markup, IDialogBuilderCallback* callback = nullptr)
    {
        CDialogBuilder builder;
        delete m_root;
        m_root = builder.Create(STRINGorID(markup), nullptr, callback, &m_pm, nullptr);
        return m_root;
    }

    CPaintManagerUI m_pm;
    CControlUI* m_root = nullptr;
};

CControlUI* FindNamedProc(CControlUI* p, LPVOID name)
{
    return p->GetName() == static_cast<LPCTSTR>(name) ? p : nullptr;
}

CControlUI* Find(CControlUI* root, const wchar_t* name)
{
    return root->FindControl(FindNamedProc, const_cast<wchar_t*>(name), UIFIND_ALL);
}

CContainerUI* AsContainer(CControlUI* c) { return static_cast<CContainerUI*>(c->GetInterface(L"Container")); }

TEST_F(BuilderTest, ElementNamesIgnoreCaseAttributeNamesDoNot)
{
    CControlUI* root = Build(L"<window><FONT id=\"2\" name=\"A\" size=\"9\" /><Font ID=\"3\" name=\"B\" />"
                             L"<Font name=\"C\" default=\"true\" />"
                             L"<verticallayout name=\"top\"><CONTROL name=\"x\" WIDTH=\"40\" /></verticallayout></window>");
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetClass(), L"VerticalLayoutUI");
    ASSERT_EQ(AsContainer(root)->GetCount(), 1);
    CControlUI* x = AsContainer(root)->GetItemAt(0);
    EXPECT_STREQ(x->GetClass(), L"ControlUI");
    EXPECT_EQ(x->GetFixedWidth(), 40); // control attribute names ignore case
    EXPECT_EQ(m_pm.GetCustomFontCount(), 1);
    EXPECT_STREQ(m_pm.GetFontInfo(2)->sFontName.GetData(), L"A");
    EXPECT_EQ(m_pm.GetFontInfo(2)->iSize, 9);
    // "ID" is not "id": that font stays at id -1 and registers nothing; a default
    // font without an id registers nothing either.
    EXPECT_TRUE(m_pm.GetDefaultFontInfo()->sFontName != L"C");
}

TEST_F(BuilderTest, DefaultListsApplyFirstThenStyleThenOwnAttributes)
{
    CControlUI* root = Build(
        L"<Window><Default name=\"Control\" value=\"width=&quot;10&quot; height=&quot;20&quot; text=&quot;d&quot;\" />"
        L"<Style name=\"tall\" value=\"height=&quot;70&quot;\" />"
        L"<Style name=\"wide\" value=\"width=&quot;55&quot;\" />"
        L"<HorizontalLayout>"
        L"<Control name=\"a\" height=\"30\" />"
        L"<Control name=\"b\" height=\"31\" style=\"tall\" />"
        L"<control name=\"c\" />"
        L"<Control name=\"d\" text=\"wide\" />"
        L"</HorizontalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CControlUI* a = Find(root, L"a");
    EXPECT_EQ(a->GetFixedWidth(), 10);
    EXPECT_EQ(a->GetFixedHeight(), 30);
    EXPECT_STREQ(a->GetText().GetData(), L"d");
    // The style comes before the element's own attributes even when written after them.
    CControlUI* b = Find(root, L"b");
    EXPECT_EQ(b->GetFixedHeight(), 31);
    // Default lists are matched with the element name as written.
    CControlUI* c = Find(root, L"c");
    EXPECT_EQ(c->GetFixedWidth(), 0);
    // A value that names a style applies it, whatever the attribute.
    CControlUI* d = Find(root, L"d");
    EXPECT_EQ(d->GetFixedWidth(), 55);
    EXPECT_STREQ(d->GetText().GetData(), L"d");
    // The manager is attached only while attributes are applied.
    EXPECT_EQ(a->GetManager(), nullptr);
    EXPECT_EQ(root->GetManager(), nullptr);
}

TEST_F(BuilderTest, IncludesBuildTheirSourceCountTimes)
{
    CControlUI* root = Build(L"<Window><VerticalLayout>"
                             L"<Include source=\"&lt;Window&gt;&lt;Control name=&quot;inc&quot; /&gt;&lt;/Window&gt;\" count=\"3\" />"
                             L"<Include source=\"&lt;Window&gt;&lt;Control /&gt;&lt;/Window&gt;\" count=\"0\" />"
                             L"<Include count=\"2\" />"
                             L"<Include source=\"&lt;Window&gt;&lt;Control name=&quot;once&quot; /&gt;&lt;/Window&gt;\" />"
                             L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CContainerUI* box = AsContainer(root);
    ASSERT_EQ(box->GetCount(), 4);
    for (int i = 0; i < 3; i++) EXPECT_TRUE(box->GetItemAt(i)->GetName() == L"inc");
    EXPECT_TRUE(box->GetItemAt(3)->GetName() == L"once");
}

TEST_F(BuilderTest, AControlInsideALeafIsDestroyedAndItsSiblingsSkipped)
{
    CControlUI* root = Build(L"<Window><VerticalLayout>"
                             L"<Label name=\"lbl\" text=\"t\"><Tracked name=\"n1\" /><Tracked name=\"n2\" /></Label>"
                             L"<Control name=\"after\" />"
                             L"</VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    CContainerUI* box = AsContainer(root);
    ASSERT_EQ(box->GetCount(), 2);
    EXPECT_TRUE(box->GetItemAt(0)->GetName() == L"lbl");
    EXPECT_TRUE(box->GetItemAt(1)->GetName() == L"after");
    // The label and the first nested control were created; the nested one was destroyed
    // and its sibling never built.
    EXPECT_EQ(StandIn::s_created, (std::vector<std::wstring>{L"Label", L"Tracked"}));
    EXPECT_EQ(StandIn::s_live, 1);
}

TEST_F(BuilderTest, OnlyTheFirstTopLevelControlSurvives)
{
    CControlUI* root = Build(L"<Window><Tracked name=\"first\" /><Tracked name=\"second\" /></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->GetName() == L"first");
    EXPECT_EQ(StandIn::s_created.size(), 2u);
    EXPECT_EQ(StandIn::s_live, 1);
}

TEST_F(BuilderTest, BadMarkupAndParentsWithoutContainerFail)
{
    EXPECT_EQ(Build(L"<Window><VerticalLayout></Window>"), nullptr);
    EXPECT_EQ(Build(L"<!-- nothing -->"), nullptr);
    EXPECT_EQ(Build(L""), nullptr);
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(STRINGorID(L"<Window><Control/></Window>"), nullptr, nullptr, nullptr, nullptr), nullptr);

    CControlUI leaf;
    CDialogBuilder builder2;
    EXPECT_EQ(builder2.Create(STRINGorID(L"<Window><Tracked /><Tracked /></Window>"), nullptr, nullptr, &m_pm, &leaf),
              nullptr);
    EXPECT_EQ(StandIn::s_live, 0);
}

struct Callback : IDialogBuilderCallback {
    std::vector<std::wstring> asked;
    CControlUI* CreateControl(LPCTSTR pstrClass) override
    {
        asked.push_back(pstrClass);
        if (wcscmp(pstrClass, L"Custom") == 0) {
            CControlUI* c = new CControlUI();
            c->SetName(L"from-callback");
            return c;
        }
        return nullptr;
    }
};

TEST_F(BuilderTest, FactoryThenPluginsThenCallback)
{
    Callback cb;
    CControlUI* root = Build(L"<Window><VerticalLayout><Custom /><Label name=\"l\" /><Control /></VerticalLayout></Window>",
                             &cb);
    ASSERT_NE(root, nullptr);
    CContainerUI* box = AsContainer(root);
    ASSERT_EQ(box->GetCount(), 3);
    EXPECT_TRUE(box->GetItemAt(0)->GetName() == L"from-callback");
    EXPECT_STREQ(box->GetItemAt(1)->GetClass(), L"Label");
    // The callback is asked only for what neither the factory nor a plug-in knows.
    EXPECT_EQ(cb.asked, (std::vector<std::wstring>{L"Custom"}));

    // A class registered with the factory wins; the first registration of a name stays.
    CControlFactory::GetInstance()->RegistControl(L"CControlUI", []() -> CControlUI* { return nullptr; });
    CControlUI* made = CControlFactory::GetInstance()->CreateControl(L"ccontrolui");
    ASSERT_NE(made, nullptr);
    delete made;
    EXPECT_EQ(CControlFactory::GetInstance()->CreateControl(L"CNoSuchUI"), nullptr);
}

TEST_F(BuilderTest, WindowAttributesNeedAWindow)
{
    // Without a window the Window element's settings are left for a later build.
    Build(L"<Window size=\"650,416\" caption=\"0,0,0,416\"><Control /></Window>");
    EXPECT_FALSE(m_pm.IsInitWindowParameter());
    EXPECT_EQ(m_pm.GetInitSize().cx, 0);
}

std::wstring ReadSkin(const char* name)
{
    std::ifstream in(std::string(UI_SKIN_DIR) + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string utf8 = ss.str();
    if (utf8.size() >= 3 && static_cast<unsigned char>(utf8[0]) == 0xEF) utf8 = utf8.substr(3);
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
    return text;
}

struct Expect {
    const wchar_t* name;
    RECT rc;
};

std::string Show(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

void CheckRects(CControlUI* root, const std::vector<Expect>& expected)
{
    for (const Expect& e : expected) {
        CControlUI* c = Find(root, e.name);
        ASSERT_NE(c, nullptr) << "missing " << std::string(e.name, e.name + wcslen(e.name));
        EXPECT_EQ(Show(c->GetPos()), Show(e.rc)) << std::string(e.name, e.name + wcslen(e.name));
    }
}

TEST_F(BuilderTest, MainFrameBuildsFourPagesAndLaysOutAt650x416)
{
    std::wstring markup = ReadSkin("MainFrame.xml");
    StandIn::s_manager = &m_pm;
    CControlUI* root = Build(markup.c_str());
    ASSERT_NE(root, nullptr);

    // Fonts and the style were registered before the first control was created.
    EXPECT_EQ(StandIn::s_fontsAtFirstCreate, 9);
    EXPECT_TRUE(StandIn::s_styleAtFirstCreate);
    EXPECT_EQ(m_pm.GetCustomFontCount(), 9);
    EXPECT_EQ(m_pm.GetFontInfo(3)->iSize, 16);
    EXPECT_TRUE(m_pm.GetFontInfo(3)->bUnderline);
    EXPECT_STREQ(m_pm.GetFontInfo(5)->sFontName.GetData(), L"微软雅黑");
    EXPECT_EQ(m_pm.GetDefaultFontInfo()->iSize, 14);
    EXPECT_EQ(m_pm.GetStyles(true).GetSize(), 1);
    EXPECT_EQ(m_pm.GetStyles(false).GetSize(), 0);

    EXPECT_STREQ(root->GetClass(), L"VerticalLayoutUI");
    EXPECT_EQ(root->GetBkColor(), 0xFFFFFFFFu);
    CContainerUI* pages = AsContainer(root);
    ASSERT_EQ(pages->GetCount(), 4);
    const wchar_t* names[] = {L"page_home", L"page_install", L"page_finished", L"page_fail"};
    for (int i = 0; i < 4; i++) {
        EXPECT_TRUE(pages->GetItemAt(i)->GetName() == names[i]);
        EXPECT_EQ(pages->GetItemAt(i)->IsVisible(), i == 0) << i;
    }

    // The option got its images from the shared style; misspelt attributes are kept.
    CControlUI* opt = Find(root, L"opt_User");
    EXPECT_STREQ(opt->GetCustomAttribute(L"normalimage"),
                 L"file='common_choose.png' source='0,0,14,14' dest='0,0,14,14'");
    EXPECT_STREQ(opt->GetCustomAttribute(L"selectedimage"),
                 L"file='common_choose.png' source='0,56,14,70' dest='0,0,14,14'");
    EXPECT_STREQ(Find(root, L"btn_Install")->GetCustomAttribute(L"corser"), L"hand");
    EXPECT_STREQ(Find(root, L"pro_Percent")->GetCustomAttribute(L"vaule"), L"0");
    EXPECT_FALSE(Find(root, L"pro_Percent")->IsMouseEnabled());
    EXPECT_EQ(Find(root, L"btn_Install")->GetResourceID(), 2);
    EXPECT_STREQ(Find(root, L"edit_Installdir")->GetText().GetData(), L"C:\\Program Files (x86)\\velmio\\Quorvel");

    root->SetManager(nullptr, nullptr, false);
    root->SetPos(RECT{0, 0, 650, 416});
    CheckRects(root, {
                         {L"page_home", {0, 0, 650, 416}},
                         {L"page_home_top", {0, 0, 650, 324}},
                         {L"btn_Close", {616, 20, 630, 34}},
                         {L"lb_AppName", {289, 140, 361, 177}},
                         {L"btn_Install", {245, 211, 405, 251}},
                         {L"opt_User", {20, 282, 76, 302}},
                         {L"btn_User", {76, 282, 156, 302}},
                         {L"page_home_buttom", {0, 354, 650, 416}},
                         {L"lb_Path", {20, 354, 52, 386}},
                         {L"edit_Installdir", {52, 354, 466, 386}},
                         {L"btn_Alter", {486, 354, 560, 386}},
                     });

    // The installing page, once shown, takes the whole window.
    Find(root, L"page_home")->SetVisible(false);
    Find(root, L"page_install")->SetVisible(true);
    root->SetPos(RECT{0, 0, 650, 416});
    CheckRects(root, {
                         {L"page_install", {0, 0, 650, 416}},
                         {L"lb_AppName_1", {56, 20, 128, 46}},
                         {L"lb_Installing", {40, 344, 136, 362}},
                         {L"lb_Percent", {594, 344, 610, 362}},
                         {L"pro_Percent", {40, 374, 610, 384}},
                         {L"lb_OfflineTip", {498, 395, 554, 413}},
                         {L"btn_Offline", {554, 394, 610, 414}},
                     });

    Find(root, L"page_install")->SetVisible(false);
    Find(root, L"page_finished")->SetVisible(true);
    root->SetPos(RECT{0, 0, 650, 416});
    CheckRects(root, {
                         {L"lb_Completed", {0, 190, 650, 230}},
                         {L"lb_TipFinished", {0, 230, 650, 250}},
                         {L"btn_Run", {245, 350, 405, 390}},
                     });

    Find(root, L"page_finished")->SetVisible(false);
    Find(root, L"page_fail")->SetVisible(true);
    root->SetPos(RECT{0, 0, 650, 416});
    CheckRects(root, {
                         {L"lb_AppName_3", {289, 140, 361, 166}},
                         {L"btn_Reinstall", {245, 200, 405, 240}},
                         {L"lb_Fail", {309, 344, 341, 376}},
                         {L"btn_OfflinePatch", {305, 386, 345, 418}},
                     });
}

TEST_F(BuilderTest, MsgWndLaysOutAt400x195)
{
    std::wstring markup = ReadSkin("MsgWnd.xml");
    CControlUI* root = Build(markup.c_str());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(m_pm.GetCustomFontCount(), 2);
    EXPECT_EQ(m_pm.GetDefaultFontInfo()->iSize, 16);
    EXPECT_EQ(root->GetBkColor(), 0xFF223360u);
    ASSERT_EQ(AsContainer(root)->GetCount(), 3);

    root->SetManager(nullptr, nullptr, false);
    root->SetPos(RECT{0, 0, 400, 195});
    CheckRects(root, {
                         {L"appbar", {0, 0, 400, 36}},
                         {L"lb_Title", {10, 7, 26, 29}},
                         {L"btn_Close", {376, 7, 390, 21}},
                         {L"lb_Icon", {131, 61, 179, 109}},
                         {L"lb_Text", {189, 61, 269, 109}},
                         {L"btn_confirm", {120, 145, 230, 185}},
                         {L"btn_cancel", {250, 145, 360, 185}},
                     });
}

// A skin folder on disk with a window markup and its language file.
class SkinFolderTest : public BuilderTest {
protected:
    void SetUp() override
    {
        BuilderTest::SetUp();
        char tmpl[] = "/tmp/controls_skin_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        std::filesystem::create_directories(m_dir / "Lang" / "en");
        Write("Dlg.xml", "<Window><VerticalLayout>"
                         "<Control name=\"a\" text=\"own\" tooltip=\"own tip\" resourceid=\"1\" />"
                         "<Control name=\"b\" text=\"keep\" resourceid=\"2\" />"
                         "<Control name=\"c\" text=\"plain\" />"
                         "<Bogus name=\"x\"><Control name=\"inside\" /></Bogus>"
                         "<Control name=\"after\" />"
                         "</VerticalLayout></Window>");
        Write("Lang/en/Dlg.lng", "<Language><Text id=\"1\" text=\"translated\" tooltip=\"package tip\" />"
                                 "<Text id=\"2\" text=\"\" /></Language>");
        std::wstring path = L"Z:" + m_dir.wstring() + L"/";
        CPaintManagerUI::SetResourcePath(path.c_str());
        CLangManagerUI::SetLanguage(L"Lang\\en", L"en");
    }
    void TearDown() override
    {
        CPaintManagerUI::SetResourcePath(L"");
        std::filesystem::remove_all(m_dir);
        BuilderTest::TearDown();
    }
    void Write(const char* name, const char* text)
    {
        std::ofstream out(m_dir / name, std::ios::binary);
        out << text;
    }

    std::filesystem::path m_dir;
};

TEST_F(SkinFolderTest, TextsComeFromTheLanguagePackageAndUnknownClassesAreReported)
{
    size_t before = uiplatform::host::MessageBoxLog().size();
    CDialogBuilder builder;
    m_root = builder.Create(STRINGorID(L"Dlg.xml"), nullptr, nullptr, &m_pm, nullptr);
    ASSERT_NE(m_root, nullptr);

    // The unknown element was reported once and skipped with its children.
    std::vector<uiplatform::host::MessageBoxRecord> log = uiplatform::host::MessageBoxLog();
    ASSERT_EQ(log.size(), before + 1);
    EXPECT_EQ(log.back().text, L"CDialogBuilder::_Parse Error\r\nFile: Dlg.xml\r\nControl: Bogus");
    EXPECT_EQ(log.back().caption, L"Create Control Failed");
    EXPECT_EQ(log.back().type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(log.back().owner, nullptr);
    EXPECT_EQ(AsContainer(m_root)->GetCount(), 4);
    EXPECT_EQ(Find(m_root, L"inside"), nullptr);
    ASSERT_NE(Find(m_root, L"after"), nullptr);

    CControlUI* a = Find(m_root, L"a");
    CControlUI* b = Find(m_root, L"b");
    CControlUI* c = Find(m_root, L"c");
    EXPECT_STREQ(a->GetSkinFile().GetData(), L"Dlg.xml");
    // Detached from the manager, controls show their own texts.
    EXPECT_STREQ(a->GetText().GetData(), L"own");

    m_root->SetManager(&m_pm, nullptr, false);
    EXPECT_NE(a->GetLangPackage(), nullptr);
    EXPECT_STREQ(a->GetText().GetData(), L"translated");
    EXPECT_STREQ(a->GetToolTip().GetData(), L"package tip");
    a->SetText(L"set later");
    EXPECT_STREQ(a->GetText().GetData(), L"translated"); // a non-empty package text wins
    EXPECT_STREQ(b->GetText().GetData(), L"keep");       // an empty one does not
    EXPECT_STREQ(c->GetText().GetData(), L"plain");      // no resource id
    m_root->SetManager(nullptr, nullptr, false);

    // A second build of the same skin file gets no package: its controls keep their texts.
    CDialogBuilder again;
    CControlUI* second = again.Create(STRINGorID(L"Dlg.xml"), nullptr, nullptr, &m_pm, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(Find(second, L"a")->GetSkinFile().IsEmpty());
    delete second;

    // A missing file fails with the lookup's reason.
    CDialogBuilder missing;
    EXPECT_EQ(missing.Create(STRINGorID(L"Nope.xml"), nullptr, nullptr, &m_pm, nullptr), nullptr);
    EXPECT_FALSE(missing.GetLastErrorMessage().IsEmpty());
}

} // namespace
