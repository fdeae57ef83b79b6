#include "platform/startup_memory.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
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
#if !defined(VRX_STARTUP_MEMORY) && defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
#define VRX_STARTUP_MEMORY 1
#endif
#ifndef VRX_STARTUP_MEMORY
#define VRX_STARTUP_MEMORY 0
#endif

struct StartupMemory::Impl {
    std::thread mapper;
    bool started = false;
};

namespace {

#if VRX_STARTUP_MEMORY
// The allocator's starting values; its own later adjustment of them stays
// off once they have been set.
void Restore() {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
}
#endif

} // namespace

StartupMemory::StartupMemory(std::size_t bytes) : d_(std::make_unique<Impl>()) {
#if VRX_STARTUP_MEMORY
    if (bytes == 0 || bytes > INT_MAX / 2)
        return;
    const int size = static_cast<int>(bytes);
    // The heap must not give back its end while the thread reads it; the
    // block must come from the heap, not a mapping of its own.
    if (mallopt(M_TRIM_THRESHOLD, INT_MAX) == 0 || mallopt(M_MMAP_THRESHOLD, 2 * size) == 0) {
        Restore();
        return;
    }
    // Given back at once, the block is where the next allocations are cut
    // from.
    void* block = std::malloc(bytes);
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    std::free(block);
    // The pictures of the first window (a few hundred kilobytes) are cut
    // from it too.
    mallopt(M_MMAP_THRESHOLD, size / 2);
    if (at == 0) {
        Restore();
        return;
    }
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (at + page - 1) & ~(page - 1);
    const std::uintptr_t to = (at + bytes) & ~(page - 1);
    auto map = [from, to, page] {
        // A step at a time from the start, which the main thread wants first.
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
        Restore();
        return;
    }
    d_->started = true;
#else
    (void)bytes;
#endif
}

StartupMemory::~StartupMemory() {
    Wait();
}

void StartupMemory::Wait() {
#if VRX_STARTUP_MEMORY
    if (!d_->mapper.joinable())
        return;
    d_->mapper.join();
    Restore();
#endif
}

bool StartupMemory::Started() const {
    return d_->started;
}
