// The library for real testers, without a tester attached: it must offer
// all eleven functions and fail quickly rather than hang.
#include "device/at_usb_hid.h"
#include "device/tester_link.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

#ifdef _WIN32
void* Load(const char* path) {
    return reinterpret_cast<void*>(::LoadLibraryA(path));
}
void* Find(void* lib, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(lib), name));
}
void Unload(void* lib) {
    ::FreeLibrary(static_cast<HMODULE>(lib));
}
#else
void* Load(const char* path) {
    return dlopen(path, RTLD_NOW);
}
void* Find(void* lib, const char* name) {
    return dlsym(lib, name);
}
void Unload(void* lib) {
    dlclose(lib);
}
#endif

// Skips the tests on a machine where a VRX-310 is plugged in (Linux can
// tell; the Windows build runs under Wine, which has none).
bool TesterAttached() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/bus/usb/devices", ec)) {
        std::ifstream vendor(entry.path() / "idVendor"), product(entry.path() / "idProduct");
        std::string v, p;
        if (vendor >> v && product >> p && v == "20a0" && p == "412c")
            return true;
    }
    return false;
}

TEST(RealHidLibrary, LoadsCompletelyAndFindsNoTester) {
    if (TesterAttached())
        GTEST_SKIP() << "a tester is attached";
    int messages = 0;
    TesterLink link(REAL_HID_PATH, [&](const std::string&) { ++messages; });
    EXPECT_TRUE(link.LibraryLoaded());
    EXPECT_EQ(messages, 0);
    EXPECT_FALSE(link.Open());
    EXPECT_EQ(link.LastError(), TesterLink::errNotFound);
}

TEST(RealHidLibrary, TransfersWithoutADeviceFailAtOnce) {
    void* lib = Load(REAL_HID_PATH);
    ASSERT_NE(lib, nullptr) << REAL_HID_PATH;
    auto write = reinterpret_cast<writeData_t>(Find(lib, "writeData"));
    auto read = reinterpret_cast<readData_t>(Find(lib, "readData"));
    auto close = reinterpret_cast<closeDevice_t>(Find(lib, "closeDevice"));
    auto inputLength = reinterpret_cast<getInputReportLength_t>(Find(lib, "getInputReportLength"));
    ASSERT_TRUE(write && read && close && inputLength);
    close();
    unsigned char report[64] = {0x40, 0x00};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(write(report), 0);
    EXPECT_EQ(read(report), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(report[0], 0x40); // untouched
    EXPECT_EQ(inputLength(), 64);
    Unload(lib);
}

} // namespace
