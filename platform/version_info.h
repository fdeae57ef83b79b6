// The ten version strings of a program file, read once at start-up.
#pragma once

#include <array>
#include <string>

struct VersionStrings {
    // Keys in order: CompanyName, FileDescription, FileVersion, InternalName,
    // LegalCopyright, LegalTrademarks, OriginalFilename, ProductName,
    // ProductVersion, Comments.
    static const std::array<const char*, 10> Keys;
    // Windows-1252 bytes, like the rest of the program's texts.
    std::array<std::string, 10> Strings;

    VersionStrings() = default;
    // Reads fileName, or the program's own executable when no file of that
    // name exists. Missing information leaves strings empty. Off Windows
    // only the program itself has version information.
    explicit VersionStrings(const std::string& fileName);
};

// Index outside 0..9 gives the "FileVersion" string (index 2).
std::string GetVersionString(const VersionStrings& strings, int index);
