// A fresh folder below the system's temporary folder, removed with everything
// in it afterwards, and whole files as bytes.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp: a random name, created only when not there yet.
        std::random_device random;
        std::error_code ec;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path(ec) / ("vrx-test-" + std::to_string(random()));
            if (!ec && std::filesystem::create_directory(candidate, ec) && !ec)
                path_ = candidate;
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "vrx-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
#endif
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // False when no folder could be made; a test asserts this first.
    bool Valid() const {
        return !path_.empty();
    }
    const std::filesystem::path& Path() const {
        return path_;
    }
    std::string File(const std::string& name) const {
        return (path_ / name).string();
    }
    std::string operator/(const std::string& name) const {
        return File(name);
    }

private:
    std::filesystem::path path_;
};

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
