// Dropping a file's pages from the page cache without root.
#pragma once

#include <string>

// fsync, then posix_fadvise(POSIX_FADV_DONTNEED) over the whole file;
// false when the file cannot be opened or the advice is refused.
bool EvictFromPageCache(const std::string& path);
