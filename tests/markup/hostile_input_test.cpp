// Damaged and hostile input for the skin readers: deterministic mutations of valid fixtures
// (fixed seed) plus hand-made cases. Every read must end in a clean result: the original
// bytes or a reported failure.
#include "tests/markup/markup_test_util.h"
#include "tests/markup/zip_builder.h"
#include "ui/markup/UILanguage.h"
#include "ui/markup/UIMarkup.h"
#include "ui/markup/UISkinFile.h"
#include "ui/markup/ZipArchive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using ziptest::Build;
using ziptest::Entry;

namespace {

// A small deterministic generator (the tests must repeat exactly).
class Rng {
public:
    explicit Rng(uint64_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(m_state >> 33);
    }
    size_t Below(size_t n) { return n == 0 ? 0 : Next() % n; }

private:
    uint64_t m_state;
};

// One to three damages: flipped bytes, extreme 16/32-bit fields, a cut, or inserted bytes.
std::string Mutate(const std::string& in, Rng& rng)
{
    std::string s = in;
    int rounds = 1 + static_cast<int>(rng.Below(3));
    for (int r = 0; r < rounds && !s.empty(); r++) {
        size_t at = rng.Below(s.size());
        switch (rng.Below(6)) {
        case 0:
            s[at] = static_cast<char>(s[at] ^ (1u << rng.Below(8)));
            break;
        case 1:
            s[at] = static_cast<char>(rng.Next());
            break;
        case 2: {
            static const uint32_t kExtremes[] = {0, 1, 0x7f, 0xff, 0xffff, 0x7fffffff, 0xffffffff, 0xfffffff0};
            uint32_t v = kExtremes[rng.Below(8)];
            size_t width = rng.Below(2) ? 2 : 4;
            for (size_t i = 0; i < width && at + i < s.size(); i++)
                s[at + i] = static_cast<char>(v >> (8 * i));
            break;
        }
        case 3:
            s.resize(at);
            break;
        case 4:
            s.insert(at, std::string(1 + rng.Below(8), static_cast<char>(rng.Next())));
            break;
        default:
            s.erase(at, 1 + rng.Below(16));
            break;
        }
    }
    return s;
}

std::string Pattern(size_t n, uint32_t seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>((i % 5 == 0) ? (seed >> 16) : 'a' + (i % 17));
    }
    return s;
}

// Reads an entry in bounded steps, as a reader that does not trust the declared size.
ZipResult ReadBounded(ZipArchive& zip, int index, std::string& out)
{
    out.clear();
    char buf[4096];
    for (int step = 0; step < 64; step++) {
        DWORD written = 0;
        ZipResult r = zip.ReadEntry(index, buf, sizeof buf, &written);
        EXPECT_LE(written, sizeof buf);
        out.append(buf, written);
        if (r != ZipResult::MoreData)
            return r;
    }
    return ZipResult::MoreData;
}

const char kPassword[] = "s3cret";

std::vector<Entry> ZipFixtureEntries()
{
    std::vector<Entry> entries{{"skin/a.xml", "<Window size=\"10,20\"><Control /></Window>", 8},
                               {"stored.txt", Pattern(300, 7), 0},
                               {"big.bin", Pattern(9000, 11), 8},
                               {"secret.xml", Pattern(200, 13), 8, kPassword},
                               {"empty.txt", "", 0}};
    return entries;
}

} // namespace

TEST(HostileInput, MutatedZipArchivesReadBackIntactOrFail)
{
    const std::vector<Entry> entries = ZipFixtureEntries();
    const std::string valid = Build(entries, "PREFIX", "comment");
    Rng rng(0x5eed);
    int opened = 0, complete = 0, failed = 0;
    for (int round = 0; round < 3000; round++) {
        std::string bytes = Mutate(valid, rng);
        auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), kPassword);
        if (!zip)
            continue;
        opened++;
        for (int i = 0; i < zip->GetEntryCount() && i < 16; i++) {
            ZipEntryInfo info;
            if (!zip->GetEntry(i, &info))
                continue;
            std::string got;
            ZipResult r = ReadBounded(*zip, i, got);
            if (r != ZipResult::Complete) {
                failed++;
                continue;
            }
            complete++;
            // A complete read delivers the declared size, and only an entry's true bytes.
            EXPECT_EQ(got.size(), info.uncompressedSize) << "round " << round << " entry " << i;
            bool matches = false;
            for (const Entry& e : entries)
                matches = matches || got == e.data;
            EXPECT_TRUE(matches) << "round " << round << " entry " << i;
        }
    }
    // The mutations must reach both outcomes, or the loop tests nothing.
    EXPECT_GT(opened, 1000);
    EXPECT_GT(complete, 1000);
    EXPECT_GT(failed, 100);
}

