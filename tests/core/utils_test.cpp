#include "ui/core/UIUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// True while the string's characters live in its own object (the inline buffer).
bool IsInline(const CUIString& s) {
    auto p = reinterpret_cast<const char*>(s.GetData());
    auto self = reinterpret_cast<const char*>(&s);
    return p >= self && p < self + sizeof(CUIString);
}
} // namespace

TEST(UIString, MovesBetweenInlineBufferAndHeapAtSixtyThreeCharacters) {
    std::wstring t62(62, L'x');
    CUIString s(t62.c_str());
    EXPECT_TRUE(IsInline(s));
    s += L'y';
    EXPECT_EQ(s.GetLength(), 63);
    EXPECT_FALSE(IsInline(s));
    s = t62.c_str();
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(std::wstring(s), t62);

    // Appending a string to itself, in both storage places.
    CUIString small(L"ab");
    small += small;
    EXPECT_STREQ(small, L"abab");
    CUIString big(std::wstring(40, L'q').c_str());
    big.Append(big);
    EXPECT_EQ(std::wstring(big), std::wstring(80, L'q'));
    // Assigning a slice of itself.
    big.Assign(big.GetData() + 70);
    EXPECT_EQ(std::wstring(big), std::wstring(10, L'q'));
}

TEST(UIString, ConstructionAndAssignment) {
    EXPECT_STREQ(CUIString(L"abcdef", 3), L"abc");
    EXPECT_STREQ(CUIString(L"ab", 10), L"ab");
    EXPECT_STREQ(CUIString(L'z'), L"z");
    CUIString s;
    s.Assign(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = "na\xC3\xAFve"; // narrow text is UTF-8 here
    EXPECT_STREQ(s, L"na\u00efve");
    EXPECT_STREQ(CUIString(L"a") + L"b" + L'c' + CUIString(L"d"), L"abcd");
}

TEST(UIString, SubstringsClampAsDocumented) {
    CUIString abcdef(L"abcdef");
    CUIString abc(L"abc");
    struct {
        CUIString got;
        const wchar_t* want;
    } cases[] = {
        {abcdef.Mid(3, -1), L"def"}, {abcdef.Mid(3), L"def"},    {abcdef.Mid(4, 10), L"ef"},
        {abcdef.Mid(6, 1), L""},     {abcdef.Mid(-2, 2), L"ab"}, {abc.Right(10), L"abc"},
        {abc.Right(1), L"c"},        {abc.Left(-2), L""},        {abc.Left(2), L"ab"},
        {abc.Left(99), L"abc"},
    };
    for (auto& c : cases)
        EXPECT_STREQ(c.got, c.want);
}

TEST(UIString, FindReplaceAndCase) {
    CUIString s(L"a,b,c");
    EXPECT_EQ(s.Find(L','), 1);
    EXPECT_EQ(s.Find(L',', 2), 3);
    EXPECT_EQ(s.Find(L',', 5), -1); // start outside the string
    EXPECT_EQ(s.Find(L"b,c"), 2);
    EXPECT_EQ(s.Find(L"", 0), 0);
    EXPECT_EQ(s.ReverseFind(L','), 3);
    EXPECT_EQ(s.ReverseFind(L'x'), -1);

    CUIString a(L"aaa");
    EXPECT_EQ(a.Replace(L"a", L"aa"), 3);
    EXPECT_STREQ(a, L"aaaaaa");
    CUIString path(L"skin\\img\\a.png");
    EXPECT_EQ(path.Replace(L"\\", L"/"), 2);
    EXPECT_STREQ(path, L"skin/img/a.png");
    EXPECT_EQ(path.Replace(L"", L"x"), 0);

    CUIString mixed(L"Stra\u00dfe \u00c9t\u00e9");
    mixed.MakeLower();
    EXPECT_STREQ(mixed, L"stra\u00dfe \u00e9t\u00e9");
    EXPECT_EQ(CUIString(L"CLICK").CompareNoCase(L"click"), 0);
    EXPECT_EQ(CUIString(L"\u00c9T\u00c9").CompareNoCase(L"\u00e9t\u00e9"), 0);
    EXPECT_LT(CUIString(L"B").Compare(L"a"), 0); // by character code
    EXPECT_TRUE(CUIString(L"x") == L"x");
    EXPECT_TRUE(L"x" == CUIString(L"x"));
    EXPECT_TRUE(L"y" != CUIString(L"x"));
    EXPECT_TRUE(CUIString(L"a") < L"b");
}

TEST(UIString, FormatMeasuresAndSmallFormatCuts) {
    CUIString s;
    std::wstring longText(500, L'w');
    EXPECT_EQ(s.Format(L"%s-%d-%ld", longText.c_str(), 42, static_cast<LONG>(-7)), 506);
    EXPECT_EQ(std::wstring(s), longText + L"-42--7");
    std::wstring hundred(100, L'h');
    s.SmallFormat(L"%s", hundred.c_str());
    EXPECT_EQ(std::wstring(s), std::wstring(63, L'h'));
    s.SmallFormat(L"%d,%d", 3, 4);
    EXPECT_STREQ(s, L"3,4");
}

TEST(UIRect, NumberListsAndGeometry) {
    CUIRect r;
    EXPECT_FALSE(r.FromString(L"1,2,3"));
    EXPECT_TRUE(r.IsNull());
    EXPECT_FALSE(r.FromString(L""));
    EXPECT_FALSE(r.FromString(nullptr));
    ASSERT_TRUE(r.FromString(L"1,2,3,4"));
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.bottom, 4);
    EXPECT_STREQ(r.ToString(), L"1,2,3,4");
    ASSERT_TRUE(r.FromString(L"-5,0,650,416"));
    EXPECT_EQ(r.GetWidth(), 655);
    // One separator of any kind after each number.
    ASSERT_TRUE(r.FromString(L"10 20 30 40"));
    EXPECT_EQ(CUIRect(L"0,0,8,9").GetHeight(), 9);

    CUISize sz;
    EXPECT_FALSE(sz.FromString(L"5"));
    EXPECT_EQ(sz.cx, 0);
    ASSERT_TRUE(sz.FromString(L"650,416"));
    EXPECT_EQ(sz.cy, 416);
    EXPECT_STREQ(sz.ToString(), L"650,416");
    EXPECT_EQ(CUISize(CUIRect(10, 10, 30, 50)).cy, 40);

    CUIPoint pt(MAKELPARAM(static_cast<WORD>(-3), 7));
    EXPECT_EQ(pt.x, -3);
    EXPECT_EQ(pt.y, 7);

    CUIRect a(0, 0, 10, 10);
    CUIRect b(5, 5, 20, 8);
    CUIRect i;
    EXPECT_TRUE(i.IntersectRect(a, b));
    EXPECT_STREQ(i.ToString(), L"5,5,10,8");
    EXPECT_FALSE(i.IntersectRect(a, CUIRect(10, 0, 20, 10)));
    EXPECT_TRUE(i.IsNull());
    CUIRect u(0, 0, 0, 0);
    u.Union(b);
    EXPECT_STREQ(u.ToString(), L"5,5,20,8");
    a.Join(b);
    EXPECT_STREQ(a.ToString(), L"0,0,20,10");
    a.Deflate(2, 3);
    EXPECT_STREQ(a.ToString(), L"2,3,18,7");
    a.ResetOffset();
    EXPECT_STREQ(a.ToString(), L"0,0,16,4");
    CUIRect n(10, 10, 0, 0);
    n.Normalize();
    EXPECT_STREQ(n.ToString(), L"0,0,10,10");

    CUIRect box(0, 0, 20, 10);
    box.AlignRect(CUIRect(100, 100, 200, 150), 1 | 4);
    EXPECT_STREQ(box.ToString(), L"140,120,160,130");
    box.AlignRect(CUIRect(100, 100, 200, 150), 0);
    EXPECT_STREQ(box.ToString(), L"100,100,120,110");
}

