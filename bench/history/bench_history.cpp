// bench_history [FOLDER]: lists a folder of 10,000 reports as the history
// window does, against a baseline that walks the same folder, reads every
// report's bytes and computes their CRC-32, both with a warm and a cold
// page cache. The folder is filled once (reports saved by the same writer
// as vrx310-cli read --out) and kept for the next run.
#include "bench/history/evict.h"
#include "fileio/safe_file.h"
#include "history/report_history.h"
#include "report/report_file.h"
#include "text/cp1252.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Reports = 10000;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Workshop-like texts: a vehicle and its plate, a technician, a date in
// the last two years, one of three testers, six or four cylinders.
MeasurementReport Sample(int i, std::mt19937& random) {
    static const char* const vehicles[] = {"VW Golf VII 1.4 TSI",
                                           "Škoda Octavia 2.0 TDI",
                                           "Opel Astra K",
                                           "BMW 320d F31",
                                           "Mercedes-Benz C 200",
                                           "Renault Clio IV",
                                           "Ford Focus 1.0 EcoBoost",
                                           "Audi A4 B9",
                                           "Fiat Ducato 2.3",
                                           "Toyota Yaris 1.5",
                                           "Peugeot 308 SW",
                                           "Citroën Berlingo"};
    static const char* const owners[] = {"Müller", "Schäfer", "Öztürk", "Weiß",
                                         "Dupont", "Nowak",   "Jäger",  "Krüger"};
    static const char* const operators[] = {"Hans Meier", "Eva Groß", "Jürgen Bauer", "Ana Lopes"};
    static const char* const testers[] = {"VRX310-24-00815", "VRX310-24-01022", "VRX310-25-00007"};
    MeasurementReport r;
    const int v = static_cast<int>(random() % 12);
    char plate[32];
    std::snprintf(plate, sizeof plate, "%c%c-%c%c %d", 'A' + i % 26, 'A' + (i / 26) % 26,
                  'A' + (i / 7) % 26, 'A' + (i / 11) % 26, 100 + i % 9000);
    r.CarID = Utf8ToCp1252(std::string(vehicles[v]) + " " + owners[i % 8] + " " + plate);
    r.Operator = Utf8ToCp1252(operators[random() % 4]);
    char when[40];
    std::snprintf(when, sizeof when, "%02d.%02d.%04d -- %02d:%02d:%02d", 1 + i % 28,
                  1 + (i / 28) % 12, 2025 + (i / 336) % 2, 7 + i % 11, i % 60, (i * 7) % 60);
    r.DateandTime = when;
    r.Texts.DeviceSN = testers[i % 3];
    r.Texts.FirmwareVersion = "2.03";
    r.Texts.SensorSN = "S-" + std::to_string(4711 + i % 3);
    r.Unit = i % 3;
    const int cylinders = v == 3 || v == 4 ? 6 : 4;
    for (int s = 0; s < cylinders; ++s) {
        r.Compression[s] = static_cast<std::int16_t>(950 + random() % 450);
        r.Leakage[s] = static_cast<std::int16_t>(30 + random() % 300);
    }
    return r;
}

std::vector<std::string> ReportFiles(const fs::path& folder) {
    std::vector<std::string> files;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".vrx")
            files.push_back(e.path().string());
    return files;
}

struct Timing {
    double Total = 0, First = 0;
    std::size_t Files = 0, Bytes = 0;
};

// The baseline: the same walk, every file read through the program's one
// reader with its size bound, its CRC-32 computed.
Timing ReadAndChecksum(const fs::path& folder) {
    Timing t;
    const auto start = Clock::now();
    uLong crc = crc32(0, nullptr, 0);
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        if (e.path().extension() != ".vrx")
            continue;
        std::vector<std::uint8_t> bytes;
        if (safefile::ReadRegularFile(e.path().string(), bytes, 16u << 20) !=
            safefile::ReadStatus::Ok)
            continue;
        crc = crc32(crc, bytes.data(), static_cast<uInt>(bytes.size()));
        ++t.Files;
        t.Bytes += bytes.size();
        if (t.Files == 1)
            t.First = Seconds(start);
    }
    t.Total = Seconds(start);
    if (crc == 0)
        std::printf("(crc 0)\n");
    return t;
}

Timing List(const fs::path& folder) {
    Timing t;
    const auto start = Clock::now();
    HistoryOptions options;
    const RuleSet rules = DefaultRules();
    options.Rules = &rules;
    ListReportHistory(folder.string(), options,
                      [&](std::vector<HistoryEntry>&& batch, HistoryProgress) {
                          if (t.Files == 0)
                              t.First = Seconds(start);
                          for (const HistoryEntry& e : batch)
                              t.Files += e.Problem == HistoryProblem::None;
                      });
    t.Total = Seconds(start);
    return t;
}

std::size_t EvictAll(const std::vector<std::string>& files) {
    std::size_t evicted = 0;
    for (const std::string& f : files)
        evicted += EvictFromPageCache(f);
    return evicted;
}

void Print(const char* what, const Timing& t) {
    std::printf("  %-34s %8.3f s  (first row after %.4f s, %zu reports)\n", what, t.Total, t.First,
                t.Files);
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "vrx-history-bench";
    fs::create_directories(folder);
    std::vector<std::string> files = ReportFiles(folder);
    if (files.size() < static_cast<std::size_t>(Reports)) {
        std::printf("making %d reports in %s ...\n", Reports, folder.string().c_str());
        std::mt19937 random(310);
        const auto start = Clock::now();
        for (int i = 0; i < Reports; ++i) {
            const MeasurementReport r = Sample(i, random);
            char name[64];
            std::snprintf(name, sizeof name, "report_%05d.vrx", i);
            if (!SaveReportFile((folder / name).string(), r, false, r.DateandTime, nullptr)) {
                std::fprintf(stderr, "cannot save %s\n", name);
                return 1;
            }
        }
        std::printf("  made in %.1f s\n", Seconds(start));
        files = ReportFiles(folder);
    }

    std::printf("history listing of %zu reports\n", files.size());
    ReadAndChecksum(folder); // both warm: every page in the cache
    List(folder);
    const Timing warmBase = ReadAndChecksum(folder);
    const Timing warmList = List(folder);
    std::printf("warm page cache:\n");
    Print("read + CRC-32 (baseline)", warmBase);
    Print("history listing", warmList);
    std::printf("  ratio %.2f x, %zu bytes\n", warmList.Total / warmBase.Total, warmBase.Bytes);

    std::printf(
        "cold page cache (fsync + posix_fadvise DONTNEED on every file before each run):\n");
    const std::size_t evicted1 = EvictAll(files);
    const Timing coldBase = ReadAndChecksum(folder);
    const std::size_t evicted2 = EvictAll(files);
    const Timing coldList = List(folder);
    Print("read + CRC-32 (baseline)", coldBase);
    Print("history listing", coldList);
    std::printf("  ratio %.2f x (evicted %zu and %zu files)\n", coldList.Total / coldBase.Total,
                evicted1, evicted2);
    return 0;
}
