// TesterLink against a scripted HID library: loading, open/close, the exact
// request bytes, reply checks and the pause.
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "device/tester_link.h"
#include "tests/common/env_var.h"
#include "tests/device/fake_hid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The test's own handle on a fake library: the same module the link loads,
// so both see one state.
#ifdef _WIN32
void* LoadModule(const char* path) {
    return reinterpret_cast<void*>(LoadLibraryA(path));
}
void* ModuleSymbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
void UnloadModule(void* module) {
    FreeLibrary(static_cast<HMODULE>(module));
}
bool ModuleIsLoaded(const char* path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    return GetModuleHandleA(native.c_str()) != nullptr;
}
#else
void* LoadModule(const char* path) {
    return dlopen(path, RTLD_NOW);
}
void* ModuleSymbol(void* module, const char* name) {
    return dlsym(module, name);
}
void UnloadModule(void* module) {
    dlclose(module);
}
bool ModuleIsLoaded(const char* path) {
    void* module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (module != nullptr)
        dlclose(module);
    return module != nullptr;
}
#endif

using Report = FakeHid::Report;
using namespace std::chrono_literals;

Report MakeReport(std::initializer_list<std::uint8_t> head) {
    Report r{};
    std::size_t i = 0;
    for (std::uint8_t b : head)
        r[i++] = b;
    return r;
}

Report Reply(std::uint8_t command, std::uint8_t length, const std::vector<std::uint8_t>& payload) {
    Report r{};
    r[0] = command;
    r[1] = length;
    std::memcpy(r.data() + 2, payload.data(), payload.size());
    return r;
}

std::vector<std::uint8_t> Pattern(int n, std::uint8_t start) {
    std::vector<std::uint8_t> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(start + i);
    return v;
}

class TesterLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = LoadModule(FAKE_HID_PATH);
        ASSERT_NE(handle_, nullptr) << FAKE_HID_PATH;
        auto get = reinterpret_cast<fakeHidState_t>(ModuleSymbol(handle_, "fakeHidState"));
        ASSERT_NE(get, nullptr);
        fake_ = get();
        *fake_ = FakeHid();
    }
    void TearDown() override { UnloadModule(handle_); }

    // A link whose tester is open; the find call is forgotten.
    std::unique_ptr<TesterLink> OpenLink() {
        auto link = std::make_unique<TesterLink>(FAKE_HID_PATH);
        EXPECT_TRUE(link->Open());
        return link;
    }

    void* handle_ = nullptr;
    FakeHid* fake_ = nullptr;
};

TEST(TesterLinkLoading, MissingLibraryGivesError5AndNoMessage) {
    int messages = 0;
    TesterLink byPath("/nonexistent/libAtUsbHid.so", [&](const std::string&) { ++messages; });
    EXPECT_EQ(byPath.LastError(), TesterLink::errLibraryLoad);
    EXPECT_FALSE(byPath.LibraryLoaded());
    EXPECT_FALSE(byPath.Open());
    EXPECT_EQ(byPath.LastError(), TesterLink::errLibraryLoad);

    // A bare name goes through the library search, which finds nothing here.
    TesterLink byName("VrxNoSuchHidLibrary", [&](const std::string&) { ++messages; });
    EXPECT_EQ(byName.LastError(), TesterLink::errLibraryLoad);
    EXPECT_EQ(messages, 0);
}

