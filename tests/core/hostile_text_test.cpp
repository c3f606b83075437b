// Odd texts for the value readers and odd format strings: defined results, never a read
// past the text or a misread argument list.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ui/core/UIUtils.h"

TEST(HostileText, RectAndSizeReadersTakeAnyText)
{
    std::wstring longDigits(100000, L'9');
    struct Case {
        std::wstring text;
        bool ok;
    } cases[] = {
        {L",,,", false},          // the fourth number is missing
        {L",,,,", true},          // empty numbers read as 0
        {L"1,2,3,", false},       // the fourth number is missing
        {L"1,2,3,4,5,6", true},   // extra numbers are ignored
        {L"a,b,c,d", true},       // no digits read as 0
        {L"\x1\x2\x3\x4\x5\x6\x7", true},
        {longDigits + L"," + longDigits + L",1,2", true},
        {L"-99999999999999999999,1,2,3", true},
        {L"1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 40)));
        CUIRect r;
        EXPECT_EQ(r.FromString(c.text.c_str()), c.ok);
        if (!c.ok) {
            EXPECT_TRUE(r.IsNull());
        }
        CUISize s;
        s.FromString(c.text.c_str());
    }
}

TEST(HostileText, FormatHandlesOddSpecifiers)
{
    struct Case {
        const wchar_t* format;
        const wchar_t* expected;
    } cases[] = {
        {L"100%", L""}, // a format cut after '%' is invalid: nothing is produced
        {L"%%%%", L"%%"},
        {L"%d%%", L"7%"},
        {L"[%5d]", L"[    7]"},
        {L"[%-5d]", L"[7    ]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.format)));
        CUIString s;
        s.Format(c.format, 7);
        EXPECT_STREQ(s.GetData(), c.expected);
    }
    CUIString wide;
    std::wstring huge(70000, L'x');
    EXPECT_EQ(wide.Format(L"%s%s", huge.c_str(), huge.c_str()), 140000);
    EXPECT_EQ(wide.GetLength(), 140000);
    CUIString small;
    small.SmallFormat(L"%s", huge.c_str());
    EXPECT_EQ(small.GetLength(), 63);
}
