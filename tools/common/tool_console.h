// The command line and standard output of the tools, the same on every
// platform: arguments are UTF-8, output bytes go out as written.
#pragma once

#include <string>
#include <vector>

namespace toolconsole {

// The arguments after the program name. On Windows taken from the wide
// command line and converted to UTF-8, so a file name such as
// "Prüfbericht Müller €.vrx" arrives whole whatever the ANSI code page;
// elsewhere argv as given.
std::vector<std::string> Arguments(int argc, char** argv);

// Standard output and error without newline translation, so a CSV keeps
// its CRLF and every output equals the one on Linux byte for byte. A
// console window is switched to UTF-8 while the tool runs.
void UseBinaryOutput();

} // namespace toolconsole
