// Loading and saving a database of 200 000 entries, each against a baseline
// measured in the same run on the same file: one read of the whole file plus
// crc32 over it (load), one write of the same bytes plus crc32 (save). The
// ratios are printed as counters. Also: opening, reading and abandoning a
// report file of about 2.3 KB.
#include "bench/paired_ratio.h"
#include "freebase/freebase.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The benchmark's files, removed at exit.
struct ScratchFolder {
    fs::path Path = fs::temp_directory_path() / ("bench_freebase_" + std::to_string(::getpid()));
    ScratchFolder() { fs::create_directories(Path); }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

const fs::path& Folder() {
    static const ScratchFolder folder;
    return folder.Path;
}

// 20 nodes of 99 nodes of 100 values: 200 000 entries of all value types,
// every 25th text a few hundred bytes long.
void FillLarge(TFreeBase& db) {
    TFBRoot* root = db.Root();
    int serial = 0;
    for (int g = 0; g < 20; ++g) {
        auto* group = static_cast<TFBNode*>(root->AddChild(TFBEntryType::node));
        group->Name = "Group" + std::to_string(g);
        for (int s = 0; s < 99; ++s) {
            auto* sub = static_cast<TFBNode*>(group->AddChild(TFBEntryType::node));
            sub->Name = "Set" + std::to_string(s);
            for (int i = 0; i < 100; ++i, ++serial) {
                TFBEntry* e = sub->AddChild(static_cast<TFBEntryType>(2 + i % 4));
                e->Name = "E" + std::to_string(i);
                switch (e->EntryType) {
                case TFBEntryType::int32:
                    static_cast<TFBInteger*>(e)->Value = serial;
                    break;
                case TFBEntryType::str32:
                    static_cast<TFBString*>(e)->Value = serial % 25 == 1
                                                            ? std::string(300, 'a' + serial % 26)
                                                            : "Text " + std::to_string(serial);
                    break;
                case TFBEntryType::bin32: {
                    auto* block = new std::uint8_t[32];
                    for (int k = 0; k < 32; ++k) {
                        block[k] = static_cast<std::uint8_t>(serial + k);
                    }
                    static_cast<TFBBinary*>(e)->Assign(block, 32);
                    break;
                }
                default:
                    static_cast<TFBFloat*>(e)->Value = Extended80::FromDouble(serial * 0.1);
                }
            }
        }
    }
}

std::string MakeLarge(int version) {
    const std::string path = (Folder() / ("large_v" + std::to_string(version) + ".fdb")).string();
    if (!fs::exists(path)) {
        TFreeBase db;
        db.SetFileName(path);
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        db.SetSaveAsVersion(version == 1 ? TSaveAsVersion::Version1 : TSaveAsVersion::Version2);
        db.Open();
        FillLarge(db);
        db.Close();
        if (db.LastError() != 0) {
            std::abort();
        }
    }
    return path;
}

std::vector<std::uint8_t> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    struct stat st {};
    ::fstat(fd, &st);
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < buf.size()) {
        const auto n = ::read(fd, buf.data() + got, buf.size() - got);
        if (n <= 0) {
            std::abort();
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return buf;
}

void WriteWhole(const std::string& path, const std::vector<std::uint8_t>& bytes, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        std::abort();
    }
    if (sync) {
        ::fsync(fd);
    }
    ::close(fd);
}

// The baseline: one read of the whole file, then crc32 over it.
double Baseline(const std::string& path) {
    const auto t0 = Clock::now();
    const auto bytes = ReadWhole(path);
    benchmark::DoNotOptimize(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
    return Seconds(t0, Clock::now());
}

void Load(benchmark::State& state) {
    const std::string path = MakeLarge(static_cast<int>(state.range(0)));
    double discard = 0;
    PairedRatio ratio;
    bool baseFirst = false;
    for (auto _ : state) {
        // Alternating the order keeps a busy machine from favouring either.
        baseFirst = !baseFirst;
        double baseline = 0;
        if (baseFirst) {
            baseline = Baseline(path);
        }
        TFreeBase db;
        db.SetFileName(path);
        db.SetOpenFlag(TFBOpenFlag::ReadOnly);
        const auto t0 = Clock::now();
        if (!db.Open()) {
            state.SkipWithError("load failed");
            break;
        }
        const auto t1 = Clock::now();
        db.Abort();
        const auto t2 = Clock::now();
        if (!baseFirst) {
            baseline = Baseline(path);
        }
        ratio.Add(Seconds(t0, t1), baseline);
        discard += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t0, t1));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
    state.counters["load_ms"] = 1e3 * ratio.MeasuredSum() / n;
    state.counters["baseline_ms"] = 1e3 * ratio.ReferenceSum() / n;
    state.counters["ratio"] = ratio.OfSums();
    state.counters["ratio_median"] = ratio.Median();
    state.counters["abort_ms"] = 1e3 * discard / n;
}

