// The program's full reading sequence against the simulated tester, as a
// multiple of the protocol's floor: four exchanges of at least 100 ms each.
// The figure shows what the link adds on top of the pauses.
#include "device/tester_link.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

constexpr double FloorSeconds = 4 * TesterLink::PauseMs / 1000.0;

void BM_ReadingSequence(benchmark::State& state) {
    // A private state file: the defaults, never written by reading.
    const std::string statePath =
        "/tmp/vrx310-bench-" + std::to_string(static_cast<long>(getpid())) + ".state";
    setenv("VRX310_SIM_STATE", statePath.c_str(), 1);
    unsetenv("VRX310_SIM_LOG");

    TesterLink link(SIM_HID_PATH);
    if (!link.Open()) {
        state.SkipWithError("simulated tester not found");
        return;
    }
    MeasurementBlock measurements;
    DeviceInfoBlock info;
    SensorBlock sensor;
    DeviceStatusBlock status;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bool ok = link.ReadMeasurements(measurements);
        ok = link.ReadDeviceInfo(info) && ok;
        ok = link.ReadSensorData(sensor) && ok;
        ok = link.ReadDeviceStatus(status) && ok;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok) {
            state.SkipWithError("a request failed");
            return;
        }
        benchmark::DoNotOptimize(measurements.Bytes.data());
    }
    state.counters["floor_ratio"] =
        seconds / static_cast<double>(state.iterations()) / FloorSeconds;
    state.counters["floor_ms"] = FloorSeconds * 1000.0;
}

} // namespace

BENCHMARK(BM_ReadingSequence)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

BENCHMARK_MAIN();
