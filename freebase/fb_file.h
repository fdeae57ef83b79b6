// File access of TFreeBase over the program's one reader and writer.
#pragma once

#include "fileio/safe_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fbfile {

// Report databases are a few kilobytes; anything larger is no database of
// ours and is refused before it is read.
constexpr std::uint64_t MaxFileBytes = 16u << 20;

bool Exists(const std::string& path);
// Creates a missing file with zero bytes; an existing one is left as it is.
bool CreateEmpty(const std::string& path);
// Size of the file in bytes, or -1.
std::int64_t Size(const std::string& path);
// Reads a whole regular file of at most MaxFileBytes; false for anything
// else (a pipe or device returns at once) or on a read error.
bool ReadAll(const std::string& path, safefile::ReadBuffer& out);

} // namespace fbfile
