// The one writer and reader: what a crash, a full disk, a read-only or
// linked target and a pipe leave behind.
#include "fileio/safe_file.h"
#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#undef ReplaceFile
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using safefile::ReadStatus;
using safefile::WriteStep;

std::size_t EntriesIn(const TempDir& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++n;
    return n;
}

#ifndef _WIN32
unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Saves newBytes in a child process that dies at `crashAt`; its exit code.
int SaveInChildCrashingAt(const std::string& target, const std::string& newBytes,
                          WriteStep crashAt) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
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
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The user's "do not change".
void SetReadOnly(const std::string& path, bool on) {
    ::chmod(path.c_str(), on ? 0444 : 0644);
}
#else
// No fork: the test program runs the current test again as a child, which
// only saves (as told by the environment) and dies at the step.
int SaveInChildCrashingAt(const std::string& target, const std::string&, WriteStep crashAt) {
    wchar_t exe[MAX_PATH];
    if (GetModuleFileNameW(nullptr, exe, MAX_PATH) == 0)
        return -1;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::wstring command =
        L"\"" + std::wstring(exe) + L"\" --gtest_filter=" +
        safefile::WidePath(std::string(test->test_suite_name()) + "." + test->name());
    SetEnvironmentVariableW(L"VRX_CRASH_STEP", std::to_wstring(static_cast<int>(crashAt)).c_str());
    SetEnvironmentVariableW(L"VRX_CRASH_TARGET", safefile::WidePath(target).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    const BOOL started = CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &child);
    SetEnvironmentVariableW(L"VRX_CRASH_STEP", nullptr);
    SetEnvironmentVariableW(L"VRX_CRASH_TARGET", nullptr);
    if (!started) {
        ADD_FAILURE() << "the child did not start, error " << GetLastError();
        return -1;
    }
    DWORD code = 0;
    if (WaitForSingleObject(child.hProcess, 30000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(child.hProcess, &code)) {
        ADD_FAILURE() << "the child did not end, error " << GetLastError();
        code = static_cast<DWORD>(-1);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return static_cast<int>(code);
}

// The child's half; returns in the parent.
void SaveAndCrashWhenChild(const TempDir& unused, const std::string& newBytes) {
    const char* step = std::getenv("VRX_CRASH_STEP");
    const char* target = std::getenv("VRX_CRASH_TARGET");
    if (!step || !target)
        return;
    std::error_code ec;
    std::filesystem::remove(unused.Path(), ec); // ExitProcess skips its destructor
    const int crashAt = std::atoi(step);
    safefile::SetStepHookForTesting([crashAt](WriteStep s) {
        if (static_cast<int>(s) == crashAt)
            ExitProcess(9);
        return true;
    });
    safefile::ReplaceFile(target, newBytes);
    ExitProcess(0);
}

void SetReadOnly(const std::string& path, bool on) {
    SetFileAttributesW(safefile::WidePath(path).c_str(),
                       on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}
#endif

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
// clears what the dead process left. Also for a name of 250 bytes, which
// leaves no room for the usual temporary name beside it.
TEST_F(SafeFileTest, CrashAtEveryStepLeavesOldOrNewAndNextWriteCleansUp) {
    const std::string oldBytes(5000, 'o'), newBytes(9000, 'n');
#ifdef _WIN32
    SaveAndCrashWhenChild(dir, newBytes);
#endif
    for (const std::string& target : {dir / "ABC.vrx", dir / (std::string(246, 'L') + ".vrx")})
        for (WriteStep crashAt : {WriteStep::TempCreated, WriteStep::DataWritten,
                                  WriteStep::TempSynced, WriteStep::Renamed}) {
            WriteFile(target, oldBytes);
            ASSERT_EQ(SaveInChildCrashingAt(target, newBytes, crashAt), 9);
            const std::string after = ReadFile(target);
            EXPECT_EQ(after, crashAt == WriteStep::Renamed ? newBytes : oldBytes);

            ASSERT_TRUE(safefile::ReplaceFile(target, "third"));
            EXPECT_EQ(ReadFile(target), "third");
            EXPECT_EQ(EntriesIn(dir), 1u) << "a dead process's temporary file stayed";
            std::filesystem::remove(target);
        }
}

TEST_F(SafeFileTest, FailedWritesKeepTheOldFileAndLeaveNothingBehind) {
    const std::string target = dir / "VRX310.ini";
    WriteFile(target, "[Company]\nName=Old\n");

    // Full disk: the write itself fails.
    safefile::SetWriteLimitForTesting(10);
    EXPECT_FALSE(safefile::ReplaceFile(target, std::string(100, 'x')));
    safefile::SetWriteLimitForTesting(-1);
#ifndef _WIN32
    // The system's own short write: a file size limit lets the first 4 KiB
    // through, then write() fails with EFBIG.
    {
        rlimit old{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool replaced = safefile::ReplaceFile(target, std::string(10000, 'x'));
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        EXPECT_FALSE(replaced);
        EXPECT_EQ(ReadFile(target), "[Company]\nName=Old\n");
    }
#endif
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
    SetReadOnly(target, true);
    safefile::FileReplacer readOnly;
    EXPECT_FALSE(readOnly.Begin(target));
    EXPECT_EQ(readOnly.Error(), EACCES);

    EXPECT_EQ(ReadFile(target), "[Company]\nName=Old\n");
#ifdef _WIN32
    EXPECT_TRUE(GetFileAttributesW(safefile::WidePath(target).c_str()) & FILE_ATTRIBUTE_READONLY);
    SetReadOnly(target, false); // else the folder cannot be removed
#else
    EXPECT_EQ(ModeOf(target), 0444u);
#endif
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST_F(SafeFileTest, ModesAndLinksAreKept) {
#ifdef _WIN32
    // What Windows keeps in place of the mode: the attributes. Links get no
    // special treatment there.
    const std::string hidden = dir / "hidden.vrx";
    WriteFile(hidden, "a");
    const std::wstring wide = safefile::WidePath(hidden);
    ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(safefile::ReplaceFile(hidden, "b"));
    EXPECT_EQ(ReadFile(hidden), "b");
    EXPECT_TRUE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);
#else
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
#endif
}

// A bare file name is a file in the current folder, new or replaced.
TEST_F(SafeFileTest, BareFileNameIsSavedInTheCurrentFolder) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const bool created = safefile::ReplaceFile("VRX310.ini", "one");
    const bool replaced = safefile::ReplaceFile("VRX310.ini", "two");
    std::filesystem::current_path(before);
    EXPECT_TRUE(created && replaced);
    EXPECT_EQ(ReadFile(dir / "VRX310.ini"), "two");
    EXPECT_EQ(EntriesIn(dir), 1u);
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
#ifdef _WIN32
    const std::string fifo = "\\\\.\\pipe\\vrx-safe-file-" + std::to_string(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeW(safefile::WidePath(fifo).c_str(), PIPE_ACCESS_OUTBOUND,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::string device = "NUL";
#else
    const std::string fifo = dir / "pipe.vrx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string device = "/dev/zero";
#endif
    EXPECT_TRUE(safefile::PathExists(fifo));
    // Returns at once: no writer is ever coming.
    EXPECT_EQ(safefile::ReadRegularFile(fifo, out, 1024), ReadStatus::NotRegular);
    EXPECT_EQ(safefile::ReadRegularFile(dir.Path().string(), out, 1024), ReadStatus::NotRegular);
    EXPECT_EQ(safefile::ReadRegularFile(dir / "none", out, 1024), ReadStatus::Missing);
    EXPECT_EQ(safefile::ReadRegularFile(device, out, 1024), ReadStatus::NotRegular);

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
#ifdef _WIN32
    CloseHandle(server);
#endif
}

// A file read on a thread of its own while its reader waits for what it
// needs: every byte once, in order; a file that grows meanwhile says so,
// one that shrinks gives what is left; a refused file starts no thread.
TEST_F(SafeFileTest, BackgroundReadDeliversTheFileAndNoticesChanges) {
    std::string content(700 * 1024 + 3, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + i / 251);
    }
    const std::string path = dir / "large.bin";
    for (const std::size_t threadFrom : {std::size_t{1}, content.size() + 1}) {
        WriteFile(path, content);
        std::size_t covered = 0;
        bool inOrder = true;
        safefile::BackgroundRead read;
        ASSERT_EQ(read.Start(path, content.size(), threadFrom,
                             [&](const std::uint8_t*, std::size_t from, std::size_t to) {
                                 inOrder = inOrder && from == covered && to > from;
                                 covered = to;
                             }),
                  ReadStatus::Ok);
        EXPECT_GE(read.WaitFor(100000), 100000u);
        EXPECT_EQ(read.WaitFor(content.size() + 10), content.size()); // ends at the end
        EXPECT_EQ(read.Finish(), safefile::BackgroundRead::End::Ok);
        EXPECT_EQ(read.Size(), content.size());
        EXPECT_TRUE(inOrder);
        EXPECT_EQ(covered, content.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.Data()), read.Size()), content)
            << threadFrom;
    }

    // Changed by another program after the first stretch arrived.
    for (const bool grow : {true, false}) {
        WriteFile(path, content);
        safefile::BackgroundRead read;
        bool changed = false;
        std::error_code error;
        ASSERT_EQ(read.Start(path, content.size() * 2, 1,
                             [&](const std::uint8_t*, std::size_t, std::size_t) {
                                 if (!changed) {
                                     changed = true;
                                     std::filesystem::resize_file(
                                         path, grow ? content.size() + 1 : 200000, error);
                                 }
                             }),
                  ReadStatus::Ok);
        const auto end = read.Finish();
        ASSERT_FALSE(error) << error.message();
        EXPECT_EQ(end,
                  grow ? safefile::BackgroundRead::End::Grew : safefile::BackgroundRead::End::Ok);
        if (!grow) {
            EXPECT_EQ(read.Size(), 200000u);
            EXPECT_EQ(read.WaitFor(content.size()), 200000u);
        }
    }

    safefile::BackgroundRead missing, tooLarge, folder;
    EXPECT_EQ(missing.Start(dir / "none", 10, 1), ReadStatus::Missing);
    EXPECT_EQ(missing.WaitFor(5), 0u); // returns at once
    EXPECT_EQ(missing.Finish(), safefile::BackgroundRead::End::Failed);
    EXPECT_EQ(tooLarge.Start(path, 100, 1), ReadStatus::TooLarge);
    EXPECT_EQ(folder.Start(dir.Path().string(), 100, 1), ReadStatus::NotRegular);
}

#ifdef _WIN32
// A name in UTF-8 and the same name in Windows-1252 from an older caller
// are one file, stored under its proper UTF-16 name.
TEST_F(SafeFileTest, NonAsciiNameIsOneFileInUtf8AndWindows1252) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page here is not Windows-1252";
    const std::string folder = dir.Path().string() + "\\";
    const std::string utf8 = folder + "Pr\xC3\xBC"
                                      "fbericht M\xC3\xBC"
                                      "ller \xE2\x82\xAC.vrx";
    const std::string ansi = folder + "Pr\xFC"
                                      "fbericht M\xFC"
                                      "ller \x80.vrx";
    ASSERT_TRUE(safefile::ReplaceFile(utf8, "first"));
    ASSERT_TRUE(safefile::ReplaceFile(ansi, "second"));
    std::string out;
    EXPECT_EQ(safefile::ReadRegularFile(utf8, out, 100), ReadStatus::Ok);
    EXPECT_EQ(out, "second");
    EXPECT_EQ(safefile::FileSize(ansi), 6);

    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir.Path().wstring() + L"\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (found.cFileName[0] != L'.')
            names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(names, std::vector<std::wstring>{L"Pr\u00fcfbericht M\u00fcller \u20ac.vrx"});
    EXPECT_TRUE(safefile::RemoveFile(ansi));
    EXPECT_FALSE(safefile::PathExists(utf8));
}
#endif

} // namespace
