#include <gtest/gtest.h>

#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIManager.h"

namespace {

struct ColorCase {
    const wchar_t* name;
    const wchar_t* value;
    DWORD expected;
};

DWORD ReadBack(CControlUI& c, const wchar_t* name)
{
    if (wcscmp(name, L"bkcolor") == 0 || wcscmp(name, L"bkcolor1") == 0) return c.GetBkColor();
    if (wcscmp(name, L"bkcolor2") == 0) return c.GetBkColor2();
    if (wcscmp(name, L"forecolor") == 0) return c.GetForeColor();
    if (wcscmp(name, L"bordercolor") == 0) return c.GetBorderColor();
    if (wcscmp(name, L"hotbkcolor") == 0) return c.GetHotBkColor();
    return 0xDEADBEEF;
}

TEST(ControlAttributes, ColoursKeepAlphaAsWrittenAndSkipBlanksOnlyForFills)
{
    const ColorCase cases[] = {
        {L"bkcolor", L"0xffffff", 0x00FFFFFF},        // six digits: alpha 0
        {L"bkcolor", L"#FFFFFFFF", 0xFFFFFFFF},       // opaque white
        {L"bkcolor", L"  #FF112233", 0xFF112233},     // blanks before "#" skipped for fills
        {L"bordercolor", L"  #FF112233", 0},          // ...but not for borders
        {L"forecolor", L"#FF223360", 0xFF223360},
        {L"bkcolor2", L"5078DEF", 0x05078DEF},
        {L"hotbkcolor", L"#zz", 0},                   // no digits
        {L"bkcolor", L"#FFFFFFFFFF", 0xFFFFFFFF},     // too large clamps like the 32-bit reader
        {L"bordercolor", L"0xFFD1D1D1", 0xFFD1D1D1},
    };
    for (const ColorCase& c : cases) {
        CControlUI control;
        control.SetAttribute(c.name, c.value);
        EXPECT_EQ(ReadBack(control, c.name), c.expected) << c.name << "=" << c.value;
    }
}

TEST(ControlAttributes, PosWidthAndPercentRules)
{
    CControlUI a;
    a.SetAttribute(L"width", L"160");
    a.SetAttribute(L"pos", L"0,0,160,0");
    EXPECT_EQ(a.GetFixedWidth(), 160);
    EXPECT_EQ(a.GetFixedHeight(), 0);

    CControlUI b;
    b.SetAttribute(L"pos", L"-1,-1,20,30");
    EXPECT_EQ(b.GetFixedXY().cx, 20);
    EXPECT_EQ(b.GetFixedXY().cy, 30);
    EXPECT_EQ(b.GetFixedWidth(), 21);
    EXPECT_EQ(b.GetFixedHeight(), 31);

    CControlUI c;
    c.SetAttribute(L"pos", L"10,20"); // missing numbers read as 0: width -10 is ignored
    EXPECT_EQ(c.GetFixedXY().cx, 10);
    EXPECT_EQ(c.GetFixedWidth(), 0);
    EXPECT_EQ(c.GetFixedHeight(), 0);

    CControlUI d;
    d.SetFixedWidth(30);
    d.SetFixedWidth(-5);
    EXPECT_EQ(d.GetFixedWidth(), 30);
    d.SetFixedWidthPercent(40);
    d.SetFixedWidthPercent(101);
    EXPECT_EQ(d.GetFixedWidthPercent(), 40);
    d.SetAttribute(L"minwidth", L"-3");
    EXPECT_EQ(d.GetMinWidth(), 0);
    EXPECT_EQ(d.GetMaxWidth(), 9999);
    d.SetAttribute(L"padding", L"1,2,3");
    RECT pad = d.GetPadding();
    EXPECT_EQ(pad.left, 1);
    EXPECT_EQ(pad.top, 2);
    EXPECT_EQ(pad.right, 3);
    EXPECT_EQ(pad.bottom, 0);
}

TEST(ControlAttributes, BoolsAreTrueOnlyForTheWordTrue)
{
    CControlUI c;
    c.SetAttribute(L"visible", L"TRUE");
    EXPECT_TRUE(c.IsVisible());
    c.SetAttribute(L"visible", L"1");
    EXPECT_FALSE(c.IsVisible());
    c.SetAttribute(L"VISIBLE", L"true"); // attribute names ignore letter case
    EXPECT_TRUE(c.IsVisible());
    c.SetAttribute(L"mouse", L"false");
    EXPECT_FALSE(c.IsMouseEnabled());
    c.SetAttribute(L"enabled", L"yes");
    EXPECT_FALSE(c.IsEnabled());
}

TEST(ControlAttributes, FloatForms)
{
    CControlUI c;
    c.SetAttribute(L"float", L"0.5,0.25,1,1");
    EXPECT_TRUE(c.IsFloat());
    EXPECT_DOUBLE_EQ(c.GetFloatPercent().left, 0.5);
    EXPECT_DOUBLE_EQ(c.GetFloatPercent().top, 0.25);
    EXPECT_DOUBLE_EQ(c.GetFloatPercent().right, 1.0);

    c.SetAttribute(L"float", L"false");
    EXPECT_FALSE(c.IsFloat());
    c.SetAttribute(L"floatpercent", L"10,20,30,40");
    EXPECT_DOUBLE_EQ(c.GetFloatPercent().bottom, 0.4);
    EXPECT_FALSE(c.IsFloat());

    c.SetAttribute(L"floatalign", L"right,bottom");
    EXPECT_EQ(c.GetFloatAlign(), UIALIGN_RIGHT | UIALIGN_BOTTOM);
    c.SetAttribute(L"floatalign", L"CENTER vcenter");
    EXPECT_EQ(c.GetFloatAlign(), UIALIGN_CENTER | UIALIGN_VCENTER);
    c.SetAttribute(L"floatalign", L"left bogus");
    EXPECT_EQ(c.GetFloatAlign(), UIALIGN_VCENTER);
    c.SetAttribute(L"floatvalign", L"bottom");
    EXPECT_EQ(c.GetFloatAlign(), UIALIGN_BOTTOM);
    c.SetAttribute(L"floatvalign", L"middle"); // no known word: unchanged
    EXPECT_EQ(c.GetFloatAlign(), UIALIGN_BOTTOM);
    c.SetAttribute(L"floatalign", L"null");
    EXPECT_EQ(c.GetFloatAlign(), 0u);
    c.SetAttribute(L"floatposition", L"25,50");
    EXPECT_EQ(c.GetFloatPosition().x, 25);
    EXPECT_EQ(c.GetFloatPosition().y, 50);
}

TEST(ControlAttributes, BordersCursorsAndEnumerations)
{
    CControlUI c;
    c.SetAttribute(L"bordersize", L"1,2,3,4");
    EXPECT_EQ(c.GetBorderSize(), 0);
    EXPECT_EQ(c.GetBottomBorderSize(), 4);
    c.SetAttribute(L"bordersize", L"2");
    EXPECT_EQ(c.GetBorderSize(), 2);
    EXPECT_EQ(c.GetLeftBorderSize(), 0);
    EXPECT_EQ(c.GetBottomBorderSize(), 0);
    c.SetAttribute(L"leftbordersize", L"1");
    EXPECT_EQ(c.GetLeftBorderSize(), 1);
    c.SetAttribute(L"borderround", L"5,6");
    EXPECT_EQ(c.GetBorderRound().cx, 5);
    EXPECT_EQ(c.GetBorderRound().cy, 6);

    c.SetAttribute(L"cursor", L"hand");
    EXPECT_EQ(c.GetCursor(), 32649);
    c.SetAttribute(L"cursor", L"nosuchcursor");
    EXPECT_EQ(c.GetCursor(), 32649);
    c.SetAttribute(L"cursor", L"SIZEWE");
    EXPECT_EQ(c.GetCursor(), 32644);

    c.SetAttribute(L"animation", L"scalesize");
    EXPECT_EQ(c.GetAnimation(), 5);
    c.SetAttribute(L"animation", L"spin");
    EXPECT_EQ(c.GetAnimation(), 5);
    c.SetAttribute(L"shortcut", L"Xy");
    EXPECT_EQ(c.GetShortcut(), L'X');
    c.SetAttribute(L"shortcut", L"");
    EXPECT_EQ(c.GetShortcut(), L'\0');
}

TEST(ControlAttributes, UnknownNamesBecomeCustomAttributesFirstValueKept)
{
    CControlUI c;
    c.SetAttribute(L"corser", L"hand");
    c.SetAttribute(L"corser", L"arrow");
    c.SetAttribute(L"vaule", L"");
    ASSERT_NE(c.GetCustomAttribute(L"corser"), nullptr);
    EXPECT_STREQ(c.GetCustomAttribute(L"corser"), L"hand");
    EXPECT_EQ(c.GetCustomAttribute(L"vaule"), nullptr); // empty values are not stored
    // Script hooks are consumed even without a script engine.
    c.SetAttribute(L"OnInit", L"handler");
    EXPECT_EQ(c.GetCustomAttribute(L"OnInit"), nullptr);
    c.SetAttribute(L"oninit", L"handler"); // hook names are case-sensitive
    EXPECT_STREQ(c.GetCustomAttribute(L"oninit"), L"handler");
    EXPECT_TRUE(c.RemoveCustomAttribute(L"corser"));
    EXPECT_FALSE(c.RemoveCustomAttribute(L"corser"));
    c.RemoveAllCustomAttribute();
    EXPECT_EQ(c.GetCustomAttribute(L"oninit"), nullptr);
}

TEST(ControlText, LineBreakMarkersAndTooltips)
{
    CControlUI c;
    c.SetText(L"a{\\n}b");
    EXPECT_STREQ(c.GetText().GetData(), L"a\nb");
    c.SetTextN(-42);
    EXPECT_EQ(c.GetTextN(), -42);
    c.SetTextV(L"%s=%d", L"x", 7);
    EXPECT_STREQ(c.GetText().GetData(), L"x=7");
    c.SetToolTip(L"one<n>two");
    EXPECT_STREQ(c.GetToolTip().GetData(), L"one\r\ntwo");
    c.SetToolTip(nullptr);
    EXPECT_TRUE(c.GetToolTip().IsEmpty());
}

TEST(ControlAttributes, AttributeListsKeepNestedQuotes)
{
    CControlUI c;
    c.ApplyAttributeList(L"bkimage=\"file='a.png' source='0,0,14,14'\" width=\"20\",height=&quot;30&quot;");
    EXPECT_STREQ(c.GetBkImage().GetData(), L"file='a.png' source='0,0,14,14'");
    EXPECT_EQ(c.GetFixedWidth(), 20);
    EXPECT_EQ(c.GetFixedHeight(), 30);

    CControlUI d;
    d.ApplyAttributeList(L"width=\"5\"  height=\"6\""); // two blanks: the second is part of the next name
    EXPECT_EQ(d.GetFixedWidth(), 5);
    EXPECT_EQ(d.GetFixedHeight(), 0);
    EXPECT_STREQ(d.GetCustomAttribute(L" height"), L"6");

    CControlUI e;
    e.ApplyAttributeList(L"width=7 height=\"8\""); // a value must be quoted
    EXPECT_EQ(e.GetFixedWidth(), 0);
    e.ApplyAttributeList(L"width=\"9\";height=\"8\""); // a bad separator ends the list
    EXPECT_EQ(e.GetFixedWidth(), 9);
    EXPECT_EQ(e.GetFixedHeight(), 0);
    e.ApplyAttributeList(L"width=\"11"); // unterminated value: nothing set
    EXPECT_EQ(e.GetFixedWidth(), 9);

    CControlUI f;
    f.SetAttribute(L"innerstyle", L"width=&quot;12&quot; text=&quot;hi&quot;");
    EXPECT_EQ(f.GetFixedWidth(), 12);
    EXPECT_STREQ(f.GetText().GetData(), L"hi");
}

TEST(ControlAttributes, StyleValuesApplyTheStyleWhateverTheName)
{
    CPaintManagerUI pm;
    pm.AddStyle(L"big", L"width=\"100\" height=\"50\"");
    pm.AddStyle(L"loop", L"text=\"loop\"");          // applies itself through its own value
    pm.AddStyle(L"a", L"x=\"b\"");                    // a -> b -> a ...
    pm.AddStyle(L"b", L"y=\"a\"");
    CControlUI c;
    c.SetManager(&pm, nullptr, false);
    c.SetAttribute(L"style", L"big");
    EXPECT_EQ(c.GetFixedWidth(), 100);
    EXPECT_EQ(c.GetFixedHeight(), 50);
    c.SetAttribute(L"text", L"big"); // the value names a style: the text stays
    EXPECT_TRUE(c.GetText().IsEmpty());
    c.SetAttribute(L"style", L"nosuchstyle");
    EXPECT_STREQ(c.GetCustomAttribute(L"style"), L"nosuchstyle");
    // Styles that refer to themselves end instead of recursing without limit.
    c.SetAttribute(L"text", L"loop");
    c.ApplyAttributeList(L"a");
    c.SetManager(nullptr, nullptr, false);
    // Without a manager, style names are plain values.
    c.SetAttribute(L"text", L"big");
    EXPECT_STREQ(c.GetText().GetData(), L"big");
}

TEST(ControlIdentity, InterfacesAndClassNames)
{
    CControlUI c;
    CContainerUI box;
    EXPECT_STREQ(c.GetClass(), L"ControlUI");
    EXPECT_EQ(c.GetInterface(L"control"), &c);
    EXPECT_EQ(c.GetInterface(L"Container"), nullptr);
    EXPECT_STREQ(box.GetClass(), L"ContainerUI");
    EXPECT_EQ(box.GetInterface(L"Container"), &box);
    EXPECT_EQ(box.GetInterface(L"IContainer"), static_cast<IContainerUI*>(&box));
    EXPECT_EQ(box.GetInterface(L"Control"), static_cast<CControlUI*>(&box));
    EXPECT_EQ(c.GetControlFlags(), 0u);
}

struct Recorder {
    std::vector<int>* log;
    int id;
    bool result;
    bool Handle(void*)
    {
        log->push_back(id);
        return result;
    }
};

std::vector<int>* g_staticLog = nullptr;
bool StaticHandler(void* p)
{
    g_staticLog->push_back(*static_cast<int*>(p));
    return true;
}

TEST(EventSource, FiresInOrderStopsAtFalseAndIgnoresDuplicates)
{
    std::vector<int> log;
    Recorder a{&log, 1, true}, b{&log, 2, false}, c{&log, 3, true};
    CEventSource source;
    EXPECT_FALSE(static_cast<bool>(source));
    EXPECT_TRUE(source(nullptr)); // empty fires true
    source += MakeDelegate(&a, &Recorder::Handle);
    source += MakeDelegate(&a, &Recorder::Handle); // equal: not added twice
    source += MakeDelegate(&b, &Recorder::Handle);
    source += MakeDelegate(&c, &Recorder::Handle);
    EXPECT_TRUE(static_cast<bool>(source));
    EXPECT_FALSE(source(nullptr));
    EXPECT_EQ(log, (std::vector<int>{1, 2}));

    log.clear();
    source -= MakeDelegate(&b, &Recorder::Handle);
    EXPECT_TRUE(source(nullptr));
    EXPECT_EQ(log, (std::vector<int>{1, 3}));

    g_staticLog = &log;
    log.clear();
    source.Clear();
    source += StaticHandler;
    source += StaticHandler;
    int value = 9;
    EXPECT_TRUE(source(&value));
    EXPECT_EQ(log, (std::vector<int>{9}));
    source -= StaticHandler;
    EXPECT_FALSE(static_cast<bool>(source));
}

TEST(ControlLifecycle, InitRunsOnAttachWithParentAndDestroyFires)
{
    std::vector<int> log;
    Recorder init{&log, 1, true}, destroy{&log, 2, true};
    CContainerUI parent;
    {
        CControlUI* child = new CControlUI();
        child->OnInit += MakeDelegate(&init, &Recorder::Handle);
        child->OnDestroy += MakeDelegate(&destroy, &Recorder::Handle);
        child->SetManager(nullptr, &parent, false);
        EXPECT_TRUE(log.empty());
        child->SetManager(nullptr, nullptr, true); // no parent: no Init
        EXPECT_TRUE(log.empty());
        child->SetManager(nullptr, &parent, true);
        EXPECT_EQ(log, (std::vector<int>{1}));
        delete child;
    }
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST(ControlGeometry, SetPosNormalisesAndRelativePosUsesParent)
{
    CContainerUI parent;
    parent.SetPos(RECT{10, 20, 110, 220});
    CControlUI* child = new CControlUI();
    parent.Add(child);
    parent.SetManager(nullptr, nullptr, false); // links the child to its parent
    child->SetPos(RECT{50, 60, 40, 30});
    EXPECT_EQ(child->GetPos().right, 50);
    EXPECT_EQ(child->GetPos().bottom, 60);
    EXPECT_EQ(child->GetWidth(), 0);
    child->SetPos(RECT{15, 25, 35, 45});
    RECT rel = child->GetRelativePos();
    EXPECT_EQ(rel.left, 5);
    EXPECT_EQ(rel.top, 5);
    EXPECT_EQ(rel.right, 25);
    EXPECT_EQ(rel.bottom, 25);
    CControlUI lone;
    EXPECT_EQ(lone.GetRelativePos().right, 0);
    child->Move(SIZE{3, 4});
    EXPECT_EQ(child->GetFixedXY().cx, 3);
    EXPECT_EQ(child->GetFixedXY().cy, 4);
}

CControlUI* FindAny(CControlUI* p, LPVOID) { return p; }

TEST(ControlFind, FlagsFilterVisibleEnabledAndHitTest)
{
    CControlUI c;
    c.SetPos(RECT{0, 0, 10, 10});
    POINT inside{5, 5}, outside{10, 5};
    EXPECT_EQ(c.FindControl(FindAny, &inside, UIFIND_HITTEST), &c);
    EXPECT_EQ(c.FindControl(FindAny, &outside, UIFIND_HITTEST), nullptr);
    c.SetMouseEnabled(false);
    EXPECT_EQ(c.FindControl(FindAny, &inside, UIFIND_HITTEST), nullptr);
    EXPECT_EQ(c.FindControl(FindAny, nullptr, UIFIND_ALL), &c);
    c.SetEnabled(false);
    EXPECT_EQ(c.FindControl(FindAny, nullptr, UIFIND_ENABLED), nullptr);
    c.SetVisible(false);
    EXPECT_EQ(c.FindControl(FindAny, nullptr, UIFIND_VISIBLE), nullptr);
    EXPECT_EQ(c.FindControl(FindAny, nullptr, UIFIND_ALL), &c);
}

} // namespace
