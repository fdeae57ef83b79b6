// What loading the company logo adds to the start: a normal logo against
// hostile ones (a progressive file of many scans, a 100-megapixel
// progressive file, a frame size of 20000 x 20000, a run-length bitmap of
// 25 megapixels in a kilobyte, a named pipe) and large photos and bitmaps
// within the bounds. Every load must end within half a second over the
// normal one; "over_normal_ms" and "of_budget" (that difference / 500 ms)
// show how far each is from it. The bounds count work and memory, not time:
// "peak_MiB" is the most the process's resident memory grew during a load,
// "peak_per_byte" that growth per byte of the file.
#include "platform/picture_loader.h"
#include "tests/support/test_pictures.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string>

#include <fstream>

#include <sys/stat.h>

namespace {

constexpr double kBudgetMs = 500.0;

// Bands and rings: detail enough that every scan carries data.
QImage Busy(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const double r = std::hypot(x - w / 2.0, y - h / 2.0);
            row[x * 3] = static_cast<uchar>(128 + 100 * std::sin(r / 7.0));
            row[x * 3 + 1] = static_cast<uchar>((x * 7) ^ (y * 3));
            row[x * 3 + 2] = static_cast<uchar>(128 + 100 * std::cos((x + y) / 11.0));
        }
    }
    return img;
}

// Soft gradients: a huge picture in a small file.
QImage Smooth(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            row[x * 3] = static_cast<uchar>(x * 255 / w);
            row[x * 3 + 1] = static_cast<uchar>(y * 255 / h);
            row[x * 3 + 2] = static_cast<uchar>((x + y) * 127 / (w + h));
        }
    }
    return img;
}

// The process's peak resident memory in KiB ("VmHWM"), and its reset to the
// present size (Linux 4.0 and later).
long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Files {
    QTemporaryDir dir;
    std::map<std::string, QString> path;
    std::map<std::string, qint64> bytes;

    void Add(const std::string& name, const QByteArray& data, const char* ext = ".jpg") {
        const QString p = dir.filePath(QString::fromStdString(name) + ext);
        QFile f(p);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(data);
        }
        path[name] = p;
        bytes[name] = data.size();
    }

    Files() {
        Add("normal", EncodeJpeg(Busy(230, 192), JpegKind::Rgb, 90));
        // Within the file and pixel bounds, but each of its 190 scans walks
        // 25 megapixels.
        Add("progressive_190_scans_5000x5000",
            EncodeJpeg(Busy(5000, 5000), JpegKind::ManyScans, 75));
        Add("progressive_6000x4000", EncodeJpeg(Busy(6000, 4000), JpegKind::Progressive, 75));
        Add("baseline_6000x4000", EncodeJpeg(Busy(6000, 4000), JpegKind::Rgb, 75));
        // 100 megapixels in a few MiB: within the general picture limits,
        // a gigabyte and seconds when decoded whole.
        Add("progressive_10000x10000", EncodeJpeg(Smooth(10000, 10000), JpegKind::Progressive, 90));
        Add("frame_20000x20000", WithFrameSize(EncodeJpeg(Busy(64, 64)), 20000, 20000));
        Add("rle8_empty_5000x5000", Rle8Bitmap(0, 0, 0, 5000, 5000), ".bmp");
        Add("rle8_5000x5000", Rle8Bitmap(2500, 2500, 5000, 5000, 5000), ".bmp");
        const QString fifo = dir.filePath(QStringLiteral("fifo.jpg"));
        mkfifo(QFile::encodeName(fifo).constData(), 0600);
        path["named_pipe"] = fifo;
        bytes["named_pipe"] = 0;
    }
};

Files& TheFiles() {
    static Files files;
    return files;
}

double LoadMs(const QString& path, bool* loaded, QSize* size, long* growKiB = nullptr) {
    QImage out;
    ResetPeak();
    const long before = PeakKiB();
    const auto start = std::chrono::steady_clock::now();
    *loaded = LoadPictureFile(path, &out);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (growKiB != nullptr) {
        *growKiB = std::max(*growKiB, PeakKiB() - before);
    }
    *size = out.size();
    return ms;
}

double NormalMs() {
    static const double ms = [] {
        bool loaded = false;
        QSize size;
        double total = 0;
        for (int i = 0; i < 20; ++i) {
            total += LoadMs(TheFiles().path["normal"], &loaded, &size);
        }
        return total / 20;
    }();
    return ms;
}

void BM_Logo(benchmark::State& state, const std::string& name) {
    const QString path = TheFiles().path[name];
    const double normal = NormalMs();
    double worst = 0;
    bool loaded = false;
    QSize size;
    long growKiB = 0;
    for (auto _ : state) {
        worst = std::max(worst, LoadMs(path, &loaded, &size, &growKiB));
    }
    const double fileBytes = static_cast<double>(TheFiles().bytes[name]);
    state.counters["file_MiB"] = fileBytes / (1024.0 * 1024.0);
    state.counters["peak_MiB"] = growKiB / 1024.0;
    state.counters["peak_per_byte"] = fileBytes > 0 ? growKiB * 1024.0 / fileBytes : 0;
    state.counters["worst_ms"] = worst;
    state.counters["over_normal_ms"] = worst - normal;
    state.counters["of_budget"] = (worst - normal) / kBudgetMs;
    state.counters["loaded"] = loaded ? 1 : 0;
    state.counters["width"] = size.width();
    state.counters["height"] = size.height();
}

// For comparison: the same file through the plain decoder, with no time
// bound and no scaling (what every start paid before the bounds).
void BM_Unbounded(benchmark::State& state, const std::string& name) {
    QFile f(TheFiles().path[name]);
    if (!f.open(QIODevice::ReadOnly)) {
        state.SkipWithError("test file missing");
        return;
    }
    const QByteArray bytes = f.readAll();
    double ms = 0;
    bool loaded = false;
    for (auto _ : state) {
        QImage out;
        const auto start = std::chrono::steady_clock::now();
        loaded = DecodeJpeg(bytes, &out);
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count();
    }
    state.counters["worst_ms"] = ms;
    state.counters["loaded"] = loaded ? 1 : 0;
}

} // namespace

BENCHMARK_CAPTURE(BM_Unbounded, progressive_190_scans_5000x5000,
                  std::string("progressive_190_scans_5000x5000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Unbounded, progressive_10000x10000, std::string("progressive_10000x10000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Logo, normal_230x192, std::string("normal"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_Logo, progressive_190_scans_5000x5000,
                  std::string("progressive_190_scans_5000x5000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_Logo, progressive_6000x4000, std::string("progressive_6000x4000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_Logo, baseline_6000x4000, std::string("baseline_6000x4000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_Logo, progressive_10000x10000, std::string("progressive_10000x10000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_Logo, rle8_empty_5000x5000, std::string("rle8_empty_5000x5000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_Logo, rle8_5000x5000, std::string("rle8_5000x5000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_Logo, frame_20000x20000, std::string("frame_20000x20000"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_Logo, named_pipe, std::string("named_pipe"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

BENCHMARK_MAIN();
