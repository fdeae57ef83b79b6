// A scripted stand-in for the HID library, built as a shared library by the
// tests. The test reaches its state through the extra function fakeHidState.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <vector>

struct FakeHid {
    using Report = std::array<std::uint8_t, 64>;
    using Clock = std::chrono::steady_clock;

    // Results the functions give.
    int FindResult = 1;
    int WriteResult = 1;
    int ReadResult = 1;
    // readData serves these in order; with none left it fails.
    std::deque<Report> Replies;

    // What the library saw.
    int FindCalls = 0;
    int CloseCalls = 0;
    int ReadCalls = 0;
    unsigned VendorId = 0;
    unsigned ProductId = 0;
    std::vector<Report> Written;
    Clock::time_point LastWrite{};
    Clock::time_point LastRead{};
};

extern "C" {
typedef FakeHid* (*fakeHidState_t)(void);
}
