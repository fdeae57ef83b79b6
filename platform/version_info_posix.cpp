// The build wrote the program's own strings into version_strings.h.
#include "platform/version_info.h"

#include "platform/version_strings.h"
#include "text/cp1252.h"

#include <cstddef>
#include <filesystem>
#include <system_error>

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
