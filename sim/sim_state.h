// The simulated tester's state and its text file (key=value lines).
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>

namespace vrxsim {

struct State {
    bool Connected = true;
    std::array<std::int16_t, 12> Compression{};
    std::array<std::int16_t, 12> Leakage{};
    std::array<std::uint8_t, 44> DeviceInfo{};
    std::array<std::uint8_t, 12> DeviceStatus{};
    std::array<std::uint8_t, 36> Sensor{};
    // Fault switches: command codes.
    std::set<std::uint8_t> FaultLength; // reply carries a wrong length byte
    std::set<std::uint8_t> FaultWrite;  // writeData fails
    std::set<std::uint8_t> FaultRead;   // readData fails
};

// A plausible six-cylinder measurement and device data.
State DefaultState();

// Reads lines over a copy of the defaults; unknown keys and malformed
// values are ignored, so a partial or damaged file still gives a tester.
State ParseState(const std::string& text);
std::string FormatState(const State& state);

// VRX310_SIM_STATE, else $XDG_RUNTIME_DIR/vrx310-sim.state, else
// /tmp/vrx310-sim-<uid>.state; on Windows VRX310_SIM_STATE, else
// vrx310-sim.state in the user's temporary folder. UTF-8 on Windows.
std::string StatePath();
// VRX310_SIM_LOG, or "" when requests are not logged.
std::string LogPath();
// Appends `line` to the request log at `path` (from LogPath).
void AppendToLog(const std::string& path, const std::string& line);
// A missing or unreadable file gives the defaults. *refused (if given) tells
// whether a file is there that was not read (too large, a pipe, a folder):
// such a file is never written over.
State LoadState(const std::string& path, bool* refused = nullptr);
// Temporary file beside the target, flushed, renamed over it.
bool SaveState(const std::string& path, const State& state);

} // namespace vrxsim
