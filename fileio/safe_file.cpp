// <windows.h> before the header, which takes back its ReplaceFile macro.
#ifdef _WIN32
#include <windows.h>
#endif

#include "fileio/safe_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <limits>
#include <mutex>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;
#endif

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
    return static_cast<long>(GetCurrentProcessId());
#else
    return static_cast<long>(::getpid());
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

enum class Leftover { No, Old, OfProcess };

// What follows "NAME." in a folder entry: "fbtmp" of the old writer, or
// "<pid>.tmp" / "<pid>.<unique>.tmp" of a process that may still run.
Leftover LeftoverKind(const std::string& rest, unsigned long long& pid) {
    if (rest == "fbtmp") {
        return Leftover::Old;
    }
    if (rest.size() <= 4 || rest.compare(rest.size() - 4, 4, ".tmp") != 0) {
        return Leftover::No;
    }
    const std::string mid = rest.substr(0, rest.size() - 4);
    const auto dot = mid.find('.');
    const std::string pidText = mid.substr(0, dot);
    const bool digits = !pidText.empty() && pidText.size() < 12 &&
                        pidText.find_first_not_of("0123456789") == std::string::npos;
    const bool uniqueOk =
        dot == std::string::npos ||
        (mid.size() - dot - 1 == 6 && mid.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz",
                                                            dot + 1) == std::string::npos);
    if (!digits || !uniqueOk) {
        return Leftover::No;
    }
    pid = std::stoull(pidText);
    return Leftover::OfProcess;
}

#ifndef _WIN32

using Native = int;

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
        unsigned long long pid = 0;
        const Leftover kind = LeftoverKind(entry.substr(prefix.size()), pid);
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

#else // _WIN32

using Native = HANDLE;

int ErrnoFrom(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_INVALID_NAME:
        return EINVAL;
    default:
        return EIO;
    }
}

// Where the name starts: after the last '\', '/' or the drive's ':'.
std::size_t NameStart(const std::wstring& path) {
    const std::size_t sep = path.find_last_of(L"/\\:");
    return sep == std::wstring::npos ? 0 : sep + 1;
}

// Opens for reading (`access`) and checks type and size on the open file;
// `file` is open only when Ok. Others may go on reading, writing and
// deleting: a reader never stands in the way of a save.
ReadStatus OpenChecked(const std::string& path, std::uint64_t maxBytes, HANDLE& file,
                       std::uint64_t& size, DWORD access = GENERIC_READ) {
    const std::wstring wide = WidePath(path);
    file = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return ReadStatus::Missing;
        }
        // A folder does not open as a file; a pipe may have no free
        // instance; "CON" without a console gives ERROR_INVALID_HANDLE.
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return (folder || error == ERROR_PIPE_BUSY || error == ERROR_INVALID_HANDLE)
                   ? ReadStatus::NotRegular
                   : ReadStatus::Failed;
    }
    // A pipe, "NUL" or "CON" opens like a file: only a disk file is read.
    BY_HANDLE_FILE_INFORMATION info{};
    ReadStatus status = ReadStatus::Ok;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        status = ReadStatus::NotRegular;
    } else if (!GetFileInformationByHandle(file, &info)) {
        status = ReadStatus::Failed;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        status = ReadStatus::NotRegular;
    } else {
        size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        if (size > maxBytes) {
            status = ReadStatus::TooLarge;
        }
    }
    if (status != ReadStatus::Ok) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    return status;
}

// One read or write call; errno is set on failure, never to EINTR.
long long ReadOnce(HANDLE file, char* data, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(file, data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &got,
                  nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            return 0;
        }
        errno = ErrnoFrom(error);
        return -1;
    }
    return static_cast<long long>(got);
}

long long WriteOnce(HANDLE file, const char* data, std::size_t size) {
    DWORD put = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &put,
                   nullptr)) {
        errno = ErrnoFrom(GetLastError());
        return -1;
    }
    return static_cast<long long>(put);
}

int CloseNative(HANDLE file) {
    return CloseHandle(file) ? 0 : ErrnoFrom(GetLastError());
}

int SyncNative(HANDLE file) {
    return FlushFileBuffers(file) ? 0 : ErrnoFrom(GetLastError());
}

