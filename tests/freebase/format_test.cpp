// The file format byte for byte, and what the reader makes of damaged files.
#include "freebase/freebase.h"
#include "tests/freebase/fb_test_util.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;

// The stored register form: the ones' complement of the usual CRC-32.
std::uint32_t StoredCrc(const Bytes& b, std::size_t from, std::size_t to) {
    return ~static_cast<std::uint32_t>(crc32(0, b.data() + from, static_cast<uInt>(to - from)));
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Fixes the checksums of a version 2 image after a deliberate change.
void Reseal(Bytes& b) {
    const std::uint32_t indexAt = U32At(b, 76);
    PutU32(b, 64, StoredCrc(b, 0, 64));
    PutU32(b, 68, StoredCrc(b, 80, indexAt));
    PutU32(b, 72, StoredCrc(b, indexAt, b.size()));
}

class FormatTest : public ::testing::Test {
protected:
    // Builds a new database, lets `fill` populate it, saves it in `version`.
    Bytes Make(TSaveAsVersion version, const std::function<void(TFreeBase&)>& fill,
               const std::string& name = "db.fdb") {
        fs::remove(dir / name); // a new database, not one loaded from before
        TFreeBase db;
        db.SetFileName(dir / name);
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        db.SetSaveAsVersion(version);
        EXPECT_TRUE(db.Open());
        fill(db);
        expectedSize = db.ExpectedFileSize();
        created = db.GetCreated();
        db.Close();
        EXPECT_EQ(db.LastError(), 0);
        lastChanged = db.GetLastChanged();
        Bytes b = ReadBytes(dir / name);
        EXPECT_EQ(static_cast<std::int64_t>(b.size()), expectedSize);
        return b;
    }

    // Activation result of the given bytes.
    int Load(const Bytes& bytes, TFreeBase& db, const std::string& name = "in.fdb") {
        WriteBytes(dir / name, bytes);
        db.SetFileName(dir / name);
        db.SetOpenFlag(TFBOpenFlag::ReadOnly);
        db.Open();
        return db.LastError();
    }
    int LoadError(const Bytes& bytes) {
        TFreeBase db;
        const int code = Load(bytes, db);
        db.Abort();
        return code;
    }

    // Header the worked examples share, with this run's dates.
    Bytes Header(std::uint16_t size, std::uint16_t version) const {
        Bytes h(64, 0);
        std::memcpy(h.data(), "RRFB", 4);
        h[4] = static_cast<std::uint8_t>(size);
        h[6] = static_cast<std::uint8_t>(version);
        const auto c = std::bit_cast<std::uint64_t>(created);
        const auto l = std::bit_cast<std::uint64_t>(lastChanged);
        for (int i = 0; i < 8; ++i) {
            h[10 + i] = static_cast<std::uint8_t>(c >> (8 * i));
            h[18 + i] = static_cast<std::uint8_t>(l >> (8 * i));
        }
        std::memcpy(h.data() + 26, "unbenannt", 9);
        return h;
    }

    TempDir dir;
    std::int64_t expectedSize = 0;
    double created = 0;
    double lastChanged = 0;
};

const auto WriteA5 = [](TFreeBase& db) { ASSERT_TRUE(db.WriteInteger("A", 5)); };

TEST(Checksum, RegisterFormOfTheStandardCrc) {
    std::uint32_t crc = 0xFFFFFFFF;
    TFreeBase::CRC32("abc", 3, crc);
    EXPECT_EQ(crc, 0xCADBBE3Du);
    TFreeBase::CRC32("", 0, crc);
    EXPECT_EQ(crc, 0xCADBBE3Du);
    // Piecewise equals in one go.
    std::uint32_t a = 0xFFFFFFFF, b = 0xFFFFFFFF;
    TFreeBase::CRC32("123456789", 9, a);
    TFreeBase::CRC32("1234", 4, b);
    TFreeBase::CRC32("56789", 5, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(~a, 0xCBF43926u); // the well-known check value
}

// Long runs take the folding path: it must agree with zlib's tables for
// every length, start address and register, and when split anywhere.
TEST(Checksum, LongRunsAgreeWithZlib) {
    std::mt19937 rng(7);
    Bytes data(70000);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>(rng());
    }
    const std::size_t lengths[] = {255, 256, 257, 319, 320, 333, 1024, 4095, 65536, 69990};
    for (const std::size_t len : lengths) {
        for (const std::size_t offset : {0, 1, 7}) {
            const std::uint32_t start = static_cast<std::uint32_t>(rng());
            std::uint32_t ours = start;
            TFreeBase::CRC32(data.data() + offset, len, ours);
            const auto zlib = ~static_cast<std::uint32_t>(
                crc32(~start & 0xFFFFFFFFUL, data.data() + offset, static_cast<uInt>(len)));
            EXPECT_EQ(ours, zlib) << len << " bytes from " << offset;
            const std::size_t split = rng() % len;
            std::uint32_t pieces = start;
            TFreeBase::CRC32(data.data() + offset, split, pieces);
            TFreeBase::CRC32(data.data() + offset + split, len - split, pieces);
            EXPECT_EQ(pieces, zlib) << len << " bytes split at " << split;
        }
    }
}

TEST_F(FormatTest, WorkedExampleVersion1) {
    const Bytes file = Make(TSaveAsVersion::Version1, WriteA5);
    Bytes expected = Header(64, 1);
    const Bytes tail{0x02, 0x01, 0, 0, 0, 'A', 0, 0, 0, 0, 0x05, 0, 0, 0, 0x00, 0x00};
    expected.insert(expected.end(), tail.begin(), tail.end());
    ASSERT_EQ(file.size(), 80u);
    EXPECT_EQ(file, expected);
    EXPECT_GE(lastChanged, created);
}

TEST_F(FormatTest, WorkedExampleVersion2) {
    const Bytes file = Make(TSaveAsVersion::Version2, WriteA5);
    ASSERT_EQ(file.size(), 110u);
    Bytes expected = Header(80, 2);
    expected.resize(80);
    const Bytes tail{0x02, 0x01, 0, 0, 0, 'A',  0, 0, 0, 0,    0x05, 0, 0, 0, 0x00,
                     0x00, 0x02, 0, 0, 0, 0x50, 0, 0, 0, 0x02, 0x5F, 0, 0, 0, 0x00};
    expected.insert(expected.end(), tail.begin(), tail.end());
    PutU32(expected, 64, StoredCrc(expected, 0, 64));
    PutU32(expected, 68, StoredCrc(expected, 80, 96));
    PutU32(expected, 72, StoredCrc(expected, 96, 110));
    PutU32(expected, 76, 96);
    EXPECT_EQ(file, expected);
}

TEST_F(FormatTest, EmptyDatabasesAndTheirExpectedSize) {
    const Bytes v1 = Make(TSaveAsVersion::Version1, [](TFreeBase&) {});
    EXPECT_EQ(v1.size(), 66u);
    EXPECT_EQ(expectedSize, 66);
    EXPECT_EQ(v1[64], 0);
    EXPECT_EQ(v1[65], 0);

    const Bytes v2 = Make(TSaveAsVersion::Version2, [](TFreeBase&) {});
    EXPECT_EQ(v2.size(), 91u);
    EXPECT_EQ(expectedSize, 91);
    EXPECT_EQ(U32At(v2, 76), 82u); // index offset
    EXPECT_EQ(U32At(v2, 82), 1u);  // one record: the top level's end
    EXPECT_EQ(U32At(v2, 86), 81u);
    EXPECT_EQ(v2[90], 0);

    TFreeBase db;
    EXPECT_EQ(Load(v2, db), 0);
    EXPECT_EQ(db.Root()->Children, nullptr);
    EXPECT_EQ(db.CurrentFileSize(), 91);
    db.Abort();
}

TEST_F(FormatTest, ValuesOfEveryTypeAndTheirBytes) {
    const Bytes file = Make(TSaveAsVersion::Version1, [](TFreeBase& db) {
        db.WriteFloat("F", Extended80::FromDouble(1.0));
        db.WriteBinary("Z", {0, nullptr});
        db.WriteString("S", "\xE4\xF6\xFC");
        db.WriteInteger("I", -2);
        db.WriteTag("I", TFBEntryType::int32, 0x01020304);
        db.SetDataBaseTag(-1);
    });
    // floating F: type, name, tag, then the ten bytes of 1.0
    const Bytes f{5, 1, 0, 0, 0, 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_TRUE(std::equal(f.begin(), f.end(), file.begin() + 64));
    // bin32 Z of size 0: no data bytes follow
    const Bytes z{4, 1, 0, 0, 0, 'Z', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(z.begin(), z.end(), file.begin() + 84));
    const Bytes s{3, 1, 0, 0, 0, 'S', 0, 0, 0, 0, 3, 0, 0, 0, 0xE4, 0xF6, 0xFC};
    EXPECT_TRUE(std::equal(s.begin(), s.end(), file.begin() + 98));
    const Bytes i{2, 1, 0, 0, 0, 'I', 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0};
    EXPECT_TRUE(std::equal(i.begin(), i.end(), file.begin() + 115));
    EXPECT_EQ(file.size(), 131u);
    EXPECT_EQ(U32At(file, 58), 0xFFFFFFFFu);

    TFreeBase db;
    ASSERT_EQ(Load(file, db), 0);
    EXPECT_EQ(db.ReadFloat("F", {}).ToDouble(), 1.0);
    EXPECT_EQ(db.ReadBinary("Z").Data, nullptr);
    EXPECT_NE(db.FindEntry("Z", TFBEntryType::bin32), nullptr);
    EXPECT_EQ(db.ReadString("S", ""), "\xE4\xF6\xFC");
    EXPECT_EQ(db.ReadTag("I", TFBEntryType::int32, 0), 0x01020304);
    EXPECT_EQ(db.GetDataBaseTag(), -1);
    db.Abort();
}

TEST_F(FormatTest, Version2ChecksumsGuardHeaderAndDataButNotTheIndex) {
    const Bytes good = Make(TSaveAsVersion::Version2, WriteA5);
    auto flipped = [&](std::size_t at) {
        Bytes b = good;
        b[at] ^= 0x40;
        return b;
    };
    EXPECT_EQ(LoadError(flipped(12)), 7);  // created
    EXPECT_EQ(LoadError(flipped(20)), 7);  // last changed
    EXPECT_EQ(LoadError(flipped(27)), 7);  // info
    EXPECT_EQ(LoadError(flipped(58)), 7);  // tag
    EXPECT_EQ(LoadError(flipped(85)), 8);  // the name A
    EXPECT_EQ(LoadError(flipped(90)), 8);  // the value 5
    EXPECT_EQ(LoadError(flipped(101)), 0); // an index record
    EXPECT_EQ(LoadError(flipped(72)), 0);  // the index checksum itself

    Bytes cut = good;
    cut.pop_back();
    EXPECT_EQ(LoadError(cut), 0);
    cut.resize(96); // no index at all
    EXPECT_EQ(LoadError(cut), 0);
    cut.resize(95); // the file end marker is not read either
    EXPECT_EQ(LoadError(cut), 0);
    cut.resize(94); // but the level end is
    EXPECT_EQ(LoadError(cut), 5);
}

TEST_F(FormatTest, Version1HasNoChecksums) {
    Bytes file = Make(TSaveAsVersion::Version1, WriteA5);
    file[74] = 9; // the value
    file[12] ^= 1;
    TFreeBase db;
    ASSERT_EQ(Load(file, db), 0);
    EXPECT_EQ(db.ReadInteger("A", 0), 9);
    db.Abort();

    file.pop_back(); // without the file end marker
    EXPECT_EQ(LoadError(file), 0);
    file.pop_back(); // without the level end
    EXPECT_EQ(LoadError(file), 5);
}

TEST_F(FormatTest, MalformedHeadersAreRejected) {
    const Bytes v1 = Make(TSaveAsVersion::Version1, WriteA5);
    const Bytes v2 = Make(TSaveAsVersion::Version2, WriteA5, "v2.fdb");

    Bytes lower = v1;
    std::memcpy(lower.data(), "rrfb", 4);
    EXPECT_EQ(LoadError(lower), 5);
    EXPECT_EQ(LoadError(Bytes(v1.begin(), v1.begin() + 8)), 5);
    EXPECT_EQ(LoadError(Bytes(v1.begin(), v1.begin() + 9)), 5);
    EXPECT_EQ(LoadError(Bytes(v2.begin(), v2.begin() + 79)), 5);
    EXPECT_EQ(LoadError(Bytes{}), 5);

    Bytes version3 = v1;
    version3[6] = 3;
    EXPECT_EQ(LoadError(version3), 5);
    Bytes v1size80 = v1;
    v1size80[4] = 80;
    EXPECT_EQ(LoadError(v1size80), 5);
    Bytes v1size8 = v1;
    v1size8[4] = 8; // would read no header at all
    EXPECT_EQ(LoadError(v1size8), 5);
    Bytes v2size64 = v2;
    v2size64[4] = 64;
    Reseal(v2size64);
    EXPECT_EQ(LoadError(v2size64), 5);
    // The same files sealed but unchanged load: the rejection is the size.
    Bytes resealed = v2;
    Reseal(resealed);
    EXPECT_EQ(LoadError(resealed), 0);
}

TEST_F(FormatTest, MalformedRecordsFailTheLoad) {
    const Bytes v1 = Make(TSaveAsVersion::Version1, WriteA5);
    auto with = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        Bytes b = v1;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    EXPECT_EQ(LoadError(with(64, {6})), 5);
    EXPECT_EQ(LoadError(with(64, {128})), 5);
    EXPECT_EQ(LoadError(with(64, {255})), 5);
    // Lengths beyond what the file holds fail before anything is allocated.
    EXPECT_EQ(LoadError(with(65, {0xFF, 0xFF, 0xFF, 0x7F})), 5);
    EXPECT_EQ(LoadError(with(65, {15, 0, 0, 0})), 5);

    Bytes str = Make(TSaveAsVersion::Version1, [](TFreeBase& db) { db.WriteString("S", "xy"); });
    str[74] = 0xFF, str[75] = 0xFF, str[76] = 0xFF, str[77] = 0x7F;
    EXPECT_EQ(LoadError(str), 5);
    Bytes bin = Make(TSaveAsVersion::Version1, [](TFreeBase& db) {
        db.WriteBinary("B", {2, new std::uint8_t[2]{1, 2}});
    });
    bin[74] = 0x00, bin[75] = 0x00, bin[76] = 0x00, bin[77] = 0x70;
    EXPECT_EQ(LoadError(bin), 5);
    bin[77] = 0, bin[74] = 5; // three bytes short
    EXPECT_EQ(LoadError(bin), 5);
    Bytes flt = Make(TSaveAsVersion::Version1,
                     [](TFreeBase& db) { db.WriteFloat("F", Extended80::FromDouble(3)); });
    flt.resize(flt.size() - 4); // the value cut short
    EXPECT_EQ(LoadError(flt), 5);

    // A node whose level never ends.
    Bytes open = Make(TSaveAsVersion::Version1, [](TFreeBase& db) { db.WriteInteger("N\\I", 1); });
    open.resize(open.size() - 2);
    EXPECT_EQ(LoadError(open), 5);
}

TEST_F(FormatTest, NegativeLengthsAreEmptyAndANegativeSizeIsKept) {
    // Hand-made version 1 file: a name of length -1, a text of length -5 and
    // a binary of size -3.
    Bytes b = Make(TSaveAsVersion::Version1, [](TFreeBase&) {});
    b.resize(64);
    const Bytes records{2, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0,    0,    7,    0,    0,    0, 3, 1,
                        0, 0,    0,    'S',  0,    0, 0, 0,    0xFB, 0xFF, 0xFF, 0xFF, 4, 1, 0,
                        0, 0,    'B',  0,    0,    0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0,    0};
    b.insert(b.end(), records.begin(), records.end());
    TFreeBase db;
    ASSERT_EQ(Load(b, db, "neg.fdb"), 0);
    EXPECT_EQ(db.Root()->Children->Name, "");
    EXPECT_EQ(db.ReadString("S", "d"), "");
    TBinaryParams bin = db.ReadBinary("B");
    EXPECT_EQ(bin.Size, -3);
    EXPECT_EQ(bin.Data, nullptr);
    db.Abort();

    // Saved again, the negative size is written with no bytes, and the
    // expected size counts none either.
    db.SetOpenFlag(TFBOpenFlag::ReadWrite);
    ASSERT_TRUE(db.Open());
    const auto expected = db.ExpectedFileSize();
    db.Close();
    const Bytes saved = ReadBytes(dir / "neg.fdb");
    EXPECT_EQ(static_cast<std::int64_t>(saved.size()), expected);
    EXPECT_EQ(saved.size(), 64 + 13 + 14 + 14 + 2u);
    EXPECT_EQ(U32At(saved, 64 + 13 + 14 + 10), 0xFFFFFFFDu);
}

TEST_F(FormatTest, InfoTextIsCutTo31BytesAndItsTailIsKept) {
    const std::string forty(40, 'x');
    TFreeBase db;
    db.SetFileName(dir / "info.fdb");
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    db.SetSaveAsVersion(TSaveAsVersion::Version1);
    ASSERT_TRUE(db.Open());
    db.SetDataBaseInfo(forty);
    ASSERT_TRUE(db.Flush());
    EXPECT_EQ(db.GetDatabaseInfo(), std::string(31, 'x')); // cut in memory too
    db.Close();
    Bytes b = ReadBytes(dir / "info.fdb");
    EXPECT_EQ(std::string(b.begin() + 26, b.begin() + 57), std::string(31, 'x'));
    EXPECT_EQ(b[57], 0);

    // A field with no zero byte gives all 32 bytes; a shorter text written
    // over it leaves the bytes after its zero as they were.
    b[57] = 'y';
    TFreeBase again;
    ASSERT_EQ(Load(b, again, "info.fdb"), 0);
    EXPECT_EQ(again.GetDatabaseInfo(), std::string(31, 'x') + "y");
    again.Abort();
    again.SetOpenFlag(TFBOpenFlag::ReadWrite);
    ASSERT_TRUE(again.Open());
    again.SetDataBaseInfo("VRX-310");
    again.Close();
    b = ReadBytes(dir / "info.fdb");
    EXPECT_EQ(std::string(b.begin() + 26, b.begin() + 58),
              std::string("VRX-310") + '\0' + std::string(23, 'x') + 'y');
}

TEST_F(FormatTest, SaveVersionsAndTheHeldVersion) {
    Bytes v2 = Make(TSaveAsVersion::Version2, WriteA5);
    v2[8] = 0x34; // reserved: kept by `current` saves only
    v2[9] = 0x12;
    Reseal(v2);
    WriteBytes(dir / "held.fdb", v2);

    TFreeBase db;
    db.SetFileName(dir / "held.fdb");
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.Version(), 2);
    EXPECT_EQ(db.ExpectedFileSize(), 110);
    ASSERT_TRUE(db.Flush());
    Bytes b = ReadBytes(dir / "held.fdb");
    EXPECT_EQ(b.size(), 110u);
    EXPECT_EQ(b[8], 0x34);
    EXPECT_EQ(b[9], 0x12);

    db.SetSaveAsVersion(TSaveAsVersion::Version1);
    EXPECT_EQ(db.ExpectedFileSize(), 80);
    db.Close();
    b = ReadBytes(dir / "held.fdb");
    ASSERT_EQ(b.size(), 80u); // no check block, no index
    EXPECT_EQ(b[4], 64);
    EXPECT_EQ(b[6], 1);
    EXPECT_EQ(b[8], 0);
    EXPECT_EQ(b[64], 2); // the record right after the header

    db.SetSaveAsVersion(TSaveAsVersion::current);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.Version(), 1);
    db.Close();
    EXPECT_EQ(ReadBytes(dir / "held.fdb").size(), 80u);

    db.SetSaveAsVersion(TSaveAsVersion::Version2);
    ASSERT_TRUE(db.Open());
    db.Close();
    b = ReadBytes(dir / "held.fdb");
    EXPECT_EQ(b.size(), 110u);
    EXPECT_EQ(b[8], 0);
}

