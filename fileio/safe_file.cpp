#include "fileio/safe_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace safefile {

namespace {

std::atomic<std::int64_t> g_writeLimit{-1};
std::atomic<std::int64_t> g_written{0};
std::mutex g_hookMutex;
std::function<bool(WriteStep)> g_stepHook;

bool Step(WriteStep step) {
    std::function<bool(WriteStep)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_stepHook;
    }
    return !hook || hook(step);
}

long ProcessId() {
#ifdef _WIN32
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

// One write call; the caller loops over short writes.
long long WriteFd(int fd, const char* data, std::size_t size) {
#ifdef _WIN32
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
#else
    return ::write(fd, data, size);
#endif
}

// The piece of the temporary name that differs between two writes of one process.
std::string UniquePart() {
    static std::atomic<unsigned> counter{0};
    const auto now = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    unsigned long long v = now ^ (static_cast<unsigned long long>(counter++) << 40);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int i = 0; i < 6; ++i) {
        s += digits[v % 36];
        v /= 36;
    }
    return s;
}

std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

#ifndef _WIN32

int OpenNoBlock(const std::string& path) {
    // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

// A link planted by someone else in a shared folder such as /tmp is not
// followed (the kernel's rule for such folders): it could point at any
// file of the user's.
bool MayFollow(const std::string& link, const struct stat& linkStat) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == folder.st_uid;
}

// A link is followed, so the new file replaces what it points to and the
// link itself stays. Empty when the link must not be followed.
std::string ResolveTarget(const std::string& target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return target;
    }
    if (!MayFollow(target, st)) {
        return std::string();
    }
    if (char* real = ::realpath(target.c_str(), nullptr)) {
        std::string r(real);
        std::free(real);
        return r;
    }
    // A link to a file not yet there: create the file it names.
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(target, ec);
    return ec ? target : resolved.string();
}

bool ProcessIsGone(long pid) {
    if (pid <= 0) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Leftovers of earlier writes of this target by processes that no longer
// run: "NAME.<pid>.<unique>.tmp", and the older "NAME.<pid>.tmp" and
// "NAME.fbtmp".
void RemoveLeftovers(const std::string& target) {
    const fs::path t(target);
    const std::string name = t.filename().string();
    const std::string folder = FolderOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        return;
    }
    const std::string prefix = name + ".";
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string rest = entry.substr(prefix.size());
        bool remove = false;
        if (rest == "fbtmp") {
            remove = true;
        } else if (rest.size() > 4 && rest.compare(rest.size() - 4, 4, ".tmp") == 0) {
            const std::string mid = rest.substr(0, rest.size() - 4);
            const auto dot = mid.find('.');
            const std::string pidText = mid.substr(0, dot);
            const bool digits = !pidText.empty() && pidText.size() < 12 &&
                                pidText.find_first_not_of("0123456789") == std::string::npos;
            const bool uniqueOk = dot == std::string::npos ||
                                  (mid.size() - dot - 1 == 6 &&
                                   mid.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz",
                                                         dot + 1) == std::string::npos);
            remove = digits && uniqueOk && ProcessIsGone(std::stol(pidText));
        }
        if (!remove) {
            continue;
        }
        const std::string path = folder + "/" + entry;
        struct stat st {};
        // Only plain files: a folder or link of that name is not ours.
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(dir);
}

void SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // the rename itself must survive a power cut
        ::close(fd);
    }
}

#endif

template <typename Buffer>
ReadStatus ReadInto(const std::string& path, Buffer& out, std::uint64_t maxBytes) {
    out.clear();
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    const int fd = OpenNoBlock(path);
#endif
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return ReadStatus::Missing;
        }
        // A FIFO opened for reading without a writer succeeds; ENXIO and
        // friends come from devices and sockets.
        return (errno == ENXIO || errno == EISDIR) ? ReadStatus::NotRegular : ReadStatus::Failed;
    }
    struct stat st {};
    ReadStatus status = ReadStatus::Ok;
    if (::fstat(fd, &st) != 0) {
        status = ReadStatus::Failed;
    } else if ((st.st_mode & S_IFMT) != S_IFREG) {
        status = ReadStatus::NotRegular;
    } else if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        status = ReadStatus::TooLarge;
    }
    if (status == ReadStatus::Ok) {
        try {
            out.resize(static_cast<std::size_t>(st.st_size));
            std::size_t got = 0;
            for (;;) {
                if (got == out.size()) {
                    // The file may have grown since fstat: read one byte
                    // more to tell, within the limit.
                    if (out.size() >= maxBytes) {
                        char probe;
#ifdef _WIN32
                        const int n = _read(fd, &probe, 1);
#else
                        const ssize_t n = ::read(fd, &probe, 1);
#endif
                        if (n > 0) {
                            status = ReadStatus::TooLarge;
                        } else if (n < 0) {
                            status = ReadStatus::Failed;
                        }
                        break;
                    }
                    out.resize(std::min<std::uint64_t>(maxBytes, out.size() + 65536));
                }
#ifdef _WIN32
                const long long n =
                    _read(fd, reinterpret_cast<char*>(&out[0]) + got,
                          static_cast<unsigned>(std::min<std::size_t>(out.size() - got, 1u << 30)));
#else
                const ssize_t n =
                    ::read(fd, reinterpret_cast<char*>(&out[0]) + got, out.size() - got);
#endif
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n < 0) {
                    status = ReadStatus::Failed;
                    break;
                }
                if (n == 0) {
                    out.resize(got); // shrank while reading: what is there
                    break;
                }
                got += static_cast<std::size_t>(n);
            }
        } catch (const std::bad_alloc&) {
            status = ReadStatus::Failed;
        }
    }
#ifdef _WIN32
    _close(fd);
#else
    ::close(fd);