TEST(TesterLinkLoading, LibraryLackingLastFunctionIsRejectedWithOneMessage) {
    std::vector<std::string> messages;
    {
        TesterLink link(FAKE_HID_NOFEATURE_PATH,
                        [&](const std::string& m) { messages.push_back(m); });
        EXPECT_EQ(link.LastError(), TesterLink::errFunctionMissing);
        EXPECT_FALSE(link.LibraryLoaded());
        EXPECT_FALSE(link.Open());
        EXPECT_EQ(link.LastError(), TesterLink::errFunctionMissing);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error: Cannot get address of function.");
    // The link unloaded it again.
    EXPECT_FALSE(ModuleIsLoaded(FAKE_HID_NOFEATURE_PATH));
}

// Windows looks for a bare name beside the program, in the system folders and
// on PATH, the last of which a process may change for itself.
TEST(TesterLinkLoading, BareNameIsFoundOnThePath) {
#ifndef _WIN32
    GTEST_SKIP() << "the loader reads LD_LIBRARY_PATH only at start; the tools' tests cover it";
#else
    TesterLink before("AtUsbHid");
    EXPECT_FALSE(before.LibraryLoaded());
    EXPECT_EQ(before.LastError(), TesterLink::errLibraryLoad);

    std::string simDir = SIM_HID_DIR;
    std::replace(simDir.begin(), simDir.end(), '/', '\\');
    const char* oldPath = std::getenv("PATH");
    ScopedEnv path("PATH", simDir + ";" + (oldPath ? oldPath : ""));
    TesterLink found("AtUsbHid");
    EXPECT_TRUE(found.LibraryLoaded());
    EXPECT_EQ(found.LastError(), TesterLink::errNone);
#endif
}

TEST_F(TesterLinkTest, CompleteLibraryLoadsWithoutOpening) {
    TesterLink link(FAKE_HID_PATH);
    EXPECT_TRUE(link.LibraryLoaded());
    EXPECT_EQ(link.LastError(), TesterLink::errNone);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(fake_->FindCalls, 0);
}

TEST_F(TesterLinkTest, OpenAsksTheLibraryOnceWithTheTestersIds) {
    TesterLink link(FAKE_HID_PATH);
    EXPECT_TRUE(link.Open());
    EXPECT_TRUE(link.Open());
    EXPECT_EQ(fake_->FindCalls, 1);
    EXPECT_EQ(fake_->VendorId, 0x20A0u);
    EXPECT_EQ(fake_->ProductId, 0x412Cu);
    EXPECT_EQ(link.LastError(), TesterLink::errNone);
}

TEST_F(TesterLinkTest, TesterNotFoundGivesError2AndIsAskedAgainNextTime) {
    fake_->FindResult = 0;
    TesterLink link(FAKE_HID_PATH);
    EXPECT_FALSE(link.Open());
    EXPECT_EQ(link.LastError(), TesterLink::errNotFound);
    fake_->FindResult = 1;
    EXPECT_TRUE(link.Open());
    EXPECT_EQ(fake_->FindCalls, 2);
}

TEST_F(TesterLinkTest, CloseReleasesOnlyAnOpenTester) {
    {
        TesterLink link(FAKE_HID_PATH);
        link.Close();
        EXPECT_EQ(fake_->CloseCalls, 0);
        ASSERT_TRUE(link.Open());
        link.Close();
        link.Close();
        EXPECT_EQ(fake_->CloseCalls, 1);
        EXPECT_FALSE(link.IsOpen());
        ASSERT_TRUE(link.Open());
    }
    // Destruction closes the open tester.
    EXPECT_EQ(fake_->CloseCalls, 2);
}

TEST_F(TesterLinkTest, EveryRequestOnAClosedLinkFailsAtOnce) {
    TesterLink link(FAKE_HID_PATH);
    MeasurementBlock m;
    DeviceInfoBlock d;
    DeviceStatusBlock s;
    SensorBlock sensor;
    Report raw = MakeReport({0x40, 0x00});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.ReadMeasurements(m));
    EXPECT_FALSE(link.ReadDeviceInfo(d));
    EXPECT_FALSE(link.ReadDeviceStatus(s));
    EXPECT_FALSE(link.ReadSensorData(sensor));
    EXPECT_FALSE(link.WriteSensorData(sensor));
    EXPECT_FALSE(link.EraseMeasurements());
    EXPECT_EQ(link.SendControlValue(0), 0);
    EXPECT_FALSE(link.RequestReply(raw, 48, m.Bytes.data()));
    EXPECT_FALSE(link.RequestOnly(raw));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Nine requests, none with the 100 ms pause: a single pause would already
    // reach the bound, so a busy machine cannot make this fail by itself.
    EXPECT_LT(elapsed, 100ms);
    EXPECT_TRUE(fake_->Written.empty());
    EXPECT_EQ(fake_->ReadCalls, 0);
}