// --- random trees --------------------------------------------------------

void FillRandom(TFBEntry* root, std::mt19937& rng, int count) {
    std::vector<TFBEntry*> containers{root};
    auto byte = [&] { return static_cast<char>(rng() & 0xFF); };
    for (int i = 0; i < count; ++i) {
        TFBEntry* parent = containers[rng() % containers.size()];
        const auto type = static_cast<TFBEntryType>(1 + rng() % 5);
        TFBEntry* e = parent->EntryType == TFBEntryType::root
                          ? static_cast<TFBRoot*>(parent)->AddChild(type)
                          : static_cast<TFBNode*>(parent)->AddChild(type);
        const int nameLen = static_cast<int>(rng() % 6);
        for (int k = 0; k < nameLen; ++k) {
            e->Name += (rng() % 3 == 0) ? byte() : static_cast<char>('A' + rng() % 3);
        }
        e->Tag = static_cast<std::int32_t>(rng());
        switch (type) {
        case TFBEntryType::node:
            containers.push_back(e);
            break;
        case TFBEntryType::int32:
            static_cast<TFBInteger*>(e)->Value = static_cast<std::int32_t>(rng());
            break;
        case TFBEntryType::str32:
            for (unsigned k = rng() % 40; k > 0; --k) {
                static_cast<TFBString*>(e)->Value += byte();
            }
            break;
        case TFBEntryType::bin32: {
            const auto size = static_cast<std::int32_t>(rng() % 20);
            auto* block = size ? new std::uint8_t[size] : nullptr;
            for (int k = 0; k < size; ++k) {
                block[k] = static_cast<std::uint8_t>(rng());
            }
            static_cast<TFBBinary*>(e)->Assign(block, size);
            break;
        }
        default:
            for (auto& v : static_cast<TFBFloat*>(e)->Value.Bytes) {
                v = static_cast<std::uint8_t>(rng());
            }
        }
    }
}

