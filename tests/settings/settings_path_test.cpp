#ifdef _WIN32
#include <windows.h>
#endif

#include "settings/settings_file.h"

#include "tests/common/env_var.h"
#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
unsigned Mode(const fs::path& p) {
    struct stat st {};
    return stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}
#endif

} // namespace

TEST(SettingsFilePath, MissingConfigFolderIsCreatedPrivate) {
#ifdef _WIN32
    GTEST_SKIP()
        << "the per-user folder comes from the shell on Windows, not from HOME or XDG_CONFIG_HOME";
#else
    TempDir folder;
    const fs::path config = folder.Path() / "fresh" / "config";
    ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
    EXPECT_EQ(SettingsFilePath(), (config / "VRX310.ini").string());
    EXPECT_TRUE(fs::is_directory(config));
    EXPECT_EQ(Mode(config), 0700u);
    EXPECT_EQ(Mode(folder.Path() / "fresh"), 0700u);
    EXPECT_FALSE(fs::exists(config / "VRX310.ini")); // the first write makes it
#endif
}

TEST(SettingsFilePath, RelativeXdgFallsBackToHome) {
#ifdef _WIN32
    GTEST_SKIP()
        << "the per-user folder comes from the shell on Windows, not from HOME or XDG_CONFIG_HOME";
#else
    TempDir folder;
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", folder.Path().c_str());
    EXPECT_EQ(SettingsFilePath(), (folder.Path() / ".config" / "VRX310.ini").string());
    EXPECT_EQ(Mode(folder.Path() / ".config"), 0700u);
#endif
}

TEST(SettingsFilePath, NoUsableFolderGivesNoPath) {
#ifdef _WIN32
    GTEST_SKIP()
        << "the per-user folder comes from the shell on Windows, not from HOME or XDG_CONFIG_HOME";
#else
    TempDir folder;
    const std::string blocker = folder.File("not-a-folder");
    WriteFile(blocker, "x");
    ScopedEnv xdg("XDG_CONFIG_HOME", blocker.c_str());
    EXPECT_EQ(SettingsFilePath(), "");
    ScopedEnv xdg2("XDG_CONFIG_HOME", (blocker + "/below").c_str());
    EXPECT_EQ(SettingsFilePath(), "");
#endif
}

#ifdef _WIN32

// The shell's roaming application-data folder; the system also hands it to
// every process as APPDATA, an independent reading of the same folder.
TEST(SettingsFilePath, IniLiesInTheRoamingApplicationDataFolder) {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    ASSERT_NE(appData, nullptr);
    const int size = WideCharToMultiByte(CP_UTF8, 0, appData, -1, nullptr, 0, nullptr, nullptr);
    ASSERT_GT(size, 1);
    std::string folder(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, appData, -1, folder.data(), size, nullptr, nullptr);
    folder.resize(static_cast<std::size_t>(size - 1));
    EXPECT_EQ(SettingsFilePath(), folder + "\\VRX310.ini");
}

#endif
