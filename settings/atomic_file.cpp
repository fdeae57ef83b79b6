#include "settings/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

FileReadResult ReadWholeFile(const std::string& path, std::string& content, std::size_t maxBytes) {
    content.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return (errno == ENOENT || errno == ENOTDIR) ? FileReadResult::Missing
                                                     : FileReadResult::Failed;
    }
    char buffer[8192];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (content.size() + n > maxBytes) {
            ok = false;
            break;
        }
        content.append(buffer, n);
        if (n < sizeof buffer) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    if (!ok) {
        content.clear();
        return FileReadResult::Failed;
    }
    return FileReadResult::Ok;
}

std::string AtomicTempPath(const std::string& target) {
#ifdef _WIN32
    const long pid = static_cast<long>(_getpid());
#else
    const long pid = static_cast<long>(getpid());
#endif
    return target + "." + std::to_string(pid) + ".tmp";
}

namespace {

// A symbolic link is followed, so the link itself survives the rename.
std::string ResolveTarget(const std::string& target) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            return resolved.string();
        }
    }
    return target;
}

} // namespace

#ifdef _WIN32

bool WriteFileAtomically(const std::string& targetPath, const std::string& content) {
    const std::string target = ResolveTarget(targetPath);
    const std::string temp = AtomicTempPath(target);
    DeleteFileA(temp.c_str());
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < content.size()) {
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
        ok = WriteFile(h, content.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    ok = ok && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    ok = ok && MoveFileExA(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileA(temp.c_str());
    }
    return ok;
}

#else

bool WriteFileAtomically(const std::string& targetPath, const std::string& content) {
    const std::string target = ResolveTarget(targetPath);
    const std::string temp = AtomicTempPath(target);

    struct stat old {};
    const bool hadTarget = ::stat(target.c_str(), &old) == 0;

    // A leftover of an earlier run with the same process id is removed;
    // anything else under that name (a folder) makes the write fail.
    struct stat leftover {};
    if (::lstat(temp.c_str(), &leftover) == 0 &&
        (S_ISREG(leftover.st_mode) || S_ISLNK(leftover.st_mode))) {
        ::unlink(temp.c_str());
    }
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          hadTarget ? (old.st_mode & 07777) : 0666);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (ok && hadTarget) {
        // The creation mode went through the umask; keep the old bits.
        ::fchmod(fd, old.st_mode & 07777);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const std::string folder = fs::path(target).parent_path().string();
    const int dirFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

#endif