// Every index record points at the type byte it names, or just past a level end.
void CheckIndex(const Bytes& b) {
    const std::uint32_t at = U32At(b, 76);
    ASSERT_LE(at + 4, b.size());
    const std::uint32_t count = U32At(b, at);
    ASSERT_EQ(at + 4 + 5 * count, b.size());
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t offset = U32At(b, at + 4 + 5 * i);
        const std::uint8_t type = b[at + 8 + 5 * i];
        ASSERT_GE(offset, previous); // an empty node's end meets the next record
        previous = offset;
        if (type == 0) {
            ASSERT_EQ(b[offset - 1], 0);
        } else {
            ASSERT_EQ(b[offset], type);
        }
    }
    EXPECT_EQ(previous, at - 1); // the top level's end, before the file end
}

// Loaded and saved again, a random tree gives the same bytes: the writer is
// pinned byte for byte above, so the reader lost or changed nothing.
TEST_F(FormatTest, RandomTreesSurviveBothVersions) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        for (TSaveAsVersion version : {TSaveAsVersion::Version1, TSaveAsVersion::Version2}) {
            const Bytes b = Make(version, [&](TFreeBase& db) {
                FillRandom(db.Root(), rng, 300);
                db.SetDataBaseInfo("Info\xFF");
                db.SetDataBaseTag(static_cast<std::int32_t>(seed));
            });
            if (version == TSaveAsVersion::Version2) {
                CheckIndex(b);
            }
            TFreeBase db;
            ASSERT_EQ(Load(b, db), 0) << "seed " << seed;
            EXPECT_EQ(db.GetDatabaseInfo(), "Info\xFF");
            EXPECT_EQ(db.CurrentFileSize(), static_cast<std::int64_t>(b.size()));
            db.Abort();
            db.SetOpenFlag(TFBOpenFlag::ReadWrite);
            ASSERT_TRUE(db.Open());
            db.Close();
            Bytes again = ReadBytes(dir / "in.fdb");
            ASSERT_EQ(again.size(), b.size()) << "seed " << seed;
            std::copy(b.begin() + 18, b.begin() + 26, again.begin() + 18); // last changed
            if (version == TSaveAsVersion::Version2) {
                std::copy(b.begin() + 64, b.begin() + 68, again.begin() + 64); // over it
            }
            EXPECT_EQ(again, b) << "seed " << seed;
        }
    }
}

