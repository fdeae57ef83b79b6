// What reading and replacing a file does on every platform; each platform's
// own steps are in safe_file_posix.cpp and safe_file_win.cpp.
#include "fileio/safe_file.h"
#include "fileio/safe_file_platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace safefile {

namespace {

std::atomic<std::int64_t> g_writeLimit{-1};
std::atomic<std::int64_t> g_written{0};
std::mutex g_hookMutex;
std::function<bool(WriteStep)> g_stepHook;

} // namespace

bool Step(WriteStep step) {
    std::function<bool(WriteStep)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_stepHook;
    }
    return !hook || hook(step);
}

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

namespace {

// One read, repeated while a signal interrupts it.
long long ReadAgainOnSignal(Native file, char* data, std::size_t size) {
    long long n = ReadOnce(file, data, size);
    while (n < 0 && errno == EINTR) {
        n = ReadOnce(file, data, size);
    }
    return n;
}

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
                // The file may have grown since it was checked: one byte
                // more tells, without growing (and copying) the buffer for
                // the usual end of file.
                char probe;
                const long long n = ReadAgainOnSignal(file, &probe, 1);
                if (n < 0) {
                    status = ReadStatus::Failed;
                    break;
                }
                if (n == 0) {
                    break;
                }
                if (out.size() >= maxBytes) {
                    status = ReadStatus::TooLarge;
                    break;
                }
                out.resize(std::min<std::uint64_t>(maxBytes, out.size() + 65536));
                out[got++] = static_cast<typename Buffer::value_type>(probe);
                continue;
            }
            const long long n =
                ReadAgainOnSignal(file, reinterpret_cast<char*>(&out[0]) + got, out.size() - got);
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
    const int why = errno;
    CloseNative(file);
    errno = why;
    if (status != ReadStatus::Ok) {
        out.clear();
    }
    return status;
}

} // namespace

struct BackgroundRead::Shared {
    Native file{};
    std::mutex lock;
    std::condition_variable arrival;
    std::size_t arrived = 0; // under lock
    bool ended = false;      // under lock
    std::atomic<bool> stop{false};
    std::thread thread;
};

BackgroundRead::BackgroundRead() = default;

BackgroundRead::~BackgroundRead() {
    if (shared_ && shared_->thread.joinable()) {
        shared_->stop = true; // the reader gave up: the rest is not needed
        shared_->thread.join();
    }
}

ReadStatus BackgroundRead::Start(const std::string& path, std::uint64_t maxBytes,
                                 std::size_t threadFrom, PieceFn piece) {
    if (shared_) {
        errno = EINVAL; // one file per object
        return ReadStatus::Failed;
    }
    shared_ = std::make_unique<Shared>();
    std::uint64_t size = 0;
    const ReadStatus status = OpenChecked(path, maxBytes, shared_->file, size);
    if (status != ReadStatus::Ok) {
        shared_->ended = true;
        return status;
    }
    try {
        // Not cleared: the reading fills it.
        buffer_.reset(new std::uint8_t[size > 0 ? static_cast<std::size_t>(size) : 1]);
    } catch (const std::bad_alloc&) {
        CloseNative(shared_->file);
        shared_->ended = true;
        errno = ENOMEM;
        return ReadStatus::Failed;
    }
    size_ = static_cast<std::size_t>(size);
    piece_ = std::move(piece);
    if (size_ >= threadFrom) {
        try {
            shared_->thread = std::thread([this] { Run(); });
            return ReadStatus::Ok;
        } catch (const std::system_error&) {
            // no thread to be had: read here
        }
    }
    Run();
    return ReadStatus::Ok;
}

