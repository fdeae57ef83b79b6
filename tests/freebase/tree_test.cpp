// The entry tree and path access: resolution, name matching, search, links.
#include "freebase/freebase.h"
#include "tests/freebase/fb_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.SetFileName(dir / "t.fdb");
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        ASSERT_TRUE(db.Open());
    }

    std::vector<TFBEntry*> Children(TFBEntry* parent) {
        std::vector<TFBEntry*> out;
        for (TFBEntry* c = parent->FirstChild(); c; c = c->Next) {
            out.push_back(c);
        }
        return out;
    }

    TempDir dir;
    TFreeBase db;
};

TEST_F(TreeTest, PathsSkipLeadingAndDoubledSeparatorsButNotTrailingOnes) {
    ASSERT_TRUE(db.WriteInteger("\\\\A\\B", 5));

    auto top = Children(db.Root());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0]->EntryType, TFBEntryType::node);
    EXPECT_EQ(top[0]->Name, "A");
    auto inner = Children(top[0]);
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0]->EntryType, TFBEntryType::int32);
    EXPECT_EQ(inner[0]->Name, "B");

    EXPECT_EQ(db.ReadInteger("a\\b", -1), 5);
    EXPECT_EQ(db.ReadInteger("A\\\\B", -1), 5);
    EXPECT_EQ(db.ReadInteger("A\\B\\", -1), -1);

    EXPECT_EQ(db.ForceEntry("", TFBEntryType::int32, true), nullptr);
    EXPECT_EQ(db.ForceEntry("\\\\", TFBEntryType::int32, true), nullptr);
    EXPECT_EQ(db.ForceEntry("X\\", TFBEntryType::node, true), nullptr);
    EXPECT_FALSE(db.WriteString("Y\\", "v"));
    // None of the refused paths made anything.
    EXPECT_EQ(Children(db.Root()).size(), 1u);
}

TEST_F(TreeTest, ReadingNeverCreatesAndAMissingPathGivesTheDefault) {
    const auto before = db.ExpectedFileSize();
    EXPECT_EQ(db.ReadInteger("No\\Such\\Int", 77), 77);
    EXPECT_EQ(db.ReadString("No\\Such", "dflt"), "dflt");
    EXPECT_EQ(db.ReadFloat("F", Extended80::FromDouble(2.0)), Extended80::FromDouble(2.0));
    TBinaryParams b = db.ReadBinary("Bin");
    EXPECT_EQ(b.Size, 0);
    EXPECT_EQ(b.Data, nullptr);
    EXPECT_EQ(db.ReadTag("No", TFBEntryType::node, 9), 9);
    EXPECT_FALSE(db.WriteTag("No\\Such", TFBEntryType::int32, 3));
    EXPECT_EQ(db.Root()->Children, nullptr);
    EXPECT_EQ(db.ExpectedFileSize(), before);
}

TEST_F(TreeTest, OneChildPerNameAndTypeAndOtherTypesAreNoPathComponents) {
    ASSERT_TRUE(db.WriteString("A", "text"));
    ASSERT_TRUE(db.WriteInteger("A", 12));
    ASSERT_TRUE(db.WriteInteger("a", 13)); // same entry, other case
    EXPECT_EQ(db.ReadString("A", ""), "text");
    EXPECT_EQ(db.ReadInteger("A", 0), 13);
    ASSERT_EQ(Children(db.Root()).size(), 2u);

    // A\B passes by the integer A and appends a node A after it.
    ASSERT_TRUE(db.WriteInteger("A\\B", 1));
    TFBSearchInfo info;
    std::vector<TFBEntryType> types;
    for (bool ok = db.FindFirst("", TFBEntryType::any, info); ok; ok = db.FindNext(info)) {
        EXPECT_EQ(info.Name, "A");
        types.push_back(info.Entry->EntryType);
    }
    EXPECT_EQ(types, (std::vector<TFBEntryType>{TFBEntryType::str32, TFBEntryType::int32,
                                                TFBEntryType::node}));
    EXPECT_EQ(db.ReadInteger("A\\B", 0), 1);
}