TEST_F(TesterLinkTest, RequestsCarryTheExactBytes) {
    auto link = OpenLink();
    MeasurementBlock m;
    DeviceInfoBlock d;
    DeviceStatusBlock s;
    SensorBlock sensor;
    const auto sensorBytes = Pattern(SensorBlock::Size, 0x30);
    std::memcpy(sensor.Bytes.data(), sensorBytes.data(), sensorBytes.size());

    link->ReadMeasurements(m);
    link->ReadDeviceInfo(d);
    link->ReadDeviceStatus(s);
    link->ReadSensorData(sensor);
    EXPECT_TRUE(link->WriteSensorData(sensor));
    EXPECT_TRUE(link->EraseMeasurements());
    link->SendControlValue(0xA5);

    std::vector<Report> expected = {
        MakeReport({0x40, 0x00}),       MakeReport({0x10, 0x00}),       MakeReport({0x22, 0x00}),
        MakeReport({0x32, 0x00}),       Reply(0x33, 0x24, sensorBytes), MakeReport({0x42, 0x00}),
        MakeReport({0x01, 0x01, 0xA5}),
    };
    ASSERT_EQ(fake_->Written.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(fake_->Written[i], expected[i]) << "request " << i;
    // The write-only commands read nothing.
    EXPECT_EQ(fake_->ReadCalls, 5);
}

TEST_F(TesterLinkTest, ReplyIsReadAfterThePause) {
    auto link = OpenLink();
    fake_->Replies.push_back(Reply(0x22, 12, Pattern(12, 1)));
    DeviceStatusBlock s;
    ASSERT_TRUE(link->ReadDeviceStatus(s));
    EXPECT_GE(fake_->LastRead - fake_->LastWrite, 100ms);
}

TEST_F(TesterLinkTest, RepliesFillTheBlocksLittleEndian) {
    auto link = OpenLink();
    std::vector<std::uint8_t> values(48, 0);
    values[0] = 0x34; // slot 1 compression 0x1234
    values[1] = 0x12;
    values[22] = 0xFF; // slot 12 compression -1
    values[23] = 0xFF;
    values[24] = 59; // slot 1 leakage 59
    fake_->Replies.push_back(Reply(0x40, 48, values));
    std::vector<std::uint8_t> status(12, 0);
    status[0] = 0xFF; // 4294967295 s
    status[1] = 0xFF;
    status[2] = 0xFF;
    status[3] = 0xFF;
    status[8] = 0x9C; // 412
    status[9] = 0x01;
    fake_->Replies.push_back(Reply(0x22, 12, status));

    MeasurementBlock m;
    DeviceStatusBlock s;
    ASSERT_TRUE(link->ReadMeasurements(m));
    ASSERT_TRUE(link->ReadDeviceStatus(s));
    EXPECT_EQ(m.Compression(0), 0x1234);
    EXPECT_EQ(m.Compression(11), -1);
    EXPECT_EQ(m.Leakage(0), 59);
    EXPECT_EQ(s.OperatingSeconds(), 4294967295u);
    EXPECT_EQ(s.BatteryCentivolts(), 412);
}

TEST_F(TesterLinkTest, BadRepliesLeaveTheBlockAndTheLinkAsTheyWere) {
    auto link = OpenLink();
    DeviceInfoBlock info;
    info.Bytes.fill(0x77);
    const DeviceInfoBlock before = info;

    // Length byte 43 where 44 is expected, although readData succeeded.
    fake_->Replies.push_back(Reply(0x10, 0x2B, Pattern(44, 1)));
    EXPECT_FALSE(link->ReadDeviceInfo(info));
    EXPECT_EQ(info.Bytes, before.Bytes);
    // Length byte 45: a longer reply is no device information either.
    fake_->Replies.push_back(Reply(0x10, 0x2D, Pattern(45, 1)));
    EXPECT_FALSE(link->ReadDeviceInfo(info));
    EXPECT_EQ(info.Bytes, before.Bytes);

    // Failed read.
    fake_->ReadResult = 0;
    EXPECT_FALSE(link->ReadDeviceInfo(info));
    EXPECT_EQ(info.Bytes, before.Bytes);
    fake_->ReadResult = 1;

    // Failed write: nothing is read.
    fake_->WriteResult = 0;
    const int readsBefore = fake_->ReadCalls;
    EXPECT_FALSE(link->ReadDeviceInfo(info));
    EXPECT_FALSE(link->EraseMeasurements());
    EXPECT_EQ(fake_->ReadCalls, readsBefore);
    EXPECT_EQ(info.Bytes, before.Bytes);
    fake_->WriteResult = 1;

    // Still open: the next good reply is taken.
    EXPECT_TRUE(link->IsOpen());
    fake_->Replies.push_back(Reply(0x10, 44, Pattern(44, 1)));
    EXPECT_TRUE(link->ReadDeviceInfo(info));
    EXPECT_EQ(info.Bytes[0], 1);
    EXPECT_EQ(info.Bytes[43], 44);
}

TEST_F(TesterLinkTest, AllNegativeMeasurementsAreASuccessfulRequest) {
    auto link = OpenLink();
    fake_->Replies.push_back(Reply(0x40, 48, std::vector<std::uint8_t>(48, 0xFF)));
    MeasurementBlock m;
    EXPECT_TRUE(link->ReadMeasurements(m));
    EXPECT_TRUE(m.AllNegative());
}

TEST_F(TesterLinkTest, PayloadIsCopiedOnlyToTheExpectedLength) {
    auto link = OpenLink();
    std::array<std::uint8_t, 70> out;
    out.fill(0xEE);

    Report request = MakeReport({0x55, 0x00});
    fake_->Replies.push_back(Reply(0x55, 5, Pattern(62, 1)));
    ASSERT_TRUE(link->RequestReply(request, 5, out.data()));
    EXPECT_EQ(out[4], 5);
    EXPECT_EQ(out[5], 0xEE);

    // The whole report's payload, and nothing past it.
    request = MakeReport({0x55, 0x00});
    fake_->Replies.push_back(Reply(0x55, 62, Pattern(62, 1)));
    ASSERT_TRUE(link->RequestReply(request, 62, out.data()));
    EXPECT_EQ(out[61], 62);
    EXPECT_EQ(out[62], 0xEE);

    // More than a report can carry is refused before anything is sent.
    const std::size_t written = fake_->Written.size();
    request = MakeReport({0x55, 0x00});
    EXPECT_FALSE(link->RequestReply(request, 63, out.data()));
    EXPECT_FALSE(link->RequestReply(request, -1, out.data()));
    EXPECT_EQ(fake_->Written.size(), written);
}

TEST_F(TesterLinkTest, ControlValueResults) {
    auto link = OpenLink();
    fake_->Replies.push_back(Reply(0x01, 0, {9}));
    EXPECT_EQ(link->SendControlValue(0), -1);
    fake_->Replies.push_back(Reply(0x01, 1, {7}));
    EXPECT_EQ(link->SendControlValue(0), 7);
    // Any non-zero length byte is accepted; the byte reads unsigned.
    fake_->Replies.push_back(Reply(0x01, 12, {255}));
    EXPECT_EQ(link->SendControlValue(0), 255);

    fake_->ReadResult = 0;
    EXPECT_EQ(link->SendControlValue(0), 0);
    fake_->ReadResult = 1;
    fake_->WriteResult = 0;
    EXPECT_EQ(link->SendControlValue(0), 0);
}

} // namespace
