// Reading a small file whole, and replacing a file so that a crash leaves
// either the old or the new content, never a mix.
#pragma once

#include <cstddef>
#include <string>

enum class FileReadResult { Ok, Missing, Failed };

// Files larger than maxBytes count as Failed, so a hostile file cannot
// exhaust memory.
FileReadResult ReadWholeFile(const std::string& path, std::string& content,
                             std::size_t maxBytes = 16u << 20);

// The temporary file a replacement of target is written to: beside it, in
// the same folder, named after the process so two runs never share one.
std::string AtomicTempPath(const std::string& target);

// Writes content to AtomicTempPath, flushes it to the disk and renames it
// over target; an existing file keeps its permission bits and a symbolic
// link keeps pointing at the file it names. On failure target is untouched
// and no temporary file stays behind.
bool WriteFileAtomically(const std::string& target, const std::string& content);