#endif
    if (status != ReadStatus::Ok) {
        out.clear();
    }
    return status;
}

} // namespace

ReadStatus CheckRegularFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Failed;
    }
    if ((st.st_mode & S_IFMT) != S_IFREG) {
        return ReadStatus::NotRegular;
    }
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        return ReadStatus::TooLarge;
    }
    if (size) {
        *size = static_cast<std::uint64_t>(st.st_size);
    }
    return ReadStatus::Ok;
}

ReadStatus ReadRegularFile(const std::string& path, std::string& out, std::uint64_t maxBytes) {
    return ReadInto(path, out, maxBytes);
}

ReadStatus ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& out,
                           std::uint64_t maxBytes) {
    return ReadInto(path, out, maxBytes);
}

std::string TempNameFor(const std::string& target, long pid, const std::string& unique) {
    return target + "." + std::to_string(pid) + "." + unique + ".tmp";
}

FileReplacer::~FileReplacer() {
    Discard();
}

bool FileReplacer::Fail(int err) {
    if (!failed_) {
        failed_ = true;
        error_ = err != 0 ? err : EIO;
    }
    return false;
}

#ifndef _WIN32

bool FileReplacer::Begin(const std::string& target) {
    Discard();
    failed_ = false;
    error_ = 0;
    if (target.empty()) {
        return Fail(ENOENT);
    }
    target_ = ResolveTarget(target);
    if (target_.empty()) {
        return Fail(EACCES);
    }

    struct stat old {};
    keepMode_ = false;
    if (::stat(target_.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            return Fail(S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
        }
        // A file the user made read-only is not replaced, even where the
        // folder would allow it (or root would).
        if ((old.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) {
            return Fail(EACCES);
        }
        keepMode_ = true;
        mode_ = old.st_mode & 07777;
    }

    RemoveLeftovers(target_);
    const long pid = ProcessId();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = TempNameFor(target_, pid, UniquePart());
        fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     keepMode_ ? (mode_ & 0777) : 0666);
        if (fd_ >= 0) {
            temp_ = temp;
            break;
        }
        if (errno != EEXIST) {
            return Fail(errno);
        }
    }
    if (fd_ < 0) {
        return Fail(EEXIST);
    }
    // The creation mode went through the umask; the old bits are kept whole.
    if (keepMode_ && ::fchmod(fd_, mode_) != 0) {
        const int err = errno;
        Discard();
        return Fail(err);
    }
    if (!Step(WriteStep::TempCreated)) {
        Discard();
        return Fail(EIO);
    }
    return true;
}

bool FileReplacer::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return Fail(EBADF);
    }
    if (!Step(WriteStep::DataWritten)) {
        Discard();
        return Fail(EIO);
    }
    if (::fsync(fd_) != 0) {
        const int err = errno;
        Discard();
        return Fail(err);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        Discard();
        return Fail(err);
    }
    if (!Step(WriteStep::TempSynced)) {
        Discard();
        return Fail(EIO);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        Discard();
        return Fail(err);
    }
    temp_.clear();
    SyncFolder(target_);
    Step(WriteStep::Renamed);
    return true;
}

void FileReplacer::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

#else // _WIN32

bool FileReplacer::Begin(const std::string& target) {
    Discard();
    failed_ = false;
    error_ = 0;
    if (target.empty()) {
        return Fail(ENOENT);
    }
    target_ = target;
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            return Fail(EISDIR);
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            return Fail(EACCES);
        }
    }
    const long pid = ProcessId();
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        const std::string temp = TempNameFor(target_, pid, UniquePart());
        fd_ = _open(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd_ >= 0) {
            temp_ = temp;
        } else if (errno != EEXIST) {
            return Fail(errno);
        }
    }
    if (fd_ < 0) {
        return Fail(EEXIST);
    }
    if (!Step(WriteStep::TempCreated)) {
        Discard();
        return Fail(EIO);
    }
    return true;
}

bool FileReplacer::Commit() {
    if (fd_ < 0 || failed_ || !Step(WriteStep::DataWritten) || _commit(fd_) != 0) {
        Discard();
        return Fail(EIO);
    }
    const int fd = fd_;
    fd_ = -1;
    if (_close(fd) != 0 || !Step(WriteStep::TempSynced) ||
        !MoveFileExA(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Discard();
        return Fail(EIO);
    }
    temp_.clear();
    Step(WriteStep::Renamed);
    return true;
}

void FileReplacer::Discard() {
    if (fd_ >= 0) {
        _close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        DeleteFileA(temp_.c_str());
        temp_.clear();
    }
}

#endif

bool FileReplacer::Write(const void* data, std::size_t size) {
    if (fd_ < 0 || failed_) {
        return Fail(EBADF);
    }
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        std::size_t chunk = size;
        const std::int64_t limit = g_writeLimit.load();
        if (limit >= 0) {
            const std::int64_t room = limit - g_written.load();
            if (room <= 0) {
                return Fail(ENOSPC);
            }
            if (static_cast<std::int64_t>(chunk) > room) {
                chunk = static_cast<std::size_t>(room);
            }
        }
        const long long n = WriteFd(fd_, p, chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Fail(n < 0 ? errno : ENOSPC);
        }
        g_written += n;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

#ifndef _WIN32

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool CreateEmptyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    return fd >= 0 && ::close(fd) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

#endif

bool ReplaceFile(const std::string& target, std::string_view content) {
    FileReplacer file;
    return file.Begin(target) && file.Write(content.data(), content.size()) && file.Commit();
}

void SetWriteLimitForTesting(std::int64_t bytes) {
    g_writeLimit = bytes;
    g_written = 0;
}

void SetStepHookForTesting(std::function<bool(WriteStep)> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_stepHook = std::move(hook);
}

} // namespace safefile
