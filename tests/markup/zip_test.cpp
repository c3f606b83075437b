#include "tests/markup/zip_builder.h"
#include "ui/markup/ZipArchive.h"

#include <gtest/gtest.h>

using ziptest::Build;
using ziptest::Entry;

namespace {

std::string ReadAll(ZipArchive& zip, LPCWSTR name, bool ignoreCase, ZipResult* result = nullptr)
{
    ZipEntryInfo info;
    if (!zip.FindEntry(name, ignoreCase, &info))
        return "<missing>";
    std::string out(info.uncompressedSize + 1, '\0');
    DWORD written = 0;
    ZipResult r = zip.ReadEntry(info.index, out.data(), static_cast<DWORD>(out.size()), &written);
    if (result)
        *result = r;
    out.resize(written);
    return out;
}

std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (size_t i = 0; i < n; i++) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>((i % 7 == 0) ? (x >> 16) : 'a' + (i % 13));
    }
    return s;
}

} // namespace

TEST(ZipArchive, ReadsStoredAndDeflatedEntriesBehindPrefixAndLongComment)
{
    std::string big = Pattern(100000); // several 16 KiB chunks
    std::vector<Entry> entries = {{"a.txt", "stored text", 0}, {"dir/b.xml", big, 8}, {"Lang/", "", 0}};
    struct Case {
        const char* what;
        std::string prefix;
        std::string comment;
    } cases[] = {
        {"plain", "", ""},
        {"prefix", std::string(777, 'P'), ""},
        {"2000-byte comment", "", std::string(2000, 'c')},
        {"comment holding a fake end signature", "", std::string("xxPK\x05\x06yy", 8) + std::string(30, 'z')},
        {"both", std::string(5000, '\x01'), std::string(2000, 'c')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = Build(entries, c.prefix, c.comment);
        auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), "");
        if (std::string(c.what) == "comment holding a fake end signature") {
            // The occurrence nearest the end is taken as the record, and it is not a valid one.
            EXPECT_EQ(zip, nullptr);
            continue;
        }
        ASSERT_NE(zip, nullptr);
        EXPECT_EQ(zip->GetPrefix(), c.prefix.size());
        EXPECT_EQ(zip->GetEntryCount(), 3);
        ZipResult r;
        EXPECT_EQ(ReadAll(*zip, L"a.txt", false, &r), "stored text");
        EXPECT_EQ(r, ZipResult::Complete);
        EXPECT_EQ(ReadAll(*zip, L"dir/b.xml", false, &r), big);
        EXPECT_EQ(r, ZipResult::Complete);
        ZipEntryInfo folder;
        ASSERT_TRUE(zip->FindEntry(L"Lang/", false, &folder));
        EXPECT_EQ(folder.uncompressedSize, 0u);
    }
}

TEST(ZipArchive, RejectsDataWithoutValidEndRecord)
{
    std::string good = Build({{"a", "x", 0}});
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"tiny", "PK"},
        {"no record", std::string(1000, 'x')},
        {"record beyond 65535 bytes from the end", good + std::string(70000, '\0')},
        {"other disk", [&] { std::string b = good; b[good.size() - 22 + 4] = 1; return b; }()},
        {"entry counts differ", [&] { std::string b = good; b[good.size() - 22 + 8] = 2; return b; }()},
        {"directory past the record", [&] { std::string b = good; b[good.size() - 22 + 16] = 100; return b; }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ZipArchive::OpenMemory(c.bytes.data(), c.bytes.size(), nullptr), nullptr);
    }
}

TEST(ZipArchive, FoldsOnlyAsciiLettersAndRejectsLongNames)
{
    std::string longName(256, 'n');
    std::string bytes =
        Build({{"Lang/ChineseSimplified/MainFrame.lng", "zh", 0}, {"\xc3\x84pfel.xml", "apple", 0}, {longName, "x", 0}});
    auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), nullptr);
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(ReadAll(*zip, L"lang/chinesesimplified/mainframe.LNG", true), "zh");
    EXPECT_EQ(ReadAll(*zip, L"lang/chinesesimplified/mainframe.LNG", false), "<missing>");
    EXPECT_EQ(ReadAll(*zip, L"\u00c4pfel.xml", true), "apple");
    EXPECT_EQ(ReadAll(*zip, L"\u00e4pfel.xml", true), "<missing>"); // a-umlaut in the other case
    EXPECT_EQ(ReadAll(*zip, L"\u00c4PFEL.XML", true), "apple");
    std::wstring wideLong(256, L'n');
    EXPECT_EQ(ReadAll(*zip, wideLong.c_str(), true), "<missing>");
}

