// Heap pages for the first window, mapped ahead on the second processor.
#pragma once

#include <cstddef>
#include <memory>

// Where the first write to a page is dear (under some virtual machines it
// takes over ten microseconds, against a fraction of one on bare metal), the
// main window's constructor spends a good part of its time waiting for new
// heap pages. Made just before the windows, this puts `bytes` of free heap
// after what is in use and has a thread of its own map those pages while
// the windows are built, which then find them ready. The thread writes
// nothing: the kernel maps each page as if written, and a read makes the
// mapping known to the processor. Until Wait() (or the end of the object)
// the heap keeps its free end and takes pictures of up to half of `bytes`
// from it too; then the allocator's usual settings are back. Nothing is done
// on Windows, under the address sanitizer, or where the kernel cannot map
// pages ahead.
class StartupMemory {
public:
    explicit StartupMemory(std::size_t bytes);
    ~StartupMemory();
    StartupMemory(const StartupMemory&) = delete;
    StartupMemory& operator=(const StartupMemory&) = delete;

    // Waits for the thread; afterwards the heap gives back free pages again.
    void Wait();
    // Whether the thread was started (never where nothing is done).
    bool Started() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};
