// Reading and replacing files through the wide-character Windows API.
// <windows.h> before the header, which takes back its ReplaceFile macro.
#include <windows.h>

#include "fileio/safe_file.h"
#include "fileio/safe_file_platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <type_traits>
#include <vector>

namespace safefile {

static_assert(std::is_same_v<Native, HANDLE>, "a replacer's file is a HANDLE");

long ProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

namespace {

int ErrnoFrom(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    // Another program holds the file open and shares it with nobody.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
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
                       std::uint64_t& size, DWORD access) {
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
        errno = ErrnoFrom(error);
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
        errno = ErrnoFrom(GetLastError());
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
// run, as on every platform; prefix is "NAME." or, for a name too long for
// that, its short form. Names compare without case, as Windows does.
void RemoveLeftoversWith(const std::wstring& target, const std::wstring& prefix, bool shortForm) {
    const std::wstring folder = target.substr(0, NameStart(target));
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
        if ((kind == Leftover::Old && !shortForm) ||
            (kind == Leftover::OfProcess && ProcessIsGone(pid))) {
            DeleteFileW((folder + name).c_str());
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

// utf8Target is the target as the caller named it: the short form's hash
// is taken of those bytes, as TempNameFor takes it.
void RemoveLeftovers(const std::wstring& target, const std::string& utf8Target) {
    RemoveLeftoversWith(target, target.substr(NameStart(target)) + L".", false);
    const std::size_t slash = utf8Target.find_last_of("/\\:");
    const std::string name = slash == std::string::npos ? utf8Target : utf8Target.substr(slash + 1);
    RemoveLeftoversWith(target, WidePath(ShortTempPrefix(name)), true);
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

// The "rf*.tmp" files in `folder`: Wine's ReplaceFileW makes one there to
// move the old file aside and leaves it behind when that move is refused.
std::vector<std::wstring> AsideFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"rf*.tmp").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
            names.push_back(entry.cFileName);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

// Removes what a failed ReplaceFileW made beside the target: only names that
// were not there before the call, and only while still empty, so that no
// old content is ever lost.
void RemoveAsideFiles(const std::wstring& folder, const std::vector<std::wstring>& before) {
    for (const std::wstring& name : AsideFiles(folder)) {
        if (std::find(before.begin(), before.end(), name) != before.end()) {
            continue;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        const std::wstring path = folder + name;
        if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
            data.nFileSizeHigh == 0 && data.nFileSizeLow == 0) {
            DeleteFileW(path.c_str());
        }
    }
}

// Puts the finished temporary file in the target's place: ReplaceFileW
// keeps the target's attributes and security (as the mode is kept
// elsewhere), a new target is moved into place. A target another program
// holds open for a moment (a virus scanner, a second save) is tried again
// for about half a second; one held open for good fails with
// ERROR_SHARING_VIOLATION. Returns ERROR_SUCCESS or the error.
DWORD MoveIntoPlace(const std::wstring& temp, const std::wstring& target) {
    const std::wstring folder = target.substr(0, NameStart(target));
    DWORD error = ERROR_SUCCESS;
    DWORD pause = 5;
    for (int attempt = 0; attempt < 8; ++attempt, pause *= 2) {
        if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            const std::vector<std::wstring> before = AsideFiles(folder);
            if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr)) {
                return ERROR_SUCCESS;
            }
            error = GetLastError();
            RemoveAsideFiles(folder, before);
        } else if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        } else {
            error = GetLastError();
        }
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
        if (attempt < 7) {
            Sleep(pause);
        }
    }
    return error;
}

} // namespace

ReadStatus OpenChecked(const std::string& path, std::uint64_t maxBytes, HANDLE& file,
                       std::uint64_t& size) {
    return OpenChecked(path, maxBytes, file, size, GENERIC_READ);
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

int PutInPlace(const std::string& temp, const std::string& target) {
    const DWORD error = MoveIntoPlace(FullPath(WidePath(temp)), FullPath(WidePath(target)));
    return error == ERROR_SUCCESS ? 0 : ErrnoFrom(error);
}

void RemoveTemp(const std::string& temp) {
    DeleteFileW(WidePath(temp).c_str());
}

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

int PrepareTarget(const std::string& target, std::string& resolved, bool& keep, unsigned& mode) {
    // A link is not followed here: Windows itself decides what replacing
    // one does.
    resolved = target;
    const std::wstring wide = WidePath(resolved);
    HANDLE probe = INVALID_HANDLE_VALUE;
    std::uint64_t size = 0;
    switch (OpenChecked(resolved, std::numeric_limits<std::uint64_t>::max(), probe, size,
                        FILE_READ_ATTRIBUTES)) {
    case ReadStatus::Ok:
        CloseHandle(probe);
        // The read-only attribute is the user's "do not change", as mode
        // 0444 is elsewhere.
        if (const DWORD attributes = GetFileAttributesW(wide.c_str());
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            return EACCES;
        } else if (attributes != INVALID_FILE_ATTRIBUTES) {
            // Given to the new file from the start: not every ReplaceFileW
            // carries them over.
            keep = true;
            mode = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        }
        break;
    case ReadStatus::Missing:
        break;
    case ReadStatus::NotRegular:
        return IsFolder(resolved) ? EISDIR : EINVAL;
    default:
        return errno == EBUSY ? EBUSY : EACCES;
    }
    RemoveLeftovers(wide, resolved);
    return 0;
}

int CreateTemp(const std::string& temp, bool keep, unsigned mode, std::intptr_t& file) {
    const DWORD attributes = keep && mode ? static_cast<DWORD>(mode) : FILE_ATTRIBUTE_NORMAL;
    HANDLE h = CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_NEW, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) ? EEXIST
                                                                             : ErrnoFrom(error);
    }
    file = reinterpret_cast<std::intptr_t>(h);
    return 0;
}

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

} // namespace safefile
