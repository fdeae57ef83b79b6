// The ten version strings of a program file, read once at start-up.
#pragma once

#include <array>
#include <cstddef>
#include <string>

struct VersionStrings {
    // Keys in order: CompanyName, FileDescription, FileVersion, InternalName,
    // LegalCopyright, LegalTrademarks, OriginalFilename, ProductName,
    // ProductVersion, Comments.
    static const std::array<const char*, 10> Keys;
    std::array<std::string, 10> Strings;

    VersionStrings() = default;
    // Reads fileName, or the program's own executable when no file of that
    // name exists. Missing information leaves strings empty.
    explicit VersionStrings(const std::string& fileName);
};

// Index outside 0..9 gives the "FileVersion" string (index 2).
std::string GetVersionString(const VersionStrings& strings, int index);

// The lookups of VersionStrings on a version information block already in
// memory (the content of the ".vrx_version" section); strings are
// Windows-1252 bytes. Any fault in the block leaves the affected strings empty.
VersionStrings VersionStringsFromBlock(const unsigned char* data, std::size_t size);
