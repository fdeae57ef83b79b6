// The heap pages made ready for the first window on the second processor.
#include "platform/startup_memory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

#if defined(__GLIBC__)
TEST(StartupMemory, TheHeapsFreeEndIsInMemoryOnceWaitedFor) {
    constexpr std::size_t Bytes = 2u << 20;
    StartupMemory memory(Bytes);
    if (!memory.Started())
        GTEST_SKIP() << "pages are not mapped ahead here";
    memory.Wait();
    // Nothing is allocated or freed until the pages are counted: a free
    // could give the heap's end back now.
    static unsigned char resident[1024];
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    const std::size_t top = mallinfo2().keepcost;
    const std::uintptr_t from = (end - top + page - 1) & ~(page - 1);
    std::size_t pages = (end - from) / page;
    if (pages > sizeof resident)
        pages = sizeof resident;
    const int rc = ::mincore(reinterpret_cast<void*>(from), pages * page, resident);
    std::size_t in = 0;
    for (std::size_t i = 0; i < pages; ++i)
        in += resident[i] & 1u;

    ASSERT_EQ(rc, 0);
    EXPECT_GE(top, Bytes);
    // All but the allocator's usual spare beyond the block.
    EXPECT_GE(in, pages * 9 / 10) << in << " of " << pages << " pages";
}
#endif

} // namespace
