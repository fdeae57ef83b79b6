// libAtUsbHid for real testers, over hidapi's hidraw backend. One tester at
// a time; the program calls these from one thread, the mutex only keeps the
// library sound if anyone else does not.
#include "device/at_usb_hid.h"

#include <hidapi.h>

#include <cstring>
#include <mutex>

namespace {

// How long readData waits for the tester's reply. The tester answers within
// the program's 100 ms pause; a silent or unplugged tester must not hang it.
constexpr int ReadTimeoutMs = 1000;
// Stale input reports dropped before a request, so a reply always belongs
// to the request just sent.
constexpr int MaxStaleReports = 16;

std::mutex guard;
hid_device* device = nullptr;
bool initialised = false;

void CloseLocked() {
    if (device != nullptr) {
        hid_close(device);
        device = nullptr;
    }
}

} // namespace

extern "C" {

ATUSBHID_API int ATUSBHID_CALL findHidDevice(unsigned int vendorId, unsigned int productId) {
    std::lock_guard<std::mutex> lock(guard);
    CloseLocked();
    if (!initialised) {
        if (hid_init() != 0)
            return 0;
        initialised = true;
    }
    if (vendorId > 0xFFFF || productId > 0xFFFF)
        return 0;
    hid_device_info* list = hid_enumerate(static_cast<unsigned short>(vendorId),
                                          static_cast<unsigned short>(productId));
    for (hid_device_info* it = list; it != nullptr && device == nullptr; it = it->next) {
        if (it->path != nullptr)
            device = hid_open_path(it->path);
    }
    hid_free_enumeration(list);
    return device != nullptr ? 1 : 0;
}

ATUSBHID_API void ATUSBHID_CALL closeDevice(void) {
    std::lock_guard<std::mutex> lock(guard);
    CloseLocked();
}

ATUSBHID_API int ATUSBHID_CALL writeData(unsigned char* report) {
    std::lock_guard<std::mutex> lock(guard);
    if (device == nullptr || report == nullptr)
        return 0;
    unsigned char stale[ATUSBHID_REPORT_SIZE];
    for (int i = 0; i < MaxStaleReports && hid_read_timeout(device, stale, sizeof stale, 0) > 0;
         ++i) {
    }
    // Report number 0 (the tester has unnumbered reports) in front.
    unsigned char out[ATUSBHID_REPORT_SIZE + 1];
    out[0] = 0;
    std::memcpy(out + 1, report, ATUSBHID_REPORT_SIZE);
    return hid_write(device, out, sizeof out) >= ATUSBHID_REPORT_SIZE ? 1 : 0;
}

ATUSBHID_API int ATUSBHID_CALL readData(unsigned char* report) {
    std::lock_guard<std::mutex> lock(guard);
    if (device == nullptr || report == nullptr)
        return 0;
    unsigned char in[ATUSBHID_REPORT_SIZE];
    const int n = hid_read_timeout(device, in, sizeof in, ReadTimeoutMs);
    if (n <= 0)
        return 0;
    std::memset(report, 0, ATUSBHID_REPORT_SIZE);
    std::memcpy(report, in, static_cast<std::size_t>(n));
    return 1;
}

// Plug and unplug are watched by the program itself (udev), not here.
ATUSBHID_API int ATUSBHID_CALL hidRegisterDeviceNotification(void* /*window*/) {
    return 0;
}

ATUSBHID_API void ATUSBHID_CALL hidUnregisterDeviceNotification(void* /*window*/) {}

ATUSBHID_API int ATUSBHID_CALL isMyDeviceNotification(unsigned long /*deviceType*/) {
    return 0;
}

ATUSBHID_API int ATUSBHID_CALL setFeature(unsigned char* report) {
    std::lock_guard<std::mutex> lock(guard);
    if (device == nullptr || report == nullptr)
        return 0;
    unsigned char out[ATUSBHID_REPORT_SIZE + 1];
    out[0] = 0;
    std::memcpy(out + 1, report, ATUSBHID_REPORT_SIZE);
    return hid_send_feature_report(device, out, sizeof out) >= ATUSBHID_REPORT_SIZE ? 1 : 0;
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