TEST_F(FormatTest, DeepNestingLoadsSavesAndGoesWithoutRecursion) {
    constexpr int Depth = 200000;
    const Bytes b = Make(TSaveAsVersion::Version2, [](TFreeBase& db) {
        TFBEntry* n = db.Root()->AddChild(TFBEntryType::node);
        for (int i = 1; i < Depth; ++i) {
            n = static_cast<TFBNode*>(n)->AddChild(TFBEntryType::node);
        }
        static_cast<TFBNode*>(n)->AddChild(TFBEntryType::int32);
    });
    EXPECT_EQ(b.size(), 91u + Depth * (10 + 10) + 13 + 5);
    TFreeBase db;
    ASSERT_EQ(Load(b, db), 0);
    int depth = 0;
    const TFBEntry* e = db.Root()->Children;
    while (e && e->EntryType == TFBEntryType::node) {
        ++depth;
        e = e->FirstChild();
    }
    EXPECT_EQ(depth, Depth);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->EntryType, TFBEntryType::int32);
    db.Abort(); // destroys the chain
    EXPECT_EQ(db.Root(), nullptr);
}

// Every name, tag and value of a tree folded into one number.
std::uint64_t Fingerprint(const TFBEntry* root) {
    std::uint64_t sum = 0;
    auto mix = [&sum](const void* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            sum = (sum ^ static_cast<const std::uint8_t*>(p)[i]) * 1099511628211u;
        }
    };
    std::vector<const TFBEntry*> pending{root};
    while (!pending.empty()) {
        const TFBEntry* e = pending.back();
        pending.pop_back();
        for (const TFBEntry* c = e->FirstChild(); c; c = c->Next) {
            mix(c->Name.data(), c->Name.size());
            mix(&c->Tag, sizeof c->Tag);
            if (c->EntryType == TFBEntryType::node) {
                pending.push_back(c);
            } else if (c->EntryType == TFBEntryType::str32) {
                const std::string& v = static_cast<const TFBString*>(c)->Value;
                mix(v.data(), v.size());
            } else if (c->EntryType == TFBEntryType::int32) {
                mix(&static_cast<const TFBInteger*>(c)->Value, 4);
            }
        }
    }
    return sum;
}

