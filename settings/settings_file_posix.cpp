// The settings file off Windows: in $XDG_CONFIG_HOME, else in ~/.config.
#include "settings/settings_file.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// Creates dir and its missing parents, each with mode 0700.
bool EnsureFolder(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode);
    }
    const size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !EnsureFolder(dir.substr(0, slash))) {
        return false;
    }
    if (::mkdir(dir.c_str(), 0700) != 0) {
        // Someone else may have created it meanwhile.
        return errno == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    // The umask may have taken bits away; the folder is the user's alone.
    ::chmod(dir.c_str(), 0700);
    return true;
}

} // namespace

std::string SettingsFilePath() {
    std::string folder;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        folder = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeDir = (home && home[0] == '/') ? home : "";
        if (homeDir.empty()) {
            if (const passwd* pw = ::getpwuid(::getuid());
                pw && pw->pw_dir && pw->pw_dir[0] == '/') {
                homeDir = pw->pw_dir;
            }
        }
        if (homeDir.empty()) {
            return {};
        }
        folder = homeDir + "/.config";
    }
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    if (!EnsureFolder(folder)) {
        return {};
    }
    return folder + "/VRX310.ini";
}
