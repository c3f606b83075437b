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
