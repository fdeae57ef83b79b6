// Heap pages for the first window, mapped ahead on the second processor.
#pragma once

#include <cstddef>
#include <memory>

// Where the first write to a page is dear (under some virtual machines it
// takes over ten microseconds, against a fraction of one on bare metal), the
// main window's constructor and first paint spend a good part of their time
// waiting for new heap pages. Made just before the windows, this leaves a
// free block of about `bytes` in the heap, where the next allocations are
// cut from, and has a thread of its own map its pages while the windows are
// built, which then find them ready. The thread writes nothing: the kernel
// maps each page as if written, and a read makes the mapping known to the
// processor. The allocator's settings are left as they are. Wait() (or the
// end of the object) waits for the thread; what is left of the block then
// goes back to the system with the heap's end. Nothing is done on Windows,
// under the address sanitizer, or where the kernel cannot map pages ahead.
class StartupMemory {
public:
    explicit StartupMemory(std::size_t bytes);
    ~StartupMemory();
    StartupMemory(const StartupMemory&) = delete;
    StartupMemory& operator=(const StartupMemory&) = delete;

    // Waits for the thread and lets the heap give back what was not used.
    void Wait();
    // Whether the pages are being made ready, until Wait() (never where
    // nothing is done).
    bool Started() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};
