// The one way this program reads and writes its files.
//
// Reading: only regular files of bounded size; a pipe, device or folder is
// refused at once, without blocking.
// Writing: a uniquely named temporary file beside the target, every write
// checked, flushed with the folder, renamed over the target. On any failure
// the old file is untouched and no temporary file stays behind.
#pragma once
//
// Paths are byte strings: on Windows UTF-8, where a string that is not
// UTF-8 is taken in the ANSI code page (Windows-1252 names from older
// callers), and every call goes through the wide-character API.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// <windows.h> makes ReplaceFile a macro for its own ReplaceFileA/W.
#ifdef ReplaceFile
#undef ReplaceFile
#endif

namespace safefile {

enum class ReadStatus {
    Ok,
    Missing,    // no such file (or a folder on the way is missing)
    NotRegular, // a pipe, device, socket or folder
    TooLarge,   // larger than the caller's limit
    Failed      // anything else: no permission, read error
};

// Checks type and size without reading; `size` receives the size when Ok.
ReadStatus CheckRegularFile(const std::string& path, std::uint64_t maxBytes,
                            std::uint64_t* size = nullptr);

// Leaves the elements a vector grows by unset: a buffer about to be filled
// by a read is not cleared first.
template <typename T> struct UnsetAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = UnsetAllocator<U>; };
    UnsetAllocator() = default;
    template <typename U> UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using ReadBuffer = std::vector<std::uint8_t, UnsetAllocator<std::uint8_t>>;

// Reads a whole regular file of at most maxBytes. Opens without blocking,
// checks the type and size on the open file, then reads. `out` is empty
// unless Ok; on Failed, errno tells why (EBUSY: another program holds the
// file open and shares it with nobody, as Windows allows).
ReadStatus ReadRegularFile(const std::string& path, std::string& out, std::uint64_t maxBytes);
ReadStatus ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& out,
                           std::uint64_t maxBytes);
ReadStatus ReadRegularFile(const std::string& path, ReadBuffer& out, std::uint64_t maxBytes);

// Reads a whole regular file while its reader works on what has arrived:
// files of at least `threadFrom` bytes on a thread of its own, smaller ones
// at once in Start. The same checks as ReadRegularFile.
//   Start, then WaitFor as much as is needed, then Finish.
// `piece` is called on the reading thread for each stretch as it arrives,
// in order, with the whole buffer and the stretch's bounds, before WaitFor
// answers with the stretch: what it finds out about the bytes is known
// before the reader sees them.
class BackgroundRead {
public:
    using PieceFn = std::function<void(const std::uint8_t* data, std::size_t from, std::size_t to)>;
    BackgroundRead();
    ~BackgroundRead(); // stops and waits for the thread
    BackgroundRead(const BackgroundRead&) = delete;
    BackgroundRead& operator=(const BackgroundRead&) = delete;

    ReadStatus Start(const std::string& path, std::uint64_t maxBytes, std::size_t threadFrom,
                     PieceFn piece = {});
    // The buffer: the file's size as checked at the start. Bytes past what
    // WaitFor answered may not be there yet.
    const std::uint8_t* Data() const { return buffer_.get(); }
    std::size_t FileSize() const { return size_; } // as checked at the start
    // Blocks until `bytes` bytes have arrived or the reading has ended;
    // answers how many have arrived.
    std::size_t WaitFor(std::size_t bytes);
    // Waits for the end. Ok: Size() bytes read, and the file ended there;
    // Grew: the file is longer than it was at the start (read it again);
    // Failed: a read error, errno tells which.
    enum class End { Ok, Grew, Failed };
    End Finish();
    std::size_t Size() const { return got_; } // after Finish

private:
    void Run();

    struct Shared;
    std::unique_ptr<std::uint8_t[]> buffer_; // set once the start succeeded
    std::size_t size_ = 0;
    PieceFn piece_;
    std::unique_ptr<Shared> shared_;
    // Set by Run, read once the thread has ended.
    std::size_t got_ = 0;
    End end_ = End::Ok;
    int error_ = 0;
};

// Replaces one file. Begin, any number of Writes, then Commit; destroying
// or Discarding an uncommitted replacer leaves the target as it was.
//
// The target's permission bits are kept (a new file gets 0666 less the
// umask); a symbolic link is followed and stays a link; a target the user
// may not write (no write bit, or no write access) is refused by Begin.
// Temporary files of dead processes left beside the same target are
// removed by Begin.
//
// On Windows the read-only attribute refuses a target as mode 0444 does,
// the target's attributes and security are kept (ReplaceFileW), and a link
// gets no special treatment: the file system decides what replacing it does.
class FileReplacer {
public:
    FileReplacer() = default;
    ~FileReplacer();
    FileReplacer(const FileReplacer&) = delete;
    FileReplacer& operator=(const FileReplacer&) = delete;

    bool Begin(const std::string& target);
    // A short write, ENOSPC or any other error is a failure; once failed,
    // Commit fails too.
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view data) { return Write(data.data(), data.size()); }
    // fsync of the file, rename over the target, fsync of the folder.
    bool Commit();
    void Discard();

    // The file the target resolves to (a link's destination), once begun.
    const std::string& TargetPath() const { return target_; }
    // The temporary file while it is open.
    const std::string& TempPath() const { return temp_; }
    // errno of the first failure, 0 when none.
    int Error() const { return error_; }

private:
    bool Fail(int err);

    std::string target_;
    std::string temp_;
    // The temporary file while open: a descriptor, on Windows a HANDLE.
    static constexpr std::intptr_t kNoFile = -1;
    std::intptr_t file_ = kNoFile;
    bool failed_ = false;
    int error_ = 0;
    unsigned mode_ = 0;
    bool keepMode_ = false;
};

// Small operations on the same paths, for callers that must not go around
// this layer: true when anything (file, folder, pipe) is there; the size of
// a file or -1; a missing file created empty, an existing one never
// truncated, a pipe never waited on; a file (not a folder) removed.
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
std::int64_t FileSize(const std::string& path);
bool CreateEmptyFile(const std::string& path);
bool RemoveFile(const std::string& path);

#ifdef _WIN32
// UTF-8 (else the ANSI code page) to UTF-16 and back, for the wide API.
std::wstring WidePath(const std::string& path);
std::string Utf8FromWide(const std::wstring& text);
#endif

// What a FileReplacer's Error() or a failed read's errno means, for the
// user: EBUSY says the file is in use by another program.
std::string ErrorText(int error);

// Begin, Write(content), Commit in one.
bool ReplaceFile(const std::string& target, std::string_view content);

// The temporary name used beside `target` by the process `pid`.
std::string TempNameFor(const std::string& target, long pid, const std::string& unique);

// Test seams. A write limit makes writes fail with ENOSPC once that many
// bytes went out through all replacers (negative: no limit). The step hook
// is called at each step of a replacement; a test may _exit() there to play
// a crash, or return false to make the step fail.
enum class WriteStep { TempCreated, DataWritten, TempSynced, Renamed };
void SetWriteLimitForTesting(std::int64_t bytes);
void SetStepHookForTesting(std::function<bool(WriteStep)> hook);

} // namespace safefile
