// A private folder below the system's temporary folder, and whole files.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ReportTempDir {
public:
    ReportTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vrx-report-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~ReportTempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    ReportTempDir(const ReportTempDir&) = delete;
    ReportTempDir& operator=(const ReportTempDir&) = delete;

    bool Valid() const { return !path_.empty(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::uint32_t U16At(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b.at(at)) | static_cast<std::uint8_t>(b.at(at + 1)) << 8;
}

inline std::uint32_t U32At(const std::string& b, std::size_t at) {
    return U16At(b, at) | U16At(b, at + 2) << 16;
}
