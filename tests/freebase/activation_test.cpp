// Activation with the four open flags, error codes, OnError, Flush and Abort.
#include "freebase/freebase.h"
#include "tests/freebase/fb_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ActivationTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.SetOnError([this](TFreeBase& sender, int& code) {
            EXPECT_EQ(&sender, &db);
            raised.push_back(code);
        });
    }

    // A valid version 2 file holding one integer.
    std::string MakeDatabase(const std::string& name) {
        TFreeBase maker;
        maker.SetFileName(dir / name);
        maker.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        EXPECT_TRUE(maker.Open());
        maker.WriteInteger("Keep", 42);
        maker.Close();
        EXPECT_EQ(maker.LastError(), 0);
        return dir / name;
    }

    TempDir dir;
    TFreeBase db;
    std::vector<int> raised;
};

TEST_F(ActivationTest, MissingFileOrNameFailsUnlessCreatingIsAllowed) {
    EXPECT_FALSE(db.Open());
    EXPECT_EQ(db.LastError(), 2);

    db.SetFileName(dir / "missing.fdb");
    for (TFBOpenFlag flag : {TFBOpenFlag::ReadWrite, TFBOpenFlag::ReadOnly}) {
        db.SetOpenFlag(flag);
        EXPECT_FALSE(db.Open());
        EXPECT_EQ(db.LastError(), 3);
        EXPECT_FALSE(fs::exists(dir / "missing.fdb"));
    }
    EXPECT_EQ(raised, (std::vector<int>{2, 3, 3}));

    db.SetFileName(dir / "no-such-folder/x.fdb");
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    EXPECT_FALSE(db.Open());
    EXPECT_EQ(db.LastError(), 3);
    EXPECT_EQ(db.Root(), nullptr);
}

TEST_F(ActivationTest, CreatingMakesAnEmptyFileAtOnceThatOnlyASaveCanUse) {
    const std::string path = dir / "new.fdb";
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(db.CurrentFileSize(), 0);
    EXPECT_EQ(db.GetDatabaseInfo(), "unbenannt");
    EXPECT_EQ(db.Version(), 2);

    db.Abort();
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_FALSE(db.Active());
    EXPECT_EQ(fs::file_size(path), 0u);

    // Nothing to read in it...
    db.SetOpenFlag(TFBOpenFlag::ReadWrite);
    EXPECT_FALSE(db.Open());
    EXPECT_EQ(db.LastError(), 5);
    EXPECT_EQ(db.Root(), nullptr);
    EXPECT_EQ(raised, (std::vector<int>{5}));
    // ...but where a missing file would be created it counts as missing.
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.GetDatabaseInfo(), "unbenannt");
    db.Close();
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_GT(fs::file_size(path), 0u);
}

TEST_F(ActivationTest, ActivatingTwiceOrClosingTwice) {
    db.SetFileName(MakeDatabase("a.fdb"));
    ASSERT_TRUE(db.Open());
    EXPECT_TRUE(db.Open());
    EXPECT_EQ(db.LastError(), 1);
    EXPECT_TRUE(db.Active());
    EXPECT_EQ(db.ReadInteger("Keep", 0), 42); // the tree is untouched
    db.Close();
    EXPECT_EQ(db.LastError(), 0);
    db.Close();
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_EQ(raised, (std::vector<int>{1}));
}

TEST_F(ActivationTest, TheHandlerDecidesTheFinalCode) {
    db.SetOnError([](TFreeBase&, int& code) { code = code == 3 ? 0 : 99; });
    db.SetFileName(dir / "missing.fdb");
    EXPECT_FALSE(db.Open());
    EXPECT_EQ(db.LastError(), 0); // cleared by the handler, still inactive
    db.Abort();
    EXPECT_EQ(db.LastError(), 99);
    db.SetLastError(17);
    EXPECT_EQ(db.LastError(), 17);
}

TEST_F(ActivationTest, NameAndFlagAreFixedWhileActive) {
    const std::string path = MakeDatabase("a.fdb");
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::ReadWrite);
    ASSERT_TRUE(db.Open());
    db.SetFileName(dir / "other.fdb");
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    EXPECT_EQ(db.FileName(), path);
    EXPECT_EQ(db.OpenFlag(), TFBOpenFlag::ReadWrite);
    db.WriteInteger("Added", 1);
    db.Close(); // saves: the flag is still ReadWrite
    EXPECT_FALSE(fs::exists(dir / "other.fdb"));

    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadInteger("Added", 0), 1);
    db.Abort();
}