TEST_F(TreeTest, NamesFoldOnlyAsciiLetters) {
    EXPECT_TRUE(TFreeBase::SameName("abc", "ABC"));
    EXPECT_TRUE(TFreeBase::SameName("Sensor SN", "sENSOR sn"));
    // Pairs that differ only in bit 0x20 but are not letters.
    EXPECT_FALSE(TFreeBase::SameName("\xC4", "\xE4"));
    EXPECT_FALSE(TFreeBase::SameName("@", "`"));
    EXPECT_FALSE(TFreeBase::SameName("[", "{"));
    EXPECT_FALSE(TFreeBase::SameName("1", "\x11"));
    EXPECT_FALSE(TFreeBase::SameName("ab", "abc"));
    EXPECT_FALSE(TFreeBase::SameName(std::string("a\0b", 3), std::string("a\0c", 3)));

    ASSERT_TRUE(db.WriteInteger("Gr\xC4"
                                "sse",
                                1));
    ASSERT_TRUE(db.WriteInteger("gr\xE4"
                                "SSE",
                                2));
    EXPECT_EQ(Children(db.Root()).size(), 2u);
    EXPECT_EQ(db.ReadInteger("GR\xC4"
                             "SSE",
                             0),
              1);

    // A stored name keeps the case it was created with.
    ASSERT_TRUE(db.WriteString("MiXed", "1"));
    ASSERT_TRUE(db.WriteString("mixed", "2"));
    TFBEntry* e = db.FindEntry("MIXED", TFBEntryType::str32);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Name, "MiXed");
    EXPECT_EQ(static_cast<TFBString*>(e)->Value, "2");
}

TEST_F(TreeTest, TagsBelongToNameAndType) {
    ASSERT_TRUE(db.WriteInteger("N\\V", 1));
    ASSERT_TRUE(db.WriteString("N\\V", "s"));
    EXPECT_TRUE(db.WriteTag("N\\V", TFBEntryType::str32, 44));
    EXPECT_TRUE(db.WriteTag("N", TFBEntryType::node, -7));
    EXPECT_EQ(db.ReadTag("n\\v", TFBEntryType::str32, 0), 44);
    EXPECT_EQ(db.ReadTag("N\\V", TFBEntryType::int32, 0), 0);
    EXPECT_EQ(db.ReadTag("N", TFBEntryType::node, 0), -7);
    EXPECT_EQ(db.ReadTag("N\\V", TFBEntryType::bin32, 5), 5);
    EXPECT_FALSE(db.WriteTag("N\\V", TFBEntryType::floating, 1));
    EXPECT_EQ(db.ForceEntry("N\\V", TFBEntryType::floating, false), nullptr);
}

TEST_F(TreeTest, SearchWalksDirectChildrenOfOneNode) {
    db.WriteInteger("Grp\\I1", 1);
    db.WriteString("Grp\\S1", "x");
    db.WriteInteger("Grp\\Sub\\Deep", 3);
    db.WriteInteger("Grp\\I2", 2);
    db.WriteInteger("Top", 0);

    auto names = [&](std::string_view path, TFBEntryType type) {
        std::vector<std::string> out;
        TFBSearchInfo info;
        for (bool ok = db.FindFirst(path, type, info); ok; ok = db.FindNext(info)) {
            out.push_back(info.Name);
        }
        EXPECT_EQ(info.Entry, nullptr);
        EXPECT_EQ(info.Name, "");
        return out;
    };
    const std::vector<std::string> ints{"I1", "I2"};
    EXPECT_EQ(names("Grp", TFBEntryType::int32), ints);
    EXPECT_EQ(names("grp\\", TFBEntryType::int32), ints);
    EXPECT_EQ(names("Grp", TFBEntryType::any), (std::vector<std::string>{"I1", "S1", "Sub", "I2"}));
    EXPECT_EQ(names("Grp", TFBEntryType::str32), (std::vector<std::string>{"S1"}));
    EXPECT_EQ(names("", TFBEntryType::node), (std::vector<std::string>{"Grp"}));
    EXPECT_TRUE(names("Grp", TFBEntryType::floating).empty());
    EXPECT_TRUE(names("Top", TFBEntryType::any).empty()); // an integer, not a node
    EXPECT_TRUE(names("Nope", TFBEntryType::any).empty());

    TFBSearchInfo info;
    ASSERT_TRUE(db.FindFirst("Grp", TFBEntryType::any, info));
    info.EntryType = static_cast<TFBEntryType>(7);
    EXPECT_FALSE(db.FindNext(info));
    EXPECT_EQ(info.Entry, nullptr);
}

