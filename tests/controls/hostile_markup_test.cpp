// Hostile window markup: include loops, huge counts, deep nesting and attribute values
// with garbage or extreme numbers. Building and laying out must end, and stay defined.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <climits>
#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"
#include "ui/markup/UIDlgBuilder.h"
#include "ui/platform/host.h"

#include <stdlib.h>

namespace {

class HostileMarkupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uiplatform::host::SelectBackend(uiplatform::host::Backend::Headless);
        char tmpl[] = "/tmp/hostile_markup_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        std::wstring path = L"Z:" + m_dir.wstring() + L"/";
        CPaintManagerUI::SetResourcePath(path.c_str());
    }
    void TearDown() override
    {
        delete m_root;
        CPaintManagerUI::SetResourcePath(L"");
        CPaintManagerUI::RemoveAllSharedResources();
        std::filesystem::remove_all(m_dir);
    }
    void Write(const char* name, const std::string& text) { std::ofstream(m_dir / name, std::ios::binary) << text; }
    CControlUI* Build(const std::wstring& markup)
    {
        CDialogBuilder builder;
        delete m_root;
        m_root = builder.Create(STRINGorID(markup.c_str()), nullptr, nullptr, &m_pm, nullptr);
        return m_root;
    }

    std::filesystem::path m_dir;
    CPaintManagerUI m_pm;
    CControlUI* m_root = nullptr;
};

CContainerUI* AsContainer(CControlUI* c) { return static_cast<CContainerUI*>(c->GetInterface(L"Container")); }

// Depth of the deepest chain of first children.
int Depth(CControlUI* c)
{
    int depth = 0;
    for (CContainerUI* box = AsContainer(c); box != nullptr && box->GetCount() > 0;
         box = AsContainer(box->GetItemAt(0)))
        depth++;
    return depth;
}

int CountAll(CControlUI* c)
{
    int n = 1;
    if (CContainerUI* box = AsContainer(c))
        for (int i = 0; i < box->GetCount(); i++)
            n += CountAll(box->GetItemAt(i));
    return n;
}

} // namespace

TEST_F(HostileMarkupTest, IncludeLoopsAndHugeCountsEnd)
{
    Write("self.xml", "<Window><VerticalLayout><Include source=\"self.xml\" count=\"2\" /></VerticalLayout></Window>");
    Write("ping.xml", "<Window><VerticalLayout><Include source=\"pong.xml\" /></VerticalLayout></Window>");
    Write("pong.xml", "<Window><HorizontalLayout><Include source=\"ping.xml\" /></HorizontalLayout></Window>");
    for (const wchar_t* name : {L"self.xml", L"ping.xml"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        CControlUI* root = Build(name);
        ASSERT_NE(root, nullptr);
        EXPECT_LT(CountAll(root), 5000);
    }
    CControlUI* root = Build(L"<Window><VerticalLayout><Include source=\"&lt;Window&gt;&lt;Control /&gt;&lt;/Window&gt;\" "
                             L"count=\"2000000000\" /></VerticalLayout></Window>");
    ASSERT_NE(root, nullptr);
    int built = AsContainer(root)->GetCount();
    EXPECT_GT(built, 100); // a generous budget, not a silent refusal
    EXPECT_LT(built, 100000);
}

TEST_F(HostileMarkupTest, DeepNestingIsCutNotOverflowed)
{
    std::string markup = "<Window>";
    for (int i = 0; i < 50000; i++)
        markup += "<VerticalLayout>";
    for (int i = 0; i < 50000; i++)
        markup += "</VerticalLayout>";
    markup += "</Window>";
    Write("deep.xml", markup);
    CControlUI* root = Build(L"deep.xml");
    ASSERT_NE(root, nullptr);
    int depth = Depth(root);
    EXPECT_GT(depth, 50);
    EXPECT_LT(depth, 1000);
    root->SetPos(RECT{0, 0, 100, 100}, false);
}

TEST_F(HostileMarkupTest, ExtremeAndGarbageAttributeValuesStayDefined)
{
    static const wchar_t* const kNames[] = {
        L"pos", L"float", L"floatpercent", L"floatposition", L"padding", L"inset", L"childpadding", L"width",
        L"height", L"minwidth", L"minheight", L"maxwidth", L"maxheight", L"widthpercent", L"heightpercent",
        L"bordersize", L"borderround", L"bkcolor", L"bordercolor", L"colorhsl", L"framecount", L"framedelay",
        L"floatalign", L"sepwidth", L"sepheight", L"text", L"tooltip", L"shortcut", L"resourceid", L"bkimage",
        L"gradient", L"cursor", L"innerstyle", L"userdata", L"style"};
    // Values that lay out: garbage, and reals no integer can hold.
    static const wchar_t* const kLaidOut[] = {
        L"", L",,,", L"1e400,-1e400,nan,inf", L"1e300,-1e300,1e300,1e300", L"0.5,0.5,0.5,0.5", L"-0.5,2,nan,1",
        L"#", L"#zzzzzzzz", L"0xFFFFFFFFFFFF", L"-1", L"\x1\x2\x3", L"%s%n%d%ls", L"true,false",
        L"center right bottom", L"1,2,3,4,5,6,7,8,9"};
    // Numbers at the ends of the integer range: read, not laid out.
    static const wchar_t* const kReadOnly[] = {L"-2147483648,-2147483648,2147483647,2147483647",
                                               L"2147483647,2147483647,-2147483648,-2147483648",
                                               L"99999999999999999999,-99999999999999999999,1,2"};
    for (const wchar_t* container : {L"VerticalLayout", L"HorizontalLayout", L"Container"}) {
        for (const wchar_t* name : kNames) {
            for (bool layOut : {true, false}) {
                for (const wchar_t* value : layOut ? std::vector<const wchar_t*>(std::begin(kLaidOut), std::end(kLaidOut))
                                                   : std::vector<const wchar_t*>(std::begin(kReadOnly), std::end(kReadOnly))) {
                    CControlUI* root = Build(std::wstring(L"<Window><") + container + L"><Control /><Control /></" +
                                             container + L"></Window>");
                    ASSERT_NE(root, nullptr);
                    CContainerUI* box = AsContainer(root);
                    box->SetAttribute(name, value);
                    box->GetItemAt(0)->SetAttribute(name, value);
                    box->GetItemAt(1)->SetAttribute(L"float", value);
                    box->GetItemAt(1)->SetAttribute(name, value);
                    if (layOut)
                        root->SetPos(RECT{0, 0, 640, 480}, false);
                }
            }
        }
    }
    // Positions spanning the whole integer range saturate instead of wrapping.
    CControlUI* root = Build(L"<Window><Control pos=\"-2147483648,-2147483648,2147483647,2147483647\" /></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetFixedWidth(), INT_MAX);
    EXPECT_EQ(root->GetFixedHeight(), INT_MAX);
    // A percentage no pixel offset can hold places the control at a bounded offset.
    root = Build(L"<Window><Container><Control float=\"1e300,nan,inf,-1e300\" /></Container></Window>");
    ASSERT_NE(root, nullptr);
    root->SetPos(RECT{0, 0, 640, 480}, false);
    RECT rc = AsContainer(root)->GetItemAt(0)->GetPos();
    EXPECT_EQ(rc.left, 1 << 28);
    EXPECT_EQ(rc.top, 0);
}
