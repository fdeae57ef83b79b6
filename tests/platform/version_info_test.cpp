#include "platform/version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class TempFile {
public:
    explicit TempFile(const Bytes& content) {
        static int counter = 0;
        path_ =
            (std::filesystem::temp_directory_path() /
             ("vrx_version_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                .string();
        std::ofstream out(path_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(content.data()),
                  static_cast<std::streamsize>(content.size()));
    }
    ~TempFile() { std::filesystem::remove(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

bool AllEmpty(const VersionStrings& v) {
    return std::all_of(v.Strings.begin(), v.Strings.end(),
                       [](const std::string& s) { return s.empty(); });
}

const std::array<std::string, 10> kProbeValues = {
    VRX_TEST_COMPANY,     "VRX-310 companion",
    VRX_TEST_VERSION,     "VRX310_Application",
    VRX_TEST_COPYRIGHT,   std::string("VRX-310 is a trademark of ") + VRX_TEST_COMPANY,
    "VRX310_Application", "VRX-310",
    VRX_TEST_VERSION,     "Reads, shows, stores and prints the results of the VRX-310 tester",
};

// ---- Program files -------------------------------------------------------

TEST(VersionStringsFile, ProgramOrFileWithoutResourceGivesEmptyStrings) {
    const TempFile text(Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    EXPECT_TRUE(AllEmpty(VersionStrings(text.Path())));
    const TempFile empty(Bytes{});
    EXPECT_TRUE(AllEmpty(VersionStrings(empty.Path())));
    EXPECT_TRUE(AllEmpty(VersionStrings(std::filesystem::temp_directory_path().string())));
}

TEST(VersionStringsFile, MissingOrEmptyNameReadsTheRunningProgram) {
    for (const std::string name : {"", "/nonexistent/folder/VRX310_Application"}) {
        const VersionStrings v(name);
        for (std::size_t i = 0; i < 10; ++i) {
            EXPECT_EQ(v.Strings[i], kProbeValues[i]) << VersionStrings::Keys[i];
        }
        EXPECT_EQ(v.Strings[2], "1.0.0.0");
    }
}

TEST(VersionIndex, OutsideZeroToNineGivesTheFileVersion) {
    VersionStrings v;
    for (std::size_t i = 0; i < 10; ++i) {
        v.Strings[i] = "s" + std::to_string(i);
    }
    EXPECT_EQ(GetVersionString(v, 2), "s2");
    EXPECT_EQ(GetVersionString(v, 12), "s2");
    EXPECT_EQ(GetVersionString(v, 10), "s2");
    EXPECT_EQ(GetVersionString(v, -1), "s2");
    EXPECT_EQ(GetVersionString(v, 0), "s0");
    EXPECT_EQ(GetVersionString(v, 9), "s9");
}

} // namespace
