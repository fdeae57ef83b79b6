#include "tests/device/fake_hid.h"

#include "device/at_usb_hid.h"

#include <cstring>

namespace {
FakeHid state;
}

extern "C" {

ATUSBHID_API FakeHid* fakeHidState(void) {
    return &state;
}

ATUSBHID_API int findHidDevice(unsigned int vendorId, unsigned int productId) {
    ++state.FindCalls;
    state.VendorId = vendorId;
    state.ProductId = productId;
    return state.FindResult;
}

ATUSBHID_API void closeDevice(void) {
    ++state.CloseCalls;
}

ATUSBHID_API int writeData(unsigned char* report) {
    FakeHid::Report copy;
    std::memcpy(copy.data(), report, copy.size());
    state.Written.push_back(copy);
    state.LastWrite = FakeHid::Clock::now();
    return state.WriteResult;
}

ATUSBHID_API int readData(unsigned char* report) {
    ++state.ReadCalls;
    state.LastRead = FakeHid::Clock::now();
    if (!state.ReadResult || state.Replies.empty())
        return 0;
    std::memcpy(report, state.Replies.front().data(), 64);
    state.Replies.pop_front();
    return 1;
}

ATUSBHID_API int hidRegisterDeviceNotification(void*) {
    return 0;
}
ATUSBHID_API void hidUnregisterDeviceNotification(void*) {}
ATUSBHID_API int isMyDeviceNotification(unsigned long) {
    return 0;
}
ATUSBHID_API int setFeature(unsigned char*) {
    return 0;
}
ATUSBHID_API int getOutputReportLength(void) {
    return 64;
}
ATUSBHID_API int getInputReportLength(void) {
    return 64;
}
#ifndef FAKE_HID_WITHOUT_FEATURE_LENGTH
ATUSBHID_API int getFeatureReportLength(void) {
    return 64;
}
#endif
}