void Save(benchmark::State& state) {
    const int version = static_cast<int>(state.range(0));
    const std::string source = MakeLarge(version);
    const std::string work = (Folder() / ("save_v" + std::to_string(version) + ".fdb")).string();
    const std::string plain = (Folder() / "plain.bin").string();
    fs::copy_file(source, work, fs::copy_options::overwrite_existing);
    const auto bytes = ReadWhole(source);

    TFreeBase db;
    db.SetFileName(work);
    db.SetOpenFlag(TFBOpenFlag::ReadWrite);
    if (!db.Open()) {
        state.SkipWithError("load failed");
        return;
    }
    PairedRatio ratio;
    PairedRatio ratioSync;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (!db.Flush()) {
            state.SkipWithError("save failed");
            break;
        }
        const auto t1 = Clock::now();
        WriteWhole(plain, bytes, false);
        benchmark::DoNotOptimize(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
        const auto t2 = Clock::now();
        WriteWhole(plain, bytes, true);
        benchmark::DoNotOptimize(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
        const auto t3 = Clock::now();
        ratio.Add(Seconds(t0, t1), Seconds(t1, t2));
        ratioSync.Add(Seconds(t0, t1), Seconds(t2, t3));
        state.SetIterationTime(Seconds(t0, t1));
    }
    db.Abort();
    const double n = static_cast<double>(state.iterations());
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["save_ms"] = 1e3 * ratio.MeasuredSum() / n;
    state.counters["baseline_ms"] = 1e3 * ratio.ReferenceSum() / n;
    state.counters["ratio"] = ratio.OfSums();
    state.counters["ratio_median"] = ratio.Median();
    // The save flushes to disk before it renames; the same for the baseline.
    state.counters["baseline_fsync_ms"] = 1e3 * ratioSync.ReferenceSum() / n;
    state.counters["ratio_fsync"] = ratioSync.OfSums();
    state.counters["ratio_fsync_median"] = ratioSync.Median();
}

// A report as the program writes it: 89 entries in 27 nodes, about 2.3 KB.
std::string MakeReport() {
    const std::string path = (Folder() / "report.vrx").string();
    if (fs::exists(path)) {
        return path;
    }
    TFreeBase db;
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    db.SetSaveAsVersion(TSaveAsVersion::Version2);
    db.Open();
    db.SetDataBaseInfo("VRX-310");
    db.WriteString("CarID", "M-KD 4711");
    db.WriteString("Operator", "Hans Huber");
    db.WriteString("DateandTime", "06.12.2026 -- 14:31:07");
    db.WriteInteger("Unit", 0);
    for (const char* kind : {"MeasuresComp", "MeasuresLeak"}) {
        for (int n = 0; n < 12; ++n) {
            const std::string base = std::string(kind) + "\\" + std::to_string(n) + "\\";
            db.WriteInteger(base + "Cylinder", n + 1);
            db.WriteInteger(base + "Value", 100 + n);
        }
    }
    const char* device[] = {"Device SN",      "FirmwareVersion", "BuiltNummer", "PlatinenVersion",
                            "HardwareOption", "ProdDate",        "Sensor SN",   "Sensor ProdDate",
                            "Betriebszeit",   "Batteriespannung"};
    for (const char* key : device) {
        db.WriteString(std::string("Device\\") + key, "0123456789");
    }
    db.Close();
    return path;
}

void ReportOpenReadAbort(benchmark::State& state) {
    const std::string path = MakeReport();
    const char* texts[] = {"CarID",
                           "Operator",
                           "DateandTime",
                           "Device\\Device SN",
                           "Device\\FirmwareVersion",
                           "Device\\BuiltNummer",
                           "Device\\PlatinenVersion",
                           "Device\\HardwareOption",
                           "Device\\ProdDate",
                           "Device\\Sensor SN",
                           "Device\\Sensor ProdDate",
                           "Device\\Betriebszeit",
                           "Device\\Batteriespannung"};
    std::vector<std::string> ints{"Unit"};
    for (const char* kind : {"MeasuresComp", "MeasuresLeak"}) {
        for (int n = 0; n < 12; ++n) {
            ints.push_back(std::string(kind) + "\\" + std::to_string(n) + "\\Cylinder");
            ints.push_back(std::string(kind) + "\\" + std::to_string(n) + "\\Value");
        }
    }
    for (auto _ : state) {
        TFreeBase db;
        db.SetFileName(path);
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        if (!db.Open()) {
            state.SkipWithError("open failed");
            break;
        }
        std::size_t sum = 0;
        for (const char* t : texts) {
            sum += db.ReadString(t, "").size();
        }
        for (const std::string& i : ints) {
            sum += static_cast<std::size_t>(db.ReadInteger(i, -1));
        }
        benchmark::DoNotOptimize(sum);
        db.Abort();
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(path));
}

BENCHMARK(Load)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Save)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ReportOpenReadAbort)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
