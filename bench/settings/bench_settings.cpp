// The settings file far beyond its real size (a few kilobytes), through the
// functions the window calls:
//  - the operators dialog's OK with 4,000 names: the re-read before the
//    dialog shows them, and the merge that stores the edited list (delete
//    the first name, add one: every key from 0 changes);
//  - start-up on a 16 MiB file: time, and the peak memory of a child process
//    that only reads the file (the floor) and of one that reads the start-up
//    settings, per byte of the file.
// Prints its figures; fails nothing.
#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a) {
    return std::chrono::duration<double>(Clock::now() - a).count();
}

// Processor time of this process: on a busy machine the wall clock says
// more about the others.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

std::string NamesFile(std::size_t names, std::size_t minBytes) {
    std::string text = "[Main]\r\nx=10\r\ny=10\r\nUnit=0\r\nAutoClear=0\r\n\r\n[Company]\r\n"
                       "Name=Kfz-Meisterbetrieb\r\nCity=12345 Musterstadt\r\n\r\n[Names]\r\n";
    for (std::size_t i = 0; i < names || text.size() < minBytes; ++i) {
        text += std::to_string(i) + "=Operator " + std::to_string(i) + "\r\n";
    }
    text += "LastUser=0\r\nx=20\r\ny=20\r\n";
    return text;
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Peak resident memory in KiB of a fresh process of this program that does
// one thing (see main) on path, as it reports it itself: the maximum that
// getrusage gives a parent also holds what the child was before its exec,
// a copy of this process with the text it wrote.
long ChildPeakKiB(const char* what, const std::string& path) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' --child " + what + " '" + path + "'";
    FILE* child = ::popen(command.c_str(), "r");
    long kib = 0;
    if (!child || std::fscanf(child, "%ld", &kib) != 1) {
        kib = 0;
    }
    if (child) {
        ::pclose(child);
    }
    return kib;
}

// VmHWM of this process, in KiB.
long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

int Child(const std::string& what, const std::string& path) {
    if (what == "bytes") {
        std::ifstream in(path, std::ios::binary);
        std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    } else if (what == "parse") {
        SettingsFile(path).Inspect([](const ProfileText&) {});
    } else if (what == "startup") {
        const StartupSettings values = ReadStartupSettings(SettingsFile(path));
        (void)values;
    }
    std::printf("%ld\n", PeakKiB());
    return 0;
}

void OperatorsOk(const std::string& folder) {
    const std::string path = folder + "/names.ini";
    const std::string text = NamesFile(4000, 0);
    std::printf("operators dialog, 4,000 names (%zu bytes):\n", text.size());
    for (int run = 0; run < 3; ++run) {
        Write(path, text);
        SettingsFile settings(path);
        const std::size_t indexRuns = ProfileText::IndexRuns();
        auto t0 = Clock::now();
        const OperatorNames shown = ReadOperatorNames(settings);
        const double reread = Seconds(t0);
        // Odd runs: the first name deleted and one added (every key
        // changes); even runs: every second name deleted (half the keys go).
        OperatorNames edited;
        for (std::size_t i = run % 2 ? 0 : 1; i < shown.size(); i += run % 2 ? 2 : 1) {
            edited.push_back(shown[i]);
        }
        if (run % 2 == 0) {
            edited.push_back("Neuer Name");
        }
        t0 = Clock::now();
        const double c0 = CpuSeconds();
        const OperatorNames stored = MergeOperatorNames(settings, shown, edited);
        const double ok = Seconds(t0);
        std::printf("  re-read %.4f s, OK %.4f s (processor %.4f s; %zu names stored, %zu file "
                    "readings, %zu indexings)\n",
                    reread, ok, CpuSeconds() - c0, stored.size(), settings.Reads(),
                    ProfileText::IndexRuns() - indexRuns);
    }
}

// Keys nobody reads, as another part of the program might store them.
std::string OtherKeysFile(std::size_t minBytes) {
    std::string text = NamesFile(4, 0) + "\r\n[Rules]\r\n";
    for (std::size_t i = 0; text.size() < minBytes; ++i) {
        text += "Rule" + std::to_string(i) + "=limit 8.5 bar, spread 10 %\r\n";
    }
    return text;
}

void Startup(const std::string& folder, const char* what, const std::string& text) {
    const std::string path = folder + "/large.ini";
    Write(path, text);
    const double bytes = static_cast<double>(text.size());
    std::printf("start-up, %.2f MiB settings file of %s:\n", bytes / (1 << 20), what);
    for (int run = 0; run < 3; ++run) {
        SettingsFile settings(path);
        const auto t0 = Clock::now();
        const double c0 = CpuSeconds();
        const StartupSettings values = ReadStartupSettings(settings);
        std::printf("  %.3f s (processor %.3f s), %zu names, %zu file readings\n", Seconds(t0),
                    CpuSeconds() - c0, values.Names.size(), settings.Reads());
    }
    const long emptyKiB = ChildPeakKiB("nothing", path);
    const long floorKiB = ChildPeakKiB("bytes", path);
    const long parseKiB = ChildPeakKiB("parse", path);
    const long startupKiB = ChildPeakKiB("startup", path);
    auto perByte = [&](long kib) { return static_cast<double>(kib - emptyKiB) * 1024 / bytes; };
    std::printf("  peak memory beyond an idle process: reading the bytes %.2f, parsing %.2f, "
                "start-up (with the name list) %.2f bytes per file byte\n",
                perByte(floorKiB), perByte(parseKiB), perByte(startupKiB));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child") {
        return Child(argv[2], argv[3]);
    }
    const std::string folder =
        (fs::temp_directory_path() / ("bench_settings_" + std::to_string(::getpid()))).string();
    fs::create_directories(folder);
    OperatorsOk(folder);
    Startup(folder, "operator names", NamesFile(0, SettingsFile::MaxBytes - 64));
    Startup(folder, "other keys", OtherKeysFile(SettingsFile::MaxBytes - 64));
    fs::remove_all(folder);
    return 0;
}
