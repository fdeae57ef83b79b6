// The C interface of the tester's HID library "AtUsbHid". Both the library
// for real testers (hid/) and the simulator (sim/) export exactly these
// functions; the program loads one of them by name at run time.
#pragma once

#ifdef _WIN32
#define ATUSBHID_API __declspec(dllexport)
#define ATUSBHID_CALL __stdcall
#else
#define ATUSBHID_API __attribute__((visibility("default")))
#define ATUSBHID_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reports are always 64 bytes: byte 0 command, byte 1 payload length. */
enum { ATUSBHID_REPORT_SIZE = 64 };

typedef int(ATUSBHID_CALL* findHidDevice_t)(unsigned int vendorId, unsigned int productId);
typedef void(ATUSBHID_CALL* closeDevice_t)(void);
typedef int(ATUSBHID_CALL* writeData_t)(unsigned char* report);
typedef int(ATUSBHID_CALL* readData_t)(unsigned char* report);
typedef int(ATUSBHID_CALL* hidRegisterDeviceNotification_t)(void* window);
typedef void(ATUSBHID_CALL* hidUnregisterDeviceNotification_t)(void* window);
typedef int(ATUSBHID_CALL* isMyDeviceNotification_t)(unsigned long deviceType);
typedef int(ATUSBHID_CALL* setFeature_t)(unsigned char* report);
typedef int(ATUSBHID_CALL* getFeatureReportLength_t)(void);
typedef int(ATUSBHID_CALL* getOutputReportLength_t)(void);
typedef int(ATUSBHID_CALL* getInputReportLength_t)(void);

#ifdef __cplusplus
}
#endif