// Reading and writing checksum a large file a stretch at a time, and a save
// larger than the last one grows its buffer: the stored sums still equal
// zlib's over the whole ranges, and damage far from the start is refused.
TEST_F(FormatTest, LargeFilesKeepEveryChecksum) {
    std::mt19937 rng(11);
    const Bytes first =
        Make(TSaveAsVersion::Version2, [&](TFreeBase& db) { FillRandom(db.Root(), rng, 20000); });
    TFreeBase db;
    ASSERT_EQ(Load(first, db), 0);
    db.Abort();
    db.SetOpenFlag(TFBOpenFlag::ReadWrite);
    ASSERT_TRUE(db.Open());
    FillRandom(db.Root(), rng, 40000);
    const std::int64_t expected = db.ExpectedFileSize();
    db.Close();
    ASSERT_EQ(db.LastError(), 0);
    const Bytes grown = ReadBytes(dir / "in.fdb");
    for (const Bytes* b : {&first, &grown}) {
        const std::uint32_t indexAt = U32At(*b, 76);
        ASSERT_GT(indexAt, 300000u);
        EXPECT_EQ(U32At(*b, 64), StoredCrc(*b, 0, 64));
        EXPECT_EQ(U32At(*b, 68), StoredCrc(*b, 80, indexAt));
        EXPECT_EQ(U32At(*b, 72), StoredCrc(*b, indexAt, b->size()));
        CheckIndex(*b);
        // The tag of the last record: any value is well-formed.
        std::uint32_t last = 0;
        for (std::uint32_t r = indexAt + 4; r < b->size(); r += 5) {
            if ((*b)[r + 4] != 0) {
                last = U32At(*b, r);
            }
        }
        ASSERT_GT(last, indexAt - 1000);
        Bytes damaged = *b;
        damaged[last + 5 + U32At(*b, last + 1)] ^= 0x01;
        EXPECT_EQ(LoadError(damaged), fbeDataCrc);
    }
    EXPECT_EQ(static_cast<std::int64_t>(grown.size()), expected);
    EXPECT_EQ(LoadError(grown), 0);

    // Past a megabyte the file is read on a second thread while the entries
    // are made: the same tree as from memory, and a file that ends early
    // is refused whatever stretch it ends in.
    const std::size_t dataEnd = U32At(grown, 76) - 1; // the file end marker is not needed
    ASSERT_GT(dataEnd, (1u << 20) + 65537);
    TFreeBase fromMemory;
    ASSERT_TRUE(fromMemory.OpenImage(std::vector<std::uint8_t>(grown.begin(), grown.end())));
    TFreeBase fromFile;
    ASSERT_EQ(Load(grown, fromFile), 0);
    EXPECT_EQ(Fingerprint(fromFile.Root()), Fingerprint(fromMemory.Root()));
    for (const std::size_t keep :
         {std::size_t{100}, std::size_t{(1u << 20) + 65537}, dataEnd - 1}) {
        EXPECT_EQ(LoadError(Bytes(grown.begin(), grown.begin() + static_cast<long>(keep))),
                  fbeLoadFailed)
            << keep;
    }
}