HANDLE AsNative(std::intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

bool ProcessIsGone(unsigned long long pid) {
    if (pid == 0 || pid > 0xFFFFFFFFu) {
        return false;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process) {
        // Access denied: it runs, as another user.
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool gone = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return gone;
}

// Leftovers of earlier writes of this target by processes that no longer
// run, as on every platform. Names compare without case, as Windows does.
void RemoveLeftovers(const std::wstring& target) {
    const std::size_t nameStart = NameStart(target);
    const std::wstring folder = target.substr(0, nameStart);
    const std::wstring prefix = target.substr(nameStart) + L".";
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + prefix + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = entry.cFileName;
        // The pattern matches short 8.3 names too: only the long name counts.
        // Only plain files: a folder or link of that name is not ours.
        if (name.size() <= prefix.size() ||
            CompareStringOrdinal(name.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                 static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL ||
            (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
            continue;
        }
        unsigned long long pid = 0;
        const Leftover kind = LeftoverKind(Utf8FromWide(name.substr(prefix.size())), pid);
        if (kind == Leftover::Old || (kind == Leftover::OfProcess && ProcessIsGone(pid))) {
            DeleteFileW((folder + name).c_str());
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

// The path with its folder: ReplaceFileW (Wine's at least) makes its backup
// name in the replaced file's folder and fails on a bare file name.
std::wstring FullPath(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return path;
    }
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) {
        return path;
    }
    full.resize(written);
    return full;
}

// Puts the finished temporary file in the target's place: ReplaceFileW
// keeps the target's attributes and security (as the mode is kept
// elsewhere), a new target is moved into place. A target another program
// holds open for a moment (a virus scanner, a second save) is tried again
// for a while. Returns ERROR_SUCCESS or the error.
DWORD MoveIntoPlace(const std::wstring& temp, const std::wstring& target) {
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr)) {
                return ERROR_SUCCESS;
            }
        } else if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        }
        error = GetLastError();
        if (GetFileAttributesW(temp.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return error == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : error;
        }
        // ReplaceFileW can fail after the old file went away, with ours still
        // whole under its own name: the next round moves it into place.
        const bool targetGone = GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          error == ERROR_ACCESS_DENIED ||
                          error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                          error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        if (!targetGone && !busy) {
            return error;
        }
        Sleep(attempt < 10 ? 1 : 20);
    }
    return error;
}

int PutInPlace(const std::string& temp, const std::string& target) {
    const DWORD error = MoveIntoPlace(FullPath(WidePath(temp)), FullPath(WidePath(target)));
    return error == ERROR_SUCCESS ? 0 : ErrnoFrom(error);
}

void RemoveTemp(const std::string& temp) {
    DeleteFileW(WidePath(temp).c_str());
}

#endif

template <typename Buffer>
ReadStatus ReadInto(const std::string& path, Buffer& out, std::uint64_t maxBytes) {
    out.clear();
    Native file;
    std::uint64_t size = 0;
    ReadStatus status = OpenChecked(path, maxBytes, file, size);
    if (status != ReadStatus::Ok) {
        return status;
    }
    try {
        out.resize(static_cast<std::size_t>(size));
        std::size_t got = 0;
        for (;;) {
            if (got == out.size()) {
                // The file may have grown since it was checked: read one
                // byte more to tell, within the limit.
                if (out.size() >= maxBytes) {
                    char probe;
                    const long long n = ReadOnce(file, &probe, 1);
                    if (n > 0) {
                        status = ReadStatus::TooLarge;
                    } else if (n < 0) {
                        status = ReadStatus::Failed;
                    }
                    break;
                }
                out.resize(std::min<std::uint64_t>(maxBytes, out.size() + 65536));
            }
            const long long n =
                ReadOnce(file, reinterpret_cast<char*>(&out[0]) + got, out.size() - got);
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
    CloseNative(file);
    if (status != ReadStatus::Ok) {
        out.clear();
    }
    return status;
}

} // namespace

#ifndef _WIN32

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

#else

ReadStatus CheckRegularFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size) {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::uint64_t bytes = 0;
    // Attributes only: like stat, no read permission is needed.
    const ReadStatus status = OpenChecked(path, maxBytes, file, bytes, FILE_READ_ATTRIBUTES);
    if (status == ReadStatus::Ok) {
        CloseHandle(file);
        if (size) {
            *size = bytes;
        }
    }
    return status;
}