TEST(HostileInput, NastyZipArchivesFailCleanly)
{
    std::string one = Build({{"a.txt", "hello", 0}});
    size_t dir = one.size() - 22 - 46 - 5 - 3; // the directory entry of the only file (name, comment)
    auto with = [&](size_t at, uint32_t value, size_t width) {
        std::string s = one;
        for (size_t i = 0; i < width; i++)
            s[at + i] = static_cast<char>(value >> (8 * i));
        return s;
    };
    std::string deflated = Build({{"d.txt", Pattern(4000, 3), 8}});
    std::string flipped = deflated;
    flipped[60] = static_cast<char>(flipped[60] ^ 0x01); // still a stream, but the wrong bytes
    struct Case {
        const char* what;
        std::string bytes;
        bool opens;
    } cases[] = {
        {"empty", "", false},
        {"end record only, cut", one.substr(one.size() - 10), false},
        {"directory offset past the end", with(one.size() - 22 + 16, 0x7fffffff, 4), false},
        {"directory size past the record", with(one.size() - 22 + 12, 0xffffffff, 4), false},
        {"name length past the end", with(dir + 28, 0xffff, 2), true},
        {"local offset past the end", with(dir + 42, 0xfffffff0, 4), true},
        {"huge declared size, stored", with(dir + 24, 0xffffffff, 4), true},
        {"huge declared sizes, both", with(dir + 20, 0xffffffff, 4), true},
        {"more entries than written", with(one.size() - 22 + 8, 0x0300, 2).replace(one.size() - 22 + 10, 2, "\x00\x03", 2),
         true},
        {"deflate data with a flipped bit", flipped, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto zip = ZipArchive::OpenMemory(c.bytes.data(), c.bytes.size(), nullptr);
        ASSERT_EQ(zip != nullptr, c.opens);
        if (!zip)
            continue;
        std::string got;
        EXPECT_EQ(ReadBounded(*zip, zip->GetEntryCount() - 1, got), ZipResult::DataError);
    }
}

namespace {

const char kMarkup[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- main -->\n"
    "<Window size=\"650,416\" caption=\"0,0,0,40\" defaultfontcolor=\"#FF101010\">"
    "<Font id=\"0\" name=\"Sans\" size=\"12\" /><Default name=\"Button\" value=\"height=&quot;20&quot;\" />"
    "<VerticalLayout pos=\"1,2,3,4\" bkcolor=\"0xFF00FF00\"><Label text=\"\xe7\xab\x8b&amp;&lt;x&gt;\" />"
    "<![CDATA[raw <data>]]><Button name=\"b\" padding=\"1,2,3,4\">text</Button></VerticalLayout></Window>";

const char kLanguage[] = "\xef\xbb\xbf<Language><Text id=\"1\" text=\"One\" tooltip=\"Tip\" />"
                         "<Text id=\"2\" text=\"\xe4\xba\x8c\" tipvalue=\"v\" /><Text id=\"x\" text=\"zero\" />"
                         "</Language>";

// Touches every node and attribute through the wrappers, as the builder does.
int Walk(CXmlNodeUI node, int depth = 0)
{
    int seen = 0;
    for (CXmlNodeUI child = node.first_child(); child && depth < 64; child = child.next_sibling()) {
        seen++;
        CUIString name = child.name();
        CUIString value = child.value();
        for (CXmlAttributeUI a = child.first_attribute(); a; a = a.next_attribute()) {
            CUIString text = a.value();
            (void)a.as_uicolor();
            (void)a.as_rect();
            (void)a.as_size();
            (void)a.as_int();
        }
        seen += Walk(child, depth + 1);
    }
    return seen;
}

std::string Utf16(const std::string& utf8)
{
    std::string out("\xff\xfe", 2); // ASCII fixtures: one unit per byte
    for (char c : utf8) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

} // namespace

TEST(HostileInput, MutatedMarkupParsesOrReportsAnError)
{
    const std::string fixtures[] = {kMarkup, kLanguage, Utf16("<Window a=\"1\"><Control b=\"2,3\" /></Window>")};
    Rng rng(0xc0ffee);
    int ok = 0, failed = 0;
    for (int round = 0; round < 3000; round++) {
        std::string bytes = Mutate(fixtures[round % 3], rng);
        CXmlDocumentUI doc;
        if (doc.load_buffer(bytes.data(), bytes.size())) {
            ok++;
            Walk(doc);
        } else {
            failed++;
            EXPECT_NE(*doc.GetError(), L'\0') << "round " << round;
            EXPECT_TRUE(doc.first_child().empty()) << "round " << round;
        }
        // The language reader takes the same bytes: either a package from a <Language> root or nothing.
        CXmlDocumentUI lng;
        bool parsed = lng.load_buffer(bytes.data(), bytes.size());
        CLangPackageUI package;
        BOOL loaded = package.LoadResource(lng.root());
        EXPECT_EQ(loaded != FALSE, parsed && !lng.child(L"Language").empty()) << "round " << round;
        (void)package.GetText(1);
    }
    EXPECT_GT(ok, 300);
    EXPECT_GT(failed, 300);
}

TEST(HostileInput, NastyMarkupIsReadOrRefusedCleanly)
{
    std::string deep;
    for (int i = 0; i < 20000; i++)
        deep += "<a>";
    std::string deepClosed = deep;
    for (int i = 0; i < 20000; i++)
        deepClosed += "</a>";
    std::string giant = "<Window text=\"" + std::string(2 * 1024 * 1024, 'x') + "\" />";
    struct Case {
        const char* what;
        std::string bytes;
        bool parses;
    } cases[] = {
        {"garbage", std::string("\x00\xff\xfe\x01\x80\x81<>", 9), false},
        {"UTF-8 mark only", "\xef\xbb\xbf", false},
        {"UTF-16 mark only", "\xff\xfe", false},
        {"UTF-16 odd length", Utf16("<a/>") + "x", true},
        {"UTF-32 mark, short", "\x00\x00\xfe\xff\x00", false},
        {"invalid UTF-8 in a value", "<a v=\"\xc3\x28\xf8\x88\x80\x80\x80\xed\xa0\x80\"/>", true},
        {"cut inside a tag", "<Window size=\"1", false},
        {"cut inside a comment", "<a><!-- ", false},
        {"unclosed, very deep", deep, false},
        {"closed, very deep", deepClosed, true},
        {"2 MiB attribute", giant, true},
        {"bad entity", "<a v=\"&#xFFFFFFFF;&#0;&bogus;\"/>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CXmlDocumentUI doc;
        EXPECT_EQ(doc.load_buffer(c.bytes.data(), c.bytes.size()), c.parses) << doc.GetError();
        if (c.parses)
            EXPECT_GT(Walk(doc), 0);
        else
            EXPECT_TRUE(doc.first_child().empty());
    }
}

class HostileSkinTest : public SkinTest {};

TEST_F(HostileSkinTest, MutatedArchiveInMemoryGivesTheFileOrAnError)
{
    const std::vector<Entry> entries = ZipFixtureEntries();
    const std::string valid = Build(entries);
    Rng rng(0xa11ce);
    int read = 0, refused = 0;
    for (int round = 0; round < 1500; round++) {
        std::string bytes = Mutate(valid, rng);
        CPaintManagerUI::SetResourceZip(bytes.data(), static_cast<unsigned int>(bytes.size()), L"s3cret");
        for (const Entry& e : entries) {
            std::wstring name(e.name.begin(), e.name.end());
            SkinFileData data;
            CUIString error;
            if (ReadSkinFile(name.c_str(), data, error)) {
                read++;
                ASSERT_EQ(std::string(reinterpret_cast<const char*>(data.bytes.get()), data.size), e.data)
                    << "round " << round << " " << e.name;
                EXPECT_EQ(data.bytes[data.size], 0);
            } else {
                refused++;
                EXPECT_FALSE(error.IsEmpty());
                EXPECT_EQ(data.bytes, nullptr);
            }
        }
        CPaintManagerUI::Term();
    }
    EXPECT_GT(read, 1000);
    EXPECT_GT(refused, 1000);
}
