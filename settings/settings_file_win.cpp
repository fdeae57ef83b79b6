// <windows.h> first: fileio/safe_file.h takes back its ReplaceFile macro.
#include <windows.h>

#include <shlobj.h>

#include "settings/settings_file.h"

#include "fileio/safe_file.h"

// The roaming application-data folder as it is; this program never creates
// it. Wide, so that a user folder outside the ANSI code page still works.
std::string SettingsFilePath() {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK ||
        folder[0] == L'\0') {
        return {};
    }
    return safefile::Utf8FromWide(folder) + "\\VRX310.ini";
}
