// The one writer and reader: what a crash, a full disk, a read-only or
// linked target and a pipe leave behind.
#include "fileio/safe_file.h"
#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using safefile::ReadStatus;
using safefile::WriteStep;

std::size_t EntriesIn(const TempDir& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++n;
    return n;
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.Valid()); }
    void TearDown() override {
        safefile::SetWriteLimitForTesting(-1);
        safefile::SetStepHookForTesting(nullptr);
    }
    TempDir dir;
};

// A child process dies at each step of a replacement: the target holds the
// old or the new content, never less, and the next write succeeds and
// clears what the dead process left.
TEST_F(SafeFileTest, CrashAtEveryStepLeavesOldOrNewAndNextWriteCleansUp) {
    const std::string target = dir / "ABC.vrx";
    const std::string oldBytes(5000, 'o'), newBytes(9000, 'n');
    for (WriteStep crashAt : {WriteStep::TempCreated, WriteStep::DataWritten, WriteStep::TempSynced,
                              WriteStep::Renamed}) {
        WriteFile(target, oldBytes);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            safefile::SetStepHookForTesting([crashAt](WriteStep s) {
                if (s == crashAt)
                    _exit(9);
                return true;
            });
            safefile::ReplaceFile(target, newBytes);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 9);
        const std::string after = ReadFile(target);
        EXPECT_EQ(after, crashAt == WriteStep::Renamed ? newBytes : oldBytes);

        ASSERT_TRUE(safefile::ReplaceFile(target, "third"));
        EXPECT_EQ(ReadFile(target), "third");
        EXPECT_EQ(EntriesIn(dir), 1u) << "a dead process's temporary file stayed";
    }
}

TEST_F(SafeFileTest, FailedWritesKeepTheOldFileAndLeaveNothingBehind) {
    const std::string target = dir / "VRX310.ini";
    WriteFile(target, "[Company]\nName=Old\n");

    // Full disk: the write itself fails.
    safefile::SetWriteLimitForTesting(10);
    EXPECT_FALSE(safefile::ReplaceFile(target, std::string(100, 'x')));
    safefile::SetWriteLimitForTesting(-1);
    // A step that fails, e.g. the flush.
    safefile::SetStepHookForTesting([](WriteStep s) { return s != WriteStep::TempSynced; });
    EXPECT_FALSE(safefile::ReplaceFile(target, "new"));
    safefile::SetStepHookForTesting(nullptr);
    // A streaming writer that is dropped half way.
    {
        safefile::FileReplacer file;
        ASSERT_TRUE(file.Begin(target));
        ASSERT_TRUE(file.Write("half"));
    }
    // Read-only to the user: refused even for root.
    ::chmod(target.c_str(), 0444);
    safefile::FileReplacer readOnly;
    EXPECT_FALSE(readOnly.Begin(target));
    EXPECT_EQ(readOnly.Error(), EACCES);

    EXPECT_EQ(ReadFile(target), "[Company]\nName=Old\n");
    EXPECT_EQ(ModeOf(target), 0444u);
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST_F(SafeFileTest, ModesAndLinksAreKept) {
    const mode_t oldMask = ::umask(022);
    const std::string fresh = dir / "new.pdf";
    ASSERT_TRUE(safefile::ReplaceFile(fresh, "%PDF-"));
    EXPECT_EQ(ModeOf(fresh), 0644u);
    ::umask(oldMask);

    const std::string kept = dir / "kept.vrx";
    WriteFile(kept, "a");
    ::chmod(kept.c_str(), 0640);
    ASSERT_TRUE(safefile::ReplaceFile(kept, "b"));
    EXPECT_EQ(ModeOf(kept), 0640u);

    const std::string link = dir / "link.vrx";
    ASSERT_EQ(::symlink("kept.vrx", link.c_str()), 0);
    ASSERT_TRUE(safefile::ReplaceFile(link, "through the link"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(kept), "through the link");

    // Another user's link in a shared folder such as /tmp is not followed.
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting another user's link needs root";
    const std::string shared = dir / "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string planted = shared + "/sim.state";
    ASSERT_EQ(::symlink(kept.c_str(), planted.c_str()), 0);
    ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(safefile::ReplaceFile(planted, "state"));
    EXPECT_EQ(ReadFile(kept), "through the link");
}

// Two saves of one file at once: each finishes whole, neither removes the
// other's temporary file, and the file holds one of them completely.
TEST_F(SafeFileTest, ConcurrentSavesOfOneFileBothComplete) {
    const std::string target = dir / "same.vrx";
    const std::string a(200000, 'a'), b(300000, 'b');
    bool okA = false, okB = false;
    std::thread ta([&] { okA = safefile::ReplaceFile(target, a); });
    std::thread tb([&] { okB = safefile::ReplaceFile(target, b); });
    ta.join();
    tb.join();
    EXPECT_TRUE(okA && okB);
    const std::string after = ReadFile(target);
    EXPECT_TRUE(after == a || after == b);
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST_F(SafeFileTest, OnlyRegularFilesOfBoundedSizeAreRead) {
    std::string out = "stale";
    const std::string fifo = dir / "pipe.vrx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Returns at once: no writer is ever coming.
    EXPECT_EQ(safefile::ReadRegularFile(fifo, out, 1024), ReadStatus::NotRegular);
    EXPECT_EQ(safefile::ReadRegularFile(dir.Path().string(), out, 1024), ReadStatus::NotRegular);
    EXPECT_EQ(safefile::ReadRegularFile(dir / "none", out, 1024), ReadStatus::Missing);
    EXPECT_EQ(safefile::ReadRegularFile("/dev/zero", out, 1024), ReadStatus::NotRegular);

    const std::string big = dir / "big";
    WriteFile(big, std::string(1025, 'x'));
    EXPECT_EQ(safefile::ReadRegularFile(big, out, 1024), ReadStatus::TooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(safefile::ReadRegularFile(big, out, 1025), ReadStatus::Ok);
    EXPECT_EQ(out.size(), 1025u);
    std::uint64_t size = 0;
    EXPECT_EQ(safefile::CheckRegularFile(big, 1025, &size), ReadStatus::Ok);
    EXPECT_EQ(size, 1025u);
    EXPECT_EQ(safefile::CheckRegularFile(fifo, 1025), ReadStatus::NotRegular);
}

} // namespace
