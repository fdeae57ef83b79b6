#include "settings/settings_file.h"

#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

unsigned Mode(const fs::path& p) {
    struct stat st {};
    return stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0u;
}

} // namespace

TEST(SettingsFilePath, MissingConfigFolderIsCreatedPrivate) {
    TempDir folder;
    const fs::path config = folder.Path() / "fresh" / "config";
    ScopedEnv xdg("XDG_CONFIG_HOME", config.c_str());
    EXPECT_EQ(SettingsFilePath(), (config / "VRX310.ini").string());
    EXPECT_TRUE(fs::is_directory(config));
    EXPECT_EQ(Mode(config), 0700u);
    EXPECT_EQ(Mode(folder.Path() / "fresh"), 0700u);
    EXPECT_FALSE(fs::exists(config / "VRX310.ini")); // the first write makes it
}

TEST(SettingsFilePath, RelativeXdgFallsBackToHome) {
    TempDir folder;
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", folder.Path().c_str());
    EXPECT_EQ(SettingsFilePath(), (folder.Path() / ".config" / "VRX310.ini").string());
    EXPECT_EQ(Mode(folder.Path() / ".config"), 0700u);
}

TEST(SettingsFilePath, NoUsableFolderGivesNoPath) {
    TempDir folder;
    const std::string blocker = folder.File("not-a-folder");
    WriteFile(blocker, "x");
    ScopedEnv xdg("XDG_CONFIG_HOME", blocker.c_str());
    EXPECT_EQ(SettingsFilePath(), "");
    ScopedEnv xdg2("XDG_CONFIG_HOME", (blocker + "/below").c_str());
    EXPECT_EQ(SettingsFilePath(), "");
}
