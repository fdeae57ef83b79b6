// The heap pages made ready for the first window on the second processor.
#include "platform/startup_memory.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

#if defined(__GLIBC__)
TEST(StartupMemory, WhatTheHeapHandsOutNextIsInMemoryBeforeItIsWritten) {
    StartupMemory memory(2u << 20);
    if (!memory.Started())
        GTEST_SKIP() << "pages are not mapped ahead here";
    // Cut from the prepared block; nothing writes to it here but the
    // allocator, at its start.
    auto* block = static_cast<unsigned char*>(std::malloc(1u << 20));
    ASSERT_NE(block, nullptr);
    memory.Wait();
    static unsigned char resident[256];
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(block) + page) & ~(page - 1);
    const std::size_t pages = ((1u << 20) - page) / page - 1;
    ASSERT_LE(pages, sizeof resident);
    const int rc = ::mincore(reinterpret_cast<void*>(from), pages * page, resident);
    std::free(block);

    ASSERT_EQ(rc, 0);
    std::size_t in = 0;
    for (std::size_t i = 0; i < pages; ++i)
        in += resident[i] & 1u;
    EXPECT_EQ(in, pages);
}
#endif

} // namespace