// Binary values read from a file share blocks: each must stay whole until
// its own entry goes, whatever goes first, and another load must never be
// given memory still in use.
TEST_F(FormatTest, BinaryValuesOfAFileOutliveEachOtherInAnyOrder) {
    auto pattern = [](int i, std::size_t k) { return static_cast<std::uint8_t>(i * 31 + k * 7); };
    auto sizeOf = [](int i) { return static_cast<std::size_t>(1 + (i * 997) % 9500); };
    const Bytes b = Make(TSaveAsVersion::Version2, [&](TFreeBase& db) {
        for (int i = 0; i < 300; ++i) {
            auto* block = new std::uint8_t[sizeOf(i)];
            for (std::size_t k = 0; k < sizeOf(i); ++k) {
                block[k] = pattern(i, k);
            }
            db.WriteBinary("B\\" + std::to_string(i),
                           {static_cast<std::int32_t>(sizeOf(i)), block});
        }
    });
    TFreeBase a;
    ASSERT_EQ(Load(b, a), 0);
    for (int i = 0; i < 300; i += 2) {
        delete a.FindEntry("B\\" + std::to_string(i), TFBEntryType::bin32);
    }
    for (int i = 1; i < 300; i += 6) { // replaced: the old block is released
        ASSERT_TRUE(a.WriteBinary("B\\" + std::to_string(i), {1, new std::uint8_t[1]{42}}));
    }
    {
        // Another load, its values overwritten: it may take freed memory only.
        TFreeBase other;
        ASSERT_EQ(Load(b, other, "other.fdb"), 0);
        for (int i = 0; i < 300; ++i) {
            const TBinaryParams v = other.ReadBinary("B\\" + std::to_string(i));
            ASSERT_EQ(v.Size, static_cast<std::int32_t>(sizeOf(i)));
            std::memset(v.Data, 0xEE, sizeOf(i));
        }
        int wrong = 0;
        for (int i = 1; i < 300; i += 2) {
            const TBinaryParams v = a.ReadBinary("B\\" + std::to_string(i));
            if (i % 6 == 1) {
                wrong += v.Size != 1 || v.Data[0] != 42;
                continue;
            }
            bool same = v.Size == static_cast<std::int32_t>(sizeOf(i));
            for (std::size_t k = 0; same && k < sizeOf(i); ++k) {
                same = v.Data[k] == pattern(i, k);
            }
            wrong += !same;
        }
        EXPECT_EQ(wrong, 0);
        a.Abort(); // the rest of a goes while other's values live
        EXPECT_EQ(other.ReadBinary("B\\299").Data[sizeOf(299) - 1], 0xEE);
    }
}

