// The command line and standard output of the tools, the same on every
// platform: arguments are UTF-8, output bytes go out as written.
#pragma once

#include "fileio/safe_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace toolconsole {

// The arguments after the program name. On Windows taken from the wide
// command line and converted to UTF-8, so a file name such as
// "Prüfbericht Müller €.vrx" arrives whole whatever the ANSI code page;
// elsewhere argv as given.
std::vector<std::string> Arguments(int argc, char** argv);

// Standard input, output and error without newline translation, so a CSV
// keeps its CRLF, a report file piped in arrives whole and every output
// equals the one on Linux byte for byte. A console window is switched to
// UTF-8 while the tool runs.
void UseBinaryOutput();

// "-" as a file argument: standard input, or standard output.
inline bool IsStandardStream(const std::string& path) {
    return path == "-";
}

// The whole file, or for "-" the whole of standard input. A pipe is held
// to the same bound as a file: at most maxBytes + 1 bytes are read, and
// one more than maxBytes is TooLarge.
safefile::ReadStatus ReadInput(const std::string& path, std::string& out, std::uint64_t maxBytes);
safefile::ReadStatus ReadInput(const std::string& path, std::vector<std::uint8_t>& out,
                               std::uint64_t maxBytes);

// Replaces path with content through the one writer that keeps files
// whole, or for "-" writes content to standard output as it is. False on
// failure, with an errno value in error (0 when unknown).
bool WriteOutput(const std::string& path, const std::string& content, int& error);

} // namespace toolconsole