TEST(ZipArchive, DecryptsWithTheRightPasswordOnly)
{
    std::string text = Pattern(40000);
    std::vector<Entry> entries = {
        {"secret.xml", text, 8, "pa55"},
        {"descriptor.xml", "flag bit 3 uses the time's high byte", 0, "pa55", true},
        {"open.txt", "not encrypted", 8},
    };
    std::string bytes = Build(entries);
    {
        auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), "pa55");
        ASSERT_NE(zip, nullptr);
        ZipResult r;
        EXPECT_EQ(ReadAll(*zip, L"secret.xml", false, &r), text);
        EXPECT_EQ(r, ZipResult::Complete);
        EXPECT_EQ(ReadAll(*zip, L"descriptor.xml", false, &r), "flag bit 3 uses the time's high byte");
        EXPECT_EQ(r, ZipResult::Complete);
    }
    for (const char* wrong : {"", "pa56", "pa55x"}) {
        SCOPED_TRACE(wrong);
        auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), wrong);
        ASSERT_NE(zip, nullptr);
        ZipResult r;
        EXPECT_EQ(ReadAll(*zip, L"secret.xml", false, &r), "");
        EXPECT_EQ(r, ZipResult::PasswordError);
        EXPECT_EQ(ReadAll(*zip, L"open.txt", false, &r), "not encrypted");
        EXPECT_EQ(r, ZipResult::Complete);
    }
}

TEST(ZipArchive, CorruptEntryFailsWhileItsNeighbourReads)
{
    Entry bad{"bad.xml", "damaged", 0};
    bad.corruptLocalSignature = true;
    std::string bytes = Build({bad, {"good.xml", "fine", 8}});
    // A deflated entry whose compressed bytes are garbage.
    std::string garbage = Build({{"junk.xml", Pattern(5000), 8}});
    garbage[60] ^= 0x55;
    garbage[61] ^= 0x55;
    garbage[70] ^= 0x55;
    struct Case {
        const char* what;
        const std::string* bytes;
        const wchar_t* name;
    } cases[] = {{"bad local header", &bytes, L"bad.xml"}, {"bad deflate data", &garbage, L"junk.xml"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto zip = ZipArchive::OpenMemory(c.bytes->data(), c.bytes->size(), nullptr);
        ASSERT_NE(zip, nullptr);
        ZipResult r = ZipResult::Complete;
        ReadAll(*zip, c.name, false, &r);
        EXPECT_EQ(r, ZipResult::DataError);
    }
    auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), nullptr);
    ZipResult r;
    EXPECT_EQ(ReadAll(*zip, L"good.xml", false, &r), "fine");
    EXPECT_EQ(r, ZipResult::Complete);
}

TEST(ZipArchive, SmallBufferReportsMoreDataAndContinues)
{
    std::string text = Pattern(50000);
    for (int method : {0, 8}) {
        SCOPED_TRACE(method);
        std::string bytes = Build({{"t.bin", text, method}});
        auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), nullptr);
        ASSERT_NE(zip, nullptr);
        std::string got;
        char buf[7000];
        ZipResult r;
        int reads = 0;
        do {
            DWORD written = 0;
            r = zip->ReadEntry(0, buf, sizeof buf, &written);
            got.append(buf, written);
            reads++;
        } while (r == ZipResult::MoreData && reads < 100);
        EXPECT_EQ(r, ZipResult::Complete);
        EXPECT_EQ(reads, 8);
        EXPECT_EQ(got, text);
        // A complete read closes the entry; the next read starts again.
        DWORD written = 0;
        EXPECT_EQ(zip->ReadEntry(0, buf, sizeof buf, &written), ZipResult::MoreData);
        EXPECT_EQ(std::string(buf, written), text.substr(0, sizeof buf));
    }
}

TEST(ZipArchive, EntryWhoseDataEndsEarlyFailsInsteadOfHanging)
{
    std::string text = Pattern(60000);
    Entry cut("cut.bin", text, 8);
    cut.truncatePayload = 2000;
    Entry beyond("beyond.bin", text, 8);
    beyond.truncatePayload = 3000;
    beyond.extraCompressedSize = 100000; // more than the archive holds
    Entry storedBeyond("stored.bin", text, 0);
    storedBeyond.truncatePayload = 100;
    for (const Entry& e : {cut, beyond, storedBeyond}) {
        SCOPED_TRACE(e.name);
        std::string bytes = Build({e});
        auto zip = ZipArchive::OpenMemory(bytes.data(), bytes.size(), nullptr);
        ASSERT_NE(zip, nullptr);
        ZipResult r = ZipResult::Complete;
        std::string got = ReadAll(*zip, std::wstring(e.name.begin(), e.name.end()).c_str(), false, &r);
        // Sizes that the archive cannot hold hide the entry; data that ends early fails the read.
        if (e.name == "cut.bin")
            EXPECT_EQ(r, ZipResult::DataError);
        else
            EXPECT_EQ(got, "<missing>");
    }
}
