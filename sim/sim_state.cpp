#include "sim/sim_state.h"

#include "device/little_endian.h"
#include "fileio/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace vrxsim {

namespace {

void PutText(std::uint8_t* p, const char* text) {
    std::memcpy(p, text, std::strlen(text));
}

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Items separated by blanks or commas.
std::vector<std::string> Items(const std::string& value) {
    std::string spaced = value;
    for (char& c : spaced)
        if (c == ',')
            c = ' ';
    std::istringstream in(spaced);
    std::vector<std::string> items;
    std::string item;
    while (in >> item)
        items.push_back(item);
    return items;
}

bool ParseLong(const std::string& text, int base, long& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, base);
    if (errno != 0 || end == nullptr || *end != '\0')
        return false;
    out = v;
    return true;
}

// Up to 12 values; missing ones are empty slots (-1). Any bad item: unchanged.
void ParseValues(const std::string& value, std::array<std::int16_t, 12>& target) {
    const std::vector<std::string> items = Items(value);
    if (items.size() > target.size())
        return;
    std::array<std::int16_t, 12> values;
    values.fill(-1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        long v = 0;
        if (!ParseLong(items[i], 10, v) || v < -32768 || v > 32767)
            return;
        values[i] = static_cast<std::int16_t>(v);
    }
    target = values;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Exactly the block's size in hex digits (blanks allowed); else unchanged.
template <std::size_t N>
void ParseBlock(const std::string& value, std::array<std::uint8_t, N>& target) {
    std::string digits;
    for (char c : value)
        if (c != ' ' && c != '\t')
            digits += c;
    if (digits.size() != 2 * N)
        return;
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i) {
        const int hi = HexDigit(digits[2 * i]);
        const int lo = HexDigit(digits[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    target = bytes;
}

// Command codes in hexadecimal, with or without "0x".
void ParseCommands(const std::string& value, std::set<std::uint8_t>& target) {
    std::set<std::uint8_t> codes;
    for (std::string item : Items(value)) {
        if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X'))
            item = item.substr(2);
        long v = 0;
        if (!ParseLong(item, 16, v) || v < 0 || v > 0xFF)
            return;
        codes.insert(static_cast<std::uint8_t>(v));
    }
    target = codes;
}

template <std::size_t N> std::string Hex(const std::array<std::uint8_t, N>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::string ValueList(const std::array<std::int16_t, 12>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += ' ';
        out += std::to_string(values[i]);
    }
    return out;
}

std::string CommandList(const std::set<std::uint8_t>& codes) {
    std::string out;
    char buffer[8];
    for (std::uint8_t c : codes) {
        std::snprintf(buffer, sizeof buffer, "%s0x%02X", out.empty() ? "" : " ", c);
        out += buffer;
    }
    return out;
}

} // namespace

State DefaultState() {
    State s;
    // Six cylinders; cylinder 3 is weak and leaky.
    s.Compression = {1285, 1310, 852, 1274, 1322, 1296, -1, -1, -1, -1, -1, -1};
    s.Leakage = {62, 81, 348, 55, 117, 73, -1, -1, -1, -1, -1, -1};

    PutText(&s.DeviceInfo[0], "VRX310-24-00815");
    PutU16(&s.DeviceInfo[32], 0x0203); // firmware 2.03
    s.DeviceInfo[34] = 0x17;           // build
    PutU16(&s.DeviceInfo[36], 0x0102); // board 1.02
    PutU16(&s.DeviceInfo[38], 1);      // hardware option
    PutU16(&s.DeviceInfo[40], 0x0324); // produced 03/24

    PutU32(&s.DeviceStatus[0], 123456); // 34:17:36 operating time
    PutU16(&s.DeviceStatus[8], 412);    // 4.12 V

    for (int i = 0; i < 8; ++i)
        s.Sensor[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
    PutU32(&s.Sensor[8], 71234);
    s.Sensor[12] = 0x5A;
    PutText(&s.Sensor[18], "S-71234-0042");
    PutU16(&s.Sensor[34], 0x0224);
    return s;
}

State ParseState(const std::string& text) {
    State s = DefaultState();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = Trim(line.substr(0, eq));
        const std::string value = Trim(line.substr(eq + 1));
        if (key == "connected") {
            if (value == "0" || value == "1")
                s.Connected = value == "1";
        } else if (key == "compression") {
            ParseValues(value, s.Compression);
        } else if (key == "leakage") {
            ParseValues(value, s.Leakage);
        } else if (key == "device_info") {
            ParseBlock(value, s.DeviceInfo);
        } else if (key == "device_status") {
            ParseBlock(value, s.DeviceStatus);
        } else if (key == "sensor") {
            ParseBlock(value, s.Sensor);
        } else if (key == "fault_length") {
            ParseCommands(value, s.FaultLength);
        } else if (key == "fault_write") {
            ParseCommands(value, s.FaultWrite);
        } else if (key == "fault_read") {
            ParseCommands(value, s.FaultRead);
        }
    }
    return s;
}

std::string FormatState(const State& s) {
    std::string out = "# VRX-310 simulator state (see docs/simulator.md)\n";
    out += "connected=" + std::string(s.Connected ? "1" : "0") + "\n";
    out += "compression=" + ValueList(s.Compression) + "\n";
    out += "leakage=" + ValueList(s.Leakage) + "\n";
    out += "device_info=" + Hex(s.DeviceInfo) + "\n";
    out += "device_status=" + Hex(s.DeviceStatus) + "\n";
    out += "sensor=" + Hex(s.Sensor) + "\n";
    out += "fault_length=" + CommandList(s.FaultLength) + "\n";
    out += "fault_write=" + CommandList(s.FaultWrite) + "\n";
    out += "fault_read=" + CommandList(s.FaultRead) + "\n";
    return out;
}

void AppendToLog(const std::string& path, const std::string& line) {
#ifdef _WIN32
    std::FILE* f = ::_wfopen(safefile::WidePath(path).c_str(), L"ab");
#else
    std::FILE* f = std::fopen(path.c_str(), "a");
#endif
    if (f == nullptr)
        return;
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
}

State LoadState(const std::string& path, bool* refused) {
    // A state file is a few hundred bytes; a huge one, or a pipe, is not ours.
    std::string text;
    const safefile::ReadStatus status = safefile::ReadRegularFile(path, text, 64 * 1024);
    if (refused)
        *refused = status != safefile::ReadStatus::Ok && status != safefile::ReadStatus::Missing;
    if (status != safefile::ReadStatus::Ok)
        return DefaultState();
    return ParseState(text);
}

bool SaveState(const std::string& path, const State& state) {
    return safefile::ReplaceFile(path, FormatState(state));
}

} // namespace vrxsim
