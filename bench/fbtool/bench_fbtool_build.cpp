// fbtool build on JSON near its 64 MiB bound: the tool's peak resident
// memory (beyond "fbtool --version") per byte of JSON, and the time, for
// entries in wide lists, nodes nested deep, and nested arrays (refused).
// Prints its figures; fails nothing.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Run {
    int Status = -1;
    long PeakKiB = 0;
    double Seconds = 0;
};

Run Tool(const std::string& a, const std::string& b = {}, const std::string& c = {}) {
    std::fflush(stdout); // else the child prints it again
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) {
            ::_exit(126);
        }
        const char* args[] = {FBTOOL_PATH, a.c_str(), b.empty() ? nullptr : b.c_str(),
                              c.empty() ? nullptr : c.c_str(), nullptr};
        ::execv(FBTOOL_PATH, const_cast<char* const*>(args));
        ::_exit(127);
    }
    Run run;
    rusage usage{};
    ::wait4(pid, &run.Status, 0, &usage);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run.PeakKiB = usage.ru_maxrss;
    run.Status = WIFEXITED(run.Status) ? WEXITSTATUS(run.Status) : -1;
    return run;
}

constexpr std::size_t Target = (64u << 20) - 4096;

std::string Wide() {
    std::string s = "{\"version\": 2, \"info\": \"VRX-310\", \"entries\": [";
    for (int g = 0; s.size() < Target - 200; ++g) {
        s += g ? ",\n" : "\n";
        s += "{\"type\": \"node\", \"name\": \"N" + std::to_string(g) + "\", \"children\": [";
        for (int i = 0; i < 100 && s.size() < Target - 200; ++i) {
            s += i ? ", " : "";
            switch (i % 4) {
            case 0:
                s += "{\"type\": \"int32\", \"name\": \"I\", \"tag\": 0, \"value\": " +
                     std::to_string(i) + "}";
                break;
            case 1:
                s += "{\"type\": \"str32\", \"name\": \"Text\", \"tag\": 0, \"value\": \"Hans "
                     "Huber\"}";
                break;
            case 2:
                s += "{\"type\": \"bin32\", \"name\": \"B\", \"tag\": 0, \"size\": 8, \"hex\": "
                     "\"0001020304050607\"}";
                break;
            default:
                s += "{\"type\": \"floating\", \"name\": \"F\", \"tag\": 0, \"value\": 1.5}";
            }
        }
        s += "]}";
    }
    return s + "\n]}\n";
}

std::string Deep() {
    const std::string open = "{\"type\": \"node\", \"name\": \"n\", \"children\": [";
    const std::size_t levels = (Target - 100) / (open.size() + 2);
    std::string s = "{\"entries\": [";
    s.reserve(Target);
    for (std::size_t i = 0; i < levels; ++i) {
        s += open;
    }
    for (std::size_t i = 0; i < levels; ++i) {
        s += "]}";
    }
    return s + "]}";
}

std::string NestedArrays() {
    std::string s = "{\"entries\": ";
    s.append(Target / 2 - 20, '[').append(Target / 2 - 20, ']');
    return s + "}";
}

} // namespace

int main() {
    const fs::path folder =
        fs::temp_directory_path() / ("bench_fbtool_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const Run idle = Tool("--version");
    std::printf("fbtool --version: peak %ld KiB\n", idle.PeakKiB);
    struct Case {
        const char* Name;
        std::string (*Make)();
    } cases[] = {{"wide lists of entries", Wide},
                 {"nodes nested deep", Deep},
                 {"nested arrays (no database)", NestedArrays}};
    for (const Case& c : cases) {
        const std::string json = (folder / "in.json").string();
        std::size_t bytes = 0;
        {
            const std::string text = c.Make();
            bytes = text.size();
            std::ofstream(json, std::ios::binary) << text;
        }
        for (int i = 0; i < 2; ++i) {
            const Run run = Tool("build", json, (folder / "out.fdb").string());
            std::printf("%-28s %5.1f MiB JSON: exit %d, %.2f s, peak %ld KiB = %.2f bytes per "
                        "JSON byte beyond the idle tool\n",
                        c.Name, static_cast<double>(bytes) / (1 << 20), run.Status, run.Seconds,
                        run.PeakKiB,
                        static_cast<double>(run.PeakKiB - idle.PeakKiB) * 1024 /
                            static_cast<double>(bytes));
        }
    }
    fs::remove_all(folder);
    return 0;
}
