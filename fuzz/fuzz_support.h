// What several fuzz targets share: a scratch file per process and checks
// that keep the failing input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// A file name in a memory-backed folder when there is one (a disk file per
// input is slow), unique to this process: prefix, process id, suffix.
inline std::string FuzzScratchPath(const std::string& prefix, const std::string& suffix) {
    const char* env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    if (!(env && *env) && ::access("/dev/shm", W_OK) == 0) {
        dir = "/dev/shm";
    }
    return dir + "/" + prefix + std::to_string(::getpid()) + suffix;
}

// This process's scratch file, removed when the process ends.
class FuzzScratchFile {
public:
    FuzzScratchFile(const std::string& prefix, const std::string& suffix)
        : path_(FuzzScratchPath(prefix, suffix)) {}
    ~FuzzScratchFile() { std::remove(path_.c_str()); }
    FuzzScratchFile(const FuzzScratchFile&) = delete;
    FuzzScratchFile& operator=(const FuzzScratchFile&) = delete;

    const std::string& Path() const { return path_; }
    // The file then holds exactly these bytes; false when it could not be written.
    bool Hold(const void* data, std::size_t size) const {
        FILE* f = std::fopen(path_.c_str(), "wb");
        if (f == nullptr) {
            return false;
        }
        const bool written = std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && written;
    }

private:
    std::string path_;
};

// A failed check names itself, then aborts for libFuzzer to keep the input.
#define Check(condition) FuzzCheckAt((condition), #condition, __LINE__)
inline void FuzzCheckAt(bool ok, const char* what, int line) {
    if (!ok) {
        std::fprintf(stderr, "check failed at line %d: %s\n", line, what);
        std::abort();
    }
}