#endif

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
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              keepMode_ ? (mode_ & 0777) : 0666);
        if (fd >= 0) {
            file_ = fd;
            temp_ = temp;
            break;
        }
        if (errno != EEXIST) {
            return Fail(errno);
        }
    }
    if (file_ == kNoFile) {
        return Fail(EEXIST);
    }
    // The creation mode went through the umask; the old bits are kept whole.
    if (keepMode_ && ::fchmod(AsNative(file_), mode_) != 0) {
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

#else // _WIN32

bool FileReplacer::Begin(const std::string& target) {
    Discard();
    failed_ = false;
    error_ = 0;
    if (target.empty()) {
        return Fail(ENOENT);
    }
    // A link is not followed here: Windows itself decides what replacing
    // one does.
    target_ = target;
    const std::wstring wide = WidePath(target_);
    keepMode_ = false;
    HANDLE probe = INVALID_HANDLE_VALUE;
    std::uint64_t size = 0;
    switch (OpenChecked(target_, std::numeric_limits<std::uint64_t>::max(), probe, size,
                        FILE_READ_ATTRIBUTES)) {
    case ReadStatus::Ok:
        CloseHandle(probe);
        // The read-only attribute is the user's "do not change", as mode
        // 0444 is elsewhere.
        if (const DWORD attributes = GetFileAttributesW(wide.c_str());
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            return Fail(EACCES);
        } else if (attributes != INVALID_FILE_ATTRIBUTES) {
            // Given to the new file from the start: not every ReplaceFileW
            // carries them over.
            keepMode_ = true;
            mode_ = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        }
        break;
    case ReadStatus::Missing:
        break;
    case ReadStatus::NotRegular:
        return Fail(IsFolder(target_) ? EISDIR : EINVAL);
    default:
        return Fail(EACCES);
    }

    RemoveLeftovers(wide);
    const long pid = ProcessId();
    for (int attempt = 0; attempt < 100 && file_ == kNoFile; ++attempt) {
        const std::string temp = TempNameFor(target_, pid, UniquePart());
        HANDLE file =
            CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        keepMode_ && mode_ ? mode_ : FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            file_ = reinterpret_cast<std::intptr_t>(file);
            temp_ = temp;
        } else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            return Fail(ErrnoFrom(GetLastError()));
        }
    }
    if (file_ == kNoFile) {
        return Fail(EEXIST);
    }
    if (!Step(WriteStep::TempCreated)) {
        Discard();
        return Fail(EIO);
    }
    return true;
}

#endif

bool FileReplacer::Commit() {
    if (file_ == kNoFile || failed_) {
        Discard();
        return Fail(EBADF);
    }
    if (!Step(WriteStep::DataWritten)) {
        Discard();
        return Fail(EIO);
    }
    const Native file = AsNative(file_);
    file_ = kNoFile;
    int err = SyncNative(file);
    const int closed = CloseNative(file);
    if (err == 0) {
        err = closed;
    }
    if (err != 0) {
        Discard();
        return Fail(err);
    }
    if (!Step(WriteStep::TempSynced)) {
        Discard();
        return Fail(EIO);
    }
    err = PutInPlace(temp_, target_);
    if (err != 0) {
        Discard();
        return Fail(err);
    }
    temp_.clear();
    Step(WriteStep::Renamed);
    return true;
}

void FileReplacer::Discard() {
    if (file_ != kNoFile) {
        CloseNative(AsNative(file_));
        file_ = kNoFile;
    }
    if (!temp_.empty()) {
        RemoveTemp(temp_);
        temp_.clear();
    }
}

bool FileReplacer::Write(const void* data, std::size_t size) {
    if (file_ == kNoFile || failed_) {
        return Fail(EBADF);
    }
    const Native file = AsNative(file_);
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
        const long long n = WriteOnce(file, p, chunk);
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

#else

std::wstring WidePath(const std::string& path) {
    if (path.empty() || path.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::wstring();
    }
    const int bytes = static_cast<int>(path.size());
    // Not UTF-8: a name in the ANSI code page from an older caller.
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int length = MultiByteToWideChar(codePage, flags, path.data(), bytes, nullptr, 0);
    if (length <= 0) {
        codePage = CP_ACP;
        flags = 0;
        length = MultiByteToWideChar(codePage, flags, path.data(), bytes, nullptr, 0);
    }
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, path.data(), bytes, wide.data(), length);
    return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::string();
    }
    const int chars = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), chars, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), chars, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

bool PathExists(const std::string& path) {
    std::wstring wide = WidePath(path);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    // A pipe may have no attributes (Wine gives none): ask the pipe
    // namespace, which neither connects nor waits for more than 1 ms.
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.size() <= 9 || wide.compare(0, 4, L"\\\\.\\") != 0 ||
        CompareStringOrdinal(wide.c_str() + 4, 5, L"pipe\\", 5, TRUE) != CSTR_EQUAL) {
        return false;
    }
    return WaitNamedPipeW(wide.c_str(), 1) || GetLastError() == ERROR_SEM_TIMEOUT;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

bool CreateEmptyFile(const std::string& path) {
    // OPEN_ALWAYS never truncates; a pipe without a free instance fails at once.
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(WidePath(path).c_str()) != 0;
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
