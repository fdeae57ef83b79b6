#include "platform/version_block.h"
#include "platform/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

constexpr vrx_version::KeyValue kTestStrings[] = {
    {u"CompanyName", u"ACME"},
    {u"FileDescription", u"probe"},
    {u"FileVersion", u"2.3.4.5"},
    {u"InternalName", u"inner"},
    {u"LegalCopyright", u"\u00A9 2026 \u00C9t\u00E9 \u20AC \u4E2D"},
    {u"LegalTrademarks", u""},
    {u"OriginalFilename", u"orig"},
    {u"ProductName", u"product"},
    {u"ProductVersion", u"2.3"},
    {u"Comments", u"note"},
};

template <std::size_t N>
Bytes BlockOf(const vrx_version::KeyValue (&strings)[N], std::uint16_t language = 0x0409,
              std::uint16_t codePage = 0x04E4) {
    vrx_version::VersionBlockContent content;
    content.language = language;
    content.codePage = codePage;
    content.strings = strings;
    content.stringCount = N;
    const std::size_t size = vrx_version::BlockSize(content);
    Bytes out(size);
    vrx_version::BlockWriter w(out.data());
    vrx_version::WriteBlock(w, content);
    return out;
}

void Put(Bytes& b, std::size_t at, std::uint64_t v, int width) {
    if (b.size() < at + width) {
        b.resize(at + width);
    }
    for (int i = 0; i < width; ++i) {
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

struct ElfOptions {
    bool is64 = true;
    std::string sectionName = ".vrx_version";
    std::uint32_t nameOffsetShift = 0; // pushes the section's name offset
};

// A minimal little-endian ELF file: null section, .shstrtab, the block.
Bytes MakeElf(const Bytes& block, const ElfOptions& o = {}) {
    const std::size_t ehsize = o.is64 ? 64 : 52;
    const std::size_t shentsize = o.is64 ? 64 : 40;
    std::string names("\0.shstrtab\0", 11);
    const std::uint32_t blockName = static_cast<std::uint32_t>(names.size());
    names += o.sectionName;
    names.push_back('\0');

    Bytes f(ehsize, 0);
    const unsigned char ident[] = {0x7F, 'E', 'L', 'F', static_cast<unsigned char>(o.is64 ? 2 : 1),
                                   1,    1};
    std::copy(std::begin(ident), std::end(ident), f.begin());
    const std::size_t namesAt = f.size();
    f.insert(f.end(), names.begin(), names.end());
    const std::size_t blockAt = f.size();
    f.insert(f.end(), block.begin(), block.end());
    while (f.size() % 8 != 0) {
        f.push_back(0);
    }
    const std::size_t shoff = f.size();
    f.resize(shoff + 3 * shentsize, 0);

    auto section = [&](int index, std::uint32_t name, std::uint32_t type, std::size_t offset,
                       std::size_t size) {
        const std::size_t h = shoff + index * shentsize;
        Put(f, h, name, 4);
        Put(f, h + 4, type, 4);
        Put(f, h + (o.is64 ? 24 : 16), offset, o.is64 ? 8 : 4);
        Put(f, h + (o.is64 ? 32 : 20), size, o.is64 ? 8 : 4);
    };
    section(1, 1, 3 /* SHT_STRTAB */, namesAt, names.size());
    section(2, blockName + o.nameOffsetShift, 1 /* SHT_PROGBITS */, blockAt, block.size());

    Put(f, 16, 2, 2); // ET_EXEC
    if (o.is64) {
        Put(f, 0x28, shoff, 8);
        Put(f, 0x3A, shentsize, 2);
        Put(f, 0x3C, 3, 2);
        Put(f, 0x3E, 1, 2);
    } else {
        Put(f, 0x20, shoff, 4);
        Put(f, 0x2E, shentsize, 2);
        Put(f, 0x30, 3, 2);
        Put(f, 0x32, 1, 2);
    }
    return f;
}

class TempFile {
public:
    explicit TempFile(const Bytes& content) {
        static int counter = 0;
        path_ =
            (std::filesystem::temp_directory_path() /
             ("vrx_version_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                .string();
        std::ofstream out(path_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(content.data()),
                  static_cast<std::streamsize>(content.size()));
    }
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool AllEmpty(const VersionStrings& v) {
    return std::all_of(v.Strings.begin(), v.Strings.end(),
                       [](const std::string& s) { return s.empty(); });
}

std::size_t Find(const Bytes& haystack, const Bytes& needle) {
    const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
    return it == haystack.end() ? std::string::npos
                                : static_cast<std::size_t>(it - haystack.begin());
}

const std::array<std::string, 10> kProbeValues = {
    VRX_TEST_COMPANY,     "VRX-310 companion",
    VRX_TEST_VERSION,     "VRX310_Application",
    VRX_TEST_COPYRIGHT,   std::string("VRX-310 is a trademark of ") + VRX_TEST_COMPANY,
    "VRX310_Application", "VRX-310",
    VRX_TEST_VERSION,     "Reads, shows, stores and prints the results of the VRX-310 tester",
};

// ---- Program files -------------------------------------------------------

TEST(VersionStringsFile, ReadsTheTenStringsTheBuildPutIntoAProgram) {
    const VersionStrings v(VRX_PROBE_PATH);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(v.Strings[i], kProbeValues[i]) << VersionStrings::Keys[i];
    }
    EXPECT_EQ(v.Strings[2], "1.0.0.0");
}

TEST(VersionStringsFile, ProgramOrFileWithoutResourceGivesEmptyStrings) {
    EXPECT_TRUE(AllEmpty(VersionStrings(VRX_PLAIN_PATH)));
    const TempFile text(Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    EXPECT_TRUE(AllEmpty(VersionStrings(text.Path())));
    const TempFile empty(Bytes{});
    EXPECT_TRUE(AllEmpty(VersionStrings(empty.Path())));
    EXPECT_TRUE(AllEmpty(VersionStrings(std::filesystem::temp_directory_path().string())));
}

TEST(VersionStringsFile, MissingOrEmptyNameReadsTheRunningProgram) {
    for (const std::string name : {"", "/nonexistent/folder/VRX310_Application"}) {
        const VersionStrings v(name);
        EXPECT_EQ(v.Strings[9], "platform test program") << "name '" << name << "'";
        EXPECT_EQ(v.Strings[2], VRX_TEST_VERSION);
    }
}

TEST(VersionStringsFile, TruncatedProgramGivesEmptyStringsWithoutCrash) {
    const Bytes probe = ReadAll(VRX_PROBE_PATH);
    ASSERT_GT(probe.size(), 4096u);
    const Bytes marker = {'V', 0, 'S', 0, '_', 0, 'V', 0, 'E', 0, 'R', 0};
    const std::size_t blockAt = Find(probe, marker);
    ASSERT_NE(blockAt, std::string::npos);
    std::uint64_t shoff = 0;
    for (int i = 0; i < 8; ++i) {
        shoff |= std::uint64_t{probe[0x28 + i]} << (8 * i);
    }
    ASSERT_LT(shoff, probe.size());
    ASSERT_LT(blockAt, shoff); // the section header table follows the data

    for (const std::size_t cut :
         {std::size_t{0}, std::size_t{3}, std::size_t{20}, std::size_t{52}, std::size_t{63},
          blockAt + 40, static_cast<std::size_t>(shoff), probe.size() / 2}) {
        const TempFile t(Bytes(probe.begin(), probe.begin() + cut));
        EXPECT_TRUE(AllEmpty(VersionStrings(t.Path()))) << "cut at " << cut;
    }
}

TEST(VersionStringsFile, HostileHeadersGiveEmptyStrings) {
    const Bytes block = BlockOf(kTestStrings);
    const Bytes good = MakeElf(block);
    {
        const TempFile t(good);
        ASSERT_EQ(VersionStrings(t.Path()).Strings[0], "ACME"); // the baseline reads
    }
    struct Case {
        const char* what;
        std::size_t at;
        std::uint64_t value;
        int width;
    };
    const Case cases[] = {
        {"big-endian", 5, 2, 1},
        {"unknown class", 4, 3, 1},
        {"section table past the end", 0x28, 0xFFFFFFFFFFFF0000ull, 8},
        {"section table offset zero", 0x28, 0, 8},
        {"section entry too small", 0x3A, 16, 2},
        {"name table index out of range", 0x3E, 7, 2},
        {"name table index extended, no section 0 link", 0x3E, 0xFFFF, 2},
        {"more sections than the file holds", 0x3C, 0xFFFE, 2},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        Put(bad, c.at, c.value, c.width);
        const TempFile t(bad);
        EXPECT_TRUE(AllEmpty(VersionStrings(t.Path()))) << c.what;
    }

    // Section offset and size lying about the data.
    const std::size_t shoff = good.size() - 3 * 64;
    for (const std::uint64_t offset : {std::uint64_t{good.size()}, ~std::uint64_t{0} - 4}) {
        Bytes bad = good;
        Put(bad, shoff + 2 * 64 + 24, offset, 8);
        const TempFile t(bad);
        EXPECT_TRUE(AllEmpty(VersionStrings(t.Path()))) << "offset " << offset;
    }
    {
        Bytes bad = good;
        Put(bad, shoff + 2 * 64 + 32, ~std::uint64_t{0}, 8); // size
        const TempFile t(bad);
        EXPECT_TRUE(AllEmpty(VersionStrings(t.Path()))) << "huge size";
    }
}

TEST(VersionStringsFile, FindsTheSectionBySameNameIn32And64BitFiles) {
    const Bytes block = BlockOf(kTestStrings);
    for (const bool is64 : {true, false}) {
        ElfOptions o;
        o.is64 = is64;
        const TempFile t(MakeElf(block, o));
        EXPECT_EQ(VersionStrings(t.Path()).Strings[2], "2.3.4.5") << (is64 ? "64" : "32");
    }
    ElfOptions other;
    other.sectionName = ".vrx_versionX";
    const TempFile longer(MakeElf(block, other));
    EXPECT_TRUE(AllEmpty(VersionStrings(longer.Path())));
    other.sectionName = ".vrx_versio";
    const TempFile shorter(MakeElf(block, other));
    EXPECT_TRUE(AllEmpty(VersionStrings(shorter.Path())));
    ElfOptions outside;
    outside.nameOffsetShift = 1000; // name offset past the name table
    const TempFile t(MakeElf(block, outside));
    EXPECT_TRUE(AllEmpty(VersionStrings(t.Path())));
}

// ---- The version block ---------------------------------------------------

TEST(VersionBlock, StringsAreWindows1252Bytes) {
    const Bytes block = BlockOf(kTestStrings);
    const VersionStrings v = VersionStringsFromBlock(block.data(), block.size());
    EXPECT_EQ(v.Strings[4], "\xA9 2026 \xC9t\xE9 \x80 ?");
    EXPECT_EQ(v.Strings[5], "");
    EXPECT_EQ(v.Strings[8], "2.3");
}

TEST(VersionBlock, TranslationEntryChoosesTheStringTable) {
    // A German table found through its own translation entry.
    const Bytes german = BlockOf(kTestStrings, 0x0407, 0x04B0);
    EXPECT_EQ(VersionStringsFromBlock(german.data(), german.size()).Strings[0], "ACME");

    // The translation value is the block's last four bytes: pointing it at a
    // table that does not exist leaves every string empty.
    Bytes mismatch = BlockOf(kTestStrings);
    Put(mismatch, mismatch.size() - 4, 0x0407, 2);
    EXPECT_TRUE(AllEmpty(VersionStringsFromBlock(mismatch.data(), mismatch.size())));

    // No translation entry at all: rename "Translation" to "Translatiom".
    Bytes none = BlockOf(kTestStrings);
    const Bytes key = {'T', 0,   'r', 0,   'a', 0,   'n', 0,   's', 0,   'l',
                       0,   'a', 0,   't', 0,   'i', 0,   'o', 0,   'n', 0};
    const std::size_t at = Find(none, key);
    ASSERT_NE(at, std::string::npos);
    none[at + key.size() - 2] = 'm';
    EXPECT_TRUE(AllEmpty(VersionStringsFromBlock(none.data(), none.size())));
}

TEST(VersionBlock, MissingKeysStayEmpty) {
    constexpr vrx_version::KeyValue few[] = {{u"fileversion", u"9.9"}, {u"Comments", u"c"}};
    const Bytes block = BlockOf(few);
    const VersionStrings v = VersionStringsFromBlock(block.data(), block.size());
    EXPECT_EQ(v.Strings[2], "9.9"); // keys match regardless of case
    EXPECT_EQ(v.Strings[9], "c");
    for (const int i : {0, 1, 3, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(v.Strings[static_cast<std::size_t>(i)], "") << i;
    }
}

TEST(VersionBlock, EveryTruncationGivesEmptyStrings) {
    const Bytes block = BlockOf(kTestStrings);
    for (std::size_t n = 0; n < block.size(); ++n) {
        const Bytes cut(block.begin(), block.begin() + n);
        // A copy of exactly n bytes: the sanitizer build sees any read past it.
        const auto* data = cut.empty() ? nullptr : cut.data();
        ASSERT_TRUE(AllEmpty(VersionStringsFromBlock(data, cut.size()))) << "size " << n;
    }
}

TEST(VersionBlock, LyingLengthsStopTheLookupInsideTheBlock) {
    const Bytes block = BlockOf(kTestStrings);
    // The "InternalName" node claims more bytes than its table holds: the
    // keys before it are still found, the rest are not.
    const Bytes key = {'I', 0, 'n', 0, 't', 0, 'e', 0, 'r', 0, 'n', 0, 'a', 0, 'l', 0};
    const std::size_t at = Find(block, key);
    ASSERT_NE(at, std::string::npos);
    Bytes bad = block;
    Put(bad, at - 6, 0xFFF0, 2);
    const VersionStrings v = VersionStringsFromBlock(bad.data(), bad.size());
    EXPECT_EQ(v.Strings[0], "ACME");
    EXPECT_EQ(v.Strings[2], "2.3.4.5");
    EXPECT_EQ(v.Strings[3], "");
    EXPECT_EQ(v.Strings[9], "");

    // A text value length past its node is cut at the node's end.
    Bytes longValue = block;
    Put(longValue, at - 4, 0x7FFF, 2);
    EXPECT_EQ(VersionStringsFromBlock(longValue.data(), longValue.size()).Strings[3], "inner");
}

TEST(VersionIndex, OutsideZeroToNineGivesTheFileVersion) {
    VersionStrings v;
    for (std::size_t i = 0; i < 10; ++i) {
        v.Strings[i] = "s" + std::to_string(i);
    }
    EXPECT_EQ(GetVersionString(v, 2), "s2");
    EXPECT_EQ(GetVersionString(v, 12), "s2");
    EXPECT_EQ(GetVersionString(v, 10), "s2");
    EXPECT_EQ(GetVersionString(v, -1), "s2");
    EXPECT_EQ(GetVersionString(v, 0), "s0");
    EXPECT_EQ(GetVersionString(v, 9), "s9");
}

} // namespace
