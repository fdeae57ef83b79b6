// File access of TFreeBase: whole-file reads and replacing writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fbfile {

bool Exists(const std::string& path);
// Creates a missing file with zero bytes; an existing one is left as it is.
bool CreateEmpty(const std::string& path);
// Size of the file in bytes, or -1.
std::int64_t Size(const std::string& path);
// Reads a whole regular file; false for anything else or on a read error.
bool ReadAll(const std::string& path, std::vector<std::uint8_t>& out);

// Writes a new file beside `path` and puts it in its place only when all of
// it reached the disk. Until Commit succeeds, the old file is untouched.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile(); // discards an uncommitted file
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool Begin(const std::string& path);
    bool Write(const void* data, std::size_t size);
    bool Commit(); // flush to disk, then rename over the target
    void Discard();

    // The name of the new file while it is written: beside the target.
    static std::string TempNameFor(const std::string& target);

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
};

// Test seam: when not negative, writes through ReplacingFile fail once this
// many bytes have gone out (as a full disk would).
void SetWriteLimitForTesting(std::int64_t bytes);

} // namespace fbfile
