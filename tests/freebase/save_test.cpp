// A save never destroys the file that was there.
#include "freebase/fb_file.h"
#include "freebase/freebase.h"
#include "tests/freebase/fb_test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir / "report.vrx";
        TFreeBase maker;
        maker.SetFileName(path);
        maker.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        ASSERT_TRUE(maker.Open());
        maker.WriteString("CarID", "OLD-1");
        maker.Close();
        ASSERT_EQ(maker.LastError(), 0);
        original = ReadBytes(path);
        ASSERT_EQ(original.size(), 119u);
    }
    void TearDown() override { fbfile::SetWriteLimitForTesting(-1); }

    void OpenAndChange(TFreeBase& db) {
        db.SetFileName(path);
        ASSERT_TRUE(db.Open());
        db.WriteString("CarID", "NEW-2");
        db.WriteString("Operator", std::string(5000, 'o'));
    }

    bool OnlyTheDatabaseIsThere() const {
        return std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator{}) == 1;
    }

    TempDir dir;
    std::string path;
    Bytes original;
};

TEST_F(SaveTest, AWriteFailingAnywhereLeavesTheOldFile) {
    // Fails before the header, inside it, in the records and in the index.
    for (std::int64_t limit : {0, 10, 70, 200, 5000, 5140}) {
        TFreeBase db;
        OpenAndChange(db);
        fbfile::SetWriteLimitForTesting(limit);
        EXPECT_FALSE(db.Flush()) << limit;
        EXPECT_EQ(db.LastError(), 4);
        EXPECT_EQ(db.CurrentFileSize(), static_cast<std::int64_t>(original.size()));
        EXPECT_TRUE(db.Active());
        EXPECT_EQ(ReadBytes(path), original) << limit;
        EXPECT_TRUE(OnlyTheDatabaseIsThere()) << limit;

        fbfile::SetWriteLimitForTesting(limit);
        db.Close();
        EXPECT_EQ(db.LastError(), 4);
        EXPECT_FALSE(db.Active());
        EXPECT_EQ(ReadBytes(path), original);
        EXPECT_TRUE(OnlyTheDatabaseIsThere());
        fbfile::SetWriteLimitForTesting(-1);
    }
    // With room for all of it the same save goes through.
    TFreeBase db;
    OpenAndChange(db);
    const auto size = db.ExpectedFileSize();
    fbfile::SetWriteLimitForTesting(size);
    EXPECT_TRUE(db.Flush());
    EXPECT_EQ(db.CurrentFileSize(), size);
    db.Abort();
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadString("CarID", ""), "NEW-2");
    db.Abort();
}

TEST_F(SaveTest, ANewFileThatCannotBeMadeLeavesTheOldFile) {
    // Something that is not ours stands where the new file would be written.
    fs::create_directory(fbfile::ReplacingFile::TempNameFor(path));
    fs::create_directory(fs::path(fbfile::ReplacingFile::TempNameFor(path)) / "inside");
    TFreeBase db;
    OpenAndChange(db);
    db.Close();
    EXPECT_EQ(db.LastError(), 4);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_TRUE(fs::is_directory(fs::path(fbfile::ReplacingFile::TempNameFor(path)) / "inside"));
}

TEST_F(SaveTest, ALeftoverFromAnInterruptedSaveIsReplaced) {
    WriteBytes(fbfile::ReplacingFile::TempNameFor(path), Bytes(10, 0xAA));
    TFreeBase db;
    OpenAndChange(db);
    db.Close();
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_TRUE(OnlyTheDatabaseIsThere());
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadString("CarID", ""), "NEW-2");
    db.Abort();
}

TEST_F(SaveTest, TheReplacementKeepsPermissionsAndLinks) {
    ::chmod(path.c_str(), 0640);
    const std::string link = dir / "link.vrx";
    fs::create_symlink(path, link);

    TFreeBase db;
    db.SetFileName(link);
    ASSERT_TRUE(db.Open());
    db.WriteString("CarID", "VIA-LINK");
    db.Close();
    ASSERT_EQ(db.LastError(), 0);

    EXPECT_TRUE(fs::is_symlink(link));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    db.SetFileName(path);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadString("CarID", ""), "VIA-LINK");
    db.Abort();
}

} // namespace
