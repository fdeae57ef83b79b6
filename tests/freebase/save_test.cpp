// A save never destroys the file that was there.
#ifdef _WIN32
#include <windows.h>
#endif

#include "fileio/safe_file.h"
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
    void TearDown() override { safefile::SetWriteLimitForTesting(-1); }

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
        safefile::SetWriteLimitForTesting(limit);
        EXPECT_FALSE(db.Flush()) << limit;
        EXPECT_EQ(db.LastError(), 4);
        EXPECT_EQ(db.CurrentFileSize(), static_cast<std::int64_t>(original.size()));
        EXPECT_TRUE(db.Active());
        EXPECT_EQ(ReadBytes(path), original) << limit;
        EXPECT_TRUE(OnlyTheDatabaseIsThere()) << limit;

        safefile::SetWriteLimitForTesting(limit);
        db.Close();
        EXPECT_EQ(db.LastError(), 4);
        EXPECT_FALSE(db.Active());
        EXPECT_EQ(ReadBytes(path), original);
        EXPECT_TRUE(OnlyTheDatabaseIsThere());
        safefile::SetWriteLimitForTesting(-1);
    }
    // With room for all of it the same save goes through.
    TFreeBase db;
    OpenAndChange(db);
    const auto size = db.ExpectedFileSize();
    safefile::SetWriteLimitForTesting(size);
    EXPECT_TRUE(db.Flush());
    EXPECT_EQ(db.CurrentFileSize(), size);
    db.Abort();
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadString("CarID", ""), "NEW-2");
    db.Abort();
}

TEST_F(SaveTest, AReadOnlyFileIsNotReplaced) {
    ::chmod(path.c_str(), 0444);
    TFreeBase db;
    OpenAndChange(db);
    db.Close();
    EXPECT_EQ(db.LastError(), 4);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_TRUE(OnlyTheDatabaseIsThere());
    ::chmod(path.c_str(), 0644); // Windows will not remove a read-only file with its folder
}

// What an interrupted save of an older version or a crash leaves: a fixed
// temporary name beside the file, and a new file of zero bytes.
TEST_F(SaveTest, LeftoversOfAnInterruptedSaveDoNotStopTheNext) {
    WriteBytes(path + ".fbtmp", Bytes(10, 0xAA));
    TFreeBase db;
    OpenAndChange(db);
    db.Close();
    EXPECT_EQ(db.LastError(), 0);
    EXPECT_TRUE(OnlyTheDatabaseIsThere());
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadString("CarID", ""), "NEW-2");
    db.Abort();

    const std::string empty = dir / "first.vrx";
    WriteBytes(empty, {});
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    db.SetFileName(empty);
    EXPECT_FALSE(db.Open()); // nothing to show
    EXPECT_EQ(db.LastError(), 5);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    ASSERT_TRUE(db.Open()); // but a save onto it writes the report
    db.WriteString("CarID", "FIRST");
    db.Close();
    ASSERT_EQ(db.LastError(), 0);
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.ReadString("CarID", ""), "FIRST");
    db.Abort();
}

// A pipe or an oversized file at the report's name is refused at once,
// however the database is opened.
TEST_F(SaveTest, OnlyRegularFilesOfBoundedSizeAreLoaded) {
#ifdef _WIN32
    // Windows pipes live in their own namespace; the server end stays silent.
    const std::string fifo = "\\\\.\\pipe\\vrx-report-" + std::to_string(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeA(fifo.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                           PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
#else
    const std::string fifo = dir / "pipe.vrx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
    const std::string big = dir / "big.vrx";
    {
        Bytes bytes = original;
        bytes.resize(fbfile::MaxFileBytes + 1);
        WriteBytes(big, bytes);
    }
    for (TFBOpenFlag flag : {TFBOpenFlag::ReadOnly, TFBOpenFlag::CreateNotExists}) {
        for (const std::string& p : {fifo, big}) {
            TFreeBase db;
            db.SetOpenFlag(flag);
            db.SetFileName(p);
            EXPECT_FALSE(db.Open()) << p;
            EXPECT_EQ(db.LastError(), 5) << p;
        }
    }
#ifdef _WIN32
    CloseHandle(server);
#endif
}

TEST_F(SaveTest, TheReplacementKeepsPermissionsAndLinks) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permission bits and symbolic links";
#endif
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
