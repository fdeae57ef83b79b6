// The main window against the simulated tester:
//  - "&Read Device" as a ratio to the protocol's floor (every exchange waits
//    100 ms: 4 exchanges, or 5 with the automatic erase);
//  - one chart refresh with one paint of both charts;
//  - the time from starting the program to its main window being painted
//    (the program's VRX310_STARTUP_PROBE; run under xvfb-run for a real X
//    display, otherwise the offscreen platform is measured).
// Settings, simulator state and request log go to a temporary folder.
#include "app/main/main_window.h"
#include "app/main/start_up.h"
#include "chart/bar_chart.h"
#include "dialogs/form_msg.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double ExchangeSeconds = 0.1;

QTemporaryDir* Scratch = nullptr;

void WriteDefaultState() {
    // A missing state file is the simulator's default tester.
    QFile::remove(Scratch->filePath(QStringLiteral("sim.state")));
}

// Answers the erase question with OK as soon as it shows.
class OkPresser : public QObject {
public:
    OkPresser() {
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [] {
            if (FormMsg && FormMsg->isVisible())
                FormMsg->Button(mrOk)->click();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

void ReadDevice(benchmark::State& state, bool autoClear) {
    CreateWindows();
    FormMain->FinishStartup();
    FormMain->show();
    QCoreApplication::processEvents();
    FormMain->ActionAutoClear->setChecked(autoClear);
    OkPresser presser;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WriteDefaultState();
        state.ResumeTiming();
        const auto start = Clock::now();
        FormMain->ActionDeviceReadExecute();
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    const int exchanges = autoClear ? 5 : 4;
    state.counters["ratio_to_floor"] =
        seconds / (static_cast<double>(state.iterations()) * exchanges * ExchangeSeconds);
    if (FormMain->StatusText(3).isEmpty())
        state.SkipWithError("the read did not complete (no simulator found?)");
    DestroyWindows();
}

void BM_ReadDevice(benchmark::State& state) {
    ReadDevice(state, false);
}
void BM_ReadDeviceWithErase(benchmark::State& state) {
    ReadDevice(state, true);
}

void BM_RefreshChartsAndPaint(benchmark::State& state) {
    CreateWindows();
    FormMain->FinishStartup();
    FormMain->show();
    WriteDefaultState();
    FormMain->ActionDeviceReadExecute();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        FormMain->ClearSeries();
        FormMain->RefreshCharts();
        FormMain->DiagKomp->repaint();
        FormMain->DiagLeak->repaint();
    }
    DestroyWindows();
}

void BM_StartupToShown(benchmark::State& state) {
    const std::string program = VRX_PROGRAM;
    const bool x11 = std::getenv("DISPLAY") != nullptr;
    state.SetLabel(x11 ? "X display" : "offscreen");
    for (auto _ : state) {
        int out[2];
        if (::pipe(out) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        pid_t pid = 0;
        const auto start = Clock::now();
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            ::close(out[0]);
            state.SkipWithError("the program could not be started");
            return;
        }
        std::string seen;
        char buf[256];
        ssize_t n = 0;
        while (seen.find("startup-probe: shown") == std::string::npos &&
               (n = ::read(out[0], buf, sizeof buf)) > 0)
            seen.append(buf, static_cast<size_t>(n));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        ::close(out[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (seen.find("startup-probe: shown") == std::string::npos) {
            state.SkipWithError("the program ended without showing its window");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

BENCHMARK(BM_ReadDevice)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadDeviceWithErase)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_RefreshChartsAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartupToShown)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

} // namespace

int main(int argc, char** argv) {
    // The window finds the tester library by the platform's library search,
    // which reads LD_LIBRARY_PATH only when a process starts: start once
    // more with the simulator's folder first.
    if (!std::getenv("VRX310_BENCH_STARTED")) {
        std::string path = VRX_SIM_DIR;
        if (const char* old = std::getenv("LD_LIBRARY_PATH"); old && *old)
            path += std::string(":") + old;
        ::setenv("LD_LIBRARY_PATH", path.c_str(), 1);
        ::setenv("VRX310_BENCH_STARTED", "1", 1);
        ::execv("/proc/self/exe", argv);
        std::perror("execv");
        return 1;
    }
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QTemporaryDir scratch;
    Scratch = &scratch;
    qputenv("XDG_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("VRX310_SIM_STATE", scratch.filePath(QStringLiteral("sim.state")).toLocal8Bit());
    qputenv("VRX310_SIM_LOG", scratch.filePath(QStringLiteral("requests.log")).toLocal8Bit());
    qputenv("VRX310_STARTUP_PROBE", "1");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