void BackgroundRead::Run() {
    Shared& s = *shared_;
    std::size_t got = 0;
    End end = End::Ok;
    int error = 0;
    // A short first stretch lets the reader start early.
    std::size_t stretch = 64 * 1024;
    while (got < size_ && !s.stop) {
        const long long n = ReadAgainOnSignal(s.file, reinterpret_cast<char*>(buffer_.get()) + got,
                                              std::min(stretch, size_ - got));
        if (n < 0) {
            end = End::Failed;
            error = errno;
            break;
        }
        if (n == 0) {
            break; // shrank while reading: what is there
        }
        const std::size_t from = got;
        got += static_cast<std::size_t>(n);
        if (piece_) {
            piece_(buffer_.get(), from, got);
        }
        {
            const std::lock_guard<std::mutex> hold(s.lock);
            s.arrived = got;
        }
        s.arrival.notify_all();
        stretch = 256 * 1024;
    }
    if (end == End::Ok && got == size_ && !s.stop) {
        // One byte more tells whether the file grew since it was checked.
        char probe;
        const long long n = ReadAgainOnSignal(s.file, &probe, 1);
        if (n < 0) {
            end = End::Failed;
            error = errno;
        } else if (n > 0) {
            end = End::Grew;
        }
    }
    CloseNative(s.file);
    got_ = got;
    end_ = end;
    error_ = error;
    {
        const std::lock_guard<std::mutex> hold(s.lock);
        s.ended = true;
    }
    s.arrival.notify_all();
}

std::size_t BackgroundRead::WaitFor(std::size_t bytes) {
    if (!shared_) {
        return 0;
    }
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->arrival.wait(hold, [&] { return shared_->arrived >= bytes || shared_->ended; });
    return shared_->arrived;
}

BackgroundRead::End BackgroundRead::Finish() {
    if (!shared_) {
        errno = EINVAL;
        return End::Failed;
    }
    if (shared_->thread.joinable()) {
        shared_->thread.join();
    }
    if (!buffer_) {
        errno = EINVAL; // its start failed
        return End::Failed;
    }
    errno = error_;
    return end_;
}

ReadStatus ReadRegularFile(const std::string& path, std::string& out, std::uint64_t maxBytes) {
    return ReadInto(path, out, maxBytes);
}

ReadStatus ReadRegularFile(const std::string& path, std::vector<std::uint8_t>& out,
                           std::uint64_t maxBytes) {
    return ReadInto(path, out, maxBytes);
}

ReadStatus ReadRegularFile(const std::string& path, ReadBuffer& out, std::uint64_t maxBytes) {
    return ReadInto(path, out, maxBytes);
}

std::string ShortTempPrefix(const std::string& name) {
    // FNV-1a: the same name gives the same prefix in every process, so a
    // dead process's leftover is found again.
    std::uint32_t hash = 2166136261u;
    for (const unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    static const char hex[] = "0123456789abcdef";
    std::string prefix = ".vrx-";
    for (int shift = 28; shift >= 0; shift -= 4) {
        prefix += hex[(hash >> shift) & 0xf];
    }
    return prefix + ".";
}

std::string TempNameFor(const std::string& target, long pid, const std::string& unique) {
    // Every name the file system takes (255 bytes) must be writable, also
    // where the usual temporary name beside it would be too long.
    constexpr std::size_t kMaxNameBytes = 255;
    const std::string tail = std::to_string(pid) + "." + unique + ".tmp";
#ifdef _WIN32
    const std::size_t slash = target.find_last_of("/\\:");
#else
    const std::size_t slash = target.find_last_of('/');
#endif
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string name = target.substr(nameStart);
    if (name.size() + 1 + tail.size() <= kMaxNameBytes) {
        return target + "." + tail;
    }
    return target.substr(0, nameStart) + ShortTempPrefix(name) + tail;
}

bool FileReplacer::Begin(const std::string& target) {
    Discard();
    failed_ = false;
    error_ = 0;
    if (target.empty()) {
        return Fail(ENOENT);
    }
    keepMode_ = false;
    if (const int refused = PrepareTarget(target, target_, keepMode_, mode_); refused != 0) {
        return Fail(refused);
    }
    const long pid = ProcessId();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = TempNameFor(target_, pid, UniquePart());
        const int err = CreateTemp(temp, keepMode_, mode_, file_);
        if (err == 0) {
            temp_ = temp;
            break;
        }
        if (err != EEXIST) {
            return Fail(err);
        }
    }
    if (file_ == kNoFile) {
        return Fail(EEXIST); // a hundred names taken
    }
    if (!Step(WriteStep::TempCreated)) {
        Discard();
        return Fail(EIO);
    }
    return true;
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

std::string ErrorText(int error) {
    if (error == EBUSY) {
        return "the file is in use by another program";
    }
    return error ? std::strerror(error) : "unknown error";
}

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
