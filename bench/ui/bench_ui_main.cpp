// The main window against the simulated tester:
//  - "&Read Device" as a ratio to the protocol's floor (every exchange waits
//    100 ms: 4 exchanges, or 5 with the automatic erase);
//  - one chart refresh with one paint of both charts;
//  - the time from starting the program to its main window being painted
//    (the program's VRX310_STARTUP_PROBE; run under xvfb-run for a real X
//    display, otherwise the offscreen platform is measured), against an
//    empty Qt main window of the same size started the same way, alternately
//    in the same run ("ratio_to_empty", aim 1.5 at most);
//  - where the program's part of that goes, in this process: creating the
//    main window, FinishStartup, showing until the first paint, and the
//    dialogs the program makes after it.
// Settings, simulator state and request log go to a temporary folder.
#include "app/main/main_window.h"
#include "app/main/start_up.h"
#include "bench/paired_ratio.h"
#include "chart/bar_chart.h"
#include "dialogs/form_msg.h"
#include "platform/first_paint_probe.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
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

// The baseline process: an empty main window of the given size.
int EmptyWindowMain(int argc, char** argv, const char* size) {
    int w = 0;
    int h = 0;
    if (std::sscanf(size, "%dx%d", &w, &h) != 2)
        return 1;
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(w, h);
    FirstPaintProbe probe(&window);
    probe.ReportAndQuitWhenPainted();
    window.show();
    return app.exec();
}

// Seconds from starting the program until it reports its window painted;
// negative when it ends without.
double SecondsToShown(const std::string& program) {
    int out[2];
    if (::pipe(out) != 0)
        return -1;
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
        return -1;
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
    return seen.find("startup-probe: shown") == std::string::npos ? -1 : seconds;
}

void BM_StartupToShown(benchmark::State& state) {
    const std::string program = VRX_PROGRAM;
    const bool x11 = std::getenv("DISPLAY") != nullptr;
    state.SetLabel(x11 ? "X display" : "offscreen");
    CreateWindows();
    const QSize size = FormMain->size();
    DestroyWindows();
    const std::string emptySize =
        std::to_string(size.width()) + "x" + std::to_string(size.height());
    PairedRatio ratio;
    for (auto _ : state) {
        ::setenv("VRX310_BENCH_EMPTY_WINDOW", emptySize.c_str(), 1);
        const double empty = SecondsToShown("/proc/self/exe");
        ::unsetenv("VRX310_BENCH_EMPTY_WINDOW");
        const double seconds = SecondsToShown(program);
        if (empty < 0 || seconds < 0) {
            state.SkipWithError("a program ended without showing its window");
            return;
        }
        ratio.Add(seconds, empty);
        state.SetIterationTime(seconds);
    }
    state.counters["empty_ms"] =
        1000 * ratio.ReferenceSum() / static_cast<double>(state.iterations());
    state.counters["ratio_to_empty"] = ratio.OfSums();
    state.counters["ratio_to_empty_median"] = ratio.Median();
}

// The program's own start-up steps, timed in this process (the Qt
// application, its platform plug-in and fonts exist already), in the
// program's order: the main window, FinishStartup, showing until the first
// paint, then the dialogs.
void BM_StartupParts(benchmark::State& state) {
    double create = 0;
    double finish = 0;
    double paint = 0;
    double dialogs = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        CreateMainWindow();
        auto t1 = Clock::now();
        FormMain->FinishStartup();
        auto t2 = Clock::now();
        {
            FirstPaintProbe probe(FormMain);
            FormMain->show();
            while (!probe.Seen())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        auto t3 = Clock::now();
        CreateDialogs();
        FormMain->ConnectDialogs();
        auto t4 = Clock::now();
        state.PauseTiming();
        DestroyWindows();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        create += std::chrono::duration<double, std::milli>(t1 - t0).count();
        finish += std::chrono::duration<double, std::milli>(t2 - t1).count();
        paint += std::chrono::duration<double, std::milli>(t3 - t2).count();
        dialogs += std::chrono::duration<double, std::milli>(t4 - t3).count();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["main_window_ms"] = create / n;
    state.counters["finish_startup_ms"] = finish / n;
    state.counters["show_to_paint_ms"] = paint / n;
    state.counters["dialogs_after_paint_ms"] = dialogs / n;
}

BENCHMARK(BM_ReadDevice)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadDeviceWithErase)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_RefreshChartsAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartupToShown)->Unit(benchmark::kMillisecond)->Iterations(30)->UseManualTime();
BENCHMARK(BM_StartupParts)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

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
    if (const char* size = std::getenv("VRX310_BENCH_EMPTY_WINDOW"))
        return EmptyWindowMain(argc, argv, size);

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
