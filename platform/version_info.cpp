#include "platform/version_info.h"

#include <cstddef>

#ifdef _WIN32
#include <windows.h>

#include "fileio/safe_file.h"
#include <cstdio>
#include <vector>
#else
#include "platform/version_strings.h"
#include "text/cp1252.h"
#include <filesystem>
#include <system_error>
#endif

const std::array<const char*, 10> VersionStrings::Keys = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

std::string GetVersionString(const VersionStrings& strings, int index) {
    if (index < 0 || index > 9) {
        index = 2;
    }
    return strings.Strings[static_cast<std::size_t>(index)];
}

#ifdef _WIN32 // the VERSIONINFO resource compiled from version.rc.in

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

#else // the build wrote the program's own strings into version_strings.h

VersionStrings::VersionStrings(const std::string& fileName) {
    // Files carry no version resource here; a missing or empty name means
    // the program itself, as on Windows.
    std::error_code error;
    if (!fileName.empty() && std::filesystem::exists(fileName, error)) {
        return;
    }
    for (std::size_t i = 0; i < Strings.size(); ++i) {
        Strings[i] = Utf8ToCp1252(vrx_version::kOwnStrings[i]);
    }
}

#endif
