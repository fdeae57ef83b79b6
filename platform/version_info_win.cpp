// The version strings from the file's VERSIONINFO resource, compiled from
// version.rc.in.
#include <windows.h>

#include "platform/version_info.h"

#include "fileio/safe_file.h"

#include <cstddef>
#include <cstdio>
#include <vector>

namespace {

// Four upper-case hex digits.
std::string Hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFFu);
    return buf;
}

} // namespace

VersionStrings::VersionStrings(const std::string& fileName) {
    // The file name goes through the wide API (any folder name works); the
    // strings come back in the ANSI code page, Windows-1252 here.
    std::wstring name = fileName.empty() ? std::wstring() : safefile::WidePath(fileName);
    if (name.empty() || GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::vector<wchar_t> own(32768);
        const DWORD length =
            GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size()));
        name.assign(own.data(), length);
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &handle);
    if (size == 0) {
        return;
    }
    std::vector<unsigned char> buffer(size);
    if (!GetFileVersionInfoW(name.c_str(), 0, size, buffer.data())) {
        return;
    }
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        length < 4) {
        return;
    }
    const auto* words = static_cast<const WORD*>(value);
    const std::string table = "\\StringFileInfo\\" + Hex4(words[0]) + Hex4(words[1]) + "\\";
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        const std::string path = table + Keys[i];
        if (VerQueryValueA(buffer.data(), path.c_str(), &value, &length) && value != nullptr &&
            length > 0) {
            Strings[i] = static_cast<const char*>(value);
        }
    }
}
