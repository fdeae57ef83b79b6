#include "platform/version_info.h"

#include <cstddef>

const std::array<const char*, 10> VersionStrings::Keys = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

std::string GetVersionString(const VersionStrings& strings, int index) {
    if (index < 0 || index > 9) {
        index = 2;
    }
    return strings.Strings[static_cast<std::size_t>(index)];
}
