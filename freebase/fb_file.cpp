#include "freebase/fb_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fbfile {

namespace {

std::int64_t g_writeLimit = -1;
std::int64_t g_written = 0;

#ifdef _WIN32
int OpenRead(const std::string& p) {
    return _open(p.c_str(), _O_RDONLY | _O_BINARY);
}
int OpenCreateNew(const std::string& p) {
    return _open(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int CloseFd(int fd) {
    return _close(fd);
}
long long ReadFd(int fd, void* b, std::size_t n) {
    return _read(fd, b, static_cast<unsigned>(n > INT_MAX ? INT_MAX : n));
}
long long WriteFd(int fd, const void* b, std::size_t n) {
    return _write(fd, b, static_cast<unsigned>(n > INT_MAX ? INT_MAX : n));
}
bool SyncFd(int fd) {
    return _commit(fd) == 0;
}
bool Replace(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
void SyncFolderOf(const std::string&) {}
std::string RealTarget(const std::string& p) {
    return p;
}
#else
int OpenRead(const std::string& p) {
    return ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
}
int OpenCreateNew(const std::string& p) {
    return ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int CloseFd(int fd) {
    return ::close(fd);
}
long long ReadFd(int fd, void* b, std::size_t n) {
    return ::read(fd, b, n);
}
long long WriteFd(int fd, const void* b, std::size_t n) {
    return ::write(fd, b, n);
}
bool SyncFd(int fd) {
    return ::fsync(fd) == 0;
}
bool Replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}
void SyncFolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // the rename itself must survive a power cut
        ::close(fd);
    }
}
// A link is followed, so the new file replaces what it points to, not the link.
std::string RealTarget(const std::string& p) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(p.c_str(), nullptr)) {
            std::string r(real);
            std::free(real);
            return r;
        }
    }
    return p;
}
#endif

} // namespace

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool CreateEmpty(const std::string& path) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
        return false;
    }
    return CloseFd(fd) == 0;
}

std::int64_t Size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool ReadAll(const std::string& path, std::vector<std::uint8_t>& out) {
    out.clear();
    const int fd = OpenRead(path);
    if (fd < 0) {
        return false;
    }
    bool ok = false;
    struct stat st {};
    // Only plain files: a pipe or device could block or never end.
    if (::fstat(fd, &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG && st.st_size >= 0) {
        try {
            out.resize(static_cast<std::size_t>(st.st_size));
            std::size_t got = 0;
            ok = true;
            while (got < out.size()) {
                const long long n = ReadFd(fd, out.data() + got, out.size() - got);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0) {
                    ok = false; // shrank while reading, or a read error
                    break;
                }
                got += static_cast<std::size_t>(n);
            }
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    CloseFd(fd);
    if (!ok) {
        out.clear();
    }
    return ok;
}

void SetWriteLimitForTesting(std::int64_t bytes) {
    g_writeLimit = bytes;
    g_written = 0;
}

std::string ReplacingFile::TempNameFor(const std::string& target) {
    return target + ".fbtmp";
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Begin(const std::string& path) {
    Discard();
    target_ = RealTarget(path);
    temp_ = TempNameFor(target_);
    // A file left by an interrupted save is ours to replace; a folder is not.
    ::unlink(temp_.c_str());
    fd_ = OpenCreateNew(temp_);
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
#ifndef _WIN32
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        ::fchmod(fd_, st.st_mode & 07777); // the replacement keeps the old permissions
    }
#endif
    return true;
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (fd_ < 0) {
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        std::size_t chunk = size;
        if (g_writeLimit >= 0) {
            const std::int64_t room = g_writeLimit - g_written;
            if (room <= 0) {
                errno = ENOSPC;
                return false;
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
            return false;
        }
        g_written += n;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (fd_ < 0) {
        return false;
    }
    const bool synced = SyncFd(fd_);
    const bool closed = CloseFd(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || !Replace(temp_, target_)) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    SyncFolderOf(target_);
    return true;
}

void ReplacingFile::Discard() {
    if (fd_ >= 0) {
        CloseFd(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace fbfile