TEST(StdPtrArray, InsertRemoveAndIndexMap) {
    int v[30];
    for (bool indexed : {false, true}) {
        CStdPtrArray a;
        a.SetSaveIndexMap(indexed);
        for (int i = 0; i < 30; ++i)
            ASSERT_TRUE(a.Add(&v[i]));
        EXPECT_EQ(a.GetSize(), 30);
        EXPECT_EQ(a.Find(&v[29]), 29);
        EXPECT_TRUE(a.InsertAt(0, &v[29])); // the same pointer twice: Find gives the first
        EXPECT_EQ(a.Find(&v[29]), 0);
        EXPECT_TRUE(a.Remove(0));
        EXPECT_EQ(a.Find(&v[29]), 29);
        EXPECT_TRUE(a.Remove(5));
        EXPECT_EQ(a.Find(&v[6]), 5);
        EXPECT_EQ(a.Find(&v[5]), -1);
        EXPECT_TRUE(a.InsertAt(a.GetSize(), &v[5]));
        EXPECT_EQ(a.Find(&v[5]), 29);
        EXPECT_FALSE(a.InsertAt(31, &v[0]));
        EXPECT_FALSE(a.InsertAt(-1, &v[0]));
        EXPECT_FALSE(a.Remove(30));
        EXPECT_FALSE(a.SetAt(30, &v[0]));
        EXPECT_EQ(a.GetAt(30), nullptr);
        EXPECT_EQ(a.GetAt(-1), nullptr);
        EXPECT_TRUE(a.SetAt(0, &v[7]));
        EXPECT_EQ(a.Find(&v[7]), 0);
        a.Resize(3);
        EXPECT_EQ(a.GetSize(), 3);
        EXPECT_EQ(a.GetAt(2), nullptr);
        a.Empty();
        EXPECT_TRUE(a.IsEmpty());
        EXPECT_EQ(a.Find(&v[7]), -1);
    }
    CStdPtrArray src(6);
    src.Add(&v[1]);
    CStdPtrArray copy(src);
    copy.Add(&v[2]);
    EXPECT_EQ(src.GetSize(), 1);
    EXPECT_EQ(copy.GetSize(), 2);
}