// Readers on several threads hold blocks of the shared entry pool while
// others give theirs back: no two live entries may share memory.
TEST_F(FormatTest, ParallelLoadsKeepTheirEntriesApart) {
    std::mt19937 rng(5);
    const Bytes b =
        Make(TSaveAsVersion::Version2, [&](TFreeBase& db) { FillRandom(db.Root(), rng, 3000); });
    const std::vector<std::uint8_t> image(b.begin(), b.end());
    TFreeBase reference;
    ASSERT_TRUE(reference.OpenImage(image));
    const std::uint64_t expected = Fingerprint(reference.Root());
    std::atomic<int> wrong{0};
    auto reader = [&] {
        for (int round = 0; round < 20; ++round) {
            TFreeBase a, c;
            a.OpenImage(image);
            c.OpenImage(image); // while a's entries are live
            if (!a.Active() || !c.Active() || Fingerprint(a.Root()) != expected ||
                Fingerprint(c.Root()) != expected) {
                ++wrong;
            }
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back(reader);
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(Fingerprint(reference.Root()), expected);
}

// Every child names its parent and the entry before it, and appending to
// any level lands after its last child.
bool LinksHold(TFBEntry* root) {
    std::vector<TFBEntry*> pending{root};
    while (!pending.empty()) {
        TFBEntry* e = pending.back();
        pending.pop_back();
        TFBEntry* previous = e;
        for (TFBEntry* c = e->FirstChild(); c; c = c->Next) {
            if (c->Parent != e || c->Prev != previous) {
                return false;
            }
            previous = c;
            if (c->EntryType == TFBEntryType::node) {
                pending.push_back(c);
            }
        }
        TFBEntry* added = e->EntryType == TFBEntryType::root
                              ? static_cast<TFBRoot*>(e)->AddChild(TFBEntryType::int32)
                              : static_cast<TFBNode*>(e)->AddChild(TFBEntryType::int32);
        const bool appended = added->Prev == previous && (previous == e || previous->Next == added);
        delete added;
        if (!appended) {
            return false;
        }
    }
    return true;
}

// A file past a megabyte is read by two threads, the second from a record
// most of the way in, at whatever depth it falls: the tree is the one read
// from memory with every link in place, a bad record on either side of
// that point fails the load, and a tree open meanwhile stays whole.
TEST_F(FormatTest, LargeFilesReadInTwoPartsGiveTheSameTree) {
    for (const unsigned seed : {3u, 4u, 5u}) {
        // The same tree in both versions; version 1 lies 16 bytes earlier.
        Bytes files[2];
        for (const int v : {0, 1}) {
            std::mt19937 rng(seed);
            files[v] = Make(v ? TSaveAsVersion::Version2 : TSaveAsVersion::Version1,
                            [&](TFreeBase& db) { FillRandom(db.Root(), rng, 80000); });
        }
        const Bytes& v2 = files[1];
        ASSERT_GT(v2.size(), 1u << 21);
        std::vector<std::uint32_t> records; // where each entry's record starts
        const std::uint32_t indexAt = U32At(v2, 76);
        for (std::uint32_t r = indexAt + 4; r < v2.size(); r += 5) {
            if (v2[r + 4] != 0) {
                records.push_back(U32At(v2, r));
            }
        }
        for (const int v : {0, 1}) {
            const Bytes& b = files[v];
            TFreeBase kept;
            ASSERT_TRUE(kept.OpenImage(std::vector<std::uint8_t>(b.begin(), b.end())));
            const std::uint64_t expected = Fingerprint(kept.Root());
            for (int round = 0; round < 2;
                 ++round) { // the second one reuses the first one's memory
                TFreeBase fromFile;
                ASSERT_EQ(Load(b, fromFile), 0) << seed;
                EXPECT_EQ(Fingerprint(fromFile.Root()), expected) << seed << " v" << v + 1;
                EXPECT_TRUE(LinksHold(fromFile.Root())) << seed << " v" << v + 1;
            }
            for (const std::size_t share : {30, 90}) {
                Bytes damaged = b;
                damaged[records[records.size() * share / 100] - (v ? 0 : 16)] = 9;
                EXPECT_EQ(LoadError(damaged), fbeLoadFailed) << seed << " at " << share << " %";
            }
            EXPECT_EQ(Fingerprint(kept.Root()), expected);
        }
    }
}

// With VRX_WRITE_SEEDS=<folder>, the example files go there for the fuzzer.
TEST_F(FormatTest, SeedFilesForTheFuzzer) {
    const char* out = std::getenv("VRX_WRITE_SEEDS");
    std::vector<std::pair<std::string, Bytes>> seeds;
    seeds.emplace_back("example_v1.fdb", Make(TSaveAsVersion::Version1, WriteA5));
    seeds.emplace_back("example_v2.fdb", Make(TSaveAsVersion::Version2, WriteA5));
    seeds.emplace_back("empty_v1.fdb", Make(TSaveAsVersion::Version1, [](TFreeBase&) {}));
    seeds.emplace_back("empty_v2.fdb", Make(TSaveAsVersion::Version2, [](TFreeBase&) {}));
    std::mt19937 rng(7);
    seeds.emplace_back("mixed_v2.fdb", Make(TSaveAsVersion::Version2, [&](TFreeBase& db) {
                           FillRandom(db.Root(), rng, 25);
                       }));
    for (auto& [name, bytes] : seeds) {
        TFreeBase db;
        EXPECT_EQ(Load(bytes, db), 0) << name; // every seed is a sound file
        db.Abort();
        if (out) {
            WriteBytes((fs::path(out) / name).string(), bytes);
        }
    }
}

} // namespace

// Bytes already read (a pipe) load with every check of a file, read-only:
// nothing is written anywhere, and a damaged image is refused as a file is.
TEST_F(FormatTest, AnImageInMemoryHasTheChecksOfAFile) {
    Bytes b = Make(TSaveAsVersion::Version2, [](TFreeBase& db) {
        db.WriteString("CarID", "M-KD 4711");
        db.WriteInteger("Unit", 2);
    });
    TFreeBase db;
    ASSERT_TRUE(db.OpenImage(b));
    EXPECT_EQ(db.ReadString("CarID", ""), "M-KD 4711");
    EXPECT_EQ(db.OpenFlag(), TFBOpenFlag::ReadOnly);
    EXPECT_FALSE(db.Flush());
    EXPECT_FALSE(db.OpenImage(b)); // already active
    EXPECT_EQ(db.LastError(), fbeAlreadyActive);
    db.Close();
    EXPECT_EQ(ReadBytes(dir / "db.fdb"), b);

    int raised = 0;
    TFreeBase damaged;
    damaged.SetOnError([&](TFreeBase&, int& code) { raised = code; });
    b[90] ^= 1; // a data byte: the data checksum no longer fits
    EXPECT_FALSE(damaged.OpenImage(b));
    EXPECT_EQ(damaged.LastError(), fbeDataCrc);
    EXPECT_EQ(raised, fbeDataCrc);
    EXPECT_FALSE(damaged.Active());
    b.resize(40); // shorter than its header
    EXPECT_FALSE(damaged.OpenImage(b));
    EXPECT_EQ(damaged.LastError(), fbeLoadFailed);
    EXPECT_FALSE(damaged.OpenImage(Bytes((16u << 20) + 1, 0))); // beyond the file bound
    EXPECT_EQ(damaged.LastError(), fbeLoadFailed);
}