TEST_F(ActivationTest, FlushAndAbortOnAnInactiveDatabase) {
    EXPECT_FALSE(db.Flush());
    EXPECT_EQ(db.LastError(), 6);
    db.Abort();
    EXPECT_EQ(db.LastError(), 6);
    EXPECT_EQ(db.CurrentFileSize(), 0);
    EXPECT_EQ(raised, (std::vector<int>{6, 6}));
}

TEST_F(ActivationTest, FlushWritesAndStaysActiveCloseWritesAbortDoesNot) {
    const std::string path = dir / "f.fdb";
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    ASSERT_TRUE(db.Open());
    db.WriteString("S", "hello");
    const auto expected = db.ExpectedFileSize();
    ASSERT_TRUE(db.Flush());
    EXPECT_TRUE(db.Active());
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_EQ(db.CurrentFileSize(), expected);
    EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(path)), expected);

    db.WriteString("T", "discarded");
    db.Abort();
    EXPECT_EQ(db.CurrentFileSize(), 0);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.CurrentFileSize(), expected);
    EXPECT_EQ(db.ReadString("T", "none"), "none");
    EXPECT_EQ(db.ReadString("S", ""), "hello");
    db.Close();
    EXPECT_EQ(db.CurrentFileSize(), 0);
    EXPECT_TRUE(raised.empty());
}

TEST_F(ActivationTest, ReadOnlyNeverWrites) {
    const std::string path = MakeDatabase("ro.fdb");
    const Bytes before = ReadBytes(path);
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    ASSERT_TRUE(db.Open());
    db.WriteInteger("Keep", 7);
    EXPECT_FALSE(db.SaveData());
    EXPECT_FALSE(db.Flush());
    EXPECT_EQ(db.LastError(), 4);
    EXPECT_EQ(db.CurrentFileSize(), static_cast<std::int64_t>(before.size()));
    db.Close();
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(raised, (std::vector<int>{4}));
}

TEST_F(ActivationTest, OverwriteCrashedReplacesADamagedFileButReportsWhy) {
    const std::string path = MakeDatabase("crash.fdb");
    Bytes bytes = ReadBytes(path);
    bytes[bytes.size() - 20] ^= 0x01; // inside the data: checksum mismatch
    WriteBytes(path, bytes);

    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    EXPECT_FALSE(db.Open());
    EXPECT_EQ(db.LastError(), 8);

    db.SetOpenFlag(TFBOpenFlag::OverwriteCrashed);
    EXPECT_TRUE(db.Open());
    EXPECT_EQ(db.LastError(), 8);
    EXPECT_EQ(db.ReadInteger("Keep", -1), -1);
    EXPECT_EQ(db.GetDatabaseInfo(), "unbenannt");
    EXPECT_EQ(ReadBytes(path), bytes); // replaced only at the next save
    db.WriteInteger("Fresh", 1);
    db.Close();
    EXPECT_EQ(db.LastError(), 0);

    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadInteger("Fresh", 0), 1);
    db.Abort();

    WriteBytes(dir / "junk.fdb", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'd', 'b', '!', '!'});
    db.SetFileName(dir / "junk.fdb");
    db.SetOpenFlag(TFBOpenFlag::OverwriteCrashed);
    EXPECT_TRUE(db.Open());
    EXPECT_EQ(db.LastError(), 5);
    EXPECT_EQ(db.CurrentFileSize(), 0);
    db.Abort();
    EXPECT_EQ(raised, (std::vector<int>{8, 8, 5}));
}

TEST_F(ActivationTest, DatesDescribeTheLastDatabaseAndSurviveSaves) {
    const auto start = FBDateTimeNow();
    const std::string path = dir / "d.fdb";
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    ASSERT_TRUE(db.Open());
    const auto created = db.GetCreated();
    EXPECT_GE(created, start - 1.0 / 86400);
    EXPECT_LE(created, FBDateTimeNow() + 1.0 / 86400);
    db.Close();
    EXPECT_EQ(db.GetCreated(), created); // still answered while inactive
    const auto changed = db.GetLastChanged();
    EXPECT_GE(changed, created);

    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.GetCreated(), created); // from the file
    EXPECT_EQ(db.GetLastChanged(), changed);
    db.Close();
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.GetCreated(), created); // saving onto it kept the date
    db.Abort();
}

TEST_F(ActivationTest, AFailedSaveOnClosingStillCloses) {
    const std::string path = MakeDatabase("gone.fdb");
    db.SetFileName(path);
    ASSERT_TRUE(db.Open());
    // The folder disappears under the open database.
    fs::remove(path);
    fs::remove(dir.Path());
    db.Close();
    EXPECT_EQ(db.LastError(), 4);
    EXPECT_FALSE(db.Active());
    EXPECT_EQ(db.Root(), nullptr);
    EXPECT_EQ(raised, (std::vector<int>{4}));
}

} // namespace
