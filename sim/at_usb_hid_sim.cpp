// libAtUsbHid that behaves like a VRX-310. Its state lives in a small text
// file read at every call, so a test can change the tester between requests.
// No delay of its own: the link's pause is the protocol's.
#include "device/at_usb_hid.h"
#include "device/little_endian.h"
#include "sim/sim_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

using vrxsim::State;

std::mutex guard;
bool deviceOpen = false;
// The reply the tester holds for the next readData; none after a request
// that has no reply.
bool replyPending = false;
unsigned char pendingReply[ATUSBHID_REPORT_SIZE];
std::uint8_t pendingCommand = 0;

// One line per report written: the bytes up to the end of the payload, in
// hex; a write the tester did not take is marked.
void LogReport(const unsigned char* report, bool delivered) {
    const std::string path = vrxsim::LogPath();
    if (path.empty())
        return;
    int length = 2 + report[1];
    if (length > ATUSBHID_REPORT_SIZE)
        length = ATUSBHID_REPORT_SIZE;
    std::string line;
    char hex[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", report[i]);
        line += hex;
    }
    line += delivered ? "\n" : " (not delivered)\n";
    vrxsim::AppendToLog(path, line);
}

void SetReply(std::uint8_t command, int length, const std::uint8_t* payload, bool wrongLength) {
    std::memset(pendingReply, 0, sizeof pendingReply);
    pendingReply[0] = command;
    pendingReply[1] = static_cast<unsigned char>(wrongLength ? length - 1 : length);
    if (length > 0)
        std::memcpy(pendingReply + 2, payload, static_cast<std::size_t>(length));
    pendingCommand = command;
    replyPending = true;
}

void PutValues(std::uint8_t* p, const std::array<std::int16_t, 12>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        PutU16(p + 2 * i, static_cast<std::uint16_t>(values[i]));
}

// The tester's side of one request; path is empty where the state file
// must not be written (it was refused when read).
void Handle(const unsigned char* request, State& state, const std::string& path) {
    const std::uint8_t command = request[0];
    const bool wrong = state.FaultLength.count(command) != 0;
    switch (command) {
    case 0x01: {
        // Acknowledges a control value by echoing it.
        const std::uint8_t echo = request[2];
        SetReply(command, 1, &echo, wrong);
        break;
    }
    case 0x10:
        SetReply(command, 44, state.DeviceInfo.data(), wrong);
        break;
    case 0x22:
        SetReply(command, 12, state.DeviceStatus.data(), wrong);
        break;
    case 0x32:
        SetReply(command, 36, state.Sensor.data(), wrong);
        break;
    case 0x33:
        // Only a complete sensor block is taken.
        if (request[1] == 36) {
            std::memcpy(state.Sensor.data(), request + 2, 36);
            if (!path.empty())
                vrxsim::SaveState(path, state);
        }
        break;
    case 0x40: {
        std::uint8_t block[48];
        PutValues(block, state.Compression);
        PutValues(block + 24, state.Leakage);
        SetReply(command, 48, block, wrong);
        break;
    }
    case 0x42:
        state.Compression.fill(-1);
        state.Leakage.fill(-1);
        if (!path.empty())
            vrxsim::SaveState(path, state);
        break;
    default:
        // Unknown commands are not answered.
        break;
    }
}

} // namespace

extern "C" {

ATUSBHID_API int ATUSBHID_CALL findHidDevice(unsigned int vendorId, unsigned int productId) {
    std::lock_guard<std::mutex> lock(guard);
    replyPending = false;
    const State state = vrxsim::LoadState(vrxsim::StatePath());
    deviceOpen = state.Connected && vendorId == 0x20A0 && productId == 0x412C;
    return deviceOpen ? 1 : 0;
}

ATUSBHID_API void ATUSBHID_CALL closeDevice(void) {
    std::lock_guard<std::mutex> lock(guard);
    deviceOpen = false;
    replyPending = false;
}

ATUSBHID_API int ATUSBHID_CALL writeData(unsigned char* report) {
    std::lock_guard<std::mutex> lock(guard);
    if (!deviceOpen || report == nullptr)
        return 0;
    const std::string path = vrxsim::StatePath();
    bool refused = false;
    State state = vrxsim::LoadState(path, &refused);
    const bool delivered = state.Connected && state.FaultWrite.count(report[0]) == 0;
    LogReport(report, delivered);
    if (!delivered)
        return 0;
    // A new request replaces any reply nobody read.
    replyPending = false;
    Handle(report, state, refused ? std::string() : path);
    return 1;
}

ATUSBHID_API int ATUSBHID_CALL readData(unsigned char* report) {
    std::lock_guard<std::mutex> lock(guard);
    if (!deviceOpen || report == nullptr || !replyPending)
        return 0;
    const State state = vrxsim::LoadState(vrxsim::StatePath());
    replyPending = false;
    if (!state.Connected || state.FaultRead.count(pendingCommand) != 0)
        return 0;
    std::memcpy(report, pendingReply, ATUSBHID_REPORT_SIZE);
    return 1;
}

ATUSBHID_API int ATUSBHID_CALL hidRegisterDeviceNotification(void* /*window*/) {
    return 0;
}

ATUSBHID_API void ATUSBHID_CALL hidUnregisterDeviceNotification(void* /*window*/) {}

ATUSBHID_API int ATUSBHID_CALL isMyDeviceNotification(unsigned long /*deviceType*/) {
    return 0;
}

ATUSBHID_API int ATUSBHID_CALL setFeature(unsigned char* report) {
    std::lock_guard<std::mutex> lock(guard);
    return deviceOpen && report != nullptr ? 1 : 0;
}

ATUSBHID_API int ATUSBHID_CALL getFeatureReportLength(void) {
    return ATUSBHID_REPORT_SIZE;
}

ATUSBHID_API int ATUSBHID_CALL getOutputReportLength(void) {
    return ATUSBHID_REPORT_SIZE;
}

ATUSBHID_API int ATUSBHID_CALL getInputReportLength(void) {
    return ATUSBHID_REPORT_SIZE;
}

} // extern "C"