TEST(StdValArray, CopiesValuesAndShiftsOnRemove) {
    struct Pair {
        int a;
        double b;
    };
    CStdValArray arr(sizeof(Pair));
    for (int i = 0; i < 25; ++i) {
        Pair p{i, i * 0.5};
        ASSERT_TRUE(arr.Add(&p));
    }
    EXPECT_EQ(arr.GetSize(), 25);
    EXPECT_TRUE(arr.Remove(0));
    EXPECT_EQ(static_cast<Pair*>(arr.GetAt(0))->a, 1);
    EXPECT_EQ(static_cast<Pair*>(arr.GetAt(23))->b, 12.0);
    EXPECT_EQ(arr.GetAt(24), nullptr);
    EXPECT_FALSE(arr.Remove(24));
    arr.Empty();
    EXPECT_TRUE(arr.IsEmpty());
}

namespace {
// Two keys that land in the same one of 16 buckets.
std::pair<std::wstring, std::wstring> CollidingKeys() {
    auto bucket = [](const std::wstring& k) {
        UINT h = 0;
        for (size_t i = k.size(); i > 0; --i)
            h = h * 33u + static_cast<UINT>(k[i - 1]);
        return h % 16u;
    };
    std::wstring first = L"k0";
    for (int i = 1; i < 1000; ++i) {
        std::wstring other = L"k" + std::to_wstring(i);
        if (bucket(other) == bucket(first)) return {first, other};
    }
    return {};
}
} // namespace

TEST(StdStringPtrMap, InsertFindSetRemove) {
    CStdStringPtrMap map;
    int a = 1, b = 2, c = 3;
    EXPECT_TRUE(map.Insert(L"Font", &a));
    EXPECT_FALSE(map.Insert(L"Font", &b)); // already present
    EXPECT_TRUE(map.Insert(L"font", &b));  // keys are case-sensitive
    EXPECT_EQ(map.Find(L"Font"), &a);
    EXPECT_EQ(map.Find(L"font"), &b);
    EXPECT_EQ(map.Find(L"missing"), nullptr);
    EXPECT_EQ(map.Set(L"Font", &c), &a);
    EXPECT_EQ(map.Set(L"new", &a), nullptr);
    EXPECT_EQ(map.GetSize(), 3);
    EXPECT_TRUE(map.Remove(L"font"));
    EXPECT_FALSE(map.Remove(L"font"));
    EXPECT_EQ(map.GetSize(), 2);
    EXPECT_EQ(map.GetAt(2), nullptr);
    map.RemoveAll();
    EXPECT_EQ(map.GetSize(), 0);
    EXPECT_TRUE(map.Insert(L"again", &a)); // buckets are kept
}

TEST(StdStringPtrMap, LookupMovesItemToChainHeadAndChangesOrder) {
    auto [k1, k2] = CollidingKeys();
    ASSERT_FALSE(k1.empty());
    CStdStringPtrMap map(4); // at least 16 buckets
    int v1 = 1, v2 = 2;
    map.Insert(k1.c_str(), &v1);
    map.Insert(k2.c_str(), &v2); // the newest item heads its chain
    EXPECT_EQ(std::wstring(map.GetAt(0)), k2);
    EXPECT_EQ(map.Find(k1.c_str(), false), &v1);
    EXPECT_EQ(std::wstring(map.GetAt(0)), k2); // no optimisation: order kept
    EXPECT_EQ(map.Find(k1.c_str()), &v1);
    EXPECT_EQ(std::wstring(map.GetAt(0)), k1);
    EXPECT_EQ(std::wstring(map.GetAt(1)), k2);
    EXPECT_TRUE(map.Remove(k1.c_str()));
    EXPECT_EQ(map.Find(k2.c_str()), &v2);
}

TEST(StdStringPtrMap, ZeroBucketsRejectEverything) {
    CStdStringPtrMap map;
    int v = 0;
    map.Insert(L"a", &v);
    map.Resize(0);
    EXPECT_EQ(map.GetSize(), 0);
    EXPECT_FALSE(map.Insert(L"a", &v));
    EXPECT_EQ(map.Find(L"a"), nullptr);
    EXPECT_EQ(map.Set(L"a", &v), nullptr);
    EXPECT_FALSE(map.Remove(L"a"));
}

TEST(StringOrId, DistinguishesNamesFromIds) {
    STRINGorID byId(130u);
    EXPECT_TRUE(byId.IsID());
    EXPECT_EQ(byId.GetID(), 130);
    STRINGorID wrapped(0x12345u); // only the low 16 bits are kept
    EXPECT_EQ(wrapped.GetID(), 0x2345);
    STRINGorID byName(L"ZIPRES");
    EXPECT_FALSE(byName.IsID());
    EXPECT_STREQ(byName.m_lpstr, L"ZIPRES");
}
