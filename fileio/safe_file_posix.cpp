// Reading and replacing files with POSIX calls: descriptors, rename, fsync.
#include "fileio/safe_file.h"
#include "fileio/safe_file_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace fs = std::filesystem;

namespace safefile {

long ProcessId() {
    return static_cast<long>(::getpid());
}

namespace {

std::string FolderOf(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

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
// link itself stays. Empty, with error set, when the link must not or
// cannot be followed (a loop): the link is never replaced by a file.
std::string ResolveTarget(const std::string& target, int& error) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return target;
    }
    if (!MayFollow(target, st)) {
        error = EACCES;
        return std::string();
    }
    if (char* real = ::realpath(target.c_str(), nullptr)) {
        std::string r(real);
        std::free(real);
        return r;
    }
    if (errno != ENOENT) {
        error = errno; // ELOOP for a loop
        return std::string();
    }
    // A link to a file not yet there: create the file it names.
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (ec) {
        error = ec.value();
        return std::string();
    }
    return resolved.string();
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
    const std::string shortPrefix = ShortTempPrefix(name);
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        auto startsWith = [&entry](const std::string& p) {
            return entry.size() > p.size() && entry.compare(0, p.size(), p) == 0;
        };
        unsigned long long pid = 0;
        Leftover kind = Leftover::No;
        if (startsWith(prefix)) {
            kind = LeftoverKind(entry.substr(prefix.size()), pid);
        } else if (startsWith(shortPrefix)) {
            kind = LeftoverKind(entry.substr(shortPrefix.size()), pid);
            if (kind == Leftover::Old) {
                kind = Leftover::No;
            }
        }
        const bool remove = kind == Leftover::Old ||
                            (kind == Leftover::OfProcess && ProcessIsGone(static_cast<long>(pid)));
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

} // namespace

// Renames the finished temporary file over the target; 0 or the errno.
int PutInPlace(const std::string& temp, const std::string& target) {
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return errno;
    }
    SyncFolder(target);
    return 0;
}

void RemoveTemp(const std::string& temp) {
    ::unlink(temp.c_str());
}

// Opens for reading and checks type and size on the open file; `file` is
// open only when Ok.
ReadStatus OpenChecked(const std::string& path, std::uint64_t maxBytes, int& file,
                       std::uint64_t& size) {
    file = OpenNoBlock(path);
    if (file < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return ReadStatus::Missing;
        }
        // A FIFO opened for reading without a writer succeeds; ENXIO and
        // friends come from devices and sockets.
        return (errno == ENXIO || errno == EISDIR) ? ReadStatus::NotRegular : ReadStatus::Failed;
    }
    struct stat st {};
    ReadStatus status = ReadStatus::Ok;
    if (::fstat(file, &st) != 0) {
        status = ReadStatus::Failed;
    } else if ((st.st_mode & S_IFMT) != S_IFREG) {
        status = ReadStatus::NotRegular;
    } else if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        status = ReadStatus::TooLarge;
    }
    if (status != ReadStatus::Ok) {
        ::close(file);
        file = -1;
        return status;
    }
    size = static_cast<std::uint64_t>(st.st_size);
    return status;
}

// One read or write call; the callers loop over short ones and EINTR.
long long ReadOnce(int file, char* data, std::size_t size) {
    return ::read(file, data, size);
}

long long WriteOnce(int file, const char* data, std::size_t size) {
    return ::write(file, data, size);
}

// 0 or the errno of the call, for the replacer's steps.
int CloseNative(int file) {
    return ::close(file) == 0 ? 0 : errno;
}

int SyncNative(int file) {
    return ::fsync(file) == 0 ? 0 : errno;
}

int AsNative(std::intptr_t file) {
    return static_cast<int>(file);
}

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

int PrepareTarget(const std::string& target, std::string& resolved, bool& keep, unsigned& mode) {
    int refused = 0;
    resolved = ResolveTarget(target, refused);
    if (resolved.empty()) {
        return refused ? refused : EACCES;
    }
    struct stat old {};
    if (::stat(resolved.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        }
        // A file the user made read-only is not replaced, even where the
        // folder would allow it (or root would).
        if ((old.st_mode & 0222) == 0 || ::access(resolved.c_str(), W_OK) != 0) {
            return EACCES;
        }
        keep = true;
        mode = old.st_mode & 07777;
    }
    RemoveLeftovers(resolved);
    return 0;
}

int CreateTemp(const std::string& temp, bool keep, unsigned mode, std::intptr_t& file) {
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          keep ? (mode & 0777) : 0666);
    if (fd < 0) {
        return errno;
    }
    // The creation mode went through the umask; the old bits are kept whole.
    if (keep && ::fchmod(fd, mode) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return err;
    }
    file = fd;
    return 0;
}

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

} // namespace safefile
