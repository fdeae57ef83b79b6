#include "platform/startup_memory.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>

#if defined(__GLIBC__)
#include <sys/mman.h>
#include <unistd.h>
#endif

// Under the address sanitizer the heap is the sanitizer's, and reading a
// freed block is what it reports.
#if defined(__SANITIZE_ADDRESS__)
#define VRX_STARTUP_MEMORY 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VRX_STARTUP_MEMORY 0
#endif
#endif
#if !defined(VRX_STARTUP_MEMORY) && defined(__GLIBC__)
#if __GLIBC_PREREQ(2, 33) && defined(MADV_POPULATE_WRITE)
#define VRX_STARTUP_MEMORY 1
#endif
#endif
#ifndef VRX_STARTUP_MEMORY
#define VRX_STARTUP_MEMORY 0
#endif

#if VRX_STARTUP_MEMORY
// Where the program's data ends, as the linker marks it; the heap the library
// grows with sbrk lies above it. (Qt declares a function `end`, so not that
// name of the mark.)
extern "C" char _end;
#endif

namespace {

// Pieces small enough for the heap itself (the library maps larger blocks
// of their own); given back side by side, they become one free block.
constexpr std::size_t PieceBytes = 64 * 1024;
constexpr std::size_t MaxPieces = 256;

} // namespace

struct StartupMemory::Impl {
    std::thread mapper;
    // The last piece stays taken until the thread is done: it keeps the
    // free block from joining the heap's end, which the library gives back
    // to the system, pages the thread is reading and all.
    void* guard = nullptr;
};

StartupMemory::StartupMemory(std::size_t bytes) : d_(std::make_unique<Impl>()) {
#if VRX_STARTUP_MEMORY
    const std::size_t pieces = std::min(bytes / PieceBytes, MaxPieces - 1);
    if (pieces == 0)
        return;
    std::array<void*, MaxPieces> taken{};
    std::size_t n = 0;
    while (n <= pieces && (taken[n] = std::malloc(PieceBytes)) != nullptr)
        ++n;
    const auto at = [&](std::size_t i) { return reinterpret_cast<std::uintptr_t>(taken[i]); };
    // Only pieces cut one after the other from the heap the library grows
    // past the program's data (not mappings of an allocator put in its
    // place, which might unmap freed memory while the thread reads it) make
    // one block with the guard after it; anything else is given back unused.
    const auto heapEnd = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    bool inRow = n == pieces + 1 && at(1) > at(0) &&
                 at(0) > reinterpret_cast<std::uintptr_t>(&_end) && at(pieces) < heapEnd;
    for (std::size_t i = 1; inRow && i < n; ++i)
        inRow = at(i) - at(i - 1) == at(1) - at(0);
    for (std::size_t i = 0; i + 1 < n; ++i)
        std::free(taken[i]);
    if (!inRow) {
        if (n > 0)
            std::free(taken[n - 1]);
        return;
    }
    d_->guard = taken[pieces];
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (at(0) + page - 1) & ~(page - 1);
    const std::uintptr_t to = at(pieces) & ~(page - 1);
    auto map = [from, to, page] {
        // A step at a time from the start, which the main thread takes first.
        constexpr std::uintptr_t Step = 64 * 1024;
        for (std::uintptr_t s = from; s < to; s += Step) {
            const std::uintptr_t e = std::min(to, s + Step);
            // Maps the pages as if written, leaving what is in them.
            if (::madvise(reinterpret_cast<void*>(s), e - s, MADV_POPULATE_WRITE) != 0)
                return; // an older kernel: nothing to gain
            for (std::uintptr_t p = s; p < e; p += page)
                (void)__atomic_load_n(reinterpret_cast<const char*>(p), __ATOMIC_RELAXED);
        }
    };
    try {
        d_->mapper = std::thread(map);
    } catch (const std::system_error&) {
        // No thread: the pages come as they are wanted, as without this.
        std::free(d_->guard);
        d_->guard = nullptr;
        return;
    }
#else
    (void)bytes;
#endif
}

StartupMemory::~StartupMemory() {
    Wait();
}

void StartupMemory::Wait() {
    if (d_->mapper.joinable())
        d_->mapper.join();
    // What the window has not used is now the heap's again, to give back.
    std::free(d_->guard);
    d_->guard = nullptr;
}

bool StartupMemory::Started() const {
    return d_->guard != nullptr;
}
