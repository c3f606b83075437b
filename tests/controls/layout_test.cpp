#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UIVerticalLayout.h"
#include "ui/core/UIManager.h"

namespace {

// One layout case: a container, its children as attribute lists, and the rectangles
// the children must get.
struct LayoutCase {
    const char* what;
    const wchar_t* kind; // "V", "H" or "C"
    RECT item;
    const wchar_t* attributes;
    std::vector<const wchar_t*> children;
    std::vector<RECT> expected;
};

std::unique_ptr<CContainerUI> MakeContainer(const wchar_t* kind)
{
    if (wcscmp(kind, L"V") == 0) return std::make_unique<CVerticalLayoutUI>();
    if (wcscmp(kind, L"H") == 0) return std::make_unique<CHorizontalLayoutUI>();
    return std::make_unique<CContainerUI>();
}

std::string Show(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

TEST(LinearLayout, PlacesChildrenAtHandComputedRectangles)
{
    const LayoutCase cases[] = {
        {"three stretched children share 100 as 33, 33, 34", L"V", {0, 0, 50, 100}, L"",
         {L"", L"", L""},
         {{0, 0, 50, 33}, {0, 33, 50, 66}, {0, 66, 50, 100}}},
        {"vcenter moves a lone fixed child to y 30", L"V", {0, 0, 50, 100}, L"childvalign=\"vcenter\"",
         {L"height=\"40\""},
         {{0, 30, 50, 70}}},
        {"bottom alignment", L"V", {0, 0, 50, 100}, L"childvalign=\"bottom\"",
         {L"height=\"40\""},
         {{0, 60, 50, 100}}},
        {"a stretched child cancels vertical alignment", L"V", {0, 0, 50, 100}, L"childvalign=\"vcenter\"",
         {L"height=\"40\"", L""},
         {{0, 0, 50, 40}, {0, 40, 50, 100}}},
        {"center ignores the child's side padding", L"V", {0, 0, 100, 100}, L"childalign=\"center\"",
         {L"width=\"20\" height=\"10\" padding=\"10,0,0,0\""},
         {{40, 0, 60, 10}}},
        {"right alignment keeps the right padding", L"V", {0, 0, 100, 100}, L"childalign=\"right\"",
         {L"width=\"20\" height=\"10\" padding=\"0,0,5,0\""},
         {{75, 0, 95, 10}}},
        {"gap only between visible children", L"V", {0, 0, 50, 100}, L"childpadding=\"10\"",
         {L"height=\"20\"", L"height=\"20\" visible=\"false\"", L""},
         {{0, 0, 50, 20}, {0, 0, 0, 0}, {0, 30, 50, 100}}},
        {"height percent of the available height", L"V", {0, 0, 50, 200}, L"",
         {L"heightpercent=\"25\"", L""},
         {{0, 0, 50, 50}, {0, 50, 50, 200}}},
        {"max height clamps a stretched child, the last takes the rest", L"V", {0, 0, 50, 100}, L"",
         {L"maxheight=\"30\"", L""},
         {{0, 0, 50, 30}, {0, 30, 50, 100}}},
        {"min height wins over a small share", L"V", {0, 0, 50, 100}, L"",
         {L"minheight=\"70\"", L"", L""},
         {{0, 0, 50, 70}, {0, 70, 50, 103}, {0, 103, 50, 103}}},
        {"inset and padding", L"V", {0, 0, 100, 100}, L"inset=\"10,5,10,5\"",
         {L"height=\"20\" padding=\"2,3,4,5\"", L"height=\"10\""},
         {{12, 8, 86, 28}, {10, 33, 90, 43}}},
        {"width never exceeds the column", L"V", {0, 0, 100, 100}, L"",
         {L"width=\"200\" height=\"10\" padding=\"5,0,5,0\""},
         {{5, 0, 95, 10}}},
        {"width percent", L"V", {0, 0, 200, 100}, L"",
         {L"widthpercent=\"30\" height=\"10\""},
         {{0, 0, 60, 10}}},
        {"fixed children overflow, stretched ones shrink to 0", L"V", {0, 0, 50, 50}, L"",
         {L"height=\"40\"", L"", L"height=\"40\""},
         {{0, 0, 50, 40}, {0, 40, 50, 40}, {0, 40, 50, 80}}},
        {"exit dialog button row", L"H", {0, 0, 400, 60}, L"inset=\"10,10,10,10\"",
         {L"", L"", L"width=\"20\"", L"", L"width=\"30\""},
         {{10, 10, 120, 50}, {120, 10, 230, 50}, {230, 10, 250, 50}, {250, 10, 360, 50}, {360, 10, 390, 50}}},
        {"a tall child is cut to the row height", L"H", {0, 0, 500, 32}, L"",
         {L"width=\"414\" height=\"60\""},
         {{0, 0, 414, 32}}},
        {"vcenter in a row", L"H", {0, 0, 100, 32}, L"childvalign=\"vcenter\"",
         {L"width=\"10\" height=\"20\""},
         {{0, 6, 10, 26}}},
        {"centre a row without stretched children", L"H", {0, 0, 100, 10}, L"childalign=\"center\"",
         {L"width=\"20\"", L"width=\"30\""},
         {{25, 0, 45, 10}, {45, 0, 75, 10}}},
        {"right-align a row", L"H", {0, 0, 100, 10}, L"childalign=\"right\"",
         {L"width=\"20\""},
         {{80, 0, 100, 10}}},
        {"a stretch pushes a button to the right edge", L"H", {0, 20, 650, 34}, L"inset=\"0,0,20,0\"",
         {L"", L"width=\"14\" height=\"14\""},
         {{0, 20, 616, 34}, {616, 20, 630, 34}}},
        {"row gap and bottom alignment with padding", L"H", {0, 0, 100, 30}, L"childpadding=\"5\" childvalign=\"bottom\"",
         {L"width=\"10\" height=\"10\" padding=\"0,0,0,2\"", L""},
         {{0, 18, 10, 28}, {15, 0, 100, 30}}},
        {"floating children do not take space", L"V", {100, 200, 200, 300}, L"",
         {L"float=\"true\" pos=\"10,5,30,15\"", L""},
         {{110, 205, 130, 215}, {100, 200, 200, 300}}},
        {"float align right bottom", L"H", {100, 200, 200, 300}, L"",
         {L"float=\"true\" width=\"20\" height=\"10\" floatalign=\"right,bottom\""},
         {{180, 290, 200, 300}}},
        {"float percent", L"V", {100, 200, 200, 300}, L"",
         {L"float=\"0.5,0.5,0.5,0.5\" width=\"10\" height=\"10\""},
         {{150, 250, 160, 260}}},
        {"float position in percent", L"V", {100, 200, 200, 300}, L"",
         {L"float=\"true\" width=\"10\" height=\"10\" floatposition=\"20,40\""},
         {{120, 240, 130, 250}}},
        {"plain container stacks children clamped to their limits", L"C", {0, 0, 100, 80}, L"inset=\"5,5,5,5\"",
         {L"", L"maxwidth=\"30\" minheight=\"90\""},
         {{5, 5, 95, 75}, {5, 5, 35, 95}}},
    };

    for (const LayoutCase& c : cases) {
        std::unique_ptr<CContainerUI> box = MakeContainer(c.kind);
        box->ApplyAttributeList(c.attributes);
        std::vector<CControlUI*> kids;
        for (const wchar_t* attrs : c.children) {
            CControlUI* child = new CControlUI();
            child->ApplyAttributeList(attrs);
            ASSERT_TRUE(box->Add(child));
            kids.push_back(child);
        }
        box->SetPos(c.item);
        for (size_t i = 0; i < kids.size(); i++) {
            RECT got = kids[i]->GetPos();
            EXPECT_EQ(Show(got), Show(c.expected[i])) << c.what << ", child " << i;
            // CalcPos reports the same rectangle without moving anything.
            RECT calc{0, 0, 0, 0};
            if (kids[i]->IsVisible() && !kids[i]->IsFloat()) {
                EXPECT_TRUE(box->CalcPos(kids[i], calc)) << c.what;
                EXPECT_EQ(Show(calc), Show(c.expected[i])) << c.what << ", CalcPos of child " << i;
            } else {
                EXPECT_FALSE(box->CalcPos(kids[i], calc)) << c.what;
            }
        }
    }
}

TEST(LinearLayout, EstimateSizeSumsChildrenWhenAutoCalculated)
{
    CHorizontalLayoutUI row;
    row.ApplyAttributeList(L"inset=\"1,2,3,4\" childpadding=\"5\" width=\"77\" height=\"66\"");
    CControlUI* a = new CControlUI();
    a->ApplyAttributeList(L"width=\"10\" height=\"8\" padding=\"1,1,1,1\"");
    CControlUI* b = new CControlUI();
    b->ApplyAttributeList(L"width=\"20\" height=\"4\"");
    CControlUI* hidden = new CControlUI();
    hidden->ApplyAttributeList(L"width=\"100\" visible=\"false\"");
    row.Add(a);
    row.Add(b);
    row.Add(hidden);
    EXPECT_EQ(row.EstimateSize(SIZE{500, 500}).cx, 77); // fixed size without auto calc
    row.SetAttribute(L"autocalcwidth", L"true");
    SIZE sz = row.EstimateSize(SIZE{500, 500});
    // 1 + 10 + 1 + 20 + insets 1 + 3 + gap 5 x (3 children - 1)
    EXPECT_EQ(sz.cx, 46);
    EXPECT_EQ(sz.cy, 0);
    row.SetAttribute(L"autocalcheight", L"true");
    EXPECT_EQ(row.EstimateSize(SIZE{500, 500}).cy, 10 + 4 + 6 + 10);
}

struct Tracker {
    int* destroyed;
    bool Count(void*)
    {
        (*destroyed)++;
        return true;
    }
};

CControlUI* Tracked(int* counter, Tracker* t)
{
    CControlUI* c = new CControlUI();
    t->destroyed = counter;
    c->OnDestroy += MakeDelegate(t, &Tracker::Count);
    return c;
}

TEST(Container, ChildOrderAndOwnership)
{
    int destroyed = 0;
    Tracker ta, tb, tc, td;
    CVerticalLayoutUI box;
    CControlUI* a = Tracked(&destroyed, &ta);
    CControlUI* b = Tracked(&destroyed, &tb);
    CControlUI* c = Tracked(&destroyed, &tc);
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_TRUE(box.Add(a));
    EXPECT_TRUE(box.Add(b));
    EXPECT_TRUE(box.AddAt(c, b)); // before the reference
    EXPECT_EQ(box.GetItemAt(1), c);
    EXPECT_FALSE(box.AddAt(c, static_cast<CControlUI*>(nullptr)));
    CControlUI stray;
    EXPECT_FALSE(box.AddAt(&stray, 5));
    EXPECT_EQ(box.GetItemAt(3), nullptr);
    EXPECT_EQ(box.GetItemAt(-1), nullptr);
    EXPECT_EQ(box.GetItemIndex(&stray), -1);
    EXPECT_TRUE(box.SetItemIndex(c, 1));
    EXPECT_EQ(box.GetItemAt(1), c);
    EXPECT_TRUE(box.SetItemIndex(a, 2));
    EXPECT_EQ(box.GetItemAt(0), c);
    EXPECT_EQ(box.GetItemAt(2), a);

    EXPECT_TRUE(box.Remove(b, true)); // kept alive
    EXPECT_EQ(destroyed, 0);
    EXPECT_FALSE(box.Remove(b));
    EXPECT_TRUE(box.RemoveAt(0, true)); // the flag is not consulted: c is destroyed
    EXPECT_EQ(destroyed, 1);
    EXPECT_FALSE(box.RemoveAt(7));
    delete b;
    EXPECT_EQ(destroyed, 2);

    box.SetAutoDestroy(false);
    CControlUI* d = Tracked(&destroyed, &td);
    box.Add(d);
    box.RemoveAll();
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(destroyed, 2);
    delete a;
    delete d;
    EXPECT_EQ(destroyed, 4);
}

TEST(Container, RemovalWithAManagerIsDelayed)
{
    int destroyed = 0;
    Tracker t1, t2;
    {
        CPaintManagerUI pm;
        CVerticalLayoutUI box;
        box.SetManager(&pm, nullptr, false);
        CControlUI* a = Tracked(&destroyed, &t1);
        CControlUI* b = Tracked(&destroyed, &t2);
        box.Add(a);
        box.Add(b);
        EXPECT_EQ(a->GetManager(), &pm);
        EXPECT_EQ(a->GetParent(), &box);
        EXPECT_TRUE(box.Remove(a));
        EXPECT_EQ(destroyed, 0); // handed to the manager, not deleted yet
        box.SetDelayedDestroy(false);
        EXPECT_TRUE(box.Remove(b));
        EXPECT_EQ(destroyed, 1);
        box.SetManager(nullptr, nullptr, false);
    }
    EXPECT_EQ(destroyed, 2);
}

TEST(Container, VisibilityAndEnabledPropagate)
{
    CVerticalLayoutUI page;
    CHorizontalLayoutUI* row = new CHorizontalLayoutUI();
    CControlUI* leaf = new CControlUI();
    CControlUI* hiddenLeaf = new CControlUI();
    hiddenLeaf->SetVisible(false);
    row->Add(leaf);
    row->Add(hiddenLeaf);
    page.Add(row);

    page.SetVisible(false);
    EXPECT_FALSE(row->IsVisible());
    EXPECT_FALSE(leaf->IsVisible());
    page.SetVisible(true);
    EXPECT_TRUE(leaf->IsVisible());
    EXPECT_FALSE(hiddenLeaf->IsVisible());

    // A child added to a hidden container is hidden at once.
    page.SetVisible(false);
    CControlUI* late = new CControlUI();
    page.Add(late);
    EXPECT_FALSE(late->IsVisible());
    page.SetVisible(true);
    EXPECT_TRUE(late->IsVisible());

    leaf->SetEnabled(false);
    page.SetEnabled(false);
    page.SetEnabled(true); // overwrites the children's own setting
    EXPECT_TRUE(leaf->IsEnabled());
    EXPECT_TRUE(row->IsEnabled());
}

CControlUI* FindAny(CControlUI* p, LPVOID) { return p; }
CControlUI* FindNamed(CControlUI* p, LPVOID name)
{
    return p->GetName() == static_cast<LPCTSTR>(name) ? p : nullptr;
}

TEST(Container, FindControlFlags)
{
    CVerticalLayoutUI box;
    box.SetAttribute(L"inset", L"10,10,10,10");
    box.SetName(L"box");
    CControlUI* a = new CControlUI();
    a->SetName(L"a");
    CControlUI* b = new CControlUI();
    b->SetName(L"b");
    CControlUI* floater = new CControlUI();
    floater->ApplyAttributeList(L"name=\"f\" float=\"true\" pos=\"0,0,10,10\"");
    box.Add(a);
    box.Add(b);
    box.Add(floater);
    box.SetPos(RECT{0, 0, 100, 100});
    // a: y 10..50, b: y 50..90, the floater at the top-left corner over the inset.

    EXPECT_EQ(box.FindControl(FindAny, nullptr, UIFIND_ALL), a);
    EXPECT_EQ(box.FindControl(FindAny, nullptr, UIFIND_TOP_FIRST), floater);
    EXPECT_EQ(box.FindControl(FindAny, nullptr, UIFIND_ME_FIRST), &box);
    EXPECT_EQ(box.FindControl(FindNamed, const_cast<wchar_t*>(L"b"), UIFIND_ALL), b);
    EXPECT_EQ(box.FindControl(FindNamed, const_cast<wchar_t*>(L"box"), UIFIND_ALL), &box);

    POINT inB{50, 70};
    EXPECT_EQ(box.FindControl(FindAny, &inB, UIFIND_HITTEST | UIFIND_TOP_FIRST), b);
    POINT inInset{5, 5};
    EXPECT_EQ(box.FindControl(FindAny, &inInset, UIFIND_HITTEST | UIFIND_TOP_FIRST), floater);
    POINT inInsetOnly{50, 95};
    EXPECT_EQ(box.FindControl(FindAny, &inInsetOnly, UIFIND_HITTEST), &box);
    POINT outside{150, 50};
    EXPECT_EQ(box.FindControl(FindAny, &outside, UIFIND_HITTEST), nullptr);

    box.SetMouseChildEnabled(false);
    EXPECT_EQ(box.FindControl(FindAny, &inB, UIFIND_HITTEST), &box);
    box.SetMouseEnabled(false);
    EXPECT_EQ(box.FindControl(FindAny, &inB, UIFIND_HITTEST), nullptr);
    box.SetMouseChildEnabled(true);
    EXPECT_EQ(box.FindControl(FindAny, &inB, UIFIND_HITTEST), b);

    b->SetVisible(false);
    EXPECT_EQ(box.FindControl(FindNamed, const_cast<wchar_t*>(L"b"), UIFIND_VISIBLE), nullptr);
    EXPECT_EQ(box.FindControl(FindNamed, const_cast<wchar_t*>(L"b"), UIFIND_ALL), b);
    // The update test skips a container whose own test matches.
    EXPECT_EQ(box.FindControl(FindAny, nullptr, UIFIND_UPDATETEST), nullptr);
}

} // namespace

namespace {

TEST(LinearLayout, SeparatorThumbAndCursorFlag)
{
    CVerticalLayoutUI column;
    CHorizontalLayoutUI row;
    column.SetPos(RECT{0, 0, 100, 200});
    row.SetPos(RECT{0, 0, 100, 200});
    EXPECT_EQ(column.GetControlFlags(), 0u);
    column.SetAttribute(L"sepheight", L"4");
    row.SetAttribute(L"sepwidth", L"-3");
    row.SetAttribute(L"sepimm", L"true");
    EXPECT_TRUE(row.IsSepImmMode());
    EXPECT_EQ(column.GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));
    RECT t = column.GetThumbRect();
    EXPECT_EQ(t.top, 196);
    EXPECT_EQ(t.bottom, 200);
    t = row.GetThumbRect();
    EXPECT_EQ(t.left, 0);
    EXPECT_EQ(t.right, 3);
    column.SetEnabled(false);
    EXPECT_EQ(column.GetControlFlags(), 0u);
    EXPECT_STREQ(row.GetClass(), L"HorizontalLayoutUI");
    EXPECT_EQ(row.GetInterface(L"HorizontalLayout"), &row);
    EXPECT_EQ(row.GetInterface(L"VerticalLayout"), nullptr);
    EXPECT_EQ(column.GetInterface(L"verticallayout"), &column);
}

} // namespace
