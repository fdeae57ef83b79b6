// Where the simulator keeps its state and log on Windows.
#include <windows.h>

#include "sim/sim_state.h"

#include "fileio/safe_file.h"

#include <cstdlib>

namespace vrxsim {

namespace {

// Environment values in UTF-8, whatever the ANSI code page.
std::string EnvironmentPath(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    if (value == nullptr || *value == L'\0')
        return std::string();
    return safefile::Utf8FromWide(value);
}

} // namespace

std::string StatePath() {
    std::string path = EnvironmentPath(L"VRX310_SIM_STATE");
    if (!path.empty())
        return path;
    // The user's own temporary folder; it ends in a backslash.
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return "vrx310-sim.state";
    return safefile::Utf8FromWide(std::wstring(folder, length) + L"vrx310-sim.state");
}

std::string LogPath() {
    return EnvironmentPath(L"VRX310_SIM_LOG");
}

} // namespace vrxsim
