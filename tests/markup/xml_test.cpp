#include "tests/markup/markup_test_util.h"
#include "ui/markup/UIMarkup.h"

TEST(XmlDocument, DetectsEncodingsAndKeepsLibraryTexts)
{
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-8 without declaration or mark", "<Language><Text id=\"2\" text=\"\xe7\xab\x8b\xe5\x8d\xb3\"/></Language>"},
        {"UTF-8 with mark", "\xef\xbb\xbf<Language><Text id=\"2\" text=\"\xe7\xab\x8b\xe5\x8d\xb3\"/></Language>"},
        {"UTF-16LE with mark",
         [] {
             std::u16string s = u"\ufeff<Language><Text id=\"2\" text=\"\u7acb\u5373\"/></Language>";
             return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CXmlDocumentUI doc;
        ASSERT_TRUE(doc.load_buffer(c.bytes.data(), c.bytes.size())) << doc.GetError();
        CXmlAttributeUI text = doc.child(L"Language").child(L"Text").attribute(L"text");
        EXPECT_STREQ(text.value().GetData(), L"\u7acb\u5373");
    }
}

TEST(XmlDocument, ParsesInstallerQuirksAndReportsErrors)
{
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_string(L"<?xml version=\"1.0\"?><!-- c --><Window a=\"<User License Agreement>\" "
                                L"b=\"x=&quot;1&quot;\" c=\"l1\nl2\"/>"));
    CXmlNodeUI window = doc.child(L"Window");
    EXPECT_STREQ(window.attribute(L"a").value().GetData(), L"<User License Agreement>");
    EXPECT_STREQ(window.attribute(L"b").value().GetData(), L"x=\"1\"");
    EXPECT_STREQ(window.attribute(L"c").value().GetData(), L"l1 l2");
    EXPECT_EQ(doc.first_child().type(), node_declaration_ui);
    EXPECT_EQ(doc.first_child().next_sibling().type(), node_comment_ui);
    EXPECT_TRUE(doc.child(L"window").empty()) << "child names are matched exactly";

    struct Case {
        const char* text;
        const wchar_t* error;
    } cases[] = {
        {"<a b=c/>", L"Error parsing element attribute"},
        {"<a><b></a>", L"Start-end tags mismatch"},
        {"", L"No document element found"},
        {"<a x=\"1\"", L"Error parsing start element tag"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CXmlDocumentUI failed;
        EXPECT_FALSE(failed.load_buffer(c.text, strlen(c.text)));
        EXPECT_STREQ(failed.GetError(), c.error);
        EXPECT_TRUE(failed.first_child().empty());
    }
    // A later success keeps the first failure's text.
    CXmlDocumentUI again;
    EXPECT_FALSE(again.load_buffer("<a>", 3));
    CUIString first = again.GetError();
    EXPECT_TRUE(again.load_buffer("<a/>", 4));
    EXPECT_STREQ(again.GetError(), first.GetData());
}

TEST(XmlAttribute, ReadsFrameworkValueFormats)
{
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_string(L"<W c1=\"#FFB9B9B9\" c2=\"0x5078DE\" c3=\"  #10\" c4=\"zz\" r1=\"0,0,0,416\" "
                                L"r2=\"20,0\" p=\"650,416\" e=\"\" n=\"0x10\" b=\"yes\" neg=\"-5,-6\"/>"));
    CXmlNodeUI w = doc.child(L"W");
    EXPECT_EQ(w.attribute(L"c1").as_uicolor(), 0xFFB9B9B9u);
    EXPECT_EQ(w.attribute(L"c2").as_uicolor(), 0x5078DEu);
    EXPECT_EQ(w.attribute(L"c3").as_uicolor(), 0x10u);
    EXPECT_EQ(w.attribute(L"c4").as_uicolor(7), 0u);
    EXPECT_EQ(w.attribute(L"absent").as_uicolor(7), 0u);
    RECT r = w.attribute(L"r1").as_rect();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, 416);
    r = w.attribute(L"r2").as_rect(9, 9, 9, 9);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.bottom, 0);
    POINT p = w.attribute(L"p").as_point();
    EXPECT_EQ(p.x, 650);
    EXPECT_EQ(p.y, 416);
    p = w.attribute(L"e").as_point(3, 4);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 4);
    SIZE s = w.attribute(L"neg").as_size();
    EXPECT_EQ(s.cx, -5);
    EXPECT_EQ(s.cy, -6);
    EXPECT_EQ(w.attribute(L"n").as_int(), 16);
    EXPECT_TRUE(w.attribute(L"b").as_bool());
    EXPECT_STREQ(w.attribute(L"absent").as_string(L"dflt").GetData(), L"dflt");

    CXmlAttributeUI a = w.append_attribute(L"out");
    a.set_uicolor(0x5078DE);
    EXPECT_STREQ(a.value().GetData(), L"0x005078DE");
    a.set_value(RECT{1, -2, 3, 4});
    EXPECT_STREQ(a.value().GetData(), L"1,-2,3,4");
}

TEST_F(SkinTest, LoadFileUsesSkinLookupAndSavesUtf8)
{
    WriteFile("skin/w.xml", "<Window caption=\"0,0,0,30\"/>");
    CPaintManagerUI::SetResourcePath((Folder() + L"skin").c_str());
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_file(L"w.xml"));
    EXPECT_STREQ(doc.child(L"Window").attribute(L"caption").value().GetData(), L"0,0,0,30");
    doc.child(L"Window").append_attribute(L"title").set_value(L"\u5b89\u88c5");
    ASSERT_TRUE(doc.save_file((Folder() + L"out.xml").c_str()));
    CXmlDocumentUI reread;
    CPaintManagerUI::SetResourcePath(Folder().c_str());
    ASSERT_TRUE(reread.load_file(L"out.xml"));
    EXPECT_STREQ(reread.child(L"Window").attribute(L"title").value().GetData(), L"\u5b89\u88c5");

    CXmlDocumentUI missing;
    EXPECT_FALSE(missing.load_file(L"nothing.xml"));
    EXPECT_STREQ(missing.GetError(), L"Error opening file");
}
