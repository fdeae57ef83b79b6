#include "platform/startup_memory.h"

// A Windows heap commits its pages itself.
struct StartupMemory::Impl {};

StartupMemory::StartupMemory(std::size_t) {}

StartupMemory::~StartupMemory() = default;

void StartupMemory::Wait() {}

bool StartupMemory::Started() const {
    return false;
}