TEST_F(TreeTest, LinksOfAddedAndDeletedChildren) {
    TFBRoot* root = db.Root();
    EXPECT_EQ(root->AddChild(TFBEntryType::root), nullptr);
    EXPECT_EQ(root->AddChild(TFBEntryType::any), nullptr);
    EXPECT_EQ(root->AddChild(static_cast<TFBEntryType>(9)), nullptr);
    EXPECT_EQ(root->Children, nullptr);

    TFBEntry* a = root->AddChild(TFBEntryType::int32);
    TFBEntry* b = root->AddChild(TFBEntryType::node);
    TFBEntry* c = root->AddChild(TFBEntryType::str32);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(root->Children, a);
    EXPECT_EQ(a->Prev, root);
    EXPECT_EQ(c->Prev, b);
    EXPECT_EQ(c->Next, nullptr);
    auto* node = static_cast<TFBNode*>(b);
    TFBEntry* x = node->AddChild(TFBEntryType::floating);
    TFBEntry* y = node->AddChild(TFBEntryType::bin32);
    EXPECT_EQ(node->Children, x);
    EXPECT_EQ(x->Prev, node);

    EXPECT_TRUE(db.IsFirstEntry(a));
    EXPECT_TRUE(db.IsFirstEntry(x));
    EXPECT_FALSE(db.IsFirstEntry(b));
    EXPECT_FALSE(db.IsFirstEntry(y));
    EXPECT_FALSE(db.IsFirstEntry(nullptr));

    // Removing the last child, then appending, must link after the new last.
    delete c;
    EXPECT_EQ(b->Next, nullptr);
    TFBEntry* d = root->AddChild(TFBEntryType::int32);
    EXPECT_EQ(b->Next, d);
    EXPECT_EQ(d->Prev, b);
    // Removing the first child moves Children and makes the parent Prev.
    delete a;
    EXPECT_EQ(root->Children, b);
    EXPECT_EQ(b->Prev, root);
    EXPECT_TRUE(db.IsFirstEntry(b));
    // Removing a middle child joins its neighbours; a node takes its subtree.
    TFBEntry* e = root->AddChild(TFBEntryType::str32);
    delete d;
    EXPECT_EQ(b->Next, e);
    EXPECT_EQ(e->Prev, b);
    delete b;
    EXPECT_EQ(root->Children, e);
    EXPECT_EQ(e->Prev, root);
    // Emptying the list and adding again starts it afresh.
    delete e;
    EXPECT_EQ(root->Children, nullptr);
    TFBEntry* f = root->AddChild(TFBEntryType::node);
    EXPECT_EQ(root->Children, f);
    EXPECT_EQ(f->Prev, root);
    // Empty file, one unnamed node with its level end, two more index records.
    EXPECT_EQ(db.ExpectedFileSize(), 91 + 10 + 2 * 5);
}

TEST_F(TreeTest, BinaryBlocksAreTakenOverAndReplaced) {
    auto* first = new std::uint8_t[3]{1, 2, 3};
    ASSERT_TRUE(db.WriteBinary("B", {3, first}));
    TBinaryParams got = db.ReadBinary("b");
    EXPECT_EQ(got.Size, 3);
    EXPECT_EQ(got.Data, first); // the entry's own block, not a copy

    auto* second = new std::uint8_t[2]{9, 8};
    ASSERT_TRUE(db.WriteBinary("B", {2, second})); // releases the first block
    got = db.ReadBinary("B");
    ASSERT_EQ(got.Size, 2);
    EXPECT_EQ(got.Data[1], 8);

    ASSERT_TRUE(db.WriteBinary("Empty", {0, nullptr}));
    got = db.ReadBinary("Empty");
    EXPECT_EQ(got.Size, 0);
    EXPECT_EQ(got.Data, nullptr);

    // A refused write leaves the block with the caller, who still owns it
    // (a sanitizer build sees a double release otherwise).
    auto* refused = new std::uint8_t[4]{7, 7, 7, 7};
    EXPECT_FALSE(db.WriteBinary("Bad\\", {4, refused}));
    EXPECT_EQ(refused[3], 7);
    delete[] refused;
}

TEST(TreeInactive, EverythingAnswersWithDefaults) {
    TFreeBase db;
    EXPECT_FALSE(db.WriteInteger("A", 1));
    EXPECT_FALSE(db.WriteString("A", "x"));
    EXPECT_FALSE(db.WriteFloat("A", Extended80::FromDouble(1)));
    std::uint8_t block[1] = {};
    EXPECT_FALSE(db.WriteBinary("A", {1, block}));
    EXPECT_EQ(db.ReadInteger("A", 3), 3);
    EXPECT_EQ(db.ReadString("A", "d"), "d");
    EXPECT_EQ(db.FindEntry("", TFBEntryType::root), nullptr);
    EXPECT_EQ(db.GetDatabaseInfo(), "");
    EXPECT_EQ(db.GetDataBaseTag(), 0);
    db.SetDataBaseInfo("ignored");
    EXPECT_EQ(db.GetDatabaseInfo(), "");
    EXPECT_EQ(db.ExpectedFileSize(), 0);
    TFBSearchInfo info;
    EXPECT_FALSE(db.FindFirst("", TFBEntryType::any, info));
    EXPECT_EQ(info.Entry, nullptr);
    EXPECT_FALSE(db.FindNext(info));
    EXPECT_FALSE(db.SaveData());
}

} // namespace
